// The stored form of a component's properties (name, value kind, value), as the image lists,
// the stored skins and the embedded fonts write themselves into a stream and read themselves
// back. Readers check every length against
// what the stream still holds and raise EReadError on anything that does not fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vcl/streams.h"
#include "vcl/sysutils.h"

namespace StoredForm {

// The value kinds.
enum : uint8_t { vaNull = 0, vaList = 1, vaInt32 = 4, vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10,
                 vaCollection = 14, vaWString = 18, vaDouble = 21 };

void WriteByte(TStream& s, uint8_t b);
void WriteName(TStream& s, const char* name);
void WriteInt(TStream& s, const char* name, int32_t v);
void WriteBool(TStream& s, const char* name, bool v);
void WriteDouble(TStream& s, const char* name, double v);
void WriteIdent(TStream& s, const char* name, const char* ident);
void WriteWString(TStream& s, const char* name, const String& text);
void WriteBinary(TStream& s, const char* name, const uint8_t* data, int32_t size);

uint8_t ReadByte(TStream& s);
// Empty at the end of a property list.
std::string ReadName(TStream& s);
int32_t ReadInt32(TStream& s);

// One value: an integer, identifier, flag, number, string or the bytes of a binary one.
struct TStoredValue {
    uint8_t Kind = vaNull;
    int32_t Int = 0;
    double Number = 0;
    std::string Ident;
    String Text;
    std::vector<uint8_t> Bytes;
    bool Flag() const { return Kind == vaTrue; }
};

TStoredValue ReadValue(TStream& s);

// EReadError naming the property when v is not of that kind (vaTrue: either flag).
void ExpectKind(const TStoredValue& v, uint8_t kind, const std::string& name);
// The value as a 32-bit integer or a text, after ExpectKind for property name.
int32_t IntOf(const TStoredValue& v, const std::string& name);
const String& TextOf(const TStoredValue& v, const std::string& name);

}  // namespace StoredForm
