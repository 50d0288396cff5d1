#include "skin/controls/core/status_panels.h"

#include <algorithm>

int StatusPanelsWidth(int barWidth, bool sizeGrip) { return sizeGrip ? barWidth - acStatusGripRoom : barWidth; }

std::vector<TRect> StatusPanelSpans(const std::vector<int>& widths, int panelsWidth, int height)
{
    std::vector<TRect> spans;
    spans.reserve(widths.size());
    int x = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        const int w = std::max(0, widths[i]);
        const int right = i + 1 == widths.size() ? std::max(x, panelsWidth) : x + w;
        spans.emplace_back(x, 0, right, height);
        x += w;
    }
    return spans;
}

TRect StatusPanelRect(const TRect& span) { return TRect(span.left + 1, span.top + 1, span.right - 1, span.bottom - 1); }

TRect StatusSimplePanelRect(int panelsWidth, int height) { return TRect(0, 1, panelsWidth - 1, height - 1); }

TRect StatusTextRect(const TRect& panelRect)
{
    return TRect(panelRect.left + 1 + 2, panelRect.top + 1, panelRect.right - 1 - 4, panelRect.bottom - 1 - 1);
}

int StatusDividerWidth(int marginLeft, int marginRight) { return std::max(2, marginLeft + marginRight); }

TRect StatusDividerRect(const TRect& panelRect, int dividerWidth, int height)
{
    const int x = panelRect.right - dividerWidth / 2 - 1;
    return TRect(x, 1, x + dividerWidth, height - 1);
}

bool StatusPanelHasDivider(int index, int count, bool bevelNone, bool simple, bool panelImage)
{
    return !simple && !panelImage && !bevelNone && index >= 0 && index + 1 < count;
}

TPoint StatusGripPoint(int barWidth, int barHeight, int imageWidth, int imageHeight, int borderWidth)
{
    return TPoint(barWidth - imageWidth - borderWidth, barHeight - imageHeight - borderWidth);
}

bool StatusBarHalfVisible(const TRect& bounds, int parentClientWidth, int parentClientHeight)
{
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < parentClientWidth && y < parentClientHeight; };
    return !(inside(bounds.left, bounds.top) && inside(bounds.right, bounds.bottom));
}

TacStatusTextAlign StatusTextAlign(TAlignment alignment, bool simple, bool rightToLeftAlignment, bool rightToLeftReading)
{
    TacStatusTextAlign a = staLeft;
    if (!simple) a = alignment == taCenter ? staCenter : alignment == taRightJustify ? staRight : staLeft;
    if (rightToLeftAlignment && a != staCenter) a = a == staLeft ? staRight : staLeft;
    if (rightToLeftReading && a != staCenter) a = staRight;
    return a;
}

std::vector<TRect> StatusFrameStrips(int barWidth, int barHeight, int borderWidth)
{
    // A border wider than half the bar leaves no client area: the strips meet in the middle.
    const int b = std::min(borderWidth, std::min(barWidth, barHeight) / 2);
    if (b <= 0) return {};
    return {TRect(0, 0, barWidth, b), TRect(0, b, b, barHeight - b), TRect(barWidth - b, b, barWidth, barHeight - b),
            TRect(0, barHeight - b, barWidth, barHeight)};
}
