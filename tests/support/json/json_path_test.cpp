// Path access, clone, merge, text templates and validation.
#include <gtest/gtest.h>

#include "json_test_util.h"

namespace {

TEST(JsonPath, PutCreatesStepsGetReadsThem)
{
    IJsonObject o = TJsonObject::Create(stObject);
    o->PutI(u"a.b.c", 5);
    EXPECT_EQ(U8(o), "{\"a\":{\"b\":{\"c\":5}}}");
    EXPECT_EQ(o->GetI(u"a.b.c"), 5);
    EXPECT_EQ(o->GetI(u"a.x"), 0);
    EXPECT_FALSE(o->GetO(u"a.x.y"));
    EXPECT_EQ(U8(o->GetN(u"a.x")), "null");

    o->PutO(u"list", TJsonObject::Create(stArray));
    o->PutS(u"list[]", u"one");
    o->PutS(u"list[]", u"two");
    o->PutB(u"list[0]", true);
    EXPECT_EQ(U8(o->GetO(u"list")), "[true,\"two\"]");
    EXPECT_EQ(U8(o->GetS(u"list[1]")), "two");
    EXPECT_EQ(U8(o->GetS(u"list[ 1 ]")), "two");
    EXPECT_EQ(o->GetA(u"list")->Length(), 2);
    EXPECT_FALSE(o->GetA(u"a"));

    // Member names that read like words or numbers are names in a path.
    o->PutI(u"null", 1);
    o->PutI(u"true", 2);
    o->PutI(u"7", 3);
    EXPECT_EQ(o->GetI(u"null"), 1);
    EXPECT_EQ(o->GetI(u"true"), 2);
    EXPECT_EQ(o->GetI(u"7"), 3);

    EXPECT_EQ(U8(o->Delete(u"a.b")), "{\"c\":5}");
    EXPECT_EQ(U8(o->GetO(u"a")), "{}");
    EXPECT_EQ(U8(o->Delete(u"list[0]")), "true");
    EXPECT_EQ(U8(o->GetO(u"list")), "[\"two\"]");

    EXPECT_EQ(U8(o->ForcePath(u"p.q", stArray)), "[]");
    EXPECT_TRUE(o->GetO(u"p.q")->IsType(stArray));
}

TEST(JsonPath, BadStepsAndIndexesReadNothingAndPutNothing)
{
    IJsonObject o = JsonParse(u"{a:[1,2],s:'x'}");
    const std::string before = U8(o);
    struct Row {
        const char16_t* path;
        TJsonTokenizerError err;
    };
    const Row rows[] = {
        {u"a[-1]", teEvalInt},          {u"a[2147483648]", teEvalInt},  {u"a[99999999999999999999]", teEvalInt},
        {u"a['x']", teEvalInt},          {u"a[1.5]", teEvalInt},         {u"s.x", teEvalObject},
        {u"s[0]", teEvalArray},          {u"a[0", teEvalArray},          {u"s(1)", teEvalMethod},
        {u"a[0][0]", teEvalArray},
    };
    for (const Row& r : rows) {
        TJsonTokenizerError err = teSuccess;
        EXPECT_FALSE(ParseString(r.path, false, true, o, 0, nullptr, stNull, &err)) << U8(r.path);
        EXPECT_EQ(err, r.err) << U8(r.path);
        o->PutI(r.path, 9);
    }
    EXPECT_EQ(U8(o), before);
    EXPECT_EQ(o->GetI(u"a[5]"), 0);
    // A large index that fits is refused rather than allocating without bound.
    o->PutI(u"a[2000000000]", 1);
    EXPECT_EQ(o->GetA(u"a")->Length(), 2);
}

void Twice(const IJsonObject&, const IJsonObject& params, IJsonObject& result)
{
    result = TJsonObject::Create(params ? params->AsInteger() * 2 : -1);
}

void Count(const IJsonObject&, const IJsonObject& params, IJsonObject& result)
{
    result = TJsonObject::Create(int64_t{params && params->AsArray() ? params->AsArray()->Length() : 0});
}

TEST(JsonPath, MethodsAreCalledWithTheirArguments)
{
    IJsonObject o = TJsonObject::Create(stObject);
    o->PutM(u"twice", &Twice);
    o->PutM(u"count", &Count);
    EXPECT_EQ(o->call(u"twice", TJsonObject::Create(int64_t{21}))->AsInteger(), 42);
    EXPECT_EQ(o->call(u"twice", JsonString(u"4"))->AsInteger(), 8);
    EXPECT_EQ(o->GetI(u"twice(5)"), 10);
    EXPECT_EQ(o->GetI(u"count(1, 'a', [2])"), 3);
    EXPECT_EQ(o->GetM(u"twice"), &Twice);
    EXPECT_EQ(U8(o->call(u"missing")), "<nothing>");
}

TEST(JsonClone, DeepCopiesSharedPartsAndRefusesCycles)
{
    IJsonObject shared = JsonParse(u"{x:1}");
    IJsonObject o = TJsonObject::Create(stObject);
    o->AsObject()->PutO(u"a", shared);
    o->AsObject()->PutO(u"b", shared);
    o->AsObject()->PutO(u"n", nullptr);
    IJsonObject c = o->Clone();
    EXPECT_EQ(U8(c), U8(o));
    c->PutI(u"a.x", 2);
    EXPECT_EQ(c->GetI(u"b.x"), 1);
    EXPECT_EQ(o->GetI(u"a.x"), 1);
    EXPECT_FALSE(TJsonObject::Create(stNull)->Clone());

    IJsonObject cyc = TJsonObject::Create(stArray);
    cyc->AsArray()->Add(JsonParse(u"{}"));
    cyc->AsArray()->GetO(0)->AsObject()->PutO(u"back", cyc);
    EXPECT_THROW(cyc->Clone(), EJsonError);
    EXPECT_FALSE(cyc->GetProcessing());
    cyc->Clear(true);
}

TEST(JsonMerge, MergesByKindAndRefusesCycles)
{
    IJsonObject o = JsonParse(u"{\"a\":{\"y\":2}}");
    o->Merge(JsonParse(u"{\"a\":{\"x\":1}}"));
    EXPECT_EQ(U8(o), "{\"a\":{\"y\":2,\"x\":1}}");
    o->Merge(JsonString(u"{\"a\":{\"y\":'s'}, \"b\":[1]}"));
    EXPECT_EQ(U8(o), "{\"b\":[1],\"a\":{\"y\":\"s\",\"x\":1}}");

    IJsonObject s = TJsonObject::Create(JsonString(u"text"));
    s->Merge(TJsonObject::Create(int64_t{5}));
    EXPECT_EQ(U8(s), "\"text\"");
    IJsonObject arr = JsonParse(u"[1,{a:1}]");
    arr->Merge(JsonParse(u"[2,{b:2},3]"));
    EXPECT_EQ(U8(arr), "[2,{\"b\":2,\"a\":1},3]");

    // Reference merge shares; plain merge copies.
    IJsonObject src = JsonParse(u"{m:{k:1}}");
    IJsonObject byRef = TJsonObject::Create(stObject), byCopy = TJsonObject::Create(stObject);
    byRef->Merge(src, true);
    byCopy->Merge(src, false);
    src->PutI(u"m.k", 7);
    EXPECT_EQ(byRef->GetI(u"m.k"), 7);
    EXPECT_EQ(byCopy->GetI(u"m.k"), 1);

    IJsonObject cyc = JsonParse(u"{c:{}}");
    cyc->GetO(u"c")->AsObject()->PutO(u"c", cyc->GetO(u"c"));
    IJsonObject target = JsonParse(u"{c:{c:{}}}");
    EXPECT_THROW(target->Merge(cyc), EJsonError);
    cyc->Clear(true);
}

TEST(JsonFormat, FillsTemplates)
{
    IJsonObject o = JsonParse(u"{name:'world', n:{v:3}}");
    struct Row {
        const char16_t* tmpl;
        char16_t begin, end;
        const char* want;
    };
    const Row rows[] = {
        {u"Hello %name%!", u'%', u'%', "Hello world!"},
        {u"Hello %name", u'%', u'%', "Hello "},
        {u"v={n.v}, x={x}.", u'{', u'}', "v=3, x=."},
        {u"%%", u'%', u'%', ""},
    };
    for (const Row& r : rows) EXPECT_EQ(U8(o->Format(r.tmpl, r.begin, r.end)), r.want) << U8(r.tmpl);
}

struct TReport {
    std::vector<std::pair<TJsonValidateError, std::string>> items;
    static void Add(void* sender, TJsonValidateError e, const JsonString& path)
    {
        static_cast<TReport*>(sender)->items.emplace_back(e, U8(path));
    }
    std::string Text() const
    {
        std::string r;
        for (auto& [e, p] : items) r += std::to_string(e) + "@" + p + ";";
        return r;
    }
};

TEST(JsonValidate, ReportsEveryProblemWithItsPath)
{
    struct Row {
        const char16_t* rules;
        const char16_t* doc;
        bool ok;
        std::string reports;
    };
    auto at = [](TJsonValidateError e, const char* p) { return std::to_string(e) + "@" + p + ";"; };
    const JsonString idRule = u"{\"type\":\"map\",\"mapping\":{\"id\":{\"type\":\"int\",\"required\":true}}}";
    const Row rows[] = {
        {idRule.c_str(), u"{}", false, at(veFieldNotFound, ".id")},
        {idRule.c_str(), u"{\"id\":\"7\"}", false, at(veInvalidDataType, ".id")},
        {idRule.c_str(), u"{\"id\":7}", true, ""},
        {idRule.c_str(), u"{\"id\":7,\"x\":1}", false, at(veUnexpectedField, ".x")},
        {u"{type:str,length:{min:2,maxex:4}}", u"'abcd'", false, at(veInvalidLength, "")},
        {u"{type:str,length:{min:2,maxex:4}}", u"'abc'", true, ""},
        {u"{type:number,range:{min:0,max:10}}", u"10.5", false, at(veInvalidRange, "")},
        {u"{type:number,range:{minex:0}}", u"0", false, at(veInvalidRange, "")},
        {u"{type:scalar,enum:[a,b]}", u"c", false, at(veValueNotInEnum, "")},
        {u"{type:any}", u"[1]", true, ""},
        {u"{type:nothing}", u"1", false, at(veRuleMalformated, "")},
        {u"[]", u"1", false, at(veRuleMalformated, "")},
        {u"{type:seq,sequence:{type:int,unique:true}}", u"[1,2,1]", false, at(veDuplicateEntry, "[2]")},
        {u"{type:seq,sequence:{type:map,mapping:{k:{type:str,unique:true}}}}", u"[{k:a},{k:b},{k:a}]", false,
         at(veDuplicateEntry, "[2].k")},
        {u"{type:seq,sequence:{type:int},length:{max:1}}", u"[1,'x']", false,
         at(veInvalidDataType, "[1]") + at(veInvalidLength, "")},
        {u"{type:map,mapping:{a:{type:int,required:'yes'}}}", u"{a:null}", false, at(veInvalidDataType, ".a")},
    };
    for (const Row& r : rows) {
        TReport rep;
        IJsonObject doc = JsonParse(r.doc);
        ASSERT_TRUE(doc) << U8(r.doc);
        EXPECT_EQ(doc->Validate(JsonString(r.rules), JsonString(), &TReport::Add, &rep), r.ok) << U8(r.rules) << " " << U8(r.doc);
        EXPECT_EQ(rep.Text(), r.reports) << U8(r.rules) << " " << U8(r.doc);
    }
}

TEST(JsonValidate, NamedRulesInheritAndCyclicChainsEnd)
{
    IJsonObject defs = JsonParse(u"[{name:base,type:int,range:{max:5}},{name:loop1,inherit:loop2},{name:loop2,inherit:loop1}]");
    TReport rep;
    EXPECT_FALSE(TJsonObject::Create(int64_t{7})->Validate(JsonParse(u"{inherit:base}"), defs, &TReport::Add, &rep));
    EXPECT_EQ(rep.Text(), std::to_string(veInvalidRange) + "@;");
    EXPECT_TRUE(TJsonObject::Create(int64_t{4})->Validate(JsonParse(u"{inherit:base}"), defs));

    TReport loop;
    EXPECT_FALSE(TJsonObject::Create(int64_t{1})->Validate(JsonParse(u"{inherit:loop1}"), defs, &TReport::Add, &loop));
    EXPECT_FALSE(loop.items.empty());

    TReport bad;
    EXPECT_FALSE(TJsonObject::Create(int64_t{1})->Validate(JsonParse(u"{type:int}"), JsonParse(u"[1]"), &TReport::Add, &bad));
    EXPECT_EQ(bad.Text(), std::to_string(veRuleMalformated) + "@;");

    // A document that contains itself is reported, not followed for ever.
    IJsonObject self = JsonParse(u"{}");
    self->AsObject()->PutO(u"me", self);
    EXPECT_FALSE(self->Validate(JsonParse(u"{name:r,type:map,mapping:{me:{inherit:r}}}")));
    self->Clear(true);
}

}  // namespace
