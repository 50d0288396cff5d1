#include "skin/controls/core/bound_label.h"

TAlignment BoundLabelAlignment(TsCaptionLayout layout)
{
    switch (layout) {
    case sclLeft:
    case sclTopRight:
    case sclBottomRight:
    case sclRightRight: return taRightJustify;
    case sclTopCenter:
    case sclBottomCenter: return taCenter;
    default: return taLeftJustify;
    }
}

TsCaptionLayout MirroredCaptionLayout(TsCaptionLayout layout)
{
    switch (layout) {
    case sclLeft: return sclRight;
    case sclRight: return sclLeft;
    case sclTopLeft: return sclTopRight;
    case sclTopRight: return sclTopLeft;
    case sclLeftTop: return sclRightTop;
    case sclRightTop: return sclLeftTop;
    case sclBottomLeft: return sclBottomRight;
    case sclBottomRight: return sclBottomLeft;
    case sclLeftLeft: return sclRightRight;
    default: return layout;
    }
}

int ScaledBoundWidth(int width, int fromPpi, int toPpi)
{
    if (fromPpi < 1 || toPpi < 1) return width;
    return int(static_cast<long long>(toPpi) * width / fromPpi);
}

bool BoundLabelAutoSize(TsCaptionLayout layout, int maxWidth) { return !(layout == sclLeftLeft && maxWidth != 0); }

TacBoundLabelPlace PlaceBoundLabel(TsCaptionLayout layout, const TacBoundLabelInput& in)
{
    const TRect& e = in.Edit;
    const int ew = e.right - e.left, eh = e.bottom - e.top;
    const int lw = in.Label.cx;
    const int s = in.Spacing, i = in.Indent, o = in.Offset;
    const auto centre = [&](int lh) { return (eh - lh) / 2 + e.top; };
    const int above = e.top - in.Label.cy - i, below = e.bottom + i;
    const int centred = (ew - lw) / 2 + e.left + o, rightEnds = e.left + ew + o - lw;
    TacBoundLabelPlace p;
    switch (layout) {
    case sclLeft:
        p.Pos = TPoint(e.left - lw - s - i, centre(in.Label.cy) + o - (in.ClientHeightDiffers ? 1 : 0));
        if (in.EditDock == ldLeft) {
            p.Dock = ldLeft;
            p.CenterVertically = true;
            p.Pos.x = e.left - lw - in.EditMarginLeft;
        }
        break;
    case sclTopLeft: p.Pos = TPoint(e.left + o, above); break;
    case sclTopCenter: p.Pos = TPoint(centred, above); break;
    case sclTopRight: p.Pos = TPoint(rightEnds, above); break;
    case sclLeftTop: p.Pos = TPoint(e.left - lw - s - i, e.top + o + 3); break;
    case sclBottomLeft: p.Pos = TPoint(e.left + o, below); break;
    case sclBottomCenter: p.Pos = TPoint(centred, below); break;
    case sclBottomRight: p.Pos = TPoint(rightEnds, below); break;
    case sclRight: p.Pos = TPoint(s + e.left + ew + i, centre(in.Label.cy) - 1 + o); break;
    case sclRightTop: p.Pos = TPoint(s + e.left + ew + i, e.top + o + 3); break;
    case sclLeftLeft:
        p.Height = in.FontTextHeight;
        p.CenterVertically = true;
        p.Pos = TPoint(e.left + i - lw - s, centre(p.Height) - 1 + o);
        if (in.EditDock == ldLeft) {
            p.Dock = ldLeft;
            p.HasAlignment = true;
            p.Alignment = taLeftJustify;
        }
        break;
    case sclRightRight:
        p.Height = in.CanvasTextHeight;
        p.Pos = TPoint(s + e.left + ew - i, centre(p.Height) - 1 + o);
        if (in.EditDock == ldRight) {
            p.Dock = ldRight;
            p.HasAlignment = true;
            p.Alignment = taRightJustify;
        }
        break;
    }
    return p;
}
