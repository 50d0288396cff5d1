// The page control's tab geometry, tab sections, content layout, native padding and page search,
// over a plain description of the control. The fixture is the main window's page control: five
// tabs on top (Pedal disabled), 600 x 400, native tabs 20 pixels high from x = 2.
#include <gtest/gtest.h>

#include <ostream>

#include "skin/controls/core/page_tabs.h"

void PrintTo(const TRect& r, std::ostream* os) { *os << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")"; }
void PrintTo(const TSize& s, std::ostream* os) { *os << "(" << s.cx << "x" << s.cy << ")"; }

namespace {

// Sections of the fixture skin.
constexpr int secTabTop = 10, secTabTopFirst = 11, secTabTopMiddle = 12, secTabTopLast = 13;
constexpr int secTabLeft = 20, secTabRight = 21, secTabLeftFirst = 22, secTabRightFirst = 23, secTabBottom = 24;
constexpr int secMenuBtn = 30, secMenuItem = 31, secSpeedButton = 32, secButton = 33, secToolButton = 34;
constexpr int secRibbon = 40;

TacTabSkin FixtureSkin()
{
    TacTabSkin s;
    s.HasManager = true;
    s.Active = true;
    s.Version = 12.0;
    s.Spacing = 4;
    s.ArrowSize = 5;
    s.Tabs[tlSingle][asTop] = secTabTop;
    s.Tabs[tlSingle][asLeft] = secTabLeft;
    s.Tabs[tlSingle][asRight] = secTabRight;
    s.Tabs[tlSingle][asBottom] = secTabBottom;
    s.MenuBtn = secMenuBtn;
    s.MenuItem = secMenuItem;
    s.SpeedButton = secSpeedButton;
    s.Button = secButton;
    s.ToolButton = secToolButton;
    return s;
}

TacPageControlState MainWindow()
{
    TacPageControlState st;
    for (const wchar_t* caption : {L"Base", L"Hardware", L"Shifter", L"Pedal", L"Debug"}) {
        TacTabPage p;
        p.Caption = caption;
        st.Pages.push_back(p);
    }
    st.Pages[3].Enabled = false;
    st.ActivePage = 0;
    st.Width = 600;
    st.Height = 400;
    st.NativeTabRects = {TRect(2, 2, 52, 22), TRect(52, 2, 122, 22), TRect(122, 2, 182, 22), TRect(182, 2, 237, 22),
                         TRect(237, 2, 292, 22)};
    st.DisplayRect = TRect(4, 26, 596, 396);
    st.Skin = FixtureSkin();
    return st;
}

// Three pages on the given side, native rectangles laid out along it.
TacPageControlState ThreeTabsOn(TTabPosition pos)
{
    TacPageControlState st = MainWindow();
    st.Pages.resize(3);
    st.TabPosition = pos;
    if (pos == tpLeft || pos == tpRight) {
        int x = pos == tpLeft ? 2 : 576;
        st.NativeTabRects = {TRect(x, 2, x + 22, 52), TRect(x, 52, x + 22, 122), TRect(x, 122, x + 22, 182)};
    } else {
        st.NativeTabRects.resize(3);
    }
    return st;
}

// One line: 7 pixels a character, 13 high, whatever the room (as a single-line measure does).
TSize MeasureFixed(const String& caption, int, bool) { return TSize(7 * static_cast<int>(caption.size()), 13); }

}  // namespace

// ---- tab rectangles ----------------------------------------------------------------------------

TEST(PageTabs, BaseTabRectGrowsFromTwiceTheStandardPpiAndMirrorsRightToLeft)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        int ppi;
        bool rtl;
        int tab;
        TRect expected;
    } cases[] = {
        {"96 PPI: native", tpTop, 96, false, 1, TRect(52, 2, 122, 22)},
        {"120 PPI: native", tpTop, 120, false, 0, TRect(2, 2, 52, 22)},
        {"192: active by 2 on every side", tpTop, 192, false, 0, TRect(0, 0, 54, 24)},
        {"192: others by 2 across the strip", tpTop, 192, false, 1, TRect(52, 0, 122, 24)},
        {"240: active by 4", tpTop, 240, false, 0, TRect(-2, -2, 56, 26)},
        {"240: others by 4 across", tpTop, 240, false, 2, TRect(122, -2, 182, 26)},
        {"192 on the left: across is horizontal", tpLeft, 192, false, 1, TRect(0, 52, 26, 122)},
        {"right-to-left on top: mirrored in the width", tpTop, 96, true, 1, TRect(478, 2, 548, 22)},
        {"right-to-left on the left: not mirrored", tpLeft, 96, true, 1, TRect(2, 52, 24, 122)},
    };
    for (const Case& c : cases) {
        TacPageControlState st = c.pos == tpTop ? MainWindow() : ThreeTabsOn(c.pos);
        st.FormPPI = c.ppi;
        st.RightToLeft = c.rtl;
        EXPECT_EQ(TacPageTabs(st).BaseTabRect(c.tab), c.expected) << c.what;
    }
}

TEST(PageTabs, TabIndexesWithoutATabGiveAnEmptyRectangle)
{
    TacPageControlState st = MainWindow();
    st.Pages[1].TabVisible = false;   // four visible tabs
    st.NativeTabRects.resize(4);
    st.NativeTabRects[2] = TRect();   // the native window could not answer for this one
    TacPageTabs tabs(st);
    for (int tab : {-1, 2, 4, 5, 100}) {
        EXPECT_TRUE(tabs.BaseTabRect(tab).IsEmpty()) << tab;
        EXPECT_TRUE(tabs.SkinTabRect(tab, true).IsEmpty()) << tab;
        EXPECT_TRUE(tabs.SkinTabRect(tab, false).IsEmpty()) << tab;
    }
    EXPECT_EQ(tabs.TabIndexOfPage(1), -1);
    EXPECT_EQ(tabs.TabIndexOfPage(4), 3);
    EXPECT_EQ(tabs.PageOfTab(1), 2);
    EXPECT_EQ(tabs.PageOfTab(4), -1);
}

TEST(PageTabs, SkinTabRectEnlargesTheActiveTab)
{
    struct Case {
        const char* what;
        TRect native;
        bool active;
        double version;
        TTabPosition pos;
        TRect expected;
    } cases[] = {
        {"inactive: native", TRect(52, 2, 122, 22), false, 12.0, tpTop, TRect(52, 2, 122, 22)},
        {"active: 2 on each side", TRect(52, 2, 122, 22), true, 12.0, tpTop, TRect(50, 0, 124, 24)},
        {"active at x 1, y 1: by 1", TRect(1, 1, 51, 21), true, 12.0, tpTop, TRect(0, 0, 52, 22)},
        {"active at the corner: not at all", TRect(0, 0, 50, 20), true, 12.0, tpTop, TRect(0, 0, 50, 20)},
        {"version 13 on top: one short at the bottom", TRect(52, 2, 122, 22), true, 13.0, tpTop, TRect(50, 0, 124, 23)},
        {"version 13 at the bottom: one short at the top", TRect(52, 378, 122, 398), true, 13.0, tpBottom,
         TRect(50, 377, 124, 400)},
        {"version 13 on the left: one short at the right", TRect(2, 52, 24, 122), true, 13.5, tpLeft, TRect(0, 50, 25, 124)},
        {"version 13 on the right: one short at the left", TRect(576, 52, 598, 122), true, 13.0, tpRight,
         TRect(575, 50, 600, 124)},
        {"version 13, inactive: native", TRect(52, 2, 122, 22), false, 13.0, tpTop, TRect(52, 2, 122, 22)},
        // Scrolled partly out of view: the visible part keeps its width.
        {"active, left edge scrolled out", TRect(-30, 2, 20, 22), true, 12.0, tpTop, TRect(-30, 0, 20, 24)},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.TabPosition = c.pos;
        st.NativeTabRects[1] = c.native;
        st.ActivePage = c.active ? 1 : 0;
        st.Skin.Version = c.version;
        EXPECT_EQ(TacPageTabs(st).SkinTabRect(1, c.active), c.expected) << c.what;
    }
}

TEST(PageTabs, SkinTabRectWithoutEnlargedActiveTab)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        TRect native;
        bool active;
        TacTabType type;
        TRect expected;
    } cases[] = {
        {"x 0 on top", tpTop, TRect(0, 2, 50, 22), false, ttTab, TRect(0, 0, 50, 22)},
        {"x 1 is drawn from 0", tpTop, TRect(1, 2, 51, 22), false, ttTab, TRect(0, 0, 51, 22)},
        {"x 4 is drawn from 0", tpTop, TRect(4, 2, 54, 22), false, ttTab, TRect(0, 0, 54, 22)},
        {"x 5 stays", tpTop, TRect(5, 2, 55, 22), false, ttTab, TRect(5, 0, 55, 22)},
        {"active on top: one lower", tpTop, TRect(52, 2, 122, 22), true, ttTab, TRect(52, 0, 122, 23)},
        {"at the bottom", tpBottom, TRect(52, 378, 122, 398), false, ttTab, TRect(52, 376, 122, 398)},
        // After the tab before it (covering 0, plus 1), narrowed by the skin's spacing.
        {"button tab", tpTop, TRect(52, 2, 122, 22), false, ttButton, TRect(57, 0, 118, 22)},
        {"on the left, inactive", tpLeft, TRect(2, 52, 24, 122), false, ttTab, TRect(0, 52, 25, 122)},
        {"on the left, active", tpLeft, TRect(2, 52, 24, 122), true, ttTab, TRect(0, 50, 26, 124)},
        {"on the right, inactive", tpRight, TRect(576, 52, 598, 122), false, ttTab, TRect(575, 52, 600, 122)},
        {"on the right, active", tpRight, TRect(576, 52, 598, 122), true, ttTab, TRect(574, 50, 600, 124)},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.ActiveTabEnlarged = false;
        st.TabPosition = c.pos;
        st.NativeTabRects[1] = c.native;
        st.Pages[1].TabType = c.type;
        st.ActivePage = c.active ? 1 : 0;
        EXPECT_EQ(TacPageTabs(st).SkinTabRect(1, c.active), c.expected) << c.what;
    }
}

TEST(PageTabs, CoveringWidensPageTabsAndKeepsButtonTabsClear)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        bool rtl;
        bool enlarged;
        int tab;
        TacTabType type;
        TRect expected;
    } cases[] = {
        {"tab: 6 wider to the right", tpTop, false, true, 1, ttTab, TRect(52, 2, 128, 22)},
        {"right-to-left: 6 wider to the left", tpTop, true, true, 1, ttTab, TRect(472, 2, 548, 22)},
        {"not enlarged: still 6 wider", tpTop, false, false, 1, ttTab, TRect(52, 0, 128, 22)},
        {"on the left: 6 longer downward", tpLeft, false, true, 1, ttTab, TRect(2, 52, 24, 128)},
        // A button tab steps past its left neighbour's covering (+1), then narrows by 2 and 3.
        {"button tab after a tab", tpTop, false, true, 1, ttButton, TRect(58, 2, 119, 22)},
        // The first button tab stays clear of its right neighbour instead.
        {"first button tab", tpTop, false, true, 0, ttButton, TRect(4, 2, 46, 22)},
    };
    for (const Case& c : cases) {
        TacPageControlState st = c.pos == tpTop ? MainWindow() : ThreeTabsOn(c.pos);
        st.Skin.TabsCovering = 3;
        st.RightToLeft = c.rtl;
        st.ActiveTabEnlarged = c.enlarged;
        st.ActivePage = 2;
        st.Pages[static_cast<size_t>(c.tab)].TabType = c.type;
        EXPECT_EQ(TacPageTabs(st).SkinTabRect(c.tab, false), c.expected) << c.what;
    }
    // Without a manager there is no covering.
    TacPageControlState st = MainWindow();
    st.Skin.TabsCovering = 3;
    st.Skin.HasManager = false;
    EXPECT_EQ(TacPageTabs(st).SkinTabRect(1, false), TRect(52, 2, 122, 22));
}

TEST(PageTabs, TabUnderMouseSkipsPagesWithoutAVisibleTab)
{
    TacPageControlState st = MainWindow();
    st.Pages[1].TabVisible = false;   // Hardware hidden: the native window shows four tabs
    st.NativeTabRects = {TRect(2, 2, 52, 22), TRect(52, 2, 112, 22), TRect(112, 2, 167, 22), TRect(167, 2, 222, 22)};
    struct Case {
        TPoint p;
        int page;
    } cases[] = {
        {TPoint(10, 10), 0}, {TPoint(0, 0), 0},       // the enlarged active tab reaches the corner
        {TPoint(53, 1), 0},                            // still the enlarged active tab
        {TPoint(60, 1), -1},                           // above an inactive tab
        {TPoint(60, 10), 2}, {TPoint(111, 21), 2},     // the second visible tab shows Shifter
        {TPoint(112, 10), 3}, {TPoint(221, 10), 4},
        {TPoint(222, 10), -1}, {TPoint(300, 200), -1},
    };
    TacPageTabs tabs(st);
    for (const Case& c : cases) EXPECT_EQ(tabs.GetTabUnderMouse(c.p), c.page) << c.p.x << "," << c.p.y;

    // Fewer native answers than visible tabs: the missing ones are never hit.
    st.NativeTabRects.resize(2);
    EXPECT_EQ(TacPageTabs(st).GetTabUnderMouse(TPoint(120, 10)), -1);
    EXPECT_EQ(TacPageTabs(st).GetTabUnderMouse(TPoint(60, 10)), 2);
}

// The strip answers the window's hit test: its tabs are the control's, the rest of the strip lets
// the mouse through to what lies under it; outside the strip the usual answer stands.
TEST(PageTabs, StripHitTestLetsTheMouseThroughBesideTheTabs)
{
    struct Case {
        const char* what;
        TPoint p;
        bool designing;
        int hit;
    } cases[] = {
        {"on the active tab", TPoint(10, 10), false, 1},
        {"on the active tab's enlarged corner", TPoint(0, 0), false, 1},
        {"on an inactive tab", TPoint(60, 10), false, 1},
        {"on the disabled Pedal tab", TPoint(200, 10), false, 1},
        {"above an inactive tab", TPoint(60, 1), false, -1},
        {"right of the last tab", TPoint(292, 10), false, -1},
        {"far right in the strip", TPoint(599, 21), false, -1},
        {"at design time beside the tabs", TPoint(400, 10), true, 1},
        {"on the strip's last row", TPoint(400, 21), false, -1},
        {"on the page frame's first row", TPoint(400, 22), false, 0},
        {"in the page", TPoint(300, 200), false, 0},
        {"in the page at design time", TPoint(300, 200), true, 0},
    };
    const TacPageControlState st = MainWindow();
    const TacPageTabs tabs(st);
    for (const Case& c : cases) EXPECT_EQ(tabs.StripHitTest(c.p, c.p, c.designing), c.hit) << c.what;

    // With a padding the strip is tested in window coordinates, the tabs in client ones.
    TacPageControlState padded = MainWindow();
    padded.AddedPadding = TRect(6, 6, 6, 6);
    const TacPageTabs pt(padded);
    EXPECT_EQ(pt.StripHitTest(TPoint(16, 16), TPoint(10, 10), false), 1);
    EXPECT_EQ(pt.StripHitTest(TPoint(406, 16), TPoint(400, 10), false), -1);
    EXPECT_EQ(pt.StripHitTest(TPoint(406, 30), TPoint(400, 24), false), 0);

    // Without a visible tab there is no strip.
    TacPageControlState hidden = MainWindow();
    for (TacTabPage& p : hidden.Pages) p.TabVisible = false;
    EXPECT_EQ(TacPageTabs(hidden).StripHitTest(TPoint(10, 10), TPoint(10, 10), false), 0);
}

TEST(PageTabs, StripPageAndBackgroundRectangles)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        bool rtl;
        TRect display;
        TRect padding;
        TRect tabsArea, pageArea, tabsBG;
    } cases[] = {
        {"top", tpTop, false, TRect(4, 26, 596, 396), TRect(), TRect(0, 0, 600, 22), TRect(0, 22, 600, 400),
         TRect(0, 0, 600, 37)},
        {"top with padding 6", tpTop, false, TRect(4, 26, 596, 396), TRect(6, 6, 6, 6), TRect(0, 0, 600, 28),
         TRect(6, 28, 594, 394), TRect(0, 0, 600, 43)},
        {"bottom", tpBottom, false, TRect(4, 4, 596, 374), TRect(), TRect(0, 376, 600, 400), TRect(0, 0, 600, 376),
         TRect(0, 361, 600, 400)},
        {"left", tpLeft, false, TRect(26, 4, 596, 396), TRect(), TRect(0, 0, 25, 400), TRect(25, 0, 600, 400),
         TRect(0, 0, 40, 400)},
        {"left, right-to-left", tpLeft, true, TRect(4, 4, 574, 396), TRect(), TRect(575, 0, 600, 400),
         TRect(0, 0, 575, 400), TRect(0, 0, 18, 400)},
        {"right", tpRight, false, TRect(4, 4, 574, 396), TRect(), TRect(575, 0, 600, 400), TRect(0, 0, 575, 400),
         TRect(560, 0, 600, 400)},
        {"right, right-to-left", tpRight, true, TRect(26, 4, 596, 396), TRect(), TRect(0, 0, 25, 400),
         TRect(25, 0, 600, 400), TRect(582, 0, 600, 400)},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.TabPosition = c.pos;
        st.RightToLeft = c.rtl;
        st.DisplayRect = c.display;
        st.AddedPadding = c.padding;
        TacPageTabs tabs(st);
        EXPECT_EQ(tabs.TabsAreaRect(), c.tabsArea) << c.what;
        EXPECT_EQ(tabs.PageAreaRect(), c.pageArea) << c.what;
        EXPECT_EQ(tabs.TabsBGRect(), c.tabsBG) << c.what;
    }
    // Without a visible tab: no strip, the page area is the whole control less the padding.
    TacPageControlState st = MainWindow();
    for (TacTabPage& p : st.Pages) p.TabVisible = false;
    st.AddedPadding = TRect(1, 2, 3, 4);
    TacPageTabs tabs(st);
    EXPECT_TRUE(tabs.TabsAreaRect().IsEmpty());
    EXPECT_TRUE(tabs.TabsBGRect().IsEmpty());
    EXPECT_EQ(tabs.PageAreaRect(), TRect(1, 2, 597, 396));
}

TEST(PageTabs, PaddingAndPageMargins)
{
    EXPECT_EQ(PagePaddingAtPpi(TRect(4, 4, 4, 4), 144), TRect(6, 6, 6, 6));
    EXPECT_EQ(PagePaddingAtPpi(TRect(4, 5, 0, 7), 96), TRect(4, 5, 0, 7));
    EXPECT_EQ(PagePaddingAtPpi(TRect(3, 3, 3, 3), 120), TRect(3, 3, 3, 3));
    // OffsetTop 5: the page starts 5 pixels lower.
    EXPECT_EQ(ApplyPageMargins(TRect(0, 0, 600, 400), TRect(0, 5, 0, 0), 600, 400), TRect(0, 5, 600, 400));
    EXPECT_EQ(ApplyPageMargins(TRect(0, 0, 600, 400), TRect(2, 0, -3, -4), 600, 400), TRect(2, 0, 597, 396));
}

TEST(PageTabs, TabsOutOfView)
{
    struct Case {
        const char* what;
        TRect first, last;
        bool multiLine;
        TTabPosition pos;
        bool hasWindow;
        bool out;
    } cases[] = {
        {"all fit", TRect(2, 2, 52, 22), TRect(237, 2, 292, 22), false, tpTop, true, false},
        {"last reaches the width", TRect(2, 2, 52, 22), TRect(540, 2, 600, 22), false, tpTop, true, true},
        {"last ends before it", TRect(2, 2, 52, 22), TRect(540, 2, 599, 22), false, tpTop, true, false},
        {"first scrolled left", TRect(-10, 2, 52, 22), TRect(237, 2, 292, 22), false, tpBottom, true, true},
        {"several rows", TRect(-10, 2, 52, 22), TRect(540, 2, 700, 22), true, tpTop, true, false},
        {"on the left", TRect(-10, 2, 52, 22), TRect(540, 2, 700, 22), false, tpLeft, true, false},
        {"no window", TRect(-10, 2, 52, 22), TRect(540, 2, 700, 22), false, tpTop, false, false},
        // The native window has no rectangle for a tab it scrolled out of view.
        {"last not shown", TRect(2, 2, 52, 22), TRect(), false, tpTop, true, true},
        {"first scrolled away", TRect(), TRect(237, 2, 292, 22), false, tpTop, true, true},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.NativeTabRects.front() = c.first;
        st.NativeTabRects.back() = c.last;
        st.MultiLine = c.multiLine;
        st.TabPosition = c.pos;
        st.HasWindow = c.hasWindow;
        EXPECT_EQ(TacPageTabs(st).TabsOutOfView(), c.out) << c.what;
    }
}

TEST(PageTabs, TurnedCaptionsAskForTabsAtLeast140Long)
{
    TacPageControlState st = MainWindow();
    EXPECT_EQ(TacPageTabs(st).TurnedTabSize(), TSize(20, 140));
    st = ThreeTabsOn(tpLeft);
    st.NativeTabRects[0] = TRect(2, 2, 24, 202);
    EXPECT_EQ(TacPageTabs(st).TurnedTabSize(), TSize(22, 200));
    st.Pages.clear();
    st.TabPosition = tpTop;
    EXPECT_EQ(TacPageTabs(st).TurnedTabSize(), TSize(24, 140));
}

// ---- tab sections ------------------------------------------------------------------------------

TEST(PageTabs, TabSectionsFollowTheTabsPlaceAmongItsNeighbours)
{
    TacTabSkin sided = FixtureSkin();
    sided.Tabs[tlFirst][asTop] = secTabTopFirst;
    sided.Tabs[tlMiddle][asTop] = secTabTopMiddle;
    sided.Tabs[tlLast][asTop] = secTabTopLast;
    TacTabSkin noMiddle = sided;
    noMiddle.Tabs[tlMiddle][asTop] = -1;

    struct Case {
        const char* what;
        TacTabSkin skin;
        int pages;
        std::vector<int> sections;
    } cases[] = {
        {"five tabs", sided, 5, {secTabTopFirst, secTabTopMiddle, secTabTopMiddle, secTabTopMiddle, secTabTopLast}},
        {"three tabs", sided, 3, {secTabTopFirst, secTabTopMiddle, secTabTopLast}},
        {"one tab is a first tab", sided, 1, {secTabTopFirst}},
        {"no TABTOPFIRST: every tab TABTOP", FixtureSkin(), 3, {secTabTop, secTabTop, secTabTop}},
        {"no TABTOPMIDDLE: the middle one TABTOP", noMiddle, 3, {secTabTopFirst, secTabTop, secTabTopLast}},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.Pages.resize(static_cast<size_t>(c.pages));
        st.Skin = c.skin;
        TacPageTabs tabs(st);
        for (int i = 0; i < c.pages; ++i) EXPECT_EQ(tabs.TabSkinIndex(i), c.sections[static_cast<size_t>(i)]) << c.what << " " << i;
    }

    // Hidden tabs and button tabs are nobody's neighbours.
    TacPageControlState st = MainWindow();
    st.Skin = sided;
    st.Pages[0].TabVisible = false;
    st.Pages[4].TabType = ttButton;
    TacPageTabs tabs(st);
    EXPECT_EQ(tabs.TabLayoutOf(1), tlFirst);
    EXPECT_EQ(tabs.TabLayoutOf(2), tlMiddle);
    EXPECT_EQ(tabs.TabLayoutOf(3), tlLast);
}

TEST(PageTabs, TabSectionsByStyleKindAndSide)
{
    struct Case {
        const char* what;
        TTabStyle style;
        TacTabType type;
        String tabSkin;
        int tabSkinIndex;
        int menuBtn;
        TTabPosition pos;
        bool rtl;
        int section;
    } cases[] = {
        {"tabs", tsTabs, ttTab, L"", -1, secMenuBtn, tpTop, false, secTabTop},
        {"buttons", tsButtons, ttTab, L"", -1, secMenuBtn, tpTop, false, secButton},
        {"flat buttons", tsFlatButtons, ttTab, L"", -1, secMenuBtn, tpTop, false, secToolButton},
        {"own tab section", tsTabs, ttTab, L"RIBBONTAB", secRibbon, secMenuBtn, tpTop, false, secRibbon},
        {"own section the skin lacks", tsTabs, ttTab, L"NOSUCH", -1, secMenuBtn, tpTop, false, -1},
        {"button tab: MENUBTN", tsTabs, ttButton, L"", -1, secMenuBtn, tpTop, false, secMenuBtn},
        {"button tab without MENUBTN", tsTabs, ttButton, L"", -1, -1, tpTop, false, secSpeedButton},
        {"menu tab without MENUBTN", tsTabs, ttMenu, L"", -1, -1, tpTop, false, secMenuItem},
        {"button tab, own section", tsButtons, ttButton, L"SPEEDBUTTON", secSpeedButton, secMenuBtn, tpTop, false,
         secSpeedButton},
        {"left", tsTabs, ttTab, L"", -1, secMenuBtn, tpLeft, false, secTabLeft},
        {"left, right-to-left: the right-hand sections", tsTabs, ttTab, L"", -1, secMenuBtn, tpLeft, true, secTabRight},
        {"right, right-to-left: the left-hand sections", tsTabs, ttTab, L"", -1, secMenuBtn, tpRight, true, secTabLeft},
    };
    for (const Case& c : cases) {
        TacPageControlState st = ThreeTabsOn(c.pos);
        st.Style = c.style;
        st.RightToLeft = c.rtl;
        st.Skin.MenuBtn = c.menuBtn;
        st.Pages[1].TabType = c.type;
        st.Pages[1].TabSkin = c.tabSkin;
        st.Pages[1].TabSkinIndex = c.tabSkinIndex;
        EXPECT_EQ(TacPageTabs(st).TabSkinIndex(1), c.section) << c.what;
    }

    // The first-tab test looks at the unswapped side; the section itself comes from the swapped one.
    TacPageControlState st = ThreeTabsOn(tpLeft);
    st.RightToLeft = true;
    st.Skin.Tabs[tlFirst][asLeft] = secTabLeftFirst;
    st.Skin.Tabs[tlFirst][asRight] = secTabRightFirst;
    EXPECT_EQ(TacPageTabs(st).TabLayoutOf(0), tlFirst);
    EXPECT_EQ(TacPageTabs(st).TabSkinIndex(0), secTabRightFirst);
    st.Skin.Tabs[tlFirst][asLeft] = -1;
    EXPECT_EQ(TacPageTabs(st).TabLayoutOf(0), tlSingle);
    EXPECT_EQ(TacPageTabs(st).TabSkinIndex(0), secTabRight);

    // No active manager: no section, single layout.
    st = MainWindow();
    st.Skin.Tabs[tlFirst][asTop] = secTabTopFirst;
    st.Skin.Active = false;
    EXPECT_EQ(TacPageTabs(st).TabSkinIndex(0), -1);
    EXPECT_EQ(TacPageTabs(st).TabLayoutOf(0), tlSingle);
}

TEST(PageTabs, TabCovering)
{
    struct Case {
        const char* what;
        TTabStyle style;
        TacTabType type;
        String tabSkin;
        int covering;
    } cases[] = {
        {"page tab", tsTabs, ttTab, L"", 3},
        {"ribbon tab", tsTabs, ttTab, L"RIBBONTAB", 5},
        {"ribbon tab, any case", tsTabs, ttTab, L"RibbonTab", 5},
        {"other own section", tsTabs, ttTab, L"TABTOP", 0},
        {"button tab", tsTabs, ttButton, L"", 0},
        {"button style", tsButtons, ttTab, L"", 0},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.Skin.TabsCovering = 3;
        st.Skin.RibbonCovering = 5;
        st.Style = c.style;
        st.Pages[2].TabType = c.type;
        st.Pages[2].TabSkin = c.tabSkin;
        EXPECT_EQ(TacPageTabs(st).TabCovering(2), c.covering) << c.what;
    }
}

// ---- content layout ----------------------------------------------------------------------------

namespace {

struct LayoutCase {
    const char* what;
    std::function<void(TacPageControlState&)> setup;
    TRect rect;
    int state;
    bool isButton;
    TRect img, text, btn, arrow;
};

void CheckLayouts(const std::vector<LayoutCase>& cases)
{
    for (const LayoutCase& c : cases) {
        TacPageControlState st = MainWindow();
        st.ActivePage = 2;
        if (c.setup) c.setup(st);
        TacTabContent l = TacPageTabs(st).CalcTabLayout(1, c.rect, c.state, c.isButton, MeasureFixed);
        EXPECT_EQ(l.ImgRect, c.img) << c.what;
        EXPECT_EQ(l.TextRect, c.text) << c.what;
        EXPECT_EQ(l.BtnRect, c.btn) << c.what;
        EXPECT_EQ(l.ArrowRect, c.arrow) << c.what;
        EXPECT_EQ(l.ArrowSide, asBottom) << c.what;
    }
}

}  // namespace

// "Hardware" measures 56 x 13; the tab margin is 3, the skin's spacing 4.
TEST(PageTabs, ContentLayoutOfCaptionsAndGlyphs)
{
    auto glyph = [](TacPageControlState& st) { st.Pages[1].GlyphSize = TSize(16, 16); st.Pages[1].Caption = L"Base"; };
    CheckLayouts({
        {"centred caption", nullptr, TRect(0, 0, 70, 20), 0, false, TRect(7, 10, 7, 10), TRect(7, 4, 63, 17),
         TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"left justified", [](TacPageControlState& st) { st.TabAlignment = taLeftJustify; }, TRect(0, 0, 70, 20), 0, false,
         TRect(3, 10, 3, 10), TRect(3, 4, 59, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"right justified", [](TacPageControlState& st) { st.TabAlignment = taRightJustify; }, TRect(0, 0, 70, 20), 0, false,
         TRect(11, 10, 11, 10), TRect(11, 4, 67, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"alignment is for page tabs of the tabs style only", [](TacPageControlState& st) {
             st.TabAlignment = taLeftJustify;
             st.Style = tsButtons;
         }, TRect(0, 0, 70, 20), 0, false, TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10),
         TRect(63, 10, 63, 10)},
        {"odd spare height: the extra pixel above", nullptr, TRect(0, 0, 70, 21), 0, false, TRect(7, 10, 7, 10),
         TRect(7, 4, 63, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"glyph left of the caption", glyph, TRect(0, 0, 80, 20), 0, false, TRect(15, 2, 31, 18), TRect(37, 4, 65, 17),
         TRect(76, 10, 76, 10), TRect(73, 10, 73, 10)},
        {"glyph above the caption", [&](TacPageControlState& st) { glyph(st); st.GlyphLayout = glTop; }, TRect(0, 0, 60, 40),
         0, false, TRect(20, 2, 36, 18), TRect(14, 24, 42, 37), TRect(56, 20, 56, 20), TRect(53, 20, 53, 20)},
        // The tab is drawn 6 wider, its content rectangle narrowed by 6 at both ends.
        {"covering 3", [](TacPageControlState& st) { st.Skin.TabsCovering = 3; }, TRect(6, 0, 70, 20), 0, false,
         TRect(10, 10, 10, 10), TRect(10, 4, 66, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"right-to-left: mirrored in the tab", [](TacPageControlState& st) {
             st.RightToLeft = true;
             st.TabAlignment = taLeftJustify;
         }, TRect(0, 0, 70, 20), 0, false, TRect(67, 10, 67, 10), TRect(11, 4, 67, 17), TRect(4, 10, 4, 10),
         TRect(7, 10, 7, 10)},
        {"menu tab: arrow right of the caption", [](TacPageControlState& st) { st.Pages[1].TabType = ttMenu; },
         TRect(0, 0, 90, 20), 0, true, TRect(10, 10, 10, 10), TRect(10, 4, 66, 17), TRect(86, 10, 86, 10),
         TRect(73, 7, 83, 12)},
        {"menu page drawn as a page tab: no arrow", [](TacPageControlState& st) { st.Pages[1].TabType = ttMenu; },
         TRect(0, 0, 90, 20), 0, false, TRect(17, 10, 17, 10), TRect(17, 4, 73, 17), TRect(86, 10, 86, 10),
         TRect(83, 10, 83, 10)},
    });
}

TEST(PageTabs, ContentLayoutOfTheActiveTab)
{
    auto shifting = [](TacPageControlState& st) { st.Skin.ContentShiftsOnClick = [](int) { return true; }; };
    CheckLayouts({
        {"enlarged, centred: one up, the button 2 left", nullptr, TRect(0, 0, 70, 20), 2, false, TRect(7, 9, 7, 9),
         TRect(7, 3, 63, 16), TRect(64, 9, 64, 9), TRect(63, 9, 63, 9)},
        {"section shifting on click: two up", shifting, TRect(0, 0, 70, 20), 2, false, TRect(7, 8, 7, 8), TRect(7, 2, 63, 15),
         TRect(64, 8, 64, 8), TRect(63, 8, 63, 8)},
        {"left justified: content 2 right", [](TacPageControlState& st) { st.TabAlignment = taLeftJustify; },
         TRect(0, 0, 70, 20), 2, false, TRect(5, 9, 5, 9), TRect(5, 3, 61, 16), TRect(64, 9, 64, 9), TRect(61, 9, 61, 9)},
        {"right justified: content 2 left", [](TacPageControlState& st) { st.TabAlignment = taRightJustify; },
         TRect(0, 0, 70, 20), 2, false, TRect(9, 9, 9, 9), TRect(9, 3, 65, 16), TRect(68, 9, 68, 9), TRect(65, 9, 65, 9)},
        {"at the bottom: one down", [](TacPageControlState& st) { st.TabPosition = tpBottom; }, TRect(0, 0, 70, 20), 2,
         false, TRect(7, 11, 7, 11), TRect(7, 5, 63, 18), TRect(64, 11, 64, 11), TRect(63, 11, 63, 11)},
        {"right-to-left on top: one up", [](TacPageControlState& st) { st.RightToLeft = true; }, TRect(0, 0, 70, 20), 2,
         false, TRect(63, 9, 63, 9), TRect(7, 3, 63, 16), TRect(6, 9, 6, 9), TRect(7, 9, 7, 9)},
        {"not enlarged: one pixel shorter", [](TacPageControlState& st) { st.ActiveTabEnlarged = false; },
         TRect(0, 0, 70, 21), 2, false, TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10),
         TRect(63, 10, 63, 10)},
        {"pressed button tab of a shifting section: one right and down", [&](TacPageControlState& st) {
             shifting(st);
             st.Pages[1].TabType = ttButton;
         }, TRect(0, 0, 70, 20), 2, true, TRect(8, 11, 8, 11), TRect(8, 5, 64, 18), TRect(67, 11, 67, 11),
         TRect(64, 11, 64, 11)},
    });
}

TEST(PageTabs, ContentLayoutOfCloseButtons)
{
    auto close = [](TacCloseBtnVisibility v) {
        return [v](TacPageControlState& st) {
            st.ShowCloseBtns = true;
            st.CloseBtnVisibility = v;
            st.BtnWidth = 12;
            st.BtnHeight = 10;
        };
    };
    auto hoveredOn = [&](int curItem) {
        return [=](TacPageControlState& st) {
            close(cvMouseHovered)(st);
            st.CurItem = curItem;
        };
    };
    CheckLayouts({
        {"always: the caption stops before the button", close(cvAlways), TRect(0, 0, 70, 20), 0, false,
         TRect(3, 10, 3, 10), TRect(3, 4, 50, 17), TRect(54, 5, 66, 15), TRect(47, 10, 47, 10)},
        {"active tab only: none on an inactive tab", close(cvActiveTab), TRect(0, 0, 70, 20), 0, false,
         TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"mouse hovered: none on a normal tab", close(cvMouseHovered), TRect(0, 0, 70, 20), 0, false,
         TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10), TRect(63, 10, 63, 10)},
        {"mouse hovered: over the content of the hot tab", close(cvMouseHovered), TRect(0, 0, 70, 20), 1, false,
         TRect(7, 10, 7, 10), TRect(7, 4, 50, 17), TRect(54, 5, 66, 15), TRect(63, 10, 63, 10)},
        {"mouse hovered: on the active tab under the mouse", hoveredOn(1), TRect(0, 0, 70, 20), 2, false,
         TRect(7, 9, 7, 9), TRect(7, 3, 50, 16), TRect(52, 4, 64, 14), TRect(63, 9, 63, 9)},
        {"mouse hovered: not on the active tab elsewhere", hoveredOn(3), TRect(0, 0, 70, 20), 2, false,
         TRect(7, 9, 7, 9), TRect(7, 3, 63, 16), TRect(64, 9, 64, 9), TRect(63, 9, 63, 9)},
        {"never on a button tab", [&](TacPageControlState& st) {
             close(cvAlways)(st);
             st.Pages[1].TabType = ttButton;
         }, TRect(0, 0, 70, 20), 1, true, TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10),
         TRect(63, 10, 63, 10)},
        {"never on a sheet without UseCloseBtn", [&](TacPageControlState& st) {
             close(cvAlways)(st);
             st.Pages[1].UseCloseBtn = false;
         }, TRect(0, 0, 70, 20), 1, false, TRect(7, 10, 7, 10), TRect(7, 4, 63, 17), TRect(66, 10, 66, 10),
         TRect(63, 10, 63, 10)},
    });
}

TEST(PageTabs, ContentLayoutOfTurnedCaptionsAndFocus)
{
    TacPageControlState st = MainWindow();
    st.RotateCaptions = true;
    TacTabContent l = TacPageTabs(st).CalcTabLayout(1, TRect(0, 0, 20, 70), 0, false, MeasureFixed);
    EXPECT_EQ(l.TextRect, TRect(4, 7, 17, 63));
    EXPECT_EQ(l.TextPos, TPoint(4, 63)) << "a turned caption is written from its bottom";
    EXPECT_EQ(l.BtnRect, TRect(10, 4, 10, 4));

    // Tabs on the left turn their captions unless RotateCaptions turns them back.
    st = ThreeTabsOn(tpLeft);
    EXPECT_TRUE(TacPageTabs(st).CaptionsTurned());
    st.RotateCaptions = true;
    EXPECT_FALSE(TacPageTabs(st).CaptionsTurned());

    struct Case {
        const char* what;
        bool showFocus, focused;
        int state;
        bool isButton;
        TRect focus;
    } cases[] = {
        {"focused active tab", true, true, 2, false, TRect(4, 3, 66, 19)},
        {"not focused", true, false, 2, false, TRect()},
        {"ShowFocus off", false, true, 2, false, TRect()},
        {"hot tab", true, true, 1, false, TRect()},
        {"pressed button tab", true, true, 2, true, TRect()},
    };
    for (const Case& c : cases) {
        st = MainWindow();
        st.ShowFocus = c.showFocus;
        st.Focused = c.focused;
        if (c.isButton) st.Pages[1].TabType = ttButton;
        EXPECT_EQ(TacPageTabs(st).CalcTabLayout(1, TRect(0, 0, 70, 20), c.state, c.isButton, MeasureFixed).FocusRect, c.focus)
            << c.what;
    }
}

TEST(PageTabs, CaptionRoomHandedToTheMeasurer)
{
    struct Case {
        const char* what;
        std::function<void(TacPageControlState&)> setup;
        int width;
    } cases[] = {
        {"plain", nullptr, 53},
        {"covering 3", [](TacPageControlState& st) { st.Skin.TabsCovering = 3; }, 59},
        {"close button", [](TacPageControlState& st) {
             st.ShowCloseBtns = true;
             st.BtnWidth = 12;
         }, 37},
        {"glyph", [](TacPageControlState& st) { st.Pages[1].GlyphSize = TSize(16, 16); }, 43},
        {"glyph above", [](TacPageControlState& st) {
             st.Pages[1].GlyphSize = TSize(16, 16);
             st.GlyphLayout = glTop;
         }, 56},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        if (c.setup) c.setup(st);
        int given = -1;
        TacPageTabs(st).CalcTabLayout(1, TRect(0, 0, 70, 20), 0, false, [&](const String&, int w, bool) {
            given = w;
            return TSize(10, 13);
        });
        EXPECT_EQ(given, c.width) << c.what;
    }
}

// ---- native padding and close buttons ------------------------------------------------------------

TEST(PageTabs, NativePaddingOfEveryTab)
{
    struct Case {
        const char* what;
        std::function<void(TacPageControlState&)> setup;
        int x;
        int low;
    } cases[] = {
        {"defaults", nullptr, 12, 6},
        {"ActiveIsBold: 9 more", [](TacPageControlState& st) { st.ActiveIsBold = true; }, 30, 15},
        {"images", [](TacPageControlState& st) { st.HasImages = true; }, 16, 5},
        {"images and bold: 6 more", [](TacPageControlState& st) { st.HasImages = st.ActiveIsBold = true; }, 34, 11},
        {"a visible menu tab", [](TacPageControlState& st) { st.Pages[2].TabType = ttMenu; }, 30, 15},
        {"a hidden menu tab", [](TacPageControlState& st) {
             st.Pages[2].TabType = ttMenu;
             st.Pages[2].TabVisible = false;
         }, 12, 6},
        {"close buttons instead of the arrow", [](TacPageControlState& st) {
             st.Pages[2].TabType = ttMenu;
             st.ShowCloseBtns = true;
         }, 31, 15},
        {"covering 3", [](TacPageControlState& st) { st.Skin.TabsCovering = 3; }, 18, 9},
        {"tab padding 2 and margin 5", [](TacPageControlState& st) {
             st.TabPadding = 2;
             st.TabMargin = 5;
         }, 20, 10},
        {"144 PPI", [](TacPageControlState& st) { st.ScalePPI = 144; }, 18, 9},
        {"144 PPI with images", [](TacPageControlState& st) {
             st.ScalePPI = 144;
             st.HasImages = true;
         }, 25, 8},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        if (c.setup) c.setup(st);
        TacPageTabs tabs(st);
        EXPECT_EQ(tabs.PaddingX(), c.x) << c.what;
        EXPECT_EQ(tabs.PaddingParam(), static_cast<uint32_t>(c.low) | 0x30000u) << c.what;
    }
}

TEST(PageTabs, CloseButtonSize)
{
    EXPECT_EQ(CloseBtnSize(true, 12, 10, 96), TSize(12, 10));
    EXPECT_EQ(CloseBtnSize(true, 6, 9, 96), TSize(8, 9));
    EXPECT_EQ(CloseBtnSize(true, 8, 9, 192), TSize(8, 9));
    EXPECT_EQ(CloseBtnSize(false, 0, 0, 96), TSize(15, 15));
    EXPECT_EQ(CloseBtnSize(false, 0, 0, 144), TSize(22, 22));
}

// ---- painting order and states -------------------------------------------------------------------

TEST(PageTabs, ActiveTabIsDrawnLastOverItsNeighbours)
{
    TacPageControlState st = MainWindow();
    st.ActivePage = 1;
    st.CurItem = 3;
    using Order = std::vector<std::pair<int, int>>;
    EXPECT_EQ(TacPageTabs(st).PaintOrder(), (Order{{4, 0}, {3, 1}, {2, 0}, {0, 0}, {1, 2}}));

    st.Pages[2].TabVisible = false;
    st.Pages[4].TabType = ttMenu;
    st.DroppedDownItem = 4;
    EXPECT_EQ(TacPageTabs(st).PaintOrder(), (Order{{4, 2}, {3, 1}, {0, 0}, {1, 2}}));

    // A held button tab is pressed; an active page that is not a page tab takes its place in line.
    st = MainWindow();
    st.Pages[0].TabType = ttButton;
    st.PressedBtnIndex = 0;
    EXPECT_EQ(TacPageTabs(st).PaintOrder(), (Order{{4, 0}, {3, 0}, {2, 0}, {1, 0}, {0, 2}}));
}

TEST(PageTabs, AnimationStateOfATab)
{
    struct Case {
        int curItem, pressed, hovered, dropped;
        int page;
        int state;
    } cases[] = {
        {-1, -1, -1, -1, 2, 0}, {3, -1, -1, -1, 2, 0}, {2, -1, -1, -1, 2, 1}, {2, -1, -1, 2, 2, 2},
        {2, -1, 2, -1, 2, 3},   {2, 2, 2, -1, 2, 4},   {-1, -1, -1, -1, -1, 0},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.CurItem = c.curItem;
        st.PressedBtnIndex = c.pressed;
        st.HoveredBtnIndex = c.hovered;
        st.DroppedDownItem = c.dropped;
        EXPECT_EQ(TacPageTabs(st).TabAnimState(c.page), c.state) << c.curItem << c.pressed << c.hovered << c.dropped;
    }
}

// ---- page search -------------------------------------------------------------------------------

TEST(PageTabs, NeighbourAndNearestPages)
{
    TacPageControlState st = MainWindow();
    st.Pages[1].TabType = ttButton;
    st.Pages[2].TabVisible = false;
    st.Pages[4].TabType = ttMenu;
    TacPageTabs tabs(st);
    EXPECT_EQ(tabs.NeighbourTab(0, true), 3);
    EXPECT_EQ(tabs.NeighbourTab(3, false), 0);
    EXPECT_EQ(tabs.NeighbourTab(3, true), -1);
    EXPECT_EQ(tabs.NeighbourTab(0, false), -1);

    struct Case {
        int from, nearest;
    } cases[] = {
        {0, 0},
        {1, 2},    // a button tab gives way to the next page (a hidden tab is not a button tab)
        {4, 3},    // the last page is a menu tab: backward
        {-1, -1}, {5, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(tabs.NearestTabPage(c.from), c.nearest) << c.from;

    // A page whose tab is hidden may still be the active page; a visible button tab may not.
    for (TacTabPage& p : st.Pages) p.TabType = ttButton;
    EXPECT_EQ(TacPageTabs(st).NearestTabPage(4), 2);
    st.Pages[2].TabVisible = true;
    EXPECT_EQ(TacPageTabs(st).NearestTabPage(4), -1);
}

TEST(PageTabs, TabIndexesToPages)
{
    TacPageControlState st = MainWindow();
    st.Pages[1].TabVisible = false;
    st.Pages[3].TabType = ttButton;
    TacPageTabs tabs(st);
    struct Case {
        int value, page;
    } cases[] = {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 4}, {9, 4}, {-1, 4}};
    for (const Case& c : cases) EXPECT_EQ(tabs.TabToPageIndex(c.value), c.page) << c.value;

    struct Choice {
        int value;
        bool pass;
        int page;
    } choices[] = {
        {-1, true, -1},   // outside the page count: to the base unchanged
        {5, true, -1},
        {1, false, 2},
        {2, false, -1},   // a button tab is never selected
        {4, false, 4},    // fewer visible tabs than that: the last page
    };
    for (const Choice& c : choices) {
        TacTabIndexChoice r = tabs.SetTabIndexChoice(c.value);
        EXPECT_EQ(r.PassToBase, c.pass) << c.value;
        EXPECT_EQ(r.Page, c.page) << c.value;
    }
}

TEST(PageTabs, NavigationKeys)
{
    using K = TacTabKey;
    struct Case {
        const char* what;
        std::function<void(TacPageControlState&)> setup;
        int active;
        K key;
        int target;
        bool pass;
    } cases[] = {
        {"Right to the next page", nullptr, 0, K::Right, 1, true},
        {"Left on the first page is swallowed", nullptr, 0, K::Left, -1, false},
        {"Right on the last page is swallowed", nullptr, 4, K::Right, -1, false},
        {"Right onto the disabled Pedal page", nullptr, 2, K::Right, 3, true},
        {"disabled pages not accessible", [](TacPageControlState& st) { st.AccessibleDisabledPages = false; }, 2, K::Right,
         3, false},
        {"Ctrl+Tab on the last page wraps to the first", nullptr, 4, K::CtrlTab, 0, true},
        {"Ctrl+Shift+Tab on the first page wraps to the last", nullptr, 0, K::CtrlShiftTab, 4, true},
        {"Ctrl+Tab to the next", nullptr, 1, K::CtrlTab, 2, true},
        {"a button tab swallows the key", [](TacPageControlState& st) { st.Pages[1].TabType = ttButton; }, 0, K::Right, 1,
         false},
        {"a menu tab swallows Ctrl+Tab", [](TacPageControlState& st) { st.Pages[0].TabType = ttMenu; }, 4, K::CtrlTab, 0,
         false},
        {"a hidden page is stepped over", [](TacPageControlState& st) { st.Pages[1].TabVisible = false; }, 0, K::Right, 2,
         true},
        {"and by Ctrl+Tab", [](TacPageControlState& st) { st.Pages[0].TabVisible = false; }, 4, K::CtrlTab, 1, true},
        {"Left past hidden pages only: swallowed", [](TacPageControlState& st) { st.Pages[0].TabVisible = false; }, 1,
         K::Left, -1, false},
        // The base selects round the page list; the page checked is the one it will select.
        {"Ctrl+Shift+Tab past a hidden first page wraps", [](TacPageControlState& st) { st.Pages[0].TabVisible = false; },
         1, K::CtrlShiftTab, 4, true},
        {"no other visible tab", [](TacPageControlState& st) {
             for (TacTabPage& p : st.Pages) p.TabVisible = false;
             st.Pages[2].TabVisible = true;
         }, 2, K::CtrlTab, -1, false},
        {"no active page: the key goes on", nullptr, -1, K::Left, -1, true},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        if (c.setup) c.setup(st);
        st.ActivePage = c.active;
        TacKeyTarget t = TacPageTabs(st).KeyTarget(c.key, nullptr);
        EXPECT_EQ(t.Page, c.target) << c.what;
        EXPECT_EQ(t.Pass, c.pass) << c.what;
    }

    // The changing event can veto the target; it is asked about that page only.
    TacPageControlState st = MainWindow();
    st.ActivePage = 4;
    std::vector<int> asked;
    TacKeyTarget t = TacPageTabs(st).KeyTarget(K::CtrlTab, [&](int page) {
        asked.push_back(page);
        return false;
    });
    EXPECT_EQ(t.Page, 0);
    EXPECT_FALSE(t.Pass);
    EXPECT_EQ(asked, std::vector<int>{0});
}

TEST(PageTabs, PageSelectedAfterClosingTheActivePage)
{
    struct Case {
        const char* what;
        std::function<void(TacPageControlState&)> setup;
        int former;
        int page;
    } cases[] = {
        {"the page that took its place", nullptr, 2, 2},
        {"the last page was closed: the new last", [](TacPageControlState& st) { st.Pages.pop_back(); }, 4, 3},
        {"button tabs are passed over", [](TacPageControlState& st) { st.Pages[2].TabType = ttButton; }, 2, 1},
        {"hidden tabs are passed over", [](TacPageControlState& st) { st.Pages[2].TabVisible = false; }, 2, 1},
        {"nothing left", [](TacPageControlState& st) { st.Pages.clear(); }, 0, -1},
        {"no page tab at or before it", [](TacPageControlState& st) {
             for (TacTabPage& p : st.Pages) p.TabType = ttButton;
         }, 3, -1},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        if (c.setup) c.setup(st);
        EXPECT_EQ(TacPageTabs(st).PageAfterClose(c.former), c.page) << c.what;
    }
}

TEST(PageTabs, HotTabFollowsTheMouse)
{
    constexpr int none = TacHotTabChange::NoEvent;
    struct Case {
        const char* what;
        int curItem;
        int under;
        bool showClose;
        int leave, enter, hot;
    } cases[] = {
        {"onto a tab", -1, 2, false, none, 2, 2},
        {"to the next tab", 2, 4, false, 2, 4, 4},
        {"staying on it", 2, 2, false, none, none, 2},
        // Straight from a hot tab onto the active tab: entered as -1, no hot tab.
        {"from a hot tab onto the active tab", 2, 0, false, 2, -1, -1},
        {"then onto the active tab", -1, 0, false, none, 0, 0},
        {"onto the disabled Pedal tab", 2, 3, false, none, none, -1},
        {"off the tabs", 2, -1, false, none, none, -1},
        {"off the active tab: it stays hot", 0, -1, false, none, none, 0},
        {"off the active tab with close buttons", 0, -1, true, none, none, -1},
    };
    for (const Case& c : cases) {
        TacPageControlState st = MainWindow();
        st.CurItem = c.curItem;
        st.ShowCloseBtns = c.showClose;
        TacHotTabChange h = TacPageTabs(st).HotTabChange(c.under);
        EXPECT_EQ(h.Leave, c.leave) << c.what;
        EXPECT_EQ(h.Enter, c.enter) << c.what;
        EXPECT_EQ(h.Hot, c.hot) << c.what;
    }
}

TEST(PageTabs, CanSelectPage)
{
    TacPageControlState st = MainWindow();
    st.Pages[1].TabType = ttButton;
    struct Case {
        int page;
        bool accessible;
        bool can;
    } cases[] = {{0, true, true}, {1, true, false}, {3, true, true}, {3, false, false}, {-1, true, false}, {5, true, false}};
    for (const Case& c : cases) {
        st.AccessibleDisabledPages = c.accessible;
        EXPECT_EQ(TacPageTabs(st).CanSelectPage(c.page, nullptr), c.can) << c.page << c.accessible;
    }
    st.AccessibleDisabledPages = true;
    EXPECT_FALSE(TacPageTabs(st).CanSelectPage(0, [](int) { return false; }));
}

TEST(PageTabs, ADraggedTabLandsBesideTheTabItIsDroppedOn)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        int dragged;
        TPoint at;
        int hidden;   // page whose tab is hidden, -1 none
        int want;
    } cases[] = {
        {"forward, before the middle", tpTop, 0, TPoint(130, 10), -1, 1},
        {"forward, past the middle", tpTop, 0, TPoint(170, 10), -1, 2},
        {"back, before the middle", tpTop, 3, TPoint(60, 10), -1, 1},
        {"back, past the middle", tpTop, 3, TPoint(110, 10), -1, 2},
        {"onto itself", tpTop, 1, TPoint(80, 10), -1, -1},
        {"next to itself", tpTop, 1, TPoint(125, 10), -1, -1},
        {"off the tabs", tpTop, 2, TPoint(400, 10), -1, -1},
        {"onto a page without a visible tab", tpTop, 1, TPoint(190, 10), 3, -1},
        {"left tabs, lower half", tpLeft, 0, TPoint(10, 170), -1, 2},
        {"left tabs, upper half", tpLeft, 0, TPoint(10, 130), -1, 1},
    };
    for (const Case& c : cases) {
        TacPageControlState st = c.pos == tpTop ? MainWindow() : ThreeTabsOn(c.pos);
        if (c.hidden >= 0) st.Pages[size_t(c.hidden)].TabVisible = false;
        EXPECT_EQ(TacPageTabs(st).DropIndex(c.dragged, c.at), c.want) << c.what;
    }
}

// The insert mark stands across the strip at the edge where the dragged tab would land: the
// leading edge of the page that will follow it, the trailing edge of the last tab at the end.
TEST(PageTabs, TheInsertMarkStandsAtTheEdgeWhereTheTabWouldLand)
{
    struct Case {
        const char* what;
        TTabPosition pos;
        bool rightToLeft;
        int dragged, target;
        int hidden;   // page whose tab is hidden, -1 none
        TPoint at;
    } cases[] = {
        {"forward: before the page after the target", tpTop, false, 0, 2, -1, TPoint(182 - 6, 2 - 3 - 6)},
        {"back: before the target", tpTop, false, 3, 1, -1, TPoint(52 - 6, -7)},
        {"to the end: after the last tab", tpTop, false, 1, 4, -1, TPoint(292 - 6, -7)},
        {"the next page's tab hidden: after the target", tpTop, false, 0, 3, 4, TPoint(237 - 6, -7)},
        {"right to left: the leading edge is the right one", tpTop, true, 3, 1, -1, TPoint(600 - 52 - 6, -7)},
        {"left tabs: across, at the top edge", tpLeft, false, 0, 1, -1, TPoint(2 - 3 - 6, 122 - 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TacPageControlState st = c.pos == tpTop ? MainWindow() : ThreeTabsOn(c.pos);
        st.RightToLeft = c.rightToLeft;
        if (c.hidden >= 0) st.Pages[size_t(c.hidden)].TabVisible = false;
        const TacInsertMark m = TacPageTabs(st).InsertMark(c.dragged, c.target, 5);
        ASSERT_TRUE(m.Valid);
        EXPECT_EQ(m.At, c.at);
        if (c.pos == tpTop) {
            // Arrows 12 wide and 6 deep over a tab 20 high grown by 3 on both sides.
            EXPECT_EQ(m.Size, TSize(12, 26 + 12));
            EXPECT_EQ(m.First, TRect(0, 0, 12, 6));
            EXPECT_EQ(m.Second, TRect(0, 31, 12, 37));
        } else {
            EXPECT_EQ(m.Size, TSize(28 + 12, 12));
            EXPECT_EQ(m.First, TRect(0, 0, 6, 12));
            EXPECT_EQ(m.Second, TRect(34, 0, 40, 12));
        }
    }
    const TacPageControlState st = MainWindow();
    EXPECT_FALSE(TacPageTabs(st).InsertMark(0, 7, 5).Valid);
    EXPECT_FALSE(TacPageTabs(st).InsertMark(-1, 2, 5).Valid);
}
