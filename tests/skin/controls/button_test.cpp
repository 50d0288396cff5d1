// The skinned push button in real windows: owner-drawn from "BUTTON" of the fixture skin (one flat
// colour per state, so each state's face is known), the hover fade stepped to its end, the
// pressed face while held, the caption and focus frame, the images of the looks, the command link
// and the shield, clicks and mouse events as the program's handlers need them, and the plain
// owner-drawn button without a skin. Dark and Light screenshots.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "skin/controls/sbuttons.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/glow.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/image_modes.h"
#include "tests/skin/controls/button_scene.h"
#include "tests/skin/controls/fixture_glow.h"
#include "vcl/menus.h"

namespace fs = fixture_skin;
using namespace button_scene;
using testing_support::PumpFor;

namespace {

// One button of 100 x 30 whose mouse events are counted too.
struct TScene : TButtonScene<TScene, TButton> {
    int Downs = 0, Ups = 0;

    template <class TContainer, class TButtonClass>
    static std::unique_ptr<TScene> Make(int x = 120, const String& caption = L"Apply")
    {
        return TButtonScene::Make<TContainer, TButtonClass>(x, caption, 30, [](TScene& s) {
            s.Button->OnMouseDown = Bind<&TScene::MouseDown>(&s);
            s.Button->OnMouseUp = Bind<&TScene::MouseUp>(&s);
        });
    }
    void MouseDown(TObject*, TMouseButton, TShiftState, int, int) { ++Downs; }
    void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { ++Ups; }
    TsButton* Skinned() const { return static_cast<TsButton*>(Button); }
    LONG_PTR Kind() const { return GetWindowLongPtrW(Wnd(), GWL_STYLE) & BS_TYPEMASK; }
    void Press() { Send(WM_LBUTTONDOWN, MK_LBUTTON); }
    void Release() { Send(WM_LBUTTONUP, 0); }
};

std::unique_ptr<TScene> SkinnedScene(int x = 120) { return TScene::Make<TTestSkinPanel, TsButton>(x); }

// The left edge of the border image, frame of a state.
uint32_t Edge(int state) { return Px(fs::SliceColor(ButtonSection, state, 0, 1)); }

}  // namespace

// The face on the screen in each state: section colour inside, the state's border frame at the
// edge; hot only after the fade's last step, pressed for as long as the button is held.
TEST(Button, FaceOfEachStateOnTheFixtureSkin)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    EXPECT_EQ(s->Kind(), BS_OWNERDRAW);
    const int x = 8, y = 15;   // inside the border, left of the caption
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(0));
    EXPECT_EQ(OnScreen(s->Wnd(), 1, y), Edge(0));

    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    TacThreadedTimer* t = s->Skinned()->SkinData()->AnimTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Iterations, 6);
    for (int i = 0; i < 4; ++i) ticks.Step(12);
    EXPECT_NE(OnScreen(s->Wnd(), x, y), Face(1)) << "hot before the fade's last step";
    Settle(ticks);
    EXPECT_EQ(s->Skinned()->CurrentState(), bstHot);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(1));
    EXPECT_EQ(OnScreen(s->Wnd(), 1, y), Edge(1));

    s->Button->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(t->Iterations, 18);
    Settle(ticks);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(0));

    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    s->Press();
    EXPECT_EQ(t->Iterations, 3);
    Settle(ticks);
    EXPECT_EQ(s->Skinned()->CurrentState(), bstPressed);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(2));
    EXPECT_EQ(OnScreen(s->Wnd(), 1, y), Edge(2));
    Settle(ticks);   // still held: still pressed
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(2));
    s->Release();
    Settle(ticks);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(1));

    // The Default button at rest has a look of its own: the hot face of a three-state section.
    s->Button->Perform(CM_MOUSELEAVE, 0, 0);
    ::SetFocus(s->Container->Handle());
    Settle(ticks);
    ASSERT_EQ(s->Skinned()->CurrentState(), bstNormal);
    s->Button->SetDefault(true);
    s->Skinned()->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_EQ(s->Skinned()->CurrentState(), bstDefault);
    EXPECT_EQ(OnScreen(s->Wnd(), x, y), Face(1));

    // Disabled: no longer the plain normal face.
    s->Button->SetDefault(false);
    s->Button->SetEnabled(false);
    PumpFor(60);
    EXPECT_NE(OnScreen(s->Wnd(), x, y), Face(0));
}

// The caption is written inside its rectangle only, in the section's text colour (black in the
// fixture skin); the focused button gets a dotted frame around it, unless ShowFocus is off.
TEST(Button, CaptionAndFocusFrame)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    const TRect cap = b->CaptionRect();
    EXPECT_GT(cap.Width(), 10);
    EXPECT_EQ(cap.left, (100 - cap.Width()) / 2);
    int textPixels = 0, stray = 0;
    for (int y = 5; y < 25; ++y)
        for (int x = 5; x < 95; ++x) {
            const bool inside = cap.Contains(TPoint(x, y));
            const uint32_t px = Cached(b, x, y);
            if (inside) textPixels += px == 0;
            else stray += px != Face(0);
        }
    EXPECT_GT(textPixels, 10);
    EXPECT_EQ(stray, 0);

    const TRect focus = ButtonFocusRect(cap, b->FocusMargin(), 30);
    auto dotsOnTopEdge = [&] {
        int dots = 0;
        for (int x = focus.left; x < focus.right; ++x) dots += Cached(b, x, focus.top) == 0;
        return dots;
    };
    EXPECT_EQ(dotsOnTopEdge(), 0);
    b->SetFocus();
    Settle(ticks);
    ASSERT_TRUE(b->Focused());
    b->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_GE(dotsOnTopEdge(), focus.Width() / 2 - 1);
    b->SetShowFocus(false);
    b->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_EQ(dotsOnTopEdge(), 0);
}

// The caption's rectangle is measured in the button's own font, whatever font the cache's DC
// held before (a larger font at a higher PPI was cut at both ends).
TEST(Button, CaptionIsMeasuredInTheButtonsFont)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    b->SetBounds(20, 30, 160, 40);
    for (int size : {8, 16, 6}) {
        SCOPED_TRACE(size);
        b->Font()->SetSize(size);
        b->SkinData()->Invalidate(true);
        PumpFor(30);
        std::unique_ptr<TBitmap> probe(NewBitmap32(10, 10));
        probe->Canvas()->Font()->Assign(b->Font());
        const TSize want = probe->Canvas()->TextExtent(b->Caption());
        const TRect cap = b->CaptionRect();
        EXPECT_EQ(cap.Width(), want.cx);
        EXPECT_EQ(cap.Height(), want.cy);
    }
}

// A held button (the wheel-turn buttons): OnMouseDown at the press, OnMouseUp at the release,
// OnClick once; a release whose press began elsewhere is nobody's; two quick clicks are two clicks.
TEST(Button, ClicksAndMouseEventsReachTheHandlers)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    s->Press();
    Settle(ticks);
    EXPECT_EQ(s->Downs, 1);
    EXPECT_EQ(s->Ups, 0);
    EXPECT_EQ(s->Clicks, 0);
    Settle(ticks);
    s->Release();
    PumpFor(30);
    EXPECT_EQ(s->Downs, 1);
    EXPECT_EQ(s->Ups, 1);
    EXPECT_EQ(s->Clicks, 1);

    s->Release();
    PumpFor(30);
    EXPECT_EQ(s->Ups, 1);
    EXPECT_EQ(s->Clicks, 1);

    // No double-click messages for the button's window: the system's owner-drawn button would
    // turn the second press into a double-click notice and lose the click.
    EXPECT_EQ(GetClassLongPtrW(s->Wnd(), GCL_STYLE) & CS_DBLCLKS, 0);
    s->Press();
    s->Release();
    s->Press();
    s->Release();
    PumpFor(30);
    EXPECT_EQ(s->Clicks, 3);
    EXPECT_EQ(s->Downs, 3);
    EXPECT_EQ(s->Ups, 3);
}

// An Ok button whose manager colours modal buttons' text writes its caption in the skin's green
// (the skin's own hot green when hot; the fixture has none, so the same one).
TEST(Button, ModalResultColoursTheCaption)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    m->ButtonsOptions()->ModalButtonsColoring = bcText;
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    b->SetModalResult(mrOk);
    b->SkinData()->Invalidate(true);
    PumpFor(30);
    auto count = [&](TColor c) {
        const uint32_t want = Rgb(fs::Opaque(ColorToRGB(c)));
        const TRect cap = b->CaptionRect();
        int n = 0;
        for (int y = cap.top; y < cap.bottom; ++y)
            for (int x = cap.left; x < cap.right; ++x) n += Cached(b, x, y) == want;
        return n;
    };
    const TColor rest = ResolveSkinColor(TColorOf(0xFF28851Au), m.get());
    const TColor hot = ResolveSkinColor(TColorOf(0xFF008E00u), m.get());
    EXPECT_GT(count(rest), 10);
    EXPECT_EQ(count(0), 0);   // none in the section's black
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    EXPECT_GT(count(hot), 10);
    EXPECT_EQ(count(0), 0);
}

// A click quicker than the press fade: the whole pressed face is on the screen during the brief
// wait at the release, then the face fades to hot. A slow click has no such wait.
TEST(Button, AQuickClickFlashesTheFullPressedFace)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    std::vector<uint32_t> flashes;
    TsButton::PressedFlashWait = [&](TsButton* b) { flashes.push_back(OnScreen(b->Handle(), 8, 15)); };
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    s->Press();
    ticks.Step(12);
    EXPECT_NE(OnScreen(s->Wnd(), 8, 15), Face(2));
    s->Release();
    ASSERT_EQ(flashes.size(), 1u);
    EXPECT_EQ(flashes[0], Face(2));
    EXPECT_EQ(s->Clicks, 1);
    Settle(ticks);
    EXPECT_EQ(OnScreen(s->Wnd(), 8, 15), Face(1));

    s->Press();
    Settle(ticks);
    s->Release();
    EXPECT_EQ(flashes.size(), 1u);
    EXPECT_EQ(s->Clicks, 2);
    TsButton::PressedFlashWait = nullptr;
}

// A button with an image shows it at GlyphRect, wherever ImageAlignment puts it, over the
// caption when centred; the face is redrawn as soon as the image is given or taken away.
TEST(Button, ImageOfTheImageListAtItsRectangle)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    const uint32_t blue = Rgb(fs::Opaque(fs::Rgb(40, 50, 210)));
    TImageList* list = OneColourImageList(s->Form.get(), 16, fs::Rgb(40, 50, 210), fs::Rgb(255, 0, 255), false);
    auto bluePixels = [&](const TRect& r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += OnScreen(s->Wnd(), x, y) == blue;
        return n;
    };
    b->SetImages(list);
    PumpFor(30);
    EXPECT_EQ(bluePixels(TRect(0, 0, 100, 30)), 0) << "no ImageIndex: no image";

    struct Case {
        TImageAlignment align;
        TRect at;   // 100 x 30, content margin 6
    } cases[] = {{iaLeft, TRect(6, 7, 22, 23)}, {iaRight, TRect(78, 7, 94, 23)}, {iaCenter, TRect(42, 7, 58, 23)}};
    b->SetImageIndex(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.align));
        b->SetImageAlignment(c.align);
        b->SkinData()->Invalidate(true);
        PumpFor(30);
        TRect g;
        b->GlyphRect(g);
        EXPECT_EQ(g, c.at);
        EXPECT_EQ(bluePixels(g), 16 * 16);
        EXPECT_EQ(bluePixels(TRect(0, 0, 100, 30)), 16 * 16) << "blue outside the rectangle";
        if (c.align != iaCenter) {
            EXPECT_FALSE(b->CaptionRect().IntersectsWith(g));
        }
    }
    // The pressed face keeps the image, at the pressed rectangle.
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    s->Press();
    Settle(ticks);
    TRect g;
    b->GlyphRect(g);
    ASSERT_EQ(b->CurrentState(), bstPressed);
    EXPECT_EQ(bluePixels(g), 16 * 16);
    s->Release();
    Settle(ticks);

    b->SetImageIndex(-1);
    PumpFor(30);
    EXPECT_EQ(bluePixels(TRect(0, 0, 100, 30)), 0) << "image taken away";
}

// The release over the button fades back to hot with the hover glow coming back with the
// frames; a release after the mouse has left goes to normal with no glow.
TEST(Button, ReleaseFadesToHotWithTheGlow)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TFixtureGlow glow(m.get());
    TLayeredRecorder layered;
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsCommonData* link = s->Skinned()->SkinData();
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    s->Press();
    Settle(ticks);
    ASSERT_EQ(s->Skinned()->CurrentState(), bstPressed);
    const size_t before = layered.Updates.size();
    s->Release();
    ASSERT_NE(link->AnimTimer, nullptr);
    EXPECT_EQ(link->AnimTimer->State, 1);
    EXPECT_EQ(link->AnimTimer->Iterations, 6);
    ASSERT_GE(link->GlowID, 0);
    Settle(ticks);
    ASSERT_GT(layered.Updates.size(), before);
    EXPECT_EQ(layered.Updates.back().Wnd, GlowList()[size_t(link->GlowID)]->Wnd->Handle());
    EXPECT_EQ(layered.Updates.back().Alpha, 255);
    EXPECT_EQ(OnScreen(s->Wnd(), 8, 15), Face(1));

    s->Press();
    Settle(ticks);
    link->FMouseAbove = false;   // left while held (the capture kept the leave away)
    s->Release();
    EXPECT_EQ(link->AnimTimer->State, 0);
    Settle(ticks);
    EXPECT_EQ(link->GlowID, -1);
    FreeAllGlows(true);
}

// A graphic control placed on a button is part of every frame of the button's fade.
TEST(Button, AGraphicControlOnTheButtonIsInItsFadeFrames)
{
    struct TSwatch : TGraphicControl {
        using TGraphicControl::TGraphicControl;
        void Paint() override
        {
            Canvas()->Brush()->SetColor(static_cast<TColor>(0x3366CC));
            Canvas()->FillRect(TRect(0, 0, Width(), Height()));
        }
    };
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    auto* swatch = new TSwatch(s->Button);
    swatch->SetBounds(70, 8, 12, 12);
    swatch->SetParent(s->Button);
    PumpFor(30);
    TsCommonData* link = s->Skinned()->SkinData();
    s->Button->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_NE(link->AnimTimer, nullptr);
    ASSERT_NE(link->AnimTimer->BmpTo, nullptr);
    EXPECT_EQ(ReadPixel32(link->AnimTimer->BmpTo, 75, 12) & 0xFFFFFFu, 0xCC6633u);
    Settle(ticks);
}

// The fixture's border has key-coloured 2 x 2 corners: the mouse there belongs to the container.
TEST(Button, KeyColouredCornersLetTheMouseThrough)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    RECT w{};
    GetWindowRect(s->Wnd(), &w);
    struct Case {
        int x, y;
        bool through;
    } cases[] = {{0, 0, true}, {1, 1, true}, {99, 0, true}, {0, 29, true}, {99, 29, true}, {98, 28, true},
                 {2, 0, false}, {0, 2, false}, {3, 3, false}, {50, 0, false}, {50, 15, false}, {97, 29, false}};
    for (const Case& c : cases) {
        const LRESULT hit = SendMessageW(s->Wnd(), WM_NCHITTEST, 0, MAKELPARAM(w.left + c.x, w.top + c.y));
        EXPECT_EQ(hit == HTTRANSPARENT, c.through) << c.x << "," << c.y;
        const HWND under = WindowFromPoint(POINT{w.left + c.x, w.top + c.y});
        EXPECT_EQ(under, c.through ? s->Container->Handle() : s->Wnd()) << c.x << "," << c.y;
    }
}

// Escape clicks the Cancel button and Enter the Default one, skinned as before.
TEST(Button, DefaultAndCancelStillClick)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    s->Button->SetCancel(true);
    EXPECT_EQ(s->Button->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
    EXPECT_EQ(s->Clicks, 1);
    s->Button->SetCancel(false);
    s->Button->SetDefault(true);
    s->Button->Perform(CM_FOCUSCHANGED, 0, 0);
    EXPECT_EQ(s->Button->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
    EXPECT_EQ(s->Clicks, 2);
}

// Our own skins: the hot and pressed faces differ from the normal one, and the caption is
// readable (text pixels far from the face). Screenshots for a look.
TEST(Button, DarkAndLightScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        ASSERT_TRUE(m->IsActive());
        TManualTicks ticks;
        auto s = SkinnedScene();
        auto* hot = new TsButton(s->Form.get());
        hot->SetBounds(20, 70, 75, 25);
        hot->SetCaption(L"Save");
        hot->SetParent(s->Container);
        auto* pressed = new TsButton(s->Form.get());
        pressed->SetBounds(105, 70, 75, 25);
        pressed->SetCaption(L"Load");
        pressed->SetParent(s->Container);
        auto* off = new TsButton(s->Form.get());
        off->SetBounds(130, 30, 50, 30);
        off->SetCaption(L"-");
        off->SetEnabled(false);
        off->SetParent(s->Container);
        PumpFor(60);
        const uint32_t normal = Cached(s->Skinned(), 8, 15);
        hot->Perform(CM_MOUSEENTER, 0, 0);
        pressed->Perform(CM_MOUSEENTER, 0, 0);
        SendMessageW(pressed->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        Settle(ticks);
        EXPECT_NE(Cached(hot, 8, 12), normal);
        EXPECT_NE(Cached(pressed, 8, 12), Cached(hot, 8, 12));
        const TRect cap = s->Skinned()->CaptionRect();
        int distinct = 0;
        for (int y = cap.top; y < cap.bottom; ++y)
            for (int x = cap.left; x < cap.right; ++x) {
                const uint32_t px = Cached(s->Skinned(), x, y);
                distinct += testing_support::ColorDistance(TColor(px), TColor(normal)) > 80;
            }
        EXPECT_GT(distinct, 10);
        testing_support::SaveScreenshot(s->Form->Handle(), String(L"button_") + (String(skin) == L"Dark" ? L"dark" : L"light"),
                                        true);
        SendMessageW(pressed->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        Settle(ticks);
    }
}

namespace {

// What a split button's menu saw while it was open: a one-shot timer inside the menu's own loop
// looks at the button and closes the menu.
struct TOpenMenuProbe {
    static inline TsButton* Button = nullptr;
    static inline int StateWhileOpen = -1;
    static inline bool DroppedWhileOpen = false;
    static inline uint32_t FaceWhileOpen = 0;
    static inline bool Closed = false;
    static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        StateWhileOpen = Button->CurrentState();
        DroppedWhileOpen = Button->DroppedDown();
        FaceWhileOpen = OnScreen(Button->Handle(), 8, 15);
        Closed = true;
        EndMenu();
    }
};

struct TMenuRecorder {
    int Popups = 0;
    TPoint At;
    TComponent* For = nullptr;
    TPopupMenu* Menu = nullptr;
    void Popup(TObject*)
    {
        ++Popups;
        At = Menu->PopupPoint();
        For = Menu->PopupComponent();
    }
};

bool Black(HWND w, int x, int y) { return OnScreen(w, x, y) == 0; }

}  // namespace

// The split button's arrow part on the fixture skin (black text colour): a line one pixel wide
// 15 pixels from the right edge, 4 pixels short of top and bottom, and the down arrow (5, 3, 1
// pixels) centred in the last 16 columns; the caption centres in what is left beside them.
TEST(Button, SplitButtonDrawsItsLineAndArrow)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    b->SetStyle(bsSplitButton);
    PumpFor(60);
    ASSERT_EQ(s->Kind(), BS_OWNERDRAW);
    const HWND w = s->Wnd();
    for (int y = 4; y < 26; ++y) EXPECT_TRUE(Black(w, 85, y)) << "line at y " << y;
    struct Case {
        int x, y;
        bool black;
    } cases[] = {{85, 3, false}, {85, 26, false}, {84, 15, false}, {86, 15, false},
                 // The arrow: rows 13, 14, 15 from x 89..93, 90..92, 91.
                 {89, 13, true}, {93, 13, true}, {88, 13, false}, {94, 13, false},
                 {90, 14, true}, {92, 14, true}, {89, 14, false}, {93, 14, false},
                 {91, 15, true}, {90, 15, false}, {92, 15, false}, {91, 16, false}, {91, 12, false}};
    for (const Case& c : cases) EXPECT_EQ(Black(w, c.x, c.y), c.black) << c.x << "," << c.y;
    const TRect cap = b->CaptionRect();
    EXPECT_EQ(cap.left, (84 - cap.Width()) / 2);

    // The plain push button has neither.
    b->SetStyle(bsPushButton);
    PumpFor(60);
    EXPECT_FALSE(Black(s->Wnd(), 85, 8));
    EXPECT_FALSE(Black(s->Wnd(), 91, 15));
}

// A press on the arrow part opens the drop-down menu at the button's bottom-left corner with the
// button pressed while it is open, and is no press of the button: no OnMouseDown, no click. A
// press on the rest of the button is an ordinary click; without a menu the arrow part is too.
TEST(Button, SplitButtonOpensItsMenuFromTheArrowPart)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    b->SetStyle(bsSplitButton);
    TMenuRecorder rec;
    rec.Menu = new TPopupMenu(s->Form.get());
    auto* item = new TMenuItem(rec.Menu);
    item->SetCaption(L"Reset");
    rec.Menu->Items()->Add(item);
    rec.Menu->OnPopup = Bind<&TMenuRecorder::Popup>(&rec);
    b->SetDropDownMenu(rec.Menu);
    PumpFor(60);

    TOpenMenuProbe::Button = b;
    TOpenMenuProbe::Closed = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &TOpenMenuProbe::Close);
    s->Send(WM_LBUTTONDOWN, MK_LBUTTON, 90, 15);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(TOpenMenuProbe::Closed) << "the menu did not run its loop";
    EXPECT_EQ(rec.Popups, 1);
    EXPECT_EQ(rec.For, b);
    EXPECT_EQ(rec.At, b->ClientToScreen(TPoint(0, 30)));
    EXPECT_EQ(TOpenMenuProbe::StateWhileOpen, bstPressed);
    EXPECT_TRUE(TOpenMenuProbe::DroppedWhileOpen);
    EXPECT_EQ(TOpenMenuProbe::FaceWhileOpen, Face(2));
    s->Send(WM_LBUTTONUP, 0, 90, 15);
    Settle(ticks);
    EXPECT_FALSE(b->DroppedDown());
    EXPECT_NE(b->CurrentState(), bstPressed);
    EXPECT_EQ(OnScreen(s->Wnd(), 8, 15), Face(0));
    EXPECT_EQ(s->Downs, 0);
    EXPECT_EQ(s->Ups, 0);
    EXPECT_EQ(s->Clicks, 0);

    s->Press();
    s->Release();
    PumpFor(30);
    EXPECT_EQ(rec.Popups, 1);
    EXPECT_EQ(s->Downs, 1);
    EXPECT_EQ(s->Clicks, 1);

    b->SetDropDownMenu(nullptr);
    s->Send(WM_LBUTTONDOWN, MK_LBUTTON, 90, 15);
    s->Send(WM_LBUTTONUP, 0, 90, 15);
    PumpFor(30);
    EXPECT_EQ(rec.Popups, 1);
    EXPECT_EQ(s->Downs, 2);
    EXPECT_EQ(s->Clicks, 2);
}

// Our own skins: the split part's line and arrow in the caption's colour, readable on the face.
TEST(Button, SplitButtonDarkAndLightScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        TManualTicks ticks;
        auto s = SkinnedScene();
        TsButton* b = s->Skinned();
        b->SetStyle(bsSplitButton);
        b->SetCaption(L"Presets");
        b->SetBounds(20, 30, 110, 26);
        // A second one made split before it has a window, shown hot.
        auto* hot = new TsButton(s->Form.get());
        hot->SetStyle(bsSplitButton);
        hot->SetCaption(L"Hot");
        hot->SetBounds(20, 70, 110, 26);
        hot->SetParent(s->Container);
        hot->Perform(CM_MOUSEENTER, 0, 0);
        Settle(ticks);
        const uint32_t face = Cached(b, 8, 13);
        // The arrow's middle row and the line are far from the face.
        EXPECT_GT(testing_support::ColorDistance(TColor(Cached(b, 110 - 16 + 1, 13)), TColor(face)), 80);
        EXPECT_GT(testing_support::ColorDistance(TColor(Cached(b, 110 - 8 - 1, 12)), TColor(face)), 80);
        testing_support::SaveScreenshot(s->Form->Handle(),
                                        String(L"split_button_") + (String(skin) == L"Dark" ? L"dark" : L"light"), true);
    }
}

namespace {

// An image list of 16 x 16 images, one flat colour each.
TImageList* ColourList(TComponent* owner, std::initializer_list<TColor> colors)
{
    auto* list = new TImageList(owner);
    list->SetSize(16, 16);
    for (TColor c : colors) {
        std::unique_ptr<TBitmap> image(NewBitmap32(16, 16));
        FillDCRect(image->Canvas()->Handle(), TRect(0, 0, 16, 16), c);
        list->AddMasked(image.get(), fs::Rgb(255, 0, 255));
    }
    return list;
}

// The images of the looks: normal, hot, pressed, selected, disabled.
constexpr TColor LookColor[5] = {fs::Rgb(40, 50, 210), fs::Rgb(230, 120, 20), fs::Rgb(20, 160, 60), fs::Rgb(150, 30, 170),
                                 fs::Rgb(110, 110, 110)};

// The colour in the middle of the button's image on screen.
uint32_t ImageColour(TsButton* b)
{
    TRect g;
    b->GlyphRect(g);
    return OnScreen(b->Handle(), g.left + 8, g.top + 8);
}

TsButton* AddButton(TScene& s, int x, int y, const String& caption)
{
    auto* b = new TsButton(s.Form.get());
    b->SetBounds(x, y, 90, 26);
    b->SetCaption(caption);
    b->SetWordWrap(false);
    b->SetParent(s.Container);
    return b;
}

}  // namespace

// Each look shows its own image of the list: normal, hot, pressed (Down), focused (selected),
// the Default button at rest (selected) and disabled; a look whose index lies outside the list
// shows ImageIndex's. A screenshot of the looks side by side.
TEST(Button, ImageOfEachLook)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TManualTicks ticks;
    auto s = SkinnedScene();
    s->Form->SetBounds(120, 120, 300, 150);
    s->Container->SetBounds(0, 0, 300, 150);
    TImageList* list = ColourList(s->Form.get(), {LookColor[0], LookColor[1], LookColor[2], LookColor[3], LookColor[4]});
    TsButton* buttons[6];
    const wchar_t* names[6] = {L"Normal", L"Hot", L"Pressed", L"Focused", L"Default", L"Disabled"};
    for (int i = 0; i < 6; ++i) {
        buttons[i] = i == 0 ? s->Skinned() : AddButton(*s, 10 + (i % 3) * 95, 10 + (i / 3) * 40, names[i]);
        TsButton* b = buttons[i];
        if (i == 0) {
            b->SetBounds(10, 10, 90, 26);
            b->SetCaption(names[0]);
        }
        b->SetDisabledKind(0);   // the disabled image as it is
        b->SetImages(list);
        b->SetImageIndex(0);
        b->SetHotImageIndex(1);
        b->SetPressedImageIndex(2);
        b->SetSelectedImageIndex(3);
        b->SetDisabledImageIndex(4);
    }
    buttons[1]->Perform(CM_MOUSEENTER, 0, 0);
    buttons[2]->SetDown(true);
    buttons[4]->SetDefault(true);
    buttons[5]->SetEnabled(false);
    buttons[3]->SetFocus();
    Settle(ticks);
    for (TsButton* b : buttons) b->SkinData()->Invalidate(true);
    PumpFor(30);
    const int want[6] = {0, 1, 2, 3, 3, 4};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(ToUtf8(names[i]));
        EXPECT_EQ(buttons[i]->GlyphIndex(), want[i]);
        EXPECT_EQ(buttons[i]->CurrentImageIndex(), want[i]);
        // The disabled image is drawn with the list's disabled look.
        if (i < 5) EXPECT_EQ(ImageColour(buttons[i]), Px(LookColor[want[i]]));
    }
    const uint32_t disabledImage = ImageColour(buttons[5]);
    testing_support::SaveScreenshot(s->Form->Handle(), L"button_image_looks", true);

    // Indexes outside the list: ImageIndex's image.
    buttons[1]->SetHotImageIndex(5);
    buttons[5]->SetDisabledImageIndex(-1);
    for (TsButton* b : buttons) b->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_EQ(ImageColour(buttons[1]), Px(LookColor[0]));
    EXPECT_EQ(buttons[5]->GlyphIndex(), 0);
    EXPECT_NE(ImageColour(buttons[5]), disabledImage);
}

// A picture of the image list replaced in place: the button shows the new one at once (the
// cached face held the old picture before).
TEST(Button, AChangedImageListRepaintsTheButton)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    TImageList* list = ColourList(s->Form.get(), {LookColor[0]});
    b->SetImages(list);
    b->SetImageIndex(0);
    PumpFor(30);
    ASSERT_EQ(ImageColour(b), Px(LookColor[0]));
    std::unique_ptr<TBitmap> other(NewBitmap32(16, 16));
    FillDCRect(other->Canvas()->Handle(), TRect(0, 0, 16, 16), LookColor[2]);
    list->ReplaceMasked(0, other.get(), fs::Rgb(255, 0, 255));
    PumpFor(30);
    EXPECT_EQ(ImageColour(b), Px(LookColor[2]));
    EXPECT_EQ(Cached(b, 14, 15), Px(LookColor[2]));
}

// A command link: its caption bold and 2 points larger right of the image box, the hint under
// it in the caption's colour, or in CommandLinkFont when CustomCommandLinkFont; the shield of
// ElevationRequired in the image's place. A screenshot of both.
TEST(Button, CommandLinkWithItsHintAndTheShield)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    s->Form->SetBounds(120, 120, 420, 120);
    s->Container->SetBounds(0, 0, 420, 120);
    TsButton* b = s->Skinned();
    b->SetStyle(bsCommandLink);
    b->SetBounds(10, 10, 190, 90);
    b->SetCaption(L"Calibrate");
    b->SetCommandLinkHint(L"Turn the wheel to both stops");
    PumpFor(60);
    std::unique_ptr<TBitmap> probe(NewBitmap32(10, 10));
    probe->Canvas()->Font()->Assign(b->Font());
    CommandLinkCaptionFont(probe->Canvas()->Font());
    const TSize bold = probe->Canvas()->TextExtent(b->Caption());
    // The caption takes the room right of the 32-pixel image box and the gap, one bold line high.
    const TRect cap = b->CaptionRect();
    EXPECT_EQ(cap, TRect(32 + 6 + 6, 6, 190 - 6, 6 + bold.cy));
    const TRect hint(cap.left, cap.bottom + 6, cap.right, 90 - 6);
    auto count = [&](const TRect& r, uint32_t colour) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < std::min(int(r.right), 190 - 6); ++x) n += Cached(b, x, y) == colour;
        return n;
    };
    EXPECT_GT(count(hint, 0), 20) << "the hint in the section's black";

    const TColor red = fs::Rgb(210, 20, 20);
    b->CommandLinkFont()->SetColor(red);
    b->SetCustomCommandLinkFont(true);
    PumpFor(30);
    EXPECT_GT(count(hint, Px(red)), 20);
    EXPECT_EQ(count(hint, 0), 0);
    EXPECT_GT(count(cap, 0), 20) << "the caption keeps its colour";

    auto* shield = AddButton(*s, 215, 30, L"Install");
    shield->SetBounds(215, 30, 190, 30);
    shield->SetElevationRequired(true);
    PumpFor(60);
    TRect g;
    shield->GlyphRect(g);
    EXPECT_EQ(g, TRect(6, 7, 22, 23));
    int inked = 0;
    for (int y = g.top; y < g.bottom; ++y)
        for (int x = g.left; x < g.right; ++x) inked += Cached(shield, x, y) != Face(0);
    EXPECT_GT(inked, 40) << "the shield is drawn";
    EXPECT_GE(shield->CaptionRect().left, g.right);
    testing_support::SaveScreenshot(s->Form->Handle(), L"button_command_link", true);
}

// The frame's messages as a button answers them while skinned: no erase of its own, 1 to
// WM_UPDATEUISTATE, the colours of its look to scmGetColorTone, and a window region dropped on
// scmRefresh from its manager.
TEST(Button, FrameMessagesOfASkinnedButton)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    m->ButtonsOptions()->ModalButtonsColoring = bcText;
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    b->SetModalResult(mrOk);
    HDC dc = GetDC(s->Wnd());
    EXPECT_EQ(SendMessageW(s->Wnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
    ReleaseDC(s->Wnd(), dc);
    EXPECT_EQ(SendMessageW(s->Wnd(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0), 1);

    TacColoring col;
    EXPECT_EQ(SendSkinCommand(s->Wnd(), scmGetColorTone, reinterpret_cast<LPARAM>(&col)), 1);
    EXPECT_EQ(col.ColorText, TColorOf(0xFF28851Au));
    EXPECT_EQ(col.ColorGlyph, clNone);
    EXPECT_EQ(SendSkinCommand(s->Wnd(), scmGetColorTone, 0), 1);

    SetWindowRgn(s->Wnd(), CreateRectRgn(0, 0, 50, 20), TRUE);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(s->Wnd(), probe), ERROR);
    SendSkinCommand(s->Wnd(), scmRefresh, 12345);   // another manager's: the region stays
    EXPECT_NE(GetWindowRgn(s->Wnd(), probe), ERROR);
    SendSkinCommand(s->Wnd(), scmRefresh, reinterpret_cast<LPARAM>(m.get()));
    EXPECT_EQ(GetWindowRgn(s->Wnd(), probe), ERROR);
    DeleteObject(probe);
    EXPECT_TRUE(b->WordWrap()) << "the skinned button wraps by default";

    // The space bar on the focused button: a fade running is stopped for the pushed face.
    TManualTicks ticks;
    b->SetFocus();
    b->Perform(CM_MOUSEENTER, 0, 0);
    Settle(ticks);
    s->Press();
    ASSERT_TRUE(b->SkinData()->AnimTimer && b->SkinData()->AnimTimer->Enabled());
    b->Perform(CM_DIALOGCHAR, VK_SPACE, 0);
    EXPECT_FALSE(b->SkinData()->AnimTimer->Enabled());
    s->Release();
    Settle(ticks);
}

// Skinned, the own enter and leave events fire before the hover fade starts and before the
// base's events; unskinned, after the base's, and the hover flag follows the mouse.
TEST(Button, OwnEnterAndLeaveEventsComeFirst)
{
    struct TRecorder {
        TsButton* Button = nullptr;
        std::vector<String> Calls;
        void OwnEnter(TObject*)
        {
            const TacThreadedTimer* t = Button->SkinData()->AnimTimer;
            Calls.push_back(t && t->Enabled() ? L"own enter while fading" : L"own enter");
        }
        void OwnLeave(TObject*) { Calls.push_back(L"own leave"); }
        void Enter(TObject*) { Calls.push_back(L"enter"); }
        void Leave(TObject*) { Calls.push_back(L"leave"); }
    };
    for (bool skinned : {true, false}) {
        SCOPED_TRACE(skinned ? "skinned" : "unskinned");
        TManagerPtr m = skinned ? ManagerWithSkin(L"Fixture") : UnskinnedManager(false);
        TManualTicks ticks;
        auto s = skinned ? SkinnedScene() : TScene::Make<TPanel, TsButton>();
        TRecorder r;
        r.Button = s->Skinned();
        r.Button->OwnMouseEnter() = Bind<&TRecorder::OwnEnter>(&r);
        r.Button->OwnMouseLeave() = Bind<&TRecorder::OwnLeave>(&r);
        r.Button->OnMouseEnter = Bind<&TRecorder::Enter>(&r);
        r.Button->OnMouseLeave = Bind<&TRecorder::Leave>(&r);
        s->Button->Perform(CM_MOUSEENTER, 0, 0);
        EXPECT_TRUE(r.Button->SkinData()->FMouseAbove);
        Settle(ticks);
        s->Button->Perform(CM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(r.Button->SkinData()->FMouseAbove);
        Settle(ticks);
        // Unskinned the base handles the message first; the own event follows with the flag.
        const std::vector<String> want = skinned ? std::vector<String>{L"own enter", L"enter", L"own leave", L"leave"}
                                                 : std::vector<String>{L"enter", L"own enter", L"leave", L"own leave"};
        EXPECT_EQ(r.Calls, want);
    }
}

// A button whose action has no OnExecute looks disabled while it stays enabled; the action's
// Enabled reaches the button when it changes and at CM_ACTIONUPDATE.
TEST(Button, ActionWithoutExecuteHandlerLooksDisabled)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = SkinnedScene();
    TsButton* b = s->Skinned();
    auto* action = new TBasicAction(s->Form.get());
    b->SetAction(action);
    b->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_TRUE(b->Enabled());
    EXPECT_NE(OnScreen(s->Wnd(), 8, 15), Face(0));
    int runs = 0;
    struct TRun {
        int* N;
        void Execute(TObject*) { ++*N; }
    } run{&runs};
    action->OnExecute = Bind<&TRun::Execute>(&run);
    b->SkinData()->Invalidate(true);
    PumpFor(30);
    EXPECT_EQ(OnScreen(s->Wnd(), 8, 15), Face(0));

    action->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    b->SetEnabled(true);
    action->Update();   // CM_ACTIONUPDATE: the action's state again
    EXPECT_FALSE(b->Enabled());
    action->SetEnabled(true);
    EXPECT_TRUE(b->Enabled());
    delete action;
    EXPECT_EQ(b->Action(), nullptr);
}

namespace {

// The plain push button as the owner-draw rules give it, into a w x h picture: the raised
// frame, the caption at its rectangle in the given colour, a split part's line and arrow.
std::unique_ptr<TBitmap> PlainButtonPicture(TsButton* b, TColor text, bool split)
{
    const int w = b->Width(), h = b->Height();
    std::unique_ptr<TBitmap> pic(NewBitmap32(w, h));
    HDC dc = pic->Canvas()->Handle();
    RECT r{0, 0, w, h};
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (b->Enabled() ? 0 : DFCS_INACTIVE));
    TCanvas* c = pic->Canvas();
    std::unique_ptr<TFont> font(new TFont());
    font->Assign(b->Font());
    const HGDIOBJ old = SelectObject(dc, font->Handle());
    SetTextColor(dc, ColorToRGB(text));
    SetBkMode(dc, TRANSPARENT);
    RECT cr = b->CaptionRect();
    const String t = b->Caption();
    DrawTextW(dc, t.c_str(), int(t.size()), &cr, DT_VCENTER | DT_EXPANDTABS | DT_SINGLELINE | DT_CENTER);
    SelectObject(dc, old);
    if (split) {
        RECT line{w - 16 + 1, 4, w - 16 + 2, h - 4};
        FillRect(dc, &line, GetSysColorBrush(COLOR_WINDOWFRAME));
        DrawArrowPixels(c, b->Font()->Color(), TRect(w - 16, 0, w, h), adDown, 96);
    }
    return pic;
}

}  // namespace

// Without a skin the button is still owner-drawn, as the plain push button the rules describe,
// pixel for pixel: an Ok button keeps the font's colour (modal colours of text are the skin's),
// a colour given through OnGetColoring is taken, a disabled caption is greyed, and the split
// part has its line and arrow. Clicks work as before; a skin switched on and off keeps it
// owner-drawn.
TEST(Button, UnskinnedItIsAPlainOwnerDrawnButton)
{
    for (int mode = 0; mode < 2; ++mode) {
        SCOPED_TRACE(mode == 0 ? "no manager" : "inactive manager");
        TManagerPtr m = UnskinnedManager(mode == 1);
        auto s = TScene::Make<TPanel, TsButton>(60);
        TsButton* b = s->Skinned();
        EXPECT_EQ(s->Kind(), BS_OWNERDRAW);
        b->SetWordWrap(false);
        struct TCase {
            const char* name;
            TModalResult result;
            TButtonStyle style;
            bool enabled;
            TColor given;   // OnGetColoring's text colour, clNone: none
            TColor text;    // the caption's colour drawn, clNone: the font's
        } cases[] = {
            {"ok", mrOk, bsPushButton, true, clNone, clNone},
            {"given colour", mrCancel, bsPushButton, true, fs::Rgb(200, 0, 0), fs::Rgb(200, 0, 0)},
            {"split", mrNone, bsSplitButton, true, clNone, clNone},
            {"disabled", mrOk, bsPushButton, false, clNone, clGrayText},
        };
        for (const TCase& c : cases) {
            SCOPED_TRACE(c.name);
            b->SetModalResult(c.result);
            b->SetStyle(c.style);
            b->SetEnabled(c.enabled);
            const TColor given = c.given;
            b->OnGetColoring = [given](TObject*, int, TacColoring& col) {
                if (given != clNone) col.ColorText = given;
            };
            b->Invalidate();
            PumpFor(60);
            EXPECT_EQ(s->Kind(), BS_OWNERDRAW);
            auto shot = testing_support::CaptureWindow(s->Wnd());
            auto want = PlainButtonPicture(b, c.text == clNone ? b->Font()->Color() : c.text, c.style == bsSplitButton);
            const testing_support::TBitmapDiff d = testing_support::CompareBitmaps(*shot, *want, 0);
            EXPECT_TRUE(d.sameSize);
            EXPECT_EQ(d.differing, 0) << d.firstAt.x << "," << d.firstAt.y;
            if (c.style == bsSplitButton) testing_support::SaveScreenshot(s->Form->Handle(), L"button_unskinned_split", true);
        }
        b->OnGetColoring = nullptr;
        b->SetStyle(bsPushButton);
        b->SetEnabled(true);
        s->Press();
        s->Release();
        PumpFor(30);
        EXPECT_EQ(s->Clicks, 1);
        if (!m) continue;
        m->SetActive(true);
        PumpFor(60);
        EXPECT_EQ(s->Kind(), BS_OWNERDRAW);
        m->SetActive(false);
        PumpFor(60);
        EXPECT_EQ(s->Kind(), BS_OWNERDRAW);
    }
}

// The speed button's caption is measured in the room the layout leaves: wrapped it grows in
// height within that width, on one line it keeps one line's height, and the layout then centres
// the measured block.
TEST(SpeedButton, CaptionSizeWrapsInTheRoomLeft)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    const String caption = L"Calibrate the shifter now";
    TacSpeedButtonInput in;
    in.Width = 80;
    in.Height = 60;
    in.Margin = 2;
    in.GlyphWidthFlagged = in.GlyphWidth = in.GlyphHeight = 16;
    const int room = SpeedCaptionRoom(in);
    ASSERT_EQ(room, 80 - 4 - 16 - 4);
    const TSize line = SpeedCaptionSize(dc, caption, in);
    in.WordWrap = true;
    const TSize wrapped = SpeedCaptionSize(dc, caption, in);
    EXPECT_GT(line.cx, room) << "one line runs past the room";
    EXPECT_LE(wrapped.cx, room);
    EXPECT_GE(wrapped.cy, 2 * line.cy) << "wrapped over lines";
    in.TextWidth = wrapped.cx;
    in.TextHeight = wrapped.cy;
    const TRect r = CalcButtonCaptionRect(in, true);
    EXPECT_EQ(r.Height(), wrapped.cy);
    EXPECT_EQ(r.top, (60 - wrapped.cy) / 2);
    in.ShowCaption = false;
    EXPECT_EQ(SpeedCaptionSize(dc, caption, in).cx, 0);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}
