#include "skin/graphics/item_paint.h"

#include "skin/engine/core/control_link.h"

#include <algorithm>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "skin/engine/core/geometry.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/gradients.h"
#include "skin/graphics/image_modes.h"
#include "skin/graphics/nine_slice.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/pixel_mix.h"

namespace {

// A percent of the skin as a byte weight (p x 255 div 100), kept within a byte.
uint8_t PercentWeight(int percent) { return static_cast<uint8_t>(std::clamp(percent, 0, 100) * 255 / 100); }

bool HasWholeGradient(const TsGradArray& g) { return !g.empty() && (g[0].Mode & 0x20) != 0; }

bool Inside(const TRect& r, const TPixelView& v)
{
    return r.left >= 0 && r.top >= 0 && r.right <= v.Width && r.bottom <= v.Height;
}

// The background record moved by point (what the border and overlay painters read).
TCacheInfo Moved(const TCacheInfo& background, TPoint point)
{
    TCacheInfo b = background;
    b.X += point.x;
    b.Y += point.y;
    return b;
}

// What one call paints with, read from the state once.
struct TItemLayers {
    TColor C = 0;
    int T = 0;        // transparency, percent
    int I = 0;        // texture share, percent
    int G = 0;        // gradient share, percent
    int TexIndex = -1;
    bool WholeGrad = false;
    const TsGradArray* Grad = nullptr;
    // The fast form of the constant elements: no textured-gradient shortcut, the colour steps
    // only where the texture left a rest, and a plain state filled with PlainFill.
    bool Fast = false;
    TColor PlainFill = 0;
};

class TItemPainter {
public:
    TItemPainter(const TacSkinPaintSource& skin, const TCacheInfo& background, TacGdipLayer* layer)
        : FSkin(skin), FBackground(background), FLayer(layer)
    {
    }

    // The state's own background into q of d (colour, texture, gradient and their shares).
    void OwnBackground(const TPixelView& d, TRect q, const TItemLayers& L) const
    {
        const bool validTex = FSkin.IsValidImgIndex(L.TexIndex);
        const TsGradArray& grad = *L.Grad;
        if (!L.Fast && validTex && L.I + L.G == 100 && L.G >= 1 && L.G <= 99) {
            const TsMaskData& tex = FSkin.Image(L.TexIndex);
            if (tex.DrawMode == 0 && !grad.empty() && grad[0].Mode < 2) {
                PaintTexturedGradient32(d, q, grad, ImageSourceBitmap(tex), tex.R, PercentWeight(L.I), 255);
                return;
            }
        }
        bool textured = false;
        if (L.I > 0) {
            TRect u = q;
            if (validTex) {
                const TsMaskData& tex = FSkin.Image(L.TexIndex);
                if (tex.MaskType != 0)
                    DrawMaskedImageByMode32(d, u, FBackground, tex, tex.DrawMode);
                else
                    DrawImageByMode32(d, u, tex, tex.DrawMode);
                textured = true;
            }
            if (u.right != -1) {
                FillRectAlpha32(d, u, L.C, 255);
                if (L.Fast && textured) q = u;
            }
        }
        if (L.G > 0) {
            if (textured) {
                TPixelImage layer(q.Width(), q.Height());
                if (!grad.empty())
                    PaintGradient32(layer.View(), layer.Bounds(), grad, FLayer);
                else
                    FillRectAlpha32(layer.View(), layer.Bounds(), L.C, 255);
                MixRectAt32(d, layer.View(), PercentWeight(L.I), layer.Bounds(), q.TopLeft());
            } else if (!grad.empty()) {
                PaintGradient32(d, q, grad, FLayer);
            } else {
                FillRectAlpha32(d, q, L.C, 255);
            }
        }
        const int shares = std::max(L.G, 0) + std::max(L.I, 0);
        if (shares == 0)
            FillRectAlpha32(d, q, L.Fast ? L.PlainFill : L.C, 255);
        else if (shares < 100)
            BlendColorRect32(d, q, PercentWeight(shares), L.C);
    }

    // The parent's background into r: its image, or its plain colour (framed by its border strips
    // when the record carries them).
    void Parent(const TPixelView& d, const TRect& r, TPoint pt, bool withStrips) const
    {
        const TCacheInfo& b = FBackground;
        if (b.Ready) {
            if (b.Bmp.Row0 == d.Row0 && b.Bmp.Stride == d.Stride) return;   // already there
            const int sx = b.X + pt.x, sy = b.Y + pt.y;
            CopyBlock32(d, r.left, r.top, b.Bmp, TRect(sx, sy, sx + r.Width(), sy + r.Height()));
            return;
        }
        if (!withStrips || b.Bmp.IsNull()) {
            FillRectAlpha32(d, r, b.FillColor, 255);
            return;
        }
        const int w = r.Width(), h = r.Height(), px = pt.x, py = pt.y, bw = b.Bmp.Width, bh = b.Bmp.Height;
        const TRect& f = b.FillRect;
        auto copy = [&](int dx, int dy, int sx, int sy, int cw, int ch) {
            CopyBlock32(d, dx, dy, b.Bmp, TRect(sx, sy, sx + cw, sy + ch));
        };
        int mL = 0, mT = 0, mR = 0, mB = 0;
        if (f.left - b.X > 0 && f.left > px) {
            mL = std::min<int>(f.left - px, w);
            copy(r.left, r.top, b.X + px, b.Y + py, mL, h);
        }
        if (f.top - b.Y > 0 && f.top > py) {
            mT = std::min<int>(f.top - py, h);
            copy(r.left, r.top, b.X + px, b.Y + py, w, mT);
        }
        if (f.right > 0 && bw - f.right < px + w && px + w < bw) {
            mR = std::min<int>(px + w - (bw - f.right), w);
            copy(r.right - mR, r.top, b.X + px + w - mR, b.Y + py, mR, h);
        }
        if (f.bottom > 0 && bh - f.bottom < py + h && py + h < bh) {
            mB = std::min<int>(py + h - (bh - f.bottom), h);
            copy(r.left, r.bottom - mB, b.X + px, b.Y + py + h - mB, w, mB);
        }
        FillRectAlpha32(d, TRect(r.left + mL, r.top + mT, r.right - mR, r.bottom - mB), b.FillColor, 255);
    }

private:
    const TacSkinPaintSource& FSkin;
    const TCacheInfo& FBackground;
    TacGdipLayer* FLayer;
};

// n pixels: d[i] := src[i] mixed into pixel by weight (src keeps the share weight; src may be
// d), the arithmetic of MixPixels; four pixels at a time where the processor has SSE2 (a
// weight below 256 keeps every 16-bit lane's sum below 65536).
void MixRowWith(uint32_t* d, const uint32_t* src, int n, uint32_t pixel, uint8_t weight)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i w = _mm_set1_epi16(short(weight));
    const __m128i own = _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(int(pixel)), zero),
                                        _mm_set1_epi16(short(256 - weight)));
    for (; x + 4 <= n; x += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), w), own), 8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), w), own), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < n; ++x) d[x] = MixPixels(src[x], pixel, weight);
}

// r (inside v) := the parent's image under it (from (sx, sy) of bmp; where bmp has no pixel the
// destination's own) mixed into pixel by weight, in one pass.
void MixParentInto(const TPixelView& v, const TRect& r, const TPixelView& bmp, int sx, int sy, uint32_t pixel,
                   uint8_t weight)
{
    const int w = r.Width();
    const bool self = bmp.Row0 == v.Row0 && bmp.Stride == v.Stride;
    const int x0 = std::clamp(-sx, 0, w), x1 = std::clamp(bmp.Width - sx, x0, w);
    for (int y = 0; y < r.Height(); ++y) {
        uint32_t* d = v.Row(r.top + y) + r.left;
        const int py = sy + y;
        if (self || py < 0 || py >= bmp.Height || x0 >= x1) {
            MixRowWith(d, d, w, pixel, weight);
            continue;
        }
        MixRowWith(d, d, x0, pixel, weight);
        MixRowWith(d + x0, bmp.Row(py) + sx + x0, x1 - x0, pixel, weight);
        MixRowWith(d + x1, d + x1, w - x1, pixel, weight);
    }
}

TacPaintUsageWarning PaintUsageWarning = nullptr;

// Skin data is there; otherwise the caller is told which routine was called wrongly.
bool HasSkinData(const TacSkinPaintSource* skinData, const wchar_t* routine)
{
    if (skinData) return true;
    if (PaintUsageWarning)
        PaintUsageWarning((std::wstring(L"Check parameters of the ") + routine + L" procedure.").c_str());
    return false;
}

// The section's three checks every painter makes: skin data, a valid section, a rectangle inside.
const TsGeneralData* CheckedSection(int skinIndex, const TRect& r, const TPixelView& bitmap,
                                    const TacSkinPaintSource* skinData)
{
    if (bitmap.IsNull() || r.IsEmpty() || !skinData || !Inside(r, bitmap)) return nullptr;
    if (!skinData->IsValidSkinIndex(skinIndex)) return nullptr;
    return &skinData->Section(skinIndex);
}

// The corner images of the section in state s, each over what lies under it; a corner image
// larger than r is cut to it.
void PaintCorners(const TsGeneralData& g, int s, const TRect& r, const TPixelView& bitmap, const TacSkinPaintSource& skin)
{
    const TPixelView item = bitmap.Sub(r);
    const TCacheInfo self = BuildCacheInfo(item, 0, 0);
    const int w = r.Width(), h = r.Height();
    auto corner = [&](int index, bool right, bool bottom) {
        if (!skin.IsValidImgIndex(index)) return;
        const TsMaskData& m = skin.Image(index);
        DrawMaskState32(item, TPoint(right ? w - m.Width : 0, bottom ? h - m.Height : 0), s, 1, m, self);
    };
    corner(g.ImgTL, false, false);
    corner(g.ImgTR, true, false);
    corner(g.ImgBL, false, true);
    corner(g.ImgBR, true, true);
}

}  // namespace

int SectionState(const TsGeneralData& section, int state) { return ClampSectionState(state, section.States); }

void PaintItemBG(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                 const TPixelView& bitmap, const TacSkinPaintSource* skinData, int texIndex, int activeTexIndex,
                 TColor customColor, TacGdipLayer* layer)
{
    const TsGeneralData* section = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!section) return;
    const TacSkinPaintSource& skin = *skinData;
    const TsGeneralData& g = *section;
    const int s = SectionState(g, state);
    const TsGenState& P = g.Props[static_cast<size_t>(s)];

    TItemLayers L;
    L.Grad = &P.GradientArray;
    if (customColor == acSkinColor) {
        L.WholeGrad = HasWholeGradient(P.GradientArray);
        L.C = P.Color;
        L.T = std::clamp(P.Transparency, 0, 100);
        if (L.T < 100) {
            L.I = std::clamp(P.ImagePercent, 0, 100);
            L.G = L.WholeGrad ? 0 : std::clamp(P.GradientPercent, 0, 100);
            if (L.I > 0 && texIndex < 0) texIndex = P.TextureIndex;
        }
    } else {
        L.C = customColor;
    }
    L.TexIndex = texIndex;

    TItemPainter painter(skin, background, layer);
    const bool known = background.Ready || background.FillColor != 0xFF00FF;
    const int t = L.T;
    if (!known || t == 0) {
        painter.OwnBackground(bitmap, r, L);
    } else if (t == 100) {
        painter.Parent(bitmap, r, point, true);
    } else if (background.Ready && L.G + L.I == 0) {
        // A plain state over an image: the parent mixed with the one colour in one pass.
        MixParentInto(bitmap, r, background.Bmp, background.X + point.x, background.Y + point.y,
                      0xFF000000u | SwapRedBlue(uint32_t(L.C) & 0x00FFFFFFu), PercentWeight(t));
    } else if (background.Ready || L.G + L.I > 0) {
        TPixelImage own(r.Width(), r.Height());
        painter.OwnBackground(own.View(), own.Bounds(), L);
        painter.Parent(bitmap, r, point, false);
        MixRectAt32(bitmap, own.View(), PercentWeight(t), own.Bounds(), r.TopLeft());
    } else {
        FillRectAlpha32(bitmap, r, MixColors(background.FillColor, L.C, PercentWeight(t)), 255);
    }

    if (L.WholeGrad) PaintGradient32(bitmap, r, P.GradientArray, layer);

    if (texIndex < 0) texIndex = P.TextureIndex;
    const int overlay = s == 0 ? texIndex : activeTexIndex;
    if (skin.IsValidImgIndex(overlay)) {
        const TsMaskData& m = skin.Image(overlay);
        if (m.MaskType > 0 && m.DrawMode == 10) {
            TRect u = r;
            DrawMaskedImageByMode32(bitmap, u, Moved(background, point), m, 10);
        }
    }
}

void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
               const TPixelView& bitmap, const TacSkinPaintSource* skinData, int texIndex, int activeTexIndex,
               TacGdipLayer* layer)
{
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    PaintItemBG(skinIndex, background, s, r, point, bitmap, skinData, texIndex, activeTexIndex, acSkinColor, layer);
    PaintCorners(*g, s, r, bitmap, *skinData);
    if (skinData->IsValidImgIndex(g->BorderIndex))
        DrawSkinMask32(bitmap, r, Moved(background, point), skinData->Image(g->BorderIndex), s, true);
}

void PaintSectionFrame(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                       const TPixelView& bitmap, const TacSkinPaintSource* skinData, TColor customColor,
                       bool fillCorners, TacGdipLayer* layer)
{
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    PaintItemBG(skinIndex, background, s, r, point, bitmap, skinData, -1, -1, customColor, layer);
    if (!skinData->IsValidImgIndex(g->BorderIndex)) return;
    const TsMaskData& border = skinData->Image(g->BorderIndex);
    if (s == 0 && (border.DrawMode & dmNoState0)) return;
    DrawSkinMask32(bitmap, r, Moved(background, point), border, s, fillCorners);
}

void PaintSkinDataItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                       const TPixelView& bitmap, const TacSkinPaintSource* skinData, const TacItemLook& look,
                       bool fillCorners, TacGdipLayer* layer)
{
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    PaintItemBG(skinIndex, background, s, r, point, bitmap, skinData, -1, -1, look.CustomColor, layer);
    PaintCorners(*g, s, r, bitmap, *skinData);
    bool effects = g->Props[static_cast<size_t>(s)].Transparency == 0;
    if (skinData->IsValidImgIndex(g->BorderIndex)) {
        const TsMaskData& border = skinData->Image(g->BorderIndex);
        if (s != 0 || !(border.DrawMode & dmNoState0)) {
            DrawSkinMask32(bitmap, r, Moved(background, point), border, s, fillCorners);
            effects = true;
        }
    }
    if (effects) ApplyColorEffects(bitmap, look.Tone, look.HueOffset, look.Saturation);
}

void PaintControlItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                      const TPixelView& bitmap, const TacSkinPaintSource* skinData, TColor customColor,
                      bool fillCorners, TacGdipLayer* layer)
{
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    PaintSectionFrame(skinIndex, background, s, r, point, bitmap, skinData, customColor, fillCorners, layer);
    PaintCorners(*g, s, r, bitmap, *skinData);
}

void ApplyColorEffects(const TPixelView& bitmap, TColor tone, int hueOffset, int saturation)
{
    if (bitmap.IsNull()) return;
    auto pass = [&](TPixelProc proc, int value) {
        ForEachPixelRows(bitmap.Row0, bitmap.Stride, bitmap.Width, bitmap.Height, proc, value, 0xFF00FF);
    };
    if (tone != clNone) pass(TonePixel, static_cast<int>(tone));
    if (hueOffset != 0) pass(AdjustPixelHue, hueOffset);
    if (saturation != 0) pass(AdjustPixelSaturation, saturation);
}

TPixelImage RenderSectionFrame(const TacSkinPaintSource& skinData, int skinIndex, int state, int width, int height,
                               TacGdipLayer* layer)
{
    if (!skinData.IsValidSkinIndex(skinIndex) || width <= 0 || height <= 0) return {};
    TPixelImage image(width, height);
    TCacheInfo plain;
    plain.FillColor = skinData.GlobalColor();
    PaintSectionFrame(skinIndex, plain, state, image.Bounds(), TPoint(0, 0), image.View(), &skinData, acSkinColor,
                      true, layer);
    return image;
}

// ---- constant elements and layered windows -----------------------------------------------------

namespace {

// r cut to the bitmap, point moved with r's top-left corner; false when nothing is left.
bool ClipToBitmap(TRect& r, TPoint& point, const TPixelView& bitmap)
{
    const TRect c = TRect::Intersect(r, bitmap.Bounds());
    if (c.IsEmpty()) return false;
    point.x += c.left - r.left;
    point.y += c.top - r.top;
    r = c;
    return true;
}

int StateRecord(int state) { return std::clamp(state, 0, 2); }

}  // namespace

void PaintItemBGFast(int skinIndex, int texNormal, int texActive, const TCacheInfo& background, int state, TRect r,
                     TPoint point, const TPixelView& bitmap, const TacSkinPaintSource* skinData, TacGdipLayer* layer)
{
    if (!HasSkinData(skinData, L"PaintItemBGFast")) return;
    if (bitmap.IsNull() || !skinData || !skinData->IsValidSkinIndex(skinIndex)) return;
    // Scroll parts are painted with rectangles that may reach past the bitmap.
    if (!ClipToBitmap(r, point, bitmap)) return;
    const TacSkinPaintSource& skin = *skinData;
    const TsGenState& P = skin.Section(skinIndex).Props[static_cast<size_t>(StateRecord(state))];

    TItemLayers L;
    L.Fast = true;
    L.Grad = &P.GradientArray;
    L.WholeGrad = HasWholeGradient(P.GradientArray);
    L.C = P.Color;
    L.T = std::clamp(P.Transparency, 0, 100);
    L.I = std::clamp(P.ImagePercent, 0, 100);
    L.G = L.WholeGrad ? 0 : std::clamp(P.GradientPercent, 0, 100);
    L.TexIndex = StateRecord(state) == 0 ? texNormal : texActive;
    L.PlainFill = !background.Ready && L.T == 100 ? background.FillColor : L.C;

    const TCacheInfo moved = Moved(background, point);
    TItemPainter painter(skin, moved, layer);
    if (!background.Ready || L.T == 0) {
        painter.OwnBackground(bitmap, r, L);
    } else if (L.T < 100) {
        TPixelImage own(r.Width(), r.Height());
        painter.OwnBackground(own.View(), own.Bounds(), L);
        TItemPainter(skin, background, layer).Parent(bitmap, r, point, false);
        MixRectAt32(bitmap, own.View(), PercentWeight(L.T), own.Bounds(), r.TopLeft());
    } else {
        TItemPainter(skin, background, layer).Parent(bitmap, r, point, false);
    }
    if (L.WholeGrad) PaintGradient32(bitmap, r, P.GradientArray, layer);
}

void PaintItemFast(int skinIndex, int borderIndex, int texNormal, int texActive, const TCacheInfo& background,
                   int state, const TRect& r, TPoint point, const TPixelView& bitmap,
                   const TacSkinPaintSource* skinData, TacGdipLayer* layer)
{
    if (!HasSkinData(skinData, L"PaintItemFast")) return;
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    PaintItemBGFast(skinIndex, texNormal, texActive, background, s, r, point, bitmap, skinData, layer);
    if (skinData->IsValidImgIndex(borderIndex))
        DrawSkinMask32(bitmap, r, Moved(background, point), skinData->Image(borderIndex), s, true);
}

void PaintItemBG32(int skinIndex, int state, TRect r, const TPixelView& bitmap, const TacSkinPaintSource* skinData,
                   TColor customColor, TacGdipLayer* layer)
{
    if (!HasSkinData(skinData, L"PaintItemBG32")) return;
    if (bitmap.IsNull() || !skinData->IsValidSkinIndex(skinIndex)) return;
    const bool whole = r == bitmap.Bounds();
    TPoint unused;
    if (!ClipToBitmap(r, unused, bitmap)) return;
    const TacSkinPaintSource& skin = *skinData;
    const TsGenState& P = skin.Section(skinIndex).Props[static_cast<size_t>(StateRecord(state))];
    int t = std::clamp(P.Transparency, 0, 100);
    if (t == 100) {
        if (whole) FillRectAlpha32(bitmap, r, 0, 0);
        return;
    }
    // What lay under the rectangle's first pixel before painting.
    const uint32_t under = bitmap.At(r.left, r.top);

    TColor C = P.Color;
    int I = 0, G = 0, texIndex = -1;
    if (customColor == acSkinColor) {
        I = std::clamp(P.ImagePercent, 0, 100);
        G = std::clamp(P.GradientPercent, 0, 100);
        if (I > 0) texIndex = P.TextureIndex;
    } else {
        C = customColor;
        t = 0;
    }
    const uint8_t O = PercentWeight(100 - t);
    const TsGradArray& grad = P.GradientArray;
    const bool validTex = skin.IsValidImgIndex(texIndex);

    if (validTex && I + G == 100 && G >= 1 && G <= 99 && !grad.empty() && grad[0].Mode < 2) {
        const TsMaskData& tex = skin.Image(texIndex);
        if (tex.DrawMode == 0) {
            PaintTexturedGradient32(bitmap, r, grad, ImageSourceBitmap(tex), tex.R, PercentWeight(I), O);
            return;
        }
    }
    bool textured = false;
    if (I > 0 && validTex) {
        const TsMaskData& tex = skin.Image(texIndex);
        TRect u = r;
        if (tex.MaskType != 0)
            DrawMaskedImageByMode32(bitmap, u, EmptyCacheInfo, tex, tex.DrawMode);
        else
            DrawImageByMode32(bitmap, u, tex, tex.DrawMode);
        if (u.right != -1) FillRectAlpha32(bitmap, u, C, 255);
        textured = true;
    }
    if (G > 0) {
        if (textured) {
            TPixelImage band(r.Width(), r.Height());
            if (!grad.empty())
                PaintGradient32(band.View(), band.Bounds(), grad, layer);
            else
                FillRectAlpha32(band.View(), band.Bounds(), C, 255);
            MixRectAt32(bitmap, band.View(), PercentWeight(I), band.Bounds(), r.TopLeft());
        } else if (!grad.empty()) {
            // The bands go through the graphics library with the state's opacity. A copy: the
            // loaded skin's gradient stays as it is for every other painter of the section.
            TsGradArray alphaGrad = grad;
            if (!(alphaGrad[0].Mode & 0x10)) {
                alphaGrad[0].Mode |= 0x10;
                for (TsGradPoint& p : alphaGrad) p.Color.A = O;
            }
            PaintGradient32(bitmap, r, alphaGrad, layer);
        } else {
            FillRectAlpha32(bitmap, r, C, 255);
            return;
        }
    }
    const int c = G + I;
    if (c >= 1 && c <= 99) {
        BlendColorRect32(bitmap, r, PercentWeight(c), C);
    } else if (c == 0) {
        if (under == 0)
            FillRectAlpha32(bitmap, r, C, O);
        else if (t == 0)
            FillRectAlpha32(bitmap, r, C, 255);
        else
            TintRectAlpha32(bitmap, r, C, 100 - t, std::max<uint8_t>(uint8_t(under >> 24), O));
    }
}

void PaintItem32(int skinIndex, int state, const TRect& r, const TPixelView& bitmap,
                 const TacSkinPaintSource* skinData, TacGdipLayer* layer, bool compositionOn)
{
    if (bitmap.IsNull() || r.IsEmpty()) return;
    if (!HasSkinData(skinData, L"PaintItem32")) return;
    const TsGeneralData* g = CheckedSection(skinIndex, r, bitmap, skinData);
    if (!g) return;
    const int s = SectionState(*g, state);
    // The background as it was, for the border's see-through corners.
    TPixelImage saved(r.Width(), r.Height());
    CopyBlock32(saved.View(), 0, 0, bitmap, r);
    PaintItemBG32(skinIndex, std::min(s, 2), r, bitmap, skinData, acSkinColor, layer);
    if (skinData->IsValidImgIndex(g->BorderIndex))
        DrawSkinMaskLayered32(bitmap, r, BuildCacheInfo(saved.View(), -r.left, -r.top), skinData->Image(g->BorderIndex),
                              s);
    if (r.Width() == bitmap.Width && r.Height() == bitmap.Height) PremultiplyAlphaRect32(bitmap, r, compositionOn);
}

void SetPaintUsageWarning(TacPaintUsageWarning warning) { PaintUsageWarning = warning; }
