#include "skin/engine/core/control_link.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr bool In(int v, int lo, int hi) { return lo <= v && v <= hi; }

template <size_t N>
constexpr bool OneOf(int v, const int (&set)[N])
{
    for (int x : set)
        if (x == v) return true;
    return false;
}

}  // namespace

bool IsNoHoverKind(int coc) { return coc == 19 || In(coc, 51, 74) || coc == 110 || In(coc, 141, 161); }

bool IsEditLikeKind(int coc) { return In(coc, 2, 18) || In(coc, 76, 85) || In(coc, 132, 140) || coc == 231; }

bool IsColorFollowingKind(int coc) { return In(coc, 2, 18) || In(coc, 76, 84) || In(coc, 132, 140) || coc == 231; }

bool IsNoGlowKind(int coc)
{
    static constexpr int set[] = {51, 54, 56, 57, 58, 59, 74, 110, 141, 143, 151, 161, 226};
    return OneOf(coc, set);
}

bool IsButtonKind(int coc) { return In(coc, 92, 94); }

bool IsFrameRefreshKind(int coc)
{
    static constexpr int set[] = {7, 8, 10, 14, 78, 83, 85, 231};
    return OneOf(coc, set);
}

bool AsksControlForDefaultSection(int coc)
{
    static constexpr int set[] = {50, 51, 53, 54, 78, 143, 151, 161, 165, 224, 226, 227};
    return In(coc, 2, 10) || In(coc, 12, 14) || In(coc, 32, 34) || In(coc, 57, 59) || In(coc, 74, 76) ||
           In(coc, 81, 85) || In(coc, 92, 94) || In(coc, 132, 141) || OneOf(coc, set);
}

const wchar_t* FixedDefaultSection(int coc)
{
    switch (coc) {
    case 18: return L"COMBOBOX";
    case 19: return L"BAR";
    case 20: return L"BARTITLE";
    case 56: return L"DRAGBAR";
    case 98: return L"TOOLBUTTON";
    case 230: return L"EDIT";
    default: return nullptr;
    }
}

uint16_t BGTypeOfState(const TsGenState& state, int textureDrawMode)
{
    uint16_t bits = 0;
    if (state.ImagePercent > 0 && state.TextureIndex >= 0 && textureDrawMode >= 0) {
        const int d = textureDrawMode;
        static constexpr int tex[] = {1, 4, 5, 8, 9, 11, 12};
        static constexpr int v1[] = {0, 1, 3, 5, 10, 12};
        static constexpr int h1[] = {0, 1, 2, 4, 10, 11};
        static constexpr int v2[] = {0, 1, 7, 9, 10, 12};
        static constexpr int h2[] = {0, 1, 6, 8, 10, 11};
        if (OneOf(d, tex)) bits |= acbg::Texture;
        if (OneOf(d, v1)) bits |= acbg::TexV1;
        if (OneOf(d, h1)) bits |= acbg::TexH1;
        if (OneOf(d, v2)) bits |= acbg::TexV2;
        if (OneOf(d, h2)) bits |= acbg::TexH2;
    }
    const TsGradArray& g = state.GradientArray;
    if (!g.empty() && (state.GradientPercent > 0 || (g[0].Mode & 0x20))) {
        switch (g[0].Mode & 3) {
        case 0: bits |= acbg::GradientV; break;
        case 1: bits |= acbg::GradientH; break;
        case 2: bits |= acbg::GradientH | acbg::GradientV; break;
        default: break;
        }
    }
    return bits;
}

TRect GlowWindowRect(const TRect& control, int wl, int wt, int wr, int wb, int margin)
{
    const int w = control.Width() + wl + wr - 2 * margin;
    const int h = control.Height() + wt + wb - 2 * margin;
    const int x = control.left + margin - wl;
    const int y = control.top + margin - wt;
    return TRect(x, y, x + w, y + h);
}

int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

TacAnimPlan PlanStateAnimation(double glow, int currentState, int newState, bool fast, bool hasOutput, int startIteration)
{
    TacAnimPlan p;
    p.Glow = glow > 255 ? 255 : glow < 0 ? 0 : glow;
    p.Iterations = fast ? 3 : 6;
    if (newState == 0) {
        p.Iterations *= 3;
        p.GlowStep = p.Glow / p.Iterations;
    } else if (newState == 2) {
        p.GlowStep = p.Glow / p.Iterations;
    } else {
        if (currentState > 0)
            p.Iterations = 6;
        else
            p.Iterations = std::max(1, RoundHalfEven((255 - p.Glow) * 6 / 255));
        p.GlowStep = (255 - p.Glow) / p.Iterations;
    }
    p.ValueStep = 255.0 / p.Iterations;
    p.FromOutput = hasOutput && (newState == 2 || (newState == 1 && currentState == 2));
    if (newState == 1 && currentState < 1)
        p.Iteration = RoundHalfEven(6 * p.Glow / 255);
    else if (newState == 0 && currentState == 1)
        p.Iteration = p.Glow == 0 ? 0 : RoundHalfEven(p.Iterations * (255 - p.Glow) / 255);
    else
        p.Iteration = hasOutput ? 0 : startIteration;
    return p;
}

int RemainingAnimSteps(int state, int iteration)
{
    const int left = (state == 0 ? 18 : 6) - iteration;
    return left > 0 ? left : 0;
}

int CrossFadeGlow(double& glow, double glowStep, int state, int iteration, int iterations)
{
    if (state == 0 || state == 2)
        glow -= glowStep;
    else if (state == 1)
        glow += glowStep;
    else
        glow = 255 - static_cast<double>(iteration) / iterations * 255;
    const int v = RoundHalfEven(glow);
    return v < 0 ? 0 : v > 255 ? 255 : v;
}
