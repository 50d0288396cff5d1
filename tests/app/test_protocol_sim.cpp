// The protocol over the real HID layer, against the simulated wheel base and shifter: a
// profile load end to end, with the device's own view of what it received.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/protocol/hid_report_writer.h"
#include "tests/hid/hid_fixture.h"

namespace {

using testing_support::PumpUntil;

// Shows what arrives and, like the Base tab's Apply, writes the shown blocks back.
class ShowingView : public TProtocolView {
public:
    void SetAppStatus(const String& msg) override { Status.push_back(msg); }
    void SetSysLog(const String& msg) override { Log.push_back(msg); }
    int SelectedProfileIndex() const override { return 2; }
    void ApplyClick() override
    {
        ++Applies;
        Proto->SendWheelBaseConfig(WheelBase);
        Proto->SendUserEffectConfig(UserEffect);
    }
    void ShowFirmwareVersion(const String& text) override { Firmware = text; }
    void ShowWheelBaseConfig(const TWheelBaseConfig& c) override { WheelBase = c; }
    void ShowUserEffectConfig(const TUserEffectConfig& c) override { UserEffect = c; }
    void ShowShifterConfig(const TShifterConfig& c) override { ++ShifterConfigs; }
    void ShowGeneralConfig(const TGeneralConfig& c) override
    {
        General = c;
        ++Generals;
    }

    TDeviceProtocol* Proto = nullptr;
    int Applies = 0;
    int ShifterConfigs = 0;
    int Generals = 0;
    TGeneralConfig General{};
    String Firmware;
    TWheelBaseConfig WheelBase{};
    TUserEffectConfig UserEffect{};
    std::vector<String> Status, Log;
};

class ProtocolSimTest : public hidtest::TSimTest {
protected:
    void Connect()
    {
        MakeController();
        ctl->SetOnDeviceData(THidDataEvent::FromCallable([this](THidDevice* dev, uint8_t id, const uint8_t* data, uint16_t size) {
            THidReportWriter sender(dev);
            proto.HandleDeviceData(&sender, id, data, size);
        }));
        wheelDev = Take(ProductIdWheelBase);
        shifterDev = Take(ProductIdShifter);
        ASSERT_NE(wheelDev, nullptr);
        ASSERT_NE(shifterDev, nullptr);
        wheel = std::make_unique<THidReportWriter>(wheelDev);
        shifter = std::make_unique<THidReportWriter>(shifterDev);
        proto.CurrentWheelBase = wheel.get();
        proto.CurrentShifter = shifter.get();
        view.Proto = &proto;
    }

    ShowingView view;
    TDeviceProtocol proto{view};
    THidDevice* wheelDev = nullptr;
    THidDevice* shifterDev = nullptr;
    std::unique_ptr<THidReportWriter> wheel, shifter;
};

TEST_F(ProtocolSimTest, ProfileLoadEndToEnd)
{
    auto& fw = sim.WheelBase()->Firmware();
    auto state = fw.State();
    state.firmware = {1, 1, 0, 3};
    state.profiles[2].wheelBase.steeringAngle = 720;
    state.profiles[2].wheelBase.qFactor = 0.7071f;
    state.profiles[2].wheelBase.enableTelemetryFfb = true;
    state.profiles[2].userEffect.springGain = 4500;
    fw.SetState(state);
    Connect();

    proto.RequestFirmware();
    proto.LoadProfile();
    ASSERT_TRUE(PumpUntil([&] { return view.Applies > 0 && !view.Firmware.empty(); }, 5000));
    testing_support::PumpFor(100);   // anything further (a second Apply) would show up now

    EXPECT_EQ(view.Firmware, L"1.1.0.3");
    EXPECT_EQ(view.Applies, 1);
    EXPECT_FALSE(proto.IsProfileLoading());
    EXPECT_EQ(view.WheelBase.steeringAngle, 720);
    EXPECT_TRUE(view.WheelBase.enableTelemetryFfb);
    EXPECT_EQ(view.UserEffect.springGain, 4500);
    for (uint8_t id : {RqFirmware, RqWheelBase, RqUserEffect, RqTelemetry}) {
        EXPECT_EQ(fw.AckCount(id), 1) << int(id);
        EXPECT_FALSE(proto.IsPending(id)) << int(id);
    }
    for (const auto& p : fw.Received()) EXPECT_TRUE(p.accepted) << p.error;
    // The Apply wrote the freshly loaded values back into the device's current settings.
    const auto after = fw.State();
    EXPECT_EQ(after.current.wheelBase.steeringAngle, 720);
    EXPECT_EQ(after.current.userEffect.springGain, 4500);
    for (const String& line : view.Log) EXPECT_EQ(line.find(L"bytes received"), String::npos) << ToUtf8(line);
}

// Profile Save is Apply (the two writes, with the selected slot) and then a save of that slot:
// the slot ends up holding the written blocks, whether or not it is the device's active one.
TEST_F(ProtocolSimTest, SavedSlotKeepsTheBlocksWrittenToIt)
{
    struct Case {
        const char* name;
        int activeSlot;        // the view selects slot 8 (Profile 3)
        bool currentChanges;   // the device's current settings take the writes
    };
    const Case cases[] = {
        {"selected slot is the active one", 8, true},
        {"another slot is the active one", 6, false},
    };
    Connect();
    auto& fw = sim.WheelBase()->Firmware();
    const auto factory = fw.State();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = factory;
        state.activeSlot = c.activeSlot;
        state.current = state.profiles[c.activeSlot - SlotFirstProfile];
        fw.SetState(state);
        const auto before = state.current;

        TWheelBaseConfig wb = state.profiles[2].wheelBase;
        wb.steeringAngle = 1080;
        wb.stopForce = 1234;
        TUserEffectConfig ue = state.profiles[2].userEffect;
        ue.springForce = 4321;
        proto.SendWheelBaseConfig(wb);
        proto.SendUserEffectConfig(ue);
        ASSERT_TRUE(proto.Save(proto.CurrentWheelBase, proto.ProfileSlot()));

        const auto after = fw.State();
        EXPECT_EQ(after.profiles[2].wheelBase.steeringAngle, 1080);
        EXPECT_EQ(after.profiles[2].wheelBase.stopForce, 1234);
        EXPECT_EQ(after.profiles[2].userEffect.springForce, 4321);
        EXPECT_EQ(after.activeSlot, c.activeSlot);
        EXPECT_EQ(after.current.wheelBase.steeringAngle, c.currentChanges ? 1080 : before.wheelBase.steeringAngle);
        EXPECT_EQ(after.current.userEffect.springForce, c.currentChanges ? 4321 : before.userEffect.springForce);
        // The slot that was not saved keeps what it held.
        EXPECT_EQ(after.profiles[0].wheelBase.steeringAngle, factory.profiles[0].wheelBase.steeringAngle);
    }
    for (const auto& p : fw.Received()) EXPECT_TRUE(p.accepted) << p.error;
}

// The preferences window writes the general block with the profile slot and then saves the
// hardware slot: the preferences must outlast the next profile load (start-up loads one).
TEST_F(ProtocolSimTest, SavedPreferencesOutlastAProfileLoad)
{
    auto& fw = sim.WheelBase()->Firmware();
    auto state = fw.State();
    state.activeSlot = ProfileSlotOf(2);   // the view's selected profile is the one in use
    state.current = state.profiles[2];
    fw.SetState(state);
    Connect();
    proto.SendGeneralConfig({42.5f, true, true});
    ASSERT_TRUE(proto.Save(proto.CurrentWheelBase, SlotHardware));
    for (int profile : {2, 0}) {
        SCOPED_TRACE(profile);
        ASSERT_TRUE(proto.Load(proto.CurrentWheelBase, ProfileSlotOf(profile)));
        view.Generals = 0;
        proto.RequestGeneralConfig();
        ASSERT_TRUE(PumpUntil([&] { return view.Generals > 0; }, 5000));
        EXPECT_EQ(view.General.forceMultiplier, 42.5f);
        EXPECT_TRUE(view.General.encoderPosFix);
        EXPECT_TRUE(view.General.debugMode);
    }
    for (const auto& p : fw.Received()) EXPECT_TRUE(p.accepted) << p.error;
}

TEST_F(ProtocolSimTest, ShifterConfigurationIsReadOnce)
{
    Connect();
    sim.StartStreams(200);
    proto.RequestShifterStat(ShifterStatConfig);
    proto.ProfileLoading.SetValues(L"LoadShifter", L"1");
    ASSERT_TRUE(PumpUntil([&] { return view.ShifterConfigs > 0; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return sim.Shifter()->Firmware().AckCount(RqShifter) == 1; }, 5000));
    EXPECT_EQ(proto.ProfileLoading.Values(L"LoadShifter"), L"0");
    EXPECT_FALSE(sim.Shifter()->Firmware().ShifterStreaming());
    sim.StopStreams();
}

}  // namespace
