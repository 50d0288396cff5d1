// Skin gradients: the description text of a section state turned into stops. No windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"

// Replaces Gradient with the stops Text describes (integers separated by ";"). A last character
// "0" reads five fields per stop (colour, -, segment length in percent, mode, -); any other last
// character C reads code(C) - 64 stops of three fields (colour, percent, mode). A text of four
// characters or fewer, or one that describes no stop, gives an empty gradient. Text that cannot
// be read (a field that is not an integer, fewer fields than the count claims, a count below 0)
// answers False; Gradient then holds the stops read before the first unreadable field, as read
// (the last one's position is not moved to 100).
bool ParseGradientString(const String& text, TsGradArray& gradient);

// A rounded shadow of (2 Radius + ExtraWidth + 1) x (2 Radius + ExtraHeight + OffsetY + 1) pixels:
// four quarter circles of Radius, ExtraWidth columns and ExtraHeight rows apart, OffsetY rows down.
// Opaque: grey on white (byte 3 of Color is the darkness, Blur the soft edge); otherwise Color
// (byte 3 its opacity) premultiplied over transparency. Negative sizes count as 0.
TPixelImage CreateShadowImage32(TColor color, int radius, int offsetY, int extraHeight, int extraWidth, int blur,
                                bool opaque);

class TacGdipLayer;

// The gradient into r (clipped to the view): direction 0 rows, 1 columns, 2 four corners (through
// the layer), 3 nothing; bands with mode bit 0x10 are drawn through the layer (nothing without
// one). Bands stay inside r whatever order the stops' positions take.
void PaintGradient32(const TPixelView& v, const TRect& r, const TsGradArray& gradient, TacGdipLayer* layer = nullptr);
// The gradient mixed by Mix with the texture area tiled from the view's origin, alpha := Alpha;
// directions 0 and 1 only. An empty textureRect stands for the whole texture.
void PaintTexturedGradient32(const TPixelView& v, const TRect& r, const TsGradArray& gradient, const TPixelView& texture,
                             const TRect& textureRect, uint8_t mix, uint8_t alpha);
// The whole view filled with Color fading to transparent: 0 to the right, 1 downwards, 2 in from
// the left, 3 in from the top (line-brush bands through the layer).
void PaintTwoColorGradient32(const TPixelView& v, TColor color, int direction, TacGdipLayer* layer = nullptr);
