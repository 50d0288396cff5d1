// The parser: lenient and strict JSON, comments, depth, chunks and streams.
#include <gtest/gtest.h>

#include "json_test_util.h"
#include "vcl/streams.h"

namespace {

struct ParseRow {
    JsonString text;
    bool strict;
    const char* want;   // compact escaped text of the value, or "<nothing>"
    TJsonTokenizerError err;
};

void Check(const ParseRow& r)
{
    TJsonTokenizerError err = teContinue;
    IJsonObject v = ParseString(r.text, r.strict, true, nullptr, 0, nullptr, stNull, &err);
    SCOPED_TRACE(U8(r.text));
    EXPECT_EQ(U8(v), r.want);
    EXPECT_EQ(err, r.err);
}

TEST(JsonParser, LenientAndStrictTexts)
{
    const ParseRow rows[] = {
        {u"{}", false, "{}", teSuccess},
        {u"[1,2,]", false, "[1,2]", teSuccess},
        {u"{a:1, 'b':2,}", false, "{\"b\":2,\"a\":1}", teSuccess},
        {u"{a:1}", true, "<nothing>", teParseObjectKeyName},
        {u"[abc, d e]", false, "[\"abc\",\"d e\"]", teSuccess},
        {u"nul", false, "\"nul\"", teSuccess},
        {u"nul", true, "<nothing>", teParseString},
        {u"nothing", false, "\"nothing\"", teSuccess},
        {u"True", false, "\"True\"", teSuccess},
        {u"[true,false,null]", true, "[true,false,null]", teSuccess},
        {u"[nullx]", false, "[\"nullx\"]", teSuccess},
        {u"'abc", false, "<nothing>", teParseEof},
        {u"+7", false, "\"+7\"", teSuccess},
        {u"// note\n[1]", false, "[1]", teSuccess},
        {u"/* a **/ [1]", false, "<nothing>", teParseEof},   // "**/" does not close
        {u"/* a **/ */ [1]", false, "[1]", teSuccess},
        {u"/* a */* x */ [1]", false, "\"* x *\\/ [1]\"", teSuccess},
        {u"/x", false, "<nothing>", teParseComment},
        {u"\"\\u00e9\\x41\\/\\q\"", false, "\"\\u00e9A\\/q\"", teSuccess},
        {u"\"\\u00g0\"", false, "<nothing>", teParseString},
        {u"[1 2]", false, "<nothing>", teParseArray},
        {u"{\"a\" 1}", false, "<nothing>", teParseObjectKeySep},
        {u"{\"a\":1 \"b\":2}", false, "<nothing>", teParseObjectValueSep},
        {u"{,}", false, "<nothing>", teParseObjectKeyName},
        {u"{\"a\":1,\"a\":2}", true, "{\"a\":2}", teSuccess},
        {u"[", false, "<nothing>", teParseArray},
        {u"{\"a\":\"x", false, "<nothing>", teParseEof},
    };
    for (const ParseRow& r : rows) Check(r);
}

TEST(JsonParser, NumberKinds)
{
    struct Row {
        const char16_t* text;
        TJsonType kind;
        const char* written;
    };
    const Row rows[] = {
        {u"1.5", stCurrency, "1.5"},
        {u"1.23456", stDouble, "1.23456"},
        {u"1e3", stDouble, "1000"},
        {u"15", stInt, "15"},
        {u"-0.0001", stCurrency, "-0.0001"},
        {u"9223372036854775807", stInt, "9223372036854775807"},
        {u"12345678901234567890", stDouble, "1.23456789012346E19"},
        {u"922337203685477.5808", stDouble, "922337203685478"},
        {u"1e999", stDouble, "null"},
    };
    for (const Row& r : rows) {
        IJsonObject v = JsonParse(r.text);
        ASSERT_TRUE(v) << U8(r.text);
        EXPECT_EQ(v->DataType(), r.kind) << U8(r.text);
        EXPECT_EQ(U8(v), r.written) << U8(r.text);
    }
    // Malformed number texts give some value, never a crash.
    for (auto t : {u"1.2.3", u"1e", u"-", u"--1", u"1e+-5", u"0.00000"}) EXPECT_TRUE(JsonParse(t)) << U8(t);
}

TEST(JsonParser, NestingIsLimitedTo31Levels)
{
    auto nested = [](int n, const char16_t* inner) {
        return JsonString(static_cast<size_t>(n), u'[') + inner + JsonString(static_cast<size_t>(n), u']');
    };
    TJsonTokenizerError err;
    EXPECT_TRUE(ParseString(nested(31, u"1"), true, true, nullptr, 0, nullptr, stNull, &err));
    EXPECT_FALSE(ParseString(nested(32, u"1"), true, true, nullptr, 0, nullptr, stNull, &err));
    EXPECT_EQ(err, teDepth);
    EXPECT_TRUE(ParseString(nested(31, u"[]"), true, true, nullptr, 0, nullptr, stNull, &err));
    EXPECT_FALSE(ParseString(nested(5000, u""), false, true, nullptr, 0, nullptr, stNull, &err));
    EXPECT_EQ(err, teDepth);
}

TEST(JsonParser, PartialDecidesAboutTrailingText)
{
    EXPECT_FALSE(ParseString(u"[1] x", false, false));
    EXPECT_EQ(U8(ParseString(u"[1] x", false, true)), "[1]");
    EXPECT_EQ(U8(ParseString(u"[1]  ", false, false)), "[1]");
}

TEST(JsonParser, ChunksSplitAnywhereGiveTheSameValue)
{
    const JsonString text = u"{\"a\\u00e9\": [1, 2.5, -3e2, \"x\\ty\", true, null, {b:'c'}], // c\n \"n\": 12345 }";
    const std::string want = U8(JsonParse(text));
    for (size_t split1 = 1; split1 < text.size(); ++split1) {
        for (size_t split2 = split1; split2 <= text.size(); split2 += 7) {
            TJsonTokenizer tok;
            size_t cuts[] = {0, split1, split2, text.size()};
            IJsonObject v;
            for (int k = 0; k < 3; ++k) {
                int32_t n = static_cast<int32_t>(cuts[k + 1] - cuts[k]);
                v = ParseEx(tok, text.data() + cuts[k], n, false);
                if (tok.err != teContinue && tok.err != teSuccess) break;
            }
            ASSERT_EQ(tok.err, teSuccess) << split1 << " " << split2;
            ASSERT_EQ(U8(tok.stack[0].current), want) << split1 << " " << split2;
        }
    }
}

TEST(JsonParser, StreamsOfBytesAndUtf16)
{
    auto bytes = [](std::initializer_list<uint8_t> b) {
        auto s = std::make_unique<TMemoryStream>();
        std::vector<uint8_t> v(b);
        s->Write(v.data(), static_cast<int64_t>(v.size()));
        s->Seek(0, TSeekOrigin::soBeginning);
        return s;
    };
    auto utf16 = bytes({0xFF, 0xFE, '[', 0, 0xE9, 0, ',', 0, '"', 0, 0x00, 0x20, '"', 0, ']', 0});
    EXPECT_EQ(U8(ParseStream(*utf16, false)), "[\"\\u00e9\",\"\\u2000\"]");
    auto utf8 = bytes({'"', 0xC3, 0xA9, '"'});
    EXPECT_EQ(U8(ParseStream(*utf8, false)), "\"\\u00c3\\u00a9\"");   // one unit per byte
    auto open = bytes({'1', '2', '3'});
    EXPECT_FALSE(ParseStream(*open, false));
    auto obj = bytes({'{', '"', 'a', '"', ':', '1', '}'});
    EXPECT_EQ(U8(ParseStream(*obj, false)), "{\"a\":1}");
    auto trailing = bytes({'[', ']', ' ', 'x'});
    EXPECT_FALSE(ParseStream(*trailing, false, false));

    // A document longer than one read chunk.
    std::string big = "[";
    for (int i = 0; i < 1000; ++i) big += std::to_string(i) + ",";
    big += "0]";
    TMemoryStream s;
    s.Write(big.data(), static_cast<int64_t>(big.size()));
    s.Seek(0, TSeekOrigin::soBeginning);
    IJsonObject v = ParseStream(s, true, false);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->AsArray()->Length(), 1001);
}

}  // namespace
