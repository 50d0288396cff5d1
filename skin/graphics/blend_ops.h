// Mixing 32-bit pixel views pixel by pixel: constant-weight mixes, key-colour and masked copies,
// and moving one byte channel between images. To mix A into B by weight w sets each byte of B to
// (A x w + B x (256 - w)) shr 8. Source rectangles marked inclusive have their right and bottom
// clamped to the source's last column and row and then copy both ends, so a view's own bounds
// (0, 0, Width, Height) copy exactly the view. Nothing outside either view is read or written.
// No windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// ---- constant-weight mixes -------------------------------------------------------------------

// Equal sizes only: Dest := mix Dest into Src by Weight (colour bytes).
void MixBitmaps32(const TPixelView& dest, const TPixelView& src, uint8_t weight);
// Src's inclusive srcRect mixed into Dest at destPoint, all four bytes, Dest keeping the share Weight.
void MixRectAt32(const TPixelView& dest, const TPixelView& src, uint8_t weight, const TRect& srcRect, TPoint destPoint);
// Dest := mix A into B by Weight, or by the mask pixel's own byte per channel (colour bytes; alpha
// kept). A and B of equal size; bounded by Dest and the mask.
void MixBitmapsByMask32(const TPixelView& dest, const TPixelView& a, const TPixelView& b, const TPixelView* mask,
                        uint8_t weight);
// Equal sizes only: every Src pixel mixed into Dest by its own alpha (colour bytes).
void ComposeBitmap32(const TPixelView& dest, const TPixelView& src);
// Every pixel except 0x00FF00FF: channel := (Weight x channel + colour's channel x (255 - Weight)) shr 8.
void TintBitmap32(const TPixelView& v, uint8_t weight, TColor color);

// ---- keyed and masked copies -----------------------------------------------------------------

// Inclusive srcRect at (x, y): pixels whose word differs from keyColor (as given) are mixed into
// Dest by 255 - Transparency, all four bytes.
void BlendRectAt32(const TPixelView& dest, int x, int y, const TPixelView& src, TRect srcRect, int transparency,
                   uint32_t keyColor);
// Inclusive srcRect at (x, y); keyColor is a TColor (alpha 0 in the test). Non-key pixels are copied
// whole when Opacity is 0, else mixed in by Opacity with Dest's alpha raised to at least Opacity.
void BlendKeyedRect32(const TPixelView& dest, const TPixelView& src, int x, int y, TRect srcRect, TColor keyColor,
                      uint8_t opacity);
// The whole Src at (x, y); non-key pixels (keyColor a TColor, its byte 3 kept) copied opaque.
void CopyOpaqueAt32(const TPixelView& dest, const TPixelView& src, int x, int y, TColor keyColor);
// Inclusive srcRect at (x, y); key pixels (keyColor as given) take what lies behind: the
// background's pixel for their position (UseBackground, a ready background with a bitmap), its
// fill colour (a background that is not ready), or stay as they were.
void CopyKeyedRect32(const TPixelView& dest, const TPixelView& src, int x, int y, TRect srcRect, uint32_t keyColor,
                     const TCacheInfo& background, bool useBackground);
// An image through its own mask (stored below it, half the height of mask.R down): black mask
// shows the image, white keeps Dest. Key pixels are skipped, filled with the background's fill
// colour, or (FillKeys with a ready background) take its pixels; with a ready background every
// pixel becomes opaque.
void CopyMaskedRect32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                      const TCacheInfo& background, bool fillKeys, const TsMaskData& mask);

// ---- channels --------------------------------------------------------------------------------

// Byte Channel (0-3) of every Dest pixel from the Src pixel at the same place (over both sizes).
void CopyChannel32(const TPixelView& dest, const TPixelView& src, int channel);
// ToEightBit: the plane's samples := byte Channel of the pixels; else the reverse (over both sizes).
void CopyChannel8(const TPixelView& image, const TBytePlane& plane, int channel, bool toEightBit);

// ---- shared walks (used by the alpha compositions too) -----------------------------------------

// The inclusive source rectangle (placed at (x, y)) clipped to Src and Dest: for each row, the first
// source and destination pixel and the count. ShiftDest: a source edge below 0 moves the
// destination with it; otherwise the source is cut alone.
struct TInclusiveWalk {
    int SrcX = 0, SrcY = 0, DestX = 0, DestY = 0, Cols = 0, Rows = 0;
    bool Empty() const { return Cols <= 0 || Rows <= 0; }
};
TInclusiveWalk WalkInclusive(const TPixelView& dest, int x, int y, const TPixelView& src, TRect srcRect, bool shiftDest);
// An inclusive source rectangle with a left or top edge below 0 raised to 0 (moving destPoint with
// it when shiftDest) and its right and bottom clamped to the source's last column and row.
TRect ClampInclusiveSource(TRect r, TPoint& destPoint, const TPixelView& src, bool shiftDest);
// One axis of a destination position P and a source start S brought to 0 or more together: P
// below 0 moves S on by as much; S below 0 moves P on by as much, and when P is still below 0,
// S starts at -P and P at 0.
template <typename T>
void ClipStartPair(T& p, T& s)
{
    if (p < 0) {
        s -= p;
        p = 0;
    }
    if (s < 0) {
        p -= s;
        s = 0;
        if (p < 0) {
            s = -p;
            p = 0;
        }
    }
}
// The clipping of MixRectAt32 (also used by ComposeRectAt32); Empty when nothing is left.
TInclusiveWalk WalkMixRect(const TPixelView& dest, const TPixelView& src, TRect srcRect, TPoint destPoint);
// Two rectangles of equal meaning (destination and source, right and bottom exclusive) cut to
// both views; a negative start moves both starts.
TInclusiveWalk WalkRectPair(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src);
