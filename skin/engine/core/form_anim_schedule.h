// The frames of a window's show and hide animations: one frame every 12 ms, Time div 12 steps.
// A show brings an image of the window in (fading up, growing from a little inset, or dropping
// down); a hide lets the image of a closed window fade out, shrink or fold up. Each frame says
// at which opacity it is pushed and where the window's image lies in it. No windows.h here.
#pragma once

#include <vector>

#include "skin/engine/core/manager_options.h"
#include "vcl/types.h"

// Milliseconds between two frames.
inline constexpr int FormAnimFrameInterval = 12;

// Time div 12 (0 for a time below 12 ms).
int FormAnimStepCount(int time);

// How a frame holds the image.
enum TacAnimPlacement {
    apWhole,       // the whole image copied as it is
    apStretched,   // scaled into Rect over a black frame (a folding hide: over a transparent one)
    apUnchanged    // the frame of the step before, at a new opacity
};

struct TacAnimFrame {
    int Opacity = 255;   // 0..255
    TacAnimPlacement Placement = apWhole;
    TRect Rect;          // apStretched: where the image is scaled to
    bool Transparent = false;   // apStretched: the frame is cleared to transparent first
};

// The steps of a show, as the show loop takes them: Frame, push, Advance (false ends early).
// BlendValue is the window's final opacity; a form's opacity rises by (BlendValue - 50) / N per
// frame (never below 0: a window more see-through than 50 would wrap round), a dialog's by
// BlendValue / (N + 1).
// What the show and hide steps share: the rectangle of a folding (aero) frame and the first
// frame of a plain fade, which sends the whole picture once.
class TacAnimSteps {
protected:
    TacAnimSteps(TacAnimType mode, int width, int height) : FMode(mode), FWidth(width), FHeight(height) {}
    // The frame at this opacity of an aero or plain fade.
    TacAnimFrame FoldOrFadeFrame(int opacity);
    // The aero rectangle one step on.
    void FoldStep();

    TacAnimType FMode;
    int FWidth, FHeight;
    double FTrans = 0, FStep = 0;
    double FL = 0, FT = 0, FR = 0, FB = 0, FDx = 0, FDy = 0;
    bool FFirst = true;
};

class TacShowSteps : TacAnimSteps {
public:
    TacShowSteps(TacAnimType mode, int stepCount, int blendValue, int width, int height, bool dialog);
    TacAnimFrame Frame();
    bool Advance();

private:
    int FBlendValue;
};

// The steps of a hide: the opacity falls by StartAlpha / N per frame (a folding hide keeps it).
class TacHideSteps : TacAnimSteps {
public:
    TacHideSteps(TacAnimType mode, int stepCount, int startAlpha, int width, int height);
    TacAnimFrame Frame();
    bool Advance();
};

// Every frame a show pushes before the window takes over (it then shows the whole image at
// BlendValue): up to N + 1, none for N = 0.
std::vector<TacAnimFrame> ShowFrames(TacAnimType mode, int time, int blendValue, int width, int height, bool dialog);
// Every frame a hide pushes after the first picture at StartAlpha: up to N + 1, none for N = 0.
std::vector<TacAnimFrame> HideFrames(TacAnimType mode, int time, int startAlpha, int width, int height);
