// The GDI side of the anti-aliased text: masks, blending, effects and the mark-up labels.
#include <gtest/gtest.h>

#include "support/aatext/aa_labels.h"
#include "tests/common/test_support.h"
#include "vcl/application.h"

namespace {

// A white 24-bit canvas with a black 20-pixel Arial.
struct Surface {
    TBitmap bmp{120, 60, pf24bit};
    Surface()
    {
        TCanvas* c = bmp.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 120, 60));
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetName(L"Arial");
        c->Font()->SetHeight(-20);
        c->Font()->SetColor(clBlack);
    }
    TCanvas* Canvas() { return bmp.Canvas(); }
    TRgb At(int x, int y)
    {
        GdiFlush();
        return RgbOf(static_cast<uint32_t>(Canvas()->Pixels(x, y)));
    }
    // Pixels that differ from white, and the darkest red channel seen.
    std::pair<int, int> Ink()
    {
        GdiFlush();
        int count = 0, darkest = 255;
        for (int y = 0; y < bmp.Height(); ++y) {
            auto* row = static_cast<uint8_t*>(bmp.ScanLine(y));
            for (int x = 0; x < bmp.Width(); ++x) {
                uint8_t* p = row + 3 * x;
                if (p[0] != 255 || p[1] != 255 || p[2] != 255) ++count;
                darkest = std::min<int>(darkest, p[2]);
            }
        }
        return {count, darkest};
    }
};

int MaskSum(TAAMask& m)
{
    int sum = 0;
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) sum += m.Pixel(x, y);
    return sum;
}

}  // namespace

TEST(AAText, MaskOfATextAndItsBounds)
{
    Surface s;
    TAAFont font(s.Canvas());
    TSize ext = font.TextExtent(L"Hello");
    EXPECT_GT(ext.cx, 20);
    EXPECT_GE(ext.cy, 18);
    EXPECT_LE(ext.cy, 26);
    for (TAAQuality q : {aqHigh, aqNormal, aqLow, aqNone}) {
        font.SetQuality(q);
        font.Mask()->DrawMask(L"Hello");
        EXPECT_EQ(font.Mask()->Width(), font.TextWidth(L"Hello")) << q;
        EXPECT_GT(MaskSum(*font.Mask()), 255 * 20) << q;
    }
    // aqNone: the text drawn at its own size, hard edges only.
    font.SetQuality(aqNone);
    font.Mask()->DrawMask(L"Hello");
    for (int y = 0; y < font.Mask()->Height(); ++y)
        for (int x = 0; x < font.Mask()->Width(); ++x) {
            int v = font.Mask()->Pixel(x, y);
            ASSERT_TRUE(v == 0 || v == 255) << v;
        }

    font.Mask()->DrawMaskEx(L"Hi", {5, 10}, {0, 0});
    EXPECT_EQ(font.Mask()->BytesLineMask(), 8);
    EXPECT_THROW(font.Mask()->ScanLine(10), EInvalidLine);
    EXPECT_THROW(font.Mask()->ScanLine(-1), EInvalidLine);
    EXPECT_THROW(font.Mask()->Pixel(5, 0), EInvalidPixel);
    try {
        font.Mask()->Pixel(0, 10);
    } catch (const EInvalidPixel& e) {
        EXPECT_EQ(e.Message(), L"Invalid pixel!");
    }
}

TEST(AAText, NoCanvasMeasuresNothingAndDrawsNothing)
{
    TAAFont font(nullptr);
    EXPECT_EQ(font.TextExtent(L"Hello"), TSize(0, 0));
    font.TextOutput(0, 0, L"Hello");
    TAAFontEx ex(nullptr);
    ex.TextOutput(0, 0, L"Hello");
    SUCCEED();
}

TEST(AAText, BlendPaintsTheColourByAlpha)
{
    for (auto [alpha, darkestAtMost, darkestAtLeast] : {std::tuple{100, 10, 0}, {50, 140, 120}, {0, 255, 255}}) {
        Surface s;
        TAAFont font(s.Canvas());
        font.TextOutput(4, 4, L"HHHH", alpha);
        auto [count, darkest] = s.Ink();
        EXPECT_LE(darkest, darkestAtMost) << alpha;
        EXPECT_GE(darkest, darkestAtLeast) << alpha;
        if (alpha > 0) {
            EXPECT_GT(count, 50);
        }
        EXPECT_EQ(s.At(119, 59), (TRgb{255, 255, 255}));   // outside the text box
    }
}

TEST(AAText, BlendExChecksTheForegroundBitmap)
{
    Surface s;
    TAAFont font(s.Canvas());
    font.Mask()->DrawMask(L"Hi");
    TBitmap wrong(3, 3, pf24bit);
    font.Blend()->SetForeBmp(&wrong);
    try {
        font.Blend()->BlendEx(0, 0, *font.Mask(), 100);
        FAIL() << "no exception";
    } catch (const EInvalidForeBmp& e) {
        EXPECT_EQ(e.Message(), L"Invalid foreground bitmap!");
    }
    EXPECT_EQ(s.Ink().first, 0);
    TBitmap right(font.Mask()->Width(), font.Mask()->Height(), pf24bit);
    right.Canvas()->Brush()->SetColor(clRed);
    right.Canvas()->FillRect(Rect(0, 0, right.Width(), right.Height()));
    font.Blend()->SetForeBmp(&right);
    font.Blend()->BlendEx(0, 0, *font.Mask(), 100);
    EXPECT_GT(s.Ink().first, 10);
}

TEST(AAText, EffectsChangeWhatIsDrawn)
{
    struct Case {
        const char* name;
        std::function<void(TAAEffect&)> set;
        std::function<void(Surface&, TAAFontEx&)> check;
    } cases[] = {
        {"gradient red to blue", [](TAAEffect& e) {
             e.Gradual()->SetEnabled(true);
             e.Gradual()->SetStartColor(clRed);
             e.Gradual()->SetEndColor(clBlue);
         },
         [](Surface& s, TAAFontEx&) {
             // Some ink is reddish, some bluish: the fill runs across the text.
             GdiFlush();
             bool red = false, blue = false;
             for (int y = 0; y < 60; ++y)
                 for (int x = 0; x < 120; ++x) {
                     TRgb p = s.At(x, y);
                     if (p.r > 200 && p.b < 80 && p.g < 80) red = true;
                     if (p.b > 200 && p.r < 80 && p.g < 80) blue = true;
                 }
             EXPECT_TRUE(red);
             EXPECT_TRUE(blue);
         }},
        {"texture with an empty picture falls through to the plain colour", [](TAAEffect& e) {
             e.Texture()->SetEnabled(true);
         },
         [](Surface& s, TAAFontEx&) { EXPECT_LE(s.Ink().second, 10); }},
        {"shadow (-3, 2)", [](TAAEffect& e) {
             e.Shadow()->SetEnabled(true);
             e.Shadow()->SetOffsetX(-3);
             e.Shadow()->SetOffsetY(2);
             e.Shadow()->SetColor(clRed);
             e.Shadow()->SetBlur(0);
             e.Shadow()->SetAlpha(100);
         },
         [](Surface& s, TAAFontEx& f) {
             // The shadow starts at x (red), the text 3 pixels to the right of it.
             int firstRed = 999, firstBlack = 999;
             for (int x = 0; x < 120; ++x)
                 for (int y = 0; y < 60; ++y) {
                     TRgb p = s.At(x, y);
                     if (p.r > 200 && p.g < 60 && firstRed == 999) firstRed = x;
                     if (p.r < 30 && p.g < 30 && p.b < 30 && firstBlack == 999) firstBlack = x;
                 }
             EXPECT_EQ(firstBlack - firstRed, 3);
         }},
        {"alpha 0 draws nothing", [](TAAEffect& e) { e.SetAlpha(0); },
         [](Surface& s, TAAFontEx&) { EXPECT_EQ(s.Ink().first, 0); }},
        {"outline and blur keep ink, noise and spray draw", [](TAAEffect& e) {
             e.SetOutline(true);
             e.SetBlur(50);
             e.SetNoise(40);
             e.SetSpray(2);
             e.SetHorzMirror(true);
             e.SetVertMirror(true);
         },
         [](Surface& s, TAAFontEx&) { EXPECT_GT(s.Ink().first, 20); }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Surface s;
        TAAFontEx font(s.Canvas());
        c.set(*font.Effect());
        font.TextOutput(10, 10, L"HHH");
        c.check(s, font);
    }
}

TEST(AAText, ShadowAndAngleChangeTheExtentAndTheFontComesBack)
{
    Surface s;
    TAAFontEx font(s.Canvas());
    TSize plain = font.TextExtent(L"Hello");
    font.Effect()->Shadow()->SetEnabled(true);
    font.Effect()->Shadow()->SetOffsetX(-3);
    font.Effect()->Shadow()->SetOffsetY(2);
    EXPECT_EQ(font.TextExtent(L"Hello"), TSize(plain.cx + 3, plain.cy + 2));
    font.Effect()->Shadow()->SetEnabled(false);
    font.Effect()->SetAngle(90);
    TSize turned = font.TextExtent(L"Hello");
    EXPECT_NEAR(turned.cx, plain.cy, 1);
    EXPECT_NEAR(turned.cy, plain.cx, 1);
    font.TextOutput(40, 5, L"Hello");
    EXPECT_GT(s.Ink().first, 20);
    EXPECT_EQ(s.Canvas()->Font()->Orientation(), 0);
}

TEST(AAText, EffectSettingsNotifyAssignAndIni)
{
    struct Count : TObject {
        int n = 0;
        void On(TObject*) { ++n; }
    } count;
    TAAEffect e(Bind<&Count::On>(&count));
    e.SetAlpha(50);
    e.SetAlpha(50);                         // no change, no report
    e.Shadow()->SetBlur(10);                // shadow off: not reported
    e.Shadow()->SetEnabled(true);           // switching is always reported
    e.Shadow()->SetBlur(20);
    EXPECT_EQ(count.n, 3);

    TAAEffect copy;
    e.SetAngle(-45);
    e.Gradual()->SetStyle(gsCenterToTB);
    copy.Assign(&e);
    EXPECT_EQ(copy.Alpha(), 50);
    EXPECT_EQ(copy.Angle(), -45);
    EXPECT_TRUE(copy.Shadow()->Enabled());
    EXPECT_EQ(copy.Shadow()->Blur(), 20);
    EXPECT_EQ(copy.Gradual()->Style(), gsCenterToTB);

    TMemIniFile ini(L"");
    e.SaveToIni(ini, L"fx");
    TAAEffect back;
    back.LoadFromIni(ini, L"fx");
    EXPECT_EQ(back.Alpha(), 50);
    EXPECT_EQ(back.Angle(), -45);
    EXPECT_EQ(back.Shadow()->Blur(), 20);
    EXPECT_EQ(back.Gradual()->Style(), gsCenterToTB);
    ini.WriteInteger(L"fx", L"GradualStyle", 9);
    ini.WriteInteger(L"fx", L"TextureMode", 7);
    ini.WriteInteger(L"fx", L"ShadowOffsetX", -3);
    back.LoadFromIni(ini, L"fx");
    EXPECT_EQ(back.Gradual()->Style(), gsLeftToRight);
    EXPECT_EQ(back.Texture()->Mode(), tmTiled);
    EXPECT_EQ(back.Shadow()->OffsetX(), -3);
}

TEST(AAText, FontTagsApplyInCollectionOrder)
{
    TAAFontLabels fonts;
    fonts.AddItem(L"Title1", L"Arial", 12, clRed, {fsBold}, true, 2, 2);
    fonts.AddItem(L"Text1", L"Courier New", 9, clBlue, {}, false, 1, 1);
    EXPECT_EQ(fonts.AddItem(L"TITLE1", L"Arial", 1, clRed, {}, false, 0, 0), nullptr);
    struct Case {
        const wchar_t* line;
        const wchar_t* rest;
        TColor colour;
    } cases[] = {
        {L"<title1>Hello", L"Hello", clRed},
        {L"<Text1>a<Title1>b", L"ab", clBlue},   // the later label of the collection wins
        {L"<Nothing>x", L"<Nothing>x", clGreen},
    };
    for (const Case& c : cases) {
        String line = c.line;
        TFont font;
        font.SetColor(clGreen);
        TAAEffect effect;
        fonts.Check(line, &font, &effect);
        EXPECT_EQ(line, c.rest) << c.line;
        EXPECT_EQ(font.Color(), c.colour) << c.line;
    }
    String line = L"<Title1>x";
    TAAEffect effect;
    fonts.Check(line, nullptr, &effect);
    EXPECT_TRUE(effect.Shadow()->Enabled());
    try {
        fonts.Items(1)->SetName(L"title1");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Duplicate string!");
    }
    EXPECT_EQ(fonts.Items(1)->Name(), L"Text1");
    fonts.Items(0)->SetName(L"TITLE1");   // the same label: allowed
}

TEST(AAText, UserTagsReplaceTextOrAlign)
{
    struct Handler : TObject {
        void Get(TObject*, String& text) { text = L"from handler"; }
    } handler;
    TAAUserLabels labels;
    labels.AddItem(L"Right", L"", lsRightJustify);
    labels.AddItem(L"Center", L"", lsCenter);
    labels.AddItem(L"Left", L"", lsLeftJustify);
    labels.AddItem(L"Date", L"", lsDate);
    labels.AddItem(L"Me", L"custom", lsCustom)->OnGetText = Bind<&Handler::Get>(&handler);
    labels.AddItem(L"Plain", L"plain text", lsCustom);
    const String date = labels.Items(3)->Text();
    EXPECT_FALSE(date.empty());
    struct Case {
        const wchar_t* line;
        String rest;
        TAlignment align;
    } cases[] = {
        {L"Hello <Date>!", L"Hello " + date + L"!", taCenter},
        {L"<Right>abc<Right>", L"abc<Right>", taRightJustify},
        {L"<Center>x<Left>", L"x", taLeftJustify},   // Left comes after Center in the collection
        {L"<Me>", L"from handler", taCenter},
        {L"[<plain>]", L"[plain text]", taCenter},
        {L"<Unknown>", L"<Unknown>", taCenter},
    };
    for (const Case& c : cases) {
        String line = c.line;
        TAlignment align = taCenter;
        labels.Check(line, align);
        EXPECT_EQ(line, c.rest) << c.line;
        EXPECT_EQ(align, c.align) << c.line;
    }
    labels.Items(5)->SetStyle(lsAppTitle);
    labels.Items(5)->SetText(L"ignored unless custom");
    EXPECT_EQ(labels.Items(5)->Text(), Application->Title());
    EXPECT_FALSE(labels.RegOwner.empty());   // the registered owner or the logged-on user
}
