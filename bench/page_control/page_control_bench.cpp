// Speed of the skinned page control as the main window has it: five tabs (Base, Hardware,
// Shifter, a disabled Pedal, Debug) with the Dark skin. Measures one step of a hot tab's fade
// (its two pictures mixed, put into the control's image and onto the screen; the fade's clock is
// held still and the step called by hand) and one whole composition of the control's image
// (frame, strip and every tab), each against a plain BitBlt of the same size measured in the
// same run. Prints the times and ratios; the fade step's target is under 2 ms.
#include <cstdio>

#include "bench/common/window_bench.h"
#include "skin/controls/spagecontrol.h"
#include "tests/skin/controls/test_controls.h"
#include "vcl/application.h"
#include "vcl/forms.h"

namespace {

TsPageControl* MakePages(TForm* form)
{
    form->SetCaption(L"Pages");
    form->SetBounds(40, 40, 640, 480);
    auto* pages = new TsPageControl(form);
    pages->SetParent(form);
    pages->SetBounds(8, 8, 616, 424);
    for (const wchar_t* name : {L"Base", L"Hardware", L"Shifter", L"Pedal", L"Debug"}) {
        auto* sheet = new TsTabSheet(form);
        sheet->SetCaption(name);
        sheet->SetPageControl(pages);
        if (String(name) == L"Pedal") sheet->SetEnabled(false);
    }
    pages->SetActivePageIndex(0);
    form->Show();
    bench::Pump();
    return pages;
}

// Seconds per BitBlt of a w x h block from a memory bitmap onto the window.
double CopySeconds(HWND wnd, TBitmap* source, int w, int h)
{
    return bench::SecondsPerCall([&] {
        HDC dc = GetDC(wnd);
        BitBlt(dc, 0, 0, w, h, source->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
    });
}

}  // namespace

int main()
{
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    bench::TStillTicks still;
    SetAnimTickSource(&still);
    int result = 0;
    {
        TManagerPtr manager = ManagerWithSkin(L"Dark");
        if (!manager->IsActive()) {
            std::printf("the Dark skin did not load: nothing measured\n");
            return 1;
        }
        auto* form = new TForm(nullptr);
        TsPageControl* pages = MakePages(form);
        TsCommonData* link = pages->SkinData();
        const HWND wnd = pages->Handle();
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        bench::Pump();

        // The Hardware tab turns hot: its fade starts with both pictures made, and the still
        // clock never moves it on by itself.
        const TacPageControlState state = pages->TabState();
        const TacPageTabs tabs(state);
        const TRect tab = tabs.SkinTabRect(tabs.TabIndexOfPage(1), false);
        SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2));
        auto* sheet = dynamic_cast<TsTabSheet*>(pages->Pages(1));
        TacThreadedTimer* timer = sheet ? sheet->AnimTimer : nullptr;
        if (!timer || !timer->BmpFrom || timer->BmpFrom->Width() <= 0 || link->CacheEmpty()) {
            std::printf("the hot tab did not start a fade: nothing measured\n");
            result = 1;
        } else {
            const TRect anim = timer->AnimRect;
            int weight = 0;
            const double step = bench::SecondsPerCall([&] {
                weight = (weight + 43) % 256;
                pages->ShowTabFrame(sheet, weight);
            });
            const double tabCopy = CopySeconds(wnd, timer->BmpOut, anim.Width(), anim.Height());

            const double compose = bench::SecondsPerCall([&] { pages->PrepareCache(); }, 0.05, 2000);
            const double wholeCopy = CopySeconds(wnd, link->FCacheBmp, pages->Width(), pages->Height());

            std::printf("page control %d x %d, five tabs (Pedal disabled), Dark; tab picture %d x %d\n", pages->Width(),
                        pages->Height(), anim.Width(), anim.Height());
            std::printf("%-44s %10.1f us  (target: under 2000 us)\n", "one hot-tab fade step", step * 1e6);
            std::printf("%-44s %10.1f us\n", "BitBlt of the tab picture's size", tabCopy * 1e6);
            std::printf("%-44s %10.2f\n", "fade step / BitBlt", step / tabCopy);
            std::printf("%-44s %10.1f us\n", "whole composition of the control's image", compose * 1e6);
            std::printf("%-44s %10.1f us\n", "BitBlt of the control's size", wholeCopy * 1e6);
            std::printf("%-44s %10.2f\n", "composition / BitBlt", compose / wholeCopy);
        }
        if (sheet) sheet->StopTabAnimation();
        TObject::Free(form);
    }
    SetAnimTickSource(nullptr);
    delete app;
    return result;
}
