// A skinned control's link to the skin, as far as windows find it: every skinned control, form
// and wrapped window owns a TsCommonData and publishes it on its window as the property
// "ACSDATA", so the rest of the program finds the link from a window handle. The link holds
// the window procedure through which skin commands are delivered to it directly.
#pragma once

#include "vcl/controls.h"

class TsSkinManager;
class TacSkinData;

// Window properties shared with the window wrappers: the link, and the scroll-bar wrapper.
inline constexpr const wchar_t* acPropCommonData = L"ACSDATA";
inline constexpr const wchar_t* acPropWrapper = L"ACSBSC";

class TsCommonData : public TPersistent {
public:
    // owner: the control, skin provider or wrapper the link belongs to.
    explicit TsCommonData(TObject* owner);
    ~TsCommonData() override;

    // The procedure skin commands are delivered through directly; unassigned while its code is nil.
    TWndMethod WndProc;
    TObject* FOwnerObject = nullptr;
    TControl* FOwnerControl = nullptr;   // nil for links of skin providers and foreign windows
    TsSkinManager* FSkinManager = nullptr;   // nil: the default manager
    int SkinIndex = -1;                  // section of the control; -1 = not skinned
    int CurrentPPI = 96;

    // The manager that governs the link: its own, else the default manager.
    TsSkinManager* SkinManager() const;
    // The skin data of the link's PPI.
    TacSkinData* ResolveSkinData() const;
    // The link governs a skinned control now: a live manager, a section index within its
    // skin data and an owner not being destroyed; with checkSkinActive the manager's skin must
    // also be active. Never throws.
    bool Skinned(bool checkSkinActive = false) const;

    // Publishes the link on wnd ("ACSDATA"), or takes it off again.
    void AttachToWindow(HWND wnd);
    void DetachFromWindow();
    HWND AttachedWindow() const { return FWindow; }

private:
    HWND FWindow = nullptr;
};

// The link published on a window, or nullptr.
TsCommonData* CommonDataFromHandle(HWND wnd);
// The window is skinned: it carries a link or a scroll-bar wrapper, or answers scmIsSkinned with 1.
bool WndIsSkinned(HWND wnd);
// A control is skinned: a graphic control (or one without a window yet) answers scmIsSkinned
// with 1; a window with a link or wrapper is (with checkSkinned: when that link is skinned);
// any other window is asked with scmIsSkinned.
bool ControlIsSkinned(TControl* control, bool checkSkinned);
