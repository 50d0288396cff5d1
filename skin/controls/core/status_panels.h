// Where a skinned status bar puts its panels, the dividers between them, their texts and the
// size grip. Plain sizes in, rectangles out; no windows.h here.
#pragma once

#include <vector>

#include "vcl/types.h"

// Room the size grip keeps free at the right end of the bar.
constexpr int acStatusGripRoom = 18;

// The width the panels share: the bar's, less the grip's room.
int StatusPanelsWidth(int barWidth, bool sizeGrip);

// Each panel's span, full height: from the sum of the widths before it (a negative width counts
// as none) to that plus its own width; the last one always runs to panelsWidth (never left of
// its start).
std::vector<TRect> StatusPanelSpans(const std::vector<int>& widths, int panelsWidth, int height);

// A panel is drawn inside its span deflated by 1.
TRect StatusPanelRect(const TRect& span);
// The one panel of a simple bar (or a bar without panels).
TRect StatusSimplePanelRect(int panelsWidth, int height);
// Where a panel's text goes inside its drawing rectangle: that deflated by 1, then 2 more on the
// left, 4 on the right and 1 at the bottom.
TRect StatusTextRect(const TRect& panelRect);

// A divider drawn from the skin is as wide as its image's left and right margins, at least 2.
int StatusDividerWidth(int marginLeft, int marginRight);
// The divider at the right end of a panel (its drawing rectangle): centred on the gap to the next
// panel, from y = 1 to height - 1.
TRect StatusDividerRect(const TRect& panelRect, int dividerWidth, int height);
// Dividers separate panels: none after the last one or after a panel without a bevel, and none
// at all on a simple bar or when the skin draws every panel from its own image.
bool StatusPanelHasDivider(int index, int count, bool bevelNone, bool simple, bool panelImage);

// The top-left corner of the grip image in the bottom-right corner of the bar, inside its border.
// The four strips of the bar's border (top, left, right, bottom) in window coordinates; they
// are copied from the same place of the cache. Empty without a border.
std::vector<TRect> StatusFrameStrips(int barWidth, int barHeight, int borderWidth);
TPoint StatusGripPoint(int barWidth, int barHeight, int imageWidth, int imageHeight, int borderWidth);

// A bar counts as half visible unless both its top-left and bottom-right corners lie inside the
// parent's client area (right and bottom edges exclusive): a bar aligned to the bottom of its
// parent is always half visible, so its image is composed at every paint.
bool StatusBarHalfVisible(const TRect& bounds, int parentClientWidth, int parentClientHeight);

enum TacStatusTextAlign : uint8_t { staLeft, staCenter, staRight };
// The side a panel's text keeps: the panel's alignment (left on a simple bar), swapped by a
// right-to-left layout; right-to-left reading keeps the uncentred text right.
TacStatusTextAlign StatusTextAlign(TAlignment alignment, bool simple, bool rightToLeftAlignment,
                                   bool rightToLeftReading);
