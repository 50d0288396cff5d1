// Builds small PNG files for the decoder's tests: chunks with correct CRCs, rows filtered
// with a chosen filter, plain or interlaced.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/graphics/png/pngreader.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

inline void Put32(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}

inline void Chunk(Bytes& f, const std::string& type, const Bytes& data, bool badCrc = false)
{
    Put32(f, uint32_t(data.size()));
    Bytes td(type.begin(), type.end());
    td.insert(td.end(), data.begin(), data.end());
    f.insert(f.end(), td.begin(), td.end());
    uint32_t crc = UpdatePngCRC(0xFFFFFFFFu, td.data(), td.size()) ^ 0xFFFFFFFFu;
    Put32(f, badCrc ? crc ^ 1 : crc);
}

inline Bytes Signature() { return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}; }

inline Bytes Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0, uint8_t compression = 0)
{
    Bytes d;
    Put32(d, w);
    Put32(d, h);
    d.insert(d.end(), {depth, type, compression, 0, interlace});
    return d;
}

inline Bytes Deflate(const Bytes& raw)
{
    uLongf n = compressBound(uLong(raw.size()));
    Bytes out(n);
    compress2(out.data(), &n, raw.data(), uLong(raw.size()), 9);
    out.resize(n);
    return out;
}

inline uint8_t Paeth(int a, int b, int c)
{
    int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Filters one row (without its type byte) against the previous one.
inline Bytes FilterRow(const Bytes& row, const Bytes& prev, int type, int bpp)
{
    Bytes out{uint8_t(type)};
    for (size_t i = 0; i < row.size(); ++i) {
        int a = i >= size_t(bpp) ? row[i - bpp] : 0, b = prev.empty() ? 0 : prev[i],
            c = (i >= size_t(bpp) && !prev.empty()) ? prev[i - bpp] : 0;
        int pred = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? Paeth(a, b, c) : 0;
        out.push_back(uint8_t(row[i] - pred));
    }
    return out;
}

// Raw image data of byte-aligned rows (rows[y] holds the packed samples of row y).
inline Bytes Scanlines(const std::vector<Bytes>& rows, int filter, int bpp)
{
    Bytes out, prev;
    for (const auto& r : rows) {
        Bytes f = FilterRow(r, prev, filter, bpp);
        out.insert(out.end(), f.begin(), f.end());
        prev = r;
    }
    return out;
}

// Adam7 data of an image of whole-byte pixels (bpp bytes each).
inline Bytes Interlaced(const std::vector<Bytes>& rows, uint32_t w, int filter, int bpp)
{
    const uint32_t rs[7] = {0, 0, 4, 0, 2, 0, 1}, cs[7] = {0, 4, 0, 2, 0, 1, 0}, ry[7] = {8, 8, 8, 4, 4, 2, 2},
                   cx[7] = {8, 8, 4, 4, 2, 2, 1};
    Bytes out;
    for (int p = 0; p < 7; ++p) {
        if (w <= cs[p]) continue;
        Bytes prev;
        for (uint32_t y = rs[p]; y < rows.size(); y += ry[p]) {
            Bytes r;
            for (uint32_t x = cs[p]; x < w; x += cx[p]) r.insert(r.end(), rows[y].begin() + x * bpp, rows[y].begin() + (x + 1) * bpp);
            Bytes f = FilterRow(r, prev, filter, bpp);
            out.insert(out.end(), f.begin(), f.end());
            prev = r;
        }
    }
    return out;
}

// A whole file: IHDR, the chunks given before the image data, IDAT, IEND.
inline Bytes File(const Bytes& ihdr, const Bytes& idat, const std::vector<std::pair<std::string, Bytes>>& before = {},
                  const std::string& idatType = "IDAT")
{
    Bytes f = Signature();
    Chunk(f, "IHDR", ihdr);
    for (const auto& [t, d] : before) Chunk(f, t, d);
    Chunk(f, idatType, idat);
    Chunk(f, "IEND", {});
    return f;
}

}  // namespace pngtest
