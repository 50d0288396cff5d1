// Speed of a whole window of skinned controls: a page control whose page holds a group box with
// ten track bars, four buttons, four check boxes, two spin edits and a combo box, much like a
// settings page of the main window. The window (frame, background, every child) is repainted
// with the Dark skin from valid caches, then the same window with the manager inactive, which
// gives every control its standard look. Prints both times and the ratio (target: at most 2).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/common/window_bench.h"
#include "skin/controls/sbuttons.h"
#include "skin/controls/scheckbox.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/spagecontrol.h"
#include "skin/controls/sspinedit.h"
#include "skin/controls/strackbar.h"
#include "tests/skin/controls/test_controls.h"
#include "vcl/application.h"
#include "vcl/forms.h"

namespace {

TForm* MakeWindow(TWinControl*& groupBox)
{
    auto* form = new TForm(nullptr);
    form->SetCaption(L"Repaint");
    form->SetBounds(40, 40, 640, 480);
    auto* pages = new TsPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(8, 8, 616, 424);
    TsTabSheet* first = nullptr;
    for (const wchar_t* name : {L"Base", L"Effects", L"Shifter"}) {
        auto* sheet = new TsTabSheet(form);
        sheet->SetCaption(name);
        sheet->SetPageControl(pages);
        if (!first) first = sheet;
    }
    pages->SetActivePageIndex(0);
    auto* group = new TsGroupBox(form);
    group->SetParent(first);
    group->SetCaption(L"Force feedback");
    group->SetBounds(8, 8, 592, 376);
    groupBox = group;
    for (int i = 0; i < 10; ++i) {
        auto* bar = new TsTrackBar(form);
        bar->SetParent(group);
        bar->SetBounds(12 + (i % 2) * 290, 24 + (i / 2) * 44, 270, 36);
        bar->SetMax(100);
        bar->SetPosition(10 * i);
    }
    for (int i = 0; i < 4; ++i) {
        auto* box = new TsCheckBox(form);
        box->SetParent(group);
        box->SetCaption(L"Option " + IntToStr(i + 1));
        box->SetBounds(12 + i * 140, 250, 130, 20);
        box->SetChecked(i % 2 == 0);
    }
    for (int i = 0; i < 2; ++i) {
        auto* spin = new TsDecimalSpinEdit(form);
        spin->SetParent(group);
        spin->SetBounds(12 + i * 140, 284, 120, 22);
        spin->SetDecimalPlaces(0);
        spin->SetValue(50 * (i + 1));
    }
    auto* combo = new TsComboBox(form);
    combo->SetParent(group);
    combo->SetStyle(csDropDownList);
    combo->SetBounds(292, 284, 160, 24);
    for (const wchar_t* item : {L"Off", L"Linear", L"Curve"}) combo->Items()->Add(item);
    combo->SetItemIndex(1);
    for (int i = 0; i < 4; ++i) {
        auto* button = new TsButton(form);
        button->SetParent(group);
        button->SetCaption(i == 0 ? L"Apply" : i == 1 ? L"Save" : i == 2 ? L"Load" : L"Defaults");
        button->SetBounds(12 + i * 110, 328, 100, 28);
    }
    form->Show();
    bench::Pump();
    return form;
}

// A pixel of the group box's background below its buttons: tells the skinned look from the
// standard one, so the bench never compares a window with itself.
COLORREF Background(TWinControl* group)
{
    HDC dc = GetDC(group->Handle());
    const COLORREF c = GetPixel(dc, 560, 368);
    ReleaseDC(group->Handle(), dc);
    return c;
}

}  // namespace

int main()
{
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    bench::TStillTicks still;
    SetAnimTickSource(&still);
    {
        TManagerPtr manager = ManagerWithSkin(L"Dark");
        if (!manager->IsActive()) {
            std::printf("the Dark skin did not load: nothing measured\n");
            return 1;
        }
        TWinControl* group = nullptr;
        TForm* form = MakeWindow(group);
        const HWND wnd = form->Handle();
        const UINT redraw = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;
        auto repaint = [&] {
            RedrawWindow(wnd, nullptr, nullptr, redraw);
            bench::Pump();
        };
        repaint();   // every cache made once; the timed repaints find them valid
        const COLORREF skinnedBack = Background(group);
        const double skinned = bench::SecondsPerCall(repaint, 0.05, 2000);
        manager->SetActive(false);
        bench::Pump();
        repaint();
        const COLORREF standardBack = Background(group);
        const double standard = bench::SecondsPerCall(repaint, 0.05, 2000);
        if (skinnedBack == standardBack) {
            std::printf("the group box looks the same skinned and standard (%06lX): nothing compared\n",
                        static_cast<unsigned long>(skinnedBack));
            return 1;
        }
        std::printf("window 640 x 480: page control, group box, 10 track bars, 4 buttons, 4 check boxes,\n"
                    "2 spin edits, a combo box\n");
        std::printf("%-44s %10.1f us\n", "repaint skinned (Dark) from valid caches", skinned * 1e6);
        std::printf("%-44s %10.1f us\n", "repaint with the manager inactive", standard * 1e6);
        std::printf("%-44s %10.2f     (target: at most 2.00)\n", "skinned / standard", skinned / standard);
        TObject::Free(form);
    }
    SetAnimTickSource(nullptr);
    delete app;
    return 0;
}
