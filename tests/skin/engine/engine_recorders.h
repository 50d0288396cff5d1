// Recording doubles for the engine's seams: message boxes, layered-window updates and the form
// skinning services, each installed for the life of the object.
#pragma once

#include <vector>

#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "skin/engine/window_helpers.h"

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
};
