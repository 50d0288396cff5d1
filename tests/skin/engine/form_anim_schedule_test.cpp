// The frames of the show and hide animations of forms and dialogs: opacities, where the image lies
// in each frame and when an animation ends early.
#include <gtest/gtest.h>

#include <vector>

#include "skin/engine/core/form_anim_schedule.h"

namespace {

std::vector<int> Opacities(const std::vector<TacAnimFrame>& frames)
{
    std::vector<int> o;
    for (const TacAnimFrame& f : frames) o.push_back(f.Opacity);
    return o;
}

TEST(FormAnimSchedule, StepCountsAndOpacities)
{
    struct TCase {
        const char* What;
        bool Show;
        TacAnimType Mode;
        int Time, Alpha;
        bool Dialog;
        std::vector<int> Want;
    } cases[] = {
        {"show, Time 0", true, atFading, 0, 255, false, {}},
        {"show, Time 11", true, atFading, 11, 255, false, {}},
        {"show, Time 200, fading to 255", true, atFading, 200, 255, false,
         {13, 26, 38, 51, 64, 77, 90, 102, 115, 128, 141, 154, 167, 179, 192, 205, 218}},
        {"dialog show, Time 36, to 255", true, atFading, 36, 255, true, {64, 128, 191, 255}},
        {"hide, Time 120, from 255", false, atFading, 120, 255, false, {230, 204, 178, 153, 128, 102, 76, 51, 26, 0, 0}},
        {"hide, Time 10", false, atFading, 10, 255, false, {}},
        {"hide, Time 36, from 100", false, atAero, 36, 100, false, {67, 33, 0, 0}},
        {"folding hide keeps the opacity", false, atDropDown, 120, 200, false, {200, 200, 200, 200, 200, 200, 200}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const std::vector<TacAnimFrame> frames = c.Show ? ShowFrames(c.Mode, c.Time, c.Alpha, 320, 240, c.Dialog)
                                                        : HideFrames(c.Mode, c.Time, c.Alpha, 320, 240);
        EXPECT_EQ(Opacities(frames), c.Want);
    }
}

// A form more see-through than 50: its opacity step would be negative and the byte would wrap.
TEST(FormAnimSchedule, ShowOpacityNeverLeavesZeroToTheFinalValue)
{
    for (int alpha : {0, 1, 30, 49, 50, 51}) {
        SCOPED_TRACE(alpha);
        for (TacAnimType mode : {atFading, atAero}) {
            const std::vector<TacAnimFrame> frames = ShowFrames(mode, 200, alpha, 100, 100, false);
            ASSERT_EQ(frames.size(), 17u);
            for (const TacAnimFrame& f : frames) {
                EXPECT_GE(f.Opacity, 0);
                EXPECT_LE(f.Opacity, alpha);
            }
        }
    }
}

TEST(FormAnimSchedule, FadingCopiesTheImageOnceThenOnlyTheOpacityChanges)
{
    for (bool show : {true, false}) {
        const auto frames = show ? ShowFrames(atFading, 60, 255, 50, 40, false) : HideFrames(atFading, 60, 255, 50, 40);
        ASSERT_EQ(frames.size(), 6u);
        EXPECT_EQ(frames[0].Placement, apWhole);
        for (size_t i = 1; i < frames.size(); ++i) EXPECT_EQ(frames[i].Placement, apUnchanged);
    }
}

TEST(FormAnimSchedule, DropDownShowHalvesTheRestEachFrame)
{
    // 300 high: 0, 150, 225, 262.5, 281.25, 290.6, 295.3, then the steps fall below 2.
    for (int time : {72, 200}) {
        SCOPED_TRACE(time);
        const auto frames = ShowFrames(atDropDown, time, 180, 300, 300, false);
        std::vector<int> heights;
        for (const TacAnimFrame& f : frames) {
            EXPECT_EQ(f.Opacity, 255);
            EXPECT_EQ(f.Placement, apStretched);
            EXPECT_EQ(f.Rect.left, 0);
            EXPECT_EQ(f.Rect.right, 300);
            heights.push_back(f.Rect.bottom);
        }
        EXPECT_EQ(heights, (std::vector<int>{0, 150, 225, 262, 281, 291, 295}));
    }
}

TEST(FormAnimSchedule, FoldingHideHalvesTheHeight)
{
    const auto frames = HideFrames(atDropDown, 600, 255, 80, 64);
    std::vector<int> heights;
    for (const TacAnimFrame& f : frames) heights.push_back(f.Placement == apWhole ? -1 : f.Rect.bottom);
    EXPECT_EQ(heights, (std::vector<int>{-1, 32, 16, 8, 4, 2}));
    for (size_t i = 1; i < frames.size(); ++i) EXPECT_TRUE(frames[i].Transparent);
}

TEST(FormAnimSchedule, AeroGrowsFromAnInsetAndShrinksBack)
{
    // 320 x 160, N = 10: the show starts inset by 10 and 5 and grows by 1 and 0.5 per frame.
    const auto show = ShowFrames(atAero, 120, 255, 320, 160, false);
    ASSERT_EQ(show.size(), 11u);
    EXPECT_EQ(show[0].Rect, TRect(10, 5, 310, 155));
    EXPECT_EQ(show[4].Rect, TRect(6, 3, 314, 157));
    const TacAnimFrame& last = show.back();
    EXPECT_TRUE(last.Placement == apWhole || last.Rect == TRect(0, 0, 320, 160));

    // The hide moves each edge in by 320 / (10 x 32) = 1 and 160 / 320 = 0.5 per frame.
    const auto hide = HideFrames(atAero, 120, 255, 320, 160);
    ASSERT_EQ(hide.size(), 11u);
    EXPECT_EQ(hide[0].Rect, TRect(0, 0, 320, 160));
    EXPECT_EQ(hide[2].Rect, TRect(2, 1, 318, 159));
    EXPECT_EQ(hide[10].Rect, TRect(10, 5, 310, 155));
    for (const TacAnimFrame& f : hide) EXPECT_FALSE(f.Transparent);
}

}  // namespace
