// Recording doubles for the engine's seams: message boxes, layered-window updates, the form
// skinning services and the window wrappers' services, each installed for the life of the object;
// and a window that records the skin commands reaching it.
#pragma once

#include <vector>

#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/general.h"

#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/window_helpers.h"
#include "skin/engine/wrapper_services.h"
#include "vcl/controls.h"
#include "vcl/sysutils.h"

// Records every message box and answers Answer.
class TBoxRecorder {
public:
    TBoxRecorder() { SetMessageBoxHandler([this](const TacMessageBoxRequest& r) { Boxes.push_back(r); return Answer; }); }
    ~TBoxRecorder() { SetMessageBoxHandler(nullptr); }
    TBoxRecorder(const TBoxRecorder&) = delete;
    TBoxRecorder& operator=(const TBoxRecorder&) = delete;
    std::vector<TacMessageBoxRequest> Boxes;
    int Answer = IDOK;
};

// Records what would go to the screen through UpdateLayeredWindow.
class TLayeredRecorder {
public:
    TLayeredRecorder() { SetLayeredUpdater([this](const TacLayeredUpdate& u) { Updates.push_back(u); return true; }); }
    ~TLayeredRecorder() { SetLayeredUpdater(nullptr); }
    TLayeredRecorder(const TLayeredRecorder&) = delete;
    TLayeredRecorder& operator=(const TLayeredRecorder&) = delete;
    std::vector<TacLayeredUpdate> Updates;
};

// Form services that record the calls the engine makes, with composition as set.
class TRecordingFormServices : public TacFormServices {
public:
    TRecordingFormServices() { SetFormServices(this); }
    ~TRecordingFormServices() override { SetFormServices(nullptr); }
    TRecordingFormServices(const TRecordingFormServices&) = delete;
    TRecordingFormServices& operator=(const TRecordingFormServices&) = delete;

    bool Composition = false;
    int CBTNotifications = 0;
    std::vector<String> Calls;

    bool IsDesktopCompositionOn() override { return Composition; }
    void CBTHookNotify(int, uintptr_t, intptr_t) override { ++CBTNotifications; }
    void AddProviderForWindow(TacWnd, TCustomForm*) override { Calls.push_back(L"AddProviderForWindow"); }
    void FreeMenuWrappers() override { Calls.push_back(L"FreeMenuWrappers"); }
    void CreateHookedWindowList() override { Calls.push_back(L"CreateHookedWindowList"); }
    void FreeHookedWindows() override { Calls.push_back(L"FreeHookedWindows"); }
    void SendToHookedWindows(unsigned command, intptr_t lParam) override
    {
        Calls.push_back(L"SendToHookedWindows " + IntToStr(int(command)) + L" " + IntToStr(int(lParam)));
    }
};

// Wrapper services that record what the engine asks of them: every window whose wrapper link
// was asked for (answered with Link), every scroll-bar size asked for (answered with BarSize)
// and every message handed to a wrapper's procedure (answered with Result).
class TRecordingWrapperServices : public TacWrapperServices {
public:
    TRecordingWrapperServices() { SetWrapperServices(this); }
    ~TRecordingWrapperServices() override { SetWrapperServices(nullptr); }
    TRecordingWrapperServices(const TRecordingWrapperServices&) = delete;
    TRecordingWrapperServices& operator=(const TRecordingWrapperServices&) = delete;

    struct TBarQuery {
        TsCommonData* Data;
        int Kind, Arg;
    };
    struct TProcessed {
        TacWnd Wnd;
        uint32_t Msg;
        uintptr_t WParam;
        intptr_t LParam;
    };
    TsCommonData* Link = nullptr;
    int BarSize = 0;
    intptr_t Result = 0;
    std::vector<TacWnd> LinksAsked;
    std::vector<TBarQuery> BarsAsked;
    std::vector<TProcessed> Processed;

    TsCommonData* WrapperLink(TacWnd wnd) override
    {
        LinksAsked.push_back(wnd);
        return Link;
    }
    int ScrollBarSize(TsCommonData* data, int kind, int arg) override
    {
        BarsAsked.push_back({data, kind, arg});
        return BarSize;
    }
    intptr_t ProcessMessage(TacWnd wnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) override
    {
        Processed.push_back({wnd, msg, wParam, lParam});
        return Result;
    }
};

// The engine's tick count stepped by every reading, so the waits of a blocking animation loop
// end without sleeping.
class TSteppedTicks {
public:
    explicit TSteppedTicks(uint32_t step = 3) { SetTickSource([this, step] { return Now += step; }); }
    ~TSteppedTicks() { SetTickSource(nullptr); }
    TSteppedTicks(const TSteppedTicks&) = delete;
    TSteppedTicks& operator=(const TSteppedTicks&) = delete;
    uint32_t Now = 1000;
};

// The animation timers' ticks stepped by the test: Step(ms) fires every running timer once per
// whole interval that passed for it, in the order the timers started.
class TManualTicks : public TacTickSource {
public:
    TManualTicks() { SetAnimTickSource(this); }
    ~TManualTicks() override { SetAnimTickSource(nullptr); }
    TManualTicks(const TManualTicks&) = delete;
    TManualTicks& operator=(const TManualTicks&) = delete;

    void Start(TacThreadedTimer* timer, unsigned interval) override
    {
        Running.push_back({timer, interval, 0});
    }
    void Stop(TacThreadedTimer* timer) override
    {
        for (size_t i = 0; i < Running.size(); ++i)
            if (Running[i].Timer == timer) {
                Running.erase(Running.begin() + static_cast<ptrdiff_t>(i));
                return;
            }
    }
    void Step(unsigned ms)
    {
        std::vector<TacThreadedTimer*> due;
        for (auto& r : Running) {
            r.Elapsed += ms;
            while (r.Interval && r.Elapsed >= r.Interval) {
                r.Elapsed -= r.Interval;
                due.push_back(r.Timer);
            }
        }
        for (TacThreadedTimer* t : due)
            if (IsRunning(t)) t->Tick();
    }
    bool IsRunning(TacThreadedTimer* t) const
    {
        for (const auto& r : Running)
            if (r.Timer == t) return true;
        return false;
    }

private:
    struct TRun {
        TacThreadedTimer* Timer;
        unsigned Interval;
        unsigned Elapsed;
    };
    std::vector<TRun> Running;
};

// A small window on a form that records the skin commands the manager sends out to the forms
// (new skin, removal, refresh, animations stopped, font and option changes) with their LParam
// and whether painting was held back (AnimationRunning) then, and whether painting was held
// back at each of its paints. The questions controls ask each other are left out.
class TSkinCommandRecorder : public TCustomControl {
public:
    TSkinCommandRecorder(TWinControl* parent, int left = 0, int top = 0) : TCustomControl(parent)
    {
        SetBounds(left, top, 10, 10);
        SetParent(parent);
    }
    struct TSeen {
        unsigned Command;
        LPARAM LParam;
        bool Held;
    };
    std::vector<TSeen> Seen;
    std::vector<bool> Paints;
    std::vector<String> Sections;   // the names of scmSectionUpdated
    // The commands seen, in order.
    std::vector<unsigned> Codes() const
    {
        std::vector<unsigned> c;
        for (const TSeen& s : Seen) c.push_back(s.Command);
        return c;
    }

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND)
            switch (SkinCommandOf(m.WParam)) {
            case scmNewSkin: case scmRemoveSkin: case scmRefresh: case scmStopAnimation: case scmFontChanged:
            case scmScrollOptionsChanged: case scmNonClientOptionChanged:
                Seen.push_back({SkinCommandOf(m.WParam), m.LParam, AnimationRunning});
                break;
            case scmSectionUpdated:
                Sections.push_back(m.LParam ? String(reinterpret_cast<const wchar_t*>(m.LParam)) : String(L"(nil)"));
                break;
            default: break;
            }
        if (m.Msg == WM_PAINT) Paints.push_back(AnimationRunning);
        TCustomControl::Dispatch(m);
    }
};
