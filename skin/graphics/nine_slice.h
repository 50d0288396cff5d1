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

// The border image of a layered window's picture: as DrawSkinMask32, but the corners of keyed and
// masked images always take Background's pixels where they are see-through, masked pixels give
// alpha (a transparent destination takes what the mask lets through), tiled alpha pieces are
// copied with their alpha, and key pixels of the sides stay as they are.
void DrawSkinMaskLayered32(const TPixelView& dest, const TRect& r, const TCacheInfo& background,
                           const TsMaskData& mask, int state);
// An outer effect (a shadow) at opacity Blend: masked and alpha images at Blend, the side strips
// of a masked image narrowed to Margins (left, top, right, bottom widths; the outer part kept) and
// no centre; a keyed image as DrawSkinMask32 with its corners filled, whatever Blend is.
void DrawSkinMaskBlended32(const TPixelView& dest, const TRect& r, const TCacheInfo& background,
                           const TsMaskData& mask, int state, const TRect& margins, uint8_t blend);
// One masked piece of the layered form (areas right and bottom exclusive, cut to both views; the
// mask mask.R's height div 2 rows below): key pixels take Background's pixel (ready, with a
// bitmap) or only lose their alpha; others mix by mask red m, each colour byte
// (m x d + (255 - m) x v) shr 8, alpha 0 becoming 255 - m and a partial alpha at least that.
void CopyMaskedPieceLayered32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                              const TPixelView& source, const TCacheInfo& background, const TsMaskData& mask);
// The same at opacity Blend: e = ((255 - m) x Blend) shr 8, each colour byte
// (d x (255 - e) + v x e) shr 8; alpha 0 becomes e (255 - m over a background bitmap).
void CopyMaskedPieceBlended32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                              const TPixelView& source, const TCacheInfo& background, const TsMaskData& mask,
                              uint8_t blend);
// Stretched pieces of the two forms (arguments as StretchMaskPiece32; the mask scaled with the
// Hermite filter when resampled).
void StretchMaskPieceLayered32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                               const TPixelView& source, int maskOffset, bool isCentre);
void StretchMaskPieceBlended32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                               const TPixelView& source, int maskOffset, uint8_t blend, bool isCentre);

// The border widths DrawSkinMask32 uses for a w x h rectangle: reduced evenly when the rectangle is
// too small (the right and bottom taking the odd pixel), then capped so that opposite corners meet
// inside it. Left, Top, Right, Bottom of the result are the four widths.
TRect ReducedBorders(const TsMaskData& mask, int w, int h);
