#include "vcl/label_text.h"

String ShortenWrappedText(const String& text, int maxHeight, int lineHeight,
                          const std::function<int(const String&)>& measureHeight)
{
    static const String kDots = L"...";
    String t = text;
    auto tooTall = [&](int h) { return h > maxHeight && h > lineHeight; };
    int h = measureHeight(t + kDots);
    if (!tooTall(h)) return t;
    while (!t.empty() && tooTall(h)) {
        // Back to the last blank or tab, dropping it; a text without one loses its last character.
        const size_t gap = t.find_last_of(L" \t");
        size_t keep = gap == String::npos ? t.size() - 1 : gap;
        // A character outside the basic plane goes whole, never half of it.
        if (keep > 0 && t[keep - 1] >= 0xD800 && t[keep - 1] <= 0xDBFF) --keep;
        t.resize(keep);
        h = measureHeight(t + kDots);
    }
    return t + kDots;
}
