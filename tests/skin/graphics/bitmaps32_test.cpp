// 32-bit bitmaps on real DIB sections and the DC helpers.
#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/form_services.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/glyph_layout.h"
#include "skin/graphics/paint32.h"

namespace {

uint32_t& Pixel(TBitmap& b, int x, int y)
{
    GdiFlush();
    return static_cast<uint32_t*>(b.ScanLine(y))[x];
}

void Fill(TBitmap& b, uint32_t pixel)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) Pixel(b, x, y) = pixel;
}

}  // namespace

TEST(Bitmaps32, CreationAndRows)
{
    std::unique_ptr<TBitmap> b(NewBitmap32ForRect(TRect(10, 0, 5, 4)));   // Right < Left
    EXPECT_EQ(b->Width(), 0);
    EXPECT_EQ(b->Height(), 4);
    std::unique_ptr<TBitmap> flat(NewBitmap32(5, 0));
    uint8_t* row0 = nullptr;
    ptrdiff_t stride = 0;
    EXPECT_FALSE(GetBitmapRows(flat.get(), row0, stride));

    std::unique_ptr<TBitmap> c(NewBitmap32(3, 2));
    EXPECT_EQ(c->PixelFormat(), pf32bit);
    ASSERT_TRUE(GetBitmapRows(c.get(), row0, stride));
    EXPECT_EQ(row0, c->ScanLine(0));
    EXPECT_EQ(row0 + stride, c->ScanLine(1));
    std::unique_ptr<TBitmap> one(NewBitmap32(3, 1));
    ASSERT_TRUE(GetBitmapRows(one.get(), row0, stride));
    EXPECT_EQ(stride, 0);

    // a size the system cannot give: an empty bitmap, no exception
    std::unique_ptr<TBitmap> huge(NewBitmap32(100000, 100000));
    EXPECT_TRUE(huge->Empty());
}

TEST(Bitmaps32, ImageAndMaskRoundTrip)
{
    TBitmap src(2, 4, pf32bit);
    Fill(src, 0xFF102030);
    Pixel(src, 0, 2) = 0xFF000000;   // black mask: opaque
    Pixel(src, 1, 2) = 0xFFFFFFFF;   // white mask: transparent
    Pixel(src, 0, 3) = 0xFF808080;
    Pixel(src, 1, 3) = 0xFF202020;
    src.PixelsChanged();
    std::unique_ptr<TBitmap> img(BitmapFromImageAndMask32(&src, TRect(0, 0, 2, 4)));
    ASSERT_TRUE(img);
    EXPECT_EQ(Pixel(*img, 0, 0), 0xFF102030u);
    EXPECT_EQ(Pixel(*img, 1, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(*img, 0, 1) >> 24, 0x7Fu);
    EXPECT_EQ(Pixel(*img, 1, 1) >> 24, 0xDFu);
    EXPECT_EQ(BitmapFromImageAndMask32(&src, TRect(0, 0, 2, 1)), nullptr);

    std::unique_ptr<TBitmap> back(ImageAndMaskFromBitmap32(img.get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Height(), 4);
    EXPECT_EQ(Pixel(*back, 1, 2), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(*back, 0, 3), 0xFF808080u);
}

TEST(Bitmaps32, FrameStripsAndFills)
{
    TBitmap src(8, 8, pf32bit), dst(8, 8, pf32bit);
    Fill(src, 0x00AAAAAA);
    Fill(dst, 0x00000000);
    src.PixelsChanged();
    dst.PixelsChanged();
    BlitFrameStrips(dst.Canvas()->Handle(), 0, 0, 8, 8, src.Canvas()->Handle(), 0, 0, 3, 0, 0, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool border = x < 3 || y < 3 || x >= 5 || y >= 5;
            EXPECT_EQ(Pixel(dst, x, y) & 0xFFFFFF, border ? 0xAAAAAAu : 0u) << x << "," << y;
        }

    TBitmap f(6, 6, pf32bit);
    Fill(f, 0);
    f.PixelsChanged();
    FillDCFrame(f.Canvas()->Handle(), TRect(0, 0, 6, 6), 1, 2, 1, 1, 0x0000FF);
    GdiFlush();
    EXPECT_EQ(Pixel(f, 3, 1) & 0xFFFFFF, 0xFF0000u);   // top strip, 2 high; red in pixel order
    EXPECT_EQ(Pixel(f, 3, 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(f, 0, 4) & 0xFFFFFF, 0xFF0000u);
    FillDCRect(f.Canvas()->Handle(), TRect(2, 2, 4, 4), 0x00FF00);
    EXPECT_EQ(Pixel(f, 3, 3) & 0xFFFFFF, 0x00FF00u);

    TRect r(0, 0, 6, 6);
    int count = 2;
    DrawBevelFrame(f.Canvas()->Handle(), r, 0xFFFFFF, 0x000000, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(r, TRect(2, 2, 4, 4));
    EXPECT_EQ(Pixel(f, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(Pixel(f, 5, 5) & 0xFFFFFF, 0u);
}

TEST(Bitmaps32, PixelPassesAndBindings)
{
    TBitmap b(2, 1, pf32bit);
    Pixel(b, 0, 0) = 0x00FF00FF;   // key: untouched
    Pixel(b, 1, 0) = 0xFFFF00FF;   // magenta, opaque: adjusted
    b.PixelsChanged();
    ForEachPixel32(&b, AdjustPixelBrightness, -256, 0xFF00FF);
    EXPECT_EQ(Pixel(b, 0, 0), 0x00FF00FFu);
    EXPECT_EQ(Pixel(b, 1, 0), 0xFF000000u);
    ForEachPixel32(nullptr, MakePixelOpaque, 0, clNone);   // nothing, no fault

    EXPECT_TRUE(LayeredWindowsAvailable());
    HDC dc = CreateCompatibleDC(nullptr);
    SetDCLayout(dc, LAYOUT_RTL);
    EXPECT_EQ(GetDCLayout(dc), DWORD(LAYOUT_RTL));
    DeleteDC(dc);
}

TEST(Bitmaps32, ShutDownReleasesBindingsAndTheSineTable)
{
    EXPECT_NEAR(SinOf(30), 0.5, 1e-6);
    ASSERT_TRUE(SinCosTableExists());
    // The unit's own start-up counted once: a start-up more is undone without a shut-down.
    InitGraphicsUnit();
    DoneGraphicsUnit();
    EXPECT_TRUE(SinCosTableExists());
    EXPECT_TRUE(LayeredWindowsAvailable());
    DoneGraphicsUnit();
    EXPECT_FALSE(SinCosTableExists());
    EXPECT_FALSE(LayeredWindowsAvailable());
    // Started again, everything is back; the table comes back on first use.
    InitGraphicsUnit();
    EXPECT_TRUE(LayeredWindowsAvailable());
    EXPECT_NEAR(CosOf(60), 0.5, 1e-6);
    EXPECT_TRUE(SinCosTableExists());
}

TEST(Paint32, ResizedAndTurnedBitmaps)
{
    // Resized in place; a bitmap narrower than 2 is left alone.
    std::unique_ptr<TBitmap> b(NewBitmap32(4, 4));
    Fill(*b, 0xFF336699u);
    ResampleBitmap32(b.get(), b.get(), 9, 7, rfMitchell);
    ASSERT_EQ(b->Width(), 9);
    ASSERT_EQ(b->Height(), 7);
    EXPECT_EQ(Pixel(*b, 8, 6), 0xFF336699u) << "a flat picture stays flat";
    std::unique_ptr<TBitmap> thin(NewBitmap32(1, 4)), out(NewBitmap32(3, 3));
    ResampleBitmap32(thin.get(), out.get(), 8, 8, rfMitchell);
    EXPECT_EQ(out->Width(), 3);

    // A quarter turn clockwise of 3 x 2: 2 x 3, the source's top-left at the top right.
    TBitmap* src = NewBitmap32(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) Pixel(*src, x, y) = uint32_t(0xFF000000u | (10 * y + x));
    std::unique_ptr<TBitmap> turned(RotateBitmap32(src, 90, false));
    ASSERT_EQ(turned->Width(), 2);
    ASSERT_EQ(turned->Height(), 3);
    EXPECT_EQ(Pixel(*turned, 1, 0), Pixel(*src, 0, 0));
    EXPECT_EQ(Pixel(*turned, 0, 2), Pixel(*src, 2, 1));
    std::unique_ptr<TBitmap> half(RotateBitmap32(src, 180, true));
    EXPECT_EQ(src, nullptr) << "the source freed";
    EXPECT_EQ(Pixel(*half, 0, 0), 0xFF00000Au + 2u);
    // Not 32-bit: the same bitmap back.
    TBitmap* plain = new TBitmap;
    plain->SetPixelFormat(pf24bit);
    plain->SetSize(3, 2);
    TBitmap* same = RotateBitmap32(plain, 90, false);
    EXPECT_EQ(same, plain);
    delete plain;

    // Drawn turned about a centre: angle 0 already turns a quarter clockwise (callers pass
    // angle - 90 for a plain turn), so the red top edge ends up on the right.
    std::unique_ptr<TBitmap> pic(NewBitmap32(16, 16));
    Fill(*pic, 0xFFFFFFFFu);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 16; ++x) Pixel(*pic, x, y) = 0xFFFF0000u;
    struct Case { int angle; TPoint red, white; } cases[] = {
        {0, {14, 8}, {1, 8}}, {-90, {8, 1}, {8, 14}}, {90, {8, 14}, {8, 1}},
    };
    for (auto c : cases) {
        std::unique_ptr<TBitmap> dest(NewBitmap32(16, 16));
        DrawRotated(dest->Canvas()->Handle(), pic.get(), TPoint(8, 8), c.angle);
        EXPECT_EQ(Pixel(*dest, c.red.x, c.red.y) & 0xFFFFFFu, 0xFF0000u) << c.angle;
        EXPECT_EQ(Pixel(*dest, c.white.x, c.white.y) & 0xFFFFFFu, 0xFFFFFFu) << c.angle;
    }
}

TEST(Paint32, PremultiplyingAsksWhetherCompositionIsOn)
{
    // Near-white is held at 244 while composition is off (the default) and not while it is on.
    struct TComposed : TacFormServices {
        bool IsDesktopCompositionOn() override { return true; }
    } composed;
    for (bool on : {false, true}) {
        SetFormServices(on ? &composed : nullptr);
        std::unique_ptr<TBitmap> b(NewBitmap32(2, 1));
        Fill(*b, 0xFFFAFAFAu);
        PremultiplyAlphaRect32(b.get(), TRect(1, 0, 2, 1));
        EXPECT_EQ(Pixel(*b, 1, 0), on ? 0xFFF9F9F9u : 0xFFF4F4F4u) << on;
        EXPECT_EQ(Pixel(*b, 0, 0), 0xFFFAFAFAu) << "outside the rectangle";
    }
    SetFormServices(nullptr);
}
