// Document operations on top of the parser's path evaluation: path access, clone, merge,
// text templates and validation against a rules document.
#include <map>
#include <set>

#include "support/json/json_internal.h"

using namespace json_detail;

// ---- Path access ------------------------------------------------------------------------------

static constexpr TJsonFindOptions kPutOptions = foCreatePath | foPutValue;

IJsonObject TJsonObject::GetO(const JsonString& path) { return ParseString(path, false, true, IJsonObject(this)); }

bool TJsonObject::GetB(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsBoolean() : false;
}
int64_t TJsonObject::GetI(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsInteger() : 0;
}
double TJsonObject::GetD(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsDouble() : 0;
}
TJsonCurrency TJsonObject::GetC(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsCurrency() : 0;
}
JsonString TJsonObject::GetS(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsString() : JsonString();
}
TJsonArray* TJsonObject::GetA(const JsonString& path)
{
    // The array stays alive through its owner: the value reached by the path is held by
    // this document.
    auto v = GetO(path);
    return v ? v->AsArray() : nullptr;
}
IJsonObject TJsonObject::GetN(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v : Create(stNull);
}
TJsonMethod TJsonObject::GetM(const JsonString& path)
{
    auto v = GetO(path);
    return v ? v->AsMethod() : nullptr;
}

void TJsonObject::PutO(const JsonString& path, const IJsonObject& value)
{
    ParseString(path, true, false, IJsonObject(this), kPutOptions, value);
}
void TJsonObject::PutB(const JsonString& path, bool value) { PutO(path, Create(value)); }
void TJsonObject::PutI(const JsonString& path, int64_t value) { PutO(path, Create(value)); }
void TJsonObject::PutD(const JsonString& path, double value) { PutO(path, Create(value)); }
void TJsonObject::PutC(const JsonString& path, TJsonCurrency value) { PutO(path, CreateCurrency(value)); }
void TJsonObject::PutS(const JsonString& path, const JsonString& value) { PutO(path, Create(value)); }
void TJsonObject::PutN(const JsonString& path, const IJsonObject& value)
{
    ParseString(path, false, true, IJsonObject(this), kPutOptions, value ? value : Create(stNull));
}
void TJsonObject::PutM(const JsonString& path, TJsonMethod value)
{
    ParseString(path, false, true, IJsonObject(this), kPutOptions, Create(value));
}

IJsonObject TJsonObject::Delete(const JsonString& path) { return ParseString(path, false, true, IJsonObject(this), foDelete); }

IJsonObject TJsonObject::ForcePath(const JsonString& path, TJsonType dataType)
{
    return ParseString(path, false, true, IJsonObject(this), foCreatePath, nullptr, dataType);
}

IJsonObject TJsonObject::call(const JsonString& path, const IJsonObject& param)
{
    return ParseString(path, false, true, IJsonObject(this), foCallMethod, param);
}

IJsonObject TJsonObject::call(const JsonString& path, const JsonString& param) { return call(path, JsonParse(param)); }

// ---- Clone and merge ---------------------------------------------------------------------------

static const wchar_t kCycle[] = L"The JSON value contains itself";

IJsonObject TJsonObject::Clone()
{
    if (FProcessing) throw EJsonError(kCycle);
    TProcessingGuard guard(this);
    switch (FDataType) {
    case stNull: return nullptr;
    case stBoolean: return Create(FO.b);
    case stDouble: return Create(FO.d);
    case stCurrency: return CreateCurrency(FO.c);
    case stInt: return Create(FO.i);
    case stString: return Create(FOString);
    case stMethod: return Create(FO.m);
    case stObject: {
        IJsonObject r = Create(stObject);
        for (TJsonAvlIterator it(FO.o); it.MoveNext();) {
            TJsonAvlEntry* e = it.GetIter();
            IJsonObject v = e->Value();
            r->FO.o->PutO(e->Name(), v ? v->Clone() : nullptr);
        }
        return r;
    }
    case stArray: {
        IJsonObject r = Create(stArray);
        for (int32_t i = 0; i < FO.a->Length(); ++i) {
            IJsonObject v = FO.a->GetO(i);
            r->FO.a->PutO(i, v ? v->Clone() : nullptr);
        }
        return r;
    }
    }
    return nullptr;
}

void TJsonObject::Merge(const IJsonObject& obj, bool reference)
{
    if (JsonGetType(obj) != FDataType || !obj) return;
    // Guarding the source is enough: the merge only descends where the source descends.
    if (obj->FProcessing) throw EJsonError(kCycle);
    TProcessingGuard guard(obj.get());
    auto take = [reference](const IJsonObject& v) { return reference || !v ? v : v->Clone(); };
    switch (FDataType) {
    case stBoolean: FO.b = obj->AsBoolean(); break;
    case stDouble: FO.d = obj->AsDouble(); break;
    case stCurrency: FO.c = obj->AsCurrency(); break;
    case stInt: FO.i = obj->AsInteger(); break;
    case stString: FOString = obj->AsString(); break;
    case stMethod: FO.m = obj->AsMethod(); break;
    case stObject: {
        std::vector<std::pair<JsonString, IJsonObject>> members;
        for (TJsonAvlIterator it(obj->FO.o); it.MoveNext();) members.emplace_back(it.GetIter()->Name(), it.GetIter()->Value());
        for (auto& [name, v] : members) {
            IJsonObject mine = FO.o->GetO(name);
            if (mine && v && mine->FDataType == v->FDataType) mine->Merge(v, false);
            else FO.o->PutO(name, take(v));
        }
        break;
    }
    case stArray: {
        TJsonArray* src = obj->FO.a;
        for (int32_t i = 0; i < src->Length(); ++i) {
            IJsonObject v = src->GetO(i);
            IJsonObject mine = FO.a->GetO(i);
            if (mine && v && mine->FDataType == v->FDataType) mine->Merge(v, false);
            else FO.a->PutO(i, take(v));
        }
        break;
    }
    default: break;
    }
}

void TJsonObject::Merge(const JsonString& str) { Merge(JsonParse(str), true); }

// ---- Format -----------------------------------------------------------------------------------------

JsonString TJsonObject::Format(const JsonString& str, char16_t BeginSep, char16_t EndSep)
{
    JsonString r;
    size_t i = 0, n = str.size();
    while (i < n) {
        if (str[i] == BeginSep) {
            size_t j = str.find(EndSep, i + 1);
            if (j == JsonString::npos) return r;
            r += GetS(str.substr(i + 1, j - i - 1));
            i = j + 1;
        } else {
            r.push_back(str[i++]);
        }
    }
    return r;
}

// ---- Validation ---------------------------------------------------------------------------------------

namespace {

enum TRuleType { rtNone, rtStr, rtInt, rtFloat, rtNumber, rtText, rtBool, rtMap, rtSeq, rtScalar, rtAny };

TRuleType RuleTypeOf(const JsonString& s)
{
    static const std::map<JsonString, TRuleType> kTypes = {
        {u"str", rtStr}, {u"int", rtInt}, {u"float", rtFloat}, {u"number", rtNumber}, {u"text", rtText},
        {u"bool", rtBool}, {u"map", rtMap}, {u"seq", rtSeq}, {u"scalar", rtScalar}, {u"any", rtAny}};
    auto it = kTypes.find(s);
    return it == kTypes.end() ? rtNone : it->second;
}

JsonString IntText(int64_t i)
{
    std::string d = std::to_string(i);
    return JsonString(d.begin(), d.end());
}

class TValidator {
public:
    TValidator(TJsonOnValidateError cb, void* sender) : FCallback(cb), FSender(sender) {}

    void Report(TJsonValidateError e, const JsonString& path)
    {
        if (FCallback) FCallback(FSender, e, path);
    }

    void Register(const IJsonObject& rule)
    {
        if (!rule || !rule->AsObject() || rule->GetProcessing()) return;
        TProcessingGuard guard(rule.get());
        TJsonTableString* t = rule->AsObject();
        IJsonObject name = t->GetO(u"name");
        if (name && name->IsType(stString)) FNames[name->AsString()] = rule;
        JsonString type = t->GetS(u"type");
        if (type == u"map") {
            IJsonObject mapping = t->GetO(u"mapping");
            if (mapping && mapping->AsObject())
                for (TJsonAvlIterator it(mapping->AsObject()); it.MoveNext();) Register(it.GetIter()->Value());
        } else if (type == u"seq") {
            Register(t->GetO(u"sequence"));
        }
    }

    // The rule and the rules it inherits from, nearest first. A chain that comes back to a
    // rule already seen is reported once and cut there.
    std::vector<TJsonTableString*> Chain(const IJsonObject& rule)
    {
        std::vector<TJsonTableString*> chain;
        std::set<TJsonTableString*> seen;
        IJsonObject r = rule;
        while (r && r->AsObject()) {
            TJsonTableString* t = r->AsObject();
            if (!seen.insert(t).second) {
                Report(veRuleMalformated, u"inherit");
                break;
            }
            chain.push_back(t);
            IJsonObject inherit = t->GetO(u"inherit");
            if (!inherit || !inherit->IsType(stString)) break;
            auto it = FNames.find(inherit->AsString());
            if (it == FNames.end()) break;
            r = it->second;
        }
        return chain;
    }

    IJsonObject Member(const IJsonObject& rule, JsonStringView name)
    {
        for (TJsonTableString* t : Chain(rule)) {
            IJsonObject v;
            if (t->Find(name, v) && v) return v;
        }
        return nullptr;
    }

    bool Flag(const IJsonObject& rule, const char16_t* name)
    {
        IJsonObject v = Member(rule, name);
        if (!v) return false;
        if (!v->IsType(stBoolean)) {
            Report(veRuleMalformated, name);
            return false;
        }
        return v->AsBoolean();
    }

    IJsonObject MappingRule(const IJsonObject& rule, JsonStringView name)
    {
        for (TJsonTableString* t : Chain(rule)) {
            IJsonObject m = t->GetO(u"mapping");
            IJsonObject v;
            if (m && m->AsObject() && m->AsObject()->Find(name, v)) return v;
        }
        return nullptr;
    }

    std::vector<std::pair<JsonString, IJsonObject>> MappingEntries(const IJsonObject& rule)
    {
        std::vector<std::pair<JsonString, IJsonObject>> r;
        std::set<JsonString> names;
        for (TJsonTableString* t : Chain(rule)) {
            IJsonObject m = t->GetO(u"mapping");
            if (!m || !m->AsObject()) continue;
            for (TJsonAvlIterator it(m->AsObject()); it.MoveNext();)
                if (names.insert(it.GetIter()->Name()).second) r.emplace_back(it.GetIter()->Name(), it.GetIter()->Value());
        }
        return r;
    }

    // A "length" or "range" rule: an object of min, max, minex and maxex bounds. order(bound)
    // says where the bound stands against the value; cpError breaks no bound.
    template <class Order>
    bool Bounds(const IJsonObject& rule, const char16_t* name, TJsonValidateError error, const JsonString& path, Order order)
    {
        IJsonObject m = Member(rule, name);
        if (!m) return true;
        TJsonTableString* t = m->AsObject();
        if (!t) {
            Report(veRuleMalformated, JsonString());
            return false;
        }
        bool ok = true;
        auto check = [&](const char16_t* key, TJsonCompareResult broken1, TJsonCompareResult broken2) {
            IJsonObject b = t->GetO(key);
            if (!b) return;
            TJsonCompareResult c = order(b);
            if (c == broken1 || c == broken2) {
                Report(error, path);
                ok = false;
            }
        };
        check(u"min", cpGreat, cpGreat);
        check(u"max", cpLess, cpLess);
        check(u"minex", cpEqu, cpGreat);
        check(u"maxex", cpEqu, cpLess);
        return ok;
    }

    bool Length(const IJsonObject& rule, int64_t len, const JsonString& path)
    {
        return Bounds(rule, u"length", veInvalidLength, path, [len](const IJsonObject& b) {
            int64_t v = b->AsInteger();
            return v < len ? cpLess : v == len ? cpEqu : cpGreat;
        });
    }

    bool Range(const IJsonObject& rule, const IJsonObject& value, const JsonString& path)
    {
        return Bounds(rule, u"range", veInvalidRange, path, [&value](const IJsonObject& b) { return b->Compare(value); });
    }

    bool Enum(const IJsonObject& rule, const IJsonObject& value, const JsonString& path)
    {
        IJsonObject e = Member(rule, u"enum");
        if (!e) return true;
        TJsonArray* a = e->AsArray();
        if (!a) {
            Report(veRuleMalformated, JsonString());
            return false;
        }
        JsonString s = value->AsString();
        for (int32_t i = 0; i < a->Length(); ++i)
            if (a->GetS(i) == s) return true;
        Report(veValueNotInEnum, path);
        return false;
    }

    bool Check(const IJsonObject& value, const IJsonObject& rule, const JsonString& path)
    {
        IJsonObject typeName = Member(rule, u"type");
        TRuleType type = typeName ? RuleTypeOf(typeName->AsString()) : rtNone;
        if (type == rtNone) {
            Report(veRuleMalformated, path);
            return false;
        }
        if (!value) {
            if (Flag(rule, u"required")) {
                Report(veFieldIsRequired, path);
                return false;
            }
            return true;
        }
        if (value->GetProcessing()) {   // the value contains itself
            Report(veRuleMalformated, path);
            return false;
        }
        TProcessingGuard guard(value.get());
        TJsonType k = value->DataType();
        bool scalar = k == stBoolean || k == stDouble || k == stCurrency || k == stInt || k == stString;
        auto bad = [&] {
            Report(veInvalidDataType, path);
            return false;
        };
        bool ok = true;
        switch (type) {
        case rtStr:
            if (k != stString) return bad();
            ok = Length(rule, static_cast<int64_t>(value->AsString().size()), path) && Range(rule, value, path);
            break;
        case rtInt:
            if (k != stInt) return bad();
            ok = Range(rule, value, path);
            break;
        case rtFloat:
            if (k != stDouble && k != stCurrency) return bad();
            ok = Range(rule, value, path);
            break;
        case rtNumber:
            if (k != stDouble && k != stCurrency && k != stInt) return bad();
            ok = Range(rule, value, path);
            break;
        case rtText:
            if (k != stDouble && k != stCurrency && k != stInt && k != stString) return bad();
            ok = Length(rule, static_cast<int64_t>(value->AsString().size()), path) && Range(rule, value, path);
            break;
        case rtBool:
            if (k != stBoolean) return bad();
            ok = Range(rule, value, path);
            break;
        case rtScalar:
            if (!scalar) return bad();
            ok = Length(rule, static_cast<int64_t>(value->AsString().size()), path) && Range(rule, value, path);
            break;
        case rtAny: break;
        case rtMap: ok = CheckMap(value, rule, path); break;
        case rtSeq: ok = CheckSeq(value, rule, path); break;
        default: break;
        }
        return ok && Enum(rule, value, path);
    }

    bool CheckMap(const IJsonObject& value, const IJsonObject& rule, const JsonString& path)
    {
        if (value->IsType(stNull)) return true;
        TJsonTableString* t = value->AsObject();
        if (!t) {
            Report(veRuleMalformated, path);
            return false;
        }
        bool ok = true;
        for (TJsonAvlIterator it(t); it.MoveNext();) {
            JsonString sub = path + u"." + it.GetIter()->Name();
            IJsonObject mr = MappingRule(rule, it.GetIter()->Name());
            if (!mr || !mr->AsObject()) {
                Report(veUnexpectedField, sub);
                ok = false;
            } else if (!Check(it.GetIter()->Value(), mr, sub)) {
                ok = false;
            }
        }
        for (auto& [name, mr] : MappingEntries(rule)) {
            if (!t->Exists(name)) {
                Report(veFieldNotFound, path + u"." + name);
                ok = false;
            }
        }
        return ok;
    }

    bool CheckSeq(const IJsonObject& value, const IJsonObject& rule, const JsonString& path)
    {
        TJsonArray* a = value->AsArray();
        if (!a) {
            Report(veRuleMalformated, path);
            return false;
        }
        IJsonObject seq = Member(rule, u"sequence");
        if (!seq || !seq->AsObject()) {
            Report(veRuleMalformated, path);
            return false;
        }
        bool ok = true;
        auto at = [&](int32_t i) { return path + u"[" + IntText(i) + u"]"; };
        for (int32_t i = 0; i < a->Length(); ++i)
            if (!Check(a->GetO(i), seq, at(i))) ok = false;
        if (Flag(seq, u"unique")) {
            std::set<JsonString> seen;
            for (int32_t i = 0; i < a->Length(); ++i) {
                IJsonObject v = a->GetO(i);
                JsonString s = v ? v->AsString() : JsonString();
                if (s.empty()) continue;
                if (!seen.insert(s).second) {
                    Report(veDuplicateEntry, at(i));
                    ok = false;
                }
            }
        }
        IJsonObject seqType = Member(seq, u"type");
        if (seqType && seqType->AsString() == u"map") {
            for (auto& [name, mr] : MappingEntries(seq)) {
                if (!mr || !mr->AsObject() || !Flag(mr, u"unique")) continue;
                std::set<JsonString> seen;
                for (int32_t i = 0; i < a->Length(); ++i) {
                    IJsonObject v = a->GetO(i);
                    if (!v || !v->AsObject()) continue;
                    IJsonObject m = v->AsObject()->GetO(name);
                    if (!m) continue;
                    JsonString s = m->AsString();
                    if (s.empty()) continue;
                    if (!seen.insert(s).second) {
                        Report(veDuplicateEntry, at(i) + u"." + name);
                        ok = false;
                    }
                }
            }
        }
        return Length(rule, a->Length(), path) && ok;
    }

private:
    TJsonOnValidateError FCallback;
    void* FSender;
    std::map<JsonString, IJsonObject> FNames;
};

}  // namespace

bool TJsonObject::Validate(const IJsonObject& rules, const IJsonObject& defs, TJsonOnValidateError callback, void* sender)
{
    TValidator v(callback, sender);
    if (defs && defs->AsArray()) {
        TJsonArray* a = defs->AsArray();
        for (int32_t i = 0; i < a->Length(); ++i) {
            IJsonObject d = a->GetO(i);
            if (!d || !d->AsObject()) {
                v.Report(veRuleMalformated, JsonString());
                return false;
            }
            v.Register(d);
        }
    }
    v.Register(rules);
    if (!rules || !rules->AsObject()) {
        v.Report(veRuleMalformated, JsonString());
        return false;
    }
    return v.Check(IJsonObject(this), rules, JsonString());
}

bool TJsonObject::Validate(const JsonString& rules, const JsonString& defs, TJsonOnValidateError callback, void* sender)
{
    return Validate(JsonParse(rules), JsonParse(defs), callback, sender);
}
