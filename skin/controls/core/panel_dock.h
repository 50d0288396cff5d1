// Where a panel that is a dock site draws the bars of its docked clients. Plain rectangles in and
// out; no windows.h here.
#pragma once

#include "vcl/types.h"

// The bar of a docked client: directly above the client's bounds, 23 pixels high under a
// captioned dock tree, else 12.
TRect PanelDockBarRect(const TRect& clientBounds, bool captionedTree);
// The close glyph in that bar: the image's size, scaled down to the bar's height when taller,
// centred vertically and as far from the bar's right end as from its top. Empty without an
// image or a bar.
TRect PanelDockCloseRect(const TRect& bar, TSize glyph);
