// Rescaling of skin images drawn for one PPI (DivPPI) to the PPI that uses them (MulPPi): once,
// at load, into a bitmap of the image's own, with its border widths scaled to match, keeping
// the key colour's pixels transparent. No windows.h here.
#pragma once

#include <memory>

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// Rescales image from its own bitmap (or from master when it has none) into result. False, and
// the image unchanged, when nothing is due (the same PPI) or the image is too small to slice
// (a frame or the colour part under 3 pixels, or two borders of one axis adding up to 2).
// keepKey keeps key-coloured pixels as they are (textures, glows, PNG glyphs). mainColor (an
// RGB TColor) stands behind the transparent pixels while resampling. On success image.Bmp
// points into result, R is its whole rectangle and the sizes and border widths are scaled.
bool RescaleSkinImage(TsMaskData& image, const TPixelView& master, bool keepKey, TColor mainColor,
                      std::unique_ptr<TPixelImage>& result);

// The size of one state frame (Width, Height) of an image.
inline TSize MaskImageSize(const TsMaskData& image) { return TSize(image.Width, image.Height); }
