// A canvas over a window's paint DC, seen on screen through the screenshot helpers.
#include <gtest/gtest.h>

#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "vcl/graphics.h"

namespace {

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        try {
            TCanvas c;
            c.SetHandle(dc);
            c.Brush()->SetColor(clNavy);
            c.FillRect(Rect(0, 0, 200, 100));
            c.Brush()->SetColor(clYellow);
            c.Pen()->SetColor(clRed);
            c.Pen()->SetWidth(3);
            c.Rectangle(20, 20, 80, 60);
            c.SetHandle(nullptr);   // the paint DC is EndPaint's to release
        } catch (...) {
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

TEST(CanvasWindow, PaintedPixelsShowInTheWindowAndItsScreenshot)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QwCanvasTestWindow";
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    ATOM atom = RegisterClassW(&wc);
    ASSERT_NE(atom, 0) << GetLastError();
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"Canvas test", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr) << GetLastError();
    UpdateWindow(w);
    testing_support::PumpFor(200);

    std::unique_ptr<TBitmap> shot = testing_support::CaptureWindow(w, true);
    ASSERT_EQ(shot->Width(), 200);
    String png = testing_support::SaveArtifact(*shot, L"canvas_window");
    EXPECT_TRUE(FileExists(png));
    EXPECT_TRUE(FileExists(ChangeFileExt(png, L".bmp")));

    struct Case {
        int x, y;
        TColor expected;
    };
    const Case cases[] = {{5, 5, clNavy}, {50, 40, clYellow}, {21, 40, clRed}, {150, 90, clNavy}};
    for (const auto& c : cases) {
        EXPECT_EQ(testing_support::PixelAt(*shot, c.x, c.y), c.expected) << c.x << "," << c.y;
        EXPECT_EQ(testing_support::PixelAt(w, c.x, c.y), c.expected) << "window " << c.x << "," << c.y;
    }

    // Screenshot and a drawing of the same things in memory match.
    TBitmap expected(200, 100, pf32bit);
    expected.Canvas()->Brush()->SetColor(clNavy);
    expected.Canvas()->FillRect(Rect(0, 0, 200, 100));
    expected.Canvas()->Brush()->SetColor(clYellow);
    expected.Canvas()->Pen()->SetColor(clRed);
    expected.Canvas()->Pen()->SetWidth(3);
    expected.Canvas()->Rectangle(20, 20, 80, 60);
    testing_support::TBitmapDiff diff;
    EXPECT_TRUE(testing_support::BitmapsMatch(*shot, expected, 0, &diff))
        << diff.differing << " pixels differ, first at " << diff.firstAt.x << "," << diff.firstAt.y;
    DestroyWindow(w);
}
