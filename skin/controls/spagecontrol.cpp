#include "skin/controls/spagecontrol.h"

#include <commctrl.h>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"

TsPageControl* TsTabSheet::SkinnedPageControl() const
{
    auto* pc = dynamic_cast<TsPageControl*>(PageControl());
    return pc && pc->SkinData()->Skinned() ? pc : nullptr;
}

void TsTabSheet::WndProc(TMessage& m)
{
    if (TsPageControl* pc = SkinnedPageControl()) {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmGetBackground) {
            if (!m.LParam || !SkinCommandAccepted(m)) return;
            // Painted: the child's position in the page becomes its position in the page control.
            // Described: the page's image lies in the page control's image at the page's position.
            auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
            const TPoint pos(Left(), Top());
            if (q->PaintIt) {
                const TPoint asker = q->Offset;
                q->Offset = TPoint(asker.x + pos.x, asker.y + pos.y);
                GetControlBackground(*q, pc, true);
                q->Offset = asker;
            } else {
                GetControlBackground(*q, pc, false);
                if (q->Bmp) {
                    q->Offset = TPoint(q->Offset.x + pos.x, q->Offset.y + pos.y);
                    q->FillRect.left -= pos.x, q->FillRect.top -= pos.y;
                }
            }
            m.Result = 1;
            return;
        }
        if (m.Msg == WM_ERASEBKGND && m.WParam) {
            TacBgQuery q;
            q.DC = reinterpret_cast<HDC>(m.WParam);
            q.R = TRect(0, 0, Width(), Height());
            q.Offset = TPoint(Left(), Top());
            GetControlBackground(q, pc, true);
            m.Result = 1;
            return;
        }
    }
    TTabSheet::WndProc(m);
}

void TsPageControl::SetActivePage(TTabSheet* page)
{
    if (page == nullptr) {
        TPageControl::SetActivePage(nullptr);
        return;
    }
    const int index = page->PageIndex();
    if (index < 0 || index >= PageCount()) return;
    TTabSheet* target = Pages(index);
    TPageControl::SetActivePage(target);
    // Skinning the new page's child windows is the skin manager's work; without one there
    // is nothing to do.
    if (!target->TabVisible() && !HasState(csUpdating)) {
        for (int i = 0; i < target->ControlCount(); ++i) target->Controls(i)->Invalidate();
    }
    // The tabs live in the cache: the new active tab is drawn there.
    if (SkinData()->SkinIndex >= 0) SkinData()->Invalidate(false);
}

void TsPageControl::CreateParams(TCreateParams& params)
{
    TacSkinFrame<TPageControl>::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TsPageControl::WndProc(TMessage& m)
{
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
        TPageControl::WndProc(m);
        return;
    }
    TacSkinFrame<TPageControl>::WndProc(m);
}

int TsPageControl::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssPageControl] : -1;
}

TacPageControlState TsPageControl::TabState()
{
    TacPageControlState s;
    for (int i = 0; i < PageCount(); ++i) {
        TacTabPage p;
        p.Caption = Pages(i)->Caption();
        p.TabVisible = Pages(i)->TabVisible();
        p.Enabled = Pages(i)->Enabled();
        s.Pages.push_back(p);
    }
    s.ActivePage = ActivePageIndex();
    s.TabPosition = TabPosition();
    s.Style = Style();
    s.Width = Width();
    s.Height = Height();
    s.HasWindow = HandleAllocated();
    if (s.HasWindow) {
        const int count = static_cast<int>(SendMessageW(Handle(), TCM_GETITEMCOUNT, 0, 0));
        for (int t = 0; t < count; ++t) {
            RECT r{};
            if (SendMessageW(Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(t), reinterpret_cast<LPARAM>(&r)))
                s.NativeTabRects.emplace_back(r.left, r.top, r.right, r.bottom);
            else
                s.NativeTabRects.emplace_back();
        }
        RECT display{0, 0, Width(), Height()};
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        s.DisplayRect = TRect(display.left, display.top, display.right, display.bottom);
    }
    TsCommonData* link = SkinData();
    TsSkinManager* m = link->SkinManager();
    TacSkinData* d = link->ResolveSkinData();
    s.ScalePPI = link->CurrentPPI;
    s.Skin.HasManager = m != nullptr;
    s.Skin.Active = m && d && m->SkinCommonInfo.Active;
    if (s.Skin.Active) {
        s.Skin.Version = m->SkinCommonInfo.Version;
        s.Skin.TabsCovering = d->TabsCovering;
        s.Skin.RibbonCovering = d->RibbonCovering;
        s.Skin.Spacing = d->Spacing;
        s.Skin.ArrowSize = d->ArrowSize;
        static const wchar_t* const sides[4] = {L"LEFT", L"TOP", L"RIGHT", L"BOTTOM"};
        static const wchar_t* const layouts[4] = {L"FIRST", L"LAST", L"MIDDLE", L""};
        for (int l = 0; l < 4; ++l)
            for (int sd = 0; sd < 4; ++sd)
                s.Skin.Tabs[size_t(l)][size_t(sd)] = m->GetSkinIndex(String(L"TAB") + sides[sd] + layouts[l], d);
        s.Skin.MenuBtn = m->GetSkinIndex(L"MENUBTN", d);
        s.Skin.MenuItem = m->GetSkinIndex(L"MENUITEM", d);
        s.Skin.SpeedButton = m->GetSkinIndex(L"SPEEDBUTTON", d);
        s.Skin.Button = m->GetSkinIndex(L"BUTTON", d);
        s.Skin.ToolButton = m->GetSkinIndex(L"TOOLBUTTON", d);
    }
    return s;
}

void TsPageControl::PaintContent(TBitmap* cache, int state)
{
    (void)state;
    TacSkinData* d = SkinData()->ResolveSkinData();
    if (!d) return;
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    // The tabs stand on the frame just composed: the cache is their background.
    TCacheInfo bg;
    bg.Bmp = BitmapView(cache);
    bg.X = 0;
    bg.Y = 0;
    bg.Ready = true;
    for (const auto& [page, tabState] : tabs.PaintOrder()) {
        const int section = tabs.TabSkinIndex(page);
        if (section < 0 || !d->IsValidSection(section)) continue;
        const TRect r = tabs.SkinTabRect(tabs.TabIndexOfPage(page), page == s.ActivePage);
        if (r.IsEmpty()) continue;
        const int st = SectionState(d->gd[size_t(section)], page == s.ActivePage ? 2 : tabState);
        PaintItem(section, bg, st, r, r.TopLeft(), cache, d);
        PaintCaption(cache, tabs, page, r, st, d->gd[size_t(section)].Props[size_t(st)].FontColor.Color);
    }
}

void TsPageControl::PaintCaption(TBitmap* cache, const TacPageTabs& tabs, int page, const TRect& r, int state, TColor color)
{
    const String caption = Pages(page)->Caption();
    if (caption.empty()) return;
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    c->Font()->SetColor(color);
    c->Brush()->SetStyle(bsClear);
    const TacTabContent l = tabs.CalcTabLayout(page, r, state, tabs.IsButtonTab(page),
                                               [c](const String& text, int, bool) { return c->TextExtent(text); });
    c->TextOut(r.left + l.TextPos.x, r.top + l.TextPos.y, caption);
}
