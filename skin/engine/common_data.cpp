#include "skin/engine/common_data.h"

#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/engine/wrapper_services.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "vcl/forms.h"

namespace {

bool Destroying(const TObject* o)
{
    auto* c = dynamic_cast<const TComponent*>(o);
    return c && c->HasState(csDestroying);
}

bool LoadingOrReading(const TControl* c) { return c->HasState(csLoading) || (c->ControlState() & csReadingState); }

TBitmap* EmptyBitmap32()
{
    TBitmap* b = NewBitmap32(0, 0);
    return b;
}

}  // namespace

// ---- TacOuterEffects ---------------------------------------------------------------------------

void TacOuterEffects::SetVisibility(TacOuterVisibility value)
{
    if (FVisibility == value) return;
    FVisibility = value;
    if (!FOwner->FOwnerControl || !FOwner->FOwnerControl->HasState(csLoading)) Invalidate();
}

void TacOuterEffects::Invalidate()
{
    TControl* c = FOwner->FOwnerControl;
    if (!c || !c->Parent() || !c->Parent()->HandleAllocated() || c->HasState(csLoading | csDestroying)) return;
    SendSkinCommand(c->Parent()->ExistingHandle(), scmInvalidate, 0);
    FOwner->Invalidate(false);
}

// ---- lifecycle ---------------------------------------------------------------------------------

TsCommonData::TsCommonData(TObject* owner, bool createCacheBmp)
    : FOwnerObject(owner), FOwnerControl(dynamic_cast<TControl*>(owner))
{
    if (dynamic_cast<TWinControl*>(owner)) WndProc = FOwnerControl->WindowProc;
    FOuterEffects = new TacOuterEffects(this);
    if (createCacheBmp) FCacheBmp = EmptyBitmap32();
    InstallPostedSkinCommandFilter();
    InitCommonProp();
}

TsCommonData::~TsCommonData()
{
    RemoveCommonProp();
    DetachFromWindow();
    SkinIndex = -1;
    FSkinManager = nullptr;
    if (AnimTimer && !AnimTimer->Destroyed) {
        TacThreadedTimer* t = AnimTimer;
        AnimTimer = nullptr;
        t->AnimData = nullptr;
        delete t;
    }
    FadeOutGlow(GlowID, false);
    ClearLinks();
    delete FCacheBmp;
    FCacheBmp = nullptr;
    delete FOuterEffects;
    delete FOuterCache;
}

void TsCommonData::Loaded(bool updateColors)
{
    Loading = false;
    AssignSkinData(nullptr);
    ResolveDefaultSection();
    if (Skinned() && FOwnerControl && FOwnerControl->Parent() && !FOwnerControl->HasState(csLoading)) {
        if (dynamic_cast<TWinControl*>(FOwnerControl)) AdaptControlOnForm(FOwnerControl);
        if (updateColors) ApplyNormalColors(false);
    }
    InitCommonProp();
    if (TsSkinManager* m = SkinManager(); m && FOwnerControl && !FOwnerControl->HasState(csLoading))
        m->UpdateFontName(FOwnerControl);
}

void TsCommonData::InitCommonProp()
{
    HWND wnd = OwnerHandle();
    if (!wnd) return;
    if (!WndProc.Assigned()) {
        if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl)) WndProc = w->WindowProc;
    }
    AttachToWindow(wnd);
}

void TsCommonData::RemoveCommonProp()
{
    if (Application && Application->Terminated()) return;
    DetachFromWindow();
}

void TsCommonData::ClearLinks()
{
    FOwnerControl = nullptr;
    FOwnerObject = nullptr;
    FSWHandle = nullptr;
}

TCustomForm* TsCommonData::ProviderForm() const
{
    // Skin providers belong to the form skinning; a link owned by a form itself stands in.
    if (FOwnerControl) return nullptr;
    return dynamic_cast<TCustomForm*>(FOwnerObject);
}

HWND TsCommonData::OwnerHandle() const
{
    try {
        if (!FOwnerControl || Destroying(FOwnerControl)) return FSWHandle;
        if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl)) return w->ExistingHandle();
        return nullptr;
    } catch (...) {
        return nullptr;
    }
}

void TsCommonData::AttachToWindow(HWND wnd)
{
    if (wnd == FWindow && wnd && GetPropW(wnd, acPropCommonData) == this) return;
    DetachFromWindow();
    if (!wnd) return;
    FWindow = wnd;
    SetPropW(wnd, acPropCommonData, this);
}

void TsCommonData::DetachFromWindow()
{
    if (FWindow && IsWindow(FWindow) && GetPropW(FWindow, acPropCommonData) == this) RemovePropW(FWindow, acPropCommonData);
    FWindow = nullptr;
}

bool TsCommonData::OwnerDestroying() const { return Destroying(FOwnerObject); }

bool TsCommonData::OwnerLoading() const { return FOwnerControl && FOwnerControl->HasState(csLoading); }

// ---- manager, skin data, PPI -------------------------------------------------------------------

TsSkinManager* TsCommonData::SkinManager() const { return FSkinManager ? FSkinManager : DefaultManager; }

void TsCommonData::SetSkinManager(TsSkinManager* value)
{
    if (value == FSkinManager) return;
    FCommonSkinData = nullptr;
    FSkinManager = value == DefaultManager ? nullptr : value;
    if (OwnerLoading()) return;
    const bool hasSections = value && value->LengthOfGD() > 0;
    if (hasSections)
        UpdateIndexes(true);
    else
        SkinIndex = -1;
    if (!FOwnerControl || !FOwnerControl->Parent() || Destroying(FOwnerControl)) return;
    const bool refresh = hasSections && value->IsValidSkinIndex(SkinIndex);
    PerformSkinCommand(FOwnerControl, refresh ? scmRefresh : scmRemoveSkin, reinterpret_cast<LPARAM>(value));
}

TacSkinData* TsCommonData::ResolveSkinData()
{
    TsSkinManager* m = SkinManager();
    const bool usable = m && SkinIndex >= 0 && m->IsActive() && !m->SkinDataArray.empty();
    if (!usable) {
        FCommonSkinData = nullptr;
        if (!m) {
            const int p = FOwnerControl ? ControlPpi(FOwnerControl) : MainFormPpi();
            return FallbackSkinData(ScaleStepOfPpi(p));
        }
        if (FOwnerControl && FOwnerControl->HasState(csDesigning)) return m->CommonSkinData(96);
        if (m->Options()->ScaleMode() == smCustomPPI) return m->CommonSkinData(m->Options()->PixelsPerInch());
        return m->CommonSkinData(MainFormPpi());
    }
    if (FCommonSkinData) return FCommonSkinData;
    if (!FOwnerControl) {
        if (TCustomForm* f = ProviderForm(); f && f->HandleAllocated()) {
            AssignSkinData(m->CommonSkinData(LoadingOrReading(f) ? MainFormPpi() : ControlPpi(f)));
            if (m->Options()->ScaleMode() == smVCL) CurrentPPI = FCommonSkinData->PPI();
            return FCommonSkinData;
        }
        AssignSkinData(m->CommonSkinData(MainFormPpi()));
        return FCommonSkinData;
    }
    TWinControl* parent = FOwnerControl->Parent();
    if (ReadyForSkinning(FOwnerControl) && parent && parent->Showing() && parent->HandleAllocated()) {
        int ppi = 96;
        if (m->HasState(msFormScaling)) {
            ppi = CurrentPPI;
        } else {
            switch (m->Options()->ScaleMode()) {
            case smAuto:
            case smVCL: ppi = ControlPpi(FOwnerControl); break;
            case smOldMode: ppi = 96; break;
            case smCustomPPI: ppi = m->Options()->PixelsPerInch(); break;
            default: ppi = PpiOfScaleStep(static_cast<int>(m->Options()->ScaleMode())); break;
            }
        }
        AssignSkinData(m->CommonSkinData(ppi));
        return FCommonSkinData;
    }
    return m->CommonSkinData(MainFormPpi());
}

void TsCommonData::AssignSkinData(TacSkinData* data)
{
    FCommonSkinData = data;
    PPIIndex = data ? ScaleStepOfPpi(data->PPI()) : -1;
}

int TsCommonData::ControlPPI()
{
    if (FOwnerControl && FOwnerControl->HasState(csDesigning)) return 96;
    TsSkinManager* m = SkinManager();
    const bool usable = m && SkinIndex >= 0 && m->IsActive() && !m->SkinDataArray.empty();
    if (!usable) {
        if (m) return m->Options()->ScaleMode() == smCustomPPI ? m->Options()->PixelsPerInch() : MainFormPpi();
        return FOwnerControl ? ControlPpi(FOwnerControl) : MainFormPpi();
    }
    if (FCommonSkinData) return FCommonSkinData->PPI();
    if (TCustomForm* f = ProviderForm())
        return LoadingOrReading(f) ? MainFormPpi() : ControlPpi(f);
    if (FOwnerControl && ReadyForSkinning(FOwnerControl)) return ControlPpi(FOwnerControl);
    return MainFormPpi();
}

TacSkinData* SkinDataForLink(TsCommonData* link, int ppi)
{
    if (link) return link->ResolveSkinData();
    if (DefaultManager && DefaultManager->IsActive()) return DefaultManager->CommonSkinData(ppi);
    return FallbackSkinData(ScaleStepOfPpi(ppi));
}

int ScaleForControl(int value, TsCommonData* link, bool useLinkPPI)
{
    TsSkinManager* m = link ? link->SkinManager() : DefaultManager;
    if (!m) return value * MainFormPpi() / 96;
    switch (m->Options()->ScaleMode()) {
    case smOldMode: return value;
    case smCustomPPI: return value * m->Options()->PixelsPerInch() / 96;
    case smVCL:
        if (!useLinkPPI) return value;
        if (link) {
            TacSkinData* d = link->ResolveSkinData();
            return value * (d ? d->PPI() : 96) / 96;
        }
        return value * MainFormPpi() / 96;
    default: return ScaleByScaleStep(value, m->GetScale());
    }
}

bool ContentShiftsOnClick(int skinIndex, TacSkinData* skinData)
{
    if (!skinData || !skinData->IsValidSection(skinIndex)) return true;
    auto* m = dynamic_cast<TsSkinManager*>(skinData->Owner());
    if (m && m->ButtonsOptions()->ShiftContentOnClick) return true;
    return skinData->gd[static_cast<size_t>(skinIndex)].ShiftOnClick;
}

// ---- section -------------------------------------------------------------------------------------

void TsCommonData::SetSkinSection(const String& value)
{
    if (value == FSkinSection) return;
    FadeOutGlow(GlowID, false);
    FSkinSection = UpperCase(value);
    TsSkinManager* m = SkinManager();
    if (m && m->LengthOfGD() > 0)
        UpdateIndexes(true);
    else
        SkinIndex = -1;
    if (!FOwnerControl || !FOwnerControl->Parent() || LoadingOrReading(FOwnerControl) || FOwnerControl->HasState(csDestroying)) {
        if (ProviderForm()) BGChanged = true;
        return;
    }
    if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl)) {
        if (FCacheBmp) FCacheBmp->SetSize(0, 0);
        BroadcastToChildren(w, TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmBGChanged, 1), 0, 0});
    }
    if (FUpdating || Loading) {
        if (!Loading) ApplySkinColors(false);
        return;
    }
    const bool valid = m && m->IsValidSkinIndex(SkinIndex);
    PerformSkinCommand(FOwnerControl, valid ? scmRefresh : scmRemoveSkin, reinterpret_cast<LPARAM>(m), valid ? 1 : 0);
}

void TsCommonData::UpdateIndexes(bool updateMain)
{
    BGChanged = true;
    if (updateMain) {
        FCommonSkinData = nullptr;
        TsSkinManager* m = SkinManager();
        SkinIndex = -1;
        if (m && m->IsActive()) {
            if (!FSkinSection.empty()) {
                SkinIndex = m->GetSkinIndex(FSkinSection);
            } else if (FOwnerControl) {
                LRESULT r = 0;
                auto* w = dynamic_cast<TWinControl*>(FOwnerControl);
                if (w && w->HandleAllocated())
                    r = SendSkinCommandToControl(FOwnerControl, scmGetDefaultIndex, 0);
                else
                    r = PerformSkinCommand(FOwnerControl, scmGetDefaultIndex, 0);
                SkinIndex = static_cast<int>(r) - 1;
            } else if (TCustomForm* f = ProviderForm()) {
                SkinIndex = static_cast<int>(PerformSkinCommand(f, scmGetDefaultIndex, 0)) - 1;
            }
            if (!m->IsValidSkinIndex(SkinIndex)) SkinIndex = -1;
        }
    }
    UpdateBGType();
}

void TsCommonData::ResolveDefaultSection()
{
    if (!FSkinSection.empty() || AsksControlForDefaultSection(COC)) {
        UpdateIndexes(true);
        return;
    }
    if (const wchar_t* name = FixedDefaultSection(COC)) {
        SetSkinSection(name);
        return;
    }
    if (FOwnerObject) {
        SetSkinSection(FOwnerObject->ClassName());
        return;
    }
    UpdateIndexes(true);
}

void TsCommonData::TrySections(const String* names, int highIndex)
{
    TsSkinManager* m = SkinManager();
    if (!m) {
        SkinIndex = -1;
        return;
    }
    for (int i = 0; i <= highIndex; ++i) {
        if (names[i].empty()) continue;
        SkinIndex = m->GetSkinIndex(names[i], ResolveSkinData());
        if (SkinIndex >= 0) {
            UpdateIndexes(false);
            return;
        }
    }
}

void TsCommonData::UpdateBGType()
{
    BGType = 0;
    TsSkinManager* m = SkinManager();
    if (!m || !m->IsValidSkinIndex(SkinIndex)) return;
    for (const auto& data : m->SkinDataArray) {
        if (!data || !data->IsValidSection(SkinIndex)) continue;
        const TsGenState& s = data->gd[static_cast<size_t>(SkinIndex)].Props[0];
        const int mode = data->IsValidImage(s.TextureIndex) ? data->ma[static_cast<size_t>(s.TextureIndex)].DrawMode : -1;
        BGType |= BGTypeOfState(s, mode);
    }
    if (COC == ackind::Form) {
        if (TCustomForm* f = ProviderForm(); f && f->OnPaint.Assigned()) BGType |= acbg::Texture;
    }
}

bool TsCommonData::Skinned(bool checkSkinActive) const
{
    try {
        TsSkinManager* m = SkinManager();
        if (!m || m->HasState(csDestroying)) return false;
        TacSkinData* d = ResolveSkinData();
        if (!d || !d->IsValidSection(SkinIndex)) return false;
        if (OwnerDestroying()) return false;
        return !checkSkinActive || m->IsActive();
    } catch (...) {
        return false;
    }
}

int TsCommonData::MaxBorderWidth()
{
    TacSkinData* d = ResolveSkinData();
    if (!d || !d->IsValidSection(SkinIndex)) return 0;
    const int b = d->gd[static_cast<size_t>(SkinIndex)].BorderIndex;
    if (!d->IsValidImage(b)) return 0;
    const TsMaskData& ma = d->ma[static_cast<size_t>(b)];
    if (ma.DrawMode & dmNoState0) return 0;
    return std::max({static_cast<int>(ma.WL), static_cast<int>(ma.WT), static_cast<int>(ma.WR), static_cast<int>(ma.WB)});
}

// ---- visual state and updating ---------------------------------------------------------------------

int TsCommonData::CurrentState()
{
    TControl* c = FOwnerControl;
    if (!c || c->HasState(csDestroying | csDesigning) || !c->Enabled()) return 0;
    if (FFocused) return 1;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated() && GetFocus() == w->ExistingHandle())
        return COC == ackind::Panel ? 0 : 1;
    TsSkinManager* m = SkinManager();
    if (!FMouseAbove || (m && m->Options()->NoMouseHover())) return 0;
    if (IsNoHoverKind(COC)) return 0;
    if (IsEditLikeKind(COC) && !EditHotTracking) return 0;
    return 1;
}

bool TsCommonData::IsUpdating()
{
    if ((FOwnerControl && FOwnerControl->HasState(csDesigning)) || !SkinManager()) return false;
    if (FUpdating) return true;
    if (FOwnerControl) {
        if (FOwnerControl->HasState(csDestroying) || !FOwnerControl->Parent()) return false;
        return QueryControlCommand(FOwnerControl->Parent(), scmIsUpdating);
    }
    if (TCustomForm* f = ProviderForm(); f && f->Parent()) return QueryControlCommand(f->Parent(), scmIsUpdating);
    return false;
}

bool TsCommonData::RefreshUpdating(bool clear)
{
    if (clear) FUpdating = false;
    if (IsUpdating()) {
        FUpdating = true;
        return true;
    }
    return false;
}

void TsCommonData::BeginUpdate()
{
    ++FUpdateCount;
    FUpdating = true;
    CtrlSkinState |= acss::InUpdate;
    if (FOwnerControl) PerformSkinCommand(FOwnerControl, scmBeginUpdate, 0);
}

void TsCommonData::EndUpdate(bool repaint)
{
    --FUpdateCount;
    FUpdating = false;
    CtrlSkinState &= ~acss::InUpdate;
    if (FUpdateCount > 0) return;
    if (FOwnerControl) PerformSkinCommand(FOwnerControl, scmEndUpdate, 0);
    if (repaint) Invalidate(true);
}

bool TsCommonData::SkinChanging() const
{
    TsSkinManager* m = SkinManager();
    return m && m->HasState(msSkinChanging);
}

bool TsCommonData::IsAnimating() const { return AnimTimer && AnimTimer->Enabled(); }

void TsCommonData::StopAnimTimer()
{
    TacThreadedTimer* t = AnimTimer;
    if (!t || t->Destroyed || t->HasState(csDestroying)) return;
    t->SetEnabled(false);
    t->State = -1;
    delete t->BmpTo;
    delete t->BmpFrom;
    delete t->BmpOut;
    t->BmpTo = t->BmpFrom = t->BmpOut = nullptr;
}

bool TsCommonData::MouseStillAbove()
{
    HWND wnd = OwnerHandle();
    if (!wnd || !IsWindowVisible(wnd)) return false;
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    ScreenToClient(wnd, &p);
    RECT r{};
    GetClientRect(wnd, &r);
    if (!FOwnerControl) {
        const int bar = WrapperServices().ScrollBarSize(this, 0, 0);
        r.right += bar;
        r.bottom += bar;
    }
    if (!PtInRect(&r, p)) return false;
    HDC dc = GetWindowDC(wnd);
    RECT clip{};
    const int kind = GetClipBox(dc, &clip);
    ReleaseDC(wnd, dc);
    if (kind == ERROR || !PtInRect(&clip, p)) return false;
    if (auto* under = dynamic_cast<TWinControl*>(ControlUnderCursor()); under && under->HandleAllocated())
        return IsWindowOrDescendant(under->ExistingHandle(), wnd);
    return true;
}

bool TsCommonData::SizeChangeNeedsRepaint() const
{
    return ((CtrlSkinState & acss::WidthChanging) && (BGType & acbg::WidthBits)) ||
           ((CtrlSkinState & acss::HeightChanging) && (BGType & acbg::HeightBits));
}

// ---- colours -------------------------------------------------------------------------------------

bool TsCommonData::PutStateColors(int state, bool quietFont)
{
    TacSkinData* d = ResolveSkinData();
    if (!FOwnerControl || !d || !d->IsValidSection(SkinIndex)) return false;
    const TsGeneralData& g = d->gd[static_cast<size_t>(SkinIndex)];
    const TsGenState& s = g.Props[static_cast<size_t>(ClampSectionState(state, g.States))];
    TColor color = s.Color, font = s.FontColor.Color;
    if (FHUEOffset) color = ShiftHue(FHUEOffset, color), font = ShiftHue(FHUEOffset, font);
    if (FSaturation) color = ChangeSaturation(color, FSaturation), font = ChangeSaturation(font, FSaturation);
    bool changed = false;
    CtrlSkinState |= acss::SettingColors;
    if (!FCustomColor && FOwnerControl->Color() != color) FOwnerControl->SetColor(color), changed = true;
    const bool keepFont = FCustomFont || (COC == 10 && !EditHotTracking);
    if (!keepFont && FOwnerControl->Font()->Color() != font) {
        TFont* f = FOwnerControl->Font();
        struct TRestore {
            TFont* f;
            TNotifyEvent onChange;
            ~TRestore() { f->OnChange = onChange; }
        } restore{f, f->OnChange};
        if (quietFont) f->OnChange = nullptr;
        f->SetColor(font);
        changed = true;
    }
    CtrlSkinState &= ~acss::SettingColors;
    return changed;
}

void TsCommonData::ApplyNormalColors(bool repaint)
{
    if (!FOwnerControl || SkinIndex < 0) return;
    auto* w = dynamic_cast<TWinControl*>(FOwnerControl);
    if (w && !w->HandleAllocated()) return;
    if (Skinned()) {
        TacSkinData* d = ResolveSkinData();
        const TsGeneralData& g = d->gd[static_cast<size_t>(SkinIndex)];
        if (IsColorFollowingKind(COC) && !(g.Props[0].Transparency == 100 && g.Props[1].Transparency == 100))
            PutStateColors(0, FColorTone == TColor(0x1FFFFFFF));
        if (w) {
            if (TsSkinManager* m = SkinManager(); m && m->Brushes[0])
                SetClassLongPtrW(w->ExistingHandle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(m->Brushes[0]));
        }
    } else if (w && COC != 142) {
        SetClassLongPtrW(w->ExistingHandle(), GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    }
    if (repaint) Invalidate(true);
}

void TsCommonData::ApplySkinColors(bool noRedrawLock)
{
    if (!FOwnerControl) return;
    auto* w = dynamic_cast<TWinControl*>(FOwnerControl);
    const bool lock = !noRedrawLock && w && w->HandleAllocated() && FOwnerControl->Visible();
    if (lock) SendSetRedraw(w->ExistingHandle(), 0);
    TacSkinData* d = ResolveSkinData();
    if (d && d->IsValidSection(SkinIndex)) PutStateColors(CurrentState());
    if (lock) SendSetRedraw(w->ExistingHandle(), 1);
}

void TsCommonData::SetCustomOption(int index, bool value)
{
    bool& field = index == 0 ? FCustomColor : FCustomFont;
    if (field == value) return;
    field = value;
    if (FOwnerControl && !FOwnerControl->HasState(csLoading) && !Loading) {
        TColor& saved = index == 0 ? SavedColor : SavedFontColor;
        if (value && saved != TColor(0x1FFFFFFF)) {
            if (index == 0)
                FOwnerControl->SetColor(saved);
            else
                FOwnerControl->Font()->SetColor(saved);
        } else {
            saved = index == 0 ? FOwnerControl->Color() : FOwnerControl->Font()->Color();
        }
    }
    ApplyNormalColors(true);
}

template <class T>
void TsCtrlSkinData::Change(T& field, T value)
{
    if (field == value) return;
    field = value;
    Loaded(true);
    Invalidate(false);
}

void TsCtrlSkinData::SetColorTone(TColor value) { Change(FColorTone, value); }

void TsCtrlSkinData::SetHUEOffset(int value) { Change(FHUEOffset, value); }

void TsCtrlSkinData::SetSaturation(int value) { Change(FSaturation, value); }

// ---- scroll bars ---------------------------------------------------------------------------------

void TacScrollData::SetSizeOption(int index, int value)
{
    int& field = index == 0 ? FScrollWidth : FButtonsSize;
    if (field == value) return;
    field = value;
    auto* w = dynamic_cast<TWinControl*>(FOwner->FOwnerControl);
    if (!w || w->HasState(csLoading) || !w->HandleAllocated()) return;
    if (index == 0)
        SetWindowPos(w->ExistingHandle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    else
        DeliverWindowMessage(w->ExistingHandle(), WM_NCPAINT, 1, 0);
}

TsScrollWndData::TsScrollWndData(TObject* owner, bool createCacheBmp)
    : TsCommonData(owner, createCacheBmp), FHorzScrollData(new TacScrollData(this)), FVertScrollData(new TacScrollData(this))
{
}

TsScrollWndData::~TsScrollWndData()
{
    delete FVertScrollData;
    delete FHorzScrollData;
}

// ---- repainting and caches -----------------------------------------------------------------------

void TsCommonData::Invalidate(bool updateNow)
{
    BGChanged = true;
    if (Loading) return;
    if (FOwnerControl) {
        if (FOwnerControl->HasState(csLoading | csDestroying) || !ReadyForSkinning(FOwnerControl)) return;
        if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl)) {
            if (w->HandleAllocated())
                RedrawWindow(w->ExistingHandle(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | (updateNow ? RDW_UPDATENOW : 0));
        } else if (COC == 92) {
            PerformSkinCommand(FOwnerControl, scmInvalidate, 0);
        } else {
            FOwnerControl->Repaint();
        }
        return;
    }
    if (TCustomForm* f = ProviderForm(); f && f->HandleAllocated())
        RedrawWindow(f->ExistingHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | (updateNow ? RDW_UPDATENOW : 0));
}

bool TsCommonData::RepaintIfMoved()
{
    if (!Skinned() || !FOwnerControl || SkinChanging() || !FOwnerControl->Enabled()) return true;
    if (FOwnerControl->ClassName() == L"TsTabSheet") return true;
    TacSkinData* d = ResolveSkinData();
    if (d->gd[static_cast<size_t>(SkinIndex)].Props[0].Transparency <= 0) return false;
    TWinControl* p = FOwnerControl->Parent();
    if (p && p->HandleAllocated()) return QueryWindowCommand(p->ExistingHandle(), scmDependsOnBG);
    return false;
}

void TsCommonData::EnsureCacheBmp()
{
    if (!FCacheBmp) FCacheBmp = EmptyBitmap32();
    FCacheBmp->SetPixelFormat(pf32bit);
    FCacheBmp->SetHandleType(bmDIB);
    if (FOwnerControl) {
        const int w = std::max(0, FOwnerControl->Width()), h = std::max(0, FOwnerControl->Height());
        if (FCacheBmp->Width() != w || FCacheBmp->Height() != h) FCacheBmp->SetSize(w, h);
    }
}

bool TsCommonData::CacheEmpty() const { return !FCacheBmp || FCacheBmp->Width() <= 0 || FCacheBmp->Height() <= 0; }

void TsCommonData::RefreshParentCache()
{
    if (RefreshUpdating(false)) return;
    TWinControl* p = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    if (!p || !p->HandleAllocated()) return;
    DeliverWindowMessage(p->ExistingHandle(), MSG_SKINCOMMAND, SkinCommandWParam(scmBGChanged), 0);
    SendSkinCommand(p->ExistingHandle(), scmPrepareCache, 0);
}

// ---- glow and outer effects --------------------------------------------------------------------------

bool TsCommonData::OuterEffectsAllowed() const
{
    TsSkinManager* m = SkinManager();
    if (!m) return false;
    if (ProviderForm() || dynamic_cast<TWinControl*>(FOwnerControl)) return m->Effects()->AllowOuterEffects();
    return false;
}

void TsCommonData::ShowControlGlow(bool refresh, HWND wnd, uint8_t startAlpha, bool animate, int skinIndex)
{
    if (skinIndex == -1) skinIndex = SkinIndex;
    TsSkinManager* m = SkinManager();
    TacSkinData* d = ResolveSkinData();
    if (!m || !d || !m->Effects()->AllowGlowing || !d->IsValidSection(skinIndex) || m->Options()->NoMouseHover() ||
        GetCapture() || d->gd[static_cast<size_t>(skinIndex)].GlowCount <= 0)
        return;
    const TsGeneralData& g = d->gd[static_cast<size_t>(skinIndex)];
    if (!FOwnerControl) {
        if (!wnd) return;
        if (FMouseAbove && !refresh) {
            if (GlowID < 0) {
                HDC dc = GetWindowDC(wnd);
                RECT clip{};
                GetClipBox(dc, &clip);
                ReleaseDC(wnd, dc);
                RECT wr{};
                GetWindowRect(wnd, &wr);
                TRect r(clip.left + wr.left, clip.top + wr.top, clip.right + wr.left, clip.bottom + wr.top);
                GlowID = ShowSectionGlow(r, FSkinSection, L"GLOW", this, GetParent(wnd) ? GetParent(wnd) : wnd, startAlpha,
                                         g.GlowMargin);
            }
        } else {
            FadeOutGlow(GlowID, false);
        }
        return;
    }
    if (!FMouseAbove) {
        FadeOutGlow(GlowID, animate);
        return;
    }
    if (FOwnerControl->ControlState() & csLButtonDown) return;
    if (refresh && GlowID >= 0) return;
    TCustomForm* form = GetParentForm(FOwnerControl);
    TWinControl* top = form;
    while (top && top->Parent()) top = top->Parent();
    HWND glowParent = top && top->HandleAllocated() ? top->ExistingHandle() : nullptr;
    if (!m->Effects()->AllowAnimation) animate = false;
    const uint8_t alpha = animate ? 0 : startAlpha;
    if (GlowID < 0) {
        TRect r;
        String section;
        if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl); w && w->HandleAllocated()) {
            RECT wr{};
            GetWindowRect(w->ExistingHandle(), &wr);
            HDC dc = GetWindowDC(w->ExistingHandle());
            RECT clip{};
            GetClipBox(dc, &clip);
            ReleaseDC(w->ExistingHandle(), dc);
            RECT cs{clip.left + wr.left, clip.top + wr.top, clip.right + wr.left, clip.bottom + wr.top};
            RECT x{};
            IntersectRect(&x, &wr, &cs);
            r = TRect(x.left, x.top, x.right, x.bottom);
            section = g.ClassName;
        } else {
            // A graphic control shows only where its parent's window does.
            const TPoint o = FOwnerControl->ClientToScreen(TPoint(0, 0));
            r = TRect(o.x, o.y, o.x + FOwnerControl->Width(), o.y + FOwnerControl->Height());
            if (TWinControl* p = FOwnerControl->Parent(); p && p->HandleAllocated()) {
                HWND pw = p->ExistingHandle();
                HDC dc = GetDC(pw);
                RECT clip{};
                const int kind = dc ? GetClipBox(dc, &clip) : ERROR;
                if (dc) ReleaseDC(pw, dc);
                POINT origin{0, 0};
                ClientToScreen(pw, &origin);
                const TRect visible = kind == ERROR ? TRect()
                                                    : TRect(clip.left + origin.x, clip.top + origin.y,
                                                            clip.right + origin.x, clip.bottom + origin.y);
                r = TRect::Intersect(r, visible);
                if (r.IsEmpty()) return;   // nothing of it shows: no glow around nothing
            }
            section = FSkinSection;
        }
        GlowID = ShowSectionGlow(r, section, L"GLOW", this, glowParent, alpha, g.GlowMargin);
    }
    if (animate && GlowID >= 0) {
        BGChanged = false;
        AnimateStateChange(this, 1, GlowFadeStep, true, false, false);
        if (AnimTimer) AnimTimer->ThreadType = 1;
    }
}

// ---- window queries ------------------------------------------------------------------------------------

TsCommonData* CommonDataFromHandle(HWND wnd)
{
    return wnd ? static_cast<TsCommonData*>(GetPropW(wnd, acPropCommonData)) : nullptr;
}

bool WndIsSkinned(HWND wnd)
{
    if (!wnd) return false;
    if (CommonDataFromHandle(wnd) || GetPropW(wnd, acPropWrapper)) return true;
    return QueryWindowCommand(wnd, scmIsSkinned);
}

bool ControlIsSkinned(TControl* control, bool checkSkinned)
{
    if (!control) return false;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (!w || !w->HandleAllocated()) return PerformSkinCommand(control, scmIsSkinned, 0) == 1;
    HWND wnd = w->Handle();
    if (TsCommonData* link = CommonDataFromHandle(wnd)) return !checkSkinned || link->Skinned();
    if (GetPropW(wnd, acPropWrapper)) {
        TsCommonData* link = WrapperServices().WrapperLink(wnd);
        return !checkSkinned || (link && link->Skinned());
    }
    return QueryWindowCommand(wnd, scmIsSkinned);
}
