// Fuzz target of the skin editor's WM_COPYDATA payload: any bytes of any length are read
// without reading past them, the record holds what came and zeros after it, and the text
// fields never run past their own length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "skin/engine/core/skin_editor_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that the sanitizer sees any read past the payload.
    std::vector<uint8_t> payload(data, data + size);
    const uint8_t* p = size ? payload.data() : nullptr;
    const bool valid = IsSkinEditorPayload(p, size);
    if (valid && size < 4) abort();
    static TacSkinEditorData record;
    ReadSkinEditorData(p, size, record);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    const size_t copied = size < sizeof record ? size : sizeof record;
    if (copied && std::memcmp(bytes, p, copied) != 0) abort();
    for (size_t i = copied; i < sizeof record; ++i)
        if (bytes[i]) abort();
    // Two bytes 00 A4 copied into a zeroed record read as the magic: only a payload of four
    // bytes or more may count.
    if (size >= 4 && valid != (record.Magic == acSkinEditorMagic)) abort();
    if (SkinEditorField(record.SkinName, sizeof record.SkinName).size() > sizeof record.SkinName) abort();
    if (SkinEditorField(record.SkinDir, sizeof record.SkinDir).size() > sizeof record.SkinDir) abort();
    if (SkinEditorField(record.Data, sizeof record.Data).size() > sizeof record.Data) abort();
    return 0;
}
