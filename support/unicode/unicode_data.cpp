// Building the character tables and choosing the comparison.
#include "support/unicode/unicode_data.h"

TUnicodeData::TUnicodeData(TCharSource& source)
    : FSource(source), FAnsiTypes(256), FWideTypes(65536)
{
    for (int c = 0; c < 256; ++c) FAnsiTypes[static_cast<size_t>(c)] = FSource.AnsiType(static_cast<uint8_t>(c));
    BuildAnsiCase();
    for (int c = 0; c < 65536; ++c) FWideTypes[static_cast<size_t>(c)] = FSource.WideType(static_cast<char16_t>(c));
    BuildWideCase();
    FNt = FSource.IsNtFamily();
}

void TUnicodeData::BuildAnsiCase()
{
    if (FAnsiCaseBuilt) return;
    for (auto& t : FAnsiCase) t.resize(256);
    for (int i = 0; i < 256; ++i) {
        auto c = static_cast<uint8_t>(i);
        uint8_t lower = FSource.AnsiLower(c), upper = FSource.AnsiUpper(c);
        FAnsiCase[0][c] = lower;
        FAnsiCase[1][c] = upper;
        FAnsiCase[2][c] = IsUpper(c) ? lower : (IsLower(c) ? upper : c);
    }
    FAnsiCaseBuilt = true;
}

void TUnicodeData::BuildWideCase()
{
    if (FWideCaseReady) return;
    for (auto& t : FWideCase) t.resize(65536);
    for (int i = 0; i < 65536; ++i) {
        auto c = static_cast<char16_t>(i);
        char16_t lower = FSource.WideLower(c), upper = FSource.WideUpper(c);
        FWideCase[0][c] = lower;
        FWideCase[1][c] = upper;
        FWideCase[2][c] = IsUpper(c) ? lower : (IsLower(c) ? upper : c);
    }
    FWideCaseReady = true;
}

int TUnicodeData::CompareText(std::u16string_view Left, std::u16string_view Right, uint32_t Locale) const
{
    if (FNt) return FSource.CompareWideIgnoreCase(Left, Right, Locale);
    return FSource.CompareAnsiIgnoreCase(FSource.ToAnsi(Left, Locale), FSource.ToAnsi(Right, Locale), Locale);
}

ptrdiff_t StrPosW(std::u16string_view Text, std::u16string_view Sub)
{
    if (Text.empty() || Sub.empty()) return -1;
    size_t p = Text.find(Sub);
    return p == std::u16string_view::npos ? -1 : static_cast<ptrdiff_t>(p);
}
