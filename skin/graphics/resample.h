// Resizing 32-bit images smoothly with seven filter kernels, and turning them by quarter turns.
// No windows.h here.
#pragma once

#include <vector>

#include "skin/graphics/pixel_view.h"

enum TacResampleFilter : int {
    rfBox = 0, rfTriangle = 1, rfHermite = 2, rfBell = 3, rfBSpline = 4, rfSinc = 5, rfMitchell = 6
};
constexpr int acResampleFilterCount = 7;

// The radius of a filter and its weight at a scaled distance r (>= 0); the box also needs the sign
// of the distance (signedDistance is (centre - source index) x scale).
double ResampleFilterRadius(int filter);
double ResampleFilterWeight(int filter, double r, double signedDistance);
// Index j of a row of n source pixels brought inside 0..n-1 by reflecting at the edges
// (j < 0 -> -j, j >= n -> 2n - 1 - j) as often as needed.
int ReflectIndex(int j, int n);

// One weighted source pixel: its index and its weight in 1/65536.
struct TResampleTap {
    int Index;
    int Weight;
};
// The taps of every destination pixel of one pass from srcCount pixels to destCount.
std::vector<std::vector<TResampleTap>> ResampleContributors(int destCount, int srcCount, int filter);

// Src resized into dst (its size is the new size), separably: rows first into a work image, then
// columns. False, and dst untouched, when the source is narrower or lower than 2 pixels, dst is
// empty or the filter unknown; the same size copies.
bool ResampleInto(const TPixelView& src, const TPixelView& dst, int filter);
// A new image of newWidth x newHeight (empty when ResampleInto would refuse).
TPixelImage ResampleImage32(const TPixelView& src, int newWidth, int newHeight, int filter);

// A copy turned by 90 (clockwise on screen), 180 or 270 degrees; any other angle copies.
TPixelImage RotateImage32(const TPixelView& src, int angle);

// Src mapped onto the parallelogram whose corners Targets give (where Src's upper-left, upper-right
// and lower-left corners land), each destination pixel taking the source pixel under its centre;
// clipped to Dest. Nothing for corners on one line.
void AffineBlit32(const TPixelView& dest, const TPixelView& src, const TPoint (&targets)[3]);
