#include "skin/controls/sedits.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/controls/sboundlabel.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/text32.h"

namespace {

// The hint is the text colour mixed with the background by weight/256 (166 for the edit, 167
// for the masked edit), as the native edit fades its cue.
TColor HintColor(TColor text, TColor background, uint8_t weight)
{
    return TColor(MixColors(uint32_t(ColorToRGB(text)), uint32_t(ColorToRGB(background)), weight));
}

// A little room between the border and the text; some glyphs overhang their cell.
void SetTextMargins(HWND h)
{
    if (h) SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, 2));
}

}  // namespace

template <class TBase>
TacSkinnedEdit<TBase>::TacSkinnedEdit(TComponent* owner)
    : TacSkinFrame<TBase>(owner, ackind::Edit), FAddedGlyph(std::make_unique<TacAddedGlyph>(this, this->SkinData()))
{
}

template <class TBase> void TacSkinnedEdit<TBase>::Notification(TComponent* component, TOperation operation)
{
    TacSkinFrame<TBase>::Notification(component, operation);
    if (operation == TOperation::opRemove && FAddedGlyph && component == FAddedGlyph->Images())
        FAddedGlyph->SetImages(nullptr);
}

template <class TBase> bool TacSkinnedEdit<TBase>::HasGlyph() const
{
    TCustomImageList* list = FAddedGlyph ? FAddedGlyph->Images() : nullptr;
    return list && FAddedGlyph->ImageIndex() >= 0 && FAddedGlyph->ImageIndex() < list->Count();
}

template <class TBase> int TacSkinnedEdit<TBase>::GlyphArea()
{
    if (!HasGlyph()) return 0;
    TacSkinData* d = this->SkinData()->ResolveSkinData();
    return FAddedGlyph->Width() + (d ? d->Spacing : 0) / 2;
}

template <class TBase> TRect TacSkinnedEdit<TBase>::GlyphRect()
{
    const int b = EditBorderWidth();
    const int ppi = std::max(this->SkinData()->CurrentPPI, 1);
    const int left = MulDiv(FPadding.Left(), ppi, 96), top = MulDiv(FPadding.Top(), ppi, 96);
    const int right = MulDiv(FPadding.Right(), ppi, 96), bottom = MulDiv(FPadding.Bottom(), ppi, 96);
    const int w = FAddedGlyph->Width();
    const int x = this->UseRightToLeftReading() ? this->Width() - b - w - right : b + left;
    return TRect(x, b + top, x + w, this->Height() - b - bottom);
}

template <class TBase> void TacSkinnedEdit<TBase>::DrawAddedGlyph(TBitmap* cache, const TRect& where)
{
    if (!HasGlyph()) return;
    TsCommonData* l = this->SkinData();
    const bool skinned = DrawnFromSkin();
    TacEditGlyphLook look;
    look.Blend = FAddedGlyph->Blend();
    if (!this->Enabled()) look.Blend += (100 - look.Blend) / 2;
    look.Tone = FAddedGlyph->ColorTone();
    TColor text = this->Font()->Color(), face = this->Color();
    if (skinned) FaceColors(text, face);
    look.Text = text;
    if (skinned) {
        TsSkinManager* m = l->SkinManager();
        const bool discolored = m && m->Effects() && m->Effects()->DiscoloredGlyphs();
        TacSkinData* d = l->ResolveSkinData();
        if ((FAddedGlyph->Grayed() || discolored) && d && d->IsValidSection(l->SkinIndex))
            look.GreyTo = d->gd[size_t(l->SkinIndex)].Props[0].Color;
    } else if (FAddedGlyph->Grayed()) {
        look.GreyTo = this->Color();
    }
    DrawEditGlyph(cache, where, FAddedGlyph->Images(), FAddedGlyph->ImageIndex(), look, l);
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintPlainGlyph(HDC dc)
{
    if (!HasGlyph()) return;
    const TRect g = GlyphRect();
    TacSkinData* d = this->SkinData()->ResolveSkinData();
    const int half = (d ? d->Spacing : 0) / 2;
    const int x = this->UseRightToLeftReading() ? g.left - half : g.left;
    const TRect strip(x, g.top, x + g.Width() + half, g.bottom);
    if (strip.IsEmpty()) return;
    std::unique_ptr<TBitmap> b(NewBitmap32(strip.Width(), strip.Height()));
    RECT all{0, 0, strip.Width(), strip.Height()};
    FillRect(b->Canvas()->Handle(), &all, this->BrushHandle());
    TRect local = g;
    local.Offset(-strip.left, -strip.top);
    DrawAddedGlyph(b.get(), local);
    BitBlt(dc, strip.left, strip.top, strip.Width(), strip.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

template <class TBase> TacSkinnedEdit<TBase>::~TacSkinnedEdit()
{
    if (FFaceBrush) DeleteObject(FFaceBrush);
}

template <class TBase> int TacSkinnedEdit<TBase>::DefaultSectionIndex()
{
    TsSkinManager* m = this->SkinData()->SkinManager();
    return m ? m->SkinCommonInfo.Sections[ssEdit] : -1;
}

template <class TBase> bool TacSkinnedEdit<TBase>::DrawnFromSkin()
{
    return ReadyForSkinning(this) && this->SkinData()->Skinned(true);
}

template <class TBase> bool TacSkinnedEdit<TBase>::FaceFromCache()
{
    HWND h = this->ExistingHandle();
    return h && DrawnFromSkin() && GetFocus() != h;
}

template <class TBase> void TacSkinnedEdit<TBase>::PaddingChanged(TObject*)
{
    // The padding does not tell while the edit is loading.
    RecalcFrame();
    this->SkinData()->Invalidate(true);
}

template <class TBase> void TacSkinnedEdit<TBase>::SetVerticalAlignment(TVerticalAlignment value)
{
    SetFrameField(FVerticalAlignment, value);
}

template <class TBase> void TacSkinnedEdit<TBase>::RecalcFrame()
{
    this->SkinData()->BGChanged = true;
    if (HWND h = this->ExistingHandle())
        SetWindowPos(h, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                         SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

template <class TBase> void TacSkinnedEdit<TBase>::RepaintFrameButtons()
{
    if (this->HasState(csLoading)) return;
    if (DrawnFromSkin()) {
        this->SkinData()->StopAnimTimer();
        this->SkinData()->BGChanged = true;
        this->PrepareCache();
    }
    if (HWND h = this->ExistingHandle()) SendMessageW(h, WM_NCPAINT, 1, 0);
}

template <class TBase> TPoint TacSkinnedEdit<TBase>::WindowPointFromScreen(LPARAM lParam)
{
    RECT wr{};
    GetWindowRect(this->ExistingHandle(), &wr);
    return TPoint(GET_X_LPARAM(lParam) - wr.left, GET_Y_LPARAM(lParam) - wr.top);
}

template <class TBase> int TacSkinnedEdit<TBase>::EditBorderWidth() const
{
    if constexpr (IsMaskedEdit) {
        // The masked edit counts one pixel more and no bevels.
        if (this->BorderStyle() == bsNone) return 0;
        return this->Ctl3D() ? 3 : 2;
    } else {
        return FrameBorderWidth();
    }
}

template <class TBase> int TacSkinnedEdit<TBase>::FrameBorderWidth() const
{
    if (this->BorderStyle() == bsNone) return this->BevelExtent();
    return (this->Ctl3D() ? 2 : 1) + this->BevelExtent();
}

template <class TBase> int TacSkinnedEdit<TBase>::BevelCount() const
{
    if (this->BevelKind() == bkNone) return 0;
    return (this->BevelInner() != bvNone ? 1 : 0) + (this->BevelOuter() != bvNone ? 1 : 0);
}

template <class TBase> void TacSkinnedEdit<TBase>::Loaded()
{
    TacSkinFrame<TBase>::Loaded();
    RecalcFrame();   // the loaded padding counts now
}

template <class TBase> void TacSkinnedEdit<TBase>::CreateWnd()
{
    TacSkinFrame<TBase>::CreateWnd();
    SetTextMargins(this->ExistingHandle());
}

template <class TBase> void TacSkinnedEdit<TBase>::WMNCCalcSize(TMessage& m)
{
    TBase::WMNCCalcSize(m);
    FAddedPadding = TRect();
    if (this->HasState(csLoading) || !m.LParam) return;
    const int ppi = std::max(this->SkinData()->CurrentPPI, 1);
    TRect p(MulDiv(FPadding.Left(), ppi, 96), MulDiv(FPadding.Top(), ppi, 96), MulDiv(FPadding.Right(), ppi, 96),
            MulDiv(FPadding.Bottom(), ppi, 96));
    if (FVerticalAlignment != taAlignTop) {
        int textHeight = 0;
        if (HDC dc = GetDC(nullptr)) {
            HGDIOBJ old = SelectObject(dc, this->Font()->Handle());
            TEXTMETRICW tm{};
            if (GetTextMetricsW(dc, &tm)) textHeight = tm.tmHeight + 6;   // the text with the frame around it
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
        }
        const int free = this->Height() - textHeight - p.top - p.bottom;
        p.top += FVerticalAlignment == taAlignBottom ? free : free / 2;
    }
    FAddedPadding = p;
    auto* r = reinterpret_cast<RECT*>(m.LParam);
    r->left += p.left;
    r->top += p.top;
    r->right -= p.right;
    r->bottom -= p.bottom;
    // Room for the picture beside the text.
    if (const int g = GlyphArea(); g > 0) {
        if (this->UseRightToLeftReading())
            r->right -= g;
        else
            r->left += g;
    }
    if (r->right < r->left) r->right = r->left;
    if (r->bottom < r->top) r->bottom = r->top;
}

template <class TBase> void TacSkinnedEdit<TBase>::WMNCPaint(TMessage& m)
{
    if (DrawnFromSkin()) {
        PaintSkinnedFrame();
        m.Result = 0;
        return;
    }
    TBase::WMNCPaint(m);
    HWND h = this->ExistingHandle();
    if (!h) return;
    if (HDC dc = GetWindowDC(h)) {
        PaintPlainPadding(dc);
        PaintPlainGlyph(dc);
        ReleaseDC(h, dc);
    }
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintPlainPadding(HDC dc)
{
    HWND h = this->ExistingHandle();
    if (!h) return;
    const int b = FrameBorderWidth();   // inside the native frame
    const TRect inner(b, b, this->Width() - b, this->Height() - b);
    const TRect client = ClientAreaInWindow(h);
    if (inner == client || inner.IsEmpty()) return;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    RECT r = inner;
    FillRect(dc, &r, this->BrushHandle());
    RestoreDC(dc, saved);
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintSkinnedFrame()
{
    HWND h = this->ExistingHandle();
    if (!h) return;
    TsCommonData* l = this->SkinData();
    if (l->BGChanged || l->CacheEmpty()) this->PrepareCache();
    if (l->CacheEmpty()) return;
    HDC dc = GetWindowDC(h);
    if (!dc) return;
    const int saved = SaveDC(dc);
    const TRect client = ClientAreaInWindow(h);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    BitBlt(dc, 0, 0, l->FCacheBmp->Width(), l->FCacheBmp->Height(), l->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
    ReleaseDC(h, dc);
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintFace(HDC given)
{
    HWND h = this->ExistingHandle();
    PAINTSTRUCT ps{};
    HDC dc = given ? given : BeginPaint(h, &ps);
    TsCommonData* l = this->SkinData();
    if (l->BGChanged || l->CacheEmpty()) this->PrepareCache();
    if (!l->CacheEmpty()) {
        const TRect client = ClientAreaInWindow(h);
        BitBlt(dc, 0, 0, client.Width(), client.Height(), l->FCacheBmp->Canvas()->Handle(), client.left, client.top,
               SRCCOPY);
    }
    if (!given) EndPaint(h, &ps);
}

template <class TBase> void TacSkinnedEdit<TBase>::FaceColors(TColor& text, TColor& background)
{
    TsCommonData* l = this->SkinData();
    text = this->Font()->Color();
    background = this->Color();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
    const TsGenState& s = g.Props[size_t(SectionTextState(g, l->CurrentState()))];
    if (!l->FCustomFont) text = s.FontColor.Color;
    if (!l->FCustomColor) background = s.Color;
}

template <class TBase> void TacSkinnedEdit<TBase>::AnswerCtlColor(TMessage& m)
{
    TColor text, background;
    FaceColors(text, background);
    AnswerCtlColorMessage(m, text, background, FFaceBrush, FFaceBrushColor);
}

template <class TBase> TRect TacSkinnedEdit<TBase>::TextRect()
{
    const int w = this->Width(), h = this->Height();
    const int B = EditBorderWidth();
    const int G = GlyphArea();
    const bool rtl = this->UseRightToLeftReading();
    TRect r;
    if constexpr (IsMaskedEdit) {
        r = rtl ? TRect(B, B, w - B - G, h - B) : TRect(B + G, B, w - B, h - B);
    } else {
        const int b = this->BorderStyle() == bsSingle ? 1 : 0;
        const int a = this->BorderStyle() == bsNone ? 0 : B + BevelCount();
        int spacing = 0;
        if (TacSkinData* d = this->SkinData()->ResolveSkinData()) spacing = d->Spacing;
        r = rtl ? TRect(this->Ctl3D() ? a : a + 2, a + b, w + b - a - G - spacing / 2, h - a)
                : TRect(a + b + G, a + b, w - a - b, h - a);
    }
    r.left += FAddedPadding.left;
    r.top += FAddedPadding.top;
    r.right -= FAddedPadding.right;
    r.bottom -= FAddedPadding.bottom;
    return r;
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintContent(TBitmap* cache, int state)
{
    PaintText(cache, state);
    DrawAddedGlyph(cache, GlyphRect());
}

template <class TBase> void TacSkinnedEdit<TBase>::PaintText(TBitmap* cache, int state)
{
    (void)state;
    TColor text, background;
    FaceColors(text, background);
    UINT align = this->Alignment() == taRightJustify ? DT_RIGHT : this->Alignment() == taCenter ? DT_CENTER : DT_LEFT;
    if (this->UseRightToLeftReading()) align = align == DT_LEFT ? DT_RIGHT : align == DT_RIGHT ? DT_LEFT : align;
    if constexpr (IsMaskedEdit) {
        // The masked edit shows its edit text (literals and blanks), its hint a shade lighter.
        String s = this->EditText();
        UINT format = align | DT_VCENTER | DT_EXPANDTABS | DT_NOPREFIX | DT_EXTERNALLEADING;
        if (s.empty()) {
            if (this->TextHint().empty()) return;
            s = this->TextHint();
            text = HintColor(text, background, 167);
        } else if (this->PasswordChar()) {
            s = String(s.size(), this->PasswordChar() == L'*' ? wchar_t(0x25CF) : this->PasswordChar());
            format = align | DT_VCENTER | DT_EXPANDTABS | DT_NOPREFIX;
        }
        DrawAlphaText32(cache, s, 0, TextRect(), format, text, true);
    } else {
        String s = this->Text();
        if (s.empty()) {
            if (this->TextHint().empty()) return;
            s = this->TextHint();
            text = DrawnFromSkin() ? HintColor(text, background, 166) : TColor(clGrayText);
        } else if (this->PasswordChar()) {
            s = String(s.size(), this->PasswordChar() == L'*' ? wchar_t(0x25CF) : this->PasswordChar());
        }
        DrawAlphaText32(cache, s, 0, TextRect(), align | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS, text, true);
    }
}

template <class TBase> void TacSkinnedEdit<TBase>::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_BIDIMODECHANGED:
        // The picture and the buttons change sides: the frame is computed again.
        TacSkinFrame<TBase>::WndProc(m);
        if (!this->HasState(csLoading)) {
            RecalcFrame();
            this->SkinData()->Invalidate(true);
        }
        return;
    case WM_SETFONT:
        // The native edit takes its margins from a new font (the skin's font coming or going):
        // the text keeps its place whatever font it has and whether it was ever skinned.
        TacSkinFrame<TBase>::WndProc(m);
        SetTextMargins(this->ExistingHandle());
        return;
    case WM_NCPAINT:
        if (DrawnFromSkin()) {
            PaintSkinnedFrame();
            m.Result = 0;
            return;
        }
        break;
    case WM_PAINT:
        if (FaceFromCache()) {
            PaintFace(reinterpret_cast<HDC>(m.WParam));
            m.Result = 0;
            return;
        }
        if (DrawnFromSkin()) {
            TBase::WndProc(m);   // focused: the native edit paints caret and selection
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (DrawnFromSkin()) {
            if (!FaceFromCache()) {
                TMessage c{CN_CTLCOLOREDIT, m.WParam, 0, 0};
                AnswerCtlColor(c);
                RECT r{};
                GetClientRect(this->ExistingHandle(), &r);
                FillRect(reinterpret_cast<HDC>(m.WParam), &r, FFaceBrush);
            }
            m.Result = 1;
            return;
        }
        break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
        if (DrawnFromSkin()) {
            AnswerCtlColor(m);
            return;
        }
        break;
    case WM_PRINT:
        if (DrawnFromSkin() && m.WParam) {
            TsCommonData* l = this->SkinData();
            if (l->BGChanged || l->CacheEmpty()) this->PrepareCache();
            if (!l->CacheEmpty())
                BitBlt(reinterpret_cast<HDC>(m.WParam), 0, 0, l->FCacheBmp->Width(), l->FCacheBmp->Height(),
                       l->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
            m.Result = 0;
            return;
        }
        break;
    default: break;
    }
    TacSkinFrame<TBase>::WndProc(m);
}

template class TacSkinnedEdit<TEdit>;
template class TacSkinnedEdit<TMaskEdit>;

// ================================================================================================
// TsEdit

TsEdit::TsEdit(TComponent* owner) : TacBoundLabelOwner<TacSkinnedEdit<TEdit>>(owner) {}

TsEdit::~TsEdit() = default;   // the bound label frees its label

void TsEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_NCHITTEST:
        TacBoundLabelOwner::WndProc(m);
        // The picture takes non-client mouse messages, so a click on it can be told.
        if (HasGlyph() && ExistingHandle() && GlyphRect().Contains(WindowPointFromScreen(m.LParam))) m.Result = HTBORDER;
        return;
    case WM_NCLBUTTONDOWN:
        NCDown = true;
        break;
    case WM_NCLBUTTONUP:
        TacBoundLabelOwner::WndProc(m);
        if (NCDown) {
            NCDown = false;
            Click();
        }
        return;
    case WM_NCLBUTTONDBLCLK:
        TacBoundLabelOwner::WndProc(m);
        DblClick();
        return;
    default: break;
    }
    const bool watched = (m.Msg >= WM_KEYFIRST && m.Msg <= WM_KEYLAST) ||
                         (m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST && m.Msg != WM_MOUSEWHEEL);
    HWND h = ExistingHandle();
    if (!watched || !h || !OnSelectionChanged) {
        TacBoundLabelOwner::WndProc(m);
        return;
    }
    DWORD s0 = 0, e0 = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s0), reinterpret_cast<LPARAM>(&e0));
    TacBoundLabelOwner::WndProc(m);
    if (!IsWindow(h) || !DrawnFromSkin()) return;
    DWORD s1 = 0, e1 = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s1), reinterpret_cast<LPARAM>(&e1));
    if ((s0 != s1 || e0 != e1) && OnSelectionChanged && EventsAllowed()) OnSelectionChanged(this);
}

// ================================================================================================
// TsMaskEdit

TsMaskEdit::TsMaskEdit(TComponent* owner) : TacBoundLabelOwner<TacSkinnedEdit<TMaskEdit>>(owner)
{
    FControlStyle &= ~csSetCaption;
}

void TsMaskEdit::ValidateEdit()
{
    if (!FCheckOnExit) return;
    try {
        TacBoundLabelOwner::ValidateEdit();
    } catch (const EDBEditError& e) {
        const String message = e.Message();
        if (OnValidateError) OnValidateError(this, message);
        throw EDBEditError(message);
    }
}

void TsMaskEdit::WndProc(TMessage& m)
{
    TacBoundLabelOwner::WndProc(m);
    if (m.Msg == WM_NCHITTEST && m.Result != HTNOWHERE && m.Result != HTTRANSPARENT && m.Result != HTERROR)
        m.Result = HTCLIENT;
}

void TsMaskEdit::Change()
{
    if (HasState(csLoading)) return;
    TacBoundLabelOwner::Change();
}
