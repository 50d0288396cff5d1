#include "skin/graphics/edge_runs.h"

#include <algorithm>

#include "skin/engine/core/skin_paint_source.h"

namespace {

// Appends the runs of matching pixels of row sourceY, columns x0..x1 - 1, at window row windowY,
// window column = source column + shift.
template <typename Match>
void CollectRowRuns(std::vector<TRect>& rects, const uint32_t* row, int x0, int x1, int shift, int windowY, Match match)
{
    int start = -1;
    for (int x = x0; x < x1; ++x) {
        if (match(row[x])) {
            if (start < 0) start = x;
        } else if (start >= 0) {
            rects.emplace_back(start + shift, windowY, x + shift, windowY + 1);
            start = -1;
        }
    }
    if (start >= 0) rects.emplace_back(start + shift, windowY, x1 + shift, windowY + 1);
}

}  // namespace

void CollectColorRuns(std::vector<TRect>& rects, const TPixelView& v, uint32_t color)
{
    if (v.IsNull()) return;
    for (int y = 0; y < v.Height; ++y)
        CollectRowRuns(rects, v.Row(y), 0, v.Width, 0, y, [color](uint32_t p) { return p == color; });
}

void CollectMaskEdgeRects(std::vector<TRect>& rects, int windowWidth, const TsMaskData& mask, int y, bool bottom,
                          int xOffset)
{
    if (!mask.Manager && !mask.Bmp) return;
    const TPixelView src = ImageSourceBitmap(mask);
    if (src.IsNull()) return;
    const int rowCount = bottom ? mask.WB : mask.WT;
    const int parts = std::max(1, mask.MaskType + 1);
    const int firstRow = bottom ? mask.R.top + mask.R.Height() / parts - mask.WB : mask.R.top;
    if (rowCount <= 0 || firstRow < 0 || src.Height <= firstRow + rowCount - 1) return;
    // Columns stay inside the bitmap whatever the record says.
    const int left0 = std::max<int>(0, mask.R.left), left1 = std::min<int>(src.Width, mask.R.left + mask.WL);
    const int right0 = std::max<int>(0, mask.R.left + mask.Width - mask.WR), right1 = std::min<int>(src.Width, mask.R.left + mask.Width);
    auto hole = [](uint32_t p) { return p == 0x00FF00FFu; };
    for (int i = 0; i < rowCount; ++i) {
        const uint32_t* row = src.Row(firstRow + i);
        const int windowY = y + i - (bottom ? xOffset : 0);
        CollectRowRuns(rects, row, left0, left1, xOffset - mask.R.left, windowY, hole);
        CollectRowRuns(rects, row, right0, right1, windowWidth - mask.Width - xOffset - mask.R.left, windowY, hole);
    }
}
