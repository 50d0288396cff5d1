// windows.h for the program's own code. The platform's A/W name macros (GetObject, DrawText,
// MessageBox, ...) would rename our own members of the same names, so they are removed here:
// call the W functions by their full names (GetObjectW, DrawTextW, MessageBoxW).
#pragma once

#include <windows.h>

#undef GetObject
#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef DrawText
#undef DrawTextEx
#undef DrawState
#undef LoadBitmap
#undef LoadIcon
#undef LoadCursor
#undef LoadImage
#undef CreateFont
#undef GetClassName
#undef GetMessage
#undef SendMessage
#undef PostMessage
#undef MessageBox
#undef CreateWindow
#undef GetCurrentTime
#undef Yield
#undef FindText
#undef FindWindow
#undef GetTextMetrics
#undef TextOut
#undef ExtTextOut
#undef GetCharWidth
#undef EnumFonts
#undef GetProp
#undef SetProp
#undef RemoveProp
#undef CreateEvent
#undef OpenEvent
#undef StartDoc
#undef ReportEvent
#undef GetUserName
#undef GetComputerName
#undef RegisterClass
#undef UnregisterClass
