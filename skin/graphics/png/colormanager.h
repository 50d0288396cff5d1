// Row conversion of raw image samples into device-independent bitmap rows, with palettes and
// the gamma table. No windows.h here: the Windows layer turns the palettes into handles.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "vcl/sysutils.h"

QW_DECLARE_EXCEPTION(EColorConversionError, Exception);

enum class TColorScheme : uint8_t {
    csUnknown, csIndexed, csG, csGA, csRGB, csRGBA, csBGR, csBGRA,
    csCMY, csCMYK, csCIELab, csYCbCr, csPhotoYCC
};

using TConvertOptions = uint8_t;
enum TConvertOption : uint8_t {
    coAlpha = 1,             // the side carries an alpha sample (kept up to date by the converter choice)
    coApplyGamma = 2,        // target: colours go through the gamma table
    coNeedByteSwap = 4,      // source: 16-bit samples are big-endian
    coLabByteRange = 8,      // CIELab lightness stored as 0..255 instead of 0..100
    coLabChromaOffset = 16,  // CIELab a and b stored with an offset of 128
};

enum class TRawPaletteFormat : uint8_t {
    pfInterlaced8Triple, pfInterlaced8Quad, pfPlane8Triple, pfPlane8Quad,
    pfInterlaced16Triple, pfInterlaced16Quad, pfPlane16Triple, pfPlane16Quad
};

// One palette entry as the bitmap's colour table will hold it.
struct TPaletteEntry {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TPaletteEntry&) const = default;
};
using TRawPalette = std::vector<TPaletteEntry>;

class TColorManager {
public:
    // The bitmap format a layout maps to (kept inside the class: the Windows layer has its own).
    enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
    // Source: one pointer for interleaved samples, one per sample kind for planes.
    using TSourceRow = std::span<const void* const>;

    TColorManager();

    // Converts Count pixels; Mask (rotated right per target pixel) selects the pixels written.
    void ConvertRow(TSourceRow source, void* target, uint32_t count, uint8_t mask);
    TRawPalette CreateColorPalette(TSourceRow data, TRawPaletteFormat dataFormat, uint32_t colorCount, bool rgb);
    TRawPalette CreateGrayscalePalette(bool minimumIsWhite);
    void SetGamma(float mainGamma, float displayGamma = 2.2f);
    [[noreturn]] static void Error(const String& msg);

    uint8_t SourceBitsPerSample() const { return FSourceBPS; }
    uint8_t TargetBitsPerSample() const { return FTargetBPS; }
    uint8_t SourceSamplesPerPixel() const { return FSourceSPP; }
    uint8_t TargetSamplesPerPixel() const { return FTargetSPP; }
    TColorScheme SourceColorScheme() const { return FSourceScheme; }
    TColorScheme TargetColorScheme() const { return FTargetScheme; }
    void SetSourceBitsPerSample(uint8_t v);
    void SetTargetBitsPerSample(uint8_t v);
    void SetSourceSamplesPerPixel(uint8_t v);
    void SetTargetSamplesPerPixel(uint8_t v);
    void SetSourceColorScheme(TColorScheme v);
    void SetTargetColorScheme(TColorScheme v);
    TPixelFormat SourcePixelFormat() const { return PixelFormatOf(FSourceSPP, FSourceBPS); }
    TPixelFormat TargetPixelFormat() const { return PixelFormatOf(FTargetSPP, FTargetBPS); }

    TConvertOptions SourceOptions = 0;
    TConvertOptions TargetOptions = 0;

    float MainGamma() const { return FMainGamma; }
    float DisplayGamma() const { return FDisplayGamma; }
    const uint8_t* GammaTable() const { return FGammaTable; }

private:
    using TConversionMethod = void (TColorManager::*)(TSourceRow, uint8_t*, uint32_t, uint8_t);
    explicit TColorManager(int) {}   // without the gamma table

    static TPixelFormat PixelFormatOf(uint8_t spp, uint8_t bps);
    void ChooseRowConverter();
    void BuildYCbCrTables(bool photoYCC);

    void RowRGB(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool swapRB);
    void RGBToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowRGB(s, t, n, m, true); }
    void RGBToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowRGB(s, t, n, m, false); }
    void BGRToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowRGB(s, t, n, m, false); }
    void BGRToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowRGB(s, t, n, m, true); }
    void GreyRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m);
    void PackedIndexRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m);
    void Index16Row(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m);
    void Index16ToPackedRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m);
    void PackedToIndex16Row(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m);
    void RowCMYK(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr);
    void CMYKToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowCMYK(s, t, n, m, true); }
    void CMYKToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowCMYK(s, t, n, m, false); }
    void RowLab(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr);
    void LabToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowLab(s, t, n, m, true); }
    void LabToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowLab(s, t, n, m, false); }
    void RowYCC(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr);
    void YCbCrToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowYCC(s, t, n, m, true); }
    void YCbCrToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowYCC(s, t, n, m, false); }
    void PhotoYCCToBGRRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowYCC(s, t, n, m, true); }
    void PhotoYCCToRGBRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m) { RowYCC(s, t, n, m, false); }

    uint8_t Scale16To8(uint16_t v) const;

    bool FChanged = true;
    uint8_t FSourceBPS = 8, FTargetBPS = 8;
    uint8_t FSourceSPP = 3, FTargetSPP = 3;
    float FMainGamma = 1.0f, FDisplayGamma = 2.2f;
    uint8_t FGammaTable[256] = {};
    float FYCbCrCoefficients[3] = {0.299f, 0.587f, 0.114f};
    std::vector<int> FCrToRedTable, FCbToBlueTable, FCrToGreenTable, FCbToGreenTable;
    TColorScheme FSourceScheme = TColorScheme::csRGB, FTargetScheme = TColorScheme::csBGR;
    TConversionMethod FRowConversion = nullptr;
};
