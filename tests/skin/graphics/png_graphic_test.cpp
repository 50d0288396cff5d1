// The PNG picture class on real DIB sections: loading, the 32-bit loaders, registration, drawing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "skin/graphics/pnggraphic.h"
#include "tests/skin/graphics/png_test_util.h"
#include "vcl/win.h"

using namespace pngtest;

namespace {

Bytes Rgba2x2()
{
    std::vector<Bytes> rows = {{255, 0, 0, 255, 0, 255, 0, 128}, {0, 0, 255, 0, 10, 20, 30, 40}};
    return File(Ihdr(2, 2, 8, 6), Deflate(Scanlines(rows, 1, 4)));
}

// Pixels of a 32-bit bitmap, top row first, as B, G, R, A bytes.
Bytes PixelsOf(TBitmap& b)
{
    Bytes r;
    for (int y = 0; y < b.Height(); ++y) {
        auto* p = static_cast<const uint8_t*>(b.ScanLine(y));
        r.insert(r.end(), p, p + b.Width() * 4);
    }
    return r;
}

String TempFile(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return String(dir) + name;
}

}  // namespace

TEST(PNGGraphic, StreamLoaderGivesTheDecodersPixels)
{
    Bytes file = Rgba2x2();
    TBytesStream s(file);
    TBitmap bmp;
    LoadPngStreamTo32(&bmp, s);
    ASSERT_EQ(bmp.PixelFormat(), pf32bit);
    ASSERT_EQ(bmp.Width(), 2);
    ASSERT_EQ(bmp.Height(), 2);
    Bytes pixels = PixelsOf(bmp);
    EXPECT_EQ(pixels, DecodePngTo32(file.data(), file.size()).Pixels);
    EXPECT_THAT(Bytes(pixels.begin(), pixels.begin() + 8), testing::ElementsAre(0, 0, 255, 255, 0, 255, 0, 128));
}

TEST(PNGGraphic, PaletteAndGreyPicturesBecome32Bit)
{
    // 2-bit grey, 1 row of samples 0..3
    Bytes grey = File(Ihdr(4, 1, 2, 0), Deflate({0, 0b00011011}));
    // 8-bit palette with tRNS
    Bytes pal = File(Ihdr(2, 1, 8, 3), Deflate({0, 0, 1}), {{"PLTE", {255, 0, 0, 0, 0, 255}}, {"tRNS", {0x30}}});
    struct Case {
        const char* name;
        Bytes file;
        Bytes want;
    } cases[] = {
        {"grey", grey, {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}},
        {"palette", pal, {0, 0, 255, 0x30, 255, 0, 0, 255}},
    };
    for (auto& c : cases) {
        TBytesStream s(c.file);
        TBitmap bmp;
        LoadPngStreamTo32(&bmp, s);
        EXPECT_EQ(PixelsOf(bmp), c.want) << c.name;
    }
}

TEST(PNGGraphic, FileLoaderKeysTheBottomLeftColour)
{
    // RGB with a tRNS colour: the picture is transparent, so the file loader makes the colour of
    // the bottom-left pixel transparent (not the tRNS colour); the stream loader keeps the
    // bitmap's own (False) and makes every pixel opaque.
    std::vector<Bytes> rows = {{9, 9, 9, 200, 100, 50}, {9, 9, 9, 1, 2, 3}};
    Bytes file = File(Ihdr(2, 2, 8, 2), Deflate(Scanlines(rows, 0, 3)), {{"tRNS", {0, 200, 0, 100, 0, 50}}});
    String name = TempFile(L"qw_png_key.png");
    WriteFileBytes(name, file);
    TBitmap fromFile, fromStream;
    LoadPngFileTo32(&fromFile, name);
    TBytesStream s(file);
    LoadPngStreamTo32(&fromStream, s);
    EXPECT_EQ(PixelsOf(fromFile), Bytes({9, 9, 9, 0, 50, 100, 200, 255, 9, 9, 9, 0, 3, 2, 1, 255}));
    EXPECT_EQ(PixelsOf(fromStream), Bytes({9, 9, 9, 255, 50, 100, 200, 255, 9, 9, 9, 255, 3, 2, 1, 255}));

    // generic picture loading reaches the PNG class through the registry
    TPicture pic;
    pic.LoadFromFile(name);
    EXPECT_NE(dynamic_cast<TPNGGraphic*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 2);
    RemoveFile(name);
}

TEST(PNGGraphic, BadDataRaisesInvalidGraphic)
{
    Bytes file = Rgba2x2();
    file[20] ^= 0x10;   // inside IHDR: CRC error
    TBytesStream s(file);
    TPNGGraphic png;
    try {
        png.LoadFromStream(s);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"Cannot load image. CRC error found in PNG file.");
    }
    TBitmap bmp;
    TBytesStream s2(Bytes(file.begin(), file.begin() + 12));
    EXPECT_THROW(LoadPngStreamTo32(&bmp, s2), Exception);

    // image data that run out (no further IDAT chunk): no error, the picture has its size
    std::vector<Bytes> rows(8, Bytes(8 * 3));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t i = 0; i < rows[y].size(); ++i) rows[y][i] = uint8_t(i * 29 + y * 71);
    Bytes packed = Deflate(Scanlines(rows, 0, 3));
    Bytes cut = File(Ihdr(8, 8, 8, 2), Bytes(packed.begin(), packed.begin() + packed.size() / 2));
    TBytesStream s3(cut);
    int stages = 0;
    png.OnProgress = TProgressEvent::FromCallable(
        [&](TObject*, TProgressStage, uint8_t, bool, const TRect&, const String&) { ++stages; });
    EXPECT_NO_THROW(png.LoadFromStream(s3));
    EXPECT_EQ(png.Width(), 8);
    EXPECT_EQ(png.Height(), 8);
    EXPECT_GE(stages, 3);
}

TEST(PNGGraphic, CanLoadLeavesThePosition)
{
    Bytes file = Rgba2x2();
    TBytesStream s(file);
    EXPECT_TRUE(TPNGGraphic::CanLoad(s));
    EXPECT_EQ(s.Position(), 0);
    TBytesStream eight(Bytes(file.begin(), file.begin() + 8));
    EXPECT_FALSE(TPNGGraphic::CanLoad(eight));
}

TEST(PNGGraphic, DrawComposesAlpha)
{
    // one red pixel at alpha 128 over a white canvas
    Bytes file = File(Ihdr(1, 1, 8, 6), Deflate({0, 255, 0, 0, 128}));
    TBytesStream s(file);
    TPNGGraphic png;
    png.LoadFromStream(s);
    TBitmap canvas(4, 4, pf32bit);
    canvas.Canvas()->Brush()->SetColor(clWhite);
    canvas.Canvas()->FillRect(TRect(0, 0, 4, 4));
    png.Draw(canvas.Canvas(), TRect(0, 0, 2, 2));   // scaled to 2 x 2
    GdiFlush();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            auto* p = static_cast<const uint8_t*>(canvas.ScanLine(y)) + x * 4;
            EXPECT_EQ(p[2], 255);
            EXPECT_NEAR(p[1], 127, 1);
            EXPECT_NEAR(p[0], 127, 1);
        }
    auto* outside = static_cast<const uint8_t*>(canvas.ScanLine(3));
    EXPECT_EQ(outside[0], 255);
}
