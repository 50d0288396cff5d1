// The read thread of a checked-out device: reads one input report at a time through the
// device's overlapped read handle, waiting alertably, and hands each report to the device's
// OnData handler on the main thread (a blocking synchronised call, so reports arrive in order
// and the next read starts only when the main thread has taken the last one). Reads that
// cannot be started go to OnDataError the same way.
#pragma once

#include <cstdint>
#include <atomic>
#include <memory>

#include "hid/hid_device.h"
#include "support/system/named_thread.h"

class THidDeviceReadThread : public TNamedThread {
    friend class THidDevice;

public:
    // Read threads come only from their device: raises EControllerError.
    explicit THidDeviceReadThread(bool CreateSuspended);
    ~THidDeviceReadThread() override;

    // Started at once; ended only by the device's StopReadThread.
    static THidDeviceReadThread* CreateInternal(THidDevice* Dev);

protected:
    void Execute() override;

private:
    struct TInternal {};
    THidDeviceReadThread(TInternal, THidDevice* Dev);
    void DeliverData();
    void DeliverError();
    // Waits until a read that was started has completed (after a cancel or a close).
    void WaitForPendingRead();

    DWORD FErr = 0;
    std::atomic<bool> FBufferInUse{false};   // a cancelled read never reported its end
    THidDevice* Device = nullptr;
    DWORD NumBytesRead = 0;
    // The receive buffer. A pending read writes into it, so it is released only when no read
    // is outstanding; one whose cancelled read never completes is left allocated.
    uint8_t* Report = nullptr;
    DWORD FReportLength = 0;
};
