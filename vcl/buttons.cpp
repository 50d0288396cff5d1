#include "vcl/buttons.h"

#include <algorithm>

void LayoutGlyphAndCaption(const TRect& client, const TSize& glyph, const TSize& text, TButtonLayout layout,
                           int margin, int spacing, TPoint& glyphPos, TRect& textRect)
{
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    int gap = (glyph.cx > 0 && text.cx > 0) ? spacing : 0;
    int total = horizontal ? glyph.cx + gap + text.cx : glyph.cy + gap + text.cy;
    int avail = horizontal ? client.Width() : client.Height();
    int start = margin >= 0 ? margin : (avail - total) / 2;
    int cx = client.left + (client.Width() - glyph.cx) / 2, cy = client.top + (client.Height() - glyph.cy) / 2;
    int tx = client.left + (client.Width() - text.cx) / 2, ty = client.top + (client.Height() - text.cy) / 2;
    switch (layout) {
    case blGlyphLeft:
        glyphPos = {client.left + start, cy};
        tx = glyphPos.x + glyph.cx + gap;
        break;
    case blGlyphRight:
        glyphPos = {client.right - start - glyph.cx, cy};
        tx = glyphPos.x - gap - text.cx;
        break;
    case blGlyphTop:
        glyphPos = {cx, client.top + start};
        ty = glyphPos.y + glyph.cy + gap;
        break;
    case blGlyphBottom:
        glyphPos = {cx, client.bottom - start - glyph.cy};
        ty = glyphPos.y - gap - text.cy;
        break;
    }
    textRect = Bounds(tx, ty, text.cx, text.cy);
}

namespace {

void DrawGlyphAndText(TCanvas* c, const TRect& client, TBitmap* glyph, int numGlyphs, int state, const String& text,
                      TButtonLayout layout, int margin, int spacing, bool enabled)
{
    TSize gs;
    if (glyph && !glyph->Empty()) gs = {glyph->Width() / std::max(1, numGlyphs), glyph->Height()};
    TSize ts = text.empty() ? TSize() : c->TextExtent(text);
    TPoint gp;
    TRect tr;
    LayoutGlyphAndCaption(client, gs, ts, layout, margin, spacing, gp, tr);
    if (gs.cx > 0) {
        int index = std::min(state, numGlyphs - 1);
        TBitmap part(gs.cx, gs.cy);
        part.Canvas()->CopyRect(TRect(0, 0, gs.cx, gs.cy), glyph->Canvas(), Bounds(index * gs.cx, 0, gs.cx, gs.cy));
        part.SetTransparent(true);
        c->Draw(gp.x, gp.y, &part);
    }
    if (!text.empty()) {
        c->Brush()->SetStyle(bsClear);
        if (!enabled) c->Font()->SetColor(clGrayText);
        c->TextRect(tr, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
}

}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(new TBitmap())
{
    FGlyph->OnChange = Bind<&TBitBtn::GlyphChanged>(this);
}

TBitBtn::~TBitBtn()
{
    delete FGlyph;
}

void TBitBtn::CreateParams(TCreateParams& p)
{
    TButton::CreateParams(p);
    p.Style = (p.Style & ~BS_TYPEMASK) | BS_OWNERDRAW;
}

void TBitBtn::SetGlyph(const TBitmap* b)
{
    FGlyph->Assign(b);
}

void TBitBtn::GlyphChanged(TObject*)
{
    if (FGlyph->Width() > 0 && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0)
        FNumGlyphs = std::clamp(FGlyph->Width() / FGlyph->Height(), 1, 4);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(int n)
{
    FNumGlyphs = std::clamp(n, 1, 4);
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind k)
{
    if (k == FKind) return;
    FKind = k;
    struct KindInfo {
        const wchar_t* caption;
        TModalResult result;
    };
    static const KindInfo infos[] = {{L"", mrNone},       {L"OK", mrOk},         {L"Cancel", mrCancel}, {L"&Help", mrNone},
                                      {L"&Yes", mrYes},   {L"&No", mrNo},        {L"&Close", mrNone},   {L"Abort", mrAbort},
                                      {L"&Retry", mrRetry}, {L"&Ignore", mrIgnore}, {L"&All", mrAll}};
    if (k != bkCustom) {
        SetCaption(infos[k].caption);
        FModalResult = infos[k].result;
        if (k == bkOK || k == bkYes) SetDefault(true);
        if (k == bkCancel || k == bkNo) FCancel = true;
    }
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout l)
{
    FLayout = l;
    Invalidate();
}

void TBitBtn::SetMargin(int m)
{
    FMargin = m;
    Invalidate();
}

void TBitBtn::SetSpacing(int s)
{
    FSpacing = s;
    Invalidate();
}

void TBitBtn::Click()
{
    // A Close button closes its form.
    if (FKind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) form->Close();
        TButtonControl::Click();
        return;
    }
    TButton::Click();
}

void TBitBtn::SetButtonStyle(bool isDefault)
{
    // Owner-drawn: keep the style, repaint with or without the default frame.
    if (isDefault != FIsFocused) {
        FIsFocused = isDefault;
        Invalidate();
    }
}

void TBitBtn::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_DRAWITEM: CNDrawItem(m); break;
    case CN_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
        mis->itemWidth = static_cast<UINT>(FWidth);
        mis->itemHeight = static_cast<UINT>(FHeight);
        m.Result = 1;
        break;
    }
    default: TButton::Dispatch(m); break;
    }
}

void TBitBtn::CNDrawItem(TMessage& m)
{
    DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam));
    m.Result = 1;
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& dis)
{
    bool pressed = (dis.itemState & ODS_SELECTED) != 0;
    bool isDefault = FIsFocused || (dis.itemState & ODS_FOCUS);
    TCanvas c;
    c.SetHandle(dis.hDC);
    int saved = SaveDC(dis.hDC);
    RECT r = dis.rcItem;
    if (isDefault) {
        c.Brush()->SetColor(clWindowFrame);
        c.FrameRect(r);
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dis.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | DFCS_ADJUSTRECT);
    TRect client = r;
    if (pressed) client.Offset(1, 1);
    c.Font()->Assign(FFont);
    int state = !FEnabled ? 1 : pressed ? 2 : 0;
    DrawGlyphAndText(&c, client, FGlyph, FNumGlyphs, state, Caption(), FLayout, FMargin, FSpacing, FEnabled);
    if (dis.itemState & ODS_FOCUS) {
        RECT fr = dis.rcItem;
        InflateRect(&fr, -4, -4);
        DrawFocusRect(dis.hDC, &fr);
    }
    RestoreDC(dis.hDC, saved);
    c.SetHandle(nullptr);
}

// ================================================================================================
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(new TBitmap())
{
    FWidth = 23;
    FHeight = 22;
    FControlStyle = csCaptureMouse | csDoubleClicks;
}

TSpeedButton::~TSpeedButton()
{
    delete FGlyph;
}

void TSpeedButton::SetGlyph(const TBitmap* b)
{
    FGlyph->Assign(b);
    Invalidate();
}

void TSpeedButton::SetDown(bool on)
{
    if (on == FDown) return;
    if (!on && FGroupIndex != 0 && !FAllowAllUp) return;
    FDown = on;
    // Buttons of one group behave as radio buttons.
    if (on && FGroupIndex != 0 && FParent)
        for (int i = 0; i < FParent->ControlCount(); ++i)
            if (auto* s = dynamic_cast<TSpeedButton*>(FParent->Controls(i)); s && s != this && s->FGroupIndex == FGroupIndex) {
                s->FDown = false;
                s->Invalidate();
            }
    Invalidate();
}

void TSpeedButton::SetFlat(bool on)
{
    FFlat = on;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout l)
{
    FLayout = l;
    Invalidate();
}

void TSpeedButton::Click()
{
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TGraphicControl::MouseDown(b, s, x, y);
    if (b == mbLeft && FEnabled) {
        FPressed = true;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    bool wasPressed = FPressed;
    FPressed = false;
    Invalidate();
    TGraphicControl::MouseUp(b, s, x, y);
    if (b == mbLeft && wasPressed && ClientRect().Contains(TPoint(x, y))) {
        if (FGroupIndex != 0) SetDown(!FDown || !FAllowAllUp ? true : false);
        Click();
    }
}

void TSpeedButton::Dispatch(TMessage& m)
{
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) Invalidate();
    TGraphicControl::Dispatch(m);
}

void TSpeedButton::Paint()
{
    RECT r{0, 0, FWidth, FHeight};
    HDC dc = FCanvas->Handle();
    bool down = FDown || FPressed;
    if (!FFlat || down || FMouseInClient)
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0) | DFCS_ADJUSTRECT);
    else {
        FCanvas->Brush()->SetColor(FColor);
        FCanvas->FillRect(r);
    }
    TRect client = r;
    if (down) client.Offset(1, 1);
    FCanvas->Font()->Assign(FFont);
    int state = !FEnabled ? 1 : down ? 2 : 0;
    DrawGlyphAndText(FCanvas, client, FGlyph, 1, state, FText, FLayout, -1, 4, FEnabled);
}
