// Fuzz target of the spin edit's text rules: any text, in a "." or "," locale, with or without
// thousands separators, reads as a finite number (0 when it is none); a paste keeps either a
// text that reads as a number or the previous value's text, which reads back as that value; and
// the text written for the value read stays short and reads back close to it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/controls/core/spin_edit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 512) return 0;
    const uint8_t flags = data[0];
    const TacNumberSeparators seps = flags & 1 ? TacNumberSeparators{L',', L'.'} : TacNumberSeparators{L'.', L','};
    const bool thousands = flags & 2;
    const int places = (flags >> 2) % 19;
    static const wchar_t specials[] = L".,+-eE 0\u00A0\u2212";
    String text;
    for (size_t i = 1; i < size; ++i)
        text += data[i] >= 0xF6 ? specials[data[i] - 0xF6] : wchar_t(data[i]);

    const double v = SpinTextToValue(text, seps, thousands);
    if (!std::isfinite(v)) abort();

    const double previous = std::fmod(v, 1e6);
    const String kept = SpinPastedText(text, previous, seps);
    double back = 0;
    if (!TryReadLocaleFloat(kept, seps, back)) abort();
    if (kept != text && std::fabs(back - previous) > 1e-12 * std::fabs(previous) + 1e-300) abort();

    TacDecimalSpinValue value;
    value.DecimalPlaces = places;
    value.ShowThousandSeparator = thousands;
    value.HideExcessZeros = flags & 0x80;
    value.SetValue(std::fmod(v, 1e15));
    const String shown = value.FormatText(seps);
    if (shown.empty() || shown.size() > 64) abort();
    const double reread = SpinTextToValue(shown, seps, thousands);
    if (std::fabs(reread - value.Value) > 0.5 * std::pow(10.0, -places) + 1e-3 * std::fabs(value.Value) + 1e-9) abort();
    return 0;
}
