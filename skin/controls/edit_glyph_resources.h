// The edit buttons' standard pictures built into the program (made by tools/images/make_images.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace EditGlyphResources {
extern const uint8_t SFPng[];
extern const size_t SFPngSize;
extern const uint8_t SRPng[];
extern const size_t SRPngSize;
extern const uint8_t SDPng[];
extern const size_t SDPngSize;
extern const uint8_t SEPng[];
extern const size_t SEPngSize;
extern const uint8_t SCPng[];
extern const size_t SCPngSize;
}  // namespace EditGlyphResources
