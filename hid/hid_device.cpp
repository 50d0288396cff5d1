#include "hid/hid_device.h"

#include <algorithm>
#include <cwchar>

#include <objbase.h>

#include "hid/hid_controller.h"
#include "hid/hid_file_io.h"
#include "hid/hid_read_thread.h"

// ---- THidPnPInfo ---------------------------------------------------------------------------------

namespace {

// Registry properties of the device node; the data type the system reports is not looked at.
struct TPropertyReader {
    HDEVINFO set;
    SP_DEVINFO_DATA* dev;

    DWORD Number(DWORD property) const
    {
        DWORD value = 0;
        if (hidlib::SetupDiGetDeviceRegistryPropertyW)
            hidlib::SetupDiGetDeviceRegistryPropertyW(set, dev, property, nullptr, reinterpret_cast<PBYTE>(&value),
                                                      sizeof(value), nullptr);
        return value;
    }

    // The raw value with room for extra terminating characters; empty when absent.
    std::vector<wchar_t> Raw(DWORD property, int terminators) const
    {
        if (!hidlib::SetupDiGetDeviceRegistryPropertyW) return {};
        DWORD required = 0;
        hidlib::SetupDiGetDeviceRegistryPropertyW(set, dev, property, nullptr, nullptr, 0, &required);
        if (required == 0) return {};
        std::vector<wchar_t> buf(required / sizeof(wchar_t) + 1 + terminators, L'\0');
        if (!hidlib::SetupDiGetDeviceRegistryPropertyW(set, dev, property, nullptr, reinterpret_cast<PBYTE>(buf.data()),
                                                       required, nullptr))
            return {};
        return buf;
    }

    String Text(DWORD property) const
    {
        auto buf = Raw(property, 1);
        return buf.empty() ? String() : String(buf.data());
    }

    TStringList* List(DWORD property) const
    {
        auto* list = new TStringList;
        auto buf = Raw(property, 2);
        for (size_t i = 0; i < buf.size() && buf[i] != L'\0';) {
            String item(&buf[i]);
            list->Add(item);
            i += item.size() + 1;
        }
        return list;
    }

    String Guid(DWORD property) const
    {
        GUID g{};
        if (hidlib::SetupDiGetDeviceRegistryPropertyW)
            hidlib::SetupDiGetDeviceRegistryPropertyW(set, dev, property, nullptr, reinterpret_cast<PBYTE>(&g),
                                                      sizeof(g), nullptr);
        wchar_t text[40];
        StringFromGUID2(g, text, 40);
        return text;
    }
};

}  // namespace

THidPnPInfo::THidPnPInfo(HDEVINFO APnPHandle, const String& ADevicePath, SP_DEVINFO_DATA& ADevData)
{
    TPropertyReader r{APnPHandle, &ADevData};
    FDeviceID = ADevData.DevInst;
    FDevicePath = ADevicePath;
    FCapabilities = r.Number(SPDRP_CAPABILITIES);
    FClassDescr = r.Text(SPDRP_CLASS);
    FClassGUID = r.Text(SPDRP_CLASSGUID);
    FCompatibleIDs = r.List(SPDRP_COMPATIBLEIDS);
    FConfigFlags = r.Number(SPDRP_CONFIGFLAGS);
    FDeviceDescr = r.Text(SPDRP_DEVICEDESC);
    FDriver = r.Text(SPDRP_DRIVER);
    FFriendlyName = r.Text(SPDRP_FRIENDLYNAME);
    FHardwareID = r.List(SPDRP_HARDWAREID);
    FLowerFilters = r.List(SPDRP_LOWERFILTERS);
    FMfg = r.Text(SPDRP_MFG);
    FUpperFilters = r.List(SPDRP_UPPERFILTERS);
    FService = r.Text(SPDRP_SERVICE);
    FAddress = r.Text(SPDRP_ADDRESS);
    FBusNumber = r.Number(SPDRP_BUSNUMBER);
    FBusType = r.Guid(SPDRP_BUSTYPEGUID);
    FCharacteristics = r.Text(SPDRP_CHARACTERISTICS);
    FDevType = r.Number(SPDRP_DEVTYPE);
    FEnumeratorName = r.Text(SPDRP_ENUMERATOR_NAME);
    FExclusive = r.Number(SPDRP_EXCLUSIVE);
    FLegacyBusType = r.Number(SPDRP_LEGACYBUSTYPE);
    FLocationInfo = r.Text(SPDRP_LOCATION_INFORMATION);
    FPhysDevObjName = r.Text(SPDRP_PHYSICAL_DEVICE_OBJECT_NAME);
    FSecuritySDS = r.Text(SPDRP_SECURITY_SDS);
    FUINumber = r.Number(SPDRP_UI_NUMBER);
    FUINumberFormat = r.Text(SPDRP_UI_NUMBER_DESC_FORMAT);
}

THidPnPInfo::~THidPnPInfo()
{
    delete FCompatibleIDs;
    delete FHardwareID;
    delete FLowerFilters;
    delete FUpperFilters;
}

// ---- THidDevice: creation and destruction ----------------------------------------------------------

namespace {
constexpr ULONG kStringBytes = 508;   // 254 wide characters
constexpr int kStringChars = kStringBytes / 2;
}  // namespace

THidDevice::THidDevice()
{
    throw EControllerError(L"Direct creation of a THidDevice object is not allowed");
}

THidDevice::THidDevice(TInternal)
{
    FLanguageStrings = new TStringList;
}

THidDevice* THidDevice::CreateInternal(THidPnPInfo* PnPInfo, THidDeviceController* Controller)
{
    std::unique_ptr<THidDevice> dev(new THidDevice(TInternal{}));
    dev->FMyController = Controller;
    dev->FIsPluggedIn = true;
    if (Controller) {
        dev->FPollingDelayTime = Controller->DevPollingDelayTime();
        dev->FThreadSleepTime = Controller->DevThreadSleepTime();
        dev->SetOnData(Controller->OnDeviceData());
        dev->OnUnplug = Controller->OnDeviceUnplug();
        dev->OnDataError = Controller->OnDeviceDataError();
    }
    const String& path = PnPInfo->DevicePath();
    dev->FHidFileHandle = OpenPath(path, GENERIC_READ | GENERIC_WRITE, 0);
    dev->FHasReadWriteAccess = dev->FHidFileHandle != INVALID_HANDLE_VALUE;
    if (!dev->FHasReadWriteAccess) dev->FHidFileHandle = OpenPath(path, 0, 0);
    if (dev->FHidFileHandle == INVALID_HANDLE_VALUE) {
        // Listed anyway, with zero attributes and no access.
        OutputDebugStringW((L"GGRRRRR: " + PnPInfo->FriendlyName()).c_str());
    } else {
        dev->FAttributes.Size = sizeof(HIDD_ATTRIBUTES);
        if (!hidlib::HidD_GetAttributes || !hidlib::HidD_GetAttributes(dev->FHidFileHandle, &dev->FAttributes)) {
            dev->CloseFile();
            throw EControllerError(L"Device cannot be identified");
        }
    }
    dev->FPnPInfo = PnPInfo;
    dev->CloseFile();
    return dev.release();
}

THidDevice::~THidDevice()
{
    THidDataEvent oldOnData = FOnData;
    THidPlugEvent oldOnUnplug = OnUnplug;
    SetOnData(nullptr);   // stops the read thread
    OnUnplug = nullptr;
    CloseFile();
    CloseFileEx(THidOpenExMode::omhRead);
    CloseFileEx(THidOpenExMode::omhWrite);
    if (FPreparsedData && hidlib::HidD_FreePreparsedData) hidlib::HidD_FreePreparsedData(FPreparsedData);
    FPreparsedData = nullptr;
    delete FLanguageStrings;

    THidPnPInfo* pnp = FPnPInfo;
    if (THidDeviceController* ctl = FMyController) {
        auto& list = ctl->FList;
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end()) {
            if (FIsPluggedIn) {
                // A device freed while still present leaves a fresh, checked-in entry for its
                // node, with the same handlers and timing.
                try {
                    THidDevice* fresh = CreateInternal(pnp, ctl);
                    pnp = nullptr;
                    fresh->SetOnData(oldOnData);
                    fresh->OnUnplug = oldOnUnplug;
                    fresh->SetPollingDelayTime(FPollingDelayTime);
                    fresh->SetThreadSleepTime(FThreadSleepTime);
                    *it = fresh;
                } catch (...) {
                    // No fresh entry (a destructor must not throw): the slot goes.
                    list.erase(it);
                }
            } else {
                list.erase(it);
            }
            ctl->Recount();
        }
    }
    delete pnp;
}

// ---- Handles -------------------------------------------------------------------------------------

HANDLE THidDevice::OpenPath(const String& path, DWORD access, DWORD flags)
{
    HANDLE h = HidFileIo().Create(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, flags);
    return h ? h : INVALID_HANDLE_VALUE;
}

bool THidDevice::OpenMain()
{
    if (FHidFileHandle != INVALID_HANDLE_VALUE) return true;
    const String& path = FPnPInfo->DevicePath();
    FHidFileHandle = OpenPath(path, GENERIC_READ | GENERIC_WRITE, 0);
    FHasReadWriteAccess = FHidFileHandle != INVALID_HANDLE_VALUE;
    if (!FHasReadWriteAccess) FHidFileHandle = OpenPath(path, 0, 0);
    if (FHidFileHandle == INVALID_HANDLE_VALUE) return false;
    if (FNumInputBuffers != 0 && hidlib::HidD_SetNumInputBuffers)
        hidlib::HidD_SetNumInputBuffers(FHidFileHandle, static_cast<ULONG>(FNumInputBuffers));
    ULONG n = 0;
    if (hidlib::HidD_GetNumInputBuffers && hidlib::HidD_GetNumInputBuffers(FHidFileHandle, &n))
        FNumInputBuffers = static_cast<int>(n);
    return true;
}

bool THidDevice::OpenFile()
{
    if (!IsAccessible() || !FPnPInfo) return false;
    return OpenMain();
}

bool THidDevice::OpenFileEx(THidOpenExMode Mode)
{
    if (!IsAccessible() || !FPnPInfo) {
        // The read thread reports this code: say why nothing was opened.
        SetLastError(FIsPluggedIn ? ERROR_ACCESS_DENIED : ERROR_DEVICE_NOT_CONNECTED);
        return false;
    }
    const String& path = FPnPInfo->DevicePath();
    if (Mode == THidOpenExMode::omhRead) {
        TLockGuard lock(FReadLock);
        if (FHidOverlappedRead == INVALID_HANDLE_VALUE) {
            FHidOverlappedRead = OpenPath(path, GENERIC_READ, FILE_FLAG_OVERLAPPED);
            if (FHidOverlappedRead != INVALID_HANDLE_VALUE) {
                if (FNumOverlappedBuffers != 0 && hidlib::HidD_SetNumInputBuffers)
                    hidlib::HidD_SetNumInputBuffers(FHidOverlappedRead, static_cast<ULONG>(FNumOverlappedBuffers));
                ULONG n = 0;
                if (hidlib::HidD_GetNumInputBuffers && hidlib::HidD_GetNumInputBuffers(FHidOverlappedRead, &n))
                    FNumOverlappedBuffers = static_cast<int>(n);
            }
        }
        return FHidOverlappedRead != INVALID_HANDLE_VALUE;
    }
    if (FHidOverlappedWrite == INVALID_HANDLE_VALUE)
        FHidOverlappedWrite = OpenPath(path, GENERIC_WRITE, FILE_FLAG_OVERLAPPED);
    return FHidOverlappedWrite != INVALID_HANDLE_VALUE;
}

void THidDevice::CloseFile()
{
    if (FHidFileHandle != INVALID_HANDLE_VALUE) HidFileIo().Close(FHidFileHandle);
    FHidFileHandle = INVALID_HANDLE_VALUE;
    FNumInputBuffers = 0;
}

void THidDevice::CloseFileEx(THidOpenExMode Mode)
{
    if (Mode == THidOpenExMode::omhRead) {
        TLockGuard lock(FReadLock);
        if (FHidOverlappedRead != INVALID_HANDLE_VALUE) HidFileIo().Close(FHidOverlappedRead);
        FHidOverlappedRead = INVALID_HANDLE_VALUE;
        FNumOverlappedBuffers = 0;
    } else {
        if (FHidOverlappedWrite != INVALID_HANDLE_VALUE) HidFileIo().Close(FHidOverlappedWrite);
        FHidOverlappedWrite = INVALID_HANDLE_VALUE;
    }
}

bool THidDevice::CancelIO(THidOpenExMode Mode)
{
    if (Mode == THidOpenExMode::omhRead) {
        TLockGuard lock(FReadLock);
        return FHidOverlappedRead != INVALID_HANDLE_VALUE && HidFileIo().Cancel(FHidOverlappedRead);
    }
    return FHidOverlappedWrite != INVALID_HANDLE_VALUE && HidFileIo().Cancel(FHidOverlappedWrite);
}

void THidDevice::Unplug()
{
    CloseFile();
    CloseFileEx(THidOpenExMode::omhRead);
    CloseFileEx(THidOpenExMode::omhWrite);
    FIsPluggedIn = false;
    THidPlugEvent handler = OnUnplug;
    OnUnplug = nullptr;   // once per device, even when the handler raises
    if (handler) handler(this);
}

// ---- Check-out and the read thread -----------------------------------------------------------------

bool THidDevice::CheckOut()
{
    if (!FMyController || !FIsPluggedIn || FIsCheckedOut) return false;
    FIsCheckedOut = true;
    ++FMyController->FNumCheckedOutDevices;
    --FMyController->FNumCheckedInDevices;
    StartReadThread();
    return true;
}

void THidDevice::StartReadThread()
{
    if (FOnData && FIsPluggedIn && FIsCheckedOut && FHasReadWriteAccess && !FDataThread) {
        // Open the read handle now: the driver buffers reports only for open handles, so a
        // reply to a request sent right after check-out waits there for the new thread.
        OpenFileEx(THidOpenExMode::omhRead);
        FDataThread = THidDeviceReadThread::CreateInternal(this);
    }
}

void THidDevice::StopReadThread()
{
    if (!FDataThread) return;
    THidDeviceReadThread* thread = FDataThread;
    thread->Terminate();
    thread->WaitFor();
    FDataThread = nullptr;
    delete thread;
}

void THidDevice::SetOnData(const THidDataEvent& handler)
{
    if (!handler) StopReadThread();
    FOnData = handler;
    StartReadThread();
}

void THidDevice::SetPollingDelayTime(int ms)
{
    if (ms >= 0 && ms <= 10000) FPollingDelayTime = ms;
}

void THidDevice::SetThreadSleepTime(int ms)
{
    if (ms >= 10 && ms <= 10000) FThreadSleepTime = ms;
}

// ---- Reads the configurator uses ---------------------------------------------------------------------

HIDP_CAPS THidDevice::Caps()
{
    HIDP_CAPS caps{};
    PHIDP_PREPARSED_DATA data = PreparsedData();
    if (data && hidlib::HidP_GetCaps) hidlib::HidP_GetCaps(data, &caps);
    return caps;
}

PHIDP_PREPARSED_DATA THidDevice::PreparsedData()
{
    if (!FPreparsedData && OpenFile()) {
        if (hidlib::HidD_GetPreparsedData && !hidlib::HidD_GetPreparsedData(FHidFileHandle, &FPreparsedData))
            FPreparsedData = nullptr;
        CloseFile();
    }
    return FPreparsedData;
}

String THidDevice::ReadString(hidlib::PHidD_Buffer fn, String& cache)
{
    if (cache.empty() && fn && OpenFile()) {
        wchar_t buf[kStringChars + 1] = {};
        if (fn(FHidFileHandle, buf, kStringBytes)) cache.assign(buf, wcsnlen(buf, kStringChars));
        CloseFile();
    }
    return cache;
}

String THidDevice::ProductName()
{
    return ReadString(hidlib::HidD_GetProductString, FProductName);
}

String THidDevice::VendorName()
{
    return ReadString(hidlib::HidD_GetManufacturerString, FVendorName);
}

bool THidDevice::WriteFile(const void* Report, DWORD ToWrite, DWORD& BytesWritten)
{
    BytesWritten = 0;
    if (!OpenFile()) return false;
    return HidFileIo().Write(FHidFileHandle, Report, ToWrite, &BytesWritten) != FALSE;
}

bool THidDevice::ReadFileEx(void* Report, DWORD ToRead, LPOVERLAPPED_COMPLETION_ROUTINE CallBack)
{
    if (!OpenFileEx(THidOpenExMode::omhRead)) return false;
    TLockGuard lock(FReadLock);
    if (FHidOverlappedRead == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    FOvlRead = OVERLAPPED{};
    FOvlRead.hEvent = reinterpret_cast<HANDLE>(this);   // lets a completion routine find the device
    return HidFileIo().ReadEx(FHidOverlappedRead, Report, ToRead, &FOvlRead, CallBack) != FALSE;
}

bool THidDevice::WriteFileEx(const void* Report, DWORD ToWrite, LPOVERLAPPED_COMPLETION_ROUTINE CallBack)
{
    if (!OpenFileEx(THidOpenExMode::omhWrite)) return false;
    FOvlWrite = OVERLAPPED{};
    FOvlWrite.hEvent = reinterpret_cast<HANDLE>(this);
    return HidFileIo().WriteEx(FHidOverlappedWrite, Report, ToWrite, &FOvlWrite, CallBack) != FALSE;
}

DWORD THidDevice::HidOverlappedReadResult()
{
    TLockGuard lock(FReadLock);
    DWORD n = 0;
    if (FHidOverlappedRead == INVALID_HANDLE_VALUE) return 0;
    if (!HidFileIo().OverlappedResult(FHidOverlappedRead, &FOvlRead, &n, FALSE)) return 0;
    return n;
}

DWORD THidDevice::HidOverlappedWriteResult()
{
    DWORD n = 0;
    if (FHidOverlappedWrite == INVALID_HANDLE_VALUE) return 0;
    if (!HidFileIo().OverlappedResult(FHidOverlappedWrite, &FOvlWrite, &n, FALSE)) return 0;
    return n;
}

// ---- Strings, descriptors, configuration -----------------------------------------------------------

// Entries of a language-id list read into a buffer filled with 0xFFFF: up to the last entry
// that is not 0xFFFF, and that one only when it is not 0.
int THidDevice::CountLanguageIds(const uint16_t* ids, int capacity)
{
    int last = -1;
    for (int i = 0; i < capacity; ++i)
        if (ids[i] != 0xFFFF) last = i;
    if (last < 0) return 0;
    return ids[last] != 0 ? last + 1 : last;
}

String THidDevice::SerialNumber()
{
    if (FSerialNumber.empty() && hidlib::HidD_GetSerialNumberString && OpenFile()) {
        wchar_t serial[kStringChars + 1] = {};
        if (hidlib::HidD_GetSerialNumberString(FHidFileHandle, serial, kStringBytes)) {
            uint16_t langs[kStringChars];
            std::fill(std::begin(langs), std::end(langs), 0xFFFF);
            if (hidlib::HidD_GetIndexedString) hidlib::HidD_GetIndexedString(FHidFileHandle, 0, langs, kStringBytes);
            int n = CountLanguageIds(langs, kStringChars);
            // Some devices answer the language list for the serial number: not a serial number.
            bool differs = false;
            for (int i = 0; i < n; ++i)
                if (static_cast<uint16_t>(serial[i]) != langs[i]) differs = true;
            if (differs) FSerialNumber.assign(serial, wcsnlen(serial, kStringChars));
        }
        CloseFile();
    }
    return FSerialNumber;
}

TStringList* THidDevice::LanguageStrings()
{
    if (FLanguageStrings->Count() == 0 && OpenFile()) {
        uint16_t langs[kStringChars];
        std::fill(std::begin(langs), std::end(langs), 0xFFFF);
        if (hidlib::HidD_GetIndexedString) hidlib::HidD_GetIndexedString(FHidFileHandle, 0, langs, kStringBytes);
        int n = CountLanguageIds(langs, kStringChars);
        for (int i = 0; i < n; ++i) {
            wchar_t name[256] = {};
            if (GetLocaleInfoW(MAKELCID(langs[i], SORT_DEFAULT), LOCALE_SLANGUAGE, name, 256) > 0)
                FLanguageStrings->Add(name);
            else
                FLanguageStrings->Add(Format(L"Unknown Locale ID $%.4x", {static_cast<unsigned>(langs[i])}));
        }
        CloseFile();
    }
    return FLanguageStrings;
}

THidPhysicalDescriptor THidDevice::PhysicalDescriptor()
{
    if (FPhysicalDescriptor.empty() && hidlib::HidD_GetPhysicalDescriptor && OpenFile()) {
        for (ULONG n = 0; n <= 2048; ++n) {
            std::vector<uint16_t> buf(n + 1, 0);
            if (hidlib::HidD_GetPhysicalDescriptor(FHidFileHandle, buf.data(), 2 * n)) {
                buf.resize(n);
                FPhysicalDescriptor = std::move(buf);
                break;
            }
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        }
        CloseFile();
    }
    return FPhysicalDescriptor;
}

String THidDevice::DeviceStrings(int Idx)
{
    if (Idx == 0 || !hidlib::HidD_GetIndexedString || !OpenFile()) return String();
    wchar_t buf[kStringChars + 1] = {};
    String result;
    if (hidlib::HidD_GetIndexedString(FHidFileHandle, static_cast<ULONG>(Idx), buf, kStringBytes))
        result.assign(buf, wcsnlen(buf, kStringChars));
    return result;
}

HIDP_LINK_COLLECTION_NODE THidDevice::LinkCollectionNodes(int Idx)
{
    if (!FLinkCollectionLoaded && IsAccessible()) {
        PHIDP_PREPARSED_DATA data = PreparsedData();
        ULONG n = Caps().NumberLinkCollectionNodes;
        if (data && n > 0 && hidlib::HidP_GetLinkCollectionNodes) {
            FLinkCollection.assign(n, HIDP_LINK_COLLECTION_NODE{});
            if (hidlib::HidP_GetLinkCollectionNodes(FLinkCollection.data(), &n, data) == HIDP_STATUS_SUCCESS) {
                FLinkCollection.resize(n);
                FLinkCollectionLoaded = true;
            } else {
                FLinkCollection.clear();
            }
        }
    }
    if (Idx < 0 || Idx >= static_cast<int>(FLinkCollection.size())) return HIDP_LINK_COLLECTION_NODE{};
    return FLinkCollection[static_cast<size_t>(Idx)];
}

HIDD_CONFIGURATION THidDevice::Configuration()
{
    HIDD_CONFIGURATION config{};
    if (hidlib::HidD_GetConfiguration && OpenFile())
        hidlib::HidD_GetConfiguration(FHidFileHandle, &config, sizeof(config));
    return config;
}

void THidDevice::SetConfiguration(const HIDD_CONFIGURATION& config)
{
    HIDD_CONFIGURATION copy = config;
    if (hidlib::HidD_SetConfiguration && OpenFile())
        hidlib::HidD_SetConfiguration(FHidFileHandle, &copy, sizeof(copy));
}

void THidDevice::SetNumInputBuffers(int count)
{
    if (count == FNumInputBuffers || !hidlib::HidD_SetNumInputBuffers || !OpenFile()) return;
    hidlib::HidD_SetNumInputBuffers(FHidFileHandle, static_cast<ULONG>(count));
    ULONG n = 0;
    if (hidlib::HidD_GetNumInputBuffers && hidlib::HidD_GetNumInputBuffers(FHidFileHandle, &n))
        FNumInputBuffers = static_cast<int>(n);
}

void THidDevice::SetNumOverlappedBuffers(int count)
{
    if (count == FNumOverlappedBuffers || !hidlib::HidD_SetNumInputBuffers ||
        !OpenFileEx(THidOpenExMode::omhRead))
        return;
    TLockGuard lock(FReadLock);
    if (FHidOverlappedRead == INVALID_HANDLE_VALUE) return;
    hidlib::HidD_SetNumInputBuffers(FHidOverlappedRead, static_cast<ULONG>(count));
    ULONG n = 0;
    if (hidlib::HidD_GetNumInputBuffers && hidlib::HidD_GetNumInputBuffers(FHidOverlappedRead, &n))
        FNumOverlappedBuffers = static_cast<int>(n);
}

void THidDevice::SetReportTypeParam(DWORD value)
{
    FReportTypeParam = value;
    if (!IsAccessible()) return;
    PHIDP_PREPARSED_DATA data = PreparsedData();
    auto type = static_cast<HIDP_REPORT_TYPE>(FReportTypeParam);
    if (hidlib::HidP_MaxDataListLength) FMaxDataListLength = hidlib::HidP_MaxDataListLength(type, data);
    if (hidlib::HidP_MaxUsageListLength) FMaxUsageListLength = hidlib::HidP_MaxUsageListLength(type, FUsagePageParam, data);
    if (hidlib::HidP_MaxButtonListLength)
        FMaxButtonListLength = hidlib::HidP_MaxButtonListLength(type, FUsagePageParam, data);
}

void THidDevice::SetUsagePageParam(WORD value)
{
    FUsagePageParam = value;
    SetReportTypeParam(FReportTypeParam);
}

// ---- Reports through the main handle -------------------------------------------------------------

bool THidDevice::FlushQueue()
{
    return hidlib::HidD_FlushQueue && OpenFile() && hidlib::HidD_FlushQueue(FHidFileHandle);
}

bool THidDevice::GetFeature(void* Report, DWORD Size)
{
    return hidlib::HidD_GetFeature && OpenFile() && hidlib::HidD_GetFeature(FHidFileHandle, Report, Size);
}

bool THidDevice::SetFeature(void* Report, DWORD Size)
{
    return hidlib::HidD_SetFeature && OpenFile() && hidlib::HidD_SetFeature(FHidFileHandle, Report, Size);
}

bool THidDevice::GetInputReport(void* Report, DWORD Size)
{
    return hidlib::HidD_GetInputReport && OpenFile() && hidlib::HidD_GetInputReport(FHidFileHandle, Report, Size);
}

bool THidDevice::SetOutputReport(void* Report, DWORD Size)
{
    return hidlib::HidD_SetOutputReport && OpenFile() && hidlib::HidD_SetOutputReport(FHidFileHandle, Report, Size);
}

bool THidDevice::DeviceIoControl(DWORD IoControlCode, void* InBuffer, DWORD InSize, void* OutBuffer, DWORD OutSize,
                                 DWORD& BytesReturned)
{
    BytesReturned = 0;
    return OpenFile() &&
           ::DeviceIoControl(FHidFileHandle, IoControlCode, InBuffer, InSize, OutBuffer, OutSize, &BytesReturned,
                             nullptr);
}

bool THidDevice::ReadFile(void* Buffer, DWORD ToRead, DWORD& BytesRead)
{
    BytesRead = 0;
    return OpenFile() && ::ReadFile(FHidFileHandle, Buffer, ToRead, &BytesRead, nullptr);
}

// ---- Report parsing through the HID library ---------------------------------------------------------
// Each answers HIDP_STATUS_NULL when the device is not accessible (or the entry point is unbound).

#define QW_HIDP_CALL(fn, ...)                                                       \
    do {                                                                            \
        if (!IsAccessible() || !hidlib::fn) return HIDP_STATUS_NULL;               \
        return hidlib::fn(__VA_ARGS__);                                             \
    } while (0)

#define QW_TYPE static_cast<HIDP_REPORT_TYPE>(FReportTypeParam)
#define QW_REPORT static_cast<PCHAR>(Report), ReportLength

NTSTATUS THidDevice::GetButtonCaps(PHIDP_BUTTON_CAPS ButtonCaps, USHORT& Count)
{
    if (!IsAccessible() || !hidlib::HidP_GetSpecificButtonCaps) return HIDP_STATUS_NULL;
    return hidlib::HidP_GetButtonCaps(QW_TYPE, ButtonCaps, &Count, PreparsedData());
}

NTSTATUS THidDevice::GetSpecificButtonCaps(PHIDP_BUTTON_CAPS ButtonCaps, USHORT& Count)
{
    QW_HIDP_CALL(HidP_GetSpecificButtonCaps, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, ButtonCaps,
                 &Count, PreparsedData());
}

NTSTATUS THidDevice::GetValueCaps(PHIDP_VALUE_CAPS ValueCaps, USHORT& Count)
{
    if (!IsAccessible() || !hidlib::HidP_GetSpecificValueCaps) return HIDP_STATUS_NULL;
    return hidlib::HidP_GetValueCaps(QW_TYPE, ValueCaps, &Count, PreparsedData());
}

NTSTATUS THidDevice::GetSpecificValueCaps(PHIDP_VALUE_CAPS ValueCaps, USHORT& Count)
{
    QW_HIDP_CALL(HidP_GetSpecificValueCaps, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, ValueCaps,
                 &Count, PreparsedData());
}

NTSTATUS THidDevice::GetData(PHIDP_DATA DataList, ULONG& DataLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetData, QW_TYPE, DataList, &DataLength, PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::SetData(PHIDP_DATA DataList, ULONG& DataLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetData, QW_TYPE, DataList, &DataLength, PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetUsages, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetButtons, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetUsagesEx(PUSAGE_AND_PAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetUsagesEx, QW_TYPE, LinkCollectionParam, UsageList, &UsageLength, PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetButtonsEx(PUSAGE_AND_PAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetButtonsEx, QW_TYPE, LinkCollectionParam, UsageList, &UsageLength, PreparsedData(),
                 QW_REPORT);
}

NTSTATUS THidDevice::SetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetUsages, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::SetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetButtons, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::UnsetUsages(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_UnsetUsages, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::UnsetButtons(PUSAGE UsageList, ULONG& UsageLength, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_UnsetButtons, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageList, &UsageLength,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetUsageValue(ULONG& UsageValue, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetUsageValue, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, &UsageValue,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetScaledUsageValue(LONG& UsageValue, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetScaledUsageValue, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, &UsageValue,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::GetUsageValueArray(void* UsageValue, USHORT UsageValueByteLength, void* Report,
                                        ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_GetUsageValueArray, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam,
                 static_cast<PCHAR>(UsageValue), UsageValueByteLength, PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::SetUsageValue(ULONG UsageValue, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetUsageValue, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, UsageValue,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::SetScaledUsageValue(LONG UsageValue, void* Report, ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetScaledUsageValue, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam, UsageValue,
                 PreparsedData(), QW_REPORT);
}

NTSTATUS THidDevice::SetUsageValueArray(void* UsageValue, USHORT UsageValueByteLength, void* Report,
                                        ULONG ReportLength)
{
    QW_HIDP_CALL(HidP_SetUsageValueArray, QW_TYPE, FUsagePageParam, LinkCollectionParam, UsageParam,
                 static_cast<PCHAR>(UsageValue), UsageValueByteLength, PreparsedData(), QW_REPORT);
}

// These two use the cached preparsed data only and do not open the device.
NTSTATUS THidDevice::GetExtendedAttributes(USHORT DataIndex, PHIDP_EXTENDED_ATTRIBUTES Attributes,
                                           ULONG& LengthAttributes)
{
    if (!hidlib::HidP_GetExtendedAttributes) return HIDP_STATUS_NOT_IMPLEMENTED;
    return hidlib::HidP_GetExtendedAttributes(QW_TYPE, DataIndex, FPreparsedData, Attributes, &LengthAttributes);
}

NTSTATUS THidDevice::InitializeReportForID(UCHAR ReportID, void* Report, ULONG ReportLength)
{
    if (!hidlib::HidP_InitializeReportForID) return HIDP_STATUS_NOT_IMPLEMENTED;
    return hidlib::HidP_InitializeReportForID(QW_TYPE, ReportID, FPreparsedData, QW_REPORT);
}

#undef QW_HIDP_CALL
#undef QW_TYPE
#undef QW_REPORT
