#include "skin/engine/core/skin_editor_data.h"

#include <cstring>

bool IsSkinEditorPayload(const void* data, size_t size)
{
    if (!data || size < sizeof(uint32_t)) return false;
    uint32_t magic;
    std::memcpy(&magic, data, sizeof magic);
    return magic == acSkinEditorMagic;
}

void ReadSkinEditorData(const void* data, size_t size, TacSkinEditorData& out)
{
    out = TacSkinEditorData();
    if (data) std::memcpy(&out, data, size < sizeof out ? size : sizeof out);
}

std::string SkinEditorField(const char* field, size_t capacity)
{
    const void* end = std::memchr(field, 0, capacity);
    return std::string(field, end ? static_cast<const char*>(end) - field : capacity);
}
