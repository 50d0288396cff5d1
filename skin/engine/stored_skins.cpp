#include "skin/engine/stored_skins.h"

void TsStoredSkin::Assign(const TsStoredSkin& source)
{
    if (&source == this) return;
    PackedData.Clear();
    const std::vector<uint8_t>& bytes = source.PackedData.Bytes();
    if (!bytes.empty()) PackedData.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    Name = source.Name;
    Author = source.Author;
    Version = source.Version;
    BorderColor = source.BorderColor;
    Description = source.Description;
    Shadow1Blur = source.Shadow1Blur;
    Shadow1Color = source.Shadow1Color;
    Shadow1Offset = source.Shadow1Offset;
    Shadow1Transparency = source.Shadow1Transparency;
}

TsStoredSkin& TsStoredSkins::Add()
{
    FItems.push_back(std::make_unique<TsStoredSkin>());
    Update();
    return *FItems.back();
}

int TsStoredSkins::IndexOf(const String& name) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->Name == name) return static_cast<int>(i);
    return -1;
}

void TsStoredSkins::Update()
{
    if (OnChanged) OnChanged();
}
