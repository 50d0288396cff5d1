#include "skin/engine/control_painting.h"

#include <algorithm>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/form_services.h"
#include "skin/graphics/background.h"
#include "skin/graphics/paint32.h"
#include "vcl/buttons.h"
#include "vcl/comctrls.h"
#include "vcl/forms.h"

namespace {

// Moves the DC's origin by (dx, dy) relative to where it stands.
void MoveOrigin(HDC dc, int dx, int dy)
{
    POINT o{};
    GetViewportOrgEx(dc, &o);
    SetViewportOrgEx(dc, o.x + dx, o.y + dy, nullptr);
}

bool Designing(const TControl* c) { return c->HasState(csDesigning); }

// The parent's background under a control that is not painted.
void FillWithParentBackground(TBitmap* bmp, TControl* control, int x, int y)
{
    TacBgQuery q;
    GetControlBackground(q, control->Parent(), false);
    TCanvas* canvas = bmp->Canvas();
    const int w = control->Width(), h = control->Height();
    if (q.Kind == bgBitmap && q.Bmp) {
        BitBlt(canvas->Handle(), x, y, w, h, q.Bmp->Canvas()->Handle(), control->Left() + q.Offset.x,
               control->Top() + q.Offset.y, SRCCOPY);
    } else {
        HBRUSH brush = CreateSolidBrush(ColorToColorRef(q.Color));
        RECT r{x, y, x + w, y + h};
        FillRect(canvas->Handle(), &r, brush);
        DeleteObject(brush);
    }
}

// The window announces (or leaves) print mode: answers the window's reply.
LRESULT SetPrintDC(HWND wnd, HDC dc) { return SendSkinCommand(wnd, scmSetPrintDC, reinterpret_cast<LPARAM>(dc)); }

bool DrawingGraphicChildren = false;

}  // namespace

void PaintWindowedChildren(TWinControl* control, TBitmap* bmp)
{
    HDC dc = bmp->Canvas()->Handle();
    for (int i = 0; i < control->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(control->Controls(i));
        if (!child || !(child->Visible() || Designing(child)) || !child->HandleAllocated()) continue;
        if (dynamic_cast<TCustomForm*>(child) && !child->Parent()) {
            TSavedDC saved(dc);
            PaintControlToBitmap(bmp, child, 0, 0, nullptr, false);
        } else {
            PaintChildAtItsPlace(bmp, child);
        }
    }
}

void PaintChildAtItsPlace(TBitmap* bmp, TControl* child)
{
    HDC dc = bmp->Canvas()->Handle();
    TSavedDC saved(dc);
    MoveOrigin(dc, child->Left(), child->Top());
    PaintControlToBitmap(bmp, child, 0, 0, nullptr, false);
}

void PaintControlToBitmap(TBitmap* bmp, TControl* control, int x, int y, TObject* provider, bool withOverlapping)
{
    if (!bmp || !control) return;
    TWinControl* parent = control->Parent();
    int sheetBorder = 0;
    if (!provider && parent && !control->Visible() && !Designing(control)) {
        FillWithParentBackground(bmp, control, x, y);
    } else {
        TCanvas* canvas = bmp->Canvas();
        canvas->Lock();
        struct TUnlock {
            TCanvas* c;
            ~TUnlock() { c->Unlock(); }
        } unlock{canvas};
        HDC dc = canvas->Handle();
        TSavedDC clipState(dc);
        const bool borderForm = provider && FormServices().ProviderHasBorderForm(provider);
        if (!borderForm) IntersectClipRect(dc, 0, 0, control->Width(), control->Height());

        if (auto* w = dynamic_cast<TWinControl*>(control)) {
            if (auto* form = dynamic_cast<TCustomForm*>(w); form && form->FormStyle() == fsMDIForm) {
                for (int i = 0; i < form->ControlCount(); ++i) {
                    auto* mdi = dynamic_cast<TCustomForm*>(form->Controls(i));
                    if (!mdi || mdi->FormStyle() != fsMDIChild) continue;
                    TSavedDC saved(dc);
                    MoveOrigin(dc, mdi->Left(), mdi->Top());
                    PaintControlToBitmap(bmp, mdi, mdi->Left(), mdi->Top(), nullptr, false);
                }
            }
            HWND wnd = w->Handle();
            LRESULT answer = SetPrintDC(wnd, dc);
            if (answer == 1 || WndIsSkinned(wnd)) {
                answer = DeliverWindowMessage(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
                SetPrintDC(wnd, nullptr);
            } else {
                w->PaintTo(dc, 0, 0);
            }
            if (answer != -2) PaintWindowedChildren(w, bmp);
            if (provider) {
                if (borderForm) {
                    TPoint o = FormServices().ProviderClientOffset(provider);
                    TRect r(w->ClientRect());
                    r.Offset(o.x, o.y);
                    r.bottom = std::min<int>(r.bottom, bmp->Height() - 1);
                    SetRectAlpha32(bmp, r, 255, static_cast<uint32_t>(clNone));
                }
                SendSkinCommand(wnd, scmFormImage, reinterpret_cast<LPARAM>(bmp));
            } else if (auto* sheet = dynamic_cast<TTabSheet*>(w)) {
                sheetBorder = sheet->BorderWidth();
            }
        } else {
            SendSkinCommandToControl(control, scmSetPrintDC, reinterpret_cast<LPARAM>(dc));
            control->Perform(WM_PRINT, reinterpret_cast<WPARAM>(dc), 0);
            SendSkinCommandToControl(control, scmSetPrintDC, 0);
        }
    }
    // A bordered tab sheet leaves the origin moved up and left by its border; done outside the
    // saved clip state so that the caller sees it.
    if (sheetBorder != 0) MoveOrigin(bmp->Canvas()->Handle(), -sheetBorder, -sheetBorder);

    if (!withOverlapping || !parent) return;
    HDC dc = bmp->Canvas()->Handle();
    bool after = false;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* sibling = parent->Controls(i);
        if (sibling == control) {
            after = true;
            continue;
        }
        // Cover windows of the transitions are not part of the picture.
        if (!after || !sibling->Visible() || sibling->ClassName() == L"TOutputWindow") continue;
        if (!sibling->BoundsRect().IntersectsWith(control->BoundsRect())) continue;
        TSavedDC saved(dc);
        const int dx = sibling->Left() - control->Left(), dy = sibling->Top() - control->Top();
        MoveOrigin(dc, dx, dy);
        PaintControlToBitmap(bmp, sibling, 0, 0, nullptr, false);
        MoveOrigin(dc, -dx, -dy);
    }
}

void DrawGraphicChildren(HDC dc, TWinControl* parent, bool, const TPoint& offset, bool onlyIfVisible)
{
    if (DrawingGraphicChildren || !parent) return;
    DrawingGraphicChildren = true;
    struct TClear {
        ~TClear() { DrawingGraphicChildren = false; }
    } clear;
    if ((!parent->Visible() && !Designing(parent) && onlyIfVisible) || parent->ControlCount() == 0) return;
    RECT clip{};
    if (GetClipBox(dc, &clip) == NULLREGION || clip.right <= clip.left || clip.bottom <= clip.top) {
        if (parent->HandleAllocated()) SendSkinCommand(parent->Handle(), scmSetHalfVisible, 0);
        return;
    }
    TacBgQuery bg;
    GetControlBackground(bg, parent, false);

    std::vector<TControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (dynamic_cast<TWinControl*>(c)) continue;
        if (!(c->Visible() || Designing(c)) || c->Width() <= 0 || c->Height() <= 0) continue;
        if ((c->ControlStyle() & csNoDesignVisible) || c->HasState(csDestroying)) continue;
        // A tool bar's buttons are drawn by the bar itself.
        if (auto* tb = dynamic_cast<TToolButton*>(c); tb && tb->Style() <= tbsDropDown) continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        children.push_back(c);
    }
    if (children.empty()) return;

    auto* form = dynamic_cast<TCustomForm*>(parent);
    const bool mdi = form && form->FormStyle() == fsMDIForm;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max(1, parent->Width()), std::max(1, parent->Height()));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    struct TRelease {
        HDC mem;
        HBITMAP bitmap;
        HGDIOBJ old;
        ~TRelease()
        {
            SelectObject(mem, old);
            DeleteObject(bitmap);
            DeleteDC(mem);
        }
    } release{mem, bitmap, old};

    auto fill = [&](const TRect& r, TColor color) {
        HBRUSH brush = CreateSolidBrush(ColorToColorRef(color));
        RECT rr = r;
        FillRect(mem, &rr, brush);
        DeleteObject(brush);
    };
    // The background under every child first, so that each paints over what is behind it.
    HDC bgDC = bg.Bmp ? bg.Bmp->Canvas()->Handle() : nullptr;
    for (TControl* c : children) {
        const TRect r = c->BoundsRect();
        if (c->ControlStyle() & csOpaque) {
            fill(r, ControlBackColor(c));
        } else if (bg.Kind == bgBitmap && bgDC) {
            BitBlt(mem, r.left, r.top, r.Width(), r.Height(), bgDC, r.left + bg.Offset.x, r.top + bg.Offset.y, SRCCOPY);
        } else {
            fill(r, bg.Color);
            if (bgDC) {
                // The parent's border strips lie in its bitmap: FillRect holds their widths.
                const TRect& m = bg.FillRect;
                const int pw = parent->Width(), ph = parent->Height();
                const TRect strips[4] = {
                    TRect(0, 0, m.left, ph), TRect(0, 0, pw, m.top),
                    bg.Offset.x >= 0 ? TRect(pw - m.right, 0, pw, ph) : TRect(),
                    bg.Offset.y >= 0 ? TRect(0, ph - m.bottom, pw, ph) : TRect(),
                };
                for (const TRect& s : strips) {
                    TRect part = TRect::Intersect(s, r);
                    if (!part.IsEmpty())
                        BitBlt(mem, part.left, part.top, part.Width(), part.Height(), bgDC, part.left + bg.Offset.x,
                               part.top + bg.Offset.y, SRCCOPY);
                }
            }
        }
    }
    for (TControl* c : children) {
        if (mdi && c->Align() != alNone) c->Perform(MSG_SKINCOMMAND, SkinCommandWParam(scmInvalidate), 0);
        TSavedDC saved(mem);
        SetViewportOrgEx(mem, c->Left(), c->Top(), nullptr);
        IntersectClipRect(mem, 0, 0, c->Width(), c->Height());
        const bool copy = (parent->ControlState() & csPaintCopy) != 0;
        if (copy) c->SetControlState(c->ControlState() | csPaintCopy);
        struct TClearCopy {
            TControl* c;
            ~TClearCopy() { c->SetControlState(c->ControlState() & ~csPaintCopy); }
        } clearCopy{c};
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    }
    for (TControl* c : children) {
        if (GetPixel(mem, c->Left(), c->Top()) == RGB(255, 0, 255)) continue;   // painted nothing
        BitBlt(dc, c->Left() + offset.x, c->Top() + offset.y, c->Width(), c->Height(), mem, c->Left(), c->Top(), SRCCOPY);
    }
}

void ClearRectsInBitmap(const std::vector<TRect>& rects, TBitmap* bmp)
{
    for (const TRect& r : rects) FillRectAlpha32(bmp, r, 0, 0);
}
