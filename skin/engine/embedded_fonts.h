// The fonts a skin brings: installed for this process only, from memory, while the skin is
// loaded, so controls can use them by family name without installing anything on the system.
#pragma once

#include <memory>
#include <vector>

#include "vcl/streams.h"
#include "vcl/sysutils.h"

// The call that uninstalls a font registration; tests put a recorder in its place.
using TFontUninstall = int (*)(void* handle);
extern TFontUninstall EmbeddedFontUninstall;

class TacEmbeddedFont {
public:
    // A font that stays registered is not uninstalled when the item goes.
    explicit TacEmbeddedFont(bool staysRegistered = false) : FStaysRegistered(staysRegistered) {}
    ~TacEmbeddedFont()
    {
        if (!FStaysRegistered) UnLoadFont();
    }
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

    // The stored form: the item's property list up to its closing end marker; the names when
    // set, "FontData" always (the entry of a built-in font has no bytes). The reader takes the
    // properties into this item and installs nothing; EReadError on a value that does not fit.
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);

private:
    void* FHandle = nullptr;
    unsigned FInstalled = 0;
    bool FStaysRegistered = false;
};

class TacEmbeddedFonts {
public:
    // fontsStayRegistered: the fonts the items install stay registered for the rest of the
    // process when the items go (a character image list's); otherwise each item uninstalls its
    // font when it goes (a skin's).
    explicit TacEmbeddedFonts(bool fontsStayRegistered = false) : FFontsStayRegistered(fontsStayRegistered) {}
    TacEmbeddedFont& Add();
    // Frees every item.
    void Clear() { FItems.clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TacEmbeddedFont& Items(int index) { return *FItems.at(static_cast<size_t>(index)); }
    // The items of source copied: names and bytes, nothing installed.
    void Assign(const TacEmbeddedFonts& source);

    // The stored form of the collection as a property value: the collection marker, each item's
    // property list, the end marker. Reading replaces the items (their fonts uninstalled; the
    // new ones not installed) only when the whole value was read; on damaged or cut input it
    // raises EReadError and the items stay as they were.
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);

private:
    std::vector<std::unique_ptr<TacEmbeddedFont>> FItems;
    bool FFontsStayRegistered = false;
};

// The icon font built into the program (family "FontAwesome", the default font of character
// image lists): registered for the process from the program's own bytes on the first call, and
// removed when the process ends. Answers the registration's handle (nullptr when it failed).
void* IconFontHandle();
