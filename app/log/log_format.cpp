#include "app/log/log_format.h"

String FormatLogLine(TDateTime time, StringView msg)
{
    String line = L"[" + FormatDateTime(L"hh:nn:ss", time) + L"] ";
    line.append(msg);
    return line;
}

String StampLogLine(StringView msg)
{
    return FormatLogLine(Now(), msg);
}

void TAppLog::SetAppStatus(const String& msg)
{
    FSink.ShowStatusText(StampLogLine(msg));
    FSink.AddLogLine(StampLogLine(msg));
}

void TAppLog::SetSysLog(const String& msg)
{
    FSink.AddLogLine(StampLogLine(msg));
    if (FFileLog) FFileLog->Log(AppLogFileName, msg);
}
