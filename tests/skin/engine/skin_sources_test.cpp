// Where the manager finds a skin (folder, packed file in the skin directory, stored skins), what
// it loads from each (description, master bitmap, images, fonts), and that a skin that fails to
// load leaves the skin in use as it was, in a real process under Wine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <algorithm>
#include <filesystem>
#include <tuple>

#include <memory>

#include "skin/engine/core/skin_adjust.h"
#include "skin/engine/core/skin_container.h"
#include "skin/engine/skin_manager.h"
#include "skins/stored_skins.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/skin/fixture_skin.h"

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

namespace {

bool SamePixels(const TPixelImage& a, const TPixelImage& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Data(), a.Data() + size_t(a.Width()) * size_t(a.Height()), b.Data());
}

bool SameIn(const TPixelImage& a, const TPixelImage& b, const TRect& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

bool Grey(TColor c)
{
    const uint32_t v = uint32_t(c);
    return (v & 0xFF) == ((v >> 8) & 0xFF) && (v & 0xFF) == ((v >> 16) & 0xFF);
}

struct TAdjustCase {
    int hue, saturation, brightness;
    const char* what;
};

// The pixels of one cache as they are.
std::vector<TPixelImage> CachePixels(const TacSkinData& d)
{
    std::vector<TPixelImage> out;
    for (const TacBmpData& e : d.BmpArray) out.push_back(e.Bmp ? *e.Bmp : TPixelImage());
    return out;
}

// The cache of plain (no adjustment) adjusted once by the case, as the reference. A PNG picture
// that brightening premultiplies is premultiplied after it, not at load, so it has no reference
// here (an empty image).
std::vector<TPixelImage> AdjustedOnce(const TacSkinData& plain, const TAdjustCase& c, bool composition)
{
    TacBmpArray cache;
    for (const TacBmpData& e : plain.BmpArray) {
        TacBmpData copy;
        copy.MaskType = e.MaskType;
        copy.FileName = e.FileName;
        if (e.Bmp) copy.Bmp = std::make_unique<TPixelImage>(*e.Bmp);
        cache.push_back(std::move(copy));
    }
    TPixelImage noMaster;
    TacAdjustableData target{&cache, nullptr};
    ApplyHueOffset(noMaster, {}, target, {}, c.hue);
    ApplySaturation(noMaster, target, c.saturation);
    ApplyBrightness(noMaster, {}, target, c.brightness, composition);
    std::vector<TPixelImage> out;
    for (const TacBmpData& e : cache) {
        const bool premultipliedLater = c.brightness > 0 && UpperCase(e.FileName).find(L".PNG") != String::npos;
        out.push_back(e.Bmp && !premultipliedLater ? *e.Bmp : TPixelImage());
    }
    return out;
}

}  // namespace

// Loading a second data object adjusts that object only: the first one's bitmaps, the master and
// the palette are not shifted again, and each object's bitmaps are adjusted exactly once.
TEST(SkinSources, ColourAdjustmentReachesEachDataObjectOnce)
{
    TTempDir dir;
    const TAdjustCase cases[] = {
        {120, 0, 0, "hue"}, {0, -60, 0, "saturation"}, {0, 0, 30, "brightness"}, {-90, 40, -20, "all three"},
    };
    ManagerPtr plain = NewManager(dir.Path);
    plain->SetSkinName(L"Dark");
    const TacSkinData* plain96 = plain->CommonSkinData(96);
    const TacSkinData* plain144 = plain->CommonSkinData(144);
    ASSERT_NE(plain96, plain144);
    for (const TAdjustCase& c : cases) {
        ManagerPtr m = NewManager(dir.Path);
        m->SetHueOffset(c.hue);
        m->SetSaturation(c.saturation);
        m->SetBrightness(c.brightness);
        m->SetSkinName(L"Dark");
        TacSkinData* d96 = m->CommonSkinData(96);
        const std::vector<TPixelImage> first = CachePixels(*d96);
        const TPixelImage master = m->MasterBitmap;
        const TacPalette palette = m->Palette;
        TacSkinData* d144 = m->CommonSkinData(144);
        ASSERT_NE(d96, d144) << c.what;
        const std::vector<TPixelImage> after = CachePixels(*d96);
        ASSERT_EQ(after.size(), first.size()) << c.what;
        for (size_t i = 0; i < first.size(); ++i)
            EXPECT_TRUE(SamePixels(after[i], first[i])) << c.what << ": 96-PPI bitmap " << i << " shifted again";
        EXPECT_TRUE(SamePixels(m->MasterBitmap, master)) << c.what << ": the master after the second load";
        EXPECT_FALSE(SamePixels(m->MasterBitmap, plain->MasterBitmap)) << c.what;
        for (int p = 0; p < acPaletteCount; ++p)
            EXPECT_EQ(m->Palette[size_t(p)], palette[size_t(p)]) << c.what << ": palette entry " << p;
        // Each object's bitmaps: exactly one adjustment away from the plain skin's.
        for (auto [mine, theirs, ppi] : {std::tuple{d96, plain96, 96}, std::tuple{d144, plain144, 144}}) {
            const std::vector<TPixelImage> got = CachePixels(*mine);
            const std::vector<TPixelImage> want = AdjustedOnce(*theirs, c, m->CompositionOn());
            ASSERT_EQ(got.size(), want.size()) << c.what << " at " << ppi;
            int changed = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                if (!want[i].Empty()) {
                    EXPECT_TRUE(SamePixels(got[i], want[i]))
                        << c.what << " at " << ppi << ": bitmap " << i << " " << ToUtf8(mine->BmpArray[i].Path);
                }
                changed += theirs->BmpArray[i].Bmp && !SamePixels(got[i], *theirs->BmpArray[i].Bmp);
            }
            EXPECT_GT(changed, 0) << c.what << " at " << ppi;
        }
    }
}

namespace {

// The fixture skin with title icons on texture squares of some bands; extra lines go into
// GLOBALINFO.
struct TIconSpec {
    const wchar_t* key;
    int band;
    bool close;
};
constexpr TIconSpec FixtureIcons[] = {
    {L"BICONCLOSE", 0, true}, {L"SICONCLOSE", 1, true}, {L"BICONMAX", 2, false}, {L"BICONHELP", 3, false},
    {L"SICONMIN", 4, false},
};

TRect IconRect(int band)
{
    using namespace fixture_skin;
    return TRect(TextureX(0), BandY(band), TextureX(0) + TexSize, BandY(band) + TexSize);
}

std::vector<uint8_t> FixtureWithIcons(int biKeepHue)
{
    String text = fixture_skin::OptionsText();
    String lines = L"BIKEEPHUE=" + IntToStr(biKeepHue) + L"\r\n";
    for (const TIconSpec& i : FixtureIcons) {
        const TRect r = IconRect(i.band);
        lines += String(i.key) + L"=" + fixture_skin::Rect4(L"@", r.left, r.top, r.right, r.bottom) + L"@1@0\r\n";
    }
    text.insert(text.find(L"[GLOBALINFO]\r\n") + 14, lines);
    const std::string utf8 = ToUtf8(text);
    std::vector<TacPackEntry> files = fixture_skin::Files();
    files[0].Data.assign(utf8.begin(), utf8.end());
    return WritePackedSkin(files);
}

}  // namespace

// A hue of 180 turns everything but the kept title icons ("BIKEEPHUE" 2: the close icons, 1: all
// of them, 0: none), at 96 PPI and in the rescaled icons at 144, and the 144-PPI load does not
// turn the icons the 96-PPI object keeps in the master. Saturation -100 greys the skin but the
// palette's status and tone colours.
TEST(SkinSources, KeptIconsAndStatusColoursUnderHueAndSaturation)
{
    TTempDir dir;
    struct Case {
        int hue, saturation, keepHue;
    } cases[] = {{180, 0, 0}, {180, 0, 1}, {180, 0, 2}, {0, -100, 1}};
    const int band = fixture_skin::SectionNumber(L"PANEL");
    const TRect border(fixture_skin::Margin, fixture_skin::BandY(band), fixture_skin::Margin + 3 * fixture_skin::FrameW,
                       fixture_skin::BandY(band) + fixture_skin::FrameH);
    for (const Case& c : cases) {
        const std::string what = "hue " + std::to_string(c.hue) + ", saturation " + std::to_string(c.saturation) +
                                 ", BIKEEPHUE " + std::to_string(c.keepHue);
        WriteFileBytes(dir.Path + L"Fix.asz", FixtureWithIcons(c.keepHue));
        ManagerPtr plain = NewManager(dir.Path);
        plain->SetSkinName(L"Fix");
        ASSERT_EQ(plain->SkinName(), L"Fix");
        ManagerPtr m = NewManager(dir.Path);
        m->SetHueOffset(c.hue);
        m->SetSaturation(c.saturation);
        m->SetSkinName(L"Fix");
        for (int ppi : {96, 144}) {
            const TacSkinData* got = m->CommonSkinData(ppi);
            const TacSkinData* ref = plain->CommonSkinData(ppi);
            const std::string at = what + " at " + std::to_string(ppi);
            for (const TIconSpec& icon : FixtureIcons) {
                const bool kept = c.hue != 0 && (c.keepHue == 1 || (c.keepHue == 2 && icon.close));
                const int i = got->MaskIndexOf(got->SkinIndexOf(L"GLOBALINFO"), icon.key);
                ASSERT_TRUE(got->IsValidImage(i)) << at << ": " << ToUtf8(icon.key);
                const TsMaskData& im = got->ma[size_t(i)];
                const TsMaskData& plainIm = ref->ma[size_t(i)];
                ASSERT_EQ(im.Bmp != nullptr, ppi != 96) << at << ": icons are rescaled at 144 only";
                if (ppi == 144) {
                    EXPECT_EQ(SamePixels(*im.Bmp, *plainIm.Bmp), kept) << at << ": " << ToUtf8(icon.key);
                }
                // The master holds the 96-PPI icons, also after the 144-PPI load.
                EXPECT_EQ(SameIn(m->MasterBitmap, plain->MasterBitmap, IconRect(icon.band)), kept)
                    << at << ": " << ToUtf8(icon.key) << " in the master";
            }
            // Everything else turns: a border image in the master, a section's colours.
            for (int y = border.top; y < border.bottom; ++y)
                for (int x = border.left; x < border.right; ++x) {
                    const uint32_t p = m->MasterBitmap.At(x, y);
                    if ((p & 0xFFFFFFu) == 0xFF00FFu) {
                        ASSERT_EQ(plain->MasterBitmap.At(x, y), p) << at;
                        continue;
                    }
                    ASSERT_NE(p, plain->MasterBitmap.At(x, y)) << at << ": " << x << "," << y;
                    if (c.saturation == -100) {
                        ASSERT_TRUE(Grey(TColor(p & 0xFFFFFF))) << at << ": " << x << "," << y;
                    }
                }
            const TsGenState& s = got->gd[size_t(got->SkinIndexOf(L"PANEL"))].Props[0];
            const TsGenState& plainS = ref->gd[size_t(ref->SkinIndexOf(L"PANEL"))].Props[0];
            EXPECT_NE(s.Color, plainS.Color) << at;
            if (c.saturation == -100) {
                EXPECT_TRUE(Grey(s.Color)) << at;
            }
        }
        // The palette: the listed colours turn, the status and tone colours keep theirs.
        for (TacPaletteColors p : {pcMainColor, pcBtnColor1Normal, pcBtnColor2Normal}) {
            EXPECT_NE(m->Palette[p], plain->Palette[p]) << what << ": palette entry " << int(p);
            if (c.saturation == -100) {
                EXPECT_TRUE(Grey(m->Palette[p])) << what << ": palette entry " << int(p);
            }
        }
        for (TacPaletteColors p : {pcWebTextHot, pcEditText_Ok, pcEditText_Warning, pcEditBG_Alert, pcEditBG_Ok,
                                   pcBtnToneRed, pcBtnToneBlueActive, pcBtnGreenText, pcBtnYellowTextActive})
            EXPECT_EQ(m->Palette[p], plain->Palette[p]) << what << ": palette entry " << int(p);
    }
}

namespace {

// A folder removed with the object.
struct TScratchFolder {
    String Path;   // with a trailing backslash
    explicit TScratchFolder(const String& path) : Path(path)
    {
        Remove();
        CreateDirectoryW(Path.c_str(), nullptr);
    }
    ~TScratchFolder() { Remove(); }
    void Remove()
    {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(Path), ec);
    }
    void Unpack(const std::vector<uint8_t>& packed, const String& name)
    {
        TacSkinConvertor c;
        ReadPackedSkin(packed.data(), packed.size(), c);
        const String folder = Path + name + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        WriteFileBytes(folder + L"Options.dat", *c.Options);
        for (const TacFileItem& f : c.Files) WriteFileBytes(folder + f.Name, f.Data);
    }
};

String ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    String s(path, n);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

}  // namespace

// A relative skin directory: a skin folder is looked for beside the program, a packed file
// beside the current directory.
TEST(SkinSources, ARelativeDirectoryFindsFoldersBesideTheProgramAndPackedFilesBesideTheWorkingDirectory)
{
    TTempDir work;
    const String rel = L"qw_rel_skins_" + IntToStr(int64_t(GetCurrentProcessId()));
    TScratchFolder inProgram(ProgramFolder() + rel + L"\\");
    TScratchFolder inWork(work.Path + rel + L"\\");
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(work.Path.c_str()));
    // Beside the program: the Dark folder and a Neutral packed file; beside the working
    // directory: a Light folder, a Light packed file and a Dark packed file.
    inProgram.Unpack(WithDescription(StoredBytes(1), "AUTHOR=ProgramFolder"), L"Dark");
    WriteFileBytes(inProgram.Path + L"Neutral.asz", WithDescription(StoredBytes(0), "AUTHOR=ProgramPacked"));
    inWork.Unpack(WithDescription(StoredBytes(2), "AUTHOR=WorkFolder"), L"Light");
    WriteFileBytes(inWork.Path + L"Light.asz", WithDescription(StoredBytes(2), "AUTHOR=WorkPacked"));
    WriteFileBytes(inWork.Path + L"Dark.asz", WithDescription(StoredBytes(1), "AUTHOR=WorkPackedDark"));

    TBoxRecorder boxes;
    ManagerPtr m = NewManager(rel);
    struct Case {
        const wchar_t* name;
        const wchar_t* author;
        bool packed;
        String path;
    } cases[] = {
        {L"Dark", L"ProgramFolder", false, inProgram.Path + L"Dark\\"},   // the folder wins over the working directory's file
        {L"Light", L"WorkPacked", true, String()},                       // the working directory's folder is not looked at
        {L"Neutral", L"Qwelta", true, String()},                          // nor the program's packed file: the stored skin
    };
    for (const Case& c : cases) {
        m->SetSkinName(c.name);
        EXPECT_EQ(m->SkinName(), c.name);
        EXPECT_EQ(Author(*m), c.author) << ToUtf8(c.name);
        EXPECT_EQ(m->SkinIsPacked, c.packed) << ToUtf8(c.name);
        if (!c.packed) {
            EXPECT_EQ(ToUtf8(m->SkinCommonInfo.SkinPath), ToUtf8(c.path));
        }
    }
    EXPECT_TRUE(boxes.Boxes.empty());
    SetCurrentDirectoryW(before);
}
