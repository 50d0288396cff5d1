// Show and hide animations of a form in real windows, with a provider made here (a form and a
// flat picture of it): every frame pushed to the layered cover is recorded (there is no
// compositor under the test display), the show loop runs on a stepped tick count and the hide
// timer on stepped animation ticks.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/form_anim_schedule.h"
#include "skin/engine/core/general.h"
#include "skin/engine/form_animation.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/pixel_copy.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace {

constexpr uint32_t Picture = 0xFF3060A0u;   // the window's picture, opaque
constexpr int W = 120, H = 80;

// Premultiplied by an alpha of 255 as the cover gets it.
uint32_t Pushed(uint32_t p)
{
    uint32_t out = p & 0xFF000000u;
    for (int s = 0; s < 24; s += 8) out |= ((((p >> s) & 0xFF) * (p >> 24)) >> 8) << s;
    return out;
}

// A form's provider: the form itself, its picture one flat colour, and what it was told.
class TFakeProvider : public TObject, public TacAnimatedWindow {
public:
    FormPtr Form{new TForm(nullptr)};
    bool Blend = false;
    uint8_t BlendValue = 255;
    std::vector<int> Events;
    std::vector<bool> InAnimation;

    TFakeProvider()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(140, 120, W, H);
        // The form answers scmGetProvider with this object, as a skinned form would.
        SetWindowSubclass(Form->Handle(), &Answer, 1, reinterpret_cast<DWORD_PTR>(this));
        SetAnimatedWindowResolver([](TObject* p) { return dynamic_cast<TacAnimatedWindow*>(p); });
    }
    ~TFakeProvider() override
    {
        SetAnimatedWindowResolver(nullptr);
        if (Form->HandleAllocated()) RemoveWindowSubclass(Form->ExistingHandle(), &Answer, 1);
    }

    HWND Window() override { return Form->Handle(); }
    bool PaintImage(TBitmap* image) override
    {
        FillBlock32(BitmapView(image), BitmapView(image).Bounds(), Picture);
        return true;
    }
    bool AlphaBlend() override { return Blend; }
    uint8_t AlphaBlendValue() override { return BlendValue; }
    void SetInAnimation(bool value) override { InAnimation.push_back(value); }
    void AfterAnimation(int event) override { Events.push_back(event); }

private:
    static LRESULT CALLBACK Answer(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
    {
        if (msg == MSG_SKINCOMMAND && HIWORD(wParam) == scmGetProvider)
            return static_cast<LRESULT>(reinterpret_cast<intptr_t>(static_cast<TObject*>(reinterpret_cast<TFakeProvider*>(self))));
        return DefSubclassProc(wnd, msg, wParam, lParam);
    }
};

std::vector<int> Alphas(const std::vector<TacLayeredUpdate>& updates)
{
    std::vector<int> a;
    for (const auto& u : updates) a.push_back(u.Alpha);
    return a;
}

uint8_t LayeredAlpha(HWND wnd)
{
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (!(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
    GetLayeredWindowAttributes(wnd, &key, &alpha, &flags);
    return alpha;
}

TEST(FormShowAnimation, FramesFadeInThenTheFormTakesOver)
{
    struct TCase {
        const char* What;
        int Time;
        bool Blend;
        uint8_t Value;
        std::vector<int> Want;
        bool Dialog = false;
    } cases[] = {
        {"Time 0: the whole picture once", 0, false, 255, {255, 255}},
        {"Time 200 to 255", 200, false, 255, {0, 13, 26, 38, 51, 64, 77, 90, 102, 115, 128, 141, 154, 167, 179, 192, 205, 218, 255}},
        // Below 50 the step would be negative and the opacity byte would wrap round.
        {"Time 36 to an AlphaBlendValue of 30", 36, true, 30, {0, 0, 0, 0, 0, 30}},
        {"a dialog, Time 36: all the way in N + 1 frames", 36, false, 255, {0, 64, 128, 191, 255, 255}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TFakeProvider provider;
        provider.Blend = c.Blend;
        provider.BlendValue = c.Value;
        TLayeredRecorder recorder;
        TSteppedTicks ticks;
        if (c.Dialog)
            AnimateDialogShow(&provider, c.Time, 255, atFading);
        else
            AnimateFormShow(&provider, c.Time, c.Blend ? c.Value : 255, atFading);

        EXPECT_EQ(Alphas(recorder.Updates), c.Want);
        ASSERT_FALSE(recorder.Updates.empty());
        HWND cover = recorder.Updates[0].Wnd;
        for (const auto& u : recorder.Updates) {
            EXPECT_EQ(u.Wnd, cover);
            EXPECT_FALSE(u.HasDstPoint) << "the cover keeps its place";
            ASSERT_EQ(u.Pixels.Width(), W);
            ASSERT_EQ(u.Pixels.Height(), H);
            EXPECT_EQ(u.Pixels.At(W / 2, H / 2), Pushed(Picture));
            EXPECT_EQ(u.Pixels.At(W - 1, H - 1), Pushed(Picture));
        }
        EXPECT_FALSE(IsWindow(cover)) << "the cover goes when the form has taken over";
        HWND wnd = provider.Form->Handle();
        EXPECT_TRUE(IsWindowVisible(wnd));
        EXPECT_EQ(LayeredAlpha(wnd), c.Blend ? c.Value : 255);
        if (!c.Blend) {
            EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
        }
        EXPECT_EQ(provider.Events, c.Dialog ? std::vector<int>{} : std::vector<int>{aeShowing});
        EXPECT_EQ(provider.InAnimation, std::vector<bool>{false});
        EXPECT_FALSE(AnimationRunning);
    }
}

TEST(FormShowAnimation, DropDownFramesShowTheTopOfThePicture)
{
    TFakeProvider provider;
    TLayeredRecorder recorder;
    TSteppedTicks ticks;
    AnimateFormShow(&provider, 72, 255, atDropDown);
    const std::vector<TacAnimFrame> frames = ShowFrames(atDropDown, 72, 255, W, H, false);
    ASSERT_EQ(recorder.Updates.size(), frames.size() + 2);
    for (size_t k = 0; k < frames.size(); ++k) {
        SCOPED_TRACE(k);
        const TacLayeredUpdate& u = recorder.Updates[k + 1];
        const int bottom = frames[k].Rect.bottom;
        EXPECT_EQ(u.Alpha, 255);
        if (bottom > 0) {
            EXPECT_EQ(u.Pixels.At(W / 2, bottom - 1), Pushed(Picture));
        }
        if (bottom < H) {
            EXPECT_EQ(u.Pixels.At(W / 2, bottom), 0u) << "below the dropped part";
        }
    }
    EXPECT_EQ(recorder.Updates.back().Pixels.At(W / 2, H - 1), Pushed(Picture));
}

TEST(FormShowAnimation, NothingForAMinimisedForm)
{
    TFakeProvider provider;
    provider.Form->Show();
    ShowWindow(provider.Form->Handle(), SW_MINIMIZE);
    TLayeredRecorder recorder;
    TSteppedTicks ticks;
    AnimateFormShow(&provider, 120, 255, atFading);
    EXPECT_TRUE(recorder.Updates.empty());
    EXPECT_TRUE(provider.Events.empty());
}

struct THideScene {
    TFakeProvider Provider;
    TLayeredRecorder Recorder;
    TManualTicks Ticks;
    TSteppedTicks Clock;
    ~THideScene()
    {
        if (TacHideTimer* t = SharedHideTimer()) {
            t->SetEnabled(false);
            t->FreeCover();
        }
    }
};

TEST(FormHideAnimation, FadesOnTheTimerThenTheCoverGoes)
{
    THideScene s;
    s.Provider.Form->Show();
    AnimateFormHide(&s.Provider, 120, atFading);
    ASSERT_EQ(s.Recorder.Updates.size(), 2u) << "the picture at the start and the first frame at once";
    HWND cover = s.Recorder.Updates[0].Wnd;
    EXPECT_TRUE(IsWindowVisible(cover));
    for (int tick = 0; tick < 10; ++tick) s.Ticks.Step(FormAnimFrameInterval);
    EXPECT_EQ(Alphas(s.Recorder.Updates), (std::vector<int>{255, 230, 204, 178, 153, 128, 102, 76, 51, 26, 0, 0}));
    EXPECT_TRUE(IsWindow(cover)) << "freed on the tick after the last frame";
    EXPECT_TRUE(s.Provider.Events.empty());
    s.Ticks.Step(FormAnimFrameInterval);
    EXPECT_FALSE(IsWindow(cover));
    EXPECT_EQ(s.Recorder.Updates.size(), 12u);
    EXPECT_EQ(s.Provider.Events, std::vector<int>{aeHiding}) << "asked of the form through scmGetProvider";
    for (const auto& u : s.Recorder.Updates) EXPECT_EQ(u.Pixels.At(5, 5), Pushed(Picture));
    s.Ticks.Step(10 * FormAnimFrameInterval);
    EXPECT_EQ(s.Recorder.Updates.size(), 12u);
    EXPECT_EQ(s.Provider.Events.size(), 1u);
}

TEST(FormHideAnimation, StartOpacityAndShapesByMode)
{
    struct TCase {
        const char* What;
        TacAnimType Mode;
        bool Blend;
        uint8_t Value;
    } cases[] = {{"aero from 255", atAero, false, 255}, {"folding from AlphaBlendValue 100", atDropDown, true, 100}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        THideScene s;
        s.Provider.Blend = c.Blend;
        s.Provider.BlendValue = c.Value;
        s.Provider.Form->Show();
        AnimateFormHide(&s.Provider, 96, c.Mode);
        for (int tick = 0; tick < 12; ++tick) s.Ticks.Step(FormAnimFrameInterval);
        const std::vector<TacAnimFrame> frames = HideFrames(c.Mode, 96, c.Value, W, H);
        ASSERT_EQ(s.Recorder.Updates.size(), frames.size() + 1);
        EXPECT_EQ(s.Recorder.Updates[0].Alpha, c.Value);
        for (size_t k = 0; k < frames.size(); ++k) {
            SCOPED_TRACE(k);
            const TacLayeredUpdate& u = s.Recorder.Updates[k + 1];
            EXPECT_EQ(u.Alpha, frames[k].Opacity);
            if (frames[k].Placement != apStretched) continue;
            const TRect& r = frames[k].Rect;
            EXPECT_EQ(u.Pixels.At(0, H - 1) >> 24, r.bottom >= H && r.left == 0 ? 255u : 0u);
            if (r.bottom < H) {
                EXPECT_EQ(u.Pixels.At(W / 2, r.bottom + 1), 0u) << "above the fold only";
            }
            if (c.Mode == atAero && r.left > 0) {
                EXPECT_EQ(u.Pixels.At(r.left - 1, H / 2), 0u) << "outside the shrunk picture";
            }
            EXPECT_NE(u.Pixels.At(W / 2, std::max(r.top, r.bottom / 2 - 1)), 0u);
        }
        EXPECT_EQ(LayeredAlpha(s.Provider.Form->Handle()), c.Blend ? c.Value : 255) << "the form's own opacity back";
    }
}

TEST(FormHideAnimation, TooShortATimeShowsNothingAndTellsNobody)
{
    THideScene s;
    s.Provider.Form->Show();
    AnimateFormHide(&s.Provider, 10, atFading);
    s.Ticks.Step(100);
    EXPECT_TRUE(s.Recorder.Updates.empty());
    EXPECT_TRUE(s.Provider.Events.empty());
    EXPECT_TRUE(!SharedHideTimer() || !SharedHideTimer()->Form);
}

TEST(FormHideAnimation, ASecondHideTakesTheTimerOver)
{
    THideScene s;
    TFakeProvider second;
    s.Provider.Form->Show();
    second.Form->Show();
    AnimateFormHide(&s.Provider, 120, atFading);
    s.Ticks.Step(3 * FormAnimFrameInterval);
    HWND first = s.Recorder.Updates[0].Wnd;
    const size_t before = s.Recorder.Updates.size();
    AnimateFormHide(&second, 60, atFading);
    EXPECT_FALSE(IsWindow(first)) << "the first cover goes at once";
    ASSERT_GT(s.Recorder.Updates.size(), before);
    HWND next = s.Recorder.Updates[before].Wnd;
    EXPECT_NE(next, first);
    for (int tick = 0; tick < 8; ++tick) s.Ticks.Step(FormAnimFrameInterval);
    for (size_t k = before; k < s.Recorder.Updates.size(); ++k) EXPECT_EQ(s.Recorder.Updates[k].Wnd, next);
    EXPECT_EQ(s.Recorder.Updates.size(), before + 1 + 6);
    EXPECT_FALSE(IsWindow(next));
    EXPECT_TRUE(s.Provider.Events.empty()) << "the first form's hide never ended";
    EXPECT_EQ(second.Events, std::vector<int>{aeHiding});
}

}  // namespace
