// Small system routines run once at start-up: the Windows version and its classification,
// basic system figures, the ANSI replacement character, registry readers and a lock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "vcl/sysutils.h"
#include "vcl/win.h"

QW_DECLARE_EXCEPTION(EJclError, Exception);
QW_DECLARE_EXCEPTION(EJclInternalError, EJclError);
QW_DECLARE_EXCEPTION(EJclRegistryError, EJclError);

// A plain mutual-exclusion lock.
class TJclCriticalSection {
public:
    TJclCriticalSection() { InitializeCriticalSection(&FCriticalSection); }
    virtual ~TJclCriticalSection() { DeleteCriticalSection(&FCriticalSection); }
    TJclCriticalSection(const TJclCriticalSection&) = delete;
    TJclCriticalSection& operator=(const TJclCriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&FCriticalSection); }
    void Leave() { LeaveCriticalSection(&FCriticalSection); }
    // Creates a lock into section unless another thread installed one first (an atomic
    // compare-exchange against null), then enters the installed one.
    static void CreateAndEnter(TJclCriticalSection*& section);

private:
    CRITICAL_SECTION FCriticalSection;
};

// ---- Registry readers --------------------------------------------------------------------------
// Key paths may start with a root name ("HKEY_LOCAL_MACHINE\" or "HKLM\" ...) that must match
// root; the raising forms throw EJclRegistryError, the defaulting forms answer def.
String ReadRegString(HKEY root, const String& key, const String& name);
String ReadRegStringOrDefault(HKEY root, const String& key, const String& name, const String& def);
int ReadRegInteger(HKEY root, const String& key, const String& name);
int ReadRegIntegerOrDefault(HKEY root, const String& key, const String& name, int def);
bool GetRegDataType(HKEY root, const String& key, const String& name, DWORD& type);
// The root key's long name, or "$%.8x" of its handle.
String RootKeyName(HKEY root);

// ---- Windows version ---------------------------------------------------------------------------

// True when the running Windows' version is major.minor or later.
bool WindowsVersionAtLeast(int major, int minor);

// What the classification reads; filled from the system, or by tests.
struct TWindowsVersionFacts {
    bool nt = true;
    int major = 0, minor = 0;
    String serviceText;               // CSD version, trimmed by the classifier
    uint32_t kernelFileVersion = 0;   // high half of kernel32's file version (older family)
    bool workstation = true;          // VER_NT_WORKSTATION
    bool serverR2 = false;            // SM_SERVERR2
    bool nativeX86 = true;
    // Reads a text or integer value under HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion.
    std::function<std::optional<String>(const String& name)> readText;
    std::function<std::optional<int>(const String& name)> readInteger;
};

// The version class 0..28 (0 unknown) of the facts.
int ClassifyWindowsVersion(const TWindowsVersionFacts& facts);

enum class TProcessorArchitecture { paUnknown = 0, paX86 = 1, paX64 = 2, paIA64 = 3 };

struct TSystemFigures {
    unsigned processorCount = 0;
    unsigned allocationGranularity = 0;
    unsigned pageSize = 0;
    bool isWinNT = false;
    uint32_t kernelVersionHi = 0;
    int windowsVersion = 0;              // the class
    bool versionFlags[29] = {};          // one per class
    bool isWinNT3 = false;               // classes 6, 7, 8
    char ansiReplacementChar = '?';
};

// Start-up figures, read once on first use.
const TSystemFigures& SystemFigures();
TProcessorArchitecture ProcessorArchitecture();
bool IsWindows64();

// ---- Helpers ------------------------------------------------------------------------------------
String ModuleFileName(HMODULE module);                       // up to 261 characters
bool GetFixedFileVersion(const String& fileName, VS_FIXEDFILEINFO& info);   // exactly 52 bytes
void ZeroMemoryBlock(void* p, intptr_t size);               // nothing for size <= 0
void FreeModuleAndClear(HMODULE& module);
