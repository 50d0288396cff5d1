// Fuzz target of the mark-up text layout: any text, area, hot and pressed link lays out in time
// linear in the text, draws nothing outside the size it returns, keeps every closed link inside
// that size, records at most one line per character plus one, and measures and draws the same
// lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/controls/core/html_text.h"

namespace {

// Widths vary by character (some are 0) and grow with the size; bold adds one pixel.
struct FakeMeasurer : TacHtmlMeasurer {
    TSize TextExtent(const TacHtmlFont& font, StringView text) override
    {
        int64_t w = 0;
        for (wchar_t c : text) w += int64_t(uint32_t(c) * 7 % 13) * font.Size / 10 + (font.Bold ? 1 : 0);
        return TSize(int(w), 2 * font.Size);
    }
};

struct CheckingSink : TacHtmlSink {
    std::vector<TRect> Rects;
    void DrawRun(const TacHtmlFont&, StringView text, const TRect& rect, uint32_t, bool) override
    {
        if (text.empty()) abort();
        for (wchar_t c : text)
            if (c == L'\r' || c == L'\n') abort();
        Rects.push_back(rect);
    }
};

int16_t Int16(const uint8_t* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 11) return 0;
    const TRect area(Int16(data), Int16(data + 2), Int16(data + 4), Int16(data + 6));
    const int hot = int8_t(data[8]) % 4, pressed = int8_t(data[9]) % 4;
    const uint8_t flags = data[10];
    // Latin-1, with the top bytes standing for line ends and characters that change when upper-cased.
    static const wchar_t specials[] = L"\r\n\u0131\u017F\u00DF\u2122\u00E9<>&;\"'= ";
    String text;
    for (size_t i = 11; i < size; ++i)
        text += data[i] >= 0xF0 ? specials[data[i] - 0xF0] : wchar_t(data[i]);

    FakeMeasurer measurer;
    TsHtml html(measurer);
    html.Alignment = TAlignment(flags % 3);
    html.BidiMode = TBiDiMode(flags / 3 % 4);
    html.AlphaChannel = flags & 0x10;
    html.LinkColors.SkinActive = flags & 0x20;
    TacHtmlFont font;
    font.Size = 8 + flags / 0x40;
    html.Init(font, text, area, hot, pressed);

    TacLinks links;
    const TRect measured = html.HTMLText(links);
    CheckingSink sink;
    const TRect drawn = html.HTMLText(links, &sink);

    if (html.LineSizes().empty() || html.LineSizes().size() > text.size() + 1) abort();
    if (measured.bottom != drawn.bottom) abort();   // the same lines, the same heights
    for (const TRect& r : sink.Rects)
        if (r.left > r.right || r.top > r.bottom || r.right > drawn.right || r.bottom > drawn.bottom || r.top < area.top)
            abort();
    for (const TacLink& l : links) {
        if (l.Bounds.right == 0 && l.Bounds.bottom == 0) continue;   // never closed
        if (l.Bounds.left > l.Bounds.right || l.Bounds.top > l.Bounds.bottom || l.Bounds.right > drawn.right ||
            l.Bounds.bottom > drawn.bottom || l.Bounds.top < area.top)
            abort();
    }
    return 0;
}
