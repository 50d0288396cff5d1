// The skinned combo box's rules: button and text rectangles, the states of its face, button and
// items, and where an item's colours come from.
#include <gtest/gtest.h>

#include "skin/controls/core/combo_box.h"

TEST(ComboBoxGeometry, ButtonAndTextRectangles)
{
    struct Case {
        const char* what;
        int width, height, scroll, margin;
        bool show, simple, rtl;
        TRect button, text;
    } cases[] = {
        // 160 x 24, a 17-pixel scroll bar: a 16-pixel button inside the 2-pixel margin.
        {"left to right", 160, 24, 17, 2, true, false, false, {142, 2, 158, 22}, {3, 3, 140, 21}},
        {"right to left", 160, 24, 17, 2, true, false, true, {2, 2, 18, 22}, {20, 3, 157, 21}},
        {"150 % scroll bar, margin 3", 160, 30, 26, 3, true, false, false, {132, 3, 157, 27}, {3, 3, 130, 27}},
        {"no button", 160, 24, 17, 2, false, false, false, {158, 2, 158, 22}, {3, 3, 156, 21}},
        {"simple", 160, 24, 17, 2, true, true, false, {158, 2, 158, 22}, {3, 3, 156, 21}},
    };
    for (const Case& c : cases) {
        TacComboGeometry g;
        g.Width = c.width, g.Height = c.height, g.ScrollBarWidth = c.scroll, g.Margin = c.margin;
        g.ShowButton = c.show, g.Simple = c.simple, g.RightToLeft = c.rtl;
        EXPECT_EQ(g.ButtonRect(), c.button) << c.what;
        EXPECT_EQ(g.TextRect(c.height), c.text) << c.what;
    }
}

TEST(ComboBoxGeometry, OnlyListCombosWithoutASectionHaveNoEditField)
{
    using K = TacComboKind;
    EXPECT_TRUE(ComboNoEditFace(K::DropDownList, true, true));
    EXPECT_TRUE(ComboNoEditFace(K::OwnerDrawFixed, false, false));
    EXPECT_FALSE(ComboNoEditFace(K::DropDownList, false, true)) << "a section of its own: an edit and a button";
    EXPECT_FALSE(ComboNoEditFace(K::DropDown, true, true));
    EXPECT_FALSE(ComboNoEditFace(K::Simple, true, false));
}

TEST(ComboBoxStates, FaceButtonAndItemByInput)
{
    struct Case {
        const char* what;
        bool designing, focused, comboNoEdit;
        int states;
        bool dropped, noEdit;
        int current;
        bool mouse;
        int hotPart;
        int face, button, faceItem;
    } cases[] = {
        {"rest", false, false, true, 3, false, true, 0, false, 0, 0, 0, 0},
        {"hovered", false, false, true, 3, false, true, 1, true, 0, 1, 1, 1},
        {"mouse above, link not hot yet", false, false, true, 3, false, true, 0, true, 0, 1, 1, 1},
        {"dropped down", false, false, true, 3, true, true, 1, true, 0, 2, 2, 1},
        {"focused, 3 states", false, true, true, 3, false, true, 1, false, 0, 1, 1, 1},
        {"focused, 4 states", false, true, true, 4, false, true, 1, false, 0, 3, 1, 1},
        {"focused, 4 states but another section", false, true, false, 4, false, true, 1, false, 0, 1, 1, 1},
        {"designing", true, true, true, 4, true, true, 1, true, 2, 0, 0, 0},
        {"edit style, over the button", false, false, false, 3, false, false, 0, true, 2, 0, 1, 0},
        {"edit style, over the edit", false, false, false, 3, false, false, 0, true, 1, 0, 0, 0},
        {"edit style, dropped", false, false, false, 3, true, false, 0, false, 0, 0, 2, 0},
    };
    for (const Case& c : cases) {
        TacComboFaceInput in;
        in.Designing = c.designing, in.Focused = c.focused, in.SectionIsComboNoEdit = c.comboNoEdit;
        in.SectionStates = c.states, in.DroppedDown = c.dropped, in.NoEditFace = c.noEdit;
        in.CurrentState = c.current, in.MouseAbove = c.mouse, in.HotPart = c.hotPart;
        EXPECT_EQ(ComboFaceState(in), c.face) << c.what;
        EXPECT_EQ(ComboButtonState(in), c.button) << c.what;
        EXPECT_EQ(ComboItemState(in, true), c.faceItem) << c.what;
        EXPECT_EQ(ComboItemState(in, false), 0) << c.what << ": list items are drawn in state 0";
    }
}

TEST(ComboBoxItems, ColourSourceByState)
{
    using C = TacItemColors;
    using F = TacItemFont;
    struct Case {
        const char* what;
        bool selected, noEditItem, editFace, selection, customColor, customFont;
        C back;
        F font;
    } cases[] = {
        {"selected list item, SELECTION", true, false, false, true, false, false, C::Selection, F::Selection},
        {"selected list item, no SELECTION", true, false, false, false, true, true, C::Highlight, F::Highlight},
        {"selected face of a list-only combo", true, true, true, true, false, false, C::SectionColor, F::SectionFont},
        {"list item", false, false, false, true, false, false, C::EditColors, F::EditText},
        {"list item, own colours", false, false, false, true, true, true, C::CustomColor, F::CustomFont},
        {"face", false, true, true, true, false, false, C::SectionColor, F::SectionFont},
        {"face, own font only", false, true, true, false, false, true, C::SectionColor, F::CustomFont},
    };
    for (const Case& c : cases) {
        TacItemColorInput in;
        in.Selected = c.selected, in.NoEditItem = c.noEditItem, in.EditFace = c.editFace;
        in.HasSelectionSection = c.selection, in.CustomColor = c.customColor;
        EXPECT_EQ(ComboItemBackground(in), c.back) << c.what;
        EXPECT_EQ(ComboItemFont(in, c.customFont), c.font) << c.what;
    }
}
