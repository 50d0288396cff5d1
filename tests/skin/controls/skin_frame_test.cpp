// The skinned control frame in real windows: a test control on a test container, unskinned as
// their bases, painted from their caches over the container's image with the fixture skin and
// our stored skins, the state cross-fade frame by frame on a stepped clock, the hover glow
// through the layered-window recorder, and a PPI change sent by hand.
#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/skin_info.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/fixture_glow.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

// A form with the test container filling it and the test button on the container.
struct TScene {
    FormPtr Form{new TForm(nullptr)};
    TWinControl* Container = nullptr;
    TWinControl* Button = nullptr;

    template <class TContainer, class TButtonClass>
    static TScene Make(const TRect& buttonBounds = TRect(20, 30, 120, 60), int x = 120)
    {
        TScene s;
        s.Form->SetBorderStyle(bsNone);
        s.Form->SetBounds(x, 120, 200, 120);
        s.Container = new TContainer(s.Form.get());
        s.Container->SetBounds(0, 0, 200, 120);
        s.Container->SetParent(s.Form.get());
        s.Button = new TButtonClass(s.Form.get());
        s.Button->SetBoundsRect(buttonBounds);
        s.Button->SetParent(s.Container);
        s.Form->Show();
        PumpFor(60);
        return s;
    }
};

TScene SkinnedScene(const TRect& buttonBounds = TRect(20, 30, 120, 60))
{
    return TScene::Make<TTestSkinPanel, TTestSkinButton>(buttonBounds);
}

TsCommonData* LinkOf(TWinControl* c) { return static_cast<TTestSkinButton*>(c)->SkinData(); }
TsCommonData* PanelLink(TWinControl* c) { return static_cast<TTestSkinPanel*>(c)->SkinData(); }

TPixelImage Pixels(TBitmap* b) { return ImageFromBitmap32(b); }

// Every pixel of a frame is the two images mixed at weight w for the start image.
bool IsMixOf(TBitmap* out, TBitmap* from, TBitmap* to, int w)
{
    const TPixelImage o = Pixels(out), f = Pixels(from), t = Pixels(to);
    if (o.Width() != f.Width() || o.Height() != f.Height()) return false;
    for (int y = 0; y < o.Height(); ++y)
        for (int x = 0; x < o.Width(); ++x)
            for (int sh = 0; sh < 32; sh += 8) {
                const int fb = int((f.At(x, y) >> sh) & 0xFF), tb = int((t.At(x, y) >> sh) & 0xFF);
                const int want = tb + (((fb - tb) * w) >> 8);
                if (int((o.At(x, y) >> sh) & 0xFF) != (want & 0xFF)) return false;
            }
    return true;
}

}  // namespace

// Without a manager, or with an inactive one, the control and container are their bases.
TEST(SkinFrame, UnskinnedItIsItsBaseClass)
{
    for (int mode = 0; mode < 2; ++mode) {
        SCOPED_TRACE(mode == 0 ? "no manager" : "inactive manager");
        TManagerPtr m = UnskinnedManager(mode == 1);
        TScene skinned = TScene::Make<TTestSkinPanel, TTestSkinButton>(TRect(20, 30, 120, 60), 60);
        TScene plain = TScene::Make<TPanel, TCustomControl>(TRect(20, 30, 120, 60), 320);
        EXPECT_FALSE(LinkOf(skinned.Button)->Skinned());
        EXPECT_EQ(SendSkinCommand(skinned.Button->Handle(), scmIsSkinned, 0), 1);
        skinned.Button->Perform(CM_MOUSEENTER, 0, 0);
        plain.Button->Perform(CM_MOUSEENTER, 0, 0);
        PumpFor(30);
        auto a = testing_support::CaptureWindow(skinned.Form->Handle());
        auto b = testing_support::CaptureWindow(plain.Form->Handle());
        ASSERT_EQ(a->Width(), b->Width());
        const TPixelImage pa = Pixels(a.get()), pb = Pixels(b.get());
        int differ = 0;
        for (int y = 0; y < pa.Height(); ++y)
            for (int x = 0; x < pa.Width(); ++x) differ += pa.At(x, y) != pb.At(x, y);
        EXPECT_EQ(differ, 0);
    }
}

// 40 % transparency over the container: every channel of the section's colour mixed with the
// container's pixel under it at weight 102 for the container; the screen shows the cache.
TEST(SkinFrame, PaintsFromItsCacheOverTheContainersImage)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(m->IsActive());
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    link->SetSkinSection(fs::TableSection(40, 0));
    s.Button->Invalidate();
    PumpFor(60);
    ASSERT_TRUE(link->Skinned(true));
    ASSERT_FALSE(link->BGChanged);
    TBitmap* parent = PanelLink(s.Container)->FCacheBmp;
    int section = 0;   // the fixture's own numbering of its sections
    while (fs::Sections()[size_t(section)].Name != fs::TableSection(40, 0)) ++section;
    const uint32_t own = fs::Opaque(fs::StateColor(section, 0));
    const int cx = 50, cy = 15;   // inside the border's centre
    const uint32_t under = Pixels(parent).At(s.Button->Left() + cx, s.Button->Top() + cy);
    uint32_t want = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const int o = int((own >> sh) & 0xFF), p = int((under >> sh) & 0xFF);
        want |= uint32_t((o + (((p - o) * 102) >> 8)) & 0xFF) << sh;
    }
    EXPECT_EQ(Pixels(link->FCacheBmp).At(cx, cy), want);
    // The screen shows the cache: the container's image around, the button's over it.
    const TPixelImage cache = Pixels(link->FCacheBmp);
    for (TPoint p : {TPoint(cx, cy), TPoint(1, 15), TPoint(98, 28)})
        EXPECT_EQ(testing_support::PixelAt(s.Button->Handle(), p.x, p.y), TColor(SwapRedBlue(cache.At(p.x, p.y) & 0xFFFFFF)))
            << p.x << "," << p.y;
}

TEST(SkinFrame, HoverPressAndLeaveCrossFadeFrameByFrame)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    ASSERT_FALSE(link->BGChanged);
    const TPixelImage normal = Pixels(link->FCacheBmp);

    // Hover from rest: six steps; each frame the two images mixed at the frame's weight.
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = link->AnimTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Iterations, 6);
    EXPECT_EQ(Pixels(t->BmpFrom).At(50, 15), normal.At(50, 15));
    const int hover[] = {42, 85, 128, 170, 212, 255, 255};
    for (int frame = 0; frame < 7; ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_TRUE(IsMixOf(t->BmpOut, t->BmpFrom, t->BmpTo, 255 - hover[frame]));
        if (frame < 6) ticks.Step(12);
    }
    ticks.Step(12);
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(Pixels(t->BmpOut).At(50, 15), Pixels(link->FCacheBmp).At(50, 15));   // ends on the hot image

    // A fast press: three steps.
    s.Button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(link->AnimTimer, t);
    EXPECT_EQ(t->State, 2);
    EXPECT_EQ(t->Iterations, 3);
    for (int i = 0; i < 5; ++i) ticks.Step(12);
    EXPECT_FALSE(t->Enabled());
    s.Button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    for (int i = 0; i < 8; ++i) ticks.Step(12);
    ReleaseCapture();

    // Leaving from full glow fades back to normal in 18 steps.
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    ASSERT_EQ(link->AnimTimer, t);
    EXPECT_EQ(t->State, 0);
    EXPECT_EQ(t->Iterations, 18);
    int steps = 0;
    while (link->AnimTimer && link->AnimTimer->Enabled() && steps < 40) ticks.Step(12), ++steps;
    EXPECT_EQ(steps, 18);
    PumpFor(30);
    EXPECT_EQ(Pixels(link->FCacheBmp).At(50, 15), normal.At(50, 15));

    // Leaving halfway through a hover (glow 128) starts the fade at step 9.
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    t = link->AnimTimer;
    ASSERT_NE(t, nullptr);
    ticks.Step(12);
    ticks.Step(12);
    EXPECT_EQ(RoundHalfEven(t->Glow), 128);
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(t->State, 0);
    EXPECT_EQ(t->Iteration, 9);
    EXPECT_EQ(t->Iterations, 18);
}

// A container's own fade shows its children at their places in every frame (they were drawn at
// the container's corner).
TEST(SkinFrame, AContainersFadeFramesShowItsChildrenWhereTheyAre)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TScene s = SkinnedScene();
    PumpFor(30);
    TsCommonData* panel = PanelLink(s.Container);
    s.Container->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = panel->AnimTimer;
    ASSERT_NE(t, nullptr);
    ticks.Step(12);
    ASSERT_NE(t->BmpOut, nullptr);
    const TPixelImage frame = Pixels(t->BmpOut), button = Pixels(LinkOf(s.Button)->FCacheBmp);
    EXPECT_EQ(frame.At(s.Button->Left() + 50, s.Button->Top() + 15), button.At(50, 15));
    EXPECT_NE(frame.At(5, 5), button.At(50, 15));
    for (int i = 0; i < 40 && t->Enabled(); ++i) ticks.Step(12);
}

TEST(SkinFrame, WithoutAnimationTheStateChangesAtOnceAndTheGlowIsFull)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFixtureGlow glow(m.get());
    TLayeredRecorder layered;
    TManualTicks ticks;
    m->Effects()->AllowAnimation = false;
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    const uint32_t normal = Pixels(link->FCacheBmp).At(50, 15);
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(link->AnimTimer == nullptr || !link->AnimTimer->Enabled());
    EXPECT_TRUE(link->BGChanged);
    PumpFor(60);
    EXPECT_NE(Pixels(link->FCacheBmp).At(50, 15), normal);   // the hot state, painted at once
    ASSERT_GE(link->GlowID, 0);
    ASSERT_FALSE(layered.Updates.empty());
    EXPECT_EQ(layered.Updates.back().Alpha, 255);
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(link->GlowID, -1);
    FreeAllGlows(true);
}

TEST(SkinFrame, TheHoverGlowSurroundsTheControlAndFollowsTheFrames)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFixtureGlow glow(m.get());
    TLayeredRecorder layered;
    TManualTicks ticks;
    TScene s = SkinnedScene(TRect(20, 30, 120, 60));   // 100 x 30
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_GE(link->GlowID, 0);
    TacGlowEffect* effect = GlowList()[size_t(link->GlowID)];
    ASSERT_NE(effect, nullptr);
    HWND g = effect->Wnd->Handle();
    RECT gr{}, br{};
    GetWindowRect(g, &gr);
    GetWindowRect(s.Button->Handle(), &br);
    EXPECT_EQ(gr.right - gr.left, 114);
    EXPECT_EQ(gr.bottom - gr.top, 44);
    EXPECT_EQ(gr.left, br.left - 7);
    EXPECT_EQ(gr.top, br.top - 7);
    ASSERT_FALSE(layered.Updates.empty());
    EXPECT_EQ(layered.Updates.front().Wnd, g);
    EXPECT_EQ(layered.Updates.front().Size.cx, 114);
    EXPECT_EQ(layered.Updates.front().Alpha, 0);   // an animated glow starts invisible
    // Its opacity follows the cross-fade's frames.
    const int hover[] = {42, 85, 128, 170, 212, 255};
    for (int frame = 0; frame < 6; ++frame) {
        EXPECT_EQ(layered.Updates.back().Alpha, hover[frame]) << frame;
        ticks.Step(12);
    }
    EXPECT_EQ(SendMessageW(g, WM_NCHITTEST, 0, MAKELPARAM(gr.left + 1, gr.top + 1)), HTTRANSPARENT);
    HWND below = GetWindow(g, GW_HWNDNEXT);
    while (below && !IsWindowVisible(below)) below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, s.Form->Handle());   // just above its form
    EXPECT_TRUE(GetWindowLongPtrW(g, GWL_EXSTYLE) & WS_EX_TRANSPARENT);

    // Leaving fades it out; at the end it is gone.
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    for (int i = 0; i < 40 && link->GlowID >= 0; ++i) ticks.Step(12);
    EXPECT_EQ(link->GlowID, -1);

    // None while the mouse is captured.
    SetCapture(s.Form->Handle());
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_EQ(link->GlowID, -1);
    ReleaseCapture();
    FreeAllGlows(true);
}

// scmPPIChanged sent by hand: the link takes the skin data of that PPI and composes from it.
TEST(SkinFrame, APpiChangeTakesThatPpisSkinData)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    ASSERT_EQ(link->ResolveSkinData()->PPI(), 96);
    const uint32_t at96 = Pixels(link->FCacheBmp).At(4, 15);
    SendSkinCommand(s.Button->Handle(), scmPPIChanged, 144);
    EXPECT_EQ(link->CurrentPPI, 144);
    TacSkinData* d = link->ResolveSkinData();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->PPI(), 144);
    s.Button->Invalidate();
    PumpFor(60);
    EXPECT_FALSE(link->BGChanged);
    const int border = d->gd[size_t(link->SkinIndex)].BorderIndex;
    EXPECT_EQ(d->ma[size_t(border)].WL, 6);   // the border of 4 at 96 PPI
    EXPECT_NE(Pixels(link->FCacheBmp).At(4, 15), at96);   // x = 4 now lies in the wider border
}

// Our stored skins: the test form in each state, saved for a look, and the screen showing the
// caches.
TEST(SkinFrame, StoredSkinsScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive());
        m->Effects()->AllowAnimation = false;
        TScene s = SkinnedScene(TRect(40, 40, 160, 72));
        TsCommonData* link = LinkOf(s.Button);
        ASSERT_TRUE(link->Skinned(true));
        const wchar_t* states[] = {L"normal", L"hot", L"pressed"};
        for (int st = 0; st < 3; ++st) {
            if (st == 1) s.Button->Perform(CM_MOUSEENTER, 0, 0);
            if (st == 2) s.Button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
            PumpFor(60);
            testing_support::SaveScreenshot(s.Form->Handle(), String(L"skin_frame_") + skin + L"_" + states[st], true);
            const TPixelImage cache = Pixels(link->FCacheBmp);
            EXPECT_EQ(testing_support::PixelAt(s.Button->Handle(), 60, 16), TColor(SwapRedBlue(cache.At(60, 16) & 0xFFFFFF)));
        }
        s.Button->Perform(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        ReleaseCapture();
        FreeAllGlows(true);
    }
}

namespace {

// A section draws through GDI+ or the system's gradient fill somewhere in its states.
bool UsesSystemGradientLayers(const TsGeneralData& g)
{
    for (const TsGenState& s : g.Props)
        if (!s.GradientArray.empty() && (s.GradientArray[0].Mode & 0x30)) return true;
    return false;
}

// The tool's rendering of every section, state and size against the cache of the test control
// with that SkinSection on a form of the skin's main colour.
void CompareWithRenderer(const String& skinName, const std::vector<uint8_t>& packed)
{
    SCOPED_TRACE(ToUtf8(skinName));
    TManagerPtr m = ManagerWithSkin(skinName);
    ASSERT_TRUE(m->IsActive());
    m->Effects()->AllowAnimation = false;
    m->Effects()->AllowGlowing = false;
    const TacSkinSource source = TacSkinSource::FromPacked(packed.data(), packed.size());
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 220, 100);
    form->SetColor(m->GetGlobalColor());
    auto* button = new TTestSkinButton(form.get());
    button->SetParent(form.get());
    form->Show();
    PumpFor(30);
    TsCommonData* link = button->SkinData();
    const TSize sizes[] = {TSize(13, 9), TSize(40, 24), TSize(150, 45)};
    TacSkinData* d = m->CommonSkinData(96);
    int compared = 0;
    for (const TsGeneralData& g : d->gd) {
        if (UsesSystemGradientLayers(g)) continue;
        link->SetSkinSection(g.ClassName);
        if (link->SkinIndex < 0) continue;
        for (const TSize& size : sizes) {
            button->SetBounds(10, 10, size.cx, size.cy);
            for (int state = 0; state < 3; ++state) {
                SCOPED_TRACE(ToUtf8(g.ClassName) + " " + std::to_string(size.cx) + " state " + std::to_string(state));
                link->FMouseAbove = state > 0;
                button->Perform(state == 2 ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, 0);
                ReleaseCapture();
                link->FMouseAbove = state > 0;
                ASSERT_TRUE(button->PrepareCache());
                const TPixelImage want = RenderSkinSection(source, g.ClassName, state, size.cx, size.cy);
                const TPixelImage got = Pixels(link->FCacheBmp);
                ASSERT_EQ(got.Width(), want.Width());
                int differ = 0;
                for (int y = 0; y < got.Height(); ++y)
                    for (int x = 0; x < got.Width(); ++x) differ += got.At(x, y) != want.At(x, y);
                EXPECT_EQ(differ, 0) << std::hex << got.At(0, 0) << " " << want.At(0, 0);
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 0);
}

}  // namespace

TEST(SkinFrame, TheSkinToolsRenderingIsTheControlsCache)
{
    CompareWithRenderer(L"Fixture", fs::Packed());
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& s = ProgramStoredSkins()[i];
        if (String(s.Name) != L"Dark" && String(s.Name) != L"Light") continue;
        CompareWithRenderer(s.Name, std::vector<uint8_t>(s.Data, s.Data + s.Size));
    }
}

TEST(SkinFrame, StateChangeEdgeCases)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TScene s = SkinnedScene();
    auto* button = static_cast<TTestSkinButton*>(s.Button);
    TsCommonData* link = button->SkinData();
    PumpFor(30);
    const TPixelImage normal = Pixels(link->FCacheBmp);

    // A second change towards the state being animated to is ignored.
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = link->AnimTimer;
    ticks.Step(12);
    const int at = t->Iteration;
    link->BGChanged = false;
    AnimateStateChange(link, 1, StateAnimStep, true, false, false);
    EXPECT_EQ(t->Iteration, at);
    EXPECT_EQ(t->State, 1);
    for (int i = 0; i < 10; ++i) ticks.Step(12);
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    for (int i = 0; i < 30; ++i) ticks.Step(12);

    // Without any animation event the state changes at once.
    button->SetAnimatEvents(0);
    s.Button->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(link->IsAnimating());
    PumpFor(30);
    EXPECT_NE(Pixels(link->FCacheBmp).At(50, 15), normal.At(50, 15));   // hot, painted at once
    s.Button->Perform(CM_MOUSELEAVE, 0, 0);
    button->SetAnimatEvents(aeGlobalDef);
    PumpFor(30);

    // Disabled: no look of its own draws the normal state unchanged; blended shows the parent.
    button->SetDisabledKind(0);
    s.Button->SetEnabled(false);
    ASSERT_TRUE(button->PrepareCache());
    EXPECT_EQ(Pixels(link->FCacheBmp).At(2, 15), normal.At(2, 15));
    button->SetDisabledKind(dkBlended);
    ASSERT_TRUE(button->PrepareCache());
    EXPECT_NE(Pixels(link->FCacheBmp).At(2, 15), normal.At(2, 15));
}

namespace {

// A graphic control with a link to BUTTON, the mouse over it.
class TGlowGraphic : public TGraphicControl {
public:
    TGlowGraphic(TWinControl* parent, const TRect& bounds) : TGraphicControl(parent)
    {
        Link = new TsCommonData(this);
        SetBoundsRect(bounds);
        SetParent(parent);
        Link->SetSkinSection(L"BUTTON");
        Link->Loaded(false);
        Link->FMouseAbove = true;
    }
    ~TGlowGraphic() override { delete Link; }
    TsCommonData* Link = nullptr;
};

}  // namespace

// The hover glow of a graphic control surrounds only the part its parent's window shows.
TEST(SkinFrame, AGraphicControlsGlowIsClippedToItsParent)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFixtureGlow glow(m.get());
    TLayeredRecorder layered;
    TScene s = SkinnedScene();   // the container is the form's 200 x 120 client area
    const struct Case {
        TRect bounds;
        int visibleWidth;   // 0: nothing of it shows
    } cases[] = {{TRect(20, 80, 80, 110), 60}, {TRect(170, 80, 230, 110), 30}, {TRect(205, 80, 265, 110), 0}};
    for (const Case& c : cases) {
        auto* g = new TGlowGraphic(s.Container, c.bounds);
        ASSERT_TRUE(g->Link->Skinned()) << c.bounds.left;
        g->Link->ShowControlGlow(false, nullptr, 255, false);
        if (c.visibleWidth == 0) {
            EXPECT_EQ(g->Link->GlowID, -1);
        } else {
            ASSERT_GE(g->Link->GlowID, 0) << c.bounds.left;
            RECT gr{};
            GetWindowRect(GlowList()[size_t(g->Link->GlowID)]->Wnd->Handle(), &gr);
            const TPoint at = g->ClientToScreen(TPoint(0, 0));
            EXPECT_EQ(gr.left, at.x - 7) << c.bounds.left;
            EXPECT_EQ(gr.top, at.y - 7) << c.bounds.left;
            EXPECT_EQ(gr.right - gr.left, c.visibleWidth + 14) << c.bounds.left;
            EXPECT_EQ(gr.bottom - gr.top, 44) << c.bounds.left;
        }
        FadeOutGlow(g->Link->GlowID, false);
        g->SetParent(nullptr);   // its owner, the container, frees it
    }
    FreeAllGlows(true);
}

// In a right-to-left application the window DC of a mirrored control would turn the frames of
// its state cross-fade round: they reach the screen as they were composed.
TEST(SkinFrame, FadeFramesAreNotMirroredRightToLeft)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    HWND wnd = s.Button->Handle();
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    const TBiDiMode saved = Application->BiDiMode();
    Application->SetBiDiMode(bdRightToLeft);
    const int w = link->FCacheBmp->Width(), h = link->FCacheBmp->Height();
    ASSERT_GT(w, 20);
    EnsureAnimTimer(link->AnimTimer, s.Button, 1);
    TacThreadedTimer* t = link->AnimTimer;
    for (TBitmap** b : {&t->BmpFrom, &t->BmpTo}) {   // the same picture at both ends: every frame is it
        *b = NewBitmap32(w, h);
        FillRectAlpha32(*b, TRect(0, 0, w / 2, h), 0x0000FF, 255);
        FillRectAlpha32(*b, TRect(w / 2, 0, w, h), 0xFF0000, 255);
    }
    t->AnimData = link;
    t->State = 1;
    t->Iterations = 6;
    t->Iteration = 1;
    t->GlowStep = 42.5;
    EXPECT_TRUE(StateAnimationStep(link, 1));
    // What the window shows, read unmirrored.
    HDC dc = GetWindowDC(wnd);
    SetDCLayout(dc, 0);
    const COLORREF left = GetPixel(dc, 3, h / 2), right = GetPixel(dc, w - 4, h / 2);
    ReleaseDC(wnd, dc);
    Application->SetBiDiMode(saved);
    link->StopAnimTimer();
    EXPECT_EQ(left, RGB(255, 0, 0));
    EXPECT_EQ(right, RGB(0, 0, 255));
}

// While an animated skin change owns the screen the control composes and paints nothing for an
// ordinary paint request; afterwards it paints again.
TEST(SkinFrame, PaintsWaitWhileASkinChangeAnimates)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TScene s = SkinnedScene();
    TsCommonData* link = LinkOf(s.Button);
    PumpFor(30);
    ASSERT_FALSE(link->BGChanged);
    link->BGChanged = true;
    AnimationRunning = true;
    InvalidateRect(s.Button->Handle(), nullptr, FALSE);
    UpdateWindow(s.Button->Handle());
    EXPECT_TRUE(link->BGChanged) << "composed during the animation";
    AnimationRunning = false;
    InvalidateRect(s.Button->Handle(), nullptr, FALSE);
    UpdateWindow(s.Button->Handle());
    EXPECT_FALSE(link->BGChanged);
}
