// The files of one skin, wherever they come from: a skin folder (its "Options.dat" and the
// image and font files beside it) or a packed container (a ".asz" file or a stored skin). File
// names are matched without regard to case in both. No windows.h here.
#pragma once

#include <optional>
#include <vector>

#include "skin/engine/core/skin_container.h"

class TacSkinSource {
public:
    // A folder (with or without a trailing separator).
    static TacSkinSource FromFolder(const String& folder);
    // The bytes of a packed container. False in *notPacked (and no description) when the
    // bytes are not a container; EPackedSkinError when it is damaged.
    static TacSkinSource FromPacked(const uint8_t* data, size_t size, bool* notPacked = nullptr);

    bool IsPacked() const { return FPacked; }
    const String& Folder() const { return FFolder; }
    // The description's bytes; nothing when the skin has none.
    std::optional<std::vector<uint8_t>> Description() const;
    // The bytes of a file of the skin: the packed entry whose name equals name without regard
    // to case; in a folder the file name (a name holding ":" is a full path). False when absent.
    bool ReadFile(const String& name, std::vector<uint8_t>& bytes) const;
    // Font files of a packed skin (".TTF", ".OTF" entries), in container order.
    std::vector<const TacFileItem*> FontEntries() const;
    const TacSkinConvertor& Container() const { return FContainer; }

private:
    bool FPacked = false;
    String FFolder;
    TacSkinConvertor FContainer;
};

// The description text of its bytes: a byte-order mark picks the encoding, else UTF-8 when the
// bytes are valid UTF-8, else the ANSI code page.
String SkinDescriptionText(const std::vector<uint8_t>& bytes);
