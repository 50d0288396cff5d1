#include "skin/controls/spanel.h"

#include <algorithm>
#include <vector>

#include "skin/controls/sbitbtn.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/link_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

// ---- TacSideShadow

void TacSideShadow::SetMode(TacSideShadowMode value)
{
    if (value == FMode) return;
    FMode = value;
    Invalidate();
}

void TacSideShadow::SetSide(TacSide value)
{
    if (value == FSide) return;
    FSide = value;
    Invalidate();
}

void TacSideShadow::SetShadowSize(int value)
{
    if (value == FShadowSize) return;
    FShadowSize = value;
    Invalidate();
}

void TacSideShadow::SetBlend(int value)
{
    if (value == FBlend) return;
    FBlend = value;
    Invalidate();
}

void TacSideShadow::Invalidate()
{
    if (FOwner->HasState(csLoading)) return;
    FOwner->FShadowBmp.reset();
    FOwner->SkinData()->BGChanged = true;
    for (int i = 0; i < FOwner->ControlCount(); ++i) {
        TControl* c = FOwner->Controls(i);
        if (!c->HasState(csDestroying)) PerformSkinCommand(c, scmRepaintIfMoved, 0);
    }
    if (HWND wnd = FOwner->ExistingHandle())
        RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

// ---- TsCustomPanel

TsCustomPanel::TsCustomPanel(TComponent* owner)
    : TacSkinFrame<TPanel>(owner, ackind::Panel), FSideShadow(new TacSideShadow(this)), FOldBevel(FBevelOuter)
{
}

void TsCustomPanel::Loaded()
{
    TacSkinFrame<TPanel>::Loaded();
    FOldBevel = FBevelOuter;
    ResetClassBrush();
}

void TsCustomPanel::ResetClassBrush()
{
    if (HWND wnd = ExistingHandle())
        SetClassLongPtrW(wnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
}

void TsCustomPanel::Paint()
{
    TPanel::Paint();
    if (OnPaint && Showing()) OnPaint(this, Canvas());
}

TsCustomPanel::~TsCustomPanel() = default;

bool TsCustomPanel::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

int TsCustomPanel::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    if (!m) return -1;
    switch (FBevelOuter) {
    case bvNone: return m->SkinCommonInfo.Sections[ssTransparent];
    case bvLowered: return m->SkinCommonInfo.Sections[ssPanelLow];
    case bvSpace: return m->SkinCommonInfo.Sections[ssGroupBox];
    default: return m->SkinCommonInfo.Sections[ssPanel];
    }
}

void TsCustomPanel::FollowBevel()
{
    if (FBevelOuter == FOldBevel) return;
    FOldBevel = FBevelOuter;
    SkinData()->UpdateIndexes(true);
}

void TsCustomPanel::SetBevelOuter(TBevelCut b)
{
    TPanel::SetBevelOuter(b);
    FollowBevel();
}

TRect TsCustomPanel::CaptionArea() const
{
    const int bevels = (FBevelOuter != bvNone ? 1 : 0) + (FBevelInner != bvNone ? 1 : 0);
    TRect r(0, 0, FWidth, FHeight);
    const int inset = FBorderWidth + FBevelWidth * bevels;
    r.Inflate(-inset, -inset);
    return r;
}

bool TsCustomPanel::PrepareCache()
{
    TsCommonData* l = SkinData();
    if (!DrawnFromSkin()) return false;
    FollowBevel();
    l->EnsureCacheBmp();
    if (l->CacheEmpty()) return false;
    TBitmap* cache = l->FCacheBmp;
    cache->Canvas()->Font()->Assign(Font());
    // Background, border image and corner images over what the parent shows under the panel.
    if (!PaintControlItem(l, Parent(), 0, TRect(0, 0, FWidth, FHeight), TPoint(Left(), Top()), cache, true)) {
        l->FUpdating = true;
        return false;
    }
    ApplyColorEffects(cache, l, false, 0, clNone);
    l->PaintOuterEffects(this, TPoint());
    WriteText(cache->Canvas());
    if (OnPaint) OnPaint(this, cache->Canvas());
    if (DockSite()) PaintDragPanel(cache);
    l->BGChanged = false;
    PaintSideShadow(cache);
    return true;
}

void TsCustomPanel::PaintDragPanel(TBitmap* cache)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (!m || !d) return;
    // The component layer has no captioned dock tree: the bars are grips.
    int section = m->GetSkinIndex(L"GRIPV", d);
    if (!d->IsValidSection(section)) section = m->GetSkinIndex(L"GRIPH", d);
    const int close = d->TitleGlyphs[tgSmallClose];
    TCacheInfo under;
    under.Bmp = BitmapView(cache);
    under.X = under.Y = 0;
    under.Ready = true;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->HostDockSite() != this) continue;
        const TRect bar = TRect::Intersect(PanelDockBarRect(c->BoundsRect(), false), TRect(0, 0, FWidth, FHeight));
        if (bar.IsEmpty()) continue;
        if (d->IsValidSection(section)) PaintItem(section, under, 0, bar, bar.TopLeft(), BitmapView(cache), d);
        if (!d->IsValidImage(close)) continue;
        const TsMaskData& g = d->ma[size_t(close)];
        const TRect at = PanelDockCloseRect(bar, TSize(g.Width, g.Height));
        if (at.IsEmpty()) continue;
        if (at.Width() == g.Width && at.Height() == g.Height) {
            DrawMaskState32(cache, at.TopLeft(), 0, 1, g, under);
            continue;
        }
        // Taller than the bar: drawn at its size over what lies there, then fitted in.
        std::unique_ptr<TBitmap> glyph(NewBitmap32(g.Width, g.Height));
        std::unique_ptr<TBitmap> part(NewBitmap32(at.Width(), at.Height()));
        BitBlt(part->Canvas()->Handle(), 0, 0, at.Width(), at.Height(), cache->Canvas()->Handle(), at.left, at.top, SRCCOPY);
        ResampleBitmap32(part.get(), glyph.get(), g.Width, g.Height, 6);
        TCacheInfo own;
        own.Bmp = BitmapView(glyph.get());
        own.X = own.Y = 0;
        own.Ready = true;
        DrawMaskState32(glyph.get(), TPoint(), 0, 1, g, own);
        ResampleBitmap32(glyph.get(), part.get(), at.Width(), at.Height(), 6);
        BitBlt(cache->Canvas()->Handle(), at.left, at.top, at.Width(), at.Height(), part->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
}

void TsCustomPanel::WriteText(TCanvas* c)
{
    if (!FShowCaption || FText.empty()) return;
    TsCommonData* l = SkinData();
    c->Font()->Assign(Font());
    TRect r = CaptionArea();
    UINT flags = AlignmentTextFlags(this, FAlignment);
    if (FVerticalAlignment == taVerticalCenter) {
        flags |= DT_WORDBREAK;
        TRect calc = r;
        c->TextExtent(String());   // selects the font for measuring
        DrawTextLimited(c->Handle(), FText, calc, flags | DT_CALCRECT);
        r.top += (r.Height() - calc.Height()) / 2 + FBorderWidth;
        r.bottom = r.top + calc.Height();
    } else {
        flags &= ~UINT(DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE);
        flags |= DT_SINGLELINE;
        if (FVerticalAlignment == taAlignBottom) flags |= DT_BOTTOM;
    }
    if (l->CustomFont())
        DrawTextOnCanvas(c, FText.c_str(), Enabled(), r, flags);
    else
        WriteSectionText(c, FText, Enabled(), r, flags, l->SkinIndex, 0, l->SkinManager());
}

void TsCustomPanel::PaintSideShadow(TBitmap* cache)
{
    if (FSideShadow->Mode() != ssmInternal) return;
    const int s = ScaleForControl(FSideShadow->ShadowSize(), SkinData(), false);
    if (s <= 0) return;
    TRect r;
    int direction = 0;
    switch (FSideShadow->Side()) {
    case asLeft: r = TRect(0, 0, s, FHeight), direction = 0; break;
    case asTop: r = TRect(0, 0, FWidth, s), direction = 1; break;
    case asRight: r = TRect(FWidth - s, 0, FWidth, FHeight), direction = 2; break;
    case asBottom: r = TRect(0, FHeight - s, FWidth, FHeight), direction = 3; break;
    }
    if (r.IsEmpty()) return;
    if (!FShadowBmp || FShadowBmp->Width() != r.Width() || FShadowBmp->Height() != r.Height()) {
        FShadowBmp.reset(NewBitmap32(r.Width(), r.Height()));
        // Black, alpha Blend at the panel's edge, fading to nothing inwards.
        PaintTwoColorGradient32(FShadowBmp.get(), TColor(uint32_t(FSideShadow->Blend() & 0xFF) << 24), direction);
    }
    ComposeRectAt32(cache, FShadowBmp.get(), TRect(0, 0, r.Width(), r.Height()), r.TopLeft(), 255);
}

void TsCustomPanel::PaintCustomColor(HDC dc)
{
    TsCommonData* l = SkinData();
    l->FUpdating = false;
    const TRect r(0, 0, FWidth, FHeight);
    const int b = l->MaxBorderWidth();
    const TColor color = ColorToRGB(Color());
    const int saved = SaveDC(dc);
    ExcludeChildControls(dc, this, 0, 0);
    if (b == 0) {
        FillDCRect(dc, r, color);
    } else {
        l->EnsureCacheBmp();
        TBitmap* cache = l->FCacheBmp;
        if (cache->Width() != FWidth || cache->Height() != FHeight) {
            cache->SetPixelFormat(pf32bit);
            cache->SetSize(FWidth, FHeight);
        }
        TacSkinData* d = l->ResolveSkinData();
        const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
        const bool seeThrough = !g.Props.empty() && g.Props[0].Transparency == 100;
        const bool fillsCentre = !d->IsValidImage(g.BorderIndex) || (d->ma[size_t(g.BorderIndex)].DrawMode & 4) != 0;
        TRect inner = r;
        if (seeThrough && fillsCentre) {
            // A border over the parent's image: the whole picture comes from the cache.
            PaintControlFrame(cache->Canvas()->Handle(), r, 0, inner, 0, l);
            BitBlt(dc, 0, 0, FWidth, FHeight, cache->Canvas()->Handle(), 0, 0, SRCCOPY);
        } else {
            PaintControlFrame(dc, r, b, inner, 0, l);
            FillDCRect(dc, inner, color);
        }
        // The cache now holds only the frame: the cached path composes it again.
        l->BGChanged = true;
    }
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Brush()->SetStyle(bsClear);
    WriteText(&canvas);
    canvas.SetHandle(nullptr);
    RestoreDC(dc, saved);
    DrawGraphicChildren(dc, this, false, TPoint(), true);
}

void TsCustomPanel::PaintSkinned(HDC given, bool sendUpdated)
{
    if (SkinData()->CustomColor() && !AnimationRunning) {
        HWND wnd = Handle();
        PAINTSTRUCT ps{};
        HDC dc = given ? given : BeginPaint(wnd, &ps);
        if (dc) PaintCustomColor(dc);
        if (!given) EndPaint(wnd, &ps);
        if (sendUpdated) RepaintChildren(this);
        return;
    }
    PaintContainerFromCache(this, SkinData(), given, [this] { return PrepareCache(); },
                            sendUpdated && !HasState(csPaintCopy));
}

void TsCustomPanel::UnskinnedWndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND:
        // OnPaint draws over the whole panel in Paint: no erase to flicker under it.
        if (OnPaint) {
            m.Result = 1;
            return;
        }
        break;
    case WM_PRINT:
        // The base paints the panel (and OnPaint) into the given DC.
        if (m.WParam) Perform(WM_PAINT, m.WParam, m.LParam);
        m.Result = 0;
        return;
    default: break;
    }
    TacSkinFrame<TPanel>::WndProc(m);
}

void TsCustomPanel::WndProc(TMessage& m)
{
    TsCommonData* l = SkinData();
    if (m.Msg == MSG_SKINCOMMAND) {
        const bool fromManager = m.LParam == reinterpret_cast<LPARAM>(l->SkinManager());
        switch (SkinCommandOf(m.WParam)) {
        case scmRefresh:
            TacSkinFrame<TPanel>::WndProc(m);
            // The skin may have left its own brush on the class.
            if (fromManager) ResetClassBrush();
            return;
        case scmGetBackground:
            if (!DrawnFromSkin()) break;
            {
                FollowBevel();
                TacSkinFrame<TPanel>::WndProc(m);
                auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
                // A cache that could not be composed at the panel's size has nothing to give yet.
                const bool sized = l->FCacheBmp && l->FCacheBmp->Width() == FWidth && l->FCacheBmp->Height() == FHeight;
                if (q && q->Kind == bgBitmap && l->BGChanged && !sized && !l->FUpdating) q->Kind = bgNotReady;
                // Children sit in the client area, inside the border; the cache spans the whole panel.
                if (q && q->Kind == bgBitmap && !q->PaintIt && FBorderWidth > 0)
                    q->Offset = TPoint(q->Offset.x + FBorderWidth, q->Offset.y + FBorderWidth);
            }
            return;
        case scmPrepareCache:
            if (!DrawnFromSkin()) break;
            if (!DockSite() && !l->FUpdating && l->BGChanged && !PrepareCache()) l->FUpdating = true;
            m.Result = 0;
            return;
        case scmUpdateDone:
            if (!DrawnFromSkin()) break;
            if (l->FUpdating && !l->RefreshUpdating(true)) {
                const bool sized = l->FCacheBmp && l->FCacheBmp->Width() == FWidth && l->FCacheBmp->Height() == FHeight;
                Repaint();
                // The panel was resized while it waited: whoever follows its size is told now.
                if (!sized && OnResize) OnResize(this);
            }
            RepaintChildren(this);
            return;
        default: break;
        }
    }
    if (!DrawnFromSkin()) {
        UnskinnedWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_PAINT:
        FollowBevel();
        if (!AnimationRunning && !l->RefreshUpdating(false) && !HasState(csDestroying) &&
            (Visible() || HasState(csDesigning))) {
            PaintSkinned(reinterpret_cast<HDC>(m.WParam), true);
            m.Result = 0;
            return;
        }
        break;
    case WM_PRINT:
        // A picture of the panel (an animation's, a print): painted now, whatever was pending.
        l->FUpdating = false;
        l->HalfVisible = false;
        if (m.WParam) PaintSkinned(reinterpret_cast<HDC>(m.WParam), false);
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
        if (m.WParam != static_cast<WPARAM>(m.LParam) && !HasState(csPaintCopy)) {
            // The system's erase: the panel is painted whole on WM_PAINT.
            if (HasState(csDesigning)) TacSkinFrame<TPanel>::WndProc(m);
            m.Result = 1;
            return;
        }
        // The platform's own painting (or a paint copy) asks for the panel's picture.
        if (m.WParam) {
            if (l->BGChanged) PrepareCache();
            if (!l->BGChanged && !l->CacheEmpty())
                BitBlt(reinterpret_cast<HDC>(m.WParam), 0, 0, FWidth, FHeight, l->FCacheBmp->Canvas()->Handle(), 0, 0,
                       SRCCOPY);
        }
        m.Result = 1;
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // A panel has no hot look of its own.
        TPanel::WndProc(m);
        return;
    case CM_COLORCHANGED:
        if (l->CustomColor()) l->BGChanged = true;
        break;
    case WM_CAPTURECHANGED:
    case CM_CONTROLLISTCHANGE:
    case CM_UNDOCKCLIENT:
        // Dock bars come and go with the docked clients.
        if (DockSite()) l->BGChanged = true;
        break;
    case WM_SIZE:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        l->BGChanged = true;
        break;
    default: break;
    }
    TacSkinFrame<TPanel>::WndProc(m);
}

// Positions that fall together after rounding must not swap the children: they are put back in
// their old order, one pixel apart, and the alignment then lays them out from there.
void TsCustomPanel::ScaleForPPI(int newPPI)
{
    std::vector<TControl*> lists[4];   // alTop, alBottom, alLeft, alRight
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        switch (c->Align()) {
        case alTop: lists[0].push_back(c); break;
        case alBottom: lists[1].push_back(c); break;
        case alLeft: lists[2].push_back(c); break;
        case alRight: lists[3].push_back(c); break;
        default: break;
        }
    }
    for (int k = 0; k < 4; ++k) {
        const bool vertical = k < 2;
        auto pos = [vertical](TControl* c) { return vertical ? c->Top() : c->Left(); };
        std::vector<TControl*> ordered;
        int prev = -1;
        while (ordered.size() < lists[k].size()) {
            TControl* next = nullptr;
            for (TControl* c : lists[k])   // of equal positions the last child wins
                if (pos(c) > prev && (!next || pos(c) <= pos(next))) next = c;
            if (!next) break;
            ordered.push_back(next);
            prev = pos(next);
        }
        lists[k] = ordered;
    }
    TacSkinFrame<TPanel>::ScaleForPPI(newPPI);
    DisableAlign();
    for (int k = 0; k < 4; ++k) {
        if (lists[k].empty()) continue;
        const bool vertical = k < 2;
        int at = vertical ? (k == 0 ? 0 : FHeight + 999) : (k == 2 ? 0 : FWidth + 999);
        for (TControl* c : lists[k]) at = std::min(at, vertical ? c->Top() : c->Left());
        for (TControl* c : lists[k]) {
            if (vertical) {
                c->SetTop(at);
                at += c->Height() + 1;
            } else {
                c->SetLeft(at);
                at += c->Width() + 1;
            }
        }
    }
    EnableAlign();
}
