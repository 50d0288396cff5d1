// Painting a control's section through its skin link: the section's background with the link's
// custom colour, the whole item with the link's colour effects, the item over the background the
// parent answers, and the border image's see-through corners refilled from the parent.
#pragma once

#include "skin/engine/common_data.h"

// The section's background for the link's state: the link's skin data, and the colour of its
// control (of its form, for a link a form owns) when the control keeps its own colour.
void PaintSkinDataBG(TsCommonData* link, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                     TBitmap* bitmap);
// The link's whole item over background: background, corner images, border image, then the
// link's colour tone, hue and saturation. Nothing without a manager, skin data or a valid
// section, or unless r lies inside bitmap.
void PaintSkinDataItem(TsCommonData* link, const TCacheInfo& background, int state, const TRect& r,
                       const TPoint& point, TBitmap* bitmap, bool fillCorners);
// The link's item over what control (usually the painted control's parent) answers lies under
// it: background, border image, then the corner images. False, with nothing painted, while that
// control's own image is not ready (ask again later); True otherwise, painted or not.
bool PaintControlItem(TsCommonData* link, TControl* control, int state, const TRect& r, const TPoint& point,
                      TBitmap* bitmap, bool fillCorners);

// Corners: bits 1 top-left, 2 bottom-left, 4 top-right, 8 bottom-right.
void PaintControlBorder32(TsCommonData* link, int state, int corners);
