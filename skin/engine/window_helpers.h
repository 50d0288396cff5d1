// Helpers the engine, the skinned controls, the form skinning and the wrappers share when they
// deal with colours, control trees and windows: skin colours of colour constants, mouse hit
// tests, tree walks and child order, layered-window updates, the keyboard's shift state, a plain
// hint window and right-to-left mirroring. Main thread only.
#pragma once

#include <functional>

#include "skin/graphics/pixel_view.h"
#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vcl/strings.h"

class TsSkinManager;

// ---- forms that are never skinned ---------------------------------------------------------------

// The form classes of foreign popup windows the form skinning leaves alone: a sorted list that
// lives from first use to the end of the process.
const TStringList& ForeignPopupClasses();
// True when className is an entry of that list, compared in list order with exact case.
bool IsForeignPopupClass(const wchar_t* className);

// ---- colour --------------------------------------------------------------------------------------

// A colour constant as the manager's skin (the default manager's when nil) shows it: system
// colours and the named palette colours map to the palette while a skin is active; without one
// a named colour gives its default. Always RGB.
TColor ResolveSkinColor(TColor color, TsSkinManager* manager = nullptr);

// ---- mouse and hit tests ---------------------------------------------------------------------------

void ReadCursorPos(TPoint& point);
HWND TopLevelWindowOf(HWND wnd);
bool IsWindowOrDescendant(HWND wnd, HWND ancestor);
bool IsMouseOverWindow(HWND wnd);
bool IsMouseOverControl(TControl* control);
// The default manager's hot graphic control, else the child under the cursor of our window
// under it (one level down), else that window; nil when the cursor is over none of ours.
TControl* ControlUnderCursor();
// Our control whose window is at a screen point (or the nearest ancestor window of ours).
TWinControl* FindVCLWindow(const TPoint& pos);

// ---- tree walks and order ----------------------------------------------------------------------------

using TChildControlProc = void (*)(TControl* child, void* data);
// Pre-order, depth first, siblings in Controls order (the count taken at the start).
void ForEachChildControl(TWinControl* parent, void* data, TChildControlProc proc);
// Moves control right after sibling in their parent's child order; nothing when not siblings.
void PlaceAfterSibling(TControl* control, TControl* sibling);
// Forces a re-layout: one pixel less in height, then the full size again.
void NudgeWindowSize(TCustomForm* form, HWND wnd);

// ---- layered windows ---------------------------------------------------------------------------------

// Adds WS_EX_LAYERED with a constant alpha (true when it was switched on now); without layered
// windows it takes WS_VISIBLE and WS_EX_LAYERED off instead and answers false.
bool SetLayeredAlpha(HWND wnd, bool enable, uint8_t alpha);
// Pushes a premultiplied 32-bit image to a layered window (nil: a transparent one of the
// window's size); dstPoint nil keeps the window where it is.
void UpdateLayeredFromBitmap(HWND wnd, TBitmap* bmp, uint8_t alpha, const TPoint* dstPoint);

// What would go to the screen: the layered-window update with a copy of its pixels.
struct TacLayeredUpdate {
    HWND Wnd = nullptr;
    bool HasDstPoint = false;
    TPoint DstPoint;
    TSize Size;
    uint8_t Alpha = 255;
    DWORD Flags = 0;             // ULW_ALPHA
    bool PerPixelAlpha = false;  // AC_SRC_ALPHA
    TPixelImage Pixels;          // top-down, as pushed
};
// Takes the place of UpdateLayeredWindow (nullptr puts it back); answers its result.
using TacLayeredUpdater = std::function<bool(const TacLayeredUpdate&)>;
void SetLayeredUpdater(TacLayeredUpdater updater);

// ---- keyboard, hints ----------------------------------------------------------------------------------

// Bit 0 Shift, bit 1 Alt, bit 2 Ctrl, from the keys held now.
TShiftState ShiftStateFromKeyboard();
// Shows text in a hint window near pos (screen) kept inside the monitor's work area; answers
// the window (nil for an empty text).
THintWindow* ShowPlainHint(const String& text, const TPoint& pos);
void HidePlainHint(THintWindow*& hintWindow);
// Where ShowPlainHint puts a hint rectangle of a size for a point: (8, 16) from it, moved left
// and up (never right or down) to stay inside the work area.
TRect PlaceHintRect(const TRect& hintRect, const TPoint& pos, const TRect& workArea);

// ---- alignment and right-to-left ------------------------------------------------------------------------

int AlignedChildrenExtent(TWinControl* parent, TAlign align, bool includeGraphic);
void SwapHorizontalAnchors(TControl* control);
// Mirrors a container for a right-to-left layout: unaligned children move across, left- and
// right-aligned ones swap sides; with recursive every windowed child too.
void MirrorLayout(TWinControl* control, bool recursive);

// Places where a window-management call may fail without consequence.
inline void NoteEvent() {}
inline void IgnoreApiFailure() {}
