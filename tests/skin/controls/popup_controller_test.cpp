// The popup controller driving a test popup form under a combo edit: placement under (or above)
// the edit, the growing opening on stepped time with the shadow following each frame through
// the layered-window seam, closing by a click on the owner, by the watchdog when the capture or
// the application changes, the veto, and Escape kept from the owner while open.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <memory>
#include <vector>

#include "skin/controls/core/combo_edit.h"
#include "skin/controls/scomboedit.h"
#include "skin/controls/spopupcontroller.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/general.h"
#include "skin/engine/window_helpers.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

using testing_support::PumpFor;

namespace {

class TArrowEdit : public TsCustomComboEdit {
public:
    explicit TArrowEdit(TComponent* owner) : TsCustomComboEdit(owner) { FDefBmpID = -1; }
};

TRect WindowRect(HWND h)
{
    RECT r{};
    GetWindowRect(h, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

struct TPopupScene {
    FormPtr Form{new TForm(nullptr)};
    FormPtr Popup{new TForm(nullptr)};
    TArrowEdit* Edit = nullptr;
    std::vector<TacLayeredUpdate> Updates;
    uint32_t Tick = 1000;
    bool Active = true;

    explicit TPopupScene(int formTop = 120)
    {
        // Each reading of the clock moves it on a little: the opening's waits end at once.
        SetTickSource([this] { return Tick += 2; });
        SetLayeredUpdater([this](const TacLayeredUpdate& u) {
            Updates.push_back(u);
            return true;
        });
        TsPopupController::ApplicationActive = [this] { return Active; };
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(100, formTop, 300, 60);
        Edit = new TArrowEdit(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBounds(20, 20, 200, 22);
        Popup->SetBorderStyle(bsNone);
        Popup->SetBounds(0, 0, 230, 166);
        Popup->SetColor(TColor(0x3060C0));
        Edit->SetPopupWindow(Popup.get());
        Form->Show();
        PumpFor(60);
    }
    ~TPopupScene()
    {
        FreePopupController();
        TsPopupController::ApplicationActive = nullptr;
        SetLayeredUpdater(nullptr);
        SetTickSource(nullptr);
    }
    HWND H() const { return Edit->Handle(); }
    HWND P() const { return Popup->Handle(); }
    bool PopupShown() const { return Popup->HandleAllocated() && IsWindowVisible(P()); }
    TacFormHandler* Handler() const { return PopupController() ? PopupController()->HandlerOf(Popup.get()) : nullptr; }
    void ClickButton()
    {
        const TRect b = Edit->CalcButtonRect(true);
        const TRect w = WindowRect(H());
        const LPARAM at = MAKELPARAM(w.left + (b.left + b.right) / 2, w.top + (b.top + b.bottom) / 2);
        SendMessageW(H(), WM_NCLBUTTONDOWN, HTBORDER, at);
        SendMessageW(H(), WM_NCLBUTTONUP, HTBORDER, at);
    }
};

TEST(PopupController, OpensUnderTheEditAndAClickOnTheEditClosesItFirst)
{
    TManagerPtr m = UnskinnedManager(false);   // no manager: no animation
    TPopupScene s;
    s.ClickButton();
    ASSERT_TRUE(s.PopupShown());
    EXPECT_TRUE(s.Edit->DroppedDown());
    const TRect e = WindowRect(s.H());
    EXPECT_EQ(WindowRect(s.P()), TRect(e.left, e.bottom - 2, e.left + 230, e.bottom - 2 + 166));
    EXPECT_EQ(PopupController()->AnimDirection, 0);
    // The shadow lies around it, 13 pixels every side without a skin, and below it.
    TacFormHandler* h = s.Handler();
    ASSERT_TRUE(h && h->ShadowWindow());
    EXPECT_TRUE(IsWindowVisible(h->ShadowWindow()));
    EXPECT_EQ(WindowRect(h->ShadowWindow()), TRect(e.left - 13, e.bottom - 2 - 13, e.left + 230 + 13, e.bottom - 2 + 166 + 13));
    // Clicking the popup never activates it.
    EXPECT_EQ(SendMessageW(s.P(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(s.Form->Handle()), 0), MA_NOACTIVATE);
    // Escape in the owner is kept from it while open.
    EXPECT_EQ(SendMessageW(s.H(), CN_KEYDOWN, VK_ESCAPE, 0), 1);
    // A click on the edit: the popup closes before the edit sees it; the edit is told.
    SendMessageW(s.H(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(s.H(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(s.PopupShown());
    EXPECT_FALSE(s.Edit->DroppedDown());
    EXPECT_FALSE(IsWindowVisible(h->ShadowWindow()));
    // Opened and closed again by the button.
    s.ClickButton();
    EXPECT_TRUE(s.PopupShown());
    s.ClickButton();
    EXPECT_FALSE(s.PopupShown());
}

TEST(PopupController, NearTheBottomOfTheWorkAreaItOpensAbove)
{
    TManagerPtr m = UnskinnedManager(false);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The edit's bottom 30 pixels above the work area's bottom.
    TPopupScene s(work.bottom - 30 - 42);
    s.ClickButton();
    ASSERT_TRUE(s.PopupShown());
    const TRect e = WindowRect(s.H());
    ASSERT_EQ(e.bottom, work.bottom - 30);
    EXPECT_EQ(WindowRect(s.P()).bottom, e.top - 1);
    EXPECT_EQ(PopupController()->AnimDirection, PopupOpensUpward);
}

TEST(PopupController, TheWatchdogClosesOnCaptureOrApplicationChangeUnlessForbidden)
{
    TManagerPtr m = UnskinnedManager(false);
    struct TCase {
        const char* What;
        bool CaptureElsewhere;
        bool Active;
        bool Forbidden;
        bool ListOpen;
        bool StaysOpen;
    } cases[] = {
        {"nothing happened", false, true, false, false, true},
        {"the capture went to another window", true, true, false, false, false},
        {"another application is active", false, false, false, false, false},
        {"closing forbidden", true, true, true, false, true},
        {"a combo box list is open", true, true, false, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TPopupScene s;
        s.ClickButton();
        ASSERT_TRUE(s.PopupShown());
        TacFormHandler* h = s.Handler();
        ASSERT_TRUE(h);
        FormPtr other(new TForm(nullptr));
        other->SetBounds(600, 600, 50, 50);
        other->Show();
        if (c.CaptureElsewhere) SetCapture(other->Handle());
        s.Active = c.Active;
        if (c.Forbidden) PopupController()->ClosingForbide(s.Popup.get());
        TacDropDownHold list;
        if (c.ListOpen) list.Take();
        h->CheckTimerTick();
        ReleaseCapture();
        EXPECT_EQ(s.PopupShown(), c.StaysOpen);
        EXPECT_EQ(s.Edit->DroppedDown(), c.StaysOpen);
        if (c.Forbidden) PopupController()->ClosingAllow(s.Popup.get());
    }
}

TEST(PopupController, TheOpeningGrowsOnSteppedTimeAndTheShadowFollows)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPopupScene s;
    s.ClickButton();
    ASSERT_TRUE(s.PopupShown());
    TacFormHandler* h = s.Handler();
    ASSERT_TRUE(h && h->ShadowWindow());
    const TRect e = WindowRect(s.H());
    const std::vector<TacPopupFrame> frames = PopupOpeningFrames(80, 255, 230, 166, e.Width(), 0);
    ASSERT_EQ(frames.size(), 7u);
    // The animation window's pictures: a first one, one per frame at its opacity, the full one.
    std::vector<const TacLayeredUpdate*> anim, shadow;
    for (const TacLayeredUpdate& u : s.Updates) {
        if (u.Wnd == h->ShadowWindow())
            shadow.push_back(&u);
        else if (u.Wnd != s.P())
            anim.push_back(&u);
    }
    ASSERT_EQ(anim.size(), frames.size() + 2);
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(anim[i + 1]->Alpha, frames[i].Alpha);
        EXPECT_EQ(anim[i + 1]->Size, TSize(230, 166));
    }
    EXPECT_EQ(anim.back()->Alpha, 255);
    // The shadow follows every frame with a height (the first has none) at that frame's size.
    ASSERT_GE(shadow.size(), frames.size() - 1);
    TacSkinData* d = m->CommonSkinData(96);
    const int side = d->WndShadowSize, top = std::max(d->WndShadowSize - d->WndShadowOffset, 0),
              bottom = std::max(d->WndShadowSize + d->WndShadowOffset, 0);
    for (size_t i = 1; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shadow[i - 1]->Alpha, frames[i].Alpha);
        EXPECT_EQ(shadow[i - 1]->Size,
                  TSize(frames[i].Rect.Width() + 2 * side, frames[i].Rect.Height() + top + bottom));
    }
    // After the opening the popup is opaque and in place, the edit counts as dropped down.
    EXPECT_EQ(WindowRect(s.P()).top, e.bottom - 2);
    EXPECT_TRUE(s.Edit->DroppedDown());
}

// A popup form freed while open takes its handler along; the edit forgets it and its button
// then opens nothing.
TEST(PopupController, APopupFreedWhileOpenLeavesNothingBehind)
{
    TManagerPtr m = UnskinnedManager(false);
    TPopupScene s;
    s.ClickButton();
    ASSERT_TRUE(s.PopupShown());
    ASSERT_EQ(PopupController()->GetFormIndex(s.Popup.get()), 0);
    TForm* gone = s.Popup.get();
    s.Popup.reset();
    PumpFor(30);
    EXPECT_EQ(PopupController()->GetFormIndex(gone), -1);
    EXPECT_EQ(PopupController()->PopupCount(nullptr), 0);
    EXPECT_EQ(s.Edit->PopupWindow(), nullptr);
    s.ClickButton();
    EXPECT_FALSE(s.Edit->DroppedDown());
    // The edit still works as an edit.
    SendMessageW(s.H(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(s.H(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(IsWindow(s.H()));
}

}  // namespace
