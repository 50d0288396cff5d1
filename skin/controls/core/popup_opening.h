// Where a popup form opens under its owner control and the frames of its opening animation, as
// plain numbers; the popup controller moves windows and draws the frames. No windows.h.
#pragma once

#include <vector>

#include "vcl/types.h"

// Bits of the direction a popup opened in.
constexpr int PopupOpensUpward = 1;      // placed above its owner
constexpr int PopupShiftedLeft = 2;      // moved left to stay on the screen

struct TacPopupPlacement {
    TRect Bounds;
    int AnimDirection = 0;
};

// A popup of Width x Height (client ClientWidth x ClientHeight) under the owner's window
// rectangle, overlapping it by 2 pixels, left-aligned (right-aligned for a right-to-left owner);
// above the owner when it would pass the work area's bottom; moved left when it would pass its
// right edge. An empty work area (the owner on no monitor) leaves the popup under the owner.
TacPopupPlacement PlacePopup(const TRect& owner, const TRect& workArea, int width, int height, int clientWidth,
                             int clientHeight, bool rightToLeftOwner);

// One frame of the opening: the part of the popup's picture it is stretched into (popup
// coordinates), its opacity and when it is shown (milliseconds after the opening starts).
struct TacPopupFrame {
    TRect Rect;
    int Alpha = 0;
    int StartMs = 0;
};

constexpr int PopupFrameInterval = 12;
constexpr int PopupOpeningTime = 80;

// The frames of an opening of timeMs (timeMs div 12 steps, one frame more) to opacity alpha:
// growing from nothing (from the owner's width across) towards the full size, each step
// closing two thirds of what is left, edges rounded to the nearest pixel, halves to even. The
// full picture at alpha follows the last frame.
std::vector<TacPopupFrame> PopupOpeningFrames(int timeMs, int alpha, int width, int height, int ownerWidth,
                                              int animDirection);
