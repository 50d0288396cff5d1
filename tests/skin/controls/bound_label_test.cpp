// The edit's caption label in real windows: where each layout puts it, how it follows the edit
// (moves, hiding, disabling, reading order, PPI, an open drop-down list), that it dies with the
// edit or tells the edit when it dies first, its colour from the skin, and the mark-up label's
// bold and coloured runs. Dark and Light screenshots of edits with their labels.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "skin/controls/core/combo_edit.h"
#include "skin/controls/sboundlabel.h"
#include "skin/controls/sedits.h"
#include "skin/controls/spanel.h"
#include "skin/engine/skin_commands.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

using testing_support::PixelAt;
using testing_support::PumpFor;

namespace {

constexpr TColor PanelText = 0xC08010, OwnText = 0x008000;

void SetSectionFontColor(TsSkinManager* m, const wchar_t* section, TColor color)
{
    TacSkinData* d = m->CommonSkinData(96);
    const int i = m->GetSkinIndex(section);
    ASSERT_GE(i, 0);
    for (TsGenState& s : d->gd[static_cast<size_t>(i)].Props) s.FontColor.Color = color;
}

int CountColor(HWND wnd, const TRect& r, TColor color)
{
    auto shot = testing_support::CaptureWindow(wnd);
    int n = 0;
    for (int y = std::max(0, int(r.top)); y < std::min(int(r.bottom), shot->Height()); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(int(r.right), shot->Width()); ++x)
            n += PixelAt(*shot, x, y) == ColorToRGB(color);
    return n;
}

// The edit's parent's children that are edit labels.
int EditLabelsOn(TWinControl* parent)
{
    int n = 0;
    for (int i = 0; i < parent->ControlCount(); ++i) n += dynamic_cast<TsEditLabel*>(parent->Controls(i)) != nullptr;
    return n;
}

struct TBoundScene {
    FormPtr Form{new TForm(nullptr)};
    TsPanel* Panel = nullptr;
    TsEdit* Edit = nullptr;

    TBoundScene()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, 400, 200);
        Panel = new TsPanel(Form.get());
        Panel->SetBounds(0, 0, 400, 200);
        Panel->SetParent(Form.get());
        Edit = new TsEdit(Form.get());
        Edit->SetName(L"PortEdit");
        Edit->SetParent(Panel);
        Edit->SetBounds(140, 80, 120, 24);
        Bound()->SetCaption(L"Port");
        Bound()->SetActive(true);
    }
    TsBoundLabel* Bound() const { return Edit->BoundLabel(); }
    TsEditLabel* Label() const { return Bound()->TheLabel(); }
    void Show()
    {
        Form->Show();
        PumpFor(60);
    }
};

TEST(BoundLabel, EachLayoutPutsTheLabelOnItsSideOfTheEdit)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoundScene s;
    s.Show();
    ASSERT_NE(s.Label(), nullptr);
    EXPECT_EQ(s.Label()->Parent(), s.Panel);
    EXPECT_EQ(s.Label()->Name(), L"PortEditLabel");
    EXPECT_EQ(s.Label()->FocusControl(), s.Edit);

    enum TSide { Left, Above, Below, Right };
    enum TAlongside { Start, Centre, End, Middle, Top };
    struct TCase {
        TsCaptionLayout Layout;
        TSide Side;
        TAlongside Along;   // where along that side: its start, centre or end, the edit's middle or top
    } const cases[] = {
        {sclLeft, Left, Middle},      {sclTopLeft, Above, Start},      {sclTopCenter, Above, Centre},
        {sclTopRight, Above, End},    {sclLeftTop, Left, Top},         {sclBottomLeft, Below, Start},
        {sclBottomCenter, Below, Centre}, {sclBottomRight, Below, End}, {sclRight, Right, Middle},
        {sclRightTop, Right, Top},    {sclLeftLeft, Left, Middle},     {sclRightRight, Right, Middle},
    };
    const TRect e = s.Edit->BoundsRect();
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Layout));
        s.Bound()->SetLayout(c.Layout);
        const TRect l = s.Label()->BoundsRect();
        EXPECT_TRUE(s.Label()->Visible());
        EXPECT_GT(l.Width(), 10);
        switch (c.Side) {
        case Left: EXPECT_LE(l.right, e.left); EXPECT_GE(l.right, e.left - 8); break;
        case Right: EXPECT_GE(l.left, e.right); EXPECT_LE(l.left, e.right + 8); break;
        case Above: EXPECT_EQ(l.bottom, e.top); break;
        case Below: EXPECT_EQ(l.top, e.bottom); break;
        }
        switch (c.Along) {
        case Start: EXPECT_EQ(l.left, e.left); break;
        case End: EXPECT_EQ(l.right, e.right); break;
        case Centre: EXPECT_LE(std::abs((l.left + l.right) - (e.left + e.right)), 1); break;
        case Middle: EXPECT_LE(std::abs((l.top + l.bottom) - (e.top + e.bottom)), 3); break;
        case Top: EXPECT_EQ(l.top, e.top + 3); break;
        }
    }
    // Indent moves it away from the edit, Offset along the edge.
    s.Bound()->SetLayout(sclTopLeft);
    s.Bound()->SetIndent(5);
    s.Bound()->SetOffset(7);
    EXPECT_EQ(s.Label()->Top() + s.Label()->Height(), e.top - 5);
    EXPECT_EQ(s.Label()->Left(), e.left + 7);
}

TEST(BoundLabel, FollowsTheEditsMovesVisibilityEnabledStateAndReadingOrder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoundScene s;
    s.Show();
    TsEditLabel* l = s.Label();
    ASSERT_NE(l, nullptr);
    const TPoint before(l->Left() - s.Edit->Left(), l->Top() - s.Edit->Top());
    s.Edit->SetBounds(60, 130, 120, 24);
    PumpFor(20);
    EXPECT_EQ(l->Left() - s.Edit->Left(), before.x);
    EXPECT_EQ(l->Top() - s.Edit->Top(), before.y);

    // While a drop-down list is open the label stays where it is.
    {
        TacDropDownHold open;
        open.Take();
        const TRect kept = l->BoundsRect();
        s.Edit->SetBounds(70, 120, 120, 24);
        EXPECT_EQ(l->BoundsRect(), kept);
    }
    s.Edit->SetBounds(60, 130, 120, 24);
    EXPECT_EQ(l->Left() - s.Edit->Left(), before.x);

    s.Edit->Hide();
    EXPECT_FALSE(l->Visible());
    s.Edit->Show();
    EXPECT_TRUE(l->Visible());
    s.Edit->SetEnabled(false);
    EXPECT_FALSE(l->Enabled());
    s.Bound()->SetEnabledAlways(true);
    EXPECT_TRUE(l->Enabled());
    s.Edit->SetEnabled(true);
    EXPECT_TRUE(l->Enabled());

    // A right-to-left edit shows its left label on its right.
    s.Edit->SetBiDiMode(bdRightToLeft);
    EXPECT_GE(l->Left(), s.Edit->Left() + s.Edit->Width());
    EXPECT_EQ(l->BiDiMode(), bdRightToLeft);
    s.Edit->SetBiDiMode(bdLeftToRight);
    EXPECT_LE(l->Left() + l->Width(), s.Edit->Left());
}

TEST(BoundLabel, ActiveOnALoadingEditWaitsForItToBeShown)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(120, 120, 300, 100);
    auto* panel = new TsPanel(form.get());
    auto* edit = new TsEdit(form.get());
    form->BeginLoading();   // as a form builder: what exists now is loading
    panel->SetBounds(0, 0, 300, 100);
    panel->SetParent(form.get());
    edit->SetName(L"SpeedEdit");
    edit->SetParent(panel);
    edit->SetBounds(100, 30, 120, 24);
    edit->BoundLabel()->SetActive(true);
    EXPECT_EQ(edit->BoundLabel()->TheLabel(), nullptr);
    form->EndLoading();
    form->Show();
    PumpFor(40);
    TsEditLabel* l = edit->BoundLabel()->TheLabel();
    ASSERT_NE(l, nullptr);
    // No caption given: the edit's name.
    EXPECT_EQ(l->Caption(), L"SpeedEdit");
    EXPECT_TRUE(l->Visible());
    EXPECT_LE(l->Left() + l->Width(), edit->Left());
}

TEST(BoundLabel, MaxWidthFollowsThePpiAndWrapsTheCaption)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoundScene s;
    s.Show();
    s.Bound()->SetLayout(sclTopLeft);
    s.Bound()->SetCaption(L"A rather long caption that has to wrap");
    const int oneLine = s.Label()->Height();
    s.Bound()->SetMaxWidth(100);
    EXPECT_LE(s.Label()->Width(), 100);
    EXPECT_GT(s.Label()->Height(), oneLine);
    EXPECT_EQ(s.Label()->Top() + s.Label()->Height(), s.Edit->Top());   // still just above the edit

    ASSERT_EQ(s.Bound()->CurrentPPI(), 96);
    s.Edit->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmPPIChanged), 144);
    EXPECT_EQ(s.Bound()->MaxWidth(), 150);
    EXPECT_EQ(s.Bound()->CurrentPPI(), 144);
    // A PPI of 0 is no PPI: nothing changes, and the next change still divides by 144.
    s.Bound()->UpdateScale(0);
    EXPECT_EQ(s.Bound()->CurrentPPI(), 144);
    s.Bound()->UpdateScale(96);
    EXPECT_EQ(s.Bound()->MaxWidth(), 100);
}

TEST(BoundLabel, DiesWithItsEditAndTellsTheEditWhenFreedFirst)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    {
        TBoundScene s;
        s.Show();
        ASSERT_EQ(EditLabelsOn(s.Panel), 1);
        TObject::Free(s.Edit);
        EXPECT_EQ(EditLabelsOn(s.Panel), 0);
        s.Panel->Repaint();
        PumpFor(20);
    }
    {
        TBoundScene s;
        s.Show();
        TObject::Free(s.Label());
        EXPECT_EQ(s.Bound()->TheLabel(), nullptr);
        EXPECT_FALSE(s.Bound()->Active());
        s.Edit->SetBounds(20, 20, 100, 24);   // no label to move
        s.Edit->Hide();
        PumpFor(20);
        // Switched on again, it makes a new one.
        s.Edit->Show();
        s.Bound()->SetActive(true);
        EXPECT_EQ(EditLabelsOn(s.Panel), 1);
        s.Bound()->SetActive(false);
        EXPECT_EQ(EditLabelsOn(s.Panel), 0);
    }
    {
        // The parent goes first: the label loses its parent and still dies with the edit.
        TBoundScene s;
        s.Show();
        TObject::Free(s.Panel);
        EXPECT_EQ(s.Label()->Parent(), nullptr);
    }
}

TEST(BoundLabel, TextTakesTheSkinsColourUnlessUseSkinColorIsOff)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    SetSectionFontColor(m.get(), L"PANEL", PanelText);
    TBoundScene s;
    s.Bound()->SetCaption(L"IIII");
    s.Bound()->Font()->SetSize(16);
    s.Bound()->Font()->SetStyle(TFontStyles{fsBold});
    s.Bound()->Font()->SetColor(OwnText);
    s.Show();
    ASSERT_FALSE(s.Bound()->ParentFont());
    ASSERT_TRUE(s.Edit->SkinData()->Skinned(true));
    struct TCase {
        bool UseSkinColor;
        TColor Expected, Absent;
    } const cases[] = {{true, PanelText, OwnText}, {false, OwnText, PanelText}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.UseSkinColor);
        s.Bound()->SetUseSkinColor(c.UseSkinColor);
        EXPECT_EQ(s.Bound()->UseSkinColor(), c.UseSkinColor);
        RedrawWindow(s.Panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpFor(30);
        EXPECT_GT(CountColor(s.Panel->Handle(), s.Label()->BoundsRect(), c.Expected), 10);
        EXPECT_EQ(CountColor(s.Panel->Handle(), s.Label()->BoundsRect(), c.Absent), 0);
    }
    // Back on the parent's font: the bound font takes the label's without taking it off again.
    s.Bound()->SetParentFont(true);
    EXPECT_TRUE(s.Bound()->ParentFont());
    EXPECT_TRUE(s.Label()->ParentFont());
    EXPECT_EQ(s.Bound()->Font()->Size(), s.Panel->Font()->Size());
}

TEST(HTMLLabel, DrawsBoldAndColouredRunsOfItsMarkUp)
{
    TManagerPtr m = UnskinnedManager(false);
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetColor(clWhite);
    form->SetBounds(120, 120, 400, 120);
    const auto make = [&](const wchar_t* caption, int top) {
        auto* l = new TsHTMLLabel(form.get());
        l->SetParent(form.get());
        l->Font()->SetSize(16);
        l->Font()->SetColor(OwnText);
        l->SetTop(top);
        l->SetCaption(caption);
        return l;
    };
    TsHTMLLabel* plain = make(L"IIII", 0);
    TsHTMLLabel* marked = make(L"<b>IIII</b> <font color=#FF0000>IIII</font>", 50);
    EXPECT_EQ(marked->PlainCaption(), L"IIII IIII");
    form->Show();
    PumpFor(60);
    // The bold run has heavier strokes than the plain text; the second run is red, the first
    // keeps the label's colour.
    const TRect p = plain->BoundsRect(), r = marked->BoundsRect();
    const int plainInk = CountColor(form->Handle(), p, OwnText);
    EXPECT_GT(plainInk, 10);
    EXPECT_GT(CountColor(form->Handle(), r, OwnText), plainInk);
    const int half = r.left + r.Width() / 2;
    EXPECT_GT(CountColor(form->Handle(), TRect(half, r.top, r.right, r.bottom), clRed), 10);
    EXPECT_EQ(CountColor(form->Handle(), TRect(r.left, r.top, half, r.bottom), clRed), 0);
    EXPECT_EQ(CountColor(form->Handle(), TRect(half, r.top, r.right, r.bottom), OwnText), 0);
    // A link's click goes to OnLinkClick first, which may turn the shell's opening off.
    struct TLinkSpy {
        String Url;
        void Clicked(TObject*, String& url, bool& defaultAction)
        {
            Url = url;
            defaultAction = false;
        }
    } spy;
    TsHTMLLabel* linked = make(L"see <a href=\"https://example.invalid/x\">here</a>", 90);
    linked->OnLinkClick = Bind<&TLinkSpy::Clicked>(&spy);
    linked->Repaint();
    ASSERT_EQ(linked->Links().size(), 1u);
    EXPECT_GT(linked->Links()[0].Bounds.left, 0);
    linked->DoClick(0);
    EXPECT_EQ(spy.Url, L"https://example.invalid/x");
    // Let through, the address goes to the shell with the label's show mode (soDefault unless
    // set); nothing is launched here.
    std::vector<std::pair<String, int>> opened;
    TsHTMLLabel::ShellOpen = [&](HWND, const String& url, int show) { opened.emplace_back(url, show); };
    linked->OnLinkClick = nullptr;
    EXPECT_EQ(linked->ShowMode(), soDefault);
    linked->DoClick(0);
    linked->SetShowMode(soMaximize);
    linked->DoClick(0);
    TsHTMLLabel::ShellOpen = nullptr;
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(String(L"https://example.invalid/x"), int(SW_SHOWDEFAULT)));
    EXPECT_EQ(opened[1].second, int(SW_MAXIMIZE));
    // Off, the tags are text.
    const int markedWidth = r.Width();
    marked->SetUseHTML(false);
    marked->AdjustBounds();
    EXPECT_GT(marked->Width(), 2 * markedWidth);
}

TEST(BoundLabel, Screenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 420, 210);
        auto* panel = new TsPanel(form.get());
        panel->SetBounds(0, 0, 420, 210);
        panel->SetParent(form.get());
        struct {
            const wchar_t* Caption;
            TsCaptionLayout Layout;
            TRect Bounds;
        } const edits[] = {
            {L"Port", sclLeft, {90, 20, 210, 44}},
            {L"Baud rate", sclTopLeft, {260, 36, 400, 60}},
            {L"Force (%)", sclRight, {90, 76, 210, 100}},
            {L"Log file", sclBottomCenter, {260, 100, 400, 124}},
        };
        TsEdit* last = nullptr;
        for (const auto& e : edits) {
            auto* edit = new TsEdit(form.get());
            edit->SetParent(panel);
            edit->SetBoundsRect(e.Bounds);
            edit->SetText(L"1234");
            edit->BoundLabel()->SetCaption(e.Caption);
            edit->BoundLabel()->SetLayout(e.Layout);
            edit->BoundLabel()->SetActive(true);
            last = edit;
        }
        last->SetEnabled(false);
        auto* html = new TsHTMLLabel(form.get());
        html->SetParent(panel);
        html->SetBounds(20, 170, 380, 20);
        html->SetCaption(L"Mark-up: <b>bold</b>, <i>italic</i>, <font color=#E04040>red</font> and <u>underlined</u>");
        form->Show();
        PumpFor(80);
        ASSERT_TRUE(last->SkinData()->Skinned(true));
        testing_support::SaveScreenshot(form->Handle(), String(L"bound_label_") + skin, true);
    }
}

}  // namespace
