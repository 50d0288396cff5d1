#include "vcl/bmpcodec.h"

#include <algorithm>
#include <cstring>

namespace bmpcodec {

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

int StrideFor(int width, int bpp)
{
    return static_cast<int>(((static_cast<int64_t>(width) * bpp + 31) / 32) * 4);
}

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

bool Fail(String& error, const wchar_t* what)
{
    error = String(L"Invalid bitmap: ") + what;
    return false;
}

// Run-length decoding into rows of one index per pixel (top-down by the caller).
// Rows come bottom-up from the stream; out has height rows of width bytes.
bool DecodeRle(const uint8_t* p, size_t n, bool rle4, int width, int height, std::vector<uint8_t>& idx,
               String& error)
{
    idx.assign(static_cast<size_t>(width) * height, 0);
    int x = 0, y = 0;   // y counts from the bottom row
    size_t i = 0;
    auto put = [&](uint8_t v) {
        if (x < width && y < height) idx[static_cast<size_t>(height - 1 - y) * width + x] = v;
        ++x;
    };
    while (i + 1 < n) {
        uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k) put(rle4 ? static_cast<uint8_t>((k & 1) ? (value & 15) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {   // end of line
            x = 0;
            ++y;
        } else if (value == 1) {   // end of bitmap
            return true;
        } else if (value == 2) {   // delta
            if (i + 1 >= n) return Fail(error, L"run-length data ends inside a delta");
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {   // absolute run of `value` pixels, padded to a 16-bit boundary
            size_t bytes = rle4 ? (value + 1u) / 2u : value;
            if (i + bytes > n) return Fail(error, L"run-length data is truncated");
            for (int k = 0; k < value; ++k) {
                uint8_t b = p[i + (rle4 ? static_cast<size_t>(k / 2) : static_cast<size_t>(k))];
                put(rle4 ? static_cast<uint8_t>((k & 1) ? (b & 15) : (b >> 4)) : b);
            }
            i += (bytes + 1) & ~size_t(1);
        }
        if (y > height) break;
    }
    // Files that omit the end-of-bitmap mark are common; what was decoded stands.
    return true;
}

int MaskShift(uint32_t mask)
{
    if (!mask) return 0;
    int s = 0;
    while (!(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

uint8_t MaskValue(uint32_t px, uint32_t mask, uint8_t missing)
{
    if (!mask) return missing;
    int s = MaskShift(mask);
    uint32_t m = mask >> s;
    uint32_t v = (px & mask) >> s;
    return static_cast<uint8_t>(v * 255u / m);
}

}  // namespace

bool DecodeDib(const uint8_t* data, size_t size, size_t bitsOffset, TDecodedBmp& out, String& error)
{
    if (!data || size < 12) return Fail(error, L"the header is truncated");
    uint32_t hsize = U32(data);
    int width, height, bpp;
    uint32_t compression = kBiRgb, clrUsed = 0, sizeImage = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    bool core = false;
    size_t tableAt;
    if (hsize == 12) {
        core = true;
        width = U16(data + 4);
        height = static_cast<int16_t>(U16(data + 6));
        if (U16(data + 8) != 1) return Fail(error, L"the plane count is not 1");
        bpp = U16(data + 10);
        tableAt = 12;
    } else if (hsize == 40 || hsize == 52 || hsize == 56 || hsize == 64 || hsize == 108 || hsize == 124) {
        if (size < hsize) return Fail(error, L"the header is truncated");
        width = I32(data + 4);
        height = I32(data + 8);
        if (U16(data + 12) != 1) return Fail(error, L"the plane count is not 1");
        bpp = U16(data + 14);
        compression = U32(data + 16);
        sizeImage = U32(data + 20);
        clrUsed = U32(data + 32);
        tableAt = hsize;
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            size_t nmasks = compression == kBiAlphaBitfields ? 4 : 3;
            if (hsize >= 52) {
                for (size_t k = 0; k < 3; ++k) masks[k] = U32(data + 40 + 4 * k);
                if (hsize >= 56) masks[3] = U32(data + 52);
            } else {
                if (size < 40 + 4 * nmasks) return Fail(error, L"the colour masks are truncated");
                for (size_t k = 0; k < nmasks; ++k) masks[k] = U32(data + 40 + 4 * k);
                tableAt = 40 + 4 * nmasks;
            }
        } else if (hsize >= 56 && bpp == 32) {
            masks[3] = U32(data + 52);
        }
    } else {
        return Fail(error, L"unknown header size");
    }

    bool topDown = height < 0;
    int64_t absHeight = height < 0 ? -static_cast<int64_t>(height) : height;
    if (width < 0 || width > kMaxDimension || absHeight > kMaxDimension) return Fail(error, L"bad dimensions");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail(error, L"unsupported bit count");
    bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression == kBiRle8 && bpp != 8) return Fail(error, L"RLE8 needs 8 bits per pixel");
    if (compression == kBiRle4 && bpp != 4) return Fail(error, L"RLE4 needs 4 bits per pixel");
    bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (bitfields && bpp != 16 && bpp != 32) return Fail(error, L"bit fields need 16 or 32 bits per pixel");
    if (!rle && !bitfields && compression != kBiRgb) return Fail(error, L"unsupported compression");
    if (rle && topDown) return Fail(error, L"run-length data cannot be top-down");

    // Colour table.
    size_t entry = core ? 3 : 4;
    size_t colors = 0;
    if (bpp <= 8) {
        colors = clrUsed ? clrUsed : (size_t(1) << bpp);
        if (colors > (size_t(1) << bpp)) colors = size_t(1) << bpp;
    } else if (!core && clrUsed <= 256) {
        colors = 0;   // an optional table for palette devices: skipped below
    }
    size_t tableBytes = colors * entry;
    if (tableAt + tableBytes > size) return Fail(error, L"the colour table is truncated");
    size_t defaultBits = tableAt + tableBytes;
    if (bpp > 8 && !core && clrUsed > 0 && clrUsed <= 256) defaultBits += clrUsed * 4;
    size_t at = bitsOffset ? bitsOffset : defaultBits;
    if (at > size) return Fail(error, L"the pixel data starts beyond the end");

    out = TDecodedBmp();
    out.width = width;
    out.height = static_cast<int>(absHeight);
    for (size_t k = 0; k < colors; ++k) {
        const uint8_t* c = data + tableAt + k * entry;
        out.palette.push_back(TRgb{c[2], c[1], c[0]});
    }
    if (width == 0 || absHeight == 0) {
        out.bitCount = bpp <= 8 ? bpp : 24;
        return true;
    }

    const uint8_t* bits = data + at;
    size_t avail = size - at;
    int h = out.height;

    if (rle) {
        size_t n = sizeImage && sizeImage <= avail ? sizeImage : avail;
        std::vector<uint8_t> idx;
        if (!DecodeRle(bits, n, compression == kBiRle4, width, h, idx, error)) return false;
        out.bitCount = 8;
        if (out.palette.empty()) return Fail(error, L"run-length data without a colour table");
        for (auto& v : idx)
            if (v >= out.palette.size()) v = static_cast<uint8_t>(out.palette.size() - 1);
        // RLE4 indexes fit in 8 bits just as well; keep the palette as it is.
        out.stride = StrideFor(width, 8);
        out.pixels.assign(static_cast<size_t>(out.stride) * h, 0);
        for (int y = 0; y < h; ++y)
            std::memcpy(&out.pixels[static_cast<size_t>(y) * out.stride], &idx[static_cast<size_t>(y) * width], width);
        return true;
    }

    int srcStride = StrideFor(width, bpp);
    if (static_cast<uint64_t>(srcStride) * h > avail) return Fail(error, L"the pixel data is truncated");
    auto srcRow = [&](int y) {   // y = 0 is the top row
        int fileRow = topDown ? y : h - 1 - y;
        return bits + static_cast<size_t>(fileRow) * srcStride;
    };

    bool std565 = bpp == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F;
    bool std555 = bpp == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F;
    bool std32 = bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
                 (masks[3] == 0 || masks[3] == 0xFF000000u);
    if (!bitfields || std565 || std555 || std32) {
        // The file's layout is ours: copy the rows.
        out.bitCount = bpp;
        out.is565 = std565;
        out.stride = srcStride;
        out.pixels.resize(static_cast<size_t>(srcStride) * h);
        for (int y = 0; y < h; ++y) std::memcpy(&out.pixels[static_cast<size_t>(y) * srcStride], srcRow(y), srcStride);
        if (bpp <= 8) {
            // Indexes past the table would read colours that do not exist: clamp them.
            size_t maxIndex = out.palette.empty() ? 0 : out.palette.size() - 1;
            if (out.palette.empty()) out.palette.push_back(TRgb{});
            if (bpp == 8 && maxIndex < 255)
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < width; ++x) {
                        uint8_t& v = out.pixels[static_cast<size_t>(y) * srcStride + x];
                        if (v > maxIndex) v = static_cast<uint8_t>(maxIndex);
                    }
            while (out.palette.size() < (size_t(1) << bpp) && bpp < 8) out.palette.push_back(out.palette.back());
        }
        return true;
    }

    // Other bit fields: unpack to 32 bits.
    if (!masks[0] && !masks[1] && !masks[2]) return Fail(error, L"empty colour masks");
    out.bitCount = 32;
    out.stride = width * 4;
    out.pixels.resize(static_cast<size_t>(out.stride) * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = srcRow(y);
        uint8_t* d = &out.pixels[static_cast<size_t>(y) * out.stride];
        for (int x = 0; x < width; ++x) {
            uint32_t px = bpp == 16 ? U16(s + 2 * x) : U32(s + 4 * x);
            d[4 * x + 0] = MaskValue(px, masks[2], 0);
            d[4 * x + 1] = MaskValue(px, masks[1], 0);
            d[4 * x + 2] = MaskValue(px, masks[0], 0);
            d[4 * x + 3] = MaskValue(px, masks[3], 255);
        }
    }
    return true;
}

bool DecodeBmpFile(const uint8_t* data, size_t size, TDecodedBmp& out, String& error)
{
    if (!data || size < 14 + 12) return Fail(error, L"the file is too short");
    if (data[0] != 'B' || data[1] != 'M') return Fail(error, L"the file does not start with \"BM\"");
    uint32_t offBits = U32(data + 10);
    size_t bitsOffset = 0;
    // A wrong offset is common in hand-made files; use it only when it points past the header.
    if (offBits >= 14 + 12 && offBits <= size) bitsOffset = offBits - 14;
    if (bitsOffset && bitsOffset < U32(data + 14)) bitsOffset = 0;
    return DecodeDib(data + 14, size - 14, bitsOffset, out, error);
}

std::vector<uint8_t> ReadBmpFileBytes(TStream& stream)
{
    uint8_t head[14];
    int64_t got = stream.Read(head, 14);
    std::vector<uint8_t> bytes(head, head + got);
    if (got < 14) return bytes;
    int64_t declared = U32(head + 2);
    int64_t left = stream.Size() - stream.Position();
    int64_t want = (declared > 14 + 12 && declared - 14 <= left) ? declared - 14 : left;
    if (want > 0) {
        size_t at = bytes.size();
        bytes.resize(at + static_cast<size_t>(want));
        int64_t n = stream.Read(bytes.data() + at, want);
        bytes.resize(at + static_cast<size_t>(n));
    }
    return bytes;
}

std::vector<uint8_t> EncodeBmpFile(const TBmpSource& s)
{
    size_t colors = s.bitCount <= 8 ? s.palette.size() : 0;
    size_t maskBytes = s.is565 ? 12 : 0;
    size_t headerBytes = 14 + 40 + maskBytes + colors * 4;
    size_t imageBytes = s.bottomUpBits ? static_cast<size_t>(s.stride) * s.height : 0;
    std::vector<uint8_t> v;
    v.reserve(headerBytes + imageBytes);
    v.push_back('B');
    v.push_back('M');
    Put32(v, static_cast<uint32_t>(headerBytes + imageBytes));
    Put32(v, 0);
    Put32(v, static_cast<uint32_t>(headerBytes));
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(s.bottomUpBits ? s.width : 0));
    Put32(v, static_cast<uint32_t>(s.bottomUpBits ? s.height : 0));
    Put16(v, 1);
    Put16(v, static_cast<uint32_t>(s.bitCount));
    Put32(v, s.is565 ? kBiBitfields : kBiRgb);
    Put32(v, static_cast<uint32_t>(imageBytes));
    Put32(v, 3780);   // 96 pixels per inch, in pixels per metre
    Put32(v, 3780);
    Put32(v, static_cast<uint32_t>(colors));
    Put32(v, 0);
    if (s.is565) {
        Put32(v, 0xF800);
        Put32(v, 0x07E0);
        Put32(v, 0x001F);
    }
    for (size_t k = 0; k < colors; ++k) {
        v.push_back(s.palette[k].b);
        v.push_back(s.palette[k].g);
        v.push_back(s.palette[k].r);
        v.push_back(0);
    }
    if (imageBytes) v.insert(v.end(), s.bottomUpBits, s.bottomUpBits + imageBytes);
    return v;
}

bool ParseIconDirectory(const uint8_t* data, size_t size, std::vector<TIconEntry>& entries, String& error)
{
    entries.clear();
    if (!data || size < 6) {
        error = L"Invalid icon: the file is too short";
        return false;
    }
    uint16_t type = U16(data + 2);
    if (U16(data) != 0 || (type != 1 && type != 2)) {
        error = L"Invalid icon: wrong header";
        return false;
    }
    size_t count = U16(data + 4);
    if (count == 0 || 6 + count * 16 > size) {
        error = L"Invalid icon: the image directory is empty or truncated";
        return false;
    }
    for (size_t k = 0; k < count; ++k) {
        const uint8_t* e = data + 6 + k * 16;
        TIconEntry ie;
        ie.width = e[0] ? e[0] : 256;
        ie.height = e[1] ? e[1] : 256;
        ie.bitCount = type == 1 ? U16(e + 6) : 0;
        ie.size = U32(e + 8);
        ie.offset = U32(e + 12);
        if (ie.size < 12 || ie.offset > size || ie.size > size - ie.offset) {
            error = L"Invalid icon: an image lies outside the file";
            return false;
        }
        const uint8_t* img = data + ie.offset;
        static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        ie.png = ie.size >= 8 && std::memcmp(img, kPng, 8) == 0;
        if (!ie.png) {
            // A DIB whose height counts the colour image and the mask together.
            if (U32(img) != 40 || ie.size < 40) {
                error = L"Invalid icon: unknown image header";
                return false;
            }
            int32_t w = I32(img + 4), h2 = I32(img + 8);
            int bpp = U16(img + 14);
            if (w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 &&
                                                              bpp != 24 && bpp != 32)) {
                error = L"Invalid icon: bad image dimensions or bit count";
                return false;
            }
            uint32_t clr = U32(img + 32);
            size_t colors = bpp <= 8 ? (clr ? std::min<size_t>(clr, size_t(1) << bpp) : size_t(1) << bpp) : 0;
            int h = h2 / 2;
            size_t need = 40 + colors * 4 + static_cast<size_t>(StrideFor(w, bpp)) * h +
                          static_cast<size_t>(StrideFor(w, 1)) * h;
            if (need > ie.size) {
                error = L"Invalid icon: image data is truncated";
                return false;
            }
            ie.width = w;
            ie.height = h;
            ie.bitCount = bpp;
        } else if (ie.size >= 24) {
            ie.width = static_cast<int>(U32(img + 16) >> 24 | (U32(img + 16) >> 8 & 0xFF00) |
                                        (U32(img + 16) << 8 & 0xFF0000) | U32(img + 16) << 24);
            ie.height = static_cast<int>(U32(img + 20) >> 24 | (U32(img + 20) >> 8 & 0xFF00) |
                                         (U32(img + 20) << 8 & 0xFF0000) | U32(img + 20) << 24);
            if (ie.width <= 0 || ie.width > 1024 || ie.height <= 0 || ie.height > 1024) {
                error = L"Invalid icon: bad image dimensions";
                return false;
            }
            if (!ie.bitCount) ie.bitCount = 32;
        }
        entries.push_back(ie);
    }
    return true;
}

int PickIconEntry(const std::vector<TIconEntry>& entries, int width, int height)
{
    int best = -1;
    auto better = [&](const TIconEntry& a, const TIconEntry& b) {
        // Rank: exact size first, then the smallest larger one, then the largest; then colours.
        auto rank = [&](const TIconEntry& e) {
            if (e.width == width && e.height == height) return 0;
            if (e.width >= width && e.height >= height) return 1;
            return 2;
        };
        int ra = rank(a), rb = rank(b);
        if (ra != rb) return ra < rb;
        int areaA = a.width * a.height, areaB = b.width * b.height;
        if (areaA != areaB) return ra == 2 ? areaA > areaB : areaA < areaB;
        return a.bitCount > b.bitCount;
    };
    for (size_t k = 0; k < entries.size(); ++k)
        if (best < 0 || better(entries[k], entries[static_cast<size_t>(best)])) best = static_cast<int>(k);
    return best;
}

void Premultiply(uint8_t* p, size_t count)
{
    for (size_t i = 0; i < count; ++i, p += 4) {
        unsigned a = p[3];
        if (a == 255) continue;
        p[0] = static_cast<uint8_t>((p[0] * a + 127) / 255);
        p[1] = static_cast<uint8_t>((p[1] * a + 127) / 255);
        p[2] = static_cast<uint8_t>((p[2] * a + 127) / 255);
    }
}

void Unpremultiply(uint8_t* p, size_t count)
{
    for (size_t i = 0; i < count; ++i, p += 4) {
        unsigned a = p[3];
        if (a == 255) continue;
        if (a == 0) {
            p[0] = p[1] = p[2] = 0;
            continue;
        }
        p[0] = static_cast<uint8_t>(std::min(255u, (p[0] * 255u + a / 2) / a));
        p[1] = static_cast<uint8_t>(std::min(255u, (p[1] * 255u + a / 2) / a));
        p[2] = static_cast<uint8_t>(std::min(255u, (p[2] * 255u + a / 2) / a));
    }
}

}  // namespace bmpcodec
