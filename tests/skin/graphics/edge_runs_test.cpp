// Runs of see-through pixels as rectangles: of one colour in a picture, and in the corners of a
// window border drawn from a border image.
#include <gtest/gtest.h>

#include "skin/graphics/edge_runs.h"
#include "tests/skin/fake_paint_source.h"

TEST(EdgeRuns, ColourRunsRowByRow)
{
    TPixelImage img(5, 2, 0);
    img.At(1, 0) = img.At(2, 0) = img.At(4, 0) = 0x00FFFFFFu;
    img.At(0, 1) = 0xFFFFFFFFu;   // alpha differs: not the colour
    std::vector<TRect> runs{TRect(9, 9, 9, 9)};   // appended to, never cleared
    CollectColorRuns(runs, img.View(), 0x00FFFFFFu);
    EXPECT_EQ(runs, (std::vector<TRect>{TRect(9, 9, 9, 9), TRect(1, 0, 3, 1), TRect(4, 0, 5, 1)}));
}

TEST(EdgeRuns, CornerHolesOfABorderImage)
{
    // One 8 x 6 frame, borders 2; magenta with alpha 0 at (0, 0) and (7, 5), with alpha 255 at (1, 0).
    TFakePaintSource skin;
    skin.Master.Resize(8, 6, 0xFF808080u);
    skin.Master.At(0, 0) = 0x00FF00FFu;
    skin.Master.At(7, 5) = 0x00FF00FFu;
    skin.Master.At(1, 0) = 0xFFFF00FFu;
    TFakePaintSource::TInstall install(&skin);
    TsMaskData m;
    m.Manager = skin.Manager();
    m.R = TRect(0, 0, 8, 6);
    m.Width = 8;
    m.WL = m.WT = m.WR = m.WB = 2;
    std::vector<TRect> top, bottom;
    CollectMaskEdgeRects(top, 100, m, 0, false, 0);
    CollectMaskEdgeRects(bottom, 100, m, 40, true, 0);
    EXPECT_EQ(top, (std::vector<TRect>{TRect(0, 0, 1, 1)})) << "a magenta pixel with alpha 255 is no hole";
    EXPECT_EQ(bottom, (std::vector<TRect>{TRect(99, 41, 100, 42)})) << "right corner at the window's right edge";

    skin.Master.At(0, 0) = 0xFF808080u;
    std::vector<TRect> none;
    CollectMaskEdgeRects(none, 100, m, 0, false, 0);
    EXPECT_TRUE(none.empty());
    TsMaskData unusable = m;
    unusable.Manager = nullptr;
    CollectMaskEdgeRects(none, 100, unusable, 40, true, 0);
    EXPECT_TRUE(none.empty());
}
