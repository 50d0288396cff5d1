#include "vcl/stored_form.h"

#include <cstring>

namespace StoredForm {

namespace {

// Strings are stored as UTF-16 whatever the width of wchar_t where the program is built.
std::u16string ToUtf16(const String& text)
{
    std::u16string out;
    for (wchar_t c : text) {
        const auto u = static_cast<uint32_t>(c);
        if (u > 0xFFFF) {
            out.push_back(char16_t(0xD800 + ((u - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((u - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(u));
        }
    }
    return out;
}

String FromUtf16(const std::u16string& units)
{
    String out;
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t u = units[i];
        if constexpr (sizeof(wchar_t) > 2) {
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
                out.push_back(wchar_t(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u)));
                ++i;
                continue;
            }
        }
        out.push_back(wchar_t(u));
    }
    return out;
}

}  // namespace

void WriteByte(TStream& s, uint8_t b) { s.WriteBuffer(&b, 1); }

void WriteName(TStream& s, const char* name)
{
    const uint8_t n = uint8_t(std::strlen(name));
    s.WriteBuffer(&n, 1);
    s.WriteBuffer(name, n);
}

void WriteInt(TStream& s, const char* name, int32_t v)
{
    WriteName(s, name);
    WriteByte(s, vaInt32);
    s.WriteBuffer(&v, 4);
}

void WriteBool(TStream& s, const char* name, bool v)
{
    WriteName(s, name);
    WriteByte(s, v ? vaTrue : vaFalse);
}

void WriteDouble(TStream& s, const char* name, double v)
{
    WriteName(s, name);
    WriteByte(s, vaDouble);
    s.WriteBuffer(&v, 8);
}

void WriteIdent(TStream& s, const char* name, const char* ident)
{
    WriteName(s, name);
    WriteByte(s, vaIdent);
    WriteName(s, ident);
}

void WriteWString(TStream& s, const char* name, const String& text)
{
    WriteName(s, name);
    WriteByte(s, vaWString);
    const std::u16string units = ToUtf16(text);
    const int32_t n = int32_t(units.size());
    s.WriteBuffer(&n, 4);
    if (n) s.WriteBuffer(units.data(), int64_t(n) * 2);
}

void WriteBinary(TStream& s, const char* name, const uint8_t* data, int32_t size)
{
    WriteName(s, name);
    WriteByte(s, vaBinary);
    s.WriteBuffer(&size, 4);
    if (size > 0) s.WriteBuffer(data, size);
}

uint8_t ReadByte(TStream& s)
{
    uint8_t b = 0;
    s.ReadBuffer(&b, 1);
    return b;
}

std::string ReadName(TStream& s)
{
    const uint8_t n = ReadByte(s);
    std::string name(n, '\0');
    if (n) s.ReadBuffer(name.data(), n);
    return name;
}

int32_t ReadInt32(TStream& s)
{
    int32_t v = 0;
    s.ReadBuffer(&v, 4);
    return v;
}

TStoredValue ReadValue(TStream& s)
{
    TStoredValue v;
    v.Kind = ReadByte(s);
    switch (v.Kind) {
    case vaInt32: v.Int = ReadInt32(s); break;
    case vaIdent: v.Ident = ReadName(s); break;
    case vaFalse: case vaTrue: break;
    case vaDouble: s.ReadBuffer(&v.Number, 8); break;
    case vaWString: {
        const int32_t n = ReadInt32(s);
        if (n < 0 || int64_t(n) * 2 > s.Size() - s.Position()) throw EReadError(L"Invalid stored string");
        std::u16string units(size_t(n), u'\0');
        if (n) s.ReadBuffer(units.data(), int64_t(n) * 2);
        v.Text = FromUtf16(units);
        break;
    }
    case vaBinary: {
        const int32_t n = ReadInt32(s);
        if (n < 0 || n > s.Size() - s.Position()) throw EReadError(L"Invalid stored binary value");
        v.Bytes.resize(size_t(n));
        if (n) s.ReadBuffer(v.Bytes.data(), n);
        break;
    }
    default: throw EReadError(L"Invalid stored value");
    }
    return v;
}

void ExpectKind(const TStoredValue& v, uint8_t kind, const std::string& name)
{
    const bool flag = kind == vaTrue && (v.Kind == vaTrue || v.Kind == vaFalse);
    if (v.Kind != kind && !flag) throw EReadError(L"Invalid value of property " + String(name.begin(), name.end()));
}

int32_t IntOf(const TStoredValue& v, const std::string& name)
{
    ExpectKind(v, vaInt32, name);
    return v.Int;
}

const String& TextOf(const TStoredValue& v, const std::string& name)
{
    ExpectKind(v, vaWString, name);
    return v.Text;
}

}  // namespace StoredForm
