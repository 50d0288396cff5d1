// The rules of a control's skin link that need no window: the fixed sets of control-kind codes,
// the state a section can show, what a control's background depends on, where a glow window
// goes and the step plan of a state cross-fade. No windows.h here: built and tested natively.
#pragma once

#include <cstdint>

#include "skin/engine/core/skin_records.h"
#include "vcl/types.h"

// ---- control-kind codes ------------------------------------------------------------------------

namespace ackind {
constexpr uint8_t Edit = 3, Memo = 7, ComboBox = 13, CheckBox = 32, Image = 50, Panel = 51, GroupBox = 74,
                  Button = 93, BitBtn = 94, PageControl = 141, StatusBar = 151, TrackBar = 165, Dialog = 223,
                  Form = 224;
}

// Never hot by hovering.
bool IsNoHoverKind(int coc);
// Hot by hovering only while EditHotTracking is on.
bool IsEditLikeKind(int coc);
// Colour and font colour follow the section's state.
bool IsColorFollowingKind(int coc);
// No hover glow; hovering does not make the background query's state hot.
bool IsNoGlowKind(int coc);
// No hover glow from the link's mouse enter and leave.
bool IsButtonKind(int coc);
// scmRefresh recalculates the window frame.
bool IsFrameRefreshKind(int coc);
// The default section is asked of the control (scmGetDefaultIndex).
bool AsksControlForDefaultSection(int coc);
// The fixed default section of a kind; nullptr when the kind asks the control or takes the
// owner's class name.
const wchar_t* FixedDefaultSection(int coc);

// Hovering makes edit-like kinds hot; off by default and never switched on by the program.
inline bool EditHotTracking = false;
// Set by a skinned button or track bar that switched the application's hints off for a held left
// button; cleared when they are restored. A control switches hints off only while it is clear.
inline bool HintsSwitchedOff = false;

// ---- states ------------------------------------------------------------------------------------

// The state index a section can show: into 0 .. min(States, 3) - 1, a section of fewer than one
// state counting as one (a fallback section may say -1, a skin may say 0).
constexpr int ClampSectionState(int state, int states)
{
    int last = (states < 1 ? 1 : states > 3 ? 3 : states) - 1;
    return state < 0 ? 0 : state > last ? last : state;
}

// ---- background dependencies ------------------------------------------------------------------

// BGType bits: what a control's image depends on.
namespace acbg {
constexpr uint16_t GradientH = 0x01, GradientV = 0x02, Texture = 0x04, TexV1 = 0x10, TexH1 = 0x20, TexV2 = 0x40,
                   TexH2 = 0x80;
constexpr uint16_t WidthBits = 0xA5, HeightBits = 0x56;
}  // namespace acbg
// The BGType bits of one normal state (its texture's draw mode, or -1 without texture).
uint16_t BGTypeOfState(const TsGenState& state, int textureDrawMode);

// ---- glow windows ------------------------------------------------------------------------------

// Where a glow window goes around a control's screen rectangle: the mask's border widths
// outside the control, less the margin by which the glow overlaps it.
TRect GlowWindowRect(const TRect& control, int wl, int wt, int wr, int wb, int margin);

// ---- state cross-fade schedule -----------------------------------------------------------------

// The numbers of one animation as InitData sets them from the timer's present values.
struct TacAnimPlan {
    double Glow = 0;        // the glow after clamping
    double GlowStep = 0;
    double ValueStep = 0;
    int Iterations = 6;
    int Iteration = 0;
    bool FromOutput = false;   // the frame shown now becomes the start image
};
// glow: the timer's glow; currentState: the state it animated towards (-1 none); hasOutput: a
// frame is being shown; startIteration: the caller's remaining steps.
TacAnimPlan PlanStateAnimation(double glow, int currentState, int newState, bool fast, bool hasOutput,
                               int startIteration);
// Steps still left of a running animation (never negative).
int RemainingAnimSteps(int state, int iteration);
// Rounding to the nearest integer, halves to even.
int RoundHalfEven(double value);
// The glow after one frame of a cross-fade towards state, clamped to 0..255 as the weight V.
int CrossFadeGlow(double& glow, double glowStep, int state, int iteration, int iterations);
