// Hidden utility windows ("TPUtilWindow") that hand their messages to a method: the carrier of
// timers, device notifications and other messages of non-visual components.
#pragma once

#include "vcl/win.h"

#include "vcl/messages.h"
#include "vcl/methods.h"

using TWndMethod = Method<void(TMessage& Message)>;

// A top-level hidden window of the calling thread whose messages go to method. Messages the
// method leaves with Result 0 and does not handle should be passed to DefWindowProc by it.
HWND AllocateHWnd(const TWndMethod& method);
void DeallocateHWnd(HWND wnd);
