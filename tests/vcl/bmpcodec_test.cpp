// BMP and icon-directory parsing on well-formed and hostile input (runs natively too).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vcl/bmpcodec.h"

using namespace bmpcodec;

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// A BMP file with a 40-byte info header; table and pixel bytes as given.
std::vector<uint8_t> MakeBmp(int w, int h, int bpp, uint32_t compression, const std::vector<uint8_t>& table,
                             const std::vector<uint8_t>& pixels, uint32_t sizeImage = 0)
{
    std::vector<uint8_t> v = {'B', 'M'};
    uint32_t off = static_cast<uint32_t>(14 + 40 + table.size());
    Put32(v, static_cast<uint32_t>(off + pixels.size()));
    Put32(v, 0);
    Put32(v, off);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(w));
    Put32(v, static_cast<uint32_t>(h));
    Put16(v, 1);
    Put16(v, static_cast<uint32_t>(bpp));
    Put32(v, compression);
    Put32(v, sizeImage);
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, bpp <= 8 ? static_cast<uint32_t>(table.size() / 4) : 0);
    Put32(v, 0);
    v.insert(v.end(), table.begin(), table.end());
    v.insert(v.end(), pixels.begin(), pixels.end());
    return v;
}

}  // namespace

TEST(BmpDecode, RejectsMalformedFiles)
{
    std::vector<uint8_t> good = MakeBmp(2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0x7F));
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"not BM", [&] { auto d = good; d[0] = 'X'; return d; }()});
    cases.push_back({"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 30)});
    cases.push_back({"pixels cut", std::vector<uint8_t>(good.begin(), good.end() - 1)});
    cases.push_back({"header size 77", [&] { auto d = good; d[14] = 77; return d; }()});
    cases.push_back({"bit count 7", [&] { auto d = good; d[28] = 7; return d; }()});
    cases.push_back({"two planes", [&] { auto d = good; d[26] = 2; return d; }()});
    cases.push_back({"compression 9", [&] { auto d = good; d[30] = 9; return d; }()});
    cases.push_back({"huge width", [&] { auto d = good; d[18 + 3] = 0x10; return d; }()});
    cases.push_back({"negative width", [&] { auto d = good; d[18 + 3] = 0x80; return d; }()});
    cases.push_back({"RLE8 at 24 bits", [&] { auto d = good; d[30] = 1; return d; }()});
    cases.push_back({"palette beyond end", MakeBmp(1, 1, 8, 0, std::vector<uint8_t>(8, 0), {}) });
    cases.back().data.resize(14 + 40 + 4);
    cases.back().data[14 + 32] = 200;   // 200 colours announced, one there
    for (const auto& c : cases) {
        TDecodedBmp d;
        String error;
        EXPECT_FALSE(DecodeBmpFile(c.data.data(), c.data.size(), d, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    TDecodedBmp d;
    String error;
    EXPECT_TRUE(DecodeBmpFile(good.data(), good.size(), d, error));
}

TEST(BmpDecode, ReadsRowsTopFirstWhateverTheFileOrder)
{
    // 1 x 2, 24 bits: bottom row blue, top row red in a bottom-up file.
    std::vector<uint8_t> px = {255, 0, 0, 0, 0, 0, 255, 0};
    for (bool topDown : {false, true}) {
        auto file = MakeBmp(1, topDown ? -2 : 2, 24, 0, {}, px);
        TDecodedBmp d;
        String error;
        ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), d, error));
        ASSERT_EQ(d.height, 2);
        const uint8_t* top = &d.pixels[0];
        // Bottom-up: the file's first row is the bottom one (blue); top-down: the top one.
        EXPECT_EQ(top[0], topDown ? 255 : 0) << "blue of the top row, topDown=" << topDown;
        EXPECT_EQ(top[2], topDown ? 0 : 255) << "red of the top row, topDown=" << topDown;
    }
}

TEST(BmpDecode, RunLengthAndBitFields)
{
    // RLE8, 4 x 2: bottom row a run of four 1s, top row an absolute run 0 1 0 1 then end.
    std::vector<uint8_t> table = {0, 0, 0, 0, 255, 255, 255, 0};
    std::vector<uint8_t> rle = {4, 1, 0, 0, 0, 4, 0, 1, 0, 1, 0, 1};
    auto file = MakeBmp(4, 2, 8, 1, table, rle, static_cast<uint32_t>(rle.size()));
    TDecodedBmp d;
    String error;
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), d, error)) << ToUtf8(error);
    EXPECT_EQ(d.bitCount, 8);
    EXPECT_EQ(std::vector<uint8_t>(d.pixels.begin(), d.pixels.begin() + 4), (std::vector<uint8_t>{0, 1, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(d.pixels.begin() + d.stride, d.pixels.begin() + d.stride + 4),
              (std::vector<uint8_t>{1, 1, 1, 1}));

    // 16-bit 444 bit fields (not a layout GDI keeps) come out as 32 bits.
    std::vector<uint8_t> masks;
    Put32(masks, 0x0F00);
    Put32(masks, 0x00F0);
    Put32(masks, 0x000F);
    std::vector<uint8_t> px;
    Put16(px, 0x0F00);   // pure red
    Put16(px, 0);
    file = MakeBmp(1, 1, 16, 3, masks, px);
    // The masks sit after the 40-byte header, where MakeBmp put the "table".
    file[14 + 32] = 0;
    ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), d, error)) << ToUtf8(error);
    EXPECT_EQ(d.bitCount, 32);
    EXPECT_EQ(d.pixels[2], 255);
    EXPECT_EQ(d.pixels[0], 0);
    EXPECT_EQ(d.pixels[3], 255);
}

TEST(BmpDecode, EncodedFilesDecodeToTheSamePixels)
{
    struct Case {
        int bpp;
        bool is565;
    };
    for (Case c : {Case{1, false}, Case{8, false}, Case{16, true}, Case{24, false}, Case{32, false}}) {
        TBmpSource s;
        s.width = 5;
        s.height = 3;
        s.bitCount = c.bpp;
        s.is565 = c.is565;
        s.stride = ((5 * c.bpp + 31) / 32) * 4;
        if (c.bpp <= 8)
            for (int i = 0; i < (1 << c.bpp); ++i)
                s.palette.push_back(TRgb{static_cast<uint8_t>(i), 0, static_cast<uint8_t>(255 - i)});
        std::vector<uint8_t> bits(static_cast<size_t>(s.stride) * 3);
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 37 + 1);
        s.bottomUpBits = bits.data();
        auto file = EncodeBmpFile(s);
        TDecodedBmp d;
        String error;
        ASSERT_TRUE(DecodeBmpFile(file.data(), file.size(), d, error)) << c.bpp;
        EXPECT_EQ(d.bitCount, c.bpp);
        EXPECT_EQ(d.is565, c.is565);
        ASSERT_EQ(d.stride, s.stride);
        for (int y = 0; y < 3; ++y)   // decoded rows are top first, the source bottom first
            EXPECT_EQ(0, std::memcmp(&d.pixels[static_cast<size_t>(y) * d.stride],
                                     &bits[static_cast<size_t>(2 - y) * s.stride], static_cast<size_t>(s.stride)))
                << "bpp " << c.bpp << " row " << y;
        if (c.bpp <= 8) {
            EXPECT_EQ(d.palette.size(), s.palette.size());
        }
    }
}

TEST(IconDirectory, RejectsEntriesOutsideTheFileAndPicksTheBestSize)
{
    // Directory with one entry pointing beyond the end.
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    Put32(ico, 1000);
    Put32(ico, 22);
    std::vector<TIconEntry> entries;
    String error;
    EXPECT_FALSE(ParseIconDirectory(ico.data(), ico.size(), entries, error));
    std::vector<uint8_t> wrongType = {0, 0, 3, 0, 1, 0};
    EXPECT_FALSE(ParseIconDirectory(wrongType.data(), wrongType.size(), entries, error));
    std::vector<uint8_t> none = {0, 0, 1, 0, 0, 0};
    EXPECT_FALSE(ParseIconDirectory(none.data(), none.size(), entries, error));

    auto e = [](int w, int bpp) {
        TIconEntry x;
        x.width = x.height = w;
        x.bitCount = bpp;
        return x;
    };
    struct Case {
        std::vector<TIconEntry> entries;
        int want;
        int expected;
    };
    const Case cases[] = {
        {{e(16, 32), e(32, 8), e(32, 32), e(48, 32)}, 32, 2},   // exact size, most colours
        {{e(16, 32), e(48, 32), e(64, 32)}, 32, 1},             // the smallest larger one
        {{e(16, 32), e(24, 32)}, 32, 1},                        // else the largest
    };
    for (const auto& c : cases) EXPECT_EQ(PickIconEntry(c.entries, c.want, c.want), c.expected);
}

TEST(AlphaPremultiply, RoundTripsWithinRounding)
{
    std::vector<uint8_t> px = {200, 100, 50, 128, 10, 20, 30, 0, 1, 2, 3, 255};
    auto orig = px;
    Premultiply(px.data(), 3);
    EXPECT_EQ(px[0], 100);   // 200 * 128 / 255, rounded
    EXPECT_EQ(px[4], 0);
    EXPECT_EQ(px[8], 1);
    Unpremultiply(px.data(), 3);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(px[c], orig[c], 2);
    for (int c = 8; c < 12; ++c) EXPECT_EQ(px[c], orig[c]);
}
