// The Shifter tab end to end: real mouse drags of the grid lines, the packet Save sends, the
// LED mask, calibration, gear bits and the position marker, against the simulated shifter.
#include <algorithm>
#include <cstring>

#include "app/shifter_page.h"
#include "tests/app/sim_window_fixture.h"

using namespace simwindow;

namespace {

class ShifterPageTest : public SimWindowTest {
protected:
    // Starts the window with the shifter streaming and shows the Shifter tab; returns once the
    // one configuration reading that showing the tab asks for has arrived and been stopped.
    void ShowShifterTab()
    {
        sim.StartStreams(0);   // no telemetry, the shifter's 100 reports a second
        Start();
        page = form->ShifterPage;
        ASSERT_NE(page, nullptr);
        form->PageControl->SetActivePage(form->TabShifter);
        ASSERT_TRUE(PumpUntil([&] {
            return page->shifterX1->Caption() == L"1024" && Shifter()->Firmware().State().shifterStream < 0 &&
                   form->Protocol().ProfileLoading.Values(L"LoadShifter") == L"0";
        }));
        PumpFor(150);   // a tick of the marker timer
    }

    // Presses the mouse on the line's middle and drags it by (dx, dy) in a few moves.
    void Drag(TLine* line, int dx, int dy)
    {
        const TPoint from = line->Parent()->ClientToScreen(
            TPoint(line->Left() + line->Width() / 2, line->Top() + line->Height() / 2));
        MouseTo(from.x, from.y);
        PumpFor(40);
        MouseButton(true);
        PumpFor(40);
        for (int i = 1; i <= 5; ++i) {
            MouseTo(from.x + dx * i / 5, from.y + dy * i / 5);
            PumpFor(30);
        }
        MouseButton(false);
        PumpFor(60);
    }

    void Select(int statIndex)
    {
        page->comboDebugStat->SetItemIndex(statIndex);
        page->comboDebugStatChange(page->comboDebugStat);
    }

    // Toggles a check box as a click does.
    static void ClickBox(TCheckBox* box) { SendMessageW(box->Handle(), BM_CLICK, 0, 0); }

    std::vector<uint8_t> LastShifterWrite()
    {
        auto writes = Packets(Shifter(), CmdWrite);
        return writes.empty() ? std::vector<uint8_t>{} : writes.back();
    }

    TShifterPage* page = nullptr;
};

uint32_t MaskOf(const std::vector<uint8_t>& packet)
{
    uint32_t v = 0;
    std::memcpy(&v, packet.data() + 8 + 12, 4);
    return v;
}

}  // namespace

TEST_F(ShifterPageTest, DraggedLinesAreSavedAsTheExactShifterPacket)
{
    ShowShifterTab();
    // The shifter's own grid (1024, 2048, 3072 / 1365, 2730) at 16 units a pixel.
    EXPECT_EQ(page->x1->Left(), 64);
    EXPECT_EQ(page->x2->Left(), 128);
    EXPECT_EQ(page->x3->Left(), 192);
    EXPECT_EQ(page->y1->Top(), 85);
    EXPECT_EQ(page->y2->Top(), 170);

    struct Move {
        TLine* line;
        int dx, dy;
        int expected;   // Left or Top after the drag
    } moves[] = {
        {page->x2, 30, 0, 158},    // free movement
        {page->x2, 100, 0, 182},   // stops 10 before x3
        {page->x3, 200, 0, 236},   // stops 20 before the grid's right edge
        {page->y1, 0, -200, 10},   // stops 10 below the top
        {page->y2, 0, 200, 236},   // stops 20 above the bottom
    };
    for (const Move& m : moves) {
        Drag(m.line, m.dx, m.dy);
        EXPECT_EQ(m.dx ? m.line->Left() : m.line->Top(), m.expected) << "move " << (&m - moves);
        EXPECT_FALSE(page->Dragging());
    }
    PumpFor(150);
    EXPECT_EQ(page->gridX2->Caption(), L"182");
    EXPECT_EQ(page->gridY1->Caption(), L"10");
    testing_support::SaveScreenshot(form->Handle(), L"shifter_page", true);
    // On screen: x2's line now at 182 + 10, none left where it started (128 + 10).
    using testing_support::ColorDistance;
    using testing_support::PixelAt;
    const HWND grid = page->ShifterGrid->Handle();
    EXPECT_LE(ColorDistance(PixelAt(grid, 192, 128), page->x2->LineColor()), 16);
    EXPECT_LE(ColorDistance(PixelAt(grid, 138, 128), PixelAt(grid, 5, 60)), 16);
    EXPECT_LE(ColorDistance(PixelAt(grid, 128, 20), page->y1->LineColor()), 16);

    Shifter()->Firmware().ClearReceived();
    page->btnShifterSave->Click();
    ASSERT_TRUE(PumpUntil([&] { return !LastShifterWrite().empty() && !Packets(Shifter(), CmdAck).empty(); }));

    const std::vector<uint8_t> expected = {
        0x14, 36, 6, 0x01, 0x00, 0x00, 0x06, 27,   // Profile 1's slot, write, param 6, 27 bytes
        0x00,                                      // H-Pattern
        0x00, 0x04,                                // x1 64 -> 1024
        0x60, 0x0B,                                // x2 182 -> 2912
        0xC0, 0x0E,                                // x3 236 -> 3776
        0xA0, 0x00,                                // y1 10 -> 160
        0xC0, 0x0E,                                // y2 236 -> 3776
        0x01,                                      // LED on, as the shifter reported
        0x00, 0x00, 0x00, 0x80,                    // "Halloween Eyes"
        0x00,                                      // analog mode off
        0, 0, 0, 0, 0, 0, 0, 0,                    // analog limits are never sent
        0x00,                                      // inversion None
        0x08,                                      // filter factor
        0x69,                                      // first payload byte XOR 0x69
    };
    EXPECT_EQ(LastShifterWrite(), expected);
    EXPECT_EQ(Shifter()->Firmware().State().shifter.x2, 2912);
    // Then the stream stops: the selector shows "Select Report" and 241 is acknowledged.
    EXPECT_EQ(page->comboDebugStat->ItemIndex(), 0);
    EXPECT_EQ(Packets(Shifter(), CmdAck).back()[5], RqShifter);
    EXPECT_EQ(Rejected(Shifter()), 0);

    EXPECT_EQ(ReadSetting(L"Shifter", L"x1"), L"64");
    EXPECT_EQ(ReadSetting(L"Shifter", L"x2"), L"182");
    EXPECT_EQ(ReadSetting(L"Shifter", L"x3"), L"236");
    EXPECT_EQ(ReadSetting(L"Shifter", L"y1"), L"10");
    EXPECT_EQ(ReadSetting(L"Shifter", L"y2"), L"236");
    EXPECT_EQ(ReadSetting(L"Shifter", L"EnableLED"), L"1");

    // A second Save without changes sends the same packet again.
    page->btnShifterSave->Click();
    ASSERT_TRUE(PumpUntil([&] { return Packets(Shifter(), CmdWrite).size() == 2; }));
    EXPECT_EQ(LastShifterWrite(), expected);
}

TEST_F(ShifterPageTest, ConfigurationDuringADragMovesOnlyTheOtherLines)
{
    ShowShifterTab();
    // Hold x2 after moving it 20 to the right.
    const TPoint from = page->ShifterGrid->ClientToScreen(
        TPoint(page->x2->Left() + page->x2->Width() / 2, page->x2->Top() + page->x2->Height() / 2));
    MouseTo(from.x, from.y);
    PumpFor(40);
    MouseButton(true);
    PumpFor(40);
    MouseTo(from.x + 20, from.y);
    ASSERT_TRUE(PumpUntil([&] { return page->x2->Left() == 148; }));

    auto cfg = Shifter()->Firmware().State().shifter;
    cfg.x1 = 512, cfg.x2 = 1600, cfg.x3 = 3584, cfg.y1 = 1600, cfg.y2 = 3200;
    Shifter()->InjectReport(ReplyReport(ShifterReplyConfig, RqShifter, cfg));
    ASSERT_TRUE(PumpUntil([&] { return page->shifterX1->Caption() == L"512"; }));
    EXPECT_TRUE(page->Dragging());
    EXPECT_EQ(page->x2->Left(), 148);   // where the mouse has it
    EXPECT_EQ(page->x1->Left(), 32);
    EXPECT_EQ(page->x3->Left(), 224);
    EXPECT_EQ(page->y1->Top(), 100);
    EXPECT_EQ(page->y2->Top(), 200);

    MouseButton(false);
    ASSERT_TRUE(PumpUntil([&] { return !page->Dragging(); }));
    // Once released, the shifter's next configuration moves x2 as well.
    Shifter()->InjectReport(ReplyReport(ShifterReplyConfig, RqShifter, cfg));
    ASSERT_TRUE(PumpUntil([&] { return page->x2->Left() == 100; }));
}

TEST_F(ShifterPageTest, ConfigurationAndFirmwareRepliesFillTheControlsAndPlaceTheGears)
{
    ShowShifterTab();
    struct Row {
        TShifterConfig cfg;
        bool sequential;
        int oddTop, evenTop;
        int columns[4];   // Left of gears 1/2, 3/4, 5/6, 7/8 (sequential: 1/2 only)
    } rows[] = {
        // Odd gears sit half way down to y1, less 15: with y1 at its top limit that is above
        // the grid.
        {{0, 1024, 2048, 3072, 160, 3776, true, 0, false, 100, 4000, 200, 3900, 1, 0}, false, -10, 231,
         {32, 96, 160, 224}},
        {{1, 1024, 2048, 3072, 1360, 2720, false, 0, true, 1, 2, 3, 4, 3, 200}, true, 27, 198, {128}},
    };
    for (const Row& r : rows) {
        const int index = static_cast<int>(&r - rows);
        // The shifter's gear reports tell its type too: they agree with the configuration.
        auto state = Shifter()->Firmware().State();
        state.shifter = r.cfg;
        Shifter()->Firmware().SetState(state);
        Shifter()->InjectReport(ReplyReport(ShifterReplyPosition, RqShifter, TShifterPosition{300, 400}));
        ASSERT_TRUE(PumpUntil([&] { return page->ShifterX->Caption() == L"300"; }));
        Shifter()->InjectReport(ReplyReport(ShifterReplyConfig, RqShifter, r.cfg));
        ASSERT_TRUE(PumpUntil([&] { return page->shifterY1->Caption() == IntToStr(r.cfg.y1); })) << index;
        EXPECT_EQ(page->ShifterType->ItemIndex(), r.cfg.shifterType) << index;
        EXPECT_EQ(page->comboInversionMode->ItemIndex(), r.cfg.inversionMode) << index;
        EXPECT_EQ(page->filterFactor->Value(), r.cfg.filterFactor) << index;
        EXPECT_EQ(page->chkAnalogMode->Checked(), r.cfg.analogMode) << index;
        EXPECT_EQ(page->chkEnableLED->Checked(), r.cfg.enableLed) << index;
        EXPECT_EQ(page->ASXmin->Caption(), IntToStr(r.cfg.analogXMin)) << index;
        EXPECT_EQ(page->ASXmax->Caption(), IntToStr(r.cfg.analogXMax)) << index;
        EXPECT_EQ(page->ASYmin->Caption(), IntToStr(r.cfg.analogYMin)) << index;
        EXPECT_EQ(page->ASYmax->Caption(), IntToStr(r.cfg.analogYMax)) << index;
        EXPECT_EQ(page->ShifterX->Caption(), L"-1") << index;
        EXPECT_EQ(page->ShifterY->Caption(), L"-1") << index;

        PumpFor(150);   // a tick of the label timer
        for (int gear = 1; gear <= 8; ++gear) {
            TsLabel* l = page->lblGear[static_cast<size_t>(gear - 1)];
            const bool shown = !r.sequential || gear <= 2;
            EXPECT_EQ(l->Visible(), shown) << index << " gear " << gear;
            if (!shown) continue;
            EXPECT_EQ(l->Left(), r.columns[(gear - 1) / 2]) << index << " gear " << gear;
            EXPECT_EQ(l->Top(), gear % 2 ? r.oddTop : r.evenTop) << index << " gear " << gear;
        }
    }

    Shifter()->InjectReport(ReplyReport(ShifterReplyFirmware, RqShifter, TFirmwareVersion{1, 20, 3, 255}));
    ASSERT_TRUE(PumpUntil([&] { return page->shifterFWVersion->Caption() == L"1.20.3.255"; }));
}

TEST_F(ShifterPageTest, LedBoxesMakeTheMaskShownAndSent)
{
    ShowShifterTab();
    ASSERT_TRUE(page->chkEnableLED->Checked());

    struct Row {
        std::vector<int> boxes;   // 0 = "Halloween Eyes" .. 9 = "Strobe"
        uint32_t mask;
    } rows[] = {
        {{}, 0},
        {{0}, 0x80000000u},
        {{9}, 0x00400000u},
        {{0, 9}, 0x80400000u},
        {{1, 2, 3, 4, 5, 6, 7, 8}, 0x7F800000u},
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0xFFC00000u},
        {{3, 5}, 0x14000000u},
    };
    for (const Row& r : rows) {
        for (int n = 0; n < LedEffectCount; ++n) {
            TCheckBox* box = page->chkLedEffect[static_cast<size_t>(n)];
            const bool want = std::find(r.boxes.begin(), r.boxes.end(), n) != r.boxes.end();
            if (box->Checked() != want) ClickBox(box);
        }
        PumpFor(20);
        EXPECT_EQ(form->totalEffects, r.mask);
        EXPECT_EQ(Panel(TMainForm::PanelLedMask), UIntToStr(r.mask));
    }
    page->btnShifterSave->Click();
    ASSERT_TRUE(PumpUntil([&] { return !LastShifterWrite().empty(); }));
    EXPECT_EQ(MaskOf(LastShifterWrite()), 0x14000000u);

    // A configuration from the shifter: bits below 22 are no effects.
    auto cfg = Shifter()->Firmware().State().shifter;
    cfg.ledEffects = 0x00400000u | 0x003FFFFFu;
    Shifter()->InjectReport(ReplyReport(ShifterReplyConfig, RqShifter, cfg));
    ASSERT_TRUE(PumpUntil([&] { return page->chkLedEffect[9]->Checked(); }));
    for (int n = 0; n < 9; ++n) EXPECT_FALSE(page->chkLedEffect[static_cast<size_t>(n)]->Checked()) << n;
    EXPECT_EQ(Panel(TMainForm::PanelLedMask), L"4194304");
}

TEST_F(ShifterPageTest, CalibrationStartsAndFinishesFromEverySelector)
{
    ShowShifterTab();
    const std::vector<uint8_t> calibrate{0x14, 9, 0, CmdCalibrate, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> readConfig{0x14, 9, 0, CmdRead, ShifterStatConfig, RqShifter, 0, 0, 0};
    const std::vector<uint8_t> finish{0x14, 9, 0, CmdFinishCalibration, 0, 0, 0, 0, 0};
    struct Row {
        int before;           // report selector when Calibrate is pressed
        uint8_t finishRead;   // selector read after Finish: the one chosen before
        bool streamAfter;     // the shifter streams after Finish
    } rows[] = {
        {TShifterPage::StatConfig, ShifterStatConfig, true},
        // "Select Report": selector 255, which the shifter takes as the end of its stream.
        {TShifterPage::StatNone, ShifterStatNone, false},
        {TShifterPage::StatPosition, ShifterStatPosition, true},
        {TShifterPage::StatFirmware, ShifterStatFirmware, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.before);
        Select(r.before);
        PumpFor(50);
        Shifter()->Firmware().ClearReceived();

        page->btnShifterCalibrate->Click();
        ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Shifter()).size() >= 2; }));
        EXPECT_EQ(PacketsOf(Shifter()), (std::vector<std::vector<uint8_t>>{calibrate, readConfig}));
        EXPECT_EQ(page->btnShifterCalibrate->Caption(), L"Finish");
        EXPECT_EQ(page->comboDebugStat->ItemIndex(), TShifterPage::StatConfig);
        EXPECT_TRUE(Shifter()->Firmware().State().shifterCalibrating);
        EXPECT_EQ(Shifter()->Firmware().State().shifterStream, ShifterStatConfig);

        page->btnShifterCalibrate->Click();
        ASSERT_TRUE(PumpUntil([&] { return PacketsOf(Shifter()).size() >= 4; }));
        const std::vector<uint8_t> readAfter{0x14, 9, 0, CmdRead, r.finishRead, RqShifter, 0, 0, 0};
        EXPECT_EQ(PacketsOf(Shifter()), (std::vector<std::vector<uint8_t>>{calibrate, readConfig, finish, readAfter}));
        EXPECT_EQ(page->btnShifterCalibrate->Caption(), L"Calibrate");
        EXPECT_EQ(page->comboDebugStat->ItemIndex(), r.before);
        const auto state = Shifter()->Firmware().State();
        EXPECT_FALSE(state.shifterCalibrating);
        EXPECT_EQ(state.shifterStream, r.streamAfter ? r.finishRead : -1);
        EXPECT_EQ(Rejected(Shifter()), 0);
    }
    Select(TShifterPage::StatNone);
}

// The shifter sets gear bit 10 in every report while in H-pattern mode and never in
// sequential mode; the page lights the gears from the bits and takes the type from bit 10.
TEST_F(ShifterPageTest, GearBitTenTellsTheShifterType)
{
    ShowShifterTab();
    auto lit = [&] {
        std::vector<int> gears;
        for (int g = 1; g <= TShifterPage::GearCount; ++g) {
            TsLabel* l = page->lblGear[static_cast<size_t>(g - 1)];
            if (!l->UseSkinColor() && l->Font()->Color() == TShifterPage::MarkedGearColor) gears.push_back(g);
        }
        return gears;
    };
    struct Row {
        uint8_t mode;   // the shifter's type: 0 H-pattern, 1 sequential
        int gear;       // 0: neutral
        std::vector<int> lit;
    } rows[] = {
        {0, 0, {11}},   // neutral in H-pattern mode: only bit 10
        {0, 1, {1, 11}},
        {0, 4, {4, 11}},
        {0, 9, {9, 11}},
        {0, 11, {11}},
        {1, 0, {}},     // neutral in sequential mode: no bit at all
        {1, 1, {1}},
        {1, 2, {2}},
        {1, 10, {10}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << int(r.mode) << " gear " << r.gear);
        auto state = Shifter()->Firmware().State();
        state.shifter.shifterType = r.mode;
        Shifter()->Firmware().SetState(state);
        Shifter()->Firmware().SetGear(r.gear);
        const int type = r.mode == 0 ? TShifterPage::TypeHPattern : TShifterPage::TypeSequential;
        ASSERT_TRUE(PumpUntil([&] { return lit() == r.lit && page->ShifterType->ItemIndex() == type; }));
        // Within a tick of the page's timer the vertical lines follow the type.
        ASSERT_TRUE(PumpUntil([&] {
            return page->x1->Visible() == (r.mode == 0) && page->x2->Visible() == (r.mode == 0) &&
                   page->x3->Visible() == (r.mode == 0);
        }));
    }

    // Save sends what the page shows: in sequential mode the hidden lines go as 0.
    for (const uint8_t mode : {uint8_t(1), uint8_t(0)}) {
        SCOPED_TRACE(int(mode));
        auto state = Shifter()->Firmware().State();
        state.shifter.shifterType = mode;
        Shifter()->Firmware().SetState(state);
        const int type = mode == 0 ? TShifterPage::TypeHPattern : TShifterPage::TypeSequential;
        ASSERT_TRUE(PumpUntil([&] { return page->ShifterType->ItemIndex() == type && page->x1->Visible() == (mode == 0); }));
        Shifter()->Firmware().ClearReceived();
        page->btnShifterSave->Click();
        ASSERT_TRUE(PumpUntil([&] { return !LastShifterWrite().empty(); }));
        const std::vector<uint8_t> lines = mode == 0 ? std::vector<uint8_t>{0x00, 0x04, 0x00, 0x08, 0x00, 0x0C}
                                                     : std::vector<uint8_t>{0, 0, 0, 0, 0, 0};
        std::vector<uint8_t> expected{0x14, 36, 6, CmdWrite, 0x00, 0x00, 0x06, 27, mode};
        expected.insert(expected.end(), lines.begin(), lines.end());
        const std::vector<uint8_t> rest{0x50, 0x05, 0xA0, 0x0A,   // y1 85 -> 1360, y2 170 -> 2720
                                        0x01, 0x00, 0x00, 0x00, 0x80, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x08};
        expected.insert(expected.end(), rest.begin(), rest.end());
        expected.push_back(static_cast<uint8_t>(mode ^ CheckXor));
        EXPECT_EQ(LastShifterWrite(), expected);
        EXPECT_EQ(Shifter()->Firmware().State().shifter.shifterType, mode);
    }
    EXPECT_EQ(Rejected(Shifter()), 0);
}

TEST_F(ShifterPageTest, PositionStreamMovesTheMarker)
{
    ShowShifterTab();
    struct Row {
        uint16_t x, y;
        int gridX, gridY, markerTop;
    } rows[] = {
        {4095, 0, 240, 0, 0},   // x capped at 240, top clamped from -15
        {2048, 1024, 128, 64, 49},
        {100, 4095, 6, 255, 240},
    };
    Select(TShifterPage::StatPosition);
    for (const Row& r : rows) {
        Shifter()->Firmware().SetShifterPosition(r.x, r.y);
        ASSERT_TRUE(PumpUntil([&] {
            return page->ShifterX->Caption() == IntToStr(r.x) && page->ShifterY->Caption() == IntToStr(r.y);
        }));
        EXPECT_EQ(page->GridX->Caption(), IntToStr(r.gridX));
        EXPECT_EQ(page->GridY->Caption(), IntToStr(r.gridY));
        EXPECT_EQ(page->shifterX1->Caption(), L"-1");
        ASSERT_TRUE(PumpUntil([&] {
            return page->ShifterOnline->Visible() && page->ShifterOnline->Left() == r.gridX &&
                   page->ShifterOnline->Top() == r.markerTop;
        }));
        EXPECT_FALSE(page->ShifterOffline->Visible());
    }
    // Another report hides the online marker; stopping the stream ends the replies.
    Select(TShifterPage::StatNone);
    ASSERT_TRUE(PumpUntil([&] { return Shifter()->Firmware().State().shifterStream < 0; }));
    PumpFor(150);
    EXPECT_FALSE(page->ShifterOnline->Visible());

    // Without a shifter the offline marker shows.
    sim.Unplug(Shifter());
    ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelShifter) == L"Disconnected"; }));
    ASSERT_TRUE(PumpUntil([&] { return page->ShifterOffline->Visible() && !page->ShifterOnline->Visible(); }));
}

TEST_F(ShifterPageTest, TrailsStayOnTheGridUntilSwitchedOff)
{
    using testing_support::BitmapsMatch;
    using testing_support::CaptureWindow;
    ShowShifterTab();
    // The grid's background as the skin paints it, from a spot clear of lines and labels.
    const TColor background = testing_support::PixelAt(page->ShifterGrid->Handle(), 5, 60);
    // The marker picture over the grid's background, as the trail should look.
    TBitmap marker;
    marker.SetPixelFormat(pf32bit);
    marker.SetSize(16, 16);
    marker.Canvas()->Brush()->SetColor(background);
    marker.Canvas()->FillRect(TRect(0, 0, 16, 16));
    form->Images->Draw(marker.Canvas(), 0, 0, 0, true);
    TBitmap blank;
    blank.SetPixelFormat(pf32bit);
    blank.SetSize(16, 16);
    blank.Canvas()->Brush()->SetColor(background);
    blank.Canvas()->FillRect(TRect(0, 0, 16, 16));
    // Every tick draws the marker again at the same place, so its soft edge darkens; its
    // opaque core (the middle 8 x 8) and its transparent corners do not change.
    auto region = [&](TBitmap& source, int x, int y, int size) {
        auto part = std::make_unique<TBitmap>();
        part->SetPixelFormat(pf32bit);
        part->SetSize(size, size);
        part->Canvas()->CopyRect(TRect(0, 0, size, size), source.Canvas(), TRect(x, y, x + size, y + size));
        return part;
    };
    auto looksLikeMarker = [&](TBitmap& shot, const TPoint& p) {
        testing_support::TBitmapDiff diff;
        const bool core = BitmapsMatch(*region(shot, p.x + 4, p.y + 4, 8), *region(marker, 4, 4, 8), 24, &diff);
        bool corners = true;
        for (const TPoint c : {TPoint(0, 0), TPoint(15, 0), TPoint(0, 15), TPoint(15, 15)})
            corners = corners && testing_support::ColorDistance(testing_support::PixelAt(shot, p.x + c.x, p.y + c.y),
                                                                background) <= 8;
        return core && corners;
    };

    SendMessageW(page->chkTrails->Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(page->chkTrails->Checked());
    Select(TShifterPage::StatPosition);
    // Two spots clear of lines and labels: marker corners (90, 120) and (20, 130).
    const TPoint spots[] = {{90, 120}, {20, 130}};
    for (const TPoint& p : spots) {
        Shifter()->Firmware().SetShifterPosition(static_cast<uint16_t>(p.x * 16), static_cast<uint16_t>((p.y + 15) * 16));
        ASSERT_TRUE(PumpUntil([&] { return page->GridX->Caption() == IntToStr(p.x); }));
        PumpFor(300);
    }
    EXPECT_FALSE(page->ShifterOnline->Visible() || page->ShifterOffline->Visible());
    auto shot = CaptureWindow(page->ShifterGrid->Handle());
    testing_support::SaveArtifact(*shot, L"shifter_trails");
    for (const TPoint& p : spots) EXPECT_TRUE(looksLikeMarker(*shot, p)) << p.x;

    // Switching trails off repaints the grid: the first spot is bare again.
    SendMessageW(page->chkTrails->Handle(), BM_CLICK, 0, 0);
    PumpFor(300);
    shot = CaptureWindow(page->ShifterGrid->Handle());
    EXPECT_TRUE(BitmapsMatch(*region(*shot, spots[0].x, spots[0].y, 16), blank, 8));
    EXPECT_TRUE(page->ShifterOnline->Visible());
    Select(TShifterPage::StatNone);
}

TEST_F(ShifterPageTest, FactoryResetTellsTheUserToReplug)
{
    ShowShifterTab();
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> sawText{false};
    TSideThread closer([&] {
        HWND box = WaitForWindow(mainThread, L"#32770");
        if (!box) return;
        wchar_t text[128] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 128);
        sawText = wcscmp(text, L"Device has been reset. Please re-plug.") == 0;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    page->btnFactoryReset->Click();
    ASSERT_TRUE(PumpUntil([&] { return Shifter()->Firmware().State().factoryResets == 1; }));
    EXPECT_TRUE(sawText);
    EXPECT_EQ(Packets(Shifter(), CmdFactoryReset).size(), 1u);
}
