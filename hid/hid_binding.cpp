#include "hid/hid_binding.h"

#include <vector>

#include "hid/hid_errors.h"

namespace hidlib {

PHidD_Hello HidD_Hello;
PHidD_GetHidGuid HidD_GetHidGuid;
PHidD_GetPreparsedData HidD_GetPreparsedData;
PHidD_FreePreparsedData HidD_FreePreparsedData;
PHidD_GetConfiguration HidD_GetConfiguration;
PHidD_SetConfiguration HidD_SetConfiguration;
PHidD_FlushQueue HidD_FlushQueue;
PHidD_Buffer HidD_GetFeature;
PHidD_Buffer HidD_SetFeature;
PHidD_GetNumInputBuffers HidD_GetNumInputBuffers;
PHidD_SetNumInputBuffers HidD_SetNumInputBuffers;
PHidD_GetAttributes HidD_GetAttributes;
PHidD_Buffer HidD_GetManufacturerString;
PHidD_Buffer HidD_GetProductString;
PHidD_Buffer HidD_GetSerialNumberString;
PHidD_Buffer HidD_GetPhysicalDescriptor;
PHidD_GetIndexedString HidD_GetIndexedString;
PHidD_Buffer HidD_GetInputReport;
PHidD_Buffer HidD_SetOutputReport;
PHidP_GetCaps HidP_GetCaps;
PHidP_GetLinkCollectionNodes HidP_GetLinkCollectionNodes;
PHidP_GetSpecificButtonCaps HidP_GetSpecificButtonCaps;
PHidP_GetSpecificValueCaps HidP_GetSpecificValueCaps;
PHidP_Data HidP_GetData;
PHidP_Data HidP_SetData;
PHidP_MaxDataListLength HidP_MaxDataListLength;
PHidP_Usages HidP_GetUsages;
PHidP_Usages HidP_GetButtons;
PHidP_GetUsagesEx HidP_GetUsagesEx;
PHidP_GetUsagesEx HidP_GetButtonsEx;
PHidP_Usages HidP_SetUsages;
PHidP_Usages HidP_SetButtons;
PHidP_Usages HidP_UnsetUsages;
PHidP_Usages HidP_UnsetButtons;
PHidP_MaxUsageListLength HidP_MaxUsageListLength;
PHidP_MaxUsageListLength HidP_MaxButtonListLength;
PHidP_GetUsageValue HidP_GetUsageValue;
PHidP_GetScaledUsageValue HidP_GetScaledUsageValue;
PHidP_UsageValueArray HidP_GetUsageValueArray;
PHidP_SetUsageValue HidP_SetUsageValue;
PHidP_SetScaledUsageValue HidP_SetScaledUsageValue;
PHidP_UsageValueArray HidP_SetUsageValueArray;
PHidP_UsageListDifference HidP_UsageListDifference;
PHidP_TranslateUsagesToI8042ScanCodes HidP_TranslateUsagesToI8042ScanCodes;
PHidP_GetExtendedAttributes HidP_GetExtendedAttributes;
PHidP_InitializeReportForID HidP_InitializeReportForID;

PSetupDiGetClassDevsW SetupDiGetClassDevsW;
PSetupDiEnumDeviceInterfaces SetupDiEnumDeviceInterfaces;
PSetupDiGetDeviceInterfaceDetailW SetupDiGetDeviceInterfaceDetailW;
PSetupDiGetDeviceRegistryPropertyW SetupDiGetDeviceRegistryPropertyW;
PSetupDiDestroyDeviceInfoList SetupDiDestroyDeviceInfoList;

NTSTATUS HidP_GetButtonCaps(HIDP_REPORT_TYPE reportType, PHIDP_BUTTON_CAPS caps, PUSHORT length,
                            PHIDP_PREPARSED_DATA data)
{
    if (!HidP_GetSpecificButtonCaps) return HIDP_STATUS_NOT_IMPLEMENTED;
    return HidP_GetSpecificButtonCaps(reportType, 0, 0, 0, caps, length, data);
}

NTSTATUS HidP_GetValueCaps(HIDP_REPORT_TYPE reportType, PHIDP_VALUE_CAPS caps, PUSHORT length,
                           PHIDP_PREPARSED_DATA data)
{
    if (!HidP_GetSpecificValueCaps) return HIDP_STATUS_NOT_IMPLEMENTED;
    return HidP_GetSpecificValueCaps(reportType, 0, 0, 0, caps, length, data);
}

}  // namespace hidlib

namespace {

// ---- The system's resolver -------------------------------------------------------------------

class TSystemResolver : public THidLibraryResolver {
public:
    HMODULE Load(const wchar_t* fileName) override { return LoadLibraryW(fileName); }
    void Free(HMODULE module) override { FreeLibrary(module); }
    void* Find(HMODULE module, const char* name) override
    {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    }
    bool IsNtPlatform() override { return true; }   // every x64 Windows is of the NT family
    bool WindowsVersionAtLeast(int major, int minor) override
    {
        OSVERSIONINFOEXW vi{};
        vi.dwOSVersionInfoSize = sizeof(vi);
        vi.dwMajorVersion = static_cast<DWORD>(major);
        vi.dwMinorVersion = static_cast<DWORD>(minor);
        DWORDLONG mask = 0;
        mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
        mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
        return VerifyVersionInfoW(&vi, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
    }
};

TSystemResolver gSystemResolver;
THidLibraryResolver* gResolver = &gSystemResolver;

// ---- The HID library's variables, in binding order ---------------------------------------------

enum class TGate { None, ReportsPair, ExtendedPair };

struct THidEntry {
    const char* name;   // exported name
    void** slot;
    TGate gate;
};

template <class F>
void** SlotOf(F& var)
{
    return reinterpret_cast<void**>(&var);
}

#define QW_HID(var, gate) {#var, SlotOf(hidlib::var), TGate::gate}
#define QW_HID_AS(var, exported) {#exported, SlotOf(hidlib::var), TGate::None}

const std::vector<THidEntry>& HidEntries()
{
    static const std::vector<THidEntry> entries = {
        QW_HID(HidD_Hello, None),
        QW_HID(HidD_GetHidGuid, None),
        QW_HID(HidD_GetPreparsedData, None),
        QW_HID(HidD_FreePreparsedData, None),
        QW_HID(HidD_GetConfiguration, None),
        QW_HID(HidD_SetConfiguration, None),
        QW_HID(HidD_FlushQueue, None),
        QW_HID(HidD_GetFeature, None),
        QW_HID(HidD_SetFeature, None),
        QW_HID(HidD_GetNumInputBuffers, None),
        QW_HID(HidD_SetNumInputBuffers, None),
        QW_HID(HidD_GetAttributes, None),
        QW_HID(HidD_GetManufacturerString, None),
        QW_HID(HidD_GetProductString, None),
        QW_HID(HidD_GetSerialNumberString, None),
        QW_HID(HidD_GetPhysicalDescriptor, None),
        QW_HID(HidD_GetIndexedString, None),
        QW_HID(HidD_GetInputReport, ReportsPair),
        QW_HID(HidD_SetOutputReport, ReportsPair),
        QW_HID(HidP_GetCaps, None),
        QW_HID(HidP_GetLinkCollectionNodes, None),
        QW_HID(HidP_GetSpecificButtonCaps, None),
        QW_HID(HidP_GetSpecificValueCaps, None),
        QW_HID(HidP_GetData, None),
        QW_HID(HidP_SetData, None),
        QW_HID(HidP_MaxDataListLength, None),
        QW_HID(HidP_GetUsages, None),
        QW_HID_AS(HidP_GetButtons, HidP_GetUsages),
        QW_HID(HidP_GetUsagesEx, None),
        QW_HID_AS(HidP_GetButtonsEx, HidP_GetUsagesEx),
        QW_HID(HidP_SetUsages, None),
        QW_HID_AS(HidP_SetButtons, HidP_SetUsages),
        QW_HID(HidP_UnsetUsages, None),
        QW_HID_AS(HidP_UnsetButtons, HidP_UnsetUsages),
        QW_HID(HidP_MaxUsageListLength, None),
        QW_HID_AS(HidP_MaxButtonListLength, HidP_MaxUsageListLength),
        QW_HID(HidP_GetUsageValue, None),
        QW_HID(HidP_GetScaledUsageValue, None),
        QW_HID(HidP_GetUsageValueArray, None),
        QW_HID(HidP_SetUsageValue, None),
        QW_HID(HidP_SetScaledUsageValue, None),
        QW_HID(HidP_SetUsageValueArray, None),
        QW_HID(HidP_UsageListDifference, None),
        QW_HID(HidP_TranslateUsagesToI8042ScanCodes, None),
        QW_HID(HidP_GetExtendedAttributes, ExtendedPair),
        QW_HID(HidP_InitializeReportForID, ExtendedPair),
    };
    return entries;
}

#undef QW_HID
#undef QW_HID_AS

// ---- The SetupAPI library's variables ------------------------------------------------------------

struct TSetupFunction {
    const char* name;
    bool ansiAndWide;   // offered as name + "A" and name + "W"
};

// The published device-setup functions, in binding order by family.
const TSetupFunction kSetupFunctions[] = {
    {"SetupGetInfInformation", true},
    {"SetupQueryInfFileInformation", true},
    {"SetupQueryInfVersionInformation", true},
    {"SetupGetInfFileList", true},
    {"SetupOpenInfFile", true},
    {"SetupOpenMasterInf", false},
    {"SetupOpenAppendInfFile", true},
    {"SetupCloseInfFile", false},
    {"SetupFindFirstLine", true},
    {"SetupFindNextLine", false},
    {"SetupFindNextMatchLine", true},
    {"SetupGetLineByIndex", true},
    {"SetupGetLineCount", true},
    {"SetupGetLineText", true},
    {"SetupGetFieldCount", false},
    {"SetupGetStringField", true},
    {"SetupGetIntField", false},
    {"SetupGetMultiSzField", true},
    {"SetupGetBinaryField", false},
    {"SetupGetFileCompressionInfo", true},
    {"SetupDecompressOrCopyFile", true},
    {"SetupGetSourceFileLocation", true},
    {"SetupGetSourceFileSize", true},
    {"SetupGetTargetPath", true},
    {"SetupSetSourceList", true},
    {"SetupCancelTemporarySourceList", false},
    {"SetupAddToSourceList", true},
    {"SetupRemoveFromSourceList", true},
    {"SetupQuerySourceList", true},
    {"SetupFreeSourceList", true},
    {"SetupPromptForDisk", true},
    {"SetupCopyError", true},
    {"SetupRenameError", true},
    {"SetupDeleteError", true},
    {"SetupSetDirectoryId", true},
    {"SetupSetDirectoryIdEx", true},
    {"SetupGetSourceInfo", true},
    {"SetupInstallFile", true},
    {"SetupInstallFileEx", true},
    {"SetupOpenFileQueue", false},
    {"SetupCloseFileQueue", false},
    {"SetupSetPlatformPathOverride", true},
    {"SetupQueueCopy", true},
    {"SetupQueueDefaultCopy", true},
    {"SetupQueueCopySection", true},
    {"SetupQueueDelete", true},
    {"SetupQueueDeleteSection", true},
    {"SetupQueueRename", true},
    {"SetupQueueRenameSection", true},
    {"SetupCommitFileQueue", true},
    {"SetupScanFileQueue", true},
    {"SetupCopyOEMInf", true},
    {"SetupCreateDiskSpaceList", true},
    {"SetupDuplicateDiskSpaceList", true},
    {"SetupDestroyDiskSpaceList", false},
    {"SetupQueryDrivesInDiskSpaceList", true},
    {"SetupQuerySpaceRequiredOnDrive", true},
    {"SetupAdjustDiskSpaceList", true},
    {"SetupAddToDiskSpaceList", true},
    {"SetupAddSectionToDiskSpaceList", true},
    {"SetupAddInstallSectionToDiskSpaceList", true},
    {"SetupRemoveFromDiskSpaceList", true},
    {"SetupRemoveSectionFromDiskSpaceList", true},
    {"SetupRemoveInstallSectionFromDiskSpaceList", true},
    {"SetupIterateCabinet", true},
    {"SetupPromptReboot", false},
    {"SetupInitDefaultQueueCallback", false},
    {"SetupInitDefaultQueueCallbackEx", false},
    {"SetupTermDefaultQueueCallback", false},
    {"SetupDefaultQueueCallback", true},
    {"SetupInstallFromInfSection", true},
    {"SetupInstallFilesFromInfSection", true},
    {"SetupInstallServicesFromInfSection", true},
    {"SetupInstallServicesFromInfSectionEx", true},
    {"SetupInitializeFileLog", true},
    {"SetupTerminateFileLog", false},
    {"SetupLogFile", true},
    {"SetupRemoveFileLogEntry", true},
    {"SetupQueryFileLog", true},
    {"SetupOpenLog", false},
    {"SetupLogError", true},
    {"SetupCloseLog", false},
    {"SetupDiCreateDeviceInfoList", false},
    {"SetupDiCreateDeviceInfoListEx", true},
    {"SetupDiGetDeviceInfoListClass", false},
    {"SetupDiGetDeviceInfoListDetail", true},
    {"SetupDiCreateDeviceInfo", true},
    {"SetupDiOpenDeviceInfo", true},
    {"SetupDiGetDeviceInstanceId", true},
    {"SetupDiDeleteDeviceInfo", false},
    {"SetupDiEnumDeviceInfo", false},
    {"SetupDiDestroyDeviceInfoList", false},
    {"SetupDiEnumDeviceInterfaces", false},
    {"SetupDiCreateDeviceInterface", true},
    {"SetupDiOpenDeviceInterface", true},
    {"SetupDiGetDeviceInterfaceAlias", false},
    {"SetupDiDeleteDeviceInterfaceData", false},
    {"SetupDiRemoveDeviceInterface", false},
    {"SetupDiGetDeviceInterfaceDetail", true},
    {"SetupDiInstallDeviceInterfaces", false},
    {"SetupDiRegisterDeviceInfo", false},
    {"SetupDiBuildDriverInfoList", false},
    {"SetupDiCancelDriverInfoSearch", false},
    {"SetupDiEnumDriverInfo", true},
    {"SetupDiGetSelectedDriver", true},
    {"SetupDiSetSelectedDriver", true},
    {"SetupDiGetDriverInfoDetail", true},
    {"SetupDiDestroyDriverInfoList", false},
    {"SetupDiGetClassDevs", true},
    {"SetupDiGetClassDevsEx", true},
    {"SetupDiGetINFClass", true},
    {"SetupDiBuildClassInfoList", false},
    {"SetupDiBuildClassInfoListEx", true},
    {"SetupDiGetClassDescription", true},
    {"SetupDiGetClassDescriptionEx", true},
    {"SetupDiCallClassInstaller", false},
    {"SetupDiSelectDevice", false},
    {"SetupDiSelectBestCompatDrv", false},
    {"SetupDiInstallDevice", false},
    {"SetupDiInstallDriverFiles", false},
    {"SetupDiRegisterCoDeviceInstallers", false},
    {"SetupDiRemoveDevice", false},
    {"SetupDiUnremoveDevice", false},
    {"SetupDiMoveDuplicateDevice", false},
    {"SetupDiChangeState", false},
    {"SetupDiInstallClass", true},
    {"SetupDiInstallClassEx", true},
    {"SetupDiOpenClassRegKey", false},
    {"SetupDiOpenClassRegKeyEx", true},
    {"SetupDiCreateDeviceInterfaceRegKey", true},
    {"SetupDiOpenDeviceInterfaceRegKey", false},
    {"SetupDiDeleteDeviceInterfaceRegKey", false},
    {"SetupDiCreateDevRegKey", true},
    {"SetupDiOpenDevRegKey", false},
    {"SetupDiDeleteDevRegKey", false},
    {"SetupDiGetHwProfileList", false},
    {"SetupDiGetHwProfileListEx", true},
    {"SetupDiGetDeviceRegistryProperty", true},
    {"SetupDiSetDeviceRegistryProperty", true},
    {"SetupDiGetDeviceInstallParams", true},
    {"SetupDiGetClassInstallParams", true},
    {"SetupDiSetDeviceInstallParams", true},
    {"SetupDiSetClassInstallParams", true},
    {"SetupDiGetDriverInstallParams", true},
    {"SetupDiSetDriverInstallParams", true},
    {"SetupDiLoadClassIcon", false},
    {"SetupDiDrawMiniIcon", false},
    {"SetupDiGetClassBitmapIndex", false},
    {"SetupDiGetClassImageList", false},
    {"SetupDiGetClassImageListEx", true},
    {"SetupDiGetClassImageIndex", false},
    {"SetupDiDestroyClassImageList", false},
    {"SetupDiGetClassDevPropertySheets", true},
    {"SetupDiAskForOEMDisk", false},
    {"SetupDiSelectOEMDrv", false},
    {"SetupDiClassNameFromGuid", true},
    {"SetupDiClassNameFromGuidEx", true},
    {"SetupDiClassGuidsFromName", true},
    {"SetupDiClassGuidsFromNameEx", true},
    {"SetupDiGetHwProfileFriendlyName", true},
    {"SetupDiGetHwProfileFriendlyNameEx", true},
    {"SetupDiGetWizardPage", false},
    {"SetupDiGetSelectedDevice", false},
    {"SetupDiSetSelectedDevice", false},
    {"SetupDiGetActualSectionToInstall", true},
};

// The device-interface functions were once published under "InterfaceDevice" names; those are
// bound a second time, to the same exports.
struct TSetupAlias {
    const char* alias;
    const char* name;
    bool ansiAndWide;
};
const TSetupAlias kSetupAliases[] = {
    {"SetupDiEnumInterfaceDevice", "SetupDiEnumDeviceInterfaces", false},
    {"SetupDiCreateInterfaceDevice", "SetupDiCreateDeviceInterface", true},
    {"SetupDiOpenInterfaceDevice", "SetupDiOpenDeviceInterface", true},
    {"SetupDiGetInterfaceDeviceAlias", "SetupDiGetDeviceInterfaceAlias", false},
    {"SetupDiDeleteInterfaceDeviceData", "SetupDiDeleteDeviceInterfaceData", false},
    {"SetupDiRemoveInterfaceDevice", "SetupDiRemoveDeviceInterface", false},
    {"SetupDiGetInterfaceDeviceDetail", "SetupDiGetDeviceInterfaceDetail", true},
    {"SetupDiInstallInterfaceDevices", "SetupDiInstallDeviceInterfaces", false},
    {"SetupDiCreateInterfaceDeviceRegKey", "SetupDiCreateDeviceInterfaceRegKey", true},
    {"SetupDiOpenInterfaceDeviceRegKey", "SetupDiOpenDeviceInterfaceRegKey", false},
    {"SetupDiDeleteInterfaceDeviceRegKey", "SetupDiDeleteDeviceInterfaceRegKey", false},
};

struct TSetupEntry {
    std::string variable;   // the variable's name
    std::string exported;   // the name looked up
    void* fn = nullptr;
};

// A function offered in both forms gives three variables: A, W, and the unsuffixed one bound
// to the wide form, which is the default.
void AddSetupVariables(std::vector<TSetupEntry>& out, const std::string& variable, const std::string& exported,
                       bool ansiAndWide)
{
    if (!ansiAndWide) {
        out.push_back({variable, exported});
        return;
    }
    out.push_back({variable + "A", exported + "A"});
    out.push_back({variable + "W", exported + "W"});
    out.push_back({variable, exported + "W"});
}

std::vector<TSetupEntry>& SetupEntries()
{
    static std::vector<TSetupEntry> entries = [] {
        std::vector<TSetupEntry> v;
        for (const auto& f : kSetupFunctions) AddSetupVariables(v, f.name, f.name, f.ansiAndWide);
        for (const auto& a : kSetupAliases) AddSetupVariables(v, a.alias, a.name, a.ansiAndWide);
        return v;
    }();
    return entries;
}

void* FindSetupVariable(const std::string& variable)
{
    for (const auto& e : SetupEntries())
        if (e.variable == variable) return e.fn;
    return nullptr;
}

// ---- State of the two bindings -------------------------------------------------------------------

HMODULE gSetupModule = nullptr;
int gSetupRefCount = 0;
HMODULE gHidModule = nullptr;
int gHidRefCount = 0;

void ClearSetupVariables()
{
    for (auto& e : SetupEntries()) e.fn = nullptr;
    hidlib::SetupDiGetClassDevsW = nullptr;
    hidlib::SetupDiEnumDeviceInterfaces = nullptr;
    hidlib::SetupDiGetDeviceInterfaceDetailW = nullptr;
    hidlib::SetupDiGetDeviceRegistryPropertyW = nullptr;
    hidlib::SetupDiDestroyDeviceInfoList = nullptr;
}

void ClearHidVariables()
{
    for (const auto& e : HidEntries()) *e.slot = nullptr;
}

template <class F>
void Take(F& var, const char* variable)
{
    var = reinterpret_cast<F>(FindSetupVariable(variable));
}

}  // namespace

THidLibraryResolver* HidLibraryResolver()
{
    return gResolver;
}

void SetHidLibraryResolver(THidLibraryResolver* resolver)
{
    if (gSetupModule || gHidModule)
        throw EControllerError(L"The HID libraries are in use; their source cannot change now");
    gResolver = resolver ? resolver : &gSystemResolver;
}

// ---- Module loader ---------------------------------------------------------------------------------

bool OpenModule(HMODULE& handle, const wchar_t* fileName)
{
    if (!handle) {
        UINT old = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        handle = gResolver->Load(fileName);
        SetErrorMode(old);
    }
    return handle != nullptr;
}

void CloseModule(HMODULE& handle)
{
    if (handle) gResolver->Free(handle);
    handle = nullptr;
}

void* FindModuleSymbol(HMODULE handle, const char* name, bool& accu)
{
    void* fn = handle ? gResolver->Find(handle, name) : nullptr;
    accu = accu && fn != nullptr;
    return fn;
}

// ---- SetupAPI ------------------------------------------------------------------------------------

bool BindSetupLibrary()
{
    if (++gSetupRefCount > 1) return true;
    if (!OpenModule(gSetupModule, L"SetupApi.dll")) {
        --gSetupRefCount;
        return false;
    }
    bool ok = true;
    for (auto& e : SetupEntries()) e.fn = FindModuleSymbol(gSetupModule, e.exported.c_str(), ok);
    if (!ok) {
        ReleaseSetupLibrary();
        return false;
    }
    Take(hidlib::SetupDiGetClassDevsW, "SetupDiGetClassDevsW");
    Take(hidlib::SetupDiEnumDeviceInterfaces, "SetupDiEnumDeviceInterfaces");
    Take(hidlib::SetupDiGetDeviceInterfaceDetailW, "SetupDiGetDeviceInterfaceDetailW");
    Take(hidlib::SetupDiGetDeviceRegistryPropertyW, "SetupDiGetDeviceRegistryPropertyW");
    Take(hidlib::SetupDiDestroyDeviceInfoList, "SetupDiDestroyDeviceInfoList");
    return true;
}

void ReleaseSetupLibrary()
{
    if (--gSetupRefCount > 0) return;
    gSetupRefCount = 0;
    CloseModule(gSetupModule);
    ClearSetupVariables();
}

bool IsSetupLibraryBound()
{
    return gSetupModule != nullptr;
}

int SetupEntryPointCount()
{
    return static_cast<int>(SetupEntries().size());
}

int BoundSetupEntryPoints()
{
    int n = 0;
    for (const auto& e : SetupEntries()) n += e.fn != nullptr;
    return n;
}

void* SetupEntryPoint(const std::string& variableName)
{
    return FindSetupVariable(variableName);
}

// ---- HID -----------------------------------------------------------------------------------------

bool BindHidLibrary()
{
    if (++gHidRefCount > 1) return true;
    if (!OpenModule(gHidModule, L"HID.dll")) {
        --gHidRefCount;
        return false;
    }
    bool nt = gResolver->IsNtPlatform();
    bool reportsPair = nt && gResolver->WindowsVersionAtLeast(5, 1);
    bool extendedPair = nt && gResolver->WindowsVersionAtLeast(5, 0);
    bool ok = true;
    for (const auto& e : HidEntries()) {
        bool wanted = e.gate == TGate::None || (e.gate == TGate::ReportsPair && reportsPair) ||
                      (e.gate == TGate::ExtendedPair && extendedPair);
        *e.slot = wanted ? FindModuleSymbol(gHidModule, e.name, ok) : nullptr;
    }
    if (!ok) {
        ReleaseHidLibrary();
        return false;
    }
    return true;
}

void ReleaseHidLibrary()
{
    if (--gHidRefCount > 0) return;
    gHidRefCount = 0;
    CloseModule(gHidModule);
    ClearHidVariables();
}

bool IsHidLibraryBound()
{
    return gHidModule != nullptr;
}

int HidEntryPointCount()
{
    return static_cast<int>(HidEntries().size());
}

int BoundHidEntryPoints()
{
    int n = 0;
    for (const auto& e : HidEntries()) n += *e.slot != nullptr;
    return n;
}
