// What a skin editor hands a running program by WM_COPYDATA: the skin's name, folder and
// description text in one fixed record. The payload comes from another process: it is read
// only as far as it goes, and the text fields only within their own length. No windows.h here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct TacSkinEditorData {
    uint32_t Magic = 0;   // acSkinEditorMagic when valid
    char SkinName[128] = {};
    char SkinDir[512] = {};
    char Data[30001] = {};   // the skin description text
};
#pragma pack(pop)
static_assert(sizeof(TacSkinEditorData) == 30645, "the skin editor's record");

constexpr uint32_t acSkinEditorMagic = 0xA400;
// The WM_COPYDATA identifier (its WParam) of the editor's record.
constexpr uintptr_t acSkinEditorCopyId = 7;

// The payload starts with the editor's 32-bit magic (a payload shorter than it never does).
bool IsSkinEditorPayload(const void* data, size_t size);
// Fills the record from a payload as far as it goes; the rest stays zero.
void ReadSkinEditorData(const void* data, size_t size, TacSkinEditorData& out);
// A text field up to its first zero byte, never past its capacity (a field may fill it whole).
std::string SkinEditorField(const char* field, size_t capacity);
