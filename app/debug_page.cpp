#include "app/debug_page.h"

#include <cmath>

#include "app/main_form.h"
#include "support/json/json_rtti.h"

namespace {

// "0.00": at least one integer digit, two decimals, the user's decimal separator; halves
// round away from zero (0.125 shows as 0.13) and a value that rounds to zero shows no sign.
String Fixed2(double v)
{
    if (!std::isfinite(v)) return TsDecimalSpinEdit::FormatNumber(v, 2);
    double r = std::round(v * 100.0) / 100.0;
    if (r == 0) r = 0;   // no "-0.00"
    return TsDecimalSpinEdit::FormatNumber(r, 2);
}

void NaNToMinusOne(float& v)
{
    if (std::isnan(v)) v = -1.0f;
}

String ListItem(TsComboBox* list, int index)
{
    if (!list || index < 0 || index >= list->Items()->Count()) return String();
    return list->Items()->Get(index);
}

// Biquad rows: label prefix and the name of the cut-off column (the overall row spells it
// in lower case).
struct TBiquadRow {
    const wchar_t* caption;
    const wchar_t* prefix;
    const wchar_t* fcName;
};
constexpr TBiquadRow kBiquadRows[TDebugPage::BiquadFilters] = {
    {L"OverallLPF", L"o_", L"fc"},
    {L"DamperLPF", L"d_", L"Fc"},
    {L"InertiaLPF", L"i_", L"Fc"},
    {L"FrictionLPF", L"f_", L"Fc"},
};
constexpr const wchar_t* kBiquadColumns[TDebugPage::BiquadColumns] = {L"a0", L"a1", L"a2", L"b1", L"b2",
                                                                     L"z1", L"z2", L"Q",  L"Fc"};

}  // namespace

void ReplaceNaN(TEncoderReport& report)
{
    NaNToMinusOne(report.Speed);
}

void ReplaceNaN(TBiquadReport& report)
{
    for (float* v : {&report.a0, &report.a1, &report.a2, &report.b1, &report.b2, &report.Fc, &report.Q, &report.z1,
                     &report.z2})
        NaNToMinusOne(*v);
}

// ---- Building ------------------------------------------------------------------------------

TsLabel* TDebugPage::AddValue(TWinControl* parent, const String& caption, const String& name, int x, int y)
{
    auto* l = new TsLabel(FForm);
    l->SetParent(parent);
    l->SetCaption(caption);
    l->SetAutoSize(false);
    l->SetBounds(x, y, 96, 16);
    auto* v = new TsLabel(FForm);
    v->SetName(name);
    v->SetParent(parent);
    v->SetCaption(L"0");
    v->SetAutoSize(false);
    v->SetBounds(x + 98, y, 90, 16);
    return v;
}

TDebugPage::TDebugPage(TMainForm* form, TWinControl* sheet) : TComponent(form), FForm(form)
{
    auto group = [&](const String& caption, int x, int y, int w, int h) {
        auto* g = new TsGroupBox(form);
        g->SetParent(sheet);
        g->SetCaption(caption);
        g->SetBounds(x, y, w, h);
        return g;
    };
    constexpr int kRow = 20;

    TsGroupBox* enc = group(L"Encoder", 8, 4, 210, 166);
    int y = 22;
    cPos = AddValue(enc, L"Current Pos", L"cPos", 10, y);
    mPos = AddValue(enc, L"Max Pos", L"mPos", 10, y += kRow);
    dSpeed = AddValue(enc, L"Speed", L"dSpeed", 10, y += kRow);
    pZ = AddValue(enc, L"Z+", L"pZ", 10, y += kRow);
    nZ = AddValue(enc, L"Z-", L"nZ", 10, y += kRow);
    dPPR = AddValue(enc, L"PPR", L"dPPR", 10, y += kRow);
    dCPR = AddValue(enc, L"CPR", L"dCPR", 10, y += kRow);

    TsGroupBox* pwm = group(L"PWM", 8, 174, 210, 86);
    y = 22;
    dPWMMode = AddValue(pwm, L"Mode", L"dPWMMode", 10, y);
    dPWMMode->SetWidth(104);
    dPWMFreq = AddValue(pwm, L"Freq", L"dPWMFreq", 10, y += kRow);
    dPWMPeriod = AddValue(pwm, L"Period", L"dPWMPeriod", 10, y += kRow);

    TsGroupBox* wheel = group(L"Wheel", 226, 4, 210, 146);
    y = 22;
    wX = AddValue(wheel, L"X", L"wX", 10, y);
    wY = AddValue(wheel, L"Y", L"wY", 10, y += kRow);
    wZ = AddValue(wheel, L"Z", L"wZ", 10, y += kRow);
    wRX = AddValue(wheel, L"RX", L"wRX", 10, y += kRow);
    wRY = AddValue(wheel, L"RY", L"wRY", 10, y += kRow);
    wRZ = AddValue(wheel, L"RZ", L"wRZ", 10, y += kRow);

    TsGroupBox* calc = group(L"Calculated Parameters", 226, 154, 210, 106);
    y = 22;
    dTotalForce = AddValue(calc, L"Total Force", L"dTotalForce", 10, y);
    dTotalForceGain = AddValue(calc, L"Total Force Gain", L"dTotalForceGain", 10, y += kRow);
    dStopForce = AddValue(calc, L"Stop Force", L"dStopForce", 10, y += kRow);
    dUserForce = AddValue(calc, L"User Force", L"dUserForce", 10, y += kRow);

    TsGroupBox* effects = group(L"Effects", 444, 4, 400, 146);
    struct TEffectDef {
        TsLabel** label;
        const wchar_t* caption;
        const wchar_t* name;
    } defs[] = {
        {&dFFBTotalForce, L"Total", L"dFFBTotalForce"},
        {&dFFBConstantForce, L"Constant", L"dFFBConstantForce"},
        {&dFFBRampForce, L"Ramp", L"dFFBRampForce"},
        {&dFFBSpringForce, L"Spring", L"dFFBSpringForce"},
        {&dFFBDamperForce, L"Damper", L"dFFBDamperForce"},
        {&dFFBInertiaForce, L"Inertia", L"dFFBInertiaForce"},
        {&dFFBFrictionForce, L"Friction", L"dFFBFrictionForce"},
        {&dFFBSquareForce, L"Square", L"dFFBSquareForce"},
        {&dFFBTriangleForce, L"Triangle", L"dFFBTriangleForce"},
        {&dFFBSineForce, L"Sine", L"dFFBSineForce"},
        {&dFFBSawUpForce, L"Sawtooth Up", L"dFFBSawUpForce"},
        {&dFFBSawDownForce, L"Sawtooth Down", L"dFFBSawDownForce"},
    };
    for (size_t i = 0; i < std::size(defs); ++i)
        *defs[i].label = AddValue(effects, defs[i].caption, defs[i].name, 10 + 196 * static_cast<int>(i / 6),
                                  22 + kRow * static_cast<int>(i % 6));

    TsGroupBox* biquad = group(L"Biquad", 444, 154, 580, 126);
    for (int c = 0; c < BiquadColumns; ++c) {
        auto* head = new TsLabel(form);
        head->SetParent(biquad);
        head->SetCaption(kBiquadColumns[c]);
        head->SetBounds(92 + 54 * c, 20, 50, 16);
    }
    for (int r = 0; r < BiquadFilters; ++r) {
        auto* rowCaption = new TsLabel(form);
        rowCaption->SetParent(biquad);
        rowCaption->SetCaption(kBiquadRows[r].caption);
        rowCaption->SetBounds(10, 40 + kRow * r, 80, 16);
        for (int c = 0; c < BiquadColumns; ++c) {
            auto* v = new TsLabel(form);
            const String column = c == BiquadColumns - 1 ? String(kBiquadRows[r].fcName) : String(kBiquadColumns[c]);
            v->SetName(kBiquadRows[r].prefix + column);
            v->SetParent(biquad);
            v->SetCaption(L"0");
            v->SetAutoSize(false);
            v->SetBounds(92 + 54 * c, 40 + kRow * r, 52, 16);
            Biquad[static_cast<size_t>(r)][static_cast<size_t>(c)] = v;
        }
    }

    enableLogTofile = group(L"Log to File", 8, 284, 428, 60);
    enableLogTofile->SetName(L"enableLogTofile");
    enableLogTofile->SetCheckBoxVisible(true);
    enableLogTofile->SetChecked(false);
    enableLogTofile->OnCheckBoxChanged = Bind<&TDebugPage::enableLogTofileClick>(this);
    LogfileSelector = new TsFilenameEdit(form);
    LogfileSelector->SetName(L"LogfileSelector");
    LogfileSelector->SetParent(enableLogTofile);
    LogfileSelector->SetBounds(12, 26, 402, 22);
    LogfileSelector->SetButtonWidth(21);
    LogfileSelector->SetAcceptFiles(true);
    LogfileSelector->SetDialogOptions(ofHideReadOnly);
    LogfileSelector->SetFileName(DefaultLogFile);
    // With the box unchecked the name stays editable, so it can be chosen before logging starts.
    enableLogTofile->SetAutoChildrenStates(csNone);

    // Every logged message, across the tab's foot; it grows with the window.
    TsGroupBox* log = group(L"Log", 8, 350, 1016, 164);
    log->SetName(L"GroupLog");
    log->SetAnchors(akLeft | akTop | akRight | akBottom);
    sysLog = new TsMemo(form);
    sysLog->SetName(L"sysLog");
    sysLog->SetParent(log);
    sysLog->SetBounds(10, 20, 996, 134);
    sysLog->SetAnchors(akLeft | akTop | akRight | akBottom);
    sysLog->SetReadOnly(true);
    sysLog->SetScrollBars(ssVertical);
}

// ---- Handlers ------------------------------------------------------------------------------

void TDebugPage::enableLogTofileClick(TObject*)
{
    try {
        FForm->SoupConfig1->WriteBool(L"Debug", L"LogToFile", enableLogTofile->Checked());
    } catch (...) {
        FForm->SetSysLog(L"Settings: " + CurrentExceptionMessage());
    }
}

void TDebugPage::ShowJoystickState(const TJoystickState& s)
{
    wX->SetCaption(IntToStr(s.x));
    wY->SetCaption(IntToStr(s.y));
    wZ->SetCaption(IntToStr(s.z));
    wRX->SetCaption(IntToStr(s.rx));
    wRY->SetCaption(IntToStr(s.ry));
    wRZ->SetCaption(IntToStr(s.rz));
}

void TDebugPage::ShowEncoderReport(TEncoderReport r)
{
    ReplaceNaN(r);
    cPos->SetCaption(IntToStr(r.CurrentPos));
    mPos->SetCaption(IntToStr(r.MaxPos));
    dSpeed->SetCaption(Fixed2(r.Speed));
    pZ->SetCaption(IntToStr(r.zPositivePos));
    nZ->SetCaption(IntToStr(r.zNegativePos));
    dPPR->SetCaption(IntToStr(r.PPR));
    dCPR->SetCaption(IntToStr(r.CPR));
}

void TDebugPage::ShowPwmReport(const TPWMReport& r)
{
    // The Hardware tab's lists: a mode outside the list shows nothing.
    dPWMMode->SetCaption(ListItem(FForm->pwmMode, r.mode));
    dPWMFreq->SetCaption(ListItem(FForm->pwmFreq, PwmFrequencyToIndex(r.freq)));
    dPWMPeriod->SetCaption(IntToStr(r.period));
}

void TDebugPage::ShowCalculatedData(const TCalculatedData& d)
{
    dTotalForce->SetCaption(Fixed2(d.totalForce));
    dTotalForceGain->SetCaption(Fixed2(d.totalForceGain));
    dStopForce->SetCaption(Fixed2(d.stopForce));
    dUserForce->SetCaption(Fixed2(d.userForce));
}

void TDebugPage::ShowBiquadReport(TBiquadReport r)
{
    if (r.filter >= BiquadFilters) return;
    ReplaceNaN(r);
    const float values[BiquadColumns] = {r.a0, r.a1, r.a2, r.b1, r.b2, r.z1, r.z2, r.Q, r.Fc};
    auto& row = Biquad[r.filter];
    for (int c = 0; c < BiquadColumns; ++c) row[static_cast<size_t>(c)]->SetCaption(Fixed2(values[c]));
}

void TDebugPage::ShowFfbReport(const TFFBReport& r)
{
    dFFBTotalForce->SetCaption(Fixed2(r.totalForce));
    dFFBConstantForce->SetCaption(Fixed2(r.constantForce));
    dFFBRampForce->SetCaption(Fixed2(r.rampForce));
    dFFBSpringForce->SetCaption(Fixed2(r.springForce));
    dFFBDamperForce->SetCaption(Fixed2(r.damperForce));
    dFFBInertiaForce->SetCaption(Fixed2(r.inertiaForce));
    dFFBFrictionForce->SetCaption(Fixed2(r.frictionForce));
    dFFBSquareForce->SetCaption(Fixed2(r.squareForce));
    dFFBTriangleForce->SetCaption(Fixed2(r.triangleForce));
    dFFBSineForce->SetCaption(Fixed2(r.sineForce));
    dFFBSawUpForce->SetCaption(Fixed2(r.sawUpForce));
    dFFBSawDownForce->SetCaption(Fixed2(r.sawDownForce));
}

// ---- Record log ----------------------------------------------------------------------------

String TDebugPage::RecordJson(const TTypeInfo* type, const void* record)
{
    // What is logged is what was shown: the NaN replacement applies to the logged copy too.
    TEncoderReport encoder;
    if (type == TypeInfoOf<TEncoderReport>()) {
        encoder = *static_cast<const TEncoderReport*>(record);
        ReplaceNaN(encoder);
        record = &encoder;
    }
    TJsonRttiContext ctx;
    const IJsonObject obj = ctx.ToJson(TJsonTypedValue{type, const_cast<void*>(record)}, JsonParse(u"{}"));
    if (!obj) throw Exception(L"The record cannot be written as JSON");
    const JsonString text = obj->AsJSon(false, true);
    return String(text.begin(), text.end());
}

void TDebugPage::RecordReceived(const TTypeInfo* type, const void* record)
{
    if (!enableLogTofile->Checked() || !type || !record) return;
    if (!FForm->FThreadFileLog) return;
    const String json = RecordJson(type, record);
    FForm->FThreadFileLog->Log(LogfileSelector->FileName(), json);
}

// ---- The main window's side ----------------------------------------------------------------

void TMainForm::BuildDebugPage()
{
    DebugPage = new TDebugPage(this, TabDebug);
    enableLogTofile = DebugPage->enableLogTofile;
    LogfileSelector = DebugPage->LogfileSelector;
    sysLog = DebugPage->sysLog;
}

void TMainForm::ShowJoystickState(const TJoystickState& state)
{
    if (DebugPage) DebugPage->ShowJoystickState(state);
}

void TMainForm::ShowEncoderReport(const TEncoderReport& report)
{
    if (DebugPage) DebugPage->ShowEncoderReport(report);
}

void TMainForm::ShowPwmReport(const TPWMReport& report)
{
    if (DebugPage) DebugPage->ShowPwmReport(report);
}

void TMainForm::ShowCalculatedData(const TCalculatedData& data)
{
    if (DebugPage) DebugPage->ShowCalculatedData(data);
}

void TMainForm::ShowBiquadReport(const TBiquadReport& report)
{
    if (DebugPage) DebugPage->ShowBiquadReport(report);
}

void TMainForm::ShowFfbReport(const TFFBReport& report)
{
    if (DebugPage) DebugPage->ShowFfbReport(report);
}

void TMainForm::RecordReceived(const TTypeInfo* type, const void* record)
{
    if (DebugPage) DebugPage->RecordReceived(type, record);
}
