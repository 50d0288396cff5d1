// Pictures built into the program (made by tools/images/make_images.py).
#pragma once

#include <cstddef>
#include <cstdint>

namespace AppResources {
extern const uint8_t ConnectedPng[];
extern const size_t ConnectedPngSize;
extern const uint8_t DisconnectedPng[];
extern const size_t DisconnectedPngSize;
extern const uint8_t IdleDotPng[];
extern const size_t IdleDotPngSize;
extern const uint8_t StateDotPng[];
extern const size_t StateDotPngSize;
extern const uint8_t BannerPng[];
extern const size_t BannerPngSize;
}  // namespace AppResources
