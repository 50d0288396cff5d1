// The resampler against a double-precision reference of its filter table (weights unrounded,
// sums exact), every filter, sizes from 2 to 64 growing and shrinking; quarter turns.
#include <gtest/gtest.h>

#include <cmath>

#include "skin/graphics/resample.h"
#include "tests/skin/graphics/pixel_test_util.h"

namespace {

TPixelImage Noise(int w, int h, uint32_t seed)
{
    TPixelImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            img.At(x, y) = seed;
        }
    return img;
}

// One pass of the reference over lines of bytes: positions as single-precision values (as the
// resampler defines them), weights and sums in double, bytes truncated at the end of the pass.
std::vector<double> ReferenceLine(const std::vector<double>& in, int destCount, int filter)
{
    const int n = int(in.size());
    const double radius = ResampleFilterRadius(filter);
    const float f = destCount < n ? float(destCount) / float(n) : 1.0f;
    const float width = float(radius) / f;
    std::vector<double> out(static_cast<size_t>(destCount), 0.0);
    for (int i = 0; i < destCount; ++i) {
        const float c = float(n) * float(i) / float(destCount);
        double sum = 0;
        for (int j = int(std::ceil(c + width)); j >= int(std::floor(c - width)); --j) {
            const float sd = (c - float(j)) * f;
            const double r = std::fabs(sd);
            if (!(r < radius)) continue;
            sum += ResampleFilterWeight(filter, r, sd) * double(f) * in[size_t(ReflectIndex(j, n))];
        }
        out[size_t(i)] = sum < 0 ? 0 : std::min(std::floor(sum), 255.0);
    }
    return out;
}

// A 1-D check in either direction: the lines run along x (rows all alike) or along y (columns all
// alike), so the other pass meets lines of equal pixels, whose filtering gives them back unchanged.
TPixelImage Lines(int count, bool alongX, uint32_t seed)
{
    const TPixelImage line = Noise(count, 1, seed);
    TPixelImage img(alongX ? count : 2, alongX ? 2 : count);
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < 2; ++k) (alongX ? img.At(i, k) : img.At(k, i)) = line.At(i, 0);
    return img;
}

}  // namespace

TEST(Resample, WithinOneOfTheReferenceForEveryFilterAndSize)
{
    const int sizes[] = {2, 3, 4, 5, 7, 8, 13, 16, 21, 33, 34, 55, 63, 64};
    for (int filter = 0; filter < acResampleFilterCount; ++filter)
        for (bool alongX : {true, false})
            for (int n : sizes)
                for (int m : sizes) {
                    if (n == m) continue;   // the same size copies (below)
                    const TPixelImage src = Lines(n, alongX, uint32_t(n * 131 + m));
                    const TPixelImage got = ResampleImage32(src.View(), alongX ? m : 2, alongX ? 2 : m, filter);
                    ASSERT_FALSE(got.Empty());
                    int worst = 0;
                    for (int k = 0; k < 32; k += 8) {
                        std::vector<double> line(static_cast<size_t>(n));
                        for (int i = 0; i < n; ++i) line[size_t(i)] = ((alongX ? src.At(i, 0) : src.At(0, i)) >> k) & 0xFF;
                        const std::vector<double> want = ReferenceLine(line, m, filter);
                        for (int i = 0; i < m; ++i)
                            for (int o = 0; o < 2; ++o) {
                                const uint32_t p = alongX ? got.At(i, o) : got.At(o, i);
                                worst = std::max(worst, std::abs(int((p >> k) & 0xFF) - int(want[size_t(i)])));
                            }
                    }
                    EXPECT_LE(worst, 1) << "filter " << filter << (alongX ? " across " : " down ") << n << " -> " << m;
                }
}

TEST(Resample, EdgeCases)
{
    // Reflection keeps every index inside, however far out it starts.
    struct Case { int j, n, want; } reflect[] = {{-1, 4, 1}, {4, 4, 3}, {-5, 2, 1}, {9, 2, 0}, {-9, 3, 1}, {2, 3, 2}};
    for (auto c : reflect) EXPECT_EQ(ReflectIndex(c.j, c.n), c.want) << c.j << " of " << c.n;

    // Box shrinking 100 -> 50: each destination pixel from source pixels around 2i (2i - 1 and 2i).
    const auto taps = ResampleContributors(50, 100, rfBox);
    ASSERT_EQ(taps[10].size(), 2u);
    EXPECT_EQ(taps[10][0].Index + taps[10][1].Index, 19 + 20);
    EXPECT_EQ(taps[10][0].Weight, 32768);

    const TPixelImage thin = Noise(1, 5, 1);
    EXPECT_TRUE(ResampleImage32(thin.View(), 4, 4, rfMitchell).Empty()) << "narrower than 2: nothing";
    const TPixelImage same = Noise(4, 3, 2);
    const TPixelImage copy = ResampleImage32(same.View(), 4, 3, rfMitchell);
    EXPECT_EQ(copy.At(3, 2), same.At(3, 2)) << "same size copies";
}

TEST(Resample, QuarterTurns)
{
    TPixelImage src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.At(x, y) = uint32_t(10 * y + x);
    const TPixelImage r90 = RotateImage32(src.View(), 90);
    ASSERT_EQ(r90.Width(), 2);
    ASSERT_EQ(r90.Height(), 3);
    EXPECT_EQ(r90.At(1, 0), src.At(0, 0)) << "top-right is the source's top-left";
    const TPixelImage r180 = RotateImage32(src.View(), 180);
    EXPECT_EQ(r180.At(0, 0), src.At(2, 1));
    const TPixelImage r270 = RotateImage32(src.View(), 270);
    EXPECT_EQ(r270.At(0, 2), src.At(0, 0));
}

TEST(Resample, ParallelogramBlits)
{
    TPixelImage src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.At(x, y) = 0xFF000000u | uint32_t(10 * y + x + 1);
    // Targets of the source's upper-left, upper-right and lower-left corners.
    struct Case { const char* what; TPoint targets[3]; TPixelImage want; } cases[] = {
        {"in place", {{0, 0}, {3, 0}, {0, 2}}, RotateImage32(src.View(), 0)},
        {"a quarter turn clockwise", {{2, 0}, {2, 3}, {0, 0}}, RotateImage32(src.View(), 90)},
        {"half a turn", {{3, 2}, {0, 2}, {3, 0}}, RotateImage32(src.View(), 180)},
        {"three quarters", {{0, 3}, {0, 0}, {2, 3}}, RotateImage32(src.View(), 270)},
    };
    for (const auto& c : cases) {
        TPixelImage dest(c.want.Width(), c.want.Height(), 0);
        AffineBlit32(dest.View(), src.View(), c.targets);
        for (int y = 0; y < dest.Height(); ++y)
            for (int x = 0; x < dest.Width(); ++x) EXPECT_EQ(dest.At(x, y), c.want.At(x, y)) << c.what << " " << PixelAt(x, y);
    }
    // Twice the size, shifted half out of the destination: clipped, every pixel from the source.
    TPixelImage big(6, 4, 0);
    const TPoint twice[3] = {{-3, 0}, {3, 0}, {-3, 4}};
    AffineBlit32(big.View().Sub(TRect(0, 0, 3, 4)), src.View(), twice);
    EXPECT_EQ(big.At(0, 0), src.At(1, 0)) << "column -3 + 3 shows source column 1";
    EXPECT_EQ(big.At(2, 3), src.At(2, 1));
    EXPECT_TRUE(UntouchedOutside(big, TRect(0, 0, 3, 4), 0));
    // Corners on one line: nothing.
    TPixelImage flat(4, 4, 0);
    const TPoint line[3] = {{0, 0}, {3, 3}, {1, 1}};
    AffineBlit32(flat.View(), src.View(), line);
    EXPECT_TRUE(UntouchedOutside(flat, TRect(), 0));
}
