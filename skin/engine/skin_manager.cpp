#include "skin/engine/skin_manager.h"

#include <algorithm>
#include <cstring>

#include <shellapi.h>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/general.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_scaling.h"
#include "skin/engine/glow.h"
#include "skin/engine/image_list_walkers.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_list.h"
#include "skin/engine/system_routines.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "vcl/forms.h"

TsSkinManager* DefaultManager = nullptr;
TacScaleMode DefaultScaleMode = smVCL;
bool NewSkinBroadcasting = false;
bool DialogsUnskinned = true;

namespace {

bool ReadIsWinNT()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

bool IsWinNT = ReadIsWinNT();

namespace {

const String GlobalInfo = L"GLOBALINFO";

// The painters reach a manager's unscaled skin data through this.
[[maybe_unused]] const bool ResolverInstalled = [] {
    if (!PaintSourceResolver) SetPaintSourceResolver(&ManagerPaintSource);
    return true;
}();

// The first command-line parameter, as the program was started.
String FirstParameter()
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    String first = args && count > 1 ? String(args[1]) : String();
    if (args) LocalFree(args);
    return first;
}

// "/acver" among the parameters shows the toolkit's version once per process.
void CheckVersionSwitch()
{
    static bool checked = false;
    if (checked) return;
    checked = true;
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    bool asked = false;
    for (int i = 1; args && i < count && !asked; ++i) asked = LowerCase(args[i]) == L"/acver";
    if (args) LocalFree(args);
    if (asked)
        MessageBoxW(nullptr, (String(L"Skin engine, version ") + TsSkinManager::ToolkitVersion).c_str(), L"Skin engine",
                    MB_OK | MB_ICONINFORMATION);
}

LRESULT CALLBACK SkinCBTHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
    if (!Application || Application->HasState(csDestroying)) return result;
    try {
        FormServices().CBTHookNotify(code, wParam, lParam);
    } catch (...) {
        // Nothing may cross the system's hook chain; the window is then simply not skinned.
    }
    return result;
}

String DecodeEditorText(const char* text, size_t capacity)
{
    const std::string field = SkinEditorField(text, capacity);
    return DecodeText(std::vector<uint8_t>(field.begin(), field.end()), TTextEncoding::Default);
}

}  // namespace

TacSkinData* FallbackSkinData(int step)
{
    static std::array<std::unique_ptr<TacSkinData>, 4> fallbacks = [] {
        std::array<std::unique_ptr<TacSkinData>, 4> a;
        for (int i = 0; i < 4; ++i) {
            a[static_cast<size_t>(i)] = std::make_unique<TacSkinData>(nullptr, PpiOfScaleStep(i));
            a[static_cast<size_t>(i)]->ScaleValue = i;
            a[static_cast<size_t>(i)]->LoadParams();
        }
        return a;
    }();
    return fallbacks[static_cast<size_t>(ClampInt(step, 0, 3))].get();
}

const TacSkinPaintSource* ManagerPaintSource(const TsSkinManager* manager)
{
    TsSkinManager* m = const_cast<TsSkinManager*>(manager ? manager : DefaultManager);
    return m ? m->PaintSource() : nullptr;
}

// ---- life cycle ------------------------------------------------------------------------------------

TsSkinManager::TsSkinManager(TComponent* owner) : TComponent(owner)
{
    CheckVersionSwitch();
    ResetSkinData();
    FEffects = std::make_unique<TacSkinEffects>(this);
    FFonts = std::make_unique<TacFonts>(this);
    FThirdParty = std::make_unique<TsThirdPartyList>();
    SysFontScale = ScaleStepOfPpi(MainFormPpi());
    SkinCommonInfo.SysInactiveBorderColor = static_cast<TColor>(GetSysColor(COLOR_INACTIVEBORDER));
    FCommonSections.SetCaseSensitive(true);
    FMenuSupport = std::make_unique<TacMenuSupport>(this);
    FOptions = std::make_unique<TacOptions>(this);
    FScrollsOptions = std::make_unique<TacScrollBarsSupport>(this);
    FButtonsOptions = std::make_unique<TacButtonsSupport>(this);
    FLabelsOptions = std::make_unique<TacLabelsSupport>();
    FAnimEffects = std::make_unique<TacAnimEffects>(this);
    if (!DefaultManager) DefaultManager = this;
    SkinableMenus = FormServices().CreateMenuSkinning(this);
    StartAppWindowServices();
    AfterConstruction();
}

void TsSkinManager::AfterConstruction()
{
    FillThirdLists(false);
    if (FSkinDirectory.empty()) SetSkinDirectory(L"c:\\Skins");
    SkinListController()->UpdateIfNeeded(false);
}

TsSkinManager::~TsSkinManager()
{
    Destroying();
    StopAppWindowServices();
    if (IsActive() && OnDeactivate) OnDeactivate(this);
    ResetSkinData();
    FExtendedBorders = false;
    ClearSkinData();
    // The window-creation hook reads the default manager for every window it sees: it goes
    // with the manager that installed it, default or not any more.
    UnInstallHook();
    if (DefaultManager == this) {
        PatchSystemColors(false);
        DefaultManager = nullptr;
    }
    SkinableMenus.reset();
    StoreThirdLists();
    for (HBRUSH& b : Brushes)
        if (b) DeleteObject(b), b = nullptr;
    for (auto& [color, brush] : FKeptBrushes) DeleteObject(brush);
    FKeptBrushes.clear();
}

HBRUSH TsSkinManager::KeptBrush(TColor color)
{
    const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(color)) & 0xFFFFFFu;
    HBRUSH& b = FKeptBrushes[rgb];
    if (!b) b = CreateSolidBrush(rgb);
    return b;
}

int TsSkinManager::CalcScrollBarWidth(int ppi) const { return ::CalcScrollBarWidth(this, ppi); }

void TsSkinManager::Loaded()
{
    bool wasActive = IsActive();
    TComponent::Loaded();
    if (FSkinDirectory.empty()) SetSkinDirectory(L"c:\\Skins");
    if (FMenuSupport->IcoLineSkin().empty()) FMenuSupport->SetIcoLineSkin(L"ICOLINE");
    FillThirdLists(false);
    // Streamed in, the skin was loaded but not published.
    if (FActive && !FSkinName.empty()) BroadcastNewSkin(false);
    UpdateDialogsUnskinned();
    if (OnActivate && !wasActive && IsActive() && !Designing()) OnActivate(this);
    if (!Designing() && IsActive()) {
        FormServices().CreateHookedWindowList();
        if (auto* form = dynamic_cast<TCustomForm*>(Owner()); form && form->HandleAllocated())
            FormServices().AddProviderForWindow(form->Handle(), form);
    }
    if (FOptions->ScaleMode() == smVCL) FOptions->SetPixelsPerInch(MainFormPpi());
    SkinListController()->ResetList(true, false);
    SkinListController()->UpdateIfNeeded(true);
}

// ---- properties ------------------------------------------------------------------------------------

void TsSkinManager::SetActive(bool value)
{
    if (value == FActive) return;
    FActive = value;
    if (value) {
        SetSkinName(FSkinName);
    } else if (!FSkinName.empty()) {
        if (DefaultManager == this) DefaultScaleMode = smVCL;
        if (!HasState(csLoading)) BroadcastRemoveSkin();
        ResetSkinData();
        UpdateDialogsUnskinned();
        if (OnDeactivate && !Designing()) OnDeactivate(this);
    }
    // Switched on, the skin name's change has told the list's controls; off, they are told
    // here, with or without a skin to remove.
    if (!value && FSkinListController) FSkinListController->SendSkinChanged();
}

void TsSkinManager::SetBrightness(int value)
{
    value = ClampInt(value, -100, 100);
    if (value == FBrightness) return;
    FBrightness = value;
    RefreshSkinData();
}

void TsSkinManager::SetHueOffset(int value)
{
    if (value == FHueOffset) return;
    FHueOffset = value;
    RefreshSkinData();
}

void TsSkinManager::SetSaturation(int value)
{
    if (value == FSaturation) return;
    FSaturation = value;
    RefreshSkinData();
}

void TsSkinManager::SetCommonSections(const TStrings& value)
{
    FCommonSections.Assign(&value);
    for (int i = 0; i < FCommonSections.Count(); ++i) {
        String line = FCommonSections.Get(i);
        if (!line.empty() && line[0] != L';') FCommonSections.Put(i, StripChar(line, L' '));
    }
    SetSkinName(FSkinName);
}

bool TsSkinManager::ExtendedBorders() const { return FExtendedBorders && LayeredWindowsAvailable(); }

void TsSkinManager::SetExtendedBorders(bool value)
{
    if (value == FExtendedBorders) return;
    FExtendedBorders = value;
    if (!IsActive()) return;
    ManagerState |= msSkinChanging;
    for (auto& d : SkinDataArray)
        if (d) d->CheckShadows();
    ManagerState &= ~msSkinChanging;
    // The forms' frames follow: with or without their shadows.
    if (!HasState(csLoading | csReading | csDesigning)) RepaintForms(true);
}

bool TsSkinManager::IsDefault() const { return DefaultManager == this; }

void TsSkinManager::SetIsDefault(bool value)
{
    if (!value && DefaultManager) return;
    DefaultManager = this;
    if (value) DefaultScaleMode = FOptions->ScaleMode();
    // Controls without a manager of their own follow the default one: they take its skin, or
    // their standard look when it has none.
    if (FActive) BroadcastNewSkin(true);
    else BroadcastRemoveSkin();
}

void TsSkinManager::SetSkinDirectory(const String& value)
{
    if (SameText(value, FSkinDirectory)) return;
    FSkinDirectory = value;
    SkinCommonInfo.SkinPath = GetFullSkinDirectory();
    if (FSkinListController) FSkinListController->ResetList(true, true);
    if (OnSkinListChanged) OnSkinListChanged(this);
}

String TsSkinManager::GetFullSkinDirectory() const { return FullSkinDirectory(FSkinDirectory, ApplicationFolder()); }

String TsSkinManager::SkinInfo() const { return IsActive() ? FloatToStr(SkinCommonInfo.Version) : String(L"N/A"); }

void TsSkinManager::SetSkinnedPopups(bool value)
{
    if (value == FSkinnedPopups) return;
    FSkinnedPopups = value;
    if (value && IsDefault() && !Designing() && SkinableMenus) SkinableMenus->UpdateMenus();
}

void TsSkinManager::SetSkinningRules(TacSkinningRules value)
{
    FSkinningRules = value;
    UpdateDialogsUnskinned();
}

void TsSkinManager::UpdateDialogsUnskinned()
{
    if (IsDefault()) DialogsUnskinned = !(FActive && (FSkinningRules & srStdDialogs));
}

// ---- the skin change -------------------------------------------------------------------------------

namespace {
// Ends a skin change left with painting held back (the normal end has ended it already).
struct TacCoversGuard {
    TsSkinManager* Manager;
    ~TacCoversGuard()
    {
        if (AnimationRunning && Manager == DefaultManager) FinishSkinChange(Manager, false);
    }
};
}  // namespace

void TsSkinManager::SetSkinName(const String& value)
{
    const String oldName = FSkinName;
    FSkinName = value;
    const bool wasActive = IsActive();
    if (FActive) {
        if (OnBeforeChange) OnBeforeChange(this);
        if (ExtendedBorders() && !NoAutoUpdate && FAnimEffects->SkinChanging.Active && FEffects->AllowAnimation)
            PrepareSkinChangeCovers(this);
        // However the sequence ends (a handler may raise), painting is not left held back.
        const TacCoversGuard covers{this};
        if (OnSkinChanging) {
            bool allow = true;
            OnSkinChanging(this, value, allow);
            if (!allow) {
                // The loaded skin stays in force; the covers go (painting is held back under them).
                FinishSkinChange(this, false);
                return;
            }
        }
        ManagerState |= msSkinChanging;
        if (FSkinName.size() > 4 && SameText(FSkinName.substr(FSkinName.size() - 4), L".asz"))
            FSkinName.resize(FSkinName.size() - 4);
        if (!RebuildSkinData()) {
            // The skin in use stays, whole and under its name: nothing to tell anyone.
            FSkinName = oldName;
            ManagerState &= ~msSkinChanging;
            FinishSkinChange(this, false);
            UpdateDialogsUnskinned();
            return;
        }
        if (!FActive) BroadcastRemoveSkin();
        else if (!NoAutoUpdate) BroadcastNewSkin(true);
        if (!wasActive && FActive && !Designing() && OnActivate) OnActivate(this);
        ManagerState &= ~msSkinChanging;
        SkinCommonInfo.Active = FirstDataHasSections();
        if (!NoAutoUpdate && OnAfterChange) OnAfterChange(this);
    }
    UpdateDialogsUnskinned();
    if (FSkinListController) FSkinListController->SendSkinChanged();
}

void TsSkinManager::RefreshSkinData()
{
    // Without a loaded skin there is nothing to rebuild (a load now would find no source and
    // switch the manager off).
    if (!FActive || !IsActive() || HasState(csLoading | csReading)) return;
    {
        ManagerState |= msSkinChanging;
        struct Clear {
            TsSkinManager* m;
            ~Clear() { m->ManagerState &= ~msSkinChanging; }
        } clear{this};
        if (!RebuildSkinData()) return;
        // A rescale reads the new data before it publishes it, once, when it is done.
        SkinCommonInfo.Active = FirstDataHasSections();
        if (!HasState(msScaleChanging)) BroadcastNewSkin(true);
    }
    if (NoAutoUpdate) return;
    if (OnAfterChange) OnAfterChange(this);
    if (!HasState(msScaleChanging)) RepaintForms(true);
}

// ---- publishing ------------------------------------------------------------------------------------

namespace {

TacImageListWalkers& WalkersStore()
{
    static TacImageListWalkers walkers;
    return walkers;
}

}  // namespace

void SetImageListWalkers(const TacImageListWalkers& walkers) { WalkersStore() = walkers; }
const TacImageListWalkers& ImageListWalkers() { return WalkersStore(); }

void TsSkinManager::BroadcastNewSkin(bool repaint)
{
    if (HasState(csLoading | csReading)) return;
    ManagerState |= msBroadCasting;
    struct Clear {
        TsSkinManager* m;
        ~Clear() { m->ManagerState &= ~msBroadCasting; }
    } clear{this};
    if (IsDefault()) FreeAllGlows(true);
    if (!Designing() && repaint) ShowSkinChangeCovers(this);
    const TacCoversGuard covers{this};
    if (SkinableMenus) SkinableMenus->ResetBorderWidth();
    // Not active until it is out (IsActive answers for the skin being published meanwhile).
    SkinCommonInfo.Active = false;
    NewSkinBroadcasting = true;
    // Glyphs cached in the old skin's colours must not reach the repaint.
    if (ImageListWalkers().SkinChanged) ImageListWalkers().SkinChanged();
    BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmNewSkin), reinterpret_cast<LPARAM>(this), 0});
    NewSkinBroadcasting = false;
    SkinCommonInfo.Active = FirstDataHasSections();
    if (FFonts->MainMode() == fmFromSkin)
        ChangeAppFont(FontNameOfMode(fmFromSkin, SkinCommonInfo.MainFont, String(), DefStoredFontName), false);
    if (repaint) RepaintForms(false);
}

void TsSkinManager::BroadcastRemoveSkin()
{
    ManagerState |= msSkinRemoving;
    if (FFonts->MainMode() == fmFromSkin && !(Application && Application->Terminated()))
        ChangeAppFont(DefStoredFontName, false);
    FreeAllGlows(true);
    ResetSkinData();
    BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmRemoveSkin), reinterpret_cast<LPARAM>(this), 0});
    MasterBitmap = TPixelImage();
    ManagerState &= ~msSkinRemoving;
    // The controls gave up their skin; their parents and frames show the standard look again.
    if (!Designing()) FinishSkinChange(this, false);
}

void TsSkinManager::RepaintForms(bool lockForms)
{
    if (!Designing())
        BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmStopAnimation), reinterpret_cast<LPARAM>(this), 0});
    const TMessage refresh{MSG_SKINCOMMAND, SkinCommandWParam(scmRefresh), reinterpret_cast<LPARAM>(this), 0};
    if (Designing() || HasState(csLoading)) {
        BroadcastToForms(refresh);
        return;
    }
    if (lockForms) ShowSkinChangeCovers(this);
    BroadcastToForms(refresh);
    FinishSkinChange(this, !NoAutoUpdate);
    FormServices().RedrawHookedWindows();
}

void TsSkinManager::UpdateSkin(bool repaint)
{
    if (FActive) BroadcastNewSkin(repaint);
}

void TsSkinManager::UpdateSkinSection(const String& sectionName)
{
    if (sectionName.empty()) return;   // names no section (controls without one would match)
    const String name = UpperCase(sectionName);
    const TMessage updated{MSG_SKINCOMMAND, SkinCommandWParam(scmSectionUpdated), reinterpret_cast<LPARAM>(name.c_str()),
                           0};
    if (!Designing()) {
        BroadcastToForms(updated);
        return;
    }
    if (Screen)
        for (int i = Screen->FormCount() - 1; i >= 0; --i)
            if (i < Screen->FormCount()) BroadcastToChildren(Screen->Forms(i), updated);
}

void TsSkinManager::EndUpdate(bool repaint, bool allowAnimation)
{
    NoAutoUpdate = false;
    {
        TacSkinChanging& anim = FAnimEffects->SkinChanging;
        struct Restore {
            TacSkinChanging& anim;
            bool active;
            ~Restore() { anim.Active = active; }
        } restore{anim, anim.Active};
        if (!allowAnimation) anim.Active = false;
        UpdateSkin(repaint);
    }
    if (OnAfterChange) OnAfterChange(this);
}

void TsSkinManager::LoadPreviewSkin()
{
    if (PreviewBuffer.Magic != acSkinEditorMagic) return;
    ApplySkinEditorText(DecodeEditorText(PreviewBuffer.SkinName, sizeof PreviewBuffer.SkinName),
                        DecodeEditorText(PreviewBuffer.SkinDir, sizeof PreviewBuffer.SkinDir),
                        DecodeEditorText(PreviewBuffer.Data, sizeof PreviewBuffer.Data));
}

void TsSkinManager::ApplySkinEditorText(const String& name, const String& directory, const String& text)
{
    // The text stays the description of that skin for every later load of it (the data
    // objects of other PPIs load on demand), until another text replaces it.
    FEditorText = text;
    FEditorSkinName = name;
    FEditorTextSet = true;
    BeginUpdate();
    if (!directory.empty()) SetSkinDirectory(directory);
    SetSkinName(name);
    EndUpdate(true, false);
}

// ---- per-PPI skin data -----------------------------------------------------------------------------

void TsSkinManager::ResetSkinData()
{
    // A glow is made of the skin's images.
    FreeAllGlows(true);
    SkinCommonInfo.Active = false;
    if (SkinableMenus) SkinableMenus->DropSkinData();
    SkinCommonInfo.Sections.fill(-1);
    SkinDataArray.clear();
}

void TsSkinManager::ClearSkinData() { SkinDataArray.clear(); }

void TsSkinManager::BuildSkinData()
{
    switch (FOptions->ScaleMode()) {
    case smVCL: {
        CommonSkinData(96);
        int ppi = MainFormPpi();
        if (ppi != 96) CommonSkinData(ppi);
        break;
    }
    case smCustomPPI: CommonSkinData(FOptions->PixelsPerInch()); break;
    default: CommonSkinData(PpiOfScaleStep(GetScale())); break;
    }
}

TacSkinData* TsSkinManager::CommonSkinData(int ppi)
{
    const bool vcl = FOptions && FOptions->ScaleMode() == smVCL;
    size_t index = !vcl || Designing() ? 0 : static_cast<size_t>(ScaleStepOfPpi(ppi));
    if (!IsActive() && !HasState(msSkinChanging | msBroadCasting)) {
        TacSkinData* f = FallbackSkinData(static_cast<int>(index));
        if (f->FPPI != ppi) {
            f->FPPI = ppi;
            f->ScalePercent = ppi * 100 / 96;
        }
        return f;
    }
    if (Designing()) ppi = 96;
    if (index >= SkinDataArray.size()) {
        if (SkinDataArray.empty() && ppi != 96 && vcl) CommonSkinData(96);
        SkinDataArray.resize(index + 1);
    }
    auto firstHasSections = [&] { return SkinDataArray[0] && !SkinDataArray[0]->gd.empty(); };
    if (TacSkinData* d = SkinDataArray[index].get()) {
        if (HasState(msSkinChanging) && !d->Initializing && !firstHasSections()) d->Init();
        return d;
    }
    auto d = std::make_unique<TacSkinData>(this, ppi);
    d->ScaleValue = vcl ? static_cast<int>(index) : ScaleStepOfPpi(ppi);
    TacSkinData* result = d.get();
    SkinDataArray[index] = std::move(d);
    if ((ppi != 96 && firstHasSections()) || (HasState(msSkinChanging) && index == 0 && !firstHasSections())) result->Init();
    return result;
}

int TsSkinManager::ScaleMainFormPpi() const
{
    if (Application && Application->MainForm()) return ControlPpi(Application->MainForm());
    return PpiOfScaleStep(std::min(std::max(SysFontScale, 0), 3));
}

bool TsSkinManager::TakeScaleWrite(TacOptionChange change, int value)
{
    if (change == TacOptionChange::ScaleMode) {
        const auto mode = static_cast<TacScaleMode>(value);
        ChangeScaleMode(FOptions->ScaleMode(), mode, 0, 0);
        if (IsDefault()) DefaultScaleMode = mode;
        return true;
    }
    if (change == TacOptionChange::PixelsPerInch) {
        if (FOptions->ScaleMode() == smCustomPPI) ChangeScaleMode(smCustomPPI, smCustomPPI, value, FOptions->PixelsPerInch());
        else FOptions->StorePixelsPerInch(value);
        return true;
    }
    return false;
}

void TsSkinManager::ChangeScaleMode(TacScaleMode oldMode, TacScaleMode newMode, int newPpi, int oldPpi)
{
    const int mainPpi = ScaleMainFormPpi();
    const TacScaleChange c =
        ComputeScaleChange(oldMode, newMode, newPpi, oldPpi, FOptions->PixelsPerInch(), SysFontScale, mainPpi);
    if (c.CustomFirst) {
        // The platform does not scale the forms back: a custom-PPI change at the main form's PPI
        // does, before the platform takes over.
        if (FOptions->ScaleMode() == smCustomPPI) {
            FOptions->SetPixelsPerInch(mainPpi);
        } else if (FOptions->ScaleMode() <= sm200) {
            FOptions->SetPixelsPerInch(mainPpi);   // only stored outside smCustomPPI
            FOptions->SetScaleMode(smCustomPPI);
        }
    }
    ManagerState |= msScaleChanging;
    struct Clear {
        TsSkinManager* m;
        ~Clear() { m->ManagerState &= ~(msScaleChanging | msAnimScaling); }
    } clear{this};
    if (!Designing() && OnScaleModeChange)
        OnScaleModeChange(this, TScaleChangeData{oldMode, newMode, c.OldPercent, c.NewPercent, c.OldPPI, c.NewPPI});
    if (newMode != smVCL) FOptions->StorePixelsPerInch(c.NewPPI);
    // A manager made while its form is being built counts as loading with it.
    if (HasState(csLoading) || Designing() || (Owner() && Owner()->HasState(csLoading))) {
        FOptions->StoreScaleMode(newMode);
        if (IsDefault() && !Designing() && Screen && c.OldPercent > 0)
            Screen->MessageFont()->SetSize(MulDiv(Screen->MessageFont()->Size(), c.NewPercent, c.OldPercent));
        return;
    }
    ApplyScaleChange(newMode);
}

void TsSkinManager::ApplyScaleChange(TacScaleMode newMode)
{
    const bool wasHeld = NoAutoUpdate;
    BeginUpdate();
    // The forms held in their scaling state, let go below. Redraw switched off hides a window
    // from the walk over the visible forms: the held ones are remembered.
    struct THeld {
        HWND Wnd;
        TObject* Provider;
    };
    std::vector<THeld> held;
    ForEachSkinnedForm(this, [&](TObject* provider, TCustomForm* form) {
        FormServices().ProviderEnterScaling(provider);
        SendSetRedraw(form->Handle(), 0);
        held.push_back({form->Handle(), provider});
    });
    auto release = [&] {
        for (const THeld& h : held) {
            if (!IsWindow(h.Wnd)) continue;
            // A form whose provider went meanwhile only gets its redraw back.
            const bool same = reinterpret_cast<TObject*>(SendSkinCommand(h.Wnd, scmGetProvider, 0)) == h.Provider;
            if (same) {
                SendSkinCommand(h.Wnd, scmPrepareCache, 0);
                FormServices().ProviderLeaveScaling(h.Provider);
            }
            SendSetRedraw(h.Wnd, 1);
            if (same && !FormServices().ProviderHasSkinSection(h.Provider))
                RedrawWindow(h.Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        held.clear();
    };
    try {
        FOptions->StoreScaleMode(newMode);
        RefreshSkinData();   // published below, once
        UpdateAllScale();
    } catch (...) {
        release();
        if (!wasHeld) NoAutoUpdate = false;
        throw;
    }
    release();
    if (!wasHeld) EndUpdate(true, false);
    if (OnScaleChanged) OnScaleChanged(FOptions.get());
}

void TsSkinManager::UpdateAllScale()
{
    if (SkinableMenus) SkinableMenus->DropSkinData();
    // The image lists first: the forms' repaint draws from them at the new size.
    if (!SkinDataArray.empty() && SkinDataArray[0] && ImageListWalkers().ScaleChanged)
        ImageListWalkers().ScaleChanged(SkinDataArray[0]->FPPI);
    // The registry's length is read again on every step: rescaled forms may leave it.
    const std::vector<TCustomForm*>& forms = SkinnedForms();
    for (size_t i = 0; i < forms.size(); ++i)
        if (TCustomForm* f = forms[i]; f && !f->HasState(csDestroying)) UpdateScale(f, 96, 0);
}

void TsSkinManager::UpdateScale(TWinControl* control, int currentPpi, int newPpi)
{
    if (!control || control->HasState(csDestroying)) return;
    const TacScaleMode mode = FOptions->ScaleMode();
    if (auto* form = dynamic_cast<TCustomForm*>(control)) form->SetScaled(mode == smVCL);
    if (mode == smVCL && (newPpi == 0 || newPpi == currentPpi)) return;
    StoreDefFont();
    int from = currentPpi, target = newPpi;
    if (newPpi == 0) {
        from = static_cast<int>(SendSkinCommandToControl(control, scmGetPPI, 1));
        // Nothing skins a control that does not answer: the PPI the component layer keeps for it.
        if (from == 0) from = control->CurrentPPI() > 0 ? control->CurrentPPI() : 96;
        target = mode == smCustomPPI ? FOptions->PixelsPerInch() : PpiOfScaleStep(GetScale());
    }
    // -1 is the answer of a form that does not scale (in any mode); nothing else below 1 can be
    // scaled from or to.
    if (from <= 0 || target <= 0 || from == target) return;
    ManagerState |= msFormScaling;
    const bool animation = FEffects->AllowAnimation;
    FEffects->AllowAnimation = false;
    struct Restore {
        TsSkinManager* m;
        TWinControl* control;
        bool animation;
        bool aligning = false;
        ~Restore()
        {
            if (aligning) control->EnableAlign();
            m->Effects()->AllowAnimation = animation;
            m->ManagerState &= ~msFormScaling;
        }
    } restore{this, control, animation};
    const int clientWidth = MulDiv(control->ClientWidth(), target, from);
    const int clientHeight = MulDiv(control->ClientHeight(), target, from);
    RECT old = control->BoundsRect();
    if (control->HandleAllocated()) GetWindowRect(control->ExistingHandle(), &old);
    const int left = control->Left(), top = control->Top();
    control->DisableAlign();
    restore.aligning = true;
    control->ChangeScale(target, from, true);
    if (control->Left() != left || control->Top() != top) control->SetBounds(left, top, control->Width(), control->Height());
    control->SetClientSize(clientWidth, clientHeight);
    const TMessage changed{MSG_SKINCOMMAND, SkinCommandWParam(scmPPIChanged), LPARAM(target), 0};
    SendSkinCommandToControl(control, scmPPIChanged, LPARAM(target));
    // A form without a skin provider has nobody to pass the news on to its controls.
    if (control->HandleAllocated() && !WndIsSkinned(control->ExistingHandle())) BroadcastToChildren(control, changed);
    restore.aligning = false;
    control->EnableAlign();
    // What the control uncovered repaints.
    if (target < from && !IsRectEmpty(&old)) InvalidateRect(nullptr, &old, TRUE);
}

int TsSkinManager::GetScale() const
{
    if (Designing() || !FOptions) return 0;
    switch (FOptions->ScaleMode()) {
    case sm100: case sm125: case sm150: case sm200: return FOptions->ScaleMode();
    case smAuto: return SysFontScale;
    case smCustomPPI: return smCustomPPI;
    default: return 0;
    }
}

int TsSkinManager::ScaleInt(int value, int sysScale) const
{
    TacScaleMode mode = FOptions ? FOptions->ScaleMode() : smVCL;
    if (mode == smCustomPPI) return value * FOptions->PixelsPerInch() / 96;
    if (mode == smOldMode) return value;
    return ScaleByScaleStep(value, sysScale == -1 ? GetScale() : sysScale);
}

const TacSkinPaintSource* TsSkinManager::PaintSource() { return CommonSkinData(96); }

// ---- queries ---------------------------------------------------------------------------------------

int TsSkinManager::LengthOfGD() const
{
    return SkinDataArray.empty() || !SkinDataArray[0] ? 0 : static_cast<int>(SkinDataArray[0]->gd.size());
}

bool TsSkinManager::IsValidSkinIndex(int skinIndex) const
{
    const int length = LengthOfGD();
    if (IsActive() && skinIndex >= 0 && length > 0)
        for (size_t i = 1; i < SkinDataArray.size(); ++i)
            if (SkinDataArray[i] && static_cast<int>(SkinDataArray[i]->gd.size()) != length) return false;
    return skinIndex >= 0 && skinIndex < length;
}

bool TsSkinManager::IsValidImgIndex(int imageIndex) { return CommonSkinData(96)->IsValidImage(imageIndex); }

int TsSkinManager::GetSkinIndex(const String& sectionName, TacSkinData* skinData)
{
    return (skinData ? skinData : CommonSkinData(96))->SkinIndexOf(sectionName);
}

int TsSkinManager::GetMaskIndex(int skinIndex, const String& propName, TacSkinData* skinData)
{
    return (skinData ? skinData : CommonSkinData(96))->MaskIndexOf(skinIndex, propName);
}

int TsSkinManager::GetMaskIndex(const String& sectionName, const String& propName, TacSkinData* skinData)
{
    return (skinData ? skinData : CommonSkinData(96))->MaskIndexOf(sectionName, propName);
}

int TsSkinManager::GetMaskIndex(int skinIndex, const String& sectionName, TacSkinData* skinData, const String& propName)
{
    return (skinData ? skinData : CommonSkinData(96))->MaskIndexOf(skinIndex, sectionName, propName);
}

int TsSkinManager::GetTextureIndex(int skinIndex, const String& propName, TacSkinData* skinData)
{
    return (skinData ? skinData : CommonSkinData(96))->TextureIndexOf(skinIndex, propName);
}

int TsSkinManager::GetTextureIndex(int skinIndex, const String& sectionName, TacSkinData* skinData, const String& propName)
{
    return (skinData ? skinData : CommonSkinData(96))->TextureIndexOf(skinIndex, sectionName, propName);
}

void TsSkinManager::GetSkinSections(TStrings& list, TacSkinData* skinData)
{
    list.Clear();
    if (!IsActive()) return;
    for (const TsGeneralData& g : (skinData ? skinData : CommonSkinData(96))->gd) list.Add(g.ClassName);
}

bool TsSkinManager::IsStandardVclPpi() const
{
    if (FOptions->ScaleMode() != smVCL) return false;
    int ppi = MainFormPpi();
    return ppi == 96 || ppi == 120 || ppi == 144 || ppi == 192;
}

void TsSkinManager::FillSideColorMask(TBitmap* bmp, const TRect& rect, TColor colorL, TColor colorB, TColor colorR,
                                     TColor colorT)
{
    // The outer-effect images of the skin data are painted by the same routine on their pixels.
    if (bmp) FillSideColorMask32(BitmapView(bmp), rect, colorL, colorB, colorR, colorT);
}

// ---- loading ---------------------------------------------------------------------------------------

void TsSkinManager::ReloadSkin(int ppi, TacSkinData& data)
{
    (void)ppi;
    if (!FActive || !InitSkinFile()) return;
    LoadFonts();
    LoadCommonData();
    FLoadingData = &data;
    struct Done {
        TacSkinData*& loading;
        ~Done() { loading = nullptr; }
    } done{FLoadingData};
    data.LoadFromDescription();
    if (OnSkinLoading) OnSkinLoading(this);
}

bool TsSkinManager::InitSkinFile()
{
    SkinCommonInfo.SkinPath = GetFullSkinDirectory() + FSkinName + L"\\";
    SkinIsPacked = false;
    if (FEditorTextSet && FEditorSkinName == FSkinName) {
        SkinCommonInfo.OptionsDat.SetText(FEditorText);
        SkinFile = &SkinCommonInfo.OptionsDat;
        // The files it names lie in the skin's folder.
        FSource = std::make_unique<TacSkinSource>(TacSkinSource::FromFolder(SkinCommonInfo.SkinPath));
        return true;
    }
    // Without any source the manager is no longer active (the field only; nothing is told).
    return InitSkinSources();
}

void TsSkinManager::LoadCommonData()
{
    LoadMasterBitmap();
    ReadGlobalInfo(SkinCommonInfo.OptionsDat, SkinCommonInfo);
    CheckVersion();
}

void TsSkinManager::CheckVersion()
{
    const double v = SkinCommonInfo.Version;
    if (v < 8) {
        if (Designing())
            ShowMessageBox(L"The skin \"" + FSkinName + L"\" is of an old version and should be updated.\n"
                           L"This note is shown at design time only.", mtInformation, mbOK);
        return;
    }
    if (v <= 14.99 || FirstParameter() == L"/acpreview") return;
    const bool dialogs = (FSkinningRules & srStdDialogs) != 0;
    FSkinningRules &= ~srStdDialogs;
    ShowMessageBox(L"The version of the skin \"" + FSkinName + L"\" (" + FloatToStr(v) +
                       L") is not completely supported by this release of the skin engine.\n"
                       L"Please update the components.",
                   mtWarning, mbOK);
    if (dialogs) FSkinningRules |= srStdDialogs;
}

void TsSkinManager::InitSkinParams()
{
    // The palette reads the 96-PPI object's sections. Once that object is loaded (and its
    // colours adjusted), another object's load keeps the palette it gave: built again from the
    // adjusted sections it would be adjusted twice.
    const TacSkinData* data96 = CommonSkinData(96);
    const bool paletteMade = FLoadingData && data96 && data96 != FLoadingData && !data96->gd.empty();
    if (!paletteMade) {
        BuildPalette(Palette, SkinCommonInfo.OptionsDat, data96, [](int i) { return static_cast<TColor>(GetSysColor(i)); });
        for (size_t i = 0; i < Brushes.size(); ++i) {
            if (Brushes[i]) DeleteObject(Brushes[i]);
            Brushes[i] = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Palette[i])) & 0xFFFFFFu);
        }
    }
    if (FLoadingData) ApplyColorAdjustments(*FLoadingData, !paletteMade);
}

// ---- TacSkinDataOwner ------------------------------------------------------------------------------

TacScaleMode TsSkinManager::ScaleModeValue() const { return FOptions ? FOptions->ScaleMode() : smVCL; }
int TsSkinManager::CustomPpi() const { return FOptions ? FOptions->PixelsPerInch() : 96; }
TColor TsSkinManager::SystemColor(int index) const { return static_cast<TColor>(GetSysColor(index)); }
int TsSkinManager::SystemFrameWidth() const { return GetSystemMetrics(SM_CXFRAME); }
bool TsSkinManager::BoolOption(int index) const { return FOptions && FOptions->GetBoolOption(index); }

void TsSkinManager::OptionChanged(TacOptionChange change)
{
    switch (change) {
    // (Scale mode and PPI writes come through TakeScaleWrite.)
    case TacOptionChange::ChangeSysColors:
        if (IsDefault() && IsActive() && !HasState(csLoading | csDesigning)) PatchSystemColors(FOptions->ChangeSysColors());
        break;
    case TacOptionChange::MenuCustomFont:
        if (SkinableMenus) SkinableMenus->CustomFontChanged();
        break;
    default: ApplyOptionEffect(change); break;
    }
}

void TsSkinManager::ApplyOptionEffect(TacOptionChange change)
{
    TacOptionContext context;
    // A manager made while its form is being built counts as streamed with it.
    context.Loading = HasState(csLoading) || (Owner() && Owner()->HasState(csLoading));
    context.Designing = Designing();
    context.NoAutoUpdate = NoAutoUpdate;
    context.FontMode = FFonts ? FFonts->MainMode() : fmDefault;
    switch (OptionEffectOf(change, context)) {
    case TacOptionEffect::NonClientChanged:
        BroadcastToSkinnedForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmNonClientOptionChanged),
                                         LPARAM(FOptions->DrawNonClientArea() ? 1 : 0), 0});
        FormServices().SendToHookedWindows(scmNonClientOptionChanged, FOptions->DrawNonClientArea() ? 1 : 0);
        break;
    case TacOptionEffect::UpdateSkin: UpdateSkin(true); break;
    case TacOptionEffect::RepaintForms: RepaintForms(false); break;
    case TacOptionEffect::RepaintFormsLocked: RepaintForms(true); break;
    case TacOptionEffect::ScrollOptionsChanged:
        BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmScrollOptionsChanged), 0, 0});
        break;
    case TacOptionEffect::ApplyFont: ApplyFontMode(true); break;
    case TacOptionEffect::None: break;
    }
}

// ---- the application font --------------------------------------------------------------------------

void TsSkinManager::ApplyFontMode(bool lockForms)
{
    const String skinFont = IsActive() ? SkinCommonInfo.MainFont : String();
    ChangeAppFont(FontNameOfMode(FFonts->MainMode(), skinFont, FFonts->MainFont(), DefStoredFontName), lockForms);
}

void TsSkinManager::StoreDefFont()
{
    if (!DefStoredFontName.empty()) return;
    if (Application && Application->MainForm())
        DefStoredFontName = Application->MainForm()->Font()->Name();
    else if (Application && Application->DefaultFont())
        DefStoredFontName = Application->DefaultFont()->Name();
    DefOldFontName = DefStoredFontName;
}

namespace {

// Forms have no skin provider to answer for them: a form whose font is the application's takes
// the new one itself, and its controls that follow its font with it.
void ApplyFontToForms(TsSkinManager* manager)
{
    if (!Screen) return;
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        if (i >= Screen->FormCount()) break;
        TCustomForm* f = Screen->Forms(i);
        if (!f->HasState(csLoading | csDestroying) && !f->Parent()) manager->UpdateFontName(f);
    }
}

}  // namespace

void TsSkinManager::ChangeAppFont(const String& fontName, bool lockForms)
{
    if (Designing() || fontName.empty() || SameText(fontName, DefOldFontName)) return;
    ManagerState |= msFontChanging;
    struct Clear {
        TsSkinManager* m;
        ~Clear() { m->ManagerState &= ~msFontChanging; }
    } clear{this};
    // Only covers of its own are undone here: inside the publishing of a skin the change's
    // covers stay until the forms are repainted.
    struct Covers {
        TsSkinManager* m;
        bool own;
        ~Covers()
        {
            if (own && AnimationRunning && m == DefaultManager) FinishSkinChange(m, false);
        }
    } covers{this, lockForms};
    if (lockForms) ShowSkinChangeCovers(this);
    DefNewFontName = fontName;
    // The menus' own font follows the application's.
    FMenuSupport->SetCustomFont(FMenuSupport->CustomFont());
    StoreDefFont();
    ApplyFontToForms(this);
    BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmFontChanged), reinterpret_cast<LPARAM>(this), 0});
    if (OnFontChanged) OnFontChanged(this, DefOldFontName, fontName);
    DefOldFontName = fontName;
    if (lockForms) FinishSkinChange(this, !NoAutoUpdate);
}

bool TsSkinManager::UpdateFontName(TControl* control)
{
    if (!control || control->HasState(csDestroying)) return false;
    TacFontTarget target;
    target.FontName = control->Font()->Name();
    target.HasParent = control->Parent() != nullptr;
    target.ParentFont = control->ParentFont();
    auto* windowed = dynamic_cast<TWinControl*>(control);
    target.Windowed = windowed != nullptr;
    target.HandleAllocated = windowed && windowed->HandleAllocated();
    const String name = FontNameFor(target, IsActive() ? DefNewFontName : DefStoredFontName, DefOldFontName,
                                    DefStoredFontName);
    if (name.empty()) return false;
    control->Font()->SetName(name);
    return true;
}

// ---- the foreign class lists -----------------------------------------------------------------------

void TsSkinManager::FillThirdLists(bool reset) { FThirdParty->FillLists(ThirdLists, reset); }

void TsSkinManager::StoreThirdLists() { FThirdParty->TakeLists(ThirdLists); }

// ---- the window-creation hook ----------------------------------------------------------------------

void TsSkinManager::InstallHook()
{
    if (Designing() || !IsDefault() || GlobalHookInstalled) return;
    GlobalHookInstalled = true;
    FormServices().CreateHookedWindowList();
    FHook = SetWindowsHookExW(WH_CBT, SkinCBTHookProc, nullptr, GetCurrentThreadId());
    if (FOptions->ChangeSysColors()) PatchSystemColors(true);
}

void TsSkinManager::UnInstallHook()
{
    // The manager that installed the hook removes it, also when another one became the default.
    if (Designing() || !GlobalHookInstalled) return;
    FormServices().FreeMenuWrappers();
    if (FHook) UnhookWindowsHookEx(FHook);
    FormServices().FreeHookedWindows();
    if (FOptions->ChangeSysColors()) PatchSystemColors(false);
    GlobalHookInstalled = false;
    FHook = nullptr;
}

// ---- delivery to the forms -------------------------------------------------------------------------

namespace {

// The forms the broadcasts of a skin change reached, redrawn when the change ends.
std::vector<HWND>& ReachedForms()
{
    static std::vector<HWND> forms;
    return forms;
}

bool ApplicationMinimized()
{
    return Application && Application->Handle() && IsIconic(Application->Handle());
}

// Painting is held back only for the default manager's animated change.
bool HoldsPainting(TsSkinManager* manager)
{
    return manager && manager == DefaultManager && manager->AnimEffects()->SkinChanging.Active;
}

}  // namespace

namespace {

std::vector<TCustomForm*> SkinnedFormList;

bool IsRegistered(const TCustomForm* f)
{
    return std::find(SkinnedFormList.begin(), SkinnedFormList.end(), f) != SkinnedFormList.end();
}

void Reached(HWND wnd)
{
    std::vector<HWND>& reached = ReachedForms();
    if (std::find(reached.begin(), reached.end(), wnd) == reached.end()) reached.push_back(wnd);
}

}  // namespace

const std::vector<TCustomForm*>& SkinnedForms() { return SkinnedFormList; }

void RegisterSkinnedForm(TCustomForm* form)
{
    if (form) SkinnedFormList.push_back(form);
}

void UnregisterSkinnedForm(TCustomForm* form)
{
    for (TCustomForm*& slot : SkinnedFormList)
        if (slot == form) {
            slot = SkinnedFormList.back();
            SkinnedFormList.back() = nullptr;
        }
    while (!SkinnedFormList.empty() && !SkinnedFormList.back()) SkinnedFormList.pop_back();
}

void BroadcastToForms(const TMessage& message)
{
    if (Screen) {
        for (int i = Screen->FormCount() - 1; i >= 0; --i) {
            if (i >= Screen->FormCount()) return;   // receivers closed forms: the rest is not to be trusted
            TCustomForm* f = Screen->Forms(i);
            // Registered forms are reached below, once.
            if (!f->HandleAllocated() || f->HasState(csLoading | csDestroying) || IsRegistered(f)) continue;
            const HWND wnd = f->ExistingHandle();
            Reached(wnd);
            DeliverWindowMessage(wnd, message.Msg, message.WParam, message.LParam);
            if (i < Screen->FormCount() && Screen->Forms(i) == f && !f->HasState(csDestroying))
                BroadcastToChildren(f, message);
        }
    }
    BroadcastToSkinnedForms(message);
}

void BroadcastToSkinnedForms(const TMessage& message)
{
    for (size_t i = 0; i < SkinnedFormList.size(); ++i) {
        TCustomForm* f = SkinnedFormList[i];
        if (!f || f->HasState(csDestroying) || !f->HandleAllocated()) continue;
        Reached(f->ExistingHandle());
        DeliverWindowMessage(f->ExistingHandle(), message.Msg, message.WParam, message.LParam);
        if (i < SkinnedFormList.size() && SkinnedFormList[i] == f && !f->HasState(csDestroying))
            BroadcastToChildren(f, message);
    }
}

void ForEachSkinnedForm(TsSkinManager* manager, const std::function<void(TObject* provider, TCustomForm* form)>& proc)
{
    for (size_t i = 0; i < SkinnedFormList.size(); ++i) {
        TCustomForm* f = SkinnedFormList[i];
        if (!f || f->HasState(csDestroying) || f->Parent() || f->FormStyle() == fsMDIChild || !f->HandleAllocated())
            continue;
        const HWND wnd = f->ExistingHandle();
        if (IsIconic(wnd) || !IsWindowVisible(wnd)) continue;
        auto* provider = reinterpret_cast<TObject*>(SendSkinCommand(wnd, scmGetProvider, 0));
        if (provider && FormServices().ProviderManager(provider) == manager) proc(provider, f);
    }
}

void PrepareSkinChangeCovers(TsSkinManager* manager)
{
    if (!manager || ApplicationMinimized() || manager->HasState(csLoading | csReading | csDesigning)) return;
    // No form has a provider with a border window of its own yet: there is no cover image to take.
    if (HoldsPainting(manager)) AnimationRunning = true;
}

void ShowSkinChangeCovers(TsSkinManager* manager)
{
    if (!manager || ApplicationMinimized()) return;
    if (HoldsPainting(manager)) AnimationRunning = true;
}

void FinishSkinChange(TsSkinManager* manager, bool animate)
{
    (void)animate;   // the reveal is a redraw until forms have providers to animate it
    // Cleared also while minimized: set, every skinned control leaves its paints unvalidated.
    if (manager && manager == DefaultManager) AnimationRunning = false;
    std::vector<HWND> forms;
    forms.swap(ReachedForms());
    if (!manager || ApplicationMinimized()) return;
    for (HWND wnd : forms)
        if (IsWindow(wnd) && !IsIconic(wnd))
            RedrawWindow(wnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}
