// The skin engine's small routines that touch the system: builders over graphics, controls and
// GDI records, DPI-aware system parameters, version and debugger queries, paced waits, warning
// boxes, folders and files, and shell icons. Optional system functions are bound at run time.
#pragma once

#include <functional>

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
// Whether the shell's file information entry is there, and a call of it (info: a SHFILEINFOW of
// infoSize bytes; path may be an item ID list with SHGFI_PIDL); 0 without the entry.
bool ShellFileInfoAvailable();
uintptr_t CallShellFileInfo(const wchar_t* path, DWORD attributes, void* info, UINT infoSize, UINT flags);

// ---- system colours from the skin ----------------------------------------------------------------

class TsSkinManager;

// Standard windows the skinning does not paint ask the system for their colours; while the
// default manager's ChangeSysColors is on, GetSysColor, GetSysColorBrush and CreatePen of this
// process are sent to the replacements below. The redirection writes a relative jump (E9 and a
// 32-bit distance) over a function's first bytes, following an import stub's FF 25 as a pointer:
// both hold for 32-bit code only. In a 64-bit process the replacement may lie beyond a 32-bit
// distance and FF 25 is an offset from the next instruction, so nothing is patched there and the
// answer is false.
bool PatchSystemFunction(void* target, const void* replacement, uint8_t (&saveArea)[6]);
bool RestoreSystemFunction(void* target, const uint8_t (&saveArea)[6]);
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
// exists; every other question goes to the system's function.
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
