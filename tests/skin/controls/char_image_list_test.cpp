// The character image list: defaults, the standard list at a PPI, the per-item rendition cache,
// the drawing colour, drawing onto a canvas and the embedded fonts.
#include "skin/controls/scharimagelist.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "vcl/stored_form.h"
#include "skin/engine/core/skin_source.h"
#include "skin/graphics/bitmaps32.h"
#include "skins/stored_skins.h"
#include "tests/common/screenshot.h"
#include "tests/skin/controls/test_controls.h"

using namespace testing_support;

namespace {

constexpr wchar_t faStar = 0xF005;
constexpr wchar_t faCircle = 0xF111;

TacCharItemData Item(wchar_t ch, TColor color = clGlyphDefault)
{
    TacCharItemData d;
    d.Char = ch;
    d.Color = color;
    return d;
}

int InkedPixels(TBitmap* bmp)
{
    const TPixelView v = BitmapView(bmp);
    int n = 0;
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) n += (v.At(x, y) >> 24) != 0;
    return n;
}

}  // namespace

TEST(CharImageList, NewListAndDefaultItem)
{
    TsCharImageList list;
    EXPECT_EQ(list.Width(), 26);
    EXPECT_EQ(list.Height(), 24);
    EXPECT_EQ(list.AddItem(Item(faStar)), 0);
    const TacCharListItem* item = list.Items()->Items(0);
    EXPECT_EQ(item->Glyph().FontName, L"FontAwesome");
    EXPECT_EQ(item->Glyph().ScalingFactor, 1.0);
    std::unique_ptr<TBitmap> b(list.CreateBitmap32(0, 26, 24, 0));
    ASSERT_TRUE(b);
    EXPECT_GT(InkedPixels(b.get()), 100);
    EXPECT_EQ(list.CreateBitmap32(1, 26, 24, 0), nullptr);
    EXPECT_EQ(list.CreateBitmap32(-1, 26, 24, 0), nullptr);
}

TEST(CharImageList, StandardListFollowsThePpi)
{
    struct {
        int ppi, w, h;
    } const rows[] = {{96, 26, 24}, {120, 32, 30}, {144, 39, 36}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ppi);
        TsCharImageList list;
        list.AddItem(Item(faStar));
        list.AddItem(Item(faCircle, static_cast<TColor>(0x000000FF)));
        // The skin manager's rescaling of a list that follows the PPI.
        SetImageListPPI(&list, r.ppi);
        list.AcBeginUpdate();
        list.KillImgList();
        list.GenerateStdList();
        list.AcEndUpdate(true);
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
        EXPECT_EQ(cx, r.w);
        EXPECT_EQ(cy, r.h);
        EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2);
        EXPECT_EQ(ImageWidthAt(&list, 1, r.ppi), r.w);
        EXPECT_EQ(ImageHeightAt(&list, 1, r.ppi), r.h);
        // The list's own size stays the one at 96.
        EXPECT_EQ(list.SavedWidth, 26);
        EXPECT_EQ(list.SavedHeight, 24);
    }
    // A list that does not follow the PPI keeps its width.
    TsCharImageList fixed;
    fixed.FAllowScale = false;
    fixed.AddItem(Item(faStar));
    EXPECT_EQ(ImageWidthAt(&fixed, 0, 144), 26);
}

TEST(CharImageList, StandardListAtTheSkinManagersPpi)
{
    TManagerPtr manager = ManagerWithSkin(L"Fixture");
    ASSERT_EQ(DefaultManager, manager.get());
    manager->Options()->SetPixelsPerInch(120);
    manager->Options()->SetScaleMode(smCustomPPI);
    TsCharImageList list;
    list.AddItem(Item(faStar));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list.Handle(), &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(cy, 30);
    std::unique_ptr<TBitmap> icon(list.TCustomImageList::GetBitmap32(0).release());
    ASSERT_TRUE(icon);
    SaveArtifact(*icon, L"char_image_list_std120");
    EXPECT_GT(InkedPixels(icon.get()), 200);
}

TEST(CharImageList, RenditionIsCachedPerSizeAndColour)
{
    TsCharImageList list;
    list.AddItem(Item(faStar));
    TacCharListItem* item = list.Items()->Items(0);
    std::unique_ptr<TBitmap> a(list.CreateBitmap32Color(0, 26, 24, clRed, 0));
    const TBitmap* cached = item->CacheBmp.get();
    ASSERT_NE(cached, nullptr);
    std::unique_ptr<TBitmap> again(list.CreateBitmap32Color(0, 26, 24, clRed, 0));
    EXPECT_EQ(item->CacheBmp.get(), cached) << "same size and colour: rendered once";
    EXPECT_EQ(CompareBitmaps(*a, *again, 0, true).differing, 0);
    std::unique_ptr<TBitmap> blue(list.CreateBitmap32Color(0, 26, 24, clBlue, 0));
    EXPECT_NE(item->CacheColor, clRed);
    EXPECT_EQ(item->CacheColor, clBlue);
    EXPECT_GT(CompareBitmaps(*a, *blue, 0, true).differing, 0);
    std::unique_ptr<TBitmap> big(list.CreateBitmap32Color(0, 52, 48, clBlue, 0));
    EXPECT_EQ(item->CacheBmp->Width(), 52);
    // A property change drops the rendition.
    item->SetAngle(90);
    EXPECT_EQ(item->CacheBmp, nullptr);
    list.ClearCache();
}

TEST(CharImageList, DrawingColourPrefersTheItemsOwn)
{
    TsCharImageList list;
    list.AddItem(Item(faStar));
    list.AddItem(Item(faStar, clGreen));
    struct {
        int index;
        bool ignoreDefault;
        TColor expected;
    } const rows[] = {
        {0, false, clRed}, {1, false, clGreen}, {1, true, clRed}, {-1, false, clRed}, {5, false, clRed},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.index << " " << r.ignoreDefault);
        list.SetCharColor(clRed, r.index, r.ignoreDefault);
        EXPECT_EQ(list.ForeColor, r.expected);
    }
    EXPECT_FALSE(list.ItemHasOwnColor(0));
    EXPECT_TRUE(list.ItemHasOwnColor(1));
}

TEST(CharImageList, DrawsInTheCanvasFontColourInItsBox)
{
    TsCharImageList list;
    list.AddItem(Item(faCircle));
    std::unique_ptr<TBitmap> canvas(NewBitmap32(60, 50));
    {
        // Opaque white, so the saved picture shows what was drawn (the drawing keeps the alpha).
        const TPixelView white = BitmapView(canvas.get());
        for (int y = 0; y < white.Height; ++y)
            for (int x = 0; x < white.Width; ++x) white.At(x, y) = 0xFFFFFFFF;
    }
    canvas->Canvas()->Font()->SetColor(clBlue);
    list.Draw(canvas->Canvas(), 10, 12, 0);
    SaveArtifact(*canvas, L"char_image_list_draw");
    const TPixelView v = BitmapView(canvas.get());
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t px = v.At(x, y) & 0xFFFFFF;
            const bool inBox = x >= 10 && x < 36 && y >= 12 && y < 36;
            if (!inBox) {
                ASSERT_EQ(px, 0xFFFFFFu) << x << "," << y;
            } else if (px != 0xFFFFFF) {
                // Blue over white: only red and green fade.
                ASSERT_EQ(px & 0xFF, 0xFFu) << x << "," << y;
            }
        }
    // Blended by 256: 255 + (0 - 255) x 255 / 256 leaves 1 of the white's red and green under
    // an opaque glyph pixel.
    EXPECT_EQ(v.At(23, 24) & 0xFFFFFF, 0x0101FFu) << "the circle's middle";
    EXPECT_EQ(list.ForeColor, clNone);
}

TEST(CharImageList, StoredItemWithoutScalingTakesTheFontsOwn)
{
    TsCharImageList list;
    list.AddItem(Item(faStar, clGreen));
    list.AddItem(Item(faStar, clGreen));
    list.Items()->Items(0)->SetScalingFactor(0);
    list.Loaded();
    const TacCharListItem* stored = list.Items()->Items(0);
    // The character height of a 96-pixel cell, over 96: below 1, and the colour is dropped.
    EXPECT_GT(stored->Glyph().ScalingFactor, 0.5);
    EXPECT_LE(stored->Glyph().ScalingFactor, 1.0);
    EXPECT_EQ(stored->Glyph().Color, clGlyphDefault);
    EXPECT_EQ(list.Items()->Items(1)->Glyph().ScalingFactor, 1.0);
    EXPECT_EQ(list.Items()->Items(1)->Glyph().Color, clGreen);
}

TEST(CharImageList, EmbeddedFonts)
{
    TsCharImageList list;
    EXPECT_FALSE(list.AddEmbeddedFont(L"C:\\no\\such.ttf", L"Nothing"));
    EXPECT_EQ(list.EmbeddedFonts().Count(), 0);
    EXPECT_EQ(list.FontIndex(L"fontawesome"), -1);
    list.EmbeddedFonts().Add().FontName = L"FontAwesome";
    EXPECT_EQ(list.FontIndex(L"fontawesome"), 0);
}

// The fonts a list registers stay registered when the list goes; a skin's fonts go with their
// items.
TEST(CharImageList, EmbeddedFontsStayRegisteredAfterTheList)
{
    const TStoredSkinBytes& light = ProgramStoredSkins()[2];
    const TacSkinSource source = TacSkinSource::FromPacked(light.Data, light.Size);
    const auto fonts = source.FontEntries();
    ASSERT_FALSE(fonts.empty());
    static std::vector<void*> uninstalled;
    uninstalled.clear();
    const TFontUninstall real = EmbeddedFontUninstall;
    EmbeddedFontUninstall = [](void* handle) {
        uninstalled.push_back(handle);
        return 1;
    };
    void* listHandle = nullptr;
    void* skinHandle = nullptr;
    {
        TsCharImageList list;
        TacEmbeddedFont& own = list.EmbeddedFonts().Add();
        own.FontName = L"DejaVu Sans";
        own.FontData.WriteBuffer(fonts[0]->Data.data(), int64_t(fonts[0]->Data.size()));
        list.Loaded();
        listHandle = own.Handle();
        TacEmbeddedFonts skinFonts;
        TacEmbeddedFont& f = skinFonts.Add();
        f.FontData.WriteBuffer(fonts[0]->Data.data(), int64_t(fonts[0]->Data.size()));
        f.LoadFont();
        skinHandle = f.Handle();
    }
    EmbeddedFontUninstall = real;
    ASSERT_NE(listHandle, nullptr);
    ASSERT_NE(skinHandle, nullptr);
    EXPECT_EQ(uninstalled, std::vector<void*>{skinHandle});
    real(skinHandle);
    real(listHandle);
}

TEST(CharImageList, SkinManagerRenewsTheCacheAndFollowsThePpi)
{
    TManagerPtr manager = ManagerWithSkin(L"Dark");
    ASSERT_EQ(DefaultManager, manager.get());
    TsCharImageList scaling;
    scaling.AddItem(Item(faStar));
    TsCharImageList fixed;
    fixed.FAllowScale = false;
    fixed.AddItem(Item(faStar));
    int fixedCx = 0, fixedCy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(fixed.Handle(), &fixedCx, &fixedCy));

    // Renditions made in the old skin's text colour must not outlive the skin.
    for (TsCharImageList* list : {&scaling, &fixed}) {
        std::unique_ptr<TBitmap> b(list->CreateBitmap32Color(0, 26, 24, clWhite, 0));
        ASSERT_NE(list->Items()->Items(0)->CacheBmp, nullptr);
    }
    manager->SetSkinName(L"Light");
    ASSERT_TRUE(manager->IsActive());
    EXPECT_EQ(scaling.Items()->Items(0)->CacheBmp, nullptr);
    EXPECT_EQ(fixed.Items()->Items(0)->CacheBmp, nullptr);

    manager->Options()->SetScaleMode(smCustomPPI);
    struct {
        int ppi, cx, cy;
    } const rows[] = {{144, 39, 36}, {120, 32, 30}, {96, 26, 24}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ppi);
        manager->Options()->SetPixelsPerInch(r.ppi);
        EXPECT_EQ(scaling.PixelsPerInch, r.ppi);
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(scaling.Handle(), &cx, &cy));
        EXPECT_EQ(cx, r.cx);
        EXPECT_EQ(cy, r.cy);
        EXPECT_EQ(ImageList_GetImageCount(scaling.Handle()), 1);
        EXPECT_EQ(scaling.SavedWidth, 26) << "the list keeps its size at 96";
        EXPECT_EQ(scaling.SavedHeight, 24);
        std::unique_ptr<TBitmap> icon(scaling.TCustomImageList::GetBitmap32(0).release());
        ASSERT_TRUE(icon);
        EXPECT_GT(InkedPixels(icon.get()), r.cx * r.cy / 4) << "the icon was drawn again, not left empty";
        // A list that does not scale keeps its PPI and its icons.
        EXPECT_EQ(fixed.PixelsPerInch, 96);
        ASSERT_TRUE(ImageList_GetIconSize(fixed.Handle(), &cx, &cy));
        EXPECT_EQ(cx, fixedCx);
        EXPECT_EQ(cy, fixedCy);
    }
}

namespace {

// Two items that differ from the defaults in every stored property between them, and two fonts:
// the built-in one's data-less entry and one with bytes.
void FillStoredList(TsCharImageList& list)
{
    list.AddItem(Item(faStar, clGreen));
    list.AddItem(Item(faCircle));
    TacCharListItem* a = list.Items()->Items(0);
    a->SetAngle(30);
    a->SetIntProp(1, 3);   // OffsetY
    a->SetIntProp(0, 7);   // Orientation
    a->ImageName = L"star";
    a->SetPitch(TFontPitch::fpFixed);
    a->SetCharsetProp(0, 2);
    a->SetStyle(TFontStyles{fsBold, fsUnderline});
    a->SetScalingFactor(0.75);
    a->SetDrawContour(true);
    a->SetColorProp(1, clYellow);
    TacCharListItem* b = list.Items()->Items(1);
    b->SetFontName(L"Arial");
    b->SetCharProp(1, faStar);   // AddedChar
    b->SetColorProp(2, clRed);
    b->SetCharsetProp(1, 0);
    b->SetIntProp(2, -2);   // AddedOffsetX
    b->SetIntProp(3, 5);    // AddedOffsetY
    b->SetAddedFontName(L"FontAwesome");
    b->SetIntProp(4, 40);   // AddedSize
    list.SetBkColor(clSilver);
    list.EmbeddedFonts().Add().FontName = L"FontAwesome";
    TacEmbeddedFont& own = list.EmbeddedFonts().Add();
    own.FileName = L"C:\\fonts\\own.ttf";
    own.FontName = L"Own";
    const uint8_t bytes[] = {0, 1, 0, 0, 0xFE, 0x7F, 0x80};
    own.FontData.WriteBuffer(bytes, sizeof bytes);
}

std::vector<uint8_t> Stored(const TsCharImageList& list)
{
    TMemoryStream s;
    list.WriteToStream(s);
    return s.Bytes();
}

void ExpectSameItem(const TacCharListItem& a, const TacCharListItem& b)
{
    const TacCharGlyph &x = a.Glyph(), &y = b.Glyph();
    EXPECT_EQ(x.Angle, y.Angle);
    EXPECT_EQ(a.OffsetY(), b.OffsetY());
    EXPECT_EQ(a.Orientation(), b.Orientation());
    EXPECT_EQ(x.Char, y.Char);
    EXPECT_EQ(a.ImageName, b.ImageName);
    EXPECT_EQ(x.Pitch, y.Pitch);
    EXPECT_EQ(x.Color, y.Color);
    EXPECT_EQ(x.Charset, y.Charset);
    EXPECT_EQ(x.FontName, y.FontName);
    EXPECT_EQ(x.Style, y.Style);
    EXPECT_EQ(x.ScalingFactor, y.ScalingFactor);
    EXPECT_EQ(x.DrawContour, y.DrawContour);
    EXPECT_EQ(x.SecondColor, y.SecondColor);
    EXPECT_EQ(x.AddedChar, y.AddedChar);
    EXPECT_EQ(x.AddedColor, y.AddedColor);
    EXPECT_EQ(x.AddedCharset, y.AddedCharset);
    EXPECT_EQ(a.AddedOffsetX, b.AddedOffsetX);
    EXPECT_EQ(a.AddedOffsetY, b.AddedOffsetY);
    EXPECT_EQ(x.AddedFontName, y.AddedFontName);
    EXPECT_EQ(x.AddedSize, y.AddedSize);
}

}  // namespace

TEST(CharImageList, StoredFormReadsBackEveryProperty)
{
    TsCharImageList source;
    source.SetWidth(20);
    source.SetHeight(18);
    FillStoredList(source);
    const std::vector<uint8_t> bytes = Stored(source);

    TsCharImageList copy;
    TBytesStream in(bytes);
    copy.ReadFromStream(in);
    EXPECT_EQ(in.Position(), in.Size());
    ASSERT_EQ(copy.Items()->Count(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ExpectSameItem(*copy.Items()->Items(i), *source.Items()->Items(i));
    }
    EXPECT_EQ(copy.SavedWidth, 20);
    EXPECT_EQ(copy.SavedHeight, 18);
    EXPECT_EQ(copy.BkColor(), clSilver);
    ASSERT_EQ(copy.EmbeddedFonts().Count(), 2);
    EXPECT_EQ(copy.EmbeddedFonts().Items(0).FontName, L"FontAwesome");
    EXPECT_EQ(copy.EmbeddedFonts().Items(0).FontData.Size(), 0);
    EXPECT_EQ(copy.EmbeddedFonts().Items(1).FileName, L"C:\\fonts\\own.ttf");
    EXPECT_EQ(copy.EmbeddedFonts().Items(1).FontData.Bytes(), source.EmbeddedFonts().Items(1).FontData.Bytes());
    EXPECT_EQ(Stored(copy), bytes) << "written again, the same bytes";
    // Past loading: the standard list holds both, drawn.
    ASSERT_TRUE(copy.HandleAllocated());
    EXPECT_EQ(ImageList_GetImageCount(copy.Handle()), 2);
    std::unique_ptr<TBitmap> a(source.CreateBitmap32Color(1, 20, 18, clBlack, 0));
    std::unique_ptr<TBitmap> b(copy.CreateBitmap32Color(1, 20, 18, clBlack, 0));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CompareBitmaps(*a, *b, 0, true).differing, 0);
}

TEST(CharImageList, CorruptStoredFormRaisesAndKeepsTheList)
{
    TsCharImageList source;
    FillStoredList(source);
    const std::vector<uint8_t> good = Stored(source);

    std::vector<std::vector<uint8_t>> bad;
    // Cut anywhere: in the sizes, a font's bytes, an item, the closing marks.
    for (size_t n = 0; n < good.size(); ++n) bad.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(n));
    {
        // The first font's byte count claims more than the stream holds.
        std::vector<uint8_t> b = good;
        const std::string tag = "FontData";
        auto at = std::search(b.begin(), b.end(), tag.begin(), tag.end()) + std::ptrdiff_t(tag.size()) + 1;
        at[3] = 0x7F;
        bad.push_back(b);
    }
    {
        // A value of an unknown kind.
        std::vector<uint8_t> b = good;
        b[1 + 6] = 0xEE;   // the kind byte after "Height"
        bad.push_back(b);
    }
    {
        // An integer property given as a string.
        std::vector<uint8_t> b = good;
        b[1 + 6] = StoredForm::vaWString;
        bad.push_back(b);
    }

    TsCharImageList list;
    list.AddItem(Item(faStar));
    list.AddItem(Item(faCircle, clBlue));
    list.EmbeddedFonts().Add().FontName = L"Mine";
    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        TBytesStream in(bad[i]);
        try {
            list.ReadFromStream(in);
            ADD_FAILURE() << "read a corrupt stream";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message().rfind(L"Cannot read the character image list: ", 0), 0u) << e.what();
        }
        ASSERT_EQ(list.Items()->Count(), 2);
        EXPECT_EQ(list.Items()->Items(1)->Glyph().Color, clBlue);
        ASSERT_EQ(list.EmbeddedFonts().Count(), 1);
        EXPECT_EQ(list.EmbeddedFonts().Items(0).FontName, L"Mine");
    }
    // Both still drawn, from the standard list and afresh.
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2);
    for (int i = 0; i < 2; ++i) {
        std::unique_ptr<TBitmap> b(list.CreateBitmap32Color(i, 26, 24, clBlack, 0));
        ASSERT_TRUE(b);
        EXPECT_GT(InkedPixels(b.get()), 100);
    }
}

TEST(CharImageList, OffsetSetAtAnotherScaleStepIsScaled)
{
    // OffsetY 4 set at 144 PPI (step 2) is 6 pixels at 96.
    TsCharImageList scaled;
    scaled.AddItem(Item(faCircle));
    scaled.Items()->Items(0)->SetIntProp(1, 4);
    scaled.FSavedScale = 2;
    TsCharImageList plain;
    plain.AddItem(Item(faCircle));
    plain.Items()->Items(0)->SetIntProp(1, 6);
    std::unique_ptr<TBitmap> a(scaled.CreateBitmap32Color(0, 26, 30, clBlack, 24));
    std::unique_ptr<TBitmap> b(plain.CreateBitmap32Color(0, 26, 30, clBlack, 24));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CompareBitmaps(*a, *b, 0, true).differing, 0);
    scaled.FSavedScale = 0;
    scaled.ClearCache();
    std::unique_ptr<TBitmap> c(scaled.CreateBitmap32Color(0, 26, 30, clBlack, 24));
    EXPECT_GT(CompareBitmaps(*c, *b, 0, true).differing, 0) << "without the step the offset is taken as it is";
}

TEST(CharImageList, AssignToAnotherListCopiesItemsAndFonts)
{
    struct {
        const char* name;
        bool firstHasData;
        int fonts;   // fonts in the source
        std::vector<String> expected;
    } const rows[] = {
        {"no fonts", false, 0, {L"FontAwesome"}},
        {"first with bytes", true, 2, {L"FontAwesome", L"F0", L"F1"}},
        {"first without bytes", false, 2, {L"F0", L"F1"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TsCharImageList source;
        source.AddItem(Item(faStar, clGreen));
        for (int i = 0; i < r.fonts; ++i) {
            TacEmbeddedFont& f = source.EmbeddedFonts().Add();
            f.FontName = L"F" + std::to_wstring(i);
            if (i > 0 || r.firstHasData) f.FontData.WriteBuffer("abc", 3);
        }
        TsCharImageList dest;
        dest.AddItem(Item(faCircle));
        dest.AddItem(Item(faCircle));
        source.AssignTo(&dest);
        ASSERT_EQ(dest.Items()->Count(), 1);
        ExpectSameItem(*dest.Items()->Items(0), *source.Items()->Items(0));
        std::vector<String> names;
        for (int i = 0; i < dest.EmbeddedFonts().Count(); ++i) names.push_back(dest.EmbeddedFonts().Items(i).FontName);
        EXPECT_EQ(names, r.expected);
        EXPECT_EQ(ImageList_GetImageCount(dest.Handle()), 1);
    }
}
