// The geometry and page search of the skinned page control, over a plain description of the
// control (TacPageControlState) that the windowed class fills from its pages, its native tab
// window and the skin. No windows.h here.
//
// Two kinds of index: a page index counts every page in the page list; a tab index counts only
// the pages whose tab is visible, as the native tab window does. A page whose tab is hidden has
// no tab index (-1).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "skin/controls/core/glyph_caption_layout.h"   // TacGlyphLayout: tabs use glLeft and glTop
#include "skin/engine/core/skin_records.h"
#include "vcl/sysutils.h"
#include "vcl/tabtypes.h"
#include "vcl/types.h"

// ttButton: the tab is a button (it fires the sheet's click event and never becomes the active
// page); ttMenu: the tab opens the sheet's menu; ttTab: an ordinary page tab.
enum TacTabType : uint8_t { ttButton, ttMenu, ttTab };
enum TacCloseBtnVisibility : uint8_t { cvAlways, cvActiveTab, cvUnactiveTabs, cvMouseHovered };

// Content layout of one tab, in the tab's own coordinates.
struct TacTabContent {
    TRect ImgRect;       // glyph
    TRect TextRect;      // caption
    TRect BtnRect;       // close button
    TRect ArrowRect;     // menu arrow of a ttMenu tab
    TRect FocusRect;     // empty when none
    TSize TextSize;      // measured caption
    TPoint TextPos;      // where the caption is written (with a turned font: its bottom-left)
    TacSide ArrowSide = asBottom;
};

// Size of a caption drawn into at most MaxWidth pixels (one line, or wrapped with WordWrap);
// the windowed class measures with the tab's font.
using TacTabTextMeasurer = std::function<TSize(const String& caption, int maxWidth, bool wordWrap)>;

// What the tabs read of the skin, at the control's PPI.
struct TacTabSkin {
    bool HasManager = false;   // a skin manager serves the control
    bool Active = false;       // ... and it is active with a skin loaded
    double Version = 0;        // the version the skin declares
    int TabsCovering = 0;      // pixels a skinned tab overlaps its neighbours
    int RibbonCovering = 0;    // the same for tabs of the "RIBBONTAB" section
    int Spacing = 0;
    int ArrowSize = 0;
    // Section indexes of "TAB" + side + layout ("TABTOPFIRST", ...; tlSingle: "TABTOP"), -1 = none.
    std::array<std::array<int, 4>, 4> Tabs{{{-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}}};
    // Sections "MENUBTN", "MENUITEM", "SPEEDBUTTON", "BUTTON", "TOOLBUTTON" (-1 = none).
    int MenuBtn = -1, MenuItem = -1, SpeedButton = -1, Button = -1, ToolButton = -1;
    // Whether a pressed tab of that section draws its content one pixel right and down. Unset:
    // only an invalid section does.
    std::function<bool(int section)> ContentShiftsOnClick;
};

// One page, in page order.
struct TacTabPage {
    String Caption;
    bool TabVisible = true;
    bool Enabled = true;
    TacTabType TabType = ttTab;
    String TabSkin;          // the sheet's own tab section name; empty = the control's choice
    int TabSkinIndex = -1;   // index of TabSkin in the skin, -1 when the skin lacks it
    bool UseCloseBtn = true;
    TSize GlyphSize;         // the page's image at the control's PPI, (0, 0) without one
};

// The page control as its tabs see it.
struct TacPageControlState {
    std::vector<TacTabPage> Pages;
    int ActivePage = -1;             // page index, -1 = none
    TTabPosition TabPosition = tpTop;
    TTabStyle Style = tsTabs;
    bool RightToLeft = false;        // BiDiMode is right-to-left (never at design time)
    bool MultiLine = false;
    bool HasWindow = true;
    bool AlignPending = false;       // an alignment of the control is pending
    int Width = 0, Height = 0;       // the control's size
    int FormPPI = 96;                // PPI of the main form (large tabs from 192 on)
    int ScalePPI = 96;               // what the control's 96-PPI sizes are scaled by
    // The native tab rectangles by tab index (client coordinates); an entry the native window
    // could not answer is an empty rectangle.
    std::vector<TRect> NativeTabRects;
    TRect DisplayRect;               // the page rectangle of the control's client adjustment
    TRect AddedPadding;              // the Padding margins at the current PPI (left, top, right, bottom)

    bool ActiveTabEnlarged = true;
    bool ActiveIsBold = false;
    bool RotateCaptions = false;
    bool WordWrap = false;
    bool ShowFocus = true;
    bool Focused = false;            // the control (or its skin link) has the focus
    bool ShowCloseBtns = false;
    bool HasImages = false;
    bool AccessibleDisabledPages = true;
    TacCloseBtnVisibility CloseBtnVisibility = cvAlways;
    TacGlyphLayout GlyphLayout = glLeft;
    TAlignment TabAlignment = taCenter;
    int TabMargin = 3;
    int TabPadding = 0;
    int TabSpacing = 6;
    int BtnWidth = 15, BtnHeight = 15;   // close-button size (see CloseBtnSize)

    int CurItem = -1;                // page whose tab is under the mouse
    int HoveredBtnIndex = -1;        // page whose close button is under the mouse
    int PressedBtnIndex = -1;        // page whose close button or button tab is held down
    int DroppedDownItem = -1;        // page whose tab menu is open

    TacTabSkin Skin;
};

// The hot tab after the mouse moved over Tab (a page index, -1 = none): Leave and Enter are the
// pages to report (NoEvent when nothing is reported), Hot the new hot page.
struct TacHotTabChange {
    static constexpr int NoEvent = -2;
    int Leave = NoEvent;
    int Enter = NoEvent;
    int Hot = -1;
};

// What a navigation key does: Pass = it goes on to the native control (which selects Page);
// otherwise it is swallowed.
struct TacKeyTarget {
    int Page = -1;
    bool Pass = true;
};
enum class TacTabKey : uint8_t { Left, Right, CtrlTab, CtrlShiftTab };

// A tab index set from code: PassToBase = the value goes to the base unchanged; otherwise Page
// is selected, or nothing happens when it is -1.
struct TacTabIndexChoice {
    bool PassToBase = false;
    int Page = -1;
};

// A page about to be selected: True lets it happen (the page control's changing event).
using TacPageVeto = std::function<bool(int page)>;

// The tab geometry and searches of one state; it reads the state, never changes it.
// Two arrows facing each other across the tab strip at the edge where a dragged tab would land:
// down and up for a horizontal strip, right and left for a vertical one.
struct TacInsertMark {
    bool Valid = false;
    bool Horizontal = true;
    TSize Size;             // of its image
    TRect First, Second;    // the arrows in the image: down (right) and up (left)
    TPoint At;              // the image's top-left in client coordinates
};

class TacPageTabs {
public:
    explicit TacPageTabs(const TacPageControlState& state) : S(state) {}
    explicit TacPageTabs(TacPageControlState&&) = delete;   // it keeps a reference

    // ---- pages and tabs ----
    int PageCount() const { return static_cast<int>(S.Pages.size()); }
    bool IsValidPage(int page) const { return page >= 0 && page < PageCount(); }
    int VisibleTabsCount() const;
    int TabIndexOfPage(int page) const;   // -1 when the page or its tab is missing
    int PageOfTab(int tab) const;         // -1 when no page shows that tab
    int ActiveTab() const { return TabIndexOfPage(S.ActivePage); }
    bool IsLeftToRight() const { return !S.RightToLeft; }
    TacSide Side() const;                 // the side of the tab position
    // The page's tab is visible and not a ttTab (with MenuOnly: and is a ttMenu).
    bool IsButtonTab(int page, bool menuOnly = false) const;

    // ---- skin sections ----
    int TabCovering(int page) const;
    // Nearest page before (after, when Forward) Page whose tab is visible and a ttTab; -1 = none.
    int NeighbourTab(int page, bool forward) const;
    TacTabLayout TabLayoutOf(int page) const;
    int TabSkinIndex(int page) const;     // -1 when not skinned
    bool ContentShiftsOnClick(int section) const;

    // ---- rectangles ----
    // Tab indexes outside 0..VisibleTabsCount-1 and tabs the native window could not answer
    // give an empty rectangle.
    TRect BaseTabRect(int tab) const;
    TRect SkinTabRect(int tab, bool active) const;
    TRect TabsAreaRect() const;
    TRect PageAreaRect() const;
    TRect TabsBGRect() const;
    bool TabsOutOfView() const;
    // The page whose tab holds the point (client coordinates), -1 when none.
    int GetTabUnderMouse(const TPoint& p) const;
    // The hit test of the strip: 0 when the point (window coordinates; the same point in client
    // coordinates for the tabs) lies outside the strip; inside it 1 (client) over a tab or at
    // design time, -1 (transparent: the click goes to what lies under the control) elsewhere.
    int StripHitTest(const TPoint& windowPoint, const TPoint& clientPoint, bool designing) const;
    // TabWidth and TabHeight to hand the native window when RotateCaptions turns on.
    TSize TurnedTabSize() const;

    // ---- content of one tab ----
    // Turned: captions run across the strip's direction.
    bool CaptionsTurned() const;
    TacTabContent CalcTabLayout(int page, TRect rect, int state, bool isButton, const TacTabTextMeasurer& measure) const;

    // ---- native padding ----
    // The horizontal padding wanted for every tab, before the native division.
    int PaddingX() const;
    // The LParam of the native padding message: low word X div 2 (div 3 with images), high word 3.
    uint32_t PaddingParam() const;

    // ---- painting order and states ----
    // State a tab is composed with in the strip: 2 pressed, 1 hot, 0 normal.
    int TabPaintState(int page) const;
    // Pages to draw, back to front: every visible tab from the last to the first except an
    // active ttTab, which comes last (over both its neighbours). Each with its state.
    std::vector<std::pair<int, int>> PaintOrder() const;
    // State of a tab's hot-state animation: 0 not hot, 1 hot, 2 menu open, 3 close button
    // hovered, 4 close button pressed.
    int TabAnimState(int page) const;

    // ---- page search ----
    // From Page forward to the first page that is not a visible button tab, else backward.
    int NearestTabPage(int page) const;
    // The page of the Value-th visible tab; the last page when there are not that many.
    int TabToPageIndex(int value) const;
    TacTabIndexChoice SetTabIndexChoice(int value) const;
    // Page exists, is a ttTab, is enabled or disabled pages are accessible, and the veto agrees.
    bool CanSelectPage(int page, const TacPageVeto& allow) const;
    TacKeyTarget KeyTarget(TacTabKey key, const TacPageVeto& allow) const;
    // After the active page (formerly at index Former) was freed or its tab hidden: the page to
    // select, from Former downward, -1 when none.
    int PageAfterClose(int former) const;
    // Where a tab dragged from page Dragged lands when dropped at P (client coordinates): the
    // page under P, one on when P is past the middle of a tab before the dragged one, one back
    // when P is before the middle of a tab after it; -1 when that is the dragged page itself,
    // past the pages or a page without a visible tab.
    int DropIndex(int dragged, const TPoint& p) const;
    // The insert mark shown while page Dragged is dragged to Target (client coordinates);
    // nothing when the target has no tab to stand by.
    TacInsertMark InsertMark(int dragged, int target, int arrowSize) const;
    // The mouse moved onto the tab of page Tab (-1 = no enabled tab under the mouse).
    TacHotTabChange HotTabChange(int tab) const;

private:
    // The line between the tab strip and the page area, and the side the strip lies on.
    int StripEdge(TacSide& stripSide) const;
    int Scaled(int value) const;
    bool Shifts(int page) const;

    const TacPageControlState& S;
};

// Close-button size: a skin image's width (at least 8) and height, or 15 x 15 scaled.
TSize CloseBtnSize(bool haveImage, int imageWidth, int imageHeight, int scalePPI);
// The Padding margins (left, top, right, bottom) at a PPI, each x PPI div 96.
TRect PagePaddingAtPpi(const TRect& padding, int ppi);
// The rectangle handed to the native client adjustment, moved by the page margins.
TRect ApplyPageMargins(const TRect& rect, const TRect& margins, int clientWidth, int clientHeight);
