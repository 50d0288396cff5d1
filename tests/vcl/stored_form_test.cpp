// The stored-form reader on hand-made bytes: every value kind read back, and lengths that claim
// more than the stream holds, negative lengths and unknown kinds refused before any allocation
// or read past the end.
#include "vcl/stored_form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace StoredForm;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v)
{
    std::vector<uint8_t> out;
    for (int b : v) out.push_back(uint8_t(b));
    return out;
}

}  // namespace

TEST(StoredForm, WrittenValuesReadBack)
{
    TMemoryStream s;
    WriteInt(s, "Width", -26);
    WriteBool(s, "DrawContour", true);
    WriteDouble(s, "ScalingFactor", 0.75);
    WriteIdent(s, "Pitch", "fpFixed");
    WriteWString(s, "FontName", L"Icon \u00e9 \U0001F600");
    const uint8_t data[] = {0, 0xFF, 7};
    WriteBinary(s, "FontData", data, 3);
    WriteBinary(s, "Empty", nullptr, 0);
    s.SetPosition(0);
    EXPECT_EQ(ReadName(s), "Width");
    EXPECT_EQ(ReadValue(s).Int, -26);
    EXPECT_EQ(ReadName(s), "DrawContour");
    EXPECT_TRUE(ReadValue(s).Flag());
    EXPECT_EQ(ReadName(s), "ScalingFactor");
    EXPECT_EQ(ReadValue(s).Number, 0.75);
    EXPECT_EQ(ReadName(s), "Pitch");
    EXPECT_EQ(ReadValue(s).Ident, "fpFixed");
    EXPECT_EQ(ReadName(s), "FontName");
    EXPECT_EQ(ReadValue(s).Text, L"Icon \u00e9 \U0001F600");
    EXPECT_EQ(ReadName(s), "FontData");
    EXPECT_EQ(ReadValue(s).Bytes, std::vector<uint8_t>(data, data + 3));
    EXPECT_EQ(ReadName(s), "Empty");
    const TStoredValue empty = ReadValue(s);
    EXPECT_EQ(empty.Kind, vaBinary);
    EXPECT_TRUE(empty.Bytes.empty());
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(StoredForm, ValuesThatDoNotFitAreRefused)
{
    struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } const rows[] = {
        {"nothing", {}},
        {"unknown kind", Bytes({0xEE, 0, 0, 0, 0})},
        {"int cut", Bytes({vaInt32, 1, 2})},
        {"double cut", Bytes({vaDouble, 0, 0, 0, 0, 0, 0, 0xE8})},
        {"ident cut", Bytes({vaIdent, 5, 'f', 'p'})},
        {"binary longer than the stream", Bytes({vaBinary, 4, 0, 0, 0, 1, 2, 3})},
        {"binary of negative length", Bytes({vaBinary, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"binary of a huge length", Bytes({vaBinary, 0xFF, 0xFF, 0xFF, 0x7F, 1})},
        {"string longer than the stream", Bytes({vaWString, 2, 0, 0, 0, 'a', 0, 'b'})},
        {"string of negative length", Bytes({vaWString, 0, 0, 0, 0x80})},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        TBytesStream s(r.bytes);
        EXPECT_THROW(ReadValue(s), EReadError);
    }
    // A name that claims more letters than there are.
    TBytesStream name(Bytes({9, 'W', 'i'}));
    EXPECT_THROW(ReadName(name), EReadError);
}
