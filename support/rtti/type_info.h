// Run-time descriptions of plain record types: each field's declared name, offset and type.
// C++ keeps no such information, so a record that is logged or marshalled declares its
// fields once, beside its definition, with the macros at the end of this file. The device
// records' unpacking and their JSON log both read these tables. No windows.h here.
//
//   #pragma pack(push, 1)
//   struct TPWMReport { uint8_t Mode; uint16_t Frequency; uint16_t Period; };
//   #pragma pack(pop)
//   QW_TYPE_INFO_RECORD(TPWMReport,
//       QW_FIELD(TPWMReport, Mode),
//       QW_FIELD(TPWMReport, Frequency),
//       QW_FIELD(TPWMReport, Period));
//
//   const TTypeInfo* info = TypeInfoOf<TPWMReport>();   // info->fields[1].name == "Frequency"
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

enum class TTypeKind {
    tkInteger,       // ordinal of 1, 2 or 4 bytes (OrdType tells signedness and width)
    tkEnumeration,   // C++ enum of 1, 2 or 4 bytes (range in MinValue..MaxValue)
    tkInt64,         // 64-bit integer, signed or unsigned
    tkFloat,         // FloatType tells single or double
    tkBoolean,       // bool, stored as one byte
    tkChar,          // one-byte character
    tkWChar,         // UTF-16 code unit
    tkString,        // std::wstring
    tkRecord,        // Fields
    tkArray,         // static array: ElementType x ElementCount
    tkPointer,       // a plain pointer (no description of what it points to)
    tkClass,         // pointer to an instance of a class declared with QW_TYPE_INFO_CLASS
    tkDynArray,      // std::vector<ElementType>, reached through the Dyn* functions
    tkInterface,     // a counted reference (the JSON library's IJsonObject)
};

enum class TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum class TFloatType { ftSingle, ftDouble };

struct TTypeInfo;

struct TFieldInfo {
    const char* Name;          // as declared, case kept
    size_t Offset;             // bytes from the start of the record
    const TTypeInfo* Type;
};

struct TTypeInfo {
    TTypeKind Kind;
    const char* Name;
    size_t Size;                              // bytes
    TOrdType OrdType = TOrdType::otSLong;     // tkInteger, tkEnumeration
    bool Unsigned = false;                    // tkInt64
    int64_t MinValue = 0, MaxValue = 0;       // tkInteger, tkEnumeration, tkInt64
    TFloatType FloatType = TFloatType::ftDouble;
    std::span<const TFieldInfo> Fields{};     // tkRecord, in declaration order
    const TTypeInfo* ElementType = nullptr;   // tkArray, tkDynArray
    size_t ElementCount = 0;                  // tkArray
    // tkClass: the fields are built on first use, so that a class may refer to itself.
    std::span<const TFieldInfo> (*LazyFields)() = nullptr;
    void* (*NewInstance)() = nullptr;         // tkClass: a default-constructed instance
    // tkDynArray: length, element storage and resizing of the vector at the given address.
    size_t (*DynLength)(const void*) = nullptr;
    void* (*DynData)(void*) = nullptr;
    void (*DynResize)(void*, size_t) = nullptr;
};

// The fields of a record or class, in declaration order.
inline std::span<const TFieldInfo> FieldsOf(const TTypeInfo* info)
{
    return info->LazyFields ? info->LazyFields() : info->Fields;
}

// The description of T. Built-in types are known; records declare theirs with
// QW_TYPE_INFO_RECORD; enums with QW_TYPE_INFO_ENUM.
template <class T, class = void>
struct TypeInfoProvider;

template <class T>
const TTypeInfo* TypeInfoOf()
{
    return TypeInfoProvider<std::remove_cv_t<T>>::Get();
}

// ---- Built-in types ------------------------------------------------------------------------

namespace type_info_detail {

template <class T>
constexpr TOrdType OrdTypeOf()
{
    if constexpr (sizeof(T) == 1) return std::is_signed_v<T> ? TOrdType::otSByte : TOrdType::otUByte;
    else if constexpr (sizeof(T) == 2) return std::is_signed_v<T> ? TOrdType::otSWord : TOrdType::otUWord;
    else return std::is_signed_v<T> ? TOrdType::otSLong : TOrdType::otULong;
}

}  // namespace type_info_detail

template <class T>
struct TypeInfoProvider<T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
                                            !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char16_t> && (sizeof(T) <= 4)>> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkInteger, "Integer", sizeof(T), type_info_detail::OrdTypeOf<T>(), false,
                                    static_cast<int64_t>(std::numeric_limits<T>::min()),
                                    static_cast<int64_t>(std::numeric_limits<T>::max())};
        return &info;
    }
};

template <class T>
struct TypeInfoProvider<T, std::enable_if_t<std::is_integral_v<T> && (sizeof(T) == 8)>> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkInt64, std::is_signed_v<T> ? "Int64" : "UInt64", 8, TOrdType::otSLong,
                                    !std::is_signed_v<T>, std::is_signed_v<T> ? INT64_MIN : 0, INT64_MAX};
        return &info;
    }
};

template <>
struct TypeInfoProvider<bool> {
    static const TTypeInfo* Get()
    {
        static_assert(sizeof(bool) == 1, "Booleans are one byte in device records");
        static const TTypeInfo info{TTypeKind::tkBoolean, "Boolean", 1, TOrdType::otUByte, false, 0, 1};
        return &info;
    }
};

template <>
struct TypeInfoProvider<char> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkChar, "AnsiChar", 1, TOrdType::otUByte, false, 0, 255};
        return &info;
    }
};

template <>
struct TypeInfoProvider<char16_t> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkWChar, "WideChar", 2, TOrdType::otUWord, false, 0, 65535};
        return &info;
    }
};

template <>
struct TypeInfoProvider<float> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkFloat, "Single", 4, TOrdType::otSLong, false, 0, 0, TFloatType::ftSingle};
        return &info;
    }
};

template <>
struct TypeInfoProvider<double> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkFloat, "Double", 8, TOrdType::otSLong, false, 0, 0, TFloatType::ftDouble};
        return &info;
    }
};

template <>
struct TypeInfoProvider<std::wstring> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkString, "string", sizeof(std::wstring)};
        return &info;
    }
};

template <class T, size_t N>
struct TypeInfoProvider<T[N]> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkArray, "array", sizeof(T) * N, TOrdType::otSLong, false, 0,
                                    static_cast<int64_t>(N) - 1, TFloatType::ftDouble, {}, TypeInfoOf<T>(), N};
        return &info;
    }
};

// Plain pointers carry no description of their target.
template <class T>
struct TypeInfoProvider<T*, void> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{TTypeKind::tkPointer, "Pointer", sizeof(void*)};
        return &info;
    }
};

template <class T>
struct TypeInfoProvider<std::vector<T>, void> {
    static const TTypeInfo* Get()
    {
        static const TTypeInfo info{
            TTypeKind::tkDynArray, "dynamic array", sizeof(std::vector<T>), TOrdType::otSLong, false, 0, 0,
            TFloatType::ftDouble, {}, TypeInfoOf<T>(), 0, nullptr, nullptr,
            [](const void* v) { return static_cast<const std::vector<T>*>(v)->size(); },
            [](void* v) -> void* { return static_cast<std::vector<T>*>(v)->data(); },
            [](void* v, size_t n) { static_cast<std::vector<T>*>(v)->resize(n); }};
        return &info;
    }
};

// A date-time (days since 1899-12-30 as a double) declared as such with QW_FIELD_AS, so that
// it is told apart from a plain double.
inline const TTypeInfo* TypeInfoDateTime()
{
    static const TTypeInfo info{TTypeKind::tkFloat, "TDateTime", sizeof(double), TOrdType::otSLong, false, 0, 0,
                                TFloatType::ftDouble};
    return &info;
}

// A GUID in the platform's layout.
struct TGUID {
    uint32_t D1;
    uint16_t D2;
    uint16_t D3;
    uint8_t D4[8];
};

// ---- Declaring records and enums -----------------------------------------------------------

// One field of record R: its declared name, offset and type.
#define QW_FIELD(R, member) \
    TFieldInfo { #member, offsetof(R, member), TypeInfoOf<decltype(R::member)>() }

// One field of record R whose type description is given (TypeInfoDateTime() for a date-time).
#define QW_FIELD_AS(R, member, info) \
    TFieldInfo { #member, offsetof(R, member), info }

// Declares the field table of record R (fields in declaration order). Place it at namespace
// scope after the record's definition.
#define QW_TYPE_INFO_RECORD(R, ...)                                                                        \
    template <>                                                                                           \
    struct TypeInfoProvider<R> {                                                                          \
        static const TTypeInfo* Get()                                                                     \
        {                                                                                                 \
            static const TFieldInfo fields[] = {__VA_ARGS__};                                             \
            static const TTypeInfo info{TTypeKind::tkRecord, #R, sizeof(R), TOrdType::otSLong, false, 0, 0, \
                                        TFloatType::ftDouble, std::span<const TFieldInfo>(fields)};       \
            return &info;                                                                                 \
        }                                                                                                 \
    }

// Declares the fields of class C (fields in declaration order); fields of type C* then
// describe references to instances of C. C must be default-constructible.
#define QW_TYPE_INFO_CLASS(C, ...)                                                                          \
    template <>                                                                                            \
    struct TypeInfoProvider<C*> {                                                                          \
        static std::span<const TFieldInfo> Fields()                                                        \
        {                                                                                                  \
            static const TFieldInfo fields[] = {__VA_ARGS__};                                              \
            return std::span<const TFieldInfo>(fields);                                                    \
        }                                                                                                  \
        static const TTypeInfo* Get()                                                                      \
        {                                                                                                  \
            static const TTypeInfo info{TTypeKind::tkClass, #C, sizeof(C*), TOrdType::otSLong, false, 0, 0, \
                                        TFloatType::ftDouble, {}, nullptr, 0, &Fields,                     \
                                        []() -> void* { return new C(); }};                                \
            return &info;                                                                                  \
        }                                                                                                  \
    }

// Declares enum E with the values Min..Max.
#define QW_TYPE_INFO_ENUM(E, Min, Max)                                                                      \
    template <>                                                                                            \
    struct TypeInfoProvider<E> {                                                                           \
        static const TTypeInfo* Get()                                                                      \
        {                                                                                                  \
            static const TTypeInfo info{TTypeKind::tkEnumeration, #E, sizeof(E),                           \
                                        type_info_detail::OrdTypeOf<std::underlying_type_t<E>>(), false,   \
                                        static_cast<int64_t>(Min), static_cast<int64_t>(Max)};             \
            return &info;                                                                                  \
        }                                                                                                  \
    }

// Checks at compile time that a field table covers the record without gaps: the sum of the
// field sizes equals the record's size (packed records).
inline size_t SumOfFieldSizes(const TTypeInfo* info)
{
    size_t n = 0;
    for (const auto& f : info->Fields) n += f.Type->Size;
    return n;
}

QW_TYPE_INFO_RECORD(TGUID, QW_FIELD(TGUID, D1), QW_FIELD(TGUID, D2), QW_FIELD(TGUID, D3), QW_FIELD(TGUID, D4));
