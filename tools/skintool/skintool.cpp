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
#include <algorithm>
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
    std::fprintf(stderr, "usage: skintool pack FOLDER OUT.asz\n       skintool info FOLDER|FILE.asz\n");
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

int Info(const std::string& skin)
{
    String path = FromUtf8(skin);
    TacSkinSource source = DirectoryExists(path) ? TacSkinSource::FromFolder(path) : OpenPackedSkinFile(path);
    std::fputs(ToUtf8(DescribeSkin(source)).c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) return Usage();
    std::string cmd = argv[1];
    try {
        if (cmd == "pack" && argc == 4) return Pack(argv[2], argv[3]);
        if (cmd == "info" && argc == 3) return Info(argv[2]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", ToUtf8(e.Message()).c_str());
        return 1;
    }
    return Usage();
}
