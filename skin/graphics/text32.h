// Text of the skinned controls: capped DrawTextW, shortening with an ellipsis, measuring, fonts,
// the skin's text colours with contours and glow, and text drawn with alpha on 32-bit bitmaps.
#pragma once

#include "vcl/graphics.h"

// Style, size, colour and name (case-sensitive) all equal.
bool FontsEqual(const TFont* font1, const TFont* font2);
