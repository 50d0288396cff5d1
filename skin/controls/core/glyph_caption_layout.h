// Where a glyph button's image and caption go, as plain numbers: the skinned bit button's glyph
// size, caption room, glyph rectangle and caption offset, and the speed button's caption and
// glyph rectangles (with the drop-down arrow part, margins, mirroring and the pressed shift).
// No windows.h here.
#pragma once

#include "skin/controls/core/button_layout.h"
#include "vcl/types.h"

// Layouts as the buttons number them: glyph left of, right of, above, below the caption.
enum TacGlyphLayout : int { glLeft = 0, glRight = 1, glTop = 2, glBottom = 3 };
// Alignment of glyph and caption as a block (and of a caption's lines).
enum TacBlockAlign : int { baLeft = 0, baRight = 1, baCenter = 2 };

// ---- bit button ----

// The glyph's size: a valid image of the button's list at the control's PPI wins; else one cell
// of the glyph strip (width / cells); 0 x 0 without either.
struct TacBitBtnGlyphSource {
    bool ValidImage = false;
    int ImageWidth = 0, ImageHeight = 0;   // already at the control's PPI
    int StripWidth = 0, StripHeight = 0;   // the Glyph bitmap (0 when empty)
    int NumGlyphs = 1;
};
TSize BitBtnGlyphSize(const TacBitBtnGlyphSource& in);

// The width the caption may take when it is measured: the button less both margins, less the
// glyph and its spacing when they sit beside it.
int BitBtnCaptionRoom(int width, int margin, int layout, int glyphWidth, int spacing);

// The glyph's rectangle from the layout's top-left corner: shifted (1, 1) while pressed when the
// skin moves content on a click; a reflected glyph rises by its width / 6 to leave room for the
// mirror image below it.
TRect BitBtnImgRect(const TPoint& glyphPos, const TSize& glyph, bool pressedShift, bool reflected);

// The caption moved by the button's text offset along the layout's axis.
TRect OffsetCaption(const TRect& caption, int layout, int offset);

// Blend in percent, kept within 0..100.
constexpr int ClampBlend(int value) { return value < 0 ? 0 : value > 100 ? 100 : value; }

// The bit button's visual state (0 normal, 1 hot, 2 pressed, 3 the Default look).
// The push button's input (a bit button has no split part: DroppedDown stays false), and:
struct TacBitBtnStateInput : TacButtonStateInput {
    // The window with the input focus is an owner-drawn button (another skinned button keeps the
    // default look to itself then).
    bool FocusOnOwnerDrawnButton = false;
};
int BitBtnCurrentState(const TacBitBtnStateInput& in);

// ---- glyph drawing ----

// The state a glyph is drawn in. Strips in the platform's cell order (up, disabled, down) have no
// hot cell: hot draws the up cell, a disabled control at rest the disabled one, and pressed the
// up cell unless the strip has a third cell.
int GlyphDrawState(int state, bool enabled, int numGlyphs, bool stdOrder);
// The transparency a list image is drawn with: Blend at rest only, and at least half for a
// disabled glyph of the blended kind.
int ListGlyphBlend(int blend, int state, bool enabled, bool blendedWhenDisabled);
// The cell of a 32-bit glyph strip: the state's, the last cell at most.
int GlyphStripCell(int state, int numGlyphs);
// A 32-bit glyph drawn on a canvas keeps alpha * percent / 100 of its alpha (0: left alone): at
// rest Blend, raised to 50 when disabled with the blended kind.
int CanvasGlyphAlphaPercent(int blend, int state, bool enabled, bool blendedWhenDisabled);
// Whether a 32-bit glyph drawn on a canvas turns grey.
bool CanvasGlyphGray(int state, bool enabled, bool grayed, bool grayedWhenDisabled);
// Whether a glyph bitmap is checked for an empty alpha channel first (a 32-bit one whose alpha is
// 0 everywhere is then drawn as a 24-bit strip): a device bitmap, a disabled control, or a
// 32-bit glyph without a default manager, without a section or with the manager's check on.
bool GlyphNeedsAlphaCheck(bool deviceBitmap, bool enabled, bool is32Bit, bool hasManager, int skinIndex,
                          bool checkEmptyAlpha);

// ---- speed button ----

struct TacSpeedButtonInput {
    int Width = 0, Height = 0;
    int Layout = glLeft;
    int Margin = -1;                 // negative: none
    int Spacing = 4;                 // unscaled
    int Alignment = baCenter;        // glyph and caption as a block
    int TextAlignment = baCenter;    // the caption within the block (beside-glyph layouts)
    bool ShowCaption = true;
    bool HasCaption = true;
    int TextOffset = 0;              // unscaled
    bool DropDown = false;           // an arrow part at the right
    bool RightToLeft = false;
    bool Reflected = false;
    int Ppi = 96;
    // The speed button's glyph widths: with the flag set (asked by the caption's layout when the
    // block is not centred) and without it; the glyph's height.
    int GlyphWidthFlagged = 0;
    int GlyphWidth = 0;
    int GlyphHeight = 0;
    bool WordWrap = false;               // the caption wraps at the room's width
    bool Ellipsis = false;               // the caption is measured with the ellipsis flags
    int TextWidth = 0, TextHeight = 0;   // the caption measured in SpeedCaptionRoom
    int State = 0;
    bool PressedShift = false;           // state 2 would move the content (see SpeedPressedShift)
};

// Scaling for the control's PPI, rounded down as the skin's scaling does.
constexpr int SpeedScale(int value, int ppi) { return value * ppi / 96; }
// The drop-down arrow's width, and the content margin (Margin + 3, 0 without a margin).
int SpeedArrowWidth(const TacSpeedButtonInput& in);
int SpeedContentMargin(const TacSpeedButtonInput& in);
// The width the caption is measured in (0: no caption).
int SpeedCaptionRoom(const TacSpeedButtonInput& in);
// The DrawText flags the caption is measured with: DT_CALCRECT | DT_EXPANDTABS, DT_WORDBREAK
// with word wrap (else DT_SINGLELINE), and with the ellipsis option the word, end and path
// ellipsis flags.
unsigned SpeedCaptionMeasureFlags(const TacSpeedButtonInput& in);
// Whether a pressed button moves its content: state 2 and the skin shifts content, except for a
// skinned button whose section has no border image while nobody holds the mouse capture.
bool SpeedPressedShift(int state, bool contentShifts, bool skinnedWithManager, bool sectionHasBorder,
                       bool mouseCaptured);

// Final: mirrored within the width in right-to-left mode, then moved (1, 1) when pressed.
TRect CalcButtonCaptionRect(const TacSpeedButtonInput& in, bool final);
TRect CalcButtonGlyphRect(const TacSpeedButtonInput& in, bool final);
