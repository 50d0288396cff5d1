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
    // A new mode is handed to the manager first (TakeScaleWrite), which switches the scaling
    // and stores the mode on its way; so is a new PPI.
    void SetScaleMode(TacScaleMode v);
    int PixelsPerInch() const { return FPixelsPerInch; }
    // 48..384.
    void SetPixelsPerInch(int v);
    // The values stored as they are, nobody told: for the manager's scale change.
    void StoreScaleMode(TacScaleMode v) { FScaleMode = v; }
    void StorePixelsPerInch(int v) { FPixelsPerInch = ClampPpi(v); }

private:
    static uint16_t ClampPpi(int v) { return static_cast<uint16_t>(v < 48 ? 48 : v > 384 ? 384 : v); }
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

// The font name a font mode applies: fmDefault the font the application had before a skin took
// over, fmFromSkin the skin's main font (that stored font when the skin names none), fmCustom
// MainFont. Empty: there is nothing to apply.
String FontNameOfMode(TacFontMode mode, const String& skinFont, const String& customFont, const String& storedFont);

// A control as the application font sees it.
struct TacFontTarget {
    String FontName;                 // the name its font has now
    bool HasParent = false;
    bool ParentFont = false;         // its font follows its parent's
    bool Windowed = false;
    bool HandleAllocated = false;
};
// The name the control's font takes when the application font becomes applied (its old name
// oldName, the font before any skin storedName); empty when it keeps its font: it follows its
// parent, its font was chosen for it, it is a window not created yet or a graphic control
// without a parent, or there is no name to apply.
String FontNameFor(const TacFontTarget& target, const String& applied, const String& oldName, const String& storedName);

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

// ---- What an option write does on screen ------------------------------------------------------

// The scale options, the system colours and the menu font are the manager's own business; these
// are the writes that reach the forms.
enum class TacOptionEffect : uint8_t {
    None,
    NonClientChanged,       // scmNonClientOptionChanged (the new value) to the registered forms and hooked windows
    UpdateSkin,             // the skin published again and the forms repainted
    RepaintForms,           // the forms refreshed
    RepaintFormsLocked,     // the same, under the skin-change covers
    ScrollOptionsChanged,   // scmScrollOptionsChanged to every form
    ApplyFont,              // the application font of the font mode (FontNameOfMode)
};
struct TacOptionContext {
    bool Loading = false;        // the manager is being streamed
    bool Designing = false;
    bool NoAutoUpdate = false;   // between BeginUpdate and EndUpdate
    TacFontMode FontMode = fmDefault;
};
TacOptionEffect OptionEffectOf(TacOptionChange change, const TacOptionContext& context);

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
    // every other kind by default. An index outside the kinds reads empty and writes nothing.
    const String& GetString(int index) const;
    void SetString(int index, const String& value);
    static String DefaultOf(int index) { return index == tpButton ? L"TButton" : L" "; }
    // Gives every kind its default (reset) or only every empty one, then each list its kind's lines.
    void FillLists(std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists, bool reset = false);
    // The lists' texts back into the kinds (each line ending with a line break).
    void TakeLists(const std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists);


    // The kinds by name, in the order they are stored.
    const String& ThirdEdits() const { return GetString(tpEdit); }
    void SetThirdEdits(const String& v) { SetString(tpEdit, v); }
    const String& ThirdButtons() const { return GetString(tpButton); }
    void SetThirdButtons(const String& v) { SetString(tpButton, v); }
    const String& ThirdBitBtns() const { return GetString(tpBitBtn); }
    void SetThirdBitBtns(const String& v) { SetString(tpBitBtn, v); }
    const String& ThirdCheckBoxes() const { return GetString(tpCheckBox); }
    void SetThirdCheckBoxes(const String& v) { SetString(tpCheckBox, v); }
    const String& ThirdGroupBoxes() const { return GetString(tpGroupBox); }
    void SetThirdGroupBoxes(const String& v) { SetString(tpGroupBox, v); }
    const String& ThirdListViews() const { return GetString(tpListView); }
    void SetThirdListViews(const String& v) { SetString(tpListView, v); }
    const String& ThirdPanels() const { return GetString(tpPanel); }
    void SetThirdPanels(const String& v) { SetString(tpPanel, v); }
    const String& ThirdGrids() const { return GetString(tpGrid); }
    void SetThirdGrids(const String& v) { SetString(tpGrid, v); }
    const String& ThirdTreeViews() const { return GetString(tpTreeView); }
    void SetThirdTreeViews(const String& v) { SetString(tpTreeView, v); }
    const String& ThirdComboBoxes() const { return GetString(tpComboBox); }
    void SetThirdComboBoxes(const String& v) { SetString(tpComboBox, v); }
    const String& ThirdWWEdits() const { return GetString(tpwwEdit); }
    void SetThirdWWEdits(const String& v) { SetString(tpwwEdit, v); }
    const String& ThirdVirtualTrees() const { return GetString(tpVirtualTrees); }
    void SetThirdVirtualTrees(const String& v) { SetString(tpVirtualTrees, v); }
    const String& ThirdGridEh() const { return GetString(tpGridEh); }
    void SetThirdGridEh(const String& v) { SetString(tpGridEh, v); }
    const String& ThirdPageControl() const { return GetString(tpPageControl); }
    void SetThirdPageControl(const String& v) { SetString(tpPageControl, v); }
    const String& ThirdTabControl() const { return GetString(tpTabControl); }
    void SetThirdTabControl(const String& v) { SetString(tpTabControl, v); }
    const String& ThirdToolBar() const { return GetString(tpToolBar); }
    void SetThirdToolBar(const String& v) { SetString(tpToolBar, v); }
    const String& ThirdStatusBar() const { return GetString(tpStatusBar); }
    void SetThirdStatusBar(const String& v) { SetString(tpStatusBar, v); }
    const String& ThirdSpeedButton() const { return GetString(tpSpeedButton); }
    void SetThirdSpeedButton(const String& v) { SetString(tpSpeedButton, v); }
    const String& ThirdScrollControl() const { return GetString(tpScrollControl); }
    void SetThirdScrollControl(const String& v) { SetString(tpScrollControl, v); }
    const String& ThirdUpDown() const { return GetString(tpUpDown); }
    void SetThirdUpDown(const String& v) { SetString(tpUpDown, v); }
    const String& ThirdScrollBar() const { return GetString(tpScrollBar); }
    void SetThirdScrollBar(const String& v) { SetString(tpScrollBar, v); }
    const String& ThirdStaticText() const { return GetString(tpStaticText); }
    void SetThirdStaticText(const String& v) { SetString(tpStaticText, v); }
    const String& ThirdNativePaint() const { return GetString(tpNativePaint); }
    void SetThirdNativePaint(const String& v) { SetString(tpNativePaint, v); }

private:
    std::array<String, acThirdListCount> FLists{};
};
