// What the painters read of a loaded skin and of the manager that owns it, without knowing
// either class: the skin data object of one PPI implements TacSkinPaintSource, and the manager's
// unit installs the resolver that leads from a manager (the one an image names, or the default
// manager) to its unscaled skin data. Read-only; no windows.h here.
#pragma once

#include "skin/engine/core/skin_records.h"

class TacSkinPaintSource {
public:
    virtual ~TacSkinPaintSource() = default;

    // ---- the skin data of this PPI ----
    // Sections (gd) and images (ma); callers check the index first (IsValid...Index).
    virtual int SectionCount() const = 0;
    virtual const TsGeneralData& Section(int index) const = 0;
    virtual int ImageCount() const = 0;
    virtual const TsMaskData& Image(int index) const = 0;
    // The PPI this data serves (96, 120, 144 or 192).
    virtual int PPI() const = 0;

    // ---- the manager that owns it ----
    // The master bitmap, where every image without a bitmap of its own lies at its R (null when none).
    virtual TPixelView MasterBitmap() const = 0;
    // The manager's 96-PPI skin data (section colours and text colours are read there); may be this.
    virtual const TacSkinPaintSource* UnscaledData() const = 0;
    // A skin is loaded and the manager is switched on.
    virtual bool IsActive() const = 0;
    // The palette's main colour (pcMainColor), an RGB TColor.
    virtual TColor GlobalColor() const = 0;
    // Section index of a constant section (SkinCommonInfo.Sections), -1 when the skin has none.
    virtual int ConstSectionIndex(TacSection section) const = 0;
    // Options of the manager that the painters honour.
    virtual bool CheckEmptyAlpha() const = 0;      // give 32-bit pictures without alpha an alpha channel
    virtual bool StdGlyphsOrder() const = 0;       // glyph strips keep the platform's cell order
    virtual bool StdImgTransparency() const = 0;   // graphic children are not clipped out of their parent

    bool IsValidSkinIndex(int index) const { return index >= 0 && index < SectionCount(); }
    bool IsValidImgIndex(int index) const { return index >= 0 && index < ImageCount(); }
};

// What the painters read of a control's skin link (the control's own colour effects and text).
class TacLinkPaintSource {
public:
    virtual ~TacLinkPaintSource() = default;
    virtual bool Skinned() const = 0;                            // a skin is in force for the control now
    virtual int SkinIndex() const = 0;                           // its section, -1 = none
    virtual const TacSkinPaintSource* SkinData() const = 0;      // the skin data of the control's PPI (nil = none)
    virtual bool CustomFont() const = 0;                         // the control keeps its own font colour
    virtual TColor ColorTone() const = 0;                        // tone of the composed image, clNone = none
    virtual int HueOffset() const = 0;                           // degrees
    virtual int Saturation() const = 0;                          // percent
    virtual TPixelView CacheBitmap() const = 0;                  // the control's cache (null when it has none)
    virtual bool OwnerHasParent() const = 0;                     // the owner control has a parent
    virtual int SectionBehind(int state) const = 0;              // section to use when the state is see-through
    virtual TColor ParentFontColor() const = 0;                  // the owner's parent's font colour
};

// From a manager to its unscaled skin data; nil asks for the default manager's. The answer is
// nil when there is no such manager or no skin data. Never call it with an image's nil Manager:
// such an image is unusable, not the default manager's.
using TacPaintSourceResolver = const TacSkinPaintSource* (*)(const TsSkinManager* manager);
inline TacPaintSourceResolver PaintSourceResolver = nullptr;

inline void SetPaintSourceResolver(TacPaintSourceResolver resolver) { PaintSourceResolver = resolver; }
inline const TacSkinPaintSource* SkinPaintSourceOf(const TsSkinManager* manager)
{
    return PaintSourceResolver ? PaintSourceResolver(manager) : nullptr;
}
// The bitmap an image lies in: its own, or its manager's master bitmap; null when unusable.
inline TPixelView ImageSourceBitmap(const TsMaskData& mask)
{
    if (mask.Bmp) return mask.Bmp->View();
    if (!mask.Manager) return {};
    const TacSkinPaintSource* source = SkinPaintSourceOf(mask.Manager);
    return source ? source->MasterBitmap() : TPixelView();
}
