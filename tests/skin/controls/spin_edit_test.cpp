// The spin edits' rules: the key filter with its sign rules, the value setter and limits, the
// text written and read in a "." and a "," locale, the buttons' rectangles and the repeat.
#include <gtest/gtest.h>

#include <stdexcept>

#include "skin/controls/core/spin_edit.h"

namespace {

const TacNumberSeparators Dot{L'.', L','};
const TacNumberSeparators Comma{L',', L'.'};

}   // namespace

TEST(SpinKeys, FilterAndSignRules)
{
    struct Case {
        const char* what;
        const wchar_t* text;
        int selStart, selLength;
        bool allowNegative, editorEnabled;
        wchar_t decimal;
        wchar_t key;
        bool accepted;
        wchar_t keyAfter;
        int selStartAfter, selLengthAfter;
    } cases[] = {
        {"digit", L"12", 2, 0, true, true, L'.', L'7', true, L'7', 2, 0},
        {"letter", L"12", 2, 0, true, true, L'.', L'a', false, L'a', 2, 0},
        {"locale separator", L"1", 1, 0, true, true, L',', L',', true, L',', 1, 0},
        {"other separator", L"1", 1, 0, true, true, L',', L'.', false, L'.', 1, 0},
        {"backspace", L"12", 2, 0, true, true, L'.', 8, true, 8, 2, 0},
        {"escape", L"12", 2, 0, true, true, L'.', 27, true, 27, 2, 0},
        {"tab consumed", L"12", 2, 0, true, true, L'.', 9, true, 0, 2, 0},
        {"enter consumed", L"12", 2, 0, true, true, L'.', 13, true, 0, 2, 0},
        {"editor off: digit", L"12", 2, 0, true, false, L'.', L'1', false, L'1', 2, 0},
        {"editor off: backspace", L"12", 2, 0, true, false, L'.', 8, false, 8, 2, 0},
        {"editor off: enter", L"12", 2, 0, true, false, L'.', 13, true, 0, 2, 0},
        {"minus refused", L"12", 0, 0, false, true, L'.', L'-', false, L'-', 0, 0},
        {"plus in empty text", L"", 0, 0, true, true, L'.', L'+', true, L'+', 0, 0},
        {"plus replaces minus", L"-12", 2, 0, true, true, L'.', L'+', true, L'+', 0, 1},
        {"plus before digits", L"12", 2, 0, true, true, L'.', L'+', true, L'+', 0, 0},
        {"second plus", L"+12", 3, 0, true, true, L'.', L'+', false, L'+', 3, 0},
        {"minus replaces plus", L"+12", 1, 0, true, true, L'.', L'-', true, L'-', 0, 1},
        {"second minus", L"-12", 1, 0, true, true, L'.', L'-', false, L'-', 1, 0},
        {"sign over selection at start", L"12", 0, 2, true, true, L'.', L'-', true, L'-', 0, 2},
        {"sign over selection inside", L"123", 1, 1, true, true, L'.', L'-', false, L'-', 1, 1},
    };
    for (const Case& c : cases) {
        TacSpinKeyInput in;
        in.Text = c.text;
        in.SelStart = c.selStart;
        in.SelLength = c.selLength;
        in.AllowNegative = c.allowNegative;
        in.EditorEnabled = c.editorEnabled;
        in.Separators.Decimal = c.decimal;
        const TacSpinKeyResult r = SpinAcceptsChar(in, c.key);
        EXPECT_EQ(r.Accepted, c.accepted) << c.what;
        EXPECT_EQ(r.Key, c.keyAfter) << c.what;
        EXPECT_EQ(r.SelStart, c.selStartAfter) << c.what;
        EXPECT_EQ(r.SelLength, c.selLengthAfter) << c.what;
    }
}

TEST(SpinKeys, DecimalEditRefusesMinusWhileTheMinimumIsPositive)
{
    TacSpinKeyInput in;
    in.Text = L"12";
    in.SelStart = 2;
    EXPECT_TRUE(DecimalSpinAcceptsChar(in, L'-', 0).Accepted);
    const TacSpinKeyResult r = DecimalSpinAcceptsChar(in, L'-', 5);
    EXPECT_FALSE(r.Accepted);
    EXPECT_EQ(r.Key, 0);
    EXPECT_EQ(DecimalSpinAcceptsChar(in, L'x', 0).Key, 0);
}

TEST(SpinValue, SetterClampsOnlyWithARangeAndLimitValueReadsZeroAsNoLimit)
{
    struct Case {
        const char* what;
        double min, max;
        bool allowNegative;
        double start, set, stored, limited;
    } cases[] = {
        {"step up into the maximum", 0, 255, true, 250, 260, 255, 255},
        {"no range: unclamped", 0, 0, true, 0, -7, -7, -7},
        {"min above max: typed value kept, limited on exit", 5, 0, true, 0, 2, 2, 5},
        {"negative refused, min not negative", 3, 10, false, 5, -3, 3, 3},
        {"negative refused, min negative", -4, 10, false, 5, -3, 0, 0},
        {"below the minimum", 1, 100, true, 50, 0.5, 1, 1},
        {"a range up to 0 clamps in the setter", -10, 0, true, -5, 5, 0, 0},
    };
    for (const Case& c : cases) {
        TacDecimalSpinValue v;
        v.MinValue = c.min;
        v.MaxValue = c.max;
        v.AllowNegative = c.allowNegative;
        v.Value = c.start;
        v.SetValue(c.set);
        EXPECT_DOUBLE_EQ(v.Value, c.stored) << c.what;
        EXPECT_DOUBLE_EQ(v.LimitValue(v.Value), c.limited) << c.what;
    }
    TacDecimalSpinValue v;
    v.MinValue = -10;
    EXPECT_DOUBLE_EQ(v.LimitValue(5), 5) << "a maximum of 0 is no limit for LimitValue";
    EXPECT_DOUBLE_EQ(v.LimitValue(-11), -10);
    v.MinValue = 0;
    EXPECT_FALSE(v.SetValue(0)) << "an equal value changes nothing";
    EXPECT_TRUE(v.SetValue(1));
}

TEST(SpinText, FormattedInBothLocales)
{
    struct Case {
        double value;
        int places;
        bool thousands, hideZeros;
        const wchar_t* dot;
        const wchar_t* comma;
    } cases[] = {
        {0.7071, 4, false, false, L"0.7071", L"0,7071"},
        {100, 0, false, true, L"100", L"100"},
        {1.5, 2, false, true, L"1.5", L"1,5"},
        {2, 2, false, true, L"2", L"2"},
        {2, 2, false, false, L"2.00", L"2,00"},
        {1234567.891, 2, true, false, L"1,234,567.89", L"1.234.567,89"},
        {-1234.5, 1, true, false, L"-1,234.5", L"-1.234,5"},
        {-999, 0, true, false, L"-999", L"-999"},
        {-0.001, 2, false, false, L"0.00", L"0,00"},
        {10.10, 3, false, true, L"10.1", L"10,1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSpinNumber(c.value, c.places, c.thousands, c.hideZeros, Dot), c.dot);
        EXPECT_EQ(FormatSpinNumber(c.value, c.places, c.thousands, c.hideZeros, Comma), c.comma);
    }
    TacDecimalSpinValue v;
    v.MinValue = 1;
    v.MaxValue = 100;
    v.Value = 250;   // stored past its limits by loading: written limited
    EXPECT_EQ(v.FormatText(Dot), L"100.00");
}

TEST(SpinText, ReadWithEverySignAndSeparatorRule)
{
    struct Case {
        const wchar_t* text;
        bool thousands;
        double dot, comma;
    } cases[] = {
        {L"", false, 0, 0},
        {L"-", false, 0, 0},
        {L"+", false, 0, 0},
        {L"12", false, 12, 12},
        {L"+12", false, 12, 12},
        {L"-12", false, -12, -12},
        {L"1.5", false, 1.5, 1.5},     // a typed "." is the separator in a "," locale too
        {L"1,5", false, 1.5, 1.5},     // and a "," in a "." locale
        {L"-0,25", false, -0.25, -0.25},
        {L"1.2.3", false, 0, 0},
        {L"abc", false, 0, 0},
        {L"--1", false, 0, 0},
        {L"1e999", false, 0, 0},       // not a finite number
        {L"1,000", true, 1000, 1},     // thousands dropped before the separators are swapped
        {L"1,234.5", true, 1234.5, 1.2345},
        {L"1.234,5", true, 1.2345, 1234.5},
        {L"1\u00A0234", true, 1234, 1234},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(SpinTextToValue(c.text, Dot, c.thousands), c.dot) << "'.' locale: " << testing::PrintToString(String(c.text));
        EXPECT_DOUBLE_EQ(SpinTextToValue(c.text, Comma, c.thousands), c.comma) << "',' locale: " << testing::PrintToString(String(c.text));
    }
}

TEST(SpinText, ReadingTellsANumberFromNone)
{
    double v = 0;
    EXPECT_TRUE(TryReadSpinText(L" 1,5 ", Dot, false, v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_FALSE(TryReadSpinText(L"0", Dot, false, v = 3) && v != 0);
    EXPECT_FALSE(TryReadSpinText(L"12a", Comma, false, v));
    EXPECT_FALSE(TryReadSpinText(L"", Dot, false, v));
    EXPECT_FALSE(TryReadSpinText(L"-", Dot, false, v));
}

TEST(SpinText, PasteKeepsANumberElseThePreviousValue)
{
    EXPECT_EQ(SpinPastedText(L"42.5", 7, Dot), L"42.5");
    EXPECT_EQ(SpinPastedText(L"hello", 7.25, Dot), L"7.25");
    EXPECT_EQ(SpinPastedText(L"hello", 7.25, Comma), L"7,25");
    EXPECT_EQ(SpinPastedText(L"42.5", 3, Comma), L"3") << "a \".\" is not the separator of a \",\" locale";
}

TEST(SpinWheel, WholeNotchesOnly)
{
    EXPECT_EQ(SpinWheelSteps(60), 0);
    EXPECT_EQ(SpinWheelSteps(-240), -2);
    EXPECT_EQ(SpinWheelSteps(360), 3);
}

TEST(SpinButtons, RectanglesAndHitTest)
{
    const int w = SpinButtonWidth(0, 15, false, 2);
    EXPECT_EQ(w, 15);
    EXPECT_EQ(SpinButtonWidth(21, 15, true, 2), 23);

    // Height 25 with a 2-pixel border: the upper button rows 2..11, the lower from row 13.
    const TacSpinButtonRects b = SpinButtonRects(80, 25, 2, w, false);
    EXPECT_EQ(b.Up, TRect(63, 2, 78, 12));
    EXPECT_EQ(b.Down, TRect(63, 13, 78, 23));
    const TacSpinButtonRects even = SpinButtonRects(80, 24, 2, w, false);
    EXPECT_EQ(even.Up.bottom, even.Down.top);
    const TacSpinButtonRects rtl = SpinButtonRects(80, 25, 2, w, true);
    EXPECT_EQ(rtl.Up, TRect(2, 2, 17, 12));

    struct Case {
        TPoint p;
        int hit;
    } cases[] = {{{70, 5}, SpinHitUp},   {{70, 11}, SpinHitUp}, {{70, 12}, SpinHitNone}, {{70, 13}, SpinHitDown},
                 {{70, 22}, SpinHitDown}, {{62, 5}, SpinHitNone}, {{78, 5}, SpinHitNone}, {{70, 1}, SpinHitNone}};
    for (const Case& c : cases) EXPECT_EQ(SpinHitTest(b, c.p), c.hit) << c.p.x << "," << c.p.y;

    EXPECT_EQ(SpinClientRect(TRect(0, 0, 76, 21), 15, false, true), TRect(0, 0, 61, 21));
    EXPECT_EQ(SpinClientRect(TRect(0, 0, 76, 21), 15, true, true), TRect(15, 0, 76, 21));
    EXPECT_EQ(SpinClientRect(TRect(0, 0, 76, 21), 15, true, false), TRect(0, 0, 76, 21));
}

TEST(SpinRepeat, HeldForOneSecondStepsNineTimes)
{
    TacSpinRepeat r;
    r.Start();
    int steps = 0, now = 0;
    int due = r.Interval;
    while (true) {
        now = due;
        if (now > 1000) break;
        ASSERT_TRUE(r.Tick([&] { ++steps; }, nullptr));
        due = now + r.Interval;
    }
    EXPECT_EQ(steps, 9);   // 300, 380, ... 940
    r.Stop();
    EXPECT_FALSE(r.Tick([&] { ++steps; }, nullptr));
    EXPECT_EQ(steps, 9);
}

TEST(SpinRepeat, AStepThatRaisesStopsTheRepeatAndIsLogged)
{
    TacSpinRepeat r;
    r.Start();
    String logged;
    bool ok = true;
    EXPECT_NO_THROW(ok = r.Tick([] { throw Exception(L"value refused"); }, [&](const String& m) { logged = m; }));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(r.Running);
    EXPECT_NE(logged.find(L"value refused"), String::npos);
    r.Start();
    EXPECT_NO_THROW(ok = r.Tick([] { throw std::runtime_error("other"); }, nullptr));
    EXPECT_FALSE(ok);
}
