// Character glyphs under the real system: the program's icon font and the prefix's "Marlett"
// resolve to themselves, outlines are read from the font, and renditions have the colours,
// pens, badge and halo they should.
#include "skin/graphics/char_glyphs.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "skin/engine/embedded_fonts.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"

using namespace testing_support;

namespace {

constexpr wchar_t faSquare = 0xF0C8;   // a filled rounded square
constexpr wchar_t faCircle = 0xF111;   // a filled circle
constexpr wchar_t faStar = 0xF005;

struct Rendition {
    std::unique_ptr<TBitmap> Bmp;
    TPixelView View;
};

Rendition Render(const TacCharGlyph& glyph, int w, int h, int glyphHeight, TColor foreColor = clGlyphDefault,
                 int offsetY = 0)
{
    Rendition r{std::unique_ptr<TBitmap>(NewBitmap32(w, h)), {}};
    RenderCharGlyph(r.Bmp.get(), glyph, foreColor, TRect(0, 0, w, h), glyphHeight, offsetY);
    r.View = BitmapView(r.Bmp.get());
    return r;
}

uint32_t Alpha(uint32_t px)
{
    return px >> 24;
}

}  // namespace

TEST(CharGlyphFonts, IconFontAndMarlettResolveToThemselves)
{
    ASSERT_NE(IconFontHandle(), nullptr);
    struct {
        const wchar_t* face;
        wchar_t ch;
    } const fonts[] = {{L"FontAwesome", faSquare}, {L"FontAwesome", 0xF2E0}, {L"Marlett", L'r'}, {L"Marlett", L'0'}};
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& f : fonts) {
        SCOPED_TRACE(testing::Message() << std::wstring(f.face).c_str() << " " << int(f.ch));
        LOGFONTW lf{};
        lf.lfHeight = -24;
        lf.lfCharSet = f.face == std::wstring(L"Marlett") ? SYMBOL_CHARSET : DEFAULT_CHARSET;
        wcscpy_s(lf.lfFaceName, f.face);
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        EXPECT_STREQ(face, f.face);
        // The face chosen must also have the glyph: a fallback face would not.
        WORD index = 0;
        ASSERT_NE(GetGlyphIndicesW(dc, &f.ch, 1, &index, GGI_MARK_NONEXISTING_GLYPHS), GDI_ERROR);
        EXPECT_NE(index, 0xFFFF);
        SelectObject(dc, old);
        DeleteObject(font);
    }
    DeleteDC(dc);
}

TEST(CharGlyphFonts, EditButtonGlyphsAreInTheIconFont)
{
    // The code points the edits' standard button glyphs are drawn from.
    const wchar_t codes[] = {0xF016, 0xF115, 0xF274, 0xF141, 0xF1EC, 0xF111, 0xF00C, 0xF047, 0xF1FB,
                             0xF00D, 0xF067, 0xF0D8, 0xF01E, 0xF048, 0xF053, 0xF054, 0xF051, 0xF068};
    IconFontHandle();
    TFont font;
    font.SetName(L"FontAwesome");
    font.SetHeight(-16);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    for (wchar_t ch : codes) {
        WORD index = 0;
        ASSERT_NE(GetGlyphIndicesW(dc, &ch, 1, &index, GGI_MARK_NONEXISTING_GLYPHS), GDI_ERROR);
        EXPECT_NE(index, 0xFFFF) << std::hex << int(ch);
        EXPECT_TRUE(GetGlyphStrokes(&font, ch).has_value()) << std::hex << int(ch);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST(CharGlyphOutline, ReadFromTheFont)
{
    IconFontHandle();
    TFont font;
    font.SetName(L"FontAwesome");
    const auto square = GetGlyphStrokes(&font, faSquare);
    ASSERT_TRUE(square.has_value());
    EXPECT_EQ(square->GetNumGlyphs(), 1);
    const TRect k = square->GetBounds();
    // Read at 512 points: hundreds of units each way, about as wide as high.
    EXPECT_GT(k.Width(), 300);
    EXPECT_NEAR(double(k.Width()) / k.Height(), 1.0, 0.1);
    const auto star = GetGlyphStrokes(&font, faStar);
    ASSERT_TRUE(star.has_value());
    EXPECT_GE(star->Count(), 10);
    // A space has no outline.
    EXPECT_FALSE(GetGlyphStrokes(&font, L' ').has_value() && GetGlyphStrokes(&font, L' ')->Count() > 0);
}

TEST(CharGlyphRender, OneColourByCoverage)
{
    TacCharGlyph glyph;
    glyph.Char = faCircle;
    glyph.Color = static_cast<TColor>(0x00336699);   // B 0x33, G 0x66, R 0x99
    const Rendition r = Render(glyph, 32, 30, 30);
    SaveArtifact(*r.Bmp, L"char_glyph_circle");
    EXPECT_EQ(Alpha(r.View.At(0, 0)), 0u);
    EXPECT_EQ(r.View.At(16, 15), 0xFF996633u);
    int partial = 0;
    for (int y = 0; y < r.View.Height; ++y)
        for (int x = 0; x < r.View.Width; ++x) {
            EXPECT_EQ(r.View.At(x, y) & 0xFFFFFF, 0x996633u);
            if (Alpha(r.View.At(x, y)) > 0 && Alpha(r.View.At(x, y)) < 255) ++partial;
        }
    EXPECT_GT(partial, 0) << "the edge is smooth";
    // The caller's colour wins over the item's.
    const Rendition forced = Render(glyph, 32, 30, 30, static_cast<TColor>(0x000000FF));
    EXPECT_EQ(forced.View.At(16, 15), 0xFFFF0000u);
}

TEST(CharGlyphRender, GradientRowsAreExactlyTheTwoColours)
{
    // A square larger than the image: ink in the top and the bottom row.
    TacCharGlyph glyph;
    glyph.Char = faSquare;
    glyph.ScalingFactor = 1.6;
    glyph.Color = static_cast<TColor>(0x00102030);
    glyph.SecondColor = static_cast<TColor>(0x00F0A005);
    for (int h : {24, 30, 48}) {
        SCOPED_TRACE(h);
        const Rendition r = Render(glyph, h + 2, h, h);
        int inkTop = 0, inkBottom = 0;
        for (int x = 0; x < r.View.Width; ++x) {
            const uint32_t top = r.View.At(x, 0), bottom = r.View.At(x, h - 1);
            if (Alpha(top)) {
                ++inkTop;
                EXPECT_EQ(top & 0xFFFFFF, 0x302010u);
            } else {
                EXPECT_EQ(top, 0u);
            }
            if (Alpha(bottom)) {
                ++inkBottom;
                EXPECT_EQ(bottom & 0xFFFFFF, 0x05A0F0u);
            } else {
                EXPECT_EQ(bottom, 0u);
            }
        }
        EXPECT_GT(inkTop, h / 2);
        EXPECT_GT(inkBottom, h / 2);
        if (h == 48) SaveArtifact(*r.Bmp, L"char_glyph_gradient");
    }
    // A caller's colour of its own replaces the gradient.
    const Rendition forced = Render(glyph, 32, 30, 30, static_cast<TColor>(0x000000FF));
    EXPECT_EQ(forced.View.At(16, 29) & 0xFFFFFF, 0xFF0000u);
}

TEST(CharGlyphRender, QualityAndPenFollowTheGlyphHeight)
{
    struct {
        int height;
        TFontQuality quality;
        double penMin, penMax;
    } const rows[] = {{24, TFontQuality::fqClearType, 0.6, 1.5}, {48, TFontQuality::fqAntialiased, 1.5, 2.6}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.height);
        TacCharGlyph glyph;
        glyph.Char = faSquare;
        const Rendition filled = Render(glyph, row.height + 2, row.height, row.height);
        EXPECT_EQ(filled.Bmp->Canvas()->Font()->Quality(), row.quality);

        glyph.DrawContour = true;
        const Rendition outline = Render(glyph, row.height + 2, row.height, row.height);
        // The top edge of the square's outline, down the middle column: ink of about one pen.
        const int x = outline.View.Width / 2;
        double ink = 0;
        for (int y = 0; y < outline.View.Height / 3; ++y) ink += Alpha(outline.View.At(x, y)) / 255.0;
        EXPECT_GE(ink, row.penMin);
        EXPECT_LE(ink, row.penMax);
        // Hollow: the centre is clear.
        EXPECT_EQ(Alpha(outline.View.At(x, outline.View.Height / 2)), 0u);
        if (row.height == 48) SaveArtifact(*outline.Bmp, L"char_glyph_contour48");
    }
}

TEST(CharGlyphRender, ContourOfACharacterWithoutOutlineDrawsNothing)
{
    TacCharGlyph glyph;
    glyph.Char = L' ';
    glyph.DrawContour = true;
    const Rendition r = Render(glyph, 32, 30, 30);
    for (int y = 0; y < r.View.Height; ++y)
        for (int x = 0; x < r.View.Width; ++x) ASSERT_EQ(Alpha(r.View.At(x, y)), 0u) << x << "," << y;
}

TEST(CharGlyphRender, OversizedBadgeIsNotDrawn)
{
    TacCharGlyph glyph;
    glyph.Char = faStar;
    const Rendition plain = Render(glyph, 32, 30, 30);
    glyph.AddedChar = faCircle;
    glyph.AddedColor = static_cast<TColor>(0x000000FF);
    for (int size : {120, 150}) {
        glyph.AddedSize = size;
        const Rendition r = Render(glyph, 32, 30, 30);
        EXPECT_EQ(CompareBitmaps(*r.Bmp, *plain.Bmp, 0, true).differing, 0) << size;
    }
    glyph.AddedSize = 50;
    const Rendition badged = Render(glyph, 32, 30, 30);
    EXPECT_GT(CompareBitmaps(*badged.Bmp, *plain.Bmp, 0, true).differing, 0);
}

TEST(CharGlyphRender, BadgeHaloKnocksOutTheGlyph)
{
    // A square filling the whole image in green, a red circle badge of half its height.
    TacCharGlyph glyph;
    glyph.Char = faSquare;
    glyph.ScalingFactor = 1.6;
    glyph.Color = static_cast<TColor>(0x0000FF00);
    const Rendition plain = Render(glyph, 48, 48, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) ASSERT_EQ(plain.View.At(x, y), 0xFF00FF00u) << x << "," << y;
    glyph.AddedChar = faCircle;
    glyph.AddedColor = static_cast<TColor>(0x000000FF);
    const Rendition r = Render(glyph, 48, 48, 48);
    SaveArtifact(*r.Bmp, L"char_glyph_badge");
    // Far from the badge the glyph is untouched.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(r.View.At(x, y), 0xFF00FF00u);
    // The badge's middle: its colour, opaque.
    const uint32_t mid = r.View.At(48 - 12, 48 - 12);
    EXPECT_EQ(Alpha(mid), 255u);
    EXPECT_GE((mid >> 16) & 0xFF, 0xFEu);
    EXPECT_EQ((mid >> 8) & 0xFF, 0u);
    // Around it the halo has cut the glyph away: clear pixels in the badge's corner box outside
    // the circle, and thinned ones where the blur fades out.
    int clear = 0, thinned = 0;
    for (int y = 20; y < 48; ++y)
        for (int x = 20; x < 48; ++x) {
            const uint32_t px = r.View.At(x, y);
            if (((px >> 16) & 0xFF) > 0x10) continue;   // badge ink
            if (Alpha(px) == 0) ++clear;
            else if (Alpha(px) < 255) ++thinned;
        }
    EXPECT_GT(clear, 20);
    EXPECT_GT(thinned, 0);
}
