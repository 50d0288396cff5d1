#include "skin/controls/core/spin_edit.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

bool IsSign(wchar_t c) { return c == L'+' || c == L'-'; }

}   // namespace

TacSpinKeyResult SpinAcceptsChar(const TacSpinKeyInput& in, wchar_t key)
{
    TacSpinKeyResult r;
    r.Key = key;
    r.SelStart = in.SelStart;
    r.SelLength = in.SelLength;
    const bool allowed = (key >= L'0' && key <= L'9') || IsSign(key) || key == in.Separators.Decimal;
    r.Accepted = (allowed || key < 32) && !(key == L'-' && !in.AllowNegative);
    if (!in.EditorEnabled && (key >= 32 || key == 8)) r.Accepted = false;
    if (!r.Accepted) return r;
    if (key == 8 || key == 27) return r;
    if (key == 9 || key == 13) {
        r.Key = 0;
        return r;
    }
    if (IsSign(key)) {
        if (in.Text.empty()) return r;
        const wchar_t other = key == L'+' ? L'-' : L'+';
        if (in.SelLength == 0) {
            if (in.Text.front() == key) {
                r.Accepted = false;
                return r;
            }
            // The sign goes to the start and replaces the other sign there.
            r.SelStart = 0;
            r.SelLength = in.Text.front() == other ? 1 : 0;
            return r;
        }
        r.Accepted = in.SelStart == 0;
    }
    return r;
}

TacSpinKeyResult DecimalSpinAcceptsChar(const TacSpinKeyInput& in, wchar_t key, double minValue)
{
    TacSpinKeyResult r = SpinAcceptsChar(in, key);
    if (r.Accepted && key == L'-') r.Accepted = in.AllowNegative && minValue <= 0;
    if (!r.Accepted) r.Key = 0;
    return r;
}

bool TacDecimalSpinValue::SetValue(double x)
{
    if (x == Value) return false;
    const double old = Value;
    Value = Clamped(x);
    return Value != old;
}

double TacDecimalSpinValue::Clamped(double x) const
{
    if (x < 0 && !AllowNegative) x = MinValue >= 0 ? MinValue : 0;
    return MinValue < MaxValue ? std::max(MinValue, std::min(x, MaxValue)) : x;
}

double TacDecimalSpinValue::LimitValue(double x) const
{
    double r = x;
    if (x < 0 && !AllowNegative) r = MinValue >= 0 ? MinValue : 0;
    if (MinValue != 0 && x < MinValue) return MinValue;
    if (MaxValue != 0 && x > MaxValue) return MaxValue;
    return r;
}

String TacDecimalSpinValue::FormatText(const TacNumberSeparators& seps) const
{
    return FormatSpinNumber(LimitValue(Value), DecimalPlaces, ShowThousandSeparator, HideExcessZeros, seps);
}

String FormatSpinNumber(double x, int decimalPlaces, bool thousands, bool hideExcessZeros,
                        const TacNumberSeparators& seps)
{
    const int dp = std::clamp(decimalPlaces, 0, 18);
    String s = Format(L"%." + IntToStr(dp) + (thousands ? L"n" : L"f"), {x});
    // A negative value that rounds to zero is written without its sign.
    if (!s.empty() && s[0] == L'-' && s.find_first_not_of(L"-0.,") == String::npos) s.erase(0, 1);
    const size_t point = s.find(L'.');
    for (wchar_t& c : s) {
        if (c == L',') c = seps.Thousand;
        else if (c == L'.') c = seps.Decimal;
    }
    if (hideExcessZeros && point != String::npos) {
        while (s.size() > point + 1 && s.back() == L'0') s.pop_back();
        if (s.size() == point + 1) s.pop_back();
    }
    return s;
}

bool TryReadLocaleFloat(StringView text, const TacNumberSeparators& seps, double& value)
{
    String t = Trim(text);
    if (t.empty() || t.size() > 400) return false;
    for (wchar_t& c : t) {
        if (c == seps.Decimal)
            c = L'.';
        else if (c == L'.' || c == L',')
            return false;   // a separator that is not the locale's decimal one
    }
    double v = 0;
    if (!TryStrToFloat(t, v) || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool TryReadSpinText(StringView text, const TacNumberSeparators& seps, bool showThousandSeparator, double& value)
{
    String t(text);
    if (showThousandSeparator) {
        std::erase(t, wchar_t(160));
        if (seps.Thousand != seps.Decimal) std::erase(t, seps.Thousand);
    }
    if (seps.Decimal != L'.' && t.find(L'.') != String::npos)
        std::replace(t.begin(), t.end(), L'.', seps.Decimal);
    else if (seps.Decimal != L',')
        std::replace(t.begin(), t.end(), L',', seps.Decimal);
    return TryReadLocaleFloat(t, seps, value);
}

double SpinTextToValue(StringView text, const TacNumberSeparators& seps, bool showThousandSeparator)
{
    if (text.empty() || text == L"-" || text == L"+") return 0;
    double v = 0;
    return TryReadSpinText(text, seps, showThousandSeparator, v) ? v : 0;
}

String SpinPastedText(StringView pasted, double previousValue, const TacNumberSeparators& seps)
{
    double v = 0;
    if (TryReadLocaleFloat(pasted, seps, v)) return String(pasted);
    String s = FloatToStr(previousValue);
    std::replace(s.begin(), s.end(), L'.', seps.Decimal);
    return s;
}

TacSpinButtonRects SpinButtonRects(int width, int height, int border, int buttonWidth, bool rightToLeft)
{
    TRect r(border, border, width - border, height - border);
    if (rightToLeft)
        r.right = r.left + buttonWidth;
    else
        r.left = r.right - buttonWidth;
    TacSpinButtonRects b{r, r};
    b.Up.bottom = height / 2;
    b.Down.top = height / 2 + height % 2;
    return b;
}

TRect SpinClientRect(const TRect& client, int buttonWidth, bool rightToLeft, bool showButtons)
{
    TRect r = client;
    if (!showButtons) return r;
    if (rightToLeft)
        r.left += buttonWidth;
    else
        r.right -= buttonWidth;
    return r;
}

int SpinHitTest(const TacSpinButtonRects& buttons, const TPoint& p)
{
    if (buttons.Up.Contains(p)) return SpinHitUp;
    if (buttons.Down.Contains(p)) return SpinHitDown;
    return SpinHitNone;
}

void TacSpinRepeat::Start()
{
    Running = true;
    Interval = FirstDelay;
}

void TacSpinRepeat::Stop()
{
    Running = false;
    Interval = FirstDelay;
}

bool TacSpinRepeat::Tick(const std::function<void()>& step, const std::function<void(const String&)>& log)
{
    if (!Running) return false;
    Interval = RepeatDelay;
    try {
        step();
        return true;
    } catch (const Exception& e) {
        Stop();
        if (log) log(L"Spin button repeat stopped: " + e.Message());
    } catch (...) {
        Stop();
        if (log) log(L"Spin button repeat stopped by an error");
    }
    return false;
}
