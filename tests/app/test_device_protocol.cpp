// The protocol engine against fake devices: every packet sent, byte for byte; the reply
// dispatcher; request-id and profile-loading bookkeeping; failed and oversized writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/protocol/device_protocol.h"

namespace {

class FakeDevice : public TReportWriter {
public:
    FakeDevice(uint16_t product, size_t reportLength = 64) : Product(product), ReportLength(reportLength) {}
    uint16_t VendorId() const override { return Vendor; }
    uint16_t ProductId() const override { return Product; }
    String ProductName() const override { return Name; }
    bool HasReadWriteAccess() const override { return Access; }
    size_t OutputReportByteLength() const override { return ReportLength; }
    bool WriteOutputReport(const TBytes& report) override
    {
        Attempts.push_back(report);
        if (!WriteOk) return false;
        Written.push_back(report);
        return true;
    }

    uint16_t Vendor = VendorIdDevices;
    uint16_t Product;
    String Name = L"Fake device";
    bool Access = true;
    size_t ReportLength;
    bool WriteOk = true;
    std::vector<TBytes> Attempts;
    std::vector<TBytes> Written;
};

class FakeView : public TProtocolView {
public:
    void SetAppStatus(const String& msg) override { Status.push_back(msg); }
    void SetSysLog(const String& msg) override { Log.push_back(msg); }
    int SelectedProfileIndex() const override { return Profile; }
    void ApplyClick() override
    {
        Events.push_back("Apply");
        if (ApplyThrows) throw EConvertError(L"'x' is not a valid floating point value");
    }
    void ShowJoystickState(const TJoystickState& s) override { Events.push_back("JoystickState " + std::to_string(s.rz)); }
    void ShowFirmwareVersion(const String& text) override { Events.push_back("Firmware " + ToUtf8(text)); }
    void ShowJoystickConfig(const TJoystickConfig& c) override { Events.push_back("JoystickConfig " + std::to_string(c.xMin)); }
    void ShowMotorConfig(const TMotorConfig& c) override { Events.push_back("Motor " + std::to_string(c.pwmFreq)); }
    void ShowWheelBaseConfig(const TWheelBaseConfig& c) override { Events.push_back("WheelBase " + std::to_string(c.steeringAngle)); }
    void ShowUserEffectConfig(const TUserEffectConfig&) override { Events.push_back("UserEffect"); }
    void ShowGeneralConfig(const TGeneralConfig&) override { Events.push_back("General"); }
    void ShowEncoderReport(const TEncoderReport&) override { Events.push_back("Encoder"); }
    void ShowPwmReport(const TPWMReport&) override { Events.push_back("Pwm"); }
    void ShowCalculatedData(const TCalculatedData&) override { Events.push_back("Calculated"); }
    void ShowBiquadReport(const TBiquadReport& r) override { Events.push_back("Biquad " + std::to_string(r.filter)); }
    void ShowFfbReport(const TFFBReport&) override { Events.push_back("Ffb"); }
    void RecordReceived(const TTypeInfo* type, const void*) override { Events.push_back(std::string("Record ") + type->Name); }
    void ShowGearState(uint16_t bits) override { Events.push_back("Gears " + std::to_string(bits)); }
    void ShowShifterPosition(const TShifterPosition& p) override { Events.push_back("Position " + std::to_string(p.x)); }
    void ShowShifterConfig(const TShifterConfig&) override { Events.push_back("ShifterConfig"); }
    void ShowShifterFirmware(const String& text) override { Events.push_back("ShifterFirmware " + ToUtf8(text)); }

    int Profile = 2;   // slot 8
    bool ApplyThrows = false;
    std::vector<String> Status;
    std::vector<String> Log;
    std::vector<std::string> Events;
};

std::vector<uint8_t> Hex(const std::string& text)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size() + 1;) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

template <class R>
std::vector<uint8_t> Bytes(const R& record)
{
    const auto packed = PackRecord(record);
    return {packed.begin(), packed.end()};
}

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A protocol engine with a wheel base (64-byte reports, profile 3 = slot 8) and a shifter.
struct Harness {
    FakeView view;
    FakeDevice wheel{ProductIdWheelBase};
    FakeDevice shifter{ProductIdShifter};
    TDeviceProtocol proto{view};

    Harness()
    {
        proto.CurrentWheelBase = &wheel;
        proto.CurrentShifter = &shifter;
    }
    // A 0x41 reply as the read thread hands it over: the bytes after the report id, padded
    // to the 63 data bytes of a 64-byte input report.
    void Reply(FakeDevice& dev, uint8_t type, uint8_t id, const std::vector<uint8_t>& payload, size_t pad = 63)
    {
        std::vector<uint8_t> data{type, id};
        data.insert(data.end(), payload.begin(), payload.end());
        if (data.size() < pad) data.resize(pad, 0);
        proto.HandleDeviceData(&dev, ReportIdReply, data.data(), data.size());
    }
    // The meaningful bytes of each written report (its Length byte).
    static std::vector<std::vector<uint8_t>> Packets(const FakeDevice& dev)
    {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : dev.Written) out.emplace_back(r.begin(), r.begin() + r[1]);
        return out;
    }
};

struct ProtocolTest : testing::Test, Harness {};

// ---- Sending ---------------------------------------------------------------------------------

TWheelBaseConfig SampleWheelBase()
{
    TWheelBaseConfig c{};
    c.qFactor = 0.7071f;
    c.peakGain = 1.5f;
    c.steeringAngle = 900;
    c.totalForceGain = 8000;
    c.frictionGain = 1234;
    c.enableTelemetryFfb = true;
    return c;
}

TEST_F(ProtocolTest, EveryPacketMatchesTheCatalogue)
{
    TUserEffectConfig user{};
    user.damperForce = 0x0102;
    user.enableSpring = true;
    TJoystickConfig joy{};
    joy.xMin = -32768;
    joy.rzMax = 32767;
    TMotorConfig motor{};
    motor.pwmMode = 1;
    motor.pwmFreq = 16800;
    motor.Kp = 2.0f;
    TGeneralConfig general{};
    general.forceMultiplier = 1.0f;   // first byte 0x00
    general.debugMode = true;
    TShifterConfig shift{};
    shift.shifterType = 0;
    shift.ledEffects = 0x80400000u;
    shift.filterFactor = 200;
    const TWheelBaseConfig wb = SampleWheelBase();
    const auto wbBytes = Bytes(wb);

    const struct Row {
        const char* tag;
        bool toShifter;
        std::function<void(TDeviceProtocol&)> send;
        std::vector<uint8_t> expected;
    } rows[] = {
        {"Firmware", false, [](auto& p) { p.RequestFirmware(); }, Hex("14 09 0b 00 00 e0 ff 00 00")},
        {"LoadJoy", false, [](auto& p) { p.RequestJoystickConfig(); }, Hex("14 09 0b 00 01 e1 01 00 00")},
        {"LoadMotor", false, [](auto& p) { p.RequestMotorConfig(); }, Hex("14 09 0b 00 02 e2 02 00 00")},
        {"LoadGeneralConfig", false, [](auto& p) { p.RequestGeneralConfig(); }, Hex("14 09 08 00 06 e6 03 00 00")},
        {"LoadShifterStat", true, [](auto& p) { p.RequestShifterStat(ShifterStatPosition); },
         Hex("14 09 00 00 02 f1 00 00 00")},
        {"Wheelbase", false, [&](auto& p) { p.SendWheelBaseConfig(wb); },
         Cat(Cat(Hex("14 38 08 01 03 00 00 2f"), wbBytes), {static_cast<uint8_t>(wbBytes[0] ^ 0x69)})},
        {"User effect", false, [&](auto& p) { p.SendUserEffectConfig(user); },
         Cat(Cat(Hex("14 25 08 01 05 00 03 1c"), Bytes(user)), Hex("6b"))},
        {"Joystick", false, [&](auto& p) { p.SendJoystickConfig(joy); },
         Cat(Cat(Hex("14 39 08 01 01 00 01 30"), Bytes(joy)), Hex("69"))},
        {"Motor", false, [&](auto& p) { p.SendMotorConfig(motor); },
         Cat(Cat(Hex("14 25 08 01 02 00 02 1c"), Bytes(motor)), Hex("68"))},
        {"GeneralConfig", false, [&](auto& p) { p.SendGeneralConfig(general); },
         Cat(Cat(Hex("14 0f 08 01 00 00 05 06"), Bytes(general)), Hex("69"))},
        {"Shifter", true, [&](auto& p) { p.SendShifterConfig(shift); },
         Cat(Cat(Hex("14 24 08 01 00 00 06 1b"), Bytes(shift)), Hex("69"))},
        {"Load-8", false, [](auto& p) { p.Load(p.CurrentWheelBase, 8); }, Hex("14 09 08 02 00 fe ff 00 00")},
        {"Save-11", false, [](auto& p) { p.Save(p.CurrentWheelBase, SlotHardware); }, Hex("14 09 0b 03 00 fe ff 00 00")},
        {"FactoryReset", true, [](auto& p) { p.SendFactoryReset(); }, Hex("14 09 00 04 00 00 00 00 00")},
        {"Centerize", false, [](auto& p) { p.SendCenterize(); }, Hex("14 09 08 05 00 00 00 00 00")},
        {"Calibrate", false, [](auto& p) { p.SendCalibrate(); }, Hex("14 09 08 06 00 00 00 00 00")},
        {"ShifterCalibrate", true, [](auto& p) { p.SendShifterCalibrate(); }, Hex("14 09 00 06 00 00 00 00 00")},
        {"ShifterDoneCalibrate", true, [](auto& p) { p.SendShifterDoneCalibrate(); }, Hex("14 09 00 07 00 00 00 00 00")},
        {"Restart", false, [](auto& p) { p.SendRestart(); }, Hex("14 09 08 ff 00 00 00 00 00")},
        {"Ack", false, [](auto& p) { p.SendAck(p.CurrentWheelBase, RqWheelBase); }, Hex("14 09 08 90 90 e3 90 00 00")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.tag);
        wheel.Written.clear();
        shifter.Written.clear();
        view.Status.clear();
        r.send(proto);
        FakeDevice& target = r.toShifter ? shifter : wheel;
        FakeDevice& other = r.toShifter ? wheel : shifter;
        ASSERT_EQ(target.Written.size(), 1u);
        EXPECT_TRUE(other.Written.empty());
        const TBytes& report = target.Written[0];
        ASSERT_EQ(report.size(), 64u);   // the device's full output report
        EXPECT_EQ(std::vector<uint8_t>(report.begin(), report.begin() + r.expected.size()), r.expected);
        EXPECT_TRUE(std::all_of(report.begin() + r.expected.size(), report.end(), [](uint8_t b) { return b == 0; }));
        ASSERT_FALSE(view.Status.empty());
        EXPECT_EQ(view.Status.back(), Format(L"[%s]Data successfully sent (%u) bytes",
                                             {FromUtf8(r.tag), static_cast<unsigned>(r.expected.size())}));
    }
}

TEST_F(ProtocolTest, ProfileReadIsLoggedAsHex)
{
    view.Profile = 0;
    proto.RequestProfileConfig();
    ASSERT_EQ(Packets(wheel).size(), 3u);
    EXPECT_EQ(Packets(wheel)[0], Hex("14 09 06 00 03 e3 00 00 00"));
    EXPECT_EQ(Packets(wheel)[1], Hex("14 09 06 00 05 e4 03 00 00"));
    EXPECT_EQ(Packets(wheel)[2], Hex("14 09 06 00 04 e5 04 00 00"));
    EXPECT_NE(std::find(view.Log.begin(), view.Log.end(), L"14 09 06 00 03 e3 00 00 00 "), view.Log.end());
    for (const wchar_t* id : {L"227", L"228", L"229"}) EXPECT_EQ(proto.RequestQ.Values(id), L"1");
}

TEST_F(ProtocolTest, CheckByteCoversTheFirstPayloadByteOnly)
{
    TWheelBaseConfig c = SampleWheelBase();
    const uint8_t check = MakeWheelBaseWrite(8, c).Check();
    EXPECT_EQ(check, static_cast<uint8_t>(Bytes(c)[0] ^ 0x69));
    c.steeringAngle = 180;
    c.peakGain = 99.0f;
    c.enableTelemetryFfb = false;
    EXPECT_EQ(MakeWheelBaseWrite(8, c).Check(), check);
    c.qFactor = 1.0f;   // 0x3F800000: first byte 0x00
    EXPECT_EQ(MakeWheelBaseWrite(8, c).Check(), 0x69);
}

TEST_F(ProtocolTest, FailedSendsAreReportedAndMarkNothingPending)
{
    const struct Row {
        const char* name;
        std::function<void(Harness&)> setup;
        std::vector<String> status;
        std::vector<String> log;
        size_t attempts;
    } rows[] = {
        {"no device", [](Harness& f) { f.proto.CurrentWheelBase = nullptr; },
         {L"Failed to send data to device"}, {}, 0},
        {"no access", [](Harness& f) { f.wheel.Access = false; },
         {L"[LoadMotor]Device not accessible"}, {L"[LoadMotor]Fake device is not accessible"}, 0},
        {"write rejected", [](Harness& f) { f.wheel.WriteOk = false; },
         {L"[LoadMotor]Failed to send data to device"}, {L"[LoadMotor]Failed to write to Fake device"}, 1},
        {"report too short", [](Harness& f) { f.wheel.ReportLength = 8; },
         {L"[LoadMotor]Failed to send data to device"},
         {L"[LoadMotor]Packet of 9 bytes does not fit the output report of 8 bytes"}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Harness f;
        r.setup(f);
        f.proto.RequestMotorConfig();
        EXPECT_EQ(f.view.Status, r.status);
        EXPECT_EQ(f.view.Log, r.log);
        EXPECT_EQ(f.wheel.Attempts.size(), r.attempts);
        EXPECT_FALSE(f.proto.IsPending(RqMotor));
        EXPECT_EQ(f.proto.RequestQ.Values(L"226"), L"");
    }
}

TEST_F(ProtocolTest, OversizedPacketIsRefusedNotCut)
{
    wheel.ReportLength = 32;   // the joystick write is 57 bytes
    proto.SendJoystickConfig(TJoystickConfig{});
    EXPECT_TRUE(wheel.Attempts.empty());
    ASSERT_EQ(view.Log.size(), 1u);
    EXPECT_EQ(view.Log[0], L"[Joystick]Packet of 57 bytes does not fit the output report of 32 bytes");
    EXPECT_THROW(MakePacket(8, CmdWrite, 1, 0, 0, std::vector<uint8_t>(49).data(), 49), EArgumentException);
}

// ---- Receiving -------------------------------------------------------------------------------

TEST_F(ProtocolTest, WheelBaseReplyDispatch)
{
    TMotorConfig motor{};
    motor.pwmFreq = 8400;
    TWheelBaseConfig wb{};
    wb.steeringAngle = 1080;
    TJoystickConfig joy{};
    joy.xMin = -5;
    TBiquadReport biquad{};
    biquad.filter = 1;
    TBiquadReport badBiquad{};
    badBiquad.filter = 7;

    const struct Row {
        const char* name;
        std::vector<uint8_t> pending;   // ids requested before the reply
        uint8_t type;
        uint8_t id;
        std::vector<uint8_t> payload;
        size_t pad;                     // data bytes after the report id
        std::vector<std::string> events;
        int ackedId;                    // -1: no acknowledgement
        String logContains;             // an error line expected in the log ("" none)
    } rows[] = {
        {"firmware", {RqFirmware}, 0, RqFirmware, {1, 2, 3, 40}, 63, {"Firmware 1.2.3.40"}, RqFirmware, L""},
        {"joystick", {RqJoystick}, 1, RqJoystick, Bytes(joy), 63, {"JoystickConfig -5"}, RqJoystick, L""},
        {"motor", {RqMotor}, 2, RqMotor, Bytes(motor), 63, {"Motor 8400", "Record TMotorConfig"}, RqMotor, L""},
        {"wheel base", {RqWheelBase}, 3, RqWheelBase, Bytes(wb), 63, {"WheelBase 1080", "Record TWheelBaseConfig"},
         RqWheelBase, L""},
        {"telemetry", {RqTelemetry}, 4, RqTelemetry, {}, 63, {}, RqTelemetry, L""},
        {"user effect", {RqUserEffect}, 5, RqUserEffect, Bytes(TUserEffectConfig{}), 63,
         {"UserEffect", "Record TUserEffectConfig"}, RqUserEffect, L""},
        {"general", {RqGeneral}, 6, RqGeneral, Bytes(TGeneralConfig{}), 63, {"General"}, RqGeneral, L""},
        {"encoder stream", {}, ReportEncoder, RqUnsolicited, {}, 63, {"Encoder", "Record TEncoderReport"}, -1, L""},
        {"pwm stream", {}, ReportPwm, RqUnsolicited, {}, 63, {"Pwm", "Record TPWMReport"}, -1, L""},
        {"calculated stream", {}, ReportCalculated, RqUnsolicited, {}, 63, {"Calculated", "Record TCalculatedData"}, -1, L""},
        {"biquad", {}, ReportBiquad, RqUnsolicited, Bytes(biquad), 63, {"Biquad 1"}, -1, L""},
        {"biquad of no filter", {}, ReportBiquad, RqUnsolicited, Bytes(badBiquad), 63, {}, -1, L""},
        {"ffb stream", {}, ReportFfb, RqUnsolicited, {}, 63, {"Ffb", "Record TFFBReport"}, -1, L""},
        {"unknown type", {RqWheelBase}, 0x33, RqWheelBase, {}, 63, {}, RqWheelBase, L""},
        {"not pending", {}, 3, RqWheelBase, Bytes(wb), 63, {}, -1, L""},
        {"pending other id", {RqMotor}, 3, RqWheelBase, Bytes(wb), 63, {}, -1, L""},
        {"short record", {RqWheelBase}, 3, RqWheelBase, std::vector<uint8_t>(10, 7), 12, {}, -1,
         L"TWheelBaseConfig: 10 bytes received, 47 expected"},
        {"exact length", {RqMotor}, 2, RqMotor, Bytes(motor), 30, {"Motor 8400", "Record TMotorConfig"}, RqMotor, L""},
        {"header only", {RqMotor}, 2, RqMotor, {}, 2, {}, -1, L"TMotorConfig: 0 bytes received, 28 expected"},
        {"short stream", {}, ReportFfb, RqUnsolicited, {}, 20, {}, -1, L"TFFBReport: 18 bytes received, 48 expected"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Harness f;
        for (uint8_t id : r.pending) f.proto.RequestQ.SetValues(IntToStr(id), L"1");
        f.Reply(f.wheel, r.type, r.id, r.payload, r.pad);
        EXPECT_EQ(f.view.Events, r.events);
        const auto packets = Packets(f.wheel);
        if (r.ackedId < 0) {
            EXPECT_TRUE(packets.empty());
        } else {
            ASSERT_EQ(packets.size(), 1u);
            EXPECT_EQ(packets[0], Cat(Hex("14 09 08 90 90"), {static_cast<uint8_t>(r.ackedId), 0x90, 0, 0}));
            EXPECT_EQ(f.proto.RequestQ.Values(IntToStr(r.ackedId)), L"0");
        }
        if (r.logContains.empty()) {
            for (const String& line : f.view.Log) EXPECT_EQ(line.find(L"bytes received"), String::npos) << ToUtf8(line);
        } else {
            EXPECT_NE(std::find(f.view.Log.begin(), f.view.Log.end(), r.logContains), f.view.Log.end());
            // A rejected reply stays pending, so the device's repeat is still taken.
            for (uint8_t id : r.pending) EXPECT_TRUE(f.proto.IsPending(id));
        }
    }
}

TEST_F(ProtocolTest, StateReportsAndForeignDevices)
{
    std::vector<uint8_t> state(63, 0);
    state[JoystickStateOffset + 20] = 0xFE;   // rz = -2
    for (int i = 21; i < 24; ++i) state[JoystickStateOffset + i] = 0xFF;
    proto.HandleDeviceData(&wheel, ReportIdState, state.data(), state.size());
    proto.HandleDeviceData(&wheel, ReportIdState, state.data(), 27);   // one byte short
    const uint8_t gears[] = {0x01, 0x02};
    proto.HandleDeviceData(&shifter, ReportIdState, gears, sizeof gears);
    proto.HandleDeviceData(&shifter, ReportIdState, gears, 1);
    proto.HandleDeviceData(&wheel, 0x7F, state.data(), state.size());   // unknown report id
    EXPECT_EQ(view.Events, (std::vector<std::string>{"JoystickState -2", "Gears 513"}));
    EXPECT_EQ(view.Log, (std::vector<String>{L"TJoystickState: 23 bytes received, 24 expected",
                                             L"Gear report: 1 bytes received, 2 expected"}));

    FakeDevice stranger(ProductIdWheelBase);
    stranger.Vendor = 0x1234;
    FakeDevice pedal(0x8000);
    proto.HandleDeviceData(&stranger, ReportIdState, state.data(), state.size());
    proto.HandleDeviceData(&pedal, ReportIdState, state.data(), state.size());
    proto.HandleDeviceData(nullptr, ReportIdState, state.data(), state.size());
    proto.Closing = true;
    proto.HandleDeviceData(&wheel, ReportIdState, state.data(), state.size());
    EXPECT_EQ(view.Events.size(), 2u);
}

TEST_F(ProtocolTest, ShifterReplies)
{
    TShifterPosition pos{};
    pos.x = 2048;
    proto.ProfileLoading.SetValues(L"LoadShifter", L"1");
    Reply(shifter, ShifterReplyPosition, 0, Bytes(pos));
    Reply(shifter, ShifterReplyConfig, 0, Bytes(TShifterConfig{}));
    Reply(shifter, ShifterReplyConfig, 0, Bytes(TShifterConfig{}));   // stream goes on: no second ack
    Reply(shifter, ShifterReplyFirmware, 0, {2, 0, 1, 9});
    Reply(shifter, 0x42, 0, {});
    Reply(shifter, ShifterReplyConfig, 0, {}, 20);                     // short: rejected
    EXPECT_EQ(view.Events, (std::vector<std::string>{"Position 2048", "ShifterConfig", "ShifterConfig",
                                                     "ShifterFirmware 2.0.1.9"}));
    EXPECT_EQ(Packets(shifter), (std::vector<std::vector<uint8_t>>{Hex("14 09 08 90 90 f1 90 00 00")}));
    EXPECT_EQ(proto.ProfileLoading.Values(L"LoadShifter"), L"0");
    EXPECT_TRUE(wheel.Written.empty());
    EXPECT_EQ(view.Log.back(), L"TShifterConfig: 18 bytes received, 27 expected");
}

// Runs a profile load and answers the three block reads in the given order.
struct ProfileLoad : Harness {
    void Run(const std::vector<uint8_t>& order)
    {
        proto.LoadProfile();
        EXPECT_TRUE(proto.IsProfileLoading());
        for (uint8_t id : order) {
            const uint8_t type = id == RqWheelBase ? BlockWheelBase : id == RqUserEffect ? BlockUserEffect : BlockTelemetry;
            Reply(wheel, type, id, std::vector<uint8_t>(47, 0));
        }
    }
    size_t Applies() const { return static_cast<size_t>(std::count(view.Events.begin(), view.Events.end(), "Apply")); }
};

TEST(ProfileLoading, OneApplyAfterTheThirdBlockInAnyOrder)
{
    std::vector<uint8_t> order{RqWheelBase, RqUserEffect, RqTelemetry};
    do {
        ProfileLoad load;
        load.proto.LoadProfile();
        for (size_t i = 0; i < order.size(); ++i) {
            const uint8_t id = order[i];
            const uint8_t type = id == RqWheelBase ? BlockWheelBase : id == RqUserEffect ? BlockUserEffect : BlockTelemetry;
            load.Reply(load.wheel, type, id, std::vector<uint8_t>(47, 0));
            EXPECT_EQ(load.Applies(), i + 1 == order.size() ? 1u : 0u) << "after reply " << i;
        }
        // A duplicate of a reply already acknowledged is not pending any more.
        load.Reply(load.wheel, BlockWheelBase, RqWheelBase, std::vector<uint8_t>(47, 0));
        EXPECT_EQ(load.Applies(), 1u);
        EXPECT_EQ(load.view.Events.back(), "Apply");
        EXPECT_FALSE(load.proto.IsProfileLoading());
        // Load-8, three reads, three acks.
        const auto packets = load.Packets(load.wheel);
        ASSERT_EQ(packets.size(), 7u);
        EXPECT_EQ(packets[0], Hex("14 09 08 02 00 fe ff 00 00"));
        EXPECT_EQ(load.proto.RequestQ.Values(L"254"), L"1");
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(ProfileLoading, AckOutsideALoadChangesNoFlag)
{
    ProfileLoad load;
    load.proto.RequestProfileConfig();   // Base tab shown: reads without "Loading"
    load.Reply(load.wheel, BlockWheelBase, RqWheelBase, std::vector<uint8_t>(47, 0));
    EXPECT_EQ(load.proto.ProfileLoading.Values(L"WheelBase"), L"1");
    EXPECT_EQ(load.proto.ProfileLoading.Values(L"Loading"), L"");
    EXPECT_EQ(load.Applies(), 0u);
}

TEST(ProfileLoading, FailingApplyStillEndsTheLoad)
{
    ProfileLoad load;
    load.view.ApplyThrows = true;
    load.Run({RqWheelBase, RqUserEffect, RqTelemetry});
    EXPECT_EQ(load.Applies(), 1u);
    EXPECT_FALSE(load.proto.IsProfileLoading());
    EXPECT_EQ(load.view.Log.back(), L"'x' is not a valid floating point value");

    // The next load runs normally.
    load.view.ApplyThrows = false;
    load.Run({RqTelemetry, RqWheelBase, RqUserEffect});
    EXPECT_EQ(load.Applies(), 2u);
    EXPECT_FALSE(load.proto.IsProfileLoading());
}

TEST(ProfileLoading, LostAckKeepsTheBlockPending)
{
    ProfileLoad load;
    load.Run({RqWheelBase, RqUserEffect});
    load.wheel.WriteOk = false;
    load.Reply(load.wheel, BlockTelemetry, RqTelemetry, {});
    EXPECT_TRUE(load.proto.IsPending(RqTelemetry));
    EXPECT_EQ(load.Applies(), 0u);
    load.wheel.WriteOk = true;   // the device repeats its reply
    load.Reply(load.wheel, BlockTelemetry, RqTelemetry, {});
    EXPECT_FALSE(load.proto.IsPending(RqTelemetry));
    EXPECT_EQ(load.Applies(), 1u);
}

}  // namespace
