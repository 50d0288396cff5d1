// Gradient description texts: both grammars, the stops they give, and text that cannot be read.
#include <gtest/gtest.h>

#include "skin/graphics/gradients.h"

namespace {

struct Stop {
    uint32_t color;
    int percent;
    int mode;
    int index;
};

void ExpectStops(const TsGradArray& g, const std::vector<Stop>& want, const String& text)
{
    ASSERT_EQ(g.size(), want.size()) << std::string(text.begin(), text.end());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(g[i].Color.C, want[i].color) << i;
        EXPECT_EQ(g[i].Percent, want[i].percent) << i;
        EXPECT_EQ(g[i].Mode, want[i].mode) << i;
        EXPECT_EQ(g[i].Index, want[i].index) << i;
    }
}

}  // namespace

TEST(ParseGradientString, ReadableTexts)
{
    struct Case {
        const wchar_t* text;
        std::vector<Stop> stops;
    } cases[] = {
        // three fields per stop, count from the last character ("B" = 2), colours as written
        {L"255;0;0;65280;100;0;B", {{255, 0, 0, 0}, {65280, 100, 0, 1}}},
        // five fields per stop: positions where the segments before end; the last forced to 100
        {L"255;0;30;0;0;65280;0;70;0;0;0", {{0xFF0000FF, 0, 0, 0}, {0xFF00FF00, 100, 0, 1}}},
        // a four-corner gradient of one stop gets five copies, only the last moved to 100
        {L"255;0;100;2;0;0",
         {{0xFF0000FF, 0, 2, 0}, {0xFF0000FF, 0, 2, 0}, {0xFF0000FF, 0, 2, 0}, {0xFF0000FF, 0, 2, 0},
          {0xFF0000FF, 100, 2, 0}}},
        // the five-field grammar clears bit 0x10; segment lengths are clamped to 0..100
        {L"1;0;150;16;0;2;0;-5;1;0;3;0;9;0;0",
         {{0xFF000001, 0, 0, 0}, {0xFF000002, 100, 1, 1}, {0xFF000003, 100, 0, 2}}},
        // the three-field grammar: a band by the line brush marks point 0 with 0x20
        {L"16711680;-3;16;255;250;1;B", {{0xFF0000, 0, 0x30, 0}, {255, 100, 1, 1}}},
        // colours and modes keep the low 32 bits of 64-bit values; runs of separators count as one
        {L";;4294967551;;0;;;0;;A", {{0xFFu, 100, 0, 0}}},
        // nothing described: short texts, fewer than five fields before "0", code 64 ("@")
        {L"1;0A", {}},
        {L"1;2;3;0", {}},
        {L"1;2;3;4;@", {}},
    };
    for (const auto& c : cases) {
        TsGradArray g(2);   // replaced, whatever it held
        EXPECT_TRUE(ParseGradientString(c.text, g)) << std::string(c.text, c.text + wcslen(c.text));
        ExpectStops(g, c.stops, c.text);
    }
}

TEST(ParseGradientString, UnreadableTextKeepsTheStopsReadBeforeIt)
{
    struct Case {
        const wchar_t* text;
        std::vector<Stop> stops;
    } cases[] = {
        {L"255;0;0;65280;100;0;5", {}},      // a digit other than "0": a count below 0
        {L"255;0;0;65280;100;0;;", {}},      // ends in a separator: a count below 0
        // the second stop's percent is not a number: the first stays, as read
        {L"255;0;0;65280;x;0;B", {{255, 0, 0, 0}}},
        // three stops claimed, two given
        {L"255;7;0;65280;100;0;C", {{255, 7, 0, 0}, {65280, 100, 0, 1}}},
        // a letter where the second segment length stands: the first stop's position not moved
        {L"255;0;30;0;0;65280;0;7O;0;0;0", {{0xFF0000FF, 0, 0, 0}}},
        {L"1;2;3;4;5;6;7;8;9;10;11;12;\xFF", {{1, 2, 3, 0}, {4, 5, 6, 1}, {7, 8, 9, 2}, {10, 11, 12, 3}}},
    };
    for (const auto& c : cases) {
        TsGradArray g(3);
        EXPECT_FALSE(ParseGradientString(c.text, g)) << std::string(c.text, c.text + wcslen(c.text));
        ExpectStops(g, c.stops, c.text);
    }
}
