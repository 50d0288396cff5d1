// The skinned bit button in real windows: its face from "BUTTON" of the fixture skin by state,
// the glyph (flat colour cells, so every pixel is known) placed by layout, margin and alignment
// and shifted while pressed, the disabled cell of a glyph strip, clicks and ModalResult as the
// standard bit button's, the plain owner-drawn look without a skin, the border over or under the
// content, the pressed flash of a quick click. Dark and Light screenshots.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skin/controls/sbitbtn.h"
#include "skin/controls/scharimagelist.h"
#include "skin/controls/spagecontrol.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "tests/skin/controls/button_scene.h"

namespace fs = fixture_skin;
using namespace button_scene;
using testing_support::PumpFor;

namespace {

constexpr TColor Red = fs::Rgb(200, 30, 40), Green = fs::Rgb(30, 180, 60), Blue = fs::Rgb(40, 50, 210);
constexpr TColor Key = fs::Rgb(255, 0, 255);

// A strip of 16 x 16 cells, one flat colour each, every cell's bottom-left pixel the key colour.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colors)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(16 * int(colors.size()), 16);
    int i = 0;
    for (TColor c : colors) {
        FillDCRect(b->Canvas()->Handle(), TRect(16 * i, 0, 16 * i + 16, 16), c);
        b->Canvas()->SetPixels(16 * i, 15, Key);
        ++i;
    }
    return b;
}

// One bit button of 100 x 40 with a red glyph.
struct TScene : TButtonScene<TScene, TBitBtn> {
    template <class TContainer, class TButtonClass>
    static std::unique_ptr<TScene> Make(int x = 120, const String& caption = L"Go")
    {
        return TButtonScene::Make<TContainer, TButtonClass>(x, caption, 40, [](TScene& s) {
            auto glyph = Strip({Red});
            s.Button->SetGlyph(glyph.get());
        });
    }
    TsBitBtn* Skinned() const { return static_cast<TsBitBtn*>(Button); }
    void Repaint()
    {
        Skinned()->SkinData()->Invalidate(true);
        PumpFor(30);
    }
};

std::unique_ptr<TScene> SkinnedScene(int x = 120) { return TScene::Make<TTestSkinPanel, TsBitBtn>(x); }

// Every pixel of r is the colour (the key pixel at the bottom-left excepted), and the ring
// around it is not.
void ExpectGlyphAt(TsBitBtn* b, const TRect& r, TColor color, const char* what)
{
    int wrong = 0, outsideSame = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (!(x == r.left && y == r.bottom - 1)) wrong += Cached(b, x, y) != Px(color);
    for (int x = r.left - 1; x <= r.right; ++x) {
        outsideSame += Cached(b, x, r.top - 1) == Px(color);
        outsideSame += Cached(b, x, r.bottom) == Px(color);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        outsideSame += Cached(b, r.left - 1, y) == Px(color);
        outsideSame += Cached(b, r.right, y) == Px(color);
    }
    EXPECT_EQ(wrong, 0) << what;
    EXPECT_EQ(outsideSame, 0) << what;
}

}  // namespace

// The face on the screen in each state, hot after the fade, pressed while held.
TEST(BitBtn, FaceOfEachStateOnTheFixtureSkin)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    const int x = 6, y = 6;   // inside the border, clear of glyph and caption
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(0));
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    EXPECT_EQ(b->CurrentState(), 1);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(1));
    s->Send(WM_LBUTTONDOWN, MK_LBUTTON);
    Settle(ticks);
    EXPECT_EQ(b->CurrentState(), 2);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(2));
    s->Send(WM_LBUTTONUP);
    Settle(ticks);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(1));
    EXPECT_EQ(s->Clicks, 1);
    // Latched down: pressed without the mouse.
    s->Button->Perform(CM_MOUSELEAVE, 0, 0);
    Settle(ticks);
    b->SetDown(true);
    s->Repaint();
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(2));
}

// The glyph lands in ImgRect, whole and alone; the caption sits beside it by the layout; a
// margin with left alignment puts it at the margin; pressed it moves (1, 1) when the skin shifts
// content on a click.
TEST(BitBtn, GlyphPlacedByLayout)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    struct Case {
        TButtonLayout layout;
        const char* what;
    } cases[] = {{blGlyphLeft, "left"}, {blGlyphRight, "right"}, {blGlyphTop, "top"}, {blGlyphBottom, "bottom"}};
    for (const Case& c : cases) {
        b->SetLayout(c.layout);
        s->Repaint();
        const TRect g = b->ImgRect(), t = b->CaptionRect();
        ASSERT_EQ(g.Width(), 16) << c.what;
        ASSERT_GT(t.Width(), 0) << c.what;
        ExpectGlyphAt(b, g, Red, c.what);
        switch (c.layout) {
        case blGlyphLeft: EXPECT_EQ(g.right + b->Spacing(), t.left) << c.what; break;
        case blGlyphRight: EXPECT_EQ(t.right + b->Spacing(), g.left) << c.what; break;
        case blGlyphTop: EXPECT_EQ(g.bottom + b->Spacing(), t.top) << c.what; break;
        case blGlyphBottom: EXPECT_EQ(t.bottom + b->Spacing(), g.top) << c.what; break;
        }
        // Glyph and caption as a block are centred.
        const int blockLeft = std::min(g.left, t.left), blockRight = std::max(g.right, t.right);
        EXPECT_LE(std::abs(blockLeft - (100 - blockRight)), 1) << c.what;
    }

    // No caption: the glyph alone, centred.
    b->SetLayout(blGlyphLeft);
    b->SetShowCaption(false);
    s->Repaint();
    EXPECT_EQ(b->ImgRect().left, 42);
    EXPECT_EQ(b->ImgRect().top, 12);
    ExpectGlyphAt(b, b->ImgRect(), Red, "alone");

    b->SetShowCaption(true);
    b->SetMargin(5);
    b->SetAlignment(taLeftJustify);
    s->Repaint();
    EXPECT_EQ(b->ImgRect().left, 5);
    ExpectGlyphAt(b, b->ImgRect(), Red, "margin 5");

    // Text offset: the caption moves along the layout's axis.
    b->SetLayout(blGlyphTop);
    s->Repaint();
    const TRect before = b->CaptionRect();
    b->SetTextOffset(4);
    s->Repaint();
    EXPECT_EQ(b->CaptionRect().top, before.top + 4);
    EXPECT_EQ(b->CaptionRect().left, before.left);

    m->ButtonsOptions()->ShiftContentOnClick = true;
    b->SetLayout(blGlyphLeft);
    b->SetTextOffset(0);
    s->Repaint();
    const TRect rest = b->ImgRect();
    b->SetDown(true);
    s->Repaint();
    EXPECT_EQ(b->ImgRect().left, rest.left + 1);
    EXPECT_EQ(b->ImgRect().top, rest.top + 1);
    ExpectGlyphAt(b, b->ImgRect(), Red, "pressed");
}

// A strip of up, disabled and down cells: each look draws its cell. Disabled with the blended
// look the glyph is no longer its own colour.
TEST(BitBtn, GlyphCellsByStateAndTheDisabledLook)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    m->Options()->SetStdGlyphsOrder(false);
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    auto strip = Strip({Red, Green, Blue});
    b->SetGlyph(strip.get());
    b->SetNumGlyphs(3);
    b->SetDisabledKind(0);
    s->Repaint();
    ExpectGlyphAt(b, b->ImgRect(), Red, "up");
    b->SetDown(true);
    s->Repaint();
    ExpectGlyphAt(b, b->ImgRect(), Blue, "down");
    b->SetDown(false);
    b->SetEnabled(false);
    s->Repaint();
    ExpectGlyphAt(b, b->ImgRect(), Green, "disabled");

    b->SetDisabledKind(dkBlended);
    s->Repaint();
    const TRect g = b->ImgRect();
    const uint32_t px = Cached(b, g.left + 8, g.top + 8);
    EXPECT_NE(px, Px(Green));
    EXPECT_NE(px, Face(0));
}

// A Default button keeps its look while an edit has the focus, and gives it up while another
// owner-drawn button has it.
TEST(BitBtn, DefaultLookByTheFocusedWindow)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    auto* edit = new TEdit(s->Form.get());
    edit->SetBounds(130, 30, 60, 22);
    edit->SetParent(s->Container);
    auto* other = new TsBitBtn(s->Form.get());
    other->SetBounds(130, 70, 60, 30);
    other->SetParent(s->Container);
    b->SetDefault(true);
    PumpFor(30);
    edit->SetFocus();
    PumpFor(30);
    EXPECT_EQ(b->CurrentState(), 3);
    other->SetFocus();
    PumpFor(30);
    EXPECT_EQ(b->CurrentState(), 0);
}

// A button holding a control: pressed, the child moves (1, 1) once when the skin shifts content
// on a click, and back at the release; without the shift it stays.
TEST(BitBtn, ChildControlsFollowThePressedContent)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    b->SetAcceptsControls(true);
    auto* child = new TPanel(s->Form.get());
    child->SetBounds(5, 5, 10, 10);
    child->SetParent(b);
    for (bool shifts : {true, false}) {
        SCOPED_TRACE(shifts ? "shifts" : "stays");
        m->ButtonsOptions()->ShiftContentOnClick = shifts;
        b->Perform(CM_MOUSEENTER, 0, 0);
        Settle(ticks);
        s->Send(WM_LBUTTONDOWN, MK_LBUTTON);
        Settle(ticks);
        s->Repaint();
        ASSERT_EQ(b->CurrentState(), 2);
        EXPECT_EQ(child->Left(), shifts ? 6 : 5);
        EXPECT_EQ(child->Top(), shifts ? 6 : 5);
        s->Send(WM_LBUTTONUP);
        Settle(ticks);
        s->Repaint();
        EXPECT_EQ(child->Left(), 5);
        EXPECT_EQ(child->Top(), 5);
    }
}

// The focused tone tints the face; the button-face colour counts as none.
TEST(BitBtn, FocusedColor)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    b->SetFocus();
    Settle(ticks);
    ASSERT_TRUE(b->Focused());
    s->Repaint();
    const uint32_t plain = Cached(b, 6, 6);
    b->SetFocusedColor(clBtnFace);
    s->Repaint();
    EXPECT_EQ(b->Coloring().ColorToneBG, clNone);
    EXPECT_EQ(Cached(b, 6, 6), plain);
    b->SetFocusedColor(clRed);
    s->Repaint();
    EXPECT_EQ(b->Coloring().ColorToneBG, clRed);
    EXPECT_NE(Cached(b, 6, 6), plain);
    ::SetFocus(s->Container->Handle());
    Settle(ticks);
    EXPECT_EQ(b->Coloring().ColorToneBG, clNone);
}

// A valid image of Images wins over Glyph (its size places it); an index out of range falls
// back to Glyph.
TEST(BitBtn, ImageListGlyph)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    TImageList* list = OneColourImageList(s->Form.get(), 20, Blue, Key, true);
    b->SetImages(list);
    b->SetImageIndex(0);
    s->Repaint();
    EXPECT_EQ(b->ImgRect().Width(), 20);
    ExpectGlyphAt(b, b->ImgRect(), Blue, "list image");
    b->SetImageIndex(3);
    s->Repaint();
    EXPECT_EQ(b->ImgRect().Width(), 16);
    ExpectGlyphAt(b, b->ImgRect(), Red, "fallback to Glyph");
}

// Blend keeps to 0..100; a bit button with a ModalResult sets it on its form when clicked.
TEST(BitBtn, BlendRangeClickAndModalResult)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    b->SetBlend(150);
    EXPECT_EQ(b->Blend(), 100);
    b->SetBlend(-5);
    EXPECT_EQ(b->Blend(), 0);

    b->SetModalResult(mrOk);
    s->Send(WM_LBUTTONDOWN, MK_LBUTTON);
    s->Send(WM_LBUTTONUP);
    PumpFor(30);
    EXPECT_EQ(s->Clicks, 1);
    EXPECT_EQ(s->Form->ModalResult(), mrOk);
    // A release whose press began elsewhere clicks nothing.
    s->Send(WM_LBUTTONUP);
    PumpFor(30);
    EXPECT_EQ(s->Clicks, 1);
}

namespace {

// The plain bit button as the owner-draw rules give it: the face, the raised frame, the glyph at
// ImgRect (its key pixel shows the face) and the caption at its rectangle in the font's colour.
std::unique_ptr<TBitmap> PlainBitBtnPicture(TsBitBtn* b)
{
    const int w = b->Width(), h = b->Height();
    std::unique_ptr<TBitmap> pic(NewBitmap32(w, h));
    HDC dc = pic->Canvas()->Handle();
    RECT r{0, 0, w, h};
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    const TRect g = b->ImgRect();
    FillDCRect(dc, TRect(g.left, g.top, g.right, g.bottom - 1), Red);
    FillDCRect(dc, TRect(g.left + 1, g.bottom - 1, g.right, g.bottom), Red);
    std::unique_ptr<TFont> font(new TFont());
    font->Assign(b->Font());
    const HGDIOBJ old = SelectObject(dc, font->Handle());
    SetTextColor(dc, ColorToRGB(b->Font()->Color()));
    SetBkMode(dc, TRANSPARENT);
    RECT cr = b->CaptionRect();
    const String t = b->Caption();
    DrawTextW(dc, t.c_str(), int(t.size()), &cr, DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    return pic;
}

}  // namespace

// Without a skin the bit button draws itself as the plain button of the rules, pixel for pixel,
// on screen and into a DC it is printed to; clicks work; OnPaint gets the picture; the focused button with a FocusedColor has its face
// toned inside a frame of that colour.
TEST(BitBtn, UnskinnedItIsAPlainOwnerDrawnButton)
{
    for (int mode = 0; mode < 2; ++mode) {
        SCOPED_TRACE(mode == 0 ? "no manager" : "inactive manager");
        TManagerPtr m = UnskinnedManager(mode == 1);
        auto s = TScene::Make<TPanel, TsBitBtn>(60);
        TsBitBtn* b = s->Skinned();
        int painted = 0;
        b->OnPaint = [&painted](TObject*, TBitmap*) { ++painted; };
        b->Invalidate();
        PumpFor(60);
        EXPECT_GT(painted, 0);
        auto shot = testing_support::CaptureWindow(s->Wnd());
        auto want = PlainBitBtnPicture(b);
        const testing_support::TBitmapDiff d = testing_support::CompareBitmaps(*shot, *want, 0);
        EXPECT_TRUE(d.sameSize);
        EXPECT_EQ(d.differing, 0) << d.firstAt.x << "," << d.firstAt.y;
        // A print into a DC gives the same picture.
        std::unique_ptr<TBitmap> printed(NewBitmap32(b->Width(), b->Height()));
        SendMessageW(s->Wnd(), WM_PRINT, reinterpret_cast<WPARAM>(printed->Canvas()->Handle()), PRF_CLIENT);
        EXPECT_EQ(testing_support::CompareBitmaps(*printed, *want, 0).differing, 0);
        s->Send(WM_LBUTTONDOWN, MK_LBUTTON);
        s->Send(WM_LBUTTONUP);
        PumpFor(30);
        EXPECT_EQ(s->Clicks, 1);

        const TColor tone = fs::Rgb(220, 40, 40);
        b->SetFocusedColor(tone);
        b->SetFocus();
        PumpFor(60);
        ASSERT_TRUE(b->Focused());
        EXPECT_EQ(OnScreen(s->Wnd(), 1, 20), Px(tone)) << "the frame";
        EXPECT_NE(OnScreen(s->Wnd(), 6, 6), Px(clBtnFace)) << "the toned face";
        b->SetFocusedColor(clBtnFace);
        PumpFor(60);
        EXPECT_NE(OnScreen(s->Wnd(), 1, 20), Px(tone));
    }
}

// The frame of a section into a DC: the border image's widths come off, a wider frame is filled
// with the section's colour inside the border; without a border image a flat frame.
TEST(BitBtn, PaintControlFrame)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    TsCommonData* l = b->SkinData();
    std::unique_ptr<TBitmap> target(NewBitmap32(100, 40));
    FillDCRect(target->Canvas()->Handle(), TRect(0, 0, 100, 40), clBlack);
    TRect inner;
    PaintControlFrame(target->Canvas()->Handle(), TRect(0, 0, 100, 40), 6, inner, 0, l);
    EXPECT_EQ(inner.left, 6);
    EXPECT_EQ(inner.top, 6);
    EXPECT_EQ(inner.right, 94);
    EXPECT_EQ(inner.bottom, 34);
    const TPixelImage img = ImageFromBitmap32(target.get());
    const uint32_t edge = Px(fs::SliceColor(ButtonSection, 0, 0, 1));
    EXPECT_EQ(Rgb(img.At(1, 20)), edge);                         // border image, left edge
    EXPECT_EQ(Rgb(img.At(5, 20)), Px(l->SkinBGColor(0, nullptr)));   // the inner frame
    EXPECT_EQ(Rgb(img.At(50, 20)), 0u);                          // the inside is left alone

    TRect inner0(1, 2, 3, 4);
    PaintControlFrame(target->Canvas()->Handle(), TRect(0, 0, 100, 40), 0, inner0, 0, l);
    EXPECT_EQ(inner0.left, fs::Border);
    EXPECT_EQ(inner0.right, 100 - fs::Border);
}

// Our own skins: states differ, glyph and caption are drawn; screenshots for a look.
TEST(BitBtn, DarkAndLightScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive());
        TManualTicks ticks;
        auto s = SkinnedScene();
        s->Button->SetCaption(L"Apply");
        auto add = [&](int x, int y, const wchar_t* caption, TButtonLayout layout) {
            auto* b = new TsBitBtn(s->Form.get());
            b->SetBounds(x, y, 80, 40);
            b->SetCaption(caption);
            auto glyph = Strip({Green});
            b->SetGlyph(glyph.get());
            b->SetLayout(layout);
            b->SetParent(s->Container);
            return b;
        };
        TsBitBtn* hot = add(20, 75, L"Save", blGlyphRight);
        TsBitBtn* top = add(115, 5, L"Top", blGlyphTop);
        top->SetHeight(60);
        TsBitBtn* off = add(110, 75, L"Off", blGlyphLeft);
        off->SetEnabled(false);
        PumpFor(60);
        const uint32_t normal = Cached(s->Skinned(), 6, 6);
        hot->Perform(CM_MOUSEENTER, 0, 0);
        Settle(ticks);
        EXPECT_NE(Cached(hot, 6, 6), normal);
        ExpectGlyphAt(hot, hot->ImgRect(), Green, "hot");
        ExpectGlyphAt(top, top->ImgRect(), Green, "top");
        testing_support::SaveScreenshot(s->Form->Handle(),
                                        String(L"bit_btn_") + (String(skin) == L"Dark" ? L"dark" : L"light"), true);
    }
}

namespace {
// A 32-bit strip of 16 x 16 cells, one flat colour each, every pixel of the given alpha.
std::unique_ptr<TBitmap> Strip32(std::initializer_list<TColor> colors, uint8_t alpha)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(16 * int(colors.size()), 16));
    const TPixelView v = BitmapView(b.get());
    int i = 0;
    for (TColor c : colors) {
        const uint32_t px = (uint32_t(alpha) << 24) | Px(c);
        for (int y = 0; y < 16; ++y)
            for (int x = 16 * i; x < 16 * i + 16; ++x) v.Row(y)[x] = px;
        ++i;
    }
    return b;
}
// The largest channel difference of two pixels (composing at full alpha may lose 1).
int ChannelDiff(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) d = std::max(d, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return d;
}
}  // namespace

// The cell a 32-bit strip draws: with the platform's cell order a pressed strip of two shows its
// first image and a disabled one at rest its second; without it the state's cell, the last at most.
TEST(BitBtn, GlyphCellOfA32BitStripByCellOrder)
{
    struct Case {
        const char* what;
        bool stdOrder;
        std::initializer_list<TColor> cells;
        bool down, enabled;
        TColor want;
    } cases[] = {
        {"own order, pressed, two cells: the last", false, {Red, Green}, true, true, Green},
        {"platform order, pressed, two cells: the first", true, {Red, Green}, true, true, Red},
        {"platform order, pressed, three cells: the third", true, {Red, Green, Blue}, true, true, Blue},
        {"platform order, disabled at rest: the second", true, {Red, Green, Blue}, false, false, Green},
        {"own order, disabled at rest: the first", false, {Red, Green, Blue}, false, false, Red},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    b->SetDisabledKind(0);
    for (const Case& c : cases) {
        m->Options()->SetStdGlyphsOrder(c.stdOrder);
        auto strip = Strip32(c.cells, 255);
        b->SetGlyph(strip.get());
        b->SetNumGlyphs(int(c.cells.size()));
        b->SetDown(c.down);
        b->SetEnabled(c.enabled);
        s->Repaint();
        const TRect g = b->ImgRect();
        EXPECT_EQ(g.Width(), 16) << c.what;
        EXPECT_LE(ChannelDiff(Cached(b, g.left + 4, g.top + 4), Px(c.want)), 1) << c.what;
        EXPECT_LE(ChannelDiff(Cached(b, g.right - 1, g.bottom - 1), Px(c.want)), 1) << c.what;
    }
    m->Options()->SetStdGlyphsOrder(false);
}

// A 32-bit glyph whose alpha is 0 everywhere is a key-colour strip when the empty-alpha check
// applies (drawn opaque but for its key pixel, and kept 24-bit); without the check its pixels are
// see-through and the face shows.
TEST(BitBtn, GlyphWithoutAlphaIsAKeyColourStripWhenChecked)
{
    struct Case {
        const char* what;
        bool check;
        uint32_t center, keyPixel;
        TPixelFormat format;
    } cases[] = {
        {"checked", true, Px(Red), Face(0), pf24bit},
        {"not checked", false, Face(0), Face(0), pf32bit},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    for (const Case& c : cases) {
        m->Options()->SetCheckEmptyAlpha(c.check);
        auto strip = Strip32({Red}, 0);
        BitmapView(strip.get()).Row(15)[0] = Px(Key);
        b->SetGlyph(strip.get());
        b->SetNumGlyphs(1);
        s->Repaint();
        const TRect g = b->ImgRect();
        EXPECT_EQ(Cached(b, g.left + 8, g.top + 8), c.center) << c.what;
        EXPECT_EQ(Cached(b, g.left, g.bottom - 1), c.keyPixel) << c.what;
        EXPECT_EQ(b->Glyph()->PixelFormat(), c.format) << c.what;
    }
    m->Options()->SetCheckEmptyAlpha(false);
}

// Drawn on a plain canvas (no cache): a disabled button of the blended kind draws its 32-bit glyph
// at half its alpha even with Blend 0, the grey kind turns it grey, and Blend at rest keeps that
// share of the alpha.
TEST(BitBtn, GlyphOnACanvasBlendedAndGreyed)
{
    struct Case {
        const char* what;
        bool enabled;
        TsDisabledGlyphKind kind;
        int blend;
        int alphaPercent;   // of Red over white
        bool grey;
    } cases[] = {
        {"enabled", true, 0, 0, 100, false},
        {"disabled, blended kind, Blend 0", false, dgBlended, 0, 50, false},
        {"disabled, blended kind, Blend 80", false, dgBlended, 80, 80, false},
        {"disabled, no kind", false, 0, 0, 100, false},
        {"enabled, Blend 30", true, 0, 30, 30, false},
        {"disabled, grey kind", false, dgGrayed, 0, 100, true},
    };
    TManagerPtr m = UnskinnedManager(false);
    auto s = TScene::Make<TPanel, TsBitBtn>(60);
    TsBitBtn* b = s->Skinned();
    auto strip = Strip32({Red}, 255);
    b->SetGlyph(strip.get());
    b->SetNumGlyphs(1);
    PumpFor(30);
    for (const Case& c : cases) {
        b->SetEnabled(c.enabled);
        b->SetDisabledGlyphKind(c.kind);
        b->SetBlend(c.blend);
        std::unique_ptr<TBitmap> canvas(NewBitmap32(100, 40));
        FillDCRect(canvas->Canvas()->Handle(), TRect(0, 0, 100, 40), clWhite);
        DrawSkinnedButtonGlyph(b, canvas->Canvas(), clNone);
        GdiFlush();
        const TRect g = b->ImgRect();
        ASSERT_EQ(g.Width(), 16) << c.what;
        const uint32_t px = Rgb(ImageFromBitmap32(canvas.get()).At(g.left + 8, g.top + 8));
        const int r = int(px >> 16 & 0xFF), gr = int(px >> 8 & 0xFF), bl = int(px & 0xFF);
        if (c.grey) {
            EXPECT_LE(std::abs(r - gr) + std::abs(gr - bl), 2) << c.what << " " << std::hex << px;
            continue;
        }
        const int a = 255 * c.alphaPercent / 100;
        const auto mix = [&](int fg) { return (fg * a + 255 * (255 - a)) / 255; };
        EXPECT_NEAR(r, mix(200), 2) << c.what;
        EXPECT_NEAR(gr, mix(30), 2) << c.what;
        EXPECT_NEAR(bl, mix(40), 2) << c.what;
    }
}

// The grey look tints the glyph toward the button's own colour when it is custom, else toward the
// section's colour: a white glyph takes the tint colour brightened until its brightest channel is
// full.
TEST(BitBtn, GrayedGlyphTakesTheButtonsOrTheSectionsColour)
{
    const auto brightened = [](uint32_t px) {
        int ch[3] = {int(px >> 16 & 0xFF), int(px >> 8 & 0xFF), int(px & 0xFF)};
        const int lift = 255 - std::max({ch[0], ch[1], ch[2]});
        return uint32_t(ch[0] + lift) << 16 | uint32_t(ch[1] + lift) << 8 | uint32_t(ch[2] + lift);
    };
    constexpr TColor Own = fs::Rgb(90, 160, 220);
    struct Case {
        const char* what;
        bool custom;
        uint32_t want;
    } cases[] = {
        {"custom colour", true, brightened(Px(Own))},
        {"section colour", false, brightened(Px(fs::StateColor(ButtonSection, 0)))},
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    auto strip = Strip32({fs::Rgb(255, 255, 255)}, 255);
    b->SetGlyph(strip.get());
    b->SetNumGlyphs(1);
    b->SetColor(Own);
    b->SetGrayed(true);
    for (const Case& c : cases) {
        b->SkinData()->SetCustomOption(0, c.custom);
        s->Repaint();
        const TRect g = b->ImgRect();
        // The grey level of white and the composing each lose a little.
        EXPECT_LE(ChannelDiff(Cached(b, g.left + 8, g.top + 8), c.want), 6) << c.what << " " << std::hex
                                                                            << Cached(b, g.left + 8, g.top + 8) << " want " << c.want;
    }
}

// A reflected 16 x 24 glyph rises by its width / 6 (2 pixels, not 24 / 6) and its mirror image
// shows below it.
TEST(BitBtn, ReflectedGlyphRisesByAWidthSixth)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    std::unique_ptr<TBitmap> tall(NewBitmap32(16, 24));
    const TPixelView v = BitmapView(tall.get());
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) v.Row(y)[x] = 0xFF000000u | Px(Blue);
    b->SetGlyph(tall.get());
    b->SetNumGlyphs(1);
    b->SetCaption(L"");
    s->Repaint();
    const TRect plain = b->ImgRect();
    EXPECT_LE(ChannelDiff(Cached(b, plain.left + 8, plain.bottom - 1), Px(Blue)), 1);
    EXPECT_EQ(Cached(b, plain.left + 8, plain.bottom + 1), Face(0)) << "no mirror image";
    b->SetReflected(true);
    s->Repaint();
    const TRect r = b->ImgRect();
    EXPECT_EQ(r.top, plain.top - 2);
    EXPECT_EQ(r.Height(), 24);
    EXPECT_LE(ChannelDiff(Cached(b, r.left + 8, r.top), Px(Blue)), 1);
    EXPECT_NE(Cached(b, r.left + 8, r.bottom + 1), Face(0)) << "the mirror image below";
}

// A character image of the button's list is drawn in the text colour of the button's section at
// rest while skinned, in the button-text colour without a skin (its own colour left at the
// default), never in whatever colour the canvas's font had.
TEST(BitBtn, CharacterImageTakesTheButtonsTextColour)
{
    struct Case {
        const wchar_t* skin;   // nullptr: no manager
    } cases[] = {{L"Dark"}, {L"Light"}, {nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skin ? String(c.skin) : String(L"unskinned"));
        TManagerPtr m = c.skin ? ManagerWithSkin(c.skin) : UnskinnedManager(false);
        auto s = c.skin ? SkinnedScene() : TScene::Make<TPanel, TsBitBtn>(60);
        TsBitBtn* b = s->Skinned();
        auto* list = new TsCharImageList(s->Form.get());
        TacCharItemData circle;
        circle.Char = 0xF111;
        list->AddItem(circle);
        b->SetImages(list);
        b->SetImageIndex(0);
        b->SetCaption(L"");
        PumpFor(30);
        const TRect g = b->ImgRect();
        ASSERT_GT(g.Width(), 0);
        const int mx = (g.left + g.right) / 2, my = (g.top + g.bottom) / 2;
        uint32_t got = 0, want = 0;
        if (c.skin) {
            b->SkinData()->FCacheBmp->Canvas()->Font()->SetColor(clRed);
            s->Repaint();
            TacSkinData* d = b->SkinData()->ResolveSkinData();
            ASSERT_TRUE(d && d->IsValidSection(b->SkinData()->SkinIndex));
            want = Px(d->gd[size_t(b->SkinData()->SkinIndex)].Props[0].FontColor.Color);
            got = Cached(b, mx, my);
        } else {
            std::unique_ptr<TBitmap> canvas(NewBitmap32(100, 40));
            FillDCRect(canvas->Canvas()->Handle(), TRect(0, 0, 100, 40), clWhite);
            canvas->Canvas()->Font()->SetColor(clRed);
            DrawSkinnedButtonGlyph(b, canvas->Canvas(), clNone);
            GdiFlush();
            want = Px(TColor(ColorToRGB(clBtnText)));
            got = Rgb(ImageFromBitmap32(canvas.get()).At(mx, my));
        }
        EXPECT_LE(ChannelDiff(got, want), 2) << std::hex << got << " want " << want;
    }
}

// Our own skins: a reflected glyph, a grey one, a character image and a half-transparent disabled
// one, for a look.
TEST(BitBtn, GlyphLooksScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        auto s = SkinnedScene();
        s->Button->SetVisible(false);
        auto* list = new TsCharImageList(s->Form.get());
        TacCharItemData star;
        star.Char = 0xF005;
        list->AddItem(star);
        auto add = [&](int x, int y, const wchar_t* caption) {
            auto* b = new TsBitBtn(s->Form.get());
            b->SetBounds(x, y, 90, 50);
            b->SetCaption(caption);
            auto glyph = Strip32({Blue}, 255);
            b->SetGlyph(glyph.get());
            b->SetParent(s->Container);
            return b;
        };
        TsBitBtn* reflected = add(5, 5, L"Mirror");
        reflected->SetLayout(blGlyphTop);
        reflected->SetReflected(true);
        add(105, 5, L"Grey")->SetGrayed(true);
        TsBitBtn* chars = add(5, 62, L"Star");
        chars->SetImages(list);
        chars->SetImageIndex(0);
        TsBitBtn* off = add(105, 62, L"Off");
        off->SetDisabledGlyphKind(dgBlended);
        off->SetEnabled(false);
        PumpFor(60);
        EXPECT_NE(Cached(reflected, reflected->ImgRect().left + 8, reflected->ImgRect().bottom + 1),
                  Cached(reflected, 6, reflected->ImgRect().bottom + 1));
        testing_support::SaveScreenshot(s->Form->Handle(),
                                        String(L"bit_btn_glyphs_") + (String(skin) == L"Dark" ? L"dark" : L"light"), true);
    }
}

// DrawOverBorder: the content (here OnPaint's fill) lies over the section's border image; off,
// the border is drawn over the content.
TEST(BitBtn, DrawOverBorderPutsTheContentOverTheBorder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    b->OnPaint = [](TObject*, TBitmap* bmp) { FillDCRect(bmp->Canvas()->Handle(), TRect(0, 0, bmp->Width(), bmp->Height()), Blue); };
    s->Repaint();
    EXPECT_TRUE(b->DrawOverBorder());
    EXPECT_EQ(Cached(b, 1, 20), Px(Blue));
    b->SetDrawOverBorder(false);
    PumpFor(30);
    EXPECT_EQ(Cached(b, 1, 20), Px(fs::SliceColor(ButtonSection, 0, 0, 1)));
    EXPECT_EQ(Cached(b, 50, 20), Px(Blue)) << "inside the border the content stays";
}

// A click quicker than the press fade shows the whole pressed face during the brief wait at the
// release, then fades to hot with the glow's fast steps.
TEST(BitBtn, AQuickClickFlashesTheFullPressedFace)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    std::vector<uint32_t> flashes;
    TsBitBtn::PressedFlashWait = [&](TsBitBtn* b) { flashes.push_back(OnScreen(b->Handle(), 6, 6)); };
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    s->Send(WM_LBUTTONDOWN, MK_LBUTTON);
    ticks.Step(12);
    s->Send(WM_LBUTTONUP);
    ASSERT_EQ(flashes.size(), 1u);
    EXPECT_EQ(flashes[0], Face(2));
    TsCommonData* l = s->Skinned()->SkinData();
    ASSERT_NE(l->AnimTimer, nullptr);
    EXPECT_EQ(l->AnimTimer->State, 1);
    EXPECT_EQ(l->AnimTimer->Iterations, 6);
    Settle(ticks);
    EXPECT_EQ(OnScreen(s->Wnd(), 6, 6), Face(1));
    EXPECT_EQ(s->Clicks, 1);
    TsBitBtn::PressedFlashWait = nullptr;
}

// Spacing or Layout changed since the last composition: glyph and caption are placed anew. A new caption
// is on screen as soon as it is set. scmGetColorTone answers the focused tone. Partly outside
// its parent the button counts as half visible.
TEST(BitBtn, SpacingCaptionColourToneAndHalfVisible)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsBitBtn* b = s->Skinned();
    const TRect before = b->ImgRect();
    b->SetSpacing(20);
    PumpFor(30);
    const TRect after = b->ImgRect();
    EXPECT_LT(after.left, before.left);
    ExpectGlyphAt(b, after, Red, "after the spacing change");
    b->SetSpacing(0);
    b->SetLayout(blGlyphTop);
    PumpFor(30);
    EXPECT_LT(b->ImgRect().top, after.top);
    ExpectGlyphAt(b, b->ImgRect(), Red, "after the layout change");
    b->SetLayout(blGlyphLeft);
    PumpFor(30);

    b->SetCaption(L"WWWW");
    const TRect cap = b->CaptionRect();
    int ink = 0;
    for (int y = cap.top; y < cap.bottom; ++y)
        for (int x = cap.left; x < cap.right; ++x) ink += OnScreen(s->Wnd(), x, y) == 0;
    EXPECT_GT(ink, 10) << "drawn at once";

    b->SetFocusedColor(Green);
    b->SetFocus();
    Settle(ticks);
    TacColoring col;
    EXPECT_EQ(SendSkinCommand(s->Wnd(), scmGetColorTone, reinterpret_cast<LPARAM>(&col)), 1);
    EXPECT_EQ(col.ColorToneBG, Green);

    EXPECT_FALSE(b->SkinData()->HalfVisible);
    b->SetBounds(150, 30, 100, 40);
    s->Repaint();
    EXPECT_TRUE(b->SkinData()->HalfVisible);
    b->SetBounds(20, 30, 100, 40);
    s->Repaint();
    EXPECT_FALSE(b->SkinData()->HalfVisible);
    EXPECT_EQ(SendMessageW(s->Wnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0), 0);
    EXPECT_TRUE(b->WordWrap());
}

// The page control's list button is hot only while the mouse is over it (focused it is not).
TEST(BitBtn, DropButtonIsHotOnlyUnderTheMouse)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    FormPtr form(new TForm(nullptr));
    auto* pages = new TsPageControl(form.get());
    pages->SetParent(form.get());
    auto* drop = new TacDropBtn(pages);
    TsCommonData* l = drop->SkinData();
    l->FFocused = true;
    EXPECT_EQ(drop->TsBitBtn::CurrentState(), 1);
    EXPECT_EQ(drop->CurrentState(), 0);
    l->FMouseAbove = true;
    EXPECT_EQ(drop->CurrentState(), 1);
    l->FFocused = false;
    l->FMouseAbove = false;
    EXPECT_EQ(drop->CurrentState(), 0);
    delete drop;
}
