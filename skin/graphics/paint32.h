// The painting core on 32-bit bitmaps: each routine takes the bitmap's pixels as a view (a bitmap
// that is not 32-bit, or has no rows, is left alone) and runs the same code as the pure core, so
// pixels do not depend on the platform. System colours are resolved here (ColorToRGB).
#pragma once

#include "skin/graphics/alpha_compose.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/glyph_layout.h"
#include "skin/graphics/gradients.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/nine_slice.h"
#include "skin/graphics/resample.h"

class TControl;
class TacSkinPaintSource;

// ---- alpha pixel operations ------------------------------------------------------------------

inline uint32_t ReadPixel32(TBitmap* b, int x, int y) { return ReadPixel32(BitmapView(b), x, y); }
inline void WritePixel32(TBitmap* b, int x, int y, uint32_t value) { WritePixel32(BitmapView(b), x, y, value); }
// The same store, under the name the frame and menu painters use.
inline void StorePixel32(TBitmap* b, int x, int y, uint32_t value) { WritePixel32(BitmapView(b), x, y, value); }
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

// ---- nine-slice skin images -------------------------------------------------------------------

inline void DrawSkinMask32(TBitmap* b, const TRect& r, const TCacheInfo& background, const TsMaskData& mask, int state,
                           bool fillCorners)
{
    DrawSkinMask32(BitmapView(b), r, background, mask, state, fillCorners);
}
inline void DrawMaskState32(TBitmap* b, const TPoint& point, int state, int mode, const TsMaskData& mask,
                            const TCacheInfo& background)
{
    DrawMaskState32(BitmapView(b), point, state, mode, mask, background);
}
inline void StretchMaskPiece32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, TBitmap* dest,
                               TBitmap* source, int maskOffset, bool isCentre)
{
    StretchMaskPiece32(dx, dy, dw, dh, sx, sy, sw, sh, BitmapView(dest), BitmapView(source), maskOffset, isCentre);
}
inline void DrawMaskCell32(const TRect& destArea, const TRect& srcArea, TBitmap* dest, TBitmap* source, int mode,
                           const TsMaskData& mask)
{
    DrawMaskCell32(destArea, srcArea, BitmapView(dest), BitmapView(source), mode, mask);
}
inline void CopyMaskedTile32(const TRect& destArea, const TRect& srcArea, TBitmap* dest, const TCacheInfo& background,
                             const TsMaskData& mask)
{
    CopyMaskedTile32(destArea, srcArea, BitmapView(dest), background, mask);
}

// ---- alpha composition and glyph strips --------------------------------------------------------

inline void ComposeRectAt32(TBitmap* dest, TBitmap* src, const TRect& srcRect, const TPoint& destPoint, uint8_t globalAlpha)
{
    ComposeRectAt32(BitmapView(dest), BitmapView(src), srcRect, destPoint, globalAlpha);
}
inline void StretchComposeAt32(TBitmap* dest, int x, int y, int destWidth, int destHeight, TBitmap* src, int srcX,
                               int srcY, int srcWidth, int srcHeight, uint8_t globalAlpha)
{
    StretchComposeAt32(BitmapView(dest), x, y, destWidth, destHeight, BitmapView(src), srcX, srcY, srcWidth, srcHeight,
                       globalAlpha);
}
inline void CopyRectOverBg32(const TRect& destRect, const TRect& srcRect, TBitmap* dest, TBitmap* src,
                             const TCacheInfo& background, bool useBackground)
{
    CopyRectOverBg32(destRect, srcRect, BitmapView(dest), BitmapView(src), background, useBackground);
}
// Src is given the 32-bit format first.
void CopyRectAlpha32(const TRect& destRect, const TRect& srcRect, TBitmap* dest, TBitmap* src, const TCacheInfo& background,
                     bool keysFromBackground, TColor tone, int percent, bool reflected);
inline void DrawReflection32(TBitmap* dest, TBitmap* src, const TPoint& destPoint, const TRect& srcRect, TColor key,
                             int transparency)
{
    DrawReflection32(BitmapView(dest), BitmapView(src), destPoint, srcRect, key, transparency);
}
// A 32-bit copy of the strip is drawn; a 4-bit strip, or no default skin or its option, keeps the
// platform's cell order.
void DrawStateGlyph32(TBitmap* dest, TBitmap* glyphs, const TRect& r, int cellCount, bool useStates, int kind, int blend,
                      int state, bool reflected);
inline void BlitNineSlice(TBitmap* dest, TBitmap* src, const TRect& destRect, const TRect& srcRect, const TRect& borders,
                          const TRect& corners, const TRect& modes, bool stretchCenter, bool fillCenter)
{
    BlitNineSlice(BitmapView(dest), BitmapView(src), destRect, srcRect, borders, corners, modes, stretchCenter, fillCenter);
}
// The bitmap drawn into the canvas rectangle with its alpha over what the canvas shows (scaled when
// the sizes differ; with a fading reflection below when they match and Reflected).
void DrawBitmapAlpha(TCanvas* canvas, TBitmap* bitmap, const TRect& r, bool reflected);

// ---- layout, rotation and resampling -----------------------------------------------------------

// Dst takes Src resized (Dst may be Src); nothing for degenerate sizes.
void ResampleBitmap32(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, int filter);
// A turned copy (90, 180, 270); FreeSource frees the given bitmap. A bitmap that is not 32-bit comes back as it is.
TBitmap* RotateBitmap32(TBitmap*& bitmap, int angle, bool freeSource);
// The bitmap drawn centred on Center turned by Angle (a quarter turn added: callers pass Angle - 90).
void DrawRotated(HDC dc, TBitmap* bitmap, const TPoint& center, int angle);

// ---- gradients and shadows -------------------------------------------------------------------

// Bands drawn by the line brush, path gradients and four-corner fills go through GDI+ and msimg32.
void PaintGradient32(TBitmap* b, const TRect& r, const TsGradArray& gradient);
void PaintTexturedGradient32(TBitmap* b, const TRect& r, const TsGradArray& gradient, TBitmap* texture,
                             const TRect& textureRect, uint8_t mix, uint8_t alpha);
void PaintTwoColorGradient32(TBitmap* b, TColor color, int direction);
// A new bitmap the caller owns (see CreateShadowImage32).
TBitmap* CreateShadowBitmap32(TColor color, int radius, int offsetY, int extraHeight, int extraWidth, int blur,
                              bool opaque);

// ---- skin item painting ----------------------------------------------------------------------

// The painters of item_paint.h over bitmaps and device contexts, gradient bands through GDI+.
// A bitmap that is not 32-bit is painted through a 32-bit copy of its pixels. Without skin data nothing is painted (a box naming
// the routine when a debugger is attached); colours may be system colours.
void PaintItemBG(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                 TBitmap* bitmap, const TacSkinPaintSource* skinData, int texIndex = -1, int activeTexIndex = -1,
                 TColor customColor = acSkinColor);
void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
               TBitmap* bitmap, const TacSkinPaintSource* skinData, int texIndex = -1, int activeTexIndex = -1);
// Painted into a new 32-bit bitmap of r's size (its own origin, the same point) and copied to
// the DC at r's top-left corner; the DC's state is restored afterwards.
void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point, HDC dc,
               const TacSkinPaintSource* skinData);
// The section (fallbackIndex when skinIndex is negative) painted over the whole bitmap: over a
// copy of the DC's area at r's top-left corner when a DC is given, else over fillColor. Answers
// the section used (negative: nothing painted).
int PaintItemOverCopy(TBitmap* bitmap, int skinIndex, int fallbackIndex, int state, const TacSkinPaintSource* skinData,
                      const TRect& r, TColor fillColor, HDC dc);
// A skinned control's composition of its section (see item_paint.h).
void PaintSectionFrame(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                       TBitmap* bitmap, const TacSkinPaintSource* skinData, TColor customColor = acSkinColor,
                       bool fillCorners = true);
// A control link's item (see item_paint.h); the look's colour and tone may be system or palette
// colours.
void PaintSkinDataItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                       TBitmap* bitmap, const TacSkinPaintSource* skinData, const TacItemLook& look,
                       bool fillCorners = true);
// The item over a parent's answer, corner images over the border (see item_paint.h).
void PaintControlItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                      TBitmap* bitmap, const TacSkinPaintSource* skinData, TColor customColor = acSkinColor,
                      bool fillCorners = true);
// Tone (clNone: none; a system or palette colour is resolved), hue and saturation over the bitmap.
void ApplyColorEffects(TBitmap* bitmap, TColor tone, int hueOffset, int saturation);
