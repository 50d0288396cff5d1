// Small drawings besides skin images: pixel arrows, and a section's texture placed inside a
// rectangle by its draw mode (stretched, tiled, tiled along one side, anchored at a corner).
// Everything stays inside the rectangle and the views. No windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// Direction codes of every arrow.
enum TacArrowDirection : int { adLeft = 0, adUp = 1, adRight = 2, adDown = 3 };

// A filled triangle of DefaultArrowSize at PPI, centred in r, in Color (a TColor whose byte 3 is
// the alpha); nothing when it does not fit inside the view.
void DrawArrow32(const TPixelView& v, TColor color, const TRect& r, int direction, int ppi);

// The texture image M placed into r by Mode (its draw mode): r returns what is left for the
// section's colour ((-1, -1, -1, -1): nothing). An image of no width or height draws nothing and
// leaves r as it is.
void DrawImageByMode32(const TPixelView& v, TRect& r, const TsMaskData& mask, int mode);
// The same for textures with a mask (modes 0 and 10): tiles by CopyMaskedTile32; mode 10 fills
// the bands the whole tiles leave from the background.
void DrawMaskedImageByMode32(const TPixelView& v, TRect& r, const TCacheInfo& background, const TsMaskData& mask,
                             int mode);
