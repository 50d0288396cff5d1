// Skinned check box.
//
// Skinned, the box is drawn from "CHECKBOX": the skin's check image for its check state
// (unchecked, checked, grayed) in its visual state (normal, hot, pressed), or a strip of the
// user's own glyphs, and the caption in the section's text colours. It then handles presses
// itself, so that a read-only box never toggles and the native control never paints over the
// skin. Without an active skin it is the standard check box.
#pragma once

#include <memory>

#include "skin/controls/core/check_layout.h"
#include "skin/controls/skin_frame.h"
#include "vcl/imagelist.h"
#include "vcl/stdctrls.h"

// The skin's check image for a check state: its size, 0 x 0 when the skin has none.
TSize SkinCheckGlyphSize(TacSkinData* d, TCheckBoxState check);
// Draws that image's frame for a visual state (0 normal, 1 hot, 2 pressed) into bmp at at; its
// key-colour pixels keep what lies under them. Nothing without an image.
void DrawSkinCheckGlyph(TBitmap* bmp, TPoint at, TacSkinData* d, TCheckBoxState check, int visualState);

class TsCheckBox : public TacSkinFrame<TCheckBox> {
public:
    explicit TsCheckBox(TComponent* owner);
    ~TsCheckBox() override;

    void SetChecked(bool on) override;

    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int TextIndent() const { return FTextIndent; }
    void SetTextIndent(int value);
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool on);
    // Clicks and the space bar never change a read-only box, and it shows no hot state.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on) { FReadOnly = on; }
    TvaAlign VerticalAlign() const { return FVerticalAlign; }
    void SetVerticalAlign(TvaAlign value);
    // The user's glyphs (a strip of square frames: normal, hot, pressed, or one picture) in
    // place of the skin's check images; empty: the skin's.
    TBitmap* GlyphChecked() const { return FGlyphChecked.get(); }
    void SetGlyphChecked(TBitmap* value);
    TBitmap* GlyphUnChecked() const { return FGlyphUnChecked.get(); }
    void SetGlyphUnChecked(TBitmap* value);
    // Glyphs from an image list, one image per check state, used before the user's glyphs when
    // ImgChecked and ImgUnchecked are both 0 or more; a negative index shows no glyph.
    TCustomImageList* Images() const { return FImages.Get(); }
    void SetImages(TCustomImageList* list);
    int ImgChecked() const { return FImgChecked; }
    void SetImgChecked(int index) { SetImgIndex(FImgChecked, index); }
    int ImgUnchecked() const { return FImgUnchecked; }
    void SetImgUnchecked(int index) { SetImgIndex(FImgUnchecked, index); }
    int ImgGrayed() const { return FImgGrayed; }
    void SetImgGrayed(int index) { SetImgIndex(FImgGrayed, index); }

    // The alignment in use: Alignment, its sides swapped under right-to-left alignment.
    // taRightJustify: glyph at the left, caption to its right.
    TAlignment ControlsAlignment() const;
    // 2 while pressed, 1 hot or focused (not read-only), else 0.
    int CurrentState() const;
    // The glyph's size and the two rectangles as the box lays them out now.
    TSize GlyphSize() const;
    TRect GlyphRect() const;
    TRect CaptionRect();

    // After Checked was set to another value (once per change, after the state has changed).
    TNotifyEvent OnValueChanged;

protected:
    void WndProc(TMessage& m) override;
    void Toggle() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    void Loaded() override;
    void CreateWnd() override;
    int DefaultSectionIndex() override;
    void PaintContent(TBitmap* cache, int state) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    // The image list is the glyph source, and the image of the present check state.
    bool ListGlyph() const;
    int ListImageIndex() const;
    void PaintListGlyph(TBitmap* cache, const TRect& at);
    void SetImgIndex(int& field, int index);
    void ImagesChanged(TObject*);
    bool DrawnFromSkin() const;
    // The user's strip for the present check state; nil when it has none.
    TBitmap* UserGlyph() const;
    TacCheckLayoutInput Layout() const;
    void PaintGlyph(TBitmap* cache);
    void PaintFocus(TBitmap* cache, TRect caption);
    void Restyle();
    void Press();
    void Release(bool toggle);
    void RedrawNow();
    // The image list or a user glyph shows the check state (the box composes its own image
    // then, skinned or not).
    bool HasOwnGlyph() const;
    // The image without a skin: the control's colour, the caption and the own glyph.
    bool ComposeOwnGlyphs();
    // WM_PAINT / WM_PRINT: the image composed afresh and copied to the DC (given, or BeginPaint).
    void PaintBox(HDC given, bool skinned);
    void StopAnimationIfResized();
    void UnskinnedWndProc(TMessage& m);

    bool FPressed = false;
    bool FMeasuredSkinned = false;   // the last auto size was measured for the skinned look
    bool FShowFocus = true;
    int FMargin = 0;
    int FTextIndent = 2;
    bool FReadOnly = false;
    TvaAlign FVerticalAlign = vaMiddle;
    std::unique_ptr<TBitmap> FGlyphChecked, FGlyphUnChecked;
    TImageListReference FImages;
    int FImgChecked = 0, FImgUnchecked = 0, FImgGrayed = 0;
};
