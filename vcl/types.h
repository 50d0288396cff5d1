// Colours and geometry shared by the Windows layer and the pure-logic code. No windows.h here:
// on Windows the geometry types derive from the system's POINT, SIZE and RECT (windef.h only),
// so they pass straight to GDI; elsewhere from plain structures with the same members.
#pragma once

#include <algorithm>
#include <cstdint>

#ifdef _WIN32
#include <windef.h>
using TPointBase = POINT;
using TSizeBase = SIZE;
using TRectBase = RECT;
#else
struct TPointBase {
    int32_t x, y;
};
struct TSizeBase {
    int32_t cx, cy;
};
struct TRectBase {
    int32_t left, top, right, bottom;
};
#endif

// ---- Colours -------------------------------------------------------------------------------

// Byte 0 red, 1 green, 2 blue. Byte 3 = 0xFF marks a system colour whose byte 0 is the
// COLOR_ index; ColorToRGB (vcl/graphics.h) turns it into RGB.
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t v) { return static_cast<TColor>(v); }
constexpr TColor SysColor(int index) { return TColorOf(0xFF000000u | static_cast<uint32_t>(index)); }
constexpr bool IsSysColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0xFF000000u; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// ---- Text placement ------------------------------------------------------------------------

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
// Reading order and alignment: bdLeftToRight; bdRightToLeft mirrors alignment and reading;
// bdRightToLeftNoAlign reads right to left without mirroring; bdRightToLeftReadingOnly reads
// right to left and keeps the alignment.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// ---- Geometry ------------------------------------------------------------------------------

struct TPoint : TPointBase {
    constexpr TPoint() : TPointBase{0, 0} {}
    constexpr TPoint(int ax, int ay) : TPointBase{ax, ay} {}
    constexpr TPoint(const TPointBase& p) : TPointBase(p) {}
    friend constexpr bool operator==(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }
    friend constexpr TPoint operator+(const TPoint& a, const TPoint& b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr TPoint operator-(const TPoint& a, const TPoint& b) { return {a.x - b.x, a.y - b.y}; }
    constexpr int X() const { return x; }
    constexpr int Y() const { return y; }
    constexpr void Offset(int dx, int dy) { x += dx; y += dy; }
};

struct TSize : TSizeBase {
    constexpr TSize() : TSizeBase{0, 0} {}
    constexpr TSize(int w, int h) : TSizeBase{w, h} {}
    constexpr TSize(const TSizeBase& s) : TSizeBase(s) {}
    friend constexpr bool operator==(const TSize& a, const TSize& b) { return a.cx == b.cx && a.cy == b.cy; }
    constexpr int Width() const { return cx; }
    constexpr int Height() const { return cy; }
};

// Right and bottom are exclusive, as everywhere in GDI.
struct TRect : TRectBase {
    constexpr TRect() : TRectBase{0, 0, 0, 0} {}
    constexpr TRect(int l, int t, int r, int b) : TRectBase{l, t, r, b} {}
    constexpr TRect(const TPoint& topLeft, const TPoint& bottomRight)
        : TRectBase{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}
    constexpr TRect(const TRectBase& r) : TRectBase(r) {}
    friend constexpr bool operator==(const TRect& a, const TRect& b)
    {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }

    constexpr int Left() const { return left; }
    constexpr int Top() const { return top; }
    constexpr int Right() const { return right; }
    constexpr int Bottom() const { return bottom; }
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr void SetWidth(int w) { right = left + w; }
    constexpr void SetHeight(int h) { bottom = top + h; }
    constexpr TSize Size() const { return {Width(), Height()}; }
    constexpr TPoint TopLeft() const { return {left, top}; }
    constexpr TPoint BottomRight() const { return {right, bottom}; }
    constexpr TPoint CenterPoint() const { return {left + Width() / 2, top + Height() / 2}; }
    // Empty when it covers no pixel (a width or height of 0 or less).
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(const TPoint& p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool Contains(const TRect& r) const
    {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }
    constexpr bool IntersectsWith(const TRect& r) const
    {
        return left < r.right && r.left < right && top < r.bottom && r.top < bottom;
    }
    constexpr void Offset(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    constexpr void Inflate(int dx, int dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
    // Moves the rectangle so that its top-left corner is (x, y), keeping its size.
    constexpr void SetLocation(int x, int y) { Offset(x - left, y - top); }
    // Swaps edges so that left <= right and top <= bottom.
    constexpr void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    // The common part (an all-zero rectangle when they do not meet).
    static constexpr TRect Intersect(const TRect& a, const TRect& b)
    {
        TRect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
        return r.IsEmpty() ? TRect() : r;
    }
    // The smallest rectangle holding both (an empty one does not count).
    static constexpr TRect Union(const TRect& a, const TRect& b)
    {
        if (a.IsEmpty()) return b;
        if (b.IsEmpty()) return a;
        return TRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom));
    }
};

constexpr TPoint Point(int x, int y) { return {x, y}; }
constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
