#include "skin/engine/embedded_fonts.h"

#include <windows.h>

void TacEmbeddedFont::LoadFont()
{
    UnLoadFont();
    if (FontData.Size() == 0) return;
    DWORD count = 1;
    FHandle = AddFontMemResourceEx(FontData.Memory(), static_cast<DWORD>(FontData.Size()), nullptr, &count);
    FInstalled = FHandle ? count : 0;
}

void TacEmbeddedFont::UnLoadFont()
{
    if (FHandle) RemoveFontMemResourceEx(FHandle);
    FHandle = nullptr;
    FInstalled = 0;
}

void TacEmbeddedFont::Assign(const TacEmbeddedFont& source)
{
    FileName = source.FileName;
    FontName = source.FontName;
    if (!source.FontData.Bytes().empty())
        FontData.WriteBuffer(source.FontData.Bytes().data(), static_cast<int64_t>(source.FontData.Bytes().size()));
}

TacEmbeddedFont& TacEmbeddedFonts::Add()
{
    FItems.push_back(std::make_unique<TacEmbeddedFont>());
    return *FItems.back();
}

void TacEmbeddedFonts::Assign(const TacEmbeddedFonts& source)
{
    Clear();
    for (const auto& item : source.FItems) Add().Assign(*item);
}
