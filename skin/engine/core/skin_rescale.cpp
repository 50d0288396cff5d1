#include "skin/engine/core/skin_rescale.h"

#include <algorithm>

#include "skin/engine/core/skin_images.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/resample.h"

namespace {

TPixelImage CopyPart(const TPixelView& source, int x, int y, int w, int h)
{
    TPixelImage part(w, h, KeyPixel);
    CopyBlock32(part.View(), 0, 0, source, TRect(x, y, x + w, y + h));
    return part;
}

}  // namespace

bool RescaleSkinImage(TsMaskData& image, const TPixelView& master, bool keepKey, TColor mainColor,
                      std::unique_ptr<TPixelImage>& result)
{
    const int mul = image.MulPPi, div = image.DivPPI;
    if (mul == div || div <= 0 || mul <= 0) return false;
    const int frames = std::max<int>(1, image.ImageCount);
    int height = image.R.Height(), width = image.R.Width();
    const int f = width / frames;
    const int p = image.MaskType != 0 ? height / 2 : height;
    if (image.WL + image.WR == 2 || image.WT + image.WB == 2 || p < 3 || f < 3) return false;
    const TPixelView source = image.Bmp ? image.Bmp->View() : master;
    if (source.IsNull()) return false;
    // Transparent pixels carry the main colour, so smoothing does not pull magenta into edges.
    const uint32_t behind = SwapRedBlue(uint32_t(mainColor)) & 0x00FFFFFFu;
    const bool masked = image.MaskType != 0;
    const bool alpha32 = (image.DrawMode & dmAlpha32) != 0;

    TPixelImage a = CopyPart(source, image.R.left, image.R.top, width, p);
    TPixelImage m;
    if (masked) {
        m = CopyPart(source, image.R.left, image.R.top + p, width, p);
        // The corners of the first frame: key in the colour part makes both parts clear.
        const TRect corners[4] = {TRect(0, 0, image.WL, image.WT), TRect(0, p - image.WB, image.WL, p),
                                  TRect(f - image.WR, 0, f, image.WT), TRect(f - image.WR, p - image.WB, f, p)};
        for (const TRect& box : corners) {
            TRect c = TRect::Intersect(box, a.Bounds());
            for (int y = c.top; y < c.bottom; ++y)
                for (int x = c.left; x < c.right; ++x) {
                    if (IsKeyPixel(a.At(x, y))) {
                        m.At(x, y) = 0xFFFFFFFFu;
                        a.At(x, y) = behind;
                    } else if (IsKeyPixel(m.At(x, y))) {
                        m.At(x, y) = 0xFFFFFFFFu;
                    }
                }
        }
        height = height / 2 * mul / div * 2;
    } else {
        if (!alpha32 && !keepKey)
            for (int y = 0; y < a.Height(); ++y)
                for (int x = 0; x < a.Width(); ++x)
                    if (IsKeyPixel(a.At(x, y))) a.At(x, y) = behind;
        height = height * mul / div;
    }
    width = mul * f / div * frames;
    if (width <= 0 || height <= 0) return false;
    auto b = std::make_unique<TPixelImage>(width, height, KeyPixel);
    if (masked) {
        const int half = height / 2;
        TPixelImage a2 = ResampleImage32(a.View(), width, half, rfMitchell);
        TPixelImage m2 = ResampleImage32(m.View(), width, half, rfMitchell);
        if (a2.Empty() || m2.Empty()) return false;
        for (int y = 0; y < half; ++y)
            for (int x = 0; x < width; ++x)
                if ((a2.At(x, y) >> 24) < 100) a2.At(x, y) = KeyPixel;
        CopyBlock32(b->View(), 0, 0, a2.View(), a2.Bounds());
        CopyBlock32(b->View(), 0, half, m2.View(), m2.Bounds());
    } else {
        if (!ResampleInto(a.View(), b->View(), rfMitchell)) return false;
        if (!alpha32 && !keepKey)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    uint32_t& px = b->At(x, y);
                    px = (px >> 24) > 89 ? (px | 0xFF000000u) : KeyPixel;
                }
    }
    image.Bmp = b.get();
    image.R = b->Bounds();
    image.Width = width / frames;
    image.Height = alpha32 ? height : height / std::max(1, image.MaskType + 1);
    auto scale = [&](int v) { return MulDivRound(v, mul, div); };
    image.WL = int16_t(std::max(0, scale(image.WL)));
    image.WT = int16_t(std::max(0, scale(image.WT)));
    image.WR = int16_t(std::max(0, std::min(scale(image.WR), image.Width - image.WL - 1)));
    image.WB = int16_t(std::max(0, std::min(scale(image.WB), image.Height - image.WT - 1)));
    result = std::move(b);
    return true;
}
