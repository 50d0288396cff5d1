// Our own simulator of the wheel base (0x6699:0x6000) and the shifter (0x6699:0x7000).
//
// It sits behind the HID layer at its two seams: it is the source of the bound HID and
// SetupAPI entry points (a library resolver answering with its own SetupDi* and HidD_*
// functions) and it is the device-file table (create, overlapped read, write, cancel, close).
// Reads complete through real APCs queued to the reading thread, so the read thread's
// alertable waits work unchanged. Hot-plug changes the list of present devices and posts
// WM_DEVICECHANGE (DBT_DEVNODES_CHANGED) to the process's top-level windows, as the system
// broadcasts it.
//
//   devsim::TDeviceSimulator sim;          // both devices plugged in
//   sim.Install();                         // before the controller is created
//   ... sim.Unplug(sim.WheelBase()); sim.Plug(sim.WheelBase()); ...
//   sim.WheelBase()->Firmware().ReceivedText();
//
// One simulator can be installed at a time; its destructor uninstalls it.
#pragma once

#include "vcl/win.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/sim/sim_device.h"

namespace devsim {

class TDeviceSimulator;

// One simulated device node.
class TSimDevice {
    friend class TDeviceSimulator;
    friend struct TSimSeams;

public:
    TSimKind Kind() const { return FFirmware.Kind(); }
    uint16_t VendorId() const { return VendorIdDevices; }
    uint16_t ProductId() const { return Kind() == TSimKind::WheelBase ? ProductIdWheelBase : ProductIdShifter; }
    const std::wstring& Path() const { return FPath; }
    const std::wstring& ProductName() const { return FProductName; }
    DWORD DevInst() const { return FDevInst; }
    bool Present() const { return FPresent; }
    TSimFirmware& Firmware() { return FFirmware; }

    // ---- Knobs
    // Opens asking for read or write access fail with ERROR_ACCESS_DENIED (query opens work).
    void SetRefuseReadWrite(bool refuse) { FRefuseReadWrite = refuse; }
    // The next count writes fail with ERROR_GEN_FAILURE (-1: every write until reset with 0).
    void FailWrites(int count) { FFailWrites = count; }
    // Queues an arbitrary input report (short, unknown, malformed) for every open handle.
    void InjectReport(const TReport& report);
    // Writes the record of received packets to fileName, one packet per line in hex.
    bool WriteLog(const std::wstring& fileName) const;

private:
    TSimDevice(TDeviceSimulator* sim, TSimKind kind, DWORD devInst);

    TDeviceSimulator* FSim;
    TSimFirmware FFirmware;
    std::wstring FPath;
    std::wstring FProductName;
    DWORD FDevInst;
    std::atomic<bool> FPresent{true};
    std::atomic<bool> FRefuseReadWrite{false};
    std::atomic<int> FFailWrites{0};
};

class TDeviceSimulator {
public:
    TDeviceSimulator();
    ~TDeviceSimulator();
    TDeviceSimulator(const TDeviceSimulator&) = delete;
    TDeviceSimulator& operator=(const TDeviceSimulator&) = delete;

    // Makes this simulator the source of the HID entry points and of the device-file calls.
    // Install before the controller binds the libraries; Uninstall after it is gone.
    void Install();
    void Uninstall();
    bool Installed() const { return FInstalled; }

    TSimDevice* WheelBase() { return FDevices[0].get(); }
    TSimDevice* Shifter() { return FDevices[1].get(); }

    // Hot-plug. Unplugging ends pending reads with ERROR_DEVICE_NOT_CONNECTED and makes every
    // later call on the device's handles fail the same way. notify: post the device-change
    // message (pass false to batch several changes into one scan, then call NotifyDeviceChange).
    void Plug(TSimDevice* dev, bool notify = true);
    void Unplug(TSimDevice* dev, bool notify = true);
    void NotifyDeviceChange();

    // ---- Knobs of the libraries
    // The resolver answers nullptr for this entry point (empty: none missing).
    void SetMissingEntryPoint(const std::string& name) { FMissingEntryPoint = name; }
    // The library of that file name cannot be loaded (empty: both load).
    void SetMissingLibrary(const std::wstring& fileName) { FMissingLibrary = fileName; }
    // The present-device set cannot be obtained (SetupDiGetClassDevsW fails).
    void SetDeviceSetFails(bool fails) { FDeviceSetFails = fails; }
    // The platform version the binding's version gates see.
    void SetPlatformVersion(int major, int minor) { FMajor = major, FMinor = minor; }

    // ---- Streams
    // The simulator's device thread (running while installed) sends the streams and the replies:
    // replies leave about a millisecond after their request, as from a USB device. Streams:
    // wheel-base telemetry at telemetryPerSecond (1000: a full-speed interrupt endpoint), and
    // the shifter's gear and selector streams at 100 reports a second.
    void StartStreams(int telemetryPerSecond);
    void StopStreams();
    uint32_t TelemetrySent() const { return FTelemetrySent; }

    // Cancelled reads complete only ms milliseconds after the cancel (0: at once).
    void SetCancelDelay(DWORD ms);

    // Counters for tests: handles of the simulated devices open now, reads pending, and
    // completion routines queued to a thread that has not run them yet.
    int OpenHandles() const;
    int PendingReads() const;
    int CompletionsQueued() const;

    // Internal: a report from a device (replies wait for the device thread, streams go at
    // once), and the transport used by the seam functions.
    void Emit(TSimDevice* dev, const TReport& report);
    struct TImpl;
    TImpl* Impl() { return FImpl.get(); }

private:
    static DWORD WINAPI StreamThreadProc(void* param);
    void StreamLoop();
    void StartDeviceThread();
    void StopDeviceThread();

    std::unique_ptr<TImpl> FImpl;
    std::vector<std::unique_ptr<TSimDevice>> FDevices;
    bool FInstalled = false;
    std::string FMissingEntryPoint;
    std::wstring FMissingLibrary;
    std::atomic<bool> FDeviceSetFails{false};
    int FMajor = 10, FMinor = 0;
    HANDLE FStreamThread = nullptr;
    DWORD FStreamThreadId = 0;
    HANDLE FStreamStop = nullptr;
    std::atomic<int> FTelemetryRate{0};
    std::atomic<int> FShifterRate{0};
    std::atomic<uint32_t> FTelemetrySent{0};

    friend struct TSimSeams;
    friend struct TSimKnobs;
};

// For the program's "--simulator" switch: one process-wide simulator, made and installed on
// first call (both devices plugged in, streams running at 1000 reports a second).
TDeviceSimulator& InstallDeviceSimulator();

}  // namespace devsim
