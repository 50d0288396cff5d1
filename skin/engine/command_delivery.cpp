#include "skin/engine/command_delivery.h"

#include "vcl/controls.h"

// Plain delivery through the window procedure for now; the direct route to a window's skin
// link comes with the links themselves.
LRESULT SendSkinCommand(HWND wnd, unsigned command, LPARAM lParam, unsigned argument)
{
    if (!wnd) return 0;
    return SendMessageW(wnd, MSG_SKINCOMMAND, SkinCommandWParam(command, argument), lParam);
}

LRESULT SendSkinCommandToControl(TControl* control, unsigned command, LPARAM lParam, unsigned argument)
{
    if (!control) return 0;
    if (auto* w = dynamic_cast<TWinControl*>(control); w && w->HandleAllocated())
        return SendSkinCommand(w->Handle(), command, lParam, argument);
    return control->Perform(MSG_SKINCOMMAND, SkinCommandWParam(command, argument), lParam);
}
