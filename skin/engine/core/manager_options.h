// The skin manager's option objects, nested properties of the manager: Options, Effects,
// AnimEffects, ScrollsOptions, ButtonsOptions, LabelsOptions, Fonts, ThirdParty and MenuSupport.
// Each is made and freed by the manager and read directly by the controls, forms and wrappers.
// A setter stores a changed value and tells the manager (TacSkinDataOwner::OptionChanged), which
// carries the change to the skin, the forms and the menus; writing the value a property already
// has tells nothing. No windows.h here.
#pragma once

#include <array>
#include <memory>

#include "skin/engine/core/skin_data.h"
#include "vcl/classes.h"
#include "vcl/strings.h"

// ---- Options ---------------------------------------------------------------------------------

enum TacOptimizingPriority : uint8_t { opSpeed, opMemory };

class TacOptions : public TPersistent {
public:
    explicit TacOptions(TacSkinDataOwner* owner) : FOwner(owner) {}

    // 0 CheckEmptyAlpha, 1 NoMouseHover, 2 NativeBordersMaximized, 3 StdGlyphsOrder,
    // 4 ChangeSysColors, 5 StdImgTransparency, 6 DrawNonClientArea; any other index answers
    // ChangeSysColors as well.
    bool GetBoolOption(int index) const;
    // The skin's arrow style when ArrowsStyle is arsDefault.
    TacArrowsStyle ActualArrowStyle() const;

    bool CheckEmptyAlpha() const { return FCheckEmptyAlpha; }
    void SetCheckEmptyAlpha(bool v) { FCheckEmptyAlpha = v; }
    bool NoMouseHover() const { return FNoMouseHover; }
    void SetNoMouseHover(bool v) { FNoMouseHover = v; }
    bool NativeBordersMaximized() const { return FNativeBordersMaximized; }
    void SetNativeBordersMaximized(bool v) { FNativeBordersMaximized = v; }
    bool StdGlyphsOrder() const { return FStdGlyphsOrder; }
    void SetStdGlyphsOrder(bool v) { FStdGlyphsOrder = v; }
    bool ChangeSysColors() const { return FChangeSysColors; }
    void SetChangeSysColors(bool v);
    bool StdImgTransparency() const { return FStdImgTransparency; }
    void SetStdImgTransparency(bool v) { FStdImgTransparency = v; }
    bool DrawNonClientArea() const { return FDrawNonClientArea; }
    void SetDrawNonClientArea(bool v);
    TacArrowsStyle ArrowsStyle() const { return FArrowsStyle; }
    void SetArrowsStyle(TacArrowsStyle v);
    TacOptimizingPriority OptimizingPriority() const { return FOptimizingPriority; }
    void SetOptimizingPriority(TacOptimizingPriority v) { FOptimizingPriority = v; }
    TacScaleMode ScaleMode() const { return FScaleMode; }
    void SetScaleMode(TacScaleMode v);
    int PixelsPerInch() const { return FPixelsPerInch; }
    // 48..384.
    void SetPixelsPerInch(int v);

private:
    bool FNoMouseHover = false;
    bool FStdGlyphsOrder = false;
    bool FCheckEmptyAlpha = false;
    bool FChangeSysColors = false;
    bool FStdImgTransparency = false;
    bool FDrawNonClientArea = true;
    bool FNativeBordersMaximized = false;
    TacSkinDataOwner* FOwner;
    TacArrowsStyle FArrowsStyle = arsDefault;
    uint16_t FPixelsPerInch = 96;
    TacOptimizingPriority FOptimizingPriority = opSpeed;
    TacScaleMode FScaleMode = smVCL;
};

// ---- Effects ----------------------------------------------------------------------------------

class TacSkinEffects : public TPersistent {
public:
    explicit TacSkinEffects(TacSkinDataOwner* manager) : Manager(manager) {}

    bool AllowAnimation = true;   // every animation of forms, dialogs, pages, states and skin changes
    bool AllowAeroBluring = true;
    bool AllowGlowing = true;
    bool AllowOuterEffects() const { return FAllowOuterEffects; }
    void SetAllowOuterEffects(bool v);
    bool DiscoloredGlyphs() const { return FDiscoloredGlyphs; }
    void SetDiscoloredGlyphs(bool v);
    TacSkinDataOwner* Manager;

private:
    bool FAllowOuterEffects = true;
    bool FDiscoloredGlyphs = false;
};

// ---- AnimEffects --------------------------------------------------------------------------------

enum TacAnimType : uint8_t { atFading, atAero, atDropDown };

class TacFormAnimation : public TPersistent {
public:
    TacFormAnimation() = default;
    uint16_t Time = 0;   // milliseconds
    bool Active = true;
    TacAnimType Mode = atAero;
};

class TacBlendOnMoving : public TacFormAnimation {
public:
    TacBlendOnMoving()
    {
        Active = false;
        Time = 1000;
    }
    uint8_t BlendValue = 170;
};

enum TacBtnEvent : unsigned { beMouseEnter = 1, beMouseLeave = 2, beMouseDown = 4, beMouseUp = 8 };
using TacBtnEvents = unsigned;

class TacBtnEffects : public TPersistent {
public:
    TacBtnEvents Events = beMouseEnter | beMouseLeave | beMouseDown | beMouseUp;
};

class TacDialogShow : public TacFormAnimation {};
class TacFormShow : public TacFormAnimation {};
class TacFormHide : public TacFormAnimation {};
class TacMinimizing : public TacFormAnimation {
public:
    TacMinimizing() { Time = 80; }
};
class TacPageChange : public TacFormAnimation {};
class TacSkinChanging : public TacFormAnimation {
public:
    TacSkinChanging()
    {
        Time = 100;
        Mode = atFading;
    }
};

class TacAnimEffects : public TPersistent {
public:
    explicit TacAnimEffects(TacSkinDataOwner* manager) : Manager(manager) {}
    TacBlendOnMoving BlendOnMoving;
    TacBtnEffects Buttons;
    TacDialogShow DialogShow;
    TacFormShow FormShow;
    TacFormHide FormHide;
    TacFormHide DialogHide;
    TacMinimizing Minimizing;
    TacPageChange PageChange;
    TacSkinChanging SkinChanging;
    TacSkinDataOwner* Manager;
};

// ---- ScrollsOptions, ButtonsOptions, LabelsOptions ---------------------------------------------

class TacScrollBarsSupport : public TPersistent {
public:
    explicit TacScrollBarsSupport(TacSkinDataOwner* owner) : FOwner(owner) {}
    int ScrollSize() const { return FScrollSize; }
    void SetScrollSize(int v);
    int ButtonsSize() const { return FButtonsSize; }
    void SetButtonsSize(int v);

private:
    int FScrollSize = -1;    // -1: the system's size
    int FButtonsSize = -1;
    TacSkinDataOwner* FOwner;
};

enum TacButtonColoring : unsigned { bcBackground = 1, bcGlyph = 2, bcText = 4 };
using TacButtonsColoring = unsigned;

class TacButtonsSupport : public TPersistent {
public:
    explicit TacButtonsSupport(TacSkinDataOwner* owner) : FOwner(owner) {}
    bool ShowFocusRect = true;
    bool ShiftContentOnClick = true;
    bool AllowRTLSysButtons = true;
    TacButtonsColoring ModalButtonsColoring = bcGlyph;
    // One flag for the whole process, not per manager.
    bool OldGlyphsMode() const;
    void SetOldGlyphsMode(bool v);

private:
    TacSkinDataOwner* FOwner;
};

class TacLabelsSupport : public TPersistent {
public:
    bool TransparentAlways = true;
};

// ---- Fonts --------------------------------------------------------------------------------------

enum TacFontMode : uint8_t { fmDefault, fmFromSkin, fmCustom };

class TacFonts : public TPersistent {
public:
    explicit TacFonts(TacSkinDataOwner* manager) : SkinManager(manager) {}
    TacFontMode MainMode() const { return FMainMode; }
    void SetMainMode(TacFontMode v);
    const String& MainFont() const { return FMainFont; }
    void SetMainFont(const String& v);
    TacSkinDataOwner* SkinManager;

private:
    TacFontMode FMainMode = fmDefault;
    String FMainFont;
};

// ---- MenuSupport --------------------------------------------------------------------------------

class TacMenuSupport : public TPersistent {
public:
    explicit TacMenuSupport(TacSkinDataOwner* manager) : FManager(manager) {}
    const String& IcoLineSkin() const { return FIcoLineSkin; }
    void SetIcoLineSkin(const String& v) { FIcoLineSkin = v; }
    bool CustomFont() const { return FCustomFont; }
    // Tells the menu skinning, which builds its shared menu font or frees it.
    void SetCustomFont(bool v);

private:
    TacSkinDataOwner* FManager;
    String FIcoLineSkin;
    bool FCustomFont = false;
};

// ---- ThirdParty ---------------------------------------------------------------------------------

// Class names of foreign controls the wrappers and the form skinning treat as a given kind.
enum TacThirdKind : int {
    tpEdit, tpButton, tpBitBtn, tpCheckBox, tpComboBox, tpGrid, tpGroupBox, tpListView, tpPanel, tpTreeView,
    tpwwEdit, tpGridEh, tpVirtualTrees, tpPageControl, tpTabControl, tpToolBar, tpStatusBar, tpSpeedButton,
    tpScrollControl, tpUpDown, tpScrollBar, tpStaticText, tpNativePaint
};
constexpr int acThirdListCount = 23;

class TsThirdPartyList : public TPersistent {
public:
    // The lines of one kind (one class name a line), "TButton" for buttons and one blank for
    // every other kind by default.
    const String& GetString(int index) const { return FLists.at(static_cast<size_t>(index)); }
    void SetString(int index, const String& value) { FLists.at(static_cast<size_t>(index)) = value; }
    static String DefaultOf(int index) { return index == tpButton ? L"TButton" : L" "; }
    // Gives every empty kind its default, then each list its kind's lines.
    void FillLists(std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists);
    // The lists' texts back into the kinds (each line ending with a line break).
    void TakeLists(const std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists);

private:
    std::array<String, acThirdListCount> FLists{};
};
