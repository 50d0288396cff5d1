#include "hid/hid_controller.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <exception>

#include "hid/hid_read_thread.h"
#include "vcl/application_hooks.h"
#include "vcl/utilwindow.h"

namespace {

constexpr WPARAM kDevNodesChanged = 0x0007;   // DBT_DEVNODES_CHANGED
constexpr LPARAM kFirstScan = -1;             // our own message at creation
const GUID kStandardHidGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Runs each handler of a scan, keeping the first exception to raise once the scan is complete,
// so that a failing handler never leaves the list half updated.
class THandlerGuard {
public:
    template <class F>
    void Run(F fn)
    {
        try {
            fn();
        } catch (...) {
            if (!FError) FError = std::current_exception();
        }
    }
    void RaiseFirst()
    {
        if (FError) std::rethrow_exception(FError);
    }

private:
    std::exception_ptr FError;
};

}  // namespace

// ---- Construction and destruction -------------------------------------------------------------

THidDeviceController::THidDeviceController(TComponent* AOwner) : THidDeviceController(AOwner, nullptr, nullptr) {}

THidDeviceController::THidDeviceController(TComponent* AOwner, const TNotifyEvent& AOnDeviceChange,
                                           const THidDeviceCreateError& AOnHidCtlDeviceCreateError)
    : TComponent(AOwner)
{
    FDevThreadSleepTime = 100;
    FVersion = L"1.0.35";
    FSetupBound = BindSetupLibrary();
    if (FSetupBound) FHidBound = BindHidLibrary();
    // The class is known before any scan can run (the setter below may start one).
    FHidGuid = kStandardHidGuid;
    if (FHidBound && hidlib::HidD_GetHidGuid) hidlib::HidD_GetHidGuid(&FHidGuid);
    SetOnDeviceChange(AOnDeviceChange);
    OnDeviceCreateError = AOnHidCtlDeviceCreateError;
    if (FHidBound) {
        FHWnd = AllocateHWnd(Bind<&THidDeviceController::DeviceChangeWndProc>(this));
        // The first scan runs from the message loop, once the owner has finished loading.
        if (FHWnd) PostMessageW(FHWnd, WM_DEVICECHANGE, kDevNodesChanged, kFirstScan);
    }
}

THidDeviceController::~THidDeviceController()
{
    Destroying();
    // The owner may be half destroyed by now: none of its handlers is called from here on, not
    // even by a synchronised data call that a read thread has still queued.
    FOnDeviceChange = nullptr;
    OnArrival = nullptr;
    OnRemoval = nullptr;
    OnEnumerate = nullptr;
    OnDeviceCreateError = nullptr;
    FOnDeviceData = nullptr;
    FOnDeviceDataError = nullptr;
    FOnDeviceUnplug = nullptr;
    for (THidDevice* dev : FList) {
        dev->FOnData = nullptr;
        dev->OnDataError = nullptr;
        dev->OnUnplug = nullptr;
    }
    for (THidDevice* dev : FList) dev->StopReadThread();
    if (FHWnd) DeallocateHWnd(FHWnd);
    FHWnd = nullptr;
    std::vector<THidDevice*> list;
    list.swap(FList);
    for (THidDevice* dev : list) {
        dev->FMyController = nullptr;
        if (dev->FIsCheckedOut) dev->Unplug();
        delete dev;
    }
    if (FSetupBound) ReleaseSetupLibrary();
    if (FHidBound) ReleaseHidLibrary();
}

// ---- The hidden window ---------------------------------------------------------------------------

void THidDeviceController::DeviceChangeWndProc(TMessage& Message)
{
    if (!HasState(csDestroying) && Message.Msg == WM_DEVICECHANGE && Message.WParam == kDevNodesChanged &&
        !FInDeviceChange) {
        FLParam = Message.LParam;
        FInDeviceChange = true;
        try {
            DeviceChange();
        } catch (...) {
            // Reported, and the next device change is scanned again.
            FInDeviceChange = false;
            HandleExceptionFromCallback(L"HID device change");
        }
        FInDeviceChange = false;
    }
    Message.Result = DefWindowProcW(FHWnd, Message.Msg, Message.WParam, Message.LParam);
}

// ---- The scan --------------------------------------------------------------------------------------

std::vector<THidDevice*> THidDeviceController::ScanPresentDevices()
{
    std::vector<THidDevice*> fresh;
    if (!FHidBound || !hidlib::SetupDiGetClassDevsW) return fresh;
    HDEVINFO set = hidlib::SetupDiGetClassDevsW(&FHidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE || !set) return fresh;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof(iface);
        if (!hidlib::SetupDiEnumDeviceInterfaces(set, nullptr, &FHidGuid, index, &iface)) break;
        SP_DEVINFO_DATA devData{};
        devData.cbSize = sizeof(devData);
        DWORD required = 0;
        if (hidlib::SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &required, &devData) || required == 0 ||
            GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;
        constexpr size_t pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
        if (required <= pathOffset) continue;
        std::vector<BYTE> block(required + sizeof(wchar_t), 0);   // room for a missing terminator
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(block.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);   // the fixed part: 8 on x64
        if (!hidlib::SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, required, nullptr, &devData)) continue;
        String path(detail->DevicePath, wcsnlen(detail->DevicePath, (required - pathOffset) / sizeof(wchar_t)));
        THidPnPInfo* pnp = nullptr;
        try {
            pnp = new THidPnPInfo(set, path, devData);
            fresh.reserve(fresh.size() + 1);
            fresh.push_back(THidDevice::CreateInternal(pnp, this));
        } catch (...) {
            // A device that cannot be identified is left out of this scan.
            delete pnp;
        }
    }
    hidlib::SetupDiDestroyDeviceInfoList(set);
    return fresh;
}

template <class F>
auto THidDeviceController::WithEnumerated(THidDevice* dev, F fn)
{
    struct TReset {
        THidDevice* dev;
        ~TReset() { dev->FIsEnumerated = false; }
    } reset{dev};
    dev->FIsEnumerated = true;
    return fn();
}

void THidDeviceController::DeviceChange()
{
    bool changed = FLParam == kFirstScan;
    THandlerGuard guard;
    std::vector<THidDevice*> fresh = ScanPresentDevices();
    auto inList = [this](THidDevice* dev) { return std::find(FList.begin(), FList.end(), dev) != FList.end(); };

    // Removals, from the end of the list. An entry reported gone before (unplugged but still
    // checked out) is not reported again: it only waits for its check-in.
    for (size_t i = FList.size(); i-- > 0;) {
        if (i >= FList.size()) continue;   // a handler shortened the list
        THidDevice* dev = FList[i];
        if (!dev->FIsPluggedIn) continue;
        DWORD id = dev->FPnPInfo->DeviceID();
        bool present = std::any_of(fresh.rbegin(), fresh.rend(),
                                   [id](THidDevice* f) { return f->FPnPInfo->DeviceID() == id; });
        if (present) continue;
        changed = true;
        guard.Run([&] { dev->Unplug(); });
        if (inList(dev)) guard.Run([&] { WithEnumerated(dev, [&] { if (OnRemoval) OnRemoval(dev); }); });
        if (inList(dev) && !dev->FIsCheckedOut) {
            FList.erase(std::find(FList.begin(), FList.end(), dev));
            delete dev;
        }
    }

    // Entries still present keep their objects: their fresh twins go.
    for (THidDevice*& f : fresh) {
        DWORD id = f->FPnPInfo->DeviceID();
        for (THidDevice* known : FList) {
            if (known->FIsPluggedIn && known->FPnPInfo->DeviceID() == id) {
                f->FMyController = nullptr;
                delete f;
                f = nullptr;
                break;
            }
        }
    }

    // Arrivals, in the system's order; each is in the list before it is announced.
    for (THidDevice*& f : fresh) {
        if (!f) continue;
        THidDevice* dev = f;
        f = nullptr;
        FList.push_back(dev);
        changed = true;
        guard.Run([&] { WithEnumerated(dev, [&] { if (OnArrival) OnArrival(dev); }); });
    }

    Recount();
    if (changed && FOnDeviceChange) guard.Run([&] { FOnDeviceChange(this); });
    guard.RaiseFirst();
}

void THidDeviceController::Recount()
{
    FNumCheckedInDevices = 0;
    FNumCheckedOutDevices = 0;
    FNumUnpluggedDevices = 0;
    for (THidDevice* dev : FList) {
        if (dev->FIsCheckedOut)
            ++FNumCheckedOutDevices;
        else
            ++FNumCheckedInDevices;
        if (!dev->FIsPluggedIn) ++FNumUnpluggedDevices;
    }
    FNumCheckedOutDevices -= FNumUnpluggedDevices;
}

// ---- Walking the list ----------------------------------------------------------------------------

int THidDeviceController::Enumerate()
{
    const size_t count = FList.size();
    int visited = 0;
    for (size_t i = 0; i < count && i < FList.size(); ++i) {
        THidDevice* dev = FList[i];
        if (!dev->FIsPluggedIn) continue;
        ++visited;
        if (!OnEnumerate) break;
        bool goOn = true;
        struct TAfterVisit {
            THidDeviceController* self;
            THidDevice* dev;
            size_t i;
            ~TAfterVisit()
            {
                // The handler may have checked the device in (and so freed it): touch it only
                // when it is still where it was.
                if (i < self->FList.size() && self->FList[i] == dev) {
                    dev->FIsEnumerated = false;
                    if (!dev->FIsCheckedOut) {
                        dev->CloseFile();
                        dev->CloseFileEx(THidOpenExMode::omhRead);
                        dev->CloseFileEx(THidOpenExMode::omhWrite);
                    }
                }
            }
        } after{this, dev, i};
        dev->FIsEnumerated = true;
        goOn = OnEnumerate(dev, static_cast<int>(i));
        if (!goOn) break;
    }
    return visited;
}

// ---- Check-out and check-in ------------------------------------------------------------------------

bool THidDeviceController::HandOut(THidDevice*& HidDev, int Idx)
{
    THidDevice* dev = FList[static_cast<size_t>(Idx)];
    if (dev->FIsCheckedOut) return false;
    HidDev = dev;
    dev->FIsCheckedOut = true;
    ++FNumCheckedOutDevices;
    --FNumCheckedInDevices;
    dev->StartReadThread();
    return true;
}

bool THidDeviceController::CheckOutByIndex(THidDevice*& HidDev, int Idx)
{
    HidDev = nullptr;
    if (Idx < 0 || Idx >= static_cast<int>(FList.size())) return false;
    return HandOut(HidDev, Idx);
}

bool THidDeviceController::CheckOut(THidDevice*& HidDev)
{
    HidDev = nullptr;
    for (size_t i = 0; i < FList.size(); ++i)
        if (HandOut(HidDev, static_cast<int>(i))) return true;
    return false;
}

bool THidDeviceController::CheckOutByID(THidDevice*& HidDev, int Vid, int Pid)
{
    HidDev = nullptr;
    for (size_t i = 0; i < FList.size(); ++i) {
        const HIDD_ATTRIBUTES& a = FList[i]->Attributes();
        if (a.VendorID == Vid && (Pid == -1 || a.ProductID == Pid) && HandOut(HidDev, static_cast<int>(i)))
            return true;
    }
    return false;
}

bool THidDeviceController::CheckOutByClass(THidDevice*& HidDev, const String& ClassName)
{
    HidDev = nullptr;
    if (ClassName.empty()) return false;
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i]->PnPInfo()->ClassDescr() == ClassName && HandOut(HidDev, static_cast<int>(i))) return true;
    return false;
}

bool THidDeviceController::CheckOutByProductName(THidDevice*& HidDev, const String& ProductName)
{
    HidDev = nullptr;
    if (ProductName.empty()) return false;
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i]->ProductName() == ProductName && HandOut(HidDev, static_cast<int>(i))) return true;
    return false;
}

bool THidDeviceController::CheckOutByVendorName(THidDevice*& HidDev, const String& VendorName)
{
    HidDev = nullptr;
    if (VendorName.empty()) return false;
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i]->VendorName() == VendorName && HandOut(HidDev, static_cast<int>(i))) return true;
    return false;
}

bool THidDeviceController::CheckOutByCallback(THidDevice*& HidDev, THidCheckCallback Check)
{
    HidDev = nullptr;
    if (!Check) return false;
    for (size_t i = 0; i < FList.size(); ++i) {
        THidDevice* dev = FList[i];
        if (dev->FIsCheckedOut) continue;
        bool accepted = WithEnumerated(dev, [&] { return Check(dev); });
        if (accepted) return HandOut(HidDev, static_cast<int>(i));
        dev->CloseFile();
        dev->CloseFileEx(THidOpenExMode::omhRead);
        dev->CloseFileEx(THidOpenExMode::omhWrite);
    }
    return false;
}

void THidDeviceController::CheckIn(THidDevice*& HidDev)
{
    if (!HidDev) return;
    THidDevice* dev = HidDev;
    HidDev = nullptr;
    dev->StopReadThread();
    dev->CloseFile();
    dev->CloseFileEx(THidOpenExMode::omhRead);
    dev->CloseFileEx(THidOpenExMode::omhWrite);
    if (dev->FIsPluggedIn) {
        dev->FIsCheckedOut = false;
        --FNumCheckedOutDevices;
        ++FNumCheckedInDevices;
    } else {
        delete dev;   // leaves the list with it
    }
}

// ---- Counting ----------------------------------------------------------------------------------------

int THidDeviceController::CountByID(int Vid, int Pid)
{
    int n = 0;
    for (THidDevice* dev : FList) {
        const HIDD_ATTRIBUTES& a = dev->Attributes();
        n += dev->FIsPluggedIn && a.VendorID == Vid && (Pid == -1 || a.ProductID == Pid);
    }
    return n;
}

int THidDeviceController::CountByClass(const String& ClassName)
{
    if (ClassName.empty()) return 0;
    int n = 0;
    for (THidDevice* dev : FList) n += dev->FIsPluggedIn && dev->PnPInfo()->ClassDescr() == ClassName;
    return n;
}

int THidDeviceController::CountByProductName(const String& ProductName)
{
    if (ProductName.empty()) return 0;
    int n = 0;
    for (THidDevice* dev : FList) n += dev->FIsPluggedIn && dev->ProductName() == ProductName;
    return n;
}

int THidDeviceController::CountByVendorName(const String& VendorName)
{
    if (VendorName.empty()) return 0;
    int n = 0;
    for (THidDevice* dev : FList) n += dev->FIsPluggedIn && dev->VendorName() == VendorName;
    return n;
}

int THidDeviceController::CountByCallback(THidCheckCallback Check)
{
    if (!Check) return 0;
    int n = 0;
    for (THidDevice* dev : FList) {
        if (!dev->FIsPluggedIn) continue;
        n += WithEnumerated(dev, [&] { return Check(dev); });
        if (!dev->FIsCheckedOut) {
            dev->CloseFile();
            dev->CloseFileEx(THidOpenExMode::omhRead);
            dev->CloseFileEx(THidOpenExMode::omhWrite);
        }
    }
    return n;
}

// ---- Version ----------------------------------------------------------------------------------------

String THidDeviceController::HidVersion()
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(L"HID.dll", &ignored);
    if (size == 0) return String();
    std::vector<BYTE> info(size);
    if (!GetFileVersionInfoW(L"HID.dll", 0, size, info.data())) return String();
    wchar_t* text = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(info.data(), L"\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&text),
                        &len) ||
        !text)
        return String();
    return String(text, wcsnlen(text, len));
}

// ---- Property setters ------------------------------------------------------------------------------
// Devices still carrying the controller's old default take the new one.

void THidDeviceController::SetOnDeviceData(const THidDataEvent& handler)
{
    for (THidDevice* dev : FList)
        if (dev->OnData() == FOnDeviceData) dev->SetOnData(handler);
    FOnDeviceData = handler;
}

void THidDeviceController::SetOnDeviceDataError(const THidDataErrorEvent& handler)
{
    for (THidDevice* dev : FList)
        if (dev->OnDataError == FOnDeviceDataError) dev->OnDataError = handler;
    FOnDeviceDataError = handler;
}

void THidDeviceController::SetOnDeviceUnplug(const THidPlugEvent& handler)
{
    for (THidDevice* dev : FList)
        if (dev->OnUnplug == FOnDeviceUnplug) dev->OnUnplug = handler;
    FOnDeviceUnplug = handler;
}

void THidDeviceController::SetDevPollingDelayTime(int value)
{
    if (value == FDevPollingDelayTime) return;
    for (THidDevice* dev : FList)
        if (dev->PollingDelayTime() == FDevPollingDelayTime) dev->SetPollingDelayTime(value);
    FDevPollingDelayTime = value;
}

void THidDeviceController::SetDevThreadSleepTime(int value)
{
    if (value == FDevThreadSleepTime) return;
    for (THidDevice* dev : FList)
        if (dev->ThreadSleepTime() == FDevThreadSleepTime) dev->SetThreadSleepTime(value);
    FDevThreadSleepTime = value;
}

void THidDeviceController::SetOnDeviceChange(const TNotifyEvent& handler)
{
    if (handler == FOnDeviceChange) return;
    FOnDeviceChange = handler;
    if (!HasState(csLoading)) DeviceChange();
}
