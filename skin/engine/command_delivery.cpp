#include "skin/engine/command_delivery.h"

#include "skin/engine/common_data.h"
#include "skin/graphics/text32.h"
#include "skin/engine/system_routines.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/threads.h"

#include <optional>
#include <vector>

bool AnimationRunning = false;

// ---- delivery ----------------------------------------------------------------------------------

namespace {

LRESULT CallDirectly(const TWndMethod& proc, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    proc(m);
    return m.Result;
}

bool IsDestroying(const TComponent* c) { return c->HasState(csDestroying); }

}  // namespace

// ---- marks -----------------------------------------------------------------------------------------

namespace {
struct TMark {
    WPARAM WParam;
    LPARAM LParam;
};
std::vector<TMark>& Marks()
{
    static std::vector<TMark> marks;
    return marks;
}
bool OnGuiThread() { return GetCurrentThreadId() == MainThreadID(); }
}  // namespace

TacSkinCommandMark::TacSkinCommandMark(WPARAM wParam, LPARAM lParam)
{
    if (OnGuiThread()) Marks().push_back({wParam, lParam});
}

TacSkinCommandMark::~TacSkinCommandMark()
{
    if (OnGuiThread() && !Marks().empty()) Marks().pop_back();
}

bool SkinCommandFollowsPointer(unsigned command)
{
    switch (command) {
    case scmSectionUpdated:
    case scmSetSection:
    case scmGetSkinIndex:
    case scmGetBackground:
    case scmPaintOuterEffect:
    case scmGetSectionBehind:
    case scmGetBounds: return true;
    default: return false;
    }
}

bool SkinCommandMayBePosted(unsigned command) { return command == scmPreviewData || command == 78; }

bool SkinCommandIsOurs(const TMessage& message)
{
    if (message.Msg != MSG_SKINCOMMAND || !OnGuiThread()) return false;
    // A send from another thread or process reaches us only while we wait; it is never ours.
    if ((InSendMessageEx(nullptr) & (ISMEX_SEND | ISMEX_NOTIFY | ISMEX_CALLBACK)) != 0) return false;
    for (auto it = Marks().rbegin(); it != Marks().rend(); ++it)
        if (it->WParam == message.WParam && it->LParam == message.LParam) return true;
    return false;
}

bool SkinCommandAccepted(const TMessage& message)
{
    if (message.Msg != MSG_SKINCOMMAND) return true;
    return !SkinCommandFollowsPointer(SkinCommandOf(message.WParam)) || SkinCommandIsOurs(message);
}

namespace {
struct TPostedCommandFilter {
    bool Filter(MSG& msg)
    {
        return msg.message == MSG_SKINCOMMAND && !SkinCommandMayBePosted(SkinCommandOf(msg.wParam));
    }
} PostedCommandFilter;
bool PostedFilterInstalled = false;
}  // namespace

void InstallPostedSkinCommandFilter()
{
    if (PostedFilterInstalled || !Application) return;
    Application->AddMessageFilter(Bind<&TPostedCommandFilter::Filter>(&PostedCommandFilter));
    PostedFilterInstalled = true;
}

LRESULT PerformSkinCommand(TControl* control, unsigned command, LPARAM lParam, unsigned argument)
{
    if (!control) return 0;
    const WPARAM wParam = SkinCommandWParam(command, argument);
    TacSkinCommandMark mark(wParam, lParam);
    return control->Perform(MSG_SKINCOMMAND, wParam, lParam);
}

LRESULT DeliverWindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::optional<TacSkinCommandMark> mark;
    if (msg == MSG_SKINCOMMAND) mark.emplace(wParam, lParam);
    if (TsCommonData* link = CommonDataFromHandle(wnd); link && link->WndProc.Assigned())
        return CallDirectly(link->WndProc, msg, wParam, lParam);
    return SendMessageW(wnd, msg, wParam, lParam);
}

LRESULT DeliverControlMessage(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!control) return 0;
    std::optional<TacSkinCommandMark> mark;
    if (msg == MSG_SKINCOMMAND) mark.emplace(wParam, lParam);
    auto* w = dynamic_cast<TWinControl*>(control);
    if (!w) return control->Perform(msg, wParam, lParam);
    if (IsDestroying(w) || !w->HandleAllocated()) return 0;
    HWND wnd = w->Handle();
    TsCommonData* link = CommonDataFromHandle(wnd);
    if (link && !link->WndProc.Assigned() && link->FOwnerControl) {
        link->WndProc = control->WindowProc;
        if (link->WndProc.Assigned()) return CallDirectly(link->WndProc, msg, wParam, lParam);
    }
    return SendMessageW(wnd, msg, wParam, lParam);
}

LRESULT SendSkinCommand(HWND wnd, unsigned command, LPARAM lParam, unsigned argument)
{
    if (!wnd) return 0;
    return DeliverWindowMessage(wnd, MSG_SKINCOMMAND, SkinCommandWParam(command, argument), lParam);
}

LRESULT SendSkinCommandToControl(TControl* control, unsigned command, LPARAM lParam, unsigned argument)
{
    return DeliverControlMessage(control, MSG_SKINCOMMAND, SkinCommandWParam(command, argument), lParam);
}

bool QueryControlCommand(TControl* control, unsigned command)
{
    return (SendSkinCommandToControl(control, command, 0) & 0xFF) != 0;
}

bool QueryWindowCommand(HWND wnd, unsigned command) { return SendSkinCommand(wnd, command, 0) == 1; }

LRESULT SendSetRedraw(HWND wnd, WPARAM value) { return DeliverWindowMessage(wnd, WM_SETREDRAW, value, 0); }

// ---- broadcasts --------------------------------------------------------------------------------

void BroadcastToChildren(TWinControl* parent, const TMessage& message)
{
    if (!parent) return;
    // The count is read on every step: receivers may add or remove children meanwhile.
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        if (IsDestroying(child)) return;
        auto* w = dynamic_cast<TWinControl*>(child);
        if (w && w->HandleAllocated()) {
            HWND wnd = w->Handle();
            DeliverWindowMessage(wnd, message.Msg, message.WParam, message.LParam);
            if (!WndIsSkinned(wnd)) BroadcastToChildren(w, message);
        } else {
            std::optional<TacSkinCommandMark> mark;
            if (message.Msg == MSG_SKINCOMMAND) mark.emplace(message.WParam, message.LParam);
            child->Perform(message.Msg, message.WParam, message.LParam);
        }
    }
}

namespace {
struct TChildWindowsMessage {
    HWND parent;
    const TMessage* message;
};

BOOL CALLBACK DeliverToDirectChild(HWND wnd, LPARAM data) noexcept
{
    auto* d = reinterpret_cast<TChildWindowsMessage*>(data);
    try {
        if (GetParent(wnd) == d->parent) DeliverWindowMessage(wnd, d->message->Msg, d->message->WParam, d->message->LParam);
    } catch (...) {
        // A receiver's failure must not cross the system's enumeration; the rest still hear it.
    }
    return TRUE;
}
}  // namespace

void SendToChildWindows(HWND wnd, const TMessage& message)
{
    TChildWindowsMessage data{wnd, &message};
    EnumChildWindows(wnd, DeliverToDirectChild, reinterpret_cast<LPARAM>(&data));
}

void RepaintChildren(TWinControl* control)
{
    if (!control || control->HasState(csDesigning) || AnimationRunning) return;
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* child = control->Controls(i);
        if (IsDestroying(child)) continue;
        if (auto* w = dynamic_cast<TWinControl*>(child)) {
            if (w->HandleAllocated() && w->Showing()) SendSkinCommand(w->Handle(), scmUpdateDone, 0);
        } else {
            PerformSkinCommand(child, scmUpdateDone, 0);
        }
    }
}

void RepaintChildWindows(HWND wnd)
{
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD) SendSkinCommand(child, scmUpdateDone, 0);
}

void AdaptControlOnForm(TControl* control)
{
    if (!control || control->HasState(csLoading | csDesigning)) return;
    TCustomForm* form = GetParentForm(control);
    if (form && form->HandleAllocated())
        DeliverWindowMessage(form->Handle(), MSG_SKINCOMMAND, SkinCommandWParam(scmAddNewControls),
                             reinterpret_cast<LPARAM>(control));
}

// ---- small queries -------------------------------------------------------------------------------

TColor ControlBackColor(TControl* control)
{
    if (!control) return 0xFF00FF;
    if (ControlIsSkinned(control, false))
        return ColorToRGB(static_cast<TColor>(PerformSkinCommand(control, scmGetBGColor, 0xFF00FF)));
    return ColorToRGB(control->Color());
}

TColor WindowBackColor(HWND wnd)
{
    if (!wnd) return 0xFF00FF;
    return ColorToRGB(static_cast<TColor>(DeliverWindowMessage(wnd, MSG_SKINCOMMAND, SkinCommandWParam(scmGetBGColor), 0xFF00FF)));
}

bool ReadyForSkinning(TControl* control)
{
    if (!control || !control->Parent()) return false;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && !w->HandleAllocated()) return false;
    if (control->HasState(csLoading | csDestroying)) return false;
    return (control->ControlState() & (csReadingState | csCreating)) == 0;
}

bool FontDiffersFromParent(TControl* control, const TFont* font, bool compareColor)
{
    if (!font) return false;
    TFont reference;
    if (control && control->Parent()) {
        reference.Assign(control->Parent()->Font());
        if (!compareColor) reference.SetColor(control->Font()->Color());
    } else if (!compareColor) {
        reference.SetColor(font->Color());
    }
    return !FontsEqual(&reference, font);
}

TCustomForm* OwnerFormOf(TComponent* component)
{
    for (TComponent* c = component; c; c = c->Owner())
        if (auto* form = dynamic_cast<TCustomForm*>(c)) return form;
    return nullptr;
}

UINT AlignmentTextFlags(TControl* control, TAlignment alignment)
{
    UINT flags = alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
    flags |= DT_VCENTER | DT_EXPANDTABS;
    // Right-to-left controls mirror left and right and read right to left.
    return control ? control->DrawTextBiDiModeFlags(flags) : flags;
}

// ---- PPI, monitors, windows ----------------------------------------------------------------------

namespace {

using TGetDpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

TGetDpiForMonitor GetDpiForMonitorEntry()
{
    static TGetDpiForMonitor entry = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<TGetDpiForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return entry;
}

int MonitorPpi(HMONITOR monitor)
{
    if (!monitor) return 96;
    if (TGetDpiForMonitor f = GetDpiForMonitorEntry()) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(f(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y > 0) return static_cast<int>(y);
    }
    return ScreenPpi();
}

int PpiAtPoint(const TPoint& p) { return MonitorPpi(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST)); }

bool Win81OrLater() { return IsWin81OrLater(); }

}  // namespace

int ScreenPpi()
{
    HDC dc = GetDC(nullptr);
    int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : 96;
}

int WindowPpi(HWND wnd)
{
    if (!Win81OrLater()) return ScreenPpi();
    RECT r{};
    GetWindowRect(wnd, &r);
    return PpiAtPoint(TPoint(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2));
}

int ControlPpi(TControl* control)
{
    if (auto* w = dynamic_cast<TWinControl*>(control)) return w->HandleAllocated() ? WindowPpi(w->Handle()) : 96;
    if (control && Win81OrLater() && control->Parent() && control->Parent()->HandleAllocated()) {
        TPoint centre = control->ClientToScreen(TPoint(control->Width() / 2, control->Height() / 2));
        return PpiAtPoint(centre);
    }
    return ScreenPpi();
}

int MainFormPpi()
{
    if (!Application) return ScreenPpi();
    if (TCustomForm* main = Application->MainForm()) return ControlPpi(main);
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(Application->Components(i))) return ControlPpi(form);
    return ControlPpi(nullptr);
}

TRect FormWorkArea(TCustomForm* form)
{
    HMONITOR monitor = nullptr;
    if (form && form->HandleAllocated()) monitor = MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST);
    else if (form) {
        RECT r = form->BoundsRect();
        monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
    } else monitor = MonitorFromPoint(TPoint(0, 0), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return TRect();
    return info.rcWork;
}

namespace {
struct TWorkAreaSearch {
    TPoint point;
    TRect found;
    bool done = false;
};

BOOL CALLBACK FindWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept
{
    auto* s = reinterpret_cast<TWorkAreaSearch*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info) && TRect(info.rcWork).Contains(s->point)) {
        s->found = info.rcWork;
        s->done = true;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

TRect WorkAreaAtPoint(const TRect& rect)
{
    TWorkAreaSearch s{rect.TopLeft(), TRect()};
    EnumDisplayMonitors(nullptr, nullptr, FindWorkArea, reinterpret_cast<LPARAM>(&s));
    return s.done ? s.found : TRect();
}

void EnableNonClientScaling(HWND wnd)
{
    if (!WindowsVersionIsAtLeast(10, 0)) return;
    UINT old = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE user32 = LoadLibraryW(L"user32.dll");
    SetErrorMode(old);
    if (!user32) return;
    using TEnable = BOOL(WINAPI*)(HWND);
    if (auto f = reinterpret_cast<TEnable>(reinterpret_cast<void*>(GetProcAddress(user32, "EnableNonClientDpiScaling"))))
        f(wnd);   // a failure leaves the frame unscaled; nothing to do about it
    FreeLibrary(user32);
}

String WindowClassName(HWND wnd)
{
    wchar_t buf[128] = {};
    int n = GetClassNameW(wnd, buf, 128);
    return String(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

String WindowTextOf(HWND wnd)
{
    int len = GetWindowTextLengthW(wnd);
    if (len <= 0) return String();
    String text(static_cast<size_t>(len) + 1, L'\0');
    int n = GetWindowTextW(wnd, text.data(), len + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

TRect ClientRectInWindow(HWND wnd)
{
    RECT client{}, window{};
    GetClientRect(wnd, &client);
    GetWindowRect(wnd, &window);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    TRect r(client);
    r.Offset(origin.x - window.left, origin.y - window.top);
    return r;
}

TPoint ScreenToWindowPoint(HWND wnd, int x, int y)
{
    RECT window{};
    GetWindowRect(wnd, &window);
    return TPoint(x - window.left, y - window.top);
}

bool IsVclStyleEnabled() { return false; }

HRESULT CallSetWindowTheme(HWND wnd, const wchar_t* subAppName, const wchar_t* subIdList)
{
    using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static TSetWindowTheme entry = [] {
        HMODULE theme = LoadLibraryW(L"uxtheme.dll");
        return theme ? reinterpret_cast<TSetWindowTheme>(reinterpret_cast<void*>(GetProcAddress(theme, "SetWindowTheme")))
                     : nullptr;
    }();
    return entry ? entry(wnd, subAppName, subIdList) : E_NOTIMPL;
}
