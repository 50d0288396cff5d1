// Loading skin images onto pixel buffers: the key colour rules of each picture kind, what an
// image record holds, bad definitions and files, the shared cache, and colour adjustment that
// keeps masks and the key colour.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "skin/engine/core/skin_adjust.h"
#include "skin/engine/core/skin_images.h"
#include "tests/skin/engine/image_fixture.h"
#include "vcl/inifiles.h"

using namespace fixture;

namespace {

struct Loaded {
    TPixelImage master;
    std::vector<TsMaskData> images;
    TacBmpArray cache;
    std::vector<String> notes;
    const TsMaskData* Find(const String& section, const String& key) const
    {
        for (const TsMaskData& m : images)
            if (m.ClassName == section && m.PropertyName == key) return &m;
        return nullptr;
    }
};

std::unique_ptr<Loaded> Load(const String& text, const TPixelImage* master,
                             const std::map<String, std::vector<uint8_t>>& files = {}, int brightness = 0, int ppi = 96)
{
    auto r = std::make_unique<Loaded>();
    if (master) r->master = *master;
    TMemIniFile d{String()};
    d.SetText(text);
    TacImageLoadContext ctx;
    ctx.Description = &d;
    ctx.Master = &r->master;
    ctx.ReadFile = [&](const String& name, std::vector<uint8_t>& b) {
        auto it = files.find(name);
        if (it == files.end()) return false;
        b = it->second;
        return true;
    };
    ctx.Notes = &r->notes;
    ctx.Brightness = brightness;
    ctx.PPI = ppi;
    ctx.ScaleValue = ppi <= 110 ? 0 : ppi <= 134 ? 1 : ppi <= 170 ? 2 : 3;
    ctx.MainColor = 0x203040;
    LoadAllMasks(ctx, r->images, r->cache);
    SetImageSizes(r->images);
    return r;
}

const String BorderKey = L"[BUTTON]\nBORDERSMASK=^0010^0005^0100^0025^0004^0004^0004^0004^3^0^1\n";

// Every pixel of the loaded border image: key corners transparent (magenta, alpha 0), slices opaque.
void ExpectFixturePixels(const TPixelView& v, int x0, int y0)
{
    for (int f = 0; f < Frames; ++f)
        for (int y = 0; y < FrameH; ++y)
            for (int x = 0; x < FrameW; ++x) {
                bool corner = (x < KeyCorner || x >= FrameW - KeyCorner) && (y < KeyCorner || y >= FrameH - KeyCorner);
                uint32_t want = corner ? KeyPixel : SliceColor(f, SliceOf(x, FrameW), SliceOf(y, FrameH));
                ASSERT_EQ(v.At(x0 + f * FrameW + x, y0 + y), want) << f << ":" << x << "," << y;
            }
}

}  // namespace

TEST(SkinImages, MasterKeyRulesForEachPictureKind)
{
    TPixelImage drawn = BorderImage(120, 40, 10, 5);
    // A half-transparent pixel and a transparent magenta that alpha pictures keep as they are.
    TPixelImage withAlpha = drawn;
    withAlpha.At(0, 0) = 0x80112233u;
    withAlpha.At(1, 0) = 0x40FF00FFu;
    struct Case {
        const char* what;
        String name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"24-bit BMP", L"Master.bmp", EncodeBmp24(drawn)},
        {"PNG without alpha", L"MASTER.PNG", EncodePng(drawn, false)},
        {"PNG with alpha", L"master.png", EncodePng(withAlpha, true)},
    };
    for (const Case& c : cases) {
        TPixelImage m = DecodeMasterBitmap(c.name, c.bytes);
        ASSERT_EQ(m.Width(), 120) << c.what;
        ExpectFixturePixels(m.View(), 10, 5);
        EXPECT_EQ(m.At(119, 39), 0xFF101010u) << c.what;
    }
    TPixelImage m = DecodeMasterBitmap(L"master.png", cases[2].bytes);
    EXPECT_EQ(m.At(0, 0), 0x80112233u);
    EXPECT_EQ(m.At(1, 0), 0x40FF00FFu);
}

TEST(SkinImages, ImageFileKeyRules)
{
    TPixelImage drawn = BorderImage(90, 20, 0, 0);
    TPixelImage half(2, 1, 0x80C86432u);   // straight colour (200, 100, 50) at alpha 128
    std::map<String, std::vector<uint8_t>> files = {
        {L"F.BMP", EncodeBmp24(drawn)}, {L"G.PNG", EncodePng(half, true)}, {L"B.PNG", EncodePng(half, true)}};
    auto r = Load(L"[A]\nBORDERSMASK=!F.BMP!3!0!0!0004!0004!0004!0004!1\nGLYPHMASK=!G.PNG!1!0!4\n"
                  L"[B]\nBORDERSMASK=!B.PNG!1!0!0!0000!0000!0000!0000!1\n",
                  nullptr, files);
    const TsMaskData* border = r->Find(L"A", L"BORDERSMASK");
    ASSERT_TRUE(border && border->Bmp);
    ExpectFixturePixels(border->Bmp->View(), 0, 0);
    EXPECT_EQ(border->Cfg, 1);
    // A PNG glyph is kept premultiplied; a PNG border is not.
    const TsMaskData* glyph = r->Find(L"A", L"GLYPHMASK");
    ASSERT_TRUE(glyph && glyph->Bmp);
    EXPECT_EQ(glyph->Bmp->At(0, 0), 0x80643219u);
    EXPECT_EQ(r->Find(L"B", L"BORDERSMASK")->Bmp->At(0, 0), 0x80C86432u);
    // With a positive brightness the glyph stays straight (brightness premultiplies it later).
    auto bright = Load(L"[A]\nGLYPHMASK=!G.PNG!1!0!4\n", nullptr, files, 20);
    EXPECT_EQ(bright->Find(L"A", L"GLYPHMASK")->Bmp->At(0, 0), 0x80C86432u);
}

TEST(SkinImages, BorderImageOfTheMaster)
{
    TPixelImage master = BorderImage(120, 40, 10, 5);
    for (TPixelImage* m : {&master}) {
        TPixelImage loaded = DecodeMasterBitmap(L"m.bmp", EncodeBmp24(*m));
        auto r = Load(BorderKey, &loaded);
        ASSERT_EQ(r->images.size(), 1u);
        const TsMaskData& b = r->images[0];
        EXPECT_EQ(b.Bmp, nullptr);
        EXPECT_EQ(b.R, TRect(10, 5, 100, 25));
        EXPECT_EQ(b.ImageCount, 3);
        EXPECT_EQ(b.Width, FrameW);
        EXPECT_EQ(b.Height, FrameH);
        EXPECT_EQ((std::array<int, 4>{b.WL, b.WT, b.WR, b.WB}), (std::array<int, 4>{4, 4, 4, 4}));
        EXPECT_EQ(b.Cfg, 1);
        EXPECT_EQ(b.SkinIndex, 0);
        EXPECT_EQ(b.DrawMode, 1);
        EXPECT_EQ(b.MulPPi, 96);
        EXPECT_EQ(b.DivPPI, 96);
    }
}

TEST(SkinImages, CornersWithoutKeyAndTheHugeButton)
{
    TPixelImage plain(90, 20, 0xFF203040u);
    auto r = Load(L"[BUTTON_HUGE]\nBORDERSMASK=^0000^0000^0090^0020^0004^0004^0004^0004^3^0^1\n", &plain);
    EXPECT_EQ(r->images.at(0).Cfg, 0);
    // Border widths wider than the frame are clipped before the corner boxes are scanned.
    auto wide = Load(L"[X]\nBORDERSMASK=^0000^0000^0090^0020^0099^0099^0099^0099^3^0^1\n", &plain);
    const TsMaskData& w = wide->images.at(0);
    EXPECT_EQ((std::array<int, 4>{w.WL, w.WT, w.WR, w.WB}), (std::array<int, 4>{29, 19, 29, 19}));
    TsMaskData huge = r->images.at(0);
    EXPECT_EQ(CornerKeyTest(huge, plain.View(), 0), 2);
    EXPECT_EQ(CornerKeyTest(huge, plain.View(), -1), 0);
}

// Bad definitions: the image is left out with a note naming section and key, or the load fails
// with a message naming them; nothing reads outside a bitmap.
TEST(SkinImages, BadDefinitionsAndFiles)
{
    TPixelImage master = BorderImage(120, 40, 10, 5);
    std::map<String, std::vector<uint8_t>> files = {{L"BROKEN.PNG", {0x89, 'P', 'N', 'G', 1, 2, 3}},
                                                    {L"BROKEN.BMP", {'B', 'M', 0, 0}},
                                                    {L"ODD.TGA", {1, 2, 3}}};
    struct Case { const wchar_t* value; const char* note; } dropped[] = {
        {L"^0100^0005^0130^0025^0004^0004^0004^0004^3^0^1", "not inside"},   // right edge past the master
        {L"^0010^0030^0100^0050^0004^0004^0004^0004^3^0^1", "not inside"},   // bottom past the master
        {L"^0050^0005^0010^0025^0004^0004^0004^0004^3^0^1", "not inside"},   // right before left
        {L"@-001@0000@0010@0010@1@0", "not inside"},
        {L"!MISSING.BMP!1!0!0!0001!0001!0001!0001!0", "MISSING.BMP is missing"},
        {L"!BROKEN.PNG!1!0!4", "BROKEN.PNG"},
        {L"!BROKEN.BMP!1!0!0!0001!0001!0001!0001!0", "BROKEN.BMP"},
    };
    for (const Case& c : dropped) {
        auto r = Load(String(L"[SEC]\nKEY=") + c.value + L"\n", &master, files);
        EXPECT_TRUE(r->images.empty()) << ToUtf8(c.value);
        ASSERT_EQ(r->notes.size(), 1u) << ToUtf8(c.value);
        EXPECT_THAT(ToUtf8(r->notes[0]), ::testing::HasSubstr("[SEC] KEY")) << ToUtf8(c.value);
        EXPECT_THAT(ToUtf8(r->notes[0]), ::testing::HasSubstr(c.note)) << ToUtf8(c.value);
    }
    // A frame count of 0 is one frame; an unknown picture kind stays with size 0.
    auto zero = Load(L"[SEC]\nKEY=^0010^0005^0100^0025^0000^0000^0000^0000^0^0^1\nODD=!ODD.TGA!1!0!1\n", &master, files);
    ASSERT_EQ(zero->images.size(), 2u);
    EXPECT_EQ(zero->images[0].ImageCount, 1);
    EXPECT_EQ(zero->images[0].Width, 90);
    EXPECT_EQ(zero->images[1].Width, 0);
    // A canonical form that cannot be read fails the load and names where it stands.
    try {
        Load(L"[SEC]\nKEY=&00X4\n", &master);
        ADD_FAILURE() << "accepted";
    } catch (const ESkinImageError& e) {
        EXPECT_THAT(ToUtf8(e.Message()), ::testing::HasSubstr("KEY in section [SEC]"));
    }
}

TEST(SkinImages, WhichKeysAreImages)
{
    TPixelImage master = BorderImage(120, 40, 10, 5);
    std::map<String, std::vector<uint8_t>> files = {{L"T.BMP", EncodeBmp24(TPixelImage(4, 4, 0xFF0000FFu))}};
    auto r = Load(L"[GLOBALINFO]\nMASTERBITMAP=T.BMP\nDESCRIPTION=plain text\nX=T.BMP\nMASTERBITMAP=T.BMP\n"
                  L"[A]\nBORDERSMASK=N/A\nP=X.PNG\nQ*150=T.BMP\nR=T.BMP\n[GLOBALINFO]\n",
                  &master, files);
    std::vector<std::string> found;
    for (const TsMaskData& m : r->images) found.push_back(ToUtf8(m.ClassName + L"." + m.PropertyName));
    // The first MASTERBITMAP of GLOBALINFO is no image; a bare .PNG is none; "*" keys are variants.
    EXPECT_THAT(found, ::testing::ElementsAre("GLOBALINFO.X", "A.R"));
    EXPECT_EQ(r->images[0].ImgType, TacImgType::itisaTexture);
}

TEST(SkinImages, SectionsUsingOneFileShareItsBitmap)
{
    std::map<String, std::vector<uint8_t>> files = {{L"T.BMP", EncodeBmp24(TPixelImage(8, 8, 0xFF0000FFu))}};
    auto r = Load(L"[A]\nPATTERN=T.BMP\n[B]\nPATTERN=T.BMP\nHOTPATTERN=!T.BMP!1!0!1\n", nullptr, files);
    ASSERT_EQ(r->images.size(), 3u);
    EXPECT_EQ(r->cache.size(), 1u);
    EXPECT_EQ(r->images[0].Bmp, r->images[1].Bmp);
    EXPECT_EQ(r->images[2].Bmp, r->images[0].Bmp);
}

TEST(SkinImages, BrightnessKeepsMasksAndTheKey)
{
    // A masked image in the master (colour part over mask part) and one in a file.
    TPixelImage master(40, 20, 0xFF808080u);
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 10; ++x) master.At(x, y) = 0xFF000000u | uint32_t(x * 25) * 0x010101u;
    master.At(20, 0) = KeyPixel;
    TPixelImage file(10, 20, 0xFF604020u);
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 10; ++x) file.At(x, y) = 0xFF000000u | uint32_t(y * 12) * 0x010101u;
    std::map<String, std::vector<uint8_t>> files = {{L"M.BMP", EncodeBmp24(file)}};
    auto r = Load(L"[A]\nBORDERSMASK=^0000^0000^0010^0020^0002^0002^0002^0002^1^1^5\n"
                  L"[B]\nBORDERSMASK=!M.BMP!1!1!0!0002!0002!0002!0002!5\n",
                  &master, files);
    ASSERT_EQ(r->images.size(), 2u);
    const TPixelImage masterBefore = r->master;
    const TPixelImage fileBefore = *r->cache.at(0).Bmp;
    TacAdjustableData data{&r->cache, nullptr};
    std::vector<const std::vector<TsMaskData>*> all = {&r->images};
    ApplyBrightness(r->master, all, data, 30, false);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x) {
            if (y >= 10) {
                ASSERT_EQ(r->master.At(x, y), masterBefore.At(x, y)) << x << "," << y;
                ASSERT_EQ(r->cache[0].Bmp->At(x, y), fileBefore.At(x, y)) << x << "," << y;
            } else {
                ASSERT_NE(r->master.At(x, y), masterBefore.At(x, y)) << x << "," << y;
                ASSERT_NE(r->cache[0].Bmp->At(x, y), fileBefore.At(x, y)) << x << "," << y;
            }
        }
    EXPECT_EQ(r->master.At(20, 0), KeyPixel);
    EXPECT_NE(r->master.At(30, 0), masterBefore.At(30, 0));
}

TEST(SkinImages, SaturationAndHueSpareTheKeyAndKeptIcons)
{
    TPixelImage master(20, 10, 0xFF2050C0u);
    master.At(0, 0) = KeyPixel;
    TPixelImage saturated = master;
    TacAdjustableData none;
    ApplySaturation(saturated, none, -100);
    uint32_t p = saturated.At(5, 5);
    EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
    EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);
    EXPECT_EQ(saturated.At(0, 0), KeyPixel);

    TPixelImage hued = master;
    ApplyHueOffset(hued, {TRect(10, 0, 20, 10)}, none, {}, 180);
    EXPECT_NE(hued.At(5, 5), master.At(5, 5));
    EXPECT_EQ(hued.At(15, 5), master.At(15, 5));
    EXPECT_EQ(hued.At(0, 0), KeyPixel);

    // Section colours: gradients turn only where shown; -1 stays.
    std::vector<TsGeneralData> sections(1);
    sections[0].Props[0].Color = 0x0000FF;
    sections[0].Props[0].FontColor.Left = -1;
    sections[0].Props[0].GradientArray = {TsGradPoint{0, 0, TsColor{0x0000FFu}, 0}};
    TacAdjustableData data{nullptr, &sections};
    ApplyHueOffset(master, {}, data, {}, 120);
    EXPECT_NE(sections[0].Props[0].Color, 0x0000FF);
    EXPECT_EQ(sections[0].Props[0].FontColor.Left, -1);
    EXPECT_EQ(sections[0].Props[0].GradientArray[0].Color.C, 0x0000FFu);
}

TEST(SkinImages, KeptTitleIcons)
{
    EXPECT_TRUE(KeptTitleIconKeys(0).empty());
    EXPECT_EQ(KeptTitleIconKeys(2).size(), 3u);
    EXPECT_EQ(KeptTitleIconKeys(1).size(), 10u);
}

// The resampler is exact to one step per channel on flat areas.
::testing::AssertionResult Near(uint32_t got, uint32_t want)
{
    for (int i = 0; i < 32; i += 8) {
        int d = int((got >> i) & 0xFF) - int((want >> i) & 0xFF);
        if (d < -1 || d > 1)
            return ::testing::AssertionFailure() << std::hex << got << " is not " << want;
    }
    return ::testing::AssertionSuccess();
}

// At 144 PPI an image drawn for 96 gets a bitmap of its own, half as large again: slice centres
// keep their colours, borders of 4 become 6, key corners stay transparent.
TEST(SkinImages, RescaledFor144Ppi)
{
    TPixelImage master = DecodeMasterBitmap(L"m.bmp", EncodeBmp24(BorderImage(120, 40, 10, 5)));
    auto r = Load(BorderKey, &master, {}, 0, 144);
    ASSERT_EQ(r->images.size(), 1u);
    const TsMaskData& b = r->images[0];
    ASSERT_TRUE(b.Bmp);
    EXPECT_EQ(b.Bmp->Width(), 135);
    EXPECT_EQ(b.Bmp->Height(), 30);
    EXPECT_EQ(b.Width, 45);
    EXPECT_EQ(b.Height, 30);
    EXPECT_EQ((std::array<int, 4>{b.WL, b.WT, b.WR, b.WB}), (std::array<int, 4>{6, 6, 6, 6}));
    EXPECT_EQ(b.DivPPI, 96);
    EXPECT_EQ(b.MulPPi, 144);
    EXPECT_EQ(b.Cfg, 1);
    ASSERT_EQ(r->cache.size(), 1u);
    EXPECT_EQ(r->cache[0].SrcRect, TRect(10, 5, 100, 25));
    const int centres[3] = {3, 22, 42};   // x of the left, middle, right slice in a 45-wide frame
    const int rows[3] = {3, 15, 27};
    for (int f = 0; f < Frames; ++f) {
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row) {
                if (col != 1 && row != 1) continue;   // corners hold the key at their outer edge
                EXPECT_TRUE(Near(b.Bmp->At(f * 45 + centres[col], rows[row]), SliceColor(f, col, row))) << f << col << row;
            }
        EXPECT_EQ(b.Bmp->At(f * 45, 0), KeyPixel) << f;
        EXPECT_EQ(b.Bmp->At(f * 45 + 44, 29), KeyPixel) << f;
    }
    // Two images of one part share the rescaled bitmap.
    auto twice = Load(BorderKey + L"[OTHER]\nBORDERSMASK=^0010^0005^0100^0025^0004^0004^0004^0004^3^0^1\n", &master, {}, 0, 144);
    ASSERT_EQ(twice->images.size(), 2u);
    EXPECT_EQ(twice->images[0].Bmp, twice->images[1].Bmp);
    EXPECT_EQ(twice->images[1].WL, 6);
}

TEST(SkinImages, WhatIsNotRescaled)
{
    TPixelImage master = DecodeMasterBitmap(L"m.bmp", EncodeBmp24(BorderImage(120, 40, 10, 5)));
    struct Case { const wchar_t* value; const char* why; } cases[] = {
        {L"^0010^0005^0100^0025^0001^0004^0001^0004^3^0^1", "left and right borders add up to 2"},
        {L"^0010^0005^0100^0025^0004^0004^0004^0004^3^0^9", "drawing mode 8: never rescaled"},
        {L"^0010^0005^0012^0025^0000^0004^0000^0004^1^0^1", "a frame under 3 pixels"},
    };
    for (auto c : cases) {
        auto r = Load(String(L"[A]\nBORDERSMASK=") + c.value + L"\n", &master, {}, 0, 144);
        ASSERT_EQ(r->images.size(), 1u) << c.why;
        EXPECT_EQ(r->images[0].Bmp, nullptr) << c.why;
    }
    // A value drawn for 150 % is used as drawn.
    auto star = Load(L"[A]\nBORDERSMASK=^0010^0005^0100^0025^0004^0004^0004^0004^3^0^1\n"
                     L"BORDERSMASK*150=^0010^0005^0100^0025^0002^0002^0002^0002^3^0^1\n", &master, {}, 0, 144);
    ASSERT_EQ(star->images.size(), 1u);
    EXPECT_EQ(star->images[0].Bmp, nullptr);
    EXPECT_EQ(star->images[0].DivPPI, 144);
    EXPECT_EQ(star->images[0].WL, 2);
}

TEST(SkinImages, RescalingTexturesAndMasks)
{
    // A texture keeps its key-coloured pixels as they are (no transparent main colour).
    TPixelImage tex(8, 8, 0xFF0000FFu);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x) tex.At(x, y) = 0xFFFF00FFu;
    std::map<String, std::vector<uint8_t>> files = {{L"T.BMP", EncodeBmp24(tex)}};
    auto r = Load(L"[A]\nPATTERN=T.BMP\n", nullptr, files, 0, 144);
    ASSERT_TRUE(r->images.at(0).Bmp);
    EXPECT_EQ(r->images[0].Bmp->Width(), 12);
    const uint32_t kept = r->images[0].Bmp->At(1, 4);
    EXPECT_GT(kept & 0xFF, 240u);
    EXPECT_LT((kept >> 8) & 0xFF, 10u);
    EXPECT_GT((kept >> 16) & 0xFF, 240u);
    // A masked image of total height 41: a colour part of 20 rows, 30 after scaling, over its mask.
    TPixelImage m(30, 41, 0xFF406080u);
    for (int y = 20; y < 41; ++y)
        for (int x = 0; x < 30; ++x) m.At(x, y) = 0xFF000000u;
    TPixelImage loaded = DecodeMasterBitmap(L"m.bmp", EncodeBmp24(m));
    auto masked = Load(L"[A]\nBORDERSMASK=^0000^0000^0030^0041^0004^0004^0004^0004^1^1^1\n", &loaded, {}, 0, 144);
    const TsMaskData& im = masked->images.at(0);
    ASSERT_TRUE(im.Bmp);
    EXPECT_EQ(im.Bmp->Height(), 60);
    EXPECT_EQ(im.Height, 30);
    EXPECT_TRUE(Near(im.Bmp->At(20, 15), 0xFF406080u));
    EXPECT_TRUE(Near(im.Bmp->At(20, 45), 0xFF000000u));
}
