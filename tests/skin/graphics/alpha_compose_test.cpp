// Alpha compositions, the general image copy, glyph strips, reflections and the frame nine-slice
// on small images made here.
#include <gtest/gtest.h>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/alpha_compose.h"
#include "skin/graphics/glyph_layout.h"
#include "tests/skin/graphics/pixel_test_util.h"

TEST(AlphaCompose, RectAtBlendsColourAndNeverLowersAlpha)
{
    TPixelImage src(2, 1, Bgra(255, 255, 255, 128));
    TPixelImage dest(3, 1, Bgra(0, 0, 0, 200));
    ComposeRectAt32(dest.View(), src.View(), src.Bounds(), TPoint(1, 0), 255);
    // colour (255 x 128) shr 8; alpha max(200, ((128 - 200) x 128 + 200 x 256) shr 8 = 164)
    EXPECT_EQ(dest.At(1, 0), Bgra(127, 127, 127, 200));
    EXPECT_EQ(dest.At(0, 0), Bgra(0, 0, 0, 200));
    TPixelImage clear(1, 1, 0);
    ComposeRectAt32(clear.View(), src.View(), src.Bounds(), TPoint(0, 0), 128);   // weight 128 x 128 shr 8 = 64
    EXPECT_EQ(clear.At(0, 0), Bgra(63, 63, 63, 16));
}

TEST(AlphaCompose, CopyRectAlphaCases)
{
    TPixelImage parent(4, 4, Bgra(9, 8, 7, 255));
    const TCacheInfo ready = BuildCacheInfo(parent.View(), 0, 0);
    struct Case {
        const char* what;
        uint32_t src;
        const TCacheInfo* bg;
        TColor tone;
        int percent;
        uint32_t want;
    } cases[] = {
        {"alpha 16 is see-through: the background's colour", Bgra(200, 200, 200, 16), &ready, clNone, 0, Bgra(9, 8, 7, 50)},
        {"alpha 17 is composed", Bgra(200, 200, 200, 17), &ready, clNone, 0, Bgra(100 + ((100 * 17) >> 8), 100 + ((100 * 17) >> 8), 100 + ((100 * 17) >> 8), 50)},
        {"percent 50: weight 127, alpha kept", Bgra(255, 255, 255, 255), &EmptyCacheInfo, clNone, 50, Bgra(176, 176, 176, 50)},
        // red tone: white becomes 253 x 255 shr 8 = 252 red, composed at 255; alpha accumulates
        {"toned white: 253 x T' shr 8", Bgra(255, 255, 255, 255), &EmptyCacheInfo, 0x0000FF, 0, Bgra(0, 0, 251, 254)},
        {"not ready: larger of the alphas", Bgra(100, 100, 100, 30), &EmptyCacheInfo, clNone, 0, Bgra(100, 100, 100, 50)},
    };
    for (const auto& c : cases) {
        TPixelImage src(1, 1, c.src);
        TPixelImage dest(1, 1, Bgra(100, 100, 100, 50));
        CopyRectAlpha32(dest.Bounds(), src.Bounds(), dest.View(), src.View(), *c.bg, true, c.tone, c.percent, false);
        EXPECT_EQ(dest.At(0, 0), c.want) << c.what;
    }
}

TEST(AlphaCompose, CopyOverBackgroundCases)
{
    TPixelImage parent(4, 4, Bgra(9, 8, 7, 20));
    const TCacheInfo ready = BuildCacheInfo(parent.View(), 1, 0);
    const TCacheInfo outside = BuildCacheInfo(parent.View(), 5, 0);
    const uint32_t behind = Bgra(100, 100, 100, 50);
    struct Case {
        const char* what;
        uint32_t src;
        const TCacheInfo* bg;
        bool useBackground;
        uint32_t want;
    } cases[] = {
        // (200 - 100) x 128 + 100 x 256 shr 8 = 150; alpha 50 + (205 x 128) shr 8 = 152
        {"composed by its alpha, alpha accumulated", Bgra(200, 0, 0, 128), &EmptyCacheInfo, false, Bgra(150, 50, 50, 152)},
        {"alpha 0 changes nothing", Bgra(200, 0, 0, 0), &EmptyCacheInfo, false, behind},
        {"a key pixel without a ready background is see-through", 0x00FF00FFu, &EmptyCacheInfo, true, behind},
        {"a key pixel takes the background, opaque", 0x00FF00FFu, &ready, true, Bgra(9, 8, 7, 255)},
        {"... only when asked", 0x00FF00FFu, &ready, false, behind},
        {"... and only from inside the background", 0x00FF00FFu, &outside, true, behind},
        {"other pixels over a ready background as without", Bgra(200, 0, 0, 128), &ready, true, Bgra(150, 50, 50, 152)},
    };
    for (const auto& c : cases) {
        TPixelImage src(1, 1, c.src);
        TPixelImage dest(3, 1, behind);
        CopyRectOverBg32(TRect(1, 0, 2, 1), src.Bounds(), dest.View(), src.View(), *c.bg, c.useBackground);
        EXPECT_EQ(dest.At(1, 0), c.want) << c.what;
        EXPECT_EQ(dest.At(0, 0), behind) << c.what;
        EXPECT_EQ(dest.At(2, 0), behind) << c.what;
    }
    // A destination starting left of Dest moves the source start with it.
    TPixelImage src(3, 1);
    for (int x = 0; x < 3; ++x) src.At(x, 0) = Bgra(uint8_t(10 * x + 10), 0, 0, 255);
    TPixelImage dest(3, 1, 0);
    CopyRectOverBg32(TRect(-1, 0, 2, 1), src.Bounds(), dest.View(), src.View(), EmptyCacheInfo, false);
    EXPECT_EQ(dest.At(0, 0) & 0xFF, 19u) << "source column 1, composed at 255: 20 x 255 shr 8";
    EXPECT_EQ(dest.At(2, 0), 0u);
}

TEST(AlphaCompose, ReflectionsFitBelowTheImage)
{
    // A 20-high image with room for 5 rows below: N = 5, so rows 21..24 change and row 25 does not.
    TPixelImage src(2, 20, Bgra(200, 0, 0, 255));
    TPixelImage dest(2, 26, 0);
    CopyRectAlpha32(TRect(0, 0, 2, 20), src.Bounds(), dest.View(), src.View(), EmptyCacheInfo, false, clNone, 0, true);
    EXPECT_NE(dest.At(0, 21), 0u);
    EXPECT_NE(dest.At(0, 24), 0u);
    EXPECT_EQ(dest.At(0, 25), 0u) << "r = N has weight 0";

    // A reflection starting on the last row has no room: nothing (and no division by zero).
    TPixelImage last(2, 4, Bgra(1, 2, 3, 4));
    DrawReflection32(last.View(), src.View(), TPoint(0, 3), src.Bounds(), clFuchsia, 0);
    EXPECT_TRUE(UntouchedOutside(last, TRect(), Bgra(1, 2, 3, 4)));
    DrawReflection32(last.View(), src.View(), TPoint(0, 1), src.Bounds(), clFuchsia, 0);
    EXPECT_NE(last.At(0, 1), Bgra(1, 2, 3, 4)) << "row P.Y gets the mirrored bottom row";
}

TEST(AlphaCompose, StretchComposeScalesOnlyTheAskedArea)
{
    // Left half red, right half blue; the area (0, 0, 4, 8) is red only.
    TPixelImage src(8, 8, Bgra(255, 0, 0, 255));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) src.At(x, y) = Bgra(0, 0, 255, 255);
    TPixelImage dest(8, 8, 0);
    StretchComposeAt32(dest.View(), 0, 0, 8, 8, src.View(), 0, 0, 4, 8, 255);
    for (int x = 0; x < 8; ++x) {
        EXPECT_LE(dest.At(x, 4) & 0xFF, 1u) << "no blue at column " << x;
        EXPECT_GE((dest.At(x, 4) >> 16) & 0xFF, 253u) << x;
    }
    // Away from (0, 0): nearest neighbour of the area.
    TPixelImage nearest(4, 2, 0);
    StretchComposeAt32(nearest.View(), 0, 0, 4, 2, src.View(), 2, 0, 4, 8, 255);
    EXPECT_EQ(nearest.At(1, 0), Bgra(0, 0, 254, 254));
    EXPECT_EQ(nearest.At(2, 0), Bgra(254, 0, 0, 254));

    // A source area starting left of the source moves the destination right: it is still cut at
    // the right edge of the rectangle asked for.
    TPixelImage cut(12, 2, 0);
    StretchComposeAt32(cut.View(), 2, 0, 4, 2, src.View(), -3, 0, 4, 2, 255);
    EXPECT_TRUE(UntouchedOutside(cut, TRect(2, 0, 6, 2), 0));
    EXPECT_NE(cut.At(5, 0), 0u);
}

TEST(AlphaCompose, GlyphStripCells)
{
    struct Case { int cells; bool useStates; int kind, state; bool stdOrder; int cell; } cases[] = {
        {4, true, 2, 1, false, 3}, {4, true, 2, 2, false, 1}, {4, true, 2, 2, true, 0}, {4, false, 2, 1, false, 0},
        {1, true, 3, 0, false, 0}, {3, true, 3, 0, false, 2}, {2, true, 3, 0, false, 0}, {4, true, 1, 0, false, 1},
    };
    for (auto c : cases)
        EXPECT_EQ(StateGlyphCell(c.cells, c.useStates, c.kind, c.state, c.stdOrder), c.cell)
            << c.cells << " cells, kind " << c.kind << ", state " << c.state;

    // Cells 2 wide; each cell's bottom-left pixel is its key.
    TPixelImage strip(6, 2, 0);
    for (int cell = 0; cell < 3; ++cell) {
        strip.At(2 * cell, 0) = Bgra(uint8_t(10 * cell + 10), 0, 0, 255);
        strip.At(2 * cell + 1, 0) = Bgra(0, 0, 99, 0);   // the key of every cell (alpha 0)
        strip.At(2 * cell, 1) = strip.At(2 * cell + 1, 1) = Bgra(0, 0, 99, 0);
    }
    TPixelImage dest(4, 4, 0x01010101u);
    DrawStateGlyph32(dest.View(), strip.View(), TRect(1, 1, 3, 3), 3, true, 3, 0, 0, false, false);
    EXPECT_EQ(dest.At(1, 1), Bgra(30, 0, 0, 255));
    EXPECT_EQ(dest.At(2, 1), 0x01010101u) << "the key colour is not drawn";
}

TEST(AlphaCompose, FrameNineSlice)
{
    // Source 6 x 6, borders 2: corners A, edges B, centre C by value.
    TPixelImage src(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool ex = x < 2 || x >= 4, ey = y < 2 || y >= 4;
            src.At(x, y) = ex && ey ? 0xA0u : ex || ey ? 0xB0u + uint32_t(x + y) % 2 : 0xC0u + uint32_t(x + y) % 2;
        }
    const TRect borders(2, 2, 2, 2), corners(2, 2, 2, 2);
    TPixelImage tiled(12, 10, 0), stretched(12, 10, 0);
    BlitNineSlice(tiled.View(), src.View(), TRect(1, 1, 11, 9), src.Bounds(), borders, corners, TRect(), false, true);
    BlitNineSlice(stretched.View(), src.View(), TRect(1, 1, 11, 9), src.Bounds(), borders, corners, TRect(), true, true);
    EXPECT_TRUE(UntouchedOutside(tiled, TRect(1, 1, 11, 9), 0));
    EXPECT_EQ(tiled.At(1, 1), 0xA0u);
    EXPECT_EQ(tiled.At(10, 8), 0xA0u);
    // tiles repeat the 2 x 2 centre: (3 + 2k, 3 + 2k) always shows its first pixel
    EXPECT_EQ(tiled.At(3, 3), 0xC0u);
    EXPECT_EQ(tiled.At(5, 5), 0xC0u);
    EXPECT_EQ(tiled.At(4, 3), 0xC1u);
    EXPECT_EQ(stretched.At(3, 3), 0xC0u);
    EXPECT_EQ(stretched.At(4, 3), 0xC0u) << "stretched: the first source column covers the first columns";
    // A destination narrower than its borders keeps every piece inside it.
    TPixelImage narrow(10, 10, 0);
    BlitNineSlice(narrow.View(), src.View(), TRect(6, 6, 9, 9), src.Bounds(), TRect(5, 5, 5, 5), corners, TRect(), false, true);
    EXPECT_TRUE(UntouchedOutside(narrow, TRect(6, 6, 9, 9), 0));
}

TEST(GlyphLayout, AnglesAndPlacement)
{
    EXPECT_EQ(CosOf(0), 1.0);
    EXPECT_EQ(CosOf(360), 1.0);
    EXPECT_EQ(SinOf(90), 1.0);
    EXPECT_EQ(SinOf(-90), -1.0);
    EXPECT_EQ(SinOf(-360), 0.0);

    // Three equal parts of the free width: margin, spacing and the rest.
    TPoint g;
    TRect t;
    LayoutGlyphAndCaption(TRect(0, 0, 100, 20), TSize(16, 16), TSize(40, 10), 0, 0, -1, -1, g, t, 0, 2);
    EXPECT_EQ(g.x, 14);
    EXPECT_EQ(t.left, 14 + 16 + 14);
    EXPECT_EQ(g.y, 2);
    // Right to left mirrors the glyph: X = 2, width 16, in 100 moves to 82.
    LayoutGlyphAndCaption(TRect(0, 0, 100, 20), TSize(16, 16), TSize(0, 0), 0, 0, 2, 0, g, t, lgFlagRightToLeft, 2);
    EXPECT_EQ(g.x, 82);

    TPoint pts[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    TPrlgram p(pts, 4);
    p.Rotate(90);
    TPoint q;
    p.GetPoint(0, q);
    EXPECT_EQ(q, TPoint(0, 10));
    p.GetPoint(7, q);
    EXPECT_EQ(q, TPoint(0, 10)) << "unknown index: untouched";
}
