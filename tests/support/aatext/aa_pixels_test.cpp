#include <gtest/gtest.h>

#include <vector>

#include "support/aatext/aa_pixels.h"

namespace {

// An exactly sized buffer (stride = width), so the sanitizers catch any access outside it.
struct Plane {
    int w, h;
    std::vector<uint8_t> px;
    Plane(int width, int height, uint8_t fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}
    TAAGrayPlane P() { return {px.data(), w, w, h}; }
    uint8_t& at(int x, int y) { return px[size_t(y) * w + x]; }
};

// A bottom-up plane as DIBs have it: the top row last in memory, negative stride.
struct BottomUp {
    int w, h, stride;
    std::vector<uint8_t> px;
    BottomUp(int width, int height, int bpp, uint8_t fill = 0)
        : w(width), h(height), stride((width * bpp + 3) & ~3), px(size_t(stride) * height, fill) {}
    uint8_t* Top() { return px.data() + size_t(stride) * (h - 1); }
    TAAGrayPlane Bytes() { return {Top(), -stride, w, h}; }
    TBgrPlane Bgr() { return {Top(), -stride, w, h}; }
    uint8_t* Row(int y) { return Top() - ptrdiff_t(stride) * y; }
};

struct Bgr {
    int w, h;
    std::vector<uint8_t> px;
    Bgr(int width, int height, TRgb c = {}) : w(width), h(height), px(size_t(width) * height * 3)
    {
        for (size_t i = 0; i < px.size(); i += 3) { px[i] = c.b; px[i + 1] = c.g; px[i + 2] = c.r; }
    }
    TBgrPlane P() { return {px.data(), w * 3, w, h}; }
    TRgb at(int x, int y) const
    {
        const uint8_t* p = &px[(size_t(y) * w + x) * 3];
        return {p[2], p[1], p[0]};
    }
};

}  // namespace

std::ostream& operator<<(std::ostream& os, TRgb c) { return os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")"; }

TEST(AAPixels, QualityScale)
{
    const int expected[][2] = {{aqHigh, 4}, {aqNormal, 3}, {aqLow, 2}, {aqNone, 1}, {17, 1}, {-1, 1}};
    for (auto& row : expected) EXPECT_EQ(QualityScale(row[0]), row[1]) << row[0];
}

TEST(AAPixels, ReductionKernelsWeighTheirBlocks)
{
    struct Case {
        int quality;
        int inkX, inkY;     // one grey sample of 255 inside the first block
        int expected;       // coverage of mask pixel (0, 0)
    } cases[] = {
        {aqHigh, 0, 0, 255 >> 4},
        {aqHigh, 3, 3, 255 >> 4},
        {aqNormal, 1, 1, 255 >> 3},
        {aqNormal, 2, 0, (255 / 2) >> 3},   // top-right counts half
        {aqNormal, 0, 2, (255 / 2) >> 3},   // bottom-left counts half
        {aqNormal, 0, 0, 255 >> 3},
        {aqLow, 1, 1, 255 >> 2},
        {aqNone, 0, 0, 255},
    };
    for (const Case& c : cases) {
        int s = QualityScale(c.quality);
        BottomUp gray(2 * s, 2 * s, 1);
        gray.Row(c.inkY)[c.inkX] = 255;
        Plane mask(2, 2, 0xEE);
        ReduceGray(gray.Bytes(), mask.P(), c.quality);
        EXPECT_EQ(mask.at(0, 0), c.expected) << "quality " << c.quality << " ink " << c.inkX << "," << c.inkY;
        EXPECT_EQ(mask.at(1, 0), 0);
        EXPECT_EQ(mask.at(0, 1), 0);
    }
    // Full ink: the 3 x 3 kernel halves two samples before adding (2039 >> 3 = 254).
    for (auto [q, full] : {std::pair{aqHigh, 255}, {aqNormal, 254}, {aqLow, 255}, {aqNone, 255}}) {
        int s = QualityScale(q);
        BottomUp gray(3 * s, 2 * s, 1, 255);
        Plane mask(3, 2);
        ReduceGray(gray.Bytes(), mask.P(), q);
        for (uint8_t v : mask.px) EXPECT_EQ(v, full) << q;
    }
}

TEST(AAPixels, ReductionLeavesTheRowPaddingAlone)
{
    // Width 5 has a stride of 8: bytes 5..7 of each row are never written.
    BottomUp gray(10, 4, 1, 255);
    BottomUp mask(5, 2, 1, 0x5A);
    ReduceGray(gray.Bytes(), mask.Bytes(), aqLow);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(mask.Row(y)[x], x < 5 ? 255 : 0x5A) << x << "," << y;
}

TEST(AAPixels, BlurStaysInsideEverySize)
{
    // A flat mask stays flat and small masks (under four pixels) stay inside their buffer.
    for (int w = 1; w <= 6; ++w)
        for (int h = 1; h <= 6; ++h) {
            Plane m(w, h, 200);
            BlurMask(m.P(), 100);
            for (uint8_t v : m.px) ASSERT_EQ(v, 200) << w << "x" << h;
        }
}

TEST(AAPixels, BlurMixesTheRoundedMean)
{
    struct Case {
        int strength;
        int centre;   // value at the spot after the blur
        int neighbour;
    } cases[] = {
        {100, 10, 10},                          // 255 / 25 = 10.2 -> 10
        {50, 255 + ((10 - 255) * 128 >> 8), 10 * 128 >> 8},
        {0, 255, 0},
    };
    for (const Case& c : cases) {
        Plane m(7, 7);
        m.at(3, 3) = 255;
        BlurMask(m.P(), c.strength);
        EXPECT_EQ(m.at(3, 3), c.centre) << c.strength;
        EXPECT_EQ(m.at(1, 1), c.neighbour) << c.strength;
        EXPECT_EQ(m.at(0, 0), 0) << c.strength;
    }
    // At the edge the taps repeat the border: a corner spot counts 9 times in its own mean.
    Plane m(5, 5);
    m.at(0, 0) = 250;
    BlurMask(m.P(), 100);
    EXPECT_EQ(m.at(0, 0), 90);   // 9 * 250 / 25
}

TEST(AAPixels, OutlineKeepsEdgesOnly)
{
    Plane m(7, 7);
    for (int y = 1; y <= 5; ++y)
        for (int x = 1; x <= 5; ++x) m.at(x, y) = 255;
    OutlineMask(m.P());
    EXPECT_EQ(m.at(3, 3), 0);        // inside
    EXPECT_EQ(m.at(2, 2), 0);
    EXPECT_GT(m.at(1, 3), 100);      // left edge
    EXPECT_GT(m.at(3, 5), 100);      // bottom edge
    EXPECT_EQ(m.at(0, 0), 0);        // the border rows and columns keep their values
    EXPECT_EQ(m.at(6, 3), 0);

    for (auto [w, h] : {std::pair{5, 2}, {5, 1}, {2, 5}, {1, 1}}) {
        Plane small(w, h, 0);
        small.at(0, 0) = 255;
        std::vector<uint8_t> before = small.px;
        OutlineMask(small.P());
        EXPECT_EQ(small.px, before) << w << "x" << h;
    }
}

TEST(AAPixels, SprayPicksFromInsideTheMask)
{
    // Draws that push as far as possible still land inside; draws of 0 change nothing.
    for (auto pick : {+[](int n) { return n > 0 ? n - 1 : 0; }, +[](int) { return 0; }}) {
        Plane m(3, 2);
        for (int i = 0; i < 6; ++i) m.px[size_t(i)] = uint8_t(i * 40);
        std::vector<uint8_t> before = m.px;
        SprayMask(m.P(), 5, pick);
        if (pick(10) == 0) {
            EXPECT_EQ(m.px, before);
        }
    }
    // Draw order per pixel: distance 1, x offset 0, y offset 2, so each pixel takes the
    // value right of it in the row above (clamped); pixels already sprayed are taken again.
    std::vector<int> draws = {1, 0, 2};
    size_t i = 0;
    Plane m(3, 3);
    m.px = {0, 1, 2, 10, 11, 12, 20, 21, 22};
    SprayMask(m.P(), 1, [&](int) { return draws[i++ % 3]; });
    EXPECT_EQ(m.px, (std::vector<uint8_t>{1, 2, 2, 2, 2, 2, 2, 2, 2}));
}

TEST(AAPixels, Mirrors)
{
    Plane m(3, 2);
    m.px = {1, 2, 3, 4, 5, 6};
    HorzMirrorMask(m.P());
    EXPECT_EQ(m.px, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    VertMirrorMask(m.P());
    EXPECT_EQ(m.px, (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(AAPixels, BlendMovesChannelsByTheWeight)
{
    const TRgb colour{0, 100, 255};
    struct Case {
        int alpha, coverage;
        TRgb expected;   // over a background of (200, 100, 0)
    } cases[] = {
        {100, 255, {0, 100, 255}},
        {100, 0, {200, 100, 0}},
        {0, 255, {200, 100, 0}},
        // k = 127: each channel moves by floor(difference * 127 / 256), also downward
        {50, 255, {uint8_t(200 + ((0 - 200) * 127 >> 8)), 100, uint8_t(0 + (255 * 127 >> 8))}},
    };
    for (const Case& c : cases) {
        Bgr dst(2, 1, {200, 100, 0});
        Plane mask(2, 1, uint8_t(c.coverage));
        BlendColor(dst.P(), mask.P(), AlphaToA16(c.alpha), colour);
        EXPECT_EQ(dst.at(0, 0), c.expected) << c.alpha << "/" << c.coverage;
        EXPECT_EQ(dst.at(1, 0), c.expected);
    }
    EXPECT_EQ(200 + ((0 - 200) * 127 >> 8), 100);   // floor, not truncation toward zero
}

TEST(AAPixels, BlendForeTakesEachPixelsColour)
{
    Bgr dst(2, 2, {0, 0, 0});
    Bgr fore(2, 2);
    fore.px = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Plane mask(2, 2, 255);
    mask.at(1, 1) = 0;
    BlendFore(dst.P(), mask.P(), 256, fore.P());
    EXPECT_EQ(dst.at(0, 0), (TRgb{3, 2, 1}));
    EXPECT_EQ(dst.at(1, 0), (TRgb{6, 5, 4}));
    EXPECT_EQ(dst.at(0, 1), (TRgb{9, 8, 7}));
    EXPECT_EQ(dst.at(1, 1), (TRgb{0, 0, 0}));
}

TEST(AAPixels, GradualRamps)
{
    const TRgb white{255, 255, 255}, black{0, 0, 0};
    struct Case {
        int style, w, h;
        std::vector<int> reds;   // red channel along the gradient's axis
    } cases[] = {
        {gsLeftToRight, 4, 1, {255, 192, 128, 64}},    // the last entry stops one step short
        {gsRightToLeft, 4, 1, {0, 63, 127, 191}},
        {gsTopToBottom, 1, 4, {255, 192, 128, 64}},
        {gsBottomToTop, 1, 4, {0, 63, 127, 191}},
        {gsCenterToLR, 5, 1, {0, 85, 170, 85, 0}},     // n = 3, entries 3 and 4 repeat 1 and 0
        {gsCenterToTB, 1, 4, {0, 127, 127, 0}},
    };
    for (const Case& c : cases) {
        Bgr b(c.w, c.h);
        GradualFill(b.P(), c.style, white, black);
        for (size_t i = 0; i < c.reds.size(); ++i) {
            int x = c.w > 1 ? int(i) : 0, y = c.w > 1 ? 0 : int(i);
            EXPECT_EQ(b.at(x, y).r, c.reds[i]) << "style " << c.style << " entry " << i;
        }
    }
    Bgr rows(3, 2);
    GradualFill(rows.P(), gsTopToBottom, {10, 20, 30}, {10, 20, 30});
    EXPECT_EQ(rows.at(2, 1), (TRgb{10, 20, 30}));
}

TEST(AAPixels, NoiseIsCentredAndClamped)
{
    Bgr b(2, 1);
    std::vector<int> draws = {0, 9, 5};   // red, green, blue
    size_t i = 0;
    NoiseFill(b.P(), {2, 100, 250}, 10, [&](int) { return draws[i++ % 3]; });
    EXPECT_EQ(b.at(0, 0), (TRgb{0, 104, 250}));   // 2 - 5 clamps, 100 + 4, 250 + 0

    Bgr a(1, 1, {250, 0, 128});
    AddNoise(a.P(), 20, [](int n) { return n - 1; });   // +9 on every byte
    EXPECT_EQ(a.at(0, 0), (TRgb{255, 9, 137}));
}

TEST(AAPixels, FadeBandStaysInsideTheWindow)
{
    const TRgb bg{0, 0, 0};
    struct Case {
        int height, fade;
        std::vector<int> reds;   // red per row after fading a column of 200
    } cases[] = {
        {8, 3, {0, 99, 199, 200, 200, 199, 99, 0}},   // weights 0, 127, 255
        {6, 1, {200, 200, 200, 200, 200, 200}},       // one row: no fade
        {6, 0, {200, 200, 200, 200, 200, 200}},
        {6, -4, {200, 200, 200, 200, 200, 200}},
        {6, 100, {0, 99, 199, 199, 99, 0}},           // limited to half the height
        {5, 100, {0, 199, 200, 199, 0}},
        {1, 10, {200}},
        {2, 10, {200, 200}},
        {3, 2, {200, 200, 200}},
    };
    for (const Case& c : cases) {
        Bgr w(2, c.height, {200, 50, 0});
        FadeBand(w.P(), c.fade, bg);
        for (int y = 0; y < c.height; ++y)
            EXPECT_EQ(w.at(1, y).r, c.reds[size_t(y)]) << "height " << c.height << " fade " << c.fade << " row " << y;
    }
}

TEST(AAPixels, ScrollSpansCoverTheWindow)
{
    struct Case {
        int text, pos, window;
        std::vector<TRowSpan> spans;
    } cases[] = {
        {100, 0, 28, {{0, 0, 28}}},
        {100, 72, 28, {{72, 0, 28}}},
        {100, 80, 28, {{80, 0, 20}, {0, 20, 8}}},
        {100, 99, 28, {{99, 0, 1}, {0, 1, 27}}},
        {10, 5, 28, {{5, 0, 5}, {0, 5, 10}, {0, 15, 10}, {0, 25, 3}}},   // shorter text repeats
        {100, -1, 2, {{99, 0, 1}, {0, 1, 1}}},
        {0, 0, 28, {}},
        {100, 0, 0, {}},
    };
    for (const Case& c : cases) {
        auto got = ScrollSpans(c.text, c.pos, c.window);
        ASSERT_EQ(got.size(), c.spans.size()) << c.text << "/" << c.pos;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].srcRow, c.spans[i].srcRow);
            EXPECT_EQ(got[i].dstRow, c.spans[i].dstRow);
            EXPECT_EQ(got[i].count, c.spans[i].count);
        }
    }
}

TEST(AAPixels, RotatedExtentAndItalicAllowance)
{
    const double quarter = 900 * 3.14159265358979323846 / 1800;
    TRotated r = RotatedExtent(100, 20, quarter);
    EXPECT_EQ(r.cx, 20);
    EXPECT_EQ(r.cy, 100);
    EXPECT_EQ(r.originX, 0);
    EXPECT_EQ(r.originY, 100);
    TRotated same = RotatedExtent(100, 20, 0);
    EXPECT_EQ(same.cx, 100);
    EXPECT_EQ(same.cy, 20);

    EXPECT_EQ(ItalicWidth(100, 10), 103);
    EXPECT_EQ(ItalicWidth(50, 0), 50);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
}
