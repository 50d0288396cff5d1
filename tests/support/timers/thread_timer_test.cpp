#include <gtest/gtest.h>

#include <vector>

#include "support/timers/thread_timer.h"
#include "tests/common/test_support.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

struct Counter : TObject {
    int ticks = 0;
    bool onMain = true;
    std::vector<DWORD> at;
    Method<void(TThreadTimer*)> inside;
    void OnTick(TObject* sender)
    {
        ++ticks;
        at.push_back(GetTickCount());
        onMain = onMain && IsMainThread();
        if (inside) inside(static_cast<TThreadTimer*>(sender));
    }
};

}  // namespace

TEST(ThreadTimer, TicksOnTheMainThread)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetName(L"DevMon");
    t.SetInterval(20);
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 5; }));
    EXPECT_TRUE(c.onMain);
    t.SetEnabled(false);
    EXPECT_EQ(t.Thread(), nullptr);
    int after = c.ticks;
    PumpFor(100);
    EXPECT_EQ(c.ticks, after);
}

TEST(ThreadTimer, IntervalZeroNeverTicks)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetInterval(0);
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    EXPECT_EQ(t.Thread(), nullptr);
    PumpFor(60);
    EXPECT_EQ(c.ticks, 0);
}

TEST(ThreadTimer, StopsItselfFromItsOwnHandler)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetInterval(10);
    c.inside = Method<void(TThreadTimer*)>::FromCallable([](TThreadTimer* timer) { timer->SetEnabled(false); });
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 1; }));
    PumpFor(80);
    EXPECT_EQ(c.ticks, 1);
    EXPECT_EQ(t.Thread(), nullptr);
    // and it can be switched on again
    c.inside = nullptr;
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 3; }));
}

TEST(ThreadTimer, KeepAliveReusesItsThread)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetKeepAlive(true);
    t.SetInterval(15);
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 2; }));
    const TTimerThread* first = t.Thread();
    t.SetEnabled(false);
    PumpFor(50);
    int held = c.ticks;
    PumpFor(80);
    EXPECT_EQ(c.ticks, held);   // a switched-off keep-alive timer does not tick
    t.SetEnabled(true);
    EXPECT_EQ(t.Thread(), first);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= held + 2; }));
}

TEST(ThreadTimer, SlowHandlerDoesNotStretchThePeriod)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetInterval(100);
    c.inside = Method<void(TThreadTimer*)>::FromCallable([](TThreadTimer*) { Sleep(40); });
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 6; }, 5000));
    t.SetEnabled(false);
    // Starts are about 100 ms apart (not 140): the handler's time is taken off the wait.
    DWORD span = c.at[5] - c.at[1];
    EXPECT_LT(span, 4u * 130u);
}

TEST(ThreadTimer, StreamedEnabledWaitsForLoaded)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.BeginLoading();
    t.SetInterval(10);
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    EXPECT_EQ(t.Thread(), nullptr);
    t.EndLoading();
    EXPECT_NE(t.Thread(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 1; }));
}

TEST(ThreadTimer, MadeInCodeWhileItsOwnerLoadsKeepsItsState)
{
    // A form builds its timers between BeginLoading and EndLoading: they are not streamed,
    // so the owner's EndLoading must not switch them off again.
    Counter c;
    TComponent owner(nullptr);
    owner.BeginLoading();
    auto* t = new TThreadTimer(&owner);
    t->SetInterval(10);
    t->SetOnTimer(Bind<&Counter::OnTick>(&c));
    t->SetEnabled(true);
    owner.EndLoading();
    EXPECT_TRUE(t->Enabled());
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 2; }));
    t->SetEnabled(false);
}

TEST(ThreadTimer, HandlerExceptionDoesNotStopTicking)
{
    Counter c;
    TThreadTimer t(nullptr);
    t.SetInterval(10);
    c.inside = Method<void(TThreadTimer*)>::FromCallable([](TThreadTimer*) { throw EConvertError(L"boom"); });
    t.SetOnTimer(Bind<&Counter::OnTick>(&c));
    t.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return c.ticks >= 3; }));
}

TEST(ThreadTimer, DestroyingWhileATickIsQueuedIsSafe)
{
    for (int i = 0; i < 20; ++i) {
        Counter c;
        auto* t = new TThreadTimer(nullptr);
        t->SetInterval(1);
        t->SetOnTimer(Bind<&Counter::OnTick>(&c));
        t->SetEnabled(true);
        Sleep(5);   // let the thread queue a tick without the main thread serving it
        delete t;
        PumpFor(5);
    }
    SUCCEED();
}
