// The controller end to end against the simulated wheel base and shifter: start-up, hot-plug,
// check-out, report delivery, handlers that raise, destruction, and a long hot-plug run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "app/protocol/device_packets.h"
#include "tests/hid/hid_fixture.h"

using namespace hidtest;
using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

uint32_t FrameOf(const std::vector<uint8_t>& report)
{
    uint32_t frame = 0;
    std::memcpy(&frame, report.data() + devsim::TSimFirmware::FrameCounterOffset, 4);
    return frame;
}

class ControllerTest : public TSimTest {};

TEST_F(ControllerTest, FindsBothDevicesAtStartUp)
{
    MakeController();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival 6000", "arrival 7000", "change"}));
    EXPECT_EQ(ctl->NumCheckedInDevices(), 2);

    // Enumerate visits both; the handler may read what needs an open device.
    std::vector<std::wstring> names;
    ctl->OnEnumerate = THidEnumerateEvent::FromCallable([&](THidDevice* dev, int idx) {
        names.push_back(dev->ProductName());
        EXPECT_EQ(dev->Caps().OutputReportByteLength, 64);
        EXPECT_EQ(idx, static_cast<int>(names.size()) - 1);
        return true;
    });
    EXPECT_EQ(ctl->Enumerate(), 2);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Qwelta Wheel Base", L"Qwelta Shifter"}));
    EXPECT_EQ(sim.OpenHandles(), 0);   // a device that is not checked out is closed after its visit

    // Without a handler Enumerate stops after the first plugged-in entry.
    ctl->OnEnumerate = nullptr;
    EXPECT_EQ(ctl->Enumerate(), 1);
}

TEST_F(ControllerTest, SettingTheChangeHandlerAtRunTimeScansAtOnce)
{
    ctl = std::make_unique<THidDeviceController>(nullptr);
    ctl->OnArrival = Bind<&TRecorder::Arrival>(&rec);
    ctl->SetOnDeviceChange(Bind<&TRecorder::Change>(&rec));   // not loading: scans now
    EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival 6000", "arrival 7000", "change"}));
    PumpFor(50);   // then the first scan it posted itself: nothing new, but it always reports a change
    EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival 6000", "arrival 7000", "change", "change"}));
}

TEST_F(ControllerTest, UnplugAndReplugAreReportedOnceEach)
{
    MakeController();
    for (devsim::TSimDevice* simDev : {sim.WheelBase(), sim.Shifter()}) {
        const std::string pid = simDev == sim.WheelBase() ? "6000" : "7000";
        SCOPED_TRACE(pid);
        rec.events.clear();
        sim.Unplug(simDev);
        PumpFor(50);
        EXPECT_EQ(rec.events, (std::vector<std::string>{"unplug " + pid, "removal " + pid, "change"}));
        EXPECT_EQ(ListCount(), 1);

        rec.events.clear();
        sim.NotifyDeviceChange();   // nothing changed: nothing to report
        PumpFor(50);
        EXPECT_TRUE(rec.events.empty());

        sim.Plug(simDev);
        PumpFor(50);
        EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival " + pid, "change"}));
        EXPECT_EQ(ListCount(), 2);
    }
}

// Several changes in one scan: removals from the end of the list first, then the arrivals in the
// system's order, each announced before the next one is appended, then one change.
TEST_F(ControllerTest, OneScanRemovesFromTheEndThenAppendsInSystemOrder)
{
    MakeController();
    std::vector<int> visibleAtArrival;
    ctl->OnEnumerate = THidEnumerateEvent::FromCallable([](THidDevice*, int) { return true; });
    ctl->OnArrival = THidPlugEvent::FromCallable([&](THidDevice* dev) {
        rec.Arrival(dev);
        visibleAtArrival.push_back(ctl->Enumerate());
    });
    const struct {
        bool plug;
        std::vector<std::string> events;
    } rows[] = {
        {false, {"unplug 7000", "removal 7000", "unplug 6000", "removal 6000", "change"}},
        {true, {"arrival 6000", "arrival 7000", "change"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.plug ? "plug both" : "unplug both");
        rec.events.clear();
        for (devsim::TSimDevice* simDev : {sim.WheelBase(), sim.Shifter()})
            r.plug ? sim.Plug(simDev, false) : sim.Unplug(simDev, false);
        sim.NotifyDeviceChange();
        PumpFor(50);
        EXPECT_EQ(rec.events, r.events);
    }
    EXPECT_EQ(visibleAtArrival, (std::vector<int>{1, 2}));
    EXPECT_EQ(ListCount(), 2);
}

TEST_F(ControllerTest, CheckedOutDeviceThatVanishesIsReportedOnceAndFreedAtCheckIn)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    // The read thread must hold the device open: one that opens it only after the unplug is
    // told the file is gone, not that the device went.
    ASSERT_TRUE(PumpUntil([&] { return sim.PendingReads() > 0; }, 2000));
    rec.events.clear();
    sim.Unplug(sim.WheelBase());
    PumpFor(50);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"unplug 6000", "removal 6000", "change"}));
    EXPECT_FALSE(wheel->IsPluggedIn());
    EXPECT_EQ(ctl->NumUnpluggedDevices(), 1);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);

    // Later scans do not report it again; its reads keep failing until it is checked in.
    rec.events.clear();
    sim.NotifyDeviceChange();
    PumpFor(50);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(PumpUntil([&] { return rec.errors.size() >= 2; }, 2000));
    EXPECT_EQ(rec.errors.front(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));

    // Re-plugged: a new entry; the old one lingers until checked in, skipped by Enumerate.
    sim.Plug(sim.WheelBase());
    PumpFor(50);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival 6000", "change"}));
    EXPECT_EQ(ListCount(), 3);
    int visited = 0;
    ctl->OnEnumerate = THidEnumerateEvent::FromCallable([&](THidDevice* dev, int) {
        EXPECT_NE(dev, wheel);
        ++visited;
        return true;
    });
    ctl->Enumerate();
    EXPECT_EQ(visited, 2);
    ctl->CheckIn(wheel);
    EXPECT_EQ(wheel, nullptr);
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(ctl->NumUnpluggedDevices(), 0);
    size_t errors = rec.errors.size();
    PumpFor(60);
    EXPECT_EQ(rec.errors.size(), errors);   // its thread is gone
}

TEST_F(ControllerTest, CheckedOutDeviceIsNotHandedOutTwice)
{
    MakeController();
    THidDevice* first = nullptr;
    THidDevice* second = reinterpret_cast<THidDevice*>(1);
    ASSERT_TRUE(ctl->CheckOutByID(first, VendorIdDevices, ProductIdWheelBase));
    EXPECT_FALSE(ctl->CheckOutByID(second, VendorIdDevices, ProductIdWheelBase));
    EXPECT_EQ(second, nullptr);
    EXPECT_FALSE(ctl->CheckOutByIndex(second, 0));
    for (int idx : {-1, 2}) EXPECT_FALSE(ctl->CheckOutByIndex(second, idx));
    // CheckOut takes the next free one: the shifter.
    ASSERT_TRUE(ctl->CheckOut(second));
    EXPECT_EQ(second->Attributes().ProductID, ProductIdShifter);
    EXPECT_FALSE(ctl->CheckOut(second));
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 2);
    EXPECT_EQ(ctl->NumCheckedInDevices(), 0);

    THidDevice* again = first;
    ctl->CheckIn(first);
    EXPECT_EQ(first, nullptr);
    ASSERT_TRUE(ctl->CheckOutByID(first, VendorIdDevices, -1));
    EXPECT_EQ(first, again);   // the same entry, back in circulation
    THidDevice* none = nullptr;
    ctl->CheckIn(none);   // nothing to do
}

TEST_F(ControllerTest, ReportsArriveOnTheMainThreadInOrder)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    ASSERT_TRUE(wheel->HasReadThread());
    sim.StartStreams(1000);
    ASSERT_TRUE(PumpUntil([&] { return rec.reports.size() >= 500; }, 10000));
    sim.StopStreams();
    for (DWORD tid : rec.reportThreads) ASSERT_EQ(tid, MainThreadID());
    for (size_t i = 1; i < rec.reports.size(); ++i)
        ASSERT_LT(FrameOf(rec.reports[i - 1]), FrameOf(rec.reports[i])) << "report " << i;
    for (const auto& r : rec.reports) {
        ASSERT_EQ(r.size(), 64u);
        ASSERT_TRUE(r[0] == ReportIdReply || r[0] == ReportIdState);
    }
}

TEST_F(ControllerTest, RequestsGetTheirRepliesAndEveryPacketIsRecorded)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    const uint16_t length = wheel->Caps().OutputReportByteLength;
    auto send = [&](const TDevicePacket& p) {
        std::vector<uint8_t> report(length, 0);
        std::memcpy(report.data(), p.Bytes(), p.Size());
        DWORD written = 0;
        return wheel->WriteFile(report.data(), length, written) && written == length;
    };
    struct Row {
        TDevicePacket packet;
        uint8_t type;
        uint8_t id;
        size_t recordSize;
    } rows[] = {
        {MakeReadPacket(SlotHardware, BlockFirmware, RqFirmware, 255), BlockFirmware, RqFirmware, 4},
        {MakeReadPacket(SlotHardware, BlockMotor, RqMotor, 2), BlockMotor, RqMotor, sizeof(TMotorConfig)},
        {MakeReadPacket(ProfileSlotOf(0), BlockWheelBase, RqWheelBase, 0), BlockWheelBase, RqWheelBase,
         sizeof(TWheelBaseConfig)},
    };
    for (const Row& row : rows) {
        rec.reports.clear();
        ASSERT_TRUE(send(row.packet));
        ASSERT_TRUE(PumpUntil([&] { return !rec.reports.empty(); }, 2000));
        const auto& r = rec.reports.front();
        EXPECT_EQ(r[0], ReportIdReply);
        EXPECT_EQ(r[1], row.type);
        EXPECT_EQ(r[2], row.id);
    }
    // A write changes what the next read answers.
    TWheelBaseConfig wb = UnpackRecord<TWheelBaseConfig>(rec.reports.front().data() + 3, sizeof(TWheelBaseConfig), L"");
    wb.steeringAngle = 1080;
    ASSERT_TRUE(send(MakeWheelBaseWrite(ProfileSlotOf(0), wb)));
    rec.reports.clear();
    ASSERT_TRUE(send(MakeReadPacket(ProfileSlotOf(0), BlockWheelBase, RqWheelBase, 0)));
    ASSERT_TRUE(PumpUntil([&] { return !rec.reports.empty(); }, 2000));
    EXPECT_EQ(UnpackRecord<TWheelBaseConfig>(rec.reports.front().data() + 3, 47, L"").steeringAngle, 1080);

    // A packet with a wrong check byte is recorded as rejected and not answered.
    TDevicePacket bad = MakeWheelBaseWrite(ProfileSlotOf(0), wb);
    bad.Payload[bad.PayloadLength] ^= 0xFF;
    ASSERT_TRUE(send(bad));
    auto received = sim.WheelBase()->Firmware().Received();
    ASSERT_EQ(received.size(), 6u);
    EXPECT_FALSE(received.back().accepted);
    EXPECT_EQ(received.back().error, "bad check byte");

    // The session's record, one packet per line, up to each packet's length.
    String file = testing_support::MakeTempDir(L"hidlog") + L"wheel.txt";
    ASSERT_TRUE(sim.WheelBase()->WriteLog(file));
    std::string text = sim.WheelBase()->Firmware().ReceivedText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "14 09 0b 00 00 e0 ff 00 00");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
}

TEST_F(ControllerTest, HandlerThatRaisesDuringAScanDoesNotMakeTheControllerDeaf)
{
    bool raise = true;
    ctl = std::make_unique<THidDeviceController>(nullptr);
    ctl->BeginLoading();
    rec.BindTo(ctl.get());
    ctl->EndLoading();
    ctl->OnArrival = THidPlugEvent::FromCallable([&](THidDevice* dev) {
        rec.Arrival(dev);
        if (raise) throw std::runtime_error("handler failed");
    });
    PumpFor(50);
    // Both arrivals were appended and announced, and the change still went out.
    EXPECT_EQ(rec.events, (std::vector<std::string>{"arrival 6000", "arrival 7000", "change"}));
    EXPECT_EQ(ListCount(), 2);

    raise = false;
    rec.events.clear();
    sim.Unplug(sim.Shifter());
    PumpFor(50);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"unplug 7000", "removal 7000", "change"}));
}

TEST_F(ControllerTest, DestructionCallsNoHandlerOfItsOwner)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    THidDevice* shifter = Take(ProductIdShifter);
    ASSERT_TRUE(wheel && shifter);
    sim.StartStreams(1000);
    ASSERT_TRUE(PumpUntil([&] { return rec.reports.size() >= 20; }, 5000));
    // Reports are flowing, so a read thread is likely blocked in a synchronised call right now.
    rec.ownerGone = true;
    ctl.reset();
    PumpFor(30);
    sim.StopStreams();
    EXPECT_EQ(rec.callsAfterGone, 0);
    EXPECT_EQ(sim.OpenHandles(), 0);
    EXPECT_EQ(sim.PendingReads(), 0);
}

TEST_F(ControllerTest, ManyUnplugReplugCyclesDuringTelemetryLeakNothing)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    sim.StartStreams(1000);
    ASSERT_TRUE(PumpUntil([&] { return rec.reports.size() >= 50; }, 5000));
    PumpFor(50);
    const int threads = ProcessThreadCount();
    const DWORD handles = ProcessHandleCount();

    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        int removals = rec.Count("removal 6000");
        int arrivals = rec.Count("arrival 6000");
        sim.Unplug(sim.WheelBase());
        ASSERT_TRUE(PumpUntil([&] { return rec.Count("removal 6000") == removals + 1; }, 5000));
        ctl->CheckIn(wheel);
        sim.Plug(sim.WheelBase());
        ASSERT_TRUE(PumpUntil([&] { return rec.Count("arrival 6000") == arrivals + 1; }, 5000));
        wheel = Take(ProductIdWheelBase);
        ASSERT_NE(wheel, nullptr);
        size_t seen = rec.reports.size();
        ASSERT_TRUE(PumpUntil([&] { return rec.reports.size() > seen; }, 5000));   // streaming again
    }
    PumpFor(50);
    EXPECT_EQ(ProcessThreadCount(), threads);
    EXPECT_LE(ProcessHandleCount(), handles + 2);   // allow for the system's own bookkeeping
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(sim.OpenHandles(), 1);   // the streaming wheel base's read handle
    sim.StopStreams();
}

}  // namespace
