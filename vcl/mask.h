// The masked edit: an edit whose EditMask fixes what may be typed at each position (see
// vcl/edit_mask.h). Literals stand in place, blank positions show the mask's blank character,
// and a typed character that does not fit its position is refused with a beep. Leaving the edit
// checks that every required position is filled (ValidateEdit).
#pragma once

#include "vcl/edit_mask.h"
#include "vcl/stdctrls.h"

// A masked edit left incomplete.
QW_DECLARE_EXCEPTION(EDBEditError, Exception);

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& mask);
    bool IsMasked() const { return FMask.Active(); }
    // The text as the edit shows it: literals and blanks included (Text without a mask).
    String EditText() const;
    void SetEditText(const String& s);
    // Raises EDBEditError when a required position is blank (the caret is put there).
    virtual void ValidateEdit();

protected:
    String GetText() const override;
    void SetTextCore(const String& s) override;
    void CreateWnd() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    void DoExit() override;
    void Dispatch(TMessage& m) override;

    String FEditMask;

private:
    // Blanks the input positions in [from, to) of the shown text.
    void BlankRange(int from, int to);
    // Puts c at pos (a fitting input position) and the caret after it.
    void PutChar(int pos, wchar_t c);
    void PasteText(const String& text);
    void ReplaceShown(int from, int to, const String& s);

    TacEditMask FMask;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
