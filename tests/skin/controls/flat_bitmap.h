// One-colour 32-bit bitmaps for the image tests, and their colours read back (0xRRGGBB).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "skin/graphics/bitmaps32.h"

namespace flat_bitmap {

// A 32-bit bitmap w x h whose every pixel is the opaque colour rgb.
inline std::unique_ptr<TBitmap> FlatBitmap32(int w, int h, uint32_t rgb)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(w, h));
    const TPixelView v = BitmapView(b.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) v.At(x, y) = 0xFF000000u | rgb;
    b->PixelsChanged();
    return b;
}

inline uint32_t Rgb(TBitmap* b, int x, int y) { return BitmapView(b).At(x, y) & 0x00FFFFFFu; }

// Each channel within tolerance: the resampler's weights leave a flat colour a few steps off,
// and its edge pixels a little more.
inline bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

}  // namespace flat_bitmap
