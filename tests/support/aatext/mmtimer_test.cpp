#include <gtest/gtest.h>


#include <atomic>
#include <memory>
#include <vector>

#include "support/aatext/mmtimer.h"
#include "tests/common/test_support.h"
#include "vcl/application.h"
#include "vcl/threads.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

struct Ticks : TObject {
    std::atomic<int> count{0};
    std::atomic<bool> onMain{true};
    std::atomic<bool> offMain{true};
    std::vector<DWORD> at;
    std::function<void()> inside;
    void OnTick(TObject* sender)
    {
        ++count;
        onMain = onMain && IsMainThread();
        offMain = offMain && !IsMainThread();
        // The pass's own clock reading, which the interval is measured against.
        if (IsMainThread()) at.push_back(static_cast<TMMTimerObject*>(sender)->LastTickCount());
        if (inside) inside();
    }
};

struct Errors : TObject {
    int count = 0;
    void OnException(TObject*, const Exception&) { ++count; }
};

}  // namespace

TEST(MMTimer, SynchronisedTicksRunOnTheMainThreadNoSoonerThanTheInterval)
{
    Ticks t;
    TMMTimer timer(nullptr);
    ASSERT_NE(TimerMgr(), nullptr);
    ASSERT_TRUE(IsWindow(TimerMgr()->Hwnd()));
    EXPECT_NE(TimerMgr()->TimerID(), 0u) << "the system's multimedia timer runs";
    EXPECT_TRUE(timer.Enabled());
    EXPECT_TRUE(timer.SyncEvent());
    EXPECT_EQ(timer.Interval(), 1000u);
    timer.SetInterval(60);
    timer.SetOnTimer(Bind<&Ticks::OnTick>(&t));
    ASSERT_TRUE(PumpUntil([&] { return t.count >= 4; }));
    EXPECT_TRUE(t.onMain);
    for (size_t i = 1; i < t.at.size(); ++i) EXPECT_GE(t.at[i] - t.at[i - 1], 60u);
    EXPECT_GT(timer.ActualFPS(), 0.0);
    EXPECT_LE(timer.ActualFPS(), 1000.0 / 60 + 1e-9);
    EXPECT_NEAR(timer.FPS(), 1000.0 / 60, 1e-9);
}

TEST(MMTimer, UnsynchronisedTicksRunOnTheTimerThread)
{
    Ticks t;
    TMMTimer timer(nullptr);
    timer.SetSyncEvent(false);
    timer.SetInterval(5);
    timer.SetOnTimer(Bind<&Ticks::OnTick>(&t));
    ASSERT_TRUE(PumpUntil([&] { return t.count >= 3; }));
    timer.SetEnabled(false);
    EXPECT_TRUE(t.offMain);
}

TEST(MMTimer, RepeatCountAndProperties)
{
    Ticks t;
    TMMTimer timer(nullptr);
    timer.SetInterval(10);
    timer.SetRepeatCount(3);
    timer.SetOnTimer(Bind<&Ticks::OnTick>(&t));
    ASSERT_TRUE(PumpUntil([&] { return !timer.Enabled(); }));
    PumpFor(50);
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(timer.ExecCount(), 3u);
    timer.SetFPS(20);
    EXPECT_EQ(timer.Interval(), 50u);
    String name, author, email, comment;
    timer.GetComponentInfo(name, author, email, comment);
    EXPECT_EQ(name, L"Thread Timer Component");
    EXPECT_EQ(comment, L"Thread Timer Component");
}

TEST(MMTimer, StalledMainThreadHoldsAtMostOneMessage)
{
    Ticks t;
    TMMTimer timer(nullptr);
    timer.SetInterval(1);
    timer.SetOnTimer(Bind<&Ticks::OnTick>(&t));
    PumpFor(20);
    Sleep(300);   // the main thread does not read its queue meanwhile
    int queued = 0;
    MSG msg;
    while (PeekMessageW(&msg, TimerMgr()->Hwnd(), WM_CNTIMER, WM_CNTIMER, PM_REMOVE)) {
        ++queued;
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(queued, 1);
    int before = t.count;
    ASSERT_TRUE(PumpUntil([&] { return t.count > before + 3; }));
}

TEST(MMTimer, NoMessagesWithoutADueSynchronisedEntry)
{
    TMMTimer timer(nullptr);
    timer.SetEnabled(false);
    PumpFor(20);
    Sleep(100);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, TimerMgr()->Hwnd(), WM_CNTIMER, WM_CNTIMER, PM_NOREMOVE));
}

TEST(MMTimer, HandlerMayFreeItsOwnTimerAndErrorsAreReported)
{
    Errors errors;
    Application->OnException = Bind<&Errors::OnException>(&errors);
    Ticks self, other, bad;
    auto* doomed = new TMMTimer(nullptr);
    TMMTimer keeper(nullptr), thrower(nullptr);
    for (TMMTimer* t : {doomed, &keeper, &thrower}) t->SetInterval(10);
    self.inside = [&] { delete doomed; doomed = nullptr; };
    bad.inside = [] { throw Exception(L"handler failed"); };
    doomed->SetOnTimer(Bind<&Ticks::OnTick>(&self));
    keeper.SetOnTimer(Bind<&Ticks::OnTick>(&other));
    thrower.SetOnTimer(Bind<&Ticks::OnTick>(&bad));
    int entries = TimerMgr()->List().Count();
    ASSERT_TRUE(PumpUntil([&] { return other.count >= 3 && bad.count >= 3; }));
    Application->OnException = nullptr;
    EXPECT_EQ(self.count, 1);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(TimerMgr()->List().Count(), entries - 1);
    EXPECT_GE(errors.count, 3);
}
