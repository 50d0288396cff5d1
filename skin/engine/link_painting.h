// Painting a control's section through its skin link: the section's background with the link's
// custom colour, the whole item with the link's colour effects, the item over the background the
// parent answers, and the border image's see-through corners refilled from the parent.
#pragma once

#include "skin/engine/common_data.h"

// Corners: bits 1 top-left, 2 bottom-left, 4 top-right, 8 bottom-right.
void PaintControlBorder32(TsCommonData* link, int state, int corners);
