// The parts of the text routines that need no device: shortening a text with an ellipsis by an
// injected measurer, the glow's blur of an 8-bit mask and its composition in a colour, and the
// colour effects of a control applied to a text colour. No windows.h here.
#pragma once

#include "skin/graphics/pixel_view.h"
#include "vcl/sysutils.h"

// Measures texts in the font they will be drawn in.
class TacTextMeasurer {
public:
    virtual ~TacTextMeasurer() = default;
    virtual int TextWidth(const String& text) const = 0;
};

// Text as it is when it fits MaxWidth, else shortened with "..." until it does; empty when not even
// one character fits with the ellipsis, or MaxWidth is 0 or less.
String CutTextToWidth(const TacTextMeasurer& measurer, const String& text, int maxWidth);

// The box kernel of the glow's blur for a radius of at least 1: Size (1..16) and weights -16..16.
struct TacBlurKernel {
    int Size = 0;
    float Weights[33] = {};
    float Weight(int i) const { return Weights[i + 16]; }
};
TacBlurKernel BuildBlurKernel(int radius);
// Separable blur in place, rows then columns, edge samples repeated; nothing for a radius below 1.
void BlurMask8(const TBytePlane& plane, int radius);
// The blurred mask (255 = nothing) composed into dest in Color (a TColor): mask pixel (x, y) lands
// on dest (origin.x + x, origin.y + y); alpha accumulates.
void ComposeGlowMask32(const TPixelView& dest, const TBytePlane& mask, TPoint origin, TColor color);

// A control's tone (clNone: none; an RGB TColor), hue offset (degrees) and saturation (percent)
// applied to an RGB text colour.
TColor AdjustTextColorRGB(TColor color, TColor toneRGB, int hueOffset, int saturation);
