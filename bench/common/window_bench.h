// What the window benchmarks share: a still animation clock, a message pump and the timing of a
// call as the best of five turns.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "skin/engine/anim_timer.h"

namespace bench {

// Keeps the animation timers still: fades started by a repaint do not run between the turns.
class TStillTicks : public TacTickSource {
public:
    void Start(TacThreadedTimer*, unsigned) override {}
    void Stop(TacThreadedTimer*) override {}
};

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Seconds per call of f, the best of five turns of about turnSeconds each (at most maxCalls calls).
inline double SecondsPerCall(const std::function<void()>& f, double turnSeconds = 0.02, int maxCalls = 20000)
{
    using Clock = std::chrono::steady_clock;
    auto run = [&](int calls) {
        const auto t0 = Clock::now();
        for (int i = 0; i < calls; ++i) f();
        GdiFlush();
        return std::chrono::duration<double>(Clock::now() - t0).count() / calls;
    };
    const int calls = std::clamp(int(turnSeconds / std::max(run(1), 1e-7)), 2, maxCalls);
    double best = 1e9;
    for (int turn = 0; turn < 5; ++turn) best = std::min(best, run(calls));
    return best;
}

}  // namespace bench
