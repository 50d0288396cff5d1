// The check box's layout: glyph and caption rectangles for both sides and vertical alignments,
// the visual state, and the strip frame cut from a glyph strip at any PPI.
#include <gtest/gtest.h>

#include "skin/controls/core/check_layout.h"

namespace {

TacCheckLayoutInput Box(int width = 120, int height = 24)
{
    TacCheckLayoutInput in;
    in.Width = width;
    in.Height = height;
    in.GlyphWidth = in.GlyphHeight = 16;
    in.Margin = 2;
    in.TextIndent = 2;
    in.Spacing = 6;
    return in;
}
template <class F> TacCheckLayoutInput With(F change, TacCheckLayoutInput in = Box())
{
    change(in);
    return in;
}

TEST(CheckLayout, GlyphAndCaptionFollowAlignmentAndSource)
{
    struct TCase {
        const char* Name;
        TacCheckLayoutInput In;
        TRect Glyph, Caption;   // caption of a 50 x 14 text
    };
    const TCase cases[] = {
        {"glyph left, middle", Box(), {2, 4, 18, 20}, {23, 4, 73, 18}},
        {"top keeps the margin", With([](auto& i) { i.VerticalAlign = vaTop; }), {2, 2, 18, 18}, {23, 4, 73, 18}},
        {"bottom keeps the margin", With([](auto& i) { i.VerticalAlign = vaBottom; }), {2, 6, 18, 22}, {23, 4, 73, 18}},
        {"skin image at the top ignores the margin", With([](auto& i) { i.VerticalAlign = vaTop, i.SkinGlyph = true; }),
         {2, 0, 18, 16}, {23, 4, 73, 18}},
        {"skin image at the bottom ignores the margin",
         With([](auto& i) { i.VerticalAlign = vaBottom, i.SkinGlyph = true; }), {2, 8, 18, 24}, {23, 4, 73, 18}},
        {"left-justified caption mirrors both", With([](auto& i) { i.GlyphAtRight = true; }), {102, 4, 118, 20},
         {47, 4, 97, 18}},
        {"word wrap nudges the caption left too", With([](auto& i) { i.WordWrap = true; }), {2, 4, 18, 20},
         {22, 4, 72, 18}},
        {"a low box keeps the caption at the margin", Box(120, 10), {2, -3, 18, 13}, {23, 1, 73, 15}},
        {"centred: the skin's image goes right, the caption stays",
         With([](auto& i) { i.Centered = true, i.SkinGlyph = true; }), {102, 4, 118, 20}, {23, 4, 73, 18}},
        {"centred: a user's glyph stays left", With([](auto& i) { i.Centered = true; }), {2, 4, 18, 20},
         {23, 4, 73, 18}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(CheckGlyphRect(c.In), c.Glyph);
        EXPECT_EQ(CheckCaptionRect(c.In, 50, 14), c.Caption);
    }
    EXPECT_EQ(CheckCaptionWidthLimit(Box()), 120 - 3 - 2 - 16 - 4);
}

TEST(CheckLayout, VisualStateNeverHotWhenReadOnly)
{
    struct TCase {
        bool Pressed, Hot, ReadOnly;
        int State;
    };
    const TCase cases[] = {{false, false, false, 0}, {false, true, false, 1}, {true, false, false, 2},
                           {true, true, false, 2},   {false, true, true, 0},  {true, true, true, 2}};
    for (const TCase& c : cases) EXPECT_EQ(CheckVisualState(c.Pressed, c.Hot, c.ReadOnly), c.State);
}

// A 48 x 16 strip of three frames: at 144 PPI the glyph is 24 x 24 but every frame is still cut
// from the strip at 16 x 16 (the pressed one at x 32..48, inside the strip).
TEST(CheckLayout, StripFramesAreCutAtTheStripsFrameSizeAtAnyPpi)
{
    struct TCase {
        const char* Name;
        TacGlyphStrip Strip;
        int Ppi;
        TSize Glyph;
        int Frames;
        bool Pressed;
        int LinkState;
        bool ReadOnly;
        TRect Source;
    };
    const TacGlyphStrip three{48, 16}, single{16, 16}, odd{40, 16};
    const TCase cases[] = {
        {"strip, normal, 96", three, 96, {16, 16}, 3, false, 0, false, {0, 0, 16, 16}},
        {"strip, hot, 96", three, 96, {16, 16}, 3, false, 1, false, {16, 0, 32, 16}},
        {"strip, pressed, 96", three, 96, {16, 16}, 3, true, 1, false, {32, 0, 48, 16}},
        {"strip, hot, 144", three, 144, {24, 24}, 3, false, 1, false, {16, 0, 32, 16}},
        {"strip, pressed, 144", three, 144, {24, 24}, 3, true, 1, false, {32, 0, 48, 16}},
        {"strip, read-only hot", three, 144, {24, 24}, 3, false, 1, true, {0, 0, 16, 16}},
        {"single, pressed", single, 144, {24, 24}, 1, true, 1, false, {0, 0, 16, 16}},
        {"single, hot", single, 96, {16, 16}, 1, false, 1, false, {0, 0, 16, 16}},
        {"not a strip is one picture", odd, 96, {40, 16}, 1, true, 1, false, {0, 0, 40, 16}},
        {"empty", TacGlyphStrip{}, 144, {24, 24}, 1, false, 0, false, {0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(CheckGlyphSize(c.Strip, c.Ppi), c.Glyph);
        EXPECT_EQ(c.Strip.Frames(), c.Frames);
        const int frame = CheckStripFrame(c.Strip.Frames(), c.Pressed, c.LinkState, c.ReadOnly);
        const TRect src = CheckStripFrameRect(c.Strip, frame);
        EXPECT_EQ(src, c.Source);
        EXPECT_LE(src.right, c.Strip.Width);
    }
}

}  // namespace
