#include "skin/engine/transition.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/core/transition_schedule.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"

namespace {

// What lives between PrepareTransition and the end of AnimateTransition. Plain pointers: the
// state outlives no window (nothing is freed at process exit, when the windows are gone).
struct TTransition {
    TOutputWindow* Cover = nullptr;
    TBitmap* Old = nullptr;
    TBitmap* New = nullptr;
    TBitmap* Frame = nullptr;
    TacThreadedTimer* Timer = nullptr;
    TWinControl* Control = nullptr;   // set while playing
    std::vector<int> Weights;
    size_t Next = 0;
    std::function<void()> Done;
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

void FreeBitmap(TBitmap*& b)
{
    delete b;
    b = nullptr;
}

void FreePictures()
{
    TTransition& s = State();
    if (s.Cover) s.Cover->Shown = nullptr;
    FreeBitmap(s.Old);
    FreeBitmap(s.New);
    FreeBitmap(s.Frame);
}

void FreeCover()
{
    TTransition& s = State();
    if (s.Timer) s.Timer->SetEnabled(false);
    if (s.Cover) {
        TOutputWindow* c = s.Cover;
        s.Cover = nullptr;
        delete c;
    }
    FreePictures();
}

// Shows bmp in the cover now and whenever the cover repaints.
void ShowInCover(TBitmap* bmp)
{
    TTransition& s = State();
    if (!s.Cover || !bmp) return;
    s.Cover->Shown = bmp;
    if (HWND wnd = WindowOf(s.Cover)) {
        HDC dc = GetDC(wnd);
        BitBlt(dc, 0, 0, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
    }
}

// The old picture at the size of the new one: a control resized since the prepare keeps its
// old content at the top left, the rest taken from the new picture (the mix reads equal sizes).
void FitOldToNew()
{
    TTransition& s = State();
    if (!s.New) return;
    const int w = s.New->Width(), h = s.New->Height();
    if (s.Old && s.Old->Width() == w && s.Old->Height() == h) return;
    auto* fitted = new TBitmap(w, h, TPixelFormat::pf32bit);
    BitBlt(fitted->Canvas()->Handle(), 0, 0, w, h, s.New->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (s.Old)
        BitBlt(fitted->Canvas()->Handle(), 0, 0, std::min(w, s.Old->Width()), std::min(h, s.Old->Height()),
               s.Old->Canvas()->Handle(), 0, 0, SRCCOPY);
    delete s.Old;
    s.Old = fitted;
}

void ShowFrame(int weight)
{
    TTransition& s = State();
    if (!s.Old || !s.New) return;
    if (!s.Frame) s.Frame = new TBitmap(s.New->Width(), s.New->Height(), TPixelFormat::pf32bit);
    // Old over new by the old picture's weight.
    MixBitmapsByMask32(s.Frame, s.Old, s.New, nullptr, static_cast<uint8_t>(weight));
    ShowInCover(s.Frame);
}

// The end of every played transition: the new picture up, the control redrawn under the
// cover, the cover and the pictures gone, then done.
void EndTransition()
{
    TTransition& s = State();
    if (s.Timer) s.Timer->SetEnabled(false);
    TWinControl* c = s.Control;
    s.Control = nullptr;
    s.Weights.clear();
    s.Next = 0;
    ShowInCover(s.New);
    AnimationRunning = false;
    HWND wnd = WindowOf(c);
    if (wnd && IsWindowVisible(wnd)) {
        SendMessageW(wnd, WM_SETREDRAW, 1, 0);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (HWND cover = WindowOf(s.Cover))
            SetWindowPos(cover, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
    FreeCover();
    std::function<void()> done = std::move(s.Done);
    s.Done = nullptr;
    if (done) done();
}

void TransitionTick(TObject*)
{
    TTransition& s = State();
    if (!s.Control) {
        if (s.Timer) s.Timer->SetEnabled(false);
        return;
    }
    if (s.Next < s.Weights.size())
        ShowFrame(s.Weights[s.Next++]);
    else
        EndTransition();
}

struct TTickTarget : TObject {
    void Tick(TObject* sender) { TransitionTick(sender); }
};

TacThreadedTimer* FrameTimer()
{
    TTransition& s = State();
    if (!s.Timer) {
        static TTickTarget target;
        s.Timer = new TacThreadedTimer(nullptr, false);
        s.Timer->SetInterval(TransitionFrameInterval);
        s.Timer->SetOnTimer(Bind<&TTickTarget::Tick>(&target));
    }
    return s.Timer;
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
    // Freed by someone else (its owner): the transition forgets it.
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
    if (s.Control) EndTransition();
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

void AnimateTransition(TWinControl* control, int time, uint8_t blendValue, int mode, std::function<void()> done)
{
    (void)blendValue;
    (void)mode;
    TTransition& s = State();
    if (s.Control) EndTransition();
    s.Done = std::move(done);
    HWND wnd = WindowOf(control);
    if (!Showable(wnd)) {
        // The change simply happens; nothing of the prepare may stay behind.
        FreeCover();
        std::function<void()> d = std::move(s.Done);
        s.Done = nullptr;
        if (d) d();
        return;
    }
    AnimationRunning = true;
    if (!s.Cover) PrepareTransition(control, 0);
    s.Control = control;
    if (!s.Cover) {
        EndTransition();
        return;
    }
    if (control->Parent()) PlaceAfterSibling(s.Cover, control);
    FreeBitmap(s.New);
    FreeBitmap(s.Frame);
    s.New = new TBitmap(control->Width(), control->Height(), TPixelFormat::pf32bit);
    {
        TCanvas* canvas = s.New->Canvas();
        canvas->Lock();
        TSavedDC saved(canvas->Handle());
        PaintControlToBitmap(s.New, control, 0, 0, nullptr, true);
        canvas->Unlock();
    }
    FitOldToNew();
    s.Weights = TransitionWeights(time);
    s.Next = 0;
    if (s.Weights.empty()) {
        EndTransition();
        return;
    }
    ShowFrame(s.Weights[s.Next++]);
    FrameTimer()->SetEnabled(true);
}

void FinishTransition()
{
    if (State().Control) EndTransition();
}

void ReleaseTransition()
{
    TTransition& s = State();
    if (s.Control) EndTransition();
    FreeCover();
}

void ForgetTransitionControl(TWinControl* control)
{
    TTransition& s = State();
    if (!control || s.Control != control) return;
    s.Control = nullptr;
    s.Done = nullptr;
    s.Weights.clear();
    AnimationRunning = false;
    FreeCover();
}

TOutputWindow* TransitionCover() { return State().Cover; }
TBitmap* TransitionOldPicture() { return State().Old; }
TBitmap* TransitionNewPicture() { return State().New; }
bool TransitionPlaying() { return State().Control != nullptr; }
