#include "support/timers/thread_timer.h"

#include "vcl/application.h"

// ---- TTimerThread --------------------------------------------------------------------------------

TTimerThread::TTimerThread(TThreadTimer* timer)
    : FInterval(timer->Interval()), FTimer(timer), FPriority(timer->Priority())
{
    SetThreadName(Format(L"%s: %s", {ClassName(), timer->Name()}));
    Start();
}

TTimerThread::~TTimerThread()
{
    Stop();
    if (GetCurrentThreadId() != ThreadID() && Started() && !Finished()) WaitFor();
}

void TTimerThread::Stop()
{
    Terminate();
    FEvent.SetEvent();
    Release();
}

void TTimerThread::Hold()
{
    FHasBeenSuspended = true;
    FHeld = true;
    FResumeEvent.ResetEvent();
}

void TTimerThread::Release()
{
    FHeld = false;
    FResumeEvent.SetEvent();
}

bool TTimerThread::WaitInterval(DWORD ms)
{
    return FEvent.WaitFor(ms) == TWaitResult::wrTimeout;
}

void TTimerThread::Execute()
{
    NameThread(ThreadName());
    SetPriority(FPriority);
    if (!WaitInterval(FInterval)) return;
    while (!Terminated()) {
        // A held thread waits here until the timer is switched on again or stopped.
        if (FHeld) {
            HANDLE handles[2] = {FResumeEvent.Handle(), FEvent.Handle()};
            if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return;
            if (Terminated()) return;
        }
        FHasBeenSuspended = false;
        DWORD start = GetTickCount();
        if (!Terminated()) {
            FSynchronizing = true;
            try {
                Synchronize([this] {
                    if (FTimer) FTimer->Tick();
                });
            } catch (...) {
                // The handler's exception was reported on the main thread already.
            }
            FSynchronizing = false;
        }
        DWORD elapsed = FHasBeenSuspended ? 0 : GetTickCount() - start;
        if (Terminated()) return;
        unsigned interval = FInterval;
        if (!WaitInterval(elapsed >= interval ? 0 : interval - elapsed)) return;
    }
}

// ---- TThreadTimer --------------------------------------------------------------------------------

TThreadTimer::TThreadTimer(TComponent* owner) : TComponent(owner) {}

TThreadTimer::~TThreadTimer()
{
    Destroying();
    StopTimer();
}

void TThreadTimer::SetEnabled(bool value)
{
    if (HasState(csLoading)) {
        FStreamedEnabled = value;
        FEnabledStreamed = true;
        return;
    }
    if (value == FEnabled) return;
    FEnabled = value;
    UpdateTimer();
}

void TThreadTimer::SetInterval(unsigned value)
{
    if (value == FInterval) return;
    FInterval = value;
    UpdateTimer();
}

void TThreadTimer::SetKeepAlive(bool value)
{
    if (value == FKeepAlive) return;
    StopTimer();
    FKeepAlive = value;
    UpdateTimer();
}

void TThreadTimer::SetOnTimer(const TNotifyEvent& handler)
{
    // Only the code part counts, as for the component library's method comparison.
    if (handler.SameCode(FOnTimer) && handler.Data() == FOnTimer.Data()) return;
    FOnTimer = handler;
    UpdateTimer();
}

void TThreadTimer::SetPriority(TThreadPriority value)
{
    if (value == FPriority) return;
    FPriority = value;
    if (FThread) {
        FThread->FPriority = value;
        if (FThread->Started() && !FThread->Finished()) FThread->SetPriority(value);
    }
}

void TThreadTimer::Loaded()
{
    TComponent::Loaded();
    // A timer made in code after its owner began loading was set directly: keep that.
    if (!FEnabledStreamed) return;
    bool value = FStreamedEnabled;
    FStreamedEnabled = false;
    FEnabledStreamed = false;
    if (value != FEnabled) {
        FEnabled = value;
        UpdateTimer();
    }
}

void TThreadTimer::UpdateTimer()
{
    if (HasState(csLoading | csDesigning)) return;
    bool active = FEnabled && FOnTimer && FInterval != 0 && !HasState(csDestroying);
    if (!FKeepAlive) StopTimer();
    if (active) {
        if (FThread) {
            FThread->FInterval = FInterval;
            FThread->Release();
        } else {
            FThread = new TTimerThread(this);
        }
    } else if (FThread) {
        if (!FThread->FHeld) FThread->Hold();
        FThread->FInterval = FInterval;
    }
}

void TThreadTimer::StopTimer()
{
    TTimerThread* thread = FThread;
    if (!thread) return;
    FThread = nullptr;
    thread->FTimer = nullptr;
    thread->Stop();
    if (thread->FSynchronizing && FInHandler) {
        // Stopped from its own OnTimer: the thread is waiting for this very call to return, so
        // waiting for it here would never end. It frees itself when it ends.
        thread->SetFreeOnTerminate(true);
    } else {
        delete thread;   // waits for its end, serving a tick call that may be queued
    }
}

void TThreadTimer::Tick()
{
    if (HasState(csDestroying) || !FOnTimer) return;
    FInHandler = true;
    try {
        FOnTimer(this);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
    FInHandler = false;
}
