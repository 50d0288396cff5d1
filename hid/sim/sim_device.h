// The firmware side of the simulated wheel base and shifter: parses every command packet
// (output report 0x14), keeps the device's blocks and its five profile slots, answers read
// requests with replies (input report 0x41) of the right type and request id, applies writes,
// produces the streamed telemetry and shifter reports, and records every packet it receives.
// No windows.h: the transport around it lives in devsim.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/protocol/device_records.h"

namespace devsim {

using TReport = std::vector<uint8_t>;

enum class TSimKind { WheelBase, Shifter };

// One packet as the device received it.
struct TReceivedPacket {
    TReport bytes;       // up to the packet's Length (the whole write when Length is not usable)
    bool accepted;       // well formed and understood
    std::string error;   // why not, when not
};

class TSimFirmware {
public:
    static constexpr size_t ReportLength = 64;   // input and output reports, id included
    // The last four bytes of every streamed report hold a running frame counter (little-endian),
    // so a receiver can check that it saw every report, in order.
    static constexpr size_t FrameCounterOffset = ReportLength - 4;
    // The eight bytes before it hold the moment the report was sent, as set by SetClock (for
    // latency measurements; 0 without a clock). No record reaches that far.
    static constexpr size_t SentAtOffset = FrameCounterOffset - 8;
    static void SetClock(uint64_t (*now)());

    TSimFirmware(TSimKind kind, std::function<void(const TReport&)> emit);

    TSimKind Kind() const { return FKind; }

    // A complete output report as written by the host.
    void HandleOutputReport(const uint8_t* data, size_t size);

    // The streams: wheel-base telemetry (replies 0xA0, 0xA1, 0xAF, 0xFE, 0xB0 with id 255 and
    // joystick state 0x01, in rotation) and the shifter's selected stream or, without one, its
    // gear bits. A shifter read of a selector starts that stream in place of the one before
    // (the firmware selector answers once and starts none); acknowledging 241 or reading
    // selector 255 ends it.
    void EmitTelemetryFrame();
    void EmitShifterFrame();
    bool ShifterStreaming() const;

    // ---- Knobs and inspection (thread-safe)
    std::vector<TReceivedPacket> Received() const;
    void ClearReceived();
    // One line per packet: its bytes as two lowercase hex digits separated by blanks.
    std::string ReceivedText() const;
    int AckCount(uint8_t requestId) const;
    // 0: neutral, 1..11. The gear reports add bit 10 in H-pattern mode (shifter type 0) and
    // drop it in sequential mode, so gear 11 shows only in H-pattern mode.
    void SetGear(int gear);
    void SetShifterPosition(uint16_t x, uint16_t y);

    // Device state (read under the lock by copies).
    struct TProfile {
        TWheelBaseConfig wheelBase{};
        TUserEffectConfig userEffect{};
        uint8_t telemetry[8]{};
    };
    struct TState {
        TFirmwareVersion firmware{};
        TJoystickConfig joystick{};
        TMotorConfig motor{};
        // The preferences are the device's, not a profile's: written and read with the profile
        // slot, but kept by the hardware save, so loading a profile leaves them alone.
        TGeneralConfig general{};
        TProfile current{};
        TProfile profiles[ProfileCount]{};
        int activeSlot = SlotFirstProfile;
        TShifterConfig shifter{};
        TShifterPosition position{};
        uint16_t gearBits = 0;
        int centreCount = 0, calibrateCount = 0, restartCount = 0, factoryResets = 0;
        bool shifterCalibrating = false;
        int shifterStream = -1;   // selector being streamed, -1 none
    };
    TState State() const;
    void SetState(const TState& state);

private:
    void Reply(uint8_t type, uint8_t requestId, const uint8_t* payload, size_t size);
    void Reject(const uint8_t* data, size_t size, size_t recordLength, const std::string& why);
    void HandleWheelBase(const TDevicePacket& p);
    void HandleShifter(const TDevicePacket& p);
    void HandleRead(const TDevicePacket& p);
    void HandleWrite(const TDevicePacket& p);
    TProfile& ProfileOfSlot(uint8_t slot);
    void StampFrame(TReport& report);

    const TSimKind FKind;
    std::function<void(const TReport&)> FEmit;
    mutable std::recursive_mutex FLock;
    TState FState;
    std::vector<TReceivedPacket> FReceived;
    int FAcks[256]{};
    uint32_t FFrame = 0;
    int FTelemetryPhase = 0;
};

}  // namespace devsim
