// Sections of a skin description: states, PARENTCLASS inheritance (with parent cycles), the
// common sections, the constant section indexes with their fallbacks, and image lookups.
#include <gtest/gtest.h>

#include "tests/skin/engine/fake_skin_owner.h"

namespace {

TsGeneralData& Sec(TacSkinData& d, const wchar_t* name)
{
    int i = d.SkinIndexOf(name);
    EXPECT_GE(i, 0) << name;
    return d.gd.at(static_cast<size_t>(i < 0 ? 0 : i));
}

TsMaskData Image(const String& section, int skinIndex, const String& prop, TacImgType type = TacImgType::itisaBorder)
{
    TsMaskData m;
    m.ClassName = section;
    m.SkinIndex = skinIndex;
    m.PropertyName = prop;
    m.ImgType = type;
    return m;
}

}  // namespace

TEST(SkinSections, StatesAndTheirDefaults)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[PLAIN]\nCOLOR=100\nFONTCOLOR=5\nTCLEFT=-5\n"
                            L"[ONE]\nSTATES=1\nCOLOR=200\nHOTCOLOR=300\n"
                            L"[TWO]\nUSESTATE2=1\nCOLOR=1\nHOTCOLOR=2\nCOLOR2=3\nFONTCOLOR2=4\n"
                            L"[NOSECOND]\nCOLOR=1\nHOTCOLOR=2\nCOLOR2=3\n"
                            L"[OUTER]\nOUTOFFSL=300\nOUTBLUR=99\nOUTOPACITY=999\nGLOW=1000\nSTATES=9999\n");
    struct Case { const wchar_t* section; int state; TColor color; TColor font; TColor left; } cases[] = {
        {L"PLAIN", 0, 100, 5, -1},          // a negative value counts as absent
        {L"PLAIN", 1, 0xFFFFFF, 0, -1},     // no HOTCOLOR: the constant default, not state 0
        {L"ONE", 1, 200, 0, -1},            // one state: the hot state is the normal one
        {L"TWO", 2, 3, 4, -1},              // the third state from the keys ending in 2
        {L"NOSECOND", 2, 2, 0, -1},         // without USESTATE2 the third state is the hot one
    };
    for (auto c : cases) {
        const TsGenState& s = Sec(d, c.section).Props[static_cast<size_t>(c.state)];
        EXPECT_EQ(s.Color, c.color) << c.section << c.state;
        EXPECT_EQ(s.FontColor.Color, c.font) << c.section << c.state;
        EXPECT_EQ(s.FontColor.Left, c.left) << c.section << c.state;
    }
    const TsGeneralData& plain = Sec(d, L"PLAIN");
    EXPECT_EQ(plain.States, 3);
    EXPECT_EQ(plain.OuterOffset, TRect(-1, -1, -1, -1));   // absent: -1 before scaling
    EXPECT_EQ(plain.OuterBlur, 9);
    EXPECT_EQ(plain.OuterOpacity, 200);
    const TsGeneralData& outer = Sec(d, L"OUTER");
    EXPECT_EQ(outer.OuterOffset.left, 255);
    EXPECT_EQ(outer.OuterBlur, 30);
    EXPECT_EQ(outer.OuterOpacity, 255);
    EXPECT_EQ(outer.GlowCount, 255);
    EXPECT_EQ(outer.States, 255);
}

TEST(SkinSections, OuterValuesAreScaledByTheManager)
{
    TFakeSkinOwner o;
    o.Step = 2;   // 150 %
    TacSkinData& d = o.Load(L"[S]\nOUTOFFSL=10\nOUTBLUR=4\n");
    EXPECT_EQ(Sec(d, L"S").OuterOffset.left, 15);
    EXPECT_EQ(Sec(d, L"S").OuterOffset.top, -1);   // -1 + (-1 div 2)
    EXPECT_EQ(Sec(d, L"S").OuterBlur, 6);
    EXPECT_EQ(Sec(d, L"S").OuterRadius, 13);
}

TEST(SkinSections, InheritanceClimbsTheParentChain)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[BASE]\nHOTCOLOR=77\nTCLEFT=9\nSHIFTCLICK=TRUE\nGRADIENTDATA=255;50;0;0;0;0\n"
                            L"[MID]\nPARENTCLASS=BASE\nCOLOR=5\n"
                            L"[LEAF]\nPARENTCLASS=MID\nTCLEFT=-5\n"
                            L"[SELF]\nPARENTCLASS=SELF\nCOLOR=3\n"
                            L"[ASK]\nPARENTCLASS=?\n");
    const TsGeneralData& leaf = Sec(d, L"LEAF");
    EXPECT_EQ(leaf.ParentClass, L"MID");
    EXPECT_EQ(leaf.Props[0].Color, 5);
    EXPECT_EQ(leaf.Props[1].Color, 77);             // from the grandparent
    EXPECT_EQ(leaf.Props[0].FontColor.Left, 9);     // -5 is absent: the parent's value
    EXPECT_TRUE(leaf.ShiftOnClick);
    EXPECT_EQ(leaf.Props[0].GradientArray.size(), Sec(d, L"BASE").Props[0].GradientArray.size());
    EXPECT_FALSE(leaf.Props[0].GradientArray.empty());
    EXPECT_EQ(Sec(d, L"SELF").Props[0].Color, 3);   // a section naming itself reads only itself
    EXPECT_EQ(Sec(d, L"SELF").Props[1].Color, 0xFFFFFF);
    EXPECT_EQ(Sec(d, L"ASK").Props[1].Color, 0xFFFFFF);
}

// Every reader and lookup ends on a parent cycle, whatever its length or spelling.
TEST(SkinSections, ParentCyclesEnd)
{
    struct Case { const wchar_t* name; const wchar_t* text; } cases[] = {
        {L"A-A", L"[A]\nPARENTCLASS=A\n"},
        {L"A-a", L"[A]\nPARENTCLASS=a\n"},
        {L"A-B-A", L"[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=A\n"},
        {L"A-B-C-A", L"[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=C\n[C]\nPARENTCLASS=A\n"},
        {L"A-B-C-B", L"[A]\nPARENTCLASS=B\n[B]\nPARENTCLASS=C\n[C]\nPARENTCLASS=b\n"},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        TFakeSkinOwner o;
        o.Common.SetText(L"[X]\nPARENTCLASS=A\n");
        TacSkinData& d = o.Load(c.text);
        TacSkinDescription& desc = o.Info.OptionsDat;
        EXPECT_EQ(ReadIntInherited(desc, L"A", L"COLOR", 42, false), 42);
        EXPECT_EQ(ReadIntInherited(desc, L"A", L"COLOR", 42, true), -1);
        EXPECT_EQ(ReadStrInherited(desc, L"A", L"NAME", L"none"), L"none");
        EXPECT_TRUE(ReadBoolInherited(desc, L"A", L"FLAG", true));
        EXPECT_EQ(ReadGenState(desc, L"A", 1, TsGenState()).Color, 0xFFFFFF);
        EXPECT_EQ(Sec(d, L"A").Props[1].Color, 0xFFFFFF);
        EXPECT_EQ(Sec(d, L"X").Props[0].Color, 0xFFFFFF);   // the common section's USESTATE2 climb ends too

        const int a = d.SkinIndexOf(L"A");
        EXPECT_EQ(d.MaskIndexOf(a, L"BORDERSMASK"), -1);
        EXPECT_EQ(d.MaskIndexOf(a, L"A", L"BORDERSMASK"), -1);
        EXPECT_EQ(d.TextureIndexOf(a, L"PATTERN"), -1);
        EXPECT_EQ(d.TextureIndexOf(a, L"A", L"PATTERN"), -1);
        d.ma.push_back(Image(L"NONE", 999, L"OTHER"));   // lookups walk the chain only when there are images
        EXPECT_EQ(d.MaskIndexOf(a, L"BORDERSMASK"), -1);
        EXPECT_EQ(d.MaskIndexOf(a, L"A", L"BORDERSMASK"), -1);
        EXPECT_EQ(d.TextureIndexOf(a, L"PATTERN"), -1);
        EXPECT_EQ(d.TextureIndexOf(a, L"A", L"PATTERN"), -1);
        d.InitMaskIndexes();
        d.InitConstantIndexes();
    }
}

TEST(SkinSections, ImageLookupsFollowParents)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[GRAND]\n[PARENT]\nPARENTCLASS=GRAND\n[CHILD]\nPARENTCLASS=PARENT\n[OTHER]\n");
    const int grand = d.SkinIndexOf(L"GRAND"), parent = d.SkinIndexOf(L"PARENT"), child = d.SkinIndexOf(L"CHILD");
    d.ma = {Image(L"GRAND", grand, L"BORDERSMASK"), Image(L"PARENT", parent, L"GLYPHMASK"),
            Image(L"GRAND", grand, L"PATTERN", TacImgType::itisaTexture), Image(L"CHILD", child, L"PATTERN")};
    struct Case { const wchar_t* what; int got; int want; } cases[] = {
        {L"border from the grandparent", d.MaskIndexOf(child, L"BORDERSMASK"), 0},
        {L"glyph from the parent", d.MaskIndexOf(child, L"GLYPHMASK"), 1},
        {L"by name: no parent search", d.MaskIndexOf(String(L"CHILD"), String(L"BORDERSMASK")), -1},
        {L"by name", d.MaskIndexOf(String(L"PARENT"), String(L"GLYPHMASK")), 1},
        {L"third form climbs", d.MaskIndexOf(child, L"CHILD", L"BORDERSMASK"), 0},
        {L"third form stops at its own name", d.MaskIndexOf(child, L"PARENT", L"BORDERSMASK"), -1},
        {L"texture skips a border of that key", d.TextureIndexOf(child, L"PATTERN"), 2},
        {L"texture by section names", d.TextureIndexOf(child, L"CHILD", L"PATTERN"), 2},
        {L"negative index", d.MaskIndexOf(-1, L"BORDERSMASK"), -1},
        {L"unrelated section", d.MaskIndexOf(d.SkinIndexOf(L"OTHER"), L"BORDERSMASK"), -1},
    };
    for (auto c : cases) EXPECT_EQ(c.got, c.want) << c.what;
    EXPECT_EQ(d.SkinIndexOf(L"child"), -1);   // section names compare exactly
    EXPECT_EQ(d.SkinIndexOf(L""), -1);

    // As a load does it: images first, then the sections' image indexes.
    for (TsGeneralData& g : d.gd) g.BorderIndex = 0;
    d.InitMaskIndexes();
    EXPECT_EQ(d.gd[static_cast<size_t>(child)].BorderIndex, 0);
    EXPECT_EQ(d.gd[static_cast<size_t>(child)].Props[0].TextureIndex, 2);
    EXPECT_EQ(d.gd[static_cast<size_t>(child)].ScrollBorderOffset, 0);
    EXPECT_EQ(d.gd[static_cast<size_t>(d.SkinIndexOf(L"OTHER"))].ScrollBorderOffset, -2);
}

TEST(SkinSections, TransparentAndMainColorAreAddedWhenMissing)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[GLOBALINFO]\nCOLOR=1234\nFONTCOLOR=99\n[Transparent]\nCOLOR=5\n");
    ASSERT_GE(d.gd.size(), 4u);   // the constant sections the skin lacks follow
    EXPECT_EQ(d.gd[1].ClassName, L"Transparent");
    EXPECT_EQ(d.gd[2].ClassName, L"TRANSPARENT");   // mixed case is another name
    EXPECT_EQ(d.gd[2].Props[0].Transparency, 100);
    EXPECT_EQ(d.gd[2].Props[0].Color, 0xFFFFFF);
    EXPECT_EQ(d.gd[2].Props[0].FontColor.Color, 99);
    EXPECT_EQ(d.gd[2].States, 1);
    EXPECT_EQ(d.gd[3].ClassName, L"MAINCOLOR");
    EXPECT_EQ(d.gd[3].Props[2].Color, 1234);
}

TEST(SkinSections, ConstantIndexesAndFallbacks)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[GLOBALINFO]\n[TOOLBAR]\n[FORMTITLE]\nCOLOR=7\n[PANEL_LOW]\n[TABTOP]\n[EDIT]\n");
    const TacIntSections& s = o.Info.Sections;
    EXPECT_EQ(o.Info.IndexGlobalInfo, 0);
    EXPECT_EQ(s[ssToolBar], 1);
    EXPECT_EQ(s[ssMenuCaption], s[ssToolBar]);
    EXPECT_EQ(s[ssDialogTitle], s[ssFormTitle]);
    EXPECT_EQ(s[ssSlider_On], s[ssPanelLow]);
    EXPECT_EQ(s[ssTBTab], s[ssTabTop]);
    EXPECT_EQ(s[ssMenuLine], -1);
    EXPECT_EQ(s[ssButton], -1);
    // The skin lacks BUTTON, so COLHEADER and the three that fall back to it stay -1, each added
    // as a section with every value -1.
    for (TacSection c : {ssColHeader, ssColHeaderA, ssColHeaderL, ssColHeaderR}) {
        EXPECT_EQ(s[c], -1) << SectionNames[c];
        const TsGeneralData& g = Sec(d, SectionNames[c]);
        EXPECT_EQ(g.States, -1);
        EXPECT_EQ(g.Props[0].Color, -1);
        EXPECT_EQ(g.Props[0].Transparency, -1);
    }
    // A fallback section is copied under the missing name.
    EXPECT_EQ(Sec(d, L"DIALOGTITLE").Props[0].Color, 7);
    EXPECT_EQ(d.SkinIndexOf(L"MENULINE"), -1);
    // Element records: names tried in order, the last one kept.
    EXPECT_EQ(d.UpDownBtns[0].SkinSection, L"BUTTON");
    EXPECT_EQ(d.UpDownBtns[0].SkinIndex, -1);
    EXPECT_EQ(d.MenuItem.SkinSection, L"MENUITEM");
    EXPECT_EQ(d.TitleGlyphs[tgNone], -1);
    EXPECT_EQ(d.TrackBar[1].SkinIndex, -1);
}

TEST(SkinSections, TitleGlyphFallbacksAndGlows)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[GLOBALINFO]\nBICONCLOSEGLOW=2\nBICONCLOSEGLOWMARGIN=4\n");
    d.ma = {Image(L"GLOBALINFO", 0, L"BICONCLOSE"), Image(L"GLOBALINFO", 0, L"BICONMAX"),
            Image(L"GLOBALINFO", 0, L"BICONCLOSEGLOW1")};
    d.InitConstantIndexes();
    EXPECT_EQ(d.TitleGlyphs[tgClose], 0);
    EXPECT_EQ(d.TitleGlyphs[tgCloseAlone], 0);   // the lone close glyph is the close glyph
    EXPECT_EQ(d.TitleGlyphs[tgSmallMax], 1);     // small glyphs fall back to the big ones
    EXPECT_EQ(d.TitleGlyphs[tgSmallHelp], -1);
    ASSERT_EQ(d.TitleGlows[1].size(), 2u);
    EXPECT_EQ(d.TitleGlows[1][0], -1);
    EXPECT_EQ(d.TitleGlows[1][1], 2);
    EXPECT_EQ(d.TitleGlows[0], d.TitleGlows[1]);
    EXPECT_EQ(d.GlowMargins[0], 4);
}

TEST(SkinSections, CommonSections)
{
    TFakeSkinOwner o;
    o.Common.SetText(L"[EDIT]\nCOLOR=1\n"                                  // the skin has it: nothing changes
                     L"[NEWBTN]\nPARENTCLASS=button\nHOTCOLOR=0x10\nTCLEFT=-4\nBORDERSMASK=N/A\nGIVEOWNFONT=true\n"
                     L"[BARE]\nSTATES=1\nCOLOR=0x20\nGLOW=100000\n"
                     L"[ASKS]\nPARENTCLASS=TWOSTATES\nCOLOR2=9\n");
    TacSkinData& d = o.Load(L"[EDIT]\nCOLOR=500\n[BUTTON]\nCOLOR=11\nHOTCOLOR=12\nTCLEFT=13\nGLOW=3\n"
                            L"[TWOSTATES]\nUSESTATE2=1\n");
    EXPECT_EQ(Sec(d, L"EDIT").Props[0].Color, 500);
    const TsGeneralData& btn = Sec(d, L"NEWBTN");
    EXPECT_EQ(btn.ParentClass, L"BUTTON");
    EXPECT_EQ(btn.Props[0].Color, 11);          // from the base
    EXPECT_EQ(btn.Props[1].Color, 16);          // hexadecimal after 0x
    EXPECT_EQ(btn.Props[0].FontColor.Left, 13); // negative: absent
    EXPECT_EQ(btn.BorderIndex, -2);             // "N/A": no border image
    EXPECT_TRUE(btn.GiveOwnFont);
    EXPECT_EQ(btn.GlowCount, 3);
    const TsGeneralData& bare = Sec(d, L"BARE");
    EXPECT_EQ(bare.ParentClass, L"-1");
    EXPECT_EQ(bare.Props[0].Color, 32);
    EXPECT_EQ(bare.Props[1].Color, 32);         // one state
    EXPECT_EQ(bare.GlowCount, 255);
    const TsGeneralData& asks = Sec(d, L"ASKS");
    EXPECT_TRUE(asks.UseState2);                // asked of the parent in the description
    EXPECT_EQ(asks.Props[2].Color, 9);
    d.InitMaskIndexes();
    EXPECT_EQ(Sec(d, L"NEWBTN").BorderIndex, -2);
}

// A gradient that cannot be read keeps the stops read before its unreadable field; the load
// goes on, the section's other keys and the sections after it included.
TEST(SkinSections, AGradientThatCannotBeReadKeepsWhatWasReadAndTheLoadGoesOn)
{
    TFakeSkinOwner o;
    TacSkinData& d = o.Load(L"[BTN]\nGRADIENTDATA=1;2;x;4;5;0\nCOLOR=7\nHOTGRADIENTDATA=255;0;0;65280;x;0;B\n"
                            L"[AFTER]\nCOLOR=9\n");
    const TsGeneralData& btn = Sec(d, L"BTN");
    EXPECT_TRUE(btn.Props[0].GradientArray.empty());
    ASSERT_EQ(btn.Props[1].GradientArray.size(), 1u);
    EXPECT_EQ(btn.Props[1].GradientArray[0].Color.C, 255u);
    EXPECT_EQ(btn.Props[0].Color, 7);
    EXPECT_EQ(Sec(d, L"AFTER").Props[0].Color, 9);
}
