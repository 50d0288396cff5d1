#include "skin/engine/core/skin_scaling.h"

#include <algorithm>
#include <cstdint>

#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_images.h"

bool ReadMaskValue(const String& value, TacMaskDefinition& definition)
{
    try {
        // A value too short for its fixed positions is refused by the reader, not read past.
        definition = ParseCanonicalMask(NormalizeMaskValue(UpperCase(value)));
    } catch (const Exception&) {
        return false;
    }
    if (definition.ImageCount <= 0) definition.ImageCount = 1;
    return true;
}

bool PlanScaledMask(const TacMaskDefinition& definition, TSize pictureSize, TacScaledMaskPlan& plan)
{
    plan = TacScaledMaskPlan();
    plan.Def = definition;
    if (plan.Def.ImageCount <= 0) plan.Def.ImageCount = 1;
    // Only what lies in the picture is copied.
    plan.Source = TRect::Intersect(plan.Def.R, TRect(0, 0, pictureSize.cx, pictureSize.cy));
    if (plan.Source.IsEmpty()) return false;
    plan.FrameWidth = plan.Source.Width() / plan.Def.ImageCount;
    plan.FrameHeight = plan.Source.Height() / (plan.Def.MaskType + 1);
    return plan.FrameWidth > 0 && plan.FrameHeight > 0;
}

bool PlanScaledMask(const String& value, TSize pictureSize, TacScaledMaskPlan& plan)
{
    TacMaskDefinition d;
    plan = TacScaledMaskPlan();
    return ReadMaskValue(value, d) && PlanScaledMask(d, pictureSize, plan);
}

int ScaleStepOfMode(TacScaleMode mode, int sysFontStep)
{
    switch (mode) {
    case sm100: case sm125: case sm150: case sm200: return int(mode);
    case smAuto: return std::clamp(sysFontStep, 0, 3);
    default: return 0;
    }
}

int ScaleModePpi(TacScaleMode mode, int sysFontStep, int customPpi, int controlPpi)
{
    switch (mode) {
    case smVCL: return controlPpi;
    case smCustomPPI: return customPpi;
    default: return PpiOfScaleStep(ScaleStepOfMode(mode, sysFontStep));
    }
}

TacScaleChange ComputeScaleChange(TacScaleMode oldMode, TacScaleMode newMode, int newPpi, int oldPpi, int storedPpi,
                                  int sysFontStep, int mainFormPpi)
{
    TacScaleChange c;
    c.OldPPI = oldPpi;
    c.NewPPI = newPpi;
    c.StoredPPI = storedPpi;
    const int fontStep = std::min(std::max(sysFontStep, 0), 3);
    auto percentOf = [](int ppi) { return ppi * 100 / 96; };
    if (newMode == smCustomPPI) {
        if (oldMode == smCustomPPI) {
            c.OldPPI = storedPpi;
            if (newPpi == 0) c.NewPPI = c.OldPPI;
            else c.StoredPPI = newPpi;
            c.OldPercent = percentOf(c.OldPPI);
            c.NewPercent = percentOf(c.NewPPI);
        } else {
            c.OldPercent = oldMode == smVCL ? PercentOfScaleStep(ScaleStepOfPpi(mainFormPpi))
                                            : PercentOfScaleStep(ScaleStepOfMode(oldMode, sysFontStep));
            c.NewPPI = storedPpi;
            c.NewPercent = percentOf(c.NewPPI);
            c.OldPPI = c.OldPercent * 96 / 100;
        }
    } else {
        c.OldPercent = oldMode == smVCL         ? PercentOfScaleStep(ScaleStepOfPpi(mainFormPpi))
                       : oldMode == smCustomPPI ? percentOf(storedPpi)
                                                : PercentOfScaleStep(ScaleStepOfMode(oldMode, sysFontStep));
        switch (newMode) {
        case smAuto:
            c.NewPercent = PercentOfScaleStep(fontStep);
            c.NewPPI = PpiOfScaleStep(fontStep);
            break;
        case smOldMode:
            c.NewPercent = 100;
            c.NewPPI = 96;
            break;
        case smVCL:
            // The platform scales the forms from here on: the custom PPI follows the main form.
            if (oldMode != smVCL && oldMode != smAuto && oldMode != smOldMode) {
                c.StoredPPI = mainFormPpi;
                c.CustomFirst = true;
            }
            c.NewPercent = PercentOfScaleStep(fontStep);
            break;
        default:
            c.NewPercent = PercentOfScaleStep(int(newMode));
            c.NewPPI = PpiOfScaleStep(int(newMode));
            break;
        }
    }
    if (newMode != smVCL) c.StoredPPI = c.NewPPI;
    return c;
}

int CalcScrollBarWidthFor(TacScaleMode mode, int ppi, int scrollSize, int systemWidth, int screenPpi, int customPpi,
                          int managerStep, int sysFontStep)
{
    if (scrollSize >= 0) return ppi * scrollSize / 96;
    switch (mode) {
    case smAuto: case smOldMode: return systemWidth;
    case smVCL: return MulDivRound(systemWidth, ppi, screenPpi);
    case smCustomPPI: return MulDivRound(systemWidth, customPpi, PpiOfScaleStep(sysFontStep));
    default: return MulDivRound(systemWidth, PercentOfScaleStep(managerStep), PercentOfScaleStep(sysFontStep));
    }
}
