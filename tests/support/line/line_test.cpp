// The line control in a real window: size rules, painting (pixels) and which clicks it takes.
#include <gtest/gtest.h>

#include <memory>

#include "support/line/line.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "vcl/forms.h"

using testing_support::CaptureWindow;
using testing_support::ColorDistance;
using testing_support::PixelAt;
using testing_support::PumpFor;
using testing_support::SaveArtifact;

namespace {

struct FormDeleter {
    void operator()(TCustomForm* f) const { TObject::Free(f); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

struct Clicks : TObject {
    TObject* last = nullptr;
    TPoint at;
    void Down(TObject* sender, TMouseButton, TShiftState, int x, int y)
    {
        last = sender;
        at = {x, y};
    }
};

FormPtr WhiteForm()
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(60, 60, 420, 380);
    f->SetColor(clWhite);
    return f;
}

TLine* AddLine(TForm* form, int left, int top, int width, int height)
{
    auto* line = new TLine(form);
    line->SetParent(form);
    line->SetBounds(left, top, width, height);
    line->SetLineColor(clBlack);
    line->SetLineWidth(2);
    return line;
}

// A click as the parent window receives it from the system, at a client point of the parent.
void ClickParent(TForm* form, int x, int y)
{
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

}  // namespace

TEST(Line, SizeRulesAndEndPoints)
{
    FormPtr form = WhiteForm();
    TLine* line = AddLine(form.get(), 10, 10, 20, 300);
    EXPECT_EQ(line->StartPoint(), TPoint(10, 10));
    EXPECT_EQ(line->EndPoint(), TPoint(10, 290));

    // Below twice the border the control grows back.
    line->SetBounds(10, 10, 5, 5);
    EXPECT_EQ(line->Width(), 20);
    EXPECT_EQ(line->Height(), 20);

    // The arrow length sets the border: half of it.
    line->SetBounds(10, 10, 20, 300);
    line->SetArrowLength(16);
    EXPECT_EQ(line->BorderWidth(), 8);
    EXPECT_EQ(line->StartPoint(), TPoint(8, 8));
    EXPECT_EQ(line->EndPoint(), TPoint(12, 292));
    line->SetLineSlope(lsUp);
    EXPECT_EQ(line->StartPoint(), TPoint(8, 292));
    EXPECT_EQ(line->EndPoint(), TPoint(12, 8));

    // Even widths become odd only while arrows show.
    EXPECT_EQ(line->LineWidth(), 2);
    line->SetShowArrows(saBoth);
    line->SetLineWidth(1);
    line->SetLineWidth(2);
    EXPECT_EQ(line->LineWidth(), 3);
    line->SetLineWidth(2);
    EXPECT_EQ(line->LineWidth(), 1);
}

TEST(Line, ScaledToAnotherPpiItStaysStraight)
{
    FormPtr form = WhiteForm();
    TLine* vertical = AddLine(form.get(), 10, 10, 20, 300);
    vertical->SetLineWidth(2);
    TLine* horizontal = AddLine(form.get(), 40, 10, 300, 20);
    vertical->ScaleForPPI(144);
    horizontal->ScaleForPPI(144);
    EXPECT_EQ(vertical->Width(), 30);
    EXPECT_EQ(vertical->BorderWidth(), 15);
    EXPECT_EQ(vertical->StartPoint(), TPoint(15, 15));
    EXPECT_EQ(vertical->EndPoint(), TPoint(15, 435));
    EXPECT_EQ(vertical->LineWidth(), 3);
    EXPECT_EQ(horizontal->StartPoint(), TPoint(15, 15));
    EXPECT_EQ(horizontal->EndPoint(), TPoint(435, 15));
}

TEST(Line, PaintsTheLineArrowsAndCaption)
{
    FormPtr form = WhiteForm();
    TLine* plain = AddLine(form.get(), 10, 10, 20, 300);
    TLine* arrows = AddLine(form.get(), 60, 10, 20, 300);
    arrows->SetLineWidth(1);
    arrows->SetShowArrows(saBoth);
    TLine* across = AddLine(form.get(), 100, 150, 300, 20);
    across->SetLineColor(clRed);
    across->SetCaption(L"Gate");
    across->SetColor(clYellow);
    form->Show();
    PumpFor(200);

    auto shot = CaptureWindow(form->Handle());
    ASSERT_TRUE(shot && shot->Width() > 0);
    SaveArtifact(*shot, L"line_control");

    struct Probe {
        int x, y;
        TColor expected;
    } probes[] = {
        {20, 150, clBlack},   // on the plain vertical line (x 10 of the control)
        {24, 150, clWhite},   // beside it
        {20, 21, clBlack},    // lines run from the inset start...
        {20, 17, clWhite},    // ...not above it
        {68, 27, clBlack},    // inside the start arrow head, off the line itself
        {28, 27, clWhite},    // the same spot of the plain line has none
        {68, 293, clBlack},   // inside the end arrow head
        {120, 160, clRed},    // the horizontal line
        {120, 166, clWhite},
    };
    for (const Probe& p : probes)
        EXPECT_LE(ColorDistance(PixelAt(*shot, p.x, p.y), p.expected), 8) << "at (" << p.x << ", " << p.y << ")";
    // The caption sits in the middle, on the control's colour.
    int yellow = 0;
    for (int y = 150; y < 170; ++y)
        for (int x = 220; x < 280; ++x) yellow += ColorDistance(PixelAt(*shot, x, y), clYellow) <= 8;
    EXPECT_GT(yellow, 20);
    EXPECT_LE(ColorDistance(PixelAt(*shot, 180, 160), clRed), 8);
    (void)plain;
}

TEST(Line, TakesClicksOnlyNearTheLine)
{
    FormPtr form = WhiteForm();
    Clicks clicks;
    form->OnMouseDown = Bind<&Clicks::Down>(&clicks);
    // A horizontal line under a vertical one, crossing it.
    TLine* across = AddLine(form.get(), 20, 100, 300, 20);
    TLine* down = AddLine(form.get(), 100, 20, 20, 300);
    across->OnMouseDown = Bind<&Clicks::Down>(&clicks);
    down->OnMouseDown = Bind<&Clicks::Down>(&clicks);
    form->Show();
    PumpFor(100);

    struct Row {
        int x, y;
        TObject* target;
        TPoint local;
    } rows[] = {
        {110, 60, down, {10, 40}},       // on the vertical line
        {113, 60, down, {13, 40}},       // edge of its band
        {114, 60, form.get(), {114, 60}},   // inside its rectangle, off the band: the form
        {60, 110, across, {40, 10}},     // on the horizontal line
        {60, 104, form.get(), {60, 104}},
        {105, 110, across, {85, 10}},    // the vertical one is on top but its band misses here
        {110, 110, down, {10, 90}},      // the crossing: the top control
    };
    for (const Row& r : rows) {
        clicks.last = nullptr;
        ClickParent(form.get(), r.x, r.y);
        EXPECT_EQ(clicks.last, r.target) << "at (" << r.x << ", " << r.y << ")";
        EXPECT_EQ(clicks.at, r.local) << "at (" << r.x << ", " << r.y << ")";
    }
}
