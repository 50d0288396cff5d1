#include "skin/engine/core/skin_source.h"

#include <filesystem>

#include "vcl/streams.h"
#include "vcl/strings.h"

namespace {

String WithSeparator(const String& folder)
{
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder;
#ifdef _WIN32
    return folder + L'\\';
#else
    return folder + L'/';
#endif
}

// The path of a file of the folder whose name equals name without regard to case.
String FindInFolder(const String& folder, const String& name)
{
    String path = name.find(L':') != String::npos ? name : folder + name;
    if (FileExists(path)) return path;
    if (name.find(L':') != String::npos || name.find_first_of(L"\\/") != String::npos) return String();
    std::error_code ec;
    String dir = folder;
    if (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
#ifdef _WIN32
    std::filesystem::path fsDir(dir);
#else
    std::filesystem::path fsDir(ToUtf8(dir));
#endif
    for (const auto& entry : std::filesystem::directory_iterator(fsDir, ec)) {
        if (!entry.is_regular_file(ec)) continue;
#ifdef _WIN32
        String entryName = entry.path().filename().wstring();
#else
        String entryName = FromUtf8(entry.path().filename().string());
#endif
        if (SameText(entryName, name)) return folder + entryName;
    }
    return String();
}

}  // namespace

TacSkinSource TacSkinSource::FromFolder(const String& folder)
{
    TacSkinSource s;
    s.FFolder = WithSeparator(folder);
    return s;
}

TacSkinSource TacSkinSource::FromPacked(const uint8_t* data, size_t size, bool* notPacked)
{
    TacSkinSource s;
    s.FPacked = true;
    bool ok = ReadPackedSkin(data, size, s.FContainer);
    if (notPacked) *notPacked = !ok;
    return s;
}

std::optional<std::vector<uint8_t>> TacSkinSource::Description() const
{
    if (FPacked) return FContainer.Options;
    String path = FindInFolder(FFolder, SkinDescriptionName);
    if (path.empty()) return std::nullopt;
    return ReadFileBytes(path);
}

bool TacSkinSource::ReadFile(const String& name, std::vector<uint8_t>& bytes) const
{
    if (FPacked) {
        const TacFileItem* f = FContainer.FindUpper(UpperCase(name));
        if (!f) return false;
        bytes = f->Data;
        return true;
    }
    String path = FindInFolder(FFolder, name);
    if (path.empty()) return false;
    bytes = ReadFileBytes(path);
    return true;
}

std::vector<const TacFileItem*> TacSkinSource::FontEntries() const
{
    std::vector<const TacFileItem*> fonts;
    for (const TacFileItem& f : FContainer.Files)
        if (f.FileType == TacFileType::ftFont) fonts.push_back(&f);
    return fonts;
}

String SkinDescriptionText(const std::vector<uint8_t>& bytes) { return DecodeText(bytes, TTextEncoding::Default); }
