// Content transitions: when a control's content changes all at once (a page control switching
// pages) the old picture is frozen on screen under a cover window before the change, and
// afterwards the cover cross-fades from it to the new content, then goes. The frames play in a
// loop of their own, 24 ms apart on the engine's tick count (AcTickCount), and the call returns
// when they have played: nothing else paints meanwhile.
//
// Only the plain path is built: forms take it too (their layered fade waits for the form
// skinning's providers).
#pragma once

#include <cstdint>
#include <functional>

#include "vcl/controls.h"
#include "vcl/graphics.h"

// The value of Tag by which the form skinning knows a window it must never wrap or skin.
inline constexpr intptr_t NoSkinTagMask = 256;

// The cover: a window that never erases or paints its frame, so once shown it keeps what the
// screen showed under it; it paints Shown when asked to paint (nothing while Shown is nil).
// Without a parent it is a popup owned by the application window (topmost over a topmost owner).
class TOutputWindow : public TCustomControl {
public:
    explicit TOutputWindow(TComponent* owner);
    ~TOutputWindow() override;
    TBitmap* Shown = nullptr;   // not owned
    // The control a popup cover stands over (its topmost style is taken over); not an owner.
    TWinControl* Over = nullptr;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& m) override;
};

// Freezes control's present screen picture under the cover (mode 0 always). Nothing for a
// control whose window is hidden or whose top-level window is minimised.
void PrepareTransition(TWinControl* control, int mode);

// Plays the transition to the control's present content and returns when it has played: the
// new picture is painted off screen, then (with Time of 24 ms or more) frames of the old picture
// over the new one at falling weights, 24 ms apart; at the end the cover shows the new picture,
// the control is redrawn with its children and the cover and the pictures are freed. A control
// that cannot be shown (hidden, minimised) is not animated, but the cover and the old picture
// go all the same: a cover left up would swallow the clicks, and an old picture kept would be
// taken for the next one. blendValue and mode are for the form path; the plain fade ignores them.
void AnimateTransition(TWinControl* control, int time, uint8_t blendValue, int mode);

// Frees the cover and the old picture without playing anything (a change that did not happen).
void ReleaseTransition();

// Sees every frame once it is in the cover: the old picture's weight, the frame, and the two
// pictures it mixes (tests watch the fade through it). nullptr: nobody watches.
using TTransitionFrameObserver =
    std::function<void(int weight, TBitmap* frame, TBitmap* oldPicture, TBitmap* newPicture)>;
void SetTransitionFrameObserver(TTransitionFrameObserver observer);

// What a prepare left for the animate (for the page control and for tests).
TOutputWindow* TransitionCover();
TBitmap* TransitionOldPicture();
