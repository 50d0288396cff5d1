// Constant-weight mixes, keyed and masked copies and channel moves on small in-memory images;
// views cut out of a larger image show that nothing outside them is touched.
#include <gtest/gtest.h>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/blend_ops.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

// A w x h view in the middle of a larger image filled with guard; the image holds it.
struct TGuarded {
    TPixelImage Image;
    TPixelView View;
    static constexpr uint32_t Guard = 0x5A5A5A5Au;
    TGuarded(int w, int h, uint32_t fill) : Image(w + 6, h + 6, Guard)
    {
        View = Image.View().Sub(TRect(3, 3, 3 + w, 3 + h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) View.At(x, y) = fill;
    }
    bool GuardIntact() const { return UntouchedOutside(Image, TRect(3, 3, 3 + View.Width, 3 + View.Height), Guard); }
};

// A source whose pixel (x, y) is 0xAA00 | x << 4 | y in the low bytes and alpha 0xFF.
TPixelImage Numbered(int w, int h)
{
    TPixelImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = 0xFF00AA00u | uint32_t(x) << 4 | uint32_t(y);
    return img;
}

}  // namespace

TEST(BlendOps, MixRectAtWeightsAndClipping)
{
    TPixelImage src = Numbered(8, 2);
    TGuarded d(4, 2, 0x10203040u);
    MixRectAt32(d.View, src.View(), 0, TRect(0, 0, 8, 2), TPoint(0, 0));
    EXPECT_EQ(d.View.At(3, 1), src.At(3, 1)) << "weight 0 copies all four bytes";
    EXPECT_TRUE(d.GuardIntact());

    TGuarded keep(2, 1, 0x10203040u);
    MixRectAt32(keep.View, src.View(), 255, TRect(0, 0, 8, 2), TPoint(0, 0));
    // weight 255 leaves Dest within rounding: (d x 255 + s) shr 8
    EXPECT_EQ(keep.View.At(0, 0), 0x101F303Fu);

    TGuarded shifted(4, 2, 0);
    MixRectAt32(shifted.View, src.View(), 0, TRect(1, 0, 8, 2), TPoint(-3, 0));
    EXPECT_EQ(shifted.View.At(0, 0), src.At(4, 0)) << "a destination 3 left of Dest starts at source column 1 + 3";
    EXPECT_TRUE(shifted.GuardIntact());

    TGuarded inner(20, 20, 0);
    MixRectAt32(inner.View, src.View(), 0, TRect(0, 0, 3, 1), TPoint(5, 5));
    EXPECT_EQ(inner.View.At(8, 6), src.At(3, 1)) << "inclusive: (0, 0, 3, 1) copies 4 x 2";
    EXPECT_EQ(inner.View.At(9, 6), 0u);
}

TEST(BlendOps, WholeImageMixKeepsTheDestinationAlpha)
{
    // Dest keeps the share Weight of its colour bytes: (d x w + s x (256 - w)) shr 8; its alpha stays.
    struct Case { uint8_t weight; uint32_t want; } cases[] = {
        {0, Bgra(200, 0, 10, 50)},                                     // the source's colours
        {128, Bgra((100 * 128 + 200 * 128) >> 8, (100 * 128) >> 8, (100 * 128 + 10 * 128) >> 8, 50)},
        {255, Bgra((100 * 255 + 200) >> 8, (100 * 255) >> 8, (100 * 255 + 10) >> 8, 50)},
    };
    for (auto c : cases) {
        TGuarded d(3, 2, Bgra(100, 100, 100, 50));
        TPixelImage src(3, 2, Bgra(200, 0, 10, 9));
        MixBitmaps32(d.View, src.View(), c.weight);
        EXPECT_EQ(d.View.At(2, 1), c.want) << int(c.weight);
        EXPECT_TRUE(d.GuardIntact());
    }
    // Sizes that differ: nothing.
    TGuarded d(3, 2, Bgra(100, 100, 100, 50));
    TPixelImage other(3, 3, 0);
    MixBitmaps32(d.View, other.View(), 0);
    EXPECT_EQ(d.View.At(0, 0), Bgra(100, 100, 100, 50));
}

TEST(BlendOps, KeyedCopies)
{
    TPixelImage src = Numbered(8, 3);
    src.At(6, 0) = 0x00FF00FFu;
    {
        TGuarded d(6, 3, 0x11111111u);
        BlendRectAt32(d.View, -5, 0, src.View(), src.Bounds(), 0, 0x00FF00FFu);
        // the first five source columns lie left of Dest; transparency 0 copies each byte x 255 div 256
        EXPECT_EQ(d.View.At(0, 1) & 0xFFu, (src.At(5, 1) & 0xFFu) * 255 / 256);
        EXPECT_EQ(d.View.At(1, 0), 0x11111111u) << "the key pixel is never touched";
        EXPECT_EQ(d.View.At(3, 0), 0x11111111u) << "right of the source";
        EXPECT_TRUE(d.GuardIntact());
    }
    {
        TGuarded d(3, 3, 0x00000000u);
        CopyOpaqueAt32(d.View, src.View(), -2, -2, 0xFF00FF);
        EXPECT_EQ(d.View.At(0, 0), src.At(2, 2));
        EXPECT_TRUE(d.GuardIntact());
    }
    {
        TGuarded d(8, 1, 0x77000000u);
        TCacheInfo fill;
        fill.FillColor = 0x0000FF;   // red, not ready
        CopyKeyedRect32(d.View, src.View(), 0, 0, TRect(-2, 0, 9, 0), 0x00FF00FFu, fill, false);
        EXPECT_EQ(d.View.At(0, 0), src.At(0, 0)) << "a source edge below 0 is cut alone, the destination stays";
        EXPECT_EQ(d.View.At(6, 0), 0x77FF0000u) << "key filled with the fill colour, alpha of Dest's first pixel";
        EXPECT_EQ(d.View.At(7, 0), src.At(7, 0));
        EXPECT_TRUE(d.GuardIntact());
    }
    {
        TGuarded d(3, 1, 0x00000000u);
        TCacheInfo self = BuildCacheInfo(d.View, 0, 0);
        CopyKeyedRect32(d.View, src.View(), 0, 0, TRect(5, 0, 7, 0), 0x00FF00FFu, self, true);
        EXPECT_EQ(d.View.At(0, 0), src.At(5, 0) | 0xFF000000u);
        EXPECT_EQ(d.View.At(1, 0), 0u) << "the background is Dest itself: key left";
    }
    {
        TPixelImage parent(4, 4, 0xFF0000FFu);
        TGuarded d(3, 1, 0);
        CopyKeyedRect32(d.View, src.View(), 0, 0, TRect(5, 0, 7, 0), 0x00FF00FFu, BuildCacheInfo(parent.View(), 2, 3), true);
        EXPECT_EQ(d.View.At(1, 0), 0xFF0000FFu) << "key takes the parent's pixel at (2 + 1, 3)";
        TGuarded e(3, 1, 0);
        CopyKeyedRect32(e.View, src.View(), 0, 0, TRect(5, 0, 7, 0), 0x00FF00FFu, BuildCacheInfo(parent.View(), 3, 3), true);
        EXPECT_EQ(e.View.At(1, 0), 0u) << "outside the parent's image: left as it was";
    }
    {
        TGuarded d(2, 1, 0x40000000u);
        BlendKeyedRect32(d.View, src.View(), 0, 0, TRect(5, 0, 6, 0), 0xFF00FF, 200);
        const uint32_t s = src.At(5, 0);
        EXPECT_EQ(d.View.At(0, 0), (((s & 0xFF) * 200) >> 8) | ((((s >> 8) & 0xFF) * 200) >> 8) << 8 | 200u << 24);
        EXPECT_EQ(d.View.At(1, 0), 0x40000000u) << "key";
    }
}

TEST(BlendOps, TintAndCompose)
{
    TPixelImage img(2, 1, Bgra(100, 150, 200, 7));
    img.At(1, 0) = 0x00FF00FFu;
    TintBitmap32(img.View(), 255, 0x0000FF);
    EXPECT_EQ(img.At(0, 0), Bgra(99, 149, 199, 7));
    EXPECT_EQ(img.At(1, 0), 0x00FF00FFu);
    TintBitmap32(img.View(), 0, 0x0000FF);   // red
    EXPECT_EQ(img.At(0, 0), Bgra(0, 0, 254, 7));

    TPixelImage d(1, 1, Bgra(0, 0, 0, 9)), s(1, 1, Bgra(255, 255, 255, 128));
    ComposeBitmap32(d.View(), s.View());
    EXPECT_EQ(d.At(0, 0), Bgra(127, 127, 127, 9));
    TPixelImage other(2, 1, 0);
    ComposeBitmap32(d.View(), other.View());   // sizes differ: nothing
    EXPECT_EQ(d.At(0, 0), Bgra(127, 127, 127, 9));
}

TEST(BlendOps, EveryImageBoundsTheMaskMixAndTheChannelMoves)
{
    TPixelImage a(4, 4, Bgra(200, 200, 200, 1)), b(4, 4, Bgra(0, 0, 0, 2));
    TGuarded small(2, 3, 0x03000000u);
    TGuarded mask(3, 2, Bgra(255, 128, 0, 0));
    MixBitmapsByMask32(small.View, a.View(), b.View(), &mask.View, 0);
    EXPECT_EQ(small.View.At(1, 1), Bgra(199, 100, 0, 3)) << "per channel by the mask's byte";
    EXPECT_EQ(small.View.At(1, 2), 0x03000000u) << "below the mask: untouched";
    EXPECT_TRUE(small.GuardIntact());
    EXPECT_TRUE(mask.GuardIntact());

    TGuarded narrow(2, 2, 0x11223344u);
    TPixelImage wide(5, 1, 0xAABBCCDDu);
    CopyChannel32(narrow.View, wide.View(), 3);
    EXPECT_EQ(narrow.View.At(1, 0), 0xAA223344u);
    EXPECT_EQ(narrow.View.At(1, 1), 0x11223344u) << "the source has one row";
    EXPECT_TRUE(narrow.GuardIntact());

    TByteImage plane(1, 3, 0x7F);
    TGuarded pic(2, 2, 0xFFFFFFFFu);
    CopyChannel8(pic.View, plane.Plane(), 0, false);
    EXPECT_EQ(pic.View.At(0, 1), 0xFFFFFF7Fu);
    EXPECT_EQ(pic.View.At(1, 1), 0xFFFFFFFFu);
    CopyChannel8(pic.View, plane.Plane(), 2, true);
    EXPECT_EQ(plane.At(0, 2), 0x7F) << "only the rows both have";
    EXPECT_EQ(plane.At(0, 0), 0xFF);
    EXPECT_TRUE(pic.GuardIntact());
}

TEST(BlendOps, MaskedCopyByBackground)
{
    // Image 2 x 1 above its mask: pixel 0 a colour with a grey mask, pixel 1 the key.
    TPixelImage src(2, 2);
    src.At(0, 0) = Bgra(0, 0, 200, 0);
    src.At(1, 0) = 0x00FF00FFu;
    src.At(0, 1) = Bgra(128, 128, 128, 0);
    src.At(1, 1) = Bgra(0, 0, 0, 0);
    TsMaskData m;
    m.R = TRect(0, 0, 2, 2);
    TPixelImage parent(3, 1, Bgra(1, 2, 3, 4));
    TCacheInfo notReady;
    notReady.FillColor = 0x00FF00;
    struct Case { const char* what; TCacheInfo bg; bool fill; uint32_t p0, p1; } cases[] = {
        {"not ready: key skipped", notReady, false, Bgra(50, 50, 150, 9), Bgra(100, 100, 100, 9)},
        {"not ready, fill: key takes the fill colour", notReady, true, Bgra(50, 50, 150, 9), 0x0000FF00u},
        {"ready: every pixel mixed and opaque", BuildCacheInfo(parent.View(), 0, 0), false, Bgra(50, 50, 150, 255), Bgra(255, 0, 255, 255)},
        {"ready, fill: key from the parent", BuildCacheInfo(parent.View(), 0, 0), true, Bgra(50, 50, 150, 255), Bgra(1, 2, 3, 4)},
    };
    for (const auto& c : cases) {
        TPixelImage d(2, 1, Bgra(100, 100, 100, 9));
        CopyMaskedRect32(TRect(0, 0, 2, 1), TRect(0, 0, 2, 1), d.View(), src.View(), c.bg, c.fill, m);
        EXPECT_EQ(d.At(0, 0), c.p0) << c.what;
        EXPECT_EQ(d.At(1, 0), c.p1) << c.what;
    }
}
