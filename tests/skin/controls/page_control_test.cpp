// The skinned page control in real windows: the frame and the tabs drawn from the fixture skin
// into the control's cache (tab colour by place and state, the active tab over its neighbours),
// the active tab following a page change, and screenshots with our stored skins.
#include <gtest/gtest.h>

#include "skin/controls/spagecontrol.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

struct TPageScene {
    FormPtr Form{new TForm(nullptr)};
    TsPageControl* Pages = nullptr;

    explicit TPageScene(int count, int active)
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(100, 100, 320, 200);
        Pages = new TsPageControl(Form.get());
        Pages->SetBounds(0, 0, 320, 200);
        Pages->SetParent(Form.get());
        for (int i = 0; i < count; ++i) {
            auto* sheet = new TsTabSheet(Form.get());
            sheet->SetCaption(L"Page " + IntToStr(i + 1));
            sheet->SetPageControl(Pages);
        }
        Pages->SetActivePageIndex(active);
        Form->Show();
        PumpFor(60);
    }
    TPixelImage Cache() const { return ImageFromBitmap32(Pages->SkinData()->FCacheBmp); }
};

uint32_t Own(const wchar_t* section, int state) { return fs::Opaque(fs::StateColor(fs::SectionNumber(section), state)); }
TPoint Centre(const TRect& r) { return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

// The colour inside every tab's border: its place's section, state 2 for the active tab.
void ExpectTabColours(TPageScene& s)
{
    const TacPageControlState state = s.Pages->TabState();
    const TacPageTabs tabs(state);
    const TPixelImage cache = s.Cache();
    const int count = tabs.VisibleTabsCount();
    for (int t = 0; t < count; ++t) {
        const int page = tabs.PageOfTab(t);
        const bool active = page == state.ActivePage;
        const TRect r = tabs.SkinTabRect(t, active);
        ASSERT_FALSE(r.IsEmpty()) << t;
        const wchar_t* section = count == 1 ? L"TABTOPFIRST" : t == 0 ? L"TABTOPFIRST" : t == count - 1 ? L"TABTOPLAST" : L"TABTOPMIDDLE";
        const TPoint c(r.left + fs::Border + 1, Centre(r).y);   // inside the border, left of the caption
        EXPECT_EQ(cache.At(c.x, c.y), Own(section, active ? 2 : 0)) << "tab " << t;
    }
}

TEST(SkinPageControl, TabsPaintFromTheirPlacesSectionsAndTheActiveOneLiesOverItsNeighbours)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(m->IsActive());
    TPageScene s(3, 1);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    ExpectTabColours(s);

    // The active middle tab is enlarged over both neighbours: where they overlap its border shows.
    const TacPageControlState state = s.Pages->TabState();
    const TacPageTabs tabs(state);
    const TRect first = tabs.SkinTabRect(0, false), middle = tabs.SkinTabRect(1, true), last = tabs.SkinTabRect(2, false);
    ASSERT_GT(first.right, middle.left);
    ASSERT_LT(last.left, middle.right);
    const int mid = fs::SectionNumber(L"TABTOPMIDDLE");
    const TPixelImage cache = s.Cache();
    const int y = Centre(middle).y;
    EXPECT_EQ(cache.At(middle.left, y), fs::Opaque(fs::SliceColor(mid, 2, 0, 1)));
    EXPECT_EQ(cache.At(middle.right - 1, y), fs::Opaque(fs::SliceColor(mid, 2, 2, 1)));

    // The frame under the pages is the control's own section.
    const TPoint c = Centre(state.DisplayRect);
    EXPECT_EQ(cache.At(c.x, c.y), Own(L"PAGECONTROL", 0));

    // Another page selected: the tabs follow.
    s.Pages->SetActivePageIndex(2);
    PumpFor(60);
    ExpectTabColours(s);
    s.Pages->SetActivePageIndex(0);
    PumpFor(60);
    ExpectTabColours(s);
}

// A page's children get the page control's image at the page's position, described or painted.
TEST(SkinPageControl, APagesChildrenAreAnsweredFromThePageControlAtThePagesOffset)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(2, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    TTabSheet* page = s.Pages->Pages(0);
    ASSERT_GT(page->Left(), 0);
    ASSERT_GT(page->Top(), 0);
    const TPoint child(7, 9);

    TacBgQuery q;
    GetControlBackground(q, page, false);
    EXPECT_EQ(q.Kind, bgBitmap);
    EXPECT_EQ(q.Bmp, s.Pages->SkinData()->FCacheBmp);
    EXPECT_EQ(q.Offset, TPoint(page->Left(), page->Top()));   // the page's image in the control's

    TBitmap out;
    out.SetPixelFormat(pf32bit);
    out.SetSize(20, 10);
    TacBgQuery p;
    p.Offset = child;
    p.DC = out.Canvas()->Handle();
    p.R = TRect(0, 0, 20, 10);
    GetControlBackground(p, page, true);
    EXPECT_EQ(p.Kind, bgBitmap);
    const TPixelImage cache = s.Cache(), got = ImageFromBitmap32(&out);
    for (TPoint at : {TPoint(0, 0), TPoint(19, 9), TPoint(10, 5)})
        EXPECT_EQ(got.At(at.x, at.y) & 0xFFFFFFu, cache.At(page->Left() + child.x + at.x, page->Top() + child.y + at.y) & 0xFFFFFFu)
            << at.x << "," << at.y;

    // On screen the page shows the page control's frame.
    const TPoint c(page->Width() / 2, page->Height() / 2);
    EXPECT_EQ(testing_support::PixelAt(page->Handle(), c.x, c.y), TColor(SwapRedBlue(Own(L"PAGECONTROL", 0) & 0xFFFFFF)));
}

TEST(SkinPageControl, OneTabIsAFirstTab)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(1, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    ExpectTabColours(s);
}

TEST(SkinPageControl, ScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive()) << skin;
        TPageScene s(5, 1);
        ASSERT_TRUE(s.Pages->SkinData()->Skinned(true)) << skin;
        // The active tab differs from an inactive one.
        const TacPageControlState state = s.Pages->TabState();
        const TacPageTabs tabs(state);
        const TPixelImage cache = s.Cache();
        const TPoint a = Centre(tabs.SkinTabRect(1, true)), b = Centre(tabs.SkinTabRect(3, false));
        EXPECT_NE(cache.At(a.x, a.y + 4), cache.At(b.x, b.y + 4)) << skin;
        testing_support::SaveArtifact(*s.Pages->SkinData()->FCacheBmp, String(L"page_control_cache_") + skin);
        testing_support::SaveScreenshot(s.Pages->Handle(), String(L"page_control_") + skin, true);
    }
}

TEST(SkinPageControl, WithoutAnActiveManagerItIsThePlainControl)
{
    TPageScene s(3, 0);
    EXPECT_FALSE(s.Pages->SkinData()->Skinned(true));
}

}  // namespace
