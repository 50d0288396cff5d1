// The component through which the program sees HID devices: the list of present device
// interfaces, rebuilt whenever the system reports that device nodes changed; arrival, removal
// and change events; walking the list (Enumerate); and check-out and check-in of devices for
// exclusive use. A checked-out device with a data handler reads its input reports on a thread
// of its own and delivers them as OnDeviceData on the main thread.
//
// Everything here runs on the main thread, and every event is called there.
#pragma once

#include "vcl/win.h"

#include <vector>

#include "hid/hid_device.h"
#include "vcl/classes.h"
#include "vcl/messages.h"

class THidDeviceController : public TComponent {
    friend class THidDevice;

public:
    explicit THidDeviceController(TComponent* AOwner);
    THidDeviceController(TComponent* AOwner, const TNotifyEvent& AOnDeviceChange,
                         const THidDeviceCreateError& AOnHidCtlDeviceCreateError);
    ~THidDeviceController() override;

    // Interface class of HID devices (the standard one when the HID library is missing).
    const GUID& HidGuid() const { return FHidGuid; }

    // One scan of the present devices: removals (from the end of the list), then arrivals
    // (appended in the system's order), then one OnDeviceChange when anything changed.
    void DeviceChange();
    // Visits the plugged-in devices with OnEnumerate; answers the number visited.
    int Enumerate();

    bool CheckOut(THidDevice*& HidDev);
    bool CheckOutByIndex(THidDevice*& HidDev, int Idx);
    bool CheckOutByID(THidDevice*& HidDev, int Vid, int Pid);   // Pid -1: any product
    bool CheckOutByClass(THidDevice*& HidDev, const String& ClassName);
    bool CheckOutByProductName(THidDevice*& HidDev, const String& ProductName);
    bool CheckOutByVendorName(THidDevice*& HidDev, const String& VendorName);
    bool CheckOutByCallback(THidDevice*& HidDev, THidCheckCallback Check);
    // Stops the device's thread and closes it; a device that vanished meanwhile is freed.
    void CheckIn(THidDevice*& HidDev);

    int CountByID(int Vid, int Pid);
    int CountByClass(const String& ClassName);
    int CountByProductName(const String& ProductName);
    int CountByVendorName(const String& VendorName);
    int CountByCallback(THidCheckCallback Check);

    // "FileVersion" of the system's HID.dll; empty when there is none.
    String HidVersion();

    int NumCheckedInDevices() const { return FNumCheckedInDevices; }
    int NumCheckedOutDevices() const { return FNumCheckedOutDevices; }
    int NumUnpluggedDevices() const { return FNumUnpluggedDevices; }

    // ---- Published
    int DevPollingDelayTime() const { return FDevPollingDelayTime; }
    void SetDevPollingDelayTime(int value);
    int DevThreadSleepTime() const { return FDevThreadSleepTime; }
    void SetDevThreadSleepTime(int value);
    const String& Version() const { return FVersion; }
    void SetVersion(const String& value) { FDummy = value; }

    THidPlugEvent OnArrival;
    THidEnumerateEvent OnEnumerate;
    THidDeviceCreateError OnDeviceCreateError;   // kept for the owner; no scan raises it
    THidPlugEvent OnRemoval;
    const TNotifyEvent& OnDeviceChange() const { return FOnDeviceChange; }
    void SetOnDeviceChange(const TNotifyEvent& handler);
    const THidDataEvent& OnDeviceData() const { return FOnDeviceData; }
    void SetOnDeviceData(const THidDataEvent& handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return FOnDeviceDataError; }
    void SetOnDeviceDataError(const THidDataErrorEvent& handler);
    const THidPlugEvent& OnDeviceUnplug() const { return FOnDeviceUnplug; }
    void SetOnDeviceUnplug(const THidPlugEvent& handler);

private:
    void DeviceChangeWndProc(TMessage& Message);
    // Builds the list of present devices (new objects, not yet in FList).
    std::vector<THidDevice*> ScanPresentDevices();
    bool HandOut(THidDevice*& HidDev, int Idx);
    // Runs fn with the device's FIsEnumerated set, so it may open the device meanwhile.
    template <class F>
    auto WithEnumerated(THidDevice* dev, F fn);
    void Recount();

    GUID FHidGuid{};
    TNotifyEvent FOnDeviceChange;
    THidDataEvent FOnDeviceData;
    THidDataErrorEvent FOnDeviceDataError;
    THidPlugEvent FOnDeviceUnplug;
    int FDevPollingDelayTime = 0;
    int FDevThreadSleepTime = 100;
    String FVersion;
    String FDummy;
    std::vector<THidDevice*> FList;
    int FNumCheckedInDevices = 0;
    int FNumCheckedOutDevices = 0;
    int FNumUnpluggedDevices = 0;
    bool FInDeviceChange = false;
    LPARAM FLParam = 0;
    HWND FHWnd = nullptr;
    // What this controller bound, so it releases exactly that.
    bool FSetupBound = false;
    bool FHidBound = false;
};
