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

// A scrolling container; its scroll bars are the window's own.
class TScrollBox : public TCustomControl {
public:
    explicit TScrollBox(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
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

// A container of controls made in code, used as a reusable piece of a form.
class TFrame : public TCustomControl {
public:
    explicit TFrame(TComponent* owner) : TCustomControl(owner) { FControlStyle |= csAcceptsControls; }
};
