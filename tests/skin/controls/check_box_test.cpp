// The skinned check box in real windows over a skinned container with the fixture skin: the
// skin's check image by check state and visual state, toggling by click and space bar (and a
// read-only box that never toggles), the hover fade on a stepped clock, a glyph strip at 144 PPI,
// the standard check box it stays without a skin, and screenshots with our stored skins.
#include <gtest/gtest.h>

#include <memory>

#include "skin/controls/scheckbox.h"
#include "skin/engine/anim_timer.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Glyph(int image, int frame) { return Rgb(fs::Opaque(fs::GlyphColor(image, frame))); }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }

// A focused box looks hot: the focus goes elsewhere (a press takes it back).
void Unfocus(TsCheckBox* b)
{
    ::SetFocus(nullptr);
    PumpFor(10);
    b->SkinData()->FFocused = false;
}

// A form filled by the test container (PANEL) with a check box on it, not focused.
struct TCheckScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsCheckBox* Box = nullptr;

    explicit TCheckScene(const String& caption = L"Trails")
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(140, 140, 240, 80);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 240, 80);
        Panel->SetParent(Form.get());
        Box = new TsCheckBox(Form.get());
        Box->SetCaption(caption);
        Box->SetBounds(20, 20, 120, 24);
        Box->SetParent(Panel);
        Form->Show();
        PumpFor(60);
        Unfocus(Box);
    }
    TsCommonData* Link() const { return Box->SkinData(); }
    TPixelImage Cache() const { return ImageFromBitmap32(Link()->FCacheBmp); }
};

struct TEvents {
    int Clicks = 0, ValueChanges = 0, Downs = 0, Ups = 0;
    TsCheckBox* Box = nullptr;
    bool Seen = false;   // Checked as the value-change handler saw it
    void Click(TObject*) { ++Clicks; }
    void ValueChanged(TObject*)
    {
        ++ValueChanges;
        if (Box) Seen = Box->Checked();
    }
    void Down(TObject*, TMouseButton, TShiftState, int, int) { ++Downs; }
    void Up(TObject*, TMouseButton, TShiftState, int, int) { ++Ups; }
    void Wire(TsCheckBox* b)
    {
        b->OnClick = Bind<&TEvents::Click>(this);
        b->OnValueChanged = Bind<&TEvents::ValueChanged>(this);
        b->OnMouseDown = Bind<&TEvents::Down>(this);
        b->OnMouseUp = Bind<&TEvents::Up>(this);
    }
};

TEST(SkinCheckBox, GlyphIsTheSkinsImageOfTheCheckStateInTheVisualState)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"CHECKBOX"));
    s.Box->SetAnimatEvents(0);   // states change at once here; the fade has a test of its own
    s.Box->SetAllowGrayed(true);
    // The skin's images are 16 x 16: the box sizes itself to them and its caption.
    ASSERT_EQ(s.Box->GlyphSize(), TSize(16, 16));
    ASSERT_EQ(s.Box->Height(), std::max(16, s.Box->CaptionRect().Height() + 4));

    struct TCase {
        const char* Name;
        TCheckBoxState Check;
        int Visual;   // 0 normal, 1 hot, 2 pressed
    };
    const TCase cases[] = {
        {"unchecked", cbUnchecked, 0}, {"unchecked hot", cbUnchecked, 1}, {"unchecked pressed", cbUnchecked, 2},
        {"checked", cbChecked, 0},     {"checked hot", cbChecked, 1},     {"checked pressed", cbChecked, 2},
        {"grayed", cbGrayed, 0},       {"grayed hot", cbGrayed, 1},       {"grayed pressed", cbGrayed, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Box->SetState(c.Check);
        s.Link()->FMouseAbove = c.Visual == 1;
        if (c.Visual == 2) s.Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        EXPECT_EQ(s.Box->CurrentState(), c.Visual);
        s.Link()->BGChanged = true;
        ASSERT_TRUE(s.Box->PrepareCache());
        const TRect g = s.Box->GlyphRect();
        EXPECT_EQ(g.left, 0);   // glyph at the left, no margin
        const TPixelImage cache = s.Cache();
        EXPECT_EQ(Rgb(cache.At(g.left + 8, g.top + 8)), Glyph(int(c.Check), c.Visual));
        EXPECT_EQ(Rgb(cache.At(g.right - 1, g.bottom - 1)), Glyph(int(c.Check), c.Visual));
        // The key-colour pixel shows the section under the glyph, as the right end does.
        EXPECT_NE(Rgb(cache.At(g.left, g.top)), Glyph(int(c.Check), c.Visual));
        EXPECT_EQ(Rgb(cache.At(g.left, g.top)), Rgb(cache.At(s.Box->Width() - 1, 1)));
        if (c.Visual == 0) {
            EXPECT_EQ(Rgb(cache.At(g.left, g.top)), Own(L"CHECKBOX", 0));
        }
        if (c.Visual == 2) {
            s.Link()->FMouseAbove = false;
            s.Box->Perform(CM_MOUSELEAVE, 0, 0);   // leaves without toggling
            Unfocus(s.Box);
        }
        EXPECT_EQ(s.Box->State(), c.Check);
    }
    s.Link()->FMouseAbove = false;

    // Disabled: the normal image blended with what lies behind the box.
    s.Box->SetState(cbChecked);
    s.Box->SetEnabled(false);
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Box->PrepareCache());
    const TRect g = s.Box->GlyphRect();
    EXPECT_NE(Rgb(s.Cache().At(g.left + 8, g.top + 8)), Glyph(1, 0));
    s.Box->SetEnabled(true);

    // Left-justified: the glyph moves to the right end, the caption to its left.
    s.Box->SetAlignment(taLeftJustify);
    PumpFor(30);
    const TRect right = s.Box->GlyphRect();
    EXPECT_EQ(right.right, s.Box->Width());
    EXPECT_LE(s.Box->CaptionRect().right, right.left);
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Box->PrepareCache());
    EXPECT_EQ(Rgb(s.Cache().At(right.left + 8, right.top + 8)), Glyph(1, 0));

    // On screen as in the cache.
    s.Link()->Invalidate(false);
    PumpFor(60);
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Box->Handle(), right.left + 8, right.top + 8)),
              SwapRedBlue(Glyph(1, 0)));
}

TEST(SkinCheckBox, ClicksAndTheSpaceBarToggleUnlessReadOnly)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Box->SetAnimatEvents(0);
    TEvents e;
    e.Wire(s.Box);
    const LPARAM at = MAKELPARAM(4, 4);

    struct TCase {
        const char* Name;
        bool ReadOnly;
        bool Space;
        bool LeaveBetween;
        bool Toggles;
        int Downs, Ups;
    };
    const TCase cases[] = {
        {"click", false, false, false, true, 1, 1},
        {"space", false, true, false, true, 0, 0},
        {"press, leave, release", false, false, true, false, 1, 1},
        {"read-only click", true, false, false, false, 0, 1},
        {"read-only space", true, true, false, false, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Box->SetReadOnly(c.ReadOnly);
        e = TEvents();
        const bool before = s.Box->Checked();
        if (c.Space) {
            s.Box->Perform(WM_KEYDOWN, VK_SPACE, 0);
            EXPECT_EQ(s.Box->CurrentState(), c.ReadOnly ? 0 : 2);
            s.Box->Perform(WM_KEYUP, VK_SPACE, 0);
        } else {
            s.Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, at);
            if (c.ReadOnly)
                EXPECT_NE(s.Box->CurrentState(), 2);
            else
                EXPECT_EQ(s.Box->CurrentState(), 2);
            if (c.LeaveBetween) s.Box->Perform(CM_MOUSELEAVE, 0, 0);
            s.Box->Perform(WM_LBUTTONUP, 0, at);
        }
        PumpFor(20);
        EXPECT_EQ(s.Box->Checked() != before, c.Toggles);
        EXPECT_EQ(e.Clicks, c.Toggles ? 1 : 0);
        EXPECT_EQ(e.Downs, c.Downs);
        EXPECT_EQ(e.Ups, c.Ups);
        EXPECT_EQ(e.ValueChanges, 0);   // only the Checked setter reports a value change
        EXPECT_NE(s.Box->CurrentState(), 2);
    }
    s.Box->SetReadOnly(false);

    // The setter: once per actual change, after the state has changed; the glyph follows.
    e = TEvents();
    const bool now = s.Box->Checked();
    e.Box = s.Box;
    e.Seen = now;
    s.Box->SetChecked(!now);
    s.Box->SetChecked(!now);
    EXPECT_EQ(e.ValueChanges, 1);
    EXPECT_EQ(e.Seen, !now);
    PumpFor(40);
    const TRect g = s.Box->GlyphRect();
    EXPECT_EQ(Rgb(s.Cache().At(g.left + 8, g.top + 8)), Glyph(!now ? 1 : 0, s.Box->CurrentState()));
}

// The box composes its image at every paint (its look follows states nobody reports to it), and
// only then: a box never painted has no cache.
TEST(SkinCheckBox, EveryPaintComposesTheImageAfresh)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto* unshown = new TsCheckBox(nullptr);
    EXPECT_EQ(unshown->SkinData()->FCacheBmp, nullptr);
    delete unshown;
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Box->SetAnimatEvents(0);
    ASSERT_NE(s.Link()->FCacheBmp, nullptr);
    const TRect g = s.Box->GlyphRect();
    HWND wnd = s.Box->Handle();
    auto screen = [&] { return uint32_t(testing_support::PixelAt(wnd, g.left + 8, g.top + 8)); };
    ASSERT_EQ(screen(), SwapRedBlue(Glyph(0, 0)));
    // Hot without telling the box: the next paint shows it all the same.
    s.Link()->FMouseAbove = true;
    s.Link()->BGChanged = false;
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(screen(), SwapRedBlue(Glyph(0, 1)));
    s.Link()->FMouseAbove = false;
}

// The skin's check image sits at the left only beside a right-justified caption; a user's glyph
// moves to the right only with a left-justified one.
TEST(SkinCheckBox, TheGlyphsSideFollowsTheAlignment)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Box->SkinData()->Skinned(true));
    TBitmap own;
    own.SetPixelFormat(pf24bit);
    own.SetSize(16, 16);
    struct TCase {
        const char* Name;
        TAlignment Alignment;
        bool OwnGlyph;
        bool AtRight;
    };
    const TCase cases[] = {
        {"skin, right-justified", taRightJustify, false, false}, {"skin, left-justified", taLeftJustify, false, true},
        {"skin, centred", taCenter, false, true},                {"own, centred", taCenter, true, false},
        {"own, left-justified", taLeftJustify, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Box->SetGlyphChecked(c.OwnGlyph ? &own : nullptr);
        s.Box->SetGlyphUnChecked(c.OwnGlyph ? &own : nullptr);
        s.Box->SetAlignment(c.Alignment);
        PumpFor(10);
        const TRect g = s.Box->GlyphRect();
        if (c.AtRight)
            EXPECT_EQ(g.right, s.Box->Width());
        else
            EXPECT_EQ(g.left, 0);
    }
}

// Without a skin, a box with glyphs of its own still draws them (on its colour); the others are the
// standard check box.
TEST(SkinCheckBox, WithoutASkinOwnGlyphsAreStillDrawn)
{
    TManagerPtr m = UnskinnedManager(true);
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(140, 140, 240, 60);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(48, 16);
    const TColor frames[3] = {fs::Rgb(200, 30, 30), fs::Rgb(30, 200, 30), fs::Rgb(30, 30, 200)};
    for (int f = 0; f < 3; ++f) {
        strip.Canvas()->Brush()->SetColor(frames[f]);
        strip.Canvas()->FillRect(TRect(16 * f, 0, 16 * (f + 1), 16));
    }
    auto* box = new TsCheckBox(form.get());
    box->SetCaption(L"LED effects");
    box->SetGlyphChecked(&strip);
    box->SetGlyphUnChecked(&strip);
    box->SetColor(clWhite);
    box->SetBounds(10, 10, 200, 24);
    box->SetParent(form.get());
    form->Show();
    PumpFor(60);
    ASSERT_FALSE(box->SkinData()->Skinned(true));
    Unfocus(box);
    box->Invalidate();
    PumpFor(30);
    const TRect g = box->GlyphRect();
    EXPECT_EQ(testing_support::PixelAt(box->Handle(), g.left + 8, g.top + 8), frames[0]);
    EXPECT_EQ(testing_support::PixelAt(box->Handle(), box->Width() - 2, 1), TColor(clWhite));
}

// A fade that started before auto size changed the width no longer fits the box: a release
// stops it and the box is painted at its size.
TEST(SkinCheckBox, AReleaseStopsAFadeOfTheOldWidth)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Box->SetAutoSize(false);
    for (UINT release : {UINT(WM_LBUTTONUP), UINT(WM_KEYUP)}) {
        SCOPED_TRACE(release == WM_KEYUP ? "space bar" : "mouse");
        s.Box->Perform(CM_MOUSEENTER, 0, 0);
        ASSERT_TRUE(s.Link()->IsAnimating());
        s.Box->SetWidth(s.Box->Width() + 20);
        s.Box->Perform(release, release == WM_KEYUP ? VK_SPACE : 0, MAKELPARAM(200, 4));
        EXPECT_FALSE(s.Link()->IsAnimating());
        s.Box->Perform(CM_MOUSELEAVE, 0, 0);
        for (int i = 0; i < 25; ++i) ticks.Step(12);
        PumpFor(20);
    }
}

// Hovering fades the image towards the hot frame in six steps of the stepped clock.
TEST(SkinCheckBox, HoverFadesToTheHotGlyph)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Link()->Invalidate(false);
    PumpFor(30);
    ASSERT_FALSE(s.Link()->BGChanged);
    const TRect g = s.Box->GlyphRect();
    const TPoint p(g.left + 8, g.top + 8);
    ASSERT_EQ(Rgb(s.Cache().At(p.x, p.y)), Glyph(0, 0));

    s.Box->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = s.Link()->AnimTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Iterations, 6);
    EXPECT_EQ(Rgb(ImageFromBitmap32(t->BmpFrom).At(p.x, p.y)), Glyph(0, 0));
    EXPECT_EQ(Rgb(ImageFromBitmap32(t->BmpTo).At(p.x, p.y)), Glyph(0, 1));
    ticks.Step(12);
    const uint32_t mid = Rgb(ImageFromBitmap32(t->BmpOut).At(p.x, p.y));
    EXPECT_NE(mid, Glyph(0, 0));
    EXPECT_NE(mid, Glyph(0, 1));
    for (int i = 0; i < 8; ++i) ticks.Step(12);
    EXPECT_FALSE(t->Enabled());
    EXPECT_EQ(Rgb(ImageFromBitmap32(t->BmpOut).At(p.x, p.y)), Glyph(0, 1));
    s.Box->Perform(CM_MOUSELEAVE, 0, 0);
    for (int i = 0; i < 25; ++i) ticks.Step(12);
    PumpFor(30);
}

// A strip of three 16 x 16 frames at 144 PPI: the glyph is 24 x 24, every frame (the pressed one
// too) is cut from the strip at 16 x 16 and scaled; a single picture shows in every state.
TEST(SkinCheckBox, GlyphStripsAreCutAtTheirFrameSizeAndScaled)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Box->SetAnimatEvents(0);
    const TColor frames[3] = {fs::Rgb(200, 30, 30), fs::Rgb(30, 200, 30), fs::Rgb(30, 30, 200)};
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(48, 16);
    for (int f = 0; f < 3; ++f) {
        strip.Canvas()->Brush()->SetColor(frames[f]);
        strip.Canvas()->FillRect(TRect(16 * f, 0, 16 * (f + 1), 16));
    }
    TBitmap single;
    single.SetPixelFormat(pf24bit);
    single.SetSize(16, 16);
    single.Canvas()->Brush()->SetColor(frames[1]);
    single.Canvas()->FillRect(TRect(0, 0, 16, 16));

    s.Box->ScaleForPPI(144);
    s.Box->SetChecked(true);
    struct TCase {
        const char* Name;
        TBitmap* Glyph;
        int Visual;
        TColor Expected;
    };
    const TCase cases[] = {
        {"strip normal", &strip, 0, frames[0]}, {"strip hot", &strip, 1, frames[1]}, {"strip pressed", &strip, 2, frames[2]},
        {"single normal", &single, 0, frames[1]}, {"single pressed", &single, 2, frames[1]},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Box->SetGlyphChecked(c.Glyph);
        ASSERT_EQ(s.Box->GlyphSize(), TSize(24, 24));
        s.Link()->FMouseAbove = c.Visual == 1;
        if (c.Visual == 2) s.Box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        s.Link()->BGChanged = true;
        ASSERT_TRUE(s.Box->PrepareCache());
        const TRect g = s.Box->GlyphRect();
        ASSERT_EQ(g.Width(), 24);
        const TPixelImage cache = s.Cache();
        // Every pixel of the glyph is the frame's colour: nothing read past the strip.
        int wrong = 0;
        for (int y = g.top; y < g.bottom; ++y)
            for (int x = g.left; x < g.right; ++x) wrong += Rgb(cache.At(x, y)) != Rgb(fs::Opaque(c.Expected));
        EXPECT_EQ(wrong, 0);
        if (c.Visual == 2) {
            s.Box->Perform(CM_MOUSELEAVE, 0, 0);
            Unfocus(s.Box);
        }
    }
    s.Link()->FMouseAbove = false;
}

// Without a manager, or with an inactive one, the box looks exactly like the standard check box.
TEST(SkinCheckBox, WithoutAnActiveSkinItIsTheStandardCheckBox)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 320, 60);
        auto* skinned = new TsCheckBox(form.get());
        skinned->SetCaption(L"Analog mode");
        skinned->SetParent(form.get());
        skinned->SetBounds(10, 10, 140, 24);
        skinned->SetChecked(true);
        auto* plain = new TCheckBox(form.get());
        plain->SetCaption(L"Analog mode");
        plain->SetParent(form.get());
        plain->SetBounds(160, 10, 140, 24);
        plain->SetAutoSize(true);
        plain->SetChecked(true);
        form->Show();
        PumpFor(60);
        ::SetFocus(nullptr);   // no focus rectangle on either
        PumpFor(30);
        EXPECT_FALSE(skinned->SkinData()->Skinned(true));
        EXPECT_EQ(skinned->Width(), plain->Width());
        EXPECT_EQ(skinned->Height(), plain->Height());
        auto a = testing_support::CaptureWindow(skinned->Handle());
        auto b = testing_support::CaptureWindow(plain->Handle());
        EXPECT_TRUE(testing_support::BitmapsMatch(*a, *b, 0));
        // A click toggles as the standard box does.
        skinned->Perform(BM_CLICK, 0, 0);
        PumpFor(20);
        EXPECT_FALSE(skinned->Checked());
    }
}

// Over a form that paints its own background (a form without a skin of its own) the caption keeps
// the form's text colour: Dark's light text would vanish on a light form.
TEST(SkinCheckBox, OverAPlainFormTheCaptionKeepsTheFormsTextColour)
{
    TManagerPtr m = ManagerWithSkin(L"Dark");
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(140, 140, 240, 60);
    form->SetColor(clWhite);
    auto* box = new TsCheckBox(form.get());
    box->SetCaption(L"Enable debug mode");
    box->SetBounds(10, 10, 200, 24);
    box->SetParent(form.get());
    form->Show();
    PumpFor(60);
    Unfocus(box);
    box->Invalidate();
    PumpFor(30);
    ASSERT_TRUE(box->SkinData()->Skinned(true));
    auto shot = testing_support::CaptureWindow(box->Handle());
    const TRect caption = box->CaptionRect();
    int dark = 0, light = 0;
    for (int y = caption.top; y < caption.bottom; ++y)
        for (int x = caption.left; x < caption.right; ++x) {
            const TColor c = testing_support::PixelAt(*shot, x, y);
            dark += testing_support::ColorDistance(c, clBlack) < 120;
            light += testing_support::ColorDistance(c, clWhite) < 40;
        }
    EXPECT_GT(dark, 20);    // the text's strokes in the form's black
    EXPECT_GT(light, 200);  // on the form's white
}

TEST(SkinCheckBox, ScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 220, 150);
        auto* panel = new TTestSkinPanel(form.get());
        panel->SetBounds(0, 0, 220, 150);
        panel->SetParent(form.get());
        const wchar_t* captions[] = {L"Unchecked", L"Checked", L"Grayed", L"Disabled", L"Left-justified"};
        TsCheckBox* boxes[5] = {};
        for (int i = 0; i < 5; ++i) {
            auto* b = new TsCheckBox(form.get());
            b->SetCaption(captions[i]);
            b->SetAllowGrayed(true);
            b->SetBounds(12, 8 + 27 * i, 150, 22);
            b->SetParent(panel);
            boxes[i] = b;
        }
        boxes[1]->SetChecked(true);
        boxes[2]->SetState(cbGrayed);
        boxes[3]->SetChecked(true);
        boxes[3]->SetEnabled(false);
        boxes[4]->SetAlignment(taLeftJustify);
        form->Show();
        PumpFor(80);
        ASSERT_TRUE(boxes[0]->SkinData()->Skinned(true));
        testing_support::SaveScreenshot(form->Handle(), String(L"check_box_") + skin, true);
    }
}

}  // namespace
