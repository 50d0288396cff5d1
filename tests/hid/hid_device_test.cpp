// Devices and their read threads against the simulator: access rules, writes, odd reports,
// the read thread's life, and freeing a device directly.
#include <gtest/gtest.h>

#include <stdexcept>

#include "hid/hid_read_thread.h"
#include "tests/hid/hid_fixture.h"

using namespace hidtest;
using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

class DeviceTest : public TSimTest {};

TEST_F(DeviceTest, OnlyTheControllerMakesDevicesAndThreads)
{
    try {
        THidDevice dev;
        FAIL();
    } catch (const EControllerError& e) {
        EXPECT_EQ(e.Message(), L"Direct creation of a THidDevice object is not allowed");
    }
    try {
        THidDeviceReadThread thread(true);
        FAIL();
    } catch (const EControllerError& e) {
        EXPECT_EQ(e.Message(), L"Direct creation of a TDeviceReadThread object is not allowed");
    }
}

TEST_F(DeviceTest, DeviceWithoutReadWriteAccessIsListedButNeitherReadNorWritten)
{
    sim.WheelBase()->SetRefuseReadWrite(true);
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);   // listed and handed out, identified through a query handle
    EXPECT_FALSE(wheel->HasReadWriteAccess());
    EXPECT_FALSE(wheel->HasReadThread());
    uint8_t report[64] = {ReportIdCommand, 9};
    DWORD written = 1;
    EXPECT_FALSE(wheel->WriteFile(report, sizeof(report), written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(sim.WheelBase()->Firmware().Received().empty());
}

TEST_F(DeviceTest, FailedWritesReportFailureAndLoseNothingAfterwards)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    uint8_t report[64] = {ReportIdCommand, 9, SlotHardware, CmdRead, BlockFirmware, RqFirmware, 255};
    DWORD written = 0;
    sim.WheelBase()->FailWrites(1);
    EXPECT_FALSE(wheel->WriteFile(report, sizeof(report), written));
    EXPECT_TRUE(wheel->WriteFile(report, sizeof(report), written));
    EXPECT_EQ(written, 64u);
    // Only whole output reports are taken.
    EXPECT_FALSE(wheel->WriteFile(report, 9, written));
    EXPECT_EQ(sim.WheelBase()->Firmware().Received().size(), 1u);
}

TEST_F(DeviceTest, ShortAndUnknownReportsReachTheHandlerWithTheirTrueSize)
{
    MakeController();
    THidDevice* shifter = Take(ProductIdShifter);
    ASSERT_NE(shifter, nullptr);
    struct Row {
        std::vector<uint8_t> report;
        uint16_t size;
    } rows[] = {
        {{ReportIdReply}, 0},                        // only the id byte
        {{0x77, 1, 2, 3}, 3},                        // an id no one knows
        {{ReportIdReply, ShifterReplyPosition}, 1},  // a reply cut short
    };
    ASSERT_TRUE(PumpUntil([&] { return sim.PendingReads() == 1; }, 2000));   // the thread is reading
    for (const Row& row : rows) sim.Shifter()->InjectReport(row.report);
    ASSERT_TRUE(PumpUntil([&] { return rec.reports.size() >= 3; }, 2000));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rec.reports[i], rows[i].report);
        EXPECT_EQ(rec.reports[i].size() - 1, rows[i].size);
    }
}

TEST_F(DeviceTest, DataHandlerThatRaisesIsReportedAndReadingGoesOn)
{
    MakeController();
    THidDevice* shifter = Take(ProductIdShifter);
    ASSERT_NE(shifter, nullptr);
    int calls = 0;
    shifter->SetOnData(THidDataEvent::FromCallable([&](THidDevice*, uint8_t, const uint8_t*, uint16_t) {
        if (++calls == 1) throw std::runtime_error("bad report");
    }));
    ASSERT_TRUE(PumpUntil([&] { return sim.PendingReads() == 1; }, 2000));
    sim.Shifter()->InjectReport({ReportIdState, 1, 0});
    ASSERT_TRUE(PumpUntil([&] { return calls == 1 && sim.PendingReads() == 1; }, 2000));
    sim.Shifter()->InjectReport({ReportIdState, 2, 0});
    EXPECT_TRUE(PumpUntil([&] { return calls == 2; }, 2000));
    EXPECT_TRUE(shifter->HasReadThread());
}

TEST_F(DeviceTest, ProductNameNeedsAnAccessibleDeviceUnlessCached)
{
    MakeController(false);
    ASSERT_EQ(ListCount(), 2);
    EXPECT_EQ(ctl->CountByProductName(L"Qwelta Shifter"), 0);   // never read, not accessible
    THidDevice* shifter = nullptr;
    EXPECT_FALSE(ctl->CheckOutByProductName(shifter, L"Qwelta Shifter"));
    ASSERT_TRUE(ctl->CheckOutByID(shifter, VendorIdDevices, ProductIdShifter));
    EXPECT_EQ(shifter->ProductName(), L"Qwelta Shifter");
    ctl->CheckIn(shifter);
    EXPECT_EQ(ctl->CountByProductName(L"Qwelta Shifter"), 1);   // cached now
    EXPECT_EQ(ctl->CountByID(VendorIdDevices, -1), 2);
    EXPECT_EQ(ctl->CountByCallback([](THidDevice* d) { return d->ProductName() == L"Qwelta Wheel Base"; }), 1);
}

TEST_F(DeviceTest, ReadThreadFollowsTheDataHandlerAndEndsWithoutAPendingRead)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_TRUE(wheel && wheel->HasReadThread());
    ASSERT_TRUE(PumpUntil([&] { return sim.PendingReads() == 1; }, 2000));
    THidDataEvent handler = wheel->OnData();
    wheel->SetOnData(nullptr);
    EXPECT_FALSE(wheel->HasReadThread());
    EXPECT_EQ(sim.PendingReads(), 0);   // the thread's read was cancelled and completed before it ended
    wheel->SetOnData(handler);
    EXPECT_TRUE(wheel->HasReadThread());
    ctl->CheckIn(wheel);
    EXPECT_EQ(sim.PendingReads(), 0);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

TEST_F(DeviceTest, ThreadEndsOnlyAfterItsCancelledReadHasCompleted)
{
    // The read writes into the thread's buffer until it completes, so the thread (and its
    // buffer) must outlive the completion, even when the cancel completes late.
    sim.SetCancelDelay(60);
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return sim.PendingReads() == 1; }, 2000));
    ctl->CheckIn(wheel);
    EXPECT_EQ(sim.PendingReads(), 0);
    EXPECT_EQ(sim.CompletionsQueued(), 0);   // the thread ran its completion before it ended
}

TEST_F(DeviceTest, TimingSettersKeepTheirRanges)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    struct Row {
        int value;
        int polling;
        int sleep;
    } rows[] = {{50, 50, 50}, {10001, 50, 50}, {-1, 50, 50}, {9, 9, 50}, {0, 0, 50}, {10, 10, 10}};
    for (const Row& row : rows) {
        wheel->SetPollingDelayTime(row.value);
        wheel->SetThreadSleepTime(row.value);
        EXPECT_EQ(wheel->PollingDelayTime(), row.polling) << row.value;
        EXPECT_EQ(wheel->ThreadSleepTime(), row.sleep) << row.value;
    }
}

TEST_F(DeviceTest, FreeingACheckedOutPresentDeviceLeavesAFreshEntry)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    ASSERT_NE(wheel, nullptr);
    wheel->SetPollingDelayTime(7);
    delete wheel;
    EXPECT_EQ(ctl->NumCheckedInDevices(), 2);
    EXPECT_EQ(ctl->NumCheckedOutDevices(), 0);
    THidDevice* fresh = Take(ProductIdWheelBase);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->PollingDelayTime(), 7);
    EXPECT_TRUE(fresh->HasReadThread());   // the data handler came along
}

TEST_F(DeviceTest, ControllerDefaultsReachDevicesStillOnTheOldDefault)
{
    MakeController();
    THidDevice* wheel = Take(ProductIdWheelBase);
    THidDevice* shifter = Take(ProductIdShifter);
    ASSERT_TRUE(wheel && shifter);
    shifter->SetThreadSleepTime(200);
    ctl->SetDevThreadSleepTime(300);
    EXPECT_EQ(wheel->ThreadSleepTime(), 300);
    EXPECT_EQ(shifter->ThreadSleepTime(), 200);
    // A device with its own data handler keeps it when the controller's changes.
    shifter->SetOnData(THidDataEvent::FromCallable([](THidDevice*, uint8_t, const uint8_t*, uint16_t) {}));
    ctl->SetOnDeviceData(nullptr);
    EXPECT_FALSE(wheel->HasReadThread());
    EXPECT_TRUE(shifter->HasReadThread());
}

}  // namespace
