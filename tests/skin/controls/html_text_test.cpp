// The mark-up text layout over a fixed-width measurer: every character of a font is Size pixels
// wide (one more in bold) and 2 x Size high, so positions follow from the text.
#include <gtest/gtest.h>

#include <ostream>

#include "skin/controls/core/html_text.h"

void PrintTo(const TRect& r, std::ostream* os) { *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")"; }

namespace {

constexpr TColor BaseColor = 0x112233;

struct FixedMeasurer : TacHtmlMeasurer {
    size_t Calls = 0;
    TSize TextExtent(const TacHtmlFont& font, StringView text) override
    {
        ++Calls;
        return TSize(int(text.size()) * (font.Size + (font.Bold ? 1 : 0)), 2 * font.Size);
    }
};

struct Drawn {
    String Text;
    TacHtmlFont Font;
    TRect Rect;
    uint32_t Format;
    bool Alpha;
};

struct Recorder : TacHtmlSink {
    std::vector<Drawn> Runs;
    void DrawRun(const TacHtmlFont& font, StringView text, const TRect& rect, uint32_t format, bool alpha) override
    {
        Runs.push_back({String(text), font, rect, format, alpha});
    }
};

struct Options {
    TRect Area = TRect(0, 0, 1000, 100);
    int Hot = -1;
    int Pressed = -1;
    TAlignment Alignment = taLeftJustify;
    TBiDiMode Bidi = bdLeftToRight;
    bool Alpha = false;
    TacHtmlLinkColors Colors;
};

struct Result {
    TRect Size;       // of the drawing
    TRect Measured;   // of measuring only
    TacLinks Links;
    std::vector<Drawn> Runs;
    std::vector<TacLineData> Lines;
    uint32_t Flags = 0;
    size_t Measures = 0;
};

TacHtmlFont BaseFont()
{
    TacHtmlFont f;
    f.Name = L"Base";
    f.Size = 10;
    f.Color = BaseColor;
    return f;
}

Result Render(StringView text, const Options& o = {})
{
    Result r;
    FixedMeasurer measurer;
    Recorder sink;
    TsHtml html(measurer);
    html.Alignment = o.Alignment;
    html.BidiMode = o.Bidi;
    html.AlphaChannel = o.Alpha;
    html.LinkColors = o.Colors;
    html.Init(BaseFont(), text, o.Area, o.Hot, o.Pressed);
    TacLinks measuredLinks;
    r.Measured = html.HTMLText(measuredLinks);
    r.Size = html.HTMLText(r.Links, &sink);
    r.Runs = sink.Runs;
    r.Lines = html.LineSizes();
    r.Flags = html.TextFlags();
    r.Measures = measurer.Calls;
    return r;
}

String Joined(const Result& r)
{
    String s;
    for (const Drawn& d : r.Runs) s += d.Text;
    return s;
}

String Texts(const Result& r)
{
    String s;
    for (const Drawn& d : r.Runs) s += L"[" + d.Text + L"]";
    return s;
}

}   // namespace

TEST(HtmlText, StylesFollowTheirTags)
{
    struct Piece {
        const wchar_t* Text;
        bool Bold, Italic, Underline;
    };
    struct Case {
        const wchar_t* Text;
        std::vector<Piece> Pieces;
    } cases[] = {
        {L"a <b>bold</b> c", {{L"a", 0, 0, 0}, {L" ", 0, 0, 0}, {L"bold", 1, 0, 0}, {L" c", 0, 0, 0}}},
        {L"<i>x</i>y", {{L"x", 0, 1, 0}, {L"y", 0, 0, 0}}},
        {L"<u>x</u>y", {{L"x", 0, 0, 1}, {L"y", 0, 0, 0}}},
        {L"<i><u>x</i>y</u>z", {{L"x", 0, 1, 1}, {L"y", 0, 0, 1}, {L"z", 0, 0, 0}}},
        {L"<b >x</b>y", {{L"x", 1, 0, 0}, {L"y", 0, 0, 0}}},
        // any closing tag whose name starts with B closes bold (and breaks no line)
        {L"<b>x</br>y", {{L"x", 1, 0, 0}, {L"y", 0, 0, 0}}},
        {L"<B>x</Bogus>y", {{L"x", 1, 0, 0}, {L"y", 0, 0, 0}}},
        // not a tag of ours: drawn as text
        {L"<bold>x", {{L"<bold>x", 0, 0, 0}}},
        {L"a<x>b", {{L"a", 0, 0, 0}, {L"<x>b", 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        const Result r = Render(c.Text);
        ASSERT_EQ(r.Runs.size(), c.Pieces.size()) << testing::PrintToString(String(c.Text)) << " " << testing::PrintToString(Texts(r));
        for (size_t i = 0; i < c.Pieces.size(); ++i) {
            const Drawn& d = r.Runs[i];
            EXPECT_EQ(d.Text, c.Pieces[i].Text);
            EXPECT_EQ(d.Font.Bold, c.Pieces[i].Bold) << testing::PrintToString(d.Text);
            EXPECT_EQ(d.Font.Italic, c.Pieces[i].Italic) << testing::PrintToString(d.Text);
            EXPECT_EQ(d.Font.Underline, c.Pieces[i].Underline) << testing::PrintToString(d.Text);
            EXPECT_EQ(d.Font.Color, BaseColor);
            EXPECT_EQ(d.Rect.top, 0);
        }
        EXPECT_EQ(r.Lines.size(), 1u) << testing::PrintToString(String(c.Text));
    }
}

TEST(HtmlText, RunsFollowEachOtherAtTheirMeasuredWidths)
{
    const Result r = Render(L"a <b>bold</b> c");
    ASSERT_EQ(r.Runs.size(), 4u);
    EXPECT_EQ(r.Runs[0].Rect, TRect(0, 0, 10, 20));
    EXPECT_EQ(r.Runs[1].Rect, TRect(10, 0, 20, 20));
    EXPECT_EQ(r.Runs[2].Rect, TRect(20, 0, 64, 20));   // bold: 11 px a character
    EXPECT_EQ(r.Runs[3].Rect, TRect(64, 0, 84, 20));
    EXPECT_EQ(r.Size, TRect(0, 0, 84, 20));
    EXPECT_EQ(r.Measured, r.Size);
    EXPECT_EQ(r.Runs[0].Format, 0x104u);   // DT_NOCLIP | DT_VCENTER
    EXPECT_FALSE(r.Runs[0].Alpha);
}

TEST(HtmlText, LinesBreakAtTagsNotAtLineEnds)
{
    struct Case {
        const wchar_t* Text;
        size_t Lines;
        const wchar_t* Last;
        TRect LastRect;
    } cases[] = {
        {L"one<br>two", 2, L"two", TRect(0, 22, 30, 42)},
        {L"one<BR/>two", 2, L"two", TRect(0, 22, 30, 42)},
        {L"one<br />two", 2, L"two", TRect(0, 22, 30, 42)},
        {L"one<p>two", 2, L"two", TRect(0, 22, 30, 42)},
        {L"one</p>two", 2, L"two", TRect(0, 22, 30, 42)},
        // CR LF and CR end a word and are not drawn; a lone LF is left out of its run
        {L"one\r\ntwo", 1, L"two", TRect(30, 0, 60, 20)},
        {L"one\rtwo", 1, L"two", TRect(30, 0, 60, 20)},
        {L"one\ntwo", 1, L"onetwo", TRect(0, 0, 60, 20)},
        // an empty line after a break is as high as "Yy"
        {L"<br><br>x", 3, L"x", TRect(0, 24, 10, 44)},
    };
    for (const Case& c : cases) {
        const Result r = Render(c.Text);
        EXPECT_EQ(r.Lines.size(), c.Lines) << testing::PrintToString(String(c.Text));
        ASSERT_FALSE(r.Runs.empty());
        EXPECT_EQ(r.Runs.back().Text, c.Last) << testing::PrintToString(String(c.Text));
        EXPECT_EQ(r.Runs.back().Rect, c.LastRect) << testing::PrintToString(String(c.Text));
    }
    const Result empty = Render(L"<br><br>x");
    EXPECT_EQ(empty.Lines[0].Size, TSize(0, 0));
    EXPECT_EQ(empty.Lines[1].Size, TSize(0, 20));
    EXPECT_EQ(empty.Lines[2].Size, TSize(10, 20));
    EXPECT_EQ(empty.Lines[2].Text, L"x");
}

TEST(HtmlText, DoubledCharactersAndEntities)
{
    struct Case {
        const wchar_t* Text;
        const wchar_t* Drawn;
    } cases[] = {
        {L"&lt;b&gt;x&lt;/b&gt;", L"<b>x</b>"},
        {L"a&&b", L"a&b"},
        {L"a<<b", L"a<b"},
        {L"&&amp;", L"&amp;"},
        {L"&Aacute;", L"\u00C1"},
        {L"&aacute;", L"\u00E1"},
        {L"&AACUTE;", L"\u00E1"},   // no exact row: the first ignoring letter case
        {L"&AMP;", L"&"},
        {L"&Amp;", L"&"},
        {L"&#38;", L"&"},
        {L"&ndash;&#8212;", L"\u2013\u2014"},
        {L"&nbsp;", L"\u00A0"},
        {L"&39;&#39;", L"''"},
        {L"&trade;&#153;", L"\u2122\u2122"},
        {L"&#180;&#96;", L"\u00B4`"},
        {L"caf&eacute; &euro;5", L"caf\u00E9 \u20AC5"},
        // no entity: the text stays as it is
        {L"&bogus;", L"&bogus;"},
        {L"&#65;", L"&#65;"},
        {L"& amp;", L"& amp;"},
        {L"&am p;", L"&am p;"},
        {L"&amp", L"&amp"},
        {L"&;", L"&;"},
        {L"x&", L"x&"},
        {L"&", L"&"},
        {L"<", L""},         // a "<" without a ">" after it is dropped
        {L"a<b", L"ab"},
        {L"a<b>", L"a"},
    };
    for (const Case& c : cases) {
        const Result r = Render(c.Text);
        EXPECT_EQ(Joined(r), c.Drawn) << testing::PrintToString(String(c.Text));
        for (const Drawn& d : r.Runs) EXPECT_FALSE(d.Font.Bold) << testing::PrintToString(String(c.Text));
    }
}

TEST(HtmlText, TextIsDrawnAsWrittenThoughTagsAreMatchedInCapitals)
{
    const Result r = Render(L"\u00e9t\u00e9 <b>\u00fcber</b> stra\u00dfe");
    EXPECT_EQ(Texts(r), L"[\u00e9t\u00e9][ ][\u00fcber][ stra\u00dfe]");
    EXPECT_TRUE(r.Runs[2].Font.Bold);
}

TEST(HtmlText, FontTagsChangeSizeColourAndFaceAndCloseBack)
{
    const Result r = Render(L"<font color=red size=+2 face=\"Mono Sans\">x</font>y");
    ASSERT_EQ(r.Runs.size(), 2u);
    EXPECT_EQ(r.Runs[0].Font.Size, 12);
    EXPECT_EQ(r.Runs[0].Font.Color, clRed);
    EXPECT_EQ(r.Runs[0].Font.Name, L"MONO SANS");
    EXPECT_EQ(r.Runs[0].Rect, TRect(0, 0, 12, 24));
    EXPECT_EQ(r.Runs[1].Font, BaseFont());

    const Result nested = Render(L"<font size=20><font size=30 color=#00ff00>a</font>b</font>c</font>d");
    ASSERT_EQ(nested.Runs.size(), 4u);
    EXPECT_EQ(nested.Runs[0].Font.Size, 30);
    EXPECT_EQ(nested.Runs[0].Font.Color, clLime);
    EXPECT_EQ(nested.Runs[1].Font.Size, 20);
    EXPECT_EQ(nested.Runs[1].Font.Color, BaseColor);
    EXPECT_EQ(nested.Runs[2].Font, BaseFont());
    EXPECT_EQ(nested.Runs[3].Font, BaseFont());   // a closing FONT too many changes nothing

    // any tag with FONT in it is a font tag
    EXPECT_EQ(Render(L"<xfonty size=12>x").Runs[0].Font.Size, 12);
}

TEST(HtmlText, FontSizeValues)
{
    struct Case {
        const wchar_t* Value;
        int Size;
    } cases[] = {
        {L"+2", 12}, {L"-3", 7}, {L"14", 14}, {L"\"16\"", 16}, {L"abc", 8}, {L"+x", 8}, {L"-1x", 8},
        {L"+", 10}, {L"-", 10},                                     // a sign alone changes nothing
        {L"99999999999", 1638}, {L"+99999999999999999999999", 1638}, {L"-99999", 1}, {L"0", 1},
    };
    for (const Case& c : cases) {
        const Result r = Render(String(L"<font size=") + c.Value + L">x");
        ASSERT_EQ(r.Runs.size(), 1u) << testing::PrintToString(String(c.Value));
        EXPECT_EQ(r.Runs[0].Font.Size, c.Size) << testing::PrintToString(String(c.Value));
    }
}

TEST(HtmlText, FontColourValues)
{
    struct Case {
        const wchar_t* Value;
        TColor Color;
    } cases[] = {
        {L"#FF0000", clRed},   {L"#0000ff", clBlue},   {L"red", clRed},       {L"Navy", clNavy},
        {L"aqua", clAqua},     {L"00FF00", clLime},    {L"0000FFh", clBlue},  {L"\"#808000\"", clOlive},
        {L"zz", clBlack},      {L"#12G456", clBlack},  {L"#AB12345678", TColor(0x785634)},
    };
    for (const Case& c : cases) {
        const Result r = Render(String(L"<font color=") + c.Value + L">x");
        ASSERT_EQ(r.Runs.size(), 1u) << testing::PrintToString(String(c.Value));
        EXPECT_EQ(r.Runs[0].Font.Color, c.Color) << testing::PrintToString(String(c.Value));
    }
}

TEST(HtmlText, LinksCarryTheirBoxAndAddress)
{
    const Result r = Render(L"go <a href=\"http://x.test/a b\">here</a> now");
    ASSERT_EQ(r.Links.size(), 1u);
    EXPECT_EQ(r.Links[0].URL, L"http://x.test/a b");
    EXPECT_EQ(r.Links[0].Bounds, TRect(30, 0, 70, 20));
    EXPECT_EQ(Texts(r), L"[go][ ][here][ now]");
    EXPECT_EQ(r.Runs[2].Font.Color, clBlue);
    EXPECT_FALSE(r.Runs[2].Font.Underline);
    EXPECT_EQ(r.Runs[3].Font, BaseFont());

    // the measuring pass finds the same links
    FixedMeasurer m;
    TsHtml html(m);
    html.Init(BaseFont(), L"go <a href=\"http://x.test/a b\">here</a> now", TRect(0, 0, 1000, 100), -1, -1);
    TacLinks links;
    html.HTMLText(links);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Bounds, TRect(30, 0, 70, 20));
}

TEST(HtmlText, LinkLooks)
{
    TacHtmlLinkColors skin;
    skin.SkinActive = true;
    skin.WebText = 0x102030;
    skin.WebTextHot = 0x0000F0;
    skin.LabelText = 0xF00000;
    struct Case {
        int Hot, Pressed;
        bool Skinned;
        TColor Color;
        bool Underline;
    } cases[] = {
        {-1, -1, false, clBlue, false}, {1, -1, false, clBlue, true},  {-1, 1, false, clBlue, true},
        {1, 1, false, clRed, true},     {-1, -1, true, 0x102030, false}, {1, -1, true, 0x0000F0, true},
        {-1, 1, true, 0x0000F0, true},  {1, 1, true, 0x780077, true},   // (hot x 127 + label x 128) >> 8 per byte
        {0, 0, false, clBlue, false},   // another link is hot
    };
    for (const Case& c : cases) {
        Options o;
        o.Hot = c.Hot;
        o.Pressed = c.Pressed;
        if (c.Skinned) o.Colors = skin;
        const Result r = Render(L"<a href=a>one</a> <a href=b>two</a>", o);
        ASSERT_EQ(r.Runs.size(), 3u);
        EXPECT_EQ(r.Runs[2].Font.Color, c.Color) << c.Hot << " " << c.Pressed << " " << c.Skinned;
        EXPECT_EQ(r.Runs[2].Font.Underline, c.Underline) << c.Hot << " " << c.Pressed << " " << c.Skinned;
        ASSERT_EQ(r.Links.size(), 2u);
        EXPECT_EQ(r.Links[1].URL, L"b");
        EXPECT_EQ(r.Links[1].Bounds, TRect(40, 0, 70, 20));
    }
}

TEST(HtmlText, LinkAddresses)
{
    struct Case {
        const wchar_t* Tag;
        const wchar_t* URL;
    } cases[] = {
        {L"<a href=\"http://x.test\">", L"http://x.test"},
        {L"<A HREF='mailto:x@y.test'>", L"mailto:x@y.test"},
        {L"<a Href = \"x y\" title=z>", L"x y"},
        {L"<a href=http://x.test>", L"http://x.test"},    // unquoted: nothing of it is lost
        {L"<a href=x title=y>", L"x"},
        {L"<a name=x>", L""},                              // no address
        {L"<a href>", L""},
        {L"<table>", L""},                                 // a tag with an A in it opens a link
    };
    for (const Case& c : cases) {
        const Result r = Render(String(c.Tag) + L"x</a>");
        ASSERT_EQ(r.Links.size(), 1u) << testing::PrintToString(String(c.Tag));
        EXPECT_EQ(r.Links[0].URL, c.URL) << testing::PrintToString(String(c.Tag));
        EXPECT_EQ(r.Links[0].Bounds, TRect(0, 0, 10, 20)) << testing::PrintToString(String(c.Tag));
    }
}

TEST(HtmlText, LinksLeftOpenOrClosedTwice)
{
    // never closed: the box of its start only, and its whole tag as address
    const Result open = Render(L"ab <a href=x>cd");
    ASSERT_EQ(open.Links.size(), 1u);
    EXPECT_EQ(open.Links[0].Bounds, TRect(30, 0, 0, 0));
    EXPECT_EQ(open.Links[0].URL, L"<a href=x>");

    // a second closing tag leaves the closed link and the font as they are
    const Result twice = Render(L"<font color=green><a href=1>x</a>y</a>z");
    ASSERT_EQ(twice.Links.size(), 1u);
    EXPECT_EQ(twice.Links[0].Bounds, TRect(0, 0, 10, 20));
    EXPECT_EQ(twice.Links[0].URL, L"1");
    EXPECT_EQ(twice.Runs.back().Font.Color, clGreen);

    // nested links: each closing tag closes the innermost open one
    const Result nested = Render(L"<a href=1>x<a href=2>y</a>z</a>");
    ASSERT_EQ(nested.Links.size(), 2u);
    EXPECT_EQ(nested.Links[0].URL, L"1");
    EXPECT_EQ(nested.Links[0].Bounds, TRect(0, 0, 30, 20));
    EXPECT_EQ(nested.Links[1].URL, L"2");
    EXPECT_EQ(nested.Links[1].Bounds, TRect(10, 0, 20, 20));
}

TEST(HtmlText, WrappedLinkBoxHoldsAllItsText)
{
    Options o;
    o.Area = TRect(0, 0, 100, 100);
    const Result r = Render(L"aaaa <a href=u>bbbb cccc dddd</a> e", o);
    EXPECT_EQ(Texts(r), L"[aaaa][ ][bbbb][cccc][ dddd][e]");
    ASSERT_EQ(r.Links.size(), 1u);
    // "bbbb" from 50 to 90 on the first line, "cccc dddd" from 0 to 90 on the second
    EXPECT_EQ(r.Links[0].Bounds, TRect(0, 0, 90, 42));
    for (const Drawn& d : r.Runs)
        if (d.Font.Color == clBlue) {
            EXPECT_TRUE(r.Links[0].Bounds.Contains(d.Rect)) << testing::PrintToString(d.Text);
        }
}

TEST(HtmlText, WordsWrapAtTheAreaWidth)
{
    struct Case {
        const wchar_t* Text;
        const wchar_t* Pieces;
        std::vector<int> LineWidths;
    } cases[] = {
        // the word that does not fit goes to the next line without its blank
        {L"aaaa bbbb cccc", L"[aaaa][ bbbb][cccc]", {90, 40}},
        // a word wider than the area gets a line of its own
        {L"aa bbbbbbbbbbbb cc", L"[aa][bbbbbbbbbbbb][ cc]", {20, 120, 30}},
        {L"bbbbbbbbbbbb", L"[bbbbbbbbbbbb]", {120, 0}},
        {L"xxxxxxxx yyy zz", L"[xxxxxxxx][yyy][ zz]", {80, 60}},
        // blanks at a break vanish
        {L"xxxxxxxxx   y", L"[xxxxxxxxx][ ][y]", {100, 10}},
        // an entity that does not fit goes to the next line
        {L"xxxxxxxxxx&amp;", L"[xxxxxxxxxx][&]", {100, 10}},
    };
    for (const Case& c : cases) {
        Options o;
        o.Area = TRect(0, 0, 100, 100);
        const Result r = Render(c.Text, o);
        EXPECT_EQ(Texts(r), c.Pieces) << testing::PrintToString(String(c.Text));
        std::vector<int> widths;
        for (const TacLineData& l : r.Lines) widths.push_back(l.Size.cx);
        EXPECT_EQ(widths, c.LineWidths) << testing::PrintToString(String(c.Text));
    }
}

TEST(HtmlText, AWordMovedToTheNextLineIsDrawnOnce)
{
    // Scanning such a word again from its start would draw it a second time after itself, and a
    // word wider than half the area would never fit after itself: the layout would not end.
    struct Case {
        const wchar_t* Text;
        const wchar_t* Pieces;
        std::vector<TRect> Rects;
    } cases[] = {
        {L"xxxxxxxx yyy", L"[xxxxxxxx][yyy]", {TRect(0, 0, 80, 20), TRect(0, 22, 30, 42)}},
        {L"xxxx yyyyyyy", L"[xxxx][yyyyyyy]", {TRect(0, 0, 40, 20), TRect(0, 22, 70, 42)}},
        {L"xxxxxxxx yyyyyyy zzzzzzz", L"[xxxxxxxx][yyyyyyy][zzzzzzz]",
         {TRect(0, 0, 80, 20), TRect(0, 22, 70, 42), TRect(0, 44, 70, 64)}},
    };
    for (const Case& c : cases) {
        Options o;
        o.Area = TRect(0, 0, 100, 100);
        const Result r = Render(c.Text, o);
        EXPECT_EQ(Texts(r), c.Pieces) << testing::PrintToString(String(c.Text));
        std::vector<TRect> rects;
        for (const Drawn& d : r.Runs) rects.push_back(d.Rect);
        EXPECT_EQ(rects, c.Rects) << testing::PrintToString(String(c.Text));
        EXPECT_EQ(r.Lines.size(), c.Rects.size());
    }
}

TEST(HtmlText, NoWrappingWithoutAPositiveRightEdge)
{
    struct Case {
        TRect Area;
        size_t Lines;
        const wchar_t* Drawn;
    } cases[] = {
        {TRect(0, 0, 0, 0), 1, L"aaaa bbbb cccc dddd"},
        {TRect(-50, 0, 0, 10), 1, L"aaaa bbbb cccc dddd"},
        {TRect(0, 0, -5, -5), 1, L"aaaa bbbb cccc dddd"},
        {TRect(10, 0, 5, 0), 5, L"aaaabbbbccccdddd"},   // a negative width: every word on a line of its own
    };
    for (const Case& c : cases) {
        Options o;
        o.Area = c.Area;
        const Result r = Render(L"aaaa bbbb cccc dddd", o);
        EXPECT_EQ(r.Lines.size(), c.Lines) << testing::PrintToString(c.Area);
        EXPECT_EQ(Joined(r), c.Drawn) << testing::PrintToString(c.Area);
    }
}

TEST(HtmlText, LinesAlignByTheirMeasuredWidths)
{
    struct Case {
        TAlignment Alignment;
        TBiDiMode Bidi;
        int Line0, Line1;   // left ends of the two lines
        uint32_t Flags;
    } cases[] = {
        {taLeftJustify, bdLeftToRight, 0, 0, 0x104},
        {taRightJustify, bdLeftToRight, 10, 60, 0x104},
        {taCenter, bdLeftToRight, 5, 30, 0x104},
        {taLeftJustify, bdRightToLeft, 10, 60, 0x20106},   // mirrored
        {taRightJustify, bdRightToLeft, 0, 0, 0x20106},
        {taCenter, bdRightToLeft, 5, 30, 0x20106},
        {taLeftJustify, bdRightToLeftNoAlign, 0, 0, 0x20104},
        {taRightJustify, bdRightToLeftReadingOnly, 10, 60, 0x104},
    };
    for (const Case& c : cases) {
        Options o;
        o.Area = TRect(0, 0, 100, 100);
        o.Alignment = c.Alignment;
        o.Bidi = c.Bidi;
        const Result r = Render(L"aaaa bbbb cccc", o);
        ASSERT_EQ(r.Runs.size(), 3u);
        EXPECT_EQ(r.Runs[0].Rect.left, c.Line0) << c.Alignment << " " << c.Bidi;
        EXPECT_EQ(r.Runs[2].Rect.left, c.Line1) << c.Alignment << " " << c.Bidi;
        EXPECT_EQ(r.Runs[0].Format, c.Flags) << c.Alignment << " " << c.Bidi;
        EXPECT_EQ(r.Flags, c.Flags);
        if (c.Alignment == taRightJustify && c.Bidi == bdLeftToRight) {
            EXPECT_EQ(r.Runs[1].Rect.right, 100);   // right-aligned lines end at the area's right
            EXPECT_EQ(r.Runs[2].Rect.right, 100);
        }
    }
}

TEST(HtmlText, AnOffsetAreaIsLaidOutAsMeasured)
{
    Options o;
    o.Area = TRect(20, 5, 120, 100);
    const Result r = Render(L"aaaa bbbb cccc", o);
    // the same breaks as at the origin, moved by the area's corner
    EXPECT_EQ(Texts(r), L"[aaaa][ bbbb][cccc]");
    EXPECT_EQ(r.Runs[0].Rect, TRect(20, 5, 60, 25));
    EXPECT_EQ(r.Runs[2].Rect, TRect(20, 27, 60, 47));
    EXPECT_EQ(r.Size, TRect(0, 0, 110, 47));
    EXPECT_EQ(r.Measured, TRect(0, 0, 90, 47));
    ASSERT_EQ(r.Lines.size(), 2u);
}

TEST(HtmlText, EveryLineTakesItsOwnHeightWhenDrawn)
{
    // the first line is lower than the last: drawing spaces it by its own height, not the last's
    const Result r = Render(L"a<br><font size=20>B</font>");
    ASSERT_EQ(r.Runs.size(), 2u);
    EXPECT_EQ(r.Runs[0].Rect, TRect(0, 0, 10, 20));
    EXPECT_EQ(r.Runs[1].Rect, TRect(0, 22, 20, 62));
    EXPECT_EQ(r.Size, TRect(0, 0, 20, 62));
    EXPECT_EQ(r.Measured, r.Size);
}

TEST(HtmlText, AlphaRunsTakeTheirOwnHeight)
{
    Options o;
    o.Alpha = true;
    const Result r = Render(L"<font size=20>A</font>b&amp;", o);
    ASSERT_EQ(r.Runs.size(), 3u);
    for (const Drawn& d : r.Runs) EXPECT_TRUE(d.Alpha);
    EXPECT_EQ(r.Runs[0].Rect, TRect(0, 0, 20, 40));
    EXPECT_EQ(r.Runs[1].Rect, TRect(20, 0, 30, 20));   // its own height
    EXPECT_EQ(r.Runs[2].Rect, TRect(30, 0, 40, 40));   // an entity: the line's
}

TEST(HtmlText, BadInputStaysLinear)
{
    const auto repeat = [](StringView s, size_t n) {
        String r;
        for (size_t i = 0; i < n; ++i) r += s;
        return r;
    };
    const size_t n = 10000;
    const String cases[] = {
        repeat(L"<a", n),                    // tags that never end
        repeat(L"<x ", n) + L">",            // one long unknown tag, scanned as text
        repeat(L"<a<x", n) + L">",
        repeat(L"&x", n),                    // entities that never end
        repeat(L"&amp", n) + L";",
        repeat(L"<font>", n),                // deep nesting
        L"<font face=\"" + repeat(L"F", 5 * n) + L"\">" + repeat(L"<font>", n) + L"x",
        repeat(L"<a href=x>", n) + L"y",     // links never closed
        repeat(L"<a href=x>y", n) + repeat(L"</a>", n),
        repeat(L"<b><i><u>", n),
        repeat(L"<br>", n),
        repeat(L"\r\n", n),
        repeat(L"\n ", n),
        repeat(L"<font size=+999999999>x", 1000),
        repeat(L"x ", n),
    };
    const TRect areas[] = {TRect(0, 0, 100, 50), TRect(50, 50, 10, 10), TRect(0, 0, 0, 0)};
    for (const String& text : cases)
        for (const TRect& area : areas) {
            Options o;
            o.Area = area;
            o.Alignment = taCenter;
            const Result r = Render(text, o);
            EXPECT_LE(r.Lines.size(), text.size() + 1);
            EXPECT_LE(r.Measures, 4 * text.size() + 8) << testing::PrintToString(text.substr(0, 20));
            for (const TacLink& l : r.Links) {
                if (l.Bounds.right == 0 && l.Bounds.bottom == 0) continue;   // never closed
                EXPECT_LE(l.Bounds.left, l.Bounds.right);
                EXPECT_LE(l.Bounds.top, l.Bounds.bottom);
                EXPECT_LE(l.Bounds.right, r.Size.right);
                EXPECT_LE(l.Bounds.bottom, r.Size.bottom);
            }
        }
}

TEST(HtmlText, PlainCaption)
{
    struct Case {
        const wchar_t* Caption;
        const wchar_t* Plain;
    } cases[] = {
        {L"", L""},
        {L"<b>bold</b> and <a href=\"x\">link</a>", L"bold and link"},
        {L"a < b", L"a < b"},               // no ">" after the "<": it stays with the rest
        {L"a<b>c<d", L"ac<d"},
        {L"x > y <i>z</i>", L"x > y z"},    // a ">" before the first "<" stays
        {L"<", L"<"},
        {L"<>", L""},
        {L"<<b>>", L">"},
    };
    for (const Case& c : cases) EXPECT_EQ(PlainCaptionOf(c.Caption), c.Plain) << testing::PrintToString(String(c.Caption));
}
