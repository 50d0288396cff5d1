// Speed of the mark-up label's text: a caption of about 200 characters with bold, italic, a
// coloured font, a size change, a link and a break, wrapped in a 280 x 120 area, laid out
// (measuring only) and drawn through TsHTMLLabel's own GDI measurer and sink on a 32-bit bitmap.
// The reference is DrawTextW of the caption's plain text, word-wrapped in the same rectangle
// with the same font on the same bitmap. Prints the times and the ratios (ours / DrawTextW).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/common/window_bench.h"
#include "skin/controls/shtmllabel.h"
#include "vcl/application.h"
#include "vcl/forms.h"

namespace {

// Gives the bench the label's own text drawing on a device context of its choosing.
class TBenchLabel : public TsHTMLLabel {
public:
    using TsHTMLLabel::TsHTMLLabel;
    void DrawOn(HDC dc, TRect& rect, UINT flags)
    {
        FCanvas->SetHandle(dc);
        DoDrawText(rect, flags);
        FCanvas->SetHandle(nullptr);
    }
};

const wchar_t* const Caption =
    L"The <b>wheel base</b> keeps its <i>force feedback</i> settings in the device. "
    L"<font color=#C04000 size=+2>Apply</font> sends them now; <u>Save</u> stores them for the "
    L"next start of the program.<br>See <a href=\"help:ffb\">the help page</a> for the meaning of "
    L"each value and its range.";

}  // namespace

int main()
{
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 100, 320, 160);
    auto* label = new TBenchLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 280, 120);
    label->SetCaption(Caption);
    label->SetParent(form);

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 300;
    bi.bmiHeader.biHeight = -140;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);

    const String plain = PlainCaptionOf(label->Caption());
    const TRect area(0, 0, 280, 120);
    TRect probe = area;
    label->DrawOn(dc, probe, DT_CALCRECT | DT_WORDBREAK);
    if (probe.Height() <= 0 || label->Caption().size() < 200) {
        std::printf("the mark-up measured nothing: nothing timed\n");
        return 1;
    }
    const double layout = bench::SecondsPerCall([&] {
        TRect r = area;
        label->DrawOn(dc, r, DT_CALCRECT | DT_WORDBREAK);
    });
    const double draw = bench::SecondsPerCall([&] {
        TRect r = area;
        label->DrawOn(dc, r, DT_WORDBREAK);
    });

    // The reference: the same font, the same colours, the same rectangle.
    HGDIOBJ oldFont = SelectObject(dc, label->Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, COLORREF(ColorToRGB(label->Font()->Color())));
    const UINT flags = DT_WORDBREAK | DT_NOPREFIX;
    const double refLayout = bench::SecondsPerCall([&] {
        RECT r = area;
        DrawTextW(dc, plain.c_str(), int(plain.size()), &r, flags | DT_CALCRECT);
    });
    const double refDraw = bench::SecondsPerCall([&] {
        RECT r = area;
        DrawTextW(dc, plain.c_str(), int(plain.size()), &r, flags);
    });
    SelectObject(dc, oldFont);

    std::printf("caption: %d characters of mark-up, %d of plain text, area 280 x 120\n",
                int(label->Caption().size()), int(plain.size()));
    std::printf("%-44s %10.1f us\n", "mark-up layout (measuring pass)", layout * 1e6);
    std::printf("%-44s %10.1f us\n", "DrawTextW DT_CALCRECT of the plain text", refLayout * 1e6);
    std::printf("%-44s %10.1f us\n", "mark-up layout and drawing", draw * 1e6);
    std::printf("%-44s %10.1f us\n", "DrawTextW of the plain text", refDraw * 1e6);
    std::printf("%-44s %10.2f\n", "layout ratio (mark-up / DrawTextW)", layout / refLayout);
    std::printf("%-44s %10.2f\n", "drawing ratio (mark-up / DrawTextW)", draw / refDraw);

    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    TObject::Free(form);
    delete app;
    return 0;
}
