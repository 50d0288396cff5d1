// The toolkit's image lists under Wine: the registry, state cells drawn pixel-exact, image sizes
// at a PPI, icons made from odd bitmaps, the cache (one decode per size), drawing at 120 PPI, a
// bad image that neither becomes an item nor stops the list, the messages of failed loads, and
// the stored form read back, one alpha list assigned from another.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "skin/controls/salphaimagelist.h"
#include "skin/engine/message_box.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/flat_bitmap.h"
#include "tests/skin/engine/image_fixture.h"

namespace {

constexpr uint32_t Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;

// An opaque PNG w x h whose width is cut into cells of the given colours (0xRRGGBB).
std::vector<uint8_t> StripPng(int w, int h, std::vector<uint32_t> colours)
{
    TPixelImage img(w, h);
    const int cell = w / int(colours.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.At(x, y) = 0xFF000000u | colours[size_t(std::min(x / cell, int(colours.size()) - 1))];
    return fixture::EncodePng(img, true);
}

// A one-image icon file w x h of one opaque colour.
std::vector<uint8_t> IconFile(int w, int h, uint32_t colour)
{
    std::unique_ptr<TBitmap> b = flat_bitmap::FlatBitmap32(w, h, colour);
    TIcon icon;
    icon.SetHandle(IconFromBitmap32(b.get()));
    TMemoryStream s;
    icon.SaveToStream(s);
    return s.Bytes();
}

std::unique_ptr<TBitmap> WhiteBitmap(int w, int h)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(w, h));
    FillRectAlpha32(b.get(), TRect(0, 0, w, h), 0xFFFFFF, 255);
    return b;
}

using flat_bitmap::Near;
using flat_bitmap::Rgb;

void AddItem(TsAlphaImageList& list, const std::vector<uint8_t>& bytes, TsImageFormat format)
{
    TsImgListItem* item = list.Items()->Add();
    item->ImageFormat = format;
    item->ImgData.Write(bytes.data(), int64_t(bytes.size()));
    item->ImgData.SetPosition(0);
}

struct TLogCatcher {
    std::vector<String> Lines;
    TLogCatcher() { TsAlphaImageList::Log = [this](const String& s) { Lines.push_back(s); }; }
    ~TLogCatcher() { TsAlphaImageList::Log = nullptr; }
};

struct TBoxCatcher {
    std::vector<TacMessageBoxRequest> Boxes;
    TBoxCatcher()
    {
        SetMessageBoxHandler([this](const TacMessageBoxRequest& r) {
            Boxes.push_back(r);
            return IDOK;
        });
    }
    ~TBoxCatcher() { SetMessageBoxHandler(nullptr); }
};

}  // namespace

TEST(ImageList, RegistryHoldsLiveListsInCreationOrder)
{
    auto a = std::make_unique<TsAlphaImageList>();
    auto b = std::make_unique<TsAlphaImageList>();
    std::vector<TacImageList*> seen;
    ForEachImageList([&](TacImageList* l) {
        if (l == a.get() || l == b.get()) seen.push_back(l);
    });
    EXPECT_EQ(seen, (std::vector<TacImageList*>{a.get(), b.get()}));
    TacImageList* gone = a.get();
    a.reset();
    for (TacImageList* l : ImageListRegistry()) EXPECT_NE(l, gone);
}

TEST(ImageList, StateCellsDrawnAtTheirPlaces)
{
    TsAlphaImageList list;
    list.SetSize(48, 16);
    const std::vector<uint8_t> png = StripPng(48, 16, {Red, Green, Blue});
    ASSERT_EQ(list.AddPng(png.data(), png.size()), 0);
    struct Span {
        int from, to;   // inclusive
        uint32_t colour;
    };
    struct Case {
        const char* what;
        int state, count;
        TSize size;
        std::vector<Span> spans;
    } cases[] = {
        {"no state count: the whole strip", 0, 0, {48, 16},
         {{19, 19, White}, {20, 35, Red}, {36, 51, Green}, {52, 67, Blue}, {68, 68, White}}},
        {"second of three", 1, 3, {16, 16}, {{19, 19, White}, {20, 35, Green}, {36, 36, White}}},
        {"state 5 of 3: the last cell", 5, 3, {16, 16}, {{19, 19, White}, {20, 35, Blue}, {36, 36, White}}},
        {"state -1: the first cell a cell further left", -1, 3, {16, 16},
         {{3, 3, White}, {4, 19, Red}, {20, 36, White}}},
    };
    for (const Case& c : cases) {
        auto bmp = WhiteBitmap(100, 20);
        const TSize size = DrawImageListItem32(&list, bmp.get(), 20, 2, 0, 0, clNone, c.state, c.count, false, 96);
        EXPECT_EQ(size, c.size) << c.what;
        for (const Span& s : c.spans)
            for (int x = s.from; x <= s.to; ++x) {
                EXPECT_EQ(Rgb(bmp.get(), x, 10), s.colour) << c.what << " at x " << x;
                if (Rgb(bmp.get(), x, 10) != s.colour) break;
            }
        EXPECT_EQ(Rgb(bmp.get(), 25, 1), White) << c.what << ": above the cell";
        EXPECT_EQ(Rgb(bmp.get(), 25, 18), White) << c.what << ": below the cell";
    }
}

TEST(ImageList, SizesAtAPPI)
{
    TImageList plain;
    plain.SetSize(16, 16);
    TsAlphaImageList alpha;
    alpha.SetSize(16, 12);
    struct Case {
        const char* what;
        TCustomImageList* list;
        int ppi, w, h;
    } cases[] = {
        {"plain at 144", &plain, 144, 24, 24},
        {"plain at 96", &plain, 96, 16, 16},
        {"alpha at 120", &alpha, 120, 20, 15},
        {"none", nullptr, 144, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImageWidthAt(c.list, 0, c.ppi), c.w) << c.what;
        EXPECT_EQ(ImageHeightAt(c.list, -1, c.ppi), c.h) << c.what;
    }
    EXPECT_EQ(ImageCountOf(nullptr), 0);
}

TEST(ImageList, AddAsIconFromOddBitmaps)
{
    TImageList list;
    list.SetColorDepth(cd32Bit);
    list.SetMasked(false);
    list.SetSize(16, 16);
    // Too thin to resample: an all but invisible square keeps the index in step.
    std::unique_ptr<TBitmap> thin(NewBitmap32(1, 5));
    FillRectAlpha32(thin.get(), TRect(0, 0, 1, 5), 0x0000FF, 255);
    AddAsIcon(&list, thin.get(), -1);
    ASSERT_EQ(list.Count(), 1);
    std::unique_ptr<TBitmap> got = list.GetBitmap32(0);
    ASSERT_TRUE(got);
    for (int y = 0; y < 16; y += 5)
        for (int x = 0; x < 16; x += 5) EXPECT_EQ(BitmapView(got.get()).At(x, y) >> 24, 1u) << x << "," << y;

    // A list of 26 x 24 keeps the icon's picture square through its own scaling: a 26 x 24 image
    // of the list's size is used as it is.
    TImageList wide;
    wide.SetColorDepth(cd32Bit);
    wide.SetMasked(false);
    wide.SetSize(26, 24);
    std::unique_ptr<TBitmap> big(NewBitmap32(52, 48));
    FillRectAlpha32(big.get(), TRect(0, 0, 52, 48), 0x00FF00, 255);
    AddAsIcon(&wide, big.get(), -1);
    ASSERT_EQ(wide.Count(), 1);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(wide.Handle(), &cx, &cy);
    EXPECT_EQ(cx, 26);
    EXPECT_EQ(cy, 24);
    std::unique_ptr<TBitmap> g = wide.GetBitmap32(0);
    ASSERT_TRUE(g);
    EXPECT_EQ(BitmapView(g.get()).At(13, 12) & 0x00FFFFFFu, 0x00FF00u);
    AddAsIcon(&wide, nullptr, -1);
    EXPECT_EQ(wide.Count(), 1);
}

TEST(ImageList, OneDecodePerSize)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> png = StripPng(32, 32, {Red});
    list.AddPng(png.data(), png.size());
    struct Step {
        const char* what;
        int size;
        bool create;   // CreateBitmap32, else GetBitmap32 into a bitmap of the size
        int decodes;
    } steps[] = {
        {"first at the list's size", 16, true, 1},
        {"again: from the cache", 16, true, 0},
        {"another size replaces the cache", 20, true, 1},
        {"that size again", 20, true, 0},
        {"back to the list's size", 16, true, 1},
        {"into a bitmap of the list's size: cached", 16, false, 0},
        {"into a bitmap of another size", 24, false, 1},
        {"that size again: it kept no cache", 24, false, 1},
    };
    for (const Step& s : steps) {
        const int before = TsAlphaImageList::Decodes;
        if (s.create) {
            std::unique_ptr<TBitmap> b(list.CreateBitmap32(0, s.size, s.size, 0));
            ASSERT_TRUE(b) << s.what;
            EXPECT_EQ(b->Width(), s.size) << s.what;
            EXPECT_PRED3(Near, Rgb(b.get(), s.size / 2, s.size / 2), Red, 4) << s.what;
        } else {
            std::unique_ptr<TBitmap> b(NewBitmap32(s.size, s.size));
            EXPECT_TRUE(list.GetBitmap32(0, b.get(), 0)) << s.what;
            EXPECT_PRED3(Near, Rgb(b.get(), s.size / 2, s.size / 2), Red, 4) << s.what;
        }
        EXPECT_EQ(TsAlphaImageList::Decodes - before, s.decodes) << s.what;
    }
    EXPECT_EQ(list.CreateBitmap32(1, 16, 16, 0), nullptr);
}

TEST(ImageList, DrawsPngScaledAndIconsUnscaledAt120PPI)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> png = StripPng(32, 32, {Red});
    list.AddPng(png.data(), png.size());
    list.AcBeginUpdate();
    AddItem(list, IconFile(16, 16, Green), ifICO);
    list.AcEndUpdate(true);
    ASSERT_EQ(list.Count(), 2);
    SetImageListPPI(&list, 120);
    struct Case {
        const char* what;
        int index, size;
        uint32_t colour;
    } cases[] = {{"png: 16 x 120 div 96", 0, 20, Red}, {"icon: the list's own size", 1, 16, Green}};
    for (const Case& c : cases) {
        auto bmp = WhiteBitmap(40, 40);
        list.Draw(bmp->Canvas(), 4, 4, c.index, true);
        EXPECT_PRED3(Near, Rgb(bmp.get(), 4, 4), c.colour, 8) << c.what;
        EXPECT_PRED3(Near, Rgb(bmp.get(), 3 + c.size, 3 + c.size), c.colour, 8) << c.what;
        EXPECT_EQ(Rgb(bmp.get(), 4 + c.size, 10), White) << c.what;
        EXPECT_EQ(Rgb(bmp.get(), 10, 4 + c.size), White) << c.what;
        EXPECT_EQ(Rgb(bmp.get(), 3, 3), White) << c.what;
    }
    SetImageListPPI(&list, 96);
}

TEST(ImageList, BadImageIsNeverAnItemAndNeverStopsTheList)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> red = StripPng(16, 16, {Red}), blue = StripPng(16, 16, {Blue});
    list.AddPng(red.data(), red.size());
    list.AddPng(blue.data(), blue.size());
    std::vector<uint8_t> corrupt = red;
    corrupt.resize(40);   // signature and header, then nothing

    TBoxCatcher boxes;
    TMemoryStream s;
    s.Write(corrupt.data(), int64_t(corrupt.size()));
    s.SetPosition(0);
    EXPECT_FALSE(list.TryLoadFromPngStream(s));
    s.SetPosition(0);
    list.LoadFromPngStream(s);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Cannot load from stream\r\nInvalid or unexpected image format.");
    EXPECT_EQ(list.Items()->Count(), 2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.AddPng(corrupt.data(), corrupt.size()), EInvalidGraphic);
    EXPECT_EQ(list.Items()->Count(), 2);
    for (auto [index, colour] : {std::pair{0, Red}, std::pair{1, Blue}}) {
        auto bmp = WhiteBitmap(20, 20);
        DrawImageListItem32(&list, bmp.get(), 2, 2, index, 0, clNone, 0, 1, false, 96);
        EXPECT_EQ(Rgb(bmp.get(), 10, 10), colour) << index;
    }

    // An item whose bytes do not decode (stored that way) is skipped and reported; the list
    // still rebuilds and leaves its batch.
    TLogCatcher log;
    AddItem(list, corrupt, ifPNG);
    list.GenerateStdList();
    EXPECT_FALSE(list.AcChanging);
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_EQ(list.Count(), 3);
    list.GenerateStdList();
    EXPECT_FALSE(list.AcChanging);
    auto bmp = WhiteBitmap(20, 20);
    DrawImageListItem32(&list, bmp.get(), 2, 2, 2, 0, clNone, 0, 1, false, 96);
    EXPECT_EQ(Rgb(bmp.get(), 10, 10), White);
    DrawImageListItem32(&list, bmp.get(), 2, 2, 1, 0, clNone, 0, 1, false, 96);
    EXPECT_EQ(Rgb(bmp.get(), 10, 10), Blue);
}

TEST(ImageList, FilesByTheirFirstBytes)
{
    const String dir = testing_support::MakeTempDir(L"image_list_files");
    auto write = [&](const wchar_t* name, const std::vector<uint8_t>& bytes) {
        const String path = dir + L"\\" + name;
        TMemoryStream s;
        s.Write(bytes.data(), int64_t(bytes.size()));
        s.SaveToFile(path);
        return path;
    };
    const String logo = write(L"logo.png", StripPng(16, 16, {Green}));
    const String photo = write(L"photo.png", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1});
    TsAlphaImageList list;
    list.SetSize(16, 16);
    EXPECT_TRUE(list.TryLoadFromFile(logo));
    ASSERT_EQ(list.Items()->Count(), 1);
    EXPECT_EQ(list.Items()->Items(0)->ImageName, L"logo");
    EXPECT_EQ(list.Items()->Items(0)->OrigWidth, 16);

    TBoxCatcher boxes;
    EXPECT_FALSE(list.TryLoadFromFile(photo));
    list.LoadFromFile(photo);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Cannot load " + photo + L"\r\nInvalid or unexpected image format.");
    EXPECT_EQ(boxes.Boxes[0].Style & MB_ICONMASK, UINT(MB_ICONERROR));
    EXPECT_EQ(list.Items()->Count(), 1);
}

TEST(ImageList, StoredFormReadsBack)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> png = StripPng(16, 16, {Red});
    const std::vector<uint8_t> ico = IconFile(16, 16, Green);
    list.AddPng(png.data(), png.size());
    list.AcBeginUpdate();
    AddItem(list, ico, ifICO);
    list.Items()->Items(1)->ImageName = L"online";
    list.Items()->Items(1)->Text = L"shown when connected";
    list.AcEndUpdate(true);

    TMemoryStream empty;
    TsAlphaImageList::WriteData(empty);
    ASSERT_GE(empty.Size(), 4);
    EXPECT_EQ(empty.Memory()[0], 'I');
    EXPECT_EQ(empty.Memory()[1], 'L');
    EXPECT_EQ(empty.Size(), 150);

    TMemoryStream stored;
    list.WriteToStream(stored);
    stored.SetPosition(0);
    TsAlphaImageList back;
    back.ReadFromStream(stored);
    EXPECT_EQ(stored.Position(), stored.Size());
    ASSERT_EQ(back.Items()->Count(), 2);
    EXPECT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Width(), 16);
    EXPECT_EQ(back.Items()->Items(0)->ImgData.Bytes(), png);
    EXPECT_EQ(back.Items()->Items(1)->ImgData.Bytes(), ico);
    EXPECT_EQ(back.Items()->Items(1)->ImageFormat, ifICO);
    EXPECT_EQ(back.Items()->Items(1)->ImageName, L"online");
    EXPECT_EQ(back.Items()->Items(1)->Text, L"shown when connected");
    for (auto [index, colour] : {std::pair{0, Red}, std::pair{1, Green}}) {
        auto bmp = WhiteBitmap(20, 20);
        DrawImageListItem32(&back, bmp.get(), 2, 2, index, 0, clNone, 0, 1, false, 96);
        EXPECT_EQ(Rgb(bmp.get(), 10, 10), colour) << index;
    }

    // A stored item without bytes loads as an empty item, drawn from the standard list.
    TMemoryStream s2;
    TsAlphaImageList withEmpty;
    withEmpty.SetSize(16, 16);
    withEmpty.Items()->Add();
    withEmpty.WriteToStream(s2);
    s2.SetPosition(0);
    TsAlphaImageList back2;
    back2.ReadFromStream(s2);
    ASSERT_EQ(back2.Items()->Count(), 1);
    EXPECT_EQ(back2.Items()->Items(0)->ImgData.Size(), 0);
}

TEST(ImageList, DeletingAnItemRemovesItsStandardImage)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> red = StripPng(16, 16, {Red}), blue = StripPng(16, 16, {Blue});
    list.AddPng(red.data(), red.size());
    list.AddPng(blue.data(), blue.size());
    list.Delete(0);
    EXPECT_EQ(list.Items()->Count(), 1);
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 1);
    auto bmp = WhiteBitmap(20, 20);
    list.Draw(bmp->Canvas(), 2, 2, 0, true);
    EXPECT_EQ(Rgb(bmp.get(), 10, 10), Blue);
}

TEST(ImageList, CopiesAndReplacements)
{
    TsAlphaImageList source;
    source.SetSize(16, 16);
    for (uint32_t c : {Red, Green, Blue}) {
        const std::vector<uint8_t> png = StripPng(16, 16, {c});
        source.AddPng(png.data(), png.size());
    }
    TsAlphaImageList list;
    list.SetSize(16, 16);
    EXPECT_EQ(list.AddImage(&source, 2), 1);
    EXPECT_EQ(list.AddImage(&source, 3), -1);
    ASSERT_EQ(list.Items()->Count(), 1);
    EXPECT_EQ(list.Items()->Items(0)->ImgData.Bytes(), source.Items()->Items(2)->ImgData.Bytes());
    EXPECT_EQ(source.Items()->Items(2)->ImgData.Position(), 0);
    auto drawn = [&](TsAlphaImageList& l, int index) {
        auto bmp = WhiteBitmap(20, 20);
        DrawImageListItem32(&l, bmp.get(), 2, 2, index, 0, clNone, 0, 1, false, 96);
        return Rgb(bmp.get(), 10, 10);
    };
    EXPECT_EQ(drawn(list, 0), Blue);

    TsAlphaImageList copy;
    copy.SetSize(16, 16);
    copy.CopyImages(&source);
    ASSERT_EQ(copy.Items()->Count(), 3);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_EQ(drawn(copy, 1), Green);

    // A 24-bit replacement is kept as a bitmap file and drawn opaque.
    TBitmap yellow;
    yellow.SetPixelFormat(pf24bit);
    yellow.SetSize(16, 16);
    yellow.Canvas()->Brush()->SetColor(TColor(0x00FFFF));
    yellow.Canvas()->FillRect(TRect(0, 0, 16, 16));
    copy.Replace(1, &yellow);
    EXPECT_EQ(copy.Items()->Items(1)->ImageFormat, ifBMP32);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_EQ(drawn(copy, 1), 0xFFFF00u);
    EXPECT_EQ(drawn(copy, 2), Blue);
}

namespace {

// An alpha list whose AssignTo can be called directly (Assign of an alpha list never reaches it).
class TOpenAlphaList : public TsAlphaImageList {
public:
    using TsAlphaImageList::AssignTo;
};

}  // namespace

// One alpha list takes over another: its size (the standard list made anew at it), settings,
// blend colour and items with their files; the source stays as it was. Nothing frees the list.
TEST(ImageList, AssignedFromAnotherAlphaList)
{
    struct Way {
        const char* what;
        void (*assign)(TOpenAlphaList& from, TsAlphaImageList& to);
    } ways[] = {
        {"Assign", [](TOpenAlphaList& from, TsAlphaImageList& to) { to.Assign(&from); }},
        {"AssignTo", [](TOpenAlphaList& from, TsAlphaImageList& to) { from.AssignTo(&to); }},
    };
    for (const Way& w : ways) {
        TOpenAlphaList source;
        source.SetSize(24, 24);
        source.SetMasked(false);   // (empties the standard list: set before the items)
        source.SetDrawingStyle(dsSelected);
        for (uint32_t c : {Red, 0x102030u}) {   // a bright and a dark one: told apart when tinted
            const std::vector<uint8_t> png = StripPng(24, 24, {c});
            source.AddPng(png.data(), png.size());
        }
        // The items are drawn tinted with it, as the source draws them.
        source.SetBlendColor(TColor(0x123456));
        TsAlphaImageList list;
        list.SetSize(16, 16);
        const std::vector<uint8_t> blue = StripPng(16, 16, {Blue});
        list.AddPng(blue.data(), blue.size());
        std::unique_ptr<TBitmap> before(list.CreateBitmap32(0, 16, 16, 0));   // a cache of the old item
        w.assign(source, list);

        EXPECT_EQ(list.Width(), 24) << w.what;
        EXPECT_EQ(list.Height(), 24) << w.what;
        int cx = 0, cy = 0;
        ASSERT_TRUE(list.HandleAllocated()) << w.what;
        ImageList_GetIconSize(list.Handle(), &cx, &cy);
        EXPECT_EQ(TSize(cx, cy), TSize(24, 24)) << w.what;
        EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2) << w.what;
        ASSERT_EQ(list.Items()->Count(), 2) << w.what;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(list.Items()->Items(i)->ImgData.Bytes(), source.Items()->Items(i)->ImgData.Bytes()) << w.what;
        EXPECT_EQ(list.BlendColor(), TColor(0x123456)) << w.what;
        EXPECT_EQ(list.DrawingStyle(), dsSelected) << w.what;
        EXPECT_FALSE(list.Masked()) << w.what;
        uint32_t drawn[2] = {};
        for (int index : {0, 1}) {
            std::unique_ptr<TBitmap> b(list.CreateBitmap32(index, 24, 24, 0));
            std::unique_ptr<TBitmap> own(source.CreateBitmap32(index, 24, 24, 0));
            ASSERT_TRUE(b && own) << w.what;
            drawn[index] = Rgb(b.get(), 12, 12);
            EXPECT_EQ(drawn[index], Rgb(own.get(), 12, 12)) << w.what;
            EXPECT_NE(drawn[index], Blue) << w.what;
        }
        EXPECT_NE(drawn[0], drawn[1]) << w.what;
        EXPECT_EQ(source.Items()->Count(), 2) << w.what;
        EXPECT_EQ(ImageList_GetImageCount(source.Handle()), 2) << w.what;

        list.Assign(nullptr);
        EXPECT_FALSE(list.HandleAllocated()) << w.what;
    }
}

// GetBitmap32 keeps at most one rendition per item: one of another size than asked is freed.
TEST(ImageList, GetBitmap32DropsARenditionOfAnotherSize)
{
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> png = StripPng(32, 32, {Red});
    list.AddPng(png.data(), png.size());
    struct Step {
        const char* what;
        int size;
        bool create;     // CreateBitmap32, else GetBitmap32 into a bitmap of the size
        int decodes, cached;   // cached: the size of the item's cache afterwards, 0 for none
    } steps[] = {
        {"created at 20: kept", 20, true, 1, 20},
        {"into 24: the 20 is dropped, 24 not kept", 24, false, 1, 0},
        {"created at 20 again: decoded anew", 20, true, 1, 20},
        {"into the list's size: replaces it", 16, false, 1, 16},
        {"into the list's size again: cached", 16, false, 0, 16},
    };
    for (const Step& s : steps) {
        const int before = TsAlphaImageList::Decodes;
        if (s.create) {
            std::unique_ptr<TBitmap> b(list.CreateBitmap32(0, s.size, s.size, 0));
            ASSERT_TRUE(b) << s.what;
        } else {
            std::unique_ptr<TBitmap> b(NewBitmap32(s.size, s.size));
            ASSERT_TRUE(list.GetBitmap32(0, b.get(), 0)) << s.what;
            EXPECT_PRED3(Near, Rgb(b.get(), s.size / 2, s.size / 2), Red, 4) << s.what;
        }
        EXPECT_EQ(TsAlphaImageList::Decodes - before, s.decodes) << s.what;
        TBitmap* cache = list.Items()->Items(0)->CacheBmp.get();
        EXPECT_EQ(cache ? cache->Width() : 0, s.cached) << s.what;
    }
}
