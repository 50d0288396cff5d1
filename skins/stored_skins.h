// The skins built into the program: packed containers made from skins/<Name>/ at build time.
// The first one is the fallback the program never selects by name.
#pragma once

#include <cstddef>
#include <cstdint>

namespace StoredSkinData {
extern const uint8_t SkinNeutral[];
extern const size_t SkinNeutralSize;
extern const uint8_t SkinDark[];
extern const size_t SkinDarkSize;
extern const uint8_t SkinLight[];
extern const size_t SkinLightSize;
}  // namespace StoredSkinData

struct TStoredSkinBytes {
    const wchar_t* Name;
    const uint8_t* Data;
    size_t Size;
};

// Neutral, Dark, Light, in this order.
constexpr int ProgramStoredSkinCount = 3;
const TStoredSkinBytes* ProgramStoredSkins();
