#include "support/line/line.h"

#include <algorithm>
#include <cstdint>

TStyleColorFunc LineStyleColor = nullptr;

namespace {

TColor StyleAdjusted(TColor color)
{
    return LineStyleColor ? LineStyleColor(color) : color;
}

TPoint ToPoint(const TLinePoint& p)
{
    return {p.x, p.y};
}

TPoint MouseLParamPoint(LPARAM lp)
{
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

}  // namespace

TLine::TLine(TComponent* owner) : TGraphicControl(owner)
{
    FWidth = 100;
    FHeight = 2 * FBorderWidth;
    CalcEndPoints();
}

TLineEnds TLine::Ends() const
{
    return {{FStartPoint.x, FStartPoint.y}, {FEndPoint.x, FEndPoint.y}};
}

void TLine::CalcEndPoints()
{
    const TLineEnds e = LineEndPoints(FWidth, FHeight, FBorderWidth, FLineSlope);
    FStartPoint = ToPoint(e.start);
    FEndPoint = ToPoint(e.end);
}

void TLine::EnforceMinimumSize()
{
    const int least = 2 * FBorderWidth;
    if (FWidth < least || FHeight < least) SetBounds(FLeft, FTop, std::max(FWidth, least), std::max(FHeight, least));
}

void TLine::SetArrowLength(int length)
{
    if (length == FArrowLength) return;
    FArrowLength = length;
    FBorderWidth = length / 2;
    EnforceMinimumSize();
    CalcEndPoints();
    Invalidate();
}

void TLine::SetLineColor(TColor color)
{
    if (color == FLineColor) return;
    FLineColor = color;
    Invalidate();
}

void TLine::SetLineSlope(TLineSlope slope)
{
    if (slope == FLineSlope) return;
    FLineSlope = slope;
    CalcEndPoints();
    Invalidate();
}

void TLine::SetLineStyle(TPenStyle style)
{
    if (style == FLineStyle) return;
    FLineStyle = style;
    Invalidate();
}

void TLine::SetLineWidth(int width)
{
    if (width == FLineWidth) return;
    FLineWidth = AdjustedLineWidth(FLineWidth, width, FShowArrows);
    Invalidate();
}

void TLine::SetShowArrows(TShowArrows arrows)
{
    if (arrows == FShowArrows) return;
    FShowArrows = arrows;
    Invalidate();
}

void TLine::Loaded()
{
    TGraphicControl::Loaded();
    CalcEndPoints();
}

void TLine::ChangeScale(int m, int d, bool isDpiChange)
{
    // The inset, the arrows and the pen grow with the layout: a line scaled to another PPI
    // stays straight (its inset is half its breadth) and as heavy as the text around it.
    if (d > 0 && m > 0) {
        auto scaled = [&](int v) { return static_cast<int>((int64_t(v) * m + d / 2) / d); };
        FArrowLength = scaled(FArrowLength);
        FBorderWidth = scaled(FBorderWidth);
        FLineWidth = std::max(1, scaled(FLineWidth));
    }
    TGraphicControl::ChangeScale(m, d, isDpiChange);
    CalcEndPoints();
    Invalidate();
}

void TLine::Resize()
{
    EnforceMinimumSize();
    CalcEndPoints();
    TGraphicControl::Resize();
}

void TLine::Paint()
{
    TCanvas* c = Canvas();
    const TLineDrawing d = LineDrawingOf(Ends(), FLineSlope, FShowArrows, FArrowLength);
    const TColor lineColor = StyleAdjusted(FLineColor);

    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetColor(lineColor);
    c->Pen()->SetStyle(FLineStyle);
    c->Pen()->SetWidth(FLineWidth);
    c->MoveTo(d.from.x, d.from.y);
    c->LineTo(d.to.x, d.to.y);

    if (d.startArrow || d.endArrow) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(lineColor);
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetWidth(1);
        auto head = [c](const TLinePoint (&h)[3]) { c->Polygon({ToPoint(h[0]), ToPoint(h[1]), ToPoint(h[2])}); };
        if (d.startArrow) head(d.startHead);
        if (d.endArrow) head(d.endHead);
    }

    const String caption = Caption();
    if (!caption.empty()) {
        c->Font()->Assign(Font());
        c->Font()->SetColor(StyleAdjusted(Font()->Color()));
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(StyleAdjusted(Color()));
        TRect r = ClientRect();
        c->TextRect(r, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
}

void TLine::CMHitTest(TMessage& m)
{
    const TPoint p = MouseLParamPoint(m.LParam);
    m.Result = LineHitTest(FWidth, FHeight, FBorderWidth, FLineSlope, FLineWidth, p.x, p.y) ? HTCLIENT : HTNOWHERE;
}

void TLine::CMMouseEnter(TMessage& m)
{
    if (HasState(csDesigning)) return;
    TGraphicControl::CMMouseEnter(m);
}

void TLine::CMMouseLeave(TMessage& m)
{
    TGraphicControl::CMMouseLeave(m);
}

void TLine::CMTextChanged(TMessage& m)
{
    TGraphicControl::CMTextChanged(m);
    Invalidate();
}
