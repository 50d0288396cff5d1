// Typed values to JSON and back.
#include "support/json/json_rtti.h"

#include <cstring>

#include "support/datetime/json_date.h"
#include "support/json/json_internal.h"

using namespace json_detail;

namespace {

JsonString NameOf(const char* name) { return JsonOfUtf8(name); }

// The value's bytes at the low end of a zero-filled 64-bit slot.
uint64_t Slot(const void* data, size_t size)
{
    uint64_t v = 0;
    std::memcpy(&v, data, size < sizeof v ? size : sizeof v);
    return v;
}

bool IsPlainData(TTypeKind k)
{
    return k != TTypeKind::tkString && k != TTypeKind::tkDynArray && k != TTypeKind::tkInterface;
}

// A string that holds JSON text is read again as that JSON (unless it is a string again).
IJsonObject Reparse(const IJsonObject& obj)
{
    IJsonObject v = JsonParse(obj->AsString());
    return v && !v->IsType(stString) ? v : nullptr;
}

}  // namespace

TJsonRttiContext::TJsonRttiContext()
{
    SerialToJson[TypeInfoOf<bool>()] = &BooleanToJson;
    SerialFromJson[TypeInfoOf<bool>()] = &BooleanFromJson;
    SerialToJson[TypeInfoDateTime()] = &DateTimeToJson;
    SerialFromJson[TypeInfoDateTime()] = &DateTimeFromJson;
    SerialToJson[TypeInfoOf<TGUID>()] = &GuidToJson;
    SerialFromJson[TypeInfoOf<TGUID>()] = &GuidFromJson;
}

// ---- To JSON ------------------------------------------------------------------------------------

IJsonObject TJsonRttiContext::WriteFields(std::span<const TFieldInfo> fields, const uint8_t* base, const IJsonObject& index)
{
    IJsonObject r = TJsonObject::Create(stObject);
    for (const TFieldInfo& f : fields) {
        if (!f.Type) continue;
        r->AsObject()->PutO(NameOf(f.Name), ToJson(TJsonTypedValue{f.Type, const_cast<uint8_t*>(base + f.Offset)}, index));
    }
    return r;
}

IJsonObject TJsonRttiContext::ToJson(const TJsonTypedValue& value, const IJsonObject& index)
{
    const TTypeInfo* t = value.Type;
    if (!t || !value.Data) return nullptr;
    // Without an index, instances that refer to each other would be followed for ever.
    if (!index || !index->AsObject()) return ToJson(value, TJsonObject::Create(stObject));
    auto w = SerialToJson.find(t);
    if (w != SerialToJson.end()) return w->second(*this, value, index);
    const auto* bytes = static_cast<const uint8_t*>(value.Data);
    switch (t->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
        // The low 32 bits as a signed number: narrower ordinals appear zero-extended.
        return TJsonObject::Create(int64_t{static_cast<int32_t>(static_cast<uint32_t>(Slot(bytes, t->Size)))});
    case TTypeKind::tkInt64: return TJsonObject::Create(static_cast<int64_t>(Slot(bytes, 8)));
    case TTypeKind::tkFloat:
        if (t->FloatType == TFloatType::ftSingle) {
            float f;
            std::memcpy(&f, bytes, sizeof f);
            return TJsonObject::Create(static_cast<double>(f));
        } else {
            double d;
            std::memcpy(&d, bytes, sizeof d);
            return TJsonObject::Create(d);
        }
    case TTypeKind::tkBoolean: return TJsonObject::Create(bytes[0] != 0);
    case TTypeKind::tkChar: return TJsonObject::Create(JsonString(1, static_cast<char16_t>(bytes[0])));
    case TTypeKind::tkWChar: {
        char16_t c;
        std::memcpy(&c, bytes, sizeof c);
        return TJsonObject::Create(JsonString(1, c));
    }
    case TTypeKind::tkString: return TJsonObject::Create(JsonStr(*static_cast<const String*>(value.Data)));
    case TTypeKind::tkRecord: return WriteFields(FieldsOf(t), bytes, index);
    case TTypeKind::tkArray: {
        IJsonObject r = TJsonObject::Create(stArray);
        const TTypeInfo* e = t->ElementType;
        for (size_t i = 0; i < t->ElementCount; ++i)
            r->AsArray()->Add(ToJson(TJsonTypedValue{e, const_cast<uint8_t*>(bytes + i * e->Size)}, index));
        return r;
    }
    case TTypeKind::tkDynArray: {
        IJsonObject r = TJsonObject::Create(stArray);
        const TTypeInfo* e = t->ElementType;
        size_t n = t->DynLength(value.Data);
        auto* data = static_cast<uint8_t*>(t->DynData(value.Data));
        for (size_t i = 0; i < n; ++i) r->AsArray()->Add(ToJson(TJsonTypedValue{e, data + i * e->Size}, index));
        return r;
    }
    case TTypeKind::tkClass: {
        void* instance;
        std::memcpy(&instance, bytes, sizeof instance);
        if (!instance) return nullptr;
        // Shared through the index: an instance met again (also through a cycle) is the same
        // JSON object.
        JsonString key;
        for (char c : std::to_string(reinterpret_cast<uintptr_t>(instance))) key.push_back(static_cast<char16_t>(c));
        TJsonTableString* idx = index ? index->AsObject() : nullptr;
        if (idx) {
            IJsonObject known;
            if (idx->Find(key, known)) return known;
        }
        IJsonObject r = TJsonObject::Create(stObject);
        if (idx) idx->PutO(key, r);
        for (const TFieldInfo& f : FieldsOf(t)) {
            if (!f.Type) continue;
            r->AsObject()->PutO(NameOf(f.Name), ToJson(TJsonTypedValue{f.Type, static_cast<uint8_t*>(instance) + f.Offset}, index));
        }
        return r;
    }
    case TTypeKind::tkInterface: return *static_cast<const IJsonObject*>(value.Data);
    case TTypeKind::tkPointer: return nullptr;
    }
    return nullptr;
}

// ---- From JSON --------------------------------------------------------------------------------------

bool TJsonRttiContext::ReadOrdinal(const TTypeInfo* t, const IJsonObject& obj, void* value)
{
    TJsonType k = JsonGetType(obj);
    if (k == stString) {
        IJsonObject v = Reparse(obj);
        return v && ReadOrdinal(t, v, value);
    }
    if (k != stBoolean && k != stInt) return false;
    int64_t v = obj->AsInteger();
    bool unsigned32 = t->OrdType == TOrdType::otULong;
    // The whole value is checked against the range (a value beyond 32 bits is not cut down to
    // its low bits); unsigned 32-bit values also come back from the negative form they are
    // written in.
    if (unsigned32 && v < 0 && v >= INT32_MIN) v += int64_t{1} << 32;
    // Narrow signed ordinals are written zero-extended (-1 in a SmallInt as 65535): that form
    // reads back as the value it came from.
    if (t->OrdType == TOrdType::otSByte && v > 127 && v <= 255) v -= 256;
    if (t->OrdType == TOrdType::otSWord && v > 32767 && v <= 65535) v -= 65536;
    if (v < t->MinValue || v > t->MaxValue) return false;
    auto u = static_cast<uint64_t>(v);
    std::memcpy(value, &u, t->Size);   // little-endian: the low bytes
    return true;
}

bool TJsonRttiContext::ReadFields(std::span<const TFieldInfo> fields, const IJsonObject& obj, uint8_t* base, bool skipMissingType)
{
    for (const TFieldInfo& f : fields) {
        if (!f.Type) {
            if (skipMissingType) continue;
            return false;
        }
        if (!JsonIsType(obj, stObject)) return false;
        IJsonObject member = obj->AsObject()->GetO(NameOf(f.Name));
        if (!FromJson(f.Type, member, base + f.Offset)) return false;
    }
    return true;
}

bool TJsonRttiContext::FromJson(const TTypeInfo* t, const IJsonObject& obj, void* Value)
{
    if (!t || !Value) return false;
    // A document that contains itself cannot fill a finite value.
    if (obj && (obj->AsObject() || obj->AsArray())) {
        if (obj->GetProcessing()) return false;
        TProcessingGuard guard(obj.get());
        return FromJsonOf(t, obj, Value);
    }
    return FromJsonOf(t, obj, Value);
}

bool TJsonRttiContext::FromJsonOf(const TTypeInfo* t, const IJsonObject& obj, void* Value)
{
    auto r = SerialFromJson.find(t);
    if (r != SerialFromJson.end()) {
        if (IsPlainData(t->Kind)) std::memset(Value, 0, t->Size);
        TJsonTypedValue v{t, Value};
        return r->second(*this, obj, v);
    }
    TJsonType k = JsonGetType(obj);
    switch (t->Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration: return ReadOrdinal(t, obj, Value);
    case TTypeKind::tkInt64: {
        int64_t v;
        if (k == stInt) v = obj->AsInteger();
        else if (k != stString || !TextToInt64(obj->AsString(), v)) return false;
        std::memcpy(Value, &v, 8);
        return true;
    }
    case TTypeKind::tkFloat: {
        if (k == stString) {
            IJsonObject v = Reparse(obj);
            return v && FromJson(t, v, Value);
        }
        if (k != stDouble && k != stCurrency && k != stInt) return false;
        if (t->FloatType == TFloatType::ftSingle) {
            auto f = static_cast<float>(obj->AsDouble());
            std::memcpy(Value, &f, sizeof f);
        } else {
            double d = obj->AsDouble();
            std::memcpy(Value, &d, sizeof d);
        }
        return true;
    }
    case TTypeKind::tkBoolean: {
        // Without the registered reader: as an ordinal 0..1.
        return ReadOrdinal(t, obj, Value);
    }
    case TTypeKind::tkChar:
    case TTypeKind::tkWChar: {
        if (k != stString) return false;
        JsonString s = obj->AsString();
        if (s.size() != 1) return false;
        if (t->Kind == TTypeKind::tkChar) {
            if (s[0] > 0xFF) return false;
            *static_cast<char*>(Value) = static_cast<char>(s[0]);
        } else {
            std::memcpy(Value, &s[0], sizeof(char16_t));
        }
        return true;
    }
    case TTypeKind::tkString:
        if (k == stObject || k == stArray) return false;
        *static_cast<String*>(Value) = k == stNull ? String() : StrOfJson(obj->AsString());
        return true;
    case TTypeKind::tkRecord: return ReadFields(FieldsOf(t), obj, static_cast<uint8_t*>(Value), false);
    case TTypeKind::tkClass: {
        void*& instance = *static_cast<void**>(Value);
        if (k == stNull) {
            instance = nullptr;
            return true;
        }
        if (k != stObject) {
            instance = nullptr;
            return false;
        }
        if (!instance) instance = t->NewInstance();
        return ReadFields(FieldsOf(t), obj, static_cast<uint8_t*>(instance), true);
    }
    case TTypeKind::tkArray: {
        if (k != stArray || static_cast<size_t>(obj->AsArray()->Length()) != t->ElementCount) return false;
        const TTypeInfo* e = t->ElementType;
        for (size_t i = 0; i < t->ElementCount; ++i)
            if (!FromJson(e, obj->AsArray()->GetO(static_cast<int32_t>(i)), static_cast<uint8_t*>(Value) + i * e->Size))
                return false;
        return true;
    }
    case TTypeKind::tkDynArray: {
        const TTypeInfo* e = t->ElementType;
        if (k == stNull) {
            t->DynResize(Value, 0);
            return true;
        }
        if (k != stArray) {
            t->DynResize(Value, 1);
            if (FromJson(e, obj, t->DynData(Value))) return true;
            t->DynResize(Value, 0);
            return false;
        }
        TJsonArray* a = obj->AsArray();
        t->DynResize(Value, 0);
        t->DynResize(Value, static_cast<size_t>(a->Length()));
        auto* data = static_cast<uint8_t*>(t->DynData(Value));
        for (int32_t i = 0; i < a->Length(); ++i) {
            if (!FromJson(e, a->GetO(i), data + static_cast<size_t>(i) * e->Size)) {
                t->DynResize(Value, 0);
                return false;
            }
        }
        return true;
    }
    case TTypeKind::tkInterface:
        *static_cast<IJsonObject*>(Value) = obj ? obj : TJsonObject::Create(stNull);
        return true;
    case TTypeKind::tkPointer: return false;
    }
    return false;
}

// ---- Registered readers and writers ----------------------------------------------------------------

IJsonObject BooleanToJson(TJsonRttiContext&, const TJsonTypedValue& value, const IJsonObject&)
{
    return TJsonObject::Create(*static_cast<const uint8_t*>(value.Data) != 0);
}

IJsonObject DateTimeToJson(TJsonRttiContext&, const TJsonTypedValue& value, const IJsonObject&)
{
    double d;
    std::memcpy(&d, value.Data, sizeof d);
    return TJsonObject::Create(DateTimeToEpochMillis(d));
}

IJsonObject GuidToJson(TJsonRttiContext&, const TJsonTypedValue& value, const IJsonObject&)
{
    TGUID g;
    std::memcpy(&g, value.Data, sizeof g);
    return TJsonObject::Create(GuidToText(g));
}

bool BooleanFromJson(TJsonRttiContext& ctx, const IJsonObject& obj, TJsonTypedValue& Value)
{
    auto* b = static_cast<uint8_t*>(Value.Data);
    switch (JsonGetType(obj)) {
    case stBoolean: *b = obj->AsBoolean() ? 1 : 0; return true;
    case stInt: *b = obj->AsInteger() != 0 ? 1 : 0; return true;
    case stString: {
        IJsonObject v = JsonParse(obj->AsString());
        if (!v || v->IsType(stString)) return false;
        return BooleanFromJson(ctx, v, Value);
    }
    default: return false;
    }
}

bool DateTimeFromJson(TJsonRttiContext&, const IJsonObject& obj, TJsonTypedValue& Value)
{
    double d;
    switch (JsonGetType(obj)) {
    case stInt: d = EpochMillisToDateTime(obj->AsInteger()); break;
    case stString: {
        int64_t ms;
        JsonString s = obj->AsString();
        if (ParseIso8601ToMillis(s, ms)) d = EpochMillisToDateTime(ms);
        else if (!TryStrToDateTime(StrOfJson(s), d)) return false;
        break;
    }
    default: return false;
    }
    std::memcpy(Value.Data, &d, sizeof d);
    return true;
}

bool GuidFromJson(TJsonRttiContext&, const IJsonObject& obj, TJsonTypedValue& Value)
{
    TGUID g{};
    switch (JsonGetType(obj)) {
    case stNull: break;
    case stString:
        if (!JsonParseGuid(obj->AsString(), g)) return false;
        break;
    default: return false;
    }
    std::memcpy(Value.Data, &g, sizeof g);
    return true;
}

JsonString GuidToText(const TGUID& g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", g.D1, g.D2, g.D3, g.D4[0], g.D4[1],
                  g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
    return JsonString(buf, buf + std::strlen(buf));
}

bool JsonParseGuid(JsonStringView s, TGUID& g)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    s = s.substr(b, e - b);
    bool braces = !s.empty() && s.front() == u'{';
    if (braces) {
        if (s.size() < 2 || s.back() != u'}') return false;
        s = s.substr(1, s.size() - 2);
    }
    bool hyphens = s.size() > 8 && s[8] == u'-';
    if (s.size() != (hyphens ? 36u : 32u)) return false;
    uint8_t digits[32];
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (hyphens && (i == 8 || i == 13 || i == 18 || i == 23)) {
            if (s[i] != u'-') return false;
            continue;
        }
        char16_t c = s[i];
        int v = (c >= u'0' && c <= u'9') ? c - u'0' : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
        if (v < 0) return false;
        digits[n++] = static_cast<uint8_t>(v);
    }
    auto num = [&](size_t from, size_t count) {
        uint32_t v = 0;
        for (size_t i = 0; i < count; ++i) v = v * 16 + digits[from + i];
        return v;
    };
    g.D1 = num(0, 8);
    g.D2 = static_cast<uint16_t>(num(8, 4));
    g.D3 = static_cast<uint16_t>(num(12, 4));
    for (int i = 0; i < 8; ++i) g.D4[i] = static_cast<uint8_t>(num(16 + 2 * i, 2));
    return true;
}
