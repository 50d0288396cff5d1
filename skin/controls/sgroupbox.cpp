#include "skin/controls/sgroupbox.h"

#include <algorithm>
#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/control_painting.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

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

TsGroupBox::TsGroupBox(TComponent* owner) : TacSkinFrame<TGroupBox>(owner, ackind::GroupBox) {}

void TsGroupBox::SetCheckBoxAutoEnable(bool on)
{
    if (FCheckBoxAutoEnable == on) return;
    FCheckBoxAutoEnable = on;
    UpdateChildStates();
}

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

void TsGroupBox::SetCaptionMargin(const TacCaptionMargin& value)
{
    if (FCaptionMargin == value) return;
    FCaptionMargin = value;
    CaptionChanged();
}

void TsGroupBox::SetCaptionYOffset(int value)
{
    if (FCaptionYOffset == value) return;
    FCaptionYOffset = value;
    CaptionChanged();
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

void TsGroupBox::SetCheckState(bool visible, bool checked)
{
    if (visible != FCheckBoxVisible) {
        FCheckBoxVisible = visible;
        if (visible && !FBox) {
            FBox = new TCheckBox(this);
            FBox->SetParent(this);
            FBox->OnClick = Bind<&TsGroupBox::BoxClick>(this);
        }
        if (FBox) FBox->SetVisible(visible);
        PlaceBox();
        CaptionChanged();
    }
    if (FBox && FBox->Checked() != checked) {
        FSyncingBox = true;
        FBox->SetChecked(checked);
        FSyncingBox = false;
    }
    if (checked == FChecked) return;
    FChecked = checked;
    // A repaint while the box is being pressed would flicker under the mouse.
    if (!(FBox && FBox->MouseCapture())) Invalidate();
    UpdateChildStates();
    if (OnCheckBoxChanged && !HasState(csLoading) && EventsAllowed()) OnCheckBoxChanged(this);
}

void TsGroupBox::BoxClick(TObject*)
{
    if (FSyncingBox) return;
    SetChecked(FBox->Checked());
}

void TsGroupBox::PlaceBox()
{
    if (!FBox) return;
    FBox->SetCaption(FText);
    int textWidth = 0, textHeight = 16;
    {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, FFont->Handle());
        SIZE sz{};
        GetTextExtentPoint32W(dc, FText.c_str(), static_cast<int>(FText.size()), &sz);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        textWidth = sz.cx;
        textHeight = sz.cy;
    }
    // Room for the check mark and the gap before the text.
    FBox->SetBounds(8, 0, textWidth + GetSystemMetrics(SM_CXMENUCHECK) + 10, textHeight + 2);
}

void TsGroupBox::UpdateChildStates()
{
    if (!FCheckBoxVisible || !FCheckBoxAutoEnable) return;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c != FBox) c->SetEnabled(FChecked);
    }
}

void TsGroupBox::Loaded()
{
    TacSkinFrame<TGroupBox>::Loaded();
    PlaceBox();
    UpdateChildStates();
}

int TsGroupBox::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssGroupBox] : -1;
}

bool TsGroupBox::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

TacGroupCaption TsGroupBox::CaptionGeometry()
{
    TacGroupCaptionInput in;
    int heightOfW = 0;
    MeasureCaption(FFont, FText, in.TextWidth, heightOfW);
    in.TextHeight = TacGroupCaptionTextHeight(heightOfW);
    in.Width = FWidth;
    in.CaptionYOffset = FCaptionYOffset;
    in.CaptionWidth = FCaptionWidth;
    in.Margin = FCaptionMargin;
    in.Layout = FCaptionLayout;
    in.RightToLeftAlignment = UseRightToLeftAlignment();
    in.RightToLeftReading = UseRightToLeftReading();
    // The caption's check box is a standard check box: its mark is the system's size.
    in.CheckBox = FCheckBoxVisible;
    in.CheckWidth = in.CheckHeight = GetSystemMetrics(SM_CXMENUCHECK);
    TacSkinData* d = DrawnFromSkin() ? SkinData()->ResolveSkinData() : nullptr;
    in.Spacing = d ? d->Spacing : 4;
    return CalcGroupCaption(in);
}

void TsGroupBox::PaintContent(TBitmap* cache, int state)
{
    (void)state;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    TCacheInfo bg;
    if (Parent()) {
        TacBgQuery q;
        GetControlBackground(q, Parent(), false);
        bg = BgInfoToCacheInfo(q);
    } else {
        bg.FillColor = l->SkinBGColor(0, nullptr);
    }
    const TacGroupCaption g = CaptionGeometry();
    const TPoint at(Left(), Top());
    // Above the frame line the parent shows; the frame itself is always drawn in its normal state
    // (the box has no hot look of its own).
    CopyBackground(cache, g.TopRect.TopLeft(), g.TopRect, bg, at);
    const TRect frame(0, g.TopRect.bottom, FWidth, FHeight);
    TacItemLook look;
    if (l->FCustomColor) look.CustomColor = ResolveSkinColor(Color(), l->SkinManager());
    PaintSkinDataItem(l->SkinIndex, bg, 0, frame, TPoint(at.x, at.y + g.TopRect.bottom), cache, d, look, true);
    PaintCaption(cache, g, bg);
    l->PaintOuterEffects(this, TPoint());
}

void TsGroupBox::PaintCaption(TBitmap* cache, const TacGroupCaption& g, const TCacheInfo& parentBg)
{
    if (FText.empty() && !FCheckBoxVisible) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    const TRect area = TRect::Intersect(
        TRect(g.CaptionRect.left - FCaptionMargin.Left, g.CaptionRect.top - FCaptionMargin.Top,
              g.CaptionRect.right + FCaptionMargin.Right, g.CaptionRect.bottom + FCaptionMargin.Bottom + 1),
        TRect(0, 0, FWidth, FHeight));
    int textIndex = -1;
    if (!area.IsEmpty()) {
        std::unique_ptr<TBitmap> tmp(NewBitmap32(area.Width(), area.Height()));
        const int captionState = l->FFocused ? 1 : 0;
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
    // The caption check box shows the text itself.
    if (FCheckBoxVisible || FText.empty()) return;
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
        WriteSectionText(c, FText, true, g.TextRect, flags, textIndex, 0, m);
}

void TsGroupBox::AnswerBackground(TMessage& m)
{
    auto* q = reinterpret_cast<TacBgQuery*>(m.LParam);
    m.Result = 1;
    if (!q) return;
    TsCommonData* l = SkinData();
    // Children are painted over the caption's section: they get the cache as it is meant to be,
    // never a stale or empty one.
    if (l->BGChanged || l->CacheEmpty()) PrepareCache();
    if (l->BGChanged || l->CacheEmpty()) {
        q->Kind = bgNotReady;
        return;
    }
    if (q->PaintIt) {
        BitBlt(q->DC, q->R.left, q->R.top, q->R.Width(), q->R.Height(), l->FCacheBmp->Canvas()->Handle(), q->Offset.x,
               q->Offset.y, SRCCOPY);
    } else {
        q->Bmp = l->FCacheBmp;
        q->Offset = TPoint();
        q->FillRect = TRect();
    }
    q->Kind = bgBitmap;
}

void TsGroupBox::PaintSkinned(HDC given)
{
    TsCommonData* l = SkinData();
    HWND wnd = Handle();
    PAINTSTRUCT ps{};
    HDC dc = given ? given : BeginPaint(wnd, &ps);
    RECT clip{};
    const int kind = GetClipBox(dc, &clip);
    bool unalignedChild = false;
    for (int i = 0; i < ControlCount(); ++i) unalignedChild |= Controls(i)->Align() == alNone;
    if (kind == ERROR) {
        // Nothing can be drawn into this DC.
    } else if (IsRectEmpty(&clip) && unalignedChild) {
        // A child may still be moving into place: paint when the update is over.
        l->FUpdating = true;
    } else {
        const bool stale = l->BGChanged || l->HalfVisible || l->CacheEmpty();
        const bool partly = clip.right - clip.left != FWidth || clip.bottom - clip.top != FHeight;
        l->HalfVisible = l->RepaintIfMoved() && !HasState(csPaintCopy) && partly;
        if (!stale || PrepareCache()) {
            const TRect whole(0, 0, FWidth, FHeight);
            PaintCacheToDC(this, l, whole, whole, dc, false, 0, 0);
            DrawGraphicChildren(dc, this, false, TPoint(), true);
            RepaintChildren(this);
        }
    }
    if (!given) EndPaint(wnd, &ps);
}

void TsGroupBox::WndProc(TMessage& m)
{
    if (m.Msg == MSG_SKINCOMMAND && DrawnFromSkin()) {
        switch (SkinCommandOf(m.WParam)) {
        case scmGetBackground:
            if (!FCaptionSkin.empty()) {
                AnswerBackground(m);
                return;
            }
            break;
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
    if (!FCheckBoxVisible) {
        TGroupBox::Paint();
        return;
    }
    // The frame only: the check box shows the caption.
    TSize ts = FCanvas->TextExtent(L"0");
    RECT r{0, ts.cy / 2 - 1, FWidth, FHeight};
    DrawEdge(FCanvas->Handle(), &r, EDGE_ETCHED, BF_RECT);
}

void TsGroupBox::Dispatch(TMessage& m)
{
    TGroupBox::Dispatch(m);
    if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED) PlaceBox();
}
