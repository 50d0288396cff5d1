#include "skin/engine/core/message_box_flags.h"

uint32_t MessageBoxStyleOf(int dlgType, unsigned b)
{
    static const uint32_t icons[] = {acMbIconWarning, acMbIconError, acMbIconInformation, acMbIconQuestion, 0};
    uint32_t style = dlgType >= acDlgWarning && dlgType <= acDlgCustom ? icons[dlgType] : 0;
    if (b & acBtnOK) style |= (b & acBtnCancel) ? acMbOKCancel : acMbOK;
    else if (b & (acBtnAbort | acBtnIgnore)) style |= acMbAbortRetryIgnore;
    else if (b & (acBtnYes | acBtnNo)) style |= (b & acBtnCancel) ? acMbYesNoCancel : acMbYesNo;
    else if (b & acBtnRetry) style |= acMbRetryCancel;
    if (b & acBtnHelp) style |= acMbHelp;
    return style;
}

const wchar_t* MessageBoxCaptionOf(int dlgType)
{
    static const wchar_t* const captions[] = {L"Warning", L"Error", L"Information", L"Confirm", L""};
    return dlgType >= acDlgWarning && dlgType <= acDlgCustom ? captions[dlgType] : L"";
}
