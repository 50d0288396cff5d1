#include "support/system/system_info.h"

#include <atomic>
#include <cstring>
#include <vector>

// ---- Lock --------------------------------------------------------------------------------------

void TJclCriticalSection::CreateAndEnter(TJclCriticalSection*& section)
{
    static_assert(sizeof(std::atomic<TJclCriticalSection*>) == sizeof(TJclCriticalSection*));
    auto* slot = reinterpret_cast<std::atomic<TJclCriticalSection*>*>(&section);
    TJclCriticalSection* current = slot->load();
    if (!current) {
        auto* fresh = new TJclCriticalSection;
        TJclCriticalSection* expected = nullptr;
        if (slot->compare_exchange_strong(expected, fresh)) current = fresh;
        else {
            delete fresh;   // another thread was first
            current = expected;
        }
    }
    current->Enter();
}

// ---- Registry ----------------------------------------------------------------------------------

namespace {

struct RootName {
    HKEY key;
    const wchar_t* longName;
    const wchar_t* shortName;
};

const RootName kRoots[] = {
    {HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"HKCR"},   {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", L"HKCU"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", L"HKLM"}, {HKEY_USERS, L"HKEY_USERS", L"HKUS"},
    {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA", L"HKPD"}, {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG", L"HKCC"},
    {HKEY_DYN_DATA, L"HKEY_DYN_DATA", L"HKDD"},
};

// The key path relative to root, after an optional root-name prefix; raises when the prefix
// names another root.
String RelativeKey(HKEY root, const String& key)
{
    String k = key;
    if (!k.empty() && k[0] == L'\\') k.erase(0, 1);
    for (const auto& r : kRoots) {
        for (const wchar_t* name : {r.longName, r.shortName}) {
            String prefix = String(name) + L"\\";
            if (StartsText(prefix, k)) {
                if (r.key != root) throw EJclRegistryError(L"\"" + key + L"\" does not match RootKey");
                return k.substr(prefix.size() - 1 + 1);
            }
        }
    }
    return k;
}

HKEY OpenForRead(HKEY root, const String& key)
{
    HKEY h = nullptr;
    String rel = RelativeKey(root, key);
    if (RegOpenKeyExW(root, rel.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        throw EJclRegistryError(L"Unable to open key \"" + RootKeyName(root) + L"\\" + key + L"\" for read");
    return h;
}

struct KeyCloser {
    HKEY h;
    ~KeyCloser() { RegCloseKey(h); }
};

}  // namespace

String RootKeyName(HKEY root)
{
    for (const auto& r : kRoots)
        if (r.key == root) return r.longName;
    return Format(L"$%.8x", {static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(root))});
}

bool GetRegDataType(HKEY root, const String& key, const String& name, DWORD& type)
{
    try {
        HKEY h = OpenForRead(root, key);
        KeyCloser closer{h};
        return RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS;
    } catch (const EJclRegistryError&) {
        return false;
    }
}

String ReadRegString(HKEY root, const String& key, const String& name)
{
    HKEY h = OpenForRead(root, key);
    KeyCloser closer{h};
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        throw EJclRegistryError(L"Unable to open key \"" + RootKeyName(root) + L"\\" + key + L"\" and access value \"" + name + L"\"");
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_BINARY)
        throw EJclRegistryError(L"\"" + RootKeyName(root) + L"\\" + key + L"\\" + name + L"\" is of wrong kind or size");
    std::vector<wchar_t> buf(size / 2 + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) != ERROR_SUCCESS)
        throw EJclRegistryError(L"Unable to open key \"" + RootKeyName(root) + L"\\" + key + L"\" and access value \"" + name + L"\"");
    size_t len = got / 2;
    // The stored terminator is dropped (and only it).
    if (len > 0 && buf[len - 1] == L'\0') --len;
    return String(buf.data(), len);
}

String ReadRegStringOrDefault(HKEY root, const String& key, const String& name, const String& def)
{
    try {
        return ReadRegString(root, key, name);
    } catch (...) {
        return def;
    }
}

int ReadRegInteger(HKEY root, const String& key, const String& name)
{
    DWORD type = 0;
    {
        HKEY h = OpenForRead(root, key);
        KeyCloser closer{h};
        if (RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
            throw EJclRegistryError(L"Unable to open key \"" + RootKeyName(root) + L"\\" + key + L"\" and access value \"" + name + L"\"");
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) return StrToInt(Trim(ReadRegString(root, key, name)));
    HKEY h = OpenForRead(root, key);
    KeyCloser closer{h};
    uint64_t value = 0;
    DWORD size = sizeof value;
    if ((type != REG_BINARY && type != REG_DWORD && type != REG_QWORD) ||
        RegQueryValueExW(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        throw EJclRegistryError(L"\"" + RootKeyName(root) + L"\\" + key + L"\\" + name + L"\" is of wrong kind or size");
    return static_cast<int>(static_cast<uint32_t>(value));
}

int ReadRegIntegerOrDefault(HKEY root, const String& key, const String& name, int def)
{
    try {
        return ReadRegInteger(root, key, name);
    } catch (...) {
        return def;
    }
}

// ---- Version -----------------------------------------------------------------------------------

namespace {

struct RuntimeVersion {
    DWORD platform = VER_PLATFORM_WIN32_NT, major = 0, minor = 0;
    String csd;
    BYTE productType = VER_NT_WORKSTATION;
};

const RuntimeVersion& Runtime()
{
    static const RuntimeVersion v = [] {
        RuntimeVersion r;
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
#pragma GCC diagnostic pop
            r.platform = info.dwPlatformId;
            r.major = info.dwMajorVersion;
            r.minor = info.dwMinorVersion;
            r.csd = info.szCSDVersion;
            r.productType = info.wProductType;
        }
        return r;
    }();
    return v;
}

const wchar_t* kCurrentVersionKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

int ClassifyNt10(const TWindowsVersionFacts& f, int minor)
{
    if (minor != 0) return 0;
    if (f.workstation) return 25;
    String release = f.readText ? f.readText(L"ReleaseId").value_or(L"0") : L"0";
    if (release == L"1607") return 26;
    if (release == L"1809") return 27;
    return 28;
}

}  // namespace

bool WindowsVersionAtLeast(int major, int minor)
{
    int m = static_cast<int>(Runtime().major), n = static_cast<int>(Runtime().minor);
    return m > major || (m == major && n >= minor);
}

int ClassifyWindowsVersion(const TWindowsVersionFacts& f)
{
    String sp = Trim(f.serviceText);
    if (!f.nt) {
        if (f.minor < 10) return (sp == L"B" || sp == L"C") ? 2 : 1;
        if (f.minor < 90) {
            if (f.kernelFileVersion == 0x0004005A) return 5;   // 4.90
            return (sp == L"A" || sp == L"B") ? 4 : 3;
        }
        if (f.minor == 90) return 5;
        return 0;
    }
    switch (f.major) {
    case 3:
        if (f.minor == 10) return 6;
        if (f.minor == 50) return 7;
        if (f.minor == 51) return 8;
        return 0;
    case 4:
        return 9;
    case 5:
        if (f.minor == 0) return 10;
        if (f.minor == 1) return 11;
        if (f.minor == 2) {
            if (f.serverR2) return 14;
            if (!f.nativeX86 && f.workstation) return 13;
            return 12;
        }
        return 0;
    case 6: {
        if (f.minor == 0) return f.workstation ? 15 : 16;
        if (f.minor == 1) return f.workstation ? 17 : 18;
        if (f.minor == 3) return f.workstation ? 22 : 24;
        if (f.minor != 2) return 0;
        String product = f.readText ? f.readText(L"ProductName").value_or(L"") : L"";
        if (StartsStr(L"Windows 8.1", product) || StartsStr(L"Windows Server 2012 R2", product)) return f.workstation ? 22 : 24;
        if (StartsStr(L"Windows 8", product) || StartsStr(L"Windows Server 2012", product)) return f.workstation ? 19 : 21;
        // Older interfaces report 6.2 for later releases too: ask the registry.
        std::optional<int> realMajor = f.readInteger ? f.readInteger(L"CurrentMajorVersionNumber") : std::nullopt;
        String current = f.readText ? f.readText(L"CurrentVersion").value_or(L"") : L"";
        if (current.empty()) current = IntToStr(f.major) + L"." + IntToStr(f.minor);
        int major;
        if (realMajor) {
            major = *realMajor;
        } else {
            String head = current.substr(0, current.find(L'.'));
            if (!TryStrToInt(head, major)) major = 2;
        }
        if (major == 6) return f.workstation ? 25 : 26;
        if (major == 10) {
            std::optional<int> realMinor = f.readInteger ? f.readInteger(L"CurrentMinorVersionNumber") : std::nullopt;
            int minor;
            if (realMinor) minor = *realMinor;
            else {
                size_t dot = current.find(L'.');
                if (dot == String::npos || !TryStrToInt(current.substr(dot + 1), minor)) minor = 0;
            }
            return ClassifyNt10(f, minor);
        }
        return f.workstation ? 19 : 21;
    }
    case 10:
        return ClassifyNt10(f, f.minor);
    default:
        return 0;
    }
}

TProcessorArchitecture ProcessorArchitecture()
{
    static const TProcessorArchitecture arch = [] {
        SYSTEM_INFO si{};
        using NativeInfo = void(WINAPI*)(LPSYSTEM_INFO);
        auto fn = reinterpret_cast<NativeInfo>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
        if (fn) fn(&si);
        else GetSystemInfo(&si);
        switch (si.wProcessorArchitecture) {
        case 0: return TProcessorArchitecture::paX86;
        case 9: return TProcessorArchitecture::paX64;
        case 6: return TProcessorArchitecture::paIA64;
        default: return TProcessorArchitecture::paUnknown;
        }
    }();
    return arch;
}

bool IsWindows64()
{
    auto a = ProcessorArchitecture();
    return a == TProcessorArchitecture::paX64 || a == TProcessorArchitecture::paIA64;
}

const TSystemFigures& SystemFigures()
{
    static const TSystemFigures figures = [] {
        TSystemFigures s;
        CPINFO cp{};
        if (!GetCPInfo(CP_ACP, &cp)) throw EJclInternalError(L"Failed to get ANSI replacement character");
        s.ansiReplacementChar = static_cast<char>(cp.DefaultChar[0]);
        SYSTEM_INFO si;
        ZeroMemoryBlock(&si, sizeof si);
        GetSystemInfo(&si);
        s.processorCount = si.dwNumberOfProcessors;
        s.allocationGranularity = si.dwAllocationGranularity;
        s.pageSize = si.dwPageSize;
        const RuntimeVersion& rt = Runtime();
        s.isWinNT = rt.platform == VER_PLATFORM_WIN32_NT;
        if (!s.isWinNT) {
            VS_FIXEDFILEINFO info;
            if (GetFixedFileVersion(ModuleFileName(GetModuleHandleW(L"kernel32.dll")), info)) s.kernelVersionHi = info.dwFileVersionMS;
        }
        TWindowsVersionFacts f;
        f.nt = s.isWinNT;
        f.major = static_cast<int>(rt.major);
        f.minor = static_cast<int>(rt.minor);
        f.serviceText = rt.csd;
        f.kernelFileVersion = s.kernelVersionHi;
        f.workstation = rt.productType == VER_NT_WORKSTATION;
        f.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
        f.nativeX86 = ProcessorArchitecture() == TProcessorArchitecture::paX86;
        f.readText = [](const String& name) -> std::optional<String> {
            try {
                return ReadRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name);
            } catch (...) {
                return std::nullopt;
            }
        };
        f.readInteger = [](const String& name) -> std::optional<int> {
            DWORD type;
            if (!GetRegDataType(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name, type) || type != REG_DWORD) return std::nullopt;
            try {
                return ReadRegInteger(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name);
            } catch (...) {
                return std::nullopt;
            }
        };
        s.windowsVersion = ClassifyWindowsVersion(f);
        s.versionFlags[s.windowsVersion] = true;
        if (s.windowsVersion >= 6 && s.windowsVersion <= 8) s.isWinNT3 = true;
        if (s.windowsVersion == 8) s.versionFlags[7] = true;
        return s;
    }();
    return figures;
}

// ---- Helpers -----------------------------------------------------------------------------------

String ModuleFileName(HMODULE module)
{
    wchar_t buf[262];
    DWORD n = GetModuleFileNameW(module, buf, 261);
    return String(buf, n);
}

bool GetFixedFileVersion(const String& fileName, VS_FIXEDFILEINFO& info)
{
    DWORD dummy = 0;
    DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &dummy);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, data.data())) return false;
    void* block = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(data.data(), L"\\", &block, &len) || len != sizeof(VS_FIXEDFILEINFO)) return false;
    info = *static_cast<VS_FIXEDFILEINFO*>(block);
    return true;
}

void ZeroMemoryBlock(void* p, intptr_t size)
{
    if (size > 0) std::memset(p, 0, static_cast<size_t>(size));
}

void FreeModuleAndClear(HMODULE& module)
{
    if (module) FreeLibrary(module);
    module = nullptr;
}
