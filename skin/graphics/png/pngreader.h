// The PNG decoder's core: chunks, CRC, inflate of the image data, unfiltering, interlace and
// row conversion into a plain pixel target. No windows.h here; the picture class of the
// Windows layer (TPNGGraphic) is a thin adapter over TPNGReader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "skin/graphics/png/colormanager.h"
#include "vcl/streams.h"
#include "vcl/sysutils.h"

// A format error of the PNG data; the picture class raises it as EInvalidGraphic.
QW_DECLARE_EXCEPTION(EPNGFormatError, Exception);
// Inflate could not be set up or shut down.
QW_DECLARE_EXCEPTION(EGraphicCompression, Exception);

// Colours of this module are RGB values as the platform's TColor holds them (red in byte 0).
constexpr uint32_t PngNoColor = 0x1FFFFFFF;

using TImageOptions = uint8_t;
enum TImageOption : uint8_t { ioBigEndian = 1, ioUseGamma = 2 };

enum class TCompressionType : uint8_t { ctUnknown, ctNone, ctLZ77 };

struct TImageProperties {
    TImageOptions Options = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;   // the picture's height, kept here so the core needs no bitmap
    TColorScheme ColorScheme = TColorScheme::csUnknown;
    uint8_t BitsPerSample = 0;
    uint8_t SamplesPerPixel = 0;
    TCompressionType Compression = TCompressionType::ctUnknown;
    uint8_t ColorType = 0;    // as in IHDR
    uint8_t Interlace = 0;    // as in IHDR
};

struct TPNGChunkHeader {
    uint32_t Length = 0;      // in machine order
    char ChunkType[4] = {};
};

// CRC-32 of PNG and zlib; crc starts at 0xFFFFFFFF and the result is inverted by the caller.
uint32_t UpdatePngCRC(uint32_t crc, const uint8_t* data, size_t size);

// The small inflate driver of the image data.
class TLZ77Decoder {
public:
    TLZ77Decoder(int flushMode, bool autoReset);
    ~TLZ77Decoder();
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    void DecodeInit();
    void Decode(const uint8_t*& source, uint8_t*& dest, uint32_t packedSize, uint32_t unpackedSize);
    void DecodeEnd();
    uint32_t AvailableInput() const { return FStream.avail_in; }
    uint32_t AvailableOutput() const { return FStream.avail_out; }
    int ZLibResult() const { return FZLibResult; }

private:
    z_stream FStream{};
    int FZLibResult = 0;
    int FFlushMode;
    bool FAutoReset;
    bool FInitialised = false;
};

enum class TPNGProgressStage : uint8_t { psStarting, psRunning, psEnding };
struct TPNGProgressRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Where the decoder puts the pixels: a DIB section on Windows, plain memory elsewhere.
class TPNGTarget {
public:
    virtual ~TPNGTarget() = default;
    // Gives the picture its size and format (1, 4, 8, 24 or 32 bits per pixel; a palette for up
    // to 8 bits). The pixels need not be cleared: the decoder writes every row, or fills the rows
    // it could not decode with the background colour.
    virtual void SetImage(uint32_t width, uint32_t height, int bitsPerPixel, const TRawPalette& palette) = 0;
    // Row 0 (the top row) and the signed distance to row 1; False when there are no rows.
    virtual bool GetBitmapRows(uint8_t*& row0, ptrdiff_t& stride) = 0;
    virtual void Progress(TPNGProgressStage stage, uint8_t percent, const TPNGProgressRect& rect, const wchar_t* msg) {}
};

class TPNGReader {
public:
    // Largest pixel memory a picture may take, whatever its header declares.
    static constexpr uint64_t MaxImageBytes = uint64_t(1) << 30;

    // True when more than 8 bytes remain and the next 8 are the signature; the position stays.
    static bool CanLoad(TStream& stream);
    // Reads the signature, IHDR and the chunks up to gAMA or IEND into ImageProperties.
    bool ReadImageProperties(TStream& stream, int imageIndex = 0);
    // Decodes the PNG that starts at the stream's position into target.
    void LoadFromStream(TStream& stream, TPNGTarget& target);

    TColorManager& ColorManager() { return FColorManager; }
    const TColorManager& ColorManager() const { return FColorManager; }
    const TImageProperties& ImageProperties() const { return FImageProperties; }
    void SetImageProperties(const TImageProperties& p) { FImageProperties = p; }
    // Alpha per palette index of the file (256 entries) when a palette image has tRNS.
    const std::vector<uint8_t>& Transparency() const { return FTransparency; }
    // The same, spread over the picture's index range as the palette is (2-bit files).
    std::vector<uint8_t> TargetTransparency() const;
    uint32_t BackgroundColor() const { return FBackgroundColor; }
    uint32_t TransparentColor() const { return FTransparentColor; }
    const TRawPalette& Palette() const { return FPalette; }
    bool HasPalette() const { return FHasPalette; }
    int BitsPerPixel() const { return FBitsPerPixel; }

private:
    void ReadChunkHeader();
    void ReadChunkData();
    void SkipChunk();
    bool IsChunk(const char* type) const;
    void ChoosePixelLayout();
    void LoadIDAT(TPNGTarget& target);
    uint8_t* NextRow(uint32_t bytes);
    bool InflateMore(uint32_t bytes);
    // The row buffer of a row the image data ran out in: the row before it in the same pass (when
    // there is one) with what was inflated of this row laid over its start.
    std::vector<uint8_t> RowAsItStands(uint32_t bytes, bool hasRowBefore) const;
    void Unfilter(uint8_t* row, const uint8_t* prev, uint32_t size) const;
    void ReadBackground();
    void ReadTransparency();
    uint8_t GreyLevel(uint16_t sample) const;
    uint8_t Sample8(uint16_t sample) const;
    void FillBackground(uint8_t* row0, ptrdiff_t stride, uint32_t fromRow, const TRawPalette& palette) const;
    [[noreturn]] static void Fail(const wchar_t* fmt);

    TColorManager FColorManager;
    TImageProperties FImageProperties;
    std::vector<uint8_t> FTransparency;
    uint32_t FBackgroundColor = 0xFFFFFF;
    TPNGProgressRect FProgressRect;
    int64_t FBasePosition = 0;
    TStream* FStream = nullptr;
    TLZ77Decoder* FDecoder = nullptr;
    uint32_t FIDATSize = 0;
    std::vector<uint8_t> FRawBuffer;
    const uint8_t* FCurrentSource = nullptr;
    // The inflated rows (see NextRow): [FRowsStart, FRowsEnd) is not handed out yet; a failure
    // found ahead of the rows stands in FRowsFailure (a message) until a row reaches FRowsFailAt.
    std::vector<uint8_t> FRows;
    size_t FRowsSize = 0, FRowsStart = 0, FRowsEnd = 0, FRowsFailAt = SIZE_MAX;
    uint64_t FInflateLeft = 0;   // inflated bytes the picture still needs
    const wchar_t* FRowsFailure = nullptr;
    bool FInflateRowByRow = false;
    TPNGChunkHeader FHeader;
    uint32_t FCurrentCRC = 0;
    int FSourceBPP = 1;
    TRawPalette FPalette;
    bool FHasPalette = false;
    uint32_t FTransparentColor = PngNoColor;
    int FBitsPerPixel = 0;     // of the picture; 0 until the pixel layout is chosen
    uint8_t FTargetBits = 0;   // bits per sample of the picture
    bool FImageRead = false;
};

// Makes 32-bit rows (B, G, R, A, straight alpha) from a decoded picture, with the alpha rules of
// the skin's images: palette transparency, gamma images as alpha masks, or a colour key when
// transparent is set (key PngNoColor: the colour of the bottom-left pixel).
struct TPNGRowsView {
    const uint8_t* Row0 = nullptr;
    ptrdiff_t Stride = 0;
    uint32_t Width = 0, Height = 0;
    int BitsPerPixel = 0;
    const TRawPalette* Palette = nullptr;
};
void ConvertPngRowsTo32(const TPNGReader& png, const TPNGRowsView& source, uint8_t* row0, ptrdiff_t stride,
                        bool transparent, uint32_t keyColor);

// A decoded picture in plain memory, rows top-down, each a multiple of 4 bytes as in a DIB.
class TPNGImage : public TPNGTarget {
public:
    uint32_t Width = 0, Height = 0;
    int BitsPerPixel = 0;
    size_t Stride = 0;
    std::vector<uint8_t> Pixels;
    TRawPalette Palette;

    void SetImage(uint32_t width, uint32_t height, int bitsPerPixel, const TRawPalette& palette) override;
    bool GetBitmapRows(uint8_t*& row0, ptrdiff_t& stride) override;
    TPNGRowsView View() const;
};

// Decodes a PNG held in memory into 32-bit pixels (B, G, R, A per pixel, rows top-down and
// packed), as the file loader of the picture class does. Raises on bad data.
struct TPNGPixels32 {
    uint32_t Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;
};
TPNGPixels32 DecodePngTo32(const uint8_t* data, size_t size);
