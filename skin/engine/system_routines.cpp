#include "skin/engine/system_routines.h"

#include <shellapi.h>

#include <utility>

#include "skin/engine/core/general.h"
#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "vcl/application.h"
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

// Start-up of the routines: a 32-bit process on a 64-bit system without composition draws
// skinned dialog titles without glow.
const bool StartedUp = [] {
    Entries().BindShell();
    if (RunsUnderWow64() && !IsDesktopCompositionOn()) NoDialogTextGlow = true;
    return true;
}();

}  // namespace

void BindShellFileInfo() { Entries().BindShell(); }

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

bool WindowsVersionIsAtLeast(int major, int minor)
{
    // GetVersionEx answers 6.2 to programs without a compatibility manifest; the kernel's own
    // answer is the system's version.
    static const std::pair<DWORD, DWORD> version = [] {
        using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        auto get = Bind<TRtlGetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
        if (!get || get(&info) != 0) return std::pair<DWORD, DWORD>(0, 0);
        return std::pair<DWORD, DWORD>(info.dwMajorVersion, info.dwMinorVersion);
    }();
    const auto [m, n] = version;
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
