#include <gtest/gtest.h>

#include "support/line/line_geometry.h"

TEST(LineGeometry, EndPointsAreInsetCornersOfTheSlope)
{
    struct Row {
        int w, h, border;
        TLineSlope slope;
        TLinePoint start, end;
    } rows[] = {
        {20, 300, 10, lsDown, {10, 10}, {10, 290}},   // vertical grid line
        {300, 20, 10, lsDown, {10, 10}, {290, 10}},   // horizontal grid line
        {20, 300, 10, lsUp, {10, 290}, {10, 10}},
        {100, 60, 8, lsDown, {8, 8}, {92, 52}},
        {100, 60, 8, lsUp, {8, 52}, {92, 8}},
    };
    for (const Row& r : rows) {
        const TLineEnds e = LineEndPoints(r.w, r.h, r.border, r.slope);
        EXPECT_EQ(e.start, r.start) << r.w << "x" << r.h;
        EXPECT_EQ(e.end, r.end) << r.w << "x" << r.h;
    }
}

TEST(LineGeometry, HitBandAroundTheLineOnly)
{
    struct Row {
        int w, h;
        TLineSlope slope;
        int lineWidth, x, y;
        bool hit;
    } rows[] = {
        // 20 x 300 vertical: band x 6..13 (the inflated rectangle's right edge is exclusive).
        {20, 300, lsDown, 2, 6, 150, true},
        {20, 300, lsDown, 2, 13, 150, true},
        {20, 300, lsDown, 2, 14, 150, false},
        {20, 300, lsDown, 2, 5, 150, false},
        {20, 300, lsDown, 2, 3, 150, false},
        {20, 300, lsDown, 2, 10, 6, true},
        {20, 300, lsDown, 2, 10, 5, false},
        {20, 300, lsDown, 2, 10, 293, true},
        {20, 300, lsDown, 2, 10, 294, false},
        // Width 12 widens the band to 6.
        {20, 300, lsDown, 12, 4, 150, true},
        {20, 300, lsDown, 12, 15, 150, true},
        {20, 300, lsDown, 12, 3, 150, false},
        // 300 x 20 horizontal: band y 6..13.
        {300, 20, lsDown, 2, 150, 6, true},
        {300, 20, lsDown, 2, 150, 13, true},
        {300, 20, lsDown, 2, 150, 14, false},
        {300, 20, lsDown, 2, 150, 5, false},
        {300, 20, lsDown, 2, 293, 10, true},
        {300, 20, lsDown, 2, 294, 10, false},
        // Diagonals keep a band of at least 4 pixels across the line.
        {100, 100, lsDown, 1, 50, 50, true},
        {100, 100, lsDown, 1, 50, 54, true},
        {100, 100, lsDown, 1, 54, 50, true},
        {100, 100, lsDown, 1, 50, 59, false},
        {100, 100, lsDown, 1, 20, 80, false},
        {100, 100, lsUp, 1, 50, 50, true},
        {100, 100, lsUp, 1, 50, 46, true},
        {100, 100, lsUp, 1, 50, 41, false},
        {100, 100, lsUp, 1, 20, 20, false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(LineHitTest(r.w, r.h, 10, r.slope, r.lineWidth, r.x, r.y), r.hit)
            << r.w << "x" << r.h << " slope " << static_cast<int>(r.slope) << " width " << r.lineWidth << " at ("
            << r.x << ", " << r.y << ")";
}

TEST(LineGeometry, ArrowsShortenTheLineAndTipAtTheEndPoints)
{
    // Vertical, downward, arrows at both ends, length 10: half 5, heads +-22.5 degrees.
    TLineDrawing d = LineDrawingOf({{10, 10}, {10, 290}}, lsDown, saBoth, 10);
    EXPECT_EQ(d.from, (TLinePoint{10, 15}));
    EXPECT_EQ(d.to, (TLinePoint{10, 285}));
    ASSERT_TRUE(d.startArrow && d.endArrow);
    EXPECT_EQ(d.startHead[0], (TLinePoint{10, 10}));
    EXPECT_EQ(d.startHead[1], (TLinePoint{6, 19}));
    EXPECT_EQ(d.startHead[2], (TLinePoint{14, 19}));
    EXPECT_EQ(d.endHead[0], (TLinePoint{10, 290}));
    EXPECT_EQ(d.endHead[1], (TLinePoint{14, 281}));
    EXPECT_EQ(d.endHead[2], (TLinePoint{6, 281}));

    // The upward vertical line starts at the bottom, so everything turns round.
    d = LineDrawingOf({{10, 290}, {10, 10}}, lsUp, saStart, 10);
    EXPECT_EQ(d.from, (TLinePoint{10, 285}));
    EXPECT_EQ(d.to, (TLinePoint{10, 10}));
    EXPECT_TRUE(d.startArrow);
    EXPECT_FALSE(d.endArrow);
    EXPECT_EQ(d.startHead[1], (TLinePoint{14, 281}));
    EXPECT_EQ(d.startHead[2], (TLinePoint{6, 281}));

    // Horizontal, arrow at the end only.
    d = LineDrawingOf({{10, 10}, {290, 10}}, lsDown, saEnd, 10);
    EXPECT_EQ(d.from, (TLinePoint{10, 10}));
    EXPECT_EQ(d.to, (TLinePoint{285, 10}));
    EXPECT_EQ(d.endHead[0], (TLinePoint{290, 10}));
    EXPECT_EQ(d.endHead[1], (TLinePoint{281, 6}));
    EXPECT_EQ(d.endHead[2], (TLinePoint{281, 14}));

    // No arrows: the line runs end to end.
    d = LineDrawingOf({{10, 10}, {290, 10}}, lsDown, saNone, 10);
    EXPECT_EQ(d.from, (TLinePoint{10, 10}));
    EXPECT_EQ(d.to, (TLinePoint{290, 10}));
    EXPECT_FALSE(d.startArrow || d.endArrow);
}

TEST(LineGeometry, EvenWidthsTurnOddWhileArrowsShow)
{
    struct Row {
        int oldWidth, newWidth;
        TShowArrows arrows;
        int stored;
    } rows[] = {
        {1, 2, saBoth, 3}, {3, 2, saBoth, 1}, {1, 4, saEnd, 5}, {1, 3, saStart, 3}, {1, 2, saNone, 2}, {6, 4, saNone, 4},
    };
    for (const Row& r : rows)
        EXPECT_EQ(AdjustedLineWidth(r.oldWidth, r.newWidth, r.arrows), r.stored) << r.oldWidth << " -> " << r.newWidth;
}
