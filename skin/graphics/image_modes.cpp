#include "skin/graphics/image_modes.h"

#include <algorithm>

#include "skin/engine/core/shared_settings.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/nine_slice.h"
#include "skin/graphics/pixel_copy.h"

namespace {

const TRect Nothing(-1, -1, -1, -1);

// Drawing into one rectangle: every copy is cut to it.
class TPlacer {
public:
    TPlacer(const TPixelView& v, const TRect& r, const TPixelView& src, const TRect& s) : FSource(src), FImage(s)
    {
        const TRect c = TRect::Intersect(r, v.Bounds());
        FView = v.Sub(c);
        FX0 = c.left;
        FY0 = c.top;
        FLimit = r;
    }
    // A tile at (x, y) showing the image from (ox, oy) of itself, w x h, cut to the rectangle.
    void Tile(int x, int y, int ox, int oy, int w, int h) const
    {
        TRect d = TRect::Intersect(TRect(x, y, x + w, y + h), FLimit);
        if (d.IsEmpty()) return;
        ox += d.left - x;
        oy += d.top - y;
        CopyBlock32(FView, d.left - FX0, d.top - FY0, FSource,
                    TRect(FImage.left + ox, FImage.top + oy, FImage.left + ox + d.Width(), FImage.top + oy + d.Height()));
    }
    // The whole image stretched over d, cut to the rectangle.
    void Stretch(const TRect& d) const
    {
        const TRect clip = TRect::Intersect(d, FLimit);
        if (clip.IsEmpty()) return;
        // Drawn through the clipped view so nothing outside the rectangle changes.
        const TPixelView part = FView.Sub(TRect(clip.left - FX0, clip.top - FY0, clip.right - FX0, clip.bottom - FY0));
        const int px = std::max<int>(clip.left, FX0), py = std::max<int>(clip.top, FY0);
        StretchBlock32(part, TRect(d.left - px, d.top - py, d.right - px, d.bottom - py), FSource, FImage);
    }
    // Tiles covering d from its top-left, the last row and column cut.
    void TileArea(const TRect& d) const
    {
        const int w = FImage.Width(), h = FImage.Height();
        for (int y = d.top; y < d.bottom; y += h)
            for (int x = d.left; x < d.right; x += w) Tile(x, y, 0, 0, std::min<int>(w, d.right - x), std::min<int>(h, d.bottom - y));
    }

private:
    TPixelView FSource;
    TRect FImage;
    TPixelView FView;
    int FX0 = 0, FY0 = 0;
    TRect FLimit;
};

}  // namespace

void DrawArrow32(const TPixelView& v, TColor color, const TRect& r, int direction, int ppi)
{
    if (v.IsNull()) return;
    const int s = DefaultArrowSize * ppi / 96, h = s / 2 + s % 2;
    if (s <= 0) return;
    const uint32_t p = ExchangeRB32(uint32_t(color));
    const bool vertical = direction == adUp || direction == adDown;
    const int x0 = vertical ? int(r.left) + (r.Width() - s) / 2 : int(r.left) + (r.Width() - h) / 2;
    const int y0 = vertical ? int(r.top) + (r.Height() - h) / 2 : int(r.top) + (r.Height() - s) / 2;
    if (x0 < 0 || y0 < 0) return;
    if (vertical ? (x0 + s >= v.Width || y0 + h >= v.Height) : (x0 + h >= v.Width || y0 + s >= v.Height)) return;
    auto run = [&](int row, int first, int last) {
        for (int x = first; x <= last; ++x) v.At(x0 + x, y0 + row) = p;
    };
    switch (direction) {
    case adUp:
        for (int k = 0; k < h; ++k) run(h - 1 - k, k, s - 1 - k);
        break;
    case adDown:
        for (int k = 0; k < h; ++k) run(k, k, s - 1 - k);
        break;
    case adRight:
        for (int row = 0; row < s; ++row) run(row, 0, row < h ? row : s - 1 - row);
        break;
    case adLeft:
        for (int row = 1; row <= s; ++row) run(row, row < h ? h - row : row - h, h - 1);
        break;
    default: break;
    }
}

void DrawImageByMode32(const TPixelView& v, TRect& r, const TsMaskData& mask, int mode)
{
    const TPixelView src = ImageSourceBitmap(mask);
    const TRect s = mask.R;
    const int w = s.Width(), h = s.Height();
    // An image of no size has nothing to draw or tile by: the rectangle stays for the colour.
    if (src.IsNull() || w <= 0 || h <= 0 || v.IsNull()) return;
    const TPlacer p(v, r, src, s);
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    switch (mode) {
    case 1:
        p.Stretch(r);
        r = Nothing;
        return;
    case 4:
        p.Stretch(TRect(L, T, R, T + h));
        r = TRect(L, T + h, R, B);
        return;
    case 5:
        p.Stretch(TRect(L, T, L + w, B));
        r = TRect(L + w, T, R, B);
        return;
    case 10: {
        int y = T;
        for (; y < B - h; y += h) {
            int x = L;
            for (; x < R - w; x += w) p.Tile(x, y, 0, 0, w, h);
            p.Tile(x, y, 0, 0, R - x, h);
        }
        r = Nothing;
        return;
    }
    case 11:
        for (int y = T; y < B; y += h) p.Stretch(TRect(L, y, R, y + h));
        r = Nothing;
        return;
    case 12:
        for (int x = L; x < R; x += w) p.Stretch(TRect(x, T, x + w, B));
        r = Nothing;
        return;
    case 13: {
        // Whole tiles from the bottom-right corner; the top and left ones cut, showing the image's
        // lower rows and right columns.
        auto column = [&](int x, int ox, int cw) {
            int y = B - h;
            for (; y > T; y -= h) p.Tile(x, y, ox, 0, cw, h);
            p.Tile(x, T, ox, T - y, cw, h - (T - y));
        };
        int x = R - w;
        for (; x > L; x -= w) column(x, 0, w);
        column(L, L - x, w - (L - x));
        r = Nothing;
        return;
    }
    case 0:
        p.TileArea(r);
        r = Nothing;
        return;
    case 2:
        p.TileArea(TRect(L, T, R, std::min(T + h, B)));
        r = TRect(L, T + h, R, B);
        return;
    case 3:
        p.TileArea(TRect(L, T, std::min(L + w, R), B));
        r = TRect(L + w, T, R, B);
        return;
    case 6:
        p.TileArea(TRect(L, std::max(B - h, T), R, B));
        r = TRect(L, T, R, B - h);
        return;
    case 7:
        p.TileArea(TRect(std::max(R - w, L), T, R, B));
        r = TRect(L, T, R - w, B);
        return;
    default:
        p.TileArea(TRect(std::max(R - w, L), T, R, B));
        r.left = R - w;
        return;
    }
}

void DrawMaskedImageByMode32(const TPixelView& v, TRect& r, const TCacheInfo& background, const TsMaskData& mask,
                             int mode)
{
    if (!mask.Manager || (mode != 0 && mode != 10) || v.IsNull()) return;
    const int w = mask.Width, h = mask.R.Height() / 2;
    if (w <= 0 || h <= 0) return;
    const TRect source(mask.R.left, mask.R.top, mask.R.left + w, mask.R.top + h);
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    // Tiles are cut to the rectangle as well as to the view.
    const TRect c = TRect::Intersect(r, v.Bounds());
    const TPixelView view = v.Sub(c);
    TCacheInfo bg = background;
    bg.X += c.left;
    bg.Y += c.top;
    auto tile = [&](int x, int y, int tw) {
        CopyMaskedTile32(TRect(x - c.left, y - c.top, x - c.left + tw, y - c.top + h), source, view, bg, mask);
    };
    int y = T, x1 = L;
    for (; y < B - h; y += h) {
        int x = L;
        for (; x < R - w; x += w) tile(x, y, w);
        x1 = x;
        if (mode == 0) tile(x, y, R - x);
    }
    if (mode == 10) {
        const TRect below(L, y, R, B), right(x1, T, R, B);
        for (const TRect& band : {below, right}) {
            if (band.IsEmpty()) continue;
            if (background.Ready)
                CopyBlock32(view, band.left - c.left, band.top - c.top, background.Bmp,
                            TRect(band.left + background.X, band.top + background.Y, band.right + background.X,
                                  band.bottom + background.Y));
            else
                FillRectAlpha32(view, TRect(band.left - c.left, band.top - c.top, band.right - c.left, band.bottom - c.top),
                                background.FillColor, 255);
        }
    }
    r = Nothing;
}
