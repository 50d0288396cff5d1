// Threads that give themselves a name for debuggers; base of the HID read thread and of the
// thread timer's thread.
#pragma once

#include <string>

#include "vcl/threads.h"

class TNamedThread : public TThread {
public:
    // FThreadName + " {" + class name + "}", or the class name alone when no name is set.
    virtual String ThreadName() const;
    virtual void SetThreadName(const String& name) { FThreadName = name; }
    // Names the thread (threadId -1: the calling thread) for an attached debugger. The 8-bit
    // form is what debuggers read; the wide form converts to it first.
    virtual void NameThread(const std::string& name, DWORD threadId = static_cast<DWORD>(-1));
    void NameThread(const String& name, DWORD threadId = static_cast<DWORD>(-1));

private:
    String FThreadName;
};
