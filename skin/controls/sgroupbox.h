// Skinned group box, with an optional check box in its caption that may enable and disable the
// box's contents.
//
// Skinned, the box is drawn from "GROUPBOX": the strip above the frame line shows the parent, the
// frame lies below it, and the caption is cut out of the frame line over the parent (or over its
// own CaptionSkin section) in the text colours of what lies behind it. The caption's check box is
// the skin's check image, drawn by the box itself (hot with a fade, pressed while held). Its
// children take their backgrounds from its cache. Without an active skin it is the standard
// group box, its caption check box the standard check mark.
#pragma once

#include <memory>

#include "skin/controls/core/group_caption.h"
#include "skin/controls/core/tab_fade.h"
#include "skin/controls/skin_frame.h"
#include "vcl/imagelist.h"
#include "vcl/stdctrls.h"

// What the caption's check box does to the box's children.
enum TacChangeState : uint8_t { csNone, csAsChecked, csAsNotChecked };

using TacIntProperty = int32_t;

class TsGroupBox;

// The room kept around a group box's caption. A change lays the caption out again and redraws
// the box (not while it loads).
class TsMargin : public TPersistent {
public:
    explicit TsMargin(TControl* control) : FControl(control) {}
    int Left() const { return FLeft; }
    void SetLeft(int value) { SetValue(0, value); }
    int Top() const { return FTop; }
    void SetTop(int value) { SetValue(1, value); }
    int Right() const { return FRight; }
    void SetRight(int value) { SetValue(2, value); }
    int Bottom() const { return FBottom; }
    void SetBottom(int value) { SetValue(3, value); }
    // index 0 Left, 1 Top, 2 Right, 3 Bottom.
    void SetValue(int index, int value);
    TacCaptionMargin Values() const { return TacCaptionMargin{FLeft, FTop, FRight, FBottom}; }

private:
    TacIntProperty FTop = 0, FLeft = 2, FRight = 2, FBottom = 0;
    TControl* FControl;
};

class TsGroupBox : public TacSkinFrame<TGroupBox> {
public:
    explicit TsGroupBox(TComponent* owner);
    ~TsGroupBox() override;

    // The caption's check box, worked by the left mouse button.
    bool CheckBoxVisible() const { return FCheckBoxVisible; }
    void SetCheckBoxVisible(bool on);
    bool Checked() const { return FChecked; }
    void SetChecked(bool on);
    // csAsChecked: the children (nested ones too) are enabled while checked, csAsNotChecked while
    // not; set on every change of Checked.
    TacChangeState AutoChildrenStates() const { return FAutoChildrenStates; }
    void SetAutoChildrenStates(TacChangeState value) { FAutoChildrenStates = value; }
    void UpdateAccessibilities();

    // Caption placement: its side (mirrored under right-to-left alignment), the room around it,
    // a shift down (negative: up, above the margin) and a fixed width (0: as wide as the text).
    TsCaptionLayout CaptionLayout() const { return FCaptionLayout; }
    void SetCaptionLayout(TsCaptionLayout value);
    TsMargin* CaptionMargin() const { return FCaptionMargin.get(); }
    int CaptionYOffset() const { return FCaptionYOffset; }
    void SetCaptionYOffset(int value);
    int CaptionWidth() const { return FCaptionWidth; }
    void SetCaptionWidth(int value);
    // The section painted behind the caption; empty: the parent shows there.
    const String& CaptionSkin() const { return FCaptionSkin; }
    void SetCaptionSkin(const String& value);
    // An image in the caption (before the text): image ImageIndex of Images, at the box's PPI.
    TCustomImageList* Images() const { return FImages.Get(); }
    void SetImages(TCustomImageList* list);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    // The caption's geometry changed (margins, layout, parts); the box lays it out again.
    virtual void CaptionChanged();
    // The children's area: the standard one, its top moved by CaptionYOffset.
    TRect ClientRect() const override;

    // The caption's rectangles as the box lays them out now.
    TacGroupCaption CaptionGeometry();
    // The caption check box's look now: 2 pressed, 1 hot, 0 normal.
    int CheckState() const { return FCheckPressed ? 2 : FCheckHot ? 1 : 0; }
    bool CheckHot() const { return FCheckHot; }
    bool CheckPressed() const { return FCheckPressed; }

    // After Checked changed (by a click, the space bar or in code).
    TNotifyEvent OnCheckBoxChanged;

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& m) override;
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;

private:
    void CheckedChanged();
    bool DrawnFromSkin();
    bool HasImage() const;
    void ImagesChanged(TObject*);
    // The caption image at the glyph rectangle's top-left, coloured like the caption's text
    // (section textIndex) when the manager discolours glyphs.
    void PaintImage(TBitmap* cache, const TacGroupCaption& g, int textIndex);
    void WriteCaptionText(TBitmap* cache, const TacGroupCaption& g, int textIndex);
    TSize CheckSize();
    TCacheInfo ParentBackground();
    void PaintSkinned(HDC dc);
    // A background question answered from the cache (composed first when stale).
    void AnswerBackground(TMessage& m);
    // The frame's bounds in the parent: from the middle of the caption line down (from the top
    // when the caption is raised above its margin).
    TRect VisibleBounds();
    // The caption's area in the cache (what PaintCaption draws over).
    TRect CaptionArea(const TacGroupCaption& g) const;
    void PaintCaption(TBitmap* cache, const TacGroupCaption& g, const TCacheInfo& parentBg, int checkState);
    // The caption check box's mouse and keyboard handling; true when the message is done.
    bool HandleCheckInput(TMessage& m);
    bool InCheckArea(int x, int y);
    // Shows the caption check box in a state: faded in or out when animate, else at once.
    void UpdateCheckState(int state, bool animate);
    void StopCheckFade();
    void CheckFadeTick(TObject*);
    void ShowCheckFrame(int weight);

    bool FCheckBoxVisible = false;
    bool FChecked = false;
    bool FCheckHot = false;
    bool FCheckPressed = false;
    TacChangeState FAutoChildrenStates = csNone;
    TsCaptionLayout FCaptionLayout = clTopLeft;
    std::unique_ptr<TsMargin> FCaptionMargin;
    TImageListReference FImages;
    int FImageIndex = -1;
    int FCaptionYOffset = 0;
    TacIntProperty FCaptionWidth = 0;
    String FCaptionSkin;
    // The caption check box's fade: its timer, schedule and pictures (start, target, shown).
    TacThreadedTimer* FCheckTimer = nullptr;
    TacTabFade FCheckFade;
    std::unique_ptr<TBitmap> FFadeFrom, FFadeTo, FFadeOut;
    TRect FFadeRect;
};
