// TThreadTimer: a timer whose ticks are timed by a thread of its own, while OnTimer still runs
// on the main thread as a synchronised call. The next tick is scheduled from the start of the
// previous handler, so a slow handler does not stretch the period.
#pragma once

#include <atomic>

#include "support/system/named_thread.h"
#include "vcl/classes.h"

class TThreadTimer;

class TTimerThread : public TNamedThread {
public:
    explicit TTimerThread(TThreadTimer* timer);
    ~TTimerThread() override;
    // Asks the thread to end and wakes it, also when it is held.
    void Stop();

protected:
    void Execute() override;

private:
    friend class TThreadTimer;
    // Holds the thread before its next tick (the timer is off but kept alive), and lets it go.
    void Hold();
    void Release();
    bool WaitInterval(DWORD ms);   // true when the wait timed out

    TEvent FEvent{false, false};          // the interruptible sleep
    TEvent FResumeEvent{true, true};      // not signalled while held
    std::atomic<bool> FHasBeenSuspended{false};
    std::atomic<bool> FHeld{false};
    std::atomic<unsigned> FInterval;
    TThreadTimer* FTimer;                 // main thread only; cleared when the timer lets go
    TThreadPriority FPriority;
    std::atomic<bool> FSynchronizing{false};
};

class TThreadTimer : public TComponent {
public:
    explicit TThreadTimer(TComponent* owner);
    ~TThreadTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    bool KeepAlive() const { return FKeepAlive; }
    void SetKeepAlive(bool value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& handler);
    TThreadPriority Priority() const { return FPriority; }
    void SetPriority(TThreadPriority value);

    // The current thread (null when none); for tests and diagnostics.
    const TTimerThread* Thread() const { return FThread; }

protected:
    void Loaded() override;

private:
    friend class TTimerThread;
    void UpdateTimer();
    void StopTimer();
    void Tick();   // on the main thread

    bool FEnabled = false;
    bool FStreamedEnabled = false;
    bool FEnabledStreamed = false;   // SetEnabled was called while loading
    unsigned FInterval = 1000;
    bool FKeepAlive = false;
    TNotifyEvent FOnTimer;
    TThreadPriority FPriority = TThreadPriority::tpNormal;
    TTimerThread* FThread = nullptr;
    bool FInHandler = false;
};
