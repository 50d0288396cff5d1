// Hue, saturation and brightness of a loaded skin, on its pixel buffers and records: the master
// bitmap, the bitmaps of one data object's cache, its sections' state and gradient colours. The
// key colour is never changed. No windows.h here.
//
// The manager applies them, in this order, at the end of loading one data object, to that
// object only (the master bitmap is loaded afresh with each object, so it too is adjusted once).
#pragma once

#include <vector>

#include "skin/engine/core/skin_images.h"
#include "skin/engine/core/skin_records.h"

// What one data object gives the adjustments.
struct TacAdjustableData {
    TacBmpArray* Cache = nullptr;
    std::vector<TsGeneralData>* Sections = nullptr;
};

// The GLOBALINFO keys of the title icons that keep their hue for a "BIKEEPHUE" value: the close
// icons from 1 on, all big and small title icons at exactly 1.
std::vector<String> KeptTitleIconKeys(int biKeepHue);

// Every state colour (colour, glow colour, font colour and outlines, each unless -1) of every
// section through f; the gradient colours too, unless onlyWithGradient and the state's gradient
// share is 0.
template <class F>
void ForEachStateColor(std::vector<TsGeneralData>& sections, bool onlyWithGradient, F&& f)
{
    for (TsGeneralData& g : sections)
        for (TsGenState& s : g.Props) {
            for (TColor* c : {&s.Color, &s.GlowColor, &s.FontColor.Color, &s.FontColor.Left, &s.FontColor.Top,
                              &s.FontColor.Right, &s.FontColor.Bottom})
                if (*c != -1) *c = f(*c);
            if (!onlyWithGradient || s.GradientPercent > 0)
                for (TsGradPoint& p : s.GradientArray) p.Color.I = f(p.Color.I);
        }
}

// Hue turned by degrees: the master bitmap except the rectangles of kept icons that lie in it,
// every cache bitmap except the kept ones, the section colours (gradients only where shown).
void ApplyHueOffset(TPixelImage& master, const std::vector<TRect>& keptMasterRects, const TacAdjustableData& data,
                    const std::vector<const TPixelImage*>& keptBitmaps, int degrees);

// Saturation changed by amount percent (-100 grey .. 100).
void ApplySaturation(TPixelImage& master, const TacAdjustableData& data, int amount);

// Brightness changed by amount (-100..100). Masks keep their values: the mask parts of every
// image in the master bitmap (masterImages: the images of every data object) are put back, and
// a cached bitmap with mask parts keeps them. With amount > 0 cached PNG pictures are
// premultiplied by alpha.
void ApplyBrightness(TPixelImage& master, const std::vector<const std::vector<TsMaskData>*>& masterImages,
                     const TacAdjustableData& data, int amount, bool compositionOn);
