#include "app/protocol/device_protocol.h"

#include <algorithm>

namespace {

const wchar_t* const FlagLoading = L"Loading";
const wchar_t* const FlagWheelBase = L"WheelBase";
const wchar_t* const FlagUserEffect = L"UserEffect";
const wchar_t* const FlagTelemetry = L"Telemetry";
const wchar_t* const FlagLoadShifter = L"LoadShifter";

template <class R>
R UnpackReply(const uint8_t* payload, size_t size)
{
    return UnpackRecord<R>(payload, size, FromUtf8(TypeInfoOf<R>()->Name).c_str());
}

}  // namespace

TDeviceProtocol::TDeviceProtocol(TProtocolView& view) : FView(view) {}

bool TDeviceProtocol::IsPending(uint8_t requestId) const
{
    return RequestQ.Values(IntToStr(requestId)) == L"1";
}

uint8_t TDeviceProtocol::ProfileSlot() const
{
    return ProfileSlotOf(FView.SelectedProfileIndex());
}

void TDeviceProtocol::SetPending(uint8_t requestId, bool pending)
{
    RequestQ.SetValues(IntToStr(requestId), pending ? L"1" : L"0");
}

// ---- Sending -----------------------------------------------------------------------------

bool TDeviceProtocol::Send(TReportWriter* dev, const uint8_t* data, uint8_t len, const String& tag)
{
    const String prefix = L"[" + tag + L"]";
    if (dev == nullptr) {
        FView.SetAppStatus(L"Failed to send data to device");
        return false;
    }
    if (!dev->HasReadWriteAccess()) {
        FView.SetSysLog(prefix + dev->ProductName() + L" is not accessible");
        FView.SetAppStatus(prefix + L"Device not accessible");
        return false;
    }
    const size_t reportLength = dev->OutputReportByteLength();
    if (data == nullptr || len == 0 || len > reportLength) {
        // A cut packet would reach the device with a wrong length byte and check byte.
        FView.SetSysLog(Format(L"%sPacket of %u bytes does not fit the output report of %u bytes",
                               {prefix, static_cast<unsigned>(len), static_cast<unsigned>(reportLength)}));
        FView.SetAppStatus(prefix + L"Failed to send data to device");
        return false;
    }
    TBytes report(reportLength, 0);
    std::copy(data, data + len, report.begin());
    if (!dev->WriteOutputReport(report)) {
        FView.SetSysLog(prefix + L"Failed to write to " + dev->ProductName());
        FView.SetAppStatus(prefix + L"Failed to send data to device");
        return false;
    }
    FView.SetSysLog(PacketHexText(data, len));
    FView.SetAppStatus(Format(L"%sData successfully sent (%u) bytes", {prefix, static_cast<unsigned>(len)}));
    return true;
}

bool TDeviceProtocol::Send(TReportWriter* dev, const TDevicePacket& packet, const String& tag)
{
    return Send(dev, packet.Bytes(), packet.Length, tag);
}

bool TDeviceProtocol::Recv(TReportWriter* dev, uint8_t slot, uint8_t block, uint8_t param, uint8_t requestId,
                           const String& tag)
{
    if (!Send(dev, MakeReadPacket(slot, block, requestId, param), tag)) return false;
    SetPending(requestId, true);
    return true;
}

bool TDeviceProtocol::Load(TReportWriter* dev, uint8_t slot)
{
    if (!Send(dev, MakeProfilePacket(CmdLoadProfile, slot), L"Load-" + IntToStr(slot))) return false;
    SetPending(RqProfile, true);
    return true;
}

bool TDeviceProtocol::Save(TReportWriter* dev, uint8_t slot)
{
    if (!Send(dev, MakeProfilePacket(CmdSaveProfile, slot), L"Save-" + IntToStr(slot))) return false;
    SetPending(RqProfile, true);
    return true;
}

bool TDeviceProtocol::SendAck(TReportWriter* dev, uint8_t requestId)
{
    // An ack that did not reach the device leaves the request pending: the device repeats
    // its reply, which is then shown and acknowledged again.
    if (!Send(dev, MakeAckPacket(ProfileSlot(), requestId), L"Ack")) return false;
    SetPending(requestId, false);
    if (!IsProfileLoading()) return true;

    switch (requestId) {
    case RqWheelBase: ProfileLoading.SetValues(FlagWheelBase, L"0"); break;
    case RqUserEffect: ProfileLoading.SetValues(FlagUserEffect, L"0"); break;
    case RqTelemetry: ProfileLoading.SetValues(FlagTelemetry, L"0"); break;
    default: break;
    }
    if (ProfileLoading.Values(FlagWheelBase) == L"0" && ProfileLoading.Values(FlagUserEffect) == L"0" &&
        ProfileLoading.Values(FlagTelemetry) == L"0") {
        // The load is over before Apply runs, so a failing Apply (bad number in an edit)
        // cannot leave the window stuck in "loading" nor run a second Apply.
        ProfileLoading.SetValues(FlagLoading, L"0");
        FView.ApplyClick();
    }
    return true;
}

void TDeviceProtocol::RequestFirmware()
{
    Recv(CurrentWheelBase, SlotHardware, BlockFirmware, 255, RqFirmware, L"Firmware");
}

void TDeviceProtocol::RequestJoystickConfig()
{
    Recv(CurrentWheelBase, SlotHardware, BlockJoystick, 1, RqJoystick, L"LoadJoy");
}

void TDeviceProtocol::RequestMotorConfig()
{
    Recv(CurrentWheelBase, SlotHardware, BlockMotor, 2, RqMotor, L"LoadMotor");
}

void TDeviceProtocol::RequestProfileConfig()
{
    const uint8_t slot = ProfileSlot();
    Recv(CurrentWheelBase, slot, BlockWheelBase, 0, RqWheelBase, L"LoadWheelBase");
    Recv(CurrentWheelBase, slot, BlockUserEffect, 3, RqUserEffect, L"LoadUserEffect");
    Recv(CurrentWheelBase, slot, BlockTelemetry, 4, RqTelemetry, L"LoadTelemetry");
    // Set even when a read failed: a load that misses a block must not end in Apply.
    ProfileLoading.SetValues(FlagWheelBase, L"1");
    ProfileLoading.SetValues(FlagUserEffect, L"1");
    ProfileLoading.SetValues(FlagTelemetry, L"1");
}

void TDeviceProtocol::RequestGeneralConfig()
{
    Recv(CurrentWheelBase, ProfileSlot(), BlockGeneral, 3, RqGeneral, L"LoadGeneralConfig");
}

void TDeviceProtocol::RequestShifterStat(uint8_t selector)
{
    Recv(CurrentShifter, SlotShifterRead, selector, 0, RqShifter, L"LoadShifterStat");
}

void TDeviceProtocol::LoadProfile()
{
    Load(CurrentWheelBase, ProfileSlot());
    RequestProfileConfig();
    ProfileLoading.SetValues(FlagLoading, L"1");
}

void TDeviceProtocol::SendWheelBaseConfig(const TWheelBaseConfig& config)
{
    Send(CurrentWheelBase, MakeWheelBaseWrite(ProfileSlot(), config), L"Wheelbase");
}

void TDeviceProtocol::SendUserEffectConfig(const TUserEffectConfig& config)
{
    Send(CurrentWheelBase, MakeUserEffectWrite(ProfileSlot(), config), L"User effect");
}

void TDeviceProtocol::SendJoystickConfig(const TJoystickConfig& config)
{
    // The joystick and motor blocks are read from the hardware slot but written with the
    // profile slot; the firmware expects it so.
    Send(CurrentWheelBase, MakeJoystickWrite(ProfileSlot(), config), L"Joystick");
}

void TDeviceProtocol::SendMotorConfig(const TMotorConfig& config)
{
    Send(CurrentWheelBase, MakeMotorWrite(ProfileSlot(), config), L"Motor");
}

void TDeviceProtocol::SendGeneralConfig(const TGeneralConfig& config)
{
    Send(CurrentWheelBase, MakeGeneralWrite(ProfileSlot(), config), L"GeneralConfig");
}

void TDeviceProtocol::SendShifterConfig(const TShifterConfig& config)
{
    Send(CurrentShifter, MakeShifterWrite(ProfileSlot(), config), L"Shifter");
}

void TDeviceProtocol::SendCenterize()
{
    Send(CurrentWheelBase, MakeCommandPacket(ProfileSlot(), CmdCenter), L"Centerize");
}

void TDeviceProtocol::SendCalibrate()
{
    Send(CurrentWheelBase, MakeCommandPacket(ProfileSlot(), CmdCalibrate), L"Calibrate");
}

void TDeviceProtocol::SendRestart()
{
    Send(CurrentWheelBase, MakeCommandPacket(ProfileSlot(), CmdRestart), L"Restart");
}

void TDeviceProtocol::SendFactoryReset()
{
    Send(CurrentShifter, MakeCommandPacket(0, CmdFactoryReset), L"FactoryReset");
}

void TDeviceProtocol::SendShifterCalibrate()
{
    Send(CurrentShifter, MakeCommandPacket(0, CmdCalibrate), L"ShifterCalibrate");
}

void TDeviceProtocol::SendShifterDoneCalibrate()
{
    Send(CurrentShifter, MakeCommandPacket(0, CmdFinishCalibration), L"ShifterDoneCalibrate");
}

// ---- Receiving ---------------------------------------------------------------------------

void TDeviceProtocol::HandleDeviceData(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size)
{
    if (Closing || dev == nullptr) return;
    String error;
    try {
        if (dev->VendorId() != VendorIdDevices) return;
        if (dev->ProductId() == ProductIdWheelBase)
            ParseWheelBaseReport(dev, reportId, data, size);
        else if (dev->ProductId() == ProductIdShifter)
            ParseShifterReport(dev, reportId, data, size);
        return;
    } catch (const Exception& e) {
        error = e.Message();
    } catch (const std::exception& e) {
        error = FromUtf8(e.what());
    } catch (...) {
        error = L"Unknown error while handling a device report";
    }
    // This runs inside the read thread's synchronised call: nothing may escape from here.
    try {
        FView.SetSysLog(error);
    } catch (...) {
    }
}

void TDeviceProtocol::ParseWheelBaseReport(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size)
{
    if (reportId == ReportIdState) {
        if (size < JoystickStateOffset)
            throw EDeviceReplyError(Format(L"Joystick state: %u bytes received, %u expected",
                                           {static_cast<unsigned>(size),
                                            static_cast<unsigned>(JoystickStateOffset + sizeof(TJoystickState))}));
        FView.ShowJoystickState(UnpackReply<TJoystickState>(data + JoystickStateOffset, size - JoystickStateOffset));
        return;
    }
    if (reportId != ReportIdReply) return;
    if (data == nullptr || size < ReplyPayloadOffset)
        throw EDeviceReplyError(Format(L"Device reply: %u bytes received, at least %u expected",
                                       {static_cast<unsigned>(size), static_cast<unsigned>(ReplyPayloadOffset)}));
    const uint8_t type = data[ReplyTypeOffset];
    const uint8_t requestId = data[ReplyRequestIdOffset];
    // Replies nobody asked for (or already acknowledged duplicates) are dropped quietly.
    if (requestId != RqUnsolicited && !IsPending(requestId)) return;
    DispatchWheelBaseReply(type, data + ReplyPayloadOffset, size - ReplyPayloadOffset);
    if (requestId != RqUnsolicited) SendAck(CurrentWheelBase, requestId);
}

void TDeviceProtocol::DispatchWheelBaseReply(uint8_t type, const uint8_t* payload, size_t size)
{
    switch (type) {
    case BlockFirmware: {
        const String text = FirmwareVersionText(UnpackReply<TFirmwareVersion>(payload, size));
        FView.SetSysLog(L"FW Version: " + text);
        FView.ShowFirmwareVersion(text);
        break;
    }
    case BlockJoystick:
        FView.ShowJoystickConfig(UnpackReply<TJoystickConfig>(payload, size));
        break;
    case BlockMotor: {
        const auto r = UnpackReply<TMotorConfig>(payload, size);
        FView.ShowMotorConfig(r);
        FView.RecordReceived(TypeInfoOf<TMotorConfig>(), &r);
        break;
    }
    case BlockWheelBase: {
        const auto r = UnpackReply<TWheelBaseConfig>(payload, size);
        FView.ShowWheelBaseConfig(r);
        FView.RecordReceived(TypeInfoOf<TWheelBaseConfig>(), &r);
        break;
    }
    case BlockTelemetry:
        break;   // carries nothing the configurator reads
    case BlockUserEffect: {
        const auto r = UnpackReply<TUserEffectConfig>(payload, size);
        FView.ShowUserEffectConfig(r);
        FView.RecordReceived(TypeInfoOf<TUserEffectConfig>(), &r);
        break;
    }
    case BlockGeneral:
        FView.ShowGeneralConfig(UnpackReply<TGeneralConfig>(payload, size));
        break;
    case ReportEncoder: {
        const auto r = UnpackReply<TEncoderReport>(payload, size);
        FView.ShowEncoderReport(r);
        FView.RecordReceived(TypeInfoOf<TEncoderReport>(), &r);
        break;
    }
    case ReportPwm: {
        const auto r = UnpackReply<TPWMReport>(payload, size);
        FView.ShowPwmReport(r);
        FView.RecordReceived(TypeInfoOf<TPWMReport>(), &r);
        break;
    }
    case ReportCalculated: {
        const auto r = UnpackReply<TCalculatedData>(payload, size);
        FView.ShowCalculatedData(r);
        FView.RecordReceived(TypeInfoOf<TCalculatedData>(), &r);
        break;
    }
    case ReportBiquad: {
        const auto r = UnpackReply<TBiquadReport>(payload, size);
        if (r.filter <= 3) FView.ShowBiquadReport(r);
        break;
    }
    case ReportFfb: {
        const auto r = UnpackReply<TFFBReport>(payload, size);
        FView.ShowFfbReport(r);
        FView.RecordReceived(TypeInfoOf<TFFBReport>(), &r);
        break;
    }
    default:
        break;
    }
}

void TDeviceProtocol::ParseShifterReport(TReportWriter* dev, uint8_t reportId, const uint8_t* data, size_t size)
{
    if (reportId == ReportIdState) {
        FView.ShowGearState(GearBitsOf(data, size));
        return;
    }
    if (reportId != ReportIdReply) return;
    if (data == nullptr || size < ReplyPayloadOffset)
        throw EDeviceReplyError(Format(L"Shifter reply: %u bytes received, at least %u expected",
                                       {static_cast<unsigned>(size), static_cast<unsigned>(ReplyPayloadOffset)}));
    const uint8_t* payload = data + ReplyPayloadOffset;
    const size_t payloadSize = size - ReplyPayloadOffset;
    switch (data[ReplyTypeOffset]) {
    case ShifterReplyPosition:
        FView.ShowShifterPosition(UnpackReply<TShifterPosition>(payload, payloadSize));
        break;
    case ShifterReplyConfig:
        FView.ShowShifterConfig(UnpackReply<TShifterConfig>(payload, payloadSize));
        // Showing the Shifter tab asks for one configuration; its first reply stops the stream.
        if (ProfileLoading.Values(FlagLoadShifter) == L"1" && SendAck(CurrentShifter, RqShifter))
            ProfileLoading.SetValues(FlagLoadShifter, L"0");
        break;
    case ShifterReplyFirmware:
        FView.ShowShifterFirmware(FirmwareVersionText(UnpackReply<TFirmwareVersion>(payload, payloadSize)));
        break;
    default:
        break;
    }
}
