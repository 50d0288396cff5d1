// Drawings that go through the system's device contexts: arrows drawn pixel by pixel on a canvas,
// anti-aliased arrow glyphs, the close box, an unskinned button face, dotted frames, a texture
// placed on a canvas, the rounded shade, and icons from 32-bit bitmaps.
#pragma once

#include "skin/graphics/image_modes.h"
#include "vcl/graphics.h"
#include "vcl/win.h"

// ---- arrows ----------------------------------------------------------------------------------

void DrawArrow32(TBitmap* bitmap, TColor color, const TRect& r, int direction, int ppi);
// A filled triangle two pixels wider at its base, through the canvas's SetPixel (clipped by it).
void DrawArrowPixels(TCanvas* canvas, TColor color, const TRect& r, int direction, int ppi);
// Glyph styles: 0 filled triangle, 1 chevron, 2 flat filled triangle, 3 flat chevron. Size 0 and
// Thickness 0 take the defaults (scaled by PPI); a given Size is scaled too, a given Thickness not.
void DrawArrowGlyph32(TBitmap* bitmap, TColor color, TColor fillColor, const TRect& r, int direction, int thickness,
                      double angle, int size, int style, int ppi);

// ---- frames and faces ------------------------------------------------------------------------

// A small white box with a white diagonal cross on red shades by state (0 normal, 1 hot, 2 pressed).
void DrawCrossBox(HDC dc, TRect r, int state);
// An unskinned push-button face (state 0 normal, 1 hot, 2 pressed, 3 default).
void DrawPlainButton(TCanvas* canvas, TRect r, bool enabled, bool focused, int state);
// Alternating single pixels along the edges; clNone skips that colour.
void DrawDottedFrame(TCanvas* canvas, TRect r, TColor color1, TColor color2);

// ---- textures --------------------------------------------------------------------------------

// The texture placed by its draw mode onto the canvas (through a 32-bit copy of the area) or a
// 32-bit bitmap; r returns what is left for the colour.
void DrawImageByMode(TCanvas* canvas, TRect& r, const TsMaskData& mask, int mode);
void DrawImageByMode(TBitmap* bitmap, TRect& r, const TsMaskData& mask, int mode);
// Masked textures; a bitmap that is not 32-bit gets the bands filled through its DC.
void DrawMaskedImageByMode32(TBitmap* bitmap, TRect& r, const TCacheInfo& background, const TsMaskData& mask, int mode);

// ---- shades and icons ------------------------------------------------------------------------

// The inside of r darkened towards Color (Percent the level of the centre) with a soft rounded edge
// Depth wide.
void ShadeRoundRect32(TBitmap* bitmap, const TRect& r, int percent, TColor color, int depth, int radius);
// An icon whose mask is the inverted alpha channel; the bitmap becomes 32-bit. The caller owns it.
HICON IconFromAlpha32(TBitmap* bitmap);
