// The HID library ("HID.dll") and the device-setup library ("SetupApi.dll"), bound at run time.
//
// Nothing of either library is linked at load time: the controller binds them when it is
// created. Each binding is all-or-nothing (one missing entry point and the whole library stays
// unbound) and reference counted (several controllers may share it). Main thread only.
//
// Where the entry points come from is a resolver: the system's loads the DLLs and looks the
// names up; a test or the device simulator installs its own and answers with its functions.
#pragma once

#include "vcl/win.h"

#include <hidsdi.h>
#include <hidpi.h>
#include <setupapi.h>

// The headers' button forms are macros over the usage functions; ours are variables.
#undef HidP_SetButtons
#undef HidP_UnsetButtons
#undef HidP_GetButtons
#undef HidP_GetButtonsEx

#include <string>

// Where library handles and entry points come from.
class THidLibraryResolver {
public:
    virtual ~THidLibraryResolver() = default;
    // Loads a library; nullptr when it cannot be loaded.
    virtual HMODULE Load(const wchar_t* fileName) = 0;
    virtual void Free(HMODULE module) = 0;
    // An entry point by name; nullptr when the library has none of that name.
    virtual void* Find(HMODULE module, const char* name) = 0;
    // Gates the entry points that older systems lack.
    virtual bool IsNtPlatform() = 0;
    virtual bool WindowsVersionAtLeast(int major, int minor) = 0;
};

// The resolver in use (the system's unless another was installed).
THidLibraryResolver* HidLibraryResolver();
// Installs a resolver (nullptr: back to the system's). Only while neither library is bound:
// raises EControllerError otherwise, since bound entry points would come from two sources.
void SetHidLibraryResolver(THidLibraryResolver* resolver);

// ---- Module loader -----------------------------------------------------------------------------

// Loads fileName into handle unless it is loaded already, with the "file not found" boxes off.
bool OpenModule(HMODULE& handle, const wchar_t* fileName);
void CloseModule(HMODULE& handle);
// The entry point name of handle (nullptr when missing); accu collects the success of a run.
void* FindModuleSymbol(HMODULE handle, const char* name, bool& accu);

// ---- Bindings ----------------------------------------------------------------------------------

bool BindSetupLibrary();
void ReleaseSetupLibrary();
bool IsSetupLibraryBound();
bool BindHidLibrary();
void ReleaseHidLibrary();
bool IsHidLibraryBound();

// Entry-point variables, counted: how many a full binding fills and how many are set now.
int HidEntryPointCount();
int BoundHidEntryPoints();
int SetupEntryPointCount();
int BoundSetupEntryPoints();
// The SetupAPI variable of that name ("SetupDiGetClassDevs" is the wide form's alias,
// "SetupDiGetClassDevsW" the wide form itself); nullptr when unbound or unknown.
void* SetupEntryPoint(const std::string& variableName);

// ---- The entry points ----------------------------------------------------------------------------
// One variable per entry point, nullptr while unbound. Named as the system names them, inside a
// namespace so they do not collide with the prototypes of the platform headers.
namespace hidlib {

using PHidD_Hello = ULONG(WINAPI*)(PCHAR, ULONG);
using PHidD_GetHidGuid = void(WINAPI*)(LPGUID);
using PHidD_GetPreparsedData = BOOLEAN(WINAPI*)(HANDLE, PHIDP_PREPARSED_DATA*);
using PHidD_FreePreparsedData = BOOLEAN(WINAPI*)(PHIDP_PREPARSED_DATA);
using PHidD_GetConfiguration = BOOLEAN(WINAPI*)(HANDLE, PHIDD_CONFIGURATION, ULONG);
using PHidD_SetConfiguration = BOOLEAN(WINAPI*)(HANDLE, PHIDD_CONFIGURATION, ULONG);
using PHidD_FlushQueue = BOOLEAN(WINAPI*)(HANDLE);
using PHidD_Buffer = BOOLEAN(WINAPI*)(HANDLE, PVOID, ULONG);   // Get/SetFeature, strings, reports
using PHidD_GetNumInputBuffers = BOOLEAN(WINAPI*)(HANDLE, PULONG);
using PHidD_SetNumInputBuffers = BOOLEAN(WINAPI*)(HANDLE, ULONG);
using PHidD_GetAttributes = BOOLEAN(WINAPI*)(HANDLE, PHIDD_ATTRIBUTES);
using PHidD_GetIndexedString = BOOLEAN(WINAPI*)(HANDLE, ULONG, PVOID, ULONG);

using PHidP_GetCaps = NTSTATUS(WINAPI*)(PHIDP_PREPARSED_DATA, PHIDP_CAPS);
using PHidP_GetLinkCollectionNodes = NTSTATUS(WINAPI*)(PHIDP_LINK_COLLECTION_NODE, PULONG, PHIDP_PREPARSED_DATA);
using PHidP_GetSpecificButtonCaps = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, PHIDP_BUTTON_CAPS,
                                                     PUSHORT, PHIDP_PREPARSED_DATA);
using PHidP_GetSpecificValueCaps = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, PHIDP_VALUE_CAPS,
                                                    PUSHORT, PHIDP_PREPARSED_DATA);
using PHidP_Data = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, PHIDP_DATA, PULONG, PHIDP_PREPARSED_DATA, PCHAR, ULONG);
using PHidP_MaxDataListLength = ULONG(WINAPI*)(HIDP_REPORT_TYPE, PHIDP_PREPARSED_DATA);
using PHidP_Usages = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, PUSAGE, PULONG, PHIDP_PREPARSED_DATA, PCHAR,
                                      ULONG);
using PHidP_GetUsagesEx = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USHORT, PUSAGE_AND_PAGE, ULONG*, PHIDP_PREPARSED_DATA,
                                           PCHAR, ULONG);
using PHidP_MaxUsageListLength = ULONG(WINAPI*)(HIDP_REPORT_TYPE, USAGE, PHIDP_PREPARSED_DATA);
using PHidP_GetUsageValue = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, PULONG, PHIDP_PREPARSED_DATA,
                                             PCHAR, ULONG);
using PHidP_GetScaledUsageValue = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, PLONG,
                                                   PHIDP_PREPARSED_DATA, PCHAR, ULONG);
using PHidP_UsageValueArray = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, PCHAR, USHORT,
                                               PHIDP_PREPARSED_DATA, PCHAR, ULONG);
using PHidP_SetUsageValue = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, ULONG, PHIDP_PREPARSED_DATA,
                                             PCHAR, ULONG);
using PHidP_SetScaledUsageValue = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE, LONG,
                                                   PHIDP_PREPARSED_DATA, PCHAR, ULONG);
using PHidP_UsageListDifference = NTSTATUS(WINAPI*)(PUSAGE, PUSAGE, PUSAGE, PUSAGE, ULONG);
using PHidP_TranslateUsagesToI8042ScanCodes = NTSTATUS(WINAPI*)(PUSAGE, ULONG, HIDP_KEYBOARD_DIRECTION,
                                                               PHIDP_KEYBOARD_MODIFIER_STATE, PHIDP_INSERT_SCANCODES,
                                                               PVOID);
using PHidP_GetExtendedAttributes = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, USHORT, PHIDP_PREPARSED_DATA,
                                                     PHIDP_EXTENDED_ATTRIBUTES, PULONG);
using PHidP_InitializeReportForID = NTSTATUS(WINAPI*)(HIDP_REPORT_TYPE, UCHAR, PHIDP_PREPARSED_DATA, PCHAR, ULONG);

extern PHidD_Hello HidD_Hello;
extern PHidD_GetHidGuid HidD_GetHidGuid;
extern PHidD_GetPreparsedData HidD_GetPreparsedData;
extern PHidD_FreePreparsedData HidD_FreePreparsedData;
extern PHidD_GetConfiguration HidD_GetConfiguration;
extern PHidD_SetConfiguration HidD_SetConfiguration;
extern PHidD_FlushQueue HidD_FlushQueue;
extern PHidD_Buffer HidD_GetFeature;
extern PHidD_Buffer HidD_SetFeature;
extern PHidD_GetNumInputBuffers HidD_GetNumInputBuffers;
extern PHidD_SetNumInputBuffers HidD_SetNumInputBuffers;
extern PHidD_GetAttributes HidD_GetAttributes;
extern PHidD_Buffer HidD_GetManufacturerString;
extern PHidD_Buffer HidD_GetProductString;
extern PHidD_Buffer HidD_GetSerialNumberString;
extern PHidD_Buffer HidD_GetPhysicalDescriptor;
extern PHidD_GetIndexedString HidD_GetIndexedString;
extern PHidD_Buffer HidD_GetInputReport;
extern PHidD_Buffer HidD_SetOutputReport;
extern PHidP_GetCaps HidP_GetCaps;
extern PHidP_GetLinkCollectionNodes HidP_GetLinkCollectionNodes;
extern PHidP_GetSpecificButtonCaps HidP_GetSpecificButtonCaps;
extern PHidP_GetSpecificValueCaps HidP_GetSpecificValueCaps;
extern PHidP_Data HidP_GetData;
extern PHidP_Data HidP_SetData;
extern PHidP_MaxDataListLength HidP_MaxDataListLength;
extern PHidP_Usages HidP_GetUsages;
extern PHidP_Usages HidP_GetButtons;
extern PHidP_GetUsagesEx HidP_GetUsagesEx;
extern PHidP_GetUsagesEx HidP_GetButtonsEx;
extern PHidP_Usages HidP_SetUsages;
extern PHidP_Usages HidP_SetButtons;
extern PHidP_Usages HidP_UnsetUsages;
extern PHidP_Usages HidP_UnsetButtons;
extern PHidP_MaxUsageListLength HidP_MaxUsageListLength;
extern PHidP_MaxUsageListLength HidP_MaxButtonListLength;
extern PHidP_GetUsageValue HidP_GetUsageValue;
extern PHidP_GetScaledUsageValue HidP_GetScaledUsageValue;
extern PHidP_UsageValueArray HidP_GetUsageValueArray;
extern PHidP_SetUsageValue HidP_SetUsageValue;
extern PHidP_SetScaledUsageValue HidP_SetScaledUsageValue;
extern PHidP_UsageValueArray HidP_SetUsageValueArray;
extern PHidP_UsageListDifference HidP_UsageListDifference;
extern PHidP_TranslateUsagesToI8042ScanCodes HidP_TranslateUsagesToI8042ScanCodes;
extern PHidP_GetExtendedAttributes HidP_GetExtendedAttributes;
extern PHidP_InitializeReportForID HidP_InitializeReportForID;

// The plain caps forms: the specific ones with usage page, link collection and usage 0.
NTSTATUS HidP_GetButtonCaps(HIDP_REPORT_TYPE reportType, PHIDP_BUTTON_CAPS caps, PUSHORT length,
                            PHIDP_PREPARSED_DATA data);
NTSTATUS HidP_GetValueCaps(HIDP_REPORT_TYPE reportType, PHIDP_VALUE_CAPS caps, PUSHORT length,
                           PHIDP_PREPARSED_DATA data);

// The SetupAPI entry points the HID layer calls (the others are reachable by SetupEntryPoint).
using PSetupDiGetClassDevsW = HDEVINFO(WINAPI*)(const GUID*, PCWSTR, HWND, DWORD);
using PSetupDiEnumDeviceInterfaces = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                                  PSP_DEVICE_INTERFACE_DATA);
using PSetupDiGetDeviceInterfaceDetailW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W, DWORD, PDWORD,
                                                       PSP_DEVINFO_DATA);
using PSetupDiGetDeviceRegistryPropertyW = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD,
                                                        PDWORD);
using PSetupDiDestroyDeviceInfoList = BOOL(WINAPI*)(HDEVINFO);

extern PSetupDiGetClassDevsW SetupDiGetClassDevsW;
extern PSetupDiEnumDeviceInterfaces SetupDiEnumDeviceInterfaces;
extern PSetupDiGetDeviceInterfaceDetailW SetupDiGetDeviceInterfaceDetailW;
extern PSetupDiGetDeviceRegistryPropertyW SetupDiGetDeviceRegistryPropertyW;
extern PSetupDiDestroyDeviceInfoList SetupDiDestroyDeviceInfoList;

}  // namespace hidlib
