// The PNG decoder's core, its row conversion and the decompression stream.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "skin/graphics/png/colormanager.h"
#include "skin/graphics/png/pngreader.h"
#include "skin/graphics/zstream.h"
#include "tests/skin/graphics/png_test_util.h"

using namespace pngtest;

namespace {

TPNGImage Decode(const Bytes& file, TPNGReader& reader)
{
    TBytesStream s(file);
    TPNGImage image;
    reader.LoadFromStream(s, image);
    return image;
}

TPNGImage Decode(const Bytes& file)
{
    TPNGReader reader;
    return Decode(file, reader);
}

std::string ErrorOf(const Bytes& file)
{
    try {
        Decode(file);
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

Bytes Grey8Rows(uint32_t w, uint32_t h, std::vector<Bytes>& rows)
{
    rows.assign(h, Bytes(w));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) rows[y][x] = uint8_t(x * 7 + y * 13);
    return Scanlines(rows, 0, 1);
}

}  // namespace

// ---- decompression stream ------------------------------------------------------------------

TEST(ZDecompressionStream, EntryFollowedByDataLeavesSourceBehindIt)
{
    Bytes text(100000);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t(i % 251 ^ (i >> 7));
    Bytes packed = Deflate(text);
    Bytes container = {1, 2, 3};
    container.insert(container.end(), packed.begin(), packed.end());
    container.insert(container.end(), {0xAA, 0xBB});
    TBytesStream source(container);
    source.SetPosition(3);
    TZDecompressionStream z(source);
    Bytes out(text.size());
    z.ReadBuffer(out.data(), int64_t(out.size()));
    EXPECT_EQ(out, text);
    EXPECT_EQ(z.Position(), int64_t(text.size()));
    uint8_t more;
    EXPECT_EQ(z.Read(&more, 1), 0);
    EXPECT_EQ(source.Position(), int64_t(3 + packed.size()));
}

TEST(ZDecompressionStream, SeekingAndSize)
{
    Bytes text(50000, 'x');
    for (size_t i = 0; i < text.size(); i += 3) text[i] = uint8_t(i);
    TBytesStream source(Deflate(text));
    TZDecompressionStream z(source);
    EXPECT_EQ(z.Size(), int64_t(text.size()));   // from position 0: decompresses all, restarts
    EXPECT_EQ(z.Position(), 0);
    z.SetPosition(20000);                          // forward by decompressing
    uint8_t b;
    z.ReadBuffer(&b, 1);
    EXPECT_EQ(b, text[20000]);
    EXPECT_THROW(z.SetPosition(z.Position()), EZDecompressionError);   // not even the current one
    EXPECT_THROW(z.Size(), EZDecompressionError);
    EXPECT_THROW(z.Seek(-1, TSeekOrigin::soCurrent), EZDecompressionError);
    z.SetPosition(0);                              // restarts at source position 0
    z.ReadBuffer(&b, 1);
    EXPECT_EQ(b, text[0]);
    EXPECT_THROW(z.SetPosition(int64_t(text.size()) + 10), EReadError);
    try {
        z.Write(&b, 1);
        FAIL();
    } catch (const EZDecompressionError& e) {
        EXPECT_EQ(e.Message(), L"Invalid ZStream operation!");
    }
}

TEST(ZDecompressionStream, TruncatedAndCorruptData)
{
    Bytes text(20000);
    for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t((i * 31) ^ (i >> 5));
    Bytes packed = Deflate(text);
    {
        TBytesStream source(Bytes(packed.begin(), packed.begin() + packed.size() / 2));
        TZDecompressionStream z(source);
        Bytes out(text.size());
        int64_t got = z.Read(out.data(), int64_t(out.size()));
        EXPECT_GT(got, 0);
        EXPECT_LT(got, int64_t(text.size()));
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + got, text.begin()));
        EXPECT_EQ(z.Read(out.data(), 10), 0);
    }
    {
        Bytes bad = packed;
        bad[0] = 0x78;
        bad[1] = 0x9C;
        bad[2] = 0xFF;   // a reserved block type
        TBytesStream source(bad);
        TZDecompressionStream z(source);
        Bytes out(100);
        try {
            z.Read(out.data(), 100);
            FAIL();
        } catch (const EZDecompressionError& e) {
            EXPECT_EQ(e.ErrorCode(), -3);
            EXPECT_EQ(e.Message(), L"data error");
        }
    }
    {
        // A stream that asks for a preset dictionary (FDICT set in the header) is an error, not
        // a read that asks again for ever.
        TBytesStream source(Bytes{0x78, 0xBB, 0x00, 0x00, 0x00, 0x01, 0x4B, 0x04, 0x00});
        TZDecompressionStream z(source);
        Bytes out(100);
        try {
            z.Read(out.data(), 100);
            FAIL();
        } catch (const EZDecompressionError& e) {
            EXPECT_EQ(e.ErrorCode(), 2);
        }
    }
    EXPECT_EQ(EZLibError(TZError::zeVersionError, 0).ErrorCode(), -6);
    EXPECT_EQ(EZLibError(-4, 0).Message(), L"insufficient memory");
}

// ---- colour conversion -----------------------------------------------------------------------

TEST(ColorManager, PackedIndexScalingAndInterlaceMask)
{
    TColorManager cm;
    cm.SetSourceColorScheme(TColorScheme::csIndexed);
    cm.SetTargetColorScheme(TColorScheme::csIndexed);
    cm.SetSourceSamplesPerPixel(1);
    cm.SetTargetSamplesPerPixel(1);
    cm.SetSourceBitsPerSample(2);
    cm.SetTargetBitsPerSample(4);
    const uint8_t src[1] = {0b11011000};   // 3, 1, 2, 0
    uint8_t dst[2] = {0, 0};
    const void* s[1] = {src};
    cm.ConvertRow(s, dst, 4, 0xFF);
    EXPECT_EQ(dst[0], 0xF5);   // 3 -> 15, 1 -> 5
    EXPECT_EQ(dst[1], 0xA0);   // 2 -> 10, 0 -> 0

    // 0x88 over 16 pixels writes pixels 0, 4, 8, 12 from the first four source pixels
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    const uint8_t src8[4] = {10, 20, 30, 40};
    uint8_t row[16];
    std::memset(row, 0xEE, sizeof row);
    const void* s8[1] = {src8};
    cm.ConvertRow(s8, row, 16, 0x88);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(row[i], i % 4 == 0 ? 10 * (i / 4 + 1) : 0xEE) << i;
}

TEST(ColorManager, RgbAndSixteenBitSamples)
{
    TColorManager cm;   // RGB -> BGR, 8 bits
    const uint8_t rgb[3] = {10, 20, 30};
    uint8_t out[3] = {};
    const void* s[1] = {rgb};
    cm.ConvertRow(s, out, 1, 0xFF);
    EXPECT_THAT(out, testing::ElementsAre(30, 20, 10));

    cm.SetSourceBitsPerSample(16);
    cm.SourceOptions = coNeedByteSwap;
    const uint8_t rgb16[6] = {0x12, 0x34, 0xFF, 0xFF, 0x00, 0x00};
    const void* s16[1] = {rgb16};
    cm.ConvertRow(s16, out, 1, 0xFF);
    EXPECT_THAT(out, testing::ElementsAre(0, 255, 18));   // 0x1234 * 255 div 65535 = 18
}

TEST(ColorManager, LayoutErrors)
{
    struct Case {
        std::function<void(TColorManager&)> act;
        const wchar_t* message;
    } cases[] = {
        {[](TColorManager& c) { c.SetSourceBitsPerSample(0); }, L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."},
        {[](TColorManager& c) { c.SetTargetBitsPerSample(17); }, L"Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."},
        {[](TColorManager& c) { c.SetSourceSamplesPerPixel(5); }, L"Sample count per pixel does not correspond to the given color scheme."},
        {[](TColorManager& c) {
             c.SetSourceColorScheme(TColorScheme::csIndexed);
             uint8_t b[4];
             const void* s[1] = {b};
             c.ConvertRow(s, b, 1, 0xFF);
         }, L"Conversion between indexed and non-indexed pixel formats is not supported."},
        {[](TColorManager& c) {
             c.SetSourceColorScheme(TColorScheme::csCMY);
             uint8_t b[4];
             const void* s[1] = {b};
             c.ConvertRow(s, b, 1, 0xFF);
         }, L"Color conversion failed. Could not find a proper method."},
    };
    for (auto& c : cases) {
        TColorManager cm;
        try {
            c.act(cm);
            ADD_FAILURE() << "no error for " << testing::PrintToString(String(c.message));
        } catch (const EColorConversionError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    TColorManager cm;
    cm.SetSourceBitsPerSample(3);   // accepted; only 0 and above 16 are refused
    EXPECT_EQ(cm.SourceBitsPerSample(), 3);
}

TEST(ColorManager, PalettesAndGamma)
{
    TColorManager cm;
    cm.SetGamma(0, 0);
    EXPECT_FLOAT_EQ(cm.MainGamma(), 1.0f);
    EXPECT_FLOAT_EQ(cm.DisplayGamma(), 2.2f);

    Bytes data(300 * 3, 7);
    const void* d[1] = {data.data()};
    EXPECT_EQ(cm.CreateColorPalette(d, TRawPaletteFormat::pfInterlaced8Triple, 300, false).size(), 256u);

    cm.SetTargetBitsPerSample(4);
    cm.SetTargetSamplesPerPixel(1);
    auto grey = cm.CreateGrayscalePalette(false);
    ASSERT_EQ(grey.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(grey[i], (TPaletteEntry{uint8_t(17 * i), uint8_t(17 * i), uint8_t(17 * i)}));
    EXPECT_EQ(cm.CreateGrayscalePalette(true)[0], (TPaletteEntry{255, 255, 255}));
}

TEST(ColorManager, OtherColourSpaces)
{
    struct Case {
        TColorScheme scheme;
        Bytes in;
        Bytes bgr;
    } cases[] = {
        {TColorScheme::csCMYK, {0, 255, 255, 0}, {0, 0, 255}},          // no cyan, full magenta + yellow: red
        {TColorScheme::csCMYK, {0, 0, 0, 255}, {0, 0, 0}},              // full black
        {TColorScheme::csYCbCr, {128, 128, 128}, {128, 128, 128}},      // neutral grey
        {TColorScheme::csCIELab, {100, 0, 0}, {255, 255, 255}},         // white
    };
    for (const auto& c : cases) {
        TColorManager cm;
        cm.SetSourceColorScheme(c.scheme);
        cm.SetSourceSamplesPerPixel(uint8_t(c.in.size()));
        uint8_t out[3] = {1, 2, 3};
        const void* s[1] = {c.in.data()};
        cm.ConvertRow(s, out, 1, 0xFF);
        EXPECT_THAT(out, testing::ElementsAreArray(c.bgr)) << int(c.scheme);
    }
}

// ---- decoder ---------------------------------------------------------------------------------

TEST(PngReader, CanLoadNeedsMoreThanTheSignature)
{
    Bytes eight = Signature(), nine = Signature();
    nine.push_back(0);
    TBytesStream a(eight), b(nine);
    EXPECT_FALSE(TPNGReader::CanLoad(a));
    EXPECT_TRUE(TPNGReader::CanLoad(b));
    EXPECT_EQ(b.Position(), 0);
}

TEST(PngReader, ChunkHandling)
{
    std::vector<Bytes> rows;
    Bytes raw = Grey8Rows(5, 3, rows);
    Bytes ihdr = Ihdr(5, 3, 8, 0);
    // image data spelled in lower case, and an ancillary chunk with a wrong CRC: both fine
    Bytes lower = File(ihdr, Deflate(raw), {}, "idat");
    Bytes f = Signature();
    Chunk(f, "IHDR", ihdr);
    Chunk(f, "tEXt", {'a', 0, 'b'}, true);
    Chunk(f, "IDAT", Deflate(raw));
    Chunk(f, "IEND", {});
    for (const Bytes& file : {lower, f}) {
        TPNGImage img = Decode(file);
        ASSERT_EQ(img.BitsPerPixel, 8);
        for (uint32_t y = 0; y < 3; ++y)
            EXPECT_EQ(Bytes(img.Pixels.begin() + y * img.Stride, img.Pixels.begin() + y * img.Stride + 5), rows[y]);
    }
    // image data split over several chunks, one of them empty
    Bytes packed = Deflate(raw);
    Bytes split = Signature();
    Chunk(split, "IHDR", ihdr);
    Chunk(split, "IDAT", Bytes(packed.begin(), packed.begin() + 5));
    Chunk(split, "IDAT", {});
    Chunk(split, "IDAT", Bytes(packed.begin() + 5, packed.end()));
    Chunk(split, "IEND", {});
    EXPECT_EQ(Decode(split).Pixels, Decode(lower).Pixels);
}

TEST(PngReader, BadFilesGiveTheirMessage)
{
    std::vector<Bytes> rows;
    Bytes raw = Grey8Rows(4, 4, rows);
    Bytes good = File(Ihdr(4, 4, 8, 0), Deflate(raw));
    auto withCrcError = [&] {
        Bytes f = Signature();
        Chunk(f, "IHDR", Ihdr(4, 4, 8, 0));
        Chunk(f, "IDAT", Deflate(raw), true);
        Chunk(f, "IEND", {});
        return f;
    };
    auto badSig = good;
    badSig[0] = 0x88;
    Bytes noIhdr = Signature();
    Chunk(noIhdr, "IDAT", Deflate(raw));
    Bytes extra = Deflate(raw);
    extra.push_back(0);
    Bytes shortData = Deflate(Bytes(raw.begin(), raw.end() - 3));
    Bytes corrupt = Deflate(raw);
    corrupt[2] ^= 0xFF;
    Bytes noIdat = Signature();
    Chunk(noIdat, "IHDR", Ihdr(4, 4, 8, 0));
    Chunk(noIdat, "IEND", {});
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    } cases[] = {
        {"signature", badSig, "Cannot load image. Invalid or unexpected PNG image format."},
        {"IHDR not first", noIhdr, "Cannot load image. Invalid or unexpected PNG image format."},
        {"zero width", File(Ihdr(0, 4, 8, 0), Deflate(raw)), "Cannot load image. Invalid or unexpected PNG image format."},
        {"compression", File(Ihdr(4, 4, 8, 0, 0, 1), Deflate(raw)), "Cannot load image. The compression scheme is not supported for PNG files."},
        {"crc", withCrcError(), "Cannot load image. CRC error found in PNG file."},
        {"palette", File(Ihdr(4, 4, 8, 3), Deflate(raw), {{"PLTE", Bytes(7)}}), "Cannot load image. Palette in PNG file is invalid."},
        {"critical", File(Ihdr(4, 4, 8, 0), Deflate(raw), {{"CRIT", Bytes(2)}}), "Cannot load PNG image. Unexpected but critical chunk detected."},
        {"colour format", File(Ihdr(4, 4, 4, 2), Deflate(raw)), "Invalid color format in PNG file."},
        {"inflate", File(Ihdr(4, 4, 8, 0), corrupt), "Cannot load image. Compression error found in PNG file."},
        {"extra data", File(Ihdr(4, 4, 8, 0), extra), "Cannot load image. Extra compressed data found in PNG file."},
        {"data ends early", File(Ihdr(4, 4, 8, 0), shortData), "Cannot load image. Extra compressed data found in PNG file."},
        {"no image data", noIdat, "Cannot load image. Image data in PNG file is missing or incomplete."},
        {"cut in a chunk", Bytes(good.begin(), good.begin() + 40), "Stream read error"},
        // a size the data cannot hold is refused before any memory is taken for it
        {"huge declared size", File(Ihdr(60000, 60000, 8, 6), Deflate(raw)), "Cannot load image. The image in PNG file is larger than its data allows."},
        {"huge chunk length", [&] { Bytes f = good; f[33] = 0x7F; return f; }(), "Stream read error"},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.file), c.message) << c.name;
}

namespace {

// Deflates raw in two parts: the first ends with a full flush, so it inflates to exactly its
// bytes on its own.
std::pair<Bytes, Bytes> DeflateInTwo(const Bytes& raw, size_t firstBytes)
{
    z_stream z{};
    deflateInit(&z, 9);
    Bytes out(compressBound(uLong(raw.size())) + 64);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = uInt(firstBytes);
    deflate(&z, Z_FULL_FLUSH);
    const size_t split = out.size() - z.avail_out;
    z.avail_in = uInt(raw.size() - firstBytes);
    deflate(&z, Z_FINISH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return {Bytes(out.begin(), out.begin() + split), Bytes(out.begin() + split, out.end())};
}

}  // namespace

// Image data that run out (no further IDAT chunk) are no error: the rows left are converted
// from the row buffer as it stands, the last whole row with what came of the next over its start.
TEST(PngReader, ImageDataThatRunOutLeaveTheRowBufferAsItStands)
{
    const uint32_t w = 16, h = 16;
    std::vector<Bytes> rows;
    const Bytes raw = Grey8Rows(w, h, rows);
    struct Case {
        uint32_t wholeRows, partialBytes;   // partial: the filter byte and the pixels after it
    } cases[] = {{5, 7}, {5, 0}, {0, 4}};
    for (const Case& c : cases) {
        const Bytes first = DeflateInTwo(raw, size_t(w + 1) * c.wholeRows + c.partialBytes).first;
        const Bytes f = File(Ihdr(w, h, 8, 0), first);
        TPNGImage image;
        ASSERT_NO_THROW(image = Decode(f)) << c.wholeRows << "+" << c.partialBytes;
        ASSERT_EQ(image.Height, h);
        Bytes stands = c.wholeRows > 0 ? rows[c.wholeRows - 1] : Bytes(w, 0);
        if (c.partialBytes > 1)
            std::copy_n(rows[c.wholeRows].begin(), c.partialBytes - 1, stands.begin());
        for (uint32_t y = 0; y < h; ++y) {
            const Bytes& want = y < c.wholeRows ? rows[y] : stands;
            EXPECT_TRUE(std::equal(want.begin(), want.end(), &image.Pixels[y * image.Stride]))
                << c.wholeRows << "+" << c.partialBytes << " row " << y;
        }
    }
}

TEST(PngReader, DamagedImageDataKeepsTheRowsBeforeIt)
{
    // A picture larger than the rows inflated at a time; the first part of its data holds the
    // first 60 rows. What follows is damaged in several ways: the rows that could be decoded
    // are kept, the others show the background (white, grey level 255).
    const uint32_t w = 2000, h = 100, good = 60;
    std::vector<Bytes> rows;
    const Bytes raw = Grey8Rows(w, h, rows);
    const auto [first, rest] = DeflateInTwo(raw, size_t(w + 1) * good);
    const Bytes garbage(200, 0xFF);   // a block of a type that does not exist
    auto file = [&](const std::vector<std::pair<Bytes, bool>>& idats) {
        Bytes f = Signature();
        Chunk(f, "IHDR", Ihdr(w, h, 8, 0));
        for (const auto& [data, badCrc] : idats) Chunk(f, "IDAT", data, badCrc);
        Chunk(f, "IEND", {});
        return f;
    };
    Bytes firstAndGarbage = first;
    firstAndGarbage.insert(firstAndGarbage.end(), garbage.begin(), garbage.end());
    const struct {
        const char* name;
        Bytes file;
        uint32_t decodedRows;
        const char* message;
    } cases[] = {
        {"whole", file({{first, false}, {rest, false}}), h, ""},
        {"second chunk with a bad CRC", file({{first, false}, {rest, true}}), good,
         "Cannot load image. CRC error found in PNG file."},
        {"second chunk damaged", file({{first, false}, {garbage, false}}), good,
         "Cannot load image. Compression error found in PNG file."},
        // inflate runs into the damage while finishing the last good row, so that row goes too
        {"damage in the same chunk", file({{firstAndGarbage, false}}), good - 1,
         "Cannot load image. Compression error found in PNG file."},
    };
    for (const auto& c : cases) {
        TBytesStream s(c.file);
        TPNGReader reader;
        TPNGImage image;
        std::string message;
        try {
            reader.LoadFromStream(s, image);
        } catch (const Exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << c.name;
        ASSERT_EQ(image.Height, h) << c.name;
        uint32_t decoded = 0;
        while (decoded < h && std::equal(rows[decoded].begin(), rows[decoded].end(), &image.Pixels[decoded * image.Stride]))
            ++decoded;
        EXPECT_EQ(decoded, c.decodedRows) << c.name;
        for (uint32_t y = decoded; y < h; ++y) {
            const uint8_t* p = &image.Pixels[y * image.Stride];
            ASSERT_TRUE(std::all_of(p, p + w, [](uint8_t v) { return v == 255; })) << c.name << " row " << y;
        }
    }
}

TEST(PngReader, LowDepthGreyAndPaletteBecomeFourBit)
{
    // samples 0..3 in a 2-bit row
    Bytes raw = {0, 0b00011011};
    TPNGImage grey = Decode(File(Ihdr(4, 1, 2, 0), Deflate(raw)));
    EXPECT_EQ(grey.BitsPerPixel, 4);
    ASSERT_EQ(grey.Palette.size(), 16u);
    EXPECT_EQ(grey.Palette[15], (TPaletteEntry{255, 255, 255}));
    EXPECT_EQ(grey.Pixels[0], 0x05);
    EXPECT_EQ(grey.Pixels[1], 0xAF);

    Bytes plte = {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
    TPNGImage pal = Decode(File(Ihdr(4, 1, 2, 3), Deflate(raw), {{"PLTE", plte}}));
    EXPECT_EQ(pal.BitsPerPixel, 4);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(pal.Palette[5 * k], (TPaletteEntry{uint8_t(10 * k + 10), uint8_t(10 * k + 11), uint8_t(10 * k + 12)}));
    EXPECT_EQ(pal.Pixels[1], 0xAF);
}

TEST(PngReader, SixteenBitAndAlphaLayouts)
{
    Bytes rgb16 = {0, 0x12, 0x34, 0xFF, 0xFF, 0x80, 0x00};
    TPNGImage a = Decode(File(Ihdr(1, 1, 16, 2), Deflate(rgb16)));
    EXPECT_EQ(a.BitsPerPixel, 24);
    EXPECT_THAT(Bytes(a.Pixels.begin(), a.Pixels.begin() + 3), testing::ElementsAre(0x8000 * 255 / 65535, 255, 18));

    Bytes ga = {0, 200, 7};   // grey 200, alpha 7: the alpha is dropped
    TPNGImage b = Decode(File(Ihdr(1, 1, 8, 4), Deflate(ga)));
    EXPECT_EQ(b.BitsPerPixel, 8);
    EXPECT_EQ(b.Pixels[0], 200);
    TPNGPixels32 b32 = DecodePngTo32(File(Ihdr(1, 1, 8, 4), Deflate(ga)).data(), 0 + File(Ihdr(1, 1, 8, 4), Deflate(ga)).size());
    EXPECT_THAT(b32.Pixels, testing::ElementsAre(200, 200, 200, 255));
}

TEST(PngReader, InterlacedMatchesItsPlainTwinWithEveryFilter)
{
    const uint32_t w = 13, h = 11;
    std::vector<Bytes> rows(h, Bytes(w * 4));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t i = 0; i < w * 4; ++i) rows[y][i] = uint8_t(i * 37 + y * 91 + (i * y) % 7);
    TPNGImage plain = Decode(File(Ihdr(w, h, 8, 6), Deflate(Scanlines(rows, 0, 4))));
    for (int filter = 0; filter <= 4; ++filter) {
        TPNGImage inter = Decode(File(Ihdr(w, h, 8, 6, 1), Deflate(Interlaced(rows, w, filter, 4))));
        EXPECT_EQ(inter.Pixels, plain.Pixels) << "filter " << filter;
        TPNGImage filtered = Decode(File(Ihdr(w, h, 8, 6), Deflate(Scanlines(rows, filter, 4))));
        EXPECT_EQ(filtered.Pixels, plain.Pixels) << "filter " << filter;
    }
}

TEST(PngReader, WidePaletteImageGetsAlphaInEveryColumn)
{
    const uint32_t w = 300;
    Bytes raw{0};
    for (uint32_t x = 0; x < w; ++x) raw.push_back(uint8_t(x % 2));
    Bytes plte = {255, 0, 0, 0, 0, 255};
    Bytes f = File(Ihdr(w, 1, 8, 3), Deflate(raw), {{"PLTE", plte}, {"tRNS", {0x40}}});
    TPNGPixels32 img = DecodePngTo32(f.data(), f.size());
    for (uint32_t x = 0; x < w; ++x) {
        const uint8_t* p = &img.Pixels[x * 4];
        if (x % 2) EXPECT_THAT(Bytes(p, p + 4), testing::ElementsAre(255, 0, 0, 255)) << x;
        else EXPECT_THAT(Bytes(p, p + 4), testing::ElementsAre(0, 0, 255, 0x40)) << x;
    }
}

TEST(PngReader, GammaOfOneFileDoesNotReachTheNext)
{
    Bytes raw = {0, 10, 100, 200};
    Bytes withGamma = File(Ihdr(1, 1, 8, 2), Deflate(raw), {{"gAMA", {0, 0, 0x4E, 0x20}}});   // 0.2
    Bytes plain = File(Ihdr(1, 1, 8, 2), Deflate(raw));
    TPNGReader reader;
    TPNGImage g = Decode(withGamma, reader);
    EXPECT_NE(Bytes(g.Pixels.begin(), g.Pixels.begin() + 3), Bytes({200, 100, 10}));
    TPNGImage p = Decode(plain, reader);
    EXPECT_EQ(Bytes(p.Pixels.begin(), p.Pixels.begin() + 3), Bytes({200, 100, 10}));
}

TEST(PngReader, GreyWithGammaBecomesAnAlphaMask)
{
    Bytes raw = {0, 0, 255};
    Bytes f = File(Ihdr(2, 1, 8, 0), Deflate(raw), {{"gAMA", {0, 0, 0xB1, 0x8F}}});   // 0.45455
    TPNGPixels32 img = DecodePngTo32(f.data(), f.size());
    EXPECT_THAT(img.Pixels, testing::ElementsAre(0, 0, 0, 255, 0, 0, 0, 0));   // black opaque, white transparent
}
