#include "skin/engine/glow.h"

#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/control_link.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/engine/engine_resources.h"
#include "skin/graphics/pnggraphic.h"
#include "vcl/application.h"
#include "vcl/streams.h"

#include <memory>

// ---- TacGlowForm ---------------------------------------------------------------------------------

TacGlowForm::TacGlowForm(TComponent* owner) : TForm(owner) {}

TacGlowForm::~TacGlowForm()
{
    delete AlphaBmp;
    AlphaBmp = nullptr;
}

void TacGlowForm::AfterConstruction()
{
    TForm::AfterConstruction();
    AlphaBmp = nullptr;
    SetTag(256);   // the window-creation hook leaves forms with the no-skin tag alone
    SetBorderStyle(bsNone);
    TransparentMouse = true;
}

void TacGlowForm::Loaded()
{
    // Scaled by the component layer only when the skins leave scaling to it.
    SetScaled(DefaultScaleMode == smVCL);
    TForm::Loaded();
}

void TacGlowForm::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    params.WindowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW);
}

void TacGlowForm::CreateWnd() { TForm::CreateWnd(); }

void TacGlowForm::WndProc(TMessage& message)
{
    if ((message.Msg == WM_SHOWWINDOW || message.Msg == CM_VISIBLECHANGED) && message.WParam == 0) {
        HWND wnd = ExistingHandle();
        if (wnd && IsWindowVisible(wnd))
            SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOOWNERZORDER |
                             SWP_NOSENDCHANGING | SWP_NOZORDER);
    }
    if (message.Msg == WM_NCHITTEST && TransparentMouse) message.Result = HTTRANSPARENT;
    TForm::WndProc(message);
}

// ---- TacPadding ------------------------------------------------------------------------------------

void TacPadding::SetSide(int index, int value)
{
    int* sides[4] = {&FTop, &FLeft, &FRight, &FBottom};
    if (index < 0 || index > 3 || *sides[index] == value) return;
    *sides[index] = value;
    if (FControl && FControl->HasState(csLoading)) return;
    if (FOnChange.Assigned()) FOnChange(FControl);
}

// ---- the glow list ---------------------------------------------------------------------------------

namespace {
bool FreeingGlows = false;

bool ManagerGoing(TsSkinManager* m) { return (m && m->HasState(csDestroying)) || (Application && Application->Terminated()); }

void ReleaseWindow(TacGlowEffect* e, bool now)
{
    if (!e->Wnd) return;
    e->Wnd->WindowProc = e->OldWndProc;
    TacGlowForm* w = e->Wnd;
    e->Wnd = nullptr;
    if (now) {
        FreeingGlows = true;
        TObject::Free(w);
        FreeingGlows = false;
    } else {
        w->Release();
    }
}
}  // namespace

std::vector<TacGlowEffect*>& GlowList()
{
    static std::vector<TacGlowEffect*> list;
    return list;
}

TacGlowEffect::~TacGlowEffect()
{
    Destroyed = true;
    ReleaseWindow(this, ManagerGoing(SkinManager));
    delete AlphaBmp;
}

void TacGlowEffect::NewWndProc(TMessage& message)
{
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    if (OldWndProc.Assigned()) OldWndProc(message);
}

void TacGlowEffect::CreateAlphaBmp(int width, int height)
{
    delete AlphaBmp;
    AlphaBmp = NewBitmap32(width, height);
    FillRectAlpha32(AlphaBmp, TRect(0, 0, width, height), 0, 0);
    TacSkinData* d = SkinData ? SkinData->ResolveSkinData() : nullptr;
    if (MaskIndex >= 0 && d && d->IsValidImage(MaskIndex))
        DrawSkinMask32(AlphaBmp, TRect(0, 0, width, height), EmptyCacheInfo, d->ma[static_cast<size_t>(MaskIndex)], 0, true);
    TColor tone = 0x1FFFFFFF;
    if (SkinData) {
        TColor coloring[4] = {0x1FFFFFFF, 0x1FFFFFFF, 0x1FFFFFFF, 0x1FFFFFFF};
        HWND wnd = SkinData->OwnerHandle();
        if (wnd && SendSkinCommand(wnd, scmGetColorTone, reinterpret_cast<LPARAM>(coloring)) != 0) tone = coloring[0];
        ApplyColorEffects(AlphaBmp, SkinData, false, 0, tone);
    }
    PremultiplyAlpha32(AlphaBmp);
}

void TacGlowEffect::Show(const TRect& r, const TRect& realRect, HWND wndHandle, uint8_t alpha)
{
    (void)r;
    if (Wnd) return;
    Wnd = new TacGlowForm(nullptr);
    Wnd->AfterConstruction();
    Wnd->SetControlStyle(Wnd->ControlStyle() & ~csCaptureMouse);
    OldWndProc = Wnd->WindowProc;
    Wnd->WindowProc = Bind<&TacGlowEffect::NewWndProc>(this);
    TacSkinData* d = SkinData ? SkinData->ResolveSkinData() : nullptr;
    int wl = 0, wt = 0, wr = 0, wb = 0;
    if (d && d->IsValidImage(MaskIndex)) {
        const TsMaskData& m = d->ma[static_cast<size_t>(MaskIndex)];
        wl = m.WL, wt = m.WT, wr = m.WR, wb = m.WB;
    }
    const TRect g = GlowWindowRect(realRect, wl, wt, wr, wb, Margin);
    CreateAlphaBmp(g.Width(), g.Height());
    Wnd->SetBounds(g.left, g.top, g.Width(), g.Height());
    HWND after = HWND_TOPMOST;
    const bool topmost = wndHandle && (GetWindowLongPtrW(wndHandle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    if (!topmost && SkinData && SkinData->FOwnerObject && wndHandle) {
        // Right above the window: after the one before it, or on top when nothing is before it
        // (after the window itself would put the glow under it).
        after = GetWindow(wndHandle, GW_HWNDPREV);
        if (!after) after = HWND_TOP;
    }
    HWND wnd = Wnd->Handle();
    if (!wnd) return;
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    UpdateLayeredFromBitmap(wnd, AlphaBmp, alpha, nullptr);
    SetWindowPos(wnd, after, g.left, g.top, 0, 0, 0x659);
}

namespace {

int AppendGlow(TacGlowEffect* e, const TRect& realRect, HWND wndHandle, uint8_t alpha, int margin)
{
    GlowList().push_back(e);
    const int id = static_cast<int>(GlowList().size()) - 1;
    e->Margin = margin;
    e->Show(realRect, realRect, wndHandle, alpha);
    return id;
}

bool GlowAllowedNow(TsCommonData* data) { return data && LayeredWindowsAvailable() && !GetCapture(); }

}  // namespace

int ShowSectionGlow(const TRect& realRect, const String& section, const String& maskName, TsCommonData* data,
                    HWND wndHandle, uint8_t alpha, int margin)
{
    if (!GlowAllowedNow(data)) return -1;
    auto* e = new TacGlowEffect;
    e->SkinData = data;
    e->SkinManager = data->SkinManager();
    TacSkinData* d = data->ResolveSkinData();
    int index = -1;
    if (e->SkinManager && d) {
        const int sec = section.empty() ? data->SkinIndex : e->SkinManager->GetSkinIndex(section, d);
        index = e->SkinManager->GetMaskIndex(sec, maskName + L"0", d);
    }
    if (index < 0) {
        delete e;
        return -1;
    }
    e->MaskIndex = index;
    return AppendGlow(e, realRect, wndHandle, alpha, margin);
}

int ShowMaskGlow(const TRect& realRect, const std::vector<int>& maskIndexes, TsCommonData* data, HWND wndHandle,
                 uint8_t alpha, int margin)
{
    if (!GlowAllowedNow(data) || maskIndexes.empty() || maskIndexes[0] < 0) return -1;
    auto* e = new TacGlowEffect;
    e->SkinData = data;
    e->SkinManager = data->SkinManager();
    e->MaskIndex = maskIndexes[0];
    return AppendGlow(e, realRect, wndHandle, alpha, margin);
}

void SetGlowOpacity(int glowID, uint8_t alpha)
{
    auto& list = GlowList();
    if (glowID < 0 || glowID >= static_cast<int>(list.size()) || !list[static_cast<size_t>(glowID)]) return;
    TacGlowEffect* e = list[static_cast<size_t>(glowID)];
    if (e->Wnd && e->Wnd->HandleAllocated() && e->AlphaBmp)
        UpdateLayeredFromBitmap(e->Wnd->ExistingHandle(), e->AlphaBmp, alpha, nullptr);
}

void FadeOutGlow(int& glowID, bool animated)
{
    auto& list = GlowList();
    if (glowID < 0 || glowID >= static_cast<int>(list.size()) || !list[static_cast<size_t>(glowID)]) return;
    TacGlowEffect* e = list[static_cast<size_t>(glowID)];
    TsCommonData* link = e->SkinData;
    TsSkinManager* m = e->SkinManager;
    const bool stateTimer = link && link->AnimTimer && link->AnimTimer->ThreadType != 1;
    if (!animated || !m || !m->Effects()->AllowAnimation || (Application && Application->Terminated()) || stateTimer ||
        !link) {
        ReleaseWindow(e, ManagerGoing(m));
        list[static_cast<size_t>(glowID)] = nullptr;
        delete e;
        glowID = -1;
        if (link && link->AnimTimer) link->StopAnimTimer();
        return;
    }
    const int start = EnsureAnimTimer(link->AnimTimer, link->FOwnerControl, 1);
    link->AnimTimer->ThreadType = 1;
    if (link->AnimTimer->State != 0) {
        link->AnimTimer->InitData(link, start, GlowFadeStep, 0, false);
        link->AnimTimer->TimeHandler();
    }
}

void FreeAllGlows(bool withWindows)
{
    if (FreeingGlows) return;
    auto& list = GlowList();
    for (TacGlowEffect*& e : list) {
        if (!e) continue;
        if (withWindows) ReleaseWindow(e, true);
        if (e->SkinData) e->SkinData->GlowID = -1;
        delete e;
        e = nullptr;
    }
    list.clear();
}

// ---- the engine's mask pictures ------------------------------------------------------------------

TPNGGraphic* LoadPngResource(const String& resName)
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (resName == L"acMask1") data = EngineResources::AcMask1Png, size = EngineResources::AcMask1PngSize;
    if (resName == L"acMask2") data = EngineResources::AcMask2Png, size = EngineResources::AcMask2PngSize;
    if (!data) throw EResNotFound(L"Resource " + resName + L" not found");
    TMemoryStream stream;
    stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    auto png = std::make_unique<TPNGGraphic>();
    png->LoadFromStream(stream);
    png->SetPixelFormat(pf32bit);
    return png.release();
}

namespace {
std::unique_ptr<TPNGGraphic>& MaskSlot(int index)
{
    static std::unique_ptr<TPNGGraphic> masks[2];
    return masks[index];
}
}  // namespace

TPNGGraphic* AcMask1()
{
    if (!MaskSlot(0)) MaskSlot(0).reset(LoadPngResource(L"acMask1"));
    return MaskSlot(0).get();
}

TPNGGraphic* AcMask2()
{
    if (!MaskSlot(1)) MaskSlot(1).reset(LoadPngResource(L"acMask2"));
    return MaskSlot(1).get();
}
