// Fuzz target of image loading: any description over a small fake master bitmap and two image
// files loads or fails with the image error; every image kept lies inside its bitmap with its
// border widths inside a frame, and colour adjustment stays inside the buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

#include "skin/engine/core/skin_adjust.h"
#include "skin/engine/core/skin_images.h"
#include "tests/skin/engine/image_fixture.h"
#include "vcl/inifiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TPixelImage master = fixture::BorderImage(120, 40, 10, 5);
    static const std::map<String, std::vector<uint8_t>> files = {
        {L"A.BMP", fixture::EncodeBmp24(fixture::BorderImage(90, 20, 0, 0))},
        {L"B.PNG", fixture::EncodePng(TPixelImage(3, 5, 0x80FF00FFu), true)},
        {L"C.JPG", {0xFF, 0xD8, 0xFF}}};
    String text;
    for (size_t i = 0; i < size && i < 4096; ++i) text.push_back(wchar_t(data[i]));
    TMemIniFile d{String()};
    d.SetText(text);
    TPixelImage m = master;
    std::vector<String> notes;
    TacImageLoadContext ctx;
    ctx.Description = &d;
    ctx.Master = &m;
    ctx.ReadFile = [](const String& name, std::vector<uint8_t>& b) {
        auto it = files.find(name);
        if (it == files.end()) return false;
        b = it->second;
        return true;
    };
    ctx.Notes = &notes;
    // Every other input at 144 PPI, where images are rescaled.
    if (size & 1) {
        ctx.PPI = 144;
        ctx.ScaleValue = 2;
    }
    std::vector<TsMaskData> images;
    TacBmpArray cache;
    try {
        LoadAllMasks(ctx, images, cache);
    } catch (const ESkinImageError&) {
        return 0;
    }
    SetImageSizes(images);
    for (const TsMaskData& im : images) {
        TPixelView v = im.Bmp ? im.Bmp->View() : m.View();
        if (im.R.left < 0 || im.R.top < 0 || im.R.right > v.Width || im.R.bottom > v.Height) std::abort();
        if (im.ImageCount < 1 || im.WL < 0 || im.WR < 0 || im.WT < 0 || im.WB < 0) std::abort();
    }
    TacAdjustableData adjust{&cache, nullptr};
    std::vector<const std::vector<TsMaskData>*> all = {&images};
    ApplyBrightness(m, all, adjust, int(size % 200) - 100, false);
    ApplyHueOffset(m, {TRect(-5, -5, 500, 7)}, adjust, {}, int(size % 360));
    return 0;
}
