#include "skin/controls/skin_frame.h"

#include <algorithm>

#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/core/control_link.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"

namespace {

HWND WindowOf(TControl* c)
{
    auto* w = dynamic_cast<TWinControl*>(c);
    return w ? w->ExistingHandle() : nullptr;
}

}  // namespace

TacSkinFrameCore::TacSkinFrameCore(TControl* control, uint8_t coc, bool createCache, bool* focusGuard)
    : FControl(control), FLink(new TsCtrlSkinData(control, createCache)), FFocusGuard(focusGuard)
{
    FLink->COC = coc;
}

TacSkinFrameCore::~TacSkinFrameCore()
{
    delete FLink;
    FLink = nullptr;
}

int TacSkinFrameCore::VisualState(bool showsPressed) const
{
    if (showsPressed && Pressed && FLink->FMouseAbove && FControl->Enabled()) return 2;
    return FLink->CurrentState();
}

bool TacSkinFrameCore::Skinned() const { return ReadyForSkinning(FControl) && FLink->Skinned(true); }

bool ControlBackground(TControl* control, TsCommonData* link, TCacheInfo& bg)
{
    bg = TCacheInfo();
    if (!control->Parent()) {
        bg.FillColor = link->SkinBGColor(0, nullptr);
        return true;
    }
    TacBgQuery q;
    GetControlBackground(q, control->Parent(), false);
    if (q.Kind == bgNotReady) {
        link->FUpdating = true;   // painted when the parent sends scmUpdateDone
        return false;
    }
    bg = BgInfoToCacheInfo(q);
    return true;
}

bool TacSkinFrameCore::Compose(const std::function<void(TBitmap*, int)>& content, bool showsPressed)
{
    return ComposeState(content, VisualState(showsPressed), [](int v, int n) { return ClampSectionState(v, n); });
}

bool TacSkinFrameCore::ComposeState(const std::function<void(TBitmap*, int)>& content, int visualState,
                                    const std::function<int(int, int)>& stateOf)
{
    TsCommonData* l = FLink;
    if (!Skinned()) return false;
    TCacheInfo bg;
    if (!ControlBackground(FControl, l, bg)) return false;
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return false;
    l->EnsureCacheBmp();
    if (l->CacheEmpty()) return false;
    l->FCacheBmp->Canvas()->Font()->Assign(FControl->Font());
    const TsGeneralData& section = d->gd[static_cast<size_t>(l->SkinIndex)];
    const int state = std::clamp(stateOf(visualState, section.States), 0, int(section.Props.size()) - 1);
    const TColor custom = l->FCustomColor ? ResolveSkinColor(FControl->Color(), l->SkinManager()) : acSkinColor;
    const TRect whole(0, 0, FControl->Width(), FControl->Height());
    const TPoint at(FControl->Left(), FControl->Top());
    const int border = section.BorderIndex;
    const bool borderLast = BorderOverContent && d->IsValidImage(border);
    if (BackgroundOnly)
        PaintItemBG(l->SkinIndex, bg, BackgroundInStateZero ? 0 : state, whole, at, BitmapView(l->FCacheBmp), d, -1, -1,
                    custom);
    else if (borderLast)
        PaintItemBG(l->SkinIndex, bg, state, whole, at, l->FCacheBmp, d, -1, -1, custom);
    else
        PaintSectionFrame(l->SkinIndex, bg, state, whole, at, l->FCacheBmp, d, custom, true);
    if (content) content(l->FCacheBmp, state);
    if (borderLast) {
        const TsMaskData& ma = d->ma[static_cast<size_t>(border)];
        const int s = ClampSectionState(state, section.States);
        if (s != 0 || !(ma.DrawMode & dmNoState0)) {
            TCacheInfo under = bg;
            under.X += at.x;
            under.Y += at.y;
            DrawSkinMask32(l->FCacheBmp, whole, under, ma, s, true);
        }
    }
    ApplyColorEffects(l->FCacheBmp, l, false, state, clNone);
    // A button whose action cannot run looks as disabled as a disabled one.
    const bool idle = IsButton && FControl->Action() && !FControl->Action()->OnExecute;
    if ((!FControl->Enabled() || idle) && DisabledKind != 0) ApplyGlyphEffects32(l->FCacheBmp, static_cast<int>(DisabledKind), FControl, bg, at);
    l->BGChanged = false;
    return true;
}

void TacSkinFrameCore::PaintFromCache(HDC dc, const std::function<bool()>& compose)
{
    TsCommonData* l = FLink;
    HWND wnd = WindowOf(FControl);
    if (!wnd) return;
    // While an animation owns the screen only a print into its own picture is painted; every
    // other request is left alone (the animation's end redraws the window).
    if (AnimationRunning && (!dc || dc != l->PrintDC)) return;
    PAINTSTRUCT ps{};
    const bool begun = dc == nullptr;
    if (begun) dc = BeginPaint(wnd, &ps);
    if (!l->RefreshUpdating(false)) {
        TacThreadedTimer* t = l->AnimTimer;
        if (l->IsAnimating() && t && (t->BmpOut || t->BmpFrom)) {
            // The animation's steps paint the window; a repaint meanwhile shows the frame on screen.
            TBitmap* frame = t->BmpOut ? t->BmpOut : t->BmpFrom;
            BitBlt(dc, 0, 0, frame->Width(), frame->Height(), frame->Canvas()->Handle(), 0, 0, SRCCOPY);
        } else {
            RECT clip{};
            if (GetClipBox(dc, &clip) != ERROR) {
                bool stale = l->BGChanged || l->HalfVisible;
                if (HalfVisibleByParent) {
                    TWinControl* p = FControl->Parent();
                    stale = stale || (p && PerformSkinCommand(p, scmIsHalfVisible, 0) != 0);
                    const TRect client = p ? p->ClientRect() : TRect(0, 0, FControl->Width(), FControl->Height());
                    const TRect bounds = p ? FControl->BoundsRect() : client;
                    l->HalfVisible = bounds.left < client.left || bounds.top < client.top || bounds.right > client.right ||
                                     bounds.bottom > client.bottom;
                } else {
                    l->HalfVisible = clip.right - clip.left < FControl->Width() || clip.bottom - clip.top < FControl->Height();
                }
                if (stale) l->BGChanged = true;
                const bool ready = stale ? compose() : !l->CacheEmpty();
                if (ready) {
                    const int saved = SaveDC(dc);
                    BitBlt(dc, 0, 0, l->FCacheBmp->Width(), l->FCacheBmp->Height(), l->FCacheBmp->Canvas()->Handle(), 0, 0,
                           SRCCOPY);
                    RestoreDC(dc, saved);
                }
            }
        }
    }
    if (begun) EndPaint(wnd, &ps);
}

void TacSkinFrameCore::PassToChildren(const TMessage& m)
{
    if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl* child = w->Controls(i);
            if (!child->HasState(csDestroying)) DeliverControlMessage(child, m.Msg, m.WParam, m.LParam);
        }
    }
}

void TacSkinFrameCore::FireHover(bool enter)
{
    const TNotifyEvent& e = enter ? OwnMouseEnter : OwnMouseLeave;
    if (e && FControl->Enabled() && !FControl->HasState(csDesigning | csDestroying)) e(FControl);
}

void TacSkinFrameCore::StateChange(int newState, TacAnimatEvent event, bool fast, bool withGlow)
{
    AnimateStateChange(FLink, newState, StateAnimStep, IsAnimEventEnabled(event, AnimatEvents, FLink->SkinManager()), fast,
                       withGlow);
}

bool TacSkinFrameCore::Before(TMessage& m, bool isContainer, bool showsPressed, const std::function<bool()>& compose,
                              const std::function<void(TMessage&)>& inherited)
{
    TsCommonData* l = FLink;
    TsSkinManager* mgr = l->SkinManager();
    if (m.Msg == MSG_SKINCOMMAND) {
        const bool fromManager = m.LParam == reinterpret_cast<LPARAM>(mgr);
        switch (SkinCommandOf(m.WParam)) {
        case scmNewSkin:
            if (!fromManager) break;
            HandleSkinCommand(m, l);
            if (isContainer) PassToChildren(m);
            FControl->Invalidate();
            return true;
        case scmRemoveSkin:
            if (!fromManager || FControl->HasState(csDestroying)) break;
            HandleSkinCommand(m, l);
            FControl->Invalidate();
            if (isContainer) PassToChildren(m);
            return true;
        case scmRefresh:
            if (!fromManager) break;
            HandleSkinCommand(m, l);
            if (!l->PrintDC) FControl->Invalidate();
            if (isContainer) PassToChildren(m);
            return true;
        case scmPrepareCache:
            m.Result = compose() ? 0 : 1;
            return true;
        default: break;
        }
    }
    if (!Skinned()) {
        // Skin questions are still answered (from the control's own colour); the rest is the base's.
        if (m.Msg == MSG_SKINCOMMAND && HandleSkinCommand(m, l)) return true;
        inherited(m);
        // The hover flag is kept up to date for the next skin.
        const bool own = !m.LParam || m.LParam == reinterpret_cast<LPARAM>(FControl);
        if ((m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) && own) {
            const bool enter = m.Msg == CM_MOUSEENTER;
            l->FMouseAbove = enter;
            if (IsButton) {
                // A button draws its hover look itself: at once, not at the next idle paint.
                FireHover(enter);
                if (HWND wnd = WindowOf(FControl)) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
        }
        if (m.Msg == CM_ENABLEDCHANGED && IsButton && FControl->Visible()) FControl->Repaint();
        return true;
    }
    HWND wnd = WindowOf(FControl);
    const bool usable = FControl->Visible() && FControl->Enabled() && !FControl->HasState(csDesigning | csDestroying);
    switch (m.Msg) {
    case WM_MOVE: {
        TacSkinData* d = l->ResolveSkinData();
        const TsGeneralData& g = d->gd[static_cast<size_t>(l->SkinIndex)];
        if (g.Props[0].Transparency >= 1 || (g.States > 1 && g.Props[1].Transparency >= 1 && l->CurrentState() == 1)) {
            l->BGChanged = true;
            FControl->Invalidate();
        }
        break;
    }
    case WM_SIZE: FadeOutGlow(l->GlowID, false); break;
    case WM_SETFOCUS:
    case CM_ENTER:
        if (usable && !*FFocusGuard && wnd) {
            *FFocusGuard = true;
            SendSetRedraw(wnd, 0);
            inherited(m);
            SendSetRedraw(wnd, 1);
            *FFocusGuard = false;
            if (l->IsAnimating()) {
                l->BGChanged = true;
                l->AnimTimer->TimeHandler();
            } else {
                l->Invalidate(false);
            }
            return true;
        }
        inherited(m);
        return true;
    case WM_KILLFOCUS:
    case CM_EXIT:
        if (usable && wnd) {
            l->StopAnimTimer();
            SendSetRedraw(wnd, 0);
            inherited(m);
            SendSetRedraw(wnd, 1);
            if (l->Skinned()) {
                l->FFocused = false;
                l->Invalidate(false);
                FadeOutGlow(l->GlowID, false);
            }
            return true;
        }
        break;
    case WM_ENABLE: m.Result = 0; return true;
    case WM_PAINT:
        PaintFromCache(reinterpret_cast<HDC>(m.WParam), compose);
        m.Result = 0;
        return true;
    case WM_ERASEBKGND:
        if (FControl->Visible() && m.WParam && !l->FUpdating && !l->CacheEmpty() && !l->BGChanged && !l->IsAnimating()) {
            const TRect whole(0, 0, FControl->Width(), FControl->Height());
            PaintCacheToDC(FControl, l, whole, whole, reinterpret_cast<HDC>(m.WParam), false, 0, 0);
        }
        m.Result = IsButton ? 0 : 1;
        return true;
    case WM_WINDOWPOSCHANGED: l->BGChanged = true; break;
    case WM_UPDATEUISTATE:
        // No focus cues of the system's own; a push button answers 1 while it shows.
        if (UpdateUIStateAnswer && !FControl->Visible() && !FControl->HasState(csDesigning)) break;
        m.Result = UpdateUIStateAnswer;
        return true;
    case CM_DIALOGCHAR:
        // The space bar pushes the focused button: its pressed face comes from a new cache.
        if (IsButton && m.WParam == VK_SPACE && FControl->Enabled() && wnd && GetFocus() == wnd) {
            l->StopAnimTimer();
            l->BGChanged = true;
            FadeOutGlow(l->GlowID, false);
            FControl->Repaint();
        }
        break;
    case CM_FOCUSCHANGED:
        if (IsButton && FControl->Visible() && wnd) {
            // The base's default-button handling repaints nothing of its own on screen.
            const bool guarded = *FFocusGuard;
            // Switching redraw off may drop a paint still due (the system validates the window):
            // it is asked for again afterwards, as is one for a face the handling made stale.
            const bool due = GetUpdateRect(wnd, nullptr, FALSE) != 0;
            if (!guarded) SendSetRedraw(wnd, 0);
            inherited(m);
            if (!guarded) {
                SendSetRedraw(wnd, 1);
                if (due || l->BGChanged) InvalidateRect(wnd, nullptr, FALSE);
            }
            return true;
        }
        break;
    case WM_PRINT:
        l->FUpdating = false;
        if (m.WParam) PaintFromCache(reinterpret_cast<HDC>(m.WParam), compose);
        return true;
    case MSG_SKINCOMMAND:
        if (SkinCommandOf(m.WParam) == scmUpdateDone && l->FUpdating) {
            if (!l->RefreshUpdating(true) && wnd)
                RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            if (auto* w = dynamic_cast<TWinControl*>(FControl)) RepaintChildren(w);
            return true;
        }
        // What the common handler leaves unhandled (scmRemoveSkin, scmPPIChanged) goes on to the base.
        return HandleSkinCommand(m, l);
    case CM_TEXTCHANGED:
        if (!FControl->HasState(csDestroying)) {
            if (l->AnimTimer) CompleteAnimTimer(l->AnimTimer);
            l->StopAnimTimer();
            // A button's new caption is drawn into a new cache; the base repaints nothing of its
            // own. Other controls keep the base's handling (their auto size).
            if (!IsButton) inherited(m);
            l->Invalidate(false);
            return true;
        }
        break;
    // A child passes its own enter and leave up (LParam names it): not this control's hover.
    case CM_MOUSEENTER:
        if (m.LParam && m.LParam != reinterpret_cast<LPARAM>(FControl)) break;
        if (usable && !l->FMouseAbove && !(mgr && mgr->Options()->NoMouseHover())) {
            FireHover(true);
            l->BGChanged = false;   // the present image is the start of the fade
            l->FMouseAbove = true;
            StateChange(1, aeMouseEnter, false, true);
        }
        break;
    case CM_MOUSELEAVE:
        if (m.LParam && m.LParam != reinterpret_cast<LPARAM>(FControl)) break;
        if (usable && l->FMouseAbove) {
            FireHover(false);
            l->BGChanged = false;
            l->FMouseAbove = false;
            StateChange(0, aeMouseLeave, false, false);
        }
        break;
    case CM_UIACTIVATE: l->FUpdating = false; break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (showsPressed && usable) {
            Pressed = true;
            inherited(m);
            l->BGChanged = false;
            StateChange(2, aeMouseDown, true, false);
            return true;
        }
        break;
    case WM_LBUTTONUP:
        if (showsPressed && Pressed) {
            Pressed = false;
            inherited(m);
            l->BGChanged = false;
            const bool hot = l->FMouseAbove;
            StateChange(hot ? 1 : 0, aeMouseUp, hot && GlowOnRelease, hot && GlowOnRelease);
            return true;
        }
        break;
    default: break;
    }
    return HandleCommonMessage(m, l);
}

void TacSkinFrameCore::After(TMessage& m, bool showsPressed)
{
    (void)showsPressed;
    if (!Skinned()) return;
    TsCommonData* l = FLink;
    const bool showing = FControl->Visible() && !FControl->HasState(csDestroying);
    switch (m.Msg) {
    case CM_VISIBLECHANGED:
        if (showing) {
            l->BGChanged = true;
            l->FUpdating = false;
            FControl->Invalidate();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (showing) {
            l->FUpdating = false;
            l->StopAnimTimer();
            l->BGChanged = true;
            if (HWND wnd = WindowOf(FControl))
                RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
        }
        break;
    case CM_CANCELMODE: FadeOutGlow(l->GlowID, false); break;
    case CM_ACTIONUPDATE:
        if (TBasicAction* a = FControl->Action()) FControl->SetEnabled(a->Enabled());
        break;
    case WM_SETFONT:
        if (showing) {
            l->FUpdating = false;
            l->StopAnimTimer();
            l->Invalidate(false);
        }
        break;
    default: break;
    }
}

void PaintContainerFromCache(TWinControl* container, TsCommonData* l, HDC given, const std::function<bool()>& compose,
                             bool repaintChildren)
{
    HWND wnd = container->Handle();
    PAINTSTRUCT ps{};
    HDC dc = given ? given : BeginPaint(wnd, &ps);
    RECT clip{};
    const int kind = GetClipBox(dc, &clip);
    bool unalignedChild = false;
    for (int i = 0; i < container->ControlCount(); ++i) unalignedChild |= container->Controls(i)->Align() == alNone;
    const int w = container->Width(), h = container->Height();
    const RECT whole{0, 0, w, h};
    if (kind == ERROR) {
        // Nothing can be drawn into this DC.
    } else if (IsRectEmpty(&clip) && unalignedChild && RectVisible(dc, &whole)) {
        l->FUpdating = true;
    } else {
        const bool stale = l->BGChanged || l->HalfVisible || l->CacheEmpty();
        const bool partly = clip.right - clip.left != w || clip.bottom - clip.top != h;
        l->HalfVisible = l->RepaintIfMoved() && !container->HasState(csPaintCopy) && partly;
        if (!stale || compose()) {
            const TRect all(0, 0, w, h);
            PaintCacheToDC(container, l, all, all, dc, false, 0, 0);
            DrawGraphicChildren(dc, container, false, TPoint(), true);
            if (repaintChildren) RepaintChildren(container);
        }
    }
    if (!given) EndPaint(wnd, &ps);
}

// A window that is not skinned itself but serves its children a skinned background (a page
// of a skinned page control) shows what its skinned container shows.
static bool ServesSkinnedBackground(TWinControl* control)
{
    if (!control->HandleAllocated()) return false;
    TacBgQuery q;
    return DeliverWindowMessage(control->Handle(), MSG_SKINCOMMAND, SkinCommandWParam(scmGetBackground),
                                reinterpret_cast<LPARAM>(&q)) != 0;
}

// The skinned container whose background lies behind the control, counting the control's
// rectangle into its coordinates; nullptr when the parent paints a background of its own.
TWinControl* SkinnedContainerOf(TControl* control, TRect* r)
{
    for (TWinControl* p = control->Parent(); p; p = p->Parent()) {
        if (ControlIsSkinned(p, true)) return p;
        if (!ServesSkinnedBackground(p)) return nullptr;
        if (r && p->Parent()) r->Offset(p->Left(), p->Top());
    }
    return nullptr;
}

void AnswerCtlColorMessage(TMessage& m, TColor text, TColor background, HBRUSH& brush, TColor& brushColor)
{
    background = ColorToRGB(background);
    if (!brush || brushColor != background) {
        if (brush) DeleteObject(brush);
        brush = CreateSolidBrush(COLORREF(background));
        brushColor = background;
    }
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ColorToRGB(text));
    SetBkColor(dc, COLORREF(background));
    m.Result = reinterpret_cast<LRESULT>(brush);
}
