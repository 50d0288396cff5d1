#include "app/shifter_page.h"

#include <algorithm>
#include <cmath>

#include "app/app_resources.h"
#include "app/main_form.h"
#include "skin/engine/command_delivery.h"
#include "vcl/dialogs.h"
#include "vcl/streams.h"

namespace {

// Device units (0..4096) to grid pixels and back: 16 units a pixel.
int ToGrid(int deviceValue)
{
    return MapRange(deviceValue, 0, 4096, 0, TShifterPage::GridSize);
}

uint16_t ToDevice(int gridValue)
{
    return static_cast<uint16_t>(std::clamp(MapRange(gridValue, 0, TShifterPage::GridSize, 0, 4096), 0, 0xFFFF));
}

TPoint CursorPos()
{
    POINT p{};
    GetCursorPos(&p);
    return p;
}

}  // namespace

// ---- Building ------------------------------------------------------------------------------

TsLabel* TShifterPage::AddLabel(TWinControl* parent, const String& caption, int x, int y, int width)
{
    auto* l = new TsLabel(FForm);
    l->SetParent(parent);
    l->SetCaption(caption);
    if (width > 0) {
        l->SetAutoSize(false);
        l->SetBounds(x, y, width, 16);
    } else {
        l->SetLeft(x);
        l->SetTop(y);
    }
    return l;
}

TsLabel* TShifterPage::AddValue(TWinControl* parent, const String& caption, const String& name, int x, int y)
{
    AddLabel(parent, caption, x, y, 70);
    TsLabel* value = AddLabel(parent, L"-1", x + 72, y, 60);
    value->SetName(name);
    return value;
}

TLine* TShifterPage::AddLine(const String& name, bool vertical, int position)
{
    auto* line = new TLine(FForm);
    line->SetName(name);
    line->SetParent(ShifterGrid);
    // 300 long: the line (inset 10 at each end) spans the whole grid wherever it sits.
    if (vertical)
        line->SetBounds(position, -22, 20, 300);
    else
        line->SetBounds(-22, position, 300, 20);
    line->SetLineWidth(2);
    line->SetLineColor(clGray);
    line->SetCursor(vertical ? crSizeWE : crSizeNS);
    line->OnMouseUp = Bind<&TShifterPage::GridLineMouseUp>(this);
    return line;
}

TShifterPage::TShifterPage(TMainForm* form, TWinControl* sheet) : TComponent(form), FForm(form)
{
    // ---- The grid
    ShifterGrid = new TsPanel(form);
    ShifterGrid->SetName(L"ShifterGrid");
    ShifterGrid->SetParent(sheet);
    ShifterGrid->SetBounds(12, 32, GridSize, GridSize);
    ShifterGrid->SetBevelOuter(bvNone);
    ShifterGrid->SetShowCaption(false);
    ShifterGrid->SetColor(clWindow);

    static const int kGearLeft[8] = {20, 20, 75, 75, 140, 140, 205, 205};
    for (int i = 0; i < GearCount; ++i) {
        const bool inGrid = i < 8;
        TsLabel* l = AddLabel(inGrid ? static_cast<TWinControl*>(ShifterGrid) : sheet, IntToStr(i + 1),
                              inGrid ? kGearLeft[i] : 12 + 40 + 70 * (i - 8), inGrid ? (i % 2 ? 198 : 24) : 32 + GridSize + 8);
        l->SetName(L"lblGear" + IntToStr(i + 1));
        l->Font()->SetSize(12);
        l->Font()->SetStyle({fsBold});
        l->SetTransparent(true);
        lblGear[static_cast<size_t>(i)] = l;
    }

    x1 = AddLine(L"x1", true, 43);
    x2 = AddLine(L"x2", true, 112);
    x3 = AddLine(L"x3", true, 175);
    y1 = AddLine(L"y1", false, 80);
    y2 = AddLine(L"y2", false, 164);
    x1->OnMouseDown = Bind<&TShifterPage::x1MouseDown>(this);
    x2->OnMouseDown = Bind<&TShifterPage::x2MouseDown>(this);
    x3->OnMouseDown = Bind<&TShifterPage::x3MouseDown>(this);
    y1->OnMouseDown = Bind<&TShifterPage::y1MouseDown>(this);
    y2->OnMouseDown = Bind<&TShifterPage::y2MouseDown>(this);
    x1->OnMouseMove = Bind<&TShifterPage::x1MouseMove>(this);
    x2->OnMouseMove = Bind<&TShifterPage::x2MouseMove>(this);
    x3->OnMouseMove = Bind<&TShifterPage::x3MouseMove>(this);
    y1->OnMouseMove = Bind<&TShifterPage::y1MouseMove>(this);
    y2->OnMouseMove = Bind<&TShifterPage::y2MouseMove>(this);

    // The marks are the status images 0 (online) and 1 (offline), sized by the list at the
    // grid's PPI and composed over the grid.
    ShifterOnline = new TsImage(form);
    ShifterOnline->SetName(L"ShifterOnline");
    ShifterOnline->SetParent(ShifterGrid);
    ShifterOnline->SetBounds(0, 0, 16, 16);
    ShifterOnline->SetVisible(false);
    ShifterOffline = new TsImage(form);
    ShifterOffline->SetName(L"ShifterOffline");
    ShifterOffline->SetParent(ShifterGrid);
    ShifterOffline->SetBounds(0, 0, 16, 16);
    for (auto [mark, index] : {std::pair{ShifterOnline, 0}, std::pair{ShifterOffline, 1}}) {
        mark->SetImages(form->Images);
        mark->SetImageIndex(index);
        mark->SetAutoSize(true);
    }

    // ---- Options
    const int col2 = 290;
    auto* options = new TsGroupBox(form);
    options->SetParent(sheet);
    options->SetCaption(L"Shifter");
    options->SetBounds(col2, 32, 300, 176);
    AddLabel(options, L"Shifter Type", 12, 26, 110);
    ShifterType = new TsComboBox(form);
    ShifterType->SetName(L"ShifterType");
    ShifterType->SetParent(options);
    ShifterType->SetStyle(csDropDownList);
    ShifterType->SetBounds(126, 22, 160, 24);
    ShifterType->Items()->Add(L"H-Pattern");
    ShifterType->Items()->Add(L"Sequential");
    ShifterType->SetItemIndex(TypeHPattern);
    ShifterType->OnChange = Bind<&TShifterPage::ShifterTypeChange>(this);

    AddLabel(options, L"Inversion", 12, 56, 110);
    comboInversionMode = new TsComboBox(form);
    comboInversionMode->SetName(L"comboInversionMode");
    comboInversionMode->SetParent(options);
    comboInversionMode->SetStyle(csDropDownList);
    comboInversionMode->SetBounds(126, 52, 160, 24);
    for (const wchar_t* item : {L"None", L"X Only", L"Y Only", L"Both"}) comboInversionMode->Items()->Add(item);
    comboInversionMode->SetItemIndex(0);

    AddLabel(options, L"Filtering Factor", 12, 86, 110);
    filterFactor = new TsDecimalSpinEdit(form);
    filterFactor->SetName(L"filterFactor");
    filterFactor->SetParent(options);
    filterFactor->SetBounds(126, 82, 80, 22);
    filterFactor->SetDecimalPlaces(0);
    filterFactor->SetIncrement(1);
    filterFactor->SetMinValue(0);
    filterFactor->SetMaxValue(255);
    filterFactor->SetAllowNegative(false);
    filterFactor->SetValue(32);

    chkAnalogMode = new TsCheckBox(form);
    chkAnalogMode->SetName(L"chkAnalogMode");
    chkAnalogMode->SetParent(options);
    chkAnalogMode->SetCaption(L"Analog mode");
    chkAnalogMode->SetBounds(12, 114, 130, 20);

    chkTrails = new TsCheckBox(form);
    chkTrails->SetName(L"chkTrails");
    chkTrails->SetParent(options);
    chkTrails->SetCaption(L"Display trails");
    chkTrails->SetBounds(150, 114, 140, 20);
    chkTrails->OnClick = Bind<&TShifterPage::chkTrailsClick>(this);

    btnShifterCalibrate = new TsButton(form);
    btnShifterCalibrate->SetName(L"btnShifterCalibrate");
    btnShifterCalibrate->SetParent(options);
    btnShifterCalibrate->SetCaption(L"Calibrate");
    btnShifterCalibrate->SetBounds(12, 140, 100, 25);
    btnShifterCalibrate->OnClick = Bind<&TShifterPage::btnShifterCalibrateClick>(this);

    // ---- LED effects
    chkEnableLED = new TsGroupBox(form);
    chkEnableLED->SetName(L"chkEnableLED");
    chkEnableLED->SetParent(sheet);
    chkEnableLED->SetCaption(L"Enable LED Effects");
    chkEnableLED->SetBounds(col2, 214, 300, 166);
    chkEnableLED->SetCheckBoxVisible(true);
    chkEnableLED->SetAutoChildrenStates(csAsChecked);
    chkEnableLED->SetChecked(false);
    for (int n = 0; n < LedEffectCount; ++n) {
        auto* box = new TsCheckBox(form);
        box->SetName(L"chkLedEffect" + IntToStr(n));
        box->SetParent(chkEnableLED);
        box->SetCaption(LedEffectCaptions[n]);
        box->SetBounds(12 + 144 * (n % 2), 24 + 27 * (n / 2), 140, 20);
        box->OnClick = Bind<&TShifterPage::LedEffectClick>(this);
        chkLedEffect[static_cast<size_t>(n)] = box;
    }

    // ---- Statistics
    const int col3 = 602;
    auto* stats = new TsGroupBox(form);
    stats->SetParent(sheet);
    stats->SetCaption(L"Statistics");
    stats->SetBounds(col3, 32, 300, 348);
    comboDebugStat = new TsComboBox(form);
    comboDebugStat->SetName(L"comboDebugStat");
    comboDebugStat->SetParent(stats);
    comboDebugStat->SetStyle(csDropDownList);
    comboDebugStat->SetBounds(12, 22, 276, 24);
    for (const wchar_t* item : {L"Select Report", L"Firmware Version", L"Shifter Configuration", L"Shifter Position"})
        comboDebugStat->Items()->Add(item);
    comboDebugStat->SetItemIndex(StatNone);
    comboDebugStat->OnChange = Bind<&TShifterPage::comboDebugStatChange>(this);

    // Two sunken panels: the live position, and the configuration read from the shifter.
    auto sunken = [&](const wchar_t* name, int top, int height) {
        auto* p = new TsPanel(form);
        p->SetName(name);
        p->SetParent(stats);
        p->SetBevelOuter(bvLowered);
        p->SetShowCaption(false);
        p->SetBounds(8, top, 284, height);
        return p;
    };
    pnlStatPosition = sunken(L"pnlStatPosition", 52, 48);
    pnlStatConfig = sunken(L"pnlStatConfig", 106, 200);
    TWinControl* pos = pnlStatPosition;
    ShifterX = AddValue(pos, L"Shifter X", L"ShifterX", 4, 4);
    ShifterY = AddValue(pos, L"Shifter Y", L"ShifterY", 144, 4);
    GridX = AddValue(pos, L"Grid X", L"GridX", 4, 26);
    GridY = AddValue(pos, L"Grid Y", L"GridY", 144, 26);
    TWinControl* cfg = pnlStatConfig;
    int y = 4;
    shifterX1 = AddValue(cfg, L"Shifter X1", L"shifterX1", 4, y);
    gridX1 = AddValue(cfg, L"Grid X1", L"gridX1", 144, y);
    y += 22;
    shifterX2 = AddValue(cfg, L"Shifter X2", L"shifterX2", 4, y);
    gridX2 = AddValue(cfg, L"Grid X2", L"gridX2", 144, y);
    y += 22;
    shifterX3 = AddValue(cfg, L"Shifter X3", L"shifterX3", 4, y);
    gridX3 = AddValue(cfg, L"Grid X3", L"gridX3", 144, y);
    y += 22;
    shifterY1 = AddValue(cfg, L"Shifter Y1", L"shifterY1", 4, y);
    gridY1 = AddValue(cfg, L"Grid Y1", L"gridY1", 144, y);
    y += 22;
    shifterY2 = AddValue(cfg, L"Shifter Y2", L"shifterY2", 4, y);
    gridY2 = AddValue(cfg, L"Grid Y2", L"gridY2", 144, y);
    y += 30;
    ASXmin = AddValue(cfg, L"Analog X min", L"ASXmin", 4, y);
    ASXmax = AddValue(cfg, L"Analog X max", L"ASXmax", 144, y);
    y += 22;
    ASYmin = AddValue(cfg, L"Analog Y min", L"ASYmin", 4, y);
    ASYmax = AddValue(cfg, L"Analog Y max", L"ASYmax", 144, y);
    y += 30;
    shifterFWVersion = AddValue(cfg, L"Firmware", L"shifterFWVersion", 4, y);
    shifterFWVersion->SetCaption(L"0.0.0.0");
    shifterFWVersion->SetWidth(120);
    for (TsLabel* l : {ASXmin, ASXmax, ASYmin, ASYmax}) l->SetCaption(L"0");

    // ---- Buttons
    btnShifterSave = new TsButton(form);
    btnShifterSave->SetName(L"btnShifterSave");
    btnShifterSave->SetParent(sheet);
    btnShifterSave->SetCaption(L"Save");
    btnShifterSave->SetBounds(col2, 392, 100, 25);
    btnShifterSave->OnClick = Bind<&TShifterPage::btnShifterSaveClick>(this);
    btnFactoryReset = new TsButton(form);
    btnFactoryReset->SetName(L"btnFactoryReset");
    btnFactoryReset->SetParent(sheet);
    btnFactoryReset->SetCaption(L"Factory Reset");
    btnFactoryReset->SetBounds(col2 + 110, 392, 110, 25);
    btnFactoryReset->OnClick = Bind<&TShifterPage::btnFactoryResetClick>(this);

    ShifterPos = new TThreadTimer(form);
    ShifterPos->SetName(L"ShifterPos");
    ShifterPos->SetInterval(100);
    ShifterPos->SetKeepAlive(true);
    ShifterPos->SetOnTimer(Bind<&TShifterPage::ShifterPosTimer>(this));
    ShifterPos->SetEnabled(true);

    if (auto* tab = dynamic_cast<TTabSheet*>(sheet)) tab->OnShow = Bind<&TShifterPage::TabShifterShow>(this);
    PlaceGearLabels();
}

// ---- Reports -------------------------------------------------------------------------------

void TShifterPage::MarkGearLabel(TsLabel* label, bool marked)
{
    if (marked) {
        label->SetUseSkinColor(false);
        label->Font()->SetColor(MarkedGearColor);
    } else {
        label->SetUseSkinColor(true);
        label->Font()->SetColor(clWindowText);
    }
}

void TShifterPage::ShowGearState(uint16_t gearBits)
{
    // Bit k is gear k + 1 (bits 0..7 the H pattern, 8..10 gears 9..11). The shifter sets bit 10
    // in every report while in H-pattern mode and never in sequential mode, so the same bit
    // also shows its type.
    for (int k = 0; k < GearCount; ++k) MarkGearLabel(lblGear[static_cast<size_t>(k)], (gearBits >> k) & 1u);
    const int type = (gearBits & GearBitHPattern) ? TypeHPattern : TypeSequential;
    if (ShifterType->ItemIndex() != type) ShifterType->SetItemIndex(type);
}

void TShifterPage::ShowShifterPosition(const TShifterPosition& position)
{
    ShifterX->SetCaption(IntToStr(position.x));
    ShifterY->SetCaption(IntToStr(position.y));
    // The marker is 16 wide: keep it inside the grid.
    FForm->ShifterCurPosOnGrid = TPoint(std::min(ToGrid(position.x), 240), ToGrid(position.y));
    GridX->SetCaption(IntToStr(FForm->ShifterCurPosOnGrid.x));
    GridY->SetCaption(IntToStr(FForm->ShifterCurPosOnGrid.y));
    for (TsLabel* l : {shifterX1, shifterX2, shifterX3, shifterY1, shifterY2}) l->SetCaption(L"-1");
}

void TShifterPage::ShowShifterConfig(const TShifterConfig& config)
{
    shifterX1->SetCaption(IntToStr(config.x1));
    shifterX2->SetCaption(IntToStr(config.x2));
    shifterX3->SetCaption(IntToStr(config.x3));
    shifterY1->SetCaption(IntToStr(config.y1));
    shifterY2->SetCaption(IntToStr(config.y2));
    // A drag in progress keeps its line where the mouse has it; the others follow the shifter.
    auto follow = [&](TLine* line, bool vertical, int deviceValue) {
        if (FDragging && line == FDraggedLine) return;
        if (vertical)
            line->SetLeft(ToGrid(deviceValue));
        else
            line->SetTop(ToGrid(deviceValue));
    };
    follow(x1, true, config.x1);
    follow(x2, true, config.x2);
    follow(x3, true, config.x3);
    follow(y1, false, config.y1);
    follow(y2, false, config.y2);
    chkEnableLED->SetChecked(config.enableLed);
    chkAnalogMode->SetChecked(config.analogMode);
    ShifterType->SetItemIndex(config.shifterType < ShifterType->Items()->Count() ? config.shifterType : -1);
    comboInversionMode->SetItemIndex(config.inversionMode < comboInversionMode->Items()->Count() ? config.inversionMode
                                                                                                : -1);
    filterFactor->SetValue(config.filterFactor);
    for (int n = 0; n < LedEffectCount; ++n)
        chkLedEffect[static_cast<size_t>(n)]->SetChecked(IsBitSetMsbFirst(config.ledEffects, static_cast<uint8_t>(n)));
    UpdateEffectMask();
    ASXmin->SetCaption(IntToStr(config.analogXMin));
    ASXmax->SetCaption(IntToStr(config.analogXMax));
    ASYmin->SetCaption(IntToStr(config.analogYMin));
    ASYmax->SetCaption(IntToStr(config.analogYMax));
    ShifterX->SetCaption(L"-1");
    ShifterY->SetCaption(L"-1");
    SyncLineVisibility();
    // The protocol stops the stream after the one configuration that showing the tab asks for.
}

void TShifterPage::ShowShifterFirmware(const String& text)
{
    shifterFWVersion->SetCaption(text);
}

// ---- Handlers ------------------------------------------------------------------------------

void TShifterPage::TabShifterShow(TObject*)
{
    Guarded(FForm, [&] {
        TDeviceProtocol& proto = FForm->Protocol();
        proto.RequestShifterStat(ShifterStatConfig);
        proto.ProfileLoading.SetValues(L"LoadShifter", L"1");
    });
}

void TShifterPage::StopStream()
{
    TDeviceProtocol& proto = FForm->Protocol();
    proto.SendAck(proto.CurrentShifter, RqShifter);
}

void TShifterPage::comboDebugStatChange(TObject*)
{
    Guarded(FForm, [&] {
        const int index = comboDebugStat->ItemIndex();
        if (index <= StatNone)
            StopStream();
        else
            FForm->Protocol().RequestShifterStat(static_cast<uint8_t>(index - 1));
    });
}

void TShifterPage::ShifterTypeChange(TObject*)
{
    Guarded(FForm, [&] { SyncLineVisibility(); });
}

bool TShifterPage::IsSequential() const
{
    return ShifterType->ItemIndex() == TypeSequential;
}

void TShifterPage::SyncLineVisibility()
{
    const bool show = !IsSequential();
    for (TLine* line : {x1, x2, x3}) line->SetVisible(show);
}

void TShifterPage::btnShifterCalibrateClick(TObject*)
{
    Guarded(FForm, [&] {
        TDeviceProtocol& proto = FForm->Protocol();
        // Setting the selector here does not run its change handler; the stream is chosen below.
        if (btnShifterCalibrate->Caption() == L"Calibrate") {
            CalibrationStatIndex = comboDebugStat->ItemIndex();
            btnShifterCalibrate->SetCaption(L"Finish");
            comboDebugStat->SetItemIndex(StatConfig);
            proto.SendShifterCalibrate();
        } else {
            btnShifterCalibrate->SetCaption(L"Calibrate");
            comboDebugStat->SetItemIndex(CalibrationStatIndex);
            proto.SendShifterDoneCalibrate();
        }
        // The configuration streams while calibrating; afterwards the stream chosen before.
        // "Select Report" reads selector 255, which ends the stream without a reply.
        proto.RequestShifterStat(static_cast<uint8_t>(comboDebugStat->ItemIndex() - 1));
    });
}

TShifterConfig TShifterPage::ShifterConfigFromControls() const
{
    TShifterConfig c{};
    c.shifterType = static_cast<uint8_t>(std::max(ShifterType->ItemIndex(), 0));
    c.x1 = x1->Visible() ? ToDevice(x1->Left()) : 0;
    c.x2 = x2->Visible() ? ToDevice(x2->Left()) : 0;
    c.x3 = x3->Visible() ? ToDevice(x3->Left()) : 0;
    c.y1 = ToDevice(y1->Top());
    c.y2 = ToDevice(y2->Top());
    c.enableLed = chkEnableLED->Checked();
    c.ledEffects = FForm->totalEffects;
    c.analogMode = chkAnalogMode->Checked();
    c.inversionMode = static_cast<uint8_t>(std::max(comboInversionMode->ItemIndex(), 0));
    c.filterFactor = static_cast<uint8_t>(std::clamp(std::trunc(filterFactor->Value()), 0.0, 255.0));
    return c;
}

void TShifterPage::SendShifterConfig()
{
    UpdateEffectMask();
    FForm->Protocol().SendShifterConfig(ShifterConfigFromControls());
}

void TShifterPage::btnShifterSaveClick(TObject*)
{
    Guarded(FForm, [&] {
        TSoupConfig* cfg = FForm->SoupConfig1;
        cfg->WriteInteger(L"Shifter", L"x1", x1->Left());
        cfg->WriteInteger(L"Shifter", L"x2", x2->Left());
        cfg->WriteInteger(L"Shifter", L"x3", x3->Left());
        cfg->WriteInteger(L"Shifter", L"y1", y1->Top());
        cfg->WriteInteger(L"Shifter", L"y2", y2->Top());
        cfg->WriteBool(L"Shifter", L"EnableLED", chkEnableLED->Checked());
    });
    Guarded(FForm, [&] {
        SendShifterConfig();
        comboDebugStat->SetItemIndex(StatNone);
        StopStream();
    });
}

void TShifterPage::btnFactoryResetClick(TObject*)
{
    Guarded(FForm, [&] {
        FForm->Protocol().SendFactoryReset();
        ShowMessage(L"Device has been reset. Please re-plug.");
    });
}

void TShifterPage::chkTrailsClick(TObject*)
{
    // A repaint of the grid wipes the trails drawn on it.
    Guarded(FForm, [&] { ShifterGrid->Invalidate(); });
}

void TShifterPage::LedEffectClick(TObject*)
{
    Guarded(FForm, [&] { UpdateEffectMask(); });
}

void TShifterPage::UpdateEffectMask()
{
    uint32_t mask = FForm->totalEffects;
    for (int n = 0; n < LedEffectCount; ++n) {
        const auto bit = static_cast<uint8_t>(31 - n);
        mask = chkLedEffect[static_cast<size_t>(n)]->Checked() ? SetBit(mask, bit) : ClearBit(mask, bit);
    }
    FForm->totalEffects = mask;
    if (FForm->StatusBar && FForm->StatusBar->Panels()->Count() > TMainForm::PanelLedMask)
        FForm->StatusBar->Panels()->Items(TMainForm::PanelLedMask)->SetText(UIntToStr(mask));
}

// ---- Dragging the grid lines ---------------------------------------------------------------

void TShifterPage::StartLineDrag(TLine* line, TMouseButton button)
{
    if (button != mbLeft) return;
    FDragging = true;
    FDraggedLine = line;
    FMouseDownLocation = CursorPos();
    FLineStartingLocation = TPoint(line->Left(), line->Top());
}

void TShifterPage::MoveLine(TLine* line)
{
    if (!FDragging) return;
    Guarded(FForm, [&] {
        const TPoint want = CursorPos() - FMouseDownLocation + FLineStartingLocation;
        // Lines keep 10 pixels from each other and from the grid's edges; the right and bottom
        // lines stop 20 short, so their whole 20-pixel control stays inside.
        if (line == x1)
            x1->SetLeft(ClampValue(want.x, 10, x2->Left() - 10));
        else if (line == x2)
            x2->SetLeft(ClampValue(want.x, x1->Left() + 10, x3->Left() - 10));
        else if (line == x3)
            x3->SetLeft(ClampValue(want.x, x2->Left() + 10, ShifterGrid->Width() - 20));
        else if (line == y1)
            y1->SetTop(ClampValue(want.y, 10, y2->Top() - 10));
        else if (line == y2)
            y2->SetTop(ClampValue(want.y, y1->Top() + 10, ShifterGrid->Height() - 20));
    });
}

void TShifterPage::x1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) { StartLineDrag(x1, Button); }
void TShifterPage::x2MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) { StartLineDrag(x2, Button); }
void TShifterPage::x3MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) { StartLineDrag(x3, Button); }
void TShifterPage::y1MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) { StartLineDrag(y1, Button); }
void TShifterPage::y2MouseDown(TObject*, TMouseButton Button, TShiftState, int, int) { StartLineDrag(y2, Button); }
void TShifterPage::x1MouseMove(TObject*, TShiftState, int, int) { MoveLine(x1); }
void TShifterPage::x2MouseMove(TObject*, TShiftState, int, int) { MoveLine(x2); }
void TShifterPage::x3MouseMove(TObject*, TShiftState, int, int) { MoveLine(x3); }
void TShifterPage::y1MouseMove(TObject*, TShiftState, int, int) { MoveLine(y1); }
void TShifterPage::y2MouseMove(TObject*, TShiftState, int, int) { MoveLine(y2); }

void TShifterPage::GridLineMouseUp(TObject*, TMouseButton, TShiftState, int, int)
{
    FDragging = false;
    FDraggedLine = nullptr;
}

// ---- Marker, labels and mask, ten times a second -------------------------------------------

void TShifterPage::PlaceMarker()
{
    const TPoint pos = FForm->ShifterCurPosOnGrid;
    const int top = ClampValue(pos.y - 15, 0, GridSize);
    const int left = pos.x;
    const bool online = FForm->CurrentShifter != nullptr;
    if (chkTrails->Checked()) {
        ShifterOnline->SetVisible(false);
        ShifterOffline->SetVisible(false);
        if (ShifterGrid->HandleAllocated() && ShifterGrid->Showing() && FForm->Images) {
            DrawImageListItemToDC(FForm->Images, ShifterGrid->Canvas()->Handle(), left, top, online ? 0 : 1, 0, clNone,
                                  0, 0, false, ControlPpi(ShifterGrid));
            // The window DC is not kept between ticks.
            static_cast<TControlCanvas*>(ShifterGrid->Canvas())->FreeHandle();
        }
    } else if (online) {
        ShifterOnline->SetVisible(comboDebugStat->ItemIndex() == StatPosition);
        ShifterOffline->SetVisible(false);
        ShifterOnline->SetBounds(left, top, ShifterOnline->Width(), ShifterOnline->Height());
    } else {
        ShifterOnline->SetVisible(false);
        ShifterOffline->SetVisible(true);
        ShifterOffline->SetBounds(left, top, ShifterOffline->Width(), ShifterOffline->Height());
    }
}

void TShifterPage::PlaceGearLabels()
{
    const int w = ShifterGrid->Width(), h = ShifterGrid->Height();
    const int oddTop = y1->Top() / 2 - 15;
    const int evenTop = y2->Top() + (h - y2->Top()) / 2 - 15;
    auto place = [&](int gear, int x, int y) {
        TsLabel* l = lblGear[static_cast<size_t>(gear - 1)];
        l->SetVisible(true);
        l->SetBounds(x, y, l->Width(), l->Height());
    };
    if (IsSequential()) {
        place(1, w / 2, oddTop);
        place(2, w / 2, evenTop);
        for (int gear = 3; gear <= 8; ++gear) lblGear[static_cast<size_t>(gear - 1)]->SetVisible(false);
        return;
    }
    const int columns[4] = {x1->Left() / 2, x1->Left() + (x2->Left() - x1->Left()) / 2,
                            x2->Left() + (x3->Left() - x2->Left()) / 2, x3->Left() + (w - x3->Left()) / 2};
    for (int c = 0; c < 4; ++c) {
        place(2 * c + 1, columns[c], oddTop);
        place(2 * c + 2, columns[c], evenTop);
    }
}

void TShifterPage::ShifterPosTimer(TObject*)
{
    Guarded(FForm, [&] {
        if (FForm->Closing()) return;
        PlaceMarker();
        gridX1->SetCaption(x1->Visible() ? IntToStr(x1->Left()) : String(L"-1"));
        gridX2->SetCaption(x2->Visible() ? IntToStr(x2->Left()) : String(L"-1"));
        gridX3->SetCaption(x3->Visible() ? IntToStr(x3->Left()) : String(L"-1"));
        gridY1->SetCaption(IntToStr(y1->Top()));
        gridY2->SetCaption(IntToStr(y2->Top()));
        SyncLineVisibility();
        PlaceGearLabels();
        UpdateEffectMask();
    });
}

// ---- The main window's side ----------------------------------------------------------------

void TMainForm::BuildShifterPage()
{
    lblTips = AddLabel(TabShifter, L"", 12, 8);
    lblTips->SetAutoSize(false);
    lblTips->SetBounds(12, 8, 900, 18);
    ShifterPage = new TShifterPage(this, TabShifter);
}

void TMainForm::ShowGearState(uint16_t gearBits)
{
    if (ShifterPage) ShifterPage->ShowGearState(gearBits);
}

void TMainForm::ShowShifterPosition(const TShifterPosition& position)
{
    if (ShifterPage) ShifterPage->ShowShifterPosition(position);
}

void TMainForm::ShowShifterConfig(const TShifterConfig& config)
{
    if (ShifterPage) ShifterPage->ShowShifterConfig(config);
}

void TMainForm::ShowShifterFirmware(const String& text)
{
    if (ShifterPage) ShifterPage->ShowShifterFirmware(text);
}
