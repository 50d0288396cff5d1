// Mark-up text layout. Two passes over the same text: the measuring pass records every line's
// width and height, the drawing pass aligns each line by its recorded width and gives it its
// height. Both start from the base font with an empty font stack and break lines at the same
// places, so what is drawn is what was measured.
//
// The scan only moves forward: every search (the ">" that ends a tag, FONT and A inside a tag,
// the ";" of an entity) goes forward from a cached position or a bounded distance, so time and
// memory stay linear in the text whatever it holds.
#include "skin/controls/core/html_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

#include "skin/graphics/colors.h"

namespace {

constexpr uint32_t FormatVCenter = 0x4;
constexpr uint32_t FormatRight = 0x2;
constexpr uint32_t FormatNoClip = 0x100;
constexpr uint32_t FormatRtlReading = 0x20000;

constexpr int MinFontSize = 1;
constexpr int MaxFontSize = 1638;   // points; fonts cannot be asked for larger
constexpr size_t MaxFaceLength = 31;   // the longest face name a font can be created with
constexpr int LineGap = 2;             // pixels between lines

// ---- entities ------------------------------------------------------------------------------

struct TEntity {
    std::wstring_view Name;
    std::wstring_view Numeric;
    wchar_t Text;
};

constexpr TEntity Entities[] = {
    {L"ndash", L"#8211", 0x2013},   {L"mdash", L"#8212", 0x2014},   {L"nbsp", L"#160", 0xA0},
    {L"iexcl", L"#161", 0xA1},      {L"iquest", L"#191", 0xBF},     {L"quot", L"#34", L'"'},
    {L"ldquo", L"#8220", 0x201C},   {L"rdquo", L"#8221", 0x201D},   {L"39", L"#39", L'\''},
    {L"lsquo", L"#8216", 0x2018},   {L"rsquo", L"#8217", 0x2019},   {L"laquo", L"#171", 0xAB},
    {L"raquo", L"#187", 0xBB},      {L"amp", L"#38", L'&'},         {L"cent", L"#162", 0xA2},
    {L"copy", L"#169", 0xA9},       {L"divide", L"#247", 0xF7},     {L"gt", L"#62", L'>'},
    {L"lt", L"#60", L'<'},          {L"micro", L"#181", 0xB5},      {L"middot", L"#183", 0xB7},
    {L"para", L"#182", 0xB6},       {L"plusmn", L"#177", 0xB1},     {L"euro", L"#8364", 0x20AC},
    {L"pound", L"#163", 0xA3},      {L"reg", L"#174", 0xAE},        {L"sect", L"#167", 0xA7},
    {L"trade", L"#153", 0x2122},    {L"yen", L"#165", 0xA5},        {L"szlig", L"#223", 0xDF},
    {L"yuml", L"#255", 0xFF},       {L"aacute", L"#225", 0xE1},     {L"Aacute", L"#193", 0xC1},
    {L"agrave", L"#224", 0xE0},     {L"Agrave", L"#192", 0xC0},     {L"acirc", L"#226", 0xE2},
    {L"Acirc", L"#194", 0xC2},      {L"aring", L"#229", 0xE5},      {L"Aring", L"#197", 0xC5},
    {L"atilde", L"#227", 0xE3},     {L"Atilde", L"#195", 0xC3},     {L"auml", L"#228", 0xE4},
    {L"Auml", L"#196", 0xC4},       {L"aelig", L"#230", 0xE6},      {L"AElig", L"#198", 0xC6},
    {L"ccedil", L"#231", 0xE7},     {L"Ccedil", L"#199", 0xC7},     {L"eacute", L"#233", 0xE9},
    {L"Eacute", L"#201", 0xC9},     {L"egrave", L"#232", 0xE8},     {L"Egrave", L"#200", 0xC8},
    {L"ecirc", L"#234", 0xEA},      {L"Ecirc", L"#202", 0xCA},      {L"euml", L"#235", 0xEB},
    {L"Euml", L"#203", 0xCB},       {L"iacute", L"#237", 0xED},     {L"Iacute", L"#205", 0xCD},
    {L"igrave", L"#236", 0xEC},     {L"Igrave", L"#204", 0xCC},     {L"icirc", L"#238", 0xEE},
    {L"Icirc", L"#206", 0xCE},      {L"iuml", L"#239", 0xEF},       {L"Iuml", L"#207", 0xCF},
    {L"ntilde", L"#241", 0xF1},     {L"Ntilde", L"#209", 0xD1},     {L"oacute", L"#243", 0xF3},
    {L"Oacute", L"#211", 0xD3},     {L"ograve", L"#242", 0xF2},     {L"Ograve", L"#210", 0xD2},
    {L"ocirc", L"#244", 0xF4},      {L"Ocirc", L"#212", 0xD4},      {L"oslash", L"#248", 0xF8},
    {L"Oslash", L"#216", 0xD8},     {L"otilde", L"#245", 0xF5},     {L"Otilde", L"#213", 0xD5},
    {L"ouml", L"#246", 0xF6},       {L"Ouml", L"#214", 0xD6},       {L"uacute", L"#250", 0xFA},
    {L"Uacute", L"#218", 0xDA},     {L"ugrave", L"#249", 0xF9},     {L"Ugrave", L"#217", 0xD9},
    {L"ucirc", L"#251", 0xFB},      {L"Ucirc", L"#219", 0xDB},      {L"uuml", L"#252", 0xFC},
    {L"Uuml", L"#220", 0xDC},       {L"#180", L"#180", 0xB4},       {L"#96", L"#96", L'`'},
};

constexpr size_t LongestEntityName()
{
    size_t n = 0;
    for (const TEntity& e : Entities) n = std::max({n, e.Name.size(), e.Numeric.size()});
    return n;
}

// The exact name or the numeric form first; failing both, the first row whose name is the same
// ignoring letter case (so AMP is &, AACUTE the small a with acute).
const TEntity* FindEntity(StringView name)
{
    for (const TEntity& e : Entities)
        if (name == e.Name || name == e.Numeric) return &e;
    for (const TEntity& e : Entities)
        if (SameText(name, e.Name)) return &e;
    return nullptr;
}

// ---- small text helpers ----------------------------------------------------------------------

constexpr bool IsQuote(wchar_t c) { return c == L'"' || c == L'\''; }

String WithoutLineBreaks(StringView s)
{
    String r;
    r.reserve(s.size());
    for (wchar_t c : s)
        if (c != L'\r' && c != L'\n') r += c;
    return r;
}

// Hexadecimal digits 0-9, A-F (upper case: tags are upper-cased), one trailing H dropped; any
// other character makes the whole value 0. Overlong values wrap.
uint64_t HexTextToInt64(StringView s)
{
    if (!s.empty() && s.back() == L'H') s.remove_suffix(1);
    uint64_t v = 0;
    for (wchar_t c : s) {
        int d;
        if (c >= L'0' && c <= L'9') d = c - L'0';
        else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
        else return 0;
        v = v << 4 | uint64_t(d);
    }
    return v;
}

// A decimal number of digits only; large values saturate.
bool ParseCount(StringView s, int64_t& value)
{
    if (s.empty()) return false;
    int64_t v = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') return false;
        v = std::min<int64_t>(v * 10 + (c - L'0'), std::numeric_limits<int32_t>::max());
    }
    value = v;
    return true;
}

TColor HexColor(StringView s) { return TColor(ExchangeRedBlue(uint32_t(HexTextToInt64(s))) & 0xFFFFFFu); }

struct TNamedColor {
    std::wstring_view Name;
    TColor Color;
};
constexpr TNamedColor NamedColors[] = {
    {L"AQUA", clAqua},   {L"BLACK", clBlack},   {L"BLUE", clBlue},     {L"FUCHSIA", clFuchsia},
    {L"GRAY", clGray},   {L"GREEN", clGreen},   {L"LIME", clLime},     {L"MAROON", clMaroon},
    {L"NAVY", clNavy},   {L"OLIVE", clOlive},   {L"PURPLE", clPurple}, {L"RED", clRed},
    {L"SILVER", clSilver}, {L"TEAL", clTeal},   {L"WHITE", clWhite},   {L"YELLOW", clYellow},
};

TColor ColorOfWord(StringView word)
{
    if (!word.empty() && word[0] == L'#') return HexColor(word.substr(1));
    for (const TNamedColor& n : NamedColors)
        if (word == n.Name) return n.Color;
    return HexColor(word);
}

// The address of a link from its opening tag: the value after HREF and its "=". A quoted value
// runs to the next quote; an unquoted one to a blank, a quote or the ">". Empty without HREF.
String UrlOfTag(StringView tag)
{
    const String upped = UpperCase(tag);
    const size_t href = upped.find(L"HREF");
    if (href == String::npos) return String();
    size_t i = tag.find(L'=', href + 4);
    if (i == StringView::npos) return String();
    ++i;
    while (i < tag.size() && tag[i] == L' ') ++i;
    const bool quoted = i < tag.size() && IsQuote(tag[i]);
    if (quoted) ++i;
    String url;
    for (; i < tag.size(); ++i) {
        const wchar_t c = tag[i];
        if (IsQuote(c) || c == L'>' || (!quoted && (c == L' ' || c == L'\r' || c == L'\n'))) break;
        url += c;
    }
    return url;
}

// The next place of a needle at or after a position, for positions that never go back: each
// character is looked at about once over all the calls.
class TForwardFinder {
public:
    TForwardFinder(StringView hay, StringView needle) : FHay(hay), FNeedle(needle) {}
    size_t From(size_t from)
    {
        if (!FValid || FAt < from) {
            FAt = from <= FHay.size() ? FHay.find(FNeedle, from) : StringView::npos;
            FValid = true;
        }
        return FAt;
    }

private:
    StringView FHay, FNeedle;
    size_t FAt = 0;
    bool FValid = false;
};

int ClampToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A bounding box that starts at a point (a link's start) and grows by points and boxes.
struct TBox {
    int64_t Left, Top, Right, Bottom;
    void Add(int64_t l, int64_t t, int64_t r, int64_t b)
    {
        Left = std::min(Left, l);
        Top = std::min(Top, t);
        Right = std::max(Right, r);
        Bottom = std::max(Bottom, b);
    }
    void Add(const TBox& b) { Add(b.Left, b.Top, b.Right, b.Bottom); }
};

}   // namespace

// ---- one pass over the text ------------------------------------------------------------------------

class TacHtmlLayout {
public:
    TacHtmlLayout(TsHtml& html, TacHtmlSink* sink)
        : H(html),
          Sink(sink),
          Drawing(sink != nullptr),
          Origin(html.FOrigin),
          Upped(html.FUppedText),
          Len(html.FUppedText.size()),
          Area(html.FArea),
          AreaWidth(int64_t(html.FArea.right) - html.FArea.left),
          Wrapping(html.FArea.right >= 1),
          Font(html.FFont),
          TagEnd(Upped, L">"),
          NextFont(Upped, L"FONT"),
          NextA(Upped, L"A")
    {
    }

    TRect Run(TacLinks& links);

private:
    // ---- lines ----
    int64_t RecordedWidth() const
    {
        const auto& lines = H.FLineSizes;
        return lines.empty() ? 0 : lines[std::min<size_t>(LineNumber, lines.size() - 1)].Size.cx;
    }
    int64_t RecordedHeight() const
    {
        const auto& lines = H.FLineSizes;
        return lines.empty() ? 0 : lines[std::min<size_t>(LineNumber, lines.size() - 1)].Size.cy;
    }

    void LineStart()
    {
        if (!Drawing) {
            CurX = 0;
        } else {
            TAlignment kind = H.Alignment;
            if (H.BidiMode == bdRightToLeft && kind != taCenter)
                kind = kind == taLeftJustify ? taRightJustify : taLeftJustify;
            const int64_t spare = AreaWidth - RecordedWidth();
            CurX = Area.left + (kind == taRightJustify ? spare : kind == taCenter ? spare / 2 : 0);
        }
        LineStartX = CurX;
    }

    void NewLine()
    {
        CurY += RowHeight + LineGap;
        if (!Drawing) {
            H.FLineSizes.push_back({Origin.substr(LinePos, Pos - LinePos), TSize(ClampToInt(CurWidth), ClampToInt(RowHeight))});
            LinePos = Last;
        }
        MaxWidth = std::max(MaxWidth, CurWidth);
        CurWidth = 0;
        RowHeight = 0;
        ++LineNumber;
        LineStart();
    }

    // The least height of a line after a break or with an entity: that of "Yy" when measuring,
    // the recorded one when drawing.
    int64_t MinRowHeight()
    {
        return Drawing ? RecordedHeight() : std::max<int64_t>(0, Measure(L"Yy").cy);
    }

    // BR, BR/, P and /P.
    void BreakLine()
    {
        NewLine();
        RowHeight = MinRowHeight();
    }

    // ---- drawing text ----
    TSize Measure(StringView text)
    {
        TSize s = H.FMeasurer.TextExtent(Font, text);
        return TSize(std::max<int>(0, s.cx), std::max<int>(0, s.cy));
    }

    // Puts measured text at the current position and moves on.
    void Put(const String& text, TSize size, bool rowHeightRect)
    {
        RowHeight = std::max<int64_t>(RowHeight, size.cy);
        if (Drawing) {
            const int64_t bottom = CurY + (H.AlphaChannel && !rowHeightRect ? size.cy : RowHeight);
            Sink->DrawRun(Font, text, TRect(ClampToInt(CurX), ClampToInt(CurY), ClampToInt(CurX + size.cx), ClampToInt(bottom)),
                          H.FTextFlags, H.AlphaChannel);
        }
        if (!OpenLinks.empty()) OpenLinks.back().Box.Add(CurX, CurY, CurX + size.cx, CurY + RowHeight);
        CurX += size.cx;
        CurWidth = std::max(CurWidth + size.cx, CurX);
    }

    // The pending run [Last, Pos) where it is, without wrapping. Last stays; callers move it.
    void DrawPending()
    {
        const String text = WithoutLineBreaks(StringView(Origin).substr(Last, Pos - Last));
        if (!text.empty()) Put(text, Measure(text), false);
    }

    // Closes the pending run at a blank, a CR, a tag or the end: it goes on this line when it
    // fits, else on the next without its leading blank; a run wider than the area gets a line of
    // its own. Either way it is drawn once and the scan goes on after it.
    void WordFit()
    {
        String text = WithoutLineBreaks(StringView(Origin).substr(Last, Pos - Last));
        if (text.empty()) {
            Last = Pos;
            return;
        }
        TSize size = Measure(text);
        const int64_t used = CurX - LineStartX;
        if (!Wrapping || used + size.cx <= AreaWidth) {
            Put(text, size, false);
            Last = Pos;
            return;
        }
        if (Origin[Last] == L' ') {
            ++Last;
            text = WithoutLineBreaks(StringView(Origin).substr(Last, Pos - Last));
            if (text.empty()) {
                Last = Pos;
                return;
            }
            size = Measure(text);
        }
        if (used > 0) NewLine();
        Put(text, size, false);
        Last = Pos;
        if (size.cx > AreaWidth) NewLine();
    }

    // ---- fonts ----
    void PushFont() { Fonts.push_back(Font); }
    void PopFont()
    {
        if (Fonts.empty()) return;
        Font = std::move(Fonts.back());
        Fonts.pop_back();
    }

    void ApplySize(StringView value)
    {
        int64_t size = Font.Size, n = 0;
        if (value[0] == L'-' || value[0] == L'+') {
            if (value.size() == 1) return;   // a sign alone changes nothing
            if (ParseCount(value.substr(1), n)) size += value[0] == L'-' ? -n : n;
            else size = 8;
        } else {
            size = ParseCount(value, n) ? n : 8;
        }
        Font.Size = int(std::clamp<int64_t>(size, MinFontSize, MaxFontSize));
    }

    void ApplyFontTag(StringView tag)
    {
        PushFont();
        struct TWord {
            size_t At;
            StringView Text;
        };
        std::vector<TWord> words;
        size_t start = 0;
        for (size_t i = 0; i <= tag.size(); ++i) {
            const wchar_t c = i < tag.size() ? tag[i] : L' ';
            if (c == L'\n' || c == L'\r' || c == L' ' || c == L'"' || c == L'<' || c == L'=' || c == L'>') {
                if (i > start) words.push_back({start, tag.substr(start, i - start)});
                start = i + 1;
            }
        }
        for (size_t w = 0; w < words.size(); ++w) {
            const StringView word = words[w].Text;
            const StringView next = w + 1 < words.size() ? words[w + 1].Text : StringView();
            if (word == L"SIZE" && !next.empty()) {
                ApplySize(next);
            } else if (word == L"COLOR" && !next.empty()) {
                Font.Color = ColorOfWord(next);
            } else if (word == L"FACE") {
                const size_t open = tag.find(L'"', words[w].At);
                const size_t close = open == StringView::npos ? open : tag.find(L'"', open + 1);
                if (close != StringView::npos && close > open + 1)
                    Font.Name = String(tag.substr(open + 1, std::min(close - open - 1, MaxFaceLength)));
            }
        }
    }

    // ---- links ----
    TColor LinkColor(int look) const
    {
        const TacHtmlLinkColors& c = H.LinkColors;
        if (!c.SkinActive) return look == 2 ? clRed : clBlue;
        if (look == 0) return c.WebText;
        if (look == 1) return c.WebTextHot;
        return TColor(MixColors(uint32_t(c.WebTextHot), uint32_t(c.LabelText), 127));
    }

    void OpenLink(size_t lt, size_t gt)
    {
        const int k = int(Links.size());
        const int look = (k == H.FPressedLink) + (k == H.FHotLink);
        PushFont();
        Font.Color = LinkColor(look);
        if (look > 0) Font.Underline = true;
        TacLink link;
        link.Bounds = TRect(ClampToInt(CurX), ClampToInt(CurY), 0, 0);
        link.URL = Origin.substr(lt, gt - lt + 1);
        Links.push_back(std::move(link));
        OpenLinks.push_back({size_t(k), TBox{CurX, CurY, CurX, CurY}});
        CurWidth = std::max(CurWidth, CurX);   // the laid-out size holds every link, even an empty one
    }

    // Closes the innermost open link: its bounds hold its start, all its text and the end.
    void CloseLink()
    {
        if (OpenLinks.empty()) return;
        TOpenLink open = OpenLinks.back();
        OpenLinks.pop_back();
        open.Box.Add(CurX, CurY, CurX, CurY + RowHeight);
        CurWidth = std::max(CurWidth, CurX);
        TacLink& link = Links[open.Index];
        link.URL = UrlOfTag(link.URL);
        link.Bounds = TRect(ClampToInt(open.Box.Left), ClampToInt(open.Box.Top), ClampToInt(open.Box.Right),
                            ClampToInt(open.Box.Bottom));
        if (!OpenLinks.empty()) OpenLinks.back().Box.Add(open.Box);
        PopFont();
    }

    // ---- tags and entities ----
    // The tag Upped[lt..gt] (brackets included); false when it is none of ours.
    bool HandleTag(size_t lt, size_t gt, bool& lineBreak)
    {
        const StringView tag = StringView(Upped).substr(lt, gt - lt + 1);
        lineBreak = false;
        if (tag.size() > 2 && tag[1] == L'/') {
            const StringView name = tag.substr(2);
            if (name.starts_with(L"B")) Font.Bold = false;
            else if (name.starts_with(L"I")) Font.Italic = false;
            else if (name.starts_with(L"U")) Font.Underline = false;
            else if (name.starts_with(L"FONT")) PopFont();
            else if (name.starts_with(L"A")) CloseLink();
            else if (name.starts_with(L"P")) BreakLine(), lineBreak = true;
            else return false;
            return true;
        }
        const auto named = [&](StringView name) {
            const size_t after = 1 + name.size();
            return tag.substr(1).starts_with(name) && after < tag.size() && (tag[after] == L' ' || tag[after] == L'>');
        };
        if (named(L"BR") || named(L"BR/")) BreakLine(), lineBreak = true;
        else if (named(L"B")) Font.Bold = true;
        else if (named(L"I")) Font.Italic = true;
        else if (named(L"U")) Font.Underline = true;
        else if (named(L"P")) BreakLine(), lineBreak = true;
        else if (const size_t f = NextFont.From(lt); f != StringView::npos && f + 4 < gt + 1) ApplyFontTag(tag);
        else if (const size_t a = NextA.From(lt); a != StringView::npos && a < gt) OpenLink(lt, gt);
        else return false;
        return true;
    }

    // An entity at the "&" at Pos: its ";" comes before any blank and its name is in the table.
    // Names are short, so the look-ahead stops after the longest one (and at the text's end).
    const TEntity* EntityAt(size_t& semicolon) const
    {
        const size_t limit = std::min(Len, Pos + 2 + LongestEntityName());
        for (size_t i = Pos + 1; i < limit; ++i) {
            if (Upped[i] == L' ') return nullptr;
            if (Upped[i] == L';') {
                semicolon = i;
                return FindEntity(StringView(Origin).substr(Pos + 1, i - Pos - 1));
            }
        }
        return nullptr;
    }

    void PutEntity(const TEntity& e)
    {
        const String text(1, e.Text);
        const TSize size = Measure(text);
        if (Wrapping && CurX - LineStartX > 0 && CurX - LineStartX + size.cx > AreaWidth) NewLine();
        RowHeight = std::max(RowHeight, MinRowHeight());
        Put(text, size, true);
    }

    void Scan();

    struct TOpenLink {
        size_t Index;
        TBox Box;
    };

    TsHtml& H;
    TacHtmlSink* Sink;
    const bool Drawing;
    const String& Origin;
    const String& Upped;
    const size_t Len;
    const TRect Area;
    const int64_t AreaWidth;
    const bool Wrapping;

    TacHtmlFont Font;
    std::vector<TacHtmlFont> Fonts;
    TacLinks Links;
    std::vector<TOpenLink> OpenLinks;
    TForwardFinder TagEnd, NextFont, NextA;

    int64_t CurX = 0, CurY = 0, LineStartX = 0;
    int64_t CurWidth = 0, RowHeight = 0, MaxWidth = 0, MaxHeight = 0;
    size_t LineNumber = 0;
    size_t Pos = 0, Last = 0, LinePos = 0;
};

void TacHtmlLayout::Scan()
{
    while (Pos < Len) {
        const wchar_t c = Upped[Pos];
        if (c == L'\r') {
            // A word boundary, not a break; an LF after it goes with it.
            WordFit();
            ++Pos;
            if (Pos < Len && Upped[Pos] == L'\n') ++Pos;
            Last = Pos;
            continue;
        }
        if (c == L' ') {
            WordFit();
        } else if (c == L'&') {
            DrawPending();
            size_t semicolon = 0;
            if (const TEntity* e = EntityAt(semicolon)) {
                PutEntity(*e);
                Pos = semicolon;
                Last = Pos + 1;
            } else {
                Last = Pos;
                if (Pos + 1 < Len && Upped[Pos + 1] == L'&') Last = ++Pos;   // "&&" is one "&"
            }
        } else if (c == L'<' && Pos + 1 < Len && Upped[Pos + 1] == L'<') {
            DrawPending();
            Last = ++Pos;   // "<<" is one "<"
        } else if (c == L'<') {
            WordFit();
            DrawPending();
            const size_t gt = TagEnd.From(Pos + 1);
            bool lineBreak = false;
            if (gt == StringView::npos) {
                Last = Pos + 1;   // no ">" anywhere after it: the "<" goes, the rest is text
            } else if (HandleTag(Pos, gt, lineBreak)) {
                Pos = gt;
                Last = Pos + 1;
                if (lineBreak) LinePos = Last;
            } else {
                Last = Pos;   // not ours: the "<" and the rest are text
            }
        }
        ++Pos;
    }
}

TRect TacHtmlLayout::Run(TacLinks& links)
{
    LineStart();
    CurY = Area.top;
    Scan();
    WordFit();
    DrawPending();
    if (!Drawing) H.FLineSizes.push_back({Origin.substr(LinePos), TSize(ClampToInt(CurWidth), ClampToInt(RowHeight))});
    MaxWidth = std::max(MaxWidth, CurWidth);
    MaxHeight = CurY + RowHeight;
    links = std::move(Links);
    return TRect(0, 0, ClampToInt(MaxWidth), ClampToInt(MaxHeight));
}

// ---- TsHtml --------------------------------------------------------------------------------------

void TsHtml::Init(const TacHtmlFont& font, StringView text, const TRect& area, int hotLink, int pressedLink)
{
    FFont = font;
    FOrigin = String(text);
    // One upper-case code unit per code unit, so positions in it are positions in the text.
    FUppedText = AnsiUpperCase(text);
    FArea = area;
    FHotLink = hotLink;
    FPressedLink = pressedLink;
    FTextFlags = FormatNoClip | FormatVCenter;
    if (BidiMode == bdRightToLeft) FTextFlags |= FormatRtlReading | FormatRight;
    else if (BidiMode == bdRightToLeftNoAlign) FTextFlags |= FormatRtlReading;
    FLineSizes.clear();
}

TRect TsHtml::HTMLText(TacLinks& links, TacHtmlSink* sink)
{
    FLineSizes.clear();
    TRect size = TacHtmlLayout(*this, nullptr).Run(links);
    if (sink) size = TacHtmlLayout(*this, sink).Run(links);
    return size;
}

String PlainCaptionOf(StringView caption)
{
    String r;
    r.reserve(caption.size());
    size_t i = 0;
    while (i < caption.size()) {
        const size_t lt = caption.find(L'<', i);
        const size_t gt = lt == StringView::npos ? lt : caption.find(L'>', lt + 1);
        if (gt == StringView::npos) break;
        r.append(caption.substr(i, lt - i));
        i = gt + 1;
    }
    r.append(caption.substr(std::min(i, caption.size())));
    return r;
}
