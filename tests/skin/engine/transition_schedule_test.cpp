// The cross-fade schedule of content transitions: steps from the time, and the old picture's
// weight frame by frame (rounded half to even, as the frames have always been shown).
#include <gtest/gtest.h>

#include "skin/engine/core/transition_schedule.h"

namespace {

struct TScheduleCase {
    int Time;
    std::vector<int> Weights;
};

TEST(TransitionSchedule, WeightsFallFrom255InTimeDiv24Steps)
{
    const TScheduleCase cases[] = {
        {0, {}},
        {23, {}},   // under one step: the new picture at once
        {-5, {}},
        {24, {255}},
        {48, {255, 128}},   // 127.5 rounds to the even 128
        {72, {255, 170, 85}},
        // 229.5 -> 230, 178.5 -> 178, 127.5 -> 128, 76.5 -> 76, 25.5 -> 26
        {240, {255, 230, 204, 178, 153, 128, 102, 76, 51, 26}},
        {250, {255, 230, 204, 178, 153, 128, 102, 76, 51, 26}},   // Time div 24
    };
    for (const auto& c : cases) EXPECT_EQ(TransitionWeights(c.Time), c.Weights) << "time " << c.Time;
}

TEST(TransitionSchedule, LongFadesStopAboveTwoAndNeverRise)
{
    // Many small steps: the fade ends once C is 2 or less (a last C of 2.04 still shows as 2).
    for (const int time : {2400, 4800, 24 * 255, 24 * 1000}) {
        const std::vector<int> w = TransitionWeights(time);
        ASSERT_FALSE(w.empty());
        EXPECT_EQ(w.front(), 255);
        EXPECT_GE(w.back(), 2) << time;
        EXPECT_LE(w.back(), 3) << time;
        for (size_t i = 1; i < w.size(); ++i) EXPECT_LE(w[i], w[i - 1]) << time << " frame " << i;
        EXPECT_LE(static_cast<int>(w.size()), TransitionStepCount(time)) << time;
    }
    EXPECT_EQ(TransitionStepCount(240), 10);
    EXPECT_EQ(TransitionStepCount(23), 0);
}

}  // namespace
