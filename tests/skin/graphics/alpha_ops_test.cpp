// The pixel toolbox: byte orders, rectangles filled, tinted and given alpha, premultiplying,
// key-colour copies and the disabled look, on small in-memory images.
#include <gtest/gtest.h>

#include "skin/engine/core/shared_settings.h"
#include "skin/engine/core/geometry.h"
#include "skin/graphics/alpha_ops.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/skin/graphics/pixel_test_util.h"

TEST(AlphaOps, ByteOrders)
{
    EXPECT_EQ(ExchangeRB32(0x80332211u), 0x80112233u);
    EXPECT_EQ(ExchangeRB32(0xFF00FFu), 0xFF00FFu);
    EXPECT_EQ(ByteSwap32(0x11223344u), 0x44332211u);
    uint32_t words[2] = {0x01020304u, 0xA0B0C0D0u};
    ByteSwapArray32(words, 2);
    EXPECT_EQ(words[0], 0x04030201u);
    EXPECT_EQ(words[1], 0xD0C0B0A0u);
    uint32_t run[3] = {1, 2, 3};
    FillPixelRun32(run, 0, 9);
    EXPECT_EQ(run[0], 1u);
    FillPixelRun32(run, 2, 9);
    EXPECT_EQ(run[1], 9u);
    EXPECT_EQ(run[2], 3u);
}

TEST(AlphaOps, RectanglesAreClippedToTheImage)
{
    TPixelImage img(4, 4, 0x01020304u);
    FillRectAlpha32(img.View(), TRect(-5, -5, 10, 10), 0x0000FF, 0x80);   // red
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.At(x, y), 0x80FF0000u) << PixelAt(x, y);

    TPixelImage frame(6, 5, 0);
    FillBorderStrips32(frame.View(), frame.Bounds(), 1, 2, 1, 1, 0x00FF00);
    EXPECT_EQ(frame.At(3, 1), 0xFF00FF00u);    // top strip 2 rows
    EXPECT_EQ(frame.At(3, 2), 0u);             // inside
    EXPECT_EQ(frame.At(0, 3), 0xFF00FF00u);    // left
    EXPECT_EQ(frame.At(5, 3), 0xFF00FF00u);    // right
    EXPECT_EQ(frame.At(3, 4), 0xFF00FF00u);    // bottom

    TPixelImage ring(5, 5, 0);
    FillAroundRect32(ring.View(), ring.Bounds(), TRect(1, 1, 4, 4), 0xFF0000, 7);
    EXPECT_TRUE(UntouchedOutside(ring, TRect(0, 0, 5, 5), 0));
    EXPECT_EQ(ring.At(2, 2), 0u);
    EXPECT_EQ(ring.At(0, 0), 0x070000FFu);
    EXPECT_EQ(ring.At(4, 2), 0x070000FFu);
}

TEST(AlphaOps, BlendAndTintFormulas)
{
    struct Case { uint8_t weight; TColor color; uint32_t want; } blends[] = {
        {255, 0xFFFFFF, Bgra(199, 99, 49, 9)},   // weight 255 changes channels only by rounding
        {0, 0x0000FF, Bgra(0, 0, 254, 9)},       // weight 0 writes 255 x colour shr 8
        {128, 0x000000, Bgra(100, 50, 25, 9)},
    };
    for (auto c : blends) {
        TPixelImage img(1, 1, Bgra(200, 100, 50, 9));
        BlendColorRect32(img.View(), img.Bounds(), c.weight, c.color);
        EXPECT_EQ(img.At(0, 0), c.want) << int(c.weight);
    }
    struct Tint { int percent; uint8_t channel, color, want; } tints[] = {{100, 100, 51, 51}, {0, 100, 51, 100}, {50, 100, 51, 76}};
    for (auto t : tints) {
        TPixelImage img(1, 1, Bgra(t.channel, t.channel, t.channel, 3));
        TintRectAlpha32(img.View(), img.Bounds(), TColor(t.color * 0x010101), t.percent, 0xEE);
        EXPECT_EQ(img.At(0, 0), Bgra(t.want, t.want, t.want, 0xEE)) << t.percent;
    }
}

TEST(AlphaOps, SetRectAlphaSkipsTheKeyWord)
{
    TPixelImage img(3, 1, 0x00FF00FFu);
    img.At(1, 0) = 0xFFFF00FFu;
    img.At(2, 0) = 0x00123456u;
    SetRectAlpha32(img.View(), TRect(-2, -2, 9, 9), 0x40, 0x00FF00FFu);
    EXPECT_EQ(img.At(0, 0), 0x00FF00FFu);
    EXPECT_EQ(img.At(1, 0), 0x40FF00FFu);
    EXPECT_EQ(img.At(2, 0), 0x40123456u);
    SetRectAlpha32(img.View(), img.Bounds(), 0x11, uint32_t(clNone));
    EXPECT_EQ(img.At(0, 0), 0x11FF00FFu);
}

TEST(AlphaOps, PremultiplyKeepsNearWhiteBelowTheHoleColour)
{
    struct Case { uint32_t pixel; bool composed; uint32_t want; } cases[] = {
        {Bgra(250, 250, 250, 255), false, Bgra(244, 244, 244, 255)},
        {Bgra(200, 250, 250, 255), false, Bgra(199, 249, 249, 255)},
        {Bgra(250, 250, 250, 255), true, Bgra(249, 249, 249, 255)},
        {Bgra(90, 80, 70, 0), false, Bgra(0, 0, 0, 0)},
        {Bgra(200, 100, 50, 128), true, Bgra(100, 50, 25, 128)},
    };
    for (auto c : cases) {
        TPixelImage img(1, 1, c.pixel);
        PremultiplyAlpha32(img.View(), c.composed);
        EXPECT_EQ(img.At(0, 0), c.want) << std::hex << c.pixel << " composed " << c.composed;
    }
}

TEST(AlphaOps, MakeOpaqueOnlyWithoutAnyAlpha)
{
    TPixelImage img(2, 2, 0x00102030u);
    img.At(0, 1) = 0x00FF00FFu;   // bottom-left: the transparent colour
    img.At(1, 0) = 0x00FF00FFu;
    MakeOpaqueIfNoAlpha32(img.View());
    EXPECT_EQ(img.At(0, 0), 0xFF102030u);
    EXPECT_EQ(img.At(1, 0), 0x00FF00FFu);
    EXPECT_EQ(img.At(0, 1), 0x00FF00FFu);

    TPixelImage some(2, 1, 0x00102030u);
    some.At(1, 0) = 0x01102030u;
    MakeOpaqueIfNoAlpha32(some.View());
    EXPECT_EQ(some.At(0, 0), 0x00102030u);
}

TEST(AlphaOps, FillTransPixelsFollowsTheCornerMapWithinEveryImage)
{
    // A 6 x 4 image, one frame, borders 2; its top-left corner holds magenta in column 0 only,
    // its top-right corner magenta everywhere.
    TFakePaintSource skin;
    skin.Master.Resize(6, 4, 0xFF808080u);
    for (int y = 0; y < 2; ++y) {
        skin.Master.At(0, y) = 0xFFFF00FFu;   // alpha ignored: colour bytes compared
        skin.Master.At(4, y) = skin.Master.At(5, y) = 0x00FF00FFu;
    }
    TsMaskData m;
    m.Manager = skin.Manager();
    m.R = TRect(0, 0, 6, 4);
    m.Width = 6;
    m.Height = 4;
    m.WL = m.WT = m.WR = m.WB = 2;
    skin.Images.push_back(m);
    TFakePaintSource::TInstall install(&skin);

    struct Case { int corner; TRect r; std::vector<TPoint> taken; } cases[] = {
        {13, TRect(1, 1, 3, 3), {{1, 1}, {1, 2}}},
        {15, TRect(1, 1, 3, 3), {{1, 1}, {1, 2}}},   // any other value: top-left
        {14, TRect(1, 1, 3, 3), {{1, 1}, {2, 1}, {1, 2}, {2, 2}}},
        // wider than the corner, the map and the source: cut by every one of them
        {14, TRect(0, 0, 5, 5), {{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
    };
    for (const auto& c : cases) {
        TPixelImage dest(5, 5, 0x11111111u);
        TPixelImage source(4, 3, 0x22222222u);
        FillTransPixels32(dest.View(), source.View(), c.r, TPoint(0, 0), 0, &skin, c.corner);
        int changed = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) changed += dest.At(x, y) == 0x22222222u;
        EXPECT_EQ(changed, int(c.taken.size())) << c.corner;
        for (TPoint p : c.taken) EXPECT_EQ(dest.At(p.x, p.y), 0x22222222u) << c.corner << " " << PixelAt(p.x, p.y);
    }

    TPixelImage dest(2, 1, 0xFFFF00FFu);
    dest.At(1, 0) = 0xFF123456u;
    TPixelImage source(2, 1, 0xAABBCCDDu);
    FillTransPixels32(dest.View(), source.View(), dest.Bounds(), TPoint(0, 0), -1, nullptr, 13);
    EXPECT_EQ(dest.At(0, 0), 0xAABBCCDDu) << "key after alpha cleared";
    EXPECT_EQ(dest.At(1, 0), 0x00123456u) << "alpha cleared, colour kept";
    FillTransPixels32(dest.View(), source.View(), dest.Bounds(), TPoint(0, 0), 7, &skin, 13);   // no such image
    FillTransPixels32(dest.View(), source.View(), dest.Bounds(), TPoint(0, 0), 0, nullptr, 13);
    EXPECT_EQ(dest.At(1, 0), 0x00123456u);
}

TEST(AlphaOps, GlyphEffectsGrayBeforeTheyBlend)
{
    TPixelImage img(2, 1, Bgra(0, 0, 255, 255));   // red
    img.At(1, 0) = 0x00FF00FFu;                      // key: not grayed
    ApplyGlyphEffects32(img.View(), gekGrayed, EmptyCacheInfo, TPoint(), clNone);
    // -90 % becomes -229: L = 76, d = 26: red (255 x 26 + 229 x 76) shr 8 = 93, the others 17404 shr 8 = 67
    EXPECT_EQ(img.At(0, 0), Bgra(67, 67, 93, 255));
    EXPECT_EQ(img.At(1, 0), 0x00FF00FFu);

    TPixelImage both(1, 1, Bgra(0, 0, 255, 255));
    TCacheInfo bg;
    bg.FillColor = 0xFFFFFF;   // white behind, not ready
    ApplyGlyphEffects32(both.View(), gekGrayed | gekBlended, bg, TPoint(), clNone);
    // the grayed pixel blended by 100 with white: (100 x 67 + 155 x 255) shr 8 = 180; (100 x 93 + ...) = 190
    EXPECT_EQ(both.At(0, 0), Bgra(180, 180, 190, 255));

    TPixelImage parent(4, 4, Bgra(10, 20, 30, 255));
    parent.At(3, 2) = 0x00FF00FFu;
    TCacheInfo ready = BuildCacheInfo(parent.View(), 1, 1);
    TPixelImage glyph(2, 2, Bgra(210, 220, 230, 255));
    ApplyGlyphEffects32(glyph.View(), gekBlended, ready, TPoint(1, 0), clNone);
    // the parent's image from (2, 1) blended at transparency 100: (s x 155 + d x 100) shr 8
    EXPECT_EQ(glyph.At(0, 0), Bgra((10 * 155 + 210 * 100) >> 8, (20 * 155 + 220 * 100) >> 8, (30 * 155 + 230 * 100) >> 8, 254));
    EXPECT_EQ(glyph.At(1, 1), Bgra(210, 220, 230, 255)) << "key pixel of the parent skipped";
}
