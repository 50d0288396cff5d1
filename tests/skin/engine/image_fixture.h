// Small image fixtures for the skin image tests: a border image of three state frames whose nine
// slices each have a flat colour of their own per frame and whose outer corner pixels hold the
// key colour, written as a 24-bit BMP or a PNG (with or without alpha), so the expected pixels
// follow from the geometry alone.
#pragma once

#include <cstdint>
#include <vector>

#include <zlib.h>

#include "skin/graphics/pixel_view.h"
#include "vcl/bmpcodec.h"

namespace fixture {

constexpr int Frames = 3, FrameW = 30, FrameH = 20, Border = 4, KeyCorner = 2;
constexpr uint32_t Key = 0xFFFF00FFu;   // opaque magenta as drawn

// The colour of slice (col, row) (0..2 each) in frame f: opaque, distinct, never magenta.
constexpr uint32_t SliceColor(int frame, int col, int row)
{
    return 0xFF000000u | uint32_t(40 + 60 * frame) << 16 | uint32_t(30 + 70 * col) << 8 | uint32_t(20 + 80 * row);
}
constexpr int SliceOf(int v, int size) { return v < Border ? 0 : v >= size - Border ? 2 : 1; }

// The border image (all frames) drawn at (x0, y0) of an image of w x h filled with fill.
inline TPixelImage BorderImage(int w, int h, int x0, int y0, uint32_t fill = 0xFF101010u)
{
    TPixelImage img(w, h, fill);
    for (int f = 0; f < Frames; ++f)
        for (int y = 0; y < FrameH; ++y)
            for (int x = 0; x < FrameW; ++x) {
                bool corner = (x < KeyCorner || x >= FrameW - KeyCorner) && (y < KeyCorner || y >= FrameH - KeyCorner);
                img.At(x0 + f * FrameW + x, y0 + y) = corner ? Key : SliceColor(f, SliceOf(x, FrameW), SliceOf(y, FrameH));
            }
    return img;
}

inline std::vector<uint8_t> EncodeBmp24(const TPixelImage& img)
{
    const int stride = (img.Width() * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bits(size_t(stride) * size_t(img.Height()));
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            uint32_t p = img.At(x, y);
            uint8_t* d = &bits[size_t(img.Height() - 1 - y) * size_t(stride) + size_t(x) * 3];
            d[0] = uint8_t(p), d[1] = uint8_t(p >> 8), d[2] = uint8_t(p >> 16);
        }
    bmpcodec::TBmpSource s;
    s.width = img.Width();
    s.height = img.Height();
    s.bitCount = 24;
    s.stride = stride;
    s.bottomUpBits = bits.data();
    return bmpcodec::EncodeBmpFile(s);
}

inline void PutBE32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 3; i >= 0; --i) v.push_back(uint8_t(x >> (8 * i)));
}

inline void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBE32(out, uint32_t(data.size()));
    std::vector<uint8_t> td(type, type + 4);
    td.insert(td.end(), data.begin(), data.end());
    out.insert(out.end(), td.begin(), td.end());
    PutBE32(out, uint32_t(crc32(0, td.data(), uInt(td.size()))));
}

// RGBA (colour type 6) or RGB (colour type 2) PNG of the image.
inline std::vector<uint8_t> EncodePng(const TPixelImage& img, bool alpha)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    PutBE32(ihdr, uint32_t(img.Width()));
    PutBE32(ihdr, uint32_t(img.Height()));
    ihdr.insert(ihdr.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
    Chunk(out, "IHDR", ihdr);
    std::vector<uint8_t> raw;
    for (int y = 0; y < img.Height(); ++y) {
        raw.push_back(0);
        for (int x = 0; x < img.Width(); ++x) {
            uint32_t p = img.At(x, y);
            raw.insert(raw.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
            if (alpha) raw.push_back(uint8_t(p >> 24));
        }
    }
    uLongf n = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(n);
    compress2(z.data(), &n, raw.data(), uLong(raw.size()), 6);
    z.resize(n);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace fixture
