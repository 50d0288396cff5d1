// Threads, events, locks, and calls handed to the main thread.
//
// Synchronised calls travel as a message posted to a hidden window of the main thread, so they
// run wherever the main thread pumps messages: in the application loop, in ProcessMessages,
// inside a modal loop or a message box. A thread blocked in Synchronize therefore never
// deadlocks a main thread that pumps, and a main thread that waits for a thread (WaitFor)
// serves pending calls while it waits.
#pragma once

#include "vcl/win.h"

#include <atomic>
#include <functional>

#include "vcl/classes.h"

// ---- Locks and events ----------------------------------------------------------------------

class TCriticalSection : public TObject {
public:
    TCriticalSection() { InitializeCriticalSection(&FSection); }
    ~TCriticalSection() override { DeleteCriticalSection(&FSection); }
    void Enter() { EnterCriticalSection(&FSection); }
    void Leave() { LeaveCriticalSection(&FSection); }
    bool TryEnter() { return TryEnterCriticalSection(&FSection) != 0; }
    void Acquire() { Enter(); }
    void Release() { Leave(); }

private:
    CRITICAL_SECTION FSection;
};

// Enter in the constructor, leave in the destructor.
class TLockGuard {
public:
    explicit TLockGuard(TCriticalSection& cs) : FCs(cs) { FCs.Enter(); }
    ~TLockGuard() { FCs.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TCriticalSection& FCs;
};

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

class TEvent : public TObject {
public:
    // An OS event; EOSError when it cannot be made.
    TEvent(bool manualReset, bool initialState, const String& name = String());
    ~TEvent() override;
    void SetEvent();
    void ResetEvent();
    TWaitResult WaitFor(DWORD timeoutMs = INFINITE);
    HANDLE Handle() const { return FHandle; }

private:
    HANDLE FHandle = nullptr;
};

// Manual-reset, initially not signalled.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};

// ---- Threads -------------------------------------------------------------------------------

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread object. The OS thread is created suspended with the object; a derived class calls
// Start() once it is fully built (a base constructor cannot start a thread that calls a
// derived Execute). Destroying a running thread terminates it and waits for its end.
class TThread : public TObject {
public:
    using TThreadMethod = std::function<void()>;

    TThread();
    ~TThread() override;

    void Start();
    void Terminate();
    // Waits for the end of the thread; on the main thread synchronised calls are served while
    // waiting. Answers ReturnValue.
    int WaitFor();
    void Suspend();
    void Resume();

    bool Terminated() const { return FTerminated.load(); }
    bool Finished() const { return FFinished.load(); }
    bool Started() const { return FStarted; }
    bool Suspended() const { return FSuspended; }
    bool FreeOnTerminate() const { return FFreeOnTerminate.load(); }
    void SetFreeOnTerminate(bool on) { FFreeOnTerminate = on; }
    TThreadPriority Priority() const { return FPriority; }
    void SetPriority(TThreadPriority p);
    DWORD ThreadID() const { return FThreadID; }
    HANDLE Handle() const { return FHandle; }
    int ReturnValue() const { return FReturnValue; }
    // The exception that ended Execute, if any (its message; empty when none).
    const String& FatalExceptionMessage() const { return FFatalMessage; }

    // Called on the main thread after Execute ended (before a FreeOnTerminate delete).
    TNotifyEvent OnTerminate;

    // Runs method on the main thread and waits for it; an exception it raises is raised again
    // in the calling thread. Called on the main thread itself, it runs the method directly.
    void Synchronize(const TThreadMethod& method);
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    // Runs method on the main thread later, without waiting.
    static void Queue(TThread* thread, const TThreadMethod& method);
    // Drops calls queued by thread that have not run yet (called when the thread goes away).
    static void RemoveQueuedEvents(TThread* thread);

    // Gives the calling thread a name that debuggers show.
    static void NameThreadForDebugging(const String& name, DWORD threadId = static_cast<DWORD>(-1));
    static TThread* CurrentThread();   // nullptr for threads not made by TThread

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();
    void SetReturnValue(int value) { FReturnValue = value; }

private:
    static DWORD WINAPI ThreadProc(void* param);

    HANDLE FHandle = nullptr;
    HANDLE FSyncEvent = nullptr;   // wakes this thread when its synchronised call has run
    DWORD FThreadID = 0;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFreeOnTerminate{false};
    bool FStarted = false;
    bool FStartedByStart = false;
    bool FSuspended = true;
    TThreadPriority FPriority = TThreadPriority::tpNormal;
    int FReturnValue = 0;
    String FFatalMessage;
};

// ---- The main thread's side ------------------------------------------------------------------

DWORD MainThreadID();
bool IsMainThread();
// Runs every synchronised or queued call that is waiting; answers whether any ran. Called by
// the application loop; may be called by code that waits on the main thread.
bool CheckSynchronize();
// Releases every thread still waiting in Synchronize without running its call (used when the
// application ends: the main thread no longer serves them).
void ReleasePendingSynchronize();
// Waits for handle on the main thread while serving synchronised calls and sent messages.
DWORD WaitForHandleServingSync(HANDLE handle, DWORD timeoutMs);
