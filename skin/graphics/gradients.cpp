#include "skin/graphics/gradients.h"

#include <algorithm>
#include <cmath>

#include "skin/graphics/pixel_copy.h"

namespace {

// The ";"-separated fields; runs of separators count as one, separators at the ends are ignored.
std::vector<StringView> SplitFields(StringView text)
{
    std::vector<StringView> fields;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == L';') ++i;
        size_t start = i;
        while (i < text.size() && text[i] != L';') ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

// Field n (from 1) as a 64-bit integer keeping its low 32 bits, or as a 32-bit integer.
bool Field32Of64(const std::vector<StringView>& fields, size_t n, uint32_t& value)
{
    int64_t v = 0;
    if (n < 1 || n > fields.size() || !TryStrToInt64(fields[n - 1], v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool FieldInt(const std::vector<StringView>& fields, size_t n, int& value)
{
    return n >= 1 && n <= fields.size() && TryStrToInt(fields[n - 1], value);
}

bool ParseFiveFieldStops(const std::vector<StringView>& fields, TsGradArray& stops)
{
    const size_t count = fields.size() / 5;
    stops.resize(count);
    int sum = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t color = 0, mode = 0;
        int length = 0;
        if (!Field32Of64(fields, 5 * i + 1, color) || !FieldInt(fields, 5 * i + 3, length) ||
            !Field32Of64(fields, 5 * i + 4, mode))
            return false;
        TsGradPoint& p = stops[i];
        p.Color.C = color | 0xFF000000u;
        p.Percent = static_cast<uint8_t>(std::min(sum, 100));
        p.Mode = static_cast<int32_t>(mode & ~0x10u);
        p.Index = static_cast<uint16_t>(i);
        sum += std::clamp(length, 0, 100);
    }
    // A four-corner gradient always has its five points.
    if (count >= 1 && (stops[0].Mode & 3) == 2)
        while (stops.size() < 5) stops.push_back(stops.back());
    return true;
}

bool ParseThreeFieldStops(const std::vector<StringView>& fields, int count, TsGradArray& stops)
{
    if (count < 0) return false;
    stops.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < stops.size(); ++i) {
        uint32_t color = 0, mode = 0;
        int percent = 0;
        if (!Field32Of64(fields, 3 * i + 1, color) || !FieldInt(fields, 3 * i + 2, percent) ||
            !Field32Of64(fields, 3 * i + 3, mode))
            return false;
        TsGradPoint& p = stops[i];
        p.Color.C = color;
        p.Percent = static_cast<uint8_t>(std::clamp(percent, 0, 100));
        p.Mode = static_cast<int32_t>(mode);
        p.Index = static_cast<uint16_t>(i);
        if (mode & 0x10) stops[0].Mode |= 0x20;
    }
    return true;
}

}  // namespace

bool ParseGradientString(const String& text, TsGradArray& gradient)
{
    gradient.clear();
    if (text.size() <= 4) return true;
    const std::vector<StringView> fields = SplitFields(text);
    const unsigned code = static_cast<unsigned>(text.back()) & 0xFFu;
    TsGradArray stops;
    const bool ok = code == 0x30 ? ParseFiveFieldStops(fields, stops)
                                 : ParseThreeFieldStops(fields, static_cast<int>(code) - 64, stops);
    if (!ok) return false;
    if (!stops.empty()) stops.back().Percent = 100;
    gradient = std::move(stops);
    return true;
}

// ---- shadows ---------------------------------------------------------------------------------

TPixelImage CreateShadowImage32(TColor color, int radius, int offsetY, int extraHeight, int extraWidth, int blur,
                                bool opaque)
{
    // Sizes come from skin values: bounded so that a wild value cannot ask for gigabytes.
    constexpr int limit = 2048;
    radius = std::clamp(radius, 0, limit);
    offsetY = std::clamp(offsetY, 0, limit);
    extraHeight = std::clamp(extraHeight, 0, limit);
    extraWidth = std::clamp(extraWidth, 0, limit);
    const int width = 2 * radius + extraWidth + 1, height = 2 * radius + extraHeight + offsetY + 1;
    TPixelImage image(width, height, opaque ? 0xFFFFFFFFu : 0u);
    const TPixelView v = image.View();
    if (v.IsNull()) return image;

    double inner = 0;
    if (blur > 0) {
        inner = radius - blur;
    } else {
        blur = radius;
    }
    const uint32_t c = static_cast<uint32_t>(color);
    const uint32_t shade = c >> 24;
    const uint32_t channels[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};   // blue, green, red
    const int mirrorRow = 2 * (offsetY + radius) + extraHeight;
    for (int y = offsetY; y <= offsetY + radius; ++y) {
        for (int x = 0; x <= radius; ++x) {
            const double dx = radius - x, dy = offsetY + radius - y;
            const double d = std::sqrt(dx * dx + dy * dy);
            uint32_t pixel;
            if (opaque) {
                if (d <= radius) {
                    double a = 255;
                    if (d > inner) a = std::nearbyint((1 - (d - inner) / (blur + 1)) * 255 * (radius + 1 - d) / (blur + 1));
                    const uint32_t w = uint32_t(std::clamp(a, 0.0, 255.0));
                    const uint32_t g = (255 * (255 - w) + shade * w) >> 8;
                    pixel = 0xFF000000u | g << 16 | g << 8 | g;
                } else {
                    pixel = 0xFFFFFFFFu;
                }
            } else if (d <= radius) {
                double a = 255;
                const double span = radius - inner;
                if (d > inner && span > 0) a = std::nearbyint(255 * (radius - d + 1) * (1 - (d - inner) / span) / span);
                const uint32_t w = uint32_t(std::clamp(a, 0.0, 255.0));
                const uint32_t alpha = (shade * w) >> 8;
                pixel = alpha << 24;
                for (int k = 0; k < 3; ++k) pixel |= ((channels[k] * 255 * alpha) >> 16) << (8 * k);
            } else {
                pixel = 0;
            }
            v.At(x, y) = pixel;
            v.At(2 * radius - x, y) = pixel;
            if (mirrorRow - y < height) {
                v.At(x, mirrorRow - y) = pixel;
                v.At(2 * radius - x, mirrorRow - y) = pixel;
            }
        }
    }
    for (int y = offsetY + radius + 1; y <= offsetY + radius + extraHeight; ++y)
        CopyBlock32(v, 0, y, v, TRect(0, offsetY + radius, width, offsetY + radius + 1));
    if (extraWidth > 0) {
        CopyBlock32(v, width - radius, 0, v, TRect(radius + 1, 0, 2 * radius + 1, height));
        for (int x = radius + 1; x <= radius + extraWidth; ++x) CopyBlock32(v, x, 0, v, TRect(radius, 0, radius + 1, height));
    }
    return image;
}
