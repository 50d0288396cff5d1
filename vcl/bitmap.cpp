// TGraphic and TBitmap: DIB sections, their memory DC, drawing, and BMP files.
#include "vcl/graphics.h"

#include <algorithm>
#include <cstring>

#include "vcl/bmpcodec.h"

// ---- TGraphic ------------------------------------------------------------------------------

void TGraphic::SetTransparent(bool on)
{
    if (FTransparent == on) return;
    FTransparent = on;
    Changed(this);
}

void TGraphic::DrawTransparent(TCanvas* canvas, const TRect& r, uint8_t)
{
    Draw(canvas, r);
}

void TGraphic::LoadFromFile(const String& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const String& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::SetModified(bool on)
{
    if (on)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject*)
{
    FModified = true;
    if (OnChange) OnChange(this);
}

// ---- DIB helpers ---------------------------------------------------------------------------

namespace {

int BitsPerPixel(TPixelFormat f)
{
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

int StrideOf(int width, int bpp)
{
    return static_cast<int>(((static_cast<int64_t>(width) * bpp + 31) / 32) * 4);
}

// BITMAPINFO with room for a full colour table (or the three masks of BI_BITFIELDS).
struct TDibInfo {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
};

std::vector<RGBQUAD> DefaultPalette(TPixelFormat f)
{
    std::vector<RGBQUAD> pal;
    auto add = [&](int r, int g, int b) {
        pal.push_back(RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), 0});
    };
    if (f == pf1bit) {
        add(0, 0, 0);
        add(255, 255, 255);
    } else if (f == pf4bit) {
        static const int kVga[16][3] = {{0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128},
                                        {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {128, 128, 128},
                                        {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {0, 0, 255},
                                        {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (auto& c : kVga) add(c[0], c[1], c[2]);
    } else if (f == pf8bit) {
        // A 6x6x6 colour cube and a grey ramp.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) add(r * 51, g * 51, b * 51);
        for (int i = 0; i < 40; ++i) add(i * 255 / 39, i * 255 / 39, i * 255 / 39);
    }
    return pal;
}

// A memory DC with a bitmap selected, released in the destructor.
class TSelectedDC {
public:
    explicit TSelectedDC(HBITMAP bmp) : FDC(CreateCompatibleDC(nullptr))
    {
        if (FDC && bmp) FOld = SelectObject(FDC, bmp);
    }
    ~TSelectedDC()
    {
        if (FDC) {
            if (FOld) SelectObject(FDC, FOld);
            DeleteDC(FDC);
        }
    }
    TSelectedDC(const TSelectedDC&) = delete;
    TSelectedDC& operator=(const TSelectedDC&) = delete;
    HDC DC() const { return FDC; }

private:
    HDC FDC;
    HGDIOBJ FOld = nullptr;
};

TPixelFormat FormatFromBitCount(int bpp, bool is565)
{
    switch (bpp) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return is565 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    default: return pf32bit;
    }
}

}  // namespace

// ---- TBitmap -------------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format)
{
    FPixelFormat = format;
    Recreate(width, height, format, false);
}

TBitmap::~TBitmap()
{
    FreeCanvasContext();
    FCanvas.reset();
    if (FHandle) DeleteObject(FHandle);
}

bool TBitmap::SupportsPartialTransparency() const
{
    return FPixelFormat == pf32bit && FAlphaFormat != afIgnored;
}

void TBitmap::FreeCanvasContext()
{
    if (FCanvas) FCanvas->FreeContext();
}

int TBitmap::BytesPerScanLine() const
{
    return StrideOf(FWidth, BitsPerPixel(FPixelFormat));
}

void TBitmap::Recreate(int width, int height, TPixelFormat format, bool keepPixels)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    int bpp = BitsPerPixel(format);
    if (static_cast<int64_t>(StrideOf(width, bpp)) * height > 0x7FFFFFFF)
        throw EOutOfResources(L"Bitmap too large: " + IntToStr(width) + L" x " + IntToStr(height));

    HBITMAP newHandle = nullptr;
    uint8_t* newBits = nullptr;
    if (width > 0 && height > 0) {
        TDibInfo info{};
        info.h.biSize = sizeof(BITMAPINFOHEADER);
        info.h.biWidth = width;
        info.h.biHeight = height;   // bottom-up, as the platform's bitmaps are
        info.h.biPlanes = 1;
        info.h.biBitCount = static_cast<WORD>(bpp);
        info.h.biCompression = BI_RGB;
        if (format == pf16bit) {
            info.h.biCompression = BI_BITFIELDS;
            auto* masks = reinterpret_cast<DWORD*>(info.colors);
            masks[0] = 0xF800;
            masks[1] = 0x07E0;
            masks[2] = 0x001F;
        } else if (bpp <= 8) {
            std::vector<RGBQUAD> pal = (FPixelFormat == format && !FPalette.empty()) ? FPalette : DefaultPalette(format);
            FPalette = pal;
            info.h.biClrUsed = static_cast<DWORD>(pal.size());
            std::copy(pal.begin(), pal.end(), info.colors);
        }
        void* bits = nullptr;
        newHandle = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!newHandle || !bits)
            throw EOutOfResources(L"Cannot create a bitmap of " + IntToStr(width) + L" x " + IntToStr(height));
        newBits = static_cast<uint8_t*>(bits);
    }

    FreeCanvasContext();
    if (keepPixels && FHandle && newHandle) {
        GdiFlush();
        if (format == FPixelFormat) {
            // Same layout: copy the overlapping rows, top rows first.
            int oldStride = BytesPerScanLine();
            int newStride = StrideOf(width, bpp);
            int rows = std::min(FHeight, height);
            int bytes = std::min(oldStride, newStride);
            for (int y = 0; y < rows; ++y)
                std::memcpy(newBits + static_cast<size_t>(height - 1 - y) * newStride,
                            FBits + static_cast<size_t>(FHeight - 1 - y) * oldStride, bytes);
        } else {
            TSelectedDC src(FHandle);
            TSelectedDC dst(newHandle);
            BitBlt(dst.DC(), 0, 0, std::min(FWidth, width), std::min(FHeight, height), src.DC(), 0, 0, SRCCOPY);
            GdiFlush();
        }
    }
    if (FHandle) DeleteObject(FHandle);
    FHandle = newHandle;
    FBits = newBits;
    FWidth = width;
    FHeight = height;
    FPixelFormat = format;
    if (format > pf8bit) FPalette.clear();
}

void TBitmap::SetSize(int width, int height)
{
    if (width == FWidth && height == FHeight) return;
    Recreate(width, height, FPixelFormat, true);
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfDevice || format == pfCustom) format = pf32bit;
    if (format == FPixelFormat) return;
    Recreate(FWidth, FHeight, format, true);
    Changed(this);
}

void TBitmap::SetAlphaFormat(TAlphaFormat format)
{
    if (format == FAlphaFormat) return;
    bool wasPre = FAlphaFormat == afPremultiplied;
    bool isPre = format == afPremultiplied;
    FAlphaFormat = format;
    if (wasPre != isPre && FPixelFormat == pf32bit && FBits) {
        GdiFlush();
        if (isPre)
            bmpcodec::Premultiply(FBits, static_cast<size_t>(FWidth) * FHeight);
        else
            bmpcodec::Unpremultiply(FBits, static_cast<size_t>(FWidth) * FHeight);
    }
    Changed(this);
}

void* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= FHeight || !FBits)
        throw EInvalidGraphicOperation(L"Scan line index out of range");
    // Drawing through the DC may still be queued; the pixels must be current.
    GdiFlush();
    return FBits + static_cast<size_t>(FHeight - 1 - y) * BytesPerScanLine();
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

HBITMAP TBitmap::Handle()
{
    return FHandle;
}

HBITMAP TBitmap::ReleaseHandle()
{
    FreeCanvasContext();
    HBITMAP h = FHandle;
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = 0;
    Changed(this);
    return h;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (bitmap == FHandle) return;
    if (!bitmap) {
        FreeCanvasContext();
        if (FHandle) DeleteObject(FHandle);
        FHandle = nullptr;
        FBits = nullptr;
        FWidth = FHeight = 0;
        Changed(this);
        return;
    }
    DIBSECTION ds{};
    int got = GetObjectW(bitmap, sizeof ds, &ds);
    if (got == 0) throw EInvalidGraphic(L"Invalid bitmap handle");
    bool isDib = got == sizeof(DIBSECTION) && ds.dsBm.bmBits != nullptr;
    int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
    int bpp = isDib ? ds.dsBmih.biBitCount : ds.dsBm.bmBitsPixel;
    if (isDib && ds.dsBmih.biHeight > 0 && ds.dsBmih.biCompression == BI_RGB && (bpp == 24 || bpp == 32)) {
        // Already the layout we keep: take it as it is.
        FreeCanvasContext();
        if (FHandle) DeleteObject(FHandle);
        FHandle = bitmap;
        FBits = static_cast<uint8_t*>(ds.dsBm.bmBits);
        FWidth = w;
        FHeight = h;
        FPixelFormat = bpp == 32 ? pf32bit : pf24bit;
        FPalette.clear();
        Changed(this);
        return;
    }
    // Anything else is copied into a section of our own.
    TPixelFormat fmt = bpp == 1 ? pf1bit : bpp == 24 ? pf24bit : pf32bit;
    if (FHandle) {
        FreeCanvasContext();
        DeleteObject(FHandle);
        FHandle = nullptr;
        FBits = nullptr;
        FWidth = FHeight = 0;
    }
    try {
        Recreate(w, h, fmt, false);
    } catch (...) {
        DeleteObject(bitmap);
        throw;
    }
    {
        TSelectedDC src(bitmap);
        TSelectedDC dst(FHandle);
        BitBlt(dst.DC(), 0, 0, w, h, src.DC(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    DeleteObject(bitmap);
    Changed(this);
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (Empty()) return clDefault;
    return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    if (color == FTransparentColor) return;
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == FTransparentMode) return;
    if (mode == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r)
{
    if (Empty() || !canvas) return;
    if (FPixelFormat == pf32bit && FAlphaFormat != afIgnored) {
        DrawTransparent(canvas, r, 255);
        return;
    }
    HDC dst = canvas->Handle();
    HDC src = Canvas()->Handle();
    if (Transparent()) {
        TransparentBlt(dst, r.left, r.top, r.Width(), r.Height(), src, 0, 0, FWidth, FHeight,
                       static_cast<UINT>(ColorToColorRef(TransparentColor())));
        return;
    }
    // A monochrome source takes the destination's text and background colours.
    COLORREF oldText = 0, oldBk = 0;
    if (FPixelFormat == pf1bit) {
        oldText = SetTextColor(dst, RGB(0, 0, 0));
        oldBk = SetBkColor(dst, RGB(255, 255, 255));
    }
    if (r.Width() == FWidth && r.Height() == FHeight) {
        BitBlt(dst, r.left, r.top, FWidth, FHeight, src, 0, 0, canvas->CopyMode());
    } else {
        int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, r.left, r.top, r.Width(), r.Height(), src, 0, 0, FWidth, FHeight, canvas->CopyMode());
        SetStretchBltMode(dst, oldMode);
    }
    if (FPixelFormat == pf1bit) {
        SetTextColor(dst, oldText);
        SetBkColor(dst, oldBk);
    }
}

void TBitmap::DrawTransparent(TCanvas* canvas, const TRect& r, uint8_t opacity)
{
    if (Empty() || !canvas) return;
    HDC dst = canvas->Handle();
    BLENDFUNCTION bf{AC_SRC_OVER, 0, opacity, 0};
    bool perPixel = FPixelFormat == pf32bit && FAlphaFormat != afIgnored;
    if (perPixel) bf.AlphaFormat = AC_SRC_ALPHA;
    if (perPixel && FAlphaFormat == afDefined) {
        // AlphaBlend wants premultiplied pixels: blend from a premultiplied copy.
        TBitmap tmp(FWidth, FHeight, pf32bit);
        GdiFlush();
        std::memcpy(tmp.ScanLine(FHeight - 1), ScanLine(FHeight - 1), static_cast<size_t>(BytesPerScanLine()) * FHeight);
        bmpcodec::Premultiply(static_cast<uint8_t*>(tmp.ScanLine(FHeight - 1)), static_cast<size_t>(FWidth) * FHeight);
        AlphaBlend(dst, r.left, r.top, r.Width(), r.Height(), tmp.Canvas()->Handle(), 0, 0, FWidth, FHeight, bf);
        return;
    }
    AlphaBlend(dst, r.left, r.top, r.Width(), r.Height(), Canvas()->Handle(), 0, 0, FWidth, FHeight, bf);
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (source == this) return;
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        FPalette = b->FPalette;
        FPixelFormat = b->FPixelFormat;
        Recreate(b->FWidth, b->FHeight, b->FPixelFormat, false);
        if (FBits && b->FBits) {
            GdiFlush();
            std::memcpy(FBits, b->FBits, static_cast<size_t>(BytesPerScanLine()) * FHeight);
        }
        FHandleType = b->FHandleType;
        FAlphaFormat = b->FAlphaFormat;
        FIgnorePalette = b->FIgnorePalette;
        FTransparentMode = b->FTransparentMode;
        FTransparentColor = b->FTransparentColor;
        TGraphic::SetTransparent(b->Transparent());
        Changed(this);
        return;
    }
    if (auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (AssignIcon(icon->Handle(), icon->Width(), icon->Height())) return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        // Another kind of graphic: render it onto a cleared 32-bit bitmap of its size.
        Recreate(g->Width(), g->Height(), pf32bit, false);
        if (!Empty()) const_cast<TGraphic*>(g)->Draw(Canvas(), Rect(0, 0, FWidth, FHeight));
        FAlphaFormat = g->SupportsPartialTransparency() ? afDefined : afIgnored;
        Changed(this);
        return;
    }
    TPersistent::Assign(source);
}

bool TBitmap::AssignIcon(HICON icon, int width, int height)
{
    // The icon's own pixels rather than a drawing of it: drawing does not keep alpha.
    if (!icon || width <= 0 || height <= 0) return false;
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii)) return false;
    bool done = false;
    if (ii.hbmColor) {
        Recreate(width, height, pf32bit, false);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = height;   // bottom-up, as our section
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> mask(static_cast<size_t>(width) * height * 4);
        HDC dc = GetDC(nullptr);
        GdiFlush();
        bool ok = GetDIBits(dc, ii.hbmColor, 0, static_cast<UINT>(height), FBits, &bi, DIB_RGB_COLORS) == height;
        BITMAPINFO mi = bi;
        bool maskOk = ii.hbmMask &&
                      GetDIBits(dc, ii.hbmMask, 0, static_cast<UINT>(height), mask.data(), &mi, DIB_RGB_COLORS) == height;
        ReleaseDC(nullptr, dc);
        if (ok) {
            size_t n = static_cast<size_t>(width) * height;
            bool hasAlpha = false;
            for (size_t i = 0; i < n && !hasAlpha; ++i) hasAlpha = FBits[4 * i + 3] != 0;
            if (!hasAlpha)   // an icon without alpha: its mask says what is transparent
                for (size_t i = 0; i < n; ++i) {
                    bool transparent = maskOk && mask[4 * i] != 0;
                    FBits[4 * i + 3] = transparent ? 0 : 255;
                    if (transparent) FBits[4 * i] = FBits[4 * i + 1] = FBits[4 * i + 2] = 0;
                }
            FAlphaFormat = afDefined;
            done = true;
        }
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    if (done) Changed(this);
    return done;
}

// ---- BMP files -----------------------------------------------------------------------------

void TBitmap::LoadDecoded(bmpcodec::TDecodedBmp& d)
{
    TPixelFormat fmt = FormatFromBitCount(d.bitCount, d.is565);
    FPalette.clear();
    if (d.bitCount <= 8) {
        for (const auto& c : d.palette) FPalette.push_back(RGBQUAD{c.b, c.g, c.r, 0});
    }
    // The palette above is the one Recreate puts into the new section.
    FPixelFormat = fmt;
    Recreate(d.width, d.height, fmt, false);
    if (FBits) {
        GdiFlush();
        int stride = BytesPerScanLine();
        for (int y = 0; y < FHeight; ++y)
            std::memcpy(FBits + static_cast<size_t>(FHeight - 1 - y) * stride,
                        d.pixels.data() + static_cast<size_t>(y) * d.stride, static_cast<size_t>(stride));
    }
    FAlphaFormat = afIgnored;
    Changed(this);
}

void TBitmap::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> data = bmpcodec::ReadBmpFileBytes(stream);
    bmpcodec::TDecodedBmp d;
    String error;
    if (!bmpcodec::DecodeBmpFile(data.data(), data.size(), d, error)) throw EInvalidGraphic(error);
    LoadDecoded(d);
}

void TBitmap::SaveToStream(TStream& stream)
{
    bmpcodec::TBmpSource s;
    s.width = FWidth;
    s.height = FHeight;
    s.bitCount = FBits ? BitsPerPixel(FPixelFormat) : 24;
    s.is565 = FPixelFormat == pf16bit;
    s.stride = StrideOf(FWidth, s.bitCount);
    for (const auto& q : FPalette) s.palette.push_back(bmpcodec::TRgb{q.rgbRed, q.rgbGreen, q.rgbBlue});
    if (FBits) {
        GdiFlush();
        s.bottomUpBits = FBits;
    }
    std::vector<uint8_t> file = bmpcodec::EncodeBmpFile(s);
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const String& name)
{
    HRSRC res = FindResourceW(instance, name.c_str(), MAKEINTRESOURCEW(2));   // RT_BITMAP
    if (!res) throw EInvalidGraphic(L"Bitmap resource \"" + name + L"\" not found");
    HGLOBAL mem = LoadResource(instance, res);
    const void* p = mem ? LockResource(mem) : nullptr;
    DWORD size = SizeofResource(instance, res);
    if (!p || size == 0) throw EInvalidGraphic(L"Bitmap resource \"" + name + L"\" cannot be read");
    bmpcodec::TDecodedBmp d;
    String error;
    if (!bmpcodec::DecodeDib(static_cast<const uint8_t*>(p), size, 0, d, error)) throw EInvalidGraphic(error);
    LoadDecoded(d);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id)
{
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));
    if (!res) throw EInvalidGraphic(L"Bitmap resource " + IntToStr(id) + L" not found");
    HGLOBAL mem = LoadResource(instance, res);
    const void* p = mem ? LockResource(mem) : nullptr;
    DWORD size = SizeofResource(instance, res);
    if (!p || size == 0) throw EInvalidGraphic(L"Bitmap resource " + IntToStr(id) + L" cannot be read");
    bmpcodec::TDecodedBmp d;
    String error;
    if (!bmpcodec::DecodeDib(static_cast<const uint8_t*>(p), size, 0, d, error)) throw EInvalidGraphic(error);
    LoadDecoded(d);
}

// ---- TBitmapCanvas -------------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas()
{
    FreeContext();
}

void TBitmapCanvas::CreateHandle()
{
    if (FMemDC) return;
    FMemDC = CreateCompatibleDC(nullptr);
    if (!FMemDC) throw EOutOfResources(L"Cannot create a memory device context");
    FOldBitmap = FBitmap->FHandle ? SelectObject(FMemDC, FBitmap->FHandle) : nullptr;
    SetHandle(FMemDC);
}

void TBitmapCanvas::FreeContext()
{
    if (!FMemDC) return;
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(FMemDC, FOldBitmap);
    DeleteDC(FMemDC);
    FMemDC = nullptr;
    FOldBitmap = nullptr;
}

void TBitmapCanvas::Changing()
{
    TCanvas::Changing();
}

void TBitmapCanvas::Changed()
{
    TCanvas::Changed();
    FBitmap->Changed(FBitmap);
}
