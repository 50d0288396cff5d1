#include "support/aatext/mmtimer.h"


#include <memory>

#include "vcl/application_hooks.h"
#include "vcl/utilwindow.h"

namespace {

std::unique_ptr<TMMTimerMgr>& Instance()
{
    static std::unique_ptr<TMMTimerMgr> mgr;
    return mgr;
}

void ReportHandlerError()
{
    HandleExceptionFromCallback(L"TMMTimerMgr");
}

}  // namespace

TMMTimerMgr* TimerMgr()
{
    return Instance().get();
}

void FreeTimerMgr()
{
    Instance().reset();
}

// ---- TMMTimerMgr ----------------------------------------------------------------------------

TMMTimerMgr::TMMTimerMgr()
{
    FHwnd = AllocateHWnd(Bind<&TMMTimerMgr::TimerWndProc>(this));
    StartTimer();
}

TMMTimerMgr::~TMMTimerMgr()
{
    // The event goes first: TIME_KILL_SYNCHRONOUS waits for a running callback, so nothing
    // touches the window or the list after this.
    StopTimer();
    if (FHwnd) DeallocateHWnd(FHwnd);
    FHwnd = nullptr;
    ClearTimer();
}

bool TMMTimerMgr::StartTimer()
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof(caps)) != MMSYSERR_NOERROR) return false;
    FTimerRes = caps.wPeriodMin;
    if (timeBeginPeriod(FTimerRes) != TIMERR_NOERROR) {
        FTimerRes = 0;
        return false;
    }
    FTimerID = timeSetEvent(FTimerRes, 0, &TMMTimerMgr::TimerProc, reinterpret_cast<DWORD_PTR>(this),
                            TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    return FTimerID != 0;
}

void TMMTimerMgr::StopTimer()
{
    if (FTimerID != 0) timeKillEvent(FTimerID);
    FTimerID = 0;
    if (FTimerRes != 0) timeEndPeriod(FTimerRes);
    FTimerRes = 0;
}

TMMTimerObject* TMMTimerMgr::AddTimer()
{
    return FTimerList.Add(timeGetTime());
}

void TMMTimerMgr::DeleteTimer(TMMTimerObject* entry)
{
    FTimerList.Delete(entry);
}

void TMMTimerMgr::ClearTimer()
{
    FTimerList.Clear();
}

void CALLBACK TMMTimerMgr::TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
{
    try {
        reinterpret_cast<TMMTimerMgr*>(user)->Timer();
    } catch (...) {
        HandleExceptionFromCallback(L"TMMTimerMgr::TimerProc");
    }
}

void TMMTimerMgr::Timer()
{
    DoTimer(false);
    // One message at a time and only when it has work: a stalled owner thread then holds
    // one message, not one per millisecond.
    // Without the window (its creation failed) a post would go to this thread's own queue.
    if (FHwnd && !FPosted.load() && FTimerList.AnyDue(true, timeGetTime())) {
        FPosted = true;
        if (!PostMessageW(FHwnd, WM_CNTIMER, 0, 0)) FPosted = false;
    }
}

void TMMTimerMgr::DoTimer(bool sync)
{
    FTimerList.DoTimer(sync, timeGetTime(), &ReportHandlerError);
}

void TMMTimerMgr::TimerWndProc(TMessage& message)
{
    try {
        if (message.Msg == WM_CNTIMER) {
            // Cleared before the pass, so an entry that falls due meanwhile gets a new message.
            FPosted = false;
            DoTimer(true);
            message.Result = 0;
        } else {
            message.Result = DefWindowProcW(FHwnd, message.Msg, message.WParam, message.LParam);
        }
    } catch (...) {
        HandleExceptionFromCallback(L"TMMTimerMgr::TimerWndProc");
    }
}

// ---- TAAComponent ---------------------------------------------------------------------------

TAAComponent::TAAComponent(TComponent* owner)
    : TComponent(owner), FAbout(L"Anti-aliased text components")
{
}

// ---- TMMTimer -------------------------------------------------------------------------------

namespace {
const wchar_t* const SMMTimerName = L"Thread Timer Component";
const wchar_t* const SMMTimerComment = L"Thread Timer Component";
}  // namespace

TMMTimer::TMMTimer(TComponent* owner) : TAAComponent(owner)
{
    if (!Instance()) Instance() = std::make_unique<TMMTimerMgr>();
    FTimerObject = Instance()->AddTimer();
}

TMMTimer::~TMMTimer()
{
    if (TimerMgr() && FTimerObject) TimerMgr()->DeleteTimer(FTimerObject);
    FTimerObject = nullptr;
}

template <class F>
auto TMMTimer::WithEntry(F f)
{
    // The manager may be gone at shut-down; the entry then answers its defaults.
    using R = decltype(f(*FTimerObject));
    TMMTimerMgr* mgr = TimerMgr();
    if (!mgr) return R();
    return mgr->List().Locked([&]() -> R {
        if (!mgr->List().Contains(FTimerObject)) return R();
        return f(*FTimerObject);
    });
}

bool TMMTimer::Enabled()
{
    return WithEntry([](TMMTimerObject& e) { return e.Enabled(); });
}

void TMMTimer::SetEnabled(bool value)
{
    WithEntry([&](TMMTimerObject& e) { e.SetEnabled(value, timeGetTime()); });
}

double TMMTimer::FPS()
{
    return WithEntry([](TMMTimerObject& e) { return e.Interval() == 0 ? 0.0 : 1000.0 / e.Interval(); });
}

void TMMTimer::SetFPS(double value)
{
    WithEntry([&](TMMTimerObject& e) { e.SetFPS(value); });
}

uint32_t TMMTimer::Interval()
{
    return WithEntry([](TMMTimerObject& e) { return e.Interval(); });
}

void TMMTimer::SetInterval(uint32_t value)
{
    WithEntry([&](TMMTimerObject& e) { e.SetInterval(value, timeGetTime()); });
}

TNotifyEvent TMMTimer::OnTimer()
{
    return WithEntry([](TMMTimerObject& e) { return e.OnTimer(); });
}

void TMMTimer::SetOnTimer(const TNotifyEvent& handler)
{
    WithEntry([&](TMMTimerObject& e) { e.SetOnTimer(handler); });
}

uint32_t TMMTimer::RepeatCount()
{
    return WithEntry([](TMMTimerObject& e) { return e.RepeatCount(); });
}

void TMMTimer::SetRepeatCount(uint32_t value)
{
    WithEntry([&](TMMTimerObject& e) { e.SetRepeatCount(value); });
}

bool TMMTimer::SyncEvent()
{
    return WithEntry([](TMMTimerObject& e) { return e.SyncEvent(); });
}

void TMMTimer::SetSyncEvent(bool value)
{
    WithEntry([&](TMMTimerObject& e) { e.SetSyncEvent(value); });
}

double TMMTimer::ActualFPS()
{
    return WithEntry([](TMMTimerObject& e) { return e.ActualFPS(); });
}

uint32_t TMMTimer::ExecCount()
{
    return WithEntry([](TMMTimerObject& e) { return e.ExecCount(); });
}

void TMMTimer::GetComponentInfo(String& name, String& author, String& email, String& comment)
{
    name = SMMTimerName;
    author = L"Qwelta";
    email = L"";
    comment = SMMTimerComment;
}
