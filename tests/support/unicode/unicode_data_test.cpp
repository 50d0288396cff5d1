// Character tables built from a source, the comparison's two roads, substring positions; on
// Windows also the tables of the system's locale functions.
#include <gtest/gtest.h>

#include "support/unicode/unicode_data.h"

namespace {

// ASCII letters have case; so do U+00C0..U+00DE / U+00E0..U+00FE (bytes and units alike).
class TFakeSource : public TCharSource {
public:
    bool nt = true;
    int wideCalls = 0, ansiCalls = 0;
    std::string lastAnsi;

    static bool Up(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7); }
    static bool Low(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7); }
    uint16_t Type(unsigned c) { return static_cast<uint16_t>((Up(c) ? C1_UPPER_BIT : 0) | (Low(c) ? C1_LOWER_BIT : 0) | 0x100); }
    uint16_t AnsiType(uint8_t c) override { return Type(c); }
    uint8_t AnsiLower(uint8_t c) override { return Up(c) ? static_cast<uint8_t>(c + 0x20) : c; }
    uint8_t AnsiUpper(uint8_t c) override { return Low(c) ? static_cast<uint8_t>(c - 0x20) : c; }
    uint16_t WideType(char16_t c) override { return Type(c); }
    char16_t WideLower(char16_t c) override { return Up(c) ? static_cast<char16_t>(c + 0x20) : c; }
    char16_t WideUpper(char16_t c) override { return Low(c) ? static_cast<char16_t>(c - 0x20) : c; }
    bool IsNtFamily() override { return nt; }
    int CompareWideIgnoreCase(std::u16string_view a, std::u16string_view b, uint32_t) override
    {
        ++wideCalls;
        return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
    }
    int CompareAnsiIgnoreCase(std::string_view a, std::string_view b, uint32_t) override
    {
        ++ansiCalls;
        lastAnsi = std::string(a) + "|" + std::string(b);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    std::string ToAnsi(std::u16string_view s, uint32_t) override
    {
        std::string r;
        for (char16_t c : s) r.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return r;
    }
};

TEST(UnicodeData, TablesHoldTypesAndThreeCaseMaps)
{
    TFakeSource src;
    TUnicodeData d(src);
    EXPECT_TRUE(d.AnsiCaseBuilt());
    EXPECT_TRUE(d.WideCaseReady());
    struct Row {
        char16_t c;
        bool upper, lower;
        char16_t lo, up, swapped;
    };
    const Row rows[] = {
        {u'A', true, false, u'a', u'A', u'a'},         {u'z', false, true, u'z', u'Z', u'Z'},
        {u'5', false, false, u'5', u'5', u'5'},        {u'\u00c9', true, false, u'\u00e9', u'\u00c9', u'\u00e9'},
        {u'\u00f7', false, false, u'\u00f7', u'\u00f7', u'\u00f7'},
    };
    for (const Row& r : rows) {
        auto b = static_cast<uint8_t>(r.c);
        EXPECT_EQ(d.IsUpper(r.c), r.upper);
        EXPECT_EQ(d.IsLower(r.c), r.lower);
        EXPECT_EQ(d.IsUpper(b), r.upper);
        EXPECT_EQ(d.IsLower(b), r.lower);
        EXPECT_EQ(d.WideLower(r.c), r.lo);
        EXPECT_EQ(d.WideUpper(r.c), r.up);
        EXPECT_EQ(d.WideSwapped(r.c), r.swapped);
        EXPECT_EQ(d.AnsiSwapped(b), static_cast<uint8_t>(r.swapped));
        EXPECT_EQ(d.WideType(r.c), src.Type(r.c));
    }
    EXPECT_EQ(d.WideSwapped(u'\uffff'), u'\uffff');
}

TEST(UnicodeData, ComparisonGoesThroughTheAnsiCodePageOffTheNtFamily)
{
    TFakeSource nt;
    TUnicodeData a(nt);
    EXPECT_EQ(a.CompareText(u"ab", u"abc"), -1);
    EXPECT_EQ(nt.wideCalls, 1);
    EXPECT_EQ(nt.ansiCalls, 0);

    TFakeSource old;
    old.nt = false;
    TUnicodeData b(old);
    EXPECT_EQ(b.CompareText(u"b\u0100", u"a"), 1);
    EXPECT_EQ(old.ansiCalls, 1);
    EXPECT_EQ(old.lastAnsi, "b?|a");
}

TEST(UnicodeData, SubstringPositions)
{
    struct Row {
        const char16_t* text;
        const char16_t* sub;
        ptrdiff_t want;
    };
    const Row rows[] = {{u"hello", u"ll", 2}, {u"hello", u"h", 0}, {u"hello", u"x", -1}, {u"", u"a", -1}, {u"a", u"", -1}};
    for (const Row& r : rows) EXPECT_EQ(StrPosW(r.text, r.sub), r.want);
}

#ifdef _WIN32
TEST(UnicodeData, SystemTablesOfTheUserLocale)
{
    const TUnicodeData* d = UnicodeData();
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->IsUpper(u'A'));
    EXPECT_TRUE(d->IsLower(u'a'));
    EXPECT_FALSE(d->IsUpper(u'1'));
    EXPECT_TRUE(d->IsUpper(u'\u00c9'));
    EXPECT_EQ(d->WideLower(u'\u00c9'), u'\u00e9');
    EXPECT_EQ(d->WideSwapped(u'q'), u'Q');
    EXPECT_EQ(d->AnsiUpper('x'), 'X');
    EXPECT_EQ(d->CompareText(u"Abc", u"aBC"), 0);
    EXPECT_EQ(d->CompareText(u"a", u"B"), -1);
    EXPECT_EQ(d->CompareText(u"b", u"A"), 1);
    EXPECT_EQ(UnicodeData(), d);
}
#else
TEST(UnicodeData, NoSystemTablesNatively) { EXPECT_EQ(UnicodeData(), nullptr); }
#endif

}  // namespace
