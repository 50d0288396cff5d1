#include "app/log/thread_file_log.h"

#include <memory>
#include <string>

namespace {

// The stop marker: an overlapped pointer no real I/O can have.
LPOVERLAPPED const StopMarker = reinterpret_cast<LPOVERLAPPED>(~static_cast<ULONG_PTR>(0));

}  // namespace

// ---- TThreadQueue -----------------------------------------------------------------------------

TThreadQueue::TThreadQueue()
{
    FIOQueue = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
    if (FIOQueue == nullptr) throw EOSError(L"Cannot create the log queue", GetLastError());
}

TThreadQueue::~TThreadQueue()
{
    CloseHandle(FIOQueue);
}

void TThreadQueue::Push(void* item)
{
    TLockGuard lock(FLock);
    if (FFinalized) throw EThreadStackFinalized(L"Stack is finalized");
    if (!PostQueuedCompletionStatus(FIOQueue, 0, reinterpret_cast<ULONG_PTR>(item), nullptr))
        throw EOSError(L"Cannot queue a log line", GetLastError());
}

bool TThreadQueue::Pop(void*& item)
{
    item = nullptr;
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED overlapped = nullptr;
    if (!GetQueuedCompletionStatus(FIOQueue, &bytes, &key, &overlapped, INFINITE) && overlapped == nullptr)
        return false;   // the port itself failed: nothing more will come
    if (overlapped == StopMarker) {
        // Wake the next worker waiting on this queue too.
        PostQueuedCompletionStatus(FIOQueue, 0, 0, StopMarker);
        return false;
    }
    item = reinterpret_cast<void*>(key);
    return true;
}

bool TThreadQueue::TryPop(void*& item)
{
    item = nullptr;
    for (;;) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED overlapped = nullptr;
        if (!GetQueuedCompletionStatus(FIOQueue, &bytes, &key, &overlapped, 0) && overlapped == nullptr) return false;
        if (overlapped == StopMarker) continue;
        item = reinterpret_cast<void*>(key);
        return true;
    }
}

void TThreadQueue::Finalize()
{
    TLockGuard lock(FLock);
    if (FFinalized) return;
    PostQueuedCompletionStatus(FIOQueue, 0, 0, StopMarker);
    FFinalized = true;
}

// ---- TSimpleThread ----------------------------------------------------------------------------

TSimpleThread::TSimpleThread(bool createSuspended, bool freeOnTerminate, TThreadExecuteEvent executeEvent)
    : FExecuteEvent(std::move(executeEvent))
{
    SetFreeOnTerminate(freeOnTerminate);
    if (!createSuspended) Start();
}

TSimpleThread::~TSimpleThread()
{
    // A self-freeing thread is deleted on its own thread: it cannot wait for itself.
    if (Started() && !Finished() && GetCurrentThreadId() != ThreadID()) WaitFor();
}

void TSimpleThread::Execute()
{
    NameThreadForDebugging(L"TSimpleThread");
    if (FExecuteEvent) FExecuteEvent(this);
}

// ---- TThreadPool ------------------------------------------------------------------------------

TThreadPool::TThreadPool(int maxThreads, TThreadPoolEvent handler) : FHandlePoolEvent(std::move(handler))
{
    FThreadQueue = new TThreadQueue();
    try {
        while (static_cast<int>(FThreads.size()) < maxThreads) {
            FThreads.reserve(FThreads.size() + 1);
            FThreads.push_back(new TSimpleThread(false, false, Bind<&TThreadPool::WorkerLoop>(this)));
        }
    } catch (...) {
        FThreadQueue->Finalize();
        for (TSimpleThread* t : FThreads) delete t;
        delete FThreadQueue;
        throw;
    }
}

TThreadPool::~TThreadPool()
{
    // The marker goes behind every queued item, so the workers drain the queue first.
    FThreadQueue->Finalize();
    while (!FThreads.empty()) {
        TSimpleThread* t = FThreads.front();
        t->WaitFor();
        delete t;
        FThreads.erase(FThreads.begin());
    }
    void* item = nullptr;
    while (FThreadQueue->TryPop(item)) HandleSafely(item, nullptr);
    delete FThreadQueue;
}

void TThreadPool::Add(void* item)
{
    FThreadQueue->Push(item);
}

void TThreadPool::WorkerLoop(TSimpleThread* worker)
{
    void* item = nullptr;
    while (FThreadQueue->Pop(item)) HandleSafely(item, worker);
}

void TThreadPool::HandleSafely(void* item, TSimpleThread* worker)
{
    try {
        FHandlePoolEvent(item, worker);
    } catch (...) {
        // A line that cannot be written is lost; the next one is tried normally.
    }
}

// ---- File writing -----------------------------------------------------------------------------

void AppendLineToFile(const String& fileName, const String& text)
{
    const String line = text + L"\r\n";
    std::string bytes;
    if (!line.empty()) {
        const int n = WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
        bytes.resize(static_cast<size_t>(n));
        WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), bytes.data(), n, nullptr, nullptr);
    }
    HANDLE file = CreateFileW(fileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw EOSError(L"Cannot open " + fileName, GetLastError());
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw EOSError(L"Cannot write " + fileName, ok ? ERROR_WRITE_FAULT : error);
}

// ---- TThreadFileLog ---------------------------------------------------------------------------

TThreadFileLog::TThreadFileLog()
{
    FThreadPool = new TThreadPool(1, Bind<&TThreadFileLog::HandleRequest>(this));
}

TThreadFileLog::~TThreadFileLog()
{
    delete FThreadPool;
}

void TThreadFileLog::Log(const String& fileName, const String& logText)
{
    auto request = std::make_unique<TLogRequest>(TLogRequest{StampLogLine(logText), fileName});
    FThreadPool->Add(request.get());
    request.release();   // the worker owns it now
}

void TThreadFileLog::HandleRequest(void* item, TSimpleThread* worker)
{
    std::unique_ptr<TLogRequest> request(static_cast<TLogRequest*>(item));
    AppendLineToFile(request->FileName, request->LogText);
}
