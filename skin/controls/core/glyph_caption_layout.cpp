#include "skin/controls/core/glyph_caption_layout.h"

#include <algorithm>

// ---- bit button ----

TSize BitBtnGlyphSize(const TacBitBtnGlyphSource& in)
{
    if (in.ValidImage) return TSize(std::max(in.ImageWidth, 0), std::max(in.ImageHeight, 0));
    if (in.StripWidth <= 0 || in.StripHeight <= 0) return TSize(0, 0);
    return TSize(in.StripWidth / std::max(in.NumGlyphs, 1), in.StripHeight);
}

int BitBtnCaptionRoom(int width, int margin, int layout, int glyphWidth, int spacing)
{
    int room = width - 2 * margin;
    if ((layout == glLeft || layout == glRight) && glyphWidth > 0) room -= glyphWidth + spacing;
    return room;
}

TRect BitBtnImgRect(const TPoint& glyphPos, const TSize& glyph, bool pressedShift, bool reflected)
{
    TRect r(glyphPos.x, glyphPos.y, glyphPos.x + glyph.cx, glyphPos.y + glyph.cy);
    if (pressedShift) r.Offset(1, 1);
    // The mirror image below needs room: the bit button lifts by the width (the speed button by
    // the height).
    if (reflected) r.Offset(0, -(glyph.cx / 6));
    return r;
}

TRect OffsetCaption(const TRect& caption, int layout, int offset)
{
    TRect r = caption;
    if (layout == glLeft || layout == glRight)
        r.Offset(offset, 0);
    else
        r.Offset(0, offset);
    return r;
}

int BitBtnCurrentState(const TacBitBtnStateInput& in)
{
    if (in.Down) return 2;
    if (in.Pushed && (in.MouseAbove || !in.LeftDownOnIt || in.NoMouseHover)) return 2;
    if (!in.Designing && in.LinkState == 1) return 1;
    if (!in.Default) return 0;
    return in.FocusOnOwnerDrawnButton ? 0 : 3;
}

// ---- glyph drawing ----

int GlyphDrawState(int state, bool enabled, int numGlyphs, bool stdOrder)
{
    if (!stdOrder) return state;
    if (state == 0) return enabled ? 0 : 1;
    if (state == 1) return 0;
    return numGlyphs < 3 ? 0 : state;
}

int ListGlyphBlend(int blend, int state, bool enabled, bool blendedWhenDisabled)
{
    return std::max(state == 0 ? blend : 0, !enabled && blendedWhenDisabled ? 50 : 0);
}

int GlyphStripCell(int state, int numGlyphs) { return std::max(0, std::min(state, std::max(numGlyphs, 1) - 1)); }

int CanvasGlyphAlphaPercent(int blend, int state, bool enabled, bool blendedWhenDisabled)
{
    if (state != 0) return 0;
    return !enabled && blendedWhenDisabled ? std::max(blend, 50) : blend;
}

bool CanvasGlyphGray(int state, bool enabled, bool grayed, bool grayedWhenDisabled)
{
    return (!enabled && grayedWhenDisabled) || (state == 0 && grayed);
}

bool GlyphNeedsAlphaCheck(bool deviceBitmap, bool enabled, bool is32Bit, bool hasManager, int skinIndex,
                          bool checkEmptyAlpha)
{
    return deviceBitmap || !enabled || (is32Bit && (!hasManager || skinIndex < 0 || checkEmptyAlpha));
}

// ---- speed button ----

namespace {

// value * ppi / 96 rounded to the nearest, halves away from zero.
int MulDiv96(int value, int ppi)
{
    const long long p = static_cast<long long>(value) * ppi;
    return static_cast<int>(p >= 0 ? (p + 48) / 96 : -((-p + 48) / 96));
}

TRect Finish(TRect r, const TacSpeedButtonInput& in, bool final)
{
    if (!final) return r;
    if (in.RightToLeft) {
        const int l = in.Width - r.right;
        r.right = in.Width - r.left;
        r.left = l;
    }
    if (in.PressedShift && in.State == 2) r.Offset(1, 1);
    return r;
}

}  // namespace

int SpeedArrowWidth(const TacSpeedButtonInput& in) { return in.DropDown ? SpeedScale(16, in.Ppi) : 0; }

int SpeedContentMargin(const TacSpeedButtonInput& in) { return in.Margin >= 0 ? SpeedScale(in.Margin + 3, in.Ppi) : 0; }

int SpeedCaptionRoom(const TacSpeedButtonInput& in)
{
    if (!in.ShowCaption || !in.HasCaption) return 0;
    int room = in.Width - 2 * std::max(in.Margin, 0) - SpeedArrowWidth(in);
    if ((in.Layout == glLeft || in.Layout == glRight) && in.GlyphWidthFlagged != 0)
        room -= in.GlyphWidthFlagged + in.Spacing;
    return room;
}

unsigned SpeedCaptionMeasureFlags(const TacSpeedButtonInput& in)
{
    constexpr unsigned kCalcRect = 0x400, kExpandTabs = 0x40, kWordBreak = 0x10, kSingleLine = 0x20;
    constexpr unsigned kWordEllipsis = 0x40000, kEndEllipsis = 0x8000, kPathEllipsis = 0x4000;
    unsigned flags = kCalcRect | kExpandTabs | (in.WordWrap ? kWordBreak : kSingleLine);
    if (in.Ellipsis) flags |= kWordEllipsis | kEndEllipsis | kPathEllipsis;
    return flags;
}

bool SpeedPressedShift(int state, bool contentShifts, bool skinnedWithManager, bool sectionHasBorder, bool mouseCaptured)
{
    if (state != 2 || !contentShifts) return false;
    return !(skinnedWithManager && !sectionHasBorder && !mouseCaptured);
}

TRect CalcButtonCaptionRect(const TacSpeedButtonInput& in, bool final)
{
    const int W = in.Width, H = in.Height, A = SpeedArrowWidth(in), CM = SpeedContentMargin(in);
    const int tw = in.TextWidth, th = in.TextHeight;
    const int gw = in.Alignment != baCenter ? in.GlyphWidthFlagged : in.GlyphWidth;
    const int gs = gw > 0 && in.HasCaption ? SpeedScale(in.Spacing, in.Ppi) : 0;
    TRect r;
    switch (in.Layout) {
    case glLeft: {
        const int free = W - A - tw - gw - gs - 2 * CM;
        r.top = (H - th) / 2;
        r.bottom = r.top + th;
        if (in.Alignment == baLeft) {
            if (in.TextAlignment == baLeft)
                r.left = CM + gw + gs;
            else if (in.TextAlignment == baRight)
                r.left = gw == 0 ? CM : W - CM - tw - A;
            else
                r.left = gw == 0 ? CM : free / 2 + gw + CM;
            r.right = r.left + tw;
        } else if (in.Alignment == baRight) {
            r.right = W - A - CM;
            r.left = r.right - tw;
        } else {
            r.left = free / 2 + CM + gw + gs;
            r.right = r.left + tw;
        }
        break;
    }
    case glRight: {
        const int room = W - A - gw - gs - 2 * CM;
        r.top = (H - th) / 2;
        r.bottom = r.top + th;
        if (in.Alignment == baLeft) {
            r.left = CM;
            r.right = CM + tw;
        } else if (in.Alignment == baCenter) {
            r.left = (W - A - gw - gs - tw) / 2;
            r.right = r.left + tw;
        } else if (in.TextAlignment == baLeft) {
            r.left = gw == 0 ? W - CM - tw - A : CM;
            r.right = CM + room;
        } else if (in.TextAlignment == baRight) {
            r.left = W - CM - gw - gs - tw - A;
            r.right = CM + room;
        } else {
            r.left = gw == 0 ? W - CM - tw - A : (W - CM - gw - tw - A) / 2;
            r.right = r.left + tw;
        }
        break;
    }
    default: {
        const int gh = in.GlyphHeight;
        const int gv = gh > 0 && in.HasCaption ? gs : 0;
        const int y = (H - gh - gv - th) / 2 - CM;
        r.left = (W - tw - A) / 2;
        r.right = W - r.left - A;
        if (in.Layout == glTop) {
            r.top = CM + y + gh + gv;
            r.bottom = H - y - CM;
        } else {
            r.top = CM + y;
            r.bottom = H - y - CM - gh - gv;
        }
        break;
    }
    }
    const int offset = SpeedScale(in.TextOffset, in.Ppi);
    if (in.Layout == glLeft || in.Layout == glRight) {
        r.left += offset;
        r.right += offset;
    } else {
        r.top += offset;
        r.bottom += offset;
    }
    return Finish(r, in, final);
}

TRect CalcButtonGlyphRect(const TacSpeedButtonInput& in, bool final)
{
    const int W = in.Width, H = in.Height, A = SpeedArrowWidth(in), CM = SpeedContentMargin(in);
    const int tw = in.TextWidth, th = in.TextHeight;
    const int gw = in.GlyphWidth, gh = in.GlyphHeight;
    const int gsp = in.ShowCaption && gw > 0 && in.HasCaption ? MulDiv96(in.Spacing, in.Ppi) : 0;
    const int x0 = (W - A - gw - gsp - tw) / 2 - CM;
    const int y0 = (H - gh - gsp - th) / 2 - CM;
    int left = 0, top = 0;
    switch (in.Layout) {
    case glLeft:
        left = in.Alignment == baLeft ? CM : in.Alignment == baRight ? 2 * x0 + CM : CM + x0;
        top = (H - gh) / 2;
        break;
    case glRight:
        if (in.Alignment == baLeft)
            left = CalcButtonCaptionRect(in, true).right + gsp - (in.State == 2 ? 1 : 0);
        else if (in.Alignment == baCenter)
            left = (W - A - gw + gsp + tw) / 2;
        else
            left = W - A - gw - CM;
        top = (H - gh) / 2;
        break;
    case glTop:
        left = (W - A - gw) / 2 + 1;
        top = CM + y0;
        break;
    default:
        left = (W - A - gw) / 2 + 1;
        top = H - CM - y0 - gh;
        break;
    }
    TRect r = Finish(TRect(left, top, left + gw, top + gh), in, final);
    // Room for the mirror image below: the speed button lifts by the height.
    if (in.Reflected) r.Offset(0, -(r.Height() / 6));
    return r;
}
