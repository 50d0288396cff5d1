#include "skin/engine/core/skin_adjust.h"

#include <algorithm>
#include <cstring>

#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/colors.h"

namespace {

void ForEachPixel(TPixelImage& image, TPixelProc proc, int value)
{
    if (image.Empty()) return;
    ForEachPixelRows(reinterpret_cast<uint8_t*>(image.Data()), ptrdiff_t(image.Width()) * 4, image.Width(),
                     image.Height(), proc, value, clFuchsia);
}

void ForEachPixel(const TPixelView& view, TPixelProc proc, int value)
{
    if (view.IsNull()) return;
    ForEachPixelRows(view.Row0, view.Stride, view.Width, view.Height, proc, value, clFuchsia);
}

// The rows of r below its colour part (the mask parts).
TRect MaskPartRect(const TRect& r, int maskType)
{
    if (maskType < 1) return TRect();
    int h = r.Height() / (maskType + 1);
    return TRect(r.left, r.top + h, r.right, r.bottom);
}

void CopyRect(TPixelImage& dst, const TPixelImage& src, const TRect& r)
{
    TRect c = TRect::Intersect(TRect::Intersect(r, dst.Bounds()), src.Bounds());
    for (int y = c.top; y < c.bottom; ++y)
        std::memcpy(&dst.At(c.left, y), src.Data() + size_t(y) * size_t(src.Width()) + size_t(c.left), size_t(c.Width()) * 4);
}

}  // namespace

std::vector<String> KeptTitleIconKeys(int biKeepHue)
{
    std::vector<String> keys;
    if (biKeepHue < 1) return keys;
    keys = {L"BICONCLOSE", L"BICLOSEALONE", L"SICONCLOSE"};
    if (biKeepHue == 1)
        for (const wchar_t* k : {L"BICONMAX", L"BICONMIN", L"BICONNORM", L"BICONHELP", L"SICONMAX", L"SICONMIN", L"SICONNORM"})
            keys.push_back(k);
    return keys;
}

void ApplyHueOffset(TPixelImage& master, const std::vector<TRect>& keptMasterRects, const TacAdjustableData& data,
                    const std::vector<const TPixelImage*>& keptBitmaps, int degrees)
{
    if (degrees == 0) return;
    if (keptMasterRects.empty()) {
        ForEachPixel(master, AdjustPixelHue, degrees);
    } else {
        // Shift a copy and take it back except where the kept icons lie.
        TPixelImage kept = master;
        ForEachPixel(master, AdjustPixelHue, degrees);
        for (const TRect& r : keptMasterRects) CopyRect(master, kept, r);
    }
    if (data.Cache)
        for (TacBmpData& e : *data.Cache)
            if (e.Bmp && std::find(keptBitmaps.begin(), keptBitmaps.end(), e.Bmp.get()) == keptBitmaps.end())
                ForEachPixel(*e.Bmp, AdjustPixelHue, degrees);
    if (data.Sections)
        ForEachStateColor(*data.Sections, true, [&](TColor c) { return TColor(ShiftHue(degrees, uint32_t(c))); });
}

void ApplySaturation(TPixelImage& master, const TacAdjustableData& data, int amount)
{
    if (amount == 0) return;
    const int v = std::clamp(amount * 255 / 100, -255, 255);
    ForEachPixel(master, AdjustPixelSaturation, v);
    if (data.Cache)
        for (TacBmpData& e : *data.Cache)
            if (e.Bmp) ForEachPixel(*e.Bmp, AdjustPixelSaturation, v);
    if (data.Sections)
        ForEachStateColor(*data.Sections, false, [&](TColor c) { return TColor(ChangeSaturation(uint32_t(c), v)); });
}

void ApplyBrightness(TPixelImage& master, const std::vector<const std::vector<TsMaskData>*>& masterImages,
                     const TacAdjustableData& data, int amount, bool compositionOn)
{
    if (amount == 0) return;
    const TPixelImage original = master;
    ForEachPixel(master, AdjustPixelBrightness, amount);
    // Every mask part in the master bitmap gets its values back.
    for (const std::vector<TsMaskData>* images : masterImages)
        if (images)
            for (const TsMaskData& m : *images)
                if (!m.Bmp && m.MaskType >= 1) CopyRect(master, original, MaskPartRect(m.R, m.MaskType));
    if (data.Cache)
        for (TacBmpData& e : *data.Cache) {
            if (!e.Bmp || e.Bmp->Empty()) continue;
            TPixelImage& b = *e.Bmp;
            if (e.MaskType != 0) {
                // Only the colour part; the mask parts below it stay.
                TRect colour(0, 0, b.Width(), b.Height() / (std::max(0, e.MaskType) + 1));
                ForEachPixel(b.View().Sub(colour), AdjustPixelBrightness, amount);
            } else {
                ForEachPixel(b, AdjustPixelBrightness, amount);
                if (amount > 0 && UpperCase(e.FileName).find(L".PNG") != String::npos)
                    PremultiplyAlphaRect32(b.View(), b.Bounds(), compositionOn);
            }
        }
    if (data.Sections)
        ForEachStateColor(*data.Sections, false, [&](TColor c) { return TColor(ChangeBrightness(uint32_t(c), amount)); });
}
