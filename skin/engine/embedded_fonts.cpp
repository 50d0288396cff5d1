#include "skin/engine/embedded_fonts.h"

#include <windows.h>

#include "skin/engine/engine_resources.h"
#include "vcl/stored_form.h"

using namespace StoredForm;

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

void TacEmbeddedFont::WriteToStream(TStream& stream) const
{
    if (!FileName.empty()) WriteWString(stream, "FileName", FileName);
    if (!FontName.empty()) WriteWString(stream, "FontName", FontName);
    const std::vector<uint8_t>& bytes = FontData.Bytes();
    WriteBinary(stream, "FontData", bytes.data(), int32_t(bytes.size()));
    WriteByte(stream, vaNull);
}

void TacEmbeddedFont::ReadFromStream(TStream& stream)
{
    for (std::string p = ReadName(stream); !p.empty(); p = ReadName(stream)) {
        const TStoredValue v = ReadValue(stream);
        if (p == "FileName" || p == "FontName") {
            ExpectKind(v, vaWString, p);
            (p == "FileName" ? FileName : FontName) = v.Text;
        } else if (p == "FontData") {
            ExpectKind(v, vaBinary, p);
            FontData.Clear();
            if (!v.Bytes.empty()) FontData.WriteBuffer(v.Bytes.data(), int64_t(v.Bytes.size()));
        }
        // Properties of later versions are read past.
    }
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

void TacEmbeddedFonts::WriteToStream(TStream& stream) const
{
    WriteByte(stream, vaCollection);
    for (const auto& item : FItems) {
        WriteByte(stream, vaList);
        item->WriteToStream(stream);
    }
    WriteByte(stream, vaNull);
}

void TacEmbeddedFonts::ReadFromStream(TStream& stream)
{
    // Read aside first: input that is damaged or breaks off leaves the items as they were.
    std::vector<std::unique_ptr<TacEmbeddedFont>> read;
    try {
        if (ReadByte(stream) != vaCollection) throw EReadError(L"Invalid stored collection");
        for (uint8_t b = ReadByte(stream); b != vaNull; b = ReadByte(stream)) {
            if (b != vaList) throw EReadError(L"Invalid stored collection item");
            read.push_back(std::make_unique<TacEmbeddedFont>(FFontsStayRegistered));
            read.back()->ReadFromStream(stream);
        }
    } catch (const Exception& e) {
        throw EReadError(L"Cannot read the embedded fonts: " + e.Message());
    }
    FItems = std::move(read);
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
