// Threads and synchronised calls under a real message loop.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "tests/common/test_support.h"
#include "vcl/application.h"
#include "vcl/inifiles.h"
#include "vcl/threads.h"

using testing_support::PumpUntil;

namespace {

class Worker : public TThread {
public:
    Worker(int id, int calls, std::vector<std::pair<int, int>>& log, std::atomic<int>& done)
        : FId(id), FCalls(calls), FLog(log), FDone(done)
    {
        Start();
    }
    ~Worker() override
    {
        Terminate();
        if (!Finished()) WaitFor();
    }

protected:
    void Execute() override
    {
        for (int i = 0; i < FCalls; ++i) {
            bool onMain = false;
            Synchronize([&] {
                onMain = IsMainThread();
                FLog.emplace_back(FId, i);
            });
            if (!onMain) return;
        }
        ++FDone;
    }

private:
    int FId, FCalls;
    std::vector<std::pair<int, int>>& FLog;
    std::atomic<int>& FDone;
};

}  // namespace

TEST(Synchronize, ManyThreadsWhileMainPumps)
{
    std::vector<std::pair<int, int>> log;   // touched only on the main thread
    std::atomic<int> done{0};
    std::vector<std::unique_ptr<Worker>> workers;
    for (int id = 0; id < 6; ++id) workers.push_back(std::make_unique<Worker>(id, 300, log, done));
    ASSERT_TRUE(PumpUntil([&] { return done == 6; }, 20000));
    ASSERT_EQ(log.size(), 6u * 300u);
    // Each thread's calls ran in its own order.
    std::vector<int> next(6, 0);
    for (auto [id, i] : log) EXPECT_EQ(i, next[id]++);
}

TEST(Synchronize, WaitForOnMainThreadServesPendingCalls)
{
    // A thread blocked in Synchronize must not deadlock a main thread that waits for it.
    std::vector<std::pair<int, int>> log;
    std::atomic<int> done{0};
    auto w = std::make_unique<Worker>(1, 50, log, done);
    w->WaitFor();
    EXPECT_EQ(done, 1);
    EXPECT_EQ(log.size(), 50u);
}

TEST(Synchronize, ExceptionTravelsBackToTheThread)
{
    struct Thrower : TThread {
        String caught;
        Thrower() { Start(); }
        ~Thrower() override { if (!Finished()) WaitFor(); }
        void Execute() override
        {
            try {
                Synchronize([] { throw EConvertError(L"bad value"); });
            } catch (const Exception& e) {
                caught = e.Message();
            }
        }
    } t;
    t.WaitFor();
    EXPECT_EQ(t.caught, L"bad value");
}

TEST(Threads, NeverStartedThreadIsDestroyedCleanly)
{
    struct Idle : TThread {
        bool ran = false;
        void Execute() override { ran = true; }
    };
    auto* t = new Idle;
    delete t;   // must not run Execute on a half-destroyed object, nor hang
    SUCCEED();
}

TEST(Threads, FreeOnTerminateAndOnTerminateOnMainThread)
{
    static std::atomic<bool> destroyed{false};
    struct Self : TThread {
        Self() { SetFreeOnTerminate(true); }
        ~Self() override { destroyed = true; }
        void Execute() override {}
    };
    bool terminatedOnMain = false;
    auto* t = new Self;
    t->OnTerminate = TNotifyEvent::FromCallable([&](TObject*) { terminatedOnMain = IsMainThread(); });
    t->Start();
    ASSERT_TRUE(PumpUntil([] { return destroyed.load(); }));
    EXPECT_TRUE(terminatedOnMain);
}

TEST(IniFile, TypedValuesRoundTripThroughAFreshInstance)
{
    String dir = testing_support::MakeTempDir(L"ini");
    String file = dir + L"round.ini";
    RemoveFile(file);
    {
        TMemIniFile ini(file, TTextEncoding::UTF8);
        ini.WriteBool(L"Debug", L"LogToFile", true);
        ini.WriteInteger(L"Profiles", L"ActiveProfile", 3);
        ini.WriteString(L"Themes", L"Active", L"Dark \u00e9");
        ini.WriteFloat(L"X", L"F", 1.25);
        ini.WriteDate(L"X", L"D", EncodeDate(2026, 1, 2));
        ini.UpdateFile();
    }
    TMemIniFile again(file, TTextEncoding::UTF8);
    EXPECT_TRUE(again.ReadBool(L"Debug", L"LogToFile", false));
    EXPECT_EQ(again.ReadInteger(L"Profiles", L"ActiveProfile", 0), 3);
    EXPECT_EQ(again.ReadString(L"Themes", L"Active", L""), L"Dark \u00e9");
    EXPECT_EQ(again.ReadFloat(L"X", L"F", 0), 1.25);
    EXPECT_EQ(again.ReadDate(L"X", L"D", 0), EncodeDate(2026, 1, 2));
    EXPECT_EQ(again.ReadInteger(L"Missing", L"Key", -5), -5);
}

TEST(IniFile, BinaryJunkFileReadsWithDefaults)
{
    String file = testing_support::MakeTempDir(L"ini") + L"junk.ini";
    std::vector<uint8_t> junk;
    for (int i = 0; i < 70000; ++i) junk.push_back(static_cast<uint8_t>((i * 7919) ^ (i >> 3)));
    WriteFileBytes(file, junk);
    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger(L"Profiles", L"ActiveProfile", 0), 0);
    EXPECT_FALSE(ini.ReadBool(L"Debug", L"LogToFile", false));
}
