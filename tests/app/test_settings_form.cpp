// The preferences window end to end: the general block read on show, written and saved on
// OK, Escape sending nothing, modal and centred on the main window.
#include <cstring>

#include "tests/app/sim_window_fixture.h"

using namespace simwindow;

namespace {

class SettingsFormTest : public SimWindowTest {
protected:
    void SetGeneral(const TGeneralConfig& g)
    {
        auto state = Wheel()->Firmware().State();
        state.general = g;
        Wheel()->Firmware().SetState(state);
    }
    size_t GeneralReads() { return Packets(Wheel(), CmdRead, BlockGeneral, RqGeneral).size(); }
    bool Shows(double multiplier, bool posFix, bool debug)
    {
        return FormSettings->forceMultiplier->Value() == multiplier &&
               FormSettings->chkEnableEncoderPosFix->Checked() == posFix && FormSettings->chkEnableDebug->Checked() == debug;
    }
};

}  // namespace

TEST_F(SettingsFormTest, GeneralBlockRoundTrips)
{
    SetGeneral({42.5f, true, false});
    Start();
    EXPECT_EQ(FormSettings->forceMultiplier->Value(), 15.0);   // before the device answered
    const std::pair<const wchar_t*, TComponent*> named[] = {
        {L"forceMultiplier", FormSettings->forceMultiplier}, {L"chkEnableEncoderPosFix", FormSettings->chkEnableEncoderPosFix},
        {L"chkEnableDebug", FormSettings->chkEnableDebug},   {L"btnOK", FormSettings->btnOK},
        {L"btnCancel", FormSettings->btnCancel},
    };
    for (const auto& [name, control] : named) EXPECT_EQ(FormSettings->FindComponent(name), control) << name;

    FormSettings->Show();
    ASSERT_TRUE(PumpUntil([&] { return Shows(42.5, true, false); }));
    EXPECT_EQ(GeneralReads(), 1u);
    auto read = Packets(Wheel(), CmdRead, BlockGeneral, RqGeneral).back();
    EXPECT_EQ(read, (std::vector<uint8_t>{0x14, 9, 6, 0x00, 6, 230, 3, 0, 0}));
    PumpFor(100);
    testing_support::SaveScreenshot(FormSettings->Handle(), L"preferences_window", true);

    // OK with 15 and both boxes off: the write for the profile's slot, then the hardware save.
    FormSettings->forceMultiplier->SetValue(15);
    FormSettings->chkEnableEncoderPosFix->SetChecked(false);
    Wheel()->Firmware().ClearReceived();
    FormSettings->btnOK->Click();
    ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Wheel()).size() >= 2; }));
    const auto sent = PacketsOf(Wheel());
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0x14, 15, 6, 0x01, 0x00, 0x00, 5, 6, 0x00, 0x00, 0x70, 0x41, 0, 0,
                                             0x00 ^ 0x69}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0x14, 9, 11, 0x03, 0, 254, 255, 0, 0}));
    EXPECT_FALSE(FormSettings->Visible());
    const auto general = Wheel()->Firmware().State().general;
    EXPECT_EQ(general.forceMultiplier, 15.0f);
    EXPECT_FALSE(general.encoderPosFix);
    EXPECT_FALSE(general.debugMode);

    // Opening again reads the block again and shows what was written.
    FormSettings->forceMultiplier->SetValue(99);
    FormSettings->Show();
    ASSERT_TRUE(PumpUntil([&] { return Shows(15, false, false); }));
    EXPECT_EQ(GeneralReads(), 1u);   // counted since ClearReceived
    FormSettings->btnCancel->Click();
    EXPECT_FALSE(FormSettings->Visible());

    // A reply while the window is closed still reaches its controls.
    Wheel()->InjectReport(ReplyReport(BlockGeneral, RqUnsolicited, TGeneralConfig{77.0f, true, true}));
    ASSERT_TRUE(PumpUntil([&] { return Shows(77, true, true); }));
    // A block whose multiplier is no number is reported and changes nothing.
    Wheel()->InjectReport(ReplyReport(BlockGeneral, RqUnsolicited,
                                      TGeneralConfig{std::numeric_limits<float>::quiet_NaN(), false, false}));
    ASSERT_TRUE(PumpUntil([&] { return form->sysLog->Text().find(L"not a number") != String::npos; }));
    EXPECT_TRUE(Shows(77, true, true));
}

TEST_F(SettingsFormTest, ANaNMultiplierIsStillAcknowledged)
{
    SetGeneral({std::numeric_limits<float>::quiet_NaN(), true, true});
    Start();
    FormSettings->forceMultiplier->SetValue(33);
    Wheel()->Firmware().ClearReceived();
    FormSettings->Show();
    // The reply to the read is logged, changes nothing, and is acknowledged all the same, so
    // the wheel base does not repeat it.
    ASSERT_TRUE(PumpUntil([&] { return !Packets(Wheel(), CmdAck, -1, RqGeneral).empty(); }));
    EXPECT_FALSE(form->Protocol().IsPending(RqGeneral));
    EXPECT_TRUE(PumpUntil([&] { return form->sysLog->Text().find(L"not a number") != String::npos; }));
    EXPECT_TRUE(Shows(33, false, false));
    FormSettings->btnCancel->Click();
}

TEST_F(SettingsFormTest, ModalCentredAndEscapeSendsNothing)
{
    SetGeneral({20.0f, false, true});
    Start();
    const DWORD mainThread = GetCurrentThreadId();
    const HWND mainWnd = form->Handle();
    for (int round = 1; round <= 2; ++round) {
        Wheel()->Firmware().ClearReceived();
        std::atomic<bool> mainDisabled{false};
        std::atomic<int> centreDx{999}, centreDy{999};
        TSideThread escaper([&] {
            const DWORD end = GetTickCount() + 5000;
            HWND dlg = nullptr;
            while (GetTickCount() < end && !dlg) {
                HWND h = FormSettings->HandleAllocated() ? FormSettings->Handle() : nullptr;
                if (h && IsWindowVisible(h)) dlg = h;
                Sleep(20);
            }
            if (!dlg) return;
            Sleep(300);   // the read's reply comes and goes
            mainDisabled = !IsWindowEnabled(mainWnd);
            RECT a, b;
            GetWindowRect(dlg, &a);
            GetWindowRect(mainWnd, &b);
            centreDx = (a.left + a.right) / 2 - (b.left + b.right) / 2;
            centreDy = (a.top + a.bottom) / 2 - (b.top + b.bottom) / 2;
            // The key goes to the focused control, as typed; the window sees it first.
            GUITHREADINFO gti{sizeof(gti)};
            GetGUIThreadInfo(mainThread, &gti);
            HWND target = gti.hwndFocus ? gti.hwndFocus : dlg;
            PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        });
        const TModalResult result = FormSettings->ShowModal();
        EXPECT_EQ(result, mrAbort) << "round " << round;
        EXPECT_TRUE(mainDisabled) << "round " << round;
        EXPECT_LE(std::abs(centreDx.load()), 1) << "round " << round;
        EXPECT_LE(std::abs(centreDy.load()), 1) << "round " << round;
        EXPECT_TRUE(Shows(20, false, true)) << "round " << round;
        PumpFor(100);
        // Only the read: no write, no save.
        EXPECT_EQ(GeneralReads(), 1u) << "round " << round;
        EXPECT_TRUE(Packets(Wheel(), CmdWrite).empty()) << "round " << round;
        EXPECT_TRUE(Packets(Wheel(), CmdSaveProfile).empty()) << "round " << round;
        EXPECT_TRUE(IsWindowEnabled(mainWnd));
    }
}
