// The application object: its hidden window, the message loop, idle processing and the
// default handling of exceptions that reach an event handler.
#pragma once

#include "vcl/win.h"

#include <vector>

#include "vcl/classes.h"
#include "vcl/messages.h"

using TExceptionEvent = Method<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = Method<void(TObject* Sender, bool& Done)>;
using TMessageEvent = Method<void(MSG& Msg, bool& Handled)>;
// A hook on the application window's messages; answering true stops the default handling.
using TWindowHook = Method<bool(TMessage& Message)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner = nullptr);
    ~TApplication() override;

    void Initialize();
    // Runs the message loop until Terminate (or WM_QUIT).
    virtual void Run();
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, or runs the idle step and waits for the next message.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    HWND Handle() const { return FHandle; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& title);
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool on) { FMainFormOnTaskBar = on; }
    String ExeName() const;

    // Reports the exception being handled (call inside a catch block): OnException when
    // assigned, else ShowException. EAbort is silent.
    void HandleException(TObject* sender);
    virtual void ShowException(const Exception& e);
    // Off in tests: exceptions are then only written to the debugger output and stderr.
    bool ShowExceptionDialogs = true;

    void HookMainWindow(const TWindowHook& hook);
    void UnhookMainWindow(const TWindowHook& hook);

    // Filters a message before it is dispatched; answers true when it was handled. Forms
    // and the hint machinery add their own steps (dialog keys, hints) through this list.
    using TMessageFilter = Method<bool(MSG& Msg)>;
    void AddMessageFilter(const TMessageFilter& filter);
    void RemoveMessageFilter(const TMessageFilter& filter);

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    virtual void WndProc(TMessage& message);
    virtual bool ProcessMessage(MSG& msg);
    virtual void Idle(const MSG& msg);

private:
    static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND FHandle = nullptr;
    String FTitle;
    bool FTerminated = false;
    bool FMainFormOnTaskBar = false;
    std::vector<TWindowHook> FWindowHooks;
    std::vector<TMessageFilter> FMessageFilters;
};

// The one application object of the process (made by the program's main or the test main).
extern TApplication* Application;
