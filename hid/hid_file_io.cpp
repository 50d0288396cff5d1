#include "hid/hid_file_io.h"

namespace {

HANDLE WINAPI SysCreate(const wchar_t* path, DWORD access, DWORD share, DWORD flags)
{
    return CreateFileW(path, access, share, nullptr, OPEN_EXISTING, flags, nullptr);
}

BOOL WINAPI SysReadEx(HANDLE file, void* buffer, DWORD size, OVERLAPPED* ovl, LPOVERLAPPED_COMPLETION_ROUTINE done)
{
    return ReadFileEx(file, buffer, size, ovl, done);
}

BOOL WINAPI SysWriteEx(HANDLE file, const void* buffer, DWORD size, OVERLAPPED* ovl,
                       LPOVERLAPPED_COMPLETION_ROUTINE done)
{
    return WriteFileEx(file, buffer, size, ovl, done);
}

BOOL WINAPI SysWrite(HANDLE file, const void* buffer, DWORD size, DWORD* written)
{
    return WriteFile(file, buffer, size, written, nullptr);
}

// Looked up when called, as older systems may lack it.
BOOL WINAPI SysCancel(HANDLE file)
{
    using PCancelIo = BOOL(WINAPI*)(HANDLE);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto fn = kernel ? reinterpret_cast<PCancelIo>(reinterpret_cast<void*>(GetProcAddress(kernel, "CancelIo")))
                     : nullptr;
    return fn ? fn(file) : FALSE;
}

BOOL WINAPI SysClose(HANDLE file)
{
    return CloseHandle(file);
}

BOOL WINAPI SysOverlappedResult(HANDLE file, OVERLAPPED* ovl, DWORD* transferred, BOOL wait)
{
    return GetOverlappedResult(file, ovl, transferred, wait);
}

const THidFileIo kSystemIo = {SysCreate, SysReadEx, SysWriteEx, SysWrite, SysCancel, SysClose, SysOverlappedResult};
const THidFileIo* gIo = &kSystemIo;

}  // namespace

const THidFileIo& HidFileIo()
{
    return *gIo;
}

void SetHidFileIo(const THidFileIo* io)
{
    gIo = io ? io : &kSystemIo;
}

const THidFileIo& SystemHidFileIo()
{
    return kSystemIo;
}
