// Panels, images and other extra controls drawn by the layer itself.
#pragma once

#include "vcl/controls.h"
#include "vcl/stdctrls.h"
#include "vcl/timers.h"

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut b);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut b);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int w);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment a);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool on);
    TRect ClientRect() const override;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;

    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    TAlignment FAlignment = taCenter;
    TVerticalAlignment FVerticalAlignment = taVerticalCenter;
    bool FShowCaption = true;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

class TScrollingWinControl;

enum TScrollBarKind { sbHorizontal, sbVertical };

// One scroll bar of a scrolling container: the window's own bar of that side. Range is the
// extent of the contents, Position how far they are scrolled (0 .. Range - the client size).
class TControlScrollBar {
public:
    TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind) : FControl(control), FKind(kind) {}
    TScrollBarKind Kind() const { return FKind; }
    int Range() const { return FRange; }
    void SetRange(int range);
    int Position() const { return FPosition; }
    // Scrolls the contents so that Position is v (limited to what the range allows).
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v > 0 ? v : 1; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    // Whether the bar shows now (visible, and the range exceeds the client size).
    bool IsScrollBarVisible() const;
    // The largest Position the range allows.
    int MaxPosition() const;
    // Puts range, page and position on the window's bar.
    void Update();

private:
    friend class TScrollingWinControl;
    void Scroll(int code, int thumb);
    int ClientSize() const;

    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FRange = 0;
    int FPosition = 0;
    int FIncrement = 8;
    bool FVisible = true;
};

// A container whose contents scroll: children beyond its client area are reached with the
// window's scroll bars (or ScrollBy / ScrollInView). With AutoScroll the ranges follow the
// children's extent.
class TScrollingWinControl : public TCustomControl {
public:
    explicit TScrollingWinControl(TComponent* owner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar; }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar; }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool on);
    // Moves every child by (dx, dy) and the painted contents with them.
    virtual void ScrollBy(int dx, int dy);
    // Scrolls so that the child is inside the client area.
    void ScrollInView(TControl* control);

protected:
    friend class TControlScrollBar;
    void CreateWnd() override;
    void AlignControls(TControl* control, TRect& rect) override;
    void WMScroll(TMessage& m) override;
    void WMSize(TMessage& m) override;
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    // Ranges from the children's extent (AutoScroll), then both bars updated.
    void UpdateScrollBars();

    TControlScrollBar* FHorzScrollBar;
    TControlScrollBar* FVertScrollBar;
    bool FAutoScroll = true;
    bool FUpdatingBars = false;
};

class TScrollBox : public TScrollingWinControl {
public:
    explicit TScrollBox(TComponent* owner);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle s);

protected:
    void CreateParams(TCreateParams& params) override;
    TBorderStyle FBorderStyle = bsSingle;
};

class TCustomImage : public TGraphicControl {
public:
    explicit TCustomImage(TComponent* owner);
    ~TCustomImage() override;

    TPicture* Picture() const { return FPicture; }
    void SetPicture(const TPicture* p) { FPicture->Assign(p); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool on);
    bool Center() const { return FCenter; }
    void SetCenter(bool on);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool on);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);
    // AutoSize: the control takes the picture's size.
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    // Where the picture lands inside the control.
    TRect DestRect() const;

protected:
    void Paint() override;
    void PictureChanged(TObject* sender);

    TPicture* FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FProportional = false;
    bool FTransparent = false;
};

class TImage : public TCustomImage {
public:
    explicit TImage(TComponent* owner) : TCustomImage(owner) {}
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner) : TGraphicControl(owner) { FWidth = 50; FHeight = 50; }
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape s) { FShape = s; Invalidate(); }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle s) { FStyle = s; Invalidate(); }

protected:
    void Paint() override;
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

// A container of controls made in code, used as a reusable piece of a form; it scrolls
// when its contents do not fit.
class TCustomFrame : public TScrollingWinControl {
public:
    explicit TCustomFrame(TComponent* owner);
};

class TFrame : public TCustomFrame {
public:
    explicit TFrame(TComponent* owner) : TCustomFrame(owner) {}
};
