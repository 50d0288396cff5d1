// The arithmetic of scaling skins: which variant of an image definition a PPI takes, the frame
// geometry of a standalone scaled image, the PPI each scale mode works at and the percents a
// scale-mode change goes from and to. No windows.h here.
#pragma once

#include <utility>

#include "skin/engine/core/geometry.h"
#include "skin/engine/core/mask_notation.h"
#include "skin/engine/core/skin_data.h"

// ---- one image at a PPI -----------------------------------------------------------------------

// The value of key for mulPpi and the PPI it was drawn for: first the steps drawn for more than
// mulPpi, smallest first, then those drawn for mulPpi or less, largest first (at 96 PPI: "*125",
// "*150", "*200", then the plain key); the first non-empty value wins. lookup(key) answers the
// description's value or an empty text. An empty value when there is none.
template <class Lookup>
std::pair<String, int> ChooseScaledMaskVariant(const String& key, int mulPpi, Lookup&& lookup)
{
    for (int i = 0; i <= 3; ++i)
        if (mulPpi < ScaleStepPpis[i])
            if (String v = lookup(key + ScaleStepSuffixes[i]); !v.empty()) return {v, ScaleStepPpis[i]};
    for (int i = 3; i >= 0; --i)
        if (mulPpi >= ScaleStepPpis[i])
            if (String v = lookup(key + ScaleStepSuffixes[i]); !v.empty()) return {v, ScaleStepPpis[i]};
    return {String(), 96};
}

// What a standalone image is cut from: the definition read from its canonical form, its source
// rectangle clipped to the picture it lies in, and one frame's size.
struct TacScaledMaskPlan {
    TacMaskDefinition Def;
    TRect Source;
    int FrameWidth = 0, FrameHeight = 0;
};

// Plans the image of a definition value (as written in the skin) over a picture of pictureSize
// (the master, or the image's own file). False when the value cannot be read or its rectangle
// holds no pixel of the picture. A frame count of 0 counts as 1.
bool PlanScaledMask(const String& value, TSize pictureSize, TacScaledMaskPlan& plan);
// The same in two steps: the value read (false when it cannot be), then cut from its picture.
bool ReadMaskValue(const String& value, TacMaskDefinition& definition);
bool PlanScaledMask(const TacMaskDefinition& definition, TSize pictureSize, TacScaledMaskPlan& plan);

// ---- scale modes ------------------------------------------------------------------------------

// The PPI a mode works at: step PPIs for sm100..sm200 and smAuto (the system font's step), the
// custom PPI, 96 without scaling; in smVCL the PPI of the window asking (controlPpi).
int ScaleModePpi(TacScaleMode mode, int sysFontStep, int customPpi, int controlPpi);
// 100, 125, 150, 200.
inline int PercentOfScaleStep(int step) { return PpiOfScaleStep(step) * 100 / 96; }
// The manager's step in a mode (0 without scaling and in smVCL; the system font's in smAuto).
int ScaleStepOfMode(TacScaleMode mode, int sysFontStep);


// A scale-mode change: the percents and PPIs it goes from and to, and the custom PPI stored
// afterwards. Inputs: the modes, the PPIs of a custom-PPI write (0, 0 for a mode write), the
// stored custom PPI, the system font's step and the main form's PPI. Leaving a fixed step or a
// custom PPI for smVCL goes through a custom-PPI change to the main form's PPI first, which
// brings the forms back to the PPI the platform gave them (the platform does not scale them
// back itself).
struct TacScaleChange {
    int OldPercent = 100, NewPercent = 100;
    int OldPPI = 96, NewPPI = 96;
    int StoredPPI = 96;       // Options.PixelsPerInch afterwards
    bool CustomFirst = false; // the custom-PPI change at the main form's PPI comes first
    bool Smaller() const { return NewPercent < OldPercent; }
};
TacScaleChange ComputeScaleChange(TacScaleMode oldMode, TacScaleMode newMode, int newPpi, int oldPpi, int storedPpi,
                                  int sysFontStep, int mainFormPpi);

// The width of a scroll bar at ppi: scrollSize (when not negative) scaled from 96; else the
// system's width (systemWidth, at screenPpi) by the scale mode.
int CalcScrollBarWidthFor(TacScaleMode mode, int ppi, int scrollSize, int systemWidth, int screenPpi, int customPpi,
                          int managerStep, int sysFontStep);
