// The skinned memo: its colours from the skin's edit section while painting, given back when the
// skin goes, Ctrl+A selecting all, and its scroll events.
#include <gtest/gtest.h>

#include "skin/controls/smemo.h"
#include "skin/engine/skin_manager.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"
#include "tests/vcl/window_helpers.h"

using testing_support::PumpFor;

namespace {

struct TMemoScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsMemo* Memo = nullptr;
    int VScrolls = 0, CaretScrolls = 0;

    TMemoScene()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(140, 140, 360, 200);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetAlign(alClient);
        Panel->SetParent(Form.get());
        Memo = new TsMemo(Form.get());
        Memo->SetBounds(10, 10, 300, 150);
        Memo->SetScrollBars(ssVertical);
        Memo->SetParent(Panel);
        for (int i = 0; i < 40; ++i) Memo->Lines()->Add(L"Log line " + IntToStr(i));
        Memo->OnVScroll = TNotifyEvent::FromCallable([this](TObject*) { ++VScrolls; });
        Memo->OnScrollCaret = TNotifyEvent::FromCallable([this](TObject*) { ++CaretScrolls; });
    }
    TsCommonData* Link() const { return Memo->SkinData(); }
    // A point of the memo's client area right of every line.
    TColor Background() const { return testing_support::PixelAt(Memo->Handle(), 230, 20); }
};

const TsGenState& EditState(TsSkinManager* m, int state)
{
    return m->gd()[static_cast<size_t>(m->GetSkinIndex(L"EDIT"))].Props[static_cast<size_t>(state)];
}

TEST(SkinMemo, PaintsInTheEditSectionsColoursAndGivesThemBackWhenTheSkinGoes)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        TMemoScene s;
        s.Form->Show();
        PumpFor(80);
        ASSERT_TRUE(s.Link()->Skinned(true));
        ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"EDIT"));
        const TsGenState& normal = EditState(m.get(), 0);
        EXPECT_EQ(s.Memo->Color(), normal.Color);
        EXPECT_EQ(s.Memo->Font()->Color(), normal.FontColor.Color);
        // The native memo paints with them: its background, and text in the section's text colour.
        EXPECT_EQ(ColorToRGB(s.Background()), ColorToRGB(normal.Color));
        auto shot = testing_support::CaptureWindow(s.Memo->Handle());
        int text = 0;
        for (int y = 2; y < 16; ++y)
            for (int x = 2; x < 60; ++x) text += ColorToRGB(testing_support::PixelAt(*shot, x, y)) == ColorToRGB(normal.FontColor.Color);
        EXPECT_GT(text, 5);
        testing_support::SaveScreenshot(s.Form->Handle(), String(L"memo_") + skin, true);
        // Without the skin the memo has the standard colours again (and paints with them).
        m->SetActive(false);
        PumpFor(80);
        EXPECT_FALSE(s.Link()->Skinned(true));
        EXPECT_EQ(s.Memo->Color(), clWindow);
        EXPECT_EQ(s.Memo->Font()->Color(), clWindowText);
        EXPECT_EQ(ColorToRGB(s.Background()), ColorToRGB(clWindow));
    }
}

TEST(SkinMemo, KeepsItsOwnColourWhenToldTo)
{
    TManagerPtr m = ManagerWithSkin(L"Dark");
    TMemoScene s;
    s.Memo->SetColor(clYellow);
    s.Link()->SetCustomOption(0, true);
    s.Form->Show();
    PumpFor(80);
    ASSERT_TRUE(s.Link()->Skinned(true));
    EXPECT_EQ(s.Memo->Color(), clYellow);
    EXPECT_EQ(s.Memo->Font()->Color(), EditState(m.get(), 0).FontColor.Color);
    EXPECT_EQ(ColorToRGB(s.Background()), ColorToRGB(clYellow));
}

// A memo's own colours come back when the skin goes, also after another skin replaced the
// first one and after it was painted focused; a colour it keeps stays.
TEST(SkinMemo, GetsItsOwnColoursBackWhenTheSkinIsRemoved)
{
    struct Case {
        const char* what;
        TColor color, font;
        bool customColor;
        bool switchSkin, focus;
    } cases[] = {
        {"standard colours", clWindow, clWindowText, false, false, false},
        {"its own colours", clInfoBk, clNavy, false, false, false},
        {"its own colours, another skin between", clInfoBk, clNavy, false, true, false},
        {"its own colours, painted focused", clInfoBk, clNavy, false, false, true},
        {"a colour it keeps", clYellow, clNavy, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TManagerPtr m = ManagerWithSkin(L"Dark");
        TMemoScene s;
        s.Memo->SetColor(c.color);
        s.Memo->Font()->SetColor(c.font);
        if (c.customColor) s.Link()->SetCustomOption(0, true);
        s.Form->Show();
        PumpFor(60);
        ASSERT_TRUE(s.Link()->Skinned(true));
        EXPECT_EQ(s.Memo->Font()->Color(), EditState(m.get(), 0).FontColor.Color);
        if (c.switchSkin) {
            m->SetSkinName(L"Light");
            PumpFor(60);
            EXPECT_EQ(s.Memo->Font()->Color(), EditState(m.get(), 0).FontColor.Color);
        }
        if (c.focus) {
            s.Memo->SetFocus();
            PumpFor(60);
        }
        m->SetActive(false);
        PumpFor(60);
        EXPECT_EQ(s.Memo->Color(), c.color);
        EXPECT_EQ(s.Memo->Font()->Color(), c.font);
        EXPECT_EQ(ColorToRGB(s.Background()), ColorToRGB(c.color));
    }
}

TEST(SkinMemo, CtrlASelectsAllWithoutTypingACharacter)
{
    for (const wchar_t* skin : {L"Dark", L""}) {
        SCOPED_TRACE(skin[0] ? "skinned" : "no skin");
        TManagerPtr m = ManagerWithSkin(skin);
        TMemoScene s;
        testing_support::BringToFront(s.Form.get());
        s.Memo->SetFocus();
        s.Memo->SetSelStart(3);
        s.Memo->SetSelLength(0);
        PumpFor(30);
        const String before = s.Memo->Text();
        INPUT in[4]{};
        for (INPUT& i : in) i.type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
        in[1].ki.wVk = in[2].ki.wVk = 'A';
        in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, in, sizeof(INPUT));
        ASSERT_TRUE(testing_support::PumpUntil([&] { return s.Memo->SelLength() > 0; }, 2000));
        PumpFor(60);
        EXPECT_EQ(s.Memo->SelStart(), 0);
        EXPECT_EQ(s.Memo->SelLength(), static_cast<int>(before.size()));
        EXPECT_EQ(s.Memo->Text(), before);
    }
}

TEST(SkinMemo, ReportsScrollingWhileSkinned)
{
    for (const wchar_t* skin : {L"Dark", L""}) {
        const bool skinned = skin[0] != 0;
        SCOPED_TRACE(skinned ? "skinned" : "no skin");
        TManagerPtr m = ManagerWithSkin(skin);
        TMemoScene s;
        s.Form->Show();
        PumpFor(60);
        HWND h = s.Memo->Handle();
        SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
        EXPECT_GT(SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
        EXPECT_EQ(s.VScrolls, skinned ? 2 : 0);
        SendMessageW(h, EM_SETSEL, 0, 0);
        SendMessageW(h, EM_SCROLLCARET, 0, 0);
        EXPECT_EQ(SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        EXPECT_EQ(s.CaretScrolls, skinned ? 1 : 0);
    }
}

}  // namespace
