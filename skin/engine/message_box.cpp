#include "skin/engine/message_box.h"

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

void CALLBACK MessageBoxHelp(LPHELPINFO) noexcept
{
    // The program has no help file: the Help button of a box opens nothing.
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

String MessageBoxCaption(TMsgDlgType type)
{
    static const wchar_t* const captions[] = {L"Warning", L"Error", L"Information", L"Confirm", L""};
    return type >= mtWarning && type <= mtCustom ? captions[type] : L"";
}

UINT MessageBoxStyle(TMsgDlgType type, TMsgDlgButtons b)
{
    UINT style = 0;
    switch (type) {
    case mtWarning: style = MB_ICONWARNING; break;
    case mtError: style = MB_ICONERROR; break;
    case mtInformation: style = MB_ICONINFORMATION; break;
    case mtConfirmation: style = MB_ICONQUESTION; break;
    default: break;
    }
    if (b & mbOK) style |= (b & mbCancel) ? MB_OKCANCEL : MB_OK;
    else if (b & (mbAbort | mbIgnore)) style |= MB_ABORTRETRYIGNORE;
    else if (b & (mbYes | mbNo)) style |= (b & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (b & mbRetry) style |= MB_RETRYCANCEL;
    else style |= MB_OK;
    if (b & mbHelp) style |= MB_HELP;
    return style;
}

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
