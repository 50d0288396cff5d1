// Outer effects: the soft shadow or light outline around windows and controls. The two window
// effects come from GLOBALINFO keys ("SH_" shadow, "LO_" light outline), a section's from its
// OUTER... keys; either takes its image (a colour part over a mask part, sliced in nine) from
// the skin or has one generated from a blurred rounded shadow. No windows.h here.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "skin/engine/core/skin_images.h"

struct TacOutEffData {
    TColor ColorL = 0, ColorT = 0, ColorR = 0, ColorB = 0;
    int OffsetL = 0, OffsetT = 0, OffsetR = 0, OffsetB = 0;
    int WidthL = -1, WidthT = -1, WidthR = -1, WidthB = -1;
    int Blur = 5, Radius = 9;
    int Mask = -1;     // image index, -1 none
    int Source = 2;    // 0 none, 1 an image of the skin, otherwise generated
    int Opacity = 60;
};
// [0] the light outline ("LO_"), [1] the shadow ("SH_").
using TacOutEffArray = std::array<TacOutEffData, 2>;

// The keys of one window effect. scaleInt is the manager's integer scaling, resolveColor turns a
// system colour into RGB. Numbers are kept within the ranges section keys have: offsets and
// widths 0..255 (a width of -1: derived from the image), radius and blur 0..30, opacity 0..255.
TacOutEffData ReadOuterEffect(TCustomIniFile& d, bool shadow, const std::function<int(int)>& scaleInt,
                              const std::function<TColor(TColor)>& resolveColor);

// Paints the colour part of an effect into r: one colour (colorB the key colour 0xFF00FF) or the
// bottom colour over the top colour with the left and right colours as triangles from the sides.
void FillSideColorMask32(const TPixelView& v, const TRect& r, TColor colorL, TColor colorB, TColor colorR,
                         TColor colorT);

// What building effect images needs of the data object.
struct TacOuterContext {
    std::vector<TsMaskData>* Images = nullptr;
    TacBmpArray* Cache = nullptr;
    const TPixelImage* Master = nullptr;
    TCustomIniFile* Description = nullptr;
    TsSkinManager* Manager = nullptr;
    int PPI = 96;
    int ScaleValue = 0;
    std::function<int(int)> ScaleInt;
    std::vector<String>* Notes = nullptr;
};

// The image of a window effect (key "SH_MASK" or "LO_MASK"): from the skin (Source 1; scaled
// from the plain value when the step has no value of its own) or generated; sets e.Mask and,
// afterwards, scales e's widths. An image from the skin whose rectangle is empty or not inside
// the master bitmap leaves no image (Mask -1) and a note.
void LoadOuterEffectMask(TacOuterContext& ctx, TacOutEffData& e, const String& key);

// A generated effect image for section index sectionIndex (OUTERMODE 3: one colour, 4: four);
// answers the new image's index.
int BuildSectionOuterMask(TacOuterContext& ctx, int sectionIndex, const TsGeneralData& g);
