// Show and hide animations of skinned forms and dialogs. A window about to show is first shown as
// an image in a layered cover window that fades, grows or drops in, then the real window takes
// the cover's place; a window going away leaves an image of itself in a cover that fades, shrinks
// or folds away on the shared hide timer while the real window is already gone. Frames are 12 ms
// apart: the show loop paces itself by the engine's tick count (AcTickCount), the hide timer
// runs on the animation tick source; every frame goes through the layered-window update.
#pragma once

#include <functional>

#include "skin/engine/anim_timer.h"
#include "skin/engine/core/form_anim_schedule.h"
#include "skin/engine/glow.h"
#include "vcl/forms.h"

// What the animations ask of the window they animate: the form skinning's provider of a form
// or its wrapper of a standard dialog (tests give their own).
class TacAnimatedWindow {
public:
    virtual ~TacAnimatedWindow() = default;
    virtual HWND Window() = 0;
    // The whole window (frame and client) as it looks, into a 32-bit image of the window's size,
    // straight alpha, its see-through border pieces at alpha 0; false when there is no picture
    // of it (the provider has no cache).
    virtual bool PaintImage(TBitmap* image) = 0;
    virtual bool AlphaBlend() { return false; }
    virtual uint8_t AlphaBlendValue() { return 255; }
    virtual TWindowState WindowState() { return wsNormal; }
    // The provider's in-animation flag (cleared when the real window takes over).
    virtual void SetInAnimation(bool value) { (void)value; }
    // The provider's OnAfterAnimation.
    virtual void AfterAnimation(int event) { (void)event; }
};

// Events of AfterAnimation.
enum TacAnimationEvent : int { aeShowing = 0, aeHiding = 1 };

// From a provider (what a window answers to scmGetProvider) to what the animations ask of it;
// nil until the form skinning installs one (and then nothing animates).
using TacAnimatedWindowResolver = std::function<TacAnimatedWindow*(TObject* provider)>;
void SetAnimatedWindowResolver(TacAnimatedWindowResolver resolver);
TacAnimatedWindow* AnimatedWindowOf(TObject* provider);

// Shows the window through an animated cover (BlendValue: its final opacity), then shows the
// window itself at its opacity and fires AfterAnimation(aeShowing). Blocks for the animation.
// Nothing for a minimised window or one without a picture.
void AnimateFormShow(TacAnimatedWindow* form, int time, uint8_t blendValue, TacAnimType mode);
// The same for a standard dialog (opacity rising to BlendValue over N + 1 frames).
void AnimateDialogShow(TacAnimatedWindow* dialog, int time, uint8_t blendValue, TacAnimType mode);
// The window's picture handed to the shared hide timer in a cover over it (start opacity: its
// AlphaBlendValue with AlphaBlend on, else 255); the window is left at its own opacity (with
// its layering removed when it had none). The provider form reads the default manager's
// FormHide settings.
void AnimateFormHide(TacAnimatedWindow* form, int time, TacAnimType mode);
void AnimateFormHide(TObject* provider);
// A dialog: start opacity 255, no AfterAnimation event.
void AnimateDialogHide(TacAnimatedWindow* dialog, int time, TacAnimType mode);

// Plays the disappearance of Bmp (a straight-alpha picture of the window) in Cover on the shared
// hide timer; both are owned by the timer from here on (freed at once for a Time below 12 ms).
// A cover of an earlier hide still playing is freed at once. ParentWnd: the window asked for its
// provider at the end, for AfterAnimation(aeHiding) (nil: no event).
void StartHideAnimation(TacGlowForm* cover, TBitmap* bmp, int time, HWND parentWnd, TacAnimType animType,
                        uint8_t startAlpha);

// The timer playing hide animations, one at a time.
class TacHideTimer : public TacThreadedTimer {
public:
    explicit TacHideTimer(TComponent* owner);
    ~TacHideTimer() override;

    HWND ParentWnd = nullptr;
    TacGlowForm* Form = nullptr;   // the cover (owned)
    TBitmap* SrcBmp = nullptr;     // the picture, premultiplied (owned)
    TBitmap* DstBmp = nullptr;     // the frame (owned)
    int StartBlendValue = 255;
    int StepCount = 0;
    int I = 0;
    TacAnimType AnimType = atFading;
    bool EventCalled = false;

    // Frees the cover and the pictures now (no event).
    void FreeCover();
    void HideTick(TObject* sender);
    void Begin(TacAnimType type, int stepCount);

private:
    void FireAfterAnimation();
    std::unique_ptr<TacHideSteps> FSteps;
};

// The shared timer (nil before the first hide).
TacHideTimer* SharedHideTimer();
// Forgets the shared timer without freeing it (its owner frees it).
void ForgetSharedHideTimer();
