// The spin edits' rules as plain logic: the typed-key filter, the value with its limits, the
// text written for a value and the value read from a text, the two buttons' rectangles and hit
// test, and the hold-to-repeat schedule. The windowed edits apply these to their window; no
// windows.h here, so the rules also build natively with the sanitizers and the fuzzer.
#pragma once

#include <functional>

#include "vcl/sysutils.h"
#include "vcl/types.h"

// The locale's separators the text is read and written with.
struct TacNumberSeparators {
    wchar_t Decimal = L'.';
    wchar_t Thousand = L',';
};

// What the key filter sees of the edit, and what it leaves: the key (turned into #0 when it is
// consumed without effect) and the selection it wants before the key is typed.
struct TacSpinKeyInput {
    StringView Text;
    int SelStart = 0;
    int SelLength = 0;
    bool AllowNegative = true;
    bool EditorEnabled = true;
    TacNumberSeparators Separators;
};

struct TacSpinKeyResult {
    bool Accepted = false;
    wchar_t Key = 0;
    int SelStart = 0;     // the selection to set before the key goes on (unchanged unless a sign
    int SelLength = 0;    // moves the caret to the start)
};

// The key filter of every spin edit: digits, signs and the decimal separator; control keys pass,
// Tab and Enter are consumed; a sign goes to the start of the text and replaces the other sign.
TacSpinKeyResult SpinAcceptsChar(const TacSpinKeyInput& in, wchar_t key);
// The decimal spin edit's filter: the common one, then "-" only while values below 0 are
// possible; a rejected key becomes #0.
TacSpinKeyResult DecimalSpinAcceptsChar(const TacSpinKeyInput& in, wchar_t key, double minValue);

// The value of a decimal spin edit with its limits and text format.
struct TacDecimalSpinValue {
    double Value = 0;
    double MinValue = 0;
    double MaxValue = 0;
    double Increment = 1;
    int DecimalPlaces = 2;
    bool AllowNegative = true;
    bool HideExcessZeros = false;
    bool ShowThousandSeparator = false;

    // Stores x as the value setter does: a refused negative becomes MinValue (when that is not
    // negative) or 0; clamped into [MinValue, MaxValue] only when MinValue < MaxValue. Answers
    // whether the value changed (the edit then writes its text and fires OnChange).
    bool SetValue(double x);
    // x as SetValue would store it: a refused negative replaced, then clamped when
    // MinValue < MaxValue.
    double Clamped(double x) const;
    // x kept inside the limits, where a limit of 0 means no limit.
    double LimitValue(double x) const;
    // The text shown for LimitValue(Value).
    String FormatText(const TacNumberSeparators& seps) const;
};

// Writes x with the given number of decimal places (0..18), with thousands separators when
// asked, in the locale's separators; without excess zeros when asked.
String FormatSpinNumber(double x, int decimalPlaces, bool thousands, bool hideExcessZeros,
                        const TacNumberSeparators& seps);
// Reads a number written with the locale's decimal separator (no thousands separators, an
// optional sign and exponent, surrounding blanks allowed); False when it is no finite number.
bool TryReadLocaleFloat(StringView text, const TacNumberSeparators& seps, double& value);
// The value of a typed text: 0 for "", "-", "+" and for a text that does not read as a number.
// A "." typed in a locale whose separator is another one counts as that separator, and so does
// a "," unless "," is the separator. With thousands separators shown, they and no-break spaces
// are dropped first, so "1,000" reads one thousand in a "." locale.
double SpinTextToValue(StringView text, const TacNumberSeparators& seps, bool showThousandSeparator);
// The same reading, False when the text is no number.
bool TryReadSpinText(StringView text, const TacNumberSeparators& seps, bool showThousandSeparator, double& value);
// The text an edit keeps after a paste: the pasted text when it reads as a number, else the
// value it had before, written as the platform writes a floating-point number.
String SpinPastedText(StringView pasted, double previousValue, const TacNumberSeparators& seps);
// Whole steps of a wheel turn (120 per notch, toward zero).
constexpr int SpinWheelSteps(int wheelDelta) { return wheelDelta / 120; }

// Hit-test answers of the buttons (the windowed edit answers HTCLIENT elsewhere).
constexpr int SpinHitNone = 0;
constexpr int SpinHitUp = 8;     // HTMINBUTTON
constexpr int SpinHitDown = 9;   // HTMAXBUTTON

// Width of the buttons: ButtonWidth already scaled when > 0, else the skin's scroll-button
// length; with spacing, the skin's spacing more.
constexpr int SpinButtonWidth(int scaledButtonWidth, int scrollBtnLength, bool withSpacing, int spacing)
{
    return (scaledButtonWidth > 0 ? scaledButtonWidth : scrollBtnLength) + (withSpacing ? spacing : 0);
}

struct TacSpinButtonRects {
    TRect Up, Down;
};
// The two buttons of a window Width x Height with border B and button width W, at the right
// (left for right-to-left reading); an odd height leaves one row between them.
TacSpinButtonRects SpinButtonRects(int width, int height, int border, int buttonWidth, bool rightToLeft);
// The client rectangle the edit keeps beside its buttons.
TRect SpinClientRect(const TRect& client, int buttonWidth, bool rightToLeft, bool showButtons);
// SpinHitUp, SpinHitDown or SpinHitNone for a point in window coordinates.
int SpinHitTest(const TacSpinButtonRects& buttons, const TPoint& p);

// The repeat of a held button: a first step 300 ms after the press, then one every 80 ms. The
// window's timer calls Tick and re-arms with Interval. A step that raises stops the repeat: the
// error is handed to the logger and nothing leaves the timer's callback.
struct TacSpinRepeat {
    static constexpr int FirstDelay = 300;
    static constexpr int RepeatDelay = 80;
    bool Running = false;
    int Interval = FirstDelay;

    void Start();
    void Stop();
    // One timer event: runs step; False when the repeat stopped (the step raised).
    bool Tick(const std::function<void()>& step, const std::function<void(const String&)>& log);
};
