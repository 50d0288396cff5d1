// The skin engine's small routines that touch the system: builders over graphics, controls and
// GDI records, DPI-aware system parameters, version and debugger queries, paced waits, warning
// boxes, folders and files, and shell icons. Optional system functions are bound at run time.
#pragma once

#include "vcl/controls.h"
#include "vcl/graphics.h"

// Switched on at start-up when a 32-bit process runs on a 64-bit system without desktop
// composition: skinned dialogs then draw their title text without the glow.
extern bool NoDialogTextGlow;

// ---- builders ----------------------------------------------------------------------------------

TRect RectOfBitmap(const TGraphic* graphic);
TRect RectOfControl(const TControl* control);
TSize SizeOfBitmap(const TGraphic* graphic);
TPoint TopLeftOfControl(const TControl* control);
// AC_SRC_OVER with the constant alpha and per-pixel alpha.
void BuildBlendFunction(BLENDFUNCTION& blend, uint8_t alpha);
TMessage BuildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT result);

// ---- DPI-aware system parameters -----------------------------------------------------------------

// SystemParametersInfoForDpi on 8.1 and later when the system has it, else (and when it fails)
// SystemParametersInfoW; true when the call used succeeded.
bool QuerySystemParamsForDpi(UINT action, UINT param, void* pvParam, UINT dpi);
// lfHeight of the caption font at a DPI, at most -11; 0 when the system cannot say.
int CaptionFontHeightForDpi(int dpi);
// That caption font, owned by the caller; 0 when the system cannot say.
HFONT CreateCaptionFontForDpi(int dpi);
// The caption-font rule on its own: any height above -11 becomes -11.
constexpr int LimitCaptionFontHeight(int height) { return height > -11 ? -11 : height; }

// ---- system queries ------------------------------------------------------------------------------

// The system's own version (not the one shown to programs without a compatibility manifest).
bool WindowsVersionIsAtLeast(int major, int minor);
bool IsWin81OrLater();
bool IsWinXPOrLater();
// True also when the system cannot tell (the entry is missing).
bool IsDebuggerAttached();
bool RunsUnderWow64();
bool MinAnimationEnabled();
bool SetMinAnimation(bool on);

// Handles the application's messages until the engine's tick count has advanced by at least
// milliseconds (one round at least); right across the 32-bit wrap.
void DelayWithMessages(int milliseconds);
// Yields the processor until the engine's tick count reaches start + interval (right across
// the 32-bit wrap; at once for an interval of 0 or less). Paces every animation loop.
void WaitUntilTick(uint32_t startTick, int interval);

// The executable's folder with a trailing backslash.
String ApplicationFolder();
void ShowWarningBox(const String& text);
void ShowErrorBox(const String& text);
// Programming and usage errors of the toolkit.
void ShowUsageWarning(const String& text);

// ---- folders and files ---------------------------------------------------------------------------

bool DirectoryExistsEx(const String& path, bool followLink);
// DirectoryExistsEx without the system's error box for an empty drive.
bool DirectoryExistsQuiet(const String& path);

// A search over a folder (the path may hold wildcards); FindHandle is INVALID_HANDLE_VALUE
// when closed.
struct TacSearchRec {
    String Name;
    DWORD Attr = 0;
    uint64_t Size = 0;
    DWORD ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
};
// 0 when an entry was found (files and, as attributes allows, hidden, system and folder
// entries); otherwise the system's error code.
int StartFileSearch(const String& path, DWORD attributes, TacSearchRec& rec);
int ContinueFileSearch(TacSearchRec& rec);
void EndFileSearch(TacSearchRec& rec);

// The shell's icon of a file (SHGFI_ICON plus flags), owned by the caller; nullptr when the
// file does not exist or the shell has no icon for it.
TIcon* ShellIconOfFile(const String& fileName, UINT flags);
// Binds the shell's file information entry once.
void BindShellFileInfo();
