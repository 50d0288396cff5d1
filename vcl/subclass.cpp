#include "vcl/subclass.h"

#include <commctrl.h>

#include "vcl/application_hooks.h"

namespace {
// The property that leads from a hooked window to its newest hook object.
const wchar_t kHookProp[] = L"QwWindowHook";
}  // namespace

TWindowHookObject* FindWindowHook(HWND wnd)
{
    return wnd ? static_cast<TWindowHookObject*>(GetPropW(wnd, kHookProp)) : nullptr;
}

TWindowHookObject::TWindowHookObject(HWND wnd, const TWndMethod& handler) : FWnd(wnd), FHandler(handler)
{
    if (!IsWindow(wnd)) throw EInvalidOperation(L"Cannot hook a window that does not exist");
    // The object's address is the subclass id and the reference data: unique per hook.
    if (!SetWindowSubclass(wnd, SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
        throw EOSError(L"Cannot hook the window", GetLastError());
    FOlder = FindWindowHook(wnd);
    if (FOlder) FOlder->FNewer = this;
    SetPropW(wnd, kHookProp, this);
}

TWindowHookObject::~TWindowHookObject()
{
    for (TCallFrame* f = FFrames; f; f = f->Outer) f->Freed = true;
    Detach();
}

void TWindowHookObject::Unlink()
{
    if (FOlder) FOlder->FNewer = FNewer;
    if (FNewer) FNewer->FOlder = FOlder;
    FOlder = FNewer = nullptr;
}

void TWindowHookObject::Detach()
{
    if (!FWnd) return;
    HWND wnd = FWnd;
    TWindowHookObject* older = FOlder;
    FWnd = nullptr;
    Unlink();
    RemoveWindowSubclass(wnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    // The property names this hook only while no newer hook took it; the older hook is
    // still attached, since a hook leaves the chain when it lets go.
    if (FindWindowHook(wnd) == this) {
        if (older) SetPropW(wnd, kHookProp, older);
        else RemovePropW(wnd, kHookProp);
    }
}

void TWindowHookObject::CallPrevious(TMessage& m)
{
    if (!FWnd) return;
    m.Result = DefSubclassProc(FWnd, m.Msg, m.WParam, m.LParam);
}

// The window is going: this hook and every older one of ours let go, the oldest first. The
// older ones have seen WM_NCDESTROY already unless a newer handler kept it from them; either
// way none may stay in the chain of a window that is gone. Newer hooks are further up the
// call and let go when their own call ends. Handlers of OnWindowDestroyed may free any hook.
void TWindowHookObject::ReleaseAtWindowEnd(TWindowHookObject* self, TCallFrame& frame)
{
    while (!frame.Freed && self->FWnd) {
        TWindowHookObject* h = self;
        while (h->FOlder) h = h->FOlder;
        h->Detach();
        try {
            if (h->OnWindowDestroyed) h->OnWindowDestroyed(h);
        } catch (...) {
            HandleExceptionFromCallback(L"window hook");
        }
    }
}

LRESULT CALLBACK TWindowHookObject::SubclassProc(HWND, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref)
{
    auto* self = reinterpret_cast<TWindowHookObject*>(ref);
    TMessage m{msg, wp, lp, 0};
    // A handler may free its own hook; the frame tells us not to touch it afterwards.
    TCallFrame frame;
    frame.Outer = self->FFrames;
    self->FFrames = &frame;
    try {
        if (self->FHandler) self->FHandler(m);
        else self->CallPrevious(m);
    } catch (...) {
        HandleExceptionFromCallback(L"window hook");
    }
    if (!frame.Freed && msg == WM_NCDESTROY) ReleaseAtWindowEnd(self, frame);
    if (!frame.Freed) self->FFrames = frame.Outer;
    return m.Result;
}
