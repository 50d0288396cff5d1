// Item ID lists walked over a buffer of known size, and the rules the shell folder objects
// apply to names and attributes. Every walk stays inside the buffer it is given: a truncated
// list, or an item whose size field is too small to step over, is refused rather than followed
// into memory that is not the list's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vcl/sysutils.h"

// An item ID list is a run of items, each starting with its 16-bit little-endian size in bytes
// (the size field included), ended by a 16-bit zero.

// Bytes the list at data takes (items and terminator) when the whole list lies within the
// first size bytes; 0 for nullptr. nullopt when an item's size is 1 (it would not move the
// walk past its own size field) or an item or the terminator runs past the buffer.
std::optional<size_t> PidlListSize(const uint8_t* data, size_t size);
// Offset of the item that follows the one at offset; nullopt at the terminator, or when either
// item cannot be read whole within size.
std::optional<size_t> PidlNextOffset(const uint8_t* data, size_t size, size_t offset);
// Number of items before the terminator; nullopt for a list that is not whole.
std::optional<size_t> PidlItemCount(const uint8_t* data, size_t size);
// First's items, then second whole. A null first (firstSize 0) adds nothing; nullopt when
// either list is not whole within its size or second is null.
std::optional<std::vector<uint8_t>> PidlJoinBytes(const uint8_t* first, size_t firstSize, const uint8_t* second,
                                                  size_t secondSize);
// The zero-ended byte text that starts offset bytes into the buffer, cut at the buffer's end
// when the zero is missing; empty when offset lies at or beyond the end.
std::string PidlTextAt(const uint8_t* data, size_t size, size_t offset);

// ---- names -----------------------------------------------------------------------------------

enum TacShowExtension { seSystem, seShow, seHide };

// Some shells number duplicate names as "?1?2...": such a text (at least 2 characters, a "?"
// and then a digit) loses every "?". Any other text is kept.
String StripNumberingMarks(String text);
// Whether the name's extension, in any case, is ".zip" (an empty name is not).
bool IsZipFileName(StringView name);
// The display name with its extension shown or hidden as asked. parsingPath is the item's
// path; the rule applies only when parsingPathIsFile. seShow appends the path's extension when
// it differs from the name's own; seHide cuts the name's extension off its end.
String ApplyShowExtension(const String& name, TacShowExtension mode, const String& parsingPath,
                          bool parsingPathIsFile);
// A name that only names a namespace object by class ("::{...}").
bool IsClassIdName(StringView name);

// ---- attributes ------------------------------------------------------------------------------

enum TacShellFolderCapability : unsigned {
    fcCanCopy = 1,
    fcCanDelete = 2,
    fcCanLink = 4,
    fcCanMove = 8,
    fcCanRename = 16,
    fcDropTarget = 32,
    fcHasPropSheet = 64,
};
using TacShellFolderCapabilities = unsigned;

enum TacShellFolderProperty : unsigned {
    fpCut = 1,
    fpIsLink = 2,
    fpReadOnly = 4,
    fpShared = 8,
    fpFileSystem = 16,
    fpFileSystemAncestor = 32,
    fpRemovable = 64,
    fpValidate = 128,
};
using TacShellFolderProperties = unsigned;

// The shell's attribute bits the objects ask for.
namespace ShellAttr {
constexpr uint32_t CanCopy = 0x1, CanMove = 0x2, CanLink = 0x4, CanRename = 0x10, CanDelete = 0x20,
                   HasPropSheet = 0x40, DropTarget = 0x100, Ghosted = 0x8000, Link = 0x10000, Share = 0x20000,
                   ReadOnly = 0x40000, Validate = 0x1000000, Removable = 0x2000000, FileSysAncestor = 0x10000000,
                   Folder = 0x20000000, FileSystem = 0x40000000, HasSubFolder = 0x80000000;
constexpr uint32_t CapabilityMask = 0x177;
constexpr uint32_t PropertyMask = 0xFC000;
}  // namespace ShellAttr

TacShellFolderCapabilities CapabilitiesOfAttributes(uint32_t attributes);
// first: the answer to PropertyMask; second: the answer to an empty mask.
TacShellFolderProperties PropertiesOfAttributes(uint32_t first, uint32_t second);
// A folder of the file system (not a link), and a file of it.
bool IsFileSystemFolder(uint32_t attributes);
bool IsFileSystemFile(uint32_t attributes);
