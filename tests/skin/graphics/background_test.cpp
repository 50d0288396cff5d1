// Background queries between real windows: a parent that answers with nothing, with a colour or
// with its image; the fallbacks; and the answer as the painters read it. Also the 32-bit bitmap
// wrappers of the painting core and the font comparison.
#include <gtest/gtest.h>

#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/form_services.h"
#include "skin/graphics/background.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "vcl/extctrls.h"
#include "tests/skin/fake_paint_source.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/forms.h"

namespace {

enum class TAnswer { None, Color, Bitmap };

// A parent that paints red left of column 50 and blue from there, and answers background
// queries as told.
class TParent : public TCustomControl {
public:
    explicit TParent(TComponent* owner) : TCustomControl(owner) {}
    TAnswer Answer = TAnswer::None;
    TColor BgColor = 0;           // the answer to the background-colour query (0: none)
    std::unique_ptr<TBitmap> Cache{NewBitmap32(8, 8)};

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && m.WParamHi() == scmGetBackground && Answer != TAnswer::None) {
            auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
            if (Answer == TAnswer::Color) {
                q->Kind = bgColor;
                q->Color = clBtnFace;
            } else {
                q->Kind = bgBitmap;
                q->Bmp = Cache.get();
                q->Offset = TPoint(0, 0);
            }
            return;
        }
        if (m.Msg == MSG_SKINCOMMAND && m.WParamHi() == scmGetBGColor) {
            m.Result = BgColor;
            return;
        }
        TCustomControl::Dispatch(m);
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(TRect(0, 0, 50, Height()));
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(TRect(50, 0, Width(), Height()));
    }
};

struct TFixture {
    FormPtr Form{new TForm(nullptr)};
    TParent* Parent;
    TFixture()
    {
        Form->SetBounds(100, 100, 200, 120);
        Parent = new TParent(Form.get());
        Parent->SetParent(Form.get());
        Parent->SetBounds(0, 0, 100, 40);
        Parent->SetColor(clYellow);
        Form->Show();
    }
};

uint32_t Px(TBitmap* b, int x, int y) { return ReadPixel32(b, x, y) & 0xFFFFFFu; }

}  // namespace

TEST(Background, UnansweredQueryPaintsTheParentOrGivesItsColour)
{
    TFixture f;
    // Described: the parent's own colour, as RGB, when it answers no colour query either.
    TacBgQuery q;
    q.Bmp = reinterpret_cast<TBitmap*>(1);   // reset by the query
    ASSERT_TRUE(GetControlBackground(q, f.Parent, false));
    EXPECT_EQ(q.Kind, bgColor);
    EXPECT_EQ(q.Color, clYellow);
    EXPECT_EQ(q.Bmp, nullptr);
    f.Parent->BgColor = 0x123456;
    GetControlBackground(q, f.Parent, false);
    EXPECT_EQ(q.Color, 0x123456);

    // Painted: the parent's point Offset at the DC's origin, clipped to R.
    std::unique_ptr<TBitmap> dest(NewBitmap32(20, 5));
    FillRectAlpha32(dest.get(), TRect(0, 0, 20, 5), clLime, 255);
    TacBgQuery p;
    p.Offset = TPoint(45, 0);
    p.R = TRect(0, 0, 10, 5);
    p.DC = dest->Canvas()->Handle();
    GetControlBackground(p, f.Parent, true);
    EXPECT_EQ(p.Kind, bgNone);
    EXPECT_EQ(p.R, TRect(45, 0, 55, 5)) << "R stays moved";
    EXPECT_EQ(Px(dest.get(), 4, 2), 0xFF0000u) << "red (pixel order)";
    EXPECT_EQ(Px(dest.get(), 5, 2), 0x0000FFu) << "blue";
    EXPECT_EQ(Px(dest.get(), 10, 2), 0x00FF00u) << "outside R: untouched";
    POINT origin{};
    GetViewportOrgEx(p.DC, &origin);
    EXPECT_EQ(origin.x, 0) << "the DC is restored";
}

TEST(Background, AnsweredQueriesBecomeCacheInfo)
{
    TFixture f;
    f.Parent->Answer = TAnswer::Color;
    TacBgQuery q;
    q.Offset = TPoint(3, 4);
    GetControlBackground(q, f.Parent, false);
    TCacheInfo ci = BgInfoToCacheInfo(q);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.FillColor, ColorToRGB(clBtnFace)) << "system colour resolved";
    EXPECT_EQ(ci.X, 3);

    f.Parent->Answer = TAnswer::Bitmap;
    GetControlBackground(q, f.Parent, false);
    ci = BgInfoToCacheInfo(q);
    EXPECT_TRUE(ci.Ready);
    EXPECT_EQ(ci.FillColor, 0xFF00FF);
    EXPECT_EQ(ci.Bmp.Width, 8);
    EXPECT_EQ(ci.Bmp.Row0, BitmapView(f.Parent->Cache.get()).Row0);
}

TEST(Background, WindowQueriesFallBackToTheSkinOrTheButtonFace)
{
    TFixture f;
    TacBgQuery q;
    EXPECT_FALSE(GetWindowBackground(q, f.Parent->Handle(), false));
    EXPECT_EQ(q.Color, clBtnFace);
    TFakePaintSource skin;
    skin.MainColor = 0x336699;
    {
        TFakePaintSource::TInstall install(&skin);
        EXPECT_FALSE(GetWindowBackground(q, f.Parent->Handle(), false));
        EXPECT_EQ(q.Color, 0x336699);
        skin.Active = false;
        GetWindowBackground(q, f.Parent->Handle(), false);
        EXPECT_EQ(q.Color, clBtnFace);
    }
    f.Parent->Answer = TAnswer::Color;
    EXPECT_TRUE(GetWindowBackground(q, f.Parent->Handle(), false));
}

TEST(Paint32, BitmapWrappersReachTheRows)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(4, 4));
    FillRectAlpha32(b.get(), TRect(-5, -5, 10, 10), clRed, 0x80);
    EXPECT_EQ(ReadPixel32(b.get(), 3, 3), 0x80FF0000u);
    BlendColorRect32(b.get(), TRect(0, 0, 1, 1), 0, clWindow);   // a system colour is resolved
    const uint32_t window = SwapRedBlue(uint32_t(ColorToRGB(clWindow)));
    uint32_t want = 0x80000000u;   // weight 0: 255 x colour shr 8, alpha kept
    for (int s = 0; s < 24; s += 8) want |= ((((window >> s) & 0xFF) * 255) >> 8) << s;
    EXPECT_EQ(ReadPixel32(b.get(), 0, 0), want);

    struct TComposed : TacFormServices {
        bool IsDesktopCompositionOn() override { return true; }
    } composed;
    std::unique_ptr<TBitmap> white(NewBitmap32(1, 1));
    WritePixel32(white.get(), 0, 0, 0xFFFAFAFAu);
    PremultiplyAlpha32(white.get());
    EXPECT_EQ(ReadPixel32(white.get(), 0, 0), 0xFFF4F4F4u);
    WritePixel32(white.get(), 0, 0, 0xFFFAFAFAu);
    SetFormServices(&composed);
    PremultiplyAlpha32(white.get());
    SetFormServices(nullptr);
    EXPECT_EQ(ReadPixel32(white.get(), 0, 0), 0xFFF9F9F9u);

    std::unique_ptr<TBitmap> rgb(new TBitmap(2, 2, pf24bit));
    FillRectAlpha32(rgb.get(), TRect(0, 0, 2, 2), clRed, 255);   // not 32-bit: left alone, no fault
    std::unique_ptr<TBitmap> shadow(CreateShadowBitmap32(0x44000000, 17, 2, 8, 0, 0, false));
    EXPECT_EQ(shadow->Width(), 35);
    EXPECT_EQ(shadow->Height(), 45);
    EXPECT_EQ(ReadPixel32(shadow.get(), 17, 19), 67u << 24);
}

TEST(Text32, FontsEqualComparesStyleSizeColourAndName)
{
    TFont a, b;
    a.SetName(L"Tahoma");
    b.SetName(L"Tahoma");
    EXPECT_TRUE(FontsEqual(&a, &b));
    b.SetColor(clRed);
    EXPECT_FALSE(FontsEqual(&a, &b)) << "colour only";
    b.SetColor(a.Color());
    b.SetName(L"tahoma");
    EXPECT_FALSE(FontsEqual(&a, &b)) << "names compare case-sensitively";
    b.SetName(L"Tahoma");
    b.SetStyle(TFontStyles{fsBold});
    EXPECT_FALSE(FontsEqual(&a, &b));
}

TEST(Background, RegionsWithoutAColour)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(6, 4));
    FillRectAlpha32(b.get(), TRect(0, 0, 6, 4), clBlack, 255);
    HRGN whole = nullptr;
    CreateRegionWithoutColor(whole, b.get(), 0x00FFFFFFu);
    ASSERT_NE(whole, nullptr);
    RECT box{};
    EXPECT_EQ(GetRgnBox(whole, &box), SIMPLEREGION) << "no pixel of the colour: the full rectangle";
    EXPECT_EQ(TRect(box), TRect(0, 0, 6, 4));
    DeleteObject(whole);

    FillRectAlpha32(b.get(), TRect(0, 0, 6, 1), clWhite, 0);   // the top row see-through
    HRGN cut = nullptr;
    CreateRegionWithoutColor(cut, b.get(), 0x00FFFFFFu);
    EXPECT_FALSE(PtInRegion(cut, 2, 0));
    EXPECT_TRUE(PtInRegion(cut, 2, 1));
    DeleteObject(cut);
}

TEST(Background, ChildrenClippedOutOfADC)
{
    TFixture f;
    auto* child = new TPanel(f.Form.get());
    child->SetParent(f.Form.get());
    child->SetBounds(110, 10, 20, 20);
    std::unique_ptr<TBitmap> b(NewBitmap32(200, 120));
    FillRectAlpha32(b.get(), TRect(0, 0, 200, 120), clWhite, 255);
    HDC dc = b->Canvas()->Handle();
    const int saved = SaveDC(dc);
    ExcludeChildControls(dc, f.Form.get(), 0, 0);
    FillDCRect(dc, TRect(0, 0, 200, 120), clBlack);
    RestoreDC(dc, saved);
    GdiFlush();
    EXPECT_EQ(ReadPixel32(b.get(), 115, 15) & 0xFFFFFFu, 0xFFFFFFu) << "the panel's place stays";
    EXPECT_EQ(ReadPixel32(b.get(), 50, 15) & 0xFFFFFFu, 0xFFFFFFu) << "so does the windowed parent control's";
    EXPECT_EQ(ReadPixel32(b.get(), 150, 100) & 0xFFFFFFu, 0u);
}
