// The application object: its hidden window, the message loop, idle processing and the
// default handling of exceptions that reach an event handler.
#pragma once

#include "vcl/win.h"

#include <vector>

#include "vcl/classes.h"
#include "vcl/controls.h"
#include "vcl/graphics.h"
#include "vcl/messages.h"

using TExceptionEvent = Method<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = Method<void(TObject* Sender, bool& Done)>;
using TMessageEvent = Method<void(MSG& Msg, bool& Handled)>;
// A help request: Command (HELP_CONTEXT ...) and Data (the context id); CallHelp false keeps a
// help system from being asked after the handler. Answers whether help was given.
using THelpEvent = Method<bool(WORD Command, intptr_t Data, bool& CallHelp)>;
// A hook on the application window's messages; answering true stops the default handling.
using TWindowHook = Method<bool(TMessage& Message)>;

class TCustomForm;
class THintWindow;
class TControl;
struct THintInfo;
using TShowHintEventA = Method<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;

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
    // True while one of the program's windows is the active one (WM_ACTIVATEAPP).
    bool Active() const { return FActive; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& title);
    bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool on) { FMainFormOnTaskBar = on; }
    String ExeName() const;
    // The font forms take when they are made (owned; change it before making them).
    TFont* DefaultFont() const { return FDefaultFont; }
    // Reading order of the program's own windows that ask the application (hints, skins).
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode) { FBiDiMode = mode; }
    // Minimises the program (its main form) and brings it back; OnMinimize / OnRestore fire.
    void Minimize();
    void Restore();
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

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

    // Forms (bodies in forms.cpp). The first form made by CreateForm is the main form; closing
    // it ends the program. With MainFormOnTaskBar the main form has its own task bar button
    // and owns the other forms.
    template <class T>
    void CreateForm(T*& reference)
    {
        reference = new T(this);
        reference->CompleteConstruction();
        RegisterCreatedForm(reference);
    }
    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* form) { FMainForm = form; }
    // Modal bookkeeping: ShowModal brackets its loop with these.
    void ModalStarted();
    void ModalFinished();
    int ModalLevel() const { return FModalLevel; }
    TNotifyEvent OnModalBegin;
    TNotifyEvent OnModalEnd;
    // MessageBoxW over the active form.
    int MessageBox(const String& text, const String& caption, UINT flags = MB_OK);

    // Hints (bodies in forms.cpp): shown after HintPause ms over a control with ShowHint and
    // a Hint, hidden after HintHidePause ms or when the mouse leaves or a key is pressed.
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool on);
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    TColor HintColor = clInfoBk;
    // The hint of the control under the mouse (OnHint fires when it changes).
    const String& Hint() const { return FHint; }
    void SetHint(const String& hint);
    void CancelHint();
    void ActivateHint(const TPoint& cursorPos);
    THintWindow* HintWindow() const { return FHintWindow; }
    TNotifyEvent OnHint;
    TShowHintEventA OnShowHint;

    // Help for a context id: through OnHelp (the program has no help system of its own);
    // false when nobody gave help.
    bool HelpContext(int context);
    THelpEvent OnHelp;

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    // Fired from CM_ACTIVATE and CM_DEACTIVATE, which the application window posts to itself
    // when the program becomes active or inactive (hooks of the window see them first).
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    virtual void WndProc(TMessage& message);
    virtual bool ProcessMessage(MSG& msg);
    virtual void Idle(const MSG& msg);

private:
    friend class THintController;
    void RegisterCreatedForm(TCustomForm* form);
    TCustomForm* FMainForm = nullptr;
    int FModalLevel = 0;
    bool FShowHint = true;
    String FHint;
    THintWindow* FHintWindow = nullptr;

    static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND FHandle = nullptr;
    String FTitle;
    bool FTerminated = false;
    bool FActive = false;
    TFont* FDefaultFont = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FMainFormOnTaskBar = false;
    std::vector<TWindowHook> FWindowHooks;
    std::vector<TMessageFilter> FMessageFilters;
};

// The one application object of the process (made by the program's main or the test main).
extern TApplication* Application;
