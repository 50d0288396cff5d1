// A push button's rules: its visual state, the section state drawn for it, image and caption
// rectangles by alignment and style, the focus frame and the colours of modal-result buttons.
#include <gtest/gtest.h>

#include "skin/controls/core/button_layout.h"

TEST(ButtonLayout, CurrentState)
{
    struct Case {
        const char* what;
        TacButtonStateInput in;
        int want;
    } cases[] = {
        {"at rest", {}, bstNormal},
        {"default at rest", {.Default = true}, bstDefault},
        {"hot", {.MouseAbove = true, .LinkState = 1}, bstHot},
        {"default hot", {.MouseAbove = true, .LinkState = 1, .Default = true}, bstHot},
        {"held over it", {.Pushed = true, .MouseAbove = true, .LeftDownOnIt = true, .LinkState = 1}, bstPressed},
        // Dragged off while held: the native button stays pushed only while the mouse is over it,
        // but the mouse test decides.
        {"held, dragged off", {.Pushed = true, .LeftDownOnIt = true}, bstNormal},
        {"held, dragged off, default", {.Pushed = true, .LeftDownOnIt = true, .Default = true}, bstDefault},
        {"space bar held", {.Pushed = true, .LinkState = 1}, bstPressed},
        {"no hover looks", {.Pushed = true, .LeftDownOnIt = true, .NoMouseHover = true}, bstPressed},
        {"latched down", {.Down = true}, bstPressed},
        {"menu open", {.DroppedDown = true, .Default = true}, bstPressed},
        {"designing, focused", {.Designing = true, .LinkState = 1}, bstNormal},
    };
    for (const Case& c : cases) EXPECT_EQ(ButtonCurrentState(c.in), c.want) << c.what;
}

TEST(ButtonLayout, SectionStateDrawsTheDefaultLookAsHotWithoutAFourthState)
{
    struct Case {
        int state, states, want;
    } cases[] = {
        {bstDefault, 3, bstHot}, {bstDefault, 4, bstDefault}, {bstDefault, 1, bstHot}, {bstPressed, 3, bstPressed},
        {bstPressed, 2, bstHot}, {bstHot, 1, bstNormal},       {bstHot, 0, bstNormal},
    };
    for (const Case& c : cases) EXPECT_EQ(ButtonSectionState(c.state, c.states), c.want) << c.state << " of " << c.states;
}

TEST(ButtonLayout, GlyphAndCaptionRectanglesByAlignment)
{
    // A 100 x 40 button, a 16 x 12 image with margins (1, 2, 3, 4), content margin 6, a 30 x 14 caption.
    TacButtonLayoutInput base;
    base.Width = 100;
    base.Height = 40;
    base.HasGlyph = true;
    base.GlyphWidth = 16;
    base.GlyphHeight = 12;
    base.ImageMargins = TRect(1, 2, 3, 4);
    base.ContentMargin = 6;
    base.TextWidth = 30;
    base.TextHeight = 14;
    struct Case {
        const char* what;
        TacButtonImageAlign align;
        TRect glyph, caption;
    } cases[] = {
        {"left", biaLeft, TRect(7, 14, 23, 26), TRect(26, 13, 94, 27)},
        {"right", biaRight, TRect(75, 14, 91, 26), TRect(6, 13, 74, 27)},
        // top: 2 + 12 + 12 = 26, then 26 + (40 - 6 - 26 - 14) / 2 = 26 + (-3) = 23
        {"top", biaTop, TRect(42, 8, 58, 20), TRect(6, 23, 94, 37)},
        // bottom: 40 - (4 + 6 + 12 + 2) = 16; top 2 + (16 - 2 - 14) / 2 = 2
        {"bottom", biaBottom, TRect(42, 18, 58, 30), TRect(6, 2, 94, 16)},
        {"centre: both centred", biaCenter, TRect(42, 14, 58, 26), TRect(35, 13, 65, 27)},
    };
    for (const Case& c : cases) {
        TacButtonLayoutInput in = base;
        in.Alignment = c.align;
        const TacButtonLayout l = CalcButtonLayout(in);
        EXPECT_EQ(l.Glyph, c.glyph) << c.what;
        EXPECT_EQ(l.Caption, c.caption) << c.what;
        in.ShiftContent = true;
        const TacButtonLayout s = CalcButtonLayout(in);
        EXPECT_EQ(s.Glyph, TRect(c.glyph.left + 1, c.glyph.top + 1, c.glyph.right + 1, c.glyph.bottom + 1)) << c.what;
        EXPECT_EQ(s.Caption.TopLeft(), TPoint(c.caption.left + 1, c.caption.top + 1)) << c.what;
    }
}

TEST(ButtonLayout, NoGlyphSplitAndCommandLink)
{
    TacButtonLayoutInput in;
    in.Width = 75;
    in.Height = 25;
    in.TextWidth = 21;
    in.TextHeight = 13;
    in.Alignment = biaRight;   // no image: the alignment does not matter
    TacButtonLayout l = CalcButtonLayout(in);
    EXPECT_TRUE(l.Glyph == TRect());
    EXPECT_EQ(l.Caption, TRect(27, 6, 48, 19));
    // Odd room splits toward the left and top (truncating), also when the text is wider.
    in.TextWidth = 80;
    EXPECT_EQ(CalcButtonLayout(in).Caption.left, -2);

    // A split button centres in what is left beside its arrow part.
    in.TextWidth = 21;
    in.Kind = bkSplit;
    in.SplitWidth = ButtonSplitWidth(144);
    EXPECT_EQ(in.SplitWidth, 24);
    EXPECT_EQ(CalcButtonLayout(in).Caption, TRect(15, 6, 36, 19));

    // A command link: image at the margins' corner, caption right of its box and gap.
    in.Kind = bkCommandLink;
    in.HasGlyph = true;
    in.GlyphWidth = in.GlyphHeight = 32;
    in.ImageMargins = TRect(2, 0, 3, 0);
    in.CommandLinkBoxWidth = 32 + 2 + 3;
    in.CommandLinkGap = 6;
    l = CalcButtonLayout(in);
    EXPECT_EQ(l.Glyph, TRect(8, 6, 40, 38));
    EXPECT_EQ(l.Caption, TRect(37 + 6 + 6, 6, 75 - 6, 6 + 13));
}

// Which image of the list each look shows, and the fall-back to ImageIndex when the look's own
// index is unset or outside the list (3 images: 0..2).
TEST(ButtonLayout, GlyphIndexOfEachLook)
{
    const TacButtonImageIndexes all{0, 1, 2, 1, 2};
    const TacButtonImageIndexes none{0};
    const TacButtonImageIndexes outside{0, 3, 7, -2, 3};
    struct Case {
        const TacButtonImageIndexes* ix;
        bool enabled, focused;
        int state, want;
    } cases[] = {
        {&all, true, false, bstNormal, 0},   {&all, true, false, bstHot, 1},
        {&all, true, false, bstPressed, 2},  {&all, true, false, bstDefault, 1},
        {&all, true, true, bstNormal, 1},    {&all, true, true, bstHot, 1},
        {&all, true, true, bstPressed, 2},   // pressed wins over focused
        {&all, false, true, bstPressed, 2},  {&all, false, false, bstNormal, 2},   // disabled wins over all
        {&none, true, false, bstHot, 0},     {&none, true, true, bstPressed, 0},   {&none, false, false, bstNormal, 0},
        {&outside, true, false, bstHot, 0},  {&outside, true, false, bstPressed, 0}, {&outside, true, true, bstNormal, 0},
        {&outside, false, false, bstNormal, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ButtonGlyphIndex(*c.ix, 3, c.enabled, c.focused, c.state), c.want)
            << c.enabled << c.focused << " state " << c.state;
    // An empty list: the normal index stays (drawing then finds no image).
    EXPECT_EQ(ButtonGlyphIndex(all, 0, true, false, bstHot), 0);
    EXPECT_EQ(CommandLinkTextRight(200, 6, 32, 6), 200 - 18 - 32 - 6);
}

TEST(ButtonLayout, FocusRectKeepsThreePixelsInsideTopAndBottom)
{
    EXPECT_EQ(ButtonFocusRect(TRect(27, 6, 48, 19), 1, 25), TRect(25, 5, 50, 20));
    EXPECT_EQ(ButtonFocusRect(TRect(27, 2, 48, 23), 1, 25), TRect(25, 3, 50, 22));
    EXPECT_EQ(ButtonFocusRect(TRect(10, 8, 20, 12), 0, 20), TRect(9, 8, 21, 12));
}

TEST(ButtonLayout, ColoringByModalResultManagerChoiceAndState)
{
    constexpr TColor none = clNone;
    const TColor greenRest = TColorOf(0xFF28851Au), greenOther = TColorOf(0xFF008E00u);
    const TColor redRest = TColorOf(0xFF0000B4u), redOther = TColorOf(0xFF0000A2u);
    const TColor greenTone = TColorOf(0xFFE1FFD2u), redToneOther = TColorOf(0xFFBDBDFFu);
    struct Case {
        const char* what;
        TacColoringInput in;
        TacColoring want;
    } cases[] = {
        {"no result", {.ModalResult = 0, .HasManager = true, .Skinned = true, .Coloring = 7}, {}},
        {"abort is not coloured", {.ModalResult = 3, .HasManager = true, .Skinned = true, .Coloring = 7}, {}},
        {"ok, no manager: glyph only", {.ModalResult = acResultOk, .Coloring = 0}, {none, greenRest, none}},
        {"ok, glyph only chosen", {.ModalResult = acResultOk, .HasManager = true, .Skinned = true, .Coloring = bcfGlyph},
         {none, greenRest, none}},
        {"ok, text, skinned", {.ModalResult = acResultOk, .HasManager = true, .Skinned = true, .Coloring = bcfText},
         {none, none, greenRest}},
        {"yes, text, hot", {.ModalResult = acResultYes, .State = bstHot, .HasManager = true, .Skinned = true, .Coloring = bcfText},
         {none, none, greenOther}},
        {"ok, text and background, unskinned",
         {.ModalResult = acResultOk, .HasManager = true, .Skinned = false, .Coloring = bcfText | bcfBackground}, {}},
        {"ok, background", {.ModalResult = acResultOk, .HasManager = true, .Skinned = true, .Coloring = bcfBackground},
         {greenTone, none, none}},
        {"cancel, all, pressed",
         {.ModalResult = acResultCancel, .State = bstPressed, .HasManager = true, .Skinned = true, .Coloring = 7},
         {redToneOther, redOther, redOther}},
        {"no, glyph, default look", {.ModalResult = acResultNo, .State = bstDefault, .HasManager = true, .Coloring = bcfGlyph},
         {none, redOther, none}},
        {"no, glyph, rest", {.ModalResult = acResultNo, .HasManager = true, .Coloring = bcfGlyph}, {none, redRest, none}},
        {"own tone wins",
         {.ModalResult = acResultOk, .HasManager = true, .Skinned = true, .Coloring = 7, .LinkColorTone = 0x123456},
         {0x123456, none, none}},
    };
    for (const Case& c : cases) {
        const TacColoring got = ButtonColoring(c.in);
        EXPECT_EQ(got.ColorToneBG, c.want.ColorToneBG) << c.what;
        EXPECT_EQ(got.ColorGlyph, c.want.ColorGlyph) << c.what;
        EXPECT_EQ(got.ColorText, c.want.ColorText) << c.what;
    }
}
