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
    // Where Tab and Enter take the focus (with Shift: PrevTabControl); unset, Tab moves through
    // the form's tab order and Enter reaches OnKeyPress.
    TWinControl* PrevTabControl() const { return FPrevTabControl; }
    void SetPrevTabControl(TWinControl* c);
    TWinControl* NextTabControl() const { return FNextTabControl; }
    void SetNextTabControl(TWinControl* c);

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
    // Where the text is drawn: beside the buttons and the picture, inside the border.
    TRect TextRect() override;

    // Where a step that raised inside the repeat is reported (the debugger output and stderr
    // when unassigned).
    static inline std::function<void(const String&)> RepeatLog;

protected:
    // The edit's formatting rectangle: the whole client area (one pixel more to the right and
    // below), so the text sits where the cache paints it.
    virtual void UpdateEditRect();
    // The key filter: false rejects the key (it beeps); a key turned into #0 is consumed.
    virtual bool AcceptsChar(wchar_t& key);
    TacSpinKeyInput KeyInput();
    void KeyPress(wchar_t& key) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& m) override;
    void WMNCCalcSize(TMessage& m) override;
    void WMNCPaint(TMessage& m) override;
    void PaintContent(TBitmap* cache, int state) override;
    // The text in the spin edit's alignment; a password character repeated as it is, no hint.
    void PaintText(TBitmap* cache, int state) override;

private:
    void SetButtonState(bool upper, int state);
    void PressButton(int hit);
    void ReleaseButton(const TPoint& windowPoint);
    void StopRepeat();
    void RepeatTick(TObject*);
    void PaintSkinnedButton(TBitmap* cache, const TRect& r, bool upper, int state);
    void PaintPlainButtons(HDC dc);
    void PaintStdSpinButton(HDC dc, const TRect& r, bool upper, int state);
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
    bool FCreating = false;
    TWinControl* FPrevTabControl = nullptr;
    TWinControl* FNextTabControl = nullptr;
    TacThreadedTimer* FRepeatTimer = nullptr;
    TacSpinRepeat FRepeat;
};

class TsDecimalSpinEdit : public TsBaseSpinEdit {
public:
    explicit TsDecimalSpinEdit(TComponent* owner);

    // While a typed text is being taken: the text as a number (0 when it is none); otherwise
    // the stored value.
    double Value() const;
    // An unchanged value does nothing. A refused negative becomes MinValue (or 0); with
    // MinValue < MaxValue the value is kept inside them. Unless the value comes from the typed
    // text, the text is written anew and OnChange fires (not while loading).
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
    // Trailing zeros of the fraction (and a separator left alone) are not shown.
    bool HideExcessZeros() const { return FSpin.HideExcessZeros; }
    void SetHideExcessZeros(bool on);
    bool ShowThousandSeparator() const { return FSpin.ShowThousandSeparator; }
    void SetShowThousandSeparator(bool on);
    // Kept for the stored form: the text is always read and written with the user's separators.
    bool UseSystemDecSeparator() const { return FUseSystemDecSeparator; }
    void SetUseSystemDecSeparator(bool on) { FUseSystemDecSeparator = on; }

    // x kept inside the limits, where a limit of 0 means no limit.
    double LimitValue(double x) const { return FSpin.LimitValue(x); }
    // The text shown for the value.
    String FormatText() const;
    // Writes the formatted value into the edit.
    void UpdateText();

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
    bool AcceptsChar(wchar_t& key) override;
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    void DoExit() override;
    void Loaded() override;

private:
    // The formatted value written into the edit as ours, not as a typed change.
    void WriteFormattedText();

    TacDecimalSpinValue FSpin;   // value, limits, step and format
    bool FUseSystemDecSeparator = true;
    bool TextChanging = false;    // a typed text is being turned into the value
    bool ValueChanging = false;   // the value is being written into the text
};
