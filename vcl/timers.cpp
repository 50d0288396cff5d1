#include "vcl/timers.h"

#include "vcl/application.h"
#include "vcl/utilwindow.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    FWindow = AllocateHWnd(Bind<&TTimer::WndProc>(this));
}

TTimer::~TTimer()
{
    FEnabled = false;
    if (FWindow) KillTimer(FWindow, 1);
    DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool on)
{
    if (on == FEnabled) return;
    FEnabled = on;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms)
{
    if (ms == FInterval) return;
    FInterval = ms;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler)
{
    FOnTimer = handler;
    UpdateTimer();
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    if (!FWindow) return;
    KillTimer(FWindow, 1);
    if (HasState(csLoading)) return;
    if (FEnabled && FInterval != 0 && FOnTimer) SetTimer(FWindow, 1, FInterval, nullptr);
}

void TTimer::Timer()
{
    if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& message)
{
    if (message.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
        return;
    }
    message.Result = DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
}
