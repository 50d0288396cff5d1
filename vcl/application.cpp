#include "vcl/application.h"

#include <algorithm>
#include <cstdio>

#include "vcl/application_hooks.h"
#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vcl/threads.h"

TApplication* Application = nullptr;

void HandleExceptionFromCallback(const wchar_t* where)
{
    // Called inside a catch block.
    try {
        if (Application) {
            Application->HandleException(Application);
            return;
        }
    } catch (...) {
    }
    String text = String(L"Unhandled exception in ") + (where ? where : L"callback") + L": " + CurrentExceptionMessage();
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

namespace {
// A delete cannot throw: what escapes BeforeDestruction is reported like a callback's.
const bool kDestructionHandlerInstalled = [] {
    DestructionExceptionHandler = [] { HandleExceptionFromCallback(L"destruction"); };
    return true;
}();
}  // namespace

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    (void)kDestructionHandlerInstalled;
    FDefaultFont = new TFont();
    if (!Application) Application = this;
    InitSynchronizeWindow();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TApplication::AppWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"TApplication";
    RegisterClassW(&wc);
    FTitle = ChangeFileExt(ExtractFileName(ExeName()), L"");
    // Hidden, and never on the task bar: main forms show there themselves.
    FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, L"TApplication", FTitle.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, wc.hInstance, nullptr);
    if (FHandle) SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TApplication::~TApplication()
{
    Destroying();
    DestroyComponents();
    // Threads still waiting for the main thread are let go: nothing serves them any more.
    ReleasePendingSynchronize();
    if (FHandle) {
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
    if (Application == this) Application = nullptr;
    delete FDefaultFont;
}

void TApplication::Initialize()
{
    // The common controls (track bars, status bars, tabs) must be registered before any
    // window of theirs is made.
    InitCommonControlsOnce();
}

String TApplication::ExeName() const
{
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
    return String(buf, n);
}

void TApplication::SetTitle(const String& title)
{
    FTitle = title;
    if (FHandle) SetWindowTextW(FHandle, title.c_str());
}

void TApplication::Minimize()
{
    HWND target = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
    if (target && !IsIconic(target)) ShowWindow(target, SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore()
{
    HWND target = FMainForm && FMainForm->HandleAllocated() ? FMainForm->Handle() : nullptr;
    if (target && IsIconic(target)) ShowWindow(target, SW_RESTORE);
    if (OnRestore) OnRestore(this);
}

void TApplication::Run()
{
    while (!FTerminated) HandleMessage();
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
        return;
    }
    Idle(msg);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ProcessMessage(msg);
    CheckSynchronize();
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    try {
        bool handled = false;
        if (OnMessage) OnMessage(msg, handled);
        // Ctrl+F4, Ctrl+F6 and the like of the MDI children.
        if (!handled && FMainForm && FMainForm->ClientHandle() && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN))
            handled = TranslateMDISysAccel(FMainForm->ClientHandle(), &msg) != 0;
        for (size_t i = 0; !handled && i < FMessageFilters.size(); ++i) handled = FMessageFilters[i](msg);
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    } catch (...) {
        HandleException(this);
    }
    return true;
}

void TApplication::Idle(const MSG&)
{
    bool done = true;
    try {
        if (OnIdle) OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
    if (CheckSynchronize()) done = false;
    if (done && !FTerminated) WaitMessage();
}

bool TApplication::HelpContext(int context)
{
    bool callHelp = true;
    return OnHelp && OnHelp(HELP_CONTEXT, context, callHelp);
}

void TApplication::Terminate()
{
    FTerminated = true;
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender)
{
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        if (OnException) OnException(sender, e);
        else ShowException(e);
    } catch (const std::exception& e) {
        Exception wrapped(FromUtf8(e.what()));
        if (OnException) OnException(sender, wrapped);
        else ShowException(wrapped);
    } catch (...) {
        Exception wrapped(L"Unknown exception");
        if (OnException) OnException(sender, wrapped);
        else ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& e)
{
    String text = e.Message();
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "Exception: %s\n", ToUtf8(text).c_str());
    if (ShowExceptionDialogs) MessageBoxW(GetActiveWindow(), text.c_str(), FTitle.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::HookMainWindow(const TWindowHook& hook)
{
    FWindowHooks.push_back(hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& hook)
{
    auto it = std::find(FWindowHooks.begin(), FWindowHooks.end(), hook);
    if (it != FWindowHooks.end()) FWindowHooks.erase(it);
}

void TApplication::AddMessageFilter(const TMessageFilter& filter)
{
    FMessageFilters.push_back(filter);
}

void TApplication::RemoveMessageFilter(const TMessageFilter& filter)
{
    auto it = std::find(FMessageFilters.begin(), FMessageFilters.end(), filter);
    if (it != FMessageFilters.end()) FMessageFilters.erase(it);
}

void TApplication::WndProc(TMessage& message)
{
    // Hooks may remove themselves while they run: walk a copy.
    std::vector<TWindowHook> hooks = FWindowHooks;
    for (auto& h : hooks)
        if (h(message)) return;
    switch (message.Msg) {
    case WM_ACTIVATEAPP:
        FActive = message.WParam != 0;
        PostMessageW(FHandle, FActive ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
        break;
    case CM_ACTIVATE:
        if (OnActivate) OnActivate(this);
        return;
    case CM_DEACTIVATE:
        if (OnDeactivate) OnDeactivate(this);
        return;
    case WM_CLOSE:
        Terminate();
        return;
    default:
        break;
    }
    message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!app) return DefWindowProcW(hwnd, msg, wp, lp);
    TMessage m{msg, wp, lp, 0};
    try {
        app->WndProc(m);
    } catch (...) {
        HandleExceptionFromCallback(L"application window");
    }
    return m.Result;
}
