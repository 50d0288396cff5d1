#include "vcl/controls.h"

#include <commctrl.h>

#include <algorithm>

#include "vcl/application.h"
#include "vcl/application_hooks.h"
#include "vcl/forms.h"
#include "vcl/menus.h"

namespace {

// The window property that leads from an HWND of ours to its control object.
const wchar_t kControlProp[] = L"QwControl";

// The control whose window is being created: its first messages arrive before CreateWindowEx
// returns, so the window procedure attaches the HWND to it.
thread_local TWinControl* tCreatingControl = nullptr;

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

// Child-window ids: the 16 bits a WM_COMMAND carries, handed out once per live window, so two
// windows of the process (siblings in particular) never share one.
class TControlIds {
public:
    UINT Allocate()
    {
        for (UINT step = 0; step < kLast; ++step) {
            UINT id = FNext;
            FNext = FNext >= kLast ? kFirst : FNext + 1;
            if (!FUsed[id]) {
                FUsed[id] = true;
                return id;
            }
        }
        throw EInvalidOperation(L"Too many child windows");
    }
    void Release(UINT id)
    {
        if (id >= kFirst && id <= kLast) FUsed[id] = false;
    }

private:
    static constexpr UINT kFirst = 1, kLast = 0xFFFF;
    std::vector<bool> FUsed = std::vector<bool>(kLast + 1, false);
    UINT FNext = kFirst;
};

TControlIds& ControlIds()
{
    static TControlIds ids;
    return ids;
}

// A memory DC with a bitmap of the given size selected into it, both freed by the destructor.
class TMemoryDC {
public:
    TMemoryDC(HDC reference, int width, int height)
    {
        FDC = CreateCompatibleDC(reference);
        FBitmap = CreateCompatibleBitmap(reference, std::max(width, 1), std::max(height, 1));
        if (!FDC || !FBitmap) {
            Free();
            throw EOutOfResources(L"Cannot create the paint buffer");
        }
        FOld = SelectObject(FDC, FBitmap);
    }
    ~TMemoryDC() { Free(); }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC DC() const { return FDC; }

private:
    void Free()
    {
        if (FDC && FOld) SelectObject(FDC, FOld);
        if (FBitmap) DeleteObject(FBitmap);
        if (FDC) DeleteDC(FDC);
        FDC = nullptr;
        FBitmap = nullptr;
        FOld = nullptr;
    }
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class TPaintScope {
public:
    explicit TPaintScope(HWND wnd) : FWnd(wnd) { FDC = BeginPaint(wnd, &FPaint); }
    ~TPaintScope() { EndPaint(FWnd, &FPaint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;
    HDC DC() const { return FDC; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC = nullptr;
};

// Routes keyboard messages through the focused control before they are dispatched (CN_KEYDOWN
// and friends), so controls and forms see Tab, Enter, Escape and the arrows first.
class TKeyRouter {
public:
    bool Filter(MSG& msg)
    {
        switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_CHAR:
        case WM_SYSCHAR: {
            // The key goes to the nearest window of ours (a combo box's inner edit counts as
            // the combo box).
            HWND w = msg.hwnd;
            TWinControl* c = nullptr;
            while (w && !(c = FindControl(w))) w = GetParent(w);
            if (!c) return false;
            return c->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
        }
        default:
            return false;
        }
    }
};

TKeyRouter gKeyRouter;

void EnsureKeyRouter()
{
    static TApplication* installedOn = nullptr;
    if (Application && installedOn != Application) {
        Application->AddMessageFilter(Bind<&TKeyRouter::Filter>(&gKeyRouter));
        installedOn = Application;
    }
}

TPoint PointFromLParam(LPARAM lp)
{
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

LPARAM LParamFromPoint(const TPoint& p)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

}  // namespace

void InitCommonControlsOnce()
{
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    done = true;
}

int CommonControlsVersion()
{
    // With the version 6 manifest the standard classes ("Button", ...) come from the common
    // controls library instead of user32. The library's own version number does not tell
    // (Wine's says 5.81 either way), the home of the button's procedure does.
    static int version = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!GetClassInfoExW(nullptr, L"Button", &wc)) return 5;
        HMODULE home = nullptr;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(wc.lpfnWndProc)), &home))
            return 5;
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(home, path, MAX_PATH);
        return LowerCase(ExtractFileName(path)) == L"comctl32.dll" ? 6 : 5;
    }();
    return version;
}

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyboardStateToShiftState()
{
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
    if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
    return s;
}

TRect ClientAreaInWindow(HWND wnd)
{
    RECT wr, cr;
    GetWindowRect(wnd, &wr);
    GetClientRect(wnd, &cr);
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
    OffsetRect(&cr, -wr.left, -wr.top);
    return cr;
}

TWinControl* FindControl(HWND wnd)
{
    if (!wnd) return nullptr;
    return static_cast<TWinControl*>(GetPropW(wnd, kControlProp));
}

TCustomForm* GetParentForm(const TControl* control)
{
    const TControl* c = control;
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TWinControl* c = FindControl(hwnd);
    if (!c) {
        c = tCreatingControl;
        if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
        tCreatingControl = nullptr;
        c->FHandle = hwnd;
        SetPropW(hwnd, kControlProp, c);
    }
    TMessage m{msg, wp, lp, 0};
    try {
        if (c->WindowProc) c->WindowProc(m);
        else c->WndProc(m);
    } catch (...) {
        HandleExceptionFromCallback(L"window procedure");
    }
    return m.Result;
}

// ================================================================================================
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner), FColor(clWindow)
{
    WindowProc = Bind<&TControl::WndProc>(this);
    FFont = new TFont();
    FFont->OnChange = Bind<&TControl::FontChanged>(this);
}

TControl::~TControl()
{
    Destroying();
    SetAction(nullptr);
    if (FParent) FParent->RemoveControl(this);
    delete FFont;
    FFont = nullptr;
}

void TControl::BeforeDestruction()
{
    Destroying();
    TComponent::BeforeDestruction();
}

bool TControl::EventsAllowed() const
{
    if (HasState(csDestroying)) return false;
    const TComponent* o = Owner();
    if (o && o->HasState(csDestroying)) return false;
    return true;
}

LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp)
{
    TMessage m{msg, wp, lp, 0};
    if (WindowProc) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
        if (FControlStyle & csClickEvents) FControlState |= csClicked;
        break;
    case WM_LBUTTONUP:
        if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
        break;
    default:
        break;
    }
    Dispatch(m);
}

void TControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(m); break;
    case WM_LBUTTONUP: WMLButtonUp(m); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(m); break;
    case WM_RBUTTONDOWN: WMRButtonDown(m); break;
    case WM_RBUTTONUP: WMRButtonUp(m); break;
    case WM_MBUTTONDOWN: WMMButtonDown(m); break;
    case WM_MBUTTONUP: WMMButtonUp(m); break;
    case WM_MOUSEMOVE: WMMouseMove(m); break;
    case WM_CONTEXTMENU: WMContextMenu(m); break;
    case CM_MOUSEENTER: CMMouseEnter(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_TEXTCHANGED: CMTextChanged(m); break;
    case CM_FONTCHANGED: CMFontChanged(m); break;
    case CM_COLORCHANGED: CMColorChanged(m); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); break;
    case CM_HITTEST: CMHitTest(m); break;
    case CM_CHANGED: CMChanged(m); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(m); break;
    case CM_CANCELMODE: CMCancelMode(m); break;
    case CM_HINTSHOW: CMHintShow(m); break;
    case CM_MOUSEWHEEL: CMMouseWheel(m); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(m); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(m); break;
    default: DefaultHandler(m); break;
    }
}

void TControl::CMChanged(TMessage& m)
{
    m.Result = 0;
}

void TControl::CMWantSpecialKey(TMessage& m)
{
    m.Result = 0;
}

void TControl::CMCancelMode(TMessage& m)
{
    m.Result = 0;
}

void TControl::CMHintShow(TMessage& m)
{
    m.Result = 0;
}

void TControl::CMMouseWheel(TMessage& m)
{
    TShiftState shift = KeysToShiftState(LOWORD(m.WParam));
    int delta = static_cast<short>(HIWORD(m.WParam));
    if (DoMouseWheel(shift, delta, PointFromLParam(m.LParam))) {
        m.Result = 1;
        return;
    }
    m.Result = FParent ? FParent->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) : 0;
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    bool handled = false;
    if (!EventsAllowed()) return false;
    if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (!handled) {
        if (wheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
        else if (wheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
    }
    return handled;
}

void TControl::SendCancelMode(TControl* sender)
{
    for (TControl* c = this; c; c = c->Parent())
        if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SendCancelMode(sender);
}

void TControl::DefaultHandler(TMessage& m)
{
    // A graphic control has no window: answer the text messages from the caption.
    switch (m.Msg) {
    case WM_GETTEXTLENGTH:
        m.Result = static_cast<LRESULT>(FText.size());
        break;
    case WM_GETTEXT:
        if (m.WParam > 0 && m.LParam) {
            size_t n = std::min<size_t>(FText.size(), m.WParam - 1);
            auto* buf = reinterpret_cast<wchar_t*>(m.LParam);
            std::copy_n(FText.data(), n, buf);
            buf[n] = 0;
            m.Result = static_cast<LRESULT>(n);
        }
        break;
    case WM_SETTEXT:
        FText = m.LParam ? reinterpret_cast<const wchar_t*>(m.LParam) : L"";
        m.Result = 1;
        break;
    default:
        break;
    }
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent) return;
    if (parent == this) throw EInvalidOperation(L"A control cannot have itself as its parent");
    if (parent) CompleteConstruction();
    if (FParent) FParent->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

TCustomForm* TControl::ParentForm() const
{
    return GetParentForm(this);
}

void TSizeConstraints::Apply(int& width, int& height) const
{
    if (MaxWidth > 0 && width > MaxWidth) width = MaxWidth;
    if (MaxHeight > 0 && height > MaxHeight) height = MaxHeight;
    if (MinWidth > 0 && width < MinWidth) width = MinWidth;
    if (MinHeight > 0 && height < MinHeight) height = MinHeight;
}

void TControl::SetConstraints(const TSizeConstraints& c)
{
    FConstraints = c;
    SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetAutoSize(bool on)
{
    if (on == FAutoSize) return;
    FAutoSize = on;
    if (on) AdjustSize();
}

void TControl::AdjustSize()
{
    if (!FAutoSize || HasState(csLoading) || HasState(csDestroying)) return;
    int w = FWidth, h = FHeight;
    if (CanAutoSize(w, h) && (w != FWidth || h != FHeight)) SetBounds(FLeft, FTop, w, h);
}

bool TControl::CanAutoSize(int&, int&)
{
    return false;
}

void TControl::SetBiDiMode(TBiDiMode mode)
{
    FParentBiDiMode = false;
    if (mode == FBiDiMode) return;
    FBiDiMode = mode;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool on)
{
    if (on == FParentBiDiMode) return;
    FParentBiDiMode = on;
    if (on && FParent) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::CMBiDiModeChanged(TMessage&)
{
    Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        TMessage b{CM_PARENTBIDIMODECHANGED, 0, 0, 0};
        for (TControl* c : std::vector<TControl*>(w->FControls)) c->WindowProc(b);
    }
}

void TControl::CMParentBiDiModeChanged(TMessage&)
{
    if (!FParentBiDiMode || !FParent || FParent->FBiDiMode == FBiDiMode) return;
    FBiDiMode = FParent->FBiDiMode;
    Perform(CM_BIDIMODECHANGED, 0, 0);
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const
{
    if (UseRightToLeftAlignment()) {
        if ((flags & (DT_RIGHT | DT_CENTER)) == DT_RIGHT) flags &= ~DT_RIGHT;
        else if ((flags & (DT_RIGHT | DT_CENTER)) == 0) flags |= DT_RIGHT;
    }
    if (UseRightToLeftReading()) flags |= DT_RTLREADING;
    return flags;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    FConstraints.Apply(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    InvalidateControl(FVisible, false);
    bool resized = width != FWidth || height != FHeight;
    UpdateBoundsRect(left, top, width, height);
    InvalidateControl(FVisible, false);
    RequestAlign();
    if (resized) Resize();
}

void TControl::UpdateBoundsRect(int left, int top, int width, int height)
{
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    // Anchor distances are taken from positions set by code, not from the parent's aligning.
    if (FParent && !(FParent->FControlState & csAligning)) {
        FAnchorBounds = Bounds(left, top, width, height);
        TRect pr = FParent->ClientRect();
        FAnchorParentSize = {pr.Width(), pr.Height()};
    }
}

TRect TControl::BoundsRect() const
{
    return Bounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetBoundsRect(const TRect& r)
{
    SetBounds(r.left, r.top, r.Width(), r.Height());
}

TRect TControl::ClientRect() const
{
    return {0, 0, FWidth, FHeight};
}

int TControl::ClientWidth() const
{
    return ClientRect().Width();
}

int TControl::ClientHeight() const
{
    return ClientRect().Height();
}

void TControl::SetClientSize(int w, int h)
{
    TRect cr = ClientRect();
    SetBounds(FLeft, FTop, FWidth - cr.Width() + w, FHeight - cr.Height() + h);
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent) return {FLeft, FTop};
    TPoint p = FParent->ClientOrigin();
    return {p.x + FLeft, p.y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    TPoint o = ClientOrigin();
    return {p.x + o.x, p.y + o.y};
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    TPoint o = ClientOrigin();
    return {p.x - o.x, p.y - o.y};
}

void TControl::SetAlign(TAlign a)
{
    if (a == FAlign) return;
    FAlign = a;
    if (a != alNone) FAnchors = akLeft | akTop;
    RequestAlign();
}

void TControl::SetAnchors(TAnchors a)
{
    FAnchors = a;
    if (FParent) UpdateBoundsRect(FLeft, FTop, FWidth, FHeight);
}

void TControl::RequestAlign()
{
    if (FParent && !HasState(csDestroying)) FParent->AlignControl(this);
}

void TControl::SetVisible(bool on)
{
    if (on == FVisible) return;
    VisibleChanging();
    FVisible = on;
    Perform(CM_VISIBLECHANGED, on ? 1 : 0, 0);
    RequestAlign();
}

bool TControl::Showing() const
{
    return FVisible && FParent && FParent->Showing();
}

void TControl::SetEnabled(bool on)
{
    if (on == FEnabled) return;
    FEnabled = on;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor c)
{
    if (c == FColor && !FParentColor) return;
    FColor = c;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool on)
{
    if (on == FParentColor) return;
    FParentColor = on;
    if (on && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont* font)
{
    if (font) FFont->Assign(font);
}

void TControl::SetParentFont(bool on)
{
    if (on == FParentFont) return;
    FParentFont = on;
    if (on && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*)
{
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

String TControl::GetText() const
{
    return FText;
}

void TControl::SetText(const String& s)
{
    if (s == GetText()) return;
    SetTextCore(s);
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetTextCore(const String& s)
{
    FText = s;
}

void TControl::SetShowHint(bool on)
{
    FShowHint = on;
    FParentShowHint = false;
}

void TControl::SetParentShowHint(bool on)
{
    FParentShowHint = on;
    if (on && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    FPopupMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TControl::SetCursor(TCursor c)
{
    FCursor = c;
    Perform(CM_CURSORCHANGED, 0, 0);
}

// ---- actions -----------------------------------------------------------------------------------

TBasicAction::~TBasicAction()
{
    const std::vector<TControl*> clients = FClients;
    for (TControl* c : clients) c->SetAction(nullptr);
}

void TBasicAction::SetEnabled(bool on)
{
    if (on == FEnabled) return;
    FEnabled = on;
    Changed();
}

void TBasicAction::Changed()
{
    const std::vector<TControl*> clients = FClients;
    for (TControl* c : clients) c->ActionChange(this, false);
}

bool TBasicAction::Execute()
{
    if (!OnExecute) return false;
    OnExecute(this);
    return true;
}

void TBasicAction::Update()
{
    if (OnUpdate) OnUpdate(this);
    const std::vector<TControl*> clients = FClients;
    for (TControl* c : clients) c->Perform(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::SetAction(TBasicAction* action)
{
    if (Action() == action) return;
    if (FActionLink) {
        auto& list = FActionLink->Action->FClients;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        delete FActionLink;
        FActionLink = nullptr;
        FControlStyle &= ~csActionClient;
    }
    if (!action) return;
    FActionLink = new TControlActionLink(this, action);
    action->FClients.push_back(this);
    FControlStyle |= csActionClient;
    ActionChange(action, true);
}

void TControl::ActionChange(TObject* sender, bool)
{
    if (auto* a = dynamic_cast<TBasicAction*>(sender); a && a == Action()) SetEnabled(a->Enabled());
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FPopupMenu) FPopupMenu = nullptr;
    if (operation == TOperation::opRemove && component == FHostDockSite) FHostDockSite = nullptr;
}

// ---- docking -----------------------------------------------------------------------------------

void TControl::Dock(TWinControl* NewDockSite, const TRect& ARect)
{
    if (!NewDockSite) throw EInvalidOperation(L"A control cannot be docked on nothing");
    if (NewDockSite == this) throw EInvalidOperation(L"A control cannot be docked on itself");
    FControlState |= csDocking;
    try {
        NewDockSite->DoAddDockClient(this, ARect);
    } catch (...) {
        FControlState &= ~csDocking;
        throw;
    }
    FControlState &= ~csDocking;
    if (FHostDockSite != NewDockSite) {
        if (FHostDockSite) RemoveFreeNotification(FHostDockSite);
        FHostDockSite = NewDockSite;
        FreeNotification(NewDockSite);
    }
}

bool TControl::ManualDock(TWinControl* NewDockSite, const TRect& DockRect)
{
    if (!NewDockSite || NewDockSite == this || !NewDockSite->DockSite()) return false;
    TDragDockObject dock{this, DockRect};
    NewDockSite->Perform(CM_DOCKCLIENT, 0, reinterpret_cast<LPARAM>(&dock));
    for (const TControl* p = FParent; p; p = p->FParent)
        if (p == NewDockSite) return true;
    return false;
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque)
{
    if (!isVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT r = BoundsRect();
    InvalidateRect(FParent->Handle(), &r, isOpaque ? FALSE : TRUE);
}

void TControl::Invalidate()
{
    InvalidateControl(FVisible, (FControlStyle & csOpaque) != 0);
}

void TControl::Repaint()
{
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    Invalidate();
    UpdateWindow(FParent->Handle());
}

void TControl::Update()
{
    if (FParent) FParent->Update();
}

void TControl::BringToFront()
{
    if (!FParent) return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        list.erase(it);
        list.push_back(this);
    }
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent) return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        list.erase(it);
        list.insert(list.begin(), this);
    }
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

bool TControl::MouseCapture() const
{
    if (auto* w = dynamic_cast<const TWinControl*>(this)) return w->HandleAllocated() && GetCapture() == w->ExistingHandle();
    return FParent && FParent->FCaptureControl == this && GetCapture() == FParent->ExistingHandle();
}

void TControl::SetMouseCapture(bool on)
{
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        if (on) {
            if (w->HandleAllocated()) SetCapture(w->Handle());
        } else if (w->HandleAllocated() && GetCapture() == w->Handle()) {
            ReleaseCapture();
        }
        return;
    }
    if (!FParent || !FParent->HandleAllocated()) return;
    if (on) {
        FParent->FCaptureControl = this;
        SetCapture(FParent->Handle());
    } else if (FParent->FCaptureControl == this) {
        FParent->FCaptureControl = nullptr;
        if (GetCapture() == FParent->Handle()) ReleaseCapture();
    }
}

void TControl::ScaleForPPI(int newPPI)
{
    if (newPPI <= 0 || newPPI == FCurrentPPI) return;
    ChangeScale(newPPI, FCurrentPPI, true);
}

namespace {
// Set while a layout is scaled whose fonts are already at the target PPI.
thread_local bool gKeepFontHeights = false;
}  // namespace

void TControl::ScaleLayoutForPPI(int newPPI)
{
    struct Keep {
        bool old = gKeepFontHeights;
        Keep() { gKeepFontHeights = true; }
        ~Keep() { gKeepFontHeights = old; }
    } keep;
    ScaleForPPI(newPPI);
}

void TControl::ChangeScale(int m, int d, bool isDpiChange)
{
    if (m == d || d <= 0 || m <= 0) return;
    auto scaleLimit = [&](int& v) {
        if (v > 0) v = MulDiv(v, m, d);
    };
    scaleLimit(FConstraints.MinWidth);
    scaleLimit(FConstraints.MinHeight);
    scaleLimit(FConstraints.MaxWidth);
    scaleLimit(FConstraints.MaxHeight);
    if (!FParentFont && !gKeepFontHeights) FFont->SetHeight(MulDiv(FFont->Height(), m, d));
    if (isDpiChange) FCurrentPPI = MulDiv(FCurrentPPI, m, d);
    int l = MulDiv(FLeft, m, d), t = MulDiv(FTop, m, d);
    int w = MulDiv(FLeft + FWidth, m, d) - l, h = MulDiv(FTop + FHeight, m, d) - t;
    SetBounds(l, t, w, h);
}

void TControl::Click()
{
    if (OnClick && EventsAllowed()) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick && EventsAllowed()) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown && EventsAllowed()) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove && EventsAllowed()) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp && EventsAllowed()) OnMouseUp(this, button, shift, x, y);
}

void TControl::Resize()
{
    if (OnResize && EventsAllowed()) OnResize(this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor) Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (FParentFont) Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (FParentBiDiMode) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    }
    AdjustSize();
    RequestAlign();
}

void TControl::WMLButtonDown(TMessage& m)
{
    SendCancelMode(this);
    if (!(FControlStyle & csNoStdEvents)) {
        TPoint p = PointFromLParam(m.LParam);
        MouseDown(mbLeft, KeysToShiftState(m.WParam), p.x, p.y);
    }
    DefaultHandler(m);
}

void TControl::WMLButtonDblClk(TMessage& m)
{
    if (!(FControlStyle & csNoStdEvents)) {
        TPoint p = PointFromLParam(m.LParam);
        if (FControlStyle & csDoubleClicks) DblClick();
        MouseDown(mbLeft, KeysToShiftState(m.WParam) | ssDouble, p.x, p.y);
    }
    DefaultHandler(m);
}

void TControl::WMLButtonUp(TMessage& m)
{
    TPoint p = PointFromLParam(m.LParam);
    bool clicked = (FControlState & csClicked) != 0;
    FControlState &= ~csClicked;
    if (clicked && ClientRect().Contains(p)) Click();
    if (!(FControlStyle & csNoStdEvents)) MouseUp(mbLeft, KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::WMRButtonDown(TMessage& m)
{
    SendCancelMode(this);
    TPoint p = PointFromLParam(m.LParam);
    if (!(FControlStyle & csNoStdEvents)) MouseDown(mbRight, KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::WMRButtonUp(TMessage& m)
{
    TPoint p = PointFromLParam(m.LParam);
    if (!(FControlStyle & csNoStdEvents)) MouseUp(mbRight, KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::WMMButtonDown(TMessage& m)
{
    SendCancelMode(this);
    TPoint p = PointFromLParam(m.LParam);
    if (!(FControlStyle & csNoStdEvents)) MouseDown(mbMiddle, KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::WMMButtonUp(TMessage& m)
{
    TPoint p = PointFromLParam(m.LParam);
    if (!(FControlStyle & csNoStdEvents)) MouseUp(mbMiddle, KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::WMMouseMove(TMessage& m)
{
    if (!(FControlStyle & csNoStdEvents)) {
        TPoint p = PointFromLParam(m.LParam);
        MouseMove(KeysToShiftState(m.WParam), p.x, p.y);
    }
    DefaultHandler(m);
}

void TControl::WMContextMenu(TMessage& m)
{
    // Screen position in LParam; -1,-1 comes from the keyboard.
    TPoint screen = PointFromLParam(m.LParam);
    bool fromKeyboard = screen.x == -1 && screen.y == -1;
    if (fromKeyboard) screen = ClientToScreen({FWidth / 2, FHeight / 2});
    bool handled = false;
    if (OnContextPopup && EventsAllowed()) OnContextPopup(this, ScreenToClient(screen), handled);
    if (handled) {
        m.Result = 1;
        return;
    }
    if (FPopupMenu && FPopupMenu->AutoPopup()) {
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(screen.x, screen.y);
        m.Result = 1;
        return;
    }
    DefaultHandler(m);
}

void TControl::CMMouseEnter(TMessage& m)
{
    // LParam names the control the mouse entered: this one, or a child passing the news up.
    if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
        FMouseInClient = true;
        // The parent hears first, so a graphic sibling the mouse came from leaves before this
        // control enters.
        if (FParent) FParent->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
        if (OnMouseEnter && EventsAllowed()) OnMouseEnter(this);
    } else if (FParent) {
        FParent->Perform(CM_MOUSEENTER, 0, m.LParam);
    }
}

void TControl::CMMouseLeave(TMessage& m)
{
    if (m.LParam == 0 || m.LParam == reinterpret_cast<LPARAM>(this)) {
        FMouseInClient = false;
        if (OnMouseLeave && EventsAllowed()) OnMouseLeave(this);
        if (FParent) FParent->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
    } else if (FParent) {
        FParent->Perform(CM_MOUSELEAVE, 0, m.LParam);
    }
}

void TControl::CMEnabledChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&)
{
    InvalidateControl(true, FVisible && (FControlStyle & csOpaque));
}

void TControl::CMTextChanged(TMessage&)
{
    Invalidate();
    AdjustSize();
}

void TControl::CMFontChanged(TMessage&)
{
    Invalidate();
    AdjustSize();
}

void TControl::CMColorChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!FParentFont || !FParent) return;
    // Take the parent's font without losing ParentFont (Assign fires our OnChange).
    FFont->OnChange = nullptr;
    FFont->Assign(FParent->Font());
    FFont->OnChange = Bind<&TControl::FontChanged>(this);
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!FParentColor || !FParent) return;
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (FParentShowHint && FParent) FShowHint = FParent->ShowHint();
}

void TControl::CMHitTest(TMessage& m)
{
    m.Result = 1;   // HTCLIENT-like: the whole rectangle counts
}

// ================================================================================================
// TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner)
{
    InitCommonControlsOnce();
    EnsureKeyRouter();
    FColor = clBtnFace;
}

TWinControl::~TWinControl()
{
    Destroying();
    // Out of the parent's tab order now: once this part is gone, the parent's removal no longer
    // knows the object as a windowed control, and the tab order would keep a dangling entry.
    if (FParent) {
        auto& tabs = FParent->FTabList;
        tabs.erase(std::remove(tabs.begin(), tabs.end(), this), tabs.end());
    }
    // Only an object that skipped BeforeDestruction (one on the stack) still has its window.
    // Its derived parts are gone: the window is handed back to its native procedure before it
    // is destroyed, so no message reaches a handler of this half-destroyed object.
    if (FHandle) {
        for (TControl* c : std::vector<TControl*>(FControls))
            if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
        HWND h = FHandle;
        RemovePropW(h, kControlProp);
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc ? FDefWndProc : DefWindowProcW));
        FHandle = nullptr;
        DestroyWindow(h);
    }
    if (FControlId) ControlIds().Release(FControlId);
    FControlId = 0;
    // Children that are not owned by anyone here lose their parent.
    while (!FControls.empty()) FControls.back()->SetParent(nullptr);
    if (FBrush) DeleteObject(FBrush);
}

void TWinControl::BeforeDestruction()
{
    Destroying();
    DestroyHandle();
    TControl::BeforeDestruction();
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    // While the window is being made, asking again must not start a second one.
    if (FHandle || (FControlState & csCreating)) return;
    if (FParent) FParent->HandleNeeded();
    if (!FHandle && !(FControlState & csCreating)) CreateHandle();
}

void TWinControl::SetParentWindow(HWND wnd)
{
    if (FParent || wnd == FParentWindow) return;
    FParentWindow = wnd;
    if (FHandle) {
        if (wnd) ::SetParent(FHandle, wnd);
        else RecreateWnd();
    }
}

void TWinControl::CreateParams(TCreateParams& p)
{
    p.Caption = FText;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle & csAcceptsControls) p.Style |= WS_CLIPCHILDREN;
    if (FVisible) p.Style |= WS_VISIBLE;
    if (!FEnabled) p.Style |= WS_DISABLED;
    if (FTabStop) p.Style |= WS_TABSTOP;
    if (UseRightToLeftReading()) p.ExStyle |= WS_EX_RTLREADING;
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    if (FParent) p.WndParent = FParent->Handle();
    else p.WndParent = FParentWindow;
    if (!p.WndParent) p.Style = (p.Style & ~WS_CHILD) | WS_POPUP;
    p.WindowClass.cbSize = sizeof(WNDCLASSEXW);
    p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    p.WindowClass.lpfnWndProc = DefWindowProcW;
    p.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    p.WindowClass.hbrBackground = nullptr;
    p.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& p, const wchar_t* nativeClass)
{
    WNDCLASSEXW native{};
    native.cbSize = sizeof(native);
    if (!GetClassInfoExW(ModuleInstance(), nativeClass, &native) && !GetClassInfoExW(nullptr, nativeClass, &native))
        throw EOSError(String(L"Window class not found: ") + nativeClass, GetLastError());
    p.WindowClass.style = native.style & ~CS_GLOBALCLASS;
    p.WindowClass.lpfnWndProc = native.lpfnWndProc;
    p.WindowClass.cbClsExtra = native.cbClsExtra;
    p.WindowClass.cbWndExtra = native.cbWndExtra;
    p.WindowClass.hCursor = native.hCursor;
    p.WindowClass.hbrBackground = native.hbrBackground;
    FOwnPaint = false;
}

void TWinControl::CreateWindowHandle(const TCreateParams& p)
{
    HINSTANCE inst = ModuleInstance();
    FDefWndProc = p.WindowClass.lpfnWndProc ? p.WindowClass.lpfnWndProc : DefWindowProcW;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    bool registered = GetClassInfoExW(inst, p.WinClassName.c_str(), &existing) != 0;
    if (registered && existing.lpfnWndProc != ControlWndProc) {
        UnregisterClassW(p.WinClassName.c_str(), inst);
        registered = false;
    }
    if (!registered) {
        WNDCLASSEXW wc = p.WindowClass;
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ControlWndProc;
        wc.hInstance = inst;
        wc.lpszClassName = p.WinClassName.c_str();
        if (!RegisterClassExW(&wc)) throw EOSError(L"Cannot register window class " + p.WinClassName, GetLastError());
    }
    HMENU id = p.Menu;
    if (!id && (p.Style & WS_CHILD)) {
        if (!FControlId) FControlId = ControlIds().Allocate();
        id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FControlId));
    }
    TWinControl* saved = tCreatingControl;
    tCreatingControl = this;
    HWND h = nullptr;
    try {
        h = MakeWindow(p, id);
    } catch (...) {
        tCreatingControl = saved;
        throw;
    }
    tCreatingControl = saved;
    if (!h) {
        DWORD err = GetLastError();
        if (FControlId) ControlIds().Release(FControlId);
        FControlId = 0;
        throw EOSError(L"Error creating window " + p.WinClassName + L" (" + IntToStr(err) + L")", err);
    }
    if (!FHandle) {
        // The window answered no message before CreateWindowEx returned (cannot happen with
        // the system's classes, but be safe).
        FHandle = h;
        SetPropW(h, kControlProp, this);
    }
}

HWND TWinControl::MakeWindow(const TCreateParams& p, HMENU id)
{
    return CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                           p.WndParent, id, ModuleInstance(), p.Param);
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    CreateWindowHandle(p);
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
}

void TWinControl::CreateHandle()
{
    if (FHandle) return;
    // A child's window needs its parent's. A parent whose window is still being made (a hook
    // of its creation asking for the child) has none yet: the child's window then comes with
    // the parent's, in the loop below, instead of as a top-level window of its own now.
    if (FParent && !FParent->FHandle) {
        FParent->HandleNeeded();
        if (FHandle || !FParent->FHandle) return;
    }
    // A parentless window (a form) is first made after its constructor has finished.
    if (!FParent) CompleteConstruction();
    FControlState |= csCreating;
    try {
        CreateWnd();
    } catch (...) {
        FControlState &= ~csCreating;
        throw;
    }
    FControlState &= ~csCreating;
    // Windowed children get their windows with their parent, in z order.
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
    ShowControl();
    Realign();
    // A child made inside a showing parent is showing from its first moment.
    if (FParent) {
        bool showing = Showing();
        if (showing != FShowing) {
            FShowing = showing;
            Perform(CM_SHOWINGCHANGED, 0, 0);
        }
    }
}

void TWinControl::DestroyWindowHandle()
{
    if (FHandle) DestroyWindow(FHandle);
    FHandle = nullptr;
}

void TWinControl::DestroyWnd()
{
    // The window text outlives the window.
    if (FHandle) {
        int n = GetWindowTextLengthW(FHandle);
        String s(static_cast<size_t>(n), L'\0');
        if (n > 0) GetWindowTextW(FHandle, s.data(), n + 1);
        FText = s;
    }
    DestroyWindowHandle();
}

void TWinControl::DestroyHandle()
{
    if (!FHandle) return;
    FControlState |= csDestroyingHandle;
    for (TControl* c : std::vector<TControl*>(FControls))
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
    FControlState &= ~csDestroyingHandle;
}

void TWinControl::RecreateWnd()
{
    if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage& m)
{
    m.Result = 0;
    if (!FHandle) return;
    FControlState |= csRecreating;
    bool hadFocus = Focused();
    DestroyHandle();
    HandleNeeded();
    FControlState &= ~csRecreating;
    if (hadFocus && CanFocus()) ::SetFocus(FHandle);
}

void TWinControl::InsertControl(TControl* control)
{
    if (!control || control->FParent == this) return;
    FControls.push_back(control);
    control->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(control)) FTabList.push_back(w);
    if (control->FParentColor) control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (control->FParentFont) control->Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (control->FParentShowHint) control->FShowHint = FShowHint;
    if (control->FParentBiDiMode) control->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    control->UpdateBoundsRect(control->FLeft, control->FTop, control->FWidth, control->FHeight);
    if (auto* w = dynamic_cast<TWinControl*>(control); w && FHandle) w->CreateHandle();
    if (FHandle) control->Invalidate();
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
    AlignControl(control);
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it == FControls.end()) return;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
    if (FMouseControl == control) FMouseControl = nullptr;
    if (FCaptureControl == control) FCaptureControl = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        w->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
    } else {
        control->Invalidate();
    }
    FControls.erase(std::find(FControls.begin(), FControls.end(), control));
    control->FParent = nullptr;
    if (!HasState(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const
{
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (TControl* c : std::vector<TControl*>(FControls)) {
        c->WindowProc(message);
        if (message.Result != 0) return;
    }
}

void TWinControl::SetChildOrder(TControl* child, int order)
{
    auto it = std::find(FControls.begin(), FControls.end(), child);
    if (it == FControls.end()) return;
    FControls.erase(it);
    order = std::clamp(order, 0, static_cast<int>(FControls.size()));
    FControls.insert(FControls.begin() + order, child);
    auto* w = dynamic_cast<TWinControl*>(child);
    if (!w || !w->HandleAllocated()) return;
    // The list runs from the bottom of the z order to its top: the window goes just below the
    // nearest windowed sibling above it.
    HWND after = HWND_TOP;
    for (size_t i = static_cast<size_t>(order) + 1; i < FControls.size(); ++i)
        if (auto* above = dynamic_cast<TWinControl*>(FControls[i]); above && above->HandleAllocated()) {
            after = above->Handle();
            break;
        }
    SetWindowPos(w->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    child->Invalidate();
}

TControl* TWinControl::ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !allowWinControls) continue;
        if (!c->Visible() || (!c->Enabled() && !allowDisabled)) continue;
        if (!c->BoundsRect().Contains(pos)) continue;
        // A control may take only part of its rectangle (a thin line, a round shape).
        if (c->Perform(CM_HITTEST, 0, LParamFromPoint({pos.x - c->Left(), pos.y - c->Top()})) != 0) return c;
    }
    return nullptr;
}

bool TWinControl::Focused() const
{
    return FHandle && GetFocus() == FHandle;
}

bool TWinControl::CanFocus() const
{
    TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c; c = c->Parent()) {
        if (c == form) break;
        if (!c->Visible() || !c->Enabled()) return false;
    }
    return form->Visible() && form->Enabled();
}

void TWinControl::SetFocus()
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this) {
        form->FocusControl(this);
        return;
    }
    if (Showing() || HandleAllocated()) ::SetFocus(Handle());
}

void TWinControl::SetBorderWidth(int width)
{
    width = std::max(0, width);
    if (width == FBorderWidth) return;
    FBorderWidth = width;
    if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Realign();
    Invalidate();
}

void TWinControl::WMNCCalcSize(TMessage& m)
{
    DefaultHandler(m);
    if (FBorderWidth > 0 && m.LParam) {
        // The first rectangle is the proposed client area in both forms of the message.
        auto* r = reinterpret_cast<RECT*>(m.LParam);
        InflateRect(r, -FBorderWidth, -FBorderWidth);
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
    }
}

void TWinControl::WMNCPaint(TMessage& m)
{
    DefaultHandler(m);
    if (FBorderWidth <= 0 || !FHandle) return;
    // The band between the frame and the client area, in the control's colour.
    RECT cr = ClientAreaInWindow(FHandle);
    RECT band = cr;
    InflateRect(&band, FBorderWidth, FBorderWidth);
    HDC dc = GetWindowDC(FHandle);
    if (!dc) return;
    TSavedDC saved(dc);
    ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
    FillRect(dc, &band, BrushHandle());
    ReleaseDC(FHandle, dc);
}

void TWinControl::SetTabStop(bool on)
{
    if (on == FTabStop) return;
    FTabStop = on;
    if (FHandle) {
        LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
        SetWindowLongPtrW(FHandle, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

int TWinControl::TabOrder() const
{
    if (!FParent) return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!FParent) return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (order < 0 || order > static_cast<int>(list.size())) order = static_cast<int>(list.size());
    list.insert(list.begin() + order, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : FTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[i] == current) start = i;
    if (start < 0) start = goForward ? n - 1 : 0;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[i];
        if (c == current) break;
        bool ok = c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this);
        if (ok) return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, false)) c->SetFocus();
}

void TWinControl::SetDoubleBuffered(bool on)
{
    FDoubleBuffered = on;
    Invalidate();
}

void TWinControl::SetParentBackground(bool on)
{
    if (on) FControlStyle |= csParentBackground;
    else FControlStyle &= ~csParentBackground;
    Invalidate();
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    if (!HandleAllocated()) return;
    // csPaintCopy for the time of this call (also when painting throws).
    struct TPaintCopy {
        TControlState& state;
        bool had;
        explicit TPaintCopy(TControlState& s) : state(s), had((s & csPaintCopy) != 0) { state |= csPaintCopy; }
        ~TPaintCopy()
        {
            if (!had) state &= ~csPaintCopy;
        }
    } copy(FControlState);
    TSavedDC saved(dc);
    POINT old;
    OffsetViewportOrgEx(dc, x, y, &old);
    IntersectClipRect(dc, 0, 0, FWidth, FHeight);
    // Non-client area first (borders), then the client area at its offset.
    SendMessageW(FHandle, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
    RECT wr, cr;
    GetWindowRect(FHandle, &wr);
    POINT co{0, 0};
    ::ClientToScreen(FHandle, &co);
    GetClientRect(FHandle, &cr);
    int cx = co.x - wr.left, cy = co.y - wr.top;
    {
        TSavedDC inner(dc);
        OffsetViewportOrgEx(dc, cx, cy, nullptr);
        IntersectClipRect(dc, 0, 0, cr.right, cr.bottom);
        SendMessageW(FHandle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageW(FHandle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    // Windowed children, bottom of the z order first.
    for (TControl* c : std::vector<TControl*>(FControls)) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->Visible() || !w->HandleAllocated()) continue;
        w->PaintTo(dc, cx + w->Left(), cy + w->Top());
    }
}

void TWinControl::WMDropFiles(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0) Realign();
}

void TWinControl::Realign()
{
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* control)
{
    if (FAlignLevel > 0 || (FControlState & csAligning) || HasState(csDestroying)) return;
    FControlState |= csAligning;
    try {
        TRect r = ClientRect();
        AlignControls(control, r);
    } catch (...) {
        FControlState &= ~csAligning;
        throw;
    }
    FControlState &= ~csAligning;
}

void TWinControl::AlignControls(TControl* control, TRect& rect)
{
    TRect pr = ClientRect();
    // Anchored controls follow the parent's size: a right or bottom anchor keeps the distance
    // to that edge, both anchors of an axis stretch.
    for (TControl* c : FControls) {
        if (c->FAlign != alNone || !c->FVisible) continue;
        if (c->FAnchorParentSize.x == 0 && c->FAnchorParentSize.y == 0) continue;
        TRect a = c->FAnchorBounds;
        int dw = pr.Width() - c->FAnchorParentSize.x, dh = pr.Height() - c->FAnchorParentSize.y;
        int l = a.left, t = a.top, w = a.Width(), h = a.Height();
        if (c->FAnchors & akRight) {
            if (c->FAnchors & akLeft) w += dw;
            else l += dw;
        }
        if (c->FAnchors & akBottom) {
            if (c->FAnchors & akTop) h += dh;
            else t += dh;
        }
        if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight) c->SetBounds(l, t, w, h);
    }
    // Aligned controls: top, bottom, left, right, then client, each group in position order
    // (the control being placed wins ties, so it lands where it was put).
    static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->FAlign == a && c->FVisible) list.push_back(c);
        auto key = [a](TControl* c) {
            switch (a) {
            case alTop: return c->FTop;
            case alBottom: return -(c->FTop + c->FHeight);
            case alLeft: return c->FLeft;
            case alRight: return -(c->FLeft + c->FWidth);
            default: return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
            int kx = key(x), ky = key(y);
            if (kx != ky) return kx < ky;
            return x == control && y != control;
        });
        for (TControl* c : list) {
            int w = c->FWidth, h = c->FHeight;
            switch (a) {
            case alTop:
                c->SetBounds(rect.left, rect.top, rect.Width(), h);
                rect.top += h;
                break;
            case alBottom:
                c->SetBounds(rect.left, rect.bottom - h, rect.Width(), h);
                rect.bottom -= h;
                break;
            case alLeft:
                c->SetBounds(rect.left, rect.top, w, rect.Height());
                rect.left += w;
                break;
            case alRight:
                c->SetBounds(rect.right - w, rect.top, w, rect.Height());
                rect.right -= w;
                break;
            default:
                c->SetBounds(rect.left, rect.top, rect.Width(), rect.Height());
                break;
            }
        }
    }
}

TRect TWinControl::ClientRect() const
{
    if (FHandle) {
        RECT r;
        GetClientRect(FHandle, &r);
        return r;
    }
    TRect r = TControl::ClientRect();
    r.Inflate(-FBorderWidth, -FBorderWidth);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

TPoint TWinControl::ClientOrigin() const
{
    if (FHandle) {
        POINT p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

bool TWinControl::Showing() const
{
    if (!FVisible) return false;
    if (FParent) return FParent->Showing();
    return FHandle && IsWindowVisible(FHandle);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    FConstraints.Apply(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    if (FHandle && !IsIconic(FHandle)) {
        // WM_WINDOWPOSCHANGED brings the new bounds back into the fields.
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        if (FLeft != left || FTop != top || FWidth != width || FHeight != height)
            UpdateBoundsRect(left, top, width, height);
    } else {
        bool resized = width != FWidth || height != FHeight;
        UpdateBoundsRect(left, top, width, height);
        if (resized) {
            Realign();
            Resize();
        }
    }
    RequestAlign();
}

void TWinControl::ChangeScale(int m, int d, bool isDpiChange)
{
    if (m == d || d <= 0 || m <= 0) return;
    // The children are laid out once, after everything has its new size.
    DisableAlign();
    try {
        FBorderWidth = MulDiv(FBorderWidth, m, d);
        TControl::ChangeScale(m, d, isDpiChange);
        for (TControl* c : std::vector<TControl*>(FControls)) c->ChangeScale(m, d, isDpiChange);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
}

void TWinControl::UpdateBoundsRect(int left, int top, int width, int height)
{
    TControl::UpdateBoundsRect(left, top, width, height);
}

void TWinControl::Invalidate()
{
    if (FHandle) InvalidateRect(FHandle, nullptr, (FControlStyle & csOpaque) ? FALSE : TRUE);
}

void TWinControl::Repaint()
{
    if (!FHandle) return;
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWinControl::Update()
{
    if (FHandle) UpdateWindow(FHandle);
}

HBRUSH TWinControl::BrushHandle()
{
    if (!FBrush || FBrushColor != FColor) {
        if (FBrush) DeleteObject(FBrush);
        FBrush = CreateSolidBrush(ColorToColorRef(FColor));
        FBrushColor = FColor;
    }
    return FBrush;
}

// ---- routing -----------------------------------------------------------------------------------

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_MOUSEMOVE: {
        // The window itself: one CM_MOUSEENTER when the mouse arrives, CM_MOUSELEAVE from
        // WM_MOUSELEAVE. Graphic children: the one under the mouse is tracked here.
        if (!FTrackingMouse && FHandle) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, FHandle, 0};
            if (TrackMouseEvent(&tme)) FTrackingMouse = true;
            Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
        }
        TPoint p = PointFromLParam(m.LParam);
        TControl* under = FCaptureControl ? FCaptureControl : ControlAtPos(p, true);
        if (under != FMouseControl) {
            TControl* old = FMouseControl;
            FMouseControl = under;
            if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
            if (under) under->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(under));
        }
        break;
    }
    case WM_MOUSELEAVE:
        FTrackingMouse = false;
        if (FMouseControl) {
            TControl* old = FMouseControl;
            FMouseControl = nullptr;
            old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
        }
        Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
        break;
    default:
        break;
    }
    // Mouse messages over a graphic child (or captured by one) belong to that child.
    if ((m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL && m.Msg != WM_MOUSEHWHEEL)) {
        TPoint p = PointFromLParam(m.LParam);
        TControl* target = FCaptureControl;
        if (!target) {
            target = ControlAtPos(p, false);
        } else if (GetCapture() != FHandle) {
            FCaptureControl = nullptr;
            target = ControlAtPos(p, false);
        }
        if (target) {
            TPoint cp{p.x - target->Left(), p.y - target->Top()};
            m.Result = target->Perform(m.Msg, m.WParam, LParamFromPoint(cp));
            return;
        }
    }
    TControl::WndProc(m);
}

void TWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: WMPaint(m); break;
    case WM_ERASEBKGND: WMEraseBkgnd(m); break;
    case WM_PRINTCLIENT: WMPrintClient(m); break;
    case WM_COMMAND: WMCommand(m); break;
    case WM_NOTIFY: WMNotify(m); break;
    case WM_DRAWITEM: WMDrawItem(m); break;
    case WM_MEASUREITEM: WMMeasureItem(m); break;
    case WM_COMPAREITEM: WMCompareItem(m); break;
    case WM_DELETEITEM: WMDeleteItem(m); break;
    case WM_HSCROLL:
    case WM_VSCROLL: WMScroll(m); break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(m); break;
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM: WMCharToItem(m); break;
    case WM_SIZE: WMSize(m); break;
    case WM_MOVE: WMMove(m); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); break;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_SETCURSOR: WMSetCursor(m); break;
    case WM_MOUSELEAVE: WMMouseLeave(m); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(m); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(m); break;
    case WM_CHAR: WMChar(m); break;
    case WM_NCDESTROY: WMNCDestroy(m); break;
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(m); break;
    case CN_KEYUP:
    case CN_BASE + WM_SYSKEYUP: CNKeyUp(m); break;
    case CN_CHAR:
    case CN_SYSCHAR: CNChar(m); break;
    case CM_DIALOGKEY: CMDialogKey(m); break;
    case CM_DIALOGCHAR: CMDialogChar(m); break;
    case CM_ENTER: CMEnter(m); break;
    case CM_EXIT: CMExit(m); break;
    case CM_FOCUSCHANGED: CMFocusChanged(m); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(m); break;
    case CM_CHILDKEY: CMChildKey(m); break;
    case CM_RECREATEWND: CMRecreateWnd(m); break;
    case WM_MOUSEWHEEL: WMMouseWheel(m); break;
    case WM_NCCALCSIZE: WMNCCalcSize(m); break;
    case WM_NCPAINT: WMNCPaint(m); break;
    case WM_DROPFILES: WMDropFiles(m); break;
    case CM_DOCKCLIENT: CMDockClient(m); break;
    default: TControl::Dispatch(m); break;
    }
}

void TWinControl::CMDockClient(TMessage& m)
{
    m.Result = 0;
    auto* dock = reinterpret_cast<TDragDockObject*>(m.LParam);
    if (FDockSite && dock && dock->Control) dock->Control->Dock(this, dock->DockRect);
}

void TWinControl::DoAddDockClient(TControl* Client, const TRect& ARect)
{
    // The bounds first, so the client does not show for a moment at its old place.
    if (!ARect.IsEmpty()) Client->SetBoundsRect(ARect);
    Client->SetParent(this);
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (!FHandle) {
        TControl::DefaultHandler(m);
        return;
    }
    m.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, m.Msg, m.WParam, m.LParam);
}

// ---- painting ----------------------------------------------------------------------------------

void TWinControl::PaintWindow(HDC dc)
{
    if (FOwnPaint) return;
    // A native control paints into the DC it is given.
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    bool started = first == nullptr;
    for (TControl* c : FControls) {
        if (!started) {
            started = c == first;
            if (!started) continue;
        }
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT clip;
        TRect r = c->BoundsRect();
        if (GetClipBox(dc, &clip) != NULLREGION && !TRect(clip).IntersectsWith(r)) continue;
        TSavedDC saved(dc);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        IntersectClipRect(dc, 0, 0, r.Width(), r.Height());
        // A copy of this control is a copy of its graphic children too.
        bool copy = (FControlState & csPaintCopy) && !(c->FControlState & csPaintCopy);
        if (copy) c->FControlState |= csPaintCopy;
        try {
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        } catch (...) {
            if (copy) c->FControlState &= ~csPaintCopy;
            throw;
        }
        if (copy) c->FControlState &= ~csPaintCopy;
    }
}

void TWinControl::PaintHandler(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (dc) {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
    }
    TPaintScope paint(FHandle);
    dc = paint.DC();
    if (!FDoubleBuffered) {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
        return;
    }
    RECT cr;
    GetClientRect(FHandle, &cr);
    TMemoryDC buffer(dc, cr.right, cr.bottom);
    HDC mem = buffer.DC();
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
    PaintWindow(mem);
    PaintControls(mem, nullptr);
    BitBlt(dc, 0, 0, cr.right, cr.bottom, mem, 0, 0, SRCCOPY);
}

void TWinControl::WMPaint(TMessage& m)
{
    bool hasGraphic = false;
    for (TControl* c : FControls)
        if (!dynamic_cast<TWinControl*>(c)) hasGraphic = true;
    if (!FOwnPaint && !hasGraphic && !FDoubleBuffered && !(FControlState & csCustomPaint)) {
        DefaultHandler(m);
        return;
    }
    PaintHandler(m);
}

void TWinControl::WMEraseBkgnd(TMessage& m)
{
    if (!FOwnPaint) {
        DefaultHandler(m);
        return;
    }
    if (FDoubleBuffered && m.WParam != static_cast<WPARAM>(m.LParam)) {
        // The buffered paint erases into its memory DC.
        m.Result = 1;
        return;
    }
    RECT r;
    GetClientRect(FHandle, &r);
    FillRect(reinterpret_cast<HDC>(m.WParam), &r, BrushHandle());
    m.Result = 1;
}

void TWinControl::WMPrintClient(TMessage& m)
{
    if (FOwnPaint || !FControls.empty()) {
        TMessage p{WM_PAINT, m.WParam, 0, 0};
        PaintHandler(p);
        m.Result = 0;
        return;
    }
    DefaultHandler(m);
}

// ---- reflection ----------------------------------------------------------------------------

namespace {

// Hands a notification back to the child control it came from as CN_BASE + msg. False when
// the sender is not one of our controls, or is the receiver itself (its own messages are not
// notifications).
bool ReflectToChild(TWinControl* receiver, TWinControl* child, TMessage& m)
{
    if (!child || child == receiver) return false;
    m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

bool ReflectToChild(TWinControl* receiver, HWND child, TMessage& m)
{
    return ReflectToChild(receiver, FindControl(child), m);
}

}  // namespace

void TWinControl::WMCommand(TMessage& m)
{
    if (m.LParam) {
        if (ReflectToChild(this, reinterpret_cast<HWND>(m.LParam), m)) return;
    } else if (HIWORD(m.WParam) == 0) {
        // A menu command: the item with this id fires.
        if (TMenuItem* item = TMenuItem::FindByCommand(LOWORD(m.WParam))) {
            item->Click();
            m.Result = 0;
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WMNotify(TMessage& m)
{
    auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
    if (hdr && ReflectToChild(this, hdr->hwndFrom, m)) return;
    DefaultHandler(m);
}

void TWinControl::WMDrawItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (dis) {
        if (dis->CtlType == ODT_MENU) {
            if (TMenuItem* item = TMenuItem::FindByCommand(dis->itemID)) {
                item->DoDrawItem(*dis);
                m.Result = 1;
                return;
            }
        } else if (ReflectToChild(this, dis->hwndItem, m)) {
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WMMeasureItem(TMessage& m)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (mis) {
        if (mis->CtlType == ODT_MENU) {
            if (TMenuItem* item = TMenuItem::FindByCommand(mis->itemID)) {
                item->DoMeasureItem(*mis);
                m.Result = 1;
                return;
            }
        } else {
            // The id names the child; a combo box measures from inside its own creation, when
            // its window is not yet known, but its id is already its own.
            TWinControl* c = nullptr;
            for (TControl* child : FControls)
                if (auto* w = dynamic_cast<TWinControl*>(child); w && w->FControlId != 0 && w->FControlId == mis->CtlID) {
                    c = w;
                    break;
                }
            if (ReflectToChild(this, c, m)) return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WMCompareItem(TMessage& m)
{
    auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(m.LParam);
    if (cis && ReflectToChild(this, cis->hwndItem, m)) return;
    DefaultHandler(m);
}

void TWinControl::WMDeleteItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(m.LParam);
    if (dis && ReflectToChild(this, dis->hwndItem, m)) return;
    DefaultHandler(m);
}

// Scroll, colour and list-key messages name their sender in LParam.
void TWinControl::WMScroll(TMessage& m)
{
    if (!ReflectToChild(this, reinterpret_cast<HWND>(m.LParam), m)) DefaultHandler(m);
}

void TWinControl::WMCtlColor(TMessage& m)
{
    if (!ReflectToChild(this, reinterpret_cast<HWND>(m.LParam), m)) DefaultHandler(m);
}

void TWinControl::WMCharToItem(TMessage& m)
{
    if (!ReflectToChild(this, reinterpret_cast<HWND>(m.LParam), m)) DefaultHandler(m);
}

// ---- size, focus, keys ---------------------------------------------------------------------

void TWinControl::WMWindowPosChanged(TMessage& m)
{
    DefaultHandler(m);   // sends WM_SIZE and WM_MOVE
    auto* wp = reinterpret_cast<WINDOWPOS*>(m.LParam);
    if (!wp || !FHandle || IsIconic(FHandle)) return;
    RECT r;
    GetWindowRect(FHandle, &r);
    HWND parent = GetParent(FHandle);
    if (parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD)) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    int w = r.right - r.left, h = r.bottom - r.top;
    bool resized = w != FWidth || h != FHeight;
    if (r.left != FLeft || r.top != FTop || resized) {
        UpdateBoundsRect(r.left, r.top, w, h);
        if (resized) {
            Realign();
            Resize();
            RequestAlign();
        }
    }
}

void TWinControl::WMSize(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMMove(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMSetFocus(TMessage& m)
{
    DefaultHandler(m);
    if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMSetCursor(TMessage& m)
{
    if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == FHandle) {
        TCursor cur = FCursor;
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        if (TControl* c = ControlAtPos(TPoint(p), false); c && c->Cursor() != crDefault) cur = c->Cursor();
        if (cur != crDefault) {
            ::SetCursor(Screen ? Screen->Cursors(cur) : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
            m.Result = 1;
            return;
        }
    }
    DefaultHandler(m);
}

void TWinControl::WMMouseLeave(TMessage& m)
{
    DefaultHandler(m);
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(m)) return true;
    WORD key = static_cast<WORD>(m.WParam);
    TShiftState shift = KeyboardStateToShiftState();
    if (!(FControlStyle & csNoStdEvents)) {
        KeyDown(key, shift);
        if (key == 0) return true;
        m.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(m)) return true;
    WORD key = static_cast<WORD>(m.WParam);
    if (!(FControlStyle & csNoStdEvents)) {
        KeyUp(key, KeyboardStateToShiftState());
        if (key == 0) return true;
        m.WParam = key;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(m)) return true;
    wchar_t ch = static_cast<wchar_t>(m.WParam);
    if (!(FControlStyle & csNoStdEvents)) {
        KeyPress(ch);
        if (ch == 0) return true;
        m.WParam = ch;
    }
    return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown && EventsAllowed()) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp && EventsAllowed()) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress && EventsAllowed()) OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& m)
{
    if (!DoKeyDown(m)) DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m)
{
    if (!DoKeyUp(m)) DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m)
{
    if (!DoKeyPress(m)) DefaultHandler(m);
}

void TWinControl::WMGetDlgCode(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::CNKeyDown(TMessage& m)
{
    m.Result = 1;
    WORD key = static_cast<WORD>(m.WParam);
    // Menu shortcuts of the form come first.
    if (TCustomForm* form = GetParentForm(this); form && form->Menu() &&
                                                 (KeyboardStateToShiftState() & (ssCtrl | ssAlt)) != 0 &&
                                                 form->Menu()->IsShortCut(key, KeyboardStateToShiftState()))
        return;
    if (Perform(CM_CHILDKEY, m.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
    LRESULT mask = 0;
    switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
        if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
    }
    m.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& m)
{
    m.Result = 0;
}

void TWinControl::CNChar(TMessage& m)
{
    m.Result = 1;
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
        if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
            return;
    }
    m.Result = 0;
}

void TWinControl::CMChildKey(TMessage& m)
{
    if (FParent) m.Result = FParent->Perform(CM_CHILDKEY, m.WParam, m.LParam);
}

void TWinControl::CMDialogKey(TMessage& m)
{
    Broadcast(m);
}

void TWinControl::CMDialogChar(TMessage& m)
{
    Broadcast(m);
}

void TWinControl::DoEnter()
{
    if (OnEnter && EventsAllowed()) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit && EventsAllowed()) OnExit(this);
}

void TWinControl::CMEnter(TMessage&)
{
    DoEnter();
}

void TWinControl::CMExit(TMessage&)
{
    DoExit();
}

void TWinControl::CMFocusChanged(TMessage& m)
{
    Broadcast(m);
}

void TWinControl::CMShowingChanged(TMessage&)
{
    if (!FHandle) return;
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (FVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& m)
{
    if (FVisible && FParent && FParent->HandleAllocated()) HandleNeeded();
    if (FHandle) {
        Perform(CM_SHOWINGCHANGED, m.WParam, 0);
        FShowing = Showing();
        UpdateChildrenShowing();
    }
}

void TWinControl::UpdateChildrenShowing()
{
    for (TControl* c : std::vector<TControl*>(FControls)) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->FHandle) continue;
        bool showing = w->Showing();
        if (showing != w->FShowing) {
            w->FShowing = showing;
            w->Perform(CM_SHOWINGCHANGED, 0, 0);
        }
        w->UpdateChildrenShowing();
    }
}

void TWinControl::WMMouseWheel(TMessage& m)
{
    // The control (and its parents) may take the turn; otherwise the native window scrolls.
    if (Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) != 0) {
        m.Result = 0;
        return;
    }
    DefaultHandler(m);
}

void TWinControl::CMEnabledChanged(TMessage& m)
{
    if (FHandle) EnableWindow(FHandle, FEnabled);
    TControl::CMEnabledChanged(m);
}

void TWinControl::FontChanged(TObject* sender)
{
    TControl::FontChanged(sender);
}

void TWinControl::CMFontChanged(TMessage& m)
{
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), TRUE);
    TControl::CMFontChanged(m);
    TMessage b{CM_PARENTFONTCHANGED, 0, 0, 0};
    for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(b);
}

void TWinControl::CMColorChanged(TMessage& m)
{
    TControl::CMColorChanged(m);
    TMessage b{CM_PARENTCOLORCHANGED, 0, 0, 0};
    for (TControl* c : std::vector<TControl*>(FControls)) c->WindowProc(b);
}

void TWinControl::CMParentFontChanged(TMessage& m)
{
    TControl::CMParentFontChanged(m);
}

void TWinControl::CMParentColorChanged(TMessage& m)
{
    TControl::CMParentColorChanged(m);
}

void TWinControl::CMTextChanged(TMessage& m)
{
    TControl::CMTextChanged(m);
}

void TWinControl::CMMouseEnter(TMessage& m)
{
    // A windowed child was entered: the mouse is no longer over a graphic child of ours.
    if (m.LParam != 0 && m.LParam != reinterpret_cast<LPARAM>(this) && FMouseControl &&
        reinterpret_cast<TControl*>(m.LParam)->Parent() == this && FMouseControl != reinterpret_cast<TControl*>(m.LParam)) {
        TControl* old = FMouseControl;
        FMouseControl = nullptr;
        old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
    }
    TControl::CMMouseEnter(m);
}

void TWinControl::CMMouseLeave(TMessage& m)
{
    TControl::CMMouseLeave(m);
}

void TWinControl::WMNCDestroy(TMessage& m)
{
    DefaultHandler(m);
    if (FHandle) RemovePropW(FHandle, kControlProp);
    FHandle = nullptr;
    FShowing = false;
    if (FControlId) ControlIds().Release(FControlId);
    FControlId = 0;
    FTrackingMouse = false;
    FMouseControl = nullptr;
}

void TWinControl::UpdateControlState()
{
    if (FHandle) Perform(CM_SHOWINGCHANGED, 0, 0);
}

String TWinControl::GetText() const
{
    // The text of a window lives in the window (an edit's text changes under our feet).
    if (!FHandle) return FText;
    int n = GetWindowTextLengthW(FHandle);
    String s(static_cast<size_t>(n), L'\0');
    if (n > 0) s.resize(static_cast<size_t>(GetWindowTextW(FHandle, s.data(), n + 1)));
    return s;
}

void TWinControl::SetTextCore(const String& s)
{
    FText = s;
    if (FHandle) SetWindowTextW(FHandle, s.c_str());
}

// ================================================================================================
// TControlCanvas, TGraphicControl, TCustomControl

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::FreeHandle()
{
    if (FDeviceContext) {
        SetHandle(nullptr);
        ReleaseDC(FWindowHandle, FDeviceContext);
        FDeviceContext = nullptr;
        FWindowHandle = nullptr;
    }
}

void TControlCanvas::CreateHandle()
{
    // Outside WM_PAINT: a DC of the window (a graphic control's: its parent's, clipped to it).
    if (auto* w = dynamic_cast<TWinControl*>(FControl)) {
        if (!w->HandleAllocated()) return;
        FWindowHandle = w->Handle();
        FDeviceContext = GetDC(FWindowHandle);
    } else if (FControl->Parent() && FControl->Parent()->HandleAllocated()) {
        FWindowHandle = FControl->Parent()->Handle();
        FDeviceContext = GetDCEx(FWindowHandle, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
        TRect r = FControl->BoundsRect();
        IntersectClipRect(FDeviceContext, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(FDeviceContext, r.left, r.top, nullptr);
    }
    if (FDeviceContext) SetHandle(FDeviceContext);
}

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner)
{
    FCanvas = new TControlCanvas(this);
}

TGraphicControl::~TGraphicControl()
{
    delete FCanvas;
    FCanvas = nullptr;
}

void TGraphicControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: WMPaint(m); break;
    case WM_PRINT:
    case WM_PRINTCLIENT: {
        // Printed on its own: the DC's origin is the control's, as for WM_PAINT.
        TMessage p{WM_PAINT, m.WParam, 0, 0};
        WMPaint(p);
        m.Result = 0;
        break;
    }
    default: TControl::Dispatch(m); break;
    }
}

TControlCanvasPaint::TControlCanvasPaint(TCanvas* canvas, HDC dc, const TFont* font, TColor brushColor,
                                         bool restoreDCState)
    : FCanvas(canvas), FDC(dc)
{
    // A DC fetched for drawing outside a paint must not stay selected under this one.
    if (auto* cc = dynamic_cast<TControlCanvas*>(canvas)) cc->FreeHandle();
    canvas->Lock();
    if (restoreDCState) FSavedDC = SaveDC(dc);
    try {
        canvas->SetHandle(dc);
        canvas->Font()->Assign(font);
        if (brushColor != clNone) canvas->Brush()->SetColor(brushColor);
    } catch (...) {
        Release();
        throw;
    }
}

TControlCanvasPaint::~TControlCanvasPaint()
{
    Release();
}

void TControlCanvasPaint::Release()
{
    FCanvas->SetHandle(nullptr);
    if (FSavedDC) RestoreDC(FDC, FSavedDC);
    FCanvas->Unlock();
}

void TGraphicControl::WMPaint(TMessage& m)
{
    if (!m.WParam) return;
    TControlCanvasPaint paint(FCanvas, reinterpret_cast<HDC>(m.WParam), FFont);
    Paint();
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner)
{
    FCanvas = new TControlCanvas(this);
    FControlState |= csCustomPaint;
}

TCustomControl::~TCustomControl()
{
    delete FCanvas;
    FCanvas = nullptr;
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC dc)
{
    TControlCanvasPaint paint(FCanvas, dc, FFont, FColor);
    Paint();
}
