// A skin made in memory for painting tests: sections, images and a master bitmap behind the
// read-only paint source, installed as the default manager's skin while a TInstall lives.
// Images meant to lie in the master bitmap name Manager() as their manager.
#pragma once

#include <vector>

#include "skin/engine/core/skin_paint_source.h"

class TFakePaintSource : public TacSkinPaintSource {
public:
    std::vector<TsGeneralData> Sections;
    std::vector<TsMaskData> Images;
    TPixelImage Master;
    int Ppi = 96;
    bool Active = true;
    TColor MainColor = 0xC0C0C0;
    bool EmptyAlphaCheck = false;
    bool GlyphsOrder = false;
    bool ImgTransparency = false;
    const TacSkinPaintSource* Unscaled = nullptr;   // nil: this object
    int ConstSections[acSectionCount];

    TFakePaintSource()
    {
        for (int& s : ConstSections) s = -1;
    }

    // A stand-in manager pointer: only compared, never followed.
    TsSkinManager* Manager() const { return reinterpret_cast<TsSkinManager*>(const_cast<TFakePaintSource*>(this)); }

    int SectionCount() const override { return static_cast<int>(Sections.size()); }
    const TsGeneralData& Section(int index) const override { return Sections[static_cast<size_t>(index)]; }
    int ImageCount() const override { return static_cast<int>(Images.size()); }
    const TsMaskData& Image(int index) const override { return Images[static_cast<size_t>(index)]; }
    int PPI() const override { return Ppi; }
    TPixelView MasterBitmap() const override { return Master.View(); }
    const TacSkinPaintSource* UnscaledData() const override { return Unscaled ? Unscaled : this; }
    bool IsActive() const override { return Active; }
    TColor GlobalColor() const override { return MainColor; }
    int ConstSectionIndex(TacSection section) const override { return ConstSections[section]; }
    bool CheckEmptyAlpha() const override { return EmptyAlphaCheck; }
    bool StdGlyphsOrder() const override { return GlyphsOrder; }
    bool StdImgTransparency() const override { return ImgTransparency; }

    // Installs the source as the default manager's (and its own Manager()'s) for a scope.
    class TInstall {
    public:
        explicit TInstall(const TFakePaintSource* source) : FPrevious(PaintSourceResolver)
        {
            Current() = source;
            SetPaintSourceResolver(&Resolve);
        }
        ~TInstall()
        {
            SetPaintSourceResolver(FPrevious);
            Current() = nullptr;
        }
        TInstall(const TInstall&) = delete;
        TInstall& operator=(const TInstall&) = delete;

    private:
        TacPaintSourceResolver FPrevious;
    };

private:
    static const TFakePaintSource*& Current()
    {
        static const TFakePaintSource* current = nullptr;
        return current;
    }
    static const TacSkinPaintSource* Resolve(const TsSkinManager* manager)
    {
        const TFakePaintSource* c = Current();
        if (!c) return nullptr;
        return manager == nullptr || manager == c->Manager() ? c : nullptr;
    }
};
