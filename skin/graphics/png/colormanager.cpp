#include "skin/graphics/png/colormanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const wchar_t* const MsgBadDepth = L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
const wchar_t* const MsgBadSamples = L"Sample count per pixel does not correspond to the given color scheme.";
const wchar_t* const MsgIndexedMix = L"Conversion between indexed and non-indexed pixel formats is not supported.";
const wchar_t* const MsgNoMethod = L"Color conversion failed. Could not find a proper method.";

inline uint8_t Clamp8(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
inline uint8_t Clamp8(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }
// Round half to even, as the rest of the program rounds.
inline double RoundEven(double v) { return std::nearbyint(v); }
inline uint8_t NextBit(uint8_t bit) { return static_cast<uint8_t>((bit >> 1) | (bit << 7)); }
inline uint16_t Widen8(uint32_t v) { return static_cast<uint16_t>(v * 65535u / 255u); }

inline void Put16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// Reads the samples of one pixel after the other, interleaved or from planes.
struct SampleReader {
    const uint8_t* p[4] = {};
    int planes = 1;
    int step = 0;     // bytes per interleaved pixel
    int bytes = 1;    // bytes per sample
    bool swap = false;

    SampleReader(std::span<const void* const> src, int samples, int bytesPerSample, bool byteSwap)
        : bytes(bytesPerSample), swap(byteSwap)
    {
        planes = static_cast<int>(std::min<size_t>(src.size(), 4));
        if (planes < 1) planes = 1;
        for (int i = 0; i < planes; ++i) p[i] = static_cast<const uint8_t*>(i < static_cast<int>(src.size()) ? src[i] : nullptr);
        step = samples * bytes;
    }
    // Raw sample k of the current pixel (16-bit samples with the byte order resolved).
    uint32_t Get(int k) const
    {
        const uint8_t* q;
        if (planes > 1) {
            if (k >= planes) return 0;
            q = p[k];
        } else {
            q = p[0] + k * bytes;
        }
        if (bytes == 1) return q[0];
        return swap ? (uint32_t(q[0]) << 8 | q[1]) : (uint32_t(q[1]) << 8 | q[0]);
    }
    void Next()
    {
        if (planes > 1) {
            for (int i = 0; i < planes; ++i) p[i] += bytes;
        } else {
            p[0] += step;
        }
    }
};

}  // namespace

TColorManager::TColorManager()
{
    // Every decoder load starts a manager, so the default table is computed once only.
    static const TColorManager* const defaults = [] {
        auto* m = new TColorManager(0);
        m->SetGamma(1.0f, 2.2f);
        return m;
    }();
    std::memcpy(FGammaTable, defaults->FGammaTable, sizeof FGammaTable);
}

void TColorManager::Error(const String& msg)
{
    throw EColorConversionError(msg);
}

void TColorManager::SetSourceBitsPerSample(uint8_t v)
{
    if (v == 0 || v > 16) Error(MsgBadDepth);
    if (v != FSourceBPS) { FSourceBPS = v; FChanged = true; }
}

void TColorManager::SetTargetBitsPerSample(uint8_t v)
{
    if (v == 0 || v > 16) Error(MsgBadDepth);
    if (v != FTargetBPS) { FTargetBPS = v; FChanged = true; }
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t v)
{
    if (v == 0 || v > 4) Error(MsgBadSamples);
    if (v != FSourceSPP) { FSourceSPP = v; FChanged = true; }
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t v)
{
    if (v == 0 || v > 4) Error(MsgBadSamples);
    if (v != FTargetSPP) { FTargetSPP = v; FChanged = true; }
}

void TColorManager::SetSourceColorScheme(TColorScheme v)
{
    if (v != FSourceScheme) { FSourceScheme = v; FChanged = true; }
}

void TColorManager::SetTargetColorScheme(TColorScheme v)
{
    if (v != FTargetScheme) { FTargetScheme = v; FChanged = true; }
}

TColorManager::TPixelFormat TColorManager::PixelFormatOf(uint8_t spp, uint8_t bps)
{
    switch (spp) {
    case 1:
        if (bps == 1) return pf1bit;
        if (bps >= 2 && bps <= 4) return pf4bit;
        if (bps >= 8 && bps <= 16) return pf8bit;
        return pfCustom;
    case 3: return bps <= 5 ? pf15bit : pf24bit;
    case 4: return bps >= 8 ? pf32bit : pfCustom;
    default: return pfCustom;
    }
}

void TColorManager::SetGamma(float mainGamma, float displayGamma)
{
    FMainGamma = mainGamma > 0 ? mainGamma : 1.0f;
    FDisplayGamma = displayGamma > 0 ? displayGamma : 2.2f;
    double g = 1.0 / (double(FMainGamma) * double(FDisplayGamma));
    int a = FSourceBPS >= 8 ? 255 : (1 << FSourceBPS) - 1;
    int c = FTargetBPS >= 8 ? 255 : (1 << FTargetBPS) - 1;
    for (int i = 0; i <= a; ++i) FGammaTable[i] = Clamp8(RoundEven(std::pow(double(i) / a, g) * c));
}

uint8_t TColorManager::Scale16To8(uint16_t v) const
{
    return static_cast<uint8_t>(uint32_t(v) * 255u / 65535u);
}

void TColorManager::ConvertRow(TSourceRow source, void* target, uint32_t count, uint8_t mask)
{
    if (FChanged) ChooseRowConverter();
    if (!FRowConversion) Error(MsgNoMethod);
    if (source.empty() || !source[0] || !target) return;
    (this->*FRowConversion)(source, static_cast<uint8_t*>(target), count, mask);
}

void TColorManager::ChooseRowConverter()
{
    using enum TColorScheme;
    FRowConversion = nullptr;
    auto isIn = [](TColorScheme s, std::initializer_list<TColorScheme> set) {
        return std::find(set.begin(), set.end(), s) != set.end();
    };
    bool sourceIndexed = isIn(FSourceScheme, {csIndexed, csG, csGA});
    bool targetIndexed = isIn(FTargetScheme, {csIndexed, csG});
    if (sourceIndexed != targetIndexed) Error(MsgIndexedMix);

    auto setAlpha = [&](TConvertOptions& o, TColorScheme s) {
        if (isIn(s, {csGA, csRGBA, csBGRA})) o |= coAlpha; else o &= ~coAlpha;
    };
    setAlpha(SourceOptions, FSourceScheme);
    setAlpha(TargetOptions, FTargetScheme);

    const int S = FSourceBPS, T = FTargetBPS;
    bool toRGB = isIn(FTargetScheme, {csRGB, csRGBA});
    bool toBGR = isIn(FTargetScheme, {csBGR, csBGRA});
    switch (FSourceScheme) {
    case csIndexed:
        if (S == 16 && T == 16) FRowConversion = &TColorManager::Index16Row;
        else if (S == 16) FRowConversion = &TColorManager::Index16ToPackedRow;
        else if (T == 16) FRowConversion = &TColorManager::PackedToIndex16Row;
        else FRowConversion = &TColorManager::PackedIndexRow;
        break;
    case csG:
        if (S == 16 || T == 16) {
            if (S >= 8 && T >= 8) FRowConversion = &TColorManager::GreyRow;
        } else {
            FRowConversion = &TColorManager::PackedIndexRow;
        }
        break;
    case csGA:
        if ((S == 8 || S == 16) && (T == 8 || T == 16)) FRowConversion = &TColorManager::GreyRow;
        break;
    case csRGB:
    case csRGBA:
        if (toRGB) FRowConversion = &TColorManager::RGBToRGBRow;
        else if (toBGR) FRowConversion = &TColorManager::RGBToBGRRow;
        break;
    case csBGR:
    case csBGRA:
        if (toRGB) FRowConversion = &TColorManager::BGRToRGBRow;
        else if (toBGR) FRowConversion = &TColorManager::BGRToBGRRow;
        break;
    case csCMYK:
        if (toRGB) FRowConversion = &TColorManager::CMYKToRGBRow;
        else if (toBGR) FRowConversion = &TColorManager::CMYKToBGRRow;
        break;
    case csCIELab:
        if (toRGB) FRowConversion = &TColorManager::LabToRGBRow;
        else if (toBGR) FRowConversion = &TColorManager::LabToBGRRow;
        break;
    case csYCbCr:
    case csPhotoYCC:
        if (toRGB || toBGR) {
            bool photo = FSourceScheme == csPhotoYCC;
            BuildYCbCrTables(photo);
            if (photo) FRowConversion = toRGB ? &TColorManager::PhotoYCCToRGBRow : &TColorManager::PhotoYCCToBGRRow;
            else FRowConversion = toRGB ? &TColorManager::YCbCrToRGBRow : &TColorManager::YCbCrToBGRRow;
        }
        break;
    default:
        break;
    }
    FChanged = false;
}

void TColorManager::BuildYCbCrTables(bool photoYCC)
{
    double kr = FYCbCrCoefficients[0], kg = FYCbCrCoefficients[1], kb = FYCbCrCoefficients[2];
    double r = 2 - 2 * kr, b = 2 - 2 * kb, gr = kr * r / kg, gb = kb * b / kg;
    FCrToRedTable.assign(256, 0);
    FCbToBlueTable.assign(256, 0);
    FCrToGreenTable.assign(256, 0);
    FCbToGreenTable.assign(256, 0);
    int crBase = photoYCC ? 137 : 128, cbBase = photoYCC ? 156 : 128;
    for (int i = 0; i < 256; ++i) {
        int xr = i - crBase, xb = i - cbBase;
        FCrToRedTable[i] = static_cast<int>(RoundEven(r * xr));
        FCbToBlueTable[i] = static_cast<int>(RoundEven(b * xb));
        FCrToGreenTable[i] = -static_cast<int>(RoundEven(gr * xr));
        FCbToGreenTable[i] = -static_cast<int>(RoundEven(gb * xb));
    }
}

// ---- converters ------------------------------------------------------------------------------

void TColorManager::RowRGB(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool swapRB)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if ((S != 8 && S != 16) || (T != 8 && T != 16)) return;
    const bool srcAlpha = SourceOptions & coAlpha, tgtAlpha = TargetOptions & coAlpha;
    const bool copyAlpha = srcAlpha && tgtAlpha;
    const bool gamma = (TargetOptions & coApplyGamma) && T == 8;
    const bool swap = SourceOptions & coNeedByteSwap;
    const int tStep = (tgtAlpha ? 4 : 3) * (T / 8);
    const int i0 = swapRB ? 2 : 0, i2 = swapRB ? 0 : 2;

    if (S == 8 && T == 8 && s.size() == 1 && m == 0xFF && !gamma) {
        // The common case of PNG rows: a straight byte shuffle.
        const uint8_t* p = static_cast<const uint8_t*>(s[0]);
        const int sStep = srcAlpha ? 4 : 3;
        if (copyAlpha && swapRB) {
            for (uint32_t i = 0; i < n; ++i, p += 4, t += 4) {
                uint32_t v;
                std::memcpy(&v, p, 4);
                v = (v & 0xFF00FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu);
                std::memcpy(t, &v, 4);
            }
            return;
        }
        if (!srcAlpha && !tgtAlpha && swapRB && n > 0) {
            // Three bytes per pixel, reversed: one 4-byte load and store per pixel; each store's
            // fourth byte is overwritten by the next pixel, so the last pixel goes bytewise.
            for (uint32_t i = 0; i + 1 < n; ++i, p += 3, t += 3) {
                uint32_t v;
                std::memcpy(&v, p, 4);
                v = (v & 0x0000FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu);
                std::memcpy(t, &v, 4);
            }
            t[0] = p[2];
            t[1] = p[1];
            t[2] = p[0];
            return;
        }
        for (uint32_t i = 0; i < n; ++i, p += sStep, t += tStep) {
            t[0] = p[i0];
            t[1] = p[1];
            t[2] = p[i2];
            if (copyAlpha) t[3] = p[3];
        }
        return;
    }

    SampleReader r(s, srcAlpha ? 4 : 3, S / 8, swap);
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, t += tStep, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t c[4] = {r.Get(i0), r.Get(1), r.Get(i2), copyAlpha ? r.Get(3) : 0};
        if (T == 8) {
            for (int k = 0; k < 4; ++k) {
                if (k == 3 && !copyAlpha) break;
                uint8_t v = S == 8 ? uint8_t(c[k]) : Scale16To8(uint16_t(c[k]));
                if (gamma && k < 3) v = FGammaTable[v];
                t[k] = v;
            }
        } else {
            for (int k = 0; k < 4; ++k) {
                if (k == 3 && !copyAlpha) break;
                Put16(t + 2 * k, S == 16 ? uint16_t(c[k]) : Widen8(c[k]));
            }
        }
        r.Next();
    }
}

void TColorManager::GreyRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if ((S != 8 && S != 16) || (T != 8 && T != 16)) return;
    const bool srcAlpha = SourceOptions & coAlpha;
    SampleReader r(s, srcAlpha ? 2 : 1, S / 8, SourceOptions & coNeedByteSwap);
    const int tStep = T / 8;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, t += tStep, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t v = r.Get(0);
        if (T == 8) *t = S == 8 ? uint8_t(v) : Scale16To8(uint16_t(v));
        else Put16(t, S == 16 ? uint16_t(v) : Widen8(v));
        r.Next();
    }
}

namespace {

// Packed sample access, most significant bits first, for 1..8 bits per sample.
inline uint32_t ReadPacked(const uint8_t* row, uint64_t index, int bits)
{
    if (bits == 8) return row[index];
    uint64_t pos = index * bits;
    if (8 % bits == 0) return (row[pos >> 3] >> (8 - bits - (pos & 7))) & ((1u << bits) - 1);
    uint32_t v = 0;   // depths that straddle bytes (not used by PNG files)
    for (int b = 0; b < bits; ++b, ++pos) v = (v << 1) | ((row[pos >> 3] >> (7 - (pos & 7))) & 1u);
    return v;
}

// The target byte advances after every 8 / bits pixels, counted from the start of the row.
inline void WritePacked(uint8_t* row, uint32_t index, int bits, uint32_t value)
{
    const uint32_t perByte = 8 / bits;
    uint8_t& b = row[index / perByte];
    int shift = 8 - bits * int(index % perByte + 1);
    uint8_t maskBits = static_cast<uint8_t>(((1u << bits) - 1) << shift);
    b = static_cast<uint8_t>((b & ~maskBits) | ((value << shift) & maskBits));
}

}  // namespace

void TColorManager::PackedIndexRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if (S > 8 || T > 8) return;
    const uint8_t* src = static_cast<const uint8_t*>(s[0]);
    if (S == T && m == 0xFF) {
        std::memcpy(t, src, (uint64_t(n) * S + 7) / 8);
        return;
    }
    const uint32_t sMax = (1u << S) - 1, tMax = (1u << T) - 1;
    uint64_t si = 0;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t v = ReadPacked(src, si++, S) * tMax / sMax;
        if (T == 8) t[i] = uint8_t(v);
        else WritePacked(t, i, T, v);
    }
}

void TColorManager::Index16Row(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m)
{
    const bool swap = SourceOptions & coNeedByteSwap;
    if (m == 0xFF && !swap) {
        std::memcpy(t, s[0], uint64_t(n) * 2);
        return;
    }
    SampleReader r(s.first(1), 1, 2, swap);
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        Put16(t + 2 * i, uint16_t(r.Get(0)));
        r.Next();
    }
}

void TColorManager::Index16ToPackedRow(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m)
{
    const int T = FTargetBPS;
    if (T > 8) return;
    SampleReader r(s.first(1), 1, 2, SourceOptions & coNeedByteSwap);
    const uint32_t tMax = (1u << T) - 1;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t v = r.Get(0) * tMax / 65535u;
        if (T == 8) t[i] = uint8_t(v);
        else WritePacked(t, i, T, v);
        r.Next();
    }
}

void TColorManager::PackedToIndex16Row(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m)
{
    const int S = FSourceBPS;
    if (S > 8) return;
    const bool swap = SourceOptions & coNeedByteSwap;
    const uint8_t* src = static_cast<const uint8_t*>(s[0]);
    const uint32_t sMax = (1u << S) - 1;
    uint64_t si = 0;
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t v = ReadPacked(src, si++, S) * 65535u / sMax;
        if (swap) v = ((v & 0xFF) << 8) | (v >> 8);
        Put16(t + 2 * i, uint16_t(v));
    }
}

void TColorManager::RowCMYK(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if ((S != 8 && S != 16) || (T != 8 && T != 16)) return;
    // Planes only when all four are given.
    TSourceRow src = s.size() >= 4 ? s.first(4) : s.first(1);
    SampleReader r(src, 4, S / 8, SourceOptions & coNeedByteSwap);
    const int tStep = ((TargetOptions & coAlpha) ? 4 : 3) * (T / 8);
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, t += tStep, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t k = r.Get(3), out[3];
        for (int c = 0; c < 3; ++c) {
            uint32_t x = r.Get(c);
            if (S == 8) {
                uint8_t v = Clamp8(int(255 - x - k + x * k / 255));
                out[c] = T == 8 ? v : Widen8(v);
            } else if (T == 8) {
                out[c] = Clamp8(255 - int(int64_t(x + k - uint64_t(x) * k / 65535) * 255 / 65535));
            } else {
                out[c] = uint16_t(65535u - x - k + uint32_t(uint64_t(x) * k / 65535));
            }
        }
        // C, M, Y become red, green, blue.
        uint32_t o[3] = {bgr ? out[2] : out[0], out[1], bgr ? out[0] : out[2]};
        for (int c = 0; c < 3; ++c) {
            if (T == 8) t[c] = uint8_t(o[c]);
            else Put16(t + 2 * c, uint16_t(o[c]));
        }
        r.Next();
    }
}

void TColorManager::RowLab(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if ((S != 8 && S != 16) || (T != 8 && T != 16)) return;
    TSourceRow src = s.size() >= 3 ? s.first(3) : s.first(1);
    SampleReader r(src, 3, S / 8, SourceOptions & coNeedByteSwap);
    const bool byteRange = SourceOptions & coLabByteRange, chromaOffset = SourceOptions & coLabChromaOffset;
    const int tStep = ((TargetOptions & coAlpha) ? 4 : 3) * (T / 8);
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, t += tStep, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t l0 = r.Get(0), a0 = r.Get(1), b0 = r.Get(2);
        double L = byteRange ? l0 / 2.55 : double(l0);
        double a, b;
        if (chromaOffset) {
            a = double(int(a0) - 128);
            b = double(int(b0) - 128);
        } else {
            a = double(int8_t(uint8_t(a0 & 0xFF)));
            b = double(int8_t(uint8_t(b0 & 0xFF)));
        }
        double X, Y, Z;
        if (L < 7.9996) {
            Y = L / 903.3;
            X = Y + a / 3893.5;
            Z = Y - b / 1557.4;
        } else {
            double f = (L + 16) / 116;
            X = std::pow(f + a / 500, 3);
            Y = f * f * f;
            Z = std::pow(f - b / 200, 3);
        }
        uint8_t rgb[3] = {
            Clamp8(RoundEven(255 * (2.998 * X - 1.458 * Y - 0.541 * Z))),
            Clamp8(RoundEven(255 * (-0.952 * X + 1.893 * Y + 0.059 * Z))),
            Clamp8(RoundEven(255 * (0.099 * X - 0.198 * Y + 1.099 * Z))),
        };
        uint8_t o[3] = {bgr ? rgb[2] : rgb[0], rgb[1], bgr ? rgb[0] : rgb[2]};
        for (int c = 0; c < 3; ++c) {
            if (T == 8) t[c] = o[c];
            else Put16(t + 2 * c, S == 8 ? Widen8(o[c]) : o[c]);
        }
        r.Next();
    }
}

void TColorManager::RowYCC(TSourceRow s, uint8_t* t, uint32_t n, uint8_t m, bool bgr)
{
    const int S = FSourceBPS, T = FTargetBPS;
    if ((S != 8 && S != 16) || (T != 8 && T != 16)) return;
    if (FCrToRedTable.size() != 256) return;
    TSourceRow src = s.size() >= 3 ? s.first(3) : s.first(1);
    SampleReader r(src, 3, S / 8, SourceOptions & coNeedByteSwap);
    const int tStep = ((TargetOptions & coAlpha) ? 4 : 3) * (T / 8);
    uint8_t bit = 0x80;
    for (uint32_t i = 0; i < n; ++i, t += tStep, bit = NextBit(bit)) {
        if (!(m & bit)) continue;
        uint32_t y = r.Get(0), cb = r.Get(1), cr = r.Get(2);
        uint32_t rgb[3];
        if (S == 16 && T == 16) {
            double yy = 1.3584 * y, c1 = double(cb) - 40092, c2 = double(cr) - 35209;
            // Stored as 16-bit words as they come, without clamping.
            rgb[2] = uint16_t(int64_t(RoundEven(yy + 2.2179 * c1)));
            rgb[1] = uint16_t(int64_t(RoundEven(yy - 0.9271435 * c2 - 0.4302726 * c1)));
            rgb[0] = uint16_t(int64_t(RoundEven(yy + 1.8215 * c2)));
        } else {
            if (S == 16) {
                y = y * 255 / 65535;
                cb = cb * 255 / 65535;
                cr = cr * 255 / 65535;
            }
            int yi = int(y);
            rgb[0] = Clamp8(yi + FCrToRedTable[cr]);
            rgb[1] = Clamp8(yi + FCbToGreenTable[cb] + FCrToGreenTable[cr]);
            rgb[2] = Clamp8(yi + FCbToBlueTable[cb]);
            if (T == 16) for (auto& v : rgb) v = Widen8(v);
        }
        uint32_t o[3] = {bgr ? rgb[2] : rgb[0], rgb[1], bgr ? rgb[0] : rgb[2]};
        for (int c = 0; c < 3; ++c) {
            if (T == 8) t[c] = uint8_t(o[c]);
            else Put16(t + 2 * c, uint16_t(o[c]));
        }
        r.Next();
    }
}

// ---- palettes --------------------------------------------------------------------------------

TRawPalette TColorManager::CreateColorPalette(TSourceRow data, TRawPaletteFormat dataFormat, uint32_t colorCount, bool rgb)
{
    using enum TRawPaletteFormat;
    const uint32_t count = std::min<uint32_t>(colorCount, 256);
    TRawPalette pal(count);
    const bool gamma = TargetOptions & coApplyGamma;
    const bool swap = SourceOptions & coNeedByteSwap;
    auto plane = [&](size_t k) { return k < data.size() ? static_cast<const uint8_t*>(data[k]) : nullptr; };
    auto g8 = [&](uint8_t v) { return gamma ? FGammaTable[v] : v; };
    auto c16 = [&](const uint8_t* p) {
        uint16_t v = swap ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
        return g8(Scale16To8(v));
    };
    switch (dataFormat) {
    case pfInterlaced8Triple:
    case pfInterlaced8Quad: {
        const uint8_t* p = plane(0);
        const int step = dataFormat == pfInterlaced8Triple ? 3 : 4;
        for (uint32_t i = 0; p && i < count; ++i, p += step) {
            // Without RGB the bytes are red, green, blue; with it blue, green, red.
            uint8_t a = g8(p[0]), b = g8(p[1]), c = g8(p[2]);
            pal[i] = rgb ? TPaletteEntry{c, b, a} : TPaletteEntry{a, b, c};
        }
        break;
    }
    case pfPlane8Triple:
    case pfPlane8Quad: {
        const uint8_t *r = plane(0), *g = plane(1), *b = plane(2);
        for (uint32_t i = 0; r && g && b && i < count; ++i) pal[i] = {g8(r[i]), g8(g[i]), g8(b[i])};
        break;
    }
    case pfInterlaced16Triple:
    case pfInterlaced16Quad: {
        const uint8_t* p = plane(0);
        const int step = dataFormat == pfInterlaced16Triple ? 6 : 8;
        for (uint32_t i = 0; p && i < count; ++i, p += step) {
            uint8_t a = c16(p), b = c16(p + 2), c = c16(p + 4);
            pal[i] = rgb ? TPaletteEntry{a, b, c} : TPaletteEntry{c, b, a};
        }
        break;
    }
    case pfPlane16Triple:
    case pfPlane16Quad: {
        const uint8_t *r = plane(0), *g = plane(1), *b = plane(2);
        for (uint32_t i = 0; r && g && b && i < count; ++i) pal[i] = {c16(r + 2 * i), c16(g + 2 * i), c16(b + 2 * i)};
        break;
    }
    }
    if (FTargetBPS <= 8 && FSourceBPS != FTargetBPS) {
        // Spread the entries over the target's index range, as PackedIndexRow scales indexes.
        const uint32_t sMax = (1u << FSourceBPS) - 1, tMax = (1u << FTargetBPS) - 1;
        TRawPalette spread(tMax + 1);
        for (uint32_t i = 0; i <= tMax; ++i) {
            uint32_t from = uint32_t(uint64_t(i) * sMax / tMax);
            if (from < pal.size()) spread[i] = pal[from];
        }
        pal = std::move(spread);
    }
    return pal;
}

TRawPalette TColorManager::CreateGrayscalePalette(bool minimumIsWhite)
{
    const int bits = std::min(int(FTargetBPS) * FTargetSPP, 8);
    const int n = 1 << bits;
    const int step = 255 / (n - 1);
    const bool gamma = TargetOptions & coApplyGamma;
    TRawPalette pal(n);
    for (int i = 0; i < n; ++i) {
        uint8_t v = static_cast<uint8_t>(i * step);
        if (gamma) v = FGammaTable[v];
        pal[minimumIsWhite ? n - 1 - i : i] = {v, v, v};
    }
    return pal;
}
