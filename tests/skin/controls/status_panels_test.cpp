// Where the skinned status bar draws: panel spans from the widths, dividers, text rectangles,
// the grip and the half-visible rule.
#include <gtest/gtest.h>

#include "skin/controls/core/status_panels.h"

namespace {

// The main window's ten panels.
const std::vector<int> MainPanels = {620, 50, 100, 20, 50, 20, 50, 20, 50, 50};

}  // namespace

TEST(StatusPanels, SpansRunFromTheWidthsAndTheLastTakesTheRest)
{
    struct Case {
        const char* Name;
        std::vector<int> Widths;
        int BarWidth;
        bool Grip;
        std::vector<TRect> Spans;
    };
    const Case cases[] = {
        {"two panels", {100, 50}, 300, false, {{0, 0, 100, 20}, {100, 0, 300, 20}}},
        {"grip room", {100, 50}, 300, true, {{0, 0, 100, 20}, {100, 0, 282, 20}}},
        {"last narrower than its width", {100, 250}, 300, false, {{0, 0, 100, 20}, {100, 0, 300, 20}}},
        {"-1 widths count as none", {-1, 60, -1}, 200, false, {{0, 0, 0, 20}, {0, 0, 60, 20}, {60, 0, 200, 20}}},
        {"panels beyond the bar: the last is empty", {250, 100}, 200, false, {{0, 0, 250, 20}, {250, 0, 250, 20}}},
        {"one panel", {30}, 120, true, {{0, 0, 102, 20}}},
        {"none", {}, 120, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(StatusPanelSpans(c.Widths, StatusPanelsWidth(c.BarWidth, c.Grip), 20), c.Spans);
    }
}

TEST(StatusPanels, MainWindowBarWithGripEndsItsLastPanelAtTheGrip)
{
    const int w = StatusPanelsWidth(1081, true);
    EXPECT_EQ(w, 1063);
    const std::vector<TRect> spans = StatusPanelSpans(MainPanels, w, 19);
    ASSERT_EQ(spans.size(), 10u);
    EXPECT_EQ(spans[9], TRect(980, 0, 1063, 19));
    EXPECT_EQ(StatusPanelRect(spans[9]), TRect(981, 1, 1062, 18));
    EXPECT_EQ(spans[3], TRect(770, 0, 790, 19));
    EXPECT_EQ(StatusPanelRect(spans[3]), TRect(771, 1, 789, 18));
}

TEST(StatusPanels, TextInsetAndSimplePanel)
{
    // The simple panel's text starts at x = 3 (0 + 1 + 2).
    const TRect simple = StatusSimplePanelRect(StatusPanelsWidth(400, true), 22);
    EXPECT_EQ(simple, TRect(0, 1, 381, 21));
    EXPECT_EQ(StatusTextRect(simple), TRect(3, 2, 376, 19));
    EXPECT_EQ(StatusTextRect(TRect(101, 1, 149, 18)), TRect(104, 2, 144, 16));
}

TEST(StatusPanels, DividersSitOnTheGapAfterEveryBevelledPanelButTheLast)
{
    struct Case {
        const char* Name;
        int Index, Count;
        bool BevelNone, Simple, PanelImage, Has;
    };
    const Case cases[] = {
        {"first of three", 0, 3, false, false, false, true},
        {"middle", 1, 3, false, false, false, true},
        {"last", 2, 3, false, false, false, false},
        {"no bevel", 0, 3, true, false, false, false},
        {"simple bar", 0, 1, false, true, false, false},
        {"panel image drawn instead", 0, 3, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(StatusPanelHasDivider(c.Index, c.Count, c.BevelNone, c.Simple, c.PanelImage), c.Has);
    }
    EXPECT_EQ(StatusDividerWidth(0, 0), 2);
    EXPECT_EQ(StatusDividerWidth(1, 0), 2);
    EXPECT_EQ(StatusDividerWidth(2, 3), 5);
    // Panel drawn from 1 to 99 (span 0..100): a 2-wide divider covers x 97..98, a 5-wide one 96..100.
    EXPECT_EQ(StatusDividerRect(TRect(1, 1, 99, 19), 2, 20), TRect(97, 1, 99, 19));
    EXPECT_EQ(StatusDividerRect(TRect(1, 1, 99, 19), 5, 20), TRect(96, 1, 101, 19));
}

TEST(StatusPanels, GripSitsInTheCornerInsideTheBorder)
{
    EXPECT_EQ(StatusGripPoint(300, 20, 12, 12, 0), TPoint(288, 8));
    EXPECT_EQ(StatusGripPoint(300, 20, 12, 12, 2), TPoint(286, 6));
}

TEST(StatusPanels, FrameStripsCoverTheBorderOnce)
{
    struct TCase {
        const char* Name;
        int W, H, Border;
        std::vector<TRect> Strips;
    };
    const TCase cases[] = {
        {"no border", 300, 20, 0, {}},
        {"two pixels", 300, 20, 2, {{0, 0, 300, 2}, {0, 2, 2, 18}, {298, 2, 300, 18}, {0, 18, 300, 20}}},
        {"wider than half the bar", 40, 6, 5, {{0, 0, 40, 3}, {0, 3, 3, 3}, {37, 3, 40, 3}, {0, 3, 40, 6}}},
        {"an empty bar", 0, 20, 2, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(StatusFrameStrips(c.W, c.H, c.Border), c.Strips);
    }
}

TEST(StatusPanels, HalfVisibleUnlessBothCornersLieInsideTheParent)
{
    struct Case {
        const char* Name;
        TRect Bounds;
        bool Half;
    };
    const Case cases[] = {
        {"inside", {10, 10, 200, 30}, false},
        {"aligned to the bottom", {0, 181, 400, 200}, true},
        {"reaching the right edge", {100, 10, 400, 30}, true},
        {"one pixel short of both edges", {0, 10, 399, 199}, false},
        {"left of the parent", {-5, 10, 100, 30}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(StatusBarHalfVisible(c.Bounds, 400, 200), c.Half);
    }
}

TEST(StatusPanels, TextAlignmentFollowsPanelAndBidiMode)
{
    struct Case {
        const char* Name;
        TAlignment Alignment;
        bool Simple, RtlAlign, RtlRead;
        TacStatusTextAlign Want;
    };
    const Case cases[] = {
        {"left", taLeftJustify, false, false, false, staLeft},
        {"centre", taCenter, false, false, false, staCenter},
        {"right", taRightJustify, false, false, false, staRight},
        {"simple is always left", taRightJustify, true, false, false, staLeft},
        {"left mirrored", taLeftJustify, false, true, false, staRight},
        {"right mirrored", taRightJustify, false, true, false, staLeft},
        {"centre stays under mirroring", taCenter, false, true, true, staCenter},
        {"right-to-left reading keeps right", taRightJustify, false, true, true, staRight},
        {"simple, right-to-left reading", taLeftJustify, true, false, true, staRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(StatusTextAlign(c.Alignment, c.Simple, c.RtlAlign, c.RtlRead), c.Want);
    }
}
