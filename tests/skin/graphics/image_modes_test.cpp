// Pixel arrows and texture placement by draw mode on small images made here.
#include <gtest/gtest.h>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/image_modes.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

// The widths of the painted runs, row by row, of a view's non-zero pixels.
std::vector<int> RowWidths(const TPixelImage& img)
{
    std::vector<int> widths;
    for (int y = 0; y < img.Height(); ++y) {
        int n = 0;
        for (int x = 0; x < img.Width(); ++x) n += img.At(x, y) != 0;
        if (n) widths.push_back(n);
    }
    return widths;
}

int FirstPaintedRow(const TPixelImage& img)
{
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            if (img.At(x, y)) return y;
    return -1;
}

}  // namespace

TEST(Arrows, PixelTrianglesByDirectionAndPpi)
{
    struct Case { int direction, ppi; std::vector<int> widths; } cases[] = {
        {adDown, 96, {5, 3, 1}}, {adUp, 96, {1, 3, 5}}, {adRight, 96, {1, 2, 3, 2, 1}},
        {adLeft, 96, {1, 2, 3, 2, 1}}, {adUp, 192, {2, 4, 6, 8, 10}},
    };
    for (const auto& c : cases) {
        TPixelImage img(20, 20, 0);
        DrawArrow32(img.View(), TColor(0xFF0000FF), TRect(0, 0, 20, 20), c.direction, c.ppi);
        EXPECT_EQ(RowWidths(img), c.widths) << "direction " << c.direction << " at " << c.ppi;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (img.At(x, y)) ASSERT_EQ(img.At(x, y), 0xFFFF0000u) << "red, byte 3 the alpha";
    }
    // Right starts at y0, left one row lower.
    TPixelImage right(20, 20, 0), left(20, 20, 0);
    DrawArrow32(right.View(), clRed, TRect(0, 0, 20, 20), adRight, 96);
    DrawArrow32(left.View(), clRed, TRect(0, 0, 20, 20), adLeft, 96);
    EXPECT_EQ(FirstPaintedRow(left), FirstPaintedRow(right) + 1);
    // An arrow that does not fit is not drawn.
    TPixelImage small(4, 4, 0);
    DrawArrow32(small.View(), clRed, TRect(0, 0, 4, 4), adDown, 96);
    EXPECT_TRUE(UntouchedOutside(small, TRect(), 0));
}

TEST(ImageModes, PlacementAndWhatIsLeft)
{
    // A 4 x 3 texture of numbered pixels in the master bitmap.
    TFakePaintSource skin;
    skin.Master.Resize(10, 10, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) skin.Master.At(2 + x, 1 + y) = 0xFF000000u | uint32_t(y * 16 + x + 1);
    TFakePaintSource::TInstall install(&skin);
    TsMaskData m;
    m.Manager = skin.Manager();
    m.R = TRect(2, 1, 6, 4);
    const TRect area(3, 2, 13, 11);   // 10 x 9
    struct Case { int mode; TRect left; } cases[] = {
        {0, TRect(-1, -1, -1, -1)}, {1, TRect(-1, -1, -1, -1)}, {2, TRect(3, 5, 13, 11)}, {3, TRect(7, 2, 13, 11)},
        {4, TRect(3, 5, 13, 11)}, {5, TRect(7, 2, 13, 11)}, {6, TRect(3, 2, 13, 8)}, {7, TRect(3, 2, 9, 11)},
        {9, TRect(9, 2, 13, 11)}, {10, TRect(-1, -1, -1, -1)}, {11, TRect(-1, -1, -1, -1)}, {12, TRect(-1, -1, -1, -1)},
        {13, TRect(-1, -1, -1, -1)},
    };
    for (const auto& c : cases) {
        TPixelImage dest(16, 14, 0);
        TRect r = area;
        DrawImageByMode32(dest.View(), r, m, c.mode);
        EXPECT_EQ(r, c.left) << "mode " << c.mode;
        EXPECT_TRUE(UntouchedOutside(dest, area, 0)) << "mode " << c.mode;
    }
    // Tiles from the top-left (mode 0), whole tiles only (10: two tiles high paints the first row only),
    // tiles from the bottom-right (13).
    TPixelImage tiled(16, 14, 0), whole(16, 14, 0), anchored(16, 14, 0);
    TRect r0 = area, r10 = TRect(3, 2, 13, 8), r13 = area;
    DrawImageByMode32(tiled.View(), r0, m, 0);
    DrawImageByMode32(whole.View(), r10, m, 10);
    DrawImageByMode32(anchored.View(), r13, m, 13);
    EXPECT_EQ(tiled.At(3, 2), 0xFF000001u);
    EXPECT_EQ(tiled.At(7, 5), 0xFF000001u);
    EXPECT_EQ(tiled.At(12, 10), 0xFF000000u | (2 * 16 + 1 + 1));   // column 9 mod 4 = 1, row 8 mod 3 = 2
    EXPECT_EQ(whole.At(3, 2), 0xFF000001u);
    EXPECT_EQ(whole.At(3, 5), 0u) << "the band below the last whole row stays";
    EXPECT_EQ(anchored.At(12, 10), 0xFF000000u | (2 * 16 + 3 + 1)) << "bottom-right pixel of the image";
    // columns 9, 5 whole; the left column cut to its last two columns; rows 8, 5, 2 whole
    EXPECT_EQ(anchored.At(3, 2), 0xFF000000u | (0 * 16 + 2 + 1)) << "the left column shows the image's right columns";
    EXPECT_EQ(anchored.At(5, 2), 0xFF000001u);
}

TEST(ImageModes, ATextureOfNoSizeDrawsNothingAndLeavesTheRectangle)
{
    TFakePaintSource skin;
    skin.Master.Resize(4, 4, 0xFFFFFFFFu);
    TFakePaintSource::TInstall install(&skin);
    for (TRect image : {TRect(1, 1, 1, 3), TRect(1, 1, 3, 1)}) {
        TsMaskData m;
        m.Manager = skin.Manager();
        m.R = image;
        m.Width = image.Width();
        for (int mode : {0, 2, 3, 6, 7, 10, 11, 12, 13}) {
            TPixelImage dest(8, 8, 0);
            TRect r(1, 1, 7, 7);
            DrawImageByMode32(dest.View(), r, m, mode);
            EXPECT_EQ(r, TRect(1, 1, 7, 7)) << "mode " << mode;
            EXPECT_TRUE(UntouchedOutside(dest, TRect(), 0)) << "mode " << mode;
            DrawMaskedImageByMode32(dest.View(), r, EmptyCacheInfo, m, mode == 10 ? 10 : 0);
            EXPECT_TRUE(UntouchedOutside(dest, TRect(), 0)) << "masked, mode " << mode;
        }
    }
}

TEST(ImageModes, MaskedTilesAndTheBandsAroundThem)
{
    // A 2 x 2 masked texture (black mask) in the master bitmap.
    TFakePaintSource skin;
    skin.Master.Resize(2, 4, 0xFF000000u);
    skin.Master.At(0, 0) = skin.Master.At(1, 0) = skin.Master.At(0, 1) = skin.Master.At(1, 1) = 0xFF123456u;
    TFakePaintSource::TInstall install(&skin);
    TsMaskData m;
    m.Manager = skin.Manager();
    m.R = TRect(0, 0, 2, 4);
    m.Width = 2;
    m.MaskType = 1;
    TPixelImage parent(20, 20, 0xFFABCDEFu);
    TPixelImage dest(10, 10, 0);
    TRect r(1, 1, 6, 6);   // 5 x 5: whole tiles at 1 and 3 in both directions
    DrawMaskedImageByMode32(dest.View(), r, BuildCacheInfo(parent.View(), 0, 0), m, 10);
    EXPECT_EQ(r, TRect(-1, -1, -1, -1));
    EXPECT_EQ(dest.At(4, 4) & 0x00FFFFFFu, 0x123456u);
    EXPECT_EQ(dest.At(5, 2), 0xFFABCDEFu) << "right band from the background";
    EXPECT_EQ(dest.At(2, 5), 0xFFABCDEFu) << "band below";
    EXPECT_TRUE(UntouchedOutside(dest, TRect(1, 1, 6, 6), 0));
    TRect plain(1, 1, 6, 6);
    TPixelImage cut(10, 10, 0);
    DrawMaskedImageByMode32(cut.View(), plain, EmptyCacheInfo, m, 0);
    EXPECT_EQ(cut.At(5, 2) & 0x00FFFFFFu, 0x123456u) << "mode 0: the last column cut to the rectangle";
    EXPECT_EQ(cut.At(2, 5), 0u) << "the band below stays";
}
