// Sending skin commands to windows and controls.
#pragma once

#include "skin/engine/skin_commands.h"
#include "vcl/win.h"

class TControl;

// The skin command with the code in the high word of WParam (argument in the low word).
LRESULT SendSkinCommand(HWND wnd, unsigned command, LPARAM lParam, unsigned argument = 0);
// The same for a control: through its window when it has one, else performed directly.
LRESULT SendSkinCommandToControl(TControl* control, unsigned command, LPARAM lParam, unsigned argument = 0);
