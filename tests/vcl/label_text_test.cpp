// A label's ellipsis without a window: the flags each position draws with, and the cutting back
// of a word-wrapped text until it fits the label's height, measured by a fake that wraps at a
// fixed number of characters a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "vcl/label_text.h"

namespace {

// Lines of `perLine` characters, `lineHeight` pixels each.
struct TFakeMeasure {
    int PerLine = 10, LineHeight = 13;
    int Calls = 0;
    int operator()(const String& t)
    {
        ++Calls;
        const int n = static_cast<int>(t.size());
        return LineHeight * std::max(1, (n + PerLine - 1) / PerLine);
    }
};

}  // namespace

TEST(LabelEllipsis, FlagsByPositionAndAutoSize)
{
    constexpr unsigned base = 0x40 | 0x10;   // DT_EXPANDTABS | DT_WORDBREAK
    struct Case {
        TEllipsisPosition pos;
        bool autoSize;
        unsigned flags;
        bool shortens;   // with word wrap
    } cases[] = {
        {epNone, false, base, false},
        {epPathEllipsis, false, 0x10 | 0x4000, false},
        {epEndEllipsis, false, 0x10 | 0x8000, true},
        {epWordEllipsis, false, 0x10 | 0x40000, true},
        {epEndEllipsis, true, base, false},   // an auto-sized label grows instead
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LabelEllipsisFlags(base, c.pos, c.autoSize), c.flags) << int(c.pos) << c.autoSize;
        EXPECT_EQ(LabelShortensText(c.pos, c.autoSize, true), c.shortens) << int(c.pos) << c.autoSize;
        EXPECT_FALSE(LabelShortensText(c.pos, c.autoSize, false)) << "a single line is the system's to cut";
    }
}

TEST(LabelEllipsis, WrappedTextIsCutBackToTheLabelsHeight)
{
    struct Case {
        const char* what;
        String text;
        int maxHeight;
        String want;
    } cases[] = {
        {"fits with the dots: left alone", L"one two", 26, L"one two"},
        {"two lines of room: cut at blanks", L"alpha beta gamma delta epsilon", 26, L"alpha beta gamma..."},
        {"one line of room", L"alpha beta gamma delta", 13, L"alpha..."},
        {"no room at all stops at one line", L"alpha beta gamma delta", 5, L"alpha..."},
        {"one long word loses a character at a time", L"abcdefghijklmnopqrstuvwxyz", 13, L"abcdefg..."},
        {"tabs count as blanks", L"alpha\tbeta\tgamma delta", 13, L"alpha..."},
        {"a pair outside the basic plane goes whole", String(L"abcdef") + wchar_t(0xD83D) + wchar_t(0xDE00) + L"xyzw", 13, L"abcdef..."},
    };
    for (const Case& c : cases) {
        TFakeMeasure m;
        const String got = ShortenWrappedText(c.text, c.maxHeight, m.LineHeight, std::ref(m));
        EXPECT_EQ(got, c.want) << c.what;
        EXPECT_LE(m.Calls, int(c.text.size()) + 1) << c.what;
    }
}

TEST(LabelEllipsis, EmptyTextEndsTheLoop)
{
    // A measure that never fits: the text runs out and only the dots are left.
    int calls = 0;
    const String got = ShortenWrappedText(L"ab cd", 1, 1, [&](const String&) {
        ++calls;
        return 100;
    });
    EXPECT_EQ(got, L"...");
    EXPECT_LE(calls, 4);
}
