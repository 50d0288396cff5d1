// skintool: packs a skin folder into a container and tells what a skin holds, through the
// engine's own loading code.
//
//   skintool pack FOLDER OUT.asz   the description first, then the bitmaps, then the other
//                                  files (pictures and fonts), each group by name; the same
//                                  folder always gives the same bytes; no preview
//   skintool info SKIN             SKIN is a skin folder or a packed file; prints the
//                                  GLOBALINFO values, the sections, the images with a hash of
//                                  their pixels; a skin that does not load exits 1 with the
//                                  engine's message
//   skintool render SKIN SECTION STATE WIDTH HEIGHT OUT.raw
//                                  the section's item in that state as a skinned control of
//                                  that size composes it over the skin's main colour: width and
//                                  height as little-endian 32-bit numbers, then the rows
//                                  top-down as B, G, R, A bytes; an unknown section or a skin
//                                  that does not load exits 1 with a message
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <cstdio>
#include <filesystem>
#include <string>

#include "skin/engine/core/skin_info.h"
#include "skin/engine/core/skin_container.h"
#include "vcl/streams.h"

namespace fs = std::filesystem;

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: skintool pack FOLDER OUT.asz\n       skintool info FOLDER|FILE.asz\n"
                 "       skintool render FOLDER|FILE.asz SECTION STATE WIDTH HEIGHT OUT.raw\n");
    return 2;
}

bool Packable(const std::string& name)
{
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return ext == ".BMP" || ext == ".PNG" || ext == ".JPG" || ext == ".JPEG" || ext == ".TTF" || ext == ".OTF";
}

int Pack(const std::string& folder, const std::string& out)
{
    std::vector<TacPackEntry> description, bitmaps, others;
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    if (ec) throw Exception(L"Cannot read the folder " + FromUtf8(folder) + L".");
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) {
        String name = FromUtf8(n);
        if (SameText(name, SkinDescriptionName)) {
            description.push_back({SkinDescriptionName, ReadFileBytes(FromUtf8((fs::path(folder) / n).string()))});
        } else if (Packable(n)) {
            auto& group = FileTypeOfName(name) == TacFileType::ftBmp ? bitmaps : others;
            group.push_back({name, ReadFileBytes(FromUtf8((fs::path(folder) / n).string()))});
        }
    }
    if (description.empty()) throw Exception(L"The folder " + FromUtf8(folder) + L" holds no Options.dat.");
    description.insert(description.end(), bitmaps.begin(), bitmaps.end());
    description.insert(description.end(), others.begin(), others.end());
    WriteFileBytes(FromUtf8(out), WritePackedSkin(description));
    return 0;
}

TacSkinSource OpenSkin(const std::string& skin)
{
    String path = FromUtf8(skin);
    return DirectoryExists(path) ? TacSkinSource::FromFolder(path) : OpenPackedSkinFile(path);
}

int Number(const char* text, const char* what)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || v < INT32_MIN || v > INT32_MAX)
        throw Exception(FromUtf8(std::string("The ") + what + " \"" + text + "\" is not a number."));
    return int(v);
}

int Render(char** argv)
{
    const int state = Number(argv[4], "state"), width = Number(argv[5], "width"), height = Number(argv[6], "height");
    if (width > 16384 || height > 16384) throw Exception(L"The size is larger than 16384 pixels.");
    TacSkinSource source = OpenSkin(argv[2]);
    const TPixelImage image = RenderSkinSection(source, FromUtf8(argv[3]), state, width, height);
    std::vector<uint8_t> bytes;
    bytes.reserve(8 + size_t(width) * size_t(height) * 4);
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    };
    put32(uint32_t(image.Width()));
    put32(uint32_t(image.Height()));
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) put32(image.At(x, y));
    WriteFileBytes(FromUtf8(argv[7]), bytes);
    return 0;
}

int Info(const std::string& skin)
{
    TacSkinSource source = OpenSkin(skin);
    std::fputs(ToUtf8(DescribeSkin(source)).c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4 && argc != 8) return Usage();
    std::string cmd = argv[1];
    try {
        if (cmd == "pack" && argc == 4) return Pack(argv[2], argv[3]);
        if (cmd == "info" && argc == 3) return Info(argv[2]);
        if (cmd == "render" && argc == 8) return Render(argv);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", ToUtf8(e.Message()).c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skintool: %s\n", e.what());
        return 1;
    }
    return Usage();
}
