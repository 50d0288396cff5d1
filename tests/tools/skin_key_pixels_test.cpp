// Our skins' keyed border images hold the key colour only in their corners. The nine-slice
// painter treats key pixels as see-through in the corners alone: the sides and the centre are
// copied as they are, so a key pixel there would reach the screen as a magenta dot. Every skin
// folder under skins/ is read through the engine's own loader, at 96 PPI and at 144 PPI (where
// the "*150" images and rescaled ones are used), so the margins are those the painter uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "skin/engine/core/skin_info.h"

namespace fsys = std::filesystem;

namespace {

bool IsKeyColour(uint32_t p) { return (p & 0x00FFFFFFu) == 0x00FF00FFu; }

// The key pixels of image m that lie in its sides or its (filled) centre, as readable lines.
std::vector<std::string> KeysOutsideCorners(const TsMaskData& m, const TPixelView& view)
{
    std::vector<std::string> found;
    const int w = m.Width, h = m.Height;
    const int l = std::max<int>(m.WL, 0), t = std::max<int>(m.WT, 0), r = std::max<int>(m.WR, 0),
              b = std::max<int>(m.WB, 0);
    const bool centreDrawn = (m.DrawMode & dmFillCenter) != 0;
    // An image that draws nothing in state 0 never shows its first frame.
    for (int s = (m.DrawMode & dmNoState0) ? 1 : 0; s < m.ImageCount; ++s) {
        const int x0 = m.R.left + s * w, y0 = m.R.top;
        for (int y = 0; y < h; ++y) {
            if (y0 + y < 0 || y0 + y >= view.Height) continue;
            const bool edgeRow = y < t || y >= h - b;
            for (int x = 0; x < w; ++x) {
                if (x0 + x < 0 || x0 + x >= view.Width) continue;
                const bool edgeColumn = x < l || x >= w - r;
                if (edgeRow && edgeColumn) continue;   // a corner: see-through there
                if (!edgeRow && !edgeColumn && !centreDrawn) continue;
                if (!IsKeyColour(view.Row(y0 + y)[x0 + x])) continue;
                found.push_back("frame " + std::to_string(s) + " pixel " + std::to_string(x) + "," + std::to_string(y) +
                                (edgeRow || edgeColumn ? " (side)" : " (centre)"));
            }
        }
    }
    return found;
}

std::vector<fsys::path> SkinFolders()
{
    std::vector<fsys::path> folders;
    for (const auto& e : fsys::directory_iterator(QW_SKINS_DIR))
        if (e.is_directory() && fsys::exists(e.path() / "Options.dat")) folders.push_back(e.path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace

TEST(OurSkins, KeyedBorderImagesHoldTheKeyColourOnlyInTheirCorners)
{
    const std::vector<fsys::path> folders = SkinFolders();
    ASSERT_GE(folders.size(), 3u) << QW_SKINS_DIR;   // Neutral, Dark, Light at least
    int checked = 0;   // keyed border images seen (a skin drawn with alpha has none)
    for (const fsys::path& folder : folders) {
        const TacSkinSource source = TacSkinSource::FromFolder(FromUtf8(folder.string()));
        for (const int ppi : {96, 144}) {
            TacStandaloneSkin skin(source, ppi);
            for (const TsMaskData& m : skin.Data().ma) {
                if (m.ImgType != TacImgType::itisaBorder || m.MaskType != 0 || (m.DrawMode & dmAlpha32) || !m.Manager ||
                    m.ImageCount <= 0)
                    continue;
                ++checked;
                const TPixelView view = m.Bmp ? m.Bmp->View() : skin.Master().View();
                const std::vector<std::string> keys = KeysOutsideCorners(m, view);
                if (!keys.empty())
                    ADD_FAILURE() << folder.filename().string() << " at " << ppi << " PPI: [" << ToUtf8(m.ClassName)
                                  << "] " << ToUtf8(m.PropertyName) << " has " << keys.size()
                                  << " key pixels outside its corners, first " << keys.front();
            }
        }
    }
    EXPECT_GT(checked, 0);
}
