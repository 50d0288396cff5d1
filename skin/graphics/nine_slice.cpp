#include "skin/graphics/nine_slice.h"

#include <algorithm>

#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/alpha_compose.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/resample.h"

namespace {

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFFu; }

enum class TKind { Keyed, Alpha, Masked };
// The nine-slice forms: plain, for a layered window's image, and an outer effect at an opacity.
enum class TVariant { Standard, Layered, Blended };

TKind KindOf(const TsMaskData& m)
{
    if (m.MaskType != 0) return TKind::Masked;
    return (m.DrawMode & dmAlpha32) ? TKind::Alpha : TKind::Keyed;
}

// An inclusive rectangle of a w x h piece at (x, y).
inline TRect Inclusive(int x, int y, int w, int h) { return TRect(x, y, x + w - 1, y + h - 1); }

// Composes exactly the w x h piece at (sx, sy) onto (dx, dy) by its alpha at opacity 255.
void ComposePiece(const TPixelView& dest, int dx, int dy, const TPixelView& src, int sx, int sy, int w, int h)
{
    if (w <= 0 || h <= 0) return;
    ComposeWalk32(dest, src, WalkInclusive(dest, dx, dy, src, Inclusive(sx, sy, w, h), true), 255);
}

// Painting of one image into one destination rectangle (all pieces clipped to it).
class TNineSlicePainter {
public:
    TNineSlicePainter(const TPixelView& dest, const TRect& target, const TPixelView& source, const TsMaskData& mask,
                      const TCacheInfo& background, bool fillCorners, TVariant variant = TVariant::Standard,
                      uint8_t blend = 255)
        : FMask(mask), FSource(source), FKind(KindOf(mask)),
          FFillCorners(fillCorners && (mask.Cfg & 3) != 0), FVariant(variant), FBlend(blend)
    {
        const TRect clip = TRect::Intersect(target, dest.Bounds());
        FFull = dest;
        FDest = dest.Sub(clip);
        FX0 = clip.left;
        FY0 = clip.top;
        // A background image that is the destination itself is read through the same offsets.
        FBackground = background;
    }
    bool Empty() const { return FDest.IsNull(); }

    // A corner: copied at its size, see-through pixels filled when asked. Corners lie inside the
    // target by construction, so they are drawn on the whole destination (its own coordinates,
    // which the background's offsets refer to).
    void Corner(int dx, int dy, int sx, int sy, int w, int h)
    {
        if (w <= 0 || h <= 0) return;
        if (FVariant != TVariant::Standard) {
            // Layered and blended images: the corners always show the saved background.
            const TRect d(dx, dy, dx + w, dy + h), s(sx, sy, sx + w, sy + h);
            switch (FKind) {
            case TKind::Keyed:
                CopyKeyedRect32(FFull, FSource, dx, dy, Inclusive(sx, sy, w, h), 0x00FF00FFu, FBackground, true);
                break;
            case TKind::Alpha:
                ComposeWalk32(FFull, FSource, WalkInclusive(FFull, dx, dy, FSource, Inclusive(sx, sy, w, h), true),
                              FVariant == TVariant::Blended ? FBlend : 255);
                break;
            case TKind::Masked:
                if (FVariant == TVariant::Layered)
                    CopyMaskedPieceLayered32(d, s, FFull, FSource, FBackground, FMask);
                else
                    CopyMaskedPieceBlended32(d, s, FFull, FSource, FBackground, FMask, FBlend);
                break;
            }
            return;
        }
        const TCacheInfo& bg = FFillCorners ? FBackground : EmptyCacheInfo;
        switch (FKind) {
        case TKind::Keyed:
            CopyKeyedRect32(FFull, FSource, dx, dy, Inclusive(sx, sy, w, h), 0x00FF00FFu, bg, FFillCorners);
            break;
        case TKind::Alpha: ComposePiece(FFull, dx, dy, FSource, sx, sy, w, h); break;
        case TKind::Masked:
            CopyMaskedRect32(TRect(dx, dy, dx + w, dy + h), TRect(sx, sy, sx + w, sy + h), FFull, FSource, bg,
                             FFillCorners, FMask);
            break;
        }
    }
    // A part of a side or the centre at its size. A keyed piece is copied as it is, key-coloured
    // pixels included: only the corners treat them as see-through.
    void Piece(int dx, int dy, int sx, int sy, int w, int h)
    {
        if (w <= 0 || h <= 0) return;
        if (FVariant != TVariant::Standard && FKind != TKind::Keyed) {
            const TRect d(dx - FX0, dy - FY0, dx - FX0 + w, dy - FY0 + h), s(sx, sy, sx + w, sy + h);
            if (FKind == TKind::Alpha && FVariant == TVariant::Layered)
                CopyBlock32(FDest, d.left, d.top, FSource, s);   // colour and alpha as they are
            else if (FKind == TKind::Alpha)
                ComposeWalk32(FDest, FSource, WalkInclusive(FDest, d.left, d.top, FSource, Inclusive(sx, sy, w, h), true),
                              FBlend);
            else if (FVariant == TVariant::Layered)
                CopyMaskedPieceLayered32(d, s, FDest, FSource, EmptyCacheInfo, FMask);
            else
                CopyMaskedPieceBlended32(d, s, FDest, FSource, EmptyCacheInfo, FMask, FBlend);
            return;
        }
        switch (FKind) {
        case TKind::Keyed: CopyBlock32(FDest, dx - FX0, dy - FY0, FSource, TRect(sx, sy, sx + w, sy + h)); break;
        case TKind::Alpha: ComposePiece(FDest, dx - FX0, dy - FY0, FSource, sx, sy, w, h); break;
        case TKind::Masked:
            CopyMaskedRect32(TRect(dx - FX0, dy - FY0, dx - FX0 + w, dy - FY0 + h), TRect(sx, sy, sx + w, sy + h), FDest,
                             FSource, EmptyCacheInfo, false, FMask);
            break;
        }
    }
    // A side or the centre stretched over the destination area.
    void Stretched(const TRect& d, int sx, int sy, int sw, int sh, bool centre)
    {
        if (d.IsEmpty() || sw <= 0 || sh <= 0) return;
        // Only the part of the area inside the target is drawn, scaled as the whole area would be.
        switch (FKind) {
        case TKind::Keyed:
            StretchBlock32(FDest, TRect(d.left - FX0, d.top - FY0, d.right - FX0, d.bottom - FY0), FSource,
                           TRect(sx, sy, sx + sw, sy + sh));
            break;
        case TKind::Alpha:
            StretchComposeAt32(FDest, d.left - FX0, d.top - FY0, d.Width(), d.Height(), FSource, sx, sy, sw, sh,
                               FVariant == TVariant::Blended ? FBlend : 255);
            break;
        case TKind::Masked:
            if (FVariant == TVariant::Layered)
                StretchMaskPieceLayered32(d.left - FX0, d.top - FY0, d.Width(), d.Height(), sx, sy, sw, sh, FDest,
                                          FSource, FMask.Height, centre);
            else if (FVariant == TVariant::Blended)
                StretchMaskPieceBlended32(d.left - FX0, d.top - FY0, d.Width(), d.Height(), sx, sy, sw, sh, FDest,
                                          FSource, FMask.Height, FBlend, centre);
            else
                StretchMaskPiece32(d.left - FX0, d.top - FY0, d.Width(), d.Height(), sx, sy, sw, sh, FDest, FSource,
                                   FMask.Height, centre);
            break;
        }
    }
    // A side tiled along its length from p to end: whole pieces while p < end - length, then the
    // first end - p pixels of the piece (which may be the whole piece again).
    void TiledColumn(int dx, int p, int end, int sx, int sy, int w, int length)
    {
        if (length <= 0 || w <= 0) return;
        for (; p < end - length; p += length) Piece(dx, p, sx, sy, w, length);
        if (p < end) Piece(dx, p, sx, sy, w, end - p);
    }
    void TiledRow(int p, int dy, int end, int sx, int sy, int length, int h)
    {
        if (length <= 0 || h <= 0) return;
        for (; p < end - length; p += length) Piece(p, dy, sx, sy, length, h);
        if (p < end) Piece(p, dy, sx, sy, end - p, h);
    }

private:
    const TsMaskData& FMask;
    TPixelView FSource;
    TKind FKind;
    bool FFillCorners;
    TVariant FVariant;
    uint8_t FBlend;
    TPixelView FFull;
    TPixelView FDest;
    int FX0 = 0, FY0 = 0;
    TCacheInfo FBackground;
};

// Mixes colour through mask into d: channel := ((d - i) x k + i x 256) shr 8.
inline uint32_t MaskMix(uint32_t d, uint32_t i, uint32_t k, uint32_t alpha)
{
    uint32_t out = alpha << 24;
    for (int s = 0; s < 24; s += 8) {
        const int dc = int(Channel(d, s)), ic = int(Channel(i, s)), kc = int(Channel(k, s));
        out |= uint32_t(std::clamp(((dc - ic) * kc + ic * 256) >> 8, 0, 255)) << s;
    }
    return out;
}

// A piece of sw x sh at (sx, sy) scaled to dw x dh into out: by the Mitchell resampler (through an
// intermediate of at least 2 x 2, a 1-pixel piece in its column or row 1) or by nearest neighbour.
void ScalePiece(const TPixelView& source, int sx, int sy, int sw, int sh, const TPixelView& out, bool resample,
                int filter = rfMitchell)
{
    const TRect piece(sx, sy, sx + sw, sy + sh);
    if (resample) {
        TPixelImage mid(std::max(sw, 2), std::max(sh, 2));
        CopyBlock32(mid.View(), sw == 1 ? 1 : 0, sh == 1 ? 1 : 0, source, piece);
        if (ResampleInto(mid.View(), out, filter)) return;
    }
    StretchBlock32(out, out.Bounds(), source, piece);
}

}  // namespace

TRect ReducedBorders(const TsMaskData& mask, int w, int h)
{
    int l = std::max<int>(mask.WL, 0), t = std::max<int>(mask.WT, 0), rb = std::max<int>(mask.WR, 0),
        b = std::max<int>(mask.WB, 0);
    auto reduce = [](int& first, int& second, int size) {
        if (size >= first + second) return;
        const int e = first + second - size, d = e / 2;
        first -= d;
        second -= d + (e % 2);
        first = std::max(first, 0);
        second = std::max(second, 0);
        // The reduction alone lets one corner reach past the other when they differ a lot.
        first = std::min(first, size);
        second = std::min(second, size - first);
    };
    reduce(l, rb, w);
    reduce(t, b, h);
    return TRect(l, t, rb, b);
}

namespace {

// The nine slices of every form. Blended masked images narrow their side strips to the margins
// (keeping the outer part) and draw no centre; a blended alpha image narrows its stretched left side.
void DrawNineSlice(const TPixelView& dest, const TRect& r, const TCacheInfo& background, const TsMaskData& mask,
                   int state, bool fillCorners, TVariant variant, uint8_t blend, const TRect& margins)
{
    if (dest.IsNull() || !mask.Manager) return;
    if (state == 0 && (mask.DrawMode & dmNoState0)) return;
    const int w = r.Width(), h = r.Height();
    if (w < 2 || h < 2 || mask.ImageCount <= 0) return;
    const TRect borders = ReducedBorders(mask, w, h);
    const int l = borders.left, t = borders.top, rb = borders.right, b = borders.bottom;
    const int s = std::clamp(state, 0, mask.ImageCount - 1);
    const int fw = mask.Width, fh = mask.Height;
    const int cw = fw - l - rb, ch = fh - t - b;
    if (cw < 0 || ch < 0) return;
    const TPixelView source = ImageSourceBitmap(mask);
    if (source.IsNull()) return;
    TNineSlicePainter p(dest, r, source, mask, background, fillCorners, variant, blend);
    if (p.Empty()) return;
    const bool stretch = (mask.DrawMode & dmStretch) != 0;
    const int x0 = mask.R.left + s * fw, y0 = mask.R.top;
    const int RL = r.left, RT = r.top, RR = r.right, RB = r.bottom;

    // Side strip widths (left, top, right, bottom) and the stretched left side's width.
    int lw = l, tw = t, rw = rb, bw = b, stretchedLeft = l;
    const bool blendedMask = variant == TVariant::Blended && KindOf(mask) == TKind::Masked;
    if (variant == TVariant::Blended && KindOf(mask) != TKind::Keyed) {
        const int LW = std::clamp<int>(margins.left, 0, l), TW = std::clamp<int>(margins.top, 0, t);
        const int RW = std::clamp<int>(margins.right, 0, rb), BW = std::clamp<int>(margins.bottom, 0, b);
        stretchedLeft = LW;
        if (blendedMask) {
            lw = LW;
            tw = TW;
            rw = RW;
            bw = BW;
        }
    }

    p.Corner(RL, RT, x0, y0, l, t);
    if (stretch)
        p.Stretched(TRect(RL, RT + t, RL + stretchedLeft, RB - b), x0, y0 + t, stretchedLeft, ch, false);
    else
        p.TiledColumn(RL, RT + t, RB - b, x0, y0 + t, lw, ch);
    if (stretch)
        p.Stretched(TRect(RL + l, RT, RR - rb, RT + tw), x0 + l, y0, cw, tw, false);
    else
        p.TiledRow(RL + l, RT, RR - rb, x0 + l, y0, cw, tw);
    p.Corner(RL, RB - b, x0, y0 + fh - b, l, b);
    if (stretch)
        p.Stretched(TRect(RL + l, RB - bw, RR - rb, RB), x0 + l, y0 + fh - bw, cw, bw, false);
    else
        p.TiledRow(RL + l, RB - bw, RR - rb, x0 + l, y0 + fh - bw, cw, bw);
    p.Corner(RR - rb, RB - b, x0 + l + cw, y0 + fh - b, rb, b);
    p.Corner(RR - rb, RT, x0 + l + cw, y0, rb, t);
    if (stretch)
        p.Stretched(TRect(RR - rw, RT + t, RR, RB - b), x0 + l + cw + rb - rw, y0 + t, rw, ch, false);
    else
        p.TiledColumn(RR - rw, RT + t, RB - b, x0 + l + cw + rb - rw, y0 + t, rw, ch);

    if (blendedMask || !(mask.DrawMode & dmFillCenter) || cw == 0 || ch == 0) return;
    if (stretch) {
        p.Stretched(TRect(RL + l, RT + t, RR - rb, RB - b), x0 + l, y0 + t, cw, ch, true);
        return;
    }
    int y = RT + t;
    for (; y < RB - b - ch; y += ch) p.TiledRow(RL + l, y, RR - rb, x0 + l, y0 + t, cw, ch);
    if (y < RB - b) p.TiledRow(RL + l, y, RR - rb, x0 + l, y0 + t, cw, RB - b - y);
}

}  // namespace

void DrawSkinMask32(const TPixelView& dest, const TRect& r, const TCacheInfo& background, const TsMaskData& mask,
                    int state, bool fillCorners)
{
    DrawNineSlice(dest, r, background, mask, state, fillCorners, TVariant::Standard, 255, TRect());
}

void DrawSkinMaskLayered32(const TPixelView& dest, const TRect& r, const TCacheInfo& background,
                           const TsMaskData& mask, int state)
{
    DrawNineSlice(dest, r, background, mask, state, true, TVariant::Layered, 255, TRect());
}

void DrawSkinMaskBlended32(const TPixelView& dest, const TRect& r, const TCacheInfo& background,
                           const TsMaskData& mask, int state, const TRect& margins, uint8_t blend)
{
    DrawNineSlice(dest, r, background, mask, state, true, TVariant::Blended, blend, margins);
}

namespace {

// The stretched masked piece of every form: the colour piece and its mask piece (maskOffset rows
// below) scaled alike, then pixel(d, scaled colour, scaled mask) per destination pixel; a 1 x 1
// centre fills by centre(d, colour, mask red) (mask 0: the colour opaque, 255: nothing).
template <typename Pixel, typename Centre>
void StretchMaskPieceWith(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                          const TPixelView& source, int maskOffset, bool isCentre, int colourFilter, int maskFilter,
                          Pixel pixel, Centre centre)
{
    if (dx < 0 || dy < 0 || dw <= 0 || dh <= 0 || dest.Width < 2 || dest.Height < 2 || source.IsNull()) return;
    if (sw <= 0 || sh <= 0 || sx < 0 || sy < 0) return;
    if (maskOffset == 0) {
        StretchBlock32(dest, TRect(dx, dy, dx + dw, dy + dh), source, TRect(sx, sy, sx + sw, sy + sh));
        return;
    }
    // The colour piece and its mask piece both lie inside the source.
    if (source.Width < sx + sw || source.Height < sy + sh || maskOffset < 0 || source.Height < sy + maskOffset + sh)
        return;
    const int cols = std::min(dw, dest.Width - dx), rows = std::min(dh, dest.Height - dy);
    if (cols <= 0 || rows <= 0) return;
    if (isCentre && sw == 1 && sh == 1) {
        const uint32_t c = source.At(sx, sy);
        const uint32_t m = Channel(source.At(sx, sy + maskOffset), 16);
        if (m == 255) return;
        for (int j = 0; j < rows; ++j) {
            uint32_t* d = dest.Row(dy + j) + dx;
            for (int i = 0; i < cols; ++i) d[i] = m == 0 ? (c | 0xFF000000u) : centre(d[i], c, m);
        }
        return;
    }
    // Only what lands inside Dest is kept of the scaled pieces.
    TPixelImage image(dw, dh), maskImage(dw, dh);
    const bool resample = ((sw > dw && sh == dh) || (sw == dw && sh > dh) || isCentre) && dw > 1 && dh > 1 &&
                          int64_t(dw) * dh <= (int64_t(1) << 24);
    if (!resample && int64_t(dw) * dh > (int64_t(1) << 24)) {
        image.Resize(cols, rows);
        maskImage.Resize(cols, rows);
        StretchBlock32(image.View(), TRect(0, 0, dw, dh), source, TRect(sx, sy, sx + sw, sy + sh));
        StretchBlock32(maskImage.View(), TRect(0, 0, dw, dh), source, TRect(sx, sy + maskOffset, sx + sw, sy + maskOffset + sh));
    } else {
        ScalePiece(source, sx, sy, sw, sh, image.View(), resample, colourFilter);
        ScalePiece(source, sx, sy + maskOffset, sw, sh, maskImage.View(), resample, maskFilter);
    }
    for (int j = 0; j < rows; ++j) {
        const uint32_t* im = image.View().Row(j);
        const uint32_t* mk = maskImage.View().Row(j);
        uint32_t* d = dest.Row(dy + j) + dx;
        for (int i = 0; i < cols; ++i) d[i] = pixel(d[i], im[i], mk[i]);
    }
}

// Each colour byte (d x wd + v x wv) shr 8, with the alpha byte given.
inline uint32_t Weighted(uint32_t d, uint32_t v, uint32_t wd, uint32_t wv, uint32_t alpha)
{
    uint32_t out = alpha << 24;
    for (int s = 0; s < 24; s += 8) out |= (((Channel(d, s) * wd + Channel(v, s) * wv) >> 8) & 0xFFu) << s;
    return out;
}

// The alpha a masked pixel leaves over alpha a: a see-through pixel takes ifClear, a partly
// covered one at least what the mask lets through, an opaque one stays.
inline uint32_t MaskedAlpha(uint32_t a, uint32_t m, uint32_t ifClear)
{
    if (a == 0) return ifClear;
    if (a == 255) return 255;
    return std::max(a, 255 - m);
}

// The masked piece copies of the layered and blended forms: sizes cut to both areas and views, the
// mask (mask.R's height div 2 below) never read past the source's last row; key pixels take the
// background's pixel (a ready one with a bitmap) or become see-through; other pixels by op.
template <typename Op>
void CopyMaskedPieceWith(const TRect& destArea, const TRect& srcArea, const TPixelView& dest, const TPixelView& source,
                         const TCacheInfo& background, const TsMaskData& mask, Op op)
{
    if (dest.IsNull() || source.IsNull()) return;
    const TInclusiveWalk w = WalkRectPair(destArea, srcArea, dest, source);
    if (w.Empty()) return;
    const int maskRows = std::min(mask.R.Height() / 2, source.Height - w.SrcY - w.Rows);
    if (maskRows < 0) return;
    const TCacheInfo& b = background;
    const bool fromBackground = b.Ready && !b.Bmp.IsNull();
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* v = source.Row(w.SrcY + j) + w.SrcX;
        const uint32_t* k = source.Row(w.SrcY + j + maskRows) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) {
            if (v[i] == 0x00FF00FFu) {
                if (!fromBackground) {
                    d[i] &= 0x00FFFFFFu;
                    continue;
                }
                const int bx = b.X + w.DestX + i, by = b.Y + w.DestY + j;
                if (bx >= 0 && by >= 0 && bx < b.Bmp.Width && by < b.Bmp.Height) d[i] = b.Bmp.At(bx, by);
                continue;
            }
            d[i] = op(d[i], v[i], Channel(k[i], 16));
        }
    }
}

}  // namespace

void StretchMaskPiece32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                        const TPixelView& source, int maskOffset, bool isCentre)
{
    StretchMaskPieceWith(
        dx, dy, dw, dh, sx, sy, sw, sh, dest, source, maskOffset, isCentre, rfMitchell, rfMitchell,
        [](uint32_t d, uint32_t i, uint32_t k) { return MaskMix(d, i, k, 255); },
        [](uint32_t d, uint32_t c, uint32_t m) { return MaskMix(d, c, m * 0x010101u, d >> 24); });
}

void StretchMaskPieceLayered32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                               const TPixelView& source, int maskOffset, bool isCentre)
{
    StretchMaskPieceWith(
        dx, dy, dw, dh, sx, sy, sw, sh, dest, source, maskOffset, isCentre, rfMitchell, rfHermite,
        [](uint32_t d, uint32_t i, uint32_t k) {
            const uint32_t m = Channel(k, 16), a = d >> 24;
            if (m == 0) return i | 0xFF000000u;
            if (m == 255) return d;
            return Weighted(d, i, m, 255 - m, std::max(a, 255 - m));
        },
        [](uint32_t d, uint32_t c, uint32_t m) {
            const uint32_t a = d >> 24, u = std::min(m, a);
            return Weighted(d, c, u, 255 - u, std::max(a, 255 - m));
        });
}

void StretchMaskPieceBlended32(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, const TPixelView& dest,
                               const TPixelView& source, int maskOffset, uint8_t blend, bool isCentre)
{
    const uint32_t B = blend;
    StretchMaskPieceWith(
        dx, dy, dw, dh, sx, sy, sw, sh, dest, source, maskOffset, isCentre, rfMitchell, rfHermite,
        [B](uint32_t d, uint32_t i, uint32_t k) {
            const uint32_t m = Channel(k, 16), a = d >> 24;
            if (m == 0) return Weighted(d, i, 255 - B, B, (B * (k >> 24)) >> 8);
            if (m == 255) return d;
            const uint32_t A = ((255 - m) * B) >> 8;
            return Weighted(d, i, 255 - A, A, MaskedAlpha(a, m, A));
        },
        [B](uint32_t d, uint32_t c, uint32_t m) {
            const uint32_t a = d >> 24, u = ((255 - m) * B) >> 8;
            return Weighted(d, c, 255 - u, u, MaskedAlpha(a, m, 255 - m));
        });
}

void CopyMaskedPieceLayered32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                              const TPixelView& source, const TCacheInfo& background, const TsMaskData& mask)
{
    CopyMaskedPieceWith(destArea, srcArea, dest, source, background, mask, [](uint32_t d, uint32_t v, uint32_t m) {
        return Weighted(d, v, m, 255 - m, MaskedAlpha(d >> 24, m, 255 - m));
    });
}

void CopyMaskedPieceBlended32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                              const TPixelView& source, const TCacheInfo& background, const TsMaskData& mask,
                              uint8_t blend)
{
    const uint32_t B = blend;
    const bool withBitmap = background.Ready && !background.Bmp.IsNull();
    CopyMaskedPieceWith(destArea, srcArea, dest, source, background, mask, [B, withBitmap](uint32_t d, uint32_t v, uint32_t m) {
        const uint32_t e = ((255 - m) * B) >> 8;
        return Weighted(d, v, 255 - e, e, MaskedAlpha(d >> 24, m, withBitmap ? 255 - m : e));
    });
}

void DrawMaskCell32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest, const TPixelView& source,
                    int mode, const TsMaskData& mask)
{
    if (dest.IsNull() || source.IsNull()) return;
    if (mask.MaskType == 0 && !(mask.DrawMode & dmAlpha32)) {
        BlendKeyedRect32(dest, source, destArea.left, destArea.top, srcArea, 0xFF00FF, mode == 1 ? 0 : 180);
        return;
    }
    if (destArea.left < 0 || destArea.top < 0 || srcArea.left < 0 || srcArea.top < 0) return;
    // rows and cols are the index of the last row and column copied.
    int rows = std::min<int>({destArea.bottom - destArea.top, srcArea.bottom - srcArea.top, dest.Height - destArea.top - 1});
    int cols = std::min<int>({destArea.right - destArea.left, srcArea.right - srcArea.left, dest.Width - destArea.left - 1});
    cols = std::min<int>(cols, source.Width - srcArea.left - 1);
    if (mask.MaskType != 0) {
        const int p = mask.R.Height() / std::max(1, mask.MaskType + 1);
        rows = std::min<int>(rows, source.Height - srcArea.top - p - 1);
        if (rows < 0 || cols < 0 || p < 0) return;
        for (int j = 0; j <= rows; ++j) {
            const uint32_t* v = source.Row(srcArea.top + j) + srcArea.left;
            const uint32_t* k = source.Row(srcArea.top + j + p) + srcArea.left;
            uint32_t* d = dest.Row(destArea.top + j) + destArea.left;
            for (int i = 0; i <= cols; ++i) {
                const uint32_t kr = Channel(k[i], 16);
                uint32_t out = d[i];
                if (v[i] != 0x00FF00FFu && kr != 255) {
                    uint32_t km = k[i];
                    if (mode != 1) {
                        km = 0;
                        for (int s = 0; s < 24; s += 8) km |= std::min<uint32_t>(Channel(k[i], s) + 100, 255) << s;
                    }
                    out = MaskMix(d[i], v[i], km, d[i] >> 24);
                }
                const uint32_t a = out >> 24;
                d[i] = (out & 0x00FFFFFFu) | (a + (((255 - a) * (255 - kr)) >> 8)) << 24;
            }
        }
        return;
    }
    rows = std::min<int>(rows, source.Height - srcArea.top - 1);
    if (rows < 0 || cols < 0) return;
    for (int j = 0; j <= rows; ++j) {
        const uint32_t* c = source.Row(srcArea.top + j) + srcArea.left;
        uint32_t* d = dest.Row(destArea.top + j) + destArea.left;
        for (int i = 0; i <= cols; ++i) {
            const uint32_t sa = c[i] >> 24;
            uint32_t t = 255 - sa;
            if (mode != 1) t = std::min<uint32_t>(t + 100, 255);
            const uint32_t a = d[i] >> 24;
            d[i] = MaskMix(d[i], c[i], t * 0x010101u, a + (((255 - a) * sa) >> 8));
        }
    }
}

void DrawMaskState32(const TPixelView& dest, TPoint point, int state, int mode, const TsMaskData& mask,
                     const TCacheInfo& background)
{
    if (dest.IsNull() || mask.ImageCount <= 0) return;
    const int s = std::clamp(state, 0, mask.ImageCount - 1);
    const int w = mask.Width, h = mask.Height;
    const int ox = point.x < 0 ? -point.x : 0, oy = point.y < 0 ? -point.y : 0;
    const int sx = mask.R.left + s * w + ox, sy = mask.R.top + oy;
    const int dx = point.x + ox, dy = point.y + oy;
    const int cw = w - ox, chh = h - oy;
    if (cw <= 0 || chh <= 0) return;
    const TRect destArea(dx, dy, dx + cw - 1, dy + chh - 1), srcArea(sx, sy, sx + cw - 1, sy + chh - 1);
    if (mask.Bmp) {
        if (mask.Bmp->Width() < mask.R.right || mask.Bmp->Height() < mask.R.bottom) return;
        DrawMaskCell32(destArea, srcArea, dest, mask.Bmp->View(), mode, mask);
        return;
    }
    if (!mask.Manager) return;
    const TPixelView master = ImageSourceBitmap(mask);
    if (master.IsNull()) return;
    if (mask.MaskType > 0) {
        DrawMaskCell32(destArea, srcArea, dest, master, mode, mask);
        return;
    }
    const bool alpha = (mask.DrawMode & dmAlpha32) != 0;
    if (mode == 1 && !alpha) {
        CopyKeyedRect32(dest, master, dx, dy, srcArea, 0x00FF00FFu, background, true);
    } else if (alpha) {
        ComposeWalk32(dest, master, WalkInclusive(dest, dx, dy, master, srcArea, true), mode == 1 ? 255 : 127);
    } else {
        BlendRectAt32(dest, dx, dy, master, srcArea, 127, 0x00FF00FFu);
    }
}

void CopyMaskedTile32(const TRect& destArea, const TRect& srcArea, const TPixelView& dest,
                      const TCacheInfo& background, const TsMaskData& mask)
{
    if (!mask.Manager || dest.IsNull()) return;
    const TPixelView source = ImageSourceBitmap(mask);
    if (source.IsNull()) return;
    const int maskRows = mask.R.Height() / 2;
    const TInclusiveWalk w = WalkRectPair(destArea, srcArea, dest, source);
    // The mask rows lie inside the source as well.
    const int rows = std::min(w.Rows, source.Height - w.SrcY - maskRows);
    if (w.Empty() || rows <= 0 || maskRows < 0) return;
    const int dl = w.DestX, sl = w.SrcX, dt = w.DestY, st = w.SrcY, cols = w.Cols;
    const TCacheInfo& b = background;
    const uint32_t fill = SwapRedBlue(uint32_t(b.FillColor));
    for (int j = 0; j < rows; ++j) {
        const uint32_t* im = source.Row(st + j) + sl;
        const uint32_t* mk = source.Row(st + j + maskRows) + sl;
        uint32_t* d = dest.Row(dt + j) + dl;
        for (int i = 0; i < cols; ++i) {
            if (im[i] != 0x00FF00FFu) {
                d[i] = MaskMix(d[i], im[i], mk[i], d[i] >> 24);
            } else if (b.Ready && b.FillColor == 0xFF00FF) {
                const int bx = b.X + dl + i, by = b.Y + dt + j;
                if (bx >= b.Bmp.Width) break;
                if (bx >= 0 && by >= 0 && by < b.Bmp.Height)
                    d[i] = (d[i] & 0xFF000000u) | (b.Bmp.At(bx, by) & 0x00FFFFFFu);
            } else if (b.FillColor != 0xFF00FF) {
                d[i] = (d[i] & 0xFF000000u) | (fill & 0x00FFFFFFu);
            }
        }
    }
}
