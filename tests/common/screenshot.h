// Screenshots and pixel checks for tests: capture a window or take a bitmap, save it under
// ArtifactsDir() as BMP and PNG for a human to look at, read single pixels, compare images.
#pragma once

#include "vcl/win.h"

#include <memory>

#include "vcl/graphics.h"

namespace testing_support {

// The window as it is on screen now, as a 32-bit bitmap (alpha 255). clientOnly: the client
// area only; else the whole window with its frame. Empty bitmap when the window is gone.
std::unique_ptr<TBitmap> CaptureWindow(HWND window, bool clientOnly = true);

// Writes bitmap (any format; converted to 32 bits) as "<ArtifactsDir><name>.bmp" and
// "<name>.png"; answers the PNG's path.
String SaveArtifact(TBitmap& bitmap, const String& name);
// CaptureWindow + SaveArtifact.
String SaveScreenshot(HWND window, const String& name, bool clientOnly = false);

// PNG file of a bitmap: 8-bit RGBA (alpha kept as it is in a 32-bit bitmap, else 255).
void WritePngFile(TBitmap& bitmap, const String& fileName);

// The colour at (x, y) as a TColor (RGB): of a bitmap (any format), or of a window's client
// area. clNone when outside.
TColor PixelAt(TBitmap& bitmap, int x, int y);
TColor PixelAt(HWND window, int x, int y);
// Alpha byte of a 32-bit bitmap's pixel (255 for other formats).
int AlphaAt(TBitmap& bitmap, int x, int y);

// The largest difference of one channel (R, G or B) between two colours.
int ColorDistance(TColor a, TColor b);

struct TBitmapDiff {
    bool sameSize = true;
    int differing = 0;       // pixels whose channels differ by more than the tolerance
    int maxDelta = 0;        // the largest channel difference seen
    TPoint firstAt{-1, -1};  // the first differing pixel (top-left scan order)
};
// Compares two bitmaps pixel by pixel, RGB only unless withAlpha (both must be 32-bit).
TBitmapDiff CompareBitmaps(TBitmap& a, TBitmap& b, int tolerance, bool withAlpha = false);
// The same as a predicate for EXPECT_TRUE; fills *diff when given.
bool BitmapsMatch(TBitmap& a, TBitmap& b, int tolerance, TBitmapDiff* diff = nullptr);

}  // namespace testing_support
