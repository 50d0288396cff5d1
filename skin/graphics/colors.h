// Colour arithmetic of the skin's 32-bit pixels. No windows.h here.
//
// A pixel is B, G, R, A (byte 0 blue) with straight alpha; a TColor is R, G, B, 0 (byte 0 red).
// Each routine says which order it expects. clNone (0x1FFFFFFF) means "no colour".
#pragma once

#include <cstddef>
#include <cstdint>

// One 32-bit colour taken apart byte by byte: R, G, B, A are bytes 0, 1, 2, 3 whatever the order.
union TsColor {
    uint32_t C;
    int32_t I;
    struct {
        uint8_t R, G, B, A;
    };
};

// (C1 x Weight + C2 x (255 - Weight)) shr 8 per colour byte; byte 3 from C1.
uint32_t MixColors(uint32_t c1, uint32_t c2, uint8_t weight);
// Amount in 256ths of each channel's own value, positive brighter, negative darker; byte 3 kept.
uint32_t ChangeBrightness(uint32_t color, int amount);
// Amount -255..255 away from (positive) or towards (negative) the luma; pixel order.
uint32_t SaturateColor(int amount, uint32_t color);
uint32_t ChangeSaturation(uint32_t color, int amount);
// Hue shift in HSV by degrees: ShiftHueBGR for pixels, ShiftHue for TColor values.
uint32_t ShiftHueBGR(int degrees, uint32_t color);
uint32_t ShiftHue(int degrees, uint32_t color);
// Colour's brightest channel scaled by the tone, whose channels are read in the opposite order.
uint32_t ToneColor(uint32_t color, uint32_t tone);
// RRGGBB of a six-digit hex colour to TColor (exchanges bytes 0 and 2).
uint32_t ExchangeRedBlue(uint32_t value);
// Round(0.299 R + 0.587 G + 0.114 B) of a pixel (byte 2 red).
uint8_t PixelLuma(uint32_t pixel);

// Per-pixel adjustments, run by ForEachPixel32 over a bitmap.
using TPixelProc = void (*)(uint32_t* pixel, int value);
void AdjustPixelBrightness(uint32_t* pixel, int value);
void AdjustPixelSaturation(uint32_t* pixel, int value);
void AdjustPixelHue(uint32_t* pixel, int value);
void TonePixel(uint32_t* pixel, int value);   // value: an RGB TColor
void MakePixelOpaque(uint32_t* pixel, int value);

// The pixel walks over rows (row 0 and the signed distance to row 1), without a bitmap.
// keyColor (TColor order, or clNone) skips pixels whose whole 32-bit word equals it in pixel order.
void ForEachPixelRows(uint8_t* row0, ptrdiff_t stride, int width, int height, TPixelProc proc, int value,
                      uint32_t keyColor);
void GrayscaleRows(uint8_t* row0, ptrdiff_t stride, int width, int height, uint32_t keyColor);

// TColor <-> pixel order: bytes 0 and 2 exchanged, 1 and 3 kept.
constexpr uint32_t SwapRedBlue(uint32_t c)
{
    return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
}
