#include "skin/controls/sspinedit.h"

#include <cmath>
#include <commctrl.h>


namespace {

constexpr int kArrowWidth = 16;

TacNumberSeparators UserSeparators()
{
    TacNumberSeparators seps;
    wchar_t buf[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8) > 0 && buf[0]) seps.Decimal = buf[0];
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, buf, 8) > 0 && buf[0]) seps.Thousand = buf[0];
    return seps;
}

}  // namespace

TsDecimalSpinEdit::TsDecimalSpinEdit(TComponent* owner) : TacSkinFrame<TCustomEdit>(owner, ackind::Edit)
{
    FText = FormatNumber(0, FSpin.DecimalPlaces);
}

String TsDecimalSpinEdit::FormatNumber(double value, int decimals)
{
    return FormatSpinNumber(value, decimals, false, false, UserSeparators());
}

bool TsDecimalSpinEdit::ParseNumber(const String& text, double& value)
{
    return TryReadSpinText(text, UserSeparators(), false, value);
}

double TsDecimalSpinEdit::Value() const
{
    if (!FEditing) return FSpin.Value;
    double v = 0;
    return ParseNumber(Text(), v) ? v : 0;
}

void TsDecimalSpinEdit::SetValue(double value)
{
    value = FSpin.Clamped(value);
    if (value == FSpin.Value && !FEditing) return;
    FSpin.Value = value;
    FEditing = false;
    RefreshText();
    if (!HasState(csLoading)) TCustomEdit::Change();
}

void TsDecimalSpinEdit::SetDecimalPlaces(int n)
{
    if (n < 0) n = 0;
    if (n == FSpin.DecimalPlaces) return;
    FSpin.DecimalPlaces = n;
    RefreshText();
}

void TsDecimalSpinEdit::RefreshText()
{
    FSettingText = true;
    SetText(FormatNumber(FSpin.Value, FSpin.DecimalPlaces));
    FSettingText = false;
}

void TsDecimalSpinEdit::Change()
{
    // Our own text refreshes report their change once, from SetValue.
    if (FSettingText) return;
    FEditing = true;
    TCustomEdit::Change();
}

void TsDecimalSpinEdit::Commit()
{
    if (!FEditing) return;
    double v = 0;
    if (!ParseNumber(Text(), v)) v = FSpin.Value;   // keep the last good value for text that is no number
    FEditing = false;
    FSpin.Value = FSpin.Clamped(v);
    RefreshText();
}

void TsDecimalSpinEdit::Step(int direction)
{
    Commit();
    SetValue(FSpin.Value + direction * FSpin.Increment);
}

void TsDecimalSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_UP || key == VK_DOWN) {
        Step(key == VK_UP ? 1 : -1);
        key = 0;
        return;
    }
    if (key == VK_RETURN) Commit();
    TCustomEdit::KeyDown(key, shift);
}

void TsDecimalSpinEdit::DoExit()
{
    Commit();
    TCustomEdit::DoExit();
}

void TsDecimalSpinEdit::Loaded()
{
    TacSkinFrame<TCustomEdit>::Loaded();
    FSpin.Value = FSpin.Clamped(FSpin.Value);
    RefreshText();
}

void TsDecimalSpinEdit::CreateWnd()
{
    TCustomEdit::CreateWnd();
    InitCommonControlsOnce();
    // The arrows are a child of the edit, so their notifications come to us.
    FArrows = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, kArrowWidth, 10, Handle(),
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (FArrows) {
        SendMessageW(FArrows, UDM_SETRANGE32, static_cast<WPARAM>(-100), 100);
        SendMessageW(FArrows, UDM_SETPOS32, 0, 0);
    }
    PlaceArrows();
}

void TsDecimalSpinEdit::PlaceArrows()
{
    if (!FArrows || !HandleAllocated()) return;
    RECT rc{};
    GetClientRect(Handle(), &rc);
    MoveWindow(FArrows, rc.right - kArrowWidth, 0, kArrowWidth, rc.bottom, TRUE);
    SendMessageW(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kArrowWidth + 1));
}

void TsDecimalSpinEdit::Dispatch(TMessage& m)
{
    if (m.Msg == WM_NOTIFY && FArrows) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr && hdr->hwndFrom == FArrows && hdr->code == UDN_DELTAPOS) {
            auto* ud = reinterpret_cast<NMUPDOWN*>(m.LParam);
            Step(ud->iDelta > 0 ? 1 : -1);
            m.Result = 1;   // the arrows' own position stays put, so they never reach an end
            return;
        }
    }
    if (m.Msg == WM_VSCROLL && reinterpret_cast<HWND>(m.LParam) == FArrows && FArrows) {
        m.Result = 0;
        return;
    }
    TCustomEdit::Dispatch(m);
    if (m.Msg == WM_SIZE) PlaceArrows();
    if (m.Msg == WM_NCDESTROY) FArrows = nullptr;
}
