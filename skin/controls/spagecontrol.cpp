#include "skin/controls/spagecontrol.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/shared_settings.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/transition.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"

namespace {

// A 32-bit copy of a whole bitmap.
TBitmap* CopyOf(TBitmap* src)
{
    TBitmap* b = nullptr;
    TacThreadedTimer::CopyFrom(b, src, TRect(0, 0, src->Width(), src->Height()));
    return b;
}

bool SameSize(const TBitmap* a, const TBitmap* b)
{
    return a && b && a->Width() == b->Width() && a->Height() == b->Height();
}

}  // namespace

TsTabSheet::~TsTabSheet()
{
    TObject::Free(AnimTimer);
    AnimTimer = nullptr;
}

void TsTabSheet::StopTabAnimation()
{
    TObject::Free(AnimTimer);
    AnimTimer = nullptr;
    Fade = TacTabFade();
}

void TsTabSheet::FadeTick(TObject*)
{
    const int weight = Fade.Tick();
    if (weight < 0) {
        if (AnimTimer) AnimTimer->SetEnabled(false);
        return;
    }
    if (auto* pc = dynamic_cast<TsPageControl*>(PageControl())) pc->ShowTabFrame(this, weight);
}

TsPageControl* TsTabSheet::SkinnedPageControl() const
{
    auto* pc = dynamic_cast<TsPageControl*>(PageControl());
    return pc && pc->SkinData()->Skinned() ? pc : nullptr;
}

void TsTabSheet::WndProc(TMessage& m)
{
    if (m.Msg == MSG_SKINCOMMAND && !HasState(csDestroying)) {
        switch (SkinCommandOf(m.WParam)) {
        case scmNewSkin:
        case scmRefresh:
        case scmRemoveSkin:
            // A page has no skin of its own: what a skin change tells the page control goes on
            // to the controls on the page, which would otherwise keep the old skin's data.
            BroadcastToChildren(this, m);
            break;
        default: break;
        }
    }
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
    // The tab of an enabled or disabled page looks different: the strip is drawn again.
    if (m.Msg == CM_ENABLEDCHANGED && !HasState(csLoading | csDestroying))
        if (TsPageControl* pc = SkinnedPageControl()) {
            pc->StopTabAnimations();
            pc->SkinData()->Invalidate(false);
        }
}

void TsPageControl::SetActivePage(TTabSheet* page)
{
    StopTabAnimations();
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

TsPageControl::~TsPageControl()
{
    // A transition still playing must not reach a control that is gone.
    ForgetTransitionControl(this);
}

bool TsPageControl::PageTransitionAllowed()
{
    if (HasState(csDesigning) || !AllowAnimSwitching) return false;
    TsSkinManager* m = SkinData()->SkinManager();
    return m && m->AnimEffects()->PageChange.Active && m->Effects()->AllowAnimation;
}

bool TsPageControl::HandlePageChange(TMessage& m)
{
    const auto* h = reinterpret_cast<const NMHDR*>(m.LParam);
    if (!h || !SkinData()->Skinned()) return false;
    TsCommonData* l = SkinData();
    if (h->code == TCN_SELCHANGING) {
        const bool animate = PageTransitionAllowed();
        if (animate) {
            // The present picture stays on screen while the pages change under it.
            PrepareTransition(this, 0);
            l->FUpdating = true;
        }
        TacSkinFrame<TPageControl>::WndProc(m);
        if (animate && (m.Result != 0 || !TransitionCover())) {
            // Vetoed, or nothing to cover (hidden, minimised): no transition follows.
            ReleaseTransition();
            PageTransitionDone();
        }
        return true;
    }
    if (h->code == TCN_SELCHANGE && PageTransitionAllowed() && TransitionCover()) {
        StopTabAnimations();
        TacSkinFrame<TPageControl>::WndProc(m);   // the new page becomes visible
        l->FUpdating = true;
        TsSkinManager* mgr = l->SkinManager();
        AnimateTransition(this, mgr ? mgr->AnimEffects()->PageChange.Time : 0, 255, 0, [this] { PageTransitionDone(); });
        return true;
    }
    return false;
}

void TsPageControl::PageTransitionDone()
{
    TsCommonData* l = SkinData();
    l->FUpdating = false;
    if (HasState(csDestroying)) return;
    // The tabs changed while the control was not painting: everything is drawn again.
    l->BGChanged = true;
    if (HWND wnd = ExistingHandle(); wnd && IsWindowVisible(wnd))
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (TTabSheet* page = ActivePage(); page && page->HandleAllocated())
        RedrawWindow(page->ExistingHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TsPageControl::CreateParams(TCreateParams& params)
{
    TacSkinFrame<TPageControl>::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TsPageControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (FCurItem >= 0 && !HasState(csDesigning | csDestroying)) {
            const int left = FCurItem;
            if (OnTabMouseLeave && EventsAllowed()) OnTabMouseLeave(this, left);
            SetCurItem(-1);
        }
        if (m.Msg == CM_MOUSELEAVE) {
            TPageControl::WndProc(m);
            return;
        }
        break;
    case CM_MOUSEENTER: TPageControl::WndProc(m); return;
    case WM_MOUSEMOVE:
        if (HandleMouseMove(m)) return;
        break;
    case WM_LBUTTONDOWN:
        if (!HasState(csDesigning) && Enabled()) {
            const TacPageControlState s = TabState();
            const int page = TacPageTabs(s).GetTabUnderMouse(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
            if (page >= 0) {
                // The selection goes through the changing event, never through the native click.
                if (AllowPage(page)) SelectPage(page);
                m.Result = 0;
                return;
            }
        }
        break;
    case WM_KEYDOWN:
    case CM_DIALOGKEY:
        if (HandleNavigationKey(m)) return;
        break;
    case CN_NOTIFY:
        if (HandlePageChange(m)) return;
        break;
    case WM_SIZE:
    case WM_STYLECHANGING:
    case WM_HSCROLL:
    case TCM_SETCURSEL:
        // The tabs move or change: their fades' pictures no longer fit.
        StopTabAnimations();
        SkinData()->BGChanged = true;
        break;
    default: break;
    }
    TacSkinFrame<TPageControl>::WndProc(m);
}

bool TsPageControl::AllowPage(int page)
{
    const TacPageControlState s = TabState();
    auto veto = [this](int p) {
        bool allow = true;
        if (OnPageChanging && EventsAllowed()) OnPageChanging(this, Pages(p), allow);
        return allow;
    };
    return TacPageTabs(s).CanSelectPage(page, veto);
}

void TsPageControl::SelectPage(int page)
{
    if (page < 0 || page >= PageCount() || page == ActivePageIndex()) return;
    // The same notifications as a selection on the tab window, so the page change is handled
    // in one place whichever way it came.
    NMHDR h{};
    h.hwndFrom = ExistingHandle();
    h.idFrom = static_cast<UINT_PTR>(page);
    h.code = TCN_SELCHANGING;
    if (Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&h)) != 0) return;
    SetActivePage(Pages(page));
    h.code = TCN_SELCHANGE;
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&h));
}

bool TsPageControl::HandleNavigationKey(TMessage& m)
{
    if (HasState(csDesigning) || ActivePageIndex() < 0) return false;
    const auto key = static_cast<WORD>(m.WParam);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    TacTabKey k;
    if (m.Msg == WM_KEYDOWN && key == VK_LEFT)
        k = TacTabKey::Left;
    else if (m.Msg == WM_KEYDOWN && key == VK_RIGHT)
        k = TacTabKey::Right;
    else if (m.Msg == CM_DIALOGKEY && key == VK_TAB && ctrl)
        k = GetKeyState(VK_SHIFT) < 0 ? TacTabKey::CtrlShiftTab : TacTabKey::CtrlTab;
    else
        return false;
    const TacPageControlState s = TabState();
    auto veto = [this](int p) {
        bool allow = true;
        if (OnPageChanging && EventsAllowed()) OnPageChanging(this, Pages(p), allow);
        return allow;
    };
    const TacKeyTarget t = TacPageTabs(s).KeyTarget(k, veto);
    if (!t.Pass) {
        m.Result = m.Msg == CM_DIALOGKEY ? 1 : 0;   // swallowed: no other control takes the key either
        return true;
    }
    if (m.Msg == CM_DIALOGKEY) {
        // The tab window itself has no page keys: the page is selected here.
        SelectPage(t.Page);
        m.Result = 1;
        return true;
    }
    return false;   // the arrows move the native selection, which ends in SetActivePage
}

bool TsPageControl::HandleMouseMove(TMessage& m)
{
    if (HasState(csDesigning | csDestroying)) return false;
    TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const TacHotTabChange c = tabs.HotTabChange(tabs.GetTabUnderMouse(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))));
    if (EventsAllowed()) {
        if (c.Leave != TacHotTabChange::NoEvent && OnTabMouseLeave) OnTabMouseLeave(this, c.Leave);
        if (c.Enter != TacHotTabChange::NoEvent && OnTabMouseEnter) OnTabMouseEnter(this, c.Enter);
    }
    SetCurItem(c.Hot);
    return false;   // the base still sees the move (mouse events, hints)
}

void TsPageControl::SetCurItem(int page)
{
    if (page == FCurItem) return;
    const int old = FCurItem;
    FCurItem = page;
    const int active = ActivePageIndex();
    // The active tab keeps its look: only the others fade.
    if (page >= 0 && page < PageCount() && page != active) RepaintTab(page, true);
    if (old >= 0 && old < PageCount() && old != active) RepaintTab(old, true);
}

void TsPageControl::StopTabAnimations()
{
    for (int i = 0; i < PageCount(); ++i)
        if (auto* sheet = dynamic_cast<TsTabSheet*>(Pages(i))) sheet->StopTabAnimation();
}

void TsPageControl::RepaintTab(int page, bool animate)
{
    TsCommonData* l = SkinData();
    HWND wnd = ExistingHandle();
    if (!wnd || page < 0 || page >= PageCount() || !l->Skinned(true) || l->FUpdating) return;
    if (l->BGChanged || l->CacheEmpty() || !SameSize(FTabsGround.get(), l->FCacheBmp)) {
        // A whole composition is due anyway: it draws the tab's new state.
        l->Invalidate(false);
        return;
    }
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const TRect r = tabs.SkinTabRect(tabs.TabIndexOfPage(page), page == s.ActivePage);
    if (r.IsEmpty()) return;
    // The strip as it looks now, drawn into a copy: the cache changes only frame by frame.
    std::unique_ptr<TBitmap> now(CopyOf(FTabsGround.get()));
    PaintTabs(now.get(), s, tabs);
    TsSkinManager* mgr = l->SkinManager();
    auto* sheet = dynamic_cast<TsTabSheet*>(Pages(page));
    if (!animate || !sheet || !mgr || !mgr->Effects()->AllowAnimation || SessionEnding) {
        if (sheet) sheet->StopTabAnimation();
        BitBlt(l->FCacheBmp->Canvas()->Handle(), r.left, r.top, r.Width(), r.Height(), now->Canvas()->Handle(), r.left, r.top,
               SRCCOPY);
        HDC dc = GetDC(wnd);
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), l->FCacheBmp->Canvas()->Handle(), r.left, r.top, SRCCOPY);
        ReleaseDC(wnd, dc);
        return;
    }
    const int st = tabs.TabAnimState(page);
    const bool existed = sheet->AnimTimer != nullptr;
    const int from = existed ? sheet->Fade.RemainingSteps() : 0;
    if (!existed) {
        sheet->AnimTimer = new TacThreadedTimer(nullptr, false);
        sheet->AnimTimer->SetInterval(TabFadeInterval);
        sheet->AnimTimer->SetOnTimer(Bind<&TsTabSheet::FadeTick>(sheet));
    }
    TacThreadedTimer* t = sheet->AnimTimer;
    if (t->AnimRect != r) {
        // Another place (the tabs moved): nothing of the old fade fits.
        delete t->BmpFrom;
        delete t->BmpTo;
        delete t->BmpOut;
        t->BmpFrom = t->BmpTo = t->BmpOut = nullptr;
        t->AnimRect = r;
    }
    // The last target becomes the start; the first fade starts from the tab as it is on the screen.
    delete t->BmpFrom;
    t->BmpFrom = t->BmpTo;
    t->BmpTo = nullptr;
    if (!t->BmpFrom) TacThreadedTimer::CopyFrom(t->BmpFrom, l->FCacheBmp, r);
    TacThreadedTimer::CopyFrom(t->BmpTo, now.get(), r);
    if (sheet->Fade.State >= 0 && sheet->Fade.State == st) return;   // a running fade goes on towards the new target
    t->SetEnabled(false);
    // A new fade starts from the frame on the screen.
    if (t->BmpOut) TacThreadedTimer::CopyFrom(t->BmpFrom, t->BmpOut, TRect(0, 0, t->BmpOut->Width(), t->BmpOut->Height()));
    // Every page of this control is an ordinary page tab.
    const int weight = sheet->Fade.Start(from, TabFadeIsFast(st, true), st);
    ShowTabFrame(sheet, weight);
    t->SetEnabled(true);
}

void TsPageControl::ShowTabFrame(TsTabSheet* sheet, int weight)
{
    TacThreadedTimer* t = sheet->AnimTimer;
    TsCommonData* l = SkinData();
    if (!t || !SameSize(t->BmpFrom, t->BmpTo) || l->CacheEmpty()) return;
    const TRect r = t->AnimRect;
    TacThreadedTimer::CopyFrom(t->BmpOut, t->BmpFrom, TRect(0, 0, r.Width(), r.Height()));
    MixBitmaps32(t->BmpOut, t->BmpTo, static_cast<uint8_t>(255 - weight));
    // The frame lives in the cache, so a repaint meanwhile shows it instead of wiping it.
    BitBlt(l->FCacheBmp->Canvas()->Handle(), r.left, r.top, r.Width(), r.Height(), t->BmpOut->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    if (HWND wnd = ExistingHandle()) {
        HDC dc = GetDC(wnd);
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), t->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
    }
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
    s.CurItem = FCurItem;
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
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    FTabsGround.reset(CopyOf(cache));
    PaintTabs(cache, s, tabs);
    // A tab in the middle of its fade shows its present frame, not where the fade ends.
    for (int i = 0; i < PageCount(); ++i) {
        auto* sheet = dynamic_cast<TsTabSheet*>(Pages(i));
        TacThreadedTimer* t = sheet ? sheet->AnimTimer : nullptr;
        if (!t || !t->Enabled() || !t->BmpOut) continue;
        const TRect& r = t->AnimRect;
        BitBlt(cache->Canvas()->Handle(), r.left, r.top, std::min(r.Width(), t->BmpOut->Width()),
               std::min(r.Height(), t->BmpOut->Height()), t->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
}

void TsPageControl::PaintTabs(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs)
{
    TacSkinData* d = SkinData()->ResolveSkinData();
    if (!d) return;
    // The tabs stand on the frame: the bitmap is their background.
    TCacheInfo bg;
    bg.Bmp = BitmapView(bmp);
    bg.X = 0;
    bg.Y = 0;
    bg.Ready = true;
    for (const auto& [page, tabState] : tabs.PaintOrder()) {
        const int section = tabs.TabSkinIndex(page);
        if (section < 0 || !d->IsValidSection(section)) continue;
        const TRect r = tabs.SkinTabRect(tabs.TabIndexOfPage(page), page == s.ActivePage);
        if (r.IsEmpty()) continue;
        const int st = SectionState(d->gd[size_t(section)], page == s.ActivePage ? 2 : tabState);
        // A disabled page's tab lets the ground show through (not when it is the active page).
        const bool blended = page != s.ActivePage && (!s.Pages[size_t(page)].Enabled || !Enabled());
        std::unique_ptr<TBitmap> ground;
        if (blended) {
            TBitmap* g = nullptr;
            TacThreadedTimer::CopyFrom(g, bmp, r);
            ground.reset(g);
        }
        PaintItem(section, bg, st, r, r.TopLeft(), bmp, d);
        PaintCaption(bmp, tabs, page, r, st, d->gd[size_t(section)].Props[size_t(st)].FontColor.Color);
        if (ground)
            BlendRectAt32(bmp, r.left, r.top, ground.get(), TRect(0, 0, r.Width() - 1, r.Height() - 1), SharedBlendValue,
                          0x00FF00FFu);
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
