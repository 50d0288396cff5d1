// Values, conversions, comparison, the member table and arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "json_test_util.h"

namespace {

TEST(JsonValue, ConversionsFollowTheKind)
{
    struct Row {
        IJsonObject v;
        bool b;
        int64_t i;
        double d;
        TJsonCurrency c;
        const char* s;
    };
    const Row rows[] = {
        {TJsonObject::Create(stNull), false, 0, 0, 0, ""},
        {TJsonObject::Create(true), true, 1, 1, 10000, "true"},
        {TJsonObject::Create(2.5), true, 2, 2.5, 25000, "2.5"},
        {TJsonObject::Create(3.5), true, 4, 3.5, 35000, "3.5"},
        {TJsonObject::Create(-2.5), true, -2, -2.5, -25000, "-2.5"},
        {TJsonObject::CreateCurrency(125000), true, 12, 12.5, 125000, "12.5"},
        {TJsonObject::CreateCurrency(135000), true, 14, 13.5, 135000, "13.5"},
        {TJsonObject::Create(int64_t{-7}), true, -7, -7, -70000, "-7"},
        {TJsonObject::Create(JsonString(u"false")), true, 0, 0, 0, "false"},
        {TJsonObject::Create(JsonString()), false, 0, 0, 0, ""},
        {TJsonObject::Create(JsonString(u"12x")), true, 0, 0, 0, "12x"},
        {TJsonObject::Create(JsonString(u"-42")), true, -42, -42, -420000, "-42"},
        {TJsonObject::Create(JsonString(u"1.5e2")), true, 0, 150, 1500000, "1.5e2"},
        {TJsonObject::Create(stObject), true, 0, 0, 0, "{}"},
        {TJsonObject::Create(stArray), true, 0, 0, 0, "[]"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.s);
        EXPECT_EQ(r.v->AsBoolean(), r.b);
        EXPECT_EQ(r.v->AsInteger(), r.i);
        EXPECT_EQ(r.v->AsDouble(), r.d);
        EXPECT_EQ(r.v->AsCurrency(), r.c);
        EXPECT_EQ(U8(r.v->AsString()), r.s);
    }
}

TEST(JsonValue, HugeAndNonFiniteNumbersConvertWithoutOverflow)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(TJsonObject::Create(1e300)->AsInteger(), INT64_MAX);
    EXPECT_EQ(TJsonObject::Create(-1e300)->AsInteger(), INT64_MIN);
    EXPECT_EQ(TJsonObject::Create(inf)->AsCurrency(), INT64_MAX);
    EXPECT_EQ(TJsonObject::Create(std::nan(""))->AsInteger(), 0);
    EXPECT_EQ(TJsonObject::Create(INT64_MAX)->AsCurrency(), INT64_MAX);
    EXPECT_EQ(TJsonObject::Create(JsonString(u"99999999999999999999"))->AsInteger(), 0);
    EXPECT_EQ(TJsonObject::CreateCurrency(INT64_MIN)->AsInteger(), INT64_MIN / 10000 - 1);
}

TEST(JsonValue, CompareNumbersExactlyAndTextsByCodeUnits)
{
    struct Row {
        IJsonObject a, b;
        TJsonCompareResult want;
    };
    const Row rows[] = {
        {TJsonObject::Create(int64_t{1}), TJsonObject::Create(1.0), cpEqu},
        {TJsonObject::Create(JsonString(u"10")), TJsonObject::Create(int64_t{9}), cpLess},
        {TJsonObject::Create(stObject), TJsonObject::Create(int64_t{1}), cpError},
        {TJsonObject::Create(int64_t{1}), TJsonObject::Create(stNull), cpError},
        {TJsonObject::Create(true), TJsonObject::CreateCurrency(10000), cpEqu},
        {TJsonObject::Create(INT64_MAX), TJsonObject::Create(INT64_MIN), cpGreat},
        {TJsonObject::Create(INT64_MIN), TJsonObject::CreateCurrency(INT64_MAX), cpLess},
        {TJsonObject::Create(INT64_MAX), TJsonObject::Create(9223372036854775808.0), cpLess},
        {TJsonObject::Create(std::numeric_limits<double>::infinity()), TJsonObject::Create(INT64_MAX), cpGreat},
        {TJsonObject::Create(std::nan("")), TJsonObject::Create(1.0), cpError},
    };
    for (size_t k = 0; k < std::size(rows); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(rows[k].a->Compare(rows[k].b), rows[k].want);
    }
    EXPECT_EQ(TJsonObject::Create(int64_t{3})->Compare(JsonString(u"3.0")), cpEqu);
}

TEST(JsonValue, SelfContainingValueLivesUntilClearedWithAll)
{
    int32_t before = JsonLiveCount();
    TJsonObject* raw;
    {
        IJsonObject o = TJsonObject::Create(stObject);
        o->AsObject()->PutO(u"self", o);
        EXPECT_EQ(o->RefCount(), 2);
        raw = o.get();
    }
    EXPECT_EQ(JsonLiveCount(), before + 1);   // kept alive by its own member
    raw->Clear(true);                         // breaks the cycle: the value goes
    EXPECT_EQ(JsonLiveCount(), before);

    {
        IJsonObject o = TJsonObject::Create(stObject);
        IJsonObject a = TJsonObject::Create(stArray);
        o->AsObject()->PutO(u"a", a);
        a->AsArray()->Add(o);
        o->Clear(true);
    }
    EXPECT_EQ(JsonLiveCount(), before);
}

TEST(JsonValue, VariantsBecomeValuesAndUnknownKindsRaise)
{
    TJsonVariant v;
    v.VType = TJsonVariant::varByte;
    v.I = 200;
    EXPECT_EQ(U8(JsonFromVariant(v)), "200");
    v.VType = TJsonVariant::varSingle;
    v.D = static_cast<double>(0.1f);
    EXPECT_EQ(U8(JsonFromVariant(v)), "0.100000001490116");
    v.VType = TJsonVariant::varNull;
    EXPECT_FALSE(JsonFromVariant(v));
    v.VType = TJsonVariant::varUInt64;
    try {
        JsonFromVariant(v);
        FAIL() << "no exception";
    } catch (const EJsonError& e) {
        EXPECT_EQ(ToUtf8(e.Message()), "Unsuported variant data type: 21");
    }
}

// ---- Member table ----

std::string Names(const IJsonObject& o)
{
    std::string r;
    TJsonObjectIter it;
    for (bool ok = JsonFindFirst(o, it); ok; ok = JsonFindNext(it)) r += U8(it.key) + ",";
    JsonFindClose(it);
    return r;
}

TEST(JsonTable, MembersAreOrderedByDescendingHashThenName)
{
    EXPECT_EQ(TJsonAvlEntry::Hash(u"a"), 0x9E370062u);
    EXPECT_EQ(TJsonAvlEntry::Hash(u"b"), 0x9E370063u);
    EXPECT_EQ(TJsonAvlEntry::Hash(u"A\u00C8"), 0x57EE220Bu);
    EXPECT_EQ(TJsonAvlEntry::Hash(u"BG"), 0x57EE220Bu);
    EXPECT_EQ(TJsonAvlEntry::Hash(u""), 0u);

    IJsonObject o = TJsonObject::Create(stObject);
    o->AsObject()->PutI(u"a", 1);
    o->AsObject()->PutI(u"b", 2);
    o->AsObject()->PutI(u"BG", 3);
    o->AsObject()->PutI(u"A\u00C8", 4);
    o->AsObject()->PutI(u"", 5);
    EXPECT_EQ(Names(o), "b,a,A\u00C8,BG,,");
    EXPECT_EQ(U8(o), "{\"b\":2,\"a\":1,\"A\\u00c8\":4,\"BG\":3,\"\":5}");

    o->AsObject()->PutS(u"a", u"x");   // replaced in place
    EXPECT_EQ(o->AsObject()->count(), 5);
    EXPECT_EQ(Names(o), "b,a,A\u00C8,BG,,");
    EXPECT_EQ(U8(o->AsObject()->GetS(u"a")), "x");
}

TEST(JsonTable, ManyMembersStayOrderedThroughInsertsAndDeletes)
{
    IJsonObject o = TJsonObject::Create(stObject);
    TJsonTableString* t = o->AsObject();
    for (int i = 0; i < 2000; ++i) t->PutI(J("k" + std::to_string((i * 7919) % 2000)), i);
    EXPECT_EQ(t->count(), 2000);
    for (int i = 0; i < 2000; i += 3) EXPECT_TRUE(t->Delete(J("k" + std::to_string(i))));
    EXPECT_FALSE(t->Delete(u"k0"));
    int n = 0;
    uint32_t lastHash = UINT32_MAX;
    JsonString lastName;
    for (TJsonAvlIterator it = t->GetEnumerator(); it.MoveNext(); ++n) {
        TJsonAvlEntry* e = it.Current();
        uint32_t h = TJsonAvlEntry::Hash(e->Name());
        ASSERT_TRUE(h < lastHash || (h == lastHash && lastName < e->Name()));
        lastHash = h;
        lastName = e->Name();
    }
    EXPECT_EQ(n, t->count());
    EXPECT_EQ(t->count(), 2000 - 667);
    EXPECT_EQ(t->GetI(u"k1"), 1 * 0 + t->GetI(u"k1"));
    EXPECT_TRUE(t->Exists(u"k1"));
    EXPECT_FALSE(t->Exists(u"k3"));
}

TEST(JsonTable, IteratorSearchFindsNeighbours)
{
    IJsonObject o = TJsonObject::Create(stObject);
    for (auto n : {u"a", u"b", u"d"}) o->AsObject()->PutB(n, true);   // order: d, b, a
    TJsonAvlIterator it(o->AsObject());
    auto at = [&it]() { return it.Current() ? U8(it.Current()->Name()) : std::string("-"); };
    struct Row {
        const char16_t* name;
        TJsonAvlSearchTypes st;
        const char* want;
    };
    const Row rows[] = {
        {u"b", stEQual, "b"},   {u"c", stEQual, "-"},   {u"c", stLess, "d"},    {u"c", stGreater, "b"},
        {u"b", stLess, "d"},    {u"b", stGreater, "a"}, {u"e", stLess, "-"},    {u"e", stGreater, "d"},
        {u"\u0060", stGreater, "-"}, {u"b", stEQual | stLess, "b"},
    };
    for (const Row& r : rows) {
        it.Search(r.name, r.st);
        EXPECT_EQ(at(), r.want) << U8(r.name) << " " << int(r.st);
    }
    it.Last();
    EXPECT_EQ(at(), "a");
    it.Prior();
    EXPECT_EQ(at(), "b");
    it.Next();
    it.Next();
    EXPECT_EQ(at(), "-");
}

TEST(JsonTable, PackRemovesEmptyMembersAndNames)
{
    IJsonObject o = JsonParse(u"{a:1,b:{c:2}}");
    o->AsObject()->PutO(u"x", nullptr);
    o->GetO(u"b")->AsObject()->PutO(u"y", nullptr);
    EXPECT_EQ(U8(o), "{\"x\":null,\"b\":{\"y\":null,\"c\":2},\"a\":1}");
    o->Pack(true);
    EXPECT_EQ(U8(o), "{\"b\":{\"c\":2},\"a\":1}");
    EXPECT_EQ(U8(o->AsObject()->GetNames()), "[\"b\",\"a\"]");
    EXPECT_EQ(U8(o->AsObject()->GetValues()), "[{\"c\":2},1]");
}

// ---- Arrays ----

TEST(JsonArray, GrowsPutsInsertsDeletesAndPacks)
{
    TJsonArray a;
    EXPECT_EQ(a.Capacity(), 32);
    for (int i = 0; i < 32; ++i) a.Add(i);
    EXPECT_EQ(a.Capacity(), 32);
    a.Insert(0, TJsonObject::Create(int64_t{-1}));
    EXPECT_EQ(a.Length(), 33);
    EXPECT_EQ(a.Capacity(), 64);
    EXPECT_EQ(a.GetI(0), -1);
    EXPECT_EQ(a.GetI(32), 31);

    TJsonArray b;
    b.PutI(100, 7);
    EXPECT_EQ(b.Length(), 101);
    EXPECT_FALSE(b.GetO(99));
    EXPECT_EQ(b.Capacity(), 101);
    EXPECT_EQ(U8(b.GetN(5)->AsJSon()), "null");

    TJsonArray c;
    c.Add(1);
    c.Add(IJsonObject());
    c.Add(2);
    c.Add(IJsonObject());
    c.Pack();
    EXPECT_EQ(c.Length(), 2);
    EXPECT_EQ(c.GetI(1), 2);
    EXPECT_EQ(c.Delete(0)->AsInteger(), 1);
    EXPECT_EQ(c.Length(), 1);
    EXPECT_FALSE(c.Delete(5));
    EXPECT_FALSE(c.Delete(-1));
    c.Insert(-1, TJsonObject::Create(true));
    EXPECT_EQ(c.Length(), 1);
}

TEST(JsonArray, IndexesOutOfRangeAreRefusedWithoutOverflow)
{
    TJsonArray a;
    EXPECT_FALSE(a.PutO(-1, TJsonObject::Create(true)));
    EXPECT_FALSE(a.PutO(INT32_MAX, TJsonObject::Create(true)));
    EXPECT_FALSE(a.PutO(TJsonArray::MaxLength, TJsonObject::Create(true)));
    a.Insert(INT32_MAX, TJsonObject::Create(true));
    EXPECT_EQ(a.Length(), 0);
    EXPECT_EQ(a.Capacity(), 32);
    EXPECT_FALSE(a.GetO(INT32_MIN));
    EXPECT_EQ(a.GetI(INT32_MAX), 0);
}

TEST(JsonEnumerator, YieldsMembersElementsOrNothing)
{
    std::string got;
    for (TJsonEnumerator e = JsonParse(u"{a:1,b:2}")->GetEnumerator(); e.MoveNext();) got += U8(e.Current()) + ";";
    for (TJsonEnumerator e = JsonParse(u"[3,4]")->GetEnumerator(); e.MoveNext();) got += U8(e.Current()) + ";";
    for (TJsonEnumerator e = JsonParse(u"5")->GetEnumerator(); e.MoveNext();) got += "!";
    EXPECT_EQ(got, "2;1;3;4;");
}

}  // namespace
