#include "skin/graphics/bitmaps32.h"

#include <algorithm>
#include <vector>

#include "skin/engine/system_routines.h"
#include "skin/graphics/glyph_layout.h"
#include "skin/graphics/item_paint.h"
#include "vcl/controls.h"

TUpdateLayeredWindowFunc BoundUpdateLayeredWindow = nullptr;
TSetLayeredWindowAttributesFunc BoundSetLayeredWindowAttributes = nullptr;

namespace {

TSetLayoutFunc BoundSetLayout = nullptr;
TGetLayoutFunc BoundGetLayout = nullptr;
HMODULE Gdi32Module = nullptr;
HMODULE User32Module = nullptr;
int InitCount = 0;

// A solid brush selected into a DC for one fill, released on every exit.
class TDCBrush {
public:
    TDCBrush(HDC dc, TColor color) : FDC(dc)
    {
        FSaved = SaveDC(dc);
        FBrush = CreateSolidBrush(ColorToColorRef(color));
        FOld = SelectObject(dc, FBrush);
    }
    ~TDCBrush()
    {
        SelectObject(FDC, FOld);
        DeleteObject(FBrush);
        RestoreDC(FDC, FSaved);
    }
    HBRUSH Brush() const { return FBrush; }

private:
    HDC FDC;
    int FSaved;
    HBRUSH FBrush;
    HGDIOBJ FOld;
};

}  // namespace

// ---- bitmaps ---------------------------------------------------------------------------------

TBitmap* NewBitmap32(int width, int height)
{
    auto* b = new TBitmap();
    try {
        b->SetIgnorePalette(true);
        b->SetPixelFormat(pf32bit);
        b->SetHandleType(bmDIB);
        b->SetSize(std::max(width, 0), std::max(height, 0));
    } catch (...) {
        try {
            b->SetSize(0, 0);
        } catch (...) {
        }
    }
    return b;
}

TBitmap* NewBitmap32ForRect(const TRect& r)
{
    return NewBitmap32(std::max(int(r.right - r.left), 0), std::max(int(r.bottom - r.top), 0));
}

TBitmap* NewBitmap32ForSize(const TSize& size)
{
    return NewBitmap32(size.cx, size.cy);
}

TBitmap* NewBitmap32Like(const TBitmap* bitmap)
{
    return NewBitmap32(bitmap ? bitmap->Width() : 0, bitmap ? bitmap->Height() : 0);
}

TBitmap* NewBitmap32ForControl(const TControl* control)
{
    return NewBitmap32(control ? control->Width() : 0, control ? control->Height() : 0);
}

TBitmap* NewBitmapLike(const TBitmap* bitmap)
{
    TBitmap* b = NewBitmap32(0, 0);
    if (!bitmap) return b;
    try {
        b->SetSize(bitmap->Width(), bitmap->Height());
        b->SetPixelFormat(bitmap->PixelFormat());
    } catch (...) {
        b->SetSize(0, 0);
    }
    return b;
}

void CloneBitmapInto(TBitmap* dest, TBitmap* source)
{
    if (!dest || !source) return;
    dest->SetPixelFormat(source->PixelFormat());
    dest->SetHandleType(bmDIB);
    dest->SetSize(source->Width(), source->Height());
    if (source->Empty()) return;
    BitBlt(dest->Canvas()->Handle(), 0, 0, source->Width(), source->Height(), source->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void SetPixelFormat32(TBitmap*& bitmap)
{
    if (bitmap) bitmap->SetPixelFormat(pf32bit);
}

bool GetBitmapRows(TBitmap* bitmap, uint8_t*& row0, ptrdiff_t& stride)
{
    if (!bitmap || bitmap->Height() <= 0 || bitmap->Width() <= 0) return false;
    GdiFlush();   // GDI may still hold drawing for the section
    row0 = static_cast<uint8_t*>(bitmap->ScanLine(0));
    stride = bitmap->Height() > 1 ? static_cast<uint8_t*>(bitmap->ScanLine(1)) - row0 : 0;
    return true;
}

TPixelView DCBitmapView(HDC dc)
{
    if (!dc || GetObjectType(dc) != OBJ_MEMDC || GetGraphicsMode(dc) != GM_COMPATIBLE || GetMapMode(dc) != MM_TEXT)
        return {};
    POINT viewport{}, window{};
    if (!GetViewportOrgEx(dc, &viewport) || !GetWindowOrgEx(dc, &window) || viewport.x || viewport.y || window.x ||
        window.y || GetDCLayout(dc) != 0)
        return {};
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    const int clipped = GetClipRgn(dc, clip);
    DeleteObject(clip);
    if (clipped != 0) return {};
    DIBSECTION dib{};
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
    if (!selected || GetObjectW(selected, sizeof(dib), &dib) != int(sizeof(dib)) || !dib.dsBm.bmBits ||
        dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmWidth <= 0 || dib.dsBm.bmHeight <= 0)
        return {};
    GdiFlush();
    // A bottom-up section (positive height in its header) starts its top row at the end.
    const int w = dib.dsBm.bmWidth, h = dib.dsBm.bmHeight;
    const ptrdiff_t rowBytes = dib.dsBm.bmWidthBytes;
    auto* bits = static_cast<uint8_t*>(dib.dsBm.bmBits);
    if (dib.dsBmih.biHeight > 0) return TPixelView(bits + rowBytes * (h - 1), -rowBytes, w, h);
    return TPixelView(bits, rowBytes, w, h);
}

TPixelView BitmapView(TBitmap* bitmap)
{
    uint8_t* row0 = nullptr;
    ptrdiff_t stride = 0;
    if (!bitmap || bitmap->PixelFormat() != pf32bit || !GetBitmapRows(bitmap, row0, stride)) return {};
    return TPixelView(row0, stride, bitmap->Width(), bitmap->Height());
}

TBitmap* BitmapFromImage32(const TPixelImage& image)
{
    TBitmap* b = NewBitmap32(image.Width(), image.Height());
    const TPixelView to = BitmapView(b);
    const TPixelView from = image.View();
    for (int y = 0; y < to.Height && y < from.Height; ++y)
        std::copy(from.Row(y), from.Row(y) + std::min(from.Width, to.Width), to.Row(y));
    return b;
}

TPixelImage ImageFromBitmap32(TBitmap* bitmap)
{
    const TPixelView from = BitmapView(bitmap);
    TPixelImage image(from.Width, from.Height);
    for (int y = 0; y < from.Height; ++y) std::copy(from.Row(y), from.Row(y) + from.Width, image.View().Row(y));
    return image;
}

TBitmap* BitmapFromImageAndMask32(TBitmap* source, const TRect& r)
{
    const int w = r.right - r.left, h = (r.bottom - r.top) / 2;
    if (!source || w <= 0 || h <= 0) return nullptr;
    TBitmap* result = NewBitmap32(w, h);
    BitBlt(result->Canvas()->Handle(), 0, 0, w, h, source->Canvas()->Handle(), r.left, r.top, SRCCOPY);
    // The mask half is read through a 32-bit copy, whatever the source's format.
    TBitmap* mask = NewBitmap32(w, h);
    BitBlt(mask->Canvas()->Handle(), 0, 0, w, h, source->Canvas()->Handle(), r.left, r.top + h, SRCCOPY);
    uint8_t *d0, *m0;
    ptrdiff_t ds, ms;
    if (GetBitmapRows(result, d0, ds) && GetBitmapRows(mask, m0, ms)) {
        for (int y = 0; y < h; ++y) {
            uint8_t* d = d0 + y * ds;
            const uint8_t* m = m0 + y * ms;
            for (int x = 0; x < w; ++x) d[x * 4 + 3] = uint8_t(255 - m[x * 4 + 2]);
        }
    }
    delete mask;
    result->PixelsChanged();
    return result;
}

TBitmap* ImageAndMaskFromBitmap32(TBitmap* source)
{
    if (!source || source->Width() == 0 || source->Height() == 0) return nullptr;
    const int w = source->Width(), h = source->Height();
    TBitmap* result = NewBitmap32(w, h * 2);
    BitBlt(result->Canvas()->Handle(), 0, 0, w, h, source->Canvas()->Handle(), 0, 0, SRCCOPY);
    uint8_t *d0, *s0;
    ptrdiff_t ds, ss;
    if (GetBitmapRows(result, d0, ds) && GetBitmapRows(source, s0, ss)) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = s0 + y * ss;
            uint8_t* d = d0 + (h + y) * ds;
            for (int x = 0; x < w; ++x) {
                uint8_t g = uint8_t(255 - s[x * 4 + 3]);
                d[x * 4] = d[x * 4 + 1] = d[x * 4 + 2] = g;
                d[x * 4 + 3] = 255;
            }
        }
    }
    result->PixelsChanged();
    return result;
}

HICON IconFromBitmap32(TBitmap* bitmap)
{
    if (!bitmap || bitmap->Empty()) return nullptr;
    std::vector<uint8_t> zeros(size_t((bitmap->Width() + 15) / 16 * 2) * bitmap->Height(), 0);
    return IconFromColorAndMask(bitmap->Handle(), CreateBitmap(bitmap->Width(), bitmap->Height(), 1, 1, zeros.data()));
}

HICON IconFromColorAndMask(HBITMAP color, HBITMAP mask)
{
    if (!color || !mask) {
        if (mask) DeleteObject(mask);
        return nullptr;
    }
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = color;
    ii.hbmMask = mask;
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    return icon;
}

// ---- device contexts -------------------------------------------------------------------------

void FillDCRect(HDC dc, const TRect& r, TColor color)
{
    TDCBrush brush(dc, color);
    RECT rc = r;
    FillRect(dc, &rc, brush.Brush());
}

void FillDCFrame(HDC dc, const TRect& r, int left, int top, int right, int bottom, TColor color)
{
    TDCBrush brush(dc, color);
    const RECT strips[4] = {
        {r.left, r.top, r.right, r.top + top},
        {r.left, r.top + top, r.left + left, r.bottom},
        {r.left + left, r.bottom - bottom, r.right, r.bottom},
        {r.right - right, r.top + top, r.right, r.bottom - bottom},
    };
    for (const RECT& s : strips) FillRect(dc, &s, brush.Brush());
}

void BlitFrameStrips(HDC destDC, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int left,
                     int top, int right, int bottom)
{
    if (left < 0) left = 0;
    if (bottom < 1) {
        bottom = left;
        if (top < 1) top = left;
        if (right < 1) right = left;
    }
    auto copy = [&](int dx, int dy, int w, int h) {
        if (w > 0 && h > 0) BitBlt(destDC, x + dx, y + dy, w, h, srcDC, srcX + dx, srcY + dy, SRCCOPY);
    };
    copy(0, 0, left, height);
    copy(left, 0, width - left, top);
    copy(width - right, top, right, height - top);
    copy(left, height - bottom, width - left - right, bottom);
}

void DrawSegment(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawBevelFrame(HDC dc, TRect& r, TColor color1, TColor color2, int& count)
{
    HPEN pen1 = CreatePen(PS_SOLID, 1, ColorToColorRef(color1));
    HPEN pen2 = CreatePen(PS_SOLID, 1, COLORREF(color2));
    HGDIOBJ oldPen = SelectObject(dc, pen1);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    r.right -= 1;
    r.bottom -= 1;
    while (count > 0) {
        --count;
        SelectObject(dc, pen1);
        POINT light[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
        Polyline(dc, light, 3);
        SelectObject(dc, pen2);
        POINT dark[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left - 1, r.bottom}};
        Polyline(dc, dark, 3);
        InflateRect(&r, -1, -1);
    }
    r.right += 1;
    r.bottom += 1;
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen1);
    DeleteObject(pen2);
}

// ---- per-pixel passes ------------------------------------------------------------------------

void ForEachPixel32(TBitmap* bitmap, TPixelProc proc, int value, TColor keyColor)
{
    uint8_t* row0;
    ptrdiff_t stride;
    if (!bitmap || bitmap->PixelFormat() != pf32bit || !GetBitmapRows(bitmap, row0, stride)) return;
    ForEachPixelRows(row0, stride, bitmap->Width(), bitmap->Height(), proc, value, uint32_t(keyColor));
    bitmap->PixelsChanged();
}

void GrayscaleBitmap32(TBitmap* bitmap)
{
    GrayscaleExceptKey32(bitmap, clNone);
}

void GrayscaleExceptKey32(TBitmap* bitmap, TColor keyColor)
{
    uint8_t* row0;
    ptrdiff_t stride;
    if (!bitmap || bitmap->PixelFormat() != pf32bit || !GetBitmapRows(bitmap, row0, stride)) return;
    GrayscaleRows(row0, stride, bitmap->Width(), bitmap->Height(), uint32_t(keyColor));
    bitmap->PixelsChanged();
}

// ---- system functions ------------------------------------------------------------------------

bool LayeredWindowsAvailable()
{
    return BoundUpdateLayeredWindow != nullptr;
}

void SetDCLayout(HDC dc, DWORD layout)
{
    if (BoundSetLayout) BoundSetLayout(dc, layout);
}

DWORD GetDCLayout(HDC dc)
{
    return BoundGetLayout ? BoundGetLayout(dc) : 0;
}

void InitGraphicsUnit()
{
    if (InitCount++ > 0) return;
    // A painter called without skin data is a programming error: said so while debugging.
    SetPaintUsageWarning([](const wchar_t* text) {
        if (IsDebuggerAttached()) ShowUsageWarning(text);
    });
    Gdi32Module = LoadLibraryW(L"gdi32.dll");
    if (Gdi32Module) {
        BoundSetLayout = reinterpret_cast<TSetLayoutFunc>(reinterpret_cast<void*>(GetProcAddress(Gdi32Module, "SetLayout")));
        BoundGetLayout = reinterpret_cast<TGetLayoutFunc>(reinterpret_cast<void*>(GetProcAddress(Gdi32Module, "GetLayout")));
    } else {
        BoundSetLayout = nullptr;
        BoundGetLayout = nullptr;
    }
    if (!BoundUpdateLayeredWindow) {
        User32Module = LoadLibraryW(L"user32.dll");
        if (User32Module) {
            BoundUpdateLayeredWindow = reinterpret_cast<TUpdateLayeredWindowFunc>(
                reinterpret_cast<void*>(GetProcAddress(User32Module, "UpdateLayeredWindow")));
            BoundSetLayeredWindowAttributes = reinterpret_cast<TSetLayeredWindowAttributesFunc>(
                reinterpret_cast<void*>(GetProcAddress(User32Module, "SetLayeredWindowAttributes")));
        } else {
            BoundUpdateLayeredWindow = nullptr;
            BoundSetLayeredWindowAttributes = nullptr;
        }
    }
}

void DoneGraphicsUnit()
{
    if (InitCount == 0 || --InitCount > 0) return;
    BoundSetLayout = nullptr;
    BoundGetLayout = nullptr;
    BoundUpdateLayeredWindow = nullptr;
    BoundSetLayeredWindowAttributes = nullptr;
    if (Gdi32Module) FreeLibrary(Gdi32Module);
    if (User32Module) FreeLibrary(User32Module);
    Gdi32Module = User32Module = nullptr;
    SetPaintUsageWarning(nullptr);
    FreeSinCosTable();
}

namespace {

struct GraphicsUnit {
    GraphicsUnit() { InitGraphicsUnit(); }
    ~GraphicsUnit() { DoneGraphicsUnit(); }
} graphicsUnit;

}  // namespace
