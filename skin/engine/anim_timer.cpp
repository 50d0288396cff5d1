#include "skin/engine/anim_timer.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "vcl/application_hooks.h"
#include "vcl/stdctrls.h"
#include "vcl/timers.h"

namespace {

TacTickSource* InstalledSource = nullptr;

bool Terminating() { return Application && Application->Terminated(); }

}  // namespace

void SetAnimTickSource(TacTickSource* source) { InstalledSource = source; }
TacTickSource* AnimTickSource() { return InstalledSource; }

// ---- the timer -----------------------------------------------------------------------------------

TacThreadedTimer::TacThreadedTimer(TComponent* owner) : TComponent(owner)
{
    if (!Terminating()) {
        FEnabled = true;
        FInterval = 1000;
        FTimerThread = new TTimer(nullptr);
        FTimerThread->SetEnabled(false);
        FTimerThread->SetInterval(FInterval);
        FTimerThread->SetOnTimer(Bind<&TacThreadedTimer::TimerTick>(this));
    }
}

TacThreadedTimer::TacThreadedTimer(TComponent* owner, bool changeEvent) : TacThreadedTimer(owner)
{
    SetEnabled(false);
    FOwner = owner;
    if (changeEvent) SetOnTimer(Bind<&TacThreadedTimer::OwnTimeHandler>(this));
}

TacThreadedTimer::~TacThreadedTimer()
{
    SetEnabled(false);
    if (auto* link = dynamic_cast<TsCommonData*>(AnimData); link && link->AnimTimer == this) link->AnimTimer = nullptr;
    if (Destroyed) return;
    Destroyed = true;
    if (FInnerRunning && InstalledSource) InstalledSource->Stop(this);
    delete FTimerThread;
    FTimerThread = nullptr;
    delete BmpFrom;
    delete BmpTo;
    delete BmpOut;
    BmpFrom = BmpTo = BmpOut = nullptr;
}

void TacThreadedTimer::SetEnabled(bool value)
{
    if (FEnabled == value) return;
    FEnabled = value;
    UpdateInner();
}

void TacThreadedTimer::SetInterval(unsigned value)
{
    if (FInterval == value) return;
    FInterval = value;
    if (FTimerThread) FTimerThread->SetInterval(value);
    UpdateInner();
}

void TacThreadedTimer::SetOnTimer(const TNotifyEvent& value)
{
    FOnTimer = value;
    UpdateInner();
}

void TacThreadedTimer::SetThreadPriority(TacThreadPriority value)
{
    if (FThreadPriority == value) return;
    FThreadPriority = value;
    UpdateInner();
}

void TacThreadedTimer::Reset()
{
    if (FInnerRunning && InstalledSource) InstalledSource->Stop(this);
    FInnerRunning = false;
    delete FTimerThread;
    FTimerThread = new TTimer(nullptr);
    FTimerThread->SetEnabled(false);
    FTimerThread->SetInterval(FInterval);
    FTimerThread->SetOnTimer(Bind<&TacThreadedTimer::TimerTick>(this));
    UpdateInner();
}

void TacThreadedTimer::UpdateInner()
{
    if (Destroyed) return;
    const bool run = FInterval != 0 && FEnabled && (FOnTimer.Assigned() || AnimProc);
    if (InstalledSource) {
        if (FTimerThread) FTimerThread->SetEnabled(false);
        if (FInnerRunning) InstalledSource->Stop(this);
        FInnerRunning = run;
        if (run) InstalledSource->Start(this, FInterval);
        return;
    }
    FInnerRunning = run && FTimerThread;
    if (FTimerThread) FTimerThread->SetEnabled(run);
}

void TacThreadedTimer::Tick()
{
    if (!FInnerRunning || Executing || Destroyed) return;
    Executing = true;
    try {
        if (FEnabled) {
            if (AnimProc) {
                ++Iteration;
                if (Iteration > Iterations)
                    SetEnabled(false);
                else
                    AnimProc(AnimData, Iteration);
            } else if (FOnTimer.Assigned()) {
                FOnTimer(this);
            }
        }
    } catch (...) {
        HandleExceptionFromCallback(L"animation timer");
    }
    Executing = false;
}

void TacThreadedTimer::TimeHandler()
{
    if (!FEnabled || !AnimProc || Destroyed) return;
    if (!AnimProc(AnimData, Iteration)) {
        SetEnabled(false);
        State = -1;
    }
}

void TacThreadedTimer::InitData(TObject* data, int startIteration, TacAnimProc animProc, int newState, bool fast)
{
    SetEnabled(false);
    AnimData = data;
    Value = 0;
    const TacAnimPlan p = PlanStateAnimation(Glow, State, newState, fast, BmpOut != nullptr, startIteration);
    Glow = p.Glow;
    Iterations = p.Iterations;
    GlowStep = p.GlowStep;
    ValueStep = p.ValueStep;
    if (p.FromOutput) CopyFrom(BmpFrom, BmpOut, TRect(0, 0, BmpOut->Width(), BmpOut->Height()));
    Iteration = p.Iteration;
    SetInterval(12);
    AnimProc = animProc;
    OldState = State;
    State = newState;
    SetEnabled(true);
}

void TacThreadedTimer::CopyFrom(TBitmap*& dst, TBitmap* src, const TRect& r)
{
    if (!src) return;
    if (!dst)
        dst = NewBitmap32(r.Width(), r.Height());
    else
        dst->SetSize(r.Width(), r.Height());
    if (r.Width() <= 0 || r.Height() <= 0) return;
    BitBlt(dst->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), src->Canvas()->Handle(), r.left, r.top, SRCCOPY);
}

// ---- control-level routines ------------------------------------------------------------------------

int EnsureAnimTimer(TacThreadedTimer*& timer, TComponent* owner, int newState)
{
    if (timer) return RemainingAnimSteps(timer->State, timer->Iteration);
    timer = new TacThreadedTimer(owner);
    if (newState == 0) timer->Glow = 255;
    return 0;
}

namespace {
// The fade starts from the picture the cache holds: one composed at the control's present size.
// A control hovered before it ever painted (the pointer already resting where its window comes
// up) has an empty cache, and one resized since its last paint a picture of the old size; a fade
// from either would show what was never drawn.
bool HoldsComposedPicture(const TsCommonData* data)
{
    if (data->CacheEmpty()) return false;
    const TControl* c = data->FOwnerControl;
    return !c || (data->FCacheBmp->Width() == c->Width() && data->FCacheBmp->Height() == c->Height());
}
}  // namespace

void AnimateStateChange(TsCommonData* data, int newState, TacAnimProc animProc, bool allowed, bool fast, bool withGlow)
{
    if (!data) return;
    if (!data->Skinned()) {
        data->Invalidate(false);
        return;
    }
    TsSkinManager* m = data->SkinManager();
    if (allowed && !data->SkinChanging() && !SessionEnding && HoldsComposedPicture(data) && !data->BGChanged && m &&
        m->Effects()->AllowAnimation) {
        if (withGlow && newState < 100 && data->GlowID < 0) {
            HWND wnd = data->OwnerHandle();
            data->ShowControlGlow(false, wnd, 0, false, -1);
        }
        data->BGChanged = true;
        StartStateAnimation(data, newState, animProc, fast);
        return;
    }
    data->BGChanged = true;
    data->Invalidate(false);
    if (withGlow && data->FMouseAbove) {
        if (newState < 100 && data->GlowID < 0) data->ShowControlGlow(false, data->OwnerHandle(), 255, false, -1);
    } else if (!data->FMouseAbove) {
        FadeOutGlow(data->GlowID, false);
    }
}

void StartStateAnimation(TsCommonData* data, int newState, TacAnimProc animProc, bool fast)
{
    const int start = EnsureAnimTimer(data->AnimTimer, data->FOwnerControl, newState);
    TacThreadedTimer* t = data->AnimTimer;
    t->AnimData = data;
    if (t->State != -1 && t->State == newState) return;
    if (t->BmpOut && data->FCacheBmp &&
        (t->BmpOut->Width() != data->FCacheBmp->Width() || t->BmpOut->Height() != data->FCacheBmp->Height())) {
        delete t->BmpOut;
        t->BmpOut = nullptr;
    }
    TBitmap* cache = data->FCacheBmp;
    TacThreadedTimer::CopyFrom(t->BmpFrom, cache, TRect(0, 0, cache->Width(), cache->Height()));
    LRESULT failed = 0;
    if (data->FOwnerControl)
        failed = SendSkinCommandToControl(data->FOwnerControl, scmPrepareCache, 0);
    else
        failed = SendSkinCommand(data->OwnerHandle(), scmPrepareCache, 0);
    if (!data->AnimTimer) return;   // the control went away meanwhile
    if (failed) t->SetEnabled(false);
    cache = data->FCacheBmp;
    // A button with controls of its own on it (labels, images) shows them in every frame.
    if (auto* button = dynamic_cast<TButtonControl*>(data->FOwnerControl); button && button->ControlCount() > 0)
        DrawGraphicChildren(cache->Canvas()->Handle(), button, false, TPoint(0, 0), true);
    TacThreadedTimer::CopyFrom(t->BmpTo, cache, TRect(0, 0, cache->Width(), cache->Height()));
    t->InitData(data, start, animProc, newState, fast);
    t->TimeHandler();
}

bool StateAnimationStep(TObject* obj, int iteration)
{
    (void)iteration;
    auto* data = dynamic_cast<TsCommonData*>(obj);
    if (!data || !data->AnimTimer || data->AnimTimer->Destroyed) return false;
    TacThreadedTimer* t = data->AnimTimer;
    HWND wnd = nullptr;
    auto* w = dynamic_cast<TWinControl*>(data->FOwnerControl);
    if (w)
        wnd = w->ExistingHandle();
    else
        wnd = data->OwnerHandle();
    if (!wnd || t->Iterations == 0 || !data->FCacheBmp || !t->BmpFrom || !t->BmpTo) return false;
    for (;;) {
        const int cw = data->FCacheBmp->Width(), ch = data->FCacheBmp->Height();
        if (!t->BmpOut)
            t->BmpOut = NewBitmap32(cw, ch);
        else if (t->BmpOut->Width() != cw || t->BmpOut->Height() != ch)
            t->BmpOut->SetSize(cw, ch);
        TacThreadedTimer::CopyFrom(t->BmpOut, t->BmpFrom, TRect(0, 0, t->BmpFrom->Width(), t->BmpFrom->Height()));
        const int v = CrossFadeGlow(t->Glow, t->GlowStep, t->State, t->Iteration, t->Iterations);
        const int weight = t->State == 1 ? 255 - v : v;
        if (cw > 0 && ch > 0)
            MixRectAt32(t->BmpOut, t->BmpTo, static_cast<uint8_t>(weight), TRect(0, 0, cw - 1, ch - 1), TPoint(0, 0));
        if (w && w->ControlCount() > 0) {
            TBitmap* frame = NewBitmap32Like(t->BmpOut);
            BitBlt(frame->Canvas()->Handle(), 0, 0, cw, ch, t->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
            for (int i = 0; i < w->ControlCount(); ++i) {
                TControl* child = w->Controls(i);
                if (child->Visible()) PaintChildAtItsPlace(frame, child);
            }
            delete t->BmpOut;
            t->BmpOut = frame;
        }
        if (HDC dc = GetWindowDC(wnd)) {
            // The frame is the picture as it is meant to be seen: a mirrored window DC of a
            // right-to-left application would turn it round.
            if (Application && Application->BiDiMode() != bdLeftToRight) SetDCLayout(dc, 0);
            BitBlt(dc, 0, 0, cw, ch, t->BmpOut->Canvas()->Handle(), 0, 0, SRCCOPY);
            ReleaseDC(wnd, dc);
        }
        if (t->Iteration < t->Iterations) {
            if (data->GlowID >= 0) SetGlowOpacity(data->GlowID, static_cast<uint8_t>(v));
            if (t->State == 0 && v < 10) {
                t->Glow = 0;
                FadeOutGlow(data->GlowID, false);
            }
            return true;
        }
        if (t->State == 0 && v > 0) {
            if (data->GlowID >= 0) SetGlowOpacity(data->GlowID, static_cast<uint8_t>(v));
            --t->Iteration;   // one step back and another frame: the fade goes on until the glow is out
            continue;
        }
        const int state = t->State;
        if (state == 0) data->StopAnimTimer();
        if (state != 1) FadeOutGlow(data->GlowID, false);
        return false;
    }
}

bool GlowFadeStep(TObject* obj, int iteration)
{
    (void)iteration;
    auto* data = dynamic_cast<TsCommonData*>(obj);
    if (!data || !data->FOwnerControl || data->FOwnerControl->HasState(csDestroying)) return false;
    TacThreadedTimer* t = data->AnimTimer;
    if (!t || t->Iterations <= 0) return false;
    if (t->Iteration >= t->Iterations) {
        const int state = t->State;
        if (state != 1) FadeOutGlow(data->GlowID, false);
        if (state == 0) data->StopAnimTimer();
        return false;
    }
    if (data->GlowID < 0) return true;
    t->Glow += t->State == 1 ? t->GlowStep : -t->GlowStep;
    SetGlowOpacity(data->GlowID, static_cast<uint8_t>(std::clamp(RoundHalfEven(t->Glow), 0, 255)));
    return true;
}

void CompleteAnimTimer(TacThreadedTimer* timer)
{
    if (!timer || timer->Destroyed || timer->HasState(csDestroying)) return;
    timer->Iteration = timer->Iterations - 1;
    // The glow rises towards hot and falls towards the normal and the pressed look: either way
    // its end value makes the last frame the target picture.
    timer->Glow = timer->State == 1 ? 255 : 0;
    timer->SetEnabled(false);
    // The last frame, drawn once (the timer is already off, so its own handler would not run).
    if (timer->AnimProc) timer->AnimProc(timer->AnimData, timer->Iteration);
    delete timer->BmpOut;
    timer->BmpOut = nullptr;
}

bool IsAnimEventEnabled(TacAnimatEvent event, TacAnimatEvents events, TsSkinManager* manager)
{
    if (events & event) return true;
    if (!(events & aeGlobalDef)) return false;
    TsSkinManager* m = manager ? manager : DefaultManager;
    if (!m) return false;
    TacBtnEvent b = beMouseUp;
    switch (event) {
    case aeMouseEnter: b = beMouseEnter; break;
    case aeMouseLeave: b = beMouseLeave; break;
    case aeMouseDown: b = beMouseDown; break;
    default: b = beMouseUp; break;
    }
    return (m->AnimEffects()->Buttons.Events & b) != 0;
}
