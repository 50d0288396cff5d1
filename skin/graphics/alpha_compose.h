// Composing images with per-pixel alpha over what a 32-bit view holds: a rectangle at a point
// (optionally scaled first), copies over a background, the general image copy (opacity, tone,
// see-through pixels from the background, a fading reflection), glyph strip cells and the
// nine-slice block copy of frames. Colour bytes of s over d with weight a become
// ((s - d) x a + d x 256) shr 8. No windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/pixel_view.h"

// Inclusive srcRect (clipped like MixRectAt32) composed at destPoint by the source alpha times
// GlobalAlpha; Dest's alpha blends and never drops.
void ComposeRectAt32(const TPixelView& dest, const TPixelView& src, const TRect& srcRect, TPoint destPoint,
                     uint8_t globalAlpha);
// The pixels of a walk composed the same way (each exactly once).
void ComposeWalk32(const TPixelView& dest, const TPixelView& src, const TInclusiveWalk& walk, uint8_t globalAlpha);
// The source area (srcX, srcY, srcWidth, srcHeight) scaled to destWidth x destHeight and composed at
// (x, y): nearest neighbour when the area starts away from (0, 0) or is thinner than 2 pixels, the
// Mitchell resampler otherwise.
void StretchComposeAt32(const TPixelView& dest, int x, int y, int destWidth, int destHeight, const TPixelView& src,
                        int srcX, int srcY, int srcWidth, int srcHeight, uint8_t globalAlpha);
// Src over Dest by its alpha (alpha accumulates); with a ready background its key pixels take the
// background's colour (UseBackground).
void CopyRectOverBg32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                      const TCacheInfo& background, bool useBackground);
// The general image copy: Percent of transparency, Tone (clNone: none), near-transparent source
// pixels (key, or alpha 16 or less) from a ready background (KeysFromBackground), and a fading
// mirror image below DestRect (Reflected).
void CopyRectAlpha32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                     const TCacheInfo& background, bool keysFromBackground, TColor tone, int percent, bool reflected);
// A mirrored, fading copy of the inclusive srcRect from destPoint downwards, skipping key pixels
// (keyColor a TColor), Transparency in percent.
void DrawReflection32(const TPixelView& dest, const TPixelView& src, TPoint destPoint, TRect srcRect, TColor keyColor,
                      int transparency);

// One cell of a strip of CellCount glyphs side by side; the cell's bottom-left pixel is its key.
// Kind: 0 the first cell, 1 the grey cell, 2 the cell of State, 3 the third cell. StdOrder: the
// strip keeps the platform's order (the grey cell is the first).
void DrawStateGlyph32(const TPixelView& dest, const TPixelView& glyphs, TRect r, int cellCount, bool useStates,
                      int kind, int blend, int state, bool reflected, bool stdOrder);
// The cell DrawStateGlyph32 draws.
int StateGlyphCell(int cellCount, bool useStates, int kind, int state, bool stdOrder);

// Frames of menus, hints and popups: srcRect's nine pieces onto destRect. Borders are the source's
// border widths, Corners the parts of them that are corners; Modes (left, top, right, bottom) bit
// 0 stretches that edge (else tiles it). Nothing outside destRect changes.
void BlitNineSlice(const TPixelView& dest, const TPixelView& src, const TRect& destRect, const TRect& srcRect,
                   const TRect& borders, const TRect& corners, const TRect& modes, bool stretchCenter, bool fillCenter);
