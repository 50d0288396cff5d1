// Text of the skinned controls: capped DrawTextW, shortening with an ellipsis, measuring, fonts,
// the skin's text colours with contours and glow, text drawn with alpha on 32-bit bitmaps, and
// clipping child controls out of a DC.
#pragma once

#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/text_effects.h"
#include "vcl/graphics.h"
#include "vcl/win.h"

class TWinControl;

// DrawTextW with at most 5460 characters of the text; the system's answer.
int DrawTextLimited(HDC dc, const String& text, TRect& r, UINT format);
// The canvas's DC with its font (and the font's colour) selected: what DrawTextW on the bare
// Handle would measure or draw with is whatever font the DC held before.
HDC FontDC(TCanvas* canvas);
// DrawTextW on the canvas with the whole text (Enabled is not read).
void DrawTextOnCanvas(TCanvas* canvas, const wchar_t* text, bool enabled, TRect r, UINT format);
// Measures in the canvas's font.
class TCanvasTextMeasurer : public TacTextMeasurer {
public:
    explicit TCanvasTextMeasurer(TCanvas* canvas) : FCanvas(canvas) {}
    int TextWidth(const String& text) const override;

private:
    TCanvas* FCanvas;
};
// Text shortened with "..." to fit MaxWidth pixels of the canvas's font.
void CutTextToWidth(TCanvas* canvas, const String& text, int maxWidth, String& result);
int TextWidthOf(TCanvas* canvas, const String& text);
int TextHeightOf(TCanvas* canvas, const String& text);
void TextSizeOf(TCanvas* canvas, const String& text, TSize& size);
void CanvasTextRect(TCanvas* canvas, const TRect& r, int x, int y, const String& text);
// On DC, or on the screen with Font selected first when DC is 0.
bool GetTextSize(HDC dc, const String& text, TSize& size, HFONT font);
// Size of the text in a font on the screen: by DrawText (DT_CALCRECT within MaxWidth) or by its
// extent; AddWidthOfI adds the width of one "I".
void MeasureText(HFONT font, const String& text, UINT format, bool byDrawText, int maxWidth, bool addWidthOfI,
                 TSize& size);
// Tight: the cell height without leadings; else tmHeight + 6; 0 when the metrics cannot be read.
int GetFontTextHeight(HFONT font, bool tight);
// Style, size, colour and name (case-sensitive) all equal.
bool FontsEqual(const TFont* font1, const TFont* font2);
// Selects a copy of Font turned by Angle (tenths of a degree) into DC and sets its colour; answers
// the font that was selected. RestoreAngledFont puts that one back and deletes the turned font.
HFONT CreateAngledFont(HDC dc, TFont* font, int angle);
void RestoreAngledFont(HDC dc, HFONT previous);
// Takes the visible children of Parent out of the DC's clipping area (graphic children only when
// the default skin clips them).
void ExcludeChildControls(HDC dc, TWinControl* parent, int offsetX, int offsetY);

// The glow of a text: drawn black on white in Dest's canvas font (and shifted by one pixel in the
// directions of Flags: 1 left, 2 up, 4 right, 8 down), blurred by Radius and composed into Dest in
// Color around Rect moved by (1, 1). Mask is kept by the caller and reused while its size fits.
void DrawTextGlow32(TBitmap* dest, const String& text, const TRect& r, UINT format, int flags, int radius, TColor color,
                    TByteImage& mask);
// The 8-bit bitmap's rows blurred in place (a bitmap of another format is left alone).
void BlurMask8(TBitmap* bitmap8, int radius);

// Text in Bitmap's canvas font drawn into Rect with alpha: Mode 0 opaque, any other over alpha.
void DrawAlphaText32(TBitmap* bitmap, const String& text, int mode, const TRect& r, UINT format, TColor color,
                     bool plainDrawText);
// Text in the text colour of a section state with its contours (Mode not 0), from the manager's
// unscaled skin data (nil: the default manager); without a usable section in the canvas font's colour.
void DrawSkinText32(TBitmap* bitmap, const String& text, int mode, const TRect& r, UINT format, int skinIndex, int state,
                    const TsSkinManager* manager);
// Text in the colours of a section state (contours, then the text; disabled faded into the
// section's colour); plain without a usable section.
void WriteSectionText(TCanvas* canvas, const String& text, bool enabled, const TRect& r, UINT format, int skinIndex,
                      int state, const TsSkinManager* manager);
// WriteSectionText onto a canvas that is no 32-bit image (menu items without a border form).
inline void WriteSectionTextOnCanvas(TCanvas* canvas, const String& text, bool enabled, const TRect& r, UINT format,
                                     int skinIndex, int state, const TsSkinManager* manager)
{
    WriteSectionText(canvas, text, enabled, r, format, skinIndex, state, manager);
}
// Text in the colours of a control's section state, with its glow and the control's colour
// effects; plain or embossed without a skin.
void WriteSkinDataText(TCanvas* canvas, const String& text, bool enabled, const TRect& r, UINT format,
                       const TacLinkPaintSource* link, int state, bool allowGlow);
// The control's tone, hue offset and saturation applied to a text colour.
TColor AdjustTextColor(TColor color, const TacLinkPaintSource* link);
// The state a section's text colours are read for: 0 .. min(States, 3) - 1.
int SectionTextState(const TsGeneralData& section, int state);
