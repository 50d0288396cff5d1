// Record marshalling: typed values (records, classes, arrays, ordinals, floats, strings) to
// JSON values and back, driven by the field tables of support/rtti/type_info.h. The device
// records are logged with
//     TJsonRttiContext ctx;
//     JsonString line = ctx.MarshalToJson(record)->AsJSon(false, true);
#pragma once

#include <unordered_map>

#include "support/json/json.h"
#include "support/rtti/type_info.h"

template <>
struct TypeInfoProvider<IJsonObject> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkInterface, "IJsonObject", sizeof(IJsonObject)};
        return &info;
    }
};

// A typed value: its description and the address of its bytes.
struct TJsonTypedValue {
    const TTypeInfo* Type = nullptr;
    void* Data = nullptr;
};

class TJsonRttiContext {
public:
    using TSerialFromJson = bool (*)(TJsonRttiContext& ctx, const IJsonObject& obj, TJsonTypedValue& Value);
    using TSerialToJson = IJsonObject (*)(TJsonRttiContext& ctx, const TJsonTypedValue& value, const IJsonObject& index);

    TJsonRttiContext();
    virtual ~TJsonRttiContext() = default;
    TJsonRttiContext(const TJsonRttiContext&) = delete;
    TJsonRttiContext& operator=(const TJsonRttiContext&) = delete;

    // Fills the value at Value (of type TypeInfo) from obj; false when the JSON does not fit
    // (fields read before the first mismatch keep what was read).
    virtual bool FromJson(const TTypeInfo* TypeInfo, const IJsonObject& obj, void* Value);
    // index: an object value that shares class instances between the places that refer to them.
    virtual IJsonObject ToJson(const TJsonTypedValue& value, const IJsonObject& index);

    template <class T>
    IJsonObject MarshalToJson(const T& obj, IJsonObject index = nullptr)
    {
        if (!index) index = JsonParse(u"{}");
        return ToJson(TJsonTypedValue{TypeInfoOf<T>(), const_cast<T*>(&obj)}, index);
    }

    template <class T>
    bool UnmarshalFromJson(const IJsonObject& obj, T& value)
    {
        return FromJson(TypeInfoOf<T>(), obj, &value);
    }

    std::unordered_map<const TTypeInfo*, TSerialFromJson> SerialFromJson;
    std::unordered_map<const TTypeInfo*, TSerialToJson> SerialToJson;

private:
    bool FromJsonOf(const TTypeInfo* t, const IJsonObject& obj, void* Value);
    bool ReadOrdinal(const TTypeInfo* t, const IJsonObject& obj, void* value);
    bool ReadFields(std::span<const TFieldInfo> fields, const IJsonObject& obj, uint8_t* base, bool skipMissingType);
    IJsonObject WriteFields(std::span<const TFieldInfo> fields, const uint8_t* base, const IJsonObject& index);
};

// 8-4-4-4-12 lowercase hexadecimal digits, no braces.
JsonString GuidToText(const TGUID& g);
// Accepts the text with or without braces and with all four hyphens or none.
bool JsonParseGuid(JsonStringView s, TGUID& g);

IJsonObject BooleanToJson(TJsonRttiContext& ctx, const TJsonTypedValue& value, const IJsonObject& index);
IJsonObject DateTimeToJson(TJsonRttiContext& ctx, const TJsonTypedValue& value, const IJsonObject& index);
IJsonObject GuidToJson(TJsonRttiContext& ctx, const TJsonTypedValue& value, const IJsonObject& index);
bool BooleanFromJson(TJsonRttiContext& ctx, const IJsonObject& obj, TJsonTypedValue& Value);
bool DateTimeFromJson(TJsonRttiContext& ctx, const IJsonObject& obj, TJsonTypedValue& Value);
bool GuidFromJson(TJsonRttiContext& ctx, const IJsonObject& obj, TJsonTypedValue& Value);
