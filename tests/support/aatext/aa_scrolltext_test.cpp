// The scrolling text: rendering, the scroll and pause steps, the information panel of the
// main window in a real window (screenshots under the artefacts folder).
#include <gtest/gtest.h>

#include "skin/graphics/pnggraphic.h"
#include "support/aatext/aa_scrolltext.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "vcl/forms.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

// A scrolling text without a window, with small plain lines and nothing around them.
std::unique_ptr<TAAScrollText> Plain(std::initializer_list<const wchar_t*> lines, int height = 20)
{
    auto t = std::make_unique<TAAScrollText>(nullptr);
    t->SetActive(false);
    t->SetBounds(0, 0, 120, height);
    t->Text()->SetFade(false);
    t->Text()->SetTailSpace(0);
    TStringList l;
    for (auto* s : lines) l.Add(s);
    t->Text()->SetLines(&l);
    t->Reset();
    return t;
}

struct Events : TObject {
    int complete = 0, ready = 0, painted = 0;
    void Complete(TObject*) { ++complete; }
    void Ready(TObject*) { ++ready; }
    void Painted(TObject*) { ++painted; }
};

class ThrowingControl : public TAAGraphicControl {
public:
    using TAAGraphicControl::TAAGraphicControl;
    int calls = 0;
    bool fail = true;
    void DoPaint() { Paint(); }

protected:
    void PaintCanvas() override
    {
        ++calls;
        if (fail) {
            fail = false;
            throw Exception(L"paint failed");
        }
    }
};

}  // namespace

TEST(AAScrollText, Defaults)
{
    TAAScrollText t(nullptr);
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.Width(), 240);
    EXPECT_EQ(t.Height(), 280);
    EXPECT_EQ(t.ScrollDelay(), 60u);
    EXPECT_EQ(t.ScrollStep(), 1);
    EXPECT_EQ(t.RepeatDelay(), 2000u);
    EXPECT_EQ(t.RepeatCount(), 0);
    EXPECT_TRUE(t.Text()->Fade());
    EXPECT_EQ(t.Text()->FadeHeight(), 10);
    EXPECT_EQ(t.Text()->TailSpace(), 60);
    EXPECT_EQ(t.Text()->Alignment(), taCenter);
    EXPECT_EQ(t.Text()->BackGroundMode(), bmTiled);
    EXPECT_EQ(t.Text()->RowPitch(), 20);
    EXPECT_EQ(t.Text()->Quality(), aqNormal);
    EXPECT_TRUE(t.UseDefaultLabels());
    EXPECT_EQ(t.Color(), clWhite);
    t.Text()->SetHeadSpace(400);
    EXPECT_EQ(t.Text()->HeadSpace(), 150);
    t.SetBounds(0, 0, 5, -3);
    EXPECT_EQ(t.Width(), 20);
    EXPECT_EQ(t.Height(), 20);
}

TEST(AAScrollText, BitmapHeightFollowsTheLines)
{
    auto one = Plain({L"A"}, 20);
    auto blank = Plain({L"A", L""}, 20);
    auto two = Plain({L"A", L"A"}, 20);
    EXPECT_GT(two->BmpHeight(), one->BmpHeight());
    EXPECT_EQ(blank->BmpHeight(), two->BmpHeight());   // an empty line is as high as a blank
    auto flat = Plain({L"A", L"B", L"C", L"D", L"E"}, 20);
    flat->Text()->SetRowPitch(-100);                   // every line on the same row
    flat->Reset();
    EXPECT_EQ(flat->BmpHeight(), 20);                  // raised to the client height
    auto tall = Plain({L"A"}, 200);
    EXPECT_EQ(tall->BmpHeight(), 200);
}

TEST(AAScrollText, FontTagsLastForTheLineOrUntilTheNextTag)
{
    int heights[2];
    for (TLabelEffect mode : {leOnlyALine, leUntilNextLabel}) {
        auto t = Plain({L"<Big>A", L"A", L"A"});
        TAAFontLabel* big = t->Fonts()->AddItem(L"Big", L"Arial", 9, clBlack, {}, false, 0, 0);
        big->Font()->SetHeight(-40);
        t->Text()->SetLabelEffect(mode);
        t->Reset();
        heights[mode] = t->BmpHeight();
    }
    EXPECT_GT(heights[leUntilNextLabel], heights[leOnlyALine] + 30);
}

TEST(AAScrollText, ChangesRenderOnlyWhenAllowed)
{
    Events ev;
    TForm form(nullptr);
    form.BeginLoading();
    auto* t = new TAAScrollText(&form);
    t->OnTextReady = Bind<&Events::Ready>(&ev);
    t->SetColor(clYellow);                 // loading: nothing is rendered yet
    EXPECT_EQ(ev.ready, 0);
    form.EndLoading();                     // loaded: rendered once
    EXPECT_EQ(ev.ready, 1);
    t->SetColor(clAqua);
    EXPECT_EQ(ev.ready, 2);
    t->Text()->SetRowPitch(50);
    EXPECT_EQ(ev.ready, 3);
    t->BeginUpdate();
    t->Text()->SetRowPitch(60);
    t->EndUpdate();                        // EndUpdate does not render by itself
    EXPECT_EQ(ev.ready, 3);
    t->SetAutoUpdate(false);
    t->SetColor(clRed);
    EXPECT_EQ(ev.ready, 3);
    t->SetAutoUpdate(true);
    t->SetBounds(0, 0, t->Width(), t->Height());   // no real change of size
    t->SetRepeatCount(1);
    EXPECT_EQ(ev.ready, 4);
}

TEST(AAScrollText, StepsPauseAndWrapAround)
{
    auto t = Plain({L"A", L"B", L"C", L"D"});
    const int h = t->BmpHeight();
    ASSERT_GT(h, 40);
    t->SetScrollStep(7);
    t->OnScrollTimer(nullptr);                 // at the top: the pause comes first
    EXPECT_EQ(t->CurrPos(), 0);
    t->OnDelayTimer(nullptr);
    EXPECT_EQ(t->CurrPos(), 7);
    int ticks = 0;
    while (t->CurrPos() != 0 && ticks < 1000) {
        t->OnScrollTimer(nullptr);
        ++ticks;
    }
    EXPECT_EQ(ticks, (h - 7 + 6) / 7);         // the last step before the top may be shorter
    EXPECT_EQ(t->RepeatedCount(), 0);

    // Step 0 never moves and pauses at every tick.
    t->SetScrollStep(0);
    for (int i = 0; i < 3; ++i) {
        t->OnScrollTimer(nullptr);
        t->OnDelayTimer(nullptr);
        EXPECT_EQ(t->CurrPos(), 0);
    }

    // A negative step wraps to the end after the pause and stops at the top again.
    t->SetScrollStep(-1);
    t->OnScrollTimer(nullptr);
    t->OnDelayTimer(nullptr);
    EXPECT_EQ(t->CurrPos(), h - 1);
    t->SetActive(true);
    for (int i = 0; i < h - 1; ++i) t->OnScrollTimer(nullptr);
    EXPECT_EQ(t->CurrPos(), 0);
}

TEST(AAScrollText, RepeatCountEndsAfterThePasses)
{
    Events ev;
    auto t = Plain({L"A", L"B"});
    t->OnComplete = Bind<&Events::Complete>(&ev);
    t->SetRepeatDelay(0);
    t->SetScrollStep(5);
    t->SetRepeatCount(2);   // re-renders and restarts
    t->SetActive(true);
    int ticks = 0, tops = 0;
    while (t->Active() && ticks < 10000) {
        if (t->CurrPos() == 0) ++tops;
        t->OnScrollTimer(nullptr);
        ++ticks;
    }
    EXPECT_EQ(ev.complete, 1);
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->RepeatedCount(), -1);
    EXPECT_EQ(tops, 3);   // two passes, ended when the top came round again
}

TEST(AAScrollText, RenderingEndsForEverySize)
{
    // Word wrap with text much wider than the control, with shadows wider than the control,
    // fade bands of every depth, one-pixel-high controls: all render and paint.
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    form.Show();
    Events ev;
    for (int width : {20, 33, 200})
        for (int fade : {-1, 0, 1, 2, 15, 1000}) {
            TAAScrollText t(&form);
            t.SetParent(&form);
            t.OnPainted = Bind<&Events::Painted>(&ev);
            t.SetActive(false);
            t.SetBounds(0, 0, width, 20);
            t.Text()->SetWordWrap(true);
            t.Text()->SetFadeHeight(fade);
            t.Text()->FontEffect()->Shadow()->SetEnabled(true);
            t.Text()->FontEffect()->Shadow()->SetOffsetX(20);
            TStringList l;
            l.Add(L"Averyveryverylongwordwithoutanybreak and then, some \"quoted words that stay\" together.");
            l.Add(L"");
            l.Add(L"x");
            t.Text()->SetLines(&l);
            int before = ev.painted;
            t.Reset();
            EXPECT_GT(ev.painted, before) << width << "/" << fade;
            EXPECT_GT(t.BmpHeight(), 20);
            t.OnDelayTimer(nullptr);
        }
}

TEST(AAScrollText, PaintAfterAFailedPaintStillRuns)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 100, 100);
    form.Show();
    ThrowingControl c(&form);
    c.SetParent(&form);
    EXPECT_THROW(c.DoPaint(), Exception);
    c.DoPaint();
    EXPECT_EQ(c.calls, 2);
}

TEST(AAScrollText, InformationPanelInAWindow)
{
    RegisterPngGraphic();
    // The theme's background, made here: a blue-grey gradient written as PNG.
    String dir = testing_support::MakeTempDir(L"infotext");
    TBitmap bg(64, 28, pf24bit);
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 64; ++x)
            bg.Canvas()->SetPixels(x, y, static_cast<TColor>(((40 + x) << 16) | ((40 + y) << 8) | 40));
    ForceDirectories(dir + L"themes");
    testing_support::WritePngFile(bg, dir + L"themes\\bg_dark.png");

    TForm form(nullptr);
    form.SetCaption(L"Information panel");
    form.SetBounds(40, 40, 500, 120);
    form.SetClientSize(470, 40);
    auto* info = new TAAScrollText(&form);
    info->SetParent(&form);
    SetupInfoText(info);
    EXPECT_FALSE(info->Active());
    EXPECT_NE(LoadInfoTextBackground(info, dir + L"themes\\missing.png"), L"");
    EXPECT_EQ(LoadInfoTextBackground(info, dir + L"themes\\bg_dark.png"), L"");
    form.Show();
    info->SetActive(true);
    PumpFor(400);

    TColor dark = testing_support::PixelAt(form.Handle(), 2, 2);
    auto shot = testing_support::CaptureWindow(form.Handle(), true);
    testing_support::SaveArtifact(*shot, L"aatext_infotext_top");
    // The title is drawn (dark ink) over the picture, which shows its own colours.
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < info->Width(); ++x)
            if ((testing_support::PixelAt(*shot, x, y) & 0xFFFFFF) < 0x202020) ++ink;
    EXPECT_GT(ink, 30);
    EXPECT_NE(dark, ColorToRGB(cl3DDkShadow));

    // Scrolling on the real timer: fast steps, and the running pause ends with the delay
    // set to 0.
    info->SetRepeatDelay(0);
    info->SetScrollDelay(5);
    ASSERT_TRUE(PumpUntil([&] { return info->CurrPos() >= 66; }));
    info->SetActive(false);
    PumpFor(50);
    testing_support::SaveScreenshot(form.Handle(), L"aatext_infotext_maker", true);
}
