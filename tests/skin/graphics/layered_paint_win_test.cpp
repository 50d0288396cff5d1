// The layered item painter's gradient bands through the system's graphics library: a see-through
// state's gradient is drawn at the state's opacity into the alpha channel of a layered picture,
// and the skin's gradient stays as the other painters read it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "skin/graphics/gdiplus.h"
#include "skin/graphics/item_paint.h"
#include "tests/skin/fake_paint_source.h"

namespace {

int Byte(uint32_t p, int i) { return int((p >> (8 * i)) & 0xFF); }

TEST(LayeredItemBands, SeeThroughGradientGoesIntoAlphaAtTheStateOpacity)
{
    ASSERT_TRUE(StartGdiPlus(true));
    TFakePaintSource skin;
    TFakePaintSource::TInstall install(&skin);
    skin.Sections.emplace_back();
    TsGeneralData& g = skin.Sections.back();
    g.BorderIndex = -1;
    TsGenState& p = g.Props[0];
    p.Transparency = 40;
    p.GradientPercent = 100;
    p.GradientArray.resize(2);
    p.GradientArray[0].Color.C = 0x0000C8;   // red 200 at the top
    p.GradientArray[1].Color.C = 0xC80000;   // blue 200 at the bottom
    p.GradientArray[1].Percent = 100;

    struct TCase {
        const char* What;
        TRect R;
    } cases[] = {{"a part", TRect(4, 4, 36, 28)}, {"reaching past the picture", TRect(-6, -6, 30, 46)}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TPixelImage image(40, 32, 0);
        PaintItemBG32(0, 0, c.R, image.View(), &skin, acSkinColor, GdipPaintLayer());
        const TRect in = TRect::Intersect(c.R, image.Bounds());
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const uint32_t px = image.At(x, y);
                if (!in.Contains(TPoint(x, y))) {
                    ASSERT_EQ(px, 0u) << x << "," << y;
                    continue;
                }
                // 60 percent opaque: 153, within the library's rounding.
                ASSERT_NEAR(Byte(px, 3), 153, 3) << x << "," << y;
            }
        const uint32_t top = image.At(in.left + 2, in.top), bottom = image.At(in.left + 2, in.bottom - 1);
        EXPECT_GT(Byte(top, 2), Byte(top, 0)) << "red at the top" << std::hex << top;
        EXPECT_GT(Byte(bottom, 0), Byte(bottom, 2)) << "blue at the bottom" << std::hex << bottom;
    }
    EXPECT_EQ(p.GradientArray[0].Mode, 0) << "the skin's gradient is not marked";
    EXPECT_EQ(p.GradientArray[0].Color.C, 0x0000C8u);
}

}  // namespace
