#include "skin/engine/embedded_fonts.h"

#include <windows.h>

#include "skin/engine/engine_resources.h"

TFontUninstall EmbeddedFontUninstall = [](void* handle) -> int { return RemoveFontMemResourceEx(handle); };

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
    if (FHandle) EmbeddedFontUninstall(FHandle);
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
    FItems.push_back(std::make_unique<TacEmbeddedFont>(FFontsStayRegistered));
    return *FItems.back();
}

void TacEmbeddedFonts::Assign(const TacEmbeddedFonts& source)
{
    Clear();
    for (const auto& item : source.FItems) Add().Assign(*item);
}

namespace {

struct TacIconFontRegistration {
    HANDLE Handle = nullptr;
    TacIconFontRegistration()
    {
        DWORD count = 0;
        // The call copies the bytes; the count it answers is of no use here.
        Handle = AddFontMemResourceEx(const_cast<uint8_t*>(EngineResources::AwFont),
                                      static_cast<DWORD>(EngineResources::AwFontSize), nullptr, &count);
    }
    ~TacIconFontRegistration()
    {
        if (Handle) RemoveFontMemResourceEx(Handle);
    }
    TacIconFontRegistration(const TacIconFontRegistration&) = delete;
    TacIconFontRegistration& operator=(const TacIconFontRegistration&) = delete;
};

}  // namespace

void* IconFontHandle()
{
    static TacIconFontRegistration registration;
    return registration.Handle;
}
