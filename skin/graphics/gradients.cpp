#include "skin/graphics/gradients.h"

#include <algorithm>
#include <cmath>

#include "skin/graphics/gdip_layer.h"
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
            !Field32Of64(fields, 5 * i + 4, mode)) {
            stops.resize(i);
            return false;
        }
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
            !Field32Of64(fields, 3 * i + 3, mode)) {
            stops.resize(i);
            return false;
        }
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
    if (ok && !stops.empty()) stops.back().Percent = 100;
    gradient = std::move(stops);
    return ok;
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

// ---- painting --------------------------------------------------------------------------------

namespace {

// Colours of a plain band of d steps from c1 to c2 (TColor): count colours (pixel order, opaque)
// starting at c1, each channel a single-precision accumulator advanced by a double step and
// rounded half to even when written.
template <typename Put>
void BandColours(uint32_t c1, uint32_t c2, int d, int count, Put put)
{
    if (c1 == c2) {
        const uint32_t p = 0xFF000000u | SwapRedBlue(c1 & 0x00FFFFFFu);
        for (int i = 0; i < count; ++i) put(i, p);
        return;
    }
    float acc[3];
    double step[3];
    for (int k = 0; k < 3; ++k) {
        const int a = int((c1 >> (8 * k)) & 0xFF), b = int((c2 >> (8 * k)) & 0xFF);
        acc[k] = float(a);
        step[k] = d > 0 ? double(b - a) / d : 0.0;
    }
    for (int i = 0; i < count; ++i) {
        const auto ch = [&](int k) { return uint32_t(std::clamp(std::nearbyint(double(acc[k])), 0.0, 255.0)); };
        put(i, 0xFF000000u | ch(0) << 16 | ch(1) << 8 | ch(2));   // red, green, blue of the TColor
        for (int k = 0; k < 3; ++k) acc[k] = float(acc[k] + step[k]);
    }
}

TRect ClipForGradient(const TPixelView& v, const TRect& r)
{
    return TRect(std::max<int>(r.left, 0), std::max<int>(r.top, 0), std::min<int>(r.right, v.Width),
                 std::min<int>(r.bottom, v.Height));
}

bool DrawnByLayer(const TsGradPoint& a, const TsGradPoint& b) { return ((a.Mode | b.Mode) & 0x10) != 0; }

// Direction 1 as plain bands into one row (columns first..last inclusive): the band ends, each
// kept inside [left, lastColumn]. Used by both painters.
template <typename Band>
void WalkColumnBands(const TsGradArray& g, const TRect& c, int lastColumn, Band band)
{
    const double scale = c.Width() / 100.0;
    int x = c.left;
    for (size_t k = 1; k < g.size(); ++k) {
        const int start = x;
        const int step = int(g[k].Percent) - int(g[k - 1].Percent);
        x = start + int(std::nearbyint(step * scale));
        x = std::clamp(x, int(c.left), lastColumn);
        if (k == g.size() - 1) x = lastColumn;
        band(k, start, x);
    }
}

}  // namespace

void PaintGradient32(const TPixelView& v, const TRect& r, const TsGradArray& g, TacGdipLayer* layer)
{
    if (r.IsEmpty() || g.empty() || v.IsNull()) return;
    const TRect c = ClipForGradient(v, r);
    if (c.IsEmpty()) return;
    const int width = c.Width(), height = c.Height();
    switch (g[0].Mode & 3) {
    case 0: {
        int e = c.top;
        for (size_t k = 1; k < g.size(); ++k) {
            const int start = e;
            const int step = int(g[k].Percent) - int(g[k - 1].Percent);
            e = k == g.size() - 1 ? int(c.bottom) : std::clamp(start + height * step / 100, int(c.top), int(c.bottom));
            if (e <= start) continue;
            const uint32_t c1 = g[k - 1].Color.C, c2 = g[k].Color.C;
            if (DrawnByLayer(g[k - 1], g[k])) {
                // Drawn one row higher with that row clipped off: the brush's first row never shows.
                if (layer)
                    layer->FillLinearGradient(v, TRect(c.left, start, c.right, e), c1, c2, float(c.left), float(start - 1),
                                              float(width), float(e - start + 1), true);
                continue;
            }
            BandColours(c1, c2, e - start, e - start, [&](int i, uint32_t p) {
                std::fill(v.Row(start + i) + c.left, v.Row(start + i) + c.right, p);
            });
        }
        break;
    }
    case 1: {
        const int lastPlain = int(c.right) - 1;   // bands end inside r
        WalkColumnBands(g, c, lastPlain, [&](size_t k, int start, int x) {
            const uint32_t c1 = g[k - 1].Color.C, c2 = g[k].Color.C;
            if (DrawnByLayer(g[k - 1], g[k])) {
                const int end = std::min(x + 1, int(c.right));
                if (layer && end > start)
                    layer->FillLinearGradient(v, TRect(start, c.top, end, c.bottom), c1, c2, float(start - 1), float(c.top),
                                              float(end - start + 1), float(height), false);
                return;
            }
            if (x <= start) return;
            uint32_t* row = v.Row(c.top);
            BandColours(c1, c2, x - start, x - start + 1, [&](int i, uint32_t p) { row[start + i] = p; });
            for (int y = c.top + 1; y < c.bottom; ++y) std::copy(row + start, row + x + 1, v.Row(y) + start);
        });
        break;
    }
    case 2: {
        if (g.size() < 5 || !layer) break;
        if (g[0].Mode & 0x20) {
            const TPoint corners[4] = {{int(c.left), int(c.top)}, {int(c.left) + width, int(c.top)},
                                       {int(c.left) + width, int(c.top) + height}, {int(c.left), int(c.top) + height}};
            const uint32_t colors[4] = {g[0].Color.C, g[2].Color.C, g[3].Color.C, g[4].Color.C};
            layer->FillPathGradient(v, corners, colors, float(c.left), float(c.top), float(width), float(height), g[1].Color.C);
        } else {
            const TPoint vertices[5] = {{int(c.left), int(c.top)},
                                        {int(c.left) + width / 2, int(c.top) + height / 2},
                                        {int(c.right), int(c.top)},
                                        {int(c.right), int(c.bottom)},
                                        {int(c.left), int(c.bottom)}};
            const uint32_t colors[5] = {g[0].Color.C, g[1].Color.C, g[2].Color.C, g[3].Color.C, g[4].Color.C};
            layer->FillCornerTriangles(v, vertices, colors);
        }
        break;
    }
    default: break;
    }
}

void PaintTexturedGradient32(const TPixelView& v, const TRect& r, const TsGradArray& g, const TPixelView& texture,
                             const TRect& textureRect, uint8_t mix, uint8_t alpha)
{
    if (r.IsEmpty() || v.IsNull() || texture.IsNull() || g.empty()) return;
    const TRect c = ClipForGradient(v, r);
    if (c.IsEmpty()) return;
    const TRect tr = textureRect.IsEmpty() ? texture.Bounds() : textureRect;
    if (tr.left < 0 || tr.top < 0) return;
    int tw = std::max<int>(tr.Width(), 0), th = std::max<int>(tr.Height(), 0);
    if (tr.top + th >= texture.Height) th = texture.Height - 1 - tr.top;
    if (tr.left + tw >= texture.Width) tw = texture.Width - 1 - tr.left;
    // An area of no width or height has nothing to tile (and no period to step by).
    if (tw <= 0 || th <= 0) return;
    const int height = c.Height();
    const uint32_t m = mix;
    auto mixed = [&](int x, int y, uint32_t gradient) {
        const uint32_t t = texture.At(tr.left + x % tw, tr.top + y % th);
        uint32_t out = uint32_t(alpha) << 24;
        for (int k = 0; k < 24; k += 8) {
            const int tc = int((t >> k) & 0xFF), gc = int((gradient >> k) & 0xFF);
            out |= uint32_t(std::clamp((int(m) * (tc - gc) + gc * 256) >> 8, 0, 255)) << k;
        }
        return out;
    };
    switch (g[0].Mode & 3) {
    case 0: {
        int e = c.top;
        const int lastRow = int(c.bottom) - 1;   // bands end inside r (c lies inside the view)
        for (size_t k = 1; k < g.size(); ++k) {
            const int start = e;
            const int step = int(g[k].Percent) - int(g[k - 1].Percent);
            e = k == g.size() - 1 ? int(c.bottom) - 1 : std::clamp(start + height * step / 100, int(c.top), lastRow);
            if (e <= start) continue;
            BandColours(g[k - 1].Color.C, g[k].Color.C, e - start, e - start + 1, [&](int i, uint32_t p) {
                uint32_t* row = v.Row(start + i);
                for (int x = c.left; x < c.right; ++x) row[x] = mixed(x, start + i, p);
            });
        }
        break;
    }
    case 1: {
        uint32_t* top = v.Row(c.top);
        WalkColumnBands(g, c, int(c.right) - 1, [&](size_t k, int start, int x) {
            if (x <= start) return;
            BandColours(g[k - 1].Color.C, g[k].Color.C, x - start, x - start + 1,
                        [&](int i, uint32_t p) { top[start + i] = (top[start + i] & 0xFF000000u) | (p & 0x00FFFFFFu); });
        });
        const int block = std::min(th, height) - 1;
        if (block < 1) {
            // A texture one row high gives no block to repeat: every row is mixed on its own.
            for (int y = c.bottom - 1; y >= c.top; --y)
                for (int x = c.left; x < c.right; ++x) v.At(x, y) = mixed(x, y, top[x]);
            break;
        }
        for (int y = c.top + 1; y <= c.top + block && y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x) v.At(x, y) = mixed(x, y, top[x]);
        for (int x = c.left; x < c.right; ++x) top[x] = mixed(x, c.top, top[x]);
        int y = c.top + block;
        const TRect pattern(c.left, c.top, c.right, c.top + block);
        for (; y < c.bottom - 1 - block; y += block) CopyBlock32(v, c.left, y, v, pattern);
        if (y < c.bottom) CopyBlock32(v, c.left, y, v, TRect(c.left, c.top, c.right, c.top + (c.bottom - y)));
        break;
    }
    default: break;
    }
}

void PaintTwoColorGradient32(const TPixelView& v, TColor color, int direction, TacGdipLayer* layer)
{
    if (v.IsNull()) return;
    FillBlock32(v, v.Bounds(), 0x01000000u);
    const uint32_t full = uint32_t(color), clear = uint32_t(color) & 0x00FFFFFFu;
    TsGradArray g(2);
    g[0].Index = 0;
    g[1].Index = 1;
    g[0].Percent = 0;
    g[1].Percent = 100;
    switch (direction) {
    case 0: g[0].Color.C = full; g[0].Mode = 0x3D; g[1].Color.C = clear; g[1].Mode = 0x1D; break;
    case 1: g[0].Color.C = full; g[0].Mode = 0x1C; g[1].Color.C = clear; g[1].Mode = 0x1C; break;
    case 2: g[0].Color.C = clear; g[0].Mode = 0x3D; g[1].Color.C = full; g[1].Mode = 0x1D; break;
    case 3: g[0].Color.C = clear; g[0].Mode = 0x1C; g[1].Color.C = full; g[1].Mode = 0x1C; break;
    default: return;
    }
    PaintGradient32(v, v.Bounds(), g, layer);
}
