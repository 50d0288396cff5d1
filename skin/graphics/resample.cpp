#include "skin/graphics/resample.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr float Radii[acResampleFilterCount] = {0.51f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};

// Taps of all destination pixels of one pass in one array: pixel i uses Taps[First[i] .. First[i + 1]).
struct TFlatTaps {
    std::vector<int> First;
    std::vector<TResampleTap> Taps;
    explicit TFlatTaps(const std::vector<std::vector<TResampleTap>>& lists)
    {
        First.reserve(lists.size() + 1);
        First.push_back(0);
        for (const auto& l : lists) {
            for (const TResampleTap& t : l)
                if (t.Weight != 0) Taps.push_back(t);
            First.push_back(int(Taps.size()));
        }
    }
};

// 0 below 0, the sum shr 16 up to 0xFF0000, else 255.
inline uint32_t ToByte(int32_t sum) { return sum < 0 ? 0u : sum <= 0xFF0000 ? uint32_t(sum) >> 16 : 255u; }

}  // namespace

double ResampleFilterRadius(int filter)
{
    return filter >= 0 && filter < acResampleFilterCount ? Radii[filter] : 0.0;
}

double ResampleFilterWeight(int filter, double r, double signedDistance)
{
    switch (filter) {
    case rfBox: return r <= 0.5 && signedDistance != -0.5 ? 1.0 : 0.0;
    case rfTriangle: return r < 1 ? 1 - r : 0.0;
    case rfHermite: return r < 1 ? r * r * (2 * r - 3) + 1 : 0.0;
    case rfBell:
        if (r < 0.5) return 0.75 - r * r;
        if (r < 1.5) return 0.5 * (r - 1.5) * (r - 1.5);
        return 0.0;
    case rfBSpline:
        if (r < 1) return r * r * (r / 2 - 1) + 2.0 / 3.0;
        if (r < 2) return (2 - r) * (2 - r) * (2 - r) / 6;
        return 0.0;
    case rfSinc:
        if (r == 0) return 1.0;
        if (r < 3) return std::sin(Pi * r) * std::sin(r) / (Pi * r * r);
        return 0.0;
    case rfMitchell:
        if (r < 1) return (7.0 / 6.0 * r - 2) * r * r + 8.0 / 9.0;
        if (r < 2) return r * r * (2 - 7.0 / 18.0 * r) - 10.0 / 3.0 * r + 16.0 / 9.0;
        return 0.0;
    default: return 0.0;
    }
}

int ReflectIndex(int j, int n)
{
    if (n <= 0) return 0;
    // Each round trip brings j closer by 2n - 1, so this ends.
    while (j < 0 || j >= n) j = j < 0 ? -j : 2 * n - 1 - j;
    return j;
}

std::vector<std::vector<TResampleTap>> ResampleContributors(int destCount, int srcCount, int filter)
{
    std::vector<std::vector<TResampleTap>> lists(static_cast<size_t>(std::max(destCount, 0)));
    if (destCount <= 0 || srcCount <= 0 || filter < 0 || filter >= acResampleFilterCount) return lists;
    const float radius = Radii[filter];
    const float f = destCount < srcCount ? float(destCount) / float(srcCount) : 1.0f;
    const float width = radius / f;
    for (int i = destCount - 1; i >= 0; --i) {
        const float c = float(srcCount) * float(i) / float(destCount);
        auto& taps = lists[static_cast<size_t>(i)];
        taps.reserve(static_cast<size_t>(2 * width + 1));
        for (int j = int(std::ceil(c + width)); j >= int(std::floor(c - width)); --j) {
            const float signedDistance = (c - float(j)) * f;
            const float r = std::fabs(signedDistance);
            if (!(r < radius)) continue;
            const double w = ResampleFilterWeight(filter, r, signedDistance);
            if (w == 0) continue;
            taps.push_back({ReflectIndex(j, srcCount), int(std::nearbyint(w * f * 65536.0))});
        }
    }
    return lists;
}

bool ResampleInto(const TPixelView& src, const TPixelView& dst, int filter)
{
    if (src.IsNull() || dst.IsNull() || src.Width < 2 || src.Height < 2 || filter < 0 || filter >= acResampleFilterCount)
        return false;
    if (src.Width == dst.Width && src.Height == dst.Height) {
        if (src.Row0 != dst.Row0)
            for (int y = 0; y < src.Height; ++y) std::copy(src.Row(y), src.Row(y) + src.Width, dst.Row(y));
        return true;
    }
    // Rows first into a work image: each destination pixel from its taps along the row. The
    // work memory is kept between calls: a fresh large block costs more than the filtering on
    // some systems' heaps.
    static thread_local std::vector<uint32_t> work;
    work.resize(static_cast<size_t>(dst.Width) * static_cast<size_t>(src.Height));
    const TPixelView w(reinterpret_cast<uint8_t*>(work.data()), ptrdiff_t(dst.Width) * 4, dst.Width, src.Height);
    const TFlatTaps columns(ResampleContributors(dst.Width, src.Width, filter));
    for (int y = 0; y < src.Height; ++y) {
        const uint32_t* line = src.Row(y);
        uint32_t* out = w.Row(y);
        for (int x = 0; x < dst.Width; ++x) {
            int32_t b = 0, g = 0, r = 0, a = 0;
            for (int k = columns.First[size_t(x)]; k < columns.First[size_t(x) + 1]; ++k) {
                const TResampleTap& t = columns.Taps[size_t(k)];
                const uint32_t p = line[t.Index];
                b += int32_t(p & 0xFF) * t.Weight;
                g += int32_t((p >> 8) & 0xFF) * t.Weight;
                r += int32_t((p >> 16) & 0xFF) * t.Weight;
                a += int32_t(p >> 24) * t.Weight;
            }
            out[x] = ToByte(b) | ToByte(g) << 8 | ToByte(r) << 16 | ToByte(a) << 24;
        }
    }
    // Then columns, a whole destination row at a time (rows of the work image are read in order).
    const TFlatTaps rows(ResampleContributors(dst.Height, src.Height, filter));
    static thread_local std::vector<int32_t> sums;
    sums.resize(static_cast<size_t>(dst.Width) * 4);
    for (int y = 0; y < dst.Height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = rows.First[size_t(y)]; k < rows.First[size_t(y) + 1]; ++k) {
            const int32_t weight = rows.Taps[size_t(k)].Weight;
            const uint8_t* line = reinterpret_cast<const uint8_t*>(w.Row(rows.Taps[size_t(k)].Index));
            int32_t* acc = sums.data();
            // Byte by byte: B, G, R, A of every pixel in a row are one run of samples.
            for (int i = 0; i < 4 * dst.Width; ++i) acc[i] += int32_t(line[i]) * weight;
        }
        uint32_t* out = dst.Row(y);
        const int32_t* acc = sums.data();
        for (int x = 0; x < dst.Width; ++x, acc += 4)
            out[x] = ToByte(acc[0]) | ToByte(acc[1]) << 8 | ToByte(acc[2]) << 16 | ToByte(acc[3]) << 24;
    }
    if (work.capacity() > (size_t(1) << 22)) {   // an unusually large image: not kept
        work.clear();
        work.shrink_to_fit();
    }
    return true;
}

TPixelImage ResampleImage32(const TPixelView& src, int newWidth, int newHeight, int filter)
{
    if (newWidth <= 0 || newHeight <= 0) return {};
    TPixelImage out(newWidth, newHeight);
    if (!ResampleInto(src, out.View(), filter)) return {};
    return out;
}

TPixelImage RotateImage32(const TPixelView& src, int angle)
{
    if (src.IsNull()) return {};
    const int w = src.Width, h = src.Height;
    const bool turned = angle == 90 || angle == 270;
    TPixelImage out(turned ? h : w, turned ? w : h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = src.At(x, y);
            switch (angle) {
            case 90: out.At(h - 1 - y, x) = p; break;
            case 180: out.At(w - 1 - x, h - 1 - y) = p; break;
            case 270: out.At(y, w - 1 - x) = p; break;
            default: out.At(x, y) = p; break;
            }
        }
    return out;
}

void AffineBlit32(const TPixelView& dest, const TPixelView& src, const TPoint (&targets)[3])
{
    if (dest.IsNull() || src.IsNull() || src.Width <= 0 || src.Height <= 0) return;
    // Destination = t0 + fu x (t1 - t0) + fv x (t2 - t0), fu and fv the fractions across and down
    // the source; solved back for each destination pixel centre.
    const double ax = targets[1].x - targets[0].x, ay = targets[1].y - targets[0].y;
    const double bx = targets[2].x - targets[0].x, by = targets[2].y - targets[0].y;
    const double det = ax * by - ay * bx;
    if (det == 0) return;
    const int64_t xs[4] = {targets[0].x, targets[1].x, targets[2].x, int64_t(targets[1].x) + targets[2].x - targets[0].x};
    const int64_t ys[4] = {targets[0].y, targets[1].y, targets[2].y, int64_t(targets[1].y) + targets[2].y - targets[0].y};
    const int left = int(std::max<int64_t>(0, *std::min_element(xs, xs + 4)));
    const int right = int(std::min<int64_t>(dest.Width, *std::max_element(xs, xs + 4)));
    const int top = int(std::max<int64_t>(0, *std::min_element(ys, ys + 4)));
    const int bottom = int(std::min<int64_t>(dest.Height, *std::max_element(ys, ys + 4)));
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = dest.Row(y);
        const double py = y + 0.5 - targets[0].y;
        for (int x = left; x < right; ++x) {
            const double px = x + 0.5 - targets[0].x;
            const double u = std::floor((px * by - py * bx) / det * src.Width);
            const double v = std::floor((ax * py - ay * px) / det * src.Height);
            if (u >= 0 && v >= 0 && u < src.Width && v < src.Height) row[x] = src.At(int(u), int(v));
        }
    }
}
