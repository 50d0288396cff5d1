#include "skin/graphics/pnggraphic.h"

#include "skin/graphics/paint32.h"

#include <algorithm>
#include <cstring>

#include "vcl/win.h"

namespace {

// Builds a DIB section of the picture's own format with its colour table and copies the rows.
HBITMAP MakeSection(const TPNGImage& img)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = LONG(img.Width);
    bi.h.biHeight = -LONG(img.Height);   // top-down, as the decoder's rows
    bi.h.biPlanes = 1;
    bi.h.biBitCount = WORD(img.BitsPerPixel);
    bi.h.biCompression = BI_RGB;
    const size_t colours = std::min<size_t>(img.Palette.size(), size_t(1) << std::min(img.BitsPerPixel, 8));
    bi.h.biClrUsed = img.BitsPerPixel <= 8 ? DWORD(size_t(1) << img.BitsPerPixel) : 0;
    for (size_t i = 0; i < colours; ++i) bi.colors[i] = {img.Palette[i].B, img.Palette[i].G, img.Palette[i].R, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) throw EOutOfResources(L"Out of system resources");
    std::memcpy(bits, img.Pixels.data(), img.Pixels.size());
    return bmp;
}

// The decoder's target: the picture's memory image, with the progress passed on.
class TProgressTarget : public TPNGTarget {
public:
    TProgressTarget(TPNGImage& image, TPNGGraphic& owner) : FImage(image), FOwner(owner) {}
    void SetImage(uint32_t width, uint32_t height, int bitsPerPixel, const TRawPalette& palette) override
    {
        FImage.SetImage(width, height, bitsPerPixel, palette);
    }
    bool GetBitmapRows(uint8_t*& row0, ptrdiff_t& stride) override { return FImage.GetBitmapRows(row0, stride); }
    void Progress(TPNGProgressStage stage, uint8_t percent, const TPNGProgressRect& r, const wchar_t* msg) override
    {
        if (FOwner.OnProgress)
            FOwner.OnProgress(&FOwner, TProgressStage(stage), percent, false, TRect(r.Left, r.Top, r.Right, r.Bottom), msg);
    }

private:
    TPNGImage& FImage;
    TPNGGraphic& FOwner;
};

}  // namespace

TPNGGraphic::TPNGGraphic() = default;
TPNGGraphic::~TPNGGraphic() = default;

bool TPNGGraphic::CanLoad(const String& fileName)
{
    TFileStream s(fileName, fmOpenRead | fmShareDenyWrite);
    return CanLoad(s);
}

bool TPNGGraphic::CanLoad(TStream& stream)
{
    return TPNGReader::CanLoad(stream);
}

bool TPNGGraphic::ReadImageProperties(TStream& stream, int imageIndex)
{
    try {
        return FReader.ReadImageProperties(stream, imageIndex);
    } catch (const EPNGFormatError& e) {
        throw EInvalidGraphic(e.Message());
    }
}

void TPNGGraphic::BuildBitmap()
{
    if (FImage.Width == 0 || FImage.Height == 0 || FImage.Pixels.empty()) {
        SetHandle(nullptr);
        return;
    }
    if (FImage.BitsPerPixel >= 24) {
        // The layouts a bitmap keeps as they are: copy the rows straight into its scan lines.
        SetPixelFormat(FImage.BitsPerPixel == 32 ? pf32bit : pf24bit);
        SetSize(int(FImage.Width), int(FImage.Height));
        const size_t rowBytes = size_t(FImage.Width) * (FImage.BitsPerPixel / 8);
        for (uint32_t y = 0; y < FImage.Height; ++y)
            std::memcpy(ScanLine(int(y)), FImage.Pixels.data() + y * FImage.Stride, rowBytes);
        SetIgnorePalette(FImage.BitsPerPixel == 32);
    } else {
        SetHandle(MakeSection(FImage));
    }
    if (FReader.TransparentColor() != PngNoColor) {
        SetTransparentColor(TColor(FReader.TransparentColor()));
        SetTransparent(true);
    }
    PixelsChanged();
}

void TPNGGraphic::LoadFromStream(TStream& stream)
{
    SetHandle(nullptr);
    FImage = TPNGImage();
    SetTransparent(false);
    TProgressTarget target(FImage, *this);
    try {
        FReader.LoadFromStream(stream, target);
    } catch (const EPNGFormatError& e) {
        // Keep what was decoded, as a partly loaded picture shows it.
        BuildBitmap();
        throw EInvalidGraphic(e.Message());
    } catch (...) {
        BuildBitmap();
        throw;
    }
    BuildBitmap();
}

void TPNGGraphic::LoadFromResourceName(HINSTANCE instance, const String& resName)
{
    HRSRC res = FindResourceW(instance, resName.c_str(), MAKEINTRESOURCEW(10));   // RT_RCDATA
    if (!res) throw EInvalidGraphic(L"Resource " + resName + L" not found");
    HGLOBAL mem = LoadResource(instance, res);
    const auto* data = static_cast<const uint8_t*>(LockResource(mem));
    DWORD size = SizeofResource(instance, res);
    if (!data) throw EInvalidGraphic(L"Resource " + resName + L" not found");
    TBytesStream s(std::vector<uint8_t>(data, data + size));
    LoadFromStream(s);
}

void TPNGGraphic::Assign(const TPersistent* source)
{
    if (auto* png = dynamic_cast<const TPNGGraphic*>(source); png && png != this) {
        FReader = png->FReader;
        FImage = png->FImage;
    }
    TBitmap::Assign(source);
}

void TPNGGraphic::Draw(TCanvas* canvas, const TRect& r)
{
    // Only a 32-bit picture is composed by its alpha; other formats draw as plain bitmaps.
    if (PixelFormat() != pf32bit || Empty() || !canvas) {
        TBitmap::Draw(canvas, r);
        return;
    }
    DrawBitmapAlpha(canvas, this, r, Reflected);
}

// ---- 32-bit loaders --------------------------------------------------------------------------

void ConvertPngTo32(TBitmap* bitmap, const TPNGGraphic* png)
{
    if (!bitmap || !png) return;
    const bool transparent = bitmap->Transparent();
    const TPNGImage& img = png->DecodedImage();
    bitmap->SetHandleType(bmDIB);
    bitmap->SetIgnorePalette(true);
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(int(img.Width), int(img.Height));
    if (img.Width == 0 || img.Height == 0 || img.Pixels.empty()) return;
    auto* row0 = static_cast<uint8_t*>(bitmap->ScanLine(0));
    ptrdiff_t stride = img.Height > 1 ? static_cast<uint8_t*>(bitmap->ScanLine(1)) - row0 : 0;
    // A transparent bitmap is keyed by the colour of its bottom-left pixel, whatever colour a
    // tRNS chunk names.
    ConvertPngRowsTo32(png->Reader(), img.View(), row0, stride, transparent, PngNoColor);
    bitmap->PixelsChanged();
}

void LoadPngStreamTo32(TBitmap* bitmap, TStream& stream)
{
    TPNGGraphic png;
    png.LoadFromStream(stream);
    const bool transparent = bitmap->Transparent();
    bitmap->SetIgnorePalette(png.IgnorePalette());
    bitmap->Assign(&png);
    bitmap->SetTransparent(transparent);
    ConvertPngTo32(bitmap, &png);
}

void LoadPngFileTo32(TBitmap* bitmap, const String& fileName)
{
    TPNGGraphic png;
    png.LoadFromFile(fileName);
    bitmap->Assign(&png);
    ConvertPngTo32(bitmap, &png);
}

void RegisterPngGraphic()
{
    TPicture::RegisterFileFormat(L"png", L"Portable network graphics (Qwelta skins)",
                                 [] { return std::unique_ptr<TGraphic>(new TPNGGraphic()); },
                                 {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A});
}

void UnregisterPngGraphic()
{
    TPicture::UnregisterFileFormat(L"png");
}

namespace {

// Registered when the graphics unit starts, so generic picture loading reaches it.
struct PngRegistration {
    PngRegistration() { RegisterPngGraphic(); }
    ~PngRegistration() { UnregisterPngGraphic(); }
} pngRegistration;

}  // namespace
