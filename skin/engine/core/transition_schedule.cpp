#include "skin/engine/core/transition_schedule.h"

int TransitionStepCount(int time) { return time > 0 ? time / TransitionFrameInterval : 0; }

std::vector<int> TransitionWeights(int time)
{
    std::vector<int> weights;
    const int n = TransitionStepCount(time);
    if (n < 1) return weights;
    // After k frames C = 255 x (n - k) / n exactly.
    for (int k = 0;; ++k) {
        const long long num = 255LL * (n - k);
        if (num <= 2LL * n) break;   // C <= 2
        long long q = num / n;
        const long long twice = 2 * (num % n);
        if (twice > n || (twice == n && (q & 1))) ++q;
        weights.push_back(static_cast<int>(q));
    }
    return weights;
}
