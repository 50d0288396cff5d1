// Conformance of the PNG decoder: every image of the PNG test suite shipped with the
// distribution's libpng sources is decoded by png2raw (our decoder) and compared pixel for
// pixel with libpng decoding the same file. libpng supplies the raw samples; the expected
// 32-bit pixels follow from them by the program's own conversion rules (16-bit samples scaled
// by 255/65535, gamma through the display table, grey + alpha shown opaque, gamma images of
// grey or indexed colour used as alpha masks, colour keys from tRNS).
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "skin/graphics/png/pngreader.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path SuiteRoot()
{
    return fs::path(QW_PNG_CONTRIB);
}

std::vector<fs::path> Files(const fs::path& dir)
{
    std::vector<fs::path> r;
    if (!fs::is_directory(dir)) return r;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".png") r.push_back(e.path());
    std::sort(r.begin(), r.end());
    return r;
}

std::vector<fs::path> ValidImages()
{
    std::vector<fs::path> r;
    for (auto sub : {"pngsuite", "pngsuite/interlaced", "testpngs"}) {
        auto f = Files(SuiteRoot() / sub);
        r.insert(r.end(), f.begin(), f.end());
    }
    return r;
}

bool FileGamma(const std::vector<uint8_t>& f, uint32_t& value)
{
    size_t pos = 8;
    while (pos + 12 <= f.size()) {
        uint32_t len = uint32_t(f[pos]) << 24 | f[pos + 1] << 16 | f[pos + 2] << 8 | f[pos + 3];
        if (std::memcmp(&f[pos + 4], "gAMA", 4) == 0 && len >= 4 && pos + 12 <= f.size()) {
            value = uint32_t(f[pos + 8]) << 24 | f[pos + 9] << 16 | f[pos + 10] << 8 | f[pos + 11];
            return true;
        }
        if (std::memcmp(&f[pos + 4], "IDAT", 4) == 0) return false;
        pos += 12 + size_t(len);
    }
    return false;
}

struct Expected {
    uint32_t Width = 0, Height = 0;
    std::vector<uint8_t> Bgra;
};

// libpng's raw samples turned into the 32-bit pixels our loader promises.
Expected Reference(const fs::path& file)
{
    Expected e;
    FILE* fp = std::fopen(file.c_str(), "rb");
    if (!fp) return e;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        e.Width = e.Height = 0;
        return e;
    }
    png_init_io(png, fp);
    png_read_info(png, info);
    const uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info), type = png_get_color_type(png, info);
    if (depth < 8) png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<uint8_t> raw(rowBytes * h);
    std::vector<png_bytep> rows(h);
    for (uint32_t y = 0; y < h; ++y) rows[y] = raw.data() + y * rowBytes;
    png_read_image(png, rows.data());

    png_colorp plte = nullptr;
    int plteCount = 0;
    png_get_PLTE(png, info, &plte, &plteCount);
    png_bytep trnsAlpha = nullptr;
    int trnsCount = 0;
    png_color_16p trnsColor = nullptr;
    bool hasTrns = png_get_tRNS(png, info, &trnsAlpha, &trnsCount, &trnsColor) != 0;
    // Only a gAMA chunk of the file counts (libpng also derives a gamma from sRGB).
    uint32_t gammaFixed = 0;
    bool hasGamma = FileGamma(ReadAll(file), gammaFixed);

    uint8_t table[256];
    if (hasGamma) {
        float main = float(gammaFixed / 100000.0);
        if (main <= 0) main = 1.0f;
        double g = 1.0 / (double(main) * double(2.2f));
        for (int i = 0; i < 256; ++i) table[i] = uint8_t(std::nearbyint(std::pow(i / 255.0, g) * 255));
    }
    auto gam = [&](uint8_t v) { return hasGamma ? table[v] : v; };
    auto sc8 = [&](const uint8_t* p) -> uint8_t {
        return depth == 16 ? uint8_t(uint32_t(p[0] << 8 | p[1]) * 255 / 65535) : p[0];
    };
    const int bytes = depth == 16 ? 2 : 1;
    const uint32_t maxSample = depth < 8 ? (1u << depth) - 1 : 255;
    auto level = [&](uint32_t v) -> uint8_t { return depth < 8 ? uint8_t(v * 255 / maxSample) : uint8_t(v); };

    e.Width = w;
    e.Height = h;
    e.Bgra.resize(size_t(w) * h * 4);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = rows[y];
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* d = &e.Bgra[(size_t(y) * w + x) * 4];
            auto put = [&](uint8_t r, uint8_t g, uint8_t b, uint8_t a) { d[0] = b; d[1] = g; d[2] = r; d[3] = a; };
            switch (type) {
            case PNG_COLOR_TYPE_GRAY: {
                uint8_t l = depth == 16 ? sc8(s + 2 * x) : level(s[x]);
                if (hasGamma) {
                    put(0, 0, 0, uint8_t(255 - table[l]));
                } else {
                    uint8_t key = 0;
                    if (hasTrns) key = depth == 16 ? uint8_t(uint32_t(trnsColor->gray) * 255 / 65535) : level(trnsColor->gray & maxSample);
                    put(l, l, l, hasTrns && l == key ? 0 : 255);
                }
                break;
            }
            case PNG_COLOR_TYPE_RGB: {
                const uint8_t* p = s + size_t(x) * 3 * bytes;
                uint8_t r = sc8(p), g = sc8(p + bytes), b = sc8(p + 2 * bytes);
                if (hasGamma) {
                    put(gam(r), gam(g), gam(b), 255);
                } else {
                    bool keyed = false;
                    if (hasTrns) {
                        auto k8 = [&](uint16_t v) { return depth == 16 ? uint8_t(uint32_t(v) * 255 / 65535) : uint8_t(v & 0xFF); };
                        keyed = r == k8(trnsColor->red) && g == k8(trnsColor->green) && b == k8(trnsColor->blue);
                    }
                    put(r, g, b, keyed ? 0 : 255);
                }
                break;
            }
            case PNG_COLOR_TYPE_PALETTE: {
                uint32_t k = s[x];
                uint8_t r = 0, g = 0, b = 0;
                if (int(k) < plteCount) {
                    r = gam(plte[k].red);
                    g = gam(plte[k].green);
                    b = gam(plte[k].blue);
                }
                if (hasTrns) {
                    put(r, g, b, int(k) < trnsCount ? trnsAlpha[k] : 255);
                } else if (hasGamma) {
                    // stored index of the picture (2-bit files are widened to 4 bits), scaled to a byte
                    uint32_t bits = depth == 2 ? 4 : depth, index = depth == 2 ? k * 5 : k;
                    uint32_t v = bits < 8 ? index * 255 / ((1u << bits) - 1) : index;
                    put(0, 0, 0, uint8_t(255 - table[v]));
                } else {
                    put(r, g, b, 255);
                }
                break;
            }
            case PNG_COLOR_TYPE_GRAY_ALPHA: {
                uint8_t l = sc8(s + size_t(x) * 2 * bytes);
                if (hasGamma) put(0, 0, 0, uint8_t(255 - table[l]));
                else put(l, l, l, 255);
                break;
            }
            case PNG_COLOR_TYPE_RGB_ALPHA: {
                const uint8_t* p = s + size_t(x) * 4 * bytes;
                put(gam(sc8(p)), gam(sc8(p + bytes)), gam(sc8(p + 2 * bytes)), sc8(p + 3 * bytes));
                break;
            }
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
    return e;
}

// Runs png2raw; false when it reports an error.
bool RunPng2Raw(const fs::path& file, Expected& out, std::string& error)
{
    fs::path raw = fs::temp_directory_path() / ("png2raw-" + std::to_string(::getpid()) + ".raw");
    fs::path err = raw;
    err += ".err";
    std::string cmd = std::string("\"") + QW_PNG2RAW + "\" \"" + file.string() + "\" \"" + raw.string() + "\" 2> \"" + err.string() + "\"";
    int rc = std::system(cmd.c_str());
    auto errText = ReadAll(err);
    error.assign(errText.begin(), errText.end());
    fs::remove(err);
    if (rc != 0) {
        fs::remove(raw);
        return false;
    }
    auto bytes = ReadAll(raw);
    fs::remove(raw);
    if (bytes.size() < 8) return false;
    out.Width = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
    out.Height = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t(bytes[7]) << 24;
    out.Bgra.assign(bytes.begin() + 8, bytes.end());
    return true;
}

}  // namespace

TEST(PngConformance, SuiteIsThere)
{
    ASSERT_GE(ValidImages().size(), 100u) << "PNG test suite missing under " << SuiteRoot()
                                          << " (scripts/fetch-pngsuite.sh fetches it)";
}

TEST(PngConformance, EveryImageMatchesLibpng)
{
    for (const auto& file : ValidImages()) {
        SCOPED_TRACE(file.filename().string());
        Expected want = Reference(file);
        ASSERT_GT(want.Width, 0u) << "libpng cannot read it";
        Expected got;
        std::string error;
        ASSERT_TRUE(RunPng2Raw(file, got, error)) << error;
        ASSERT_EQ(got.Width, want.Width);
        ASSERT_EQ(got.Height, want.Height);
        ASSERT_EQ(got.Bgra.size(), want.Bgra.size());
        size_t bad = 0, first = 0;
        for (size_t i = 0; i < want.Bgra.size(); ++i) {
            if (got.Bgra[i] != want.Bgra[i] && bad++ == 0) first = i;
        }
        EXPECT_EQ(bad, 0u) << "first difference at pixel " << first / 4 << " byte " << first % 4 << ": got "
                           << int(got.Bgra[first]) << ", libpng gives " << int(want.Bgra[first]);
    }
}

// The damaged files libpng's authors collected: each is refused with a message or decoded,
// never a crash (the decoder runs in this process, under the sanitizers).
TEST(PngConformance, DamagedFilesAreHandled)
{
    auto files = Files(SuiteRoot() / "testpngs/crashers");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto data = ReadAll(file);
        try {
            DecodePngTo32(data.data(), data.size());
        } catch (const Exception& e) {
            EXPECT_FALSE(e.Message().empty());
        }
    }
}

// Damage done to every suite image: a wrong CRC on a chunk the decoder reads, a cut anywhere
// before the end chunk, a bad signature. Each must be refused with a message.
TEST(PngConformance, CorruptedSuiteImagesAreRefused)
{
    for (const auto& file : ValidImages()) {
        SCOPED_TRACE(file.filename().string());
        const auto good = ReadAll(file);
        std::vector<std::vector<uint8_t>> bad;
        // wrong CRC of IHDR and of the first IDAT
        for (const char* type : {"IHDR", "IDAT"}) {
            size_t pos = 8;
            while (pos + 8 <= good.size()) {
                uint32_t len = uint32_t(good[pos]) << 24 | good[pos + 1] << 16 | good[pos + 2] << 8 | good[pos + 3];
                if (std::memcmp(&good[pos + 4], type, 4) == 0) {
                    auto b = good;
                    b[pos + 8 + len] ^= 0x01;
                    bad.push_back(b);
                    break;
                }
                pos += 12 + len;
            }
        }
        for (size_t cut : {size_t(0), size_t(7), size_t(20), good.size() / 3, good.size() / 2, good.size() - 13})
            bad.emplace_back(good.begin(), good.begin() + std::min(cut, good.size()));
        auto sig = good;
        sig[1] = 'p';
        bad.push_back(sig);
        for (size_t i = 0; i < bad.size(); ++i) {
            SCOPED_TRACE("variant " + std::to_string(i));
            bool refused = false;
            try {
                DecodePngTo32(bad[i].data(), bad[i].size());
            } catch (const Exception& e) {
                refused = !e.Message().empty();
            }
            EXPECT_TRUE(refused);
        }
    }
}
