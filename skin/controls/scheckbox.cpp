#include "skin/controls/scheckbox.h"

#include <algorithm>

#include "skin/controls/acimagelist.h"
#include "skin/engine/anim_timer.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/link_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

namespace {

// A user glyph as a 32-bit picture: a bitmap without alpha of its own is opaque.
std::unique_ptr<TBitmap> Strip32(TBitmap* glyph)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(glyph->Width(), glyph->Height()));
    BitBlt(b->Canvas()->Handle(), 0, 0, glyph->Width(), glyph->Height(), glyph->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (glyph->PixelFormat() != pf32bit) {
        const TPixelView v = BitmapView(b.get());
        for (int y = 0; y < v.Height; ++y)
            for (int x = 0; x < v.Width; ++x) v.At(x, y) |= 0xFF000000u;
    }
    return b;
}

// src (one frame of a strip) scaled onto dest by nearest neighbour; key-colour pixels are left
// out, the rest laid over by their alpha.
void DrawGlyphFrame(const TPixelView& dest, const TRect& to, const TPixelView& src, const TRect& from)
{
    const int n = to.Width(), m = to.Height();
    if (n <= 0 || m <= 0 || from.Width() <= 0 || from.Height() <= 0) return;
    for (int j = 0; j < m; ++j) {
        const int dy = to.top + j, sy = from.top + NearestSourceIndex(j, m, from.Height());
        if (dy < 0 || dy >= dest.Height || sy < 0 || sy >= src.Height) continue;
        for (int i = 0; i < n; ++i) {
            const int dx = to.left + i, sx = from.left + NearestSourceIndex(i, n, from.Width());
            if (dx < 0 || dx >= dest.Width || sx < 0 || sx >= src.Width) continue;
            const uint32_t s = src.At(sx, sy);
            if ((s & 0x00FFFFFFu) == 0x00FF00FFu) continue;
            const uint32_t a = s >> 24;
            uint32_t& d = dest.At(dx, dy);
            if (a == 255) {
                d = s;
                continue;
            }
            uint32_t out = 0xFF000000u;
            for (int sh = 0; sh < 24; sh += 8) {
                const uint32_t sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
                out |= ((sc * a + dc * (255 - a)) / 255) << sh;
            }
            d = out;
        }
    }
}

// Some pixel of the image is partly or wholly see-through without being the key colour: the
// image was drawn with an alpha channel, and corners keyed by colour would come out black.
bool CarriesAlpha(const TsMaskData& mask)
{
    const TPixelView v = mask.Bmp ? mask.Bmp->View() : (mask.Manager ? ImageSourceBitmap(mask) : TPixelView());
    if (v.IsNull()) return false;
    const TRect r = TRect::Intersect(mask.R, TRect(0, 0, v.Width, v.Height));
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const uint32_t px = v.At(x, y);
            if (px >> 24 != 0xFF && px != 0x00FF00FFu) return true;
        }
    return false;
}

}  // namespace

TSize SkinCheckGlyphSize(TacSkinData* d, TCheckBoxState check)
{
    const int image = d ? d->CheckBox[static_cast<size_t>(check)] : -1;
    if (!d || !d->IsValidImage(image)) return TSize(0, 0);
    return TSize(d->ma[size_t(image)].Width, d->ma[size_t(image)].Height);
}

void DrawSkinCheckGlyph(TBitmap* bmp, TPoint at, TacSkinData* d, TCheckBoxState check, int visualState)
{
    const int image = d ? d->CheckBox[static_cast<size_t>(check)] : -1;
    if (!d || !d->IsValidImage(image)) return;
    // The image's key-colour pixels keep what lies under them in the bitmap.
    TCacheInfo under;
    under.Bmp = BitmapView(bmp);
    under.X = under.Y = 0;
    under.Ready = true;
    TsMaskData mask = d->ma[size_t(image)];
    // An image with soft edges of its own (from a picture with alpha) is laid over by its alpha.
    if (CarriesAlpha(mask)) mask.DrawMode |= dmAlpha32;
    DrawMaskState32(bmp, at, visualState, 1, mask, under);
}

TsCheckBox::TsCheckBox(TComponent* owner)
    // The cache is made when the box first composes its image.
    : TacSkinFrame<TCheckBox>(owner, ackind::CheckBox, false), FGlyphChecked(new TBitmap()), FGlyphUnChecked(new TBitmap()),
      FImages(this, Bind<&TsCheckBox::ImagesChanged>(this))
{
    SetAutoSize(true);
}

void TsCheckBox::SetImages(TCustomImageList* list)
{
    if (!FImages.Set(list)) return;
    if (FAutoSize && !HasState(csLoading)) AdjustSize();
    SkinData()->Invalidate(false);
}

void TsCheckBox::SetImgIndex(int& field, int index)
{
    if (field == index) return;
    field = index;
    if (FAutoSize && !HasState(csLoading)) AdjustSize();
    SkinData()->Invalidate(false);
}

void TsCheckBox::ImagesChanged(TObject*) { SkinData()->Invalidate(false); }

void TsCheckBox::Notification(TComponent* component, TOperation operation)
{
    TacSkinFrame<TCheckBox>::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages.Removed(component)) SkinData()->Invalidate(false);
}

bool TsCheckBox::ListGlyph() const { return FImages.Get() && FImgChecked >= 0 && FImgUnchecked >= 0; }

int TsCheckBox::ListImageIndex() const
{
    switch (State()) {
    case cbChecked: return FImgChecked;
    case cbGrayed: return FImgGrayed;
    default: return FImgUnchecked;
    }
}

TsCheckBox::~TsCheckBox() = default;

bool TsCheckBox::DrawnFromSkin() const
{
    return ReadyForSkinning(const_cast<TsCheckBox*>(this)) && SkinData()->Skinned(true);
}

void TsCheckBox::Restyle()
{
    SkinData()->BGChanged = true;
    if (FAutoSize) AdjustSize();
    Invalidate();
}

void TsCheckBox::SetMargin(int value)
{
    if (value == FMargin) return;
    FMargin = value;
    Restyle();
}

void TsCheckBox::SetTextIndent(int value)
{
    if (value == FTextIndent) return;
    FTextIndent = value;
    Restyle();
}

void TsCheckBox::SetShowFocus(bool on)
{
    if (on == FShowFocus) return;
    FShowFocus = on;
    Restyle();
}

void TsCheckBox::SetVerticalAlign(TvaAlign value)
{
    if (value == FVerticalAlign) return;
    FVerticalAlign = value;
    Restyle();
}

void TsCheckBox::SetGlyphChecked(TBitmap* value)
{
    if (value)
        FGlyphChecked->Assign(value);
    else
        FGlyphChecked->SetSize(0, 0);
    Restyle();
}

void TsCheckBox::SetGlyphUnChecked(TBitmap* value)
{
    if (value)
        FGlyphUnChecked->Assign(value);
    else
        FGlyphUnChecked->SetSize(0, 0);
    Restyle();
}

void TsCheckBox::SetChecked(bool on)
{
    if (HasState(csLoading)) {
        TCheckBox::SetChecked(on);
        return;
    }
    const bool changed = on != Checked();
    if (changed) SkinData()->BGChanged = true;
    TCheckBox::SetChecked(on);
    if (SkinData()->BGChanged) Invalidate();
    if (changed && OnValueChanged && EventsAllowed()) OnValueChanged(this);
}

void TsCheckBox::Toggle()
{
    if (FReadOnly) return;
    TCheckBox::Toggle();
}

TAlignment TsCheckBox::ControlsAlignment() const
{
    if (!const_cast<TsCheckBox*>(this)->UseRightToLeftAlignment()) return FAlignment;
    switch (FAlignment) {
    case taLeftJustify: return taRightJustify;
    case taRightJustify: return taLeftJustify;
    default: return FAlignment;
    }
}

int TsCheckBox::CurrentState() const
{
    return CheckVisualState(FPressed, SkinData()->CurrentState() == 1, FReadOnly);
}

TBitmap* TsCheckBox::UserGlyph() const
{
    TBitmap* b = Checked() ? FGlyphChecked.get() : FGlyphUnChecked.get();
    return b->Empty() ? nullptr : b;
}

TSize TsCheckBox::GlyphSize() const
{
    if (ListGlyph()) {
        // Measured at 96 PPI: one square frame of a strip, else the whole image.
        const int index = Checked() ? FImgChecked : FImgUnchecked;
        TCustomImageList* list = FImages.Get();
        return CheckGlyphSize(TacGlyphStrip{ImageWidthAt(list, index, 96), ImageHeightAt(list, index, 96)},
                              FCurrentPPI);
    }
    if (!FGlyphChecked->Empty()) {
        TBitmap* b = Checked() ? FGlyphChecked.get() : FGlyphUnChecked.get();
        return CheckGlyphSize(TacGlyphStrip{b->Width(), b->Height()}, FCurrentPPI);
    }
    if (DrawnFromSkin()) {
        const TSize s = SkinCheckGlyphSize(SkinData()->ResolveSkinData(), State());
        if (s.cx > 0) return s;
    }
    const int s = ScaleForControl(16, SkinData(), false);
    return TSize(s, s);
}

TacCheckLayoutInput TsCheckBox::Layout() const
{
    TacCheckLayoutInput in;
    in.Width = FWidth;
    in.Height = FHeight;
    const TSize g = GlyphSize();
    in.GlyphWidth = g.cx;
    in.GlyphHeight = g.cy;
    in.Margin = FMargin;
    in.TextIndent = ScaleForControl(FTextIndent, SkinData(), false);
    TacSkinData* d = DrawnFromSkin() ? SkinData()->ResolveSkinData() : nullptr;
    in.Spacing = d ? d->Spacing : 0;
    in.GlyphAtRight = ControlsAlignment() == taLeftJustify;
    in.Centered = ControlsAlignment() == taCenter;
    in.SkinGlyph = UserGlyph() == nullptr;
    in.VerticalAlign = FVerticalAlign;
    in.WordWrap = FWordWrap;
    return in;
}

TRect TsCheckBox::GlyphRect() const { return CheckGlyphRect(Layout()); }

TRect TsCheckBox::CaptionRect()
{
    const TacCheckLayoutInput in = Layout();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    RECT r{0, 0, std::max(0, CheckCaptionWidthLimit(in)), 0};
    const String text = FText.empty() ? String(L" ") : FText;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return CheckCaptionRect(in, FText.empty() ? 0 : r.right - r.left, r.bottom - r.top);
}

bool TsCheckBox::CanAutoSize(int& newWidth, int& newHeight)
{
    FMeasuredSkinned = DrawnFromSkin();
    if (HasState(csLoading) || !FAutoSize) return DrawnFromSkin() ? false : TCheckBox::CanAutoSize(newWidth, newHeight);
    if (!DrawnFromSkin()) return TCheckBox::CanAutoSize(newWidth, newHeight);
    const TSize g = GlyphSize();
    if (FText.empty()) {
        newWidth = 2 * FMargin + g.cx;
        newHeight = g.cy;
        return true;
    }
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, FText.c_str(), static_cast<int>(FText.size()), &r, DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    newWidth = ScaleForControl(FTextIndent, SkinData(), false) + 2 * FMargin + g.cx + (r.right - r.left) + 4;
    newHeight = std::max<int>(g.cy, 2 * FMargin + (r.bottom - r.top) + 4);
    return true;
}

void TsCheckBox::Loaded()
{
    TacSkinFrame<TCheckBox>::Loaded();
    AdjustSize();
}

void TsCheckBox::CreateWnd()
{
    TacSkinFrame<TCheckBox>::CreateWnd();
    // Now placed on its parent, the box knows whether a skin draws it: it takes that size.
    if (FAutoSize) AdjustSize();
}

int TsCheckBox::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssCheckBox] : -1;
}

void TsCheckBox::PaintContent(TBitmap* cache, int state)
{
    (void)state;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    const TRect caption = CaptionRect();
    if (!FText.empty()) {
        // A single line is not cut at its measured end: rendered text may run a pixel or two past it.
        UINT flags = (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP) | DrawTextBiDiModeFlagsReadingOnly();
        const int textState = CurrentState() > 0 ? 1 : 0;
        // A see-through box over a parent that paints its own background (a form without a skin)
        // keeps the parent's text colour, as a label does: the section's is meant for skinned surfaces.
        TacSkinData* d = l->ResolveSkinData();
        const bool seeThrough = d && d->IsValidSection(l->SkinIndex) &&
                                d->gd[size_t(l->SkinIndex)].Props[0].Transparency == 100;
        if (l->CustomFont() || (seeThrough && !SkinnedContainerOf(this)))
            DrawTextOnCanvas(c, FText.c_str(), Enabled(), caption, flags);
        else
            WriteSectionText(c, FText, Enabled(), caption, flags, l->SkinIndex, textState, m);
    }
    PaintFocus(cache, caption);
    PaintGlyph(cache);
}

void TsCheckBox::PaintFocus(TBitmap* cache, TRect r)
{
    if (!FShowFocus || !Focused()) return;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
    const int st = std::clamp(std::min(g.States, 2), 0, int(g.Props.size()) - 1);
    r.top += 1;
    r.Inflate(2, 1);
    DrawDottedFrame(cache->Canvas(), r, g.Props[size_t(st)].FontColor.Color, clNone);
}

void TsCheckBox::PaintListGlyph(TBitmap* cache, const TRect& at)
{
    TCustomImageList* list = FImages.Get();
    const int index = ListImageIndex();
    if (index < 0 || index >= ImageCountOf(list)) return;
    const TacGlyphStrip strip{ImageWidthAt(list, index, 96), ImageHeightAt(list, index, 96)};
    if (strip.Frames() < 2 || strip.Height <= 0 || strip.Width % strip.Height != 0) {
        // One picture: the list draws it at the control's PPI, coloured like the caption.
        TsCommonData* l = SkinData();
        const TColor text = DrawnFromSkin() ? SkinFontColorOf(this, l->SkinIndex, l->SkinManager(), CurrentState(), l)
                                            : Font()->Color();
        cache->Canvas()->Font()->SetColor(text);
        SetImageListPPI(list, FCurrentPPI);
        list->Draw(cache->Canvas(), at.left, at.top, index, true);
        SetImageListPPI(list, 96);
        return;
    }
    std::unique_ptr<TBitmap> b;
    if (auto* ac = dynamic_cast<TacImageList*>(list))
        b.reset(ac->CreateBitmap32(index, strip.Width, strip.Height, 0));
    else
        b = list->GetBitmap32(index);
    if (!b) return;
    const int frame = CheckStripFrame(strip.Frames(), FPressed, SkinData()->CurrentState(), FReadOnly);
    DrawGlyphFrame(BitmapView(cache), at, BitmapView(b.get()), CheckStripFrameRect(strip, frame));
}

void TsCheckBox::PaintGlyph(TBitmap* cache)
{
    const TRect at = GlyphRect();
    if (ListGlyph()) {
        PaintListGlyph(cache, at);
        return;
    }
    if (TBitmap* glyph = UserGlyph()) {
        const TacGlyphStrip strip{glyph->Width(), glyph->Height()};
        const int frame = CheckStripFrame(strip.Frames(), FPressed, SkinData()->CurrentState(), FReadOnly);
        std::unique_ptr<TBitmap> b = Strip32(glyph);
        DrawGlyphFrame(BitmapView(cache), at, BitmapView(b.get()), CheckStripFrameRect(strip, frame));
        return;
    }
    DrawSkinCheckGlyph(cache, at.TopLeft(), SkinData()->ResolveSkinData(), State(), CurrentState());
}

void TsCheckBox::RedrawNow()
{
    SkinData()->BGChanged = true;
    if (HWND wnd = ExistingHandle()) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);
}

void TsCheckBox::Press()
{
    FPressed = true;
    if (!Focused() && CanFocus()) {
        FClicksDisabled = true;
        SetFocus();
        FClicksDisabled = false;
    }
}

void TsCheckBox::Release(bool toggle)
{
    const bool was = FPressed;
    FPressed = false;
    if (was && toggle) Toggle();
}

bool TsCheckBox::HasOwnGlyph() const { return ListGlyph() || UserGlyph() != nullptr; }

bool TsCheckBox::ComposeOwnGlyphs()
{
    TsCommonData* l = SkinData();
    l->EnsureCacheBmp();
    if (l->CacheEmpty()) return false;
    TBitmap* cache = l->FCacheBmp;
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    const TRect whole(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(whole);
    const TRect caption = CaptionRect();
    if (!FText.empty()) {
        const UINT flags = (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP) | DrawTextBiDiModeFlagsReadingOnly();
        DrawTextOnCanvas(c, FText.c_str(), Enabled(), caption, flags);
    }
    if (FShowFocus && Focused()) {
        TRect r = caption;
        r.top += 1;
        r.Inflate(2, 1);
        c->DrawFocusRect(r);
    }
    PaintGlyph(cache);
    // The canvas left the alpha channel empty: the image is opaque.
    const TPixelView v = BitmapView(cache);
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) v.At(x, y) |= 0xFF000000u;
    if (!Enabled() && DisabledKind() != 0) {
        TCacheInfo bg;
        bg.FillColor = Parent() ? ControlBackColor(Parent()) : Color();
        ApplyGlyphEffects32(cache, static_cast<int>(DisabledKind()), this, bg, TPoint(Left(), Top()));
    }
    l->BGChanged = false;
    return true;
}

void TsCheckBox::PaintBox(HDC given, bool skinned)
{
    TsCommonData* l = SkinData();
    // The image is composed afresh at every paint: the box's look follows its state and its
    // parent's background, which change without telling it.
    if (!l->IsAnimating()) l->BGChanged = true;
    Frame().PaintFromCache(given, [this, l, skinned] {
        if (!skinned) return ComposeOwnGlyphs();
        if (!PrepareCache()) return false;
        // The border image's see-through corners show the parent.
        PaintControlBorder32(l, CurrentState(), 15);
        return true;
    });
}

void TsCheckBox::StopAnimationIfResized()
{
    TsCommonData* l = SkinData();
    if (!l->IsAnimating() || !l->FCacheBmp || l->FCacheBmp->Width() == Width()) return;
    // Auto size changed the width while the fade ran: its frames no longer fit the box.
    l->StopAnimTimer();
    RedrawNow();
}

void TsCheckBox::UnskinnedWndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
        if (HasOwnGlyph() && Visible() && ExistingHandle()) {
            PaintBox(reinterpret_cast<HDC>(m.WParam), false);
            m.Result = 0;
            return;
        }
        break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN: FPressed = true; break;
    case WM_KEYUP:
    case WM_LBUTTONUP: FPressed = false; break;
    case BM_SETCHECK:
    case BM_SETSTATE:
        // A read-only box keeps its state: the native control must not change it under a press.
        if (FReadOnly && FPressed) {
            m.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (FReadOnly) {
            m.Result = 0;
            return;
        }
        break;
    default: break;
    }
    TacSkinFrame<TCheckBox>::WndProc(m);
}

void TsCheckBox::WndProc(TMessage& m)
{
    if (m.Msg == CM_MOUSELEAVE) FPressed = false;   // a release outside never toggles
    // A skin came or went since the box last sized itself: it sizes itself for its new look.
    if (FAutoSize && !HasState(csLoading) && FHandle && FMeasuredSkinned != DrawnFromSkin()) AdjustSize();
    TsCommonData* l = SkinData();
    // The native control would paint its own look at once: it handles the message with redraw off
    // and the box is drawn again.
    const auto HandledWithRedrawOff = [&](TMessage& msg) {
        HWND wnd = ExistingHandle();
        if (!wnd || !IsWindowVisible(wnd)) return false;
        SendSetRedraw(wnd, 0);
        TacSkinFrame<TCheckBox>::WndProc(msg);
        SendSetRedraw(wnd, 1);
        l->Invalidate(false);
        return true;
    };
    // Skinned or not.
    switch (m.Msg) {
    case WM_SETTEXT:
        if (HandledWithRedrawOff(m)) return;
        break;
    case CM_VISIBLECHANGED: l->AssignSkinData(nullptr); break;
    default: break;
    }
    if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmRemoveSkin) {
        TacSkinFrame<TCheckBox>::WndProc(m);
        // The native control kept no state and no visual style while the skin drew the box: it
        // gets both back.
        if (HWND wnd = ExistingHandle(); wnd && !DrawnFromSkin()) {
            SendMessageW(wnd, BM_SETCHECK, static_cast<WPARAM>(FState), 0);
            if (!HasState(csDesigning)) CallSetWindowTheme(wnd, nullptr, nullptr);
            Invalidate();
        }
        return;
    }
    if (!DrawnFromSkin()) {
        UnskinnedWndProc(m);
        return;
    }
    const bool usable = Enabled() && !HasState(csDesigning);
    auto animate = [&](int to, TacAnimatEvent event, bool fast, bool glow) {
        l->BGChanged = false;   // the present image is where the fade starts
        AnimateStateChange(l, to, StateAnimStep, IsAnimEventEnabled(event, AnimatEvents(), l->SkinManager()), fast, glow);
    };
    switch (m.Msg) {
    case WM_SETFONT:
        if (HandledWithRedrawOff(m)) return;
        break;
    case BM_SETCHECK:
        l->StopAnimTimer();
        SetState(m.WParam == BST_CHECKED ? cbChecked : m.WParam == BST_INDETERMINATE ? cbGrayed : cbUnchecked);
        l->BGChanged = true;
        Invalidate();
        m.Result = 0;
        return;
    case BM_SETSTATE:
        m.Result = 0;
        return;
    case WM_KEYDOWN:
        if (m.WParam == VK_SPACE && usable) {
            if (!FReadOnly) {
                Press();
                RedrawNow();
                WORD key = VK_SPACE;
                KeyDown(key, KeyboardStateToShiftState());
            }
            m.Result = 0;
            return;
        }
        break;
    case WM_KEYUP:
        if (m.WParam == VK_SPACE && usable) {
            if (!FReadOnly) {
                Release(true);
                RedrawNow();
                WORD key = VK_SPACE;
                KeyUp(key, KeyboardStateToShiftState());
                StopAnimationIfResized();
            }
            m.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (usable) {
            if (!FReadOnly) {
                Press();
                animate(2, aeMouseDown, true, true);
                if (m.Msg == WM_LBUTTONDBLCLK)
                    DblClick();
                else
                    MouseDown(mbLeft, KeysToShiftState(m.WParam), static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
            }
            m.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (usable) {
            if (!FReadOnly) {
                const bool pressed = FPressed;
                Release(true);
                // Toggle repaints through CM_CHANGED; an untoggled release goes back by itself.
                if (!pressed) RedrawNow();
            }
            MouseUp(mbLeft, KeysToShiftState(m.WParam), static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
            if (!FReadOnly) StopAnimationIfResized();
            m.Result = 0;
            return;
        }
        break;
    case CM_CHANGED:
        if (l->IsAnimating())
            animate(CurrentState(), aeMouseUp, false, true);
        else
            RedrawNow();
        break;
    case CM_ENABLEDCHANGED:
        l->BGChanged = true;
        break;
    case WM_NCPAINT: m.Result = 0; return;
    case WM_UPDATEUISTATE:
        // The native control would draw its focus cues over the skin: its visual style goes.
        if (HWND wnd = ExistingHandle(); wnd && !HasState(csDesigning)) CallSetWindowTheme(wnd, L" ", L" ");
        m.Result = 0;
        return;
    case WM_PAINT:
        if (Visible()) {
            PaintBox(reinterpret_cast<HDC>(m.WParam), true);
            m.Result = 0;
            return;
        }
        break;
    case WM_PRINT:
        l->FUpdating = false;
        if (m.WParam) PaintBox(reinterpret_cast<HDC>(m.WParam), true);
        return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        TacSkinFrame<TCheckBox>::WndProc(m);
        if (FAutoSize) AdjustSize();
        l->BGChanged = true;
        Invalidate();
        return;
    default: break;
    }
    TacSkinFrame<TCheckBox>::WndProc(m);
    if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == scmRefresh && FAutoSize) AdjustSize();
}
