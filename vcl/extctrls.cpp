#include "vcl/extctrls.h"

#include <algorithm>

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                    csReplicatable | csParentBackground;
    FWidth = 185;
    FHeight = 41;
}

TRect TCustomPanel::ClientRect() const
{
    // The bevels are not client space for aligned children.
    TRect r = TCustomControl::ClientRect();
    int inset = (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
    r.Inflate(-inset, -inset);
    return r;
}

void TCustomPanel::Paint()
{
    TRect r(0, 0, FWidth, FHeight);
    TCanvas* c = FCanvas;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        RECT er = r;
        UINT edge = cut == bvLowered ? BDR_SUNKENOUTER : cut == bvRaised ? BDR_RAISEDINNER : 0;
        for (int i = 0; i < FBevelWidth; ++i) {
            if (edge) DrawEdge(c->Handle(), &er, edge, BF_RECT | BF_ADJUST);
            else InflateRect(&er, -1, -1);
        }
        r = er;
    };
    bevel(FBevelOuter);
    bevel(FBevelInner);
    if (FShowCaption && !FText.empty()) {
        UINT flags = DT_SINGLELINE | DT_EXPANDTABS;
        flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
        flags |= FVerticalAlignment == taAlignTop ? DT_TOP : FVerticalAlignment == taAlignBottom ? DT_BOTTOM : DT_VCENTER;
        c->Brush()->SetStyle(bsClear);
        c->Font()->Assign(FFont);
        if (!FEnabled) c->Font()->SetColor(clGrayText);
        c->TextRect(r, FText, flags);
    }
}

void TCustomPanel::Dispatch(TMessage& m)
{
    if (m.Msg == CM_TEXTCHANGED) {
        Invalidate();
        TCustomControl::Dispatch(m);
        return;
    }
    TCustomControl::Dispatch(m);
}

void TCustomPanel::SetBevelOuter(TBevelCut b)
{
    FBevelOuter = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut b)
{
    FBevelInner = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int w)
{
    FBevelWidth = std::max(1, w);
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment a)
{
    FAlignment = a;
    Invalidate();
}

void TCustomPanel::SetVerticalAlignment(TVerticalAlignment a)
{
    FVerticalAlignment = a;
    Invalidate();
}

void TCustomPanel::SetShowCaption(bool on)
{
    FShowCaption = on;
    Invalidate();
}

// ---- TControlScrollBar

int TControlScrollBar::ClientSize() const
{
    TRect r = FControl->ClientRect();
    return FKind == sbHorizontal ? r.Width() : r.Height();
}

int TControlScrollBar::MaxPosition() const
{
    return std::max(0, FRange - ClientSize());
}

bool TControlScrollBar::IsScrollBarVisible() const
{
    return FVisible && FRange > ClientSize();
}

void TControlScrollBar::SetRange(int range)
{
    range = std::max(0, range);
    if (range == FRange) return;
    FRange = range;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool on)
{
    if (on == FVisible) return;
    FVisible = on;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int v)
{
    v = std::clamp(v, 0, MaxPosition());
    if (v == FPosition) return;
    int delta = FPosition - v;
    FPosition = v;
    if (FKind == sbHorizontal) FControl->ScrollBy(delta, 0);
    else FControl->ScrollBy(0, delta);
    Update();
}

void TControlScrollBar::Update()
{
    HWND h = FControl->ExistingHandle();
    if (!h) return;
    int bar = FKind == sbHorizontal ? SB_HORZ : SB_VERT;
    bool show = IsScrollBarVisible();
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = show ? FRange - 1 : 0;
    si.nPage = show ? static_cast<UINT>(ClientSize()) : 0;
    si.nPos = show ? FPosition : 0;
    if (show) SetScrollInfo(h, bar, &si, TRUE);
    ShowScrollBar(h, bar, show);
    if (show) SetScrollInfo(h, bar, &si, TRUE);
}

void TControlScrollBar::Scroll(int code, int thumb)
{
    int page = std::max(1, ClientSize() - FIncrement);
    switch (code) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetPosition(thumb); break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(MaxPosition()); break;
    default: break;
    }
}

// ---- TScrollingWinControl

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TCustomControl(owner), FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical))
{
    FControlStyle |= csAcceptsControls;
}

TScrollingWinControl::~TScrollingWinControl()
{
    delete FHorzScrollBar;
    delete FVertScrollBar;
}

void TScrollingWinControl::SetAutoScroll(bool on)
{
    if (on == FAutoScroll) return;
    FAutoScroll = on;
    UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect)
{
    TCustomControl::AlignControls(control, rect);
    UpdateScrollBars();
}

void TScrollingWinControl::UpdateScrollBars()
{
    // Showing a bar changes the client size, which aligns again: once is enough.
    if (FUpdatingBars || HasState(csDestroying)) return;
    FUpdatingBars = true;
    try {
        for (int pass = 0; pass < 2; ++pass) {
            if (FAutoScroll) {
                // The contents' extent in unscrolled coordinates.
                int right = 0, bottom = 0;
                for (int i = 0; i < ControlCount(); ++i) {
                    TControl* c = Controls(i);
                    if (!c->Visible() || c->Align() != alNone) continue;
                    right = std::max(right, c->Left() + c->Width() + FHorzScrollBar->FPosition);
                    bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar->FPosition);
                }
                FHorzScrollBar->FRange = right;
                FVertScrollBar->FRange = bottom;
            }
            FHorzScrollBar->Update();
            FVertScrollBar->Update();
        }
        // A larger client area may leave the contents scrolled too far.
        for (TControlScrollBar* bar : {FHorzScrollBar, FVertScrollBar})
            if (bar->FPosition > bar->MaxPosition()) bar->SetPosition(bar->MaxPosition());
    } catch (...) {
        FUpdatingBars = false;
        throw;
    }
    FUpdatingBars = false;
}

void TScrollingWinControl::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0) return;
    // The children move; their anchor reference moves with them, so a later resize does not
    // undo the scrolling.
    DisableAlign();
    FControlState |= csAligning;
    try {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
            OffsetAnchorReference(c, dx, dy);
        }
    } catch (...) {
        FControlState &= ~csAligning;
        EnableAlign();
        throw;
    }
    FControlState &= ~csAligning;
    FAlignLevel--;   // no realign: the children are where they belong
    if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TScrollingWinControl::ScrollInView(TControl* control)
{
    if (!control || control->Parent() != this) return;
    TRect cr = ClientRect();
    TRect b = control->BoundsRect();
    if (b.left < 0) FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + b.left);
    else if (b.right > cr.right) FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + std::min(b.right - cr.right, b.left));
    if (b.top < 0) FVertScrollBar->SetPosition(FVertScrollBar->Position() + b.top);
    else if (b.bottom > cr.bottom) FVertScrollBar->SetPosition(FVertScrollBar->Position() + std::min(b.bottom - cr.bottom, b.top));
}

void TScrollingWinControl::WMScroll(TMessage& m)
{
    // The window's own bars send no window in LParam; a child's bar is its own business.
    if (m.LParam != 0) {
        TCustomControl::WMScroll(m);
        return;
    }
    TControlScrollBar* bar = m.Msg == WM_HSCROLL ? FHorzScrollBar : FVertScrollBar;
    int thumb = HIWORD(m.WParam);
    if (LOWORD(m.WParam) == SB_THUMBTRACK || LOWORD(m.WParam) == SB_THUMBPOSITION) {
        // The 32-bit position (the message carries 16 bits).
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(FHandle, m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si)) thumb = si.nTrackPos;
    }
    bar->Scroll(LOWORD(m.WParam), thumb);
    m.Result = 0;
}

void TScrollingWinControl::WMSize(TMessage& m)
{
    TCustomControl::WMSize(m);
    UpdateScrollBars();
}

bool TScrollingWinControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    TControlScrollBar* bar = (shift & ssShift) || !FVertScrollBar->IsScrollBarVisible() ? FHorzScrollBar : FVertScrollBar;
    if (!bar->IsScrollBarVisible()) return false;
    bar->SetPosition(bar->Position() - wheelDelta / WHEEL_DELTA * bar->Increment() * 3);
    return true;
}

// ---- TScrollBox, TCustomFrame

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner)
{
    FWidth = 185;
    FHeight = 41;
}

void TScrollBox::SetBorderStyle(TBorderStyle s)
{
    if (s != bsNone) s = bsSingle;
    if (s == FBorderStyle) return;
    FBorderStyle = s;
    RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& p)
{
    TScrollingWinControl::CreateParams(p);
    if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TScrollingWinControl(owner)
{
    FControlStyle |= csParentBackground;
    FWidth = 320;
    FHeight = 240;
}

TCustomImage::TCustomImage(TComponent* owner) : TGraphicControl(owner), FPicture(new TPicture())
{
    FControlStyle |= csReplicatable;
    FPicture->OnChange = Bind<&TCustomImage::PictureChanged>(this);
    FWidth = 105;
    FHeight = 105;
}

TCustomImage::~TCustomImage()
{
    delete FPicture;
}

void TCustomImage::PictureChanged(TObject*)
{
    AdjustSize();
    if (TGraphic* g = FPicture->Graphic()) {
        if (FTransparent != g->Transparent()) g->SetTransparent(FTransparent);
        if (g->SupportsPartialTransparency() || FTransparent) FControlStyle &= ~csOpaque;
        else FControlStyle |= csOpaque;
    }
    Invalidate();
}

TRect TCustomImage::DestRect() const
{
    int w = FPicture->Width(), h = FPicture->Height();
    int cw = FWidth, ch = FHeight;
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional && w > 0 && h > 0) {
            // Fit inside, keeping the aspect ratio.
            if (static_cast<int64_t>(cw) * h > static_cast<int64_t>(ch) * w) {
                w = MulDiv(w, ch, h);
                h = ch;
            } else {
                h = MulDiv(h, cw, w);
                w = cw;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (FCenter) r.Offset((cw - w) / 2, (ch - h) / 2);
    return r;
}

void TCustomImage::Paint()
{
    if (TGraphic* g = FPicture->Graphic(); g && !g->Empty()) FCanvas->StretchDraw(DestRect(), g);
}

void TCustomImage::SetStretch(bool on)
{
    FStretch = on;
    Invalidate();
}

void TCustomImage::SetCenter(bool on)
{
    FCenter = on;
    Invalidate();
}

void TCustomImage::SetProportional(bool on)
{
    FProportional = on;
    Invalidate();
}

void TCustomImage::SetTransparent(bool on)
{
    FTransparent = on;
    PictureChanged(this);
}

bool TCustomImage::CanAutoSize(int& newWidth, int& newHeight)
{
    if (FPicture->Width() <= 0 || FPicture->Height() <= 0) return false;
    newWidth = FPicture->Width();
    newHeight = FPicture->Height();
    return true;
}

void TBevel::Paint()
{
    RECT r{0, 0, FWidth, FHeight};
    UINT edge = FStyle == bsLowered ? EDGE_SUNKEN : EDGE_RAISED;
    HDC dc = FCanvas->Handle();
    switch (FShape) {
    case bsBox: DrawEdge(dc, &r, edge, BF_RECT); break;
    case bsFrame: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); break;
    case bsTopLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP); break;
    case bsBottomLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_BOTTOM); break;
    case bsLeftLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT); break;
    case bsRightLine: DrawEdge(dc, &r, EDGE_ETCHED, BF_RIGHT); break;
    default: break;
    }
}
