// The line format of the configurator's messages and where each kind of message goes.
// No windows.h: the routing is tested natively; the window and the file writer plug in
// through the two interfaces below.
#pragma once

#include "vcl/sysutils.h"

// "[hh:nn:ss] " (24-hour local time of the given moment) + msg.
String FormatLogLine(TDateTime time, StringView msg);
// The same, stamped now.
String StampLogLine(StringView msg);

// The main window's side: status panel 0 and the log memo (main thread only).
class TLogSink {
public:
    virtual ~TLogSink() = default;
    virtual void ShowStatusText(const String& line) = 0;
    virtual void AddLogLine(const String& line) = 0;
};

// A queue of lines for files; the implementation stamps each line when it is queued.
class TFileLogQueue {
public:
    virtual ~TFileLogQueue() = default;
    virtual void Log(const String& fileName, const String& logText) = 0;
};

// The two message functions of the main window.
class TAppLog {
public:
    static constexpr const wchar_t* AppLogFileName = L"application.log";

    // fileLog may be nullptr (no file log yet / any more): file lines are then skipped.
    TAppLog(TLogSink& sink, TFileLogQueue* fileLog) : FSink(sink), FFileLog(fileLog) {}
    void SetFileLog(TFileLogQueue* fileLog) { FFileLog = fileLog; }

    // Status panel 0 and the memo; never the file.
    void SetAppStatus(const String& msg);
    // The memo and application.log; never the status bar.
    void SetSysLog(const String& msg);

private:
    TLogSink& FSink;
    TFileLogQueue* FFileLog;
};
