#include "skin/engine/skin_command_handler.h"

#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/form_services.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "vcl/application.h"
#include "vcl/comctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace {

TWinControl* Windowed(TControl* c) { return dynamic_cast<TWinControl*>(c); }

void Recalculate(HWND wnd)
{
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

void Redraw(HWND wnd, UINT flags) { RedrawWindow(wnd, nullptr, nullptr, flags); }

constexpr UINT RedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;

bool FullyTransparent(TsCommonData* l)
{
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return false;
    const TsGeneralData& g = d->gd[static_cast<size_t>(l->SkinIndex)];
    return g.Props[0].Transparency == 100 && g.Props[1].Transparency == 100;
}

int StatesOf(TsCommonData* l)
{
    TacSkinData* d = l->ResolveSkinData();
    return d && d->IsValidSection(l->SkinIndex) ? d->gd[static_cast<size_t>(l->SkinIndex)].States : 0;
}

// CM_MOUSEENTER / CM_MOUSELEAVE a child passed up to its parent: LParam names the child.
bool NamesAnotherControl(const TMessage& m, TControl* c)
{
    return m.LParam && m.LParam != reinterpret_cast<LPARAM>(c);
}

void RepaintFrame(HWND wnd) { DeliverWindowMessage(wnd, WM_NCPAINT, 1, 0); }

void ChildrenRepaintIfMoved(TWinControl* w, bool activePageOfPages = false)
{
    // A page control's children are its pages: what shows is the active page's controls.
    if (auto* pages = dynamic_cast<TPageControl*>(w); pages && activePageOfPages) {
        if (!pages->ActivePage()) return;
        w = pages->ActivePage();
    }
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* child = w->Controls(i);
        if (!child->HasState(csDestroying)) PerformSkinCommand(child, scmRepaintIfMoved, 0, 1);
    }
}

}  // namespace

bool HandleSkinCommand(TMessage& m, TsCommonData* l)
{
    if (!l || m.Msg != MSG_SKINCOMMAND) return false;
    if (!SkinCommandAccepted(m)) return false;
    TControl* c = l->FOwnerControl;
    TWinControl* w = Windowed(c);
    TsSkinManager* mgr = l->SkinManager();
    const bool fromManager = m.LParam == reinterpret_cast<LPARAM>(mgr);
    switch (SkinCommandOf(m.WParam)) {
    case scmNewSkin:
        if (fromManager) {
            l->FCommonSkinData = nullptr;
            l->StopAnimTimer();
            l->ResolveDefaultSection();
            if (!l->FSkinSection.empty()) l->TrySections(&l->FSkinSection, 0);
            if (l->FCacheBmp) l->FCacheBmp->SetSize(0, 0);
            NewSkinBroadcasting = false;
        }
        return true;
    case scmRemoveSkin:
        if (!fromManager) return true;
        l->FCommonSkinData = nullptr;
        if (l->SkinIndex < 0) return true;
        l->SkinIndex = -1;
        l->StopAnimTimer();
        if (mgr && mgr->HasState(csDestroying)) l->FSkinManager = nullptr;
        if (l->FCacheBmp) l->FCacheBmp->SetSize(0, 0);
        if (w && w->HandleAllocated()) {
            SetClassLongPtrW(w->ExistingHandle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
            if (dynamic_cast<TCustomEdit*>(w)) {
                if (!l->FCustomColor) w->SetColor(clWindow);
                if (!l->FCustomFont) w->Font()->SetColor(clWindowText);
                RedrawWindow(w->ExistingHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
            } else {
                for (int i = 0; i < w->ControlCount(); ++i)
                    if (auto* label = dynamic_cast<TLabel*>(w->Controls(i))) label->Font()->SetColor(clWindowText);
            }
        }
        return false;
    case scmRefresh:
        if (fromManager) {
            l->StopAnimTimer();
            l->BGChanged = true;
            l->FUpdating = false;
            l->ApplyNormalColors(true);
            if (w && w->HandleAllocated() && IsFrameRefreshKind(l->COC)) Recalculate(w->ExistingHandle());
        }
        return true;
    case scmUpdateDone:
        if (l->FUpdating && w) {
            if (!l->RefreshUpdating(true) && w->HandleAllocated()) Redraw(w->ExistingHandle(), RedrawAll);
            RepaintChildren(w);
        }
        return true;
    case scmIsSkinned: m.Result = 1; return true;
    case scmSetUpdating: l->FUpdating = SkinCommandArgument(m.WParam) == 1; return true;
    case scmIsUpdating:
        if (l->RefreshUpdating(false)) {
            m.Result = 1;
        } else if (l->FCustomColor) {
            m.Result = 0;
        } else if (w) {
            if (l->CacheEmpty() || l->BGChanged) {
                if (w->HandleAllocated()) SendSkinCommand(w->ExistingHandle(), scmPrepareCache, 0);
                m.Result = l->CacheEmpty() ? 1 : 0;
            } else {
                m.Result = l->FCacheBmp->Width() != w->Width() || l->FCacheBmp->Height() != w->Height() ? 1 : 0;
            }
        } else {
            m.Result = 0;
        }
        return true;
    case scmIsHalfVisible: m.Result = l->HalfVisible ? 1 : 0; return true;
    case scmSectionUpdated:
        if (m.LParam && UpperCase(l->FSkinSection) == String(reinterpret_cast<const wchar_t*>(m.LParam))) {
            NewSkinBroadcasting = false;
            l->Invalidate(false);
        }
        return true;
    case scmSetSection:
        if (!m.LParam) {
            m.Result = 0;
            return true;
        }
        l->SetSkinSection(*reinterpret_cast<const String*>(m.LParam));
        m.Result = 1;
        return true;
    case scmStopAnimation: l->StopAnimTimer(); return true;
    case scmBGChanged:
        l->BGChanged = true;
        if (w) w->Broadcast(m);
        return true;
    case scmInvalidate: l->Invalidate(false); return true;
    case scmDependsOnBG: m.Result = l->DependsOnParentBG() ? 1 : 0; return true;
    case scmRepaintIfMoved: {
        const bool moved = l->RepaintIfMoved();
        l->BGChanged = l->BGChanged || moved;
        l->StopAnimTimer();
        if (w) {
            if (SkinCommandArgument(m.WParam) == 1 && w->HandleAllocated())
                Redraw(w->ExistingHandle(), RDW_INVALIDATE | RDW_NOERASE | RDW_NOINTERNALPAINT | RDW_ALLCHILDREN);
            if (moved) ChildrenRepaintIfMoved(w);
        }
        return true;
    }
    case scmGetBGColor: {
        if (!c) return true;
        if (!l->Skinned()) {
            m.Result = static_cast<LRESULT>(ColorToRGB(c->Color()));
            return true;
        }
        TacSkinData* d = l->ResolveSkinData();
        const TsGenState& s = d->gd[static_cast<size_t>(l->SkinIndex)].Props[0];
        const int t = s.Transparency;
        const uint32_t o = static_cast<uint32_t>(s.Color);
        TWinControl* parent = c->Parent();
        auto parentColor = [&]() -> uint32_t {
            if (!parent) return static_cast<uint32_t>(ColorToRGB(c->Color()));
            if (parent->HandleAllocated() && WndIsSkinned(parent->ExistingHandle()))
                return static_cast<uint32_t>(DeliverWindowMessage(parent->ExistingHandle(), MSG_SKINCOMMAND,
                                                                  SkinCommandWParam(scmGetBGColor), 0));
            return static_cast<uint32_t>(parent->Color());
        };
        if (t <= 0) {
            m.Result = static_cast<LRESULT>(o);
        } else if (t >= 100) {
            m.Result = static_cast<LRESULT>(parentColor());
        } else {
            const uint32_t p = parentColor();
            uint32_t r = p & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const int pb = static_cast<int>((p >> shift) & 0xFF), ob = static_cast<int>((o >> shift) & 0xFF);
                r |= (static_cast<uint32_t>((((pb - ob) * t + ob * 256) >> 8) & 0xFF)) << shift;
            }
            m.Result = static_cast<LRESULT>(r);
        }
        return true;
    }
    case scmSetHalfVisible: l->HalfVisible = true; return true;
    case scmPrepareCache: l->BGChanged = false; return true;
    case scmGetSkinIndex:
        if (m.LParam) reinterpret_cast<int32_t*>(m.LParam)[1] = l->SkinIndex;
        return true;
    case scmResetCache:
        if (l->FCacheBmp) {
            if (w)
                for (int i = 0; i < w->ControlCount(); ++i)
                    if (auto* cw = Windowed(w->Controls(i)); cw && cw->HandleAllocated())
                        SendSkinCommand(cw->ExistingHandle(), scmResetCache, 0);
            l->FCacheBmp->SetSize(0, 0);
            l->BGChanged = true;
        }
        return true;
    case scmGetBackground: {
        if (!m.LParam) return true;
        const int state = l->FFocused || (l->FMouseAbove && !IsNoGlowKind(l->COC)) ? 1 : 0;
        l->ProvideBackground(*reinterpret_cast<TacBgQuery*>(m.LParam), state, nullptr);
        return true;
    }
    case scmFontChanged:
        if (fromManager && mgr) {
            l->BGChanged = true;
            TControl* target = c ? c : l->ProviderForm();
            if (!target) return true;
            mgr->UpdateFontName(target);
            if (auto* tw = Windowed(target)) BroadcastToChildren(tw, m);
        }
        return true;
    case scmGetCommonData: m.Result = reinterpret_cast<LRESULT>(l); return true;
    case scmSetPrintDC:
        if (m.LParam)
            l->CtrlSkinState |= acss::Printing;
        else
            l->CtrlSkinState &= ~acss::Printing;
        l->PrintDC = reinterpret_cast<HDC>(m.LParam);
        return true;
    case scmPaintOuterEffect:
        l->DrawOwnOuterEffect(reinterpret_cast<TacBgQuery*>(m.LParam), SkinCommandArgument(m.WParam));
        return true;
    case scmScrollOptionsChanged:
        if (w) {
            if (w->HandleAllocated()) Recalculate(w->ExistingHandle());
            BroadcastToChildren(w, m);
        }
        return true;
    case scmGetApplication: m.Result = reinterpret_cast<LRESULT>(Application); return true;
    case scmGetSectionBehind: {
        if (!l->Skinned() || !m.LParam) return true;
        auto& q = *reinterpret_cast<TacSectionBehindQuery*>(m.LParam);
        q.SkinIndex = l->SkinIndex;
        if (l->StateIsTransparent(q.State)) {
            if (c)
                m.Result = c->Parent() ? AskSectionBehind(c->Parent(), q) : q.SkinIndex;
            else
                m.Result = SendSectionBehindQuery(GetParent(l->FSWHandle), q);
        } else {
            m.Result = 1;
        }
        return true;
    }
    case scmPPIChanged:
        l->CurrentPPI = static_cast<int>(m.LParam);
        l->FCommonSkinData = mgr ? mgr->CommonSkinData(l->CurrentPPI) : nullptr;
        if (l->FCommonSkinData) l->PPIIndex = ScaleStepOfPpi(l->FCommonSkinData->PPI());
        l->BGChanged = true;
        if (w) BroadcastToChildren(w, m);
        return false;
    case scmGetPPI: m.Result = l->CurrentPPI; return true;
    case scmGetBounds:
        if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = c ? c->BoundsRect() : TRect();
        return true;
    case scmIsOpaque:
        if (mgr && mgr->IsActive())
            m.Result = 1;
        else
            m.Result = !c || !(c->ControlStyle() & csOpaque) ? 1 : 0;
        return true;
    case scmGetSkinData: {
        TacSkinData* d = l->ResolveSkinData();
        m.Result = reinterpret_cast<LRESULT>(d);
        m.LParam = reinterpret_cast<LPARAM>(l->FCommonSkinData);
        return true;
    }
    default: return false;
    }
}

bool HandleCommonMessage(TMessage& m, TsCommonData* l)
{
    if (!l) return false;
    if (m.Msg == MSG_SKINCOMMAND) return HandleSkinCommand(m, l);
    TControl* c = l->FOwnerControl;
    TWinControl* w = Windowed(c);
    TsSkinManager* mgr = l->SkinManager();
    const bool skinned = l->Skinned();
    auto outerEffects = [&] {
        if (l->OuterEffectsAllowed() && w && w->HandleAllocated() && IsWindowVisible(w->ExistingHandle()))
            l->RefreshParentCache();
    };
    switch (m.Msg) {
    case WM_CREATE:
    case WM_NCCREATE: l->InitCommonProp(); return false;
    case WM_MOVE:
        if (skinned) {
            outerEffects();
            if (l->RepaintIfMoved()) {
                l->BGChanged = true;
                if (c && !l->SkinChanging()) PerformSkinCommand(c, scmRepaintIfMoved, 0, 1);
            }
            FadeOutGlow(l->GlowID, false);
        }
        return false;
    case WM_SIZE:
        if (skinned) {
            l->BGChanged = true;
            outerEffects();
            if (l->SizeChangeNeedsRepaint()) {
                if (w) ChildrenRepaintIfMoved(w, true);
                l->CtrlSkinState &= ~(acss::WidthChanging | acss::HeightChanging);
            }
            if (!l->IsAnimating()) FadeOutGlow(l->GlowID, false);
        }
        return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        if (!skinned || !w || !w->CanFocus() || !w->TabStop() || FullyTransparent(l)) return false;
        const bool gain = m.Msg == WM_SETFOCUS;
        l->BGChanged = true;
        l->FFocused = gain;
        bool changed = false;
        if (IsColorFollowingKind(l->COC) && StatesOf(l) > 1 && (gain || l->CurrentState() == 0))
            changed = l->PutStateColors(gain ? 1 : 0);
        if (!gain && !(w->Visible() && IsColorFollowingKind(l->COC))) return false;
        if (changed && w->HandleAllocated()) Redraw(w->ExistingHandle(), RedrawAll);
        if (w->HandleAllocated()) RepaintFrame(w->ExistingHandle());
        return false;
    }
    case WM_SHOWWINDOW: l->StopAnimTimer(); return false;
    case WM_FONTCHANGE:
    case CM_ENABLEDCHANGED:
        l->FMouseAbove = false;
        l->FFocused = false;
        l->BGChanged = true;
        if (c && !c->Enabled()) FadeOutGlow(l->GlowID, false);
        return false;
    case WM_WINDOWPOSCHANGING:
        if (w && w->HandleAllocated() && m.LParam) {
            const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
            RECT r{};
            GetWindowRect(w->ExistingHandle(), &r);
            if (!(wp->flags & SWP_NOSIZE)) {
                if (r.right - r.left != wp->cx) l->CtrlSkinState |= acss::WidthChanging;
                if (r.bottom - r.top != wp->cy) l->CtrlSkinState |= acss::HeightChanging;
            }
        }
        return false;
    case WM_CONTEXTMENU:
        if (c && c->PopupMenu() && mgr && mgr->SkinableMenus) mgr->SkinableMenus->HookPopupMenu(c->PopupMenu(), mgr->IsActive());
        return false;
    case WM_UPDATEUISTATE:
        if (skinned) return true;
        if (w && w->HandleAllocated()) CallSetWindowTheme(w->ExistingHandle(), nullptr, nullptr);
        return false;
    case WM_PARENTNOTIFY:
        if (LOWORD(m.WParam) == WM_CREATE && w) AdaptControlOnForm(w);
        return false;
    case WM_DPICHANGED: l->AssignSkinData(nullptr); return false;
    case WM_PRINT:
        if (!skinned && m.WParam && w && w->HandleAllocated()) {
            const bool edge = (GetWindowLongPtrW(w->ExistingHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
            DrawGraphicChildren(reinterpret_cast<HDC>(m.WParam), w, false, edge ? TPoint(2, 2) : TPoint(0, 0), true);
            return true;
        }
        return false;
    case CM_VISIBLECHANGED:
        l->FCommonSkinData = nullptr;
        if (m.WParam == 0) FadeOutGlow(l->GlowID, false);
        if (!mgr || !c || c->HasState(csDestroying) || !l->FCacheBmp) return false;
        if (mgr->Options()->OptimizingPriority() == opMemory) {
            if (m.WParam) {
                l->FUpdating = false;
            } else {
                l->FCacheBmp->SetSize(0, 0);
                if (w)
                    for (int i = 0; i < w->ControlCount(); ++i) SendSkinCommandToControl(w->Controls(i), scmResetCache, 0);
            }
            l->BGChanged = true;
        }
        if (l->OuterEffects()->Visibility() == ovAlways) l->OuterEffects()->Invalidate();
        return false;
    case CM_MOUSEENTER: {
        // A child passes its own enter up (LParam names it): the mouse is over the child, which
        // stays the hot control.
        if (!skinned || l->FMouseAbove || NamesAnotherControl(m, c)) return false;
        const bool designing = mgr && mgr->HasState(csDesigning);
        if (designing || (mgr && mgr->Options()->NoMouseHover()) || FullyTransparent(l) || !w) {
            if (w && mgr && w->HandleAllocated()) mgr->ChangeActiveControl(w->ExistingHandle());
            if (!IsNoHoverKind(l->COC)) l->FMouseAbove = true;
            return false;
        }
        if (!IsNoHoverKind(l->COC)) l->FMouseAbove = true;
        // The previous hot control is told the mouse left it.
        if (mgr && w->HandleAllocated()) mgr->ChangeActiveControl(w->ExistingHandle());
        if (!IsNoGlowKind(l->COC) && !IsButtonKind(l->COC)) {
            const bool anim = mgr && mgr->Effects()->AllowAnimation;
            l->ShowControlGlow(false, w->ExistingHandle(), anim ? 0 : 255, true, -1);
        }
        const bool hot = IsColorFollowingKind(l->COC) && (!IsEditLikeKind(l->COC) || EditHotTracking);
        if (hot && StatesOf(l) >= 2) {
            l->BGChanged = true;
            if (l->PutStateColors(1) && w->HandleAllocated()) InvalidateRect(w->ExistingHandle(), nullptr, TRUE);
            if (w->HandleAllocated()) RepaintFrame(w->ExistingHandle());
        }
        return false;
    }
    case CM_MOUSELEAVE: {
        if (!skinned || !c || NamesAnotherControl(m, c) || (mgr && (mgr->Options()->NoMouseHover() || mgr->HasState(csDesigning)))) return false;
        if (l->MouseStillAbove()) return false;
        if (!IsNoHoverKind(l->COC)) l->FMouseAbove = false;
        if (!IsNoGlowKind(l->COC) && !IsButtonKind(l->COC)) FadeOutGlow(l->GlowID, true);
        bool changed = false;
        if (IsColorFollowingKind(l->COC) && l->CurrentState() == 0 && !FullyTransparent(l)) changed = l->PutStateColors(0);
        if (c->Visible() && IsColorFollowingKind(l->COC) && w && w->HandleAllocated()) {
            l->BGChanged = true;
            if (changed) InvalidateRect(w->ExistingHandle(), nullptr, TRUE);
            RepaintFrame(w->ExistingHandle());
        }
        return false;
    }
    case CM_SHOWINGCHANGED:
        if (c && c->Visible()) l->Loaded(true);
        return false;
    default: return false;
    }
}
