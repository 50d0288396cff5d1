#include "skin/controls/core/panel_dock.h"

#include <algorithm>

TRect PanelDockBarRect(const TRect& clientBounds, bool captionedTree)
{
    const int h = captionedTree ? 23 : 12;
    return TRect(clientBounds.left, clientBounds.top - h, clientBounds.right, clientBounds.top);
}

TRect PanelDockCloseRect(const TRect& bar, TSize glyph)
{
    const int barHeight = bar.Height();
    if (glyph.cx <= 0 || glyph.cy <= 0 || barHeight <= 0) return TRect();
    int w = glyph.cx, h = glyph.cy;
    if (h > barHeight) {
        // Scaled down to the bar's height, keeping its proportions.
        w = std::max(1, static_cast<int>(static_cast<long long>(glyph.cx) * barHeight / glyph.cy));
        h = barHeight;
    }
    const int top = bar.top + (barHeight - h) / 2;
    const int gap = top - bar.top;
    return TRect(bar.right - gap - w, top, bar.right - gap, top + h);
}
