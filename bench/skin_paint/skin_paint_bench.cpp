// Speed of the painting core against the system's routines doing the same work on the same DIB
// sections, measured in turns in one run. Prints each pair and the ratio ours / system (below
// 1: ours is faster) with its target.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "skin/graphics/gdiplus.h"
#include "skin/engine/core/geometry.h"
#include "skin/graphics/paint32.h"
#include "tests/skin/fake_paint_source.h"

using Clock = std::chrono::steady_clock;

namespace {

// Seconds per call of f, the best of the turns.
double Time(const std::function<void()>& f, int calls)
{
    const auto t0 = Clock::now();
    for (int i = 0; i < calls; ++i) f();
    GdiFlush();
    return std::chrono::duration<double>(Clock::now() - t0).count() / calls;
}

struct TPair {
    const char* Name;
    std::function<void()> Ours, System;
    double Target;
};

// About 20 ms per turn and side, five turns each, taking turns.
int CallsFor(const std::function<void()>& f)
{
    const double once = std::max(Time(f, 1), 1e-7);
    return std::clamp(int(0.02 / once), 2, 20000);
}

double Report(const TPair& p)
{
    const int oursCalls = CallsFor(p.Ours), systemCalls = CallsFor(p.System);
    double ours = 1e9, system = 1e9;
    for (int turn = 0; turn < 5; ++turn) {
        ours = std::min(ours, Time(p.Ours, oursCalls));
        system = std::min(system, Time(p.System, systemCalls));
    }
    const double ratio = ours / system;
    std::printf("%-40s %10.2f %10.2f %7.2f  (target: at most %.2f)\n", p.Name, ours * 1e6, system * 1e6, ratio, p.Target);
    return ratio;
}

// A 3-frame skin image of 24 x 24 frames, borders 6: opaque, keyed corners or per-pixel alpha.
TPixelImage SkinImage(int kind)
{
    TPixelImage img(72, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 72; ++x) {
            const int fx = x % 24;
            uint32_t p = 0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 9) & 0xFF) << 8 | uint32_t(fx * 5);
            if (kind == 1 && (fx + y < 3 || (23 - fx) + y < 3)) p = 0x00FF00FFu;
            if (kind == 2) p = (p & 0x00FFFFFFu) | uint32_t(128 + (fx * 5) % 128) << 24;
            img.At(x, y) = p;
        }
    return img;
}

// The record of that image in the master bitmap, drawn by drawMode.
TsMaskData SkinMask(const TFakePaintSource& skin, uint16_t drawMode)
{
    TsMaskData m;
    m.Manager = skin.Manager();
    m.R = TRect(0, 0, 72, 24);
    m.ImageCount = 3;
    m.Width = m.Height = 24;
    m.WL = m.WT = m.WR = m.WB = 6;
    m.DrawMode = drawMode;
    return m;
}

void CopyInto(TBitmap* b, const TPixelImage& img)
{
    const TPixelView v = BitmapView(b);
    for (int y = 0; y < img.Height(); ++y) std::copy(img.View().Row(y), img.View().Row(y) + img.Width(), v.Row(y));
}

// The nine pieces of frame 1 stretched into the destination by one system call each.
void SystemNineSlice(const std::function<void(int, int, int, int, int, int, int, int)>& piece, int w, int h)
{
    const int b = 6, x0 = 24, c = 12;
    const int xs[3] = {0, b, w - b}, ws[3] = {b, w - 2 * b, b};
    const int ys[3] = {0, b, h - b}, hs[3] = {b, h - 2 * b, b};
    const int sx[3] = {x0, x0 + b, x0 + b + c}, sw[3] = {b, c, b};
    const int sy[3] = {0, b, b + c}, sh[3] = {b, c, b};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) piece(xs[col], ys[row], ws[col], hs[row], sx[col], sy[row], sw[col], sh[row]);
}

}  // namespace

int main()
{
    std::printf("%-40s %10s %10s %7s\n", "work", "ours us", "system us", "ratio");
    TFakePaintSource skin;
    TFakePaintSource::TInstall install(&skin);
    std::unique_ptr<TBitmap> dest(NewBitmap32(200, 60)), source(NewBitmap32(72, 24));
    HDC destDC = dest->Canvas()->Handle(), srcDC = source->Canvas()->Handle();
    SetStretchBltMode(destDC, COLORONCOLOR);
    const TPixelView destView = BitmapView(dest.get());
    double worst = 0;

    const char* names[3] = {"nine-slice 200x60, opaque", "nine-slice 200x60, keyed", "nine-slice 200x60, alpha"};
    for (int kind = 0; kind < 3; ++kind) {
        skin.Master = SkinImage(kind);
        CopyInto(source.get(), skin.Master);
        const TsMaskData m = SkinMask(skin, uint16_t(dmStretch | dmFillCenter | (kind == 2 ? dmAlpha32 : 0)));
        auto ours = [&] { DrawSkinMask32(destView, TRect(0, 0, 200, 60), EmptyCacheInfo, m, 1, false); };
        std::function<void()> system;
        if (kind == 0)
            system = [&] {
                SystemNineSlice([&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
                    StretchBlt(destDC, dx, dy, dw, dh, srcDC, sx, sy, sw, sh, SRCCOPY);
                }, 200, 60);
            };
        else if (kind == 1)
            system = [&] {
                SystemNineSlice([&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
                    TransparentBlt(destDC, dx, dy, dw, dh, srcDC, sx, sy, sw, sh, 0xFF00FF);
                }, 200, 60);
            };
        else
            system = [&] {
                const BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                SystemNineSlice([&](int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
                    AlphaBlend(destDC, dx, dy, dw, dh, srcDC, sx, sy, sw, sh, bf);
                }, 200, 60);
            };
        worst = std::max(worst, Report({names[kind], ours, system, 1.5}) / 1.5);
    }

    for (int side : {64, 128, 256}) {
        std::unique_ptr<TBitmap> to(NewBitmap32(side, side)), from(NewBitmap32(side, side));
        TPixelImage pattern = SkinImage(2);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) WritePixel32(from.get(), x, y, pattern.At(x % 72, y % 24));
        const TPixelView tv = BitmapView(to.get()), fv = BitmapView(from.get());
        HDC tdc = to->Canvas()->Handle(), fdc = from->Canvas()->Handle();
        char name[64];
        std::snprintf(name, sizeof(name), "constant alpha %dx%d", side, side);
        worst = std::max(worst, Report({name, [&] { MixRectAt32(tv, fv, 128, TRect(0, 0, side, side), TPoint(0, 0)); },
                                        [&] {
                                            const BLENDFUNCTION bf{AC_SRC_OVER, 0, 127, 0};
                                            AlphaBlend(tdc, 0, 0, side, side, fdc, 0, 0, side, side, bf);
                                        },
                                        1.0}));
        std::snprintf(name, sizeof(name), "per-pixel alpha %dx%d", side, side);
        worst = std::max(worst, Report({name, [&] { ComposeRectAt32(tv, fv, TRect(0, 0, side, side), TPoint(0, 0), 255); },
                                        [&] {
                                            const BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                                            AlphaBlend(tdc, 0, 0, side, side, fdc, 0, 0, side, side, bf);
                                        },
                                        1.0}));
    }

    // Smooth resizing: the Mitchell filter against GDI+'s high-quality bicubic.
    const auto& f = GdipFunctions();
    if (StartGdiPlus(false) && f.GdipCreateBitmapFromScan0 && f.GdipGetImageGraphicsContext && f.GdipDrawImageRectRect &&
        f.GdipSetInterpolationMode) {
        struct Size { int sw, sh, dw, dh; } sizes[] = {{256, 256, 100, 100}, {64, 64, 200, 200}};
        for (auto s : sizes) {
            TPixelImage src(s.sw, s.sh), out(s.dw, s.dh), gout(s.dw, s.dh);
            TPixelImage pattern = SkinImage(2);
            for (int y = 0; y < s.sh; ++y)
                for (int x = 0; x < s.sw; ++x) src.At(x, y) = pattern.At(x % 72, y % 24);
            void* gsrc = nullptr;
            void* gdst = nullptr;
            void* graphics = nullptr;
            f.GdipCreateBitmapFromScan0(s.sw, s.sh, s.sw * 4, 0x0026200A, reinterpret_cast<BYTE*>(src.Data()), &gsrc);
            f.GdipCreateBitmapFromScan0(s.dw, s.dh, s.dw * 4, 0x0026200A, reinterpret_cast<BYTE*>(gout.Data()), &gdst);
            if (gsrc && gdst && f.GdipGetImageGraphicsContext(gdst, &graphics) == gpOk) {
                f.GdipSetInterpolationMode(graphics, 7);   // high-quality bicubic
                char name[64];
                std::snprintf(name, sizeof(name), "Mitchell %dx%d -> %dx%d", s.sw, s.sh, s.dw, s.dh);
                worst = std::max(worst, Report({name, [&] { ResampleInto(src.View(), out.View(), rfMitchell); },
                                                [&] {
                                                    f.GdipDrawImageRectRect(graphics, gsrc, 0, 0, float(s.dw), float(s.dh), 0, 0,
                                                                            float(s.sw), float(s.sh), 2, nullptr, nullptr, nullptr);
                                                },
                                                1.5}) / 1.5);
            }
            if (graphics) f.GdipDeleteGraphics(graphics);
            if (gsrc) f.GdipDisposeImage(gsrc);
            if (gdst) f.GdipDisposeImage(gdst);
        }
    } else {
        std::printf("GDI+ not available: no resampling reference\n");
    }
    // A skinned control's item: a 40 % transparent state with a keyed border over its parent's
    // image, against filling the rectangle and copying the parent's image in.
    {
        constexpr int W = 400, H = 300;
        skin.Master = SkinImage(1);
        TsMaskData border = SkinMask(skin, 0);
        border.Cfg = 1;   // keyed corners
        skin.Images.assign(1, border);
        TsGeneralData section;
        section.States = 3;
        for (TsGenState& st : section.Props) {
            st.Color = 0x5A3C28;
            st.Transparency = 40;
        }
        section.BorderIndex = 0;
        skin.Sections.assign(1, section);
        std::unique_ptr<TBitmap> parent(NewBitmap32(W, H)), item(NewBitmap32(W, H));
        TPixelImage pattern = SkinImage(0);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) WritePixel32(parent.get(), x, y, pattern.At(x % 72, y % 24));
        const TCacheInfo background = BuildCacheInfo(BitmapView(parent.get()), 0, 0);
        HDC idc = item->Canvas()->Handle(), pdc = parent->Canvas()->Handle();
        HBRUSH brush = CreateSolidBrush(0x5A3C28);
        const RECT all{0, 0, W, H};
        worst = std::max(worst, Report({"item 400x300, 40 % transparent",
                                        [&] { PaintItem(0, background, 1, TRect(0, 0, W, H), TPoint(0, 0), item.get(), &skin); },
                                        [&] {
                                            FillRect(idc, &all, brush);
                                            BitBlt(idc, 0, 0, W, H, pdc, 0, 0, SRCCOPY);
                                        },
                                        3.0}) / 3.0);
        DeleteObject(brush);
    }

    std::printf("worst ratio against its target: %.2f (at most 1.00 meets every target)\n", worst);
    return 0;
}
