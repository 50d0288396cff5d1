// The records of a loaded skin that the engine fills and the painters read: section states,
// sections, images, gradient stops, the background record passed from parent to child, and the
// enumerations that name constant sections, sides and tab layouts. Plain data, no windows.h.
//
// These are extended (new fields, new types) by whoever needs more of them; never redefined.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_view.h"
#include "vcl/sysutils.h"
#include "vcl/types.h"

class TsSkinManager;

// ---- gradients ---------------------------------------------------------------------------

// One gradient stop. Mode and 3 of point 0 is the direction (0 rows, 1 columns, 2 four corners,
// 3 nothing); 0x10 draws the band by a GDI+ line brush, 0x20 on point 0 a path gradient (and a
// whole-background gradient for the item painter).
struct TsGradPoint {
    uint16_t Index = 0;
    int32_t Mode = 0;
    TsColor Color{};   // TColor order (byte 0 red); A is the opacity for GDI+ drawing
    uint8_t Percent = 0;
};
using TsGradArray = std::vector<TsGradPoint>;

// ---- sections ------------------------------------------------------------------------------

// Text colour of a state and its one-pixel contours (-1 = no contour on that side).
struct TsFontColor {
    TColor Color = 0;
    TColor Left = -1;
    TColor Top = -1;
    TColor Right = -1;
    TColor Bottom = -1;
};

// One state of a section (0 normal, 1 hot, 2 pressed / second active). The defaults are the
// constant default state every state read from a description starts from.
struct TsGenState {
    int GlowSize = 0;
    int ImagePercent = 0;       // share of the texture, percent
    int TextureIndex = -1;      // image index of the texture, -1 = none
    int Transparency = 0;       // percent, 100 = fully transparent
    int GradientPercent = 0;    // share of the gradient, percent
    TColor Color = 0xFFFFFF;
    TColor GlowColor = 0xFFFFFF;
    TsFontColor FontColor;
    TsGradArray GradientArray;
};

using TsProps = std::array<TsGenState, 3>;

// One section of the skin description.
struct TsGeneralData {
    String ParentClass;           // "PARENTCLASS" as written; not inherited
    String ClassName;             // the section name
    TsProps Props;
    bool UseState2 = false;
    bool GiveOwnFont = false;
    bool ShiftOnClick = false;
    bool ReservedBoolean = false;
    int States = 3;               // number of states the section's images have
    int ScrollBorderOffset = 0;
    int GlowCount = 0;
    int GlowMargin = 0;
    int GlowSize = 0;
    int HotGlowSize = 0;
    int BorderIndex = 0;          // image index of "BORDERSMASK" (may be invalid; -2 = none by definition)
    int ImgTL = -1, ImgTR = -1, ImgBL = -1, ImgBR = -1;   // corner images
    TColor HotGlowColor = 0;
    TColor GlowColor = 0;
    int OuterMode = 2;
    int OuterMask = -1;
    int OuterOpacity = 200;
    TRect OuterOffset{-1, -1, -1, -1};
    int OuterBlur = 9;
    int OuterRadius = 9;
    TColor OuterColorL = 0, OuterColorT = 0, OuterColorR = 0, OuterColorB = 0;
};

// ---- images --------------------------------------------------------------------------------

enum class TacImgType : uint8_t { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };

// DrawMode bits of the painters.
constexpr uint16_t dmStretch = 0x01;      // stretch the sides and centre (else tile)
constexpr uint16_t dmNoState0 = 0x02;     // the image draws nothing in state 0
constexpr uint16_t dmFillCenter = 0x04;   // fill the centre
constexpr uint16_t dmNoRescale = 0x08;    // an image of the master bitmap is not rescaled at load
constexpr uint16_t dmAlpha32 = 0x10;      // 32-bit picture with per-pixel alpha

// One image of the loaded skin: state frames side by side, MaskType parts stacked below the
// colour part (part 1 the mask: its inverted brightness is the alpha).
struct TsMaskData {
    TPixelImage* Bmp = nullptr;   // own pixels (owned by the skin data's bitmap cache); nil = in the master bitmap
    String ClassName;             // the defining section
    String PropertyName;          // the key that defines it
    TRect R;                      // all frames and parts, in Bmp or in the master bitmap
    int16_t ImageCount = 1;
    int16_t MaskType = 0;
    uint16_t DrawMode = 0;
    TacImgType ImgType = TacImgType::itisaBorder;
    TsSkinManager* Manager = nullptr;   // nil = unusable image
    int16_t WL = 0, WT = 0, WR = 0, WB = 0;
    int Cfg = 0;                  // 1 = a corner holds the key colour; 2 = the huge button's border
    int MulPPi = 96, DivPPI = 96;
    int SkinIndex = -1;
    int Width = 0, Height = 0;    // one state frame of the colour part
};

// ---- backgrounds ---------------------------------------------------------------------------

// What a parent hands a child to paint over: its image (Bmp, with the child's origin at X, Y),
// or a plain colour (FillColor; with a colour answer FillRect holds the widths of the parent's
// border strips). Ready = Bmp holds the background.
struct TCacheInfo {
    TPixelView Bmp;
    int X = -99;
    int Y = -99;
    TColor FillColor = 0xFF00FF;
    TRect FillRect;
    bool Ready = false;
};

// The shared record without bitmap: images painted with it are drawn without background.
inline const TCacheInfo EmptyCacheInfo{};

// ---- enumerations --------------------------------------------------------------------------

enum TacSide : uint8_t { asLeft, asTop, asRight, asBottom };
enum TacTabLayout : uint8_t { tlFirst, tlLast, tlMiddle, tlSingle };

// The sections the engine knows by constant; their names stand in SectionNames (same order).
enum TacSection : uint8_t {
    ssMenuItem, ssCheckBox, ssSpeedButton, ssSpeedButton_Small, ssToolButton, ssTransparent, ssGroupBox,
    ssDivider, ssWebBtn, ssButton, ssComboNoEdit, ssButtonHuge, ssToolBar, ssEdit, ssGauge, ssSelection,
    ssStatusBar, ssPanel, ssPanelLow, ssTrackBar, ssProgressV, ssDragBar, ssGripH, ssGripV, ssProgressH,
    ssTabSheet, ssUpDown, ssComboBox, ssCaption, ssMainMenu, ssSplitter, ssComboBtn, ssFormTitle, ssHint,
    ssDividerV, ssPageControl, ssTabTop, ssBarPanel, ssBarTitle, ssMenuCaption, ssDialogTitle, ssMenuButton,
    ssMenuLine, ssFormHeader, ssTBBtn, ssTBMenuBtn, ssTBTab, ssColHeader, ssColHeaderA, ssColHeaderL,
    ssColHeaderR, ssSlider_Off, ssSlider_On
};
constexpr int acSectionCount = 53;

inline constexpr const wchar_t* SectionNames[acSectionCount] = {
    L"MENUITEM", L"CHECKBOX", L"SPEEDBUTTON", L"SPEEDBUTTON_SMALL", L"TOOLBUTTON", L"TRANSPARENT", L"GROUPBOX",
    L"DIVIDER", L"WEBBUTTON", L"BUTTON", L"COMBONOEDIT", L"BUTTON_HUGE", L"TOOLBAR", L"EDIT", L"GAUGE", L"SELECTION",
    L"STATUSBAR", L"PANEL", L"PANEL_LOW", L"TRACKBAR", L"PROGRESSV", L"DRAGBAR", L"GRIPH", L"GRIPV", L"PROGRESSH",
    L"TABSHEET", L"UPDOWNBTN", L"COMBOBOX", L"CAPTION", L"MAINMENU", L"SPLITTER", L"COMBOBTN", L"FORMTITLE", L"HINT",
    L"DIVIDERV", L"PAGECONTROL", L"TABTOP", L"BARPANEL", L"BARTITLE", L"MENUCAPTION", L"DIALOGTITLE", L"MENUBTN",
    L"MENULINE", L"FORMHEADER", L"TB_BTN", L"TB_MENUBTN", L"TB_TAB", L"COLHEADER", L"COLHEADERA", L"COLHEADERL",
    L"COLHEADERR", L"SLIDER_OFF", L"SLIDER_ON"};

using TacIntSections = std::array<int, acSectionCount>;

// Images of a constantly used element, resolved once per load.
struct TacConstElementData {
    int SkinIndex = -1;
    int MaskIndex = -1;     // "BORDERSMASK"
    int GlyphIndex = -1;    // "GLYPHMASK"
    std::array<int, 3> BGIndex{-1, -1, -1};   // "PATTERN", "HOTPATTERN", (not filled)
    String SkinSection;     // the section name found, or the last name tried
};

// Track-bar images, one record per orientation (False vertical, True horizontal).
struct TacTrackBarData {
    int SkinIndex = -1;
    int MaskIndex = -1;      // "BORDERSMASK"
    int SliderIndex = -1;    // "SLIDERVMASK" / "SLIDERMASK"
    std::array<int, 3> BGIndex{-1, -1, -1};   // "PATTERN", "HOTPATTERN", (not filled)
    int TickIndex = -1;      // "TICKVERT" / "TICKHORZ"
    int ProgIndex = -1;      // "PROGVERT" / "PROGHORZ"
    int ChannelIndex = -1;   // "SLIDERCHANNEL"
};

enum TacTitleGlyph : uint8_t {
    tgCloseAlone, tgClose, tgMax, tgMin, tgNormal, tgHelp, tgSmallClose, tgSmallMax, tgSmallMin, tgSmallNormal,
    tgSmallHelp, tgUser, tgNone
};
constexpr int acTitleGlyphCount = 13;
