// The Base tab: one profile's settings (steering, forces, filters, game-effect gains, the
// user's own effects) and the profile bar.
#include <cmath>

#include "app/main_form.h"

namespace {

constexpr int kRow = 28;

uint16_t Word16(int v)
{
    return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF));
}

// Gains travel as percent x 100.
uint16_t Gain(const TTrackBar* bar)
{
    return Word16(bar->Position() * 100);
}

int GainPosition(uint16_t wire)
{
    return wire / 100;
}

// The Q factor and peak gain are sent as their text says, in the user's number format.
float ParseSpinText(const TsDecimalSpinEdit* edit)
{
    double v = 0;
    if (!TsDecimalSpinEdit::ParseNumber(edit->Text(), v))
        throw EConvertError(L"'" + edit->Text() + L"' is not a valid floating point value");
    return static_cast<float>(v);
}

}  // namespace

void TMainForm::BuildBasePage()
{
    TWinControl* page = TabBase;

    // ---- Steering, forces, filters
    TsGroupBox* steering = AddGroup(page, L"Steering", 8, 4, 340, 92);
    AddLabel(steering, L"Max Angle", 10, 27);
    btnDecWheel = AddButton(steering, L"-", 84, 22, 24, Bind<&TMainForm::btnDecWheelClick>(this));
    sMaxAngle = new TsTrackBar(this);
    sMaxAngle->SetParent(steering);
    sMaxAngle->SetBounds(110, 22, 150, 26);
    sMaxAngle->SetTickStyle(tsNone);
    sMaxAngle->SetShowProgress(true);
    sMaxAngle->SetPositionToolTip(ptTop);
    sMaxAngle->SetRange(180, 1080);
    sMaxAngle->SetLineSize(90);
    sMaxAngle->SetPageSize(90);
    sMaxAngle->SetPosition(900);
    btnIncWheel = AddButton(steering, L"+", 262, 22, 24, Bind<&TMainForm::btnIncWheelClick>(this));
    TsLabel* angleValue = AddLabel(steering, L"900", 292, 27);
    angleValue->SetAutoSize(false);
    angleValue->SetWidth(44);
    FSliderValues[sMaxAngle] = angleValue;
    sMaxAngle->OnChange = Bind<&TMainForm::SliderChange>(this);
    btnDecWheel->OnMouseDown = Bind<&TMainForm::btnDecWheelMouseDown>(this);
    btnDecWheel->OnMouseUp = Bind<&TMainForm::btnDecWheelMouseUp>(this);
    btnIncWheel->OnMouseDown = Bind<&TMainForm::btnIncWheelMouseDown>(this);
    btnIncWheel->OnMouseUp = Bind<&TMainForm::btnIncWheelMouseUp>(this);
    btnCenterize = AddButton(steering, L"Centerize", 10, 56, 100, Bind<&TMainForm::btnCenterizeClick>(this));
    btnCalibrate = AddButton(steering, L"Calibrate", 116, 56, 100, Bind<&TMainForm::btnCalibrateClick>(this));

    TsGroupBox* forces = AddGroup(page, L"Forces", 8, 100, 340, 108);
    sStopForce = AddSlider(forces, L"Stop Force", 10, 20, 180, 0, 10000, 1500);
    sMinForce = AddSlider(forces, L"Min Force", 10, 20 + kRow, 180, 0, 10000, 0);
    sMaxForce = AddSlider(forces, L"Max Force", 10, 20 + 2 * kRow, 180, 0, 10000, 10000);
    sMaxForce->SetEnabled(false);

    TsGroupBox* filters = AddGroup(page, L"Filters", 8, 212, 340, 256);
    sOverallFilter = AddSlider(filters, L"Overall Filter", 10, 20, 180, 0, 10000, 0);
    sDamperFilter = AddSlider(filters, L"Damper Filter", 10, 20 + kRow, 180, 0, 10000, 200);
    sInertiaFilter = AddSlider(filters, L"Inertia Filter", 10, 20 + 2 * kRow, 180, 0, 10000, 200);
    sFrictionFilter = AddSlider(filters, L"Friction Filter", 10, 20 + 3 * kRow, 180, 0, 10000, 200);
    AddLabel(filters, L"FFB Frequency", 10, 20 + 4 * kRow + 4);
    cFfbFrequency = AddCombo(filters, 110, 20 + 4 * kRow, 100, {L"1 kHz", L"720 Hz", L"360 Hz", L"180 Hz", L"90 Hz", L"60 Hz"}, 0);
    cFfbFrequency->SetEnabled(false);
    edtQFactor = AddSpinEdit(filters, L"Q Factor", 10, 20 + 5 * kRow + 2, 100, 100, 0.7071, 4, 0.01);
    edtPeakGain = AddSpinEdit(filters, L"Peak Gain", 10, 20 + 6 * kRow + 2, 100, 100, 0, 4, 0.1);

    // ---- Game effects
    TsGroupBox* effects = AddGroup(page, L"Game Effect Gains (%)", 356, 4, 320, 464);
    struct TGainRow {
        TsTrackBar** bar;
        const wchar_t* caption;
        int position;
    };
    const TGainRow gains[] = {
        {&sOverall, L"Overall", 30},          {&sConstantGain, L"Constant", 100},
        {&sRampGain, L"Ramp", 100},           {&sSquareGain, L"Square", 100},
        {&sSineGain, L"Sine", 100},           {&sTriangleGain, L"Triangle", 100},
        {&sSawtoothUpGain, L"Sawtooth Up", 100}, {&sSawtoothDownGain, L"Sawtooth Down", 100},
        {&sSpringGain, L"Spring", 100},       {&sDamperGain, L"Damper", 100},
        {&sInertiaGain, L"Inertia", 100},     {&sFrictionGain, L"Friction", 100},
    };
    int y = 20;
    for (const auto& row : gains) {
        *row.bar = AddSlider(effects, row.caption, 10, y, 160, 0, 100, row.position);
        y += kRow;
    }
    chkEnableTelemetry = new TsCheckBox(this);
    chkEnableTelemetry->SetParent(effects);
    chkEnableTelemetry->SetCaption(L"Enable Telemetry");
    chkEnableTelemetry->SetBounds(10, y + 8, 200, 20);
    chkEnableTelemetry->SetEnabled(false);

    // ---- The user's own effects
    auto userGroup = [&](TsGroupBox*& group, const wchar_t* caption, int top, TsTrackBar*& force,
                         TsTrackBar*& gain) {
        group = AddGroup(page, caption, 684, top, 340, 80);
        group->SetCheckBoxVisible(true);
        group->SetAutoChildrenStates(csAsChecked);
        force = AddSlider(group, L"Force", 10, 20, 180, 0, 10000, 10000);
        gain = AddSlider(group, L"Gain (%)", 10, 20 + 26, 180, 0, 100, 100);
        group->SetChecked(true);
    };
    userGroup(GroupUserDamper, L"Damper", 4, userDamperForce, userDamperGain);
    userGroup(GroupUserInertia, L"Inertia", 88, userInertiaForce, userInertiaGain);
    userGroup(GroupUserFriction, L"Friction", 172, userFrictionForce, userFrictionGain);
    userGroup(GroupUserSpring, L"Spring", 256, userSpringForce, userSpringGain);
    TsGroupBox* effect = AddGroup(page, L"Effect", 684, 340, 340, 128);
    userEffectOffset = AddSlider(effect, L"Offset", 10, 18, 180, 0, 10000, 0);
    userEffectGain = AddSlider(effect, L"Gain", 10, 18 + 26, 180, 0, 10000, 10000);
    userEffectSaturation = AddSlider(effect, L"Saturation", 10, 18 + 2 * 26, 180, 0, 10000, 10000);
    userEffectCoefficient = AddSlider(effect, L"Coefficient", 10, 18 + 3 * 26, 180, 0, 10000, 10000);

    // ---- Profile bar
    AddLabel(page, L"Profile", 12, 481);
    cProfiles = AddCombo(page, 60, 477, 120, {L"Profile 1", L"Profile 2", L"Profile 3", L"Profile 4", L"Profile 5"}, 0);
    btnLoadProfile = AddButton(page, L"Load", 190, 476, 90, Bind<&TMainForm::btnLoadProfileClick>(this));
    btnSaveProfile = AddButton(page, L"Save", 286, 476, 90, Bind<&TMainForm::btnSaveProfileClick>(this));
    btnApply = AddButton(page, L"Apply", 934, 476, 90, Bind<&TMainForm::btnApplyClick>(this));
}

// ---- Records <-> controls ----------------------------------------------------------------------

TWheelBaseConfig TMainForm::WheelBaseConfigFromControls() const
{
    TWheelBaseConfig c{};
    c.qFactor = ParseSpinText(edtQFactor);
    c.peakGain = ParseSpinText(edtPeakGain);
    c.steeringAngle = Word16(sMaxAngle->Position());
    c.stopForce = Word16(sStopForce->Position());
    c.minForce = Word16(sMinForce->Position());
    c.overAllFilter = Word16(sOverallFilter->Position());
    c.damperFilter = Word16(sDamperFilter->Position());
    c.inertiaFilter = Word16(sInertiaFilter->Position());
    c.frictionFilter = Word16(sFrictionFilter->Position());
    c.totalForceGain = Gain(sOverall);
    c.constantGain = Gain(sConstantGain);
    c.rampGain = Gain(sRampGain);
    c.squareGain = Gain(sSquareGain);
    c.sineGain = Gain(sSineGain);
    c.triangleGain = Gain(sTriangleGain);
    c.sawtoothUpGain = Gain(sSawtoothUpGain);
    c.sawtoothDownGain = Gain(sSawtoothDownGain);
    c.springGain = Gain(sSpringGain);
    c.damperGain = Gain(sDamperGain);
    c.inertiaGain = Gain(sInertiaGain);
    c.frictionGain = Gain(sFrictionGain);
    c.enableTelemetryFfb = chkEnableTelemetry->Checked();
    return c;
}

TUserEffectConfig TMainForm::UserEffectConfigFromControls() const
{
    TUserEffectConfig c{};
    c.damperForce = Word16(userDamperForce->Position());
    c.damperGain = Gain(userDamperGain);
    c.frictionForce = Word16(userFrictionForce->Position());
    c.frictionGain = Gain(userFrictionGain);
    c.inertiaForce = Word16(userInertiaForce->Position());
    c.inertiaGain = Gain(userInertiaGain);
    c.springForce = Word16(userSpringForce->Position());
    c.springGain = Gain(userSpringGain);
    c.eOffset = Word16(userEffectOffset->Position());
    c.eGain = Word16(userEffectGain->Position());
    c.eSaturation = Word16(userEffectSaturation->Position());
    c.eCoefficent = Word16(userEffectCoefficient->Position());
    c.enableDamper = GroupUserDamper->Checked();
    c.enableInertia = GroupUserInertia->Checked();
    c.enableFriction = GroupUserFriction->Checked();
    c.enableSpring = GroupUserSpring->Checked();
    return c;
}

void TMainForm::ShowWheelBaseConfig(const TWheelBaseConfig& c)
{
    sMaxAngle->SetPosition(c.steeringAngle);
    sStopForce->SetPosition(c.stopForce);
    sMinForce->SetPosition(c.minForce);
    sOverallFilter->SetPosition(c.overAllFilter);
    sDamperFilter->SetPosition(c.damperFilter);
    sInertiaFilter->SetPosition(c.inertiaFilter);
    sFrictionFilter->SetPosition(c.frictionFilter);
    edtQFactor->SetValue(std::isfinite(c.qFactor) ? c.qFactor : 0.0);
    edtPeakGain->SetValue(std::isfinite(c.peakGain) ? c.peakGain : 0.0);
    sOverall->SetPosition(GainPosition(c.totalForceGain));
    chkEnableTelemetry->SetChecked(c.enableTelemetryFfb);
    sConstantGain->SetPosition(GainPosition(c.constantGain));
    sRampGain->SetPosition(GainPosition(c.rampGain));
    sSquareGain->SetPosition(GainPosition(c.squareGain));
    sSineGain->SetPosition(GainPosition(c.sineGain));
    sTriangleGain->SetPosition(GainPosition(c.triangleGain));
    sSawtoothUpGain->SetPosition(GainPosition(c.sawtoothUpGain));
    sSawtoothDownGain->SetPosition(GainPosition(c.sawtoothDownGain));
    sSpringGain->SetPosition(GainPosition(c.springGain));
    sDamperGain->SetPosition(GainPosition(c.damperGain));
    sInertiaGain->SetPosition(GainPosition(c.inertiaGain));
    sFrictionGain->SetPosition(GainPosition(c.frictionGain));
}

void TMainForm::ShowUserEffectConfig(const TUserEffectConfig& c)
{
    userDamperForce->SetPosition(c.damperForce);
    userDamperGain->SetPosition(GainPosition(c.damperGain));
    userFrictionForce->SetPosition(c.frictionForce);
    userFrictionGain->SetPosition(GainPosition(c.frictionGain));
    userInertiaForce->SetPosition(c.inertiaForce);
    userInertiaGain->SetPosition(GainPosition(c.inertiaGain));
    userSpringForce->SetPosition(c.springForce);
    userSpringGain->SetPosition(GainPosition(c.springGain));
    userEffectOffset->SetPosition(c.eOffset);
    userEffectGain->SetPosition(c.eGain);
    userEffectSaturation->SetPosition(c.eSaturation);
    userEffectCoefficient->SetPosition(c.eCoefficent);
    GroupUserDamper->SetChecked(c.enableDamper);
    GroupUserInertia->SetChecked(c.enableInertia);
    GroupUserFriction->SetChecked(c.enableFriction);
    GroupUserSpring->SetChecked(c.enableSpring);
}

// ---- Buttons --------------------------------------------------------------------------------

void TMainForm::SendWheelBaseConfig()
{
    FProto.SendWheelBaseConfig(WheelBaseConfigFromControls());
}

void TMainForm::SendUserEffectConfig()
{
    FProto.SendUserEffectConfig(UserEffectConfigFromControls());
}

void TMainForm::btnApplyClick(TObject*)
{
    SendWheelBaseConfig();
    SendUserEffectConfig();
}

void TMainForm::btnLoadProfileClick(TObject*)
{
    FLoadStartedAt = TickSource();
    FProto.LoadProfile();
    StoreActiveProfile();
}

void TMainForm::btnSaveProfileClick(TObject*)
{
    btnApply->Click();
    FProto.Save(FProto.CurrentWheelBase, ProfileSlotOf(SelectedProfileIndex()));
    StoreActiveProfile();
}

void TMainForm::btnCenterizeClick(TObject*)
{
    FProto.SendCenterize();
}

void TMainForm::btnCalibrateClick(TObject*)
{
    FProto.SendCalibrate();
}

void TMainForm::MoveAngle(int delta)
{
    sMaxAngle->SetPosition(sMaxAngle->Position() + delta);   // the bar's range stops it
}

void TMainForm::btnDecWheelClick(TObject*) { MoveAngle(-90); }
void TMainForm::btnIncWheelClick(TObject*) { MoveAngle(90); }

void TMainForm::btnDecWheelMouseDown(TObject*, TMouseButton, TShiftState, int, int) { DecAngle->SetEnabled(true); }
void TMainForm::btnIncWheelMouseDown(TObject*, TMouseButton, TShiftState, int, int) { IncAngle->SetEnabled(true); }
void TMainForm::btnDecWheelMouseUp(TObject*, TMouseButton, TShiftState, int, int) { DecAngle->SetEnabled(false); }
void TMainForm::btnIncWheelMouseUp(TObject*, TMouseButton, TShiftState, int, int) { IncAngle->SetEnabled(false); }
void TMainForm::DecAngleTimer(TObject*) { MoveAngle(-90); }
void TMainForm::IncAngleTimer(TObject*) { MoveAngle(90); }

void TMainForm::TabBaseShow(TObject*)
{
    if (!FProto.IsProfileLoading()) RequestProfileConfig();
}
