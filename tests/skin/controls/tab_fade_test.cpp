// The hot-state fade of a tab and the cross-fade of a page change, stepped tick by tick.
#include <gtest/gtest.h>

#include <cmath>

#include "skin/controls/core/tab_fade.h"

namespace {

// Ticks the fade until it stops; the weights of the frames it showed.
std::vector<int> RunOut(TacTabFade& f)
{
    std::vector<int> frames;
    for (int guard = 0; guard < 100; ++guard) {
        int w = f.Tick();
        if (w < 0) break;
        frames.push_back(w);
    }
    return frames;
}

}  // namespace

TEST(TabFade, HotFadeInTakesSixStepsAndFadeOutEighteen)
{
    struct Case {
        const char* what;
        int st;
        bool fast;
        int iterations;
        int first;
    } cases[] = {
        {"to hot", 1, false, 6, 42},               // 42.5 goes to the even neighbour
        {"back to normal", 0, false, 18, 14},
        {"pressed button tab", 2, true, 3, 85},
        {"open menu", 2, false, 6, 42},
        {"close button hovered", 3, false, 6, 42},
        {"close button pressed", 4, true, 3, 85},
    };
    for (const Case& c : cases) {
        TacTabFade f;
        EXPECT_EQ(f.Start(0, c.fast, c.st), c.first) << c.what;
        EXPECT_TRUE(f.Enabled) << c.what;
        EXPECT_EQ(f.Iterations, c.iterations) << c.what;
        std::vector<int> frames = RunOut(f);
        ASSERT_EQ(static_cast<int>(frames.size()), c.iterations) << c.what << ": one frame a tick";
        EXPECT_EQ(frames.back(), 255) << c.what;
        for (size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i], frames[i - 1]) << c.what;
        EXPECT_FALSE(f.Enabled) << c.what;
        EXPECT_EQ(f.State, c.st) << c.what << ": the target stays after the end";
        EXPECT_EQ(f.Tick(), -1) << c.what;
    }

    TacTabFade in;
    in.Start(0, false, 1);
    EXPECT_EQ(RunOut(in), (std::vector<int>{85, 128, 170, 212, 255, 255}));
    EXPECT_TRUE(TabFadeIsFast(2, false));
    EXPECT_FALSE(TabFadeIsFast(2, true));
    EXPECT_TRUE(TabFadeIsFast(4, true));
    EXPECT_FALSE(TabFadeIsFast(1, false));
}

TEST(TabFade, LeavingDuringTheFadeInFadesOutFromTheSameShare)
{
    struct Case {
        int ticksIn;   // ticks of the fade-in before the mouse left
        int start;     // iteration of 18 the fade-out starts at
    } cases[] = {{0, 12}, {1, 10}, {3, 6}, {5, 2}, {6, 0}, {7, 0}, {9, 0}};
    for (const Case& c : cases) {
        TacTabFade f;
        f.Start(0, false, 1);
        for (int i = 0; i < c.ticksIn; ++i) f.Tick();
        int first = f.Start(f.RemainingSteps(), false, 0);
        EXPECT_EQ(f.OldState, 1);
        EXPECT_EQ(f.Iteration, c.start) << c.ticksIn;
        // From the frame on screen, the first step goes a step beyond the starting share.
        double startValue = std::nearbyint(c.start * 255.0 / 18);
        EXPECT_EQ(first, std::nearbyint(startValue + (255 - startValue) / 18)) << c.ticksIn;
        std::vector<int> frames = RunOut(f);
        EXPECT_EQ(static_cast<int>(frames.size()), 18 - c.start) << c.ticksIn;
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back(), 255) << c.ticksIn << ": the last frame is the normal look itself";
    }
}

TEST(TabFade, ComingBackDuringTheFadeOutEndsOnTheHotLook)
{
    // Back onto the tab after j ticks of its fade-out: the fade-in starts at the steps the
    // fade-out still had to go and, however little it gains a step, ends on the hot look.
    for (int j : {0, 3, 12, 15, 17, 18, 19}) {
        TacTabFade f;
        f.Start(0, false, 0);
        for (int i = 0; i < j; ++i) f.Tick();
        int from = f.RemainingSteps();
        EXPECT_EQ(from, std::max(0, 18 - j)) << j;
        int first = f.Start(from, false, 1);
        EXPECT_EQ(f.Iteration, from) << j;
        std::vector<int> frames = RunOut(f);
        int last = frames.empty() ? first : frames.back();
        EXPECT_EQ(last, 255) << j;
        EXPECT_EQ(static_cast<int>(frames.size()), std::max(0, 6 - from)) << j;
    }
}

TEST(TabFade, RemainingStepsOfTheLastFade)
{
    struct Case {
        int state, iteration, remaining;
    } cases[] = {{0, 0, 18}, {0, 5, 13}, {0, 19, 0}, {1, 2, 4}, {1, 7, 0}, {2, 0, 6}, {-1, 0, 6}};
    for (const Case& c : cases) {
        TacTabFade f;
        f.State = c.state;
        f.Iteration = c.iteration;
        EXPECT_EQ(f.RemainingSteps(), c.remaining) << c.state << "/" << c.iteration;
    }
    // Towards a pressed look, or from a state other than normal, a fade starts at the beginning.
    TacTabFade f;
    f.State = 4;
    f.Iteration = 2;
    f.Start(4, false, 1);
    EXPECT_EQ(f.Iteration, 0);
    f.Iteration = 1;
    f.Start(5, true, 2);
    EXPECT_EQ(f.Iteration, 0);
    EXPECT_EQ(f.OldState, 1);
}

TEST(TabFade, StoppedFadeShowsNothing)
{
    TacTabFade f;
    EXPECT_EQ(f.Tick(), -1);
    f.Start(0, false, 1);
    f.Enabled = false;
    EXPECT_EQ(f.Tick(), -1);
}

TEST(TabFade, PageChangeFrames)
{
    struct Case {
        int time;
        std::vector<int> weights;
    } cases[] = {
        {240, {255, 230, 204, 178, 153, 128, 102, 76, 51, 26}},
        {48, {255, 128}},
        {24, {255}},
        {23, {}},
        {0, {}},
        {-24, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(TransitionFrameWeights(c.time), c.weights) << c.time;
    EXPECT_EQ(TransitionFrameWeights(2400).size(), 100u);
}
