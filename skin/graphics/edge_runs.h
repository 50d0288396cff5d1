// Runs of see-through pixels as rectangles, to be cut out of a window's region. No windows.h here.
#pragma once

#include <vector>

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// One rectangle (one row high) per horizontal run of pixels whose whole word equals Color (as
// given), row by row, appended to Rects.
void CollectColorRuns(std::vector<TRect>& rects, const TPixelView& v, uint32_t color);
// The key-coloured pixels (0x00FF00FF) of the corner areas of a window border drawn from a border
// image, top corners (Bottom False: window rows from Y) or bottom corners (Bottom True), appended
// to Rects in window coordinates. Reads only inside the image's bitmap.
void CollectMaskEdgeRects(std::vector<TRect>& rects, int windowWidth, const TsMaskData& mask, int y, bool bottom,
                          int xOffset);
