// Embedded fonts: the Light skin's font installs for this process from its stored bytes and
// is removed with its item; copying items copies names and bytes but installs nothing; their
// stored form reads back to the same bytes and damaged input leaves the items as they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "skin/engine/core/skin_source.h"
#include "skin/engine/embedded_fonts.h"
#include "skins/stored_skins.h"
#include "vcl/stored_form.h"

namespace {

std::vector<uint8_t> LightFontBytes()
{
    const TStoredSkinBytes& light = ProgramStoredSkins()[2];
    TacSkinSource source = TacSkinSource::FromPacked(light.Data, light.Size);
    auto fonts = source.FontEntries();
    return fonts.empty() ? std::vector<uint8_t>() : fonts[0]->Data;
}

}  // namespace

TEST(EmbeddedFonts, InstalledWhileTheItemLives)
{
    std::vector<uint8_t> bytes = LightFontBytes();
    ASSERT_FALSE(bytes.empty());
    // The number of fonts the system says it installed (enumerating faces is no test: the
    // system may know the face already).
    {
        TacEmbeddedFonts fonts;
        for (int i = 0; i < 2; ++i) {
            TacEmbeddedFont& f = fonts.Add();
            f.FileName = L"DejaVuSans.ttf";
            f.FontName = L"DejaVu Sans";
            f.FontData.WriteBuffer(bytes.data(), int64_t(bytes.size()));
            f.LoadFont();
            EXPECT_NE(f.Handle(), nullptr);
            EXPECT_EQ(f.InstalledCount(), 1u);
        }
        TacEmbeddedFont& first = fonts.Items(0);
        first.UnLoadFont();
        EXPECT_EQ(first.Handle(), nullptr);
        EXPECT_EQ(first.InstalledCount(), 0u);
        first.LoadFont();
        EXPECT_NE(first.Handle(), nullptr);
        fonts.Clear();
        EXPECT_EQ(fonts.Count(), 0);
    }
}

TEST(EmbeddedFonts, CopyingInstallsNothing)
{
    std::vector<uint8_t> bytes = LightFontBytes();
    TacEmbeddedFonts a, b;
    TacEmbeddedFont& f = a.Add();
    f.FontName = L"DejaVu Sans";
    f.FileName = L"DejaVuSans.ttf";
    f.FontData.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    b.Assign(a);
    ASSERT_EQ(b.Count(), 1);
    EXPECT_EQ(b.Items(0).FontName, L"DejaVu Sans");
    EXPECT_EQ(b.Items(0).FontData.Bytes(), bytes);
    EXPECT_EQ(b.Items(0).Handle(), nullptr);
    // Bad bytes install nothing and unloading them is harmless.
    TacEmbeddedFont bad;
    bad.FontData.WriteBuffer("nope", 4);
    bad.LoadFont();
    EXPECT_EQ(bad.Handle(), nullptr);
    bad.UnLoadFont();
}

namespace {

std::vector<uint8_t> Written(const TacEmbeddedFonts& fonts)
{
    TMemoryStream s;
    fonts.WriteToStream(s);
    return s.Bytes();
}

}  // namespace

// Written, read back and written again: the same bytes; names and font bytes come back, an item
// without names or bytes (a built-in font's entry) too, and nothing is installed.
TEST(EmbeddedFonts, StoredFormReadsBackToTheSameBytes)
{
    const std::vector<uint8_t> bytes = LightFontBytes();
    TacEmbeddedFonts fonts;
    TacEmbeddedFont& f = fonts.Add();
    f.FileName = L"DejaVuSans.ttf";
    f.FontName = L"DejaVu Sans";
    f.FontData.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    fonts.Add();
    const std::vector<uint8_t> first = Written(fonts);

    TacEmbeddedFonts back;
    back.Add().FontName = L"Old";
    TBytesStream in(first);
    back.ReadFromStream(in);
    EXPECT_EQ(in.Position(), in.Size());
    EXPECT_EQ(Written(back), first);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Items(0).FileName, L"DejaVuSans.ttf");
    EXPECT_EQ(back.Items(0).FontName, L"DejaVu Sans");
    EXPECT_EQ(back.Items(0).FontData.Bytes(), bytes);
    EXPECT_EQ(back.Items(0).Handle(), nullptr);
    EXPECT_TRUE(back.Items(1).FontName.empty());
    EXPECT_EQ(back.Items(1).FontData.Size(), 0);
}

// Every cut and a damaged value are refused with a clear error; the items stay, their font still
// installed.
TEST(EmbeddedFonts, DamagedStoredFormKeepsTheItems)
{
    TacEmbeddedFonts source;
    TacEmbeddedFont& f = source.Add();
    f.FileName = L"a.ttf";
    f.FontName = L"A";
    f.FontData.WriteBuffer("\x00\x01\x02", 3);
    const std::vector<uint8_t> good = Written(source);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> bad;
    for (size_t n = 0; n < good.size(); ++n)
        bad.push_back({"cut at " + std::to_string(n), std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n))});
    {
        std::vector<uint8_t> b = good;
        b[3 + 8] = StoredForm::vaInt32;   // "FileName" (after the markers and its length) as an integer
        bad.push_back({"name of the wrong kind", b});
    }

    const std::vector<uint8_t> light = LightFontBytes();
    TacEmbeddedFonts fonts;
    TacEmbeddedFont& kept = fonts.Add();
    kept.FontName = L"DejaVu Sans";
    kept.FontData.WriteBuffer(light.data(), int64_t(light.size()));
    kept.LoadFont();
    ASSERT_NE(kept.Handle(), nullptr);
    void* const handle = kept.Handle();
    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        TBytesStream in(bytes);
        try {
            fonts.ReadFromStream(in);
            ADD_FAILURE() << "read damaged input";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message().rfind(L"Cannot read the embedded fonts: ", 0), 0u) << e.what();
        }
        ASSERT_EQ(fonts.Count(), 1);
        EXPECT_EQ(fonts.Items(0).FontName, L"DejaVu Sans");
        EXPECT_EQ(fonts.Items(0).FontData.Bytes(), light);
        EXPECT_EQ(fonts.Items(0).Handle(), handle);
    }
}
