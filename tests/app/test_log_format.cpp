// Message lines: the time stamp, and which message goes to the status bar, memo and file.
#include <gtest/gtest.h>

#include <vector>

#include "app/log/log_format.h"

namespace {

TEST(LogFormat, StampIsTwentyFourHourTimeInBrackets)
{
    const struct {
        int h, n, s;
        const wchar_t* msg;
        const wchar_t* expected;
    } rows[] = {
        {7, 5, 9, L"Wheel found and connected.", L"[07:05:09] Wheel found and connected."},
        {23, 59, 59, L"", L"[23:59:59] "},
        {0, 0, 0, L"a=b {x}", L"[00:00:00] a=b {x}"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatLogLine(EncodeDate(2024, 3, 1) + EncodeTime(r.h, r.n, r.s, 999), r.msg), r.expected);

    const String now = StampLogLine(L"x");
    ASSERT_EQ(now.size(), 12u);
    EXPECT_EQ(now.substr(0, 1), L"[");
    EXPECT_EQ(now.substr(9), L"] x");
}

struct Recorder : TLogSink, TFileLogQueue {
    void ShowStatusText(const String& line) override { Status.push_back(line); }
    void AddLogLine(const String& line) override { Memo.push_back(line); }
    void Log(const String& fileName, const String& text) override { File.push_back(fileName + L"|" + text); }
    std::vector<String> Status, Memo, File;
};

TEST(LogFormat, StatusGoesToPanelAndMemoSysLogToMemoAndFile)
{
    Recorder r;
    TAppLog log(r, &r);
    log.SetAppStatus(L"[Ack]Data successfully sent (9) bytes");
    log.SetSysLog(L"one");
    log.SetSysLog(L"two");
    ASSERT_EQ(r.Status.size(), 1u);
    EXPECT_EQ(r.Status[0].substr(10), L" [Ack]Data successfully sent (9) bytes");
    ASSERT_EQ(r.Memo.size(), 3u);
    EXPECT_EQ(r.Memo[1].substr(10), L" one");
    EXPECT_EQ(r.Memo[2].substr(10), L" two");
    // The file queue stamps the line itself, so it gets the bare message.
    EXPECT_EQ(r.File, (std::vector<String>{L"application.log|one", L"application.log|two"}));

    TAppLog noFile(r, nullptr);
    noFile.SetSysLog(L"three");
    EXPECT_EQ(r.Memo.size(), 4u);
    EXPECT_EQ(r.File.size(), 2u);
}

}  // namespace
