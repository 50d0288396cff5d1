#include "skin/graphics/char_glyphs.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "skin/engine/embedded_fonts.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/gdiplus.h"

namespace {

constexpr UINT flagsMeasure = DT_CALCRECT | DT_NOCLIP | DT_EXTERNALLEADING | DT_NOPREFIX;
constexpr UINT flagsDraw = DT_VCENTER | DT_NOCLIP | DT_EXTERNALLEADING | DT_NOPREFIX;
constexpr UINT flagsBadge = DT_SINGLELINE | DT_BOTTOM | DT_NOCLIP | DT_NOPREFIX;

int RoundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

void FillPixels(TBitmap* bmp, uint32_t pixel)
{
    const TPixelView v = BitmapView(bmp);
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) v.At(x, y) = pixel;
}

// Small glyphs keep their sharpness with sub-pixel rendering; bigger ones are smooth enough in grey.
void ApplyQualityRule(TFont* font, int glyphHeight)
{
    font->SetQuality(glyphHeight > 24 ? TFontQuality::fqAntialiased : TFontQuality::fqClearType);
}

void DrawChar(TCanvas* canvas, wchar_t ch, TRect r, UINT flags)
{
    HDC dc = canvas->Handle();
    SelectObject(dc, canvas->Font()->Handle());
    SetTextColor(dc, 0);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, &ch, 1, reinterpret_cast<RECT*>(&r), flags);
}

uint32_t PixelColor(TColor c)
{
    return SwapRedBlue(static_cast<uint32_t>(ResolveSkinColor(c)) & 0xFFFFFF);
}

void DrawBadge(TBitmap* bmp, const TacCharGlyph& glyph, const TRect& rect, uint32_t mainColor)
{
    TCanvas* canvas = bmp->Canvas();
    TFont* font = canvas->Font();
    const int s = rect.Height() * glyph.AddedSize / 100;
    font->SetCharset(glyph.AddedCharset);
    font->SetName(glyph.AddedFontName.empty() ? glyph.FontName : glyph.AddedFontName);
    font->SetHeight(-s);
    HDC dc = canvas->Handle();
    SelectObject(dc, font->Handle());
    SIZE extent{};
    if (!GetTextExtentPoint32W(dc, &glyph.AddedChar, 1, &extent)) return;
    const auto place = BadgeRect(rect, extent.cx, extent.cy);
    if (!place) return;   // larger than the image: no badge
    const uint32_t color = glyph.AddedColor == clGlyphDefault ? mainColor : PixelColor(glyph.AddedColor);

    std::unique_ptr<TBitmap> shape(NewBitmap32(extent.cx, extent.cy));
    FillPixels(shape.get(), 0x00FFFFFF);
    shape->Canvas()->Font()->Assign(*font);
    DrawChar(shape->Canvas(), glyph.AddedChar, TRect(0, 0, extent.cx, extent.cy), flagsBadge);

    const int d = rect.Width() / 8;
    std::unique_ptr<TBitmap> halo(NewBitmap32(extent.cx + 2 * d, extent.cy + 2 * d));
    FillPixels(halo.get(), 0x00FFFFFF);
    BitBlt(halo->Canvas()->Handle(), d, d, extent.cx, extent.cy, shape->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (d > 0) BlurBitmapGdip(halo.get(), static_cast<float>(d));
    ComposeBadge(BitmapView(bmp), BitmapView(shape.get()), BitmapView(halo.get()), *place, d, color);
}

}  // namespace

std::optional<TacStrokeCollection> GetGlyphStrokes(const TFont* font, wchar_t ch)
{
    if (!font) return std::nullopt;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return std::nullopt;
    TFont big;
    big.Assign(*font);
    // Read large so the integer segment ends keep their precision once scaled down.
    big.SetSize(512);
    HGDIOBJ old = SelectObject(dc, big.Handle());
    MAT2 matrix{};
    matrix.eM11 = {1, 1};
    matrix.eM12 = {1, 0};
    matrix.eM21 = {1, 0};
    matrix.eM22 = {1, 1};
    GLYPHMETRICS metrics{};
    std::optional<TacStrokeCollection> result;
    const DWORD size = GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, 0, nullptr, &matrix);
    if (size != GDI_ERROR && size != 0) {
        std::vector<uint8_t> buffer(size);
        if (GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, size, buffer.data(), &matrix) != GDI_ERROR)
            result = ReadGlyphOutline(buffer.data(), buffer.size());
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return result;
}

void DrawGlyphContour(TCanvas* canvas, wchar_t ch, TRect& r, int penWidth, int angle, bool calcOnly)
{
    const auto strokes = GetGlyphStrokes(canvas->Font(), ch);
    if (!strokes) return;
    const int fontHeight = std::abs(canvas->Font()->Height());
    if (calcOnly) {
        const TacContourFit fit = FitGlyphContour(strokes->GetBounds(), r.Width(), r.Height(), fontHeight, true);
        r = fit.IsEmpty() ? TRect() : TRect(0, 0, fit.Width, fit.Height);
        return;
    }
    const TacPointF center{static_cast<float>(r.left) + static_cast<float>(r.Width()) / 2,
                           static_cast<float>(r.top) + static_cast<float>(r.Height()) / 2};
    // The shared rotation turns the other way round: the same angle measured backwards.
    const int turn = (360 - angle % 360) % 360;
    HDC dc = canvas->Handle();
    for (const auto& polygon : ContourPolygons(*strokes, r, fontHeight)) {
        std::vector<TacPointF> points;
        points.reserve(polygon.size());
        for (const TacPointFl& p : polygon) points.push_back({p.x, p.y});
        if (turn) RotatePoints(points, center, static_cast<int>(points.size()), turn);
        DrawPolygonGdip(dc, clBlack, points, static_cast<int>(points.size()), penWidth);
    }
}

void RenderCharGlyph(TBitmap* bmp, const TacCharGlyph& glyph, TColor foreColor, const TRect& rect, int glyphHeight,
                     int offsetY)
{
    if (!bmp) return;
    IconFontHandle();   // the default font must be known before the first glyph asks for it
    bmp->SetPixelFormat(pf32bit);
    TCanvas* canvas = bmp->Canvas();
    TFont* font = canvas->Font();
    font->SetPitch(glyph.Pitch);
    font->SetStyle(glyph.Style);
    font->SetCharset(glyph.Charset);
    font->SetName(glyph.FontName);
    font->SetColor(clBlack);
    font->SetHeight(RoundHalfEven(glyphHeight * glyph.ScalingFactor));
    FillPixels(bmp, 0x00FFFFFF);

    const int pen = GlyphContourPen(glyphHeight);
    TRect r = rect;
    if (glyph.DrawContour) {
        DrawGlyphContour(canvas, glyph.Char, r, pen, 0, true);
    } else {
        HDC dc = canvas->Handle();
        SelectObject(dc, font->Handle());
        wchar_t ch = glyph.Char;
        DrawTextW(dc, &ch, 1, reinterpret_cast<RECT*>(&r), flagsMeasure);
    }
    TRect g(0, 0, r.Width(), r.Height());
    g.Offset((bmp->Width() - r.Width()) / 2, (bmp->Height() - r.Height()) / 2);
    if (offsetY != 0) g.Offset(0, RoundHalfEven(offsetY * glyph.ScalingFactor));

    if (glyph.DrawContour) {
        DrawGlyphContour(canvas, glyph.Char, g, pen, glyph.Angle, false);
    } else if (glyph.Angle != 0) {
        std::unique_ptr<TBitmap> turned(NewBitmap32Like(bmp));
        FillPixels(turned.get(), 0x00FFFFFF);
        turned->Canvas()->Font()->Assign(*font);
        ApplyQualityRule(turned->Canvas()->Font(), glyphHeight);
        DrawChar(turned->Canvas(), glyph.Char, g, flagsDraw);
        DrawRotatedImageGdip(canvas->Handle(), turned.get(), TRect(0, 0, bmp->Width(), bmp->Height()),
                             glyph.Angle % 360);
    } else {
        ApplyQualityRule(font, glyphHeight);
        DrawChar(canvas, glyph.Char, g, flagsDraw);
    }
    GdiFlush();

    const TColor c1 = foreColor != clGlyphDefault ? foreColor : glyph.Color != clGlyphDefault ? glyph.Color : clBlack;
    const uint32_t color1 = PixelColor(c1);
    std::optional<uint32_t> color2;
    // A colour forced by the caller (a state's text colour) replaces a gradient of another colour.
    const bool forced = foreColor != clGlyphDefault &&
                        (glyph.Color == clGlyphDefault || ResolveSkinColor(foreColor) != ResolveSkinColor(glyph.Color));
    if (glyph.SecondColor != clGlyphDefault && !forced) color2 = PixelColor(glyph.SecondColor);
    CoverageToColor(BitmapView(bmp), color1, color2);

    if (glyph.AddedChar != 0) DrawBadge(bmp, glyph, rect, color1);
}
