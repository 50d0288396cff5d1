// Decode speed of the program's PNG decoder against the distribution's libpng on the same
// images, in one run. Both decode to 8-bit B, G, R, A pixels. Prints the time of each and the
// ratio libpng / ours (above 1: ours is faster).
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "skin/graphics/png/pngreader.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct MemReader {
    const uint8_t* p;
    size_t left;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n)
{
    auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
    if (n > r->left) png_error(png, "short");
    std::memcpy(out, r->p, n);
    r->p += n;
    r->left -= n;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t n)
{
    auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    v->insert(v->end(), data, data + n);
}

void FlushNothing(png_structp) {}

// libpng decoding to B, G, R, A bytes, into a new image each time as our decoder does.
size_t LibpngDecode(const std::vector<uint8_t>& file, std::vector<uint8_t>& result)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemReader r{file.data(), file.size()};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return 0;
    }
    png_set_read_fn(png, &r, ReadFromMemory);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    out.resize(size_t(w) * h * 4);
    rows.resize(h);
    for (uint32_t y = 0; y < h; ++y) rows[y] = out.data() + size_t(y) * w * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    result.swap(out);
    return result.size();
}

// A photo-like test image (smooth gradients with noise), encoded by libpng.
std::vector<uint8_t> MakeImage(uint32_t w, uint32_t h, int colorType)
{
    const int channels = colorType == PNG_COLOR_TYPE_RGBA ? 4 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<uint8_t> pixels(size_t(w) * h * channels);
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                seed = seed * 1103515245 + 12345;
                double v = 128 + 100 * std::sin(x * 0.01 * (c + 1)) * std::cos(y * 0.013) + ((seed >> 16) & 7);
                pixels[(size_t(y) * w + x) * channels + c] = uint8_t(std::clamp(v, 0.0, 255.0));
            }
    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &file, WriteToMemory, FlushNothing);
    png_set_IHDR(png, info, w, h, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < h; ++y) png_write_row(png, pixels.data() + size_t(y) * w * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

// Best times of a and b over runs, the two taking turns so that a busy moment of the machine
// falls on both rather than on one side's runs only.
template <class A, class B>
std::pair<double, double> BestOfBoth(int runs, A a, B b)
{
    double bestA = 1e30, bestB = 1e30;
    auto time = [](auto f) {
        auto t0 = Clock::now();
        f();
        return std::chrono::duration<double>(Clock::now() - t0).count();
    };
    for (int i = 0; i < runs; ++i) {
        bestA = std::min(bestA, time(a));
        bestB = std::min(bestB, time(b));
    }
    return {bestA, bestB};
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::pair<std::string, std::vector<uint8_t>>> images;
    images.emplace_back("photo 1024x1024 RGBA", MakeImage(1024, 1024, PNG_COLOR_TYPE_RGBA));
    images.emplace_back("photo 1024x1024 RGB", MakeImage(1024, 1024, PNG_COLOR_TYPE_RGB));
    images.emplace_back("photo 1024x1024 grey", MakeImage(1024, 1024, PNG_COLOR_TYPE_GRAY));
    // Skin-sized images: the suite's small files, decoded in a batch.
    fs::path suite = argc > 1 ? fs::path(argv[1]) : fs::path(QW_PNG_SUITE);
    std::vector<std::vector<uint8_t>> small;
    if (fs::is_directory(suite))
        for (const auto& e : fs::directory_iterator(suite))
            if (e.path().extension() == ".png") {
                std::ifstream in(e.path(), std::ios::binary);
                small.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            }

    std::printf("%-26s %12s %12s %8s\n", "image", "ours ms", "libpng ms", "ratio");
    double sumOurs = 0, sumLib = 0;
    std::vector<uint8_t> out;
    for (const auto& item : images) {
        const std::string& name = item.first;
        const std::vector<uint8_t>& file = item.second;
        auto [ours, lib] = BestOfBoth(9, [&] { DecodePngTo32(file.data(), file.size()); },
                                      [&] { LibpngDecode(file, out); });
        sumOurs += ours;
        sumLib += lib;
        std::printf("%-26s %12.2f %12.2f %8.2f\n", name.c_str(), ours * 1e3, lib * 1e3, lib / ours);
    }
    if (!small.empty()) {
        auto batch = [&](auto decode) {
            for (int rep = 0; rep < 20; ++rep)
                for (const auto& f : small) decode(f);
        };
        auto [ours, lib] = BestOfBoth(
            7,
            [&] {
                batch([](const std::vector<uint8_t>& f) {
                    try { DecodePngTo32(f.data(), f.size()); } catch (const Exception&) {}
                });
            },
            [&] { batch([&](const std::vector<uint8_t>& f) { LibpngDecode(f, out); }); });
        sumOurs += ours;
        sumLib += lib;
        std::printf("%-26s %12.2f %12.2f %8.2f\n", "suite x20 (small images)", ours * 1e3, lib * 1e3, lib / ours);
    }
    std::printf("overall ratio libpng/ours: %.2f (target: at least 1.00)\n", sumLib / sumOurs);
    return 0;
}
