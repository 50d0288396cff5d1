#include "skin/graphics/blend_ops.h"

#include <algorithm>

#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_mix.h"

namespace {

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFFu; }

bool SameSize(const TPixelView& a, const TPixelView& b)
{
    return !a.IsNull() && !b.IsNull() && a.Width == b.Width && a.Height == b.Height;
}

template <typename Proc>
void ForWalk(const TPixelView& dest, const TPixelView& src, const TInclusiveWalk& w, Proc proc)
{
    if (w.Empty()) return;
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) proc(d[i], s[i], w.DestX + i, w.DestY + j);
    }
}

// The background pixel for a destination position, or nullptr outside the background bitmap.
inline const uint32_t* BackgroundPixel(const TCacheInfo& b, int x, int y)
{
    const int bx = b.X + x, by = b.Y + y;
    if (bx < 0 || by < 0 || bx >= b.Bmp.Width || by >= b.Bmp.Height) return nullptr;
    return b.Bmp.Row(by) + bx;
}

}  // namespace

// ---- walks -----------------------------------------------------------------------------------

namespace {

// A walk of cols x rows pixels from (sx, sy) to (dx, dy); empty when nothing is left.
TInclusiveWalk MakeWalk(int64_t sx, int64_t sy, int64_t dx, int64_t dy, int64_t cols, int64_t rows)
{
    TInclusiveWalk w;
    if (cols <= 0 || rows <= 0) return w;
    w.SrcX = int(sx);
    w.SrcY = int(sy);
    w.DestX = int(dx);
    w.DestY = int(dy);
    w.Cols = int(cols);
    w.Rows = int(rows);
    return w;
}

}  // namespace

TRect ClampInclusiveSource(TRect r, TPoint& destPoint, const TPixelView& src, bool shiftDest)
{
    if (r.left < 0) {
        if (shiftDest) destPoint.x -= r.left;
        r.left = 0;
    }
    if (r.top < 0) {
        if (shiftDest) destPoint.y -= r.top;
        r.top = 0;
    }
    r.right = std::min<int>(r.right, src.Width - 1);
    r.bottom = std::min<int>(r.bottom, src.Height - 1);
    return r;
}

TInclusiveWalk WalkInclusive(const TPixelView& dest, int x, int y, const TPixelView& src, TRect r, bool shiftDest)
{
    if (dest.IsNull() || src.IsNull()) return {};
    TPoint at(x, y);
    r = ClampInclusiveSource(r, at, src, shiftDest);
    x = at.x;
    y = at.y;
    if (r.left > r.right || r.top > r.bottom) return {};
    // Destination pixels outside Dest are skipped while source and destination advance together.
    int64_t cols = int64_t(r.right) - r.left + 1, rows = int64_t(r.bottom) - r.top + 1;
    int64_t dx = x, dy = y, sx = r.left, sy = r.top;
    if (dx < 0) {
        sx -= dx;
        cols += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy -= dy;
        rows += dy;
        dy = 0;
    }
    cols = std::min<int64_t>(cols, dest.Width - dx);
    rows = std::min<int64_t>(rows, dest.Height - dy);
    return MakeWalk(sx, sy, dx, dy, cols, rows);
}

TInclusiveWalk WalkMixRect(const TPixelView& dest, const TPixelView& src, TRect r, TPoint p)
{
    if (dest.IsNull() || src.IsNull()) return {};
    ClipStartPair(p.x, r.left);
    ClipStartPair(p.y, r.top);
    if (r.left >= r.right || r.top >= r.bottom || p.x >= dest.Width || p.y >= dest.Height || r.left >= src.Width ||
        r.top >= src.Height)
        return {};
    return WalkInclusive(dest, p.x, p.y, src, r, false);
}

TInclusiveWalk WalkRectPair(const TRect& dr, const TRect& sr, const TPixelView& dest, const TPixelView& src)
{
    if (dest.IsNull() || src.IsNull()) return {};
    int64_t rows = std::min({int64_t(dr.Height()), int64_t(sr.Height()), int64_t(dest.Height) - dr.top,
                             int64_t(src.Height) - sr.top});
    int64_t cols = std::min({int64_t(dr.Width()), int64_t(sr.Width()), int64_t(dest.Width) - dr.left,
                             int64_t(src.Width) - sr.left});
    int64_t dx = dr.left, dy = dr.top, sx = sr.left, sy = sr.top;
    const int64_t ox = std::max<int64_t>({0, -dx, -sx}), oy = std::max<int64_t>({0, -dy, -sy});
    dx += ox;
    sx += ox;
    cols -= ox;
    dy += oy;
    sy += oy;
    rows -= oy;
    return MakeWalk(sx, sy, dx, dy, cols, rows);
}

// ---- constant-weight mixes -------------------------------------------------------------------

void MixBitmaps32(const TPixelView& dest, const TPixelView& src, uint8_t weight)
{
    if (!SameSize(dest, src)) return;
    for (int y = 0; y < dest.Height; ++y) {
        uint32_t* d = dest.Row(y);
        const uint32_t* s = src.Row(y);
        // Dest keeps the share Weight of its colour and the whole of its alpha.
        for (int x = 0; x < dest.Width; ++x) d[x] = (MixPixels(d[x], s[x], weight) & 0x00FFFFFFu) | (d[x] & 0xFF000000u);
    }
}

void MixRectAt32(const TPixelView& dest, const TPixelView& src, uint8_t weight, const TRect& srcRect, TPoint destPoint)
{
    const TInclusiveWalk w = WalkMixRect(dest, src, srcRect, destPoint);
    if (w.Empty()) return;
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) d[i] = MixPixels(d[i], s[i], weight);
    }
}

void MixBitmapsByMask32(const TPixelView& dest, const TPixelView& a, const TPixelView& b, const TPixelView* mask,
                        uint8_t weight)
{
    if (!SameSize(a, b) || dest.IsNull() || (mask && mask->IsNull())) return;
    const int w = std::min({a.Width, dest.Width, mask ? mask->Width : a.Width});
    const int h = std::min({a.Height, dest.Height, mask ? mask->Height : a.Height});
    for (int y = 0; y < h; ++y) {
        uint32_t* d = dest.Row(y);
        const uint32_t* pa = a.Row(y);
        const uint32_t* pb = b.Row(y);
        const uint32_t* pm = mask ? mask->Row(y) : nullptr;
        for (int x = 0; x < w; ++x) {
            uint32_t out = d[x] & 0xFF000000u;
            for (int s = 0; s < 24; s += 8) {
                const uint32_t k = pm ? Channel(pm[x], s) : weight;
                out |= ((Channel(pa[x], s) * k + Channel(pb[x], s) * (256u - k)) >> 8) << s;
            }
            d[x] = out;
        }
    }
}

void ComposeBitmap32(const TPixelView& dest, const TPixelView& src)
{
    if (!SameSize(dest, src)) return;
    for (int y = 0; y < dest.Height; ++y) {
        uint32_t* d = dest.Row(y);
        const uint32_t* s = src.Row(y);
        for (int x = 0; x < dest.Width; ++x) d[x] = MixColourBytes(s[x], d[x], s[x] >> 24);
    }
}

void TintBitmap32(const TPixelView& v, uint8_t weight, TColor color)
{
    if (v.IsNull()) return;
    const uint32_t c = static_cast<uint32_t>(color);
    const uint32_t tint[3] = {Channel(c, 16), Channel(c, 8), Channel(c, 0)};   // blue, green, red
    for (int y = 0; y < v.Height; ++y) {
        uint32_t* row = v.Row(y);
        for (int x = 0; x < v.Width; ++x) {
            if (row[x] == 0x00FF00FFu) continue;
            uint32_t out = row[x] & 0xFF000000u;
            for (int k = 0; k < 3; ++k)
                out |= ((weight * Channel(row[x], 8 * k) + tint[k] * (255u - weight)) >> 8) << (8 * k);
            row[x] = out;
        }
    }
}

// ---- keyed and masked copies -----------------------------------------------------------------

void BlendRectAt32(const TPixelView& dest, int x, int y, const TPixelView& src, TRect srcRect, int transparency,
                   uint32_t keyColor)
{
    const uint32_t t = uint32_t(std::clamp(transparency, 0, 255)), o = 255u - t;
    ForWalk(dest, src, WalkInclusive(dest, x, y, src, srcRect, true), [=](uint32_t& d, uint32_t s, int, int) {
        if (s == keyColor) return;
        uint32_t out = 0;
        for (int k = 0; k < 32; k += 8) out |= ((Channel(s, k) * o + Channel(d, k) * t) >> 8) << k;
        d = out;
    });
}

void BlendKeyedRect32(const TPixelView& dest, const TPixelView& src, int x, int y, TRect srcRect, TColor keyColor,
                      uint8_t opacity)
{
    const uint32_t key = SwapRedBlue(static_cast<uint32_t>(keyColor)) & 0x00FFFFFFu;
    ForWalk(dest, src, WalkInclusive(dest, x, y, src, srcRect, true), [=](uint32_t& d, uint32_t s, int, int) {
        if (s == key) return;
        if (opacity == 0) {
            d = s;
            return;
        }
        uint32_t out = MixPixels(s, d, opacity) & 0x00FFFFFFu;
        out |= std::max<uint32_t>(d >> 24, opacity) << 24;
        d = out;
    });
}

void CopyOpaqueAt32(const TPixelView& dest, const TPixelView& src, int x, int y, TColor keyColor)
{
    if (dest.IsNull() || src.IsNull()) return;
    const uint32_t key = SwapRedBlue(static_cast<uint32_t>(keyColor));
    const int y0 = std::max(y, 0), y1 = int(std::min<int64_t>(dest.Height, int64_t(y) + src.Height));
    const int x0 = std::max(x, 0), x1 = int(std::min<int64_t>(dest.Width, int64_t(x) + src.Width));
    for (int dy = y0; dy < y1; ++dy) {
        const uint32_t* s = src.Row(dy - y);
        uint32_t* d = dest.Row(dy);
        for (int dx = x0; dx < x1; ++dx)
            if (s[dx - x] != key) d[dx] = s[dx - x] | 0xFF000000u;
    }
}

void CopyKeyedRect32(const TPixelView& dest, const TPixelView& src, int x, int y, TRect srcRect, uint32_t keyColor,
                     const TCacheInfo& background, bool useBackground)
{
    const TInclusiveWalk w = WalkInclusive(dest, x, y, src, srcRect, false);
    if (w.Empty()) return;
    const TCacheInfo& b = background;
    if (useBackground && b.Ready && !b.Bmp.IsNull()) {
        if (b.Bmp.Row0 == dest.Row0) {
            ForWalk(dest, src, w, [=](uint32_t& d, uint32_t s, int, int) {
                if (s != keyColor) d = s | 0xFF000000u;
            });
            return;
        }
        ForWalk(dest, src, w, [&](uint32_t& d, uint32_t s, int dx, int dy) {
            if (s != keyColor) {
                d = s;
            } else if (const uint32_t* bg = BackgroundPixel(b, dx, dy)) {
                d = *bg;
            }
        });
        return;
    }
    if (!b.Ready) {
        const uint32_t fill = (SwapRedBlue(static_cast<uint32_t>(b.FillColor)) & 0x00FFFFFFu) |
                              (dest.At(0, 0) & 0xFF000000u);
        ForWalk(dest, src, w, [=](uint32_t& d, uint32_t s, int, int) { d = s != keyColor ? s : fill; });
        return;
    }
    ForWalk(dest, src, w, [=](uint32_t& d, uint32_t s, int, int) {
        if (s != keyColor) d = s;
    });
}

void CopyMaskedRect32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                      const TCacheInfo& background, bool fillKeys, const TsMaskData& mask)
{
    const TInclusiveWalk w = WalkRectPair(destRect, srcRect, dest, src);
    if (w.Empty()) return;
    const int maskTop = std::max(0, std::min(w.SrcY + mask.R.Height() / 2, src.Height - w.Rows));
    const TCacheInfo& b = background;
    const uint32_t fill = SwapRedBlue(static_cast<uint32_t>(b.FillColor));
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        const uint32_t* m = src.Row(maskTop + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) {
            const bool key = s[i] == 0x00FF00FFu;
            if (key && !b.Ready) {
                if (fillKeys) d[i] = fill;
                continue;
            }
            if (key && fillKeys) {
                d[i] |= 0xFF000000u;
                if (const uint32_t* bg = BackgroundPixel(b, w.DestX + i, w.DestY + j)) d[i] = *bg;
                continue;
            }
            uint32_t out = b.Ready ? 0xFF000000u : (d[i] & 0xFF000000u);
            for (int k = 0; k < 24; k += 8) {
                const int dc = int(Channel(d[i], k)), sc = int(Channel(s[i], k)), mc = int(Channel(m[i], k));
                out |= uint32_t(((dc - sc) * mc + sc * 256) >> 8) << k;
            }
            d[i] = out;
        }
    }
}

// ---- channels --------------------------------------------------------------------------------

void CopyChannel32(const TPixelView& dest, const TPixelView& src, int channel)
{
    if (dest.IsNull() || src.IsNull() || channel < 0 || channel > 3) return;
    const int shift = 8 * channel;
    const uint32_t keep = ~(0xFFu << shift);
    const int w = std::min(dest.Width, src.Width), h = std::min(dest.Height, src.Height);
    for (int y = 0; y < h; ++y) {
        uint32_t* d = dest.Row(y);
        const uint32_t* s = src.Row(y);
        for (int x = 0; x < w; ++x) d[x] = (d[x] & keep) | (s[x] & ~keep);
    }
}

void CopyChannel8(const TPixelView& image, const TBytePlane& plane, int channel, bool toEightBit)
{
    if (image.IsNull() || plane.IsNull() || channel < 0 || channel > 3) return;
    const int shift = 8 * channel;
    const int w = std::min(image.Width, plane.Width), h = std::min(image.Height, plane.Height);
    for (int y = 0; y < h; ++y) {
        uint32_t* p = image.Row(y);
        uint8_t* b = plane.Row(y);
        for (int x = 0; x < w; ++x) {
            if (toEightBit)
                b[x] = uint8_t(p[x] >> shift);
            else
                p[x] = (p[x] & ~(0xFFu << shift)) | (uint32_t(b[x]) << shift);
        }
    }
}
