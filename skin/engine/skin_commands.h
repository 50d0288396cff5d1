// The private message through which skinned controls, forms and window wrappers talk to each
// other, and its command codes. The command is in the high word of WParam, a small argument in
// the low word; LParam carries a manager, a control, a record or a value; the result is the
// answer (0 from a receiver that does not know the command). No windows.h here.
#pragma once

#include <cstdint>

constexpr unsigned MSG_SKINCOMMAND = 0xA100;   // never registered with the system

enum TSkinCommand : uint16_t {
    scmNewSkin = 1,
    scmRemoveSkin = 2,
    scmRefresh = 3,
    scmGetProvider = 4,
    scmUpdateDone = 6,
    scmIsSkinned = 7,
    scmSetUpdating = 8,
    scmGetDefaultIndex = 9,
    scmIsUpdating = 10,
    scmIsHalfVisible = 11,
    scmGetWrapper = 12,
    scmSectionUpdated = 13,
    scmIsDroppedDown = 14,
    scmSetSection = 15,
    scmStopAnimation = 16,
    scmBGChanged = 17,
    scmInvalidate = 18,
    scmDependsOnBG = 19,
    scmRepaintIfMoved = 20,
    scmGetBGColor = 21,
    scmSetHalfVisible = 22,
    scmPrepareCache = 23,
    scmPaintFromBitmap = 24,
    scmAddNewControls = 25,
    scmGetSkinIndex = 26,
    scmGetCaptionHeight = 27,
    scmMouseEnter = 29,
    scmMouseLeave = 30,
    scmBeginUpdate = 31,
    scmEndUpdate = 32,
    scmResetCache = 33,
    scmGetBackground = 34,
    scmFontChanged = 36,
    scmGetCommonData = 37,
    scmSetPrintDC = 38,
    scmPaintOuterEffect = 40,
    scmBeginScroll = 51,
    scmEndScroll = 52,
    scmScrollOptionsChanged = 53,
    scmGetColorTone = 54,
    scmGetApplication = 60,
    scmGetClientOffset = 61,
    scmTitleBarChanged = 62,
    scmGluedMove = 63,
    scmSetFormAlpha = 65,
    scmGetSectionBehind = 66,
    scmGetFrameMetric = 67,
    scmPPIChanged = 68,
    scmGetPPI = 69,
    scmGetBounds = 70,
    scmPreviewData = 71,
    scmPopupClosed = 72,
    scmUpdateShadow = 73,
    scmSkinChangedNotify = 74,
    scmSkinListChanged = 75,
    scmFormImage = 76,         // LParam: a bitmap holding the form's image
    scmNonClientOptionChanged = 83,
    scmLayoutMirrored = 84,    // to each child of a container mirrored for right-to-left reading
    scmIsOpaque = 85,
    scmGetSkinData = 86,
};

// WParam of a skin command: the code in the high word, the argument in the low word.
constexpr uintptr_t SkinCommandWParam(unsigned command, unsigned argument = 0)
{
    return (static_cast<uintptr_t>(command & 0xFFFFu) << 16) | (argument & 0xFFFFu);
}
constexpr unsigned SkinCommandOf(uintptr_t wParam) { return static_cast<unsigned>((wParam >> 16) & 0xFFFFu); }
constexpr unsigned SkinCommandArgument(uintptr_t wParam) { return static_cast<unsigned>(wParam & 0xFFFFu); }
