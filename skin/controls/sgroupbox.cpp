#include "skin/controls/sgroupbox.h"

#include <algorithm>
#include <memory>

#include "skin/controls/acimagelist.h"
#include "skin/controls/scheckbox.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "skin/engine/core/shared_settings.h"
#include "vcl/shellbind.h"

namespace {

// Width of the text and height of "W" in the font.
void MeasureCaption(TFont* font, const String& text, int& width, int& heightOfW)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    SIZE sz{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &sz);
    width = text.empty() ? 0 : sz.cx;
    GetTextExtentPoint32W(dc, L"W", 1, &sz);
    heightOfW = sz.cy;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

// What lies behind the control at r (control coordinates) copied into bmp at dest: the parent's
// image when it gave one, else its colour.
void CopyBackground(TBitmap* bmp, const TPoint& dest, const TRect& r, const TCacheInfo& bg, const TPoint& controlPos)
{
    const TPixelView to = BitmapView(bmp);
    const uint32_t fill = 0xFF000000u | SwapRedBlue(uint32_t(ColorToRGB(bg.FillColor)) & 0xFFFFFFu);
    const bool fromImage = bg.Ready && !bg.Bmp.IsNull();
    for (int y = r.top; y < r.bottom; ++y) {
        const int ty = dest.y + y - r.top;
        if (ty < 0 || ty >= to.Height) continue;
        for (int x = r.left; x < r.right; ++x) {
            const int tx = dest.x + x - r.left;
            if (tx < 0 || tx >= to.Width) continue;
            uint32_t px = fill;
            if (fromImage) {
                const int sx = bg.X + controlPos.x + x, sy = bg.Y + controlPos.y + y;
                if (sx >= 0 && sy >= 0 && sx < bg.Bmp.Width && sy < bg.Bmp.Height) px = bg.Bmp.At(sx, sy) | 0xFF000000u;
            }
            to.At(tx, ty) = px;
        }
    }
}

}  // namespace

void TsMargin::SetValue(int index, int value)
{
    TacIntProperty* fields[4] = {&FLeft, &FTop, &FRight, &FBottom};
    if (index < 0 || index > 3 || *fields[index] == value) return;
    *fields[index] = value;
    auto* box = dynamic_cast<TsGroupBox*>(FControl);
    if (!box || box->HasState(csLoading)) return;
    box->CaptionChanged();
    box->SkinData()->Invalidate(false);
}

TsGroupBox::TsGroupBox(TComponent* owner)
    : TacSkinFrame<TGroupBox>(owner, ackind::GroupBox), FCaptionMargin(new TsMargin(this)),
      FImages(this, Bind<&TsGroupBox::ImagesChanged>(this))
{
    // A disabled box fades its caption only (the frame keeps its look).
    Frame().DisabledKind = 0;
}

TsGroupBox::~TsGroupBox() { StopCheckFade(); }

void TsGroupBox::CaptionChanged()
{
    SkinData()->BGChanged = true;
    Invalidate();
}

void TsGroupBox::SetCaptionLayout(TsCaptionLayout value)
{
    if (FCaptionLayout == value) return;
    FCaptionLayout = value;
    CaptionChanged();
}

void TsGroupBox::SetImages(TCustomImageList* list)
{
    if (!FImages.Set(list)) return;
    CaptionChanged();
}

void TsGroupBox::SetImageIndex(int value)
{
    if (FImageIndex == value) return;
    FImageIndex = value;
    CaptionChanged();
}

void TsGroupBox::ImagesChanged(TObject*) { SkinData()->Invalidate(false); }

void TsGroupBox::Notification(TComponent* component, TOperation operation)
{
    TacSkinFrame<TGroupBox>::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages.Removed(component)) CaptionChanged();
}

bool TsGroupBox::HasImage() const
{
    return FImages.Get() && FImageIndex >= 0 && FImageIndex < ImageCountOf(FImages.Get());
}

void TsGroupBox::SetCaptionYOffset(int value)
{
    if (FCaptionYOffset == value) return;
    FCaptionYOffset = value;
    CaptionChanged();
    if (!HasState(csLoading)) Realign();
}

TRect TsGroupBox::ClientRect() const
{
    TRect r = TGroupBox::ClientRect();
    if (!HasState(csDestroying)) r.top += FCaptionYOffset;
    return r;
}

void TsGroupBox::SetCaptionWidth(int value)
{
    if (FCaptionWidth == value) return;
    FCaptionWidth = value;
    CaptionChanged();
}

void TsGroupBox::SetCaptionSkin(const String& value)
{
    if (FCaptionSkin == value) return;
    FCaptionSkin = value;
    CaptionChanged();
}

void TsGroupBox::SetCheckBoxVisible(bool on)
{
    if (on == FCheckBoxVisible) return;
    FCheckBoxVisible = on;
    if (!on) {
        FCheckHot = FCheckPressed = false;
        StopCheckFade();
    }
    CaptionChanged();
}

void TsGroupBox::SetChecked(bool on)
{
    if (on == FChecked) return;
    FChecked = on;
    if (HasState(csLoading)) return;
    // A pending press repaints the caption itself on release; a repaint now would flicker.
    if (!FCheckPressed) {
        StopCheckFade();
        SkinData()->Invalidate(false);
    }
    CheckedChanged();
}

void TsGroupBox::CheckedChanged()
{
    TsCommonData* l = SkinData();
    const bool handler = OnCheckBoxChanged && EventsAllowed();
    // The handler may change the children too: the box repaints once, after it.
    if (handler) l->BeginUpdate();
    UpdateAccessibilities();
    if (!handler) return;
    struct TEnd {
        TsCommonData* L;
        ~TEnd() { L->EndUpdate(true); }
    } end{l};
    OnCheckBoxChanged(this);
}

namespace {
void SetChildrenEnabled(TWinControl* parent, bool on)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        c->SetEnabled(on);
        if (auto* w = dynamic_cast<TWinControl*>(c)) SetChildrenEnabled(w, on);
    }
}
}  // namespace

void TsGroupBox::UpdateAccessibilities()
{
    switch (FAutoChildrenStates) {
    case csAsChecked: SetChildrenEnabled(this, FChecked); break;
    case csAsNotChecked: SetChildrenEnabled(this, !FChecked); break;
    case csNone: break;
    }
}

void TsGroupBox::Loaded()
{
    TacSkinFrame<TGroupBox>::Loaded();
    UpdateAccessibilities();
}

int TsGroupBox::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssGroupBox] : -1;
}

bool TsGroupBox::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

TSize TsGroupBox::CheckSize()
{
    if (DrawnFromSkin()) return SkinCheckGlyphSize(SkinData()->ResolveSkinData(), FChecked ? cbChecked : cbUnchecked);
    // The standard check box: 16 x 16 in a visual style, 13 x 13 in the classic look.
    const int s = MulDiv(VisualStyleActive() ? 16 : 13, FCurrentPPI, 96);
    return TSize(s, s);
}

TacGroupCaption TsGroupBox::CaptionGeometry()
{
    TacGroupCaptionInput in;
    int heightOfW = 0;
    MeasureCaption(FFont, FText, in.TextWidth, heightOfW);
    in.TextHeight = TacGroupCaptionTextHeight(heightOfW);
    in.Width = FWidth;
    in.CaptionYOffset = FCaptionYOffset;
    in.CaptionWidth = FCaptionWidth;
    in.Margin = FCaptionMargin->Values();
    if (HasImage()) {
        in.HasImage = true;
        in.ImageWidth = ImageWidthAt(FImages.Get(), FImageIndex, FCurrentPPI);
        in.ImageHeight = ImageHeightAt(FImages.Get(), FImageIndex, FCurrentPPI);
    }
    in.Layout = FCaptionLayout;
    in.RightToLeftAlignment = UseRightToLeftAlignment();
    in.RightToLeftReading = UseRightToLeftReading();
    in.CheckBox = FCheckBoxVisible;
    const TSize check = FCheckBoxVisible ? CheckSize() : TSize(0, 0);
    in.CheckWidth = check.cx;
    in.CheckHeight = check.cy;
    const bool skinned = DrawnFromSkin();
    TacSkinData* d = skinned ? SkinData()->ResolveSkinData() : nullptr;
    in.Spacing = d ? d->Spacing : 4;
    TacGroupCaption g = CalcGroupCaption(in);
    if (!skinned) {
        // The standard group box writes its caption at the very top: the caption line moves up
        // to it, so boxes with and without a check box keep their captions level.
        int dy = -(g.TextRect.top + (g.TextRect.Height() - heightOfW) / 2);
        // A check mark taller than the text still starts inside the box.
        if (FCheckBoxVisible) dy = std::max<int>(dy, -g.CheckBoxRect.top);
        for (TRect* r : {&g.CaptionRect, &g.CheckBoxRect, &g.GlyphRect, &g.TextRect}) r->Offset(0, dy);
    }
    return g;
}

TCacheInfo TsGroupBox::ParentBackground()
{
    TCacheInfo bg;
    if (Parent()) {
        TacBgQuery q;
        GetControlBackground(q, Parent(), false);
        bg = BgInfoToCacheInfo(q);
    } else {
        bg.FillColor = SkinData()->SkinBGColor(0, nullptr);
    }
    return bg;
}

void TsGroupBox::PaintContent(TBitmap* cache, int state)
{
    (void)state;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TCacheInfo bg = ParentBackground();
    const TacGroupCaption g = CaptionGeometry();
    const TPoint at(Left(), Top());
    // Above the frame line the parent shows; the frame itself is always drawn in its normal state
    // (the box has no hot look of its own).
    CopyBackground(cache, g.TopRect.TopLeft(), g.TopRect, bg, at);
    const TRect frame(0, g.TopRect.bottom, FWidth, FHeight);
    TacItemLook look;
    if (l->FCustomColor) look.CustomColor = ResolveSkinColor(Color(), l->SkinManager());
    PaintSkinDataItem(l->SkinIndex, bg, 0, frame, TPoint(at.x, at.y + g.TopRect.bottom), cache, d, look, true);
    PaintCaption(cache, g, bg, CheckState());
    l->PaintOuterEffects(this, TPoint());
}

TRect TsGroupBox::CaptionArea(const TacGroupCaption& g) const
{
    return TRect::Intersect(TRect(g.CaptionRect.left - FCaptionMargin->Left(), g.CaptionRect.top - FCaptionMargin->Top(),
                                  g.CaptionRect.right + FCaptionMargin->Right(), g.CaptionRect.bottom + FCaptionMargin->Bottom() + 1),
                            TRect(0, 0, FWidth, FHeight));
}

void TsGroupBox::PaintCaption(TBitmap* cache, const TacGroupCaption& g, const TCacheInfo& parentBg, int checkState)
{
    if (FText.empty() && !FCheckBoxVisible && !HasImage()) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    const TRect area = CaptionArea(g);
    const int captionState = FCheckHot || (FCheckBoxVisible && Focused()) ? 1 : 0;
    int textIndex = -1;
    if (!area.IsEmpty()) {
        std::unique_ptr<TBitmap> tmp(NewBitmap32(area.Width(), area.Height()));
        int section;
        TCacheInfo bg;
        TPoint point;
        if (!FCaptionSkin.empty()) {
            // Over the box's own image.
            section = m->GetSkinIndex(FCaptionSkin, d);
            bg.Bmp = BitmapView(cache);
            bg.X = bg.Y = 0;
            bg.Ready = true;
            point = area.TopLeft();
            CopyBackground(tmp.get(), TPoint(), area, bg, TPoint());
        } else {
            // The caption is cut out of the frame line: the parent shows through it.
            section = m->SkinCommonInfo.Sections[ssTransparent];
            bg = parentBg;
            point = TPoint(Left() + area.left, Top() + area.top);
            CopyBackground(tmp.get(), TPoint(), area, bg, TPoint(Left(), Top()));
        }
        if (d->IsValidSection(section)) {
            PaintItem(section, bg, captionState, TRect(0, 0, area.Width(), area.Height()), point, tmp.get(), d);
            textIndex = section;
            if (SectionStateTransparent(m, section, captionState, this))
                textIndex = SectionBehindControl(this, section, m, captionState);
        }
        BitBlt(cache->Canvas()->Handle(), area.left, area.top, area.Width(), area.Height(), tmp->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    }
    if (FCheckBoxVisible)
        DrawSkinCheckGlyph(cache, g.CheckBoxRect.TopLeft(), d, FChecked ? cbChecked : cbUnchecked, checkState);
    PaintImage(cache, g, d->IsValidSection(textIndex) ? textIndex : l->SkinIndex);
    if (!FText.empty()) WriteCaptionText(cache, g, textIndex);
    if (!Enabled() && !area.IsEmpty()) {
        // Disabled: the caption fades into what lies behind the box.
        const TCacheInfo& bg = parentBg;
        if (bg.Ready && !bg.Bmp.IsNull()) {
            const TRect from(bg.X + Left() + area.left, bg.Y + Top() + area.top, bg.X + Left() + area.right,
                             bg.Y + Top() + area.bottom);
            BlendRectAt32(BitmapView(cache), area.left, area.top, bg.Bmp, from, SharedBlendValue, 0xFF00FF);
        } else {
            ShadeRoundRect32(cache, area, SharedBlendValue, bg.FillColor, 0, 0);
        }
    }
}

void TsGroupBox::PaintImage(TBitmap* cache, const TacGroupCaption& g, int textIndex)
{
    if (!HasImage()) return;
    TCustomImageList* list = FImages.Get();
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (dynamic_cast<TacImageList*>(list) && m && m->Effects()->DiscoloredGlyphs() && d && d->IsValidSection(textIndex)) {
        const TColor tone = d->gd[size_t(textIndex)].Props[0].FontColor.Color;
        DrawImageListItem32(list, cache, g.GlyphRect.left, g.GlyphRect.top, FImageIndex, 0, tone, 0, 1, false, FCurrentPPI);
        return;
    }
    SetImageListPPI(list, FCurrentPPI);
    list->Draw(cache->Canvas(), g.GlyphRect.left, g.GlyphRect.top, FImageIndex, Enabled());
    SetImageListPPI(list, 96);
}

void TsGroupBox::WriteCaptionText(TBitmap* cache, const TacGroupCaption& g, int textIndex)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    // Without a section of its own behind it the caption reads in the box's colours.
    if (!d->IsValidSection(textIndex)) textIndex = l->SkinIndex;
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    UINT flags = DT_VCENTER | DT_SINGLELINE | DrawTextBiDiModeFlagsReadingOnly();
    flags |= FCaptionWidth != 0 && FCaptionLayout != clTopCenter ? DT_END_ELLIPSIS : DT_CENTER;
    if (l->CustomFont())
        DrawTextOnCanvas(c, FText.c_str(), true, g.TextRect, flags);
    else
        WriteSectionText(c, FText, true, g.TextRect, flags, textIndex, FCheckHot ? 1 : 0, m);
}

// ---- the caption's check box --------------------------------------------------------------------

bool TsGroupBox::InCheckArea(int x, int y)
{
    if (HasState(csDesigning)) return false;
    const TacGroupCaption g = CaptionGeometry();
    const TPoint p(x, y);
    return g.CheckBoxRect.Contains(p) || g.CaptionRect.Contains(p);
}

bool TsGroupBox::HandleCheckInput(TMessage& m)
{
    if (!FCheckBoxVisible || !Enabled()) return false;
    const int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
    switch (m.Msg) {
    case WM_MOUSEMOVE: {
        const bool in = InCheckArea(x, y);
        if (in == FCheckHot) break;
        FCheckHot = in;
        UpdateCheckState(in ? 1 : 0, true);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!InCheckArea(x, y)) break;
        FCheckHot = true;
        FCheckPressed = true;
        UpdateCheckState(2, false);
        break;
    case WM_LBUTTONUP:
        if (!FCheckPressed) break;
        if (InCheckArea(x, y)) SetChecked(!FChecked);
        FCheckPressed = false;
        UpdateCheckState(FCheckHot ? 1 : 0, false);
        break;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        if (m.Msg == CM_MOUSELEAVE && m.LParam && m.LParam != reinterpret_cast<LPARAM>(this)) break;
        if (!FCheckHot) break;
        FCheckHot = false;
        UpdateCheckState(0, true);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // Focused, the caption shows its hot look; the whole box is composed again for it.
        StopCheckFade();
        if (m.Msg == WM_KILLFOCUS && FCheckPressed && !(GetKeyState(VK_LBUTTON) & 0x8000)) FCheckPressed = false;
        if (!DrawnFromSkin()) UpdateCheckState(CheckState(), false);
        break;
    case MSG_SKINCOMMAND:
        if (SkinCommandOf(m.WParam) == scmMouseLeave && FCheckHot) {
            FCheckHot = false;
            UpdateCheckState(CheckState(), false);
        }
        break;
    default: break;
    }
    return false;
}

void TsGroupBox::StopCheckFade()
{
    TObject::Free(FCheckTimer);
    FCheckTimer = nullptr;
    FCheckFade = TacTabFade();
    FFadeFrom.reset();
    FFadeTo.reset();
    FFadeOut.reset();
}

void TsGroupBox::UpdateCheckState(int state, bool animate)
{
    HWND wnd = ExistingHandle();
    if (!wnd) return;
    if (!DrawnFromSkin()) {
        // The caption line from the top (the standard look writes it there).
        const RECT r{0, 0, FWidth, std::max<int>(CaptionArea(CaptionGeometry()).bottom, FCanvas->TextExtent(L"0").cy) + 2};
        InvalidateRect(wnd, &r, TRUE);
        return;
    }
    TsCommonData* l = SkinData();
    if (l->BGChanged || l->CacheEmpty() || l->FUpdating) {
        // The next paint composes the whole box in the new state.
        StopCheckFade();
        Invalidate();
        return;
    }
    const TacGroupCaption g = CaptionGeometry();
    const TRect r = CaptionArea(g);
    if (r.IsEmpty() || r.right > l->FCacheBmp->Width() || r.bottom > l->FCacheBmp->Height()) return;
    TBitmap* before = nullptr;
    TacThreadedTimer::CopyFrom(before, l->FCacheBmp, r);
    std::unique_ptr<TBitmap> from(before);
    PaintCaption(l->FCacheBmp, g, ParentBackground(), state);
    TsSkinManager* mgr = l->SkinManager();
    if (!animate || state == 2 || !mgr || !mgr->Effects()->AllowAnimation || SessionEnding) {
        StopCheckFade();
        HDC dc = GetDC(wnd);
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), l->FCacheBmp->Canvas()->Handle(), r.left, r.top, SRCCOPY);
        ReleaseDC(wnd, dc);
        return;
    }
    const bool existed = FCheckTimer != nullptr;
    const int steps = existed ? FCheckFade.RemainingSteps() : 0;
    if (!existed) {
        FCheckTimer = new TacThreadedTimer(nullptr, false);
        FCheckTimer->SetInterval(TabFadeInterval);
        FCheckTimer->SetOnTimer(Bind<&TsGroupBox::CheckFadeTick>(this));
    }
    // The target is the caption in the new state; the cache holds it from now on frame by frame.
    TBitmap* to = nullptr;
    TacThreadedTimer::CopyFrom(to, l->FCacheBmp, r);
    FFadeTo.reset(to);
    if (FFadeRect != r || !FFadeFrom || FCheckFade.State != state || !FCheckTimer->Enabled()) {
        // A new fade starts from the frame on the screen (the cache held it).
        FFadeFrom = std::move(from);
        FFadeRect = r;
        FCheckTimer->SetEnabled(false);
        const int weight = FCheckFade.Start(steps, false, state);
        ShowCheckFrame(weight);
        FCheckTimer->SetEnabled(true);
    }
    // else a running fade goes on towards the new target picture.
}

void TsGroupBox::CheckFadeTick(TObject*)
{
    const int weight = FCheckFade.Tick();
    if (weight < 0) {
        if (FCheckTimer) FCheckTimer->SetEnabled(false);
        return;
    }
    ShowCheckFrame(weight);
}

void TsGroupBox::ShowCheckFrame(int weight)
{
    TsCommonData* l = SkinData();
    const TRect r = FFadeRect;
    if (!FFadeFrom || !FFadeTo || l->CacheEmpty() || FFadeFrom->Width() != r.Width() || FFadeTo->Width() != r.Width() ||
        FFadeFrom->Height() != r.Height() || FFadeTo->Height() != r.Height() || r.right > l->FCacheBmp->Width() ||
        r.bottom > l->FCacheBmp->Height())
        return;
    TBitmap* out = FFadeOut.release();
    TacThreadedTimer::CopyFrom(out, FFadeFrom.get(), TRect(0, 0, r.Width(), r.Height()));
    FFadeOut.reset(out);
    MixBitmaps32(FFadeOut.get(), FFadeTo.get(), static_cast<uint8_t>(255 - weight));
    // The frame lives in the cache, so a repaint meanwhile shows it instead of wiping it.
    BitBlt(l->FCacheBmp->Canvas()->Handle(), r.left, r.top, r.Width(), r.Height(), FFadeOut->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    if (HWND wnd = ExistingHandle()) {
        HDC dc = GetDC(wnd);
        BitBlt(dc, r.left, r.top, r.Width(), r.Height(), FFadeOut->Canvas()->Handle(), 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
    }
}

// ---- painting and messages ----------------------------------------------------------------------

void TsGroupBox::AnswerBackground(TMessage& m)
{
    auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
    m.Result = 1;
    if (!q) return;
    TsCommonData* l = SkinData();
    // The cache as it is: composing it here, in the middle of someone's painting, would show a
    // half-updated box; the box repaints its children after it composes. Nothing is painted into
    // the asker's DC either: the asker copies from the bitmap.
    if (l->CacheEmpty()) {
        q->Kind = bgNotReady;
        return;
    }
    q->Bmp = l->FCacheBmp;
    q->Offset = TPoint();
    q->FillRect = TRect();
    q->Kind = bgBitmap;
}

TRect TsGroupBox::VisibleBounds()
{
    TRect r(0, 0, FWidth, FHeight);
    if (FCaptionYOffset >= 0) r.top = FCaptionMargin->Top() + CaptionGeometry().CaptionHeight / 2;
    r.Offset(Left(), Top());
    return r;
}

void TsGroupBox::PaintSkinned(HDC given)
{
    PaintContainerFromCache(this, SkinData(), given, [this] { return PrepareCache(); }, true);
}

void TsGroupBox::WndProc(TMessage& m)
{
    HandleCheckInput(m);
    if (m.Msg == MSG_SKINCOMMAND && DrawnFromSkin()) {
        switch (SkinCommandOf(m.WParam)) {
        case scmGetBackground:
            if (!FCaptionSkin.empty()) {
                AnswerBackground(m);
                return;
            }
            break;
        case scmGetBounds:
            // The frame as it shows: below the middle of the caption line.
            if (m.LParam) *reinterpret_cast<TRect*>(m.LParam) = VisibleBounds();
            m.Result = 1;
            return;
        case scmPPIChanged:
            if (m.LParam > 0 && SkinData()->CurrentPPI > 0)
                FCaptionWidth = MulDiv(FCaptionWidth, static_cast<int>(m.LParam), SkinData()->CurrentPPI);
            break;
        default: break;
        }
    }
    if (DrawnFromSkin()) {
        switch (m.Msg) {
        case WM_PAINT:
            // While animating or updating the frame's own rules apply (it paints nothing then).
            if (!AnimationRunning && !SkinData()->RefreshUpdating(false) && !HasState(csDestroying) &&
                (Visible() || HasState(csDesigning))) {
                PaintSkinned(reinterpret_cast<HDC>(m.WParam));
                m.Result = 0;
                return;
            }
            break;
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            // The box has no hot look of its own.
            TGroupBox::WndProc(m);
            return;
        case CM_FONTCHANGED:
            TacSkinFrame<TGroupBox>::WndProc(m);
            SkinData()->Invalidate(false);
            return;
        default: break;
        }
    }
    TacSkinFrame<TGroupBox>::WndProc(m);
}

void TsGroupBox::Paint()
{
    if (!FCheckBoxVisible && !HasImage()) {
        TGroupBox::Paint();
        return;
    }
    // The standard group box's frame, with the standard check mark before the caption.
    TCanvas* c = FCanvas;
    const TSize ts = c->TextExtent(L"0");
    RECT frame{0, ts.cy / 2 - 1, FWidth, FHeight};
    DrawEdge(c->Handle(), &frame, EDGE_ETCHED, BF_RECT);
    const TacGroupCaption g = CaptionGeometry();
    const TRect check = g.CheckBoxRect;
    TRect text = g.TextRect;
    text.top = 0;
    text.bottom = ts.cy;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FColor);
    c->FillRect(TRect(std::min<int>(check.left, text.left) - 1, std::min<int>(0, check.top),
                      std::max<int>(check.right, text.right) + 1, std::max<int>(ts.cy, check.bottom)));
    if (FCheckBoxVisible) {
        RECT box = check;
        // The style's check box (normal, hot, pressed, disabled; unchecked 1..4, checked 5..8),
        // else the classic check mark.
        const int look = !Enabled() ? 4 : FCheckPressed ? 3 : FCheckHot ? 2 : 1;
        if (!DrawThemePartBound(ExistingHandle(), L"BUTTON", 3, look + (FChecked ? 4 : 0), c->Handle(), box)) {
            UINT state = DFCS_BUTTONCHECK | (FChecked ? DFCS_CHECKED : 0u) | (FCheckPressed ? DFCS_PUSHED : 0u) |
                         (Enabled() ? 0u : DFCS_INACTIVE);
            DrawFrameControl(c->Handle(), &box, DFC_BUTTON, state);
        }
    }
    if (HasImage()) {
        SetImageListPPI(FImages.Get(), FCurrentPPI);
        FImages.Get()->Draw(c, g.GlyphRect.left, std::max<int>(0, g.GlyphRect.top), FImageIndex, Enabled());
        SetImageListPPI(FImages.Get(), 96);
    }
    if (!FText.empty()) {
        c->Font()->SetColor(Enabled() ? FFont->Color() : clGrayText);
        c->Brush()->SetStyle(bsClear);
        c->TextRect(text, FText, DT_SINGLELINE | DT_LEFT | DrawTextBiDiModeFlagsReadingOnly());
    }
    if (Focused()) {
        RECT f = text;
        InflateRect(&f, 1, 0);
        DrawFocusRect(c->Handle(), &f);
    }
}
