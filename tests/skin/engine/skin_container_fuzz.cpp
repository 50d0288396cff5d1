// Fuzz target of the packed container reader and the preview search: any bytes either parse
// into entries that each hold exactly their declared size, or fail with the container's error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/engine/core/skin_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TacSkinConvertor reader;
    try {
        if (ReadPackedSkin(data, size, reader)) {
            // What was read packs and reads back the same.
            std::vector<TacPackEntry> entries;
            if (reader.Options) entries.push_back({SkinDescriptionName, *reader.Options});
            bool packable = true;
            for (const TacFileItem& f : reader.Files) {
                for (wchar_t c : f.Name) packable = packable && c >= 0x20 && c <= 0x7E;
                entries.push_back({f.Name, f.Data});
            }
            if (packable) {
                std::vector<uint8_t> again = WritePackedSkin(entries);
                TacSkinConvertor second;
                if (!ReadPackedSkin(again.data(), again.size(), second) || second.Files.size() != reader.Files.size())
                    std::abort();
            }
        } else if (!reader.Files.empty() || reader.Options) {
            std::abort();
        }
    } catch (const EPackedSkinError&) {
        if (!reader.Files.empty() || reader.Options) std::abort();
    }
    if (auto preview = ExtractSkinPreview(data, size))
        if (preview->size() > size) std::abort();
    return 0;
}
