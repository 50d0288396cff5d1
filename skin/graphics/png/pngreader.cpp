#include "skin/graphics/png/pngreader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

const uint8_t Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

const wchar_t* const MsgInvalidFormat = L"Cannot load image. Invalid or unexpected %s image format.";
const wchar_t* const MsgCRC = L"Cannot load image. CRC error found in %s file.";
const wchar_t* const MsgPalette = L"Cannot load image. Palette in %s file is invalid.";
const wchar_t* const MsgCritical = L"Cannot load PNG image. Unexpected but critical chunk detected.";
const wchar_t* const MsgColorFormat = L"Invalid color format in %s file.";
const wchar_t* const MsgCompression = L"Cannot load image. Compression error found in %s file.";
const wchar_t* const MsgExtraData = L"Cannot load image. Extra compressed data found in %s file.";
const wchar_t* const MsgNoImageData = L"Cannot load image. Image data in %s file is missing or incomplete.";
const wchar_t* const MsgTooLarge = L"Cannot load image. The image in %s file is larger than its data allows.";

inline uint32_t BigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline uint16_t BigEndian16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// zlib's input and output counters are 32-bit.
constexpr uint64_t MaxRowBytes = 0x7FFFFFFF;
// The best deflate can do is a little over 1000:1.
constexpr uint64_t MaxDeflateRatio = 1040;

struct AdamPass {
    uint32_t RowStart, ColStart, RowStep, ColStep;
    uint8_t Mask;
};
const AdamPass Passes[7] = {
    {0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88}, {0, 2, 4, 4, 0x22},
    {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55}, {1, 0, 2, 1, 0xFF},
};

}  // namespace

uint32_t UpdatePngCRC(uint32_t crc, const uint8_t* data, size_t size)
{
    // zlib's CRC is the same CRC-32 and much faster than a table loop of ours; it inverts on
    // entry and exit itself, which our callers do, so undo that here.
    return ~uint32_t(crc32_z(~crc, data, size));
}

// ---- TLZ77Decoder ----------------------------------------------------------------------------

TLZ77Decoder::TLZ77Decoder(int flushMode, bool autoReset) : FFlushMode(flushMode), FAutoReset(autoReset) {}

TLZ77Decoder::~TLZ77Decoder()
{
    if (FInitialised) inflateEnd(&FStream);
}

void TLZ77Decoder::DecodeInit()
{
    if (inflateInit(&FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
    FInitialised = true;
}

void TLZ77Decoder::Decode(const uint8_t*& source, uint8_t*& dest, uint32_t packedSize, uint32_t unpackedSize)
{
    if (FAutoReset) FZLibResult = inflateReset(&FStream);
    if (FZLibResult != Z_OK) return;
    FStream.next_in = const_cast<Bytef*>(source);
    FStream.avail_in = packedSize;
    FStream.next_out = dest;
    FStream.avail_out = unpackedSize;
    FZLibResult = inflate(&FStream, FFlushMode);
    source = FStream.next_in;
    dest = FStream.next_out;
}

void TLZ77Decoder::DecodeEnd()
{
    if (!FInitialised) return;
    FInitialised = false;
    if (inflateEnd(&FStream) < 0) throw EGraphicCompression(L"LZ77 decompression error.");
}

// ---- TPNGReader ------------------------------------------------------------------------------

void TPNGReader::Fail(const wchar_t* fmt)
{
    throw EPNGFormatError(Format(fmt, {L"PNG"}));
}

bool TPNGReader::CanLoad(TStream& stream)
{
    int64_t pos = stream.Position();
    if (stream.Size() - pos <= 8) return false;
    uint8_t sig[8];
    bool ok = stream.Read(sig, 8) == 8 && std::memcmp(sig, Signature, 8) == 0;
    stream.SetPosition(pos);
    return ok;
}

bool TPNGReader::IsChunk(const char* type) const
{
    // Letter case does not tell chunk types apart here.
    for (int i = 0; i < 4; ++i) {
        if ((uint8_t(FHeader.ChunkType[i]) & ~0x20u) != (uint8_t(type[i]) & ~0x20u)) return false;
    }
    return true;
}

void TPNGReader::ReadChunkHeader()
{
    uint8_t raw[8];
    FStream->ReadBuffer(raw, 8);
    FHeader.Length = BigEndian32(raw);
    std::memcpy(FHeader.ChunkType, raw + 4, 4);
    FCurrentCRC = UpdatePngCRC(0xFFFFFFFFu, raw + 4, 4);
}

void TPNGReader::ReadChunkData()
{
    // A declared length beyond what the stream holds is a short read; find out before
    // allocating for it.
    if (FHeader.Length > 0x7FFFFFFFu || FStream->Size() - FStream->Position() < int64_t(FHeader.Length) + 4)
        throw EReadError(L"Stream read error");
    FRawBuffer.resize(FHeader.Length);
    FStream->ReadBuffer(FRawBuffer.data(), FHeader.Length);
    uint8_t crc[4];
    FStream->ReadBuffer(crc, 4);
    FCurrentCRC = UpdatePngCRC(FCurrentCRC, FRawBuffer.data(), FRawBuffer.size());
    if ((FCurrentCRC ^ 0xFFFFFFFFu) != BigEndian32(crc)) Fail(MsgCRC);
}

void TPNGReader::SkipChunk()
{
    FStream->Seek(int64_t(FHeader.Length) + 4, TSeekOrigin::soCurrent);
}

bool TPNGReader::ReadImageProperties(TStream& stream, int)
{
    FImageProperties = TImageProperties();
    FStream = &stream;
    uint8_t sig[8];
    if (stream.Read(sig, 8) != 8 || std::memcmp(sig, Signature, 8) != 0) return false;
    ReadChunkHeader();
    if (!IsChunk("IHDR") || FHeader.Length != 13) return false;
    FImageProperties.Options |= ioBigEndian;
    ReadChunkData();
    const uint8_t* h = FRawBuffer.data();
    uint32_t width = BigEndian32(h), height = BigEndian32(h + 4);
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return false;
    auto& p = FImageProperties;
    p.Width = width;
    p.Height = height;
    p.Compression = h[10] == 0 ? TCompressionType::ctLZ77 : TCompressionType::ctUnknown;
    p.BitsPerSample = h[8];
    p.SamplesPerPixel = 1;
    p.ColorType = h[9];
    p.Interlace = h[12];
    switch (h[9]) {
    case 0: p.ColorScheme = TColorScheme::csG; break;
    case 2: p.ColorScheme = TColorScheme::csRGB; p.SamplesPerPixel = 3; break;
    case 3: p.ColorScheme = TColorScheme::csIndexed; break;
    case 4: p.ColorScheme = TColorScheme::csGA; break;
    case 6: p.ColorScheme = TColorScheme::csRGBA; p.SamplesPerPixel = 4; break;
    default: p.ColorScheme = TColorScheme::csUnknown; break;
    }
    for (;;) {
        ReadChunkHeader();
        if (IsChunk("gAMA")) {
            ReadChunkData();
            break;
        }
        if (IsChunk("IEND")) break;
        SkipChunk();
    }
    return true;
}

void TPNGReader::ChoosePixelLayout()
{
    using enum TColorScheme;
    const uint8_t depth = FImageProperties.BitsPerSample;
    auto& cm = FColorManager;
    auto set = [&](TColorScheme s, TColorScheme t, uint8_t spp, uint8_t targetBits, int bpp, int sourceBPP) {
        cm.SetSourceColorScheme(s);
        cm.SetTargetColorScheme(t);
        cm.SetSourceSamplesPerPixel(spp);
        cm.SetTargetSamplesPerPixel(spp);
        cm.SetSourceBitsPerSample(depth);
        cm.SetTargetBitsPerSample(targetBits);
        FTargetBits = targetBits;
        FBitsPerPixel = bpp;
        FSourceBPP = std::max(sourceBPP, 1);
    };
    auto bppOf = [](uint8_t bits) { return bits == 1 ? 1 : bits == 4 ? 4 : 8; };
    switch (FImageProperties.ColorType) {
    case 0:
        if (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16) {
            uint8_t t = depth == 2 ? 4 : depth == 16 ? 8 : depth;
            set(csG, csG, 1, t, bppOf(t), (depth + 7) / 8);
            FPalette = cm.CreateGrayscalePalette(false);
            FHasPalette = true;
            return;
        }
        break;
    case 2:
        if (depth == 8 || depth == 16) {
            set(csRGB, csBGR, 3, 8, 24, depth * 3 / 8);
            return;
        }
        break;
    case 3:
        if (depth == 1 || depth == 2 || depth == 4 || depth == 8) {
            uint8_t t = depth == 2 ? 4 : depth;
            set(csIndexed, csIndexed, 1, t, bppOf(t), 1);
            return;
        }
        break;
    case 4:
        if (depth == 8 || depth == 16) {
            set(csGA, csIndexed, 1, 8, 8, depth * 2 / 8);
            FPalette = cm.CreateGrayscalePalette(false);
            FHasPalette = true;
            return;
        }
        break;
    case 6:
        if (depth == 8 || depth == 16) {
            set(csRGBA, csBGRA, 4, 8, 32, depth * 4 / 8);
            return;
        }
        break;
    }
    Fail(MsgColorFormat);
}

void TPNGReader::LoadFromStream(TStream& stream, TPNGTarget& target)
{
    FBasePosition = stream.Position();
    FDecoder = nullptr;
    FStream = &stream;
    // Each load starts from a fresh colour manager, so gamma of an earlier file never
    // leaks into this one.
    FColorManager = TColorManager();
    FBitsPerPixel = 0;
    FTargetBits = 0;
    FImageRead = false;
    FPalette.clear();
    FHasPalette = false;

    struct Cleanup {
        TPNGReader& r;
        TPNGTarget& t;
        ~Cleanup()
        {
            if (r.FDecoder) {
                try {
                    r.FDecoder->DecodeEnd();
                } catch (...) {
                }
                delete r.FDecoder;
                r.FDecoder = nullptr;
            }
            r.FRawBuffer.clear();
            r.FRawBuffer.shrink_to_fit();
            r.FRows.clear();
            r.FRows.shrink_to_fit();
            t.Progress(TPNGProgressStage::psEnding, 0, r.FProgressRect, L"");
        }
    };

    if (!ReadImageProperties(stream)) Fail(MsgInvalidFormat);
    stream.SetPosition(FBasePosition + 8);
    FProgressRect = {0, 0, int(FImageProperties.Width), 1};
    Cleanup cleanup{*this, target};
    target.Progress(TPNGProgressStage::psStarting, 0, FProgressRect, L"Preparing...");
    FTransparency.clear();
    FBackgroundColor = 0xFFFFFF;
    FTransparentColor = PngNoColor;
    ReadChunkHeader();
    ReadChunkData();
    FColorManager.SourceOptions = coNeedByteSwap;   // samples wider than 8 bits are big-endian

    if (FImageProperties.Compression != TCompressionType::ctLZ77)
        throw EPNGFormatError(Format(L"Cannot load image. %s not supported for %s files.", {L"The compression scheme is", L"PNG"}));
    FDecoder = new TLZ77Decoder(Z_PARTIAL_FLUSH, false);
    FDecoder->DecodeInit();

    for (;;) {
        ReadChunkHeader();
        if (IsChunk("IDAT") && !FImageRead) {
            target.Progress(TPNGProgressStage::psEnding, 0, FProgressRect, L"");
            LoadIDAT(target);
            FImageRead = true;
            // the chunk after the image data is now current and is handled below
        } else if (IsChunk("PLTE")) {
            if (FHeader.Length % 3 != 0) Fail(MsgPalette);
            ReadChunkData();
            if (FImageProperties.ColorType == 3) {
                ChoosePixelLayout();
                const void* plane[1] = {FRawBuffer.data()};
                FPalette = FColorManager.CreateColorPalette(plane, TRawPaletteFormat::pfInterlaced8Triple,
                                                            FHeader.Length / 3, false);
                FHasPalette = true;
            }
            continue;
        } else if (IsChunk("gAMA")) {
            ReadChunkData();
            if (FRawBuffer.size() >= 4) {
                FColorManager.SetGamma(float(BigEndian32(FRawBuffer.data()) / 100000.0), 2.2f);
                FColorManager.TargetOptions |= coApplyGamma;
                FImageProperties.Options |= ioUseGamma;
            }
            continue;
        } else if (IsChunk("bKGD")) {
            ReadChunkData();
            ReadBackground();
            continue;
        } else if (IsChunk("tRNS")) {
            ReadChunkData();
            ReadTransparency();
            continue;
        }
        if (IsChunk("IEND")) break;
        if (!(uint8_t(FHeader.ChunkType[0]) & 0x20)) Fail(MsgCritical);
        SkipChunk();
    }
    // A file without image data has no picture to show.
    if (!FImageRead) Fail(MsgNoImageData);
}

uint8_t TPNGReader::Sample8(uint16_t sample) const
{
    return FImageProperties.BitsPerSample == 16 ? uint8_t(uint32_t(sample) * 255 / 65535) : uint8_t(sample & 0xFF);
}

uint8_t TPNGReader::GreyLevel(uint16_t sample) const
{
    // The grey the picture shows for this sample (its palette spreads low depths over 0..255).
    const uint8_t depth = FImageProperties.BitsPerSample;
    if (depth >= 1 && depth < 8) {
        uint32_t max = (1u << depth) - 1;
        return uint8_t((sample & max) * 255 / max);
    }
    return Sample8(sample);
}

void TPNGReader::ReadBackground()
{
    const auto& b = FRawBuffer;
    switch (FImageProperties.ColorType) {
    case 0:
    case 4:
        if (b.size() >= 2) FBackgroundColor = GreyLevel(BigEndian16(b.data())) * 0x010101u;
        break;
    case 2:
    case 6:
        if (b.size() >= 6)
            FBackgroundColor = Sample8(BigEndian16(b.data())) | Sample8(BigEndian16(b.data() + 2)) << 8 |
                               Sample8(BigEndian16(b.data() + 4)) << 16;
        break;
    default:
        // A palette index: the colour of that entry (spread like the palette for 2-bit files).
        if (!b.empty() && FHasPalette) {
            uint32_t depth = FImageProperties.BitsPerSample, target = FTargetBits, index = b[0];
            if (depth >= 1 && depth <= 8 && target >= 1 && target <= 8 && depth != target) {
                uint32_t sMax = (1u << depth) - 1;
                index = (index & sMax) * ((1u << target) - 1) / sMax;
            }
            if (index < FPalette.size()) {
                const auto& e = FPalette[index];
                FBackgroundColor = e.R | e.G << 8 | e.B << 16;
            }
        }
        break;
    }
}

void TPNGReader::ReadTransparency()
{
    const auto& b = FRawBuffer;
    switch (FImageProperties.ColorType) {
    case 0:
        if (b.size() >= 2) FTransparentColor = GreyLevel(BigEndian16(b.data())) * 0x010101u;
        break;
    case 2:
        if (b.size() >= 6)
            FTransparentColor = Sample8(BigEndian16(b.data())) | Sample8(BigEndian16(b.data() + 2)) << 8 |
                                Sample8(BigEndian16(b.data() + 4)) << 16;
        break;
    case 4:
    case 6:
        break;
    default:
        FTransparency.assign(256, 255);
        std::copy_n(b.begin(), std::min<size_t>(b.size(), 256), FTransparency.begin());
        break;
    }
}

std::vector<uint8_t> TPNGReader::TargetTransparency() const
{
    if (FTransparency.empty()) return {};
    const uint32_t s = FImageProperties.BitsPerSample, t = FTargetBits;
    if (s == t || s == 0 || s > 8 || t == 0 || t > 8) return FTransparency;
    const uint32_t sMax = (1u << s) - 1, tMax = (1u << t) - 1;
    std::vector<uint8_t> r(256, 255);
    for (uint32_t i = 0; i <= tMax; ++i) r[i] = FTransparency[i * sMax / tMax];
    return r;
}

namespace {

// Applies op to the bytes from byte from (at least one pixel in) to n. With the pixel size known
// at compile time the byte loop of one pixel is unrolled; the pixels go one after the other,
// as each depends on its left neighbour. A row of a damaged file may end inside a pixel: the
// tail goes byte by byte.
template <uint32_t Fixed, class Op>
inline void ForPixelBytes(uint32_t bpp, uint32_t from, uint32_t n, Op op)
{
    const uint32_t size = Fixed ? Fixed : bpp;
    const uint32_t whole = n - n % size;
    uint32_t i = from;
    for (; i < whole; i += size)
        for (uint32_t k = 0; k < size; ++k) op(i + k);
    for (; i < n; ++i) op(i);
}

// Sixteen-bit lanes, one per byte of a pixel (pixels are at most 8 bytes).
using PixelLanes = int16_t __attribute__((vector_size(16)));

// Sub, Average and Paeth over whole pixels of 3 to 8 bytes, all bytes of a pixel at once in
// vector lanes: about twice as fast as the byte loop for Paeth, which dominates photos. The
// lanes start as zero, which is what the predictors take left of the first pixel.
template <uint32_t Bpp>
void PredictPixels(uint8_t type, uint8_t* __restrict r, const uint8_t* __restrict p, uint32_t whole)
{
    static_assert(Bpp >= 3 && Bpp <= 8);
    PixelLanes a = {}, c = {};   // left and upper left
    for (uint32_t i = 0; i < whole; i += Bpp) {
        PixelLanes b = {}, x = {};   // up and the filtered bytes
        for (uint32_t k = 0; k < Bpp; ++k) {
            b[k] = p[i + k];
            x[k] = r[i + k];
        }
        PixelLanes pred;
        if (type == 4) {
            PixelLanes pa = b - c, pb = a - c, pc = a + b - c - c;
            pa = pa < 0 ? -pa : pa;
            pb = pb < 0 ? -pb : pb;
            pc = pc < 0 ? -pc : pc;
            pred = pb <= pc ? b : c;
            pred = ((pa <= pb) & (pa <= pc)) ? a : pred;
        } else if (type == 3) {
            pred = (a + b) >> 1;
        } else {
            pred = a;
        }
        a = (x + pred) & 0xFF;
        c = b;
        for (uint32_t k = 0; k < Bpp; ++k) r[i + k] = uint8_t(a[k]);
    }
}

// The four predictors; r and p point past the filter type byte, n is the number of data bytes.
// Fixed is the pixel size in bytes, 0 when it is only known at run time (bpp).
template <uint32_t Fixed>
void UnfilterRow(uint8_t type, uint8_t* __restrict r, const uint8_t* __restrict p, uint32_t n, uint32_t bpp)
{
    const uint32_t size = Fixed ? Fixed : bpp;
    const uint32_t head = std::min(size, n);
    uint32_t from = size;   // where the byte loops below start; the first pixel has no left
    if constexpr (Fixed >= 3) {
        const uint32_t whole = n - n % Fixed;
        if ((type == 1 || type == 3 || type == 4) && whole > 0) {
            PredictPixels<Fixed>(type, r, p, whole);
            if (whole == n) return;
            from = whole;
        }
    }
    const bool first = from == size;
    switch (type) {
    case 1:
        ForPixelBytes<Fixed>(bpp, from, n, [&](uint32_t i) { r[i] = uint8_t(r[i] + r[i - size]); });
        break;
    case 2:
        // No dependency between bytes: this loop vectorises fully.
        for (uint32_t i = 0; i < n; ++i) r[i] = uint8_t(r[i] + p[i]);
        break;
    case 3:
        for (uint32_t i = 0; first && i < head; ++i) r[i] = uint8_t(r[i] + (p[i] >> 1));
        ForPixelBytes<Fixed>(bpp, from, n, [&](uint32_t i) { r[i] = uint8_t(r[i] + ((r[i - size] + p[i]) >> 1)); });
        break;
    case 4:
        for (uint32_t i = 0; first && i < head; ++i) r[i] = uint8_t(r[i] + p[i]);   // Paeth of (0, up, 0) is up
        ForPixelBytes<Fixed>(bpp, from, n, [&](uint32_t i) {
            const int a = r[i - size], b = p[i], c = p[i - size];
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            int pred = pb <= pc ? b : c;
            pred = (pa <= pb && pa <= pc) ? a : pred;
            r[i] = uint8_t(r[i] + pred);
        });
        break;
    default:
        break;   // 0 is no filter; unknown types leave the bytes as read
    }
}

}  // namespace

void TPNGReader::Unfilter(uint8_t* row, const uint8_t* prev, uint32_t size) const
{
    // row[0] and prev[0] are the filter type bytes; the data follow.
    uint8_t* r = row + 1;
    const uint8_t* p = prev + 1;
    const uint32_t n = size - 1, bpp = uint32_t(FSourceBPP);
    switch (bpp) {
    case 1: UnfilterRow<1>(row[0], r, p, n, bpp); break;
    case 2: UnfilterRow<2>(row[0], r, p, n, bpp); break;
    case 3: UnfilterRow<3>(row[0], r, p, n, bpp); break;
    case 4: UnfilterRow<4>(row[0], r, p, n, bpp); break;
    case 6: UnfilterRow<6>(row[0], r, p, n, bpp); break;
    case 8: UnfilterRow<8>(row[0], r, p, n, bpp); break;
    default: UnfilterRow<0>(row[0], r, p, n, bpp); break;
    }
}

// Rows are inflated many at a time into one window rather than one by one: zlib decodes
// much faster with a large output buffer (its fast loop stops 258 bytes short of the end of
// every output buffer). The picture must come out the same as row by row, including how far a
// damaged file gets: chunks are read only when the row asked for cannot be completed (so a bad
// chunk stops at the same row), and a failure inflate finds ahead is kept until the rows
// before it have been handed out.

// Compressed bytes of a chunk held back from inflating ahead. The last ones go row by row, so
// the end of the stream and the reading of the next chunk fall on the same row as they would
// with row-by-row inflating; zlib never keeps more than 8 bytes of input unread in its state.
constexpr uint32_t InflateMargin = 64;
// Inflated bytes beyond the two rows of the window.
constexpr uint64_t InflateAhead = 64 * 1024;

uint8_t* TPNGReader::NextRow(uint32_t bytes)
{
    // The row before the returned one in the same pass is right in front of it.
    while (FRowsEnd - FRowsStart < bytes || FRowsStart + bytes > FRowsFailAt) {
        if (FRowsFailure) Fail(FRowsFailure);
        if (!InflateMore(bytes)) return nullptr;
    }
    uint8_t* row = FRows.data() + FRowsStart;
    FRowsStart += bytes;
    return row;
}

bool TPNGReader::InflateMore(uint32_t bytes)
{
    const size_t rowEnd = FRowsStart + bytes;   // of the row asked for, not complete yet
    const size_t from = FRowsStart > bytes ? FRowsStart - bytes : 0;
    if (from > 0 && (FRowsSize - FRowsEnd < std::min<uint64_t>(InflateAhead / 2, FInflateLeft) || FRowsSize < rowEnd)) {
        // Move the row before the one asked for and what there is of that one to the front;
        // the window holds two rows and InflateAhead, so there is room again.
        std::memmove(FRows.data(), FRows.data() + from, FRowsEnd - from);
        FRowsStart -= from;
        FRowsEnd -= from;
        return true;
    }
    if (FDecoder->AvailableInput() == 0 && FIDATSize == 0) {
        while (FIDATSize == 0) {
            if (!IsChunk("IDAT")) return false;   // the image data ran out
            ReadChunkData();
            FCurrentSource = FRawBuffer.data();
            FIDATSize = FHeader.Length;
            ReadChunkHeader();
        }
        FInflateRowByRow = false;
    }
    // Ahead: all but the held back input, into all the room there is, but never up to the end
    // of the picture (what inflate does once the picture is complete depends on the input).
    const uint64_t room = std::min<uint64_t>({FRowsSize - FRowsEnd, FInflateLeft - 1, MaxRowBytes});
    const bool ahead = !FInflateRowByRow && FIDATSize > InflateMargin && FInflateLeft > 1 && room > 0;
    const uint32_t in = ahead ? FIDATSize - InflateMargin : FIDATSize;
    const uint32_t out = uint32_t(ahead ? room : rowEnd - FRowsEnd);
    const uint8_t* end = FRawBuffer.data() + FRawBuffer.size();
    uint8_t* dest = FRows.data() + FRowsEnd;
    FDecoder->Decode(FCurrentSource, dest, in, out);
    const size_t produced = size_t(dest - (FRows.data() + FRowsEnd));
    FRowsEnd += produced;
    FInflateLeft -= produced;
    FIDATSize = uint32_t(end - FCurrentSource);
    const int result = FDecoder->ZLibResult();
    if (!ahead) {
        if (result == Z_STREAM_END) {
            if (FRowsEnd < rowEnd || FIDATSize > 0) Fail(MsgExtraData);
            return true;
        }
        if (result != Z_OK) Fail(MsgCompression);
        return true;
    }
    if (result == Z_OK) return true;
    if (result == Z_BUF_ERROR) {
        FInflateRowByRow = true;   // no progress ahead: let the row-by-row rules decide
        return true;
    }
    // Row by row, the failure would have shown while inflating the row that holds the last
    // byte inflated, or the next byte when nothing came out. Ahead the input is never all
    // there, so an end of the stream here leaves data over.
    FRowsFailAt = produced > 0 ? FRowsEnd - 1 : FRowsEnd;
    FRowsFailure = result == Z_STREAM_END ? MsgExtraData : MsgCompression;
    return true;
}

std::vector<uint8_t> TPNGReader::RowAsItStands(uint32_t bytes, bool hasRowBefore) const
{
    std::vector<uint8_t> row(bytes, 0);
    if (hasRowBefore && FRowsStart >= bytes)
        std::memcpy(row.data(), FRows.data() + FRowsStart - bytes, bytes);
    const size_t partial = std::min<size_t>(FRowsEnd - FRowsStart, bytes);
    std::memcpy(row.data(), FRows.data() + FRowsStart, partial);
    return row;
}

void TPNGReader::LoadIDAT(TPNGTarget& target)
{
    target.Progress(TPNGProgressStage::psStarting, 0, FProgressRect, L"Transfering...");
    if (FBitsPerPixel == 0) ChoosePixelLayout();
    const auto& p = FImageProperties;
    const uint32_t width = p.Width, height = p.Height;
    const uint32_t depth = p.BitsPerSample;
    const uint32_t b = depth == 16 ? FSourceBPP / 2 : FSourceBPP;

    const uint64_t rowBytes = (uint64_t(width) * depth + 7) / 8 * b + 1;
    const uint64_t stride = (uint64_t(width) * FBitsPerPixel + 31) / 32 * 4;
    // The declared size must fit the data that is really there: deflate cannot expand beyond
    // about 1000:1, and the picture must stay within a sane amount of memory.
    const int64_t available = std::max<int64_t>(FStream->Size() - FStream->Position(), 0);
    if (rowBytes > MaxRowBytes || stride * height > MaxImageBytes ||
        rowBytes * height > uint64_t(available) * MaxDeflateRatio + 1024)
        Fail(MsgTooLarge);

    const TRawPalette noPalette;
    const TRawPalette& palette = FHasPalette ? FPalette : noPalette;
    target.SetImage(width, height, FBitsPerPixel, palette);

    // The inflated bytes of all rows, pass by pass.
    uint64_t inflated = rowBytes * height;
    if (p.Interlace == 1) {
        inflated = 0;
        for (const AdamPass& a : Passes) {
            if (width <= a.ColStart || height <= a.RowStart) continue;
            const uint64_t passWidth = (width + a.ColStep - 1 - a.ColStart) / a.ColStep;
            const uint64_t passRows = (height + a.RowStep - 1 - a.RowStart) / a.RowStep;
            inflated += ((passWidth * depth + 7) / 8 * b + 1) * passRows;
        }
    }
    FRowsSize = size_t(2 * rowBytes + std::min(InflateAhead, inflated));
    FRows.resize(FRowsSize);
    FRowsStart = FRowsEnd = 0;
    FRowsFailAt = SIZE_MAX;
    FRowsFailure = nullptr;
    FInflateLeft = inflated;
    FInflateRowByRow = false;
    // The row above the first row of a pass.
    const std::vector<uint8_t> zeroRow(rowBytes, 0);
    uint8_t* row0 = nullptr;
    ptrdiff_t rowStride = 0;
    FIDATSize = 0;
    if (target.GetBitmapRows(row0, rowStride)) {
        uint32_t y = 0;
        // Rows that are not decoded show the background colour.
        struct BackgroundOnFailure {
            const TPNGReader& r;
            uint8_t* row0;
            ptrdiff_t stride;
            const uint32_t& y;
            const TRawPalette& palette;
            bool done = false;
            ~BackgroundOnFailure()
            {
                if (!done) r.FillBackground(row0, stride, y, palette);
            }
        } fill{*this, row0, rowStride, y, palette};
        if (p.Interlace == 1) FillBackground(row0, rowStride, 0, palette);
        if (p.Interlace != 1) {
            for (; y < height; ++y) {
                uint8_t* cur = NextRow(uint32_t(rowBytes));
                if (!cur) {
                    // The image data ran out: the rows left are converted from the row buffer
                    // as it stands.
                    const std::vector<uint8_t> stands = RowAsItStands(uint32_t(rowBytes), y > 0);
                    const void* src[1] = {stands.data() + 1};
                    for (; y < height; ++y) FColorManager.ConvertRow(src, row0 + ptrdiff_t(y) * rowStride, width, 0xFF);
                    break;
                }
                Unfilter(cur, y == 0 ? zeroRow.data() : cur - rowBytes, uint32_t(rowBytes));
                const void* src[1] = {cur + 1};
                FColorManager.ConvertRow(src, row0 + ptrdiff_t(y) * rowStride, width, 0xFF);
                ++FProgressRect.Top;
                ++FProgressRect.Bottom;
            }
        } else {
            y = height;   // already filled
            bool ranOut = false;
            for (int pass = 0; pass < 7 && !ranOut; ++pass) {
                const AdamPass& a = Passes[pass];
                if (width <= a.ColStart) continue;
                const uint32_t passWidth = (width + a.ColStep - 1 - a.ColStart) / a.ColStep;
                const uint32_t passBytes = uint32_t((uint64_t(passWidth) * depth + 7) / 8 * b + 1);
                for (uint32_t py = a.RowStart; py < height; py += a.RowStep) {
                    uint8_t* cur = NextRow(passBytes);
                    if (!cur) {
                        // The image data ran out: the pass's rows left are converted from the
                        // row buffer as it stands; later passes leave the background.
                        const std::vector<uint8_t> stands = RowAsItStands(passBytes, py != a.RowStart);
                        const void* src[1] = {stands.data() + 1};
                        for (; py < height; py += a.RowStep)
                            FColorManager.ConvertRow(src, row0 + ptrdiff_t(py) * rowStride, width, a.Mask);
                        ranOut = true;
                        break;
                    }
                    Unfilter(cur, py == a.RowStart ? zeroRow.data() : cur - passBytes, passBytes);
                    const void* src[1] = {cur + 1};
                    FColorManager.ConvertRow(src, row0 + ptrdiff_t(py) * rowStride, width, a.Mask);
                    if (pass == 6) {
                        ++FProgressRect.Top;
                        ++FProgressRect.Bottom;
                    }
                }
            }
        }
        fill.done = true;
    }
    // Drop what is left of the image data.
    while (IsChunk("IDAT")) {
        ReadChunkData();
        ReadChunkHeader();
    }
}

void TPNGReader::FillBackground(uint8_t* row0, ptrdiff_t stride, uint32_t fromRow, const TRawPalette& palette) const
{
    const uint32_t width = FImageProperties.Width, height = FImageProperties.Height;
    const int bpp = FBitsPerPixel;
    const uint32_t c = FBackgroundColor;
    const uint8_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    const size_t rowBytes = (size_t(width) * bpp + 7) / 8;
    uint8_t fill = 0;
    if (bpp <= 8) {
        // The palette entry nearest to the background colour.
        uint32_t best = 0, bestDistance = ~0u;
        for (uint32_t i = 0; i < palette.size() && i < (1u << bpp); ++i) {
            const auto& e = palette[i];
            uint32_t d = uint32_t(std::abs(e.R - r) + std::abs(e.G - g) + std::abs(e.B - b));
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        for (int k = 0; k < 8; k += bpp) fill = uint8_t(fill << bpp | best);
    }
    for (uint32_t y = fromRow; y < height; ++y) {
        uint8_t* p = row0 + ptrdiff_t(y) * stride;
        if (bpp <= 8) {
            std::memset(p, fill, rowBytes);
            continue;
        }
        for (uint32_t x = 0; x < width; ++x, p += bpp / 8) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
            if (bpp == 32) p[3] = 0;
        }
    }
}

// ---- 32-bit conversion -----------------------------------------------------------------------

namespace {

inline uint32_t PixelIndex(const uint8_t* row, uint32_t x, int bpp)
{
    switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default: return row[x];
    }
}

}  // namespace

void ConvertPngRowsTo32(const TPNGReader& png, const TPNGRowsView& s, uint8_t* row0, ptrdiff_t stride,
                        bool transparent, uint32_t keyColor)
{
    if (!s.Row0 || !row0 || s.Width == 0 || s.Height == 0) return;
    const int bpp = s.BitsPerPixel;
    static const TRawPalette emptyPalette;
    const TRawPalette& pal = s.Palette ? *s.Palette : emptyPalette;
    const auto& props = png.ImageProperties();
    const bool indexed = bpp <= 8;
    const uint32_t indexMax = indexed ? (1u << bpp) - 1 : 0;

    // Colour of pixel x of a source row, as B, G, R.
    auto colourAt = [&](const uint8_t* row, uint32_t x, uint8_t* bgr) {
        if (indexed) {
            uint32_t i = PixelIndex(row, x, bpp);
            if (i < pal.size()) {
                bgr[0] = pal[i].B;
                bgr[1] = pal[i].G;
                bgr[2] = pal[i].R;
            } else {
                bgr[0] = bgr[1] = bgr[2] = 0;
            }
        } else {
            const uint8_t* p = row + size_t(x) * (bpp / 8);
            bgr[0] = p[0];
            bgr[1] = p[1];
            bgr[2] = p[2];
        }
    };

    enum { Copy32, PaletteAlpha, Opaque, GammaMask, ColourKey } mode;
    std::vector<uint8_t> alphaTable;
    if (bpp == 32) {
        mode = Copy32;
    } else if (props.ColorScheme == TColorScheme::csIndexed && !png.Transparency().empty()) {
        mode = PaletteAlpha;
        alphaTable = png.TargetTransparency();
    } else if (props.Options & ioUseGamma) {
        mode = png.ColorManager().SourcePixelFormat() == TColorManager::pf24bit || !indexed ? Opaque : GammaMask;
    } else {
        mode = transparent ? ColourKey : Opaque;
    }
    uint32_t key = 0;
    if (mode == ColourKey) {
        if (keyColor == PngNoColor) {
            uint8_t bgr[3];
            colourAt(s.Row0 + ptrdiff_t(s.Height - 1) * s.Stride, 0, bgr);
            key = bgr[2] | bgr[1] << 8 | bgr[0] << 16;
        } else {
            key = keyColor & 0xFFFFFF;
        }
    }
    const uint8_t* gamma = png.ColorManager().GammaTable();
    // B, G, R, A of each palette index of an opaque 8-bit picture.
    uint32_t opaque8[256];
    if (mode == Opaque && bpp == 8)
        for (uint32_t i = 0; i < 256; ++i)
            opaque8[i] = i < pal.size() ? (pal[i].B | pal[i].G << 8 | pal[i].R << 16 | 0xFF000000u) : 0xFF000000u;

    for (uint32_t y = 0; y < s.Height; ++y) {
        const uint8_t* src = s.Row0 + ptrdiff_t(y) * s.Stride;
        uint8_t* dst = row0 + ptrdiff_t(y) * stride;
        if (mode == Copy32) {
            std::memcpy(dst, src, size_t(s.Width) * 4);
            continue;
        }
        if (mode == Opaque && bpp == 24) {
            // A 4-byte load per pixel takes the next pixel's first byte along, which the alpha
            // replaces; the last pixel would read past the row, so it goes bytewise.
            const uint32_t last = s.Width - 1;
            for (uint32_t x = 0; x < last; ++x, dst += 4, src += 3) {
                uint32_t v;
                std::memcpy(&v, src, 4);
                v |= 0xFF000000u;
                std::memcpy(dst, &v, 4);
            }
            const uint32_t v = uint32_t(src[0]) | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16 | 0xFF000000u;
            std::memcpy(dst, &v, 4);
            continue;
        }
        if (mode == Opaque && bpp == 8) {
            for (uint32_t x = 0; x < s.Width; ++x, dst += 4) std::memcpy(dst, &opaque8[src[x]], 4);
            continue;
        }
        for (uint32_t x = 0; x < s.Width; ++x, dst += 4) {
            colourAt(src, x, dst);
            switch (mode) {
            case PaletteAlpha: {
                uint32_t i = PixelIndex(src, x, bpp);
                dst[3] = i < alphaTable.size() ? alphaTable[i] : 255;
                break;
            }
            case GammaMask: {
                // A grey or indexed picture with gamma is an alpha mask: black, white transparent.
                uint32_t v = PixelIndex(src, x, bpp);
                if (bpp < 8) v = v * 255 / indexMax;
                dst[0] = dst[1] = dst[2] = 0;
                dst[3] = uint8_t(255 - gamma[v]);
                break;
            }
            case ColourKey: {
                uint32_t c = dst[2] | dst[1] << 8 | dst[0] << 16;
                dst[3] = c == key ? 0 : 255;
                break;
            }
            default:
                dst[3] = 255;
                break;
            }
        }
    }
}

// ---- TPNGImage -------------------------------------------------------------------------------

void TPNGImage::SetImage(uint32_t width, uint32_t height, int bitsPerPixel, const TRawPalette& palette)
{
    Width = width;
    Height = height;
    BitsPerPixel = bitsPerPixel;
    Palette = palette;
    Stride = (size_t(width) * bitsPerPixel + 31) / 32 * 4;
    Pixels.resize(Stride * height);
}

bool TPNGImage::GetBitmapRows(uint8_t*& row0, ptrdiff_t& stride)
{
    if (Height == 0 || Pixels.empty()) return false;
    row0 = Pixels.data();
    stride = Height > 1 ? ptrdiff_t(Stride) : 0;
    return true;
}

TPNGRowsView TPNGImage::View() const
{
    return {Pixels.data(), ptrdiff_t(Stride), Width, Height, BitsPerPixel, &Palette};
}

namespace {

// Reads caller's memory in place, so decoding a file in memory does not copy it first.
class TMemoryView : public TStream {
public:
    TMemoryView(const uint8_t* data, size_t size) : FData(data), FSize(int64_t(size)) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        int64_t n = std::clamp<int64_t>(FSize - FPosition, 0, std::max<int64_t>(count, 0));
        if (n > 0) std::memcpy(buffer, FData + FPosition, size_t(n));
        FPosition += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize;
        FPosition = std::max<int64_t>(base + offset, 0);
        return FPosition;
    }
    int64_t Size() override { return FSize; }
    void SetSize(int64_t) override {}

private:
    const uint8_t* FData;
    int64_t FSize;
    int64_t FPosition = 0;
};

// The picture of DecodePngTo32. A 32-bit picture is decoded straight into the result; any other
// goes to a buffer that is converted afterwards and need not be cleared first (the decoder
// writes every row, or fills it), which saves a pass over its memory.
class TPixels32Target : public TPNGTarget {
public:
    explicit TPixels32Target(TPNGPixels32& result) : FResult(result) {}

    void SetImage(uint32_t width, uint32_t height, int bitsPerPixel, const TRawPalette& palette) override
    {
        FView.Width = FResult.Width = width;
        FView.Height = FResult.Height = height;
        FView.BitsPerPixel = bitsPerPixel;
        FPalette = palette;
        FView.Palette = &FPalette;
        const size_t stride = (size_t(width) * bitsPerPixel + 31) / 32 * 4;
        FView.Stride = height > 1 ? ptrdiff_t(stride) : 0;
        FResult.Pixels.assign(size_t(width) * height * 4, 0);
        if (bitsPerPixel == 32) {
            FView.Row0 = FResult.Pixels.data();   // 4 bytes per pixel: the rows are packed already
        } else {
            FBuffer.reset(new uint8_t[stride * height]);
            FView.Row0 = FBuffer.get();
        }
    }
    bool GetBitmapRows(uint8_t*& row0, ptrdiff_t& stride) override
    {
        if (!FView.Row0) return false;
        row0 = const_cast<uint8_t*>(FView.Row0);
        stride = FView.Stride;
        return true;
    }
    const TPNGRowsView& View() const { return FView; }

private:
    TPNGPixels32& FResult;
    TPNGRowsView FView;
    TRawPalette FPalette;
    std::unique_ptr<uint8_t[]> FBuffer;
};

}  // namespace

TPNGPixels32 DecodePngTo32(const uint8_t* data, size_t size)
{
    TMemoryView stream(data, size);
    TPNGReader reader;
    TPNGPixels32 r;
    TPixels32Target image(r);
    reader.LoadFromStream(stream, image);
    const TPNGRowsView& view = image.View();
    if (view.BitsPerPixel == 32 || !view.Row0) return r;   // already B, G, R, A with packed rows
    // As the file loader does: a colour key from tRNS makes its colour transparent.
    bool keyed = reader.TransparentColor() != PngNoColor;
    ConvertPngRowsTo32(reader, view, r.Pixels.data(), ptrdiff_t(r.Width) * 4, keyed, reader.TransparentColor());
    return r;
}
