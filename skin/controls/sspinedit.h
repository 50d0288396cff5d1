// Skinned spin edit for decimal numbers: an edit with up and down arrows inside its right
// edge. The value is kept as a number; the text shows it with DecimalPlaces decimals in the
// user's number format.
#pragma once

#include "skin/controls/core/spin_edit.h"
#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsDecimalSpinEdit : public TacSkinFrame<TCustomEdit> {
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
    bool AllowNegative() const { return FSpin.AllowNegative; }
    void SetAllowNegative(bool on) { FSpin.AllowNegative = on; }

    // The value as the text shows it (user's decimal separator), and the reverse; false when
    // the text is not a number.
    static String FormatNumber(double value, int decimals);
    static bool ParseNumber(const String& text, double& value);

protected:
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    void Loaded() override;

private:
    void Step(int direction);
    // Takes the typed text as the value (when editing) and shows it formatted.
    void Commit();
    void RefreshText();
    void PlaceArrows();

    TacDecimalSpinValue FSpin;   // value, limits, step and format
    bool FEditing = false;
    bool FSettingText = false;
    HWND FArrows = nullptr;
};
