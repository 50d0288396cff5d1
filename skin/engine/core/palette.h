// The 59 colours every loaded skin derives from its description (GLOBALINFO keys and the EDIT,
// HINT, SELECTION and MENUITEM sections), and the mapping of system and named colours onto
// them. System colours are asked through a function, so this builds without windows.h.
#pragma once

#include <array>
#include <functional>

#include "skin/engine/core/skin_records.h"
#include "vcl/types.h"

class TacSkinDescription;
class TacSkinData;

enum TacPaletteColors : uint8_t {
    pcMainColor, pcLabelText, pcWebText, pcWebTextHot, pcEditText, pcEditBG, pcSelectionBG, pcSelectionText,
    pcSelectionBG_Focused, pcSelectionText_Focused, pcEditBG_Inverted, pcEditText_Inverted, pcEditBG_OddRow,
    pcEditBG_EvenRow, pcEditText_Ok, pcEditText_Warning, pcEditText_Alert, pcEditText_Caution, pcEditText_Bypassed,
    pcEditBG_Ok, pcEditBG_Warning, pcEditBG_Alert, pcEditBG_Caution, pcEditBG_Bypassed, pcEditText_Highlight1,
    pcEditText_Highlight2, pcEditText_Highlight3, pcBtnColor1Active, pcBtnColor2Active, pcBtnBorderActive,
    pcBtnFontActive, pcBtnColor1Normal, pcBtnColor2Normal, pcBtnBorderNormal, pcBtnFontNormal, pcBtnColor1Pressed,
    pcBtnColor2Pressed, pcBtnBorderPressed, pcBtnFontPressed, pcBtnToneRed, pcBtnToneRedActive, pcBtnToneGreen,
    pcBtnToneGreenActive, pcBtnToneBlue, pcBtnToneBlueActive, pcBtnToneYellow, pcBtnToneYellowActive, pcBtnRedText,
    pcBtnRedTextActive, pcBtnGreenText, pcBtnGreenTextActive, pcBtnBlueText, pcBtnBlueTextActive, pcBtnYellowText,
    pcBtnYellowTextActive, pcBorder, pcGrid, pcHintBG, pcHintText
};
constexpr int acPaletteCount = 59;
using TacPalette = std::array<TColor, acPaletteCount>;

// The current RGB value of a system colour index (COLOR_BTNFACE and so on).
using TacSysColorFn = std::function<TColor(int index)>;

// System colour indexes the palette and the colour mapping use.
enum : int {
    acCOLOR_SCROLLBAR = 0, acCOLOR_BACKGROUND = 1, acCOLOR_ACTIVECAPTION = 2, acCOLOR_INACTIVECAPTION = 3,
    acCOLOR_MENU = 4, acCOLOR_WINDOW = 5, acCOLOR_WINDOWFRAME = 6, acCOLOR_MENUTEXT = 7, acCOLOR_WINDOWTEXT = 8,
    acCOLOR_CAPTIONTEXT = 9, acCOLOR_ACTIVEBORDER = 10, acCOLOR_INACTIVEBORDER = 11, acCOLOR_APPWORKSPACE = 12,
    acCOLOR_HIGHLIGHT = 13, acCOLOR_HIGHLIGHTTEXT = 14, acCOLOR_BTNFACE = 15, acCOLOR_BTNSHADOW = 16,
    acCOLOR_GRAYTEXT = 17, acCOLOR_BTNTEXT = 18, acCOLOR_INACTIVECAPTIONTEXT = 19, acCOLOR_BTNHIGHLIGHT = 20,
    acCOLOR_3DDKSHADOW = 21, acCOLOR_3DLIGHT = 22, acCOLOR_INFOTEXT = 23, acCOLOR_INFOBK = 24, acCOLOR_HOTLIGHT = 26,
    acCOLOR_GRADIENTACTIVECAPTION = 27, acCOLOR_GRADIENTINACTIVECAPTION = 28, acCOLOR_MENUHILIGHT = 29,
    acCOLOR_MENUBAR = 30,
};

// A colour as RGB: system colour references through sysColor, anything else unchanged.
TColor ColorToRGBWith(TColor color, const TacSysColorFn& sysColor);

// Fills the palette from the description; data96 is the skin's 96-PPI data object (its
// sections EDIT, HINT, SELECTION and MENUITEM), or nullptr. A button colour key that is not a
// number raises EConvertError naming the key.
void BuildPalette(TacPalette& palette, TacSkinDescription& description, const TacSkinData* data96,
                  const TacSysColorFn& sysColor);

// What the colour mapping needs to know of a manager.
struct TacColorContext {
    bool SkinActive = false;           // a skin is active, or is being changed
    const TacPalette* Palette = nullptr;
    const TsGeneralData* Title = nullptr;   // section FORMTITLE of the 96-PPI data, or nullptr
    const TsGeneralData* Hint = nullptr;    // section HINT, or nullptr
};

// A colour constant as the active skin shows it: system colours and the named palette colours
// (0xF1000001 and the 0xFF00xxxx constants of the tone and status colours) map to the palette;
// without an active skin the named colours give their default in the low 24 bits. Always RGB.
TColor ResolveSkinColorWith(TColor color, const TacColorContext& context, const TacSysColorFn& sysColor);

constexpr TColor clMainColorConst = TColorOf(0xF1000001u);
