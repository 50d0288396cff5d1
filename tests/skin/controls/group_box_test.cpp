// The skinned group box: the caption's geometry, the frame and caption composed into its cache
// over a skinned container with the fixture skin, its children's backgrounds taken from that
// cache, its paint rule for clipped paints, and the plain group box it stays without a skin; the
// caption's check box drawn by the box from the skin's check images (clicks, hot fade, children
// following it) and the standard check mark without a skin.
#include <gtest/gtest.h>

#include <memory>

#include "skin/controls/scheckbox.h"
#include "skin/controls/sgroupbox.h"
#include "skin/engine/anim_timer.h"
#include "skin/graphics/background.h"
#include "vcl/shellbind.h"
#include "tests/skin/controls/paint_checks.h"
#include "tests/skin/engine/engine_recorders.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;
using namespace paint_checks;

namespace {

// ---- caption geometry --------------------------------------------------------------------------

struct TCaptionCase {
    const char* Name;
    TacGroupCaptionInput In;
    TRect Caption, Text, Top;
    TRect Check = TRect(-1, -1, -1, -1), Glyph = TRect(-1, -1, -1, -1);   // -1: not checked
};

TacGroupCaptionInput Base(int width = 200, int textWidth = 40)
{
    TacGroupCaptionInput in;
    in.Width = width;
    in.TextWidth = textWidth;
    in.TextHeight = TacGroupCaptionTextHeight(13);   // 15: the caption area is 17 high
    in.Spacing = 4;
    return in;
}
template <class F> TacGroupCaptionInput With(F change, TacGroupCaptionInput in = Base())
{
    change(in);
    return in;
}

TEST(GroupBoxCaption, GeometryFollowsLayoutReadingOrderAndParts)
{
    const TCaptionCase cases[] = {
        {"left", Base(), {8, 0, 48, 17}, {8, 1, 48, 16}, {0, 0, 200, 8}},
        {"right", With([](auto& i) { i.Layout = clTopRight; }), {152, 0, 192, 17}, {152, 1, 192, 16}, {0, 0, 200, 8}},
        {"centre", With([](auto& i) { i.Layout = clTopCenter; }), {80, 0, 120, 17}, {80, 1, 120, 16}, {0, 0, 200, 8}},
        {"right under right-to-left goes left",
         With([](auto& i) { i.Layout = clTopRight, i.RightToLeftAlignment = i.RightToLeftReading = true; }),
         {8, 0, 48, 17}, {8, 1, 48, 16}, {0, 0, 200, 8}},
        {"left under right-to-left goes right",
         With([](auto& i) { i.RightToLeftAlignment = i.RightToLeftReading = true; }), {152, 0, 192, 17},
         {152, 1, 192, 16}, {0, 0, 200, 8}},
        {"fixed width centres the text", With([](auto& i) { i.CaptionWidth = 100; }), {8, 0, 108, 17},
         {38, 1, 78, 16}, {0, 0, 200, 8}},
        {"fixed width, right-to-left reading", With([](auto& i) { i.CaptionWidth = 100, i.RightToLeftReading = true; }),
         {8, 0, 108, 17}, {38, 1, 78, 16}, {0, 0, 200, 8}},
        {"negative offset lifts the caption", With([](auto& i) { i.CaptionYOffset = -4; }), {8, -4, 48, 13},
         {8, -5, 48, 10}, {0, 0, 200, 6}},
        {"margins", With([](auto& i) { i.Margin = TacCaptionMargin{5, 3, 2, 0}; }), {11, 3, 51, 20}, {11, 4, 51, 19},
         {0, 0, 200, 11}},
        {"empty caption widened by the bevel", Base(200, 0), {7, 0, 9, 17}, {7, 1, 7, 16}, {0, 0, 200, 8}},
        {"wider than the box", Base(30, 40), {8, 0, 29, 17}, {8, 1, 48, 16}, {0, 0, 30, 8}},
        {"check box", With([](auto& i) { i.CheckBox = true, i.CheckWidth = i.CheckHeight = 13; }), {8, 0, 65, 17},
         {25, 1, 65, 16}, {0, 0, 200, 8}, {8, 2, 21, 15}, {21, 8, 21, 8}},
        {"check box, right-to-left reading",
         With([](auto& i) { i.CheckBox = true, i.CheckWidth = i.CheckHeight = 13, i.RightToLeftReading = true; }),
         {8, 0, 65, 17}, {8, 1, 48, 16}, {0, 0, 200, 8}, {52, 2, 65, 15}, {52, 8, 52, 8}},
        {"image and text are spaced", With([](auto& i) { i.HasImage = true, i.ImageWidth = i.ImageHeight = 16; }),
         {8, 0, 68, 17}, {28, 1, 68, 16}, {0, 0, 200, 8}, {8, 8, 8, 8}, {8, 0, 24, 16}},
        {"image and text touch in right-to-left reading",
         With([](auto& i) { i.HasImage = true, i.ImageWidth = i.ImageHeight = 16, i.RightToLeftReading = true; }),
         {8, 0, 68, 17}, {12, 1, 52, 16}, {0, 0, 200, 8}, {68, 8, 68, 8}, {52, 0, 68, 16}},
    };
    for (const TCaptionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TacGroupCaption g = CalcGroupCaption(c.In);
        EXPECT_EQ(g.CaptionRect, c.Caption);
        EXPECT_EQ(g.TextRect, c.Text);
        EXPECT_EQ(g.TopRect, c.Top);
        if (c.Check.left >= 0) {
            EXPECT_EQ(g.CheckBoxRect, c.Check);
        }
        if (c.Glyph.left >= 0) {
            EXPECT_EQ(g.GlyphRect, c.Glyph);
        }
    }
}

// ---- skinned box in real windows ---------------------------------------------------------------

uint32_t Own(const wchar_t* section, int state) { return fs::Opaque(fs::StateColor(fs::SectionNumber(section), state)); }
uint32_t Slice(const wchar_t* section, int frame, int col, int row)
{
    return fs::Opaque(fs::SliceColor(fs::SectionNumber(section), frame, col, row));
}
uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }

// A form filled by the test container (PANEL) with a group box on it.
struct TBoxScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsGroupBox* Box = nullptr;

    explicit TBoxScene(const String& caption = L"Group")
    {
        Panel = FillWithTestPanel(Form.get(), 300, 200);
        Box = new TsGroupBox(Form.get());
        Box->SetBounds(20, 24, 220, 140);
        Box->SetCaption(caption);
        Box->SetParent(Panel);
    }
    void Show()
    {
        Form->Show();
        PumpFor(60);
    }
    TsCommonData* Link() const { return Box->SkinData(); }
    TPixelImage Cache() const { return ImageFromBitmap32(Link()->FCacheBmp); }
};

// The caption area of a box without a section of its own shows what lies behind the box.
uint32_t CaptionGround()
{
    return fs::SectionNumber(L"TRANSPARENT") >= 0 ? Own(L"TRANSPARENT", 0) : Own(L"PANEL", 0);
}

TEST(SkinGroupBox, FrameLiesBelowTheCaptionStripInItsNormalStateWhateverTheBoxsState)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"GROUPBOX"));

    struct TStateCase {
        const char* Name;
        bool Hot, Focused;
    };
    for (const TStateCase& c : {TStateCase{"normal", false, false}, TStateCase{"hot", true, false},
                                TStateCase{"focused", false, true}}) {
        SCOPED_TRACE(c.Name);
        s.Link()->FMouseAbove = c.Hot;
        s.Link()->FFocused = c.Focused;
        s.Link()->BGChanged = true;
        ASSERT_TRUE(s.Box->PrepareCache());
        const TacGroupCaption g = s.Box->CaptionGeometry();
        ASSERT_GT(g.TopRect.bottom, fs::Border);
        const TPixelImage cache = s.Cache();
        const int w = s.Box->Width(), h = s.Box->Height(), top = g.TopRect.bottom;
        // Above the frame line: the panel under the box, right of the caption.
        EXPECT_EQ(Rgb(cache.At(w - 10, top - 1)), Rgb(Own(L"PANEL", 0)));
        EXPECT_EQ(Rgb(cache.At(w - 10, 0)), Rgb(Own(L"PANEL", 0)));
        // The frame from TopRect down: border slices and the normal state's colour inside.
        EXPECT_EQ(Rgb(cache.At(w - 10, top)), Rgb(Slice(L"GROUPBOX", 0, 1, 0)));
        EXPECT_EQ(Rgb(cache.At(0, (top + h) / 2)), Rgb(Slice(L"GROUPBOX", 0, 0, 1)));
        EXPECT_EQ(Rgb(cache.At(w - 1, h - 1 - fs::KeyCorner)), Rgb(Slice(L"GROUPBOX", 0, 2, 2)));
        EXPECT_EQ(Rgb(cache.At(w / 2, (top + h) / 2)), Rgb(Own(L"GROUPBOX", 0)));
        // The see-through corner of the border shows the panel.
        EXPECT_EQ(Rgb(cache.At(0, top)), Rgb(Own(L"PANEL", 0)));
        // The caption is cut out of the frame line, and its text is drawn there.
        EXPECT_EQ(Rgb(cache.At(g.CaptionRect.left - 1, top)), Rgb(CaptionGround()));
        EXPECT_GT(BlackPixels(cache, g.TextRect), 5);
    }
    s.Link()->FMouseAbove = s.Link()->FFocused = false;

    // On screen as in the cache.
    s.Link()->Invalidate(false);
    PumpFor(60);
    const TacGroupCaption g = s.Box->CaptionGeometry();
    const TColor inside = testing_support::PixelAt(s.Box->Handle(), s.Box->Width() / 2, s.Box->Height() / 2);
    EXPECT_EQ(uint32_t(inside), SwapRedBlue(Rgb(Own(L"GROUPBOX", 0))));
    const TColor line = testing_support::PixelAt(s.Box->Handle(), s.Box->Width() - 10, g.TopRect.bottom);
    EXPECT_EQ(uint32_t(line), SwapRedBlue(Rgb(Slice(L"GROUPBOX", 0, 1, 0))));
}

// A child asking for its background gets the box's image under it, painted or described.
TEST(SkinGroupBox, ChildrenTakeTheirBackgroundFromTheBoxsCache)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    auto* inner = new TsGroupBox(s.Form.get());
    inner->SetBounds(6, 30, 120, 60);
    inner->SetCaption(L"Inner");
    inner->SetParent(s.Box);
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    const int top = s.Box->CaptionGeometry().TopRect.bottom;

    // Painted: a rectangle across the box's left border, copied from the cache at the child's place.
    TBitmap out;
    out.SetPixelFormat(pf32bit);
    out.SetSize(12, 10);
    TacBgQuery p;
    p.Offset = TPoint(0, top);
    p.DC = out.Canvas()->Handle();
    p.R = TRect(0, 0, 12, 10);
    GetControlBackground(p, s.Box, true);
    EXPECT_EQ(p.Kind, bgBitmap);
    const TPixelImage cache = s.Cache(), got = ImageFromBitmap32(&out);
    for (TPoint at : {TPoint(0, 3), TPoint(2, 5), TPoint(11, 9), TPoint(6, 0)})
        EXPECT_EQ(Rgb(got.At(at.x, at.y)), Rgb(cache.At(at.x, top + at.y))) << at.x << "," << at.y;
    EXPECT_EQ(Rgb(got.At(0, 5)), Rgb(Slice(L"GROUPBOX", 0, 0, 1)));

    // A nested box shows the outer box above its own frame line.
    ASSERT_TRUE(inner->SkinData()->Skinned(true));
    const TPixelImage innerCache = ImageFromBitmap32(inner->SkinData()->FCacheBmp);
    ASSERT_GT(innerCache.Width(), 0);
    EXPECT_EQ(Rgb(innerCache.At(inner->Width() - 5, 1)), Rgb(cache.At(inner->Left() + inner->Width() - 5, inner->Top() + 1)));
    EXPECT_EQ(Rgb(innerCache.At(inner->Width() - 5, 1)), Rgb(Own(L"GROUPBOX", 0)));
}

// With a section behind the caption the box answers for itself from its cache: a stale cache is
// composed first, a box that cannot compose one is not ready, and a painted question is painted.
// With a caption section of its own the box answers its children itself: its cache as it is, at
// the origin of its image; it neither composes a stale cache (in the middle of someone's painting)
// nor paints into the asker's DC.
TEST(SkinGroupBox, WithACaptionSkinTheBoxAnswersWithItsCacheAsItIs)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s(L"I");
    s.Box->SetCaptionSkin(L"BUTTON");
    s.Box->SetCaptionWidth(60);
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    const TacGroupCaption g = s.Box->CaptionGeometry();
    const TPixelImage cache = s.Cache();
    // The caption's section lies inside its border, left of the centred text.
    const int areaLeft = g.CaptionRect.left - s.Box->CaptionMargin()->Left();
    const TPoint inCaption(areaLeft + fs::Border + 1, g.CaptionRect.top + fs::Border + 1);
    EXPECT_EQ(Rgb(cache.At(inCaption.x, inCaption.y)), Rgb(Own(L"BUTTON", 0)));

    // The caption moves; nothing has painted since: the answer is the image as it was.
    s.Box->SetCaptionLayout(clTopRight);
    ASSERT_TRUE(s.Link()->BGChanged);
    TacBgQuery q;
    GetControlBackground(q, s.Box, false);
    EXPECT_EQ(q.Kind, bgBitmap);
    EXPECT_EQ(q.Bmp, s.Link()->FCacheBmp);
    EXPECT_EQ(q.Offset, TPoint());
    EXPECT_TRUE(s.Link()->BGChanged);
    EXPECT_EQ(Rgb(s.Cache().At(inCaption.x, inCaption.y)), Rgb(Own(L"BUTTON", 0)));

    // A query that asks to be painted gets the bitmap too; its DC stays as it was.
    TBitmap out;
    out.SetPixelFormat(pf32bit);
    out.SetSize(8, 6);
    FillDCRect(out.Canvas()->Handle(), TRect(0, 0, 8, 6), TColor(0x123456));
    TacBgQuery p;
    p.Offset = TPoint(g.CaptionRect.left, g.CaptionRect.top);
    p.DC = out.Canvas()->Handle();
    p.R = TRect(0, 0, 8, 6);
    GetControlBackground(p, s.Box, true);
    EXPECT_EQ(p.Kind, bgBitmap);
    EXPECT_EQ(p.Bmp, s.Link()->FCacheBmp);
    EXPECT_EQ(Rgb(ImageFromBitmap32(&out).At(3, 4)), Rgb(SwapRedBlue(0x123456u)));

    // A box with no image yet has nothing to give.
    TsGroupBox* fresh = new TsGroupBox(s.Form.get());
    fresh->SetCaptionSkin(L"BUTTON");
    fresh->SetBounds(10, 10, 60, 40);
    fresh->SetParent(s.Panel);
    fresh->HandleNeeded();
    ASSERT_TRUE(fresh->SkinData()->Skinned(true));
    TacBgQuery none;
    GetControlBackground(none, fresh, false);
    EXPECT_EQ(none.Kind, bgNotReady);
    EXPECT_EQ(none.Bmp, nullptr);
}

// Error clip: nothing. Empty clip with a child not aligned: wait for the update to end. Any other
// clip (an empty one with only aligned children too): paint.
TEST(SkinGroupBox, PaintsUnlessTheClipIsAnErrorAndNeverWaitsUnderAnEmptyClip)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    auto* child = new TPanel(s.Form.get());
    child->SetBounds(10, 40, 50, 30);
    child->SetParent(s.Box);
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));

    struct TClipCase {
        const char* Name;
        bool EmptyClip;
        TAlign ChildAlign;
        bool Paints, Waits;
    };
    const TClipCase cases[] = {
        {"simple clip", false, alNone, true, false},
        // Nothing of the box shows in an empty clip (a cover over it): no update to wait for.
        {"empty clip, unaligned child", true, alNone, true, false},
        {"empty clip, aligned child", true, alBottom, true, false},
    };
    for (const TClipCase& c : cases) {
        SCOPED_TRACE(c.Name);
        child->SetAlign(c.ChildAlign);
        PumpFor(30);
        const std::unique_ptr<TBitmap> target = PaintClipped(s.Box, c.EmptyClip);
        EXPECT_EQ(s.Link()->FUpdating, c.Waits);
        EXPECT_EQ(!s.Link()->BGChanged, c.Paints);
        if (!c.EmptyClip) {
            const int x = s.Box->Width() - 10, y = s.Box->Height() - 10;
            EXPECT_EQ(Rgb(BitmapView(target.get()).At(x, y)), Rgb(s.Cache().At(x, y)));
        }
    }
    child->SetAlign(alNone);
    ExpectTheWaitingControlPaintsWhenTheUpdateIsDone(s.Box);
    ExpectAnErrorClipDrawsNothing(s.Box);
}

// Without a manager, or with an inactive one, the box looks exactly like the standard group box.
TEST(SkinGroupBox, WithoutAnActiveSkinItIsTheStandardGroupBox)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        if (m) {
            ASSERT_FALSE(m->IsActive());
        }
        FormPtr form(new TForm(nullptr));
        PlaceForm(form.get(), 420, 160);
        auto* skinned = new TsGroupBox(form.get());
        skinned->SetBounds(10, 10, 190, 120);
        skinned->SetCaption(L"Steering");
        skinned->SetParent(form.get());
        auto* plain = new TGroupBox(form.get());
        plain->SetBounds(210, 10, 190, 120);
        plain->SetCaption(L"Steering");
        plain->SetParent(form.get());
        ExpectLooksLikeThePlainControl(form.get(), skinned, plain);
    }
}

// ---- the caption's check box ---------------------------------------------------------------------

uint32_t Glyph(int image, int frame) { return Rgb(fs::Opaque(fs::GlyphColor(image, frame))); }
TPoint Mid(const TRect& r) { return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
// Inside the check image, clear of its key-colour top-left pixel.
TPoint InGlyph(TsGroupBox* b) { return Mid(b->CaptionGeometry().CheckBoxRect); }
uint32_t CachedAt(TsGroupBox* b, TPoint p) { return Rgb(ImageFromBitmap32(b->SkinData()->FCacheBmp).At(p.x, p.y)); }
uint32_t ScreenAt(TsGroupBox* b, TPoint p) { return SwapRedBlue(uint32_t(testing_support::PixelAt(b->Handle(), p.x, p.y))); }
LPARAM At(TPoint p) { return MAKELPARAM(p.x, p.y); }

struct TCheckEvents {
    TsGroupBox* Box = nullptr;
    int Changes = 0;
    bool Seen = false;   // Checked as the handler saw it
    void Changed(TObject*)
    {
        ++Changes;
        Seen = Box->Checked();
    }
};

// A box with its caption check box on the test container, checked or not.
struct TCheckScene : TBoxScene {
    explicit TCheckScene(bool checked = false, const String& caption = L"Damper") : TBoxScene(caption)
    {
        Box->SetCheckBoxVisible(true);
        Box->SetChecked(checked);
        Show();
    }
};

TEST(SkinGroupBox, CaptionCheckBoxIsTheSkinsCheckImageWhereverTheCaptionLies)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    // No window of its own: the box draws it.
    EXPECT_EQ(GetWindow(s.Box->Handle(), GW_CHILD), nullptr);
    // Worked by the mouse: no tab stop of its own.
    EXPECT_FALSE(s.Box->TabStop());

    struct TCase {
        const char* Name;
        TsCaptionLayout Layout;
        bool RightToLeft;
        bool Checked;
    };
    const TCase cases[] = {
        {"left, unchecked", clTopLeft, false, false},   {"left, checked", clTopLeft, false, true},
        {"centre, checked", clTopCenter, false, true},  {"right, unchecked", clTopRight, false, false},
        {"left under right-to-left, checked", clTopLeft, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        s.Box->SetCaptionLayout(c.Layout);
        s.Box->SetBiDiMode(c.RightToLeft ? bdRightToLeft : bdLeftToRight);
        s.Box->SetChecked(c.Checked);
        PumpFor(40);
        const TacGroupCaption g = s.Box->CaptionGeometry();
        // The fixture's check images are 16 x 16, at the caption's reading start.
        EXPECT_EQ(g.CheckBoxRect.Width(), 16);
        EXPECT_EQ(g.CheckBoxRect.Height(), 16);
        EXPECT_EQ(c.RightToLeft ? g.CheckBoxRect.right : g.CheckBoxRect.left,
                  c.RightToLeft ? g.CaptionRect.right : g.CaptionRect.left);
        const uint32_t want = Glyph(c.Checked ? 1 : 0, 0);
        const TRect r = g.CheckBoxRect;
        EXPECT_EQ(CachedAt(s.Box, Mid(r)), want);
        EXPECT_EQ(CachedAt(s.Box, TPoint(r.right - 1, r.bottom - 1)), want);
        EXPECT_EQ(CachedAt(s.Box, TPoint(r.left, r.top)), Rgb(CaptionGround()));   // the key-colour pixel
        EXPECT_EQ(ScreenAt(s.Box, Mid(r)), want);
        // The caption's text is drawn by the box next to the image.
        EXPECT_GT(BlackPixels(s.Cache(), g.TextRect), 5);
        EXPECT_TRUE(c.RightToLeft ? g.TextRect.right < r.left : g.TextRect.left > r.right);
    }
}

// A click on the glyph or the caption's text toggles the box once and tells the handler once; a
// press released elsewhere, or a click on the frame, does nothing. Held, the glyph is pressed.
TEST(SkinGroupBox, ClickOnTheCaptionCheckBoxTogglesItOnce)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    TCheckEvents e{s.Box};
    s.Box->OnCheckBoxChanged = Bind<&TCheckEvents::Changed>(&e);
    const TacGroupCaption g = s.Box->CaptionGeometry();
    const TPoint glyph = Mid(g.CheckBoxRect), text = Mid(g.TextRect), inside(s.Box->Width() / 2, s.Box->Height() / 2);

    struct TClick {
        const char* Name;
        TPoint Down, Up;
        bool Toggles;
    };
    const TClick clicks[] = {
        {"on the glyph", glyph, glyph, true},
        {"on the caption's text", text, text, true},
        {"released in the frame", glyph, inside, false},
        {"in the frame", inside, inside, false},
    };
    for (const TClick& c : clicks) {
        SCOPED_TRACE(c.Name);
        e.Changes = 0;
        const bool before = s.Box->Checked();
        HWND wnd = s.Box->Handle();
        SendMessageW(wnd, WM_MOUSEMOVE, 0, At(c.Down));
        SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(c.Down));
        const bool onCaption = c.Down == glyph || c.Down == text;
        EXPECT_EQ(s.Box->CheckPressed(), onCaption);
        if (onCaption) {
            // Pressed at once, in the cache and on the screen.
            EXPECT_EQ(CachedAt(s.Box, glyph), Glyph(before ? 1 : 0, 2));
            EXPECT_EQ(ScreenAt(s.Box, glyph), Glyph(before ? 1 : 0, 2));
        }
        SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, At(c.Up));
        SendMessageW(wnd, WM_LBUTTONUP, 0, At(c.Up));
        PumpFor(30);
        EXPECT_FALSE(s.Box->CheckPressed());
        EXPECT_EQ(s.Box->Checked(), c.Toggles ? !before : before);
        EXPECT_EQ(e.Changes, c.Toggles ? 1 : 0);
        if (c.Toggles) {
            EXPECT_EQ(e.Seen, !before);
            // Released over it: the new image, hot.
            EXPECT_EQ(CachedAt(s.Box, glyph), Glyph(before ? 0 : 1, 1));
        }
        SendMessageW(wnd, WM_MOUSEMOVE, 0, At(inside));
    }
    // In code: once per change.
    e.Changes = 0;
    const bool now = s.Box->Checked();
    s.Box->SetChecked(!now);
    s.Box->SetChecked(!now);
    EXPECT_EQ(e.Changes, 1);
    PumpFor(40);
    EXPECT_EQ(CachedAt(s.Box, glyph), Glyph(now ? 0 : 1, 0));
}

// The caption's check box is the mouse's: a right press does not press it, and the space bar on
// the focused box leaves it alone.
TEST(SkinGroupBox, OnlyTheLeftButtonWorksTheCaptionCheckBox)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s(true);
    TCheckEvents e{s.Box};
    s.Box->OnCheckBoxChanged = Bind<&TCheckEvents::Changed>(&e);
    HWND wnd = s.Box->Handle();
    const TPoint glyph = InGlyph(s.Box);
    SendMessageW(wnd, WM_RBUTTONDOWN, MK_RBUTTON, At(glyph));
    EXPECT_FALSE(s.Box->CheckPressed());
    SendMessageW(wnd, WM_RBUTTONUP, 0, At(glyph));
    s.Box->SetFocus();
    PumpFor(30);
    SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(s.Box->CheckPressed());
    SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0);
    PumpFor(30);
    EXPECT_TRUE(s.Box->Checked());
    EXPECT_EQ(e.Changes, 0);
}

// The caption's margins are an object of their own: a change lays the caption out again.
TEST(SkinGroupBox, ChangingAMarginMovesTheCaption)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    s.Show();
    const TRect before = s.Box->CaptionGeometry().CaptionRect;
    s.Link()->BGChanged = false;
    s.Box->CaptionMargin()->SetLeft(12);
    EXPECT_EQ(s.Box->CaptionGeometry().CaptionRect.left, before.left + 10);
    EXPECT_TRUE(s.Link()->BGChanged);
    s.Link()->BGChanged = false;
    s.Box->CaptionMargin()->SetTop(5);
    EXPECT_EQ(s.Box->CaptionGeometry().CaptionRect.top, before.top + 5);
    EXPECT_TRUE(s.Link()->BGChanged);
}

// The bounds the box tells about (for outer effects) are those of its frame: from the middle of
// the caption line down, from the top when the caption is raised above its margin.
TEST(SkinGroupBox, ItsBoundsAreTheVisibleFrame)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    s.Show();
    struct TCase {
        const char* Name;
        int YOffset, MarginTop;
        bool FromTop;
    };
    for (const TCase& c : {TCase{"plain", 0, 0, false}, TCase{"lower margin", 4, 3, false}, TCase{"raised", -3, 0, true}}) {
        SCOPED_TRACE(c.Name);
        s.Box->SetCaptionYOffset(c.YOffset);
        s.Box->CaptionMargin()->SetTop(c.MarginTop);
        TRect r;
        s.Box->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmGetBounds), reinterpret_cast<LPARAM>(&r));
        const int top = c.FromTop ? 0 : c.MarginTop + s.Box->CaptionGeometry().CaptionHeight / 2;
        EXPECT_EQ(r, TRect(20, 24 + top, 240, 164));
    }
}

// Aligned children start below the caption moved by CaptionYOffset.
TEST(SkinGroupBox, CaptionYOffsetMovesTheChildrensArea)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    auto* child = new TPanel(s.Form.get());
    child->SetAlign(alTop);
    child->SetHeight(20);
    child->SetParent(s.Box);
    s.Show();
    const int top = child->Top();
    s.Box->SetCaptionYOffset(6);
    EXPECT_EQ(child->Top(), top + 6);
    s.Box->SetCaptionYOffset(-2);
    EXPECT_EQ(child->Top(), top - 2);
}

// Disabled, only the caption fades into what lies behind the box; the frame keeps its look.
TEST(SkinGroupBox, ADisabledBoxFadesItsCaptionOnly)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s(true);
    const TPoint glyph = InGlyph(s.Box), inside(s.Box->Width() / 2, s.Box->Height() / 2);
    const TPixelImage enabled = s.Cache();
    s.Box->SetEnabled(false);
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Box->PrepareCache());
    const TPixelImage disabled = s.Cache();
    EXPECT_EQ(Rgb(disabled.At(inside.x, inside.y)), Rgb(enabled.At(inside.x, inside.y)));
    EXPECT_NE(Rgb(disabled.At(glyph.x, glyph.y)), Rgb(enabled.At(glyph.x, glyph.y)));
    EXPECT_NE(Rgb(disabled.At(glyph.x, glyph.y)), CaptionGround());
}

// An image of the box's list sits in the caption before the text, the spacing apart.
TEST(SkinGroupBox, TheCaptionShowsItsImage)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBoxScene s;
    TImageList images(s.Form.get());
    images.SetWidth(16);
    images.SetHeight(16);
    TBitmap red;
    red.SetPixelFormat(pf24bit);
    red.SetSize(16, 16);
    red.Canvas()->Brush()->SetColor(fs::Rgb(220, 20, 20));
    red.Canvas()->FillRect(TRect(0, 0, 16, 16));
    images.Add(&red, nullptr);
    s.Show();
    const TRect textBefore = s.Box->CaptionGeometry().TextRect;
    s.Box->SetImages(&images);
    s.Box->SetImageIndex(0);
    const TacGroupCaption g = s.Box->CaptionGeometry();
    EXPECT_EQ(g.GlyphRect.Width(), 16);
    EXPECT_EQ(g.TextRect.left, g.GlyphRect.right + s.Link()->ResolveSkinData()->Spacing);
    EXPECT_GT(g.TextRect.left, textBefore.left);
    const TPoint mid = Mid(g.GlyphRect);
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Box->PrepareCache());
    EXPECT_EQ(CachedAt(s.Box, mid), Rgb(fs::Opaque(fs::Rgb(220, 20, 20))));
    s.Box->SetImageIndex(5);   // no such image: none shown, the text goes back
    EXPECT_EQ(s.Box->CaptionGeometry().TextRect, textBefore);
}

// Moving onto the caption fades the glyph to its hot frame in six steps of the stepped clock,
// moving off fades it back in eighteen (the schedule of the tab fade).
TEST(SkinGroupBox, HoveringTheCaptionFadesTheCheckBoxHotAndBack)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_TRUE(m->Effects()->AllowAnimation);
    TManualTicks ticks;
    TCheckScene s;
    ASSERT_TRUE(s.Link()->Skinned(true));
    const TPoint glyph = InGlyph(s.Box), away(s.Box->Width() / 2, s.Box->Height() / 2);
    ASSERT_EQ(CachedAt(s.Box, glyph), Glyph(0, 0));
    // Weight w (0..255) of To over From, per channel, within 2.
    auto expectMix = [&](uint32_t from, uint32_t to, int w, int frame) {
        for (uint32_t got : {CachedAt(s.Box, glyph), ScreenAt(s.Box, glyph)})
            for (int k = 0; k < 24; k += 8) {
                const int f = int(from >> k & 0xFF), t = int(to >> k & 0xFF);
                EXPECT_NEAR(int(got >> k & 0xFF), (f * (255 - w) + t * w) / 255, 2) << "frame " << frame;
            }
    };

    struct TFade {
        const char* Name;
        TPoint To;
        int State;
        uint32_t From, Target;
        int Frames;
    };
    const TFade fades[] = {{"in", glyph, 1, Glyph(0, 0), Glyph(0, 1), 6}, {"out", away, 0, Glyph(0, 1), Glyph(0, 0), 18}};
    TacTabFade schedule;
    for (const TFade& f : fades) {
        SCOPED_TRACE(f.Name);
        SendMessageW(s.Box->Handle(), WM_MOUSEMOVE, 0, At(f.To));
        EXPECT_EQ(s.Box->CheckHot(), f.State == 1);
        int w = schedule.Start(schedule.RemainingSteps(), false, f.State);
        EXPECT_LT(w, 255);
        expectMix(f.From, f.Target, w, 0);
        int frames = 0;
        while ((w = schedule.Tick()) >= 0) {
            ticks.Step(TabFadeInterval);
            expectMix(f.From, f.Target, w, ++frames);
        }
        EXPECT_EQ(frames, f.Frames);
        ticks.Step(TabFadeInterval);
        EXPECT_EQ(CachedAt(s.Box, glyph), f.Target);
        EXPECT_EQ(ScreenAt(s.Box, glyph), f.Target);
    }
}

// The box's children follow its check box as AutoChildrenStates says, nested ones too.
TEST(SkinGroupBox, AutoChildrenStatesEnablesTheChildrenByTheCheckBox)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TCheckScene s(true);
    auto* inner = new TPanel(s.Form.get());
    inner->SetBounds(10, 30, 120, 60);
    inner->SetParent(s.Box);
    auto* nested = new TCheckBox(s.Form.get());
    nested->SetBounds(4, 4, 80, 20);
    nested->SetParent(inner);
    auto* label = new TLabel(s.Form.get());
    label->SetBounds(140, 30, 40, 16);
    label->SetParent(s.Box);

    struct TCase {
        const char* Name;
        TacChangeState Mode;
        bool Checked;
        bool Enabled;
    };
    const TCase cases[] = {
        {"as checked, checked", csAsChecked, true, true},
        {"as checked, unchecked", csAsChecked, false, false},
        {"as not checked, checked", csAsNotChecked, true, false},
        {"as not checked, unchecked", csAsNotChecked, false, true},
        {"none, unchecked", csNone, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (TControl* child : {static_cast<TControl*>(inner), static_cast<TControl*>(nested), static_cast<TControl*>(label)})
            child->SetEnabled(true);
        s.Box->SetAutoChildrenStates(c.Mode);
        s.Box->SetChecked(!c.Checked);
        for (TControl* child : {static_cast<TControl*>(inner), static_cast<TControl*>(nested), static_cast<TControl*>(label)})
            child->SetEnabled(true);
        s.Box->SetChecked(c.Checked);
        EXPECT_EQ(inner->Enabled(), c.Enabled);
        EXPECT_EQ(nested->Enabled(), c.Enabled);
        EXPECT_EQ(label->Enabled(), c.Enabled);
    }
    // A click on the caption works the same way.
    s.Box->SetAutoChildrenStates(csAsChecked);
    s.Box->SetChecked(true);
    const TPoint glyph = InGlyph(s.Box);
    SendMessageW(s.Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(glyph));
    SendMessageW(s.Box->Handle(), WM_LBUTTONUP, 0, At(glyph));
    EXPECT_FALSE(s.Box->Checked());
    EXPECT_FALSE(nested->Enabled());
}

// Without an active skin the caption's check box is the standard check box before the caption,
// drawn by the box: the visual style's (16 x 16) when one is in use, else the classic check mark
// (13 x 13); it toggles by click as skinned.
TEST(SkinGroupBox, WithoutAnActiveSkinTheCaptionCheckBoxIsTheStandardCheckMark)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        FormPtr form(new TForm(nullptr));
        PlaceForm(form.get(), 220, 140);
        auto* box = new TsGroupBox(form.get());
        box->SetBounds(10, 10, 190, 110);
        box->SetCaption(L"Damper");
        box->SetCheckBoxVisible(true);
        box->SetParent(form.get());
        TCheckEvents e{box};
        box->OnCheckBoxChanged = Bind<&TCheckEvents::Changed>(&e);
        form->Show();
        PumpFor(60);
        ASSERT_FALSE(box->SkinData()->Skinned(true));
        EXPECT_EQ(GetWindow(box->Handle(), GW_CHILD), nullptr);
        const TRect r = box->CaptionGeometry().CheckBoxRect;
        const bool styled = VisualStyleActive();
        ASSERT_EQ(r.Width(), styled ? 16 : 13);
        // The check box drawn by the system for that state, pixel for pixel.
        auto expectMark = [&](bool checked) {
            TBitmap mark;
            mark.SetPixelFormat(pf32bit);
            mark.SetSize(r.Width(), r.Height());
            RECT mr{0, 0, r.Width(), r.Height()};
            if (styled) {
                // Over the box's colour, hot (the mouse was last over it) when not pressed.
                FillDCRect(mark.Canvas()->Handle(), TRect(0, 0, r.Width(), r.Height()), box->Color());
                const int look = box->CheckHot() ? 2 : 1;
                EXPECT_TRUE(DrawThemePartBound(box->Handle(), L"BUTTON", 3, look + (checked ? 4 : 0), mark.Canvas()->Handle(), mr));
            } else {
                DrawFrameControl(mark.Canvas()->Handle(), &mr, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0u));
            }
            RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            auto shot = testing_support::CaptureWindow(box->Handle());
            int differ = 0;
            for (int y = 0; y < r.Height(); ++y)
                for (int x = 0; x < r.Width(); ++x)
                    differ += testing_support::PixelAt(*shot, r.left + x, r.top + y) != testing_support::PixelAt(mark, x, y);
            EXPECT_EQ(differ, 0) << (checked ? "checked" : "unchecked");
            return testing_support::PixelAt(*shot, r.left + r.Width() / 2, r.top + r.Height() / 2);
        };
        const TColor unchecked = expectMark(false);
        SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Mid(r)));
        SendMessageW(box->Handle(), WM_LBUTTONUP, 0, At(Mid(r)));
        PumpFor(30);
        EXPECT_TRUE(box->Checked());
        EXPECT_EQ(e.Changes, 1);
        EXPECT_NE(expectMark(true), unchecked);
        // The caption line stays where the standard group box writes it.
        const TacGroupCaption g = box->CaptionGeometry();
        EXPECT_GE(g.CheckBoxRect.top, 0);
        EXPECT_LE(g.CheckBoxRect.top, 2);
    }
}

TEST(SkinGroupBox, CaptionCheckBoxScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        FormPtr form(new TForm(nullptr));
        TTestSkinPanel* panel = FillWithTestPanel(form.get(), 400, 130);
        const wchar_t* captions[] = {L"Damper", L"Log to File"};
        TsGroupBox* boxes[2] = {};
        for (int i = 0; i < 2; ++i) {
            auto* b = new TsGroupBox(form.get());
            b->SetCaption(captions[i]);
            b->SetBounds(8 + 196 * i, 8, 188, 110);
            b->SetParent(panel);
            b->SetCheckBoxVisible(true);
            b->SetAutoChildrenStates(csAsChecked);
            auto* child = new TsCheckBox(form.get());
            child->SetCaption(L"Inside");
            child->SetBounds(12, 30, 120, 20);
            child->SetParent(b);
            boxes[i] = b;
        }
        boxes[0]->SetChecked(true);
        boxes[1]->SetChecked(true);
        boxes[1]->SetChecked(false);
        form->Show();
        PumpFor(80);
        ASSERT_TRUE(boxes[0]->SkinData()->Skinned(true));
        EXPECT_GT(boxes[0]->CaptionGeometry().CheckBoxRect.Width(), 0);
        testing_support::SaveScreenshot(form->Handle(), String(L"group_box_check_") + skin, true);
    }
}

}  // namespace
