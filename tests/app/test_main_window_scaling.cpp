// The main window at other pixel densities and the caption check boxes of its group boxes: a
// PPI change delivered to the window (as the system does when it moves to another monitor)
// scales the whole form and every skinned control takes the skin data of the new PPI; at the
// screen's own PPI (this file also runs under a prefix at 144 PPI) the window comes up in it.
// Pictures of every page in Dark and in Light.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/graphics/pnggraphic.h"
#include "app/shifter_page.h"
#include "tests/app/sim_window_fixture.h"

namespace {

using namespace simwindow;

// As the program does at start: PPI-aware, so the system tells it the real PPI.
[[maybe_unused]] const bool PpiAware = DeclarePerMonitorPpiAware();

// The link of a skinned windowed control (nullptr: not skinned).
TsCommonData* LinkOf(TWinControl* c)
{
    if (!c->HandleAllocated()) return nullptr;
    const HWND w = c->Handle();
    if (!DeliverWindowMessage(w, MSG_SKINCOMMAND, SkinCommandWParam(scmIsSkinned), 0)) return nullptr;
    auto* l = reinterpret_cast<TsCommonData*>(DeliverWindowMessage(w, MSG_SKINCOMMAND, SkinCommandWParam(scmGetCommonData), 0));
    return l && l->Skinned(true) ? l : nullptr;
}

void ForEachControl(TWinControl* parent, const std::function<void(TControl*)>& f)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        f(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) ForEachControl(w, f);
    }
}

String NameOf(TControl* c) { return c->Name().empty() ? c->ClassName() : c->Name(); }

// The parent's window client area (a group box's ClientRect leaves its caption out, but its
// children are placed and clipped in the whole window).
TSize ParentArea(TControl* c)
{
    RECT r{};
    if (c->Parent()->HandleAllocated()) GetClientRect(c->Parent()->Handle(), &r);
    return TSize(r.right - r.left, r.bottom - r.top);
}

// The control lies inside its parent's client area, slack pixels of rounding allowed.
bool Fits(TControl* c, int slack)
{
    const TRect b = c->BoundsRect();
    const TSize area = ParentArea(c);
    return b.left >= 0 && b.top >= 0 && b.right <= area.cx + slack && b.bottom <= area.cy + slack;
}

// The controls that lie wholly inside their parent's client area.
std::vector<TControl*> FittingControls(TWinControl* root)
{
    std::vector<TControl*> out;
    ForEachControl(root, [&](TControl* c) {
        if (c->Visible() && c->Parent() && Fits(c, 0)) out.push_back(c);
    });
    return out;
}

class MainWindowScalingTest : public SimWindowTest {
protected:
    void SetUp() override
    {
        static const bool pngRegistered = (RegisterPngGraphic(), true);
        (void)pngRegistered;
        SimWindowTest::SetUp();
    }

    // The window with Dark and no devices: nothing to wait for.
    void StartWithoutDevices()
    {
        WritePrivateProfileStringW(L"Themes", L"Active", L"0", settings.c_str());
        sim.Unplug(Wheel(), false);
        sim.Unplug(Shifter(), false);
        form = new TMainForm(nullptr, settings);
        MainForm = form;
        form->Show();
        PumpFor(100);
    }

    void Redraw()
    {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
    }

    // Every skinned control: its PPI is ppi (every page; when linkPpi), and the shown ones (on the pages
    // shown in turn when allPages, else on the page shown now) draw from the skin data of ppi,
    // with caches: a button's or group box's cache as big as the control after a repaint.
    void ExpectSkinDataAt(int ppi, bool allPages, bool caches = true, bool linkPpi = true)
    {
        int skinned = 0;
        ForEachControl(form, [&](TControl* c) {
            auto* w = dynamic_cast<TWinControl*>(c);
            if (TsCommonData* l = w ? LinkOf(w) : nullptr) {
                ++skinned;
                if (linkPpi) EXPECT_EQ(l->CurrentPPI, ppi) << ToUtf8(NameOf(c));
            }
        });
        EXPECT_GT(skinned, 20);
        auto shownDrawAtPpi = [&] {
            Redraw();
            ForEachControl(form, [&](TControl* c) {
                auto* w = dynamic_cast<TWinControl*>(c);
                if (!w || !w->Showing()) return;
                TsCommonData* l = LinkOf(w);
                if (!l) return;
                TacSkinData* d = l->ResolveSkinData();
                ASSERT_NE(d, nullptr) << ToUtf8(NameOf(c));
                EXPECT_EQ(d->PPI(), ppi) << ToUtf8(NameOf(c));
                EXPECT_EQ(l->ControlPPI(), ppi) << ToUtf8(NameOf(c));
                if (caches && (dynamic_cast<TsButton*>(c) || dynamic_cast<TsGroupBox*>(c))) {
                    ASSERT_NE(l->FCacheBmp, nullptr) << ToUtf8(NameOf(c));
                    // A cache is made at its first composition; one made follows the control's size.
                    if (l->FCacheBmp->Width() == 0 && l->FCacheBmp->Height() == 0) return;
                    EXPECT_EQ(l->FCacheBmp->Width(), c->Width()) << ToUtf8(NameOf(c)) << " " << ToUtf8(c->Caption());
                    EXPECT_EQ(l->FCacheBmp->Height(), c->Height()) << ToUtf8(NameOf(c)) << " " << ToUtf8(c->Caption());
                }
            });
        };
        if (!allPages) {
            shownDrawAtPpi();
            return;
        }
        for (int i = 0; i < form->PageControl->PageCount(); ++i) {
            SCOPED_TRACE(ToUtf8(form->PageControl->Pages(i)->Name()));
            form->PageControl->SetActivePage(form->PageControl->Pages(i));
            shownDrawAtPpi();
        }
        form->PageControl->SetActivePage(form->TabBase);
        Redraw();
    }

    // The captions of the buttons fit inside them.
    void ExpectButtonCaptionsFit()
    {
        ForEachControl(form, [&](TControl* c) {
            auto* b = dynamic_cast<TsButton*>(c);
            if (!b || !b->HandleAllocated() || b->Caption().empty()) return;
            const TRect cap = b->CaptionRect();
            EXPECT_GE(cap.left, 0) << ToUtf8(NameOf(c));
            EXPECT_LE(cap.right, b->Width()) << ToUtf8(NameOf(c));
            EXPECT_GE(cap.top, 0) << ToUtf8(NameOf(c));
            EXPECT_LE(cap.bottom, b->Height()) << ToUtf8(NameOf(c));
        });
    }

    // Every shown control lies inside its parent's client area (a pixel of rounding allowed).
    // Labels are checked by their text (a value label's box may be wider than its group); the
    // gate lines of the shifter grid cross the whole grid and reach past it on purpose.
    void ExpectEveryControlFits()
    {
        ForEachControl(form, [&](TControl* c) {
            if (!c->Visible() || !c->Parent() || !c->Parent()->Showing()) return;
            if (dynamic_cast<TCustomLabel*>(c) || c->Parent()->Name() == L"ShifterGrid") return;
            const TRect b = c->BoundsRect();
            EXPECT_TRUE(Fits(c, 1)) << ToUtf8(NameOf(c)) << " " << ToUtf8(c->Caption()) << " (" << b.left << "," << b.top
                                    << "," << b.right << "," << b.bottom << ") leaves " << ToUtf8(NameOf(c->Parent()))
                                    << " (" << ParentArea(c).cx << " x " << ParentArea(c).cy << ")";
        });
    }

    // A one-line label's text, measured in its own font, fits the label and its parent and runs
    // into no windowed control beside it.
    void ExpectLabelTextsUncut()
    {
        HDC dc = GetDC(nullptr);
        ForEachControl(form, [&](TControl* c) {
            auto* l = dynamic_cast<TCustomLabel*>(c);
            if (!l || !l->Visible() || l->WordWrap() || l->Caption().empty() || !l->Parent()->Showing()) return;
            String text = l->Caption();
            std::erase(text, L'&');
            HGDIOBJ old = SelectObject(dc, l->Font()->Handle());
            SIZE ext{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &ext);
            SelectObject(dc, old);
            const TRect b = l->BoundsRect();
            EXPECT_LE(ext.cx, b.Width()) << ToUtf8(text);
            EXPECT_LE(ext.cy, b.Height()) << ToUtf8(text);
            int left = b.left;
            if (l->Alignment() == taRightJustify) left = b.right - ext.cx;
            else if (l->Alignment() == taCenter) left = b.left + (b.Width() - ext.cx) / 2;
            const TRect ink(left, b.top, left + ext.cx, b.top + ext.cy);
            const TSize area = ParentArea(l);
            EXPECT_TRUE(ink.left >= 0 && ink.top >= 0 && ink.right <= area.cx + 1 && ink.bottom <= area.cy + 1)
                << ToUtf8(text) << " leaves " << ToUtf8(NameOf(l->Parent()));
            for (int i = 0; i < l->Parent()->ControlCount(); ++i) {
                auto* other = dynamic_cast<TWinControl*>(l->Parent()->Controls(i));
                if (!other || !other->Visible()) continue;
                const TRect o = other->BoundsRect();
                const bool meets = ink.left < o.right && o.left < ink.right && ink.top < o.bottom && o.top < ink.bottom;
                EXPECT_FALSE(meets) << ToUtf8(text) << " runs into " << ToUtf8(NameOf(other));
            }
        });
        ReleaseDC(nullptr, dc);
    }

    void SavePages(const String& prefix)
    {
        const wchar_t* names[] = {L"base", L"hardware", L"shifter", L"pedal", L"debug"};
        for (int i = 0; i < form->PageControl->PageCount() && i < 5; ++i) {
            form->PageControl->SetActivePage(form->PageControl->Pages(i));
            PumpFor(200);
            Redraw();
            testing_support::SaveScreenshot(form->Handle(), prefix + names[i], true);
        }
        form->PageControl->SetActivePage(form->TabBase);
        PumpFor(50);
    }
};

// A PPI change delivered by hand: 96 -> 120 -> 144 -> 96 -> 192. The form and everything on it
// scale, each skinned control takes the skin data of the new PPI, a control that fitted its
// parent still fits (a pixel of rounding aside) and the button captions fit their buttons. A
// window the screen is too small for (192 on the test screen) is cut to the screen by the system:
// there only the skin data are checked. A Dark picture at 144.
TEST_F(MainWindowScalingTest, PpiChangesScaleTheFormAndEveryControlFollows)
{
    if (ScreenPpi() != 96) GTEST_SKIP() << "changes by hand start from a 96-PPI screen";
    StartWithoutDevices();
    ASSERT_TRUE(form->sSkinManager1->IsActive());
    const int start = form->CurrentPPI();
    const TSize startClient(form->ClientWidth(), form->ClientHeight());
    const std::vector<TControl*> fitting = FittingControls(form);
    ASSERT_FALSE(fitting.empty());
    const int applyWidth = form->btnApply->Width();
    for (int ppi : {120, 144, start, 192}) {
        SCOPED_TRACE(ppi);
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        const int old = form->CurrentPPI();
        RECT proposed{r.left, r.top, r.left + MulDiv(r.right - r.left, ppi, old), r.top + MulDiv(r.bottom - r.top, ppi, old)};
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(ppi, ppi), reinterpret_cast<LPARAM>(&proposed));
        PumpFor(100);
        EXPECT_EQ(form->CurrentPPI(), ppi);
        EXPECT_NEAR(form->btnApply->Width(), MulDiv(applyWidth, ppi, start), 2);
        const bool whole = form->ClientWidth() >= MulDiv(startClient.cx, ppi, start) - 2 &&
                           form->ClientHeight() >= MulDiv(startClient.cy, ppi, start) - 2;
        if (ppi <= 144) {
            EXPECT_TRUE(whole) << "the test screen holds the window at " << ppi;
        }
        // Only the page shown: a page shown later takes the PPI of its window's screen, which
        // a change delivered by hand leaves at the start PPI.
        ExpectSkinDataAt(ppi, false, whole);
        if (!whole) continue;
        for (TControl* c : fitting) {
            const TRect b = c->BoundsRect();
            EXPECT_TRUE(Fits(c, 1)) << ToUtf8(NameOf(c)) << " " << ToUtf8(c->Caption()) << " (" << b.left << "," << b.top
                                    << "," << b.right << "," << b.bottom << ") leaves " << ToUtf8(NameOf(c->Parent()))
                                    << " (" << ParentArea(c).cx << " x " << ParentArea(c).cy << ")";
        }
        ExpectButtonCaptionsFit();
        if (ppi == 144) {
            Redraw();
            testing_support::SaveScreenshot(form->Handle(), L"main-window-dark-144-by-hand", true);
        }
    }
}

// At the screen's own PPI (also run under the 144-PPI prefix) the new form is laid out for it:
// its PPI is the screen's, on every page every control fits its parent and the captions of
// buttons and labels are whole (the layout is scaled once; the fonts, made at the screen's PPI,
// are not scaled again). Every skinned control draws from the skin data of that PPI, in Dark
// and after the switch to Light. Pictures of every page in both.
TEST_F(MainWindowScalingTest, AtTheScreensPpi)
{
    StartWithoutDevices();
    const int ppi = ScreenPpi();
    EXPECT_EQ(form->CurrentPPI(), ppi);
    EXPECT_EQ(form->btnApply->CurrentPPI(), ppi);
    TFont made;   // made now, at the screen's PPI
    if (Application) made.Assign(Application->DefaultFont());
    EXPECT_EQ(form->Font()->Height(), made.Height()) << "the font is scaled once only";
    for (int i = 0; i < form->PageControl->PageCount(); ++i) {
        SCOPED_TRACE(ToUtf8(form->PageControl->Pages(i)->Name()));
        form->PageControl->SetActivePage(form->PageControl->Pages(i));
        PumpFor(100);
        ExpectEveryControlFits();
        ExpectLabelTextsUncut();
        ExpectButtonCaptionsFit();
    }
    form->PageControl->SetActivePage(form->TabBase);
    ExpectSkinDataAt(ppi, true);
    const String at = L"-" + IntToStr(ppi) + L"ppi-";
    SavePages(L"main-window-dark" + at);
    form->L1->Click();
    PumpFor(200);
    ExpectSkinDataAt(ppi, true);
    SavePages(L"main-window-light" + at);
}

// A click on a group box's caption check box (the user effects on the Base page, the LED
// effects on the Shifter page) toggles Checked, tells OnCheckBoxChanged once per click and
// enables or disables the group's children with it.
TEST_F(MainWindowScalingTest, CaptionCheckBoxClickTogglesTheGroupAndItsChildren)
{
    StartWithoutDevices();
    SetForegroundWindow(form->Handle());
    PumpFor(50);
    struct TRecorder {
        int Changes = 0;
        void Changed(TObject*) { ++Changes; }
    };
    struct Case {
        TsTabSheet* page;
        TsGroupBox* group;
    } cases[] = {{form->TabBase, form->GroupUserDamper}, {form->TabShifter, form->ShifterPage->chkEnableLED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.group->Name()));
        form->PageControl->SetActivePage(c.page);
        PumpFor(100);
        TsGroupBox* g = c.group;
        ASSERT_EQ(g->AutoChildrenStates(), csAsChecked);
        ASSERT_GT(g->ControlCount(), 0);
        TRecorder rec;
        g->OnCheckBoxChanged = Bind<&TRecorder::Changed>(&rec);
        const TRect box = g->CaptionGeometry().CheckBoxRect;
        ASSERT_FALSE(box.IsEmpty());
        const TPoint at = g->ClientToScreen(TPoint((box.left + box.right) / 2, (box.top + box.bottom) / 2));
        auto allChildren = [&](bool enabled) {
            for (int i = 0; i < g->ControlCount(); ++i)
                if (g->Controls(i)->Enabled() != enabled) return false;
            return true;
        };
        const bool before = g->Checked();
        ASSERT_TRUE(allChildren(before));
        for (int click = 1; click <= 2; ++click) {
            MouseTo(at.x, at.y);
            PumpFor(50);
            MouseButton(true);
            PumpFor(50);
            MouseButton(false);
            PumpFor(100);
            const bool now = click == 1 ? !before : before;
            EXPECT_EQ(g->Checked(), now) << "click " << click;
            EXPECT_EQ(rec.Changes, click);
            EXPECT_TRUE(allChildren(now)) << "click " << click;
        }
        g->OnCheckBoxChanged = nullptr;
    }
}

}  // namespace
