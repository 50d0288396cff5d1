#include "hid/hid_read_thread.h"

#include <cstring>

#include "vcl/application_hooks.h"

namespace {

// Completion routines run on the thread that started the read, inside its alertable waits.
thread_local bool tReadPending = false;

void CALLBACK ReadCompleted(DWORD, DWORD, LPOVERLAPPED)
{
    tReadPending = false;
}

// How long a cancelled or closed read may take to report its end.
constexpr DWORD kCancelWaitMs = 5000;

// Inside a library loaded by another program there may be no main thread that pumps our
// synchronised calls: the handlers are then called on the read thread itself.
bool RunningInLibrary()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ReadCompleted), &self);
    return self != nullptr && self != GetModuleHandleW(nullptr);
}

}  // namespace

THidDeviceReadThread::THidDeviceReadThread(bool)
{
    throw EControllerError(L"Direct creation of a TDeviceReadThread object is not allowed");
}

THidDeviceReadThread::THidDeviceReadThread(TInternal, THidDevice* Dev) : Device(Dev)
{
    // Read here, on the main thread: the thread itself never asks the HID library.
    FReportLength = Dev->Caps().InputReportByteLength;
    Report = new uint8_t[FReportLength + 1]();
}

THidDeviceReadThread* THidDeviceReadThread::CreateInternal(THidDevice* Dev)
{
    auto* thread = new THidDeviceReadThread(TInternal{}, Dev);
    thread->Start();
    return thread;
}

THidDeviceReadThread::~THidDeviceReadThread()
{
    // The buffer must outlive the thread and any read it started.
    if (Started() && !Finished()) {
        Terminate();
        WaitFor();
    }
    if (!FBufferInUse) delete[] Report;
}

void THidDeviceReadThread::Execute()
{
    NameThread(ThreadName());
    const bool direct = RunningInLibrary();
    auto onMain = [&](void (THidDeviceReadThread::*step)()) {
        if (direct)
            (this->*step)();
        else
            Synchronize([this, step] { (this->*step)(); });
    };
    tReadPending = false;
    try {
        while (!Terminated()) {
            std::memset(Report, 0, FReportLength);
            tReadPending = true;
            if (!Device->ReadFileEx(Report, FReportLength, ReadCompleted)) {
                tReadPending = false;
                FErr = GetLastError();
                onMain(&THidDeviceReadThread::DeliverError);
                SleepEx(static_cast<DWORD>(Device->ThreadSleepTime()), TRUE);
                continue;
            }
            // Slices of ThreadSleepTime, so a termination request is seen while no report comes.
            while (tReadPending && !Terminated()) SleepEx(static_cast<DWORD>(Device->ThreadSleepTime()), TRUE);
            if (tReadPending) break;
            NumBytesRead = Device->HidOverlappedReadResult();
            if (NumBytesRead > 0) onMain(&THidDeviceReadThread::DeliverData);
            int delay = Device->PollingDelayTime();
            if (delay > 0) SleepEx(static_cast<DWORD>(delay), TRUE);
        }
    } catch (...) {
        WaitForPendingRead();
        throw;
    }
    WaitForPendingRead();
}

void THidDeviceReadThread::WaitForPendingRead()
{
    if (!tReadPending) return;
    Device->CancelIO(THidOpenExMode::omhRead);
    DWORD start = GetTickCount();
    while (tReadPending && GetTickCount() - start < kCancelWaitMs) SleepEx(10, TRUE);
    // A read that never ends may still write into the buffer: keep it.
    FBufferInUse = tReadPending;
}

// Both steps run on the main thread and read the handler at that moment, so a handler cleared
// meanwhile (check-in, destruction of the controller) is never called. A handler that raises is
// reported like any other event handler, and the thread goes on reading.
void THidDeviceReadThread::DeliverData()
{
    try {
        THidDataEvent handler = Device->OnData();   // a copy: the handler may replace itself
        if (handler) handler(Device, Report[0], Report + 1, static_cast<uint16_t>(NumBytesRead - 1));
    } catch (...) {
        HandleExceptionFromCallback(L"HID data handler");
    }
}

void THidDeviceReadThread::DeliverError()
{
    try {
        THidDataErrorEvent handler = Device->OnDataError;
        if (handler) handler(Device, FErr);
    } catch (...) {
        HandleExceptionFromCallback(L"HID data error handler");
    }
}
