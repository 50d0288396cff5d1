// Where a check box draws its mark and caption, which visual state it shows and which frame of a
// glyph strip it cuts: plain sizes in, plain rectangles out; no windows.h here.
#pragma once

#include "vcl/types.h"

enum TvaAlign : uint8_t { vaTop, vaMiddle, vaBottom };

struct TacCheckLayoutInput {
    int Width = 0, Height = 0;     // the control
    int GlyphWidth = 16, GlyphHeight = 16;
    int Margin = 0;
    int TextIndent = 2;            // between glyph and caption
    int Spacing = 0;               // the skin's spacing (0 unskinned)
    bool GlyphAtRight = false;     // left-justified caption: glyph at the right, caption mirrored
    bool SkinGlyph = false;        // the skin's own image (placed without the vertical margin)
    bool Centered = false;         // centred caption: the skin's image goes to the right end
    TvaAlign VerticalAlign = vaMiddle;
    bool WordWrap = false;
};

// The glyph's rectangle in the control.
TRect CheckGlyphRect(const TacCheckLayoutInput& in);
// The width the caption is measured in (may be 0 or less: the caption then has no room).
int CheckCaptionWidthLimit(const TacCheckLayoutInput& in);
// The caption's rectangle for a measured text of textWidth x textHeight, nudged to where the
// text sits best and mirrored with the glyph.
TRect CheckCaptionRect(const TacCheckLayoutInput& in, int textWidth, int textHeight);

// The visual state of the box: 2 pressed, 1 hot or focused (never for a read-only box), else 0.
int CheckVisualState(bool pressed, bool hotOrFocused, bool readOnly);

// A glyph strip of square frames (width a whole multiple of its height), else one picture.
struct TacGlyphStrip {
    int Width = 0, Height = 0;
    // Frames side by side: width / height when the width is a whole multiple of the height, else 1.
    int Frames() const;
    // One frame's size in the strip (unscaled).
    int FrameWidth() const { return Width / Frames(); }
};
// The glyph's size in the control at ppi: one frame of the strip scaled from 96 (16 x 16 scaled
// for an empty strip).
TSize CheckGlyphSize(const TacGlyphStrip& strip, int ppi);
// The strip frame shown: pressed min(frames - 1, 2); idle (state 0) or read-only 0; else
// min(frames - 1, 1).
int CheckStripFrame(int frames, bool pressed, int linkState, bool readOnly);
// The source rectangle of that frame in the strip, at the strip's own frame size (the glyph is
// scaled from it afterwards; cutting at the scaled size would read past a strip at high PPI).
TRect CheckStripFrameRect(const TacGlyphStrip& strip, int frame);
