// Included by the tests that run under the 144-PPI prefix: the process becomes PPI-aware before
// any window is made, as a program that scales itself must be, so the system tells it the real
// PPI.
#pragma once

#include <windows.h>

namespace testing_support {

[[maybe_unused]] inline const bool PpiAware = [] {
    using TSetContext = BOOL(WINAPI*)(HANDLE);
    auto set = reinterpret_cast<TSetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    return set && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}();

}  // namespace testing_support
