#include "hid/sim/sim_device.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/protocol/device_packets.h"

namespace devsim {

namespace {

template <class R>
void Put(TReport& report, size_t offset, const R& record)
{
    auto bytes = PackRecord(record);
    std::memcpy(report.data() + offset, bytes.data(), bytes.size());
}

template <class R>
R Take(const uint8_t* payload)
{
    return UnpackRecord<R>(payload, sizeof(R), L"packet");
}

// Factory settings of a plausible wheel base and shifter.
TSimFirmware::TState FactoryState(TSimKind kind)
{
    TSimFirmware::TState s;
    s.firmware = kind == TSimKind::WheelBase ? TFirmwareVersion{1, 4, 2, 0} : TFirmwareVersion{2, 1, 0, 7};
    s.joystick = {-32767, 32767, -32767, 32767, 0, 65535, 0, 65535, 0, 65535, 0, 65535};
    s.motor = {1, 16800, false, true, false, 10000, 0, 0, 1.5f, 0.05f, 0.01f, 1};
    TWheelBaseConfig wb{};
    wb.qFactor = 0.7071f;
    wb.peakGain = 1.0f;
    wb.steeringAngle = 900;
    wb.stopForce = 8000;
    wb.minForce = 200;
    wb.totalForceGain = 10000;
    wb.constantGain = wb.rampGain = wb.squareGain = wb.sineGain = wb.triangleGain = 10000;
    wb.sawtoothUpGain = wb.sawtoothDownGain = wb.springGain = wb.damperGain = 10000;
    wb.inertiaGain = wb.frictionGain = 10000;
    TUserEffectConfig ue{};
    ue.damperGain = ue.frictionGain = ue.inertiaGain = ue.springGain = 5000;
    s.general = {1.0f, false, false};
    for (int i = 0; i < ProfileCount; ++i) {
        s.profiles[i].wheelBase = wb;
        s.profiles[i].wheelBase.steeringAngle = static_cast<uint16_t>(540 + 90 * i);   // tell the slots apart
        s.profiles[i].userEffect = ue;
    }
    s.current = s.profiles[0];
    s.shifter = {0, 1024, 2048, 3072, 1365, 2730, true, 0x80000000u, false, 0, 4096, 0, 4096, 0, 8};
    s.position = {2048, 2048};
    return s;
}

}  // namespace

TSimFirmware::TSimFirmware(TSimKind kind, std::function<void(const TReport&)> emit)
    : FKind(kind), FEmit(std::move(emit)), FState(FactoryState(kind))
{
}

// ---- Packets -------------------------------------------------------------------------------------

void TSimFirmware::Reject(const uint8_t* data, size_t size, size_t recordLength, const std::string& why)
{
    FReceived.push_back({TReport(data, data + recordLength), false, why});
    (void)size;
}

void TSimFirmware::HandleOutputReport(const uint8_t* data, size_t size)
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    if (size == 0) {
        FReceived.push_back({TReport(), false, "empty report"});
        return;
    }
    if (data[0] != ReportIdCommand) return Reject(data, size, size, "unknown report id");
    if (size < 9) return Reject(data, size, size, "report shorter than a packet header");
    size_t length = data[1];
    if (length < 9 || length > size || length > MaxPacketSize) return Reject(data, size, size, "bad packet length");
    size_t payloadLength = data[7];
    if (payloadLength + 9 != length) return Reject(data, size, length, "payload length does not match the packet length");
    uint8_t check = payloadLength > 0 ? static_cast<uint8_t>(data[8] ^ CheckXor) : 0;
    if (data[8 + payloadLength] != check) return Reject(data, size, length, "bad check byte");

    TDevicePacket p{};
    std::memcpy(&p, data, length);
    size_t before = FReceived.size();
    FReceived.push_back({TReport(data, data + length), true, std::string()});
    try {
        if (FKind == TSimKind::WheelBase)
            HandleWheelBase(p);
        else
            HandleShifter(p);
    } catch (const std::exception& e) {
        FReceived[before].accepted = false;
        FReceived[before].error = e.what();
    }
}

void TSimFirmware::HandleWheelBase(const TDevicePacket& p)
{
    switch (p.Command) {
    case CmdRead: return HandleRead(p);
    case CmdWrite: return HandleWrite(p);
    case CmdLoadProfile:
        if (p.Slot < SlotFirstProfile || p.Slot >= SlotFirstProfile + ProfileCount)
            throw std::runtime_error("load of a slot that holds no profile");
        FState.current = FState.profiles[p.Slot - SlotFirstProfile];
        FState.activeSlot = p.Slot;
        return;
    case CmdSaveProfile:
        if (p.Slot >= SlotFirstProfile && p.Slot < SlotFirstProfile + ProfileCount) {
            // Writes land in the slot they name: the active slot's in the current settings,
            // another slot's in its stored profile, which therefore already holds them. So only
            // the active slot's settings are copied, and a save does not switch profiles.
            if (p.Slot == FState.activeSlot) FState.profiles[p.Slot - SlotFirstProfile] = FState.current;
        } else if (p.Slot != SlotHardware) {
            throw std::runtime_error("save to an unknown slot");
        }
        return;   // the hardware slot's blocks are stored as they are written
    case CmdCenter: ++FState.centreCount; return;
    case CmdCalibrate: ++FState.calibrateCount; return;
    case CmdRestart: ++FState.restartCount; return;
    case CmdAck:
        if (p.Block != CmdAck || p.Param != CmdAck) throw std::runtime_error("malformed acknowledgement");
        ++FAcks[p.RequestId];
        return;
    default: throw std::runtime_error("unknown command");
    }
}

void TSimFirmware::HandleShifter(const TDevicePacket& p)
{
    switch (p.Command) {
    case CmdRead:
        if (p.Slot != SlotShifterRead) throw std::runtime_error("shifter read with a slot");
        switch (p.Block) {
        case ShifterStatFirmware: {   // answered once, in place of the stream before it
            FState.shifterStream = -1;
            auto fw = PackRecord(FState.firmware);
            Reply(ShifterReplyFirmware, p.RequestId, fw.data(), fw.size());
            return;
        }
        case ShifterStatConfig:
        case ShifterStatPosition: FState.shifterStream = p.Block; return;   // streamed until acknowledged
        case ShifterStatNone: FState.shifterStream = -1; return;            // no report: the stream ends
        default: throw std::runtime_error("unknown shifter selector");
        }
    case CmdWrite:
        if (p.Param != 6 || p.PayloadLength != sizeof(TShifterConfig))
            throw std::runtime_error("shifter write of an unknown block");
        FState.shifter = Take<TShifterConfig>(p.Payload);
        return;
    case CmdFactoryReset: FState.shifter = FactoryState(TSimKind::Shifter).shifter; ++FState.factoryResets; return;
    case CmdCalibrate: FState.shifterCalibrating = true; return;
    case CmdFinishCalibration: FState.shifterCalibrating = false; return;
    case CmdAck:
        if (p.Block != CmdAck || p.Param != CmdAck) throw std::runtime_error("malformed acknowledgement");
        ++FAcks[p.RequestId];
        if (p.RequestId == RqShifter) FState.shifterStream = -1;   // acknowledging the stream id stops it
        return;
    default: throw std::runtime_error("unknown command");
    }
}

TSimFirmware::TProfile& TSimFirmware::ProfileOfSlot(uint8_t slot)
{
    if (slot == FState.activeSlot) return FState.current;
    if (slot >= SlotFirstProfile && slot < SlotFirstProfile + ProfileCount) return FState.profiles[slot - SlotFirstProfile];
    throw std::runtime_error("profile block of a slot that holds no profile");
}

void TSimFirmware::HandleRead(const TDevicePacket& p)
{
    if (p.PayloadLength != 0) throw std::runtime_error("read request with a payload");
    auto reply = [&](const auto& record) {
        auto bytes = PackRecord(record);
        Reply(p.Block, p.RequestId, bytes.data(), bytes.size());
    };
    switch (p.Block) {
    case BlockFirmware: return reply(FState.firmware);
    case BlockJoystick: return reply(FState.joystick);
    case BlockMotor: return reply(FState.motor);
    case BlockWheelBase: return reply(ProfileOfSlot(p.Slot).wheelBase);
    case BlockUserEffect: return reply(ProfileOfSlot(p.Slot).userEffect);
    case BlockGeneral:
        ProfileOfSlot(p.Slot);   // asked with a profile slot
        return reply(FState.general);
    case BlockTelemetry: {
        const TProfile& profile = ProfileOfSlot(p.Slot);
        return Reply(p.Block, p.RequestId, profile.telemetry, sizeof(profile.telemetry));
    }
    default: throw std::runtime_error("read of an unknown block");
    }
}

void TSimFirmware::HandleWrite(const TDevicePacket& p)
{
    auto expect = [&](size_t size) {
        if (p.PayloadLength != size) throw std::runtime_error("write whose payload does not fit its block");
    };
    if (p.Param == 5 && p.Block == 0) {   // the general block is written with its own param
        expect(sizeof(TGeneralConfig));
        ProfileOfSlot(p.Slot);   // written with a profile slot
        FState.general = Take<TGeneralConfig>(p.Payload);
        return;
    }
    switch (p.Block) {
    case BlockJoystick: expect(sizeof(TJoystickConfig)); FState.joystick = Take<TJoystickConfig>(p.Payload); return;
    case BlockMotor: expect(sizeof(TMotorConfig)); FState.motor = Take<TMotorConfig>(p.Payload); return;
    case BlockWheelBase:
        expect(sizeof(TWheelBaseConfig));
        ProfileOfSlot(p.Slot).wheelBase = Take<TWheelBaseConfig>(p.Payload);
        return;
    case BlockUserEffect:
        expect(sizeof(TUserEffectConfig));
        ProfileOfSlot(p.Slot).userEffect = Take<TUserEffectConfig>(p.Payload);
        return;
    default: throw std::runtime_error("write of an unknown block");
    }
}

void TSimFirmware::Reply(uint8_t type, uint8_t requestId, const uint8_t* payload, size_t size)
{
    TReport report(ReportLength, 0);
    report[0] = ReportIdReply;
    report[1] = type;
    report[2] = requestId;
    std::memcpy(report.data() + 3, payload, size);
    FEmit(report);
}

// ---- Streams -------------------------------------------------------------------------------------

namespace {
std::atomic<uint64_t (*)()> gClock{nullptr};
}

void TSimFirmware::SetClock(uint64_t (*now)())
{
    gClock = now;
}

void TSimFirmware::StampFrame(TReport& report)
{
    auto clock = gClock.load();
    uint64_t sentAt = clock ? clock() : 0;
    std::memcpy(report.data() + SentAtOffset, &sentAt, sizeof(sentAt));
    uint32_t frame = FFrame++;
    for (int i = 0; i < 4; ++i) report[FrameCounterOffset + i] = static_cast<uint8_t>(frame >> (8 * i));
}

void TSimFirmware::EmitTelemetryFrame()
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    TReport report(ReportLength, 0);
    float t = static_cast<float>(FFrame) * 0.001f;
    switch (FTelemetryPhase++ % 6) {
    case 0: {
        TEncoderReport r{static_cast<int32_t>(FFrame % 20000), 20000, 1.5f, 100, -100, 10000, 40000};
        report[0] = ReportIdReply, report[1] = ReportEncoder, report[2] = RqUnsolicited;
        Put(report, 3, r);
        break;
    }
    case 1: {
        TPWMReport r{FState.motor.pwmMode, FState.motor.pwmFreq, static_cast<int16_t>(FFrame % 1000)};
        report[0] = ReportIdReply, report[1] = ReportPwm, report[2] = RqUnsolicited;
        Put(report, 3, r);
        break;
    }
    case 2: {
        TCalculatedData r{t, 0.5f, 1.0f, 0.25f};
        report[0] = ReportIdReply, report[1] = ReportCalculated, report[2] = RqUnsolicited;
        Put(report, 3, r);
        break;
    }
    case 3: {
        TFFBReport r{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, t};
        report[0] = ReportIdReply, report[1] = ReportFfb, report[2] = RqUnsolicited;
        Put(report, 3, r);
        break;
    }
    case 4: {
        TBiquadReport r{};
        r.filter = static_cast<uint8_t>(FFrame % 4);
        r.a0 = 1.0f, r.Fc = 50.0f, r.Q = 0.7071f;
        report[0] = ReportIdReply, report[1] = ReportBiquad, report[2] = RqUnsolicited;
        Put(report, 3, r);
        break;
    }
    default: {
        TJoystickState r{static_cast<int32_t>(FFrame % 65536) - 32768, 0, 0, 0, 0, 0};
        report[0] = ReportIdState;
        Put(report, 1 + JoystickStateOffset, r);
        break;
    }
    }
    StampFrame(report);
    FEmit(report);
}

bool TSimFirmware::ShifterStreaming() const
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    return FState.shifterStream >= 0;
}

void TSimFirmware::EmitShifterFrame()
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    TReport report(ReportLength, 0);
    if (FState.shifterStream == ShifterStatConfig) {
        report[0] = ReportIdReply, report[1] = ShifterReplyConfig, report[2] = RqShifter;
        Put(report, 3, FState.shifter);
    } else if (FState.shifterStream == ShifterStatPosition) {
        report[0] = ReportIdReply, report[1] = ShifterReplyPosition, report[2] = RqShifter;
        Put(report, 3, FState.position);
    } else {
        // Bit 10 tells the mode: always set in H-pattern mode, never in sequential mode.
        uint16_t bits = static_cast<uint16_t>(FState.gearBits & ~GearBitHPattern);
        if (FState.shifter.shifterType == 0) bits |= GearBitHPattern;
        report[0] = ReportIdState;
        report[1] = static_cast<uint8_t>(bits);
        report[2] = static_cast<uint8_t>(bits >> 8);
    }
    StampFrame(report);
    FEmit(report);
}

// ---- Knobs and inspection ------------------------------------------------------------------------

std::vector<TReceivedPacket> TSimFirmware::Received() const
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    return FReceived;
}

void TSimFirmware::ClearReceived()
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    FReceived.clear();
}

std::string TSimFirmware::ReceivedText() const
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    std::string text;
    char hex[4];
    for (const auto& p : FReceived) {
        for (size_t i = 0; i < p.bytes.size(); ++i) {
            std::snprintf(hex, sizeof(hex), i == 0 ? "%02x" : " %02x", p.bytes[i]);
            text += hex;
        }
        text += '\n';
    }
    return text;
}

int TSimFirmware::AckCount(uint8_t requestId) const
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    return FAcks[requestId];
}

void TSimFirmware::SetGear(int gear)
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    FState.gearBits = gear >= 1 && gear <= 11 ? static_cast<uint16_t>(1u << (gear - 1)) : 0;
}

void TSimFirmware::SetShifterPosition(uint16_t x, uint16_t y)
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    FState.position = {x, y};
}

TSimFirmware::TState TSimFirmware::State() const
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    return FState;
}

void TSimFirmware::SetState(const TState& state)
{
    std::lock_guard<std::recursive_mutex> g(FLock);
    FState = state;
}

}  // namespace devsim
