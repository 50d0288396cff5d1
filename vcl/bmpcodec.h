// BMP file and DIB parsing and writing, and alpha premultiplication. No windows.h: the same code
// reads files from disk and bitmap resources, and is tested natively on hostile input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vcl/streams.h"
#include "vcl/sysutils.h"

namespace bmpcodec {

struct TRgb {
    uint8_t r = 0, g = 0, b = 0;
};

// A decoded image in DIB layout: rows top first, each `stride` bytes (a multiple of 4), pixels
// in the DIB's byte order (blue first). bitCount is 1, 4, 8 (indexes into palette), 16 (555,
// or 565 when is565), 24 or 32 (blue, green, red, alpha).
struct TDecodedBmp {
    int width = 0;
    int height = 0;
    int bitCount = 24;
    bool is565 = false;
    int stride = 0;
    std::vector<TRgb> palette;
    std::vector<uint8_t> pixels;
};

// The largest image accepted, in either direction: a guard against headers that ask for
// gigabytes.
constexpr int kMaxDimension = 32768;

// A whole .bmp file (file header first). False with a message for anything malformed:
// unknown header, compression or bit count, a colour table or pixel data beyond the end.
bool DecodeBmpFile(const uint8_t* data, size_t size, TDecodedBmp& out, String& error);
// A DIB as bitmap resources hold it: info header, colour table, pixels. bitsOffset is where
// the pixels start from the header's first byte; 0 means right after the colour table.
bool DecodeDib(const uint8_t* data, size_t size, size_t bitsOffset, TDecodedBmp& out, String& error);

// The bytes of a BMP file from the stream's current position: as many as its header says,
// or up to the end of the stream. Leaves the stream after them.
std::vector<uint8_t> ReadBmpFileBytes(TStream& stream);

struct TBmpSource {
    int width = 0;
    int height = 0;
    int bitCount = 24;
    bool is565 = false;
    int stride = 0;
    std::vector<TRgb> palette;
    const uint8_t* bottomUpBits = nullptr;   // height rows of stride bytes, bottom row first
};
// A BMP file: BITMAPINFOHEADER, the colour table or the 565 masks, bottom-up pixels.
std::vector<uint8_t> EncodeBmpFile(const TBmpSource& source);

// One image of an .ico file, checked to lie inside the file.
struct TIconEntry {
    int width = 0;    // 0 in the file means 256
    int height = 0;
    int bitCount = 0;
    size_t offset = 0;
    size_t size = 0;
    bool png = false;
};
// The directory of an .ico file (type 1) or .cur file (type 2). False with a message when the
// header is wrong, there are no images, or an image lies outside the file or is malformed.
bool ParseIconDirectory(const uint8_t* data, size_t size, std::vector<TIconEntry>& entries, String& error);
// The entry that fits width x height best: the exact size with the most colours, else the
// smallest larger one, else the largest.
int PickIconEntry(const std::vector<TIconEntry>& entries, int width, int height);

// In place over count BGRA pixels.
void Premultiply(uint8_t* pixels, size_t count);
void Unpremultiply(uint8_t* pixels, size_t count);

}  // namespace bmpcodec
