// Character glyphs drawn as images: one character of a font (an icon font in practice) fitted
// and centred in a rectangle, filled or as its outline, rotated, in one colour or a vertical
// two-colour gradient, with an optional small second glyph (badge) in the bottom-right corner cut
// free of the main glyph by a soft halo. The glyph is drawn black on white first; each pixel's
// darkness becomes its alpha and the colour comes afterwards, so the image composes cleanly
// over any background. The pure parts are in glyph_outline.h.
#pragma once

#include <optional>

#include "skin/graphics/glyph_outline.h"
#include "vcl/graphics.h"

// "No colour": take the caller's (or the main glyph's) colour.
constexpr TColor clGlyphDefault = static_cast<TColor>(0x1FFFFFFF);

// What the drawing reads of one character image.
struct TacCharGlyph {
    int Angle = 0;         // degrees
    wchar_t Char = 0;
    String FontName = L"FontAwesome";
    TFontPitch Pitch = TFontPitch::fpDefault;
    TColor Color = clGlyphDefault;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontStyles Style;
    double ScalingFactor = 1.0;
    bool DrawContour = false;
    TColor SecondColor = clGlyphDefault;   // bottom colour of a vertical gradient
    wchar_t AddedChar = 0;                 // the badge; 0: none
    TColor AddedColor = clGlyphDefault;
    TFontCharset AddedCharset = DEFAULT_CHARSET;
    String AddedFontName;                  // empty: the glyph's own font
    int AddedSize = 50;                    // badge height in percent of the rectangle's
};

// The outline of one character of Font as segments (read at 512 points); nothing when the font
// has no outline for it.
std::optional<TacStrokeCollection> GetGlyphStrokes(const TFont* font, wchar_t ch);

// Fits the outline of Ch (in the canvas's font) into R. CalcOnly: R becomes (0, 0, width, height)
// of the fit ((0, 0, 0, 0) for a flat outline); otherwise each contour is drawn as a closed
// polygon with an opaque black pen of PenWidth, turned by Angle degrees about R's centre. Nothing
// changes for a character without an outline.
void DrawGlyphContour(TCanvas* canvas, wchar_t ch, TRect& r, int penWidth, int angle, bool calcOnly);

// The contour pen for a glyph height: 1 up to 47 pixels, 2 from 48.
constexpr int GlyphContourPen(int glyphHeight)
{
    return glyphHeight / 48 + 1;
}

// Draws Glyph into Bmp (made 32-bit; every pixel written): fitted in Rect at a character height
// of GlyphHeight x ScalingFactor, moved down by OffsetY x ScalingFactor. ForeColor (unless
// clGlyphDefault) overrides the glyph's colour; a gradient is kept only while ForeColor is unset
// or equals the glyph's own colour. Colours may be skin palette colours.
void RenderCharGlyph(TBitmap* bmp, const TacCharGlyph& glyph, TColor foreColor, const TRect& rect, int glyphHeight,
                     int offsetY);
