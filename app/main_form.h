// The main window: menu, information panel, the five pages (Base, Hardware, Shifter, Pedal,
// Debug, which holds the log memo) and the status bar; it finds and drops the wheel base and the shifter,
// runs the device protocol on their reports, and keeps the logs.
//
// Page code lives in its own files: base_page.cpp (Base tab), hardware_page.cpp (Hardware
// tab); the Shifter and Debug tabs get theirs the same way (build the controls in a
// Build*Page function called from the constructor, override the TProtocolView Show* member
// that feeds them).
#pragma once

#include "vcl/win.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/log/log_format.h"
#include "app/log/thread_file_log.h"
#include "app/protocol/device_protocol.h"
#include "app/protocol/hid_report_writer.h"
#include "hid/hid_controller.h"
#include "skin/controls/salphaimagelist.h"
#include "skin/controls/sbuttons.h"
#include "skin/controls/scheckbox.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/scomboedit.h"
#include "skin/controls/sedits.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/simage.h"
#include "skin/controls/slabel.h"
#include "skin/controls/spagecontrol.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sspinedit.h"
#include "skin/controls/sstatusbar.h"
#include "skin/controls/strackbar.h"
#include "skin/engine/skin_manager.h"
#include "support/aatext/aa_scrolltext.h"
#include "support/config/soup_config.h"
#include "support/timers/thread_timer.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/threads.h"

class TShifterPage;
class TDebugPage;

class TMainForm : public TForm, public TProtocolView, public TLogSink {
public:
    static constexpr const wchar_t* WindowCaption = L"Qwelta Wheel Configuration - v1.1.0.3";
    static constexpr const wchar_t* AppTitle = L"Qwelta Wheel Configuration";
    static constexpr const wchar_t* TextConnected = L"Connected";
    static constexpr const wchar_t* TextDisconnected = L"Disconnected";
    // The skin folder the skin manager was set up with: a developer's own, absent elsewhere.
    static constexpr const wchar_t* StoredSkinDirectory = L"D:\\Work\\QweltaWheel\\Skins";
    // Status panels.
    enum { PanelStatus = 0, PanelLedMask = 2, PanelWheel = 3, PanelShifter = 5, PanelPedal = 7, PanelFirmware = 9 };
    // A profile load whose three blocks have not all come back within this time ends.
    static constexpr uint32_t ProfileLoadTimeoutMs = 5000;

    // settingsFile: the settings store's file (empty: the INI file named after the program,
    // beside it).
    explicit TMainForm(TComponent* owner, const String& settingsFile = String());
    ~TMainForm() override;

    // ---- Components
    TsSkinManager* sSkinManager1 = nullptr;
    THidDeviceController* HIDCtl = nullptr;
    TSoupConfig* SoupConfig1 = nullptr;
    TThreadTimer* DevMon = nullptr;
    TThreadTimer* WidthController = nullptr;
    TThreadTimer* timerTips = nullptr;
    TThreadTimer* IncAngle = nullptr;
    TThreadTimer* DecAngle = nullptr;
    TsAlphaImageList* Images = nullptr;

    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* F1 = nullptr;   // "&File"
    TMenuItem* E1 = nullptr;   // "E&xit"
    TMenuItem* S1 = nullptr;   // "Setup"
    TMenuItem* P1 = nullptr;   // "&Preferences"
    TMenuItem* T1 = nullptr;   // "Themes"
    TMenuItem* D1 = nullptr;   // "Dark"
    TMenuItem* L1 = nullptr;   // "Light"
    TMenuItem* H1 = nullptr;   // "&Help"
    TMenuItem* H2 = nullptr;   // "Hel&p"
    TMenuItem* N1 = nullptr;   // "&About"

    // Information panel: product title and maker scrolling over the theme's picture, three state
    // dots (image 3 of Images) and, at the right, the banner whose click opens the support page.
    TsPanel* InfoPanel = nullptr;
    TAAScrollText* InfoText = nullptr;
    TsImage* StateDot1 = nullptr;
    TsImage* StateDot2 = nullptr;
    TsImage* StateDot3 = nullptr;
    TsImage* donateMe = nullptr;
    // Entries of Images: the connection states, the idle and the state dot.
    enum { ImageConnected = 0, ImageDisconnected = 1, ImageIdleDot = 2, ImageStateDot = 3 };
    // The address the banner opens.
    static constexpr const wchar_t* SupportPage = L"https://qwelta-wheel.example/support";
    // Opens an address in the default browser (the shell's "open"); tests put their own in, so
    // that nothing is launched.
    std::function<void(const String& url)> OpenLink;

    TsPageControl* PageControl = nullptr;
    TsTabSheet* TabBase = nullptr;
    TsTabSheet* TabHardware = nullptr;
    TsTabSheet* TabShifter = nullptr;
    TsTabSheet* TabPedal = nullptr;
    TsTabSheet* TabDebug = nullptr;
    TsStatusBar* StatusBar = nullptr;

    // ---- Hardware tab: motor, encoder and PID at the left, the joystick axes beside them, the
    // buttons in the rest.
    TsPanel* pnlHardwareLeft = nullptr;
    TsPanel* pnlHardwareAxes = nullptr;
    TsPanel* pnlHardwareClient = nullptr;

    // ---- Base tab
    TsTrackBar* sMaxAngle = nullptr;
    TsButton* btnDecWheel = nullptr;
    TsButton* btnIncWheel = nullptr;
    TsButton* btnCenterize = nullptr;
    TsButton* btnCalibrate = nullptr;
    TsTrackBar* sStopForce = nullptr;
    TsTrackBar* sMinForce = nullptr;
    TsTrackBar* sMaxForce = nullptr;
    TsTrackBar* sOverallFilter = nullptr;
    TsTrackBar* sDamperFilter = nullptr;
    TsTrackBar* sInertiaFilter = nullptr;
    TsTrackBar* sFrictionFilter = nullptr;
    TsComboBox* cFfbFrequency = nullptr;
    TsDecimalSpinEdit* edtQFactor = nullptr;
    TsDecimalSpinEdit* edtPeakGain = nullptr;
    TsTrackBar* sOverall = nullptr;
    TsTrackBar* sConstantGain = nullptr;
    TsTrackBar* sRampGain = nullptr;
    TsTrackBar* sSquareGain = nullptr;
    TsTrackBar* sSineGain = nullptr;
    TsTrackBar* sTriangleGain = nullptr;
    TsTrackBar* sSawtoothUpGain = nullptr;
    TsTrackBar* sSawtoothDownGain = nullptr;
    TsTrackBar* sSpringGain = nullptr;
    TsTrackBar* sDamperGain = nullptr;
    TsTrackBar* sInertiaGain = nullptr;
    TsTrackBar* sFrictionGain = nullptr;
    TsCheckBox* chkEnableTelemetry = nullptr;
    TsGroupBox* GroupUserDamper = nullptr;
    TsGroupBox* GroupUserInertia = nullptr;
    TsGroupBox* GroupUserFriction = nullptr;
    TsGroupBox* GroupUserSpring = nullptr;
    TsTrackBar* userDamperForce = nullptr;
    TsTrackBar* userDamperGain = nullptr;
    TsTrackBar* userFrictionForce = nullptr;
    TsTrackBar* userFrictionGain = nullptr;
    TsTrackBar* userInertiaForce = nullptr;
    TsTrackBar* userInertiaGain = nullptr;
    TsTrackBar* userSpringForce = nullptr;
    TsTrackBar* userSpringGain = nullptr;
    TsTrackBar* userEffectOffset = nullptr;
    TsTrackBar* userEffectGain = nullptr;
    TsTrackBar* userEffectSaturation = nullptr;
    TsTrackBar* userEffectCoefficient = nullptr;
    TsComboBox* cProfiles = nullptr;
    TsButton* btnLoadProfile = nullptr;
    TsButton* btnSaveProfile = nullptr;
    TsButton* btnApply = nullptr;

    // ---- Hardware tab
    TsComboBox* pwmMode = nullptr;
    TsComboBox* pwmFreq = nullptr;
    TsCheckBox* chkAbsEncoder = nullptr;
    TsCheckBox* chkUseZ = nullptr;
    TsCheckBox* chkReverseEncoder = nullptr;
    TsDecimalSpinEdit* PPR = nullptr;
    TsComboBox* PIDMode = nullptr;
    TsComboBox* controllerDirection = nullptr;
    TsDecimalSpinEdit* edtKp = nullptr;
    TsDecimalSpinEdit* edtKi = nullptr;
    TsDecimalSpinEdit* edtKd = nullptr;
    TsDecimalSpinEdit* edtSampleTime = nullptr;
    TsDecimalSpinEdit* xAxisMin = nullptr;
    TsDecimalSpinEdit* xAxisMax = nullptr;
    TsDecimalSpinEdit* yAxisMin = nullptr;
    TsDecimalSpinEdit* yAxisMax = nullptr;
    TsDecimalSpinEdit* zAxisMin = nullptr;
    TsDecimalSpinEdit* zAxisMax = nullptr;
    TsDecimalSpinEdit* rxAxisMin = nullptr;
    TsDecimalSpinEdit* rxAxisMax = nullptr;
    TsDecimalSpinEdit* ryAxisMin = nullptr;
    TsDecimalSpinEdit* ryAxisMax = nullptr;
    TsDecimalSpinEdit* rzAxisMin = nullptr;
    TsDecimalSpinEdit* rzAxisMax = nullptr;
    TsButton* btnHardwareApply = nullptr;
    TsButton* btnHardwareSave = nullptr;

    // ---- Shifter and Debug tabs (shifter_page.cpp, debug_page.cpp)
    TShifterPage* ShifterPage = nullptr;
    TDebugPage* DebugPage = nullptr;
    TsLabel* lblTips = nullptr;               // Shifter tab: the tips timer writes here
    TsGroupBox* enableLogTofile = nullptr;    // Debug tab: "Log to File"
    TsFilenameEdit* LogfileSelector = nullptr;
    TsMemo* sysLog = nullptr;                 // Debug tab: "Log", every logged message

    // ---- State
    THidDevice* CurrentWheelBase = nullptr;
    THidDevice* CurrentShifter = nullptr;
    bool Enumerating = false;
    bool Startup = true;
    uint32_t totalEffects = 0;
    TPoint ShifterCurPosOnGrid{0, 0};
    TThreadFileLog* FThreadFileLog = nullptr;
    // Milliseconds since some fixed moment; the device monitor measures the profile load's
    // age with it (tests step it).
    std::function<uint64_t()> TickSource = [] { return static_cast<uint64_t>(GetTickCount64()); };

    bool Closing() const { return FProto.Closing; }
    TDeviceProtocol& Protocol() { return FProto; }
    TStringList& RequestQ() { return FProto.RequestQ; }
    TStringList& ProfileLoading() { return FProto.ProfileLoading; }
    // The skin the theme menu chose ("Dark" / "Light"; the manager's SkinName follows it).
    const String& SkinName() const { return FSkinName; }

    // ---- Handlers
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);

    bool HIDCtlEnumerate(THidDevice* HidDev, int Idx);
    void HIDCtlArrival(THidDevice* HidDev);
    void HIDCtlDeviceChange(TObject* Sender);
    void HIDCtlDeviceUnplug(THidDevice* HidDev);
    void HIDCtlDeviceData(THidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size);

    void DevMonTimer(TObject* Sender);
    void timerTipsTimer(TObject* Sender);
    void WidthControllerTimer(TObject* Sender);
    void StatusBarDrawPanel(TStatusBar* Bar, TStatusPanel* Panel, const TRect& Rect);

    void OnSuspend();
    void OnResume();

    void E1Click(TObject* Sender);
    void D1Click(TObject* Sender);
    void L1Click(TObject* Sender);
    void P1Click(TObject* Sender);
    void H2Click(TObject* Sender);
    void N1Click(TObject* Sender);
    void donateMeClick(TObject* Sender);
    void TabDebugShow(TObject* Sender);

    // Base tab.
    void btnApplyClick(TObject* Sender);
    void btnLoadProfileClick(TObject* Sender);
    void btnSaveProfileClick(TObject* Sender);
    void btnCenterizeClick(TObject* Sender);
    void btnCalibrateClick(TObject* Sender);
    void btnDecWheelClick(TObject* Sender);
    void btnIncWheelClick(TObject* Sender);
    void btnDecWheelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void btnIncWheelMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void btnDecWheelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void btnIncWheelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DecAngleTimer(TObject* Sender);
    void IncAngleTimer(TObject* Sender);
    void TabBaseShow(TObject* Sender);
    // Hardware tab.
    void btnHardwareApplyClick(TObject* Sender);
    void btnHardwareSaveClick(TObject* Sender);
    void TabHardwareShow(TObject* Sender);

    // ---- Protocol and records
    void SendWheelBaseConfig();
    void SendUserEffectConfig();
    void SendJoystickConfig();
    void SendMotorConfig();
    void SendRestart();
    void RequestFirmware() { FProto.RequestFirmware(); }
    void RequestProfileConfig() { FProto.RequestProfileConfig(); }
    void RequestJoystickConfig() { FProto.RequestJoystickConfig(); }
    void RequestMotorConfig() { FProto.RequestMotorConfig(); }
    // The records as the controls show them now. EConvertError when the Q factor or peak gain
    // text is not a number.
    TWheelBaseConfig WheelBaseConfigFromControls() const;
    TUserEffectConfig UserEffectConfigFromControls() const;
    TJoystickConfig JoystickConfigFromControls() const;
    TMotorConfig MotorConfigFromControls() const;

    void StoreActiveProfile();
    int ReadActiveProfile();

    // Ends a profile load that began ProfileLoadTimeoutMs or more before tick now (ms) and
    // still waits for a block, with one log line, so that it stops holding back the Base
    // tab's reads. The device monitor calls it every second.
    void ExpireStaleProfileLoad(uint64_t now);

    // ---- TProtocolView
    void SetAppStatus(const String& msg) override { FLog.SetAppStatus(msg); }
    void SetSysLog(const String& msg) override { FLog.SetSysLog(msg); }
    int SelectedProfileIndex() const override;
    void ApplyClick() override { btnApply->Click(); }
    void ShowFirmwareVersion(const String& text) override;
    void ShowJoystickConfig(const TJoystickConfig& config) override;
    void ShowMotorConfig(const TMotorConfig& config) override;
    void ShowWheelBaseConfig(const TWheelBaseConfig& config) override;
    void ShowUserEffectConfig(const TUserEffectConfig& config) override;
    void ShowGeneralConfig(const TGeneralConfig& config) override;
    // Debug tab and record log (debug_page.cpp).
    void ShowJoystickState(const TJoystickState& state) override;
    void ShowEncoderReport(const TEncoderReport& report) override;
    void ShowPwmReport(const TPWMReport& report) override;
    void ShowCalculatedData(const TCalculatedData& data) override;
    void ShowBiquadReport(const TBiquadReport& report) override;
    void ShowFfbReport(const TFFBReport& report) override;
    void RecordReceived(const TTypeInfo* type, const void* record) override;
    // Shifter tab (shifter_page.cpp).
    void ShowGearState(uint16_t gearBits) override;
    void ShowShifterPosition(const TShifterPosition& position) override;
    void ShowShifterConfig(const TShifterConfig& config) override;
    void ShowShifterFirmware(const String& text) override;

    // ---- TLogSink
    void ShowStatusText(const String& line) override;
    void AddLogLine(const String& line) override;

protected:
    void Dispatch(TMessage& m) override;
    void WMQueryEndSession(TMessage& m) override;
    virtual void WMPOWERBROADCAST(TMessage& m);
    virtual void WMENDSESSION(TMessage& m);

private:
    void BuildMenu();
    void BuildWindow();
    void BuildBasePage();
    void BuildHardwarePage();
    void BuildShifterPage();
    void BuildDebugPage();
    void LoadStatusImages();

    // A caption label, a track bar and a label that follows its position.
    TsTrackBar* AddSlider(TWinControl* parent, const String& caption, int x, int y, int barWidth, int min, int max,
                          int position, int captionWidth = 96);
    void SliderChange(TObject* Sender);
    TsDecimalSpinEdit* AddSpinEdit(TWinControl* parent, const String& caption, int x, int y, int captionWidth,
                                   int editWidth, double value, int decimals, double increment);
    TsLabel* AddLabel(TWinControl* parent, const String& caption, int x, int y);
    TsButton* AddButton(TWinControl* parent, const String& caption, int x, int y, int width, TNotifyEvent onClick);
    TsComboBox* AddCombo(TWinControl* parent, int x, int y, int width, std::initializer_list<const wchar_t*> items,
                         int index);
    TsGroupBox* AddGroup(TWinControl* parent, const String& caption, int x, int y, int width, int height);

    void SetPanelText(int index, const String& text);
    void SetWheelBase(THidDevice* dev);
    void SetShifter(THidDevice* dev);
    // Gives a device the window stopped using back to the controller: at once when it is
    // still plugged in, otherwise from the message loop (the controller may be walking its
    // list right now, and checking in an unplugged device frees it).
    void GiveBack(THidDevice* dev);
    void CheckInGivenBack();
    // Takes the device at Idx into use in place of current (set: SetWheelBase or SetShifter);
    // the device already in use stays as it is. Answers the device in use, nullptr when the
    // controller did not hand it out.
    THidDevice* TakeInUse(THidDevice* HidDev, int Idx, THidDevice* current, void (TMainForm::*set)(THidDevice*));
    void MoveAngle(int delta);
    void SetSkinName(const String& name);
    void ApplyTheme(int theme, bool store);
    void LoadBackground(const String& fileName);
    void ExitClosing();

    TDeviceProtocol FProto{*this};
    TAppLog FLog{*this, nullptr};
    std::unique_ptr<THidReportWriter> FWheelWriter;
    std::unique_ptr<THidReportWriter> FShifterWriter;
    TCriticalSection* FLock = nullptr;
    std::map<TsTrackBar*, TsLabel*> FSliderValues;
    std::vector<THidDevice*> FGiveBack;
    uint64_t FLoadStartedAt = 0;
    String FSkinName;
    String FSettingsFile;
    // Set while Closing was raised by a session-end query, so a cancelled session end can
    // lower it again.
    bool FClosingForSession = false;
    bool FCreated = false;
};

extern TMainForm* MainForm;

// Runs a handler body; what it raises goes to the window's log instead of up into the caller
// (the controller's scan, a timer thread's synchronised call, a window procedure).
template <class F>
void Guarded(TMainForm* form, F body)
{
    try {
        body();
    } catch (...) {
        try {
            if (form) form->SetSysLog(CurrentExceptionMessage());
        } catch (...) {
        }
    }
}
