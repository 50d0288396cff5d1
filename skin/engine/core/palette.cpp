#include "skin/engine/core/palette.h"

#include "skin/engine/core/skin_data.h"
#include "skin/engine/core/skin_description.h"
#include "skin/graphics/colors.h"

TColor ColorToRGBWith(TColor color, const TacSysColorFn& sysColor)
{
    auto v = static_cast<uint32_t>(color);
    if ((v & 0xFF000000u) == 0xFF000000u) return sysColor ? sysColor(static_cast<int>(v & 0xFF)) : 0;
    return color;
}

namespace {

TColor Mix(TColor a, TColor b, uint8_t weight)
{
    return TColorOf(MixColors(static_cast<uint32_t>(a), static_cast<uint32_t>(b), weight));
}

constexpr TColor WithTopByte(TColor c) { return TColorOf(static_cast<uint32_t>(c) | 0xFF000000u); }

const TsGeneralData* SectionOf(const TacSkinData* data, const wchar_t* name)
{
    if (!data) return nullptr;
    int i = data->SkinIndexOf(name);
    return i >= 0 ? &data->gd[static_cast<size_t>(i)] : nullptr;
}

}  // namespace

void BuildPalette(TacPalette& p, TacSkinDescription& d, const TacSkinData* data96, const TacSysColorFn& sysColor)
{
    const String gi = L"GLOBALINFO";
    auto rgb = [&](TColor c) { return ColorToRGBWith(c, sysColor); };
    auto sys = [&](int index) { return sysColor ? sysColor(index) : TColor(0); };
    auto read = [&](const wchar_t* key, TColor def) { return TColor(d.ReadInteger(gi, key, def)); };
    // Button colours are read as 64-bit numbers; an empty key keeps the default, a text that
    // is not a number fails the load with a message naming the key.
    auto readButton = [&](const wchar_t* key, TColor def) -> TColor {
        String text = Trim(d.ReadString(gi, key, String()));
        if (text.empty()) return def;
        int64_t v;
        if (!TryStrToInt64(text, v))
            throw EConvertError(L"Skin colour " + String(key) + L" \"" + text + L"\" is not a number");
        return TColorOf(static_cast<uint32_t>(static_cast<uint64_t>(v)));
    };

    p[pcMainColor] = read(L"COLOR", sys(acCOLOR_BTNFACE));
    p[pcLabelText] = read(L"FONTCOLOR", 0);
    p[pcWebText] = read(L"TCBOTTOM", 0xFF0000);
    p[pcWebTextHot] = read(L"TCTOP", 0x0000FF);

    const TsGeneralData* edit = SectionOf(data96, L"EDIT");
    p[pcEditText] = edit ? rgb(edit->Props[0].FontColor.Color) : sys(acCOLOR_WINDOWTEXT);
    p[pcEditBG] = edit ? rgb(edit->Props[0].Color) : sys(acCOLOR_WINDOW);

    // Selection colours: the SELECTION section, else the hot menu item, else the system's.
    if (const TsGeneralData* sel = SectionOf(data96, L"SELECTION")) {
        const TsGenState& focused = sel->States < 2 ? sel->Props[0] : sel->Props[1];
        p[pcSelectionText_Focused] = focused.FontColor.Color;
        p[pcSelectionBG_Focused] = focused.Color;
        p[pcSelectionText] = sel->Props[0].FontColor.Color;
        p[pcSelectionBG] = sel->Props[0].Color;
    } else {
        p[pcSelectionText_Focused] = p[pcSelectionBG_Focused] = p[pcSelectionText] = p[pcSelectionBG] = -1;
    }
    if (p[pcSelectionText] == -1 || p[pcSelectionText] == 0xFF00FF) {
        if (const TsGeneralData* mi = SectionOf(data96, L"MENUITEM")) {
            TColor text = mi->Props[1].FontColor.Color;
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = mi->Props[1].Color;
            p[pcSelectionText] = text == -1 || text == 0xFF00FF ? SysColor(acCOLOR_HIGHLIGHTTEXT) : rgb(text);
            p[pcSelectionText_Focused] = p[pcSelectionText];
        } else {
            p[pcSelectionText] = p[pcSelectionText_Focused] = sys(acCOLOR_HIGHLIGHTTEXT);
            p[pcSelectionBG] = p[pcSelectionBG_Focused] = sys(acCOLOR_HIGHLIGHT);
        }
    }

    p[pcEditBG_Inverted] = read(L"EDITBG_INV", p[pcEditText]);
    p[pcEditText_Inverted] = read(L"EDITTEXT_INV", p[pcEditBG]);
    p[pcEditBG_OddRow] = read(L"EDITBG_ODD", p[pcEditBG]);
    p[pcEditBG_EvenRow] = read(L"EDITBG_EVEN", Mix(p[pcEditText], p[pcEditBG], 13));
    p[pcEditText_Ok] = read(L"EDITTEXT_OK", 0x404000);
    p[pcEditText_Warning] = read(L"EDITTEXT_WARN", 0x004C4C);
    p[pcEditText_Alert] = read(L"EDITTEXT_ALERT", 0x00006C);
    p[pcEditText_Caution] = read(L"EDITTEXT_ALERT", 0x00006C);
    p[pcEditText_Bypassed] = read(L"EDITTEXT_ALERT", 0x00006C);
    p[pcEditBG_Ok] = read(L"EDITBG_OK", 0xC9FFD2);
    p[pcEditBG_Warning] = read(L"EDITBG_WARN", 0xBAFFFF);
    p[pcEditBG_Alert] = read(L"EDITBG_ALERT", 0xDBDBFF);
    p[pcEditBG_Caution] = read(L"EDITBG_ALERT", 0xDBDBFF);
    p[pcEditBG_Bypassed] = read(L"EDITBG_ALERT", 0xDBDBFF);
    p[pcEditText_Highlight1] = read(L"EDITTEXT_H1", 0);
    p[pcEditText_Highlight2] = read(L"EDITTEXT_H2", 0);
    p[pcEditText_Highlight3] = read(L"EDITTEXT_H3", 0);

    // The border colour is the default of the button borders, so it is read first.
    TColor border = read(L"BORDERCOLOR", 0);
    TColor main = p[pcMainColor], label = p[pcLabelText];
    p[pcBtnColor1Active] = readButton(L"BTNCOLOR1ACTIVE", WithTopByte(Mix(main, 0xFFFFFF, 177)));
    p[pcBtnColor2Active] = readButton(L"BTNCOLOR2ACTIVE", WithTopByte(main));
    p[pcBtnBorderActive] = read(L"BTNBORDERACTIVE", border);
    p[pcBtnFontActive] = read(L"BTNFONTACTIVE", label);
    p[pcBtnColor1Normal] = readButton(L"BTNCOLOR1NORMAL", WithTopByte(main));
    p[pcBtnColor2Normal] = readButton(L"BTNCOLOR2NORMAL", WithTopByte(Mix(main, 0, 244)));
    p[pcBtnBorderNormal] = read(L"BTNBORDERNORMAL", border);
    p[pcBtnFontNormal] = read(L"BTNFONTNORMAL", label);
    p[pcBtnColor1Pressed] = readButton(L"BTNCOLOR1PRESSED", WithTopByte(Mix(main, 0, 233)));
    p[pcBtnColor2Pressed] = readButton(L"BTNCOLOR2PRESSED", WithTopByte(Mix(main, 0, 233)));
    p[pcBtnBorderPressed] = read(L"BTNBORDERPRESSED", border);
    p[pcBtnFontPressed] = read(L"BTNFONTPRESSED", label);

    p[pcBtnToneRed] = read(L"COLORTONERED", 0xD5D5FF);
    p[pcBtnToneRedActive] = read(L"COLORTONEREDACTIVE", p[pcBtnToneRed]);
    p[pcBtnToneGreen] = read(L"COLORTONEGREEN", 0xE1FFD2);
    p[pcBtnToneGreenActive] = read(L"COLORTONEGREENACTIVE", p[pcBtnToneGreen]);
    p[pcBtnToneBlue] = read(L"COLORTONEBLUE", 0xFFEDC9);
    p[pcBtnToneBlueActive] = read(L"COLORTONEBLUEACTIVE", p[pcBtnToneBlue]);
    p[pcBtnToneYellow] = read(L"COLORTONEYELLOW", 0xCAF3FF);
    p[pcBtnToneYellowActive] = read(L"COLORTONEYELLOWACTIVE", p[pcBtnToneYellow]);
    p[pcBtnRedText] = read(L"COLORTONEREDTEXT", 0x0000B4);
    p[pcBtnRedTextActive] = read(L"COLORTONEREDTEXTACTIVE", p[pcBtnRedText]);
    p[pcBtnGreenText] = read(L"COLORTONEGREENTEXT", 0x28851A);
    p[pcBtnGreenTextActive] = read(L"COLORTONEGREENTEXTACTIVE", p[pcBtnGreenText]);
    p[pcBtnBlueText] = read(L"COLORTONEBLUETEXT", 0xAE7400);
    p[pcBtnBlueTextActive] = read(L"COLORTONEBLUETEXTActive", p[pcBtnBlueText]);
    p[pcBtnYellowText] = read(L"COLORTONEYELLOWTEXT", 0x00A5D7);
    p[pcBtnYellowTextActive] = read(L"COLORTONEYELLOWTEXTActive", p[pcBtnYellowText]);

    p[pcBorder] = border;
    p[pcGrid] = read(L"GRIDLINE", -1);
    if (p[pcGrid] == -1) p[pcGrid] = Mix(p[pcEditText], p[pcEditBG], 30);

    const TsGeneralData* hint = SectionOf(data96, L"HINT");
    p[pcHintBG] = hint ? rgb(hint->Props[0].Color) : sys(acCOLOR_INFOBK);
    p[pcHintText] = hint ? rgb(hint->Props[0].FontColor.Color) : sys(acCOLOR_INFOTEXT);
}

// ---- colour mapping ------------------------------------------------------------------------------

namespace {

struct TNamedColor {
    uint32_t constant;
    TacPaletteColors entry;
};
constexpr TNamedColor NamedColors[] = {
    {0xF1000001u, pcMainColor},
    {0xFF003E0Au, pcEditText_Ok}, {0xFF004C4Cu, pcEditText_Warning}, {0xFF00006Cu, pcEditText_Alert},
    {0xFFC9FFD2u, pcEditBG_Ok}, {0xFFBAFFFFu, pcEditBG_Warning}, {0xFFDBDBFFu, pcEditBG_Alert},
    {0xFFD5D5FFu, pcBtnToneRed}, {0xFFBDBDFFu, pcBtnToneRedActive},
    {0xFFE1FFD2u, pcBtnToneGreen}, {0xFFCDFFB4u, pcBtnToneGreenActive},
    {0xFFFFEDC9u, pcBtnToneBlue}, {0xFFFFE9BEu, pcBtnToneBlueActive},
    {0xFFCAF3FFu, pcBtnToneYellow}, {0xFFBAEFFFu, pcBtnToneYellowActive},
    {0xFF0000B4u, pcBtnRedText}, {0xFF0000A2u, pcBtnRedTextActive},
    {0xFF28851Au, pcBtnGreenText}, {0xFF008E00u, pcBtnGreenTextActive},
    {0xFFAE7400u, pcBtnBlueText}, {0xFF916000u, pcBtnBlueTextActive},
    {0xFF00A5D7u, pcBtnYellowText}, {0xFF0098C6u, pcBtnYellowTextActive},
};

}  // namespace

TColor ResolveSkinColorWith(TColor color, const TacColorContext& cx, const TacSysColorFn& sysColor)
{
    if (color >= 0) return color;
    auto v = static_cast<uint32_t>(color);
    if (!cx.SkinActive || !cx.Palette) {
        if ((v & 0x00FFFFFFu) > 100) return TColorOf(v & 0x00FFFFFFu);
        return ColorToRGBWith(color, sysColor);
    }
    const TacPalette& p = *cx.Palette;
    for (const auto& n : NamedColors)
        if (n.constant == v) return p[n.entry];
    if ((v & 0xFF000000u) != 0xFF000000u || (v & 0x00FFFFFFu) > 30) return ColorToRGBWith(color, sysColor);

    const TsGeneralData* title = cx.Title;
    const TsGeneralData* hint = cx.Hint;
    TColor main = p[pcMainColor];
    switch (static_cast<int>(v & 0xFF)) {
    case acCOLOR_SCROLLBAR: case acCOLOR_BACKGROUND: case acCOLOR_MENU: case acCOLOR_APPWORKSPACE:
    case acCOLOR_BTNFACE: case acCOLOR_MENUBAR:
        return main;
    case acCOLOR_ACTIVECAPTION: case acCOLOR_GRADIENTACTIVECAPTION:
        return title ? title->Props[1].Color : main;
    case acCOLOR_INACTIVECAPTION: case acCOLOR_GRADIENTINACTIVECAPTION:
        return title ? title->Props[0].Color : main;
    case acCOLOR_WINDOW: return p[pcEditBG];
    case acCOLOR_WINDOWFRAME: case acCOLOR_ACTIVEBORDER: case acCOLOR_INACTIVEBORDER: return p[pcBorder];
    case acCOLOR_MENUTEXT: case acCOLOR_BTNTEXT: return p[pcLabelText];
    case acCOLOR_WINDOWTEXT: return p[pcEditText];
    case acCOLOR_CAPTIONTEXT: return title ? title->Props[1].FontColor.Color : p[pcLabelText];
    case acCOLOR_HIGHLIGHT: case acCOLOR_MENUHILIGHT: return p[pcSelectionBG_Focused];
    case acCOLOR_HIGHLIGHTTEXT: return p[pcSelectionText_Focused];
    case acCOLOR_BTNSHADOW: case acCOLOR_3DDKSHADOW: return Mix(main, 0, 180);
    case acCOLOR_GRAYTEXT: return Mix(main, p[pcLabelText], 127);
    case acCOLOR_INACTIVECAPTIONTEXT: return title ? title->Props[0].FontColor.Color : p[pcLabelText];
    case acCOLOR_BTNHIGHLIGHT: return Mix(main, p[pcSelectionBG_Focused], 127);
    case acCOLOR_3DLIGHT: return Mix(main, 0xFFFFFF, 180);
    case acCOLOR_INFOTEXT: return hint ? hint->Props[0].FontColor.Color : p[pcEditText];
    case acCOLOR_INFOBK: return hint ? hint->Props[0].Color : p[pcEditBG];
    case acCOLOR_HOTLIGHT: return p[pcWebTextHot];
    default: return ColorToRGBWith(color, sysColor);
    }
}
