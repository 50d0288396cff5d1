// The skinned edit in a real window: its frame from "EDIT" in the non-client area and its face
// from the cache while it has no focus (text, text hint, password characters), the section's
// colours for the native face while focused, padding and vertical alignment growing the
// non-client area, the disabled look, and the standard edit it stays without a skin.
#include <gtest/gtest.h>

#include <memory>

#include "skin/controls/sedits.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }
uint32_t Slice(const wchar_t* section, int frame, int col, int row)
{
    return Rgb(fs::Opaque(fs::SliceColor(fs::SectionNumber(section), frame, col, row)));
}
uint32_t ScreenPixel(HWND h, int x, int y)
{
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return SwapRedBlue(uint32_t(c));
}
// Pixels of exactly that colour (0xRRGGBB) in r of the window on screen.
int CountOnScreen(HWND h, const TRect& r, uint32_t color)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += ScreenPixel(h, x, y) == color;
    return n;
}

struct TEditScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsEdit* Edit = nullptr;
    TsEdit* Other = nullptr;   // takes the focus away

    TEditScene()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, 260, 120);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 260, 120);
        Panel->SetParent(Form.get());
        Edit = new TsEdit(Form.get());
        Edit->SetParent(Panel);
        Edit->SetBounds(20, 20, 140, 24);
        Other = new TsEdit(Form.get());
        Other->SetParent(Panel);
        Other->SetBounds(20, 70, 140, 24);
    }
    void Show()
    {
        Form->Show();
        Other->SetFocus();
        PumpFor(60);
    }
    HWND H() const { return Edit->Handle(); }
};

TEST(SkinEdit, FrameFromTheSkinAndFaceFromTheCacheUntilFocused)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    s.Show();
    TsEdit* e = s.Edit;
    ASSERT_TRUE(e->SkinData()->Skinned(true));
    EXPECT_EQ(e->SkinData()->SkinIndex, m->GetSkinIndex(L"EDIT"));
    EXPECT_TRUE(e->FaceFromCache());
    const TRect client = ClientAreaInWindow(s.H());
    EXPECT_EQ(client, TRect(2, 2, 138, 22));
    // Frame (border slices, the parent in the see-through corner) and face, normal state.
    EXPECT_EQ(ScreenPixel(s.H(), 0, 12), Slice(L"EDIT", 0, 0, 1));
    EXPECT_EQ(ScreenPixel(s.H(), 70, 23), Slice(L"EDIT", 0, 1, 2));
    EXPECT_EQ(ScreenPixel(s.H(), 0, 0), Own(L"PANEL", 0));
    EXPECT_EQ(ScreenPixel(s.H(), 120, 12), Own(L"EDIT", 0));

    // Focused: the frame in the hot state, the native face in that state's colour.
    e->SetFocus();
    PumpFor(60);
    EXPECT_FALSE(e->FaceFromCache());
    EXPECT_EQ(ScreenPixel(s.H(), 0, 12), Slice(L"EDIT", 1, 0, 1));
    EXPECT_EQ(ScreenPixel(s.H(), 120, 12), Own(L"EDIT", 1));

    // Focus gone: back to the cache's face.
    s.Other->SetFocus();
    PumpFor(60);
    EXPECT_EQ(ScreenPixel(s.H(), 0, 12), Slice(L"EDIT", 0, 0, 1));
    EXPECT_EQ(ScreenPixel(s.H(), 120, 12), Own(L"EDIT", 0));
}

TEST(SkinEdit, TextHintAndPasswordCharactersAreDrawnIntoTheFace)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    s.Edit->SetTextHint(L"Hint");
    s.Show();
    const TRect text = s.Edit->TextRect();
    const uint32_t face = Own(L"EDIT", 0);
    // The fixture's text is black: the hint is the face colour at 89/256.
    uint32_t hint = 0;
    for (int shift = 0; shift < 24; shift += 8) hint |= ((89 * ((face >> shift) & 0xFF)) >> 8) << shift;
    EXPECT_GT(CountOnScreen(s.H(), text, hint), 3);
    EXPECT_EQ(CountOnScreen(s.H(), text, 0), 0);

    s.Edit->SetText(L"Hi");
    PumpFor(60);
    EXPECT_EQ(CountOnScreen(s.H(), text, hint), 0);
    EXPECT_GT(CountOnScreen(s.H(), text, 0), 3);

    // A password shows one mark per character: "*" becomes a round dot, wider than the text.
    s.Edit->SetText(L"iiii");
    PumpFor(60);
    const int plain = CountOnScreen(s.H(), text, 0);
    s.Edit->SetPasswordChar(L'*');
    PumpFor(60);
    EXPECT_GT(CountOnScreen(s.H(), text, 0), plain);
}

TEST(SkinEdit, PaddingAndVerticalAlignmentGrowTheNonClientArea)
{
    struct TCase {
        const char* Name;
        bool Skinned;
        TRect Padding;   // left, top, right, bottom
        TVerticalAlignment Align;
    };
    for (const TCase& c : {TCase{"skinned padding", true, {6, 5, 6, 3}, taAlignTop},
                           TCase{"plain padding", false, {6, 5, 6, 3}, taAlignTop},
                           TCase{"centred", true, {0, 0, 0, 0}, taVerticalCenter},
                           TCase{"bottom", true, {0, 1, 0, 1}, taAlignBottom}}) {
        SCOPED_TRACE(c.Name);
        TManagerPtr m = c.Skinned ? ManagerWithSkin(L"Fixture") : UnskinnedManager(false);
        TEditScene s;
        s.Edit->SetBounds(20, 20, 140, 40);
        s.Show();
        TacPadding* padding = s.Edit->Padding();
        padding->SetLeft(c.Padding.left);
        padding->SetTop(c.Padding.top);
        padding->SetRight(c.Padding.right);
        padding->SetBottom(c.Padding.bottom);
        s.Edit->SetVerticalAlignment(c.Align);
        PumpFor(60);
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, s.Edit->Font()->Handle());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        const int free = 40 - (tm.tmHeight + 6) - c.Padding.top - c.Padding.bottom;
        const int top = c.Padding.top + (c.Align == taAlignTop ? 0 : c.Align == taVerticalCenter ? free / 2 : free);
        EXPECT_EQ(ClientAreaInWindow(s.H()),
                  TRect(2 + c.Padding.left, 2 + top, 138 - c.Padding.right, 38 - c.Padding.bottom));
        EXPECT_EQ(s.Edit->AddedPadding(), TRect(c.Padding.left, top, c.Padding.right, c.Padding.bottom));
        // The padding band shows the face: the section's colour, or the edit's own without a skin.
        const uint32_t band = c.Skinned ? Own(L"EDIT", 0) : SwapRedBlue(uint32_t(ColorToRGB(s.Edit->Color())));
        if (c.Padding.left > 0) {
            EXPECT_EQ(ScreenPixel(s.H(), 2 + c.Padding.left - 1, 20), band);
        }
        if (top > 0) {
            EXPECT_EQ(ScreenPixel(s.H(), 70, 2 + top - 1), band);
        }
    }
}

TEST(SkinEdit, DisabledLookBlendsTheParentIn)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    s.Edit->SetText(L"Off");
    s.Show();
    const uint32_t enabled = ScreenPixel(s.H(), 120, 12);
    ASSERT_EQ(enabled, Own(L"EDIT", 0));
    s.Edit->SetEnabled(false);
    PumpFor(60);
    const uint32_t disabled = ScreenPixel(s.H(), 120, 12);
    EXPECT_NE(disabled, enabled);
    // Between the face and the panel behind it, channel by channel.
    const uint32_t panel = Own(L"PANEL", 0);
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int((enabled >> shift) & 0xFF), b = int((panel >> shift) & 0xFF), d = int((disabled >> shift) & 0xFF);
        EXPECT_GE(d, std::min(a, b) - 1);
        EXPECT_LE(d, std::max(a, b) + 1);
    }
}

// The masked edit is the twin of the edit: the same frame and face from "EDIT".
TEST(SkinEdit, TheMaskedEditLooksTheSame)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    auto* masked = new TsMaskEdit(s.Form.get());
    masked->SetParent(s.Panel);
    masked->SetBounds(20, 20, 140, 24);
    s.Edit->SetVisible(false);
    s.Show();
    ASSERT_TRUE(masked->SkinData()->Skinned(true));
    EXPECT_EQ(masked->SkinData()->SkinIndex, m->GetSkinIndex(L"EDIT"));
    EXPECT_EQ(ScreenPixel(masked->Handle(), 0, 12), Slice(L"EDIT", 0, 0, 1));
    EXPECT_EQ(ScreenPixel(masked->Handle(), 120, 12), Own(L"EDIT", 0));
}

// Typing or moving the caret reports the moved selection, only while skinned.
TEST(SkinEdit, SelectionChangesAreReportedWhileSkinned)
{
    for (bool skinned : {true, false}) {
        SCOPED_TRACE(skinned ? "skinned" : "plain");
        TManagerPtr m = skinned ? ManagerWithSkin(L"Fixture") : UnskinnedManager(false);
        TEditScene s;
        int changes = 0;
        s.Edit->OnSelectionChanged = TNotifyEvent::FromCallable([&changes](TObject*) { ++changes; });
        s.Show();
        s.Edit->SetFocus();
        s.Edit->SetSelStart(0);
        SendMessageW(s.H(), WM_CHAR, L'a', 0);
        SendMessageW(s.H(), WM_CHAR, L'b', 0);
        SendMessageW(s.H(), WM_KEYDOWN, VK_LEFT, 0);
        SendMessageW(s.H(), WM_KEYDOWN, VK_SHIFT, 0);   // the selection stays: no report
        EXPECT_EQ(s.Edit->Text(), L"ab");
        EXPECT_EQ(changes, skinned ? 3 : 0);
    }
}

TEST(SkinEdit, WithoutASkinItIsTheStandardEdit)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        TEditScene s;
        s.Show();
        EXPECT_FALSE(s.Edit->SkinData()->Skinned(true));
        EXPECT_FALSE(s.Edit->FaceFromCache());
        EXPECT_EQ(ClientAreaInWindow(s.H()), TRect(2, 2, 138, 22));
        EXPECT_EQ(ScreenPixel(s.H(), 120, 12), SwapRedBlue(uint32_t(ColorToRGB(s.Edit->Color()))));
        s.Edit->SetText(L"Typed");
        EXPECT_EQ(s.Edit->Text(), L"Typed");
    }
}

}  // namespace

namespace {

struct TEditLook {
    DWORD Margins = 0;
    TRect Client;
    std::unique_ptr<TBitmap> Shot;
};
TEditLook LookOf(TCustomEdit* e)
{
    TEditLook look;
    look.Margins = DWORD(SendMessageW(e->Handle(), EM_GETMARGINS, 0, 0));
    look.Client = ClientAreaInWindow(e->Handle());
    look.Shot = testing_support::CaptureWindow(e->Handle(), false);
    return look;
}

// Shown skinned and then switched off, an edit is the edit that never had a skin: the same
// text margins, frame and pixels (the text stood a pixel off once the skin had gone).
TEST(SkinEdit, SwitchedOffItIsTheEditThatWasNeverSkinned)
{
    for (const wchar_t* skin : {L"Fixture", L"Dark"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        TEditScene was;
        was.Edit->SetText(L"Filtering 0.75");
        was.Show();
        ASSERT_TRUE(was.Edit->SkinData()->Skinned(true));
        m->SetActive(false);
        PumpFor(60);
        TEditScene never;
        never.Edit->SetText(L"Filtering 0.75");
        never.Show();
        ASSERT_FALSE(never.Edit->SkinData()->Skinned(true));
        const TEditLook a = LookOf(was.Edit), b = LookOf(never.Edit);
        EXPECT_EQ(LOWORD(a.Margins), LOWORD(b.Margins));
        EXPECT_EQ(HIWORD(a.Margins), HIWORD(b.Margins));
        EXPECT_EQ(a.Client, b.Client);
        ASSERT_EQ(a.Shot->Width(), b.Shot->Width());
        ASSERT_EQ(a.Shot->Height(), b.Shot->Height());
        int differing = 0;
        for (int y = 0; y < a.Shot->Height(); ++y)
            for (int x = 0; x < a.Shot->Width(); ++x)
                differing += testing_support::PixelAt(*a.Shot, x, y) != testing_support::PixelAt(*b.Shot, x, y);
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace

// Where the text goes: the single-line edit inside its frame and bevels with one pixel more for
// a single border; the masked edit inside a border one pixel wider and no bevels.
TEST(SkinEdit, TextRectOfBothEditsFollowsTheirBorderRules)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    FormPtr form{new TForm(nullptr)};
    form->SetBounds(120, 120, 260, 120);
    auto* edit = new TsEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 10, 140, 24);
    auto* masked = new TsMaskEdit(form.get());
    masked->SetParent(form.get());
    masked->SetBounds(10, 50, 140, 24);
    struct TCase {
        const char* Name;
        TBorderStyle Border;
        bool Ctl3D;
        TBevelKind Bevel;
        TRect Edit, Masked;
    };
    const TCase cases[] = {
        {"3-D border", bsSingle, true, bkNone, {3, 3, 137, 22}, {3, 3, 137, 21}},
        {"flat border", bsSingle, false, bkNone, {2, 2, 138, 23}, {2, 2, 138, 22}},
        // Bevels count twice in the edit's text inset (border width and once more).
        {"3-D border with a bevel", bsSingle, true, bkTile, {7, 7, 133, 18}, {3, 3, 137, 21}},
        {"no border", bsNone, true, bkNone, {0, 0, 140, 24}, {0, 0, 140, 24}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (TCustomEdit* e : {static_cast<TCustomEdit*>(edit), static_cast<TCustomEdit*>(masked)}) {
            e->SetBorderStyle(c.Border);
            e->SetCtl3D(c.Ctl3D);
            e->SetBevelKind(c.Bevel);
        }
        EXPECT_EQ(edit->TextRect(), c.Edit);
        EXPECT_EQ(masked->TextRect(), c.Masked);
    }
}

// The masked edit checks its mask on leaving only with CheckOnExit; OnValidateError hears the
// error before it is raised again.
TEST(SkinMaskEdit, CheckOnExitAndOnValidateError)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    FormPtr form{new TForm(nullptr)};
    auto* masked = new TsMaskEdit(form.get());
    masked->SetParent(form.get());
    masked->SetEditMask(L"000;0;_");
    masked->SetText(L"1");
    String told;
    masked->OnValidateError = decltype(masked->OnValidateError)::FromCallable(
        [&](TObject*, const String& text) { told = text; });
    EXPECT_TRUE(masked->CheckOnExit());
    try {
        masked->ValidateEdit();
        ADD_FAILURE() << "an incomplete edit passed";
    } catch (const EDBEditError& e) {
        EXPECT_FALSE(told.empty());
        EXPECT_EQ(e.Message(), told);
    }
    told.clear();
    masked->SetCheckOnExit(false);
    EXPECT_NO_THROW(masked->ValidateEdit());
    EXPECT_TRUE(told.empty());
}

// An empty edit with a hint, black text on white: the edit's hint mixes by 166, the masked
// edit's by 167.
TEST(SkinMaskEdit, HintWeightsDifferByOne)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    FormPtr form{new TForm(nullptr)};
    form->SetBorderStyle(bsNone);
    form->SetBounds(120, 120, 260, 120);
    auto* panel = new TTestSkinPanel(form.get());
    panel->SetBounds(0, 0, 260, 120);
    panel->SetParent(form.get());
    auto* edit = new TsEdit(form.get());
    auto* masked = new TsMaskEdit(form.get());
    int top = 10;
    for (TCustomEdit* e : {static_cast<TCustomEdit*>(edit), static_cast<TCustomEdit*>(masked)}) {
        e->SetParent(panel);
        e->SetBounds(10, top, 200, 30);
        top += 40;
        e->SetTextHint(L"WWWW");
        e->Font()->SetColor(clBlack);
        e->SetColor(clWhite);
        e->Font()->SetSize(14);
    }
    edit->SkinData()->FCustomColor = masked->SkinData()->FCustomColor = true;
    edit->SkinData()->FCustomFont = masked->SkinData()->FCustomFont = true;
    auto* other = new TsEdit(form.get());   // holds the focus: both faces come from the cache
    other->SetParent(panel);
    other->SetBounds(10, 90, 50, 22);
    form->Show();
    other->SetFocus();
    PumpFor(100);
    const uint32_t editHint = 0x585858, maskedHint = 0x575757;
    EXPECT_GT(CountOnScreen(edit->Handle(), edit->TextRect(), editHint), 5);
    EXPECT_EQ(CountOnScreen(edit->Handle(), edit->TextRect(), maskedHint), 0);
    EXPECT_GT(CountOnScreen(masked->Handle(), masked->TextRect(), maskedHint), 5);
    EXPECT_EQ(CountOnScreen(masked->Handle(), masked->TextRect(), editHint), 0);
}

// The picture beside the text: room for it in the non-client area (at the right for right-to-
// left reading), drawn from the cache in its own colour, none for an index outside the list; a
// click on it fires OnClick once on release, a double click OnDblClick.
TEST(SkinEdit, AddedGlyphTakesRoomShowsAndAnswersClicks)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    TImageList list(nullptr);
    list.SetSize(12, 12);
    std::unique_ptr<TBitmap> img(NewBitmap32(12, 12));
    FillRectAlpha32(img.get(), TRect(0, 0, 12, 12), TColor(0xE04020), 255);   // a colour no skin slice has
    list.Add(img.get(), nullptr);
    s.Show();
    TacSkinData* d = s.Edit->SkinData()->ResolveSkinData();
    ASSERT_TRUE(d);
    const int area = 12 + d->Spacing / 2;
    const TRect before = ClientAreaInWindow(s.H());

    struct TCase {
        const char* Name;
        int Index;
        bool RightToLeft;
        int LeftGrows, RightShrinks;
    };
    const TCase cases[] = {
        {"index = count: no picture", 1, false, 0, 0},
        {"left to right", 0, false, area, 0},
        {"right to left", 0, true, 0, area},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Edit->SetBiDiMode(c.RightToLeft ? bdRightToLeft : bdLeftToRight);
        s.Edit->AddedGlyph()->SetImages(&list);
        s.Edit->AddedGlyph()->SetImageIndex(c.Index);
        PumpFor(60);
        const TRect client = ClientAreaInWindow(s.H());
        EXPECT_EQ(client.left, before.left + c.LeftGrows);
        EXPECT_EQ(client.right, before.right - c.RightShrinks);
        EXPECT_EQ(s.Edit->GlyphArea(), c.LeftGrows + c.RightShrinks);
        if (c.Index == 0) {
            const TRect g = s.Edit->GlyphRect();
            EXPECT_EQ(g.Width(), 12);
            EXPECT_EQ(c.RightToLeft ? s.Edit->Width() - g.right : g.left, s.Edit->EditBorderWidth());
            const uint32_t shown = ScreenPixel(s.H(), (g.left + g.right) / 2, (g.top + g.bottom) / 2);
            for (int shift : {0, 8, 16})   // composed, so within a step of rounding
                EXPECT_NEAR(int((shown >> shift) & 0xFF), int((0x2040E0u >> shift) & 0xFF), 2);
        }
    }
    s.Edit->SetBiDiMode(bdLeftToRight);
    PumpFor(30);

    int clicks = 0, doubles = 0;
    s.Edit->OnClick = TNotifyEvent::FromCallable([&](TObject*) { ++clicks; });
    s.Edit->OnDblClick = TNotifyEvent::FromCallable([&](TObject*) { ++doubles; });
    const TRect g = s.Edit->GlyphRect();
    RECT wr{};
    GetWindowRect(s.H(), &wr);
    const LPARAM at = MAKELPARAM(wr.left + (g.left + g.right) / 2, wr.top + (g.top + g.bottom) / 2);
    EXPECT_EQ(SendMessageW(s.H(), WM_NCHITTEST, 0, at), HTBORDER);
    SendMessageW(s.H(), WM_NCLBUTTONDOWN, HTBORDER, at);
    EXPECT_EQ(clicks, 0);
    SendMessageW(s.H(), WM_NCLBUTTONUP, HTBORDER, at);
    EXPECT_EQ(clicks, 1);
    SendMessageW(s.H(), WM_NCLBUTTONUP, HTBORDER, at);   // a release without a press
    EXPECT_EQ(clicks, 1);
    SendMessageW(s.H(), WM_NCLBUTTONDBLCLK, HTBORDER, at);
    EXPECT_EQ(doubles, 1);
    // A list that goes away leaves no picture behind.
    s.Edit->AddedGlyph()->SetImages(nullptr);
    EXPECT_FALSE(s.Edit->HasGlyph());
}

// Without a border an edit composes only its section's background: no frame slice at its edge.
TEST(SkinEdit, WithoutABorderOnlyTheSectionBackgroundIsComposed)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditScene s;
    s.Show();
    EXPECT_EQ(ScreenPixel(s.H(), 0, 12), Slice(L"EDIT", 0, 0, 1));
    s.Edit->SetBorderStyle(bsNone);
    PumpFor(60);
    EXPECT_EQ(ScreenPixel(s.H(), 0, 12), Own(L"EDIT", 0));
    EXPECT_EQ(ScreenPixel(s.H(), s.Edit->Width() - 1, 2), Own(L"EDIT", 0));
}
