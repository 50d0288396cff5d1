#include "vcl/forms.h"

#include <algorithm>

#include "vcl/application.h"
#include "vcl/application_hooks.h"
#include "vcl/menus.h"
#include "vcl/utilwindow.h"

TScreen* Screen = nullptr;

class THintController;
THintController* HintsNeeded();

TScreen* ScreenNeeded()
{
    if (!Screen) Screen = new TScreen(Application);
    return Screen;
}

bool DeclarePerMonitorPpiAware()
{
    using TSetContext = BOOL(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<TSetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    return set && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

// ================================================================================================
// TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner)
{
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clBtnFace;
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FWidth = 320;
    FHeight = 240;
    FIcon = new TIcon();
    FCanvas = new TControlCanvas(this);
    if (Application) FFont->Assign(Application->DefaultFont());
    FText = ClassName();
    if (FText.size() > 1 && FText[0] == L'T') FText.erase(0, 1);
    ScreenNeeded()->AddForm(this);
    HintsNeeded();
}

void TCustomForm::BeforeDestruction()
{
    if (FBeforeDestructionDone) return;
    FBeforeDestructionDone = true;
    // The derived form is still whole here: its OnDestroy may use its components and fields.
    try {
        DoDestroy();
    } catch (...) {
        HandleExceptionFromCallback(L"form destruction");
    }
    Destroying();
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    DestroyHandle();
    DestroyComponents();
    TWinControl::BeforeDestruction();
}

TCustomForm::~TCustomForm()
{
    // A form on the stack did not run BeforeDestruction: clean up without OnDestroy, whose
    // handler may belong to the part of the object that is already gone.
    if (!FBeforeDestructionDone) {
        FBeforeDestructionDone = true;
        Destroying();
        if (Screen) Screen->RemoveForm(this);
        if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
        DestroyHandle();
        DestroyComponents();
    }
    DestroyHandle();
    delete FCanvas;
    FCanvas = nullptr;
    delete FIcon;
    FIcon = nullptr;
}

void TCustomForm::SetBorderStyle(TBorderStyle s)
{
    if (s == FBorderStyle) return;
    FBorderStyle = s;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == FBorderIcons) return;
    FBorderIcons = icons;
    RecreateWnd();
}

TWindowState TCustomForm::WindowState() const
{
    if (FHandle) {
        if (IsIconic(FHandle)) return wsMinimized;
        if (IsZoomed(FHandle)) return wsMaximized;
        return wsNormal;
    }
    return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState s)
{
    FWindowState = s;
    if (FHandle && Showing()) ShowWindow(FHandle, s == wsMinimized ? SW_MINIMIZE : s == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::SetFormStyle(TFormStyle s)
{
    if (s == FFormStyle) return;
    bool mdi = s == fsMDIForm || s == fsMDIChild || FFormStyle == fsMDIForm || FFormStyle == fsMDIChild;
    FFormStyle = s;
    if (!FHandle) return;
    if (mdi) {
        RecreateWnd();
        return;
    }
    SetWindowPos(FHandle, s == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TCustomForm* TCustomForm::FindMDIFrame() const
{
    if (Application && Application->MainForm() && Application->MainForm()->FFormStyle == fsMDIForm)
        return Application->MainForm();
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->FFormStyle == fsMDIForm) return Screen->Forms(i);
    return nullptr;
}

std::vector<TCustomForm*> TCustomForm::CollectMDIChildren() const
{
    std::vector<TCustomForm*> list;
    if (!FClientHandle) return list;
    for (HWND w = GetWindow(FClientHandle, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* f = dynamic_cast<TCustomForm*>(FindControl(w)); f && f->FFormStyle == fsMDIChild) list.push_back(f);
    return list;
}

int TCustomForm::MDIChildCount() const
{
    return static_cast<int>(CollectMDIChildren().size());
}

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    auto list = CollectMDIChildren();
    if (index < 0 || index >= static_cast<int>(list.size()))
        throw EListError(Format(L"List index out of bounds (%d)", {index}));
    return list[static_cast<size_t>(index)];
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
    if (!FClientHandle) return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(active));
}

void TCustomForm::DefaultHandler(TMessage& m)
{
    if (FHandle && FFormStyle == fsMDIForm && FClientHandle && m.Msg != WM_SIZE) {
        // The frame's procedure keeps the client window, its menu and its children in step.
        // WM_SIZE stays ours: aligned controls share the client area with the MDI client.
        m.Result = DefFrameProcW(FHandle, FClientHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    if (FHandle && FFormStyle == fsMDIChild) {
        m.Result = DefMDIChildProcW(FHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    TWinControl::DefaultHandler(m);
}

HWND TCustomForm::MakeWindow(const TCreateParams& p, HMENU id)
{
    if (FFormStyle != fsMDIChild) return TWinControl::MakeWindow(p, id);
    MDICREATESTRUCTW mcs{};
    mcs.szClass = p.WinClassName.c_str();
    mcs.szTitle = p.Caption.c_str();
    mcs.hOwner = GetModuleHandleW(nullptr);
    mcs.x = p.X;
    mcs.y = p.Y;
    mcs.cx = p.Width;
    mcs.cy = p.Height;
    mcs.style = p.Style & ~WS_CHILD;
    mcs.lParam = reinterpret_cast<LPARAM>(p.Param);
    return reinterpret_cast<HWND>(SendMessageW(p.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

void TCustomForm::DestroyWindowHandle()
{
    HWND client = FHandle && FFormStyle == fsMDIChild ? GetParent(FHandle) : nullptr;
    if (client) {
        SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
        FHandle = nullptr;
        return;
    }
    TWinControl::DestroyWindowHandle();
}

void TCustomForm::AlignControls(TControl* control, TRect& rect)
{
    TWinControl::AlignControls(control, rect);
    // The MDI client takes what the aligned controls leave.
    if (FClientHandle)
        SetWindowPos(FClientHandle, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::DestroyWnd()
{
    FClientHandle = nullptr;   // goes with the frame's window
    TWinControl::DestroyWnd();
}

void TCustomForm::ChangeScale(int m, int d, bool isDpiChange)
{
    if (m == d || d <= 0 || m <= 0) return;
    // The form keeps its place on the screen; its client area and contents scale.
    int cw = MulDiv(ClientWidth(), m, d), ch = MulDiv(ClientHeight(), m, d);
    int left = FLeft, top = FTop;
    DisableAlign();
    try {
        TWinControl::ChangeScale(m, d, isDpiChange);
        SetBounds(left, top, FWidth, FHeight);
        SetClientSize(cw, ch);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
}

void TCustomForm::WMDpiChanged(TMessage& m)
{
    // A form that is not Scaled is scaled by whoever switched that off; it keeps its layout.
    if (!FScaled) {
        m.Result = 0;
        return;
    }
    int ppi = HIWORD(m.WParam);
    if (ppi > 0 && ppi != FCurrentPPI) ScaleForPPI(ppi);
    if (auto* r = reinterpret_cast<const RECT*>(m.LParam))
        SetBounds(r->left, r->top, r->right - r->left, r->bottom - r->top);
    m.Result = 0;
}

void TCustomForm::SetMenu(TMainMenu* menu)
{
    if (menu == FMenu) return;
    FMenu = menu;
    if (menu) menu->FreeNotification(this);
    if (FHandle) Perform(CM_MENUCHANGED, 0, 0);
}

void TCustomForm::CMMenuChanged(TMessage& m)
{
    m.Result = 0;
    if (!FHandle) return;
    HMENU h = FMenu ? FMenu->Handle() : nullptr;
    if (GetMenu(FHandle) != h) ::SetMenu(FHandle, h);
    // Rebuilding an item's popup dropped the list of children the MDI client keeps in it.
    if (FClientHandle) SendMessageW(FClientHandle, WM_MDIREFRESHMENU, 0, 0);
    DrawMenuBar(FHandle);
}

void TCustomForm::SetWindowMenu(TMenuItem* item)
{
    if (item == FWindowMenu) return;
    FWindowMenu = item;
    if (item) item->FreeNotification(this);
    // The client moves its list of children to the new popup (none: the list stays put).
    if (FClientHandle && item) {
        SendMessageW(FClientHandle, WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(item->Handle()));
        DrawMenuBar(FHandle);
    }
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == FWindowMenu) FWindowMenu = nullptr;
    if (component == FMenu) {
        FMenu = nullptr;
        if (FHandle) ::SetMenu(FHandle, nullptr);
    }
}

void TCustomForm::WMCancelMode(TMessage& m)
{
    DefaultHandler(m);
    SendCancelMode(nullptr);
}

void TCustomForm::SendCancelMode(TControl* sender)
{
    if (FActive && FActiveControl) FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(sender));
}

void TCustomForm::SetAlphaBlend(bool on)
{
    FAlphaBlend = on;
    UpdateLayered();
}

void TCustomForm::SetAlphaBlendValue(uint8_t v)
{
    FAlphaBlendValue = v;
    UpdateLayered();
}

void TCustomForm::UpdateLayered()
{
    if (!FHandle) return;
    LONG_PTR ex = GetWindowLongPtrW(FHandle, GWL_EXSTYLE);
    if (FAlphaBlend) {
        if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        SetLayeredWindowAttributes(FHandle, 0, FAlphaBlendValue, LWA_ALPHA);
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongPtrW(FHandle, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TCustomForm::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    p.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    p.ExStyle = 0;
    switch (FBorderStyle) {
    case bsNone:
        p.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        p.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        p.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        p.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
        p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) p.ExStyle |= WS_EX_TOOLWINDOW;
    if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu)) {
        p.Style |= WS_SYSMENU;
        if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow && FBorderStyle != bsSizeToolWin) {
            if (FBorderIcons & biMinimize) p.Style |= WS_MINIMIZEBOX;
            if (FBorderIcons & biMaximize) p.Style |= WS_MAXIMIZEBOX;
        }
    }
    if (FFormStyle == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    p.Style |= WS_CLIPCHILDREN;
    if (FFormStyle == fsMDIChild) {
        TCustomForm* frame = FindMDIFrame();
        if (!frame || frame == this) throw EInvalidOperation(L"Cannot create form: no MDI forms are currently active");
        frame->HandleNeeded();
        // The system makes an MDI child when the window is made inside the MDI client.
        p.WndParent = frame->FClientHandle;
        p.ExStyle = (p.ExStyle & ~(WS_EX_APPWINDOW | WS_EX_TOPMOST)) | WS_EX_MDICHILD;
        p.Style = (p.Style & ~WS_POPUP) | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                  WS_MAXIMIZEBOX;
        p.WindowClass.style = CS_DBLCLKS;
        p.WindowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        return;
    }
    if (!FParentWindow && !FParent) {
        // Ownership decides the task bar button: the main form owns the others when it is on the
        // task bar itself; otherwise the hidden application window owns every form.
        TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
        if (Application && Application->MainFormOnTaskBar()) {
            if (mainForm == this) {
                p.WndParent = nullptr;
                p.ExStyle |= WS_EX_APPWINDOW;
            } else if (mainForm && mainForm->HandleAllocated()) {
                p.WndParent = mainForm->Handle();
            } else {
                p.WndParent = Application->Handle();
            }
        } else {
            p.WndParent = Application ? Application->Handle() : nullptr;
        }
        if (FFormState & fsModal) {
            if (HWND active = GetActiveWindow(); active && active != FHandle) p.WndParent = active;
        }
        if (!(p.Style & WS_CAPTION) || FBorderStyle == bsDialog) p.Style |= WS_POPUP;
    } else {
        // Inside a foreign window or made a child of one of our controls (docked): a plain
        // child window there; a visible one shows with its parent, as any child window does.
        p.Style = (p.Style & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) | WS_CHILD;
        if (FParent && FVisible) p.Style |= WS_VISIBLE;
    }
    p.WindowClass.style = CS_DBLCLKS;
    p.WindowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (FFormStyle == fsMDIForm) {
        CLIENTCREATESTRUCT ccs{FWindowMenu ? FWindowMenu->Handle() : nullptr, 0xFF00};
        TRect r = ClientRect();
        FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                                        0, 0, r.Width(), r.Height(), FHandle, nullptr, GetModuleHandleW(nullptr), &ccs);
        if (!FClientHandle) throw EOSError(L"Cannot create the MDI client window", GetLastError());
    }
    if (FMenu) ::SetMenu(FHandle, FMenu->Handle());
    if (!FIcon->Empty()) SendMessageW(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
    UpdateLayered();
}

TRect TCustomForm::ClientRect() const
{
    if (FHandle) return TWinControl::ClientRect();
    // Before the window exists: the frame the window will have.
    TCreateParams p;
    const_cast<TCustomForm*>(this)->CreateParams(p);
    RECT r{0, 0, 0, 0};
    AdjustWindowRectEx(&r, p.Style, FMenu != nullptr, p.ExStyle);
    return {0, 0, std::max<int>(0, FWidth - (r.right - r.left)), std::max<int>(0, FHeight - (r.bottom - r.top))};
}

bool TCustomForm::Showing() const
{
    return FVisible && FHandle && IsWindowVisible(FHandle);
}

void TCustomForm::Loaded()
{
    TWinControl::Loaded();
    if (!FCreated && FScaled) {
        const int ppi = ScreenPixelsPerInch();
        if (FCurrentPPI == DesignPPI && ppi != DesignPPI) ScaleLayoutForPPI(ppi);
    }
    DoCreate();
}

void TCustomForm::DoCreate()
{
    if (FCreated) return;
    FCreated = true;
    if (OnCreate && EventsAllowed()) OnCreate(this);
}

void TCustomForm::DoDestroy()
{
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DoShow()
{
    if (OnShow && EventsAllowed()) OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide && EventsAllowed()) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose && EventsAllowed()) OnClose(this, action);
}

void TCustomForm::Activate()
{
    if (OnActivate && EventsAllowed()) OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate && EventsAllowed()) OnDeactivate(this);
}

void TCustomForm::PaintWindow(HDC dc)
{
    if (!OnPaint || !EventsAllowed()) return;
    TControlCanvasPaint paint(FCanvas, dc, FFont, FColor);
    OnPaint(this);
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (FHandle && FFormStyle == fsMDIChild) {
        if (HWND client = GetParent(FHandle)) SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(FHandle), 0);
        return;
    }
    if (FHandle) {
        if (IsIconic(FHandle)) ShowWindow(FHandle, SW_RESTORE);
        SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(FHandle);
    }
}

void TCustomForm::PlaceOnFirstShow()
{
    if (FPlaced) return;
    FPlaced = true;
    TRect area = ScreenNeeded()->WorkAreaRect();
    auto centerOn = [&](const TRect& r) {
        SetBounds(r.left + (r.Width() - FWidth) / 2, r.top + (r.Height() - FHeight) / 2, FWidth, FHeight);
    };
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        centerOn(area);
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TCustomForm* other = nullptr;
        if (FPosition == poOwnerFormCenter) other = dynamic_cast<TCustomForm*>(Owner());
        if (!other && Application) other = Application->MainForm();
        if (other && other != this && other->HandleAllocated()) {
            RECT r;
            GetWindowRect(other->Handle(), &r);
            centerOn(r);
        } else {
            centerOn(area);
        }
        break;
    }
    default:
        break;
    }
}

void TCustomForm::CMVisibleChanged(TMessage&)
{
    if (FVisible) {
        HandleNeeded();
        PlaceOnFirstShow();
    }
    if (FHandle) {
        Perform(CM_SHOWINGCHANGED, 0, 0);
        FShowing = Showing();
        UpdateChildrenShowing();
    }
}

void TCustomForm::CMShowingChanged(TMessage&)
{
    if (!FHandle) return;
    bool show = FVisible;
    if (show == (IsWindowVisible(FHandle) != FALSE)) return;
    if (show) {
        FFormState |= fsShowing;
        try {
            DoShow();
        } catch (...) {
            FFormState &= ~fsShowing;
            throw;
        }
        FFormState &= ~fsShowing;
        int cmd = SW_SHOWNORMAL;
        if (FWindowState == wsMaximized) cmd = SW_SHOWMAXIMIZED;
        else if (FWindowState == wsMinimized) cmd = SW_SHOWMINIMIZED;
        ShowWindow(FHandle, cmd);
        FFormState |= fsVisible;
        if (!FActiveControl) SelectFirst();
    } else {
        FFormState |= fsShowing;
        DoHide();
        FFormState &= ~fsShowing;
        if (FActive || GetActiveWindow() == FHandle) {
            // Hand activation back to another of our forms before this one disappears.
            HWND owner = GetWindow(FHandle, GW_OWNER);
            ShowWindow(FHandle, SW_HIDE);
            if (owner && IsWindowVisible(owner)) SetActiveWindow(owner);
        } else {
            ShowWindow(FHandle, SW_HIDE);
        }
        FFormState &= ~fsVisible;
    }
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery && EventsAllowed()) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (FFormState & fsModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    // An MDI child is minimised, not hidden, unless told otherwise.
    TCloseAction action = FFormStyle == fsMDIChild ? ((FBorderIcons & biMinimize) ? caMinimize : caNone) : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize:
        if (FHandle) ShowWindow(FHandle, SW_MINIMIZE);
        break;
    case caFree: Release(); break;
    default: break;
    }
}

void TCustomForm::CloseModal()
{
    TCloseAction action = CloseQuery() ? caHide : caNone;
    if (action != caNone) DoClose(action);
    if (action == caNone) FModalResult = mrNone;
}

namespace {

struct TDisabledWindows {
    HWND except = nullptr;
    std::vector<HWND> list;
    bool failed = false;
};

// Enumeration callbacks run inside user32: nothing may be thrown through them. A failed
// allocation stops the walk and is reported after it.
BOOL CALLBACK DisableOne(HWND w, LPARAM lp)
{
    auto* d = reinterpret_cast<TDisabledWindows*>(lp);
    try {
        if (w != d->except && IsWindowVisible(w) && IsWindowEnabled(w)) {
            d->list.push_back(w);
            EnableWindow(w, FALSE);
        }
        return TRUE;
    } catch (...) {
        d->failed = true;
        return FALSE;
    }
}

}  // namespace

TModalResult TCustomForm::ShowModal()
{
    if (FVisible || !FEnabled || (FFormState & fsModal))
        throw EInvalidOperation(L"Cannot make a visible window modal");
    if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    if (Application) Application->ModalStarted();
    FFormState |= fsModal;
    HWND activeBefore = GetActiveWindow();
    TDisabledWindows disabled;
    HandleNeeded();
    disabled.except = FHandle;
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
    auto finish = [&] {
        for (HWND w : disabled.list)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (FHandle) {
            // Activate the window we came from before hiding, so the focus does not wander.
            if (activeBefore && IsWindow(activeBefore) && activeBefore != FHandle) SetActiveWindow(activeBefore);
        }
        FVisible = true;
        Hide();
        FFormState &= ~fsModal;
        if (Application) Application->ModalFinished();
    };
    try {
        if (disabled.failed) throw EOutOfMemory(L"Out of memory while disabling the program's windows");
        FModalResult = mrNone;
        Show();
        do {
            Application->HandleMessage();
            if (Application->Terminated()) FModalResult = mrCancel;
            else if (FModalResult != mrNone) CloseModal();
        } while (FModalResult == mrNone);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return FModalResult;
}

void TCustomForm::Release()
{
    if (FHandle) PostMessageW(FHandle, CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&)
{
    TObject::Free(this);
}

void TCustomForm::SelectFirst()
{
    if (TWinControl* c = FindNextControl(nullptr, true, true, false)) {
        FActiveControl = c;
        if (FActive && c->HandleAllocated()) ::SetFocus(c->Handle());
    }
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (!control) return;
    if (!control->CanFocus()) throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    FActiveControl = control;
    if (FHandle && IsWindowVisible(FHandle)) ::SetFocus(control->Handle());
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == FActiveControl) return;
    if (control && !ContainsControl(control)) throw EInvalidOperation(L"Invalid control for the form");
    FActiveControl = control;
    if (control && FHandle && IsWindowVisible(FHandle) && control->CanFocus()) ::SetFocus(control->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == FFocusedControl) return;
    TWinControl* old = FFocusedControl;
    FFocusedControl = control;
    if (control != this) FActiveControl = control;
    if (old && old != this && !old->HasState(csDestroying)) old->Perform(CM_EXIT, 0, 0);
    if (control && control != this) control->Perform(CM_ENTER, 0, 0);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    if (Screen) Screen->SetFocusedControl(this, control);
}

bool TCustomForm::DoKeyDown(TMessage& m)
{
    return TWinControl::DoKeyDown(m);
}

bool TCustomForm::DoKeyUp(TMessage& m)
{
    return TWinControl::DoKeyUp(m);
}

bool TCustomForm::DoKeyPress(TMessage& m)
{
    return TWinControl::DoKeyPress(m);
}

void TCustomForm::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE: WMClose(m); break;
    case WM_NEXTDLGCTL:
        // As in a dialog: wParam a window to focus (lParam 1), else 1 for the previous control
        // and 0 for the next one in the tab order.
        if (LOWORD(m.LParam)) {
            if (TWinControl* c = FindControl(reinterpret_cast<HWND>(m.WParam)); c && c->CanFocus()) c->SetFocus();
        } else {
            SelectNext(FActiveControl, m.WParam == 0, true);
        }
        m.Result = 0;
        break;
    case WM_ACTIVATE: WMActivate(m); break;
    case WM_QUERYENDSESSION: WMQueryEndSession(m); break;
    case WM_SYSCOMMAND: WMSysCommand(m); break;
    case WM_INITMENUPOPUP: WMInitMenuPopup(m); break;
    case WM_MENUSELECT: WMMenuSelect(m); break;
    case CM_RELEASE: CMRelease(m); break;
    case CM_MENUCHANGED: CMMenuChanged(m); break;
    case WM_CANCELMODE: WMCancelMode(m); break;
    case WM_DPICHANGED: WMDpiChanged(m); break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMActivate(TMessage& m)
{
    DefaultHandler(m);
    bool active = LOWORD(m.WParam) != WA_INACTIVE;
    if (active == FActive) return;
    FActive = active;
    if (active) {
        FFormState |= fsActivated;
        if (Screen) Screen->SetActiveForm(this);
        // The keyboard goes back to the control that had it.
        if (FActiveControl && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
        else SelectFirst();
        Activate();
    } else {
        Deactivate();
    }
}

void TCustomForm::WMSetFocus(TMessage& m)
{
    TWinControl::WMSetFocus(m);
    if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) ::SetFocus(FActiveControl->Handle());
}

void TCustomForm::WMQueryEndSession(TMessage& m)
{
    m.Result = CloseQuery() ? 1 : 0;
}

void TCustomForm::WMSysCommand(TMessage& m)
{
    DefaultHandler(m);
}

void TCustomForm::WMInitMenuPopup(TMessage& m)
{
    if (TMenuItem* item = TMenuItem::FindByHandle(reinterpret_cast<HMENU>(m.WParam))) item->InitPopup();
    DefaultHandler(m);
}

void TCustomForm::WMMenuSelect(TMessage& m)
{
    // The hint of the highlighted menu item becomes the application's hint.
    if (Application && HIWORD(m.WParam) != 0xFFFF) {
        UINT id = LOWORD(m.WParam);
        TMenuItem* item = (HIWORD(m.WParam) & MF_POPUP) ? nullptr : TMenuItem::FindByCommand(id);
        Application->SetHint(item ? item->Hint() : String());
    }
    DefaultHandler(m);
}

void TCustomForm::CMDialogKey(TMessage& m)
{
    if (GetKeyState(VK_MENU) >= 0) {
        switch (m.WParam) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                m.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(FActiveControl, m.WParam == VK_RIGHT || m.WParam == VK_DOWN, false);
                m.Result = 1;
                return;
            }
            break;
        default:
            break;
        }
    }
    TWinControl::CMDialogKey(m);
}

// ================================================================================================
// TApplication: forms, modal bookkeeping, message boxes

void TApplication::RegisterCreatedForm(TCustomForm* form)
{
    if (!FMainForm) FMainForm = form;
    form->DoCreate();
}

void TApplication::ModalStarted()
{
    if (++FModalLevel == 1 && OnModalBegin) OnModalBegin(this);
}

void TApplication::ModalFinished()
{
    if (FModalLevel > 0 && --FModalLevel == 0 && OnModalEnd) OnModalEnd(this);
}

int TApplication::MessageBox(const String& text, const String& caption, UINT flags)
{
    HWND owner = GetActiveWindow();
    if (!owner && FMainForm && FMainForm->HandleAllocated()) owner = FMainForm->Handle();
    return MessageBoxW(owner, text.c_str(), caption.empty() ? FTitle.c_str() : caption.c_str(), flags);
}

// ================================================================================================
// TScreen

TScreen::TScreen(TComponent* owner) : TComponent(owner)
{
    FHintFont = new TFont();
    FMenuFont = new TFont();
    FMessageFont = new TFont();
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
        HFONT status = CreateFontIndirectW(&ncm.lfStatusFont);
        FHintFont->SetHandle(status);
        DeleteObject(status);
        HFONT menu = CreateFontIndirectW(&ncm.lfMenuFont);
        FMenuFont->SetHandle(menu);
        DeleteObject(menu);
        HFONT message = CreateFontIndirectW(&ncm.lfMessageFont);
        FMessageFont->SetHandle(message);
        DeleteObject(message);
    }
    FHintFont->SetColor(clInfoText);
}

TScreen::~TScreen()
{
    for (TMonitor* m : FMonitors) delete m;
    delete FFonts;
    delete FHintFont;
    delete FMenuFont;
    delete FMessageFont;
    if (Screen == this) Screen = nullptr;
}

void TScreen::AddForm(TCustomForm* form)
{
    FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form)
{
    FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
    if (FActiveForm == form) FActiveForm = nullptr;
    if (FFocusedForm == form) {
        FFocusedForm = nullptr;
        FActiveControl = nullptr;
    }
}

void TScreen::SetActiveForm(TCustomForm* form)
{
    if (form == FActiveForm) return;
    FActiveForm = form;
    // The list runs in z order of activation: the active form first.
    auto it = std::find(FForms.begin(), FForms.end(), form);
    if (it != FForms.end()) std::rotate(FForms.begin(), it, it + 1);
    if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetFocusedControl(TCustomForm* form, TWinControl* control)
{
    FFocusedForm = form;
    if (control != FActiveControl) {
        FActiveControl = control;
        if (OnActiveControlChange) OnActiveControlChange(this);
    }
}

namespace {
struct TFontCollection {
    TStringList* list;
    bool failed = false;
};

int CALLBACK CollectFont(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM lp)
{
    auto* c = reinterpret_cast<TFontCollection*>(lp);
    try {
        if (lf->lfFaceName[0] != L'@') c->list->Add(lf->lfFaceName);
        return 1;
    } catch (...) {
        c->failed = true;
        return 0;
    }
}
}  // namespace

TStrings* TScreen::Fonts()
{
    if (!FFonts) {
        FFonts = new TStringList();
        FFonts->SetSorted(true);
        FFonts->SetDuplicates(TDuplicates::dupIgnore);
        HDC dc = GetDC(nullptr);
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        TFontCollection collection{FFonts};
        EnumFontFamiliesExW(dc, &lf, CollectFont, reinterpret_cast<LPARAM>(&collection), 0);
        ReleaseDC(nullptr, dc);
        if (collection.failed) {
            // A half list would stay cached: try again next time.
            delete FFonts;
            FFonts = nullptr;
            throw EOutOfMemory(L"Out of memory while listing the fonts");
        }
    }
    return FFonts;
}

HCURSOR TScreen::Cursors(TCursor id) const
{
    for (auto& [k, v] : FCursors)
        if (k == id) return v;
    LPCWSTR sys = IDC_ARROW;
    switch (id) {
    case crNone: return nullptr;
    case crCross: sys = IDC_CROSS; break;
    case crIBeam: sys = IDC_IBEAM; break;
    case crSizeNESW: sys = IDC_SIZENESW; break;
    case crSizeNS: sys = IDC_SIZENS; break;
    case crSizeNWSE: sys = IDC_SIZENWSE; break;
    case crSizeWE: sys = IDC_SIZEWE; break;
    case crUpArrow: sys = IDC_UPARROW; break;
    case crHourGlass: sys = IDC_WAIT; break;
    case crNo: sys = IDC_NO; break;
    case crAppStart: sys = IDC_APPSTARTING; break;
    case crHelp: sys = IDC_HELP; break;
    case crHandPoint: sys = IDC_HAND; break;
    case crSizeAll: sys = IDC_SIZEALL; break;
    default: break;
    }
    return LoadCursorW(nullptr, sys);
}

void TScreen::SetCursors(TCursor id, HCURSOR cursor)
{
    for (auto& [k, v] : FCursors)
        if (k == id) {
            v = cursor;
            return;
        }
    FCursors.emplace_back(id, cursor);
}

void TScreen::SetCursor(TCursor c)
{
    FCursor = c;
    if (c != crDefault) ::SetCursor(Cursors(c));
    else {
        POINT p;
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y);   // the window under the mouse sets its own cursor again
    }
}

int TScreen::PixelsPerInch() const
{
    return ScreenPixelsPerInch();
}

TRect TScreen::WorkAreaRect() const
{
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) r = {0, 0, Width(), Height()};
    return r;
}

TRect TScreen::DesktopRect() const
{
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return Bounds(x, y, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

int TScreen::Width() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::MonitorCount() const
{
    // Walks the system's list so every display has its object, in the system's order.
    struct Walk {
        const TScreen* screen;
        std::vector<TMonitor*> order;
        bool failed = false;
    } walk{this};
    auto collect = [](HMONITOR h, HDC, LPRECT, LPARAM lp) -> BOOL {
        auto* w = reinterpret_cast<Walk*>(lp);
        try {
            w->order.push_back(w->screen->FindMonitor(h));
            return TRUE;
        } catch (...) {
            w->failed = true;
            return FALSE;
        }
    };
    EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&walk));
    if (walk.failed) throw EOutOfMemory(L"Out of memory while listing the displays");
    // Put them in enumeration order at the front, so Monitors(i) follows the system.
    for (size_t i = 0; i < walk.order.size(); ++i) {
        auto it = std::find(FMonitors.begin(), FMonitors.end(), walk.order[i]);
        std::iter_swap(FMonitors.begin() + static_cast<std::ptrdiff_t>(i), it);
    }
    return std::max(1, static_cast<int>(walk.order.size()));
}

TMonitor* TScreen::FindMonitor(HMONITOR handle) const
{
    for (TMonitor* m : FMonitors)
        if (m->Handle() == handle) return m;
    auto* m = new TMonitor(handle, static_cast<int>(FMonitors.size()));
    FMonitors.push_back(m);
    return m;
}

TMonitor* TScreen::Monitors(int index) const
{
    int n = MonitorCount();
    if (index < 0 || index >= n) throw EListError(Format(L"List index out of bounds (%d)", {index}));
    return FMonitors.at(static_cast<size_t>(index));
}

TMonitor* TScreen::PrimaryMonitor() const
{
    return MonitorFromPoint({0, 0}, mdPrimary);
}

namespace {
DWORD MonitorFlags(TMonitorDefaultTo fallback)
{
    return fallback == mdNull ? MONITOR_DEFAULTTONULL : fallback == mdPrimary ? MONITOR_DEFAULTTOPRIMARY
                                                                                : MONITOR_DEFAULTTONEAREST;
}
}  // namespace

TMonitor* TScreen::MonitorFromPoint(const TPoint& point, TMonitorDefaultTo fallback) const
{
    HMONITOR h = ::MonitorFromPoint(point, MonitorFlags(fallback));
    return h ? FindMonitor(h) : nullptr;
}

TMonitor* TScreen::MonitorFromWindow(HWND wnd, TMonitorDefaultTo fallback) const
{
    HMONITOR h = ::MonitorFromWindow(wnd, MonitorFlags(fallback));
    return h ? FindMonitor(h) : nullptr;
}

TMonitor* TScreen::MonitorFromRect(const TRect& rect, TMonitorDefaultTo fallback) const
{
    RECT r = rect;
    HMONITOR h = ::MonitorFromRect(&r, MonitorFlags(fallback));
    return h ? FindMonitor(h) : nullptr;
}

// ---- TMonitor

namespace {
bool ReadMonitorInfo(HMONITOR h, MONITORINFO& info)
{
    info = {};
    info.cbSize = sizeof(info);
    return GetMonitorInfoW(h, &info) != 0;
}
}  // namespace

TRect TMonitor::BoundsRect() const
{
    MONITORINFO info;
    return ReadMonitorInfo(FHandle, info) ? TRect(info.rcMonitor) : TRect();
}

TRect TMonitor::WorkareaRect() const
{
    MONITORINFO info;
    return ReadMonitorInfo(FHandle, info) ? TRect(info.rcWork) : TRect();
}

bool TMonitor::Primary() const
{
    MONITORINFO info;
    return ReadMonitorInfo(FHandle, info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
}

int TMonitor::PixelsPerInch() const
{
    // Per-monitor values come from shcore where the system has it.
    using GetDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static GetDpiFn getDpi = [] {
        HMODULE lib = LoadLibraryW(L"shcore.dll");
        return lib ? reinterpret_cast<GetDpiFn>(reinterpret_cast<void*>(GetProcAddress(lib, "GetDpiForMonitor")))
                   : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpi && SUCCEEDED(getDpi(FHandle, 0 /* effective */, &x, &y)) && y > 0) return static_cast<int>(y);
    return ScreenPixelsPerInch();
}

// ================================================================================================
// Hints

THintWindowFactory HintWindowClass = [](TComponent* owner) -> THintWindow* { return new THintWindow(owner); };

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FColor = clInfoBk;
    FFont->Assign(ScreenNeeded()->HintFont());
}

void THintWindow::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.Style = WS_POPUP | WS_BORDER;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    p.WndParent = Application ? Application->Handle() : nullptr;
    p.WindowClass.style |= CS_SAVEBITS | CS_DROPSHADOW;
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    RECT r{0, 0, maxWidth, 0};
    DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r.right += 6;
    r.bottom += 4;
    return r;
}

void THintWindow::ActivateHint(const TRect& rect, const String& hint)
{
    FText = hint;
    HandleNeeded();
    SetWindowTextW(FHandle, hint.c_str());
    TRect r = rect;
    TRect area = ScreenNeeded()->WorkAreaRect();
    if (r.right > area.right) r.Offset(area.right - r.right, 0);
    if (r.bottom > area.bottom) r.Offset(0, area.bottom - r.bottom);
    if (r.left < area.left) r.Offset(area.left - r.left, 0);
    if (r.top < area.top) r.Offset(0, area.top - r.top);
    FVisible = true;
    SetWindowPos(FHandle, HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    InvalidateRect(FHandle, nullptr, TRUE);
}

void THintWindow::Paint()
{
    TRect r = ClientRect();
    r.Inflate(-2, -2);
    FCanvas->Brush()->SetStyle(bsClear);
    FCanvas->Font()->SetColor(clInfoText);
    FCanvas->TextRect(r, FText, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

void THintWindow::Dispatch(TMessage& m)
{
    if (m.Msg == WM_NCHITTEST) {
        m.Result = HTTRANSPARENT;
        return;
    }
    if (m.Msg == WM_MOUSEACTIVATE) {
        m.Result = MA_NOACTIVATE;
        return;
    }
    TCustomControl::Dispatch(m);
}

// Watches the mouse (through the application's message filter) and shows the hint of the
// control under it after HintPause.
class THintController {
public:
    THintController() { FWindow = AllocateHWnd(Bind<&THintController::WndProc>(this)); }
    ~THintController() { DeallocateHWnd(FWindow); }

    bool Filter(MSG& msg)
    {
        if (!Application) return false;
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            MouseMoved(msg.hwnd);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_MOUSEWHEEL:
            Application->CancelHint();
            FControl = nullptr;
            break;
        default:
            break;
        }
        return false;
    }

    void Cancel()
    {
        KillTimer(FWindow, kShowTimer);
        KillTimer(FWindow, kHideTimer);
        if (Application && Application->FHintWindow && Application->FHintWindow->HandleAllocated()) {
            ShowWindow(Application->FHintWindow->Handle(), SW_HIDE);
        }
        FShown = false;
    }

    void ShowNow(const TPoint& cursor)
    {
        KillTimer(FWindow, kShowTimer);
        TControl* c = FControl;
        if (!c || !Application) return;
        THintInfo info;
        info.HintControl = c;
        info.HintStr = c->Hint();
        info.CursorPos = c->ScreenToClient(cursor);
        info.CursorRect = c->ClientRect();
        info.HintMaxWidth = ScreenNeeded()->Width() / 3;
        info.HintColor = Application->HintColor;
        info.HintPos = {cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
        info.HideTimeout = Application->HintHidePause;
        // The control may change the hint's text and place, or refuse it.
        if (c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0) return;
        bool canShow = true;
        String text = info.HintStr;
        if (Application->OnShowHint) Application->OnShowHint(text, canShow, info);
        if (!canShow || text.empty()) return;
        if (!Application->FHintWindow) Application->FHintWindow = HintWindowClass(Application);
        THintWindow* hw = Application->FHintWindow;
        hw->SetColor(info.HintColor);
        TRect r = hw->CalcHintRect(info.HintMaxWidth, text);
        r.Offset(info.HintPos.x, info.HintPos.y);
        hw->ActivateHint(r, text);
        FShown = true;
        if (info.HideTimeout > 0) SetTimer(FWindow, kHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
    }

private:
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT_PTR kHideTimer = 2;

    static bool EffectiveShowHint(TControl* c)
    {
        return c && c->ShowHint() && !c->Hint().empty();
    }

    void MouseMoved(HWND hwnd)
    {
        TWinControl* w = nullptr;
        for (HWND h = hwnd; h && !(w = FindControl(h)); h = GetParent(h)) {
        }
        TControl* c = w;
        if (w) {
            POINT p;
            GetCursorPos(&p);
            TPoint cp = w->ScreenToClient(p);
            if (TControl* g = w->ControlAtPos(cp, true)) c = g;
        }
        if (dynamic_cast<THintWindow*>(c)) return;
        if (c == FControl) return;
        FControl = c;
        Application->SetHint(c ? c->Hint() : String());
        bool wasShown = FShown;
        Cancel();
        if (Application->ShowHint() && EffectiveShowHint(c)) {
            UINT pause = static_cast<UINT>(wasShown ? Application->HintShortPause : Application->HintPause);
            SetTimer(FWindow, kShowTimer, std::max(1u, pause), nullptr);
        }
    }

    void WndProc(TMessage& m)
    {
        if (m.Msg == WM_TIMER) {
            if (m.WParam == kShowTimer) {
                POINT p;
                GetCursorPos(&p);
                ShowNow(p);
            } else if (m.WParam == kHideTimer) {
                Cancel();
            }
            return;
        }
        m.Result = DefWindowProcW(FWindow, m.Msg, m.WParam, m.LParam);
    }

    HWND FWindow = nullptr;
    TControl* FControl = nullptr;
    bool FShown = false;
};

namespace {
THintController* gHints = nullptr;
TApplication* gHintsFor = nullptr;
}  // namespace

THintController* HintsNeeded()
{
    if (Application && gHintsFor != Application) {
        if (!gHints) gHints = new THintController();
        Application->AddMessageFilter(Bind<&THintController::Filter>(gHints));
        gHintsFor = Application;
    }
    return gHints;
}

void TApplication::SetShowHint(bool on)
{
    FShowHint = on;
    if (!on) CancelHint();
}

void TApplication::SetHint(const String& hint)
{
    if (hint == FHint) return;
    FHint = hint;
    if (OnHint) OnHint(this);
}

void TApplication::CancelHint()
{
    if (gHints) gHints->Cancel();
}

void TApplication::ActivateHint(const TPoint& cursorPos)
{
    if (THintController* h = HintsNeeded()) h->ShowNow(cursorPos);
}

