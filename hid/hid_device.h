// One HID device interface known to the controller: its registry description, three handles
// opened on demand (a synchronous main handle, an overlapped read and an overlapped write
// handle), cached attributes, capabilities and strings, output reports, and the read thread
// that runs while the device is checked out and has a data handler.
//
// Only the controller creates devices. Handles are opened only while the device is accessible:
// plugged in and either checked out or being visited by a controller event.
#pragma once

#include "vcl/win.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "hid/hid_binding.h"
#include "hid/hid_errors.h"
#include "vcl/classes.h"
#include "vcl/strings.h"
#include "vcl/threads.h"
#include <atomic>

class THidDevice;
class THidDeviceController;
class THidDeviceReadThread;
class THidPnPInfo;

using THidPlugEvent = Method<void(THidDevice* HidDev)>;
// Answers true to go on with the next device.
using THidEnumerateEvent = Method<bool(THidDevice* HidDev, int Idx)>;
// Data points just behind the report id; Size counts the bytes there. Valid during the call.
using THidDataEvent = Method<void(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)>;
using THidDataErrorEvent = Method<void(THidDevice* HidDev, DWORD Error)>;
using THidDeviceCreateError =
    Method<void(THidDeviceController* Controller, THidPnPInfo* PnPInfo, bool& Handled, bool& RetryCreate)>;
using THidCheckCallback = bool (*)(THidDevice* HidDev);
using THidPhysicalDescriptor = std::vector<uint16_t>;

enum class THidOpenExMode { omhRead, omhWrite };

// ---- THidPnPInfo: the registry description of a device node --------------------------------------

class THidPnPInfo : public TObject {
public:
    THidPnPInfo(HDEVINFO APnPHandle, const String& ADevicePath, SP_DEVINFO_DATA& ADevData);
    ~THidPnPInfo() override;

    DWORD DeviceID() const { return FDeviceID; }
    const String& DevicePath() const { return FDevicePath; }
    DWORD Capabilities() const { return FCapabilities; }
    const String& ClassDescr() const { return FClassDescr; }
    const String& ClassGUID() const { return FClassGUID; }
    TStringList* CompatibleIDs() const { return FCompatibleIDs; }
    DWORD ConfigFlags() const { return FConfigFlags; }
    const String& DeviceDescr() const { return FDeviceDescr; }
    const String& Driver() const { return FDriver; }
    const String& FriendlyName() const { return FFriendlyName; }
    TStringList* HardwareID() const { return FHardwareID; }
    TStringList* LowerFilters() const { return FLowerFilters; }
    const String& Mfg() const { return FMfg; }
    TStringList* UpperFilters() const { return FUpperFilters; }
    const String& Address() const { return FAddress; }
    DWORD BusNumber() const { return FBusNumber; }
    const String& BusType() const { return FBusType; }
    const String& Characteristics() const { return FCharacteristics; }
    DWORD DevType() const { return FDevType; }
    const String& EnumeratorName() const { return FEnumeratorName; }
    DWORD Exclusive() const { return FExclusive; }
    DWORD LegacyBusType() const { return FLegacyBusType; }
    const String& LocationInfo() const { return FLocationInfo; }
    const String& PhysDevObjName() const { return FPhysDevObjName; }
    const String& SecuritySDS() const { return FSecuritySDS; }
    const String& Service() const { return FService; }
    DWORD UINumber() const { return FUINumber; }
    const String& UINumberFormat() const { return FUINumberFormat; }

private:
    DWORD FDeviceID = 0;
    String FDevicePath;
    DWORD FCapabilities = 0;
    String FClassDescr, FClassGUID;
    TStringList* FCompatibleIDs = nullptr;
    DWORD FConfigFlags = 0;
    String FDeviceDescr, FDriver, FFriendlyName;
    TStringList* FHardwareID = nullptr;
    TStringList* FLowerFilters = nullptr;
    String FMfg;
    TStringList* FUpperFilters = nullptr;
    String FAddress;
    DWORD FBusNumber = 0;
    String FBusType, FCharacteristics;
    DWORD FDevType = 0;
    String FEnumeratorName;
    DWORD FExclusive = 0, FLegacyBusType = 0;
    String FLocationInfo, FPhysDevObjName, FSecuritySDS, FService;
    DWORD FUINumber = 0;
    String FUINumberFormat;
};

// ---- THidDevice --------------------------------------------------------------------------------------

class THidDevice : public TObject {
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

public:
    // Devices come only from the controller: raises EControllerError.
    THidDevice();
    ~THidDevice() override;

    // Used by the controller's scan (and by the destructor to put a fresh entry back). Raises
    // EControllerError "Device cannot be identified" when the device opens but has no attributes.
    static THidDevice* CreateInternal(THidPnPInfo* PnPInfo, THidDeviceController* Controller);

    // ---- State
    bool IsPluggedIn() const { return FIsPluggedIn; }
    bool IsCheckedOut() const { return FIsCheckedOut; }
    bool IsAccessible() const { return FIsPluggedIn && (FIsCheckedOut || FIsEnumerated); }
    bool HasReadWriteAccess() const { return FHasReadWriteAccess; }
    HANDLE HidFileHandle() const { return FHidFileHandle; }
    HANDLE HidOverlappedRead() const { return FHidOverlappedRead; }
    HANDLE HidOverlappedWrite() const { return FHidOverlappedWrite; }
    const HIDD_ATTRIBUTES& Attributes() const { return FAttributes; }
    THidPnPInfo* PnPInfo() const { return FPnPInfo; }
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t tag) { FTag = tag; }
    bool HasReadThread() const { return FDataThread != nullptr; }

    // ---- Handles
    bool OpenFile();
    bool OpenFileEx(THidOpenExMode Mode);
    void CloseFile();
    void CloseFileEx(THidOpenExMode Mode);
    bool CancelIO(THidOpenExMode Mode);
    // Closes the handles, marks the device gone and calls OnUnplug once.
    void Unplug();

    // ---- Check-out and the read thread
    bool CheckOut();
    void StartReadThread();
    void StopReadThread();

    // ---- Events and timing
    const THidDataEvent& OnData() const { return FOnData; }
    void SetOnData(const THidDataEvent& handler);
    THidDataErrorEvent OnDataError;
    THidPlugEvent OnUnplug;
    int PollingDelayTime() const { return FPollingDelayTime; }
    void SetPollingDelayTime(int ms);   // 0..10000, others ignored
    int ThreadSleepTime() const { return FThreadSleepTime; }
    void SetThreadSleepTime(int ms);    // 10..10000, others ignored

    // ---- Reads the configurator uses
    HIDP_CAPS Caps();
    PHIDP_PREPARSED_DATA PreparsedData();
    String ProductName();
    bool WriteFile(const void* Report, DWORD ToWrite, DWORD& BytesWritten);
    bool ReadFileEx(void* Report, DWORD ToRead, LPOVERLAPPED_COMPLETION_ROUTINE CallBack);
    bool WriteFileEx(const void* Report, DWORD ToWrite, LPOVERLAPPED_COMPLETION_ROUTINE CallBack);
    DWORD HidOverlappedReadResult();
    DWORD HidOverlappedWriteResult();

    // ---- The rest of the device's interface
    String VendorName();
    String SerialNumber();
    TStringList* LanguageStrings();
    THidPhysicalDescriptor PhysicalDescriptor();
    String DeviceStrings(int Idx);
    HIDP_LINK_COLLECTION_NODE LinkCollectionNodes(int Idx);
    HIDD_CONFIGURATION Configuration();
    void SetConfiguration(const HIDD_CONFIGURATION& config);
    int NumInputBuffers() const { return FNumInputBuffers; }
    void SetNumInputBuffers(int count);
    int NumOverlappedBuffers() const { return FNumOverlappedBuffers; }
    void SetNumOverlappedBuffers(int count);
    DWORD MaxDataListLength() const { return FMaxDataListLength; }
    DWORD MaxUsageListLength() const { return FMaxUsageListLength; }
    DWORD MaxButtonListLength() const { return FMaxButtonListLength; }
    DWORD ReportTypeParam() const { return FReportTypeParam; }
    void SetReportTypeParam(DWORD value);
    WORD UsagePageParam() const { return FUsagePageParam; }
    void SetUsagePageParam(WORD value);
    WORD LinkCollectionParam = 0;
    WORD UsageParam = 0;

    bool FlushQueue();
    bool GetFeature(void* Report, DWORD Size);
    bool SetFeature(void* Report, DWORD Size);
    bool GetInputReport(void* Report, DWORD Size);
    bool SetOutputReport(void* Report, DWORD Size);
    NTSTATUS GetButtonCaps(PHIDP_BUTTON_CAPS ButtonCaps, USHORT& Count);
    NTSTATUS GetSpecificButtonCaps(PHIDP_BUTTON_CAPS ButtonCaps, USHORT& Count);
    NTSTATUS GetValueCaps(PHIDP_VALUE_CAPS ValueCaps, USHORT& Count);
    NTSTATUS GetSpecificValueCaps(PHIDP_VALUE_CAPS ValueCaps, USHORT& Count);
    NTSTATUS GetData(PHIDP_DATA DataList, ULONG& DataLength, void* Report, ULONG ReportLength);
    NTSTATUS SetData(PHIDP_DATA DataList, ULONG& DataLength, void* Report, ULONG ReportLength);
    NTSTATUS GetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS GetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS GetUsagesEx(PUSAGE_AND_PAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS GetButtonsEx(PUSAGE_AND_PAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS SetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS SetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS UnsetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS UnsetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength);
    NTSTATUS GetUsageValue(ULONG& UsageValue, void* Report, ULONG ReportLength);
    NTSTATUS GetScaledUsageValue(LONG& UsageValue, void* Report, ULONG ReportLength);
    NTSTATUS GetUsageValueArray(void* UsageValue, USHORT UsageValueByteLength, void* Report, ULONG ReportLength);
    NTSTATUS SetUsageValue(ULONG UsageValue, void* Report, ULONG ReportLength);
    NTSTATUS SetScaledUsageValue(LONG UsageValue, void* Report, ULONG ReportLength);
    NTSTATUS SetUsageValueArray(void* UsageValue, USHORT UsageValueByteLength, void* Report, ULONG ReportLength);
    NTSTATUS GetExtendedAttributes(USHORT DataIndex, PHIDP_EXTENDED_ATTRIBUTES Attributes, ULONG& LengthAttributes);
    NTSTATUS InitializeReportForID(UCHAR ReportID, void* Report, ULONG ReportLength);
    bool DeviceIoControl(DWORD IoControlCode, void* InBuffer, DWORD InSize, void* OutBuffer, DWORD OutSize,
                         DWORD& BytesReturned);
    bool ReadFile(void* Buffer, DWORD ToRead, DWORD& BytesRead);

private:
    struct TInternal {};
    explicit THidDevice(TInternal);
    bool OpenMain();
    String ReadString(hidlib::PHidD_Buffer fn, String& cache);
    int CountLanguageIds(const uint16_t* ids, int capacity);
    static HANDLE OpenPath(const String& path, DWORD access, DWORD flags);

    THidDeviceController* FMyController = nullptr;
    // Read by the read thread too (through OpenFileEx).
    std::atomic<bool> FIsPluggedIn{false};
    std::atomic<bool> FIsCheckedOut{false};
    std::atomic<bool> FIsEnumerated{false};
    HANDLE FHidFileHandle = INVALID_HANDLE_VALUE;
    HANDLE FHidOverlappedRead = INVALID_HANDLE_VALUE;
    HANDLE FHidOverlappedWrite = INVALID_HANDLE_VALUE;
    // The main thread may close the read handle while the read thread starts a read on it: both
    // take this lock around the handle, so a read never starts on a closed (or reused) handle.
    TCriticalSection FReadLock;
    OVERLAPPED FOvlRead{};
    OVERLAPPED FOvlWrite{};
    HIDD_ATTRIBUTES FAttributes{};
    THidPnPInfo* FPnPInfo = nullptr;
    String FVendorName;
    String FProductName;
    String FSerialNumber;
    THidPhysicalDescriptor FPhysicalDescriptor;
    PHIDP_PREPARSED_DATA FPreparsedData = nullptr;
    TStringList* FLanguageStrings = nullptr;
    int FNumInputBuffers = 0;
    int FNumOverlappedBuffers = 0;
    std::atomic<int> FPollingDelayTime{0};
    std::atomic<int> FThreadSleepTime{100};
    std::vector<HIDP_LINK_COLLECTION_NODE> FLinkCollection;
    bool FLinkCollectionLoaded = false;
    DWORD FMaxDataListLength = 0;
    DWORD FMaxUsageListLength = 0;
    DWORD FMaxButtonListLength = 0;
    DWORD FReportTypeParam = 0;
    WORD FUsagePageParam = 0;
    THidDataEvent FOnData;
    bool FHasReadWriteAccess = false;
    THidDeviceReadThread* FDataThread = nullptr;
    intptr_t FTag = 0;
};
