// One loaded skin at one PPI step: its sections, images and the scalar metrics of GLOBALINFO
// scaled to that PPI, and the indexes of the elements painters use without a name lookup.
// The manager keeps one per step it needs. No windows.h here: what the object needs of its
// manager comes through TacSkinDataOwner, so tests and the fuzzer load skins without windows.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "skin/engine/core/palette.h"
#include "skin/engine/core/skin_description.h"
#include "skin/engine/core/skin_images.h"
#include "skin/engine/core/skin_outer.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/core/skin_records.h"
#include "skin/graphics/pixel_view.h"

// How the manager chooses the PPI of its skin data.
enum TacScaleMode : uint8_t { sm100, sm125, sm150, sm200, smAuto, smOldMode, smVCL, smCustomPPI };

enum TacArrowsStyle : uint8_t { arsSolid1, arsLines1, arsSolid2, arsLines2, arsDefault };

// Skin-wide values of the manager, read from GLOBALINFO at every load.
struct TacSkinCommonInfo {
    bool Active = false;            // the 96-PPI data object has at least one section
    bool UseAeroBluring = false;    // "AEROBLUR" non-zero
    double Version = 0;             // "VERSION"
    String Author;                  // "AUTHOR"
    String SkinPath;                // folder of the skin with a trailing backslash; empty for a stored skin
    String MainFont;                // "MainFont"
    String Description;             // "DESCRIPTION"
    TColor FXColor = 0;             // reserved
    TColor Shadow1Color = 0;        // "SHADOW1COLOR"
    TColor SysInactiveBorderColor = 0;
    TacArrowsStyle ArrowStyle = arsSolid1;   // "ARROWSTYLE"
    int BIVAlign = 0;               // "BIVALIGN"
    int BIKeepHUE = 0;              // "BIKEEPHUE"
    int BrightMin = -50;            // "BRIGHTMIN"
    int BrightMax = 50;             // "BRIGHTMAX"
    int IndexGlobalInfo = -1;       // index of the GLOBALINFO section
    TacIntSections Sections{};      // indexes of the constant sections; all -1 after a reset
    TacSkinDescription OptionsDat;  // the skin description in use

    TacSkinCommonInfo() { Sections.fill(-1); }
};

// The GLOBALINFO "VERSION" as a number with "." as decimal separator; 0 when absent or not a number.
double ReadSkinVersion(TacSkinDescription& description);
// The skin-wide values of GLOBALINFO (AUTHOR ... VERSION) into info; integers missing or not
// numbers keep their defaults.
void ReadGlobalInfo(TacSkinDescription& description, TacSkinCommonInfo& info);

class TacSkinData;

// Options of the manager whose writing the manager carries further.
enum class TacOptionChange : uint8_t {
    ScaleMode, PixelsPerInch, DrawNonClientArea, ArrowsStyle, ChangeSysColors, AllowOuterEffects, DiscoloredGlyphs,
    ScrollSize, ButtonsSize, OldGlyphsMode, MenuCustomFont, FontMainMode, FontMainFont
};

// What a skin data object (and an option object) needs of the manager that owns it.
class TacSkinDataOwner {
public:
    virtual ~TacSkinDataOwner() = default;

    virtual TacSkinDescription& SkinDescription() = 0;
    virtual TacSkinCommonInfo& CommonInfo() = 0;
    virtual TacPalette& PaletteColors() = 0;
    // The manager's CommonSections text (additional sections), as lines.
    virtual const TStrings* CommonSectionLines() const = 0;
    virtual bool SkinIsActive() const = 0;
    // ExtendedBorders as it reads (on only while layered windows exist).
    virtual bool ExtendedBordersOn() const = 0;
    // The manager's integer scaling by its own step (or custom PPI).
    virtual int ScaleInt(int value) const = 0;
    virtual TacScaleMode ScaleModeValue() const = 0;
    virtual int CustomPpi() const = 0;   // Options.PixelsPerInch
    virtual TColor SystemColor(int index) const = 0;
    virtual int SystemFrameWidth() const = 0;   // SM_CXFRAME
    virtual const TPixelImage* MasterImage() const = 0;
    // The bytes of a file of the skin in use (its folder or its packed entries); False when absent.
    virtual bool ReadSkinFile(const String& name, std::vector<uint8_t>& bytes)
    {
        (void)name;
        (void)bytes;
        return false;
    }
    // The manager images name (their Manager); nil for an owner that is no manager.
    virtual TsSkinManager* ImageManager() { return nullptr; }
    // The manager's Brightness, and whether the desktop composes windows (premultiplied pictures).
    virtual int BrightnessValue() const { return 0; }
    virtual bool CompositionOn() const { return false; }
    // The manager's Boolean options by index (0 CheckEmptyAlpha, 3 StdGlyphsOrder, 5 StdImgTransparency, ...).
    virtual bool BoolOption(int index) const = 0;
    // The 96-PPI data object (the palette reads its EDIT, HINT, SELECTION and MENUITEM sections).
    virtual const TacSkinData* SkinData96() = 0;
    // Derives the palette (and whatever the manager keeps of it) once data's sections exist.
    virtual void InitSkinParams() = 0;
    // Loads the whole skin into data (sources, skin-wide values, then data.LoadFromDescription).
    virtual void ReloadSkin(int ppi, TacSkinData& data) = 0;
    // An option of the manager was written with a new value.
    virtual void OptionChanged(TacOptionChange change) { (void)change; }
    // Options.ScaleMode or Options.PixelsPerInch (value, the PPI already within 48..384) written
    // with a new value, before it is stored. An owner that answers true has taken the write
    // over: it stores the value itself (TacOptions::StoreScaleMode, StorePixelsPerInch) when its
    // scale change comes to it. Otherwise the value is stored and OptionChanged told.
    virtual bool TakeScaleWrite(TacOptionChange change, int value)
    {
        (void)change, (void)value;
        return false;
    }
};

// Process-wide settings the data objects scale: the line width and the scroll button length.
extern int DefaultLineWidth;
extern int DefaultScrollBtnLength;

using TacAllTabs = std::array<std::array<TacConstElementData, 4>, 4>;   // [TacTabLayout][TacSide]

class TacSkinData : public TacSkinPaintSource {
public:
    TacSkinData(TacSkinDataOwner* owner, int ppi);
    ~TacSkinData() override;
    TacSkinData(const TacSkinData&) = delete;
    TacSkinData& operator=(const TacSkinData&) = delete;

    TacSkinDataOwner* Owner() const { return FOwner; }

    // Loads the skin through the owner (Initializing is set meanwhile).
    void Init();
    // Drops sections, images and the bitmaps they use.
    void Reset();
    void FreeBitmaps();

    // The whole load of one object from the owner's description, in order: parameters,
    // images, sections and GLOBALINFO metrics, constant indexes, image indexes, extended
    // border metrics, the owner's palette, window shadows.
    void LoadFromDescription();

    void LoadParams();
    void LoadAllMasks();
    void LoadAllGeneralData();
    void InitConstantIndexes();
    void InitMaskIndexes();
    void InitMaskParams();
    void CheckShadows();
    // The two window outer effects (keys "SH_..." and "LO_...") and their images.
    void LoadOuterEffects();

    int ScaleIntValue(int value) const { return value * FPPI / 96; }
    bool Active() const { return FOwner && FOwner->SkinIsActive(); }
    int BrightMin() const { return FOwner ? FOwner->CommonInfo().BrightMin : -50; }
    int BrightMax() const { return FOwner ? FOwner->CommonInfo().BrightMax : 50; }

    // A GLOBALINFO number for this object's PPI: a key with the step's suffix ("*125", "*150",
    // "*200") is taken as it is; otherwise the plain key (or def) is scaled when asked. With an
    // image index the image's own PPI decides. Values read are kept within [low, high].
    int ReadScaledGlobalInt(const String& key, int def, int imageIndex, bool scaled, int low = INT32_MIN,
                            int high = INT32_MAX);

    // Window shadows, built on first use and kept until Reset.
    const TPixelImage* GetActiveShadow();
    const TPixelImage* GetPassiveShadow();

    // ---- what the painters read ----
    int SectionCount() const override { return static_cast<int>(gd.size()); }
    const TsGeneralData& Section(int index) const override { return gd[static_cast<size_t>(index)]; }
    int ImageCount() const override { return static_cast<int>(ma.size()); }
    const TsMaskData& Image(int index) const override { return ma[static_cast<size_t>(index)]; }
    int PPI() const override { return FPPI; }
    TPixelView MasterBitmap() const override;
    const TacSkinPaintSource* UnscaledData() const override;
    bool IsActive() const override { return Active(); }
    TColor GlobalColor() const override;
    int ConstSectionIndex(TacSection section) const override;
    bool CheckEmptyAlpha() const override { return FOwner && FOwner->BoolOption(0); }
    bool StdGlyphsOrder() const override { return FOwner && FOwner->BoolOption(3); }
    bool StdImgTransparency() const override { return FOwner && FOwner->BoolOption(5); }

    // ---- lookups (exact, case-sensitive names; -1 when absent) ----
    int SkinIndexOf(const String& sectionName) const;
    bool IsValidSection(int index) const { return index >= 0 && static_cast<size_t>(index) < gd.size(); }
    bool IsValidImage(int index) const { return index >= 0 && static_cast<size_t>(index) < ma.size(); }
    // The image of a section by key, climbing PARENTCLASS (every climb stops at a section
    // already visited, so a parent cycle ends).
    int MaskIndexOf(int skinIndex, const String& propName) const;
    // The image by section name and key, no parent search.
    int MaskIndexOf(const String& sectionName, const String& propName) const;
    // As the first form, climbing only while the parent's name differs from the name passed.
    int MaskIndexOf(int skinIndex, const String& sectionName, const String& propName) const;
    int TextureIndexOf(int skinIndex, const String& propName) const;
    int TextureIndexOf(int skinIndex, const String& sectionName, const String& propName) const;

    // Appends a section: a deep copy of parentIndex, or an empty one with the colours given.
    int AddSection(const String& name, int parentIndex, TColor color, int transparency, TColor fontColor, int states);

    // ---- the loaded skin ----
    std::unique_ptr<TPixelImage> rsta, rsti;   // window shadows (active, inactive)
    bool Initializing = false;
    TacBmpArray BmpArray;   // pixels of the images that own some
    int ScaleValue = 0;
    int ScalePercent = 100;
    int FPPI = 96;   // pixels per inch of this object (PPI())
    int Spacing = 4, LineWidth = 2, ArrowSize = 5, SmallArrowSize = 4, ScrollBtnLength = 16;
    int Shadow1Blur = -1, Shadow1Offset = 0;
    int ExBorderWidth = 4, ExTitleHeight = 30, ExMaxHeight = 0, ExContentOffs = 0, ExCenterOffs = 0;
    int ExShadowOffs = 0, ExShadowOffsR = 0, ExShadowOffsT = 0, ExShadowOffsB = 0;
    int BIRightMargin = 0, BILeftMargin = 0, BITopMargin = 0;
    int WndShadowRadius = 17, WndShadowSize = 13, WndShadowOffset = 2;
    int Shadow1Transparency = 0;
    int ExDrawMode = 0;
    int BISpacing = 0;
    int ComboBoxMargin = 2, SliderMargin = 1;
    uint8_t TabsCovering = 0, RibbonCovering = 0;
    TColor WndShadowColorN = TColorOf(0x44000000u), WndShadowColorA = TColorOf(0x99000000u);
    std::array<TacConstElementData, 4> Scrolls{}, ScrollBtns{}, UpDownBtns{};
    std::array<TacConstElementData, 2> Sliders{};   // horizontal, vertical
    TacConstElementData MenuItem, ComboBtn;
    std::array<std::vector<int>, 7> TitleGlows{};
    std::array<int, 7> GlowMargins{};
    std::array<int, acTitleGlyphCount> TitleGlyphs{};
    std::array<int, 2> RadioButton{-1, -1};
    std::array<int, 3> CheckBox{-1, -1, -1}, SmallCheckBox{-1, -1, -1};
    std::array<TacTrackBarData, 2> TrackBar{};       // vertical, horizontal
    TacAllTabs Tabs{};
    int ExBorder = -1;
    int GripVertical = -1, GripHorizontal = -1, GripRightBottom = -1;
    std::unique_ptr<TPixelImage> ShdaTemplate, ShdiTemplate;
    TRect FormShadowSize;
    std::vector<TsMaskData> ma;      // images
    TacOutEffArray oe;               // window outer effects: [0] light outline, [1] shadow
    std::vector<String> Notes;       // images left out while loading, and why
    std::vector<TsGeneralData> gd;   // sections

private:
    TacOuterContext OuterContext();
    TacConstElementData FillConstElement(const String& name1, const String& name2 = String(),
                                         const String& name3 = String()) const;
    TacTrackBarData FillTrackBar(bool horizontal) const;
    void LoadCommonSections(const TStrings& lines);
    void ReadGlobalMetrics();
    // The pixels of one state frame of an image (its own bitmap or its part of the master).
    TPixelView ImageFrame(const TsMaskData& image, int frame) const;

    TacSkinDataOwner* FOwner;
};

// ---- reading sections of the description ----------------------------------------------------

// An integer of a section, looked up in its PARENTCLASS chain while absent or negative. Raw
// keeps -1 for an absent key, otherwise def stands in; the result is at most max. A parent
// naming itself, "?", an empty parent, or a section met before on the climb ends it.
int ReadIntInherited(TacSkinDescription& d, const String& section, const String& key, int def, bool raw,
                     int max = INT32_MAX);
String ReadStrInherited(TacSkinDescription& d, const String& section, const String& key, const String& def);
// True exactly for "TRUE" or "1" (case-sensitive), def when absent along the chain.
bool ReadBoolInherited(TacSkinDescription& d, const String& section, const String& key, bool def);
// One state (0 normal, 1 hot, 2 second active) of a section, each key inherited.
TsGenState ReadGenState(TacSkinDescription& d, const String& section, int stateIndex, const TsGenState& defaults);
void CopyGenState(TsGenState& dest, const TsGenState& source);

// The section names the engine looks up for the constant elements.
extern const wchar_t* const TitleGlyphNames[acTitleGlyphCount];
// The section standing in for a constant section the skin lacks (itself when none does).
TacSection FallbackSection(TacSection section);
