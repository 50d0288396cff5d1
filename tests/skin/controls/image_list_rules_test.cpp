// Image list rules: the format a file's first bytes and extension name, the colour translation,
// the state cell drawn for any state and count, and the image control's sizes and places.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/controls/core/image_list_rules.h"

namespace {

const std::vector<uint8_t> Png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
const std::vector<uint8_t> Ico = {0, 0, 1, 0, 18, 0, 16, 16};
const std::vector<uint8_t> Bmp = {'B', 'M', 0x36, 0x04, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> Jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'};

std::vector<uint8_t> Cut(const std::vector<uint8_t>& v, size_t n) { return {v.begin(), v.begin() + long(n)}; }

}  // namespace

TEST(ImageListRules, FormatFromHeaderAndExtension)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const wchar_t* name;
        bool known;
        TsImageFormat format;
    } cases[] = {
        {"png", Png, L"logo.png", true, ifPNG},
        {"png named .ico: the signature comes first", Png, L"C:\\x\\logo.ico", true, ifPNG},
        {"png of exactly 8 bytes is too short", Cut(Png, 8), L"a.png", false, ifPNG},
        {"png of 9 bytes", Cut(Png, 9), L"a.png", true, ifPNG},
        {"icon", Ico, L"status.ico", true, ifICO},
        {"icon, extension upper case", Ico, L"STATUS.ICO", true, ifICO},
        {"icon, mixed case", Ico, L"Status.IcO", true, ifICO},
        {"cursor with zero start is rejected", Ico, L"arrow.cur", false, ifPNG},
        {"zero start without extension", Ico, L"noext", false, ifPNG},
        {"dot in a folder is no extension", Ico, L"C:\\a.ico\\file", false, ifPNG},
        {"icon of 2 bytes is too short", Cut(Ico, 2), L"a.ico", false, ifPNG},
        {"icon of 3 bytes", Cut(Ico, 3), L"a.ico", true, ifICO},
        {"bitmap", Bmp, L"pic.bmp", true, ifBMP32},
        {"bitmap with another extension", Bmp, L"pic.dat", true, ifBMP32},
        {"bitmap of 2 bytes", Cut(Bmp, 2), L"pic.bmp", false, ifPNG},
        {"jpeg is unknown", Jpeg, L"photo.png", false, ifPNG},
        {"empty", {}, L"a.png", false, ifPNG},
    };
    for (const Case& c : cases) {
        const size_t head = std::min<size_t>(8, c.bytes.size());
        TsImageFormat f = ifPNG;
        const std::wstring name = c.name;
        const bool known = DetectImageFormat(c.bytes.data(), int64_t(c.bytes.size()), FileExtensionOf(name), f);
        EXPECT_EQ(known, c.known) << c.what;
        if (known && c.known) EXPECT_EQ(f, c.format) << c.what;
        (void)head;
    }
}

TEST(ImageListRules, SignatureComparesAtMostEightBytes)
{
    // A 12-byte signature whose tail differs still matches: only 8 bytes are compared.
    const uint8_t sig[12] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 9, 9, 9, 9};
    EXPECT_TRUE(StartsWithSignature(Png.data(), int64_t(Png.size()), sig, 12));
    EXPECT_FALSE(StartsWithSignature(Png.data(), 8, sig, 12));
    EXPECT_FALSE(StartsWithSignature(nullptr, 0, sig, 2));
}

TEST(ImageListRules, ColourTranslation)
{
    struct Case {
        uint32_t in, want;
    } cases[] = {{0xFF000000u, 0x20000000u}, {0xFFFFFFFFu, 0x1FFFFFFFu}, {0x00123456u, 0x00123456u}, {0u, 0u}};
    for (const Case& c : cases) EXPECT_EQ(ImageListColorToColor(c.in), c.want) << std::hex << c.in;
}

TEST(ImageListRules, StateCells)
{
    struct Case {
        const char* what;
        int width, state, count;
        TRect dest, source;
        TSize size;
    } cases[] = {
        {"no count: the whole image", 48, 0, 0, TRect(10, 5, 58, 21), TRect(0, 0, 48, 16), TSize(48, 16)},
        {"negative count: the whole image", 48, 2, -3, TRect(10, 5, 58, 21), TRect(0, 0, 48, 16), TSize(48, 16)},
        {"second of three", 48, 1, 3, TRect(10, 5, 26, 21), TRect(16, 0, 32, 16), TSize(16, 16)},
        {"state 5 of 3 is the last", 48, 5, 3, TRect(10, 5, 26, 21), TRect(32, 0, 48, 16), TSize(16, 16)},
        {"state -1 is not raised", 48, -1, 3, TRect(10, 5, 26, 21), TRect(-16, 0, 0, 16), TSize(16, 16)},
        {"uneven width cuts the rest", 50, 2, 3, TRect(10, 5, 26, 21), TRect(32, 0, 48, 16), TSize(16, 16)},
    };
    for (const Case& c : cases) {
        const TacImageCell cell = ImageStateCell(c.width, 16, 10, 5, c.state, c.count);
        EXPECT_EQ(TRect(cell.Dest), c.dest) << c.what;
        EXPECT_EQ(TRect(cell.Source), c.source) << c.what;
        EXPECT_EQ(cell.Size, c.size) << c.what;
    }
}

TEST(ImageListRules, CellLeftOfTheStripDrawsTheFirstCellFurtherLeft)
{
    TacImageCell cell = ImageStateCell(48, 16, 20, 5, -1, 3);
    ClipCellToStrip(cell, 48, 16);
    EXPECT_EQ(TRect(cell.Dest), TRect(4, 5, 20, 21));
    EXPECT_EQ(TRect(cell.Source), TRect(0, 0, 16, 16));

    // A made strip smaller than asked limits the source.
    TacImageCell last = ImageStateCell(48, 16, 0, 0, 2, 3);
    ClipCellToStrip(last, 40, 12);
    EXPECT_EQ(TRect(last.Source), TRect(32, 0, 40, 12));
}

TEST(ImageListRules, IconResampleSizeKeepsTheAspectThroughTheListsScaling)
{
    struct Case {
        int w, h;
        TSize want;
    } cases[] = {{16, 16, {16, 16}}, {26, 24, {26, 28}}, {24, 26, {28, 26}}, {32, 16, {32, 64}}, {0, 16, {0, 0}}};
    for (const Case& c : cases) EXPECT_EQ(IconResampleSize(c.w, c.h), c.want) << c.w << " x " << c.h;
}

TEST(ImageListRules, ImageBoxSizes)
{
    struct Case {
        const char* what;
        TacImageBoxInput in;
        TSize want;
    } cases[] = {
        {"not stretched: own size", {{512, 512}, {38, 36}}, {512, 512}},
        {"stretched, not proportional", {{512, 512}, {38, 36}, true}, {38, 36}},
        {"stretched, proportional, square into wide", {{512, 512}, {38, 36}, true, true}, {36, 36}},
        {"proportional, wide into tall", {{200, 100}, {40, 100}, true, true}, {40, 20}},
        {"proportional, wide too high for the box", {{200, 100}, {240, 80}, true, true}, {160, 80}},
        {"proportional, tall too wide for the box", {{100, 300}, {20, 90}, true, true}, {20, 60}},
        {"reflected keeps two thirds of the height", {{16, 16}, {30, 30}, true, false, true}, {30, 20}},
        {"reflected, proportional", {{16, 16}, {30, 30}, true, true, true}, {20, 20}},
        {"zero base side is not stretched", {{0, 16}, {30, 30}, true}, {0, 16}},
        // r = 3 / 2: 5 / r = 3.333 -> 3; r x 3 = 4.5 -> 4 (the even neighbour).
        {"half rounds to even", {{3, 2}, {5, 3}, true, true}, {5, 3}},
        {"half rounds to even, height bound", {{3, 2}, {9, 3}, true, true}, {4, 3}},
    };
    for (const Case& c : cases) EXPECT_EQ(ImageBoxSize(c.in), c.want) << c.what;
}

TEST(ImageListRules, ImageBoxPositions)
{
    struct Case {
        const char* what;
        TSize size, box;
        bool stretch, proportional, center, full;
        TPoint want;
    } cases[] = {
        {"stretched, not proportional: top left", {38, 36}, {38, 36}, true, false, true, false, {0, 0}},
        {"proportional, centred", {36, 36}, {38, 36}, true, true, true, false, {1, 0}},
        {"not centred", {16, 16}, {38, 36}, false, false, false, false, {0, 0}},
        {"centred", {16, 16}, {38, 36}, false, false, true, false, {11, 10}},
        {"centred with the reflection", {16, 16}, {38, 36}, false, false, true, true, {11, 6}},
        {"larger than the box", {40, 40}, {20, 20}, false, false, true, false, {-10, -10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageBoxPosition(c.size, c.box, c.stretch, c.proportional, c.center, c.full), c.want) << c.what;
}

TEST(ImageListRules, OldSystemRepairOnlyBeforeVersion6)
{
    struct Case {
        const char* what;
        int major, bits;
        bool manager, checkEmptyAlpha, repaired;
    } cases[] = {
        {"version 6, 16-bit screen, no manager", 6, 16, false, true, false},
        {"version 10, everything asking", 10, 8, false, true, false},
        {"version 5, 16-bit screen", 5, 16, true, false, true},
        {"version 5, 32-bit screen, no manager", 5, 32, false, false, true},
        {"version 5, 32-bit screen, manager checks empty alpha", 5, 32, true, true, true},
        {"version 5, 32-bit screen, manager does not check", 5, 32, true, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NeedsOldSystemRepair(c.major, c.bits, c.manager, c.checkEmptyAlpha), c.repaired) << c.what;
}

TEST(ImageListRules, EmptyAlphaRepair)
{
    struct Case {
        const char* what;
        std::vector<uint32_t> in, out;
        bool changed;
    } cases[] = {
        {"no alpha: opaque but the key colour", {0x00102030, 0x00FF00FF, 0x00000000},
         {0xFF102030, 0x00FF00FF, 0xFF000000}, true},
        {"one pixel with alpha: left alone", {0x00102030, 0x01000000, 0x00FFFFFF},
         {0x00102030, 0x01000000, 0x00FFFFFF}, false},
        {"key colour with alpha is not the key", {0x80FF00FF, 0x00000000}, {0x80FF00FF, 0x00000000}, false},
        {"empty", {}, {}, false},
    };
    for (Case& c : cases) {
        std::vector<uint32_t> px = c.in;
        EXPECT_EQ(RepairEmptyAlpha(px.data(), px.size()), c.changed) << c.what;
        EXPECT_EQ(px, c.out) << c.what;
    }
}

TEST(ImageListRules, TintFollowsTheBrightestChannel)
{
    struct Case {
        const char* what;
        uint32_t pixel, colour, tinted;   // pixel 0xAARRGGBB, colour 0x00BBGGRR
    } cases[] = {
        {"white, opaque: the colour (x 255 / 256)", 0xFFFFFFFF, 0x00804020, 0xFF1F3F7F},
        {"black stays black, alpha kept", 0x80000000, 0x00804020, 0x80000000},
        {"brightest channel blue 128: half the colour", 0xC0000080, 0x00FFFFFF, 0xC07F7F7F},
        {"key colour untouched", 0xFFFF00FF, 0x00804020, 0xFFFF00FF},
        {"red channel of the colour lands in the red byte", 0xFF00FF00, 0x000000FF, 0xFFFE0000},
    };
    for (const Case& c : cases) EXPECT_EQ(TintPixelByBrightness(c.pixel, c.colour), c.tinted) << c.what;
}
