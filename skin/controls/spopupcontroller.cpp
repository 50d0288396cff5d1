#include "skin/controls/spopupcontroller.h"

#include <algorithm>
#include <cstdio>
#include <cmath>

#include "skin/controls/core/combo_edit.h"
#include "skin/engine/anim_timer.h"
#include "skin/engine/core/general.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/form_services.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "vcl/subclass.h"

namespace {

TsPopupController*& ControllerSlot()
{
    static TsPopupController* controller = nullptr;
    return controller;
}

std::unique_ptr<TBitmap>& DefaultShadowTemplate()
{
    static std::unique_ptr<TBitmap> bmp;
    if (!bmp) bmp.reset(CreateShadowBitmap32(TColor(0x44000000), 17, 2, 8, 0, 0, false));
    return bmp;
}

void ReportPopupError(const String& text)
{
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

bool AppIsActive()
{
    if (TsPopupController::ApplicationActive) return TsPopupController::ApplicationActive();
    HWND fg = GetForegroundWindow();
    DWORD pid = 0;
    if (fg) GetWindowThreadProcessId(fg, &pid);
    return fg && pid == GetCurrentProcessId();
}

constexpr UINT ShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                           SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;   // 0x65B

}  // namespace

// ================================================================================================
// The shadow: a layered window under the popup that follows it.

class TacShadowForm : public TacGlowForm {
public:
    explicit TacShadowForm(TForm* owner) : TacGlowForm(nullptr), FOwnerForm(owner)
    {
        SetBorderStyle(bsNone);
        if (owner && owner->HandleAllocated())
            FHook.emplace(owner->Handle(), Bind<&TacShadowForm::OwnerHook>(this));
    }
    ~TacShadowForm() override { FHook.reset(); }

    bool Locked = true;   // not following its owner
    int UserBlend = -1;   // -1: the owner's opacity

    TRect ShadowSize()
    {
        TsSkinManager* m = DefaultManager && DefaultManager->Active() ? DefaultManager : nullptr;
        TacSkinData* d = m ? m->CommonSkinData(96) : nullptr;
        if (!d) return TRect(13, 13, 13, 13);
        return TRect(d->WndShadowSize, std::max(d->WndShadowSize - d->WndShadowOffset, 0), d->WndShadowSize,
                     std::max(d->WndShadowSize + d->WndShadowOffset, 0));
    }

    void SetNewPos(int left, int top, uint8_t alpha, int height, int width)
    {
        if (FDestroyed) return;
        UserBlend = alpha;
        const TRect s = ShadowSize();
        std::unique_ptr<TBitmap> bmp(NewBitmap32(width + s.left + s.right, height + s.top + s.bottom));
        FillRectAlpha32(bmp.get(), TRect(0, 0, bmp->Width(), bmp->Height()), TColor(0), 0);
        TBitmap* t = DefaultShadowTemplate().get();
        if (t && !t->Empty()) {
            const int bx = (t->Width() - 1) / 2, by = (t->Height() - 1) / 2;
            BlitNineSlice(bmp.get(), t, TRect(0, 0, bmp->Width(), bmp->Height()), TRect(0, 0, t->Width(), t->Height()),
                          TRect(bx, by, bx, by), s, TRect(1, 1, 1, 1), false, false);
        }
        HWND h = Handle();
        const TPoint at(left - s.left, top - s.top);
        UpdateLayeredFromBitmap(h, bmp.get(), alpha, &at);
        HWND below = FOwnerForm && FOwnerForm->HandleAllocated() ? FOwnerForm->Handle() : HWND_TOP;
        SetWindowPos(h, below, at.x, at.y, bmp->Width(), bmp->Height(), ShowFlags & ~(SWP_NOSIZE | SWP_NOMOVE));
    }

    void UpdateShadowPos()
    {
        if (Locked || !FOwnerForm || !FOwnerForm->HandleAllocated() || !IsWindowVisible(FOwnerForm->Handle())) return;
        RECT r{};
        GetWindowRect(FOwnerForm->Handle(), &r);
        const int alpha = UserBlend >= 0 ? UserBlend : FOwnerForm->AlphaBlend() ? FOwnerForm->AlphaBlendValue() : 255;
        SetNewPos(r.left, r.top, uint8_t(alpha), r.bottom - r.top, r.right - r.left);
    }

    void HideWnd()
    {
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        Locked = true;
    }

    void KillShadow()
    {
        if (FDestroyed) return;
        FDestroyed = true;
        FHook.reset();
        FOwnerForm = nullptr;
        HideWnd();
    }

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_NCHITTEST) {
            m.Result = HTTRANSPARENT;   // the mouse passes through
            return;
        }
        TacGlowForm::WndProc(m);
    }

private:
    void OwnerHook(TMessage& m)
    {
        try {
            if (m.Msg == WM_CLOSE || (m.Msg == WM_SHOWWINDOW && m.WParam == 0)) HideWnd();
            if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmUpdateShadow && m.LParam) {
                const auto* u = reinterpret_cast<const TacShadowUpdate*>(m.LParam);
                Locked = false;
                if (u->Height > 0) SetNewPos(u->Left, u->Top, u->Alpha, u->Height, u->Width);
                m.Result = 1;
                return;
            }
            TWindowHookObject* hook = FHook ? &*FHook : nullptr;
            if (hook) hook->CallPrevious(m);
            if (m.Msg == WM_SIZE || m.Msg == WM_WINDOWPOSCHANGING || m.Msg == WM_WINDOWPOSCHANGED) {
                if (!FOwnerForm) return;
                if (Locked || IsWindowVisible(FOwnerForm->Handle()))
                    UpdateShadowPos();
                else
                    HideWnd();
            }
        } catch (const Exception& e) {
            ReportPopupError(L"Popup shadow: " + e.Message());
        } catch (...) {
            ReportPopupError(L"Popup shadow: an error");
        }
    }

    TForm* FOwnerForm;
    bool FDestroyed = false;
    std::optional<TWindowHookObject> FHook;
};

// ================================================================================================
// TacFormHandler

TacFormHandler::TacFormHandler(TsPopupController* controller, TForm* form, TWinControl* owner)
    : Controller(controller), PopupForm(form), PopupCtrl(owner)
{
    ParentForm = owner ? GetParentForm(owner) : nullptr;
    if (auto* pf = dynamic_cast<TForm*>(ParentForm); pf && pf->FormStyle() == fsStayOnTop) form->SetFormStyle(fsStayOnTop);
    InstallHooks();
}

TacFormHandler::~TacFormHandler()
{
    Restore();
    TObject::Free(CheckTimer);
    CheckTimer = nullptr;
    if (ShadowForm) ShadowForm->KillShadow();
    ShadowForm.reset();
}

HWND TacFormHandler::ShadowWindow() const { return ShadowForm && ShadowForm->HandleAllocated() ? ShadowForm->Handle() : nullptr; }

void TacFormHandler::InstallHooks()
{
    if (Initialized || !PopupForm || !PopupCtrl) return;
    FFormHook.emplace(PopupForm->Handle(), Bind<&TacFormHandler::FormHook>(this));
    FCtrlHook.emplace(PopupCtrl->Handle(), Bind<&TacFormHandler::CtrlHook>(this));
    Initialized = true;
}

void TacFormHandler::Restore()
{
    if (!Initialized) return;
    if (PopupForm && ShadowForm && !PopupForm->HasState(csDestroying)) ShadowForm->HideWnd();
    FFormHook.reset();
    FCtrlHook.reset();
    if (PopupForm) {
        PopupForm->OnDeactivate = nullptr;
        PopupForm->OnClose = OldOnClose;
    }
    Initialized = false;
}

void TacFormHandler::FormClose(TObject*, TCloseAction&) { DoClose(false); }

void TacFormHandler::FormDeactivate(TObject*)
{
    if (PopupForm) PopupForm->Close();
}

void TacFormHandler::DoClose(bool hide)
{
    if (CheckTimer) CheckTimer->SetEnabled(false);
    if (Closed || ClosingForbidden || !PopupForm) return;
    if (!PopupForm->CloseQuery()) return;
    Closed = true;
    TCloseAction action = caHide;
    if (OldOnClose) OldOnClose(PopupForm, action);
    if (action == caNone) {
        Closed = false;
    } else if (hide) {
        if (action == caFree) {
            TForm* f = PopupForm;
            Restore();
            PopupForm = nullptr;
            TObject::Free(f);
        } else {
            PopupForm->Hide();
        }
    }
    // The window was shown past the form's own flag: a hiding close hides it here.
    if (action == caHide && PopupForm && PopupForm->HandleAllocated()) ShowWindow(PopupForm->Handle(), SW_HIDE);
    if (ShadowForm) ShadowForm->HideWnd();
    if (action != caNone && PopupCtrl && PopupCtrl->HandleAllocated())
        SendSkinCommand(PopupCtrl->Handle(), scmPopupClosed, reinterpret_cast<LPARAM>(PopupForm));
    if (!AppIsActive() && ParentForm && ParentForm->HandleAllocated()) SendMessageW(ParentForm->Handle(), WM_NCACTIVATE, 0, 0);
    Restore();
}

void TacFormHandler::CheckTimerTick(TObject*)
{
    if (!PopupForm || Controller->MousePressed || Closed) return;
    if (AppIsActive()) {
        if (DroppedDownCount() > 0) return;
        HWND capture = GetCapture();
        if (!capture || capture == CaptureHandle) return;
        if (PopupForm->HandleAllocated() && IsWindowOrDescendant(capture, PopupForm->Handle())) return;
        if (PopupCtrl && PopupCtrl->HandleAllocated() && IsWindowOrDescendant(capture, PopupCtrl->Handle())) return;
        if (Controller->OwnsOtherPopup(PopupForm)) return;
    }
    DoClose(true);
}

void TacFormHandler::CtrlHook(TMessage& m)
{
    TWindowHookObject* hook = FCtrlHook ? &*FCtrlHook : nullptr;
    try {
        switch (m.Msg) {
        case WM_DESTROY:
            if (ShadowForm) ShadowForm->HideWnd();
            if (hook) hook->CallPrevious(m);
            Restore();
            PopupCtrl = nullptr;
            return;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case CM_CANCELMODE:
        case CM_FOCUSCHANGED:
            // Closed before the click is handled.
            if (!Closed && PopupForm) DoClose(true);
            break;
        case WM_MOUSEWHEEL:
            if (PopupForm && PopupForm->HandleAllocated()) m.Result = DefWindowProcW(PopupForm->Handle(), m.Msg, m.WParam, m.LParam);
            return;
        case CN_KEYDOWN:
            if (m.WParam == VK_ESCAPE && !Closed) {
                m.Result = 1;
                return;
            }
            break;
        default: break;
        }
    } catch (const Exception& e) {
        ReportPopupError(L"Popup owner: " + e.Message());
    } catch (...) {
        ReportPopupError(L"Popup owner: an error");
    }
    if (hook && hook->Attached()) hook->CallPrevious(m);
}

void TacFormHandler::FormHook(TMessage& m)
{
    TWindowHookObject* hook = FFormHook ? &*FFormHook : nullptr;
    if (hook && hook->Attached()) hook->CallPrevious(m);
    try {
        switch (m.Msg) {
        case WM_DESTROY: Restore(); break;
        case WM_MOUSEACTIVATE: m.Result = MA_NOACTIVATE; break;   // clicking the popup never activates it
        case WM_WINDOWPOSCHANGING: {
            const auto* p = reinterpret_cast<const WINDOWPOS*>(m.LParam);
            if (p && p->flags == (SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE) && PopupForm && p->hwnd != PopupForm->Handle())
                DoClose(true);
            break;
        }
        default: break;
        }
    } catch (const Exception& e) {
        ReportPopupError(L"Popup form: " + e.Message());
    } catch (...) {
        ReportPopupError(L"Popup form: an error");
    }
}

// ================================================================================================
// TsPopupController

TsPopupController::TsPopupController() : TComponent(nullptr) {}

TsPopupController::~TsPopupController() { FormHandlers.clear(); }

TsPopupController* PopupController() { return ControllerSlot(); }

void FreePopupController()
{
    TsPopupController* c = ControllerSlot();
    ControllerSlot() = nullptr;
    TObject::Free(c);
}

int TsPopupController::GetFormIndex(TForm* form)
{
    for (size_t i = 0; i < FormHandlers.size(); ++i)
        if (FormHandlers[i] && FormHandlers[i]->PopupForm == form) return int(i);
    return -1;
}

TacFormHandler* TsPopupController::HandlerOf(TForm* form)
{
    const int i = GetFormIndex(form);
    return i < 0 ? nullptr : FormHandlers[size_t(i)].get();
}

int TsPopupController::AddFormHandler(TForm* form, TWinControl* owner)
{
    int i = GetFormIndex(form);
    if (i < 0) {
        FormHandlers.push_back(std::make_unique<TacFormHandler>(this, form, owner));
        i = int(FormHandlers.size()) - 1;
    }
    TacFormHandler* h = FormHandlers[size_t(i)].get();
    form->FreeNotification(this);
    owner->FreeNotification(this);
    h->PopupCtrl = owner;
    h->InstallHooks();
    // The form's own OnClose is called first when it closes.
    if (!h->OldOnClose) h->OldOnClose = form->OnClose;
    form->OnClose = TCloseEvent::FromCallable([h](TObject*, TCloseAction&) { h->DoClose(false); });
    form->OnDeactivate = TNotifyEvent::FromCallable([form](TObject*) { form->Close(); });
    h->Closed = false;
    if (!h->ShadowForm) h->ShadowForm = std::make_unique<TacShadowForm>(form);
    return i;
}

void TsPopupController::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    // A popup form that goes takes its handler with it; an owner that goes leaves its popup alone.
    for (auto& h : FormHandlers) {
        if (!h) continue;
        if (h->PopupForm == component) {
            h->Restore();
            h->PopupForm = nullptr;
            h.reset();
        } else if (h->PopupCtrl == component) {
            h->Restore();
            h->PopupCtrl = nullptr;
        }
    }
}

void TsPopupController::KillAllForms(TControl* exceptChild)
{
    TCustomForm* except = exceptChild ? OwnerFormOf(exceptChild->Owner()) : nullptr;
    for (auto& h : FormHandlers)
        if (h && h->PopupForm && h->PopupForm != except && h->PopupForm->HandleAllocated() &&
            IsWindowVisible(h->PopupForm->Handle()))
            h->PopupForm->Close();
    if (PopupCount(nullptr) == 0) FormHandlers.clear();
}

int TsPopupController::PopupCount(TCustomForm* exceptForm)
{
    int n = 0;
    for (auto& h : FormHandlers)
        n += h && h->PopupForm && h->PopupForm != exceptForm && h->PopupForm->HandleAllocated() &&
             IsWindowVisible(h->PopupForm->Handle());
    return n;
}

int TsPopupController::PopupChildCount(TCustomForm* parentForm)
{
    int n = 0;
    for (auto& h : FormHandlers)
        n += h && h->ParentForm == parentForm && h->PopupForm && h->PopupForm->HandleAllocated() &&
             IsWindowVisible(h->PopupForm->Handle());
    return n;
}

void TsPopupController::ClosingForbide(TForm* form)
{
    for (auto& h : FormHandlers)
        if (h && h->PopupForm == form) h->ClosingForbidden = true;
}

void TsPopupController::ClosingAllow(TForm* form)
{
    for (auto& h : FormHandlers)
        if (h && h->PopupForm == form) h->ClosingForbidden = false;
}

bool TsPopupController::OwnsOtherPopup(TForm* form)
{
    for (auto& h : FormHandlers)
        if (h && h->PopupForm != form && h->PopupCtrl && GetParentForm(h->PopupCtrl) == form) return true;
    return false;
}

void TsPopupController::AnimateOpening(TForm* form, int time, uint8_t alpha)
{
    TacFormHandler* handler = HandlerOf(form);
    auto anim = std::make_unique<TacGlowForm>(nullptr);
    anim->SetBorderStyle(bsNone);
    AnimationRunning = true;
    const int w = form->Width(), h = form->Height();
    std::unique_ptr<TBitmap> picture(NewBitmap32(w, h));
    PaintControlToBitmap(picture.get(), form, 0, 0, nullptr, false);
    SetRectAlpha32(picture.get(), TRect(0, 0, w, h), 255, 0xFFFFFFFF);
    RECT wr{};
    GetWindowRect(form->Handle(), &wr);
    const int ownerWidth = handler && handler->PopupCtrl ? handler->PopupCtrl->Width() : w;
    const std::vector<TacPopupFrame> frames = PopupOpeningFrames(time, alpha, w, h, ownerWidth, AnimDirection);
    HWND aw = anim->Handle();
    const TPoint origin(wr.left, wr.top);
    UpdateLayeredFromBitmap(aw, picture.get(), frames.empty() ? alpha : 0, &origin);
    SetWindowPos(aw, HWND_TOPMOST, wr.left, wr.top, w, h, 0x708 | (DoSetFocus ? 0 : SWP_NOACTIVATE));
    ShowWindow(aw, DoSetFocus ? SW_SHOW : SW_SHOWNA);
    std::unique_ptr<TBitmap> frameBmp(NewBitmap32(w, h));
    const uint32_t start = AcTickCount();
    for (const TacPopupFrame& f : frames) {
        FillRectAlpha32(frameBmp.get(), TRect(0, 0, w, h), TColor(0), 0);
        if (f.Rect.Width() > 0 && f.Rect.Height() > 0) {
            SetStretchBltMode(frameBmp->Canvas()->Handle(), COLORONCOLOR);
            StretchBlt(frameBmp->Canvas()->Handle(), f.Rect.left, f.Rect.top, f.Rect.Width(), f.Rect.Height(),
                       picture->Canvas()->Handle(), 0, 0, w, h, SRCCOPY);
        }
        UpdateLayeredFromBitmap(aw, frameBmp.get(), uint8_t(f.Alpha), &origin);
        TacShadowUpdate u{wr.left + f.Rect.left, wr.top + f.Rect.top, f.Rect.Width(), f.Rect.Height(), uint8_t(f.Alpha)};
        SendSkinCommand(form->Handle(), scmUpdateShadow, reinterpret_cast<LPARAM>(&u));
        WaitUntilTick(start, f.StartMs + PopupFrameInterval);
    }
    UpdateLayeredFromBitmap(aw, picture.get(), alpha, &origin);
    SetLayeredAlpha(form->Handle(), true, alpha);
    SetWindowPos(form->Handle(), aw, 0, 0, 0, 0, 0x61B);
    if (DoSetFocus) SetFocus(form->Handle());
    AnimationRunning = false;
    // Redrawn once: a window that reports failure is not asked again and again.
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
    if (IsDesktopCompositionOn()) Sleep(24);
    SetWindowPos(aw, form->Handle(), 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ShowPopupForm(TForm* form, TWinControl* owner, int left, bool animated, int top)
{
    if (!form || !owner) return;
    TsPopupController*& c = ControllerSlot();
    if (!c) c = new TsPopupController();
    if (c->SkipOpen) {
        c->SkipOpen = false;
        return;
    }
    const bool animate = animated && DefaultManager && DefaultManager->Active() && DefaultManager->Effects() &&
                         DefaultManager->Effects()->AllowAnimation;
    form->Hide();
    form->SetPosition(poDesigned);
    const uint8_t alpha = form->AlphaBlend() ? form->AlphaBlendValue() : 255;
    if (form->BorderStyle() != bsNone) {
        form->SetHeight(form->Height() - 32);
        form->SetBorderStyle(bsNone);
    }
    const int index = c->AddFormHandler(form, owner);
    TacFormHandler* h = c->FormHandlers[size_t(index)].get();
    h->CaptureHandle = c->IgnoreCapture ? nullptr : GetCapture();
    if (!h->CheckTimer) {
        h->CheckTimer = new TacThreadedTimer(nullptr, false);
        h->CheckTimer->SetInterval(100);
        h->CheckTimer->SetOnTimer(Bind<&TacFormHandler::CheckTimerTick>(h));
    }
    h->CheckTimer->SetEnabled(true);
    HWND fw = form->Handle();
    SetWindowLongPtrW(fw, GWL_STYLE, GetWindowLongPtrW(fw, GWL_STYLE) | LONG_PTR(WS_POPUP | WS_CLIPSIBLINGS));
    SetWindowLongPtrW(fw, GWL_EXSTYLE, GetWindowLongPtrW(fw, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
    SetLayeredAlpha(fw, true, 1);

    RECT or_{};
    GetWindowRect(owner->Handle(), &or_);
    const TRect ownerRect(or_.left, or_.top, or_.right, or_.bottom);
    if (left == -1 && top == -1) {
        const TacPopupPlacement p = PlacePopup(ownerRect, WorkAreaAtPoint(ownerRect), form->Width(), form->Height(),
                                               form->ClientWidth(), form->ClientHeight(), owner->UseRightToLeftReading());
        form->SetBounds(p.Bounds.left, p.Bounds.top, p.Bounds.Width(), p.Bounds.Height());
        c->AnimDirection = p.AnimDirection;
    } else {
        form->SetBounds(left, top, form->Width(), form->Height());
        c->AnimDirection = 0;
    }
    SetWindowPos(fw, HWND_TOPMOST, 0, 0, 0, 0, ShowFlags);
    if (animate) {
        c->AnimateOpening(form, PopupOpeningTime, alpha);
    } else {
        SetLayeredAlpha(fw, false, alpha);
        RepaintChildren(form);
        if (c->DoSetFocus)
            ShowWindow(fw, SW_SHOW);
        else
            ShowWindow(fw, SW_SHOWNA);
        if (h->ShadowForm) h->ShadowForm->Locked = false;
    }
    if (h->ShadowForm) h->ShadowForm->UpdateShadowPos();
    c->SkipOpen = false;
}
