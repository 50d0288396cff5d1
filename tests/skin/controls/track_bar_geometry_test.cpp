// The track bar's geometry as numbers: progress spans, the skin channel, the mirrored thumb, the
// position of a click, tick and selection marks.
#include <gtest/gtest.h>

#include "skin/controls/core/track_bar.h"

namespace {

TEST(TrackBarGeometry, RoundingTakesHalvesToEven)
{
    const struct {
        double In;
        int Out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {2.4999, 2}, {2.5001, 3}, {-0.5, 0}, {-1.5, -2}, {7.0, 7}};
    for (const auto& c : cases) EXPECT_EQ(TacRoundEven(c.In), c.Out) << c.In;
}

TEST(TrackBarGeometry, ProgressSpansRunFromTheStartValueToThePosition)
{
    // A 100-pixel channel from x = 10 (or y = 10) over the range 0..100, unless said otherwise.
    const TRect r(10, 5, 110, 9), rv(5, 10, 9, 110);
    struct TCase {
        const char* Name;
        bool Horizontal, Reversed;
        int Pos, Min, Max, From;
        TRect Expected;
    };
    const TCase cases[] = {
        {"from 50 back to 30", true, false, 30, 0, 100, 50, {40, 5, 60, 9}},
        {"from 50 on to 70", true, false, 70, 0, 100, 50, {60, 5, 80, 9}},
        {"reversed: 30 is measured from the right", true, true, 30, 0, 100, 50, {60, 5, 80, 9}},
        {"reversed: 70", true, true, 70, 0, 100, 50, {40, 5, 60, 9}},
        {"from the start", true, false, 25, 0, 100, 0, {10, 5, 35, 9}},
        {"vertical keeps the cross axis", false, false, 70, 0, 100, 50, {5, 60, 9, 80}},
        {"vertical reversed", false, true, 70, 0, 100, 50, {5, 40, 9, 60}},
        {"scaled range rounds halves to even", true, false, 1, 0, 8, 0, {10, 5, 22, 9}},   // 12.5 -> 12
        {"offset range", true, false, 1080, 180, 1080, 180, {10, 5, 110, 9}},
        {"Max = Min is laid unscaled", true, false, 5, 5, 5, 5, {10, 5, 10, 9}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TacProgressRect(c.Horizontal ? r : rv, c.Horizontal, c.Reversed, c.Pos, c.Min, c.Max, c.From), c.Expected);
    }
    // With Max = Min the offsets are the raw differences (no division by the range).
    EXPECT_EQ(TacProgressRect(r, true, false, 7, 7, 7, 9), TRect(10, 5, 12, 9));
}

TEST(TrackBarGeometry, SkinChannelIsOnePixelThinnerThanItsImageAndCentred)
{
    EXPECT_EQ(TacSkinChannelRect(TRect(8, 10, 142, 16), true, 8, 5), TRect(9, 11, 141, 15));
    EXPECT_EQ(TacSkinChannelRect(TRect(8, 10, 142, 17), true, 8, 5), TRect(9, 11, 141, 15));   // 7 - 4 = 3: 1 down
    EXPECT_EQ(TacSkinChannelRect(TRect(10, 8, 16, 142), false, 5, 8), TRect(11, 9, 15, 141));
}

TEST(TrackBarGeometry, ReversedThumbAndMouseAreMirroredInsideTheControl)
{
    EXPECT_EQ(TacMirrorThumbRect(TRect(10, 2, 21, 24), true, 150, 26), TRect(129, 2, 140, 24));
    EXPECT_EQ(TacMirrorThumbRect(TRect(2, 10, 24, 21), false, 26, 150), TRect(2, 129, 24, 140));
    EXPECT_EQ(TacMirrorCoord(30, 150), 120);
    EXPECT_EQ(TacMirrorCoord(-5, 150), 155);    // captured mouse left of the bar
    EXPECT_EQ(TacMirrorThumbRect(TacMirrorThumbRect(TRect(3, 0, 9, 5), true, 40, 5), true, 40, 5), TRect(3, 0, 9, 5));
    // Bidi turns a horizontal bar over; twice turned is plain; a vertical bar ignores it.
    EXPECT_FALSE(TacTrackReversed(false, true, false));
    EXPECT_TRUE(TacTrackReversed(false, true, true));
    EXPECT_FALSE(TacTrackReversed(true, true, true));
    EXPECT_TRUE(TacTrackReversed(true, false, true));
    EXPECT_FALSE(TacTrackReversed(false, false, true));
}

TEST(TrackBarGeometry, AClickStandsForThePositionUnderItAndANullChannelKeepsThePosition)
{
    const TRect h(10, 8, 110, 12), v(8, 10, 12, 110);
    struct TCase {
        const char* Name;
        TRect Channel;
        bool Horizontal;
        TPoint At;
        int Min, Max, Current, Expected;
    };
    const TCase cases[] = {
        {"middle", h, true, {60, 9}, 0, 100, 0, 50},
        {"start", h, true, {10, 9}, 0, 100, 40, 0},
        {"range 180..1080", h, true, {35, 9}, 180, 1080, 900, 405},
        {"before the channel clamps", h, true, {0, 9}, 0, 100, 40, 0},
        {"past the channel clamps", h, true, {200, 9}, 0, 100, 40, 100},
        {"halves to even", h, true, {12, 9}, 0, 25, 3, 0},   // 0.5 -> 0
        {"vertical", v, false, {9, 85}, 0, 10000, 0, 7500},
        {"no channel length", TRect(10, 8, 10, 12), true, {60, 9}, 0, 100, 37, 37},
        {"no channel height", TRect(8, 10, 12, 10), false, {9, 60}, 0, 100, 12, 12},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TacPositionFromPoint(c.Channel, c.Horizontal, c.At, c.Min, c.Max, c.Current), c.Expected);
    }
}

TEST(TrackBarGeometry, TickPositionsEvenlyOrByTheNativeControl)
{
    TacTickInput in;
    in.Channel = TRect(8, 10, 142, 14);
    in.Thumb = TRect(0, 0, 11, 20);
    in.Count = 11;
    in.Shift = 2;
    // tsAuto: R = channel + 2; first at R.left + 5, last at R.left + (134 - 11) + 5, halves to even.
    const std::vector<TPoint> autoTicks = TacTickPositions(in);
    ASSERT_EQ(autoTicks.size(), 11u);
    EXPECT_EQ(autoTicks[0], TPoint(15, 0));
    EXPECT_EQ(autoTicks[10], TPoint(15 + 123, 0));
    EXPECT_EQ(autoTicks[1].x, 27);   // 15 + 12.3
    EXPECT_EQ(autoTicks[5].x, 76);   // 15 + 61.5 = 76.5 -> 76
    // tsManual: the ends by the channel, the middle where the native control says.
    in.Auto = false;
    in.Count = 4;
    in.Middle = {50, 90};
    EXPECT_EQ(TacTickPositions(in), (std::vector<TPoint>{{15, 0}, {50, 0}, {90, 0}, {139, 0}}));
    // Vertical: along Y.
    in.Horizontal = false;
    in.Channel = TRect(10, 8, 14, 142);
    in.Thumb = TRect(0, 0, 20, 11);
    EXPECT_EQ(TacTickPositions(in), (std::vector<TPoint>{{0, 15}, {0, 50}, {0, 90}, {0, 139}}));
    in.Count = 0;
    EXPECT_TRUE(TacTickPositions(in).empty());
    in.Auto = true;
    in.Count = 1;
    EXPECT_EQ(TacTickPositions(in), (std::vector<TPoint>{{0, 15}}));
}

TEST(TrackBarGeometry, TickMarksSitBesideTheThumbAndSkipTheSelectionEnds)
{
    TacTickMarkInput in;
    in.Channel = TRect(8, 12, 142, 16);
    in.Thumb = TRect(20, 3, 31, 25);   // 22 high: gap (22 - 4) / 2 + 2 = 11
    in.TickHeight = 4;
    const std::vector<TPoint> ticks = {{15, 0}, {40, 0}, {65, 0}};
    EXPECT_EQ(TacTickMarkPoints(in, ticks), (std::vector<TPoint>{{15, 27}, {40, 27}, {65, 27}}));
    in.Side = tsdBoth;
    EXPECT_EQ(TacTickMarkPoints(in, ticks), (std::vector<TPoint>{{15, -3}, {15, 27}, {40, -3}, {40, 27}, {65, -3}, {65, 27}}));
    in.Side = tsdTopLeft;
    in.SelStart = 0;
    in.SelEnd = 2;
    EXPECT_EQ(TacTickMarkPoints(in, ticks), (std::vector<TPoint>{{40, -3}}));
    // Vertical: beside the channel.
    TacTickMarkInput v;
    v.Horizontal = false;
    v.Channel = TRect(12, 8, 16, 142);
    v.Thumb = TRect(3, 20, 25, 31);
    EXPECT_EQ(TacTickMarkPoints(v, {{0, 15}}), (std::vector<TPoint>{{27, 15}}));
}

TEST(TrackBarGeometry, SelectionMarksOnlyWithASelectionAndNeverDividingByAnEmptyRange)
{
    TacTickMarkInput in;
    in.Channel = TRect(8, 12, 108, 16);
    in.Thumb = TRect(0, 3, 10, 25);   // k = 90 / 10 = 9 over 0..10
    in.Min = 0;
    in.Max = 10;
    EXPECT_TRUE(TacSelectionMarks(in).empty());
    in.SelStart = 2;
    in.SelEnd = 5;
    std::vector<TacTriangle> m = TacSelectionMarks(in);
    ASSERT_EQ(m.size(), 2u);   // bottom only
    // x1 = 8 + 27 + 4, x2 = 8 + 54 + 4; y = 16 + 11.
    EXPECT_EQ(m[0].P[0], TPoint(39, 27));
    EXPECT_EQ(m[0].P[2], TPoint(36, 30));
    EXPECT_EQ(m[1].P[0], TPoint(66, 27));
    EXPECT_EQ(m[1].P[2], TPoint(69, 30));
    // -5 / 0: a horizontal bar draws them, a vertical one does not.
    in.SelStart = -5;
    in.SelEnd = 0;
    EXPECT_EQ(TacSelectionMarks(in).size(), 2u);
    TacTickMarkInput v = in;
    v.Horizontal = false;
    v.Channel = TRect(12, 8, 16, 108);
    v.Thumb = TRect(3, 0, 25, 10);
    EXPECT_TRUE(TacSelectionMarks(v).empty());
    v.SelEnd = 3;
    v.Side = tsdBoth;
    EXPECT_EQ(TacSelectionMarks(v).size(), 4u);
    // Max = Min: placed without a scale.
    in.Min = in.Max = 4;
    in.SelStart = 4;
    in.SelEnd = 4;
    m = TacSelectionMarks(in);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].P[0], TPoint(12, 27));
}

TEST(TrackBarGeometry, FlipsReverseRowsOrColumns)
{
    TPixelImage img(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) img.At(x, y) = uint32_t(10 * y + x);
    TacFlipPixels(img.View(), true);
    EXPECT_EQ(img.At(0, 0), 10u);
    EXPECT_EQ(img.At(2, 1), 2u);
    TacFlipPixels(img.View(), false);
    EXPECT_EQ(img.At(0, 0), 12u);
    EXPECT_EQ(img.At(2, 1), 0u);
    EXPECT_TRUE(TacScrollCodeCompletes(4));
    EXPECT_FALSE(TacScrollCodeCompletes(5));
    EXPECT_FALSE(TacScrollCodeCompletes(8));
}

}  // namespace
