// The main window end to end: a real window under Xvfb over the HID layer, against the
// simulated wheel base and shifter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/settings_form.h"
#include "app/shifter_page.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/transition.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/pnggraphic.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "hid/sim/devsim.h"
#include "skin/engine/core/skin_container.h"
#include "skins/stored_skins.h"
#include "tests/skin/engine/engine_recorders.h"
#include "vcl/inifiles.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

// What a device received, decoded enough to ask about it.
struct TPacket {
    std::vector<uint8_t> bytes;
    uint8_t slot() const { return bytes.size() > 2 ? bytes[2] : 0; }
    uint8_t command() const { return bytes.size() > 3 ? bytes[3] : 0; }
    uint8_t block() const { return bytes.size() > 4 ? bytes[4] : 0; }
    uint8_t requestId() const { return bytes.size() > 5 ? bytes[5] : 0; }
};

std::vector<TPacket> PacketsOf(devsim::TSimDevice* dev)
{
    std::vector<TPacket> out;
    for (const auto& p : dev->Firmware().Received()) out.push_back({p.bytes});
    return out;
}

int CountPackets(devsim::TSimDevice* dev, uint8_t command, int block = -1, int requestId = -1)
{
    int n = 0;
    for (const auto& p : PacketsOf(dev))
        n += p.command() == command && (block < 0 || p.block() == block) && (requestId < 0 || p.requestId() == requestId);
    return n;
}

// Packets as the simulator's record shows them: one line each, bytes in lowercase hex.
std::string HexLines(const std::vector<std::vector<uint8_t>>& packets)
{
    std::string text;
    char hex[4];
    for (const auto& p : packets) {
        for (size_t i = 0; i < p.size(); ++i) {
            std::snprintf(hex, sizeof(hex), i == 0 ? "%02x" : " %02x", p[i]);
            text += hex;
        }
        text += '\n';
    }
    return text;
}

int Rejected(devsim::TSimDevice* dev)
{
    int n = 0;
    for (const auto& p : dev->Firmware().Received()) n += !p.accepted;
    return n;
}

std::vector<uint8_t> BytesOf(const TDevicePacket& p)
{
    return std::vector<uint8_t>(p.Bytes(), p.Bytes() + p.Length);
}

// The read requests and acknowledgements of the wheel base, byte for byte.
const std::vector<uint8_t> kReadFirmware{0x14, 9, 11, CmdRead, BlockFirmware, RqFirmware, 255, 0, 0};
const std::vector<uint8_t> kReadJoystick{0x14, 9, 11, CmdRead, BlockJoystick, RqJoystick, 1, 0, 0};
const std::vector<uint8_t> kReadMotor{0x14, 9, 11, CmdRead, BlockMotor, RqMotor, 2, 0, 0};
const std::vector<uint8_t> kReadWheelBase{0x14, 9, 6, CmdRead, BlockWheelBase, RqWheelBase, 0, 0, 0};
const std::vector<uint8_t> kReadUserEffect{0x14, 9, 6, CmdRead, BlockUserEffect, RqUserEffect, 3, 0, 0};
const std::vector<uint8_t> kReadTelemetry{0x14, 9, 6, CmdRead, BlockTelemetry, RqTelemetry, 4, 0, 0};
const std::vector<uint8_t> kLoadProfile1{0x14, 9, 6, CmdLoadProfile, 0, RqProfile, 255, 0, 0};

std::vector<uint8_t> AckOf(uint8_t requestId)
{
    return {0x14, 9, 6, CmdAck, CmdAck, requestId, CmdAck, 0, 0};
}

uint16_t Word16At(const std::vector<uint8_t>& b, size_t offset)
{
    return static_cast<uint16_t>(b.at(offset) | (b.at(offset + 1) << 8));
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        static const bool pngRegistered = (RegisterPngGraphic(), true);
        (void)pngRegistered;
        dir = testing_support::MakeTempDir(L"main_window");
        wchar_t cwd[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, cwd);
        oldDir = cwd;
        // application.log lands in the current folder.
        SetCurrentDirectoryW(dir.c_str());
        settings = dir + L"settings.ini";
        DeleteFileW(settings.c_str());
        DeleteFileW((dir + L"application.log").c_str());
        auto state = Wheel()->Firmware().State();
        state.firmware = {1, 1, 0, 3};
        for (int i = 0; i < ProfileCount; ++i) {
            auto& wb = state.profiles[i].wheelBase;
            wb.qFactor = 0.7071f;
            wb.steeringAngle = static_cast<uint16_t>(360 + 90 * i);
            wb.stopForce = static_cast<uint16_t>(1000 + i);
            wb.totalForceGain = static_cast<uint16_t>(1000 * (i + 1) + 99);
            wb.springGain = 10000;
            state.profiles[i].userEffect.springForce = static_cast<uint16_t>(5000 + i);
            state.profiles[i].userEffect.enableSpring = true;
        }
        Wheel()->Firmware().SetState(state);
        sim.Install();
    }

    void TearDown() override
    {
        if (form) TObject::Free(form);
        form = nullptr;
        PumpFor(50);
        sim.Uninstall();
        SetCurrentDirectoryW(oldDir.c_str());
    }

    devsim::TSimDevice* Wheel() { return sim.WheelBase(); }
    devsim::TSimDevice* Shifter() { return sim.Shifter(); }

    void WriteSetting(const wchar_t* section, const wchar_t* key, const String& value)
    {
        WritePrivateProfileStringW(section, key, value.c_str(), settings.c_str());
    }
    String ReadSetting(const wchar_t* section, const wchar_t* key)
    {
        wchar_t buf[64] = {};
        GetPrivateProfileStringW(section, key, L"", buf, 64, settings.c_str());
        return buf;
    }

    String Panel(int index) { return form->StatusBar->Panels()->Items(index)->Text(); }
    bool Idle() { return !form->Protocol().IsProfileLoading(); }

    // Creates and shows the window; waits until the devices present have been taken in use
    // and the start-up profile load is over.
    void Start()
    {
        form = new TMainForm(nullptr, settings);
        form->Show();
        const bool wheel = Wheel()->Present(), shifter = Shifter()->Present();
        ASSERT_TRUE(PumpUntil([&] {
            return (!wheel || (Panel(TMainForm::PanelWheel) == L"Connected" && Idle() &&
                               Panel(TMainForm::PanelFirmware) == L"1.1.0.3")) &&
                   (!shifter || Panel(TMainForm::PanelShifter) == L"Connected");
        }));
        if (wheel) {
            // The Apply that ends the load has reached the device.
            ASSERT_TRUE(PumpUntil([&] { return CountPackets(Wheel(), CmdWrite, BlockUserEffect) >= 1; }));
        }
    }

    String MemoText() { return form->sysLog->Text(); }
    // The memo's lines without their time stamps.
    std::vector<String> LogLines()
    {
        std::vector<String> out;
        const String text = MemoText();
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(L"\r\n", start);
            if (end == String::npos) end = text.size();
            String line = text.substr(start, end - start);
            const size_t stamp = line.find(L"] ");
            if (!line.empty() && line[0] == L'[' && stamp != String::npos) line = line.substr(stamp + 2);
            out.push_back(line);
            start = end + 2;
        }
        return out;
    }
    bool Logged(const String& line)
    {
        const auto lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The window without devices: nothing to wait for.
    void StartWithoutDevices()
    {
        sim.Unplug(Wheel(), false);
        sim.Unplug(Shifter(), false);
        form = new TMainForm(nullptr, settings);
        form->Show();
        PumpFor(100);
    }

    devsim::TDeviceSimulator sim;
    TMainForm* form = nullptr;
    String dir, oldDir, settings;
};

TEST_F(MainWindowTest, StartWithBothDevicesLoadsTheProfileOnce)
{
    sim.StartStreams(0);   // the shifter's reports, for the pictures; no telemetry
    Start();
    PumpFor(300);   // a second load or Apply would show up now

    EXPECT_EQ(Panel(TMainForm::PanelWheel), L"Connected");
    EXPECT_EQ(Panel(TMainForm::PanelShifter), L"Connected");
    EXPECT_EQ(Panel(TMainForm::PanelPedal), L"Disconnected");
    EXPECT_EQ(Panel(TMainForm::PanelFirmware), L"1.1.0.3");
    // The start-up scan announces the wheel base, then the shifter, then the change: the first
    // enumeration loads the stored profile, each later one reads the firmware, joystick and
    // motor blocks again (the profile's blocks are on their way). The wheel base stays in use
    // throughout, so the load's replies come back, and the third ends the load with one Apply.
    // Replies to a request already acknowledged are dropped.
    const std::vector<std::vector<uint8_t>> expected{
        kReadFirmware, kLoadProfile1, kReadWheelBase, kReadUserEffect, kReadTelemetry,
        kReadFirmware, kReadJoystick, kReadMotor,
        kReadFirmware, kReadJoystick, kReadMotor,
        AckOf(RqFirmware), AckOf(RqWheelBase), AckOf(RqUserEffect), AckOf(RqTelemetry),
        BytesOf(MakeWheelBaseWrite(6, form->WheelBaseConfigFromControls())),
        BytesOf(MakeUserEffectWrite(6, form->UserEffectConfigFromControls())),
        AckOf(RqJoystick), AckOf(RqMotor),
    };
    EXPECT_EQ(Wheel()->Firmware().ReceivedText(), HexLines(expected));
    EXPECT_EQ(Rejected(Wheel()), 0);
    // Profile 1 is on screen: gains shown as percent (1099 / 100).
    EXPECT_EQ(form->sMaxAngle->Position(), 360);
    EXPECT_EQ(form->sOverall->Position(), 10);
    EXPECT_EQ(form->userSpringForce->Position(), 5000);
    EXPECT_TRUE(form->GroupUserSpring->Checked());
    EXPECT_NE(MemoText().find(L"Wheel found and connected."), String::npos);
    EXPECT_NE(MemoText().find(L"Shifter found and connected."), String::npos);

    // One picture of each page, with the simulator connected.
    const wchar_t* names[] = {L"base", L"hardware", L"shifter", L"pedal", L"debug"};
    for (int i = 0; i < form->PageControl->PageCount(); ++i) {
        form->PageControl->SetActivePage(form->PageControl->Pages(i));
        PumpUntil([&] { return Idle(); });
        PumpFor(300);
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
        testing_support::SaveScreenshot(form->Handle(), String(L"main-window-") + names[i], true);
    }
}

// The log memo is the Debug tab's "Log" group; the status bar shows the last status message
// whichever page is shown; the preferences are in the "Setup" menu.
TEST_F(MainWindowTest, LogOnTheDebugTabStatusOnEveryPagePreferencesInSetup)
{
    StartWithoutDevices();
    ASSERT_NE(form->sysLog, nullptr);
    auto* group = dynamic_cast<TsGroupBox*>(form->sysLog->Parent());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Caption(), L"Log");
    EXPECT_EQ(group->Parent(), form->TabDebug);
    EXPECT_EQ(form->FindComponent(L"sysLog"), form->sysLog);

    struct TCase {
        TsTabSheet* page;
        bool logShown;
    };
    for (const TCase c : {TCase{form->TabBase, false}, TCase{form->TabShifter, false}, TCase{form->TabDebug, true}}) {
        form->PageControl->SetActivePage(c.page);
        PumpFor(50);
        const String tag = L"Centerize on " + c.page->Caption();
        form->Protocol().Send(nullptr, MakeCommandPacket(6, CmdCenter), tag);   // no device: a status
        EXPECT_EQ(Panel(TMainForm::PanelStatus).substr(11), L"Failed to send data to device") << c.page->Caption();
        EXPECT_TRUE(form->StatusBar->Showing());
        EXPECT_EQ(form->sysLog->Showing(), c.logShown) << c.page->Caption();
        form->SetSysLog(tag);
    }
    // Lines logged while the tab was hidden are there when it shows.
    EXPECT_TRUE(Logged(L"Centerize on Base"));
    EXPECT_TRUE(Logged(L"Centerize on Shifter"));
    EXPECT_TRUE(Logged(L"Centerize on Debug"));

    std::vector<String> menus;
    for (int i = 0; i < form->MainMenu1->Items()->Count(); ++i) menus.push_back(form->MainMenu1->Items()->Items(i)->Caption());
    EXPECT_EQ(menus, (std::vector<String>{L"&File", L"Setup", L"Themes", L"&Help"}));
    EXPECT_EQ(form->P1->Parent(), form->S1);
    EXPECT_EQ(form->P1->Caption(), L"&Preferences");
    EXPECT_EQ(form->E1->Parent(), form->F1);
}

struct TStartCase {
    const wchar_t* stored;   // "Profiles"/"ActiveProfile" before start; nullptr: none
    bool plugLater;
    int index;               // selected profile
};

class StoredProfileTest : public MainWindowTest, public testing::WithParamInterface<TStartCase> {};

TEST_P(StoredProfileTest, IsLoadedWhenTheWheelBaseIsFound)
{
    const TStartCase& c = GetParam();
    if (c.stored) WriteSetting(L"Profiles", L"ActiveProfile", c.stored);
    if (c.plugLater) {
        sim.Unplug(Wheel(), false);
        sim.Unplug(Shifter(), false);
        Start();
        PumpFor(200);
        EXPECT_EQ(Panel(TMainForm::PanelWheel), L"Disconnected");
        EXPECT_EQ(Panel(TMainForm::PanelShifter), L"Disconnected");
        EXPECT_EQ(CountPackets(Wheel(), CmdLoadProfile), 0);
        sim.Plug(Shifter());
        sim.Plug(Wheel());
        ASSERT_TRUE(PumpUntil([&] {
            return Panel(TMainForm::PanelWheel) == L"Connected" && Panel(TMainForm::PanelShifter) == L"Connected" &&
                   CountPackets(Wheel(), CmdWrite, BlockUserEffect) >= 1;
        }));
    } else {
        Start();
    }
    const auto loads = PacketsOf(Wheel());
    auto load = std::find_if(loads.begin(), loads.end(), [](const TPacket& p) { return p.command() == CmdLoadProfile; });
    ASSERT_NE(load, loads.end());
    EXPECT_EQ(load->slot(), ProfileSlotOf(c.index));
    EXPECT_EQ(CountPackets(Wheel(), CmdLoadProfile), 1);
    EXPECT_EQ(form->cProfiles->ItemIndex(), c.index);
    EXPECT_EQ(form->sMaxAngle->Position(), 360 + 90 * c.index);
    EXPECT_EQ(ReadSetting(L"Profiles", L"ActiveProfile"), IntToStr(c.index));
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredProfileTest,
                         testing::Values(TStartCase{nullptr, false, 0}, TStartCase{L"3", false, 3},
                                         TStartCase{L"3", true, 3},
                                         // Not a profile: Profile 1 rather than a slot beyond them.
                                         TStartCase{L"7", false, 0}, TStartCase{L"-1", false, 0}));

TEST_F(MainWindowTest, ApplyWritesTheShownValues)
{
    Start();
    Wheel()->Firmware().ClearReceived();
    form->sMaxAngle->SetPosition(1080);
    form->sOverall->SetPosition(55);
    form->sFrictionFilter->SetPosition(1234);
    form->edtQFactor->SetValue(0.5);
    form->GroupUserDamper->SetChecked(false);
    form->userEffectGain->SetPosition(777);
    form->btnApply->Click();
    ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Wheel()).size() >= 2; }));

    const auto packets = PacketsOf(Wheel());
    ASSERT_EQ(packets.size(), 2u);
    const auto& wb = packets[0].bytes;
    ASSERT_EQ(wb.size(), 56u);
    const std::vector<uint8_t> header{0x14, 56, 6, CmdWrite, BlockWheelBase, 0, 0, 47};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), wb.begin()));
    const uint8_t half[4] = {0x00, 0x00, 0x00, 0x3F};   // 0.5f
    EXPECT_TRUE(std::equal(half, half + 4, wb.begin() + 8));
    EXPECT_EQ(Word16At(wb, 8 + 8), 1080);
    EXPECT_EQ(Word16At(wb, 8 + 20), 1234);
    EXPECT_EQ(Word16At(wb, 8 + 22), 5500);
    EXPECT_EQ(wb[55], 0x00 ^ CheckXor);
    const auto& ue = packets[1].bytes;
    ASSERT_EQ(ue.size(), 37u);
    EXPECT_EQ(ue[4], BlockUserEffect);
    EXPECT_EQ(Word16At(ue, 8 + 18), 777);
    EXPECT_EQ(ue[8 + 24], 0);   // damper off
    EXPECT_EQ(ue[8 + 27], 1);   // spring on

    const auto state = Wheel()->Firmware().State();
    EXPECT_EQ(state.current.wheelBase.totalForceGain, 5500);
    EXPECT_FLOAT_EQ(state.current.wheelBase.qFactor, 0.5f);
    EXPECT_FALSE(state.current.userEffect.enableDamper);
}

TEST_F(MainWindowTest, ApplyWithAQFactorThatIsNoNumberSendsNothing)
{
    Start();
    Wheel()->Firmware().ClearReceived();
    form->edtQFactor->SetText(L"abc");
    EXPECT_THROW(form->btnApplyClick(form->btnApply), EConvertError);
    EXPECT_THROW(form->btnSaveProfileClick(form->btnSaveProfile), EConvertError);
    PumpFor(100);
    EXPECT_TRUE(PacketsOf(Wheel()).empty());
}

TEST_F(MainWindowTest, SavedProfileComesBackOnLoad)
{
    Start();
    // Profile 3 in use on the device, then changed and saved.
    form->cProfiles->SetItemIndex(2);
    form->btnLoadProfile->Click();
    ASSERT_TRUE(PumpUntil([&] { return Idle() && form->sMaxAngle->Position() == 540; }));
    form->sMaxAngle->SetPosition(720);
    form->sOverall->SetPosition(44);
    form->userSpringForce->SetPosition(4321);
    Wheel()->Firmware().ClearReceived();
    form->btnSaveProfile->Click();
    ASSERT_TRUE(PumpUntil([&] { return CountPackets(Wheel(), CmdSaveProfile) == 1; }));
    const auto saved = PacketsOf(Wheel());
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0].block(), BlockWheelBase);
    EXPECT_EQ(saved[1].block(), BlockUserEffect);
    EXPECT_EQ(saved[2].command(), CmdSaveProfile);
    EXPECT_EQ(saved[2].slot(), 8);
    EXPECT_EQ(ReadSetting(L"Profiles", L"ActiveProfile"), L"2");
    EXPECT_EQ(Wheel()->Firmware().State().profiles[2].wheelBase.steeringAngle, 720);

    // Other values on screen, then the slot is loaded back.
    form->sMaxAngle->SetPosition(180);
    form->sOverall->SetPosition(1);
    form->userSpringForce->SetPosition(1);
    form->btnLoadProfile->Click();
    ASSERT_TRUE(PumpUntil([&] { return Idle() && form->sMaxAngle->Position() == 720; }));
    EXPECT_EQ(form->sOverall->Position(), 44);
    EXPECT_EQ(form->userSpringForce->Position(), 4321);
}

TEST_F(MainWindowTest, HardwareTabReadsAndSaveRestarts)
{
    struct TCase {
        uint16_t pwmFreq;
        int index;
    };
    for (const TCase c : {TCase{500, 7}, TCase{12345, 0}, TCase{8400, 1}}) {
        auto state = Wheel()->Firmware().State();
        state.motor.pwmFreq = c.pwmFreq;
        state.motor.PPR = 4096;
        state.joystick.xMin = -32768;
        Wheel()->Firmware().SetState(state);
        if (!form) Start();
        form->PageControl->SetActivePage(form->TabBase);
        form->PageControl->SetActivePage(form->TabHardware);
        ASSERT_TRUE(PumpUntil([&] { return form->pwmFreq->ItemIndex() == c.index && form->PPR->Value() == 4096; }))
            << c.pwmFreq;
        EXPECT_EQ(form->xAxisMin->Value(), -32768);
    }
    Wheel()->Firmware().ClearReceived();
    form->btnHardwareSave->Click();
    ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Wheel()).size() >= 4; }));
    const auto p = PacketsOf(Wheel());
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].command(), CmdWrite);
    EXPECT_EQ(p[0].block(), BlockJoystick);
    EXPECT_EQ(p[1].command(), CmdWrite);
    EXPECT_EQ(p[1].block(), BlockMotor);
    EXPECT_EQ(p[2].command(), CmdSaveProfile);
    EXPECT_EQ(p[2].slot(), SlotHardware);
    EXPECT_EQ(p[3].command(), CmdRestart);
    EXPECT_EQ(Wheel()->Firmware().State().restartCount, 1);
}

TEST_F(MainWindowTest, UnplugAndReplugTheWheelBase)
{
    Start();
    sim.Unplug(Wheel());
    ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelWheel) == L"Disconnected"; }));
    EXPECT_EQ(form->CurrentWheelBase, nullptr);
    EXPECT_NE(MemoText().find(L"Removal of "), String::npos);
    // Given back to the controller: no unplugged device stays checked out.
    ASSERT_TRUE(PumpUntil([&] { return form->HIDCtl->NumUnpluggedDevices() == 0; }));

    Wheel()->Firmware().ClearReceived();
    sim.Plug(Wheel());
    ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelWheel) == L"Connected"; }));
    ASSERT_TRUE(PumpUntil([&] { return CountPackets(Wheel(), CmdAck, -1, RqMotor) >= 1; }));
    PumpFor(200);
    // A re-plug re-reads what the device holds, once for the arrival and once more for the
    // change; only the start loads the stored profile.
    const std::vector<std::vector<uint8_t>> reads{kReadFirmware, kReadWheelBase, kReadUserEffect, kReadTelemetry,
                                                  kReadJoystick, kReadMotor};
    std::vector<std::vector<uint8_t>> expected = reads;
    expected.insert(expected.end(), reads.begin(), reads.end());
    for (uint8_t id : {RqFirmware, RqWheelBase, RqUserEffect, RqTelemetry, RqJoystick, RqMotor})
        expected.push_back(AckOf(id));
    EXPECT_EQ(Wheel()->Firmware().ReceivedText(), HexLines(expected));
    EXPECT_EQ(Panel(TMainForm::PanelShifter), L"Connected");
}

TEST_F(MainWindowTest, SuspendDropsTheWheelBaseAndResumeTakesItBack)
{
    Start();
    SendMessageW(form->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_EQ(form->CurrentWheelBase, nullptr);
    EXPECT_NE(form->CurrentShifter, nullptr);
    EXPECT_FALSE(form->DevMon->Enabled());
    // The wheel base is out of use until the resume, and the status bar says so.
    EXPECT_EQ(Panel(TMainForm::PanelWheel), L"Disconnected");
    EXPECT_TRUE(Logged(L"Windows is going to hibernate"));
    EXPECT_TRUE(Logged(L"Disconnecting from device."));

    Wheel()->Firmware().ClearReceived();
    SendMessageW(form->Handle(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_NE(form->CurrentWheelBase, nullptr);
    EXPECT_TRUE(form->DevMon->Enabled());
    EXPECT_EQ(Panel(TMainForm::PanelWheel), L"Connected");
    EXPECT_TRUE(Logged(L"Windows has resumed from hibernate mode"));
    EXPECT_TRUE(Logged(L"Re-connecting with device."));
    ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelFirmware) == L"1.1.0.3" && Idle(); }));
    EXPECT_EQ(CountPackets(Wheel(), CmdRead, BlockFirmware), 1);

    SendMessageW(form->Handle(), WM_POWERBROADCAST, 10, 0);
    EXPECT_NE(MemoText().find(L"### !!! This event is not handled! !!! ### ID: 10"), String::npos);
}

// The removal of a wheel base that is not in use (here: the one the suspend let go) still
// shows it as gone.
TEST_F(MainWindowTest, WheelBaseUnpluggedWhileSuspendedShowsAsDisconnected)
{
    Start();
    SendMessageW(form->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ASSERT_EQ(form->CurrentWheelBase, nullptr);
    sim.Unplug(Wheel());
    ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelWheel) == L"Disconnected"; }));
    EXPECT_TRUE(Logged(L"Removal of " + String(Wheel()->ProductName())));
    EXPECT_EQ(Panel(TMainForm::PanelShifter), L"Connected");
    SendMessageW(form->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    PumpFor(200);
    EXPECT_EQ(form->CurrentWheelBase, nullptr);
    EXPECT_EQ(Panel(TMainForm::PanelWheel), L"Disconnected");
    EXPECT_NE(form->CurrentShifter, nullptr);
}

TEST_F(MainWindowTest, CancelledSessionEndLeavesTheWindowWorking)
{
    Start();
    EXPECT_EQ(SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(form->Closing());
    SendMessageW(form->Handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(form->Closing());
    EXPECT_FALSE(Application->Terminated());

    // Replies are taken in again.
    auto state = Wheel()->Firmware().State();
    state.motor.PPR = 777;
    Wheel()->Firmware().SetState(state);
    form->RequestMotorConfig();
    ASSERT_TRUE(PumpUntil([&] { return form->PPR->Value() == 777; }));
}

TEST_F(MainWindowTest, UnansweredProfileLoadEndsOnceAndStopsBlockingReads)
{
    Start();
    uint64_t now = 1000000;
    form->TickSource = [&] { return now; };
    // Every write fails: the load starts but no block can ever come back.
    Wheel()->FailWrites(-1);
    form->btnLoadProfile->Click();
    Wheel()->FailWrites(0);
    ASSERT_FALSE(Idle());
    Wheel()->Firmware().ClearReceived();
    form->TabBaseShow(form->TabBase);
    EXPECT_EQ(CountPackets(Wheel(), CmdRead, BlockWheelBase), 0);

    const String timedOut = L"Profile load timed out: not every block was answered";
    auto timeouts = [&] {
        const auto lines = LogLines();
        return std::count(lines.begin(), lines.end(), timedOut);
    };
    now += TMainForm::ProfileLoadTimeoutMs - 1;
    form->DevMonTimer(form->DevMon);
    EXPECT_FALSE(Idle());
    EXPECT_EQ(timeouts(), 0);
    now += 1;
    form->DevMonTimer(form->DevMon);
    EXPECT_TRUE(Idle());
    now += 60000;
    form->DevMonTimer(form->DevMon);
    EXPECT_EQ(timeouts(), 1);
    form->TabBaseShow(form->TabBase);
    EXPECT_EQ(CountPackets(Wheel(), CmdRead, BlockWheelBase), 1);
}

// Profile commands (254) and the shifter's stream (241) are never answered by design: normal
// use, however long it waits, stops waiting for nothing, and a reply that comes late is still
// taken in and acknowledged.
TEST_F(MainWindowTest, NormalUseLogsNoTimeout)
{
    sim.StartStreams(0);   // the shifter's gear and report streams
    Start();
    // The preferences window works on the program's main window.
    MainForm = form;
    TFormSettings* settingsForm = new TFormSettings(nullptr);
    FormSettings = settingsForm;
    struct TFree {
        ~TFree()
        {
            TObject::Free(FormSettings);
            FormSettings = nullptr;
            MainForm = nullptr;
        }
    } freeSettings;
    uint64_t now = GetTickCount64();
    form->TickSource = [&] { return now; };
    // The device monitor's ticks over a long wait after each step.
    auto waitLong = [&] {
        for (int i = 0; i < 3; ++i) {
            now += 10000;
            form->DevMonTimer(form->DevMon);
        }
    };
    waitLong();   // after the start-up load
    form->btnLoadProfile->Click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    waitLong();
    form->btnSaveProfile->Click();
    waitLong();
    form->btnHardwareSave->Click();
    waitLong();
    settingsForm->Show();
    ASSERT_TRUE(PumpUntil([&] { return CountPackets(Wheel(), CmdAck, -1, RqGeneral) > 0; }));
    settingsForm->btnOK->Click();
    waitLong();
    TShifterPage* page = form->ShifterPage;
    form->PageControl->SetActivePage(form->TabShifter);
    ASSERT_TRUE(PumpUntil([&] { return form->Protocol().ProfileLoading.Values(L"LoadShifter") == L"0"; }));
    waitLong();
    for (int index : {1, 2, 3, 0}) {
        page->comboDebugStat->SetItemIndex(index);
        page->comboDebugStatChange(page->comboDebugStat);
        PumpFor(100);
        waitLong();
    }

    // A late reply to the last profile command: shown and acknowledged.
    const int acks = Wheel()->Firmware().AckCount(RqProfile);
    std::vector<uint8_t> late(devsim::TSimFirmware::ReportLength, 0);
    late[0] = ReportIdReply, late[1] = BlockTelemetry, late[2] = RqProfile;
    Wheel()->InjectReport(late);
    ASSERT_TRUE(PumpUntil([&] { return Wheel()->Firmware().AckCount(RqProfile) == acks + 1; }));

    const String marker = L"end of the normal use";
    form->SetSysLog(marker);
    String log;
    ASSERT_TRUE(PumpUntil([&] {
        try {
            TStringList lines;
            lines.LoadFromFile(dir + L"application.log");
            log = lines.Text();
        } catch (...) {
            return false;   // not written yet
        }
        return log.find(marker) != String::npos;
    }));
    EXPECT_EQ(log.find(L"No reply"), String::npos);
    EXPECT_EQ(log.find(L"timed out"), String::npos);
    EXPECT_EQ(log.find(L"no longer waited for"), String::npos);
}

TEST_F(MainWindowTest, ThemeMenuStoresTheChoice)
{
    WriteSetting(L"Themes", L"Active", L"2");
    // A damaged picture: reported, and the window goes on.
    CreateDirectoryW((dir + L"themes").c_str(), nullptr);
    FILE* f = _wfopen((dir + L"themes\\bg_light.png").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\x89PNG not really", f);
    std::fclose(f);
    Start();
    // 2 is no theme: nothing chosen at show time.
    EXPECT_FALSE(form->D1->Checked());
    EXPECT_FALSE(form->L1->Checked());
    EXPECT_TRUE(form->SkinName().empty());
    form->L1->Click();
    EXPECT_TRUE(form->L1->Checked());
    EXPECT_FALSE(form->D1->Checked());
    EXPECT_EQ(form->SkinName(), L"Light");
    EXPECT_EQ(ReadSetting(L"Themes", L"Active"), L"1");
    EXPECT_NE(MemoText().find(L"Background picture themes\\bg_light.png cannot be shown"), String::npos);
    form->D1->Click();
    EXPECT_EQ(ReadSetting(L"Themes", L"Active"), L"0");
    EXPECT_EQ(form->SkinName(), L"Dark");
}

TEST_F(MainWindowTest, TheWindowOwnsItsSkinManager)
{
    WriteSetting(L"Themes", L"Active", L"1");
    Start();
    TsSkinManager* m = form->sSkinManager1;
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(DefaultManager, m);
    EXPECT_EQ(m->Owner(), form);
    // The values the window sets up its manager with.
    EXPECT_TRUE(m->AnimEffects()->BlendOnMoving.Active);
    EXPECT_EQ(m->AnimEffects()->FormHide.Mode, atFading);
    EXPECT_TRUE(m->ButtonsOptions()->OldGlyphsMode());
    EXPECT_EQ(m->SkinDirectory(), TMainForm::StoredSkinDirectory);
    EXPECT_EQ(m->ThirdParty()->GetString(tpButton), L"TButton");
    EXPECT_EQ(m->ThirdParty()->GetString(tpEdit), L" ");
    EXPECT_EQ(m->Options()->ScaleMode(), smVCL);
    // The stored theme reaches the manager at show time; the menu switches it.
    EXPECT_EQ(m->SkinName(), L"Light");
    form->D1->Click();
    EXPECT_EQ(m->SkinName(), L"Dark");
    form->L1->Click();
    EXPECT_EQ(m->SkinName(), L"Light");
    // The stored skins are the source of these names.
    EXPECT_TRUE(m->IsActive());
    EXPECT_TRUE(m->SkinIsPacked);
    form->Close();
    PumpUntil([&] { return form->Closing(); });
    TObject::Free(form);
    form = nullptr;
    EXPECT_EQ(DefaultManager, nullptr);   // gone with its window
}

TEST_F(MainWindowTest, ClosingStoresTheProfileAndStopsListening)
{
    Start();
    form->cProfiles->SetItemIndex(3);
    form->Close();
    EXPECT_TRUE(form->Closing());
    EXPECT_EQ(ReadSetting(L"Profiles", L"ActiveProfile"), L"3");
    // Replies and removals are no longer taken in.
    auto state = Wheel()->Firmware().State();
    state.motor.PPR = 4242;
    Wheel()->Firmware().SetState(state);
    form->RequestMotorConfig();
    sim.Unplug(Shifter());
    PumpFor(300);
    EXPECT_NE(form->PPR->Value(), 4242);
    EXPECT_EQ(MemoText().find(L"Removal of "), String::npos);
}

}  // namespace

namespace {

// The device monitor on its own: the removal events are not heard.
TEST_F(MainWindowTest, DeviceMonitorDropsDevicesWhoseRemovalWasMissed)
{
    Start();
    form->HIDCtl->SetOnDeviceUnplug(nullptr);
    sim.Unplug(Shifter());
    sim.Unplug(Wheel());
    ASSERT_TRUE(PumpUntil([&] {
        return Panel(TMainForm::PanelWheel) == L"Disconnected" && Panel(TMainForm::PanelShifter) == L"Disconnected";
    }, 1500));
    EXPECT_EQ(form->CurrentWheelBase, nullptr);
    EXPECT_EQ(form->CurrentShifter, nullptr);
}

TEST_F(MainWindowTest, DeviceMonitorHidesTheVerticalLinesOfASequentialShifter)
{
    StartWithoutDevices();
    TShifterPage* page = form->ShifterPage;
    struct TCase {
        int type;
        bool linesShown;
    };
    for (const TCase c : {TCase{TShifterPage::TypeSequential, false}, TCase{TShifterPage::TypeHPattern, true}}) {
        page->ShifterType->SetItemIndex(c.type);   // no change event: the monitor's tick does it
        form->DevMonTimer(form->DevMon);
        for (TLine* line : {page->x1, page->x2, page->x3}) EXPECT_EQ(line->Visible(), c.linesShown) << c.type;
        EXPECT_TRUE(page->y1->Visible());
        EXPECT_TRUE(page->y2->Visible());
    }
}

// Holding "+" (or "-") steps the angle every 100 ms until the bar's end; the click
// at release changes nothing more.
TEST_F(MainWindowTest, HoldingAnAngleButtonStopsAtTheBarsEnd)
{
    StartWithoutDevices();
    SetForegroundWindow(form->Handle());
    PumpFor(50);
    struct TCase {
        TsButton* button;
        TThreadTimer* timer;
        int end;
    };
    for (const TCase c : {TCase{form->btnIncWheel, form->IncAngle, 1080}, TCase{form->btnDecWheel, form->DecAngle, 180}}) {
        const TPoint centre = c.button->ClientToScreen(TPoint(c.button->Width() / 2, c.button->Height() / 2));
        SetCursorPos(centre.x, centre.y);
        PumpFor(30);
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &in, sizeof(in));
        EXPECT_TRUE(PumpUntil([&] { return form->sMaxAngle->Position() == c.end; }, 3000)) << c.end;
        EXPECT_TRUE(c.timer->Enabled());
        PumpFor(150);   // a tick more stays at the end
        in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &in, sizeof(in));
        EXPECT_TRUE(PumpUntil([&] { return !c.timer->Enabled(); }, 2000));
        PumpFor(150);
        EXPECT_EQ(form->sMaxAngle->Position(), c.end);
    }
    form->btnIncWheel->Click();
    EXPECT_EQ(form->sMaxAngle->Position(), 270);
}

TEST_F(MainWindowTest, PowerBroadcastLogsItsCode)
{
    StartWithoutDevices();
    struct TCase {
        unsigned code;
        const wchar_t* text;
        const wchar_t* action;   // the suspend's or resume's own line; nullptr: none
    };
    const TCase cases[] = {
        {0, L"Windows is asking for hibernate Mode", nullptr},
        {1, L"Windows is asking for standby Mode", nullptr},
        {2, L"Windows is denied to go to hibernate mode", nullptr},
        {3, L" Windows is denied to go to standby mode", nullptr},
        {4, L"Windows is going to hibernate", L"Disconnecting from device."},
        {5, L"Windows is going to standby", L"Disconnecting from device."},
        {6, L"Windows has resumed from critical hibernate mode", L"Re-connecting with device."},
        {7, L"Windows has resumed from hibernate mode", L"Re-connecting with device."},
        {8, L"Windows has resumed from standby mode", L"Re-connecting with device."},
        {18, L"Windows has resumed to handle an automatic event", L"Re-connecting with device."},
        {10, L"### !!! This event is not handled! !!! ### ID: 10", nullptr},
    };
    for (const TCase& c : cases) {
        form->sysLog->Clear();
        SendMessageW(form->Handle(), WM_POWERBROADCAST, c.code, 0);
        std::vector<String> expected{L" Received WMPOWERBROADCAST Id: " + UIntToStr(c.code), c.text};
        if (c.action) expected.push_back(c.action);
        EXPECT_EQ(LogLines(), expected) << c.code;
        EXPECT_EQ(form->DevMon->Enabled(), c.code < 4 || c.code > 5) << c.code;
    }
}

// Gains are shown as the value div 100, values beyond a bar stop at its end, and a
// list index beyond the list leaves the list without selection.
TEST_F(MainWindowTest, RepliesAreShownInTheControlsRanges)
{
    StartWithoutDevices();
    TWheelBaseConfig wb{};
    wb.steeringAngle = 5000;
    wb.stopForce = 20000;
    wb.totalForceGain = 3099;
    wb.springGain = 60000;
    wb.qFactor = 1.23456f;
    wb.peakGain = -2.5f;
    form->ShowWheelBaseConfig(wb);
    EXPECT_EQ(form->sMaxAngle->Position(), 1080);
    EXPECT_EQ(form->sStopForce->Position(), 10000);
    EXPECT_EQ(form->sOverall->Position(), 30);
    EXPECT_EQ(form->sSpringGain->Position(), 100);
    EXPECT_EQ(form->sRampGain->Position(), 0);
    EXPECT_EQ(form->edtQFactor->Text(), L"1.2346");
    EXPECT_EQ(form->edtPeakGain->Text(), L"-2.5000");
    TUserEffectConfig ue{};
    ue.damperGain = 4599;
    ue.eGain = 4599;
    form->ShowUserEffectConfig(ue);
    EXPECT_EQ(form->userDamperGain->Position(), 45);
    EXPECT_EQ(form->userEffectGain->Position(), 4599);   // not a percentage
    EXPECT_FALSE(form->GroupUserDamper->Checked());
    TMotorConfig m{};
    m.pwmMode = 7;
    m.pwmFreq = 250;
    m.pidMode = 1;
    m.ctrlDirection = 9;
    m.PPR = 4000000000u;
    m.Kp = 2.5f;
    form->ShowMotorConfig(m);
    EXPECT_EQ(form->pwmMode->ItemIndex(), -1);
    EXPECT_EQ(form->pwmFreq->ItemIndex(), 8);
    EXPECT_EQ(form->PIDMode->ItemIndex(), 1);
    EXPECT_EQ(form->controllerDirection->ItemIndex(), -1);
    EXPECT_EQ(form->PPR->Value(), 4000000000.0);
    EXPECT_EQ(form->edtKp->Text(), L"2.50");
}

// The single commands and the Hardware tab's writes, byte for byte, with Profile 2 selected.
TEST_F(MainWindowTest, CommandsAndHardwareWritesCarryTheProfileSlot)
{
    Start();
    form->cProfiles->SetItemIndex(1);
    Wheel()->Firmware().ClearReceived();
    form->btnCenterize->Click();
    form->btnCalibrate->Click();
    form->xAxisMin->SetValue(-1234.9);
    form->rzAxisMax->SetValue(99999);
    form->pwmMode->SetItemIndex(3);
    form->pwmFreq->SetItemIndex(7);
    form->chkAbsEncoder->SetChecked(true);
    form->chkUseZ->SetChecked(false);
    form->PPR->SetValue(2048.7);
    form->PIDMode->SetItemIndex(1);
    form->controllerDirection->SetItemIndex(0);
    form->edtKp->SetValue(12.5);
    form->edtKi->SetValue(10);
    form->edtKd->SetValue(1);
    form->edtSampleTime->SetValue(3.9);
    form->btnHardwareApply->Click();
    ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Wheel()).size() >= 4; }));
    const auto p = PacketsOf(Wheel());
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].bytes, (std::vector<uint8_t>{0x14, 9, 7, CmdCenter, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p[1].bytes, (std::vector<uint8_t>{0x14, 9, 7, CmdCalibrate, 0, 0, 0, 0, 0}));
    const auto& joy = p[2].bytes;
    ASSERT_EQ(joy.size(), 57u);
    EXPECT_EQ(std::vector<uint8_t>(joy.begin(), joy.begin() + 8),
              (std::vector<uint8_t>{0x14, 57, 7, CmdWrite, BlockJoystick, 0, 1, 48}));
    EXPECT_EQ(std::vector<uint8_t>(joy.begin() + 8, joy.begin() + 12), (std::vector<uint8_t>{0x2e, 0xfb, 0xff, 0xff}));
    EXPECT_EQ(std::vector<uint8_t>(joy.begin() + 52, joy.begin() + 56), (std::vector<uint8_t>{0x9f, 0x86, 0x01, 0x00}));
    EXPECT_EQ(joy[56], 0x2e ^ CheckXor);
    const std::vector<uint8_t> motor{0x14, 37, 7, CmdWrite, BlockMotor, 0, 2, 28,
                                     3, 0xf4, 0x01, 1, 0, 0, 0x00, 0x08, 0x00, 0x00, 1, 0,
                                     0x00, 0x00, 0x48, 0x41, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x80, 0x3f,
                                     3, 0, 0, 0, 3 ^ CheckXor};
    EXPECT_EQ(p[3].bytes, motor);
}

}  // namespace

// The program's stored skins: it starts on Dark, the menu gives Light with its font, a name no
// skin has gives the first stored skin, and a damaged packed file in the skin directory leaves
// the skin in use as it was.
TEST_F(MainWindowTest, StoredSkinsAndTheSkinDirectory)
{
    Start();
    TsSkinManager* m = form->sSkinManager1;
    EXPECT_EQ(m->SkinName(), L"Dark");
    ASSERT_TRUE(m->IsActive());
    EXPECT_EQ(m->InternalSkins()->Count(), ProgramStoredSkinCount);
    EXPECT_EQ(m->SkinCommonInfo.Description, L"Dark theme of the wheel configuration tool");
    EXPECT_EQ(m->EmbeddedFonts.Count(), 0);
    form->L1->Click();
    EXPECT_EQ(m->SkinName(), L"Light");
    ASSERT_EQ(m->EmbeddedFonts.Count(), 1);
    EXPECT_EQ(m->EmbeddedFonts.Items(0).FontName, L"DejaVu Sans");
    EXPECT_EQ(m->EmbeddedFonts.Items(0).InstalledCount(), 1u);
    form->D1->Click();
    EXPECT_EQ(m->EmbeddedFonts.Count(), 0);
    m->SetSkinName(L"Unknown");
    EXPECT_EQ(m->SkinName(), L"Neutral");

    // A damaged Dark.asz where the manager looks first.
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const String dir = String(tmp) + L"qw_main_skins_" + IntToStr(int64_t(GetCurrentProcessId())) + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    const TStoredSkinBytes& dark = ProgramStoredSkins()[1];
    WriteFileBytes(dir + L"Dark.asz", std::vector<uint8_t>(dark.Data, dark.Data + dark.Size / 2));
    m->SetSkinDirectory(dir);
    form->L1->Click();
    ASSERT_EQ(m->SkinName(), L"Light");
    const String light = m->SkinCommonInfo.OptionsDat.Text();
    {
        TBoxRecorder boxes;
        form->D1->Click();
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_NE(boxes.Boxes[0].Text.find(L"damaged"), String::npos);
    }
    EXPECT_EQ(m->SkinName(), L"Light");
    EXPECT_TRUE(m->IsActive());
    EXPECT_TRUE(m->SkinCommonInfo.OptionsDat.Text() == light);
    EXPECT_EQ(m->EmbeddedFonts.Count(), 1);
    DeleteFileW((dir + L"Dark.asz").c_str());
    RemoveDirectoryW(dir.c_str());
    form->Close();
    PumpUntil([&] { return form->Closing(); });
    TObject::Free(form);
    form = nullptr;
}

// With Dark loaded the controls show their skin images: a group box and a button are their
// caches on the screen, the connection icons reach the screen inside the status bar's image, and
// with the skin switched off the page area, the status bar and the information panel's strip
// beside its text change while nothing else of the client area does (the scrolling text, which
// moves on its own, left out of the comparison).
TEST_F(MainWindowTest, WithDarkLoadedTheControlsShowTheirSkinImages)
{
    WriteSetting(L"Themes", L"Active", L"0");
    StartWithoutDevices();
    TsSkinManager* m = form->sSkinManager1;
    ASSERT_TRUE(m->IsActive());
    ASSERT_EQ(m->SkinName(), L"Dark");
    const HWND wnd = form->Handle();
    const TPoint origin = form->InfoText->ClientToScreen(TPoint(0, 0));
    POINT o{origin.x, origin.y};
    ScreenToClient(wnd, &o);
    const RECT text{o.x, o.y, o.x + form->InfoText->Width(), o.y + form->InfoText->Height()};
    POINT po{0, 0};
    ClientToScreen(form->PageControl->Handle(), &po);
    ScreenToClient(wnd, &po);
    const RECT pages{po.x, po.y, po.x + form->PageControl->Width(), po.y + form->PageControl->Height()};
    ASSERT_TRUE(form->StatusBar->SkinData()->Skinned(true));
    POINT so{0, 0};
    ClientToScreen(form->StatusBar->Handle(), &so);
    ScreenToClient(wnd, &so);
    const RECT bar{so.x, so.y, so.x + form->StatusBar->Width(), so.y + form->StatusBar->Height()};
    TsGroupBox* group = form->GroupUserDamper;
    ASSERT_TRUE(group->SkinData()->Skinned(true));
    POINT go{0, 0};
    ClientToScreen(group->Handle(), &go);
    ScreenToClient(wnd, &go);
    const RECT box{go.x, go.y, go.x + group->Width(), go.y + group->Height()};
    auto capture = [&] {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
        return testing_support::CaptureWindow(wnd);
    };
    auto skinned = capture();
    testing_support::SaveArtifact(*skinned, L"main_window_dark_loaded");
    // A button at rest is its skin cache (its face left of the caption).
    {
        TsButton* b = form->btnApply;
        ASSERT_TRUE(b->SkinData()->Skinned(true));
        const TPixelImage face = ImageFromBitmap32(b->SkinData()->FCacheBmp);
        ASSERT_EQ(face.Width(), b->Width());
        POINT bo{0, 0};
        ClientToScreen(b->Handle(), &bo);
        ScreenToClient(wnd, &bo);
        for (TPoint p : {TPoint(4, b->Height() / 2), TPoint(b->Width() / 2, 3), TPoint(b->Width() - 5, b->Height() - 4)})
            EXPECT_EQ(testing_support::PixelAt(*skinned, bo.x + p.x, bo.y + p.y),
                      TColor(SwapRedBlue(face.At(p.x, p.y) & 0xFFFFFFu)))
                << p.x << "," << p.y;
    }
    // The group box is its skin cache on the screen (points on its frame clear of its children).
    const TacGroupCaption caption = group->CaptionGeometry();
    const TPixelImage cache = ImageFromBitmap32(group->SkinData()->FCacheBmp);
    const int gw = group->Width(), gh = group->Height();
    ASSERT_EQ(cache.Width(), gw);
    for (TPoint p : {TPoint(gw - 3, caption.TopRect.bottom + 1), TPoint(gw - 3, gh / 2), TPoint(gw - 3, gh - 3)})
        EXPECT_EQ(testing_support::PixelAt(*skinned, box.left + p.x, box.top + p.y),
                  TColor(SwapRedBlue(cache.At(p.x, p.y) & 0xFFFFFFu)))
            << p.x << "," << p.y;
    // The connection icons (disconnected: red) are drawn into the bar's image by the window's
    // handler, at their panels, and reach the screen with it.
    const std::vector<TRect> panels = form->StatusBar->PanelRects();
    const TPixelImage barImage = ImageFromBitmap32(form->StatusBar->SkinData()->FCacheBmp);
    ASSERT_EQ(barImage.Width(), form->StatusBar->Width());
    for (int i : {int(TMainForm::PanelWheel), int(TMainForm::PanelShifter), int(TMainForm::PanelPedal)}) {
        const TPoint c(panels[size_t(i)].left + 8, panels[size_t(i)].top + 8);
        const uint32_t px = barImage.At(c.x, c.y);
        EXPECT_GT(int((px >> 16) & 0xFF), int((px >> 8) & 0xFF) + 60) << i;
        EXPECT_EQ(testing_support::PixelAt(*skinned, bar.left + c.x, bar.top + c.y), TColor(SwapRedBlue(px & 0xFFFFFFu))) << i;
    }
    m->SetActive(false);
    ASSERT_FALSE(m->IsActive());
    auto plain = capture();
    ASSERT_EQ(skinned->Width(), plain->Width());
    ASSERT_EQ(skinned->Height(), plain->Height());
    // The information panel beside the text (dots and banner) stands on the skin's window
    // background, so it changes too.
    POINT io{0, 0};
    ClientToScreen(form->InfoPanel->Handle(), &io);
    ScreenToClient(wnd, &io);
    const RECT info{io.x, io.y, io.x + form->InfoPanel->Width(), io.y + form->InfoPanel->Height()};
    int differ = 0, pageDiffer = 0, barDiffer = 0, infoDiffer = 0;
    for (int y = 0; y < plain->Height(); ++y)
        for (int x = 0; x < plain->Width(); ++x) {
            if (x >= text.left && x < text.right && y >= text.top && y < text.bottom) continue;
            const bool d = testing_support::PixelAt(*skinned, x, y) != testing_support::PixelAt(*plain, x, y);
            if (x >= pages.left && x < pages.right && y >= pages.top && y < pages.bottom)
                pageDiffer += d;
            else if (x >= bar.left && x < bar.right && y >= bar.top && y < bar.bottom)
                barDiffer += d;
            else if (x >= info.left && x < info.right && y >= info.top && y < info.bottom)
                infoDiffer += d;
            else
                differ += d;
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(pageDiffer, 0);
    EXPECT_GT(barDiffer, 0);
    EXPECT_GT(infoDiffer, 0);
}

// Buttons of the main window hot and held down, in Dark and in Light, for a look: the hot and the
// pressed face differ from the face at rest and from each other.
TEST_F(MainWindowTest, ButtonsHotAndPressedInDarkAndLight)
{
    WriteSetting(L"Themes", L"Active", L"0");
    StartWithoutDevices();
    ASSERT_EQ(form->sSkinManager1->SkinName(), L"Dark");
    TsButton* hot = form->btnSaveProfile;
    TsButton* pressed = form->btnApply;
    TsButton* rest = form->btnLoadProfile;
    auto facePixel = [](TsButton* b) { return ImageFromBitmap32(b->SkinData()->FCacheBmp).At(4, b->Height() / 2) & 0xFFFFFFu; };
    for (const wchar_t* skin : {L"dark", L"light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        if (String(skin) == L"light") form->L1->Click();
        PumpFor(200);
        hot->Perform(CM_MOUSEENTER, 0, 0);
        pressed->Perform(CM_MOUSEENTER, 0, 0);
        SendMessageW(pressed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PumpFor(400);
        EXPECT_EQ(hot->CurrentState(), 1);
        EXPECT_EQ(pressed->CurrentState(), 2);
        EXPECT_NE(facePixel(hot), facePixel(rest));
        EXPECT_NE(facePixel(pressed), facePixel(rest));
        EXPECT_NE(facePixel(pressed), facePixel(hot));
        testing_support::SaveScreenshot(form->Handle(), String(L"main-window-") + skin + L"-hot-pressed", true);
        // Let go without a click: the capture goes first, so the release is nobody's press.
        ReleaseCapture();
        SendMessageW(pressed->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        hot->Perform(CM_MOUSELEAVE, 0, 0);
        pressed->Perform(CM_MOUSELEAVE, 0, 0);
        PumpFor(400);
    }
    form->Close();
    PumpUntil([&] { return form->Closing(); });
    TObject::Free(form);
    form = nullptr;
}

// Switching the theme: the skinned controls, also those on the pages, let go of the old skin's
// data, which is freed with it, and compose their images from the new skin (dark, then light).
TEST_F(MainWindowTest, SwitchingTheThemeRepaintsFromTheNewSkin)
{
    WriteSetting(L"Themes", L"Active", L"0");
    StartWithoutDevices();
    TsSkinManager* m = form->sSkinManager1;
    ASSERT_EQ(m->SkinName(), L"Dark");
    TsCommonData* link = form->PageControl->SkinData();
    auto pageLightness = [&] {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
        const TPixelImage cache = ImageFromBitmap32(link->FCacheBmp);
        if (cache.Width() == 0) return -1;
        const uint32_t p = cache.At(cache.Width() / 2, cache.Height() / 2);
        return int((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
    };
    auto holdsLiveData = [&] {
        // The page control and a group box on the shown page (reached through its page).
        for (TsCommonData* l : std::initializer_list<TsCommonData*>{link, form->GroupUserDamper->SkinData()}) {
            TacSkinData* d = l->ResolveSkinData();
            if (std::none_of(m->SkinDataArray.begin(), m->SkinDataArray.end(), [&](const auto& o) { return o.get() == d; }))
                return false;
        }
        return true;
    };
    auto boxLightness = [&] {
        const TPixelImage cache = ImageFromBitmap32(form->GroupUserDamper->SkinData()->FCacheBmp);
        if (cache.Width() == 0) return -1;
        const uint32_t p = cache.At(cache.Width() / 2, cache.Height() - 2);
        return int((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3;
    };
    const int dark = pageLightness();
    ASSERT_GE(dark, 0);
    EXPECT_LT(dark, 96);
    const int darkBox = boxLightness();
    ASSERT_GE(darkBox, 0);
    EXPECT_LT(darkBox, 96);
    form->L1->Click();
    ASSERT_EQ(m->SkinName(), L"Light");
    EXPECT_TRUE(holdsLiveData());
    EXPECT_GT(pageLightness(), 192);
    EXPECT_GT(boxLightness(), 192);
    testing_support::SaveArtifact(*testing_support::CaptureWindow(form->Handle()), L"main_window_light_switched");
    form->D1->Click();
    EXPECT_TRUE(holdsLiveData());
    EXPECT_EQ(pageLightness(), dark);
    EXPECT_EQ(boxLightness(), darkBox);
    form->Close();
    PumpUntil([&] { return form->Closing(); });
    TObject::Free(form);
    form = nullptr;
}

// A click on a tab changes the page under the transition cover (Time 0: at once), and nothing
// of the transition stays behind: no cover, the page control paints again, the next click works.
TEST_F(MainWindowTest, ClickingTheTabsSwapsThePagesAtOnce)
{
    WriteSetting(L"Themes", L"Active", L"0");
    StartWithoutDevices();
    TsPageControl* pc = form->PageControl;
    ASSERT_TRUE(pc->SkinData()->Skinned(true));
    ASSERT_EQ(form->sSkinManager1->AnimEffects()->PageChange.Time, 0);
    for (TsTabSheet* sheet : {form->TabHardware, form->TabShifter, form->TabDebug, form->TabBase}) {
        const TacPageControlState s = pc->TabState();
        const TacPageTabs tabs(s);
        const TRect r = tabs.SkinTabRect(tabs.TabIndexOfPage(sheet->PageIndex()), false);
        ASSERT_FALSE(r.IsEmpty());
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        pc->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
        pc->Perform(WM_LBUTTONUP, 0, at);
        EXPECT_EQ(pc->ActivePage(), sheet);
        EXPECT_EQ(TransitionCover(), nullptr);
        EXPECT_EQ(TransitionOldPicture(), nullptr);
        EXPECT_FALSE(pc->SkinData()->FUpdating);
        EXPECT_FALSE(AnimationRunning);
        PumpFor(50);
        EXPECT_TRUE(IsWindowVisible(sheet->Handle()));
    }
}
