#include "vcl/threads.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "vcl/application_hooks.h"

// ---- Events ----------------------------------------------------------------------------------

TEvent::TEvent(bool manualReset, bool initialState, const String& name)
{
    FHandle = CreateEventW(nullptr, manualReset, initialState, name.empty() ? nullptr : name.c_str());
    if (!FHandle) {
        DWORD err = GetLastError();
        throw EOSError(Format(L"System Error. Code: %u.", {static_cast<unsigned>(err)}), err);
    }
}

TEvent::~TEvent()
{
    if (FHandle) CloseHandle(FHandle);
}

void TEvent::SetEvent()
{
    ::SetEvent(FHandle);
}

void TEvent::ResetEvent()
{
    ::ResetEvent(FHandle);
}

TWaitResult TEvent::WaitFor(DWORD timeoutMs)
{
    switch (WaitForSingleObject(FHandle, timeoutMs)) {
    case WAIT_OBJECT_0: return TWaitResult::wrSignaled;
    case WAIT_TIMEOUT: return TWaitResult::wrTimeout;
    case WAIT_ABANDONED: return TWaitResult::wrAbandoned;
    default: return TWaitResult::wrError;
    }
}

// ---- The synchronisation queue ---------------------------------------------------------------

namespace {

const DWORD gMainThreadId = GetCurrentThreadId();   // static initialisation runs on the main thread
constexpr UINT WM_QW_SYNC = WM_USER + 0x51;

struct SyncCall {
    TThread* thread = nullptr;
    TThread::TThreadMethod method;
    bool waiting = false;              // a thread waits in Synchronize for this call
    HANDLE done = nullptr;             // signalled when the call ran or was released
    std::exception_ptr error;
};

struct SyncQueue {
    std::mutex lock;
    std::deque<std::shared_ptr<SyncCall>> calls;
    HANDLE signal = CreateEventW(nullptr, FALSE, FALSE, nullptr);   // a call was queued
    HWND window = nullptr;
    bool released = false;             // the application ended: run nothing more
};

SyncQueue& SyncQueueInstance()
{
    static SyncQueue* q = new SyncQueue;   // never freed: threads may still touch it at exit
    return *q;
}

LRESULT CALLBACK SyncWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_QW_SYNC) {
        try {
            CheckSynchronize();
        } catch (...) {
            HandleExceptionFromCallback(L"synchronised call");
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The hidden window that carries synchronised calls; made on the main thread.
HWND SyncWindow()
{
    SyncQueue& q = SyncQueueInstance();
    if (!q.window && IsMainThread()) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = SyncWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TQwSyncWindow";
        RegisterClassW(&wc);
        q.window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    return q.window;
}

void PostSyncSignal()
{
    SyncQueue& q = SyncQueueInstance();
    SetEvent(q.signal);
    if (q.window) PostMessageW(q.window, WM_QW_SYNC, 0, 0);
}

thread_local TThread* tCurrentThread = nullptr;

}  // namespace

DWORD MainThreadID()
{
    return gMainThreadId;
}

bool IsMainThread()
{
    return GetCurrentThreadId() == gMainThreadId;
}

void InitSynchronizeWindow()
{
    SyncWindow();
}

bool CheckSynchronize()
{
    if (!IsMainThread()) return false;
    SyncWindow();
    bool any = false;
    for (;;) {
        std::shared_ptr<SyncCall> call;
        {
            SyncQueue& q = SyncQueueInstance();
            std::lock_guard<std::mutex> g(q.lock);
            if (q.calls.empty()) break;
            call = q.calls.front();
            q.calls.pop_front();
        }
        any = true;
        if (call->waiting) {
            try {
                call->method();
            } catch (...) {
                call->error = std::current_exception();
            }
            SetEvent(call->done);
        } else {
            try {
                call->method();
            } catch (...) {
                HandleExceptionFromCallback(L"queued call");
            }
        }
    }
    return any;
}

void ReleasePendingSynchronize()
{
    SyncQueue& q = SyncQueueInstance();
    std::lock_guard<std::mutex> g(q.lock);
    q.released = true;
    for (auto& c : q.calls)
        if (c->waiting) SetEvent(c->done);
    q.calls.clear();
}

DWORD WaitForHandleServingSync(HANDLE handle, DWORD timeoutMs)
{
    if (!IsMainThread()) return WaitForSingleObject(handle, timeoutMs);
    HANDLE handles[2] = {handle, SyncQueueInstance().signal};
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        DWORD left = timeoutMs == INFINITE ? INFINITE : (waited >= timeoutMs ? 0 : timeoutMs - waited);
        DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return WAIT_OBJECT_0;
        if (r == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        } else if (r == WAIT_OBJECT_0 + 2) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);   // delivers sent messages
        } else if (r == WAIT_TIMEOUT) {
            return WAIT_TIMEOUT;
        } else {
            return r;
        }
        // A call may have been queued between the check and the wait: look again.
        CheckSynchronize();
    }
}

// ---- TThread ---------------------------------------------------------------------------------

TThread::TThread()
{
    FHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &FThreadID);
    if (!FHandle) {
        DWORD err = GetLastError();
        throw EThread(Format(L"Thread creation error: %u", {static_cast<unsigned>(err)}));
    }
}

TThread::~TThread()
{
    if (FHandle) {
        if (GetCurrentThreadId() != FThreadID) {
            if (!FStarted) {
                // Never started: let the OS thread end without running Execute.
                FTerminated = true;
                FStarted = true;
                ResumeThread(FHandle);
                WaitForSingleObject(FHandle, INFINITE);
            } else if (!FFinished) {
                Terminate();
                if (FSuspended) Resume();
                WaitFor();
            }
        }
        CloseHandle(FHandle);
    }
    if (FSyncEvent) CloseHandle(FSyncEvent);
    RemoveQueuedEvents(this);
}

DWORD WINAPI TThread::ThreadProc(void* param)
{
    auto* self = static_cast<TThread*>(param);
    tCurrentThread = self;
    // A thread destroyed before Start() is resumed only to end, without running Execute.
    bool runExecute = self->FStartedByStart;
    if (runExecute) {
        try {
            self->Execute();
        } catch (...) {
            self->FFatalMessage = CurrentExceptionMessage();
        }
    }
    int result = self->FReturnValue;
    bool freeIt = self->FFreeOnTerminate;
    if (runExecute) {
        try {
            self->DoTerminate();
        } catch (...) {
        }
    }
    self->FFinished = true;
    if (freeIt && runExecute) delete self;
    tCurrentThread = nullptr;
    return static_cast<DWORD>(result);
}

void TThread::Start()
{
    if (FStarted) throw EThread(L"Cannot call Start on a running or suspended thread");
    FStarted = true;
    FStartedByStart = true;
    FSuspended = false;
    ResumeThread(FHandle);
}

void TThread::Terminate()
{
    FTerminated = true;
}

int TThread::WaitFor()
{
    if (GetCurrentThreadId() == FThreadID) throw EThread(L"A thread cannot wait for itself");
    WaitForHandleServingSync(FHandle, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(FHandle, &code);
    return static_cast<int>(code);
}

void TThread::Suspend()
{
    if (FSuspended) return;
    FSuspended = true;
    SuspendThread(FHandle);
}

void TThread::Resume()
{
    if (!FStarted) {
        Start();
        return;
    }
    if (!FSuspended) return;
    FSuspended = false;
    ResumeThread(FHandle);
}

void TThread::SetPriority(TThreadPriority p)
{
    static const int map[] = {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                              THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                              THREAD_PRIORITY_TIME_CRITICAL};
    FPriority = p;
    SetThreadPriority(FHandle, map[static_cast<int>(p)]);
}

void TThread::DoTerminate()
{
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Synchronize(const TThreadMethod& method)
{
    Synchronize(this, method);
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method)
{
    if (IsMainThread()) {
        method();
        return;
    }
    // A thread made by TThread keeps one wake-up event for all its calls: a thread that hands
    // a thousand reports a second to the main thread should not make and close an event each.
    TThread* self = tCurrentThread;
    HANDLE ownEvent = nullptr;
    if (self) {
        if (!self->FSyncEvent) self->FSyncEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    } else {
        ownEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    auto call = std::make_shared<SyncCall>();
    call->thread = thread;
    call->method = method;
    call->waiting = true;
    call->done = self ? self->FSyncEvent : ownEvent;
    {
        SyncQueue& q = SyncQueueInstance();
        std::lock_guard<std::mutex> g(q.lock);
        if (q.released) {
            if (ownEvent) CloseHandle(ownEvent);
            return;
        }
        q.calls.push_back(call);
    }
    PostSyncSignal();
    WaitForSingleObject(call->done, INFINITE);
    if (ownEvent) CloseHandle(ownEvent);
    if (call->error) std::rethrow_exception(call->error);
}

void TThread::Queue(TThread* thread, const TThreadMethod& method)
{
    auto call = std::make_shared<SyncCall>();
    call->thread = thread;
    call->method = method;
    {
        SyncQueue& q = SyncQueueInstance();
        std::lock_guard<std::mutex> g(q.lock);
        if (q.released) return;
        q.calls.push_back(call);
    }
    PostSyncSignal();
}

void TThread::RemoveQueuedEvents(TThread* thread)
{
    SyncQueue& q = SyncQueueInstance();
    std::lock_guard<std::mutex> g(q.lock);
    q.calls.erase(std::remove_if(q.calls.begin(), q.calls.end(),
                                 [&](const std::shared_ptr<SyncCall>& c) { return !c->waiting && c->thread == thread; }),
                  q.calls.end());
}

void TThread::NameThreadForDebugging(const String& name, DWORD threadId)
{
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static auto fn = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (!fn) return;
    if (threadId == static_cast<DWORD>(-1) || threadId == GetCurrentThreadId()) {
        fn(GetCurrentThread(), name.c_str());
        return;
    }
    HANDLE h = OpenThread(THREAD_SET_LIMITED_INFORMATION, FALSE, threadId);
    if (h) {
        fn(h, name.c_str());
        CloseHandle(h);
    }
}

TThread* TThread::CurrentThread()
{
    return tCurrentThread;
}
