// Skins stored in the program: each item holds the bytes of a packed skin container and a few
// descriptive values. The manager loads them as its last source and lists them first.
#pragma once

#include "vcl/classes.h"
#include "vcl/graphics.h"
#include "vcl/streams.h"
#include "vcl/sysutils.h"
#include "vcl/types.h"

class TsSkinManager;
class TsStoredSkins;

class TsStoredSkin : public TCollectionItem {
public:
    // Joins collection once fully made (so whoever hears of the new item sees a whole one) and
    // marks the owning manager's skin list stale.
    explicit TsStoredSkin(TCollection* collection);

    String Name;              // what SkinName selects (exact match)
    TBitmap MasterBitmap;     // a picture kept with the item
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

    // From another stored skin: the container bytes, MasterBitmap and the descriptive values
    // (not OrigName). Anything else raises EConvertError.
    void Assign(const TPersistent* source) override;

    // The stored form: the item's property list up to its closing end marker. The values that
    // differ from their defaults are written, "Data" (the container bytes) and "OriginName"
    // always. The reader takes the properties into this item; EReadError on a value that does
    // not fit, with the item then partly read (the collection reads into fresh items).
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);
};

class TsStoredSkins : public TCollection {
public:
    explicit TsStoredSkins(TsSkinManager* owner);
    ~TsStoredSkins() override;

    // A new item at the end.
    TsStoredSkin& Add();
    TsStoredSkin& Items(int index) { return *GetItem(index); }
    const TsStoredSkin& Items(int index) const { return *GetItem(index); }
    TsStoredSkin* GetItem(int index) const { return static_cast<TsStoredSkin*>(TCollection::Items(index)); }
    // Item index becomes a copy of value.
    void SetItem(int index, const TsStoredSkin* value) { GetItem(index)->Assign(value); }
    // The first item named exactly name; -1 when none.
    int IndexOf(const String& name) const;
    // The manager.
    TPersistent* GetOwner() const override;
    TsSkinManager* Manager() const { return FOwner; }

    // Copies the items of another stored-skin collection (each through TsStoredSkin::Assign).
    void Assign(const TPersistent* source) override;

    // The stored form of the collection as a property value: the collection marker, each item's
    // property list, the end marker. Reading replaces the items only when the whole value was
    // read; on damaged or cut input it raises EReadError and the items stay as they were.
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);

protected:
    // After the collection's own update the manager's OnSkinListChanged fires.
    void Update(TCollectionItem* item) override;

private:
    friend class TsStoredSkin;
    TsSkinManager* FOwner;
};
