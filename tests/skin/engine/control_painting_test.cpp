// Controls painted into bitmaps, with small test controls that print flat colours: skinned
// windows print through print mode and WM_PRINT, plain ones through PaintTo, hidden ones leave
// their parent's background, later overlapping siblings are painted over; graphic children are
// composed off screen over their parent's background.
#include <gtest/gtest.h>

#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/graphics/paint32.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/comctrls.h"

namespace {

std::vector<String> PrintLog;   // "name on" / "name off", and other commands of interest

void FillDC(HDC dc, int w, int h, TColor color)
{
    HBRUSH b = CreateSolidBrush(ColorToColorRef(color));
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
}

// A window that prints itself in one colour. PrintAnswer is its answer to the print mode
// announcement (1: a skinned window), PrintResult its answer to WM_PRINT.
class TFlatWindow : public TCustomControl {
public:
    TFlatWindow(TWinControl* parent, const wchar_t* name, TColor color, int x, int y, int w, int h) : TCustomControl(parent)
    {
        SetName(name);
        SetColor(color);
        SetBounds(x, y, w, h);
        SetParent(parent);
    }
    LRESULT PrintAnswer = 1;
    LRESULT PrintResult = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case MSG_SKINCOMMAND:
            if (SkinCommandOf(m.WParam) == scmSetPrintDC) {
                PrintLog.push_back(Name() + (m.LParam ? L" on" : L" off"));
                m.Result = PrintAnswer;
            } else if (SkinCommandOf(m.WParam) == scmSetHalfVisible) {
                PrintLog.push_back(Name() + L" half visible");
            }
            return;
        case WM_PRINT:
        case WM_PRINTCLIENT:
        case WM_ERASEBKGND:
            FillDC(reinterpret_cast<HDC>(m.WParam), Width(), Height(), Color());
            m.Result = m.Msg == WM_PRINT ? PrintResult : 1;
            return;
        default:
            TCustomControl::Dispatch(m);
        }
    }
};

// A tab sheet (not skinned) painting itself in one colour wherever it is asked to.
class TFlatSheet : public TTabSheet {
public:
    TFlatSheet(TWinControl* parent, TColor color, int border) : TTabSheet(parent)
    {
        SetAlign(alNone);
        SetBorderWidth(border);
        FPaintColor = color;
        SetBounds(0, 0, 40, 30);
        SetParent(parent);
        Show();
    }

private:
    TColor FPaintColor;

protected:
    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_PRINT:
        case WM_PRINTCLIENT:
        case WM_ERASEBKGND:
            FillDC(reinterpret_cast<HDC>(m.WParam), Width(), Height(), FPaintColor);
            m.Result = 1;
            return;
        default:
            TTabSheet::Dispatch(m);
        }
    }
};

// A graphic control painting one colour; optionally it tries to paint its siblings again.
class TFlatGraphic : public TGraphicControl {
public:
    TFlatGraphic(TWinControl* parent, const wchar_t* name, TColor color, int x, int y, int w, int h) : TGraphicControl(parent)
    {
        SetName(name);
        FPaintColor = color;
        SetBounds(x, y, w, h);
        SetParent(parent);
    }
    bool Reenter = false;
    int Paints = 0;

private:
    TColor FPaintColor;

protected:
    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case MSG_SKINCOMMAND:
            if (SkinCommandOf(m.WParam) == scmSetPrintDC) PrintLog.push_back(Name() + (m.LParam ? L" on" : L" off"));
            return;
        case WM_PAINT:
        case WM_PRINT:
            ++Paints;
            FillDC(reinterpret_cast<HDC>(m.WParam), Width(), Height(), FPaintColor);
            if (Reenter) DrawGraphicChildren(reinterpret_cast<HDC>(m.WParam), Parent(), false, TPoint(), false);
            return;
        default:
            TGraphicControl::Dispatch(m);
        }
    }
};

TColor Pixel(TBitmap& b, int x, int y)
{
    uint32_t p = ReadPixel32(&b, x, y);
    return static_cast<TColor>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
}

FormPtr NewForm()
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(40, 40, 300, 200);
    return f;
}

constexpr TColor Red = 0x0000FF, Blue = 0xFF0000, Green = 0x00FF00, White = 0xFFFFFF, Gray = 0x808080, Key = 0xFF00FF;

}  // namespace

TEST(ControlPainting, ASkinnedPanelWithItsButton)
{
    FormPtr form = NewForm();
    auto* panel = new TFlatWindow(form.get(), L"panel", Red, 0, 0, 100, 80);
    new TFlatWindow(panel, L"button", Blue, 10, 15, 30, 20);
    form->Show();
    TBitmap bmp(100, 80, pf32bit);
    PrintLog.clear();
    PaintControlToBitmap(&bmp, panel, 0, 0, nullptr, false);
    struct Case { int x, y; TColor color; } cases[] = {{5, 5, Red}, {10, 15, Blue}, {39, 34, Blue}, {40, 35, Red}, {99, 79, Red}};
    for (auto c : cases) EXPECT_EQ(Pixel(bmp, c.x, c.y), c.color) << c.x << "," << c.y;
    EXPECT_EQ(PrintLog, (std::vector<String>{L"panel on", L"panel off", L"button on", L"button off"}));

    // A print answer of -2 keeps the children out.
    panel->PrintResult = -2;
    TBitmap alone(100, 80, pf32bit);
    PrintLog.clear();
    PaintControlToBitmap(&alone, panel, 0, 0, nullptr, false);
    EXPECT_EQ(Pixel(alone, 20, 20), Red);
    EXPECT_EQ(PrintLog, (std::vector<String>{L"panel on", L"panel off"}));
}

TEST(ControlPainting, APlainWindowPaintsItselfAndPrintModeStaysAnnounced)
{
    FormPtr form = NewForm();
    auto* plain = new TFlatWindow(form.get(), L"plain", Green, 0, 0, 50, 40);
    plain->PrintAnswer = 0;
    form->Show();
    TBitmap bmp(50, 40, pf32bit);
    PrintLog.clear();
    PaintControlToBitmap(&bmp, plain, 0, 0, nullptr, false);
    EXPECT_EQ(Pixel(bmp, 25, 20), Green);
    EXPECT_EQ(PrintLog, (std::vector<String>{L"plain on"}));
}

TEST(ControlPainting, AHiddenControlLeavesItsParentsBackground)
{
    FormPtr form = NewForm();
    auto* parent = new TFlatWindow(form.get(), L"parent", Green, 0, 0, 100, 80);
    auto* hidden = new TFlatWindow(parent, L"hidden", Red, 10, 10, 20, 20);
    form->Show();
    hidden->Hide();
    TBitmap bmp(60, 60, pf32bit);
    FillRectAlpha32(&bmp, TRect(0, 0, 60, 60), White, 255);
    PrintLog.clear();
    PaintControlToBitmap(&bmp, hidden, 5, 5, nullptr, false);
    EXPECT_EQ(Pixel(bmp, 5, 5), Green);     // the parent's colour where the control would be
    EXPECT_EQ(Pixel(bmp, 24, 24), Green);
    EXPECT_EQ(Pixel(bmp, 25, 25), White);   // nothing beyond it
    EXPECT_TRUE(PrintLog.empty());          // the control itself is not asked to print
}

TEST(ControlPainting, LaterOverlappingSiblingsAppear)
{
    FormPtr form = NewForm();
    new TFlatWindow(form.get(), L"earlier", Blue, 0, 0, 30, 30);
    auto* middle = new TFlatWindow(form.get(), L"middle", Red, 20, 20, 40, 40);
    new TFlatWindow(form.get(), L"later", Green, 50, 50, 30, 30);
    new TFlatWindow(form.get(), L"apart", Gray, 200, 0, 30, 30);
    form->Show();
    TBitmap bmp(40, 40, pf32bit);
    PrintLog.clear();
    PaintControlToBitmap(&bmp, middle, 0, 0, nullptr, true);
    EXPECT_EQ(Pixel(bmp, 2, 2), Red);     // the earlier sibling stays under it
    EXPECT_EQ(Pixel(bmp, 20, 20), Red);
    EXPECT_EQ(Pixel(bmp, 35, 35), Green); // the later one lies over it
    EXPECT_EQ(PrintLog, (std::vector<String>{L"middle on", L"middle off", L"later on", L"later off"}));
}

TEST(ControlPainting, ABorderedTabSheetLeavesTheOriginMovedBack)
{
    FormPtr form = NewForm();
    auto* plain = new TFlatWindow(form.get(), L"plain", Blue, 0, 0, 40, 30);
    plain->PrintAnswer = 0;
    plain->SetBorderWidth(4);
    auto* bordered = new TFlatSheet(form.get(), Blue, 4);
    auto* borderless = new TFlatSheet(form.get(), Blue, 0);
    form->Show();
    TObject provider;
    struct Case {
        const char* what;
        TControl* control;
        TObject* provider;
        int shift;
    } cases[] = {
        {"bordered sheet", bordered, nullptr, 4},
        {"bordered sheet of a provider", bordered, &provider, 0},
        {"sheet without border", borderless, nullptr, 0},
        {"bordered window", plain, nullptr, 0},
    };
    for (const Case& c : cases) {
        TBitmap bmp(60, 60, pf32bit);
        FillRectAlpha32(&bmp, TRect(0, 0, 60, 60), White, 255);
        PaintControlToBitmap(&bmp, c.control, 0, 0, c.provider, false);
        EXPECT_EQ(Pixel(bmp, 20, 20), Blue) << c.what;   // the control itself stays where it was painted
        // What the caller paints next at (0, 0) lands moved by the shift.
        FillDC(bmp.Canvas()->Handle(), 10, 10, Red);
        const int edge = 10 - c.shift;
        EXPECT_EQ(Pixel(bmp, edge - 1, edge - 1), Red) << c.what;
        EXPECT_EQ(Pixel(bmp, edge, edge), Blue) << c.what;
    }
}

TEST(ControlPainting, GraphicChildrenComposedOffScreen)
{
    FormPtr form = NewForm();
    auto* box = new TFlatWindow(form.get(), L"box", Gray, 0, 0, 100, 60);
    auto* red = new TFlatGraphic(box, L"red", Red, 10, 10, 20, 20);
    new TFlatGraphic(box, L"keyed", Key, 50, 10, 20, 20);
    form->Show();
    TBitmap bmp(110, 70, pf32bit);
    FillRectAlpha32(&bmp, TRect(0, 0, 110, 70), White, 255);
    HDC dc = bmp.Canvas()->Handle();
    PrintLog.clear();
    DrawGraphicChildren(dc, box, false, TPoint(3, 4), true);
    EXPECT_EQ(Pixel(bmp, 13, 14), Red);     // at its position plus the offset
    EXPECT_EQ(Pixel(bmp, 12, 13), White);   // only the children's rectangles are touched
    EXPECT_EQ(Pixel(bmp, 60, 20), White);   // its top-left is the key colour: not copied
    EXPECT_EQ(red->Paints, 1);

    // A child that paints its siblings again from inside is not let in twice.
    red->Reenter = true;
    red->Paints = 0;
    DrawGraphicChildren(dc, box, false, TPoint(), true);
    EXPECT_EQ(red->Paints, 1);

    // An empty clip box paints nothing and tells the parent it is half visible.
    red->Paints = 0;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, 0, 0);
    DrawGraphicChildren(dc, box, false, TPoint(), true);
    RestoreDC(dc, saved);
    EXPECT_EQ(red->Paints, 0);
    EXPECT_EQ(PrintLog, (std::vector<String>{L"box half visible"}));
}

// A tool bar's buttons are left to the bar; its separators and dividers are composed like any
// other graphic child.
TEST(ControlPainting, GraphicChildrenLeaveToolButtonsToTheirBar)
{
    struct TPaintedToolButton : TToolButton {
        TPaintedToolButton(TWinControl* parent, TToolButtonStyle style, int x) : TToolButton(parent)
        {
            SetStyle(style);
            SetBounds(x, 10, 10, 10);
            SetParent(parent);
        }
        int Paints = 0;
        void Dispatch(TMessage& m) override
        {
            if (m.Msg == WM_PAINT) {
                ++Paints;
                FillDC(reinterpret_cast<HDC>(m.WParam), Width(), Height(), Red);
                return;
            }
            TToolButton::Dispatch(m);
        }
    };
    FormPtr form = NewForm();
    auto* bar = new TFlatWindow(form.get(), L"bar", Gray, 0, 0, 120, 40);
    const struct Case {
        TToolButtonStyle style;
        bool composed;
    } cases[] = {{tbsButton, false}, {tbsCheck, false}, {tbsDropDown, false}, {tbsSeparator, true}, {tbsDivider, true}};
    std::vector<TPaintedToolButton*> buttons;
    for (const Case& c : cases) buttons.push_back(new TPaintedToolButton(bar, c.style, 10 + 20 * int(buttons.size())));
    form->Show();
    TBitmap bmp(120, 40, pf32bit);
    FillRectAlpha32(&bmp, TRect(0, 0, 120, 40), White, 255);
    DrawGraphicChildren(bmp.Canvas()->Handle(), bar, false, TPoint(), true);
    for (size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->Paints, cases[i].composed ? 1 : 0) << i;
        EXPECT_EQ(Pixel(bmp, buttons[i]->Left() + 5, 15), cases[i].composed ? Red : White) << i;
    }
}

TEST(ControlPainting, ClearedRectanglesAreTransparent)
{
    TBitmap bmp(10, 10, pf32bit);
    FillRectAlpha32(&bmp, TRect(0, 0, 10, 10), Red, 255);
    ClearRectsInBitmap({TRect(0, 0, 2, 2), TRect(8, 8, 20, 20)}, &bmp);
    EXPECT_EQ(ReadPixel32(&bmp, 1, 1), 0u);
    EXPECT_EQ(ReadPixel32(&bmp, 9, 9), 0u);
    EXPECT_EQ(ReadPixel32(&bmp, 5, 5), 0xFFFF0000u);
}
