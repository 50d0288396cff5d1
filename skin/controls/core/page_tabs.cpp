#include "skin/controls/core/page_tabs.h"

#include <algorithm>

#include "skin/engine/core/geometry.h"

// ---- pages and tabs ------------------------------------------------------------------------

int TacPageTabs::VisibleTabsCount() const
{
    return static_cast<int>(std::count_if(S.Pages.begin(), S.Pages.end(), [](const TacTabPage& p) { return p.TabVisible; }));
}

int TacPageTabs::TabIndexOfPage(int page) const
{
    if (!IsValidPage(page) || !S.Pages[static_cast<size_t>(page)].TabVisible) return -1;
    int tab = 0;
    for (int i = 0; i < page; ++i)
        if (S.Pages[static_cast<size_t>(i)].TabVisible) ++tab;
    return tab;
}

int TacPageTabs::PageOfTab(int tab) const
{
    if (tab < 0) return -1;
    for (int i = 0; i < PageCount(); ++i)
        if (S.Pages[static_cast<size_t>(i)].TabVisible && tab-- == 0) return i;
    return -1;
}

TacSide TacPageTabs::Side() const
{
    switch (S.TabPosition) {
    case tpBottom: return asBottom;
    case tpLeft: return asLeft;
    case tpRight: return asRight;
    default: return asTop;
    }
}

bool TacPageTabs::IsButtonTab(int page, bool menuOnly) const
{
    if (!IsValidPage(page)) return false;
    const TacTabPage& p = S.Pages[static_cast<size_t>(page)];
    if (!p.TabVisible || p.TabType == ttTab) return false;
    return !menuOnly || p.TabType == ttMenu;
}

// ---- skin sections -------------------------------------------------------------------------

int TacPageTabs::TabCovering(int page) const
{
    if (!IsValidPage(page) || S.Style != tsTabs) return 0;
    const TacTabPage& p = S.Pages[static_cast<size_t>(page)];
    if (p.TabType != ttTab) return 0;
    if (p.TabSkin.empty()) return S.Skin.TabsCovering;
    return SameText(p.TabSkin, L"RIBBONTAB") ? S.Skin.RibbonCovering : 0;
}

int TacPageTabs::NeighbourTab(int page, bool forward) const
{
    int step = forward ? 1 : -1;
    for (int i = page + step; i >= 0 && i < PageCount(); i += step) {
        const TacTabPage& p = S.Pages[static_cast<size_t>(i)];
        if (p.TabVisible && p.TabType == ttTab) return i;
    }
    return -1;
}

TacTabLayout TacPageTabs::TabLayoutOf(int page) const
{
    // The first-tab section of the unswapped side decides whether the skin has sided tabs.
    if (!S.Skin.Active || S.Skin.Tabs[tlFirst][Side()] < 0) return tlSingle;
    if (NeighbourTab(page, false) < 0) return tlFirst;
    if (NeighbourTab(page, true) < 0) return tlLast;
    return tlMiddle;
}

int TacPageTabs::TabSkinIndex(int page) const
{
    if (!S.Skin.Active || !IsValidPage(page)) return -1;
    const TacTabPage& p = S.Pages[static_cast<size_t>(page)];
    if (IsButtonTab(page)) {
        if (!p.TabSkin.empty()) return p.TabSkinIndex;
        if (S.Skin.MenuBtn >= 0) return S.Skin.MenuBtn;
        return p.TabType == ttMenu ? S.Skin.MenuItem : S.Skin.SpeedButton;
    }
    if (!p.TabSkin.empty()) return p.TabSkinIndex;
    if (S.Style == tsButtons) return S.Skin.Button;
    if (S.Style == tsFlatButtons) return S.Skin.ToolButton;
    TacSide side = Side();
    if (S.RightToLeft) {
        if (side == asLeft) side = asRight;
        else if (side == asRight) side = asLeft;
    }
    int index = S.Skin.Tabs[TabLayoutOf(page)][side];
    return index >= 0 ? index : S.Skin.Tabs[tlSingle][side];
}

bool TacPageTabs::ContentShiftsOnClick(int section) const
{
    if (S.Skin.ContentShiftsOnClick) return S.Skin.ContentShiftsOnClick(section);
    return section < 0;
}

bool TacPageTabs::Shifts(int page) const { return ContentShiftsOnClick(TabSkinIndex(page)); }

int TacPageTabs::Scaled(int value) const { return ScaleByPpi(value, S.ScalePPI); }

// ---- rectangles ----------------------------------------------------------------------------

TRect TacPageTabs::BaseTabRect(int tab) const
{
    if (tab < 0 || tab >= VisibleTabsCount() || tab >= static_cast<int>(S.NativeTabRects.size())) return TRect();
    TRect r = S.NativeTabRects[static_cast<size_t>(tab)];
    if (r.IsEmpty()) return TRect();
    if (S.FormPPI >= 192) {
        int d = 2 * (S.FormPPI - 192) / 48 + 2;
        if (tab == ActiveTab()) r.Inflate(d, d);
        else if (S.TabPosition == tpTop || S.TabPosition == tpBottom) r.Inflate(0, d);
        else r.Inflate(d, 0);
    }
    if (S.RightToLeft && (S.TabPosition == tpTop || S.TabPosition == tpBottom)) MirrorRectInSize(r, S.Width, S.Height, true);
    return r;
}

TRect TacPageTabs::SkinTabRect(int tab, bool active) const
{
    if (tab < 0 || tab >= VisibleTabsCount()) return TRect();
    TRect r = BaseTabRect(tab);
    if (r.IsEmpty()) return TRect();
    const int page = PageOfTab(tab);
    const bool isTab = S.Pages[static_cast<size_t>(page)].TabType == ttTab;
    const bool horizontal = S.TabPosition == tpTop || S.TabPosition == tpBottom;
    const int last = VisibleTabsCount() - 1;

    // Covering of a page tab; a button tab steps back from the covering of its neighbours.
    auto cover = [&]() {
        int c = 0;
        if (S.Style == tsTabs && S.Skin.HasManager) {
            if (isTab) c = TabCovering(page);
            else if (tab > 0) r.left += TabCovering(PageOfTab(tab - 1)) + 1;
            else if (tab != last) r.right -= TabCovering(PageOfTab(tab + 1)) + 1;
        }
        if (c > 0) {
            if (!horizontal) r.bottom += 2 * c;
            else if (S.RightToLeft) r.left -= 2 * c;
            else r.right += 2 * c;
        }
    };

    if (S.ActiveTabEnlarged) {
        if (S.Style == tsTabs && active && r.Width() > 0) {
            // Less near the control's edges; a tab scrolled partly out of view is not shrunk.
            r.Inflate(ClampInt(r.left, 0, 2), ClampInt(r.top, 0, 2));
            if (S.Skin.HasManager && S.Skin.Version >= 13.0) {
                switch (S.TabPosition) {
                case tpTop: r.bottom -= 1; break;
                case tpBottom: r.top += 1; break;
                case tpLeft: r.right -= 1; break;
                case tpRight: r.left += 1; break;
                }
            }
        }
        cover();
        if (!isTab) {
            int narrow = 2 + (tab != 0 ? 1 : 0);
            if (horizontal) {
                r.right -= narrow;
                r.left += 2;
            } else {
                r.bottom -= narrow;
                r.top += 2;
            }
        }
        return r;
    }

    switch (S.TabPosition) {
    case tpLeft:
    case tpRight:
        r.Inflate(2, active ? 2 : 0);
        if (!active) {
            if (S.TabPosition == tpLeft) r.right -= 1;
            else r.left += 1;
        }
        break;
    default:
        cover();
        r.top -= 2;
        if (active) r.bottom += 1;
        if (S.Pages[static_cast<size_t>(page)].TabType == ttButton) r.Inflate(-S.Skin.Spacing, 0);
        if (r.left >= 0 && r.left <= 4) r.left = 0;
        break;
    }
    return r;
}

int TacPageTabs::StripEdge(TacSide& stripSide) const
{
    const TRect& d = S.DisplayRect;
    const bool rtl = S.RightToLeft;
    switch (S.TabPosition) {
    case tpBottom: stripSide = asBottom; return d.bottom + 2;
    case tpLeft: stripSide = rtl ? asRight : asLeft; return rtl ? d.right + 1 : d.left - 1;
    case tpRight: stripSide = rtl ? asLeft : asRight; return rtl ? d.left - 1 : d.right + 1;
    default: stripSide = asTop; return d.top - 4;
    }
}

TRect TacPageTabs::TabsAreaRect() const
{
    if (VisibleTabsCount() == 0) return TRect();
    TRect r(0, 0, S.Width, S.Height);
    TacSide side;
    int edge = StripEdge(side);
    switch (side) {
    case asTop: r.bottom = edge + S.AddedPadding.top; break;
    case asBottom: r.top = edge; break;
    case asLeft: r.right = edge; break;
    case asRight: r.left = edge; break;
    }
    return r;
}

TRect TacPageTabs::PageAreaRect() const
{
    TRect r(0, 0, S.Width, S.Height);
    if (VisibleTabsCount() > 0) {
        TacSide side;
        int edge = StripEdge(side);
        switch (side) {
        case asTop: r.top = edge; break;
        case asBottom: r.bottom = edge; break;
        case asLeft: r.left = edge; break;
        case asRight: r.right = edge; break;
        }
    }
    DeflateRectByMargins(r, S.AddedPadding);
    return r;
}

TRect TacPageTabs::TabsBGRect() const
{
    if (VisibleTabsCount() == 0) return TRect();
    // Reaches 15 pixels into the page area, where tabs that overlap the page frame find their background.
    TRect r(0, 0, S.Width, S.Height);
    const TRect& d = S.DisplayRect;
    switch (S.TabPosition) {
    case tpTop: r.bottom = d.top + 11 + S.AddedPadding.top; break;
    case tpBottom: r.top = d.bottom - 13; break;
    case tpLeft: r.right = d.left + 14 + S.AddedPadding.left; break;
    case tpRight: r.left = d.right - 14; break;
    }
    return r;
}

bool TacPageTabs::TabsOutOfView() const
{
    if (S.MultiLine || S.TabPosition == tpLeft || S.TabPosition == tpRight || S.Pages.empty() || S.AlignPending || !S.HasWindow)
        return false;
    int count = VisibleTabsCount();
    if (count == 0) return false;
    // Tabs not inserted yet are not out of view; one the native window has no rectangle for is.
    if (static_cast<int>(S.NativeTabRects.size()) < count) return false;
    TRect first = BaseTabRect(0), last = BaseTabRect(count - 1);
    return first.IsEmpty() || last.IsEmpty() || first.left < 0 || last.right >= S.Width;
}

int TacPageTabs::GetTabUnderMouse(const TPoint& p) const
{
    for (int page = 0; page < PageCount(); ++page) {
        int tab = TabIndexOfPage(page);
        if (tab < 0) continue;   // no tab of its own to be under the mouse
        TRect r = page == S.ActivePage ? SkinTabRect(tab, true) : BaseTabRect(tab);
        if (r.Contains(p)) return page;
    }
    return -1;
}

int TacPageTabs::StripHitTest(const TPoint& windowPoint, const TPoint& clientPoint, bool designing) const
{
    if (!TabsAreaRect().Contains(windowPoint)) return 0;
    return designing || GetTabUnderMouse(clientPoint) >= 0 ? 1 : -1;
}

TSize TacPageTabs::TurnedTabSize() const
{
    TRect r = PageCount() > 0 ? BaseTabRect(0) : TRect(0, 0, 24, 24);
    if (S.TabPosition == tpLeft || S.TabPosition == tpRight) return TSize(r.Width(), std::max(r.Height(), 140));
    return TSize(r.Height(), std::max(r.Width(), 140));
}

// ---- content of one tab --------------------------------------------------------------------

bool TacPageTabs::CaptionsTurned() const
{
    bool horizontal = S.TabPosition == tpTop || S.TabPosition == tpBottom;
    return S.RotateCaptions ? horizontal : !horizontal;
}

TacTabContent TacPageTabs::CalcTabLayout(int page, TRect rect, int state, bool isButton, const TacTabTextMeasurer& measure) const
{
    TacTabContent l;
    if (!IsValidPage(page)) return l;
    const TacTabPage& p = S.Pages[static_cast<size_t>(page)];
    const TacTabSkin& sk = S.Skin;

    TSize g = p.GlyphSize;
    const int m = Scaled(S.TabMargin);
    const int s = !p.Caption.empty() && g.cx != 0 ? S.TabSpacing : 0;
    const bool empty = p.Caption.empty() && g.cx == 0;
    const bool menuArrow = isButton && p.TabType == ttMenu;
    const int arrowGap = menuArrow && !empty ? sk.Spacing : 0;
    const TSize a = menuArrow ? TSize(2 * sk.ArrowSize, sk.ArrowSize) : TSize();
    const int cover2 = 2 * TabCovering(page);
    const bool turned = CaptionsTurned();
    const TAlignment align = p.TabType == ttTab && S.Style == tsTabs ? S.TabAlignment : taCenter;
    bool showClose = S.ShowCloseBtns && !isButton && p.UseCloseBtn;
    if (showClose) {
        switch (S.CloseBtnVisibility) {
        case cvAlways: break;
        case cvActiveTab: showClose = state == 2; break;
        case cvUnactiveTabs: showClose = state != 2; break;
        case cvMouseHovered: showClose = false; break;
        }
    }
    TSize b = showClose ? TSize(S.BtnWidth, S.BtnHeight) : TSize();
    const int closeGap = showClose ? sk.Spacing : 0;

    // 1. The active tab that is not enlarged keeps off the page frame.
    if (state == 2 && !S.ActiveTabEnlarged && p.TabType == ttTab && S.TabPosition == tpTop) rect.bottom -= 1;
    // 2. Lengths along and across the caption.
    int w = rect.Width(), h = rect.Height();
    if (turned) {
        std::swap(w, h);
        std::swap(g.cx, g.cy);
    }
    // 3. Close button.
    auto placeClose = [&]() {
        TRect r;
        if (!turned) {
            r.top = (h - b.cy) / 2;
            r.right = w + cover2 - 4;
            r.bottom = r.top + b.cy;
            r.left = r.right - b.cx;
        } else {
            r.top = (h - b.cx) / 2;
            r.right = w - 4;
            r.bottom = r.top + b.cx;
            r.left = r.right - b.cy;
        }
        l.BtnRect = r;
    };
    placeClose();
    l.ArrowSide = asBottom;
    // 4. Menu arrow.
    l.ArrowRect.left = l.BtnRect.left - closeGap - a.cx - m;
    l.ArrowRect.right = l.ArrowRect.left + a.cx;
    l.ArrowRect.top = (h - a.cy) / 2;
    l.ArrowRect.bottom = l.ArrowRect.top + a.cy;
    // 5. Caption measure.
    auto measureText = [&](int maxWidth) {
        if (p.Caption.empty() || !measure) return TSize();
        return measure(p.Caption, maxWidth, S.WordWrap);
    };
    if (S.GlyphLayout == glLeft) {
        // 6.
        l.TextSize = measureText(l.ArrowRect.left + s - 2 * m - sk.Spacing - g.cx);
        int cw = g.cx + s + l.TextSize.cx + arrowGap + a.cx + closeGap + b.cx;
        switch (align) {
        case taLeftJustify: l.ImgRect.left = m; break;
        case taRightJustify: l.ImgRect.left = w - cw - m; break;
        default: l.ImgRect.left = std::max((w - cw) / 2, m); break;
        }
        l.ImgRect.left += cover2;
        l.ImgRect.top = (h - g.cy) / 2;
    } else {
        // 7.
        l.TextSize = measureText(l.ArrowRect.left - m - sk.Spacing);
        int ch = std::max(g.cy + s + l.TextSize.cy, a.cy);
        l.ImgRect.left = (l.BtnRect.left - g.cx) / 2;
        l.ImgRect.top = (h - ch) / 2;
    }
    // 8.
    l.ImgRect.right = l.ImgRect.left + g.cx;
    l.ImgRect.bottom = l.ImgRect.top + g.cy;
    // 9. Caption rectangle; with an odd spare height the extra pixel goes above the caption.
    if (S.GlyphLayout == glLeft) {
        int d = h - l.TextSize.cy;
        l.TextRect.left = l.ImgRect.right + s;
        l.TextRect.top = d / 2 + d % 2;
    } else {
        l.TextRect.left = (l.BtnRect.left - l.TextSize.cx) / 2;
        l.TextRect.top = l.ImgRect.bottom + s;
    }
    l.TextRect.right = l.TextRect.left + l.TextSize.cx;
    l.TextRect.bottom = l.TextRect.top + l.TextSize.cy;
    // 10. A hidden close button shows over the content of a hot tab.
    if (S.ShowCloseBtns && !isButton && p.UseCloseBtn && !showClose) {
        if (state == 1 || (state == 2 && page == S.CurItem && S.CloseBtnVisibility == cvMouseHovered))
            b = TSize(S.BtnWidth, S.BtnHeight);
        placeClose();
    }
    // 11. The caption stops before the close button.
    if (b.cx != 0 && l.BtnRect.left - sk.Spacing < l.TextRect.right) l.TextRect.right = l.BtnRect.left - sk.Spacing;
    // 12. Content of the enlarged active tab.
    if (state == 2 && p.TabType == ttTab && S.ActiveTabEnlarged) {
        auto moveX = [](TRect& r, int dx) { r.Offset(dx, 0); };
        switch (align) {
        case taLeftJustify:
            moveX(l.ImgRect, 2), moveX(l.TextRect, 2), moveX(l.BtnRect, -2), moveX(l.ArrowRect, -2);
            break;
        case taRightJustify:
            moveX(l.ImgRect, -2), moveX(l.TextRect, -2), moveX(l.BtnRect, 2), moveX(l.ArrowRect, 2);
            break;
        default: moveX(l.BtnRect, -2); break;
        }
        if (!S.RotateCaptions && S.Style == tsTabs) {
            int k = Shifts(page) ? 2 : 1;
            bool down = S.RightToLeft ? (S.TabPosition == tpBottom || S.TabPosition == tpLeft)
                                      : (S.TabPosition == tpBottom || S.TabPosition == tpRight);
            int dy = k * (down ? 1 : -1);
            for (TRect* r : {&l.BtnRect, &l.ImgRect, &l.TextRect, &l.ArrowRect}) r->Offset(0, dy);
        }
    }
    // 13. Mirrored content.
    if (S.RightToLeft && !turned)
        for (TRect* r : {&l.BtnRect, &l.ImgRect, &l.TextRect, &l.ArrowRect}) MirrorRectInBounds(*r, rect, true);
    // 14. Focus rectangle, in unturned coordinates.
    if (S.ShowFocus && S.Focused && state == 2 && l.TextSize.cx != 0 && !isButton) {
        l.FocusRect = l.TextRect;
        l.FocusRect.Inflate(3, 0);
        l.FocusRect.bottom += 3;
    }
    // 15. Turned a quarter into the tab.
    if (turned)
        for (TRect* r : {&l.BtnRect, &l.ImgRect, &l.TextRect, &l.ArrowRect}) *r = RotateRect90(*r, false, w);
    // 16. A pressed button tab.
    if (state == 2 && p.TabType != ttTab && Shifts(page))
        for (TRect* r : {&l.BtnRect, &l.ImgRect, &l.TextRect, &l.ArrowRect}) r->Offset(1, 1);
    // 17.
    if (turned) l.TextPos = TPoint(l.TextRect.left + (l.TextRect.Width() - l.TextSize.cy) / 2, l.TextRect.bottom);
    else l.TextPos = l.TextRect.TopLeft();
    return l;
}

// ---- native padding ------------------------------------------------------------------------

int TacPageTabs::PaddingX() const
{
    int x = Scaled((S.TabPadding + S.TabMargin) * 2 + 6);
    if (S.ShowCloseBtns) {
        x += S.Skin.Spacing + S.BtnWidth;
    } else {
        for (int i = 0; i < PageCount(); ++i)
            if (IsButtonTab(i, true)) {
                x += 2 * (S.Skin.ArrowSize + S.Skin.Spacing);
                break;
            }
    }
    if (S.HasImages) x += std::max(Scaled(S.TabSpacing), 2) - 2;
    if (S.ActiveIsBold) x += 18;
    x += 2 * S.Skin.TabsCovering;
    return x;
}

uint32_t TacPageTabs::PaddingParam() const
{
    int low = PaddingX() / (S.HasImages ? 3 : 2);
    return (static_cast<uint32_t>(low) & 0xFFFFu) | (3u << 16);
}

// ---- painting order and states -------------------------------------------------------------

int TacPageTabs::TabPaintState(int page) const
{
    if (page == S.DroppedDownItem && page >= 0) return 2;
    if (page == S.PressedBtnIndex && page >= 0 && IsValidPage(page) && S.Pages[static_cast<size_t>(page)].TabType != ttTab)
        return 2;
    if (page == S.CurItem && page >= 0) return 1;
    return 0;
}

std::vector<std::pair<int, int>> TacPageTabs::PaintOrder() const
{
    std::vector<std::pair<int, int>> order;
    const bool activeIsTab = IsValidPage(S.ActivePage) && S.Pages[static_cast<size_t>(S.ActivePage)].TabType == ttTab;
    for (int i = PageCount() - 1; i >= 0; --i) {
        if (!S.Pages[static_cast<size_t>(i)].TabVisible) continue;
        if (i == S.ActivePage && activeIsTab) continue;
        order.emplace_back(i, TabPaintState(i));
    }
    if (activeIsTab && VisibleTabsCount() > 0) order.emplace_back(S.ActivePage, 2);
    return order;
}

int TacPageTabs::TabAnimState(int page) const
{
    if (page != S.CurItem || page < 0) return 0;
    if (S.CurItem == S.PressedBtnIndex) return 4;
    if (S.CurItem == S.HoveredBtnIndex) return 3;
    if (S.CurItem == S.DroppedDownItem) return 2;
    return 1;
}

// ---- page search ---------------------------------------------------------------------------

int TacPageTabs::NearestTabPage(int page) const
{
    if (!IsValidPage(page)) return -1;
    for (int i = page; i < PageCount(); ++i)
        if (!IsButtonTab(i)) return i;
    for (int i = page - 1; i >= 0; --i)
        if (!IsButtonTab(i)) return i;
    return -1;
}

int TacPageTabs::TabToPageIndex(int value) const
{
    int count = -1;
    for (int i = 0; i < PageCount(); ++i)
        if (S.Pages[static_cast<size_t>(i)].TabVisible && ++count == value) return i;
    return PageCount() - 1;
}

TacTabIndexChoice TacPageTabs::SetTabIndexChoice(int value) const
{
    if (!IsValidPage(value)) return {true, -1};
    int page = TabToPageIndex(value);
    return {false, IsValidPage(page) && S.Pages[static_cast<size_t>(page)].TabType == ttTab ? page : -1};
}

bool TacPageTabs::CanSelectPage(int page, const TacPageVeto& allow) const
{
    if (!IsValidPage(page)) return false;
    const TacTabPage& p = S.Pages[static_cast<size_t>(page)];
    if (p.TabType != ttTab || !(S.AccessibleDisabledPages || p.Enabled)) return false;
    return !allow || allow(page);
}

TacKeyTarget TacPageTabs::KeyTarget(TacTabKey key, const TacPageVeto& allow) const
{
    if (!IsValidPage(S.ActivePage)) return {};
    const int n = PageCount();
    auto visible = [&](int i) { return S.Pages[static_cast<size_t>(i)].TabVisible; };
    int target = -1;
    switch (key) {
    case TacTabKey::Left:
        for (int i = S.ActivePage - 1; i >= 0 && target < 0; --i)
            if (visible(i)) target = i;
        break;
    case TacTabKey::Right:
        for (int i = S.ActivePage + 1; i < n && target < 0; ++i)
            if (visible(i)) target = i;
        break;
    case TacTabKey::CtrlTab:
    case TacTabKey::CtrlShiftTab: {
        // Round the page list, as the base selects the next page: past the last page comes the first.
        int step = key == TacTabKey::CtrlTab ? 1 : n - 1;
        for (int i = (S.ActivePage + step) % n; i != S.ActivePage && target < 0; i = (i + step) % n)
            if (visible(i)) target = i;
        break;
    }
    }
    return {target, CanSelectPage(target, allow)};
}

int TacPageTabs::PageAfterClose(int former) const
{
    for (int i = former; i >= 0 && PageCount() > 0; --i) {
        int j = std::min(i, PageCount() - 1);
        const TacTabPage& p = S.Pages[static_cast<size_t>(j)];
        // A page without a visible tab is not selected by a click.
        if (p.TabType == ttTab && p.TabVisible) return j;
    }
    return -1;
}

int TacPageTabs::DropIndex(int dragged, const TPoint& p) const
{
    if (!IsValidPage(dragged)) return -1;
    const int under = GetTabUnderMouse(p);
    if (under < 0 || under == dragged) return -1;
    const TRect r = under == S.ActivePage ? SkinTabRect(TabIndexOfPage(under), true) : BaseTabRect(TabIndexOfPage(under));
    const bool horizontal = S.TabPosition == tpTop || S.TabPosition == tpBottom;
    const bool pastMiddle = horizontal ? p.x > (r.left + r.right) / 2 : p.y > (r.top + r.bottom) / 2;
    int target = under;
    if (under < dragged && pastMiddle) ++target;
    else if (under > dragged && !pastMiddle) --target;
    if (target == dragged || !IsValidPage(target) || !S.Pages[static_cast<size_t>(target)].TabVisible) return -1;
    return target;
}

TacInsertMark TacPageTabs::InsertMark(int dragged, int target, int arrowSize) const
{
    TacInsertMark m;
    if (!IsValidPage(dragged) || !IsValidPage(target) || arrowSize < 0) return m;
    // The page that will follow the dropped one, or the end of the strip after the last tab.
    int next = target + (dragged < target ? 1 : 0);
    bool trailing = false;
    int tab = next < PageCount() ? TabIndexOfPage(next) : -1;
    if (tab < 0) {
        trailing = true;
        for (int page = std::min(next, PageCount()) - 1; page >= 0 && tab < 0; --page) tab = TabIndexOfPage(page);
    }
    TRect r = BaseTabRect(tab);
    if (r.IsEmpty()) return m;
    const int a = arrowSize + 1, w2 = 2 * arrowSize + 2;
    m.Valid = true;
    m.Horizontal = S.TabPosition == tpTop || S.TabPosition == tpBottom;
    if (m.Horizontal) {
        r.top -= 3;
        r.bottom += 3;
        // Right to left, a tab's leading edge is its right one.
        const bool right = trailing != S.RightToLeft;
        m.Size = TSize(w2, r.Height() + w2);
        m.First = TRect(0, 0, w2, a);
        m.Second = TRect(0, m.Size.cy - a - 1, w2, m.Size.cy - 1);
        m.At = TPoint((right ? r.right : r.left) - a, r.top - a);
    } else {
        r.left -= 3;
        r.right += 3;
        m.Size = TSize(r.Width() + w2, w2);
        m.First = TRect(0, 0, a, w2);
        m.Second = TRect(m.Size.cx - a, 0, m.Size.cx, w2);
        m.At = TPoint(r.left - a, (trailing ? r.bottom : r.top) - a);
    }
    return m;
}

TacHotTabChange TacPageTabs::HotTabChange(int tab) const
{
    TacHotTabChange c;
    c.Hot = S.CurItem;
    if (IsValidPage(tab) && S.Pages[static_cast<size_t>(tab)].Enabled) {
        if (tab == S.CurItem) return c;
        if (IsValidPage(S.CurItem)) {
            c.Leave = S.CurItem;
            // Straight from another hot tab onto the active one: no hot tab until the next move.
            if (tab == S.ActivePage) tab = -1;
        }
        c.Enter = tab;
        c.Hot = tab;
        return c;
    }
    if (S.CurItem >= 0 && (S.CurItem != S.ActivePage || S.ShowCloseBtns)) c.Hot = -1;
    return c;
}

// ---- free helpers --------------------------------------------------------------------------

TSize CloseBtnSize(bool haveImage, int imageWidth, int imageHeight, int scalePPI)
{
    if (haveImage) return TSize(std::max(imageWidth, 8), imageHeight);
    int s = ScaleByPpi(15, scalePPI);
    return TSize(s, s);
}

TRect PagePaddingAtPpi(const TRect& padding, int ppi)
{
    return TRect(ScaleByPpi(padding.left, ppi), ScaleByPpi(padding.top, ppi), ScaleByPpi(padding.right, ppi),
                 ScaleByPpi(padding.bottom, ppi));
}

TRect ApplyPageMargins(const TRect& rect, const TRect& margins, int clientWidth, int clientHeight)
{
    return TRect(margins.left, rect.top + margins.top, clientWidth + margins.right, clientHeight + margins.bottom);
}
