// Controls over real windows: TControl (geometry, visibility, font, colour, mouse and message
// routing), TWinControl (one HWND each), TGraphicControl (painted on its parent) and
// TCustomControl (a window with a canvas).
//
// Routing: every message of a control goes to its WindowProc, a replaceable method pointer that
// starts as the virtual WndProc. WndProc does the generic work (mouse to graphic children,
// key preview, mouse enter/leave) and calls Dispatch, which switches on the message to a
// virtual per-message handler (WMPaint, CMMouseEnter, ...). What no handler takes ends in
// DefaultHandler: the native window procedure of the class (superclassed "BUTTON", "EDIT", ...)
// or DefWindowProc. To react to a new message, override Dispatch and call the base for the rest.
//
// Reflection: a parent that receives WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM,
// WM_HSCROLL/WM_VSCROLL, WM_CTLCOLOR* and the like from a child window of ours sends it back to
// that child as CN_BASE + msg, so each control handles its own notifications.
#pragma once

#include "vcl/win.h"

#include <vector>

#include "vcl/classes.h"
#include "vcl/graphics.h"
#include "vcl/messages.h"
#include "vcl/strings.h"
#include "vcl/utilwindow.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// TAlignment, TTextLayout and TBiDiMode live in vcl/types.h (no windows.h there).
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

// Size limits of a control (0 = no limit); SetBounds keeps the control inside them.
class TSizeConstraints {
public:
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
    // width and height brought inside the limits.
    void Apply(int& width, int& height) const;
};
enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;

// Cursor ids as the component library numbers them (negative: system cursors).
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;

// ControlStyle flags.
enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
    csNeedsBorderPaint = 1u << 17,
    csParentBackground = 1u << 18,
    csPannable = 1u << 19,
    csAlignWithMargins = 1u << 20,
    csGestures = 1u << 21,
    csPaintBlackOpaqueOnGlass = 1u << 22,
    csOverrideStylePaint = 1u << 23,
};
using TControlStyle = uint32_t;

// ControlState flags.
enum TControlStateFlag : uint32_t {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csPalette = 1u << 2,
    csReadingState = 1u << 3,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csPaintCopy = 1u << 7,
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
    csDocking = 1u << 10,
    csDesignerHide = 1u << 11,
    csPanning = 1u << 12,
    csRecreating = 1u << 13,
    csAligning = 1u << 14,
    csGlassPaint = 1u << 15,
    csPrintClient = 1u << 16,
};
using TControlState = uint32_t;

using TWndMethod = Method<void(TMessage& Message)>;
using TMouseEvent = Method<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = Method<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = Method<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = Method<void(TObject* Sender, wchar_t& Key)>;
using TContextPopupEvent = Method<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMouseWheelEvent = Method<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = Method<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

// Shift state from the keyboard and mouse-key bits of a mouse message (MK_*).
TShiftState KeysToShiftState(WPARAM keys);
// Shift state of the keyboard now (and the Alt bit of a key message's LParam).
TShiftState KeyboardStateToShiftState();

// What CM_DOCKCLIENT carries (LParam points to it): the control being docked and where it is
// to go, in the site's client coordinates (empty: it keeps its size).
struct TDragDockObject {
    TControl* Control = nullptr;
    TRect DockRect;
};

// ---- actions -----------------------------------------------------------------------------------

// A command that controls take their enabled state from. Enabled changes reach every linked
// control (ActionChange); Update asks OnUpdate for the present state and tells the controls
// (CM_ACTIONUPDATE). A control whose action has no OnExecute can do nothing.
class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool on);
    // Runs OnExecute; false when there is none.
    bool Execute();
    // OnUpdate, then CM_ACTIONUPDATE (LParam = the action) to every linked control.
    void Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

private:
    friend class TControl;
    void Changed();
    bool FEnabled = true;
    std::vector<TControl*> FClients;
};

// The tie between a control and its action.
class TControlActionLink {
public:
    TControlActionLink(TControl* client, TBasicAction* action) : Client(client), Action(action) {}
    TControl* const Client;
    TBasicAction* const Action;
};

// ---- TControl ----------------------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Message routing. WindowProc starts as WndProc; code may save it, put its own handler in
    // and forward to the saved one.
    TWndMethod WindowProc;
    LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);
    virtual void WndProc(TMessage& message);
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    TCustomForm* ParentForm() const;

    // Geometry: relative to the parent's client area (forms: to the screen).
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const;
    void SetBoundsRect(const TRect& r);
    virtual TRect ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int w, int h);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign a);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors a);

    // Size limits; SetConstraints re-applies them at once.
    const TSizeConstraints& Constraints() const { return FConstraints; }
    void SetConstraints(const TSizeConstraints& c);
    // With AutoSize the control takes the size CanAutoSize proposes whenever its text, font
    // or contents change (AdjustSize).
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool on);

    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool on);
    bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    // DrawText flags for this control's reading order: left and right swapped when the
    // alignment is mirrored, DT_RTLREADING when it reads right to left.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    UINT DrawTextBiDiModeFlagsReadingOnly() const { return UseRightToLeftReading() ? DT_RTLREADING : 0; }

    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent showing (a form: its window is visible).
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool on);

    TColor Color() const { return FColor; }
    void SetColor(TColor c);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool on);
    TFont* Font() const { return FFont; }
    void SetFont(const TFont* font);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool on);

    // Caption and Text are the same string (the window text of windowed controls).
    String Caption() const { return GetText(); }
    void SetCaption(const String& s) { SetText(s); }
    String Text() const { return GetText(); }
    void SetText(const String& s);

    const String& Hint() const { return FHint; }
    void SetHint(const String& s) { FHint = s; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool on);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool on);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor c);

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle s) { FControlStyle = s; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState s) { FControlState = s; }

    virtual void Invalidate();
    // Invalidate and paint now.
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    bool MouseCapture() const;
    void SetMouseCapture(bool on);
    bool MouseInClient() const { return FMouseInClient; }

    // Pixels per inch the control is laid out for (96 at creation). ScaleForPPI rescales the
    // control and everything inside it from CurrentPPI to newPPI (ChangeScale with the DPI
    // flag), after which CurrentPPI is newPPI for all of them.
    int CurrentPPI() const { return FCurrentPPI; }
    virtual void ScaleForPPI(int newPPI);
    // As ScaleForPPI, but every font keeps its height: for a layout made at a design PPI whose
    // fonts were made at the screen's PPI already.
    void ScaleLayoutForPPI(int newPPI);
    // Scales by m / d: bounds, constraints and an own font (a control with ParentFont takes
    // its parent's scaled font); a windowed control then scales its children. With
    // isDpiChange the control's CurrentPPI follows (times m / d). Overrides scale their own
    // pixel sizes and call the base.
    virtual void ChangeScale(int m, int d, bool isDpiChange = false);

    virtual void Click();

    // The help topic of the control (handed to the dialogs it opens).
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }

private:
    int FHelpContext = 0;

public:

    // The action the control follows (nullptr: none); a freed action is forgotten.
    TBasicAction* Action() const { return FActionLink ? FActionLink->Action : nullptr; }
    void SetAction(TBasicAction* action);
    TControlActionLink* ActionLink() const { return FActionLink; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    // Tells the active control of every form up the parent chain that a mode it may hold (an
    // open drop-down, a pressed state) ends: CM_CANCELMODE with LParam = sender. Mouse presses
    // send it before they are handled.
    void SendCancelMode(TControl* sender);

    // ---- docking by code (no drag-and-drop docking)
    // The site the control was last docked on, nullptr when none (or it is gone).
    TWinControl* HostDockSite() const { return FHostDockSite; }
    // Puts the control on the site through the site's DoAddDockClient (ARect in the site's
    // client coordinates, empty = keep the size) and records the site as its host.
    virtual void Dock(TWinControl* NewDockSite, const TRect& ARect);
    // Offers the control to a dock site: CM_DOCKCLIENT, performed on the site (not through
    // its window, so a failure raised by the site reaches this caller as the exception).
    // Answers whether the control now sits on the site (at any depth); a control that is no
    // dock site takes nothing.
    bool ManualDock(TWinControl* NewDockSite, const TRect& DockRect = TRect());

protected:
    friend class TWinControl;

    virtual String GetText() const;
    virtual void SetTextCore(const String& s);
    // Is this control to receive events? Not while it or its form is being destroyed.
    bool EventsAllowed() const;

    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void DblClick();
    virtual void Resize();
    // Resizes to CanAutoSize's proposal when AutoSize is on (not while loading). Called by
    // SetAutoSize, after text and font changes and by Loaded.
    virtual void AdjustSize();
    // Proposes the size the control's contents need; answers false to keep the size. The
    // base keeps it.
    virtual bool CanAutoSize(int& newWidth, int& newHeight);
    // Announces a change of the control's value (check state, text, position): CM_CHANGED
    // with LParam = this, performed on the control itself. Value setters call it.
    virtual void Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }
    // The wheel turned over the focused control (CM_MOUSEWHEEL): fires OnMouseWheel, then
    // OnMouseWheelDown/Up; answers whether a handler took it. Unhandled turns go to the parent.
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    void Loaded() override;
    void BeforeDestruction() override;
    virtual void VisibleChanging() {}
    virtual void UpdateBoundsRect(int left, int top, int width, int height);
    void RequestAlign();
    void InvalidateControl(bool isVisible, bool isOpaque);
    // Font changed (owned TFont's OnChange).
    virtual void FontChanged(TObject* sender);

    // Mouse message handlers (client coordinates in LParam).
    virtual void WMLButtonDown(TMessage& m);
    virtual void WMLButtonUp(TMessage& m);
    virtual void WMLButtonDblClk(TMessage& m);
    virtual void WMRButtonDown(TMessage& m);
    virtual void WMRButtonUp(TMessage& m);
    virtual void WMMButtonDown(TMessage& m);
    virtual void WMMButtonUp(TMessage& m);
    virtual void WMMouseMove(TMessage& m);
    virtual void WMContextMenu(TMessage& m);
    virtual void CMMouseEnter(TMessage& m);
    virtual void CMMouseLeave(TMessage& m);
    virtual void CMEnabledChanged(TMessage& m);
    virtual void CMVisibleChanged(TMessage& m);
    virtual void CMTextChanged(TMessage& m);
    virtual void CMFontChanged(TMessage& m);
    virtual void CMColorChanged(TMessage& m);
    virtual void CMParentFontChanged(TMessage& m);
    virtual void CMParentColorChanged(TMessage& m);
    virtual void CMParentShowHintChanged(TMessage& m);
    virtual void CMHitTest(TMessage& m);
    // CM_BIDIMODECHANGED after BiDiMode changed; CM_PARENTBIDIMODECHANGED from the parent
    // (a control with ParentBiDiMode takes the parent's).
    virtual void CMBiDiModeChanged(TMessage& m);
    virtual void CMParentBiDiModeChanged(TMessage& m);
    // Control messages a subclass overrides (each answers 0 unless stated):
    // CM_CHANGED after the value changed (Changed). CM_WANTSPECIALKEY (WParam = key) before
    // Tab, Enter, Escape, Cancel, Execute or an arrow becomes a dialog key: 1 keeps the key
    // in the control. CM_CANCELMODE (LParam = the control that caused it) when a mode must
    // end. CM_HINTSHOW (LParam = THintInfo*) before the hint shows: the handler may change
    // the hint's text and place; non-zero shows none. CM_MOUSEWHEEL (WParam and LParam as
    // WM_MOUSEWHEEL's): calls DoMouseWheel, passes an unhandled turn to the parent, answers
    // 1 when handled.
    virtual void CMChanged(TMessage& m);
    virtual void CMWantSpecialKey(TMessage& m);
    virtual void CMCancelMode(TMessage& m);
    virtual void CMHintShow(TMessage& m);
    virtual void CMMouseWheel(TMessage& m);

    TWinControl* FParent = nullptr;
    TWinControl* FHostDockSite = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akLeft | akTop;
    // Anchor reference: bounds and parent client size when the anchored position was last set.
    TRect FAnchorBounds{};
    TPoint FAnchorParentSize{};
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor;
    bool FParentColor = true;
    TFont* FFont = nullptr;
    bool FParentFont = true;
    String FText;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TPopupMenu* FPopupMenu = nullptr;
    TCursor FCursor = crDefault;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState FControlState = 0;
    bool FMouseInClient = false;
    int FCurrentPPI = 96;
    TSizeConstraints FConstraints;
    bool FAutoSize = false;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;

    void Notification(TComponent* component, TOperation operation) override;
    // The linked action changed (sender): the control takes its Enabled.
    virtual void ActionChange(TObject* sender, bool checkDefaults);

private:
    friend class TBasicAction;
    TControlActionLink* FActionLink = nullptr;
};

// ---- TWinControl -------------------------------------------------------------------------------

struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    HMENU Menu = nullptr;   // a child's id
    void* Param = nullptr;
    WNDCLASSEXW WindowClass{};
    String WinClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, made (with the parent's) when it does not exist yet. While the window is
    // being made (its creation hooks run) it answers what exists so far, possibly nullptr,
    // and never starts a second window. The same holds for a child asked while its parent's
    // window is being made and does not exist yet: it answers nullptr and gets its window
    // with the parent's.
    HWND Handle();
    // The window if it exists, else nullptr; never makes one. Use it wherever asking must not
    // create a window: const code, hooks, queries during creation or destruction.
    HWND ExistingHandle() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // The child-window id of this control's window (0 for a top-level window). Unique among
    // the live windows of the process, so siblings never share one.
    UINT ControlId() const { return FControlId; }
    // The window a parentless control is created in (a form inside a foreign window).
    HWND ParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND wnd);
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // Sends the message to every child control (stops at the first that answers non-zero).
    void Broadcast(TMessage& message);
    // The child at a client point: graphic children first; windowed ones when asked.
    TControl* ControlAtPos(const TPoint& pos, bool allowDisabled, bool allowWinControls = false) const;
    // Moves a child to position order of the child list (clamped); a windowed child's window
    // follows in the z order.
    void SetChildOrder(TControl* child, int order);

    void SetFocus();
    // Has the keyboard focus (its window is the focus window). A control made of several
    // windows answers for all of them.
    virtual bool Focused() const;
    virtual bool CanFocus() const;
    // Width of the band inside the window's frame that is not client area (painted in Color).
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int width);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool on);
    int TabOrder() const;
    void SetTabOrder(int order);
    // Windowed children in tab order, containers expanded (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool on);
    bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
    void SetParentBackground(bool on);
    // Paints the control (frame and client area) and then each visible windowed child once
    // into dc at (x, y). While it paints, the control and its graphic children carry
    // csPaintCopy in ControlState, so painters can tell a copy from the screen.
    void PaintTo(HDC dc, int x, int y);

    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    void Realign();

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    bool Showing() const override;
    void SetBounds(int left, int top, int width, int height) override;
    void ChangeScale(int m, int d, bool isDpiChange = false) override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Brush of the background colour, kept for WM_CTLCOLOR* answers.
    HBRUSH BrushHandle();

    // The default window procedure behind this control (native class or DefWindowProc).
    WNDPROC DefWndProc() const { return FDefWndProc; }

    // A dock site takes controls offered to it (TControl::ManualDock).
    bool DockSite() const { return FDockSite; }
    void SetDockSite(bool on) { FDockSite = on; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

protected:
    friend class TControl;
    friend class TCustomForm;
    friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    // Destroys the window (children first) while the whole object still exists, so every
    // subclass's DestroyWnd and message handlers run for its own window. Subclasses free
    // their own members in their destructors and never destroy the window there.
    void BeforeDestruction() override;
    String GetText() const override;
    void SetTextCore(const String& s) override;

    virtual void CreateParams(TCreateParams& params);
    // Registers (once) the window class of params and creates the window.
    virtual void CreateWindowHandle(const TCreateParams& params);
    // The system call that makes the window of the registered class (CreateWindowEx); a
    // window that must be made another way (an MDI child) overrides it.
    virtual HWND MakeWindow(const TCreateParams& params, HMENU id);
    virtual void CreateWnd();
    virtual void DestroyWindowHandle();
    virtual void DestroyWnd();
    // Makes the window (CreateWnd) and then the windows of the windowed children; called by
    // HandleNeeded. An override calls the base first and may then set up the new window
    // (none may exist yet: a child whose parent is still being made waits for it).
    virtual void CreateHandle();
    // Destroys the windows of the children, then this window (DestroyWnd).
    void DestroyHandle();
    // Superclasses a native class: the window class gets our name, the native procedure
    // becomes the default handler.
    void CreateSubClass(TCreateParams& params, const wchar_t* nativeClass);
    void UpdateControlState();
    virtual void AlignControls(TControl* control, TRect& rect);
    void AlignControl(TControl* control);
    // Painting: our own (non-native) windows paint their background, PaintWindow and the
    // graphic children.
    virtual void PaintWindow(HDC dc);
    void PaintHandler(TMessage& m);
    void PaintControls(HDC dc, TControl* first);
    // Key handling: answers true when the key was eaten.
    virtual bool DoKeyDown(TMessage& m);
    virtual bool DoKeyPress(TMessage& m);
    virtual bool DoKeyUp(TMessage& m);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    virtual void DoEnter();
    virtual void DoExit();
    void FontChanged(TObject* sender) override;
    void UpdateBoundsRect(int left, int top, int width, int height) override;
    // Called after the window exists, to push properties kept in fields into it.
    virtual void ShowControl() {}

    virtual void WMPaint(TMessage& m);
    virtual void WMEraseBkgnd(TMessage& m);
    virtual void WMPrintClient(TMessage& m);
    virtual void WMCommand(TMessage& m);
    virtual void WMNotify(TMessage& m);
    virtual void WMDrawItem(TMessage& m);
    virtual void WMMeasureItem(TMessage& m);
    virtual void WMCompareItem(TMessage& m);
    virtual void WMDeleteItem(TMessage& m);
    virtual void WMScroll(TMessage& m);
    virtual void WMCtlColor(TMessage& m);
    virtual void WMCharToItem(TMessage& m);
    virtual void WMSize(TMessage& m);
    virtual void WMMove(TMessage& m);
    virtual void WMWindowPosChanged(TMessage& m);
    virtual void WMSetFocus(TMessage& m);
    virtual void WMKillFocus(TMessage& m);
    virtual void WMSetCursor(TMessage& m);
    virtual void WMMouseLeave(TMessage& m);
    virtual void WMKeyDown(TMessage& m);
    virtual void WMKeyUp(TMessage& m);
    virtual void WMChar(TMessage& m);
    virtual void WMNCDestroy(TMessage& m);
    virtual void WMGetDlgCode(TMessage& m);
    virtual void CNKeyDown(TMessage& m);
    virtual void CNKeyUp(TMessage& m);
    virtual void CNChar(TMessage& m);
    virtual void CMDialogKey(TMessage& m);
    virtual void CMDialogChar(TMessage& m);
    virtual void CMEnter(TMessage& m);
    virtual void CMExit(TMessage& m);
    virtual void CMFocusChanged(TMessage& m);
    virtual void CMShowingChanged(TMessage& m);
    virtual void CMChildKey(TMessage& m);
    void CMVisibleChanged(TMessage& m) override;
    void CMEnabledChanged(TMessage& m) override;
    void CMFontChanged(TMessage& m) override;
    void CMColorChanged(TMessage& m) override;
    void CMParentFontChanged(TMessage& m) override;
    void CMParentColorChanged(TMessage& m) override;
    void CMTextChanged(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    // CM_RECREATEWND, performed by RecreateWnd: destroys and makes the window again (a
    // handler may act before or after the base).
    virtual void CMRecreateWnd(TMessage& m);
    virtual void WMMouseWheel(TMessage& m);
    // The frame: BorderWidth is taken from the client area and painted in Color.
    virtual void WMNCCalcSize(TMessage& m);
    virtual void WMNCPaint(TMessage& m);
    // Files dropped from the shell on a window that accepts them (DragAcceptFilesBound in
    // CreateHandle): WParam is the HDROP. The base lets the system free it.
    virtual void WMDropFiles(TMessage& m);
    // Announces CM_SHOWINGCHANGED to every windowed child (at any depth) whose Showing()
    // differs from what it was last told.
    void UpdateChildrenShowing();
    // Docking: CM_DOCKCLIENT (LParam = TDragDockObject*) on a dock site docks the control
    // (its Dock into this site), answering 0. DoAddDockClient places a docked client: it
    // becomes a child of this control, with ARect as its bounds when not empty.
    virtual void CMDockClient(TMessage& m);
    virtual void DoAddDockClient(TControl* Client, const TRect& ARect);
    // Moves a child's anchor reference with it (a scrolled child keeps its anchoring).
    static void OffsetAnchorReference(TControl* child, int dx, int dy) { child->FAnchorBounds.Offset(dx, dy); }

    HWND FHandle = nullptr;
    bool FShowing = false;   // Showing() as last announced with CM_SHOWINGCHANGED
    UINT FControlId = 0;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;    // all children, graphic and windowed, in z order
    std::vector<TWinControl*> FTabList;  // windowed children in tab order
    bool FTabStop = false;
    bool FDoubleBuffered = false;
    bool FTrackingMouse = false;
    TControl* FMouseControl = nullptr;     // graphic child under the mouse
    TControl* FCaptureControl = nullptr;   // graphic child that captured the mouse
    int FAlignLevel = 0;
    int FBorderWidth = 0;
    HBRUSH FBrush = nullptr;
    TColor FBrushColor{};
    // The control paints itself (PaintHandler) rather than leaving WM_PAINT to the native class.
    bool FOwnPaint = true;
    bool FDockSite = false;
};

// The client area of a window in the coordinates of its whole window rectangle (where the
// non-client painting of a frame band or bevel goes around it).
TRect ClientAreaInWindow(HWND wnd);

// Answers the control object of one of our windows, or nullptr.
TWinControl* FindControl(HWND wnd);
// The form a control sits on (the topmost parent that is a form), or nullptr.
TCustomForm* GetParentForm(const TControl* control);

// ---- TGraphicControl / TCustomControl ---------------------------------------------------------

// A canvas over a control: a graphic control's area of its parent's DC, or a windowed
// control's own client DC, fetched when first drawn on and released by FreeHandle.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control) : FControl(control) {}
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void FreeHandle();
    void UpdateTextFlags() {}

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    HDC FDeviceContext = nullptr;
    HWND FWindowHandle = nullptr;
};

// For one paint: a control's canvas over a DC it does not own, locked, with the control's
// font and (unless clNone) brush colour. The scope's end lets go of the DC and the lock, also
// when painting throws; restoreDCState also puts back what the painter changed in the DC.
class TControlCanvasPaint {
public:
    TControlCanvasPaint(TCanvas* canvas, HDC dc, const TFont* font, TColor brushColor = clNone,
                        bool restoreDCState = false);
    ~TControlCanvasPaint();
    TControlCanvasPaint(const TControlCanvasPaint&) = delete;
    TControlCanvasPaint& operator=(const TControlCanvasPaint&) = delete;

private:
    void Release();

    TCanvas* FCanvas;
    HDC FDC;
    int FSavedDC = 0;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& message) override;
    // WM_PAINT with the parent's DC in WParam (moved to the control's origin). WM_PRINT and
    // WM_PRINTCLIENT with a DC paint the same way, so a graphic control can be printed alone.
    virtual void WMPaint(TMessage& m);

    TCanvas* FCanvas = nullptr;
};

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint();
    void PaintWindow(HDC dc) override;

    TCanvas* FCanvas = nullptr;
};

// Runs the common controls' start-up (once per process).
void InitCommonControlsOnce();
// Major version of the controls behind the standard classes: 6 when the program runs with
// the common-controls version 6 manifest (split buttons, button image lists), else 5.
int CommonControlsVersion();
