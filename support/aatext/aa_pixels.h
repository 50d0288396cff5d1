// Pixel arithmetic of the anti-aliased text: reduction of the supersampled grey text to a
// coverage mask, the mask filters, blending into 24-bit rows, foreground fills, the fade band
// and the geometry of rotated text. Plain buffers only (no windows.h), so all of it is tested
// natively; the GDI classes hand their DIB rows in.
//
// A plane is addressed from its top row with a signed stride, so bottom-up DIBs and the
// bottom-up mask buffer are passed as (address of the top row, negative stride).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

enum TAAQuality { aqHigh, aqNormal, aqLow, aqNone };

// Supersampling factor of a quality: 4, 3, 2, 1 (1 for anything else).
int QualityScale(int quality);

// One byte per pixel.
struct TAAGrayPlane {
    uint8_t* top = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    uint8_t* Row(int y) const { return top + stride * y; }
};

// Three bytes per pixel, blue, green, red in memory order.
struct TBgrPlane {
    uint8_t* top = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    uint8_t* Row(int y) const { return top + stride * y; }
};

struct TRgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(TRgb, TRgb) = default;
};
// A colour in the 0x00BBGGRR form (no system colours here).
inline TRgb RgbOf(uint32_t c) { return {uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)}; }

// Reduces the grey text (gray: at least mask.width * S by mask.height * S) into the mask; only
// the first mask.width bytes of each mask row are written.
void ReduceGray(const TAAGrayPlane& gray, const TAAGrayPlane& mask, int quality);

// Blur with a 5 x 5 box whose taps clamp to the mask's edges; strength 0..100 mixes the
// mean in (100: the mean itself).
void BlurMask(const TAAGrayPlane& mask, int strength);
// Edge detection: interior pixels become the gradient sum div 4; needs three rows.
void OutlineMask(const TAAGrayPlane& mask);
// Random source: an integer in [0, n), 0 for n <= 0.
using TRandomInt = std::function<int(int)>;
// Scatters every pixel by up to amount pixels (in place, rows from the top).
void SprayMask(const TAAGrayPlane& mask, int amount, const TRandomInt& random);
void HorzMirrorMask(const TAAGrayPlane& mask);
void VertMirrorMask(const TAAGrayPlane& mask);

// The process's shared generator of the text effects.
int AARandom(int n);

// Blends colour over dst with weight (coverage * a16) >> 8 per pixel; a16 is 0..256
// (alpha percent * 256 div 100). dst and mask have the same size.
void BlendColor(const TBgrPlane& dst, const TAAGrayPlane& mask, int a16, TRgb colour);
// The same with the colour of each pixel taken from fore (same size).
void BlendFore(const TBgrPlane& dst, const TAAGrayPlane& mask, int a16, const TBgrPlane& fore);
inline int AlphaToA16(int alphaPercent) { return alphaPercent * 256 / 100; }

enum TGradualStyle { gsLeftToRight, gsRightToLeft, gsTopToBottom, gsBottomToTop, gsCenterToLR, gsCenterToTB };
// Fills dst with the gradient of style from start to end colour.
void GradualFill(const TBgrPlane& dst, int style, TRgb start, TRgb end);
// Per pixel: each channel of colour plus a random draw 0..noise-1 minus noise div 2, clamped.
void NoiseFill(const TBgrPlane& dst, TRgb colour, int noise, const TRandomInt& random);
// Adds the same kind of noise to every byte of dst.
void AddNoise(const TBgrPlane& dst, int noise, const TRandomInt& random);

// Moves every channel of one row toward bg: v := b + floor((v - b) * a / 256).
void FadeLine(uint8_t* row, int width, int a, TRgb bg);
// The fade band at the top and bottom of a window of rows. The band is limited to half the
// height; a band of one row (or less) fades nothing.
void FadeBand(const TBgrPlane& window, int fadeHeight, TRgb bg);

// One copy of rows from the text bitmap into the window.
struct TRowSpan {
    int srcRow;
    int dstRow;
    int count;
};
// The copies that fill a window of windowHeight rows from a cyclic text of textHeight rows
// starting at row pos. Nothing for an empty text or window.
std::vector<TRowSpan> ScrollSpans(int textHeight, int pos, int windowHeight);

// Extent of a text box of cx by cy rotated by theta (radians, counter-clockwise), and the
// origin from which the rotated text starts inside it.
struct TRotated {
    int cx, cy;
    int originX, originY;
};
TRotated RotatedExtent(int cx, int cy, double theta);
// Width of an italic text: cx + Round(cx / length * 0.3).
int ItalicWidth(int cx, int length);
// Round half to even, as the text layout rounds.
int RoundEven(double v);
