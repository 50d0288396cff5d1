// The fonts a skin brings: installed for this process only, from memory, while the skin is
// loaded, so controls can use them by family name without installing anything on the system.
#pragma once

#include <memory>
#include <vector>

#include "vcl/streams.h"
#include "vcl/sysutils.h"

class TacEmbeddedFont {
public:
    TacEmbeddedFont() = default;
    ~TacEmbeddedFont() { UnLoadFont(); }
    TacEmbeddedFont(const TacEmbeddedFont&) = delete;
    TacEmbeddedFont& operator=(const TacEmbeddedFont&) = delete;

    String FileName;
    String FontName;
    TMemoryStream FontData;

    // Installs the bytes of FontData for this process; Handle() is 0 when they cannot be.
    void LoadFont();
    // Uninstalls the font (nothing for handle 0).
    void UnLoadFont();
    void* Handle() const { return FHandle; }
    // The number of fonts the last LoadFont installed.
    unsigned InstalledCount() const { return FInstalled; }
    // Names and bytes of source, appended to FontData; installs nothing.
    void Assign(const TacEmbeddedFont& source);

private:
    void* FHandle = nullptr;
    unsigned FInstalled = 0;
};

class TacEmbeddedFonts {
public:
    TacEmbeddedFont& Add();
    // Frees every item, which uninstalls its font.
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TacEmbeddedFont& Items(int index) { return *FItems.at(static_cast<size_t>(index)); }
    // The items of source copied: names and bytes, nothing installed.
    void Assign(const TacEmbeddedFonts& source);

private:
    std::vector<std::unique_ptr<TacEmbeddedFont>> FItems;
};

// The icon font built into the program (family "FontAwesome", the default font of character
// image lists): registered for the process from the program's own bytes on the first call, and
// removed when the process ends. Answers the registration's handle (nullptr when it failed).
void* IconFontHandle();
