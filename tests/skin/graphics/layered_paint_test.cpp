// Painting for layered windows and constant elements: the nine-slice forms whose masked pixels
// give alpha (a layered window's picture) or mix at an opacity (outer effects), and the item
// painters of scroll parts and layered pictures. Skins are made here, one flat colour per piece
// or state, so each expected pixel follows from the arithmetic the painters promise.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/gdip_layer.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/nine_slice.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

constexpr uint32_t Key = 0x00FF00FFu;
constexpr uint32_t Colour = 0xFF2864C8u;   // B 200, G 100, R 40: a masked image's colour part
constexpr uint32_t Behind = 0xFF445566u;   // opaque content already in the destination

uint32_t BgPixel(int x, int y) { return Bgra(uint8_t(10 + x), uint8_t(100 + y), 0x33, 0xFF); }

// A skin built in memory: images with pixels of their own, sections added by the tests.
struct TSkin {
    TFakePaintSource Skin;
    std::deque<TPixelImage> Pixels;
    TFakePaintSource::TInstall Install{&Skin};

    int AddImage(TPixelImage pixels, int frames, int maskType, uint16_t drawMode, int l = 0, int t = 0, int r = 0,
                 int b = 0, int cfg = 0)
    {
        Pixels.push_back(std::move(pixels));
        TPixelImage& p = Pixels.back();
        TsMaskData m;
        m.Bmp = &p;
        m.Manager = Skin.Manager();
        m.R = p.Bounds();
        m.ImageCount = int16_t(frames);
        m.MaskType = int16_t(maskType);
        m.DrawMode = drawMode;
        m.WL = int16_t(l);
        m.WT = int16_t(t);
        m.WR = int16_t(r);
        m.WB = int16_t(b);
        m.Width = p.Width() / frames;
        m.Height = p.Height() / (maskType + 1);
        m.Cfg = cfg;
        Skin.Images.push_back(m);
        return int(Skin.Images.size()) - 1;
    }
    int AddFlatImage(uint32_t pixel, int w, int h) { return AddImage(TPixelImage(w, h, pixel), 1, 0, 0); }
    TsGeneralData& AddSection(int& index)
    {
        Skin.Sections.emplace_back();
        index = int(Skin.Sections.size()) - 1;
        TsGeneralData& g = Skin.Sections.back();
        g.BorderIndex = -1;
        return g;
    }
};

// A 1 x 2 masked image: the colour pixel over its mask pixel (mask red m).
TPixelImage MaskedPixel(uint32_t colour, uint8_t m)
{
    TPixelImage p(1, 2);
    p.At(0, 0) = colour;
    p.At(0, 1) = Bgra(m, m, m, 255);
    return p;
}

// A frame of w x h whose pieces (row x 3 + column) are flat colours, a mask part below when masked.
TPixelImage PieceImage(int w, int h, int l, int t, int r, int b, bool masked, uint8_t alpha = 255)
{
    TPixelImage p(w, masked ? 2 * h : h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int col = x < l ? 0 : x >= w - r ? 2 : 1, row = y < t ? 0 : y >= h - b ? 2 : 1;
            p.At(x, y) = Bgra(uint8_t(30 + 25 * (row * 3 + col)), 0x80, 0x40, alpha);
            if (masked) p.At(x, y + h) = 0xFF000000u;   // black: the colour shows
        }
    return p;
}
uint32_t PieceAt(const TPixelImage& p, int piece, int w, int h, int l, int t)
{
    const int col = piece % 3, row = piece / 3;
    return p.At(col == 0 ? 0 : col == 1 ? l : w - 1, row == 0 ? 0 : row == 1 ? t : h - 1);
}

// ---- masked pieces ---------------------------------------------------------------------------

TEST(LayeredPieces, MaskedPixelsGiveAlphaInTheLayeredForm)
{
    TSkin s;
    TPixelImage bg(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) bg.At(x, y) = BgPixel(x, y);
    struct TCase {
        const char* What;
        uint32_t V;
        uint8_t M;
        uint32_t D;
        bool Background;
        uint32_t Want;
    } cases[] = {
        {"white mask over transparent black", Colour, 255, 0, false, 0},
        {"black mask over transparent black", Colour, 0, 0, false, Bgra(199, 99, 39, 255)},
        {"grey mask over transparent black", Colour, 128, 0, false, Bgra(99, 49, 19, 127)},
        {"grey mask over a partial alpha", Colour, 128, Bgra(10, 20, 30, 100), false, Bgra(104, 59, 34, 127)},
        {"partial alpha above the mask's", Colour, 200, Bgra(10, 20, 30, 100), false, Bgra(50, 37, 32, 100)},
        {"opaque destination keeps its alpha", Colour, 100, Bgra(10, 20, 30, 255), false, Bgra(125, 68, 35, 255)},
        {"key pixel without background", Key, 0, Bgra(10, 20, 30, 200), false, Bgra(10, 20, 30, 0)},
        {"key pixel over a saved background", Key, 0, Bgra(10, 20, 30, 200), true, BgPixel(3, 2)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int i = s.AddImage(MaskedPixel(c.V, c.M), 1, 1, 0);
        TPixelImage dest(4, 4, c.D);
        const TCacheInfo background = c.Background ? BuildCacheInfo(bg.View(), 1, 1) : EmptyCacheInfo;
        CopyMaskedPieceLayered32(TRect(2, 1, 3, 2), TRect(0, 0, 1, 1), dest.View(), s.Pixels.back().View(), background,
                                 s.Skin.Images[size_t(i)]);
        EXPECT_EQ(dest.At(2, 1), c.Want) << std::hex << dest.At(2, 1);
        EXPECT_TRUE(UntouchedOutside(dest, TRect(2, 1, 3, 2), c.D));
    }
}

TEST(LayeredPieces, MaskedPixelsMixAtTheOpacityInTheBlendedForm)
{
    TSkin s;
    TPixelImage bg(4, 4, 0xFF000000u);
    struct TCase {
        const char* What;
        uint8_t Blend, M;
        uint32_t D;
        bool BackgroundBitmap;
        uint32_t Want;
    } cases[] = {
        {"blend 0 keeps the destination", 0, 0, Bgra(10, 20, 200, 0), false, Bgra(9, 19, 199, 0)},
        {"blend 255, black mask, transparent", 255, 0, 0, false, Bgra(198, 99, 39, 254)},
        {"half blend, light mask, no background", 128, 55, Bgra(10, 20, 30, 0), false, Bgra(84, 51, 33, 100)},
        {"half blend, light mask, background bitmap", 128, 55, Bgra(10, 20, 30, 0), true, Bgra(84, 51, 33, 200)},
        {"partial alpha rises to the mask's", 128, 55, Bgra(10, 20, 30, 150), false, Bgra(84, 51, 33, 200)},
        {"white mask leaves it", 200, 255, Bgra(10, 20, 30, 77), false, Bgra(9, 19, 29, 77)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int i = s.AddImage(MaskedPixel(Colour, c.M), 1, 1, 0);
        TPixelImage dest(3, 3, c.D);
        const TCacheInfo background = c.BackgroundBitmap ? BuildCacheInfo(bg.View(), 0, 0) : EmptyCacheInfo;
        CopyMaskedPieceBlended32(TRect(1, 1, 2, 2), TRect(0, 0, 1, 1), dest.View(), s.Pixels.back().View(), background,
                                 s.Skin.Images[size_t(i)], c.Blend);
        EXPECT_EQ(dest.At(1, 1), c.Want) << std::hex << dest.At(1, 1);
    }
}

TEST(LayeredPieces, PiecesStayInsideBothImagesWhateverTheAreas)
{
    TSkin s;
    const int i = s.AddImage(PieceImage(6, 6, 2, 2, 2, 2, true), 1, 1, 0);
    const TsMaskData& m = s.Skin.Images[size_t(i)];
    const TRect areas[][2] = {{TRect(-3, -3, 5, 5), TRect(0, 0, 8, 8)},
                              {TRect(2, 2, 40, 40), TRect(0, 0, 40, 40)},
                              {TRect(0, 0, 6, 6), TRect(-4, -2, 6, 6)},
                              {TRect(3, 3, 9, 9), TRect(4, 4, 10, 10)}};
    for (const auto& a : areas) {
        TPixelImage dest(5, 5, Behind);
        CopyMaskedPieceLayered32(a[0], a[1], dest.View(), s.Pixels.back().View(), EmptyCacheInfo, m);
        CopyMaskedPieceBlended32(a[0], a[1], dest.View(), s.Pixels.back().View(), EmptyCacheInfo, m, 128);
        StretchMaskPieceLayered32(a[0].left, a[0].top, a[0].Width(), a[0].Height(), a[1].left, a[1].top, 4, 4,
                                  dest.View(), s.Pixels.back().View(), 6, false);
        StretchMaskPieceBlended32(a[0].left, a[0].top, a[0].Width(), a[0].Height(), a[1].left, a[1].top, 4, 4,
                                  dest.View(), s.Pixels.back().View(), 6, 128, true);
    }
}

// ---- nine slices -------------------------------------------------------------------------------

TEST(LayeredNineSlice, KeyedBorderCornersShowTheSavedBackgroundSidesKeepTheirKeys)
{
    TSkin s;
    TPixelImage img = PieceImage(9, 9, 3, 3, 3, 3, false);
    img.At(0, 0) = Key;   // a see-through corner pixel
    img.At(0, 4) = Key;   // a see-through pixel of the left side
    const int i = s.AddImage(std::move(img), 1, 0, dmFillCenter, 3, 3, 3, 3, 1);
    TPixelImage saved(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) saved.At(x, y) = BgPixel(x, y);

    TPixelImage dest(20, 20, Behind);
    DrawSkinMaskLayered32(dest.View(), dest.Bounds(), BuildCacheInfo(saved.View(), 0, 0), s.Skin.Images[size_t(i)], 0);
    EXPECT_EQ(dest.At(0, 0), BgPixel(0, 0));
    EXPECT_EQ(dest.At(0, 4), Key);
    EXPECT_EQ(dest.At(1, 1), s.Pixels.back().At(1, 1));
    EXPECT_EQ(dest.At(10, 10), s.Pixels.back().At(4, 4));
    // The plain form, with the fill on, keeps them too: only corners are see-through.
    TPixelImage plain(20, 20, Behind);
    DrawSkinMask32(plain.View(), plain.Bounds(), BuildCacheInfo(saved.View(), 0, 0), s.Skin.Images[size_t(i)], 0, true);
    EXPECT_EQ(plain.At(0, 4), Key);
    EXPECT_EQ(plain.At(0, 0), BgPixel(0, 0));
}

TEST(LayeredNineSlice, AlphaSidesAreCopiedWithTheirAlphaCornersComposed)
{
    TSkin s;
    const int i = s.AddImage(PieceImage(9, 9, 3, 3, 3, 3, false, 100), 1, 0, dmAlpha32 | dmFillCenter, 3, 3, 3, 3);
    TPixelImage dest(20, 20, Behind);
    DrawSkinMaskLayered32(dest.View(), dest.Bounds(), EmptyCacheInfo, s.Skin.Images[size_t(i)], 1);
    const TPixelImage& src = s.Pixels.back();
    EXPECT_EQ(dest.At(0, 10), PieceAt(src, 3, 9, 9, 3, 3)) << "left side copied as it is";
    EXPECT_EQ(dest.At(10, 10), PieceAt(src, 4, 9, 9, 3, 3)) << "centre copied as it is";
    EXPECT_EQ(dest.At(0, 0) >> 24, 255u) << "corner composed over the opaque destination";
    EXPECT_NE(dest.At(0, 0), PieceAt(src, 0, 9, 9, 3, 3));
}

TEST(BlendedNineSlice, MaskedShadowSidesNarrowToTheMarginsAndNoCentre)
{
    TSkin s;
    const int w = 30, h = 30, l = 10;
    const int i = s.AddImage(PieceImage(w, h, l, l, l, l, true), 1, 1, dmFillCenter, l, l, l, l);
    const TPixelImage& src = s.Pixels.back();
    TPixelImage dest(60, 60, 0);
    const TRect margins(4, 3, 5, 6);
    DrawSkinMaskBlended32(dest.View(), dest.Bounds(), EmptyCacheInfo, s.Skin.Images[size_t(i)], 0, margins, 255);
    // Black mask at opacity 255: e = 254 over transparent black.
    auto shown = [](uint32_t v) {
        return Bgra(uint8_t(((v & 0xFF) * 254) >> 8), uint8_t((((v >> 8) & 0xFF) * 254) >> 8),
                    uint8_t((((v >> 16) & 0xFF) * 254) >> 8), 254);
    };
    struct TCase {
        const char* What;
        int X, Y, Piece;   // piece -1: untouched
    } cases[] = {
        {"top-left corner, full width", 9, 9, 0},    {"left side inside the margin", 3, 30, 3},
        {"left side past the margin", 4, 30, -1},    {"top side inside", 30, 2, 1},
        {"top side past", 30, 3, -1},                {"right side inside", 55, 30, 5},
        {"right side past", 54, 30, -1},             {"bottom side inside", 30, 54, 7},
        {"bottom side past", 30, 53, -1},            {"centre", 30, 30, -1},
        {"bottom-right corner, full size", 50, 50, 8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const uint32_t want = c.Piece < 0 ? 0u : shown(PieceAt(src, c.Piece, w, h, l, l));
        EXPECT_EQ(dest.At(c.X, c.Y), want) << std::hex << dest.At(c.X, c.Y);
    }
}

TEST(BlendedNineSlice, KeyedOuterEffectIsOpaqueWhateverTheBlend)
{
    TSkin s;
    TPixelImage img = PieceImage(9, 9, 3, 3, 3, 3, false);
    img.At(0, 0) = Key;
    const int i = s.AddImage(std::move(img), 1, 0, dmFillCenter, 3, 3, 3, 3, 1);
    TPixelImage saved(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) saved.At(x, y) = BgPixel(x, y);
    TPixelImage expected(20, 20, Behind);
    DrawSkinMask32(expected.View(), expected.Bounds(), BuildCacheInfo(saved.View(), 0, 0), s.Skin.Images[size_t(i)], 0,
                   true);
    for (int blend : {0, 100, 255}) {
        SCOPED_TRACE(blend);
        TPixelImage dest(20, 20, Behind);
        DrawSkinMaskBlended32(dest.View(), dest.Bounds(), BuildCacheInfo(saved.View(), 0, 0), s.Skin.Images[size_t(i)], 0,
                              TRect(1, 1, 1, 1), uint8_t(blend));
        EXPECT_EQ(dest.At(10, 10), s.Pixels.back().At(4, 4));
        EXPECT_EQ(dest.At(0, 0), BgPixel(0, 0));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(dest.At(x, y), expected.At(x, y)) << PixelAt(x, y);
    }
}

TEST(BlendedNineSlice, AlphaImageComposedAtTheBlend)
{
    TSkin s;
    const int i = s.AddImage(PieceImage(9, 9, 3, 3, 3, 3, false, 255), 1, 0, dmAlpha32 | dmFillCenter, 3, 3, 3, 3);
    const uint32_t v = PieceAt(s.Pixels.back(), 4, 9, 9, 3, 3);
    for (int blend : {0, 128, 255}) {
        SCOPED_TRACE(blend);
        TPixelImage dest(20, 20, Behind);
        DrawSkinMaskBlended32(dest.View(), dest.Bounds(), EmptyCacheInfo, s.Skin.Images[size_t(i)], 1, TRect(1, 1, 1, 1),
                              uint8_t(blend));
        const uint32_t got = dest.At(10, 10);
        if (blend == 0) EXPECT_EQ(got, Behind);
        if (blend == 255)   // full opacity: the image's colour within the composition's rounding
            for (int sh = 0; sh < 24; sh += 8) EXPECT_NEAR(int((got >> sh) & 0xFF), int((v >> sh) & 0xFF), 1);
        if (blend == 128) {
            EXPECT_NE(got, Behind);
            EXPECT_NE(got & 0xFFFFFFu, v & 0xFFFFFFu);
        }
    }
}

// ---- item painting -----------------------------------------------------------------------------

constexpr TColor StateColour = 0x2050A0;   // R 0xA0, G 0x50, B 0x20
constexpr uint32_t StatePixel = 0xFFA05020u;

TEST(FastItem, BackgroundOnlyWithoutBorderAndNeverCornerImages)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    for (TsGenState& p : g.Props) p.Color = StateColour;
    g.ImgTL = s.AddFlatImage(0xFF0000FFu, 4, 4);
    g.ImgBR = g.ImgTL;
    const int border = s.AddImage(PieceImage(9, 9, 3, 3, 3, 3, false), 1, 0, 0, 3, 3, 3, 3);
    TPixelImage dest(20, 12, Behind);
    PaintItemFast(index, -1, -1, -1, EmptyCacheInfo, 1, TRect(2, 2, 18, 10), TPoint(), dest.View(), &s.Skin);
    for (int y = 2; y < 10; ++y)
        for (int x = 2; x < 18; ++x) ASSERT_EQ(dest.At(x, y), StatePixel) << PixelAt(x, y);
    EXPECT_TRUE(UntouchedOutside(dest, TRect(2, 2, 18, 10), Behind));

    PaintItemFast(index, border, -1, -1, EmptyCacheInfo, 1, TRect(2, 2, 18, 10), TPoint(), dest.View(), &s.Skin);
    EXPECT_NE(dest.At(2, 2), StatePixel) << "the border image given by index";
    EXPECT_EQ(dest.At(9, 6), StatePixel);

    TPixelImage outside(20, 12, Behind);
    PaintItemFast(index, border, -1, -1, EmptyCacheInfo, 1, TRect(2, 2, 21, 10), TPoint(), outside.View(), &s.Skin);
    EXPECT_TRUE(UntouchedOutside(outside, TRect(), Behind)) << "a rectangle past the bitmap paints nothing";
}

TEST(FastItem, TexturesComeFromTheCallerByState)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    const uint32_t own = 0xFF112233u, normal = 0xFF445566u, active = 0xFF778899u;
    const int ownTex = s.AddFlatImage(own, 3, 3), texN = s.AddFlatImage(normal, 3, 3), texA = s.AddFlatImage(active, 3, 3);
    for (TsGenState& p : g.Props) {
        p.Color = StateColour;
        p.ImagePercent = 100;
        p.TextureIndex = ownTex;
    }
    struct TCase {
        int State, TexN, TexA;
        uint32_t Want;
    } cases[] = {{0, texN, texA, normal}, {2, texN, texA, active}, {1, texN, texA, active}, {5, texN, texA, active},
                 {0, -1, texA, StatePixel}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.State);
        TPixelImage dest(10, 10, Behind);
        PaintItemBGFast(index, c.TexN, c.TexA, EmptyCacheInfo, c.State, TRect(1, 1, 9, 9), TPoint(), dest.View(), &s.Skin);
        EXPECT_EQ(dest.At(1, 1), c.Want);
        EXPECT_EQ(dest.At(8, 8), c.Want);
    }
}

TEST(FastItem, SeeThroughStateShowsTheParent)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[0].Color = StateColour;
    TPixelImage parent(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) parent.At(x, y) = BgPixel(x, y);
    TCacheInfo notReady;
    notReady.FillColor = 0x0A0B0C;
    struct TCase {
        const char* What;
        int T;
        bool Ready;
        uint32_t Want;   // at (2, 3), the item's origin at (5, 6) of the parent
    } cases[] = {
        {"not ready, fully see-through: its fill colour", 100, false, 0xFF0C0B0Au},
        {"not ready, half: the own colour", 50, false, StatePixel},
        {"ready, opaque: the own colour", 0, true, StatePixel},
        {"ready, fully see-through: the parent", 100, true, BgPixel(5, 6)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        g.Props[0].Transparency = c.T;
        TPixelImage dest(10, 10, Behind);
        const TCacheInfo bg = c.Ready ? BuildCacheInfo(parent.View(), 0, 0) : notReady;
        PaintItemBGFast(index, -1, -1, bg, 0, TRect(2, 3, 8, 9), TPoint(5, 6), dest.View(), &s.Skin);
        EXPECT_EQ(dest.At(2, 3), c.Want) << std::hex << dest.At(2, 3);
    }
}

TEST(FastItem, RectanglesReachingPastTheBitmapAreCut)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[0].Color = StateColour;
    g.Props[0].Transparency = 100;
    TPixelImage parent(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) parent.At(x, y) = BgPixel(x, y);
    for (const TRect& r : {TRect(-5, -4, 6, 5), TRect(7, 6, 30, 25), TRect(-20, -20, 40, 40), TRect(12, 12, 20, 20)}) {
        TPixelImage dest(10, 8, Behind);
        PaintItemBGFast(index, -1, -1, BuildCacheInfo(parent.View(), 10, 10), 0, r, TPoint(0, 0), dest.View(), &s.Skin);
        const TRect c = TRect::Intersect(r, dest.Bounds());
        EXPECT_TRUE(UntouchedOutside(dest, c, Behind));
        if (!c.IsEmpty())   // the parent at the same place as if nothing had been cut
            EXPECT_EQ(dest.At(c.left, c.top), BgPixel(10 + c.left - r.left, 10 + c.top - r.top));
    }
}

// Records the bands handed to the graphics library.
class TRecordingLayer : public TacGdipLayer {
public:
    struct TBand {
        uint32_t C1, C2;
    };
    std::vector<TBand> Bands;
    void FillLinearGradient(const TPixelView&, const TRect&, uint32_t c1, uint32_t c2, float, float, float, float,
                            bool) override
    {
        Bands.push_back({c1, c2});
    }
    void FillPathGradient(const TPixelView&, const TPoint (&)[4], const uint32_t (&)[4], float, float, float, float,
                          uint32_t) override
    {
    }
    bool FillCornerTriangles(const TPixelView&, const TPoint (&)[5], const uint32_t (&)[5]) override { return false; }
};

TsGradArray TwoStops(uint32_t c1, uint32_t c2, int mode)
{
    TsGradArray g(2);
    g[0].Color.C = c1;
    g[0].Mode = mode;
    g[0].Percent = 0;
    g[1].Color.C = c2;
    g[1].Percent = 100;
    return g;
}

TEST(LayeredItem, PlainStatesWriteTheirTransparencyIntoAlpha)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[1].Color = StateColour;
    const uint32_t opaque = Bgra(200, 100, 50, 255);
    struct TCase {
        const char* What;
        int T;
        uint32_t Under;
        TRect R;
        uint32_t Want;   // at (3, 3)
    } cases[] = {
        {"t 40 over transparent black", 40, 0, TRect(2, 2, 8, 8), (StatePixel & 0xFFFFFFu) | 153u << 24},
        {"t 40 over opaque content: tinted by 60 percent", 40, opaque, TRect(2, 2, 8, 8), Bgra(100, 88, 116, 255)},
        {"t 0 over content", 0, opaque, TRect(2, 2, 8, 8), StatePixel},
        {"t 100 over a part", 100, opaque, TRect(2, 2, 8, 8), opaque},
        {"t 100 over the whole", 100, opaque, TRect(0, 0, 10, 10), 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        g.Props[1].Transparency = c.T;
        TPixelImage dest(10, 10, c.Under);
        PaintItemBG32(index, 1, c.R, dest.View(), &s.Skin);
        EXPECT_EQ(dest.At(3, 3), c.Want) << std::hex << dest.At(3, 3);
        EXPECT_TRUE(UntouchedOutside(dest, c.R, c.Under));
    }
}

TEST(LayeredItem, WholePicturesArePremultipliedPartsAreNot)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[0].Color = StateColour;
    g.Props[0].Transparency = 40;
    const uint32_t straight = (StatePixel & 0xFFFFFFu) | 153u << 24;
    TPixelImage part(10, 10, 0);
    PaintItem32(index, 0, TRect(2, 2, 8, 8), part.View(), &s.Skin);
    EXPECT_EQ(part.At(4, 4), straight);
    TPixelImage whole(10, 10, 0);
    PaintItem32(index, 0, whole.Bounds(), whole.View(), &s.Skin);
    EXPECT_EQ(whole.At(4, 4), Bgra(0x20 * 153 >> 8, 0x50 * 153 >> 8, 0xA0 * 153 >> 8, 153));
}

TEST(LayeredItem, BorderCornersTakeTheBackgroundAsItWas)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    for (TsGenState& p : g.Props) p.Color = StateColour;
    TPixelImage img = PieceImage(9, 9, 3, 3, 3, 3, false);
    img.At(0, 0) = Key;
    g.BorderIndex = s.AddImage(std::move(img), 1, 0, 0, 3, 3, 3, 3, 1);
    TPixelImage dest(20, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) dest.At(x, y) = BgPixel(x, y);
    PaintItem32(index, 0, TRect(4, 5, 16, 15), dest.View(), &s.Skin);
    EXPECT_EQ(dest.At(4, 5), BgPixel(4, 5)) << "the see-through corner shows what lay there";
    EXPECT_EQ(dest.At(10, 10), StatePixel);
}

TEST(LayeredItem, GradientBandsAtTheStateOpacityLeaveTheSkinAsItIs)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[0].Color = StateColour;
    g.Props[0].Transparency = 40;
    g.Props[0].GradientPercent = 100;
    g.Props[0].GradientArray = TwoStops(0x00102030u, 0x00405060u, 0);
    const TsGradArray original = g.Props[0].GradientArray;
    const TRect r(1, 1, 9, 9);

    // The skin's own painter before and after: the same pixels (its bands drawn by itself).
    TPixelImage before(10, 10, Behind);
    PaintItemBG(index, EmptyCacheInfo, 0, r, TPoint(), before.View(), &s.Skin);

    TRecordingLayer layer;
    TPixelImage first(10, 10, 0), second(10, 10, 0);
    PaintItemBG32(index, 0, r, first.View(), &s.Skin, acSkinColor, &layer);
    PaintItemBG32(index, 0, r, second.View(), &s.Skin, acSkinColor, &layer);
    ASSERT_EQ(layer.Bands.size(), 2u);
    for (const auto& b : layer.Bands) {
        EXPECT_EQ(b.C1, 0x99102030u) << std::hex << b.C1;   // opacity 153 in byte 3
        EXPECT_EQ(b.C2, 0x99405060u) << std::hex << b.C2;
    }
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(first.At(x, y), second.At(x, y)) << PixelAt(x, y);

    const TsGradArray& now = s.Skin.Sections[size_t(index)].Props[0].GradientArray;
    ASSERT_EQ(now.size(), original.size());
    for (size_t k = 0; k < now.size(); ++k) {
        EXPECT_EQ(now[k].Mode, original[k].Mode);
        EXPECT_EQ(now[k].Color.C, original[k].Color.C);
    }
    TPixelImage after(10, 10, Behind);
    PaintItemBG(index, EmptyCacheInfo, 0, r, TPoint(), after.View(), &s.Skin);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y)) << PixelAt(x, y);

    // A gradient the skin already marks for the library keeps its own opacities.
    g.Props[0].GradientArray = TwoStops(0x40102030u, 0x80405060u, 0x10);
    layer.Bands.clear();
    TPixelImage marked(10, 10, 0);
    PaintItemBG32(index, 0, r, marked.View(), &s.Skin, acSkinColor, &layer);
    ASSERT_EQ(layer.Bands.size(), 1u);
    EXPECT_EQ(layer.Bands[0].C1, 0x40102030u);
    EXPECT_EQ(layer.Bands[0].C2, 0x80405060u);
}

TEST(LayeredItem, RectanglesReachingPastTheBitmapAreCut)
{
    TSkin s;
    int index = -1;
    TsGeneralData& g = s.AddSection(index);
    g.Props[0].Color = StateColour;
    g.Props[0].Transparency = 40;
    for (const TRect& r : {TRect(-5, -4, 6, 5), TRect(7, 6, 30, 25), TRect(-20, -20, 40, 40), TRect(12, 12, 20, 20)}) {
        TPixelImage dest(10, 8, 0);
        PaintItemBG32(index, 0, r, dest.View(), &s.Skin);
        const TRect c = TRect::Intersect(r, dest.Bounds());
        EXPECT_TRUE(UntouchedOutside(dest, c, 0));
        // The first pixel of what is left decides: transparent black there gives the colour at 153.
        if (!c.IsEmpty()) EXPECT_EQ(dest.At(c.left, c.top), (StatePixel & 0xFFFFFFu) | 153u << 24);
    }
}

}  // namespace
