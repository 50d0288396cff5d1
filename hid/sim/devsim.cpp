#include "hid/sim/devsim.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <deque>
#include <map>
#include <mutex>
#include <set>

#include <mmsystem.h>

#include "hid/hid_binding.h"
#include "hid/hid_file_io.h"

namespace devsim {

namespace {

constexpr NTSTATUS kStatusSuccess = 0;
constexpr NTSTATUS kStatusPending = 0x00000103;
constexpr NTSTATUS kStatusCancelled = static_cast<NTSTATUS>(0xC0000120);
constexpr NTSTATUS kStatusNotConnected = static_cast<NTSTATUS>(0xC000009D);
constexpr int kDefaultInputBuffers = 32;   // the HID driver's default ring of input reports
const GUID kHidGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kHidClassGuid = {0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

TDeviceSimulator* gActive = nullptr;
std::atomic<int> gCompletionsQueued{0};   // completion routines queued and not yet run

// A completion routine to run on the reading thread.
struct TApcCall {
    LPOVERLAPPED_COMPLETION_ROUTINE routine;
    DWORD error;
    DWORD bytes;
    OVERLAPPED* ovl;
};

void CALLBACK RunCompletion(ULONG_PTR param)
{
    auto* call = reinterpret_cast<TApcCall*>(param);
    if (call->routine) call->routine(call->error, call->bytes, call->ovl);
    delete call;
    --gCompletionsQueued;
}

struct TPendingRead {
    void* buffer;
    DWORD size;
    OVERLAPPED* ovl;
    LPOVERLAPPED_COMPLETION_ROUTINE routine;
    HANDLE thread;   // the thread that started the read: its APC queue gets the completion
};

struct TOpenFile {
    TSimDevice* dev;
    DWORD access;
    bool dead = false;   // the device was unplugged under the handle
    size_t capacity = kDefaultInputBuffers;
    std::deque<TReport> input;
    std::deque<TPendingRead> reads;
    // The reading thread, opened once: a read per report must stay cheap.
    HANDLE readerThread = nullptr;
    DWORD readerId = 0;
};

// Preparsed data handed out by HidD_GetPreparsedData: the capabilities of the device.
struct TSimPreparsed {
    uint32_t magic = 0x51574850;
    HIDP_CAPS caps{};
};

// A present-device set of SetupDiGetClassDevsW: a snapshot of the devices present then.
struct TSimDeviceSet {
    struct TEntry {
        TSimDevice* dev;
        std::wstring path;
        DWORD devInst;
    };
    std::vector<TEntry> entries;
};

DWORD ErrorOf(NTSTATUS status)
{
    switch (status) {
    case kStatusSuccess: return ERROR_SUCCESS;
    case kStatusCancelled: return ERROR_OPERATION_ABORTED;
    case kStatusNotConnected: return ERROR_DEVICE_NOT_CONNECTED;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace

// ---- The transport ------------------------------------------------------------------------------------

struct TDeviceSimulator::TImpl {
    mutable std::mutex lock;
    std::map<HANDLE, TOpenFile> files;
    std::set<TSimDeviceSet*> sets;
    std::set<TSimPreparsed*> preparsed;
    struct TDeferred {
        TSimDevice* dev;
        TReport report;
        LONGLONG due;   // performance-counter ticks
    };
    std::deque<TDeferred> deferred;

    // Completes a read (under the lock): data copied, status in the overlapped record, the
    // completion routine queued to the thread that started it.
    static void Complete(TPendingRead& read, NTSTATUS status, const TReport* report)
    {
        DWORD bytes = 0;
        if (report) {
            bytes = static_cast<DWORD>(std::min<size_t>(report->size(), read.size));
            std::memcpy(read.buffer, report->data(), bytes);
        }
        read.ovl->Internal = static_cast<ULONG_PTR>(status);
        read.ovl->InternalHigh = bytes;
        auto* call = new TApcCall{read.routine, ErrorOf(status), bytes, read.ovl};
        ++gCompletionsQueued;
        if (!QueueUserAPC(RunCompletion, read.thread, reinterpret_cast<ULONG_PTR>(call))) {
            delete call;
            --gCompletionsQueued;
        }
    }

    void Release(TOpenFile& f)
    {
        AbortReads(f, kStatusCancelled);
        if (f.readerThread) CloseHandle(f.readerThread);
        f.readerThread = nullptr;
    }

    static void Pump(TOpenFile& f)
    {
        while (!f.reads.empty() && !f.input.empty()) {
            TPendingRead read = f.reads.front();
            f.reads.pop_front();
            TReport report = std::move(f.input.front());
            f.input.pop_front();
            Complete(read, kStatusSuccess, &report);
        }
    }

    // Cancelled reads complete at once, or, with a cancel delay, later from the device thread
    // (as drivers may finish a cancelled request well after the cancel call returned).
    void AbortReads(TOpenFile& f, NTSTATUS status)
    {
        while (!f.reads.empty()) {
            TPendingRead read = f.reads.front();
            f.reads.pop_front();
            if (status == kStatusCancelled && cancelDelayMs > 0) {
                HANDLE dup = nullptr;
                DuplicateHandle(GetCurrentProcess(), read.thread, GetCurrentProcess(), &dup, 0, FALSE,
                                DUPLICATE_SAME_ACCESS);
                read.thread = dup;
                LARGE_INTEGER now, freq;
                QueryPerformanceCounter(&now);
                QueryPerformanceFrequency(&freq);
                cancelling.push_back({read, now.QuadPart + freq.QuadPart * cancelDelayMs / 1000});
                continue;
            }
            Complete(read, status, nullptr);
        }
    }

    struct TCancelling {
        TPendingRead read;
        LONGLONG due;
    };
    std::deque<TCancelling> cancelling;
    DWORD cancelDelayMs = 0;

    // A report from the device reaches every handle open for reading.
    void Deliver(TSimDevice* dev, const TReport& report)
    {
        std::lock_guard<std::mutex> g(lock);
        for (auto& [h, f] : files) {
            if (f.dev != dev || f.dead || !(f.access & GENERIC_READ)) continue;
            if (f.input.size() >= f.capacity) f.input.pop_front();   // the ring drops its oldest report
            f.input.push_back(report);
            Pump(f);
        }
    }

    TOpenFile* Find(HANDLE h)
    {
        auto it = files.find(h);
        return it == files.end() ? nullptr : &it->second;
    }
};

// ---- TSimDevice ------------------------------------------------------------------------------------------

TSimDevice::TSimDevice(TDeviceSimulator* sim, TSimKind kind, DWORD devInst)
    : FSim(sim),
      FFirmware(kind, [this](const TReport& r) { FSim->Emit(this, r); }),
      FDevInst(devInst)
{
    bool wheel = kind == TSimKind::WheelBase;
    wchar_t path[160];
    std::swprintf(path, 160, L"\\\\?\\hid#vid_6699&pid_%ls#7&%08x&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  wheel ? L"6000" : L"7000", static_cast<unsigned>(devInst));
    FPath = path;
    FProductName = wheel ? L"Qwelta Wheel Base" : L"Qwelta Shifter";
}

void TSimDevice::InjectReport(const TReport& report)
{
    FSim->Impl()->Deliver(this, report);
}

bool TSimDevice::WriteLog(const std::wstring& fileName) const
{
    std::string text = const_cast<TSimFirmware&>(FFirmware).ReceivedText();
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == text.size();
}

// ---- The seam functions ---------------------------------------------------------------------------------
// Plain functions with the system's signatures; they reach the installed simulator through gActive.

struct TSimSeams {
    static TDeviceSimulator::TImpl& Impl() { return *gActive->FImpl; }

    static TSimDevice* DeviceOfPath(const wchar_t* path)
    {
        for (auto& d : gActive->FDevices)
            if (d->FPresent && _wcsicmp(d->FPath.c_str(), path) == 0) return d.get();
        return nullptr;
    }

    // -- Device files
    static HANDLE WINAPI Create(const wchar_t* path, DWORD access, DWORD, DWORD)
    {
        if (!gActive) return INVALID_HANDLE_VALUE;
        TSimDevice* dev = DeviceOfPath(path);
        if (!dev) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (dev->FRefuseReadWrite && (access & (GENERIC_READ | GENERIC_WRITE))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        // A real kernel object stands for the file, so handle counts see simulated handles too.
        HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!h) return INVALID_HANDLE_VALUE;
        std::lock_guard<std::mutex> g(Impl().lock);
        Impl().files.emplace(h, TOpenFile{dev, access});
        return h;
    }

    static BOOL WINAPI ReadEx(HANDLE h, void* buffer, DWORD size, OVERLAPPED* ovl, LPOVERLAPPED_COMPLETION_ROUTINE done)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = Impl().Find(h);
        if (!f) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        if (f->dead) return SetLastError(ERROR_DEVICE_NOT_CONNECTED), FALSE;
        if (!(f->access & GENERIC_READ)) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
        if (f->readerId != GetCurrentThreadId()) {
            if (!f->reads.empty()) return SetLastError(ERROR_BUSY), FALSE;   // one reading thread per handle
            if (f->readerThread) CloseHandle(f->readerThread);
            f->readerThread = OpenThread(THREAD_SET_CONTEXT, FALSE, GetCurrentThreadId());
            f->readerId = f->readerThread ? GetCurrentThreadId() : 0;
            if (!f->readerThread) return FALSE;
        }
        ovl->Internal = kStatusPending;
        ovl->InternalHigh = 0;
        f->reads.push_back({buffer, size, ovl, done, f->readerThread});
        TDeviceSimulator::TImpl::Pump(*f);
        return TRUE;
    }

    static BOOL WriteReport(HANDLE h, const void* buffer, DWORD size, DWORD* written)
    {
        if (written) *written = 0;
        TSimDevice* dev = nullptr;
        {
            std::lock_guard<std::mutex> g(Impl().lock);
            TOpenFile* f = Impl().Find(h);
            if (!f) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
            if (f->dead) return SetLastError(ERROR_DEVICE_NOT_CONNECTED), FALSE;
            if (!(f->access & GENERIC_WRITE)) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
            dev = f->dev;
        }
        // The HID driver takes only whole output reports.
        if (size != TSimFirmware::ReportLength) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        int fail = dev->FFailWrites;
        if (fail != 0) {
            if (fail > 0) --dev->FFailWrites;
            return SetLastError(ERROR_GEN_FAILURE), FALSE;
        }
        // Outside the transport's lock: the firmware answers through Deliver.
        dev->FFirmware.HandleOutputReport(static_cast<const uint8_t*>(buffer), size);
        if (written) *written = size;
        return TRUE;
    }

    static BOOL WINAPI Write(HANDLE h, const void* buffer, DWORD size, DWORD* written)
    {
        return WriteReport(h, buffer, size, written);
    }

    static BOOL WINAPI WriteEx(HANDLE h, const void* buffer, DWORD size, OVERLAPPED* ovl,
                               LPOVERLAPPED_COMPLETION_ROUTINE done)
    {
        DWORD written = 0;
        if (!WriteReport(h, buffer, size, &written)) return FALSE;
        ovl->Internal = kStatusSuccess;
        ovl->InternalHigh = written;
        HANDLE thread = OpenThread(THREAD_SET_CONTEXT, FALSE, GetCurrentThreadId());
        auto* call = new TApcCall{done, ERROR_SUCCESS, written, ovl};
        if (!thread || !QueueUserAPC(RunCompletion, thread, reinterpret_cast<ULONG_PTR>(call))) delete call;
        if (thread) CloseHandle(thread);
        return TRUE;
    }

    static BOOL WINAPI Cancel(HANDLE h)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = Impl().Find(h);
        if (!f) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        Impl().AbortReads(*f, kStatusCancelled);
        return TRUE;
    }

    static BOOL WINAPI Close(HANDLE h)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        auto it = Impl().files.find(h);
        if (it == Impl().files.end()) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        Impl().Release(it->second);   // closing ends pending reads
        Impl().files.erase(it);
        CloseHandle(h);
        return TRUE;
    }

    static BOOL WINAPI OverlappedResult(HANDLE h, OVERLAPPED* ovl, DWORD* transferred, BOOL)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        if (transferred) *transferred = 0;
        if (!Impl().Find(h)) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        auto status = static_cast<NTSTATUS>(ovl->Internal);
        if (status == kStatusPending) return SetLastError(ERROR_IO_INCOMPLETE), FALSE;
        if (status != kStatusSuccess) return SetLastError(ErrorOf(status)), FALSE;
        if (transferred) *transferred = static_cast<DWORD>(ovl->InternalHigh);
        return TRUE;
    }

    // -- SetupAPI
    static HDEVINFO WINAPI GetClassDevsW(const GUID* guid, PCWSTR, HWND, DWORD flags)
    {
        if (gActive->FDeviceSetFails) return SetLastError(ERROR_GEN_FAILURE), INVALID_HANDLE_VALUE;
        auto* set = new TSimDeviceSet;
        if (guid && IsEqualGUID(*guid, kHidGuid) && (flags & DIGCF_DEVICEINTERFACE))
            for (auto& d : gActive->FDevices)
                if (d->FPresent) set->entries.push_back({d.get(), d->FPath, d->FDevInst});
        std::lock_guard<std::mutex> g(Impl().lock);
        Impl().sets.insert(set);
        return reinterpret_cast<HDEVINFO>(set);
    }

    static TSimDeviceSet* SetOf(HDEVINFO h)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        auto* set = reinterpret_cast<TSimDeviceSet*>(h);
        return Impl().sets.count(set) ? set : nullptr;
    }

    static BOOL WINAPI EnumDeviceInterfaces(HDEVINFO h, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                                            PSP_DEVICE_INTERFACE_DATA data)
    {
        TSimDeviceSet* set = SetOf(h);
        if (!set) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return SetLastError(ERROR_INVALID_USER_BUFFER), FALSE;
        if (!guid || index >= set->entries.size()) return SetLastError(ERROR_NO_MORE_ITEMS), FALSE;
        data->InterfaceClassGuid = *guid;
        data->Flags = SPINT_ACTIVE;
        data->Reserved = index + 1;
        return TRUE;
    }

    static const TSimDeviceSet::TEntry* EntryOf(TSimDeviceSet* set, ULONG_PTR reserved)
    {
        if (!set || reserved == 0 || reserved > set->entries.size()) return nullptr;
        return &set->entries[reserved - 1];
    }

    static BOOL FillDevInfo(const TSimDeviceSet::TEntry& e, ULONG_PTR reserved, PSP_DEVINFO_DATA info)
    {
        if (!info) return TRUE;
        if (info->cbSize != sizeof(SP_DEVINFO_DATA)) return SetLastError(ERROR_INVALID_USER_BUFFER), FALSE;
        info->ClassGuid = kHidClassGuid;
        info->DevInst = e.devInst;
        info->Reserved = reserved;
        return TRUE;
    }

    static BOOL WINAPI GetDeviceInterfaceDetailW(HDEVINFO h, PSP_DEVICE_INTERFACE_DATA data,
                                                 PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                 PDWORD required, PSP_DEVINFO_DATA info)
    {
        TSimDeviceSet* set = SetOf(h);
        const TSimDeviceSet::TEntry* e = data ? EntryOf(set, data->Reserved) : nullptr;
        if (!e) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                        (e->path.size() + 1) * sizeof(wchar_t));
        if (required) *required = need;
        if (!FillDevInfo(*e, data->Reserved, info)) return FALSE;
        if (!detail) return SetLastError(size ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER), FALSE;
        if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return SetLastError(ERROR_INVALID_USER_BUFFER), FALSE;
        if (size < need) return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
        std::memcpy(detail->DevicePath, e->path.c_str(), (e->path.size() + 1) * sizeof(wchar_t));
        return TRUE;
    }

    static BOOL WINAPI GetDeviceRegistryPropertyW(HDEVINFO h, PSP_DEVINFO_DATA info, DWORD property, PDWORD type,
                                                  PBYTE buffer, DWORD size, PDWORD required)
    {
        TSimDeviceSet* set = SetOf(h);
        const TSimDeviceSet::TEntry* e = info ? EntryOf(set, info->Reserved) : nullptr;
        if (!e) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        bool wheel = e->dev->Kind() == TSimKind::WheelBase;
        std::wstring value;   // REG_SZ, or REG_MULTI_SZ with its NULs written in
        DWORD valueType = REG_SZ;
        DWORD number = 0;
        switch (property) {
        case SPDRP_DEVICEDESC: value = L"HID-compliant game controller"; break;
        case SPDRP_CLASS: value = L"HIDClass"; break;
        case SPDRP_CLASSGUID: value = L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}"; break;
        case SPDRP_MFG: value = L"(Standard system devices)"; break;
        case SPDRP_SERVICE: value = L"HidUsb"; break;
        case SPDRP_ENUMERATOR_NAME: value = L"HID"; break;
        case SPDRP_FRIENDLYNAME: value = e->dev->ProductName(); break;
        case SPDRP_HARDWAREID:
            valueType = REG_MULTI_SZ;
            value = wheel ? std::wstring(L"HID\\VID_6699&PID_6000&REV_0100", 30) + L'\0' + L"HID\\VID_6699&PID_6000" + L'\0'
                          : std::wstring(L"HID\\VID_6699&PID_7000&REV_0100", 30) + L'\0' + L"HID\\VID_6699&PID_7000" + L'\0';
            break;
        case SPDRP_COMPATIBLEIDS:
            valueType = REG_MULTI_SZ;
            value = std::wstring(L"HID_DEVICE_SYSTEM_GAME") + L'\0' + L"HID_DEVICE" + L'\0';
            break;
        case SPDRP_CAPABILITIES: valueType = REG_DWORD; number = 0x84; break;   // removable, surprise removal ok
        case SPDRP_CONFIGFLAGS: valueType = REG_DWORD; number = 0; break;
        default:
            if (required) *required = 0;
            return SetLastError(ERROR_INVALID_DATA), FALSE;
        }
        const void* src = valueType == REG_DWORD ? static_cast<const void*>(&number) : value.c_str();
        DWORD need = valueType == REG_DWORD ? 4 : static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        if (type) *type = valueType;
        if (required) *required = need;
        if (!buffer || size < need) return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
        std::memcpy(buffer, src, need);
        return TRUE;
    }

    static BOOL WINAPI DestroyDeviceInfoList(HDEVINFO h)
    {
        auto* set = reinterpret_cast<TSimDeviceSet*>(h);
        std::lock_guard<std::mutex> g(Impl().lock);
        if (!Impl().sets.erase(set)) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        delete set;
        return TRUE;
    }

    // -- HID library
    static TOpenFile* LiveFile(HANDLE h)
    {
        TOpenFile* f = Impl().Find(h);
        if (!f) return SetLastError(ERROR_INVALID_HANDLE), nullptr;
        if (f->dead) return SetLastError(ERROR_DEVICE_NOT_CONNECTED), nullptr;
        return f;
    }

    static void WINAPI GetHidGuid(LPGUID guid) { *guid = kHidGuid; }

    static BOOLEAN WINAPI GetAttributes(HANDLE h, PHIDD_ATTRIBUTES a)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = LiveFile(h);
        if (!f || !a) return FALSE;
        a->VendorID = f->dev->VendorId();
        a->ProductID = f->dev->ProductId();
        a->VersionNumber = 0x0100;
        return TRUE;
    }

    static BOOLEAN String(HANDLE h, PVOID buffer, ULONG size, const std::wstring& text)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        if (!LiveFile(h)) return FALSE;
        ULONG need = static_cast<ULONG>((text.size() + 1) * sizeof(wchar_t));
        if (size < need) return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
        std::memcpy(buffer, text.c_str(), need);
        return TRUE;
    }

    static TSimDevice* DeviceOfHandle(HANDLE h)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = Impl().Find(h);
        return f ? f->dev : nullptr;
    }

    static BOOLEAN WINAPI GetProductString(HANDLE h, PVOID buffer, ULONG size)
    {
        TSimDevice* dev = DeviceOfHandle(h);
        return dev ? String(h, buffer, size, dev->ProductName()) : (SetLastError(ERROR_INVALID_HANDLE), FALSE);
    }

    static BOOLEAN WINAPI GetManufacturerString(HANDLE h, PVOID buffer, ULONG size)
    {
        return String(h, buffer, size, L"Qwelta");
    }

    static BOOLEAN WINAPI GetSerialNumberString(HANDLE h, PVOID buffer, ULONG size)
    {
        TSimDevice* dev = DeviceOfHandle(h);
        if (!dev) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        wchar_t serial[16];
        std::swprintf(serial, 16, L"QW%08X", static_cast<unsigned>(dev->DevInst()));
        return String(h, buffer, size, serial);
    }

    static BOOLEAN WINAPI GetIndexedString(HANDLE h, ULONG index, PVOID buffer, ULONG size)
    {
        if (index != 0) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        return String(h, buffer, size, std::wstring(1, wchar_t(0x0409)));   // string descriptor 0: languages
    }

    static BOOLEAN WINAPI GetPreparsedData(HANDLE h, PHIDP_PREPARSED_DATA* data)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        if (!LiveFile(h) || !data) return FALSE;
        auto* p = new TSimPreparsed;
        p->caps.Usage = 0x04;       // joystick
        p->caps.UsagePage = 0x01;   // generic desktop
        p->caps.InputReportByteLength = TSimFirmware::ReportLength;
        p->caps.OutputReportByteLength = TSimFirmware::ReportLength;
        Impl().preparsed.insert(p);
        *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(p);
        return TRUE;
    }

    static BOOLEAN WINAPI FreePreparsedData(PHIDP_PREPARSED_DATA data)
    {
        auto* p = reinterpret_cast<TSimPreparsed*>(data);
        std::lock_guard<std::mutex> g(Impl().lock);
        if (!Impl().preparsed.erase(p)) return FALSE;
        delete p;
        return TRUE;
    }

    static NTSTATUS WINAPI GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps)
    {
        auto* p = reinterpret_cast<TSimPreparsed*>(data);
        std::lock_guard<std::mutex> g(Impl().lock);
        if (!Impl().preparsed.count(p)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
        *caps = p->caps;
        return HIDP_STATUS_SUCCESS;
    }

    static BOOLEAN WINAPI GetNumInputBuffers(HANDLE h, PULONG count)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = LiveFile(h);
        if (!f || !count) return FALSE;
        *count = static_cast<ULONG>(f->capacity);
        return TRUE;
    }

    static BOOLEAN WINAPI SetNumInputBuffers(HANDLE h, ULONG count)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = LiveFile(h);
        if (!f) return FALSE;
        if (count < 2 || count > 512) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
        f->capacity = count;
        while (f->input.size() > f->capacity) f->input.pop_front();
        return TRUE;
    }

    static BOOLEAN WINAPI FlushQueue(HANDLE h)
    {
        std::lock_guard<std::mutex> g(Impl().lock);
        TOpenFile* f = LiveFile(h);
        if (!f) return FALSE;
        f->input.clear();
        return TRUE;
    }

    static ULONG WINAPI MaxDataListLength(HIDP_REPORT_TYPE, PHIDP_PREPARSED_DATA) { return 0; }
    static ULONG WINAPI MaxUsageListLength(HIDP_REPORT_TYPE, USAGE, PHIDP_PREPARSED_DATA) { return 0; }

    // Entry points the simulated devices do not offer: the call fails as the system's does for
    // a device without that feature.
    static BOOL WINAPI Unsupported()
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    static NTSTATUS WINAPI NotImplemented() { return HIDP_STATUS_NOT_IMPLEMENTED; }
};

// ---- The library resolver ---------------------------------------------------------------------------------

// Knob access for the resolver (the simulator's fields are private).
struct TSimKnobs {
    static const std::string& MissingEntryPoint() { return gActive->FMissingEntryPoint; }
    static const std::wstring& MissingLibrary() { return gActive->FMissingLibrary; }
    static bool VersionAtLeast(int major, int minor)
    {
        return gActive->FMajor > major || (gActive->FMajor == major && gActive->FMinor >= minor);
    }
};


namespace {

char gHidModuleTag;
char gSetupModuleTag;

class TSimResolver : public THidLibraryResolver {
public:
    HMODULE Load(const wchar_t* fileName) override
    {
        if (!gActive) return nullptr;
        const std::wstring& missing = TSimKnobs::MissingLibrary();
        if (!missing.empty() && _wcsicmp(fileName, missing.c_str()) == 0) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        if (_wcsicmp(fileName, L"HID.dll") == 0) return reinterpret_cast<HMODULE>(&gHidModuleTag);
        if (_wcsicmp(fileName, L"SetupApi.dll") == 0) return reinterpret_cast<HMODULE>(&gSetupModuleTag);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void Free(HMODULE) override {}
    void* Find(HMODULE module, const char* name) override;
    bool IsNtPlatform() override { return true; }
    bool WindowsVersionAtLeast(int major, int minor) override;
};

template <class F>
void* Fn(F f)
{
    return reinterpret_cast<void*>(f);
}

}  // namespace

namespace {

bool TSimResolver::WindowsVersionAtLeast(int major, int minor)
{
    return gActive && TSimKnobs::VersionAtLeast(major, minor);
}

void* TSimResolver::Find(HMODULE module, const char* name)
{
    if (!gActive || name == TSimKnobs::MissingEntryPoint()) return nullptr;
    using S = TSimSeams;
    static const std::map<std::string, void*> hid = {
        {"HidD_GetHidGuid", Fn(&S::GetHidGuid)},
        {"HidD_GetAttributes", Fn(&S::GetAttributes)},
        {"HidD_GetProductString", Fn(&S::GetProductString)},
        {"HidD_GetManufacturerString", Fn(&S::GetManufacturerString)},
        {"HidD_GetSerialNumberString", Fn(&S::GetSerialNumberString)},
        {"HidD_GetIndexedString", Fn(&S::GetIndexedString)},
        {"HidD_GetPreparsedData", Fn(&S::GetPreparsedData)},
        {"HidD_FreePreparsedData", Fn(&S::FreePreparsedData)},
        {"HidD_GetNumInputBuffers", Fn(&S::GetNumInputBuffers)},
        {"HidD_SetNumInputBuffers", Fn(&S::SetNumInputBuffers)},
        {"HidD_FlushQueue", Fn(&S::FlushQueue)},
        {"HidP_GetCaps", Fn(&S::GetCaps)},
        {"HidP_MaxDataListLength", Fn(&S::MaxDataListLength)},
        {"HidP_MaxUsageListLength", Fn(&S::MaxUsageListLength)},
    };
    static const std::map<std::string, void*> setup = {
        {"SetupDiGetClassDevsW", Fn(&S::GetClassDevsW)},
        {"SetupDiEnumDeviceInterfaces", Fn(&S::EnumDeviceInterfaces)},
        {"SetupDiGetDeviceInterfaceDetailW", Fn(&S::GetDeviceInterfaceDetailW)},
        {"SetupDiGetDeviceRegistryPropertyW", Fn(&S::GetDeviceRegistryPropertyW)},
        {"SetupDiDestroyDeviceInfoList", Fn(&S::DestroyDeviceInfoList)},
    };
    bool isHid = module == reinterpret_cast<HMODULE>(&gHidModuleTag);
    const auto& table = isHid ? hid : setup;
    auto it = table.find(name);
    if (it != table.end()) return it->second;
    if (isHid && std::strncmp(name, "HidP_", 5) == 0) return Fn(&S::NotImplemented);
    return Fn(&S::Unsupported);
}

TSimResolver gResolver;

const THidFileIo kSimIo = {TSimSeams::Create, TSimSeams::ReadEx, TSimSeams::WriteEx, TSimSeams::Write,
                           TSimSeams::Cancel, TSimSeams::Close, TSimSeams::OverlappedResult};

BOOL CALLBACK PostDeviceChange(HWND wnd, LPARAM)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == GetCurrentProcessId()) PostMessageW(wnd, WM_DEVICECHANGE, 0x0007 /* DBT_DEVNODES_CHANGED */, 0);
    return TRUE;
}

}  // namespace

// ---- TDeviceSimulator ----------------------------------------------------------------------------------------

TDeviceSimulator::TDeviceSimulator() : FImpl(std::make_unique<TImpl>())
{
    FDevices.emplace_back(new TSimDevice(this, TSimKind::WheelBase, 0x1001));
    FDevices.emplace_back(new TSimDevice(this, TSimKind::Shifter, 0x1002));
}

TDeviceSimulator::~TDeviceSimulator()
{
    Uninstall();
    std::lock_guard<std::mutex> g(FImpl->lock);
    for (auto& [h, f] : FImpl->files) {
        FImpl->Release(f);
        CloseHandle(h);
    }
    FImpl->files.clear();
    for (auto& c : FImpl->cancelling) CloseHandle(c.read.thread);
    FImpl->cancelling.clear();
    for (auto* s : FImpl->sets) delete s;
    for (auto* p : FImpl->preparsed) delete p;
}

void TDeviceSimulator::Install()
{
    if (FInstalled) return;
    if (gActive) throw std::runtime_error("another device simulator is installed");
    SetHidLibraryResolver(&gResolver);   // raises while the real libraries are bound
    gActive = this;
    SetHidFileIo(&kSimIo);
    FInstalled = true;
    StartDeviceThread();
}

void TDeviceSimulator::Uninstall()
{
    if (!FInstalled) return;
    StopDeviceThread();
    SetHidFileIo(nullptr);
    try {
        SetHidLibraryResolver(nullptr);
    } catch (...) {
        // Still bound by a controller that outlives the simulator: the resolver stays.
    }
    gActive = nullptr;
    FInstalled = false;
}

void TDeviceSimulator::Emit(TSimDevice* dev, const TReport& report)
{
    if (GetCurrentThreadId() == FStreamThreadId || !FStreamThread) {
        FImpl->Deliver(dev, report);
        return;
    }
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    std::lock_guard<std::mutex> g(FImpl->lock);
    FImpl->deferred.push_back({dev, report, now.QuadPart + freq.QuadPart / 1000});
}

void TDeviceSimulator::Plug(TSimDevice* dev, bool notify)
{
    dev->FPresent = true;
    if (notify) NotifyDeviceChange();
}

void TDeviceSimulator::Unplug(TSimDevice* dev, bool notify)
{
    dev->FPresent = false;
    {
        std::lock_guard<std::mutex> g(FImpl->lock);
        for (auto& [h, f] : FImpl->files) {
            if (f.dev != dev) continue;
            f.dead = true;
            f.input.clear();
            FImpl->AbortReads(f, kStatusNotConnected);
        }
    }
    if (notify) NotifyDeviceChange();
}

void TDeviceSimulator::NotifyDeviceChange()
{
    EnumWindows(PostDeviceChange, 0);
}

int TDeviceSimulator::OpenHandles() const
{
    std::lock_guard<std::mutex> g(FImpl->lock);
    return static_cast<int>(FImpl->files.size());
}

void TDeviceSimulator::SetCancelDelay(DWORD ms)
{
    std::lock_guard<std::mutex> g(FImpl->lock);
    FImpl->cancelDelayMs = ms;
}

int TDeviceSimulator::CompletionsQueued() const
{
    return gCompletionsQueued;
}

int TDeviceSimulator::PendingReads() const
{
    std::lock_guard<std::mutex> g(FImpl->lock);
    int n = static_cast<int>(FImpl->cancelling.size());
    for (const auto& [h, f] : FImpl->files) n += static_cast<int>(f.reads.size());
    return n;
}

// ---- Streams ----------------------------------------------------------------------------------------------------

void TDeviceSimulator::StartStreams(int telemetryPerSecond)
{
    FTelemetryRate = telemetryPerSecond;
    FShifterRate = 100;
}

void TDeviceSimulator::StopStreams()
{
    FTelemetryRate = 0;
    FShifterRate = 0;
}

void TDeviceSimulator::StartDeviceThread()
{
    if (FStreamThread) return;
    FStreamStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FStreamThread = CreateThread(nullptr, 0, StreamThreadProc, this, 0, &FStreamThreadId);
}

void TDeviceSimulator::StopDeviceThread()
{
    if (!FStreamThread) return;
    SetEvent(FStreamStop);
    WaitForSingleObject(FStreamThread, INFINITE);
    CloseHandle(FStreamThread);
    CloseHandle(FStreamStop);
    FStreamThread = nullptr;
    FStreamThreadId = 0;
    FStreamStop = nullptr;
}

DWORD WINAPI TDeviceSimulator::StreamThreadProc(void* param)
{
    static_cast<TDeviceSimulator*>(param)->StreamLoop();
    return 0;
}

// Reports are due on a fixed schedule from the start; a late wake-up sends the ones missed, as
// an interrupt endpoint's host controller would have collected them.
void TDeviceSimulator::StreamLoop()
{
    timeBeginPeriod(1);
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    uint64_t telemetrySent = 0, shifterSent = 0;
    int rate = FTelemetryRate, shifterRate = FShifterRate;
    while (WaitForSingleObject(FStreamStop, 1) == WAIT_TIMEOUT) {
        QueryPerformanceCounter(&now);
        // Replies whose time has come.
        for (;;) {
            TImpl::TDeferred d;
            {
                std::lock_guard<std::mutex> g(FImpl->lock);
                if (FImpl->deferred.empty() || FImpl->deferred.front().due > now.QuadPart) break;
                d = std::move(FImpl->deferred.front());
                FImpl->deferred.pop_front();
            }
            if (d.dev->Present()) FImpl->Deliver(d.dev, d.report);
        }
        {
            std::lock_guard<std::mutex> g(FImpl->lock);
            while (!FImpl->cancelling.empty() && FImpl->cancelling.front().due <= now.QuadPart) {
                TPendingRead read = FImpl->cancelling.front().read;
                FImpl->cancelling.pop_front();
                TImpl::Complete(read, kStatusCancelled, nullptr);
                CloseHandle(read.thread);
            }
        }
        double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
        if (rate != FTelemetryRate || shifterRate != FShifterRate) {   // new rates start a new schedule
            rate = FTelemetryRate;
            shifterRate = FShifterRate;
            start = now;
            telemetrySent = shifterSent = 0;
            continue;
        }
        auto dueTelemetry = static_cast<uint64_t>(seconds * rate);
        for (; telemetrySent < dueTelemetry; ++telemetrySent) {
            if (WheelBase()->Present()) WheelBase()->Firmware().EmitTelemetryFrame();
            ++FTelemetrySent;
        }
        auto dueShifter = static_cast<uint64_t>(seconds * shifterRate);
        for (; shifterSent < dueShifter; ++shifterSent)
            if (Shifter()->Present()) Shifter()->Firmware().EmitShifterFrame();
    }
    timeEndPeriod(1);
}

TDeviceSimulator& InstallDeviceSimulator()
{
    static TDeviceSimulator* sim = [] {
        auto* s = new TDeviceSimulator;   // lives as long as the process
        s->Install();
        s->StartStreams(100);
        return s;
    }();
    return *sim;
}

}  // namespace devsim
