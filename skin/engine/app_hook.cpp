// The default manager's hook of the application window (skin editor previews, the window
// commands that minimise and restore the program, taskbar images, menu borders, activation)
// and every manager's tracking of the hot control under the mouse.
#include <windows.h>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/skin_editor_data.h"
#include "skin/engine/form_services.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "vcl/application.h"
#include "vcl/forms.h"
#include "vcl/subclass.h"
#include "vcl/timers.h"

namespace {

constexpr UINT WmPopupSystemMenu = 0x313;
constexpr UINT WmDwmSendIconicThumbnail = 0x323;
constexpr UINT WmDwmSendIconicLivePreviewBitmap = 0x326;
// Posted by the menu skinning: it painted an item of a menu whose window it did not know
// (LParam: the menu holding the item), or it knows the menu window (LParam: that window).
constexpr UINT acMenuItemPainted = 0xBCB3;
constexpr UINT acMenuWindowPainted = 0xBCB4;

// A WM_COPYDATA being copied: nested message processing must not start another copy.
bool CopyingEditorData = false;

// The system's own minimise and restore animation, off while the program minimises or
// restores itself (a skinned frame animates instead, or nothing should).
class TSystemAnimationOff {
public:
    TSystemAnimationOff()
    {
        FSaved.cbSize = sizeof FSaved;
        if (SystemParametersInfoW(SPI_GETANIMATION, sizeof FSaved, &FSaved, 0) && FSaved.iMinAnimate) {
            ANIMATIONINFO off{sizeof off, 0};
            FChanged = SystemParametersInfoW(SPI_SETANIMATION, sizeof off, &off, 0) != FALSE;
        }
    }
    ~TSystemAnimationOff()
    {
        if (FChanged) SystemParametersInfoW(SPI_SETANIMATION, sizeof FSaved, &FSaved, 0);
    }
    TSystemAnimationOff(const TSystemAnimationOff&) = delete;
    TSystemAnimationOff& operator=(const TSystemAnimationOff&) = delete;

private:
    ANIMATIONINFO FSaved{};
    bool FChanged = false;
};

TCustomForm* MainFormWithWindow()
{
    TCustomForm* f = Application ? Application->MainForm() : nullptr;
    return f && f->HandleAllocated() && !f->HasState(csDestroying) ? f : nullptr;
}

// What the form answers to scmGetProvider (nil when nothing skins its frame).
TObject* ProviderOf(TCustomForm* form)
{
    return form ? reinterpret_cast<TObject*>(SendSkinCommand(form->Handle(), scmGetProvider, 0)) : nullptr;
}

// Our application window stays hidden; the program is minimised when its main form is.
bool ApplicationMinimized()
{
    if (!Application) return false;
    if (Application->Handle() && IsIconic(Application->Handle())) return true;
    TCustomForm* main = MainFormWithWindow();
    return main && IsIconic(main->Handle());
}

void RedrawWhole(HWND wnd, UINT extra = 0)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | extra);
}

bool IsMenuWindow(HWND wnd)
{
    wchar_t name[16] = {};
    return wnd && GetClassNameW(wnd, name, 16) > 0 && lstrcmpW(name, L"#32768") == 0;
}

// Runs the manager's hook before the application window's own procedure.
class TAppWindowHook : public TObject {
public:
    TAppWindowHook(TsSkinManager* manager, HWND app)
        : FManager(manager), FHook(app, Bind<&TAppWindowHook::WndProc>(this))
    {
    }

private:
    void WndProc(TMessage& m)
    {
        bool handled = false;
        try {
            handled = FManager->AppWindowHook(m);
        } catch (...) {
            // A failed hook step leaves the message to the window.
            handled = false;
        }
        if (!handled) FHook.CallPrevious(m);
    }

    TsSkinManager* FManager;
    TWindowHookObject FHook;
};

}  // namespace

void TsSkinManager::StartAppWindowServices()
{
    auto* timer = new TTimer(this);
    timer->SetInterval(100);
    timer->SetOnTimer(Bind<&TsSkinManager::CheckHotControl>(this));
    TimerCheckHot = timer;
    if (IsWinNT && DefaultManager == this && !Designing() && Application && Application->Handle())
        FAppWindowHook = new TAppWindowHook(this, Application->Handle());
}

void TsSkinManager::StopAppWindowServices()
{
    if (auto* timer = dynamic_cast<TTimer*>(TimerCheckHot)) timer->SetEnabled(false);
    TObject::Free(FAppWindowHook);
    FAppWindowHook = nullptr;
}

bool TsSkinManager::AppWindowHook(TMessage& message)
{
    TacFormServices& services = FormServices();
    const HWND app = Application ? Application->Handle() : nullptr;
    switch (message.Msg) {
    case WM_COPYDATA: {
        if (message.Result != 0 || CopyingEditorData) return false;
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
        // The payload comes from another program: the magic is read only from a payload that
        // holds it, and only what came is copied.
        if (copy && message.WParam == acSkinEditorCopyId && IsSkinEditorPayload(copy->lpData, copy->cbData)) {
            CopyingEditorData = true;
            ReadSkinEditorData(copy->lpData, copy->cbData, PreviewBuffer);
            CopyingEditorData = false;
            if (app) PostMessageW(app, MSG_SKINCOMMAND, SkinCommandWParam(scmPreviewData), 0);
        }
        return true;
    }
    case MSG_SKINCOMMAND:
        if (SkinCommandOf(message.WParam) == scmPreviewData) LoadPreviewSkin();
        return false;
    case WM_SYSCOMMAND: {
        if (!IsActive()) return false;
        const bool composition = IsDesktopCompositionOn();
        const bool animate = AnimEffects()->Minimizing.Active && Effects()->AllowAnimation;
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE: {
            ShowState = saMinimize;
            if (ApplicationMinimized()) return false;
            TCustomForm* main = MainFormWithWindow();
            TObject* provider = main && IsWindowVisible(main->Handle()) ? ProviderOf(main) : nullptr;
            if (!provider) return false;
            if (!animate) {
                services.FreeExtendedBorder(provider);
                return false;
            }
            bool started = false, handled = false;
            if (services.ProviderAnimatesFrame(provider)) {
                services.ProviderSkipAnimations(provider);
                started = services.StartMinimizeAnimation(provider);
                if (!composition) {
                    TSystemAnimationOff off;
                    Application->Minimize();
                    handled = true;
                }
            }
            if (!started) services.FreeExtendedBorder(provider);
            return handled;
        }
        case SC_RESTORE: {
            ShowState = saRestore;
            TCustomForm* main = MainFormWithWindow();
            if (!main || !(main->Visible() || Application->MainFormOnTaskBar())) return false;
            TObject* provider = ProviderOf(main);
            if (!provider) return false;
            const HWND form = main->Handle();
            if (services.TakeFormHidingFlag(provider)) {
                {
                    TSystemAnimationOff off;
                    Application->Restore();
                }
                if (composition) {
                    RedrawWhole(form);
                    const LONG_PTR ex = GetWindowLongPtrW(form, GWL_EXSTYLE);
                    if (ex & WS_EX_LAYERED) {
                        SendSkinCommand(form, scmBGChanged, 0);
                        SetWindowLongPtrW(form, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
                    }
                }
                return false;   // the window restores itself as well
            }
            if (animate && IsWindowVisible(form)) {
                if (!services.ProviderAnimatesFrame(provider)) return false;
                if (!services.StartRestoreAnimation(provider)) {
                    ShowWindow(form, SW_RESTORE);
                    RedrawWhole(form, RDW_UPDATENOW);
                }
                if (composition) return false;
                TSystemAnimationOff off;
                Application->Restore();
                return true;
            }
            if (composition && !Application->MainFormOnTaskBar()) {
                {
                    TSystemAnimationOff off;
                    Application->Restore();
                }
                if (!IsWindowVisible(form)) ShowWindow(form, SW_SHOW);
                RedrawWhole(form, RDW_UPDATENOW);
                return true;
            }
            return false;
        }
        default:
            ShowState = saIgnore;
            return false;
        }
    }
    case WmPopupSystemMenu: {
        TCustomForm* main = Application && Application->MainFormOnTaskBar() ? MainFormWithWindow() : nullptr;
        TObject* provider = ProviderOf(main);
        if (!provider) return false;
        TPoint at;
        ReadCursorPos(at);
        services.DropSysMenu(provider, at);
        return true;
    }
    case WM_THEMECHANGED:
        // The application window keeps theme changes to itself.
        return true;
    case WmDwmSendIconicThumbnail:
    case WmDwmSendIconicLivePreviewBitmap: {
        bool handled = false;
        TCustomForm* main = services.CustomThumbnails() ? MainFormWithWindow() : nullptr;
        const unsigned width = HIWORD(message.LParam), height = LOWORD(message.LParam);
        const bool sized = message.Msg == WmDwmSendIconicLivePreviewBitmap || (width && height);
        if (main && sized) {
            if (TObject* provider = ProviderOf(main))
                handled = message.Msg == WmDwmSendIconicThumbnail
                              ? services.SetIconicThumbnail(app, provider, int(width), int(height))
                              : services.SetIconicLivePreview(app, provider);
        }
        message.Result = 0;
        return handled;
    }
    case CM_ACTIVATE:
        if (Screen)
            for (int i = Screen->FormCount() - 1; i >= 0; --i) {
                if (i >= Screen->FormCount()) continue;   // a form told closed others
                TCustomForm* f = Screen->Forms(i);
                if (f->HandleAllocated()) SendSkinCommand(f->Handle(), scmInvalidate, 0);
            }
        return false;
    case acMenuItemPainted: {
        if (!SkinnedPopups()) return false;
        const HMENU menu = reinterpret_cast<HMENU>(message.LParam);
        RECT r;
        if (!menu || !GetMenuItemRect(nullptr, menu, 0, &r)) return true;
        const HWND wnd = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        if (IsMenuWindow(wnd) && SkinableMenus) SkinableMenus->DrawWndBorder(wnd);
        return true;
    }
    case acMenuWindowPainted: {
        if (!SkinnedPopups()) return false;
        const HWND wnd = reinterpret_cast<HWND>(message.LParam);
        if (IsMenuWindow(wnd) && SkinableMenus) SkinableMenus->DrawWndBorder(wnd);
        return true;
    }
    default:
        // WM_WINDOWPOSCHANGED: the fade of the closing main form belongs to the form-hide
        // animation, which watches the form itself.
        return false;
    }
}

// ---- the hot control ------------------------------------------------------------------------------

void TsSkinManager::ChangeActiveControl(HWND wnd)
{
    if (wnd == FActiveControl) return;
    // Onto its parent while the child still has the mouse: the child stays hot.
    if (FActiveControl && wnd && IsMouseOverWindow(FActiveControl) && IsWindowOrDescendant(FActiveControl, wnd)) return;
    if (FActiveControl && FActiveGraphControl) ChangeActiveGraphControl(nullptr);
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    if (!FActiveGraphControl) {
        const HWND old = FActiveControl;
        FActiveControl = wnd;
        if (old && IsWindow(old)) SendSkinCommand(old, scmMouseLeave, self);
        if (wnd) SendSkinCommand(wnd, scmMouseEnter, self);
    } else if (FActiveControl && IsWindow(FActiveControl)) {
        SendSkinCommand(FActiveControl, scmMouseLeave, self);
    }
}

void TsSkinManager::ChangeActiveGraphControl(TControl* control)
{
    if ((Owner() && Owner()->HasState(csDestroying)) || control == FActiveGraphControl) return;
    if (!control && FActiveGraphControl) {
        auto* link = reinterpret_cast<TsCommonData*>(SendSkinCommandToControl(FActiveGraphControl, scmGetCommonData, 0));
        if (link && link->FMouseAbove) return;
    }
    TControl* old = FActiveGraphControl;
    FActiveGraphControl = control;
    if (old) SendSkinCommandToControl(old, scmMouseLeave, reinterpret_cast<LPARAM>(this));
}

void TsSkinManager::CheckHotControl(TObject* /*sender*/)
{
    if (!FActiveControl || HasState(msAnimScaling)) return;
    TPoint cursor;
    ReadCursorPos(cursor);
    RECT r;
    if (!IsWindow(FActiveControl) || !GetWindowRect(FActiveControl, &r) || !TRect(r).Contains(cursor))
        ChangeActiveControl(nullptr);
    if (FActiveGraphControl && !FActiveGraphControl->HasState(csDestroying) && !IsMouseOverControl(FActiveGraphControl))
        SendSkinCommandToControl(FActiveGraphControl, scmMouseLeave, reinterpret_cast<LPARAM>(FActiveGraphControl));
}
