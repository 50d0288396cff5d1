// Gradients painted into small images: bands by rows and by columns, stops in any order, the
// textured mix and its repeat, the layer for line-brush bands, and the rounded shadow.
#include <gtest/gtest.h>

#include <cmath>

#include "skin/graphics/gdip_layer.h"
#include "skin/graphics/gradients.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

TsGradArray Stops(std::initializer_list<std::pair<uint32_t, int>> stops, int direction)
{
    TsGradArray g;
    for (auto [colour, percent] : stops) {
        TsGradPoint p;
        p.Index = uint16_t(g.size());
        p.Color.C = colour;
        p.Percent = uint8_t(percent);
        g.push_back(p);
    }
    if (!g.empty()) g[0].Mode = direction;
    return g;
}

// Records what the painters hand to the layer.
struct TRecordingLayer : TacGdipLayer {
    std::vector<TRect> Clips;
    int Paths = 0, Corners = 0;
    void FillLinearGradient(const TPixelView&, const TRect& clip, uint32_t, uint32_t, float, float, float, float,
                            bool) override
    {
        Clips.push_back(clip);
    }
    void FillPathGradient(const TPixelView&, const TPoint (&)[4], const uint32_t (&)[4], float, float, float, float,
                          uint32_t) override
    {
        ++Paths;
    }
    bool FillCornerTriangles(const TPixelView&, const TPoint (&)[5], const uint32_t (&)[5]) override
    {
        ++Corners;
        return true;
    }
};

}  // namespace

TEST(GradientPaint, RowsFromBlackToWhite)
{
    TPixelImage img(4, 100, 0);
    PaintGradient32(img.View(), img.Bounds(), Stops({{0x000000, 0}, {0xFFFFFF, 100}}, 0));
    EXPECT_EQ(img.At(0, 0), 0xFF000000u);
    const uint8_t last = uint8_t(std::nearbyint(99 * 255 / 100.0));
    EXPECT_EQ(img.At(3, 99), Bgra(last, last, last, 255));
    EXPECT_EQ(img.At(2, 50), img.At(0, 50)) << "each row one colour";
    // One stop paints nothing; neither does direction 3.
    TPixelImage none(4, 4, 7);
    PaintGradient32(none.View(), none.Bounds(), Stops({{0xFF, 0}}, 0));
    PaintGradient32(none.View(), none.Bounds(), Stops({{0xFF, 0}, {0xFF00, 100}}, 3));
    EXPECT_TRUE(UntouchedOutside(none, TRect(), 7));
}

TEST(GradientPaint, ColumnsStayInsideTheRectangle)
{
    // (0, 0, 50, 10) of a 100-wide image: columns 0..49, the last one the end colour.
    TPixelImage img(100, 12, 0);
    PaintGradient32(img.View(), TRect(0, 0, 50, 10), Stops({{0x0000FF, 0}, {0xFF0000, 100}}, 1));
    EXPECT_TRUE(UntouchedOutside(img, TRect(0, 0, 50, 10), 0));
    EXPECT_EQ(img.At(0, 9), Bgra(0, 0, 255, 255));
    EXPECT_EQ(img.At(49, 9), Bgra(255, 0, 0, 255));
}

TEST(GradientPaint, StopsInAnyOrderKeepBandsInside)
{
    struct Case { int direction; std::initializer_list<std::pair<uint32_t, int>> stops; } cases[] = {
        {0, {{0x0000FF, 100}, {0x00FF00, 0}, {0xFF0000, 100}}},
        {1, {{0x0000FF, 100}, {0x00FF00, 0}, {0xFF0000, 100}}},
        {0, {{0x0000FF, 0}, {0x00FF00, 60}, {0xFF0000, 30}, {0xFFFFFF, 100}}},
    };
    for (const auto& c : cases) {
        TPixelImage img(30, 30, 0x11111111u);
        const TRect r(5, 5, 25, 25);
        PaintGradient32(img.View(), r, Stops(c.stops, c.direction));
        EXPECT_TRUE(UntouchedOutside(img, r, 0x11111111u)) << "direction " << c.direction;
        EXPECT_EQ(img.At(5, 24) >> 24, 255u);
        EXPECT_EQ(img.At(24, 5) >> 24, 255u);
    }
    // The textured painter too: a band that rises to 100 % before the last stop ends on the
    // rectangle's last row, not below it.
    const TPixelImage texture(3, 3, 0xFF000000u);
    for (auto stops : {std::initializer_list<std::pair<uint32_t, int>>{{0x0000FF, 0}, {0x00FF00, 100}, {0xFF0000, 50}},
                       std::initializer_list<std::pair<uint32_t, int>>{{0x0000FF, 100}, {0x00FF00, 0}, {0xFF0000, 100}}})
        for (int direction : {0, 1}) {
            TPixelImage img(8, 8, 0x11111111u);
            PaintTexturedGradient32(img.View(), TRect(2, 2, 6, 6), Stops(stops, direction), texture.View(), TRect(), 128, 255);
            EXPECT_TRUE(UntouchedOutside(img, TRect(2, 2, 6, 6), 0x11111111u)) << "textured, direction " << direction;
        }
}

TEST(GradientPaint, LineBrushBandsAndCornersGoToTheLayer)
{
    TRecordingLayer layer;
    TPixelImage img(10, 20, 0);
    TsGradArray g = Stops({{0x0000FF, 0}, {0xFF0000, 50}, {0x00FF00, 100}}, 0);
    g[1].Mode = 0x10;
    PaintGradient32(img.View(), TRect(0, 4, 10, 14), g, &layer);
    // Both bands touch the line-brush stop; each is clipped to its own rows.
    ASSERT_EQ(layer.Clips.size(), 2u);
    EXPECT_EQ(layer.Clips[0], TRect(0, 4, 10, 9));
    EXPECT_EQ(layer.Clips[1], TRect(0, 9, 10, 14));
    EXPECT_TRUE(UntouchedOutside(img, TRect(), 0)) << "nothing painted pixel by pixel";

    TsGradArray corners = Stops({{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 100}}, 2);
    PaintGradient32(img.View(), img.Bounds(), corners, &layer);
    corners[0].Mode |= 0x20;
    PaintGradient32(img.View(), img.Bounds(), corners, &layer);
    EXPECT_EQ(layer.Corners, 1);
    EXPECT_EQ(layer.Paths, 1);
    PaintGradient32(img.View(), img.Bounds(), Stops({{1, 0}, {2, 100}}, 2), &layer);
    EXPECT_EQ(layer.Corners + layer.Paths, 2) << "four corners need five stops";
}

TEST(GradientPaint, TexturedMixAndItsRepeat)
{
    TPixelImage texture(2, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) texture.At(x, y) = Bgra(uint8_t(40 * y + x), 0, 0, 255);
    struct Case { uint8_t mix; int row; uint8_t blue; } cases[] = {
        {0, 0, 0},                                      // pure gradient (black)
        {255, 1, uint8_t((255 * 40 + 0) >> 8)},         // texture nearly unchanged
    };
    for (auto c : cases) {
        TPixelImage img(6, 6, 0);
        PaintTexturedGradient32(img.View(), img.Bounds(), Stops({{0, 0}, {0, 100}}, 0), texture.View(), TRect(), c.mix, 77);
        EXPECT_EQ(img.At(0, c.row) & 0xFF, c.blue) << int(c.mix);
        EXPECT_EQ(img.At(0, c.row) >> 24, 77u);
    }
    // Columns: the texture (its last row and column cut: 1 x 3) repeats every 3 - 1 = 2 rows.
    TPixelImage img(6, 9, 0);
    PaintTexturedGradient32(img.View(), img.Bounds(), Stops({{0, 0}, {0, 100}}, 1), texture.View(), TRect(), 255, 255);
    EXPECT_EQ(img.At(0, 2), img.At(0, 0));
    EXPECT_EQ(img.At(0, 4), img.At(0, 0));
    EXPECT_EQ(img.At(0, 3), img.At(0, 1));
    EXPECT_NE(img.At(0, 1), img.At(0, 0));
    // A texture area of one row or column leaves nothing to tile: nothing painted.
    TPixelImage thin(3, 1, 0xFFFFFFFFu), out(4, 4, 0);
    PaintTexturedGradient32(out.View(), out.Bounds(), Stops({{0, 0}, {0, 100}}, 1), thin.View(), TRect(), 128, 255);
    EXPECT_TRUE(UntouchedOutside(out, TRect(), 0));
}

TEST(GradientPaint, TwoColourFadeAndShadow)
{
    TPixelImage fade(8, 8, 0);
    TRecordingLayer layer;
    PaintTwoColorGradient32(fade.View(), TColor(0xFF000000u), 0, &layer);
    EXPECT_EQ(fade.At(3, 3), 0x01000000u) << "black of alpha 1 under the band";
    ASSERT_EQ(layer.Clips.size(), 1u);

    const TPixelImage s = CreateShadowImage32(TColor(0x44000000u), 17, 2, 8, 0, 0, false);
    ASSERT_EQ(s.Width(), 35);
    ASSERT_EQ(s.Height(), 45);
    for (int x = 0; x < 35; ++x) {
        EXPECT_EQ(s.At(x, 0), 0u);
        EXPECT_EQ(s.At(x, 1), 0u);
    }
    EXPECT_EQ(s.At(17, 19), 67u << 24) << "(0x44 x 255) shr 8, colour 0";
    EXPECT_EQ(s.At(0, 2), 0u) << "outside the corner circle";
    EXPECT_EQ(s.At(17, 25), s.At(17, 19)) << "the middle rows repeat";
    const TPixelImage opaque = CreateShadowImage32(TColor(0x40000000u), 4, 0, 0, 3, 2, true);
    EXPECT_EQ(opaque.Width(), 12);
    EXPECT_EQ(opaque.At(0, 0), 0xFFFFFFFFu) << "opaque: white outside the circle";
    EXPECT_EQ(opaque.At(4, 4) >> 24, 255u);
    EXPECT_TRUE(CreateShadowImage32(0, -3, -1, -1, -1, 0, false).Width() == 1) << "negative sizes count as 0";
}
