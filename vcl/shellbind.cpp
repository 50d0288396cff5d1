#include "vcl/shellbind.h"

namespace {

template <class Fn>
Fn Bound(const wchar_t* library, const char* name)
{
    HMODULE lib = GetModuleHandleW(library);
    if (!lib) lib = LoadLibraryW(library);
    return lib ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name))) : nullptr;
}

using DragAcceptFn = void(WINAPI*)(HWND, BOOL);
using DragQueryFn = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
using DragFinishFn = void(WINAPI*)(HDROP);
using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
using IsThemedFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HANDLE);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);

DragAcceptFn DragAccept()
{
    static DragAcceptFn fn = Bound<DragAcceptFn>(L"shell32.dll", "DragAcceptFiles");
    return fn;
}

DragQueryFn DragQuery()
{
    static DragQueryFn fn = Bound<DragQueryFn>(L"shell32.dll", "DragQueryFileW");
    return fn;
}

DragFinishFn DragFinishFunction()
{
    static DragFinishFn fn = Bound<DragFinishFn>(L"shell32.dll", "DragFinish");
    return fn;
}

SetWindowThemeFn SetWindowThemeFunction()
{
    static SetWindowThemeFn fn = Bound<SetWindowThemeFn>(L"uxtheme.dll", "SetWindowTheme");
    return fn;
}

}  // namespace

bool DragAcceptFilesBound(HWND wnd, bool accept)
{
    DragAcceptFn fn = DragAccept();
    if (!fn || !wnd) return false;
    fn(wnd, accept ? TRUE : FALSE);
    return true;
}

std::vector<String> DroppedFileNames(HDROP drop)
{
    std::vector<String> names;
    DragQueryFn query = DragQuery();
    if (!query || !drop) return names;
    UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        UINT length = query(drop, i, nullptr, 0);
        String name(length, L'\0');
        if (length > 0) name.resize(query(drop, i, name.data(), length + 1));
        names.push_back(name);
    }
    return names;
}

void DragFinishBound(HDROP drop)
{
    if (DragFinishFn fn = DragFinishFunction(); fn && drop) fn(drop);
}

bool ThemeLibraryLoaded()
{
    return SetWindowThemeFunction() != nullptr;
}

HRESULT SetWindowThemeBound(HWND wnd, const wchar_t* subAppName, const wchar_t* subIdList)
{
    SetWindowThemeFn fn = SetWindowThemeFunction();
    return fn ? fn(wnd, subAppName, subIdList) : E_NOTIMPL;
}

bool VisualStyleActive()
{
    static IsThemedFn appThemed = Bound<IsThemedFn>(L"uxtheme.dll", "IsAppThemed");
    static IsThemedFn themeActive = Bound<IsThemedFn>(L"uxtheme.dll", "IsThemeActive");
    return appThemed && themeActive && appThemed() && themeActive();
}

bool DrawThemePartBound(HWND wnd, const wchar_t* classList, int part, int state, HDC dc, const RECT& r)
{
    static OpenThemeDataFn open = Bound<OpenThemeDataFn>(L"uxtheme.dll", "OpenThemeData");
    static CloseThemeDataFn close = Bound<CloseThemeDataFn>(L"uxtheme.dll", "CloseThemeData");
    static DrawThemeBackgroundFn draw = Bound<DrawThemeBackgroundFn>(L"uxtheme.dll", "DrawThemeBackground");
    if (!open || !close || !draw || !dc || !VisualStyleActive()) return false;
    HANDLE theme = open(wnd, classList);
    if (!theme) return false;
    const bool drawn = SUCCEEDED(draw(theme, dc, part, state, &r, nullptr));
    close(theme);
    return drawn;
}

bool DrawThemeParentBackgroundBound(HWND wnd, HDC dc, const RECT* r)
{
    static DrawThemeParentBackgroundFn fn = Bound<DrawThemeParentBackgroundFn>(L"uxtheme.dll", "DrawThemeParentBackground");
    return fn && wnd && dc && SUCCEEDED(fn(wnd, dc, r));
}
