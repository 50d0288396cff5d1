// Small geometry, choice and DPI routines that every painter and control calls for every
// element it paints: they allocate nothing and return records by value. No windows.h here.
#pragma once

#include <algorithm>
#include <limits>

#include "skin/engine/core/skin_records.h"
#include "vcl/types.h"

// ---- builders and measures -------------------------------------------------------------------

// Right and bottom first: almost every call builds the W x H area at the origin, BuildRect(W, H, 0, 0).
constexpr TRect BuildRect(int right, int bottom, int left, int top) { return TRect(left, top, right, bottom); }
constexpr TRect AssignRect(int left, int top, int right, int bottom) { return TRect(left, top, right, bottom); }
constexpr TRect RectOfSize(const TSize& s) { return TRect(0, 0, s.cx, s.cy); }
constexpr TPoint BuildPoint(int x, int y) { return TPoint(x, y); }
constexpr TSize BuildSize(int cx, int cy) { return TSize(cx, cy); }

constexpr int GetRectWidth(const TRect& r, bool noNegative = false)
{
    int w = r.right - r.left;
    return noNegative && w < 0 ? 0 : w;
}
constexpr int GetRectHeight(const TRect& r, bool noNegative = false)
{
    int h = r.bottom - r.top;
    return noNegative && h < 0 ? 0 : h;
}
// A negative width or height becomes 0.
constexpr TSize SizeOfRect(const TRect& r) { return TSize(GetRectWidth(r, true), GetRectHeight(r, true)); }

constexpr TRect OffsetRectDiagonal(const TRect& r, int d) { return TRect(r.left + d, r.top + d, r.right + d, r.bottom + d); }
constexpr TRect OffsetRectCopy(const TRect& r, int dx, int dy) { return TRect(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy); }
// A padding's four sides (96-PPI units, read through Left(), Top(), Right() and Bottom()) at a PPI.
template <class Padding>
constexpr TRect ScalePaddingToRect(const Padding& p, int ppi)
{
    return TRect(p.Left() * ppi / 96, p.Top() * ppi / 96, p.Right() * ppi / 96, p.Bottom() * ppi / 96);
}
constexpr void DeflateRectByMargins(TRect& r, const TRect& margins)
{
    r.left += margins.left;
    r.top += margins.top;
    r.right -= margins.right;
    r.bottom -= margins.bottom;
}

// Not normalised: disjoint rectangles give a negative width or height.
constexpr TRect RectIntersection(const TRect& a, const TRect& b)
{
    return TRect(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                 a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
}
constexpr TRect RectUnion(const TRect& a, const TRect& b)
{
    return TRect(a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                 a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom);
}
constexpr bool RectsOverlap(const TRect& a, const TRect& b)
{
    return a.top < b.bottom && a.left < b.right && b.left < a.right && b.top < a.bottom && !b.IsEmpty();
}
// Outer's right and bottom edges count as inside. Whole: both corners of Inner inside Outer;
// otherwise: the two overlap.
constexpr bool RectHitTest(const TRect& outer, const TRect& inner, bool whole)
{
    TRect o(outer.left, outer.top, outer.right + 1, outer.bottom + 1);
    if (whole) return o.Contains(inner.TopLeft()) && o.Contains(inner.BottomRight());
    return inner.left < o.right && o.left < inner.right && inner.top < o.bottom && o.top < inner.bottom;
}
// Swap: x and y exchanged; otherwise a quarter turn within height h.
constexpr TRect RotateRect90(const TRect& r, bool swap, int h)
{
    if (swap) return TRect(r.top, r.left, r.bottom, r.right);
    return TRect(r.top, h - r.right, r.bottom, h - r.left);
}
constexpr void MirrorRectInSize(TRect& r, int w, int h, bool horizontal)
{
    if (horizontal) {
        int l = w - r.right;
        r.right = w - r.left;
        r.left = l;
    } else {
        int t = h - r.bottom;
        r.bottom = h - r.top;
        r.top = t;
    }
}
constexpr void MirrorRectInBounds(TRect& r, const TRect& bounds, bool horizontal)
{
    if (horizontal) {
        int l = bounds.left + bounds.right - r.right;
        r.right = bounds.right + bounds.left - r.left;
        r.left = l;
    } else {
        int t = bounds.top + bounds.bottom - r.bottom;
        r.bottom = bounds.bottom + bounds.top - r.top;
        r.top = t;
    }
}

inline TCacheInfo BuildCacheInfo(const TPixelView& bmp, int x, int y)
{
    TCacheInfo ci;
    ci.Bmp = bmp;
    ci.X = x;
    ci.Y = y;
    ci.FillColor = 0xFF00FF;
    ci.FillRect = TRect();
    ci.Ready = true;
    return ci;
}

// ---- comparisons and choices -----------------------------------------------------------------

constexpr int ChooseInt(bool condition, int ifTrue, int ifFalse) { return condition ? ifTrue : ifFalse; }
inline String ChooseStr(bool condition, const String& ifTrue, const String& ifFalse) { return condition ? ifTrue : ifFalse; }
constexpr int LargerOf(int a, int b) { return a > b ? a : b; }
constexpr int SmallerOf(int a, int b) { return a < b ? a : b; }
// Low is tested first, so Low wins when Low > High.
constexpr int ClampInt(int value, int low, int high) { return value < low ? low : value > high ? high : value; }
constexpr void SwapInts(int& a, int& b)
{
    int t = a;
    a = b;
    b = t;
}
// AnyOrder with A >= B tests B <= Value <= A; otherwise A <= Value <= B.
constexpr bool ValueBetween(int value, int a, int b, bool anyOrder)
{
    if (!anyOrder || a < b) return a <= value && value <= b;
    return b <= value && value <= a;
}
constexpr bool IndexWithin(int index, int count, int low = 0) { return low <= index && index < count; }

// ---- DPI scaling -----------------------------------------------------------------------------

// Value x PPI div 96, truncated toward zero (120 PPI: 13 -> 16, -13 -> -16).
constexpr int ScaleByPpi(int value, int ppi) { return value * ppi / 96; }
// Steps 0..3 stand for 96, 120, 144 and 192 PPI; compared unsigned, so a negative PPI is step 3.
constexpr int ScaleStepOfPpi(int ppi)
{
    auto p = static_cast<unsigned>(ppi);
    return p <= 110 ? 0 : p <= 134 ? 1 : p <= 170 ? 2 : 3;
}
constexpr int ScaleByScaleStep(int value, int step)
{
    // Worked in 64 bits and kept within int: a skin description's number may be as large as int.
    const long long v = value;
    long long r = v;
    switch (step) {
    case 1: r = v + v / 4; break;
    case 2: r = v + v / 2; break;
    case 3: r = v * 2; break;
    default: break;
    }
    return static_cast<int>(std::clamp<long long>(r, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
constexpr int PpiOfScaleStep(int step)
{
    constexpr int ppis[4] = {96, 120, 144, 192};
    return step >= 0 && step < 4 ? ppis[step] : 96;
}
