// The packed skin container: what a well-formed container gives, and that damaged ones fail
// with a message naming what is wrong while the reader is left empty.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <zlib.h>

#include "skin/engine/core/skin_container.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void Put32(std::vector<uint8_t>& out, int32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data)
{
    uLongf n = compressBound(uLong(data.size()));
    std::vector<uint8_t> z(n);
    compress2(z.data(), &n, data.data(), uLong(data.size()), 9);
    z.resize(n);
    return z;
}

// A container written by hand, so sizes can lie.
struct RawEntry {
    std::string name;
    std::vector<uint8_t> data;
    int32_t declared = -1;   // S as written; -1: the true size
};
constexpr int32_t TrueCount = INT32_MIN;
std::vector<uint8_t> RawContainer(const std::vector<RawEntry>& entries, int32_t count = TrueCount)
{
    std::vector<uint8_t> out = Bytes("ASzf");
    Put32(out, count != TrueCount ? count : int32_t(entries.size()));
    for (const RawEntry& e : entries) {
        Put32(out, int32_t(e.name.size()));
        out.insert(out.end(), e.name.begin(), e.name.end());
        Put32(out, e.declared >= 0 ? e.declared : int32_t(e.data.size()));
        std::vector<uint8_t> z = Deflate(e.data);
        out.insert(out.end(), z.begin(), z.end());
    }
    return out;
}

const std::vector<uint8_t> Description = Bytes("[GLOBALINFO]\r\nVERSION=8\r\n");

std::vector<uint8_t> ValidContainer()
{
    return RawContainer({{"Options.dat", Description}, {"Master.bmp", Bytes("BMxxxxxxxxxxxxxxxx")},
                         {"GlowBtn.png", std::vector<uint8_t>(300, 7)}});
}

}  // namespace

TEST(SkinContainer, SevenEntriesGiveSixFilesAndTheDescription)
{
    std::vector<TacPackEntry> entries = {{L"Options.dat", Description}};
    for (const wchar_t* n : {L"A.bmp", L"B.BMP", L"c.png", L"d.png", L"e.png", L"f.png"})
        entries.push_back({n, std::vector<uint8_t>(size_t(50 + entries.size()), uint8_t(entries.size()))});
    std::vector<uint8_t> bytes = WritePackedSkin(entries);
    TacSkinConvertor reader;
    ASSERT_TRUE(ReadPackedSkin(bytes.data(), bytes.size(), reader));
    EXPECT_EQ(reader.FileCount, 6);
    ASSERT_TRUE(reader.Options);
    EXPECT_EQ(*reader.Options, Description);
    for (size_t i = 1; i < entries.size(); ++i) {
        EXPECT_EQ(reader.Files[i - 1].Name, entries[i].Name);
        EXPECT_EQ(reader.Files[i - 1].Data, entries[i].Data);
    }
    // The last entry ends exactly at the end: one byte less is damage.
    EXPECT_THROW(ReadPackedSkin(bytes.data(), bytes.size() - 1, reader), EPackedSkinError);
}

TEST(SkinContainer, TheDescriptionIsFoundWhateverItsCase)
{
    std::vector<uint8_t> bytes = RawContainer({{"x.png", Bytes("p")}, {"options.DAT", Description}});
    TacSkinConvertor reader;
    ASSERT_TRUE(ReadPackedSkin(bytes.data(), bytes.size(), reader));
    ASSERT_TRUE(reader.Options);
    EXPECT_EQ(reader.FileCount, 1);
}

TEST(SkinContainer, OnlyADescriptionLeavesNoFiles)
{
    std::vector<uint8_t> bytes = RawContainer({{"Options.dat", Description}});
    TacSkinConvertor reader;
    ASSERT_TRUE(ReadPackedSkin(bytes.data(), bytes.size(), reader));
    EXPECT_EQ(reader.FileCount, 0);
    EXPECT_TRUE(reader.Files.empty());
}

// FileCount is the entry count less one whatever the entries are; the files are the entries that
// are not a description, and of two descriptions the later one is kept.
TEST(SkinContainer, DescriptionEntriesAndTheFileCount)
{
    const std::vector<uint8_t> second = Bytes("[SECOND]\r\n");
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const std::vector<uint8_t>* options;   // nullptr: no description
        std::vector<String> files;
        int fileCount;
    } cases[] = {
        {"no description", RawContainer({{"a.bmp", Bytes("x")}}), nullptr, {L"a.bmp"}, 0},
        {"two descriptions",
         RawContainer({{"Options.dat", Description}, {"b.png", Bytes("y")}, {"OPTIONS.DAT", second}}), &second,
         {L"b.png"}, 2},
        {"no entries", RawContainer({}), nullptr, {}, -1},
    };
    for (const Case& c : cases) {
        TacSkinConvertor reader;
        ASSERT_TRUE(ReadPackedSkin(c.bytes.data(), c.bytes.size(), reader)) << c.what;
        EXPECT_EQ(reader.FileCount, c.fileCount) << c.what;
        ASSERT_EQ(bool(reader.Options), c.options != nullptr) << c.what;
        if (c.options) EXPECT_EQ(*reader.Options, *c.options) << c.what;
        std::vector<String> names;
        for (const TacFileItem& f : reader.Files) names.push_back(f.Name);
        EXPECT_EQ(names, c.files) << c.what;
        reader.Clear();
        EXPECT_EQ(reader.FileCount, 0) << c.what;
    }
}

TEST(SkinContainer, FileKindsByExtension)
{
    struct Case { const wchar_t* name; TacFileType type; } cases[] = {
        {L"SKIN.TTF", TacFileType::ftFont}, {L"x.otf", TacFileType::ftFont}, {L"Master.bmp", TacFileType::ftBmp},
        {L"GlowBtn.png", TacFileType::ftOther}, {L"noext", TacFileType::ftOther}, {L"a.bmp.png", TacFileType::ftOther},
    };
    for (auto c : cases) EXPECT_EQ(FileTypeOfName(c.name), c.type) << c.name;
}

TEST(SkinContainer, WritingIsReproducible)
{
    std::vector<TacPackEntry> entries = {{L"Options.dat", Description}, {L"M.BMP", std::vector<uint8_t>(999, 3)}};
    EXPECT_EQ(WritePackedSkin(entries), WritePackedSkin(entries));
}

TEST(SkinContainer, NamesThatCannotBePackedAreRefused)
{
    for (const wchar_t* name : {L"", L"caf\u00e9.bmp", L"tab\t.bmp"})
        EXPECT_THROW(WritePackedSkin({{name, {1}}}), EPackedSkinError) << name;
}

TEST(SkinContainer, WrongMagicIsNotAContainer)
{
    TacSkinConvertor reader;
    reader.Files.push_back({L"old", TacFileType::ftOther, {1}});
    for (std::string s : {"", "AS", "ASzg\1\0\0\0", "PK\3\4 whatever"}) {
        std::vector<uint8_t> b = Bytes(s);
        EXPECT_FALSE(ReadPackedSkin(b.data(), b.size(), reader)) << s;
        EXPECT_TRUE(reader.Files.empty());
        EXPECT_FALSE(reader.Options);
    }
}

// Every damage raises, names what it found and leaves the reader empty.
TEST(SkinContainer, DamagedContainersFailWithAMessage)
{
    std::vector<uint8_t> good = ValidContainer();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;   // a part of the message
    };
    std::vector<Case> cases = {
        {"count missing", Bytes("ASzf\1\0"), "entry count is missing"},
        {"negative count", RawContainer({{"Options.dat", Description}}, -1), "entry count"},
        {"count beyond the bytes", RawContainer({{"Options.dat", Description}}, 1000), "entry count"},
        {"count one too many", RawContainer({{"Options.dat", Description}}, 2), "entry 2 is missing"},
        {"S one more", RawContainer({{"Options.dat", Description, int32_t(Description.size()) + 1}}),
         "\"Options.dat\" holds"},
        {"S one less", RawContainer({{"Options.dat", Description, int32_t(Description.size()) - 1}}),
         "more than its"},
        {"S over the limit", RawContainer({{"big.bmp", Bytes("x"), MaxPackedEntrySize + 1}}), "declares"},
    };
    // Name lengths that lie.
    for (int32_t l : {0, -5, 5000, 200}) {
        std::vector<uint8_t> b = Bytes("ASzf");
        Put32(b, 1);
        Put32(b, l);
        b.insert(b.end(), {'a', 'b', 'c'});
        cases.push_back({"name length", b, "name length"});
    }
    // Negative S.
    {
        std::vector<uint8_t> b = Bytes("ASzf");
        Put32(b, 1);
        Put32(b, 3);
        b.insert(b.end(), {'a', '.', 'b'});
        Put32(b, -2);
        cases.push_back({"negative S", b, "declares -2"});
    }
    // Damaged compressed data in the last entry (its check sum).
    {
        std::vector<uint8_t> b = good;
        b.back() ^= 0xFF;
        cases.push_back({"damaged zlib", b, "GlowBtn.png"});
    }
    // Every truncation after the magic.
    for (size_t n = 4; n < good.size(); ++n)
        cases.push_back({"truncated", std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n)), ""});

    for (const Case& c : cases) {
        TacSkinConvertor reader;
        reader.Files.push_back({L"old", TacFileType::ftOther, {1}});
        try {
            ReadPackedSkin(c.bytes.data(), c.bytes.size(), reader);
            ADD_FAILURE() << c.what << " (" << c.bytes.size() << " bytes) was accepted";
        } catch (const EPackedSkinError& e) {
            EXPECT_THAT(ToUtf8(e.Message()), ::testing::HasSubstr(c.message)) << c.what;
            EXPECT_THAT(ToUtf8(e.Message()), ::testing::HasSubstr("damaged")) << c.what;
        }
        EXPECT_TRUE(reader.Files.empty()) << c.what;
        EXPECT_FALSE(reader.Options) << c.what;
    }
}

TEST(SkinContainer, FindBytesAnswersOneBasedPositions)
{
    auto find = [](const std::string& pattern, const std::string& text) {
        return FindBytes(reinterpret_cast<const uint8_t*>(pattern.data()), pattern.size(),
                         reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    struct Case { const char* pattern; const char* text; size_t pos; } cases[] = {
        {"previewimg", "previewimg", 1}, {"previewimg", "xxpreviewimgpreviewimg", 3},
        {"previewimg", "previewim", 0}, {"previewimg", "PREVIEWIMG", 0}, {"abcab", "abcabcab", 1},
        {"aab", "aaaab", 3}, {"", "abc", 0}, {"gg", "previewimgg", 10},
    };
    for (auto c : cases) EXPECT_EQ(find(c.pattern, c.text), c.pos) << c.pattern << " in " << c.text;
}

TEST(SkinContainer, PreviewBlock)
{
    std::vector<uint8_t> file(100, 'x');
    auto withBlock = [&](int32_t length, size_t bytesAfter) {
        std::vector<uint8_t> b = file;
        std::vector<uint8_t> marker = Bytes("previewimg");
        b.insert(b.end(), marker.begin(), marker.end());
        Put32(b, length);
        for (size_t i = 0; i < bytesAfter; ++i) b.push_back(uint8_t('0' + i));
        return b;
    };
    std::vector<uint8_t> b = withBlock(5, 7);
    auto preview = ExtractSkinPreview(b.data(), b.size());
    ASSERT_TRUE(preview);
    EXPECT_EQ(*preview, Bytes("01234"));
    EXPECT_FALSE(ExtractSkinPreview(file.data(), file.size()));
    // A length that does not fit is no preview.
    for (auto [length, after] : std::vector<std::pair<int32_t, size_t>>{{6, 5}, {-1, 5}, {0x7FFFFFFF, 3}}) {
        std::vector<uint8_t> bad = withBlock(length, after);
        EXPECT_FALSE(ExtractSkinPreview(bad.data(), bad.size())) << length;
    }
    std::vector<uint8_t> cut = withBlock(5, 5);
    cut.resize(cut.size() - 7);   // the length itself cut
    EXPECT_FALSE(ExtractSkinPreview(cut.data(), cut.size()));
    // A container written by the packer holds no preview.
    std::vector<uint8_t> packed = WritePackedSkin({{L"Options.dat", Description}});
    EXPECT_FALSE(ExtractSkinPreview(packed.data(), packed.size()));
}
