#include "skin/graphics/pixel_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

void CopyBlock32(const TPixelView& dst, int dx, int dy, const TPixelView& src, const TRect& srcRect)
{
    if (dst.IsNull() || src.IsNull()) return;
    TRect s = TRect::Intersect(srcRect, src.Bounds());
    if (s.IsEmpty()) return;
    dx += s.left - srcRect.left;
    dy += s.top - srcRect.top;
    // Clip against the destination, moving the source with it.
    int x0 = std::max(dx, 0), y0 = std::max(dy, 0);
    int x1 = std::min(dx + s.Width(), dst.Width), y1 = std::min(dy + s.Height(), dst.Height);
    if (x1 <= x0 || y1 <= y0) return;
    const int sx = s.left + (x0 - dx), sy = s.top + (y0 - dy);
    const int w = x1 - x0, h = y1 - y0;
    const size_t bytes = static_cast<size_t>(w) * 4;
    // When both views share memory, rows are walked so that no row is read after it was written.
    const ptrdiff_t gap = reinterpret_cast<const uint8_t*>(dst.Row(y0)) - reinterpret_cast<const uint8_t*>(src.Row(sy));
    const bool upward = (gap > 0 && dst.Stride > 0) || (gap < 0 && dst.Stride < 0);
    for (int k = 0; k < h; ++k) {
        int j = upward ? h - 1 - k : k;
        std::memmove(dst.Row(y0 + j) + x0, src.Row(sy + j) + sx, bytes);
    }
}

void StretchBlock32(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect)
{
    const int dw = dstRect.Width(), dh = dstRect.Height(), sw = srcRect.Width(), sh = srcRect.Height();
    if (dst.IsNull() || src.IsNull() || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    TRect d = TRect::Intersect(dstRect, dst.Bounds());
    if (d.IsEmpty()) return;
    std::vector<int> columns(static_cast<size_t>(d.Width()));
    for (int x = d.left; x < d.right; ++x)
        columns[static_cast<size_t>(x - d.left)] = srcRect.left + NearestSourceIndex(x - dstRect.left, dw, sw);
    for (int y = d.top; y < d.bottom; ++y) {
        const int sy = srcRect.top + NearestSourceIndex(y - dstRect.top, dh, sh);
        if (sy < 0 || sy >= src.Height) continue;
        const uint32_t* s = src.Row(sy);
        uint32_t* o = dst.Row(y);
        for (int x = d.left; x < d.right; ++x) {
            const int sx = columns[static_cast<size_t>(x - d.left)];
            if (sx >= 0 && sx < src.Width) o[x] = s[sx];
        }
    }
}

void FillBlock32(const TPixelView& dst, const TRect& r, uint32_t pixel)
{
    TRect c = TRect::Intersect(r, dst.Bounds());
    if (dst.IsNull() || c.IsEmpty()) return;
    for (int y = c.top; y < c.bottom; ++y) std::fill(dst.Row(y) + c.left, dst.Row(y) + c.right, pixel);
}
