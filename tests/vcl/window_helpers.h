// Small steps of the window tests: bring a form to the front and press keys as a user does.
#pragma once

#include "tests/common/test_support.h"
#include "vcl/forms.h"

namespace testing_support {

// Shows the form and makes it the active window.
inline void BringToFront(TCustomForm* form)
{
    form->Show();
    SetForegroundWindow(form->Handle());
    PumpUntil([&] { return form->Active(); }, 2000);
}

// One key pressed and released through the system's input queue, then the messages handled.
inline void PressKey(WORD vk)
{
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    PumpFor(60);
}

// A key pressed with a modifier held (Ctrl, Shift, Alt), as a user types a chord; 0 for none.
inline void PressChord(WORD modifier, WORD vk)
{
    if (!modifier) {
        PressKey(vk);
        return;
    }
    INPUT in[4]{};
    for (auto& i : in) i.type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[3].ki.wVk = modifier;
    in[1].ki.wVk = in[2].ki.wVk = vk;
    in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
    PumpFor(60);
}

}  // namespace testing_support
