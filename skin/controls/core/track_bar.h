// The skinned track bar's geometry, as numbers: where the progress fill lies, the channel a skin
// image is drawn into, the painted thumb of a bar laid from its far end, the position a click
// stands for, the tick marks and the selection marks. The native control keeps the logic; these
// say what the bar paints for what it reports. No windows.h here.
#pragma once

#include <cstdint>
#include <vector>

#include "skin/graphics/pixel_view.h"
#include "vcl/types.h"

// Rounds to the nearest integer, halves to the even neighbour.
int TacRoundEven(double value);

// The bar runs from its far end: Reversed, turned over once more by right-to-left reading of a
// horizontal bar.
constexpr bool TacTrackReversed(bool reversed, bool horizontal, bool rightToLeft)
{
    return reversed != (horizontal && rightToLeft);
}

// The progress fill inside r between ShowProgressFrom (from) and the position, along the bar's
// axis (width of a horizontal bar, height of a vertical one); the cross axis keeps r's extent.
// With Max = Min the offsets are taken unscaled. Empty when from equals the position.
TRect TacProgressRect(const TRect& r, bool horizontal, bool reversed, int position, int min, int max, int from);

// The rectangle a channel image is drawn into: one pixel thinner than the image across the bar,
// centred on the native channel, and one pixel shorter at either end.
TRect TacSkinChannelRect(const TRect& channel, bool horizontal, int imageWidth, int imageHeight);

// The painted thumb of a bar laid from its far end: the native thumb mirrored inside the
// control's width (horizontal) or height (vertical), keeping its size.
TRect TacMirrorThumbRect(const TRect& thumb, bool horizontal, int width, int height);
// A mouse coordinate along the bar mirrored for the native control (16-bit arithmetic, as the
// message carries it).
int16_t TacMirrorCoord(int16_t coord, int size);

// The position a click at p stands for (client coordinates, already mirrored). A channel of no
// length has no scale: the bar keeps current.
int TacPositionFromPoint(const TRect& channel, bool horizontal, TPoint p, int min, int max, int current);

// Where a thumb image of size s stands centred in thumb t.
TPoint TacCentredImage(const TRect& t, TSize s);

// ---- ticks and marks ---------------------------------------------------------------------------

struct TacTickInput {
    bool Horizontal = true;
    bool Auto = true;                 // tsAuto: evenly spaced; else the native places the middle ones
    TRect Channel;                    // window coordinates
    TRect Thumb;
    int Count = 0;                    // ticks, the first and last included
    int Shift = 2;                    // the channel moved along the bar by this first
    std::vector<int> Middle;          // tsManual: native positions of ticks 1 .. Count - 2
};
// Tick positions along the bar (X of a horizontal bar, Y of a vertical one; the other is 0).
std::vector<TPoint> TacTickPositions(const TacTickInput& in);

enum TacTickSide : uint8_t { tsdBottomRight = 0, tsdTopLeft = 1, tsdBoth = 2 };

struct TacTickMarkInput {
    bool Horizontal = true;
    TacTickSide Side = tsdBottomRight;
    TRect Channel;
    TRect Thumb;
    int TickHeight = 4;
    int SelStart = 0, SelEnd = 0;
    int Min = 0, Max = 10;
};
// Where one tick mark of each side is drawn (its top-left point before the tick image's own
// shift), tick by tick; a tick whose index equals SelStart or SelEnd is left out while a selection
// is set.
std::vector<TPoint> TacTickMarkPoints(const TacTickMarkInput& in, const std::vector<TPoint>& ticks);

struct TacTriangle {
    TPoint P[3];
};
// The selection's triangles on the sides with ticks: none without a selection (a vertical bar
// needs a positive end). Max = Min places them as if the scale were 0.
std::vector<TacTriangle> TacSelectionMarks(const TacTickMarkInput& in);

// Reverses the rows (topToBottom) or the columns of the pixels.
void TacFlipPixels(const TPixelView& v, bool topToBottom);

// The scroll codes that also fire the "changed" event: line and page steps and the thumb's
// release (TB_LINEUP .. TB_THUMBPOSITION); not dragging, Home, End or the end of a move.
constexpr bool TacScrollCodeCompletes(uint16_t code) { return code < 5; }
