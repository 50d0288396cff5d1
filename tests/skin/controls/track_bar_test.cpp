// The skinned track bar in real windows: channel, progress and thumb painted from the fixture
// skin at the native control's geometry, the thumb's hover and press looks, the spot-end
// direction, positioning by a click, the user events for mouse and keys, the application's hints
// around a press, the classic look without a skin, and screenshots with our stored skins.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "skin/controls/core/track_bar.h"
#include "skin/controls/strackbar.h"
#include "skin/engine/core/control_link.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/application.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }
uint32_t Flat(TColor c) { return Rgb(fs::Opaque(c)); }
TPoint Centre(const TRect& r) { return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

struct TEvents {
    int Change = 0, UserChange = 0, UserChanged = 0;
    void OnChange(TObject*) { ++Change; }
    void OnUserChange(TObject*) { ++UserChange; }
    void OnUserChanged(TObject*) { ++UserChanged; }
};

// A form filled by the test container (PANEL) holding track bars of range 0..100.
struct TBarScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    explicit TBarScene(int width = 320, int height = 200)
    {
        SetCursorPos(0, 0);   // no hover from a mouse left over a bar by an earlier test
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, width, height);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, width, height);
        Panel->SetParent(Form.get());
    }
    TsTrackBar* Add(int x, int y, int w = 150, int h = 26, int position = 30)
    {
        auto* b = new TsTrackBar(Form.get());
        b->SetBounds(x, y, w, h);
        b->SetTickStyle(tsNone);
        b->SetRange(0, 100);
        b->SetPosition(position);
        b->SetTabStop(false);   // the normal state, not the focused one
        b->SetParent(Panel);
        return b;
    }
    void Show()
    {
        Form->Show();
        PumpFor(60);
    }
};

TPixelImage Cache(TsTrackBar* b)
{
    b->SkinData()->BGChanged = true;
    EXPECT_TRUE(b->PrepareCache());
    return ImageFromBitmap32(b->SkinData()->FCacheBmp);
}

void Click(TsTrackBar* b, TPoint at)
{
    const LPARAM lp = MAKELPARAM(at.x, at.y);
    SendMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, lp);
    SendMessageW(b->Handle(), WM_LBUTTONUP, 0, lp);
}

// ---- painting from the skin ---------------------------------------------------------------------

TEST(SkinTrackBar, ChannelProgressAndThumbArePaintedFromTheSkinWhereTheNativeBarHasThem)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20);
    b->SetShowProgress(true);
    b->SetShowProgressFrom(50);
    s.Show();
    ASSERT_TRUE(b->SkinData()->Skinned(true));
    ASSERT_EQ(b->SkinData()->SkinIndex, m->GetSkinIndex(L"TRACKBAR"));
    const TRect thumb = b->ThumbRect();
    ASSERT_GT(thumb.Height(), fs::ThumbH + 1);   // the image stands centred with room above
    const TRect channel = TacSkinChannelRect(b->ChannelRect(), true, fs::TrackPieceW, fs::TrackPieceH);
    ASSERT_EQ(channel.Height(), fs::TrackPieceH - 1);
    struct TPosCase {
        int Position;
        int FillFrom, FillTo;   // along the channel, in pixels from its left end
    };
    for (const TPosCase& c : {TPosCase{30, 30, 50}, TPosCase{70, 50, 70}}) {
        SCOPED_TRACE(c.Position);
        b->SetPosition(c.Position);
        const TRect t = b->ThumbRect();
        const TPixelImage img = Cache(b);
        const int len = channel.Width(), y = Centre(channel).y;
        const int from = channel.left + TacRoundEven(len * c.FillFrom / 100.0), to = channel.left + TacRoundEven(len * c.FillTo / 100.0);
        // Along the channel, outside the thumb: the fill between the start value and the position
        // (its ends rounded, so a pixel of slack there), the channel on either side of it.
        for (int x = channel.left; x < channel.right; ++x) {
            if ((x >= t.left && x < t.right) || std::abs(x - from) <= 1 || std::abs(x - to) <= 1) continue;
            const bool fill = x >= from && x < to;
            ASSERT_EQ(Rgb(img.At(x, y)), Flat(fill ? fs::TrackProgressColor : fs::TrackChannelColor)) << x;
        }
        // Across the channel: one pixel less than the image, the section above and below.
        EXPECT_EQ(Rgb(img.At(channel.left + 1, channel.top - 1)), Own(L"TRACKBAR", 0));
        EXPECT_EQ(Rgb(img.At(channel.left + 1, channel.bottom)), Own(L"TRACKBAR", 0));
        // The thumb: its image centred in the native thumb rectangle, in the normal state.
        const TPoint at = TacCentredImage(t, TSize(fs::ThumbW, fs::ThumbH));
        EXPECT_EQ(Rgb(img.At(at.x, at.y)), Flat(fs::TrackThumbColor(0)));
        EXPECT_EQ(Rgb(img.At(at.x + fs::ThumbW - 1, at.y + fs::ThumbH - 1)), Flat(fs::TrackThumbColor(0)));
        EXPECT_NE(Rgb(img.At(at.x, at.y - 1)), Flat(fs::TrackThumbColor(0)));
        EXPECT_NE(Rgb(img.At(at.x, at.y + fs::ThumbH)), Flat(fs::TrackThumbColor(0)));
    }
    // Named explicitly, the section's own images are used.
    b->SkinData()->SetSkinSection(L"TRACKBAR");
    {
        const TPoint at = TacCentredImage(b->ThumbRect(), TSize(fs::ThumbW, fs::ThumbH));
        EXPECT_EQ(Rgb(Cache(b).At(at.x, at.y)), Flat(fs::TrackThumbColor(0)));
    }
    // On screen as in the cache.
    b->SkinData()->Invalidate(false);
    PumpFor(60);
    const TPoint c = Centre(b->ThumbRect());
    EXPECT_EQ(uint32_t(testing_support::PixelAt(b->Handle(), c.x, c.y)), SwapRedBlue(Flat(fs::TrackThumbColor(0))));
}

TEST(SkinTrackBar, TheThumbShowsHoverAndPressAndTheReleaseFadesBackOnSteppedTime)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20);
    s.Show();
    ASSERT_TRUE(b->SkinData()->Skinned(true));
    TsCommonData* l = b->SkinData();
    // The thumb as the bar shows it now (its cache, not composed again).
    auto thumbShown = [&] {
        const TPoint c = Centre(b->ThumbRect());
        return Rgb(ImageFromBitmap32(l->FCacheBmp).At(c.x, c.y));
    };
    // A fade runs on the animation timer: its frames and one tick to stop (6 + 1 to hot, 3 + 1 to
    // pressed); it ends on the target look.
    auto fade = [&](int maxSteps) {
        ASSERT_NE(l->AnimTimer, nullptr);
        int steps = 0;
        while (l->AnimTimer->Enabled() && steps < 40) {
            ticks.Step(12);
            ++steps;
        }
        EXPECT_FALSE(l->AnimTimer->Enabled());
        EXPECT_LE(steps, maxSteps);
        PumpFor(20);
    };
    EXPECT_EQ(thumbShown(), Flat(fs::TrackThumbColor(0)));
    b->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(l->AnimTimer && l->AnimTimer->Enabled());
    fade(7);
    EXPECT_EQ(b->Mode(), 1);
    EXPECT_EQ(thumbShown(), Flat(fs::TrackThumbColor(1)));
    // A press inside the thumb shows it pressed (a fast fade) until the release.
    const TPoint c = Centre(b->ThumbRect());
    SendMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    EXPECT_TRUE(b->ThumbPressed());
    fade(4);
    EXPECT_EQ(b->Mode(), 2);
    EXPECT_EQ(thumbShown(), Flat(fs::TrackThumbColor(2)));
    // Leaving while held changes nothing.
    b->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(b->Mode(), 2);
    EXPECT_EQ(thumbShown(), Flat(fs::TrackThumbColor(2)));
    // Released over the bar: back to hot (the native control's end-of-move paint may show it at once).
    SetCursorPos(s.Form->Left() + b->Left() + c.x, s.Form->Top() + b->Top() + c.y);
    SendMessageW(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_FALSE(b->ThumbPressed());
    fade(7);
    EXPECT_EQ(thumbShown(), Flat(fs::TrackThumbColor(1)));
    // A press in the channel is no press of the thumb.
    SendMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->Width() - 4, c.y));
    EXPECT_FALSE(b->ThumbPressed());
    SendMessageW(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(b->Width() - 4, c.y));
}

// Ticks from the skin's tick image beside the thumb; a thumb pointing up is the image stretched to
// the thumb rectangle; a bitmap thumb replaces the image, drawn opaque when its alpha is empty.
TEST(SkinTrackBar, SkinTicksTheUpwardThumbAndABitmapThumb)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 200, 44, 50);
    b->SetRange(0, 10);
    b->SetPosition(5);
    b->SetTickStyle(tsAuto);
    b->SetShowProgressFrom(-3);
    EXPECT_EQ(b->ShowProgressFrom(), 0);
    b->SetShowProgressFrom(30);
    EXPECT_EQ(b->ShowProgressFrom(), 10);
    s.Show();
    ASSERT_TRUE(b->SkinData()->Skinned(true));
    {
        const TRect ch = b->ChannelRect(), t = b->ThumbRect();
        const std::vector<TPoint> ticks = b->TicksArray(ch);
        ASSERT_EQ(ticks.size(), 11u);
        const TPixelImage img = Cache(b);
        const int y = ch.bottom + (t.Height() - ch.Height()) / 2 + 2;   // below the thumb
        for (size_t i : {size_t(0), size_t(3), size_t(10)}) {
            // The image (1 wide) stands left of the tick's point.
            EXPECT_EQ(Rgb(img.At(ticks[i].x - 1, y + 1)), Flat(fs::TrackTickColor)) << i;
            EXPECT_NE(Rgb(img.At(ticks[i].x, y + 1)), Flat(fs::TrackTickColor)) << i;
        }
        // Pointing down: the image at its own size, centred.
        EXPECT_NE(Rgb(img.At(Centre(t).x, t.top)), Flat(fs::TrackThumbColor(0)));
    }
    // Pointing up: stretched over the whole thumb rectangle.
    b->SetTickMarks(tmTopLeft);
    PumpFor(30);
    {
        const TRect t = b->ThumbRect();
        const TPixelImage img = Cache(b);
        EXPECT_EQ(Rgb(img.At(Centre(t).x, t.top)), Flat(fs::TrackThumbColor(0)));
        EXPECT_EQ(Rgb(img.At(Centre(t).x, t.bottom - 1)), Flat(fs::TrackThumbColor(0)));
        EXPECT_EQ(Rgb(img.At(Centre(t).x, Centre(t).y)), Flat(fs::TrackThumbColor(0)));
    }
    // A 32-bit glyph with no alpha at all is drawn opaque, centred in the thumb.
    TBitmap glyph;
    glyph.SetPixelFormat(pf32bit);
    glyph.SetSize(5, 7);
    const TPixelView v = BitmapView(&glyph);
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) v.At(x, y) = 0x00204060u;
    b->SetThumbGlyph(&glyph);
    const TRect t = b->ThumbRect();
    const TPixelImage img = Cache(b);
    const TPoint at = TacCentredImage(t, TSize(5, 7));
    EXPECT_EQ(Rgb(img.At(at.x, at.y)), 0x204060u);
    EXPECT_EQ(Rgb(img.At(at.x + 4, at.y + 6)), 0x204060u);
    EXPECT_NE(Rgb(img.At(at.x + 5, at.y + 6)), 0x204060u);
}

// ---- direction, clicks and keys -----------------------------------------------------------------

TEST(SkinTrackBar, AReversedOrRightToLeftBarIsPaintedFromItsFarEnd)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* plain = s.Add(10, 10);
    TsTrackBar* reversed = s.Add(10, 50);
    reversed->SetReversed(true);
    TsTrackBar* rtl = s.Add(10, 90);
    rtl->SetParentBiDiMode(false);
    rtl->SetBiDiMode(bdRightToLeft);
    TsTrackBar* both = s.Add(10, 130);
    both->SetReversed(true);
    both->SetParentBiDiMode(false);
    both->SetBiDiMode(bdRightToLeft);
    for (TsTrackBar* b : {plain, reversed, rtl, both}) b->SetShowProgress(true);
    s.Show();
    const TRect t = plain->ThumbRect();
    const TRect mirrored = TacMirrorThumbRect(t, true, plain->Width(), plain->Height());
    ASSERT_NE(t, mirrored);
    EXPECT_TRUE(reversed->IsReversed());
    EXPECT_EQ(reversed->ThumbRect(), mirrored);
    EXPECT_EQ(rtl->ThumbRect(), mirrored);
    EXPECT_FALSE(both->IsReversed());
    EXPECT_EQ(both->ThumbRect(), t);
    // The fill runs from the right end to the thumb.
    const TRect channel = TacSkinChannelRect(reversed->ChannelRect(), true, fs::TrackPieceW, fs::TrackPieceH);
    const TPixelImage img = Cache(reversed);
    const int y = Centre(channel).y;
    EXPECT_EQ(Rgb(img.At(channel.right - 2, y)), Flat(fs::TrackProgressColor));
    EXPECT_EQ(Rgb(img.At(channel.left + 1, y)), Flat(fs::TrackChannelColor));
    const TPoint at = TacCentredImage(mirrored, TSize(fs::ThumbW, fs::ThumbH));
    EXPECT_EQ(Rgb(img.At(at.x + 1, at.y + 1)), Flat(fs::TrackThumbColor(0)));
    // A press on the painted thumb takes the native thumb (the mouse is mirrored for it).
    const TPoint c = Centre(reversed->ThumbRect());
    SendMessageW(reversed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    EXPECT_TRUE(reversed->ThumbPressed());
    SendMessageW(reversed->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(reversed->Position(), 30);
}

TEST(SkinTrackBar, PosByClickMovesTheThumbToTheClickAndCountsAsTheUsersChange)
{
    struct TCase {
        const char* Name;
        bool Reversed;
        int X;
    };
    for (const TCase& c : {TCase{"plain", false, 110}, TCase{"reversed", true, 110}, TCase{"reversed, near the start", true, 20}}) {
        SCOPED_TRACE(c.Name);
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TBarScene s;
        TsTrackBar* b = s.Add(20, 20, 150, 26, 10);
        b->SetReversed(c.Reversed);
        b->SetPosByClick(true);
        TEvents e;
        b->OnUserChange = Bind<&TEvents::OnUserChange>(&e);
        b->OnUserChanged = Bind<&TEvents::OnUserChanged>(&e);
        s.Show();
        const TRect ch = b->ChannelRect();
        const int nativeX = c.Reversed ? b->Width() - c.X : c.X;
        const int expected = TacPositionFromPoint(ch, true, TPoint(nativeX, 13), 0, 100, 10);
        ASSERT_NE(expected, 10);
        Click(b, TPoint(c.X, 13));
        // The native control then takes the press on or beside its thumb (a page step of 1 at most).
        EXPECT_NEAR(b->Position(), expected, 1);
        EXPECT_EQ(b->PageSize(), 1);
        EXPECT_GE(e.UserChange, 1);
        // The painted thumb stands under the click.
        const TRect t = b->ThumbRect();
        EXPECT_LE(t.left, c.X + 1);
        EXPECT_GE(t.right, c.X - 1);
    }
}

TEST(SkinTrackBar, UserEventsFireForKeysAndMouseButNotForCodeOrFromTheirOwnHandlers)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 150, 26, 50);
    TsTrackBar* r = s.Add(20, 60, 150, 26, 50);
    r->SetReversed(true);
    TEvents e, er;
    b->OnChange = Bind<&TEvents::OnChange>(&e);
    b->OnUserChange = Bind<&TEvents::OnUserChange>(&e);
    b->OnUserChanged = Bind<&TEvents::OnUserChanged>(&e);
    r->OnUserChange = Bind<&TEvents::OnUserChange>(&er);
    s.Show();
    auto key = [](TsTrackBar* bar, WPARAM vk) { SendMessageW(bar->Handle(), WM_KEYDOWN, vk, 0); };
    struct TKeyCase {
        const char* Name;
        WPARAM Key;
        int Position, UserChange, UserChanged;
    };
    const TKeyCase cases[] = {
        {"right arrow: a line step", VK_RIGHT, 51, 1, 1},
        {"page up", VK_PRIOR, 49, 1, 1},
        {"end: no changed event", VK_END, 100, 1, 0},
        {"home", VK_HOME, 0, 1, 0},
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        e = TEvents();
        key(b, c.Key);
        EXPECT_EQ(b->Position(), c.Position);
        EXPECT_EQ(e.UserChange, c.UserChange);
        EXPECT_EQ(e.UserChanged, c.UserChanged);
        EXPECT_EQ(e.Change, 1);
    }
    // Code: OnChange only.
    e = TEvents();
    b->SetPosition(40);
    EXPECT_EQ(e.Change, 1);
    EXPECT_EQ(e.UserChange + e.UserChanged, 0);
    // A handler that moves the bar again does not fire the events again.
    struct TReenter {
        TsTrackBar* Bar;
        int Calls = 0;
        void OnUserChange(TObject*)
        {
            ++Calls;
            SendMessageW(Bar->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
        }
    } re{b};
    b->OnUserChange = Bind<&TReenter::OnUserChange>(&re);
    key(b, VK_RIGHT);
    EXPECT_EQ(re.Calls, 1);
    EXPECT_EQ(b->Position(), 42);
    // Reversed: the right arrow moves the painted thumb right, toward the low end.
    const int before = r->ThumbRect().left;
    key(r, VK_RIGHT);
    EXPECT_EQ(r->Position(), 49);
    EXPECT_GT(r->ThumbRect().left, before);
    EXPECT_EQ(er.UserChange, 1);
}

// A reversed bar carries both direction styles while it is reversed. Its button messages end in
// the bar: the native control sees them mirrored, and OnMouseDown / OnMouseUp tell where the
// press really was (in the bar's own coordinates, as for any other control).
TEST(SkinTrackBar, AReversedBarTakesItsPressesItselfAndCarriesTheDirectionStyles)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 150, 26, 30);
    struct TMouse {
        int Downs = 0, Ups = 0;
        TPoint Down, Up;
        TMouseButton Button = mbRight;
        void OnDown(TObject*, TMouseButton button, TShiftState, int x, int y) { ++Downs, Down = TPoint(x, y), Button = button; }
        void OnUp(TObject*, TMouseButton, TShiftState, int x, int y) { ++Ups, Up = TPoint(x, y); }
    } mouse;
    b->OnMouseDown = Bind<&TMouse::OnDown>(&mouse);
    b->OnMouseUp = Bind<&TMouse::OnUp>(&mouse);
    s.Show();
    auto styles = [&] { return GetWindowLongPtrW(b->Handle(), GWL_STYLE) & (TBS_REVERSED | TBS_DOWNISLEFT); };
    EXPECT_EQ(styles(), 0);
    b->SetReversed(true);
    EXPECT_EQ(styles(), TBS_REVERSED | TBS_DOWNISLEFT);
    // A press beside the thumb: the native control pages towards the mirrored point.
    const TRect t = b->ThumbRect();
    const TPoint at(t.left - 20, 13);
    ASSERT_GT(at.x, b->ChannelRect().left);
    Click(b, at);
    EXPECT_EQ(mouse.Downs, 1);
    EXPECT_EQ(mouse.Ups, 1);
    EXPECT_EQ(mouse.Button, mbLeft);
    EXPECT_EQ(mouse.Down, at);
    EXPECT_EQ(mouse.Up, at);
    EXPECT_GT(b->Position(), 30);   // the painted thumb moved left, to the click
    b->SetReversed(false);
    EXPECT_EQ(styles(), 0);
    Click(b, TPoint(t.left - 20, 13));
    EXPECT_EQ(mouse.Downs, 2);
}

// Positioning by a click belongs to the skinned bar; the classic one pages as the native control does.
TEST(SkinTrackBar, PosByClickOnlyWhileSkinned)
{
    TManagerPtr m = UnskinnedManager(true);
    FormPtr form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(120, 120, 200, 60);
    auto* b = new TsTrackBar(form.get());
    b->SetBounds(10, 10, 150, 26);
    b->SetTickStyle(tsNone);
    b->SetRange(0, 100);
    b->SetPosition(10);
    b->SetPosByClick(true);
    b->SetParent(form.get());
    form->Show();
    PumpFor(60);
    ASSERT_FALSE(b->SkinData()->Skinned(true));
    Click(b, TPoint(130, 13));
    EXPECT_EQ(b->PageSize(), 2);
    EXPECT_EQ(b->Position(), 12);   // one page
}

// A bitmap given by the skin's animations is painted into the bar's window at the bar's offset;
// without one nothing is painted and the answer is 0.
TEST(SkinTrackBar, PaintFromBitmapCopiesTheGivenImage)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 150, 26, 30);
    s.Show();
    const TColor before = testing_support::PixelAt(b->Handle(), 5, 5);
    EXPECT_EQ(b->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmPaintFromBitmap), 0), 0);
    EXPECT_EQ(testing_support::PixelAt(b->Handle(), 5, 5), before);
    TBitmap red;
    red.SetPixelFormat(pf32bit);
    red.SetSize(150, 26);
    red.Canvas()->Brush()->SetColor(TColor(0x0000FF));
    red.Canvas()->FillRect(TRect(0, 0, 150, 26));
    EXPECT_EQ(b->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmPaintFromBitmap), reinterpret_cast<LPARAM>(&red)), 1);
    EXPECT_EQ(testing_support::PixelAt(b->Handle(), 5, 5), TColor(0x0000FF));
}

// Leaving the skin, the bar is made anew: the native control paints its own look from a fresh window.
TEST(SkinTrackBar, RemovingTheSkinRecreatesTheWindow)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 150, 26, 30);
    s.Show();
    HWND old = b->Handle();
    m->SetActive(false);
    PumpFor(30);
    EXPECT_FALSE(IsWindow(old));
    ASSERT_TRUE(b->HandleAllocated());
    EXPECT_EQ(b->Position(), 30);
}

// A form keyed by a colour reports the mouse leaving and entering at its see-through pixels: the
// bar takes no hover from it.
TEST(SkinTrackBar, NoHoverOnAColourKeyedForm)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* b = s.Add(20, 20, 150, 26, 30);
    b->SetAnimatEvents(0);
    s.Show();
    b->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_TRUE(b->SkinData()->FMouseAbove);
    b->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(b->SkinData()->FMouseAbove);
    HWND form = s.Form->Handle();
    SetWindowLongPtrW(form, GWL_EXSTYLE, GetWindowLongPtrW(form, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(form, RGB(255, 0, 255), 255, LWA_COLORKEY);
    b->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(b->SkinData()->FMouseAbove);
}

// ---- hints while a button is held ---------------------------------------------------------------

// A release on a bar used to restore the application's hints from a value it never saved (off):
// a press elsewhere released over a bar switched hints off for good. Only what the bar itself
// switched off is restored.
TEST(SkinTrackBar, AReleaseRestoresOnlyTheHintsThisBarSwitchedOff)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s;
    TsTrackBar* a = s.Add(20, 20);
    TsTrackBar* b = s.Add(20, 60);
    s.Show();
    ASSERT_TRUE(a->SkinData()->Skinned(true));
    const bool saved = Application->ShowHint();
    Application->SetShowHint(true);
    HintsSwitchedOff = false;
    const TPoint spot(140, 13);
    // A release without a press on this bar.
    SendMessageW(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(spot.x, spot.y));
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSwitchedOff);
    // A press on a bar: hints off until that bar's release.
    SendMessageW(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(spot.x, spot.y));
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_TRUE(HintsSwitchedOff);
    SendMessageW(a->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(spot.x, spot.y));
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSwitchedOff);
    // Switched off by another control's press: a press and release on this bar leave that alone.
    Application->SetShowHint(false);
    HintsSwitchedOff = true;
    Click(b, spot);
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_TRUE(HintsSwitchedOff);
    HintsSwitchedOff = false;
    Application->SetShowHint(true);
    // A press whose release never comes (the mouse captured elsewhere) gives the hints back.
    SendMessageW(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(spot.x, spot.y));
    EXPECT_FALSE(Application->ShowHint());
    SetCapture(b->Handle());
    ReleaseCapture();
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSwitchedOff);
    // Hints that were off stay off.
    Application->SetShowHint(false);
    Click(a, spot);
    EXPECT_FALSE(Application->ShowHint());
    EXPECT_FALSE(HintsSwitchedOff);
    Application->SetShowHint(saved);
}

// ---- without a skin -----------------------------------------------------------------------------

TEST(SkinTrackBar, WithoutASkinTheBarHasTheClassicLook)
{
    auto screen = [](TColor c) { return uint32_t(ColorToRGB(c)); };
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(120, 120, 200, 80);
        auto* b = new TsTrackBar(form.get());
        b->SetBounds(10, 10, 150, 30);
        b->SetTickStyle(tsAuto);
        b->SetRange(0, 10);
        b->SetPosition(7);
        b->SetShowProgress(true);
        b->SetParent(form.get());
        form->Show();
        PumpFor(60);
        ASSERT_FALSE(b->SkinData()->Skinned(true));
        HWND w = b->Handle();
        const TRect ch = b->ChannelRect(), t = b->ThumbRect();
        auto at = [&](int x, int y) { return uint32_t(testing_support::PixelAt(w, x, y)); };
        // A sunken well: shadow outside top-left, the window colour inside, the progress up to
        // the thumb in the highlight colour.
        EXPECT_EQ(at(ch.left + 3, ch.top), screen(clBtnShadow));
        EXPECT_EQ(at(ch.right - 1, ch.bottom - 1), screen(clBtnHighlight));
        EXPECT_EQ(at(ch.left + 3, ch.top + 1), screen(cl3DDkShadow));
        EXPECT_EQ(at(t.right + 3, Centre(ch).y), screen(clWindow));
        EXPECT_EQ(at(ch.left + 3, Centre(ch).y), screen(clHighlight));
        // A raised block for the thumb, button face inside.
        EXPECT_EQ(at(Centre(t).x, Centre(t).y), screen(clBtnFace));
        EXPECT_EQ(at(t.left, t.top + 3), screen(cl3DLight));
        EXPECT_EQ(at(t.right - 1, t.top + 3), screen(cl3DDkShadow));
        // Background and ticks (1 x 3 in the shadow colour below the bar).
        EXPECT_EQ(at(1, 1), screen(clBtnFace));
        const std::vector<TPoint> ticks = b->TicksArray(ch);
        ASSERT_EQ(ticks.size(), 11u);
        const int g = (t.Height() - ch.Height()) / 2 + 2;
        EXPECT_EQ(at(ticks[3].x, ch.bottom + g + 1), screen(clBtnShadow));
        EXPECT_EQ(at(ticks[3].x + 1, ch.bottom + g + 1), screen(clBtnFace));
        testing_support::SaveScreenshot(w, withManager ? L"track_bar_classic_inactive" : L"track_bar_classic");
    }
}

// ---- screenshots ---------------------------------------------------------------------------------

TEST(SkinTrackBar, ScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        TManagerPtr m = ManagerWithSkin(skin);
        TBarScene s(360, 220);
        auto add = [&](int x, int y, int w, int h, int pos) {
            TsTrackBar* b = s.Add(x, y, w, h, pos);
            b->SetShowProgress(true);
            return b;
        };
        add(10, 10, 240, 26, 30);
        TsTrackBar* from = add(10, 44, 240, 26, 75);
        from->SetShowProgressFrom(50);
        TsTrackBar* rev = add(10, 78, 240, 26, 30);
        rev->SetReversed(true);
        TsTrackBar* ticks = add(10, 112, 240, 40, 60);
        ticks->SetTickStyle(tsAuto);
        ticks->SetFrequency(10);
        TsTrackBar* hot = add(10, 160, 240, 26, 45);
        TsTrackBar* vert = add(290, 10, 40, 190, 40);
        vert->SetOrientation(trVertical);
        vert->SetBounds(290, 10, 40, 190);
        s.Show();
        ASSERT_TRUE(hot->SkinData()->Skinned(true));
        hot->SkinData()->FMouseAbove = true;
        hot->SkinData()->Invalidate(false);
        PumpFor(80);
        testing_support::SaveScreenshot(s.Form->Handle(), String(L"track_bar_") + (String(skin) == L"Dark" ? L"dark" : L"light"), true);
    }
}

}  // namespace
