// The configurator's entry point.
#include "vcl/application.h"
#include "vcl/win.h"

namespace {

const wchar_t kCaption[] = L"Qwelta Wheel Configuration - v1.1.0.3";

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_DESTROY:
        if (Application) Application->Terminate();
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    TApplication app(nullptr);
    app.Initialize();
    app.SetMainFormOnTaskBar(true);
    app.SetTitle(kCaption);

    WNDCLASSW wc{};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TMainForm";
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(WS_EX_APPWINDOW, wc.lpszClassName, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 900,
                                640, nullptr, nullptr, instance, nullptr);
    if (!main) return 1;
    ShowWindow(main, show);
    UpdateWindow(main);
    app.Run();
    return 0;
}
