// Main of every Windows test executable: one Application for the process, exception dialogs
// off (a test must never wait for a click), then GoogleTest.
#include <gtest/gtest.h>

#include <cstdio>

#include "vcl/application.h"
#include "vcl/win.h"

namespace {

// A crash that nothing handles ends the run with a failing exit code. Left to itself, Wine
// starts its debugger, prints a backtrace and the process then exits with 0, so a test that
// crashed half-way would read as passed.
LONG WINAPI FailOnUnhandledException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
    std::fprintf(stderr, "test main: unhandled exception 0x%08lX at %p\n",
                 record ? static_cast<unsigned long>(record->ExceptionCode) : 0ul,
                 record ? record->ExceptionAddress : nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(FailOnUnhandledException);
    testing::InitGoogleTest(&argc, argv);
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    int rc = RUN_ALL_TESTS();
    delete app;
    return rc;
}
