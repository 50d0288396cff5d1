// The main window with its skin manager switched off (Active False) after it was shown skinned
// looks exactly like the main window whose manager was off before it was ever shown: no control
// keeps a skinned frame, colour, font, region or cached picture once the skin is gone. Every
// page is compared pixel by pixel; only the scrolling text, the time-stamped log
// lines and the random tip are left out.
// When they differ, both pictures and a diff image are saved for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "skin/graphics/pnggraphic.h"
#include "tests/app/sim_window_fixture.h"

namespace {

using namespace simwindow;

struct TPageShot {
    String Page;
    std::unique_ptr<TBitmap> Shot;
};

class InactiveLookTest : public SimWindowTest {
protected:
    void SetUp() override
    {
        static const bool pngRegistered = (RegisterPngGraphic(), true);
        (void)pngRegistered;
        SimWindowTest::SetUp();
        WritePrivateProfileStringW(L"Themes", L"Active", L"0", settings.c_str());
        sim.Unplug(Wheel(), false);
        sim.Unplug(Shifter(), false);
    }

    // A main window, its manager switched off before it is shown (never skinned on screen) or
    // after. Both go through every page once first, so both logs hold the same lines.
    void Open(bool offBeforeShow)
    {
        form = new TMainForm(nullptr, settings);
        MainForm = form;
        if (offBeforeShow) form->sSkinManager1->SetActive(false);
        form->Show();
        PumpFor(100);
        EXPECT_EQ(form->sSkinManager1->IsActive(), !offBeforeShow);
        for (int i = 0; i < form->PageControl->PageCount(); ++i) {
            form->PageControl->SetActivePage(form->PageControl->Pages(i));
            Redraw();
        }
        form->PageControl->SetActivePage(form->TabBase);
        Redraw();
        if (!offBeforeShow) {
            form->sSkinManager1->SetActive(false);
            PumpFor(100);
        }
        ASSERT_FALSE(form->sSkinManager1->IsActive());
        // No caret blinking in one picture and not in the other.
        form->SetActiveControl(nullptr);
        PumpFor(50);
    }

    void Close()
    {
        TObject::Free(form);
        form = nullptr;
        MainForm = nullptr;
        PumpFor(100);
    }

    void Redraw()
    {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
    }

    // The client area of every page in turn.
    std::vector<TPageShot> ShootPages()
    {
        std::vector<TPageShot> shots;
        for (int i = 0; i < form->PageControl->PageCount(); ++i) {
            TTabSheet* page = form->PageControl->Pages(i);
            form->PageControl->SetActivePage(page);
            Redraw();
            shots.push_back({page->Caption(), testing_support::CaptureWindow(form->Handle())});
        }
        return shots;
    }

    // A rectangle of a control in the form's client coordinates.
    TRect InForm(TControl* c, const TRect& r)
    {
        const TPoint o = c->ClientToScreen(TPoint(r.left, r.top));
        POINT p{o.x, o.y};
        ScreenToClient(form->Handle(), &p);
        return TRect(p.x, p.y, p.x + r.Width(), p.y + r.Height());
    }
    TRect Whole(TControl* c) { return InForm(c, TRect(0, 0, c->Width(), c->Height())); }
    // What differs between any two windows: the scrolling text, which moves on its own, the log
    // lines (status bar and the Debug page's log), which start with the time of day, and the
    // Shifter page's tip, picked at random.
    std::vector<TRect> LeftOut()
    {
        return {Whole(form->InfoText), InForm(form->StatusBar, form->StatusBar->PanelRects().at(0)),
                Whole(form->sysLog), Whole(form->lblTips)};
    }
};

// Two leftovers it caught: tabs measured with the skin's padding (every tab a few pixels wider
// than the plain ones), and single-line edits (spin edits, the log-file name) whose text stood a
// pixel further right than in edits that were never skinned.
TEST_F(InactiveLookTest, SwitchedOffItLooksLikeAWindowNeverSkinned)
{
    Open(true);
    const std::vector<TRect> leftOut = LeftOut();
    const std::vector<TPageShot> plain = ShootPages();
    Close();
    Open(false);
    ASSERT_EQ(LeftOut(), leftOut);
    const std::vector<TPageShot> off = ShootPages();
    ASSERT_EQ(off.size(), plain.size());

    for (size_t i = 0; i < plain.size(); ++i) {
        TBitmap& a = *plain[i].Shot;
        TBitmap& b = *off[i].Shot;
        SCOPED_TRACE(ToUtf8(plain[i].Page));
        ASSERT_EQ(a.Width(), b.Width());
        ASSERT_EQ(a.Height(), b.Height());
        ASSERT_GT(a.Width(), 0);
        TBitmap diff(a.Width(), a.Height(), pf32bit);
        int differing = 0;
        int left = a.Width(), top = a.Height(), right = 0, bottom = 0;
        for (int y = 0; y < a.Height(); ++y) {
            auto* out = static_cast<uint32_t*>(diff.ScanLine(y));
            for (int x = 0; x < a.Width(); ++x) {
                const TColor ca = testing_support::PixelAt(a, x, y), cb = testing_support::PixelAt(b, x, y);
                const bool skipped = std::any_of(leftOut.begin(), leftOut.end(), [&](const TRect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                });
                // Red where they differ, the plain picture dimmed elsewhere.
                const uint32_t rgb = static_cast<uint32_t>(ca);
                const uint32_t dim = ((rgb & 0xFF) / 3) << 16 | (((rgb >> 8) & 0xFF) / 3) << 8 | ((rgb >> 16) & 0xFF) / 3;
                if (skipped || ca == cb) {
                    out[x] = 0xFF000000u | dim;
                    continue;
                }
                out[x] = 0xFFFF0000u;
                ++differing;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x + 1);
                bottom = std::max(bottom, y + 1);
            }
        }
        EXPECT_EQ(differing, 0) << "differing pixels within (" << left << "," << top << ")-(" << right << "," << bottom
                                << ")";
        if (differing) {
            const String name = L"inactive_look_" + plain[i].Page;
            testing_support::SaveArtifact(a, name + L"_never_skinned");
            testing_support::SaveArtifact(b, name + L"_switched_off");
            testing_support::SaveArtifact(diff, name + L"_diff");
        }
    }
}

}  // namespace
