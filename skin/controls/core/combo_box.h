// The skinned combo box's rules as plain logic: where its drop-down button and its text lie,
// which state its face, its button and its items are drawn in, and where an item's colours come
// from. The input a read-only combo swallows is in combo_edit.h. No windows.h.
#pragma once

#include "vcl/types.h"

// Style of the combo box as its rules need it (the platform's order).
enum class TacComboKind { DropDown, Simple, DropDownList, OwnerDrawFixed, OwnerDrawVariable };

// A list-only combo with no section of its own, or one that is not skinned, is drawn as one
// button-like face without an edit field.
constexpr bool ComboNoEditFace(TacComboKind kind, bool sectionEmpty, bool skinned)
{
    return (kind == TacComboKind::DropDownList || kind == TacComboKind::OwnerDrawFixed ||
            kind == TacComboKind::OwnerDrawVariable) &&
           (sectionEmpty || !skinned);
}

struct TacComboGeometry {
    int Width = 0, Height = 0;
    int ScrollBarWidth = 17;   // the system's vertical scroll bar at the control's PPI
    int Margin = 2;            // the skin's ComboBoxMargin
    bool ShowButton = true;
    bool Simple = false;       // csSimple has no button
    bool RightToLeft = false;

    // The drop-down button: one scroll bar less a pixel wide, inside the margin, at the right
    // (at the left right-to-left). Zero wide without a button.
    TRect ButtonRect() const;
    // Where the selected text is drawn: between the face's 3-pixel border and the button with a
    // 2-pixel gap; cacheHeight is the height of the drawn face.
    TRect TextRect(int cacheHeight) const;
};

// The face's state: 0 normal, 1 hot, 2 dropped down, 3 focused (only a "COMBONOEDIT" section
// with more than 3 states has it).
struct TacComboFaceInput {
    bool Designing = false;
    bool Focused = false;
    bool SectionIsComboNoEdit = false;
    int SectionStates = 3;
    bool DroppedDown = false;
    bool NoEditFace = true;
    int CurrentState = 0;   // the link's: 1 when focused or hovered
    bool MouseAbove = false;
    int HotPart = 0;        // 0 none, 1 the edit part, 2 the button (an edit-style combo's hover)
};
int ComboFaceState(const TacComboFaceInput& in);
// The drop-down button's state: 0 normal, 1 hot, 2 dropped down.
int ComboButtonState(const TacComboFaceInput& in);
// The state a list or face item is drawn in: 1 for the face when hot or focused, else 0.
int ComboItemState(const TacComboFaceInput& in, bool editFace);

// Where an item takes its colours from.
enum class TacItemColors {
    Selection,       // the skin's "SELECTION" section (its pressed state's colours)
    Highlight,       // the palette's focused selection colours (the skin has no "SELECTION")
    CustomColor,     // the control's own colour (it keeps it under a skin)
    SectionColor,    // the combo's section in the item's state (the edit face)
    EditColors,      // the palette's edit background and text (a list item)
};
struct TacItemColorInput {
    bool Selected = false;
    bool NoEditItem = false;    // the face of a combo drawn without an edit field
    bool EditFace = false;
    bool HasSelectionSection = false;
    bool CustomColor = false;
};
TacItemColors ComboItemBackground(const TacItemColorInput& in);
// The text's colour source: a selected item takes the background's choice; else the control's
// own font colour when it keeps it, the edit text for a list item, the section's for the face.
enum class TacItemFont { Selection, Highlight, CustomFont, EditText, SectionFont };
TacItemFont ComboItemFont(const TacItemColorInput& in, bool customFont);
