#include "skin/graphics/background.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/edge_runs.h"
#include "vcl/controls.h"

namespace {

// The parent paints itself into the asker's DC, its point Offset at the DC's origin, clipped to R.
template <typename Deliver>
void PaintParentInto(TacBgQuery& q, Deliver deliver)
{
    if (!q.DC) return;
    const int saved = SaveDC(q.DC);
    POINT origin{};
    GetViewportOrgEx(q.DC, &origin);
    SetViewportOrgEx(q.DC, origin.x - q.Offset.x, origin.y - q.Offset.y, nullptr);
    q.R.Offset(q.Offset.x, q.Offset.y);
    IntersectClipRect(q.DC, q.R.left, q.R.top, q.R.right, q.R.bottom);
    deliver(WM_ERASEBKGND);
    deliver(WM_PAINT);
    RestoreDC(q.DC, saved);
}

}  // namespace

bool GetControlBackground(TacBgQuery& query, TControl* control, bool paintIt)
{
    query.Bmp = nullptr;
    query.Kind = bgNone;
    query.PaintIt = paintIt;
    query.FillRect = TRect();
    if (!control) return true;
    SendSkinCommandToControl(control, scmGetBackground, reinterpret_cast<LPARAM>(&query));
    if (query.Kind != bgNone) return true;
    if (paintIt) {
        PaintParentInto(query, [&](UINT msg) { control->Perform(msg, reinterpret_cast<WPARAM>(query.DC), 0); });
        return true;
    }
    query.Kind = bgColor;
    query.Color = TColor(SendSkinCommandToControl(control, scmGetBGColor, 0));
    if (query.Color == 0) query.Color = ColorToRGB(control->Color());
    return true;
}

bool GetWindowBackground(TacBgQuery& query, HWND wnd, bool paintIt)
{
    query.Kind = bgNone;
    query.PaintIt = paintIt;
    query.FillRect = TRect();
    SendSkinCommand(wnd, scmGetBackground, reinterpret_cast<LPARAM>(&query));
    if (query.Kind != bgNone) return true;
    if (paintIt) {
        PaintParentInto(query, [&](UINT msg) { SendMessageW(wnd, msg, reinterpret_cast<WPARAM>(query.DC), 0); });
        return false;
    }
    const TacSkinPaintSource* skin = SkinPaintSourceOf(nullptr);
    query.Color = skin && skin->IsActive() ? skin->GlobalColor() : clBtnFace;
    query.Kind = bgColor;
    return false;
}

TCacheInfo BgInfoToCacheInfo(const TacBgQuery& query)
{
    TCacheInfo ci;
    ci.Bmp = BitmapView(query.Bmp);
    ci.X = query.Offset.x;
    ci.Y = query.Offset.y;
    if (query.Kind == bgBitmap) {
        ci.FillColor = 0xFF00FF;
        ci.FillRect = TRect();
        ci.Ready = true;
    } else {
        ci.FillColor = ColorToRGB(query.Color);
        ci.FillRect = query.FillRect;
        ci.Ready = false;
    }
    return ci;
}

void CollectColorRuns(std::vector<TRect>& rects, TBitmap* bitmap, uint32_t color)
{
    CollectColorRuns(rects, BitmapView(bitmap), color);
}

void CreateRegionWithoutColor(HRGN& region, TBitmap* bitmap, uint32_t color)
{
    region = nullptr;
    if (!bitmap) return;
    std::vector<TRect> runs;
    CollectColorRuns(runs, BitmapView(bitmap), color);
    region = CreateRectRgn(0, 0, bitmap->Width(), bitmap->Height());
    for (const TRect& r : runs) {
        HRGN hole = CreateRectRgn(r.left, r.top, r.right, r.bottom);
        CombineRgn(region, region, hole, RGN_DIFF);
        DeleteObject(hole);
    }
}
