#include "skin/engine/link_painting.h"

#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "vcl/forms.h"

namespace {

// The link's skin data when it can paint: a manager, skin data and a valid section.
TacSkinData* PaintableData(TsCommonData* link)
{
    if (!link || !link->SkinManager() || !link->SkinManager()->IsValidSkinIndex(link->SkinIndex)) return nullptr;
    TacSkinData* d = link->ResolveSkinData();
    return d && d->IsValidSkinIndex(link->SkinIndex) ? d : nullptr;
}

bool InsideBitmap(const TRect& r, TBitmap* bitmap)
{
    return bitmap && !r.IsEmpty() && r.left >= 0 && r.top >= 0 && r.right <= bitmap->Width() &&
           r.bottom <= bitmap->Height();
}

// The colour that replaces the skin's when the control keeps its own (acSkinColor: none).
TColor OwnColorOf(TsCommonData* link)
{
    if (!link->FCustomColor) return acSkinColor;
    TControl* owner = link->ProviderForm();
    if (!owner) owner = link->FOwnerControl;
    return owner ? ColorToRGB(ResolveSkinColor(owner->Color(), link->SkinManager())) : acSkinColor;
}

}  // namespace

void PaintSkinDataBG(TsCommonData* link, const TCacheInfo& background, int state, const TRect& r, const TPoint& point,
                     TBitmap* bitmap)
{
    TacSkinData* d = PaintableData(link);
    if (!d) return;
    const int s = SectionState(d->gd[static_cast<size_t>(link->SkinIndex)], state);
    PaintItemBG(link->SkinIndex, background, s, r, point, bitmap, d, -1, -1, OwnColorOf(link));
}

void PaintSkinDataItem(TsCommonData* link, const TCacheInfo& background, int state, const TRect& r,
                       const TPoint& point, TBitmap* bitmap, bool fillCorners)
{
    TacSkinData* d = PaintableData(link);
    if (!d || !InsideBitmap(r, bitmap)) return;
    TacItemLook look;
    look.CustomColor = OwnColorOf(link);
    if (link->FColorTone != clNone) look.Tone = ResolveSkinColor(link->FColorTone, link->SkinManager());
    look.HueOffset = link->FHUEOffset;
    look.Saturation = link->FSaturation;
    PaintSkinDataItem(link->SkinIndex, background, state, r, point, bitmap, d, look, fillCorners);
}

bool PaintControlItem(TsCommonData* link, TControl* control, int state, const TRect& r, const TPoint& point,
                      TBitmap* bitmap, bool fillCorners)
{
    TacSkinData* d = PaintableData(link);
    if (!d || !InsideBitmap(r, bitmap)) return true;
    TacBgQuery q;
    GetControlBackground(q, control, false);
    if (q.Kind == bgNotReady) return false;
    PaintControlItem(link->SkinIndex, BgInfoToCacheInfo(q), state, r, point, bitmap, d, OwnColorOf(link), fillCorners);
    return true;
}

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
