#include "support/aatext/aa_pixels.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <random>

int QualityScale(int quality)
{
    switch (quality) {
    case aqHigh: return 4;
    case aqNormal: return 3;
    case aqLow: return 2;
    default: return 1;
    }
}

int RoundEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

namespace {

inline uint8_t ClampByte(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Moves v toward target by floor((target - v) * k / 256); the shift floors negative values.
inline uint8_t MixToward(int v, int target, int k)
{
    return static_cast<uint8_t>(v + (((target - v) * k) >> 8));
}

std::vector<uint8_t> CopyPlane(const TAAGrayPlane& p)
{
    std::vector<uint8_t> copy(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        std::copy_n(p.Row(y), p.width, copy.begin() + static_cast<ptrdiff_t>(y) * p.width);
    return copy;
}

}  // namespace

void ReduceGray(const TAAGrayPlane& gray, const TAAGrayPlane& mask, int quality)
{
    const int s = QualityScale(quality);
    if (mask.width <= 0 || mask.height <= 0) return;
    // The grey bitmap is made at least this big; a smaller one would be read past its end.
    if (gray.width < mask.width * s || gray.height < mask.height * s) return;
    for (int y = 0; y < mask.height; ++y) {
        uint8_t* out = mask.Row(y);
        const uint8_t* r0 = gray.Row(y * s);
        switch (s) {
        case 4: {
            const uint8_t* r1 = gray.Row(y * s + 1);
            const uint8_t* r2 = gray.Row(y * s + 2);
            const uint8_t* r3 = gray.Row(y * s + 3);
            for (int x = 0; x < mask.width; ++x) {
                int c = x * 4, sum = 0;
                for (int i = 0; i < 4; ++i) sum += r0[c + i] + r1[c + i] + r2[c + i] + r3[c + i];
                out[x] = static_cast<uint8_t>(sum >> 4);
            }
            break;
        }
        case 3: {
            const uint8_t* r1 = gray.Row(y * s + 1);
            const uint8_t* r2 = gray.Row(y * s + 2);
            for (int x = 0; x < mask.width; ++x) {
                int c = x * 3;
                // Top-right and bottom-left count half, so the weights add up to 8.
                int sum = r0[c] + r0[c + 1] + r0[c + 2] / 2 + r1[c] + r1[c + 1] + r1[c + 2] + r2[c] / 2 +
                          r2[c + 1] + r2[c + 2];
                out[x] = static_cast<uint8_t>(sum >> 3);
            }
            break;
        }
        case 2: {
            const uint8_t* r1 = gray.Row(y * s + 1);
            for (int x = 0; x < mask.width; ++x) {
                int c = x * 2;
                out[x] = static_cast<uint8_t>((r0[c] + r0[c + 1] + r1[c] + r1[c + 1]) >> 2);
            }
            break;
        }
        default:
            std::copy_n(r0, mask.width, out);
        }
    }
}

void BlurMask(const TAAGrayPlane& mask, int strength)
{
    const int w = mask.width, h = mask.height;
    if (w <= 0 || h <= 0) return;
    const std::vector<uint8_t> src = CopyPlane(mask);
    const int a = RoundEven(strength * 255.0 / 100.0);
    // Taps clamp to the edges; for four or more rows this is exactly the usual edge table,
    // and smaller masks stay inside their buffer too.
    auto tap = [](int i, int d, int n) { return std::clamp(i + d, 0, n - 1); };
    for (int r = 0; r < h; ++r) {
        int rows[5];
        for (int d = -2; d <= 2; ++d) rows[d + 2] = tap(r, d, h) * w;
        uint8_t* out = mask.Row(r);
        for (int c = 0; c < w; ++c) {
            int cols[5];
            for (int d = -2; d <= 2; ++d) cols[d + 2] = tap(c, d, w);
            int sum = 0;
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 5; ++j) sum += src[static_cast<size_t>(rows[i] + cols[j])];
            int v = (sum + 12) / 25;   // a sum never sits exactly half-way between multiples of 25
            out[c] = a == 255 ? static_cast<uint8_t>(v) : MixToward(out[c], v, a);
        }
    }
}

void OutlineMask(const TAAGrayPlane& mask)
{
    const int w = mask.width, h = mask.height;
    if (h < 3 || w < 3) return;
    const std::vector<uint8_t> src = CopyPlane(mask);
    for (int r = 1; r < h - 1; ++r) {
        const uint8_t* u = &src[static_cast<size_t>(r - 1) * w];
        const uint8_t* c = &src[static_cast<size_t>(r) * w];
        const uint8_t* d = &src[static_cast<size_t>(r + 1) * w];
        uint8_t* out = mask.Row(r);
        for (int x = 1; x < w - 1; ++x) {
            int g = std::abs(d[x] - u[x]) + std::abs(c[x + 1] - c[x - 1]) + std::abs(d[x - 1] - u[x + 1]) +
                    std::abs(d[x + 1] - u[x - 1]);
            out[x] = static_cast<uint8_t>(std::min(g / 4, 255));
        }
    }
}

void SprayMask(const TAAGrayPlane& mask, int amount, const TRandomInt& random)
{
    const int w = mask.width, h = mask.height;
    if (w <= 0 || h <= 0 || amount <= 0) return;
    for (int r = 0; r < h; ++r) {
        uint8_t* out = mask.Row(r);
        for (int c = 0; c < w; ++c) {
            int d = random(amount + 1);
            int x = std::clamp(c + d - random(2 * d), 0, w - 1);
            int y = std::clamp(r + d - random(2 * d), 0, h - 1);
            out[c] = mask.Row(y)[x];
        }
    }
}

void HorzMirrorMask(const TAAGrayPlane& mask)
{
    for (int r = 0; r < mask.height; ++r) std::reverse(mask.Row(r), mask.Row(r) + mask.width);
}

void VertMirrorMask(const TAAGrayPlane& mask)
{
    for (int i = 0; i < mask.height / 2; ++i)
        std::swap_ranges(mask.Row(i), mask.Row(i) + mask.width, mask.Row(mask.height - 1 - i));
}

int AARandom(int n)
{
    static std::mutex lock;
    static std::minstd_rand engine{0x5EEDu};
    if (n <= 0) return 0;
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<int>(engine() % static_cast<unsigned>(n));
}

namespace {

template <class ColourOf>
void BlendWith(const TBgrPlane& dst, const TAAGrayPlane& mask, int a16, ColourOf colourOf)
{
    const int w = std::min(dst.width, mask.width), h = std::min(dst.height, mask.height);
    a16 = std::clamp(a16, 0, 256);
    for (int y = 0; y < h; ++y) {
        const uint8_t* m = mask.Row(y);
        uint8_t* p = dst.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            int k = (m[x] * a16) >> 8;
            if (k == 0) continue;
            TRgb c = colourOf(y, x);
            if (k == 255) {
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            } else {
                p[0] = MixToward(p[0], c.b, k);
                p[1] = MixToward(p[1], c.g, k);
                p[2] = MixToward(p[2], c.r, k);
            }
        }
    }
}

}  // namespace

void BlendColor(const TBgrPlane& dst, const TAAGrayPlane& mask, int a16, TRgb colour)
{
    BlendWith(dst, mask, a16, [colour](int, int) { return colour; });
}

void BlendFore(const TBgrPlane& dst, const TAAGrayPlane& mask, int a16, const TBgrPlane& fore)
{
    if (fore.width < std::min(dst.width, mask.width) || fore.height < std::min(dst.height, mask.height)) return;
    BlendWith(dst, mask, a16, [&fore](int y, int x) {
        const uint8_t* f = fore.Row(y) + 3 * x;
        return TRgb{f[2], f[1], f[0]};
    });
}

void GradualFill(const TBgrPlane& dst, int style, TRgb start, TRgb end)
{
    const bool horizontal = style == gsLeftToRight || style == gsRightToLeft || style == gsCenterToLR;
    const bool centre = style == gsCenterToLR || style == gsCenterToTB;
    const int len = horizontal ? dst.width : dst.height;
    if (len <= 0 || dst.width <= 0 || dst.height <= 0) return;
    const int n = centre ? (len + 1) / 2 : len;
    const bool forward = style == gsLeftToRight || style == gsTopToBottom;
    const TRgb from = forward ? start : end, to = forward ? end : start;
    std::vector<TRgb> ramp(static_cast<size_t>(len));
    for (int i = 0; i < n; ++i) {
        ramp[static_cast<size_t>(i)] = {static_cast<uint8_t>(from.r + (to.r - from.r) * i / n),
                                        static_cast<uint8_t>(from.g + (to.g - from.g) * i / n),
                                        static_cast<uint8_t>(from.b + (to.b - from.b) * i / n)};
    }
    if (centre)
        for (int i = 0; i < n; ++i) ramp[static_cast<size_t>(len - 1 - i)] = ramp[static_cast<size_t>(i)];
    for (int y = 0; y < dst.height; ++y) {
        uint8_t* p = dst.Row(y);
        for (int x = 0; x < dst.width; ++x, p += 3) {
            const TRgb& c = ramp[static_cast<size_t>(horizontal ? x : y)];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
}

void NoiseFill(const TBgrPlane& dst, TRgb colour, int noise, const TRandomInt& random)
{
    for (int y = 0; y < dst.height; ++y) {
        uint8_t* p = dst.Row(y);
        for (int x = 0; x < dst.width; ++x, p += 3) {
            int r = random(noise), g = random(noise), b = random(noise);
            p[2] = ClampByte(colour.r + r - noise / 2);
            p[1] = ClampByte(colour.g + g - noise / 2);
            p[0] = ClampByte(colour.b + b - noise / 2);
        }
    }
}

void AddNoise(const TBgrPlane& dst, int noise, const TRandomInt& random)
{
    if (noise <= 0) return;
    for (int y = 0; y < dst.height; ++y) {
        uint8_t* p = dst.Row(y);
        for (int i = 0; i < dst.width * 3; ++i) p[i] = ClampByte(p[i] + random(noise) - noise / 2);
    }
}

void FadeLine(uint8_t* row, int width, int a, TRgb bg)
{
    const int b[3] = {bg.b, bg.g, bg.r};
    for (int x = 0; x < width; ++x, row += 3)
        for (int ch = 0; ch < 3; ++ch)
            if (row[ch] != b[ch]) row[ch] = static_cast<uint8_t>(b[ch] + (((row[ch] - b[ch]) * a) >> 8));
}

void FadeBand(const TBgrPlane& window, int fadeHeight, TRgb bg)
{
    // The two bands never overlap and never leave the window; with one row there is no
    // gradient to make (its weight would divide by zero), so nothing fades.
    const int band = std::min(fadeHeight, window.height / 2);
    if (band <= 1) return;
    for (int c = 0; c < band; ++c) {
        int a = c * 255 / (band - 1);
        FadeLine(window.Row(c), window.width, a, bg);
        FadeLine(window.Row(window.height - 1 - c), window.width, a, bg);
    }
}

std::vector<TRowSpan> ScrollSpans(int textHeight, int pos, int windowHeight)
{
    std::vector<TRowSpan> spans;
    if (textHeight <= 0 || windowHeight <= 0) return spans;
    int src = ((pos % textHeight) + textHeight) % textHeight;
    int dst = 0;
    // Normally one or two copies; a text shorter than the window simply repeats.
    while (dst < windowHeight) {
        int count = std::min(textHeight - src, windowHeight - dst);
        spans.push_back({src, dst, count});
        dst += count;
        src = 0;
    }
    return spans;
}

TRotated RotatedExtent(int cx, int cy, double theta)
{
    const double phi = -theta, s = std::sin(phi), k = std::cos(phi);
    const double b = cx / 2.0, c = cy / 2.0;
    const double corners[4][2] = {{-b, -c}, {b, -c}, {-b, c}, {b, c}};
    int xs[4], ys[4];
    for (int i = 0; i < 4; ++i) {
        xs[i] = RoundEven(corners[i][0] * k - corners[i][1] * s);
        ys[i] = RoundEven(corners[i][0] * s + corners[i][1] * k);
    }
    TRotated r{};
    r.cx = *std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4);
    r.cy = *std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4);
    r.originX = r.cx / 2 + xs[0];
    r.originY = r.cy / 2 + ys[0];
    return r;
}

int ItalicWidth(int cx, int length)
{
    if (length <= 0) return cx;
    return cx + RoundEven(static_cast<double>(cx) / length * 0.3);
}
