// Forms (top-level windows with the focus chain, modal loop and close protocol), the screen
// object, and hint windows.
//
// A form built in code:
//
//   class TMyForm : public TForm {
//   public:
//       explicit TMyForm(TComponent* owner) : TForm(owner)
//       {
//           BeginLoading();
//           btnOk = new TButton(this);
//           btnOk->SetParent(this);
//           btnOk->SetBounds(10, 10, 75, 25);
//           btnOk->OnClick = Bind<&TMyForm::btnOkClick>(this);
//           OnCreate = Bind<&TMyForm::FormCreate>(this);
//           EndLoading();   // Loaded on every component, the form last: OnCreate fires here
//       }
//   };
//   Application->CreateForm(MyForm);   // the first form created this way is the main form
//
// Forms are freed through their owner, delete, TObject::Free or FreeAndNil: each runs
// BeforeDestruction first, which fires OnDestroy, destroys the window and frees the form's
// components while the derived form is still whole.
#pragma once

#include "vcl/application.h"
#include "vcl/controls.h"
#include "vcl/strings.h"

class TMainMenu;
class TMenuItem;

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
    poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormStateFlag : unsigned { fsCreating = 1, fsVisible = 2, fsShowing = 4, fsModal = 8, fsCreatedMDIChild = 16, fsActivated = 32 };
using TFormState = unsigned;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrClose = 8, mrHelp = 9, mrTryAgain = 10,
                       mrContinue = 11, mrAll = 12, mrNoToAll = 13, mrYesToAll = 14;

using TCloseEvent = Method<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = Method<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    void BeforeDestruction() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle s);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TIcon* Icon() const { return FIcon; }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition p) { FPosition = p; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState s);
    // fsMDIForm: the form holds an MDI client window (ClientHandle) in which its fsMDIChild
    // forms live. A child finds its frame (the main form, else the first MDI form) when its
    // window is made; changing between MDI and other styles makes the window again.
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle s);
    HWND ClientHandle() const { return FClientHandle; }
    // The MDI children of an MDI form, the active one first (z order).
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const;
    TCustomForm* ActiveMDIChild() const;
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool on) { FKeyPreview = on; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* menu);
    // An MDI form's window menu: the item (with sub-items, usually of the main menu) under
    // whose popup the MDI client lists the children.
    TMenuItem* WindowMenu() const { return FWindowMenu; }
    void SetWindowMenu(TMenuItem* item);
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool on);
    uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(uint8_t v);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult r) { FModalResult = r; }
    TFormState FormState() const { return FFormState; }
    bool Active() const { return FActive; }
    TCanvas* Canvas() const { return FCanvas; }

    void Show();
    void Hide() { SetVisible(false); }
    // Asks CloseQuery, then OnClose decides: hide (the default), free, minimise or stay. A
    // modal form only sets ModalResult to mrCancel; closing the main form ends the program.
    void Close();
    virtual bool CloseQuery();
    // Shows the form, disables the other windows of the program and runs the message loop
    // until ModalResult is set (or the program ends). Answers the result.
    virtual TModalResult ShowModal();
    // Frees the form once the messages in the queue have been handled.
    void Release();
    // Focus: SetFocus of a control lands here; SetFocusedControl is called by WM_SETFOCUS.
    void FocusControl(TWinControl* control);
    void SetFocusedControl(TWinControl* control);
    void SelectFirst();
    // CM_CANCELMODE (LParam = sender) to the active control while the form is active.
    void SendCancelMode(TControl* sender);

    // The layout in code is made at DesignPPI. A Scaled form (the default) is scaled once to
    // the screen's PPI when its loading ends (EndLoading), before OnCreate; its fonts are made
    // at the screen's PPI already and keep their heights. Set Scaled before EndLoading. Only a
    // Scaled form follows WM_DPICHANGED.
    static constexpr int DesignPPI = 96;
    bool Scaled() const { return FScaled; }
    void SetScaled(bool on) { FScaled = on; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    // Key preview entry points (the focused control asks its form first).
    bool DoKeyDown(TMessage& m) override;
    bool DoKeyUp(TMessage& m) override;
    bool DoKeyPress(TMessage& m) override;

protected:
    friend class TApplication;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void PaintWindow(HDC dc) override;
    TRect ClientRect() const override;
    bool Showing() const override;

    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();

    virtual void WMClose(TMessage& m);
    virtual void WMActivate(TMessage& m);
    virtual void WMQueryEndSession(TMessage& m);
    virtual void WMSysCommand(TMessage& m);
    virtual void WMInitMenuPopup(TMessage& m);
    virtual void WMMenuSelect(TMessage& m);
    virtual void CMRelease(TMessage& m);
    // CM_MENUCHANGED: the main menu changed (items, captions or the menu itself); the base
    // puts the menu on the window again and redraws the menu bar.
    virtual void CMMenuChanged(TMessage& m);
    virtual void WMCancelMode(TMessage& m);
    void WMSetFocus(TMessage& m) override;
    void CMDialogKey(TMessage& m) override;
    void CMShowingChanged(TMessage& m) override;
    void CMVisibleChanged(TMessage& m) override;

    void DefaultHandler(TMessage& message) override;
    // An MDI child is made by its MDI client (WM_MDICREATE), which keeps the list of them.
    HWND MakeWindow(const TCreateParams& params, HMENU id) override;
    // ... and destroyed by it (WM_MDIDESTROY), which then activates the next child.
    void DestroyWindowHandle() override;
    void AlignControls(TControl* control, TRect& rect) override;
    void DestroyWnd() override;
    // Scales the client size (the form keeps its place on the screen) and the children.
    void ChangeScale(int m, int d, bool isDpiChange = false) override;
    // WM_DPICHANGED: the form and everything on it take the new PPI (the message's Y value)
    // and the window takes the rectangle the system proposes.
    virtual void WMDpiChanged(TMessage& m);
    std::vector<TCustomForm*> CollectMDIChildren() const;
    TCustomForm* FindMDIFrame() const;

    void UpdateLayered();
    void PlaceOnFirstShow();
    void CloseModal();

    TBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TIcon* FIcon = nullptr;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    bool FKeyPreview = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TMainMenu* FMenu = nullptr;
    TMenuItem* FWindowMenu = nullptr;
    bool FAlphaBlend = false;
    uint8_t FAlphaBlendValue = 255;
    TModalResult FModalResult = mrNone;
    TFormState FFormState = 0;
    bool FActive = false;
    bool FCreated = false;
    bool FScaled = true;
    bool FBeforeDestructionDone = false;
    bool FPlaced = false;
    TCanvas* FCanvas = nullptr;
    HWND FClientHandle = nullptr;
};

// Asks the system for per-monitor PPI awareness (forms follow WM_DPICHANGED), so that it
// reports the real PPI instead of stretching a 96-PPI picture. Call before the first window
// or PPI query; false where the system cannot do it.
bool DeclarePerMonitorPpiAware();

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// ---- Screen ------------------------------------------------------------------------------------

enum TMonitorDefaultTo { mdNearest, mdNull, mdPrimary };

// One display of the desktop, as the system describes it when asked.
class TMonitor : public TObject {
public:
    explicit TMonitor(HMONITOR handle, int number) : FHandle(handle), FNumber(number) {}
    HMONITOR Handle() const { return FHandle; }
    int MonitorNum() const { return FNumber; }
    TRect BoundsRect() const;
    TRect WorkareaRect() const;
    int Left() const { return BoundsRect().left; }
    int Top() const { return BoundsRect().top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }
    bool Primary() const;
    // The display's pixels per inch (the system's per-monitor value where it has one).
    int PixelsPerInch() const;

private:
    HMONITOR FHandle;
    int FNumber;
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int index) const { return FForms.at(static_cast<size_t>(index)); }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }
    // Installed font family names, sorted.
    TStrings* Fonts();
    // The cursor of an id (system ids are negative; programs add their own with SetCursors).
    HCURSOR Cursors(TCursor id) const;
    void SetCursors(TCursor id, HCURSOR cursor);
    // A cursor for the whole program (crDefault: each control's own).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor c);
    int PixelsPerInch() const;
    TRect WorkAreaRect() const;
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    TRect DesktopRect() const;
    int Width() const;
    int Height() const;
    // The displays, read anew from the system on each call of MonitorCount.
    int MonitorCount() const;
    TMonitor* Monitors(int index) const;
    TMonitor* PrimaryMonitor() const;
    TMonitor* MonitorFromPoint(const TPoint& point, TMonitorDefaultTo fallback = mdNearest) const;
    TMonitor* MonitorFromWindow(HWND wnd, TMonitorDefaultTo fallback = mdNearest) const;
    TMonitor* MonitorFromRect(const TRect& rect, TMonitorDefaultTo fallback = mdNearest) const;
    // The forms of the program (as Forms; the name the form skinning asks for).
    int CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(int index) const { return Forms(index); }
    TFont* HintFont() const { return FHintFont; }
    TFont* MenuFont() const { return FMenuFont; }
    // The system's message-box font.
    TFont* MessageFont() const { return FMessageFont; }

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form);
    void SetFocusedControl(TCustomForm* form, TWinControl* control);

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TStringList* FFonts = nullptr;
    std::vector<std::pair<TCursor, HCURSOR>> FCursors;
    TCursor FCursor = crDefault;
    TFont* FHintFont = nullptr;
    TFont* FMenuFont = nullptr;
    TFont* FMessageFont = nullptr;
    // Monitors met so far, one object per HMONITOR (kept, so pointers stay valid).
    TMonitor* FindMonitor(HMONITOR handle) const;
    mutable std::vector<TMonitor*> FMonitors;
};

// The screen object (made with the first form or by the application).
extern TScreen* Screen;
TScreen* ScreenNeeded();

// ---- Hints -------------------------------------------------------------------------------------

// A plain hint window: a bordered popup with the hint text.
class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    // Shows the text in rect (screen coordinates).
    virtual void ActivateHint(const TRect& rect, const String& hint);
    // The rectangle (at 0, 0) the text needs, wrapped at maxWidth.
    virtual TRect CalcHintRect(int maxWidth, const String& hint);
    void ReleaseHandle() { DestroyHandle(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void Dispatch(TMessage& message) override;
};

// What the application hands OnShowHint before a hint is shown.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint HintPos;        // screen
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;      // client coordinates of HintControl
    TPoint CursorPos;      // client coordinates of HintControl
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    String HintStr;
};
using TShowHintEvent = TShowHintEventA;

// Makes the hint window the application uses (replaceable, e.g. by a skinned hint class).
using THintWindowFactory = THintWindow* (*)(TComponent* owner);
extern THintWindowFactory HintWindowClass;
template <class T>
void SetHintWindowClass()
{
    HintWindowClass = [](TComponent* owner) -> THintWindow* { return new T(owner); };
}
