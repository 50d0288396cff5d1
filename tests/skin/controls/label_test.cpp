// The skinned labels over skinned containers with the fixture skin: the text colour taken from
// the section behind the label, transparency over the group box's cache, the disabled colours,
// UseSkinColor off, and the plain label they stay without an active skin.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "skin/controls/sgroupbox.h"
#include "skin/controls/slabel.h"
#include "skin/engine/core/shared_settings.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PixelAt;
using testing_support::PumpFor;

namespace {

// Font colours of their own for the containers' sections, so that the label's colour tells
// where it came from (the fixture gives every section black text).
constexpr TColor BoxText = 0x1040C0, PanelText = 0xC08010, LabelText = 0x30B0E0, OwnText = 0x008000,
                 PlainText = 0x5020A0;

void SetSectionFontColor(TsSkinManager* m, const wchar_t* section, TColor color)
{
    TacSkinData* d = m->CommonSkinData(96);
    const int i = m->GetSkinIndex(section);
    ASSERT_GE(i, 0);
    for (TsGenState& s : d->gd[static_cast<size_t>(i)].Props) s.FontColor.Color = color;
}

TColor Mixed(TColor c1, TColor c2) { return TColor(MixColors(uint32_t(c1), uint32_t(c2), SharedBlendValue)); }

// Bold vertical strokes: their middle pixels carry the text colour unsmoothed.
void Prepare(TCustomLabel* l, TWinControl* parent, int x, int y)
{
    l->SetParent(parent);
    l->SetAutoSize(false);
    l->SetBounds(x, y, 80, 30);
    l->SetCaption(L"IIII");
    l->Font()->SetSize(14);
    l->Font()->SetStyle(TFontStyles{fsBold});
}

// The colours painted inside a rectangle of a window.
std::vector<TColor> ColorsIn(HWND wnd, const TRect& r)
{
    std::vector<TColor> out;
    auto shot = testing_support::CaptureWindow(wnd);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(PixelAt(*shot, x, y));
    return out;
}
bool Contains(const std::vector<TColor>& v, TColor c)
{
    return std::find(v.begin(), v.end(), ColorToRGB(c)) != v.end();
}

// PANEL fills the form; on it a group box and a second one drawn from PANEL; labels on both.
struct TLabelScene {
    TManagerPtr Manager = ManagerWithSkin(L"Fixture");
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsGroupBox* Box = nullptr;
    TsGroupBox* PanelBox = nullptr;
    TsLabel* OnBox = nullptr;
    TsLabel* OnPanel = nullptr;
    TsCustomLabel* Custom = nullptr;
    TPanel* Plain = nullptr;   // not skinned: paints its own background
    TsLabel* OnPlain = nullptr;

    TLabelScene()
    {
        SetSectionFontColor(Manager.get(), L"GROUPBOX", BoxText);
        SetSectionFontColor(Manager.get(), L"PANEL", PanelText);
        Manager->Palette[pcLabelText] = LabelText;
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(140, 140, 400, 220);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 400, 220);
        Panel->SetParent(Form.get());
        Box = new TsGroupBox(Form.get());
        Box->SetBounds(10, 10, 240, 200);
        Box->SetCaption(L"Group");
        Box->SetParent(Panel);
        OnBox = new TsLabel(Form.get());
        Prepare(OnBox, Box, 20, 30);
        Custom = new TsCustomLabel(Form.get());
        Prepare(Custom, Box, 20, 100);
        Plain = new TPanel(Form.get());
        Plain->SetBevelOuter(bvNone);
        Plain->SetParentBackground(false);
        Plain->SetColor(clWhite);
        Plain->SetBounds(110, 140, 120, 50);
        Plain->SetParent(Box);
        Plain->Font()->SetColor(PlainText);
        OnPlain = new TsLabel(Form.get());
        Prepare(OnPlain, Plain, 10, 10);
        PanelBox = new TsGroupBox(Form.get());
        PanelBox->SkinData()->SetSkinSection(L"PANEL");
        PanelBox->SetBounds(260, 10, 130, 200);
        PanelBox->SetParent(Panel);
        OnPanel = new TsLabel(Form.get());
        Prepare(OnPanel, PanelBox, 20, 30);
    }
    void Show()
    {
        Form->Show();
        PumpFor(60);
    }
    void Repaint()
    {
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(30);
    }
    std::vector<TColor> BoxPixels(TControl* l) const { return ColorsIn(Box->Handle(), l->BoundsRect()); }
    std::vector<TColor> PanelPixels(TControl* l) const { return ColorsIn(PanelBox->Handle(), l->BoundsRect()); }
};

TEST(SkinLabel, TextTakesTheFontColourOfTheSectionBehindItUnlessUseSkinColorIsOff)
{
    TLabelScene s;
    s.OnBox->Font()->SetColor(OwnText);
    s.OnPanel->Font()->SetColor(OwnText);
    s.Show();
    ASSERT_TRUE(s.Box->SkinData()->Skinned(true));
    ASSERT_EQ(s.PanelBox->SkinData()->SkinIndex, s.Manager->GetSkinIndex(L"PANEL"));

    struct TCase {
        const char* Name;
        bool UseSkinColor;
        TColor OnBox, OnPanel, Custom;
    } const cases[] = {
        {"skin colour", true, BoxText, PanelText, LabelText},
        {"own colour", false, OwnText, OwnText, LabelText},
        {"skin colour again", true, BoxText, PanelText, LabelText},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.OnBox->SetUseSkinColor(c.UseSkinColor);
        s.OnPanel->SetUseSkinColor(c.UseSkinColor);
        s.Repaint();
        const auto onBox = s.BoxPixels(s.OnBox), onPanel = s.PanelPixels(s.OnPanel), custom = s.BoxPixels(s.Custom);
        EXPECT_TRUE(Contains(onBox, c.OnBox));
        EXPECT_TRUE(Contains(onPanel, c.OnPanel));
        EXPECT_TRUE(Contains(custom, c.Custom));
        // Inside a plain panel the text keeps that panel's colour, whatever the skin says.
        const auto onPlain = ColorsIn(s.Plain->Handle(), s.OnPlain->BoundsRect());
        EXPECT_TRUE(Contains(onPlain, PlainText));
        EXPECT_FALSE(Contains(onPlain, BoxText));
        EXPECT_FALSE(Contains(onPlain, LabelText));
        for (TColor other : {BoxText, PanelText, OwnText}) {
            if (other != c.OnBox) {
                EXPECT_FALSE(Contains(onBox, other));
            }
            if (other != c.OnPanel) {
                EXPECT_FALSE(Contains(onPanel, other));
            }
        }
    }
}

// No box of the label's own colour: where there is no text the box's cache shows through.
TEST(SkinLabel, PaintsNoBackgroundOverTheGroupBoxsCache)
{
    TLabelScene s;
    s.OnBox->SetColor(clFuchsia);
    s.Show();
    s.Repaint();
    const TPixelImage cache = ImageFromBitmap32(s.Box->SkinData()->FCacheBmp);
    const TRect r = s.OnBox->BoundsRect();
    auto shot = testing_support::CaptureWindow(s.Box->Handle());
    int text = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const TColor got = PixelAt(*shot, x, y);
            const TColor bg = TColor(SwapRedBlue(cache.At(x, y)) & 0xFFFFFF);
            ASSERT_NE(got, TColor(ColorToRGB(clFuchsia))) << x << "," << y;
            if (got != bg) ++text;
        }
    EXPECT_GT(text, 0);                                    // the text is there
    EXPECT_EQ(PixelAt(*shot, r.right - 2, r.bottom - 2),
              TColor(SwapRedBlue(cache.At(r.right - 2, r.bottom - 2)) & 0xFFFFFF));
}

// Disabled, a TsLabel mixes its colour with its parent's background, a TsCustomLabel with the
// skin's main colour.
TEST(SkinLabel, DisabledColoursMixWithTheParentOrTheMainColour)
{
    TLabelScene s;
    s.OnBox->SetEnabled(false);
    s.Custom->SetEnabled(false);
    s.OnPanel->SetEnabled(false);
    s.Show();
    s.Repaint();
    const TColor boxBg = fs::StateColor(fs::SectionNumber(L"GROUPBOX"), 0);
    const TColor panelBg = fs::StateColor(fs::SectionNumber(L"PANEL"), 0);
    ASSERT_EQ(PixelAt(s.Box->Handle(), 20, s.Box->Height() - 12), boxBg);
    ASSERT_EQ(PixelAt(s.PanelBox->Handle(), s.PanelBox->Width() / 2, s.PanelBox->Height() - 12), panelBg);
    EXPECT_TRUE(Contains(s.BoxPixels(s.OnBox), Mixed(BoxText, boxBg)));
    EXPECT_TRUE(Contains(s.PanelPixels(s.OnPanel), Mixed(PanelText, panelBg)));
    EXPECT_TRUE(Contains(s.BoxPixels(s.Custom), Mixed(LabelText, fs::MainColor)));
    EXPECT_FALSE(Contains(s.BoxPixels(s.OnBox), BoxText));
    EXPECT_FALSE(Contains(s.BoxPixels(s.Custom), LabelText));
}

// Without a manager, or with an inactive one, a skinned label paints as the plain label.
TEST(SkinLabel, WithoutAnActiveSkinItIsThePlainLabel)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        if (m) {
            ASSERT_FALSE(m->IsActive());
        }
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 300, 100);
        for (bool enabled : {true, false}) {
            auto* skinned = new TsLabel(form.get());
            auto* plain = new TLabel(form.get());
            Prepare(skinned, form.get(), 10, enabled ? 10 : 50);
            Prepare(plain, form.get(), 150, enabled ? 10 : 50);
            skinned->SetEnabled(enabled);
            plain->SetEnabled(enabled);
        }
        form->Show();
        PumpFor(60);
        for (int y : {10, 50}) {
            EXPECT_EQ(ColorsIn(form->Handle(), TRect(10, y, 90, y + 30)),
                      ColorsIn(form->Handle(), TRect(150, y, 230, y + 30)));
        }
    }
}

// A word-wrapped label of two lines' height with the end or word ellipsis cuts its text back at
// a blank until it fits and ends in "...": it draws exactly what a label with that shorter caption
// draws. Without an ellipsis, or auto-sized, the text is drawn as it is.
TEST(SkinLabel, EllipsisCutsAWrappedTextToTheLabelsHeight)
{
    TLabelScene s;
    const String text = L"Calibrate the shifter before its grid lines are dragged into place";
    auto make = [&](int y, const String& caption, TEllipsisPosition pos) {
        auto* l = new TsLabel(s.Form.get());
        l->SetParent(s.Box);
        l->SetAutoSize(false);
        l->SetWordWrap(true);
        l->SetBounds(12, y, 110, 30);
        l->SetCaption(caption);
        l->SetEllipsisPosition(pos);
        return l;
    };
    for (TControl* c : {static_cast<TControl*>(s.OnBox), static_cast<TControl*>(s.Custom), static_cast<TControl*>(s.Plain)})
        c->SetVisible(false);
    TsLabel* endCut = make(20, text, epEndEllipsis);
    TsLabel* wordCut = make(60, text, epWordEllipsis);
    TsLabel* uncut = make(140, text, epNone);
    // What fits: the longest run of whole words that, with "...", wraps into two lines of the
    // label's width less that of the dots.
    HDC dc = GetDC(nullptr);
    TCanvas measure;
    measure.SetHandle(dc);
    measure.Font()->Assign(endCut->Font());
    const int dots = measure.TextWidth(L"...");
    const int lineHeight = measure.TextHeight(L"Wg");
    String fits;
    for (size_t at = text.find(L' '); at != String::npos; at = text.find(L' ', at + 1)) {
        const String candidate = text.substr(0, at) + L"...";
        TRect r(0, 0, 110 - dots, 0);
        DrawTextW(dc, candidate.c_str(), int(candidate.size()), &r, DT_CALCRECT | DT_WORDBREAK);
        if (r.Height() > 30 && r.Height() > lineHeight) break;
        fits = candidate;
    }
    measure.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    ASSERT_FALSE(fits.empty());
    ASSERT_LE(2 * lineHeight, 30) << "two lines fit the label";

    TsLabel* byHand = make(100, fits, epNone);
    s.Show();
    s.Repaint();
    testing_support::SaveArtifact(*testing_support::CaptureWindow(s.Box->Handle()), L"label_ellipsis");
    auto pixels = [&](TsLabel* l) {
        return ColorsIn(s.Box->Handle(), TRect(l->Left(), l->Top(), l->Left() + 110, l->Top() + 30));
    };
    EXPECT_EQ(pixels(endCut), pixels(byHand)) << "end ellipsis";
    EXPECT_EQ(pixels(wordCut), pixels(byHand)) << "word ellipsis";
    EXPECT_NE(pixels(uncut), pixels(byHand));
    // Auto-sized, the label grows to its text and draws it uncut.
    endCut->SetAutoSize(true);
    EXPECT_GT(endCut->Height(), 30);
}

// The label's own enter event comes before its parent hears that the mouse came over it, its
// leave event after the parent heard that it went.
class TListeningPanel : public TPanel {
public:
    using TPanel::TPanel;
    std::vector<String>* Order = nullptr;

protected:
    void Dispatch(TMessage& m) override
    {
        if (Order && m.LParam && m.LParam != reinterpret_cast<LPARAM>(this)) {
            if (m.Msg == CM_MOUSEENTER) Order->push_back(L"parent hears enter");
            if (m.Msg == CM_MOUSELEAVE) Order->push_back(L"parent hears leave");
        }
        TPanel::Dispatch(m);
    }
};

TEST(SkinLabel, OwnMouseEventsAroundTheParents)
{
    TLabelScene s;
    std::vector<String> order;
    auto* parent = new TListeningPanel(s.Form.get());
    parent->SetBounds(260, 150, 120, 50);
    parent->SetParent(s.Panel);
    auto* label = new TsLabel(s.Form.get());
    Prepare(label, parent, 4, 4);
    struct TSpy {
        std::vector<String>* Order;
        String Name;
        void Fire(TObject*) { Order->push_back(Name); }
    } enter{&order, L"label enter"}, leave{&order, L"label leave"};
    label->OnMouseEnter = Bind<&TSpy::Fire>(&enter);
    label->OnMouseLeave = Bind<&TSpy::Fire>(&leave);
    parent->Order = &order;
    label->Perform(CM_MOUSEENTER, 0, 0);
    label->Perform(CM_MOUSELEAVE, 0, 0);
    const std::vector<String> want = {L"label enter", L"parent hears enter", L"parent hears leave", L"label leave"};
    EXPECT_EQ(order, want);
}

}  // namespace
