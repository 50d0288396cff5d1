#include "skin/graphics/gdi_paint.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "skin/engine/core/shared_settings.h"
#include "skin/graphics/alpha_compose.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdiplus.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/resample.h"

// ---- arrows ----------------------------------------------------------------------------------

void DrawArrow32(TBitmap* bitmap, TColor color, const TRect& r, int direction, int ppi)
{
    DrawArrow32(BitmapView(bitmap), color, r, direction, ppi);
}

void DrawArrowPixels(TCanvas* canvas, TColor color, const TRect& r, int direction, int ppi)
{
    if (!canvas) return;
    const int s = DefaultArrowSize * ppi / 96, h = s / 2 + s % 2;
    if (direction == adUp || direction == adDown) {
        const int x0 = int(r.left) + (r.Width() - s) / 2 - 1, y0 = int(r.top) + (r.Height() - h) / 2 - 1;
        for (int k = 0; k <= h; ++k) {
            const int y = direction == adUp ? y0 + h - k : y0 + k;
            for (int x = x0 + k; x <= x0 + s + 1 - k; ++x) canvas->SetPixels(x, y, color);
        }
    } else {
        const int x0 = int(r.left) + (r.Width() - h) / 2, y0 = int(r.top) + (r.Height() - s) / 2;
        for (int k = 0; k <= h; ++k) {
            const int x = direction == adLeft ? x0 + h - k : x0 + k;
            for (int y = y0 + k; y <= y0 + 2 * h - k; ++y) canvas->SetPixels(x, y, color);
        }
    }
}

void DrawArrowGlyph32(TBitmap* bitmap, TColor color, TColor fillColor, const TRect& r, int direction, int thickness,
                      double angle, int size, int style, int ppi)
{
    const TPixelView dest = BitmapView(bitmap);
    if (dest.IsNull()) return;
    // The edges are drawn with this colour too: a system colour must be resolved first.
    color = ColorToRGB(color);
    const bool outline = style == 1 || style == 3;
    const bool oddWidth = r.Width() % 2 != 0;
    if (size == 0) size = DefaultArrowSize;
    size = size * ppi / 96;
    uint32_t fill;
    if (outline) {
        if (thickness == 0) thickness = DefaultArrowWidth * ppi / 96;
        fill = fillColor == clNone ? uint32_t(clNone) : (ExchangeRB32(uint32_t(ColorToRGB(fillColor))) | 0xFF000000u);
    } else {
        thickness = 1;
        fill = ExchangeRB32(uint32_t(ColorToRGB(color))) | 0xFF000000u;
        size -= 1;
        if (style == 2 && !oddWidth) size += 1;
    }
    if (size <= 0 || thickness < 0) return;
    const int t = std::max(1, thickness / 2);
    int w = 2 * size + (oddWidth ? 1 : 0);
    int h = style <= 1 ? size : size - size / 2;
    if (outline) {
        h += thickness + t;
        w += thickness;
    } else if (oddWidth) {
        h += 1;
    }
    const int p = w % 2;
    std::unique_ptr<TBitmap> glyph(NewBitmap32(w, h));
    FillRectAlpha32(glyph.get(), TRect(0, 0, w, h), clWhite, 0);
    TPoint points[4];
    TPoint edges[2][2];
    if (outline) {
        const int x2 = size + t - thickness / 2 + p;
        edges[0][0] = TPoint(t, t);
        edges[0][1] = TPoint(size + t, h - thickness);
        edges[1][0] = TPoint(x2, h - thickness);
        edges[1][1] = TPoint(x2 + size, t);
        points[0] = edges[0][0];
        points[1] = edges[0][1];
        points[2] = edges[1][0];
        points[3] = edges[1][1];
    } else {
        points[0] = TPoint(0, 0);
        points[1] = TPoint(w / 2 - 1 + p, h - 1);
        points[2] = TPoint(w / 2, h - 1);
        points[3] = TPoint(w - 1, 0);
        edges[0][0] = points[0];
        edges[0][1] = points[1];
        edges[1][0] = points[2];
        edges[1][1] = points[3];
    }
    if (fill != uint32_t(clNone)) {
        TCanvas* c = glyph->Canvas();
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetColor(clBlack);
        c->Polygon(points, 4);
        GdiFlush();
        // Black becomes the fill colour, greys partial alpha, white stays see-through.
        const TPixelView g = BitmapView(glyph.get());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t px = g.At(x, y);
                const uint32_t sum = (px & 0xFF) + ((px >> 8) & 0xFF) + ((px >> 16) & 0xFF);
                g.At(x, y) = sum == 765 ? 0x00FFFFFFu : (fill & 0x00FFFFFFu) | ((255 - sum / 3) << 24);
            }
    }
    if (thickness > 0)
        for (const auto& e : edges)
            DrawLineGdip32(BitmapView(glyph.get()), color, float(e[0].x), float(e[0].y), float(e[1].x), float(e[1].y),
                           float(thickness));
    TPixelImage turned;
    const TPixelView drawn = BitmapView(glyph.get());
    switch (direction) {
    case adUp: {
        turned.Resize(w, h);
        for (int y = 0; y < h; ++y) std::copy(drawn.Row(h - 1 - y), drawn.Row(h - 1 - y) + w, turned.View().Row(y));
        break;
    }
    case adLeft: turned = RotateImage32(drawn, 90); break;
    case adRight: turned = RotateImage32(drawn, 270); break;
    default: turned = RotateImage32(drawn, 0); break;
    }
    const int gx = int(r.left) + (r.Width() - turned.Width()) / 2, gy = int(r.top) + (r.Height() - turned.Height()) / 2;
    ComposeRectAt32(dest, turned.View(), turned.Bounds(), TPoint(gx, gy), 255);
    if (angle != 0) {
        std::unique_ptr<TBitmap> copy(NewBitmap32(bitmap->Width(), bitmap->Height()));
        const TPixelView cv = BitmapView(copy.get());
        const TPixelView dv = BitmapView(bitmap);
        for (int y = 0; y < cv.Height; ++y) std::copy(dv.Row(y), dv.Row(y) + cv.Width, cv.Row(y));
        DrawRotated(bitmap->Canvas()->Handle(), copy.get(), TPoint(bitmap->Width() / 2, bitmap->Height() / 2),
                    int(std::nearbyint(angle)) - 90);
    }
}

// ---- frames and faces ------------------------------------------------------------------------

void DrawCrossBox(HDC dc, TRect r, int state)
{
    if (!dc) return;
    FillDCRect(dc, r, clWhite);
    r.Inflate(-1, -1);
    const TColor inside = state == 0 ? TColor(0x5858AB) : state == 1 ? clRed : state == 2 ? TColor(0x000080) : clWhite;
    FillDCRect(dc, r, inside);
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    DrawSegment(dc, r.left + 3, r.top + 3, r.right - 4, r.bottom - 4);
    DrawSegment(dc, r.left + 3, r.bottom - 4, r.right - 4, r.top + 3);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawPlainButton(TCanvas* canvas, TRect r, bool enabled, bool focused, int state)
{
    if (!canvas) return;
    const TRect given = r;
    HDC dc = canvas->Handle();
    if (state == 3) {
        FillDCFrame(dc, r, 1, 1, 1, 1, clWindowFrame);
        r.Inflate(-1, -1);
    }
    if (state == 2) {
        r.Inflate(-1, -1);
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->Pen()->SetWidth(1);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->Rectangle(r);
        FillDCFrame(canvas->Handle(), r, 1, 1, 0, 0, clBtnShadow);
        FillDCFrame(canvas->Handle(), r, 0, 0, 1, 1, clWhite);
    } else {
        RECT rc = r;
        DrawFrameControl(canvas->Handle(), &rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (enabled ? 0 : DFCS_INACTIVE));
    }
    if (focused) {
        TRect f = given;
        f.Inflate(-3, -3);
        RECT rc = f;
        DrawFocusRect(canvas->Handle(), &rc);
    }
}

void DrawDottedFrame(TCanvas* canvas, TRect r, TColor color1, TColor color2)
{
    if (!canvas) return;
    const int w = r.Width() / 2, h = r.Height() / 2;
    r.right -= 1;
    r.bottom -= 1;
    auto put = [&](int x, int y, TColor c) {
        if (c != clNone) canvas->SetPixels(x, y, c);
    };
    for (int i = 0; i < w; ++i) {
        const int c = 2 * (w - i);
        put(r.left + c, r.top, color2);
        put(r.left + c, r.bottom, color2);
        put(r.left + c - 1, r.top, color1);
        put(r.left + c - 1, r.bottom, color1);
    }
    for (int i = 0; i < h; ++i) {
        const int c = 2 * (h - i);
        put(r.left, r.top + c, color2);
        put(r.right, r.top + c, color2);
        put(r.left, r.top + c - 1, color1);
        put(r.right, r.top + c - 1, color1);
    }
}

// ---- textures --------------------------------------------------------------------------------

void DrawImageByMode(TCanvas* canvas, TRect& r, const TsMaskData& mask, int mode)
{
    if (!canvas || r.IsEmpty()) return;
    // The canvas area goes through a 32-bit copy, so the pixels are the painting core's.
    std::unique_ptr<TBitmap> area(NewBitmap32(r.Width(), r.Height()));
    HDC dc = canvas->Handle();
    BitBlt(area->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), dc, r.left, r.top, SRCCOPY);
    TRect local(0, 0, r.Width(), r.Height());
    DrawImageByMode32(BitmapView(area.get()), local, mask, mode);
    GdiFlush();
    BitBlt(dc, r.left, r.top, r.Width(), r.Height(), area->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (local == TRect(-1, -1, -1, -1))
        r = local;
    else
        r = TRect(local.left + r.left, local.top + r.top, local.right + r.left, local.bottom + r.top);
}

void DrawImageByMode(TBitmap* bitmap, TRect& r, const TsMaskData& mask, int mode)
{
    DrawImageByMode32(BitmapView(bitmap), r, mask, mode);
}

void DrawMaskedImageByMode32(TBitmap* bitmap, TRect& r, const TCacheInfo& background, const TsMaskData& mask, int mode)
{
    if (!bitmap) return;
    if (bitmap->PixelFormat() == pf32bit) {
        DrawMaskedImageByMode32(BitmapView(bitmap), r, background, mask, mode);
        return;
    }
    // Only 32-bit bitmaps take tiles; the bands of mode 10 are filled through the DC.
    if (!mask.Manager || mode != 10 || background.Ready) return;
    const int w = mask.Width, h = mask.R.Height() / 2;
    if (w <= 0 || h <= 0) return;
    int y = r.top, x = r.left;
    while (y < r.bottom - h) y += h;
    while (x < r.right - w) x += w;
    if (y == r.top) x = r.left;
    FillDCRect(bitmap->Canvas()->Handle(), TRect(r.left, y, r.right, r.bottom), background.FillColor);
    FillDCRect(bitmap->Canvas()->Handle(), TRect(x, r.top, r.right, r.bottom), background.FillColor);
    r = TRect(-1, -1, -1, -1);
}

// ---- shades and icons ------------------------------------------------------------------------

void ShadeRoundRect32(TBitmap* bitmap, const TRect& r, int percent, TColor color, int depth, int radius)
{
    const int w = r.Width(), h = r.Height();
    if (!bitmap || w <= 0 || h <= 0) return;
    std::unique_ptr<TBitmap> copy(NewBitmap32(w, h)), mask(NewBitmap32(w, h));
    BitBlt(copy->Canvas()->Handle(), 0, 0, w, h, bitmap->Canvas()->Handle(), r.left, r.top, SRCCOPY);
    const int half = std::min(w / 2, h / 2);
    depth = std::clamp(depth, 0, half);
    radius = std::clamp(radius, 0, half);
    const int level = percent * 255 / 100;
    const double step = double(255 - level) / (depth + 1);
    TCanvas* m = mask->Canvas();
    m->Pen()->SetStyle(psClear);
    m->Brush()->SetStyle(bsSolid);
    TColor grey = clWhite;
    for (int i = 0; i <= depth; ++i) {
        m->Brush()->SetColor(grey);
        m->RoundRect(i, i, w - i, h - i, radius, radius);
        const int g = std::clamp(level + int(std::nearbyint(step * (depth - i))), 0, 255);
        grey = TColor(g * 0x010101);
    }
    const int g = std::clamp(level, 0, 255);
    m->Brush()->SetColor(TColor(g * 0x010101));
    m->RoundRect(depth, depth, w - depth, h - depth, depth, depth);
    GdiFlush();
    const TPixelView cv = BitmapView(copy.get()), mv = BitmapView(mask.get());
    const uint32_t c = ExchangeRB32(uint32_t(ColorToRGB(color)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t s = cv.At(x, y), k = mv.At(x, y);
            uint32_t out = s & 0xFF000000u;
            for (int b = 0; b < 24; b += 8) {
                const uint32_t mk = (k >> b) & 0xFF;
                out |= ((((s >> b) & 0xFF) * mk + ((c >> b) & 0xFF) * (256 - mk)) >> 8 & 0xFF) << b;
            }
            cv.At(x, y) = out;
        }
    BitBlt(bitmap->Canvas()->Handle(), r.left, r.top, w, h, copy->Canvas()->Handle(), 0, 0, SRCCOPY);
}

HICON IconFromAlpha32(TBitmap* bitmap)
{
    if (!bitmap || bitmap->Empty()) return nullptr;
    bitmap->SetPixelFormat(pf32bit);
    const TPixelView v = BitmapView(bitmap);
    if (v.IsNull()) return nullptr;
    // The mask: 255 - alpha in an 8-bit bitmap with grey levels, reduced by the system.
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    } info{};
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = v.Width;
    info.Header.biHeight = -v.Height;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = 8;
    info.Header.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) info.Colors[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    void* bits = nullptr;
    HBITMAP maskBitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!maskBitmap || !bits) {
        if (maskBitmap) DeleteObject(maskBitmap);
        return nullptr;
    }
    const int stride = (v.Width + 3) & ~3;
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) static_cast<uint8_t*>(bits)[y * stride + x] = uint8_t(255 - (v.At(x, y) >> 24));
    return IconFromColorAndMask(bitmap->Handle(), maskBitmap);
}
