#include "skin/controls/sgroupbox.h"

TsGroupBox::TsGroupBox(TComponent* owner) : TacSkinFrame<TGroupBox>(owner, ackind::GroupBox) {}

void TsGroupBox::SetCheckBoxAutoEnable(bool on)
{
    if (FCheckBoxAutoEnable == on) return;
    FCheckBoxAutoEnable = on;
    UpdateChildStates();
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
        Invalidate();
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
