#include "vcl/stdctrls.h"

#include <commctrl.h>

#include <algorithm>

#include "vcl/application_hooks.h"
#include "vcl/menus.h"

namespace {

// The answer to a reflected WM_CTLCOLOR*: the native window paints our font colour on our
// background brush.
void AnswerCtlColor(TWinControl* control, TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ColorToColorRef(control->Font()->Color()));
    SetBkColor(dc, ColorToColorRef(control->Color()));
    m.Result = reinterpret_cast<LRESULT>(control->BrushHandle());
}

}  // namespace

TOwnerDrawState OwnerDrawStateFromODS(UINT s)
{
    // The ODS_ bits line up with the owner-draw state flags one for one.
    return static_cast<TOwnerDrawState>(s & 0xFFFF);
}

// ================================================================================================
// TButtonControl, TButton

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner)
{
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
}

void TButtonControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC: CNCtlColor(m); break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TButtonControl::CNCtlColor(TMessage& m)
{
    AnswerCtlColor(this, m);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    FWidth = 75;
    FHeight = 25;
}

TButton::~TButton()
{
    if (FNativeImages) ImageList_Destroy(FNativeImages);
}

void TButton::CreateParams(TCreateParams& p)
{
    TButtonControl::CreateParams(p);
    CreateSubClass(p, L"BUTTON");
    // Split and command-link looks exist only in the version 6 buttons; older ones stay
    // push buttons (the arrow part is then the skin's to draw).
    if (FStyle != bsPushButton && CommonControlsVersion() >= 6)
        p.Style |= FStyle == bsSplitButton ? (FDefault ? BS_DEFSPLITBUTTON : BS_SPLITBUTTON)
                                           : (FDefault ? BS_DEFCOMMANDLINK : BS_COMMANDLINK);
    else p.Style |= (FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    if (FWordWrap) p.Style |= BS_MULTILINE;
}

void TButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    UpdateImages();
    if (FElevationRequired) SendMessageW(FHandle, BCM_SETSHIELD, 0, TRUE);
    if (!FCommandLinkHint.empty()) SendMessageW(FHandle, BCM_SETNOTE, 0, reinterpret_cast<LPARAM>(FCommandLinkHint.c_str()));
}

void TButton::SetIndexOf(int& field, int index)
{
    if (index == field) return;
    field = index;
    Invalidate();
}

void TButton::SetImageMargins(const TImageMargins& margins)
{
    if (margins == FImageMargins) return;
    FImageMargins = margins;
    UpdateImages();
}

void TButton::SetElevationRequired(bool on)
{
    if (on == FElevationRequired) return;
    FElevationRequired = on;
    if (FHandle) SendMessageW(FHandle, BCM_SETSHIELD, 0, on);
    Invalidate();
}

void TButton::SetCommandLinkHint(const String& hint)
{
    if (hint == FCommandLinkHint) return;
    FCommandLinkHint = hint;
    if (FHandle) SendMessageW(FHandle, BCM_SETNOTE, 0, reinterpret_cast<LPARAM>(FCommandLinkHint.c_str()));
    Invalidate();
}

void TButton::SetImages(TCustomImageList* images)
{
    if (FImages.Set(images)) UpdateImages();
}

void TButton::SetImageIndex(int index)
{
    if (index == FImageIndex) return;
    FImageIndex = index;
    UpdateImages();
}

void TButton::SetImageAlignment(TImageAlignment a)
{
    if (a == FImageAlignment) return;
    FImageAlignment = a;
    UpdateImages();
}

void TButton::SetStyle(TButtonStyle st)
{
    if (st == FStyle) return;
    FStyle = st;
    RecreateWnd();
    Invalidate();
}

void TButton::SetDropDownMenu(TPopupMenu* menu)
{
    if (menu == FDropDownMenu) return;
    if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
    FDropDownMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TButton::DropDownClick()
{
    if (!FDropDownMenu || !EventsAllowed()) return;
    TPoint p = ClientToScreen({0, FHeight});
    FDropDownMenu->SetPopupComponent(this);
    FDropDownMenu->Popup(p.x, p.y);
}

void TButton::Notification(TComponent* component, TOperation operation)
{
    TButtonControl::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (FImages.Removed(component)) UpdateImages();
    if (component == FDropDownMenu) FDropDownMenu = nullptr;
}

void TButton::ImagesChanged(TObject*)
{
    UpdateImageList();
}

void TButton::UpdateImages()
{
    Invalidate();
    if (!FHandle) return;
    // The native button takes a list of its own holding the one image.
    HIMAGELIST list = nullptr;
    if (TCustomImageList* images = FImages.Get(); images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        list = ImageList_Create(images->Width(), images->Height(), ILC_COLOR32 | ILC_MASK, 1, 1);
        if (HICON icon = ImageList_GetIcon(images->Handle(), FImageIndex, ILD_NORMAL)) {
            ImageList_AddIcon(list, icon);
            DestroyIcon(icon);
        }
    }
    static const UINT kAlign[] = {BUTTON_IMAGELIST_ALIGN_LEFT, BUTTON_IMAGELIST_ALIGN_RIGHT, BUTTON_IMAGELIST_ALIGN_TOP,
                                  BUTTON_IMAGELIST_ALIGN_BOTTOM, BUTTON_IMAGELIST_ALIGN_CENTER};
    BUTTON_IMAGELIST bil{list ? list : reinterpret_cast<HIMAGELIST>(BCCL_NOGLYPH),
                         {FImageMargins.Left, FImageMargins.Top, FImageMargins.Right, FImageMargins.Bottom},
                         kAlign[FImageAlignment]};
    SendMessageW(FHandle, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    if (FNativeImages) ImageList_Destroy(FNativeImages);
    FNativeImages = list;
}

void TButton::SetDefault(bool on)
{
    if (on == FDefault) return;
    FDefault = on;
    if (FHandle) {
        TCustomForm* form = GetParentForm(this);
        TWinControl* active = form ? form->ActiveControl() : nullptr;
        if (!active || !dynamic_cast<TButton*>(active)) SetButtonStyle(on);
    }
}

void TButton::SetWordWrap(bool on)
{
    if (on == FWordWrap) return;
    FWordWrap = on;
    RecreateWnd();
}

void TButton::SetButtonStyle(bool isDefault)
{
    if (!FHandle) return;
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    UINT kind = static_cast<UINT>(style & BS_TYPEMASK);
    // Owner-drawn buttons keep their kind: only the default look changes.
    if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON)
        SendMessageW(FHandle, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (FModalResult != mrNone) {
        if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    }
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); break;
    case CN_NOTIFY:
        if (reinterpret_cast<NMHDR*>(m.LParam)->code == BCN_DROPDOWN) {
            DropDownClick();
            m.Result = 0;
        } else {
            TButtonControl::Dispatch(m);
        }
        break;
    case CM_DIALOGKEY: CMDialogKeyButton(m); break;
    case CM_FOCUSCHANGED: CMFocusChangedButton(m); break;
    default: TButtonControl::Dispatch(m); break;
    }
}

void TButton::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == BN_CLICKED) Click();
    m.Result = 0;
}

void TButton::CMDialogKeyButton(TMessage& m)
{
    if (((m.WParam == VK_RETURN && FActive) || (m.WParam == VK_ESCAPE && FCancel)) &&
        (KeyboardStateToShiftState() & (ssAlt | ssCtrl)) == 0 && CanFocus()) {
        Click();
        m.Result = 1;
        return;
    }
    TButtonControl::Dispatch(m);
}

void TButton::CMFocusChangedButton(TMessage& m)
{
    // Enter goes to the focused button, or to the Default one when no button has the focus.
    auto* focused = reinterpret_cast<TWinControl*>(m.LParam);
    bool active = dynamic_cast<TButton*>(focused) ? focused == this : FDefault;
    if (active != FActive) {
        FActive = active;
        SetButtonStyle(active);
    }
    m.Result = 0;
}

// ================================================================================================
// TCustomCheckBox, TRadioButton

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner)
{
    FWidth = 97;
    FHeight = 17;
}

void TCustomCheckBox::CreateParams(TCreateParams& p)
{
    TButtonControl::CreateParams(p);
    CreateSubClass(p, L"BUTTON");
    p.Style |= BS_3STATE;
    if (FAlignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
    if (FWordWrap) p.Style |= BS_MULTILINE;
}

void TCustomCheckBox::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessageW(FHandle, BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState s)
{
    if (s == FState) return;
    FState = s;
    if (FHandle) SendMessageW(FHandle, BM_SETCHECK, static_cast<WPARAM>(s), 0);
    Changed();
    // Changing the state from code fires OnClick, as a click does.
    if (!FClicksDisabled) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment a)
{
    if (a == FAlignment) return;
    FAlignment = a;
    RecreateWnd();
}

void TCustomCheckBox::SetWordWrap(bool on)
{
    if (on == FWordWrap) return;
    FWordWrap = on;
    RecreateWnd();
}

bool TCustomCheckBox::CanAutoSize(int& newWidth, int& newHeight)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    RECT r{0, 0, 0, 0};
    String text = FText.empty() ? String(L" ") : FText;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int box = MulDiv(GetSystemMetrics(SM_CXMENUCHECK), FCurrentPPI, ScreenPixelsPerInch());
    newWidth = box + MulDiv(6, FCurrentPPI, 96) + (r.right - r.left);
    newHeight = std::max<int>(box, r.bottom - r.top) + 2;
    return true;
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::Dispatch(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        CNCommand(m);
        return;
    }
    TButtonControl::Dispatch(m);
}

void TCustomCheckBox::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == BN_CLICKED) Toggle();
    m.Result = 0;
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner)
{
    FWidth = 113;
    FHeight = 17;
}

void TRadioButton::CreateParams(TCreateParams& p)
{
    TButtonControl::CreateParams(p);
    CreateSubClass(p, L"BUTTON");
    p.Style |= BS_RADIOBUTTON;
    if (FAlignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool on)
{
    if (on == FChecked) return;
    FChecked = on;
    SetTabStop(on);
    if (FHandle) SendMessageW(FHandle, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Changed();
    if (on) {
        if (FParent)
            for (int i = 0; i < FParent->ControlCount(); ++i)
                if (auto* r = dynamic_cast<TRadioButton*>(FParent->Controls(i)); r && r != this) r->SetChecked(false);
        Click();
    }
}

void TRadioButton::SetAlignment(TAlignment a)
{
    if (a == FAlignment) return;
    FAlignment = a;
    RecreateWnd();
}

void TRadioButton::Dispatch(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == BN_CLICKED) SetChecked(true);
        m.Result = 0;
        return;
    }
    TButtonControl::Dispatch(m);
}

// ================================================================================================
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks |
                    csParentBackground;
    FWidth = 185;
    FHeight = 105;
}

TRect TCustomGroupBox::ClientRect() const
{
    // The frame and the caption line are not client space for aligned children.
    TRect r = TCustomControl::ClientRect();
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r.top += tm.tmHeight;
    r.Inflate(-1, -1);
    return r;
}

void TCustomGroupBox::Paint()
{
    TCanvas* c = FCanvas;
    TSize ts = c->TextExtent(L"0");
    TRect r(0, ts.cy / 2 - 1, FWidth, FHeight);
    c->Brush()->SetColor(FColor);
    c->Brush()->SetStyle(bsClear);
    RECT er = r;
    DrawEdge(c->Handle(), &er, EDGE_ETCHED, BF_RECT);
    String text = FText;
    if (!text.empty()) {
        TRect tr(8, 0, 0, ts.cy);
        c->TextRect(tr, text, DT_CALCRECT | DT_SINGLELINE);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(FColor);
        c->FillRect(tr);
        c->Font()->SetColor(FEnabled ? FFont->Color() : clGrayText);
        c->Brush()->SetStyle(bsClear);
        c->TextRect(tr, text, DT_SINGLELINE | DT_LEFT);
    }
}

// ================================================================================================
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    FControlStyle |= csReplicatable;
    FControlStyle &= ~csCaptureMouse;
    FAutoSize = true;
    FWidth = 65;
    FHeight = 17;
}

UINT TCustomLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    if (FWordWrap) flags |= DT_WORDBREAK;
    else flags |= DT_SINGLELINE;
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    switch (FAlignment) {
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
    default: break;
    }
    return flags;
}

void TCustomLabel::DoDrawText(TRect& rect, UINT flags)
{
    String text = FText;
    // An empty caption or a lone accelerator mark would measure as nothing: keep one space.
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L" ";
    TCanvas* c = FCanvas;
    c->Font()->Assign(FFont);
    text = EllipsisText(text, rect, flags);
    if (!FEnabled) c->Font()->SetColor(clGrayText);
    c->Brush()->SetStyle(bsClear);
    c->TextRect(rect, text, flags);
}

String TCustomLabel::EllipsisText(const String& text, const TRect& rect, UINT& flags)
{
    flags = LabelEllipsisFlags(flags, FEllipsisPosition, FAutoSize);
    if (!LabelShortensText(FEllipsisPosition, FAutoSize, FWordWrap)) return text;
    TCanvas* c = FCanvas;
    TRect narrowed = rect;
    narrowed.right -= c->TextWidth(L"...");
    const UINT measureFlags = (flags | DT_CALCRECT) & ~UINT(DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS);
    return ShortenWrappedText(text, ClientHeight(), c->TextHeight(L"Wg"), [&](const String& t) {
        TRect r = narrowed;
        DrawTextW(c->Handle(), t.c_str(), static_cast<int>(t.size()), &r, measureFlags);
        return r.bottom - r.top;
    });
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition p)
{
    if (p == FEllipsisPosition) return;
    FEllipsisPosition = p;
    Invalidate();
}

void TCustomLabel::Paint()
{
    TRect r = ClientRect();
    if (!FTransparent) {
        FCanvas->Brush()->SetStyle(bsSolid);
        FCanvas->Brush()->SetColor(FColor);
        FCanvas->FillRect(r);
    }
    UINT flags = TextFlags();
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int h = calc.Height();
        if (FLayout == tlBottom) r.top = r.bottom - h;
        else r.top = (r.top + r.bottom - h) / 2;
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || HasState(csLoading) || HasState(csDestroying)) return;
    HDC dc = GetDC(nullptr);
    FCanvas->SetHandle(dc);
    TRect r(0, 0, FWordWrap ? FWidth : 0, 0);
    DoDrawText(r, TextFlags() | DT_CALCRECT);
    FCanvas->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    int x = FLeft;
    if (FAlignment == taRightJustify) x = FLeft + FWidth - r.Width();
    else if (FAlignment == taCenter) x = FLeft + (FWidth - r.Width()) / 2;
    SetBounds(x, FTop, r.Width(), r.Height());
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        AdjustBounds();
        break;
    case CM_DIALOGCHAR:
        // Alt + the label's accelerator focuses its FocusControl.
        if (FFocusControl && FEnabled && FShowAccelChar) {
            String t = LowerCase(FText);
            size_t amp = t.find(L'&');
            if (amp != String::npos && amp + 1 < t.size() &&
                t[amp + 1] == static_cast<wchar_t>(towlower(static_cast<wint_t>(m.WParam))) && FFocusControl->CanFocus()) {
                FFocusControl->SetFocus();
                m.Result = 1;
                return;
            }
        }
        TGraphicControl::Dispatch(m);
        break;
    default:
        TGraphicControl::Dispatch(m);
        break;
    }
}


void TCustomLabel::SetAlignment(TAlignment a)
{
    if (a == FAlignment) return;
    FAlignment = a;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout l)
{
    if (l == FLayout) return;
    FLayout = l;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool on)
{
    if (on == FTransparent) return;
    FTransparent = on;
    if (on) FControlStyle &= ~csOpaque;
    else FControlStyle |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool on)
{
    if (on == FWordWrap) return;
    FWordWrap = on;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool on)
{
    if (on == FShowAccelChar) return;
    FShowAccelChar = on;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c)
{
    FFocusControl = c;
    if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// ================================================================================================
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    FControlStyle = csClickEvents | csSetCaption | csDoubleClicks;
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
    FWidth = 121;
    FHeight = 21;
}

void TCustomEdit::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, L"EDIT");
    p.Style |= ES_AUTOHSCROLL;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D) p.ExStyle |= WS_EX_CLIENTEDGE;
        else p.Style |= WS_BORDER;
    }
    if (FReadOnly) p.Style |= ES_READONLY;
    if (FNumbersOnly) p.Style |= ES_NUMBER;
    if (FCharCase == ecUpperCase) p.Style |= ES_UPPERCASE;
    else if (FCharCase == ecLowerCase) p.Style |= ES_LOWERCASE;
    if (FPasswordChar) p.Style |= ES_PASSWORD;
    if (FAlignment == taRightJustify) p.Style |= ES_RIGHT;
    else if (FAlignment == taCenter) p.Style |= ES_CENTER;
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar) SendMessageW(FHandle, EM_SETPASSWORDCHAR, FPasswordChar, 0);
    if (!FTextHint.empty()) SendMessageW(FHandle, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(FTextHint.c_str()));
}

void TCustomEdit::SetBorderStyle(TBorderStyle st)
{
    if (st != bsNone) st = bsSingle;
    if (st == FBorderStyle) return;
    FBorderStyle = st;
    RecreateWnd();
    AdjustSize();
}

void TCustomEdit::SetCtl3D(bool on)
{
    if (on == FCtl3D) return;
    FCtl3D = on;
    RecreateWnd();
    AdjustSize();
}

void TCustomEdit::SetBevelKind(TBevelKind k)
{
    if (k == FBevelKind) return;
    FBevelKind = k;
    FrameChanged();
}

void TCustomEdit::SetBevelInner(TBevelCut c)
{
    if (c == FBevelInner) return;
    FBevelInner = c;
    FrameChanged();
}

void TCustomEdit::SetBevelOuter(TBevelCut c)
{
    if (c == FBevelOuter) return;
    FBevelOuter = c;
    FrameChanged();
}

void TCustomEdit::SetBevelWidth(int w)
{
    w = std::max(1, w);
    if (w == FBevelWidth) return;
    FBevelWidth = w;
    FrameChanged();
}

void TCustomEdit::FrameChanged()
{
    if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    AdjustSize();
}

int TCustomEdit::BevelExtent() const
{
    if (FBevelKind == bkNone) return 0;
    return FBevelWidth * ((FBevelInner != bvNone ? 1 : 0) + (FBevelOuter != bvNone ? 1 : 0));
}

void TCustomEdit::WMNCCalcSize(TMessage& m)
{
    TWinControl::WMNCCalcSize(m);
    int b = BevelExtent();
    if (b > 0 && m.LParam) {
        auto* r = reinterpret_cast<RECT*>(m.LParam);
        InflateRect(r, -b, -b);
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
    }
}

void TCustomEdit::WMNCPaint(TMessage& m)
{
    TWinControl::WMNCPaint(m);
    int b = BevelExtent();
    if (b <= 0 || !FHandle) return;
    // The bevel lies just outside the client area.
    RECT r = ClientAreaInWindow(FHandle);
    InflateRect(&r, b, b);
    HDC dc = GetWindowDC(FHandle);
    if (!dc) return;
    UINT edge = 0;
    if (FBevelOuter == bvLowered) edge |= BDR_SUNKENOUTER;
    else if (FBevelOuter == bvRaised) edge |= BDR_RAISEDOUTER;
    if (FBevelInner == bvLowered) edge |= BDR_SUNKENINNER;
    else if (FBevelInner == bvRaised) edge |= BDR_RAISEDINNER;
    UINT flags = BF_RECT | (FBevelKind == bkFlat ? BF_FLAT : FBevelKind == bkSoft ? BF_SOFT : 0);
    for (int i = 0; i < FBevelWidth; ++i) {
        DrawEdge(dc, &r, edge, flags);
        InflateRect(&r, -1, -1);
    }
    ReleaseDC(FHandle, dc);
}

bool TCustomEdit::CanAutoSize(int& newWidth, int& newHeight)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int frame = FBorderStyle == bsNone ? 0 : (FCtl3D ? GetSystemMetrics(SM_CYEDGE) : GetSystemMetrics(SM_CYBORDER)) * 2 + 2;
    newHeight = tm.tmHeight + frame + 2 * BevelExtent() + 2 * FBorderWidth + 2;
    (void)newWidth;
    return true;
}

void TCustomEdit::SetMaxLength(int n)
{
    FMaxLength = n;
    if (FHandle) SendMessageW(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(n), 0);
}

void TCustomEdit::SetReadOnly(bool on)
{
    FReadOnly = on;
    if (FHandle) SendMessageW(FHandle, EM_SETREADONLY, on, 0);
}

void TCustomEdit::SetNumbersOnly(bool on)
{
    if (on == FNumbersOnly) return;
    FNumbersOnly = on;
    if (FHandle) {
        LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
        SetWindowLongPtrW(FHandle, GWL_STYLE, on ? (style | ES_NUMBER) : (style & ~ES_NUMBER));
    }
}

void TCustomEdit::SetCharCase(TEditCharCase c)
{
    if (c == FCharCase) return;
    FCharCase = c;
    RecreateWnd();
}

void TCustomEdit::SetPasswordChar(wchar_t c)
{
    if (c == FPasswordChar) return;
    FPasswordChar = c;
    RecreateWnd();
}

void TCustomEdit::SetTextHint(const String& s)
{
    FTextHint = s;
    if (FHandle) SendMessageW(FHandle, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomEdit::SetAlignment(TAlignment a)
{
    if (a == FAlignment) return;
    FAlignment = a;
    RecreateWnd();
}

bool TCustomEdit::Modified() const
{
    return FHandle && SendMessageW(FHandle, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool on)
{
    if (FHandle) SendMessageW(FHandle, EM_SETMODIFY, on, 0);
}

int TCustomEdit::SelStart() const
{
    DWORD s = 0, e = 0;
    if (FHandle) SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return static_cast<int>(s);
}

void TCustomEdit::SetSelStart(int pos)
{
    if (FHandle) SendMessageW(FHandle, EM_SETSEL, static_cast<WPARAM>(pos), static_cast<LPARAM>(pos));
}

int TCustomEdit::SelLength() const
{
    DWORD s = 0, e = 0;
    if (FHandle) SendMessageW(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    return static_cast<int>(e - s);
}

void TCustomEdit::SetSelLength(int n)
{
    if (FHandle) {
        int s = SelStart();
        SendMessageW(FHandle, EM_SETSEL, static_cast<WPARAM>(s), static_cast<LPARAM>(s + n));
    }
}

String TCustomEdit::SelText() const
{
    String t = GetText();
    int s = SelStart(), n = SelLength();
    if (s < 0 || s > static_cast<int>(t.size())) return {};
    return t.substr(static_cast<size_t>(s), static_cast<size_t>(n));
}

void TCustomEdit::SetSelText(const String& s)
{
    if (FHandle) SendMessageW(FHandle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.c_str()));
}

void TCustomEdit::SelectAll()
{
    if (FHandle) SendMessageW(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change()
{
    Changed();
    if (OnChange && EventsAllowed() && !HasState(csLoading)) OnChange(this);
}

void TCustomEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: CNCtlColor(m); break;
    case WM_SETFOCUS:
        TWinControl::Dispatch(m);
        if (FAutoSelect && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
        break;
    case CM_TEXTCHANGED:
        TWinControl::Dispatch(m);
        // A multi-line edit sends no EN_CHANGE for a text set by code: the change is told here.
        if (FHandle && (GetWindowLongPtrW(FHandle, GWL_STYLE) & ES_MULTILINE)) Change();
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TCustomEdit::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == EN_CHANGE && !(FControlState & csCreating)) Change();
    m.Result = 0;
}

void TCustomEdit::CNCtlColor(TMessage& m)
{
    AnswerCtlColor(this, m);
}

// ================================================================================================
// TCustomMemo, TMemoStrings

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), FLines(new TMemoStrings(this))
{
    FWidth = 185;
    FHeight = 89;
    FAutoSelect = false;
}

TCustomMemo::~TCustomMemo()
{
    delete FLines;
}

void TCustomMemo::CreateParams(TCreateParams& p)
{
    TCustomEdit::CreateParams(p);
    p.Style &= ~ES_AUTOHSCROLL;
    p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
    if (FWantReturns) p.Style |= ES_WANTRETURN;
    if (!FWordWrap || FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= ES_AUTOHSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::Dispatch(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::Dispatch(m);
        // Tab moves the focus on unless the memo wants tabs; Enter stays in the memo when it
        // wants returns.
        if (!FWantTabs) m.Result &= ~DLGC_WANTTAB;
        if (!FWantReturns) m.Result &= ~DLGC_WANTALLKEYS;
        return;
    }
    TCustomEdit::Dispatch(m);
}

void TCustomMemo::SetScrollBars(TScrollStyle s)
{
    if (s == FScrollBars) return;
    FScrollBars = s;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool on)
{
    if (on == FWordWrap) return;
    FWordWrap = on;
    RecreateWnd();
}

std::vector<String> TMemoStrings::Lines() const
{
    std::vector<String> out;
    String t = FMemo->Text();
    size_t start = 0;
    while (start < t.size()) {
        size_t e = t.find_first_of(L"\r\n", start);
        if (e == String::npos) {
            out.push_back(t.substr(start));
            break;
        }
        out.push_back(t.substr(start, e - start));
        if (t[e] == L'\r' && e + 1 < t.size() && t[e + 1] == L'\n') ++e;
        start = e + 1;
    }
    return out;
}

void TMemoStrings::SetLines(const std::vector<String>& lines)
{
    String t;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) t += L"\r\n";
        t += lines[i];
    }
    FMemo->SetText(t);
}

int TMemoStrings::Count() const
{
    return static_cast<int>(Lines().size());
}

String TMemoStrings::Get(int index) const
{
    auto l = Lines();
    if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
    return l[static_cast<size_t>(index)];
}

void TMemoStrings::Put(int index, const String& s)
{
    auto l = Lines();
    if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
    l[static_cast<size_t>(index)] = s;
    SetLines(l);
}

int TMemoStrings::Add(const String& s)
{
    // Appending goes through the edit's selection, so a long log is not rewritten per line.
    int n = Count();
    if (FMemo->HandleAllocated()) {
        HWND h = FMemo->Handle();
        String text = FMemo->Text();
        int len = static_cast<int>(text.size());
        // A last line already ended by a line break (the user pressed Enter) takes no second one.
        bool lineOpen = len > 0 && text.back() != L'\n' && text.back() != L'\r';
        SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(len), static_cast<LPARAM>(len));
        String add = (lineOpen ? L"\r\n" : L"") + s;
        SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
        return n;
    }
    Insert(n, s);
    return n;
}

void TMemoStrings::Insert(int index, const String& s)
{
    auto l = Lines();
    if (index < 0 || index > static_cast<int>(l.size())) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
    l.insert(l.begin() + index, s);
    SetLines(l);
}

void TMemoStrings::Delete(int index)
{
    auto l = Lines();
    if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format(L"List index out of bounds (%d)", {index}));
    l.erase(l.begin() + index);
    SetLines(l);
}

void TMemoStrings::Clear()
{
    FMemo->SetText(String());
}

void TMemoStrings::SetText(const String& text)
{
    String t = text;
    // A trailing line break ends the last line; it does not start an empty one.
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, L"\r\n") == 0) t.resize(t.size() - 2);
    else if (!t.empty() && t.back() == L'\n') t.pop_back();
    FMemo->SetText(t);
}

// ================================================================================================
// TListControlItems

void TListControlItems::Put(int index, const String& s)
{
    TObject* obj = FList.Objects(index);
    Delete(index);
    if (FList.Sorted()) index = Add(s);
    else Insert(index, s);
    FList.PutObject(index, obj);
}

int TListControlItems::Add(const String& s)
{
    if (!FList.Sorted()) return TStrings::Add(s);
    // The shadow list finds the place; the native list gets the item at that index, so both
    // agree on the order whatever the native sort would make of it.
    int index = FList.Add(s);
    InsertNative(index, s);
    return index;
}

void TListControlItems::Insert(int index, const String& s)
{
    FList.Insert(index, s);
    InsertNative(index, s);
}

void TListControlItems::InsertNative(int index, const String& s)
{
    if (FOwner->HandleAllocated())
        SendMessageW(FOwner->Handle(), FMsgs.insert, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
}

void TListControlItems::SetSorted(bool on)
{
    FList.SetSorted(on);
    Fill();
}

void TListControlItems::Delete(int index)
{
    FList.Delete(index);
    if (FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), FMsgs.remove, static_cast<WPARAM>(index), 0);
}

void TListControlItems::Clear()
{
    FList.Clear();
    if (FOwner->HandleAllocated()) SendMessageW(FOwner->Handle(), FMsgs.reset, 0, 0);
}

void TListControlItems::Fill()
{
    if (!FOwner->HandleAllocated()) return;
    SendMessageW(FOwner->Handle(), FMsgs.reset, 0, 0);
    for (int i = 0; i < FList.Count(); ++i) InsertNative(i, FList.Get(i));
}

// ================================================================================================
// TCustomComboBox

namespace {
const TListControlItems::Messages kComboMsgs{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                              CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_SETITEMDATA, CB_GETITEMDATA};
const TListControlItems::Messages kListMsgs{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                             LB_GETTEXT, LB_GETTEXTLEN, LB_SETITEMDATA, LB_GETITEMDATA};
}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), FItems(new TListControlItems(this, kComboMsgs)), FCanvas(new TControlCanvas(this))
{
    FControlStyle = csSetCaption | csDoubleClicks;
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
    FWidth = 145;
    FHeight = 21;
}

TCustomComboBox::~TCustomComboBox()
{
    delete FItems;
    delete FCanvas;
}

void TCustomComboBox::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, L"COMBOBOX");
    p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
    switch (FStyle) {
    case csDropDown: p.Style |= CBS_DROPDOWN; break;
    case csSimple: p.Style |= CBS_SIMPLE; break;
    case csDropDownList: p.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED; break;
    case csOwnerDrawVariable: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE; break;
    }
    if (FSorted) p.Style |= CBS_SORT;
    // The height of a combo box window is its dropped-down height.
    p.Height = std::max(FHeight, 21) + FDropDownCount * std::max(FItemHeight, 16) + 4;
}

void TCustomComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    FItems->Fill();
    if (FMaxLength) SendMessageW(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FSavedIndex >= 0) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FSavedIndex), 0);
    if (FStyle == csDropDown || FStyle == csSimple) SetWindowTextW(FHandle, FText.c_str());
    if (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)
        SendMessageW(FHandle, CB_SETITEMHEIGHT, 0, FItemHeight);
    // The combo box window's height follows the font: read back what it became.
    RECT r;
    GetWindowRect(FHandle, &r);
    FHeight = r.bottom - r.top;
    SubclassChildren();
}

void TCustomComboBox::DestroyWnd()
{
    if (FHandle) FSavedIndex = ItemIndex();
    UnsubclassChildren();
    TWinControl::DestroyWnd();
}

void TCustomComboBox::SubclassChildren()
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (!GetComboBoxInfo(FHandle, &info)) return;
    FEditHandle = info.hwndItem;
    FListHandle = info.hwndList;
    if (FEditHandle) SetWindowSubclass(FEditHandle, ChildSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (FListHandle) SetWindowSubclass(FListHandle, ChildSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TCustomComboBox::UnsubclassChildren()
{
    if (FEditHandle) RemoveWindowSubclass(FEditHandle, ChildSubclassProc, 1);
    if (FListHandle) RemoveWindowSubclass(FListHandle, ChildSubclassProc, 1);
    FEditHandle = FListHandle = nullptr;
}

LRESULT CALLBACK TCustomComboBox::ChildSubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref)
{
    auto* combo = reinterpret_cast<TCustomComboBox*>(ref);
    TMessage m{msg, wp, lp, 0};
    try {
        combo->ComboWndProc(m, wnd);
    } catch (...) {
        HandleExceptionFromCallback(L"combo box child window");
    }
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, ChildSubclassProc, 1);
        if (wnd == combo->FEditHandle) combo->FEditHandle = nullptr;
        if (wnd == combo->FListHandle) combo->FListHandle = nullptr;
    }
    return m.Result;
}

void TCustomComboBox::ComboWndProc(TMessage& m, HWND wnd)
{
    m.Result = DefSubclassProc(wnd, m.Msg, m.WParam, m.LParam);
}

bool TCustomComboBox::Focused() const
{
    HWND focus = GetFocus();
    return focus && (focus == FHandle || (FEditHandle && focus == FEditHandle));
}

HWND TCustomComboBox::EditHandle() const
{
    return FEditHandle;
}

HWND TCustomComboBox::ListHandle() const
{
    return FListHandle;
}

int TCustomComboBox::ItemIndex() const
{
    if (!FHandle) return FSavedIndex;
    return static_cast<int>(SendMessageW(FHandle, CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= FItems->Count()) index = -1;
    FSavedIndex = index;
    if (FHandle) SendMessageW(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle s)
{
    if (s == FStyle) return;
    FStyle = s;
    RecreateWnd();
}

int TCustomComboBox::ItemHeight() const
{
    if (FHandle && FStyle != csOwnerDrawFixed && FStyle != csOwnerDrawVariable)
        return static_cast<int>(SendMessageW(FHandle, CB_GETITEMHEIGHT, 0, 0));
    return FItemHeight;
}

void TCustomComboBox::SetItemHeight(int h)
{
    if (h <= 0) return;
    FItemHeight = h;
    if (FHandle) SendMessageW(FHandle, CB_SETITEMHEIGHT, 0, h);
}

bool TCustomComboBox::DroppedDown() const
{
    return FHandle && SendMessageW(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool on)
{
    if (FHandle) SendMessageW(FHandle, CB_SHOWDROPDOWN, on, 0);
}

void TCustomComboBox::SetSorted(bool on)
{
    if (on == FSorted) return;
    FSorted = on;
    FItems->SetSorted(on);
    RecreateWnd();
}

void TCustomComboBox::SetMaxLength(int n)
{
    FMaxLength = n;
    if (FHandle) SendMessageW(FHandle, CB_LIMITTEXT, static_cast<WPARAM>(n), 0);
}

void TCustomComboBox::Clear()
{
    FItems->Clear();
    FSavedIndex = -1;
    if (FHandle && (FStyle == csDropDown || FStyle == csSimple)) SetWindowTextW(FHandle, L"");
}

void TCustomComboBox::Change()
{
    Changed();
    if (OnChange && EventsAllowed() && !HasState(csLoading)) OnChange(this);
}

void TCustomComboBox::Select()
{
    // A new selection is a change of the value whichever event hears of it.
    if (OnSelect && EventsAllowed()) {
        Changed();
        OnSelect(this);
    } else {
        Change();
    }
}

void TCustomComboBox::DropDown()
{
    if (OnDropDown && EventsAllowed()) OnDropDown(this);
}

void TCustomComboBox::AdjustDropDown()
{
    if (!FHandle) return;
    // The list's height is the window's dropped height: what is below the closed box.
    int count = std::clamp(FItems->Count(), 1, std::max(1, FDropDownCount));
    RECT r;
    GetWindowRect(FHandle, &r);
    int itemHeight = static_cast<int>(SendMessageW(FHandle, CB_GETITEMHEIGHT, 0, 0));
    int closed = r.bottom - r.top;
    SetWindowPos(FHandle, nullptr, 0, 0, r.right - r.left, closed + count * itemHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TCustomComboBox::CloseUp()
{
    if (OnCloseUp && EventsAllowed()) OnCloseUp(this);
}

void TCustomComboBox::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); break;
    case CN_DRAWITEM: CNDrawItem(m); break;
    case CN_MEASUREITEM: CNMeasureItem(m); break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC: AnswerCtlColor(this, m); break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
        // The inner edit and list ask the combo box itself.
        if (m.Msg == WM_CTLCOLORLISTBOX && !FListHandle) FListHandle = reinterpret_cast<HWND>(m.LParam);
        AnswerCtlColor(this, m);
        break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TCustomComboBox::CNCommand(TMessage& m)
{
    switch (HIWORD(m.WParam)) {
    case CBN_SELCHANGE:
        FSavedIndex = ItemIndex();
        if (FStyle != csDropDownList && FStyle != csOwnerDrawFixed && FStyle != csOwnerDrawVariable && FSavedIndex >= 0)
            FText = FItems->Get(FSavedIndex);
        Click();
        Select();
        break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN:
        DropDown();
        AdjustDropDown();
        break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
    }
    m.Result = 0;
}

void TCustomComboBox::CNDrawItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    TOwnerDrawState state = OwnerDrawStateFromODS(dis->itemState);
    if (dis->itemState & ODS_COMBOBOXEDIT) state |= odComboBoxEdit;
    TControlCanvasPaint paint(FCanvas, dis->hDC, FFont, (state & odSelected) ? clHighlight : FColor);
    if (state & odSelected) FCanvas->Font()->SetColor(clHighlightText);
    DrawItem(static_cast<int>(dis->itemID), dis->rcItem, state);
    m.Result = 1;
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    if (OnDrawItem && EventsAllowed() && (FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable)) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    FCanvas->FillRect(rect);
    if (index >= 0 && index < FItems->Count()) {
        TRect r = rect;
        r.left += 2;
        FCanvas->Brush()->SetStyle(bsClear);
        FCanvas->TextRect(r, FItems->Get(index), DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if ((state & odFocused) && !(state & odNoFocusRect)) FCanvas->DrawFocusRect(rect);
}

void TCustomComboBox::CNMeasureItem(TMessage& m)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    int h = FItemHeight;
    if (FStyle == csOwnerDrawVariable) MeasureItem(static_cast<int>(mis->itemID), h);
    mis->itemHeight = static_cast<UINT>(h);
    m.Result = 1;
}

void TCustomComboBox::MeasureItem(int index, int& height)
{
    if (OnMeasureItem && EventsAllowed()) OnMeasureItem(this, index, height);
}

// ================================================================================================
// TCustomListBox, TScrollBar

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), FItems(new TListControlItems(this, kListMsgs))
{
    FColor = clWindow;
    FParentColor = false;
    FTabStop = true;
    FWidth = 121;
    FHeight = 97;
}

TCustomListBox::~TCustomListBox()
{
    delete FItems;
}

void TCustomListBox::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, L"LISTBOX");
    p.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    FItems->Fill();
    if (FSavedIndex >= 0) SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(FSavedIndex), 0);
}

int TCustomListBox::ItemIndex() const
{
    if (!FHandle) return FSavedIndex;
    return static_cast<int>(SendMessageW(FHandle, LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index)
{
    FSavedIndex = index;
    if (FHandle) SendMessageW(FHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomListBox::Dispatch(TMessage& m)
{
    if (m.Msg == CN_COMMAND) {
        if (HIWORD(m.WParam) == LBN_SELCHANGE) {
            FSavedIndex = ItemIndex();
            Click();
        }
        m.Result = 0;
        return;
    }
    TWinControl::Dispatch(m);
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner)
{
    FWidth = 121;
    FHeight = 17;
}

void TScrollBar::CreateParams(TCreateParams& p)
{
    TWinControl::CreateParams(p);
    CreateSubClass(p, L"SCROLLBAR");
    p.Style |= SBS_HORZ;
}
