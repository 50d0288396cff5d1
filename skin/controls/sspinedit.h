// Skinned spin edits: an edit with an upper and a lower button in its non-client area at the
// right (left for right-to-left reading). A click on a button steps once, on release; holding it
// steps after 300 ms and then every 80 ms, and once more on release. The Up and Down keys and the
// mouse wheel step too, and typed characters are filtered. Skinned, the frame and face come from
// "EDIT" and the buttons from "TOOLBUTTON" (flat buttons, the default) or "UPDOWNBTN".
//
// TsDecimalSpinEdit keeps a number with its limits, step and decimal places and shows it
// formatted in the user's number format.
#pragma once

#include <functional>

#include "skin/controls/core/spin_edit.h"
#include "skin/controls/sedits.h"

class TsBaseSpinEdit : public TsEdit {
public:
    explicit TsBaseSpinEdit(TComponent* owner);
    ~TsBaseSpinEdit() override;

    // False: nothing can be typed, cut or pasted; buttons, keys and wheel still step.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool on) { FEditorEnabled = on; }
    virtual bool AllowNegative() const { return FAllowNegative; }
    virtual void SetAllowNegative(bool on) { FAllowNegative = on; }
    bool ShowSpinButtons() const { return FShowSpinButtons; }
    void SetShowSpinButtons(bool on);
    // Flat buttons are drawn from "TOOLBUTTON", others from "UPDOWNBTN".
    bool FlatSpinButtons() const { return FFlatSpinButtons; }
    void SetFlatSpinButtons(bool on);
    // Width of the buttons at 96 PPI; 0: the skin's scroll-button length.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);

    // When assigned, the buttons and keys fire these instead of stepping.
    TNotifyEvent OnUpClick, OnDownClick;

    virtual void StepUp() = 0;
    virtual void StepDown() = 0;

    // 0 normal, 1 hot, 2 pressed.
    int UpButtonState() const { return FBtn1State; }
    int DownButtonState() const { return FBtn2State; }
    // The buttons' width in pixels now, and their rectangles in window coordinates.
    int SpinButtonWidthNow();
    TacSpinButtonRects ButtonRects();
    // The section the buttons are drawn from; -1 when not skinned or the skin has none.
    int ButtonSection();
    // A held button is repeating.
    bool Repeating() const { return FRepeat.Running; }

    // Where a step that raised inside the repeat is reported (the debugger output and stderr
    // when unassigned).
    static inline std::function<void(const String&)> RepeatLog;

protected:
    // The key filter: false rejects the key (it beeps); a key turned into #0 is consumed.
    virtual bool AcceptsChar(wchar_t& key);
    TacSpinKeyInput KeyInput();
    void KeyPress(wchar_t& key) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void WndProc(TMessage& m) override;
    void WMNCCalcSize(TMessage& m) override;
    void WMNCPaint(TMessage& m) override;
    void PaintContent(TBitmap* cache, int state) override;

private:
    void SetButtonState(bool upper, int state);
    void PressButton(int hit);
    void ReleaseButton(const TPoint& windowPoint);
    void StopRepeat();
    void RepeatTick(TObject*);
    void PaintSkinnedButton(TBitmap* cache, const TRect& r, bool upper, int state);
    void PaintPlainButtons(HDC dc);
    TColor ArrowColor(int state);

    int FBtn1State = 0;
    int FBtn2State = 0;
    bool FMousePressed = false;
    bool FPressedUpper = false;
    bool FEditorEnabled = true;
    bool FAllowNegative = true;
    bool FShowSpinButtons = true;
    bool FFlatSpinButtons = true;
    int FButtonWidth = 0;
    TacThreadedTimer* FRepeatTimer = nullptr;
    TacSpinRepeat FRepeat;
};

class TsDecimalSpinEdit : public TsBaseSpinEdit {
public:
    explicit TsDecimalSpinEdit(TComponent* owner);

    // While the user is editing: the text as a number (0 when it is none); otherwise the
    // stored value.
    double Value() const;
    // Unchanged values do nothing. Negative values become MinValue (or 0) when negatives are
    // not allowed; with MaxValue > MinValue the value is limited to [MinValue, MaxValue].
    // The text is refreshed and OnChange fires (not while loading).
    void SetValue(double value);
    double MinValue() const { return FSpin.MinValue; }
    void SetMinValue(double v) { FSpin.MinValue = v; }
    double MaxValue() const { return FSpin.MaxValue; }
    void SetMaxValue(double v) { FSpin.MaxValue = v; }
    double Increment() const { return FSpin.Increment; }
    void SetIncrement(double v) { FSpin.Increment = v; }
    int DecimalPlaces() const { return FSpin.DecimalPlaces; }
    void SetDecimalPlaces(int n);
    bool AllowNegative() const override { return FSpin.AllowNegative; }
    void SetAllowNegative(bool on) override { FSpin.AllowNegative = on; }

    // A step by Increment (read-only edits beep; OnUpClick / OnDownClick replace it).
    void StepUp() override;
    void StepDown() override;

    // The value as the text shows it (user's decimal separator), and the reverse; false when
    // the text is not a number.
    static String FormatNumber(double value, int decimals);
    static bool ParseNumber(const String& text, double& value);

protected:
    void WndProc(TMessage& m) override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    bool AcceptsChar(wchar_t& key) override;
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    void DoExit() override;
    void Loaded() override;

private:
    void Step(int direction);
    // Takes the typed text as the value (when editing) and shows it formatted.
    void Commit();
    void RefreshText();

    TacDecimalSpinValue FSpin;   // value, limits, step and format
    bool FEditing = false;
    bool FSettingText = false;
};
