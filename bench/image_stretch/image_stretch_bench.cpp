// Speed of the image control's paint of a large list image: a 512 x 512 PNG item (a soft radial
// picture with alpha) of an alpha list shown stretched, centred and proportional in a 240 x 80
// control, composed over a background bitmap as a paint does. The references, on the same
// bitmaps: StretchBlt of the decoded picture (opaque) and AlphaBlend of it (premultiplied, with
// per-pixel alpha) into the same 80 x 80 place. Prints the times and the ratios; the first paint
// (which decodes the file and resamples it) is timed on its own.
#include <cmath>
#include <cstdio>
#include <vector>

#include <zlib.h>

#include "bench/common/window_bench.h"
#include "skin/controls/salphaimagelist.h"
#include "skin/controls/simage.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/pnggraphic.h"
#include "vcl/application.h"

namespace {

void PutBE32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBE32(out, uint32_t(data.size()));
    std::vector<uint8_t> td(type, type + 4);
    td.insert(td.end(), data.begin(), data.end());
    out.insert(out.end(), td.begin(), td.end());
    PutBE32(out, uint32_t(crc32(0, td.data(), uInt(td.size()))));
}

// An RGBA PNG of size x size: a coloured disc fading out to transparent corners.
std::vector<uint8_t> DiscPng(int size)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    PutBE32(ihdr, uint32_t(size));
    PutBE32(ihdr, uint32_t(size));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    std::vector<uint8_t> raw;
    const double c = size / 2.0;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c) / c;
            const int a = d >= 1 ? 0 : int(255 * (1 - d * d));
            raw.insert(raw.end(), {uint8_t(x / 2), uint8_t(y / 2), uint8_t(200), uint8_t(a)});
        }
    }
    uLongf n = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(n);
    compress2(z.data(), &n, raw.data(), uLong(raw.size()), 6);
    z.resize(n);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace

int main()
{
    auto* app = new TApplication(nullptr);
    app->ShowExceptionDialogs = false;
    TsAlphaImageList list;
    list.SetSize(16, 16);
    const std::vector<uint8_t> png = DiscPng(512);
    list.AddPng(png.data(), png.size());

    TsImage image(nullptr);
    image.SetBounds(0, 0, 240, 80);
    image.SetImages(&list);
    image.SetImageIndex(0);
    image.SetStretch(true);
    image.SetCenter(true);
    image.SetProportional(true);

    std::unique_ptr<TBitmap> background(NewBitmap32(240, 80));
    FillRectAlpha32(background.get(), TRect(0, 0, 240, 80), TColor(0x604020), 255);
    std::unique_ptr<TBitmap> target(NewBitmap32(240, 80));
    HDC dst = target->Canvas()->Handle();
    HDC bg = background->Canvas()->Handle();

    // The first paint decodes the file and resamples it; later ones compose what it kept.
    const double first = bench::SecondsPerCall([&] {
        image.SetImageIndex(-1);
        image.SetImageIndex(0);
        BitBlt(dst, 0, 0, 240, 80, bg, 0, 0, SRCCOPY);
        image.ComposeImage(target.get());
    }, 0.02, 3);
    const int decodesBefore = TsAlphaImageList::Decodes;
    const double ours = bench::SecondsPerCall([&] {
        BitBlt(dst, 0, 0, 240, 80, bg, 0, 0, SRCCOPY);
        image.ComposeImage(target.get());
    });
    const int decodes = TsAlphaImageList::Decodes - decodesBefore;

    // The references draw the picture decoded once, as the platform would from a loaded bitmap.
    TBitmap decoded;
    {
        TMemoryStream s;
        s.Write(png.data(), int64_t(png.size()));
        s.SetPosition(0);
        LoadPngStreamTo32(&decoded, s);
    }
    std::unique_ptr<TBitmap> premultiplied(NewBitmap32(512, 512));
    BitBlt(premultiplied->Canvas()->Handle(), 0, 0, 512, 512, decoded.Canvas()->Handle(), 0, 0, SRCCOPY);
    PremultiplyAlpha32(premultiplied.get());
    HDC src = decoded.Canvas()->Handle();
    HDC pre = premultiplied->Canvas()->Handle();
    SetStretchBltMode(dst, HALFTONE);
    const double stretch = bench::SecondsPerCall([&] {
        BitBlt(dst, 0, 0, 240, 80, bg, 0, 0, SRCCOPY);
        StretchBlt(dst, 80, 0, 80, 80, src, 0, 0, 512, 512, SRCCOPY);
    });
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const double alpha = bench::SecondsPerCall([&] {
        BitBlt(dst, 0, 0, 240, 80, bg, 0, 0, SRCCOPY);
        AlphaBlend(dst, 80, 0, 80, 80, pre, 0, 0, 512, 512, blend);
    });

    std::printf("512 x 512 PNG item into a 240 x 80 image control (centred, proportional: 80 x 80)\n");
    std::printf("%-48s %10.1f us\n", "image control, first paint (decode, resample)", first * 1e6);
    std::printf("%-48s %10.1f us\n", "image control paint", ours * 1e6);
    std::printf("%-48s %10d\n", "decodes in the timed paints", decodes);
    std::printf("%-48s %10.1f us\n", "StretchBlt (HALFTONE) of the decoded picture", stretch * 1e6);
    std::printf("%-48s %10.1f us\n", "AlphaBlend of the decoded picture", alpha * 1e6);
    std::printf("%-48s %10.2f\n", "ratio image control / StretchBlt", ours / stretch);
    std::printf("%-48s %10.2f\n", "ratio image control / AlphaBlend", ours / alpha);
    std::printf("%-48s %10s\n", "below 2 ms per paint", ours < 0.002 ? "yes" : "no");
    delete app;
    return 0;
}
