// Skinned bit buttons: a push button with a glyph beside, above or below its caption.
//
// Skinned, the button is painted from its cache: the "BUTTON" section in the button's visual
// state (normal, hot, pressed, the Default look at rest), the glyph (an image of Images, else one
// cell of the Glyph strip) and the caption placed as a block by Layout, Margin, Spacing,
// Alignment and VerticalAlignment, the focus frame around the caption and the disabled look.
// Hover and press cross-fade like the push button. Without an active skin it is the standard
// bit button.
//
// The same unit paints a control's section border with an inner frame of its colour
// (PaintControlFrame) and draws a skinned push or bit button's glyph (DrawSkinnedButtonGlyph).
#pragma once

#include <functional>

#include "skin/controls/core/button_layout.h"
#include "skin/controls/core/glyph_caption_layout.h"
#include "skin/controls/skin_frame.h"
#include "vcl/buttons.h"
#include "vcl/imagelist.h"

enum TsDisabledGlyphKindFlag : unsigned { dgBlended = 1, dgGrayed = 2 };
using TsDisabledGlyphKind = unsigned;

// (Sender, the cache bitmap) after the glyph has been drawn.
using TBmpPaintEvent = std::function<void(TObject* sender, TBitmap* bitmap)>;

class TsBitBtn : public TacSkinFrame<TBitBtn> {
public:
    explicit TsBitBtn(TComponent* owner);

    // Images and ImageIndex are the button's own (TButton): a valid image wins over Glyph.
    bool Down() const { return FDown; }
    void SetDown(bool on) { SetLook(FDown, on); }
    // The grey look at rest (also while the manager discolours glyphs).
    bool Grayed() const;
    void SetGrayed(bool on) { SetLook(FGrayed, on); }
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool on) { SetLook(FShowFocus, on); }
    bool Reflected() const { return FReflected; }
    void SetReflected(bool on) { SetLook(FReflected, on); }
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool on) { SetLook(FShowCaption, on); }
    // Child controls may be put on the button; pressed, they move (1, 1) with its content.
    bool AcceptsControls() const { return FAcceptsControls; }
    void SetAcceptsControls(bool on);
    // Content under the section's border image (true) or over it (false).
    bool DrawOverBorder() const { return FDrawOverBorder; }
    void SetDrawOverBorder(bool on);
    // Glyph transparency in percent at rest, 0..100.
    int Blend() const { return FBlend; }
    void SetBlend(int value) { SetLook(FBlend, ClampBlend(value)); }
    int FocusMargin() const { return FFocusMargin; }
    void SetFocusMargin(int value) { SetLook(FFocusMargin, value); }
    // Moves the caption along the layout's axis.
    int TextOffset() const { return FTextOffset; }
    void SetTextOffset(int value) { SetLook(FTextOffset, value); }
    // Of glyph and caption as a block, and of the caption's lines.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment value);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment value);
    TsDisabledGlyphKind DisabledGlyphKind() const { return FDisabledGlyphKind; }
    void SetDisabledGlyphKind(TsDisabledGlyphKind value);
    // The background tone while the button has the focus (clNone or the button-face colour: none).
    TColor FocusedColor() const { return FFocusedColor; }
    void SetFocusedColor(TColor value);
    // Tint of the glyph (clNone: none).
    TColor GlyphColorTone() const { return FGlyphColorTone; }
    void SetGlyphColorTone(TColor value);

    // 0 normal, 1 hot, 2 pressed, 3 the Default look.
    virtual int CurrentState();
    // The glyph's tint (GlyphColorTone).
    virtual TColor CurrentColorTone() { return FGlyphColorTone; }
    // The glyph's size at the control's PPI (0 x 0 without one) and its rectangle from the last
    // layout, for the present state.
    TSize GlyphSize();
    TRect ImgRect();
    // The caption's rectangle from the last layout.
    const TRect& CaptionRect() const { return FCaptionRect; }
    TacColoring Coloring();

    // A new Layout makes the cached face stale; other repaints keep it.
    void Invalidate() override;

    TBmpPaintEvent OnPaint;
    std::function<void(TObject* sender, int state, TacColoring& coloring)> OnGetColoring;
    // The button's own enter and leave events, fired before the hover fade starts (skinned or
    // not).
    TNotifyEvent& OnMouseEnter{Frame().OwnMouseEnter};
    TNotifyEvent& OnMouseLeave{Frame().OwnMouseLeave};

    // A click quicker than the press fade shows the whole pressed face for a moment before it
    // fades to hot: this waits that moment (30 ms); tests put their own in.
    static inline std::function<void(TsBitBtn* button)> PressedFlashWait;

protected:
    void WndProc(TMessage& m) override;
    void SetButtonStyle(bool isDefault) override;
    int DefaultSectionIndex() override;
    bool ShowsPressedState() const override { return true; }
    // Skin changes reach the controls put on the button.
    bool IsContainer() const override { return !FChildrenDone; }
    void PaintContent(TBitmap* cache, int state) override;
    int OwnVisualState() override { return CurrentState(); }
    int SectionStateOf(int visualState, int sectionStates) override
    {
        return ButtonSectionState(visualState, sectionStates);
    }

private:
    bool DrawnFromSkin();
    bool ShiftsContent(int state);
    // Places glyph and caption for the button's present size and font (measured on canvas).
    void LayoutContent(TCanvas* canvas);
    UINT CaptionFlags() const;
    void DrawCaption(TCanvas* canvas, int state, const TacColoring& coloring);
    void ShiftControls(int state);
    void ShowPressedFlash();
    // The owner-draw of the button without a skin: a plain push button with the same content.
    void DrawUnskinned(const DRAWITEMSTRUCT& item);

    bool FDown = false;
    bool FGrayed = false;
    bool FShowFocus = true;
    bool FReflected = false;
    bool FShowCaption = true;
    bool FMouseClicked = false;   // a left press started here and its release is still due
    bool FDrawOverBorder = true;
    bool FAcceptsControls = false;
    bool FControlsShifted = false;   // the child controls are moved (1, 1) for the pressed look
    bool FChildrenDone = false;      // a skin change already reached the children
    int FBlend = 0;
    int FTextOffset = 0;
    int FFocusMargin = 1;
    int FOldSpacing = 4;   // Spacing at the last composition
    TButtonLayout FOldLayout = blGlyphLeft;   // Layout at the last invalidation
    TAlignment FAlignment = taCenter;
    TAlignment FTextAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = taVerticalCenter;
    TsDisabledGlyphKind FDisabledGlyphKind = 0;
    TColor FGlyphColorTone = clNone;
    TColor FFocusedColor = clNone;
    TPoint FGlyphPos;
    TRect FCaptionRect;
};

// Draws the glyph of a skinned push button (TsButton) or bit button (TsBitBtn) on the canvas, or
// into the button's cache when it is skinned: the image list's image, else the bit button's
// Glyph strip, by state, grey and blended looks. Does nothing for other controls.
void DrawSkinnedButtonGlyph(TControl* button, TCanvas* canvas, TColor glyphColor);

// Paints the link's section border for the state into the DC over rect, with an inner frame of
// the section's colour frameWidth wide. innerRect: rect less the border image's widths, or less
// frameWidth when that is positive (left alone without a border image).
void PaintControlFrame(HDC dc, const TRect& rect, int frameWidth, TRect& innerRect, int state, TsCommonData* link);
