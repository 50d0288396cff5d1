#include "skin/graphics/paint32.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/form_services.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/gdiplus.h"
#include "skin/graphics/pixel_copy.h"
#include "vcl/controls.h"

#include <memory>

namespace {

// A programming error of a caller shows a box only while a debugger watches.
void WarnUsage(const wchar_t* text)
{
    if (IsDebuggerPresent()) MessageBoxW(nullptr, text, L"Warning", MB_OK | MB_ICONWARNING);
}

// The background colour of a control: a skinned control's answer to the background-colour query,
// any other control's own colour.
TColor ControlBackgroundColor(TControl* control)
{
    if (!control) return 0xFF00FF;
    if (SendSkinCommandToControl(control, scmIsSkinned, 0) == 1)
        return ColorToRGB(TColor(SendSkinCommandToControl(control, scmGetBGColor, 0xFF00FF)));
    return ColorToRGB(control->Color());
}

}  // namespace

void BlendColorRect32(TBitmap* b, const TRect& r, uint8_t weight, TColor color)
{
    BlendColorRect32(BitmapView(b), r, weight, ColorToRGB(color));
}

void PremultiplyAlphaRect32(TBitmap* b, const TRect& r)
{
    PremultiplyAlphaRect32(BitmapView(b), r, IsDesktopCompositionOn());
}

void PremultiplyAlpha32(TBitmap* b)
{
    PremultiplyAlpha32(BitmapView(b), IsDesktopCompositionOn());
}

void FillTransPixels32(TBitmap* dest, TBitmap* source, const TRect& r, const TPoint& sourcePoint, int maskIndex,
                       const TacSkinPaintSource* skinData, int corner)
{
    if (maskIndex != -1 && !skinData) {
        WarnUsage(L"Check parameters of the FillTransPixels32 procedure.");
        return;
    }
    FillTransPixels32(BitmapView(dest), BitmapView(source), r, sourcePoint, maskIndex, skinData, corner);
}

void ApplyGlyphEffects32(TBitmap* b, int kinds, TControl* control, const TCacheInfo& background, const TPoint& point)
{
    const TColor fallback = (kinds & gekBlended) && !background.Ready && background.FillColor == 0xFF00FF
                                ? ControlBackgroundColor(control)
                                : TColor(0xFF00FF);
    TCacheInfo bg = background;
    if (!bg.Ready) bg.FillColor = ColorToRGB(bg.FillColor);
    ApplyGlyphEffects32(BitmapView(b), kinds, bg, point, fallback);
}

void MixBitmapsByMask32(TBitmap* dest, TBitmap* a, TBitmap* b, TBitmap* mask, uint8_t weight)
{
    const TPixelView m = BitmapView(mask);
    if (mask && m.IsNull()) return;
    MixBitmapsByMask32(BitmapView(dest), BitmapView(a), BitmapView(b), mask ? &m : nullptr, weight);
}

void TintBitmap32(TBitmap* b, uint8_t weight, TColor color)
{
    TintBitmap32(BitmapView(b), weight, ColorToRGB(color));
}

TBytePlane BitmapPlane8(TBitmap* bitmap)
{
    if (!bitmap || bitmap->PixelFormat() != pf8bit || bitmap->Width() <= 0 || bitmap->Height() <= 0) return {};
    GdiFlush();
    auto* row0 = static_cast<uint8_t*>(bitmap->ScanLine(0));
    const ptrdiff_t stride = bitmap->Height() > 1 ? static_cast<uint8_t*>(bitmap->ScanLine(1)) - row0 : 0;
    return TBytePlane(row0, stride, bitmap->Width(), bitmap->Height());
}

void CopyChannel8(TBitmap* bitmap32, TBitmap* bitmap8, int channel, bool toEightBit)
{
    CopyChannel8(BitmapView(bitmap32), BitmapPlane8(bitmap8), channel, toEightBit);
}

TBitmap* CreateShadowBitmap32(TColor color, int radius, int offsetY, int extraHeight, int extraWidth, int blur,
                              bool opaque)
{
    return BitmapFromImage32(CreateShadowImage32(color, radius, offsetY, extraHeight, extraWidth, blur, opaque));
}

void CopyRectAlpha32(const TRect& destRect, const TRect& srcRect, TBitmap* dest, TBitmap* src, const TCacheInfo& background,
                     bool keysFromBackground, TColor tone, int percent, bool reflected)
{
    if (!src) return;
    src->SetPixelFormat(pf32bit);
    CopyRectAlpha32(destRect, srcRect, BitmapView(dest), BitmapView(src), background, keysFromBackground,
                    tone == clNone ? clNone : ColorToRGB(tone), percent, reflected);
}

void DrawStateGlyph32(TBitmap* dest, TBitmap* glyphs, const TRect& r, int cellCount, bool useStates, int kind, int blend,
                      int state, bool reflected)
{
    if (!dest || !glyphs || glyphs->Empty()) return;
    const TacSkinPaintSource* skin = SkinPaintSourceOf(nullptr);
    const bool stdOrder = glyphs->PixelFormat() == pf4bit || !skin || skin->StdGlyphsOrder();
    std::unique_ptr<TBitmap> copy(NewBitmap32(glyphs->Width(), glyphs->Height()));
    BitBlt(copy->Canvas()->Handle(), 0, 0, glyphs->Width(), glyphs->Height(), glyphs->Canvas()->Handle(), 0, 0, SRCCOPY);
    const TPixelView cells = BitmapView(copy.get());
    if (glyphs->PixelFormat() == pf32bit) {
        const TPixelView original = BitmapView(glyphs);
        for (int y = 0; y < cells.Height; ++y) std::copy(original.Row(y), original.Row(y) + cells.Width, cells.Row(y));
    }
    DrawStateGlyph32(BitmapView(dest), cells, r, cellCount, useStates, kind, blend, state, reflected, stdOrder);
}

void DrawBitmapAlpha(TCanvas* canvas, TBitmap* bitmap, const TRect& r, bool reflected)
{
    if (!canvas || !bitmap) return;
    if (bitmap->PixelFormat() != pf32bit) {
        bitmap->Draw(canvas, r);
        return;
    }
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0) return;
    const bool same = bitmap->Width() == w && bitmap->Height() == h;
    std::unique_ptr<TBitmap> tmp(NewBitmap32(w, reflected ? h + h / 2 : h));
    HDC dc = canvas->Handle();
    BitBlt(tmp->Canvas()->Handle(), 0, 0, tmp->Width(), tmp->Height(), dc, r.left, r.top, SRCCOPY);
    const TPixelView to = BitmapView(tmp.get());
    if (same) {
        CopyRectAlpha32(TRect(0, 0, w, h), TRect(0, 0, w, h), to, BitmapView(bitmap), EmptyCacheInfo, false, clNone, 0,
                        reflected);
    } else {
        // Colours and alpha scaled alike (nearest neighbour), then composed without reflection.
        TPixelImage scaled(w, h);
        StretchBlock32(scaled.View(), scaled.Bounds(), BitmapView(bitmap), TRect(0, 0, bitmap->Width(), bitmap->Height()));
        CopyRectAlpha32(TRect(0, 0, w, h), TRect(0, 0, w, h), to, scaled.View(), EmptyCacheInfo, false, clNone, 0, false);
    }
    GdiFlush();
    BitBlt(dc, r.left, r.top, tmp->Width(), tmp->Height(), tmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void ResampleBitmap32(TBitmap* src, TBitmap* dst, int newWidth, int newHeight, int filter)
{
    if (!src || !dst || newWidth <= 0 || newHeight <= 0 || src->Width() < 2 || src->Height() < 2) return;
    if (src->Width() == newWidth && src->Height() == newHeight) {
        if (src != dst) dst->Assign(src);
        return;
    }
    TPixelImage scaled = ResampleImage32(BitmapView(src), newWidth, newHeight, filter);
    if (scaled.Empty()) return;
    dst->SetSize(newWidth, newHeight);
    const TPixelView to = BitmapView(dst);
    for (int y = 0; y < to.Height && y < newHeight; ++y)
        std::copy(scaled.View().Row(y), scaled.View().Row(y) + std::min(to.Width, newWidth), to.Row(y));
}

TBitmap* RotateBitmap32(TBitmap*& bitmap, int angle, bool freeSource)
{
    const TPixelView from = BitmapView(bitmap);
    if (from.IsNull()) return bitmap;
    TBitmap* turned = BitmapFromImage32(RotateImage32(from, angle));
    if (freeSource) {
        delete bitmap;
        bitmap = nullptr;
    }
    return turned;
}

void DrawRotated(HDC dc, TBitmap* bitmap, const TPoint& center, int angle)
{
    if (!dc || !bitmap || bitmap->Empty()) return;
    EnsureSinCosTable();
    int a = 360 - angle;
    if (a < 0) a += 360;
    if (a >= 360) a -= 360;
    const int w = bitmap->Width(), h = bitmap->Height();
    const TPoint p0(center.x - w / 2, center.y - h / 2);
    const TPoint points[4] = {p0, TPoint(p0.x + w, p0.y), TPoint(p0.x + w, p0.y + h), TPoint(p0.x, p0.y + h)};
    TPrlgram p(points, 4);
    p.Rotate(a);
    TPoint target[3];
    p.GetPoint(1, target[0]);
    p.GetPoint(2, target[1]);
    p.GetPoint(0, target[2]);
    // On a plain 32-bit DIB section the blit is ours, so that every turn maps the corners as asked
    // whatever the system's PlgBlt makes of it; any other DC goes through PlgBlt.
    const TPixelView to = DCBitmapView(dc), from = BitmapView(bitmap);
    if (!to.IsNull() && !from.IsNull()) {
        AffineBlit32(to, from, target);
        return;
    }
    PlgBlt(dc, target, bitmap->Canvas()->Handle(), 0, 0, w, h, nullptr, 0, 0);
}

void PaintGradient32(TBitmap* b, const TRect& r, const TsGradArray& gradient)
{
    PaintGradient32(BitmapView(b), r, gradient, GdipPaintLayer());
}

void PaintTexturedGradient32(TBitmap* b, const TRect& r, const TsGradArray& gradient, TBitmap* texture,
                             const TRect& textureRect, uint8_t mix, uint8_t alpha)
{
    PaintTexturedGradient32(BitmapView(b), r, gradient, BitmapView(texture), textureRect, mix, alpha);
}

void PaintTwoColorGradient32(TBitmap* b, TColor color, int direction)
{
    PaintTwoColorGradient32(BitmapView(b), color, direction, GdipPaintLayer());
}

// ---- skin item painting ----------------------------------------------------------------------

namespace {

// Paint(view) on the bitmap's pixels; a bitmap of another format goes through a 32-bit copy
// that is copied back afterwards.
template <class Paint>
void PaintThrough32(TBitmap* bitmap, Paint paint)
{
    if (!bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0) return;
    if (bitmap->PixelFormat() == pf32bit) {
        paint(BitmapView(bitmap));
        return;
    }
    const int w = bitmap->Width(), h = bitmap->Height();
    std::unique_ptr<TBitmap> copy(NewBitmap32(w, h));
    HDC dc = bitmap->Canvas()->Handle();
    BitBlt(copy->Canvas()->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
    paint(BitmapView(copy.get()));
    GdiFlush();
    BitBlt(dc, 0, 0, w, h, copy->Canvas()->Handle(), 0, 0, SRCCOPY);
}

}  // namespace

void PaintItemBG(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                 TBitmap* bitmap, const TacSkinPaintSource* skinData, int texIndex, int activeTexIndex,
                 TColor customColor)
{
    if (!skinData) {
        WarnUsage(L"Check parameters of the PaintItemBG procedure.");
        return;
    }
    const TColor color = customColor == acSkinColor ? acSkinColor : ColorToRGB(customColor);
    PaintThrough32(bitmap, [&](const TPixelView& v) {
        PaintItemBG(skinIndex, background, state, r, point, v, skinData, texIndex, activeTexIndex, color, GdipPaintLayer());
    });
}

void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
               TBitmap* bitmap, const TacSkinPaintSource* skinData, int texIndex, int activeTexIndex)
{
    if (!bitmap || r.IsEmpty()) return;
    if (!skinData) {
        WarnUsage(L"Check parameters of the PaintItem 1 procedure.");
        return;
    }
    PaintThrough32(bitmap, [&](const TPixelView& v) {
        PaintItem(skinIndex, background, state, r, point, v, skinData, texIndex, activeTexIndex, GdipPaintLayer());
    });
}

void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point, HDC dc,
               const TacSkinPaintSource* skinData)
{
    if (!skinData) {
        WarnUsage(L"Check parameters of the PaintItem 2 procedure.");
        return;
    }
    if (!dc || !skinData->IsValidSkinIndex(skinIndex) || r.left < 0 || r.top < 0 || r.IsEmpty()) return;
    const int saved = SaveDC(dc);
    std::unique_ptr<TBitmap> b(NewBitmap32(r.Width(), r.Height()));
    const TRect own(0, 0, r.Width(), r.Height());
    PaintItem(skinIndex, background, state, own, point, BitmapView(b.get()), skinData, -1, -1, GdipPaintLayer());
    GdiFlush();
    BitBlt(dc, r.left, r.top, r.Width(), r.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

int PaintItemOverCopy(TBitmap* bitmap, int skinIndex, int fallbackIndex, int state, const TacSkinPaintSource* skinData,
                      const TRect& r, TColor fillColor, HDC dc)
{
    const int section = skinIndex >= 0 ? skinIndex : fallbackIndex;
    if (section < 0 || !bitmap) return section;
    TCacheInfo background;
    background.FillColor = ColorToRGB(fillColor);
    background.X = background.Y = 0;
    background.FillRect = TRect();
    background.Ready = dc != nullptr;
    if (dc) {
        BitBlt(bitmap->Canvas()->Handle(), 0, 0, bitmap->Width(), bitmap->Height(), dc, r.left, r.top, SRCCOPY);
        GdiFlush();
        background.Bmp = BitmapView(bitmap);
    }
    PaintItem(section, background, state, TRect(0, 0, bitmap->Width(), bitmap->Height()), TPoint(0, 0), bitmap,
              skinData, -1, -1);
    return section;
}

void PaintSectionFrame(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                       TBitmap* bitmap, const TacSkinPaintSource* skinData, TColor customColor, bool fillCorners)
{
    const TColor color = customColor == acSkinColor ? acSkinColor : ColorToRGB(customColor);
    PaintThrough32(bitmap, [&](const TPixelView& v) {
        PaintSectionFrame(skinIndex, background, state, r, point, v, skinData, color, fillCorners, GdipPaintLayer());
    });
}

void PaintSkinDataItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                       TBitmap* bitmap, const TacSkinPaintSource* skinData, const TacItemLook& look, bool fillCorners)
{
    TacItemLook real = look;
    if (real.CustomColor != acSkinColor) real.CustomColor = ColorToRGB(real.CustomColor);
    if (real.Tone != clNone) real.Tone = ResolveSkinColor(real.Tone);
    PaintThrough32(bitmap, [&](const TPixelView& v) {
        PaintSkinDataItem(skinIndex, background, state, r, point, v, skinData, real, fillCorners, GdipPaintLayer());
    });
}

void PaintControlItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                      TBitmap* bitmap, const TacSkinPaintSource* skinData, TColor customColor, bool fillCorners)
{
    const TColor color = customColor == acSkinColor ? acSkinColor : ColorToRGB(customColor);
    PaintThrough32(bitmap, [&](const TPixelView& v) {
        PaintControlItem(skinIndex, background, state, r, point, v, skinData, color, fillCorners, GdipPaintLayer());
    });
}

void ApplyColorEffects(TBitmap* bitmap, TColor tone, int hueOffset, int saturation)
{
    ApplyColorEffects(BitmapView(bitmap), tone == clNone ? clNone : ResolveSkinColor(tone), hueOffset, saturation);
}
