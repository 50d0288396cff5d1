// The main window's status images in Dark and Light: the Shifter page's online and offline marks
// are image controls showing images 0 and 1 of the window's image list, composed over the grid at
// the grid's PPI, and the status bar draws the same images for the connection panels.
#include <algorithm>

#include "app/shifter_page.h"
#include "skin/controls/acimagelist.h"
#include "skin/engine/command_delivery.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/app/sim_window_fixture.h"

using namespace simwindow;
using testing_support::CaptureWindow;
using testing_support::ColorDistance;
using testing_support::PixelAt;

namespace {

class ImageMarksTest : public SimWindowTest {
protected:
    void StartWith(const wchar_t* active, const wchar_t* skin)
    {
        WritePrivateProfileStringW(L"Themes", L"Active", active, settings.c_str());
        sim.StartStreams(0);
        Start();
        ASSERT_EQ(form->sSkinManager1->SkinName(), skin);
        page = form->ShifterPage;
        ASSERT_NE(page, nullptr);
        form->PageControl->SetActivePage(form->TabShifter);
        ASSERT_TRUE(PumpUntil([&] { return form->Protocol().ProfileLoading.Values(L"LoadShifter") == L"0"; }));
        page->comboDebugStat->SetItemIndex(TShifterPage::StatPosition);
        page->comboDebugStatChange(page->comboDebugStat);
    }

    // The mark shows its list image at its place: its transparent corner is the grid, its middle
    // the image composed over that colour.
    void ExpectMark(TsImage* mark, int index, const String& shotName)
    {
        EXPECT_EQ(mark->Images(), form->Images);
        EXPECT_EQ(mark->ImageIndex(), index);
        const int ppi = ControlPpi(mark);
        EXPECT_EQ(mark->Width(), ImageWidthAt(form->Images, index, ppi));
        EXPECT_EQ(mark->Height(), ImageHeightAt(form->Images, index, ppi));
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpFor(100);
        auto grid = CaptureWindow(page->ShifterGrid->Handle());
        ASSERT_TRUE(grid && !grid->Empty());
        const int screen = ScreenPpi();
        testing_support::SaveArtifact(*CaptureWindow(form->Handle()),
                                      screen == 96 ? shotName : shotName + L"_" + IntToStr(screen));
        const int x = mark->Left(), y = mark->Top(), w = mark->Width(), h = mark->Height();
        const TColor behind = PixelAt(*grid, x, y);
        std::unique_ptr<TBitmap> want(NewBitmap32(w, h));
        FillRectAlpha32(want.get(), TRect(0, 0, w, h), behind, 255);
        DrawImageListItem32(form->Images, want.get(), 0, 0, index, 0, clNone, 0, 0, false, ppi);
        for (const TPoint p : {TPoint(w / 2, h / 2), TPoint(w / 2 - 2, h / 2 + 2), TPoint(w / 3, h / 2)})
            EXPECT_LE(ColorDistance(PixelAt(*grid, x + p.x, y + p.y), PixelAt(*want, p.x, p.y)), 24)
                << shotName << " at " << p.x << "," << p.y;
        EXPECT_GT(ColorDistance(PixelAt(*grid, x + w / 2, y + h / 2), behind), 40) << shotName;
    }

    // Some pixel of the status bar is the middle of image index as the list draws it.
    bool StatusBarShows(int index)
    {
        auto bar = CaptureWindow(form->StatusBar->Handle());
        const int ppi = ControlPpi(form->StatusBar);
        const int w = ImageWidthAt(form->Images, index, ppi), h = ImageHeightAt(form->Images, index, ppi);
        std::unique_ptr<TBitmap> img(NewBitmap32(w, h));
        FillRectAlpha32(img.get(), TRect(0, 0, w, h), 0, 255);
        DrawImageListItem32(form->Images, img.get(), 0, 0, index, 0, clNone, 0, 0, false, ppi);
        const TColor middle = PixelAt(*img, w / 2, h / 2);
        for (int y = 0; y < bar->Height(); ++y)
            for (int x = 0; x < bar->Width(); ++x)
                if (ColorDistance(PixelAt(*bar, x, y), middle) <= 6) return true;
        return false;
    }

    void CheckBothMarks(const String& skin)
    {
        Shifter()->Firmware().SetShifterPosition(100 * 16, (120 + 15) * 16);
        ASSERT_TRUE(PumpUntil([&] { return page->ShifterOnline->Visible() && page->ShifterOnline->Left() == 100; }));
        ExpectMark(page->ShifterOnline, 0, L"image_marks_online_" + skin);
        EXPECT_TRUE(StatusBarShows(0)) << skin;

        sim.Unplug(Shifter());
        ASSERT_TRUE(PumpUntil([&] { return Panel(TMainForm::PanelShifter) == L"Disconnected"; }));
        ASSERT_TRUE(PumpUntil([&] { return page->ShifterOffline->Visible() && !page->ShifterOnline->Visible(); }));
        ExpectMark(page->ShifterOffline, 1, L"image_marks_offline_" + skin);
        EXPECT_TRUE(StatusBarShows(1)) << skin;
    }

    TShifterPage* page = nullptr;
};

}  // namespace

TEST_F(ImageMarksTest, DarkShowsBothMarksAndTheStatusImages)
{
    StartWith(L"0", L"Dark");
    CheckBothMarks(L"dark");
}

TEST_F(ImageMarksTest, LightShowsBothMarksAndTheStatusImages)
{
    StartWith(L"1", L"Light");
    CheckBothMarks(L"light");
}
