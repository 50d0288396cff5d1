// Marshalling of typed values by their field tables, both directions.
#include <gtest/gtest.h>

#include <vector>

#include "json_test_util.h"
#include "support/datetime/json_date.h"
#include "support/json/json_rtti.h"

struct TSample {
    uint8_t b;
    int16_t s;
    int8_t sb;
    uint32_t card;
    int64_t big;
    bool flag;
    float f;
    double d;
    char ch;
    char16_t wc;
    String text;
    int32_t arr[3];
    std::vector<uint16_t> list;
    IJsonObject json;
    TGUID guid;
};
QW_TYPE_INFO_RECORD(TSample, QW_FIELD(TSample, b), QW_FIELD(TSample, s), QW_FIELD(TSample, sb), QW_FIELD(TSample, card),
                    QW_FIELD(TSample, big), QW_FIELD(TSample, flag), QW_FIELD(TSample, f), QW_FIELD(TSample, d),
                    QW_FIELD(TSample, ch), QW_FIELD(TSample, wc), QW_FIELD(TSample, text), QW_FIELD(TSample, arr),
                    QW_FIELD(TSample, list), QW_FIELD(TSample, json), QW_FIELD(TSample, guid));

struct TWithPointer {
    int32_t a;
    void* p;
};
QW_TYPE_INFO_RECORD(TWithPointer, QW_FIELD(TWithPointer, a), QW_FIELD(TWithPointer, p));

struct TNode {
    int32_t value = 0;
    TNode* next = nullptr;
    TNode* other = nullptr;
};
QW_TYPE_INFO_CLASS(TNode, QW_FIELD(TNode, value), QW_FIELD(TNode, next), QW_FIELD(TNode, other));

struct TOneByte {
    uint8_t v;
};
QW_TYPE_INFO_RECORD(TOneByte, QW_FIELD(TOneByte, v));

struct TStamp {
    double when;
};
QW_TYPE_INFO_RECORD(TStamp, QW_FIELD_AS(TStamp, when, TypeInfoDateTime()));

namespace {

const TGUID kIid = {0x4B86A9E3, 0xE094, 0x4E5A, {0x95, 0x4A, 0x69, 0x04, 0x8B, 0x7B, 0x63, 0x27}};

TEST(JsonRtti, EveryFieldKindToJson)
{
    TSample s{};
    s.b = 200;
    s.s = -1;
    s.sb = -1;
    s.card = 3000000000u;
    s.big = -5;
    reinterpret_cast<uint8_t&>(s.flag) = 2;
    s.f = 0.1f;
    s.d = 1e-4;
    s.ch = 'A';
    s.wc = u'\u00e9';
    s.text = L"t\"x";
    s.arr[0] = 1, s.arr[1] = -2, s.arr[2] = 3;
    s.list = {7, 8};
    s.json = JsonParse(u"{k:1}");
    s.guid = kIid;
    TJsonRttiContext ctx;
    IJsonObject v = ctx.MarshalToJson(s);
    struct Row {
        const char16_t* name;
        const char* want;
    };
    const Row rows[] = {
        {u"b", "200"},           {u"s", "65535"},       {u"sb", "255"},    {u"card", "-1294967296"},
        {u"big", "-5"},          {u"flag", "true"},     {u"f", "0.100000001490116"},
        {u"d", "0.0001"},        {u"ch", "\"A\""},      {u"wc", "\"\\u00e9\""}, {u"text", "\"t\\\"x\""},
        {u"arr", "[1,-2,3]"},    {u"list", "[7,8]"},    {u"json", "{\"k\":1}"},
        {u"guid", "\"4b86a9e3-e094-4e5a-954a-69048b7b6327\""},
    };
    for (const Row& r : rows) {
        IJsonObject m;
        ASSERT_TRUE(v->AsObject()->Find(r.name, m)) << U8(r.name);
        EXPECT_EQ(m ? U8(m->AsJSon(false, true)) : std::string("null"), r.want) << U8(r.name);
    }

    // A pointer has no JSON form: written null, never read.
    TWithPointer wp{3, &s};
    IJsonObject p = ctx.MarshalToJson(wp);
    EXPECT_EQ(U8(p), "{\"p\":null,\"a\":3}");
    EXPECT_FALSE(ctx.UnmarshalFromJson(p, wp));
}

TEST(JsonRtti, RoundTripThroughText)
{
    TSample s{};
    s.b = 9;
    s.s = -300;
    s.sb = -128;
    s.card = 4000000000u;
    s.big = INT64_MIN;
    s.flag = true;
    s.f = -2.5f;
    s.d = 1234.5;
    s.ch = 'z';
    s.wc = u'\u20ac';
    s.text = L"\u00e9t\u00e9";
    s.arr[2] = 42;
    s.list = {1, 2, 3};
    s.guid = kIid;
    TJsonRttiContext ctx;
    JsonString text = ctx.MarshalToJson(s)->AsJSon();
    TSample back{};
    back.list = {9};
    ASSERT_TRUE(ctx.UnmarshalFromJson(JsonParse(text), back)) << U8(text);
    EXPECT_EQ(back.b, 9);
    EXPECT_EQ(back.s, -300);
    EXPECT_EQ(back.sb, -128);
    EXPECT_EQ(back.card, 4000000000u);
    EXPECT_EQ(back.big, INT64_MIN);
    EXPECT_TRUE(back.flag);
    EXPECT_EQ(back.f, -2.5f);
    EXPECT_EQ(back.d, 1234.5);
    EXPECT_EQ(back.ch, 'z');
    EXPECT_EQ(back.wc, u'\u20ac');
    EXPECT_EQ(back.text, L"\u00e9t\u00e9");
    EXPECT_EQ(back.arr[2], 42);
    EXPECT_EQ(back.list, (std::vector<uint16_t>{1, 2, 3}));
    EXPECT_EQ(std::memcmp(&back.guid, &kIid, sizeof kIid), 0);
}

TEST(JsonRtti, OrdinalsAreReadOnlyInsideTheirRange)
{
    struct Row {
        const char16_t* json;
        bool ok;
        int value;
    };
    const Row rows[] = {
        {u"{v:256}", false, 0}, {u"{v:'7'}", true, 7},   {u"{v:-1}", false, 0},  {u"{v:true}", true, 1},
        {u"{v:1.5}", false, 0}, {u"{v:'x'}", false, 0},  {u"{}", false, 0},      {u"{v:4294967297}", false, 0},
        {u"[1]", false, 0},     {u"{v:'\"8\"'}", false, 0},
    };
    for (const Row& r : rows) {
        TJsonRttiContext ctx;
        TOneByte b{0};
        EXPECT_EQ(ctx.UnmarshalFromJson(JsonParse(r.json), b), r.ok) << U8(r.json);
        if (r.ok) {
            EXPECT_EQ(b.v, r.value) << U8(r.json);
        }
    }
}

TEST(JsonRtti, GuidTexts)
{
    EXPECT_EQ(U8(GuidToText(kIid)), "4b86a9e3-e094-4e5a-954a-69048b7b6327");
    struct Row {
        const char16_t* text;
        bool ok;
    };
    const Row rows[] = {
        {u"4b86a9e3-e094-4e5a-954a-69048b7b6327", true}, {u"{4B86A9E3-E094-4E5A-954A-69048B7B6327}", true},
        {u" 4b86a9e3e0944e5a954a69048b7b6327\r\n", true}, {u"{4b86a9e3e0944e5a954a69048b7b6327}", true},
        {u"4b86a9e3-e0944e5a954a69048b7b6327", false},    {u"{4b86a9e3-e094-4e5a-954a-69048b7b6327", false},
        {u"4b86a9e3-e094-4e5a-954a-69048b7b632g", false}, {u"4b86a9e3-e094-4e5a-954a-69048b7b6327x", false},
        {u"", false},
    };
    for (const Row& r : rows) {
        TGUID g{};
        EXPECT_EQ(JsonParseGuid(r.text, g), r.ok) << U8(r.text);
        if (r.ok) {
            EXPECT_EQ(std::memcmp(&g, &kIid, sizeof g), 0) << U8(r.text);
        }
    }
    TJsonRttiContext ctx;
    TGUID g = kIid;
    EXPECT_TRUE(ctx.FromJson(TypeInfoOf<TGUID>(), TJsonObject::Create(stNull), &g));
    EXPECT_EQ(g.D1, 0u);
}

TEST(JsonRtti, InstancesAreSharedAndCyclesEnd)
{
    TNode a, b;
    a.value = 1;
    b.value = 2;
    a.next = &b;
    a.other = &b;   // referred to twice
    b.next = &a;    // and back
    TJsonRttiContext ctx;
    TNode* root = &a;
    IJsonObject v = ctx.MarshalToJson(root);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->GetO(u"next").get(), v->GetO(u"other").get());
    EXPECT_EQ(v->GetO(u"next.next").get(), v.get());
    EXPECT_EQ(v->GetI(u"next.value"), 2);
    // Each way back to an object being written is left out.
    EXPECT_EQ(U8(v), "{\"other\":{\"other\":null,\"value\":2},\"value\":1,\"next\":{\"other\":null,\"value\":2}}");

    // Reading a document that contains itself ends with a failure.
    IJsonObject cyc = JsonParse(u"{value:5}");
    cyc->AsObject()->PutO(u"next", cyc);
    TNode* read = nullptr;
    EXPECT_FALSE(ctx.FromJson(TypeInfoOf<TNode*>(), cyc, &read));
    cyc->Clear(true);
    for (TNode* n = read; n;) {
        TNode* next = n->next;
        delete n;
        n = next;
    }
    v->Clear(true);
}

// Answers that there is no time-zone setting.
class TNoZones : public TZoneRegistry {
public:
    bool OpenKey(TRoot, const String&) override { return false; }
    bool ValueExists(const String&) override { return false; }
    bool ReadString(const String&, String&) override { return false; }
    bool ReadInteger(const String&, int32_t&) override { return false; }
    int ReadBinary(const String&, void*, int) override { return -1; }
};

TEST(JsonRtti, DateTimesAreEpochMillisecondsWithoutZoneRules)
{
    TNoZones none;
    SetZoneRegistry(&none);
    TStamp s{25569.5};
    TJsonRttiContext ctx;
    EXPECT_EQ(U8(ctx.MarshalToJson(s)), "{\"when\":43200000}");
    TStamp back{};
    ASSERT_TRUE(ctx.UnmarshalFromJson(JsonParse(u"{when:'1970-01-02T00:00:00Z'}"), back));
    EXPECT_DOUBLE_EQ(back.when, 25570.0);
    ASSERT_TRUE(ctx.UnmarshalFromJson(JsonParse(u"{when:86400000}"), back));
    EXPECT_DOUBLE_EQ(back.when, 25570.0);
    EXPECT_FALSE(ctx.UnmarshalFromJson(JsonParse(u"{when:true}"), back));
    SetZoneRegistry(nullptr);
}

}  // namespace
