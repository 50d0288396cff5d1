// Painting controls into bitmaps without the screen: a control tree into a 32-bit image (for
// animations and transitions), and the graphic children of a container over the skin
// background without flicker. Skinned windows are asked to print themselves (print mode
// announced with scmSetPrintDC, then WM_PRINT); other controls paint with PaintTo.
#pragma once

#include <vector>

#include "vcl/controls.h"
#include "vcl/graphics.h"

// Paints control and its children into bmp's canvas at the canvas's current origin. A hidden
// control (no provider, with a parent) leaves the parent's background at (x, y) instead. A
// provider is the skin provider of the form being painted (nil for any other control). With
// withOverlapping the later siblings that overlap the control are painted over it, as on screen.
// A tab sheet with a border, painted without a provider, leaves the canvas origin moved by
// minus its border width.
void PaintControlToBitmap(TBitmap* bmp, TControl* control, int x, int y, TObject* provider, bool withOverlapping);
// The visible windowed children of control, each at its position.
void PaintWindowedChildren(TWinControl* control, TBitmap* bmp);
// One child painted at its place in its parent's picture (the canvas origin moved to it).
void PaintChildAtItsPlace(TBitmap* bmp, TControl* child);
// Paints parent's graphic children over its background into dc, shifted by offset, through one
// off-screen bitmap. A call from inside another does nothing. (changed is not used.)
void DrawGraphicChildren(HDC dc, TWinControl* parent, bool changed, const TPoint& offset, bool onlyIfVisible);
// Every rectangle made fully transparent (colour 0, alpha 0).
void ClearRectsInBitmap(const std::vector<TRect>& rects, TBitmap* bmp);
