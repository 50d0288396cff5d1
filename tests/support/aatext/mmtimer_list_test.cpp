#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/aatext/mmtimer_list.h"

namespace {

struct Recorder : TObject {
    std::vector<uint32_t> ticks;
    uint32_t* clock = nullptr;
    std::function<void(TObject*)> inside;
    void OnTick(TObject* sender)
    {
        ticks.push_back(clock ? *clock : 0);
        if (inside) inside(sender);
    }
};

struct Fixture {
    TMMTimerList list;
    uint32_t now = 1000;
    int reported = 0;
    void Pass(bool sync = true) { list.DoTimer(sync, now, [this] { ++reported; }); }
    TMMTimerObject* Add(Recorder& r, uint32_t interval)
    {
        r.clock = &now;
        TMMTimerObject* e = list.Add(now);
        e->SetInterval(interval, now);
        e->SetOnTimer(Bind<&Recorder::OnTick>(&r));
        return e;
    }
};

}  // namespace

TEST(MMTimerList, FiresWhenTheIntervalHasPassed)
{
    Fixture f;
    Recorder r;
    TMMTimerObject* e = f.Add(r, 60);
    for (uint32_t step : {59u, 1u, 30u, 31u}) {
        f.now += step;
        f.Pass();
    }
    EXPECT_EQ(r.ticks, (std::vector<uint32_t>{1060, 1121}));
    EXPECT_NEAR(e->ActualFPS(), 1000.0 / 61, 1e-9);
    EXPECT_EQ(e->ExecCount(), 2u);
    EXPECT_EQ(e->LastTickCount(), 1121u);
}

TEST(MMTimerList, WhatNeverFires)
{
    Fixture f;
    Recorder r0, rNoHandler, rOff, rOtherKind;
    f.Add(r0, 0);
    TMMTimerObject* bare = f.list.Add(f.now);
    bare->SetInterval(10, f.now);
    TMMTimerObject* off = f.Add(rOff, 10);
    off->SetEnabled(false, f.now);
    TMMTimerObject* unsynced = f.Add(rOtherKind, 10);
    unsynced->SetSyncEvent(false);
    f.now += 100;
    f.Pass(true);
    EXPECT_TRUE(r0.ticks.empty());
    EXPECT_TRUE(rOff.ticks.empty());
    EXPECT_TRUE(rOtherKind.ticks.empty());
    EXPECT_EQ(bare->ExecCount(), 0u);
    EXPECT_EQ(bare->LastTickCount(), 1000u);
    EXPECT_FALSE(f.list.AnyDue(true, f.now));
    EXPECT_TRUE(f.list.AnyDue(false, f.now));
    f.Pass(false);
    EXPECT_EQ(rOtherKind.ticks.size(), 1u);
}

TEST(MMTimerList, RepeatCountStopsTheEntryAndReenablingRestarts)
{
    Fixture f;
    Recorder r;
    TMMTimerObject* e = f.Add(r, 10);
    e->SetRepeatCount(3);
    for (int i = 0; i < 6; ++i) {
        f.now += 10;
        f.Pass();
    }
    EXPECT_EQ(r.ticks.size(), 3u);
    EXPECT_FALSE(e->Enabled());
    EXPECT_EQ(e->ExecCount(), 3u);
    e->SetEnabled(true, f.now);
    EXPECT_EQ(e->ExecCount(), 0u);
    f.now += 9;
    f.Pass();
    EXPECT_EQ(r.ticks.size(), 3u);   // a full interval from the switch
    for (int i = 0; i < 5; ++i) {
        f.now += 10;
        f.Pass();
    }
    EXPECT_EQ(r.ticks.size(), 6u);
}

TEST(MMTimerList, ClockWrapIsHarmless)
{
    Fixture f;
    f.now = 0xFFFFFFF0u;
    Recorder r;
    f.Add(r, 0x20);
    f.now += 0x20;   // wraps to 0x10
    f.Pass();
    EXPECT_EQ(r.ticks.size(), 1u);
}

TEST(MMTimerList, SetFPS)
{
    struct Case {
        double fps;
        uint32_t interval;
    } cases[] = {{20, 50}, {0, 65535000}, {2000, 1}, {1000, 1}, {-5, 777}, {3, 333}, {400, 2} /* 2.5 -> 2 */};
    for (const Case& c : cases) {
        Fixture f;
        Recorder r;
        TMMTimerObject* e = f.Add(r, 777);
        uint32_t last = e->LastTickCount();
        f.now += 5;
        e->SetFPS(c.fps);
        EXPECT_EQ(e->Interval(), c.interval) << c.fps;
        EXPECT_EQ(e->LastTickCount(), last) << "SetFPS leaves the tick count";
    }
}

TEST(MMTimerList, HandlerErrorsAreReportedAndThePassGoesOn)
{
    Fixture f;
    Recorder bad, good;
    bad.inside = [](TObject*) { throw std::runtime_error("boom"); };
    f.Add(bad, 10);
    f.Add(good, 10);
    f.now += 10;
    f.Pass();
    f.now += 10;
    f.Pass();
    EXPECT_EQ(f.reported, 2);
    EXPECT_EQ(bad.ticks.size(), 2u);
    EXPECT_EQ(good.ticks.size(), 2u);
}

TEST(MMTimerList, EntryDeletedByItsOwnHandlerGoesAfterThePass)
{
    Fixture f;
    Recorder self, later, added;
    TMMTimerObject* e = f.Add(self, 10);
    f.Add(later, 10);
    self.inside = [&](TObject* sender) {
        EXPECT_EQ(sender, e);
        f.list.Delete(e);
        EXPECT_FALSE(f.list.Contains(e));
        TMMTimerObject* n = f.Add(added, 5);   // added during the pass
        n->SetInterval(5, f.now);
    };
    f.now += 10;
    f.Pass();
    EXPECT_EQ(later.ticks.size(), 1u);
    EXPECT_EQ(f.list.Count(), 2);
    f.now += 10;
    f.Pass();
    EXPECT_EQ(self.ticks.size(), 1u);
    EXPECT_EQ(later.ticks.size(), 2u);
    EXPECT_EQ(added.ticks.size(), 1u);
    f.list.Delete(e);   // no longer in the list: ignored
}

TEST(MMTimerList, NestedPassLeavesTheRunningEntryAlone)
{
    // A handler that pumps messages can run the synchronised pass again on the same thread.
    Fixture f;
    Recorder outer, other;
    f.Add(outer, 10);
    f.Add(other, 10);
    outer.inside = [&](TObject*) { f.Pass(); };
    f.now += 10;
    f.Pass();
    EXPECT_EQ(outer.ticks.size(), 1u);
    EXPECT_EQ(other.ticks.size(), 1u);
}

TEST(MMTimerList, ClearDuringAPassDefersTheFrees)
{
    Fixture f;
    Recorder a, b;
    f.Add(a, 10);
    f.Add(b, 10);
    a.inside = [&](TObject*) { f.list.Clear(); };
    f.now += 10;
    f.Pass();
    EXPECT_TRUE(b.ticks.empty());
    EXPECT_EQ(f.list.Count(), 0);
}
