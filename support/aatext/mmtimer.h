// The shared millisecond timer: one periodic multimedia timer of the system serves every
// TMMTimer of the process. Unsynchronised entries fire on the multimedia timer's thread;
// synchronised ones (the default) on the thread that made the manager, reached through a
// message posted to its hidden window. At most one such message is outstanding, and only
// when a synchronised entry is due, so a busy main thread never piles them up.
#pragma once

#include "vcl/win.h"

#include <mmsystem.h>

#include <atomic>

#include "support/aatext/mmtimer_list.h"
#include "vcl/classes.h"
#include "vcl/messages.h"

constexpr UINT WM_CNTIMER = WM_USER + 101;

class TMMTimerMgr : public TObject {
public:
    TMMTimerMgr();
    ~TMMTimerMgr() override;

    // Begins the finest period the timer device offers and starts the periodic event;
    // answers whether it runs. Without one the entries simply never fire.
    bool StartTimer();
    void StopTimer();
    TMMTimerObject* AddTimer();
    void DeleteTimer(TMMTimerObject* entry);
    void ClearTimer();

    TMMTimerList& List() { return FTimerList; }
    UINT TimerRes() const { return FTimerRes; }
    UINT TimerID() const { return FTimerID; }
    HWND Hwnd() const { return FHwnd; }

    // Called from the multimedia callback on the timer thread.
    virtual void Timer();
    // One pass over the entries of one kind (sync: the hidden window's thread).
    void DoTimer(bool sync);

private:
    static void CALLBACK TimerProc(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR dw1, DWORD_PTR dw2);
    void TimerWndProc(TMessage& message);

    TMMTimerList FTimerList;
    UINT FTimerRes = 0;
    UINT FTimerID = 0;
    HWND FHwnd = nullptr;
    std::atomic<bool> FPosted{false};
};

// The process's manager, made by the first TMMTimer (nullptr before and after its life).
TMMTimerMgr* TimerMgr();
// Frees the manager (at shut-down; also done by the process's exit).
void FreeTimerMgr();

// Base of the anti-aliased text family's components: an About text and a component
// information query.
class TAAComponent : public TComponent {
public:
    explicit TAAComponent(TComponent* owner);
    const String& About() const { return FAbout; }
    void SetAbout(const String&) {}
    virtual void GetComponentInfo(String& name, String& author, String& email, String& comment) = 0;

private:
    String FAbout;
};

class TMMTimer : public TAAComponent {
public:
    explicit TMMTimer(TComponent* owner);
    ~TMMTimer() override;

    bool Enabled();
    void SetEnabled(bool value);
    // 1000 / Interval (0 for interval 0).
    double FPS();
    void SetFPS(double value);
    uint32_t Interval();
    void SetInterval(uint32_t value);
    TNotifyEvent OnTimer();
    void SetOnTimer(const TNotifyEvent& handler);
    uint32_t RepeatCount();
    void SetRepeatCount(uint32_t value);
    bool SyncEvent();
    void SetSyncEvent(bool value);
    double ActualFPS();
    uint32_t ExecCount();

    void GetComponentInfo(String& name, String& author, String& email, String& comment) override;

private:
    template <class F>
    auto WithEntry(F f);
    TMMTimerObject* FTimerObject = nullptr;
};
