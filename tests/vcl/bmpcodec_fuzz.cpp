// Any bytes as a BMP file, a bitmap resource or an icon file: no crash, no read outside.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "vcl/bmpcodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bmpcodec::TDecodedBmp d;
    String error;
    if (bmpcodec::DecodeBmpFile(data, size, d, error) && d.width > 0 && d.height > 0) {
        // Every row the decoder claims must be there; a row holds width pixels of bitCount bits.
        if (static_cast<int64_t>(d.stride) * 8 < static_cast<int64_t>(d.width) * d.bitCount ||
            d.pixels.size() < static_cast<size_t>(d.stride) * d.height)
            abort();
    }
    bmpcodec::DecodeDib(data, size, 0, d, error);
    std::vector<bmpcodec::TIconEntry> entries;
    if (bmpcodec::ParseIconDirectory(data, size, entries, error)) bmpcodec::PickIconEntry(entries, 32, 32);
    return 0;
}
