// Skinned group box, with an optional check box in place of its caption that enables and
// disables the box's contents.
//
// Skinned, the box is drawn from "GROUPBOX": the strip above the frame line shows the parent, the
// frame lies below it, and the caption is cut out of the frame line over the parent (or over its
// own CaptionSkin section) in the text colours of what lies behind it. Its children take their
// backgrounds from its cache. Without an active skin it is the standard group box.
#pragma once

#include "skin/controls/core/group_caption.h"
#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsGroupBox : public TacSkinFrame<TGroupBox> {
public:
    explicit TsGroupBox(TComponent* owner);

    bool CheckBoxVisible() const { return FCheckBoxVisible; }
    void SetCheckBoxVisible(bool on) { SetCheckState(on, FChecked); }
    bool Checked() const { return FChecked; }
    void SetChecked(bool on) { SetCheckState(FCheckBoxVisible, on); }
    // When on, the box's children are enabled exactly while the box is checked.
    bool CheckBoxAutoEnable() const { return FCheckBoxAutoEnable; }
    void SetCheckBoxAutoEnable(bool on);

    // Caption placement: its side (mirrored under right-to-left alignment), the room around it,
    // a shift down (negative: up, above the margin) and a fixed width (0: as wide as the text).
    TsCaptionLayout CaptionLayout() const { return FCaptionLayout; }
    void SetCaptionLayout(TsCaptionLayout value);
    const TacCaptionMargin& CaptionMargin() const { return FCaptionMargin; }
    void SetCaptionMargin(const TacCaptionMargin& value);
    int CaptionYOffset() const { return FCaptionYOffset; }
    void SetCaptionYOffset(int value);
    int CaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(int value);
    // The section painted behind the caption; empty: the parent shows there.
    const String& CaptionSkin() const { return FCaptionSkin; }
    void SetCaptionSkin(const String& value);

    // The caption's rectangles as the box lays them out now.
    TacGroupCaption CaptionGeometry();

    // After Checked changed (by a click or in code).
    TNotifyEvent OnCheckBoxChanged;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void Loaded() override;
    void WndProc(TMessage& m) override;
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;

private:
    // The shared accessor of CheckBoxVisible and Checked.
    void SetCheckState(bool visible, bool checked);
    void BoxClick(TObject* sender);
    void PlaceBox();
    void UpdateChildStates();
    void CaptionChanged();
    bool DrawnFromSkin();
    void PaintSkinned(HDC dc);
    // A background question answered from the cache (composed first when stale).
    void AnswerBackground(TMessage& m);
    void PaintCaption(TBitmap* cache, const TacGroupCaption& g, const TCacheInfo& parentBg);

    TCheckBox* FBox = nullptr;
    bool FCheckBoxVisible = false;
    bool FChecked = false;
    bool FCheckBoxAutoEnable = true;
    bool FSyncingBox = false;
    TsCaptionLayout FCaptionLayout = clTopLeft;
    TacCaptionMargin FCaptionMargin;
    int FCaptionYOffset = 0;
    int FCaptionWidth = 0;
    String FCaptionSkin;
};
