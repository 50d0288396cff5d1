// The Debug tab: the wheel base's live telemetry (encoder, PWM, joystick axes, calculated
// forces, the effect forces, the four filters' biquad coefficients), the "Log to File"
// switch, which writes each device record the window receives as a one-line JSON object to
// the chosen file (default "debug.log"), and the "Log" memo of every logged message.
//
// The page builds its controls on the main window's Debug sheet; the main window forwards the
// telemetry reports and the logged records to it.
#pragma once

#include <array>

#include "app/protocol/device_records.h"
#include "skin/controls/scomboedit.h"
#include "skin/controls/sedits.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/slabel.h"

class TMainForm;

// NaN in a value that the page shows and logs becomes -1 (the firmware sends NaN while a
// value is undefined, and JSON has no NaN).
void ReplaceNaN(TEncoderReport& report);
void ReplaceNaN(TBiquadReport& report);

class TDebugPage : public TComponent {
public:
    // Biquad rows (by filter number) and columns.
    static constexpr int BiquadFilters = 4;
    static constexpr int BiquadColumns = 9;   // a0, a1, a2, b1, b2, z1, z2, Q, Fc
    static constexpr const wchar_t* DefaultLogFile = L"debug.log";

    TDebugPage(TMainForm* form, TWinControl* sheet);

    // "Encoder"
    TsLabel* cPos = nullptr;
    TsLabel* mPos = nullptr;
    TsLabel* dSpeed = nullptr;
    TsLabel* pZ = nullptr;
    TsLabel* nZ = nullptr;
    TsLabel* dPPR = nullptr;
    TsLabel* dCPR = nullptr;
    // "PWM"
    TsLabel* dPWMMode = nullptr;
    TsLabel* dPWMFreq = nullptr;
    TsLabel* dPWMPeriod = nullptr;
    // "Wheel"
    TsLabel* wX = nullptr;
    TsLabel* wY = nullptr;
    TsLabel* wZ = nullptr;
    TsLabel* wRX = nullptr;
    TsLabel* wRY = nullptr;
    TsLabel* wRZ = nullptr;
    // "Calculated Parameters"
    TsLabel* dTotalForce = nullptr;
    TsLabel* dTotalForceGain = nullptr;
    TsLabel* dStopForce = nullptr;
    TsLabel* dUserForce = nullptr;
    // "Effects"
    TsLabel* dFFBTotalForce = nullptr;
    TsLabel* dFFBConstantForce = nullptr;
    TsLabel* dFFBRampForce = nullptr;
    TsLabel* dFFBSpringForce = nullptr;
    TsLabel* dFFBDamperForce = nullptr;
    TsLabel* dFFBInertiaForce = nullptr;
    TsLabel* dFFBFrictionForce = nullptr;
    TsLabel* dFFBSquareForce = nullptr;
    TsLabel* dFFBTriangleForce = nullptr;
    TsLabel* dFFBSineForce = nullptr;
    TsLabel* dFFBSawUpForce = nullptr;
    TsLabel* dFFBSawDownForce = nullptr;
    // "Biquad": row = filter (overall, damper, inertia, friction), column as above; the labels
    // are named o_a0 .. o_fc, d_a0 .. d_Fc, i_a0 .. i_Fc, f_a0 .. f_Fc.
    std::array<std::array<TsLabel*, BiquadColumns>, BiquadFilters> Biquad{};
    // "Log to File" (the main window holds the same two as enableLogTofile, LogfileSelector).
    TsGroupBox* enableLogTofile = nullptr;
    TsFilenameEdit* LogfileSelector = nullptr;
    // "Log": the log memo (the main window holds it as sysLog too).
    TsMemo* sysLog = nullptr;

    void enableLogTofileClick(TObject* Sender);

    void ShowJoystickState(const TJoystickState& state);
    void ShowEncoderReport(TEncoderReport report);
    void ShowPwmReport(const TPWMReport& report);
    void ShowCalculatedData(const TCalculatedData& data);
    void ShowBiquadReport(TBiquadReport report);
    void ShowFfbReport(const TFFBReport& report);
    // Queues the record's JSON text on the file log while "Log to File" is checked.
    void RecordReceived(const TTypeInfo* type, const void* record);
    // One line of JSON for a record (the record log's text without its time stamp).
    static String RecordJson(const TTypeInfo* type, const void* record);

private:
    TsLabel* AddValue(TWinControl* parent, const String& caption, const String& name, int x, int y);

    TMainForm* FForm;
};
