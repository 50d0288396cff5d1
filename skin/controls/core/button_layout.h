// A skinned push button's rules as plain numbers: which visual state it shows, where its image
// and caption go, which section state a state is drawn with, where the focus frame lies and
// which colours a modal-result button takes. No windows.h here.
#pragma once

#include "vcl/types.h"

// The button's visual states: the section's normal, hot and pressed looks, and the look of the
// Default button at rest.
enum TacButtonState : int { bstNormal = 0, bstHot = 1, bstPressed = 2, bstDefault = 3 };

struct TacButtonStateInput {
    bool Pushed = false;          // the window reports itself pushed (or the forced pressed flash is on)
    bool MouseAbove = false;      // the mouse is over the button
    bool LeftDownOnIt = false;    // a left press started on this button and is still held
    bool NoMouseHover = false;    // the manager shows no hover looks
    bool Down = false;            // latched pressed look
    bool DroppedDown = false;     // the split part's menu is open
    bool Designing = false;
    int LinkState = 0;            // the link's own state: 0 at rest, else hot or focused
    bool Default = false;
};

// Pressed while pushed with the mouse above it, or pushed by the keyboard (no left press held),
// or whenever hover is off; also while latched Down or while its menu is open. At rest the
// Default button shows its own look.
int ButtonCurrentState(const TacButtonStateInput& in);

// The section state a visual state is drawn with: the Default look is the hot one unless the
// section has a fourth state; others clamped to the states the section has.
int ButtonSectionState(int state, int sectionStates);

// The images of a push button's looks; -1 where a look has none of its own.
struct TacButtonImageIndexes {
    int Normal = -1;     // ImageIndex
    int Hot = -1;
    int Pressed = -1;
    int Selected = -1;   // focused, or the Default button at rest
    int Disabled = -1;
};

// The image the button shows: the disabled one while disabled, the pressed one while pressed,
// the selected one while focused, else the one of the state (normal, hot, the Default look's
// selected one). An index outside the list (count images) falls back to the normal one.
int ButtonGlyphIndex(const TacButtonImageIndexes& ix, int count, bool enabled, bool focused, int state);

// The command link's caption and hint take the room right of its image box and the gap.
constexpr int CommandLinkTextRight(int width, int contentMargin, int boxWidth, int gap)
{
    return width - 3 * contentMargin - boxWidth - gap;
}

enum TacButtonImageAlign : int { biaLeft, biaRight, biaTop, biaBottom, biaCenter };
enum TacButtonKind : int { bkPush, bkCommandLink, bkSplit };

struct TacButtonLayoutInput {
    int Width = 0, Height = 0;       // the button's size
    TacButtonKind Kind = bkPush;
    int SplitWidth = 0;              // the drop-down part of a split button
    bool HasGlyph = false;           // a valid image, or the shield
    int GlyphWidth = 0, GlyphHeight = 0;
    TacButtonImageAlign Alignment = biaLeft;
    TRect ImageMargins;              // left, top, right, bottom room around the image
    int ContentMargin = 6;
    int TextWidth = 0, TextHeight = 0;
    int CommandLinkBoxWidth = 0;     // command link: the image box with its margins
    int CommandLinkGap = 6;
    bool ShiftContent = false;       // pressed, and the section moves its content on a click
};

struct TacButtonLayout {
    TRect Glyph;     // empty (0, 0, 0, 0) without a glyph
    TRect Caption;
};

TacButtonLayout CalcButtonLayout(const TacButtonLayoutInput& in);

// The width of the drop-down part of a split button at a PPI.
constexpr int ButtonSplitWidth(int ppi) { return 16 * ppi / 96; }

// The focus frame around the caption: margin + 1 wider on each side, margin taller, and kept
// 3 pixels inside the button's top and bottom.
TRect ButtonFocusRect(const TRect& caption, int focusMargin, int height);

// The colours a button takes by its modal result; 0x1FFFFFFF = not set. The set ones are named
// palette colours (high byte 0xFF): the caller resolves them through the skin's palette.
struct TacColoring {
    TColor ColorToneBG = clNone;
    TColor ColorGlyph = clNone;
    TColor ColorText = clNone;
};

enum TacButtonColoringFlag : unsigned { bcfBackground = 1, bcfGlyph = 2, bcfText = 4 };

struct TacColoringInput {
    int ModalResult = 0;          // the button's result: 1 Ok, 2 Cancel, 6 Yes, 7 No are coloured
    int State = 0;                // the button's visual state
    bool HasManager = false;
    bool Skinned = false;
    unsigned Coloring = bcfGlyph; // the manager's choice of what is coloured
    TColor LinkColorTone = clNone;  // the control's own tone, which wins over everything
};

// Modal result codes as the platform numbers them.
constexpr int acResultOk = 1, acResultCancel = 2, acResultYes = 6, acResultNo = 7;

TacColoring ButtonColoring(const TacColoringInput& in);
