// Outer effects: the window effects' keys with their defaults and limits, images generated or
// taken from the skin (scaled when the step has no value of its own), and the sections' own.
#include <gtest/gtest.h>

#include "skin/engine/core/skin_outer.h"
#include "vcl/inifiles.h"

namespace {

struct Fixture {
    TMemIniFile d{String()};
    TPixelImage master{64, 64, 0xFF336699u};
    std::vector<TsMaskData> images;
    TacBmpArray cache;
    std::vector<String> notes;
    TacOuterContext ctx;
    int ppi;

    explicit Fixture(const String& text, int ppi_ = 96) : ppi(ppi_)
    {
        d.SetText(text);
        ctx.Images = &images;
        ctx.Cache = &cache;
        ctx.Master = &master;
        ctx.Description = &d;
        ctx.PPI = ppi;
        ctx.ScaleValue = ppi == 144 ? 2 : 0;
        ctx.ScaleInt = [this](int v) { return ppi == 144 ? v + v / 2 : v; };
        ctx.Notes = &notes;
    }
    TacOutEffData Read(bool shadow)
    {
        return ReadOuterEffect(d, shadow, ctx.ScaleInt, [](TColor c) { return c; });
    }
};

}  // namespace

TEST(SkinOuter, DefaultsAreGeneratedEffects)
{
    Fixture f(L"[GLOBALINFO]\nVERSION=8\n");
    TacOutEffData lo = f.Read(false), sh = f.Read(true);
    EXPECT_EQ((std::array<int, 4>{lo.OffsetL, lo.OffsetR, lo.OffsetT, lo.OffsetB}), (std::array<int, 4>{2, 2, 2, 4}));
    EXPECT_EQ((std::array<int, 4>{sh.OffsetL, sh.OffsetR, sh.OffsetT, sh.OffsetB}), (std::array<int, 4>{3, 3, 2, 5}));
    EXPECT_EQ((std::array<int, 3>{lo.Radius, lo.Blur, lo.Opacity}), (std::array<int, 3>{9, 5, 200}));
    EXPECT_EQ((std::array<int, 3>{sh.Radius, sh.Blur, sh.Opacity}), (std::array<int, 3>{9, 5, 60}));
    EXPECT_EQ(sh.ColorT, 0xFF00FF);
    LoadOuterEffectMask(f.ctx, sh, L"SH_MASK");
    ASSERT_EQ(sh.Mask, 0);
    const TsMaskData& m = f.images[0];
    // A shadow of 2 x 9 + 6 + 1 by 2 x 9 + 7 + 1, colour part above it.
    ASSERT_TRUE(m.Bmp);
    EXPECT_EQ(m.Bmp->Width(), 25);
    EXPECT_EQ(m.Bmp->Height(), 2 * 26);
    EXPECT_EQ(m.MaskType, 1);
    EXPECT_EQ((std::array<int, 4>{sh.WidthL, sh.WidthT, sh.WidthR, sh.WidthB}), (std::array<int, 4>{12, 11, 12, 14}));
    EXPECT_EQ(f.cache.at(0).FileName, L"OuterCalc");
}

TEST(SkinOuter, NumbersAreLimitedLikeSectionKeys)
{
    Fixture f(L"[GLOBALINFO]\nSH_RADIUS_OE=100000\nSH_BLUR_OE=-7\nSH_OFFSETL=99999\nSH_OPACITY=999\nSH_WIDTHL=-50\n");
    TacOutEffData sh = f.Read(true);
    EXPECT_EQ(sh.Radius, 30);
    EXPECT_EQ(sh.Blur, 0);
    EXPECT_EQ(sh.OffsetL, 255);
    EXPECT_EQ(sh.Opacity, 255);
    EXPECT_EQ(sh.WidthL, -1);
}

TEST(SkinOuter, AnImageOfTheSkinScaledWhenTheStepHasNone)
{
    const String text = L"[GLOBALINFO]\nLO_SOURCE=1\nLO_MASK=^0000^0000^0020^0040^0006^0006^0006^0006^1^1^1\n";
    Fixture plain(text);
    TacOutEffData lo = plain.Read(false);
    LoadOuterEffectMask(plain.ctx, lo, L"LO_MASK");
    ASSERT_EQ(lo.Mask, 0);
    EXPECT_EQ(plain.images[0].Bmp, nullptr);
    EXPECT_EQ(plain.images[0].R, TRect(0, 0, 20, 40));

    Fixture big(text, 144);
    lo = big.Read(false);
    LoadOuterEffectMask(big.ctx, lo, L"LO_MASK");
    ASSERT_EQ(lo.Mask, 0);
    const TsMaskData& m = big.images[0];
    ASSERT_TRUE(m.Bmp);
    EXPECT_EQ(m.Bmp->Width(), 30);
    EXPECT_EQ(m.Bmp->Height(), 60);
    EXPECT_EQ(m.WL, 9);
    EXPECT_EQ(big.cache.at(0).FileName, L"Outer");

    // No value, or a rectangle outside the master: no image.
    for (const wchar_t* t : {L"[GLOBALINFO]\nLO_SOURCE=1\n",
                             L"[GLOBALINFO]\nLO_SOURCE=1\nLO_MASK=^0050^0000^0090^0040^0006^0006^0006^0006^1^1^1\n"}) {
        Fixture bad(t);
        TacOutEffData e = bad.Read(false);
        LoadOuterEffectMask(bad.ctx, e, L"LO_MASK");
        EXPECT_EQ(e.Mask, -1);
        EXPECT_TRUE(bad.images.empty());
    }
}

TEST(SkinOuter, SectionEffects)
{
    Fixture f(L"[X]\n");
    TsGeneralData g;
    g.ClassName = L"PANEL";
    g.OuterMode = 3;
    g.OuterColorL = 0x0000FF;
    g.OuterOffset = TRect(-4, 1, 2, 3);   // a negative offset counts as 0 for the size only
    g.OuterRadius = 9;
    g.OuterBlur = 9;
    int i = BuildSectionOuterMask(f.ctx, 7, g);
    const TsMaskData& m = f.images.at(size_t(i));
    ASSERT_TRUE(m.Bmp);
    EXPECT_EQ(m.Bmp->Width(), 2 * 9 + 2 + 1);
    EXPECT_EQ(m.Bmp->Height(), 2 * (2 * 9 + 4 + 1));
    EXPECT_EQ(m.WL, (21 - 4 - 2) / 2);
    EXPECT_EQ(m.WR, (21 + 2 + 4) / 2);
    EXPECT_EQ(m.SkinIndex, 7);
    // Mode 3: one colour over the whole colour part.
    EXPECT_EQ(m.Bmp->At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(m.Bmp->At(20, 22), 0xFFFF0000u);
    EXPECT_EQ(f.cache.back().FileName, L"Outer" + IntToStr(i));

    g.OuterMode = 4;
    g.OuterColorT = 0x00FF00;
    g.OuterColorB = 0xFF0000;
    g.OuterColorR = 0x00FFFF;
    const TsMaskData& m4 = f.images.at(size_t(BuildSectionOuterMask(f.ctx, 7, g)));
    EXPECT_EQ(m4.Bmp->At(10, 0), 0xFF0000FFu);    // the bottom colour in the upper half
    EXPECT_EQ(m4.Bmp->At(10, 22), 0xFF00FF00u);   // the top colour in the lower half
    EXPECT_EQ(m4.Bmp->At(0, 11), 0xFFFF0000u);    // the left triangle
    EXPECT_EQ(m4.Bmp->At(20, 11), 0xFFFFFF00u);   // the right triangle
}
