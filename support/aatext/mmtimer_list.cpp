#include "support/aatext/mmtimer_list.h"

#include <algorithm>
#include <cmath>

// ---- TMMTimerObject -------------------------------------------------------------------------

void TMMTimerObject::SetEnabled(bool value, uint32_t now)
{
    if (FEnabled == value) return;
    FEnabled = value;
    // The count is of ticks since the last switch-on, so it still reads the repeat count
    // after the entry stopped itself.
    if (value) {
        FExecCount = 0;
        FLastTickCount = now;   // the first tick comes one full interval later
    }
}

void TMMTimerObject::SetInterval(uint32_t value, uint32_t now)
{
    if (FInterval == value) return;
    FInterval = value;
    FLastTickCount = now;
}

void TMMTimerObject::SetFPS(double fps)
{
    if (fps < 0 || std::isnan(fps)) return;
    fps = std::clamp(fps, 1.0 / 65535.0, 1000.0);
    FInterval = static_cast<uint32_t>(std::nearbyint(1000.0 / fps));
}

bool TMMTimerObject::Due(bool sync, uint32_t now) const
{
    // Unsigned difference: the clock's wrap after about 49.7 days does no harm.
    return FEnabled && !FDeleted && !FRunning && FSyncEvent == sync && FInterval != 0 &&
           now - FLastTickCount >= FInterval && FOnTimer;
}

void TMMTimerObject::Timer(uint32_t now)
{
    ++FExecCount;
    FOnTimer(this);
    if (FRepeatCount > 0 && FExecCount >= FRepeatCount) SetEnabled(false, now);
}

// ---- TMMTimerList ---------------------------------------------------------------------------

TMMTimerList::~TMMTimerList()
{
    Clear();
}

TMMTimerObject* TMMTimerList::Add(uint32_t now)
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    auto* entry = new TMMTimerObject(now);
    FItems.push_back(entry);
    return entry;
}

void TMMTimerList::Delete(TMMTimerObject* entry)
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    auto it = std::find(FItems.begin(), FItems.end(), entry);
    if (it == FItems.end()) return;
    if (FPassDepth > 0) {
        // A pass on this thread is walking the list (the entry may be the one whose handler
        // runs): free it after the pass.
        entry->FDeleted = true;
        entry->FEnabled = false;
        entry->FOnTimer = nullptr;
        return;
    }
    FItems.erase(it);
    delete entry;
}

void TMMTimerList::Clear()
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    if (FPassDepth > 0) {
        for (TMMTimerObject* e : FItems) Delete(e);
        return;
    }
    while (!FItems.empty()) {
        delete FItems.back();
        FItems.pop_back();
    }
}

int TMMTimerList::Count()
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](auto* e) { return !e->FDeleted; }));
}

bool TMMTimerList::Contains(const TMMTimerObject* entry)
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    auto it = std::find(FItems.begin(), FItems.end(), entry);
    return it != FItems.end() && !(*it)->FDeleted;
}

void TMMTimerList::Purge()
{
    std::erase_if(FItems, [](TMMTimerObject* e) {
        if (!e->FDeleted) return false;
        delete e;
        return true;
    });
}

void TMMTimerList::DoTimer(bool sync, uint32_t now, const TErrorReport& report)
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    ++FPassDepth;
    // By index: handlers may append entries while the pass runs.
    for (size_t i = 0; i < FItems.size(); ++i) {
        TMMTimerObject* e = FItems[i];
        if (!e->Due(sync, now)) continue;
        e->FActualFPS = e->FLastTickCount == now ? 0.0 : 1000.0 / static_cast<double>(now - e->FLastTickCount);
        e->FLastTickCount = now;
        e->FRunning = true;
        try {
            e->Timer(now);
        } catch (...) {
            if (report) report();
        }
        e->FRunning = false;
    }
    if (--FPassDepth == 0) Purge();
}

bool TMMTimerList::AnyDue(bool sync, uint32_t now)
{
    std::lock_guard<std::recursive_mutex> guard(FLock);
    return std::any_of(FItems.begin(), FItems.end(), [&](auto* e) { return e->Due(sync, now); });
}
