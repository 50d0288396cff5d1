#include "skin/graphics/text_effects.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "skin/graphics/colors.h"

String CutTextToWidth(const TacTextMeasurer& measurer, const String& text, int maxWidth)
{
    String result = maxWidth <= 0 ? String() : text;
    if (result.empty() || measurer.TextWidth(result) <= maxWidth) return result;
    while (!result.empty() && measurer.TextWidth(result + L"...") > maxWidth) result.pop_back();
    if (!result.empty()) result += L"...";
    return result;
}

TacBlurKernel BuildBlurKernel(int radius)
{
    TacBlurKernel k;
    if (radius < 1) return k;
    // exp is rounded to a whole number first: the kernel is a box of the weights 0 and 1.
    float sum = 0;
    for (int i = -16; i <= 16; ++i) {
        const double x = double(i) / radius;
        k.Weights[i + 16] = float(std::nearbyint(std::exp(-x * x / 2)));
        sum += k.Weights[i + 16];
    }
    for (float& w : k.Weights) w /= sum;
    int size = 16;
    float tail = 0;
    while (tail < 1.0f / (2 * 255) && size > 1) {
        tail += 2 * k.Weights[size + 16];
        --size;
    }
    k.Size = size;
    float inner = 0;
    for (int i = -size; i <= size; ++i) inner += k.Weights[i + 16];
    for (int i = -size; i <= size; ++i) k.Weights[i + 16] /= inner;
    return k;
}

namespace {

// One line of n samples (step apart) blurred through a buffer and written back.
void BlurLine(uint8_t* first, ptrdiff_t step, int n, const TacBlurKernel& k, std::vector<uint8_t>& line,
              std::vector<uint8_t>& out)
{
    for (int i = 0; i < n; ++i) line[size_t(i)] = first[i * step];
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int j = -k.Size; j <= k.Size; ++j) sum += line[size_t(std::clamp(i - j, 0, n - 1))] * double(k.Weight(j));
        out[size_t(i)] = sum > 255 ? 255 : sum < 0 ? 0 : uint8_t(std::nearbyint(sum));
    }
    for (int i = 0; i < n; ++i) first[i * step] = out[size_t(i)];
}

}  // namespace

void BlurMask8(const TBytePlane& plane, int radius)
{
    if (plane.IsNull() || radius < 1) return;
    const TacBlurKernel k = BuildBlurKernel(radius);
    const size_t longest = size_t(std::max(plane.Width, plane.Height));
    std::vector<uint8_t> line(longest), out(longest);
    for (int y = 0; y < plane.Height; ++y) BlurLine(plane.Row(y), 1, plane.Width, k, line, out);
    for (int x = 0; x < plane.Width; ++x) BlurLine(plane.Row(0) + x, plane.Stride, plane.Height, k, line, out);
}

void ComposeGlowMask32(const TPixelView& dest, const TBytePlane& mask, TPoint origin, TColor color)
{
    if (dest.IsNull() || mask.IsNull()) return;
    const uint32_t c = uint32_t(color);
    const uint32_t glow[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};   // blue, green, red
    for (int y = 0; y < mask.Height; ++y) {
        const int dy = origin.y + y;
        if (dy < 0 || dy >= dest.Height) continue;
        const uint8_t* m = mask.Row(y);
        uint32_t* d = dest.Row(dy);
        for (int x = 0; x < mask.Width; ++x) {
            const int dx = origin.x + x;
            if (m[x] == 255 || dx < 0 || dx >= dest.Width) continue;
            const uint32_t cover = 255u - m[x], keep = m[x];
            const uint32_t a = d[dx] >> 24;
            uint32_t out = (a + (((255 - a) * cover) >> 8)) << 24;
            for (int k = 0; k < 3; ++k) out |= ((glow[k] * cover + ((d[dx] >> (8 * k)) & 0xFF) * keep) >> 8) << (8 * k);
            d[dx] = out;
        }
    }
}

TColor AdjustTextColorRGB(TColor color, TColor toneRGB, int hueOffset, int saturation)
{
    uint32_t c = uint32_t(color);
    if (toneRGB != clNone) c = ToneColor(c, SwapRedBlue(uint32_t(toneRGB)));
    c = ShiftHue(hueOffset, c);
    return TColor(ChangeSaturation(c, saturation * 256 / 100));
}
