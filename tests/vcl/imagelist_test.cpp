// Image lists: adding, drawing into bitmaps, order, change links.
#include <gtest/gtest.h>

#include <functional>

#include "tests/common/screenshot.h"
#include "vcl/imagelist.h"

using testing_support::AlphaAt;
using testing_support::PixelAt;

namespace {

// A w x h 32-bit bitmap of one colour and alpha.
std::unique_ptr<TBitmap> Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    auto bmp = std::make_unique<TBitmap>(w, h, pf32bit);
    for (int y = 0; y < h; ++y) {
        auto* p = static_cast<uint8_t*>(bmp->ScanLine(y));
        for (int x = 0; x < w; ++x) {
            p[4 * x] = b;
            p[4 * x + 1] = g;
            p[4 * x + 2] = r;
            p[4 * x + 3] = a;
        }
    }
    return bmp;
}

std::unique_ptr<TBitmap> WhiteCanvas(int w, int h)
{
    auto bmp = std::make_unique<TBitmap>(w, h, pf24bit);
    bmp->Canvas()->Brush()->SetColor(clWhite);
    bmp->Canvas()->FillRect(Rect(0, 0, w, h));
    return bmp;
}

}  // namespace

TEST(ImageList, DrawsAlphaImagesOverWhatIsThere)
{
    TImageList list(8, 8);
    EXPECT_EQ(list.ColorDepth(), cd32Bit);
    // Left half opaque red, right half fully transparent.
    auto img = Solid(8, 8, 255, 0, 0, 255);
    for (int y = 0; y < 8; ++y) {
        auto* p = static_cast<uint8_t*>(img->ScanLine(y));
        for (int x = 4; x < 8; ++x) p[4 * x + 3] = 0, p[4 * x + 2] = 0;
    }
    EXPECT_EQ(list.Add(img.get(), nullptr), 0);
    ASSERT_NE(list.Handle(), nullptr);
    EXPECT_EQ(list.Count(), 1);

    auto dst = WhiteCanvas(12, 12);
    list.Draw(dst->Canvas(), 2, 2, 0);
    testing_support::SaveArtifact(*dst, L"imagelist_alpha");
    EXPECT_EQ(PixelAt(*dst, 2, 2), clRed);
    EXPECT_EQ(PixelAt(*dst, 5, 9), clRed);
    EXPECT_EQ(PixelAt(*dst, 6, 2), clWhite) << "transparent half keeps the background";
    EXPECT_EQ(PixelAt(*dst, 1, 1), clWhite);

    // The same image comes back with its alpha.
    auto back = list.GetBitmap32(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(AlphaAt(*back, 0, 0), 255);
    EXPECT_EQ(AlphaAt(*back, 7, 7), 0);
    EXPECT_EQ(PixelAt(*back, 0, 0), clRed);

    // Partial alpha is straight, not premultiplied: dark red at half opacity over white.
    auto half = Solid(8, 8, 128, 0, 0, 128);
    int h = list.Add(half.get(), nullptr);
    auto over = WhiteCanvas(8, 8);
    list.Draw(over->Canvas(), 0, 0, h);
    EXPECT_LE(testing_support::ColorDistance(PixelAt(*over, 3, 3), RGB(191, 127, 127)), 3);
    auto halfBack = list.GetBitmap32(h);
    EXPECT_NEAR(AlphaAt(*halfBack, 3, 3), 128, 2);
    EXPECT_LE(testing_support::ColorDistance(PixelAt(*halfBack, 3, 3), RGB(128, 0, 0)), 3);

    // Disabled: grey, half transparent over white.
    auto dis = WhiteCanvas(8, 8);
    list.Draw(dis->Canvas(), 0, 0, 0, false);
    TColor c = PixelAt(*dis, 1, 1);
    EXPECT_EQ(GetRValue(c), GetGValue(c));
    EXPECT_EQ(GetGValue(c), GetBValue(c));
    EXPECT_GT(GetRValue(c), 100);
    EXPECT_EQ(PixelAt(*dis, 6, 1), clWhite);
}

TEST(ImageList, MaskedColourAndStripsAndOrder)
{
    TImageList list(4, 4);
    // A strip of three images: green, blue, and fuchsia with a green dot.
    TBitmap strip(12, 4, pf24bit);
    strip.Canvas()->Brush()->SetColor(clLime);
    strip.Canvas()->FillRect(Rect(0, 0, 4, 4));
    strip.Canvas()->Brush()->SetColor(clBlue);
    strip.Canvas()->FillRect(Rect(4, 0, 8, 4));
    strip.Canvas()->Brush()->SetColor(clFuchsia);
    strip.Canvas()->FillRect(Rect(8, 0, 12, 4));
    strip.Canvas()->SetPixels(9, 1, clLime);
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    ASSERT_EQ(list.Count(), 3);

    auto dst = WhiteCanvas(4, 4);
    list.Draw(dst->Canvas(), 0, 0, 2);
    EXPECT_EQ(PixelAt(*dst, 1, 1), clLime);
    EXPECT_EQ(PixelAt(*dst, 0, 0), clWhite) << "the mask colour is transparent";

    auto colourOf = [&](int index) {
        auto b = list.GetBitmap32(index);
        return b ? PixelAt(*b, 1, 1) : clNone;
    };
    list.Move(0, 2);   // green goes last: blue, fuchsia-dot, green
    EXPECT_EQ(colourOf(0), clBlue);
    EXPECT_EQ(colourOf(1), clLime);
    EXPECT_EQ(colourOf(2), clLime);
    EXPECT_EQ(PixelAt(*list.GetBitmap32(2), 0, 0), clLime);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);

    TIcon icon;
    list.GetIcon(1, &icon);
    EXPECT_EQ(icon.Width(), 4);
    EXPECT_EQ(list.AddIcon(&icon), 2);

    // A new size empties the list.
    list.SetSize(8, 8);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, ChangeLinksHearEveryChange)
{
    TImageList list(4, 4);
    auto img = Solid(4, 4, 1, 2, 3, 255);
    list.Add(img.get(), nullptr);
    list.Add(img.get(), nullptr);

    int heard = 0;
    TObject* sender = nullptr;
    TChangeLink link;
    link.OnChange = TNotifyEvent::FromCallable([&](TObject* s) {
        ++heard;
        sender = s;
    });
    list.RegisterChanges(&link);
    EXPECT_EQ(link.Sender(), &list);

    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"Add", [&] { list.Add(img.get(), nullptr); }},
        {"AddMasked", [&] { list.AddMasked(img.get(), clFuchsia); }},
        {"Replace", [&] { list.Replace(0, img.get(), nullptr); }},
        {"Move", [&] { list.Move(0, 1); }},
        {"Delete", [&] { list.Delete(0); }},
        {"BkColor", [&] { list.SetBkColor(clRed); }},
        {"DrawingStyle", [&] { list.SetDrawingStyle(dsTransparent); }},
        {"Clear", [&] { list.Clear(); }},
    };
    for (const auto& c : cases) {
        heard = 0;
        c.change();
        EXPECT_EQ(heard, 1) << c.what;
    }
    EXPECT_EQ(sender, &list);

    // Changes inside BeginUpdate/EndUpdate are told once, at the end.
    heard = 0;
    list.BeginUpdate();
    list.Add(img.get(), nullptr);
    list.Add(img.get(), nullptr);
    EXPECT_EQ(heard, 0);
    list.EndUpdate();
    EXPECT_EQ(heard, 1);

    list.UnRegisterChanges(&link);
    EXPECT_EQ(link.Sender(), nullptr);
    heard = 0;
    list.Clear();
    EXPECT_EQ(heard, 0);
}

TEST(ImageList, LinksAndListsMayGoInEitherOrder)
{
    auto link = std::make_unique<TChangeLink>();
    {
        TImageList list;
        list.RegisterChanges(link.get());
        {
            TChangeLink shortLived;
            list.RegisterChanges(&shortLived);
        }   // unregisters itself
        list.Clear();   // must not reach the dead link
    }
    EXPECT_EQ(link->Sender(), nullptr) << "the list let go of its links";
    link.reset();
}
