// The skin data object of one PPI: GLOBALINFO metrics with their step suffixes and scaling,
// their bounds, the extended-border metrics, window shadows, and the skin-wide values.
#include <gtest/gtest.h>

#include "tests/skin/engine/fake_skin_owner.h"

namespace {

struct TMetricCase {
    const wchar_t* text;   // GLOBALINFO keys
    int ppi;
    int TacSkinData::*field;
    int want;
    const char* what;
};

}  // namespace

TEST(SkinData, ScalarKeysPerPpi)
{
    const TMetricCase cases[] = {
        {L"", 96, &TacSkinData::WndShadowSize, 13, "absent at 96: the default"},
        {L"", 144, &TacSkinData::WndShadowSize, 19, "absent at 144: 13 x 144 div 96"},
        {L"WSHSIZE*150=20", 144, &TacSkinData::WndShadowSize, 20, "a step key is taken unscaled"},
        {L"WSHSIZE=10", 144, &TacSkinData::WndShadowSize, 15, "the plain key scaled"},
        {L"WSHSIZE=10", 96, &TacSkinData::WndShadowSize, 10, "the plain key at 96"},
        {L"WSHSIZE*150=20", 120, &TacSkinData::WndShadowSize, 16, "another step's key does not count"},
        {L"WSHSIZE=100000", 96, &TacSkinData::WndShadowSize, 255, "a shadow size is at most 255"},
        {L"WSHRAD=-7", 96, &TacSkinData::WndShadowRadius, 0, "a shadow radius is at least 0"},
        {L"WSHRAD*200=9999", 192, &TacSkinData::WndShadowRadius, 255, "step keys are bounded too"},
        {L"WSHOFFS=-1000", 96, &TacSkinData::WndShadowOffset, -255, "an offset is at least -255"},
        {L"WSHOFFS=1000", 144, &TacSkinData::WndShadowOffset, 382, "at most 255, then scaled"},
        {L"ALIGNOFFSET=4", 96, &TacSkinData::ExShadowOffsR, 4, "the right offset defaults to the left"},
        {L"ALIGNOFFSET=4", 144, &TacSkinData::ExShadowOffsR, 9, "above step 0 that default is scaled once more"},
        {L"COMBOMARGIN=1", 120, &TacSkinData::ComboBoxMargin, 1, "a combo margin of 1 stays at 120"},
        {L"COMBOMARGIN=1", 144, &TacSkinData::ComboBoxMargin, 2, "and becomes 2 from 144"},
        {L"TITLEHEIGHT=0", 96, &TacSkinData::ExTitleHeight, 30, "a title height of 0 takes the scaled 30"},
        {L"TITLEHEIGHT=24", 96, &TacSkinData::ExMaxHeight, 24, "an absent maximal height is the title height"},
        {L"BORDERWIDTH=0", 96, &TacSkinData::ExBorderWidth, 1, "a border width below 2 is 1"},
        {L"BORDERWIDTH=1", 144, &TacSkinData::ExBorderWidth, 1, "also at 144"},
        {L"", 144, &TacSkinData::ExBorderWidth, 6, "the default border width scaled"},
        {L"", 96, &TacSkinData::ExContentOffs, 4, "the form offset defaults to the system frame width"},
        {L"SHADOW1BLUR=4", 192, &TacSkinData::Shadow1Blur, 8, "shadow blur scaled"},
        {L"", 144, &TacSkinData::Shadow1Blur, -1, "shadow blur default -1"},
        {L"BORDERMODE=3", 144, &TacSkinData::ExDrawMode, 3, "plain keys are not scaled"},
    };
    for (const auto& c : cases) {
        TFakeSkinOwner o;
        TacSkinData& d = o.Load(String(L"[GLOBALINFO]\n") + c.text + L"\n", c.ppi);
        EXPECT_EQ(d.*c.field, c.want) << c.what;
    }
}

TEST(SkinData, CustomPpiBelow96ScalesStepKeysDown)
{
    TFakeSkinOwner o;
    o.Mode = smCustomPPI;
    o.Custom = 72;
    TacSkinData& d = o.Load(L"[GLOBALINFO]\nWSHSIZE=20\n");
    EXPECT_EQ(d.WndShadowSize, 15);
}

TEST(SkinData, TitleGlowCountIsBounded)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[GLOBALINFO]\nBICONCLOSEGLOW=2000000000\n");
    for (const auto& glows : {d.TitleGlows[0], d.TitleGlows[4]}) EXPECT_EQ(glows.size(), 255u);
    TFakeSkinOwner o2;
    EXPECT_TRUE(o2.Load(L"[GLOBALINFO]\nBICONCLOSEGLOW=-3\n").TitleGlows[1].empty());
}

TEST(SkinData, ParametersFollowThePpi)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[A]\n", 144);
    EXPECT_EQ(d.PPI(), 144);
    EXPECT_EQ(d.ScalePercent, 150);
    EXPECT_EQ(d.ScaleValue, 2);
    EXPECT_EQ(d.Spacing, 6);
    EXPECT_EQ(d.ArrowSize, 7);
    EXPECT_EQ(d.LineWidth, 3);
    EXPECT_EQ(d.ScrollBtnLength, 24);
    EXPECT_EQ(d.ScaleIntValue(10), 15);
}

TEST(SkinData, WindowShadows)
{
    TFakeSkinOwner o;
    TacSkinData& off = o.Load(L"[GLOBALINFO]\nWSHSIZE=10\nWSHOFFS=3\n");
    EXPECT_EQ(off.FormShadowSize, TRect());   // extended borders off: no shadow whatever the skin says
    EXPECT_FALSE(off.ShdaTemplate);

    TFakeSkinOwner on;
    on.ExtBorders = true;
    TacSkinData& d = on.Load(L"[GLOBALINFO]\nWSHSIZE=10\nWSHOFFS=3\nWSHRAD=4\n");
    EXPECT_EQ(d.FormShadowSize, TRect(10, 7, 10, 13));
    ASSERT_TRUE(d.ShdaTemplate && d.ShdiTemplate);
    const TPixelImage* active = d.GetActiveShadow();
    EXPECT_EQ(active, d.GetActiveShadow());   // built once
    EXPECT_EQ(d.ShdaTemplate->Width(), active->Width());
    EXPECT_EQ(active->Width(), 2 * 4 + 2 * 10 + 1);
    d.Reset();
    EXPECT_FALSE(d.rsta);
    EXPECT_TRUE(d.gd.empty());
}

TEST(SkinData, GlobalInfoValues)
{
    TFakeSkinOwner o;
    TacSkinDescription& desc = o.Info.OptionsDat;
    desc.SetText(L"[GLOBALINFO]\nVERSION=14.5\nAUTHOR=Us\nMainFont=Tahoma\nAEROBLUR=2\nBRIGHTMIN=x\nARROWSTYLE=9\n"
                 L"SHADOW1COLOR=255\n");
    ReadGlobalInfo(desc, o.Info);
    EXPECT_DOUBLE_EQ(o.Info.Version, 14.5);
    EXPECT_EQ(o.Info.Author, L"Us");
    EXPECT_EQ(o.Info.MainFont, L"Tahoma");
    EXPECT_TRUE(o.Info.UseAeroBluring);
    EXPECT_EQ(o.Info.BrightMin, -50);   // not a number: the default
    EXPECT_EQ(o.Info.BrightMax, 50);
    EXPECT_EQ(o.Info.ArrowStyle, arsSolid1);
    EXPECT_EQ(o.Info.Shadow1Color, 255);
    desc.SetText(L"[globalinfo]\nversion=8\n");
    EXPECT_DOUBLE_EQ(ReadSkinVersion(desc), 8);
    desc.SetText(L"[GLOBALINFO]\nVERSION=eight\n");
    EXPECT_DOUBLE_EQ(ReadSkinVersion(desc), 0);
}

TEST(SkinDescription, KeysAndSectionsIgnoreCase)
{
    TacSkinDescription d;
    d.SetText(L"junk before\r\n[Edit]\r\nColor = 5\r\nnoequals\r\n[GLOBALINFO]\nX=1\n[EDIT]\nHOTCOLOR=6\nCOLOR=7\n");
    EXPECT_EQ(d.SectionCount(), 2);
    EXPECT_EQ(d.SectionName(0), L"Edit");   // a repeated section keeps its first spelling
    EXPECT_EQ(d.ReadInteger(L"edit", L"COLOR", 0), 7);
    EXPECT_EQ(d.ReadInteger(L"EDIT", L"hotcolor", 0), 6);
    EXPECT_TRUE(d.ValueExists(L"GlobalInfo", L"x"));
    EXPECT_FALSE(d.ValueExists(L"GlobalInfo", L"y"));
    EXPECT_FALSE(d.SectionExists(L"none"));
    EXPECT_EQ(d.Find(L"none", L"x"), nullptr);
    d.WriteString(L"New", L"K", L"v\r\nw");
    EXPECT_EQ(d.ReadString(L"NEW", L"k", L""), L"v  w");
    TStringList names;
    d.ReadSections(names);
    EXPECT_EQ(names.Count(), 3);
}
