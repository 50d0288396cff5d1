#include "skin/engine/core/mask_notation.h"

#include <algorithm>
#include <vector>

namespace {

// The parts after each separator (the first character of v); word k is words[k - 1].
std::vector<String> Words(const String& v)
{
    std::vector<String> w;
    if (v.empty()) return w;
    wchar_t sep = v[0];
    size_t start = 1;
    while (true) {
        size_t next = v.find(sep, start);
        if (next == String::npos) {
            w.push_back(v.substr(start));
            break;
        }
        w.push_back(v.substr(start, next - start));
        start = next + 1;
    }
    return w;
}

String Word(const std::vector<String>& w, size_t k)
{
    return k >= 1 && k <= w.size() ? w[k - 1] : String();
}

String Pad(const String& s, size_t width)
{
    return s.size() >= width ? s : String(width - s.size(), L'0') + s;
}

String Zeros(size_t n) { return String(n, L'0'); }

int NumberAt(const String& v, size_t pos1, size_t count)
{
    int value = 0;
    String part = pos1 - 1 < v.size() ? v.substr(pos1 - 1, count) : String();
    if (!TryStrToInt(part, value))
        throw ESkinImageError(L"\"" + part + L"\" at position " + IntToStr(int64_t(pos1)) + L" of \"" + v +
                              L"\" is not a number");
    return value;
}

String Number4(int v) { return Pad(IntToStr(std::max(0, v)), 4); }

}  // namespace

bool IsMaskValue(const String& v)
{
    if (v.empty()) return false;
    switch (v[0]) {
    case L'!': case L'&': case L'@': case L'^': case L'~': return true;
    default: break;
    }
    return v.find(L".JPG") != String::npos || v.find(L".BMP") != String::npos;
}

String NormalizeMaskValue(const String& v)
{
    if (v.empty()) return String();
    wchar_t first = v[0];
    if (first == L'&') return v;
    std::vector<String> w = Words(v);
    if (v.size() <= 3) {
        wchar_t kind = L'1';
        String file;
        switch (first) {
        case L'^': kind = L'0'; break;
        case L'~': kind = L'1'; break;
        case L'@': kind = L'2'; break;
        case L'!': kind = static_cast<wchar_t>(L'0' + std::clamp(StrToIntDef(Word(w, 4), 0), 0, 4)); file = Word(w, 1); break;
        default: file = v; break;
        }
        return L"&" + Zeros(32) + L"30" + kind + L"01" + Zeros(6) + file;
    }
    switch (first) {
    case L'^': {
        String widths = Word(w, 5) + Word(w, 6) + Word(w, 7) + Word(w, 8);
        if (v.size() > 47 && Word(w, 5) == L"0000" && Word(w, 6) == L"0000" && Word(w, 7) == L"0000" &&
            Word(w, 8) == L"0000") {
            String given = Pad(Word(w, 12), 4);
            if (given != L"0000") {
                widths = given + given + given + given;
            } else {
                int left = NumberAt(v, 2, 4), top = NumberAt(v, 7, 4), right = NumberAt(v, 12, 4), bottom = NumberAt(v, 17, 4);
                int frames = StrToIntDef(Word(w, 9), 1);
                int parts = StrToIntDef(Word(w, 10), 0) + 1;
                // A frame count of 0 (or a mask count below 0) would divide by zero: one frame, one part.
                if (frames <= 0) frames = 1;
                if (parts <= 0) parts = 1;
                int lr = std::max(0, ((right - left) / frames - 1) / 2);
                int tb = std::max(0, ((bottom - top) / parts - 1) / 2);
                widths = Number4(lr) + Number4(tb) + Number4(lr) + Number4(tb);
            }
        }
        return L"&" + Word(w, 1) + Word(w, 2) + Word(w, 3) + Word(w, 4) + widths + Word(w, 9) + Word(w, 10) + L"0" +
               Pad(Word(w, 11), 2) + Zeros(6);
    }
    case L'~': {
        String mask = v.size() >= 25 ? String(1, v[24]) : String(L"0");
        String r = L"&" + Word(w, 1) + Word(w, 2) + Word(w, 3) + Word(w, 4) + Zeros(16) + L"1" + mask + L"1" +
                   Pad(Word(w, 5), 2) + Zeros(6);
        if (w.size() > 6) r += Word(w, 7);
        return r;
    }
    case L'@':
        return L"&" + Word(w, 1) + Word(w, 2) + Word(w, 3) + Word(w, 4) + Zeros(16) + Word(w, 5) + Word(w, 6) + L"2" +
               Zeros(8);
    case L'!': {
        // A kind that is not a number, or is negative, counts as a border.
        int k = std::clamp(StrToIntDef(Word(w, 4), 0), 0, 4);
        String file = Word(w, 1);
        String tail = Pad(Word(w, 9), 2) + Zeros(6) + file;
        String frames = Word(w, 2) + Word(w, 3);
        String rect = Word(w, 5) + Word(w, 6) + Word(w, 7) + Word(w, 8);
        switch (k) {
        case 0: return L"&" + Zeros(16) + rect + frames + L"0" + tail;
        case 1: return L"&" + Zeros(32) + frames + L"1" + tail;
        case 3:
            if (w.size() < 5) return L"&" + Zeros(32) + L"10" + L"3" + L"00" + Zeros(6) + file;
            return L"&" + Zeros(16) + rect + frames + L"3" + tail;
        default:
            if (w.size() < 5) return L"&" + Zeros(32) + frames + IntToStr(k) + tail;
            return L"&" + rect + Zeros(16) + frames + IntToStr(k) + tail;
        }
    }
    default:
        return L"&" + Zeros(32) + L"10" + L"1" + L"00" + Zeros(6) + v;
    }
}

TacMaskDefinition ParseCanonicalMask(const String& d)
{
    TacMaskDefinition m;
    m.R = TRect(NumberAt(d, 2, 4), NumberAt(d, 6, 4), NumberAt(d, 10, 4), NumberAt(d, 14, 4));
    m.WL = NumberAt(d, 18, 4);
    m.WT = NumberAt(d, 22, 4);
    m.WR = NumberAt(d, 26, 4);
    m.WB = NumberAt(d, 30, 4);
    m.ImageCount = NumberAt(d, 34, 1);
    m.MaskType = NumberAt(d, 35, 1);
    m.ImgType = static_cast<TacImgType>(std::clamp(NumberAt(d, 36, 1), 0, 4));
    m.DrawMode = NumberAt(d, 37, 2);
    m.FileName = d.size() > 44 ? d.substr(44) : String();
    return m;
}
