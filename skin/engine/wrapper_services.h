// What the engine asks of the window wrappers (the objects that subclass standard and foreign
// windows and paint their scroll bars), behind one replaceable object. Until the wrappers exist
// the default answers as if no window were wrapped; tests install their own. No windows.h here.
#pragma once

#include <cstdint>

#include "skin/engine/form_services.h"

class TsCommonData;

class TacWrapperServices {
public:
    virtual ~TacWrapperServices() = default;
    // The skin link of the wrapper a window carries ("ACSBSC"); nil when it has none.
    virtual TsCommonData* WrapperLink(TacWnd wnd)
    {
        (void)wnd;
        return nullptr;
    }
    // Thickness of a skinned scroll bar at the link's PPI; 0 without skinned scroll bars.
    virtual int ScrollBarSize(TsCommonData* data, int kind, int arg)
    {
        (void)data, (void)kind, (void)arg;
        return 0;
    }
    // Runs the wrapper's window procedure on a message (the wrapper of wnd).
    virtual intptr_t ProcessMessage(TacWnd wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam)
    {
        (void)wnd, (void)msg, (void)wParam, (void)lParam;
        return 0;
    }
};

TacWrapperServices& WrapperServices();
// Installs services (nullptr: back to the default); the caller keeps ownership.
void SetWrapperServices(TacWrapperServices* services);
