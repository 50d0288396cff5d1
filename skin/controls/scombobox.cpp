#include "skin/controls/scombobox.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/glow.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

namespace {

constexpr UINT ItemTextFlags = DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | DT_NOPREFIX;

bool ListOnly(TComboBoxStyle s) { return s == csDropDownList || s == csOwnerDrawFixed || s == csOwnerDrawVariable; }

TacComboKind KindOf(TComboBoxStyle s)
{
    switch (s) {
    case csDropDown: return TacComboKind::DropDown;
    case csSimple: return TacComboKind::Simple;
    case csDropDownList: return TacComboKind::DropDownList;
    case csOwnerDrawFixed: return TacComboKind::OwnerDrawFixed;
    case csOwnerDrawVariable: return TacComboKind::OwnerDrawVariable;
    }
    return TacComboKind::DropDown;
}

UINT AlignmentFlags(TAlignment a)
{
    return a == taRightJustify ? DT_RIGHT : a == taCenter ? DT_CENTER : DT_LEFT;
}

}  // namespace

TsComboBox::TsComboBox(TComponent* owner) : TacBoundLabelOwner<TacSkinFrame<TComboBox>>(owner, ackind::ComboBox)
{
    // Our lists show 16 items before they scroll.
    FDropDownCount = 16;
}

TsComboBox::~TsComboBox()
{
    if (FEditBrush) DeleteObject(FEditBrush);
}

void TsComboBox::SetShowButton(bool on)
{
    if (FShowButton == on) return;
    FShowButton = on;
    SkinData()->Invalidate(false);
}

void TsComboBox::SetAlignment(TAlignment value)
{
    if (FAlignment == value) return;
    FAlignment = value;
    SkinData()->Invalidate(false);
}

int TsComboBox::IndexOf(const String& s) const
{
    for (int i = 0; i < Items()->Count(); ++i)
        if (Items()->Get(i) == s) return i;
    return -1;
}

bool TsComboBox::SkinnedNow() { return ReadyForSkinning(this) && SkinData()->Skinned(true); }

bool TsComboBox::NoEditFace()
{
    return ComboNoEditFace(KindOf(FStyle), SkinData()->SkinSection().empty(), SkinData()->Skinned(true));
}

int TsComboBox::DefaultSectionIndex()
{
    TsSkinManager* m = SkinData()->SkinManager();
    if (!m) return -1;
    // The drop-down edit style is an edit with a button; csSimple keeps the system's look.
    if (FStyle == csDropDown) return m->SkinCommonInfo.Sections[ssComboBox];
    if (!ListOnly(FStyle)) return -1;
    const int noEdit = m->SkinCommonInfo.Sections[ssComboNoEdit];
    return noEdit >= 0 ? noEdit : m->SkinCommonInfo.Sections[ssButton];
}

bool TsComboBox::WantsOwnerDraw()
{
    if (FStyle != csDropDownList) return false;
    TsSkinManager* m = SkinData()->SkinManager();
    return m && m->IsActive() && SkinData()->Skinned(true);
}

bool TsComboBox::HasOwnerDrawStyle() const
{
    HWND wnd = ExistingHandle();
    return wnd && (GetWindowLongPtrW(wnd, GWL_STYLE) & CBS_OWNERDRAWFIXED) != 0;
}

void TsComboBox::CreateParams(TCreateParams& params)
{
    TacSkinFrame<TComboBox>::CreateParams(params);
    // The fade's frames are drawn on the window's own DC; a parent's DC would put them at the
    // parent's origin.
    params.WindowClass.style &= ~static_cast<UINT>(CS_PARENTDC);
    // The face is copied whole onto the window: the edit child keeps its own pixels.
    if (FStyle == csDropDown) params.Style |= WS_CLIPCHILDREN;
    SkinData()->UpdateIndexes(true);
    // Skinned, the face and every item pass through DrawItem.
    if (FStyle == csDropDownList) {
        if (WantsOwnerDraw())
            params.Style |= CBS_OWNERDRAWFIXED;
        else
            params.Style &= ~static_cast<DWORD>(CBS_OWNERDRAWFIXED);
    }
}

TacComboGeometry TsComboBox::Geometry()
{
    TacComboGeometry g;
    g.Width = Width();
    g.Height = Height();
    const int ppi = SkinData()->ControlPPI();
    g.ScrollBarWidth = MulDiv(GetSystemMetrics(SM_CXVSCROLL), ppi, 96);
    if (TacSkinData* d = SkinData()->ResolveSkinData()) g.Margin = d->ComboBoxMargin;
    g.ShowButton = FShowButton;
    g.Simple = FStyle == csSimple;
    g.RightToLeft = UseRightToLeftAlignment();
    return g;
}

TRect TsComboBox::ButtonRect() { return Geometry().ButtonRect(); }

TacComboFaceInput TsComboBox::FaceInput()
{
    TsCommonData* l = SkinData();
    TacComboFaceInput in;
    in.Designing = HasState(csDesigning);
    in.Focused = Focused() || l->FFocused;
    TsSkinManager* m = l->SkinManager();
    in.SectionIsComboNoEdit = m && l->SkinIndex >= 0 && l->SkinIndex == m->SkinCommonInfo.Sections[ssComboNoEdit];
    if (TacSkinData* d = l->ResolveSkinData(); d && d->IsValidSection(l->SkinIndex))
        in.SectionStates = d->gd[size_t(l->SkinIndex)].States;
    in.DroppedDown = FDropDown;
    in.NoEditFace = NoEditFace();
    in.CurrentState = l->CurrentState();
    in.MouseAbove = l->FMouseAbove;
    in.HotPart = State == 1 ? 2 : 0;
    return in;
}

void TsComboBox::PaintContent(TBitmap* cache, int state)
{
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !d->IsValidSection(l->SkinIndex)) return;
    // The frame drew the link's state; a list-only face is also hot under the pointer and
    // pressed while its list is open.
    const int face = SectionState(d->gd[size_t(l->SkinIndex)], ComboFaceState(FaceInput()));
    if (face != state) {
        TCacheInfo bg;
        l->FetchParentBG(bg);
        const TColor custom = l->FCustomColor ? ResolveSkinColor(Color(), l->SkinManager()) : acSkinColor;
        PaintSectionFrame(l->SkinIndex, bg, face, TRect(0, 0, Width(), Height()), TPoint(Left(), Top()), cache, d,
                          custom, true);
    }
    if (FStyle != csSimple) DrawFace(cache);
    if (FShowButton) PaintButton(cache, ButtonRect());
}

void TsComboBox::DrawFace(TBitmap* cache)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TRect r = Geometry().TextRect(Height());
    const int index = ItemIndex();
    // The edit style shows its edit's text: the face stands for the edit whenever the face is
    // copied over it (a state fade's frames).
    const bool editStyle = FStyle == csDropDown;
    const String text = editStyle ? Text() : index >= 0 && index < Items()->Count() ? Items()->Get(index) : String();
    r.left += 2;
    r.right -= 2;
    UINT flags = ItemTextFlags | AlignmentFlags(FAlignment);
    if (UseRightToLeftAlignment()) flags |= DT_RIGHT;
    TCanvas* c = cache->Canvas();
    c->Font()->Assign(Font());
    TOwnerDrawState st = odComboBoxEdit;
    if (Focused() && !HasState(csDesigning) && !editStyle) st |= odSelected | odFocused;
    if (OnGetItemDrawData) {
        TacItemDrawData data{c->Font(), index, st};
        OnGetItemDrawData(this, data);
    }
    const TacComboFaceInput in = FaceInput();
    const int itemState = ComboItemState(in, true);
    c->Brush()->SetStyle(bsClear);
    if (l->FCustomFont) {
        c->Font()->SetColor(Font()->Color());
        TRect rr = r;
        c->TextRect(rr, text, flags);   // through the canvas: its font is selected into the DC
    } else {
        WriteSectionText(c, text, true, r, flags, l->SkinIndex, itemState, m);
    }
}

void TsComboBox::PaintButton(TBitmap* cache, const TRect& r)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (!d || !m) return;
    const TacComboFaceInput in = FaceInput();
    const int st = ComboButtonState(in);
    TColor arrow = clWindowText;
    const int btn = d->ComboBtn.SkinIndex;
    if (!in.NoEditFace && d->IsValidSection(btn)) {
        // An edit-style face has a button face of its own over what lies there.
        std::unique_ptr<TBitmap> under(NewBitmapLike(cache));
        BitBlt(under->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
        TCacheInfo bg = BuildCacheInfo(BitmapView(under.get()), 0, 0);
        PaintItem(btn, bg, SectionState(d->gd[size_t(btn)], st), r, r.TopLeft(), cache, d, d->ComboBtn.BGIndex[0],
                  d->ComboBtn.BGIndex[1]);
        arrow = d->gd[size_t(btn)].Props[size_t(SectionTextState(d->gd[size_t(btn)], st))].FontColor.Color;
    } else if (d->IsValidSection(l->SkinIndex)) {
        const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
        arrow = g.Props[size_t(SectionTextState(g, st))].FontColor.Color;
    }
    DrawArrowGlyph32(cache, arrow, clNone, r, adDown, 0, 0, 0, int(m->Options()->ActualArrowStyle()), l->ControlPPI());
}

void TsComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (!SkinnedNow()) {
        TacSkinFrame<TComboBox>::DrawItem(index, rect, state);
        return;
    }
    if (state & odComboBoxEdit) {
        // The system draws the face outside a paint at times: show the cache there.
        if (FComposing) return;
        FComposing = true;
        if (SkinData()->BGChanged || SkinData()->CacheEmpty()) PrepareCache();
        FComposing = false;
        if (!SkinData()->CacheEmpty())
            BitBlt(Canvas()->Handle(), rect.left, rect.top, rect.Width(), rect.Height(),
                   SkinData()->FCacheBmp->Canvas()->Handle(), rect.left, rect.top, SRCCOPY);
        return;
    }
    DrawListItem(index, rect, state);
}

void TsComboBox::DrawListItem(int index, const TRect& rect, TOwnerDrawState state)
{
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    if (rect.IsEmpty() || !m || !d) return;
    const int selection = m->SkinCommonInfo.Sections[ssSelection];
    TacItemColorInput in;
    in.Selected = (state & odSelected) != 0;
    in.HasSelectionSection = d->IsValidSection(selection);
    in.CustomColor = l->FCustomColor;
    const TacItemColors back = ComboItemBackground(in);
    const TacItemFont font = ComboItemFont(in, l->FCustomFont);

    std::unique_ptr<TBitmap> tmp(NewBitmap32ForRect(rect));
    TCanvas* c = tmp->Canvas();
    c->Font()->Assign(Font());
    const TRect local(0, 0, rect.Width(), rect.Height());
    TColor bgColor = m->GetActiveEditColor();
    switch (back) {
    case TacItemColors::Selection: {
        TCacheInfo none;
        none.FillColor = m->GetActiveEditColor();
        PaintItem(selection, none, 1, local, TPoint(0, 0), tmp.get(), d);
        bgColor = d->gd[size_t(selection)].Props[2].Color;
        break;
    }
    case TacItemColors::Highlight: bgColor = m->GetHighLightColor(true); break;
    case TacItemColors::CustomColor: bgColor = Color(); break;
    default: break;
    }
    if (back != TacItemColors::Selection) FillDCRect(c->Handle(), local, bgColor);
    TColor fontColor = m->GetActiveEditFontColor();
    if (font == TacItemFont::Highlight) fontColor = m->GetHighLightFontColor(true);
    if (font == TacItemFont::CustomFont) fontColor = Font()->Color();
    c->Font()->SetColor(fontColor);
    c->Brush()->SetColor(bgColor);

    if (index >= 0 && index < Items()->Count()) {
        UINT flags = ItemTextFlags | DT_VCENTER | AlignmentFlags(FAlignment);
        if (UseRightToLeftAlignment()) flags |= DT_RIGHT | DT_RTLREADING;
        TRect r = local;
        r.left += 2;
        r.right -= 2;
        const String text = Items()->Get(index);
        if (OnGetItemDrawData) {
            TacItemDrawData data{c->Font(), index, state};
            OnGetItemDrawData(this, data);
        }
        const bool selectionInUse = in.HasSelectionSection && back == TacItemColors::Selection;
        if (selectionInUse) {
            WriteSectionText(c, text, Enabled(), r, flags, selection, 1, m);
        } else {
            c->Brush()->SetStyle(bsClear);
            TRect rr = r;
            c->TextRect(rr, text, flags);   // through the canvas: its font is selected into the DC
        }
        if (ShowFocus && (state & odFocused) && !selectionInUse) {
            c->Brush()->SetStyle(bsSolid);
            RECT fr = local;
            DrawFocusRect(c->Handle(), &fr);
        }
    }
    BitBlt(Canvas()->Handle(), rect.left, rect.top, rect.Width(), rect.Height(), c->Handle(), 0, 0, SRCCOPY);
}

void TsComboBox::CNMeasureItem(TMessage& m)
{
    if (FStyle != csDropDownList || !WantsOwnerDraw()) {
        TacSkinFrame<TComboBox>::CNMeasureItem(m);
        return;
    }
    // The height the system gives an unskinned list of this font: its text and a pixel each side.
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SIZE sz{};
    GetTextExtentPoint32W(dc, L"A", 1, &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    mis->itemHeight = static_cast<UINT>(sz.cy + 2);
    m.Result = 1;
}

void TsComboBox::AdjustDropDown()
{
    FDropDownHold.Take();
    TacSkinFrame<TComboBox>::AdjustDropDown();
}

void TsComboBox::CloseUp()
{
    TacSkinFrame<TComboBox>::CloseUp();
    FDropDownHold.Release();
}

void TsComboBox::DoDropDown()
{
    if (CanFocus()) SetFocus();
    if (!OnDropDown) return;
    FDropDown = true;
    State = 2;
    if (SkinnedNow()) ChangeState(2);
    OnDropDown(this);
    // No list opened, so no close-up will come to take the pressed look away.
    FDropDown = false;
    State = 0;
    if (SkinnedNow() && !HasState(csDestroying)) ChangeState(IsMouseOverControl(this) ? 1 : 0);
}

void TsComboBox::ChangeState(int n)
{
    TsCommonData* l = SkinData();
    l->BGChanged = false;   // the present image is where the fade starts
    l->FMouseAbove = n != 0;
    TsSkinManager* m = l->SkinManager();
    const bool allowed = m && m->Effects()->AllowAnimation;
    AnimateStateChange(l, n, StateAnimStep, allowed, n == 2, false);
}

void TsComboBox::HandleSkinChange(TMessage& m)
{
    const unsigned cmd = SkinCommandOf(m.WParam);
    if (cmd == scmRefresh && HandleAllocated() && m.LParam == reinterpret_cast<LPARAM>(SkinData()->SkinManager())) {
        // A refresh closes an open list but keeps the selection.
        const int index = ItemIndex();
        SendMessageW(Handle(), CB_SHOWDROPDOWN, FALSE, 0);
        if (ItemIndex() != index) SetItemIndex(index);
    }
    TacBoundLabelOwner::WndProc(m);
    if (cmd == scmRemoveSkin && m.LParam == reinterpret_cast<LPARAM>(SkinData()->SkinManager()) &&
        !HasState(csDestroying)) {
        // The skin's colours go with it, unless they were the control's own.
        if (!SkinData()->FCustomColor) SetColor(clWindow);
        if (!SkinData()->FCustomFont) Font()->SetColor(clWindowText);
    }
    if (cmd == scmNewSkin || cmd == scmRemoveSkin) {
        FDropDown = false;
        State = 0;
        // Owner-drawing is a window style: a skin coming or going makes the window again; the
        // items and the selection are kept by the base across it.
        if (HandleAllocated() && !HasState(csDestroying) && WantsOwnerDraw() != HasOwnerDrawStyle()) RecreateWnd();
    }
}

bool TsComboBox::SkinnedEditStyle() { return FStyle == csDropDown && SkinnedNow() && !HasState(csDestroying); }

void TsComboBox::AnswerEditColor(TMessage& m)
{
    TsCommonData* l = SkinData();
    TColor text = Font()->Color(), background = Color();
    if (TacSkinData* d = l->ResolveSkinData(); d && d->IsValidSection(l->SkinIndex)) {
        const TsGeneralData& g = d->gd[size_t(l->SkinIndex)];
        // The focus is on the edit child, not on the combo box's own window.
        const int state = Focused() ? 1 : l->CurrentState();
        const TsGenState& st = g.Props[size_t(SectionTextState(g, state))];
        if (!l->FCustomFont) text = st.FontColor.Color;
        if (!l->FCustomColor) background = st.Color;
    }
    AnswerCtlColorMessage(m, text, background, FEditBrush, FEditBrushColor);
}

void TsComboBox::TrackButtonHover(bool overButton)
{
    const int hot = overButton ? 1 : 0;
    if (State == hot || FDropDown) return;
    State = hot;
    SkinData()->BGChanged = true;
    // The edit child is painted again after the face, over it.
    if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TsComboBox::ComboWndProc(TMessage& m, HWND wnd)
{
    TacSkinFrame<TComboBox>::ComboWndProc(m, wnd);
    // The pointer on the edit child is off the button.
    if (m.Msg == WM_MOUSEMOVE && wnd == EditHandle() && SkinnedEditStyle()) TrackButtonHover(false);
}

void TsComboBox::WndProc(TMessage& m)
{
    if (m.Msg == WM_CTLCOLOREDIT && SkinnedEditStyle()) {
        AnswerEditColor(m);
        return;
    }
    if (m.Msg == WM_MOUSEMOVE && SkinnedEditStyle() && !HasState(csDesigning)) {
        const TPoint p(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        TrackButtonHover(ButtonRect().Contains(p));
    }
    // Input a read-only combo box, or one that may not drop down, does not take.
    if ((FReadOnly || !AllowDropDown) && ComboSwallowsInput(m.Msg, m.WParam, FReadOnly, AllowDropDown)) return;
    if (m.Msg == WM_MOUSEWHEEL && !FAllowMouseWheel) return;
    if (m.Msg == MSG_SKINCOMMAND) {
        const unsigned cmd = SkinCommandOf(m.WParam);
        if (cmd == scmNewSkin || cmd == scmRemoveSkin || cmd == scmRefresh) {
            HandleSkinChange(m);
            return;
        }
    }
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && !HasState(csDesigning) && (FReadOnly || !AllowDropDown)) {
        // A click on a read-only combo only focuses it (a double click is still one); one that may
        // not drop down tells OnDropDown instead.
        if (FReadOnly) {
            if (CanFocus()) SetFocus();
            if (m.Msg == WM_LBUTTONDBLCLK) DblClick();
        } else {
            DoDropDown();
        }
        return;
    }
    if (!SkinnedNow()) {
        TacBoundLabelOwner::WndProc(m);
        if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == CBN_CLOSEUP) FDropDown = false;
        return;
    }
    TsCommonData* l = SkinData();
    switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        // While the list is open the face stays dropped down.
        if (FDropDown) {
            TComboBox::WndProc(m);
            return;
        }
        if (m.Msg == CM_MOUSELEAVE && l->FMouseAbove && HandleAllocated()) {
            RECT wr;
            POINT p;
            GetWindowRect(Handle(), &wr);
            if (GetCursorPos(&p) && PtInRect(&wr, p) && IsMouseOverControl(this)) return;
            State = 0;
            if (FStyle == csDropDown) l->BGChanged = true;
        }
        break;
    case CN_COMMAND:
        switch (HIWORD(m.WParam)) {
        case CBN_DROPDOWN:
            FDropDown = true;
            State = 2;
            ChangeState(2);
            TacBoundLabelOwner::WndProc(m);
            return;
        case CBN_CLOSEUP: {
            FDropDown = false;
            if (TacThreadedTimer* t = l->AnimTimer) t->Glow = 0;
            if (!IsMouseOverControl(this)) {
                l->FMouseAbove = false;
                State = 0;
            }
            TacBoundLabelOwner::WndProc(m);
            // The closed look at once; the state fade then starts from it.
            l->BGChanged = true;
            if (PrepareCache()) {
                if (TacThreadedTimer* t = l->AnimTimer)
                    TacThreadedTimer::CopyFrom(t->BmpOut, l->FCacheBmp, TRect(0, 0, Width(), Height()));
                if (HandleAllocated()) {
                    InvalidateRect(Handle(), nullptr, FALSE);
                    UpdateWindow(Handle());
                }
            }
            ChangeState(l->FMouseAbove ? 1 : 0);
            return;
        }
        case CBN_SETFOCUS:
        case CBN_KILLFOCUS:
            TacBoundLabelOwner::WndProc(m);
            if (FStyle == csDropDown) {
                // The edit child holds the focus: the face and the edit's colours follow it.
                l->FFocused = HIWORD(m.WParam) == CBN_SETFOCUS;
                l->BGChanged = true;
                if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            }
            return;
        case CBN_SELCHANGE:
            TacBoundLabelOwner::WndProc(m);
            l->BGChanged = true;
            Invalidate();
            return;
        default: break;
        }
        break;
    default: break;
    }
    TacBoundLabelOwner::WndProc(m);
    switch (m.Msg) {
    case CB_SETCURSEL:
        l->StopAnimTimer();
        l->BGChanged = true;
        Invalidate();
        break;
    case CM_TEXTCHANGED:
    case CM_CHANGED:
    case CM_FONTCHANGED:
        l->BGChanged = true;
        Invalidate();
        break;
    default: break;
    }
}
