// The skinned status bar: panels, dividers or panel images, texts and owner-drawn panels composed
// into its cache from the fixture skin, what reaches the screen, the look of the stored skins, and
// the standard bar it stays without a skin.
#include <gtest/gtest.h>


#include "skin/controls/core/status_panels.h"
#include "skin/controls/sstatusbar.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/vcl/form_ptr.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), 0))); }
uint32_t Slice(const wchar_t* section, int col, int row)
{
    return Rgb(fs::Opaque(fs::SliceColor(fs::SectionNumber(section), 0, col, row)));
}
constexpr uint32_t Marker = 0x2040C0;   // what the owner-draw handler fills with (TColor 0xBBGGRR)

// A form filled by the test container (PANEL) with a status bar at its bottom.
struct TBarScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsStatusBar* Bar = nullptr;
    std::vector<TRect> Drawn;   // the rectangles the owner-draw handler was given

    explicit TBarScene(const std::vector<int>& widths, int width = 420)
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(140, 140, width, 120);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetAlign(alClient);
        Panel->SetBevelOuter(bvNone);
        Panel->SetParent(Form.get());
        Bar = new TsStatusBar(Form.get());
        Bar->SetSizeGrip(false);
        Bar->SetParent(Panel);
        Bar->SetAlign(alBottom);
        Bar->SetHeight(22);
        for (int w : widths) Bar->Panels()->Add()->SetWidth(w);
        Bar->OnDrawPanel = TDrawPanelEvent::FromCallable([this](TStatusBar* bar, TStatusPanel*, const TRect& r) {
            Drawn.push_back(r);
            bar->Canvas()->Brush()->SetColor(TColor(Marker));
            bar->Canvas()->FillRect(r);
        });
    }
    void Show()
    {
        Form->Show();
        PumpFor(80);
    }
    TsCommonData* Link() const { return Bar->SkinData(); }
    TPixelImage Cache()
    {
        Link()->BGChanged = true;
        EXPECT_TRUE(Bar->PrepareCache());
        return ImageFromBitmap32(Link()->FCacheBmp);
    }
    TStatusPanel* P(int i) const { return Bar->Panels()->Items(i); }
};

// Dark pixels (the fixture's text colour is black) inside r.
int DarkIn(const TPixelImage& img, const TRect& r)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += Rgb(img.At(x, y)) < 0x202020u;
    return n;
}

int KeyPixels(const TPixelImage& img)
{
    int n = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) n += Rgb(img.At(x, y)) == 0xFF00FFu;
    return n;
}

TEST(SkinStatusBar, PanelsGetDividersFromTheDividerSectionAndTheirTexts)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 80, 60});
    s.P(0)->SetText(L"Wheel");
    s.P(1)->SetBevel(pbNone);
    s.P(2)->SetText(L"Pedal");
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"STATUSBAR"));
    const std::vector<TRect> rects = s.Bar->PanelRects();
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[2], TRect(181, 1, s.Bar->Width() - 1, 21));   // the last runs to the end
    const TPixelImage cache = s.Cache();
    const int y = 11;
    // The section inside its border, and the divider (8 wide: the fixture's margins 4 + 4) centred
    // on the gap after the first panel: its left and right border slices.
    EXPECT_EQ(Rgb(cache.At(60, y)), Own(L"STATUSBAR"));
    const TRect div = StatusDividerRect(rects[0], 8, 22);
    EXPECT_EQ(div, TRect(94, 1, 102, 21));
    EXPECT_EQ(Rgb(cache.At(div.left + 1, y)), Slice(L"DIVIDER", 0, 1));
    EXPECT_EQ(Rgb(cache.At(div.right - 2, y)), Slice(L"DIVIDER", 2, 1));
    EXPECT_EQ(Rgb(cache.At(div.left - 1, y)), Own(L"STATUSBAR"));
    // No divider after a panel without a bevel, nor after the last one.
    const TRect none = StatusDividerRect(rects[1], 8, 22);
    for (int x = none.left; x < none.right; ++x) EXPECT_EQ(Rgb(cache.At(x, y)), Own(L"STATUSBAR")) << x;
    EXPECT_EQ(Rgb(cache.At(s.Bar->Width() - 6, y)), Own(L"STATUSBAR"));
    // Texts in the section's colour (black) inside their text rectangles; the empty panel has none.
    EXPECT_GT(DarkIn(cache, StatusTextRect(rects[0])), 5);
    EXPECT_GT(DarkIn(cache, StatusTextRect(rects[2])), 5);
    EXPECT_EQ(DarkIn(cache, StatusTextRect(rects[1])), 0);
    // A new text makes the image stale; the bar is recomposed and the screen shows the cache.
    s.P(1)->SetText(L"Shifter");
    EXPECT_TRUE(s.Link()->BGChanged);
    PumpFor(80);
    EXPECT_TRUE(s.Link()->HalfVisible);   // it reaches the bottom of its parent
    EXPECT_GT(DarkIn(ImageFromBitmap32(s.Link()->FCacheBmp), StatusTextRect(rects[1])), 5);
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Bar->Handle(), div.left + 1, y)), SwapRedBlue(Slice(L"DIVIDER", 0, 1)));
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Bar->Handle(), 60, y)), SwapRedBlue(Own(L"STATUSBAR")));
}

TEST(SkinStatusBar, WithAPanelImageEveryPanelIsDrawnFromItAndNoDivider)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 80, 60});
    s.Link()->SetSkinSection(L"STATUSBARMASKED");
    s.P(0)->SetText(L"Wheel");
    s.Show();
    ASSERT_EQ(s.Link()->SkinIndex, m->GetSkinIndex(L"STATUSBARMASKED"));
    const std::vector<TRect> rects = s.Bar->PanelRects();
    const TPixelImage cache = s.Cache();
    const int y = 11;
    for (const TRect& r : rects) {
        SCOPED_TRACE(r.left);
        // The image stretched over the panel's rectangle: left, centre and right slices.
        EXPECT_EQ(Rgb(cache.At(r.left + 1, y)), Slice(L"STATUSBARMASKED", 0, 1));
        EXPECT_EQ(Rgb(cache.At(r.right - 2, y)), Slice(L"STATUSBARMASKED", 2, 1));
        EXPECT_EQ(Rgb(cache.At(r.left + 3, r.top + 3)), Slice(L"STATUSBARMASKED", 0, 0));
    }
    // The image has no centre: the section shows there. Its see-through corners never show the key.
    EXPECT_EQ(Rgb(cache.At(60, y)), Own(L"STATUSBARMASKED"));
    EXPECT_EQ(KeyPixels(cache), 0);
    EXPECT_GT(DarkIn(cache, StatusTextRect(rects[0])), 5);
    // A simple bar: the image covers the whole bar, the text starts at x = 3.
    s.Bar->SetSimpleText(L"Ready");
    s.Bar->SetSimplePanel(true);
    const TPixelImage simple = s.Cache();
    EXPECT_EQ(Rgb(simple.At(1, y)), Slice(L"STATUSBARMASKED", 0, 1));
    EXPECT_EQ(Rgb(simple.At(s.Bar->Width() - 2, y)), Slice(L"STATUSBARMASKED", 2, 1));
    EXPECT_EQ(Rgb(simple.At(200, 1)), Slice(L"STATUSBARMASKED", 1, 0));
    EXPECT_EQ(Rgb(simple.At(200, y)), Own(L"STATUSBARMASKED"));
    EXPECT_EQ(KeyPixels(simple), 0);
    const TRect text = StatusTextRect(StatusSimplePanelRect(s.Bar->Width(), 22));
    EXPECT_EQ(text.left, 3);
    EXPECT_GT(DarkIn(simple, TRect(3, text.top, 40, text.bottom)), 5);
    EXPECT_EQ(DarkIn(simple, TRect(0, text.top, 3, text.bottom)), 0);
}

TEST(SkinStatusBar, OwnerDrawnPanelsDrawIntoTheCacheAtTheirRectangle)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 40, 60});
    s.P(1)->SetStyle(psOwnerDraw);
    s.P(1)->SetText(L"Disconnected");
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    s.Drawn.clear();
    const TPixelImage cache = s.Cache();
    const TRect r = s.Bar->PanelRects()[1];
    ASSERT_EQ(s.Drawn.size(), 1u);
    EXPECT_EQ(s.Drawn[0], r);
    EXPECT_EQ(r, TRect(101, 1, 139, 21));
    // The handler's drawing fills the rectangle in the cache (its text is not written), nothing beyond.
    for (TPoint p : {r.TopLeft(), TPoint(r.right - 1, r.bottom - 1), TPoint((r.left + r.right) / 2, 11)})
        EXPECT_EQ(Rgb(cache.At(p.x, p.y)), SwapRedBlue(Marker)) << p.x << "," << p.y;
    EXPECT_NE(Rgb(cache.At(r.left - 1, 11)), SwapRedBlue(Marker));
    EXPECT_NE(Rgb(cache.At(r.right, 11)), SwapRedBlue(Marker));
    EXPECT_NE(Rgb(cache.At(r.left, r.bottom)), SwapRedBlue(Marker));
    // And reaches the screen with the cache.
    s.Link()->Invalidate(false);
    PumpFor(80);
    EXPECT_EQ(uint32_t(testing_support::PixelAt(s.Bar->Handle(), r.left + 5, 11)), Marker);
}

// The main window's bar in the stored skins: panel images, the grip, and the connection icons
// drawn by the handler.
TEST(SkinStatusBar, StoredSkinsDrawTheMainWindowsPanels)
{
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        TManagerPtr m = ManagerWithSkin(skin);
        TBarScene s({620, 50, 100, 20, 50, 20, 50, 20, 50, 50}, 1081);
        s.Bar->SetSizeGrip(true);
        const wchar_t* texts[] = {L"Connected to the base", L"Sel", L"", L"Disconnected", L"Wheel",
                                  L"Disconnected", L"Shifter", L"Disconnected", L"Pedal", L"0.0.0.0"};
        for (int i = 0; i < 10; ++i) {
            s.P(i)->SetText(texts[i]);
            if (i == 3 || i == 5 || i == 7) s.P(i)->SetStyle(psOwnerDraw);
        }
        s.Show();
        ASSERT_TRUE(s.Link()->Skinned(true));
        TacSkinData* d = s.Link()->ResolveSkinData();
        ASSERT_TRUE(d->IsValidImage(d->MaskIndexOf(s.Link()->SkinIndex, L"STATUSPANELMASK")));
        const std::vector<TRect> rects = s.Bar->PanelRects();
        ASSERT_EQ(rects.size(), 10u);
        ASSERT_EQ(s.Bar->Width(), 1081);
        EXPECT_EQ(rects[9], TRect(981, 1, 1062, 21));
        s.Drawn.clear();
        const TPixelImage cache = s.Cache();
        EXPECT_EQ(s.Drawn.size(), 3u);
        EXPECT_EQ(Rgb(cache.At(rects[3].left + 3, 10)), SwapRedBlue(Marker));
        // The grip lies in the corner: it differs from the plain bar above it.
        ASSERT_TRUE(d->IsValidImage(d->GripRightBottom));
        int gripPixels = 0;
        for (int x = 1069; x < 1079; ++x)
            for (int y = 12; y < 20; ++y) gripPixels += Rgb(cache.At(x, y)) != Rgb(cache.At(1066, y));
        EXPECT_GT(gripPixels, 3);
        testing_support::SaveScreenshot(s.Bar->Handle(), String(L"status_bar_") + skin, true);
    }
}

// Panel widths follow the bar's scaling (a change of pixels per inch).
// With a border the cache is the whole bar: its border strips go to the frame (WM_NCPAINT), its
// inside from (BorderWidth, BorderWidth) on to the client area, and a print shows both in place.
TEST(SkinStatusBar, ABorderedBarShowsItsWholeImageInFrameAndClient)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 80, 60});
    s.Bar->SetBorderWidth(3);
    s.P(0)->SetText(L"Wheel");
    s.Show();
    ASSERT_TRUE(s.Link()->Skinned(true));
    const TPixelImage cache = s.Cache();
    s.Link()->Invalidate(false);
    RedrawWindow(s.Bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    PumpFor(30);
    const int w = s.Bar->Width(), h = s.Bar->Height();
    HWND wnd = s.Bar->Handle();
    HDC dc = GetWindowDC(wnd);
    const TPoint spots[] = {{1, 1}, {1, h / 2}, {w - 2, h / 2}, {60, h - 2}, {60, 1}, {4, h / 2}, {97, 11}, {150, 8}};
    for (TPoint p : spots) EXPECT_EQ(Rgb(GetPixel(dc, p.x, p.y)), SwapRedBlue(Rgb(cache.At(p.x, p.y)))) << p.x << "," << p.y;
    ReleaseDC(wnd, dc);
    // A print of the whole window is the same picture.
    TBitmap print;
    print.SetPixelFormat(pf32bit);
    print.SetSize(w, h);
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(print.Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
    const TPixelImage printed = ImageFromBitmap32(&print);
    for (TPoint p : spots) EXPECT_EQ(Rgb(printed.At(p.x, p.y)), Rgb(cache.At(p.x, p.y))) << p.x << "," << p.y;
}

// Leaving the skin, the bar is made anew with the native look; its panels stay.
TEST(SkinStatusBar, RemovingTheSkinRecreatesTheWindow)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 80});
    s.P(0)->SetText(L"Wheel");
    s.Show();
    HWND old = s.Bar->Handle();
    m->SetActive(false);
    PumpFor(30);
    EXPECT_FALSE(IsWindow(old));
    ASSERT_TRUE(s.Bar->HandleAllocated());
    EXPECT_EQ(SendMessageW(s.Bar->Handle(), SB_GETPARTS, 0, 0), 2);
    EXPECT_EQ(s.Bar->Canvas()->Brush()->Style(), bsSolid);
}

TEST(SkinStatusBar, ScalingScalesThePanelWidths)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TBarScene s({100, 50, 20});
    s.Show();
    s.Bar->ScaleForPPI(s.Bar->CurrentPPI() * 2);
    EXPECT_EQ(s.P(0)->Width(), 200);
    EXPECT_EQ(s.P(1)->Width(), 100);
    EXPECT_EQ(s.P(2)->Width(), 40);
}

// Without a manager, with an inactive one, or after its skin was switched off, the bar looks
// exactly like the standard status bar.
TEST(SkinStatusBar, WithoutAnActiveSkinItIsTheStandardStatusBar)
{
    enum TMode { NoManager, Inactive, Removed };
    for (TMode mode : {NoManager, Inactive, Removed}) {
        SCOPED_TRACE(mode == NoManager ? "no manager" : mode == Inactive ? "inactive manager" : "skin removed");
        TManagerPtr m = mode == Removed ? ManagerWithSkin(L"Fixture") : UnskinnedManager(mode == Inactive);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(140, 140, 420, 120);
        auto setUp = [&](TStatusBar* bar, int top) {
            bar->SetAlign(alNone);
            bar->SetBounds(0, top, 400, 22);
            bar->SetParent(form.get());
            for (int w : {100, 80, 60}) bar->Panels()->Add()->SetWidth(w);
            bar->Panels()->Items(0)->SetText(L"Wheel");
        };
        auto* skinned = new TsStatusBar(form.get());
        setUp(skinned, 10);
        auto* plain = new TStatusBar(form.get());
        setUp(plain, 60);
        form->Show();
        PumpFor(80);
        if (mode == Removed) {
            ASSERT_TRUE(skinned->SkinData()->Skinned(true));
            m->SetActive(false);
            PumpFor(80);
        }
        EXPECT_FALSE(skinned->SkinData()->Skinned(true));
        auto a = testing_support::CaptureWindow(skinned->Handle());
        auto b = testing_support::CaptureWindow(plain->Handle());
        EXPECT_TRUE(testing_support::BitmapsMatch(*a, *b, 0));
    }
}

}  // namespace
