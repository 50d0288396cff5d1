#include <gtest/gtest.h>

#include "support/aatext/aa_markup.h"

TEST(AAMarkup, ExtractTagFindsAndDeletesTheFirstTag)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* name;
        int pos;
        const wchar_t* rest;
    } cases[] = {
        {L"<title1>Hello", L"Title1", 0, L"Hello"},
        {L"Hello <Date>!", L"date", 6, L"Hello !"},
        {L"<Right>abc<Right>", L"Right", 0, L"abc<Right>"},   // only the first occurrence
        {L"<Nolabel>x", L"Title1", -1, L"<Nolabel>x"},
        {L"<\u00e9t\u00e9>", L"\u00c9T\u00c9", -1, L"<\u00e9t\u00e9>"},   // only a to z fold
        {L"", L"A", -1, L""},
    };
    for (const Case& c : cases) {
        String text = c.text;
        EXPECT_EQ(ExtractTag(text, c.name), c.pos) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
    EXPECT_EQ(AsciiUpperCase(L"az\u00e9AZ"), L"AZ\u00e9AZ");
}

TEST(AAMarkup, WrapTextBreaksAtBreakCharacters)
{
    struct Case {
        const wchar_t* line;
        int limit;
        const wchar_t* expected;
    } cases[] = {
        {L"alpha beta gamma", 8, L"alpha \r\nbeta \r\ngamma"},
        {L"alpha beta gamma", 100, L"alpha beta gamma"},
        {L"abcdefghijklmnop", 4, L"abcdefghijklmnop"},              // nowhere to break
        {L"say \"a b c d e f\" now", 5, L"say \r\n\"a b c d e f\" \r\nnow"},   // never inside quotes
        {L"one,two,three", 5, L"one,\r\ntwo,\r\nthree"},
        {L"ab\r\ncd ef", 50, L"ab\r\ncd ef"},                     // an existing break counts
        {L"a b c", 0, L"a \r\nb c"},                              // limits below 2 count as 2
        {L"a b c", 1, L"a \r\nb c"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WrapText(c.line, L"\r\n", AABreakChars, c.limit), c.expected) << c.line << " / " << c.limit;
}

TEST(AAMarkup, WrapTextKeepsEveryCharacterAndEnds)
{
    // Removing the inserted breaks gives the line back, for every limit, including a
    // surrogate pair that may force a break but is never split. (Code units are spelt out:
    // wchar_t is UTF-16 only on Windows.)
    const String pair{wchar_t(0xD83D), wchar_t(0xDE00)};
    const String lines[] = {
        L"The quick brown fox jumps over the lazy dog.",
        L"x",
        L"",
        L"   leading and  double  blanks   ",
        pair + pair + pair + pair + L" wide",
        L"'open quote never closes, so no break",
    };
    for (const String& line : lines)
        for (int limit = -3; limit <= 50; ++limit) {
            String wrapped = WrapText(line, L"\r\n", AABreakChars, limit);
            String joined = StringReplaceAll(wrapped, L"\r\n", L"");
            ASSERT_EQ(joined, line) << "limit " << limit;
            for (size_t i = 0; i + 1 < wrapped.size(); ++i)
                if (wrapped[i] >= 0xD800 && wrapped[i] <= 0xDBFF) {
                    ASSERT_TRUE(wrapped[i + 1] >= 0xDC00) << limit;
                }
        }
    EXPECT_EQ(WrapText(pair + pair + pair, L"\r\n", AABreakChars, 2), pair + L"\r\n" + pair + pair);
}
