// Bit buttons (owner-drawn push buttons with a glyph) and speed buttons (graphic buttons).
#pragma once

#include "vcl/stdctrls.h"

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(const TBitmap* b);
    // Glyph strips hold NumGlyphs images side by side: up, disabled, down, exclusive.
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int n);
    // A standard kind sets the caption, ModalResult, Default and Cancel of that kind.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind k);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout l);
    int Margin() const { return FMargin; }
    void SetMargin(int m);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int s);
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& m) override;
    void SetButtonStyle(bool isDefault) override;
    virtual void CNDrawItem(TMessage& m);
    virtual void DrawItem(const DRAWITEMSTRUCT& dis);
    void GlyphChanged(TObject* sender);

    TBitmap* FGlyph;
    int FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FIsFocused = false;
};

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(const TBitmap* b);
    bool Down() const { return FDown; }
    void SetDown(bool on);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int g) { FGroupIndex = g; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool on) { FAllowAllUp = on; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool on);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout l);
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
    void Dispatch(TMessage& m) override;

    TBitmap* FGlyph;
    bool FDown = false;
    bool FPressed = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FFlat = false;
    TButtonLayout FLayout = blGlyphLeft;
};

// Where a glyph and a caption go in a button of the given size (shared by the buttons).
void LayoutGlyphAndCaption(const TRect& client, const TSize& glyph, const TSize& text, TButtonLayout layout,
                           int margin, int spacing, TPoint& glyphPos, TRect& textRect);
