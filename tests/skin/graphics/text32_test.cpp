// Text on real device contexts: the length cap, turned fonts, measuring, text in a section's
// colours with contours, states past the section's, disabled and web-button looks, text with
// alpha and the glow; and the GDI drawings (arrows on a canvas, close box, icons, shade).
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "tests/skin/fake_paint_source.h"

namespace {

uint32_t Rgb(TBitmap* b, int x, int y) { return ReadPixel32(b, x, y) & 0x00FFFFFFu; }

// The colours (pixel order, no alpha) present in a bitmap.
std::set<uint32_t> Colours(TBitmap* b)
{
    GdiFlush();
    std::set<uint32_t> s;
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) s.insert(Rgb(b, x, y));
    return s;
}

std::unique_ptr<TBitmap> WhiteBitmap(int w, int h)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(w, h));
    FillRectAlpha32(b.get(), TRect(0, 0, w, h), clWhite, 255);
    b->Canvas()->Font()->SetName(L"Tahoma");
    b->Canvas()->Font()->SetHeight(-24);
    b->Canvas()->Font()->SetQuality(TFontQuality::fqNonAntialiased);
    return b;
}

// A skin with one section whose states have distinct text colours (and contours in state 1).
struct TTextSkin {
    TFakePaintSource Skin;
    TFakePaintSource::TInstall Install{&Skin};
    TTextSkin()
    {
        TsGeneralData s;
        s.States = 2;
        s.Props[0].FontColor.Color = 0x000080;   // dark red
        s.Props[1].FontColor = {0x008000, 0x0000FF, 0x00FFFF, 0xFF0000, 0xFF00FF};   // green, contours
        s.Props[2].FontColor.Color = 0x800000;   // never read: the section has two states
        Skin.Sections.push_back(s);
    }
};

// A skin link made for the tests.
struct TFakeLink : TacLinkPaintSource {
    const TacSkinPaintSource* Data = nullptr;
    int Index = 0;
    bool IsSkinned = true;
    bool Custom = false;
    TColor Tone = clNone;
    bool Skinned() const override { return IsSkinned; }
    int SkinIndex() const override { return Index; }
    const TacSkinPaintSource* SkinData() const override { return Data; }
    bool CustomFont() const override { return Custom; }
    TColor ColorTone() const override { return Tone; }
    int HueOffset() const override { return 0; }
    int Saturation() const override { return 0; }
    TPixelView CacheBitmap() const override { return {}; }
    bool OwnerHasParent() const override { return false; }
    int SectionBehind(int) const override { return Index; }
    TColor ParentFontColor() const override { return clBlack; }
};

}  // namespace

TEST(Text32, DrawTextLimitedPassesAtMost5460Characters)
{
    // Lines of five characters in a tiny font: 6000 characters are 1200 lines, 5460 are 1092.
    std::unique_ptr<TBitmap> b = WhiteBitmap(10, 10);
    HDC dc = b->Canvas()->Handle();
    HFONT tiny = CreateFontW(-2, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, tiny);
    String text;
    while (text.size() < 6000) text += L"IIII\n";
    TRect all(0, 0, 100, 0), capped(0, 0, 100, 0), lines(0, 0, 100, 0);
    DrawTextLimited(dc, text, all, DT_CALCRECT | DT_NOPREFIX);
    DrawTextLimited(dc, text.substr(0, 5460), capped, DT_CALCRECT | DT_NOPREFIX);
    DrawTextLimited(dc, text.substr(0, 5000), lines, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(tiny);
    ASSERT_LT(all.Height(), 4096) << "the measure stays below the system's limit";
    EXPECT_EQ(all.Height(), capped.Height());
    EXPECT_LT(lines.Height(), capped.Height());
}

TEST(Text32, AngledFontsAndMeasuring)
{
    std::unique_ptr<TBitmap> b = WhiteBitmap(10, 10);
    HDC dc = b->Canvas()->Handle();
    struct Case { const wchar_t* name; TFontQuality quality; const wchar_t* face; BYTE lfQuality; } cases[] = {
        {L"MS Sans Serif", TFontQuality::fqDefault, L"Arial", ANTIALIASED_QUALITY},
        {L"Tahoma", TFontQuality::fqNonAntialiased, L"Tahoma", NONANTIALIASED_QUALITY},
    };
    for (const auto& c : cases) {
        TFont f;
        f.SetName(c.name);
        f.SetQuality(c.quality);
        HFONT previous = CreateAngledFont(dc, &f, -2700);
        ASSERT_NE(previous, nullptr);
        LOGFONTW lf{};
        GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf);
        EXPECT_EQ(String(lf.lfFaceName), String(c.face));
        EXPECT_EQ(lf.lfQuality, c.lfQuality);
        EXPECT_EQ(lf.lfEscapement, -2700);
        RestoreAngledFont(dc, previous);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), previous);
    }
    TFont f;
    f.SetName(L"Tahoma");
    f.SetHeight(-20);
    TSize plain, withI;
    MeasureText(f.Handle(), L"Hello", 0, false, 0, false, plain);
    MeasureText(f.Handle(), L"Hello", 0, false, 0, true, withI);
    EXPECT_GT(plain.cx, 0);
    EXPECT_GT(withI.cx, plain.cx);
    EXPECT_GT(GetFontTextHeight(f.Handle(), false), GetFontTextHeight(f.Handle(), true));
    String cut;
    CutTextToWidth(b->Canvas(), L"A rather long caption", 0, cut);
    EXPECT_TRUE(cut.empty());
}

TEST(Text32, MeasuresAgreeAndClippedOutputStaysInside)
{
    std::unique_ptr<TBitmap> b = WhiteBitmap(60, 40);
    TCanvas* c = b->Canvas();
    TSize onCanvas, onScreen, onDC;
    TextSizeOf(c, L"Hello", onCanvas);
    ASSERT_TRUE(GetTextSize(0, L"Hello", onScreen, c->Font()->Handle())) << "the screen with the font selected";
    ASSERT_TRUE(GetTextSize(c->Handle(), L"Hello", onDC, nullptr));
    EXPECT_GT(onCanvas.cx, 0);
    EXPECT_EQ(onScreen, onCanvas);
    EXPECT_EQ(onDC, onCanvas);
    EXPECT_EQ(TextWidthOf(c, L"Hello"), onCanvas.cx);
    EXPECT_EQ(TextHeightOf(c, L"Hello"), onCanvas.cy);

    // Text output clipped to its rectangle: nothing right of column 20.
    c->Font()->SetColor(clBlack);
    CanvasTextRect(c, TRect(10, 5, 20, 40), 10, 5, L"HHHHHH");
    GdiFlush();
    bool inside = false, beyond = false;
    for (int y = 5; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (Rgb(b.get(), x, y) != 0xFFFFFF) (x >= 10 && x < 20 ? inside : beyond) = true;
    EXPECT_TRUE(inside);
    EXPECT_FALSE(beyond);
    // The plain output draws the whole text, also when not enabled.
    std::unique_ptr<TBitmap> plain = WhiteBitmap(60, 40);
    plain->Canvas()->Font()->SetColor(clBlack);
    DrawTextOnCanvas(plain->Canvas(), L"HH", false, TRect(0, 0, 60, 40), DT_SINGLELINE);
    EXPECT_EQ(Colours(plain.get()), (std::set<uint32_t>{0xFFFFFF, 0x000000}));
}

TEST(Text32, AlphaTextTouchesOnlyTheTextPixels)
{
    // Mode 0 on a transparent bitmap: text pixels opaque in the colour, every other pixel as it was.
    // Mode 1 with full coverage over alpha 0: alpha 254, colour ((0 - 255) + 255 x 256) x 254 shr 16 = 252.
    struct Case { int mode; TRect r; uint32_t text; } cases[] = {
        {0, TRect(10, 5, 60, 40), 0xFFFF0000u},
        {1, TRect(10, 5, 60, 40), 0xFEFC0000u},
        {0, TRect(-6, -3, 30, 30), 0xFFFF0000u},   // partly outside: entered at column 6, row 3
    };
    for (const auto& c : cases) {
        std::unique_ptr<TBitmap> b(NewBitmap32(60, 40));
        b->Canvas()->Font()->SetName(L"Tahoma");
        b->Canvas()->Font()->SetHeight(-24);
        b->Canvas()->Font()->SetQuality(TFontQuality::fqNonAntialiased);
        DrawAlphaText32(b.get(), L"IHI", c.mode, c.r, DT_SINGLELINE, clRed, false);
        GdiFlush();
        int text = 0, other = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) {
                const uint32_t p = ReadPixel32(b.get(), x, y);
                if (p == c.text && c.r.Contains(TPoint(x, y))) ++text;
                else if (p != 0) ++other;
            }
        EXPECT_GT(text, 20) << "mode " << c.mode;
        EXPECT_EQ(other, 0) << "mode " << c.mode;
    }
}

TEST(Text32, SectionColoursContoursAndStates)
{
    TTextSkin t;
    struct Case { int state; std::set<uint32_t> colours; } cases[] = {
        {0, {0xFFFFFF, 0x800000}},                                           // once, dark red (pixel order)
        {1, {0xFFFFFF, 0x008000, 0xFF0000, 0xFFFF00, 0x0000FF, 0xFF00FF}},   // four contours, then green
        {5, {0xFFFFFF, 0x008000, 0xFF0000, 0xFFFF00, 0x0000FF, 0xFF00FF}},   // past the states: the last
        {-2, {0xFFFFFF, 0x800000}},                                          // below 0: the first
    };
    for (const auto& c : cases) {
        std::unique_ptr<TBitmap> b = WhiteBitmap(60, 40);
        WriteSectionText(b->Canvas(), L"IH", true, TRect(10, 5, 60, 40), DT_LEFT | DT_TOP | DT_SINGLELINE, 0, c.state, nullptr);
        EXPECT_EQ(Colours(b.get()), c.colours) << "state " << c.state;
    }
    // Disabled: the normal state's text colour faded into its colour.
    std::unique_ptr<TBitmap> b = WhiteBitmap(60, 40);
    WriteSectionText(b->Canvas(), L"IH", false, TRect(10, 5, 60, 40), DT_SINGLELINE, 0, 1, nullptr);
    EXPECT_EQ(Colours(b.get()).size(), 2u);
    // No section: plain text in the canvas's colour.
    std::unique_ptr<TBitmap> plain = WhiteBitmap(60, 40);
    WriteSectionText(plain->Canvas(), L"IH", true, TRect(10, 5, 60, 40), DT_SINGLELINE, 7, 0, nullptr);
    EXPECT_EQ(Colours(plain.get()), (std::set<uint32_t>{0xFFFFFF, 0x000000}));
}

TEST(Text32, SkinTextWithAlphaAndContours)
{
    TTextSkin t;
    std::unique_ptr<TBitmap> b(NewBitmap32(60, 40));   // transparent black
    b->Canvas()->Font()->SetName(L"Tahoma");
    b->Canvas()->Font()->SetHeight(-24);
    b->Canvas()->Font()->SetQuality(TFontQuality::fqNonAntialiased);
    DrawSkinText32(b.get(), L"IH", 0, TRect(10, 5, 60, 40), DT_SINGLELINE, 0, 1, nullptr);
    std::set<uint32_t> opaque;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = ReadPixel32(b.get(), x, y);
            if (p) {
                EXPECT_EQ(p >> 24, 255u) << "text pixels are opaque";
                opaque.insert(p & 0xFFFFFF);
            }
        }
    EXPECT_EQ(opaque, (std::set<uint32_t>{0x008000})) << "mode 0: no contours";
    std::unique_ptr<TBitmap> over(NewBitmap32(60, 40));
    over->Canvas()->SetFont(b->Canvas()->Font());
    DrawSkinText32(over.get(), L"IH", 1, TRect(10, 5, 60, 40), DT_SINGLELINE, 0, 1, nullptr);
    EXPECT_GT(Colours(over.get()).size(), 3u) << "mode 1 draws the contours too";
    // A state past the section's states takes its last; one below 0 its first.
    for (auto [state, colour] : {std::pair{9, 0x008000u}, std::pair{-4, 0x800000u}}) {
        std::unique_ptr<TBitmap> s(NewBitmap32(60, 40));
        s->Canvas()->SetFont(b->Canvas()->Font());
        DrawSkinText32(s.get(), L"IH", 0, TRect(10, 5, 60, 40), DT_SINGLELINE, 0, state, nullptr);
        std::set<uint32_t> seen = Colours(s.get());
        seen.erase(0);
        EXPECT_EQ(seen, (std::set<uint32_t>{colour})) << "state " << state;
    }
}

TEST(Text32, LinkTextLooks)
{
    TTextSkin t;
    t.Skin.ConstSections[ssWebBtn] = 0;
    TFakeLink link;
    link.Data = &t.Skin;
    // A hovered web button underlines its text; the normal state does not.
    std::unique_ptr<TBitmap> b = WhiteBitmap(60, 40);
    WriteSkinDataText(b->Canvas(), L"IH", true, TRect(0, 0, 60, 40), DT_SINGLELINE, &link, 0, false);
    EXPECT_FALSE(b->Canvas()->Font()->Style().Contains(fsUnderline));
    WriteSkinDataText(b->Canvas(), L"IH", true, TRect(0, 0, 60, 40), DT_SINGLELINE, &link, 1, false);
    EXPECT_TRUE(b->Canvas()->Font()->Style().Contains(fsUnderline));

    // Unskinned and disabled: embossed, highlight one pixel right and down, shadow in place.
    link.IsSkinned = false;
    std::unique_ptr<TBitmap> e = WhiteBitmap(60, 40);
    WriteSkinDataText(e->Canvas(), L"I", false, TRect(10, 5, 60, 40), DT_SINGLELINE, &link, 0, false);
    const uint32_t shadow = SwapRedBlue(uint32_t(ColorToRGB(clBtnShadow)));
    EXPECT_TRUE(Colours(e.get()).count(shadow));

    // A tone recolours the skin's text colour.
    link.IsSkinned = true;
    link.Tone = 0xFF0000;   // blue
    std::unique_ptr<TBitmap> toned = WhiteBitmap(60, 40);
    WriteSkinDataText(toned->Canvas(), L"IH", true, TRect(0, 0, 60, 40), DT_SINGLELINE, &link, 0, false);
    EXPECT_TRUE(Colours(toned.get()).count(0x00007F)) << "dark red toned blue: (128 x 255) shr 8 in blue";
}

TEST(Text32, GlowAroundText)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(80, 50));
    b->Canvas()->Font()->SetName(L"Tahoma");
    b->Canvas()->Font()->SetHeight(-20);
    TByteImage mask;
    DrawTextGlow32(b.get(), L"IH", TRect(20, 15, 60, 35), DT_SINGLELINE, 15, 3, clRed, mask);
    EXPECT_EQ(mask.Width(), 40 + 2 * 7);
    EXPECT_GT(ReadPixel32(b.get(), 25, 25) >> 24, 0u) << "the glow covers the text's place";
    EXPECT_EQ(ReadPixel32(b.get(), 2, 2), 0u) << "far from the text: untouched";
    const uint32_t before = ReadPixel32(b.get(), 25, 25);
    DrawTextGlow32(b.get(), L"other text", TRect(20, 15, 60, 35), DT_SINGLELINE, 15, 3, clRed, mask);
    EXPECT_GE(ReadPixel32(b.get(), 25, 25) >> 24, before >> 24) << "a mask of the right size is reused";
}

TEST(GdiPaint, ArrowsCloseBoxIconsAndShade)
{
    // Arrow on a canvas at 96 PPI, pointing down: rows of 7, 5, 3 and 1 pixels.
    std::unique_ptr<TBitmap> b = WhiteBitmap(20, 20);
    DrawArrowPixels(b->Canvas(), clBlack, TRect(0, 0, 20, 20), adDown, 96);
    GdiFlush();
    std::vector<int> rows;
    for (int y = 0; y < 20; ++y) {
        int n = 0;
        for (int x = 0; x < 20; ++x) n += Rgb(b.get(), x, y) == 0;
        if (n) rows.push_back(n);
    }
    EXPECT_EQ(rows, (std::vector<int>{7, 5, 3, 1}));

    // Close box, hot: red inside a white border, a white cross.
    std::unique_ptr<TBitmap> box = WhiteBitmap(16, 16);
    DrawCrossBox(box->Canvas()->Handle(), TRect(0, 0, 16, 16), 1);
    GdiFlush();
    EXPECT_EQ(Rgb(box.get(), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Rgb(box.get(), 2, 12), 0xFF0000u) << "red inside";
    EXPECT_EQ(Rgb(box.get(), 7, 7), 0xFFFFFFu) << "the cross";

    // Icon: alpha 0 is see-through, opaque pixels are not.
    std::unique_ptr<TBitmap> pic(NewBitmap32(16, 16));
    FillRectAlpha32(pic.get(), TRect(0, 0, 16, 16), clRed, 0);
    FillRectAlpha32(pic.get(), TRect(4, 4, 12, 12), clBlue, 255);
    HICON icon = IconFromAlpha32(pic.get());
    ASSERT_NE(icon, nullptr);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_TRUE(ii.fIcon);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);

    // Shade: 100 % leaves the area (up to rounding), 0 % pulls the centre to the colour.
    std::unique_ptr<TBitmap> shade = WhiteBitmap(20, 20);
    ShadeRoundRect32(shade.get(), TRect(0, 0, 20, 20), 0, clBlack, 3, 4);
    EXPECT_LT(Rgb(shade.get(), 10, 10) & 0xFF, 10u);
    EXPECT_GT(Rgb(shade.get(), 0, 10) & 0xFF, 200u) << "the edge stays light";
    // An anti-aliased arrow glyph, filled, pointing down: centred, opaque in its middle.
    std::unique_ptr<TBitmap> glyph(NewBitmap32(20, 20));
    DrawArrowGlyph32(glyph.get(), clRed, clNone, TRect(0, 0, 20, 20), adDown, 0, 0, 0, 0, 96);
    EXPECT_EQ(ReadPixel32(glyph.get(), 0, 0), 0u);
    EXPECT_GT(ReadPixel32(glyph.get(), 10, 9) >> 24, 128u);
    EXPECT_GT((ReadPixel32(glyph.get(), 10, 9) >> 16) & 0xFF, 128u) << "red";
    // A dotted frame alternates its two colours along the edges.
    std::unique_ptr<TBitmap> dots = WhiteBitmap(8, 6);
    DrawDottedFrame(dots->Canvas(), TRect(0, 0, 8, 6), clBlack, clRed);
    GdiFlush();
    EXPECT_EQ(Rgb(dots.get(), 3, 0), 0u);
    EXPECT_EQ(Rgb(dots.get(), 4, 0), 0xFF0000u);
    EXPECT_EQ(Rgb(dots.get(), 3, 5), 0u);
    EXPECT_EQ(Rgb(dots.get(), 3, 2), 0xFFFFFFu) << "inside untouched";
    // A plain pressed button face: a shadow line at the left, a white one at the right.
    std::unique_ptr<TBitmap> face = WhiteBitmap(30, 20);
    FillRectAlpha32(face.get(), TRect(0, 0, 30, 20), clLime, 255);
    DrawPlainButton(face->Canvas(), TRect(0, 0, 30, 20), true, false, 2);
    GdiFlush();
    EXPECT_EQ(Rgb(face.get(), 1, 10), SwapRedBlue(uint32_t(ColorToRGB(clBtnShadow))));
    EXPECT_EQ(Rgb(face.get(), 28, 10), 0xFFFFFFu);
    EXPECT_EQ(Rgb(face.get(), 0, 10), 0x00FF00u) << "outside the shrunk rectangle";

    std::unique_ptr<TBitmap> same = WhiteBitmap(20, 20);
    ShadeRoundRect32(same.get(), TRect(0, 0, 20, 20), 100, clBlack, 3, 4);
    EXPECT_GE(Rgb(same.get(), 10, 10) & 0xFF, 254u);
}
