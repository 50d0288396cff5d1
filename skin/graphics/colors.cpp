#include "skin/graphics/colors.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t NoColor = 0x1FFFFFFF;

inline uint8_t Byte(uint32_t c, int i) { return uint8_t(c >> (8 * i)); }
inline uint32_t Make(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3) { return b0 | b1 << 8 | b2 << 16 | b3 << 24; }
inline uint8_t Clamp8(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

uint32_t MixColors(uint32_t c1, uint32_t c2, uint8_t w)
{
    uint32_t r[3];
    for (int i = 0; i < 3; ++i) r[i] = (Byte(c1, i) * uint32_t(w) + Byte(c2, i) * uint32_t(255 - w)) >> 8;
    return Make(r[0], r[1], r[2], Byte(c1, 3));
}

uint32_t ChangeBrightness(uint32_t color, int amount)
{
    if (amount == 0) return color;
    uint32_t r[3];
    for (int i = 0; i < 3; ++i) {
        int v = Byte(color, i);
        r[i] = amount > 0 ? uint32_t(std::min(255, v + ((v * amount) >> 8))) : uint32_t(std::max(0, v - ((v * -amount) >> 8)));
    }
    return Make(r[0], r[1], r[2], Byte(color, 3));
}

uint8_t PixelLuma(uint32_t p)
{
    return Clamp8(std::nearbyint(0.299 * Byte(p, 2) + 0.587 * Byte(p, 1) + 0.114 * Byte(p, 0)));
}

uint32_t SaturateColor(int amount, uint32_t color)
{
    if (amount == 0) return color;
    const int l = PixelLuma(color);
    const int d = amount + 255, k = amount * l;
    uint32_t r[3];
    for (int i = 0; i < 3; ++i) r[i] = uint32_t(std::clamp(Byte(color, i) * d - k, 0, 65535)) >> 8;
    return Make(r[0], r[1], r[2], Byte(color, 3));
}

uint32_t ChangeSaturation(uint32_t color, int amount)
{
    return amount == 0 ? color : SaturateColor(amount, color);
}

uint32_t ShiftHueBGR(int degrees, uint32_t color)
{
    const double R = Byte(color, 2), G = Byte(color, 1), B = Byte(color, 0);
    const double V = std::max({R, G, B}), m = std::min({R, G, B}), delta = V - m;
    const double S = V == 0 ? 0 : delta / V;
    double H = 0;
    if (S != 0) {
        const double f = 60 / delta;
        const double r1 = V - R * f, g1 = V - G * f, b1 = V - B * f;
        H = R == V ? b1 - g1 : G == V ? 120 + r1 - b1 : 240 + g1 - r1;
        if (H < 0) H += 360;
    }
    // Brought into 0..359 whatever the sign of the shift, so a shift below zero turns the hue back.
    int h2 = int(std::trunc(degrees + H)) % 360;
    if (h2 < 0) h2 += 360;
    if (S == 0) return (color & 0xFF00FFFFu) | uint32_t(uint8_t(std::trunc(V))) << 16;
    const double h = h2 / 60.0;
    const int i = int(std::trunc(h));
    const double F = h - i;
    const double p = std::clamp((1 - S) * V, 0.0, 255.0), q = std::clamp((1 - S * F) * V, 0.0, 255.0),
                 t = std::clamp((1 - (1 - F) * S) * V, 0.0, 255.0);
    double r, g, b;
    switch (i) {
    case 0: r = V; g = t; b = p; break;
    case 1: r = q; g = V; b = p; break;
    case 2: r = p; g = V; b = t; break;
    case 3: r = p; g = q; b = V; break;
    case 4: r = t; g = p; b = V; break;
    default: r = V; g = p; b = q; break;
    }
    return Make(uint8_t(std::trunc(b)), uint8_t(std::trunc(g)), uint8_t(std::trunc(r)), Byte(color, 3));
}

uint32_t ShiftHue(int degrees, uint32_t color)
{
    if (degrees == 0) return color;
    return SwapRedBlue(ShiftHueBGR(degrees, SwapRedBlue(color)));
}

uint32_t ToneColor(uint32_t color, uint32_t tone)
{
    const uint32_t M = std::max({Byte(color, 0), Byte(color, 1), Byte(color, 2)});
    return Make((M * Byte(tone, 2)) >> 8, (M * Byte(tone, 1)) >> 8, (M * Byte(tone, 0)) >> 8, Byte(color, 3));
}

uint32_t ExchangeRedBlue(uint32_t v)
{
    return (v % 256) << 16 | ((v >> 8) % 256) << 8 | v >> 16;
}

void AdjustPixelBrightness(uint32_t* pixel, int value) { *pixel = ChangeBrightness(*pixel, value); }
void AdjustPixelSaturation(uint32_t* pixel, int value) { *pixel = SaturateColor(value, *pixel); }
void AdjustPixelHue(uint32_t* pixel, int value) { *pixel = ShiftHueBGR(value, *pixel); }
void TonePixel(uint32_t* pixel, int value) { *pixel = ToneColor(*pixel, uint32_t(value)); }
void MakePixelOpaque(uint32_t* pixel, int) { *pixel |= 0xFF000000u; }

void ForEachPixelRows(uint8_t* row0, ptrdiff_t stride, int width, int height, TPixelProc proc, int value, uint32_t keyColor)
{
    if (!row0 || !proc) return;
    const bool keyed = keyColor != NoColor;
    const uint32_t key = SwapRedBlue(keyColor);
    for (int y = 0; y < height; ++y) {
        auto* p = reinterpret_cast<uint32_t*>(row0 + ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x)
            if (!keyed || p[x] != key) proc(&p[x], value);
    }
}

void GrayscaleRows(uint8_t* row0, ptrdiff_t stride, int width, int height, uint32_t keyColor)
{
    if (!row0) return;
    const bool keyed = keyColor != NoColor;
    const uint32_t key = SwapRedBlue(keyColor);
    for (int y = 0; y < height; ++y) {
        auto* p = reinterpret_cast<uint32_t*>(row0 + ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x) {
            if (keyed && p[x] == key) continue;
            uint32_t l = PixelLuma(p[x]);
            p[x] = (p[x] & 0xFF000000u) | l | l << 8 | l << 16;
        }
    }
}
