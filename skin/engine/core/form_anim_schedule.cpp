#include "skin/engine/core/form_anim_schedule.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounded half to even, kept within a byte.
int OpacityOf(double trans) { return std::clamp(static_cast<int>(std::nearbyint(trans)), 0, 255); }
int Rounded(double v) { return static_cast<int>(std::nearbyint(v)); }

TacAnimFrame Stretched(int opacity, double l, double t, double r, double b, bool transparent)
{
    TacAnimFrame f;
    f.Opacity = opacity;
    f.Placement = apStretched;
    f.Rect = TRect(Rounded(l), Rounded(t), Rounded(r), Rounded(b));
    f.Transparent = transparent;
    return f;
}

TacAnimFrame Plain(int opacity, TacAnimPlacement placement)
{
    TacAnimFrame f;
    f.Opacity = opacity;
    f.Placement = placement;
    return f;
}

}  // namespace

int FormAnimStepCount(int time) { return time >= FormAnimFrameInterval ? time / FormAnimFrameInterval : 0; }

TacShowSteps::TacShowSteps(TacAnimType mode, int stepCount, int blendValue, int width, int height, bool dialog)
    : TacAnimSteps(mode, width, height), FBlendValue(std::clamp(blendValue, 0, 255))
{
    const int n = std::max(stepCount, 1);
    FStep = dialog ? FBlendValue / double(n + 1) : std::max(FBlendValue - 50, 0) / double(n);
    switch (mode) {
    case atAero:
        FL = width / 32.0;
        FT = height / 32.0;
        FR = width - FL;
        FB = height - FT;
        FDx = FL / n;
        FDy = FT / n;
        break;
    case atDropDown:
        FR = width;
        FDx = width / 2.0;
        FDy = height / 2.0;
        break;
    default:
        FR = width;
        FB = height;
        break;
    }
}

TacAnimFrame TacAnimSteps::FoldOrFadeFrame(int opacity)
{
    if (FMode == atAero) {
        if (FL < 0 || FT < 0) return Plain(opacity, apWhole);
        return Stretched(opacity, FL, FT, FR, FB, false);
    }
    const bool first = FFirst;
    FFirst = false;
    return Plain(opacity, first ? apWhole : apUnchanged);
}

void TacAnimSteps::FoldStep()
{
    FL -= FDx;
    FT -= FDy;
    FR += FDx;
    FB += FDy;
}

TacAnimFrame TacShowSteps::Frame()
{
    FTrans = std::min<double>(FBlendValue, FTrans + FStep);
    if (FMode == atDropDown) return Stretched(255, 0, 0, FWidth, FB, false);
    return FoldOrFadeFrame(OpacityOf(FTrans));
}

bool TacShowSteps::Advance()
{
    if (FMode == atDropDown) {
        FB = FHeight - FDy;
        FDx /= 2;
        FDy /= 2;
        return FDx >= 2 || FDy >= 2;
    }
    if (FMode == atAero) FoldStep();
    return true;
}

TacHideSteps::TacHideSteps(TacAnimType mode, int stepCount, int startAlpha, int width, int height)
    : TacAnimSteps(mode, width, height)
{
    const int n = std::max(stepCount, 1);
    FTrans = std::clamp(startAlpha, 0, 255);
    FStep = FTrans / n;
    switch (mode) {
    case atAero:
        FDx = -width / (n * 32.0);
        FDy = -height / (n * 32.0);
        FR = width;
        FB = height;
        break;
    case atDropDown:
        FR = width;
        FB = height;
        FDy = height / 2.0;
        FStep = 0;
        break;
    default: break;
    }
}

TacAnimFrame TacHideSteps::Frame()
{
    FTrans = std::max(FTrans - FStep, 0.0);
    const int opacity = OpacityOf(FTrans);
    if (FMode == atDropDown) {
        if (FB != FHeight) return Stretched(opacity, 0, 0, FWidth, FB, true);
        return Plain(opacity, apWhole);
    }
    return FoldOrFadeFrame(opacity);
}

bool TacHideSteps::Advance()
{
    if (FMode == atDropDown) {
        FB /= 2;
        return FB >= 2;
    }
    if (FMode == atAero) FoldStep();
    return true;
}

namespace {

// The frames of N steps: one per step and the last, fewer when the steps end early.
template <class TSteps> std::vector<TacAnimFrame> FramesOf(int n, TSteps steps)
{
    std::vector<TacAnimFrame> frames;
    for (int i = 0; i <= n; ++i) {
        frames.push_back(steps.Frame());
        if (!steps.Advance()) break;
    }
    return frames;
}

}  // namespace

std::vector<TacAnimFrame> ShowFrames(TacAnimType mode, int time, int blendValue, int width, int height, bool dialog)
{
    const int n = FormAnimStepCount(time);
    if (n <= 0) return {};
    return FramesOf(n, TacShowSteps(mode, n, blendValue, width, height, dialog));
}

std::vector<TacAnimFrame> HideFrames(TacAnimType mode, int time, int startAlpha, int width, int height)
{
    const int n = FormAnimStepCount(time);
    if (n <= 0) return {};
    return FramesOf(n, TacHideSteps(mode, n, startAlpha, width, height));
}
