// The alpha list's smaller members under Wine: bitmaps appended with Add, an item copied into
// another through AssignTo, the change notice that rebuilds or repairs the standard list, the
// default 16 x 16 size recorded when the standard list is first built, the tint in the colour the
// skin shows, the empty "Bitmap" of every toolkit list's stored form, and the drawing colour set
// through a list that may draw characters.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/stored_form.h"
#include "skin/controls/salphaimagelist.h"
#include "skin/controls/scharimagelist.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/skin/controls/flat_bitmap.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/image_fixture.h"


namespace {

// An opaque PNG of one colour (0xRRGGBB).
std::vector<uint8_t> FlatPng(int w, int h, uint32_t colour)
{
    TPixelImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = 0xFF000000u | colour;
    return fixture::EncodePng(img, true);
}

void AddItem(TsAlphaImageList& list, const std::vector<uint8_t>& bytes, TsImageFormat format)
{
    TsImgListItem* item = list.Items()->Add();
    item->ImageFormat = format;
    item->ImgData.Write(bytes.data(), int64_t(bytes.size()));
    item->ImgData.SetPosition(0);
}

uint32_t Pixel(TBitmap* b, int x, int y)
{
    GdiFlush();
    return ReadPixel32(b, x, y);
}

// The colour bitmap of image index of a standard list, as 32-bit pixels (0xAARRGGBB).
std::vector<uint32_t> StdPixels(HIMAGELIST list, int index, int& w, int& h)
{
    std::vector<uint32_t> px;
    HICON icon = ImageList_GetIcon(list, index, ILD_NORMAL);
    if (!icon) return px;
    ICONINFO ii{};
    if (GetIconInfo(icon, &ii)) {
        BITMAP bm{};
        GetObjectW(ii.hbmColor, sizeof bm, &bm);
        w = bm.bmWidth;
        h = bm.bmHeight;
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        px.resize(size_t(w) * size_t(h));
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, ii.hbmColor, 0, UINT(h), px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    }
    DestroyIcon(icon);
    return px;
}

// A list whose change notice the tests can send.
class TNoticedList : public TsAlphaImageList {
public:
    using TsAlphaImageList::Change;
};

// The names of a stored form's top-level properties in order, and the bytes of "Bitmap".
std::vector<std::string> StoredNames(TStream& s, std::vector<uint8_t>& bitmap)
{
    using namespace StoredForm;
    std::vector<std::string> names;
    s.SetPosition(0);
    for (std::string name = ReadName(s); !name.empty(); name = ReadName(s)) {
        names.push_back(name);
        if (name == "Items" || name == "EmbeddedFonts") break;   // the collections come last
        TStoredValue v = ReadValue(s);
        if (name == "Bitmap") bitmap = v.Bytes;
    }
    return names;
}

}  // namespace

TEST(ImageListMembers, AddKeepsTheBitmapAsAnItem)
{
    struct Case {
        const char* what;
        TPixelFormat format;
        bool transparent;
        uint32_t pixel0, pixel1;   // as made: left and right pixel (0xAARRGGBB for 32 bits)
        uint32_t want0, want1;     // as the item draws them
    } cases[] = {
        {"32 bits keep their alpha", pf32bit, false, 0x80FF0000, 0xFF00FF00, 0x80FF0000, 0xFF00FF00},
        {"24 bits become opaque", pf24bit, false, 0x00FF0000, 0x0000FF00, 0xFFFF0000, 0xFF00FF00},
        {"24 bits, transparent: the transparent colour is left out", pf24bit, true, 0x000000FF, 0x0000FF00,
         0x000000FF, 0xFF00FF00},
    };
    for (const Case& c : cases) {
        TsAlphaImageList list;
        list.SetSize(2, 1);
        TBitmap bmp(2, 1, pf32bit);
        WritePixel32(&bmp, 0, 0, c.pixel0);
        WritePixel32(&bmp, 1, 0, c.pixel1);
        bmp.PixelsChanged();
        if (c.format != pf32bit) bmp.SetPixelFormat(c.format);
        if (c.transparent) {
            bmp.SetTransparent(true);
            bmp.SetTransparentColor(TColor(0xFF0000));   // blue as a TColor
        }
        EXPECT_EQ(list.Add(&bmp, nullptr), 0) << c.what;
        ASSERT_EQ(list.Items()->Count(), 1) << c.what;
        TsImgListItem* item = list.Items()->Items(0);
        EXPECT_EQ(item->ImageFormat, ifBMP32) << c.what;
        EXPECT_EQ(item->PixelFormat, pf32bit) << c.what;
        EXPECT_EQ(item->OrigWidth, 2) << c.what;
        EXPECT_EQ(item->OrigHeight, 1) << c.what;
        EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1) << c.what;
        std::unique_ptr<TBitmap> drawn(list.CreateBitmap32(0, 2, 1, 0));
        ASSERT_TRUE(drawn) << c.what;
        EXPECT_EQ(Pixel(drawn.get(), 0, 0), c.want0) << c.what;
        EXPECT_EQ(Pixel(drawn.get(), 1, 0), c.want1) << c.what;
        EXPECT_EQ(list.Add(&bmp, nullptr), 1) << c.what << ": the next index";
    }

    TsAlphaImageList list;
    TBitmap empty;
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    EXPECT_EQ(list.Add(&empty, nullptr), -1);
    EXPECT_EQ(list.Items()->Count(), 0);
}

TEST(ImageListMembers, ItemAssignedToAnotherItem)
{
    TsAlphaImageList a, b;
    a.SetSize(4, 4);
    b.SetSize(4, 4);
    const std::vector<uint8_t> red = FlatPng(4, 4, 0xFF0000), green = FlatPng(4, 4, 0x00FF00);
    AddItem(a, red, ifPNG);
    AddItem(b, green, ifPNG);
    a.GenerateStdList();
    b.GenerateStdList();
    TsImgListItem* src = a.Items()->Items(0);
    TsImgListItem* dst = b.Items()->Items(0);
    src->ImageName = L"alarm";
    src->Text = L"shown on a fault";
    src->PixelFormat = pf24bit;
    // A rendition of the green image is cached in the destination.
    std::unique_ptr<TBitmap>(b.CreateBitmap32(0, 4, 4, 0));
    ASSERT_TRUE(dst->CacheBmp);
    src->ImgData.SetPosition(3);

    // A persistent that does not know the source hands the copy to it.
    dst->TPersistent::Assign(src);
    EXPECT_EQ(dst->ImgData.Bytes(), red);
    EXPECT_EQ(dst->ImageName, L"alarm");
    EXPECT_EQ(dst->Text, L"shown on a fault");
    EXPECT_EQ(dst->PixelFormat, pf24bit);
    EXPECT_EQ(dst->ImageFormat, ifPNG);
    EXPECT_EQ(src->ImgData.Position(), 0);
    EXPECT_EQ(dst->ImgData.Position(), 0);
    EXPECT_FALSE(dst->CacheBmp) << "the green rendition is not this image";
    std::unique_ptr<TBitmap> drawn(b.CreateBitmap32(0, 4, 4, 0));
    ASSERT_TRUE(drawn);
    EXPECT_EQ(Pixel(drawn.get(), 1, 1), 0xFFFF0000u);

    // Into itself nothing is lost.
    src->TPersistent::Assign(src);
    EXPECT_EQ(src->ImgData.Bytes(), red);
    src->Assign(src);
    EXPECT_EQ(src->ImgData.Bytes(), red);

    // Anything that is no item gets the assignment error.
    TStringList foreign;
    EXPECT_THROW(foreign.Assign(src), EConvertError);
    EXPECT_THROW(dst->Assign(nullptr), EConvertError);
    EXPECT_EQ(dst->ImgData.Bytes(), red);
}

TEST(ImageListMembers, ImagesPutIntoTheStandardListDirectlyBecomeItemsAndTheListIsRebuilt)
{
    TNoticedList list;
    list.SetSize(16, 16);
    std::unique_ptr<TBitmap> blue = flat_bitmap::FlatBitmap32(16, 16, 0x0000FF);
    HICON icon = IconFromBitmap32(blue.get());
    {
        TIcon first;
        first.SetHandle(CopyIcon(icon));
        TMemoryStream s;
        first.SaveToStream(s);
        AddItem(list, s.Bytes(), ifICO);
    }
    list.GenerateStdList();
    ASSERT_EQ(ImageList_GetImageCount(list.Handle()), 1);
    // A platform call adds an image behind the items' back.
    ImageList_ReplaceIcon(list.Handle(), -1, icon);
    DestroyIcon(icon);
    list.Change();
    EXPECT_EQ(list.Items()->Count(), 2);
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2) << "rebuilt from the two items, not added to";
    EXPECT_EQ(list.GetCount(), 2);
    std::unique_ptr<TBitmap> second(list.CreateBitmap32(1, 16, 16, 0));
    ASSERT_TRUE(second);
    EXPECT_EQ(Pixel(second.get(), 8, 8) & 0x00FFFFFFu, 0x0000FFu);
}

TEST(ImageListMembers, AListWithoutItemsRepairsImagesThatHaveNoAlpha)
{
    TNoticedList list;
    list.DoubleData = false;   // the standard list is the only image store
    list.SetSize(4, 4);
    AddItem(list, FlatPng(4, 4, 0x00FF00), ifPNG);
    list.GenerateStdList();
    ASSERT_EQ(list.Items()->Count(), 0);
    ASSERT_TRUE(list.StdListIsGenerated);

    // An image without any alpha, one pixel of it the key colour.
    TBitmap noAlpha(4, 4, pf32bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) WritePixel32(&noAlpha, x, y, 0x00203040);
    WritePixel32(&noAlpha, 0, 0, 0x00FF00FF);
    noAlpha.PixelsChanged();
    ASSERT_EQ(ImageList_Add(list.Handle(), noAlpha.Handle(), nullptr), 1);
    int w = 0, h = 0;
    std::vector<uint32_t> before = StdPixels(list.Handle(), 1, w, h);
    ASSERT_EQ(before.size(), 16u);
    bool anyAlpha = false;
    for (uint32_t p : before) anyAlpha = anyAlpha || (p >> 24) != 0;
    if (anyAlpha) GTEST_SKIP() << "this system's list gave the image an alpha channel itself";

    list.Change();
    std::vector<uint32_t> after = StdPixels(list.Handle(), 1, w, h);
    ASSERT_EQ(after.size(), 16u);
    EXPECT_EQ(after[0] >> 24, 0u) << "the key colour stays transparent";
    EXPECT_EQ(after[5], 0xFF203040u);
    EXPECT_EQ(after[15], 0xFF203040u);
    // The PNG's image had alpha and is left as it was.
    std::vector<uint32_t> png = StdPixels(list.Handle(), 0, w, h);
    ASSERT_EQ(png.size(), 16u);
    EXPECT_EQ(png[5], 0xFF00FF00u);
}

TEST(ImageListMembers, DefaultSizeIsRecordedWhenTheStandardListIsFirstBuilt)
{
    struct Case {
        const char* what;
        bool storedForm;
    } cases[] = {{"built at run time", false}, {"read from the stored form", true}};
    for (const Case& c : cases) {
        TsAlphaImageList list;   // left at 16 x 16: no side was ever set
        ASSERT_EQ(list.SavedHeight, 0) << c.what;
        AddItem(list, FlatPng(16, 16, 0xFF0000), ifPNG);
        if (c.storedForm) {
            TMemoryStream s;
            list.WriteToStream(s);
            s.SetPosition(0);
            list.ReadFromStream(s);
        } else {
            list.GenerateStdList();
        }
        EXPECT_EQ(list.SavedWidth, 16) << c.what;
        EXPECT_EQ(list.SavedHeight, 16) << c.what;
        EXPECT_TRUE(list.StdListIsGenerated) << c.what;
        EXPECT_FALSE(list.AcChanging) << c.what << ": no batch is left open";
        EXPECT_EQ(list.Items()->Count(), 1) << c.what;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list.Handle(), &cx, &cy);
        EXPECT_EQ(cx, 16) << c.what;
        EXPECT_EQ(cy, 16) << c.what;
        EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1) << c.what;
    }

    // A list made and filled in code before its owner finishes loading keeps drawing its images
    // after the owner's loading ends.
    for (int side : {16, 24}) {
        TsAlphaImageList filled;
        filled.SetSize(side, side);
        AddItem(filled, FlatPng(side, side, 0x0000FF), ifPNG);
        filled.GenerateStdList();
        filled.Loaded();
        EXPECT_EQ(ImageList_GetImageCount(filled.Handle()), 1) << side;
        std::unique_ptr<TBitmap> drawn(filled.CreateBitmap32(0, side, side, 0));
        ASSERT_TRUE(drawn) << side;
        EXPECT_EQ(Pixel(drawn.get(), 3, 3), 0xFF0000FFu) << side;
    }

    // A list in use that reads a stored form builds its standard list from what it read.
    TsAlphaImageList used;
    used.SetSize(8, 8);
    AddItem(used, FlatPng(8, 8, 0x00FF00), ifPNG);
    used.GenerateStdList();
    TsAlphaImageList other;
    other.SetSize(8, 8);
    AddItem(other, FlatPng(8, 8, 0x0000FF), ifPNG);
    AddItem(other, FlatPng(8, 8, 0xFF0000), ifPNG);
    TMemoryStream s;
    other.WriteToStream(s);
    s.SetPosition(0);
    used.ReadFromStream(s);
    EXPECT_EQ(ImageList_GetImageCount(used.Handle()), 2);
    std::unique_ptr<TBitmap> second(used.CreateBitmap32(1, 8, 8, 0));
    ASSERT_TRUE(second);
    EXPECT_EQ(Pixel(second.get(), 4, 4), 0xFFFF0000u);
}

TEST(ImageListMembers, TintIsTheColourTheSkinShows)
{
    TManagerPtr manager = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(manager->IsActive());
    const uint32_t main = SwapRedBlue(uint32_t(fixture_skin::MainColor));
    auto scaled = [](uint32_t rgb) {
        return 0xFF000000u | ((rgb >> 16 & 0xFF) * 255 / 256) << 16 | ((rgb >> 8 & 0xFF) * 255 / 256) << 8 |
               (rgb & 0xFF) * 255 / 256;
    };
    struct Case {
        const char* what;
        TColor blend;
        uint32_t want;
    } cases[] = {
        {"no tint", clNone, 0xFFFFFFFF},
        {"a plain colour", TColor(0x0000FF), scaled(0xFF0000)},
        {"the button face: the skin's main colour", clBtnFace, scaled(main)},
    };
    for (const Case& c : cases) {
        TsAlphaImageList list;
        list.SetSize(4, 4);
        list.SetBlendColor(c.blend);
        AddItem(list, FlatPng(4, 4, 0xFFFFFF), ifPNG);
        list.GenerateStdList();
        std::unique_ptr<TBitmap> drawn(list.CreateBitmap32(0, 4, 4, 0));
        ASSERT_TRUE(drawn) << c.what;
        EXPECT_EQ(Pixel(drawn.get(), 2, 2), c.want) << c.what;
    }
}

TEST(ImageListMembers, EveryToolkitListStoresAnEmptyStandardListAsBitmap)
{
    TMemoryStream empty;
    TacImageList::WriteData(empty);
    ASSERT_GE(empty.Size(), 2);
    EXPECT_EQ(empty.Memory()[0], 'I');
    EXPECT_EQ(empty.Memory()[1], 'L');

    TsAlphaImageList alpha;
    alpha.SetSize(16, 16);
    AddItem(alpha, FlatPng(16, 16, 0xFF0000), ifPNG);
    alpha.GenerateStdList();
    TsCharImageList chars;
    TacCharItemData star;
    star.Char = 0xF005;
    chars.AddItem(star);
    struct Case {
        const char* what;
        std::function<void(TStream&)> write;
        std::function<void(TStream&)> read;
        std::vector<std::string> names;
    } cases[] = {
        {"alpha list", [&](TStream& s) { alpha.WriteToStream(s); },
         [](TStream& s) { TsAlphaImageList back; back.ReadFromStream(s); EXPECT_EQ(back.Items()->Count(), 1); },
         {"Height", "Width", "Bitmap", "Items"}},
        {"character list", [&](TStream& s) { chars.WriteToStream(s); },
         [](TStream& s) { TsCharImageList back; back.ReadFromStream(s); EXPECT_EQ(back.Items()->Count(), 1); },
         {"Height", "Width", "Bitmap", "EmbeddedFonts"}},
    };
    for (const Case& c : cases) {
        TMemoryStream s;
        c.write(s);
        std::vector<uint8_t> bitmap;
        EXPECT_EQ(StoredNames(s, bitmap), c.names) << c.what;
        EXPECT_EQ(bitmap, empty.Bytes()) << c.what;
        s.SetPosition(0);
        c.read(s);
        EXPECT_EQ(s.Position(), s.Size()) << c.what;
    }
}

TEST(ImageListMembers, ForwardedCharColour)
{
    TsCharImageList chars;
    TacCharItemData own, plain;
    own.Char = plain.Char = 0xF005;
    own.Color = TColor(0x0000FF);
    chars.AddItem(own);
    chars.AddItem(plain);
    struct Case {
        const char* what;
        int index;
        bool ignoreDefault;
        TColor want;
    } cases[] = {
        {"item with its own colour", 0, false, TColor(0x0000FF)},
        {"its own colour ignored", 0, true, TColor(0x00FF00)},
        {"item without a colour", 1, false, TColor(0x00FF00)},
        {"no item", -1, false, TColor(0x00FF00)},
    };
    for (const Case& c : cases) {
        chars.ForeColor = clNone;
        SetForwardedCharColor(&chars, TColor(0x00FF00), c.index, c.ignoreDefault);
        EXPECT_EQ(chars.ForeColor, c.want) << c.what;
    }
    // A list that draws no characters is left alone.
    TsAlphaImageList alpha;
    SetForwardedCharColor(&alpha, TColor(0x00FF00), 0, false);
    EXPECT_EQ(alpha.ForeColor, clNone);
    SetForwardedCharColor(nullptr, TColor(0x00FF00), 0, false);
}

TEST(ImageListMembers, StoredPixelsAreReadBackWithTheirAlpha)
{
    TBitmap b(3, 1, pf32bit);
    const uint32_t pixels[] = {0x00000000u, 0x80FF8040u, 0xFFFFFFFFu};
    for (int x = 0; x < 3; ++x) StorePixel32(&b, x, 0, pixels[x]);
    GdiFlush();
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(ReadPixel32(&b, x, 0), pixels[x]) << x;
        EXPECT_EQ(static_cast<const uint32_t*>(b.ScanLine(0))[x], pixels[x]) << x;
    }
}
