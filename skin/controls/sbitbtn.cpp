#include "skin/controls/sbitbtn.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "skin/controls/acimagelist.h"
#include "skin/controls/scharimagelist.h"
#include "skin/controls/sbuttons.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "vcl/forms.h"

// ---- glyph drawing ------------------------------------------------------------------------------

namespace {

struct TGlyphDrawParams {
    int SkinIndex = -1;   // the section whose colours apply
    TCustomImageList* Images = nullptr;
    int ImageIndex = -1;
    TBitmap* Glyph = nullptr;
    TRect DstRect;
    int NumGlyphs = 1;
    int Blend = 0;
    bool Enabled = true;
    int State = 0;
    bool Down = false;
    bool Grayed = false;
    bool Reflected = false;
    TsDisabledGlyphKind Options = 0;
    TBitmap* DstBmp = nullptr;
    TCanvas* DstCanvas = nullptr;
    TColor GlyphColor = clNone;
    TsSkinManager* Manager = nullptr;
    int PPI = 96;
    int VisualState = 0;   // State before the cell order mapped it (picks the platform strip's cell kind)
};

// The toolkit's lists draw one state cell with alpha at the PPI: Down counts as one state more,
// and a disabled glyph of the blended kind is at least half transparent.
void DrawToolkitListImage(const TGlyphDrawParams& p, TColor tone)
{
    auto* list = static_cast<TacImageList*>(p.Images);
    const int blend = ListGlyphBlend(p.Blend, p.State, p.Enabled, p.Options & dgBlended);
    const int state = (p.Down ? 1 : 0) + p.State;
    const int x = p.DstRect.left, y = p.DstRect.top;
    if (p.DstBmp) {
        DrawImageListItem32(list, p.DstBmp, x, y, p.ImageIndex, blend, tone, state, p.NumGlyphs, p.Reflected, p.PPI);
        return;
    }
    if (!p.DstCanvas) return;
    TFont* font = p.DstCanvas->Font();
    list->SetDrawColor(ResolveSkinColor(font->Color(), p.Manager), p.ImageIndex, font->Size() == 0);
    DrawImageListItemToDC(list, p.DstCanvas->Handle(), x, y, p.ImageIndex, blend, tone, state, p.NumGlyphs,
                          p.Reflected, p.PPI);
    list->SetDrawColor(clNone, p.ImageIndex, true);
    list->ForeColor = clNone;
}

void DrawListImage(const TGlyphDrawParams& p, TColor tone)
{
    TCustomImageList* list = p.Images;
    const int x = p.DstRect.left, y = p.DstRect.top;
    if (!p.DstBmp || list->ColorDepth() == cd32Bit) {
        if (p.DstCanvas) list->Draw(p.DstCanvas, x, y, p.ImageIndex, p.Enabled);
        return;
    }
    // A list without alpha: its image over its background colour (or the key colour), then
    // copied without that colour.
    const TColor bg = list->BkColor() == clNone ? TColor(0xFF00FF) : list->BkColor();
    std::unique_ptr<TBitmap> tmp(NewBitmap32(p.DstRect.Width(), p.DstRect.Height()));
    FillDCRect(tmp->Canvas()->Handle(), TRect(0, 0, tmp->Width(), tmp->Height()), bg);
    list->Draw(tmp->Canvas(), 0, 0, p.ImageIndex, true);
    const bool grey = tone != clNone;
    const TRect all(0, 0, tmp->Width(), tmp->Height());
    if (p.Enabled) {
        if (p.State == 0 && grey) GrayscaleExceptKey32(tmp.get(), TColor(SwapRedBlue(ReadPixel32(tmp.get(), 0, 0)) & 0xFFFFFF));
        if (p.State != 0 || p.Blend < 1)
            CopyOpaqueAt32(p.DstBmp, tmp.get(), x, y, bg);
        else
            BlendRectAt32(p.DstBmp, x, y, tmp.get(), all, p.Blend, 0xFF00FF);
        return;
    }
    if (grey) GrayscaleExceptKey32(tmp.get(), TColor(SwapRedBlue(ReadPixel32(tmp.get(), 0, 0)) & 0xFFFFFF));
    if (p.Options & dgBlended)
        BlendRectAt32(p.DstBmp, x, y, tmp.get(), all, 127, 0xFF00FF);
    else
        CopyOpaqueAt32(p.DstBmp, tmp.get(), x, y, bg);
}

// A 32-bit glyph without any alpha was made for drawing through its key colour: it becomes 24-bit
// (its owner is not told) so that it is drawn as a platform strip.
void DropEmptyAlpha(const TGlyphDrawParams& p, TBitmap* g)
{
    const TacOptions* options = DefaultManager ? DefaultManager->Options() : nullptr;
    if (!GlyphNeedsAlphaCheck(g->PixelFormat() == pfDevice, p.Enabled, g->PixelFormat() == pf32bit, DefaultManager != nullptr,
                              p.SkinIndex, options && options->CheckEmptyAlpha()))
        return;
    const TNotifyEvent onChange = g->OnChange;
    g->OnChange = nullptr;
    g->SetHandleType(bmDIB);
    if (g->PixelFormat() == pfDevice) g->SetPixelFormat(pf32bit);
    if (g->PixelFormat() == pf32bit) {
        const TPixelView v = BitmapView(g);
        bool anyAlpha = false;
        for (int y = 0; y < v.Height && !anyAlpha; ++y)
            for (int x = 0; x < v.Width && !anyAlpha; ++x) anyAlpha = (v.Row(y)[x] >> 24) != 0;
        if (!anyAlpha) g->SetPixelFormat(pf24bit);
    }
    g->OnChange = onChange;
}

void DrawGlyphBitmap(const TGlyphDrawParams& p, TColor tone)
{
    TBitmap* g = p.Glyph;
    if (!g || g->Empty()) return;
    DropEmptyAlpha(p, g);
    const int cells = std::max(p.NumGlyphs, 1);
    if (g->PixelFormat() == pf32bit) {
        const int cw = p.DstRect.Width();
        const int cell = GlyphStripCell(p.State, cells);
        const TRect src(cell * cw, 0, cell * cw + cw, g->Height());
        if (p.DstBmp) {
            CopyRectAlpha32(p.DstRect, src, p.DstBmp, g, EmptyCacheInfo, false, tone, p.State == 0 ? p.Blend : 0,
                            p.Reflected);
            return;
        }
        std::unique_ptr<TBitmap> tmp(NewBitmap32(cw, g->Height()));
        BitBlt(tmp->Canvas()->Handle(), 0, 0, cw, g->Height(), g->Canvas()->Handle(), src.left, 0, SRCCOPY);
        const int m = CanvasGlyphAlphaPercent(p.Blend, p.State, p.Enabled, p.Options & dgBlended);
        const TPixelView v = BitmapView(tmp.get());
        if (m != 0)
            for (int yy = 0; yy < v.Height; ++yy)
                for (int xx = 0; xx < v.Width; ++xx) {
                    uint32_t& px = v.Row(yy)[xx];
                    px = (px & 0xFFFFFFu) | (((px >> 24) * uint32_t(m) / 100u) << 24);
                }
        if (CanvasGlyphGray(p.State, p.Enabled, p.Grayed, p.Options & dgGrayed)) GrayscaleBitmap32(tmp.get());
        DrawBitmapAlpha(p.DstCanvas, tmp.get(), p.DstRect, p.Reflected);
        return;
    }
    // Strips of the platform's kind: up, disabled, down (and exclusive) cells.
    const int kind = !p.Enabled ? 1 : (p.Down || p.VisualState == 2) ? 3 : 0;
    if (p.DstBmp) {
        DrawStateGlyph32(p.DstBmp, g, p.DstRect, cells, true, kind, p.Blend, p.State, p.Reflected);
        return;
    }
    if (!p.DstCanvas) return;
    std::unique_ptr<TBitmap> tmp(NewBitmap32(p.DstRect.Width(), p.DstRect.Height()));
    HDC dc = p.DstCanvas->Handle();
    BitBlt(tmp->Canvas()->Handle(), 0, 0, tmp->Width(), tmp->Height(), dc, p.DstRect.left, p.DstRect.top, SRCCOPY);
    DrawStateGlyph32(tmp.get(), g, TRect(0, 0, tmp->Width(), tmp->Height()), cells, true, kind, p.Blend, p.State, p.Reflected);
    BitBlt(dc, p.DstRect.left, p.DstRect.top, tmp->Width(), tmp->Height(), tmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void DrawGlyph(TGlyphDrawParams p)
{
    const TColor tone = p.Grayed ? ResolveSkinColor(p.GlyphColor, p.Manager) : clNone;
    p.VisualState = p.State;
    p.State = GlyphDrawState(p.State, p.Enabled, p.NumGlyphs,
                             DefaultManager && DefaultManager->Options()->StdGlyphsOrder());
    if (p.Images && p.ImageIndex >= 0 && p.ImageIndex < ImageCountOf(p.Images)) {
        if (dynamic_cast<TacImageList*>(p.Images))
            DrawToolkitListImage(p, tone);
        else
            DrawListImage(p, tone);
        return;
    }
    DrawGlyphBitmap(p, tone);
}

}  // namespace

void DrawSkinnedButtonGlyph(TControl* button, TCanvas* canvas, TColor glyphColor)
{
    TGlyphDrawParams p;
    TsCommonData* link = nullptr;
    if (auto* b = dynamic_cast<TsBitBtn*>(button)) {
        link = b->SkinData();
        p.Images = b->Images();
        p.ImageIndex = b->ImageIndex();
        p.Glyph = b->Glyph();
        p.DstRect = b->ImgRect();
        p.NumGlyphs = b->NumGlyphs() & 0x7F;
        p.Blend = b->Blend();
        p.Down = b->Down();
        p.State = b->CurrentState();
        p.Enabled = b->Enabled();
        TsSkinManager* m = link->SkinManager();
        const bool disabled = !p.Enabled;
        p.Grayed = p.State == 0 && (b->Grayed() || (m && m->Effects()->DiscoloredGlyphs()) ||
                                    (disabled && (b->DisabledKind() & dkGrayed)));
        if (disabled && (b->DisabledGlyphKind() & dgGrayed)) p.Grayed = true;
        p.Options = b->DisabledGlyphKind();
        p.Reflected = b->Reflected();
    } else if (auto* sb = dynamic_cast<TsButton*>(button)) {
        link = sb->SkinData();
        p.Images = sb->GetImages();
        p.ImageIndex = sb->CurrentImageIndex();
        sb->GlyphRect(p.DstRect);
        p.State = sb->CurrentState();
        p.Down = p.State == 2;
        p.Enabled = sb->Enabled();
        TsSkinManager* m = link->SkinManager();
        p.Grayed = p.State == 0 && link->Skinned(true) && m && m->Effects()->DiscoloredGlyphs();
        p.Reflected = sb->Reflected();
    } else {
        return;
    }
    p.DstCanvas = canvas;
    p.Manager = link->SkinManager();
    p.PPI = link->CurrentPPI > 0 ? link->CurrentPPI : 96;   // the PPI the glyph's rectangle was measured at
    p.DstBmp = link->Skinned(true) ? link->FCacheBmp : nullptr;
    // A section that is fully see-through at rest shows the one behind the button: its colours
    // apply then.
    TacSkinData* d = link->ResolveSkinData();
    p.SkinIndex = link->SkinIndex;
    if (p.State == 0 && button->Parent() && p.Manager && d && d->IsValidSection(p.SkinIndex) &&
        d->gd[size_t(p.SkinIndex)].Props[0].Transparency == 100)
        p.SkinIndex = SectionBehindControl(button, p.SkinIndex, p.Manager, 0);
    // The grey look takes the button's own colour, else the section's, unless a colour is given.
    if (glyphColor != clNone)
        p.GlyphColor = glyphColor;
    else if (link->CustomColor())
        p.GlyphColor = button->Color();
    else
        p.GlyphColor = p.Manager && d && d->IsValidSection(p.SkinIndex) ? d->gd[size_t(p.SkinIndex)].Props[0].Color : clWhite;
    // Character images take the text colour of the button's state; the canvases get their own
    // colours back afterwards.
    TFont* fonts[2] = {canvas ? canvas->Font() : nullptr, p.DstBmp ? p.DstBmp->Canvas()->Font() : nullptr};
    TColor saved[2] = {clNone, clNone};
    const bool charList = dynamic_cast<TsCharImageList*>(p.Images) != nullptr;
    if (charList) {
        const TColor text = link->Skinned(true) ? SkinFontColorOf(button, p.SkinIndex, p.Manager, p.State, link) : clBtnText;
        for (int i = 0; i < 2; ++i)
            if (fonts[i]) {
                saved[i] = fonts[i]->Color();
                fonts[i]->SetColor(text);
            }
    }
    DrawGlyph(p);
    if (charList)
        for (int i = 0; i < 2; ++i)
            if (fonts[i]) fonts[i]->SetColor(saved[i]);
}

// ---- the frame of a control's section -----------------------------------------------------------

void PaintControlFrame(HDC dc, const TRect& rect, int frameWidth, TRect& innerRect, int state, TsCommonData* link)
{
    if (!dc || !link) return;
    const TColor color = link->SkinBGColor(state, link->FOwnerControl ? link->OwnerHandle() : nullptr);
    TCacheInfo bg;
    if (link->FOwnerControl && link->FOwnerControl->Parent()) link->FetchParentBG(bg);
    TacSkinData* d = link->ResolveSkinData();
    const int bi = d && d->IsValidSection(link->SkinIndex) ? d->gd[size_t(link->SkinIndex)].BorderIndex : -1;
    if (d && d->IsValidImage(bi)) {
        const TsMaskData& ma = d->ma[size_t(bi)];
        const int s = std::clamp(state, 0, std::max(ma.ImageCount - 1, 0));
        link->EnsureCacheBmp();
        TBitmap* cache = link->FCacheBmp;
        if (cache->Width() < rect.right || cache->Height() < rect.bottom) {
            cache->SetPixelFormat(pf32bit);
            cache->SetSize(std::max(cache->Width(), int(rect.right)), std::max(cache->Height(), int(rect.bottom)));
        }
        if (ma.MaskType == 1 && bg.Ready && !bg.Bmp.IsNull()) {
            // A masked border shows the parent through its key pixels: the strips get its image first.
            const int w = std::max({int(ma.WL), int(ma.WT), int(ma.WR), int(ma.WB)});
            const TPixelView v = BitmapView(cache);
            for (int y = rect.top; y < rect.bottom; ++y)
                for (int x = rect.left; x < rect.right; ++x) {
                    const bool strip = x < rect.left + w || x >= rect.right - w || y < rect.top + w || y >= rect.bottom - w;
                    const int sx = bg.X + x, sy = bg.Y + y;
                    if (strip && x >= 0 && y >= 0 && x < v.Width && y < v.Height && sx >= 0 && sy >= 0 &&
                        sx < bg.Bmp.Width && sy < bg.Bmp.Height)
                        v.Row(y)[x] = bg.Bmp.At(sx, sy);
                }
        }
        DrawSkinMask32(cache, rect, bg, ma, s, true);
        innerRect = TRect(rect.left + ma.WL, rect.top + ma.WT, rect.right - ma.WR, rect.bottom - ma.WB);
        if (frameWidth > 0) {
            auto strip = [&](int border, int room) { return std::max(0, std::min(frameWidth - border, room)); };
            const int roomX = std::max(0, rect.Width() - ma.WL - ma.WR), roomY = std::max(0, rect.Height() - ma.WT - ma.WB);
            FillBorderStrips32(cache, innerRect, strip(ma.WL, roomX / 2), strip(ma.WT, roomY / 2), strip(ma.WR, roomX / 2),
                               strip(ma.WB, roomY / 2), color);
            const int fx = std::min(frameWidth, rect.Width() / 2), fy = std::min(frameWidth, rect.Height() / 2);
            innerRect = TRect(rect.left + fx, rect.top + fy, rect.right - fx, rect.bottom - fy);
            if (dc != cache->Canvas()->Handle())
                BlitFrameStrips(dc, rect.left, rect.top, rect.Width(), rect.Height(), cache->Canvas()->Handle(), rect.left,
                                rect.top, frameWidth, frameWidth, frameWidth, frameWidth);
        }
        return;
    }
    if (frameWidth > 0) FillDCFrame(dc, rect, frameWidth, frameWidth, frameWidth, frameWidth, color);
}

// ---- TsBitBtn -------------------------------------------------------------------------------------

TsBitBtn::TsBitBtn(TComponent* owner) : TacSkinFrame<TBitBtn>(owner, ackind::BitBtn)
{
    FControlStyle &= ~(csOpaque | csDoubleClicks);
    FMargin = -1;
    FWordWrap = true;
    FOldSpacing = FSpacing;
    SetGlowOnRelease(true);
    Frame().IsButton = true;
    Frame().HalfVisibleByParent = true;
}

void TsBitBtn::Invalidate()
{
    if (FLayout != FOldLayout) {
        FOldLayout = FLayout;
        SkinData()->BGChanged = true;
    }
    TacSkinFrame<TBitBtn>::Invalidate();
}

void TsBitBtn::SetDrawOverBorder(bool on)
{
    Frame().BorderOverContent = !on;
    SetLook(FDrawOverBorder, on);
}

void TsBitBtn::ShowPressedFlash()
{
    ShowButtonPressedFlash(SkinData(), PressedFlashWait ? std::function<void()>([this] { PressedFlashWait(this); })
                                                        : std::function<void()>());
}

void TsBitBtn::SetAlignment(TAlignment value) { SetLook(FAlignment, value); }

void TsBitBtn::SetTextAlignment(TAlignment value) { SetLook(FTextAlignment, value); }

void TsBitBtn::SetVerticalAlignment(TVerticalAlignment value) { SetLook(FVerticalAlignment, value); }

void TsBitBtn::SetDisabledGlyphKind(TsDisabledGlyphKind value) { SetLook(FDisabledGlyphKind, value); }

void TsBitBtn::SetGlyphColorTone(TColor value) { SetLook(FGlyphColorTone, value); }

void TsBitBtn::SetAcceptsControls(bool on)
{
    FAcceptsControls = on;
    if (on)
        FControlStyle |= csAcceptsControls;
    else
        FControlStyle &= ~csAcceptsControls;
}

void TsBitBtn::ShiftControls(int state)
{
    const bool shift = state == 2 && ShiftsContent(state);
    if (shift == FControlsShifted) return;
    FControlsShifted = shift;
    const int d = shift ? 1 : -1;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + d, c->Top() + d, c->Width(), c->Height());
    }
}

void TsBitBtn::SetFocusedColor(TColor value) { SetLook(FFocusedColor, value); }

bool TsBitBtn::Grayed() const
{
    if (FGrayed) return true;
    TsSkinManager* m = SkinData()->SkinManager();
    return SkinData()->Skinned(true) && m && m->Effects()->DiscoloredGlyphs();
}

int TsBitBtn::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssButton] : -1;
}

bool TsBitBtn::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

void TsBitBtn::SetButtonStyle(bool isDefault)
{
    TacSkinFrame<TBitBtn>::SetButtonStyle(isDefault);
    if (!HasState(csDestroying)) SkinData()->Invalidate(false);
}

int TsBitBtn::CurrentState()
{
    TacBitBtnStateInput in;
    static_cast<TacButtonStateInput&>(in) = ButtonStateInput(this, SkinData(), FMouseClicked, FDown);
    if (HWND f = GetFocus()) in.FocusOnOwnerDrawnButton = (GetWindowLongPtrW(f, GWL_STYLE) & 0x8) != 0;
    return BitBtnCurrentState(in);
}

bool TsBitBtn::ShiftsContent(int state)
{
    if (state != 2) return false;
    TsCommonData* l = SkinData();
    return ContentShiftsOnClick(l->SkinIndex, l->ResolveSkinData());
}

TSize TsBitBtn::GlyphSize()
{
    TacBitBtnGlyphSource src;
    TCustomImageList* images = Images();
    src.ValidImage = images && FImageIndex >= 0 && FImageIndex < ImageCountOf(images);
    if (src.ValidImage) {
        const int ppi = SkinData()->CurrentPPI > 0 ? SkinData()->CurrentPPI : 96;
        src.ImageWidth = ImageWidthAt(images, FImageIndex, ppi);
        src.ImageHeight = ImageHeightAt(images, FImageIndex, ppi);
    }
    if (!FGlyph->Empty()) {
        src.StripWidth = FGlyph->Width();
        src.StripHeight = FGlyph->Height();
    }
    src.NumGlyphs = FNumGlyphs;
    return BitBtnGlyphSize(src);
}

TRect TsBitBtn::ImgRect()
{
    const int state = CurrentState();
    return BitBtnImgRect(FGlyphPos, GlyphSize(), ShiftsContent(state), FReflected);
}

UINT TsBitBtn::CaptionFlags() const
{
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
    switch (FTextAlignment) {
    case taLeftJustify: flags |= DT_LEFT; break;
    case taRightJustify: flags |= DT_RIGHT; break;
    default: flags |= DT_CENTER; break;
    }
    return flags;
}

void TsBitBtn::LayoutContent(TCanvas* canvas)
{
    const TSize glyph = GlyphSize();
    TSize text;
    if (FShowCaption && !FText.empty() && canvas) {
        const int room = BitBtnCaptionRoom(FWidth, FMargin, FLayout, glyph.cx, FSpacing);
        RECT r{0, 0, std::max(room, 1), 0};
        DrawTextW(FontDC(canvas), FText.c_str(), static_cast<int>(FText.size()), &r,
                  DT_CALCRECT | CaptionFlags() | DrawTextBiDiModeFlagsReadingOnly());
        text = TSize(r.right - r.left, r.bottom - r.top);
    }
    const int flags = UseRightToLeftAlignment() ? lgFlagRightToLeft : 0;
    LayoutGlyphAndCaption(TRect(0, 0, FWidth, FHeight), glyph, text, FLayout, FAlignment, FMargin, FSpacing, FGlyphPos,
                          FCaptionRect, flags, FVerticalAlignment);
    if (FTextOffset != 0) FCaptionRect = OffsetCaption(FCaptionRect, FLayout, FTextOffset);
}

TacColoring TsBitBtn::Coloring()
{
    const TacColoringInput in = ButtonColoringInput(this, SkinData(), CurrentState(), DrawnFromSkin());
    TacColoring c;
    if (FFocusedColor != clNone && FFocusedColor != clBtnFace && Focused())
        c.ColorToneBG = FFocusedColor;   // the focused tone alone, no modal colours
    else
        c = ButtonColoring(in);
    if (OnGetColoring) OnGetColoring(this, in.State, c);
    return c;
}

void TsBitBtn::DrawCaption(TCanvas* c, int state, const TacColoring& coloring)
{
    if (!FShowCaption || FText.empty()) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TRect r = FCaptionRect;
    if (ShiftsContent(state)) r.Offset(1, 1);
    const UINT flags = CaptionFlags() | DT_END_ELLIPSIS | DrawTextBiDiModeFlagsReadingOnly();
    c->Brush()->SetStyle(bsClear);
    if (!DrawnFromSkin()) {
        SetBkMode(c->Handle(), TRANSPARENT);
        // The plain look: a disabled caption is embossed.
        TColor color = coloring.ColorText != clNone ? ResolveSkinColor(coloring.ColorText, m) : Font()->Color();
        if (!Enabled()) {
            TRect lit = r;
            lit.Offset(1, 1);
            c->Font()->SetColor(clBtnHighlight);
            DrawTextOnCanvas(c, FText.c_str(), true, lit, flags);
            color = clBtnShadow;
        }
        c->Font()->SetColor(color);
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
        return;
    }
    if (coloring.ColorText != clNone) {
        c->Font()->SetColor(ResolveSkinColor(coloring.ColorText, m));
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
    } else if (l->CustomFont()) {
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
    } else {
        WriteSectionText(c, FText, true, r, flags, l->SkinIndex, state, m);
    }
    if (!Enabled() || !Focused() || !FShowFocus) return;
    if (m && !m->ButtonsOptions()->ShowFocusRect) return;
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TsGeneralData& g = d->gd[static_cast<size_t>(l->SkinIndex)];
    const int s = std::clamp(std::min(g.States, 2), 0, int(g.Props.size()) - 1);
    TRect f = r;
    f.Inflate(FFocusMargin + 1, FFocusMargin);
    DrawDottedFrame(c, f, g.Props[static_cast<size_t>(s)].FontColor.Color, clNone);
}

void TsBitBtn::PaintContent(TBitmap* cache, int state)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    const TacColoring col = Coloring();
    if (col.ColorToneBG != clNone && col.ColorToneBG != l->FColorTone) ApplyColorEffects(cache, l, true, state, col.ColorToneBG);
    LayoutContent(c);
    DrawCaption(c, state, col);
    TColor glyphColor = col.ColorGlyph;
    if (glyphColor == clNone && (!m || (!m->Effects()->DiscoloredGlyphs() && !FGrayed) || state != 0))
        glyphColor = CurrentColorTone();
    DrawSkinnedButtonGlyph(this, c, glyphColor);
    if (OnPaint) OnPaint(this, cache);
    ShiftControls(state);
    FOldSpacing = FSpacing;
}

void TsBitBtn::DrawUnskinned(const DRAWITEMSTRUCT& item)
{
    const int w = FWidth, h = FHeight;
    if (w <= 0 || h <= 0 || !item.hDC) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    l->EnsureCacheBmp();
    TBitmap* cache = l->FCacheBmp;
    cache->SetPixelFormat(pf32bit);
    cache->SetSize(w, h);
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    LayoutContent(c);
    const bool focused = item.itemState & ODS_FOCUS;
    const int state = (item.itemState & ODS_SELECTED) ? 2 : l->FMouseAbove ? 1 : (focused || FDefault) ? 3 : 0;
    FIsFocused = focused;
    HDC dc = c->Handle();
    RECT r{0, 0, w, h};
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (state == 3) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (state == 2) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Enabled() ? 0 : DFCS_INACTIVE));
    }
    if (focused && (!m || (m->ButtonsOptions()->ShowFocusRect && FShowFocus))) {
        RECT f{3, 3, w - 3, h - 3};
        DrawFocusRect(dc, &f);
    }
    if (focused && FFocusedColor != clNone && ColorToRGB(FFocusedColor) != ColorToRGB(clBtnFace)) {
        // The focused button's face takes its tone, inside a frame of that colour.
        const TRect inner(2, 2, w - 2, h - 2);
        GdiFlush();
        ApplyColorEffects(BitmapView(cache).Sub(inner), FFocusedColor, 0, 0);
        FillDCFrame(dc, TRect(1, 1, w - 1, h - 1), 1, 1, 1, 1, FFocusedColor);
    }
    TacColoring col = Coloring();
    DrawCaption(c, state, col);
    TColor glyphColor = col.ColorGlyph;
    if (glyphColor == clNone && (!m || !m->Effects()->DiscoloredGlyphs() || state != 0)) glyphColor = CurrentColorTone();
    DrawSkinnedButtonGlyph(this, c, glyphColor);
    if (OnPaint) OnPaint(this, cache);
    BitBlt(item.hDC, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

void TsBitBtn::WndProc(TMessage& m)
{
    TsCommonData* l = SkinData();
    switch (m.Msg) {
    case MSG_SKINCOMMAND:
        switch (SkinCommandOf(m.WParam)) {
        case scmGetColorTone:
            if (m.LParam) *reinterpret_cast<TacColoring*>(m.LParam) = Coloring();
            m.Result = 1;
            return;
        case scmRemoveSkin:
            // The controls on the button let go of the skin before the button does.
            if (m.LParam == reinterpret_cast<LPARAM>(l->SkinManager()) && !HasState(csDestroying)) {
                Frame().PassToChildren(m);
                FChildrenDone = true;
                TacSkinFrame<TBitBtn>::WndProc(m);
                FChildrenDone = false;
                return;
            }
            break;
        default: break;
        }
        break;
    case CN_DRAWITEM:
        if (!DrawnFromSkin()) {
            // A section of a skin switched off: the standard bit button draws itself.
            if (l->SkinIndex >= 0) break;
            if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)) DrawUnskinned(*item);
            m.Result = TRUE;
            return;
        }
        break;
    case WM_PRINT:
        // Unskinned, a print into a DC is the plain look the owner-draw gives.
        if (!DrawnFromSkin() && l->SkinIndex < 0 && m.WParam && HandleAllocated()) {
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_BUTTON;
            item.hwndItem = ExistingHandle();
            item.hDC = reinterpret_cast<HDC>(m.WParam);
            item.rcItem = RECT{0, 0, FWidth, FHeight};
            if (SendMessageW(ExistingHandle(), BM_GETSTATE, 0, 0) & BST_PUSHED) item.itemState |= ODS_SELECTED;
            if (GetFocus() == ExistingHandle()) item.itemState |= ODS_FOCUS;
            if (!Enabled()) item.itemState |= ODS_DISABLED;
            DrawUnskinned(item);
            m.Result = 0;
            return;
        }
        break;
    case WM_PAINT:
        // Glyph and caption sit elsewhere after a change of Spacing.
        if (FSpacing != FOldSpacing) l->BGChanged = true;
        break;
    case WM_SETTEXT:
        if (DrawnFromSkin() && HandleAllocated() && Visible()) {
            if (l->AnimTimer) CompleteAnimTimer(l->AnimTimer);
            l->StopAnimTimer();
            SendSetRedraw(ExistingHandle(), 0);
            TacSkinFrame<TBitBtn>::WndProc(m);
            SendSetRedraw(ExistingHandle(), 1);
            l->BGChanged = true;
            RedrawWindow(ExistingHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (DrawnFromSkin() && Enabled() && !HasState(csDesigning)) {
            l->FUpdating = false;
            ButtonHintsOff();
            if (ButtonPressBefore(l, true, true, FMouseClicked, m)) return;
            TacSkinFrame<TBitBtn>::WndProc(m);
            ButtonHintsBack();
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (DrawnFromSkin() && Enabled() && !HasState(csDesigning)) {
            ButtonHintsBack();
            if (!FMouseClicked) {
                // No press of ours is pending: the animation stops, the release still runs.
                l->StopAnimTimer();
                break;
            }
            FMouseClicked = false;
            ShowPressedFlash();
        }
        break;
    case WM_ERASEBKGND:
        if (DrawnFromSkin()) {
            m.Result = 0;
            return;
        }
        break;
    default: break;
    }
    const bool canPress = Enabled() && !HasState(csDesigning);
    if (ButtonPressBefore(l, DrawnFromSkin(), canPress, FMouseClicked, m)) return;
    TacSkinFrame<TBitBtn>::WndProc(m);
    ButtonPressAfter(l, DrawnFromSkin(), FMouseClicked, m);
}
