// TLine: a windowless control that draws one straight line between two inset corners of its
// bounds, optionally with arrow heads and a centred caption, and takes the mouse only on or
// near the line (so crossing lines on one parent each get their own clicks).
//
// A control 2 x border wide draws a vertical line, one 2 x border tall a horizontal line.
#pragma once

#include "support/line/line_geometry.h"
#include "vcl/controls.h"

// The running visual style's replacement for a colour. Unset (the default) means the system's
// own style, under which every colour is used as it is.
using TStyleColorFunc = TColor (*)(TColor color);
extern TStyleColorFunc LineStyleColor;

class TLine : public TGraphicControl {
public:
    explicit TLine(TComponent* owner);

    int ArrowLength() const { return FArrowLength; }
    TColor LineColor() const { return FLineColor; }
    TLineSlope LineSlope() const { return FLineSlope; }
    TPenStyle LineStyle() const { return FLineStyle; }
    int LineWidth() const { return FLineWidth; }
    TShowArrows ShowArrows() const { return FShowArrows; }
    // Inset of both end points from the bounds: half the arrow length once that was set.
    int BorderWidth() const { return FBorderWidth; }
    TPoint StartPoint() const { return FStartPoint; }
    TPoint EndPoint() const { return FEndPoint; }

    // Each setter ignores an unchanged value.
    virtual void SetArrowLength(int length);
    virtual void SetLineColor(TColor color);
    virtual void SetLineSlope(TLineSlope slope);
    virtual void SetLineStyle(TPenStyle style);
    virtual void SetLineWidth(int width);
    virtual void SetShowArrows(TShowArrows arrows);

protected:
    void Loaded() override;
    void Paint() override;
    void Resize() override;
    void ChangeScale(int m, int d, bool isDpiChange = false) override;
    void CMHitTest(TMessage& m) override;
    void CMMouseEnter(TMessage& m) override;
    void CMMouseLeave(TMessage& m) override;
    void CMTextChanged(TMessage& m) override;

private:
    void CalcEndPoints();
    // Raises a width or height below 2 x border to it.
    void EnforceMinimumSize();
    TLineEnds Ends() const;

    int FBorderWidth = 10;
    TPoint FStartPoint;
    TPoint FEndPoint;
    TColor FLineColor = clWindowText;
    TLineSlope FLineSlope = lsDown;
    TPenStyle FLineStyle = psSolid;
    int FLineWidth = 1;
    int FArrowLength = 10;
    TShowArrows FShowArrows = saNone;
};
