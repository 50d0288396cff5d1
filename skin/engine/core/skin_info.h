// A skin loaded without a manager, through the engine's own skin data object (sections, images,
// outer effects) at one PPI, and a plain-text account of it: the GLOBALINFO values, the
// sections with their parent and state colours, and every image with its section, key,
// definition, rectangle, frames and a hash of its pixels. The same skin gives the same text
// from its folder, its packed file and its stored bytes. No windows.h here.
#pragma once

#include <memory>

#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_data.h"
#include "skin/engine/core/skin_source.h"

// The owner of one skin data object: the description, master bitmap and palette of a skin
// taken from a source; system colours are fixed stand-ins.
class TacStandaloneSkin : public TacSkinDataOwner {
public:
    // Reads the description and the master bitmap; raises the engine's error when the skin has
    // no description or its master bitmap cannot be read.
    TacStandaloneSkin(const TacSkinSource& source, int ppi);
    ~TacStandaloneSkin() override;

    TacSkinData& Data() { return *FData; }
    const TPixelImage& Master() const { return FMaster; }

    TacSkinDescription& SkinDescription() override { return FInfo.OptionsDat; }
    TacSkinCommonInfo& CommonInfo() override { return FInfo; }
    TacPalette& PaletteColors() override { return FPalette; }
    const TStrings* CommonSectionLines() const override { return nullptr; }
    bool SkinIsActive() const override { return true; }
    bool ExtendedBordersOn() const override { return false; }
    int ScaleInt(int value) const override { return ScaleByScaleStep(value, FStep); }
    TacScaleMode ScaleModeValue() const override { return smVCL; }
    int CustomPpi() const override { return 96; }
    TColor SystemColor(int index) const override;
    int SystemFrameWidth() const override { return 4; }
    const TPixelImage* MasterImage() const override { return &FMaster; }
    bool BoolOption(int) const override { return false; }
    const TacSkinData* SkinData96() override { return FData.get(); }
    void InitSkinParams() override;
    void ReloadSkin(int ppi, TacSkinData& data) override;
    bool ReadSkinFile(const String& name, std::vector<uint8_t>& bytes) override { return FSource.ReadFile(name, bytes); }
    // The stand-in manager its images name (compared by the painters, never followed).
    TsSkinManager* ImageManager() override { return reinterpret_cast<TsSkinManager*>(this); }

private:
    const TacSkinSource& FSource;
    TacSkinCommonInfo FInfo;
    TacPalette FPalette{};
    TPixelImage FMaster;
    int FStep = 0;
    std::unique_ptr<TacSkinData> FData;
};

// Makes a standalone skin the one the painters read (its images' and the default manager's)
// while the scope lives; the resolver in force before comes back afterwards.
class TacStandalonePaintScope {
public:
    explicit TacStandalonePaintScope(TacStandaloneSkin& skin);
    ~TacStandalonePaintScope();
    TacStandalonePaintScope(const TacStandalonePaintScope&) = delete;
    TacStandalonePaintScope& operator=(const TacStandalonePaintScope&) = delete;

private:
    TacPaintSourceResolver FPrevious;
    TacStandaloneSkin* FPreviousSkin;
};

// The section's item as a skinned control composes it before its content (its background and
// border in that state) for a control of width x height on a plain area of the skin's main
// colour, painted from the skin at 96 PPI. Raises the engine's error when the skin does not load
// and an Exception naming the section when the skin lacks it or the size is not positive.
TPixelImage RenderSkinSection(const TacSkinSource& source, const String& section, int state, int width, int height);

// A packed skin file; an Exception when it is missing or not a container; EPackedSkinError
// when it is damaged.
TacSkinSource OpenPackedSkinFile(const String& fileName);

// Loads the skin from source and describes it. Raises the engine's error when it does not load.
String DescribeSkin(const TacSkinSource& source);

// 64-bit FNV-1a of the pixels of r in view (row by row).
uint64_t HashPixels(const TPixelView& view, const TRect& r);
