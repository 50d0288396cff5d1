#include "skin/engine/core/skin_outer.h"

#include <algorithm>

#include "skin/engine/core/mask_notation.h"
#include "skin/graphics/colors.h"
#include "skin/graphics/gradients.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/resample.h"

namespace {

const String GlobalInfo = L"GLOBALINFO";

int ReadInt(TCustomIniFile& d, const String& key, int def, int low, int high)
{
    return std::clamp(d.ReadInteger(GlobalInfo, key, def), low, high);
}

uint32_t Opaque(TColor c) { return 0xFF000000u | (SwapRedBlue(uint32_t(c)) & 0x00FFFFFFu); }

// The colour part over a mask part: alpha of the picture as the inverted grey below it.
TPixelImage ImageOverMask(const TPixelView& picture)
{
    TPixelImage out(picture.Width, picture.Height * 2);
    for (int y = 0; y < picture.Height; ++y)
        for (int x = 0; x < picture.Width; ++x) {
            uint32_t p = picture.At(x, y);
            out.At(x, y) = p;
            uint32_t g = 255 - (p >> 24);
            out.At(x, picture.Height + y) = 0xFF000000u | g << 16 | g << 8 | g;
        }
    return out;
}

// The colour part with the inverted red byte of the mask part below as alpha.
TPixelImage PictureOfImageAndMask(const TPixelView& source, const TRect& r)
{
    const int w = r.Width(), h = r.Height() / 2;
    TPixelImage out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.At(x, y) = (source.At(r.left + x, r.top + y) & 0x00FFFFFFu) |
                           uint32_t(255 - ((source.At(r.left + x, r.top + h + y) >> 16) & 0xFF)) << 24;
    return out;
}

int AddImage(TacOuterContext& ctx, TsMaskData m, std::unique_ptr<TPixelImage> bmp, const String& fileName)
{
    if (bmp) {
        m.Bmp = bmp.get();
        m.R = bmp->Bounds();
        AddBmp(*ctx.Cache, std::move(bmp), fileName, m.MaskType, ctx.PPI, ctx.PPI, TRect(), TRect(), m.ClassName + L"-" + m.PropertyName);
    }
    ctx.Images->push_back(std::move(m));
    return int(ctx.Images->size()) - 1;
}

// A generated effect: the shadow S in the lower half, the colour part above it.
std::unique_ptr<TPixelImage> GeneratedImage(const TPixelImage& s, TColor l, TColor b, TColor r, TColor t)
{
    auto bmp = std::make_unique<TPixelImage>(s.Width(), s.Height() * 2);
    FillSideColorMask32(bmp->View(), s.Bounds(), l, b, r, t);
    CopyBlock32(bmp->View(), 0, s.Height(), s.View(), s.Bounds());
    return bmp;
}

}  // namespace

TacOutEffData ReadOuterEffect(TCustomIniFile& d, bool shadow, const std::function<int(int)>& scaleInt,
                              const std::function<TColor(TColor)>& resolveColor)
{
    const String p = shadow ? L"SH_" : L"LO_";
    auto scaled = [&](const wchar_t* key, int def, int high) { return scaleInt(ReadInt(d, p + key, def, 0, high)); };
    TacOutEffData e;
    e.ColorT = shadow ? TColor(0xFF00FF) : resolveColor(d.ReadInteger(GlobalInfo, L"LO_COLORT", 0));
    e.WidthL = ReadInt(d, p + L"WIDTHL", -1, -1, 255);
    e.WidthR = ReadInt(d, p + L"WIDTHR", -1, -1, 255);
    e.WidthT = ReadInt(d, p + L"WIDTHT", -1, -1, 255);
    e.WidthB = ReadInt(d, p + L"WIDTHB", -1, -1, 255);
    e.OffsetL = scaled(L"OFFSETL", shadow ? 3 : 2, 255);
    e.OffsetR = scaled(L"OFFSETR", shadow ? 3 : 2, 255);
    e.OffsetT = scaled(L"OFFSETT", 2, 255);
    e.OffsetB = scaled(L"OFFSETB", shadow ? 5 : 4, 255);
    e.Radius = scaled(L"RADIUS_OE", 9, 30);
    e.Blur = scaled(L"BLUR_OE", 5, 30);
    if (shadow) {
        e.ColorL = d.ReadInteger(GlobalInfo, L"SH_COLORL", 0);
    } else {
        e.ColorL = resolveColor(d.ReadInteger(GlobalInfo, L"LO_COLORL", 0xFFFFFF));
        e.ColorR = resolveColor(d.ReadInteger(GlobalInfo, L"LO_COLORR", 0xFFFFFF));
        e.ColorB = resolveColor(d.ReadInteger(GlobalInfo, L"LO_COLORB", 0xFFFFFF));
    }
    e.Opacity = ReadInt(d, p + L"OPACITY", shadow ? 60 : 200, 0, 255);
    e.Source = d.ReadInteger(GlobalInfo, p + L"SOURCE", 2);
    return e;
}

void FillSideColorMask32(const TPixelView& v, const TRect& r, TColor colorL, TColor colorB, TColor colorR, TColor colorT)
{
    const TPixelView area = v.Sub(r);
    if (area.IsNull()) return;
    if (colorB == TColor(0xFF00FF)) {
        FillBlock32(area, area.Bounds(), Opaque(colorL));
        return;
    }
    const int w = r.Width(), h = r.Height();
    FillBlock32(area, TRect(0, 0, w, h / 2), Opaque(colorB));
    FillBlock32(area, TRect(0, h / 2, w, h), Opaque(colorT));
    // The side triangles: (0, 1), (w/2 - 1, h/2), (0, h - 2) and its mirror, edges included.
    const int tipX = w / 2 - 1, tipY = h / 2;
    for (int y = 1; y <= h - 2 && y < area.Height; ++y) {
        int span;
        if (y <= tipY) span = tipY > 1 ? tipX * (y - 1) / (tipY - 1) : tipX;
        else span = (h - 2) > tipY ? tipX * (h - 2 - y) / (h - 2 - tipY) : tipX;
        if (span < 0) continue;
        for (int x = 0; x <= span && x < w; ++x) {
            area.At(x, y) = Opaque(colorL);
            if (w - 1 - x >= 0) area.At(w - 1 - x, y) = Opaque(colorR);
        }
    }
}

void LoadOuterEffectMask(TacOuterContext& ctx, TacOutEffData& e, const String& key)
{
    auto note = [&](const String& why) {
        if (ctx.Notes) ctx.Notes->push_back(L"[GLOBALINFO] " + key + L": " + why);
    };
    e.Mask = -1;
    if (e.Source == 0) {
        // no effect image
    } else if (e.Source == 1) {
        const int step = std::clamp(ctx.ScaleValue, 0, 3);
        String value;
        if (step > 0) value = UpperCase(ctx.Description->ReadString(GlobalInfo, key + ScaleStepSuffixes[step], String()));
        const bool scale = step > 0 && value.empty();
        if (value.empty()) value = UpperCase(ctx.Description->ReadString(GlobalInfo, key, String()));
        if (!value.empty()) {
            TacMaskDefinition def;
            try {
                def = ParseCanonicalMask(NormalizeMaskValue(value));
            } catch (const Exception& ex) {
                throw ESkinImageError(L"The image of key " + key + L" in section [GLOBALINFO] cannot be read: " +
                                      ex.Message() + L".");
            }
            const TPixelView master = ctx.Master ? ctx.Master->View() : TPixelView();
            const TRect& r = def.R;
            if (r.IsEmpty() || r.left < 0 || r.top < 0 || r.right > master.Width || r.bottom > master.Height) {
                note(L"the rectangle is empty or not inside the master bitmap");
            } else {
                TsMaskData m;
                m.ClassName = GlobalInfo;
                m.PropertyName = key;
                m.MaskType = int16_t(def.MaskType);
                m.DrawMode = uint16_t(std::clamp(def.DrawMode, 0, 99));
                m.ImageCount = int16_t(std::clamp(def.ImageCount, 1, 9));
                m.R = r;
                m.ImgType = TacImgType::itisaBorder;
                m.Manager = ctx.Manager;
                m.MulPPi = ctx.PPI;
                m.DivPPI = 96;
                m.WL = int16_t(std::max(0, def.WL));
                m.WT = int16_t(std::max(0, def.WT));
                m.WR = int16_t(std::max(0, def.WR));
                m.WB = int16_t(std::max(0, def.WB));
                std::unique_ptr<TPixelImage> own;
                if (scale) {
                    m.WL = int16_t(ctx.ScaleInt(m.WL));
                    m.WT = int16_t(ctx.ScaleInt(m.WT));
                    m.WR = int16_t(ctx.ScaleInt(m.WR));
                    m.WB = int16_t(ctx.ScaleInt(m.WB));
                    TPixelImage picture = m.MaskType == 1 ? PictureOfImageAndMask(master, r)
                                                          : TPixelImage(r.Width(), r.Height());
                    if (m.MaskType != 1) CopyBlock32(picture.View(), 0, 0, master, r);
                    TPixelImage scaled = ResampleImage32(picture.View(), ctx.ScaleInt(picture.Width()),
                                                         ctx.ScaleInt(picture.Height()), rfBox);
                    if (scaled.Empty()) scaled = std::move(picture);
                    own = std::make_unique<TPixelImage>(m.MaskType == 1 ? ImageOverMask(scaled.View()) : std::move(scaled));
                }
                e.Mask = own ? AddImage(ctx, std::move(m), std::move(own), L"Outer")
                             : AddImage(ctx, std::move(m), nullptr, String());
            }
        }
    } else {
        TPixelImage s = CreateShadowImage32(0, e.Radius, 0, e.OffsetT + e.OffsetB, e.OffsetL + e.OffsetR, e.Blur, true);
        if (e.WidthL == -1) e.WidthL = (s.Width() + e.OffsetL - e.OffsetR - 1) / 2;
        if (e.WidthT == -1) e.WidthT = (s.Height() + e.OffsetT - e.OffsetB - 1) / 2;
        if (e.WidthR == -1) e.WidthR = (s.Width() + e.OffsetR - e.OffsetL - 1) / 2;
        if (e.WidthB == -1) e.WidthB = (s.Height() + e.OffsetB - e.OffsetT - 1) / 2;
        TsMaskData m;
        m.ClassName = GlobalInfo;
        m.PropertyName = key;
        m.MaskType = 1;
        m.DrawMode = 1;
        m.ImageCount = 1;
        m.ImgType = TacImgType::itisaBorder;
        m.Manager = ctx.Manager;
        m.MulPPi = ctx.PPI;
        m.DivPPI = 96;
        m.WL = int16_t(e.WidthL);
        m.WT = int16_t(e.WidthT);
        m.WR = int16_t(e.WidthR);
        m.WB = int16_t(e.WidthB);
        e.Mask = AddImage(ctx, std::move(m), GeneratedImage(s, e.ColorL, e.ColorB, e.ColorR, e.ColorT), L"OuterCalc");
    }
    e.WidthL = ctx.ScaleInt(e.WidthL);
    e.WidthT = ctx.ScaleInt(e.WidthT);
    e.WidthR = ctx.ScaleInt(e.WidthR);
    e.WidthB = ctx.ScaleInt(e.WidthB);
}

int BuildSectionOuterMask(TacOuterContext& ctx, int sectionIndex, const TsGeneralData& g)
{
    const TRect& o = g.OuterOffset;
    const int l = std::max<int>(0, o.left), t = std::max<int>(0, o.top), r = std::max<int>(0, o.right),
              b = std::max<int>(0, o.bottom);
    TPixelImage s = CreateShadowImage32(g.OuterColorL, std::clamp(g.OuterRadius, 0, 60), 0, t + b, l + r,
                                        std::clamp(g.OuterBlur, 0, 60), true);
    const TColor key = 0xFF00FF;
    auto bmp = g.OuterMode == 3 ? GeneratedImage(s, g.OuterColorL, key, key, key)
                                : GeneratedImage(s, g.OuterColorL, g.OuterColorB, g.OuterColorR, g.OuterColorT);
    TsMaskData m;
    m.ClassName = g.ClassName;
    m.PropertyName = L"OUTERMASK";
    m.ImageCount = 1;
    m.MaskType = 1;
    m.DrawMode = 1;
    m.ImgType = TacImgType::itisaBorder;
    m.Manager = ctx.Manager;
    m.SkinIndex = sectionIndex;
    m.MulPPi = ctx.PPI;
    m.DivPPI = 96;
    m.WL = int16_t((bmp->Width() + o.left - o.right) / 2);
    m.WR = int16_t((bmp->Width() + o.right - o.left) / 2);
    m.WT = int16_t((s.Height() + o.top - o.bottom) / 2);
    m.WB = int16_t((s.Height() + o.bottom - o.top) / 2);
    const int index = int(ctx.Images->size());
    return AddImage(ctx, std::move(m), std::move(bmp), L"Outer" + IntToStr(index));
}
