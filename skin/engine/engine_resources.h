// Pictures built into the skin engine (made by tools/images/make_images.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace EngineResources {
extern const uint8_t AcMask1Png[];
extern const size_t AcMask1PngSize;
extern const uint8_t AcMask2Png[];
extern const size_t AcMask2PngSize;
// The icon font file (TrueType, family "FontAwesome"), registered for the process on first use.
extern const uint8_t AwFont[];
extern const size_t AwFontSize;
}  // namespace EngineResources
