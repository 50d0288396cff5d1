// The painting core on 32-bit bitmaps: each routine takes the bitmap's pixels as a view (a bitmap
// that is not 32-bit, or has no rows, is left alone) and runs the same code as the pure core, so
// pixels do not depend on the platform. System colours are resolved here (ColorToRGB).
#pragma once

#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/gradients.h"

class TControl;
class TacSkinPaintSource;

// ---- alpha pixel operations ------------------------------------------------------------------

inline uint32_t ReadPixel32(TBitmap* b, int x, int y) { return ReadPixel32(BitmapView(b), x, y); }
inline void WritePixel32(TBitmap* b, int x, int y, uint32_t value) { WritePixel32(BitmapView(b), x, y, value); }
inline void FillRectAlpha32(TBitmap* b, const TRect& r, TColor color, uint8_t alpha)
{
    FillRectAlpha32(BitmapView(b), r, color, alpha);
}
inline void FillBorderStrips32(TBitmap* b, const TRect& r, int left, int top, int right, int bottom, TColor color)
{
    FillBorderStrips32(BitmapView(b), r, left, top, right, bottom, color);
}
inline void FillAroundRect32(TBitmap* b, const TRect& outer, const TRect& inner, TColor color, uint8_t alpha)
{
    FillAroundRect32(BitmapView(b), outer, inner, color, alpha);
}
// Color may be a system colour.
void BlendColorRect32(TBitmap* b, const TRect& r, uint8_t weight, TColor color);
inline void TintRectAlpha32(TBitmap* b, const TRect& r, TColor color, int percent, uint8_t alpha)
{
    TintRectAlpha32(BitmapView(b), r, color, percent, alpha);
}
inline void SetRectAlpha32(TBitmap* b, const TRect& r, uint8_t alpha, uint32_t key)
{
    SetRectAlpha32(BitmapView(b), r, alpha, key);
}
// Asks the form services once per call whether desktop composition is on.
void PremultiplyAlphaRect32(TBitmap* b, const TRect& r);
void PremultiplyAlpha32(TBitmap* b);
inline void MakeOpaqueIfNoAlpha32(TBitmap* b) { MakeOpaqueIfNoAlpha32(BitmapView(b)); }
// Without skin data nothing is copied (a warning box when a debugger is attached).
void FillTransPixels32(TBitmap* dest, TBitmap* source, const TRect& r, const TPoint& sourcePoint, int maskIndex,
                       const TacSkinPaintSource* skinData, int corner);
// Control: whose background colour stands in when Background has neither image nor colour.
void ApplyGlyphEffects32(TBitmap* b, int kinds, TControl* control, const TCacheInfo& background, const TPoint& point);

// ---- blending and keyed copies -----------------------------------------------------------------

inline void MixBitmaps32(TBitmap* dest, TBitmap* src, uint8_t weight) { MixBitmaps32(BitmapView(dest), BitmapView(src), weight); }
inline void MixRectAt32(TBitmap* dest, TBitmap* src, uint8_t weight, const TRect& srcRect, const TPoint& destPoint)
{
    MixRectAt32(BitmapView(dest), BitmapView(src), weight, srcRect, destPoint);
}
void MixBitmapsByMask32(TBitmap* dest, TBitmap* a, TBitmap* b, TBitmap* mask, uint8_t weight);
inline void ComposeBitmap32(TBitmap* dest, TBitmap* src) { ComposeBitmap32(BitmapView(dest), BitmapView(src)); }
void TintBitmap32(TBitmap* b, uint8_t weight, TColor color);
inline void BlendRectAt32(TBitmap* dest, int x, int y, TBitmap* src, const TRect& srcRect, int transparency, uint32_t key)
{
    BlendRectAt32(BitmapView(dest), x, y, BitmapView(src), srcRect, transparency, key);
}
inline void BlendKeyedRect32(TBitmap* dest, TBitmap* src, int x, int y, const TRect& srcRect, TColor key, uint8_t opacity)
{
    BlendKeyedRect32(BitmapView(dest), BitmapView(src), x, y, srcRect, key, opacity);
}
inline void CopyOpaqueAt32(TBitmap* dest, TBitmap* src, int x, int y, TColor key)
{
    CopyOpaqueAt32(BitmapView(dest), BitmapView(src), x, y, key);
}
inline void CopyKeyedRect32(TBitmap* dest, TBitmap* src, int x, int y, const TRect& srcRect, uint32_t key,
                            const TCacheInfo& background, bool useBackground)
{
    CopyKeyedRect32(BitmapView(dest), BitmapView(src), x, y, srcRect, key, background, useBackground);
}
inline void CopyMaskedRect32(const TRect& destRect, const TRect& srcRect, TBitmap* dest, TBitmap* src,
                             const TCacheInfo& background, bool fillKeys, const TsMaskData& mask)
{
    CopyMaskedRect32(destRect, srcRect, BitmapView(dest), BitmapView(src), background, fillKeys, mask);
}
inline void CopyChannel32(TBitmap* dest, TBitmap* src, int channel) { CopyChannel32(BitmapView(dest), BitmapView(src), channel); }
// The 8-bit bitmap's rows are the plane (a bitmap of another format is left alone).
void CopyChannel8(TBitmap* bitmap32, TBitmap* bitmap8, int channel, bool toEightBit);
// The plane of an 8-bit bitmap (null for another format).
TBytePlane BitmapPlane8(TBitmap* bitmap);

// ---- gradients and shadows -------------------------------------------------------------------

// A new bitmap the caller owns (see CreateShadowImage32).
TBitmap* CreateShadowBitmap32(TColor color, int radius, int offsetY, int extraHeight, int extraWidth, int blur,
                              bool opaque);
