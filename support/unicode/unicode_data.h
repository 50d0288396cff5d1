// Character classification and case tables, built once at start-up for the 256 byte values
// and for all 65,536 UTF-16 code units under the user's default locale, and the choice of the
// locale-aware case-insensitive comparison. The tables come from a TCharSource; on Windows
// that is the system's locale functions (unicode_platform_win.cpp), in tests a fake. The
// character-property data the unit declares is never loaded here: its arrays stay empty.
// No windows.h here.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Bits of a character-type entry (the platform's CT_CTYPE1 mask).
constexpr uint16_t C1_UPPER_BIT = 0x1;
constexpr uint16_t C1_LOWER_BIT = 0x2;

// What the tables are built from: the platform's answers for one character each.
class TCharSource {
public:
    virtual ~TCharSource() = default;
    virtual uint16_t AnsiType(uint8_t c) = 0;
    virtual uint8_t AnsiLower(uint8_t c) = 0;
    virtual uint8_t AnsiUpper(uint8_t c) = 0;
    virtual uint16_t WideType(char16_t c) = 0;
    virtual char16_t WideLower(char16_t c) = 0;
    virtual char16_t WideUpper(char16_t c) = 0;
    // The NT family compares wide texts itself; otherwise texts go through the locale's ANSI
    // code page first.
    virtual bool IsNtFamily() = 0;
    // Locale comparison ignoring case over the whole lengths: -1, 0 or 1.
    virtual int CompareWideIgnoreCase(std::u16string_view a, std::u16string_view b, uint32_t locale) = 0;
    virtual int CompareAnsiIgnoreCase(std::string_view a, std::string_view b, uint32_t locale) = 0;
    // The text in the locale's ANSI code page (LOCALE_IDEFAULTANSICODEPAGE, else the system's).
    virtual std::string ToAnsi(std::u16string_view s, uint32_t locale) = 0;
};

constexpr uint32_t kLocaleUserDefault = 0x400;

enum TCharacterCategory {
    ccLetterUppercase, ccLetterLowercase, ccLetterTitlecase, ccMarkNonSpacing, ccMarkSpacingCombining,
    ccMarkEnclosing, ccNumberDecimalDigit, ccNumberLetter, ccNumberOther, ccSeparatorSpace, ccSeparatorLine,
    ccSeparatorParagraph, ccOtherControl, ccOtherFormat, ccOtherSurrogate, ccOtherPrivate, ccOtherUnassigned,
    ccLetterModifier, ccLetterOther, ccPunctuationConnector, ccPunctuationDash, ccPunctuationOpen,
    ccPunctuationClose, ccPunctuationInitialQuote, ccPunctuationFinalQuote, ccPunctuationOther, ccSymbolMath,
    ccSymbolCurrency, ccSymbolModifier, ccSymbolOther
};
using TCharacterCategories = uint32_t;   // one bit per TCharacterCategory
enum TCompatibilityFormattingTag {
    cftCanonical, cftFont, cftNoBreak, cftInitial, cftMedial, cftFinal, cftIsolated, cftCircle, cftSuper, cftSub,
    cftVertical, cftWide, cftNarrow, cftSmall, cftSquare, cftFraction, cftCompat
};
enum TCaseType { ctFold, ctLower, ctTitle, ctUpper };
struct TUcNumber {
    int32_t Numerator;
    int32_t Denominator;
};

// The tables of one start-up.
class TUnicodeData {
public:
    // Builds the type tables, the case maps and chooses the comparison, in that order.
    explicit TUnicodeData(TCharSource& source);

    bool IsUpper(uint8_t c) const { return (FAnsiTypes[c] & C1_UPPER_BIT) != 0; }
    bool IsLower(uint8_t c) const { return (FAnsiTypes[c] & C1_LOWER_BIT) != 0; }
    bool IsUpper(char16_t c) const { return (FWideTypes[c] & C1_UPPER_BIT) != 0; }
    bool IsLower(char16_t c) const { return (FWideTypes[c] & C1_LOWER_BIT) != 0; }
    uint16_t AnsiType(uint8_t c) const { return FAnsiTypes[c]; }
    uint16_t WideType(char16_t c) const { return FWideTypes[c]; }
    uint8_t AnsiLower(uint8_t c) const { return FAnsiCase[0][c]; }
    uint8_t AnsiUpper(uint8_t c) const { return FAnsiCase[1][c]; }
    uint8_t AnsiSwapped(uint8_t c) const { return FAnsiCase[2][c]; }
    char16_t WideLower(char16_t c) const { return FWideCase[0][c]; }
    char16_t WideUpper(char16_t c) const { return FWideCase[1][c]; }
    char16_t WideSwapped(char16_t c) const { return FWideCase[2][c]; }
    bool AnsiCaseBuilt() const { return FAnsiCaseBuilt; }
    bool WideCaseReady() const { return FWideCaseReady; }

    // Case-insensitive comparison under Locale: -1, 0 or 1.
    int CompareText(std::u16string_view Left, std::u16string_view Right, uint32_t Locale = kLocaleUserDefault) const;

private:
    void BuildAnsiCase();
    void BuildWideCase();

    TCharSource& FSource;
    std::vector<uint16_t> FAnsiTypes;
    std::vector<uint8_t> FAnsiCase[3];   // lower, upper, swapped
    bool FAnsiCaseBuilt = false;
    std::vector<uint16_t> FWideTypes;
    std::vector<char16_t> FWideCase[3];
    bool FWideCaseReady = false;
    bool FNt = true;
};

// First position of Sub in Text (an index), or -1 ("nil") when either is empty or Sub is absent.
ptrdiff_t StrPosW(std::u16string_view Text, std::u16string_view Sub);

// The process's tables, built on first use from the platform's locale functions (Windows), or
// nullptr where the platform has none (the native build).
const TUnicodeData* UnicodeData();
