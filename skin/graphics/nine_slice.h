// Skin images painted from their state frames: in nine slices into any rectangle (corners at
// their size, sides and centre tiled or stretched), one frame at its own size at a point, and one
// tile of a masked texture. Images are keyed (0x00FF00FF is see-through), alpha (per-pixel alpha)
// or masked (a mask part below the colour part). Untrusted image records never lead outside the
// bitmaps or the destination rectangle. No windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// State `state` of the image into r in nine slices; FillCorners: see-through corner pixels take
// what Background holds there (keyed and masked images whose corners have such pixels).
void DrawSkinMask32(const TPixelView& dest, const TRect& r, const TCacheInfo& background, const TsMaskData& mask,
                    int state, bool fillCorners);
// One frame at its own size at point; Mode 1 normal, any other faded.
void DrawMaskState32(const TPixelView& dest, TPoint point, int state, int mode, const TsMaskData& mask,
                     const TCacheInfo& background);
// One stretched piece (maskOffset 0: plain, else mixed through the mask part maskOffset rows below).
void StretchMaskPiece32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                        const TPixelView& source, int maskOffset, bool isCentre);
// One frame copied unscaled; both areas inclusive.
void DrawMaskCell32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest, const TPixelView& source,
                    int mode, const TsMaskData& mask);
// One tile of a masked texture (the mask half the image's height below).
void CopyMaskedTile32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                      const TCacheInfo& background, const TsMaskData& mask);

// The border widths DrawSkinMask32 uses for a w x h rectangle: reduced evenly when the rectangle is
// too small (the right and bottom taking the odd pixel), then capped so that opposite corners meet
// inside it. Left, Top, Right, Bottom of the result are the four widths.
TRect ReducedBorders(const TsMaskData& mask, int w, int h);
