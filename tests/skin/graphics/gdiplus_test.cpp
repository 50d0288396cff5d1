// GDI+ bound by name: the helpers with the library, without it, and with a blur effect that fails;
// gradient bands and four-corner fills through the painting layer; drawing pictures with alpha.
#include <gtest/gtest.h>

#include <memory>

#include "skin/graphics/gdiplus.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/pnggraphic.h"

namespace {

uint32_t At(TBitmap* b, int x, int y) { return ReadPixel32(b, x, y); }

// A 16 x 16 picture: white left half, black right half, opaque.
std::unique_ptr<TBitmap> Halves()
{
    std::unique_ptr<TBitmap> b(NewBitmap32(16, 16));
    FillRectAlpha32(b.get(), TRect(0, 0, 8, 16), clWhite, 255);
    FillRectAlpha32(b.get(), TRect(8, 0, 16, 16), clBlack, 255);
    return b;
}

bool SamePixels(TBitmap* a, TBitmap* b)
{
    if (a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x)
            if (At(a, x, y) != At(b, x, y)) return false;
    return true;
}

// Puts the bound functions back whatever a test changed.
struct TRestoreFunctions {
    TacGdipFunctions Saved = GdipFunctions();
    ~TRestoreFunctions() { GdipFunctions() = Saved; }
};

TGpStatus WINAPI FailingCreateEffect(GUID, void** effect)
{
    *effect = nullptr;
    return gpNotImplemented;
}

// Stand-ins for single GDI+ steps, to make one step of a helper fail while the others work.
// The real functions are reached through Real, saved by the test before it changes anything.
TacGdipFunctions Real;
int FailingStep = 0;
char FakeEffect;
constexpr TGpStatus gpGenericError = 1;
constexpr int Argb32 = 0x26200A;

TGpStatus WINAPI FakeCreateEffect(GUID, void** effect)
{
    *effect = &FakeEffect;
    return gpOk;
}
TGpStatus WINAPI FakeDeleteEffect(void*) { return gpOk; }
TGpStatus WINAPI FakeSetParameters(void*, const void*, UINT) { return FailingStep == 1 ? gpGenericError : gpOk; }
TGpStatus WINAPI FakeFromHBitmap(HBITMAP b, HPALETTE p, void** image)
{
    if (FailingStep == 2) return gpGenericError;
    return Real.GdipCreateBitmapFromHBITMAP(b, p, image);
}
TGpStatus WINAPI FakeApplyEffect(void**, int, void*, RECT*, RECT*, void** output, BOOL, void**, int*)
{
    if (FailingStep == 3) return gpGenericError;
    return Real.GdipCreateBitmapFromScan0(2, 2, 0, Argb32, nullptr, output);
}
// Answers Ok without a bitmap handle, as a failing conversion can.
TGpStatus WINAPI FakeToHBitmap(void*, HBITMAP* bitmap, uint32_t)
{
    *bitmap = nullptr;
    return gpOk;
}
TGpStatus WINAPI FailingScan0(int, int, int, int, BYTE*, void**) { return gpGenericError; }
TGpStatus WINAPI FailingLock(void*, const void*, UINT, int, void*) { return gpGenericError; }
TGpStatus WINAPI FailingDraw(void*, void*, float, float, float, float, float, float, float, float, int, const void*,
                             void*, void*)
{
    return gpGenericError;
}

}  // namespace

TEST(Gdiplus, BoundByNameAndStarted)
{
    ASSERT_NE(GdipFunctions().Module, nullptr) << "the test system has gdiplus.dll";
    EXPECT_TRUE(StartGdiPlus(false));
    EXPECT_NE(GdipFunctions().GdipCreateFromHDC, nullptr);
}

TEST(Gdiplus, StretchKeepsAlphaAndTouchesOnlyTheDestinationRectangle)
{
    std::unique_ptr<TBitmap> src(NewBitmap32(4, 4));
    FillRectAlpha32(src.get(), TRect(0, 0, 4, 4), 0x204080, 255);
    FillRectAlpha32(src.get(), TRect(0, 0, 4, 1), 0x204080, 0);
    std::unique_ptr<TBitmap> dest(NewBitmap32(8, 8));
    FillRectAlpha32(dest.get(), TRect(0, 0, 8, 8), clWhite, 128);   // half-transparent white around
    StretchDrawGdip32(dest.get(), src.get(), TRect(2, 2, 6, 6), TRect(0, 0, 4, 4));
    EXPECT_EQ(At(dest.get(), 3, 4) >> 24, 253u) << "opaque comes out at 253";
    EXPECT_NEAR(int((At(dest.get(), 3, 4) >> 16) & 0xFF), 0x80, 2) << "red";
    EXPECT_EQ(At(dest.get(), 3, 2) >> 24, 0u) << "alpha 0 stays transparent";
    EXPECT_EQ(At(dest.get(), 0, 0), 0x80FFFFFFu) << "outside the destination rectangle: untouched";
    EXPECT_EQ(At(dest.get(), 7, 7), 0x80FFFFFFu);
}

TEST(Gdiplus, BlurFallsBackToHalfScaleWhenTheEffectFails)
{
    TRestoreFunctions restore;
    std::unique_ptr<TBitmap> expected = Halves();
    HalfScaleBlur32(expected.get());
    std::unique_ptr<TBitmap> plain = Halves();
    EXPECT_FALSE(SamePixels(expected.get(), plain.get())) << "the half-scale blur changes the picture";

    GdipFunctions().GdipCreateEffect = FailingCreateEffect;
    std::unique_ptr<TBitmap> failing = Halves();
    BlurBitmapGdip(failing.get(), 5);
    EXPECT_TRUE(SamePixels(failing.get(), expected.get())) << "a failing effect: the half-scale blur";

    GdipFunctions().GdipCreateEffect = nullptr;
    std::unique_ptr<TBitmap> missing = Halves();
    BlurBitmapGdip(missing.get(), 5);
    EXPECT_TRUE(SamePixels(missing.get(), expected.get())) << "no effect functions: the half-scale blur";
}

TEST(Gdiplus, AFailingStepLeavesTheBitmapAsItWas)
{
    ASSERT_TRUE(StartGdiPlus(false));
    TRestoreFunctions restore;
    Real = GdipFunctions();

    // The scaled drawing: whichever step fails, the destination keeps every pixel (no decoding of
    // pixels nothing was drawn on).
    struct StretchCase { const char* what; void (*fail)(TacGdipFunctions&); } stretch[] = {
        {"no picture", [](TacGdipFunctions& f) { f.GdipCreateBitmapFromScan0 = FailingScan0; }},
        {"no lock", [](TacGdipFunctions& f) { f.GdipBitmapLockBits = FailingLock; }},
        {"no drawing", [](TacGdipFunctions& f) { f.GdipDrawImageRectRect = FailingDraw; }},
    };
    for (const auto& c : stretch) {
        GdipFunctions() = Real;
        c.fail(GdipFunctions());
        std::unique_ptr<TBitmap> src = Halves();
        std::unique_ptr<TBitmap> dest(NewBitmap32(8, 8));
        FillRectAlpha32(dest.get(), TRect(0, 0, 8, 8), 0x204080, 128);
        StretchDrawGdip32(dest.get(), src.get(), TRect(0, 0, 8, 8), TRect(0, 0, 16, 16));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) ASSERT_EQ(At(dest.get(), x, y), 0x80804020u) << c.what << " at " << x << "," << y;
    }

    // The blur: an effect whose later steps fail, or whose result has no bitmap handle, leaves a
    // usable bitmap blurred by halving.
    std::unique_ptr<TBitmap> expected = Halves();
    GdipFunctions() = Real;
    HalfScaleBlur32(expected.get());
    for (int step = 1; step <= 4; ++step) {
        GdipFunctions() = Real;
        auto& f = GdipFunctions();
        f.GdipCreateEffect = FakeCreateEffect;
        f.GdipDeleteEffect = FakeDeleteEffect;
        f.GdipSetEffectParameters = FakeSetParameters;
        f.GdipCreateBitmapFromHBITMAP = FakeFromHBitmap;
        f.GdipBitmapCreateApplyEffect = FakeApplyEffect;
        f.GdipCreateHBITMAPFromBitmap = FakeToHBitmap;
        FailingStep = step;
        std::unique_ptr<TBitmap> b = Halves();
        BlurBitmapGdip(b.get(), 5);
        EXPECT_NE(b->Handle(), nullptr) << "step " << step;
        EXPECT_TRUE(SamePixels(b.get(), expected.get())) << "step " << step;
    }
    FailingStep = 0;
}

TEST(Gdiplus, FillsTakeTheAlphaAsGivenLinesAndPolygonsOpaque)
{
    auto white = [] {
        std::unique_ptr<TBitmap> b(NewBitmap32(16, 16));
        FillRectAlpha32(b.get(), TRect(0, 0, 16, 16), clWhite, 255);
        return b;
    };
    auto red = [](uint32_t p) { return int((p >> 16) & 0xFF); };
    auto blue = [](uint32_t p) { return int(p & 0xFF); };
    // Opaque red to opaque blue, across and down.
    std::unique_ptr<TBitmap> across = white(), down = white();
    FillHorzGradientGdip(across->Canvas()->Handle(), TColor(0xFF0000FFu), TColor(0xFFFF0000u), 0, 0, 16, 16);
    FillVertGradientGdip(down->Canvas()->Handle(), TColor(0xFF0000FFu), TColor(0xFFFF0000u), 0, 0, 16, 16);
    GdiFlush();
    EXPECT_GT(red(At(across.get(), 0, 8)), 200);
    EXPECT_GT(blue(At(across.get(), 15, 8)), 200);
    EXPECT_EQ(At(across.get(), 3, 0), At(across.get(), 3, 15)) << "columns of one colour";
    EXPECT_GT(red(At(down.get(), 8, 0)), 200);
    EXPECT_GT(blue(At(down.get(), 8, 15)), 200);
    // Colours without alpha are fully transparent for the fills.
    std::unique_ptr<TBitmap> clear = white();
    FillHorzGradientGdip(clear->Canvas()->Handle(), TColor(0x0000FF), TColor(0xFF0000), 0, 0, 16, 16);
    GdiFlush();
    EXPECT_EQ(At(clear.get(), 8, 8) & 0xFFFFFFu, 0xFFFFFFu);
    // A path gradient: white corners, black centre.
    std::unique_ptr<TBitmap> path(NewBitmap32(16, 16));
    const TPoint corners[4] = {{0, 0}, {16, 0}, {16, 16}, {0, 16}};
    const TColor cornerColours[4] = {TColor(0xFFFFFFFFu), TColor(0xFFFFFFFFu), TColor(0xFFFFFFFFu), TColor(0xFFFFFFFFu)};
    FillPathGradientGdip(path->Canvas()->Handle(), corners, cornerColours, 0, 0, 16, 16, TColor(0xFF000000u));
    GdiFlush();
    EXPECT_LT(red(At(path.get(), 8, 8)), 64) << "dark in the middle";
    EXPECT_GT(red(At(path.get(), 1, 1)), red(At(path.get(), 8, 8)) + 64) << "lighter towards a corner";
    // A polygon outline in a colour without alpha: opaque, the inside untouched.
    std::unique_ptr<TBitmap> poly = white();
    const std::vector<TacPointF> square = {{2, 2}, {13, 2}, {13, 13}, {2, 13}};
    DrawPolygonGdip(poly->Canvas()->Handle(), TColor(0x0000FF), square, 4, 2);
    GdiFlush();
    EXPECT_GT(red(At(poly.get(), 8, 2)), 200);
    EXPECT_LT(blue(At(poly.get(), 8, 2)), 100);
    EXPECT_EQ(At(poly.get(), 8, 8) & 0xFFFFFFu, 0xFFFFFFu);
    // The whole destination from an area of the source: here its black right half.
    std::unique_ptr<TBitmap> src = Halves();
    std::unique_ptr<TBitmap> dest = white();
    StretchBitmapGdip32(dest.get(), src.get(), 8, 0, 8, 16);
    EXPECT_EQ(At(dest.get(), 8, 8), 0xFD000000u) << "opaque black comes out at 253";
    EXPECT_EQ(At(dest.get(), 4, 12), 0xFD000000u);
}

TEST(Gdiplus, WithoutTheLibraryNothingIsDrawn)
{
    TRestoreFunctions restore;
    GdipFunctions().Module = nullptr;
    EXPECT_FALSE(StartGdiPlus(false));
    std::unique_ptr<TBitmap> b = Halves(), original = Halves();
    BlurBitmapGdip(b.get(), 5);
    HalfScaleBlur32(b.get());
    StretchDrawGdip32(b.get(), original.get(), TRect(0, 0, 16, 16), TRect(0, 0, 8, 8));
    DrawLineGdip(b->Canvas()->Handle(), clRed, 0, 0, 15, 15, 2);
    TsGradArray g(2);
    g[0].Mode = 0x10;
    g[0].Color.C = 0xFF0000FF;
    g[1].Color.C = 0xFFFF0000;
    g[1].Percent = 100;
    PaintGradient32(b.get(), TRect(0, 0, 16, 16), g);
    EXPECT_TRUE(SamePixels(b.get(), original.get()));
}

TEST(Gdiplus, GradientBandsThroughTheLayer)
{
    // Rows 4..11, red to blue by the line brush; the row above the band is clipped off.
    std::unique_ptr<TBitmap> b(NewBitmap32(8, 16));
    FillRectAlpha32(b.get(), TRect(0, 0, 8, 16), clLime, 255);
    TsGradArray g(2);
    g[0].Mode = 0x10;
    g[0].Color.C = 0xFF0000FF;   // opaque red
    g[1].Color.C = 0xFFFF0000;   // opaque blue
    g[1].Percent = 100;
    PaintGradient32(b.get(), TRect(0, 4, 8, 12), g);
    EXPECT_EQ(At(b.get(), 3, 3), 0xFF00FF00u) << "the brush's first row never shows";
    EXPECT_EQ(At(b.get(), 3, 12), 0xFF00FF00u);
    const uint32_t top = At(b.get(), 3, 4), bottom = At(b.get(), 3, 11);
    EXPECT_GT((top >> 16) & 0xFF, (bottom >> 16) & 0xFF) << "red fades";
    EXPECT_LT(top & 0xFF, bottom & 0xFF) << "blue grows";

    // Fading to transparent from the left.
    std::unique_ptr<TBitmap> fade(NewBitmap32(20, 4));
    PaintTwoColorGradient32(fade.get(), TColor(0xFF000000u), 0);
    EXPECT_GT(At(fade.get(), 1, 2) >> 24, At(fade.get(), 18, 2) >> 24);

    // Four corners through GradientFill: each corner near its own colour.
    TsGradArray corners(5);
    const uint32_t colours[5] = {0x0000FF, 0x808080, 0x00FF00, 0xFF0000, 0x00FFFF};
    for (int i = 0; i < 5; ++i) {
        corners[size_t(i)].Mode = 2;
        corners[size_t(i)].Color.C = colours[i];
    }
    std::unique_ptr<TBitmap> quad(NewBitmap32(32, 32));
    PaintGradient32(quad.get(), TRect(0, 0, 32, 32), corners);
    EXPECT_GT((At(quad.get(), 0, 0) >> 16) & 0xFF, 200u) << "top-left red";
    EXPECT_GT((At(quad.get(), 31, 0) >> 8) & 0xFF, 200u) << "top-right green";
}

TEST(Gdiplus, LinesAndRotatedImages)
{
    std::unique_ptr<TBitmap> b(NewBitmap32(16, 16));
    FillRectAlpha32(b.get(), TRect(0, 0, 16, 16), clWhite, 255);
    DrawLineGdip(b->Canvas()->Handle(), 0x0000FF, 0, 8, 16, 8, 2);
    GdiFlush();
    EXPECT_GT((At(b.get(), 8, 8) >> 16) & 0xFF, 200u);
    EXPECT_LT((At(b.get(), 8, 8) >> 8) & 0xFF, 100u) << "opaque red";

    // A quarter turn clockwise: the top edge (red) ends up on the right.
    std::unique_ptr<TBitmap> img(NewBitmap32(16, 16));
    FillRectAlpha32(img.get(), TRect(0, 0, 16, 16), clWhite, 255);
    FillRectAlpha32(img.get(), TRect(0, 0, 16, 3), clRed, 255);
    std::unique_ptr<TBitmap> out(NewBitmap32(16, 16));
    FillRectAlpha32(out.get(), TRect(0, 0, 16, 16), clBlack, 255);
    DrawRotatedImageGdip(out->Canvas()->Handle(), img.get(), TRect(0, 0, 16, 16), 90);
    GdiFlush();
    EXPECT_GT((At(out.get(), 14, 8) >> 16) & 0xFF, 200u);
    EXPECT_GT((At(out.get(), 1, 8) >> 8) & 0xFF, 200u) << "white on the left";
}

TEST(DrawBitmapAlpha, ReflectionBelowAnUnscaledPicture)
{
    std::unique_ptr<TBitmap> pic(NewBitmap32(10, 10));
    FillRectAlpha32(pic.get(), TRect(0, 0, 10, 10), clRed, 255);
    std::unique_ptr<TBitmap> canvas(NewBitmap32(12, 20));
    FillRectAlpha32(canvas.get(), TRect(0, 0, 12, 20), clWhite, 255);
    DrawBitmapAlpha(canvas->Canvas(), pic.get(), TRect(0, 0, 10, 10), true);
    GdiFlush();
    EXPECT_EQ(At(canvas.get(), 5, 5) & 0xFFFFFFu, 0xFF0000u) << "composed at 255";
    EXPECT_NE(At(canvas.get(), 5, 11) & 0xFFFFFFu, 0xFFFFFFu) << "reflection below";
    EXPECT_EQ(At(canvas.get(), 5, 16) & 0xFFFFFFu, 0xFFFFFFu) << "the canvas area is 10 x 15";
    EXPECT_EQ(At(canvas.get(), 11, 5) & 0xFFFFFFu, 0xFFFFFFu);
}
