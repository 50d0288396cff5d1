// Speed of the image control's paint of a large list image: a 512 x 512 PNG item (a soft radial
// picture with alpha) of an alpha list shown stretched, centred and proportional in a 240 x 80
// control, composed over a background bitmap as a paint does. The references, on the same
// bitmaps: StretchBlt of the decoded picture (opaque) and AlphaBlend of it (premultiplied, with
// per-pixel alpha) into the same 80 x 80 place. Prints the times and the ratios; the first paint
// (which decodes the file and resamples it) is timed on its own.
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/common/window_bench.h"
#include "skin/controls/salphaimagelist.h"
#include "skin/controls/simage.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/pnggraphic.h"
#include "tests/skin/engine/image_fixture.h"
#include "vcl/application.h"

namespace {

// An RGBA PNG of size x size: a coloured disc fading out to transparent corners.
std::vector<uint8_t> DiscPng(int size)
{
    TPixelImage img(size, size);
    const double c = size / 2.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c) / c;
            const uint32_t a = d >= 1 ? 0 : uint32_t(255 * (1 - d * d));
            img.At(x, y) = a << 24 | uint32_t(x / 2) << 16 | uint32_t(y / 2) << 8 | 200u;
        }
    return fixture::EncodePng(img, true);
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
