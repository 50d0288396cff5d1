#include "skin/engine/transition.h"

#include <algorithm>
#include <utility>

#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/core/general.h"
#include "skin/engine/core/transition_schedule.h"
#include "skin/engine/system_routines.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "vcl/forms.h"

namespace {

// What a prepare leaves for the animate. Plain pointers: the state outlives no window (nothing
// is freed at process exit, when the windows are gone).
struct TTransition {
    TOutputWindow* Cover = nullptr;
    TBitmap* Old = nullptr;
    TTransitionFrameObserver Observer;
};

TTransition& State()
{
    static TTransition* s = new TTransition;
    return *s;
}

HWND WindowOf(TWinControl* c) { return c && c->HandleAllocated() ? c->ExistingHandle() : nullptr; }

// A hidden window, or one under a minimised top-level window, shows nothing to fade.
bool Showable(HWND wnd)
{
    if (!wnd || !IsWindowVisible(wnd)) return false;
    HWND root = GetAncestor(wnd, GA_ROOT);
    return !(root && IsIconic(root));
}

void FreeCover()
{
    TTransition& s = State();
    if (s.Cover) {
        TOutputWindow* c = s.Cover;
        s.Cover = nullptr;
        c->Shown = nullptr;
        delete c;
    }
    delete s.Old;
    s.Old = nullptr;
}

// The old picture at the size of the new one: a control resized since the prepare keeps its
// old content at the top left, the rest taken from the new picture (the mix reads equal sizes).
void FitOldToNew(TBitmap* fresh)
{
    TTransition& s = State();
    const int w = fresh->Width(), h = fresh->Height();
    if (s.Old && s.Old->Width() == w && s.Old->Height() == h) return;
    auto* fitted = new TBitmap(w, h, TPixelFormat::pf32bit);
    BitBlt(fitted->Canvas()->Handle(), 0, 0, w, h, fresh->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (s.Old)
        BitBlt(fitted->Canvas()->Handle(), 0, 0, std::min(w, s.Old->Width()), std::min(h, s.Old->Height()),
               s.Old->Canvas()->Handle(), 0, 0, SRCCOPY);
    delete s.Old;
    s.Old = fitted;
}

// The control painted as it is now, with the later siblings that overlap it.
TBitmap* PaintNewPicture(TWinControl* control)
{
    auto* fresh = new TBitmap(control->Width(), control->Height(), TPixelFormat::pf32bit);
    TCanvas* canvas = fresh->Canvas();
    canvas->Lock();
    {
        TSavedDC saved(canvas->Handle());
        PaintControlToBitmap(fresh, control, 0, 0, nullptr, true);
    }
    canvas->Unlock();
    return fresh;
}

void CopyInto(HDC dc, TBitmap* bmp, int w, int h)
{
    if (dc && bmp) BitBlt(dc, 0, 0, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

}  // namespace

// ---- TOutputWindow -------------------------------------------------------------------------------

TOutputWindow::TOutputWindow(TComponent* owner) : TCustomControl(owner)
{
    const String name = L"acOW" + IntToStr(static_cast<int64_t>(GetTickCount()));
    SetName(name);
    SetCaption(name);
    SetVisible(false);
    SetColor(static_cast<TColor>(0xFF00FF));
    SetTag(NoSkinTagMask);
}

TOutputWindow::~TOutputWindow()
{
    // Freed by someone else (its parent or owner): the transition forgets it.
    if (State().Cover == this) State().Cover = nullptr;
}

void TOutputWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (!Parent() && !ParentWindow()) {
        params.Style = WS_POPUP;
        params.ExStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        if (Over && Over->HandleAllocated() && (GetWindowLongPtrW(Over->ExistingHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST))
            params.ExStyle |= WS_EX_TOPMOST;
        params.WndParent = Application ? Application->Handle() : nullptr;
    }
}

void TOutputWindow::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_NCPAINT: m.Result = 0; return;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(ExistingHandle(), &ps);
        if (Shown) BitBlt(dc, 0, 0, Shown->Width(), Shown->Height(), Shown->Canvas()->Handle(), 0, 0, SRCCOPY);
        EndPaint(ExistingHandle(), &ps);
        m.Result = 0;
        return;
    }
    default: break;
    }
    TCustomControl::WndProc(m);
}

// ---- the two calls --------------------------------------------------------------------------------

void PrepareTransition(TWinControl* control, int mode)
{
    (void)mode;
    HWND wnd = WindowOf(control);
    if (!Showable(wnd)) return;
    TTransition& s = State();
    RECT wr{};
    GetWindowRect(wnd, &wr);
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    if (w <= 0 || h <= 0) return;
    // Sized to the control every time: a picture of an earlier, other size must not be reused.
    if (!s.Old) s.Old = new TBitmap(w, h, TPixelFormat::pf32bit);
    else if (s.Old->Width() != w || s.Old->Height() != h) s.Old->SetSize(w, h);
    HDC screen = GetDC(nullptr);
    BitBlt(s.Old->Canvas()->Handle(), 0, 0, w, h, screen, wr.left, wr.top, SRCCOPY);
    ReleaseDC(nullptr, screen);

    if (!s.Cover) s.Cover = new TOutputWindow(nullptr);
    s.Cover->Over = control->Parent() ? nullptr : control;
    s.Cover->Shown = s.Old;
    if (TWinControl* parent = control->Parent()) {
        s.Cover->SetParent(parent);
        s.Cover->BringToFront();
        s.Cover->SetBounds(control->Left(), control->Top(), control->Width(), control->Height());
        s.Cover->SetVisible(true);
    } else {
        s.Cover->SetBounds(wr.left, wr.top, w, h);
        s.Cover->HandleNeeded();
        HWND above = GetWindow(wnd, GW_HWNDPREV);
        SetWindowPos(s.Cover->Handle(), above ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void AnimateTransition(TWinControl* control, int time, uint8_t blendValue, int mode)
{
    (void)blendValue;
    (void)mode;
    TTransition& s = State();
    HWND wnd = WindowOf(control);
    if (!Showable(wnd)) {
        // The change simply happens; nothing of the prepare may stay behind.
        FreeCover();
        return;
    }
    AnimationRunning = true;
    if (!s.Cover) PrepareTransition(control, 0);
    if (!s.Cover) {
        AnimationRunning = false;
        FreeCover();
        return;
    }
    if (control->Parent()) PlaceAfterSibling(s.Cover, control);
    TBitmap* fresh = PaintNewPicture(control);
    FitOldToNew(fresh);
    const int w = control->Width(), h = control->Height();
    HWND coverWnd = s.Cover->Handle();
    HDC dc = GetDC(coverWnd);

    // The old picture over the new one at falling weights, one frame every 24 ms. The loop owns
    // the screen: no message is handled until it has played.
    const std::vector<int> weights = TransitionWeights(time);
    if (!weights.empty()) {
        TBitmap frame(w, h, TPixelFormat::pf32bit);
        for (const int weight : weights) {
            const uint32_t tick = AcTickCount();
            MixBitmapsByMask32(&frame, s.Old, fresh, nullptr, static_cast<uint8_t>(weight));
            s.Cover->Shown = &frame;
            CopyInto(dc, &frame, w, h);
            if (s.Observer) s.Observer(weight, &frame, s.Old, fresh);
            WaitUntilTick(tick, TransitionFrameInterval);
        }
    }
    s.Cover->Shown = fresh;
    CopyInto(dc, fresh, w, h);
    AnimationRunning = false;

    if (IsWindowVisible(wnd)) {
        if (control->Parent()) {
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
        } else {
            SetRectAlpha32(BitmapView(fresh), TRect(0, 0, w, h), 255, uint32_t(clNone));
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
            SetWindowLongPtrW(coverWnd, GWL_EXSTYLE, GetWindowLongPtrW(coverWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
            UpdateLayeredFromBitmap(coverWnd, fresh, 254, nullptr);
        }
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const bool layeredForm = dynamic_cast<TCustomForm*>(control) && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        if (!layeredForm)
            SetWindowPos(coverWnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
    ReleaseDC(coverWnd, dc);
    FreeCover();
    delete fresh;
}

void ReleaseTransition() { FreeCover(); }

void SetTransitionFrameObserver(TTransitionFrameObserver observer) { State().Observer = std::move(observer); }

TOutputWindow* TransitionCover() { return State().Cover; }
TBitmap* TransitionOldPicture() { return State().Old; }
