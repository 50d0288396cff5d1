#include "app/settings_form.h"

#include <cmath>

#include "app/main_form.h"

TFormSettings* FormSettings = nullptr;

TFormSettings::TFormSettings(TComponent* owner) : TForm(owner)
{
    BeginLoading();
    SetName(L"FormSettings");
    SetCaption(L"Preferences");
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetPosition(poMainFormCenter);
    SetClientSize(360, 150);

    lblForceMultiplier = new TsLabel(this);
    lblForceMultiplier->SetName(L"lblForceMultiplier");
    lblForceMultiplier->SetParent(this);
    lblForceMultiplier->SetCaption(L"Force Multiplier");
    lblForceMultiplier->SetBounds(16, 19, 120, 16);

    forceMultiplier = new TsDecimalSpinEdit(this);
    forceMultiplier->SetName(L"forceMultiplier");
    forceMultiplier->SetParent(this);
    forceMultiplier->SetBounds(150, 16, 100, 22);
    forceMultiplier->SetDecimalPlaces(2);
    forceMultiplier->SetIncrement(1);
    forceMultiplier->SetMinValue(1);
    forceMultiplier->SetMaxValue(100);
    forceMultiplier->SetValue(15);

    chkEnableEncoderPosFix = new TsCheckBox(this);
    chkEnableEncoderPosFix->SetName(L"chkEnableEncoderPosFix");
    chkEnableEncoderPosFix->SetParent(this);
    chkEnableEncoderPosFix->SetCaption(L"Enable Encoder Position Correction");
    chkEnableEncoderPosFix->SetBounds(16, 50, 320, 20);

    chkEnableDebug = new TsCheckBox(this);
    chkEnableDebug->SetName(L"chkEnableDebug");
    chkEnableDebug->SetParent(this);
    chkEnableDebug->SetCaption(L"Enable debug mode");
    chkEnableDebug->SetBounds(16, 76, 320, 20);

    btnOK = new TsButton(this);
    btnOK->SetName(L"btnOK");
    btnOK->SetParent(this);
    btnOK->SetCaption(L"OK");
    btnOK->SetBounds(174, 112, 80, 25);
    btnOK->SetDefault(true);
    btnOK->OnClick = Bind<&TFormSettings::btnOKClick>(this);

    btnCancel = new TsButton(this);
    btnCancel->SetName(L"btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetCaption(L"Cancel");
    btnCancel->SetBounds(264, 112, 80, 25);
    btnCancel->OnClick = Bind<&TFormSettings::btnCancelClick>(this);

    OnCreate = Bind<&TFormSettings::FormCreate>(this);
    OnShow = Bind<&TFormSettings::FormShow>(this);
    OnKeyDown = Bind<&TFormSettings::FormKeyDown>(this);
    EndLoading();
}

TDeviceProtocol* TFormSettings::Protocol()
{
    return MainForm ? &MainForm->Protocol() : nullptr;
}

void TFormSettings::FormCreate(TObject*)
{
    // Escape must reach the window before the focused control takes it.
    SetKeyPreview(true);
}

void TFormSettings::CenterOnMainWindow()
{
    if (!MainForm || !MainForm->HandleAllocated()) return;
    RECT r;
    if (!GetWindowRect(MainForm->Handle(), &r)) return;
    SetBounds(r.left + (r.right - r.left - Width()) / 2, r.top + (r.bottom - r.top - Height()) / 2, Width(), Height());
}

void TFormSettings::FormShow(TObject*)
{
    Guarded(MainForm, [&] {
        // Every time, not only the first: the main window may have moved since.
        CenterOnMainWindow();
        if (TDeviceProtocol* p = Protocol()) p->RequestGeneralConfig();
    });
}

void TFormSettings::FormKeyDown(TObject*, WORD& Key, TShiftState)
{
    if (Key != VK_ESCAPE) return;
    Key = 0;
    SetModalResult(mrAbort);
    if (!(FormState() & fsModal)) Close();
}

TGeneralConfig TFormSettings::GeneralConfigFromControls() const
{
    TGeneralConfig config{};
    config.forceMultiplier = static_cast<float>(forceMultiplier->Value());
    config.encoderPosFix = chkEnableEncoderPosFix->Checked();
    config.debugMode = chkEnableDebug->Checked();
    return config;
}

void TFormSettings::SendGeneralConfig()
{
    if (TDeviceProtocol* p = Protocol()) p->SendGeneralConfig(GeneralConfigFromControls());
}

void TFormSettings::ShowGeneralConfig(const TGeneralConfig& config)
{
    // Logged and dropped here rather than raised: a raise would skip the acknowledgement of
    // the reply, and the wheel base would keep repeating it.
    if (!std::isfinite(config.forceMultiplier)) {
        if (MainForm)
            MainForm->SetSysLog(L"General block: the force multiplier is not a number; the window keeps " +
                                TsDecimalSpinEdit::FormatNumber(forceMultiplier->Value(), 2));
        return;
    }
    forceMultiplier->SetValue(config.forceMultiplier);
    chkEnableEncoderPosFix->SetChecked(config.encoderPosFix);
    chkEnableDebug->SetChecked(config.debugMode);
}

void TFormSettings::btnOKClick(TObject*)
{
    Guarded(MainForm, [&] {
        SendGeneralConfig();
        // The device keeps the general block with its hardware settings.
        if (TDeviceProtocol* p = Protocol()) p->Save(p->CurrentWheelBase, SlotHardware);
    });
    SetModalResult(mrOk);
    if (!(FormState() & fsModal)) Close();
}

void TFormSettings::btnCancelClick(TObject*)
{
    SetModalResult(mrCancel);
    if (!(FormState() & fsModal)) Close();
}

// The general block's reply reaches the preferences window also while it is closed.
void TMainForm::ShowGeneralConfig(const TGeneralConfig& config)
{
    if (FormSettings) FormSettings->ShowGeneralConfig(config);
}
