// Speed of the skinned control frame with our Dark skin: one frame of a state cross-fade of a
// 200 x 40 control (mix of the two images and the copy to its window), and its repaint from its
// cache against the unskinned base class painting itself at the same size. Prints the times and
// the ratio with the targets (a step below 2 ms; the cached repaint at most twice the base's).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/common/window_bench.h"
#include "tests/skin/controls/test_controls.h"
#include "vcl/application.h"
#include "vcl/forms.h"

namespace {

TForm* MakeForm(int x, TWinControl*& button, bool skinned)
{
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(x, 100, 260, 100);
    TWinControl* panel = skinned ? static_cast<TWinControl*>(new TTestSkinPanel(form)) : new TPanel(form);
    panel->SetBounds(0, 0, 260, 100);
    panel->SetParent(form);
    button = skinned ? static_cast<TWinControl*>(new TTestSkinButton(form)) : new TCustomControl(form);
    button->SetBounds(30, 30, 200, 40);
    button->SetParent(panel);
    form->Show();
    bench::Pump();
    return form;
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
        TWinControl *skinned = nullptr, *plain = nullptr;
        TForm* a = MakeForm(40, skinned, true);
        TForm* b = MakeForm(320, plain, false);
        auto* button = static_cast<TTestSkinButton*>(skinned);
        TsCommonData* link = button->SkinData();
        button->Perform(CM_MOUSEENTER, 0, 0);   // a hover cross-fade, held at its first steps
        TacThreadedTimer* timer = link->AnimTimer;
        if (!timer || !link->Skinned(true)) {
            std::printf("the test control is not skinned: nothing measured\n");
            return 1;
        }
        const double step = bench::SecondsPerCall([&] {
            timer->Iteration = 1;
            timer->Glow = 100;
            StateAnimationStep(link, 1);
        });
        link->StopAnimTimer();
        button->PrepareCache();
        const HWND sw = skinned->Handle(), pw = plain->Handle();
        const UINT redraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
        const double cached = bench::SecondsPerCall([&] { RedrawWindow(sw, nullptr, nullptr, redraw); });
        const double base = bench::SecondsPerCall([&] { RedrawWindow(pw, nullptr, nullptr, redraw); });
        std::printf("%-44s %10.1f us  (target: below 2000 us)\n", "one cross-fade step, 200x40", step * 1e6);
        std::printf("%-44s %10.1f us\n", "repaint from the cache, 200x40", cached * 1e6);
        std::printf("%-44s %10.1f us\n", "the base class painting itself, 200x40", base * 1e6);
        std::printf("%-44s %10.2f     (target: at most 2.00)\n", "cached repaint / base paint", cached / base);
        TObject::Free(a);
        TObject::Free(b);
    }
    SetAnimTickSource(nullptr);
    delete app;
    return 0;
}
