// The queued file log: order, completeness under load, draining at close, file errors.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/log/thread_file_log.h"
#include "tests/common/test_support.h"
#include "vcl/strings.h"

namespace {

std::vector<String> ReadLines(const String& fileName)
{
    TStringList lines;
    lines.LoadFromFile(fileName);
    return lines.ToVector();
}

// A path in the test's folder with no file there yet (folders of earlier runs may remain).
String FreshFile(const String& dir, const String& name)
{
    const String path = dir + name;
    DeleteFileW(path.c_str());
    return path;
}

bool IsStamped(const String& line)
{
    // "[hh:nn:ss] "
    if (line.size() < 11 || line[0] != L'[' || line[3] != L':' || line[6] != L':' || line[9] != L']' || line[10] != L' ')
        return false;
    for (int i : {1, 2, 4, 5, 7, 8})
        if (line[i] < L'0' || line[i] > L'9') return false;
    return true;
}

TEST(ThreadFileLog, ManyThreadsLoseNothingAndKeepTheirOrder)
{
    const String file = FreshFile(testing_support::MakeTempDir(L"filelog_load"), L"load.log");
    constexpr int Threads = 4;
    constexpr int LinesPerThread = 1500;
    {
        TThreadFileLog log;
        std::vector<std::thread> writers;
        for (int t = 0; t < Threads; ++t)
            writers.emplace_back([&log, &file, t] {
                for (int i = 0; i < LinesPerThread; ++i) log.Log(file, Format(L"T%d %d", {t, i}));
            });
        for (auto& w : writers) w.join();
        // Destroyed at once: most lines are still queued here.
    }
    const auto lines = ReadLines(file);
    ASSERT_EQ(lines.size(), static_cast<size_t>(Threads * LinesPerThread));
    std::vector<int> next(Threads, 0);
    for (const String& line : lines) {
        ASSERT_TRUE(IsStamped(line)) << ToUtf8(line);
        int t = -1, i = -1;
        ASSERT_EQ(swscanf(line.c_str() + 11, L"T%d %d", &t, &i), 2) << ToUtf8(line);
        ASSERT_TRUE(t >= 0 && t < Threads);
        ASSERT_EQ(i, next[t]) << "thread " << t << " out of order or duplicated";
        ++next[t];
    }
    for (int t = 0; t < Threads; ++t) EXPECT_EQ(next[t], LinesPerThread);
}

TEST(ThreadFileLog, CreatesAppendsAndSurvivesAnUnwritableFile)
{
    const String dir = testing_support::MakeTempDir(L"filelog_files");
    const String existing = FreshFile(dir, L"existing.log");
    const String created = FreshFile(dir, L"created.log");
    const String locked = FreshFile(dir, L"locked.log");
    AppendLineToFile(existing, L"old line");
    AppendLineToFile(locked, L"kept");
    // Another program holds the file without sharing it: every write to it fails.
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_THROW(AppendLineToFile(locked, L"refused"), EOSError);
    {
        TThreadFileLog log;
        log.Log(existing, L"one");
        log.Log(locked, L"lost");
        log.Log(created, L"two");
        log.Log(existing, L"three");
        log.Log(dir + L"no such folder\\x.log", L"lost too");
        log.Log(created, L"four");
    }
    CloseHandle(holder);
    const auto strip = [](std::vector<String> lines) {
        for (String& l : lines)
            if (IsStamped(l)) l = l.substr(11);
        return lines;
    };
    EXPECT_EQ(strip(ReadLines(existing)), (std::vector<String>{L"old line", L"one", L"three"}));
    EXPECT_EQ(strip(ReadLines(created)), (std::vector<String>{L"two", L"four"}));
    EXPECT_EQ(ReadLines(locked), (std::vector<String>{L"kept"}));
}

// A pool whose handler is slow, so that items are still queued when it is destroyed.
struct SlowConsumer {
    void Handle(void* item, TSimpleThread*)
    {
        Sleep(1);
        const int value = static_cast<int>(reinterpret_cast<intptr_t>(item));
        if (value == 13) throw Exception(L"bad item");   // swallowed; the next one goes on
        Seen.push_back(value);
        Count++;
    }
    std::vector<int> Seen;   // one worker: no lock needed
    std::atomic<int> Count{0};
};

TEST(ThreadPool, DestroyDrainsTheQueueFirst)
{
    SlowConsumer consumer;
    int handledWhenClosing = 0;
    {
        TThreadPool pool(1, Bind<&SlowConsumer::Handle>(&consumer));
        for (int i = 1; i <= 200; ++i) pool.Add(reinterpret_cast<void*>(static_cast<intptr_t>(i)));
        handledWhenClosing = consumer.Count;
    }
    EXPECT_LT(handledWhenClosing, 199);
    ASSERT_EQ(consumer.Seen.size(), 199u);
    for (size_t k = 0; k < consumer.Seen.size(); ++k)
        EXPECT_EQ(consumer.Seen[k], static_cast<int>(k < 12 ? k + 1 : k + 2));
}

TEST(ThreadPool, IdleWorkersEndAtOnce)
{
    SlowConsumer consumer;
    const DWORD start = GetTickCount();
    {
        TThreadPool pool(4, Bind<&SlowConsumer::Handle>(&consumer));
        EXPECT_EQ(pool.ThreadCount(), 4);
        testing_support::PumpFor(50);   // every worker is blocked on the empty queue
    }
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(consumer.Count, 0);
}

TEST(ThreadQueue, FinalizeLetsQueuedItemsOutThenStopsEveryReader)
{
    TThreadQueue queue;
    int a = 1, b = 2;
    queue.Push(&a);
    queue.Push(&b);
    queue.Finalize();
    try {
        queue.Push(&a);
        FAIL() << "push after finalize";
    } catch (const EThreadStackFinalized& e) {
        EXPECT_EQ(e.Message(), L"Stack is finalized");
    }
    void* item = nullptr;
    ASSERT_TRUE(queue.Pop(item));
    EXPECT_EQ(item, &a);
    ASSERT_TRUE(queue.Pop(item));
    EXPECT_EQ(item, &b);
    EXPECT_FALSE(queue.Pop(item));
    EXPECT_EQ(item, nullptr);
    EXPECT_FALSE(queue.Pop(item));   // the marker is passed on to the next reader
    EXPECT_FALSE(queue.TryPop(item));
}

}  // namespace
