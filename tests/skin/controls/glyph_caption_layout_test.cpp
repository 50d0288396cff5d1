// Glyph buttons' geometry: the bit button's glyph size, caption room, glyph rectangle (pressed
// shift, reflection lift by the width), caption offset, blend range and visual state; the speed
// button's caption and glyph rectangles for every layout and alignment, with margins, the
// drop-down arrow part, no caption, mirroring, the pressed shift and the reflection lift.
#include <gtest/gtest.h>

#include "skin/controls/core/glyph_caption_layout.h"

namespace {
std::string Str(const TRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}
}  // namespace

TEST(BitBtnLayout, GlyphSizeFromTheListOrOneCellOfTheStrip)
{
    struct Case {
        const char* what;
        TacBitBtnGlyphSource in;
        TSize want;
    } cases[] = {
        {"list image wins", {true, 20, 20, 64, 16, 4}, {20, 20}},
        {"strip of four", {false, 0, 0, 64, 16, 4}, {16, 16}},
        {"strip of one", {false, 0, 0, 24, 16, 1}, {24, 16}},
        {"empty glyph", {false, 0, 0, 0, 0, 1}, {0, 0}},
        {"cells 0 taken as 1", {false, 0, 0, 24, 16, 0}, {24, 16}},
    };
    for (const Case& c : cases) {
        const TSize s = BitBtnGlyphSize(c.in);
        EXPECT_EQ(s.cx, c.want.cx) << c.what;
        EXPECT_EQ(s.cy, c.want.cy) << c.what;
    }
}

TEST(BitBtnLayout, ImgRectShiftAndReflectionLiftByWidth)
{
    struct Case {
        const char* what;
        TSize glyph;
        bool shift, reflected;
        TRect want;
    } cases[] = {
        {"plain", {16, 24}, false, false, {10, 5, 26, 29}},
        {"pressed", {16, 24}, true, false, {11, 6, 27, 30}},
        // 16 / 6 = 2, not 24 / 6 = 4.
        {"reflected 16 x 24", {16, 24}, false, true, {10, 3, 26, 27}},
        {"reflected 5 wide", {5, 24}, false, true, {10, 5, 15, 29}},
        {"pressed and reflected 24 x 16", {24, 16}, true, true, {11, 2, 35, 18}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Str(BitBtnImgRect(TPoint(10, 5), c.glyph, c.shift, c.reflected)), Str(c.want)) << c.what;
}

TEST(BitBtnLayout, CaptionRoomOffsetBlendAndState)
{
    EXPECT_EQ(BitBtnCaptionRoom(100, 2, glLeft, 16, 4), 76);
    EXPECT_EQ(BitBtnCaptionRoom(100, 2, glRight, 16, 4), 76);
    EXPECT_EQ(BitBtnCaptionRoom(100, 2, glTop, 16, 4), 96);
    EXPECT_EQ(BitBtnCaptionRoom(100, 2, glLeft, 0, 4), 96);

    const TRect cap(10, 10, 40, 22);
    EXPECT_EQ(Str(OffsetCaption(cap, glTop, 4)), Str(TRect(10, 14, 40, 26)));
    EXPECT_EQ(Str(OffsetCaption(cap, glBottom, -3)), Str(TRect(10, 7, 40, 19)));
    EXPECT_EQ(Str(OffsetCaption(cap, glLeft, 4)), Str(TRect(14, 10, 44, 22)));
    EXPECT_EQ(Str(OffsetCaption(cap, glRight, 4)), Str(TRect(14, 10, 44, 22)));

    EXPECT_EQ(ClampBlend(150), 100);
    EXPECT_EQ(ClampBlend(-5), 0);
    EXPECT_EQ(ClampBlend(37), 37);

    struct Case {
        const char* what;
        TacBitBtnStateInput in;
        int want;
    } cases[] = {
        {"at rest", {}, 0},
        {"hot", {{.MouseAbove = true, .LinkState = 1}}, 1},
        {"held over it", {{.Pushed = true, .MouseAbove = true, .LeftDownOnIt = true, .LinkState = 1}}, 2},
        {"held, dragged off", {{.Pushed = true, .LeftDownOnIt = true}}, 0},
        {"space bar", {{.Pushed = true}}, 2},
        {"no hover looks", {{.Pushed = true, .LeftDownOnIt = true, .NoMouseHover = true}}, 2},
        {"down", {{.Down = true}}, 2},
        {"designing", {{.Designing = true, .LinkState = 1}}, 0},
        // A Default button keeps its look while an edit has the focus, not while another
        // owner-drawn button has it.
        {"default, edit focused", {{.Default = true}}, 3},
        {"default, other skinned button focused", {{.Default = true}, true}, 0},
        {"default hot", {{.LinkState = 1, .Default = true}}, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(BitBtnCurrentState(c.in), c.want) << c.what;
}

namespace {
// 100 x 40, margin 2 (content margin 5), spacing 4, a 30 x 12 caption, a 16 x 16 glyph.
TacSpeedButtonInput Speed(int layout, int align, int textAlign = baCenter)
{
    TacSpeedButtonInput in;
    in.Width = 100;
    in.Height = 40;
    in.Layout = layout;
    in.Margin = 2;
    in.Spacing = 4;
    in.Alignment = align;
    in.TextAlignment = textAlign;
    in.GlyphWidthFlagged = in.GlyphWidth = in.GlyphHeight = 16;
    in.TextWidth = 30;
    in.TextHeight = 12;
    return in;
}
}  // namespace

TEST(SpeedButtonLayout, EveryLayoutAndAlignment)
{
    struct Case {
        int layout, align, textAlign;
        TRect caption, glyph;
    } cases[] = {
        {glLeft, baLeft, baLeft, {25, 14, 55, 26}, {5, 12, 21, 28}},
        {glLeft, baLeft, baRight, {65, 14, 95, 26}, {5, 12, 21, 28}},
        {glLeft, baLeft, baCenter, {41, 14, 71, 26}, {5, 12, 21, 28}},
        {glLeft, baRight, baCenter, {65, 14, 95, 26}, {45, 12, 61, 28}},
        {glLeft, baCenter, baCenter, {45, 14, 75, 26}, {25, 12, 41, 28}},
        {glRight, baLeft, baCenter, {5, 14, 35, 26}, {39, 12, 55, 28}},
        {glRight, baCenter, baCenter, {25, 14, 55, 26}, {59, 12, 75, 28}},
        {glRight, baRight, baLeft, {5, 14, 75, 26}, {79, 12, 95, 28}},
        {glRight, baRight, baRight, {45, 14, 75, 26}, {79, 12, 95, 28}},
        {glRight, baRight, baCenter, {24, 14, 54, 26}, {79, 12, 95, 28}},
        {glTop, baCenter, baCenter, {35, 24, 65, 36}, {43, 4, 59, 20}},
        {glTop, baLeft, baCenter, {35, 24, 65, 36}, {43, 4, 59, 20}},
        {glBottom, baCenter, baCenter, {35, 4, 65, 16}, {43, 20, 59, 36}},
        {glBottom, baRight, baCenter, {35, 4, 65, 16}, {43, 20, 59, 36}},
        {glTop, baRight, baCenter, {35, 24, 65, 36}, {43, 4, 59, 20}},
        {glBottom, baLeft, baCenter, {35, 4, 65, 16}, {43, 20, 59, 36}},
        {glRight, baLeft, baRight, {5, 14, 35, 26}, {39, 12, 55, 28}},
    };
    for (const Case& c : cases) {
        const TacSpeedButtonInput in = Speed(c.layout, c.align, c.textAlign);
        const std::string what = std::to_string(c.layout) + "/" + std::to_string(c.align) + "/" + std::to_string(c.textAlign);
        EXPECT_EQ(Str(CalcButtonCaptionRect(in, true)), Str(c.caption)) << what;
        EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(c.glyph)) << what;
    }
}

// The caption of a block that is not centred asks for the glyph's width with the flag set, the
// glyph's own rectangle without it: a glyph that answers 0 to the flag takes no spacing in the
// caption's layout but keeps it in its own.
TEST(SpeedButtonLayout, FlaggedGlyphWidthOnlyForTheCaptionOfAnUncentredBlock)
{
    struct Case {
        int layout, align, textAlign;
        TRect caption, glyph;
    } cases[] = {
        {glTop, baLeft, baCenter, {35, 22, 65, 34}, {43, 4, 59, 20}},
        {glTop, baCenter, baCenter, {35, 24, 65, 36}, {43, 4, 59, 20}},
        {glBottom, baRight, baCenter, {35, 6, 65, 18}, {43, 20, 59, 36}},
        {glLeft, baLeft, baCenter, {5, 14, 35, 26}, {5, 12, 21, 28}},
        // Right-justified text beside no glyph starts at the margin.
        {glLeft, baLeft, baRight, {5, 14, 35, 26}, {5, 12, 21, 28}},
        {glLeft, baCenter, baCenter, {45, 14, 75, 26}, {25, 12, 41, 28}},
        {glRight, baRight, baCenter, {65, 14, 95, 26}, {79, 12, 95, 28}},
    };
    for (const Case& c : cases) {
        TacSpeedButtonInput in = Speed(c.layout, c.align, c.textAlign);
        in.GlyphWidthFlagged = 0;
        const std::string what = std::to_string(c.layout) + "/" + std::to_string(c.align) + "/" + std::to_string(c.textAlign);
        EXPECT_EQ(Str(CalcButtonCaptionRect(in, true)), Str(c.caption)) << what;
        EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(c.glyph)) << what;
    }
}

TEST(SpeedButtonLayout, EdgeCases)
{
    // Reflected: lifted by the height / 6.
    TacSpeedButtonInput in = Speed(glTop, baCenter);
    in.Reflected = true;
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, false)), Str(TRect(43, 2, 59, 18)));
    in.GlyphHeight = 5;
    EXPECT_EQ(CalcButtonGlyphRect(in, false).top, 9) << "5 high: no lift";

    // No caption: no spacing, the glyph centred by its own size (+1 horizontally).
    in = Speed(glTop, baCenter);
    in.HasCaption = false;
    in.TextWidth = in.TextHeight = 0;
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(43, 12, 59, 28)));
    EXPECT_EQ(SpeedCaptionRoom(in), 0);
    in.Layout = glBottom;
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(43, 12, 59, 28)));

    // Negative margin: content margin 0.
    in = Speed(glLeft, baLeft);
    in.Margin = -1;
    EXPECT_EQ(SpeedContentMargin(in), 0);
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(0, 12, 16, 28)));
    EXPECT_EQ(SpeedCaptionRoom(in), 100 - 16 - 4);

    // Drop-down: the arrow part is kept free at the right.
    in = Speed(glTop, baCenter);
    in.DropDown = true;
    EXPECT_EQ(SpeedArrowWidth(in), 16);
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(35, 4, 51, 20)));
    EXPECT_EQ(Str(CalcButtonCaptionRect(in, true)), Str(TRect(27, 24, 57, 36)));
    in = Speed(glLeft, baRight);
    in.DropDown = true;
    EXPECT_EQ(CalcButtonCaptionRect(in, true).right, 100 - 16 - 5);
    in.Ppi = 144;
    EXPECT_EQ(SpeedArrowWidth(in), 24);
    EXPECT_EQ(SpeedContentMargin(in), 7);

    // Right to left with Final: mirrored within the width after the layout.
    in = Speed(glLeft, baLeft, baLeft);
    in.RightToLeft = true;
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(79, 12, 95, 28)));
    EXPECT_EQ(Str(CalcButtonCaptionRect(in, true)), Str(TRect(45, 14, 75, 26)));
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, false)), Str(TRect(5, 12, 21, 28)));

    // Pressed: (1, 1) with Final only; the glyph right of a left-aligned caption follows the
    // shifted caption, less 1.
    in = Speed(glLeft, baCenter);
    in.State = 2;
    in.PressedShift = true;
    EXPECT_EQ(Str(CalcButtonGlyphRect(in, true)), Str(TRect(26, 13, 42, 29)));
    EXPECT_EQ(Str(CalcButtonCaptionRect(in, false)), Str(TRect(45, 14, 75, 26)));
    in = Speed(glRight, baLeft);
    in.State = 2;
    in.PressedShift = true;
    EXPECT_EQ(CalcButtonGlyphRect(in, true).left, 36 + 4 - 1 + 1);

    // Text offset, scaled, along the layout's axis.
    in = Speed(glTop, baCenter);
    in.TextOffset = 4;
    EXPECT_EQ(Str(CalcButtonCaptionRect(in, true)), Str(TRect(35, 28, 65, 40)));
    in = Speed(glLeft, baCenter);
    in.TextOffset = 4;
    in.Ppi = 192;
    // Content margin 10, spacing 8: free = 100 - 30 - 16 - 8 - 20 = 26; 13 + 10 + 16 + 8, then 8 more.
    EXPECT_EQ(CalcButtonCaptionRect(in, false).left, 55);
}

TEST(SpeedButtonLayout, PressedShiftRule)
{
    struct Case {
        int state;
        bool shifts, skinned, border, captured, want;
    } cases[] = {
        {2, true, false, false, false, true},  {2, false, false, false, false, false}, {1, true, false, false, false, false},
        {2, true, true, true, false, true},    {2, true, true, false, false, false},   {2, true, true, false, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpeedPressedShift(c.state, c.shifts, c.skinned, c.border, c.captured), c.want)
            << c.state << c.shifts << c.skinned << c.border << c.captured;
}

// Which state, cell, transparency and grey look a glyph is drawn with.
TEST(GlyphDrawing, StateInThePlatformsCellOrder)
{
    struct Case {
        int state;
        bool enabled;
        int cells;
        bool stdOrder;
        int want;
    } cases[] = {
        {0, true, 4, false, 0}, {1, true, 4, false, 1}, {2, true, 2, false, 2}, {0, false, 4, false, 0},
        {0, true, 4, true, 0},  {0, false, 4, true, 1}, {1, true, 4, true, 0},  {1, false, 4, true, 0},
        // A strip of two has no down cell: pressed draws the first image.
        {2, true, 2, true, 0},  {2, true, 3, true, 2},  {3, true, 1, true, 0},  {3, true, 4, true, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GlyphDrawState(c.state, c.enabled, c.cells, c.stdOrder), c.want)
            << c.state << " enabled " << c.enabled << " cells " << c.cells << " std " << c.stdOrder;
}

TEST(GlyphDrawing, BlendCellAndGreyLooks)
{
    struct Case {
        const char* what;
        int blend, state;
        bool enabled, blended, grayed, grayedDisabled;
        int listBlend, canvasAlpha;
        bool gray;
    } cases[] = {
        {"at rest", 0, 0, true, false, false, false, 0, 0, false},
        {"blend at rest", 30, 0, true, false, false, false, 30, 30, false},
        {"blend not when hot", 30, 1, true, false, false, false, 0, 0, false},
        {"disabled, blended kind", 0, 0, false, true, false, false, 50, 50, false},
        {"disabled, blended kind, more blend", 80, 0, false, true, false, false, 80, 80, false},
        {"disabled, not blended", 20, 0, false, false, false, false, 20, 20, false},
        // A list image keeps the half transparency in any state, a canvas glyph only at rest.
        {"disabled, blended, state 2", 20, 2, false, true, false, false, 50, 0, false},
        {"grayed at rest", 0, 0, true, false, true, false, 0, 0, true},
        {"grayed but hot", 0, 1, true, false, true, false, 0, 0, false},
        {"disabled, grey kind", 0, 2, false, false, false, true, 0, 0, true},
        {"grey kind while enabled", 0, 0, true, false, false, true, 0, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListGlyphBlend(c.blend, c.state, c.enabled, c.blended), c.listBlend) << c.what;
        EXPECT_EQ(CanvasGlyphAlphaPercent(c.blend, c.state, c.enabled, c.blended), c.canvasAlpha) << c.what;
        EXPECT_EQ(CanvasGlyphGray(c.state, c.enabled, c.grayed, c.grayedDisabled), c.gray) << c.what;
    }

    EXPECT_EQ(GlyphStripCell(0, 4), 0);
    EXPECT_EQ(GlyphStripCell(2, 4), 2);
    EXPECT_EQ(GlyphStripCell(3, 2), 1) << "the last cell at most";
    EXPECT_EQ(GlyphStripCell(2, 0), 0) << "0 cells taken as 1";
}

TEST(GlyphDrawing, WhenAGlyphIsCheckedForEmptyAlpha)
{
    struct Case {
        const char* what;
        bool device, enabled, is32, manager;
        int section;
        bool option, want;
    } cases[] = {
        {"32-bit, skinned, option off", false, true, true, true, 3, false, false},
        {"32-bit, option on", false, true, true, true, 3, true, true},
        {"32-bit, no manager", false, true, true, false, 3, false, true},
        {"32-bit, no section", false, true, true, true, -1, false, true},
        {"24-bit, no manager", false, true, false, false, -1, false, false},
        {"device bitmap", true, true, false, true, 3, false, true},
        {"disabled", false, false, false, true, 3, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GlyphNeedsAlphaCheck(c.device, c.enabled, c.is32, c.manager, c.section, c.option), c.want) << c.what;
}

// The caption is measured wrapped or on one line, with all three ellipsis flags when the option
// is on; always as a calculation with tabs expanded.
TEST(SpeedButtonLayout, CaptionMeasureFlags)
{
    constexpr unsigned calc = 0x400 | 0x40, ellipses = 0x40000 | 0x8000 | 0x4000;
    struct Case {
        bool wordWrap, ellipsis;
        unsigned want;
    } cases[] = {
        {false, false, calc | 0x20},
        {true, false, calc | 0x10},
        {false, true, calc | 0x20 | ellipses},
        {true, true, calc | 0x10 | ellipses},
    };
    for (const Case& c : cases) {
        TacSpeedButtonInput in = Speed(glLeft, baCenter);
        in.WordWrap = c.wordWrap;
        in.Ellipsis = c.ellipsis;
        EXPECT_EQ(SpeedCaptionMeasureFlags(in), c.want) << c.wordWrap << c.ellipsis;
    }
}
