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

TScrollBox::TScrollBox(TComponent* owner) : TCustomControl(owner)
{
    FControlStyle |= csAcceptsControls;
    FWidth = 185;
    FHeight = 41;
}

void TScrollBox::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.Style |= WS_HSCROLL | WS_VSCROLL;
    p.ExStyle |= WS_EX_CLIENTEDGE;
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
