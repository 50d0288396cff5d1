// Embedded fonts: the Light skin's font installs for this process from its stored bytes and
// is removed with its item; copying items copies names and bytes but installs nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include "skin/engine/core/skin_source.h"
#include "skin/engine/embedded_fonts.h"
#include "skins/stored_skins.h"

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
