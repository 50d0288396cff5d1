#include "skin/controls/strackbar.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "skin/controls/core/track_bar.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/control_link.h"
#include "skin/engine/core/skin_data.h"
#include "skin/engine/link_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "vcl/application.h"
#include "vcl/shellbind.h"

namespace {

// A reversed bar carries both direction styles: the native control then turns its arrow keys
// round, as the painted thumb runs from the far end.
constexpr LONG_PTR ReversedStyles = TBS_REVERSED | TBS_DOWNISLEFT;
constexpr int MitchellFilter = 6;

// The cache itself as what a skin image is drawn over.
TCacheInfo Over(TBitmap* b)
{
    TCacheInfo bg;
    bg.Bmp = BitmapView(b);
    bg.X = bg.Y = 0;
    bg.Ready = true;
    return bg;
}

// Copies r of src into dst at `at` (both 32-bit), clipped to both.
void CopyPixels(TBitmap* dst, TPoint at, TBitmap* src, const TRect& r)
{
    const TPixelView s = BitmapView(src), d = BitmapView(dst);
    for (int y = r.top; y < r.bottom; ++y) {
        const int ty = at.y + y - r.top;
        if (y < 0 || y >= s.Height || ty < 0 || ty >= d.Height) continue;
        for (int x = r.left; x < r.right; ++x) {
            const int tx = at.x + x - r.left;
            if (x < 0 || x >= s.Width || tx < 0 || tx >= d.Width) continue;
            d.At(tx, ty) = s.At(x, y);
        }
    }
}

void Bevel(HDC dc, TRect& r, TColor topLeft, TColor bottomRight)
{
    int count = 1;
    DrawBevelFrame(dc, r, ColorToRGB(topLeft), ColorToRGB(bottomRight), count);
}

}  // namespace

TsTrackBar::TsTrackBar(TComponent* owner) : TacSkinFrame<TTrackBar>(owner, ackind::TrackBar)
{
    FThumbGlyph = new TBitmap();
    SetThumbLength(23);
}

TsTrackBar::~TsTrackBar()
{
    RestoreHints();
    delete FThumbGlyph;
    FThumbGlyph = nullptr;
}

void TsTrackBar::CreateWnd()
{
    TacSkinFrame<TTrackBar>::CreateWnd();
    // The bar buffers through its cache.
    SetDoubleBuffered(false);
    UpdateReversedStyle();
}

bool TsTrackBar::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

int TsTrackBar::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    if (!m) return -1;
    if (!SkinData()->SkinSection().empty()) return m->GetSkinIndex(SkinData()->SkinSection());
    return m->SkinCommonInfo.Sections[ssTrackBar];
}

bool TsTrackBar::IsReversed() const { return TacTrackReversed(FReversed, Horizontal(), FBiDiMode == bdRightToLeft); }

// ---- properties --------------------------------------------------------------------------------

void TsTrackBar::LookChanged()
{
    SkinData()->BGChanged = true;
    SkinData()->Invalidate(false);
    Invalidate();
}

void TsTrackBar::UpdateReversedStyle()
{
    // The native control never draws reversed.
    HWND wnd = ExistingHandle();
    if (!wnd) return;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    const LONG_PTR wanted = FReversed ? (style | ReversedStyles) : (style & ~ReversedStyles);
    if (wanted != style) SetWindowLongPtrW(wnd, GWL_STYLE, wanted);
}

void TsTrackBar::SetReversed(bool on)
{
    if (FReversed == on) return;
    FReversed = on;
    UpdateReversedStyle();
    LookChanged();
}

void TsTrackBar::SetShowFocus(bool on)
{
    if (FShowFocus == on) return;
    FShowFocus = on;
    LookChanged();
}

void TsTrackBar::SetShowProgress(bool on)
{
    if (FShowProgress == on) return;
    FShowProgress = on;
    LookChanged();
}

void TsTrackBar::SetShowProgressFrom(int value)
{
    if (FShowProgressFrom == value) return;
    FShowProgressFrom = std::min(std::max(value, FMin), FMax);
    if (!HasState(csLoading)) LookChanged();
}

void TsTrackBar::SetBarOffsetH(int value)
{
    if (FBarOffset.x == value) return;
    FBarOffset.x = value;
    if (HWND wnd = ExistingHandle())
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LookChanged();
}

void TsTrackBar::SetBarOffsetV(int value)
{
    if (FBarOffset.y == value) return;
    FBarOffset.y = value;
    if (HWND wnd = ExistingHandle())
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    LookChanged();
}

void TsTrackBar::SetThumbGlyph(TBitmap* value)
{
    if (value) {
        FThumbGlyph->Assign(value);
    } else {
        delete FThumbGlyph;
        FThumbGlyph = new TBitmap();
    }
    if (!HasState(csLoading)) LookChanged();
}

// ---- geometry from the native control ------------------------------------------------------------

TRect TsTrackBar::ThumbRect()
{
    HWND wnd = ExistingHandle();
    if (!wnd) return TRect();
    RECT r{};
    SendMessageW(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    TRect t(r.left, r.top, r.right, r.bottom);
    t.Offset(FBarOffset.x, FBarOffset.y);
    return t;
}

TRect TsTrackBar::ChannelRect()
{
    HWND wnd = ExistingHandle();
    if (!wnd) return TRect();
    RECT r{};
    SendMessageW(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
    TRect c(r.left, r.top, r.right, r.bottom);
    // Some native controls answer a vertical channel in horizontal form.
    if (!Horizontal() && c.Width() > c.Height()) c = TRect(c.top, c.left, c.bottom, c.right);
    c.Offset(FBarOffset.x, FBarOffset.y);
    return c;
}

int TsTrackBar::TickPos(int index)
{
    HWND wnd = ExistingHandle();
    return wnd ? static_cast<int>(SendMessageW(wnd, TBM_GETTICPOS, static_cast<WPARAM>(index), 0)) : -1;
}

int TsTrackBar::TickCount()
{
    HWND wnd = ExistingHandle();
    return wnd ? static_cast<int>(SendMessageW(wnd, TBM_GETNUMTICS, 0, 0)) : 0;
}

std::vector<TPoint> TsTrackBar::TicksArray(const TRect& channel)
{
    TacTickInput in;
    in.Horizontal = Horizontal();
    in.Auto = FTickStyle == tsAuto;
    in.Channel = channel;
    in.Thumb = ThumbRect();
    in.Count = TickCount();
    const int tick = DrawnFromSkin() ? SkinImage(Horizontal() ? L"TICKHORZ" : L"TICKVERT", 2) : -1;
    in.Shift = 2;
    if (tick >= 0) {
        const TsMaskData& m = SkinData()->ResolveSkinData()->ma[static_cast<size_t>(tick)];
        in.Shift = (in.Horizontal ? m.Width : m.Height) / 2 + 1;
    }
    if (!in.Auto)
        for (int i = 1; i + 1 < in.Count; ++i) in.Middle.push_back(TickPos(i - 1) + (in.Horizontal ? FBarOffset.x : FBarOffset.y));
    return TacTickPositions(in);
}

int TsTrackBar::Mode() { return FThumbPressed ? 2 : SkinData()->CurrentState(); }

int TsTrackBar::SkinImage(const wchar_t* name, int which)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (!m || !d || !d->IsValidSection(l->SkinIndex)) return -1;
    if (!l->SkinSection().empty()) {
        const int i = m->GetMaskIndex(l->SkinIndex, name, d);
        if (d->IsValidImage(i)) return i;
    }
    const TacTrackBarData& t = d->TrackBar[Horizontal() ? 1 : 0];
    const int i = which == 0 ? t.ChannelIndex : which == 1 ? t.ProgIndex : which == 2 ? t.TickIndex : t.SliderIndex;
    return d->IsValidImage(i) ? i : -1;
}

// ---- composing the cache -------------------------------------------------------------------------

void TsTrackBar::PaintContent(TBitmap* cache, int state)
{
    // What lies under the bar is opaque on screen: images with their own alpha are laid over it.
    SetRectAlpha32(cache, TRect(0, 0, cache->Width(), cache->Height()), 255, uint32_t(clNone));
    PaintSkinnedChannel(cache, state);
    if (OnSkinPaint) OnSkinPaint(this, cache->Canvas());
    PaintSkinnedThumb(cache);
    TacSkinData* d = SkinData()->ResolveSkinData();
    const TsGeneralData& g = d->gd[static_cast<size_t>(SkinData()->SkinIndex)];
    PaintFocus(cache, g.Props[1].FontColor.Color);
}

void TsTrackBar::PaintSkinnedChannel(TBitmap* cache, int state)
{
    TacSkinData* d = SkinData()->ResolveSkinData();
    const int channel = SkinImage(L"SLIDERCHANNEL", 0);
    if (channel >= 0) {
        const TsMaskData& m = d->ma[static_cast<size_t>(channel)];
        const TRect c = TacSkinChannelRect(ChannelRect(), Horizontal(), m.Width, m.Height);
        DrawSkinMask32(cache, c, Over(cache), m, std::min(state, m.ImageCount - 1), true);
        const int progress = FShowProgress ? SkinImage(Horizontal() ? L"PROGHORZ" : L"PROGVERT", 1) : -1;
        if (progress >= 0) {
            const TsMaskData& p = d->ma[static_cast<size_t>(progress)];
            const TRect r = TacProgressRect(c, Horizontal(), IsReversed(), Position(), FMin, FMax, FShowProgressFrom);
            if (!r.IsEmpty()) DrawSkinMask32(cache, r, Over(cache), p, std::min(state, p.ImageCount - 1), true);
        }
    }
    if (Horizontal())
        PaintHorzTicks(cache, true);
    else
        PaintVertTicks(cache, true);
}

void TsTrackBar::PaintThumbTurned(TBitmap* cache, const TRect& t, TSize imageSize,
                                  const std::function<void(TBitmap*, const TRect&)>& paint)
{
    if (FTickMarks != tmTopLeft) {
        paint(cache, t);
        return;
    }
    // The thumb must point up (or left): drawn upside down over the background turned too, then
    // turned back and fitted to the thumb.
    if (t.IsEmpty() || imageSize.cx <= 0 || imageSize.cy <= 0) return;
    std::unique_ptr<TBitmap> part(NewBitmap32(t.Width(), t.Height()));
    CopyPixels(part.get(), TPoint(), cache, t);
    std::unique_ptr<TBitmap> work(NewBitmap32(imageSize.cx, imageSize.cy));
    ResampleBitmap32(part.get(), work.get(), imageSize.cx, imageSize.cy, MitchellFilter);
    SetRectAlpha32(work.get(), TRect(0, 0, imageSize.cx, imageSize.cy), 255, uint32_t(clNone));
    TacFlipPixels(BitmapView(work.get()), Horizontal());
    paint(work.get(), TRect(0, 0, imageSize.cx, imageSize.cy));
    TacFlipPixels(BitmapView(work.get()), Horizontal());
    if (imageSize.cx != t.Width() || imageSize.cy != t.Height())
        ResampleBitmap32(work.get(), work.get(), t.Width(), t.Height(), MitchellFilter);
    CopyPixels(cache, t.TopLeft(), work.get(), TRect(0, 0, t.Width(), t.Height()));
}

void TsTrackBar::PaintSkinnedThumb(TBitmap* cache)
{
    if (!FSliderVisible) return;
    const TRect t = ThumbRect();
    if (!FThumbGlyph->Empty()) {
        DrawThumbGlyph(cache, t);
        return;
    }
    const int slider = SkinImage(Horizontal() ? L"SLIDERMASK" : L"SLIDERVMASK", 3);
    if (slider < 0) return;
    const TsMaskData& m = SkinData()->ResolveSkinData()->ma[static_cast<size_t>(slider)];
    const TSize s(m.Width, m.Height);
    const int mode = Mode();
    PaintThumbTurned(cache, t, s, [&](TBitmap* target, const TRect& r) {
        DrawMaskState32(target, TacCentredImage(r, s), mode, 1, m, Over(target));
    });
}

void TsTrackBar::DrawThumbGlyph(TBitmap* cache, const TRect& t)
{
    TBitmap* g = FThumbGlyph;
    const TRect src(0, 0, g->Width(), g->Height());
    const TPoint at = TacCentredImage(t, src.Size());
    bool alpha = false;
    if (g->PixelFormat() == pf32bit) {
        // An alpha channel that is transparent everywhere counts as none.
        const TPixelView v = BitmapView(g);
        for (int y = 0; y < v.Height && !alpha; ++y)
            for (int x = 0; x < v.Width && !alpha; ++x) alpha = (v.At(x, y) >> 24) == 255;
    }
    if (alpha)
        CopyRectAlpha32(TRect(at.x, at.y, at.x + src.Width(), at.y + src.Height()), src, cache, g, EmptyCacheInfo, false, clNone,
                        0, false);
    else
        BitBlt(cache->Canvas()->Handle(), at.x, at.y, src.Width(), src.Height(), g->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsTrackBar::PaintHorzTicks(TBitmap* cache, bool skinned) { PaintTickMarks(cache, skinned, true); }

void TsTrackBar::PaintVertTicks(TBitmap* cache, bool skinned) { PaintTickMarks(cache, skinned, false); }

void TsTrackBar::PaintTick(TBitmap* cache, TPoint p, bool horizontal, bool skinned)
{
    const int tick = skinned ? SkinImage(horizontal ? L"TICKHORZ" : L"TICKVERT", 2) : -1;
    if (tick >= 0) {
        // The image ends at the tick's point.
        const TsMaskData& m = SkinData()->ResolveSkinData()->ma[static_cast<size_t>(tick)];
        if (horizontal)
            p.x -= m.Width;
        else
            p.y -= m.Height;
        DrawMaskState32(cache, p, Mode(), 1, m, Over(cache));
    } else if (skinned) {
        TRect r = horizontal ? TRect(p.x, p.y, p.x + 2, p.y + TickHeight) : TRect(p.x, p.y, p.x + TickHeight, p.y + 2);
        Bevel(cache->Canvas()->Handle(), r, clBtnShadow, clWhite);
    } else {
        const TRect r = horizontal ? TRect(p.x, p.y, p.x + 1, p.y + 3) : TRect(p.x, p.y, p.x + 3, p.y + 1);
        FillRectAlpha32(cache, r, ColorToRGB(clBtnShadow), 255);
    }
}

void TsTrackBar::PaintTickMarks(TBitmap* cache, bool skinned, bool horizontal)
{
    if (FTickStyle == tsNone) return;
    const TRect channel = ChannelRect();
    TacTickMarkInput in;
    in.Horizontal = horizontal;
    in.Side = FTickMarks == tmTopLeft ? tsdTopLeft : FTickMarks == tmBoth ? tsdBoth : tsdBottomRight;
    in.Channel = channel;
    in.Thumb = ThumbRect();
    in.TickHeight = TickHeight;
    in.SelStart = FSelStart;
    in.SelEnd = FSelEnd;
    in.Min = FMin;
    in.Max = FMax;
    for (TPoint p : TacTickMarkPoints(in, TicksArray(channel))) PaintTick(cache, p, horizontal, skinned);
    const std::vector<TacTriangle> marks = TacSelectionMarks(in);
    if (marks.empty()) return;
    TsSkinManager* m = SkinData()->SkinManager();
    const TColor color = skinned && m ? m->GetGlobalFontColor() : clBtnText;
    TCanvas* c = cache->Canvas();
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->Brush()->SetColor(color);
    c->Pen()->SetColor(color);
    for (const TacTriangle& t : marks) c->Polygon({t.P[0], t.P[1], t.P[2]});
}

void TsTrackBar::PaintFocus(TBitmap* cache, TColor color)
{
    if (!FShowFocus || !Focused()) return;
    DrawDottedFrame(cache->Canvas(), TRect(0, 1, FWidth, FHeight - 1), color, clNone);
}

// ---- the standard look ----------------------------------------------------------------------
// Drawn by the style's track-bar parts where styles are enabled, else in the classic look: a
// sunken well on button face, the progress in the highlight colour and a raised block for the thumb.

namespace {
// The style's track-bar parts and states.
constexpr int StyleTrack = 1, StyleTrackVert = 2, StyleThumb = 3, StyleThumbBottom = 4, StyleThumbTop = 5,
              StyleThumbVert = 6, StyleThumbLeft = 7, StyleThumbRight = 8;
constexpr int StyleNormal = 1;
}  // namespace

void TsTrackBar::PaintStdBackground(TBitmap* cache)
{
    FillRectAlpha32(cache, TRect(0, 0, FWidth, FHeight), ColorToRGB(clBtnFace), 255);
    if (IsVclStyleEnabled()) {
        DrawThemeParentBackgroundBound(ExistingHandle(), cache->Canvas()->Handle(), nullptr);
        SetRectAlpha32(cache, TRect(0, 0, FWidth, FHeight), 255, uint32_t(clNone));
    }
}

void TsTrackBar::PaintStdChannel(TBitmap* cache)
{
    HDC dc = cache->Canvas()->Handle();
    TRect c = ChannelRect();
    const RECT cr{c.left, c.top, c.right, c.bottom};
    if (IsVclStyleEnabled() && DrawThemePartBound(ExistingHandle(), L"TRACKBAR", Horizontal() ? StyleTrack : StyleTrackVert,
                                                  StyleNormal, dc, cr)) {
        c.Inflate(-1, -1);
    } else {
        Bevel(dc, c, clBtnShadow, clBtnHighlight);
        Bevel(dc, c, cl3DDkShadow, cl3DLight);
        FillRectAlpha32(cache, c, ColorToRGB(clWindow), 255);
    }
    if (FShowProgress) {
        const TRect r = TacProgressRect(c, Horizontal(), IsReversed(), Position(), FMin, FMax, FShowProgressFrom);
        if (!r.IsEmpty()) FillRectAlpha32(cache, r, ColorToRGB(clHighlight), 255);
    }
    if (Horizontal())
        PaintHorzTicks(cache, false);
    else
        PaintVertTicks(cache, false);
}

void TsTrackBar::PaintStdThumb(TBitmap* cache)
{
    if (!FSliderVisible) return;
    const TRect t = ThumbRect();
    if (!FThumbGlyph->Empty()) {
        DrawThumbGlyph(cache, t);
        return;
    }
    const bool styled = IsVclStyleEnabled();
    int part = 0;
    if (FTickMarks == tmBottomRight)
        part = Horizontal() ? StyleThumbBottom : StyleThumbRight;
    else if (FTickMarks == tmTopLeft)
        part = Horizontal() ? StyleThumbTop : StyleThumbLeft;
    else
        part = Horizontal() ? StyleThumb : StyleThumbVert;
    const int state = StyleNormal + std::clamp(Mode(), 0, 2);
    HWND wnd = ExistingHandle();
    PaintThumbTurned(cache, t, t.Size(), [styled, part, state, wnd](TBitmap* target, const TRect& r) {
        HDC tdc = target->Canvas()->Handle();
        const RECT rr{r.left, r.top, r.right, r.bottom};
        if (styled && DrawThemePartBound(wnd, L"TRACKBAR", part, state, tdc, rr)) return;
        TRect b = r;
        b.bottom -= 1;
        Bevel(tdc, b, cl3DLight, cl3DDkShadow);
        Bevel(tdc, b, clWhite, clBtnShadow);
        FillRectAlpha32(target, b, ColorToRGB(clBtnFace), 255);
    });
}

void TsTrackBar::PaintStd(TBitmap* cache)
{
    PaintStdBackground(cache);
    if (OnSkinPaint) OnSkinPaint(this, cache->Canvas());
    PaintStdChannel(cache);
    PaintStdThumb(cache);
    PaintFocus(cache, clBtnText);
}

void TsTrackBar::PaintUnskinned(HDC dc)
{
    TsCommonData* l = SkinData();
    l->EnsureCacheBmp();
    if (l->CacheEmpty()) return;
    PaintStd(l->FCacheBmp);
    BitBlt(dc, 0, 0, FWidth, FHeight, l->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsTrackBar::PaintSkinned(HDC given)
{
    TsCommonData* l = SkinData();
    // Composed before every paint: the native control moves the thumb without telling the bar.
    if (!l->IsAnimating()) l->BGChanged = true;
    Frame().PaintFromCache(given, [this, l] {
        if (!PrepareCache()) return false;
        // The border image's see-through corners show the parent.
        PaintControlBorder32(l, l->CurrentState(), 15);
        return true;
    });
}

bool TsTrackBar::PaintFromBitmap(TBitmap* bmp)
{
    HWND wnd = ExistingHandle();
    if (!bmp || !wnd) return false;
    HDC dc = GetWindowDC(wnd);
    if (!dc) return false;
    const int saved = SaveDC(dc);
    BitBlt(dc, BorderWidth() + FBarOffset.x, BorderWidth() + FBarOffset.y, FWidth, FHeight, bmp->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    RestoreDC(dc, saved);
    ReleaseDC(wnd, dc);
    return true;
}

bool TsTrackBar::OnColorKeyedForm() const
{
    TCustomForm* form = GetParentForm(this);
    HWND wnd = form ? form->ExistingHandle() : nullptr;
    if (!wnd || !(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return false;
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    return GetLayeredWindowAttributes(wnd, &key, &alpha, &flags) && (flags & LWA_COLORKEY);
}

// ---- the user's changes --------------------------------------------------------------------------

void TsTrackBar::SetPosByPoint(TPoint p)
{
    SetPageSize(1);
    SetPosition(TacPositionFromPoint(ChannelRect(), Horizontal(), p, FMin, FMax, Position()));
}

void TsTrackBar::RestoreHints()
{
    // Only what this bar switched off: a press elsewhere must not leave hints off for good.
    if (!FHintsOff) return;
    FHintsOff = false;
    HintsSwitchedOff = false;
    if (Application) Application->SetShowHint(FAppShowHint);
}

void TsTrackBar::PressStarts(TPoint at, TPoint native, bool skinned)
{
    if (!Enabled() || HasState(csDesigning)) return;
    TsCommonData* l = SkinData();
    if (skinned && !HintsSwitchedOff && Application) {
        FAppShowHint = Application->ShowHint();
        Application->SetShowHint(false);
        HintsSwitchedOff = true;
        FHintsOff = true;
    }
    // Positioning by a click is the skinned bar's (and the reversed bar's, whose clicks the
    // native control sees mirrored).
    if (FPosByClick && (skinned || IsReversed())) {
        l->StopAnimTimer();
        SetPosByPoint(native);
        return;
    }
    if (!skinned) return;
    if (ThumbRect().Contains(at)) {
        FThumbPressed = true;
        l->BGChanged = false;
        AnimateStateChange(l, 2, StateAnimStep, IsAnimEventEnabled(aeMouseDown, AnimatEvents(), l->SkinManager()), true, true);
    } else {
        l->StopAnimTimer();
    }
}

void TsTrackBar::PressEnds(TPoint at, bool skinned)
{
    (void)at;
    RestoreHints();
    if (!FThumbPressed) return;
    FThumbPressed = false;
    TsCommonData* l = SkinData();
    // Hover changes were not followed while the thumb was held.
    POINT cursor{};
    RECT client{};
    HWND wnd = ExistingHandle();
    if (wnd && GetCursorPos(&cursor) && ::ScreenToClient(wnd, &cursor) && GetClientRect(wnd, &client))
        l->FMouseAbove = PtInRect(&client, cursor) != 0;
    if (!skinned) return;
    l->BGChanged = false;
    AnimateStateChange(l, l->FMouseAbove ? 1 : 0, StateAnimStep, IsAnimEventEnabled(aeMouseUp, AnimatEvents(), l->SkinManager()),
                       true, true);
}

void TsTrackBar::DoUserChange(bool changed)
{
    if (OnUserChange) OnUserChange(this);
    if (changed && OnUserChanged) OnUserChanged(this);
}

void TsTrackBar::ShowNow()
{
    SkinData()->BGChanged = true;
    HWND wnd = ExistingHandle();
    if (wnd && IsWindowVisible(wnd)) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOERASE);
}

// ---- messages ------------------------------------------------------------------------------------

void TsTrackBar::WndProc(TMessage& m)
{
    using Frame = TacSkinFrame<TTrackBar>;
    const bool designing = HasState(csDesigning);
    switch (m.Msg) {
    case TBM_GETTHUMBRECT:
        TTrackBar::WndProc(m);
        if (IsReversed() && m.LParam) {
            auto* r = reinterpret_cast<RECT*>(m.LParam);
            const TRect t = TacMirrorThumbRect(TRect(r->left, r->top, r->right, r->bottom), Horizontal(), FWidth, FHeight);
            *r = RECT{t.left, t.top, t.right, t.bottom};
        }
        return;
    case WM_NCCALCSIZE:
        Frame::WndProc(m);
        if (m.LParam && (FBarOffset.x || FBarOffset.y)) {
            auto* r = reinterpret_cast<RECT*>(m.LParam);
            r->left += FBarOffset.x;
            r->top += FBarOffset.y;
        }
        return;
    case WM_NCHITTEST:
        if (IsReversed() && !designing) {
            m.Result = HTCLIENT;
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: {
        const TPoint at(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        TPoint native = at;
        if (IsReversed() && !designing) {
            // The native control works on the bar as if it ran from its start.
            if (Horizontal())
                native.x = TacMirrorCoord(static_cast<int16_t>(at.x), FWidth);
            else
                native.y = TacMirrorCoord(static_cast<int16_t>(at.y), FHeight);
            m.LParam = MAKELPARAM(static_cast<uint16_t>(native.x), static_cast<uint16_t>(native.y));
        }
        const bool skinned = DrawnFromSkin();
        if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) PressStarts(at, native, skinned);
        if (m.Msg == WM_LBUTTONUP) PressEnds(at, skinned);
        if (m.Msg != WM_MOUSEMOVE && IsReversed() && !designing) {
            // The mirrored press ends here: the native control takes it, the bar tells the user
            // where the press really was.
            DefaultHandler(m);
            const TShiftState shift = ShiftStateFromKeyboard();
            if (m.Msg == WM_LBUTTONUP)
                MouseUp(mbLeft, shift, at.x, at.y);
            else
                MouseDown(mbLeft, shift, at.x, at.y);
            return;
        }
        Frame::WndProc(m);
        return;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        Frame::WndProc(m);
        // A press that never sees its release (the capture went to another window).
        if (m.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(m.LParam) != ExistingHandle()) PressEnds(TPoint(), DrawnFromSkin());
        return;
    case WM_KEYDOWN:
    case WM_KEYUP:
        // The arrows along the bar move the painted thumb their way: the native control, which
        // counts from the start, is given the other one. Not every native control turns its
        // keys by the direction styles, so they are held off meanwhile and the bar alone does it.
        if (!designing) {
            const WPARAM a = Horizontal() ? VK_LEFT : VK_UP, b = Horizontal() ? VK_RIGHT : VK_DOWN;
            if (IsReversed() && m.WParam == a)
                m.WParam = b;
            else if (IsReversed() && m.WParam == b)
                m.WParam = a;
            HWND wnd = ExistingHandle();
            const LONG_PTR style = wnd ? GetWindowLongPtrW(wnd, GWL_STYLE) : 0;
            if (!(style & TBS_DOWNISLEFT)) break;
            SetWindowLongPtrW(wnd, GWL_STYLE, style & ~LONG_PTR(TBS_DOWNISLEFT));
            Frame::WndProc(m);
            if (IsWindow(wnd)) SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | TBS_DOWNISLEFT);
            return;
        }
        break;
    case CN_HSCROLL:
    case CN_VSCROLL: {
        if (DrawnFromSkin()) SkinData()->StopAnimTimer();
        Frame::WndProc(m);
        ShowNow();
        if (!FEventFlag) {
            // Cleared again even when a handler fails (the window procedure's guard reports it).
            struct TFlagGuard {
                bool& Flag;
                ~TFlagGuard() { Flag = false; }
            } guard{FEventFlag};
            FEventFlag = true;
            DoUserChange(TacScrollCodeCompletes(LOWORD(m.WParam)));
        }
        return;
    }
    case TBM_SETPOS:
        Frame::WndProc(m);
        ShowNow();
        return;
    case MSG_SKINCOMMAND:
        switch (SkinCommandOf(m.WParam)) {
        case scmRemoveSkin:
            if (m.LParam != reinterpret_cast<LPARAM>(SkinData()->SkinManager())) break;
            Frame::WndProc(m);
            // The native control gets its own look back from a new window.
            if (HandleAllocated() && !HasState(csDestroying)) RecreateWnd();
            return;
        case scmPaintFromBitmap: m.Result = PaintFromBitmap(reinterpret_cast<TBitmap*>(m.LParam)) ? 1 : 0; return;
        default: break;
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // A form keyed by a colour sends enter and leave as the mouse crosses its see-through
        // pixels: the bar ignores them.
        if (OnColorKeyedForm()) {
            TTrackBar::WndProc(m);
            return;
        }
        if (FThumbPressed) {
            // The held thumb keeps its look wherever the mouse goes.
            TTrackBar::WndProc(m);
            return;
        }
        Frame::WndProc(m);
        if (!DrawnFromSkin()) ShowNow();
        return;
    case CM_BIDIMODECHANGED:
        Frame::WndProc(m);
        UpdateReversedStyle();
        LookChanged();
        return;
    default: break;
    }
    if (DrawnFromSkin()) {
        switch (m.Msg) {
        case WM_SIZE: SkinData()->StopAnimTimer(); break;
        case WM_PAINT:
            if (Visible()) {
                PaintSkinned(reinterpret_cast<HDC>(m.WParam));
                m.Result = 0;
                return;
            }
            break;
        case WM_PRINT:
            SkinData()->FUpdating = false;
            if (m.WParam) PaintSkinned(reinterpret_cast<HDC>(m.WParam));
            return;
        default: break;
        }
    } else {
        switch (m.Msg) {
        case WM_PAINT: {
            HWND wnd = ExistingHandle();
            if (!wnd || HasState(csDestroying)) break;
            PAINTSTRUCT ps{};
            HDC dc = m.WParam ? reinterpret_cast<HDC>(m.WParam) : BeginPaint(wnd, &ps);
            PaintUnskinned(dc);
            if (!m.WParam) EndPaint(wnd, &ps);
            m.Result = 0;
            return;
        }
        case WM_PRINTCLIENT:
        case WM_PRINT:
            if (m.WParam && !HasState(csDestroying)) {
                PaintUnskinned(reinterpret_cast<HDC>(m.WParam));
                m.Result = 0;
                return;
            }
            break;
        case WM_ERASEBKGND: m.Result = 1; return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Frame::WndProc(m);
            if (FShowFocus) Invalidate();
            return;
        default: break;
        }
    }
    Frame::WndProc(m);
}
