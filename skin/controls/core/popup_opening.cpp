#include "skin/controls/core/popup_opening.h"

#include <algorithm>
#include <cmath>

TacPopupPlacement PlacePopup(const TRect& owner, const TRect& workArea, int width, int height, int clientWidth,
                             int clientHeight, bool rightToLeftOwner)
{
    TacPopupPlacement p;
    int left = rightToLeftOwner ? owner.right - width : owner.left;
    int top = owner.bottom - 2;
    if (!workArea.IsEmpty()) {
        if (top + height > workArea.bottom) {
            const int bottom = owner.top - 1;
            top = std::max(bottom - clientHeight, int(workArea.top));
            p.AnimDirection = PopupOpensUpward;
        }
        if (left + width > workArea.right) {
            left = workArea.right - clientWidth;
            p.AnimDirection += PopupShiftedLeft;
        }
    }
    p.Bounds = TRect(left, top, left + width, top + height);
    return p;
}

std::vector<TacPopupFrame> PopupOpeningFrames(int timeMs, int alpha, int width, int height, int ownerWidth,
                                              int animDirection)
{
    const int steps = std::max(timeMs, 0) / PopupFrameInterval;
    const bool upward = animDirection & PopupOpensUpward;
    const bool shifted = animDirection & PopupShiftedLeft;
    double a = steps == 0 ? alpha : 0;
    const double aStep = steps == 0 ? 0 : double(alpha) / steps;
    double top = upward ? height : 0, bottom = top, dy = height / 3.0;
    double left = shifted ? width - ownerWidth : 0, right = shifted ? width : ownerWidth;
    double dx = shifted ? width / 3.0 : (width - ownerWidth) / 3.0;
    std::vector<TacPopupFrame> frames;
    for (int i = 0; i <= steps; ++i) {
        a = std::min(double(alpha), a + aStep);
        TacPopupFrame f;
        f.Rect = TRect(int(std::nearbyint(left)), int(std::nearbyint(top)), int(std::nearbyint(right)),
                       int(std::nearbyint(bottom)));
        f.Alpha = int(std::nearbyint(a));
        f.StartMs = i * PopupFrameInterval;
        frames.push_back(f);
        if (upward)
            top = dy;
        else
            bottom = height - dy;
        dy /= 3;
        if (shifted)
            left = dx;
        else
            right = width - dx;
        dx /= 3;
    }
    return frames;
}
