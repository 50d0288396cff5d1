// Forms shown as the popup of a control (a drop-down edit's calendar, calculator or grid): placed
// under their owner, opened with a short growing fade, given a soft layered shadow, watched and
// closed when the user clicks or types elsewhere, switches applications or moves the mouse
// capture away; the owner is told when its popup closed.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "skin/controls/core/popup_opening.h"
#include "vcl/forms.h"
#include "vcl/subclass.h"

class TacThreadedTimer;
class TsPopupController;
class TacShadowForm;

// The record scmUpdateShadow carries in LParam: the owner's visible part on the screen.
struct TacShadowUpdate {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t Alpha = 255;
};

// One popup form with its owner control while it is open (kept, unhooked, between shows).
class TacFormHandler {
public:
    TacFormHandler(TsPopupController* controller, TForm* form, TWinControl* owner);
    ~TacFormHandler();
    TacFormHandler(const TacFormHandler&) = delete;
    TacFormHandler& operator=(const TacFormHandler&) = delete;

    // Closes the popup unless forbidden or vetoed (CloseQuery, OnClose with caNone); the owner
    // is told; the hooks come off in every case that closes.
    void DoClose(bool hide);
    // The watchdog's step (every 100 ms while open).
    void CheckTimerTick(TObject* sender = nullptr);
    void Restore();
    void InstallHooks();

    TsPopupController* Controller;
    TForm* PopupForm = nullptr;
    TWinControl* PopupCtrl = nullptr;
    TCustomForm* ParentForm = nullptr;
    std::unique_ptr<TacShadowForm> ShadowForm;
    // The shadow's window (nullptr before the first show).
    HWND ShadowWindow() const;
    HWND CaptureHandle = nullptr;
    TCloseEvent OldOnClose;
    TacThreadedTimer* CheckTimer = nullptr;
    bool Initialized = false;
    bool ClosingForbidden = false;
    bool Closed = false;

private:
    void FormHook(TMessage& m);
    void CtrlHook(TMessage& m);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDeactivate(TObject* sender);
    std::optional<TWindowHookObject> FFormHook, FCtrlHook;
};

class TsPopupController : public TComponent {
public:
    TsPopupController();
    ~TsPopupController() override;

    bool DoSetFocus = false;
    bool SkipOpen = false;
    int AnimDirection = 0;   // PopupOpensUpward, PopupShiftedLeft
    bool MousePressed = false;
    bool IgnoreCapture = false;
    std::vector<std::unique_ptr<TacFormHandler>> FormHandlers;   // entries may be empty

    int AddFormHandler(TForm* form, TWinControl* owner);
    int GetFormIndex(TForm* form);
    TacFormHandler* HandlerOf(TForm* form);
    // Closes every visible popup but the one whose owner lies on exceptChild's form; with none
    // left visible the handlers go.
    void KillAllForms(TControl* exceptChild);
    int PopupCount(TCustomForm* exceptForm);
    int PopupChildCount(TCustomForm* parentForm);
    void ClosingForbide(TForm* form);
    void ClosingAllow(TForm* form);
    // Another popup's owner control lies on form (a popup opened from inside a popup).
    bool OwnsOtherPopup(TForm* form);
    void AnimateOpening(TForm* form, int time, uint8_t alpha);

    void Notification(TComponent* component, TOperation operation) override;

    // Whether the application is the active one (the test answers it).
    static inline std::function<bool()> ApplicationActive;
};

// The one controller (nullptr until a popup was first shown).
TsPopupController* PopupController();
void FreePopupController();
// Shows form as the popup of owner: under it for left = top = -1, else at that screen point.
void ShowPopupForm(TForm* form, TWinControl* owner, int left = -1, bool animated = true, int top = -1);
