#include "skin/engine/system_routines.h"

#include <shellapi.h>

#include <cstring>
#include <utility>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/general.h"
#include "skin/engine/core/skin_scaling.h"
#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/colors.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/streams.h"

bool NoDialogTextGlow = false;

// ---- bound entry points ----------------------------------------------------------------------------

namespace {

template <class F>
F Bind(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using TIsDebuggerPresent = BOOL(WINAPI*)();
using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
using TSHGetFileInfoW = DWORD_PTR(WINAPI*)(LPCWSTR, DWORD, SHFILEINFOW*, UINT, UINT);
using TSystemParametersInfoForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// The libraries and entries the routines use, bound once per process and released at its end.
struct TBoundEntries {
    HMODULE kernel32 = nullptr, shell32 = nullptr, user32 = nullptr;
    TIsDebuggerPresent isDebuggerPresent = nullptr;
    TIsWow64Process isWow64Process = nullptr;
    TSHGetFileInfoW shGetFileInfo = nullptr;
    TSystemParametersInfoForDpi spiForDpi = nullptr;

    TBoundEntries()
    {
        kernel32 = LoadLibraryW(L"kernel32.dll");
        isDebuggerPresent = Bind<TIsDebuggerPresent>(kernel32, "IsDebuggerPresent");
        isWow64Process = Bind<TIsWow64Process>(kernel32, "IsWow64Process");
        user32 = LoadLibraryW(L"user32.dll");
        spiForDpi = Bind<TSystemParametersInfoForDpi>(user32, "SystemParametersInfoForDpi");
    }
    ~TBoundEntries()
    {
        for (HMODULE m : {kernel32, shell32, user32})
            if (m) FreeLibrary(m);
    }
    void BindShell()
    {
        if (!shell32) shell32 = LoadLibraryW(L"shell32.dll");
        if (!shGetFileInfo) shGetFileInfo = Bind<TSHGetFileInfoW>(shell32, "SHGetFileInfoW");
    }
};

TBoundEntries& Entries()
{
    static TBoundEntries entries;
    return entries;
}

// Start-up of the routines: the version class and the scroll button length; a 32-bit process on
// a 64-bit system without composition draws skinned dialog titles without glow.
const bool StartedUp = [] {
    WindowsVersionLevel();
    CheckSysScrollWidth();
    Entries().BindShell();
    if (RunsUnderWow64() && !IsDesktopCompositionOn()) NoDialogTextGlow = true;
    return true;
}();

}  // namespace

void BindShellFileInfo() { Entries().BindShell(); }

bool ShellFileInfoAvailable()
{
    BindShellFileInfo();
    return Entries().shGetFileInfo != nullptr;
}

uintptr_t CallShellFileInfo(const wchar_t* path, DWORD attributes, void* info, UINT infoSize, UINT flags)
{
    if (!ShellFileInfoAvailable()) return 0;
    return Entries().shGetFileInfo(path, attributes, static_cast<SHFILEINFOW*>(info), infoSize, flags);
}

// ---- builders ----------------------------------------------------------------------------------

TRect RectOfBitmap(const TGraphic* g) { return g ? TRect(0, 0, g->Width(), g->Height()) : TRect(); }
TRect RectOfControl(const TControl* c) { return c ? TRect(0, 0, c->Width(), c->Height()) : TRect(); }
TSize SizeOfBitmap(const TGraphic* g) { return g ? TSize(g->Width(), g->Height()) : TSize(); }
TPoint TopLeftOfControl(const TControl* c) { return c ? TPoint(c->Left(), c->Top()) : TPoint(); }

void BuildBlendFunction(BLENDFUNCTION& blend, uint8_t alpha)
{
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = alpha;
    blend.AlphaFormat = AC_SRC_ALPHA;
}

TMessage BuildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT result) { return TMessage{msg, wParam, lParam, result}; }

// ---- DPI-aware system parameters -----------------------------------------------------------------

namespace {
// GetVersionEx answers 6.2 to programs without a compatibility manifest; the kernel's own
// answer is the system's version. (0, 0) when it cannot say.
std::pair<DWORD, DWORD> SystemVersion()
{
    static const std::pair<DWORD, DWORD> version = [] {
        using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        auto get = Bind<TRtlGetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
        if (!get || get(&info) != 0) return std::pair<DWORD, DWORD>(0, 0);
        return std::pair<DWORD, DWORD>(info.dwMajorVersion, info.dwMinorVersion);
    }();
    return version;
}
}  // namespace

int WindowsVersionLevel()
{
    static const int level = [] {
        const auto [m, n] = SystemVersion();
        return OsVersionClass(static_cast<int>(m), static_cast<int>(n));
    }();
    return level;
}

bool WindowsVersionIsAtLeast(int major, int minor)
{
    const auto [m, n] = SystemVersion();
    return static_cast<int>(m) > major || (static_cast<int>(m) == major && static_cast<int>(n) >= minor);
}

bool IsWin81OrLater() { return WindowsVersionIsAtLeast(6, 3); }
bool IsWinXPOrLater() { return WindowsVersionIsAtLeast(5, 1); }

bool QuerySystemParamsForDpi(UINT action, UINT param, void* pvParam, UINT dpi)
{
    if (IsWin81OrLater() && Entries().spiForDpi && Entries().spiForDpi(action, param, pvParam, 0, dpi)) return true;
    return SystemParametersInfoW(action, param, pvParam, 0) != 0;
}

namespace {
bool CaptionFont(int dpi, LOGFONTW& font)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;   // the Vista-and-later size (with iPaddedBorderWidth)
    if (!QuerySystemParamsForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, static_cast<UINT>(dpi))) return false;
    font = metrics.lfCaptionFont;
    font.lfHeight = LimitCaptionFontHeight(font.lfHeight);
    return true;
}
}  // namespace

int CaptionFontHeightForDpi(int dpi)
{
    LOGFONTW font;
    return CaptionFont(dpi, font) ? font.lfHeight : 0;
}

HFONT CreateCaptionFontForDpi(int dpi)
{
    LOGFONTW font;
    return CaptionFont(dpi, font) ? CreateFontIndirectW(&font) : nullptr;
}

// ---- system queries ------------------------------------------------------------------------------

bool IsDebuggerAttached() { return Entries().isDebuggerPresent ? Entries().isDebuggerPresent() != 0 : true; }

bool RunsUnderWow64()
{
    BOOL wow = FALSE;
    if (!Entries().isWow64Process || !Entries().isWow64Process(GetCurrentProcess(), &wow)) return false;
    return wow != FALSE;
}

bool MinAnimationEnabled()
{
    ANIMATIONINFO info{};
    info.cbSize = sizeof info;
    if (!SystemParametersInfoW(SPI_GETANIMATION, sizeof info, &info, 0)) return false;
    return info.iMinAnimate != 0;
}

bool SetMinAnimation(bool on)
{
    ANIMATIONINFO info{};
    info.cbSize = sizeof info;
    info.iMinAnimate = on ? -1 : 0;
    return SystemParametersInfoW(SPI_SETANIMATION, sizeof info, &info, 0) != 0;
}

void DelayWithMessages(int milliseconds)
{
    const uint32_t start = AcTickCount();
    do {
        if (Application) Application->ProcessMessages();
    } while (!TickReached(start, milliseconds, AcTickCount()));
}

void CheckSysScrollWidth()
{
    if (DefaultScrollBtnLength < 0) DefaultScrollBtnLength = GetSystemMetrics(SM_CXHSCROLL);
}

void WaitUntilTick(uint32_t startTick, int interval)
{
    while (!TickReached(startTick, interval, AcTickCount())) Sleep(0);
}

String ApplicationFolder()
{
    wchar_t path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return ExtractFilePath(String(path, n));
}

void ShowWarningBox(const String& text) { ShowMessageBox(text, mtWarning, mbOK); }
void ShowErrorBox(const String& text) { ShowMessageBox(text, mtError, mbOK); }
void ShowUsageWarning(const String& text) { ShowWarningBox(text); }

// ---- folders and files ---------------------------------------------------------------------------

bool DirectoryExistsEx(const String& path, bool followLink)
{
    DWORD attr = GetFileAttributesW(path.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_NOT_READY: case ERROR_BAD_NETPATH:
        case ERROR_INVALID_NAME:
            return false;
        default:
            return true;   // it exists, we just may not look at it
        }
    }
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (followLink && (attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
    }
    return true;
}

bool DirectoryExistsQuiet(const String& path)
{
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    bool exists = DirectoryExistsEx(path, true);
    SetErrorMode(old);
    return exists;
}

namespace {
bool Matches(const WIN32_FIND_DATAW& d, DWORD exclude) { return (d.dwFileAttributes & exclude) == 0; }
void Fill(TacSearchRec& rec, const WIN32_FIND_DATAW& d)
{
    rec.Name = d.cFileName;
    rec.Attr = d.dwFileAttributes;
    rec.Size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}
}  // namespace

int StartFileSearch(const String& path, DWORD attributes, TacSearchRec& rec)
{
    rec.ExcludeAttr = ~attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    WIN32_FIND_DATAW d{};
    rec.FindHandle = FindFirstFileW(path.c_str(), &d);
    if (rec.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    while (!Matches(d, rec.ExcludeAttr)) {
        if (!FindNextFileW(rec.FindHandle, &d)) {
            int error = static_cast<int>(GetLastError());
            EndFileSearch(rec);
            return error;
        }
    }
    Fill(rec, d);
    return 0;
}

int ContinueFileSearch(TacSearchRec& rec)
{
    if (rec.FindHandle == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
    WIN32_FIND_DATAW d{};
    do {
        if (!FindNextFileW(rec.FindHandle, &d)) return static_cast<int>(GetLastError());
    } while (!Matches(d, rec.ExcludeAttr));
    Fill(rec, d);
    return 0;
}

void EndFileSearch(TacSearchRec& rec)
{
    if (rec.FindHandle != INVALID_HANDLE_VALUE) FindClose(rec.FindHandle);
    rec.FindHandle = INVALID_HANDLE_VALUE;
}

TIcon* ShellIconOfFile(const String& fileName, UINT flags)
{
    if (!FileExists(fileName)) return nullptr;
    BindShellFileInfo();
    if (!Entries().shGetFileInfo) return nullptr;
    SHFILEINFOW info{};
    if (!Entries().shGetFileInfo(fileName.c_str(), 0, &info, sizeof info, flags | SHGFI_ICON) || !info.hIcon) return nullptr;
    auto* icon = new TIcon();
    icon->SetHandle(info.hIcon);
    if (icon->Empty()) {
        delete icon;
        return nullptr;
    }
    return icon;
}

// ---- system colours from the skin ----------------------------------------------------------------

namespace {

// Writes bytes over code of the process and makes the processor see them.
bool WriteCode(uint8_t* at, const uint8_t (&bytes)[AbsoluteJumpLength])
{
    DWORD old = 0;
    if (!VirtualProtect(at, AbsoluteJumpLength, PAGE_EXECUTE_READWRITE, &old)) return false;
    std::memcpy(at, bytes, AbsoluteJumpLength);
    DWORD unused = 0;
    VirtualProtect(at, AbsoluteJumpLength, old, &unused);
    FlushInstructionCache(GetCurrentProcess(), at, AbsoluteJumpLength);
    return true;
}

// Whether the jump may be written at code: inside a loaded module, and where the unwind data
// knows the function, at its start with room for the jump.
bool MayRedirect(const uint8_t* code)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(code), &module))
        return false;
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(code, &info, sizeof info) || info.State != MEM_COMMIT) return false;
    const auto end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (reinterpret_cast<uintptr_t>(code) + AbsoluteJumpLength > end) return false;
    DWORD64 base = 0;
    const auto address = reinterpret_cast<DWORD64>(code);
    if (PRUNTIME_FUNCTION f = RtlLookupFunctionEntry(address, &base, nullptr))
        return AbsoluteJumpFits(address, base + f->BeginAddress, base + f->EndAddress);
    return true;   // a leaf function: the system keeps no unwind data for it
}

}  // namespace

bool PatchSystemFunction(void* target, const void* replacement, TacCodePatch& patch)
{
#if defined(__x86_64__) || defined(_M_X64)
    if (patch.At || !target || !replacement) return false;
    auto* code = const_cast<uint8_t*>(ResolveJumpThunk(static_cast<const uint8_t*>(target)));
    if (!code || code == replacement || !MayRedirect(code)) return false;
    uint8_t saved[AbsoluteJumpLength], jump[AbsoluteJumpLength];
    std::memcpy(saved, code, AbsoluteJumpLength);
    BuildAbsoluteJump(jump, reinterpret_cast<uint64_t>(replacement));
    if (!WriteCode(code, jump)) return false;
    patch.At = code;
    std::memcpy(patch.Saved, saved, AbsoluteJumpLength);
    std::memcpy(patch.Written, jump, AbsoluteJumpLength);
    return true;
#else
    (void)target, (void)replacement, (void)patch;
    return false;
#endif
}

bool RestoreSystemFunction(TacCodePatch& patch)
{
    if (!patch.At) return false;
    // Someone else wrote over the entry since: writing our bytes back would break theirs.
    if (std::memcmp(patch.At, patch.Written, AbsoluteJumpLength) != 0) return false;
    if (!WriteCode(patch.At, patch.Saved)) return false;
    patch = TacCodePatch();
    return true;
}

namespace {

// The fall-through calls of the replacements lift a redirection for the whole process for the
// time of the call: two threads doing it at once would put it back under each other.
struct TFallThroughLock {
    CRITICAL_SECTION Section;
    TFallThroughLock() { InitializeCriticalSection(&Section); }
    ~TFallThroughLock() { DeleteCriticalSection(&Section); }
};
TFallThroughLock& FallThroughLock()
{
    static TFallThroughLock lock;
    return lock;
}
struct TFallThrough {
    TFallThrough() { EnterCriticalSection(&FallThroughLock().Section); }
    ~TFallThrough() { LeaveCriticalSection(&FallThroughLock().Section); }
    TFallThrough(const TFallThrough&) = delete;
    TFallThrough& operator=(const TFallThrough&) = delete;
};

// Set while a replacement works out the skin's answer: the colour conversions it makes may ask
// the system for a colour again, and that question goes to the system.
thread_local bool InReplacement = false;

struct TRedirection {
    const char* Name;
    const void* Replacement;
    TacCodePatch Patch;
    bool On = false;
    void* Target() const { return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(Name[0] == 'C' ? L"gdi32.dll" : L"user32.dll"), Name)); }
    void Redirect()
    {
        if (On) return;
        On = true;
        if (void* t = Target()) PatchSystemFunction(t, Replacement, Patch);
    }
    void Restore()
    {
        if (!On) return;
        On = false;
        RestoreSystemFunction(Patch);
    }
};

TRedirection SysColorRedirection{"GetSysColor", reinterpret_cast<const void*>(&SkinnedGetSysColor)};
TRedirection SysBrushRedirection{"GetSysColorBrush", reinterpret_cast<const void*>(&SkinnedGetSysColorBrush)};
TRedirection PenRedirection{"CreatePen", reinterpret_cast<const void*>(&SkinnedCreatePen)};

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)) & 0xFFFFFFu; }
COLORREF Mixed(TColor a, TColor b, uint8_t weight) { return MixColors(Rgb(a), Rgb(b), weight) & 0xFFFFFFu; }

bool ActiveFormShowing()
{
    TCustomForm* f = Screen ? Screen->ActiveForm() : nullptr;
    return f && f->HandleAllocated() && IsWindowVisible(f->ExistingHandle());
}

}  // namespace

void PatchGetSysColor() { SysColorRedirection.Redirect(); }
void UnpatchGetSysColor() { SysColorRedirection.Restore(); }
void PatchGetSysColorBrush() { SysBrushRedirection.Redirect(); }
void UnpatchGetSysColorBrush() { SysBrushRedirection.Restore(); }
void PatchCreatePen() { PenRedirection.Redirect(); }
void UnpatchCreatePen() { PenRedirection.Restore(); }

void PatchSystemColors(bool on)
{
    for (TRedirection* r : {&SysColorRedirection, &SysBrushRedirection, &PenRedirection}) on ? r->Redirect() : r->Restore();
}

namespace {

// The system's own answer, with the redirection out of the way for the call (and put back after
// it when it was on).
template <class Call>
auto FallThrough(TRedirection& r, Call call) -> decltype(call())
{
    TFallThrough lock;
    const bool on = r.On;
    r.Restore();
    if (r.Patch.At) {
        // The entry could not be put back and still jumps here: asking it would come back.
        r.On = on;
        return decltype(call())();
    }
    const auto result = call();
    if (on) r.Redirect();
    return result;
}

// Runs the skin's part of a replacement once per thread at a time; false when this thread is
// already inside one, or the part failed.
template <class Part>
bool SkinPart(Part part)
{
    if (InReplacement) return false;
    InReplacement = true;
    bool answered = false;
    try {
        answered = part();
    } catch (...) {
        answered = false;   // the system answers instead
    }
    InReplacement = false;
    return answered;
}

}  // namespace

DWORD WINAPI SkinnedGetSysColor(int index)
{
    DWORD c = 0;
    const bool answered = SkinPart([&] {
        TsSkinManager* m = DefaultManager;
        if (!m || !ActiveFormShowing()) return false;
        const TacPalette& p = m->Palette;
        switch (index) {
        case COLOR_WINDOW: c = Rgb(p[pcEditBG]); return true;
        case COLOR_WINDOWFRAME: c = Rgb(p[pcBorder]); return true;
        case COLOR_WINDOWTEXT: c = Rgb(p[pcEditText]); return true;
        case COLOR_INACTIVEBORDER: c = Rgb(m->SkinCommonInfo.SysInactiveBorderColor); return true;
        case COLOR_HIGHLIGHT: c = Rgb(p[pcSelectionBG_Focused]); return true;
        case COLOR_HIGHLIGHTTEXT: c = Rgb(p[pcSelectionText_Focused]); return true;
        case COLOR_BTNSHADOW: case COLOR_3DDKSHADOW: c = Mixed(p[pcMainColor], clBlack, 205); return true;
        case COLOR_3DLIGHT: c = Mixed(p[pcMainColor], clWhite, 205); return true;
        default: return false;
        }
    });
    if (answered) return c;
    return FallThrough(SysColorRedirection, [&] { return GetSysColor(index); });
}

HBRUSH WINAPI SkinnedGetSysColorBrush(int index)
{
    HBRUSH b = nullptr;
    bool noManager = false;
    const bool answered = SkinPart([&] {
        TsSkinManager* m = DefaultManager;
        if (!m) {
            noManager = true;
            return false;
        }
        switch (index) {
        case COLOR_WINDOW: b = m->Brushes[pcEditBG]; return true;
        case COLOR_WINDOWTEXT: b = m->KeptBrush(m->Palette[pcEditText]); return true;
        case COLOR_HIGHLIGHT: b = m->KeptBrush(m->Palette[pcSelectionBG_Focused]); return true;
        case COLOR_HIGHLIGHTTEXT: b = m->KeptBrush(m->Palette[pcSelectionText_Focused]); return true;
        default: return false;
        }
    });
    if (answered) return b;
    if (noManager) return nullptr;
    return FallThrough(SysBrushRedirection, [&] { return GetSysColorBrush(index); });
}

HPEN WINAPI SkinnedCreatePen(int style, int width, COLORREF color)
{
    SkinPart([&] {
        TsSkinManager* m = DefaultManager;
        if (!m) return false;
        const TacPalette& p = m->Palette;
        switch (color) {
        case 5: color = Rgb(p[pcEditBG]); break;
        case 6: color = Rgb(p[pcBorder]); break;
        case 11: color = Rgb(m->SkinCommonInfo.SysInactiveBorderColor); break;
        case 13: color = Rgb(p[pcSelectionBG_Focused]); break;
        case 14: color = Rgb(p[pcSelectionText_Focused]); break;
        case 15: color = Rgb(p[pcMainColor]); break;
        case 16: case 21: color = Mixed(p[pcMainColor], clBlack, 205); break;
        case 22: color = Mixed(p[pcMainColor], clWhite, 205); break;
        case 0xC0C0C0: case 0xF0F0F0: color = Mixed(p[pcEditText], p[pcEditBG], 38); break;
        default: return false;
        }
        return true;
    });
    return FallThrough(PenRedirection, [&] { return CreatePen(style, width, color); });
}

int GetSkinPPI(TsSkinManager* manager, TControl* control, bool activeOnly)
{
    TsSkinManager* m = manager ? manager : DefaultManager;
    if (m && (!activeOnly || m->IsActive())) {
        if (m->HasState(csDesigning)) return 96;
        const TacScaleMode mode = m->Options()->ScaleMode();
        if (mode != smVCL) return ScaleModePpi(mode, m->SysFontScale, m->Options()->PixelsPerInch(), 96);
    }
    return control ? ControlPpi(control) : MainFormPpi();
}

int CalcScrollBarWidth(const TsSkinManager* m, int ppi)
{
    const int system = GetSystemMetrics(SM_CXVSCROLL);
    if (!m) return system;
    const TacScaleMode mode = m->Options()->ScaleMode();
    return CalcScrollBarWidthFor(mode, ppi, m->ScrollsOptions()->ScrollSize(), system, ScreenPpi(),
                                 m->Options()->PixelsPerInch(), ScaleStepOfMode(mode, m->SysFontScale), m->SysFontScale);
}

// ---- captions --------------------------------------------------------------------------------

TacCaptions LoadCaptions(const TacStringLoader& loader)
{
    TacCaptions c;
    struct TEntry {
        String TacCaptions::*Caption;
        const wchar_t* Library;
        unsigned Id;
        const wchar_t* Suffix;
        const wchar_t* Fallback;
    };
    static const TEntry entries[] = {
        {&TacCaptions::OK, L"user32.dll", 800, L"", L"OK"},
        {&TacCaptions::Cancel, L"user32.dll", 801, L"", L"Cancel"},
        {&TacCaptions::Help, L"user32.dll", 808, L"", L"&Help"},
        {&TacCaptions::Close, L"user32.dll", 905, L"", L"Close"},
        {&TacCaptions::AddToCustomColors, L"colorui.dll", 1810, L"", L"Add to custom colors set"},
        {&TacCaptions::DefineColors, L"shell32.dll", 4151, L"", L"Define colors"},
        {&TacCaptions::AdditionalColors, L"shell32.dll", 31153, L":", L"Additional colors :"},
        {&TacCaptions::Decimal, L"shell32.dll", 16514, L" - ", L"Decimal - "},
        {&TacCaptions::Root, L"shell32.dll", 33015, L":", L"Root:"},
        {&TacCaptions::Create, L"shell32.dll", 4151, L"", L"Create"},
        {&TacCaptions::Restore, L"comctl32.dll", 33056, L"", L"Restore"},
        {&TacCaptions::Size, L"comctl32.dll", 32768, L"", L"Size"},
        {&TacCaptions::Move, L"comctl32.dll", 32784, L"", L"Move"},
        {&TacCaptions::Maximize, L"comctl32.dll", 32816, L"", L"Maximize"},
        {&TacCaptions::Minimize, L"comctl32.dll", 32800, L"", L"Minimize"},
        {&TacCaptions::FileOpen, L"comdlg32.dll", 436, L"", L"File open"},
        {&TacCaptions::SelectDirectory, L"comdlg32.dll", 439, L"", L"Select directory"},
        {&TacCaptions::Red, L"comdlg32.dll", 1049, L":", L"Red :"},
        {&TacCaptions::Green, L"comdlg32.dll", 1042, L":", L"Green :"},
        {&TacCaptions::Blue, L"comdlg32.dll", 1052, L":", L"Blue :"},
        {&TacCaptions::Color, L"compstui.dll", 64744, L"", L"Color"},
        {&TacCaptions::Font, L"inetres.dll", 1175, L"", L"Font"},
        {&TacCaptions::FontColor, L"inetres.dll", 5273, L":", L"Font color:"},
    };
    for (const TEntry& e : entries) {
        const String s = loader ? loader(e.Library, e.Id) : String();
        c.*e.Caption = s.empty() ? String(e.Fallback) : s + e.Suffix;
    }
    return c;
}

String LoadSystemString(const wchar_t* library, unsigned id)
{
    HMODULE m = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m) return String();
    wchar_t buffer[512] = {};
    const int n = LoadStringW(m, id, buffer, static_cast<int>(std::size(buffer)));
    FreeLibrary(m);
    return n > 0 ? String(buffer, static_cast<size_t>(n)) : String();
}

const TacCaptions& Captions()
{
    static const TacCaptions captions = LoadCaptions(&LoadSystemString);
    return captions;
}

const String& DefaultOpenDialogTitle() { return Captions().FileOpen; }
