#include "skin/controls/sstatusbar.h"

#include <commctrl.h>

#include <memory>

#include "skin/controls/core/status_panels.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

namespace {

// A background that is the cache itself: images and items drawn over it show it through.
TCacheInfo OverCache(TBitmap* cache)
{
    TCacheInfo bg;
    bg.Bmp = BitmapView(cache);
    bg.X = bg.Y = 0;
    bg.Ready = true;
    return bg;
}

UINT AlignFlags(TacStatusTextAlign a)
{
    switch (a) {
    case staCenter: return DT_CENTER;
    case staRight: return DT_RIGHT;
    default: return DT_LEFT;
    }
}

}  // namespace

TsStatusBar::TsStatusBar(TComponent* owner) : TacSkinFrame<TStatusBar>(owner, ackind::StatusBar)
{
    FControlStyle |= csAcceptsControls | csOpaque;
}

int TsStatusBar::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssStatusBar] : -1;
}

bool TsStatusBar::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

std::vector<TRect> TsStatusBar::PanelRects() const
{
    const int w = StatusPanelsWidth(FWidth, FSizeGrip);
    if (FSimplePanel || FPanels->Count() == 0) return {StatusSimplePanelRect(w, FHeight)};
    std::vector<int> widths;
    for (int i = 0; i < FPanels->Count(); ++i) widths.push_back(FPanels->Items(i)->Width());
    std::vector<TRect> rects = StatusPanelSpans(widths, w, FHeight);
    for (TRect& r : rects) r = StatusPanelRect(r);
    return rects;
}

void TsStatusBar::PaintContent(TBitmap* cache, int state)
{
    (void)state;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    int panelImage = d->MaskIndexOf(l->SkinIndex, L"STATUSPANELMASK");
    if (!d->IsValidImage(panelImage) || !d->ma[static_cast<size_t>(panelImage)].Manager) panelImage = -1;
    const std::vector<TRect> rects = PanelRects();
    const bool simple = FSimplePanel || FPanels->Count() == 0;
    for (size_t i = 0; i < rects.size(); ++i)
        PaintPanel(cache, simple ? nullptr : FPanels->Items(static_cast<int>(i)), static_cast<int>(i), rects[i], panelImage);
    if (FSizeGrip && d->IsValidImage(d->GripRightBottom)) {
        const TsMaskData& grip = d->ma[static_cast<size_t>(d->GripRightBottom)];
        if (grip.Manager)
            DrawMaskState32(cache, StatusGripPoint(FWidth, FHeight, grip.Width, grip.Height, FBorderWidth), 0, 1, grip,
                            OverCache(cache));
    }
}

void TsStatusBar::PaintPanel(TBitmap* cache, TStatusPanel* panel, int index, const TRect& r, int panelImage)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    const bool simple = panel == nullptr;
    if (panelImage >= 0) {
        // Stretched over the panel (the whole bar for a simple one); its see-through corners show
        // the bar under them rather than the key colour.
        const TRect area = simple ? TRect(0, 0, FWidth, FHeight) : r;
        DrawSkinMask32(cache, area, OverCache(cache), d->ma[static_cast<size_t>(panelImage)], 0, true);
    } else if (!simple && StatusPanelHasDivider(index, FPanels->Count(), panel->Bevel() == pbNone, false, false)) {
        const int section = m ? m->SkinCommonInfo.Sections[ssDivider] : -1;
        if (d->IsValidSection(section)) {
            const int border = d->gd[static_cast<size_t>(section)].BorderIndex;
            const bool hasBorder = d->IsValidImage(border);
            const TsMaskData* img = hasBorder ? &d->ma[static_cast<size_t>(border)] : nullptr;
            const int width = StatusDividerWidth(img ? img->WL : 0, img ? img->WR : 0);
            const TRect at = StatusDividerRect(r, width, FHeight);
            if (at.Height() > 0) {
                std::unique_ptr<TBitmap> tmp(NewBitmap32(width, at.Height()));
                PaintItem(section, OverCache(cache), 0, TRect(0, 0, width, at.Height()), at.TopLeft(), tmp.get(), d);
                BitBlt(cache->Canvas()->Handle(), at.left, at.top, width, at.Height(), tmp->Canvas()->Handle(), 0, 0,
                       SRCCOPY);
            }
        }
    }
    if (!simple && panel->Style() == psOwnerDraw && OnDrawPanel) {
        if (EventsAllowed()) {
            // The handler draws on the bar's canvas: bound to the cache, it lands in the bar's image.
            TControlCanvasPaint paint(FCanvas, cache->Canvas()->Handle(), FFont, clNone, true);
            OnDrawPanel(this, panel, r);
        }
        return;
    }
    const String& text = simple ? FSimpleText : panel->Text();
    if (text.empty()) return;
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(FFont);
    c->Brush()->SetStyle(bsClear);
    UINT flags = DT_VCENTER | DT_EXPANDTABS | DT_END_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX;
    flags |= AlignFlags(StatusTextAlign(simple ? taLeftJustify : panel->Alignment(), simple, UseRightToLeftAlignment(),
                                        UseRightToLeftReading()));
    flags |= DrawTextBiDiModeFlagsReadingOnly();
    const TRect t = StatusTextRect(r);
    if (l->CustomFont())
        DrawTextOnCanvas(c, text.c_str(), Enabled(), t, flags);
    else
        WriteSectionText(c, text, Enabled(), t, flags, l->SkinIndex, l->CurrentState(), m);
}

void TsStatusBar::PaintSkinned(HDC given)
{
    TsCommonData* l = SkinData();
    HWND wnd = Handle();
    PAINTSTRUCT ps{};
    HDC dc = given ? given : BeginPaint(wnd, &ps);
    const bool parentHalf = Parent() && PerformSkinCommand(Parent(), scmIsHalfVisible, 0) != 0;
    const bool stale = l->BGChanged || l->HalfVisible || parentHalf || l->CacheEmpty();
    l->HalfVisible = Parent() && StatusBarHalfVisible(BoundsRect(), Parent()->ClientWidth(), Parent()->ClientHeight());
    if (!stale || PrepareCache()) {
        // The cache is the whole bar, border included; the client area starts inside the border.
        const TRect client(0, 0, FWidth, FHeight);
        const TRect from(FBorderWidth, FBorderWidth, FWidth, FHeight);
        PaintCacheToDC(this, l, from, client, dc, true, 0, 0);
        DrawGraphicChildren(dc, this, false, TPoint(), true);
        RepaintChildren(this);
    }
    if (!given) EndPaint(wnd, &ps);
}

void TsStatusBar::PaintFrameStrips(HDC dc)
{
    TsCommonData* l = SkinData();
    if (l->CacheEmpty()) return;
    HDC src = l->FCacheBmp->Canvas()->Handle();
    for (const TRect& r : StatusFrameStrips(FWidth, FHeight, FBorderWidth))
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), src, r.left, r.top, SRCCOPY);
}

void TsStatusBar::WndProc(TMessage& m)
{
    if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmRemoveSkin &&
        m.LParam == reinterpret_cast<LPARAM>(SkinData()->SkinManager()) && !HasState(csDestroying)) {
        // Owner-drawn panels were given a see-through canvas while skinned.
        Canvas()->Brush()->SetStyle(bsSolid);
        TacSkinFrame<TStatusBar>::WndProc(m);
        // The native bar gets its own look back from a new window.
        if (HandleAllocated()) RecreateWnd();
        return;
    }
    if (DrawnFromSkin()) {
        TsCommonData* l = SkinData();
        const bool hidden = !Visible() && !HasState(csDesigning);
        switch (m.Msg) {
        case WM_NCPAINT:
            if (FBorderWidth <= 0) break;
            if (!hidden && !AnimationRunning && !l->FUpdating && PrepareCache()) {
                if (HWND wnd = ExistingHandle()) {
                    HDC dc = GetWindowDC(wnd);
                    if (dc) {
                        PaintFrameStrips(dc);
                        ReleaseDC(wnd, dc);
                    }
                }
            }
            m.Result = 0;
            return;
        case WM_ERASEBKGND:
            // The cache as it is, from inside the border, when it is up to date.
            if (m.WParam && !l->FUpdating && !l->BGChanged && !l->CacheEmpty()) {
                HDC dc = reinterpret_cast<HDC>(m.WParam);
                PaintCacheToDC(this, l, TRect(FBorderWidth, FBorderWidth, FWidth, FHeight), TRect(0, 0, FWidth, FHeight), dc,
                               true, 0, 0);
                DrawGraphicChildren(dc, this, false, TPoint(), true);
            }
            m.Result = 1;
            return;
        case WM_PRINT:
            if (m.WParam && !hidden && !l->RefreshUpdating(true) && PrepareCache()) {
                HDC dc = reinterpret_cast<HDC>(m.WParam);
                PaintFrameStrips(dc);
                const int saved = SaveDC(dc);
                POINT old{};
                OffsetViewportOrgEx(dc, FBorderWidth, FBorderWidth, &old);
                IntersectClipRect(dc, 0, 0, ClientWidth(), ClientHeight());
                PaintSkinned(dc);
                RestoreDC(dc, saved);
            }
            m.Result = 0;
            return;
        case WM_PAINT:
            // While animating or updating the frame's own rules apply (it paints nothing then).
            if (!AnimationRunning && !SkinData()->RefreshUpdating(false) && !HasState(csDestroying)) {
                PaintSkinned(reinterpret_cast<HDC>(m.WParam));
                m.Result = 0;
                return;
            }
            break;
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            // The bar has no hot look of its own.
            TStatusBar::WndProc(m);
            return;
        default: break;
        }
    }
    TacSkinFrame<TStatusBar>::WndProc(m);
    // The border follows the new size at once.
    if (m.Msg == WM_SIZE && FBorderWidth > 0 && Visible() && DrawnFromSkin()) Perform(WM_NCPAINT, 1, 0);
    switch (m.Msg) {
    case SB_SETTEXTA:
    case SB_SETTEXTW:
    case SB_SIMPLE:
    case SB_SETPARTS:
    case SB_GETRECT:
    case CM_FONTCHANGED:
        // The native bar changed what it would show: the skinned image is composed again.
        SkinData()->BGChanged = true;
        break;
    default: break;
    }
}

void TsStatusBar::ChangeScale(int m, int d, bool isDpiChange)
{
    if (m != d && d != 0) {
        FPanels->BeginUpdate();
        for (int i = 0; i < FPanels->Count(); ++i) {
            TStatusPanel* p = FPanels->Items(i);
            p->SetWidth(MulDiv(p->Width(), m, d));
        }
        FPanels->EndUpdate();
    }
    TacSkinFrame<TStatusBar>::ChangeScale(m, d, isDpiChange);
}
