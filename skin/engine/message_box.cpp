#include "skin/engine/message_box.h"

#include "skin/engine/core/message_box_flags.h"

#include "vcl/application.h"
#include "vcl/forms.h"

int MessageBoxPosX = -1;
int MessageBoxPosY = -1;

namespace {

TacMessageBoxHandler& Handler()
{
    static TacMessageBoxHandler handler;
    return handler;
}

// The Help button of a box asks the application for the box's help context.
void CALLBACK MessageBoxHelp(LPHELPINFO info) noexcept
{
    if (!info || !Application) return;
    try {
        Application->HelpContext(static_cast<int>(info->dwContextId));
    } catch (...) {
    }
}

// Disables the enabled, visible top-level windows of this thread while a box is up.
struct TTaskWindows {
    std::vector<HWND> disabled;
    HWND except = nullptr;

    static BOOL CALLBACK Disable(HWND wnd, LPARAM data) noexcept
    {
        auto* self = reinterpret_cast<TTaskWindows*>(data);
        if (wnd != self->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
            self->disabled.push_back(wnd);
            EnableWindow(wnd, FALSE);
        }
        return TRUE;
    }
    ~TTaskWindows() { EnableAll(); }
    void DisableAll() { EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this)); }
    void EnableAll()
    {
        for (HWND w : disabled)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        disabled.clear();
    }
};

}  // namespace

void SetMessageBoxHandler(TacMessageBoxHandler handler) { Handler() = std::move(handler); }

// The core spells out the system's values and the dialog unit's bits.
static_assert(acMbOKCancel == MB_OKCANCEL && acMbAbortRetryIgnore == MB_ABORTRETRYIGNORE &&
              acMbYesNoCancel == MB_YESNOCANCEL && acMbYesNo == MB_YESNO && acMbRetryCancel == MB_RETRYCANCEL &&
              acMbIconError == MB_ICONERROR && acMbIconQuestion == MB_ICONQUESTION &&
              acMbIconWarning == MB_ICONWARNING && acMbIconInformation == MB_ICONINFORMATION && acMbHelp == MB_HELP);
static_assert(acBtnYes == mbYes && acBtnNo == mbNo && acBtnOK == mbOK && acBtnCancel == mbCancel &&
              acBtnAbort == mbAbort && acBtnRetry == mbRetry && acBtnIgnore == mbIgnore && acBtnHelp == mbHelp);
// The record the system reads, at its x64 size.
static_assert(sizeof(void*) != 8 || sizeof(MSGBOXPARAMSW) == 80, "MSGBOXPARAMSW");
static_assert(acDlgWarning == mtWarning && acDlgConfirmation == mtConfirmation && acDlgCustom == mtCustom);

String MessageBoxCaption(TMsgDlgType type) { return MessageBoxCaptionOf(type); }

UINT MessageBoxStyle(TMsgDlgType type, TMsgDlgButtons buttons) { return MessageBoxStyleOf(type, buttons); }

int ShowMessageBoxEx(const String& caption, const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx,
                     int x, int y)
{
    TacMessageBoxRequest r;
    r.Caption = caption.empty() ? MessageBoxCaption(type) : caption;
    r.Text = text;
    r.Style = MessageBoxStyle(type, buttons);
    r.HelpContext = static_cast<DWORD>(helpCtx);
    TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
    r.Owner = active && active->HandleAllocated() ? active->Handle() : nullptr;

    MessageBoxPosX = x;
    MessageBoxPosY = y;
    if (Application) Application->ModalStarted();
    struct Restore {
        ~Restore()
        {
            if (Application) Application->ModalFinished();
            MessageBoxPosX = MessageBoxPosY = -1;
        }
    } restore;
    r.X = x;
    r.Y = y;

    HWND previous = GetActiveWindow();
    TTaskWindows tasks;
    tasks.DisableAll();
    int result;
    if (const TacMessageBoxHandler& h = Handler()) {
        result = h(r);
    } else {
        MSGBOXPARAMSW p{};
        p.cbSize = sizeof p;
        p.hwndOwner = r.Owner;
        p.hInstance = GetModuleHandleW(nullptr);
        p.lpszText = r.Text.c_str();
        p.lpszCaption = r.Caption.c_str();
        p.dwStyle = r.Style;
        p.dwContextHelpId = r.HelpContext;
        p.lpfnMsgBoxCallback = MessageBoxHelp;
        result = MessageBoxIndirectW(&p);
    }
    tasks.EnableAll();
    if (previous && IsWindow(previous)) {
        SetFocus(nullptr);
        SetActiveWindow(previous);
    }
    return result;
}

int ShowMessageBox(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx)
{
    return ShowMessageBoxEx(String(), text, type, buttons, helpCtx, -1, -1);
}
