// Colour arithmetic of the skin's pixels.
#include <gtest/gtest.h>

#include <vector>

#include "skin/graphics/colors.h"

TEST(Colors, PureFunctions)
{
    struct Case {
        const char* name;
        uint32_t got, want;
    } cases[] = {
        {"mix weight 255 loses one step", MixColors(0xFFFFFF, 0x000000, 255), 0xFEFEFE},
        {"mix 128 of 200 and 100", MixColors(200, 100, 128) & 0xFF, 149},
        {"mix keeps byte 3 of the first", MixColors(0xAB000000, 0x12FFFFFF, 0) >> 24, 0xAB},
        {"brightness +256 doubles", ChangeBrightness(0x7F102040, 256), 0x7F204080},
        {"brightness +256 stops at 255", ChangeBrightness(0x00FF90, 256), 0x00FFFF},
        {"brightness -256 gives black", ChangeBrightness(0x5Affffff, -256), 0x5A000000},
        {"saturation 0 is bit for bit", ChangeSaturation(0x12345678, 0), 0x12345678},
        {"saturation -255 gives grey", SaturateColor(-255, 0x000000FF) & 0xFFFFFF, 0x1C1C1C},   // luma 29 -> 29*255>>8 = 28
        {"hue 0 returns at once", ShiftHue(0, 0x12345678), 0x12345678},
        {"hue 360 keeps red", ShiftHue(360, 0x0000FF), 0x0000FF},
        {"hue 120 red to green", ShiftHue(120, 0x0000FF), 0x00FF00},
        {"hue leaves grey alone", ShiftHue(77, 0x808080), 0x808080},
        {"hue of a pixel: blue is byte 0", ShiftHueBGR(120, 0xFF0000), 0x00FF00},
        {"hue -90 turns red purple, not magenta", ShiftHue(-90, 0x0000FF), 0xFF007F},
        {"hue -450 is -90 once more", ShiftHue(-450, 0x0000FF), 0xFF007F},
        {"hue -120 red to blue", ShiftHue(-120, 0x0000FF), 0xFF0000},
        {"hue +270 agrees with -90", ShiftHue(270, 0x0000FF), 0xFF007F},
        {"tone reads the other order", ToneColor(0x000080, 0x0000FF), 0x7F0000},
        {"exchange red and blue", ExchangeRedBlue(0x112233), 0x332211},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(Colors, PixelPassesSkipTheKeyByWholeWord)
{
    // magenta with alpha 0 is the key; magenta with alpha 255 is an ordinary pixel
    std::vector<uint32_t> px = {0x00FF00FF, 0xFFFF00FF, 0x00102030};
    ForEachPixelRows(reinterpret_cast<uint8_t*>(px.data()), 0, 3, 1, AdjustPixelBrightness, -256, 0xFF00FF);
    EXPECT_EQ(px[0], 0x00FF00FFu);
    EXPECT_EQ(px[1], 0xFF000000u);
    EXPECT_EQ(px[2], 0x00000000u);

    std::vector<uint32_t> g = {0x80FF0000, 0x00FF00FF};
    GrayscaleRows(reinterpret_cast<uint8_t*>(g.data()), 0, 2, 1, 0xFF00FF);
    EXPECT_EQ(g[0], 0x804C4C4Cu);   // luma of pure red (byte 2), alpha kept
    EXPECT_EQ(g[1], 0x00FF00FFu);
}
