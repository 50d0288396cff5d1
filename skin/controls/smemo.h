// Skinned memo (the log view): the native memo keeps painting its text, in the colours of its
// skin section ("EDIT") for its state, and it tells when it scrolls. Ctrl+A selects all, skinned
// or not. Its frame and scroll bars stay standard.
#pragma once

#include "skin/controls/bound_label_owner.h"
#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsMemo : public TacBoundLabelOwner<TacSkinFrame<TMemo>> {
public:
    explicit TsMemo(TComponent* owner);

    void AfterConstruction() override;

    // Fired after the memo scrolled vertically (WM_VSCROLL), while skinned.
    TNotifyEvent OnVScroll;
    // Fired after the memo scrolled its caret into view (EM_SCROLLCARET), while skinned.
    TNotifyEvent OnScrollCaret;

protected:
    void Loaded() override;
    void WndProc(TMessage& m) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    int DefaultSectionIndex() override;

private:
    void MemoWndProc(TMessage& m);
    bool DrawnFromSkin();
    // The section's background and text colours of the present state become the memo's (unless
    // it keeps its own).
    void ApplySectionColors();
};
