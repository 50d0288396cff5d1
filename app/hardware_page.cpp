// The Hardware tab: the wheel base as a whole (motor, PWM, encoder, PID, joystick axis limits).
#include <cmath>
#include <limits>

#include "app/main_form.h"

namespace {

int32_t ToInt32(double v)
{
    if (!std::isfinite(v)) return 0;
    v = std::trunc(v);
    return static_cast<int32_t>(std::clamp(v, double(std::numeric_limits<int32_t>::min()),
                                           double(std::numeric_limits<int32_t>::max())));
}

uint32_t ToUInt32(double v)
{
    if (!std::isfinite(v)) return 0;
    v = std::trunc(v);
    return static_cast<uint32_t>(std::clamp(v, 0.0, double(std::numeric_limits<uint32_t>::max())));
}

uint8_t IndexByte(const TComboBox* c)
{
    return static_cast<uint8_t>(std::max(0, c->ItemIndex()));
}

}  // namespace

void TMainForm::BuildHardwarePage()
{
    // Three borderless panels divide the page: a column at the left (motor, encoder, PID), one
    // beside it (the joystick axes) and the rest (the buttons).
    // (Panels of one alignment line up in the order of their positions.)
    auto part = [this](const wchar_t* name, TAlign align, int left, int width) {
        auto* p = new TsPanel(this);
        p->SetName(name);
        p->SetParent(TabHardware);
        p->SetBevelOuter(bvNone);
        p->SetShowCaption(false);
        p->SetBounds(left, 0, width, p->Height());
        p->SetAlign(align);
        return p;
    };
    pnlHardwareLeft = part(L"pnlHardwareLeft", alLeft, 0, 342);
    pnlHardwareAxes = part(L"pnlHardwareAxes", alLeft, 342, 428);
    pnlHardwareClient = part(L"pnlHardwareClient", alClient, 770, 100);
    TWinControl* page = pnlHardwareLeft;

    TsGroupBox* motor = AddGroup(page, L"Motor", 8, 4, 330, 92);
    AddLabel(motor, L"PWM Mode", 10, 26);
    pwmMode = AddCombo(motor, 120, 22, 190, {}, 1);
    for (const wchar_t* caption : PwmModeCaptions) pwmMode->Items()->Add(caption);
    pwmMode->SetItemIndex(1);
    AddLabel(motor, L"PWM Frequency", 10, 58);
    pwmFreq = AddCombo(motor, 120, 54, 190, {}, 0);
    for (const wchar_t* caption : PwmFrequencyCaptions) pwmFreq->Items()->Add(caption);
    pwmFreq->SetItemIndex(0);

    TsGroupBox* encoder = AddGroup(page, L"Encoder", 8, 100, 330, 134);
    auto check = [&](TWinControl* parent, const wchar_t* caption, int y, bool checked) {
        auto* c = new TsCheckBox(this);
        c->SetParent(parent);
        c->SetCaption(caption);
        c->SetBounds(10, y, 200, 20);
        c->SetChecked(checked);
        return c;
    };
    chkAbsEncoder = check(encoder, L"Absolute Encoder", 20, false);
    chkUseZ = check(encoder, L"Use Z Index", 44, true);
    chkReverseEncoder = check(encoder, L"Reverse Encoder", 68, false);
    PPR = AddSpinEdit(encoder, L"Pulses per Rev.", 10, 98, 110, 120, 1000, 0, 1);
    PPR->SetAllowNegative(false);   // a count: a negative one would wrap on the wire

    TsGroupBox* pid = AddGroup(page, L"PID", 8, 238, 330, 216);
    AddLabel(pid, L"PID Mode", 10, 26);
    PIDMode = AddCombo(pid, 120, 22, 190, {L"Automatic", L"Manual"}, 0);
    AddLabel(pid, L"Direction", 10, 56);
    controllerDirection = AddCombo(pid, 120, 52, 190, {L"Direct", L"Reverse"}, 1);
    edtKp = AddSpinEdit(pid, L"Kp", 10, 84, 110, 120, 30, 2, 1);
    edtKi = AddSpinEdit(pid, L"Ki", 10, 114, 110, 120, 10, 2, 1);
    edtKd = AddSpinEdit(pid, L"Kd", 10, 144, 110, 120, 1, 2, 0.1);
    edtSampleTime = AddSpinEdit(pid, L"Sample Time (ms)", 10, 174, 110, 120, 1, 2, 1);
    edtSampleTime->SetAllowNegative(false);

    TsGroupBox* axes = AddGroup(pnlHardwareAxes, L"Joystick Axes", 8, 4, 420, 230);
    AddLabel(axes, L"Minimum", 90, 22);
    AddLabel(axes, L"Maximum", 250, 22);
    struct TAxisRow {
        const wchar_t* caption;
        TsDecimalSpinEdit** min;
        TsDecimalSpinEdit** max;
        double minValue;
    };
    const TAxisRow rows[] = {
        {L"X", &xAxisMin, &xAxisMax, -100000}, {L"Y", &yAxisMin, &yAxisMax, 0},
        {L"Z", &zAxisMin, &zAxisMax, 0},       {L"RX", &rxAxisMin, &rxAxisMax, 0},
        {L"RY", &ryAxisMin, &ryAxisMax, 0},    {L"RZ", &rzAxisMin, &rzAxisMax, 0},
    };
    int y = 42;
    for (const auto& row : rows) {
        *row.min = AddSpinEdit(axes, row.caption, 10, y, 80, 140, row.minValue, 0, 1);
        *row.max = AddSpinEdit(axes, L"", 250, y, 0, 140, 100000, 0, 1);
        y += 30;
    }

    // Where they stood on the page before it was divided: right of the two columns.
    const int left = 838 - pnlHardwareLeft->Width() - pnlHardwareAxes->Width();
    btnHardwareApply = AddButton(pnlHardwareClient, L"Apply", left, 476, 90,
                                 Bind<&TMainForm::btnHardwareApplyClick>(this));
    btnHardwareSave = AddButton(pnlHardwareClient, L"Save", left + 96, 476, 90,
                                Bind<&TMainForm::btnHardwareSaveClick>(this));
}

TJoystickConfig TMainForm::JoystickConfigFromControls() const
{
    TJoystickConfig c{};
    c.xMin = ToInt32(xAxisMin->Value());
    c.xMax = ToInt32(xAxisMax->Value());
    c.yMin = ToInt32(yAxisMin->Value());
    c.yMax = ToInt32(yAxisMax->Value());
    c.zMin = ToInt32(zAxisMin->Value());
    c.zMax = ToInt32(zAxisMax->Value());
    c.rxMin = ToInt32(rxAxisMin->Value());
    c.rxMax = ToInt32(rxAxisMax->Value());
    c.ryMin = ToInt32(ryAxisMin->Value());
    c.ryMax = ToInt32(ryAxisMax->Value());
    c.rzMin = ToInt32(rzAxisMin->Value());
    c.rzMax = ToInt32(rzAxisMax->Value());
    return c;
}

TMotorConfig TMainForm::MotorConfigFromControls() const
{
    TMotorConfig c{};
    c.pwmMode = PwmModeFromIndex(pwmMode->ItemIndex());
    c.pwmFreq = PwmIndexToFrequency(pwmFreq->ItemIndex());
    c.absEncoder = chkAbsEncoder->Checked();
    c.zIndex = chkUseZ->Checked();
    c.reverseEncoder = chkReverseEncoder->Checked();
    c.PPR = ToUInt32(PPR->Value());
    c.pidMode = IndexByte(PIDMode);
    c.ctrlDirection = IndexByte(controllerDirection);
    c.Kp = static_cast<float>(edtKp->Value());
    c.Ki = static_cast<float>(edtKi->Value());
    c.Kd = static_cast<float>(edtKd->Value());
    c.sampleTime = ToUInt32(edtSampleTime->Value());
    return c;
}

void TMainForm::ShowMotorConfig(const TMotorConfig& c)
{
    pwmMode->SetItemIndex(c.pwmMode < pwmMode->Items()->Count() ? c.pwmMode : -1);
    pwmFreq->SetItemIndex(PwmFrequencyToIndex(c.pwmFreq));
    chkAbsEncoder->SetChecked(c.absEncoder);
    chkUseZ->SetChecked(c.zIndex);
    chkReverseEncoder->SetChecked(c.reverseEncoder);
    PPR->SetValue(c.PPR);
    PIDMode->SetItemIndex(c.pidMode < PIDMode->Items()->Count() ? c.pidMode : -1);
    controllerDirection->SetItemIndex(c.ctrlDirection < controllerDirection->Items()->Count() ? c.ctrlDirection : -1);
    edtKp->SetValue(std::isfinite(c.Kp) ? c.Kp : 0.0);
    edtKi->SetValue(std::isfinite(c.Ki) ? c.Ki : 0.0);
    edtKd->SetValue(std::isfinite(c.Kd) ? c.Kd : 0.0);
    edtSampleTime->SetValue(c.sampleTime);
}

void TMainForm::ShowJoystickConfig(const TJoystickConfig& c)
{
    xAxisMin->SetValue(c.xMin);
    xAxisMax->SetValue(c.xMax);
    yAxisMin->SetValue(c.yMin);
    yAxisMax->SetValue(c.yMax);
    zAxisMin->SetValue(c.zMin);
    zAxisMax->SetValue(c.zMax);
    rxAxisMin->SetValue(c.rxMin);
    rxAxisMax->SetValue(c.rxMax);
    ryAxisMin->SetValue(c.ryMin);
    ryAxisMax->SetValue(c.ryMax);
    rzAxisMin->SetValue(c.rzMin);
    rzAxisMax->SetValue(c.rzMax);
}

void TMainForm::SendJoystickConfig()
{
    FProto.SendJoystickConfig(JoystickConfigFromControls());
}

void TMainForm::SendMotorConfig()
{
    FProto.SendMotorConfig(MotorConfigFromControls());
}

void TMainForm::SendRestart()
{
    FProto.SendRestart();
}

void TMainForm::btnHardwareApplyClick(TObject*)
{
    SendJoystickConfig();
    SendMotorConfig();
}

void TMainForm::btnHardwareSaveClick(TObject*)
{
    btnHardwareApply->Click();
    FProto.Save(FProto.CurrentWheelBase, SlotHardware);
    SendRestart();
}

void TMainForm::TabHardwareShow(TObject*)
{
    RequestJoystickConfig();
    RequestMotorConfig();
}
