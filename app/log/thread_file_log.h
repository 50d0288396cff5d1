// The queued file log: lines are handed to one worker thread that appends them, so the
// window never waits for the disk. The queue is an I/O completion port.
#pragma once

#include "vcl/win.h"

#include <atomic>
#include <vector>

#include "app/log/log_format.h"
#include "vcl/methods.h"
#include "vcl/threads.h"

QW_DECLARE_EXCEPTION(EThreadStackFinalized, Exception);

// FIFO of untyped items over a completion port, with a stop marker that wakes every waiting
// thread. Items pushed before Finalize still come out before the marker.
class TThreadQueue {
public:
    TThreadQueue();   // EOSError when the port cannot be made
    ~TThreadQueue();
    TThreadQueue(const TThreadQueue&) = delete;
    TThreadQueue& operator=(const TThreadQueue&) = delete;

    // EThreadStackFinalized ("Stack is finalized") once the queue was finalized.
    void Push(void* item);
    // Waits for the next item; false (item nullptr) at the stop marker, which is posted again
    // for the next waiting thread.
    bool Pop(void*& item);
    // The next item if one is waiting now (markers skipped); for draining.
    bool TryPop(void*& item);
    // Posts the stop marker; later pushes raise.
    void Finalize();
    bool Finalized() const { return FFinalized.load(); }

private:
    HANDLE FIOQueue = nullptr;
    std::atomic<bool> FFinalized{false};
    TCriticalSection FLock;   // a push never lands behind the marker
};

class TSimpleThread;
using TThreadExecuteEvent = Method<void(TSimpleThread* thread)>;

// A thread that runs one event.
class TSimpleThread : public TThread {
public:
    TSimpleThread(bool createSuspended, bool freeOnTerminate, TThreadExecuteEvent executeEvent);
    ~TSimpleThread() override;

protected:
    void Execute() override;

private:
    TThreadExecuteEvent FExecuteEvent;
};

using TThreadPoolEvent = Method<void(void* item, TSimpleThread* worker)>;

// Worker threads serving one queue. The handler owns each item it is given; exceptions it
// raises are swallowed (one bad item must not stop the workers).
class TThreadPool {
public:
    TThreadPool(int maxThreads, TThreadPoolEvent handler);
    // Lets the workers finish every item queued so far, then ends them. Items a worker could
    // not take (it died) are handed to the handler here, so none is lost or leaked.
    ~TThreadPool();
    TThreadPool(const TThreadPool&) = delete;
    TThreadPool& operator=(const TThreadPool&) = delete;

    void Add(void* item);
    int ThreadCount() const { return static_cast<int>(FThreads.size()); }

private:
    void WorkerLoop(TSimpleThread* worker);
    void HandleSafely(void* item, TSimpleThread* worker);

    std::vector<TSimpleThread*> FThreads;
    TThreadQueue* FThreadQueue = nullptr;
    TThreadPoolEvent FHandlePoolEvent;
};

// One queued line.
struct TLogRequest {
    String LogText;    // stamped
    String FileName;
};

// Appends text and CR LF to the file (created when missing), in the ANSI code page, and
// closes it again so other programs can read it meanwhile. EOSError on failure.
void AppendLineToFile(const String& fileName, const String& text);

class TThreadFileLog : public TFileLogQueue {
public:
    TThreadFileLog();
    // Writes the lines still queued, then ends the worker.
    ~TThreadFileLog() override;
    TThreadFileLog(const TThreadFileLog&) = delete;
    TThreadFileLog& operator=(const TThreadFileLog&) = delete;

    // Stamps logText now and queues it for fileName; returns at once.
    void Log(const String& fileName, const String& logText) override;

private:
    void HandleRequest(void* item, TSimpleThread* worker);

    TThreadPool* FThreadPool = nullptr;
};
