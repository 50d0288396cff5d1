// The writer: layout with and without indentation, escaping, number texts, writer targets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json_test_util.h"
#include "vcl/streams.h"

namespace {

TEST(JsonWriter, CompactAndIndentedLayout)
{
    IJsonObject o = TJsonObject::Create(stObject);
    o->PutO(u"b", JsonParse(u"[1,2]"));
    o->PutO(u"a", JsonParse(u"{\"x\":1}"));
    EXPECT_EQ(U8(o->AsJSon(false, true)), "{\"b\":[1,2],\"a\":{\"x\":1}}");
    EXPECT_EQ(U8(o->AsJSon(true, true)), "{\r\n \"b\": [\r\n  1,2],\r\n \"a\": {\r\n  \"x\": 1\r\n }\r\n}");

    struct Row {
        const char16_t* text;
        const char* compact;
        const char* indented;
    };
    const Row rows[] = {
        {u"{}", "{}", "{}"},
        {u"[]", "[]", "[]"},
        {u"[null,[]]", "[null,[]]", "[\r\n null,[]]"},
        {u"{a:null}", "{\"a\":null}", "{\r\n \"a\": null\r\n}"},
    };
    for (const Row& r : rows) {
        IJsonObject v = JsonParse(r.text);
        ASSERT_TRUE(v);
        EXPECT_EQ(U8(v->AsJSon(false, true)), r.compact);
        EXPECT_EQ(U8(v->AsJSon(true, true)), r.indented);
    }
}

void Noop(const IJsonObject&, const IJsonObject&, IJsonObject&) {}

TEST(JsonWriter, EmptySlotsMethodsAndCyclesWriteSafely)
{
    IJsonObject o = TJsonObject::Create(stObject);
    o->AsObject()->PutO(u"n", nullptr);
    o->AsObject()->PutM(u"m", &Noop);
    o->AsObject()->PutI(u"i", 1);
    EXPECT_EQ(U8(o), "{\"n\":null,\"i\":1}");
    EXPECT_EQ(U8(TJsonObject::Create(&Noop)->AsJSon()), "");

    IJsonObject a = TJsonObject::Create(stArray);
    a->AsArray()->PutO(1, TJsonObject::Create(int64_t{2}));
    a->AsArray()->Add(a);   // leads back to itself: left out
    EXPECT_EQ(U8(a), "[null,2]");
    o->AsObject()->PutO(u"self", o);
    EXPECT_EQ(U8(o), "{\"n\":null,\"i\":1}");
    a->Clear(true);
    o->Clear(true);
}

TEST(JsonWriter, EscapingOnAndOff)
{
    struct Row {
        JsonString text;
        const char* escaped;
        const char* plain;
    };
    const Row rows[] = {
        {u"\u00e9/\u0007", "\"\\u00e9\\/\\u0007\"", "\"\u00e9/\\u0007\""},
        {u"\U0001F600", "\"\\ud83d\\ude00\"", "\"\U0001F600\""},
        {u"q\"b\\\b\t\n\f\r\x7f", "\"q\\\"b\\\\\\b\\t\\n\\f\\r\x7f\"", "\"q\\\"b\\\\\\b\\t\\n\\f\\r\x7f\""},
        {JsonString(1, u'\0') + u"\u0100", "\"\\u0000\\u0100\"", "\"\\u0000\u0100\""},
    };
    for (const Row& r : rows) {
        IJsonObject v = TJsonObject::Create(r.text);
        EXPECT_EQ(U8(v->AsJSon(false, true)), r.escaped);
        EXPECT_EQ(U8(v->AsJSon(false, false)), r.plain);
    }
}

TEST(JsonWriter, NumberTexts)
{
    struct Row {
        double d;
        const char* text;
    };
    const Row rows[] = {
        {2.5, "2.5"},           {100, "100"},          {0.0001, "0.0001"},     {0.00001, "1E-5"},
        {1e15, "1E15"},         {1234.5, "1234.5"},    {9.5e-5, "9.5E-5"},     {0, "0"},
        {-0.0, "0"},            {-2.5, "-2.5"},        {123456789012345.0, "123456789012345"},
        {1e14, "100000000000000"}, {1.5e300, "1.5E300"}, {-1e-300, "-1E-300"},
        {static_cast<double>(0.1f), "0.100000001490116"}, {1.0 / 3, "0.333333333333333"},
        {0.001, "0.001"},       {999999999999999.9, "1E15"},
    };
    for (const Row& r : rows) EXPECT_EQ(U8(JsonFloatText(r.d)), r.text) << r.d;
    EXPECT_EQ(U8(JsonFloatText(std::numeric_limits<double>::infinity())), "INF");
    EXPECT_EQ(U8(JsonFloatText(-std::numeric_limits<double>::infinity())), "-INF");
    EXPECT_EQ(U8(JsonFloatText(std::nan(""))), "NAN");

    struct CRow {
        TJsonCurrency c;
        const char* text;
    };
    const CRow crows[] = {{125000, "12.5"}, {30000, "3"}, {-1, "-0.0001"}, {0, "0"}, {INT64_MIN, "-922337203685477.5808"}};
    for (const CRow& r : crows) EXPECT_EQ(U8(JsonCurrencyText(r.c)), r.text);
}

TEST(JsonWriter, NonFiniteDoublesAreWrittenAsNull)
{
    IJsonObject a = TJsonObject::Create(stArray);
    a->AsArray()->Add(std::numeric_limits<double>::infinity());
    a->AsArray()->Add(std::nan(""));
    a->AsArray()->Add(1.5);
    EXPECT_EQ(U8(a), "[null,null,1.5]");
    EXPECT_TRUE(JsonParse(a->AsJSon()));
}

TEST(JsonWriter, TargetsAndSizes)
{
    EXPECT_EQ(JsonParse(u"{\"a\":1}")->CalcSize(false, true), 7);
    IJsonObject v = TJsonObject::Create(JsonString(u"\u00e9"));

    TMemoryStream ansi;
    EXPECT_EQ(v->SaveTo(ansi, false, true), 8);   // "\u00e9" in ASCII
    TMemoryStream wide;
    EXPECT_EQ(v->SaveTo(wide, false, false), 6);  // three UTF-16 units, no byte-order mark
    const auto* b = static_cast<const uint8_t*>(wide.Memory());
    EXPECT_EQ(b[0], '"');
    EXPECT_EQ(b[2], 0xE9);
    EXPECT_EQ(b[3], 0);

    TJsonWriterString w;
    w.Append(u"ab \t \r\n ");
    w.TrimRight();
    EXPECT_EQ(U8(w.GetString()), "ab \t");
    for (int i = 0; i < 100; ++i) w.Append(u"0123456789");
    EXPECT_EQ(w.Position(), 1004);
    EXPECT_EQ(w.Data()[w.Position()], u'\0');
}

}  // namespace
