#include "vcl/mask.h"

#include <algorithm>

void TCustomMaskEdit::SetEditMask(const String& mask)
{
    if (mask == FEditMask) return;
    const String text = GetText();
    FEditMask = mask;
    FMask.Assign(mask);
    // The text is laid into the new mask (or given back as it is without one).
    if (FMask.Active())
        TCustomEdit::SetTextCore(FMask.EditTextFromText(text));
    else
        TCustomEdit::SetTextCore(text);
}

String TCustomMaskEdit::EditText() const
{
    return TCustomEdit::GetText();
}

void TCustomMaskEdit::SetEditText(const String& s)
{
    TCustomEdit::SetTextCore(FMask.Active() ? FMask.EditTextFromText(s) : s);
}

String TCustomMaskEdit::GetText() const
{
    const String shown = TCustomEdit::GetText();
    return FMask.Active() ? FMask.TextFromEditText(shown) : shown;
}

void TCustomMaskEdit::SetTextCore(const String& s)
{
    TCustomEdit::SetTextCore(FMask.Active() ? FMask.EditTextFromText(s) : s);
}

void TCustomMaskEdit::CreateWnd()
{
    TCustomEdit::CreateWnd();
    if (FMask.Active() && TCustomEdit::GetText().empty()) TCustomEdit::SetTextCore(FMask.EmptyEditText());
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!FMask.Active()) return;
    int bad = 0;
    if (FMask.Complete(EditText(), &bad)) return;
    if (HandleAllocated()) {
        SetSelStart(bad);
        SetSelLength(0);
    }
    throw EDBEditError(L"Invalid input value: fill in every required position, or press Escape to abandon the changes.");
}

void TCustomMaskEdit::DoExit()
{
    if (FMask.Active() && !HasState(csDesigning)) {
        try {
            ValidateEdit();
        } catch (...) {
            // The user stays in the edit to mend it.
            if (CanFocus()) SetFocus();
            throw;
        }
    }
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::ReplaceShown(int from, int to, const String& s)
{
    HWND h = ExistingHandle();
    if (!h) {
        String shown = TCustomEdit::GetText();
        from = std::clamp(from, 0, int(shown.size()));
        to = std::clamp(to, from, int(shown.size()));
        shown.replace(size_t(from), size_t(to - from), s);
        TCustomEdit::SetTextCore(shown);
        return;
    }
    SendMessageW(h, EM_SETSEL, WPARAM(from), LPARAM(to));
    SendMessageW(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomMaskEdit::BlankRange(int from, int to)
{
    const String shown = EditText();
    to = std::min(to, int(shown.size()));
    if (from >= to) return;
    String part = shown.substr(size_t(from), size_t(to - from));
    for (int i = from; i < to; ++i)
        if (!FMask.IsLiteral(i)) part[size_t(i - from)] = FMask.BlankChar();
    ReplaceShown(from, to, part);
    SetSelStart(from);
    SetSelLength(0);
}

void TCustomMaskEdit::PutChar(int pos, wchar_t c)
{
    ReplaceShown(pos, pos + 1, String(1, c));
    const int next = FMask.NextInput(pos + 1);
    SetSelStart(next < 0 ? pos + 1 : next);
    SetSelLength(0);
}

void TCustomMaskEdit::PasteText(const String& text)
{
    int pos = SelStart();
    if (SelLength() > 0) BlankRange(pos, pos + SelLength());
    for (wchar_t c : text) {
        if (pos >= FMask.Length()) break;
        if (FMask.IsLiteral(pos) && EditText().substr(size_t(pos), 1) == String(1, c)) {
            ++pos;   // a literal pasted along with the text
            continue;
        }
        const int at = FMask.NextInput(pos);
        if (at < 0) break;
        wchar_t fit = c;
        if (!FMask.CharFits(at, fit)) continue;
        PutChar(at, fit);
        pos = at + 1;
    }
}

void TCustomMaskEdit::KeyDown(WORD& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    if (!FMask.Active() || key != VK_DELETE || ReadOnly()) return;
    // Delete blanks the selection, or the position at the caret; the text never shifts.
    const int start = SelStart(), length = SelLength();
    BlankRange(start, start + std::max(length, 1));
    key = 0;
}

void TCustomMaskEdit::KeyPress(wchar_t& key)
{
    TCustomEdit::KeyPress(key);
    if (!FMask.Active() || key == 0 || ReadOnly()) return;
    if (key == 8) {
        const int start = SelStart(), length = SelLength();
        if (length > 0) {
            BlankRange(start, start + length);
        } else if (const int prev = FMask.PrevInput(start - 1); prev >= 0) {
            BlankRange(prev, prev + 1);
        }
        key = 0;
        return;
    }
    if (key < 32) return;   // Ctrl+C, Ctrl+V, Escape ... go on to the edit
    const int start = SelStart(), length = SelLength();
    const int at = FMask.NextInput(start);
    wchar_t c = key;
    key = 0;
    if (at < 0 || !FMask.CharFits(at, c)) {
        MessageBeep(0);
        return;
    }
    if (length > 1) BlankRange(start, start + length);
    PutChar(at, c);
}

void TCustomMaskEdit::Dispatch(TMessage& m)
{
    if (!FMask.Active() || ReadOnly()) {
        TCustomEdit::Dispatch(m);
        return;
    }
    switch (m.Msg) {
    case WM_PASTE: {
        String text;
        if (OpenClipboard(ExistingHandle())) {
            if (HANDLE g = GetClipboardData(CF_UNICODETEXT)) {
                if (auto* p = static_cast<const wchar_t*>(GlobalLock(g))) {
                    text = p;
                    GlobalUnlock(g);
                }
            }
            CloseClipboard();
        }
        PasteText(text);
        m.Result = 0;
        return;
    }
    case WM_CUT: {
        // Copied as shown, then the cut positions are blanked.
        const int start = SelStart(), length = SelLength();
        if (HWND h = ExistingHandle()) SendMessageW(h, WM_COPY, 0, 0);
        BlankRange(start, start + length);
        m.Result = 0;
        return;
    }
    case WM_CLEAR: {
        const int start = SelStart(), length = SelLength();
        BlankRange(start, start + length);
        m.Result = 0;
        return;
    }
    default: break;
    }
    TCustomEdit::Dispatch(m);
}
