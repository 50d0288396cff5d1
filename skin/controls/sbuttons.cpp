#include "skin/controls/sbuttons.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "skin/controls/acimagelist.h"
#include "skin/controls/sbitbtn.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"
#include "vcl/application.h"
#include "vcl/forms.h"

static_assert(acResultOk == mrOk && acResultCancel == mrCancel && acResultYes == mrYes && acResultNo == mrNo);

namespace {

// The system's shield, made once at 16 x 16 and freed when the program ends.
struct TShieldIcon {
    HICON Icon = nullptr;
    TShieldIcon()
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        // Found at run time: the import libraries at hand do not all name it.
        using TLoad = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
        if (HMODULE lib = GetModuleHandleW(L"comctl32.dll"))
            if (auto load = reinterpret_cast<TLoad>(reinterpret_cast<void*>(GetProcAddress(lib, "LoadIconWithScaleDown"))))
                if (FAILED(load(nullptr, IDI_SHIELD, 16, 16, &Icon))) Icon = nullptr;
        if (!Icon) {
            // A shared icon is not ours to free: a copy is.
            if (auto shared = static_cast<HICON>(LoadImageW(nullptr, IDI_SHIELD, IMAGE_ICON, 16, 16, LR_SHARED)))
                Icon = CopyIcon(shared);
        }
    }
    ~TShieldIcon()
    {
        if (Icon) DestroyIcon(Icon);
    }
};

HICON ShieldIcon()
{
    static TShieldIcon shield;
    return shield.Icon;
}

// The application's hint setting before a press switched it off.
bool HintsWereOn = false;

}  // namespace

void ButtonHintsOff()
{
    HintsWereOn = Application && Application->ShowHint();
    if (HintsWereOn) Application->SetShowHint(false);
}

void ButtonHintsBack()
{
    if (HintsWereOn && Application) Application->SetShowHint(true);
    HintsWereOn = false;
}

void CommandLinkCaptionFont(TFont* font)
{
    font->SetStyle(font->Style() + TFontStyles{fsBold});
    font->SetSize(font->Size() + 2);
}

TsButton::TsButton(TComponent* owner)
    : TacSkinFrame<TButton>(owner, ackind::Button), FCommandLinkFont(new TFont())
{
    // An owner-drawn button answers a second quick click with a double-click notice instead of
    // a click: without double clicks every press is a press.
    FControlStyle &= ~(csOpaque | csDoubleClicks);
    FWordWrap = true;
    SetGlowOnRelease(true);
    Frame().IsButton = true;
    Frame().UpdateUIStateAnswer = 1;
    FCommandLinkFont->OnChange = Bind<&TsButton::CommandLinkFontChanged>(this);
}

TsButton::~TsButton()
{
    delete FCommandLinkFont;
    FCommandLinkFont = nullptr;
}

void TsButton::CommandLinkFontChanged(TObject*)
{
    if (!HasState(csLoading | csDestroying)) SkinData()->Invalidate(true);
}

void TsButton::UpdateImageList()
{
    // The list's pictures changed: the cached face shows the old ones.
    SkinData()->Invalidate(false);
}

bool TsButton::ValidImage(int index)
{
    TCustomImageList* images = GetImages();
    return images && index >= 0 && index < ImageCountOf(images);
}

int TsButton::GlyphIndex()
{
    TacButtonImageIndexes ix;
    ix.Normal = FImageIndex;
    ix.Hot = FHotImageIndex;
    ix.Pressed = FPressedImageIndex;
    ix.Selected = FSelectedImageIndex;
    ix.Disabled = FDisabledImageIndex;
    TCustomImageList* images = GetImages();
    return ButtonGlyphIndex(ix, images ? ImageCountOf(images) : 0, Enabled(), Focused(), CurrentState());
}

TSize TsButton::GlyphSize()
{
    if (FElevationRequired) return TSize(16, 16);
    const int index = CurrentImageIndex();
    if (!ValidImage(index)) return TSize(0, 0);
    const int ppi = SkinData()->ControlPPI();
    return TSize(ImageWidthAt(GetImages(), index, ppi), ImageHeightAt(GetImages(), index, ppi));
}

int TsButton::CommandLinkGap()
{
    TsSkinManager* m = SkinData()->SkinManager();
    return m ? m->ScaleInt(6) : 6;
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
    // Skinned or not, the button draws itself: its split part, command link and images look the
    // same wherever the system's buttons lack them.
    p.Style = (p.Style & ~BS_TYPEMASK) | BS_OWNERDRAW;
}

void TsButton::SetButtonStyle(bool isDefault)
{
    FIsFocused = isDefault;
    SkinData()->Invalidate(false);
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
    const TSize glyph = GlyphSize();
    const bool image = ValidImage(CurrentImageIndex());
    in.HasGlyph = glyph.cx > 0 && glyph.cy > 0;
    in.GlyphWidth = glyph.cx;
    in.GlyphHeight = glyph.cy;
    in.Alignment = static_cast<TacButtonImageAlign>(FImageAlignment);
    in.ImageMargins = TRect(FImageMargins.Left, FImageMargins.Top, FImageMargins.Right, FImageMargins.Bottom);
    in.ContentMargin = FContentMargin;
    in.CommandLinkGap = CommandLinkGap();
    in.CommandLinkBoxWidth = (image ? glyph.cx : 32) + FImageMargins.Left + FImageMargins.Right;
    if (!FText.empty() && measure) {
        const bool link = FStyle == bsCommandLink;
        const int right = link ? CommandLinkTextRight(FWidth, FContentMargin, in.CommandLinkBoxWidth, in.CommandLinkGap)
                               : FWidth - 2 * FContentMargin;
        RECT r{FContentMargin, 0, std::max(right, FContentMargin + 1), FHeight};
        UINT flags = DT_CALCRECT | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        TFont saved;
        saved.Assign(measure->Font());
        if (link) CommandLinkCaptionFont(measure->Font());
        DrawTextW(FontDC(measure), FText.c_str(), static_cast<int>(FText.size()), &r, flags);
        measure->Font()->Assign(&saved);
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

void TsButton::DrawCaption(TCanvas* c, const TRect& r, const TacColoring& col, int state, bool skinned)
{
    if (FText.empty()) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    const bool link = FStyle == bsCommandLink;
    const UINT flags = link ? DT_WORDBREAK | DT_EXPANDTABS | DrawTextBiDiModeFlagsReadingOnly() : CaptionFlags();
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    if (link) CommandLinkCaptionFont(c->Font());
    SetBkMode(c->Handle(), TRANSPARENT);
    if (col.ColorText != clNone) {
        c->Font()->SetColor(ResolveSkinColor(col.ColorText, m));
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
    } else if (!skinned) {
        // A disabled caption of the plain look is greyed, as the system's buttons show it.
        if (!Enabled()) c->Font()->SetColor(clGrayText);
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
    } else if (l->CustomFont()) {
        DrawTextOnCanvas(c, FText.c_str(), true, r, flags);
    } else {
        WriteSectionText(c, FText, true, r, flags, l->SkinIndex, state, m);
    }
    c->Font()->Assign(Font());
}

void TsButton::DrawCommandLinkHint(TCanvas* c, const TRect& caption, const TacColoring& col, int state, bool skinned)
{
    if (FStyle != bsCommandLink || FCommandLinkHint.empty()) return;
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    const TRect r(caption.left, caption.bottom + CommandLinkGap(), caption.right, FHeight - FContentMargin);
    const UINT flags = DT_WORDBREAK | DT_EXPANDTABS | DrawTextBiDiModeFlagsReadingOnly();
    c->Brush()->SetStyle(bsClear);
    SetBkMode(c->Handle(), TRANSPARENT);
    if (FCustomCommandLinkFont) {
        c->Font()->Assign(FCommandLinkFont);
        if (skinned)
            WriteSectionText(c, FCommandLinkHint, true, r, flags, -1, state, m);
        else
            DrawTextOnCanvas(c, FCommandLinkHint.c_str(), true, r, flags);
    } else {
        c->Font()->Assign(Font());
        if (col.ColorText != clNone) {
            c->Font()->SetColor(ResolveSkinColor(col.ColorText, m));
            DrawTextOnCanvas(c, FCommandLinkHint.c_str(), true, r, flags);
        } else if (!skinned || l->CustomFont()) {
            if (!skinned && !Enabled()) c->Font()->SetColor(clGrayText);
            DrawTextOnCanvas(c, FCommandLinkHint.c_str(), true, r, flags);
        } else {
            WriteSectionText(c, FCommandLinkHint, true, r, flags, l->SkinIndex, state, m);
        }
    }
    c->Font()->Assign(Font());
}

void TsButton::DrawImage(TCanvas* c, const TRect& glyph, TColor glyphColor)
{
    if (glyph.IsEmpty()) return;
    if (FElevationRequired) {
        if (HICON shield = ShieldIcon())
            DrawIconEx(c->Handle(), glyph.left, glyph.top, shield, 16, 16, 0, nullptr, DI_NORMAL);
        return;
    }
    DrawSkinnedButtonGlyph(this, c, glyphColor);
}

void TsButton::PaintContent(TBitmap* cache, int state)
{
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    const TacButtonLayout lay = Layout(c);
    const TacColoring col = Coloring();
    DrawCaption(c, lay.Caption, col, state, true);
    DrawCommandLinkHint(c, lay.Caption, col, state, true);
    DrawFocusFrame(c, lay.Caption);
    DrawImage(c, lay.Glyph, col.ColorGlyph);
    if (FStyle == bsSplitButton) DrawSplitPart(cache, state);
}

void TsButton::DrawUnskinned(const DRAWITEMSTRUCT& item)
{
    const int w = FWidth, h = FHeight;
    if (w <= 0 || h <= 0 || !item.hDC) return;
    std::unique_ptr<TBitmap> bmp(NewBitmap32(w, h));
    TCanvas* c = bmp->Canvas();
    HDC dc = c->Handle();
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    TsSkinManager* m = SkinData()->SkinManager();
    // The plain push button: a frame first for the default or focused one, sunk when pressed.
    RECT r{0, 0, w, h};
    if (FIsFocused || focused || FDefault) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (pressed) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Enabled() ? 0 : DFCS_INACTIVE));
    }
    if (focused && FShowFocus && (!m || m->ButtonsOptions()->ShowFocusRect)) {
        RECT f{4, 4, w - 4, h - 4};
        DrawFocusRect(dc, &f);
    }
    c->Font()->Assign(Font());
    const TacButtonLayout lay = Layout(c);
    const TacColoring col = Coloring();
    DrawCaption(c, lay.Caption, col, 0, false);
    DrawCommandLinkHint(c, lay.Caption, col, 0, false);
    DrawImage(c, lay.Glyph, col.ColorGlyph);
    if (FStyle == bsSplitButton) {
        const int split = SplitWidth();
        RECT line{w - split + 1, 4, w - split + 2, h - 4};
        FillRect(dc, &line, GetSysColorBrush(COLOR_WINDOWFRAME));
        DrawArrowPixels(c, Enabled() ? Font()->Color() : clGrayText, TRect(w - split, 0, w, h), adDown, CurrentPPI());
    }
    BitBlt(item.hDC, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

void TsButton::Invalidate()
{
    // A new image (or list) makes the cached face stale; other repaints keep it.
    TCustomImageList* images = GetImages();
    const int index = CurrentImageIndex();
    if (index != FOldImageIndex || images != FOldImages) {
        FOldImageIndex = index;
        FOldImages = images;
        SkinData()->BGChanged = true;
    }
    TacSkinFrame<TButton>::Invalidate();
}

void ShowButtonPressedFlash(TsCommonData* link, const std::function<void()>& wait)
{
    TacThreadedTimer* t = link->AnimTimer;
    if (!t || !t->Enabled() || t->State != bstPressed) return;
    CompleteAnimTimer(t);
    if (wait)
        wait();
    else
        Sleep(30);
}

void TsButton::ShowPressedFlash()
{
    ShowButtonPressedFlash(SkinData(), PressedFlashWait ? std::function<void()>([this] { PressedFlashWait(this); })
                                                        : std::function<void()>());
}

void TsButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case MSG_SKINCOMMAND:
        switch (SkinCommandOf(m.WParam)) {
        case scmRefresh:
            // A region a skin gave the window belongs to that skin.
            if (m.LParam == reinterpret_cast<LPARAM>(SkinData()->SkinManager()) && HandleAllocated())
                SetWindowRgn(ExistingHandle(), nullptr, TRUE);
            break;
        case scmGetColorTone:
            if (m.LParam) *reinterpret_cast<TacColoring*>(m.LParam) = Coloring();
            m.Result = 1;
            return;
        default: break;
        }
        break;
    case CN_MEASUREITEM:
        if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)) {
            item->itemWidth = static_cast<UINT>(FWidth);
            item->itemHeight = static_cast<UINT>(FHeight);
        }
        m.Result = TRUE;
        return;
    case CN_DRAWITEM:
        if (!DrawnFromSkin()) {
            if (const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)) DrawUnskinned(*item);
            m.Result = TRUE;
            return;
        }
        break;
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
        // OnMouseDown, no click).
        if (OnDropDownPart(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)) && Enabled()) {
            DropDownFromPress();
            m.Result = 0;
            return;
        }
        if (DrawnFromSkin() && Enabled() && !HasState(csDesigning)) {
            SkinData()->FUpdating = false;
            ButtonHintsOff();
            const bool canPress = true;
            if (ButtonPressBefore(SkinData(), true, canPress, FMouseClicked, m)) return;
            TacSkinFrame<TButton>::WndProc(m);
            ButtonHintsBack();
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (DrawnFromSkin() && Enabled() && !HasState(csDesigning)) {
            ButtonHintsBack();
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
    ButtonPressAfter(SkinData(), DrawnFromSkin(), FMouseClicked, m);
}
