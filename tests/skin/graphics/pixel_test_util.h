// Small helpers for pixel tests on in-memory images.
#pragma once

#include <string>

#include "skin/graphics/pixel_view.h"

// "x,y: 0xAARRGGBB" for messages.
inline std::string PixelAt(int x, int y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

// Every pixel of img outside r (but inside the image) equals outside; true when so.
inline bool UntouchedOutside(const TPixelImage& img, const TRect& r, uint32_t outside)
{
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (!r.Contains(TPoint(x, y)) && img.At(x, y) != outside) return false;
    return true;
}

// Pixel in B, G, R, A order from the four bytes.
constexpr uint32_t Bgra(uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24;
}
