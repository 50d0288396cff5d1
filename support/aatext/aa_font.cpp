#include "support/aatext/aa_font.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// ---- Grey palette ---------------------------------------------------------------------------

namespace {

struct GrayPaletteHolder {
    HPALETTE palette = nullptr;
    ~GrayPaletteHolder()
    {
        if (palette) DeleteObject(palette);
    }
};

GrayPaletteHolder& GrayHolder()
{
    static GrayPaletteHolder holder;
    return holder;
}

// Selects a GDI object for the life of a scope.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(SelectObject(dc, obj)) {}
    ~SelectGuard() { SelectObject(FDC, FOld); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

struct FontHandle {
    HFONT h;
    explicit FontHandle(const LOGFONTW& lf) : h(CreateFontIndirectW(&lf)) {}
    ~FontHandle()
    {
        if (h) DeleteObject(h);
    }
    FontHandle(const FontHandle&) = delete;
    FontHandle& operator=(const FontHandle&) = delete;
};

LOGFONTW ScaledLogFont(TCanvas* canvas, int scale)
{
    LOGFONTW lf = canvas->Font()->LogFont();
    lf.lfHeight *= scale;
    lf.lfWidth *= scale;
    return lf;
}

TRgb RgbOfColor(TColor c)
{
    return RgbOf(static_cast<uint32_t>(ColorToRGB(c)));
}

}  // namespace

void CreateGrayPalette()
{
    if (GrayHolder().palette) return;
    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } lp{};
    lp.version = 0x300;
    lp.count = 256;
    for (int i = 0; i < 256; ++i) lp.entries[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    GrayHolder().palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
}

void DeleteGrayPalette()
{
    if (GrayHolder().palette) DeleteObject(GrayHolder().palette);
    GrayHolder().palette = nullptr;
}

HPALETTE GrayPalette()
{
    CreateGrayPalette();
    return GrayHolder().palette;
}

// ---- TAAMask --------------------------------------------------------------------------------

TAAMask::TAAMask(TAAFont* owner) : AAFont(owner) {}

TAAMask::~TAAMask()
{
    FreeGrayBmp();
}

void TAAMask::SetQuality(TAAQuality value)
{
    FQuality = value;
    FScale = QualityScale(value);
}

void TAAMask::Assign(const TPersistent* source)
{
    if (auto* m = dynamic_cast<const TAAMask*>(source)) {
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        SetQuality(m->FQuality);
        FBytesLineGray = m->FBytesLineGray;
        FBytesLineMask = m->FBytesLineMask;
        FpMaskBuff = m->FpMaskBuff;
        FpMaskBuff.resize(static_cast<size_t>(FBytesLineMask) * static_cast<size_t>(FHeight));
        return;
    }
    TPersistent::Assign(source);
}

TSize TAAMask::TextExtent(const String& text)
{
    return TextRectExtent(text);
}

TSize TAAMask::TextRectExtent(const String& text, TPoint* origin)
{
    TCanvas* canvas = AAFont ? AAFont->Canvas() : nullptr;
    if (!canvas) return {0, 0};
    LOGFONTW lf = ScaledLogFont(canvas, FScale);
    const double theta = lf.lfEscapement * std::numbers::pi / 1800.0;
    SIZE size{};
    {
        HDC dc = GetDC(nullptr);
        FontHandle font(lf);
        {
            SelectGuard sel(dc, font.h);
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        ReleaseDC(nullptr, dc);
    }
    int cx = (size.cx + FScale - 1) / FScale;
    int cy = (size.cy + FScale - 1) / FScale;
    if (canvas->Font()->Style().Contains(fsItalic) && !text.empty()) cx = ItalicWidth(cx, static_cast<int>(text.size()));
    if (theta != 0) {
        TRotated r = RotatedExtent(cx, cy, theta);
        if (origin) *origin = {r.originX, r.originY};
        return {r.cx, r.cy};
    }
    if (origin) *origin = {0, 0};
    return {cx, cy};
}

void TAAMask::DrawMask(const String& text)
{
    DrawMaskEx(text, TextExtent(text), {0, 0});
}

void TAAMask::InitGrayBmp(int width, int height)
{
    if (FGrayBmp) return;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } bmi{};
    bmi.header.biSize = sizeof(BITMAPINFOHEADER);
    bmi.header.biWidth = width;
    bmi.header.biHeight = height;   // bottom-up, as the mask buffer
    bmi.header.biPlanes = 1;
    bmi.header.biBitCount = 8;
    bmi.header.biCompression = BI_RGB;
    bmi.header.biClrUsed = 256;
    PALETTEENTRY entries[256]{};
    GetPaletteEntries(GrayPalette(), 0, 256, entries);
    for (int i = 0; i < 256; ++i) bmi.colours[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    void* bits = nullptr;
    FGrayBmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!FGrayBmp || !bits) {
        FGrayBmp = nullptr;
        throw EOutOfResources(L"Out of system resources");
    }
    FGrayBits = static_cast<uint8_t*>(bits);
    FGrayWidth = width;
    FGrayHeight = height;
    FBytesLineGray = (width + 3) & ~3;
    std::fill_n(FGrayBits, static_cast<size_t>(FBytesLineGray) * static_cast<size_t>(height), uint8_t(0));
    FGrayDC = CreateCompatibleDC(nullptr);
    FGrayOld = SelectObject(FGrayDC, FGrayBmp);
    SelectObject(FGrayDC, GetStockObject(BLACK_BRUSH));
}

void TAAMask::FreeGrayBmp()
{
    if (FGrayDC) {
        SelectObject(FGrayDC, FGrayOld);
        DeleteDC(FGrayDC);
    }
    if (FGrayBmp) DeleteObject(FGrayBmp);
    FGrayDC = nullptr;
    FGrayBmp = nullptr;
    FGrayOld = nullptr;
    FGrayBits = nullptr;
}

void TAAMask::DrawMaskEx(const String& text, TSize extent, TPoint point)
{
    TCanvas* canvas = AAFont ? AAFont->Canvas() : nullptr;
    if (!canvas) return;
    FWidth = std::max(0, static_cast<int>(extent.cx));
    FHeight = std::max(0, static_cast<int>(extent.cy));
    FBytesLineMask = (FWidth + 3) & ~3;
    FpMaskBuff.assign(static_cast<size_t>(FBytesLineMask) * static_cast<size_t>(FHeight), 0);
    if (FWidth == 0 || FHeight == 0) return;

    struct Release {
        TAAMask* m;
        ~Release() { m->FreeGrayBmp(); }
    } release{this};
    InitGrayBmp(FWidth * FScale, FHeight * FScale);

    LOGFONTW lf = ScaledLogFont(canvas, FScale);
    TPoint start{point.x * FScale, point.y * FScale};
    if (lf.lfEscapement != 0) {
        TPoint origin;
        TextRectExtent(text, &origin);
        start.Offset(origin.x * FScale, origin.y * FScale);
    }
    {
        FontHandle font(lf);
        SelectGuard sel(FGrayDC, font.h);
        SetTextColor(FGrayDC, RGB(255, 255, 255));
        SetBkColor(FGrayDC, RGB(0, 0, 0));
        SetBkMode(FGrayDC, OPAQUE);
        SetTextAlign(FGrayDC, TA_LEFT | TA_TOP);
        ExtTextOutW(FGrayDC, start.x, start.y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
        GdiFlush();
    }
    TAAGrayPlane gray{FGrayBits + static_cast<ptrdiff_t>(FBytesLineGray) * (FGrayHeight - 1), -FBytesLineGray,
                    FGrayWidth, FGrayHeight};
    ReduceGray(gray, Plane(), FQuality);
}

TAAGrayPlane TAAMask::Plane()
{
    if (FWidth <= 0 || FHeight <= 0 || FpMaskBuff.empty()) return {};
    return {FpMaskBuff.data() + static_cast<ptrdiff_t>(FBytesLineMask) * (FHeight - 1), -FBytesLineMask, FWidth, FHeight};
}

uint8_t* TAAMask::ScanLine(int row)
{
    if (row < 0 || row >= FHeight) throw EInvalidLine(L"Invalid line!");
    return Plane().Row(row);
}

uint8_t* TAAMask::PixelAddr(int x, int y)
{
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight) throw EInvalidPixel(L"Invalid pixel!");
    return Plane().Row(y) + x;
}

uint8_t TAAMask::Pixel(int x, int y)
{
    return *PixelAddr(x, y);
}

void TAAMask::Blur(int strength)
{
    BlurMask(Plane(), strength);
}

void TAAMask::Outline()
{
    OutlineMask(Plane());
}

void TAAMask::Spray(int amount)
{
    SprayMask(Plane(), amount, &AARandom);
}

void TAAMask::HorzMirror()
{
    HorzMirrorMask(Plane());
}

void TAAMask::VertMirror()
{
    VertMirrorMask(Plane());
}

// ---- TAABlend -------------------------------------------------------------------------------

TBgrPlane BgrPlaneOf(TBitmap& bitmap)
{
    if (bitmap.Empty()) return {};
    auto* top = static_cast<uint8_t*>(bitmap.ScanLine(0));
    ptrdiff_t stride = bitmap.Height() > 1 ? static_cast<uint8_t*>(bitmap.ScanLine(1)) - top : bitmap.BytesPerScanLine();
    return {top, stride, bitmap.Width(), bitmap.Height()};
}

TAABlend::TAABlend(TAAFont* owner)
    : FForeBmp(std::make_unique<TBitmap>()), RGBBmp(std::make_unique<TBitmap>()), AAFont(owner)
{
    FForeBmp->SetPixelFormat(pf24bit);
    RGBBmp->SetPixelFormat(pf24bit);
}

TAABlend::~TAABlend() = default;

void TAABlend::Assign(const TPersistent* source)
{
    if (auto* b = dynamic_cast<const TAABlend*>(source)) {
        FForeBmp->Assign(b->FForeBmp.get());
        return;
    }
    TPersistent::Assign(source);
}

template <class Kernel>
void TAABlend::BlendWith(int x, int y, TAAMask& mask, Kernel kernel)
{
    TCanvas* target = AAFont ? AAFont->Canvas() : nullptr;
    if (!target) return;
    const int w = mask.Width(), h = mask.Height();
    if (w <= 0 || h <= 0) return;
    if (RGBBmp->PixelFormat() != pf24bit) RGBBmp->SetPixelFormat(pf24bit);
    RGBBmp->SetSize(w, h);
    TCanvas* work = RGBBmp->Canvas();
    work->Brush()->Assign(target->Brush());
    if (target->Brush()->Style() != bsSolid) {
        // A clear brush: blend over what the target already shows.
        BitBlt(work->Handle(), 0, 0, w, h, target->Handle(), x, y, SRCCOPY);
    } else {
        // A solid brush stands for an opaque background in its colour.
        work->FillRect(Rect(0, 0, w, h));
    }
    GdiFlush();
    kernel(BgrPlaneOf(*RGBBmp), mask.Plane());
    RGBBmp->PixelsChanged();
    BitBlt(target->Handle(), x, y, w, h, work->Handle(), 0, 0, SRCCOPY);
}

void TAABlend::Blend(int x, int y, TAAMask& mask, int alpha, TColor colour)
{
    const TRgb rgb = RgbOfColor(colour);
    const int a16 = AlphaToA16(alpha);
    BlendWith(x, y, mask, [&](const TBgrPlane& dst, const TAAGrayPlane& m) { BlendColor(dst, m, a16, rgb); });
}

void TAABlend::BlendEx(int x, int y, TAAMask& mask, int alpha)
{
    if (FForeBmp->Width() != mask.Width() || FForeBmp->Height() != mask.Height() || FForeBmp->PixelFormat() != pf24bit)
        throw EInvalidForeBmp(L"Invalid foreground bitmap!");
    const int a16 = AlphaToA16(alpha);
    GdiFlush();
    TBgrPlane fore = BgrPlaneOf(*FForeBmp);
    BlendWith(x, y, mask, [&](const TBgrPlane& dst, const TAAGrayPlane& m) { BlendFore(dst, m, a16, fore); });
}

// ---- TAAFont --------------------------------------------------------------------------------

TAAFont::TAAFont(TCanvas* canvas)
    : FCanvas(canvas), FMask(std::make_unique<TAAMask>(this)), FBlend(std::make_unique<TAABlend>(this))
{
}

TAAFont::~TAAFont() = default;

TSize TAAFont::TextExtent(const String& text)
{
    return FMask->TextExtent(text);
}

void TAAFont::TextOutput(int x, int y, const String& text, int alpha, int blur)
{
    if (!FCanvas || text.empty()) return;
    FMask->DrawMask(text);
    if (blur > 0) FMask->Blur(blur);
    FBlend->Blend(x, y, *FMask, alpha, FCanvas->Font()->Color());
}
