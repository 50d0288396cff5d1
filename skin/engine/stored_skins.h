// Skins stored in the program: each item holds the bytes of a packed skin container and a few
// descriptive values. The manager loads them as its last source and lists them first.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "vcl/streams.h"
#include "vcl/sysutils.h"
#include "vcl/types.h"

class TsStoredSkin {
public:
    String Name;              // what SkinName selects (exact match)
    TColor Shadow1Color = 0;
    int Shadow1Offset = 0;
    int Shadow1Blur = -1;
    int Shadow1Transparency = 0;
    TColor BorderColor = 0xFF00FF;
    double Version = 0;
    String Author;
    String Description;
    String OrigName;          // the file the skin came from
    TMemoryStream PackedData; // the container bytes

    // Copies the container bytes and the descriptive values (not OrigName).
    void Assign(const TsStoredSkin& source);
};

class TsStoredSkins {
public:
    // Told when an item is added or changed (the manager marks its skin list stale).
    std::function<void()> OnChanged;

    TsStoredSkin& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    TsStoredSkin& Items(int index) { return *FItems.at(static_cast<size_t>(index)); }
    const TsStoredSkin& Items(int index) const { return *FItems.at(static_cast<size_t>(index)); }
    // The first item named exactly name; -1 when none.
    int IndexOf(const String& name) const;
    void Clear() { FItems.clear(); }
    void Update();

private:
    std::vector<std::unique_ptr<TsStoredSkin>> FItems;
};
