// The Shifter tab: the 256 x 256 gate grid with its five draggable lines, the gear labels lit
// from the shifter's gear bits, the live position marker (optionally leaving trails), two-click
// calibration, the shifter options, the LED effects and their mask, the report selector with
// the statistics it streams, Save and Factory Reset.
//
// The page builds its controls on the main window's Shifter sheet; the main window forwards
// the shifter's reports to the Show* functions. Its state that other parts of the window read
// (ShifterCurPosOnGrid, totalEffects) stays on the main window.
#pragma once

#include <array>

#include "app/protocol/device_records.h"
#include "skin/controls/sbuttons.h"
#include "skin/controls/scheckbox.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/slabel.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sspinedit.h"
#include "support/line/line.h"
#include "support/timers/thread_timer.h"

class TMainForm;

class TShifterPage : public TComponent {
public:
    static constexpr int GridSize = 256;
    static constexpr int GearCount = 11;
    // Report selector entries.
    enum { StatNone = 0, StatFirmware = 1, StatConfig = 2, StatPosition = 3 };
    // Shifter type entries (the wire value of shifterType).
    enum { TypeHPattern = 0, TypeSequential = 1 };
    static constexpr TColor MarkedGearColor = 0x008000;

    // Builds the controls on sheet; owner and host of the protocol, settings and status bar
    // is form.
    TShifterPage(TMainForm* form, TWinControl* sheet);

    TsPanel* ShifterGrid = nullptr;
    // The Statistics group's two sunken panels: position values, configuration values.
    TsPanel* pnlStatPosition = nullptr;
    TsPanel* pnlStatConfig = nullptr;
    TLine* x1 = nullptr;
    TLine* x2 = nullptr;
    TLine* x3 = nullptr;
    TLine* y1 = nullptr;
    TLine* y2 = nullptr;
    // lblGear1 .. lblGear11 at index 0 .. 10.
    std::array<TsLabel*, GearCount> lblGear{};
    TsImage* ShifterOnline = nullptr;
    TsImage* ShifterOffline = nullptr;

    TsComboBox* ShifterType = nullptr;
    TsButton* btnShifterCalibrate = nullptr;
    TsCheckBox* chkTrails = nullptr;
    TsCheckBox* chkAnalogMode = nullptr;
    TsComboBox* comboInversionMode = nullptr;
    TsDecimalSpinEdit* filterFactor = nullptr;
    TsGroupBox* chkEnableLED = nullptr;
    // The effect check boxes in mask order: index n is bit 31 - n ("Halloween Eyes" first).
    std::array<TsCheckBox*, LedEffectCount> chkLedEffect{};
    TsButton* btnShifterSave = nullptr;
    TsButton* btnFactoryReset = nullptr;

    TsComboBox* comboDebugStat = nullptr;
    TsLabel* ShifterX = nullptr;
    TsLabel* ShifterY = nullptr;
    TsLabel* GridX = nullptr;
    TsLabel* GridY = nullptr;
    TsLabel* shifterX1 = nullptr;
    TsLabel* shifterX2 = nullptr;
    TsLabel* shifterX3 = nullptr;
    TsLabel* shifterY1 = nullptr;
    TsLabel* shifterY2 = nullptr;
    TsLabel* gridX1 = nullptr;
    TsLabel* gridX2 = nullptr;
    TsLabel* gridX3 = nullptr;
    TsLabel* gridY1 = nullptr;
    TsLabel* gridY2 = nullptr;
    TsLabel* ASXmin = nullptr;
    TsLabel* ASXmax = nullptr;
    TsLabel* ASYmin = nullptr;
    TsLabel* ASYmax = nullptr;
    TsLabel* shifterFWVersion = nullptr;

    TThreadTimer* ShifterPos = nullptr;

    // ---- Handlers
    void TabShifterShow(TObject* Sender);
    void comboDebugStatChange(TObject* Sender);
    void ShifterTypeChange(TObject* Sender);
    void btnShifterCalibrateClick(TObject* Sender);
    void btnShifterSaveClick(TObject* Sender);
    void btnFactoryResetClick(TObject* Sender);
    void chkTrailsClick(TObject* Sender);
    void LedEffectClick(TObject* Sender);
    // Pressing the mouse on a line starts its drag; moving drags it within its limits;
    // releasing it on any line ends the drag.
    void x1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void x2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void x3MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void y1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void y2MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void x1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void x2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void x3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void y1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void y2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void GridLineMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ShifterPosTimer(TObject* Sender);
    void UpdateEffectMask();

    // ---- Shifter reports
    void ShowGearState(uint16_t gearBits);
    void ShowShifterPosition(const TShifterPosition& position);
    void ShowShifterConfig(const TShifterConfig& config);
    void ShowShifterFirmware(const String& text);

    // The record Save sends, as the controls show it now.
    TShifterConfig ShifterConfigFromControls() const;
    void SendShifterConfig();
    // Hides the vertical lines while the type is "Sequential", shows them otherwise.
    void SyncLineVisibility();
    bool Dragging() const { return FDragging; }

private:
    TsLabel* AddLabel(TWinControl* parent, const String& caption, int x, int y, int width = 0);
    // A caption and a value label beside it; answers the value label.
    TsLabel* AddValue(TWinControl* parent, const String& caption, const String& name, int x, int y);
    TLine* AddLine(const String& name, bool vertical, int position);
    void StartLineDrag(TLine* line, TMouseButton button);
    void MoveLine(TLine* line);
    void MarkGearLabel(TsLabel* label, bool marked);
    void PlaceMarker();
    void PlaceGearLabels();
    // Ends the selected stream: acknowledging the stream id makes the shifter stop it.
    void StopStream();
    bool IsSequential() const;

    TMainForm* FForm;
    bool FDragging = false;
    // The line under the mouse since the drag began: replies from the shifter leave it there.
    TLine* FDraggedLine = nullptr;
    TPoint FMouseDownLocation;
    TPoint FLineStartingLocation;
    int CalibrationStatIndex = StatNone;
};
