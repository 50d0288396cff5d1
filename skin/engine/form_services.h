// What the painters, controls and the skin manager ask of the form skinning, behind one
// replaceable object. Until the form skinning exists the default answers as a system without
// those services would (no hook work, no providers, no skinned menus or hints, no taskbar
// images, composition off); tests and the form skinning install their own. No windows.h here:
// window handles are the system's HWND on Windows and opaque pointers elsewhere.
#pragma once

#include <cstdint>
#include <memory>

#include "vcl/sysutils.h"
#include "vcl/types.h"

#ifdef _WIN32
using TacWnd = HWND;
#else
using TacWnd = void*;
#endif

class TsSkinManager;
class TCustomForm;
class THintWindow;
class TPopupMenu;
class TObject;

// A manager's menu skinning (its TsSkinableMenus): the manager drops its reference to the skin
// data at every reset, invalidates its cached border width when a skin is published, and has
// it apply or re-apply skinning to the application's menus.
class TacMenuSkinning {
public:
    virtual ~TacMenuSkinning() = default;
    virtual void DropSkinData() {}
    virtual void ResetBorderWidth() {}
    virtual void InitItems(bool enable) { (void)enable; }
    virtual void UpdateMenus() {}
    // The manager's menu font option changed (rebuild or free the shared menu font).
    virtual void CustomFontChanged() {}
    // Draws the skinned border onto a popup menu's window when it knows that menu with a
    // bitmap; false when it does not.
    virtual bool DrawWndBorder(TacWnd menuWnd)
    {
        (void)menuWnd;
        return false;
    }
    // A control's popup menu is about to drop down: it is skinned with it (skinned: the
    // manager is active).
    virtual void HookPopupMenu(TPopupMenu* menu, bool skinned) { (void)menu, (void)skinned; }
};

class TacFormServices {
public:
    virtual ~TacFormServices() = default;
    // Desktop composition is on (layered images are then shown premultiplied without limits).
    virtual bool IsDesktopCompositionOn() { return false; }

    // ---- the window-creation hook ----
    // Called for every WH_CBT notification of the main thread while the default manager's hook
    // is installed (after the next hook was called; its answer stands).
    virtual void CBTHookNotify(int code, uintptr_t wParam, intptr_t lParam)
    {
        (void)code, (void)wParam, (void)lParam;
    }
    // Lets the form skinning decide whether a top-level window is skinned and attach to it.
    virtual void AddProviderForWindow(TacWnd wnd, TCustomForm* form) { (void)wnd, (void)form; }
    // Frees the wrappers of skinned popup-menu windows.
    virtual void FreeMenuWrappers() {}
    // The list of windows the hook attached to: made when a manager needs it, its objects
    // freed when the hook goes, its visible windows redrawn when the forms are repainted.
    virtual void CreateHookedWindowList() {}
    virtual void FreeHookedWindows() {}
    virtual void RedrawHookedWindows() {}
    // A skin command to every window the hook attached to (their wrappers answer it).
    virtual void SendToHookedWindows(unsigned command, intptr_t lParam) { (void)command, (void)lParam; }

    // ---- skin providers of forms ----
    // The provider draws the form inside a layered border window of its own.
    virtual bool ProviderHasBorderForm(TObject* provider)
    {
        (void)provider;
        return false;
    }
    // Where the form's client area lies in the provider's window image (OffsetX, OffsetY).
    virtual TPoint ProviderClientOffset(TObject* provider)
    {
        (void)provider;
        return TPoint();
    }

    // ---- a form's skin provider, for a scale-mode change ----
    // The manager of the provider's link (nil when it has none).
    virtual TsSkinManager* ProviderManager(TObject* provider)
    {
        (void)provider;
        return nullptr;
    }
    // The provider's form enters its scaling state (its form states set, its extended-border
    // window placed again and shown) and leaves it. The engine switches the form's redraw off
    // after entering, and rebuilds its cached image before leaving and switches redraw on after.
    virtual void ProviderEnterScaling(TObject* provider) { (void)provider; }
    virtual void ProviderLeaveScaling(TObject* provider) { (void)provider; }
    // The provider's link has a section of the skin (a form without one is redrawn whole).
    virtual bool ProviderHasSkinSection(TObject* provider)
    {
        (void)provider;
        return false;
    }

    // ---- menus ----
    virtual std::unique_ptr<TacMenuSkinning> CreateMenuSkinning(TsSkinManager* manager)
    {
        (void)manager;
        return std::make_unique<TacMenuSkinning>();
    }

    // ---- hints ----
    // An active hint component shows text at a screen point for hideTime ms and answers its
    // hint window; nil when there is none (the caller shows a plain hint).
    virtual THintWindow* ShowAlphaHint(const TPoint& pos, const String& text, int hideTime)
    {
        (void)pos, (void)text, (void)hideTime;
        return nullptr;
    }
    // Frees the hint component's window; false when there is no active hint component.
    virtual bool HideAlphaHint() { return false; }

    // ---- desktop window manager ----
    // DwmSetWindowAttribute when the system has it; E_NOTIMPL otherwise (0 is success).
    virtual int32_t CallDwmSetWindowAttribute(TacWnd wnd, uint32_t attribute, const void* value, uint32_t size)
    {
        (void)wnd, (void)attribute, (void)value, (void)size;
        return static_cast<int32_t>(0x80004001u);
    }
    virtual void InvalidateIconicBitmaps(TacWnd wnd) { (void)wnd; }

    // ---- a form's skin provider, for the application window's hook ----
    // (the provider is what a form answers to scmGetProvider)
    // The provider draws the form's frame (DrawNonClientArea on) and may animate it (neither
    // skipping animations nor having them switched off).
    virtual bool ProviderAnimatesFrame(TObject* provider)
    {
        (void)provider;
        return false;
    }
    // From now on the provider skips its animations.
    virtual void ProviderSkipAnimations(TObject* provider) { (void)provider; }
    // The minimise and restore animations; false when they did not start.
    virtual bool StartMinimizeAnimation(TObject* provider)
    {
        (void)provider;
        return false;
    }
    virtual bool StartRestoreAnimation(TObject* provider)
    {
        (void)provider;
        return false;
    }
    // Frees the provider's extended-border window unless it is animating.
    virtual void FreeExtendedBorder(TObject* provider) { (void)provider; }
    // Clears the form-hiding flag of the provider's form; answers whether it was set.
    virtual bool TakeFormHidingFlag(TObject* provider)
    {
        (void)provider;
        return false;
    }
    // The skinned system menu dropped at a screen point.
    virtual void DropSysMenu(TObject* provider, const TPoint& at) { (void)provider, (void)at; }
    // Custom taskbar thumbnails are on; the thumbnail and live preview of the application
    // window made from the provider's form (true when made).
    virtual bool CustomThumbnails() { return false; }
    virtual bool SetIconicThumbnail(TacWnd app, TObject* provider, int width, int height)
    {
        (void)app, (void)provider, (void)width, (void)height;
        return false;
    }
    virtual bool SetIconicLivePreview(TacWnd app, TObject* provider)
    {
        (void)app, (void)provider;
        return false;
    }
};

// The services in force: the installed object, else the do-nothing default.
TacFormServices& FormServices();
// Installs services (nullptr: back to the default); the caller keeps ownership.
void SetFormServices(TacFormServices* services);

inline bool IsDesktopCompositionOn() { return FormServices().IsDesktopCompositionOn(); }
