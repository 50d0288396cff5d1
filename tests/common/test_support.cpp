#include "tests/common/test_support.h"

#include "vcl/win.h"

#include "vcl/application.h"
#include "vcl/streams.h"
#include "vcl/threads.h"

namespace testing_support {

void PumpFor(unsigned ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    Application->ProcessMessages();
}

bool PumpUntil(const std::function<bool()>& pred, unsigned timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Application->ProcessMessages();
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

String ArtifactsDir()
{
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"QW_ARTIFACTS", buf, MAX_PATH);
    String dir;
    if (n > 0 && n < MAX_PATH) {
        // A Unix path from CTest: Wine maps it through the Z: drive.
        dir = String(buf, n);
        if (!dir.empty() && dir[0] == L'/') dir = L"Z:" + dir;
    } else {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir = String(tmp) + L"qw-artifacts";
    }
    ForceDirectories(dir);
    return IncludeTrailingPathDelimiter(dir);
}

String MakeTempDir(const String& name)
{
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    String dir = String(tmp) + L"qw-test-" + name + L"-" + IntToStr(GetCurrentProcessId());
    ForceDirectories(dir);
    return IncludeTrailingPathDelimiter(dir);
}

}  // namespace testing_support
