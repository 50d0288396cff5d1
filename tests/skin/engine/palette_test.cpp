// The palette a skin derives, and colour constants resolved against it.
#include <gtest/gtest.h>

#include "skin/graphics/colors.h"
#include "tests/skin/engine/fake_skin_owner.h"

namespace {
TColor Mix(TColor a, TColor b, uint8_t w) { return static_cast<TColor>(MixColors(static_cast<uint32_t>(a), static_cast<uint32_t>(b), w)); }
constexpr TColor Top(TColor c) { return TColorOf(static_cast<uint32_t>(c) | 0xFF000000u); }
}  // namespace

TEST(SkinPalette, DefaultsOfASkinWithoutKeys)
{
    TFakeSkinOwner o;
    o.Load(L"[GLOBALINFO]\nCOLOR=8421504\nFONTCOLOR=16\n");
    const TacPalette& p = o.Pal;
    const TColor main = 8421504;
    struct Case { TacPaletteColors entry; TColor want; } cases[] = {
        {pcMainColor, main}, {pcLabelText, 16}, {pcWebText, 0xFF0000}, {pcWebTextHot, 0x0000FF},
        {pcEditText, TFakeSkinOwner::Sys(acCOLOR_WINDOWTEXT)}, {pcEditBG, TFakeSkinOwner::Sys(acCOLOR_WINDOW)},
        // Neither SELECTION nor MENUITEM: the system's highlight colours.
        {pcSelectionText, TFakeSkinOwner::Sys(acCOLOR_HIGHLIGHTTEXT)}, {pcSelectionText_Focused, TFakeSkinOwner::Sys(acCOLOR_HIGHLIGHTTEXT)},
        {pcSelectionBG, TFakeSkinOwner::Sys(acCOLOR_HIGHLIGHT)}, {pcSelectionBG_Focused, TFakeSkinOwner::Sys(acCOLOR_HIGHLIGHT)},
        {pcBtnColor2Normal, Top(Mix(main, 0, 244))}, {pcBtnColor1Active, Top(Mix(main, 0xFFFFFF, 177))},
        {pcBtnColor1Normal, Top(main)}, {pcBtnFontPressed, 16}, {pcBtnBorderNormal, 0},
        {pcEditText_Caution, 0x00006C}, {pcBtnToneBlueActive, 0xFFEDC9}, {pcBtnYellowTextActive, 0x00A5D7},
        {pcGrid, Mix(TFakeSkinOwner::Sys(acCOLOR_WINDOWTEXT), TFakeSkinOwner::Sys(acCOLOR_WINDOW), 30)},
        {pcHintBG, TFakeSkinOwner::Sys(acCOLOR_INFOBK)}, {pcHintText, TFakeSkinOwner::Sys(acCOLOR_INFOTEXT)},
        {pcEditBG_EvenRow, Mix(TFakeSkinOwner::Sys(acCOLOR_WINDOWTEXT), TFakeSkinOwner::Sys(acCOLOR_WINDOW), 13)},
    };
    for (auto c : cases) EXPECT_EQ(p[c.entry], c.want) << int(c.entry);
}

TEST(SkinPalette, SectionsAndKeys)
{
    TFakeSkinOwner o;
    o.Load(L"[GLOBALINFO]\nBORDERCOLOR=321\nBTNCOLOR2NORMAL=$FF\nCOLORTONERED=5\nGRIDLINE=77\nCOLORTONEBLUETEXTACTIVE=9\n"
           L"[EDIT]\nCOLOR=100\nFONTCOLOR=101\n[HINT]\nCOLOR=200\nFONTCOLOR=-1\n"
           L"[SELECTION]\nSTATES=1\nCOLOR=300\nFONTCOLOR=301\nHOTCOLOR=400\n");
    const TacPalette& p = o.Pal;
    struct Case { TacPaletteColors entry; TColor want; } cases[] = {
        {pcEditBG, 100}, {pcEditText, 101}, {pcEditBG_Inverted, 101}, {pcEditText_Inverted, 100}, {pcHintBG, 200},
        {pcHintText, 0},                   // absent counts: the section's default text colour
        {pcSelectionBG_Focused, 300},      // one state: the focused colours are the normal ones
        {pcSelectionText_Focused, 301}, {pcSelectionBG, 300},
        {pcBtnColor2Normal, 0xFF},         // written: no top byte
        {pcBtnToneRed, 5}, {pcBtnToneRedActive, 5}, {pcGrid, 77},
        {pcBtnBlueTextActive, 9},          // key names compare without regard to case
        {pcBtnBorderActive, 321},          // this skin's border colour, read before the buttons'
    };
    for (auto c : cases) EXPECT_EQ(p[c.entry], c.want) << int(c.entry);
}

TEST(SkinPalette, SelectionFallsBackToTheHotMenuItem)
{
    TFakeSkinOwner o;
    o.Load(L"[MENUITEM]\nHOTCOLOR=55\nHOTFONTCOLOR=66\n");
    EXPECT_EQ(o.Pal[pcSelectionBG], 55);
    EXPECT_EQ(o.Pal[pcSelectionBG_Focused], 55);
    EXPECT_EQ(o.Pal[pcSelectionText], 66);
    EXPECT_EQ(o.Pal[pcSelectionText_Focused], 66);
    TFakeSkinOwner keyed;
    keyed.Load(L"[MENUITEM]\nHOTFONTCOLOR=16711935\n[SELECTION]\nFONTCOLOR=16711935\n");
    EXPECT_EQ(keyed.Pal[pcSelectionText], SysColor(acCOLOR_HIGHLIGHTTEXT));   // the key colour: the system reference
}

TEST(SkinPalette, EachSkinTakesItsOwnBorderAndTextColours)
{
    TFakeSkinOwner o;
    o.Load(L"[GLOBALINFO]\nBORDERCOLOR=1\nFONTCOLOR=2\n");
    TacSkinData& d = o.Load(L"[GLOBALINFO]\nBORDERCOLOR=10\nFONTCOLOR=20\n");
    EXPECT_EQ(o.Pal[pcBtnBorderPressed], 10);
    EXPECT_EQ(d.gd[static_cast<size_t>(d.SkinIndexOf(L"TRANSPARENT"))].Props[0].FontColor.Color, 20);
}

TEST(SkinPalette, AButtonColourThatIsNoNumberFailsTheLoadNamingTheKey)
{
    TFakeSkinOwner o;
    try {
        o.Load(L"[GLOBALINFO]\nBTNCOLOR1PRESSED=blue\n");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find(L"BTNCOLOR1PRESSED"), String::npos);
    }
}

TEST(SkinColor, ResolvedAgainstThePalette)
{
    TacPalette p{};
    p[pcMainColor] = 0xFFFFFF;
    p[pcLabelText] = 0x000000;
    p[pcEditBG] = 0x112233;
    p[pcSelectionBG_Focused] = 0x808080;
    p[pcEditText_Ok] = 0x010203;
    p[pcWebTextHot] = 0x0000EE;
    TsGeneralData hint;
    hint.Props[0].Color = 0x445566;
    const TacColorContext active{true, &p, nullptr, &hint};
    const TacColorContext none{};
    struct Case { TColor color; const TacColorContext& cx; TColor want; const char* what; } cases[] = {
        {0x123456, active, 0x123456, "an RGB colour stays"},
        {SysColor(acCOLOR_BTNSHADOW), active, 0xB3B3B3, "button shadow: main x 180 shr 8"},
        {SysColor(acCOLOR_ACTIVECAPTION), active, 0xFFFFFF, "no title section: the main colour"},
        {SysColor(acCOLOR_WINDOW), active, 0x112233, "window: the edit background"},
        {SysColor(acCOLOR_INFOBK), active, 0x445566, "info background: the hint section"},
        {SysColor(acCOLOR_GRAYTEXT), active, Mix(0xFFFFFF, 0, 127), "gray text"},
        {SysColor(acCOLOR_HOTLIGHT), active, 0x0000EE, "hot light"},
        {SysColor(25), active, TFakeSkinOwner::Sys(25), "an index not in the table: the system's"},
        {clMainColorConst, active, 0xFFFFFF, "the main-colour constant"},
        {TColorOf(0xFF003E0Au), active, 0x010203, "a named colour: its palette entry"},
        {TColorOf(0xFF003E0Au), none, 0x003E0A, "without a skin: its low 24 bits"},
        {SysColor(acCOLOR_BTNFACE), none, TFakeSkinOwner::Sys(acCOLOR_BTNFACE), "without a skin: the system colour"},
        {TColorOf(0xFF000065u), none, 0x65, "low bits above 100 without a skin"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveSkinColorWith(c.color, c.cx, &TFakeSkinOwner::Sys), c.want) << c.what;
}
