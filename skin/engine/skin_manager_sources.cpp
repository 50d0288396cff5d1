// The skin manager's sources: a skin folder, a packed file in the skin directory, the stored
// skins; the master bitmap, the skin's fonts, the colour adjustment of a loaded data object,
// stored skins written out as files, and keeping the previous skin when a load fails.
#include <windows.h>

#include "skin/engine/core/general.h"
#include "skin/engine/core/skin_adjust.h"
#include "skin/engine/core/skin_rescale.h"
#include "skin/engine/core/skin_scaling.h"
#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/graphics/colors.h"

namespace {

const String GlobalInfo = L"GLOBALINFO";

String InternalFormatErrorText(const String& name)
{
    return L"Internal format error in the \"" + name + L"\" skin. Please, update this skin to latest version.";
}

// Palette colours that hue and saturation turn (status and tone colours keep theirs).
constexpr TacPaletteColors AdjustedPaletteColors[] = {
    pcMainColor, pcLabelText, pcWebText, pcEditText, pcEditBG, pcSelectionBG, pcSelectionText, pcSelectionBG_Focused,
    pcSelectionText_Focused, pcEditBG_Inverted, pcEditText_Inverted, pcEditBG_OddRow, pcEditBG_EvenRow,
    pcBtnColor1Active, pcBtnColor2Active, pcBtnBorderActive, pcBtnFontActive, pcBtnColor1Normal, pcBtnColor2Normal,
    pcBtnBorderNormal, pcBtnFontNormal, pcBtnColor1Pressed, pcBtnColor2Pressed, pcBtnBorderPressed, pcBtnFontPressed,
    pcBorder, pcGrid, pcHintBG, pcHintText};

}  // namespace

bool TsSkinManager::ReadSkinFile(const String& name, std::vector<uint8_t>& bytes)
{
    return FSource && FSource->ReadFile(name, bytes);
}

bool TsSkinManager::CompositionOn() const { return IsDesktopCompositionOn(); }

bool TsSkinManager::InitSkinSources()
{
    // A skin folder: "Options.dat" and the files it names.
    const String folderDescription = SkinCommonInfo.SkinPath + SkinDescriptionName;
    if (FileExists(folderDescription)) {
        FSource = std::make_unique<TacSkinSource>(TacSkinSource::FromFolder(SkinCommonInfo.SkinPath));
        SkinCommonInfo.OptionsDat.SetText(SkinDescriptionText(ReadFileBytes(folderDescription)));
        SkinFile = &SkinCommonInfo.OptionsDat;
        return true;
    }
    // A packed file in the skin directory, as written (not resolved against the program folder).
    const String packedFile = EnsureTrailingBackslash(FSkinDirectory) + FSkinName + L".asz";
    if (FileExists(packedFile)) {
        std::vector<uint8_t> bytes = ReadFileBytes(packedFile);
        UsePackedSkin(bytes.data(), bytes.size());
        return true;
    }
    // The stored skins: the one of this name, else the first (whose name SkinName takes).
    SkinCommonInfo.SkinPath.clear();
    int index = FInternalSkins.IndexOf(FSkinName);
    if (index < 0) {
        if (FInternalSkins.Count() == 0) {
            FActive = false;
            return false;
        }
        index = 0;
        FSkinName = FInternalSkins.Items(0).Name;
    }
    const TsStoredSkin& stored = FInternalSkins.Items(index);
    // An empty item has nothing to load: the skin in use stays (never the old description
    // under the new name).
    if (stored.PackedData.Bytes().empty()) throw Exception(InternalFormatErrorText(FSkinName));
    UsePackedSkin(stored.PackedData.Bytes().data(), stored.PackedData.Bytes().size());
    return true;
}

void TsSkinManager::UsePackedSkin(const uint8_t* data, size_t size)
{
    bool notPacked = false;
    auto source = std::make_unique<TacSkinSource>(TacSkinSource::FromPacked(data, size, &notPacked));
    if (notPacked) {
        // Plain system boxes while the reader speaks: no skinned dialog over a skin being replaced.
        const bool dialogs = (FSkinningRules & srStdDialogs) != 0;
        const bool sysColors = FOptions->ChangeSysColors();
        FSkinningRules &= ~srStdDialogs;
        FOptions->SetChangeSysColors(false);
        ShowMessageBox(NotPackedSkinText, mtError, mbOK);
        if (dialogs) FSkinningRules |= srStdDialogs;
        FOptions->SetChangeSysColors(sysColors);
    }
    auto description = source->Description();
    if (!description) throw Exception(InternalFormatErrorText(FSkinName));
    FSource = std::move(source);
    SkinIsPacked = true;
    SkinCommonInfo.OptionsDat.SetText(SkinDescriptionText(*description));
    SkinFile = &SkinCommonInfo.OptionsDat;
}

void TsSkinManager::LoadMasterBitmap()
{
    MasterBitmap = TPixelImage();
    const String name = SkinCommonInfo.OptionsDat.ReadString(GlobalInfo, L"MASTERBITMAP", String());
    std::vector<uint8_t> bytes;
    // A missing master leaves it empty; one that cannot be decoded fails the load.
    if (!name.empty() && ReadSkinFile(name, bytes)) MasterBitmap = DecodeMasterBitmap(name, bytes);
}

void TsSkinManager::LoadFonts()
{
    EmbeddedFonts.Clear();
    TacSkinDescription& d = SkinCommonInfo.OptionsDat;
    // A skin names a few fonts; a count beyond reason is cut.
    const int count = std::clamp(d.ReadInteger(GlobalInfo, L"FontCount", 0), 0, 64);
    if (FSource && FSource->IsPacked()) {
        for (const TacFileItem* f : FSource->FontEntries()) {
            TacEmbeddedFont& item = EmbeddedFonts.Add();
            item.FontData.WriteBuffer(f->Data.data(), static_cast<int64_t>(f->Data.size()));
            for (int i = 0; i < count; ++i)
                if (d.ReadString(GlobalInfo, L"FontFile" + IntToStr(i), String()) == f->Name) {
                    item.FontName = d.ReadString(GlobalInfo, L"FontName" + IntToStr(i), String());
                    break;
                }
            item.FileName = ExtractFileName(f->Name);
            item.LoadFont();
        }
        return;
    }
    if (d.Empty()) return;
    for (int i = 0; i < count; ++i) {
        const String file = d.ReadString(GlobalInfo, L"FontFile" + IntToStr(i), String());
        const String name = d.ReadString(GlobalInfo, L"FontName" + IntToStr(i), String());
        TacEmbeddedFont& item = EmbeddedFonts.Add();
        // A relative name lies in the skin's folder (not in the working directory).
        const String path = file.find(L':') != String::npos ? file : SkinCommonInfo.SkinPath + file;
        if (file.empty() || !FileExists(path)) continue;
        item.FileName = file;
        item.FontName = name;
        item.FontData.LoadFromFile(path);
        item.LoadFont();
    }
}

void TsSkinManager::ApplyColorAdjustments(TacSkinData& data, bool wholePalette)
{
    if (FHueOffset == 0 && FSaturation == 0 && FBrightness == 0) return;
    TacAdjustableData target{&data.BmpArray, &data.gd};
    // The main and the text colour are read afresh by every object's load; the rest of a
    // palette kept from an earlier load is adjusted already.
    static constexpr TacPaletteColors ReadAgain[] = {pcMainColor, pcLabelText};
    auto eachColor = [&](auto&& f) {
        SkinCommonInfo.Shadow1Color = f(SkinCommonInfo.Shadow1Color);
        if (wholePalette)
            for (TacPaletteColors c : AdjustedPaletteColors) Palette[c] = f(Palette[c]);
        else
            for (TacPaletteColors c : ReadAgain) Palette[c] = f(Palette[c]);
    };
    if (FHueOffset != 0) {
        // Title icons that keep their hue: the loading object's own bitmaps, and where the icons
        // of every object lie in the master. The master is loaded afresh with each object and
        // shared by all, so an object drawing its icons from it (96 PPI) must keep them there
        // also when a later object rescaled its own into bitmaps of their own.
        std::vector<TRect> keptRects;
        std::vector<const TPixelImage*> keptBitmaps;
        std::vector<const TacSkinData*> objects;
        for (const auto& object : SkinDataArray)
            if (object) objects.push_back(object.get());
        if (std::find(objects.begin(), objects.end(), &data) == objects.end()) objects.push_back(&data);
        for (const TacSkinData* object : objects)
            for (const String& key : KeptTitleIconKeys(SkinCommonInfo.BIKeepHUE)) {
                int i = object->MaskIndexOf(SkinCommonInfo.IndexGlobalInfo, key);
                if (!object->IsValidImage(i)) continue;
                const TsMaskData& m = object->ma[static_cast<size_t>(i)];
                if (!m.Bmp) {
                    keptRects.push_back(m.R);
                    continue;
                }
                if (object == &data) keptBitmaps.push_back(m.Bmp);
                // A part of the master rescaled: where it was taken from.
                for (const TacBmpData& e : object->BmpArray)
                    if (e.Bmp.get() == m.Bmp && e.FileName.empty() && !e.SrcRect.IsEmpty()) keptRects.push_back(e.SrcRect);
            }
        ApplyHueOffset(MasterBitmap, keptRects, target, keptBitmaps, FHueOffset);
        eachColor([&](TColor c) { return TColor(ShiftHue(FHueOffset, uint32_t(c))); });
    }
    if (FSaturation != 0) {
        ApplySaturation(MasterBitmap, target, FSaturation);
        const int v = std::clamp(FSaturation * 255 / 100, -255, 255);
        eachColor([&](TColor c) { return TColor(ChangeSaturation(uint32_t(c), v)); });
    }
    if (FBrightness != 0) {
        std::vector<const std::vector<TsMaskData>*> masterImages;
        for (const auto& object : SkinDataArray)
            if (object) masterImages.push_back(&object->ma);
        if (std::find(masterImages.begin(), masterImages.end(), &data.ma) == masterImages.end())
            masterImages.push_back(&data.ma);
        ApplyBrightness(MasterBitmap, masterImages, target, FBrightness, CompositionOn());
    }
}

// ---- a failed load keeps the skin in use ---------------------------------------------------------

bool TsSkinManager::RebuildSkinData()
{
    // The new skin is built aside: a load that fails puts the previous one back whole.
    TacSkinBackup backup = BackUpSkin();
    String error;
    try {
        ResetSkinData();
        BuildSkinData();
        return true;
    } catch (const Exception& e) {
        error = e.Message();
    } catch (const std::exception& e) {
        error = FromUtf8(e.what());
    }
    RestoreSkin(backup);
    ShowErrorBox(error);
    return false;
}

TsSkinManager::TacSkinBackup TsSkinManager::BackUpSkin()
{
    TacSkinBackup b;
    b.Data = std::move(SkinDataArray);
    SkinDataArray.clear();
    b.Master = std::move(MasterBitmap);
    MasterBitmap = TPixelImage();
    b.Description = SkinCommonInfo.OptionsDat.Text();
    b.Source = std::move(FSource);
    b.Fonts = std::move(EmbeddedFonts);
    EmbeddedFonts = TacEmbeddedFonts();
    b.Palette = Palette;
    b.Packed = SkinIsPacked;
    b.Active = FActive;
    b.CommonActive = SkinCommonInfo.Active;
    b.Sections = SkinCommonInfo.Sections;
    b.IndexGlobalInfo = SkinCommonInfo.IndexGlobalInfo;
    b.SkinPath = SkinCommonInfo.SkinPath;
    b.Version = SkinCommonInfo.Version;
    b.Author = SkinCommonInfo.Author;
    b.SkinDescriptionText = SkinCommonInfo.Description;
    b.MainFont = SkinCommonInfo.MainFont;
    b.Shadow1Color = SkinCommonInfo.Shadow1Color;
    b.BIKeepHUE = SkinCommonInfo.BIKeepHUE;
    return b;
}

void TsSkinManager::RestoreSkin(TacSkinBackup& b)
{
    SkinDataArray = std::move(b.Data);
    MasterBitmap = std::move(b.Master);
    SkinCommonInfo.OptionsDat.SetText(b.Description);
    FSource = std::move(b.Source);
    // The fonts of the failed skin go; the previous ones stay installed.
    EmbeddedFonts = std::move(b.Fonts);
    Palette = b.Palette;
    SkinIsPacked = b.Packed;
    FActive = b.Active;
    SkinCommonInfo.Active = b.CommonActive;
    SkinCommonInfo.Sections = b.Sections;
    SkinCommonInfo.IndexGlobalInfo = b.IndexGlobalInfo;
    SkinCommonInfo.SkinPath = b.SkinPath;
    SkinCommonInfo.Version = b.Version;
    SkinCommonInfo.Author = b.Author;
    SkinCommonInfo.Description = b.SkinDescriptionText;
    SkinCommonInfo.MainFont = b.MainFont;
    SkinCommonInfo.Shadow1Color = b.Shadow1Color;
    SkinCommonInfo.BIKeepHUE = b.BIKeepHUE;
    SkinFile = &SkinCommonInfo.OptionsDat;
}

// ---- one image at a PPI ------------------------------------------------------------------------

int TsSkinManager::GetScaledMaskData(const String& sectionName, const String& propName, TsMaskData& maskData,
                                     std::unique_ptr<TPixelImage>& bmp, int mulPpi)
{
    bmp.reset();
    if (!IsActive()) return -1;
    const auto [value, divPpi] = ChooseScaledMaskVariant(propName, mulPpi, [&](const String& key) {
        return SkinCommonInfo.OptionsDat.ReadString(sectionName, key, String());
    });
    TacMaskDefinition def;
    if (value.empty() || !ReadMaskValue(value, def)) return -1;
    // The picture: a part of the master, or the image's own file.
    TPixelImage own;
    const TPixelImage* picture = &MasterBitmap;
    if (!def.FileName.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadSkinFile(def.FileName, bytes)) return -1;
        try {
            own = DecodeSkinImage(def.FileName, bytes);
        } catch (const Exception&) {
            return -1;
        }
        picture = &own;
    }
    TacScaledMaskPlan plan;
    if (!PlanScaledMask(def, TSize(picture->Width(), picture->Height()), plan)) return -1;
    auto part = std::make_unique<TPixelImage>(plan.Source.Width(), plan.Source.Height());
    for (int y = 0; y < part->Height(); ++y)
        for (int x = 0; x < part->Width(); ++x) part->At(x, y) = picture->At(plan.Source.left + x, plan.Source.top + y);
    TsMaskData m;
    m.PropertyName = propName;
    m.ClassName = sectionName;
    m.SkinIndex = 0;
    m.ImageCount = int16_t(plan.Def.ImageCount);
    m.MaskType = int16_t(plan.Def.MaskType);
    m.ImgType = plan.Def.ImgType;
    m.DrawMode = uint16_t(plan.Def.DrawMode);
    m.WL = int16_t(plan.Def.WL), m.WT = int16_t(plan.Def.WT), m.WR = int16_t(plan.Def.WR), m.WB = int16_t(plan.Def.WB);
    m.Manager = this;
    m.DivPPI = divPpi;
    m.MulPPi = mulPpi;
    m.Bmp = part.get();
    m.R = part->Bounds();
    m.Width = plan.FrameWidth;
    m.Height = plan.FrameHeight;
    if (mulPpi != divPpi && !(plan.Def.DrawMode & 8)) {
        const bool keepKey = m.ImgType == TacImgType::itisaTexture || m.ImgType == TacImgType::itisaGlow;
        std::unique_ptr<TPixelImage> scaled;
        if (RescaleSkinImage(m, part->View(), keepKey, Palette[pcMainColor], scaled)) part = std::move(scaled);
    }
    if (m.ImgType == TacImgType::itisaBorder) m.Cfg |= CornerKeyTest(m, part->View(), -1);
    maskData = m;
    bmp = std::move(part);
    return mulPpi;
}

// ---- stored skins written out ------------------------------------------------------------------

void TsSkinManager::ExtractInternalSkin(const String& nameOfSkin, const String& destDir)
{
    bool found = false;
    for (int i = 0; i < FInternalSkins.Count(); ++i) {
        if (FInternalSkins.Items(i).Name != nameOfSkin) continue;
        found = true;
        if (DirectoryExistsQuiet(destDir)) ExtractByIndex(i, destDir);
        else ShowErrorBox(L"Directory does not exists.");
    }
    if (!found) ShowErrorBox(L"Skin does not exists.");
}

void TsSkinManager::ExtractByIndex(int index, const String& destDir)
{
    const String d = EnsureTrailingBackslash(destDir);
    if (!DirectoryExistsQuiet(d) && !CreateDirectoryW(d.c_str(), nullptr)) {
        ShowErrorBox(d + L" directory creation error.");
        return;
    }
    const TsStoredSkin& s = FInternalSkins.Items(index);
    WriteFileBytes(d + s.Name + L" extracted.asz", s.PackedData.Bytes());
}
