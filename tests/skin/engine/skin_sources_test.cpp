// Where the manager finds a skin (folder, packed file in the skin directory, stored skins), what
// it loads from each (description, master bitmap, images, fonts), and that a skin that fails to
// load leaves the skin in use as it was, in a real process under Wine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>

#include <memory>

#include "skin/engine/core/skin_container.h"
#include "skin/engine/skin_manager.h"
#include "skins/stored_skins.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"

namespace {

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

// A manager with the program's three stored skins, looking into dir for folders and packed files.
ManagerPtr NewManager(const String& dir)
{
    ManagerPtr m(new TsSkinManager(nullptr));
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& s = ProgramStoredSkins()[i];
        TsStoredSkin& item = m->InternalSkins()->Add();
        item.Name = s.Name;
        item.PackedData.WriteBuffer(s.Data, int64_t(s.Size));
    }
    m->SetSkinDirectory(dir);
    return m;
}

std::vector<uint8_t> StoredBytes(int index)
{
    const TStoredSkinBytes& s = ProgramStoredSkins()[index];
    return std::vector<uint8_t>(s.Data, s.Data + s.Size);
}

// A fresh folder under the temporary folder, removed with the object.
struct TTempDir {
    String Path;
    TTempDir()
    {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        Path = String(tmp) + L"qw_skin_sources_" + IntToStr(int64_t(GetCurrentProcessId())) + L"\\";
        Remove();
        CreateDirectoryW(Path.c_str(), nullptr);
    }
    ~TTempDir() { Remove(); }
    void Remove()
    {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(Path), ec);
    }
    // The entries of a packed skin as a folder; the description may be replaced.
    void Unpack(const std::vector<uint8_t>& packed, const String& name, const std::string& description = "")
    {
        TacSkinConvertor c;
        ReadPackedSkin(packed.data(), packed.size(), c);
        String folder = Path + name + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteFileBytes(folder + L"Options.dat",
                       description.empty() ? *c.Options : std::vector<uint8_t>(description.begin(), description.end()));
        for (const TacFileItem& f : c.Files) WriteFileBytes(folder + f.Name, f.Data);
    }
};

// The description of a skin with one line changed.
std::vector<uint8_t> WithDescription(const std::vector<uint8_t>& packed, const std::string& extra)
{
    TacSkinConvertor c;
    ReadPackedSkin(packed.data(), packed.size(), c);
    std::vector<TacPackEntry> entries;
    std::string text(c.Options->begin(), c.Options->end());
    // The key's line replaced, or a new line at the start of GLOBALINFO.
    const std::string key = extra.substr(0, extra.find('=') + 1);
    size_t at = text.find("\n" + key);
    if (at != std::string::npos) text.replace(at + 1, text.find('\r', at) - at - 1, extra);
    else text.replace(text.find("[GLOBALINFO]\r\n") + 14, 0, extra + "\r\n");
    entries.push_back({L"Options.dat", std::vector<uint8_t>(text.begin(), text.end())});
    for (const TacFileItem& f : c.Files) entries.push_back({f.Name, f.Data});
    return WritePackedSkin(entries);
}

String Author(TsSkinManager& m) { return m.SkinCommonInfo.Author; }

}  // namespace

TEST(SkinSources, StoredSkinsByNameAndTheFallback)
{
    TTempDir dir;
    TBoxRecorder boxes;
    ManagerPtr m = NewManager(dir.Path);
    struct Case { const wchar_t* asked; const wchar_t* loaded; int masterWidth; } cases[] = {
        {L"Dark", L"Dark", 512}, {L"Light", L"Light", 512}, {L"Nope", L"Neutral", 512}, {L"dark", L"Neutral", 512},
        {L"Light.asz", L"Light", 512},
    };
    for (const Case& c : cases) {
        m->SetSkinName(c.asked);
        EXPECT_EQ(m->SkinName(), c.loaded) << c.asked;
        ASSERT_TRUE(m->IsActive()) << c.asked;
        EXPECT_TRUE(m->SkinIsPacked);
        EXPECT_EQ(m->MasterBitmap.Width(), c.masterWidth) << c.asked;
        TacSkinData* d = m->CommonSkinData(96);
        EXPECT_GT(d->ma.size(), 40u) << c.asked;
        EXPECT_TRUE(d->Notes.empty()) << c.asked << ": " << ToUtf8(d->Notes.empty() ? String() : d->Notes[0]);
        EXPECT_GE(d->MaskIndexOf(d->SkinIndexOf(L"BUTTON"), L"BORDERSMASK"), 0) << c.asked;
    }
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(SkinSources, FontsComeWithTheSkinAndGoWithIt)
{
    TTempDir dir;
    ManagerPtr m = NewManager(dir.Path);
    m->SetSkinName(L"Light");
    ASSERT_EQ(m->EmbeddedFonts.Count(), 1);
    EXPECT_EQ(m->EmbeddedFonts.Items(0).FontName, L"DejaVu Sans");
    EXPECT_EQ(m->EmbeddedFonts.Items(0).FileName, L"DejaVuSans.ttf");
    EXPECT_NE(m->EmbeddedFonts.Items(0).Handle(), nullptr);
    EXPECT_EQ(m->EmbeddedFonts.Items(0).InstalledCount(), 1u);
    m->SetSkinName(L"Dark");
    EXPECT_EQ(m->EmbeddedFonts.Count(), 0);
}

TEST(SkinSources, AFolderWinsOverAPackedFileWhichWinsOverTheStoredSkin)
{
    TTempDir dir;
    TBoxRecorder boxes;
    ManagerPtr m = NewManager(dir.Path);
    WriteFileBytes(dir.Path + L"Dark.asz", WithDescription(StoredBytes(1), "AUTHOR=Packed"));
    dir.Unpack(StoredBytes(1), L"Dark");
    // The folder's description names the author of our skins.
    m->SetSkinName(L"Dark");
    EXPECT_EQ(Author(*m), L"Qwelta");
    EXPECT_FALSE(m->SkinIsPacked);
    EXPECT_EQ(m->SkinCommonInfo.SkinPath, dir.Path + L"Dark\\");
    EXPECT_GT(m->CommonSkinData(96)->ma.size(), 40u);
    EXPECT_TRUE(m->CommonSkinData(96)->Notes.empty());

    dir.Remove();
    CreateDirectoryW(dir.Path.c_str(), nullptr);
    WriteFileBytes(dir.Path + L"Dark.asz", WithDescription(StoredBytes(1), "AUTHOR=Packed"));
    m->SetSkinName(L"Dark");
    EXPECT_EQ(Author(*m), L"Packed");
    EXPECT_TRUE(m->SkinIsPacked);
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(SkinSources, FolderNamesIgnoreCaseAndFontsLieInTheSkinFolder)
{
    TTempDir dir;
    ManagerPtr m = NewManager(dir.Path);
    // The Light skin unpacked, its master named in lower case in the description.
    TacSkinConvertor c;
    std::vector<uint8_t> light = StoredBytes(2);
    ReadPackedSkin(light.data(), light.size(), c);
    std::string text(c.Options->begin(), c.Options->end());
    text.replace(text.find("MASTERBITMAP=MASTER.PNG"), 23, "MASTERBITMAP=master.png");
    dir.Unpack(light, L"Light", text);
    // Another working directory: the font must still be found beside the skin.
    SetCurrentDirectoryW(L"C:\\");
    m->SetSkinName(L"Light");
    EXPECT_FALSE(m->SkinIsPacked);
    EXPECT_EQ(m->MasterBitmap.Width(), 512);
    ASSERT_EQ(m->EmbeddedFonts.Count(), 1);
    EXPECT_NE(m->EmbeddedFonts.Items(0).Handle(), nullptr);
    // The same lower-case name in a packed skin.
    std::vector<TacPackEntry> entries = {{L"Options.dat", std::vector<uint8_t>(text.begin(), text.end())}};
    for (const TacFileItem& f : c.Files) entries.push_back({f.Name, f.Data});
    WriteFileBytes(dir.Path + L"Light2.asz", WritePackedSkin(entries));
    m->SetSkinName(L"Light2");
    EXPECT_TRUE(m->SkinIsPacked);
    EXPECT_EQ(m->MasterBitmap.Width(), 512);
}

// Every damaged or bad skin fails with a message and leaves the skin in use as it was.
TEST(SkinSources, AFailedLoadKeepsTheSkinInUse)
{
    TTempDir dir;
    std::vector<uint8_t> dark = StoredBytes(1);
    struct Case {
        std::string what;
        std::vector<uint8_t> bytes;
        std::vector<std::string> messages;   // a part of each box's text, in order
    };
    std::vector<Case> cases = {
        {"wrong magic", std::vector<uint8_t>{'P', 'K', 3, 4, 0, 0, 0, 0, 1},
         {"not a packed Halvix file", "Internal format error in the \"Dark\" skin"}},
        {"no description", WritePackedSkin({{L"Master.bmp", {1, 2}}}), {"Internal format error"}},
        {"two descriptions", WritePackedSkin({{L"Options.dat", {'[', 'A', ']'}}, {L"OPTIONS.DAT", {'[', 'B', ']'}}}),
         {"second description"}},
        {"a button colour that is no number", WithDescription(dark, "BTNCOLOR2NORMAL=abc"), {"BTNCOLOR2NORMAL"}},
        {"a master that is no bitmap", WithDescription(dark, "MASTERBITMAP=FORMTEX.JPG"), {"FORMTEX.JPG"}},
        {"a definition that cannot be read", WithDescription(dark, "BADIMAGE=&00X4"), {"BADIMAGE"}},
    };
    // S one off in the first entry.
    for (int delta : {-1, 1}) {
        std::vector<uint8_t> b = dark;
        int32_t l = int32_t(b[8] | b[9] << 8), s = 0;
        size_t at = 12 + size_t(l);
        std::memcpy(&s, &b[at], 4);
        s += delta;
        std::memcpy(&b[at], &s, 4);
        cases.push_back({"S off by " + std::to_string(delta), b, {"damaged: entry 1 \"Options.dat\""}});
    }
    // Truncations at a spread of places, the header included.
    for (size_t n : {size_t(3), size_t(6), size_t(9), size_t(20), dark.size() / 3, dark.size() / 2, dark.size() - 1})
        cases.push_back({"cut at " + std::to_string(n), std::vector<uint8_t>(dark.begin(), dark.begin() + ptrdiff_t(n)),
                         n < 4 ? std::vector<std::string>{"not a packed", "Internal format error"}
                               : std::vector<std::string>{"damaged"}});

    ManagerPtr m = NewManager(dir.Path);
    m->SetSkinName(L"Light");
    ASSERT_EQ(m->SkinName(), L"Light");
    TacSkinData* before = m->CommonSkinData(96);
    const size_t images = before->ma.size();
    const TPixelImage master = m->MasterBitmap;
    const String description = m->SkinCommonInfo.OptionsDat.Text();
    for (const Case& c : cases) {
        WriteFileBytes(dir.Path + L"Dark.asz", c.bytes);
        TBoxRecorder boxes;
        m->SetSkinName(L"Dark");
        ASSERT_EQ(m->SkinName(), L"Light") << c.what;
        EXPECT_TRUE(m->IsActive()) << c.what;
        EXPECT_EQ(m->CommonSkinData(96), before) << c.what;
        EXPECT_EQ(before->ma.size(), images) << c.what;
        EXPECT_EQ(m->MasterBitmap.Width(), master.Width()) << c.what;
        EXPECT_TRUE(std::equal(master.Data(), master.Data() + master.Width() * master.Height(), m->MasterBitmap.Data()))
            << c.what;
        EXPECT_TRUE(m->SkinCommonInfo.OptionsDat.Text() == description) << c.what;
        EXPECT_EQ(m->EmbeddedFonts.Count(), 1) << c.what;
        ASSERT_EQ(boxes.Boxes.size(), c.messages.size()) << c.what;
        for (size_t i = 0; i < c.messages.size(); ++i)
            EXPECT_THAT(ToUtf8(boxes.Boxes[i].Text), ::testing::HasSubstr(c.messages[i])) << c.what;
    }
    // An empty stored skin is no skin either.
    DeleteFileW((dir.Path + L"Dark.asz").c_str());
    m->InternalSkins()->Items(1).PackedData.Clear();
    TBoxRecorder boxes;
    m->SetSkinName(L"Dark");
    EXPECT_EQ(m->SkinName(), L"Light");
    EXPECT_TRUE(m->SkinCommonInfo.OptionsDat.Text() == description);
    EXPECT_EQ(boxes.Boxes.size(), 1u);
}

TEST(SkinSources, BrightnessKeepsTheMasksOfTheMaster)
{
    TTempDir dir;
    ManagerPtr plain = NewManager(dir.Path);
    plain->SetSkinName(L"Dark");
    ManagerPtr bright = NewManager(dir.Path);
    bright->SetBrightness(30);
    bright->SetSkinName(L"Dark");
    const TacSkinData* d = plain->CommonSkinData(96);
    int masked = 0, brightened = 0;
    for (const TsMaskData& im : d->ma) {
        if (im.Bmp || im.MaskType < 1) continue;
        ++masked;
        const int h = im.R.Height() / 2;
        for (int y = im.R.top + h; y < im.R.bottom; ++y)
            for (int x = im.R.left; x < im.R.right; ++x)
                ASSERT_EQ(bright->MasterBitmap.At(x, y), plain->MasterBitmap.At(x, y)) << ToUtf8(im.ClassName);
        // The colour part did change.
        int changed = 0;
        for (int y = im.R.top; y < im.R.top + h; ++y)
            for (int x = im.R.left; x < im.R.right; ++x) changed += bright->MasterBitmap.At(x, y) != plain->MasterBitmap.At(x, y);
        brightened += changed > 0;
    }
    // Every masked image but the black shadow changed colour.
    EXPECT_GE(brightened, 2);
    EXPECT_GE(masked, 3);
}

TEST(SkinSources, StoredSkinsWrittenOut)
{
    TTempDir dir;
    ManagerPtr m = NewManager(dir.Path);
    TBoxRecorder boxes;
    m->ExtractInternalSkin(L"Dark", dir.Path);
    EXPECT_EQ(ReadFileBytes(dir.Path + L"Dark extracted.asz"), StoredBytes(1));
    EXPECT_TRUE(boxes.Boxes.empty());
    m->ExtractInternalSkin(L"Nope", dir.Path);
    m->ExtractInternalSkin(L"Dark", dir.Path + L"missing\\");
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Text, L"Skin does not exists.");
    EXPECT_EQ(boxes.Boxes[1].Text, L"Directory does not exists.");
    EXPECT_EQ(m->InternalSkins()->IndexOf(L"dark"), -1);
    EXPECT_EQ(m->InternalSkins()->IndexOf(L"Dark"), 1);
}

TEST(SkinSources, TheStepVariantIsUsedAsDrawn)
{
    TTempDir dir;
    ManagerPtr m = NewManager(dir.Path);
    m->SetSkinName(L"Light");
    TacSkinData* d = m->CommonSkinData(144);
    int close = d->MaskIndexOf(d->SkinIndexOf(L"GLOBALINFO"), L"BICONCLOSE");
    ASSERT_TRUE(d->IsValidImage(close));
    const TsMaskData& im = d->ma[size_t(close)];
    ASSERT_TRUE(im.Bmp);
    EXPECT_EQ(im.DivPPI, 144);
    EXPECT_EQ(im.MulPPi, 144);
    EXPECT_EQ(im.Width, 67);
    EXPECT_EQ(im.Height, 45);
    EXPECT_EQ(d->WndShadowSize, 20);   // "WSHSIZE*150" as written
}
