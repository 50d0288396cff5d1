// The item painter's forms over bitmaps and device contexts: the same pixels as the core, the
// device-context form through its own bitmap, and the painting over a copy of a DC.
#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/core/skin_info.h"
#include "skin/graphics/paint32.h"
#include "tests/skin/fixture_skin.h"

namespace fs = fixture_skin;

namespace {

class ItemPaintWinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Bytes = fs::Packed();
        Source = std::make_unique<TacSkinSource>(TacSkinSource::FromPacked(Bytes.data(), Bytes.size()));
        Skin = std::make_unique<TacStandaloneSkin>(*Source, 96);
        Scope = std::make_unique<TacStandalonePaintScope>(*Skin);
    }
    void TearDown() override
    {
        Scope.reset();
        Skin.reset();
    }
    int Index(const String& name) { return Skin->Data().SkinIndexOf(name); }
    const TacSkinPaintSource* Data() { return &Skin->Data(); }

    std::vector<uint8_t> Bytes;
    std::unique_ptr<TacSkinSource> Source;
    std::unique_ptr<TacStandaloneSkin> Skin;
    std::unique_ptr<TacStandalonePaintScope> Scope;
};

TPixelImage Core(int index, const TCacheInfo& bg, int state, int w, int h, const TacSkinPaintSource* data)
{
    TPixelImage img(w, h);
    PaintItem(index, bg, state, img.Bounds(), TPoint(), img.View(), data);
    return img;
}

TEST_F(ItemPaintWinTest, BitmapAndDeviceContextFormsPaintTheCoresPixels)
{
    TCacheInfo plain;
    plain.FillColor = 0x204060;
    for (const wchar_t* name : {L"T40S3", L"BUTTON", L"T100S1"}) {
        const TPixelImage want = Core(Index(name), plain, 1, 36, 22, Data());
        std::unique_ptr<TBitmap> b(NewBitmap32(36, 22));
        PaintItem(Index(name), plain, 1, TRect(0, 0, 36, 22), TPoint(), b.get(), Data());
        EXPECT_EQ(ImageFromBitmap32(b.get()).At(17, 11), want.At(17, 11)) << ToUtf8(name);

        // Through a DC at an offset: the colour bytes arrive there.
        std::unique_ptr<TBitmap> target(NewBitmap32(50, 40));
        FillDCRect(target->Canvas()->Handle(), TRect(0, 0, 50, 40), 0x0000FF);
        PaintItem(Index(name), plain, 1, TRect(6, 5, 42, 27), TPoint(), target->Canvas()->Handle(), Data());
        GdiFlush();
        const TPixelImage got = ImageFromBitmap32(target.get());
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 36; ++x)
                ASSERT_EQ(got.At(6 + x, 5 + y) & 0xFFFFFFu, want.At(x, y) & 0xFFFFFFu) << ToUtf8(name) << " " << x << "," << y;
        EXPECT_EQ(got.At(2, 2) & 0xFFFFFFu, 0xFF0000u);   // outside r: the DC's own red
    }
}

TEST_F(ItemPaintWinTest, ABitmapOfAnotherFormatIsPaintedThroughA32BitCopy)
{
    TCacheInfo plain;
    plain.FillColor = 0x204060;
    const TPixelImage want = Core(Index(L"BUTTON"), plain, 2, 30, 20, Data());
    TBitmap b(30, 20, pf24bit);
    PaintItem(Index(L"BUTTON"), plain, 2, TRect(0, 0, 30, 20), TPoint(), &b, Data());
    for (const TPoint& p : {TPoint(15, 10), TPoint(15, 1), TPoint(0, 0), TPoint(29, 19)})
        EXPECT_EQ(GetPixel(b.Canvas()->Handle(), p.x, p.y), SwapRedBlue(want.At(p.x, p.y) & 0xFFFFFFu)) << p.x << "," << p.y;
}

TEST_F(ItemPaintWinTest, PaintingOverACopyOfTheDC)
{
    std::unique_ptr<TBitmap> screen(NewBitmap32(60, 40));
    FillDCRect(screen->Canvas()->Handle(), TRect(0, 0, 60, 40), 0x00FF00);
    FillDCRect(screen->Canvas()->Handle(), TRect(30, 0, 60, 40), 0x0000FF);
    std::unique_ptr<TBitmap> b(NewBitmap32(20, 20));
    // A fully transparent section shows the copied area: green left of x = 30, red right of it.
    EXPECT_EQ(PaintItemOverCopy(b.get(), -1, Index(L"T100S0"), 0, Data(), TRect(20, 10, 40, 30),
                                clBlack, screen->Canvas()->Handle()),
              Index(L"T100S0"));
    const TPixelImage got = ImageFromBitmap32(b.get());
    EXPECT_EQ(got.At(5, 10) & 0xFFFFFFu, 0x00FF00u);
    EXPECT_EQ(got.At(15, 10) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(got.At(0, 0) & 0xFFFFFFu, 0x00FF00u);   // the key corner shows the copy too
    // Without a DC the fill colour lies under it.
    PaintItemOverCopy(b.get(), Index(L"T100S0"), -1, 0, Data(), TRect(), 0x102030, nullptr);
    EXPECT_EQ(ImageFromBitmap32(b.get()).At(10, 10) & 0xFFFFFFu, 0x302010u);
    // No section at all: nothing painted, the negative index answered.
    EXPECT_EQ(PaintItemOverCopy(b.get(), -1, -1, 0, Data(), TRect(), 0, nullptr), -1);
}

TEST_F(ItemPaintWinTest, MissingSkinDataPaintsNothing)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(20, 20));
    FillDCRect(b->Canvas()->Handle(), TRect(0, 0, 20, 20), 0x0000FF);
    PaintItem(Index(L"BUTTON"), TCacheInfo(), 0, TRect(0, 0, 20, 20), TPoint(), b.get(), nullptr);
    PaintItemBG(Index(L"BUTTON"), TCacheInfo(), 0, TRect(0, 0, 20, 20), TPoint(), b.get(), nullptr);
    PaintItem(Index(L"BUTTON"), TCacheInfo(), 0, TRect(0, 0, 20, 20), TPoint(), b->Canvas()->Handle(), nullptr);
    GdiFlush();
    EXPECT_EQ(ImageFromBitmap32(b.get()).At(10, 10) & 0xFFFFFFu, 0xFF0000u);
}

}  // namespace
