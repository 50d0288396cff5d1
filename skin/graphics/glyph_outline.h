// Character glyphs without a device: the font's native outline (the bytes the outline request
// answers) read into line segments, the fitting of those segments into a box, the turning of a
// black-on-white rendition into colour and alpha, and the small second glyph (badge) composed
// into the corner. No windows.h here; the Windows layer is char_glyphs.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "skin/graphics/pixel_view.h"
#include "vcl/types.h"

// The outline buffer's layout, declared here with fixed sizes so it can be read from raw bytes.
struct TacOutlineFixed {   // 16.16: value + fract / 65536
    uint16_t fract;
    int16_t value;
};
struct TacOutlinePoint {
    TacOutlineFixed x, y;
};
struct TacOutlineHeader {   // one contour: cb bytes including this header
    uint32_t cb;
    uint32_t type;
    TacOutlinePoint start;
};
struct TacOutlineCurveHead {   // followed by count points
    uint16_t type;
    uint16_t count;
};
static_assert(sizeof(TacOutlineFixed) == 4 && sizeof(TacOutlinePoint) == 8 && sizeof(TacOutlineHeader) == 16 &&
              sizeof(TacOutlineCurveHead) == 4);

constexpr uint32_t acOutlinePolygon = 24;   // the only contour type
constexpr uint16_t acPrimLine = 1;
constexpr uint16_t acPrimQSpline = 2;

// One segment of contour GlyphNumber (contours counted from 0), ends in font units, y up.
struct TFontStroke {
    int GlyphNumber = 0;
    TPoint Pt1;
    TPoint Pt2;
};

// The segments of one character in the order they were produced; the segments of a contour are
// adjacent and the contours numbered 0, 1, 2 ... in order.
class TacStrokeCollection {
public:
    using TEnumStrokesCallback = std::function<bool(int idx, const TFontStroke& stroke)>;

    void Add(const TFontStroke& stroke) { FStrokes.push_back(stroke); }
    int Count() const { return static_cast<int>(FStrokes.size()); }
    // 0 when empty, else the last segment's contour + 1.
    int GetNumGlyphs() const;
    // -1 outside 0 .. GetNumGlyphs - 1, else the index of the contour's first segment (Count when
    // no segment has that number).
    int StartOfGlyph(int glyphNumber) const;
    // -1 when StartOfGlyph is; else how many segments the contour has (0 for one without any).
    int GlyphNumStrokes(int glyphNumber) const;
    // Raises EListError outside the list.
    const TFontStroke& GetFontStroke(int idx) const;
    // (0, 0, 0, 0) when empty; else the smallest and largest x (left, right) and y (top, bottom)
    // over both ends of every segment.
    TRect GetBounds() const;
    // The segments in order while the callback answers true.
    void EnumStrokes(const TEnumStrokesCallback& callback) const;

private:
    std::vector<TFontStroke> FStrokes;
};

// The quadratic curve from a through control b to c as seven steps, each step that moves adding
// a segment of contour Glyph; answers the last computed point (the caller's new current point).
struct TacPointFl {
    float x = 0;
    float y = 0;
};
TacPointFl FlattenQuadratic(TacStrokeCollection& out, int glyph, TacPointFl a, TacPointFl b, TacPointFl c);

// The segments of an outline buffer. Nothing (nullopt) when the buffer is too short for one
// contour header or the first contour is not a polygon. Every header and record is checked to
// lie inside the buffer and inside its contour; reading stops at the first that does not (the
// contour begun is still closed), so corrupt sizes neither hang nor read outside.
std::optional<TacStrokeCollection> ReadGlyphOutline(const uint8_t* data, size_t size);

// Fitting the outline's bounds into a box W x H. Empty (all 0) when the outline has no width or
// no height. Measuring (CalcOnly) leaves a margin (4 rows, 6 columns) for the pen.
struct TacContourFit {
    int Width = 0;
    int Height = 0;
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
};
TacContourFit FitGlyphContour(const TRect& bounds, int boxWidth, int boxHeight, int fontHeight, bool calcOnly);

// The screen points of the outline drawn fitted and centred in Box (Angle 0), one polygon per
// contour in order; every point lies in the fitted rectangle (edges included). Nothing when the
// fit is empty.
std::vector<std::vector<TacPointFl>> ContourPolygons(const TacStrokeCollection& strokes, const TRect& box,
                                                     int fontHeight);
// The fitted rectangle ContourPolygons draws into.
TRect ContourFittedRect(const TacStrokeCollection& strokes, const TRect& box, int fontHeight);

// A black-on-white rendition turned into colour: each pixel's darkness
// (255 - ((r + 2g + b) >> 2)) becomes its alpha. Colours are pixels (0x00RRGGBB). Without a second
// colour every pixel takes Color1; with one, the rows run from Color1 (top) to Color2 (bottom) and
// untouched pixels become 0.
void CoverageToColor(const TPixelView& v, uint32_t color1, std::optional<uint32_t> color2);

// Where a w x h badge goes: the bottom-right corner of Rect; nothing when it does not fit.
std::optional<TRect> BadgeRect(const TRect& rect, int w, int h);
// The badge composed into Dest: Shape is the badge drawn black on white (w x h), Halo the
// badge's blurred copy with a white margin of Radius all round, Place where Shape goes in Dest.
// Badge pixels take BadgeColor (a pixel) by their darkness; around them the halo knocks out what
// is under it. Touches only Dest's pixels.
void ComposeBadge(const TPixelView& dest, const TPixelView& shape, const TPixelView& halo, const TRect& place,
                  int radius, uint32_t badgeColor);
