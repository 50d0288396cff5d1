// Character glyphs without a device: the outline reader on hand-made buffers (including corrupt
// sizes), the segment list's queries, fitting into a box, coverage to colour and the badge.
#include "skin/graphics/glyph_outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "vcl/sysutils.h"

namespace {

// Builds an outline buffer the way the font answers it: contours of a header and curve records.
class OutlineBytes {
public:
    OutlineBytes& Contour(double x, double y, uint32_t type = acOutlinePolygon)
    {
        FStart = FBytes.size();
        Put32(0);   // cb, patched by End
        Put32(type);
        PutPoint(x, y);
        return *this;
    }
    OutlineBytes& Curve(uint16_t type, std::initializer_list<std::pair<double, double>> points)
    {
        Put16(type);
        Put16(static_cast<uint16_t>(points.size()));
        for (const auto& [x, y] : points) PutPoint(x, y);
        return *this;
    }
    OutlineBytes& End()
    {
        const auto cb = static_cast<uint32_t>(FBytes.size() - FStart);
        std::memcpy(&FBytes[FStart], &cb, 4);
        return *this;
    }
    // Overwrites the 32-bit or 16-bit value at a byte offset (to corrupt sizes).
    OutlineBytes& Patch32(size_t at, uint32_t v)
    {
        std::memcpy(&FBytes[at], &v, 4);
        return *this;
    }
    OutlineBytes& Patch16(size_t at, uint16_t v)
    {
        std::memcpy(&FBytes[at], &v, 2);
        return *this;
    }
    OutlineBytes& Truncate(size_t size)
    {
        FBytes.resize(size);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }

private:
    void Put16(uint16_t v) { FBytes.insert(FBytes.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    void Put32(uint32_t v)
    {
        Put16(uint16_t(v));
        Put16(uint16_t(v >> 16));
    }
    void PutFixed(double v)
    {
        const double whole = std::floor(v);
        Put16(static_cast<uint16_t>((v - whole) * 65536));
        Put16(static_cast<uint16_t>(static_cast<int16_t>(whole)));
    }
    void PutPoint(double x, double y)
    {
        PutFixed(x);
        PutFixed(y);
    }
    std::vector<uint8_t> FBytes;
    size_t FStart = 0;
};

struct Seg {
    int g, x1, y1, x2, y2;
    bool operator==(const Seg&) const = default;
};

std::string Describe(const std::vector<Seg>& segs)
{
    std::string s;
    for (const Seg& g : segs)
        s += "[" + std::to_string(g.g) + ": " + std::to_string(g.x1) + "," + std::to_string(g.y1) + " -> " +
             std::to_string(g.x2) + "," + std::to_string(g.y2) + "] ";
    return s;
}

std::vector<Seg> Segments(const TacStrokeCollection& c)
{
    std::vector<Seg> out;
    c.EnumStrokes([&](int, const TFontStroke& s) {
        out.push_back({s.GlyphNumber, s.Pt1.x, s.Pt1.y, s.Pt2.x, s.Pt2.y});
        return true;
    });
    return out;
}

OutlineBytes Triangle()
{
    return OutlineBytes().Contour(0, 0).Curve(acPrimLine, {{10, 0}, {10, 10}}).End();
}

struct ReaderCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool readable;
    std::vector<Seg> segments;
};

}  // namespace

TEST(GlyphOutlineReader, HandMadeBuffers)
{
    // The curve A(0,0) B(70,70) C(140,0): x = 140t, y = 140t(1 - t) at t = k/7.
    const std::vector<Seg> arch = {{0, 0, 0, 20, 17},    {0, 20, 17, 40, 29},  {0, 40, 29, 60, 34},
                                   {0, 60, 34, 80, 34},  {0, 80, 34, 100, 29}, {0, 100, 29, 120, 17},
                                   {0, 120, 17, 140, 0}, {0, 140, 0, 0, 0}};
    const std::vector<Seg> triangle = {{0, 0, 0, 10, 0}, {0, 10, 0, 10, 10}, {0, 10, 10, 0, 0}};
    const size_t firstRecord = 16, firstCount = firstRecord + 2;
    const ReaderCase cases[] = {
        {"lines close back to the start", Triangle().Bytes(), true, triangle},
        {"a repeated point adds nothing",
         OutlineBytes().Contour(0, 0).Curve(acPrimLine, {{10, 0}, {10, 0}, {10, 10}, {0, 0}}).End().Bytes(), true,
         triangle},
        {"fractions are read and rounded to even",
         OutlineBytes().Contour(0.5, 1.5).Curve(acPrimLine, {{10.25, 0}, {10.75, 10}}).End().Bytes(), true,
         {{0, 0, 2, 10, 0}, {0, 10, 0, 11, 10}, {0, 11, 10, 0, 2}}},
        {"two contours are numbered 0 and 1",
         OutlineBytes()
             .Contour(0, 0).Curve(acPrimLine, {{10, 0}, {10, 10}}).End()
             .Contour(50, 50).Curve(acPrimLine, {{60, 50}}).End()
             .Bytes(),
         true, {{0, 0, 0, 10, 0}, {0, 10, 0, 10, 10}, {0, 10, 10, 0, 0}, {1, 50, 50, 60, 50}, {1, 60, 50, 50, 50}}},
        {"a quadratic curve in seven steps",
         OutlineBytes().Contour(0, 0).Curve(acPrimQSpline, {{70, 70}, {140, 0}}).End().Bytes(), true, arch},
        {"a spline of three points passes through the middle of its controls",
         OutlineBytes().Contour(0, 0).Curve(acPrimQSpline, {{0, 70}, {70, 70}, {70, 0}}).End().Bytes(), true,
         {{0, 0, 0, 1, 19},    {0, 1, 19, 3, 34},    {0, 3, 34, 6, 47},    {0, 6, 47, 11, 57},
          {0, 11, 57, 18, 64}, {0, 18, 64, 26, 69}, {0, 26, 69, 35, 70}, {0, 35, 70, 44, 69},
          {0, 44, 69, 52, 64}, {0, 52, 64, 59, 57}, {0, 59, 57, 64, 47}, {0, 64, 47, 67, 34},
          {0, 67, 34, 69, 19}, {0, 69, 19, 70, 0},  {0, 70, 0, 0, 0}}},
        {"an unknown record is stepped over",
         OutlineBytes().Contour(0, 0).Curve(3, {{99, 99}, {98, 98}}).Curve(acPrimLine, {{10, 0}, {10, 10}}).End().Bytes(),
         true, triangle},
        {"too short for a header", std::vector<uint8_t>(15, 0), false, {}},
        {"the first contour is not a polygon",
         OutlineBytes().Contour(0, 0, 25).Curve(acPrimLine, {{10, 0}}).End().Bytes(), false, {}},
        // Corrupt sizes: reading stops, never hangs and never reads past the buffer.
        {"a contour size of 0", Triangle().Patch32(0, 0).Bytes(), true, {}},
        {"a contour size below its header", Triangle().Patch32(0, 15).Bytes(), true, {}},
        {"a contour size past the buffer", Triangle().Patch32(0, 1000).Bytes(), true, {}},
        {"a point count past the contour keeps the contour read so far",
         OutlineBytes()
             .Contour(0, 0).Curve(acPrimLine, {{10, 0}}).Curve(acPrimLine, {{10, 10}}).End()
             .Contour(50, 50).Curve(acPrimLine, {{60, 50}}).End()
             .Patch16(firstRecord + 12 + 2, 200)
             .Bytes(),
         true, {{0, 0, 0, 10, 0}, {0, 10, 0, 0, 0}}},
        {"a point count of 65535 in the first record",
         Triangle().Patch16(firstCount, 0xFFFF).Bytes(), true, {}},
        {"a record head cut by the contour's end",
         OutlineBytes()
             .Contour(0, 0).Curve(acPrimLine, {{10, 0}}).Curve(acPrimLine, {{10, 10}}).End()
             .Patch32(0, 16 + 12 + 2)
             .Bytes(),
         true,
         {{0, 0, 0, 10, 0}, {0, 10, 0, 0, 0}}},
        {"a buffer cut inside the second contour keeps the first",
         OutlineBytes()
             .Contour(0, 0).Curve(acPrimLine, {{10, 0}, {10, 10}}).End()
             .Contour(50, 50).Curve(acPrimLine, {{60, 50}}).End()
             .Truncate(36 + 20)
             .Bytes(),
         true, triangle},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact-size copy, so a read past the end is seen by the sanitizers.
        std::vector<uint8_t> exact(c.bytes);
        const auto strokes = ReadGlyphOutline(exact.data(), exact.size());
        ASSERT_EQ(strokes.has_value(), c.readable);
        if (!strokes) continue;
        const std::vector<Seg> got = Segments(*strokes);
        EXPECT_EQ(got, c.segments) << Describe(got);
    }
}

TEST(GlyphOutlineReader, FlatteningAnswersTheCurvesEnd)
{
    TacStrokeCollection out;
    const TacPointFl end = FlattenQuadratic(out, 4, {0, 0}, {70, 70}, {140, 0});
    EXPECT_FLOAT_EQ(end.x, 140);
    EXPECT_FLOAT_EQ(end.y, 0);
    EXPECT_EQ(out.Count(), 7);
    EXPECT_EQ(out.GetFontStroke(6).GlyphNumber, 4);
    // A curve that does not move adds nothing.
    TacStrokeCollection still;
    FlattenQuadratic(still, 0, {5, 5}, {5, 5}, {5, 5});
    EXPECT_EQ(still.Count(), 0);
}

TEST(StrokeCollection, ContourQueries)
{
    TacStrokeCollection c;
    EXPECT_EQ(c.GetNumGlyphs(), 0);
    EXPECT_EQ(c.StartOfGlyph(0), -1);
    EXPECT_EQ(c.GetBounds(), TRect(0, 0, 0, 0));
    // Contour 0: two segments, contour 1 none, contour 2: three.
    c.Add({0, {5, 7}, {9, -3}});
    c.Add({0, {9, -3}, {5, 7}});
    c.Add({2, {-4, 1}, {0, 0}});
    c.Add({2, {0, 0}, {1, 12}});
    c.Add({2, {1, 12}, {-4, 1}});
    struct {
        int glyph, start, strokes;
    } const rows[] = {{-1, -1, -1}, {0, 0, 2}, {1, 5, 0}, {2, 2, 3}, {3, -1, -1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.glyph);
        EXPECT_EQ(c.StartOfGlyph(r.glyph), r.start);
        EXPECT_EQ(c.GlyphNumStrokes(r.glyph), r.strokes);
    }
    EXPECT_EQ(c.GetNumGlyphs(), 3);
    EXPECT_EQ(c.GetBounds(), TRect(-4, -3, 9, 12));
    EXPECT_THROW(c.GetFontStroke(5), EListError);
    EXPECT_THROW(c.GetFontStroke(-1), EListError);
    int seen = 0;
    c.EnumStrokes([&](int idx, const TFontStroke&) {
        ++seen;
        return idx < 2;
    });
    EXPECT_EQ(seen, 3);
    c.EnumStrokes(nullptr);
}

TEST(GlyphContourFit, Table)
{
    struct Row {
        const char* name;
        TRect bounds;
        int w, h, font;
        bool calc;
        int fitW, fitH;
    } const rows[] = {
        {"tall glyph, measured: 4 rows for the pen", {0, 0, 100, 200}, 40, 40, 100, true, 18, 36},
        {"tall glyph, drawn", {0, 0, 100, 200}, 40, 40, 100, false, 20, 40},
        {"tall glyph held to the font's height", {0, 0, 100, 200}, 40, 40, 30, true, 15, 30},
        {"wide glyph, measured: 6 columns for the pen", {0, 0, 300, 100}, 40, 40, 100, true, 34, 11},
        {"wide glyph, drawn", {0, 0, 300, 100}, 40, 40, 100, false, 40, 13},
        {"bounds away from the origin", {-50, 20, 50, 220}, 40, 40, 100, false, 20, 40},
        // Flat outlines would divide by zero: nothing is fitted.
        {"no width", {10, 0, 10, 200}, 40, 40, 100, true, 0, 0},
        {"no height", {0, 5, 300, 5}, 40, 40, 100, false, 0, 0},
        {"a box smaller than the pen margin", {0, 0, 100, 100}, 3, 3, 100, true, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const TacContourFit fit = FitGlyphContour(r.bounds, r.w, r.h, r.font, r.calc);
        EXPECT_EQ(fit.Width, r.fitW);
        EXPECT_EQ(fit.Height, r.fitH);
    }
}

TEST(GlyphContourFit, PolygonsFillTheFittedRectangleUpsideDown)
{
    TacStrokeCollection square;
    square.Add({0, {0, 0}, {100, 0}});
    square.Add({0, {100, 0}, {100, 100}});
    square.Add({0, {100, 100}, {0, 100}});
    square.Add({0, {0, 100}, {0, 0}});
    square.Add({1, {40, 40}, {60, 60}});
    square.Add({1, {60, 60}, {40, 40}});
    const auto polys = ContourPolygons(square, TRect(10, 20, 60, 70), 0);
    ASSERT_EQ(polys.size(), 2u);
    const std::vector<std::pair<float, float>> expected = {{10, 70}, {60, 70}, {60, 20}, {10, 20}};
    ASSERT_EQ(polys[0].size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(polys[0][i].x, expected[i].first) << i;
        EXPECT_EQ(polys[0][i].y, expected[i].second) << i;
    }
    EXPECT_EQ(polys[1].size(), 2u);
}

TEST(GlyphContourFit, AWideGlyphInATallBoxStaysInItsCentredRectangle)
{
    // Turning y with the box's height instead of the fitted one put this glyph 40 rows too low,
    // past the box's bottom.
    TacStrokeCollection wide;
    wide.Add({0, {0, 0}, {200, 0}});
    wide.Add({0, {200, 0}, {200, 100}});
    wide.Add({0, {200, 100}, {0, 0}});
    const TRect box(0, 0, 40, 100);
    EXPECT_EQ(ContourFittedRect(wide, box, 0), TRect(0, 40, 40, 60));
    for (const auto& poly : ContourPolygons(wide, box, 0))
        for (const TacPointFl& p : poly) {
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x, 40);
            EXPECT_GE(p.y, 40);
            EXPECT_LE(p.y, 60);
        }
}

TEST(CoverageToColor, OneColour)
{
    // Pixels drawn black on white, in B, G, R, A order: darkness = 255 - (r + 2g + b) / 4.
    TPixelImage img(4, 1);
    img.At(0, 0) = 0x00FFFFFF;   // paper
    img.At(1, 0) = 0x00000000;   // ink
    img.At(2, 0) = 0x00808080;   // half
    img.At(3, 0) = 0x0000FFFF;   // ClearType fringe: no red
    CoverageToColor(img.View(), 0x123456, std::nullopt);
    EXPECT_EQ(img.At(0, 0), 0x00123456u);
    EXPECT_EQ(img.At(1, 0), 0xFF123456u);
    EXPECT_EQ(img.At(2, 0), 0x7F123456u);
    EXPECT_EQ(img.At(3, 0), 0x40123456u);
}

TEST(CoverageToColor, GradientRowsRunFromTheFirstToTheSecondColour)
{
    const uint32_t c1 = 0x102030, c2 = 0xF0A005;
    struct {
        int rows;
    } const sizes[] = {{2}, {3}, {24}, {30}, {97}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.rows);
        TPixelImage img(2, s.rows, 0x00000000);
        for (int y = 0; y < s.rows; ++y) img.At(1, y) = 0x00FFFFFF;
        CoverageToColor(img.View(), c1, c2);
        EXPECT_EQ(img.At(0, 0), 0xFF000000u | c1);
        EXPECT_EQ(img.At(0, s.rows - 1), 0xFF000000u | c2);
        for (int y = 0; y < s.rows; ++y) {
            // Untouched paper becomes fully transparent black; every row lies between the colours.
            EXPECT_EQ(img.At(1, y), 0u);
            const uint32_t g = (img.At(0, y) >> 8) & 0xFF;
            EXPECT_GE(g, 0x20u);
            EXPECT_LE(g, 0xA0u);
        }
    }
    TPixelImage middle(1, 3, 0);
    CoverageToColor(middle.View(), 0x000000, 0xFF6401);
    EXPECT_EQ(middle.At(0, 1), 0xFF803200u);   // 127.5 -> 128, 50, 0.5 -> 0
    TPixelImage one(1, 1, 0);
    CoverageToColor(one.View(), c1, c2);
    EXPECT_EQ(one.At(0, 0), 0xFF000000u | c1);
}

TEST(GlyphBadge, PlaceInTheBottomRightCorner)
{
    struct Row {
        TRect rect;
        int w, h;
        std::optional<TRect> place;
    } const rows[] = {
        {{0, 0, 32, 30}, 12, 15, TRect(20, 15, 32, 30)},
        {{0, 0, 32, 30}, 32, 30, TRect(0, 0, 32, 30)},
        {{0, 0, 32, 30}, 33, 15, std::nullopt},
        {{0, 0, 32, 30}, 12, 31, std::nullopt},
        {{0, 0, 32, 30}, 0, 15, std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(BadgeRect(r.rect, r.w, r.h), r.place);
}

TEST(GlyphBadge, HaloKnocksOutTheGlyphAndTheBadgeTakesItsColour)
{
    // A 6 x 6 glyph of opaque green inside a sentinel border; a 2 x 2 badge at its corner with a
    // halo of radius 2 reaching past the glyph on two sides.
    const uint32_t sentinel = 0x5A5A5A5A, glyph = 0xFF00FF00, badge = 0x0000FF;
    TPixelImage canvas(8, 8, sentinel);
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 7; ++x) canvas.At(x, y) = glyph;
    const TPixelView dest = canvas.View().Sub(TRect(1, 1, 7, 7));
    TPixelImage shape(2, 2, 0x00FFFFFF);
    shape.At(0, 0) = 0x00000000;   // full ink
    shape.At(1, 0) = 0x00808080;   // half ink
    TPixelImage halo(6, 6, 0x00FFFFFF);
    halo.At(1, 1) = 0x00D4D4D4;   // 212: knocked out fully
    halo.At(2, 1) = 0x00D5D5D5;   // 213: alpha at most 3
    halo.At(3, 1) = 0x00DADADA;   // 218: at most 33
    ComposeBadge(dest, shape.View(), halo.View(), TRect(4, 4, 6, 6), 2, badge);
    // Badge pixels: its colour by coverage over the glyph, alpha = coverage.
    EXPECT_EQ(canvas.At(5, 5), 0xFF0000FEu);
    EXPECT_EQ(canvas.At(6, 5), 0x7F00807Eu);
    // Blank badge pixels and white halo keep the glyph.
    EXPECT_EQ(canvas.At(5, 6), glyph);
    EXPECT_EQ(canvas.At(3, 3), glyph);
    EXPECT_EQ(canvas.At(4, 4), 0x0000FF00u);
    EXPECT_EQ(canvas.At(5, 4), 0x0300FF00u);
    EXPECT_EQ(canvas.At(6, 4), 0x2100FF00u);
    // Nothing outside the view, though the halo reaches there.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(canvas.At(i, 0), sentinel);
        EXPECT_EQ(canvas.At(i, 7), sentinel);
        EXPECT_EQ(canvas.At(0, i), sentinel);
        EXPECT_EQ(canvas.At(7, i), sentinel);
    }
}
