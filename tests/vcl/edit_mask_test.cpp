// The edit-mask rules without a window: the three fields, what fits each position with its case,
// the text laid in and given back, and completeness.
#include <gtest/gtest.h>

#include "vcl/edit_mask.h"

TEST(EditMask, FieldsPositionsAndTheEmptyText)
{
    struct TCase {
        const wchar_t* Mask;
        const wchar_t* Empty;
        bool SaveLiterals;
        wchar_t Blank;
    };
    const TCase cases[] = {
        {L"", L"", true, L'_'},
        {L"000-0000", L"___-____", true, L'_'},
        {L"!99/99/00;1;_", L"__/__/__", true, L'_'},
        {L"(999) 000;0;*", L"(***) ***", false, L'*'},
        {L"\\A\\;LL;1; ", L"A;  ", true, L' '},   // escaped literals, the ';' among them
        {L">LL<ll", L"____", true, L'_'},
        {L"00;0", L"__", false, L'_'},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask " << ToUtf8(c.Mask));
        const TacEditMask m(c.Mask);
        EXPECT_EQ(m.EmptyEditText(), c.Empty);
        EXPECT_EQ(m.SaveLiterals(), c.SaveLiterals);
        EXPECT_EQ(m.BlankChar(), c.Blank);
        EXPECT_EQ(m.Active(), *c.Mask != 0);
    }
}

TEST(EditMask, WhatFitsEachPositionAndItsCase)
{
    const TacEditMask m(L">L<l-0#aA\\9C");
    struct TCase {
        int Pos;
        wchar_t Typed;
        bool Fits;
        wchar_t Stored;
    };
    const TCase cases[] = {
        {0, L'q', true, L'Q'},   // upper case asked
        {0, L'5', false, 0},
        {1, L'Q', true, L'q'},   // lower case asked
        {2, L'x', false, 0},     // a literal takes nothing
        {3, L'7', true, L'7'},
        {3, L'a', false, 0},
        {4, L'-', true, L'-'},
        {4, L'+', true, L'+'},
        {4, L'x', false, 0},
        {5, L'z', true, L'z'},
        {5, L'%', false, 0},
        {6, L'4', true, L'4'},
        {7, L'9', false, 0},     // the escaped 9 is a literal
        {8, L'%', true, L'%'},
        {9, L'1', false, 0},     // past the end
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "position " << c.Pos << " key " << char(c.Typed));
        wchar_t k = c.Typed;
        EXPECT_EQ(m.CharFits(c.Pos, k), c.Fits);
        if (c.Fits) EXPECT_EQ(k, c.Stored);
    }
    EXPECT_EQ(m.NextInput(2), 3);
    EXPECT_EQ(m.PrevInput(2), 1);
    EXPECT_EQ(m.NextInput(9), -1);
}

TEST(EditMask, TextInAndOutAndCompleteness)
{
    struct TCase {
        const wchar_t* Mask;
        const wchar_t* Text;       // given to the edit
        const wchar_t* Shown;      // the edit text
        const wchar_t* Back;       // the text given back
        bool Complete;
        int BadPos;
    };
    const TCase cases[] = {
        {L"000-0000", L"555-1234", L"555-1234", L"555-1234", true, -1},
        {L"000-0000;0", L"5551234", L"555-1234", L"5551234", true, -1},
        {L"000-0000", L"55", L"55_-____", L"55 -    ", false, 2},
        {L"999-0000;0", L"12", L"12_-____", L"12", false, 4},
        {L"999;0", L"", L"___", L"", true, -1},                 // nothing required
        {L"!999;0", L" 12", L"_12", L"12", true, -1},          // blanks dropped from the front
        {L"LL", L"a1", L"a_", L"a ", false, 1},                // a digit does not fit a letter
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << ToUtf8(c.Mask) << " <- " << ToUtf8(c.Text));
        const TacEditMask m(c.Mask);
        const String shown = m.EditTextFromText(c.Text);
        EXPECT_EQ(shown, c.Shown);
        EXPECT_EQ(m.TextFromEditText(shown), c.Back);
        int bad = -1;
        EXPECT_EQ(m.Complete(shown, &bad), c.Complete);
        EXPECT_EQ(bad, c.BadPos);
    }
    // A short or missing edit text is incomplete where a required position has nothing.
    int bad = -1;
    EXPECT_FALSE(TacEditMask(L"00").Complete(L"1", &bad));
    EXPECT_EQ(bad, 1);
}
