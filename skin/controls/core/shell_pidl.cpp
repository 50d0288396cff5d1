#include "skin/controls/core/shell_pidl.h"

#include <cstring>

namespace {

// The 16-bit size field at offset, when both of its bytes lie inside the buffer.
std::optional<size_t> SizeFieldAt(const uint8_t* data, size_t size, size_t offset)
{
    if (offset > size || size - offset < 2) return std::nullopt;
    return static_cast<size_t>(data[offset] | (data[offset + 1] << 8));
}

// Offset of the item after the one at offset; the size read there must step past its own
// field and keep the item inside the buffer.
std::optional<size_t> StepOver(const uint8_t* data, size_t size, size_t offset)
{
    const std::optional<size_t> cb = SizeFieldAt(data, size, offset);
    if (!cb || *cb < 2 || *cb > size - offset) return std::nullopt;
    return offset + *cb;
}

}  // namespace

std::optional<size_t> PidlListSize(const uint8_t* data, size_t size)
{
    if (!data) return size_t{0};
    size_t offset = 0;
    for (;;) {
        const std::optional<size_t> cb = SizeFieldAt(data, size, offset);
        if (!cb) return std::nullopt;
        if (*cb == 0) return offset + 2;
        const std::optional<size_t> next = StepOver(data, size, offset);
        if (!next) return std::nullopt;
        offset = *next;
    }
}

std::optional<size_t> PidlNextOffset(const uint8_t* data, size_t size, size_t offset)
{
    if (!data) return std::nullopt;
    const std::optional<size_t> cb = SizeFieldAt(data, size, offset);
    if (!cb || *cb == 0) return std::nullopt;
    const std::optional<size_t> next = StepOver(data, size, offset);
    if (!next || !SizeFieldAt(data, size, *next)) return std::nullopt;
    return next;
}

std::optional<size_t> PidlItemCount(const uint8_t* data, size_t size)
{
    if (!PidlListSize(data, size)) return std::nullopt;
    size_t count = 0;
    for (size_t offset = 0; data && SizeFieldAt(data, size, offset).value_or(0) != 0; offset = *StepOver(data, size, offset))
        ++count;
    return count;
}

std::optional<std::vector<uint8_t>> PidlJoinBytes(const uint8_t* first, size_t firstSize, const uint8_t* second,
                                                  size_t secondSize)
{
    const std::optional<size_t> a = PidlListSize(first, firstSize);
    const std::optional<size_t> b = PidlListSize(second, secondSize);
    if (!a || !b || !second) return std::nullopt;
    const size_t items = *a >= 2 ? *a - 2 : 0;
    std::vector<uint8_t> joined(items + *b);
    if (items) std::memcpy(joined.data(), first, items);
    std::memcpy(joined.data() + items, second, *b);
    return joined;
}

std::string PidlTextAt(const uint8_t* data, size_t size, size_t offset)
{
    if (!data || offset >= size) return {};
    const uint8_t* start = data + offset;
    const void* zero = std::memchr(start, 0, size - offset);
    const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - start) : size - offset;
    return std::string(reinterpret_cast<const char*>(start), length);
}

// ---- names -----------------------------------------------------------------------------------

String StripNumberingMarks(String text)
{
    if (text.size() >= 2 && text[0] == L'?' && text[1] >= L'0' && text[1] <= L'9') std::erase(text, L'?');
    return text;
}

bool IsZipFileName(StringView name)
{
    return !name.empty() && LowerCase(ExtractFileExt(name)) == L".zip";
}

String ApplyShowExtension(const String& name, TacShowExtension mode, const String& parsingPath, bool parsingPathIsFile)
{
    if (mode == seSystem || !parsingPathIsFile) return name;
    const String ext = ExtractFileExt(name);
    if (mode == seShow) {
        const String pathExt = ExtractFileExt(parsingPath);
        return pathExt != ext ? name + pathExt : name;
    }
    if (!ext.empty() && name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
        return name.substr(0, name.size() - ext.size());
    return name;
}

bool IsClassIdName(StringView name) { return name.starts_with(L"::{"); }

// ---- attributes ------------------------------------------------------------------------------

TacShellFolderCapabilities CapabilitiesOfAttributes(uint32_t a)
{
    using namespace ShellAttr;
    TacShellFolderCapabilities c = 0;
    if (a & CanCopy) c |= fcCanCopy;
    if (a & CanDelete) c |= fcCanDelete;
    if (a & CanLink) c |= fcCanLink;
    if (a & CanMove) c |= fcCanMove;
    if (a & CanRename) c |= fcCanRename;
    if (a & DropTarget) c |= fcDropTarget;
    if (a & HasPropSheet) c |= fcHasPropSheet;
    return c;
}

TacShellFolderProperties PropertiesOfAttributes(uint32_t first, uint32_t second)
{
    using namespace ShellAttr;
    TacShellFolderProperties p = 0;
    if (first & Ghosted) p |= fpCut;
    if (first & Link) p |= fpIsLink;
    if (first & ReadOnly) p |= fpReadOnly;
    if (first & Share) p |= fpShared;
    if (second & FileSystem) p |= fpFileSystem;
    if (second & FileSysAncestor) p |= fpFileSystemAncestor;
    if (second & Removable) p |= fpRemovable;
    if (second & Validate) p |= fpValidate;
    return p;
}

bool IsFileSystemFolder(uint32_t a)
{
    return (a & ShellAttr::FileSystem) && (a & ShellAttr::Folder) && !(a & ShellAttr::Link);
}

bool IsFileSystemFile(uint32_t a)
{
    return (a & ShellAttr::FileSystem) && !(a & ShellAttr::Folder) && !(a & ShellAttr::Link);
}
