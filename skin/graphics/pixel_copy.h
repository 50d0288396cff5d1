// Block copies, fills and nearest-neighbour stretching between pixel views: the painting core's
// own stand-ins for BitBlt and StretchBlt (COLORONCOLOR), so every build gives the same pixels.
// Everything is clipped to both views. No windows.h here.
#pragma once

#include "skin/graphics/pixel_view.h"

// Copies the pixels of srcRect (right and bottom exclusive) to (dx, dy). Source and destination
// may be the same view and may overlap.
void CopyBlock32(const TPixelView& dst, int dx, int dy, const TPixelView& src, const TRect& srcRect);
// Scales srcRect onto dstRect by nearest neighbour: destination pixel i of a run of n takes source
// pixel (2i + 1) x m div 2n of the m source pixels. Source pixels outside src are not drawn.
void StretchBlock32(const TPixelView& dst, const TRect& dstRect, const TPixelView& src, const TRect& srcRect);
// Every pixel of r becomes pixel.
void FillBlock32(const TPixelView& dst, const TRect& r, uint32_t pixel);
// The index of the source pixel that destination pixel i of n takes from m source pixels.
constexpr int NearestSourceIndex(int i, int n, int m)
{
    return static_cast<int>((2 * static_cast<int64_t>(i) + 1) * m / (2 * static_cast<int64_t>(n)));
}
