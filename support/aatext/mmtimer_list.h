// The entries of the shared millisecond timer and the pass that fires the due ones. The clock
// is handed in (milliseconds of the multimedia clock), so the rules are tested without a
// timer. No windows.h here.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "vcl/classes.h"

class TMMTimerList;

// One timer of the shared service. Its fields are changed only under the list's lock.
class TMMTimerObject : public TObject {
public:
    double ActualFPS() const { return FActualFPS; }
    bool Enabled() const { return FEnabled; }
    uint32_t ExecCount() const { return FExecCount; }
    uint32_t Interval() const { return FInterval; }
    uint32_t LastTickCount() const { return FLastTickCount; }
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    uint32_t RepeatCount() const { return FRepeatCount; }
    bool SyncEvent() const { return FSyncEvent; }

    // Switching on restarts the interval from now and clears the tick count.
    void SetEnabled(bool value, uint32_t now);
    // A new interval counts from now.
    void SetInterval(uint32_t value, uint32_t now);
    // Interval := Round(1000 / fps), fps kept within 1/65535 .. 1000; negative is ignored.
    void SetFPS(double fps);
    void SetOnTimer(const TNotifyEvent& handler) { FOnTimer = handler; }
    void SetRepeatCount(uint32_t value) { FRepeatCount = value; }
    void SetSyncEvent(bool value) { FSyncEvent = value; }

    // True when a pass of kind sync at now would fire this entry.
    bool Due(bool sync, uint32_t now) const;

private:
    friend class TMMTimerList;
    explicit TMMTimerObject(uint32_t now) : FLastTickCount(now) {}
    // One tick: count, call the handler (the entry is the sender), stop at the repeat count.
    void Timer(uint32_t now);

    double FActualFPS = 0;
    bool FEnabled = true;
    uint32_t FExecCount = 0;
    uint32_t FInterval = 1000;
    uint32_t FLastTickCount;
    TNotifyEvent FOnTimer;
    uint32_t FRepeatCount = 0;
    bool FSyncEvent = true;
    bool FDeleted = false;   // deleted during a pass; removed when the pass ends
    bool FRunning = false;   // its handler runs; a nested pass leaves it alone
};

// The owned list of entries, guarded by one recursive lock that each pass holds throughout,
// so handlers may add, change and delete entries (their own included).
class TMMTimerList {
public:
    TMMTimerList() = default;
    TMMTimerList(const TMMTimerList&) = delete;
    TMMTimerList& operator=(const TMMTimerList&) = delete;
    ~TMMTimerList();

    TMMTimerObject* Add(uint32_t now);
    // Frees the entry; during a pass it is only disabled and freed when the pass ends. An
    // entry not in the list is ignored.
    void Delete(TMMTimerObject* entry);
    void Clear();
    int Count();
    bool Contains(const TMMTimerObject* entry);

    // Reports an exception of a handler (inside the catch block); the pass goes on.
    using TErrorReport = std::function<void()>;
    // Fires every due entry whose SyncEvent equals sync.
    void DoTimer(bool sync, uint32_t now, const TErrorReport& report);
    // True when a synchronised pass at now would fire an entry.
    bool AnyDue(bool sync, uint32_t now);

    // Runs f with the lock held (property changes of the entries).
    template <class F>
    auto Locked(F f)
    {
        std::lock_guard<std::recursive_mutex> guard(FLock);
        return f();
    }

private:
    void Purge();

    std::recursive_mutex FLock;
    std::vector<TMMTimerObject*> FItems;
    int FPassDepth = 0;
};
