// Our skins as the engine's skin data loads them at 96 and 144 PPI: every image usable, the "*150" images
// taken as drawn and the others rescaled; a contact sheet of each skin's images at both PPIs is
// saved as a test artefact (QW_ARTIFACTS/skins/<Name>-<PPI>.bmp), over a checkerboard so
// transparency shows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "skin/engine/core/skin_info.h"
#include "vcl/bmpcodec.h"
#include "vcl/streams.h"

namespace {

String SkinFolder(const char* name)
{
    // The source tree, as the build names it.
    return FromUtf8(std::string(QW_SOURCE_ROOT) + "/skins/" + name);
}

// Each image's first part (all frames) in a row of the sheet, composed over a checkerboard.
TPixelImage ContactSheet(TacStandaloneSkin& skin)
{
    const int width = 600;
    int x = 0, y = 0, row = 0;
    struct Place { const TsMaskData* m; int x, y; };
    std::vector<Place> places;
    for (const TsMaskData& m : skin.Data().ma) {
        const int w = m.R.Width(), h = m.Height > 0 ? m.Height : m.R.Height();
        if (w <= 0 || h <= 0) continue;
        if (x + w > width) x = 0, y += row + 4, row = 0;
        places.push_back({&m, x, y});
        x += w + 4;
        row = std::max(row, h);
    }
    TPixelImage sheet(width, y + row + 4, 0xFFFFFFFFu);
    for (int yy = 0; yy < sheet.Height(); ++yy)
        for (int xx = 0; xx < width; ++xx) sheet.At(xx, yy) = ((xx / 6 + yy / 6) & 1) ? 0xFFC8C8C8u : 0xFFF0F0F0u;
    for (const Place& p : places) {
        const TsMaskData& m = *p.m;
        TPixelView src = m.Bmp ? m.Bmp->View() : skin.Master().View();
        const int h = m.Height > 0 ? m.Height : m.R.Height();
        for (int yy = 0; yy < h; ++yy)
            for (int xx = 0; xx < m.R.Width(); ++xx) {
                uint32_t s = src.At(m.R.left + xx, m.R.top + yy);
                uint32_t& d = sheet.At(p.x + xx, p.y + yy);
                uint32_t a = s >> 24;
                if (m.MaskType >= 1) {   // the mask part below: its inverted red is the alpha
                    a = 255 - ((src.At(m.R.left + xx, m.R.top + h + yy) >> 16) & 0xFF);
                } else if ((s & 0xFFFFFF) == 0xFF00FF) {
                    a = 0;
                }
                uint32_t out = 0xFF000000u;
                for (int c = 0; c < 24; c += 8)
                    out |= (((s >> c) & 0xFF) * a + ((d >> c) & 0xFF) * (255 - a)) / 255 << c;
                d = out;
            }
    }
    return sheet;
}

void SaveBmp(const TPixelImage& img, const std::string& path)
{
    std::vector<uint8_t> bits(size_t(img.Width()) * size_t(img.Height()) * 4);
    for (int y = 0; y < img.Height(); ++y)
        std::memcpy(&bits[size_t(img.Height() - 1 - y) * size_t(img.Width()) * 4], img.Data() + size_t(y) * size_t(img.Width()),
                    size_t(img.Width()) * 4);
    bmpcodec::TBmpSource s;
    s.width = img.Width();
    s.height = img.Height();
    s.bitCount = 32;
    s.stride = img.Width() * 4;
    s.bottomUpBits = bits.data();
    WriteFileBytes(FromUtf8(path), bmpcodec::EncodeBmpFile(s));
}

}  // namespace

TEST(SkinArtifacts, EveryImageOfOurSkinsAt96And144Ppi)
{
    const char* out = std::getenv("QW_ARTIFACTS");
    for (const char* name : {"Neutral", "Dark", "Light"}) {
        for (int ppi : {96, 144}) {
            TacSkinSource source = TacSkinSource::FromFolder(SkinFolder(name));
            TacStandaloneSkin skin(source, ppi);
            const std::vector<String>& notes = skin.Data().Notes;
            EXPECT_TRUE(notes.empty()) << name << ppi << ": " << ToUtf8(notes.empty() ? String() : notes[0]);
            ASSERT_GT(skin.Data().ma.size(), 30u) << name;
            for (const TsMaskData& m : skin.Data().ma) {
                const std::string what = std::string(name) + " " + ToUtf8(m.ClassName + L"." + m.PropertyName);
                EXPECT_GT(m.Width, 0) << what;
                EXPECT_GT(m.Height, 0) << what;
                if (ppi == 96) {
                    EXPECT_EQ(m.DivPPI, 96) << what;
                    continue;
                }
                if (m.DivPPI == 144) {
                    EXPECT_FALSE(m.Bmp && m.R.Width() != m.Bmp->Width()) << what;   // a "*150" image as drawn
                } else if (m.Width >= 3 && m.WL + m.WR != 2 && m.WT + m.WB != 2 && !(m.DrawMode & dmNoRescale)) {
                    EXPECT_NE(m.Bmp, nullptr) << what << " is not rescaled";
                }
            }
            if (out) {
                std::filesystem::create_directories(std::string(out) + "/skins");
                SaveBmp(ContactSheet(skin), std::string(out) + "/skins/" + name + "-" + std::to_string(ppi) + ".bmp");
            }
        }
    }
}
