// Skinned combo box. A list-only combo box (the program's are all csDropDownList) is drawn from
// its skin as one button-like face: "COMBONOEDIT" ("BUTTON" in a skin without it) in its normal,
// hot (faded in on hover), dropped-down or disabled look, the selected text in the section's
// colours and a drop-down arrow; its list's items are owner-drawn in "SELECTION" colours (the
// palette's highlight without it) while the list's frame and scroll bars stay the system's.
// Owner-drawing is a window style, so the window is made again, with its items and selection,
// when a skin comes or goes. Without an active skin it is the standard combo box. The drop-down
// style with an edit field is drawn from "COMBOBOX" with a button face of its own ("COMBOBTN"),
// its edit child in the section's colours; its list and csSimple stay standard for now.
#pragma once

#include <functional>

#include "skin/controls/core/combo_box.h"
#include "skin/controls/core/combo_edit.h"
#include "skin/controls/bound_label_owner.h"
#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

// What an item is drawn with; the handler may change the font (colour, style) per item.
struct TacItemDrawData {
    TFont* Font = nullptr;
    int ItemIndex = -1;
    TOwnerDrawState State = 0;
};
using TacGetItemDrawData = std::function<void(TObject* sender, TacItemDrawData& data)>;

class TsComboBox : public TacBoundLabelOwner<TacSkinFrame<TComboBox>> {
public:
    explicit TsComboBox(TComponent* owner);
    ~TsComboBox() override;

    // A read-only combo box, or one that may not drop down, takes no keys that would change its
    // selection or open its list.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on) { FReadOnly = on; }
    bool AllowDropDown = true;
    bool AllowMouseWheel() const { return FAllowMouseWheel; }
    void SetAllowMouseWheel(bool on) { FAllowMouseWheel = on; }
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool on);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    // Draw the system's focus rectangle on the focused item (when no "SELECTION" is in use).
    bool ShowFocus = true;
    TacGetItemDrawData OnGetItemDrawData;

    // 0 normal, 1 the pointer is over the button, 2 dropped down.
    int State = 0;
    // The list is open (or was asked to open).
    bool IsDroppedDown() const { return FDropDown; }
    // Drawn as one face without an edit field (list-only styles with no section of their own).
    bool NoEditFace();
    TRect ButtonRect();
    // Used instead of dropping the list when AllowDropDown is off: takes the focus and tells
    // OnDropDown, the face pressed meanwhile (nothing drops).
    void DoDropDown();
    // The first item whose text is exactly S (case-sensitive), -1 when none.
    int IndexOf(const String& s) const;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& m) override;
    void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
    void CNMeasureItem(TMessage& m) override;
    void AdjustDropDown() override;
    void CloseUp() override;
    int DefaultSectionIndex() override;
    void PaintContent(TBitmap* cache, int state) override;

private:
    TacComboFaceInput FaceInput();
    TacComboGeometry Geometry();
    bool SkinnedNow();
    bool WantsOwnerDraw();
    bool HasOwnerDrawStyle() const;
    void ChangeState(int n);
    void PaintButton(TBitmap* cache, const TRect& r);
    void DrawFace(TBitmap* cache);
    void DrawListItem(int index, const TRect& rect, TOwnerDrawState state);
    void HandleSkinChange(TMessage& m);
    // The drop-down style with an edit field, drawn from its skin now.
    bool SkinnedEditStyle();
    // The edit child's colours: the section's of the present state.
    void AnswerEditColor(TMessage& m);
    // The pointer over the button (State 1) or elsewhere: the button's face follows.
    void TrackButtonHover(bool overButton);

    bool FReadOnly = false;
    bool FAllowMouseWheel = true;
    bool FShowButton = true;
    TAlignment FAlignment = taLeftJustify;
    bool FDropDown = false;
    bool FComposing = false;
    TacDropDownHold FDropDownHold;
    HBRUSH FEditBrush = nullptr;
    TColor FEditBrushColor = clNone;

protected:
    void ComboWndProc(TMessage& m, HWND wnd) override;
};
