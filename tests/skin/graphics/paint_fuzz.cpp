// Fuzz target of the painting core: random images, image records, rectangles, gradients and
// backgrounds through the nine-slice, tile, copy, gradient and resampling routines. The
// destination is a view inside a guard band, and every routine that paints a target rectangle
// must leave every pixel outside it as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/alpha_compose.h"
#include "skin/graphics/alpha_ops.h"
#include "skin/graphics/blend_ops.h"
#include "skin/graphics/gradients.h"
#include "skin/graphics/image_modes.h"
#include "skin/graphics/item_paint.h"
#include "skin/graphics/nine_slice.h"
#include "skin/graphics/pixel_copy.h"
#include "skin/graphics/resample.h"
#include "tests/skin/fake_paint_source.h"

namespace {

constexpr int Guard = 4;
constexpr uint32_t GuardPixel = 0x5A5AA5A5u;

uint32_t AnyPixel(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return 0x00FF00FFu;   // the key
    case 1: return 0xFF000000u | in.ConsumeIntegral<uint32_t>();
    default: return in.ConsumeIntegral<uint32_t>();
    }
}

TPixelImage AnyImage(FuzzedDataProvider& in, int maxSide)
{
    TPixelImage img(in.ConsumeIntegralInRange(0, maxSide), in.ConsumeIntegralInRange(0, maxSide));
    const uint32_t a = AnyPixel(in), b = AnyPixel(in);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) img.At(x, y) = in.ConsumeBool() ? a : b;
    return img;
}

int Coord(FuzzedDataProvider& in) { return in.ConsumeIntegralInRange(-40, 80); }
TRect AnyRect(FuzzedDataProvider& in) { return TRect(Coord(in), Coord(in), Coord(in), Coord(in)); }

TsMaskData AnyMask(FuzzedDataProvider& in, const TFakePaintSource& skin, TPixelImage* own)
{
    TsMaskData m;
    m.Manager = in.ConsumeIntegralInRange(0, 9) ? skin.Manager() : nullptr;
    m.Bmp = in.ConsumeBool() ? own : nullptr;
    m.R = AnyRect(in);
    m.ImageCount = int16_t(in.ConsumeIntegralInRange(-1, 5));
    m.MaskType = int16_t(in.ConsumeIntegralInRange(-1, 2));
    m.DrawMode = in.ConsumeIntegral<uint16_t>();
    m.WL = int16_t(in.ConsumeIntegralInRange(-5, 40));
    m.WT = int16_t(in.ConsumeIntegralInRange(-5, 40));
    m.WR = int16_t(in.ConsumeIntegralInRange(-5, 40));
    m.WB = int16_t(in.ConsumeIntegralInRange(-5, 40));
    m.Width = in.ConsumeIntegralInRange(-5, 50);
    m.Height = in.ConsumeIntegralInRange(-5, 50);
    m.Cfg = in.ConsumeIntegralInRange(0, 3);
    return m;
}

TCacheInfo AnyBackground(FuzzedDataProvider& in, const TPixelImage& parent, const TPixelView& dest)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return EmptyCacheInfo;
    case 1: return BuildCacheInfo(parent.View(), Coord(in), Coord(in));
    case 2: return BuildCacheInfo(dest, Coord(in), Coord(in));
    default: {
        TCacheInfo c;
        c.FillColor = TColor(in.ConsumeIntegral<uint32_t>() & 0xFFFFFF);
        return c;
    }
    }
}

TsGradArray AnyGradient(FuzzedDataProvider& in)
{
    TsGradArray g(in.ConsumeIntegralInRange<size_t>(0, 6));
    for (auto& p : g) {
        p.Mode = int32_t(in.ConsumeIntegralInRange(0, 3));   // no line-brush bands: the core alone
        p.Color.C = in.ConsumeIntegral<uint32_t>();
        p.Percent = uint8_t(in.ConsumeIntegralInRange(0, 100));
    }
    return g;
}

// A section of any values, its image indexes anywhere around the skin's images.
TsGeneralData AnySection(FuzzedDataProvider& in, int images)
{
    auto index = [&] { return in.ConsumeIntegralInRange(-2, images + 1); };
    TsGeneralData g;
    g.States = in.ConsumeIntegralInRange(-2, 5);
    for (TsGenState& st : g.Props) {
        st.Color = TColor(in.ConsumeIntegral<uint32_t>() & 0xFFFFFF);
        st.Transparency = in.ConsumeIntegralInRange(-10, 120);
        st.ImagePercent = in.ConsumeIntegralInRange(-10, 120);
        st.GradientPercent = in.ConsumeIntegralInRange(-10, 120);
        st.TextureIndex = index();
        st.GradientArray = AnyGradient(in);
        if (!st.GradientArray.empty() && in.ConsumeBool()) st.GradientArray[0].Mode |= 0x20;
    }
    g.BorderIndex = index();
    g.ImgTL = index();
    g.ImgTR = index();
    g.ImgBL = index();
    g.ImgBR = index();
    return g;
}

// Every pixel outside `allowed` (view coordinates) and the whole guard band still as before.
void CheckOutside(const TPixelImage& before, const TPixelImage& after, const TRect& allowed)
{
    for (int y = 0; y < after.Height(); ++y)
        for (int x = 0; x < after.Width(); ++x) {
            const bool inside = allowed.Contains(TPoint(x - Guard, y - Guard)) && x >= Guard && y >= Guard &&
                                x < after.Width() - Guard && y < after.Height() - Guard;
            if (!inside && before.At(x, y) != after.At(x, y)) abort();
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    TFakePaintSource skin;
    skin.Master = AnyImage(in, 48);
    TPixelImage own = AnyImage(in, 32);
    TPixelImage parent = AnyImage(in, 40);
    TFakePaintSource::TInstall install(&skin);

    const int w = in.ConsumeIntegralInRange(1, 40), h = in.ConsumeIntegralInRange(1, 40);
    TPixelImage canvas(w + 2 * Guard, h + 2 * Guard, GuardPixel);
    const TPixelView dest = canvas.View().Sub(TRect(Guard, Guard, Guard + w, Guard + h));
    FillBlock32(dest, dest.Bounds(), AnyPixel(in));
    const TPixelImage before = canvas;

    const TRect r = AnyRect(in);
    const TRect all = dest.Bounds();
    switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0: {
        const TsMaskData m = AnyMask(in, skin, &own);
        DrawSkinMask32(dest, r, AnyBackground(in, parent, dest), m, in.ConsumeIntegralInRange(-2, 6), in.ConsumeBool());
        CheckOutside(before, canvas, r);
        break;
    }
    case 1: {
        const TsMaskData m = AnyMask(in, skin, &own);
        TRect left = r;
        DrawImageByMode32(dest, left, m, in.ConsumeIntegralInRange(0, 15));
        CheckOutside(before, canvas, r);
        break;
    }
    case 2: {
        const TsMaskData m = AnyMask(in, skin, &own);
        TRect left = r;
        DrawMaskedImageByMode32(dest, left, AnyBackground(in, parent, dest), m, in.ConsumeBool() ? 0 : 10);
        CheckOutside(before, canvas, r);
        break;
    }
    case 3: {
        const TsMaskData m = AnyMask(in, skin, &own);
        const TPoint p(Coord(in), Coord(in));
        DrawMaskState32(dest, p, in.ConsumeIntegralInRange(-2, 6), in.ConsumeIntegralInRange(0, 2), m,
                        AnyBackground(in, parent, dest));
        CheckOutside(before, canvas, TRect(p.x, p.y, p.x + std::max(m.Width, 0), p.y + std::max(m.Height, 0)));
        break;
    }
    case 4: {
        const TsGradArray g = AnyGradient(in);
        PaintGradient32(dest, r, g);
        CheckOutside(before, canvas, r);
        break;
    }
    case 5: {
        const TsGradArray g = AnyGradient(in);
        PaintTexturedGradient32(dest, r, g, own.View(), AnyRect(in), in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>());
        CheckOutside(before, canvas, r);
        break;
    }
    case 6: {
        const int dw = in.ConsumeIntegralInRange(-2, 60), dh = in.ConsumeIntegralInRange(-2, 60);
        const TPoint p(Coord(in), Coord(in));
        StretchComposeAt32(dest, p.x, p.y, dw, dh, own.View(), Coord(in), Coord(in), Coord(in), Coord(in), 255);
        CheckOutside(before, canvas, TRect(p.x, p.y, p.x + std::max(dw, 0), p.y + std::max(dh, 0)));
        break;
    }
    case 7: {
        const TRect s = AnyRect(in);
        BlitNineSlice(dest, own.View(), r, s, AnyRect(in), AnyRect(in), AnyRect(in), in.ConsumeBool(), in.ConsumeBool());
        CheckOutside(before, canvas, r);
        break;
    }
    case 8: {
        const TPixelImage scaled = ResampleImage32(own.View(), in.ConsumeIntegralInRange(-2, 50),
                                                   in.ConsumeIntegralInRange(-2, 50), in.ConsumeIntegralInRange(-1, 7));
        CopyBlock32(dest, r.left, r.top, scaled.View(), scaled.Bounds());
        CheckOutside(before, canvas, all);
        break;
    }
    case 9: {
        const TsMaskData m = AnyMask(in, skin, &own);
        CopyMaskedTile32(r, AnyRect(in), dest, AnyBackground(in, parent, dest), m);
        CheckOutside(before, canvas, r);
        break;
    }
    case 10: {
        const TsMaskData m = AnyMask(in, skin, &own);
        skin.Images.assign(1, m);
        FillTransPixels32(dest, parent.View(), r, TPoint(Coord(in), Coord(in)), in.ConsumeBool() ? 0 : -1, &skin,
                          in.ConsumeIntegralInRange(13, 17));
        CheckOutside(before, canvas, r);
        break;
    }
    case 11: {
        const TsMaskData m = AnyMask(in, skin, &own);
        const TRect s = AnyRect(in);
        CopyMaskedRect32(r, s, dest, own.View(), AnyBackground(in, parent, dest), in.ConsumeBool(), m);
        CopyKeyedRect32(dest, own.View(), Coord(in), Coord(in), s, 0x00FF00FFu, AnyBackground(in, parent, dest), in.ConsumeBool());
        MixRectAt32(dest, own.View(), in.ConsumeIntegral<uint8_t>(), s, TPoint(Coord(in), Coord(in)));
        ComposeRectAt32(dest, own.View(), s, TPoint(Coord(in), Coord(in)), in.ConsumeIntegral<uint8_t>());
        BlendRectAt32(dest, Coord(in), Coord(in), own.View(), s, in.ConsumeIntegralInRange(0, 300), 0x00FF00FFu);
        CopyRectAlpha32(r, s, dest, own.View(), AnyBackground(in, parent, dest), in.ConsumeBool(), clNone,
                        in.ConsumeIntegralInRange(0, 100), in.ConsumeBool());
        DrawReflection32(dest, own.View(), TPoint(Coord(in), Coord(in)), s, clFuchsia, in.ConsumeIntegralInRange(0, 100));
        const TPoint corners[3] = {{Coord(in), Coord(in)}, {Coord(in), Coord(in)}, {Coord(in), Coord(in)}};
        AffineBlit32(dest, own.View(), corners);
        CheckOutside(before, canvas, all);
        break;
    }
    case 12: {
        // The item painters over random sections: nothing outside the rectangle.
        for (int i = in.ConsumeIntegralInRange(0, 4); i > 0; --i) skin.Images.push_back(AnyMask(in, skin, &own));
        for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i)
            skin.Sections.push_back(AnySection(in, int(skin.Images.size())));
        const int section = in.ConsumeIntegralInRange(-1, int(skin.Sections.size()));
        const TCacheInfo bg = AnyBackground(in, parent, dest);
        const TPoint p(Coord(in), Coord(in));
        const int state = in.ConsumeIntegralInRange(-3, 6);
        switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0:
            PaintItem(section, bg, state, r, p, dest, &skin, in.ConsumeIntegralInRange(-2, 5),
                      in.ConsumeIntegralInRange(-2, 5));
            break;
        case 1:
            PaintItemBG(section, bg, state, r, p, dest, &skin, -1, in.ConsumeIntegralInRange(-2, 5),
                        in.ConsumeBool() ? acSkinColor : TColor(0x123456));
            break;
        case 2:
            PaintControlItem(section, bg, state, r, p, dest, &skin, in.ConsumeBool() ? acSkinColor : TColor(0x123456),
                             in.ConsumeBool());
            break;
        case 3: {
            // Without colour effects (they cover the whole bitmap by design).
            TacItemLook look;
            if (in.ConsumeBool()) look.CustomColor = 0x654321;
            PaintSkinDataItem(section, bg, state, r, p, dest, &skin, look, in.ConsumeBool());
            break;
        }
        default: PaintSectionFrame(section, bg, state, r, p, dest, &skin, acSkinColor, in.ConsumeBool()); break;
        }
        CheckOutside(before, canvas, r);
        break;
    }
    case 14: {
        // The nine slices of layered pictures and outer effects: nothing outside the rectangle.
        const TsMaskData m = AnyMask(in, skin, &own);
        const int state = in.ConsumeIntegralInRange(-2, 6);
        if (in.ConsumeBool())
            DrawSkinMaskLayered32(dest, r, AnyBackground(in, parent, dest), m, state);
        else
            DrawSkinMaskBlended32(dest, r, AnyBackground(in, parent, dest), m, state, AnyRect(in),
                                  in.ConsumeIntegral<uint8_t>());
        CheckOutside(before, canvas, r);
        break;
    }
    case 15: {
        // The constant elements' and the layered pictures' item painters over random sections.
        for (int i = in.ConsumeIntegralInRange(0, 4); i > 0; --i) skin.Images.push_back(AnyMask(in, skin, &own));
        for (int i = in.ConsumeIntegralInRange(0, 3); i > 0; --i)
            skin.Sections.push_back(AnySection(in, int(skin.Images.size())));
        const int section = in.ConsumeIntegralInRange(-1, int(skin.Sections.size()));
        const int images = int(skin.Images.size());
        const int state = in.ConsumeIntegralInRange(-2, 6);
        switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            PaintItemFast(section, in.ConsumeIntegralInRange(-1, images), in.ConsumeIntegralInRange(-1, images),
                          in.ConsumeIntegralInRange(-1, images), AnyBackground(in, parent, dest), state, r,
                          TPoint(Coord(in), Coord(in)), dest, &skin);
            break;
        case 1: PaintItemBG32(section, state, r, dest, &skin, in.ConsumeBool() ? acSkinColor : TColor(AnyPixel(in) & 0xFFFFFF)); break;
        default: PaintItem32(section, state, r, dest, &skin, nullptr, in.ConsumeBool()); break;
        }
        CheckOutside(before, canvas, r);
        break;
    }
    default: {
        DrawArrow32(dest, clRed, r, in.ConsumeIntegralInRange(0, 3), in.ConsumeIntegralInRange(-100, 400));
        TsMaskData m = AnyMask(in, skin, &own);
        StretchMaskPiece32(Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), dest,
                           own.View(), in.ConsumeIntegralInRange(-2, 30), in.ConsumeBool());
        CheckOutside(before, canvas, all);
        break;
    }
    }
    return 0;
}
