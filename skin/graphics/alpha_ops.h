// Pixel-level toolbox of the skin painters: single pixels, byte orders, rectangles filled,
// tinted or given alpha, premultiplying for layered windows, key-colour copies and the look of a
// disabled image. All on pixel views (B, G, R, A with straight alpha); a TColor has red in byte 0
// and is an RGB value here (system colours are resolved by the callers). Rectangles are clipped to
// the view unless a routine says otherwise. No windows.h here.
#pragma once

#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_view.h"

// ---- pixels and colour values ------------------------------------------------------------------

// Unchecked: callers stay inside.
inline uint32_t ReadPixel32(const TPixelView& v, int x, int y) { return v.At(x, y); }
inline void WritePixel32(const TPixelView& v, int x, int y, uint32_t value) { v.At(x, y) = value; }
// TColor <-> pixel order: bytes 0 and 2 exchanged, 1 and 3 kept.
constexpr uint32_t ExchangeRB32(uint32_t value) { return SwapRedBlue(value); }
constexpr uint32_t ByteSwap32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
void ByteSwapArray32(uint32_t* first, int count);
void FillPixelRun32(uint32_t* first, int count, uint32_t value);

// ---- rectangles ------------------------------------------------------------------------------

// Color with alpha Alpha in every pixel of r.
void FillRectAlpha32(const TPixelView& v, const TRect& r, TColor color, uint8_t alpha);
// Four strips of the given widths along the inside of r, opaque.
void FillBorderStrips32(const TPixelView& v, const TRect& r, int left, int top, int right, int bottom, TColor color);
// The ring between outer and inner.
void FillAroundRect32(const TPixelView& v, const TRect& outer, const TRect& inner, TColor color, uint8_t alpha);
// Each channel := (Weight x channel + (255 - Weight) x colour's channel) shr 8; alpha kept.
void BlendColorRect32(const TPixelView& v, const TRect& r, uint8_t weight, TColor color);
// Each channel pulled toward the colour by Percent; alpha := Alpha.
void TintRectAlpha32(const TPixelView& v, const TRect& r, TColor color, int percent, uint8_t alpha);
// Alpha of every pixel of r, or (Key not clNone) of those whose word differs from Key.
void SetRectAlpha32(const TPixelView& v, const TRect& r, uint8_t alpha, uint32_t key);
// Colour bytes times alpha for a layered window; without composition near-white pixels (all three
// channels 245 or more) stay at most 244, so the system does not show them as holes.
void PremultiplyAlphaRect32(const TPixelView& v, const TRect& r, bool compositionOn);
void PremultiplyAlpha32(const TPixelView& v, bool compositionOn);
// A picture whose pixels all have alpha 0 gets alpha 255 everywhere except on the colour of its
// bottom-left pixel; a picture with any alpha is left alone.
void MakeOpaqueIfNoAlpha32(const TPixelView& v);

// Copies Source pixels (from sourcePoint on) into r of Dest where the decision map holds the key
// colour 0xFF00FF: a corner of image maskIndex's first frame (corner 14 top-right, 16 bottom-left,
// 17 bottom-right, any other the top-left), or with maskIndex -1 Dest itself after its alpha is
// cleared. Bounded by Dest, Source and the map; an unusable image copies nothing.
void FillTransPixels32(const TPixelView& dest, const TPixelView& source, const TRect& r, const TPoint& sourcePoint,
                       int maskIndex, const TacSkinPaintSource* skinData, int corner);

// Which looks ApplyGlyphEffects32 gives (a set: both may be given).
constexpr int gekBlended = 1;
constexpr int gekGrayed = 2;
// The look of a disabled image: grayed by SharedGraySaturation, then blended by SharedBlendValue
// with the background (its bitmap under the image when Ready, else its FillColor, else
// fallbackColor when FillColor is 0xFF00FF).
void ApplyGlyphEffects32(const TPixelView& v, int kinds, const TCacheInfo& background, const TPoint& point,
                         TColor fallbackColor);

// The composition of text drawn black on white into a text view (text pixels are those not white)
// onto v at r's top-left, in Color: mode 0 opaque, any other mode over alpha (for layered images).
void ComposeTextMask32(const TPixelView& v, const TPixelView& text, const TRect& r, TColor color, int mode);
