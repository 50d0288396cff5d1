// The skinned panel in real windows over a skinned container with the fixture skin: its section
// by outer bevel, the caption area inside border and bevels, the inner side shadow, its children's
// backgrounds from its cache, its paint rule for panels holding loose children (the shifter's
// grid), the standard panel it stays without a skin, and screenshots with our stored skins.
#include <gtest/gtest.h>

#include <memory>

#include "skin/controls/scheckbox.h"
#include "skin/controls/slabel.h"
#include "skin/controls/spanel.h"
#include "skin/graphics/background.h"
#include "tests/skin/controls/paint_checks.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;
using namespace paint_checks;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }
constexpr TColor LineColor = fs::Rgb(10, 120, 30);

// A loose mark on the panel, like the grid's draggable lines.
class TMark : public TGraphicControl {
public:
    explicit TMark(TComponent* owner) : TGraphicControl(owner) {}

protected:
    void Paint() override
    {
        FCanvas->Brush()->SetStyle(bsSolid);
        FCanvas->Brush()->SetColor(LineColor);
        FCanvas->FillRect(TRect(0, 0, Width(), Height()));
    }
};

// A form filled by the test container (PANEL) with a skinned panel on it.
struct TPanelScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Ground = nullptr;
    TsPanel* Panel = nullptr;

    explicit TPanelScene(TBevelCut outer = bvRaised)
    {
        Ground = FillWithTestPanel(Form.get(), 300, 220);
        Panel = new TsPanel(Form.get());
        Panel->SetBounds(20, 20, 240, 170);
        Panel->SetBevelOuter(outer);
        Panel->SetShowCaption(false);
        Panel->SetParent(Ground);
    }
    void Show()
    {
        Form->Show();
        PumpFor(60);
    }
    TsCommonData* Link() const { return Panel->SkinData(); }
    TPixelImage Cache() const { return ImageFromBitmap32(Link()->FCacheBmp); }
};

TEST(SkinPanel, SectionFollowsTheOuterBevel)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    struct TCase {
        TBevelCut Outer;
        const wchar_t* Section;
    };
    const TCase cases[] = {
        {bvRaised, L"PANEL"}, {bvNone, L"TRANSPARENT"}, {bvLowered, L"PANEL_LOW"}, {bvSpace, L"GROUPBOX"}, {bvRaised, L"PANEL"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.Section));
        s.Panel->SetBevelOuter(c.Outer);
        PumpFor(40);
        EXPECT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(c.Section));
        EXPECT_FALSE(s.Link()->BGChanged);
        const TColor centre = testing_support::PixelAt(s.Panel->Handle(), 120, 85);
        EXPECT_EQ(uint32_t(centre), SwapRedBlue(Own(c.Section, 0)));
    }
}

// Raised outer and lowered inner bevel of 2 with a border of 3: the caption lies 7 inside.
TEST(SkinPanel, CaptionIsWrittenInsideBorderAndBevels)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Panel->SetBevelInner(bvLowered);
    s.Panel->SetBevelWidth(2);
    s.Panel->SetBorderWidth(3);
    s.Panel->SetShowCaption(true);
    s.Panel->SetCaption(L"Statistics");
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    EXPECT_EQ(s.Panel->CaptionArea(), TRect(7, 7, 233, 163));
    EXPECT_GT(BlackPixels(s.Cache(), TRect(80, 60, 160, 110)), 10);
    // No caption: the section alone.
    s.Panel->SetShowCaption(false);
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Panel->PrepareCache());
    for (int x = 80; x < 160; ++x) EXPECT_EQ(Rgb(s.Cache().At(x, 85)), Own(L"PANEL", 0)) << x;
}

// An inner shadow on the right: a band of ShadowSize pixels, darkest at the edge.
TEST(SkinPanel, SideShadowDarkensABandFromItsEdge)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Show();
    s.Panel->SideShadow()->SetMode(ssmInternal);
    PumpFor(40);
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Panel->PrepareCache());
    const TPixelImage cache = s.Cache();
    const int w = s.Panel->Width(), y = 85;
    auto green = [&](int x) { return int((cache.At(x, y) >> 8) & 0xFF); };
    // Inside the border slices (4 wide) the panel's colour shows left of the 6-pixel band.
    EXPECT_EQ(Rgb(cache.At(w - 7, y)), Own(L"PANEL", 0));
    EXPECT_LT(green(w - 5), green(w - 7));
    EXPECT_LT(green(w - 1), green(w - 3));
}

// The panel's children are painted over its image: a windowed child asks for its background and
// gets the cache; a label's background is the panel's pixels.
TEST(SkinPanel, ChildrenTakeTheirBackgroundFromThePanelsCache)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s(bvLowered);
    auto* box = new TsCheckBox(s.Form.get());
    box->SetCaption(L"On");
    box->SetBounds(30, 30, 80, 24);
    box->SetParent(s.Panel);
    auto* label = new TsLabel(s.Form.get());
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetCaption(L"Gear");
    label->SetBounds(30, 100, 120, 30);
    label->SetParent(s.Panel);
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    ::SetFocus(nullptr);   // the box in its normal state
    box->SkinData()->FFocused = false;
    box->SkinData()->Invalidate(false);
    PumpFor(30);

    TacBgQuery q;
    GetControlBackground(q, s.Panel, false);
    EXPECT_EQ(q.Kind, bgBitmap);
    EXPECT_EQ(q.Bmp, s.Link()->FCacheBmp);

    // The check box's section lies over the panel's image: its right end (past the caption) is
    // the fixture's CHECKBOX colour, and the panel round it PANEL_LOW.
    const TPixelImage boxCache = ImageFromBitmap32(box->SkinData()->FCacheBmp);
    ASSERT_GT(boxCache.Width(), 0);
    EXPECT_EQ(Rgb(boxCache.At(boxCache.Width() - 1, 1)), Own(L"CHECKBOX", 0));
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Panel->Handle(), 20, 20)), SwapRedBlue(Own(L"PANEL_LOW", 0)));
    // The label's blank part shows the panel.
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Panel->Handle(), 140, 125)), SwapRedBlue(Own(L"PANEL_LOW", 0)));
}

// A panel holding loose (unaligned) children, like the shifter's grid: a paint with a simple clip
// paints the panel and then its loose children; an empty clip (nothing of the panel shows, as
// under a transition's cover) draws nothing and waits for no update that might never end; an
// error clip draws nothing. A panel left waiting paints on scmUpdateDone.
TEST(SkinPanel, APanelWithLooseChildrenPaints)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s(bvNone);
    auto* line = new TMark(s.Form.get());
    line->SetBounds(100, -22, 4, 300);   // like the grid's lines: longer than the panel
    line->SetParent(s.Panel);
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));

    // On screen: the panel and its line.
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Panel->Handle(), 50, 50)), SwapRedBlue(Own(L"TRANSPARENT", 0)));
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Panel->Handle(), 101, 50)), uint32_t(LineColor));

    struct TClipCase {
        const char* Name;
        bool EmptyClip;
        bool Paints, Waits;
    };
    const TClipCase cases[] = {{"simple clip", false, true, false}, {"empty clip", true, false, false}};
    for (const TClipCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::unique_ptr<TBitmap> target = PaintClipped(s.Panel, c.EmptyClip);
        EXPECT_EQ(s.Link()->FUpdating, c.Waits);
        const TPixelView out = BitmapView(target.get());
        if (c.Paints) {
            EXPECT_EQ(Rgb(out.At(50, 50)), Own(L"TRANSPARENT", 0));
            EXPECT_EQ(Rgb(out.At(101, 50)), Rgb(fs::Opaque(LineColor)));
        } else {
            EXPECT_EQ(out.At(50, 50), Sentinel);
        }
    }
    ExpectTheWaitingControlPaintsWhenTheUpdateIsDone(s.Panel);
    ExpectAnErrorClipDrawsNothing(s.Panel);
}

// A child's background is read inside the panel's border: the client area starts BorderWidth
// into the cache. A child at the client's (1, 6) lies in the section's 4-pixel border slice only
// without a border.
TEST(SkinPanel, ChildrenOfABorderedPanelReadInsideTheBorder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    for (int border : {0, 3}) {
        SCOPED_TRACE(border);
        TPanelScene s;
        s.Panel->SetBorderWidth(border);
        s.Show();
        ASSERT_TRUE(s.Link()->Skinned(true));
        TacBgQuery q;
        GetControlBackground(q, s.Panel, false);
        ASSERT_EQ(q.Kind, bgBitmap);
        EXPECT_EQ(q.Offset.x, border);
        EXPECT_EQ(q.Offset.y, border);
        const TPixelImage cache = ImageFromBitmap32(q.Bmp);
        EXPECT_EQ(Rgb(cache.At(q.Offset.x + 1, q.Offset.y + 6)) == Own(L"PANEL", 0), border > 0);
    }
}

// A custom colour is filled straight into the window: inside the section's border image (4 pixels
// of flat slices on PANEL), over the whole panel without one (TRANSPARENT); the caption on top.
TEST(SkinPanel, ACustomColourIsFilledInsideTheSectionsBorder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    constexpr TColor Custom = fs::Rgb(200, 40, 90);
    const int panel = fs::SectionNumber(L"PANEL");
    struct TCase {
        TBevelCut Outer;
        bool Framed;
    };
    for (const TCase& c : {TCase{bvRaised, true}, TCase{bvNone, false}}) {
        SCOPED_TRACE(c.Framed ? "PANEL" : "TRANSPARENT");
        TPanelScene s(c.Outer);
        s.Link()->SetCustomOption(0, true);
        s.Panel->SetColor(Custom);
        s.Panel->SetShowCaption(true);
        s.Panel->SetCaption(L"Custom");
        s.Show();
        ASSERT_TRUE(s.Link()->Skinned(true));
        auto shot = testing_support::CaptureWindow(s.Panel->Handle());
        auto at = [&](int x, int y) { return uint32_t(testing_support::PixelAt(*shot, x, y)); };
        const int w = s.Panel->Width();
        for (int x : {4, 60, w - 5}) EXPECT_EQ(at(x, 30), uint32_t(Custom)) << x;
        const uint32_t left = c.Framed ? SwapRedBlue(Rgb(fs::Opaque(fs::SliceColor(panel, 0, 0, 1)))) : uint32_t(Custom);
        const uint32_t right = c.Framed ? SwapRedBlue(Rgb(fs::Opaque(fs::SliceColor(panel, 0, 2, 1)))) : uint32_t(Custom);
        EXPECT_EQ(at(1, 30), left);
        EXPECT_EQ(at(w - 2, 30), right);
        EXPECT_GT(BlackPixels(ImageFromBitmap32(shot.get()), TRect(80, 60, 160, 110)), 10);
        // A new colour shows at once.
        constexpr TColor Other = fs::Rgb(30, 160, 70);
        s.Panel->SetColor(Other);
        PumpFor(40);
        EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Panel->Handle(), 60, 30)), uint32_t(Other));
    }
}

// Top-aligned children keep their order through a change to 144 pixels per inch, whatever their
// order among the panel's children.
TEST(SkinPanel, ScalingKeepsTheOrderOfAlignedChildren)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    auto* lower = new TPanel(s.Form.get());
    lower->SetBounds(0, 30, 100, 30);
    lower->SetParent(s.Panel);
    lower->SetAlign(alTop);
    auto* upper = new TPanel(s.Form.get());
    upper->SetBounds(0, 0, 100, 30);
    upper->SetParent(s.Panel);
    upper->SetAlign(alTop);
    s.Show();
    ASSERT_LT(upper->Top(), lower->Top());
    s.Panel->ScaleForPPI(144);
    PumpFor(30);
    EXPECT_EQ(upper->Height(), 45);
    EXPECT_EQ(lower->Height(), 45);
    EXPECT_EQ(lower->Top(), upper->Top() + upper->Height());
    EXPECT_EQ(upper->Top(), s.Panel->ClientRect().top);
}

// The panel's item is painted as a control's: its corner images lie over the border.
TEST(SkinPanel, CornerImagesLieOverTheBorder)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Link()->SetSkinSection(L"CORNERS");
    s.Show();
    ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"CORNERS"));
    s.Link()->BGChanged = true;
    ASSERT_TRUE(s.Panel->PrepareCache());
    const TPixelImage cache = s.Cache();
    EXPECT_EQ(Rgb(cache.At(0, fs::Border + 1)), Rgb(fs::Opaque(fs::CornerColor(0, 0))));
    EXPECT_EQ(Rgb(cache.At(s.Panel->Width() / 2, s.Panel->Height() / 2)), Own(L"CORNERS", 0));
}

// OnPaint draws over the panel's own painting: into its image while skinned, on the window
// without a skin.
TEST(SkinPanel, OnPaintDrawsOverThePanel)
{
    constexpr TColor Mark = fs::Rgb(200, 40, 160);
    auto paint = TPaintEvent::FromCallable([](TObject*, TCanvas* c) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Mark);
        c->FillRect(TRect(30, 30, 60, 60));
    });
    {
        TManagerPtr m = ManagerWithSkin(L"Fixture");
        TPanelScene s;
        s.Panel->OnPaint = paint;
        s.Show();
        ASSERT_TRUE(s.Link()->Skinned(true));
        EXPECT_EQ(Rgb(s.Cache().At(40, 40)), Rgb(fs::Opaque(Mark)));
        EXPECT_EQ(testing_support::PixelAt(s.Panel->Handle(), 40, 40), Mark);
    }
    {
        TManagerPtr m = UnskinnedManager(true);
        TPanelScene s;
        s.Panel->OnPaint = paint;
        s.Show();
        ASSERT_FALSE(s.Link()->Skinned(true));
        EXPECT_EQ(testing_support::PixelAt(s.Panel->Handle(), 40, 40), Mark);
        EXPECT_NE(testing_support::PixelAt(s.Panel->Handle(), 100, 100), Mark);
    }
}

// A system erase draws nothing (WM_PAINT paints the panel whole); an erase from a painting that
// asks for the panel's picture (WParam = LParam) gets the cache.
TEST(SkinPanel, OnlyAnEraseForItsPictureCopiesTheCache)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    const uint32_t inside = Rgb(s.Cache().At(120, 80));
    TBitmap target;
    target.SetPixelFormat(pf32bit);
    target.SetSize(s.Panel->Width(), s.Panel->Height());
    HDC dc = target.Canvas()->Handle();
    auto at = [&] { return Rgb(SwapRedBlue(uint32_t(GetPixel(dc, 120, 80)))); };
    FillDCRect(dc, TRect(0, 0, target.Width(), target.Height()), TColor(0x123456));
    EXPECT_EQ(s.Panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(at(), Rgb(SwapRedBlue(0x123456u)));
    s.Link()->BGChanged = true;   // composed first when stale
    EXPECT_EQ(s.Panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc)), 1);
    EXPECT_EQ(at(), inside);
    EXPECT_FALSE(s.Link()->BGChanged);
}

// A refresh of the skin gives the window class its button-face brush back.
TEST(SkinPanel, ARefreshRestoresTheClassBrush)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Show();
    HWND wnd = s.Panel->Handle();
    const LONG_PTR saved = GetClassLongPtrW(wnd, GCLP_HBRBACKGROUND);
    SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
    s.Panel->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmRefresh), reinterpret_cast<LPARAM>(m.get()));
    EXPECT_EQ(GetClassLongPtrW(wnd, GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, saved);
}

// A panel that waited for its parent while it was resized tells OnResize when the wait is over.
TEST(SkinPanel, AWaitEndingAfterAResizeFiresOnResize)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TPanelScene s;
    s.Show();
    int resized = 0;
    s.Panel->OnResize = TNotifyEvent::FromCallable([&](TObject*) { ++resized; });
    struct TCase {
        const char* Name;
        bool CacheSized;
        int Resizes;
    };
    for (const TCase& c : {TCase{"the cache has the panel's size", true, 0}, TCase{"it has not", false, 1}}) {
        SCOPED_TRACE(c.Name);
        resized = 0;
        s.Link()->BGChanged = true;
        ASSERT_TRUE(s.Panel->PrepareCache());
        if (!c.CacheSized) s.Link()->FCacheBmp->SetSize(10, 10);
        s.Link()->FUpdating = true;
        s.Panel->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmUpdateDone), 0);
        EXPECT_EQ(resized, c.Resizes);
        EXPECT_FALSE(s.Link()->FUpdating);
    }
}

// Without a manager, or with an inactive one, the panel looks exactly like the standard panel.
TEST(SkinPanel, WithoutAnActiveSkinItIsTheStandardPanel)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        FormPtr form(new TForm(nullptr));
        PlaceForm(form.get(), 420, 120);
        auto* skinned = new TsPanel(form.get());
        skinned->SetBounds(10, 10, 190, 90);
        skinned->SetCaption(L"Wheel");
        skinned->SetBevelOuter(bvLowered);
        skinned->SetParent(form.get());
        auto* plain = new TPanel(form.get());
        plain->SetBounds(210, 10, 190, 90);
        plain->SetCaption(L"Wheel");
        plain->SetBevelOuter(bvLowered);
        plain->SetParent(form.get());
        ExpectLooksLikeThePlainControl(form.get(), skinned, plain);
    }
}

TEST(SkinPanel, ScreenshotsWithOurSkins)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        FormPtr form(new TForm(nullptr));
        TTestSkinPanel* ground = FillWithTestPanel(form.get(), 420, 200);
        auto* raised = new TsPanel(form.get());
        raised->SetBounds(10, 10, 190, 80);
        raised->SetCaption(L"Raised panel");
        raised->SetParent(ground);
        auto* lowered = new TsPanel(form.get());
        lowered->SetBounds(220, 10, 190, 80);
        lowered->SetBevelOuter(bvLowered);
        lowered->SetCaption(L"Lowered panel");
        lowered->SetParent(ground);
        auto* grid = new TsPanel(form.get());
        grid->SetBounds(10, 100, 400, 90);
        grid->SetBevelOuter(bvNone);
        grid->SetShowCaption(false);
        grid->SetParent(ground);
        auto* line = new TMark(form.get());
        line->SetBounds(150, -22, 2, 140);
        line->SetParent(grid);
        auto* box = new TsCheckBox(form.get());
        box->SetCaption(L"Trails");
        box->SetChecked(true);
        box->SetBounds(12, 10, 100, 22);
        box->SetParent(grid);
        auto* label = new TsLabel(form.get());
        label->SetCaption(L"Gear 1");
        label->SetBounds(180, 40, 80, 20);
        label->SetParent(grid);
        form->Show();
        PumpFor(80);
        ASSERT_TRUE(raised->SkinData()->Skinned(true));
        testing_support::SaveScreenshot(form->Handle(), String(L"panel_") + skin, true);
    }
}

}  // namespace
