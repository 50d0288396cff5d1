#include "support/aatext/aa_markup.h"

#include <algorithm>

const wchar_t* const AABreakChars = L"\t !,-.:;?";

String AsciiUpperCase(StringView s)
{
    String r(s);
    for (wchar_t& c : r)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - (L'a' - L'A'));
    return r;
}

int ExtractTag(String& text, StringView name)
{
    String tag = L"<" + AsciiUpperCase(name) + L">";
    size_t p = AsciiUpperCase(text).find(tag);
    if (p == String::npos) return -1;
    text.erase(p, tag.size());
    return static_cast<int>(p);
}

namespace {

bool IsLead(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsQuote(wchar_t c)
{
    return c == L'"' || c == L'\'';
}

bool SameTextAt(StringView line, size_t pos0, StringView s)
{
    if (pos0 + s.size() > line.size()) return false;
    return AsciiUpperCase(line.substr(pos0, s.size())) == AsciiUpperCase(s);
}

}  // namespace

String WrapText(StringView line, StringView breakStr, StringView breakChars, int limit)
{
    // Positions count from 1 as in the rule this follows; line[pos - 1] is the character.
    if (limit < 2) limit = 2;
    const int len = static_cast<int>(line.size());
    auto isBreakChar = [&](wchar_t c) { return breakChars.find(c) != StringView::npos; };
    int pos = 1, col = 1, lineStart = 1, breakPos = 0;
    wchar_t quote = 0;
    bool existingBreak = false, forcedBreak = false;
    String result;
    while (pos <= len) {
        const wchar_t ch = line[static_cast<size_t>(pos - 1)];
        if (IsLead(ch)) {
            if (col >= limit) {
                forcedBreak = true;
                breakPos = pos - 1;
            }
            ++pos;   // the pair stays together
            ++col;
        } else if (!breakStr.empty() && ch == breakStr[0]) {
            if (quote == 0) {
                existingBreak = SameTextAt(line, static_cast<size_t>(pos - 1), breakStr);
                if (existingBreak) {
                    pos += static_cast<int>(breakStr.size()) - 1;
                    breakPos = pos;
                }
            }
        } else if (isBreakChar(ch)) {
            if (quote == 0) breakPos = pos;
        } else if (IsQuote(ch)) {
            if (ch == quote) quote = 0;
            else if (quote == 0) quote = ch;
        }
        ++pos;
        ++col;
        if (forcedBreak || (quote == 0 && (existingBreak || (col > limit && breakPos > lineStart)))) {
            col = pos - breakPos;
            if (breakPos >= lineStart)
                result.append(line.substr(static_cast<size_t>(lineStart - 1), static_cast<size_t>(breakPos - lineStart + 1)));
            if (!IsQuote(ch)) {
                while (pos <= len) {
                    wchar_t c = line[static_cast<size_t>(pos - 1)];
                    if (!isBreakChar(c) && c != L'\r' && c != L'\n') break;
                    ++pos;
                }
            }
            if (!existingBreak && pos < len) result.append(breakStr);
            ++breakPos;
            lineStart = breakPos;
            existingBreak = false;
            forcedBreak = false;
        }
    }
    if (lineStart <= len) result.append(line.substr(static_cast<size_t>(lineStart - 1)));
    return result;
}
