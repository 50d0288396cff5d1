#include "skin/controls/spagecontrol.h"

#include <algorithm>

#include <commctrl.h>
#include <windowsx.h>

#include "skin/controls/acimagelist.h"
#include "skin/controls/salphaimagelist.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "vcl/application.h"
#include "skin/engine/glow.h"
#include "skin/engine/common_data.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/gdiplus.h"
#include "skin/graphics/image_modes.h"
#include "skin/graphics/text32.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/core/shared_settings.h"
#include "skin/engine/core/skin_data.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/transition.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"

namespace {

// Posted to itself: the list button is checked again once the native tabs are rebuilt.
constexpr unsigned CheckUpDownCommand = 78;

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

void TsTabSkinData::SetCustomFont(bool on)
{
    FCustomFont = on;
    auto* pc = FPage ? dynamic_cast<TsPageControl*>(FPage->PageControl()) : nullptr;
    if (!pc || pc->HasState(csLoading)) return;
    pc->SkinData()->BGChanged = true;
    if (HWND wnd = pc->ExistingHandle()) RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_INVALIDATE);
}

void TsTabSkinData::SetSkinSection(const String& name)
{
    if (FSkinSection == name) return;
    FSkinSection = name;
    if (auto* pc = FPage ? dynamic_cast<TsPageControl*>(FPage->PageControl()) : nullptr) pc->SkinData()->Invalidate(false);
}

void TacPageMargins::Set(decltype(TRect::left)& field, int value)
{
    if (field == value) return;
    field = value;
    // The page area moves at once: the native adjustment is asked again on the resize.
    if (FOwner && !FOwner->HasState(csLoading))
        if (HWND wnd = FOwner->ExistingHandle()) SendMessageW(wnd, WM_SIZE, 0, MAKELPARAM(FOwner->Width(), FOwner->Height()));
}

void TacPageMargins::Assign(const TacPageMargins& other)
{
    SetOffsetLeft(other.OffsetLeft());
    SetOffsetTop(other.OffsetTop());
    SetOffsetRight(other.OffsetRight());
    SetOffsetBottom(other.OffsetBottom());
}

void TsTabSheet::SetTabSkin(const String& name)
{
    if (FTabSkin == name) return;
    FTabSkin = name;
    auto* pc = dynamic_cast<TsPageControl*>(PageControl());
    if (!pc || pc->HasState(csLoading) || !Visible()) return;
    pc->SkinData()->BGChanged = true;
    if (HWND wnd = pc->ExistingHandle()) RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
}

void TsTabSheet::SetButtonSkin(const String& name)
{
    if (FButtonSkin == name) return;
    FButtonSkin = name;
    if (auto* pc = dynamic_cast<TsPageControl*>(PageControl())) pc->SkinData()->Invalidate(false);
}

void TsTabSheet::SetTabMenu(TPopupMenu* menu)
{
    if (FTabMenu == menu) return;
    if (FTabMenu) FTabMenu->RemoveFreeNotification(this);
    FTabMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TsTabSheet::Notification(TComponent* component, TOperation operation)
{
    TTabSheet::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FTabMenu) FTabMenu = nullptr;
}

void TsTabSheet::SetTabType(TacTabType value)
{
    if (FTabType == value) return;
    FTabType = value;
    if (FTabSkin.empty()) {
        if (value == ttButton) FTabSkin = L"SPEEDBUTTON";
        else if (value == ttMenu) FTabSkin = L"MENUBTN";
    } else if (value == ttTab) {
        FTabSkin.clear();
    }
    auto* pc = dynamic_cast<TsPageControl*>(PageControl());
    if (!pc) return;
    pc->UpdateBtnData();
    Perform(CM_TEXTCHANGED, 0, 0);
    pc->StopTabAnimations();
    pc->SkinData()->BGChanged = true;
    // A button tab is never the active page: the selection moves to the nearest page tab.
    if (pc->ActivePage()) {
        const TacPageControlState s = pc->TabState();
        const int nearest = TacPageTabs(s).NearestTabPage(pc->ActivePageIndex());
        if (nearest >= 0 && nearest != pc->ActivePageIndex()) pc->SetActivePageIndex(nearest);
    }
    pc->SkinData()->Invalidate(false);
}

void TsTabSheet::SetUseCloseBtn(bool on)
{
    if (FUseCloseBtn == on) return;
    FUseCloseBtn = on;
    auto* pc = dynamic_cast<TsPageControl*>(PageControl());
    if (pc && !pc->HasState(csLoading)) {
        pc->SkinData()->BGChanged = true;
        pc->SkinData()->Invalidate(false);
    }
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

void TsTabSheet::CreateParams(TCreateParams& params)
{
    TTabSheet::CreateParams(params);
    params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TsTabSheet::PaintBorder(HDC dc, TsPageControl* pc)
{
    TsCommonData* l = pc->SkinData();
    const int bw = BorderWidth();
    if (bw <= 0) return;
    if (l->BGChanged || l->CacheEmpty()) pc->PrepareCache();
    if (l->CacheEmpty()) return;
    BlitFrameStrips(dc, 0, 0, Width(), Height(), l->FCacheBmp->Canvas()->Handle(), Left(), Top(), bw, bw, bw, bw);
}

void TsTabSheet::PaintBackground(HDC dc, TsPageControl* pc)
{
    TsCommonData* l = pc->SkinData();
    // Printing into another picture than the one being printed: nothing here.
    if (!dc || (l->PrintDC && l->PrintDC != dc)) return;
    if (l->RefreshUpdating(false)) return;
    if (l->BGChanged || l->CacheEmpty()) pc->PrepareCache();
    if (l->CacheEmpty()) return;
    // The client area lies BorderWidth inside the page's bounds in the page control's image.
    const int bw = BorderWidth();
    const TPoint at(Left() + bw, Top() + bw);
    const int w = ClientWidth(), h = ClientHeight();
    const int saved = SaveDC(dc);
    // Opaque child windows paint themselves: they are left out.
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* c = dynamic_cast<TWinControl*>(Controls(i)); c && c->Visible() && c->HandleAllocated())
            ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    BitBlt(dc, 0, 0, w, h, l->FCacheBmp->Canvas()->Handle(), at.x, at.y, SRCCOPY);
    RestoreDC(dc, saved);
    DrawGraphicChildren(dc, this, true, TPoint(0, 0), true);
}

bool TsTabSheet::SkinCommand(TMessage& m, TsPageControl* pc)
{
    TsCommonData* l = pc->SkinData();
    TsSkinManager* mgr = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    switch (SkinCommandOf(m.WParam)) {
    case scmGetDefaultIndex:
        if (!mgr) return false;
        m.Result = mgr->GetSkinIndex(L"TABSHEET", d) + 1;
        return true;
    case scmIsUpdating: m.Result = l->IsUpdating() ? 1 : 0; return true;
    case scmDependsOnBG: {
        // A textured or graded page frame looks different at every place.
        bool patterned = false;
        if (d && d->IsValidSection(l->SkinIndex) && !d->gd[size_t(l->SkinIndex)].Props.empty()) {
            const auto& p = d->gd[size_t(l->SkinIndex)].Props[0];
            patterned = p.ImagePercent + p.GradientPercent > 0;
        }
        m.Result = patterned || l->RepaintIfMoved() ? 1 : 0;
        return true;
    }
    case scmRepaintIfMoved: {
        const bool moved = l->RepaintIfMoved();
        if (moved) l->BGChanged = true;
        if (HWND wnd = ExistingHandle(); wnd && LOWORD(m.WParam) == 1)
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_NOINTERNALPAINT | RDW_ALLCHILDREN);
        if (moved)
            for (int i = 0; i < ControlCount(); ++i)
                if (!Controls(i)->HasState(csDestroying)) SendSkinCommandToControl(Controls(i), scmRepaintIfMoved, 0, 1);
        return true;
    }
    case scmGetBGColor: m.Result = static_cast<LRESULT>(PerformSkinCommand(pc, scmGetBGColor, m.LParam)); return true;
    case scmGetSkinIndex:
        if (m.LParam) {
            const int own = mgr && !SkinData()->SkinSection().empty() ? mgr->GetSkinIndex(SkinData()->SkinSection(), d) : -1;
            reinterpret_cast<int32_t*>(m.LParam)[1] = own >= 0 ? own : l->SkinIndex;
        }
        return true;
    case scmGetApplication: m.Result = reinterpret_cast<LRESULT>(Application); return true;
    case scmPPIChanged: BroadcastToChildren(this, m); return true;
    case scmIsOpaque:
    case scmSetPrintDC: m.Result = 1; return true;
    case scmUpdateDone:
        if (HWND wnd = ExistingHandle()) RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        RepaintChildren(this);
        return true;
    default: return false;
    }
}

void TsTabSheet::WndProc(TMessage& m)
{
    if (m.Msg == MSG_SKINCOMMAND && !HasState(csDestroying)) {
        switch (SkinCommandOf(m.WParam)) {
        case scmNewSkin:
        case scmRefresh:
        case scmRemoveSkin:
        case scmFontChanged:
            // A page has no skin of its own: what a skin change tells the page control goes on
            // to the controls on the page, which would otherwise keep the old skin's data.
            BroadcastToChildren(this, m);
            break;
        case scmIsSkinned:
            if (PageControl()) {
                m.Result = 1;
                return;
            }
            break;
        default: break;
        }
    }
    if (TsPageControl* pc = SkinnedPageControl()) {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) != scmGetBackground && !HasState(csDestroying) &&
            SkinCommand(m, pc))
            return;
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmGetBackground) {
            if (!m.LParam || !SkinCommandAccepted(m)) return;
            // Painted: the child's position in the page becomes its position in the page control.
            // Described: the page's image lies in the page control's image at the page's position
            // (its client area, inside its border).
            auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
            const TPoint pos(Left() + BorderWidth(), Top() + BorderWidth());
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
        switch (m.Msg) {
        case WM_ERASEBKGND:
            if (!Showing() || pc->HasState(csDestroying) || HasState(csDestroying)) break;
            PaintBackground(reinterpret_cast<HDC>(m.WParam), pc);
            m.Result = 1;
            return;
        case WM_NCPAINT:
            if (BorderWidth() == 0 || !Showing() || HasState(csDestroying) || AnimationRunning) {
                m.Result = 0;
                return;
            }
            if (pc->SkinData()->IsUpdating()) {
                m.Result = 1;
                return;
            }
            if (HWND wnd = ExistingHandle()) {
                HDC dc = GetWindowDC(wnd);
                PaintBorder(dc, pc);
                ReleaseDC(wnd, dc);
            }
            m.Result = 1;
            return;
        case WM_PRINT:
            if (HDC dc = reinterpret_cast<HDC>(m.WParam)) {
                const int saved = SaveDC(dc);
                if (BorderWidth() != 0) {
                    PaintBorder(dc, pc);
                    OffsetViewportOrgEx(dc, BorderWidth(), BorderWidth(), nullptr);
                }
                PaintBackground(dc, pc);
                RestoreDC(dc, saved);
            }
            m.Result = 0;
            return;
        case WM_PAINT:
            // The content is the background: the erase paints it.
            if (Visible() || HasState(csDesigning)) {
                HWND wnd = ExistingHandle();
                if (wnd && !HasState(csDestroying) && Parent()) InvalidateRect(wnd, nullptr, TRUE);
                PAINTSTRUCT ps{};
                if (wnd) {
                    BeginPaint(wnd, &ps);
                    EndPaint(wnd, &ps);
                }
                m.Result = 0;
                return;
            }
            break;
        case WM_MOUSEMOVE:
            if (!HasState(csDesigning) && DefaultManager)
                if (HWND wnd = ExistingHandle()) DefaultManager->ChangeActiveControl(wnd);
            break;
        case CM_TEXTCHANGED: pc->SkinData()->BGChanged = true; break;
        default: break;
        }
    }
    TTabSheet::WndProc(m);
    // A new caption: the tabs' fades no longer fit.
    if (m.Msg == CM_TEXTCHANGED)
        if (auto* owner = dynamic_cast<TsPageControl*>(PageControl())) owner->StopTabAnimations();
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
    int index = page->PageIndex();
    if (index < 0 || index >= PageCount()) return;
    // A button or menu tab is never the active page: its nearest page tab is.
    if (auto* sheet = dynamic_cast<TsTabSheet*>(page); sheet && sheet->TabType() != ttTab) {
        const TacPageControlState s = TabState();
        index = TacPageTabs(s).NearestTabPage(index);
        if (index < 0) return;
    }
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

TsPageControl::TsPageControl(TComponent* owner)
    : TacSkinFrame<TPageControl>(owner, ackind::PageControl), FPageMargins(this)
{
}

TsPageControl::~TsPageControl()
{
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
            l->FUpdating = false;
            if (HWND wnd = ExistingHandle()) SendMessageW(wnd, WM_SETREDRAW, 1, 0);
            ReleaseTransition();
        }
        return true;
    }
    if (h->code != TCN_SELCHANGE) return false;
    FreeAllGlows(false);
    HWND wnd = ExistingHandle();
    if (PageTransitionAllowed() && TransitionCover()) {
        StopTabAnimations();
        TacSkinFrame<TPageControl>::WndProc(m);   // the new page becomes visible
        l->FUpdating = true;
        TsSkinManager* mgr = l->SkinManager();
        // Returns when played; painting the new picture printed the control, which ended its
        // update. A control that could not be shown was not printed: it paints when shown.
        AnimateTransition(this, mgr ? mgr->AnimEffects()->PageChange.Time : 0, 255, 0);
        if (l->FUpdating) {
            l->FUpdating = false;
            l->BGChanged = true;
        }
        if (TTabSheet* page = ActivePage(); page && page->HandleAllocated())
            RedrawWindow(page->ExistingHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return true;
    }
    // Without animation: the change is drawn in one go once both tabs and the page are in place.
    const int id = static_cast<int>(h->idFrom);
    auto sectioned = [](TTabSheet* page) {
        auto* sheet = dynamic_cast<TsTabSheet*>(page);
        return sheet && !sheet->SkinData()->SkinSection().empty();
    };
    if (ActivePage() && (sectioned(ActivePage()) || (id >= 0 && id < PageCount() && sectioned(Pages(id)))) &&
        !l->RefreshUpdating(false)) {
        l->FUpdating = true;
        TacSkinFrame<TPageControl>::WndProc(m);
        l->FUpdating = false;
        l->BGChanged = true;
        if (wnd)
            RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
        return true;
    }
    TacSkinFrame<TPageControl>::WndProc(m);
    return true;
}

void TsPageControl::CreateParams(TCreateParams& params)
{
    TacSkinFrame<TPageControl>::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
}

void TsPageControl::CreateWnd()
{
    TacSkinFrame<TPageControl>::CreateWnd();
    FAppliedPadding = 0;
    UpdateBtnData();
    CheckUpDown();
}

LRESULT TsPageControl::StripHitTest(LPARAM screenPoint)
{
    HWND wnd = ExistingHandle();
    if (!wnd) return 0;
    const POINT sp{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    RECT wr{};
    GetWindowRect(wnd, &wr);
    POINT cp = sp;
    ::ScreenToClient(wnd, &cp);
    const TacPageControlState s = TabState();
    const int hit = TacPageTabs(s).StripHitTest(TPoint(sp.x - wr.left, sp.y - wr.top), TPoint(cp.x, cp.y),
                                                HasState(csDesigning));
    return hit == 0 ? 0 : hit > 0 ? HTCLIENT : HTTRANSPARENT;
}

void TsPageControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_NCHITTEST:
        if (const LRESULT hit = StripHitTest(m.LParam)) {
            m.Result = hit;
            return;
        }
        break;
    case CM_BIDIMODECHANGED:
        // The list button stands on the other side now: it is made again when needed.
        if (FDropBtn && !FDropBtn->FBusy) {
            TacDropBtn* b = FDropBtn;
            FDropBtn = nullptr;
            delete b;
        }
        SkinData()->BGChanged = true;
        break;
    case MSG_SKINCOMMAND:
        switch (SkinCommandOf(m.WParam)) {
        case scmMouseLeave: Perform(WM_MOUSELEAVE, 0, 0); return;
        case scmGetBounds:
            if (m.LParam) {
                const TacPageControlState s = TabState();
                TRect r = TacPageTabs(s).PageAreaRect();
                r.Offset(Left(), Top());
                *reinterpret_cast<TRect*>(m.LParam) = r;
            }
            return;
        case scmNewSkin:
        case scmRefresh: UpdateTabsLineIndex(); break;
        default: break;
        }
        break;
    case CM_MOUSELEAVE:
    case WM_MOUSELEAVE:
        if (FCurItem >= 0 && !HasState(csDesigning | csDestroying)) {
            const int left = FCurItem;
            // Nothing stays pressed or hovered once the mouse has left.
            FPressedBtnIndex = FHoveredBtnIndex = -1;
            FCloseBtnPressed = false;
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
    case WM_LBUTTONUP:
        if (HandleClick(m)) return;
        break;
    case WM_NCCALCSIZE:
        TacSkinFrame<TPageControl>::WndProc(m);
        if (!HasState(csLoading) && m.LParam) {
            FAddedPadding = PagePaddingAtPpi(FPadding, SkinData()->CurrentPPI);
            auto* r = reinterpret_cast<RECT*>(m.LParam);   // the first rectangle of NCCALCSIZE_PARAMS too
            r->left += FAddedPadding.left;
            r->top += FAddedPadding.top;
            r->right = std::max<LONG>(r->left, r->right - FAddedPadding.right);
            r->bottom = std::max<LONG>(r->top, r->bottom - FAddedPadding.bottom);
        }
        return;
    case WM_NCPAINT:
        if (FAddedPadding != TRect() && ExistingHandle()) {
            HDC dc = GetWindowDC(ExistingHandle());
            PaintPaddingFrame(dc);
            ReleaseDC(ExistingHandle(), dc);
            m.Result = 0;
            return;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the drag is cancelled.
        if (FDraggedItem >= 0 && reinterpret_cast<HWND>(m.LParam) != ExistingHandle()) {
            FDraggedItem = -1;
            FreeDragWindows();
        }
        break;
    case TCM_ADJUSTRECT:
        // The page margins move the page area inside the control.
        if (!m.WParam && m.LParam && FPageMargins.Offsets() != TRect()) {
            auto* r = reinterpret_cast<RECT*>(m.LParam);
            const TRect moved = ApplyPageMargins(TRect(r->left, r->top, r->right, r->bottom), FPageMargins.Offsets(),
                                                 ClientWidth(), ClientHeight());
            *r = RECT{moved.left, moved.top, moved.right, moved.bottom};
        }
        break;
    case WM_KEYDOWN:
    case CM_DIALOGKEY:
        if (HandleNavigationKey(m)) return;
        break;
    case CM_HINTSHOW:
        // Over a tab whose page has a hint of its own: that hint, just below the cursor.
        if (auto* hi = reinterpret_cast<THintInfo*>(m.LParam)) {
            const int page = GetTabUnderMouse(hi->CursorPos);
            if (page >= 0 && page < PageCount() && !Pages(page)->Hint().empty()) {
                hi->HintStr = Pages(page)->Hint();
                hi->HintPos = ClientToScreen(hi->CursorPos);
                hi->HintPos.x += GetSystemMetrics(SM_CXCURSOR) / 2;
                hi->HintPos.y += GetSystemMetrics(SM_CYCURSOR) / 2;
                m.Result = 0;
                return;
            }
        }
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
    switch (m.Msg) {
    case WM_SIZE: CheckUpDown(); break;
    case WM_PAINT:
        if (!SkinData()->Skinned(true) && !HasState(csDestroying))
            if (HWND wnd = ExistingHandle()) {
                HDC dc = GetDC(wnd);
                PaintStdTabs(dc);
                ReleaseDC(wnd, dc);
            }
        break;
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
        // The tabs are being rebuilt one by one: the check waits until they all stand.
        if (!FUpDownCheckPosted && !HasState(csDestroying))
            if (HWND wnd = ExistingHandle()) FUpDownCheckPosted = PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(CheckUpDownCommand), 0);
        break;
    case WM_WINDOWPOSCHANGED:
        // Resized: the tabs may fit now, or no longer.
        CheckUpDown();
        if (FDropBtn) FDropBtn->UpdatePosition(true);
        break;
    case WM_CREATE:
        if (!HasState(csLoading)) UpdateBtnData();
        break;
    case WM_LBUTTONDBLCLK:
        // A button tab (or any tab of button style) shows its state again after the double
        // click; the base has fired OnDblClick.
        if (FCurItem >= 0 && FCurItem < PageCount()) {
            auto* sheet = dynamic_cast<TsTabSheet*>(Pages(FCurItem));
            if (Style() != tsTabs || (sheet && sheet->TabType() == ttButton)) RepaintTab(FCurItem, false);
        }
        break;
    case MSG_SKINCOMMAND:
        if (SkinCommandOf(m.WParam) == CheckUpDownCommand) {
            FUpDownCheckPosted = false;
            CheckUpDown();
        }
        // The close glyph and the padding follow the skin and its PPI.
        if (SkinCommandOf(m.WParam) == scmNewSkin || SkinCommandOf(m.WParam) == scmRefresh ||
            SkinCommandOf(m.WParam) == scmRemoveSkin || SkinCommandOf(m.WParam) == scmPPIChanged)
            UpdateBtnData();
        break;
    default: break;
    }
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
    if (FDraggedItem >= 0) {
        if (!FDragging) StartTabDrag();
        DragTabMove(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
    }
    TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const TacHotTabChange c = tabs.HotTabChange(tabs.GetTabUnderMouse(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))));
    if (EventsAllowed()) {
        if (c.Leave != TacHotTabChange::NoEvent && OnTabMouseLeave) OnTabMouseLeave(this, c.Leave);
        if (c.Enter != TacHotTabChange::NoEvent && OnTabMouseEnter) OnTabMouseEnter(this, c.Enter);
    }
    SetCurItem(c.Hot);
    // The close button under the mouse shows hot.
    const TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    const int under = tabs.GetTabUnderMouse(p);
    if (FShowCloseBtns && under >= 0 && !tabs.IsButtonTab(under) && s.Pages[size_t(under)].Enabled) {
        if (CloseBtnRect(under).Contains(p)) {
            if (FHoveredBtnIndex != under) {
                const int old = FHoveredBtnIndex;
                FHoveredBtnIndex = under;
                RepaintTab(under, true);
                if (old >= 0) RepaintTab(old, true);
            }
        } else if (FHoveredBtnIndex >= 0) {
            const int old = FHoveredBtnIndex;
            FHoveredBtnIndex = FPressedBtnIndex = -1;
            RepaintTab(old, true);
            if (old != under) RepaintTab(under, true);
        }
    } else if (FHoveredBtnIndex >= 0 || FPressedBtnIndex >= 0) {
        const int old = FHoveredBtnIndex;
        FHoveredBtnIndex = FPressedBtnIndex = -1;
        if (old >= 0) RepaintTab(old, true);
    }
    return false;   // the base still sees the move (mouse events, hints)
}

TRect TsPageControl::CloseBtnRect(int page)
{
    if (!FShowCloseBtns || page < 0 || page >= PageCount()) return TRect();
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    if (tabs.IsButtonTab(page) || !s.Pages[size_t(page)].UseCloseBtn) return TRect();
    const bool active = page == s.ActivePage;
    const TRect r = SkinData()->Skinned(true) ? tabs.SkinTabRect(tabs.TabIndexOfPage(page), active)
                                              : tabs.BaseTabRect(tabs.TabIndexOfPage(page));
    if (r.IsEmpty()) return TRect();
    // As the tab is drawn: the content between the covered ends.
    TRect br(0, 0, r.Width(), r.Height());
    if (const int cover = tabs.TabCovering(page); cover != 0) {
        if (TabPosition() == tpTop || TabPosition() == tpBottom) br.Inflate(-2 * cover, 0);
        else br.Inflate(0, -2 * cover);
    }
    TCanvas* c = SkinData()->FCacheBmp ? SkinData()->FCacheBmp->Canvas() : nullptr;
    TacTabContent l = tabs.CalcTabLayout(page, br, active ? 2 : 1, false, [c](const String& text, int, bool) {
        return c ? c->TextExtent(text) : TSize();
    });
    if (l.BtnRect.IsEmpty()) return TRect();
    l.BtnRect.Offset(r.left, r.top);
    return l.BtnRect;
}

int TsPageControl::GetTabUnderMouse(TPoint p)
{
    const TacPageControlState s = TabState();
    return TacPageTabs(s).GetTabUnderMouse(p);
}

bool TsPageControl::HandleClick(TMessage& m)
{
    if (HasState(csDesigning) || !Enabled()) return false;
    const bool press = m.Msg == WM_LBUTTONDOWN;
    const TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
    // Ctrl alone: Shift and Alt not held.
    const bool ctrlOnly = (m.WParam & (MK_CONTROL | MK_SHIFT)) == MK_CONTROL && GetKeyState(VK_MENU) >= 0;
    if (!press && FDraggedItem >= 0) {
        EndTabDrag(p, AllowTabsDrag && ctrlOnly);
        m.Result = 0;
        return true;
    }
    const int page = GetTabUnderMouse(p);
    if (!press && FPressedBtnIndex >= 0 && FPressedBtnIndex != page) {
        // Released away from what was pressed: it lets go without acting.
        const int old = FPressedBtnIndex;
        FPressedBtnIndex = -1;
        FCloseBtnPressed = false;
        RepaintTab(old, true);
    }
    if (page < 0) {
        if (!press) FCloseBtnPressed = false;
        return false;
    }
    m.Result = 0;
    if (AllowTabsDrag && press && ctrlOnly) {
        bool allowed = true;
        if (OnTabStartDrag && EventsAllowed()) OnTabStartDrag(this, page, allowed);
        if (allowed) {
            FDraggedItem = page;
            FDraggedPos = p;
            SetCapture(ExistingHandle());
        }
        return true;
    }
    TTabSheet* sheet = Pages(page);
    auto* ts = dynamic_cast<TsTabSheet*>(sheet);
    const TacTabType type = ts ? ts->TabType() : ttTab;
    if (!AccessibleDisabledPages && !sheet->Enabled()) return true;
    if (type == ttButton) {
        if (!sheet->Enabled()) return false;
        const int old = FPressedBtnIndex;
        FPressedBtnIndex = press ? page : -1;
        RepaintTab(page, !press);
        if (!press && old == page && ts->OnClickBtn && EventsAllowed()) ts->OnClickBtn(ts);
        return true;
    }
    if (type == ttMenu) {
        if (press && ts->TabMenu()) {
            if (FSkipDropDown) FSkipDropDown = false;   // this click closed the menu
            else OpenTabMenu(page);
        } else {
            FSkipDropDown = false;
        }
        FDroppedDownItem = -1;
        SetCurItem(-1);
        StopTabAnimations();
        SkinData()->FUpdating = false;
        SkinData()->BGChanged = true;
        if (HWND wnd = ExistingHandle())
            RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        return true;
    }
    if (FShowCloseBtns && ts && ts->UseCloseBtn()) {
        if (CloseBtnRect(page).Contains(p)) {
            FPressedBtnIndex = press ? page : -1;
            RepaintTab(page, true);
            if (press) {
                FCloseBtnPressed = true;
                return true;
            }
            if (!FCloseBtnPressed) return true;
            FCloseBtnPressed = false;
            ClosePage(page);
            FPressedBtnIndex = -1;
            return true;
        }
        if (!press) {
            FPressedBtnIndex = -1;
            FCloseBtnPressed = false;
            return true;
        }
    }
    // The selection goes through the changing event, never through the native click.
    if (press && AllowPage(page)) SelectPage(page);
    return true;
}

void TsPageControl::ClosePage(int page)
{
    bool canClose = true;
    TacCloseAction action = acaFree;
    const TacPageControlState before = TabState();
    const int tabIndex = TacPageTabs(before).TabIndexOfPage(page);
    if (OnCloseBtnClick && EventsAllowed()) OnCloseBtnClick(this, tabIndex, canClose, action);
    if (!canClose || page >= PageCount()) return;
    const int former = ActivePageIndex();
    HWND wnd = ExistingHandle();
    if (wnd) SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    StopTabAnimations();
    FHoveredBtnIndex = FPressedBtnIndex = -1;
    SetCurItem(-1);
    TTabSheet* sheet = Pages(page);
    if (action == acaFree) delete sheet;
    else sheet->SetTabVisible(false);
    // The nearest page tab at the former active index or before it.
    const TacPageControlState s = TabState();
    const int next = TacPageTabs(s).PageAfterClose(former);
    if (next >= 0 && next != ActivePageIndex()) SelectPage(next);
    if (wnd) SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    SkinData()->BGChanged = true;
    if (wnd) RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TsPageControl::SetPaddingMargins(const TRect& margins)
{
    if (FPadding == margins) return;
    FPadding = margins;
    if (HasState(csLoading)) return;
    // The frame is calculated again: the client area shrinks or grows by the margins.
    if (HWND wnd = ExistingHandle())
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    Realign();
    SkinData()->BGChanged = true;
    SkinData()->Invalidate(false);
}

void TsPageControl::PaintPaddingFrame(HDC dc)
{
    const TRect& a = FAddedPadding;
    const int w = Width(), h = Height();
    SaveDC(dc);
    ExcludeClipRect(dc, a.left, a.top, w - a.right, h - a.bottom);
    TacBgQuery q;
    q.DC = dc;
    q.R = TRect(0, 0, w, h);
    q.Offset = TPoint(Left(), Top());
    bool painted = Parent() && GetControlBackground(q, Parent(), true) && q.Kind != bgNotReady;
    if (!painted) {
        HBRUSH b = CreateSolidBrush(ColorToRGB(Parent() ? Parent()->Color() : Color()));
        RECT all{0, 0, w, h};
        FillRect(dc, &all, b);
        DeleteObject(b);
    }
    RestoreDC(dc, -1);
}

void TsPageControl::EndTabDrag(const TPoint& p, bool drop)
{
    const int dragged = FDraggedItem;
    FDraggedItem = -1;
    if (GetCapture() == ExistingHandle()) ReleaseCapture();
    FreeDragWindows();
    if (!drop || dragged < 0 || dragged >= PageCount()) return;
    const TacPageControlState s = TabState();
    const int target = TacPageTabs(s).DropIndex(dragged, p);
    if (target < 0) return;
    bool allowed = true;
    if (OnTabDrop && EventsAllowed()) OnTabDrop(this, dragged, target, allowed);
    if (!allowed) return;
    StopTabAnimations();
    FCurItem = FHoveredBtnIndex = FPressedBtnIndex = -1;
    SkinData()->BGChanged = true;
    Pages(dragged)->SetPageIndex(target);
    SkinData()->Invalidate(false);
}

namespace {

// A click-through layered window of the picture's size at a screen point, topmost, not activated.
std::unique_ptr<TacGlowForm> ShowDragPicture(TBitmap* bmp, const TPoint& at)
{
    auto form = std::make_unique<TacGlowForm>(nullptr);
    HWND wnd = form->Handle();
    const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE);
    SetWindowPos(wnd, HWND_TOPMOST, at.x, at.y, bmp->Width(), bmp->Height(), SWP_NOACTIVATE);
    UpdateLayeredFromBitmap(wnd, bmp, 255, &at);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    return form;
}

}  // namespace

void TsPageControl::StartTabDrag()
{
    FDragging = true;
    HWND wnd = ExistingHandle();
    if (!wnd || FDraggedItem >= PageCount()) return;
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const int tab = tabs.TabIndexOfPage(FDraggedItem);
    const bool skinned = SkinData()->Skinned() && SkinData()->FCacheBmp;
    const TRect r = skinned ? tabs.SkinTabRect(tab, FDraggedItem == s.ActivePage) : tabs.BaseTabRect(tab);
    if (r.IsEmpty()) return;
    FDraggedBmp.reset(NewBitmap32(r.Width(), r.Height()));
    HDC to = FDraggedBmp->Canvas()->Handle();
    if (skinned) {
        BitBlt(to, 0, 0, r.Width(), r.Height(), SkinData()->FCacheBmp->Canvas()->Handle(), r.left, r.top, SRCCOPY);
    } else {
        // The native tab as the window shows it, with what the plain look draws over it.
        TBitmap whole(ClientWidth(), ClientHeight(), pf32bit);
        HDC wdc = GetDC(wnd);
        BitBlt(whole.Canvas()->Handle(), 0, 0, ClientWidth(), ClientHeight(), wdc, 0, 0, SRCCOPY);
        ReleaseDC(wnd, wdc);
        PaintStdTab(FDraggedItem, FDraggedItem == s.ActivePage ? 2 : 0, whole.Canvas()->Handle());
        BitBlt(to, 0, 0, r.Width(), r.Height(), whole.Canvas()->Handle(), r.left, r.top, SRCCOPY);
    }
    GdiFlush();
    const TPixelView v = BitmapView(FDraggedBmp.get());
    for (int y = 0; y < v.Height; ++y)
        for (uint32_t* px = v.Row(y); px != v.Row(y) + v.Width; ++px) *px = (*px & 0x00FFFFFFu) | 0x7F000000u;
    PremultiplyAlpha32(FDraggedBmp.get());
    FDraggedForm = ShowDragPicture(FDraggedBmp.get(), ClientToScreen(r.TopLeft()));
    SetCapture(wnd);
}

void TsPageControl::DragTabMove(const TPoint& p)
{
    if (GetCapture() != ExistingHandle()) return;
    if (p == FDraggedPos) return;
    if (FDraggedForm) {
        RECT wr;
        GetWindowRect(FDraggedForm->Handle(), &wr);
        SetWindowPos(FDraggedForm->Handle(), HWND_TOPMOST, wr.left + p.x - FDraggedPos.x, wr.top + p.y - FDraggedPos.y, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE);
    }
    FDraggedPos = p;
    UpdateInsertMark(p);
}

void TsPageControl::UpdateInsertMark(const TPoint& p)
{
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const int target = tabs.DropIndex(FDraggedItem, p);
    FInsertTarget = target;
    TacInsertMark mark;
    TacSkinData* d = SkinData()->ResolveSkinData();
    const int arrowSize = d ? d->ArrowSize : DefaultArrowSize * SkinData()->ControlPPI() / 96;
    if (target >= 0) mark = tabs.InsertMark(FDraggedItem, target, arrowSize);
    if (!mark.Valid) {
        if (FDraggedInsForm) ShowWindow(FDraggedInsForm->Handle(), SW_HIDE);
        return;
    }
    if (!FInsertBmp) {
        // Two arrows in the highlight colour facing each other across the strip.
        // Clear in the arrows' own colour, so their soft edges blend with nothing darker.
        FInsertBmp.reset(NewBitmap32(mark.Size.cx, mark.Size.cy));
        FillRectAlpha32(FInsertBmp.get(), TRect(0, 0, mark.Size.cx, mark.Size.cy), clHighlight, 0);
        const float width = float((d ? d->LineWidth : DefaultLineWidth) + 1);
        const TPixelView v = BitmapView(FInsertBmp.get());
        const TColor colour = ColorToRGB(clHighlight);
        // Each arrow's two strokes meet at the middle of the rectangle's inner side.
        auto arrow = [&](const TRect& r, bool inward) {
            const float l = float(r.left), t = float(r.top), rr = float(r.right - 1), b = float(r.bottom - 1);
            if (mark.Horizontal) {
                const float tipY = inward ? b : t, baseY = inward ? t : b, cx = (l + rr) / 2;
                DrawLineGdip32(v, colour, l, baseY, cx, tipY, width);
                DrawLineGdip32(v, colour, cx, tipY, rr, baseY, width);
            } else {
                const float tipX = inward ? rr : l, baseX = inward ? l : rr, cy = (t + b) / 2;
                DrawLineGdip32(v, colour, baseX, t, tipX, cy, width);
                DrawLineGdip32(v, colour, tipX, cy, baseX, b, width);
            }
        };
        arrow(mark.First, true);
        arrow(mark.Second, false);
        PremultiplyAlpha32(FInsertBmp.get());
    }
    const TPoint at = ClientToScreen(mark.At);
    if (!FDraggedInsForm) {
        FDraggedInsForm = ShowDragPicture(FInsertBmp.get(), at);
    } else {
        HWND wnd = FDraggedInsForm->Handle();
        SetWindowPos(wnd, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        UpdateLayeredFromBitmap(wnd, FInsertBmp.get(), 255, &at);
        ShowWindow(wnd, SW_SHOWNOACTIVATE);
    }
}

void TsPageControl::FreeDragWindows()
{
    FDragging = false;
    FInsertTarget = -1;
    FDraggedForm.reset();
    FDraggedInsForm.reset();
    FDraggedBmp.reset();
    FInsertBmp.reset();
}

void TsPageControl::OpenTabMenu(int page)
{
    auto* ts = dynamic_cast<TsTabSheet*>(Pages(page));
    TPopupMenu* menu = ts ? ts->TabMenu() : nullptr;
    HWND wnd = ExistingHandle();
    if (!menu || !wnd) return;
    FSkipDropDown = true;
    FDroppedDownItem = page;
    RepaintTab(page, false);   // shown pressed while the menu is open
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const TRect r = tabs.BaseTabRect(tabs.TabIndexOfPage(page));
    POINT o{0, 0};
    ::ClientToScreen(wnd, &o);
    menu->SetPopupComponent(this);
    if (tabs.CaptionsTurned()) menu->Popup(o.x + r.right, o.y + r.top);
    else if (s.RightToLeft) menu->Popup(o.x + r.right, o.y + r.bottom - 2);
    else menu->Popup(o.x + r.left, o.y + r.bottom - 2);
    menu->SetPopupComponent(nullptr);
    // Closed by a click elsewhere: the next click on the tab opens it again.
    POINT c{};
    GetCursorPos(&c);
    ::ScreenToClient(wnd, &c);
    if (GetTabUnderMouse(TPoint(c.x, c.y)) != page) FSkipDropDown = false;
}

// ---- appearance ----------------------------------------------------------------------------

void TsPageControl::TabLookChanged(bool resize)
{
    StopTabAnimations();
    SkinData()->BGChanged = true;
    if (HasState(csLoading)) return;
    if (resize) {
        UpdateBtnData();
        if (HWND wnd = ExistingHandle()) SendMessageW(wnd, WM_SIZE, 0, MAKELPARAM(Width(), Height()));
    }
    SkinData()->Invalidate(false);
}

void TsPageControl::SetShowCloseBtns(bool on)
{
    if (FShowCloseBtns == on) return;
    FShowCloseBtns = on;
    TabLookChanged(true);
}

void TsPageControl::SetCloseBtnVisibility(TacCloseBtnVisibility value)
{
    if (FCloseBtnVisibility == value) return;
    FCloseBtnVisibility = value;
    TabLookChanged(false);
}

void TsPageControl::SetCloseBtnSkin(const String& name)
{
    if (FCloseBtnSkin == name) return;
    FCloseBtnSkin = name;
    TabLookChanged(true);
}

void TsPageControl::SetTabMargin(int value)
{
    if (FTabMargin == value) return;
    FTabMargin = value;
    TabLookChanged(false);
}

void TsPageControl::SetTabPadding(int value)
{
    if (FTabPadding == value) return;
    FTabPadding = value;
    TabLookChanged(true);
}

void TsPageControl::SetTabSpacing(int value)
{
    if (FTabSpacing == value) return;
    FTabSpacing = value;
    TabLookChanged(true);
}

void TsPageControl::SetActiveIsBold(bool on)
{
    if (FActiveIsBold == on) return;
    FActiveIsBold = on;
    TabLookChanged(true);
}

void TsPageControl::SetActiveTabEnlarged(bool on)
{
    if (FActiveTabEnlarged == on) return;
    FActiveTabEnlarged = on;
    TabLookChanged(false);
}

void TsPageControl::SetRotateCaptions(bool on)
{
    if (FRotateCaptions == on) return;
    FRotateCaptions = on;
    if (HasState(csLoading)) return;
    if (on) {
        const TacPageControlState s = TabState();
        const TSize size = TacPageTabs(s).TurnedTabSize();
        SetTabWidth(size.cx);
        SetTabHeight(size.cy);
    } else {
        SetTabHeight(0);
        SetTabWidth(0);
    }
    TabLookChanged(false);
}

void TsPageControl::SetWordWrap(bool on) { SetLook(FWordWrap, on); }
void TsPageControl::SetShowFocus(bool on) { SetLook(FShowFocus, on); }
void TsPageControl::SetReflectedGlyphs(bool on) { SetLook(FReflectedGlyphs, on); }

void TsPageControl::SetTabAlignment(TAlignment value)
{
    if (FTabAlignment == value) return;
    FTabAlignment = value;
    TabLookChanged(false);
}

void TsPageControl::SetGlyphLayout(TacGlyphLayout value)
{
    if (FGlyphLayout == value) return;
    FGlyphLayout = value;
    TabLookChanged(false);
}

void TsPageControl::SetTabsLineSkin(const String& name)
{
    if (FTabsLineSkin == name) return;
    FTabsLineSkin = name;
    UpdateTabsLineIndex();
    SkinData()->BGChanged = true;
    SkinData()->Invalidate(false);
}

void TsPageControl::UpdateTabsLineIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    FTabsLineIndex = m && !FTabsLineSkin.empty() ? m->GetSkinIndex(FTabsLineSkin, SkinData()->ResolveSkinData()) : -1;
}

void TsPageControl::ChangeTabsVisibility(bool visible)
{
    TsCommonData* l = SkinData();
    l->BeginUpdate();
    for (int i = 0; i < PageCount(); ++i) Pages(i)->SetTabVisible(visible);
    l->EndUpdate(true);
}

void TsPageControl::CloseClick(TObject* sender)
{
    // The page is the sender's own sheet: the nearest sheet of this control among its parents.
    auto* control = dynamic_cast<TControl*>(sender);
    TsTabSheet* sheet = nullptr;
    for (TControl* c = control; c && !sheet; c = c->Parent())
        if (auto* ts = dynamic_cast<TsTabSheet*>(c); ts && ts->PageControl() == this) sheet = ts;
    if (!sheet) return;
    TacCloseAction action = acaFree;
    bool canClose = true;
    if (OnCloseBtnClick && EventsAllowed()) OnCloseBtnClick(this, sheet->TabIndex(), canClose, action);
    if (!canClose) return;
    const int former = ActivePageIndex();
    // A sender standing on the freed page goes with it: it is neither hidden nor touched again.
    bool senderGoes = false;
    for (TControl* c = control; c; c = c->Parent())
        if (c == sheet) senderGoes = true;
    StopTabAnimations();
    if (action == acaFree) delete sheet;
    else sheet->SetTabVisible(false);
    if (former < PageCount() && former != 0) SetActivePageIndex(former);
    if (control && !(senderGoes && action == acaFree)) control->SetVisible(false);
    SkinData()->BGChanged = true;
    if (HWND wnd = ExistingHandle()) RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void TsPageControl::SetTabIndex(int value)
{
    const TacPageControlState s = TabState();
    const TacTabIndexChoice c = TacPageTabs(s).SetTabIndexChoice(value);
    if (c.PassToBase) {
        TacSkinFrame<TPageControl>::SetTabIndex(value);
        return;
    }
    // A button tab never becomes the active page.
    if (c.Page >= 0) SetActivePage(Pages(c.Page));
}

void TsPageControl::UpdateActivePage()
{
    TacSkinFrame<TPageControl>::UpdateActivePage();
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    if (!l->Skinned(true) || !m || m->AnimEffects()->PageChange.Active || !AllowAnimSwitching ||
        !m->Effects()->AllowAnimation || l->RefreshUpdating(false))
        return;
    HWND wnd = ExistingHandle();
    if (!wnd) return;
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    if (tabs.VisibleTabsCount() != FStoredVisiblePageCount) {
        // Tabs came or went: the whole control is drawn again, the page with it.
        l->BGChanged = true;
        RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_INVALIDATE);
        if (TTabSheet* page = ActivePage(); page && page->HandleAllocated())
            RedrawWindow(page->ExistingHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    if (ActivePage()) {
        // The new active tab at once: composed with it and shown over the strip.
        l->BGChanged = true;
        if (!PrepareCache()) return;
        const TRect r = tabs.SkinTabRect(tabs.ActiveTab(), true);
        if (r.IsEmpty()) return;
        HDC dc = GetDC(wnd);
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), l->FCacheBmp->Canvas()->Handle(), r.left, r.top, SRCCOPY);
        ReleaseDC(wnd, dc);
    } else {
        l->Invalidate(false);
    }
}

void TsPageControl::Loaded()
{
    TacSkinFrame<TPageControl>::Loaded();
    if (TTabSheet* page = ActivePage()) {
        // Skinning the page's child windows is the form adapter's work (not here yet).
        const TacPageControlState s = TabState();
        const int nearest = TacPageTabs(s).NearestTabPage(page->PageIndex());
        if (nearest >= 0 && nearest != page->PageIndex()) TacSkinFrame<TPageControl>::SetActivePage(Pages(nearest));
    }
    UpdatePadding();
    if (FTabPadding != 0) {
        UpdateBtnData();
        if (HWND wnd = ExistingHandle()) SendMessageW(wnd, WM_SIZE, 0, MAKELPARAM(Width(), Height()));
    }
    UpdateTabsLineIndex();
}

void TsPageControl::SetShowDropDownBtn(bool on)
{
    if (FShowDropDownBtn == on) return;
    FShowDropDownBtn = on;
    CheckUpDown();
    SkinData()->Invalidate(false);
}

void TsPageControl::UpdateBtnData()
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    FBtnIndex = -1;
    TSize size = CloseBtnSize(false, 0, 0, l->CurrentPPI);
    if (l->Skinned(true) && m && d) {
        if (!FCloseBtnSkin.empty()) {
            // A section has no size of its own: the button keeps the plain size.
            FBtnIndex = m->GetSkinIndex(FCloseBtnSkin, d);
        } else {
            FBtnIndex = d->TitleGlyphs[tgSmallClose];
            if (d->IsValidImage(FBtnIndex))
                size = CloseBtnSize(true, d->ma[size_t(FBtnIndex)].Width, d->ma[size_t(FBtnIndex)].Height, l->CurrentPPI);
            else
                FBtnIndex = -1;
        }
    }
    FBtnWidth = size.cx;
    FBtnHeight = size.cy;
    if (!FPaddingUpdating) UpdatePadding();
}

void TsPageControl::UpdatePadding()
{
    FPaddingUpdating = true;
    SetPadding(FShowCloseBtns);
    FPaddingUpdating = false;
}

void TsPageControl::SetPadding(bool showClose)
{
    HWND wnd = ExistingHandle();
    if (!wnd || HasState(csLoading)) return;
    TacPageControlState s = TabState();
    s.ShowCloseBtns = showClose;
    const uint32_t param = TacPageTabs(s).PaddingParam();
    if (FAppliedPadding == param) return;
    FAppliedPadding = param;
    SendMessageW(wnd, TCM_SETPADDING, 0, static_cast<LPARAM>(param));
    // The native control measures its tabs again only when something else changes (a new tab,
    // its size, its font): the same font handed over again has them measured with the padding.
    if (const WPARAM font = static_cast<WPARAM>(SendMessageW(wnd, WM_GETFONT, 0, 0)))
        SendMessageW(wnd, WM_SETFONT, font, FALSE);
    // The tabs changed their widths: the pages and the strip follow.
    SkinData()->BGChanged = true;
    Realign();
    InvalidateRect(wnd, nullptr, TRUE);
}

// ---- the list button -----------------------------------------------------------------------

void TsPageControl::CheckUpDown()
{
    HWND wnd = ExistingHandle();
    if (FUpDownChecking || HasState(csLoading | csDestroying) || !wnd || !IsWindowVisible(wnd)) return;
    FUpDownChecking = true;
    const TacPageControlState s = TabState();
    const bool out = TacPageTabs(s).TabsOutOfView();
    HWND updown = FindWindowExW(wnd, nullptr, L"msctls_updown32", nullptr);
    const bool scroller = updown && IsWindowVisible(updown);
    if (FShowDropDownBtn && (out || scroller)) {
        if (!FDropBtn) FDropBtn = new TacDropBtn(this);
        FDropBtn->UpdatePosition(false);
    } else if (FDropBtn && FDropBtn->FBusy) {
        // Its own click is still running: it goes when that returns.
        if (!FUpDownCheckPosted) FUpDownCheckPosted = PostMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(CheckUpDownCommand), 0);
    } else if (FDropBtn) {
        TacDropBtn* b = FDropBtn;
        FDropBtn = nullptr;
        delete b;
    }
    FUpDownChecking = false;
}

TacDropBtn::TacDropBtn(TsPageControl* owner) : TsBitBtn(owner), FOwner(owner)
{
    SkinData()->SetSkinSection(L"UPDOWNBTN");
    SetTabStop(false);
    SetShowFocus(false);
    SetCaption(L"");
    OnPaint = [this](TObject* sender, TBitmap* bmp) { PaintArrow(sender, bmp); };
    FMenu = new TPopupMenu(nullptr);
}

TacDropBtn::~TacDropBtn()
{
    if (FOwner && FOwner->FDropBtn == this) FOwner->FDropBtn = nullptr;
    delete FMenu;
}

int TacDropBtn::CurrentState()
{
    const int state = TsBitBtn::CurrentState();
    return state == 1 && !SkinData()->FMouseAbove ? 0 : state;
}

void TacDropBtn::PaintArrow(TObject*, TBitmap* bmp)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d96 = m ? m->CommonSkinData(96) : nullptr;
    const TRect r(0, 0, bmp->Width(), bmp->Height());
    if (l->Skinned(true) && d96 && d96->IsValidSection(l->SkinIndex)) {
        const TsGeneralData& g = d96->gd[size_t(l->SkinIndex)];
        const TColor c = g.Props[size_t(std::min(SectionState(g, CurrentState()), 1))].FontColor.Color;
        DrawArrowGlyph32(bmp, c, clNone, r, adDown, 0, 0, 0, int(m->Options()->ActualArrowStyle()), l->ControlPPI());
    } else {
        DrawArrowGlyph32(bmp, clBtnText, clNone, r, adDown, 0, 0, 0, 0, l->ControlPPI());
    }
}

TRect TacDropBtn::BtnBounds(bool checkVisibility)
{
    TsPageControl* pc = FOwner;
    const TacPageControlState s = pc->TabState();
    if ((checkVisibility && !TacPageTabs(s).TabsOutOfView()) || !pc->ShowDropDownBtn()) return TRect();
    HWND wnd = pc->ExistingHandle();
    HWND updown = wnd ? FindWindowExW(wnd, nullptr, L"msctls_updown32", nullptr) : nullptr;
    if (updown && IsWindowVisible(updown)) {
        // Beside the native scroller, as wide as it is high.
        RECT u{};
        GetWindowRect(updown, &u);
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&u), 2);
        const int size = u.bottom - u.top;
        return TRect(u.left - size, u.top, u.left, u.top + size);
    }
    const int size = ScaleForControl(22, pc->SkinData(), true);
    return TRect(pc->Width() - 1 - size, 1, pc->Width() - 1, 1 + size);
}

void TacDropBtn::UpdatePosition(bool checkVisibility)
{
    const TRect b = BtnBounds(checkVisibility);
    if (b.Width() == 0) {
        SetVisible(false);
        return;
    }
    if (Parent() != FOwner) SetParent(FOwner);
    SetBounds(b.left, b.top, b.Width(), b.Height());
    SetVisible(true);
    BringToFront();
}

void TacDropBtn::FillMenu()
{
    FMenu->Items()->Clear();
    FMenu->SetImages(FOwner->Images());
    for (int i = 0; i < FOwner->PageCount(); ++i) {
        TTabSheet* page = FOwner->Pages(i);
        auto* ts = dynamic_cast<TsTabSheet*>(page);
        if (!page->TabVisible() || (ts && ts->TabType() != ttTab)) continue;
        auto* item = new TMenuItem(FMenu);
        item->SetCaption(page->Caption());
        item->SetImageIndex(page->ImageIndex());
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        item->SetTag(i);
        item->SetChecked(i == FOwner->ActivePageIndex());
        item->SetDefault(i == FOwner->ActivePageIndex());
        item->SetEnabled(page->Enabled() || FOwner->AccessibleDisabledPages);
        item->OnClick = Bind<&TacDropBtn::ItemClick>(this);
        FMenu->Items()->Add(item);
    }
}

void TacDropBtn::ItemClick(TObject* sender)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item) return;
    const int page = static_cast<int>(item->Tag());
    if (page >= 0 && page < FOwner->PageCount() && page != FOwner->ActivePageIndex() && FOwner->AllowPage(page))
        FOwner->SelectPage(page);
}

void TacDropBtn::Click()
{
    FillMenu();
    HWND wnd = ExistingHandle();
    if (!wnd) return;
    RECT r{};
    GetWindowRect(wnd, &r);
    FBusy = true;
    FMenu->Popup(r.left, r.bottom);
    FBusy = false;
    ::SetFocus(nullptr);
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
    if (!wnd || page < 0 || page >= PageCount() || l->FUpdating) return;
    if (!l->Skinned(true)) {
        // The plain look has no fades: the tab is drawn again with its new state.
        const TacPageControlState s = TabState();
        TRect r = TacPageTabs(s).BaseTabRect(TacPageTabs(s).TabIndexOfPage(page));
        r.Inflate(2, 2);
        if (!r.IsEmpty()) InvalidateRect(wnd, &r, FALSE);
        return;
    }
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
    DrawSkinTabs(now.get(), s, tabs);
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
    // The frame of the side the tabs stand on.
    TsSkinManager* m = SkinData()->SkinManager();
    if (!m) return -1;
    static const wchar_t* const suffix[] = {L"", L"BOTTOM", L"LEFT", L"RIGHT"};
    return m->GetSkinIndex(String(L"PAGECONTROL") + suffix[std::clamp(int(TabPosition()), 0, 3)], SkinData()->ResolveSkinData());
}

TacPageControlState TsPageControl::TabState()
{
    TacPageControlState s;
    for (int i = 0; i < PageCount(); ++i) {
        TacTabPage p;
        p.Caption = Pages(i)->Caption();
        p.TabVisible = Pages(i)->TabVisible();
        p.Enabled = Pages(i)->Enabled();
        if (auto* sheet = dynamic_cast<TsTabSheet*>(Pages(i))) {
            p.TabType = sheet->TabType();
            p.TabSkin = sheet->TabSkin();
            p.UseCloseBtn = sheet->UseCloseBtn();
        }
        if (Images() && Pages(i)->ImageIndex() >= 0 && Pages(i)->ImageIndex() < Images()->Count())
            p.GlyphSize = TSize(ScaleForControl(Images()->Width(), SkinData(), true),
                                ScaleForControl(Images()->Height(), SkinData(), true));
        s.Pages.push_back(p);
    }
    s.ActivePage = ActivePageIndex();
    s.CurItem = FCurItem;
    s.HoveredBtnIndex = FHoveredBtnIndex;
    s.PressedBtnIndex = FPressedBtnIndex;
    s.DroppedDownItem = FDroppedDownItem;
    s.ShowCloseBtns = FShowCloseBtns;
    s.CloseBtnVisibility = FCloseBtnVisibility;
    s.BtnWidth = FBtnWidth;
    s.BtnHeight = FBtnHeight;
    s.TabMargin = FTabMargin;
    s.TabPadding = FTabPadding;
    s.TabSpacing = FTabSpacing;
    s.ActiveIsBold = FActiveIsBold;
    s.ActiveTabEnlarged = FActiveTabEnlarged;
    s.RotateCaptions = FRotateCaptions;
    s.WordWrap = FWordWrap;
    s.ShowFocus = FShowFocus;
    s.TabAlignment = FTabAlignment;
    s.GlyphLayout = FGlyphLayout;
    s.AccessibleDisabledPages = AccessibleDisabledPages;
    s.HasImages = Images() != nullptr;
    s.MultiLine = MultiLine();
    s.Focused = Focused();
    s.TabPosition = TabPosition();
    s.RightToLeft = !HasState(csDesigning) && BiDiMode() == bdRightToLeft;
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
        s.Skin.ContentShiftsOnClick = [d](int section) { return ::ContentShiftsOnClick(section, d); };
        for (TacTabPage& p : s.Pages)
            if (!p.TabSkin.empty()) p.TabSkinIndex = m->GetSkinIndex(p.TabSkin, d);
    }
    return s;
}

void TsPageControl::PaintContent(TBitmap* cache, int state)
{
    // The whole image is composed by PrepareCache; the frame's section painting is not used.
    (void)cache, (void)state;
}

void TsPageControl::CopyParentBG(TBitmap* bmp, const TRect& r, const TCacheInfo& bg)
{
    const TRect to = TRect::Intersect(r, TRect(0, 0, bmp->Width(), bmp->Height()));
    if (to.IsEmpty()) return;
    const TPixelView dst = BitmapView(bmp);
    const uint32_t fill = 0xFF000000u | SwapRedBlue(uint32_t(ColorToRGB(bg.FillColor)) & 0xFFFFFFu);
    for (int y = to.top; y < to.bottom; ++y) {
        uint32_t* row = dst.Row(y);
        const int sy = bg.Y + Top() + y;
        const bool rowIn = bg.Ready && bg.Bmp.Height > 0 && sy >= 0 && sy < bg.Bmp.Height;
        const uint32_t* src = rowIn ? bg.Bmp.Row(sy) : nullptr;
        for (int x = to.left; x < to.right; ++x) {
            const int sx = bg.X + Left() + x;
            // Past the parent's image (no larger than it): the fill colour.
            row[x] = src && sx >= 0 && sx < bg.Bmp.Width ? src[sx] : fill;
        }
    }
}

bool TsPageControl::PrepareCache()
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (!l->Skinned(true) || !m || !d || !d->IsValidSection(l->SkinIndex)) return false;
    TCacheInfo bg;
    if (!ControlBackground(this, l, bg)) return false;
    l->EnsureCacheBmp();
    if (l->CacheEmpty()) return false;
    TBitmap* cache = l->FCacheBmp;
    cache->Canvas()->Font()->Assign(Font());
    FParentBG = bg;
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    // What lies under the control shows wherever neither the page frame nor the strip paints.
    CopyParentBG(cache, TRect(0, 0, cache->Width(), cache->Height()), bg);

    // The frame covers the page area only: the strip is not part of it.
    const TRect pa = tabs.PageAreaRect();
    if (!pa.IsEmpty()) {
        const TPoint at(Left() + pa.left, Top() + pa.top);
        const TColor custom = l->FCustomColor ? ResolveSkinColor(Color(), m) : acSkinColor;
        PaintSectionFrame(l->SkinIndex, bg, 0, pa, at, cache, d, custom, true);
        const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
        TCacheInfo self;
        self.Bmp = BitmapView(cache);
        self.X = self.Y = 0;
        self.Ready = true;
        auto corner = [&](int image, bool right, bool bottom) {
            if (!d->IsValidImage(image)) return;
            const TsMaskData& mask = d->ma[size_t(image)];
            const TPoint p(right ? pa.right - mask.Width : pa.left, bottom ? pa.bottom - mask.Height : pa.top);
            DrawMaskState32(cache, p, 0, 1, mask, self);
        };
        corner(g.ImgTL, false, false);
        corner(g.ImgTR, true, false);
        corner(g.ImgBL, false, true);
        corner(g.ImgBR, true, true);
    }
    // The active sheet's own section over its area, under the tabs.
    auto* active = dynamic_cast<TsTabSheet*>(ActivePage());
    if (active && !active->HasState(csDestroying) && !active->SkinData()->SkinSection().empty()) {
        const int section = m->GetSkinIndex(active->SkinData()->SkinSection(), d);
        if (section >= 0 && d->IsValidSection(section)) {
            TCacheInfo self;
            self.Bmp = BitmapView(cache);
            self.X = self.Y = 0;
            self.Ready = true;
            const TRect r = active->BoundsRect();
            PaintItem(section, self, 0, r, r.TopLeft(), cache, d);
        }
    }
    // Shadows and glows of the active page's controls lie on the page control's image.
    if (TTabSheet* page = ActivePage(); page && !page->HasState(csDestroying))
        l->PaintOuterEffects(page, TPoint(page->Left() + page->BorderWidth(), page->Top() + page->BorderWidth()));

    FTabsGround.reset(CopyOf(cache));
    if (tabs.VisibleTabsCount() > 0) DrawSkinTabs(cache, s, tabs);
    // A tab in the middle of its fade shows its present frame, not where the fade ends.
    for (int i = 0; i < PageCount(); ++i) {
        auto* sheet = dynamic_cast<TsTabSheet*>(Pages(i));
        TacThreadedTimer* t = sheet ? sheet->AnimTimer : nullptr;
        if (!t || !t->Enabled() || !t->BmpOut) continue;
        const TRect& r = t->AnimRect;
        BitBlt(cache->Canvas()->Handle(), r.left, r.top, std::min(r.Width(), t->BmpOut->Width()),
               std::min(r.Height(), t->BmpOut->Height()), t->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    FStoredVisiblePageCount = tabs.VisibleTabsCount();
    l->BGChanged = false;
    return true;
}

void TsPageControl::DrawSkinTabs(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs)
{
    if (HasState(csDestroying)) return;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    const TRect ta = tabs.TabsAreaRect();
    // The enlarged active tab stands where the page frame would be: the frame is taken back there.
    if (const int activeTab = tabs.ActiveTab(); activeTab >= 0) {
        const TRect ar = TRect::Intersect(tabs.SkinTabRect(activeTab, true), tabs.PageAreaRect());
        if (!ar.IsEmpty()) CopyParentBG(bmp, ar, FParentBG);
    }
    // The strip: its own section when the control names one, else what lies under the control.
    if (d && FTabsLineIndex >= 0 && d->IsValidSection(FTabsLineIndex) && !ta.IsEmpty())
        PaintItem(FTabsLineIndex, FParentBG, 0, ta, TPoint(Left() + ta.left, Top() + ta.top), bmp, d);
    else
        CopyParentBG(bmp, ta, FParentBG);
    if (bmp == l->FCacheBmp) {
        // The strip's clean ground: a tab without covering never shows a neighbour through it.
        const TRect r = TRect::Intersect(tabs.TabsBGRect(), TRect(0, 0, bmp->Width(), bmp->Height()));
        FTabsBG.reset(NewBitmap32(std::max(r.Width(), 0), std::max(r.Height(), 0)));
        if (!r.IsEmpty()) {
            BitBlt(FTabsBG->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), bmp->Canvas()->Handle(), r.left, r.top, SRCCOPY);
            SetRectAlpha32(FTabsBG.get(), TRect(0, 0, r.Width(), r.Height()), 255, clNone);
        }
    }
    // Without the plain tab section the skin has no tabs at all.
    if (!d || s.Skin.Tabs[tlSingle][asTop] < 0) return;
    for (const auto& [page, tabState] : tabs.PaintOrder()) PaintSkinTab(bmp, s, tabs, page, tabState);
}

TSize TsPageControl::MeasureCaption(TCanvas* canvas, const String& caption, int maxWidth, bool wordWrap)
{
    if (caption.empty() || !canvas) return TSize();
    TRect r(0, 0, std::max(maxWidth, 0), 0);
    DrawTextLimited(FontDC(canvas), caption, r, (wordWrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_CALCRECT);
    return TSize(std::max<int>(r.Width(), 0), std::max<int>(r.Height(), 0));
}

void TsPageControl::PaintSkinTab(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs, int page, int state)
{
    if (page < 0 || page >= PageCount()) return;
    TTabSheet* sheet = Pages(page);
    if (sheet->HasState(csDestroying) || !sheet->TabVisible()) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (!m || !d) return;
    const bool isButton = tabs.IsButtonTab(page);
    TRect r = tabs.SkinTabRect(tabs.TabIndexOfPage(page), state == 2 && !isButton);
    if (r.IsEmpty()) return;
    const int section = tabs.TabSkinIndex(page);
    if (isButton) {
        if (s.TabPosition == tpTop || s.TabPosition == tpBottom) r.Inflate(-1, -2);
        else r.Inflate(-2, -1);
        if (r.IsEmpty()) return;
    }
    const bool valid = section >= 0 && d->IsValidSection(section);
    // A see-through state writes its caption in the colours of what lies behind it.
    int textSection = valid ? section : -1;
    if (valid && Parent() && SectionStateTransparent(m, section, state, this)) {
        TacSectionBehindQuery q{state, section, r, m};
        q.R.Offset(Left(), Top());
        const LRESULT answer = PerformSkinCommand(Parent(), scmGetSectionBehind, reinterpret_cast<LPARAM>(&q));
        textSection = answer == 0 ? -1 : answer == -1 ? section : q.SkinIndex;
    }
    const int st = valid ? SectionState(d->gd[size_t(section)], state) : state;
    std::unique_ptr<TBitmap> b(NewBitmap32(r.Width(), r.Height()));
    const TRect br(0, 0, r.Width(), r.Height());
    // The tab's ground: with covering the image itself, where the neighbours already stand;
    // otherwise the strip's clean ground, so no neighbour shows through the tab.
    TCacheInfo ground;
    ground.Ready = true;
    const TRect bgr = tabs.TabsBGRect();
    if (tabs.TabCovering(page) > 0 || !FTabsBG || FTabsBG->Width() != bgr.Width() || FTabsBG->Height() != bgr.Height() ||
        TRect::Intersect(r, bgr) != r) {
        ground.Bmp = BitmapView(bmp);
        ground.X = ground.Y = 0;
    } else {
        ground.Bmp = BitmapView(FTabsBG.get());
        ground.X = -bgr.left;
        ground.Y = -bgr.top;
    }
    // The ground first: a section the skin lacks paints nothing of its own over it.
    {
        const TPixelView to = BitmapView(b.get());
        for (int y = 0; y < br.bottom; ++y) {
            const int sy = ground.Y + r.top + y;
            if (sy < 0 || sy >= ground.Bmp.Height) continue;
            const uint32_t* src = ground.Bmp.Row(sy);
            uint32_t* row = to.Row(y);
            for (int x = 0; x < br.right; ++x) {
                const int sx = ground.X + r.left + x;
                if (sx >= 0 && sx < ground.Bmp.Width) row[x] = src[sx];
            }
        }
    }
    if (valid) PaintItem(section, ground, st, br, r.TopLeft(), b.get(), d);
    if (OwnerDraw()) {
        // The application draws the tab over its skinned background; without its handler there
        // is no tab at all.
        if (!OnDrawTab || !EventsAllowed()) return;
        BitBlt(bmp->Canvas()->Handle(), r.left, r.top, r.Width(), r.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
        TControlCanvasPaint paint(Canvas(), bmp->Canvas()->Handle(), Font(), clNone, true);
        OnDrawTab(this, tabs.TabIndexOfPage(page), r, state != 0);
        return;
    }
    PaintTabContent(b.get(), tabs, page, br, st, valid ? section : -1, textSection);
    // A disabled page's tab lets the ground show through (not when it is the active page).
    if (page != s.ActivePage && (!s.Pages[size_t(page)].Enabled || !Enabled())) {
        TBitmap* g = nullptr;
        TacThreadedTimer::CopyFrom(g, bmp, r);
        std::unique_ptr<TBitmap> under(g);
        BlendRectAt32(b.get(), 0, 0, under.get(), TRect(0, 0, r.Width() - 1, r.Height() - 1), SharedBlendValue, 0x00FF00FFu);
    }
    BitBlt(bmp->Canvas()->Handle(), r.left, r.top, r.Width(), r.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsPageControl::PaintTabContent(TBitmap* bmp, const TacPageTabs& tabs, int page, const TRect& r, int state, int section,
                                    int textSection)
{
    TsSkinManager* m = SkinData()->SkinManager();
    TacSkinData* d96 = m ? m->CommonSkinData(96) : nullptr;
    auto* sheet = dynamic_cast<TsTabSheet*>(Pages(page));
    const bool textValid = textSection >= 0 && d96 && d96->IsValidSection(textSection);
    const bool ownFont = !textValid || (sheet && sheet->SkinData()->CustomFont());
    TCanvas* c = bmp->Canvas();
    if (ownFont) {
        c->Font()->Assign(Pages(page)->Font());
    } else {
        c->Font()->Assign(Font());
        c->Font()->SetColor(d96->gd[size_t(textSection)].Props[size_t(std::min(state, 2))].FontColor.Color);
    }
    if (FActiveIsBold && page == ActivePageIndex()) c->Font()->SetStyle(c->Font()->Style() + TFontStyles{fsBold});
    c->Brush()->SetStyle(bsClear);

    // The tab's own coordinates, narrowed by the covering at both ends along the strip.
    TRect br(0, 0, r.Width(), r.Height());
    if (const int cover = tabs.TabCovering(page); cover != 0) {
        if (TabPosition() == tpTop || TabPosition() == tpBottom) br.Inflate(-2 * cover, 0);
        else br.Inflate(0, -2 * cover);
    }
    const bool isButton = tabs.IsButtonTab(page);
    const TacTabContent l = tabs.CalcTabLayout(page, br, state, isButton, [c](const String& text, int maxWidth, bool wrap) {
        return MeasureCaption(c, text, maxWidth, wrap);
    });
    auto at = [&r](TRect x) {
        x.Offset(r.left, r.top);
        return x;
    };
    HDC dc = c->Handle();
    if (!l.ImgRect.IsEmpty() && Images()) {
        TCustomImageList* list = Images();
        const int index = Pages(page)->ImageIndex();
        const TPoint g(r.left + l.ImgRect.left, r.top + l.ImgRect.top);
        if (dynamic_cast<TsAlphaImageList*>(list) && m && m->Effects()->DiscoloredGlyphs()) {
            // Greyed in the section's colour while normal, in its own colours otherwise.
            const TColor grey = state != 0 ? clNone
                                : section >= 0 && d96 && d96->IsValidSection(section) ? d96->gd[size_t(section)].Props[0].Color
                                                                                       : clBtnFace;
            DrawImageListItem32(list, bmp, g.x, g.y, index, 0, grey, 0, 1, FReflectedGlyphs, SkinData()->ControlPPI());
        } else {
            list->Draw(c, g.x, g.y, index, true);
        }
    }
    UINT flags = (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_CENTER | DT_VCENTER;
    if (!tabs.IsLeftToRight()) flags |= DT_RTLREADING | DT_NOCLIP;
    // A menu tab's caption keeps its whole text beside the arrow.
    if (l.ArrowRect.Width() == 0) flags |= DT_END_ELLIPSIS | DT_WORD_ELLIPSIS;
    const String caption = Pages(page)->Caption();
    if (!caption.empty() && !l.TextRect.IsEmpty() && tabs.CaptionsTurned()) {
        // Turned a quarter: written upward from the bottom of its rectangle, cut to its height.
        String cut;
        CutTextToWidth(c, caption, l.TextRect.Height(), cut);
        SetBkMode(dc, TRANSPARENT);
        HFONT previous = CreateAngledFont(dc, c->Font(), 900);
        TRect clip = at(l.TextRect);
        ExtTextOutW(dc, r.left + l.TextPos.x, r.top + l.TextPos.y, ETO_CLIPPED, &clip, cut.c_str(),
                    static_cast<UINT>(cut.size()), nullptr);
        RestoreAngledFont(dc, previous);
    } else if (!caption.empty() && !l.TextRect.IsEmpty() && ownFont) {
        CanvasTextRect(c, at(l.TextRect), r.left + l.TextPos.x, r.top + l.TextPos.y, caption);
    } else if (!caption.empty() && !l.TextRect.IsEmpty()) {
        DrawSkinText32(bmp, caption, 1, at(l.TextRect), flags, textSection, std::min(state, 2), m);
    }
    if (!l.FocusRect.IsEmpty()) {
        // Around the caption where it is written, turned with it.
        TRect fr = at(tabs.CaptionsTurned() ? RotateRect90(l.FocusRect, false, br.Height()) : l.FocusRect);
        DrawFocusRect(dc, &fr);
    }
    if (!l.BtnRect.IsEmpty())
        PaintCloseBtn(bmp, at(l.BtnRect), (FHoveredBtnIndex == page ? 1 : 0) + (FPressedBtnIndex == page ? 1 : 0));
    if (!l.ArrowRect.IsEmpty() && section >= 0 && d96 && d96->IsValidSection(section)) {
        const TColor arrow = d96->gd[size_t(section)].Props[size_t(std::min(state, 2))].FontColor.Color;
        DrawArrowGlyph32(bmp, arrow, clNone, at(l.ArrowRect), adDown, 0, 0, 0, int(m->Options()->ActualArrowStyle()),
                         SkinData()->ControlPPI());
    }
}

void TsPageControl::PaintCloseBtn(TBitmap* bmp, const TRect& r, int state)
{
    TsSkinManager* m = SkinData()->SkinManager();
    TacSkinData* d = SkinData()->ResolveSkinData();
    if (FBtnIndex < 0 || !m || !d) return;
    TCacheInfo bg;
    bg.Bmp = BitmapView(bmp);
    bg.X = bg.Y = 0;
    bg.Ready = true;
    if (!FCloseBtnSkin.empty()) {
        if (!d->IsValidSection(FBtnIndex)) return;
        PaintItem(FBtnIndex, bg, SectionState(d->gd[size_t(FBtnIndex)], state), r, r.TopLeft(), bmp, d);
        // The section is any button's: the cross says what it does.
        HDC dc = bmp->Canvas()->Handle();
        HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
        HGDIOBJ old = SelectObject(dc, pen);
        const int w = r.Width(), h = r.Height();
        MoveToEx(dc, r.left + 4, r.top + 4, nullptr);
        LineTo(dc, r.left + w - 5, r.top + h - 5);
        MoveToEx(dc, r.left + 4, r.top + h - 5, nullptr);
        LineTo(dc, r.left + w - 5, r.top + 4);
        SelectObject(dc, old);
        DeleteObject(pen);
        return;
    }
    if (!d->IsValidImage(FBtnIndex)) return;
    const TsMaskData& mask = d->ma[size_t(FBtnIndex)];
    DrawMaskState32(bmp, TPoint(r.left + FBtnWidth - mask.Width, r.top), state, 1, mask, bg);
}

// ---- the plain look ---------------------------------------------------------------------------

void TsPageControl::PaintStdTabs(HDC dc)
{
    // The native control draws its ordinary tabs; what it knows nothing of is drawn over them:
    // button and menu tabs, and the close buttons.
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    for (int page = 0; page < PageCount(); ++page) {
        if (page == s.ActivePage || tabs.TabIndexOfPage(page) < 0) continue;
        PaintStdTab(page, page == FDroppedDownItem ? 2 : page == FCurItem ? 1 : 0, dc);
    }
    if (s.ActivePage >= 0 && s.ActivePage < PageCount() && !tabs.IsButtonTab(s.ActivePage))
        PaintStdTab(s.ActivePage, 2, dc);
}

void TsPageControl::PaintStdTab(int page, int state, HDC dc)
{
    if (page < 0 || page >= PageCount()) return;
    const TacPageControlState s = TabState();
    const TacPageTabs tabs(s);
    const int tab = tabs.TabIndexOfPage(page);
    if (tab < 0) return;
    const bool isButton = tabs.IsButtonTab(page);
    const bool isMenu = tabs.IsButtonTab(page, true);
    const bool closes = FShowCloseBtns && !isButton && s.Pages[size_t(page)].UseCloseBtn;
    if (!isButton && !closes) return;
    TRect r = tabs.BaseTabRect(tab);
    if (isButton) {
        // The native control drew a tab there: a button stands on the bare strip.
        FillDCRect(dc, r, Color());
        if (TabPosition() == tpTop || TabPosition() == tpBottom) r.Inflate(-3, -1);
        else r.Inflate(-1, -3);
    } else if (state == 2 && Style() == tsTabs) {
        r.Inflate(2, 2);
    }
    if (r.IsEmpty()) return;

    auto bmp = std::make_unique<TBitmap>(r.Width(), r.Height());
    TCanvas* c = bmp->Canvas();
    HDC bdc = c->Handle();
    // An ordinary tab keeps the native face under its close button.
    BitBlt(bdc, 0, 0, r.Width(), r.Height(), dc, r.left, r.top, SRCCOPY);
    c->Font()->Assign(Font());
    if (FActiveIsBold && page == ActivePageIndex()) c->Font()->SetStyle(c->Font()->Style() + TFontStyles{fsBold});
    c->Brush()->SetStyle(bsClear);
    const TRect all(0, 0, r.Width(), r.Height());
    TColor fontColor = clBtnText;
    if (isButton) {
        FillDCRect(bdc, all, Color());
        if (isMenu) {
            if (state > 0) FillDCRect(bdc, TRect(1, 1, all.right - 1, all.bottom - 1), clMenuHighlight);
            fontColor = state > 0 ? clHighlightText : clMenuText;
        } else if (state > 0) {
            // Raised when hot, pressed in when held.
            const TColor lt = state == 1 ? clWhite : clBtnShadow;
            const TColor rb = state == 1 ? clBtnShadow : clWhite;
            FillDCRect(bdc, TRect(0, 0, all.right, 1), lt);
            FillDCRect(bdc, TRect(0, 0, 1, all.bottom), lt);
            FillDCRect(bdc, TRect(0, all.bottom - 1, all.right, all.bottom), rb);
            FillDCRect(bdc, TRect(all.right - 1, 0, all.right, all.bottom), rb);
        }
    }
    if (OwnerDraw()) {
        // The application draws the content, in the control's coordinates.
        if (OnDrawTab && EventsAllowed()) {
            TControlCanvasPaint paint(Canvas(), bdc, Font(), clNone, true);
            SetWindowOrgEx(bdc, r.left, r.top, nullptr);
            OnDrawTab(this, tab, r, state != 0);
        }
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), bdc, 0, 0, SRCCOPY);
        return;
    }
    const TacTabContent l = tabs.CalcTabLayout(page, all, state, isButton, [c](const String& text, int, bool) {
        return c->TextExtent(text);
    });
    if (isButton) {
        auto* sheet = dynamic_cast<TsTabSheet*>(Pages(page));
        TColor tc = sheet && sheet->SkinData()->CustomFont() ? Pages(page)->Font()->Color() : fontColor;
        if (!Pages(page)->Enabled() || !Enabled())
            tc = TColor(MixColors(ColorToRGB(tc), ColorToRGB(clBtnFace), SharedBlendValue));
        if (Images() && !l.ImgRect.IsEmpty())
            Images()->Draw(c, l.ImgRect.left, l.ImgRect.top, Pages(page)->ImageIndex(), Pages(page)->Enabled() && Enabled());
        const String caption = Pages(page)->Caption();
        if (!caption.empty() && !l.TextRect.IsEmpty()) {
            TRect tr = l.TextRect;
            SetBkMode(bdc, TRANSPARENT);
            SetTextColor(bdc, ColorToRGB(tc));
            String text = caption;
            DrawTextW(bdc, text.data(), static_cast<int>(text.size()), &tr,
                      DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
        if (!l.ArrowRect.IsEmpty())
            DrawArrowGlyph32(bmp.get(), tc, clNone, l.ArrowRect, adDown, 0, 0, 0, 0, SkinData()->ControlPPI());
    } else if (!l.BtnRect.IsEmpty()) {
        DrawCrossBox(bdc, l.BtnRect, (FHoveredBtnIndex == page ? 1 : 0) + (FPressedBtnIndex == page ? 1 : 0));
    }
    BitBlt(dc, r.left, r.top, r.Width(), r.Height(), bdc, 0, 0, SRCCOPY);
}

// ---- docking

void TsPageControl::CMDockClient(TMessage& m)
{
    m.Result = 0;
    auto* dock = reinterpret_cast<TDragDockObject*>(m.LParam);
    if (!dock || !dock->Control) return;
    TControl* client = dock->Control;
    if (auto* page = dynamic_cast<TTabSheet*>(client->Parent()); page && page->PageControl() == this) {
        // Docked where it already sits: its page only moves to the end.
        page->SetPageIndex(PageCount() - 1);
        return;
    }
    TWinControl* formerParent = client->Parent();
    auto* sheet = new TsTabSheet(this);
    FNewDockSheet = sheet;
    try {
        if (auto* form = dynamic_cast<TCustomForm*>(client)) sheet->SetCaption(form->Caption());
        sheet->SetPageControl(this);
        client->Dock(this, dock->DockRect);
    } catch (...) {
        FNewDockSheet = nullptr;
        // A client that got onto the sheet before the failure goes back where it was: freeing
        // the sheet would otherwise leave it without a parent, gone from the screen.
        if (client->Parent() == sheet) {
            try {
                client->SetParent(formerParent);
            } catch (...) {
                client->SetParent(nullptr);   // the dock's own error is the one that matters
            }
        }
        delete sheet;
        throw;
    }
    FNewDockSheet = nullptr;
    sheet->SetTabVisible(client->Visible());
    if (client->Visible()) SetActivePage(sheet);
    client->SetAlign(alClient);
}

void TsPageControl::DoAddDockClient(TControl* Client, const TRect& ARect)
{
    if (FNewDockSheet) Client->SetParent(FNewDockSheet);
    else TacSkinFrame<TPageControl>::DoAddDockClient(Client, ARect);
}
