#include "vcl/utilwindow.h"

#include "vcl/application_hooks.h"

namespace {

LRESULT CALLBACK UtilWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!method || !*method) return DefWindowProcW(hwnd, msg, wp, lp);
    TMessage m{msg, wp, lp, 0};
    try {
        (*method)(m);
    } catch (...) {
        HandleExceptionFromCallback(L"utility window");
    }
    return m.Result;
}

const wchar_t* RegisterUtilClass()
{
    static bool done = false;
    if (!done) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = UtilWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TPUtilWindow";
        RegisterClassW(&wc);
        done = true;
    }
    return L"TPUtilWindow";
}

}  // namespace

HWND AllocateHWnd(const TWndMethod& method)
{
    // Top-level (not message-only): device-change and power broadcasts reach only these.
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, RegisterUtilClass(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (wnd) SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(method)));
    return wnd;
}

void DeallocateHWnd(HWND wnd)
{
    if (!wnd) return;
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    DestroyWindow(wnd);
    delete method;
}
