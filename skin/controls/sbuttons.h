// Skinned push buttons.
//
// The window is always owner-drawn. Skinned, the button is painted from its cache: the "BUTTON"
// section in the button's visual state (normal, hot, pressed, and the Default button's look at
// rest), the caption in the section's text colours of that state, a dotted focus frame around the
// caption, the image of the look (hot, pressed, selected, disabled images), the shield, a command
// link's hint, a split button's arrow part and the disabled look. State changes cross-fade on the
// engine's animation timer: towards hot in 6 steps, back in 18, pressed in 3. Without an active
// skin it draws itself as a plain push button. Clicks, Default/Cancel and the mouse events are the
// standard button's.
#pragma once

#include <functional>

#include "skin/controls/core/button_layout.h"
#include "skin/controls/core/glyph_caption_layout.h"
#include "skin/controls/skin_frame.h"
#include "vcl/imagelist.h"
#include "vcl/stdctrls.h"

// (Sender, the visual state, the colours) -> may change any of the colours.
using TacGetColoring = std::function<void(TObject* sender, int state, TacColoring& coloring)>;

// What the visual state of a skinned push or bit button depends on, as the window and its link
// tell it (leftDownOnIt: a left press began on it and is held; down: latched pressed).
TacButtonStateInput ButtonStateInput(TButton* button, TsCommonData* link, bool leftDownOnIt, bool down);
// What the caption colours of a skinned push or bit button in state depend on.
TacColoringInput ButtonColoringInput(TButton* button, TsCommonData* link, int state, bool skinned);
// What every skinned push button does around its base's window procedure while it is drawn
// from the skin (drawn): a left press that may start on it (canPress) is noted, the face the
// system asks for when the space bar pushes or lets go comes from the skin, and the noted
// press ends with any release. Before answers true when the message is done.
bool ButtonPressBefore(TsCommonData* link, bool drawn, bool canPress, bool& mouseClicked, TMessage& m);
void ButtonPressAfter(TsCommonData* link, bool drawn, bool& mouseClicked, const TMessage& m);

// Sets the caption font bold and 2 points larger, as a command link writes its caption.
void CommandLinkCaptionFont(TFont* font);
// The application's hints are off while a left press starts the pressed fade (a hint popping up
// would stop it): off, and back on when the press had switched them off.
void ButtonHintsOff();
void ButtonHintsBack();
// A quick press shows the press fade's last frame at once and holds it (wait, else 30 ms), so
// the fade back to hot starts from the full pressed face.
void ShowButtonPressedFlash(TsCommonData* link, const std::function<void()>& wait);

// The speed button's caption measured on dc (the button's cache canvas, its font selected) in
// the room SpeedCaptionRoom gives, with SpeedCaptionMeasureFlags: the width and height that
// CalcButtonCaptionRect and CalcButtonGlyphRect take as TextWidth and TextHeight; 0 x 0 without
// room or caption.
TSize SpeedCaptionSize(HDC dc, const String& caption, const TacSpeedButtonInput& in);

// ---- TsButton: a push button with an optional image from an image list
class TsButton : public TacSkinFrame<TButton> {
public:
    explicit TsButton(TComponent* owner);

    ~TsButton() override;

    // Images, ImageIndex, the look's images and ImageAlignment are the button's own (TButton).
    virtual TCustomImageList* GetImages() { return Images(); }
    // The image drawn now (GlyphIndex).
    virtual int CurrentImageIndex() { return GlyphIndex(); }
    int GlyphIndex();
    // The image's size at the control's PPI (16 x 16 for the shield; 0 x 0 without an image).
    TSize GlyphSize();
    // The command link's hint in its own font when CustomCommandLinkFont, else in the caption's.
    TFont* CommandLinkFont() const { return FCommandLinkFont; }
    void SetCommandLinkFont(const TFont* font) { FCommandLinkFont->Assign(font); }
    bool CustomCommandLinkFont() const { return FCustomCommandLinkFont; }
    void SetCustomCommandLinkFont(bool on) { SetLook(FCustomCommandLinkFont, on); }
    // Own enter and leave events (set by code), fired before the hover fade starts; the base's
    // OnMouseEnter and OnMouseLeave fire afterwards.
    TNotifyEvent& OwnMouseEnter() { return Frame().OwnMouseEnter; }
    TNotifyEvent& OwnMouseLeave() { return Frame().OwnMouseLeave; }

    bool Reflected() const { return FReflected; }
    void SetReflected(bool on) { SetLook(FReflected, on); }
    // Latched pressed look.
    bool Down() const { return FDown; }
    void SetDown(bool on) { SetLook(FDown, on); }
    // The dotted frame around the caption of the focused button.
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool on) { SetLook(FShowFocus, on); }
    // Room between the caption and the focus frame; takes effect at the next repaint.
    int FocusMargin() const { return FFocusMargin; }
    void SetFocusMargin(int value) { FFocusMargin = value; }
    // Room between the button's edges and its content.
    int ContentMargin() const { return FContentMargin; }
    void SetContentMargin(int value);

    // The visual state: 0 normal, 1 hot, 2 pressed, 3 the Default button at rest.
    int CurrentState();
    // Where the image lands (empty without an image) and where the caption is written, for the
    // present state (both shift (1, 1) while pressed when the skin moves content on a click).
    void GlyphRect(TRect& rect);
    TRect CaptionRect();
    // The colours of a modal-result button in the present state (not set: clNone).
    TacColoring Coloring();
    // A split button's drop-down menu is open (the button shows itself pressed meanwhile).
    bool DroppedDown() const { return FDroppedDown; }

    TacGetColoring OnGetColoring;

    void Invalidate() override;

    // A click quicker than the press fade shows the whole pressed face for a moment before it
    // fades to hot: this waits that moment (30 ms); tests put their own in.
    static inline std::function<void(TsButton* button)> PressedFlashWait;

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& m) override;
    void UpdateImageList() override;
    void SetButtonStyle(bool isDefault) override;
    int DefaultSectionIndex() override;
    bool ShowsPressedState() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;
    int OwnVisualState() override { return CurrentState(); }
    int SectionStateOf(int visualState, int sectionStates) override
    {
        return ButtonSectionState(visualState, sectionStates);
    }

private:
    bool DrawnFromSkin();
    TacButtonLayout Layout(TCanvas* measure);
    bool ValidImage(int index);
    int CommandLinkGap();
    // The caption's and the hint's text, bold and 2 points larger for a command link's caption.
    void DrawCaption(TCanvas* c, const TRect& r, const TacColoring& col, int state, bool skinned);
    void DrawCommandLinkHint(TCanvas* c, const TRect& caption, const TacColoring& col, int state, bool skinned);
    void DrawImage(TCanvas* c, const TRect& glyph, TColor glyphColor);
    // The owner-draw of the button without a skin: a plain push button with the same content.
    void DrawUnskinned(const DRAWITEMSTRUCT& item);
    void CommandLinkFontChanged(TObject* sender);
    UINT CaptionFlags() const;
    void DrawFocusFrame(TCanvas* c, const TRect& caption);
    void ShowPressedFlash();
    int SplitWidth() const;
    // The point (client coordinates) lies on the arrow part of a split button with a menu.
    bool OnDropDownPart(int x, int y) const;
    // Opens the drop-down menu below the button and waits until it closes.
    void DropDownFromPress();
    // The line and the arrow of the split button's drop-down part.
    void DrawSplitPart(TBitmap* cache, int state);
    // The point (window coordinates) lies on a key-coloured corner pixel of the border image.
    bool TransparentCornerAt(int x, int y);

    bool FReflected = false;
    bool FDown = false;
    bool FShowFocus = true;
    bool FMouseClicked = false;   // a left press started here and its release is still due
    bool FIsFocused = false;      // the system gave it the default-button look
    bool FDroppedDown = false;
    int FFocusMargin = 1;
    int FContentMargin = 6;
    bool FCustomCommandLinkFont = false;
    TFont* FCommandLinkFont;
    int FOldImageIndex = -1;                   // image and list at the last invalidation
    TCustomImageList* FOldImages = nullptr;
};
