// Fuzz target of the image definition notation: any value normalises without fault, and its
// canonical form either reads or fails with the notation's error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/engine/core/mask_notation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    String value;
    for (size_t i = 0; i < size && i < 200; ++i) value.push_back(wchar_t(data[i] < 0x80 ? data[i] : L'0' + data[i] % 10));
    value = UpperCase(value);
    try {
        String canonical = NormalizeMaskValue(value);
        if (!value.empty() && (canonical.empty() || canonical[0] != L'&')) std::abort();
        TacMaskDefinition d = ParseCanonicalMask(canonical);
        if (static_cast<int>(d.ImgType) > 4) std::abort();
    } catch (const ESkinImageError&) {
    }
    return 0;
}
