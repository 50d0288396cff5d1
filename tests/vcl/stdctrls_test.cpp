// Standard and extra controls over real windows: memo lines, edits, combo boxes, labels,
// group boxes, panels, images, bit and speed buttons, menu items, the screen object and the
// plumbing of the file dialogs (the dialogs themselves never show).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/buttons.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/mask.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

using testing_support::CaptureWindow;
using testing_support::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::SaveScreenshot;

namespace {

// A borderless white form at a fixed place, so client pixels are easy to predict.
FormPtr NewForm(int w = 400, int h = 300)
{
    FormPtr f(new TForm(nullptr));
    f->SetBorderStyle(bsNone);
    f->SetBounds(120, 120, w, h);
    f->SetColor(clWhite);
    return f;
}

template <class T>
T* Place(TForm* form, int x, int y, int w, int h)
{
    auto* c = new T(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    return c;
}

struct Counter {
    int count = 0;
    void Event(TObject*) { ++count; }
};

String WindowText(HWND h)
{
    int n = GetWindowTextLengthW(h);
    String s(static_cast<size_t>(n), L'\0');
    if (n > 0) s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

void Type(HWND h, const String& text)
{
    for (wchar_t ch : text) SendMessageW(h, WM_CHAR, ch, 1);
}

// A 24-bit bitmap of one colour with an optional centred square of another.
std::unique_ptr<TBitmap> MakeBitmap(int w, int h, TColor fill, TColor centre = clNone, int centreSize = 0)
{
    auto b = std::make_unique<TBitmap>(w, h, pf24bit);
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    if (centre != clNone) {
        b->Canvas()->Brush()->SetColor(centre);
        b->Canvas()->FillRect(Bounds((w - centreSize) / 2, (h - centreSize) / 2, centreSize, centreSize));
    }
    return b;
}

// Pixels of colour inside r of a captured bitmap.
int CountColour(TBitmap& bmp, const TRect& r, TColor colour)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (PixelAt(bmp, x, y) == colour) ++n;
    return n;
}

}  // namespace

// ---- memo ------------------------------------------------------------------------------------

TEST(Memo, LinesReadAndWriteTheNativeEditsText)
{
    FormPtr form = NewForm();
    auto* memo = Place<TMemo>(form.get(), 10, 10, 200, 120);
    // Lines given before the window exists reach it.
    memo->Lines()->Add(L"before");
    form->Show();
    HWND h = memo->Handle();
    EXPECT_EQ(WindowText(h), L"before");

    memo->Lines()->Add(L"second");
    EXPECT_EQ(WindowText(h), L"before\r\nsecond");
    EXPECT_EQ(SendMessageW(h, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(1), L"second");

    memo->Lines()->Insert(1, L"middle");
    memo->Lines()->Delete(0);
    memo->Lines()->Put(1, L"last");
    EXPECT_EQ(WindowText(h), L"middle\r\nlast");
    EXPECT_EQ(memo->Lines()->Text(), L"middle\r\nlast\r\n");

    // What the user typed is in the lines; a line the user ended with Enter is not followed
    // by an empty one when the program appends.
    memo->Lines()->Clear();
    EXPECT_EQ(WindowText(h), L"");
    EXPECT_EQ(memo->Lines()->Count(), 0);
    Type(h, L"typed\r");
    EXPECT_EQ(memo->Lines()->Count(), 1);
    EXPECT_EQ(memo->Lines()->Get(0), L"typed");
    memo->Lines()->Add(L"appended");
    EXPECT_EQ(memo->Lines()->ToVector(), (std::vector<String>{L"typed", L"appended"}));
    EXPECT_EQ(SendMessageW(h, EM_GETLINECOUNT, 0, 0), 2);

    // A trailing line break in new text ends the last line.
    memo->Lines()->SetText(L"a\r\nb\r\n");
    EXPECT_EQ(WindowText(h), L"a\r\nb");
    EXPECT_EQ(memo->Lines()->Count(), 2);

    // The lines outlive a recreated window.
    memo->SetScrollBars(ssVertical);
    EXPECT_NE(memo->Handle(), nullptr);
    EXPECT_NE(GetWindowLongPtrW(memo->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_EQ(memo->Lines()->ToVector(), (std::vector<String>{L"a", L"b"}));
}

// ---- edit ------------------------------------------------------------------------------------

TEST(Edit, OnChangeMaxLengthAndReadOnlyActOnTheNativeEdit)
{
    FormPtr form = NewForm();
    auto* edit = Place<TEdit>(form.get(), 10, 10, 150, 24);
    Counter changes;
    edit->OnChange = Bind<&Counter::Event>(&changes);
    form->Show();
    HWND h = edit->Handle();

    // Programmatic and typed changes both fire; setting the same text does not.
    edit->SetText(L"abc");
    EXPECT_EQ(changes.count, 1);
    edit->SetText(L"abc");
    EXPECT_EQ(changes.count, 1);
    SendMessageW(h, EM_SETSEL, 3, 3);
    Type(h, L"d");
    EXPECT_EQ(edit->Text(), L"abcd");
    EXPECT_EQ(changes.count, 2);

    // MaxLength stops typing, not the program.
    edit->SetMaxLength(6);
    EXPECT_EQ(SendMessageW(h, EM_GETLIMITTEXT, 0, 0), 6);
    SendMessageW(h, EM_SETSEL, 4, 4);
    Type(h, L"efgh");
    EXPECT_EQ(WindowText(h), L"abcdef");

    // ReadOnly: the native style, and typing changes nothing.
    edit->SetReadOnly(true);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY, 0);
    int before = changes.count;
    SendMessageW(h, EM_SETSEL, 0, -1);
    Type(h, L"x");
    EXPECT_EQ(WindowText(h), L"abcdef");
    EXPECT_EQ(changes.count, before);

    // A recreated window keeps the text, the limit and the read-only state, without an
    // OnChange of its own.
    edit->SetCharCase(ecUpperCase);
    h = edit->Handle();
    EXPECT_EQ(UpperCase(WindowText(h)), L"ABCDEF");
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_UPPERCASE, 0);
    EXPECT_NE(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(SendMessageW(h, EM_GETLIMITTEXT, 0, 0), 6);
    EXPECT_EQ(changes.count, before);
    edit->SetReadOnly(false);
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY, 0);
    SendMessageW(h, EM_SETSEL, 0, -1);
    Type(h, L"q");
    EXPECT_EQ(edit->Text(), L"Q");
}

// A masked edit takes only what fits the position under the caret, steps over literals, blanks
// rather than shifts on Backspace and Delete, pastes what fits, and refuses to be left
// incomplete.
TEST(MaskEdit, TypingFollowsTheMaskAndLeavingChecksIt)
{
    FormPtr form = NewForm();
    auto* edit = Place<TMaskEdit>(form.get(), 10, 10, 150, 24);
    auto* other = Place<TEdit>(form.get(), 10, 50, 150, 24);
    edit->SetEditMask(L"000-0000;0;_");
    form->Show();
    HWND h = edit->Handle();
    EXPECT_EQ(WindowText(h), L"___-____");
    EXPECT_EQ(edit->Text(), L"");

    edit->SetFocus();
    SendMessageW(h, EM_SETSEL, 0, 0);
    Type(h, L"5x55123");   // the letter is refused, the literal stepped over
    EXPECT_EQ(WindowText(h), L"555-123_");
    EXPECT_EQ(edit->Text(), L"555123");
    EXPECT_EQ(edit->SelStart(), 7);

    SendMessageW(h, WM_CHAR, VK_BACK, 0);   // the 3 becomes a blank; nothing moves
    EXPECT_EQ(WindowText(h), L"555-12__");
    SendMessageW(h, EM_SETSEL, 0, 0);
    SendMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(WindowText(h), L"_55-12__");

    // Leaving an incomplete edit raises the edit error and keeps the caret at the first gap.
    EXPECT_THROW(edit->ValidateEdit(), EDBEditError);
    EXPECT_EQ(edit->SelStart(), 0);

    // The text set by code is laid into the mask.
    edit->SetText(L"5551234");
    EXPECT_EQ(WindowText(h), L"555-1234");
    EXPECT_NO_THROW(edit->ValidateEdit());
    other->SetFocus();
    EXPECT_EQ(GetFocus(), other->Handle());

    // A mask taken away gives the text back as it is.
    edit->SetEditMask(L"");
    EXPECT_EQ(WindowText(edit->Handle()), L"5551234");
}

// ---- combo box -------------------------------------------------------------------------------

TEST(ComboBox, ItemsAndItemIndexLiveInTheNativeListAndOnlyTheUserFiresOnChange)
{
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        SCOPED_TRACE(style == csDropDown ? "drop-down" : "drop-down list");
        FormPtr form = NewForm();
        auto* combo = Place<TComboBox>(form.get(), 10, 10, 150, 24);
        combo->SetStyle(style);
        Counter changes;
        combo->OnChange = Bind<&Counter::Event>(&changes);
        combo->Items()->Add(L"Off");   // before the window exists
        form->Show();
        HWND h = combo->Handle();
        combo->Items()->Add(L"Low");
        combo->Items()->Add(L"High");
        ASSERT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 3);

        struct Row {
            int set, expected;
            const wchar_t* text;
        };
        for (const Row& r : {Row{1, 1, L"Low"}, Row{2, 2, L"High"}, Row{7, -1, L""}, Row{0, 0, L"Off"}}) {
            combo->SetItemIndex(r.set);
            EXPECT_EQ(combo->ItemIndex(), r.expected);
            EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), r.expected);
            EXPECT_EQ(WindowText(h), r.text);
        }
        combo->Items()->Delete(1);
        EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 2);
        if (style == csDropDown) {
            combo->SetText(L"Medium");
            EXPECT_EQ(WindowText(h), L"Medium");
            combo->SetItemIndex(0);
        }
        EXPECT_EQ(changes.count, 0) << "changes made by the program";

        // The user picks the next item with the keyboard.
        SetFocus(h);
        SendMessageW(h, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(h, WM_KEYUP, VK_DOWN, 0);
        PumpFor(30);
        EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(combo->ItemIndex(), 1);
        EXPECT_EQ(combo->Text(), L"High");
        EXPECT_EQ(changes.count, 1);
        if (style == csDropDown) {
            // Typing in the inner edit is a change too.
            ASSERT_NE(combo->EditHandle(), nullptr);
            SendMessageW(combo->EditHandle(), EM_SETSEL, 4, 4);
            Type(combo->EditHandle(), L"!");
            EXPECT_EQ(changes.count, 2);
            EXPECT_EQ(combo->Text(), L"High!");
            changes.count = 1;
        }

        // Items and selection survive a recreated window.
        combo->SetDropDownCount(4);
        combo->SetStyle(style == csDropDown ? csSimple : csDropDown);
        h = combo->Handle();
        EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(changes.count, 1);
    }
}

TEST(ComboBox, SortedItemsAreInTheSameOrderHereAndInTheNativeList)
{
    FormPtr form = NewForm();
    auto* combo = Place<TComboBox>(form.get(), 10, 10, 150, 24);
    combo->SetStyle(csDropDownList);
    combo->SetSorted(true);
    combo->Items()->Add(L"Shifter");
    form->Show();
    HWND h = combo->Handle();
    struct Row {
        const wchar_t* add;
        int index;   // where Add says it went
    };
    for (const Row& r : {Row{L"Wheel", 1}, Row{L"Pedals", 0}, Row{L"Handbrake", 0}}) EXPECT_EQ(combo->Items()->Add(r.add), r.index);
    std::vector<String> expected{L"Handbrake", L"Pedals", L"Shifter", L"Wheel"};
    EXPECT_EQ(combo->Items()->ToVector(), expected);
    ASSERT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t buf[32] = {};
        SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        EXPECT_EQ(String(buf), expected[static_cast<size_t>(i)]);
    }
    // Turning sorting on later sorts what is there.
    auto* late = Place<TComboBox>(form.get(), 10, 50, 150, 24);
    for (const wchar_t* s : {L"b", L"c", L"a"}) late->Items()->Add(s);
    late->SetSorted(true);
    EXPECT_EQ(late->Items()->ToVector(), (std::vector<String>{L"a", L"b", L"c"}));
    wchar_t first[8] = {};
    SendMessageW(late->Handle(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ(first, L"a");
}

TEST(ComboBox, OwnerDrawnItemsArePaintedByOnDrawItem)
{
    FormPtr form = NewForm();
    auto* combo = Place<TComboBox>(form.get(), 10, 10, 160, 24);
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(22);
    for (const wchar_t* s : {L"red", L"blue"}) combo->Items()->Add(s);
    struct Painter {
        TComboBox* combo;
        int calls = 0;
        void Draw(TWinControl*, int index, TRect rect, TOwnerDrawState)
        {
            ++calls;
            TCanvas* c = combo->Canvas();
            c->Brush()->SetColor(index >= 0 && combo->Items()->Get(index) == L"red" ? clRed : clBlue);
            c->FillRect(rect);
        }
    } painter{combo};
    combo->OnDrawItem = Bind<&Painter::Draw>(&painter);
    combo->SetItemIndex(0);
    form->Show();
    HWND h = combo->Handle();
    EXPECT_EQ(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0), 22);
    ASSERT_TRUE(PumpUntil([&] { return painter.calls > 0; }));

    RECT cr;
    GetClientRect(h, &cr);
    // The face of the closed box shows the selected item, drawn by us.
    int x = 20, y = cr.bottom / 2;
    ASSERT_TRUE(PumpUntil([&] { return PixelAt(h, x, y) == clRed; })) << ToUtf8(SaveScreenshot(form->Handle(), L"combo_ownerdraw"));
    combo->SetItemIndex(1);
    ASSERT_TRUE(PumpUntil([&] { return PixelAt(h, x, y) == clBlue; })) << ToUtf8(SaveScreenshot(form->Handle(), L"combo_ownerdraw"));
}

// ---- label -----------------------------------------------------------------------------------

TEST(Label, AutoSizeFitsTheCaptionAndWordWrapKeepsTheWidth)
{
    FormPtr form = NewForm();
    form->Show();
    TBitmap measure(1, 1);
    auto* probe = Place<TLabel>(form.get(), 0, 0, 10, 10);
    measure.Canvas()->Font()->Assign(probe->Font());
    TSize gear = measure.Canvas()->TextExtent(L"Gear shifter");
    TSize space = measure.Canvas()->TextExtent(L" ");

    struct Row {
        const wchar_t* caption;
        bool wordWrap;
        int width;            // before AutoSize is turned on
        int expectedWidth;    // -1: wrapped, at least two lines tall, no wider than before
        int expectedHeight;
    };
    for (const Row& r : {Row{L"Gear shifter", false, 10, gear.cx, gear.cy},
                         Row{L"", false, 50, space.cx, space.cy},
                         Row{L"&", false, 50, space.cx, space.cy},
                         Row{L"one two three four five six seven", true, 60, -1, 0}}) {
        SCOPED_TRACE(ToUtf8(r.caption));
        auto* label = new TLabel(form.get());
        label->SetAutoSize(false);
        label->SetParent(form.get());
        label->SetBounds(20, 40, r.width, 10);
        label->SetWordWrap(r.wordWrap);
        label->SetCaption(r.caption);
        label->SetAutoSize(true);
        if (r.expectedWidth >= 0) {
            EXPECT_EQ(label->Width(), r.expectedWidth);
            EXPECT_EQ(label->Height(), r.expectedHeight);
        } else {
            EXPECT_GT(label->Width(), 0);
            EXPECT_LE(label->Width(), r.width);
            EXPECT_GE(label->Height(), 2 * gear.cy);
        }
        // A new caption fits the label again.
        label->SetWordWrap(false);
        label->SetCaption(L"Gear shifter");
        EXPECT_EQ(label->BoundsRect(), Bounds(20, 40, gear.cx, gear.cy));
        TObject::Free(label);
    }
}

TEST(Label, TextIsPaintedInsideTheLabelWhereTheAlignmentPutsIt)
{
    FormPtr form = NewForm();
    struct Row {
        TAlignment alignment;
        bool inLeftHalf, inRightHalf;
    };
    for (const Row& r : {Row{taLeftJustify, true, false}, Row{taRightJustify, false, true}}) {
        auto* label = Place<TLabel>(form.get(), 20, 20, 300, 30);
        label->SetAutoSize(false);
        label->SetColor(clYellow);
        label->Font()->SetColor(clRed);
        label->SetAlignment(r.alignment);
        label->SetCaption(L"Gear");
        form->Show();
        form->Repaint();
        auto shot = CaptureWindow(form->Handle());
        EXPECT_EQ(PixelAt(*shot, 160, 45), clYellow);       // the label's own colour
        EXPECT_EQ(PixelAt(*shot, 10, 10), clWhite);         // the form around it
        EXPECT_EQ(CountColour(*shot, Bounds(20, 20, 150, 30), clRed) > 0, r.inLeftHalf);
        EXPECT_EQ(CountColour(*shot, Bounds(170, 20, 150, 30), clRed) > 0, r.inRightHalf);
        EXPECT_EQ(CountColour(*shot, Bounds(0, 60, 400, 240), clRed), 0);
        TObject::Free(label);
    }
}

// ---- group box and panel -----------------------------------------------------------------------

TEST(Containers, GroupBoxKeepsAlignedChildrenBelowItsCaptionAndPaintsIt)
{
    FormPtr form = NewForm();
    auto* box = Place<TGroupBox>(form.get(), 10, 10, 200, 120);
    box->SetCaption(L"Shifter");
    box->Font()->SetColor(clRed);
    auto* inner = new TPanel(form.get());
    inner->SetParent(box);
    inner->SetAlign(alClient);
    inner->SetBevelOuter(bvNone);
    form->Show();
    form->Repaint();

    TBitmap measure(1, 1);
    measure.Canvas()->Font()->Assign(box->Font());
    int lineHeight = measure.Canvas()->TextExtent(L"0").cy;
    EXPECT_GE(inner->Top(), lineHeight);
    EXPECT_GT(inner->Left(), 0);
    EXPECT_LT(inner->Left() + inner->Width(), 200);
    EXPECT_LT(inner->Top() + inner->Height(), 120);
    auto shot = CaptureWindow(box->Handle());
    EXPECT_GT(CountColour(*shot, TRect(0, 0, 200, lineHeight), clRed), 0) << "caption painted";
}

TEST(Containers, PanelBevelsInsetChildrenAndPaintTheirEdges)
{
    TColor light = static_cast<TColor>(GetSysColor(COLOR_BTNHIGHLIGHT));
    TColor dark = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));
    struct Row {
        TBevelCut outer, inner;
        int width;
        int inset;
        TColor topLeft, bottomRight;
    };
    for (const Row& r : {Row{bvRaised, bvNone, 1, 1, light, dark}, Row{bvLowered, bvNone, 2, 2, dark, light},
                         Row{bvRaised, bvLowered, 2, 4, light, dark}, Row{bvNone, bvNone, 3, 0, clLime, clLime}}) {
        FormPtr form = NewForm();
        auto* panel = Place<TPanel>(form.get(), 10, 10, 200, 100);
        panel->SetColor(clLime);
        panel->SetBevelOuter(r.outer);
        panel->SetBevelInner(r.inner);
        panel->SetBevelWidth(r.width);
        auto* child = new TPanel(form.get());
        child->SetParent(panel);
        child->SetAlign(alTop);
        child->SetHeight(20);
        form->Show();
        form->Repaint();
        EXPECT_EQ(child->BoundsRect(), Bounds(r.inset, r.inset, 200 - 2 * r.inset, 20));
        auto shot = CaptureWindow(panel->Handle());
        EXPECT_EQ(PixelAt(*shot, 100, 60), clLime);
        EXPECT_EQ(PixelAt(*shot, 0, 50), r.topLeft);
        EXPECT_EQ(PixelAt(*shot, 199, 50), r.bottomRight);
    }
}

// ---- image -----------------------------------------------------------------------------------

TEST(Image, PictureIsDrawnPlainCentredOrStretched)
{
    struct Row {
        bool stretch, center;
        TRect dest;
    };
    for (const Row& r : {Row{false, false, Bounds(0, 0, 20, 10)}, Row{false, true, Bounds(40, 25, 20, 10)},
                         Row{true, false, Bounds(0, 0, 100, 60)}, Row{true, true, Bounds(0, 0, 100, 60)}}) {
        SCOPED_TRACE(testing::Message() << "stretch " << r.stretch << " center " << r.center);
        FormPtr form = NewForm();
        auto* image = Place<TImage>(form.get(), 30, 30, 100, 60);
        auto pic = MakeBitmap(20, 10, clRed);
        image->Picture()->SetGraphic(pic.get());
        image->SetStretch(r.stretch);
        image->SetCenter(r.center);
        form->Show();
        form->Repaint();
        EXPECT_EQ(image->DestRect(), r.dest);
        auto shot = CaptureWindow(form->Handle());
        TRect onForm = r.dest;
        onForm.Offset(30, 30);
        EXPECT_EQ(CountColour(*shot, onForm, clRed), onForm.Width() * onForm.Height());
        EXPECT_EQ(CountColour(*shot, TRect(0, 0, 400, 300), clRed), onForm.Width() * onForm.Height());
    }
}

// ---- bit and speed buttons ---------------------------------------------------------------------

TEST(BitBtn, KindGivesCaptionResultDefaultAndCancel)
{
    struct Row {
        TBitBtnKind kind;
        const wchar_t* caption;
        TModalResult result;
        bool isDefault, isCancel;
    };
    for (const Row& r : {Row{bkOK, L"OK", mrOk, true, false}, Row{bkCancel, L"Cancel", mrCancel, false, true},
                         Row{bkYes, L"&Yes", mrYes, true, false}, Row{bkNo, L"&No", mrNo, false, true},
                         Row{bkRetry, L"&Retry", mrRetry, false, false}}) {
        FormPtr form = NewForm();
        auto* btn = Place<TBitBtn>(form.get(), 10, 10, 90, 30);
        btn->SetKind(r.kind);
        form->Show();
        EXPECT_EQ(WindowText(btn->Handle()), r.caption);
        EXPECT_EQ(btn->ModalResult(), r.result);
        EXPECT_EQ(btn->Default(), r.isDefault);
        EXPECT_EQ(btn->Cancel(), r.isCancel);
        // A click through the native button sets the form's result.
        SendMessageW(btn->Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(form->ModalResult(), r.result);
    }
}

TEST(BitBtn, GlyphIsDrawnWithItsTransparentColourLeftOut)
{
    FormPtr form = NewForm();
    auto* btn = Place<TBitBtn>(form.get(), 10, 10, 100, 40);
    // Lime background (the bottom-left pixel: transparent), a red square in the middle.
    auto glyph = MakeBitmap(16, 16, clLime, clRed, 8);
    btn->SetGlyph(glyph.get());
    Counter clicks;
    btn->OnClick = Bind<&Counter::Event>(&clicks);
    form->Show();
    form->Repaint();
    PumpFor(30);
    auto shot = CaptureWindow(btn->Handle());
    SaveScreenshot(btn->Handle(), L"bitbtn_glyph");
    EXPECT_EQ(CountColour(*shot, TRect(0, 0, 100, 40), clRed), 64);
    EXPECT_EQ(PixelAt(*shot, 50, 20), clRed);   // no caption: the glyph is centred
    EXPECT_EQ(CountColour(*shot, TRect(0, 0, 100, 40), clLime), 0);

    // With a caption the glyph moves to the left of it.
    btn->SetCaption(L"Go");
    btn->Repaint();
    shot = CaptureWindow(btn->Handle());
    EXPECT_EQ(CountColour(*shot, TRect(0, 0, 100, 40), clRed), 64);
    EXPECT_EQ(CountColour(*shot, TRect(0, 0, 50, 40), clRed), 64);
    SendMessageW(btn->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks.count, 1);
}

TEST(SpeedButton, ClicksFireAndGroupedButtonsStayDownOneAtATime)
{
    FormPtr form = NewForm();
    std::vector<TSpeedButton*> buttons;
    Counter clicks;
    for (int i = 0; i < 3; ++i) {
        auto* b = Place<TSpeedButton>(form.get(), 10 + i * 40, 10, 30, 30);
        b->SetGroupIndex(i < 2 ? 1 : 0);   // two grouped, one alone
        b->OnClick = Bind<&Counter::Event>(&clicks);
        buttons.push_back(b);
    }
    auto glyph = MakeBitmap(16, 16, clLime, clRed, 8);
    buttons[0]->SetGlyph(glyph.get());
    form->Show();

    auto click = [&](int index) {
        TSpeedButton* b = buttons[static_cast<size_t>(index)];
        LPARAM at = MAKELPARAM(b->Left() + 10, b->Top() + 10);
        SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(form->Handle(), WM_LBUTTONUP, 0, at);
    };
    struct Step {
        int click;
        bool allowAllUp;
        bool down0, down1, down2;
    };
    for (const Step& s : {Step{0, false, true, false, false}, Step{1, false, false, true, false},
                          Step{1, false, false, true, false},   // the down one stays down
                          Step{2, false, false, true, false},   // ungrouped: a plain click
                          Step{1, true, false, false, false}}) {
        for (TSpeedButton* b : buttons) b->SetAllowAllUp(s.allowAllUp);
        click(s.click);
        EXPECT_EQ(buttons[0]->Down(), s.down0);
        EXPECT_EQ(buttons[1]->Down(), s.down1);
        EXPECT_EQ(buttons[2]->Down(), s.down2);
    }
    EXPECT_EQ(clicks.count, 5);

    // The glyph is drawn on the parent, its transparent colour left out.
    form->Repaint();
    auto shot = CaptureWindow(form->Handle());
    EXPECT_EQ(CountColour(*shot, Bounds(10, 10, 30, 30), clRed), 64);
    EXPECT_EQ(CountColour(*shot, Bounds(10, 10, 30, 30), clLime), 0);
}

// ---- menus -----------------------------------------------------------------------------------

TEST(Menus, CheckMarksCaptionsAndPopupCommandsReachTheNativeMenu)
{
    FormPtr form = NewForm();
    auto* menu = new TMainMenu(form.get());
    auto* view = new TMenuItem(form.get());
    view->SetCaption(L"&View");
    menu->Items()->Add(view);
    auto* log = new TMenuItem(form.get());
    log->SetCaption(L"Record log");
    log->SetAutoCheck(true);
    log->SetShortCut(ShortCut('L', ssCtrl));
    view->Add(log);
    Counter clicks;
    log->OnClick = Bind<&Counter::Event>(&clicks);
    form->SetMenu(menu);
    form->Show();
    auto checked = [&] { return (GetMenuState(view->Handle(), 0, MF_BYPOSITION) & MF_CHECKED) != 0; };

    // An AutoCheck item toggles on each command; code sets the mark too.
    for (bool expected : {true, false}) {
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(log->Command(), 0), 0);
        EXPECT_EQ(log->Checked(), expected);
        EXPECT_EQ(checked(), expected);
    }
    log->SetChecked(true);
    EXPECT_TRUE(checked());
    EXPECT_EQ(clicks.count, 2);

    // The native text carries the caption and the shortcut.
    log->SetCaption(L"Record &log");
    wchar_t text[64] = {};
    GetMenuStringW(view->Handle(), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(String(text), L"Record &log\t" + ShortCutToText(ShortCut('L', ssCtrl)));

    // A popup menu's commands go to its own window.
    auto* popup = new TPopupMenu(form.get());
    auto* reset = new TMenuItem(form.get());
    reset->SetCaption(L"Reset");
    reset->OnClick = Bind<&Counter::Event>(&clicks);
    popup->Items()->Add(reset);
    SendMessageW(PopupListWindow(), WM_COMMAND, MAKEWPARAM(reset->Command(), 0), 0);
    EXPECT_EQ(clicks.count, 3);
}

// ---- screen ----------------------------------------------------------------------------------

TEST(Screen, KnowsTheFormsTheActiveOneAndTheCursors)
{
    TScreen* screen = ScreenNeeded();
    int before = screen->FormCount();
    FormPtr a = NewForm();
    FormPtr b = NewForm();
    EXPECT_EQ(screen->FormCount(), before + 2);
    a->Show();
    b->Show();
    SetForegroundWindow(a->Handle());
    ASSERT_TRUE(PumpUntil([&] { return screen->ActiveForm() == a.get(); }));
    EXPECT_EQ(screen->Forms(0), a.get());
    SetForegroundWindow(b->Handle());
    ASSERT_TRUE(PumpUntil([&] { return screen->ActiveForm() == b.get(); }));
    EXPECT_EQ(screen->Forms(0), b.get());
    b.reset();
    EXPECT_EQ(screen->FormCount(), before + 1);

    struct Row {
        TCursor id;
        LPCWSTR system;
    };
    for (const Row& r : {Row{crDefault, IDC_ARROW}, Row{crHourGlass, IDC_WAIT}, Row{crIBeam, IDC_IBEAM},
                         Row{crHandPoint, IDC_HAND}, Row{crSizeWE, IDC_SIZEWE}})
        EXPECT_EQ(screen->Cursors(r.id), LoadCursorW(nullptr, r.system));
    EXPECT_EQ(screen->Cursors(crNone), nullptr);
    HCURSOR own = LoadCursorW(nullptr, IDC_CROSS);
    screen->SetCursors(1, own);
    EXPECT_EQ(screen->Cursors(1), own);

    TStrings* fonts = screen->Fonts();
    ASSERT_GT(fonts->Count(), 0);
    // Vertical (@) variants are not separate families.
    for (int i = 0; i < fonts->Count(); ++i) EXPECT_NE(fonts->Get(i)[0], L'@');
}

// ---- file dialogs ------------------------------------------------------------------------------

TEST(Dialogs, MessageBoxFlagsFollowTheTypeAndButtons)
{
    struct Row {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        UINT expected;
    };
    for (const Row& r : {Row{mtWarning, mbOK, MB_ICONWARNING | MB_OK}, Row{mtError, mbOKCancel, MB_ICONERROR | MB_OKCANCEL},
                         Row{mtConfirmation, mbYesNo, MB_ICONQUESTION | MB_YESNO},
                         Row{mtConfirmation, mbYesNoCancel, MB_ICONQUESTION | MB_YESNOCANCEL},
                         Row{mtInformation, mbAbortRetryIgnore, MB_ICONINFORMATION | MB_ABORTRETRYIGNORE},
                         Row{mtCustom, mbRetry | mbCancel | mbHelp, MB_RETRYCANCEL | MB_HELP}})
        EXPECT_EQ(MessageDlgFlags(r.type, r.buttons), r.expected);
}

namespace {

// A dialog that never shows: it notes what it was asked and answers like the system would.
class TScriptedOpenDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    std::vector<String> filterParts;
    String initialName, initialDir, title, defExt;
    DWORD flags = 0;
    DWORD filterIndex = 0;
    std::vector<wchar_t> answer;   // written into the file buffer; empty: the user cancels
    DWORD answerFilterIndex = 0;

protected:
    bool RunDialog(OPENFILENAMEW& ofn) override
    {
        for (const wchar_t* p = ofn.lpstrFilter; p && *p; p += wcslen(p) + 1) filterParts.push_back(p);
        initialName = ofn.lpstrFile;
        initialDir = ofn.lpstrInitialDir ? ofn.lpstrInitialDir : L"";
        title = ofn.lpstrTitle ? ofn.lpstrTitle : L"";
        defExt = ofn.lpstrDefExt ? ofn.lpstrDefExt : L"";
        flags = ofn.Flags;
        filterIndex = ofn.nFilterIndex;
        if (answer.empty()) return false;
        std::copy(answer.begin(), answer.end(), ofn.lpstrFile);
        ofn.nFilterIndex = answerFilterIndex;
        return true;
    }
};

std::vector<wchar_t> Zeroed(const String& s)
{
    std::vector<wchar_t> v(s.begin(), s.end());
    v.push_back(L'\0');
    v.push_back(L'\0');
    return v;
}

}  // namespace

TEST(Dialogs, OpenDialogPassesFilterAndOptionsAndReadsTheChosenFiles)
{
    TScriptedOpenDialog dlg(nullptr);
    dlg.SetFilter(L"Profiles (*.qwp)|*.qwp|All files (*.*)|*.*");
    dlg.SetFilterIndex(2);
    dlg.SetFileName(L"C:\\profiles\\rally.qwp");
    dlg.SetDefaultExt(L".qwp");
    dlg.SetTitle(L"Load profile");
    dlg.SetOptions(ofFileMustExist | ofAllowMultiSelect | ofHideReadOnly);

    // Cancelled: nothing changes.
    EXPECT_FALSE(dlg.Execute(nullptr));
    EXPECT_EQ(dlg.filterParts, (std::vector<String>{L"Profiles (*.qwp)", L"*.qwp", L"All files (*.*)", L"*.*"}));
    EXPECT_EQ(dlg.filterIndex, 2u);
    EXPECT_EQ(dlg.initialName, L"rally.qwp");
    EXPECT_EQ(dlg.initialDir, L"C:\\profiles");
    EXPECT_EQ(dlg.title, L"Load profile");
    EXPECT_EQ(dlg.defExt, L"qwp");
    EXPECT_EQ(dlg.flags & (OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_EXPLORER),
              static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_EXPLORER));
    EXPECT_EQ(dlg.flags & OFN_OVERWRITEPROMPT, 0u);
    EXPECT_EQ(dlg.FileName(), L"C:\\profiles\\rally.qwp");

    struct Row {
        std::vector<wchar_t> answer;
        std::vector<String> files;
    };
    std::vector<wchar_t> many = Zeroed(L"C:\\profiles");
    many.pop_back();
    for (const wchar_t* name : {L"a.qwp", L"b.qwp"}) {
        many.insert(many.end(), name, name + wcslen(name));
        many.push_back(L'\0');
    }
    many.push_back(L'\0');
    for (const Row& r : {Row{Zeroed(L"C:\\profiles\\gravel.qwp"), {L"C:\\profiles\\gravel.qwp"}},
                         Row{many, {L"C:\\profiles\\a.qwp", L"C:\\profiles\\b.qwp"}}}) {
        dlg.answer = r.answer;
        dlg.answerFilterIndex = 1;
        ASSERT_TRUE(dlg.Execute(nullptr));
        EXPECT_EQ(dlg.Files()->ToVector(), r.files);
        EXPECT_EQ(dlg.FileName(), r.files[0]);
        EXPECT_EQ(dlg.FilterIndex(), 1);
    }
}
