// The window-free rules of a control's skin link: kind-code sets, the states a section can show,
// what a control's image depends on, where a glow window goes, and the step plan of a state
// cross-fade.
#include <gtest/gtest.h>

#include "skin/engine/core/control_link.h"

TEST(ControlLink, KindSets)
{
    struct Case {
        int coc;
        bool noHover, editLike, colourFollowing, noGlow, button, frameRefresh, asks;
    };
    const Case cases[] = {
        {3, false, true, true, false, false, false, true},      // edit
        {7, false, true, true, false, false, true, true},       // memo
        {11, false, true, true, false, false, false, false},    // not in the asking set
        {18, false, true, true, false, false, false, false},    // fixed "COMBOBOX"
        {51, true, false, false, true, false, false, true},     // panel
        {85, false, true, false, false, false, true, true},     // edit-like, not colour-following
        {93, false, false, false, false, true, false, true},    // button
        {110, true, false, false, true, false, false, false},
        {141, true, false, false, true, false, false, true},    // page control
        {161, true, false, false, true, false, false, true},
        {162, false, false, false, false, false, false, false},
        {231, false, true, true, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coc);
        EXPECT_EQ(IsNoHoverKind(c.coc), c.noHover);
        EXPECT_EQ(IsEditLikeKind(c.coc), c.editLike);
        EXPECT_EQ(IsColorFollowingKind(c.coc), c.colourFollowing);
        EXPECT_EQ(IsNoGlowKind(c.coc), c.noGlow);
        EXPECT_EQ(IsButtonKind(c.coc), c.button);
        EXPECT_EQ(IsFrameRefreshKind(c.coc), c.frameRefresh);
        EXPECT_EQ(AsksControlForDefaultSection(c.coc), c.asks);
    }
    EXPECT_STREQ(FixedDefaultSection(18), L"COMBOBOX");
    EXPECT_STREQ(FixedDefaultSection(56), L"DRAGBAR");
    EXPECT_EQ(FixedDefaultSection(93), nullptr);
}

// A section says how many states its images have; a fallback section says -1 and a skin may say
// 0: every state picked stays inside the three state records and the frames that exist.
TEST(ControlLink, StatesAreClampedIntoTheSection)
{
    struct Case {
        int state, states, expected;
    };
    const Case cases[] = {
        {0, 3, 0}, {2, 3, 2}, {5, 3, 2}, {3, 4, 2},   // never past the three records
        {1, 1, 0}, {2, 2, 1}, {1, 0, 0}, {2, -1, 0}, {-1, 3, 0}, {-2, -1, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampSectionState(c.state, c.states), c.expected) << c.state << "/" << c.states;
}

TEST(ControlLink, BackgroundDependencies)
{
    TsGenState s;
    EXPECT_EQ(BGTypeOfState(s, -1), 0);
    s.ImagePercent = 50;
    s.TextureIndex = 2;
    struct Case {
        int mode;
        uint16_t bits;
    };
    const Case textures[] = {{0, 0xF0}, {1, 0xF4}, {2, 0x20}, {3, 0x10}, {6, 0x80}, {7, 0x40}, {10, 0xF0}, {12, 0x54}, {13, 0}};
    for (const Case& c : textures) EXPECT_EQ(BGTypeOfState(s, c.mode), c.bits) << c.mode;
    s.ImagePercent = 0;   // a texture without a share counts for nothing
    EXPECT_EQ(BGTypeOfState(s, 1), 0);
    s.GradientArray = {TsGradPoint{0, 1, {}, 0}, TsGradPoint{1, 0, {}, 100}};
    EXPECT_EQ(BGTypeOfState(s, -1), 0);   // no gradient share
    s.GradientPercent = 40;
    EXPECT_EQ(BGTypeOfState(s, -1), acbg::GradientH);
    s.GradientArray[0].Mode = 2;
    EXPECT_EQ(BGTypeOfState(s, -1), acbg::GradientH | acbg::GradientV);
    s.GradientPercent = 0;
    s.GradientArray[0].Mode = 0x20;   // a whole-background gradient counts without a share
    EXPECT_EQ(BGTypeOfState(s, -1), acbg::GradientV);
}

TEST(ControlLink, GlowWindowGeometry)
{
    // A 100 x 30 control, a glow mask with borders of 10 overlapping the control by 3.
    const TRect g = GlowWindowRect(TRect(200, 100, 300, 130), 10, 10, 10, 10, 3);
    EXPECT_EQ(g, TRect(193, 93, 307, 137));
    EXPECT_EQ(g.Width(), 114);
    EXPECT_EQ(g.Height(), 44);
    EXPECT_EQ(GlowWindowRect(TRect(0, 0, 20, 10), 4, 2, 6, 8, 0), TRect(-4, -2, 26, 18));
}

TEST(ControlLink, CrossFadePlans)
{
    struct Case {
        const char* what;
        double glow;
        int current, target;
        bool fast, hasOutput;
        int start;
        int iterations, iteration;
        bool fromOutput;
    };
    const Case cases[] = {
        {"hover from rest", 0, -1, 1, false, false, 0, 6, 0, false},
        {"hover from rest, fast", 0, -1, 1, true, false, 0, 6, 0, false},
        {"hover from a fade at 128", 128, 0, 1, false, true, 0, 3, 3, false},
        {"hover after a press", 255, 2, 1, false, true, 0, 6, 0, true},
        {"back to normal", 255, 1, 0, false, true, 0, 18, 0, false},
        {"back to normal, fast", 255, 1, 0, true, true, 0, 9, 0, false},
        {"leaving halfway through a hover", 128, 1, 0, false, true, 0, 18, 9, false},
        {"leaving before any glow", 0, 1, 0, false, true, 0, 18, 0, false},
        {"press, fast", 255, 1, 2, true, true, 0, 3, 0, true},
        {"press without a frame shown", 255, 1, 2, false, false, 4, 6, 4, false},
        {"a glow above 255 is clamped", 300, 1, 0, false, false, 0, 18, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TacAnimPlan p = PlanStateAnimation(c.glow, c.current, c.target, c.fast, c.hasOutput, c.start);
        EXPECT_EQ(p.Iterations, c.iterations);
        EXPECT_EQ(p.Iteration, c.iteration);
        EXPECT_EQ(p.FromOutput, c.fromOutput);
        EXPECT_LE(p.Glow, 255);
    }
    EXPECT_DOUBLE_EQ(PlanStateAnimation(0, -1, 1, false, false, 0).GlowStep, 42.5);
    EXPECT_DOUBLE_EQ(PlanStateAnimation(255, 1, 0, false, false, 0).GlowStep, 255.0 / 18);
    EXPECT_EQ(RemainingAnimSteps(0, 20), 0);   // a fade to normal at step 20 has nothing left
    EXPECT_EQ(RemainingAnimSteps(0, 5), 13);
    EXPECT_EQ(RemainingAnimSteps(1, 2), 4);
    EXPECT_EQ(RoundHalfEven(42.5), 42);
    EXPECT_EQ(RoundHalfEven(127.5), 128);
}

TEST(ControlLink, CrossFadeGlowPerFrame)
{
    // A hover from rest: +42.5 per frame, the weight reaching 255 on the sixth frame.
    double glow = 0;
    int seen[7];
    for (int i = 0; i < 7; ++i) seen[i] = CrossFadeGlow(glow, 42.5, 1, i, 6);
    const int hover[7] = {42, 85, 128, 170, 212, 255, 255};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(seen[i], hover[i]) << i;
    // Any other target follows the step count.
    glow = 0;
    EXPECT_EQ(CrossFadeGlow(glow, 0, 5, 3, 6), 128);
    glow = 10;
    EXPECT_EQ(CrossFadeGlow(glow, 20, 0, 1, 18), 0);   // never below 0
}
