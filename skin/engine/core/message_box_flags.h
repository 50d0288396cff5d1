// The style of the toolkit's message boxes from a dialog type and a button set, as the
// system's message box takes it. No windows.h here: the system's style values are spelled out
// (the Windows layer checks them against its headers).
#pragma once

#include <cstdint>

// Dialog types: 0 warning, 1 error, 2 information, 3 confirmation, 4 custom.
constexpr int acDlgWarning = 0, acDlgError = 1, acDlgInformation = 2, acDlgConfirmation = 3, acDlgCustom = 4;
// Button set bits.
constexpr unsigned acBtnYes = 1u << 0, acBtnNo = 1u << 1, acBtnOK = 1u << 2, acBtnCancel = 1u << 3,
                   acBtnAbort = 1u << 4, acBtnRetry = 1u << 5, acBtnIgnore = 1u << 6, acBtnHelp = 1u << 10;
// The system's style values.
constexpr uint32_t acMbOK = 0x0, acMbOKCancel = 0x1, acMbAbortRetryIgnore = 0x2, acMbYesNoCancel = 0x3,
                   acMbYesNo = 0x4, acMbRetryCancel = 0x5, acMbIconError = 0x10, acMbIconQuestion = 0x20,
                   acMbIconWarning = 0x30, acMbIconInformation = 0x40, acMbHelp = 0x4000;

// Icon by type, the buttons by the set (OK first, then Abort/Ignore, Yes/No, Retry), Help added.
uint32_t MessageBoxStyleOf(int dlgType, unsigned buttons);
// The caption a box of that type takes when none is given ("" for custom and unknown types).
const wchar_t* MessageBoxCaptionOf(int dlgType);
