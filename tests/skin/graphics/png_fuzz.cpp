// Fuzz target of the PNG decoder and the decompression stream. Half of the inputs get their
// chunk CRCs repaired first, so the fuzzer reaches past the CRC checks into the image data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/graphics/png/pngreader.h"
#include "skin/graphics/zstream.h"

namespace {

void RepairCrcs(std::vector<uint8_t>& d)
{
    size_t pos = 8;
    while (pos + 12 <= d.size()) {
        uint64_t len = uint64_t(d[pos]) << 24 | d[pos + 1] << 16 | d[pos + 2] << 8 | d[pos + 3];
        if (pos + 12 + len > d.size()) break;
        uint32_t crc = UpdatePngCRC(0xFFFFFFFFu, &d[pos + 4], size_t(len) + 4) ^ 0xFFFFFFFFu;
        size_t c = pos + 8 + size_t(len);
        d[c] = uint8_t(crc >> 24);
        d[c + 1] = uint8_t(crc >> 16);
        d[c + 2] = uint8_t(crc >> 8);
        d[c + 3] = uint8_t(crc);
        pos = c + 4;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> d(data, data + size);
    if (size > 0 && (data[size - 1] & 1)) RepairCrcs(d);
    try {
        DecodePngTo32(d.data(), d.size());
    } catch (const Exception&) {
    }
    try {
        TBytesStream source(std::vector<uint8_t>(data, data + size));
        TZDecompressionStream z(source);
        uint8_t buf[4096];
        while (z.Read(buf, sizeof(buf)) > 0) {
        }
    } catch (const Exception&) {
    }
    return 0;
}
