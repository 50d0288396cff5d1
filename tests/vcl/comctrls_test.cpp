// Common controls on real windows: owner-drawn status panels, page changes, track bars.
#include <gtest/gtest.h>

#include <memory>

#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include <commctrl.h>

#include "vcl/comctrls.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"

using testing_support::PixelAt;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::SaveScreenshot;

namespace {

FormPtr NewForm()
{
    FormPtr f(new TForm(nullptr));
    f->SetBorderStyle(bsNone);
    f->SetBounds(120, 120, 420, 260);
    return f;
}

}  // namespace

TEST(StatusBar, OwnerDrawnPanelIsPaintedByOnDrawPanel)
{
    FormPtr form = NewForm();
    auto* bar = new TStatusBar(form.get());
    bar->SetParent(form.get());
    bar->SetSizeGrip(false);
    bar->SetHeight(24);
    // Panel 1 is owner-drawn: red when its text says "Connected", blue otherwise.
    for (int w : {60, 80, 60}) bar->Panels()->Add()->SetWidth(w);
    bar->Panels()->Items(0)->SetText(L"Sel");
    bar->Panels()->Items(1)->SetStyle(psOwnerDraw);
    bar->Panels()->Items(1)->SetText(L"Connected");

    struct Painter {
        int calls = 0;
        int lastIndex = -1;
        void Draw(TStatusBar* sb, TStatusPanel* panel, const TRect& r)
        {
            ++calls;
            lastIndex = panel->Index();
            sb->Canvas()->Brush()->SetColor(panel->Text() == L"Connected" ? clRed : clBlue);
            sb->Canvas()->FillRect(r);
        }
    } painter;
    bar->OnDrawPanel = Bind<&Painter::Draw>(&painter);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return painter.calls > 0; }));
    PumpFor(50);
    EXPECT_EQ(painter.lastIndex, 1);
    EXPECT_EQ(bar->Top(), form->ClientHeight() - 24);   // aligned to the bottom

    RECT r{};
    SendMessageW(bar->Handle(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&r));
    TPoint mid{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SaveScreenshot(form->Handle(), L"statusbar_ownerdraw");
    EXPECT_EQ(PixelAt(bar->Handle(), mid.x, mid.y), clRed);
    // The text panel is not ours to paint.
    EXPECT_NE(PixelAt(bar->Handle(), 30, mid.y), clRed);

    // A new text repaints the owner-drawn panel.
    bar->Panels()->Items(1)->SetText(L"Disconnected");
    ASSERT_TRUE(PumpUntil([&] { return PixelAt(bar->Handle(), mid.x, mid.y) == clBlue; }));
}

TEST(PageControl, ChangingThePageFiresTheSheetsShowAndHide)
{
    FormPtr form = NewForm();
    auto* pc = new TPageControl(form.get());
    pc->SetParent(form.get());
    pc->SetAlign(alClient);
    struct Log {
        std::vector<String> lines;
        void Show(TObject* s) { lines.push_back(L"show " + static_cast<TTabSheet*>(s)->Caption()); }
        void Hide(TObject* s) { lines.push_back(L"hide " + static_cast<TTabSheet*>(s)->Caption()); }
        void Change(TObject*) { lines.push_back(L"change"); }
    } log;
    std::vector<TTabSheet*> sheets;
    for (const wchar_t* name : {L"Base", L"Hardware", L"Pedal", L"Debug"}) {
        auto* s = new TTabSheet(form.get());
        s->SetPageControl(pc);
        s->SetCaption(name);
        s->OnShow = Bind<&Log::Show>(&log);
        s->OnHide = Bind<&Log::Hide>(&log);
        sheets.push_back(s);
    }
    sheets[2]->SetTabVisible(false);
    pc->OnChange = Bind<&Log::Change>(&log);
    form->Show();
    PumpFor(30);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);

    // Setting the page from code: the sheets' events, no OnChange.
    log.lines.clear();
    pc->SetActivePage(sheets[1]);
    EXPECT_EQ(log.lines, (std::vector<String>{L"show Hardware", L"hide Base"}));
    EXPECT_TRUE(IsWindowVisible(sheets[1]->Handle()));
    EXPECT_FALSE(IsWindowVisible(sheets[0]->Handle()));
    EXPECT_EQ(pc->TabIndex(), 1);

    // A click on the third visible tab ("Debug", page 3) comes back as TCN_SELCHANGE.
    log.lines.clear();
    RECT tab{};
    SendMessageW(pc->Handle(), TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&tab));
    LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(pc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(pc->Handle(), WM_LBUTTONUP, 0, at);
    PumpFor(30);
    EXPECT_EQ(pc->ActivePage(), sheets[3]);
    EXPECT_EQ(pc->ActivePageIndex(), 3);
    EXPECT_EQ(log.lines, (std::vector<String>{L"show Debug", L"hide Hardware", L"change"}));

    // OnChanging can refuse.
    struct Veto {
        void Changing(TObject*, bool& allow) { allow = false; }
    } veto;
    pc->OnChanging = Bind<&Veto::Changing>(&veto);
    log.lines.clear();
    SendMessageW(pc->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(pc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(pc->Handle(), WM_LBUTTONUP, 0, at);
    PumpFor(30);
    EXPECT_EQ(pc->ActivePage(), sheets[3]);
    EXPECT_TRUE(log.lines.empty());
}

TEST(TrackBar, PositionIsClampedAndNativeMovesReachOnChange)
{
    FormPtr form = NewForm();
    auto* tb = new TTrackBar(form.get());
    tb->SetParent(form.get());
    tb->SetBounds(10, 10, 300, 40);
    tb->SetRange(180, 1080);
    tb->SetFrequency(90);
    struct Changes {
        int count = 0;
        void Change(TObject*) { ++count; }
    } changes;
    tb->OnChange = Bind<&Changes::Change>(&changes);
    form->Show();

    struct Row {
        int set, expected;
    };
    for (const Row& r : {Row{900, 900}, Row{2000, 1080}, Row{0, 180}}) {
        tb->SetPosition(r.set);
        EXPECT_EQ(tb->Position(), r.expected);
        EXPECT_EQ(SendMessageW(tb->Handle(), TBM_GETPOS, 0, 0), r.expected);
    }
    EXPECT_EQ(changes.count, 3);

    // A key press moves the native thumb; the reflected scroll message updates us.
    SetFocus(tb->Handle());
    SendMessageW(tb->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(tb->Handle(), WM_KEYUP, VK_RIGHT, 0);
    PumpFor(30);
    EXPECT_EQ(tb->Position(), 181);
    EXPECT_EQ(changes.count, 4);
}
