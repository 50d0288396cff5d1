// 32-bit skin bitmaps: creating them, reaching their rows, DC fills and frames, per-pixel
// passes, and the system functions bound at start-up (layered windows, DC layout).
#pragma once

#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_view.h"
#include "vcl/graphics.h"
#include "vcl/win.h"

class TControl;

// ---- bitmaps (each returns a new bitmap that the caller owns) --------------------------------

// A 32-bit DIB bitmap; a size the system refuses gives a 0 x 0 bitmap, never an exception.
TBitmap* NewBitmap32(int width, int height);
TBitmap* NewBitmap32ForRect(const TRect& r);
TBitmap* NewBitmap32ForSize(const TSize& size);
TBitmap* NewBitmap32Like(const TBitmap* bitmap);
TBitmap* NewBitmap32ForControl(const TControl* control);
// Of the source's size and pixel format.
TBitmap* NewBitmapLike(const TBitmap* bitmap);
void CloneBitmapInto(TBitmap* dest, TBitmap* source);
void SetPixelFormat32(TBitmap*& bitmap);
// Row 0 (the top row) and the signed distance to row 1 (0 for a one-row bitmap); False when
// the bitmap has no rows.
bool GetBitmapRows(TBitmap* bitmap, uint8_t*& row0, ptrdiff_t& stride);
// The pixels of a 32-bit bitmap as a view for the painting core (GDI flushed first); a bitmap of
// another format or without rows gives a null view, on which every pixel routine does nothing.
TPixelView BitmapView(TBitmap* bitmap);
// The pixels of the 32-bit DIB section selected into a memory DC that draws one to one (no
// transformation, origin, mirroring or clipping region); otherwise a null view.
TPixelView DCBitmapView(HDC dc);
// A new 32-bit bitmap holding a copy of the image, and the reverse.
TBitmap* BitmapFromImage32(const TPixelImage& image);
TPixelImage ImageFromBitmap32(TBitmap* bitmap);
// Upper half image, lower half mask (black opaque, white transparent) -> one 32-bit bitmap.
TBitmap* BitmapFromImageAndMask32(TBitmap* source, const TRect& r);
// The reverse: image on top, grey 255 - alpha below.
TBitmap* ImageAndMaskFromBitmap32(TBitmap* source);
HICON IconFromBitmap32(TBitmap* bitmap);
// An icon of a colour bitmap and a mask bitmap; the mask is deleted, the colour bitmap kept.
HICON IconFromColorAndMask(HBITMAP color, HBITMAP mask);

// ---- device contexts (TColor colours) ---------------------------------------------------------

void FillDCRect(HDC dc, const TRect& r, TColor color);
void FillDCFrame(HDC dc, const TRect& r, int left, int top, int right, int bottom, TColor color);
// Copies the border strips of a width x height frame; widths below 1 take Left (uniform).
void BlitFrameStrips(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int left,
                     int top, int right, int bottom);
void DrawSegment(HDC dc, int x1, int y1, int x2, int y2);
// Count nested one-pixel frames, light (Color1) top-left and dark (Color2, RGB as given)
// bottom-right; Rect ends inside them and Count at 0.
void DrawBevelFrame(HDC dc, TRect& r, TColor color1, TColor color2, int& count);

// ---- per-pixel passes ------------------------------------------------------------------------

// Proc for every pixel, or every pixel whose word differs from keyColor in pixel order.
void ForEachPixel32(TBitmap* bitmap, TPixelProc proc, int value, TColor keyColor);
void GrayscaleBitmap32(TBitmap* bitmap);
void GrayscaleExceptKey32(TBitmap* bitmap, TColor keyColor);

// ---- system functions bound at start-up (nil when the system lacks them) ---------------------

using TUpdateLayeredWindowFunc = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
using TSetLayeredWindowAttributesFunc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
using TSetLayoutFunc = DWORD(WINAPI*)(HDC, DWORD);
using TGetLayoutFunc = DWORD(WINAPI*)(HDC);
// Named apart from the system's declarations of the same functions.
extern TUpdateLayeredWindowFunc BoundUpdateLayeredWindow;
extern TSetLayeredWindowAttributesFunc BoundSetLayeredWindowAttributes;

bool LayeredWindowsAvailable();
void SetDCLayout(HDC dc, DWORD layout);
DWORD GetDCLayout(HDC dc);
// Start-up and shut-down of the graphics unit (counted; done once per process by a static object).
void InitGraphicsUnit();
void DoneGraphicsUnit();
