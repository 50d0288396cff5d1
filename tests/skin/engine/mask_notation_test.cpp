// Image definitions: each notation's canonical form, the fields read from it, and which per-PPI
// value an object of each scale step takes.
#include <gtest/gtest.h>

#include <map>

#include "skin/engine/core/mask_notation.h"

namespace {

String Z(size_t n) { return String(n, L'0'); }

}  // namespace

TEST(MaskNotation, CanonicalForms)
{
    struct Case { const wchar_t* value; String canonical; } cases[] = {
        // a border of the master bitmap, widths as written
        {L"^0084^0047^0089^0050^0002^0000^0000^0000^1^0^0^1", L"&0084004700890050000200000000000010000000000"},
        // widths from the twelfth word
        {L"^0000^0000^0030^0020^0000^0000^0000^0000^3^0^5^0005", L"&00000000003000200005000500050005300" L"05" + Z(6)},
        // widths computed: frame 10 wide -> 4, one part 20 high -> 9
        {L"^0000^0000^0030^0020^0000^0000^0000^0000^3^0^0^0000", L"&00000000003000200004000900040009300" L"00" + Z(6)},
        // a frame count of 0 counts as one frame there: 30 wide -> 14; a mask part halves 20 -> 4
        {L"^0000^0000^0030^0020^0000^0000^0000^0000^0^1^0^0000", L"&00000000003000200014000400140004010" L"00" + Z(6)},
        // a texture with a two-digit mode: the mask digit stands at position 25
        {L"~0010~0020~0030~0040~12~1", L"&0010002000300040" + Z(16) + L"1" L"1" L"1" L"12" + Z(6)},
        {L"~0010~0020~0030~0040~12~1~TILE.BMP", L"&0010002000300040" + Z(16) + L"111" L"12" + Z(6) + L"TILE.BMP"},
        // a one-digit mode moves the mask digit away: position 25 is past the end
        {L"~0010~0020~0030~0040~1~1", L"&0010002000300040" + Z(16) + L"101" L"01" + Z(6)},
        {L"@0184@0001@0229@0014@3@0", L"&0184000102290014" + Z(16) + L"302" + Z(8)},
        {L"!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!5", L"&" + Z(16) + L"0032003200320032" L"310" L"05" + Z(6) + L"BUTTONHUGE.BMP"},
        {L"!T.BMP!1!0!1", L"&" + Z(32) + L"101" L"00" + Z(6) + L"T.BMP"},
        {L"!G.PNG!2!0!3", L"&" + Z(32) + L"103" L"00" + Z(6) + L"G.PNG"},
        {L"!G.PNG!1!1!3!0004!0004!0004!0004!1", L"&" + Z(16) + L"0004000400040004" L"113" L"01" + Z(6) + L"G.PNG"},
        {L"!P.PNG!4!0!4", L"&" + Z(32) + L"404" L"00" + Z(6) + L"P.PNG"},
        {L"!P.PNG!2!0!4!0001!0002!0011!0012!3", L"&0001000200110012" + Z(16) + L"204" L"03" + Z(6) + L"P.PNG"},
        {L"!P.PNG!1!0!9", L"&" + Z(32) + L"104" L"00" + Z(6) + L"P.PNG"},   // kinds above 4 are 4
        {L"!B.BMP!1!0!X", L"&" + Z(16) + L"" L"100" L"00" + Z(6) + L"B.BMP"},  // not a number: border
        {L"BR.BMP", L"&" + Z(32) + L"101" L"00" + Z(6) + L"BR.BMP"},
        {L"BACK.JPG", L"&" + Z(32) + L"101" L"00" + Z(6) + L"BACK.JPG"},
        {L"&0001000200030004000500060007000813101000000X.BMP", L"&0001000200030004000500060007000813101000000X.BMP"},
        // values of at most three characters
        {L"^", L"&" + Z(32) + L"300" L"01" + Z(6)},
        {L"~1", L"&" + Z(32) + L"301" L"01" + Z(6)},
        {L"!A", L"&" + Z(32) + L"300" L"01" + Z(6) + L"A"},
        {L"X.B", L"&" + Z(32) + L"301" L"01" + Z(6) + L"X.B"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeMaskValue(c.value), c.canonical) << c.value;
}

TEST(MaskNotation, FieldsOfTheCanonicalForm)
{
    TacMaskDefinition d = ParseCanonicalMask(NormalizeMaskValue(L"@0184@0001@0229@0014@3@0"));
    EXPECT_EQ(d.R, TRect(184, 1, 229, 14));
    EXPECT_EQ(d.ImageCount, 3);
    EXPECT_EQ(d.MaskType, 0);
    EXPECT_EQ(d.ImgType, TacImgType::itisaGlyph);
    EXPECT_EQ(d.DrawMode, 0);
    EXPECT_TRUE(d.FileName.empty());

    d = ParseCanonicalMask(NormalizeMaskValue(L"!BUTTONHUGE.BMP!3!1!0!0032!0032!0032!0032!5"));
    EXPECT_EQ(d.ImgType, TacImgType::itisaBorder);
    EXPECT_EQ(d.ImageCount, 3);
    EXPECT_EQ(d.MaskType, 1);
    EXPECT_EQ((std::array<int, 4>{d.WL, d.WT, d.WR, d.WB}), (std::array<int, 4>{32, 32, 32, 32}));
    EXPECT_EQ(d.DrawMode, 5);
    EXPECT_EQ(d.FileName, L"BUTTONHUGE.BMP");

    d = ParseCanonicalMask(NormalizeMaskValue(L"BR.BMP"));
    EXPECT_EQ(d.ImgType, TacImgType::itisaTexture);
    EXPECT_EQ(d.ImageCount, 1);
    EXPECT_EQ(d.FileName, L"BR.BMP");

    d = ParseCanonicalMask(L"&" + Z(32) + L"107" L"00" + Z(6));
    EXPECT_EQ(d.ImgType, TacImgType::itisaPngGlyph);
}

TEST(MaskNotation, MalformedCanonicalFormsFail)
{
    for (const wchar_t* v : {L"&", L"&00X40047008900500002000000000000100", L"&0084004700890050000200000000000010",
                             L"^84^47^89^50^2^0^0^0^1^0^0", L"@1@2@3@4@x@0"}) {
        EXPECT_THROW(ParseCanonicalMask(NormalizeMaskValue(v)), ESkinImageError) << v;
    }
}

TEST(MaskNotation, WhichValuesDefineImages)
{
    struct Case { const wchar_t* value; bool image; } cases[] = {
        {L"N/A", false}, {L"", false}, {L"X.PNG", false}, {L"12345", false}, {L"A.BMP", true}, {L"DIR\\A.JPG", true},
        {L"!A.PNG!1!0!4", true}, {L"&", true}, {L"@", true}, {L"^", true}, {L"~", true},
    };
    for (auto c : cases) EXPECT_EQ(IsMaskValue(c.value), c.image) << c.value;
}

// Which key of the suffixed set each step takes, in order of preference.
TEST(MaskNotation, VariantOrderPerStep)
{
    const String plain = L"^0001^0001^0002^0002^0000^0000^0000^0000^1^0^";
    struct Case {
        int ppi, step;
        std::vector<const wchar_t*> present;
        const wchar_t* chosen;
        int drawnFor;
    } cases[] = {
        {96, 0, {L"", L"*125", L"*150", L"*200"}, L"", 96},
        {96, 0, {L"*125", L"*200"}, L"*125", 120},   // no plain value: up first
        {120, 1, {L"", L"*125"}, L"*125", 120},
        {120, 1, {L""}, L"", 96},
        {144, 2, {L"", L"*125", L"*150", L"*200"}, L"*150", 144},
        {144, 2, {L"", L"*125", L"*200"}, L"*200", 192},
        {144, 2, {L"", L"*125"}, L"*125", 120},
        {144, 2, {L""}, L"", 96},
        {168, 2, {L"", L"*150", L"*200"}, L"*200", 192},   // a step below the PPI looks one step up
        {168, 2, {L"", L"*150"}, L"*150", 144},
        {192, 3, {L"", L"*125", L"*150"}, L"*150", 144},
    };
    for (const Case& c : cases) {
        std::map<String, String> keys;
        // Each value's drawing mode tells which key it came from.
        for (const wchar_t* s : c.present) keys[String(L"BORDERSMASK") + s] = plain + IntToStr(String(s).size());
        auto lookup = [&](const String& k) { auto it = keys.find(k); return it == keys.end() ? String() : it->second; };
        auto [d, drawnFor] = ChooseMaskVariant(L"BORDERSMASK", c.ppi, c.step, lookup);
        EXPECT_EQ(d, NormalizeMaskValue(keys[String(L"BORDERSMASK") + c.chosen])) << c.ppi << " " << c.chosen;
        EXPECT_EQ(drawnFor, c.drawnFor) << c.ppi << " " << c.chosen;
    }
    auto none = [](const String&) { return String(); };
    EXPECT_TRUE(ChooseMaskVariant(L"X", 96, 0, none).first.empty());
}
