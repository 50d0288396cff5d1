// A manager stand-in for loading skin descriptions without windows: it holds the description,
// the palette, the common sections and the scaling a real manager would, and loads a text
// into data objects of any PPI.
#pragma once

#include <memory>

#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_data.h"

class TFakeSkinOwner : public TacSkinDataOwner {
public:
    TacSkinCommonInfo Info;
    TacPalette Pal{};
    TStringList Common;
    TPixelImage Master;
    bool Active = true;
    bool ExtBorders = false;
    TacScaleMode Mode = smVCL;
    int Custom = 96;
    int Step = 0;          // the manager's own scale step (ScaleInt)
    int FrameWidth = 4;
    std::unique_ptr<TacSkinData> Data96;
    std::unique_ptr<TacSkinData> Other;

    // System colours: distinct, recognisable values.
    static TColor Sys(int index) { return 0x010000 * index + 0x000100 * index + 7; }

    // Loads text at 96 PPI, and at ppi as a second object when it differs.
    TacSkinData& Load(const String& text, int ppi = 96)
    {
        Info.OptionsDat.SetText(text);
        ReadGlobalInfo(Info.OptionsDat, Info);
        Other.reset();
        Data96 = std::make_unique<TacSkinData>(this, 96);
        Data96->Init();
        if (ppi == 96) return *Data96;
        Other = std::make_unique<TacSkinData>(this, ppi);
        Other->Init();
        return *Other;
    }

    TacSkinDescription& SkinDescription() override { return Info.OptionsDat; }
    TacSkinCommonInfo& CommonInfo() override { return Info; }
    TacPalette& PaletteColors() override { return Pal; }
    const TStrings* CommonSectionLines() const override { return &Common; }
    bool SkinIsActive() const override { return Active; }
    bool ExtendedBordersOn() const override { return ExtBorders; }
    int ScaleInt(int value) const override
    {
        if (Mode == smCustomPPI) return value * Custom / 96;
        if (Mode == smOldMode) return value;
        return ScaleByScaleStep(value, Step);
    }
    TacScaleMode ScaleModeValue() const override { return Mode; }
    int CustomPpi() const override { return Custom; }
    TColor SystemColor(int index) const override { return Sys(index); }
    int SystemFrameWidth() const override { return FrameWidth; }
    const TPixelImage* MasterImage() const override { return &Master; }
    bool BoolOption(int) const override { return false; }
    const TacSkinData* SkinData96() override { return Data96.get(); }
    void InitSkinParams() override { BuildPalette(Pal, Info.OptionsDat, Data96.get(), &Sys); }
    void ReloadSkin(int, TacSkinData& data) override { data.LoadFromDescription(); }
};
