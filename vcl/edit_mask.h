// The rules of an edit mask as plain logic: what may be typed at each position of a masked edit,
// which positions are fixed literals, when the text is complete and which text the edit gives
// back. No windows.h, so the rules also build natively with the sanitizers.
//
// A mask has up to three fields separated by ';':
//   the positions; "1" (default) or "0": whether the literals are part of the text given back;
//   the character shown for a blank position (default '_').
// Position characters:
//   L letter, A letter or digit, C any character, 0 digit, # digit or sign: required;
//   l, a, c, 9: the optional forms of L, A, C, 0 (a blank there is allowed);
//   > the following letters upper case, < lower case, <> as typed; \ the next character is a
//   literal; ! blanks of optional positions are dropped from the front rather than the end;
//   any other character is a literal shown as it is.
#pragma once

#include <vector>

#include "vcl/sysutils.h"

class TacEditMask {
public:
    TacEditMask() = default;
    explicit TacEditMask(StringView mask) { Assign(mask); }
    void Assign(StringView mask);

    // A mask with at least one position.
    bool Active() const { return !FSlots.empty(); }
    int Length() const { return int(FSlots.size()); }
    wchar_t BlankChar() const { return FBlank; }
    bool SaveLiterals() const { return FSaveLiterals; }

    bool IsLiteral(int pos) const;
    // Whether c may stand at pos; c takes the case the mask asks for there.
    bool CharFits(int pos, wchar_t& c) const;
    // The first position at or after pos (before pos when backwards) that is typed into, or -1.
    int NextInput(int pos) const;
    int PrevInput(int pos) const;

    // The edit text of an empty edit: literals in place, blanks elsewhere.
    String EmptyEditText() const;
    // text (as given back, with or without literals) laid into the mask: characters that do not
    // fit are dropped.
    String EditTextFromText(StringView text) const;
    // The text given back for an edit text: without the literals unless they are saved, blanks
    // of optional positions dropped.
    String TextFromEditText(StringView editText) const;
    // False when a required position holds a blank (or the edit text is short); badPos is then
    // that position.
    bool Complete(StringView editText, int* badPos = nullptr) const;

private:
    enum class TKind { Literal, Letter, AlphaNum, Any, Digit, DigitOrSign };
    enum class TCase { AsTyped, Upper, Lower };
    struct TSlot {
        TKind Kind = TKind::Literal;
        bool Required = false;
        TCase Case = TCase::AsTyped;
        wchar_t Literal = 0;
    };
    std::vector<TSlot> FSlots;
    bool FSaveLiterals = true;
    bool FLeadingBlanksDropped = false;
    wchar_t FBlank = L'_';
};
