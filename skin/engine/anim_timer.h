// The engine's animation timer and the state cross-fade of skinned controls. When a control
// changes its visual state (normal, hot, pressed) it fades from its previous cached image to the
// new one in 12 ms frames, and its hover glow fades with it. Despite its name the timer ticks on
// the main thread (a window-message timer); its ticks come from a replaceable tick source so
// that tests step time instead of waiting.
#pragma once

#include "vcl/classes.h"
#include "vcl/controls.h"
#include "vcl/graphics.h"

class TsCommonData;
class TTimer;
class TsSkinManager;

// Frame procedure: (the link, the present step) -> keep going.
using TacAnimProc = bool (*)(TObject* data, int iteration);

enum TacThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TacThreadedTimer : public TComponent {
public:
    explicit TacThreadedTimer(TComponent* owner);
    // Disabled; with changeEvent its OnTimer runs its own TimeHandler.
    TacThreadedTimer(TComponent* owner, bool changeEvent);
    ~TacThreadedTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& value);
    TacThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TacThreadPriority value);
    void Reset();

    // Runs the frame procedure on the present step (not advanced); false from it stops the timer.
    virtual void TimeHandler();
    void InitData(TObject* data, int startIteration, TacAnimProc animProc, int newState, bool fast);
    // Copies r of src into dst at (0, 0), dst made or sized to r first.
    static void CopyFrom(TBitmap*& dst, TBitmap* src, const TRect& r);
    // One tick of the inner timer (the tick source calls it).
    void Tick();

    bool InHandler = false;
    bool Executing = false;
    TObject* FOwner = nullptr;
    double Glow = 0;
    double Value = 0;
    double GlowStep = 0;
    double ValueStep = 0;
    int State = -1;
    int Iteration = 0;
    int IntState = -1;
    int OldState = -1;
    int Iterations = 6;
    int ThreadType = 0;   // 1: a glow fade
    TBitmap* BmpTo = nullptr;
    TBitmap* BmpOut = nullptr;
    TBitmap* BmpFrom = nullptr;
    TRect AnimRect;
    TObject* AnimData = nullptr;
    bool Destroyed = false;
    TControl* AnimControl = nullptr;
    TacAnimProc AnimProc = nullptr;

private:
    void TimerTick(TObject*) { Tick(); }
    void OwnTimeHandler(TObject*) { TimeHandler(); }
    void UpdateInner();
    bool FEnabled = false;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    TTimer* FTimerThread = nullptr;
    TacThreadPriority FThreadPriority = tpNormal;
    bool FInnerRunning = false;
};

// Where the timers' ticks come from: the default runs each running timer on a window-message
// timer of its interval; tests install their own and step time.
class TacTickSource {
public:
    virtual ~TacTickSource() = default;
    virtual void Start(TacThreadedTimer* timer, unsigned interval) = 0;
    virtual void Stop(TacThreadedTimer* timer) = 0;
};
// nullptr: back to the window-message timers. Timers running at the switch keep their source.
void SetAnimTickSource(TacTickSource* source);
TacTickSource* AnimTickSource();

// Process-wide: the system asked whether it may end the session; no animation starts after.
inline bool SessionEnding = false;

// ---- control-level routines ------------------------------------------------------------------

int EnsureAnimTimer(TacThreadedTimer*& timer, TComponent* owner, int newState);
void AnimateStateChange(TsCommonData* data, int newState, TacAnimProc animProc, bool allowed, bool fast, bool withGlow);
void StartStateAnimation(TsCommonData* data, int newState, TacAnimProc animProc, bool fast);
bool StateAnimationStep(TObject* data, int iteration);
bool GlowFadeStep(TObject* data, int iteration);
// The standard step procedure of the controls.
inline constexpr TacAnimProc StateAnimStep = StateAnimationStep;
void CompleteAnimTimer(TacThreadedTimer* timer);

enum TacAnimatEvent : unsigned { aeMouseEnter = 1, aeMouseLeave = 2, aeMouseDown = 4, aeMouseUp = 8, aeGlobalDef = 16 };
using TacAnimatEvents = unsigned;
bool IsAnimEventEnabled(TacAnimatEvent event, TacAnimatEvents events, TsSkinManager* manager = nullptr);
