// The skinned page control in real windows: the frame and the tabs drawn from the fixture skin
// into the control's cache (tab colour by place and state, the active tab over its neighbours),
// the active tab following a page change, and screenshots with our stored skins.
#include <gtest/gtest.h>

#include "skin/controls/spagecontrol.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/shared_settings.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

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

// Our skins carry tabs for every side: each side's tabs take their own section, the active one
// looking unlike the others.
TEST(SkinPageControl, OurSkinsDrawTabsOnEverySide)
{
    const struct {
        TTabPosition Position;
        const wchar_t* Name;
    } sides[] = {{tpTop, L"top"}, {tpBottom, L"bottom"}, {tpLeft, L"left"}, {tpRight, L"right"}};
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        for (const auto& side : sides) {
            SCOPED_TRACE(ToUtf8(String(skin) + L" " + side.Name));
            TPageScene s(3, 1);
            s.Pages->SetTabPosition(side.Position);
            PumpFor(60);
            const TacPageControlState state = s.Pages->TabState();
            const TacPageTabs tabs(state);
            for (int t = 0; t < 3; ++t) EXPECT_GE(tabs.TabSkinIndex(tabs.PageOfTab(t)), 0) << t;
            const TPixelImage cache = s.Cache();
            const TRect active = tabs.SkinTabRect(1, true), other = tabs.SkinTabRect(0, false);
            ASSERT_FALSE(active.IsEmpty());
            // Just inside the border on the side away from the page, where no caption lies.
            auto probe = [&](const TRect& r) {
                switch (side.Position) {
                case tpBottom: return TPoint(r.left + 6, r.bottom - 4);
                case tpLeft: return TPoint(r.left + 4, r.top + 6);
                case tpRight: return TPoint(r.right - 4, r.top + 6);
                default: return TPoint(r.left + 6, r.top + 4);
                }
            };
            const TPoint a = probe(active), b = probe(other);
            EXPECT_NE(cache.At(a.x, a.y), cache.At(b.x, b.y));
            testing_support::SaveScreenshot(s.Pages->Handle(), String(L"page_control_tabs_") + side.Name + L"_" + skin, true);
        }
    }
}

// ---- hot tab, disabled tab, keys -----------------------------------------------------------------

// Inside a tab's border, left of its caption.
TPoint InTab(const TRect& r) { return TPoint(r.left + fs::Border + 1, Centre(r).y); }
TRect TabRectOf(TsPageControl* pc, int page)
{
    const TacPageControlState state = pc->TabState();
    const TacPageTabs tabs(state);
    return tabs.SkinTabRect(tabs.TabIndexOfPage(page), page == state.ActivePage);
}
void MouseAt(TsPageControl* pc, TPoint p) { SendMessageW(pc->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y)); }

// Weight w (0..255) of To over From, per channel; the frames are within 2 of it.
void ExpectMix(uint32_t got, uint32_t from, uint32_t to, int w, const char* what, int frame)
{
    for (int k = 0; k < 24; k += 8) {
        const int f = int(from >> k & 0xFF), t = int(to >> k & 0xFF), g = int(got >> k & 0xFF);
        const int want = (f * (255 - w) + t * w) / 255;
        EXPECT_NEAR(g, want, 2) << what << " frame " << frame << " weight " << w << " channel " << k / 8;
    }
}

// The hot tab's pixel in the cache and on the screen, frame by frame of the schedule.
struct THotProbe {
    TPageScene& S;
    TPoint At;
    uint32_t Cached() const { return S.Cache().At(At.x, At.y) | 0xFF000000u; }
    uint32_t Screen() const { return fs::Opaque(testing_support::PixelAt(S.Pages->Handle(), At.x, At.y)); }
    // Follows a fade from From to To through the core schedule F, one 12 ms step at a time;
    // answers the number of frames shown after the first.
    int Follow(TManualTicks& ticks, TacTabFade& f, int first, uint32_t from, uint32_t to, const char* what, int stopAfter = 99)
    {
        ExpectMix(Cached(), from, to, first, what, 0);
        ExpectMix(Screen(), from, to, first, what, 0);
        int frames = 0;
        while (frames < stopAfter) {
            const int w = f.Tick();
            if (w < 0) break;
            ticks.Step(TabFadeInterval);
            ++frames;
            ExpectMix(Cached(), from, to, w, what, frames);
            ExpectMix(Screen(), from, to, w, what, frames);
        }
        return frames;
    }
};

TEST(SkinPageControl, TheHotTabFadesInOverSixStepsAndOutOverEighteen)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(m->Effects()->AllowAnimation);
    TManualTicks ticks;
    TPageScene s(3, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    auto* sheet = dynamic_cast<TsTabSheet*>(s.Pages->Pages(2));
    const TRect r = TabRectOf(s.Pages, 2);
    const int sec = fs::SectionNumber(L"TABTOPLAST");
    const uint32_t normal = fs::Opaque(fs::StateColor(sec, 0)), hot = fs::Opaque(fs::StateColor(sec, 1));
    THotProbe probe{s, InTab(r)};
    ASSERT_EQ(probe.Cached(), normal);

    // In: the first frame at once, then one per 12 ms until the hot look itself.
    MouseAt(s.Pages, Centre(r));
    EXPECT_EQ(s.Pages->CurItem(), 2);
    ASSERT_TRUE(sheet->AnimTimer && sheet->AnimTimer->Enabled());
    TacTabFade in;
    const int first = in.Start(0, false, 1);
    EXPECT_LT(first, 255);
    EXPECT_EQ(probe.Follow(ticks, in, first, normal, hot, "in"), 6);
    ticks.Step(TabFadeInterval);
    EXPECT_FALSE(sheet->AnimTimer->Enabled());
    EXPECT_EQ(probe.Cached(), hot);
    EXPECT_EQ(probe.Screen(), hot);

    // Out: leaving the control fades back over 18 steps.
    s.Pages->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(s.Pages->CurItem(), -1);
    TacTabFade out = in;
    const int outFirst = out.Start(out.RemainingSteps(), false, 0);
    EXPECT_EQ(probe.Follow(ticks, out, outFirst, hot, normal, "out"), 18);
    EXPECT_EQ(probe.Cached(), normal);

    // Leaving two steps into a fade-in: the fade-out starts from the frame shown, part of the way.
    MouseAt(s.Pages, Centre(r));
    TacTabFade again = out;
    const int againFirst = again.Start(again.RemainingSteps(), false, 1);
    EXPECT_EQ(probe.Follow(ticks, again, againFirst, normal, hot, "in again", 2), 2);
    const uint32_t shown = probe.Cached();
    ASSERT_NE(shown, normal);
    ASSERT_NE(shown, hot);
    s.Pages->Perform(CM_MOUSELEAVE, 0, 0);
    TacTabFade back = again;
    const int backFirst = back.Start(back.RemainingSteps(), false, 0);
    EXPECT_EQ(back.Iteration, (6 - 2) * 2);
    EXPECT_EQ(probe.Follow(ticks, back, backFirst, shown, normal, "back"), 18 - 8);
    EXPECT_EQ(probe.Cached(), normal);
    EXPECT_EQ(probe.Screen(), normal);

    // From a hot tab onto the active one: no tab is hot and the active tab keeps its look.
    MouseAt(s.Pages, Centre(r));
    for (int i = 0; i < 10; ++i) ticks.Step(TabFadeInterval);
    ASSERT_EQ(probe.Cached(), hot);
    const TRect active = TabRectOf(s.Pages, 0);
    MouseAt(s.Pages, Centre(active));
    EXPECT_EQ(s.Pages->CurItem(), -1);
    for (int i = 0; i < 20; ++i) ticks.Step(TabFadeInterval);
    EXPECT_EQ(probe.Cached(), normal);
    const TPoint a = InTab(active);
    EXPECT_EQ(s.Cache().At(a.x, a.y), Own(L"TABTOPFIRST", 2));
}

TEST(SkinPageControl, ADisabledPagesTabIsBlendedWithTheGroundUnlessItIsActive)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    s.Pages->Pages(1)->SetEnabled(false);
    PumpFor(60);
    const TPoint p = InTab(TabRectOf(s.Pages, 1));
    // The strip behind the tabs (what lies under the control, as right of the last tab) is the
    // ground; the tab keeps SharedBlendValue of 255.
    const uint32_t tab = Own(L"TABTOPMIDDLE", 0), ground = s.Cache().At(s.Pages->Width() - 2, p.y);
    ASSERT_EQ(ground, fs::Opaque(ColorToRGB(s.Form->Color())));
    uint32_t want = 0xFF000000u;
    for (int k = 0; k < 24; k += 8)
        want |= (((ground >> k & 0xFF) * (255u - SharedBlendValue) + (tab >> k & 0xFF) * SharedBlendValue) >> 8) << k;
    EXPECT_EQ(s.Cache().At(p.x, p.y) | 0xFF000000u, want);
    EXPECT_EQ(fs::Opaque(testing_support::PixelAt(s.Pages->Handle(), p.x, p.y)), want);
    const TPoint q = InTab(TabRectOf(s.Pages, 2));
    EXPECT_EQ(s.Cache().At(q.x, q.y), Own(L"TABTOPLAST", 0));   // its enabled neighbour is not

    // Active, it is drawn as any active tab.
    s.Pages->SetActivePageIndex(1);
    PumpFor(60);
    const TPoint pa = InTab(TabRectOf(s.Pages, 1));
    EXPECT_EQ(s.Cache().At(pa.x, pa.y), Own(L"TABTOPMIDDLE", 2));
}

// Ctrl and Shift as the thread's keyboard state reports them.
void HoldKeys(bool ctrl, bool shift)
{
    BYTE k[256];
    GetKeyboardState(k);
    k[VK_CONTROL] = ctrl ? 0x80 : 0;
    k[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(k);
}

TEST(SkinPageControl, PageKeysGoToTheNearestPageWithAVisibleTabOrAreSwallowed)
{
    enum TKey { Left, Right, CtrlTab, CtrlShiftTab };
    struct TCase {
        const char* Name;
        int From;
        TKey Key;
        int Veto;   // the page the changing event refuses, -1 none
        int Want;
        bool Handled;   // Ctrl+Tab: the key is taken by the page control (selected or swallowed)
    };
    // Page 2's tab is hidden.
    const TCase cases[] = {
        {"ctrl+tab", 0, CtrlTab, -1, 1, true},
        {"ctrl+tab over the hidden tab", 1, CtrlTab, -1, 3, true},
        {"ctrl+tab wraps", 4, CtrlTab, -1, 0, true},
        {"ctrl+shift+tab wraps", 0, CtrlShiftTab, -1, 4, true},
        {"ctrl+shift+tab over the hidden tab", 3, CtrlShiftTab, -1, 1, true},
        {"ctrl+tab vetoed", 0, CtrlTab, 1, 0, true},
        {"right", 0, Right, -1, 1, false},
        {"right over the hidden tab", 1, Right, -1, 3, false},
        {"left over the hidden tab", 3, Left, -1, 1, false},
        {"left on the first page", 0, Left, -1, 0, true},
        {"right on the last page", 4, Right, -1, 4, true},
        {"right vetoed", 3, Right, 4, 3, true},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(5, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    s.Pages->Pages(2)->SetTabVisible(false);
    int veto = -1;
    std::vector<int> asked;
    auto changing = [&](TObject*, TTabSheet* page, bool& allow) {
        asked.push_back(page->PageIndex());
        if (page->PageIndex() == veto) allow = false;
    };
    s.Pages->OnPageChanging = TacPageChangingEvent::FromCallable(changing);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        veto = -1;
        s.Pages->SetActivePageIndex(c.From);
        PumpFor(20);
        ASSERT_EQ(s.Pages->ActivePageIndex(), c.From);
        veto = c.Veto;
        asked.clear();
        LRESULT r = 0;
        if (c.Key == Left || c.Key == Right) {
            HoldKeys(false, false);
            const WPARAM vk = c.Key == Left ? VK_LEFT : VK_RIGHT;
            // Sent to the window: a swallowed key never reaches the tab window.
            r = SendMessageW(s.Pages->Handle(), WM_KEYDOWN, vk, 0);
            EXPECT_EQ(r, 0);
        } else {
            HoldKeys(true, c.Key == CtrlShiftTab);
            r = s.Form->Perform(CM_DIALOGKEY, VK_TAB, 0);
            EXPECT_EQ(r != 0, c.Handled);
        }
        HoldKeys(false, false);
        PumpFor(20);
        EXPECT_EQ(s.Pages->ActivePageIndex(), c.Want);
        if (c.Veto >= 0) {
            EXPECT_EQ(asked, std::vector<int>{c.Veto});
        }
        EXPECT_NE(s.Pages->ActivePageIndex(), 2);
    }
    s.Pages->OnPageChanging = nullptr;
}

TEST(SkinPageControl, AClickSelectsThroughTheChangingEvent)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    bool allow = false;
    s.Pages->OnPageChanging = TacPageChangingEvent::FromCallable([&](TObject*, TTabSheet*, bool& a) { a = allow; });
    const TPoint p = Centre(TabRectOf(s.Pages, 2));
    SendMessageW(s.Pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(s.Pages->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(s.Pages->ActivePageIndex(), 0);
    allow = true;
    SendMessageW(s.Pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(s.Pages->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(s.Pages->ActivePageIndex(), 2);
    s.Pages->OnPageChanging = nullptr;
}

// While an animation owns the screen a paint of the window is left alone, unvalidated: the window
// is painted once the animation has ended, not with what the animation covers.
TEST(SkinPageControl, APaintDuringAnAnimationIsLeftForAfterIt)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(2, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    HWND wnd = s.Pages->Handle();
    const TPoint p = InTab(TabRectOf(s.Pages, 1));
    const TColor black = 0;
    UpdateWindow(wnd);
    PumpFor(40);
    AnimationRunning = true;
    HDC dc = GetDC(wnd);
    RECT all{0, 0, s.Pages->Width(), s.Pages->Height()};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(wnd, dc);
    InvalidateRect(wnd, nullptr, FALSE);
    SendMessageW(wnd, WM_PAINT, 0, 0);
    EXPECT_EQ(testing_support::PixelAt(wnd, p.x, p.y), black);   // the animation's screen is left alone
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(wnd, &pending, FALSE));            // and the paint is still due
    AnimationRunning = false;
    UpdateWindow(wnd);
    EXPECT_EQ(fs::Opaque(testing_support::PixelAt(wnd, p.x, p.y)), Own(L"TABTOPLAST", 0));
}

TEST(SkinPageControl, HotTabScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive()) << skin;
        TManualTicks ticks;
        TPageScene s(5, 1);
        ASSERT_TRUE(s.Pages->SkinData()->Skinned(true)) << skin;
        const TRect r = TabRectOf(s.Pages, 3);
        const TPoint c(Centre(r).x, Centre(r).y + 4);
        const uint32_t before = s.Cache().At(c.x, c.y);
        MouseAt(s.Pages, Centre(r));
        for (int i = 0; i < 8; ++i) ticks.Step(TabFadeInterval);
        EXPECT_NE(s.Cache().At(c.x, c.y), before) << skin;
        testing_support::SaveScreenshot(s.Pages->Handle(), String(L"page_control_hot_") + skin, true);
    }
}

// The skins' key colour never reaches the cache or the screen: a tab's see-through corners show
// what lies under them, the hot tab's too. The stored skins' tab images have no bottom border, so
// their bottom rows lie in the sides, which are copied key pixels and all: those rows must hold none.
TEST(SkinPageControl, SeeThroughTabCornersShowWhatLiesBelow)
{
    auto isKey = [](uint32_t p) { return (p & 0xFFFFFFu) == 0xFF00FFu; };
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive()) << skin;
        TManualTicks ticks;
        TPageScene s(5, 1);
        ASSERT_TRUE(s.Pages->SkinData()->Skinned(true)) << skin;
        for (int hot : {-1, 3}) {
            if (hot >= 0) {
                MouseAt(s.Pages, Centre(TabRectOf(s.Pages, hot)));
                for (int i = 0; i < 8; ++i) ticks.Step(TabFadeInterval);
                PumpFor(30);
            }
            const TPixelImage cache = s.Cache();
            int keys = 0;
            for (int y = 0; y < cache.Height(); ++y)
                for (int x = 0; x < cache.Width(); ++x)
                    if (isKey(cache.At(x, y)) && ++keys <= 3) ADD_FAILURE() << skin << " cache: key at " << x << "," << y;
            const auto shot = testing_support::CaptureWindow(s.Pages->Handle());
            ASSERT_TRUE(shot && shot->Width() > 0) << skin;
            const TPixelImage screen = ImageFromBitmap32(shot.get());
            for (int y = 0; y < screen.Height(); ++y)
                for (int x = 0; x < screen.Width(); ++x)
                    if (isKey(screen.At(x, y)) && ++keys <= 6) ADD_FAILURE() << skin << " screen: key at " << x << "," << y;
            EXPECT_EQ(keys, 0) << skin << " hot " << hot;
        }
    }

    // The fixture's tab images have key-colour squares in all four corners: the active tab (drawn
    // last, over its neighbours) shows at its bottom corners what it shows at its top ones.
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 1);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    const TRect r = TabRectOf(s.Pages, 1);
    const TPixelImage cache = s.Cache();
    for (int dy = 0; dy < fs::KeyCorner; ++dy)
        for (int dx = 0; dx < fs::KeyCorner; ++dx)
            for (int right = 0; right < 2; ++right) {
                const int x = right ? r.right - 1 - dx : r.left + dx;
                const uint32_t top = cache.At(x, r.top + dy), bottom = cache.At(x, r.bottom - 1 - dy);
                EXPECT_FALSE(isKey(bottom)) << x << "," << r.bottom - 1 - dy;
                EXPECT_FALSE(isKey(top)) << x << "," << r.top + dy;
                EXPECT_EQ(bottom & 0xFFFFFFu, top & 0xFFFFFFu) << x << " row " << dy;
            }
}

TEST(SkinPageControl, WithoutAnActiveManagerItIsThePlainControl)
{
    TPageScene s(3, 0);
    EXPECT_FALSE(s.Pages->SkinData()->Skinned(true));
}

// ---- tab sheet data: button, menu and close buttons ------------------------------------------------

TsTabSheet* Sheet(TPageScene& s, int page) { return dynamic_cast<TsTabSheet*>(s.Pages->Pages(page)); }
void Click(TsPageControl* pc, TPoint p, bool down, bool up)
{
    if (down) SendMessageW(pc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    if (up) SendMessageW(pc->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}
// A button tab is drawn one pixel (across the strip two) inside its tab rectangle.
TRect ButtonTabRect(TsPageControl* pc, int page)
{
    TRect r = TabRectOf(pc, page);
    r.Inflate(-1, -2);
    return r;
}

TEST(SkinPageControl, TabTypeSetsTheTabsSectionAndMovesTheSelectionOffAButton)
{
    struct TCase {
        const char* Name;
        TacTabType From;
        const wchar_t* Preset;   // TabSkin set before the change
        TacTabType To;
        const wchar_t* Want;
    };
    const TCase cases[] = {
        {"button", ttTab, L"", ttButton, L"SPEEDBUTTON"},
        {"menu", ttTab, L"", ttMenu, L"MENUBTN"},
        {"button keeps its own section", ttTab, L"BUTTON", ttButton, L"BUTTON"},
        {"back to a page tab", ttButton, L"", ttTab, L""},
        {"back to a page tab drops a section set by hand", ttMenu, L"PANEL", ttTab, L""},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TsTabSheet* sheet = Sheet(s, 2);
        sheet->SetTabType(ttTab);
        sheet->SetTabType(c.From);
        sheet->SetTabSkin(c.Preset);
        sheet->SetTabType(c.To);
        EXPECT_EQ(sheet->TabSkin(), String(c.Want));
        EXPECT_EQ(s.Pages->ActivePageIndex(), 0);
    }
    Sheet(s, 2)->SetTabType(ttTab);

    // The active page turned into a button: the next page tab, else the one before.
    Sheet(s, 0)->SetTabType(ttButton);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
    Sheet(s, 2)->SetTabType(ttTab);
    s.Pages->SetActivePageIndex(2);
    Sheet(s, 2)->SetTabType(ttMenu);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
    // Asked to show a button tab, the control shows the nearest page tab.
    s.Pages->SetActivePageIndex(0);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
}

TEST(SkinPageControl, AButtonTabShowsPressedWhileHeldAndClicksOnReleaseOverIt)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TPageScene s(3, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    TsTabSheet* button = Sheet(s, 1);
    button->SetTabType(ttButton);
    PumpFor(40);
    std::vector<TObject*> clicked;
    button->OnClickBtn = TNotifyEvent::FromCallable([&](TObject* sender) { clicked.push_back(sender); });
    const TRect r = ButtonTabRect(s.Pages, 1);
    const TPoint in = InTab(r);
    const int sec = fs::SectionNumber(L"SPEEDBUTTON");
    ASSERT_GE(sec, 0);
    EXPECT_EQ(s.Cache().At(in.x, in.y), Own(L"SPEEDBUTTON", 0));

    Click(s.Pages, Centre(r), true, false);
    EXPECT_EQ(s.Pages->PressedBtnIndex(), 1);
    EXPECT_EQ(s.Cache().At(in.x, in.y), Own(L"SPEEDBUTTON", 2));
    EXPECT_EQ(fs::Opaque(testing_support::PixelAt(s.Pages->Handle(), in.x, in.y)), Own(L"SPEEDBUTTON", 2));
    EXPECT_TRUE(clicked.empty());
    Click(s.Pages, Centre(r), false, true);
    EXPECT_EQ(clicked, std::vector<TObject*>{button});
    EXPECT_EQ(s.Pages->ActivePageIndex(), 0);   // a button never becomes the active page
    for (int i = 0; i < 20; ++i) ticks.Step(TabFadeInterval);
    EXPECT_EQ(s.Cache().At(in.x, in.y), Own(L"SPEEDBUTTON", 0));

    // Released over another tab: no click, the button lets go.
    Click(s.Pages, Centre(r), true, false);
    Click(s.Pages, Centre(TabRectOf(s.Pages, 2)), false, true);
    EXPECT_EQ(clicked.size(), 1u);
    EXPECT_EQ(s.Pages->PressedBtnIndex(), -1);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 0);
    for (int i = 0; i < 20; ++i) ticks.Step(TabFadeInterval);
    EXPECT_EQ(s.Cache().At(in.x, in.y), Own(L"SPEEDBUTTON", 0));
    button->OnClickBtn = nullptr;
}

// A menu that records where it was asked to open instead of running a modal loop.
class TRecordingMenu : public TPopupMenu {
public:
    explicit TRecordingMenu(TsPageControl* pc) : TPopupMenu(nullptr), Pc(pc) {}
    void Popup(int x, int y) override
    {
        At.emplace_back(x, y);
        DroppedDown = Pc->DroppedDownItem();
        if (Probe.x >= 0) Seen = fs::Opaque(testing_support::PixelAt(Pc->Handle(), Probe.x, Probe.y));
    }
    TsPageControl* Pc;
    std::vector<TPoint> At;
    int DroppedDown = -2;
    TPoint Probe{-1, -1};
    uint32_t Seen = 0;
};

TEST(SkinPageControl, AMenuTabOpensItsMenuBelowTheTabShownPressed)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    TRecordingMenu menu(s.Pages);
    TsTabSheet* sheet = Sheet(s, 2);
    sheet->SetTabType(ttMenu);
    sheet->SetTabMenu(&menu);
    PumpFor(40);
    const TRect r = ButtonTabRect(s.Pages, 2);
    menu.Probe = InTab(r);
    EXPECT_EQ(s.Cache().At(menu.Probe.x, menu.Probe.y), Own(L"MENUBTN", 0));
    Click(s.Pages, Centre(r), true, true);
    ASSERT_EQ(menu.At.size(), 1u);
    const TacPageControlState state = s.Pages->TabState();
    const TacPageTabs tabs(state);
    const TRect native = tabs.BaseTabRect(tabs.TabIndexOfPage(2));
    POINT o{0, 0};
    ClientToScreen(s.Pages->Handle(), &o);
    EXPECT_EQ(menu.At[0], TPoint(o.x + native.left, o.y + native.bottom - 2));
    EXPECT_EQ(menu.DroppedDown, 2);
    EXPECT_EQ(menu.Seen, Own(L"MENUBTN", 2));   // pressed on the screen while open
    EXPECT_EQ(s.Pages->DroppedDownItem(), -1);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 0);
    PumpFor(40);
    EXPECT_EQ(s.Cache().At(menu.Probe.x, menu.Probe.y), Own(L"MENUBTN", 0));
    // A freed menu is forgotten.
    {
        TRecordingMenu gone(s.Pages);
        sheet->SetTabMenu(&gone);
    }
    EXPECT_EQ(sheet->TabMenu(), nullptr);
}

TEST(SkinPageControl, CloseButtonsCloseOrHideTheirPageAndSelectTheNearestPageTab)
{
    struct TCase {
        const char* Name;
        int Active;
        int Close;
        bool CanClose;
        TacCloseAction Action;
        int WantPages;        // pages left
        int WantActive;       // page index after
        int WantVisibleTabs;
    };
    const TCase cases[] = {
        {"free the active page", 1, 1, true, acaFree, 3, 1, 3},
        {"free the last active page", 3, 3, true, acaFree, 3, 2, 3},
        {"hide the active page", 1, 1, true, acaHide, 4, 0, 3},
        {"free another page", 0, 2, true, acaFree, 3, 0, 3},
        {"refused", 1, 1, false, acaFree, 4, 1, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TManualTicks ticks;
        TPageScene s(4, c.Active);
        ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
        s.Pages->SetCloseBtnSkin(L"BUTTON");
        s.Pages->SetShowCloseBtns(true);
        PumpFor(40);
        std::vector<int> asked;
        s.Pages->OnCloseBtnClick = TacCloseBtnClick::FromCallable(
            [&](TComponent*, int tab, bool& canClose, TacCloseAction& action) {
                asked.push_back(tab);
                canClose = c.CanClose;
                action = c.Action;
            });
        const TRect b = s.Pages->CloseBtnRect(c.Close);
        ASSERT_FALSE(b.IsEmpty());
        // Drawn from the close-button section, hot under the mouse.
        const int sec = fs::SectionNumber(L"BUTTON");
        const TPoint edge(b.left + 1, (b.top + b.bottom) / 2);
        EXPECT_EQ(s.Cache().At(edge.x, edge.y), fs::Opaque(fs::SliceColor(sec, 0, 0, 1)));
        MouseAt(s.Pages, Centre(b));
        EXPECT_EQ(s.Pages->HoveredBtnIndex(), c.Close);
        for (int i = 0; i < 20; ++i) ticks.Step(TabFadeInterval);
        EXPECT_EQ(s.Cache().At(edge.x, edge.y), fs::Opaque(fs::SliceColor(sec, 1, 0, 1)));

        // A release alone closes nothing; a press and a release on the button do.
        Click(s.Pages, Centre(b), false, true);
        EXPECT_TRUE(asked.empty());
        Click(s.Pages, Centre(b), true, false);
        EXPECT_EQ(s.Pages->PressedBtnIndex(), c.Close);
        Click(s.Pages, Centre(b), false, true);
        EXPECT_EQ(asked, std::vector<int>{c.Close});
        PumpFor(40);
        EXPECT_EQ(s.Pages->PageCount(), c.WantPages);
        EXPECT_EQ(s.Pages->ActivePageIndex(), c.WantActive);
        int visible = 0;
        for (int i = 0; i < s.Pages->PageCount(); ++i) visible += s.Pages->Pages(i)->TabVisible() ? 1 : 0;
        EXPECT_EQ(visible, c.WantVisibleTabs);
        s.Pages->OnCloseBtnClick = nullptr;
    }
}

TEST(SkinPageControl, ASheetWithoutItsCloseButtonHasNoneAndItsTabSelects)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    s.Pages->SetCloseBtnSkin(L"BUTTON");
    s.Pages->SetShowCloseBtns(true);
    Sheet(s, 1)->SetUseCloseBtn(false);
    PumpFor(40);
    EXPECT_FALSE(s.Pages->CloseBtnRect(0).IsEmpty());
    EXPECT_TRUE(s.Pages->CloseBtnRect(1).IsEmpty());
    EXPECT_FALSE(s.Pages->CloseBtnRect(2).IsEmpty());
    // Where the neighbour's button is, this tab shows its own section.
    const TRect other = s.Pages->CloseBtnRect(2), tab1 = TabRectOf(s.Pages, 1), tab2 = TabRectOf(s.Pages, 2);
    ASSERT_EQ(tab1.Width(), tab2.Width());
    const TPoint at(tab1.left + (other.right - 2 - tab2.left), (other.top + other.bottom) / 2);
    EXPECT_EQ(s.Cache().At(at.x, at.y), Own(L"TABTOPMIDDLE", 0));
    Click(s.Pages, at, true, true);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
    EXPECT_EQ(s.Pages->PageCount(), 3);
}

TEST(SkinPageControl, ASheetWithItsOwnSectionShowsItUnderItsChildren)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(2, 0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    auto* sheet = Sheet(s, 0);
    sheet->SkinData()->SetSkinSection(L"PANEL");
    PumpFor(60);
    const TPoint c(sheet->Width() / 2, sheet->Height() / 2);
    EXPECT_EQ(s.Cache().At(sheet->Left() + c.x, sheet->Top() + c.y), Own(L"PANEL", 0));
    EXPECT_EQ(fs::Opaque(testing_support::PixelAt(sheet->Handle(), c.x, c.y)), Own(L"PANEL", 0));
    // A child asks at its own place in the sheet: the answer lies at the sheet's offset.
    TacBgQuery q;
    GetControlBackground(q, sheet, false);
    EXPECT_EQ(q.Kind, bgBitmap);
    EXPECT_EQ(q.Bmp, s.Pages->SkinData()->FCacheBmp);
    EXPECT_EQ(q.Offset, TPoint(sheet->Left(), sheet->Top()));
    // Another page shows the page control's own frame.
    s.Pages->SetActivePageIndex(1);
    PumpFor(60);
    TTabSheet* other = s.Pages->Pages(1);
    EXPECT_EQ(fs::Opaque(testing_support::PixelAt(other->Handle(), c.x, c.y)), Own(L"PAGECONTROL", 0));
}

// Tabs on the left write their captions turned a quarter: the ink runs down the tab, not across.
TEST(SkinPageControl, CaptionsOnLeftTabsAreTurned)
{
    TManagerPtr m = ManagerWithSkin(L"Light");
    TPageScene s(3, 0);
    s.Pages->SetTabPosition(tpLeft);
    PumpFor(60);
    const TacPageControlState state = s.Pages->TabState();
    const TacPageTabs tabs(state);
    ASSERT_TRUE(tabs.CaptionsTurned());
    const TRect r = tabs.SkinTabRect(1, false);
    ASSERT_FALSE(r.IsEmpty());
    ASSERT_GT(r.Height(), r.Width());
    // The ink is the pixels that differ from the tab's own colour next to the caption.
    const TPixelImage cache = s.Cache();
    const uint32_t ground = cache.At(r.left + r.Width() / 2, r.top + 6) & 0xFFFFFFu;
    int top = INT32_MAX, bottom = -1, left = INT32_MAX, right = -1;
    for (int y = r.top + 5; y < r.bottom - 5; ++y)
        for (int x = r.left + 5; x < r.right - 5; ++x)
            if ((cache.At(x, y) & 0xFFFFFFu) != ground) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    ASSERT_GE(bottom, 0);
    EXPECT_GT(bottom - top, 2 * (right - left)) << left << "," << top << " - " << right << "," << bottom;
    testing_support::SaveScreenshot(s.Pages->Handle(), L"page_control_left_tabs_Light", true);
}

TEST(SkinPageControl, ACtrlDragMovesATabWhereItIsDropped)
{
    struct TCase {
        const char* Name;
        bool AllowStart;
        bool AllowDrop;
        bool CtrlAtDrop;
        const wchar_t* Want;   // captions' last characters in page order
    };
    const TCase cases[] = {
        {"moved past the middle of the last tab", true, true, true, L"1342"},
        {"start refused", false, true, true, L"1234"},
        {"drop refused", true, false, true, L"1234"},
        {"released without Ctrl", true, true, false, L"1234"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TPageScene s(4, 0);
        s.Pages->AllowTabsDrag = true;
        std::vector<int> started, dropped;
        s.Pages->OnTabStartDrag = TacTabStartDrag::FromCallable([&](TComponent*, int tab, bool& allowed) {
            started.push_back(tab);
            allowed = c.AllowStart;
        });
        s.Pages->OnTabDrop = TacTabDrop::FromCallable([&](TComponent*, int tab, int target, bool& allowed) {
            dropped = {tab, target};
            allowed = c.AllowDrop;
        });
        TTabSheet* active = s.Pages->ActivePage();
        const TPoint from = Centre(TabRectOf(s.Pages, 1));
        const TRect last = TabRectOf(s.Pages, 3);
        const TPoint to(last.right - 3, Centre(last).y);
        SendMessageW(s.Pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(from.x, from.y));
        EXPECT_EQ(started, std::vector<int>{1});
        EXPECT_EQ(s.Pages->DraggedItem(), c.AllowStart ? 1 : -1);
        SendMessageW(s.Pages->Handle(), WM_LBUTTONUP, c.CtrlAtDrop ? MK_CONTROL : 0, MAKELPARAM(to.x, to.y));
        EXPECT_EQ(s.Pages->DraggedItem(), -1);
        PumpFor(30);
        if (c.AllowStart && c.CtrlAtDrop) EXPECT_EQ(dropped, (std::vector<int>{1, 3}));
        else EXPECT_TRUE(dropped.empty());
        String order;
        for (int i = 0; i < s.Pages->PageCount(); ++i) order += s.Pages->Pages(i)->Caption().back();
        EXPECT_EQ(order, String(c.Want));
        EXPECT_EQ(s.Pages->ActivePage(), active);   // a drag never changes the page
        ExpectTabColours(s);
    }
}

// While a tab is dragged a half-transparent picture of it follows the mouse, and two arrows
// across the strip mark where it would land; both go when the drag ends or the mouse is lost.
TEST(SkinPageControl, ADraggedTabsPictureFollowsTheMouseAndAnInsertMarkShowsWhereItLands)
{
    for (const bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "capture lost" : "dropped");
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TLayeredRecorder screen;
        TPageScene s(4, 0);
        s.Pages->AllowTabsDrag = true;
        const TRect tab = TabRectOf(s.Pages, 1);
        const TPoint from = Centre(tab);
        const TRect last = TabRectOf(s.Pages, 3);
        const TPoint to(last.right - 3, Centre(last).y);
        SendMessageW(s.Pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(from.x, from.y));
        EXPECT_TRUE(screen.Updates.empty());   // nothing shows before the mouse moves
        SendMessageW(s.Pages->Handle(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(to.x, to.y));
        ASSERT_EQ(screen.Updates.size(), 2u);

        // The tab's picture at half opacity, premultiplied, moved with the mouse.
        const TacLayeredUpdate& picture = screen.Updates[0];
        EXPECT_EQ(picture.Size, TSize(tab.Width(), tab.Height()));
        const uint32_t colour = Own(L"TABTOPMIDDLE", 0);
        const uint32_t px = picture.Pixels.At(fs::Border + 1, tab.Height() / 2);
        EXPECT_EQ(px >> 24, 0x7Fu);
        for (int k = 0; k < 24; k += 8) EXPECT_NEAR(int(px >> k & 0xFF), int(colour >> k & 0xFF) * 127 / 255, 1) << k;
        RECT wr;
        GetWindowRect(picture.Wnd, &wr);
        const TPoint origin = s.Pages->ClientToScreen(tab.TopLeft());
        EXPECT_EQ(TPoint(wr.left, wr.top), TPoint(origin.x + to.x - from.x, origin.y + to.y - from.y));
        EXPECT_NE(GetWindowLongPtrW(picture.Wnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);

        // The mark at the trailing edge of the last tab: the tab would land after it.
        const TacInsertMark want = [&] {
            const TacPageControlState state = s.Pages->TabState();
            return TacPageTabs(state).InsertMark(1, 3, s.Pages->SkinData()->ResolveSkinData()->ArrowSize);
        }();
        ASSERT_TRUE(want.Valid);
        const TacLayeredUpdate& mark = screen.Updates[1];
        EXPECT_EQ(mark.Size, want.Size);
        EXPECT_EQ(mark.DstPoint, s.Pages->ClientToScreen(want.At));
        const uint32_t highlight = fs::Opaque(ColorToRGB(clHighlight));
        // Opaque strokes in the highlight colour (premultiplying may take one off a channel).
        auto isHighlight = [highlight](uint32_t px) {
            if (px >> 24 != 0xFF) return false;
            for (int k = 0; k < 24; k += 8)
                if (std::abs(int(px >> k & 0xFF) - int(highlight >> k & 0xFF)) > 1) return false;
            return true;
        };
        for (const TRect& arrow : {want.First, want.Second}) {
            int solid = 0;
            for (int y = arrow.top; y < arrow.bottom; ++y)
                for (int x = arrow.left; x < arrow.right; ++x) solid += isHighlight(mark.Pixels.At(x, y));
            EXPECT_GT(solid, arrow.Width()) << "an arrow in the highlight colour";
        }
        EXPECT_EQ(mark.Pixels.At(want.Size.cx / 2, want.Size.cy / 2), 0u) << "clear between the arrows";
        EXPECT_TRUE(IsWindowVisible(mark.Wnd));

        // Off the tabs there is nowhere to land: the mark hides, the picture stays.
        SendMessageW(s.Pages->Handle(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(160, 150));
        EXPECT_FALSE(IsWindowVisible(mark.Wnd));
        EXPECT_TRUE(IsWindowVisible(picture.Wnd));

        if (cancelled) {
            SetCapture(s.Form->Handle());
            ReleaseCapture();
        } else {
            SendMessageW(s.Pages->Handle(), WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(to.x, to.y));
        }
        EXPECT_EQ(s.Pages->DraggedItem(), -1);
        EXPECT_FALSE(IsWindow(picture.Wnd));
        EXPECT_FALSE(IsWindow(mark.Wnd));
        EXPECT_EQ(s.Pages->Pages(3)->Caption(), cancelled ? L"Page 4" : L"Page 2");
    }
}

// Without a skin the picture is the native tab as the window shows it.
TEST(SkinPageControl, WithoutASkinADraggedTabsPictureIsTheNativeTab)
{
    TLayeredRecorder screen;
    TPageScene s(4, 0);
    ASSERT_FALSE(s.Pages->SkinData()->Skinned(true));
    s.Pages->AllowTabsDrag = true;
    const TRect tab = s.Pages->TabRect(1);
    const TPoint from = Centre(tab);
    SendMessageW(s.Pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(from.x, from.y));
    SendMessageW(s.Pages->Handle(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(from.x + 20, from.y));
    ASSERT_FALSE(screen.Updates.empty());
    const TacLayeredUpdate& picture = screen.Updates[0];
    EXPECT_EQ(picture.Size, TSize(tab.Width(), tab.Height()));
    const uint32_t want = ColorToRGB(testing_support::PixelAt(s.Pages->Handle(), tab.left + 2, Centre(tab).y));
    const uint32_t px = picture.Pixels.At(2, tab.Height() / 2);
    EXPECT_EQ(px >> 24, 0x7Fu);
    EXPECT_NEAR(int(px >> 8 & 0xFF), int(want >> 8 & 0xFF) * 127 / 255, 1);
    SendMessageW(s.Pages->Handle(), WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(from.x + 20, from.y));
    EXPECT_FALSE(IsWindow(picture.Wnd));
}

// ---- page area and padding ----------------------------------------------------------------------

TEST(SkinPageControl, PageMarginsMoveThePageAreaAtOnce)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    TTabSheet* page = s.Pages->Pages(0);
    const TRect before = page->BoundsRect();
    s.Pages->PageMargins()->SetOffsetTop(5);
    EXPECT_EQ(page->Top(), before.top + 5);
    s.Pages->PageMargins()->SetOffsetLeft(3);
    EXPECT_EQ(page->Left(), before.left + 3);
    s.Pages->PageMargins()->Reset();
    SendMessageW(s.Pages->Handle(), WM_SIZE, 0, MAKELPARAM(s.Pages->Width(), s.Pages->Height()));
    EXPECT_EQ(page->BoundsRect(), before);
}

TEST(SkinPageControl, PaddingIsAMarginOutsideTheClientAreaScaledByThePpi)
{
    struct TCase {
        int Ppi;
        int Padding;
        int Want;
    };
    const TCase cases[] = {{96, 4, 4}, {144, 4, 6}, {96, 0, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Ppi);
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TPageScene s(3, 0);
        s.Pages->SkinData()->CurrentPPI = c.Ppi;
        s.Pages->SetPaddingMargins(TRect(c.Padding, c.Padding, c.Padding, c.Padding));
        PumpFor(40);
        EXPECT_EQ(s.Pages->AddedPadding(), TRect(c.Want, c.Want, c.Want, c.Want));
        EXPECT_EQ(s.Pages->ClientWidth(), s.Pages->Width() - 2 * c.Want);
        EXPECT_EQ(s.Pages->ClientHeight(), s.Pages->Height() - 2 * c.Want);
        POINT origin{0, 0};
        MapWindowPoints(s.Pages->Handle(), s.Form->Handle(), &origin, 1);
        EXPECT_EQ(origin.x, c.Want);
        EXPECT_EQ(origin.y, c.Want);
        // The margin shows the form under the control; the frame starts inside it.
        if (c.Want > 0) {
            const TColor form = ColorToRGB(s.Form->Color());
            EXPECT_EQ(testing_support::PixelAt(s.Form->Handle(), 1, s.Pages->Height() / 2) & 0xFFFFFF, form);
            EXPECT_EQ(testing_support::PixelAt(s.Form->Handle(), s.Pages->Width() / 2, s.Pages->Height() - 1) & 0xFFFFFF, form);
        }
        const TPoint page = Centre(s.Pages->TabState().DisplayRect);
        EXPECT_EQ(s.Cache().At(page.x, page.y), Own(L"PAGECONTROL", 0));
    }
}

TEST(SkinPageControl, TheNativePaddingMakesRoomForBoldCaptionsAndCloseButtons)
{
    struct TCase {
        const char* Name;
        bool Bold;
        bool Close;
        int Grow;   // each tab's width grows by this much
    };
    const TCase cases[] = {
        {"bold", true, false, 18},
        {"close buttons of 15 and the skin's spacing", false, true, 0 /* computed below */},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPageScene s(3, 0);
        ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
        const TacPageControlState before = s.Pages->TabState();
        const int w0 = before.NativeTabRects.at(1).Width();
        s.Pages->SetCloseBtnSkin(L"BUTTON");
        s.Pages->SetActiveIsBold(c.Bold);
        s.Pages->SetShowCloseBtns(c.Close);
        PumpFor(20);
        const TacPageControlState after = s.Pages->TabState();
        const int grow = c.Close ? (before.Skin.Spacing + s.Pages->BtnWidth()) / 2 * 2 : c.Grow;
        EXPECT_EQ(after.NativeTabRects.at(1).Width(), w0 + grow);
    }
}

// Shown skinned and then switched off, the tabs are the tabs of a control that never had a skin:
// the padding the native control gets no longer counts the skin's tab covering or spacing.
TEST(SkinPageControl, SwitchedOffItsTabsAreThoseOfAControlNeverSkinned)
{
    struct TCase {
        const wchar_t* Skin;
        bool Close;
    };
    for (const TCase& c : {TCase{L"Dark", false}, TCase{L"Dark", true}, TCase{L"Fixture", true}}) {
        SCOPED_TRACE(ToUtf8(c.Skin) + (c.Close ? " with close buttons" : ""));
        TManagerPtr m = ManagerWithSkin(c.Skin);
        TPageScene was(3, 0);
        was.Pages->SetShowCloseBtns(c.Close);
        PumpFor(20);
        ASSERT_TRUE(was.Pages->SkinData()->Skinned(true));
        m->SetActive(false);
        PumpFor(60);
        TPageScene never(3, 0);
        never.Pages->SetShowCloseBtns(c.Close);
        PumpFor(20);
        ASSERT_FALSE(never.Pages->SkinData()->Skinned(true));
        const TacPageControlState a = was.Pages->TabState(), b = never.Pages->TabState();
        EXPECT_EQ(a.NativeTabRects, b.NativeTabRects);
        EXPECT_EQ(a.DisplayRect, b.DisplayRect);
    }
}

// ---- the list button -----------------------------------------------------------------------------

TEST(SkinPageControl, TheListButtonComesOnlyWhenTheTabsDoNotFit)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    {
        TPageScene s(5, 0);
        EXPECT_EQ(s.Pages->DropBtn(), nullptr);
    }
    TPageScene s(9, 0);
    s.Pages->SetWidth(200);
    PumpFor(40);
    const TacPageControlState state = s.Pages->TabState();
    ASSERT_TRUE(TacPageTabs(state).TabsOutOfView());
    TacDropBtn* b = s.Pages->DropBtn();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(b->Parent(), s.Pages);
    EXPECT_GT(b->Width(), 0);
    EXPECT_LE(b->Left() + b->Width(), s.Pages->Width());
    EXPECT_LT(b->Top(), state.DisplayRect.top);   // in the strip

    // Its menu lists the page tabs (not hidden ones, not buttons); an item selects its page.
    s.Pages->Pages(3)->SetTabVisible(false);
    Sheet(s, 5)->SetTabType(ttButton);
    PumpFor(40);
    b = s.Pages->DropBtn();
    ASSERT_NE(b, nullptr);
    b->FillMenu();
    TMenuItem* items = b->Menu()->Items();
    std::vector<int> tags;
    for (int i = 0; i < items->Count(); ++i) tags.push_back(int(items->Items(i)->Tag()));
    EXPECT_EQ(tags, (std::vector<int>{0, 1, 2, 4, 6, 7, 8}));
    EXPECT_TRUE(items->Items(0)->Checked());
    EXPECT_FALSE(items->Items(1)->Checked());
    items->Items(5)->Click();
    PumpFor(20);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 7);

    // Wide enough again: the button goes.
    s.Pages->SetWidth(900);
    PumpFor(40);
    EXPECT_EQ(s.Pages->DropBtn(), nullptr);
}

// ---- screenshots of every page -----------------------------------------------------------------

TEST(SkinPageControl, ScreenshotsOfEveryPageWithOurSkins)
{
    const wchar_t* names[] = {L"Base", L"Hardware", L"Shifter", L"Pedal", L"Debug"};
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive()) << skin;
        TPageScene s(5, 0);
        for (int i = 0; i < 5; ++i) s.Pages->Pages(i)->SetCaption(names[i]);
        s.Pages->Pages(3)->SetEnabled(false);
        for (int i = 0; i < 5; ++i) {
            s.Pages->SetActivePageIndex(i);
            PumpFor(40);
            ASSERT_EQ(s.Pages->ActivePageIndex(), i);
            testing_support::SaveScreenshot(s.Pages->Handle(),
                                            String(L"page_control_page") + IntToStr(i + 1) + L"_" + skin, true);
        }
    }
}

// Close buttons from the skin's small close glyph, a button tab and a menu tab, for a look.
TEST(SkinPageControl, CloseButtonAndButtonTabScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        TPageScene s(4, 1);
        s.Pages->SetShowCloseBtns(true);
        Sheet(s, 2)->SetTabType(ttButton);
        Sheet(s, 3)->SetTabType(ttMenu);
        PumpFor(60);
        EXPECT_EQ(s.Pages->ActivePageIndex(), 1) << skin;
        EXPECT_FALSE(s.Pages->CloseBtnRect(1).IsEmpty()) << skin;
        EXPECT_TRUE(s.Pages->CloseBtnRect(2).IsEmpty()) << skin;   // a button tab has none
        testing_support::SaveScreenshot(s.Pages->Handle(), String(L"page_control_close_buttons_") + skin, true);
    }
}

// Without a skin the native control draws the ordinary tabs; button and menu tabs and the close
// buttons, which it knows nothing of, are drawn over them and follow the mouse.
TEST(SkinPageControl, WithoutASkinButtonTabsAndCloseButtonsHaveThePlainLook)
{
    TPageScene s(4, 1);
    ASSERT_FALSE(s.Pages->SkinData()->Skinned(true));
    s.Pages->SetShowCloseBtns(true);
    Sheet(s, 2)->SetTabType(ttButton);
    Sheet(s, 3)->SetTabType(ttMenu);
    PumpFor(60);
    const TacPageControlState state = s.Pages->TabState();
    const TacPageTabs tabs(state);
    auto buttonRect = [&](int page) {
        TRect r = tabs.BaseTabRect(tabs.TabIndexOfPage(page));
        r.Inflate(-3, -1);
        return r;
    };
    const TRect close = s.Pages->CloseBtnRect(0), button = buttonRect(2), menu = buttonRect(3);
    ASSERT_FALSE(close.IsEmpty());
    ASSERT_FALSE(button.IsEmpty());
    struct TCase {
        const char* Name;
        TPoint Mouse;
        TPoint Probe;
        TColor Expected;
    };
    const TPoint away(160, 150);
    const TCase cases[] = {
        {"close button at rest", away, TPoint(close.left + 2, close.top + 2), TColor(0x5858AB)},
        {"close button hot", Centre(close), TPoint(close.left + 2, close.top + 2), clRed},
        {"button tab at rest", away, TPoint(button.left, Centre(button).y), s.Pages->Color()},
        {"button tab hot is raised", Centre(button), TPoint(button.left, Centre(button).y), clWhite},
        {"menu tab at rest", away, TPoint(menu.left + 2, menu.top + 2), s.Pages->Color()},
        {"menu tab hot is highlighted", Centre(menu), TPoint(menu.left + 2, menu.top + 2), clMenuHighlight},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        MouseAt(s.Pages, c.Mouse);
        PumpFor(40);
        EXPECT_EQ(ColorToRGB(testing_support::PixelAt(s.Pages->Handle(), c.Probe.x, c.Probe.y)), ColorToRGB(c.Expected));
    }
    MouseAt(s.Pages, away);
    PumpFor(40);
    testing_support::SaveScreenshot(s.Pages->Handle(), L"page_control_close_buttons_plain", true);
}

// A tab whose page has a hint shows that hint at the cursor; elsewhere the control's own stays.
TEST(SkinPageControl, ATabShowsItsPagesHint)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    s.Pages->Pages(1)->SetHint(L"second page");
    const TPoint cursorHalf(GetSystemMetrics(SM_CXCURSOR) / 2, GetSystemMetrics(SM_CYCURSOR) / 2);
    struct TCase {
        const char* Name;
        TPoint At;
        const wchar_t* Hint;
    };
    const TCase cases[] = {
        {"tab with a hint", Centre(TabRectOf(s.Pages, 1)), L"second page"},
        {"tab without one", Centre(TabRectOf(s.Pages, 2)), L"control"},
        {"page area", TPoint(160, 150), L"control"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        THintInfo hi;
        hi.HintControl = s.Pages;
        hi.CursorPos = c.At;
        hi.HintStr = L"control";
        s.Pages->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&hi));
        EXPECT_EQ(ToUtf8(hi.HintStr), ToUtf8(c.Hint));
        if (String(c.Hint) != L"control") {
            const TPoint screen = s.Pages->ClientToScreen(c.At);
            EXPECT_EQ(hi.HintPos, TPoint(screen.x + cursorHalf.x, screen.y + cursorHalf.y));
        }
    }
}

}  // namespace

// ---- owner-drawn tabs ---------------------------------------------------------------------------

namespace {

// Each tab filled with a colour of its own, its active flag kept.
struct TTabPainter {
    std::vector<std::pair<int, bool>> Calls;
    static TColor ColourOf(int tab) { return TColor(0x102030 + tab * 0x200000); }
    void Attach(TsPageControl* pages)
    {
        pages->OnDrawTab = TDrawTabEvent::FromCallable([this](TPageControl* c, int tab, const TRect& r, bool active) {
            Calls.emplace_back(tab, active);
            c->Canvas()->Brush()->SetColor(ColourOf(tab));
            c->Canvas()->FillRect(r);
        });
    }
};

}  // namespace

// Owner-drawn tabs are the application's, over the skinned tab background: with its handler
// every tab is what the handler drew; without it there are no tabs to see.
TEST(SkinPageControl, OwnerDrawnTabsAreDrawnByTheApplication)
{
    for (const bool withHandler : {true, false}) {
        SCOPED_TRACE(withHandler ? "with a handler" : "without one");
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TPageScene s(3, 1);
        TTabPainter painter;
        if (withHandler) painter.Attach(s.Pages);
        s.Pages->SetOwnerDraw(true);
        s.Pages->SkinData()->Invalidate(true);
        PumpFor(60);
        const TacPageControlState state = s.Pages->TabState();
        const TacPageTabs tabs(state);
        const TPixelImage cache = s.Cache();
        for (int t = 0; t < 3; ++t) {
            const TRect r = tabs.SkinTabRect(t, t == 1);
            const TPoint c = Centre(r);
            // GDI leaves the alpha byte alone: the colour is what counts.
            const uint32_t rgb = cache.At(c.x, c.y) & 0xFFFFFFu;
            const wchar_t* section = t == 0 ? L"TABTOPFIRST" : t == 2 ? L"TABTOPLAST" : L"TABTOPMIDDLE";
            if (withHandler) EXPECT_EQ(rgb, fs::Opaque(TTabPainter::ColourOf(t)) & 0xFFFFFFu) << t;
            else EXPECT_NE(rgb, Own(section, t == 1 ? 2 : 0) & 0xFFFFFFu) << t;
        }
        if (withHandler) {
            ASSERT_FALSE(painter.Calls.empty());
            for (const auto& [tab, active] : painter.Calls) EXPECT_EQ(active, tab == 1) << tab;
        }
    }
}

// Without a skin the native control asks for every tab, and the handler's picture is on screen.
TEST(SkinPageControl, OwnerDrawnTabsWithoutASkinAreDrawnByTheApplication)
{
    TPageScene s(3, 0);
    ASSERT_FALSE(s.Pages->SkinData()->Skinned(true));
    TTabPainter painter;
    painter.Attach(s.Pages);
    s.Pages->SetOwnerDraw(true);
    PumpFor(60);
    for (int t = 0; t < 3; ++t) {
        const TPoint c = Centre(s.Pages->TabRect(t));
        EXPECT_EQ(ColorToRGB(testing_support::PixelAt(s.Pages->Handle(), c.x, c.y)), ColorToRGB(TTabPainter::ColourOf(t))) << t;
    }
    EXPECT_NE(std::find(painter.Calls.begin(), painter.Calls.end(), std::make_pair(0, true)), painter.Calls.end());
}

// ---- composition of the whole control -------------------------------------------------------------

namespace {

// The box of the pixels in r (deflated by the section's border) that differ from the ground.
TRect InkBox(const TPixelImage& img, TRect r, uint32_t ground)
{
    r.Inflate(-fs::Border, -fs::Border);
    TRect box(r.right, r.bottom, r.left, r.top);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if ((img.At(x, y) | 0xFF000000u) != ground) {
                box.left = std::min<int>(box.left, x), box.top = std::min<int>(box.top, y);
                box.right = std::max<int>(box.right, x + 1), box.bottom = std::max<int>(box.bottom, y + 1);
            }
    return box;
}

}  // namespace

// The section frames the page area only; the strip shows what lies under the control, or the
// section TabsLineSkin names; the section's corner images stand in the page area's corners.
TEST(SkinPageControl, TheFrameCoversThePageAreaOnlyAndTheStripShowsWhatLiesUnderIt)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 1);   // the active tab, standing on the frame's top row, away from its corners
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    const uint32_t form = fs::Opaque(ColorToRGB(s.Form->Color()));
    auto areas = [&](TRect& pa, TRect& ta) {
        const TacPageControlState st = s.Pages->TabState();
        const TacPageTabs tabs(st);
        pa = tabs.PageAreaRect();
        ta = tabs.TabsAreaRect();
    };
    TRect pa, ta;
    areas(pa, ta);
    ASSERT_FALSE(ta.IsEmpty());
    ASSERT_EQ(pa.top, ta.bottom);
    const TPoint strip(s.Pages->Width() - 10, (ta.top + ta.bottom) / 2);   // right of the last tab
    EXPECT_EQ(s.Cache().At(strip.x, strip.y), form);
    EXPECT_EQ(s.Cache().At(strip.x, pa.top - 1), form);
    EXPECT_EQ(s.Cache().At(pa.left + fs::Border + 2, pa.top + fs::Border + 2), Own(L"PAGECONTROL", 0));
    EXPECT_EQ(testing_support::PixelAt(s.Pages->Handle(), strip.x, strip.y), ColorToRGB(s.Form->Color()));

    // A section with corner images: each in its corner of the page area, the strip untouched.
    s.Pages->SkinData()->SetSkinSection(L"CORNERS");
    PumpFor(60);
    areas(pa, ta);
    const TPoint corners[4] = {TPoint(pa.left, pa.top), TPoint(pa.right - 1, pa.top), TPoint(pa.left, pa.bottom - 1),
                               TPoint(pa.right - 1, pa.bottom - 1)};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(s.Cache().At(corners[c].x, corners[c].y), fs::Opaque(fs::CornerColor(c, 0))) << "corner " << c;
    EXPECT_EQ(s.Cache().At(strip.x, strip.y), form);

    // A line section under the strip; one the skin lacks leaves the strip as it was.
    s.Pages->SkinData()->SetSkinSection(L"");
    s.Pages->SetTabsLineSkin(L"PANEL");
    PumpFor(60);
    EXPECT_GE(s.Pages->TabsLineIndex(), 0);
    EXPECT_EQ(s.Cache().At(strip.x, strip.y), Own(L"PANEL", 0));
    s.Pages->SetTabsLineSkin(L"NO SUCH SECTION");
    PumpFor(60);
    EXPECT_EQ(s.Pages->TabsLineIndex(), -1);
    EXPECT_EQ(s.Cache().At(strip.x, strip.y), form);

    // The strip's clean ground kept for the tabs: the strip without any tab, into the page frame.
    const TacPageControlState st = s.Pages->TabState();
    const TacPageTabs tabs(st);
    const TRect bg = tabs.TabsBGRect();
    ASSERT_NE(s.Pages->TabsBG(), nullptr);
    ASSERT_EQ(s.Pages->TabsBG()->Width(), bg.Width());
    const TPixelImage clean = ImageFromBitmap32(s.Pages->TabsBG());
    const TRect first = tabs.SkinTabRect(1, true);
    EXPECT_EQ(clean.At(first.left + fs::Border + 1 - bg.left, Centre(first).y - bg.top), form);   // no tab in it
    EXPECT_EQ(clean.At(strip.x - bg.left, pa.top + fs::Border + 2 - bg.top), Own(L"PAGECONTROL", 0));
}

// Captions are centred in their tab; with WordWrap a long one takes more lines instead of being cut.
TEST(SkinPageControl, CaptionsAreCentredAndWrapWithWordWrap)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    s.Pages->Pages(1)->SetCaption(L"Alpha Beta Gamma");
    s.Pages->SetTabWidth(80);
    s.Pages->SetTabHeight(48);
    PumpFor(60);
    auto ink = [&] {
        const TRect r = TabRectOf(s.Pages, 1);
        return std::make_pair(r, InkBox(s.Cache(), r, Own(L"TABTOPMIDDLE", 0)));
    };
    const auto [r1, oneLine] = ink();
    ASSERT_FALSE(oneLine.IsEmpty());
    s.Pages->SetWordWrap(true);
    PumpFor(60);
    const auto [r, wrapped] = ink();
    ASSERT_FALSE(wrapped.IsEmpty());
    EXPECT_GT(wrapped.Height(), oneLine.Height() * 3 / 2) << "wrapped onto more lines";
    // Centred both ways in the tab (within the pixel a division leaves).
    EXPECT_NEAR(wrapped.left - r.left, r.right - wrapped.right, 3);
    EXPECT_NEAR(wrapped.top - r.top, r.bottom - wrapped.bottom, 3);
    // A short caption on one line is centred as well.
    const TRect r0 = TabRectOf(s.Pages, 2);
    const TRect short0 = InkBox(s.Cache(), r0, Own(L"TABTOPLAST", 0));
    EXPECT_NEAR(short0.left - r0.left, r0.right - short0.right, 3);
}

// The mouse goes through the strip beside the tabs; the page area is answered from the
// control's bounds; leaving the control lets go of the hovered close button.
TEST(SkinPageControl, HitTestBoundsAndMouseLeave)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(3, 0);
    HWND wnd = s.Pages->Handle();
    auto hit = [&](TPoint p) {
        POINT sp{p.x, p.y};
        ClientToScreen(wnd, &sp);
        return SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(sp.x, sp.y));
    };
    const TRect tab = TabRectOf(s.Pages, 1);
    EXPECT_EQ(hit(Centre(tab)), HTCLIENT);
    EXPECT_EQ(hit(TPoint(s.Pages->Width() - 10, Centre(tab).y)), HTTRANSPARENT);

    TRect bounds;
    PerformSkinCommand(s.Pages, scmGetBounds, reinterpret_cast<LPARAM>(&bounds));
    const TacPageControlState st = s.Pages->TabState();
    TRect want = TacPageTabs(st).PageAreaRect();
    want.Offset(s.Pages->Left(), s.Pages->Top());
    EXPECT_EQ(bounds, want);
    EXPECT_EQ(PerformSkinCommand(s.Pages, scmGetDefaultIndex, 0),
              m->GetSkinIndex(L"PAGECONTROL", s.Pages->SkinData()->ResolveSkinData()) + 1);

    s.Pages->SetShowCloseBtns(true);
    PumpFor(60);
    const TRect close = s.Pages->CloseBtnRect(1);
    ASSERT_FALSE(close.IsEmpty());
    MouseAt(s.Pages, Centre(close));
    ASSERT_EQ(s.Pages->HoveredBtnIndex(), 1);
    ASSERT_EQ(s.Pages->CurItem(), 1);
    PerformSkinCommand(s.Pages, scmMouseLeave, 0);
    EXPECT_EQ(s.Pages->HoveredBtnIndex(), -1);
    EXPECT_EQ(s.Pages->PressedBtnIndex(), -1);
    EXPECT_EQ(s.Pages->CurItem(), -1);
}

// A page with a border shows the page control's image in it; its children's background lies
// inside the border.
TEST(SkinPageControl, ABorderedSheetShowsThePageControlsImageInItsBorder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(2, 0);
    TTabSheet* page = s.Pages->Pages(0);
    page->SetBorderWidth(4);
    PumpFor(60);
    RedrawWindow(page->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(30);
    const auto shot = testing_support::CaptureWindow(s.Pages->Handle());
    ASSERT_TRUE(shot);
    const TPixelImage screen = ImageFromBitmap32(shot.get()), cache = s.Cache();
    for (TPoint at : {TPoint(1, 1), TPoint(page->Width() - 2, 2), TPoint(2, page->Height() - 1), TPoint(page->Width() / 2, 3)}) {
        const int x = page->Left() + at.x, y = page->Top() + at.y;
        EXPECT_EQ(screen.At(x, y) & 0xFFFFFFu, cache.At(x, y) & 0xFFFFFFu) << at.x << "," << at.y;
    }
    TacBgQuery q;
    GetControlBackground(q, page, false);
    EXPECT_EQ(q.Offset, TPoint(page->Left() + 4, page->Top() + 4));
}

// Tab index from code, all tabs at once, and a close button the application placed on a page.
TEST(SkinPageControl, TabIndexTabsVisibilityAndCloseClick)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPageScene s(4, 0);
    Sheet(s, 1)->SetTabType(ttButton);
    s.Pages->SetTabIndex(1);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 0);   // a button tab is never selected
    s.Pages->SetTabIndex(2);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 2);

    s.Pages->ChangeTabsVisibility(false);
    for (int i = 0; i < s.Pages->PageCount(); ++i) EXPECT_FALSE(s.Pages->Pages(i)->TabVisible()) << i;
    s.Pages->ChangeTabsVisibility(true);
    for (int i = 0; i < s.Pages->PageCount(); ++i) EXPECT_TRUE(s.Pages->Pages(i)->TabVisible()) << i;
    PumpFor(30);
    s.Pages->SetActivePageIndex(2);

    // Freed: the button standing on the sheet goes with it and is not touched afterwards.
    auto* freeBtn = new TButton(s.Form.get());
    freeBtn->SetParent(s.Pages->Pages(2));
    s.Pages->CloseClick(freeBtn);
    EXPECT_EQ(s.Pages->PageCount(), 3);
    EXPECT_EQ(s.Pages->ActivePageIndex(), 2);   // the former index when it still exists
    PumpFor(30);

    // Hidden: the sheet's tab and the button go.
    auto* hideBtn = new TButton(s.Form.get());
    hideBtn->SetParent(s.Pages->Pages(0));
    s.Pages->OnCloseBtnClick = TacCloseBtnClick::FromCallable([](TComponent*, int, bool&, TacCloseAction& a) { a = acaHide; });
    s.Pages->CloseClick(hideBtn);
    EXPECT_FALSE(s.Pages->Pages(0)->TabVisible());
    EXPECT_FALSE(hideBtn->Visible());
    EXPECT_EQ(s.Pages->PageCount(), 3);

    // Refused: nothing changes.
    s.Pages->OnCloseBtnClick = TacCloseBtnClick::FromCallable([](TComponent*, int, bool& can, TacCloseAction&) { can = false; });
    auto* keptBtn = new TButton(s.Form.get());
    keptBtn->SetParent(s.Pages->Pages(1));
    s.Pages->CloseClick(keptBtn);
    EXPECT_EQ(s.Pages->PageCount(), 3);
    EXPECT_TRUE(keptBtn->Visible());
    s.Pages->OnCloseBtnClick = nullptr;
}
