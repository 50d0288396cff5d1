// Shortening texts by an injected measurer, the glow's box blur and its composition, and a
// control's colour effects on text colours.
#include <gtest/gtest.h>

#include "skin/graphics/text_effects.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

// Every character 10 pixels wide.
struct TFixedMeasurer : TacTextMeasurer {
    int TextWidth(const String& text) const override { return 10 * int(text.size()); }
};

}  // namespace

TEST(TextEffects, CutTextToWidth)
{
    const TFixedMeasurer m;
    struct Case { const wchar_t* text; int width; const wchar_t* want; } cases[] = {
        {L"abcdef", 0, L""},            // no room
        {L"abcdef", -5, L""},
        {L"abcdef", 60, L"abcdef"},     // fits: unchanged, no ellipsis
        {L"abcdef", 59, L"ab..."},      // 50 fits
        {L"abcdef", 35, L""},           // only the ellipsis would fit: empty, not "..."
        {L"abcdef", 40, L"a..."},
        {L"", 40, L""},
    };
    for (auto c : cases) EXPECT_EQ(CutTextToWidth(m, c.text, c.width), String(c.want)) << c.width;
}

TEST(TextEffects, BlurKernelIsABoxWithoutItsOutermostTaps)
{
    const TacBlurKernel k3 = BuildBlurKernel(3);
    EXPECT_EQ(k3.Size, 2) << "radius 3: a 5-tap box";
    for (int i = -2; i <= 2; ++i) EXPECT_FLOAT_EQ(k3.Weight(i), 0.2f) << i;
    EXPECT_EQ(BuildBlurKernel(1).Size, 1);
    EXPECT_EQ(BuildBlurKernel(20).Size, 15);
    EXPECT_EQ(BuildBlurKernel(0).Size, 0) << "no kernel below radius 1";

    // One black sample in white spreads over a 5 x 5 box at radius 3; edges repeat.
    TByteImage mask(9, 9, 255);
    mask.At(4, 4) = 0;
    BlurMask8(mask.Plane(), 3);
    EXPECT_EQ(mask.At(4, 4), 245) << "255 - 255 / 25, rounded";
    EXPECT_EQ(mask.At(2, 2), 245);
    EXPECT_EQ(mask.At(1, 4), 255) << "outside the box";
    TByteImage flat(6, 3, 100);
    BlurMask8(flat.Plane(), 5);
    EXPECT_EQ(flat.At(0, 0), 100);
    EXPECT_EQ(flat.At(5, 2), 100);
    BlurMask8(flat.Plane(), 0);   // nothing, no fault
}

TEST(TextEffects, GlowComposition)
{
    TByteImage mask(3, 1, 255);
    mask.At(1, 0) = 0;     // full cover
    mask.At(2, 0) = 128;   // half
    TPixelImage dest(4, 2, Bgra(0, 0, 0, 0));
    ComposeGlowMask32(dest.View(), mask.Plane(), TPoint(-1, 1), 0x0000FF);   // red glow
    EXPECT_EQ(dest.At(0, 1), Bgra(0, 0, 254, 254)) << "mask (1, 0) lands on (0, 1)";
    EXPECT_EQ(dest.At(1, 1), Bgra(0, 0, 126, 126)) << "cover 127: (255 x 127) shr 8";
    EXPECT_EQ(dest.At(2, 1), 0u);
    EXPECT_EQ(dest.At(0, 0), 0u) << "255: untouched";
}

TEST(TextEffects, ControlColourEffectsOnText)
{
    EXPECT_EQ(AdjustTextColorRGB(0x123456, clNone, 0, 0), 0x123456) << "no effects";
    // A red tone: the colour's brightest channel scaled by the tone's channels.
    EXPECT_EQ(AdjustTextColorRGB(0x808080, 0x0000FF, 0, 0), 0x00007F);
    // Pure red shifted by 120 degrees is pure green.
    EXPECT_EQ(AdjustTextColorRGB(0x0000FF, clNone, 120, 0), 0x00FF00);
    // Saturation -100 % (x 256 / 100 = -256) makes a grey, within the scale's rounding.
    const uint32_t grey = uint32_t(AdjustTextColorRGB(0x0000FF, clNone, 0, -100));
    EXPECT_NEAR(int(grey & 0xFF), int((grey >> 8) & 0xFF), 1);
    EXPECT_NEAR(int(grey & 0xFF), int((grey >> 16) & 0xFF), 1);
}
