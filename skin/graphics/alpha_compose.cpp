#include "skin/graphics/alpha_compose.h"

#include <algorithm>
#include <vector>

#include "skin/graphics/blend_ops.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/pixel_mix.h"
#include "skin/graphics/resample.h"

namespace {

inline uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFFu; }

// Colour bytes of s over d by weight a; alpha as given.
inline uint32_t Over(uint32_t s, uint32_t d, int a, uint32_t alpha)
{
    return (MixPixels(s, d, uint32_t(a)) & 0x00FFFFFFu) | (alpha << 24);
}

inline uint32_t AccumulateAlpha(uint32_t da, uint32_t a) { return da + (((255 - da) * a) >> 8); }

inline bool NearTransparent(uint32_t s) { return s == 0x00FF00FFu || (s >> 24) <= 16; }

// Where a piece goes: drawing is clipped to Clip (inside the view).
struct TClipped {
    TPixelView View;   // the view cut to the clip rectangle
    int X0 = 0, Y0 = 0;   // the clip rectangle's top-left in the full view
    TClipped(const TPixelView& v, const TRect& clip)
    {
        TRect c = TRect::Intersect(clip, v.Bounds());
        View = v.Sub(c);
        X0 = c.left;
        Y0 = c.top;
    }
    void Copy(int dx, int dy, const TPixelView& src, const TRect& s) const
    {
        if (s.Width() > 0 && s.Height() > 0) CopyBlock32(View, dx - X0, dy - Y0, src, s);
    }
    void Stretch(const TRect& d, const TPixelView& src, const TRect& s) const
    {
        StretchBlock32(View, TRect(d.left - X0, d.top - Y0, d.right - X0, d.bottom - Y0), src, s);
    }
    // Tiles of s from (d.left, d.top) across and down d, the last ones cut.
    void Tile(const TRect& d, const TPixelView& src, const TRect& s) const
    {
        const int tw = s.Width(), th = s.Height();
        if (tw <= 0 || th <= 0) return;
        for (int y = d.top; y < d.bottom; y += th)
            for (int x = d.left; x < d.right; x += tw)
                Copy(x, y, src, TRect(s.left, s.top, s.left + std::min<int>(tw, d.right - x), s.top + std::min<int>(th, d.bottom - y)));
    }
};

}  // namespace

void ComposeRectAt32(const TPixelView& dest, const TPixelView& src, const TRect& srcRect, TPoint destPoint,
                     uint8_t globalAlpha)
{
    ComposeWalk32(dest, src, WalkMixRect(dest, src, srcRect, destPoint), globalAlpha);
}

void ComposeWalk32(const TPixelView& dest, const TPixelView& src, const TInclusiveWalk& w, uint8_t globalAlpha)
{
    if (w.Empty()) return;
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        if (globalAlpha == 255) {
            for (int i = 0; i < w.Cols; ++i)
                if (const uint32_t a = s[i] >> 24) d[i] = ComposeOver(s[i], d[i], a);
        } else {
            for (int i = 0; i < w.Cols; ++i)
                if (const uint32_t a = (globalAlpha * (s[i] >> 24)) >> 8) d[i] = ComposeOver(s[i], d[i], a);
        }
    }
}

void StretchComposeAt32(const TPixelView& dest, int x, int y, int destWidth, int destHeight, const TPixelView& src,
                        int srcX, int srcY, int srcWidth, int srcHeight, uint8_t globalAlpha)
{
    if (dest.IsNull() || src.IsNull()) return;
    // The clipping below may move the destination; whatever it does, nothing lands outside the
    // rectangle that was asked for.
    const int64_t askedRight = int64_t(x) + destWidth, askedBottom = int64_t(y) + destHeight;
    ClipStartPair(x, srcX);
    ClipStartPair(y, srcY);
    if (destWidth < 1 || destHeight < 1 || srcWidth < 1 || srcHeight < 1 || x >= dest.Width || y >= dest.Height ||
        srcX >= src.Width || srcY >= src.Height)
        return;
    // Only the asked area is scaled (cut to the source), and only what lands inside Dest is kept.
    const TRect area = TRect::Intersect(TRect(srcX, srcY, srcX + srcWidth, srcY + srcHeight), src.Bounds());
    if (area.IsEmpty()) return;
    const int rows = int(std::min<int64_t>({destHeight, dest.Height - y, askedBottom - y}));
    const int cols = int(std::min<int64_t>({destWidth, dest.Width - x, askedRight - x}));
    if (rows <= 0 || cols <= 0) return;
    const TPixelView part = src.Sub(area);
    const bool smooth = srcX == 0 && srcY == 0 && part.Width >= 2 && part.Height >= 2 &&
                        int64_t(destWidth) * destHeight <= (int64_t(1) << 24);
    auto compose = [&](uint32_t t, uint32_t& d) {
        const uint32_t a = globalAlpha == 255 ? t >> 24 : (globalAlpha * (t >> 24)) >> 8;
        if (a) d = ComposeOver(t, d, a);
    };
    if (smooth) {
        TPixelImage scaled(destWidth, destHeight);
        ResampleInto(part, scaled.View(), rfMitchell);
        for (int j = 0; j < rows; ++j) {
            const uint32_t* t = scaled.View().Row(j);
            uint32_t* d = dest.Row(y + j) + x;
            for (int i = 0; i < cols; ++i) compose(t[i], d[i]);
        }
        return;
    }
    // Nearest neighbour straight from the source; pixels mapped outside it are not drawn.
    std::vector<int> columns(static_cast<size_t>(cols));
    for (int i = 0; i < cols; ++i) columns[size_t(i)] = srcX + NearestSourceIndex(i, destWidth, srcWidth);
    for (int j = 0; j < rows; ++j) {
        const int sy = srcY + NearestSourceIndex(j, destHeight, srcHeight);
        if (sy < 0 || sy >= src.Height) continue;
        const uint32_t* t = src.Row(sy);
        uint32_t* d = dest.Row(y + j) + x;
        for (int i = 0; i < cols; ++i)
            if (columns[size_t(i)] < src.Width) compose(t[columns[size_t(i)]], d[i]);
    }
}

void CopyRectOverBg32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                      const TCacheInfo& b, bool useBackground)
{
    const TInclusiveWalk w = WalkRectPair(destRect, srcRect, dest, src);
    if (w.Empty()) return;
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) {
            if (b.Ready && s[i] == 0x00FF00FFu) {
                if (!useBackground) continue;
                const int bx = b.X + w.DestX + i, by = b.Y + w.DestY + j;
                if (bx >= 0 && by >= 0 && bx < b.Bmp.Width && by < b.Bmp.Height)
                    d[i] = (b.Bmp.At(bx, by) & 0x00FFFFFFu) | 0xFF000000u;
                continue;
            }
            const uint32_t a = s[i] >> 24;
            const uint32_t alpha = a != 0 ? AccumulateAlpha(d[i] >> 24, a) : d[i] >> 24;
            d[i] = Over(s[i], d[i], int(a), alpha);
        }
    }
}

void CopyRectAlpha32(const TRect& destRect, const TRect& srcRect, const TPixelView& dest, const TPixelView& src,
                     const TCacheInfo& b, bool keysFromBackground, TColor tone, int percent, bool reflected)
{
    if (dest.IsNull() || src.IsNull()) return;
    const int opacity = 255 - percent * 255 / 100;
    const TInclusiveWalk w = WalkRectPair(destRect, srcRect, dest, src);
    if (w.Empty()) return;
    const bool toned = tone != clNone;
    uint32_t tr = 0, tg = 0, tb = 0;   // T': the tone lifted so that its largest channel is 255
    if (toned) {
        const uint32_t t = uint32_t(tone);
        tr = t & 0xFF;
        tg = (t >> 8) & 0xFF;
        tb = (t >> 16) & 0xFF;
        const uint32_t lift = 255 - std::max({tr, tg, tb});
        tr += lift;
        tg += lift;
        tb += lift;
    }
    auto colourOf = [&](uint32_t s) {
        if (!toned) return s;
        const uint32_t g = (Channel(s, 16) >> 2) + (Channel(s, 8) >> 1) + (Channel(s, 0) >> 2);
        return (s & 0xFF000000u) | ((g * tr) >> 8) << 16 | ((g * tg) >> 8) << 8 | ((g * tb) >> 8);
    };
    auto weightOf = [&](uint32_t s) { return percent == 0 ? int(s >> 24) : (int(s >> 24) * opacity) >> 8; };
    for (int j = 0; j < w.Rows; ++j) {
        const uint32_t* s = src.Row(w.SrcY + j) + w.SrcX;
        uint32_t* d = dest.Row(w.DestY + j) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) {
            if (b.Ready && NearTransparent(s[i])) {
                if (!keysFromBackground) continue;
                const int bx = b.X + w.DestX + i, by = b.Y + w.DestY + j;
                if (bx >= b.Bmp.Width || by < 0) break;   // right of or above the background: the rest stays
                if (bx >= 0 && by < b.Bmp.Height) d[i] = (d[i] & 0xFF000000u) | (b.Bmp.At(bx, by) & 0x00FFFFFFu);
                continue;
            }
            const int a = weightOf(s[i]);
            uint32_t alpha = d[i] >> 24;
            if (percent == 0 && !toned)
                alpha = std::max(alpha, s[i] >> 24);
            else if (percent == 0 && toned && !b.Ready)
                alpha = AccumulateAlpha(alpha, s[i] >> 24);
            d[i] = Over(colourOf(s[i]), d[i], a, alpha);
        }
    }
    if (!reflected) return;
    const int n = std::min<int>(dest.Height - destRect.bottom - 1, src.Height / 2 - 1);
    if (n <= 0) return;
    int level = 255;
    for (int r = 1; r <= n; ++r) {
        const int sy = srcRect.bottom - r - 1, dy = destRect.bottom + r;
        if (sy < 0 || sy >= src.Height || dy < 0 || dy >= dest.Height) continue;
        const uint32_t* s = src.Row(sy) + w.SrcX;
        uint32_t* d = dest.Row(dy) + w.DestX;
        for (int i = 0; i < w.Cols; ++i) {
            if (NearTransparent(s[i])) continue;
            int a = int(s[i] >> 24) * (n - r) / n;
            a = toned ? a >> 2 : (a * level) >> 9;
            if (percent != 0) a = (a * opacity) >> 8;
            d[i] = Over(colourOf(s[i]), d[i], a, d[i] >> 24);
        }
        level -= 255 / src.Height;
    }
}

void DrawReflection32(const TPixelView& dest, const TPixelView& src, TPoint p, TRect r, TColor keyColor,
                      int transparency)
{
    if (dest.IsNull() || src.IsNull()) return;
    const uint32_t key = SwapRedBlue(uint32_t(keyColor));
    r = ClampInclusiveSource(r, p, src, true);
    if (r.left > r.right || r.top > r.bottom) return;
    const int n = std::min<int>((src.Height / 3) * 2 - 1, dest.Height - 1 - p.y);
    if (n <= 0) return;   // no room below the image (or a source too small): nothing to mirror
    int level = 255;
    for (int row = 0; row <= n; ++row) {
        const int dy = p.y + row, sy = r.bottom - row;
        if (sy < 0) break;
        if (dy < 0 || dy >= dest.Height) continue;
        const int w = std::clamp(((((n - row) * 255 / n) * level) >> 9) * (100 - transparency) / 100, 0, 255);
        const uint32_t* s = src.Row(sy);
        uint32_t* d = dest.Row(dy);
        for (int sx = r.left, dx = p.x; sx <= r.right; ++sx, ++dx) {
            if (dx < 0) continue;
            if (dx >= dest.Width) break;
            if (s[sx] == key) continue;
            d[dx] = Over(s[sx], d[dx], w, d[dx] >> 24);
        }
        level -= 255 / (n + 1);
    }
}

int StateGlyphCell(int cellCount, bool useStates, int kind, int state, bool stdOrder)
{
    if (cellCount == 1) kind = 0;
    if (!useStates || kind == 0) return 0;
    const int greyCell = stdOrder ? 0 : 1;
    switch (kind) {
    case 1: return greyCell;
    case 2: return state + 2 < cellCount ? state + 2 : std::min(cellCount - 1, greyCell);
    case 3: return cellCount >= 3 ? 2 : 0;
    default: return 0;
    }
}

void DrawStateGlyph32(const TPixelView& dest, const TPixelView& glyphs, TRect r, int cellCount, bool useStates,
                      int kind, int blend, int state, bool reflected, bool stdOrder)
{
    if (dest.IsNull() || glyphs.IsNull() || cellCount < 1) return;
    if (reflected) r.Offset(0, -(r.Height() / 8));
    if (cellCount == 1) kind = 0;
    if (kind > 0) blend = 0;
    const int cellWidth = glyphs.Width / cellCount;
    if (cellWidth <= 0) return;
    const int cell = StateGlyphCell(cellCount, useStates, kind, state, stdOrder);
    const TRect cellRect(cell * cellWidth, 0, cell * cellWidth + cellWidth - 1, glyphs.Height - 1);
    // The cell's bottom-left pixel as a colour: its key.
    const TColor key = TColor(SwapRedBlue(glyphs.At(cellRect.left, glyphs.Height - 1)) & 0x00FFFFFFu);
    if (!useStates && blend != 0)
        BlendRectAt32(dest, r.left, r.top, glyphs, cellRect, blend, 0x00FF00FFu);
    else
        BlendKeyedRect32(dest, glyphs, r.left, r.top, cellRect, key, 0);
    if (reflected) {
        r.Offset(0, r.Height());
        DrawReflection32(dest, glyphs, r.TopLeft(), cellRect, key, blend);
    }
}

void BlitNineSlice(const TPixelView& dest, const TPixelView& src, const TRect& d, const TRect& s, const TRect& borders,
                   const TRect& corners, const TRect& modes, bool stretchCenter, bool fillCenter)
{
    if (dest.IsNull() || src.IsNull() || d.IsEmpty()) return;
    const TClipped to(dest, d);
    if (to.View.IsNull()) return;
    const int cl = std::min(borders.left, corners.left), cr = std::min(borders.right, corners.right);
    const int ct = std::min(borders.top, corners.top), cb = std::min(borders.bottom, corners.bottom);
    // Each border at most half of D, so opposite pieces never pass each other.
    const int midX = int((int64_t(d.left) + d.right) / 2), midY = int((int64_t(d.top) + d.bottom) / 2);
    const int l = std::max(0, std::min<int>(borders.left, midX - d.left)), t = std::max(0, std::min<int>(borders.top, midY - d.top));
    const int r = std::max(0, std::min<int>(borders.right, d.right - midX)), b = std::max(0, std::min<int>(borders.bottom, d.bottom - midY));
    auto piece = [&](int dx, int dy, int sx, int sy, int w, int h) {
        if (w > 0 && h > 0) to.Copy(dx, dy, src, TRect(sx, sy, sx + w, sy + h));
    };
    piece(d.left, d.top, s.left, s.top, l, ct);
    if (ct != borders.top) piece(d.left, d.top + ct, s.left, s.top + ct, cl, t - ct);
    piece(d.left, d.bottom - cb, s.left, s.bottom - cb, l, cb);
    if (cb != borders.bottom) piece(d.left, d.bottom - b, s.left, s.bottom - b, cl, b - cb);
    piece(d.right - r, d.top, s.right - r, s.top, r, ct);
    if (ct != borders.top) piece(d.right - cr, d.top + ct, s.right - cr, s.top + ct, cr, t - ct);
    piece(d.right - r, d.bottom - cb, s.right - r, s.bottom - cb, r, cb);
    if (cb != borders.bottom) piece(d.right - cr, d.bottom - b, s.right - cr, s.bottom - b, cr, b - cb);

    const int cw = std::max<int>(0, s.Width() - borders.right - borders.left);
    const int ch = std::max<int>(0, s.Height() - borders.bottom - borders.top);
    auto edge = [&](int mode, const TRect& dr, const TRect& sr) {
        if (dr.IsEmpty() || sr.IsEmpty()) return;
        if (mode & 1)
            to.Stretch(dr, src, sr);
        else
            to.Tile(dr, src, sr);
    };
    if (ch != 0) {
        edge(modes.left, TRect(d.left, d.top + t, d.left + cl, d.bottom - b), TRect(s.left, s.top + t, s.left + cl, s.top + t + ch));
        edge(modes.right, TRect(d.right - cr, d.top + t, d.right, d.bottom - b),
             TRect(s.right - cr, s.top + t, s.right, s.top + t + ch));
    }
    if (cw != 0) {
        edge(modes.top, TRect(d.left + l, d.top, d.right - r, d.top + ct), TRect(s.left + l, s.top, s.left + l + cw, s.top + ct));
        edge(modes.bottom, TRect(d.left + l, d.bottom - cb, d.right - r, d.bottom),
             TRect(s.left + l, s.bottom - cb, s.left + l + cw, s.bottom));
    }
    if (!fillCenter) return;
    const TRect dc(d.left + l, d.top + t, d.right - r, d.bottom - b);
    const TRect sc(s.left + l, s.top + t, s.left + l + cw, s.top + t + ch);
    if (dc.IsEmpty() || sc.IsEmpty()) return;
    if (stretchCenter)
        to.Stretch(dc, src, sc);
    else
        to.Tile(dc, src, sc);
}
