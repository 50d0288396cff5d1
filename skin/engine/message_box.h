// The skinning toolkit's own message boxes, and the seam through which they reach the screen
// (tests record the boxes instead of showing them).
#pragma once

#include <functional>

#include "vcl/dialogs.h"

// Where the next message box is centred (-1: where the system puts it); the dialog skinning
// reads them while the box is up.
extern int MessageBoxPosX;
extern int MessageBoxPosY;

// Caption of a dialog type when none is given: "Warning", "Error", "Information", "Confirm", "".
String MessageBoxCaption(TMsgDlgType type);
// The MB_ style of a dialog type and button set (icon, buttons, help).
UINT MessageBoxStyle(TMsgDlgType type, TMsgDlgButtons buttons);

// Shows a modal box over the application's active form with every other task window disabled;
// answers the id of the pressed button. An empty caption takes the type's.
int ShowMessageBoxEx(const String& caption, const String& text, TMsgDlgType type, TMsgDlgButtons buttons,
                     int helpCtx, int x, int y);
int ShowMessageBox(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);

// What would be shown. The handler answers the button id as the system would.
struct TacMessageBoxRequest {
    HWND Owner = nullptr;
    String Caption;
    String Text;
    UINT Style = 0;
    DWORD HelpContext = 0;
    int X = -1, Y = -1;   // the position globals while the box is up
};
using TacMessageBoxHandler = std::function<int(const TacMessageBoxRequest&)>;
// Replaces the system's MessageBoxIndirectW (nullptr puts it back).
void SetMessageBoxHandler(TacMessageBoxHandler handler);
