// The skin manager: the non-visual component that owns the application's current skin. It
// finds the skin named by SkinName, loads it into one TacSkinData per PPI step it needs,
// derives the 59-colour palette, and answers the section, image, colour and scaling queries of
// every skinned control, form frame and window wrapper. A control that names no manager uses
// the default manager, the first one created.
//
// Skins come from the text a skin editor hands over (ApplySkinEditorText), a skin folder, a
// packed file or the stored skins. A change is built aside and published to every form's
// controls only when it loaded; switching the manager off gives them their standard look back.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "skin/engine/core/skin_data.h"
#include "skin/engine/core/skin_editor_data.h"
#include "skin/engine/core/skin_list_names.h"
#include "skin/engine/core/skin_source.h"
#include "skin/engine/embedded_fonts.h"
#include "skin/engine/stored_skins.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/form_services.h"
#include "skin/engine/core/manager_options.h"
#include "vcl/controls.h"
#include "vcl/strings.h"

enum TacManagerStateValue : unsigned {
    msFontChanging = 1u << 0,    // the application font is being switched
    msScaleChanging = 1u << 1,   // the scale mode is being switched
    msSkinRemoving = 1u << 2,    // the skin is being removed
    msSkinChanging = 1u << 3,    // a skin is being loaded or rebuilt
    msBroadCasting = 1u << 4,    // the new skin is being published
    msAnimScaling = 1u << 5,     // an animated rescale runs
    msFormScaling = 1u << 6,     // a form is being rescaled
};
// A type of its own, so that the manager's HasState of these states and the component's HasState
// of its csXxx states (the same bits) can never stand in for each other.
using TacManagerState = TacManagerStateValue;
constexpr TacManagerState operator|(TacManagerState a, TacManagerState b)
{
    return TacManagerState(unsigned(a) | unsigned(b));
}
constexpr TacManagerState operator&(TacManagerState a, TacManagerState b)
{
    return TacManagerState(unsigned(a) & unsigned(b));
}
constexpr TacManagerState operator~(TacManagerState a) { return TacManagerState(~unsigned(a)); }
constexpr TacManagerState& operator|=(TacManagerState& a, TacManagerState b) { return a = a | b; }
constexpr TacManagerState& operator&=(TacManagerState& a, TacManagerState b) { return a = a & b; }

enum TacSkinningRule : unsigned { srStdForms = 1, srStdDialogs = 2, srThirdParty = 4 };
using TacSkinningRules = unsigned;
enum TacSkinsFilterItem : unsigned { sfiInternal = 1, sfiExternal = 2 };
using TacSkinsFilter = unsigned;
enum TacShowAction : uint8_t { saIgnore, saRestore, saMinimize };
class TacSkinListController;

struct TScaleChangeData {
    TacScaleMode OldScaleMode = smVCL, NewScaleMode = smVCL;
    int OldScalePercent = 100, NewScalePercent = 100;
    int OldPPI = 96, NewPPI = 96;
};

using TacSkinChangingEvent = Method<void(TObject* Sender, const String& NewSkinName, bool& AllowChanging)>;
using TacScaleModeChangeEvent = Method<void(TObject* Sender, const TScaleChangeData& ScaleChangeData)>;
using TacFontChangedEvent = Method<void(TObject* Sender, const String& DefOldFontName, const String& FontName)>;
// Events of the menu and dialog skinning; their data records belong to it.
using TacSysDlgInitEvent = Method<void(void* DlgData, bool& AllowSkinning)>;
using TacMenuDataEvent = Method<void(TObject* Sender, void* Data)>;

class TsSkinManager : public TComponent, public TacSkinDataOwner {
public:
    explicit TsSkinManager(TComponent* owner);
    ~TsSkinManager() override;

    static constexpr const wchar_t* ToolkitVersion = L"14.24";

    // ---- published properties ----
    bool Active() const { return FActive; }
    void SetActive(bool value);
    int Brightness() const { return FBrightness; }
    void SetBrightness(int value);   // clamped to -100..100
    int HueOffset() const { return FHueOffset; }
    void SetHueOffset(int value);
    int Saturation() const { return FSaturation; }
    void SetSaturation(int value);
    TStrings* CommonSections() { return &FCommonSections; }
    void SetCommonSections(const TStrings& value);
    // Reads true only while the system has layered windows.
    bool ExtendedBorders() const;
    void SetExtendedBorders(bool value);
    bool IsDefault() const;
    void SetIsDefault(bool value);
    const String& SkinDirectory() const { return FSkinDirectory; }
    void SetSkinDirectory(const String& value);
    // The active skin's version ("8", "14.5"), "N/A" while no skin is active.
    String SkinInfo() const;
    const String& SkinName() const { return FSkinName; }
    void SetSkinName(const String& value);
    bool SkinnedPopups() const { return FSkinnedPopups; }
    void SetSkinnedPopups(bool value);
    TacSkinningRules SkinningRules() const { return FSkinningRules; }
    void SetSkinningRules(TacSkinningRules value);
    TacSkinsFilter SkinsFilter() const { return FSkinsFilter; }
    // A change empties the skin list (stale, its controls told) and fires OnSkinListChanged.
    void SetSkinsFilter(TacSkinsFilter value);
    String Version() const { return ToolkitVersion; }

    TacAnimEffects* AnimEffects() const { return FAnimEffects.get(); }
    TacButtonsSupport* ButtonsOptions() const { return FButtonsOptions.get(); }
    TacSkinEffects* Effects() const { return FEffects.get(); }
    TacFonts* Fonts() const { return FFonts.get(); }
    TacLabelsSupport* LabelsOptions() const { return FLabelsOptions.get(); }
    TacMenuSupport* MenuSupport() const { return FMenuSupport.get(); }
    TacOptions* Options() const { return FOptions.get(); }
    TacScrollBarsSupport* ScrollsOptions() const { return FScrollsOptions.get(); }
    TsThirdPartyList* ThirdParty() const { return FThirdParty.get(); }

    // ---- events ----
    TNotifyEvent OnActivate, OnDeactivate, OnBeforeChange, OnAfterChange, OnSkinLoading, OnSkinListChanged;
    TNotifyEvent OnScaleChanged;   // sender: the Options object
    TacSkinChangingEvent OnSkinChanging;
    TacScaleModeChangeEvent OnScaleModeChange;
    TacFontChangedEvent OnFontChanged;
    TacSysDlgInitEvent OnSysDlgInit;
    TacMenuDataEvent OnGetMenuExtraLineData;
    TacMenuDataEvent OnGetPopupItemData;

    // ---- state other parts rely on ----
    TacManagerState ManagerState{};
    bool HasState(TacManagerState s) const { return (ManagerState & s) != 0; }
    using TComponent::HasState;   // the csXxx states
    bool NoAutoUpdate = false;
    bool SkinIsPacked = false;
    TacSkinDescription* SkinFile = nullptr;   // the description in use (SkinCommonInfo.OptionsDat once loaded)
    TPixelImage MasterBitmap;                 // 32-bit master image
    std::vector<std::unique_ptr<TacSkinData>> SkinDataArray;
    TacPalette Palette{};
    std::array<HBRUSH, 6> Brushes{};          // solid brushes of palette colours 0..5
    // A solid brush of that colour, made once and kept until the manager goes (brushes handed
    // out in place of the system's are never freed by those who ask).
    HBRUSH KeptBrush(TColor color);
    std::array<std::unique_ptr<TStringList>, acThirdListCount> ThirdLists;
    int SysFontScale = 0;
    HWND FActiveControl = nullptr;            // hot windowed control
    TControl* FActiveGraphControl = nullptr;  // hot graphic control
    TacShowAction ShowState = saIgnore;
    TacSkinEditorData PreviewBuffer;
    String DefStoredFontName, DefOldFontName, DefNewFontName;
    bool GlobalHookInstalled = false;
    TacSkinCommonInfo SkinCommonInfo;
    std::unique_ptr<TacMenuSkinning> SkinableMenus;
    // The skin's fonts, installed for this process while it is loaded.
    TacEmbeddedFonts EmbeddedFonts;

    // ---- stored skins and sources ----
    // The skins stored in the program (the last source; filled item by item or read from their
    // stored form). Adding one marks the skin list stale; any change fires OnSkinListChanged.
    TsStoredSkins* InternalSkins() { return &FInternalSkins; }
    // The items become copies of value's.
    void SetInternalSkins(const TsStoredSkins* value) { FInternalSkins.Assign(value); }
    // The source of the skin in use: its folder or its packed entries; nil before the first load.
    const TacSkinSource* SkinSource() const { return FSource.get(); }
    // Writes the stored skins of that name as "<Name> extracted.asz" into destDir.
    void ExtractInternalSkin(const String& nameOfSkin, const String& destDir);
    void ExtractByIndex(int index, const String& destDir);

    // ---- the list of available skins (skin_list.cpp) ----
    // Made on first use; owned.
    TacSkinListController* SkinListController();
    // List gets the sorted names of the listed skins of that kind (the list finished first);
    // answers the first name in list order, empty when none. With createDataObject every name
    // carries a TacSkinItemData with its preview's index; a string list that owns its objects
    // takes them over, for any other list they live until the next call for the same list or
    // the manager's end.
    String GetSkinNames(TStrings& list, bool createDataObject = false, TacSkinType skinType = stAllSkins);
    // The kind alone would be taken for createDataObject.
    String GetSkinNames(TStrings& list, TacSkinType skinType) = delete;
    // The same for every skin not stored in the program. A manager over the default manager's
    // skin directory takes a copy of the default manager's list (previews too) instead of
    // reading the folder.
    String GetExternalSkinNames(TStrings& list, bool createDataObject = false, TacSkinType skinType = stAllSkins);
    String GetExternalSkinNames(TStrings& list, TacSkinType skinType) = delete;
    // A name picked at random out of all listed skins; empty when there is none.
    String GetRandomSkin();
    // The next query for names builds the list again (a stored skin was added).
    void MarkSkinListStale();

    // ---- queries ----
    // A skin is in force: loaded, or being published. While scmNewSkin goes out
    // SkinCommonInfo.Active is False, but its receivers resolve their sections from the new skin.
    bool IsActive() const { return SkinCommonInfo.Active || (HasState(msBroadCasting) && FirstDataHasSections()); }
    int LengthOfGD() const;
    bool IsValidSkinIndex(int skinIndex) const;
    bool IsValidImgIndex(int imageIndex);
    std::vector<TsGeneralData>& gd() { return CommonSkinData(96)->gd; }
    std::vector<TsMaskData>& ma() { return CommonSkinData(96)->ma; }
    TacOutEffArray& oe() { return CommonSkinData(96)->oe; }
    int GetSkinIndex(const String& sectionName, TacSkinData* skinData = nullptr);
    int GetMaskIndex(int skinIndex, const String& propName, TacSkinData* skinData = nullptr);
    int GetMaskIndex(const String& sectionName, const String& propName, TacSkinData* skinData = nullptr);
    int GetMaskIndex(int skinIndex, const String& sectionName, TacSkinData* skinData, const String& propName);
    int GetTextureIndex(int skinIndex, const String& propName, TacSkinData* skinData = nullptr);
    int GetTextureIndex(int skinIndex, const String& sectionName, TacSkinData* skinData, const String& propName);
    void GetSkinSections(TStrings& list, TacSkinData* skinData = nullptr);
    TColor GetGlobalColor() const { return Palette[pcMainColor]; }
    TColor GetGlobalFontColor() const { return Palette[pcLabelText]; }
    TColor GetActiveEditColor() const { return Palette[pcEditBG]; }
    TColor GetActiveEditFontColor() const { return Palette[pcEditText]; }
    TColor GetHighLightColor(bool focused) const { return Palette[focused ? pcSelectionBG_Focused : pcSelectionBG]; }
    TColor GetHighLightFontColor(bool focused) const
    {
        return Palette[focused ? pcSelectionText_Focused : pcSelectionText];
    }
    bool IsStandardVclPpi() const;
    // The colour mask of an outer effect: the upper half ColorB, the lower ColorT, a triangle of
    // ColorL at the left and of ColorR at the right (all of ColorL when ColorB is the key colour).
    void FillSideColorMask(TBitmap* bmp, const TRect& rect, TColor colorL, TColor colorB, TColor colorR, TColor colorT);

    // ---- per-PPI skin data ----
    // The data object for a PPI (the fallback objects while no skin is active).
    TacSkinData* CommonSkinData(int ppi = 96);
    int GetScale() const;
    int ScaleInt(int value, int sysScale) const;
    void ResetSkinData();
    void BuildSkinData();
    // Rescales a form or windowed control from currentPpi to newPpi (newPpi 0: from the PPI it
    // answers to scmGetPPI to the manager's) and sends it scmPPIChanged. A form is left to the
    // platform's scaling (Scaled) exactly in smVCL, where only a given PPI that differs is acted
    // on. A control that answers -1 does not scale.
    void UpdateScale(TWinControl* control, int currentPpi, int newPpi);
    // After a scale-mode change: the image lists take the new PPI, then every registered skinned
    // form takes the manager's.
    void UpdateAllScale();
    void ClearSkinData();
    // The unscaled data as the painters read it (nil while there is none).
    const TacSkinPaintSource* PaintSource();
    // One image of the skin (the variant of propName in sectionName chosen for mulPpi) as a record
    // of its own at mulPpi, its pixels in bmp (the caller's). Answers mulPpi, or -1 when no skin
    // is active, the key has no value, the value cannot be read, its rectangle holds no pixel of
    // its picture or the picture cannot be had.
    int GetScaledMaskData(const String& sectionName, const String& propName, TsMaskData& maskData,
                          std::unique_ptr<TPixelImage>& bmp, int mulPpi);
    // The width of a scroll bar at ppi by ScrollsOptions and the scale mode.
    int CalcScrollBarWidth(int ppi) const;
    int ScrollBarWidth(int ppi) const { return CalcScrollBarWidth(ppi); }

    // ---- publishing ----
    // scmNewSkin to every form's controls, then (repaint) a refresh of every form.
    void BroadcastNewSkin(bool repaint);
    // The skin data dropped, then scmRemoveSkin to every form's controls and the forms redrawn.
    void BroadcastRemoveSkin();
    // The controls' animations stopped, scmRefresh to every form, the forms redrawn.
    void RepaintForms(bool lockForms);
    void UpdateSkin(bool repaint);
    // Every control whose section has that name (any case) repaints (scmSectionUpdated).
    void UpdateSkinSection(const String& sectionName);

    // ---- loading ----
    void BeginUpdate() { NoAutoUpdate = true; }
    // Publishes what was loaded since BeginUpdate (once), then OnAfterChange.
    void EndUpdate(bool repaint, bool allowAnimation);
    // Loads and applies a skin a skin editor handed over (its record in PreviewBuffer).
    void LoadPreviewSkin();
    // The same from its parts: text becomes the description of the skin called name.
    void ApplySkinEditorText(const String& name, const String& directory, const String& text);
    String GetFullSkinDirectory() const;

    // ---- the application font ----
    // Once: the font the application has before any skin (the main form's, else the
    // application's default) becomes DefStoredFontName and DefOldFontName.
    void StoreDefFont();
    // Switches the application to that font name: every form whose font is the application's,
    // then every control that follows it (scmFontChanged), then OnFontChanged. Nothing for the
    // name in force or an empty name; lockForms holds painting back meanwhile.
    void ChangeAppFont(const String& fontName, bool lockForms);
    // Gives a control the application font in force (the switched-to name while a skin is
    // active, else the stored one) unless it keeps its own; true when its font name was set.
    bool UpdateFontName(TControl* control);

    // ---- the foreign class lists ----
    // ThirdLists from the ThirdParty texts; reset first gives every text its default.
    void FillThirdLists(bool reset);
    // The lists' texts back into ThirdParty.
    void StoreThirdLists();

    // ---- the window-creation hook (the default manager's) ----
    void InstallHook();
    void UnInstallHook();

    // ---- the application window and the hot control (app_hook.cpp) ----
    // A message of the application window, seen before the window's own procedure while the
    // default manager hooks it; true when it was handled (its Result is the answer).
    bool AppWindowHook(TMessage& message);
    // Makes a window the hot control: the one left hears scmMouseLeave, the new one
    // scmMouseEnter; a child still under the mouse stays hot when the move is onto its parent.
    void ChangeActiveControl(HWND wnd);
    // Makes a graphic control the hot one (nil: none, unless the hot one still has the mouse).
    void ChangeActiveGraphControl(TControl* control);
    // The hot-control timer's handler: lets go of the hot window and graphic control the
    // mouse has left.
    void CheckHotControl(TObject* sender);
    // Fires CheckHotControl every 100 ms while the manager lives (owned by it).
    TComponent* TimerCheckHot = nullptr;

    // ---- TacSkinDataOwner ----
    TacSkinDescription& SkinDescription() override { return SkinCommonInfo.OptionsDat; }
    TacSkinCommonInfo& CommonInfo() override { return SkinCommonInfo; }
    TacPalette& PaletteColors() override { return Palette; }
    const TStrings* CommonSectionLines() const override { return &FCommonSections; }
    bool SkinIsActive() const override { return IsActive(); }
    bool ExtendedBordersOn() const override { return ExtendedBorders(); }
    int ScaleInt(int value) const override { return ScaleInt(value, -1); }
    TacScaleMode ScaleModeValue() const override;
    int CustomPpi() const override;
    TColor SystemColor(int index) const override;
    int SystemFrameWidth() const override;
    const TPixelImage* MasterImage() const override { return &MasterBitmap; }
    const TacSkinData* SkinData96() override { return CommonSkinData(96); }
    bool BoolOption(int index) const override;
    void InitSkinParams() override;
    void ReloadSkin(int ppi, TacSkinData& data) override;
    void OptionChanged(TacOptionChange change) override;
    bool ReadSkinFile(const String& name, std::vector<uint8_t>& bytes) override;
    TsSkinManager* ImageManager() override { return this; }
    int BrightnessValue() const override { return FBrightness; }
    bool CompositionOn() const override;
    bool TakeScaleWrite(TacOptionChange change, int value) override;

protected:
    void Loaded() override;
    void AfterConstruction();

private:
    // What a failed load puts back.
    struct TacSkinBackup {
        std::vector<std::unique_ptr<TacSkinData>> Data;
        TPixelImage Master;
        String Description;
        std::unique_ptr<TacSkinSource> Source;
        TacEmbeddedFonts Fonts;
        TacPalette Palette{};
        bool Packed = false, Active = false, CommonActive = false;
        TacIntSections Sections{};
        int IndexGlobalInfo = -1;
        String SkinPath, Author, SkinDescriptionText, MainFont;
        double Version = 0;
        TColor Shadow1Color = 0;
        int BIKeepHUE = 0;
    };
    TacSkinBackup BackUpSkin();
    // ResetSkinData and BuildSkinData; a failure restores the skin in use, shows the error and
    // answers False.
    bool RebuildSkinData();
    void RestoreSkin(TacSkinBackup& backup);
    // Sources after the editor's text: folder, packed file, stored skins. False when there is none.
    bool InitSkinSources();
    void UsePackedSkin(const uint8_t* data, size_t size);
    void LoadMasterBitmap();
    void LoadFonts();
    // Hue, saturation and brightness of the object being loaded, the master and the palette
    // (only its main and text colour when the palette is kept from an earlier load).
    void ApplyColorAdjustments(TacSkinData& data, bool wholePalette);
    bool InitSkinFile();
    void LoadCommonData();
    void CheckVersion();
    void RefreshSkinData();
    // A scale-mode (or custom PPI) change: OnScaleModeChange, the skin data rebuilt for the new
    // scale, the forms rescaled, the skin published once, OnScaleChanged. While the manager is
    // loading only the mode is stored (and the screen's message font follows).
    void ChangeScaleMode(TacScaleMode oldMode, TacScaleMode newMode, int newPpi, int oldPpi);
    // The change on the forms: the skinned forms of this manager held in their scaling state
    // while the mode is stored, the data rebuilt and everything rescaled; then published.
    void ApplyScaleChange(TacScaleMode newMode);
    // The main form's PPI, that of the system font's step without a main form.
    int ScaleMainFormPpi() const;
    void UpdateDialogsUnskinned();
    // The on-screen side of an option write (OptionEffectOf).
    void ApplyOptionEffect(TacOptionChange change);
    // The font Fonts.MainMode asks for, through ChangeAppFont.
    void ApplyFontMode(bool lockForms);
    bool FirstDataHasSections() const
    {
        return !SkinDataArray.empty() && SkinDataArray[0] && !SkinDataArray[0]->gd.empty();
    }
    bool Designing() const { return HasState(csDesigning); }

    bool FActive = true;
    int FBrightness = 0, FHueOffset = 0, FSaturation = 0;
    TStringList FCommonSections;
    bool FExtendedBorders = false;
    String FSkinDirectory;
    String FSkinName;
    bool FSkinnedPopups = true;
    TacSkinningRules FSkinningRules = srStdForms | srStdDialogs | srThirdParty;
    TacSkinsFilter FSkinsFilter = sfiInternal | sfiExternal;
    std::unique_ptr<TacAnimEffects> FAnimEffects;
    std::unique_ptr<TacButtonsSupport> FButtonsOptions;
    std::unique_ptr<TacSkinEffects> FEffects;
    std::unique_ptr<TacFonts> FFonts;
    std::unique_ptr<TacLabelsSupport> FLabelsOptions;
    std::unique_ptr<TacMenuSupport> FMenuSupport;
    std::unique_ptr<TacOptions> FOptions;
    std::unique_ptr<TacScrollBarsSupport> FScrollsOptions;
    std::unique_ptr<TsThirdPartyList> FThirdParty;
    // The text a skin editor handed over, and the skin it describes.
    String FEditorText, FEditorSkinName;
    bool FEditorTextSet = false;
    HHOOK FHook = nullptr;
    // The application window's hook and hot-control timer: started when the manager is made.
    void StartAppWindowServices();
    void StopAppWindowServices();
    TObject* FAppWindowHook = nullptr;   // owned
    std::unique_ptr<TacSkinSource> FSource;
    TsStoredSkins FInternalSkins{this};
    // Shared only so that this header needs no complete type; nobody else holds it.
    std::shared_ptr<TacSkinListController> FSkinListController;
    TacSkinData* FLoadingData = nullptr;   // the object ReloadSkin fills
    std::map<uint32_t, HBRUSH> FKeptBrushes;
};

// ---- process-wide state ----------------------------------------------------------------------

extern TsSkinManager* DefaultManager;
extern TacScaleMode DefaultScaleMode;
// True while a new skin is being published.
extern bool NewSkinBroadcasting;
// Kept by the default manager: standard dialogs are not skinned (no active skin, or srStdDialogs off).
extern bool DialogsUnskinned;
// The system is of the NT family (read at start-up); only then is the application window hooked.
extern bool IsWinNT;
// The four data objects answered while no skin is active (96, 120, 144, 192 PPI).
TacSkinData* FallbackSkinData(int step);

// ---- delivery to the forms ----------------------------------------------------------------------

// The message to every form with a window (the last opened first) and all its controls. The
// form count is read again before every step: when receivers closed forms meanwhile the
// broadcast ends there. Then BroadcastToSkinnedForms. The forms reached are remembered for
// FinishSkinChange.
void BroadcastToForms(const TMessage& message);

// The forms whose skin provider registered them, in registration order. A form leaves before it
// is freed; unregistering moves the last form into its slot.
const std::vector<TCustomForm*>& SkinnedForms();
void RegisterSkinnedForm(TCustomForm* form);
void UnregisterSkinnedForm(TCustomForm* form);
// The message to every registered form and its controls. The registry's length is read again
// before every step (receivers may unregister and free forms), and a form that left meanwhile
// is not descended into.
void BroadcastToSkinnedForms(const TMessage& message);
// Runs proc (provider, form) for every registered form that is not minimised, not an MDI child,
// has no parent and a visible window, and whose provider (its answer to scmGetProvider) belongs
// to manager. The registry's length is read again before every step.
void ForEachSkinnedForm(TsSkinManager* manager, const std::function<void(TObject* provider, TCustomForm* form)>& proc);
// The skin change on the forms: covers taken, covers shown (painting held back meanwhile through
// AnimationRunning, for the default manager with its skin-change animation on), and the end:
// AnimationRunning cleared first, then every form the broadcasts reached redrawn whole (erase,
// frame, every child). Ending is also how a change that was vetoed or failed undoes its covers.
void PrepareSkinChangeCovers(TsSkinManager* manager);
void ShowSkinChangeCovers(TsSkinManager* manager);
void FinishSkinChange(TsSkinManager* manager, bool animate);

// A manager's unscaled skin data as the painters read it (nil: the default manager's).
const TacSkinPaintSource* ManagerPaintSource(const TsSkinManager* manager);
