#include "skin/engine/form_animation.h"

#include <algorithm>
#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/general.h"
#include "skin/engine/form_services.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdiplus.h"
#include "skin/graphics/pixel_copy.h"
#include "vcl/application.h"
#include "vcl/application_hooks.h"

namespace {

TacAnimatedWindowResolver& Resolver()
{
    static TacAnimatedWindowResolver resolver;
    return resolver;
}

TacHideTimer* SharedTimer = nullptr;

bool Terminating() { return Application && Application->Terminated(); }

// SWP flags of the cover's and the window's placements.
constexpr UINT PlaceCoverFlags = SWP_NOSENDCHANGING | SWP_NOOWNERZORDER | SWP_NOCOPYBITS | SWP_NOACTIVATE | SWP_NOREDRAW;
constexpr UINT BelowCoverFlags = SWP_NOSENDCHANGING | SWP_NOOWNERZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOMOVE |
                                 SWP_NOSIZE;

// The window's picture, premultiplied for the layered cover; nil without one.
std::unique_ptr<TBitmap> WindowImage(TacAnimatedWindow* w, int width, int height)
{
    if (width <= 0 || height <= 0) return nullptr;
    auto image = std::make_unique<TBitmap>(width, height, pf32bit);
    if (!w->PaintImage(image.get())) return nullptr;
    return image;
}

void Premultiply(TBitmap* b) { PremultiplyAlpha32(BitmapView(b), IsDesktopCompositionOn()); }

// The frame as the step describes it, from the premultiplied picture src.
void ComposeFrame(TBitmap* frame, TBitmap* src, const TacAnimFrame& f, bool folding)
{
    const TPixelView d = BitmapView(frame), s = BitmapView(src);
    switch (f.Placement) {
    case apWhole: CopyBlock32(d, 0, 0, s, s.Bounds()); break;
    case apStretched:
        FillBlock32(d, d.Bounds(), 0);
        if (f.Rect.IsEmpty()) break;
        if (folding)
            StretchDrawGdip32(frame, src, f.Rect, s.Bounds());
        else
            StretchBlock32(d, f.Rect, s, s.Bounds());
        break;
    case apUnchanged: break;
    }
}

void Push(HWND cover, TBitmap* bmp, int opacity)
{
    if (cover && IsWindow(cover)) UpdateLayeredFromBitmap(cover, bmp, uint8_t(std::clamp(opacity, 0, 255)), nullptr);
}

void MakeCoverLayered(HWND cover)
{
    const LONG_PTR ex = GetWindowLongPtrW(cover, GWL_EXSTYLE);
    if (!SetWindowLongPtrW(cover, GWL_EXSTYLE, ex | WS_EX_NOACTIVATE | WS_EX_LAYERED)) IgnoreApiFailure();
}

void AnimateShow(TacAnimatedWindow* w, int time, uint8_t blendValue, TacAnimType mode, bool dialog)
{
    if (!w) return;
    HWND wnd = w->Window();
    if (!wnd || IsIconic(wnd) || w->WindowState() == wsMinimized) return;
    RECT wr{};
    GetWindowRect(wnd, &wr);
    const int width = wr.right - wr.left, height = wr.bottom - wr.top;
    std::unique_ptr<TBitmap> image = WindowImage(w, width, height);
    if (!image) return;
    Premultiply(image.get());

    AnimationRunning = true;
    std::unique_ptr<TacGlowForm> cover;
    try {
        cover = std::make_unique<TacGlowForm>(Application);
        HWND cw = cover->Handle();
        const int n = FormAnimStepCount(time);
        MakeCoverLayered(cw);
        const bool topmost = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        HWND after = topmost ? HWND_TOPMOST : wnd;
        Push(cw, image.get(), n < 1 ? blendValue : 0);
        if (!SetWindowPos(cw, after, wr.left, wr.top, width, height, PlaceCoverFlags)) IgnoreApiFailure();
        ShowWindow(cw, SW_SHOWNOACTIVATE);

        if (n > 0) {
            TacShowSteps steps(mode, n, blendValue, width, height, dialog);
            TBitmap frame(width, height, pf32bit);
            FillBlock32(BitmapView(&frame), BitmapView(&frame).Bounds(), 0);
            for (int i = 0; i <= n; ++i) {
                // A form's frame is timed from after its composition, a dialog's from before.
                uint32_t tick = dialog ? AcTickCount() : 0;
                const TacAnimFrame f = steps.Frame();
                ComposeFrame(&frame, image.get(), f, false);
                if (!dialog) tick = AcTickCount();
                Push(cw, &frame, f.Opacity);
                if (!steps.Advance()) break;
                WaitUntilTick(tick, FormAnimFrameInterval);
            }
        }
        if (!SetWindowPos(cw, nullptr, wr.left, wr.top, width, height, PlaceCoverFlags | SWP_NOZORDER)) IgnoreApiFailure();
        Push(cw, image.get(), blendValue);

        // The real window takes the cover's place, invisible at first, then at its own opacity.
        w->SetInAnimation(false);
        SetLayeredAlpha(wnd, true, 0);
        const TWindowState state = w->WindowState();
        ShowWindow(wnd, state == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        if (!SetWindowPos(wnd, cw, 0, 0, 0, 0, BelowCoverFlags)) IgnoreApiFailure();
        if (w->AlphaBlend()) {
            SetLayeredAlpha(wnd, true, w->AlphaBlendValue());
        } else {
            if (IsDesktopCompositionOn()) SetLayeredAlpha(wnd, true, 255);
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        }
        AnimationRunning = false;
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        image.reset();
        if (IsDesktopCompositionOn()) WaitUntilTick(AcTickCount(), 2 * FormAnimFrameInterval);
        if (!SetWindowPos(cw, wnd, 0, 0, 0, 0, BelowCoverFlags)) IgnoreApiFailure();
    } catch (...) {
        AnimationRunning = false;
        throw;
    }
    cover.reset();
    if (!dialog) w->AfterAnimation(aeShowing);
}

void AnimateHide(TacAnimatedWindow* w, int time, TacAnimType mode, bool dialog)
{
    FreeAllGlows(!dialog);
    if (!w) return;
    HWND wnd = w->Window();
    if (!wnd) return;
    RECT wr{};
    GetWindowRect(wnd, &wr);
    std::unique_ptr<TBitmap> image = WindowImage(w, wr.right - wr.left, wr.bottom - wr.top);
    if (!image) return;
    const uint8_t start = !dialog && w->AlphaBlend() ? w->AlphaBlendValue() : 255;
    AnimationRunning = true;
    try {
        auto cover = std::make_unique<TacGlowForm>(Application);
        HWND cw = cover->Handle();
        const bool topmost = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if (!SetWindowPos(cw, topmost ? HWND_TOPMOST : wnd, wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top,
                          PlaceCoverFlags))
            IgnoreApiFailure();
        SetLayeredAlpha(wnd, true, 1);
        StartHideAnimation(cover.release(), image.release(), time, dialog ? nullptr : wnd, mode, start);
        if (!dialog) {
            if (start != 255)
                SetLayeredAlpha(wnd, true, start);
            else
                SetLayeredAlpha(wnd, false, 255);
        }
    } catch (...) {
        AnimationRunning = false;
        throw;
    }
    AnimationRunning = false;
}

}  // namespace

void SetAnimatedWindowResolver(TacAnimatedWindowResolver resolver) { Resolver() = std::move(resolver); }

TacAnimatedWindow* AnimatedWindowOf(TObject* provider)
{
    const TacAnimatedWindowResolver& r = Resolver();
    return provider && r ? r(provider) : nullptr;
}

void AnimateFormShow(TacAnimatedWindow* form, int time, uint8_t blendValue, TacAnimType mode)
{
    AnimateShow(form, time, blendValue, mode, false);
}

void AnimateDialogShow(TacAnimatedWindow* dialog, int time, uint8_t blendValue, TacAnimType mode)
{
    AnimateShow(dialog, time, blendValue, mode, true);
}

void AnimateFormHide(TacAnimatedWindow* form, int time, TacAnimType mode) { AnimateHide(form, time, mode, false); }

void AnimateFormHide(TObject* provider)
{
    TacAnimatedWindow* w = AnimatedWindowOf(provider);
    if (!w || !DefaultManager) return;
    const TacFormHide& h = DefaultManager->AnimEffects()->FormHide;
    AnimateFormHide(w, h.Time, h.Mode);
}

void AnimateDialogHide(TacAnimatedWindow* dialog, int time, TacAnimType mode) { AnimateHide(dialog, time, mode, true); }

// ---- the hide timer ----------------------------------------------------------------------------

TacHideTimer::TacHideTimer(TComponent* owner) : TacThreadedTimer(owner, false) {}

TacHideTimer::~TacHideTimer()
{
    SetEnabled(false);
    if (SharedTimer == this) SharedTimer = nullptr;
    FireAfterAnimation();
    FreeCover();
}

void TacHideTimer::FreeCover()
{
    delete Form;
    Form = nullptr;
    delete SrcBmp;
    SrcBmp = nullptr;
    delete DstBmp;
    DstBmp = nullptr;
    FSteps.reset();
}

void TacHideTimer::Begin(TacAnimType type, int stepCount)
{
    AnimType = type;
    StepCount = stepCount;
    I = 0;
    if (SrcBmp) FSteps = std::make_unique<TacHideSteps>(type, stepCount, StartBlendValue, SrcBmp->Width(), SrcBmp->Height());
}

void TacHideTimer::FireAfterAnimation()
{
    if (EventCalled || !ParentWnd || !IsWindow(ParentWnd)) return;
    auto* provider = reinterpret_cast<TObject*>(SendSkinCommand(ParentWnd, scmGetProvider, 0));
    if (TacAnimatedWindow* w = AnimatedWindowOf(provider)) {
        EventCalled = true;
        w->AfterAnimation(aeHiding);
    }
}

void TacHideTimer::HideTick(TObject*)
{
    if (!Form || !FSteps) return;
    if (I <= StepCount) {
        const TacAnimFrame f = FSteps->Frame();
        ComposeFrame(DstBmp, SrcBmp, f, AnimType == atDropDown);
        if (Form->HandleAllocated()) Push(Form->ExistingHandle(), DstBmp, f.Opacity);
        const bool more = FSteps->Advance();
        ++I;
        if (more) return;
    }
    I = StepCount + 1;
    SetEnabled(false);
    FireAfterAnimation();
    SetOnTimer(TNotifyEvent());
    SetInterval(65535);
    FreeCover();
}

TacHideTimer* SharedHideTimer() { return SharedTimer; }
void ForgetSharedHideTimer() { SharedTimer = nullptr; }

void StartHideAnimation(TacGlowForm* cover, TBitmap* bmp, int time, HWND parentWnd, TacAnimType animType,
                        uint8_t startAlpha)
{
    std::unique_ptr<TacGlowForm> ownedCover(cover);
    std::unique_ptr<TBitmap> ownedBmp(bmp);
    if (SharedTimer && SharedTimer->Form) {
        // An earlier hide still playing: its cover goes at once.
        SharedTimer->SetEnabled(false);
        SharedTimer->FreeCover();
    }
    const int n = FormAnimStepCount(time);
    if (n == 0 || !cover || !bmp) return;
    if (!SharedTimer) SharedTimer = new TacHideTimer(Application);
    TacHideTimer* t = SharedTimer;
    t->ParentWnd = parentWnd;
    t->EventCalled = false;
    Premultiply(bmp);
    t->SrcBmp = ownedBmp.release();
    t->StartBlendValue = startAlpha;
    t->Form = ownedCover.release();
    t->SetInterval(FormAnimFrameInterval);

    HWND cw = t->Form->Handle();
    MakeCoverLayered(cw);
    Push(cw, t->SrcBmp, startAlpha);
    ShowWindow(cw, SW_SHOWNOACTIVATE);
    if (!SetWindowPos(cw, nullptr, 0, 0, bmp->Width(), bmp->Height(), PlaceCoverFlags | SWP_NOMOVE | SWP_NOZORDER))
        IgnoreApiFailure();
    t->DstBmp = new TBitmap(bmp->Width(), bmp->Height(), pf32bit);
    FillBlock32(BitmapView(t->DstBmp), BitmapView(t->DstBmp).Bounds(), 0);
    t->Begin(animType, n);

    if (Terminating()) {
        // No message loop any more: every frame now, paced by the tick count.
        while (t->Form) {
            const uint32_t tick = AcTickCount();
            t->HideTick(t);
            if (t->Form) WaitUntilTick(tick, FormAnimFrameInterval);
        }
        return;
    }
    t->SetOnTimer(Bind<&TacHideTimer::HideTick>(t));
    t->HideTick(t);
    if (t->Form) t->SetEnabled(true);
}
