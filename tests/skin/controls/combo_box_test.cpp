// The skinned combo box in real windows: its face, drop-down arrow and selected text composed
// from the fixture skin per state (the hover fade stepped on the test clock), the list's items in
// the "SELECTION" colours, its items and selection kept while the window is made again as the
// skin goes and comes, keyboard selection with OnChange, and the standard combo box it stays
// without a skin. Screenshots with the dark and light skins.
#include <gtest/gtest.h>

#include <memory>

#include "skin/controls/core/combo_edit.h"
#include "skin/controls/scombobox.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PixelAt;
using testing_support::PumpFor;

namespace {

// A form with a skinned panel and a list-only combo box on it, its second item selected.
struct TComboScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsComboBox* Combo = nullptr;
    TButton* Other = nullptr;
    int Changes = 0;

    explicit TComboScene(int x = 120)
    {
        SetCursorPos(0, 0);   // the pointer is nowhere near
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(x, 120, 240, 200);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 240, 200);
        Panel->SetParent(Form.get());
        Combo = new TsComboBox(Form.get());
        Combo->SetParent(Panel);
        Combo->SetStyle(csDropDownList);
        Combo->SetBounds(20, 20, 160, 24);
        for (const wchar_t* item : {L"Off", L"WWWW", L"Both"}) Combo->Items()->Add(item);
        Combo->SetItemIndex(1);
        Combo->OnChange = TNotifyEvent::FromCallable([this](TObject*) { ++Changes; });
        Other = new TButton(Form.get());
        Other->SetParent(Panel);
        Other->SetBounds(20, 160, 80, 25);
        Form->Show();
        Other->SetFocus();   // the face at rest: not focused
        PumpFor(60);
    }
    HWND Wnd() const { return Combo->Handle(); }
};

// The fixture's colour of a section's state, as the screen shows it.
TColor Face(const wchar_t* section, int state) { return fs::StateColor(fs::SectionNumber(section), state); }

// Pixels of the font colour (the fixture's is black) inside r of the window.
int DarkPixels(HWND wnd, const TRect& r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += testing_support::ColorDistance(PixelAt(wnd, x, y), clBlack) < 40;
    return n;
}

bool OwnerDrawn(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_STYLE) & CBS_OWNERDRAWFIXED) != 0; }

}  // namespace

// The face per state: normal, hot (faded in over 6 ticks), dropped down (with the list items in
// the "SELECTION" colours), disabled; the arrow in the button and the selected text in the face.
TEST(SkinComboBox, FaceButtonAndTextPerState)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TComboScene s;
    TsComboBox* c = s.Combo;
    ASSERT_TRUE(c->SkinData()->Skinned(true));
    ASSERT_TRUE(c->NoEditFace());
    ASSERT_TRUE(OwnerDrawn(s.Wnd()));
    const int w = c->Width(), h = c->Height();
    const TRect button = c->ButtonRect();
    EXPECT_EQ(button, TRect(w - 2 - (GetSystemMetrics(SM_CXVSCROLL) - 1), 2, w - 2, h - 2));
    // A face pixel clear of the text and the arrow, and the button's corner beside the arrow.
    const TPoint face(button.left - 4, h / 2), beside(button.left + 1, h / 2);
    const TRect text(5, 3, 60, h - 3);

    EXPECT_EQ(PixelAt(s.Wnd(), face.x, face.y), Face(L"COMBONOEDIT", 0));
    EXPECT_EQ(PixelAt(s.Wnd(), beside.x, beside.y), Face(L"COMBONOEDIT", 0)) << "no button face of its own";
    EXPECT_GT(DarkPixels(s.Wnd(), button), 4) << "the arrow";
    const int textPixels = DarkPixels(s.Wnd(), text);
    EXPECT_GT(textPixels, 10) << "the selected text";

    // Hover: a fade of 6 ticks, then the hot face.
    c->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = c->SkinData()->AnimTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Iterations, 6);
    ticks.Step(12);
    ticks.Step(12);
    const TColor halfway = PixelAt(s.Wnd(), face.x, face.y);
    EXPECT_NE(halfway, Face(L"COMBONOEDIT", 0));
    EXPECT_NE(halfway, Face(L"COMBONOEDIT", 1));
    for (int i = 0; i < 6; ++i) ticks.Step(12);
    EXPECT_FALSE(t->Enabled());
    PumpFor(30);
    EXPECT_EQ(PixelAt(s.Wnd(), face.x, face.y), Face(L"COMBONOEDIT", 1));
    EXPECT_GT(DarkPixels(s.Wnd(), button), 4);

    // Dropped down: the pressed face at once (a fast fade), the selected item in SELECTION's
    // hot look, the others in the palette's edit colours.
    const int before = DroppedDownCount();
    SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_TRUE(c->IsDroppedDown());
    EXPECT_EQ(DroppedDownCount(), before + 1);
    for (int i = 0; i < 6; ++i) ticks.Step(12);
    PumpFor(60);
    EXPECT_EQ(PixelAt(s.Wnd(), face.x, face.y), Face(L"COMBONOEDIT", 2));
    HWND list = c->ListHandle();
    ASSERT_NE(list, nullptr);
    const int itemH = static_cast<int>(SendMessageW(s.Wnd(), CB_GETITEMHEIGHT, 0, 0));
    RECT lr;
    GetClientRect(list, &lr);
    const int rightX = lr.right - 8;
    EXPECT_EQ(PixelAt(list, rightX, itemH + itemH / 2), Face(L"SELECTION", 1)) << "the selected item";
    EXPECT_EQ(PixelAt(list, rightX, itemH / 2), m->GetActiveEditColor()) << "an item not selected";
    EXPECT_GT(DarkPixels(list, TRect(2, 0, 40, itemH)), 4) << "an item's text";

    SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
    PumpFor(60);
    EXPECT_FALSE(c->IsDroppedDown());
    EXPECT_EQ(DroppedDownCount(), before);
    for (int i = 0; i < 20; ++i) ticks.Step(12);
    PumpFor(30);
    EXPECT_NE(PixelAt(s.Wnd(), face.x, face.y), Face(L"COMBONOEDIT", 2));

    // Disabled: blended into what lies behind it, the text still there.
    c->Perform(CM_MOUSELEAVE, 0, 0);
    for (int i = 0; i < 20; ++i) ticks.Step(12);
    c->SetEnabled(false);
    PumpFor(60);
    const TColor disabled = PixelAt(s.Wnd(), face.x, face.y);
    EXPECT_NE(disabled, Face(L"COMBONOEDIT", 0));
    EXPECT_NE(disabled, Face(L"COMBONOEDIT", 1));

    // No item selected: an empty face.
    c->SetEnabled(true);
    c->SetItemIndex(-1);
    PumpFor(60);
    EXPECT_EQ(DarkPixels(s.Wnd(), text), 0);
    EXPECT_EQ(s.Changes, 0) << "nothing here is a change by the user";

    // A combo box that dies with its list open gives its count back.
    SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(DroppedDownCount(), before + 1);
    TObject::Free(c);
    EXPECT_EQ(DroppedDownCount(), before);
}

// With a section of its own the list-only combo is drawn as an edit with a separate button face:
// "COMBOBTN" in the button's rectangle (its border slices at the edges), the arrow over it.
TEST(SkinComboBox, WithASectionOfItsOwnTheButtonHasItsOwnFace)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TComboScene s;
    TsComboBox* c = s.Combo;
    c->SkinData()->SetSkinSection(fs::TableSection(0, 0));
    c->Invalidate();
    PumpFor(60);
    ASSERT_FALSE(c->NoEditFace());
    const TRect b = c->ButtonRect();
    const int h = c->Height(), btn = fs::SectionNumber(L"COMBOBTN");
    EXPECT_EQ(PixelAt(s.Wnd(), b.left - 4, h / 2), Face(L"T0S0", 0));
    EXPECT_EQ(PixelAt(s.Wnd(), b.left + 1, h / 2), fs::SliceColor(btn, 0, 0, 1)) << "the button's left border";
    EXPECT_EQ(PixelAt(s.Wnd(), b.right - 1, h / 2), fs::SliceColor(btn, 0, 2, 1)) << "the button's right border";
    EXPECT_GT(DarkPixels(s.Wnd(), b), 4) << "the arrow";
}

// Owner-drawing is a window style: taking the skin away makes a standard window again, bringing it
// back an owner-drawn one, each time with the items and the selection, and no OnChange.
TEST(SkinComboBox, ItemsAndSelectionSurviveTheSkinGoingAndComing)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TComboScene s;
    // The standard combo box beside it, with the same items and selection.
    auto* plain = new TComboBox(s.Form.get());
    plain->SetParent(s.Panel);
    plain->SetStyle(csDropDownList);
    plain->SetBounds(20, 100, 160, 24);
    for (const wchar_t* item : {L"Off", L"WWWW", L"Both"}) plain->Items()->Add(item);
    plain->SetItemIndex(1);
    PumpFor(30);
    ASSERT_TRUE(OwnerDrawn(s.Wnd()));
    m->SetActive(false);
    PumpFor(60);
    ASSERT_FALSE(m->IsActive());
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "skin off" : "skin on again");
        const bool skinned = pass == 1;
        EXPECT_EQ(OwnerDrawn(s.Wnd()), skinned);
        EXPECT_EQ(SendMessageW(s.Wnd(), CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageW(s.Wnd(), CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(s.Combo->ItemIndex(), 1);
        EXPECT_EQ(s.Combo->Items()->Get(2), L"Both");
        EXPECT_EQ(s.Changes, 0);
        if (!skinned) {
            // The standard look: the same pixels as the standard combo box's.
            auto a = testing_support::CaptureWindow(s.Wnd());
            auto b = testing_support::CaptureWindow(plain->Handle());
            EXPECT_TRUE(testing_support::BitmapsMatch(*a, *b, 0));
            m->SetActive(true);
            PumpFor(60);
            ASSERT_TRUE(m->IsActive());
        }
    }
    const TRect button = s.Combo->ButtonRect();
    EXPECT_EQ(PixelAt(s.Wnd(), button.left - 4, s.Combo->Height() / 2), Face(L"COMBONOEDIT", 0));
}

// The keyboard selects as in the standard combo box, with OnChange and the new text on the face;
// read-only, the keys are swallowed and clicks only focus; not allowed to drop down, a click only
// tells OnDropDown.
TEST(SkinComboBox, KeyboardSelectionFiresOnChangeAndReadOnlyOrNoDropDownRefuseInput)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TComboScene s;
    s.Combo->SetFocus();
    PumpFor(30);
    const TRect text(5, 3, 60, s.Combo->Height() - 3);
    const int wide = DarkPixels(s.Wnd(), text);   // "WWWW"
    SendMessageW(s.Wnd(), WM_KEYDOWN, VK_DOWN, 0);
    PumpFor(60);
    EXPECT_EQ(s.Combo->ItemIndex(), 2);
    EXPECT_EQ(s.Changes, 1);
    EXPECT_NE(DarkPixels(s.Wnd(), text), wide) << "the face shows the new item";

    s.Combo->SetReadOnly(true);
    s.Combo->Perform(WM_KEYDOWN, VK_UP, 0);
    PumpFor(30);
    EXPECT_EQ(s.Combo->ItemIndex(), 2);
    EXPECT_EQ(s.Changes, 1);
    // Read-only, a click focuses and a double click is one; neither opens the list.
    int dblClicks = 0, dropDowns = 0;
    s.Combo->OnDblClick = TNotifyEvent::FromCallable([&](TObject*) { ++dblClicks; });
    s.Combo->OnDropDown = TNotifyEvent::FromCallable([&](TObject*) { ++dropDowns; });
    s.Other->SetFocus();
    s.Combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    s.Combo->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    PumpFor(30);
    EXPECT_EQ(GetFocus(), s.Wnd());
    EXPECT_EQ(dblClicks, 1);
    EXPECT_FALSE(s.Combo->DroppedDown());
    // Not allowed to drop down, a click tells OnDropDown and the list stays shut.
    s.Combo->SetReadOnly(false);
    s.Combo->AllowDropDown = false;
    s.Combo->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PumpFor(30);
    EXPECT_EQ(dropDowns, 1);
    EXPECT_FALSE(s.Combo->DroppedDown());
    s.Combo->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ReleaseCapture();
}

// Without an active skin, or with no manager, it is the standard combo box.
TEST(SkinComboBox, WithoutASkinItIsTheStandardComboBox)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 400, 80);   // both combos closed, a button holding the focus
        auto* skinned = new TsComboBox(form.get());
        auto* plain = new TComboBox(form.get());
        int x = 10;
        for (TComboBox* c : {static_cast<TComboBox*>(skinned), plain}) {
            c->SetParent(form.get());
            c->SetStyle(csDropDownList);
            c->SetBounds(x, 10, 160, 24);
            for (const wchar_t* item : {L"Off", L"WWWW"}) c->Items()->Add(item);
            c->SetItemIndex(1);
            x += 200;
        }
        auto* other = new TButton(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 45, 80, 25);
        form->Show();
        other->SetFocus();
        PumpFor(60);
        EXPECT_FALSE(OwnerDrawn(skinned->Handle()));
        auto a = testing_support::CaptureWindow(skinned->Handle());
        auto b = testing_support::CaptureWindow(plain->Handle());
        EXPECT_TRUE(testing_support::BitmapsMatch(*a, *b, 0));
    }
}

// Screenshots with our skins: the closed combo at rest, and dropped down with its list.
TEST(SkinComboBox, ScreenshotsDarkAndLight)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive());
        TComboScene s;
        s.Panel->SetBounds(0, 0, 240, 200);
        PumpFor(60);
        const String name = String(L"combo_box_") + (String(skin) == L"Dark" ? L"dark" : L"light");
        testing_support::SaveScreenshot(s.Form->Handle(), name, true);
        SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
        PumpFor(300);
        HWND list = s.Combo->ListHandle();
        ASSERT_NE(list, nullptr);
        testing_support::SaveScreenshot(s.Form->Handle(), name + L"_dropped", true);
        testing_support::SaveScreenshot(list, name + L"_list", false);
        SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
        PumpFor(60);
    }
}

namespace {

// A form with a drop-down combo box that has an edit field, of a section when one is given.
struct TEditComboScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsComboBox* Combo = nullptr;
    TButton* Other = nullptr;

    explicit TEditComboScene(const String& section = String())
    {
        SetCursorPos(0, 0);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, 240, 200);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 240, 200);
        Panel->SetParent(Form.get());
        Combo = new TsComboBox(Form.get());
        Combo->SetStyle(csDropDown);
        if (!section.empty()) Combo->SkinData()->SetSkinSection(section);
        Combo->SetParent(Panel);
        Combo->SetBounds(20, 20, 160, 24);
        for (const wchar_t* item : {L"Off", L"WWWW", L"Both"}) Combo->Items()->Add(item);
        Combo->SetItemIndex(1);
        Other = new TButton(Form.get());
        Other->SetParent(Panel);
        Other->SetBounds(20, 160, 80, 25);
        Form->Show();
        Other->SetFocus();
        PumpFor(60);
    }
    HWND Wnd() const { return Combo->Handle(); }
};

}  // namespace

// The edit style: the edit child in the section's colours, the button in "COMBOBTN"'s frames
// following the pointer (on the button, then on the edit) and the open list.
TEST(SkinComboBox, AnEditStyleComboPaintsItsEditAndButtonFromTheSkin)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TEditComboScene s(fs::TableSection(0, 0));
    TsComboBox* c = s.Combo;
    ASSERT_FALSE(c->NoEditFace());
    HWND edit = c->EditHandle();
    ASSERT_NE(edit, nullptr);
    RECT er{};
    GetClientRect(edit, &er);
    EXPECT_EQ(PixelAt(edit, er.right - 2, er.bottom / 2), Face(L"T0S0", 0)) << "the edit's background";
    const TRect b = c->ButtonRect();
    const int h = c->Height(), btn = fs::SectionNumber(L"COMBOBTN");
    struct {
        const char* Step;
        int Frame;
    } const steps[] = {{"at rest", 0}, {"pointer on the button", 1}, {"pointer on the edit", 0}, {"dropped", 2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        const std::string name = step.Step;
        if (name == "pointer on the button")
            SendMessageW(s.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM((b.left + b.right) / 2, h / 2));
        if (name == "pointer on the edit") SendMessageW(edit, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
        if (name == "dropped") SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
        PumpFor(300);
        EXPECT_EQ(PixelAt(s.Wnd(), b.left + 1, h / 2), fs::SliceColor(btn, step.Frame, 0, 1));
        EXPECT_EQ(PixelAt(s.Wnd(), b.right - 1, h / 2), fs::SliceColor(btn, step.Frame, 2, 1));
        EXPECT_GT(DarkPixels(s.Wnd(), b), 4) << "the arrow";
    }
    SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
    PumpFor(60);
    // Focused, the edit takes the section's focused colours.
    c->SetFocus();
    PumpFor(300);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(PixelAt(edit, er.right - 2, er.bottom / 2), Face(L"T0S0", 1)) << "the focused edit's background";
}

// Our skins: the edit style takes "COMBOBOX"; at rest, with the pointer on its button, dropped.
TEST(SkinComboBox, EditStyleScreenshotsDarkAndLight)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        TEditComboScene s;
        EXPECT_EQ(s.Combo->SkinData()->SkinIndex, m->SkinCommonInfo.Sections[ssComboBox]);
        ASSERT_GE(s.Combo->SkinData()->SkinIndex, 0);
        s.Combo->SetText(L"Typed text");
        PumpFor(60);
        const String name = String(L"combo_box_edit_") + (String(skin) == L"Dark" ? L"dark" : L"light");
        testing_support::SaveScreenshot(s.Form->Handle(), name, true);
        const TRect b = s.Combo->ButtonRect();
        SendMessageW(s.Wnd(), WM_MOUSEMOVE, 0, MAKELPARAM((b.left + b.right) / 2, s.Combo->Height() / 2));
        PumpFor(300);
        testing_support::SaveScreenshot(s.Form->Handle(), name + L"_hot", true);
        SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, TRUE, 0);
        PumpFor(300);
        testing_support::SaveScreenshot(s.Form->Handle(), name + L"_dropped", true);
        SendMessageW(s.Wnd(), CB_SHOWDROPDOWN, FALSE, 0);
        PumpFor(60);
    }
}
