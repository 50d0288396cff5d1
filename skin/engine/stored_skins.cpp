#include "skin/engine/stored_skins.h"

#include <memory>

#include "skin/engine/skin_manager.h"
#include "vcl/stored_form.h"

using namespace StoredForm;

// ---- TsStoredSkin -------------------------------------------------------------------------------

TsStoredSkin::TsStoredSkin(TCollection* collection) : TCollectionItem(nullptr)
{
    SetCollection(collection);
    if (auto* skins = dynamic_cast<TsStoredSkins*>(collection); skins && skins->FOwner)
        skins->FOwner->MarkSkinListStale();
}

void TsStoredSkin::Assign(const TPersistent* source)
{
    const auto* s = dynamic_cast<const TsStoredSkin*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    if (s == this) return;
    PackedData.Clear();
    const std::vector<uint8_t>& bytes = s->PackedData.Bytes();
    if (!bytes.empty()) PackedData.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    PackedData.SetPosition(0);
    MasterBitmap.Assign(&s->MasterBitmap);
    Name = s->Name;
    Author = s->Author;
    Version = s->Version;
    BorderColor = s->BorderColor;
    Description = s->Description;
    Shadow1Blur = s->Shadow1Blur;
    Shadow1Color = s->Shadow1Color;
    Shadow1Offset = s->Shadow1Offset;
    Shadow1Transparency = s->Shadow1Transparency;
}

void TsStoredSkin::WriteToStream(TStream& stream) const
{
    if (!Name.empty()) WriteWString(stream, "Name", Name);
    if (!MasterBitmap.Empty()) {
        TMemoryStream bmp;
        const_cast<TBitmap&>(MasterBitmap).SaveToStream(bmp);
        WriteBinary(stream, "MasterBitmap.Data", bmp.Memory(), int32_t(bmp.Size()));
    }
    if (Shadow1Color != 0) WriteInt(stream, "Shadow1Color", int32_t(Shadow1Color));
    if (Shadow1Offset != 0) WriteInt(stream, "Shadow1Offset", Shadow1Offset);
    if (Shadow1Blur != -1) WriteInt(stream, "Shadow1Blur", Shadow1Blur);
    if (Shadow1Transparency != 0) WriteInt(stream, "Shadow1Transparency", Shadow1Transparency);
    if (BorderColor != 0xFF00FF) WriteInt(stream, "BorderColor", int32_t(BorderColor));
    if (Version != 0) WriteDouble(stream, "Version", Version);
    if (!Author.empty()) WriteWString(stream, "Author", Author);
    if (!Description.empty()) WriteWString(stream, "Description", Description);
    // Written also when empty.
    const std::vector<uint8_t>& bytes = PackedData.Bytes();
    WriteBinary(stream, "Data", bytes.data(), int32_t(bytes.size()));
    WriteWString(stream, "OriginName", OrigName);
    WriteByte(stream, vaNull);
}

void TsStoredSkin::ReadFromStream(TStream& stream)
{
    for (std::string p = ReadName(stream); !p.empty(); p = ReadName(stream)) {
        const TStoredValue v = ReadValue(stream);
        if (p == "Name") Name = TextOf(v, p);
        else if (p == "MasterBitmap.Data") {
            ExpectKind(v, vaBinary, p);
            TBitmap bmp;
            if (!v.Bytes.empty()) {
                TBytesStream bytes(v.Bytes);
                try {
                    bmp.LoadFromStream(bytes);
                } catch (const Exception& e) {
                    throw EReadError(L"Invalid value of property MasterBitmap: " + e.Message());
                }
            }
            MasterBitmap.Assign(&bmp);
        } else if (p == "Shadow1Color") Shadow1Color = TColor(IntOf(v, p));
        else if (p == "Shadow1Offset") Shadow1Offset = IntOf(v, p);
        else if (p == "Shadow1Blur") Shadow1Blur = IntOf(v, p);
        else if (p == "Shadow1Transparency") Shadow1Transparency = IntOf(v, p);
        else if (p == "BorderColor") BorderColor = TColor(IntOf(v, p));
        else if (p == "Version") {
            ExpectKind(v, vaDouble, p);
            Version = v.Number;
        } else if (p == "Author") Author = TextOf(v, p);
        else if (p == "Description") Description = TextOf(v, p);
        else if (p == "OriginName") OrigName = TextOf(v, p);
        else if (p == "Data") {
            ExpectKind(v, vaBinary, p);
            PackedData.Clear();
            if (!v.Bytes.empty()) PackedData.WriteBuffer(v.Bytes.data(), int64_t(v.Bytes.size()));
            PackedData.SetPosition(0);
        }
        // Properties of later versions are read past.
    }
}

// ---- TsStoredSkins ------------------------------------------------------------------------------

TsStoredSkins::TsStoredSkins(TsSkinManager* owner)
    : TCollection(nullptr, ItemsOf<TsStoredSkin>()), FOwner(owner)
{
}

TsStoredSkins::~TsStoredSkins()
{
    // The items go without telling a manager that is going itself.
    FOwner = nullptr;
}

TsStoredSkin& TsStoredSkins::Add() { return *static_cast<TsStoredSkin*>(TCollection::Add()); }

int TsStoredSkins::IndexOf(const String& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->Name == name) return i;
    return -1;
}

TPersistent* TsStoredSkins::GetOwner() const { return FOwner; }

void TsStoredSkins::Assign(const TPersistent* source)
{
    if (source && !dynamic_cast<const TsStoredSkins*>(source)) {
        TPersistent::Assign(source);   // raises: not a collection of stored skins
        return;
    }
    TCollection::Assign(source);
}

void TsStoredSkins::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    if (FOwner && FOwner->OnSkinListChanged) FOwner->OnSkinListChanged(FOwner);
}

void TsStoredSkins::WriteToStream(TStream& stream) const
{
    WriteByte(stream, vaCollection);
    for (int i = 0; i < Count(); ++i) {
        WriteByte(stream, vaList);
        GetItem(i)->WriteToStream(stream);
    }
    WriteByte(stream, vaNull);
}

void TsStoredSkins::ReadFromStream(TStream& stream)
{
    // Read aside first: input that is damaged or breaks off leaves the items as they were.
    TsStoredSkins read(nullptr);
    try {
        if (ReadByte(stream) != vaCollection) throw EReadError(L"Invalid stored collection");
        for (uint8_t b = ReadByte(stream); b != vaNull; b = ReadByte(stream)) {
            if (b != vaList) throw EReadError(L"Invalid stored collection item");
            read.Add().ReadFromStream(stream);
        }
    } catch (const Exception& e) {
        throw EReadError(L"Cannot read the stored skins: " + e.Message());
    }
    BeginUpdate();
    try {
        Clear();
        // The items read move over as they are.
        while (read.Count() > 0) read.GetItem(0)->SetCollection(this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    if (FOwner) FOwner->MarkSkinListStale();
    EndUpdate();
}
