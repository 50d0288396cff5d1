// The device-file calls of the HID layer, as a table: the system's kernel calls by default,
// replaceable as a whole (the device simulator installs its own so that the real device and
// read-thread code runs against simulated hardware).
#pragma once

#include "vcl/win.h"

struct THidFileIo {
    // CreateFileW with OPEN_EXISTING, no security attributes and no template.
    HANDLE(WINAPI* Create)(const wchar_t* path, DWORD access, DWORD share, DWORD flags);
    BOOL(WINAPI* ReadEx)(HANDLE file, void* buffer, DWORD size, OVERLAPPED* ovl,
                         LPOVERLAPPED_COMPLETION_ROUTINE done);
    BOOL(WINAPI* WriteEx)(HANDLE file, const void* buffer, DWORD size, OVERLAPPED* ovl,
                          LPOVERLAPPED_COMPLETION_ROUTINE done);
    // Synchronous write, no overlapped record.
    BOOL(WINAPI* Write)(HANDLE file, const void* buffer, DWORD size, DWORD* written);
    // Cancels the I/O the calling thread started on file; FALSE when the system has no such call.
    BOOL(WINAPI* Cancel)(HANDLE file);
    BOOL(WINAPI* Close)(HANDLE file);
    BOOL(WINAPI* OverlappedResult)(HANDLE file, OVERLAPPED* ovl, DWORD* transferred, BOOL wait);
};

// The table in use.
const THidFileIo& HidFileIo();
// Installs a table (nullptr: the system's). Install before any device is opened.
void SetHidFileIo(const THidFileIo* io);
// The system's table.
const THidFileIo& SystemHidFileIo();
