#include "skin/controls/sspinedit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <uxtheme.h>
#include <vssym32.h>
#include <windowsx.h>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/image_modes.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/text32.h"

namespace {

TacNumberSeparators UserSeparators()
{
    TacNumberSeparators seps;
    wchar_t buf[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 0 && buf[0]) seps.Decimal = buf[0];
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8) > 0 && buf[0]) seps.Thousand = buf[0];
    return seps;
}

void ReportRepeatError(const String& text)
{
    if (TsBaseSpinEdit::RepeatLog) {
        TsBaseSpinEdit::RepeatLog(text);
        return;
    }
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

// A solid arrow of the given size (rows) centred in r, one row per step, for the plain look.
void PlainArrow(HDC dc, const TRect& r, bool up, int size, TColor color)
{
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    const int cx = (r.left + r.right) / 2, top = (r.top + r.bottom - size) / 2;
    for (int i = 0; i < size; ++i) {
        const int half = up ? i : size - 1 - i;
        RECT row{cx - half, top + i, cx + half + 1, top + i + 1};
        FillRect(dc, &row, brush);
    }
    DeleteObject(brush);
}

constexpr int PlainButtonLength = 16;

}  // namespace

// ================================================================================================
// TsBaseSpinEdit

TsBaseSpinEdit::TsBaseSpinEdit(TComponent* owner) : TsEdit(owner) {}

TsBaseSpinEdit::~TsBaseSpinEdit()
{
    TObject::Free(FRepeatTimer);
    FRepeatTimer = nullptr;
}

void TsBaseSpinEdit::SetShowSpinButtons(bool on)
{
    SetFrameField(FShowSpinButtons, on);
}

void TsBaseSpinEdit::SetFlatSpinButtons(bool on)
{
    if (FFlatSpinButtons == on) return;
    FFlatSpinButtons = on;
    SkinData()->Invalidate(false);
}

void TsBaseSpinEdit::SetButtonWidth(int value)
{
    SetFrameField(FButtonWidth, value);
}

void TsBaseSpinEdit::SetPrevTabControl(TWinControl* c)
{
    if (FPrevTabControl == c) return;
    if (FPrevTabControl && FPrevTabControl != FNextTabControl) FPrevTabControl->RemoveFreeNotification(this);
    FPrevTabControl = c;
    if (c) c->FreeNotification(this);
}

void TsBaseSpinEdit::SetNextTabControl(TWinControl* c)
{
    if (FNextTabControl == c) return;
    if (FNextTabControl && FNextTabControl != FPrevTabControl) FNextTabControl->RemoveFreeNotification(this);
    FNextTabControl = c;
    if (c) c->FreeNotification(this);
}

void TsBaseSpinEdit::Notification(TComponent* component, TOperation operation)
{
    TsEdit::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == FPrevTabControl) FPrevTabControl = nullptr;
    if (component == FNextTabControl) FNextTabControl = nullptr;
}

void TsBaseSpinEdit::CreateParams(TCreateParams& params)
{
    TsEdit::CreateParams(params);
    // Multi-line, so the formatting rectangle can be set and the alignment holds.
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TsBaseSpinEdit::CreateWnd()
{
    FCreating = true;
    try {
        TsEdit::CreateWnd();
    } catch (...) {
        FCreating = false;
        throw;
    }
    FCreating = false;
    UpdateEditRect();
}

void TsBaseSpinEdit::UpdateEditRect()
{
    HWND h = ExistingHandle();
    if (!h) return;
    const int cw = ClientWidth(), ch = ClientHeight();
    RECT r = UseRightToLeftReading() ? RECT{1, 0, cw, ch + 1} : RECT{0, 0, cw + 1, ch + 1};
    SendMessageW(h, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

int TsBaseSpinEdit::ButtonSection()
{
    if (!DrawnFromSkin()) return -1;
    TsSkinManager* m = SkinData()->SkinManager();
    if (!m) return -1;
    const int i = m->SkinCommonInfo.Sections[FFlatSpinButtons ? ssToolButton : ssUpDown];
    TacSkinData* d = SkinData()->ResolveSkinData();
    return d && d->IsValidSection(i) ? i : -1;
}

int TsBaseSpinEdit::SpinButtonWidthNow()
{
    TacSkinData* d = DrawnFromSkin() ? SkinData()->ResolveSkinData() : nullptr;
    const int scaled = FButtonWidth > 0 ? ScaleForControl(FButtonWidth, SkinData(), true) : 0;
    return SpinButtonWidth(scaled, d ? d->ScrollBtnLength : MulDiv(PlainButtonLength, SkinData()->CurrentPPI, 96),
                           false, 0);
}

TacSpinButtonRects TsBaseSpinEdit::ButtonRects()
{
    return SpinButtonRects(Width(), Height(), EditBorderWidth(), SpinButtonWidthNow(), UseRightToLeftReading());
}

TRect TsBaseSpinEdit::TextRect()
{
    const int w = Width(), h = Height();
    const int a = BorderStyle() == bsNone ? 0 : EditBorderWidth() + BevelCount();
    const int s = BorderStyle() == bsSingle ? 1 : 0;
    int spacing = 0;
    if (TacSkinData* d = SkinData()->ResolveSkinData()) spacing = d->Spacing;
    const int buttons = FShowSpinButtons ? SpinButtonWidthNow() + spacing : 0;
    const int g = GlyphArea();
    TRect r = UseRightToLeftReading() ? TRect(a + buttons + (Ctl3D() ? 0 : 2), a, w - a - g - spacing / 2, h - a)
                                      : TRect(a + g + s, a + s, w - a - s - buttons, h - a);
    r.left += FAddedPadding.left;
    r.top += FAddedPadding.top;
    r.right -= FAddedPadding.right;
    r.bottom -= FAddedPadding.bottom;
    return r;
}

void TsBaseSpinEdit::PaintText(TBitmap* cache, int state)
{
    (void)state;
    String text = Text();
    if (text.empty()) return;
    if (PasswordChar()) text = String(text.size(), PasswordChar());
    TColor color, background;
    FaceColors(color, background);
    UINT align = Alignment() == taRightJustify ? DT_RIGHT : Alignment() == taCenter ? DT_CENTER : DT_LEFT;
    if (UseRightToLeftReading()) align = align == DT_LEFT ? DT_RIGHT : align == DT_RIGHT ? DT_LEFT : align;
    DrawAlphaText32(cache, text, 0, TextRect(), align | DT_EXPANDTABS | DT_SINGLELINE | DT_NOPREFIX, color, true);
}

void TsBaseSpinEdit::WMNCCalcSize(TMessage& m)
{
    TsEdit::WMNCCalcSize(m);
    if (!m.LParam || !FShowSpinButtons) return;
    auto* r = reinterpret_cast<RECT*>(m.LParam);
    TRect c = SpinClientRect(TRect(r->left, r->top, r->right, r->bottom), SpinButtonWidthNow(),
                             UseRightToLeftReading(), true);
    if (c.right < c.left) c.right = c.left;
    *r = c;
}

// ---- painting ------------------------------------------------------------------------------

TColor TsBaseSpinEdit::ArrowColor(int state)
{
    const int section = ButtonSection();
    if (section < 0) return Font()->Color();
    TsCommonData* l = SkinData();
    TsSkinManager* m = l->SkinManager();
    TacSkinData* d = l->ResolveSkinData();
    const TsGeneralData& g = d->gd[size_t(section)];
    const int s = SectionTextState(g, state);
    TColor edit = Font()->Color();
    if (d->IsValidSection(l->SkinIndex)) edit = d->gd[size_t(l->SkinIndex)].Props[0].FontColor.Color;
    if (state == 0) {
        if (FFlatSpinButtons || SectionStateTransparent(m, section, 0, this)) return l->FCustomFont ? Font()->Color() : edit;
        return g.Props[0].FontColor.Color;
    }
    if (l->FCustomFont) return Enabled() ? edit : clGrayText;
    if (SectionStateTransparent(m, section, s, this)) return edit;
    return g.Props[size_t(s)].FontColor.Color;
}

void TsBaseSpinEdit::PaintSkinnedButton(TBitmap* cache, const TRect& r, bool upper, int state)
{
    if (r.IsEmpty()) return;
    TsCommonData* l = SkinData();
    TacSkinData* d = l->ResolveSkinData();
    if (!d) return;
    const int section = ButtonSection();
    if (section >= 0) {
        TCacheInfo bg;
        bg.Bmp = BitmapView(cache);
        bg.X = 0;
        bg.Y = 0;
        bg.Ready = true;
        PaintItem(section, bg, SectionState(d->gd[size_t(section)], state), r, r.TopLeft(), BitmapView(cache), d);
    }
    int style = 0;
    if (TsSkinManager* m = l->SkinManager()) style = int(m->Options()->ActualArrowStyle());
    DrawArrowGlyph32(cache, ArrowColor(state), clNone, r, upper ? adUp : adDown, 0, 0, d->SmallArrowSize, style, 96);
}

void TsBaseSpinEdit::PaintContent(TBitmap* cache, int state)
{
    TsEdit::PaintContent(cache, state);
    if (!FShowSpinButtons) return;
    const TacSpinButtonRects b = ButtonRects();
    PaintSkinnedButton(cache, b.Up, true, FBtn1State);
    PaintSkinnedButton(cache, b.Down, false, FBtn2State);
}

void TsBaseSpinEdit::PaintStdSpinButton(HDC dc, const TRect& rect, bool upper, int state)
{
    TRect r = rect;
    if (!FFlatSpinButtons) r.Inflate(1, 1);
    const bool pressed = Enabled() && state == 2;
    RECT rc = r;
    bool drawn = false;
    if (HWND h = ExistingHandle(); h && IsThemeActive()) {
        // With visual styles: the tool-bar button for flat buttons, the up-arrow spin element
        // (for both) otherwise.
        if (HTHEME theme = OpenThemeData(h, FFlatSpinButtons ? L"TOOLBAR" : L"SPIN")) {
            int part = 0, st = 0;
            if (FFlatSpinButtons) {
                part = TP_BUTTON;
                st = !Enabled() ? TS_DISABLED : pressed ? TS_PRESSED : TS_NORMAL;
            } else {
                part = SPNP_UP;
                st = !Enabled() ? UPS_DISABLED : pressed ? UPS_PRESSED : UPS_NORMAL;
            }
            FillRect(dc, &rc, BrushHandle());
            drawn = SUCCEEDED(DrawThemeBackground(theme, dc, part, st, &rc, nullptr));
            CloseThemeData(theme);
        }
    }
    if (!drawn) {
        if (FFlatSpinButtons) {
            FillRect(dc, &rc, BrushHandle());
            if (pressed)
                DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
            else if (HasState(csDesigning))
                DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
        } else {
            DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
        }
    }
    PlainArrow(dc, rect, upper, MulDiv(4, SkinData()->CurrentPPI, 96), Enabled() ? Font()->Color() : TColor(clGrayText));
}

void TsBaseSpinEdit::PaintPlainButtons(HDC dc)
{
    const TacSpinButtonRects b = ButtonRects();
    if (!b.Up.IsEmpty()) PaintStdSpinButton(dc, b.Up, true, FBtn1State);
    if (!b.Down.IsEmpty()) PaintStdSpinButton(dc, b.Down, false, FBtn2State);
}

void TsBaseSpinEdit::WMNCPaint(TMessage& m)
{
    TsEdit::WMNCPaint(m);
    if (DrawnFromSkin() || !FShowSpinButtons) return;
    HWND h = ExistingHandle();
    if (!h) return;
    if (HDC dc = GetWindowDC(h)) {
        PaintPlainButtons(dc);
        ReleaseDC(h, dc);
    }
}

// ---- buttons and mouse ---------------------------------------------------------------------

void TsBaseSpinEdit::SetButtonState(bool upper, int state)
{
    int& mine = upper ? FBtn1State : FBtn2State;
    int& other = upper ? FBtn2State : FBtn1State;
    if (mine == state && (state == 0 || other == 0)) return;
    other = 0;
    mine = state;
    RepaintFrameButtons();
}

void TsBaseSpinEdit::PressButton(int hit)
{
    FMousePressed = true;
    FPressedUpper = hit == SpinHitUp;
    SetButtonState(FPressedUpper, 2);
    if (!FRepeatTimer) {
        FRepeatTimer = new TacThreadedTimer(nullptr, false);
        FRepeatTimer->SetOnTimer(Bind<&TsBaseSpinEdit::RepeatTick>(this));
    }
    FRepeat.Start();
    FRepeatTimer->SetInterval(unsigned(FRepeat.Interval));
    FRepeatTimer->SetEnabled(true);
    // The release is ours wherever it happens, so a button is never left repeating.
    SetCapture(ExistingHandle());
}

void TsBaseSpinEdit::StopRepeat()
{
    FRepeat.Stop();
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TsBaseSpinEdit::ReleaseButton(const TPoint& p)
{
    StopRepeat();
    FMousePressed = false;
    if (GetCapture() == ExistingHandle()) ReleaseCapture();
    const int hit = FShowSpinButtons ? SpinHitTest(ButtonRects(), p) : SpinHitNone;
    if (hit == SpinHitUp && FBtn1State == 2) {
        SetButtonState(true, 1);
        StepUp();
    } else if (hit == SpinHitDown && FBtn2State == 2) {
        SetButtonState(false, 1);
        StepDown();
    } else {
        SetButtonState(true, 0);
        SetButtonState(false, 0);
    }
}

void TsBaseSpinEdit::RepeatTick(TObject*)
{
    // A step that raises ends the repeat and is reported here: nothing leaves the timer.
    const bool going = FRepeat.Tick(
        [this] {
            if (FBtn1State == 2)
                StepUp();
            else if (FBtn2State == 2)
                StepDown();
        },
        ReportRepeatError);
    if (!FRepeatTimer) return;
    if (going)
        FRepeatTimer->SetInterval(unsigned(FRepeat.Interval));
    else
        FRepeatTimer->SetEnabled(false);
}

// ---- keys ----------------------------------------------------------------------------------

TacSpinKeyInput TsBaseSpinEdit::KeyInput()
{
    TacSpinKeyInput in;
    in.SelStart = SelStart();
    in.SelLength = SelLength();
    in.AllowNegative = AllowNegative();
    in.EditorEnabled = FEditorEnabled;
    in.Separators = UserSeparators();
    return in;
}

bool TsBaseSpinEdit::AcceptsChar(wchar_t& key)
{
    const String text = Text();
    TacSpinKeyInput in = KeyInput();
    in.Text = text;
    const TacSpinKeyResult r = SpinAcceptsChar(in, key);
    if (r.Accepted && (r.SelStart != in.SelStart || r.SelLength != in.SelLength)) {
        SetSelStart(r.SelStart);
        SetSelLength(r.SelLength);
    }
    key = r.Key;
    return r.Accepted;
}

void TsBaseSpinEdit::KeyPress(wchar_t& key)
{
    wchar_t k = key;
    if (!AcceptsChar(k)) {
        key = 0;
        MessageBeep(0);
        return;
    }
    key = k;
    if (key) TsEdit::KeyPress(key);
}

void TsBaseSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    TsEdit::KeyDown(key, shift);
    const bool shifted = (shift & ssShift) != 0;
    switch (key) {
    case VK_TAB:
    case VK_RETURN:
        if (shifted && FPrevTabControl) {
            key = 0;
            if (FPrevTabControl->CanFocus()) FPrevTabControl->SetFocus();
        } else if (!shifted && FNextTabControl) {
            key = 0;
            if (FNextTabControl->CanFocus()) FNextTabControl->SetFocus();
        } else if (key == VK_TAB) {
            if (TCustomForm* form = GetParentForm(this); form && form->ExistingHandle())
                SendMessageW(form->ExistingHandle(), WM_NEXTDLGCTL, shifted ? 1 : 0, 0);
        } else if (OnKeyPress && EventsAllowed()) {
            wchar_t enter = 13;
            OnKeyPress(this, enter);
        }
        break;
    case VK_UP:
        StepUp();
        key = 0;
        break;
    case VK_DOWN:
        StepDown();
        key = 0;
        break;
    case 'A':
        if ((shift & ssCtrl) && !(shift & ssAlt)) {
            SelectAll();
            key = 0;
            // The Ctrl+A character that follows would beep.
            if (HWND h = ExistingHandle()) {
                MSG msg;
                PeekMessageW(&msg, h, WM_CHAR, WM_CHAR, PM_REMOVE);
            }
        }
        break;
    default: break;
    }
}

// ---- messages ------------------------------------------------------------------------------

void TsBaseSpinEdit::WndProc(TMessage& m)
{
    HWND h = ExistingHandle();
    switch (m.Msg) {
    case WM_NCHITTEST:
        if (FShowSpinButtons && h && !HasState(csDesigning)) {
            const int hit = SpinHitTest(ButtonRects(), WindowPointFromScreen(m.LParam));
            if (hit != SpinHitNone) {
                m.Result = hit;
                return;
            }
            TsEdit::WndProc(m);
            if (m.Result != HTNOWHERE && m.Result != HTTRANSPARENT) m.Result = HTCLIENT;
            return;
        }
        break;
    case WM_NCMOUSEMOVE:
        if (FShowSpinButtons && h) {
            if (!SkinData()->FMouseAbove) Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
            TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_NONCLIENT, h, 0};
            TrackMouseEvent(&t);
            if (m.WParam == SpinHitUp || m.WParam == SpinHitDown) {
                SetButtonState(m.WParam == SpinHitUp, FMousePressed ? 2 : 1);
                m.Result = 0;
                return;
            }
            SetButtonState(true, 0);
            SetButtonState(false, 0);
        }
        break;
    case WM_NCMOUSELEAVE:
        if (!FMousePressed) {
            SetButtonState(true, 0);
            SetButtonState(false, 0);
            // Left through the frame rather than into the client area: the hover ends.
            POINT p{};
            if (h && GetCursorPos(&p) && WindowFromPoint(p) != h) Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
        }
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:   // a double click is a second press
        if (HasState(csDesigning)) break;
        if (FShowSpinButtons && (m.WParam == SpinHitUp || m.WParam == SpinHitDown)) {
            if (CanFocus() && h && GetFocus() != h) SetFocus();
            PressButton(int(m.WParam));
            m.Result = 0;
            return;
        }
        FMousePressed = false;
        if (m.Msg == WM_NCLBUTTONDBLCLK) m.Msg = WM_NCLBUTTONDOWN;
        break;
    case WM_NCLBUTTONUP:
        if (FMousePressed || m.WParam == SpinHitUp || m.WParam == SpinHitDown) {
            ReleaseButton(WindowPointFromScreen(m.LParam));
            m.Result = 0;
            return;
        }
        break;
    case WM_LBUTTONUP:
        if (FMousePressed && h) {
            // Captured: client coordinates, taken to the window's.
            const TRect c = ClientAreaInWindow(h);
            ReleaseButton(TPoint(GET_X_LPARAM(m.LParam) + c.left, GET_Y_LPARAM(m.LParam) + c.top));
            m.Result = 0;
            return;
        }
        break;
    case WM_MOUSEMOVE:
        if (FMousePressed && h) {
            const TRect c = ClientAreaInWindow(h);
            const int hit = SpinHitTest(ButtonRects(), TPoint(GET_X_LPARAM(m.LParam) + c.left, GET_Y_LPARAM(m.LParam) + c.top));
            const bool over = hit == (FPressedUpper ? SpinHitUp : SpinHitDown);
            SetButtonState(FPressedUpper, over ? 2 : 0);
            m.Result = 0;
            return;
        }
        SetButtonState(true, 0);
        SetButtonState(false, 0);
        break;
    case WM_CAPTURECHANGED:
        if (FMousePressed && reinterpret_cast<HWND>(m.LParam) != h) {
            StopRepeat();
            FMousePressed = false;
            SetButtonState(true, 0);
            SetButtonState(false, 0);
        }
        break;
    case CM_MOUSELEAVE:
        if (!FMousePressed) {
            SetButtonState(true, 0);
            SetButtonState(false, 0);
        }
        break;
    case WM_CUT:
    case WM_PASTE:
        if (!FEditorEnabled || ReadOnly()) {
            m.Result = 0;
            return;
        }
        break;
    case WM_GETDLGCODE:
        // Tab and Enter stay with the form even though the edit is a multi-line one.
        TsEdit::WndProc(m);
        m.Result &= ~LRESULT(DLGC_WANTALLKEYS);
        return;
    case CM_TEXTCHANGED:
        if (FCreating) return;
        break;
    default: break;
    }
    TsEdit::WndProc(m);
    if (m.Msg == WM_SIZE || m.Msg == CM_FONTCHANGED) {
        UpdateEditRect();
        if (!DrawnFromSkin() && h) SendMessageW(h, WM_NCPAINT, 1, 0);
    }
    if (m.Msg == MSG_SKINCOMMAND) {
        const int code = SkinCommandOf(m.WParam);
        // The skin's button width may differ.
        if (code == scmNewSkin || code == scmRemoveSkin) RecalcFrame();
    }
}

// ================================================================================================
// TsDecimalSpinEdit

TsDecimalSpinEdit::TsDecimalSpinEdit(TComponent* owner) : TsBaseSpinEdit(owner)
{
    FText = FormatText();
}

String TsDecimalSpinEdit::FormatNumber(double value, int decimals)
{
    return FormatSpinNumber(value, decimals, false, false, UserSeparators());
}

bool TsDecimalSpinEdit::ParseNumber(const String& text, double& value)
{
    return TryReadSpinText(text, UserSeparators(), false, value);
}

String TsDecimalSpinEdit::FormatText() const
{
    return FSpin.FormatText(UserSeparators());
}

double TsDecimalSpinEdit::Value() const
{
    if (!TextChanging) return FSpin.Value;
    return SpinTextToValue(Text(), UserSeparators(), FSpin.ShowThousandSeparator);
}

void TsDecimalSpinEdit::SetValue(double value)
{
    if (value == FSpin.Value) return;
    FSpin.Value = FSpin.Clamped(value);
    if (TextChanging) return;   // the text is the user's
    ValueChanging = true;
    UpdateText();
    if (!HasState(csLoading)) TCustomEdit::Change();
    ValueChanging = false;
}

void TsDecimalSpinEdit::UpdateText()
{
    const String text = FormatText();
    if (HWND h = ExistingHandle())
        SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    else
        SetText(text);
}

void TsDecimalSpinEdit::WriteFormattedText()
{
    if (TextChanging) return;
    const bool held = ValueChanging;
    ValueChanging = true;
    UpdateText();
    ValueChanging = held;
}

void TsDecimalSpinEdit::SetDecimalPlaces(int n)
{
    if (n < 0) n = 0;
    if (n == FSpin.DecimalPlaces) return;
    FSpin.DecimalPlaces = n;
    // The value goes through the setter again, so the text takes the new format.
    const double old = FSpin.Value;
    FSpin.Value = 0;
    const double limited = LimitValue(old);
    SetValue(limited);
    if (limited == 0) WriteFormattedText();   // the setter leaves an unchanged 0 alone
}

void TsDecimalSpinEdit::SetHideExcessZeros(bool on)
{
    if (FSpin.HideExcessZeros == on) return;
    FSpin.HideExcessZeros = on;
    if (!HasState(csLoading)) WriteFormattedText();
}

void TsDecimalSpinEdit::SetShowThousandSeparator(bool on)
{
    if (FSpin.ShowThousandSeparator == on) return;
    FSpin.ShowThousandSeparator = on;
    WriteFormattedText();
}

void TsDecimalSpinEdit::Change()
{
    // Our own text writes report their change once, from SetValue.
    if (ValueChanging) return;
    TextChanging = true;
    SetValue(SpinTextToValue(Text(), UserSeparators(), FSpin.ShowThousandSeparator));
    TextChanging = false;
    TCustomEdit::Change();
}

void TsDecimalSpinEdit::StepUp()
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    if (OnUpClick) {
        OnUpClick(this);
        return;
    }
    SetValue(Value() + FSpin.Increment);
}

void TsDecimalSpinEdit::StepDown()
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    if (OnDownClick) {
        OnDownClick(this);
        return;
    }
    SetValue(Value() - FSpin.Increment);
}

bool TsDecimalSpinEdit::AcceptsChar(wchar_t& key)
{
    const String text = Text();
    TacSpinKeyInput in = KeyInput();
    in.Text = text;
    const TacSpinKeyResult r = DecimalSpinAcceptsChar(in, key, FSpin.MinValue);
    if (r.Accepted && (r.SelStart != in.SelStart || r.SelLength != in.SelLength)) {
        SetSelStart(r.SelStart);
        SetSelLength(r.SelLength);
    }
    key = r.Key;
    return r.Accepted;
}

bool TsDecimalSpinEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    if (TsBaseSpinEdit::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    if (ReadOnly()) return false;
    SetValue(Value() + SpinWheelSteps(wheelDelta) * FSpin.Increment);
    return true;
}

void TsDecimalSpinEdit::DoExit()
{
    TsBaseSpinEdit::DoExit();
    const double v = Value();
    if (LimitValue(v) != v) SetValue(LimitValue(v));
    WriteFormattedText();
}

void TsDecimalSpinEdit::WndProc(TMessage& m)
{
    if (m.Msg == WM_SETTEXT) {
        TsBaseSpinEdit::WndProc(m);
        if (Text().empty()) FSpin.Value = 0;   // directly, without an event
        return;
    }
    if (m.Msg != WM_PASTE || !EditorEnabled() || ReadOnly()) {
        TsBaseSpinEdit::WndProc(m);
        return;
    }
    // A paste that leaves no number behind gives the value back.
    const double before = Value();
    TsBaseSpinEdit::WndProc(m);
    const String text = Text();
    const String kept = SpinPastedText(text, before, UserSeparators());
    if (kept != text) SetText(kept);
}

void TsDecimalSpinEdit::Loaded()
{
    TsBaseSpinEdit::Loaded();
    WriteFormattedText();
}
