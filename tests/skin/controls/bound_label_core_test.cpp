// An edit's caption label: its place for each of the twelve layouts (with the edit docked to a
// side), the text alignment and the right-to-left mirror of each layout, and MaxWidth across PPIs.
#include <gtest/gtest.h>

#include "skin/controls/core/bound_label.h"

namespace {

// An edit of 200 x 24 at (100, 50), a label of 40 x 16, spacing 4, indent 2, offset 3.
TacBoundLabelInput Scene()
{
    TacBoundLabelInput in;
    in.Edit = TRect(100, 50, 300, 74);
    in.Label = TSize(40, 16);
    in.Spacing = 4;
    in.Indent = 2;
    in.Offset = 3;
    in.FontTextHeight = 20;
    in.CanvasTextHeight = 14;
    return in;
}
template <class F> TacBoundLabelInput With(F change)
{
    TacBoundLabelInput in = Scene();
    change(in);
    return in;
}

TEST(BoundLabelPlace, EachLayoutPutsTheLabelOnItsSide)
{
    struct TCase {
        const char* Name;
        TsCaptionLayout Layout;
        TacBoundLabelInput In;
        TPoint Pos;
        int Height;
        TacLabelDock Dock;
        bool Centred;
    };
    const TCase cases[] = {
        {"left, centred on the edit", sclLeft, Scene(), {54, 57}, -1, ldNone, false},
        {"left, edit with a non-client frame", sclLeft, With([](auto& i) { i.ClientHeightDiffers = true; }),
         {54, 56}, -1, ldNone, false},
        {"left of an edit docked left", sclLeft,
         With([](auto& i) { i.EditDock = ldLeft, i.EditMarginLeft = 3; }), {57, 57}, -1, ldLeft, true},
        {"top left", sclTopLeft, Scene(), {103, 32}, -1, ldNone, false},
        {"top centre", sclTopCenter, Scene(), {183, 32}, -1, ldNone, false},
        {"top right", sclTopRight, Scene(), {263, 32}, -1, ldNone, false},
        {"left at the top", sclLeftTop, Scene(), {54, 56}, -1, ldNone, false},
        {"bottom left", sclBottomLeft, Scene(), {103, 76}, -1, ldNone, false},
        {"bottom centre", sclBottomCenter, Scene(), {183, 76}, -1, ldNone, false},
        {"bottom right", sclBottomRight, Scene(), {263, 76}, -1, ldNone, false},
        {"right", sclRight, Scene(), {306, 56}, -1, ldNone, false},
        {"right at the top", sclRightTop, Scene(), {306, 56}, -1, ldNone, false},
        {"far left takes the font's height", sclLeftLeft, Scene(), {58, 54}, 20, ldNone, true},
        {"far left of an edit docked left", sclLeftLeft, With([](auto& i) { i.EditDock = ldLeft; }), {58, 54}, 20,
         ldLeft, true},
        {"far right takes the text's height", sclRightRight, Scene(), {302, 57}, 14, ldNone, false},
        {"far right of an edit docked right", sclRightRight, With([](auto& i) { i.EditDock = ldRight; }),
         {302, 57}, 14, ldRight, false},
        {"a docked edit does not dock a top label", sclTopLeft, With([](auto& i) { i.EditDock = ldLeft; }),
         {103, 32}, -1, ldNone, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TacBoundLabelPlace p = PlaceBoundLabel(c.Layout, c.In);
        EXPECT_EQ(p.Pos.x, c.Pos.x);
        EXPECT_EQ(p.Pos.y, c.Pos.y);
        EXPECT_EQ(p.Height, c.Height);
        EXPECT_EQ(p.Dock, c.Dock);
        EXPECT_EQ(p.CenterVertically, c.Centred);
        // A docked far label reads towards the edit.
        EXPECT_EQ(p.HasAlignment, c.Dock != ldNone && (c.Layout == sclLeftLeft || c.Layout == sclRightRight));
        if (p.HasAlignment) EXPECT_EQ(p.Alignment, c.Dock == ldLeft ? taLeftJustify : taRightJustify);
    }
}

TEST(BoundLabelPlace, AlignmentAndRightToLeftMirrorPerLayout)
{
    struct TCase {
        TsCaptionLayout Layout;
        TAlignment Alignment;
        TsCaptionLayout Mirrored;
    };
    const TCase cases[] = {
        {sclLeft, taRightJustify, sclRight},          {sclTopLeft, taLeftJustify, sclTopRight},
        {sclTopCenter, taCenter, sclTopCenter},       {sclTopRight, taRightJustify, sclTopLeft},
        {sclLeftTop, taLeftJustify, sclRightTop},     {sclBottomLeft, taLeftJustify, sclBottomRight},
        {sclBottomCenter, taCenter, sclBottomCenter}, {sclBottomRight, taRightJustify, sclBottomLeft},
        {sclRight, taLeftJustify, sclLeft},           {sclRightTop, taLeftJustify, sclLeftTop},
        {sclLeftLeft, taLeftJustify, sclRightRight},  {sclRightRight, taRightJustify, sclRightRight},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Layout));
        EXPECT_EQ(BoundLabelAlignment(c.Layout), c.Alignment);
        EXPECT_EQ(MirroredCaptionLayout(c.Layout), c.Mirrored);
    }
    // A right-to-left edit shows its left label on its right side.
    const TacBoundLabelPlace p = PlaceBoundLabel(MirroredCaptionLayout(sclLeft), Scene());
    EXPECT_GE(p.Pos.x, Scene().Edit.right);
}

TEST(BoundLabelPlace, MaxWidthFollowsThePpiAndAFixedWidthStopsAutoSize)
{
    struct TCase {
        int Width, From, To, Expected;
    } const cases[] = {
        {100, 96, 144, 150}, {150, 144, 96, 100}, {100, 96, 96, 100}, {0, 96, 144, 0},
        // A PPI of 0 leaves the width alone rather than dividing by it.
        {100, 0, 144, 100}, {100, 96, 0, 100},
    };
    for (const TCase& c : cases) EXPECT_EQ(ScaledBoundWidth(c.Width, c.From, c.To), c.Expected) << c.Width << " " << c.From << "->" << c.To;
    EXPECT_FALSE(BoundLabelAutoSize(sclLeftLeft, 100));
    EXPECT_TRUE(BoundLabelAutoSize(sclLeftLeft, 0));
    EXPECT_TRUE(BoundLabelAutoSize(sclLeft, 100));
}

}  // namespace
