#include "support/system/named_thread.h"

String TNamedThread::ThreadName() const
{
    if (!FThreadName.empty()) return FThreadName + L" {" + ClassName() + L"}";
    return ClassName();
}

void TNamedThread::NameThread(const std::string& name, DWORD threadId)
{
    // Debuggers read names as 8-bit text: anything outside ASCII becomes "?".
    String narrowed;
    for (unsigned char c : name) narrowed += c < 0x80 ? static_cast<wchar_t>(c) : L'?';
    TThread::NameThreadForDebugging(narrowed, threadId);
}

void TNamedThread::NameThread(const String& name, DWORD threadId)
{
    std::string ansi;
    for (wchar_t c : name) ansi += c < 0x80 ? static_cast<char>(c) : '?';
    NameThread(ansi, threadId);
}
