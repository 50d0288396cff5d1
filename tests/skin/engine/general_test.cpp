// The engine's small routines without windows: words, hexadecimal text, paths, the sectioned
// text of the common sections, and tick arithmetic across the 32-bit wrap.
#include <gtest/gtest.h>

#include "skin/engine/core/general.h"

namespace {
const TCharSet Blank{' '};
}

TEST(SkinGeneral, HexTextToInt64)
{
    struct Case { const char* text; int64_t value; } cases[] = {
        {"ffh", 255}, {"FF", 255}, {"1G", 0}, {"", 0}, {"h", 0}, {"10H", 16}, {"7fffffffffffffff", INT64_MAX},
        {"ffffffffffffffff", -1}, {"1ffffffffffffffff", -1},   // wraps in 64 bits
        {"12 ", 0}, {"-1", 0},
    };
    for (auto c : cases) EXPECT_EQ(HexTextToInt64(c.text), c.value) << c.text;
}

TEST(SkinGeneral, LongHexTextIsReadWhole)
{
    // 300 characters: a counter limited to 8 bits would stop early and answer 0.
    std::string text(299, '0');
    text += "1";
    EXPECT_EQ(HexTextToInt64(text), 1);
    EXPECT_EQ(HexTextToInt64(std::string(299, '0') + "G"), 0);
}

TEST(SkinGeneral, Words)
{
    const String text = L"  ab  cd";
    struct Case { int n; int position; const wchar_t* word; } cases[] = {
        {1, 3, L"ab"}, {2, 7, L"cd"}, {3, 0, L""}, {0, 0, L""}, {-1, 0, L""},
    };
    for (auto c : cases) {
        EXPECT_EQ(FindNthWord(c.n, text, Blank), c.position) << c.n;
        EXPECT_EQ(GetNthWord(c.n, text, Blank), c.word) << c.n;
        EXPECT_EQ(FindNthWordA(c.n, "  ab  cd", Blank), c.position) << c.n;
    }
    EXPECT_EQ(CountWords(text, Blank), 2);
    EXPECT_EQ(CountWords(L"", Blank), 0);
    EXPECT_EQ(CountWordsA(",a,,b,", TCharSet{','}), 2);
    EXPECT_EQ(GetNthWordA(2, "x;yz;", TCharSet{';'}), "yz");
    // Characters above 255 are never separators, whatever their low byte.
    EXPECT_EQ(CountWords(String(L"a") + wchar_t(0x120) + L"b", Blank), 1);
    EXPECT_FALSE(WideCharInSet(wchar_t(0x120), TCharSet{0x20}));
}

TEST(SkinGeneral, StringEdits)
{
    EXPECT_EQ(ReplaceEvery(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(ReplaceEvery(L"abab", L"b", L"bb"), L"abbabb");   // replaced text is not rescanned
    EXPECT_EQ(ReplaceEvery(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(StripChar(L" a b ", L' '), L"ab");
    String s = L"x";
    FillWideString(s, 3, L'z');
    EXPECT_EQ(s, L"zzz");
    FillWideString(s, -2, L'z');
    EXPECT_EQ(s, L"");
    EXPECT_EQ(RepeatCharA('-', 3), "---");
    EXPECT_EQ(RepeatCharA('-', 0), "");
    EXPECT_EQ(PadLeftA('0', "7", 3), "007");
    EXPECT_EQ(PadLeftA('0', "1234", 3), "1234");
    EXPECT_TRUE(ContainsAnyChar(L"a*b", L"?*"));
    EXPECT_FALSE(ContainsAnyChar(L"ab", L""));
}

TEST(SkinGeneral, FileNamesAndPaths)
{
    for (const wchar_t* bad : {L"", L"a<b", L"a>b", L"a\"b", L"a|b", L"a*b", L"a?b", L"a/b"})
        EXPECT_FALSE(IsValidFileNameText(bad)) << bad;
    EXPECT_TRUE(IsValidFileNameText(L"Dark.asz"));

    struct Case { const wchar_t* in; const wchar_t* out; } cases[] = {
        {L"", L""}, {L"C", L"C:\\"}, {L"C:\\x\\", L"C:\\x\\"}, {L"C:\\x/", L"C:\\x\\"}, {L"C:\\x", L"C:\\x\\"},
    };
    for (auto c : cases) EXPECT_EQ(EnsureTrailingBackslash(c.in), c.out) << c.in;
}

TEST(SkinGeneral, SkinDirectoryResolvesAgainstTheProgramFolder)
{
    struct Case { const wchar_t* dir; const wchar_t* full; } cases[] = {
        {L".\\Skins", L"C:\\App\\Skins\\"},  {L"./Skins", L"C:\\App\\Skins\\"}, {L"Skins", L"C:\\App\\Skins\\"},
        {L"..\\Skins", L"C:\\Skins\\"},      {L".", L"C:\\App\\"},              {L"\\\\server\\share", L"\\\\server\\share\\"},
        {L"D:\\X", L"D:\\X\\"},              {L"c:\\Skins", L"c:\\Skins\\"},
    };
    for (auto c : cases) EXPECT_EQ(FullSkinDirectory(c.dir, L"C:\\App\\"), c.full) << c.dir;
    // One level up from a drive root stays at the root.
    EXPECT_EQ(FullSkinDirectory(L"..\\Skins", L"C:\\"), L"C:\\Skins\\");
}

TEST(SkinGeneral, SectionedText)
{
    TStringList lines;
    lines.SetText(L"dropped=1\r\n[A]\r\nx=1\r\n\r\n;comment\r\ny=0x1F\r\n[B]\r\nx=-3\r\nz=text\r\n[C\r\n");
    TStringList sections;
    ParseSectionedText(lines, sections);
    ASSERT_EQ(sections.Count(), 2);
    struct Case { const wchar_t* section; const wchar_t* key; int def; int value; } ints[] = {
        {L"A", L"x", 9, 1}, {L"A", L"y", 9, 31}, {L"a", L"X", 9, 1},   // the list's own comparison: any case
        {L"B", L"x", 9, -3}, {L"B", L"z", 9, 9}, {L"B", L"missing", 9, 9}, {L"none", L"x", 9, 9},
        {L"A", L"dropped", 9, 9}, {L"B", L"[C", 9, 9},
    };
    for (auto c : ints) EXPECT_EQ(ReadSectionInt(sections, c.section, c.key, c.def), c.value) << c.section << "." << c.key;
    EXPECT_EQ(ReadSectionValue(sections, L"B", L"z", L"-"), L"text");
    EXPECT_EQ(ReadSectionValue(sections, L"B", L"q", L"-"), L"-");
}

TEST(SkinGeneral, TicksAcrossTheWrap)
{
    struct Case { uint32_t start; int interval; uint32_t now; bool reached; } cases[] = {
        {100, 40, 139, false}, {100, 40, 140, true},
        {0xFFFFFFF0u, 40, 0xFFFFFFFFu, false}, {0xFFFFFFF0u, 40, 0x17u, false}, {0xFFFFFFF0u, 40, 0x18u, true},
        {5, 0, 5, true}, {5, -3, 5, true},
    };
    for (auto c : cases) EXPECT_EQ(TickReached(c.start, c.interval, c.now), c.reached) << c.start << "+" << c.interval;
}

TEST(SkinGeneral, TickSourceCanBeReplaced)
{
    uint32_t fake = 7;
    SetTickSource([&] { return fake++; });
    EXPECT_EQ(AcTickCount(), 7u);
    EXPECT_EQ(AcTickCount(), 8u);
    SetTickSource(nullptr);
    uint32_t a = AcTickCount(), b = AcTickCount();
    EXPECT_LE(TickElapsed(a, b), 1000u);
}
