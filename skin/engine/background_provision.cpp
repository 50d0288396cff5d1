// The answering side of background questions: a parent's image or colour under a child, which
// section lies behind a see-through section, the colour and text colour there, copying a cache
// into a DC with opaque children clipped out, outer effects painted into a parent's image, and a
// window region cut from a border image.
#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/edge_runs.h"
#include "skin/engine/link_painting.h"
#include "skin/graphics/paint32.h"
#include "vcl/forms.h"

namespace {

const TsGeneralData* SectionOf(TacSkinData* d, int index)
{
    return d && d->IsValidSection(index) ? &d->gd[static_cast<size_t>(index)] : nullptr;
}

bool CacheStale(const TsCommonData& l) { return l.BGChanged || l.CacheEmpty(); }

}  // namespace

// ---- ProvideBackground -------------------------------------------------------------------------

void TsCommonData::ProvideBackground(TacBgQuery& q, int state, HWND wnd)
{
    TControl* c = FOwnerControl;
    if (q.PaintIt) {
        if (BGChanged && c) SendSkinCommandToControl(c, scmPrepareCache, 0);
        // A cache that stayed stale has nothing to copy: the asker is told to paint later.
        if (CacheStale(*this)) {
            q.Kind = bgNotReady;
            return;
        }
        BitBlt(q.DC, q.R.left, q.R.top, q.R.Width(), q.R.Height(), FCacheBmp->Canvas()->Handle(), q.Offset.x, q.Offset.y,
               SRCCOPY);
        q.Kind = bgBitmap;
        return;
    }
    q.Bmp = nullptr;
    TacSkinData* d = ResolveSkinData();
    const TsGeneralData* g = Skinned() ? SectionOf(d, SkinIndex) : nullptr;
    if (!g || FCustomColor) {
        q.Kind = bgColor;
        if (c)
            q.Color = ColorToRGB(c->Color());
        else if (TCustomForm* f = ProviderForm())
            q.Color = ColorToRGB(f->Color());
        return;
    }
    const TsGenState& s = g->Props[static_cast<size_t>(ClampSectionState(state, g->States))];
    const int t = s.Transparency, i = s.ImagePercent, gp = s.GradientPercent;
    TsSkinManager* m = SkinManager();
    if (t >= 100) {
        if (!FCacheBmp) {
            TWinControl* parent = c ? c->Parent() : nullptr;
            TPoint pos = c ? TPoint(c->Left(), c->Top()) : TPoint();
            if (!c) {
                if (TCustomForm* f = ProviderForm()) parent = f->Parent(), pos = TPoint(f->Left(), f->Top());
            }
            if (parent) {
                GetControlBackground(q, parent, false);
                if (q.Bmp) {
                    q.Offset.x += pos.x, q.Offset.y += pos.y;
                    q.FillRect.left -= pos.x, q.FillRect.top -= pos.y;
                }
            } else if (wnd) {
                GetWindowBackground(q, GetParent(wnd), false);
                if (q.Kind == bgBitmap) {
                    RECT wr{};
                    GetWindowRect(wnd, &wr);
                    POINT p{wr.left, wr.top};
                    ScreenToClient(GetParent(wnd), &p);
                    q.Offset.x += p.x, q.Offset.y += p.y;
                }
            } else {
                q.Kind = bgColor;
                q.Color = DefaultManager ? DefaultManager->GetGlobalColor() : ColorToRGB(clBtnFace);
            }
            return;
        }
        if (BGChanged && c) SendSkinCommandToControl(c, scmPrepareCache, 0);
        if (BGChanged) {
            q.Bmp = nullptr;
            q.Kind = bgColor;
            q.Offset = TPoint();
            q.Color = SkinBGColor(0, nullptr);
        } else {
            q.Kind = bgBitmap;
            q.Bmp = FCacheBmp;
            q.Offset = TPoint();
        }
        return;
    }
    if (t > 0) {
        if (!FCacheBmp) {
            q.Color = 0xFF00FF;
            q.Kind = bgColor;
            return;
        }
        if (CacheEmpty()) {
            if (c) SendSkinCommandToControl(c, scmPrepareCache, 0);
            if (CacheEmpty()) {
                FUpdating = true;
                q.Kind = bgNotReady;
                return;
            }
        }
        q.Kind = bgBitmap;
        q.Bmp = FCacheBmp;
        q.Offset = TPoint();
        return;
    }
    const bool corners = g->ImgTL >= 0 || g->ImgTR >= 0 || g->ImgBL >= 0 || g->ImgBR >= 0;
    if (gp > 0 || i > 0 || corners || OuterEffectsAllowed()) {
        q.Color = m ? m->GetGlobalColor() : ColorToRGB(clBtnFace);
        const bool sizeDiffers = c && FCacheBmp && (FCacheBmp->Width() != c->Width() || FCacheBmp->Height() != c->Height());
        if (BGChanged || CacheEmpty() || sizeDiffers) {
            BGChanged = true;
            if (c) {
                if (FCacheBmp) FCacheBmp->SetSize(0, 0);
                SendSkinCommandToControl(c, scmPrepareCache, 0);
            } else if (TCustomForm* f = ProviderForm(); f && !(f->FormState() & 0x80)) {
                if (FCacheBmp) FCacheBmp->SetSize(0, 0);
                PerformSkinCommand(f, scmPrepareCache, 0);
            }
        }
        if (CacheEmpty()) {
            q.Kind = bgNotReady;
            return;
        }
        q.Kind = bgBitmap;
        q.Bmp = AnimTimer && AnimTimer->Enabled() && AnimTimer->BmpOut ? AnimTimer->BmpOut : FCacheBmp;
        q.Offset = TPoint();
        return;
    }
    q.Bmp = nullptr;
    q.Kind = bgColor;
    q.Color = SkinBGColor(state, nullptr);
    if (d->IsValidImage(g->BorderIndex)) {
        const TsMaskData& b = d->ma[static_cast<size_t>(g->BorderIndex)];
        if (!(b.DrawMode & dmNoState0) && FCacheBmp) {
            q.FillRect = TRect(b.WL, b.WT, b.WR, b.WB);
            q.Bmp = FCacheBmp;
            q.Offset = TPoint();
        }
    }
}

TColor TsCommonData::SkinBGColor(int state, HWND wnd)
{
    TacSkinData* d = ResolveSkinData();
    const TsGeneralData* g = Skinned() ? SectionOf(d, SkinIndex) : nullptr;
    if (g) {
        const int s = state > 0 && g->States > 1 ? 1 : 0;
        const int t = g->Props[static_cast<size_t>(s)].Transparency;
        const TColor color = g->Props[static_cast<size_t>(s)].Color;
        if (t >= 100) {
            if (FOwnerControl) return ControlBackColor(FOwnerControl->Parent());
            if (wnd) return WindowBackColor(GetParent(wnd));
            return color;
        }
        if (t > 0) {
            TColor p = 0;
            if (FOwnerControl)
                p = ControlBackColor(FOwnerControl->Parent());
            else if (wnd)
                p = WindowBackColor(GetParent(wnd));
            else
                return clBtnFace;
            return MixColors(color, p, static_cast<uint8_t>(t * 255 / 100));
        }
        if (!FCustomColor) return color;
    }
    if (FOwnerControl) return FOwnerControl->Color();
    if (TCustomForm* f = ProviderForm()) return f->Color();
    return clBtnFace;
}

bool TsCommonData::StateIsTransparent(int state)
{
    return SectionStateTransparent(SkinManager(), SkinIndex, state, FOwnerControl);
}

void TsCommonData::FetchParentBG(TCacheInfo& info)
{
    if (Skinned() && FOwnerControl) {
        TacBgQuery q;
        if (FOwnerControl->Parent()) {
            GetControlBackground(q, FOwnerControl->Parent(), false);
            info = BgInfoToCacheInfo(q);
            return;
        }
        if (auto* w = dynamic_cast<TWinControl*>(FOwnerControl); w && w->HandleAllocated() && GetParent(w->ExistingHandle())) {
            GetWindowBackground(q, GetParent(w->ExistingHandle()), false);
            info = BgInfoToCacheInfo(q);
            return;
        }
    }
    info = TCacheInfo();
    info.X = 0, info.Y = 0;
    info.FillColor = SkinBGColor(0, nullptr);
    info.Ready = false;
}

void FetchParentBGOfWnd(HWND wnd, TCacheInfo& info)
{
    info.Ready = false;
    HWND parent = wnd ? GetParent(wnd) : nullptr;
    if (!parent) {
        info = TCacheInfo();
        info.X = info.Y = 0;
        info.FillColor = 0;
        return;
    }
    TacBgQuery q;
    GetWindowBackground(q, parent, false);
    info = BgInfoToCacheInfo(q);
}

// ---- sections behind ------------------------------------------------------------------------------

int SectionBehindControl(TControl* control, int skinIndex, TsSkinManager* manager, int state)
{
    const int s = std::min(state, 2);
    if (s > 0 && skinIndex >= 0 && manager) {
        const TsGeneralData* g = SectionOf(manager->CommonSkinData(96), skinIndex);
        if (g && state < g->States && g->Props[static_cast<size_t>(s)].Transparency < 40) return skinIndex;
    }
    if (!control) return skinIndex;
    TacSectionBehindQuery q{state, 0, control->BoundsRect(), manager};
    const LRESULT r = PerformSkinCommand(control, scmGetSectionBehind, reinterpret_cast<LPARAM>(&q));
    if (r == -1) return skinIndex;
    if (r == 0) return -1;
    return q.SkinIndex >= 0 ? q.SkinIndex : skinIndex;
}

int AskSectionBehind(TControl* control, TacSectionBehindQuery& query)
{
    if (!control) return query.SkinIndex;
    if (control->Parent()) query.R.Offset(control->Left(), control->Top());
    LRESULT r = 0;
    auto* w = dynamic_cast<TWinControl*>(control);
    if (w && w->HandleAllocated())
        r = DeliverWindowMessage(w->ExistingHandle(), MSG_SKINCOMMAND, SkinCommandWParam(scmGetSectionBehind),
                                 reinterpret_cast<LPARAM>(&query));
    else
        r = PerformSkinCommand(control, scmGetSectionBehind, reinterpret_cast<LPARAM>(&query));
    if (control->HasState(csDesigning) || (r != 0 && r != -1)) return static_cast<int>(r);
    return query.SkinIndex;
}

LRESULT SendSectionBehindQuery(HWND wnd, TacSectionBehindQuery& query)
{
    if (!wnd) return 0;
    const WPARAM wp = SkinCommandWParam(scmGetSectionBehind);
    TacSkinCommandMark mark(wp, reinterpret_cast<LPARAM>(&query));
    return SendMessageW(wnd, MSG_SKINCOMMAND, wp, reinterpret_cast<LPARAM>(&query));
}

namespace {

// Which section to read a text colour from: the asker's, or what its parent reports behind it.
// Returns false when the answer is the parent's font colour, given in colour.
bool FollowBehind(LRESULT r, const TacSectionBehindQuery& q, int& skinIndex)
{
    if (r == -1) return true;
    if (r == 0) return false;
    if (q.SkinIndex >= 0) skinIndex = q.SkinIndex;
    return true;
}

TColor StateFontColor(TsSkinManager* manager, int skinIndex, int state)
{
    const TsGeneralData* g = SectionOf(manager->CommonSkinData(96), skinIndex);
    if (!g) return manager->Palette[pcLabelText];
    return g->Props[static_cast<size_t>(ClampSectionState(state, g->States))].FontColor.Color;
}

}  // namespace

TColor SkinFontColorOf(TControl* control, int skinIndex, TsSkinManager* manager, int state, TsCommonData* link)
{
    if (link && link->FCustomFont && control) return control->Font()->Color();
    const int s = std::min(state, 2);
    const TsGeneralData* g = manager ? SectionOf(manager->CommonSkinData(96), skinIndex) : nullptr;
    const bool behind = !g || state >= g->States || g->Props[static_cast<size_t>(std::max(s, 0))].Transparency >= 40;
    if (behind && control) {
        TacSectionBehindQuery q{s, skinIndex, control->BoundsRect(), manager};
        const LRESULT r = PerformSkinCommand(control, scmGetSectionBehind, reinterpret_cast<LPARAM>(&q));
        if (!FollowBehind(r, q, skinIndex)) {
            TControl* from = control->Parent() ? static_cast<TControl*>(control->Parent()) : control;
            return from->Font()->Color();
        }
    }
    if (manager && manager->IsActive()) return StateFontColor(manager, skinIndex, s);
    return control ? control->Font()->Color() : TColor(clWindow);
}

TColor SkinFontColorOfWnd(HWND wnd, int skinIndex, TsSkinManager* manager, int state)
{
    const TsGeneralData* g = manager ? SectionOf(manager->CommonSkinData(96), skinIndex) : nullptr;
    const int s = ClampSectionState(state, 3);
    const bool behind = state == 0 || skinIndex < 0 || !g || state >= g->States ||
                        g->Props[static_cast<size_t>(s)].Transparency > 39;
    if (behind) {
        TacSectionBehindQuery q{state, skinIndex, TRect(), manager};
        const WPARAM wp = SkinCommandWParam(scmGetSectionBehind);
        const LRESULT r = DeliverWindowMessage(wnd, MSG_SKINCOMMAND, wp, reinterpret_cast<LPARAM>(&q));
        if (!FollowBehind(r, q, skinIndex)) return clBtnText;
    }
    if (manager && manager->IsActive()) return StateFontColor(manager, skinIndex, state);
    return clBtnText;
}

bool SectionStateTransparent(TsSkinManager* manager, int skinIndex, int state, TControl* control)
{
    if (!manager || (control && !control->Parent())) return false;
    TacSkinData* d = manager->CommonSkinData(96);
    const TsGeneralData* g = SectionOf(d, skinIndex);
    if (!g) return false;
    const int s = ClampSectionState(state, g->States);
    if (g->Props[static_cast<size_t>(s)].Transparency <= 50) return false;
    if (!d->IsValidImage(g->BorderIndex)) return true;
    const TsMaskData& m = d->ma[static_cast<size_t>(g->BorderIndex)];
    if (s == 0) return !(m.DrawMode & dmFillCenter) || (m.DrawMode & dmNoState0);
    if (!(m.DrawMode & dmFillCenter)) return true;
    if (m.MaskType == 0) return false;
    // The state's frame, limited to the frames the image has.
    const int frame = std::min(s, std::max(1, static_cast<int>(m.ImageCount)) - 1);
    const TPixelView src = ImageSourceBitmap(m);
    const int x = m.R.left + frame * m.Width + m.Width / 2;
    const int y = m.R.bottom - m.Height / 2;
    if (src.IsNull() || x < 0 || y < 0 || x >= src.Width || y >= src.Height) return false;
    return (src.At(x, y) & 0xFF) > 127;
}

// ---- caches into DCs ---------------------------------------------------------------------------------

void PaintCacheToDC(TControl* control, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                    bool paintBorder, int offsetX, int offsetY)
{
    if (!link || link->CacheEmpty()) return;
    if (paintBorder) PaintControlBorder32(link, 0, 15);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, dstRect.left, dstRect.top, dstRect.right, dstRect.bottom);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        TsSkinManager* m = link->SkinManager();
        const bool skipGraphic = m && m->Options()->StdImgTransparency();
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl* child = w->Controls(i);
            const bool graphic = !dynamic_cast<TWinControl*>(child);
            if (graphic && skipGraphic) continue;
            TRect b = child->BoundsRect();
            if (!child->Visible() || !RectsOverlap(b, dstRect)) continue;
            if ((child->ControlStyle() & csOpaque) || graphic || QueryControlCommand(child, scmIsOpaque)) {
                b.Offset(offsetX, offsetY);
                ExcludeClipRect(dc, b.left, b.top, b.right, b.bottom);
            }
        }
    }
    BitBlt(dc, dstRect.left, dstRect.top, dstRect.Width(), dstRect.Height(), link->FCacheBmp->Canvas()->Handle(),
           srcRect.left, srcRect.top, SRCCOPY);
    RestoreDC(dc, saved);
}

void PaintCacheToWndDC(HWND wnd, TsCommonData* link, const TRect& srcRect, const TRect& dstRect, HDC dc,
                       bool paintBorder, int offsetX, int offsetY)
{
    if (!link || link->CacheEmpty()) return;
    if (paintBorder) PaintControlBorder32(link, 0, 15);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, dstRect.left, dstRect.top, dstRect.right, dstRect.bottom);
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT wr{};
        GetWindowRect(child, &wr);
        MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&wr), 2);
        TRect b(wr.left + offsetX, wr.top + offsetY, wr.right + offsetX, wr.bottom + offsetY);
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        const bool groupBox = (style & 7) == 7 && !(GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        if (groupBox && DefaultManager) {
            const int caption = static_cast<int>(SendSkinCommand(child, scmGetCaptionHeight, 0));
            int wl = 0, wr2 = 0, wb = 0;
            TacSkinData* d = DefaultManager->CommonSkinData(96);
            const int sec = DefaultManager->SkinCommonInfo.Sections[ssGroupBox];
            if (const TsGeneralData* g = SectionOf(d, sec); g && d->IsValidImage(g->BorderIndex)) {
                const TsMaskData& m = d->ma[static_cast<size_t>(g->BorderIndex)];
                wl = m.WL, wr2 = m.WR, wb = m.WB;
            }
            ExcludeClipRect(dc, b.left, b.top, b.right, b.top + caption);
            ExcludeClipRect(dc, b.left, b.top, b.left + wl, b.bottom);
            ExcludeClipRect(dc, b.right - wr2, b.top, b.right, b.bottom);
            ExcludeClipRect(dc, b.left, b.bottom - wb, b.right, b.bottom);
        } else if (!groupBox) {
            ExcludeClipRect(dc, b.left, b.top, b.right, b.bottom);
        }
    }
    BitBlt(dc, dstRect.left, dstRect.top, dstRect.Width(), dstRect.Height(), link->FCacheBmp->Canvas()->Handle(),
           srcRect.left, srcRect.top, SRCCOPY);
    RestoreDC(dc, saved);
}

// ---- colour effects and regions ------------------------------------------------------------------

void ApplyColorEffects(TBitmap* bmp, TsCommonData* link, bool flag, int state, TColor buttonTone)
{
    (void)flag;
    if (!bmp || !link) return;
    const bool button = link->COC == ackind::Button || link->COC == ackind::BitBtn;
    TColor tone = button ? buttonTone : link->FColorTone;
    if (tone == 0) tone = clNone;
    if (tone != clNone) tone = ResolveSkinColor(tone, link->SkinManager());
    ApplyColorEffects(bmp, tone, link->FHUEOffset, link->FSaturation);
    PaintControlBorder32(link, state, 15);
}

HRGN RegionFromBorderMask(int skinIndex, TBitmap* bmp, TacSkinData* skinData)
{
    const TsGeneralData* g = SectionOf(skinData, skinIndex);
    if (!g || !bmp || !skinData->IsValidImage(g->BorderIndex)) return nullptr;
    const TsMaskData& m = skinData->ma[static_cast<size_t>(g->BorderIndex)];
    std::vector<TRect> rects;
    CollectMaskEdgeRects(rects, bmp->Width(), m, 0, false, 0);
    CollectMaskEdgeRects(rects, bmp->Width(), m, bmp->Height() - m.WB, true, 0);
    HRGN region = CreateRectRgn(0, 0, bmp->Width() - 1, bmp->Height() - 1);
    const TPixelView v = BitmapView(bmp);
    for (const TRect& r : rects) {
        for (int y = std::max(0, static_cast<int>(r.top)); y < std::min(bmp->Height(), static_cast<int>(r.bottom)); ++y)
            for (int x = std::max(0, static_cast<int>(r.left)); x < std::min(bmp->Width(), static_cast<int>(r.right)); ++x)
                v.At(x, y) = 0;
        HRGN hole = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, hole, RGN_DIFF);
        DeleteObject(hole);
    }
    return region;
}

// ---- outer effects -----------------------------------------------------------------------------------

void TsCommonData::PaintOuterEffects(TWinControl* ownerCtrl, const TPoint& offset)
{
    TsSkinManager* m = SkinManager();
    if (!ownerCtrl || !Skinned() || !m || !m->Effects()->AllowOuterEffects()) return;
    TacBgQuery q;
    q.Kind = bgBitmap;
    q.Bmp = FCacheBmp;
    q.Offset = offset;
    for (int i = 0; i < ownerCtrl->ControlCount(); ++i) {
        TControl* child = ownerCtrl->Controls(i);
        if (ReadyForSkinning(child) && child->Visible())
            PerformSkinCommand(child, scmPaintOuterEffect, reinterpret_cast<LPARAM>(&q));
    }
}

void TsCommonData::DrawOwnOuterEffect(TacBgQuery* query, unsigned arg)
{
    TacSkinData* d = ResolveSkinData();
    const TsGeneralData* g = Skinned() ? SectionOf(d, SkinIndex) : nullptr;
    if (!g || FOuterEffects->Visibility() == ovNone || g->OuterMode < 1) return;
    int mask = g->OuterMask, opacity = g->OuterOpacity;
    TRect margins = g->OuterOffset;
    if (g->OuterMask < 0 && (g->OuterMode == 1 || g->OuterMode == 2)) {
        const auto& e = d->oe[static_cast<size_t>(g->OuterMode - 1)];
        if (e.Source == 0 || e.Mask < 0) return;
        mask = e.Mask;
        margins = TRect(e.OffsetL, e.OffsetT, e.OffsetR, e.OffsetB);
        opacity = e.Opacity;
    }
    if (!query || !query->Bmp || !FOwnerControl) return;
    TRect e;
    PerformSkinCommand(FOwnerControl, scmGetBounds, reinterpret_cast<LPARAM>(&e));
    e.Offset(query->Offset.x, query->Offset.y);
    e = TRect(e.left - margins.left, e.top - margins.top, e.right + margins.right, e.bottom + margins.bottom);
    if (e.Width() <= 0 || e.Height() <= 0) return;
    const bool restoreSaved = (arg & 0x100) && FOuterCache;
    TBitmap* under = NewBitmap32(e.Width(), e.Height());
    BitBlt(under->Canvas()->Handle(), 0, 0, e.Width(), e.Height(), query->Bmp->Canvas()->Handle(), e.left, e.top, SRCCOPY);
    TBitmap* target = query->Bmp;
    TPoint at(e.left, e.top);
    if (restoreSaved) target = FOuterCache, at = TPoint();
    if (mask > 0 && d->IsValidImage(mask)) {
        TsMaskData md = d->ma[static_cast<size_t>(mask)];
        md.WL = static_cast<int16_t>(margins.left), md.WT = static_cast<int16_t>(margins.top);
        md.WR = static_cast<int16_t>(margins.right), md.WB = static_cast<int16_t>(margins.bottom);
        TBitmap* layer = NewBitmap32(e.Width(), e.Height());
        BitBlt(layer->Canvas()->Handle(), 0, 0, e.Width(), e.Height(), target->Canvas()->Handle(), at.x, at.y, SRCCOPY);
        TCacheInfo bg;
        bg.Bmp = BitmapView(layer);
        bg.X = bg.Y = 0;
        bg.Ready = true;
        DrawSkinMask32(layer, TRect(0, 0, e.Width(), e.Height()), bg, md, 0, true);
        MixRectAt32(target, layer, static_cast<uint8_t>(255 - std::clamp(opacity, 0, 255)),
                    TRect(0, 0, e.Width() - 1, e.Height() - 1), at);
        delete layer;
    }
    if (restoreSaved)
        BitBlt(query->Bmp->Canvas()->Handle(), e.left, e.top, e.Width(), e.Height(), FOuterCache->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    delete FOuterCache;
    FOuterCache = under;
}
