// Sending skin commands and other messages to windows and controls, carrying them down control
// trees, and the per-window queries (PPI, monitor work area, class name, text) the engine uses.
//
// A window whose skin link holds a window procedure gets a message by a direct call of that
// procedure, not through the system's dispatch (no hook sees it); other windows get a plain
// SendMessageW. All of it runs on the main thread.
#pragma once

#include "skin/engine/skin_commands.h"
#include "vcl/controls.h"

class TCustomForm;

// Set while an animation composes frames: the engine's repaints wait meanwhile.
extern bool AnimationRunning;

// ---- delivery ----------------------------------------------------------------------------------

LRESULT DeliverWindowMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Graphic controls: Perform. Windowed controls being destroyed or without a window: 0, nothing
// sent. A window whose link has no procedure yet and an owner control: the control's WindowProc
// becomes the link's procedure and is called directly; otherwise SendMessageW.
LRESULT DeliverControlMessage(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam);
// The skin command with the code in the high word of WParam (argument in the low word).
LRESULT SendSkinCommand(HWND wnd, unsigned command, LPARAM lParam, unsigned argument = 0);
LRESULT SendSkinCommandToControl(TControl* control, unsigned command, LPARAM lParam, unsigned argument = 0);
// The low byte of the control's answer (LParam 0), read as a Boolean.
bool QueryControlCommand(TControl* control, unsigned command);
// True exactly when the window answers 1 (LParam 0).
bool QueryWindowCommand(HWND wnd, unsigned command);
LRESULT SendSetRedraw(HWND wnd, WPARAM value);

// ---- our own sends ------------------------------------------------------------------------------

// 0xA100 is not registered with the system, so any process can send or post it. Every send of
// ours carries a mark (the WParam and LParam on their way, on the GUI thread); receivers honour
// the codes whose LParam points at a record or string only for a marked message, and a posted
// one only for the codes that are posted by design (scmPreviewData, the page control's 78).
class TacSkinCommandMark {
public:
    TacSkinCommandMark(WPARAM wParam, LPARAM lParam);
    ~TacSkinCommandMark();
    TacSkinCommandMark(const TacSkinCommandMark&) = delete;
    TacSkinCommandMark& operator=(const TacSkinCommandMark&) = delete;
};
// The code follows a pointer in LParam.
bool SkinCommandFollowsPointer(unsigned command);
// The code may arrive posted.
bool SkinCommandMayBePosted(unsigned command);
// The message is one our code is sending now, on the GUI thread.
bool SkinCommandIsOurs(const TMessage& message);
// A receiver may act on the message: any code without pointer, a pointer code only when ours.
bool SkinCommandAccepted(const TMessage& message);
// Drops posted skin commands in the application's message loop, except the codes posted by
// design (installed once, by the first link).
void InstallPostedSkinCommandFilter();
// Perform with the mark.
LRESULT PerformSkinCommand(TControl* control, unsigned command, LPARAM lParam, unsigned argument = 0);

// ---- broadcasts --------------------------------------------------------------------------------

// Depth first, each child before its own children, siblings in Controls order (the count read
// afresh on every step). The walk ends at the first child being destroyed. A skinned child
// window is told but not descended into: passing the message on is its own business.
void BroadcastToChildren(TWinControl* parent, const TMessage& message);
// The direct child windows of wnd (whatever their objects).
void SendToChildWindows(HWND wnd, const TMessage& message);
// scmUpdateDone to every showing child (not at design time or while an animation runs).
void RepaintChildren(TWinControl* control);
// scmUpdateDone to every child window directly under wnd, in z order.
void RepaintChildWindows(HWND wnd);
// Tells the control's form (scmAddNewControls) so that its skin wraps the new child windows.
void AdaptControlOnForm(TControl* control);

// ---- small queries -------------------------------------------------------------------------------

TColor ControlBackColor(TControl* control);
TColor WindowBackColor(HWND wnd);
bool ReadyForSkinning(TControl* control);
// The font differs from the one the control's parent would give it (with compareColor its
// colour counts too; otherwise the control's own colour is kept). Without a parent the
// default font stands in for the parent's.
bool FontDiffersFromParent(TControl* control, const TFont* font, bool compareColor);
TCustomForm* OwnerFormOf(TComponent* component);
// DT_ flags of an alignment (with DT_VCENTER and DT_EXPANDTABS), mirrored for right-to-left.
UINT AlignmentTextFlags(TControl* control, TAlignment alignment);

// ---- PPI, monitors, windows ----------------------------------------------------------------------

int ScreenPpi();
// The PPI of the monitor nearest the window's centre (8.1 and later), else the screen's.
int WindowPpi(HWND wnd);
// A window's PPI; 96 for a windowed control without a window yet; a graphic control's monitor.
int ControlPpi(TControl* control);
int MainFormPpi();
TRect FormWorkArea(TCustomForm* form);
// The work area of the first monitor whose work area holds the rectangle's top-left corner;
// all zero when none does.
TRect WorkAreaAtPoint(const TRect& rect);
void EnableNonClientScaling(HWND wnd);
String WindowClassName(HWND wnd);
String WindowTextOf(HWND wnd);
TRect ClientRectInWindow(HWND wnd);
TPoint ScreenToWindowPoint(HWND wnd, int x, int y);
// The component layer has no styles, so this is false.
bool IsVclStyleEnabled();
// The theme library's window-theme switch, when the system has it (E_NOTIMPL otherwise).
HRESULT CallSetWindowTheme(HWND wnd, const wchar_t* subAppName, const wchar_t* subIdList);
