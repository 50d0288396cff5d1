// The modal preferences window: the wheel base's general block (force multiplier, encoder
// position correction, debug mode). Showing it asks the wheel base for the block; OK writes
// the block and makes the device store its hardware slot; Cancel and Escape send nothing.
#pragma once

#include "app/protocol/device_records.h"
#include "skin/controls/sbuttons.h"
#include "skin/controls/scheckbox.h"
#include "skin/controls/slabel.h"
#include "skin/controls/sspinedit.h"
#include "vcl/forms.h"

class TDeviceProtocol;

class TFormSettings : public TForm {
public:
    explicit TFormSettings(TComponent* owner);

    TsLabel* lblForceMultiplier = nullptr;
    TsDecimalSpinEdit* forceMultiplier = nullptr;
    TsCheckBox* chkEnableEncoderPosFix = nullptr;
    TsCheckBox* chkEnableDebug = nullptr;
    TsButton* btnOK = nullptr;
    TsButton* btnCancel = nullptr;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void btnOKClick(TObject* Sender);
    void btnCancelClick(TObject* Sender);

    // The block as the controls hold it now, and its write packet to the wheel base.
    TGeneralConfig GeneralConfigFromControls() const;
    void SendGeneralConfig();
    // A general-block reply (also while the window is closed).
    void ShowGeneralConfig(const TGeneralConfig& config);

private:
    // The main window's protocol, or nullptr before it exists.
    static TDeviceProtocol* Protocol();
    void CenterOnMainWindow();
};

extern TFormSettings* FormSettings;
