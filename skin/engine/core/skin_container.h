// The packed skin container (".asz" files and the skins stored in the program): the skin
// description "Options.dat" and the files it names, each deflated with zlib. Reading, writing
// and the search for the preview picture, on plain bytes. No windows.h here.
//
//   "ASzf", N (int32 LE), then N entries: L (int32), L name bytes (ANSI), S (int32, the inflated
//   size), a zlib stream whose inflated content is exactly S bytes. The next entry starts right
//   after the end of the zlib stream.
//
// The reader trusts nothing: the counts and lengths are checked against the bytes there are and
// an entry must inflate to exactly its S bytes. Of two description entries the later one counts.
// Damage raises EPackedSkinError with a message naming the entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "vcl/sysutils.h"

QW_DECLARE_EXCEPTION(EPackedSkinError, Exception);

enum class TacFileType : uint8_t { ftBmp, ftFont, ftOther };

// One file of a packed skin.
struct TacFileItem {
    String Name;                 // as stored (converted from the ANSI code page)
    TacFileType FileType = TacFileType::ftOther;
    std::vector<uint8_t> Data;   // the inflated bytes
};

// The kind of a file by the upper-cased extension of its name: ".BMP" a bitmap, ".TTF" and
// ".OTF" fonts, anything else other.
TacFileType FileTypeOfName(const String& name);

// The name of the description entry (compared without regard to case).
inline constexpr const wchar_t* SkinDescriptionName = L"Options.dat";

// The text shown when data is not a packed container at all.
inline constexpr const wchar_t* NotPackedSkinText = L"Loaded data is not a packed Halvix file";

// The entries of one packed skin.
class TacSkinConvertor {
public:
    // The inflated description; empty optional until a description entry was read.
    std::optional<std::vector<uint8_t>> Options;
    // Every other entry, in container order.
    std::vector<TacFileItem> Files;
    // The entry count of the container less one for its description: the number of files when
    // it holds exactly one description entry. Code that walks the files walks Files.
    int FileCount = 0;

    void Clear()
    {
        Options.reset();
        Files.clear();
        FileCount = 0;
    }
    // The first file entry whose upper-cased name equals upperName; nullptr when none.
    const TacFileItem* FindUpper(const String& upperName) const;
};

// Largest inflated size one entry may declare, and longest name.
constexpr int32_t MaxPackedEntrySize = 64 * 1024 * 1024;
constexpr int32_t MaxPackedNameLength = 1024;

// Parses a container into reader (which is emptied first). False, with reader empty, when the
// bytes do not start with the magic (the caller shows NotPackedSkinText); EPackedSkinError for
// a container that is damaged: counts or lengths beyond the bytes, or an entry that does not
// inflate to exactly its size. On an error reader is left empty.
bool ReadPackedSkin(const uint8_t* data, size_t size, TacSkinConvertor& reader);

// One file to pack.
struct TacPackEntry {
    String Name;
    std::vector<uint8_t> Data;
};
// A container of the given entries in the given order, each deflated at the best compression,
// so the same entries always give the same bytes. EPackedSkinError for a name that is empty,
// longer than MaxPackedNameLength or not plain printable ASCII, or for data over the size limit.
std::vector<uint8_t> WritePackedSkin(const std::vector<TacPackEntry>& entries);

// 1-based position of the first occurrence of pattern in text (Boyer-Moore-Horspool); 0 when
// there is none or the pattern is empty.
size_t FindBytes(const uint8_t* pattern, size_t patternSize, const uint8_t* text, size_t textSize);

// The preview picture of a packed file: the bytes after the first "previewimg" marker and its
// 32-bit length. Nothing when there is no marker or the length does not fit in what follows.
std::optional<std::vector<uint8_t>> ExtractSkinPreview(const uint8_t* data, size_t size);
