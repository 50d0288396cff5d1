#include "skin/engine/window_helpers.h"

#include <algorithm>

#include "skin/controls/sstatusbar.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/palette.h"
#include "skin/engine/form_services.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "vcl/application.h"
#include "vcl/comctrls.h"

// ---- colour --------------------------------------------------------------------------------------

TColor ResolveSkinColor(TColor color, TsSkinManager* manager)
{
    TsSkinManager* m = manager ? manager : DefaultManager;
    TacColorContext cx;
    if (m && (m->IsActive() || m->HasState(msSkinChanging))) {
        cx.SkinActive = true;
        cx.Palette = &m->Palette;
        TacSkinData* d = m->CommonSkinData(96);
        auto section = [&](TacSection s) -> const TsGeneralData* {
            int i = m->SkinCommonInfo.Sections[s];
            return d->IsValidSection(i) ? &d->gd[static_cast<size_t>(i)] : nullptr;
        };
        cx.Title = section(ssFormTitle);
        cx.Hint = section(ssHint);
    }
    return ResolveSkinColorWith(color, cx, [](int i) { return static_cast<TColor>(GetSysColor(i)); });
}

// ---- mouse and hit tests ---------------------------------------------------------------------------

void ReadCursorPos(TPoint& point)
{
    POINT p;
    point = GetCursorPos(&p) ? TPoint(p) : TPoint(0, 0);
}

HWND TopLevelWindowOf(HWND wnd)
{
    for (HWND parent = GetParent(wnd); parent; parent = GetParent(wnd)) wnd = parent;
    return wnd;
}

bool IsWindowOrDescendant(HWND wnd, HWND ancestor)
{
    for (HWND w = wnd; w; w = GetParent(w))
        if (w == ancestor) return true;
    return false;
}

bool IsMouseOverWindow(HWND wnd)
{
    if (!IsWindowVisible(wnd)) return false;
    HDC dc = GetWindowDC(wnd);
    if (!dc) return false;
    RECT clip;
    int kind = GetClipBox(dc, &clip);
    ReleaseDC(wnd, dc);
    if (kind != SIMPLEREGION) return false;
    RECT window;
    GetWindowRect(wnd, &window);
    TRect r(clip);
    r.Offset(window.left, window.top);
    TPoint cursor;
    ReadCursorPos(cursor);
    return r.Contains(cursor);
}

bool IsMouseOverControl(TControl* control)
{
    if (!control || !control->Visible()) return false;
    TPoint cursor;
    ReadCursorPos(cursor);
    bool over;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (w) {
        if (!w->HandleAllocated()) return false;
        RECT r;
        GetWindowRect(w->Handle(), &r);
        over = TRect(r).Contains(cursor);
    } else {
        TWinControl* parent = control->Parent();
        if (!parent || !parent->HandleAllocated()) return false;
        TCustomForm* form = GetParentForm(control);
        if (Application && Application->ModalLevel() > 0 && form && form->HandleAllocated() && Screen &&
            Screen->ActiveForm() != form && !(GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_POPUP))
            return false;
        if (!form && !IsWindowEnabled(TopLevelWindowOf(parent->Handle()))) return false;
        TPoint p = control->ScreenToClient(cursor);
        over = TRect(0, 0, control->Width(), control->Height()).Contains(p);
    }
    if (!over) return false;
    if (!w) {
        HDC dc = GetDC(control->Parent()->Handle());
        if (!dc) return false;
        RECT clip;
        int kind = GetClipBox(dc, &clip);
        ReleaseDC(control->Parent()->Handle(), dc);
        TPoint p = control->Parent()->ScreenToClient(cursor);
        return kind != ERROR && TRect(clip).Contains(p);
    }
    HWND under = WindowFromPoint(cursor);
    return !under || IsWindowOrDescendant(under, w->Handle());
}

TWinControl* FindVCLWindow(const TPoint& pos)
{
    for (HWND w = WindowFromPoint(pos); w; w = GetParent(w))
        if (TWinControl* c = FindControl(w)) return c;
    return nullptr;
}

TControl* ControlUnderCursor()
{
    if (DefaultManager && DefaultManager->FActiveGraphControl) return DefaultManager->FActiveGraphControl;
    TPoint cursor;
    ReadCursorPos(cursor);
    TWinControl* w = FindVCLWindow(cursor);
    if (!w) return nullptr;
    TPoint p = w->ScreenToClient(cursor);
    for (int i = w->ControlCount() - 1; i >= 0; --i) {
        TControl* c = w->Controls(i);
        if (c->Visible() && c->BoundsRect().Contains(p)) return c;
    }
    return w;
}

// ---- tree walks and order ----------------------------------------------------------------------------

void ForEachChildControl(TWinControl* parent, void* data, TChildControlProc proc)
{
    if (!parent || !proc) return;
    const int count = parent->ControlCount();
    for (int i = 0; i < count && i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        proc(child, data);
        if (auto* w = dynamic_cast<TWinControl*>(child)) ForEachChildControl(w, data, proc);
    }
}

void PlaceAfterSibling(TControl* control, TControl* sibling)
{
    if (!control || !sibling || !control->Parent()) return;
    TWinControl* parent = control->Parent();
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (parent->Controls(i) == sibling) {
            parent->SetChildOrder(control, i + 1);
            return;
        }
}

void NudgeWindowSize(TCustomForm* form, HWND wnd)
{
    RECT r;
    if (!GetWindowRect(wnd, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
    if (form) {
        // A form held at its minimum size cannot be made a pixel smaller: it is left alone.
        const TSizeConstraints& limits = form->Constraints();
        if ((limits.MinHeight != 0 && limits.MinHeight == form->Height()) ||
            (limits.MinWidth != 0 && limits.MinWidth == form->Width()))
            return;
        TNotifyEvent onResize = form->OnResize;
        form->DisableAlign();
        SetWindowPos(wnd, nullptr, 0, 0, w, h - 1, flags);
        SetWindowPos(wnd, nullptr, 0, 0, w, h, flags);
        form->EnableAlign();
        form->OnResize = onResize;
    } else {
        SetWindowPos(wnd, nullptr, 0, 0, w, h - 1, flags);
        SetWindowPos(wnd, nullptr, 0, 0, w, h, flags);
    }
}

// ---- layered windows ---------------------------------------------------------------------------------

namespace {

TacLayeredUpdater& Updater()
{
    static TacLayeredUpdater updater;
    return updater;
}

using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

TUpdateLayeredWindow UpdateLayeredWindowEntry()
{
    static TUpdateLayeredWindow entry = reinterpret_cast<TUpdateLayeredWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow")));
    return entry;
}

TPixelImage CopyPixels(TBitmap* bmp)
{
    TPixelImage img(bmp->Width(), bmp->Height());
    if (bmp->PixelFormat() != pf32bit) return img;
    for (int y = 0; y < bmp->Height(); ++y) {
        const auto* row = static_cast<const uint32_t*>(bmp->ScanLine(y));
        std::copy(row, row + bmp->Width(), &img.At(0, y));
    }
    return img;
}

}  // namespace

void SetLayeredUpdater(TacLayeredUpdater updater) { Updater() = std::move(updater); }

bool SetLayeredAlpha(HWND wnd, bool enable, uint8_t alpha)
{
    LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (enable && LayeredWindowsAvailable()) {
        bool switchedOn = !(ex & WS_EX_LAYERED);
        if (switchedOn && !SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED)) IgnoreApiFailure();
        if (!SetLayeredWindowAttributes(wnd, 0, alpha, LWA_ALPHA)) IgnoreApiFailure();
        return switchedOn;
    }
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    return false;
}

void UpdateLayeredFromBitmap(HWND wnd, TBitmap* bmp, uint8_t alpha, const TPoint* dstPoint)
{
    RECT wr{};
    GetWindowRect(wnd, &wr);
    std::unique_ptr<TBitmap> transparent;
    if (!bmp) {
        transparent = std::make_unique<TBitmap>(std::max(0L, wr.right - wr.left), std::max(0L, wr.bottom - wr.top), pf32bit);
        for (int y = 0; y < transparent->Height(); ++y)
            std::fill_n(static_cast<uint32_t*>(transparent->ScanLine(y)), transparent->Width(), 0u);
        bmp = transparent.get();
    }
    LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (!(ex & WS_EX_LAYERED) && !IsDesktopCompositionOn()) {
        // Without composition the area under a window turning layered is not repainted by the
        // system: hide it for the switch and have the desktop redraw at once.
        LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        RedrawWindow(GetDesktopWindow(), &wr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        SetWindowLongPtrW(wnd, GWL_STYLE, style);
    }
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);

    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = alpha;
    blend.AlphaFormat = AC_SRC_ALPHA;
    SIZE size{bmp->Width(), bmp->Height()};
    if (const TacLayeredUpdater& u = Updater()) {
        TacLayeredUpdate rec;
        rec.Wnd = wnd;
        rec.HasDstPoint = dstPoint != nullptr;
        if (dstPoint) rec.DstPoint = *dstPoint;
        rec.Size = size;
        rec.Alpha = alpha;
        rec.Flags = ULW_ALPHA;
        rec.PerPixelAlpha = blend.AlphaFormat == AC_SRC_ALPHA;
        rec.Pixels = CopyPixels(bmp);
        if (!u(rec)) IgnoreApiFailure();
        return;
    }
    TUpdateLayeredWindow update = UpdateLayeredWindowEntry();
    if (!update) return;
    HDC screen = GetDC(nullptr);
    POINT src{0, 0};
    POINT dst = dstPoint ? POINT(*dstPoint) : POINT{};
    if (!update(wnd, screen, dstPoint ? &dst : nullptr, &size, bmp->Canvas()->Handle(), &src, 0, &blend, ULW_ALPHA))
        IgnoreApiFailure();
    ReleaseDC(nullptr, screen);
}

// ---- keyboard, hints ----------------------------------------------------------------------------------

TShiftState ShiftStateFromKeyboard()
{
    TShiftState s = 0;
    if (GetAsyncKeyState(VK_SHIFT) & 0x8000) s |= ssShift;
    if (GetAsyncKeyState(VK_MENU) & 0x8000) s |= ssAlt;
    if (GetAsyncKeyState(VK_CONTROL) & 0x8000) s |= ssCtrl;
    return s;
}

TRect PlaceHintRect(const TRect& hintRect, const TPoint& pos, const TRect& workArea)
{
    TRect r = hintRect;
    r.Offset(pos.x + 8, pos.y + 16);
    if (r.right > workArea.right) r.Offset(workArea.right - r.right, 0);
    if (r.bottom > workArea.bottom) r.Offset(0, workArea.bottom - r.bottom);
    return r;
}

THintWindow* ShowPlainHint(const String& text, const TPoint& pos)
{
    const int hidePause = Application ? Application->HintHidePause : 2500;
    if (THintWindow* w = FormServices().ShowAlphaHint(pos, text, hidePause)) return w;
    if (text.empty()) return nullptr;
    THintWindow* hint = HintWindowClass ? HintWindowClass(Application) : new THintWindow(Application);
    hint->SetVisible(false);
    hint->SetColor(clInfoBk);
    TRect r = PlaceHintRect(hint->CalcHintRect(800, text), pos, WorkAreaAtPoint(TRect(pos, pos)));
    if (hint->HandleAllocated() && QueryWindowCommand(hint->Handle(), scmIsSkinned)) {
        hint->ActivateHint(r, text);
        return hint;
    }
    hint->SetCaption(text);
    r.bottom += 4;
    if (Application) hint->SetParentWindow(Application->Handle());
    hint->SetBoundsRect(r);
    HWND wnd = hint->Handle();
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    BOOL animation = FALSE, fade = FALSE;
    if (text.size() < 100 && SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0) && animation &&
        SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0) && fade)
        AnimateWindow(wnd, 200, AW_BLEND);
    ShowWindow(wnd, SW_SHOWNOACTIVATE);
    InvalidateRect(wnd, nullptr, TRUE);
    return hint;
}

void HidePlainHint(THintWindow*& hintWindow)
{
    if (!FormServices().HideAlphaHint()) TObject::Free(hintWindow);
    hintWindow = nullptr;
}

// ---- alignment and right-to-left ------------------------------------------------------------------------

int AlignedChildrenExtent(TWinControl* parent, TAlign align, bool includeGraphic)
{
    if (!parent) return 0;
    int sum = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || c->Align() != align) continue;
        if (!includeGraphic && !dynamic_cast<TWinControl*>(c)) continue;
        if (align == alTop || align == alBottom) sum += c->Height();
        else if (align == alLeft || align == alRight) sum += c->Width();
    }
    return sum;
}

void SwapHorizontalAnchors(TControl* control)
{
    TAnchors a = control->Anchors();
    bool left = (a & akLeft) != 0, right = (a & akRight) != 0;
    if (left == right) return;
    control->SetAnchors((a & ~(akLeft | akRight)) | (left ? akRight : akLeft));
}

void MirrorLayout(TWinControl* control, bool recursive)
{
    if (!control || dynamic_cast<TToolBar*>(control)) return;
    if (auto* bar = dynamic_cast<TsStatusBar*>(control)) bar->ReflectPanels();
    control->HandleNeeded();
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* c = control->Controls(i);
        if (c->Align() == alNone) {
            c->SetLeft(control->ClientWidth() - c->Left() - c->Width());
            SwapHorizontalAnchors(c);
        }
        c->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmLayoutMirrored), 0);
    }
    // Right-aligned children become left-aligned, the rightmost first. The positions compared
    // are the ones before the switch: alignment waits until both passes are done.
    control->DisableAlign();
    struct TEnable {
        TWinControl* c;
        ~TEnable()
        {
            if (c) c->EnableAlign();
        }
    } enable{control};
    TControl* firstConverted = nullptr;
    for (;;) {
        TControl* pick = nullptr;
        for (int i = 0; i < control->ControlCount(); ++i) {
            TControl* c = control->Controls(i);
            if (c->Align() == alRight && (!pick || c->Left() > pick->Left())) pick = c;
        }
        if (!pick) break;
        if (!firstConverted) firstConverted = pick;
        pick->SetAlign(alLeft);
    }
    // Then the left-aligned children that were left of them become right-aligned, the
    // leftmost first.
    const int limit = firstConverted ? firstConverted->Left() : control->Width() + 1;
    for (;;) {
        TControl* pick = nullptr;
        for (int i = 0; i < control->ControlCount(); ++i) {
            TControl* c = control->Controls(i);
            if (c->Align() != alLeft || c == firstConverted) continue;
            if (c->Left() >= control->Width() + 1 || c->Left() >= limit) continue;
            if (!pick || c->Left() < pick->Left()) pick = c;
        }
        if (!pick) break;
        pick->SetAlign(alRight);
    }
    enable.c->EnableAlign();
    enable.c = nullptr;
    if (recursive)
        for (int i = 0; i < control->ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(control->Controls(i))) MirrorLayout(w, true);
}

// ---- forms that are never skinned ---------------------------------------------------------------

const TStringList& ForeignPopupClasses()
{
    static TStringList list;
    if (list.Count() == 0) {
        list.SetCaseSensitive(true);
        list.SetSorted(true);
        for (const wchar_t* name : {L"TApplication", L"TfcPopup", L"TcxComboBoxPopupWindow",
                 L"TcxCustomPopupWindow", L"TdxPopupEditForm", L"TcxDateEditPopupWindow",
                 L"TcxGridFilterPopup"})
            list.Add(name);
    }
    return list;
}

bool IsForeignPopupClass(const wchar_t* className)
{
    if (!className) return false;
    const TStringList& list = ForeignPopupClasses();
    for (int i = 0; i < list.Count(); ++i)
        if (lstrcmpW(className, list.Get(i).c_str()) == 0) return true;
    return false;
}
