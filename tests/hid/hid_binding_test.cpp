// The run-time binding of the HID and SetupAPI libraries: all-or-nothing, reference counted,
// version gates; and what a controller does without it.
#include <gtest/gtest.h>

#include "hid/hid_binding.h"
#include "hid/hid_controller.h"
#include "tests/common/test_support.h"
#include "hid/sim/devsim.h"

namespace {

class BindingTest : public testing::Test {
protected:
    void SetUp() override { sim.Install(); }
    void TearDown() override { sim.Uninstall(); }
    devsim::TDeviceSimulator sim;
};

TEST_F(BindingTest, BindsEveryEntryPointAndCountsReferences)
{
    ASSERT_TRUE(BindSetupLibrary());
    ASSERT_TRUE(BindHidLibrary());
    EXPECT_EQ(SetupEntryPointCount(), 396);
    EXPECT_EQ(BoundSetupEntryPoints(), 396);
    EXPECT_EQ(HidEntryPointCount(), 46);
    EXPECT_EQ(BoundHidEntryPoints(), 46);
    // The unsuffixed variable is the wide form; the old interface-device names are aliases.
    EXPECT_EQ(SetupEntryPoint("SetupDiGetClassDevs"), SetupEntryPoint("SetupDiGetClassDevsW"));
    EXPECT_EQ(SetupEntryPoint("SetupDiGetInterfaceDeviceDetail"), SetupEntryPoint("SetupDiGetDeviceInterfaceDetailW"));
    EXPECT_EQ(reinterpret_cast<void*>(hidlib::HidP_GetButtons), reinterpret_cast<void*>(hidlib::HidP_GetUsages));

    // Bound twice, released once: still bound. The second release clears every variable.
    ASSERT_TRUE(BindHidLibrary());
    ReleaseHidLibrary();
    EXPECT_TRUE(IsHidLibraryBound());
    EXPECT_NE(hidlib::HidD_GetAttributes, nullptr);
    ReleaseHidLibrary();
    ReleaseSetupLibrary();
    EXPECT_FALSE(IsHidLibraryBound());
    EXPECT_FALSE(IsSetupLibraryBound());
    EXPECT_EQ(BoundHidEntryPoints(), 0);
    EXPECT_EQ(BoundSetupEntryPoints(), 0);
    EXPECT_EQ(hidlib::SetupDiGetClassDevsW, nullptr);
}

TEST_F(BindingTest, OneMissingNameLeavesTheWholeLibraryUnboundAndTheCountUnchanged)
{
    struct Row {
        const char* missing;
        bool setupBinds;
        bool hidBinds;
    } rows[] = {
        {"HidD_GetProductString", true, false},
        {"HidP_TranslateUsagesToI8042ScanCodes", true, false},
        {"SetupDiGetClassDevsW", false, true},
        {"SetupQueryInfVersionInformationA", false, true},   // never called, still required
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.missing);
        sim.SetMissingEntryPoint(row.missing);
        EXPECT_EQ(BindSetupLibrary(), row.setupBinds);
        EXPECT_EQ(BindHidLibrary(), row.hidBinds);
        EXPECT_EQ(BoundSetupEntryPoints(), row.setupBinds ? 396 : 0);
        EXPECT_EQ(BoundHidEntryPoints(), row.hidBinds ? 46 : 0);
        if (row.setupBinds) ReleaseSetupLibrary();
        if (row.hidBinds) ReleaseHidLibrary();
        // A failed bind must not have left a reference behind: one bind and one release now
        // unload the library again.
        sim.SetMissingEntryPoint("");
        ASSERT_TRUE(BindSetupLibrary());
        ASSERT_TRUE(BindHidLibrary());
        ReleaseSetupLibrary();
        ReleaseHidLibrary();
        EXPECT_FALSE(IsSetupLibraryBound());
        EXPECT_FALSE(IsHidLibraryBound());
    }
}

TEST_F(BindingTest, OlderPlatformsLeaveTheGatedPairsUnbound)
{
    struct Row {
        int major, minor;
        bool reports, extended;
    } rows[] = {{10, 0, true, true}, {5, 1, true, true}, {5, 0, false, true}, {4, 0, false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.major << "." << row.minor);
        sim.SetPlatformVersion(row.major, row.minor);
        ASSERT_TRUE(BindHidLibrary());
        EXPECT_EQ(hidlib::HidD_GetInputReport != nullptr, row.reports);
        EXPECT_EQ(hidlib::HidD_SetOutputReport != nullptr, row.reports);
        EXPECT_EQ(hidlib::HidP_GetExtendedAttributes != nullptr, row.extended);
        EXPECT_EQ(hidlib::HidP_InitializeReportForID != nullptr, row.extended);
        EXPECT_EQ(BoundHidEntryPoints(), 42 + (row.reports ? 2 : 0) + (row.extended ? 2 : 0));
        ReleaseHidLibrary();
    }
}

TEST_F(BindingTest, ControllerWithoutTheLibrariesFindsNothingAndReleasesNothingItDidNotBind)
{
    struct Row {
        const char* missingName;
        const wchar_t* missingLibrary;
    } rows[] = {{"HidD_GetAttributes", L""}, {"SetupDiEnumDeviceInterfaces", L""}, {"", L"HID.dll"}, {"", L"SetupApi.dll"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.missingName);
        sim.SetMissingEntryPoint(row.missingName);
        sim.SetMissingLibrary(row.missingLibrary);
        int changes = 0;
        auto ctl = std::make_unique<THidDeviceController>(nullptr);
        ctl->SetOnDeviceChange(TNotifyEvent::FromCallable([&](TObject*) { ++changes; }));
        testing_support::PumpFor(30);
        EXPECT_EQ(ctl->Enumerate(), 0);
        THidDevice* dev = nullptr;
        EXPECT_FALSE(ctl->CheckOut(dev));
        EXPECT_EQ(dev, nullptr);
        EXPECT_EQ(changes, 0);   // no window, so not even the first scan's change
        const GUID standard = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
        EXPECT_TRUE(IsEqualGUID(ctl->HidGuid(), standard));
        ctl.reset();
        EXPECT_FALSE(IsSetupLibraryBound());
        EXPECT_FALSE(IsHidLibraryBound());
    }
    sim.SetMissingEntryPoint("");
    // A controller that could not bind must not release a binding someone else holds.
    ASSERT_TRUE(BindHidLibrary());
    sim.SetMissingLibrary(L"SetupApi.dll");
    { THidDeviceController failed(nullptr); }
    EXPECT_TRUE(IsHidLibraryBound());
    ReleaseHidLibrary();
    sim.SetMissingLibrary(L"");
}

TEST_F(BindingTest, ResolverCannotChangeWhileBound)
{
    ASSERT_TRUE(BindHidLibrary());
    EXPECT_THROW(SetHidLibraryResolver(nullptr), EControllerError);
    ReleaseHidLibrary();
}

}  // namespace
