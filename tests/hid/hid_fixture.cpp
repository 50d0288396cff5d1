#include "tests/hid/hid_fixture.h"

#include <tlhelp32.h>

namespace hidtest {

int ProcessThreadCount()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof(te);
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

DWORD ProcessHandleCount()
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

}  // namespace hidtest
