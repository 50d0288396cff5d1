// The request/reply protocol with the wheel base and the shifter: sending packets, the
// pending-request and profile-loading lists, acknowledgements, and the dispatch of input
// reports into the device records. Runs on the main thread only (reports arrive as
// synchronised calls), so it takes no locks. No windows.h: the HID device and the main
// window plug in through the two interfaces below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/protocol/device_packets.h"
#include "vcl/strings.h"

// One device as the protocol sees it; the HID device implements it.
class TReportWriter {
public:
    virtual ~TReportWriter() = default;
    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    virtual String ProductName() const = 0;
    virtual bool HasReadWriteAccess() const = 0;
    // Full output report length of the device (report id included), from its capabilities.
    virtual size_t OutputReportByteLength() const = 0;
    // Writes one output report of exactly OutputReportByteLength bytes; false when the system
    // rejected the write.
    virtual bool WriteOutputReport(const TBytes& report) = 0;
};

// What the protocol needs of the main window: the log, the selected profile, the controls
// that show replies, and the Apply button. Show* run after the record was unpacked; a
// handler may raise, which drops the rest of that report (no acknowledgement).
class TProtocolView {
public:
    virtual ~TProtocolView() = default;

    // Status panel 0 and memo / memo and application.log (stamped by the implementation).
    virtual void SetAppStatus(const String& msg) = 0;
    virtual void SetSysLog(const String& msg) = 0;
    // Index 0..4 of the selected profile; its slot is ProfileSlotOf(index).
    virtual int SelectedProfileIndex() const = 0;
    // The Base tab's Apply: packs and sends the wheel-base and user-effect writes.
    virtual void ApplyClick() = 0;

    // Wheel base.
    virtual void ShowJoystickState(const TJoystickState& state) {}
    virtual void ShowFirmwareVersion(const String& text) {}
    virtual void ShowJoystickConfig(const TJoystickConfig& config) {}
    virtual void ShowMotorConfig(const TMotorConfig& config) {}
    virtual void ShowWheelBaseConfig(const TWheelBaseConfig& config) {}
    virtual void ShowUserEffectConfig(const TUserEffectConfig& config) {}
    virtual void ShowGeneralConfig(const TGeneralConfig& config) {}
    virtual void ShowEncoderReport(const TEncoderReport& report) {}
    virtual void ShowPwmReport(const TPWMReport& report) {}
    virtual void ShowCalculatedData(const TCalculatedData& data) {}
    // Only reports for filters 0..3 arrive here.
    virtual void ShowBiquadReport(const TBiquadReport& report) {}
    virtual void ShowFfbReport(const TFFBReport& report) {}
    // A record of the JSON record log (motor, wheel base, user effect, encoder, PWM,
    // calculated, force feedback), after it was shown; the window decides whether to log it.
    virtual void RecordReceived(const TTypeInfo* type, const void* record) {}

    // Shifter.
    virtual void ShowGearState(uint16_t gearBits) {}
    virtual void ShowShifterPosition(const TShifterPosition& position) {}
    virtual void ShowShifterConfig(const TShifterConfig& config) {}
    virtual void ShowShifterFirmware(const String& text) {}
};

class TDeviceProtocol {
public:
    explicit TDeviceProtocol(TProtocolView& view);
    TDeviceProtocol(const TDeviceProtocol&) = delete;
    TDeviceProtocol& operator=(const TDeviceProtocol&) = delete;

    // The checked-out devices (not owned; nullptr when none).
    TReportWriter* CurrentWheelBase = nullptr;
    TReportWriter* CurrentShifter = nullptr;
    // Set when the window is about to close: input reports are ignored from then on.
    bool Closing = false;

    // Request id (decimal) = "1" pending / "0" acknowledged. Never shrinks.
    TStringList RequestQ;
    // "Loading", "WheelBase", "UserEffect", "Telemetry", "LoadShifter" = "1" / "0".
    TStringList ProfileLoading;

    bool IsPending(uint8_t requestId) const;
    bool IsProfileLoading() const { return ProfileLoading.Values(L"Loading") == L"1"; }
    uint8_t ProfileSlot() const;

    // ---- Sending -------------------------------------------------------------------------
    // Writes one packet in a zero-filled output report of the device's length; logs its bytes.
    // False (with a status and log line) when there is no device, no access, the packet does
    // not fit the report, or the write failed.
    bool Send(TReportWriter* dev, const uint8_t* data, uint8_t len, const String& tag);
    bool Send(TReportWriter* dev, const TDevicePacket& packet, const String& tag);
    // A read request; its id becomes pending once the request was written.
    bool Recv(TReportWriter* dev, uint8_t slot, uint8_t block, uint8_t param, uint8_t requestId, const String& tag);
    // Profile load / save of slot ("Load-6", "Save-11"); RqProfile becomes pending.
    bool Load(TReportWriter* dev, uint8_t slot);
    bool Save(TReportWriter* dev, uint8_t slot);
    // Acknowledges a reply, then the bookkeeping: the id is no longer pending; during a
    // profile load the block's flag drops and after the last block Apply runs once.
    bool SendAck(TReportWriter* dev, uint8_t requestId);

    void RequestFirmware();
    void RequestJoystickConfig();
    void RequestMotorConfig();
    // The wheel-base, user-effect and telemetry blocks of the selected profile.
    void RequestProfileConfig();
    void RequestGeneralConfig();
    // A shifter read of selector ShifterStatFirmware / Config / Position.
    void RequestShifterStat(uint8_t selector);
    // Load button: load the selected profile, read its blocks, Apply when all three arrived.
    void LoadProfile();

    void SendWheelBaseConfig(const TWheelBaseConfig& config);
    void SendUserEffectConfig(const TUserEffectConfig& config);
    void SendJoystickConfig(const TJoystickConfig& config);
    void SendMotorConfig(const TMotorConfig& config);
    void SendGeneralConfig(const TGeneralConfig& config);
    void SendShifterConfig(const TShifterConfig& config);

    void SendCenterize();
    void SendCalibrate();
    void SendRestart();
    void SendFactoryReset();
    void SendShifterCalibrate();
    void SendShifterDoneCalibrate();

    // ---- Receiving ---------------------------------------------------------------------
    // The HID controller's data event: data holds the size report bytes after the report id.
    // Never raises: a report that cannot be handled is logged and dropped unacknowledged.
    void HandleDeviceData(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size);
    void ParseWheelBaseReport(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size);
    void ParseShifterReport(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size);

private:
    void SetPending(uint8_t requestId, bool pending);
    void DispatchWheelBaseReply(uint8_t type, const uint8_t* payload, size_t size);

    TProtocolView& FView;
};
