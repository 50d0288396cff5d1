// Where an edit's caption label goes: one of twelve places around the edit, its text alignment
// there, the mirror image for right-to-left edits and the largest width at another PPI. Plain
// geometry on rectangles in the edit's parent (no windows.h).
#pragma once

#include "vcl/types.h"

enum TsCaptionLayout {
    sclLeft,
    sclTopLeft,
    sclTopCenter,
    sclTopRight,
    sclLeftTop,
    sclBottomLeft,
    sclBottomCenter,
    sclBottomRight,
    sclRight,
    sclRightTop,
    sclLeftLeft,
    sclRightRight,
};

// The label's text alignment in a layout: towards the edit's side.
TAlignment BoundLabelAlignment(TsCaptionLayout layout);
// The layout a right-to-left edit uses: left and right sides swapped; sclLeftLeft becomes
// sclRightRight (not the other way round).
TsCaptionLayout MirroredCaptionLayout(TsCaptionLayout layout);
// A width given at fromPpi, at toPpi (toPpi * width div fromPpi); unchanged when either PPI is
// below 1, so a PPI of 0 never reaches a division.
int ScaledBoundWidth(int width, int fromPpi, int toPpi);
// The label sizes itself to its text, except beside-beside on the left with a fixed MaxWidth.
bool BoundLabelAutoSize(TsCaptionLayout layout, int maxWidth);

// Which side of the parent the label docks to (an edit docked to a side takes its label along).
enum TacLabelDock { ldNone, ldLeft, ldRight };

struct TacBoundLabelInput {
    TRect Edit;                  // the edit's bounds in its parent
    bool ClientHeightDiffers = false;   // the edit's client height differs from its height
    TacLabelDock EditDock = ldNone;     // the edit is aligned to the left or right side
    int EditMarginLeft = 0;      // the edit's left margin (used when it is docked left)
    TSize Label;                 // the label's size as it has fitted itself to its text
    int Spacing = 0;             // the skin's spacing
    int Indent = 0;              // distance from the edit
    int Offset = 0;              // shift along the edge
    int FontTextHeight = 0;      // sclLeftLeft: the font's cell height plus 6
    int CanvasTextHeight = 0;    // sclRightRight: the height of the label's text
};

struct TacBoundLabelPlace {
    TPoint Pos;
    int Height = -1;             // a height of its own; -1 keeps the label's
    TacLabelDock Dock = ldNone;
    bool CenterVertically = false;
    bool HasAlignment = false;   // Alignment overrides the layout's
    TAlignment Alignment = taLeftJustify;
};

// The label's place for a layout (already mirrored for a right-to-left edit).
TacBoundLabelPlace PlaceBoundLabel(TsCaptionLayout layout, const TacBoundLabelInput& in);
