// System functions the program uses only where the system has them, bound by name at run
// time: dropping files from the shell, and switching a window's visual style.
#pragma once

#include "vcl/win.h"

#include <shellapi.h>

#include <vector>

#include "vcl/sysutils.h"

// DragAcceptFiles of shell32: false when the function is missing.
bool DragAcceptFilesBound(HWND wnd, bool accept);
// The names of the files in a drop (WM_DROPFILES' WParam), in the order dropped; empty when
// the functions are missing.
std::vector<String> DroppedFileNames(HDROP drop);
// DragFinish of shell32: frees a drop.
void DragFinishBound(HDROP drop);

// Whether the theme library is there.
bool ThemeLibraryLoaded();
// SetWindowTheme of the theme library; blank names (" ") switch a window's visual style
// off, nullptr names give it back. E_NOTIMPL without the library.
HRESULT SetWindowThemeBound(HWND wnd, const wchar_t* subAppName, const wchar_t* subIdList);
// A visual style is in use for the application's windows (the library there and its style on).
bool VisualStyleActive();
// Draws part / state of the style's class (classList, e.g. L"BUTTON") into dc at r; false, with
// nothing drawn, without an active visual style or that class.
bool DrawThemePartBound(HWND wnd, const wchar_t* classList, int part, int state, HDC dc, const RECT& r);
// The parent's look under a child window's rectangle r (nullptr: all of it) drawn into dc; false
// without the library.
bool DrawThemeParentBackgroundBound(HWND wnd, HDC dc, const RECT* r);
