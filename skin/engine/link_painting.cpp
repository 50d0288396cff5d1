#include "skin/engine/link_painting.h"

#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"

void PaintControlBorder32(TsCommonData* link, int state, int corners)
{
    if (!link) return;
    TsSkinManager* m = link->SkinManager();
    TControl* c = link->FOwnerControl;
    if (!m || !m->IsActive() || link->SkinIndex < 0 || !link->FCacheBmp || !c) return;
    TacSkinData* d = link->ResolveSkinData();
    if (!d || !d->IsValidSection(link->SkinIndex)) return;
    const int bi = d->gd[static_cast<size_t>(link->SkinIndex)].BorderIndex;
    if (!d->IsValidImage(bi)) return;
    TsMaskData ma = d->ma[static_cast<size_t>(bi)];
    if (!(ma.Cfg & 3)) return;
    TacBgQuery q;
    if (c->Parent()) {
        GetControlBackground(q, c->Parent(), false);
    } else if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated() && GetParent(w->ExistingHandle())) {
        GetWindowBackground(q, GetParent(w->ExistingHandle()), false);
    } else {
        return;
    }
    const int W = c->Width(), H = c->Height();
    const int L = ma.WL, T = ma.WT, Rb = ma.WR, B = ma.WB;
    if (ma.Bmp && ma.ImageCount == 0) {
        ma.ImageCount = 3;
        ma.MaskType = 1;
        ma.R = TRect(0, 0, ma.Bmp->Width(), ma.Bmp->Height());
    }
    if (q.Kind == bgBitmap) q.Offset.x += c->Left(), q.Offset.y += c->Top();
    const int s = std::clamp(state, 0, std::max(1, static_cast<int>(ma.ImageCount)) - 1);
    const int x0 = ma.R.left + s * ma.Width, y0 = ma.R.top;
    const TPixelView src = ImageSourceBitmap(ma);
    const TPixelView cache = BitmapView(link->FCacheBmp);
    const TPixelView parent = q.Kind == bgBitmap ? BitmapView(q.Bmp) : TPixelView();
    if (src.IsNull() || cache.IsNull()) return;
    // Opaque, like every other pixel of the cache.
    const uint32_t colour = 0xFF000000u | ExchangeRedBlue(static_cast<uint32_t>(ColorToRGB(q.Color)) & 0xFFFFFF);
    struct TCorner {
        int bit, sx, sy, w, h, dx, dy;
    };
    const TCorner list[4] = {{1, x0, y0, L, T, 0, 0},
                             {2, x0, y0 + ma.Height - B, L, B, 0, H - B},
                             {8, x0 + ma.Width - Rb, y0 + ma.Height - B, Rb, B, W - Rb, H - B},
                             {4, x0 + ma.Width - Rb, y0, Rb, T, W - Rb, 0}};
    for (const TCorner& k : list) {
        if (!(corners & k.bit)) continue;
        for (int y = 0; y < k.h; ++y) {
            for (int x = 0; x < k.w; ++x) {
                const int sx = k.sx + x, sy = k.sy + y, cx = k.dx + x, cy = k.dy + y;
                if (sx < 0 || sy < 0 || sx >= src.Width || sy >= src.Height) continue;
                if (cx < 0 || cy < 0 || cx >= cache.Width || cy >= cache.Height) continue;
                if (src.At(sx, sy) != 0x00FF00FF) continue;
                if (!parent.IsNull()) {
                    const int px = cx + q.Offset.x, py = cy + q.Offset.y;
                    if (px >= 0 && py >= 0 && px < parent.Width && py < parent.Height) cache.At(cx, cy) = parent.At(px, py);
                } else if (ma.MaskType != 0 || q.Color != TColor(0xFF00FF)) {
                    cache.At(cx, cy) = colour;
                }
            }
        }
    }
}
