// Where a group box's caption goes: the caption area on the top edge, the check box, image and
// text inside it, and the strip above the frame line that shows the parent. Plain sizes in, plain
// rectangles out; no windows.h here.
#pragma once

#include "vcl/types.h"

enum TsCaptionLayout : uint8_t { clTopLeft, clTopCenter, clTopRight };

// Room kept around the caption area.
struct TacCaptionMargin {
    int Left = 2;
    int Top = 0;
    int Right = 2;
    int Bottom = 0;
    bool operator==(const TacCaptionMargin&) const = default;
};

struct TacGroupCaptionInput {
    int Width = 0;            // the group box's width
    int TextWidth = 0;        // the caption text's width
    int TextHeight = 0;       // the caption line's height (TacGroupCaptionTextHeight)
    int CaptionYOffset = 0;
    int CaptionWidth = 0;     // fixed caption width, 0: as wide as its parts
    TacCaptionMargin Margin;
    TsCaptionLayout Layout = clTopLeft;
    bool RightToLeftAlignment = false;   // the layout's sides swap
    bool RightToLeftReading = false;     // the parts run from the right
    bool HasImage = false;
    int ImageWidth = 0, ImageHeight = 0;
    bool CheckBox = false;
    int CheckWidth = 0, CheckHeight = 0;
    int Spacing = 0;          // between check box, image and text
    int BevelWidth = 1;       // a caption narrower than two of these is widened by one on each side
};

struct TacGroupCaption {
    int CaptionHeight = 0;
    TRect CaptionRect;
    TRect CheckBoxRect;
    TRect GlyphRect;
    TRect TextRect;
    TRect TopRect;   // above the frame line: the parent shows there
};

// The caption line's height for a text height of "W" in the caption font.
constexpr int TacGroupCaptionTextHeight(int heightOfW) { return (heightOfW > 4 ? heightOfW : 4) + 2; }

TacGroupCaption CalcGroupCaption(const TacGroupCaptionInput& in);
