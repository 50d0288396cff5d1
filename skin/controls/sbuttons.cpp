#include "skin/controls/sbuttons.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/controls/sbitbtn.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "vcl/forms.h"

static_assert(acResultOk == mrOk && acResultCancel == mrCancel && acResultYes == mrYes && acResultNo == mrNo);

TsButton::TsButton(TComponent* owner) : TacSkinFrame<TButton>(owner, ackind::Button)
{
    // An owner-drawn button answers a second quick click with a double-click notice instead of
    // a click: without double clicks every press is a press.
    FControlStyle &= ~(csOpaque | csDoubleClicks);
    SetGlowOnRelease(true);
}

void TsButton::SetContentMargin(int value) { SetLook(FContentMargin, value); }

int TsButton::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssButton] : -1;
}

bool TsButton::DrawnFromSkin() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

void TsButton::CreateParams(TCreateParams& p)
{
    TacSkinFrame<TButton>::CreateParams(p);
    p.WindowClass.style &= ~CS_DBLCLKS;
    if (SkinData()->Skinned(true)) p.Style = (p.Style & ~BS_TYPEMASK) | BS_OWNERDRAW;
}

void TsButton::CreateWnd()
{
    TacSkinFrame<TButton>::CreateWnd();
    SyncOwnerDraw();
}

void TsButton::SyncOwnerDraw()
{
    // While the window is being made its skin cannot be told yet: a split or command-link
    // button would otherwise be made anew from inside its own creation and lose its window.
    if (!HandleAllocated() || !ReadyForSkinning(this) || (ControlState() & (csRecreating | csDestroyingHandle))) return;
    HWND wnd = ExistingHandle();
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    const bool ownerDrawn = (style & BS_TYPEMASK) == BS_OWNERDRAW;
    const bool skinned = DrawnFromSkin();
    if (skinned == ownerDrawn) return;
    if (!skinned && FStyle != bsPushButton) {
        // The system's split and command-link kinds come back with a new window.
        RecreateWnd();
        return;
    }
    const LONG_PTR kind = skinned ? BS_OWNERDRAW : (FIsFocused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    SetWindowLongPtrW(wnd, GWL_STYLE, (style & ~LONG_PTR(BS_TYPEMASK)) | kind);
    SkinData()->BGChanged = true;
    InvalidateRect(wnd, nullptr, TRUE);
}

void TsButton::SetButtonStyle(bool isDefault)
{
    FIsFocused = isDefault;
    if (HandleAllocated() && (GetWindowLongPtrW(ExistingHandle(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW)
        SkinData()->Invalidate(false);
    else
        TacSkinFrame<TButton>::SetButtonStyle(isDefault);
}

TSize SpeedCaptionSize(HDC dc, const String& caption, const TacSpeedButtonInput& in)
{
    const int room = SpeedCaptionRoom(in);
    if (!dc || caption.empty() || room <= 0) return TSize(0, 0);
    TRect r(0, 0, room, 0);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, SpeedCaptionMeasureFlags(in));
    return TSize(r.Width(), r.Height());
}

TacButtonStateInput ButtonStateInput(TButton* button, TsCommonData* l, bool leftDownOnIt, bool down)
{
    TsSkinManager* m = l->SkinManager();
    TacButtonStateInput in;
    in.Pushed = button->HandleAllocated() &&
                (SendMessageW(button->ExistingHandle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    in.MouseAbove = l->FMouseAbove;
    in.LeftDownOnIt = leftDownOnIt;
    in.NoMouseHover = m && m->Options()->NoMouseHover();
    in.Down = down;
    in.Designing = button->HasState(csDesigning);
    in.LinkState = l->CurrentState();
    in.Default = button->Default();
    return in;
}

bool ButtonPressBefore(TsCommonData* link, bool drawn, bool canPress, bool& mouseClicked, TMessage& m)
{
    if (!drawn) return false;
    switch (m.Msg) {
    case CN_DRAWITEM: {
        // The mouse's presses are animated by the frame; the space bar's are shown here.
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
        if (item && (item->itemAction & ODA_SELECT) && !mouseClicked) link->Invalidate(false);
        m.Result = TRUE;
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (canPress) mouseClicked = true;
        return false;
    default: return false;
    }
}

void ButtonPressAfter(TsCommonData* link, bool drawn, bool& mouseClicked, const TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYUP:
        if (m.WParam == VK_SPACE && drawn) link->Invalidate(false);
        break;
    case WM_LBUTTONUP:
        // The release may have come while the mouse was already outside.
        mouseClicked = false;
        break;
    default: break;
    }
}

int TsButton::CurrentState()
{
    TacButtonStateInput in = ButtonStateInput(this, SkinData(), FMouseClicked, FDown);
    in.DroppedDown = FDroppedDown;
    return ButtonCurrentState(in);
}

TacColoringInput ButtonColoringInput(TButton* button, TsCommonData* l, int state, bool skinned)
{
    TsSkinManager* m = l->SkinManager();
    TacColoringInput in;
    in.ModalResult = button->ModalResult();
    in.State = state;
    in.HasManager = m != nullptr;
    in.Skinned = skinned;
    in.Coloring = m ? m->ButtonsOptions()->ModalButtonsColoring : 0;
    in.LinkColorTone = l->FColorTone;
    return in;
}

TacColoring TsButton::Coloring()
{
    const TacColoringInput in = ButtonColoringInput(this, SkinData(), CurrentState(), DrawnFromSkin());
    TacColoring c = ButtonColoring(in);
    if (OnGetColoring) OnGetColoring(this, in.State, c);
    return c;
}

TacButtonLayout TsButton::Layout(TCanvas* measure)
{
    TacButtonLayoutInput in;
    in.Width = FWidth;
    in.Height = FHeight;
    in.Kind = FStyle == bsCommandLink ? bkCommandLink : FStyle == bsSplitButton ? bkSplit : bkPush;
    in.SplitWidth = SplitWidth();
    TCustomImageList* images = Images();
    in.HasGlyph = images && FImageIndex >= 0 && FImageIndex < images->Count();
    if (in.HasGlyph) {
        in.GlyphWidth = images->Width();
        in.GlyphHeight = images->Height();
    }
    in.Alignment = static_cast<TacButtonImageAlign>(FImageAlignment);
    in.ContentMargin = FContentMargin;
    in.CommandLinkBoxWidth = in.HasGlyph ? in.GlyphWidth : 32;
    if (!FText.empty() && measure) {
        RECT r{FContentMargin, 0, std::max(FWidth - 2 * FContentMargin, FContentMargin + 1), FHeight};
        UINT flags = DT_CALCRECT | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        DrawTextW(FontDC(measure), FText.c_str(), static_cast<int>(FText.size()), &r, flags);
        in.TextWidth = r.right - r.left;
        in.TextHeight = r.bottom - r.top;
    }
    if (CurrentState() == bstPressed && DrawnFromSkin()) {
        TsCommonData* l = SkinData();
        in.ShiftContent = ContentShiftsOnClick(l->SkinIndex, l->ResolveSkinData());
    }
    return CalcButtonLayout(in);
}

void TsButton::GlyphRect(TRect& rect) { rect = Layout(nullptr).Glyph; }

TRect TsButton::CaptionRect()
{
    TCanvas* c = SkinData()->FCacheBmp ? SkinData()->FCacheBmp->Canvas() : nullptr;
    if (c) c->Font()->Assign(Font());
    return Layout(c).Caption;
}

UINT TsButton::CaptionFlags() const
{
    UINT flags = DT_VCENTER | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    const LONG_PTR style = FHandle ? GetWindowLongPtrW(FHandle, GWL_STYLE) : 0;
    switch (style & BS_CENTER) {
    case BS_LEFT: flags |= DT_LEFT; break;
    case BS_RIGHT: flags |= DT_RIGHT; break;
    default: flags |= DT_CENTER; break;
    }
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

// The text colour of a state of the link's section; clNone without the section.
static TColor SectionFontColor(TsCommonData* l, int state)
{
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return clNone;
    const TsGeneralData& g = d->gd[static_cast<size_t>(l->SkinIndex)];
    if (g.Props.empty()) return clNone;
    return g.Props[static_cast<size_t>(std::clamp(state, 0, int(g.Props.size()) - 1))].FontColor.Color;
}

void TsButton::DrawFocusFrame(TCanvas* c, const TRect& caption)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    if (!Focused() || !Enabled() || FText.empty() || !FShowFocus) return;
    if (m && !m->ButtonsOptions()->ShowFocusRect) return;
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TColor color = SectionFontColor(l, std::min(d->gd[static_cast<size_t>(l->SkinIndex)].States, 2));
    if (color != clNone) DrawDottedFrame(c, ButtonFocusRect(caption, FFocusMargin, FHeight), color, clNone);
}

int TsButton::SplitWidth() const
{
    // The part scales with the button's own layout.
    const int ppi = CurrentPPI();
    return ButtonSplitWidth(ppi > 0 ? ppi : 96);
}

void TsButton::DrawSplitPart(TBitmap* cache, int state)
{
    // In the caption's colour of the normal face at rest, of the hot face otherwise.
    const TColor font = SectionFontColor(SkinData(), state == 0 ? 0 : 1);
    if (font == clNone) return;
    const TColor color = TColorOf(0xFF000000u | (uint32_t(ColorToRGB(font)) & 0xFFFFFFu));
    const int split = SplitWidth();
    FillRectAlpha32(cache, TRect(FWidth - split + 1, 4, FWidth - split + 2, FHeight - 4), color, 255);
    DrawArrow32(cache, color, TRect(FWidth - split, 0, FWidth, FHeight), adDown, SkinData()->ControlPPI());
}

bool TsButton::OnDropDownPart(int x, int y) const
{
    return FStyle == bsSplitButton && FDropDownMenu && x >= FWidth - SplitWidth() && x < FWidth && y >= 0 &&
           y < FHeight;
}

void TsButton::DropDownFromPress()
{
    TsCommonData* l = SkinData();
    // A hover fade still running would paint over the pressed face.
    l->StopAnimTimer();
    FDroppedDown = true;
    l->Invalidate(true);
    // The menu runs its own message loop until it closes.
    DropDownClick();
    FDroppedDown = false;
    l->Invalidate(false);
}

bool TsButton::TransparentCornerAt(int x, int y)
{
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return false;
    const int bi = d->gd[static_cast<size_t>(l->SkinIndex)].BorderIndex;
    if (!d->IsValidImage(bi)) return false;
    const TsMaskData& ma = d->ma[static_cast<size_t>(bi)];
    if (!(ma.Cfg & 1)) return false;
    const bool cornerX = x <= ma.WL || x >= FWidth - ma.WR;
    const bool cornerY = y <= ma.WT || y >= FHeight - ma.WB;
    if (!cornerX || !cornerY) return false;
    const TPixelView src = ImageSourceBitmap(ma);
    // The right and bottom cells sit at the image's far edges (its first state frame).
    const int sx = ma.R.left + (x >= FWidth - ma.WR ? x + ma.Width - FWidth : x);
    const int sy = ma.R.top + (y >= FHeight - ma.WB ? y + ma.Height - FHeight : y);
    if (src.IsNull() || sx < ma.R.left || sy < ma.R.top || sx >= src.Width || sy >= src.Height) return false;
    return (src.At(sx, sy) & 0xFFFFFFu) == 0xFF00FFu;
}

void TsButton::PaintContent(TBitmap* cache, int state)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    const TacButtonLayout lay = Layout(c);
    const TacColoring col = Coloring();
    if (!FText.empty()) {
        c->Brush()->SetStyle(bsClear);
        if (col.ColorText != clNone) {
            c->Font()->SetColor(ResolveSkinColor(col.ColorText, m));
            DrawTextOnCanvas(c, FText.c_str(), true, lay.Caption, CaptionFlags());
        } else if (l->CustomFont()) {
            DrawTextOnCanvas(c, FText.c_str(), true, lay.Caption, CaptionFlags());
        } else {
            WriteSectionText(c, FText, true, lay.Caption, CaptionFlags(), l->SkinIndex, state, m);
        }
    }
    DrawFocusFrame(c, lay.Caption);
    if (!lay.Glyph.IsEmpty()) DrawSkinnedButtonGlyph(this, c, col.ColorGlyph);
    if (FStyle == bsSplitButton) DrawSplitPart(cache, state);
}

void TsButton::Invalidate()
{
    // A new image (or list) makes the cached face stale; other repaints keep it.
    TCustomImageList* images = Images();
    if (FImageIndex != FOldImageIndex || images != FOldImages) {
        FOldImageIndex = FImageIndex;
        FOldImages = images;
        SkinData()->BGChanged = true;
    }
    TacSkinFrame<TButton>::Invalidate();
}

void TsButton::ShowPressedFlash()
{
    TacThreadedTimer* t = SkinData()->AnimTimer;
    if (!t || !t->Enabled() || t->State != bstPressed) return;
    // The press fade's last frame at once, held briefly; the fade to hot starts from it.
    CompleteAnimTimer(t);
    if (PressedFlashWait)
        PressedFlashWait(this);
    else
        Sleep(30);
}

void TsButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT:
        // A skin switched off without telling this button must not leave a blank owner-drawn face.
        SyncOwnerDraw();
        break;
    case CN_MEASUREITEM:
        if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)) {
            item->itemWidth = static_cast<UINT>(FWidth);
            item->itemHeight = static_cast<UINT>(FHeight);
        }
        m.Result = TRUE;
        return;
    case WM_NCHITTEST:
        if (DrawnFromSkin() && HandleAllocated()) {
            // Clicks on the see-through corners of a rounded face reach what lies below.
            POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
            RECT w{};
            GetWindowRect(ExistingHandle(), &w);
            if (TransparentCornerAt(p.x - w.left, p.y - w.top)) {
                m.Result = HTTRANSPARENT;
                return;
            }
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press on the arrow part opens the menu; it is not a press of the button (no
        // OnMouseDown, no click). The system's own split button does this itself.
        if (DrawnFromSkin() && OnDropDownPart(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam))) {
            DropDownFromPress();
            m.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (DrawnFromSkin() && Enabled() && !HasState(csDesigning)) {
            // A press that began elsewhere is not this button's release.
            if (!FMouseClicked) return;
            FMouseClicked = false;
            ShowPressedFlash();
        }
        break;
    default: break;
    }
    const bool canPress = Enabled() && !HasState(csDesigning);
    if (ButtonPressBefore(SkinData(), DrawnFromSkin(), canPress, FMouseClicked, m)) return;
    TacSkinFrame<TButton>::WndProc(m);
    if (m.Msg == MSG_SKINCOMMAND) SyncOwnerDraw();
    ButtonPressAfter(SkinData(), DrawnFromSkin(), FMouseClicked, m);
}
