// Hooking the window procedure of a window that is not one of our controls (a native child
// of a dialog, a window of another library): the second subclassing route next to replacing
// a control's WindowProc. The hook chains through the system's subclass list, so hooks added
// later by anyone stay in the chain, and is found from the window through a property.
#pragma once

#include "vcl/win.h"

#include "vcl/classes.h"
#include "vcl/messages.h"
#include "vcl/utilwindow.h"

class TWindowHookObject : public TObject {
public:
    // Hooks wnd: every message goes to handler first, which passes on what it does not
    // take with CallPrevious. The newest hook of a window is the one FindWindowHook answers.
    TWindowHookObject(HWND wnd, const TWndMethod& handler);
    // Takes the hook out if the window still exists; the property goes only if it is ours.
    // The hooks of one window may be freed in any order, before or after the window.
    ~TWindowHookObject() override;

    HWND Handle() const { return FWnd; }
    // False once the window is gone (or the hook was taken out).
    bool Attached() const { return FWnd != nullptr; }
    // The window procedure behind this hook (the next hook or the window's own).
    void CallPrevious(TMessage& m);
    // Takes the hook out now; the object stays.
    void Detach();

    // Runs after the window was destroyed and the hook went with it (once per hook; when the
    // window goes, every hook of ours on it lets go, even one that never saw the message).
    TNotifyEvent OnWindowDestroyed;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // A running call of SubclassProc on this hook, told when the hook is freed under it.
    struct TCallFrame {
        bool Freed = false;
        TCallFrame* Outer = nullptr;
    };
    void Unlink();
    static void ReleaseAtWindowEnd(TWindowHookObject* self, TCallFrame& frame);
    HWND FWnd;
    TCallFrame* FFrames = nullptr;
    TWndMethod FHandler;
    // The hooks of the same window, older and newer than this one: a hook leaves this chain
    // when it lets go, so neither ever names a hook that was freed or detached.
    TWindowHookObject* FOlder = nullptr;
    TWindowHookObject* FNewer = nullptr;
};

// The newest hook object of a window (through its window property), or nullptr.
TWindowHookObject* FindWindowHook(HWND wnd);
