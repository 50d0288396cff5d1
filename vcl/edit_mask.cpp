#include "vcl/edit_mask.h"

#include <cwctype>

namespace {

bool IsLetter(wchar_t c) { return std::iswalpha(wint_t(c)) != 0; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

void TacEditMask::Assign(StringView mask)
{
    FSlots.clear();
    FSaveLiterals = true;
    FLeadingBlanksDropped = false;
    FBlank = L'_';
    // The fields are split at the last two unescaped ';'.
    std::vector<size_t> splits;
    for (size_t i = 0; i < mask.size(); ++i) {
        if (mask[i] == L'\\') {
            ++i;
            continue;
        }
        if (mask[i] == L';') splits.push_back(i);
    }
    StringView positions = mask;
    if (splits.size() >= 2) {
        const size_t a = splits[splits.size() - 2], b = splits.back();
        positions = mask.substr(0, a);
        const StringView save = mask.substr(a + 1, b - a - 1);
        FSaveLiterals = !(save.size() == 1 && save[0] == L'0');
        if (b + 1 < mask.size()) FBlank = mask[b + 1];
    } else if (splits.size() == 1) {
        positions = mask.substr(0, splits[0]);
        const StringView save = mask.substr(splits[0] + 1);
        FSaveLiterals = !(save.size() == 1 && save[0] == L'0');
    }
    TCase c = TCase::AsTyped;
    for (size_t i = 0; i < positions.size(); ++i) {
        const wchar_t ch = positions[i];
        TSlot s;
        switch (ch) {
        case L'!': FLeadingBlanksDropped = true; continue;
        case L'>': c = TCase::Upper; continue;
        case L'<':
            if (i + 1 < positions.size() && positions[i + 1] == L'>') {
                c = TCase::AsTyped;
                ++i;
            } else {
                c = TCase::Lower;
            }
            continue;
        case L'\\':
            if (i + 1 >= positions.size()) continue;
            s.Literal = positions[++i];
            break;
        case L'L': s.Kind = TKind::Letter; s.Required = true; break;
        case L'l': s.Kind = TKind::Letter; break;
        case L'A': s.Kind = TKind::AlphaNum; s.Required = true; break;
        case L'a': s.Kind = TKind::AlphaNum; break;
        case L'C': s.Kind = TKind::Any; s.Required = true; break;
        case L'c': s.Kind = TKind::Any; break;
        case L'0': s.Kind = TKind::Digit; s.Required = true; break;
        case L'9': s.Kind = TKind::Digit; break;
        case L'#': s.Kind = TKind::DigitOrSign; break;
        default: s.Literal = ch; break;
        }
        s.Case = c;
        FSlots.push_back(s);
    }
}

bool TacEditMask::IsLiteral(int pos) const
{
    return pos >= 0 && pos < Length() && FSlots[size_t(pos)].Kind == TKind::Literal;
}

bool TacEditMask::CharFits(int pos, wchar_t& c) const
{
    if (pos < 0 || pos >= Length()) return false;
    const TSlot& s = FSlots[size_t(pos)];
    bool fits = false;
    switch (s.Kind) {
    case TKind::Literal: return false;
    case TKind::Letter: fits = IsLetter(c); break;
    case TKind::AlphaNum: fits = IsLetter(c) || IsDigit(c); break;
    case TKind::Any: fits = c >= 32; break;
    case TKind::Digit: fits = IsDigit(c); break;
    case TKind::DigitOrSign: fits = IsDigit(c) || c == L'+' || c == L'-'; break;
    }
    if (!fits) return false;
    if (s.Case == TCase::Upper) c = wchar_t(std::towupper(wint_t(c)));
    else if (s.Case == TCase::Lower) c = wchar_t(std::towlower(wint_t(c)));
    return true;
}

int TacEditMask::NextInput(int pos) const
{
    for (int i = pos < 0 ? 0 : pos; i < Length(); ++i)
        if (!IsLiteral(i)) return i;
    return -1;
}

int TacEditMask::PrevInput(int pos) const
{
    for (int i = pos >= Length() ? Length() - 1 : pos; i >= 0; --i)
        if (!IsLiteral(i)) return i;
    return -1;
}

String TacEditMask::EmptyEditText() const
{
    String s;
    s.reserve(FSlots.size());
    for (const TSlot& slot : FSlots) s += slot.Kind == TKind::Literal ? slot.Literal : FBlank;
    return s;
}

String TacEditMask::EditTextFromText(StringView text) const
{
    String out = EmptyEditText();
    // A text given back with its literals lines up position by position; one without them
    // fills the input positions in turn.
    const bool withLiterals = FSaveLiterals && int(text.size()) == Length();
    size_t t = 0;
    for (int i = 0; i < Length() && t < text.size(); ++i) {
        if (IsLiteral(i)) {
            if (withLiterals) ++t;
            continue;
        }
        wchar_t c = text[t++];
        if (c == L' ' || c == FBlank) continue;
        if (CharFits(i, c)) out[size_t(i)] = c;
    }
    return out;
}

String TacEditMask::TextFromEditText(StringView editText) const
{
    String out;
    for (int i = 0; i < Length(); ++i) {
        const wchar_t c = i < int(editText.size()) ? editText[size_t(i)] : FBlank;
        if (IsLiteral(i)) {
            if (FSaveLiterals) out += FSlots[size_t(i)].Literal;
            continue;
        }
        out += c == FBlank ? L' ' : c;
    }
    if (FSaveLiterals) return out;
    // Blanks of optional positions go from the end (or the front with '!').
    if (FLeadingBlanksDropped) {
        const size_t first = out.find_first_not_of(L' ');
        return first == String::npos ? String() : out.substr(first);
    }
    const size_t last = out.find_last_not_of(L' ');
    return last == String::npos ? String() : out.substr(0, last + 1);
}

bool TacEditMask::Complete(StringView editText, int* badPos) const
{
    for (int i = 0; i < Length(); ++i) {
        const TSlot& s = FSlots[size_t(i)];
        if (s.Kind == TKind::Literal || !s.Required) continue;
        const wchar_t c = i < int(editText.size()) ? editText[size_t(i)] : FBlank;
        if (c == FBlank || c == L' ') {
            if (badPos) *badPos = i;
            return false;
        }
    }
    return true;
}
