// The skin engine's small routines that touch the system: builders over graphics, controls and
// GDI records, DPI-aware system parameters, version and debugger queries, paced waits, warning
// boxes, folders and files, and shell icons. Optional system functions are bound at run time.
#pragma once

#include <functional>

#include "skin/engine/core/code_redirect.h"
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
// The class of a Windows version the toolkit's drawing follows: the major version, but 8 for
// 6.2 (Windows 8) and everything after it.
constexpr int OsVersionClass(int major, int minor) { return major > 6 || (major == 6 && minor >= 2) ? 8 : major; }
// OsVersionClass of the system's own version, found once; 0 when the system cannot say.
int WindowsVersionLevel();
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

// When the shared scroll button length (DefaultScrollBtnLength) is negative, it becomes the
// system's horizontal scroll-bar arrow width. Runs at start-up.
void CheckSysScrollWidth();

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
// Whether the shell's file information entry is there, and a call of it (info: a SHFILEINFOW of
// infoSize bytes; path may be an item ID list with SHGFI_PIDL); 0 without the entry.
bool ShellFileInfoAvailable();
uintptr_t CallShellFileInfo(const wchar_t* path, DWORD attributes, void* info, UINT infoSize, UINT flags);

// ---- system colours from the skin ----------------------------------------------------------------

class TsSkinManager;

// Standard windows the skinning does not paint ask the system for their colours; while the
// default manager's ChangeSysColors is on, GetSysColor, GetSysColorBrush and CreatePen are sent
// to the replacements below for the whole process, the system's own code included. A function
// is redirected by an absolute jump written over its entry, after the jumps of import stubs and
// forwarding entries are followed to the code itself; only where the system's unwind data shows
// that the function is long enough (a function without unwind data is a leaf and is taken as it
// is). The bytes written over are kept and put back exactly.
struct TacCodePatch {
    uint8_t* At = nullptr;                    // where the jump is written; nullptr: nothing is
    uint8_t Saved[AbsoluteJumpLength] = {};   // the function's own bytes there
    uint8_t Written[AbsoluteJumpLength] = {};
};
// False, writing nothing, when the patch already is in place, the function cannot be reached or
// is too short, or its memory cannot be written. Redirections written over each other come off
// in the reverse order.
bool PatchSystemFunction(void* target, const void* replacement, TacCodePatch& patch);
// Puts the saved bytes back. False (and nothing written) when nothing was patched or the entry no
// longer holds the jump that was written there.
bool RestoreSystemFunction(TacCodePatch& patch);
// Each does nothing when its function already is (or is not) redirected; a redirection that
// could not be written still counts as made.
void PatchGetSysColor();
void UnpatchGetSysColor();
void PatchGetSysColorBrush();
void UnpatchGetSysColorBrush();
void PatchCreatePen();
void UnpatchCreatePen();
void PatchSystemColors(bool on);   // all three

// The replacements. Colours of the default manager's palette while a visible active form
// exists; every other question goes to the system's function, with its redirection lifted for
// the call (one such call at a time in the process). A question asked while the skin's answer is
// being worked out (a palette colour naming a system colour) goes to the system too.
DWORD WINAPI SkinnedGetSysColor(int index);
// COLOR_WINDOW: the manager's brush of that colour; window text and the two selection colours:
// a brush the manager keeps, one per colour (callers never free these). 0 without a manager.
HBRUSH WINAPI SkinnedGetSysColorBrush(int index);
// System colour numbers and the two standard greys as a pen colour take the skin's colours.
HPEN WINAPI SkinnedCreatePen(int style, int width, COLORREF color);

// The PPI a control is skinned at: the manager's (the default one when nil) fixed or custom PPI,
// 96 in the designer, else the control's (or the main form's) own. activeOnly: only an active
// manager counts.
int GetSkinPPI(TsSkinManager* manager, TControl* control, bool activeOnly);
// A scroll bar's width at ppi (the system's without a manager).
int CalcScrollBarWidth(const TsSkinManager* manager, int ppi);

// ---- captions --------------------------------------------------------------------------------

// The captions the toolkit's dialogs and menus show, in the system's language where its
// libraries have them.
struct TacCaptions {
    String OK, Cancel, Help, Close, AddToCustomColors, DefineColors, AdditionalColors, Decimal, Root, Create, Restore,
        Size, Move, Maximize, Minimize, FileOpen, SelectDirectory, Red, Green, Blue, Color, Font, FontColor;
    // Our own.
    String Calculator = L"Calculator", Hex = L"Hex - ", InvalidDate = L"Invalid date",
           AvailableStyles = L"Available styles", Internal = L"(internal)", SkinDirectory = L"Directory with skins:",
           SelectSkin = L"Select skin", SkinPreview = L"Skin preview";
};
// A string of a system library's string table; empty when the library or the string is missing.
using TacStringLoader = std::function<String(const wchar_t* library, unsigned id)>;
// Each caption from its library's string (followed by its suffix), or our own text.
TacCaptions LoadCaptions(const TacStringLoader& loader);
// The string table entry through LoadLibrary and LoadStringW (the library released again).
String LoadSystemString(const wchar_t* library, unsigned id);
// Loaded once, with LoadSystemString.
const TacCaptions& Captions();
// The title of a file-open dialog in the system's language: the FileOpen caption.
const String& DefaultOpenDialogTitle();
