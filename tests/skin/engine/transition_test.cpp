// Page changes of the skinned page control through the transition cover, in real windows: an
// instant swap under the cover with Time 0, blended frames paced on the engine's tick count
// (stepped by the test) that have all played when the change returns, and a control that is
// hidden or minimised meanwhile (the cover, the pictures and the control's updating state must
// not stay behind).
#include <gtest/gtest.h>

#include "skin/controls/sgroupbox.h"
#include "skin/controls/slabel.h"
#include "skin/controls/spagecontrol.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/transition_schedule.h"
#include "skin/engine/transition.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;
using testing_support::SaveScreenshot;

namespace {

uint32_t Own(const wchar_t* section, int state) { return fs::Opaque(fs::StateColor(fs::SectionNumber(section), state)); }

// Every colour channel within tolerance.
bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

// old x w + new x (255 - w), per channel.
uint32_t Blend(uint32_t oldC, uint32_t newC, int w)
{
    uint32_t out = 0xFF000000u;
    for (int s = 0; s < 24; s += 8)
        out |= uint32_t((int((oldC >> s) & 0xFF) * w + int((newC >> s) & 0xFF) * (255 - w)) / 255) << s;
    return out;
}

struct TTransitionScene : TObject {
    TManagerPtr Manager = ManagerWithSkin(L"Fixture");
    FormPtr Form{new TForm(nullptr)};
    TsPageControl* Pages = nullptr;
    // Runs inside the page change, after the new page became active.
    std::function<void()> OnChange;
    bool CoverUpInChange = false;
    // A captioned label in a group box on the second page.
    TsGroupBox* Box = nullptr;
    TsLabel* Label = nullptr;

    explicit TTransitionScene(int time)
    {
        Manager->AnimEffects()->PageChange.Time = static_cast<uint16_t>(time);
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(100, 100, 320, 200);
        Pages = new TsPageControl(Form.get());
        Pages->SetBounds(0, 0, 320, 200);
        Pages->SetParent(Form.get());
        for (int i = 0; i < 2; ++i) {
            auto* sheet = new TsTabSheet(Form.get());
            sheet->SetCaption(L"Page " + IntToStr(i + 1));
            sheet->SetPageControl(Pages);
        }
        Box = new TsGroupBox(Form.get());
        Box->SetBounds(20, 40, 200, 100);
        Box->SetParent(Pages->Pages(1));
        Label = new TsLabel(Form.get());
        Label->SetCaption(L"MMMMMMMM");
        Label->SetBounds(16, 30, 120, 20);
        Label->SetParent(Box);
        Pages->SetActivePageIndex(0);
        Pages->OnChange = Bind<&TTransitionScene::Changed>(this);
        Form->Show();
        PumpFor(80);
    }
    ~TTransitionScene() override
    {
        SetTransitionFrameObserver(nullptr);
        ReleaseTransition();
    }

    void Changed(TObject*)
    {
        CoverUpInChange = TransitionCover() && TransitionCover()->HandleAllocated() &&
                          IsWindowVisible(TransitionCover()->Handle());
        if (OnChange) OnChange();
    }
    TRect Tab(int t) const
    {
        const TacPageControlState s = Pages->TabState();
        return TacPageTabs(s).SkinTabRect(t, t == s.ActivePage);
    }
    // Inside the first tab's border, left of its caption: active or not shows there.
    TPoint Probe() const
    {
        const TRect r = Tab(0);
        return TPoint(r.left + fs::Border + 1, (r.top + r.bottom) / 2);
    }
    void ClickTab(int t)
    {
        const TRect r = Tab(t);
        Pages->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        Pages->Perform(WM_LBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    void ExpectNothingLeft() const
    {
        EXPECT_EQ(TransitionCover(), nullptr);
        EXPECT_EQ(TransitionOldPicture(), nullptr);
        EXPECT_FALSE(AnimationRunning);
        EXPECT_FALSE(Pages->SkinData()->FUpdating);
    }
    uint32_t CacheAtProbe() const
    {
        const TPoint p = Probe();
        return ImageFromBitmap32(Pages->SkinData()->FCacheBmp).At(p.x, p.y);
    }
};

TEST(PageTransition, TimeZeroSwapsThePageUnderTheCoverAtOnce)
{
    TTransitionScene s(0);
    ASSERT_TRUE(s.Pages->SkinData()->Skinned(true));
    ASSERT_EQ(s.CacheAtProbe(), Own(L"TABTOPFIRST", 2));
    s.ClickTab(1);
    EXPECT_TRUE(s.CoverUpInChange);   // the change happened under the cover
    EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
    s.ExpectNothingLeft();
    PumpFor(60);
    // The control paints again: the first tab is no longer the active one.
    EXPECT_EQ(s.CacheAtProbe(), Own(L"TABTOPFIRST", 0));
    SaveScreenshot(s.Form->Handle(), L"page_transition_after_swap", true);
}

TEST(PageTransition, FramesAreBlendsThatHavePlayedWhenTheChangeReturns)
{
    TSteppedTicks ticks;
    TTransitionScene s(240);
    const uint32_t oldC = Own(L"TABTOPFIRST", 2), newC = Own(L"TABTOPFIRST", 0);
    const TRect before = s.Tab(0);
    struct TFrame {
        int Weight;
        uint32_t Shown, Old, New;
        bool CoverShowsIt;
    };
    std::vector<TFrame> frames;
    TPoint p;
    uint32_t lastTick = 0;
    std::vector<uint32_t> gaps;
    SetTransitionFrameObserver([&](int weight, TBitmap* frame, TBitmap* oldPicture, TBitmap* newPicture) {
        frames.push_back({weight, ImageFromBitmap32(frame).At(p.x, p.y), ImageFromBitmap32(oldPicture).At(p.x, p.y),
                          ImageFromBitmap32(newPicture).At(p.x, p.y), TransitionCover() && TransitionCover()->Shown == frame});
        if (lastTick) gaps.push_back(ticks.Now - lastTick);
        lastTick = ticks.Now;
    });
    s.OnChange = [&] {
        // Inside the first tab's border in both layouts (the active tab is the larger one).
        const TRect after = s.Tab(0);
        p = TPoint(std::max(before.left, after.left) + fs::Border + 1,
                   (std::max(before.top, after.top) + std::min(before.bottom, after.bottom)) / 2);
    };
    s.ClickTab(1);
    // Every frame has played by now, and nothing of the transition is left.
    s.ExpectNothingLeft();
    const std::vector<int> weights = TransitionWeights(240);
    ASSERT_EQ(weights.size(), 10u);
    ASSERT_EQ(frames.size(), weights.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i);
        EXPECT_EQ(frames[i].Weight, weights[i]);
        EXPECT_TRUE(frames[i].CoverShowsIt);
        // The old picture is what the screen showed (the first tab active), the new one the change.
        EXPECT_TRUE(Near(frames[i].Old, oldC, 0)) << std::hex << frames[i].Old;
        EXPECT_TRUE(Near(frames[i].New, newC, 0)) << std::hex << frames[i].New;
        EXPECT_TRUE(Near(frames[i].Shown, Blend(oldC, newC, weights[i]), 2)) << std::hex << frames[i].Shown;
    }
    // Paced 24 ms apart on the engine's tick count.
    for (const uint32_t gap : gaps) EXPECT_GE(gap, uint32_t(TransitionFrameInterval));
    PumpFor(60);
    EXPECT_EQ(s.CacheAtProbe(), newC);
}

// The page that comes up is painted whole once the change is over: the group box on it shows the
// label it holds (the box must not stay in the update the page control was in while it changed).
TEST(PageTransition, ThePageThatComesUpShowsTheLabelsInItsGroupBoxes)
{
    for (const int time : {0, 240}) {
        SCOPED_TRACE(testing::Message() << "time " << time);
        TSteppedTicks ticks;
        TTransitionScene s(time);
        s.ClickTab(1);
        PumpFor(80);
        EXPECT_FALSE(s.Box->SkinData()->FUpdating);
        const TRect r(s.Label->Left(), s.Label->Top(), s.Label->Left() + s.Label->Width(), s.Label->Top() + s.Label->Height());
        const uint32_t paper = testing_support::PixelAt(s.Box->Handle(), r.right - 1, r.bottom - 1);
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.left + 60; ++x) ink += !Near(testing_support::PixelAt(s.Box->Handle(), x, y), paper, 40);
        EXPECT_GT(ink, 20);
    }
}

TEST(PageTransition, AControlHiddenOrMinimisedDuringTheChangeLeavesNoCoverAndPaintsAgain)
{
    enum Way { Hide, Minimise };
    for (const Way way : {Hide, Minimise}) {
        for (const int time : {0, 240}) {
            SCOPED_TRACE(testing::Message() << (way == Hide ? "hidden" : "minimised") << ", time " << time);
            TSteppedTicks ticks;
            TTransitionScene s(time);
            s.OnChange = [&s, way] {
                if (way == Hide)
                    s.Pages->SetVisible(false);
                else
                    ShowWindow(s.Form->Handle(), SW_MINIMIZE);
            };
            s.ClickTab(1);
            EXPECT_TRUE(s.CoverUpInChange);
            EXPECT_EQ(s.Pages->ActivePageIndex(), 1);
            s.ExpectNothingLeft();
            // Shown again, the control paints its new state.
            if (way == Hide)
                s.Pages->SetVisible(true);
            else
                ShowWindow(s.Form->Handle(), SW_RESTORE);
            PumpFor(80);
            EXPECT_EQ(s.CacheAtProbe(), Own(L"TABTOPFIRST", 0));
            // A second change runs as usual.
            s.OnChange = nullptr;
            s.ClickTab(0);
            s.ExpectNothingLeft();
            EXPECT_EQ(s.Pages->ActivePageIndex(), 0);
        }
    }
}

TEST(PageTransition, PicturesOfDifferentSizesAreNeverMixed)
{
    TSteppedTicks ticks;
    TTransitionScene s(240);
    // A prepare left without its animate, then the control grows and is prepared again:
    // the old picture takes the new size.
    PrepareTransition(s.Pages, 0);
    ASSERT_NE(TransitionOldPicture(), nullptr);
    EXPECT_EQ(TransitionOldPicture()->Width(), 320);
    s.Pages->SetBounds(0, 0, 300, 180);
    PumpFor(30);
    PrepareTransition(s.Pages, 0);
    EXPECT_EQ(TransitionOldPicture()->Width(), 300);
    EXPECT_EQ(TransitionOldPicture()->Height(), 180);
    // Grown between prepare and animate: every frame reads pictures of one size.
    s.Pages->SetBounds(0, 0, 320, 200);
    PumpFor(30);
    int played = 0;
    SetTransitionFrameObserver([&](int, TBitmap* frame, TBitmap* oldPicture, TBitmap* newPicture) {
        ++played;
        EXPECT_EQ(oldPicture->Width(), newPicture->Width());
        EXPECT_EQ(oldPicture->Height(), newPicture->Height());
        EXPECT_EQ(newPicture->Width(), 320);
        EXPECT_EQ(frame->Width(), 320);
    });
    AnimateTransition(s.Pages, 240, 255, 0);
    EXPECT_EQ(played, 10);
    EXPECT_EQ(TransitionCover(), nullptr);
    EXPECT_FALSE(AnimationRunning);
}

}  // namespace
