#include "skin/graphics/alpha_ops.h"

#include <algorithm>

#include "skin/engine/core/shared_settings.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/colors.h"

namespace {

// r cut to the view: left and top raised to 0, right and bottom lowered to the size.
TRect ClipToView(const TPixelView& v, const TRect& r)
{
    return TRect::Intersect(r, v.Bounds());
}

template <typename Proc>
void ForEachInRect(const TPixelView& v, const TRect& r, Proc proc)
{
    if (v.IsNull()) return;
    TRect c = ClipToView(v, r);
    if (c.IsEmpty()) return;
    for (int y = c.top; y < c.bottom; ++y) {
        uint32_t* row = v.Row(y);
        for (int x = c.left; x < c.right; ++x) proc(row[x]);
    }
}

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFFu; }

}  // namespace

void ByteSwapArray32(uint32_t* first, int count)
{
    for (int i = 0; i < count; ++i) first[i] = ByteSwap32(first[i]);
}

void FillPixelRun32(uint32_t* first, int count, uint32_t value)
{
    if (count > 0) std::fill(first, first + count, value);
}

void FillRectAlpha32(const TPixelView& v, const TRect& r, TColor color, uint8_t alpha)
{
    const uint32_t value = (ExchangeRB32(static_cast<uint32_t>(color)) & 0x00FFFFFFu) | (uint32_t(alpha) << 24);
    ForEachInRect(v, r, [value](uint32_t& p) { p = value; });
}

void FillBorderStrips32(const TPixelView& v, const TRect& r, int left, int top, int right, int bottom, TColor color)
{
    FillRectAlpha32(v, TRect(r.left, r.top, r.right, r.top + top), color, 255);
    FillRectAlpha32(v, TRect(r.left, r.top + top, r.left + left, r.bottom), color, 255);
    FillRectAlpha32(v, TRect(r.left + left, r.bottom - bottom, r.right, r.bottom), color, 255);
    FillRectAlpha32(v, TRect(r.right - right, r.top + top, r.right, r.bottom - bottom), color, 255);
}

void FillAroundRect32(const TPixelView& v, const TRect& outer, const TRect& inner, TColor color, uint8_t alpha)
{
    FillRectAlpha32(v, TRect(outer.left, outer.top, outer.right, inner.top), color, alpha);
    FillRectAlpha32(v, TRect(outer.left, inner.top, inner.left, inner.bottom), color, alpha);
    FillRectAlpha32(v, TRect(inner.right, inner.top, outer.right, inner.bottom), color, alpha);
    FillRectAlpha32(v, TRect(outer.left, inner.bottom, outer.right, outer.bottom), color, alpha);
}

void BlendColorRect32(const TPixelView& v, const TRect& r, uint8_t weight, TColor color)
{
    const uint32_t c = ExchangeRB32(static_cast<uint32_t>(color));   // pixel order
    const uint32_t w = weight, iw = 255u - weight;
    ForEachInRect(v, r, [&](uint32_t& p) {
        uint32_t out = p & 0xFF000000u;
        for (int s = 0; s < 24; s += 8) out |= (((w * Channel(p, s) + iw * Channel(c, s)) >> 8) & 0xFFu) << s;
        p = out;
    });
}

void TintRectAlpha32(const TPixelView& v, const TRect& r, TColor color, int percent, uint8_t alpha)
{
    const uint32_t c = ExchangeRB32(static_cast<uint32_t>(color));
    ForEachInRect(v, r, [&](uint32_t& p) {
        uint32_t out = uint32_t(alpha) << 24;
        for (int s = 0; s < 24; s += 8) {
            int ch = int(Channel(p, s)), cc = int(Channel(c, s));
            int value = std::clamp(ch - (ch - cc) * percent / 100, 0, 255);
            out |= uint32_t(value) << s;
        }
        p = out;
    });
}

void SetRectAlpha32(const TPixelView& v, const TRect& r, uint8_t alpha, uint32_t key)
{
    const uint32_t a = uint32_t(alpha) << 24;
    if (key == static_cast<uint32_t>(clNone))
        ForEachInRect(v, r, [a](uint32_t& p) { p = (p & 0x00FFFFFFu) | a; });
    else
        ForEachInRect(v, r, [a, key](uint32_t& p) {
            if (p != key) p = (p & 0x00FFFFFFu) | a;
        });
}

void PremultiplyAlphaRect32(const TPixelView& v, const TRect& r, bool compositionOn)
{
    ForEachInRect(v, r, [compositionOn](uint32_t& p) {
        const uint32_t a = p >> 24;
        const bool nearWhite = !compositionOn && Channel(p, 0) >= 245 && Channel(p, 8) >= 245 && Channel(p, 16) >= 245;
        uint32_t out = p & 0xFF000000u;
        for (int s = 0; s < 24; s += 8) {
            uint32_t ch = (Channel(p, s) * a) >> 8;
            if (nearWhite && ch > 244) ch = 244;
            out |= ch << s;
        }
        p = out;
    });
}

void PremultiplyAlpha32(const TPixelView& v, bool compositionOn)
{
    PremultiplyAlphaRect32(v, v.Bounds(), compositionOn);
}

void MakeOpaqueIfNoAlpha32(const TPixelView& v)
{
    if (v.IsNull()) return;
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x)
            if (v.At(x, y) >> 24) return;
    const uint32_t key = v.At(0, v.Height - 1) & 0x00FFFFFFu;
    ForEachInRect(v, v.Bounds(), [key](uint32_t& p) {
        if (p != key) p |= 0xFF000000u;
    });
}

void FillTransPixels32(const TPixelView& dest, const TPixelView& source, const TRect& r, const TPoint& sourcePoint,
                       int maskIndex, const TacSkinPaintSource* skinData, int corner)
{
    if (dest.IsNull() || source.IsNull() || sourcePoint.x < 0 || sourcePoint.y < 0) return;
    // Rect inside Dest, Source from sourcePoint on: every bitmap bounds the area.
    TRect area = TRect::Intersect(r, dest.Bounds());
    if (area.IsEmpty()) return;
    int sx = sourcePoint.x + (area.left - r.left), sy = sourcePoint.y + (area.top - r.top);
    int cols = std::min(area.Width(), source.Width - sx);
    int rows = std::min(area.Height(), source.Height - sy);
    if (cols <= 0 || rows <= 0) return;

    if (maskIndex != -1) {
        if (!skinData || !skinData->IsValidImgIndex(maskIndex)) return;
        const TsMaskData& m = skinData->Image(maskIndex);
        const TPixelView map = ImageSourceBitmap(m);
        if (map.IsNull()) return;
        int mx = m.R.left, my = m.R.top;
        if (corner == 14 || corner == 17) mx += m.Width - m.WR;
        if (corner == 16 || corner == 17) my += m.Height - m.WB;
        // The map's part of the area is the same offset into the corner as the area's into r.
        mx += area.left - r.left;
        my += area.top - r.top;
        if (mx < 0 || my < 0) return;
        cols = std::min(cols, map.Width - mx);
        rows = std::min(rows, map.Height - my);
        for (int j = 0; j < rows; ++j) {
            const uint32_t* mrow = map.Row(my + j) + mx;
            const uint32_t* srow = source.Row(sy + j) + sx;
            uint32_t* drow = dest.Row(area.top + j) + area.left;
            for (int i = 0; i < cols; ++i)
                if ((mrow[i] & 0x00FFFFFFu) == 0x00FF00FFu) drow[i] = srow[i];
        }
        return;
    }
    for (int j = 0; j < rows; ++j) {
        const uint32_t* srow = source.Row(sy + j) + sx;
        uint32_t* drow = dest.Row(area.top + j) + area.left;
        for (int i = 0; i < cols; ++i) {
            drow[i] &= 0x00FFFFFFu;
            if (drow[i] == 0x00FF00FFu) drow[i] = srow[i];
        }
    }
}

void ApplyGlyphEffects32(const TPixelView& v, int kinds, const TCacheInfo& background, const TPoint& point,
                         TColor fallbackColor)
{
    if (v.IsNull()) return;
    if (kinds & gekGrayed) {
        if (SharedGraySaturation == -100)
            GrayscaleRows(v.Row0, v.Stride, v.Width, v.Height, clNone);
        else
            ForEachPixelRows(v.Row0, v.Stride, v.Width, v.Height, AdjustPixelSaturation,
                             SharedGraySaturation * 255 / 100, 0xFF00FF);
    }
    if (kinds & gekBlended) {
        if (background.Ready) {
            TRect r = v.Bounds();
            r.Offset(background.X + point.x, background.Y + point.y);
            BlendRectAt32(v, 0, 0, background.Bmp, r, SharedBlendValue, 0xFF00FF);
        } else {
            TColor c = background.FillColor != 0xFF00FF ? background.FillColor : fallbackColor;
            BlendColorRect32(v, v.Bounds(), SharedBlendValue, c);
        }
    }
}

void ComposeTextMask32(const TPixelView& v, const TPixelView& text, const TRect& r, TColor color, int mode)
{
    if (v.IsNull() || text.IsNull()) return;
    const int tx = r.left < 0 ? -r.left : 0, ty = r.top < 0 ? -r.top : 0;
    const int cols = std::min<int>(text.Width - tx, v.Width - (r.left + tx));
    const int rows = std::min<int>(text.Height - ty, v.Height - (r.top + ty));
    if (cols <= 0 || rows <= 0) return;
    const uint32_t c = ExchangeRB32(static_cast<uint32_t>(color));   // pixel order
    for (int j = 0; j < rows; ++j) {
        const uint32_t* trow = text.Row(ty + j) + tx;
        uint32_t* drow = v.Row(r.top + ty + j) + r.left + tx;
        for (int i = 0; i < cols; ++i) {
            const uint32_t t = trow[i];
            if (t == 0x00FFFFFFu || t == 0xFFFFFFFFu) continue;
            uint32_t& d = drow[i];
            if (mode == 0) {
                uint32_t out = 0xFF000000u;
                for (int s = 0; s < 24; s += 8) {
                    int dc = int(Channel(d, s)), cc = int(Channel(c, s)), vc = int(Channel(t, s));
                    out |= uint32_t(((dc - cc) * vc + cc * 256) >> 8) << s;
                }
                d = out;
                continue;
            }
            uint32_t a = d >> 24;
            int level = 0;   // 0 = full coverage
            if ((t & 0x00FFFFFFu) == 0) {
                if (a != 255) a = 254;
            } else {
                level = PixelLuma(t);
                a = std::max<uint32_t>(a, 255u - uint32_t(level));
            }
            uint32_t out = a << 24;
            for (int s = 0; s < 24; s += 8) {
                int64_t dc = Channel(d, s), cc = Channel(c, s);
                int64_t mixed = (t & 0x00FFFFFFu) == 0 ? (dc - cc) + cc * 256 : (dc - cc) * level + cc * 256;
                out |= uint32_t(std::clamp<int64_t>((mixed * a) >> 16, 0, 255)) << s;
            }
            d = out;
        }
    }
}
