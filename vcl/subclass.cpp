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
    FPreviousInProperty = FindWindowHook(wnd);
    SetPropW(wnd, kHookProp, this);
}

TWindowHookObject::~TWindowHookObject()
{
    Detach();
}

void TWindowHookObject::Detach()
{
    if (!FWnd) return;
    HWND wnd = FWnd;
    FWnd = nullptr;
    RemoveWindowSubclass(wnd, SubclassProc, reinterpret_cast<UINT_PTR>(this));
    // The property names this hook only while no newer hook took it.
    if (FindWindowHook(wnd) == this) {
        if (FPreviousInProperty && FPreviousInProperty->Attached()) SetPropW(wnd, kHookProp, FPreviousInProperty);
        else RemovePropW(wnd, kHookProp);
    }
}

void TWindowHookObject::CallPrevious(TMessage& m)
{
    if (!FWnd) return;
    m.Result = DefSubclassProc(FWnd, m.Msg, m.WParam, m.LParam);
}

LRESULT CALLBACK TWindowHookObject::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref)
{
    auto* self = reinterpret_cast<TWindowHookObject*>(ref);
    TMessage m{msg, wp, lp, 0};
    try {
        if (self->FHandler) self->FHandler(m);
        else self->CallPrevious(m);
    } catch (...) {
        HandleExceptionFromCallback(L"window hook");
    }
    if (msg == WM_NCDESTROY && self->FWnd) {
        self->Detach();
        try {
            if (self->OnWindowDestroyed) self->OnWindowDestroyed(self);
        } catch (...) {
            HandleExceptionFromCallback(L"window hook");
        }
    }
    return m.Result;
}
