#include "skin/controls/core/tab_fade.h"

#include <algorithm>
#include <cmath>

namespace {
// Halves go to the even neighbour, as the animation's weights always have.
int RoundWeight(double v) { return std::clamp(static_cast<int>(std::nearbyint(v)), 0, 255); }
}

int TacTabFade::RemainingSteps() const { return std::max(0, (State == 0 ? 18 : 6) - Iteration); }

int TacTabFade::Start(int from, bool fast, int st)
{
    Enabled = false;
    Iterations = st == 0 ? 18 : 6;
    if (fast) Iterations /= 2;
    int start = 0;
    if (st == 0) {
        // Leaving a tab during its fade-in fades out from the same share of the way.
        if (State == 1) start = std::max(0, (6 - Iteration) * 2);
    } else if (st == 1) {
        if (State == 0 || State == 2 || State == 3) start = from;
    }
    Iteration = start;
    Value = RoundWeight(Iteration * 255.0 / Iterations);
    ValueStep = (255 - Value) / Iterations;
    OldState = State;
    State = st;
    Enabled = true;
    return Step();
}

int TacTabFade::Tick()
{
    if (!Enabled) return -1;
    if (++Iteration > Iterations) {
        Enabled = false;
        return -1;
    }
    return Step();
}

int TacTabFade::Step()
{
    Value += ValueStep;
    // A fade that started part of the way gains too little per step to arrive: its last frame
    // is the target itself, so the tab never stays half faded.
    if (Iteration >= Iterations) Value = std::max(Value, 255.0);
    return RoundWeight(Value);
}

std::vector<int> TransitionFrameWeights(int timeMs) { return TransitionWeights(timeMs); }
