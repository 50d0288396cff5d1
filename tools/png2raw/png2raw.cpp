// png2raw FILE.png OUT.raw
// Decodes one PNG with the program's own decoder and writes its 32-bit pixels: width and height
// as two little-endian 32-bit numbers, then the rows top-down as B, G, R, A bytes. On bad input
// it prints the decoder's message and exits with 1.
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "skin/graphics/png/pngreader.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: png2raw FILE.png OUT.raw\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "png2raw: cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        TPNGPixels32 image = DecodePngTo32(data.data(), data.size());
        std::ofstream out(argv[2], std::ios::binary);
        uint8_t head[8];
        for (int i = 0; i < 4; ++i) {
            head[i] = uint8_t(image.Width >> (8 * i));
            head[4 + i] = uint8_t(image.Height >> (8 * i));
        }
        out.write(reinterpret_cast<const char*>(head), 8);
        out.write(reinterpret_cast<const char*>(image.Pixels.data()), std::streamsize(image.Pixels.size()));
        if (!out) {
            std::fprintf(stderr, "png2raw: cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "png2raw: %s\n", e.what());
        return 1;
    }
    return 0;
}
