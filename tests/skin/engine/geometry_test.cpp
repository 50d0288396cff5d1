// The small geometry, choice and DPI routines: the values painters rely on at the edges.
#include <gtest/gtest.h>

#include <limits>

#include "skin/engine/core/geometry.h"

TEST(SkinGeometry, BuildRectTakesRightAndBottomFirst)
{
    EXPECT_EQ(BuildRect(0, 0, 0, 0), TRect(0, 0, 0, 0));
    EXPECT_EQ(BuildRect(30, 20, 10, 5), TRect(10, 5, 30, 20));
}

TEST(SkinGeometry, WidthAndHeightMayBeNegativeUnlessAsked)
{
    TRect r(10, 0, 4, 3);
    EXPECT_EQ(GetRectWidth(r), -6);
    EXPECT_EQ(GetRectWidth(r, true), 0);
    EXPECT_EQ(GetRectHeight(TRect(0, 9, 0, 2)), -7);
    EXPECT_EQ(SizeOfRect(r), TSize(0, 3));
}

TEST(SkinGeometry, ScaleStepBoundaries)
{
    struct Case { int ppi, step; } cases[] = {
        {96, 0}, {110, 0}, {111, 1}, {134, 1}, {135, 2}, {170, 2}, {171, 3}, {-1, 3},
    };
    for (auto c : cases) EXPECT_EQ(ScaleStepOfPpi(c.ppi), c.step) << c.ppi;
}

TEST(SkinGeometry, ScalingTruncatesTowardZero)
{
    struct Case { int value, ppi, scaled; } cases[] = {
        {7, 144, 10}, {-7, 144, -10}, {10, 120, 12}, {13, 120, 16}, {-13, 120, -16}, {5, 96, 5},
    };
    for (auto c : cases) EXPECT_EQ(ScaleByPpi(c.value, c.ppi), c.scaled) << c.value << "@" << c.ppi;
    EXPECT_EQ(ScaleByScaleStep(5, 1), 6);
    EXPECT_EQ(ScaleByScaleStep(-5, 1), -6);
    EXPECT_EQ(ScaleByScaleStep(5, 3), 10);
    // Numbers of a description at the ends of int stay there instead of overflowing.
    EXPECT_EQ(ScaleByScaleStep(std::numeric_limits<int>::min(), 2), std::numeric_limits<int>::min());
    EXPECT_EQ(ScaleByScaleStep(std::numeric_limits<int>::max(), 3), std::numeric_limits<int>::max());
    EXPECT_EQ(ScaleByScaleStep(5, 7), 5);
}

TEST(SkinGeometry, ChoicesAndRanges)
{
    EXPECT_EQ(ClampInt(5, 10, 0), 10);   // Low wins
    EXPECT_EQ(ClampInt(-3, 0, 9), 0);
    EXPECT_EQ(ClampInt(12, 0, 9), 9);
    EXPECT_FALSE(ValueBetween(5, 10, 0, false));
    EXPECT_TRUE(ValueBetween(5, 10, 0, true));
    EXPECT_TRUE(IndexWithin(0, 1));
    EXPECT_FALSE(IndexWithin(1, 1));
    EXPECT_FALSE(IndexWithin(-1, 5));
}

TEST(SkinGeometry, RectangleOperations)
{
    EXPECT_EQ(RectIntersection(TRect(0, 0, 5, 5), TRect(8, 8, 10, 10)), TRect(8, 8, 5, 5));   // not normalised
    EXPECT_FALSE(RectsOverlap(TRect(0, 0, 5, 5), TRect(5, 0, 9, 5)));
    EXPECT_TRUE(RectsOverlap(TRect(0, 0, 5, 5), TRect(4, 4, 9, 9)));
    EXPECT_TRUE(RectHitTest(TRect(0, 0, 9, 9), TRect(2, 2, 9, 9), true));   // right and bottom inclusive
    EXPECT_FALSE(RectHitTest(TRect(0, 0, 9, 9), TRect(2, 2, 10, 10), true));
    EXPECT_EQ(RotateRect90(TRect(1, 2, 3, 4), false, 10), TRect(2, 7, 4, 9));
    EXPECT_EQ(RotateRect90(TRect(1, 2, 3, 4), true, 10), TRect(2, 1, 4, 3));
    TRect m(1, 2, 4, 6);
    MirrorRectInSize(m, 10, 10, true);
    EXPECT_EQ(m, TRect(6, 2, 9, 6));
    MirrorRectInBounds(m, TRect(0, 0, 10, 20), false);
    EXPECT_EQ(m, TRect(6, 14, 9, 18));
}

TEST(SkinGeometry, PaddingScalesSideBySide)
{
    struct Padding {
        int l, t, r, b;
        int Left() const { return l; }
        int Top() const { return t; }
        int Right() const { return r; }
        int Bottom() const { return b; }
    };
    EXPECT_EQ(ScalePaddingToRect(Padding{2, 4, 6, 7}, 144), TRect(3, 6, 9, 10));
    EXPECT_EQ(ScalePaddingToRect(Padding{2, 4, 6, 7}, 96), TRect(2, 4, 6, 7));
}
