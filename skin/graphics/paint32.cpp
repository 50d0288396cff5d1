#include "skin/graphics/paint32.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/form_services.h"
#include "vcl/controls.h"

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
