#include "skin/graphics/gdiplus.h"

#include <algorithm>

#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/colors.h"

namespace {

struct TStartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
struct TGpBitmapData {
    UINT Width = 0, Height = 0;
    INT Stride = 0;
    INT PixelFormat = 0;
    void* Scan0 = nullptr;
    UINT_PTR Reserved = 0;
};
struct TGpRect {
    INT X, Y, Width, Height;
};
struct TBlurParams {
    float Radius;
    BOOL ExpandEdge;
};

constexpr int PixelFormat32bppARGB = 0x0026200A;
constexpr int PixelFormat32bppPARGB = 0x000E200B;
constexpr int UnitWorld = 0, UnitPixel = 2;
constexpr int SmoothingModeHighQuality = 2;
constexpr int WrapModeTile = 0, WrapModeClamp = 4;
constexpr int CompositingModeSourceCopy = 1, CompositingQualityHighSpeed = 1;
constexpr int InterpolationModeHighQuality = 2;
constexpr UINT ImageLockModeRead = 1, ImageLockModeWrite = 2;
constexpr GUID BlurEffectGuid = {0x633C80A4, 0x1843, 0x482B, {0x9E, 0xF2, 0xBE, 0x28, 0x34, 0xC5, 0xFD, 0xD4}};

struct TUnit {
    TacGdipFunctions Functions;
    ULONG_PTR Token = 0;
    bool Started = false;
    HMODULE Msimg32 = nullptr;
    TGradientFillFunc GradientFill = nullptr;

    TUnit()
    {
        TacGdipFunctions& f = Functions;
        f.Module = LoadLibraryW(L"gdiplus.dll");
        if (f.Module) {
            auto bind = [&](auto& fn, const char* name) {
                fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(reinterpret_cast<void*>(GetProcAddress(f.Module, name)));
            };
            bind(f.GdiplusStartup, "GdiplusStartup");
            bind(f.GdiplusShutdown, "GdiplusShutdown");
            bind(f.GdipCreateFromHDC, "GdipCreateFromHDC");
            bind(f.GdipDeleteGraphics, "GdipDeleteGraphics");
            bind(f.GdipSetSmoothingMode, "GdipSetSmoothingMode");
            bind(f.GdipCreatePen1, "GdipCreatePen1");
            bind(f.GdipDeletePen, "GdipDeletePen");
            bind(f.GdipDrawLine, "GdipDrawLine");
            bind(f.GdipDrawPolygon, "GdipDrawPolygon");
            bind(f.GdipCreateLineBrush, "GdipCreateLineBrush");
            bind(f.GdipCreatePathGradient, "GdipCreatePathGradient");
            bind(f.GdipSetPathGradientCenterColor, "GdipSetPathGradientCenterColor");
            bind(f.GdipSetPathGradientSurroundColorsWithCount, "GdipSetPathGradientSurroundColorsWithCount");
            bind(f.GdipFillRectangle, "GdipFillRectangle");
            bind(f.GdipDeleteBrush, "GdipDeleteBrush");
            bind(f.GdipCreateBitmapFromScan0, "GdipCreateBitmapFromScan0");
            bind(f.GdipBitmapLockBits, "GdipBitmapLockBits");
            bind(f.GdipBitmapUnlockBits, "GdipBitmapUnlockBits");
            bind(f.GdipSetCompositingMode, "GdipSetCompositingMode");
            bind(f.GdipSetCompositingQuality, "GdipSetCompositingQuality");
            bind(f.GdipDrawImageRectRect, "GdipDrawImageRectRect");
            bind(f.GdipDisposeImage, "GdipDisposeImage");
            bind(f.GdipCreateEffect, "GdipCreateEffect");
            bind(f.GdipDeleteEffect, "GdipDeleteEffect");
            bind(f.GdipSetEffectParameters, "GdipSetEffectParameters");
            bind(f.GdipBitmapCreateApplyEffect, "GdipBitmapCreateApplyEffect");
            bind(f.GdipCreateHBITMAPFromBitmap, "GdipCreateHBITMAPFromBitmap");
            bind(f.GdipCreateBitmapFromHBITMAP, "GdipCreateBitmapFromHBITMAP");
            bind(f.GdipSetInterpolationMode, "GdipSetInterpolationMode");
            bind(f.GdipDrawImagePoints, "GdipDrawImagePoints");
            bind(f.GdipGetImageGraphicsContext, "GdipGetImageGraphicsContext");
            bind(f.GdipSetClipRectI, "GdipSetClipRectI");
        }
        Msimg32 = LoadLibraryW(L"msimg32.dll");
        if (Msimg32) GradientFill = reinterpret_cast<TGradientFillFunc>(reinterpret_cast<void*>(GetProcAddress(Msimg32, "GradientFill")));
    }
    ~TUnit()
    {
        // The process is ending: GDI+ is shut down only when this unit started it.
        if (Started && Functions.GdiplusShutdown) Functions.GdiplusShutdown(Token);
    }
};

// The bound functions; nothing started yet.
TUnit& BoundUnit()
{
    static TUnit unit;
    return unit;
}

// The unit as the helpers use it: an application starts GDI+ once for its whole life.
TUnit& Unit()
{
    TUnit& unit = BoundUnit();
    static const bool started = StartGdiPlus(true);
    (void)started;
    return unit;
}

TacGdipFunctions& F() { return Unit().Functions; }

inline uint32_t Argb(TColor c) { return SwapRedBlue(uint32_t(c)); }
inline uint32_t OpaqueIfNoAlpha(uint32_t argb) { return (argb >> 24) == 0 ? argb | 0xFF000000u : argb; }

// A graphics object, deleted on every exit.
class TGraphicsOwner {
public:
    TGraphicsOwner() = default;
    ~TGraphicsOwner()
    {
        if (FGraphics) F().GdipDeleteGraphics(FGraphics);   // flushes the drawing
    }
    TGraphicsOwner(const TGraphicsOwner&) = delete;
    TGraphicsOwner& operator=(const TGraphicsOwner&) = delete;
    void* Get() const { return FGraphics; }

protected:
    void* FGraphics = nullptr;
};

// On a DC.
class TDCGraphics : public TGraphicsOwner {
public:
    explicit TDCGraphics(HDC dc)
    {
        if (dc && F().GdipCreateFromHDC && F().GdipDeleteGraphics && F().GdipCreateFromHDC(dc, &FGraphics) != gpOk)
            FGraphics = nullptr;
    }
};

// A GDI+ bitmap over a pixel view's memory and a graphics object drawing into it.
class TViewGraphics : public TGraphicsOwner {
public:
    TViewGraphics(const TPixelView& v, int format)
    {
        const auto& f = F();
        if (v.IsNull() || !f.GdipCreateBitmapFromScan0 || !f.GdipGetImageGraphicsContext || !f.GdipDeleteGraphics ||
            !f.GdipDisposeImage)
            return;
        if (f.GdipCreateBitmapFromScan0(v.Width, v.Height, int(v.Stride), format, v.Row0, &FBitmap) != gpOk) {
            FBitmap = nullptr;
            return;
        }
        if (f.GdipGetImageGraphicsContext(FBitmap, &FGraphics) != gpOk) FGraphics = nullptr;
    }
    ~TViewGraphics()
    {
        if (FGraphics) F().GdipDeleteGraphics(FGraphics);   // flushes into the view first
        FGraphics = nullptr;
        if (FBitmap) F().GdipDisposeImage(FBitmap);
    }

private:
    void* FBitmap = nullptr;
};

// Fills (x, y, w, h) with a line brush from c1 to c2 (ARGB), along x or y.
void FillLineBrush(void* graphics, uint32_t c1, uint32_t c2, float x, float y, float w, float h, bool vertical)
{
    const auto& f = F();
    if (!graphics || !f.GdipCreateLineBrush || !f.GdipFillRectangle || !f.GdipDeleteBrush) return;
    const TacPointF p1{x, y};
    const TacPointF p2 = vertical ? TacPointF{x, y + h} : TacPointF{x + w, y};
    void* brush = nullptr;
    if (f.GdipCreateLineBrush(&p1, &p2, c1, c2, WrapModeTile, &brush) != gpOk || !brush) return;
    f.GdipFillRectangle(graphics, brush, x, y, w, h);
    f.GdipDeleteBrush(brush);
}

void FillPath(void* graphics, const TPoint (&corners)[4], const uint32_t (&argb)[4], float x, float y, float w, float h,
              uint32_t centre)
{
    const auto& f = F();
    if (!graphics || !f.GdipCreatePathGradient || !f.GdipSetPathGradientCenterColor ||
        !f.GdipSetPathGradientSurroundColorsWithCount || !f.GdipFillRectangle || !f.GdipDeleteBrush)
        return;
    TacPointF points[4];
    for (int i = 0; i < 4; ++i) points[i] = {float(corners[i].x), float(corners[i].y)};
    void* brush = nullptr;
    if (f.GdipCreatePathGradient(points, 4, WrapModeClamp, &brush) != gpOk || !brush) return;
    int count = 4;
    if (f.GdipSetPathGradientCenterColor(brush, centre) == gpOk &&
        f.GdipSetPathGradientSurroundColorsWithCount(brush, argb, &count) == gpOk)
        f.GdipFillRectangle(graphics, brush, x, y, w, h);
    f.GdipDeleteBrush(brush);
}

class TWindowsGdipLayer : public TacGdipLayer {
public:
    void FillLinearGradient(const TPixelView& v, const TRect& clip, uint32_t c1, uint32_t c2, float x, float y, float w,
                            float h, bool vertical) override
    {
        if (!StartGdiPlus(false) || !F().GdipSetClipRectI) return;
        TViewGraphics g(v, PixelFormat32bppARGB);
        if (!g.Get() || F().GdipSetClipRectI(g.Get(), clip.left, clip.top, clip.Width(), clip.Height(), 0) != gpOk) return;
        FillLineBrush(g.Get(), Argb(TColor(c1)), Argb(TColor(c2)), x, y, w, h, vertical);
    }
    void FillPathGradient(const TPixelView& v, const TPoint (&corners)[4], const uint32_t (&colors)[4], float x, float y,
                          float w, float h, uint32_t centerColor) override
    {
        if (!StartGdiPlus(false)) return;
        TViewGraphics g(v, PixelFormat32bppARGB);
        const uint32_t argb[4] = {Argb(TColor(colors[0])), Argb(TColor(colors[1])), Argb(TColor(colors[2])), Argb(TColor(colors[3]))};
        FillPath(g.Get(), corners, argb, x, y, w, h, Argb(TColor(centerColor)));
    }
    bool FillCornerTriangles(const TPixelView& v, const TPoint (&vertices)[5], const uint32_t (&colors)[5]) override
    {
        TGradientFillFunc fill = BoundGradientFill();
        if (!fill || v.IsNull()) return false;
        // GradientFill needs a DC: the view goes through a DIB section and back.
        std::unique_ptr<TBitmap> dib(NewBitmap32(v.Width, v.Height));
        const TPixelView d = BitmapView(dib.get());
        if (d.IsNull()) return false;
        for (int y = 0; y < v.Height; ++y) std::copy(v.Row(y), v.Row(y) + v.Width, d.Row(y));
        TRIVERTEX tv[5];
        for (int i = 0; i < 5; ++i) {
            const uint32_t c = colors[i];
            tv[i].x = vertices[i].x;
            tv[i].y = vertices[i].y;
            tv[i].Red = COLOR16((c & 0xFF) << 8);
            tv[i].Green = COLOR16(c & 0xFF00);
            tv[i].Blue = COLOR16(((c >> 16) & 0xFF) << 8);
            tv[i].Alpha = 0xFF00;
        }
        GRADIENT_TRIANGLE tris[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
        const BOOL ok = fill(dib->Canvas()->Handle(), tv, 5, tris, 4, GRADIENT_FILL_TRIANGLE);
        GdiFlush();
        if (ok)
            for (int y = 0; y < v.Height; ++y) std::copy(d.Row(y), d.Row(y) + v.Width, v.Row(y));
        return ok != FALSE;
    }
};

}  // namespace

TacGdipFunctions& GdipFunctions()
{
    return F();
}

TGradientFillFunc& BoundGradientFill()
{
    return Unit().GradientFill;
}

bool StartGdiPlus(bool doStart)
{
    TUnit& u = BoundUnit();
    if (!u.Functions.Module) return false;
    if (doStart && !u.Started && u.Functions.GdiplusStartup) {
        const TStartupInput input;
        if (u.Functions.GdiplusStartup(&u.Token, &input, nullptr) == gpOk) u.Started = true;
    }
    return true;
}

void StopGdiPlus(bool doStop)
{
    TUnit& u = BoundUnit();
    if (doStop && u.Functions.Module && u.Started && u.Functions.GdiplusShutdown) {
        u.Functions.GdiplusShutdown(u.Token);
        u.Started = false;
    }
}

// ---- drawing helpers -------------------------------------------------------------------------

namespace {

// One smooth line on a graphics object (nothing without one or without the functions it needs).
void SmoothLine(void* graphics, TColor color, float x1, float y1, float x2, float y2, float width)
{
    const auto& f = F();
    if (!graphics || !f.GdipCreatePen1 || !f.GdipDeletePen || !f.GdipDrawLine) return;
    if (f.GdipSetSmoothingMode) f.GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    void* pen = nullptr;
    if (f.GdipCreatePen1(OpaqueIfNoAlpha(Argb(color)), width, UnitWorld, &pen) != gpOk || !pen) return;
    f.GdipDrawLine(graphics, pen, x1, y1, x2, y2);
    f.GdipDeletePen(pen);
}

}  // namespace

void DrawLineGdip(HDC dc, TColor color, float x1, float y1, float x2, float y2, float width)
{
    if (!StartGdiPlus(false)) return;
    TDCGraphics g(dc);
    SmoothLine(g.Get(), color, x1, y1, x2, y2, width);
}

void DrawPolygonGdip(HDC dc, TColor color, const std::vector<TacPointF>& points, int count, int width)
{
    const auto& f = F();
    count = std::min<int>(count, int(points.size()));
    if (count < 1 || !StartGdiPlus(false) || !f.GdipCreatePen1 || !f.GdipDeletePen || !f.GdipDrawPolygon) return;
    TDCGraphics g(dc);
    if (!g.Get()) return;
    if (f.GdipSetSmoothingMode) f.GdipSetSmoothingMode(g.Get(), SmoothingModeHighQuality);
    void* pen = nullptr;
    if (f.GdipCreatePen1(OpaqueIfNoAlpha(Argb(color)), float(width), UnitWorld, &pen) != gpOk || !pen) return;
    f.GdipDrawPolygon(g.Get(), pen, points.data(), count);
    f.GdipDeletePen(pen);
}

void FillHorzGradientGdip(HDC dc, TColor color1, TColor color2, float x, float y, float w, float h)
{
    if (!StartGdiPlus(false)) return;
    TDCGraphics g(dc);
    FillLineBrush(g.Get(), Argb(color1), Argb(color2), x, y, w, h, false);
}

void FillVertGradientGdip(HDC dc, TColor color1, TColor color2, float x, float y, float w, float h)
{
    if (!StartGdiPlus(false)) return;
    TDCGraphics g(dc);
    FillLineBrush(g.Get(), Argb(color1), Argb(color2), x, y, w, h, true);
}

void FillPathGradientGdip(HDC dc, const TPoint (&corners)[4], const TColor (&cornerColors)[4], float x, float y, float w,
                          float h, TColor centerColor)
{
    if (!StartGdiPlus(false)) return;
    TDCGraphics g(dc);
    const uint32_t argb[4] = {Argb(cornerColors[0]), Argb(cornerColors[1]), Argb(cornerColors[2]), Argb(cornerColors[3])};
    FillPath(g.Get(), corners, argb, x, y, w, h, Argb(centerColor));
}

void StretchDrawGdip32(TBitmap* dest, TBitmap* source, const TRect& destRect, const TRect& sourceRect)
{
    const auto& f = F();
    if (!dest || !source || !StartGdiPlus(false)) return;
    const TPixelView to = BitmapView(dest), from = BitmapView(source);
    if (to.IsNull() || from.IsNull() || !f.GdipCreateBitmapFromScan0 || !f.GdipBitmapLockBits ||
        !f.GdipBitmapUnlockBits || !f.GdipDrawImageRectRect || !f.GdipDisposeImage)
        return;
    // The source with its alpha 0..255 carried as 127..254, so that drawing onto the
    // premultiplied destination keeps every colour, even under alpha 0.
    void* image = nullptr;
    if (f.GdipCreateBitmapFromScan0(from.Width, from.Height, 0, PixelFormat32bppARGB, nullptr, &image) != gpOk || !image)
        return;
    bool drawn = false;
    const TGpRect all{0, 0, from.Width, from.Height};
    TGpBitmapData data;
    if (f.GdipBitmapLockBits(image, &all, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &data) == gpOk) {
        for (int y = 0; y < from.Height; ++y) {
            auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + ptrdiff_t(y) * data.Stride);
            const uint32_t* in = from.Row(y);
            for (int x = 0; x < from.Width; ++x) out[x] = (in[x] & 0x00FFFFFFu) | (((in[x] >> 24) / 2 + 127) << 24);
        }
        if (f.GdipBitmapUnlockBits(image, &data) == gpOk) {
            TViewGraphics g(to, PixelFormat32bppPARGB);
            if (g.Get()) {
                if (f.GdipSetCompositingMode) f.GdipSetCompositingMode(g.Get(), CompositingModeSourceCopy);
                if (f.GdipSetCompositingQuality) f.GdipSetCompositingQuality(g.Get(), CompositingQualityHighSpeed);
                drawn = f.GdipDrawImageRectRect(g.Get(), image, float(destRect.left), float(destRect.top),
                                                float(destRect.Width()), float(destRect.Height()), float(sourceRect.left),
                                                float(sourceRect.top), float(sourceRect.Width()), float(sourceRect.Height()),
                                                UnitPixel, nullptr, nullptr, nullptr) == gpOk;
            }
        }
    }
    f.GdipDisposeImage(image);
    if (!drawn) return;
    // Back from premultiplied, alpha from 127..254 to 0..253; only where the image went.
    const TRect area = TRect::Intersect(destRect, to.Bounds());
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = to.Row(y);
        for (int x = area.left; x < area.right; ++x) {
            const uint32_t a = row[x] >> 24;
            if (a == 0) continue;
            uint32_t out = uint32_t(std::max(0, int(2 * a) - 255)) << 24;
            for (int k = 0; k < 24; k += 8) out |= std::min<uint32_t>(255, ((row[x] >> k) & 0xFF) * 256 / a) << k;
            row[x] = out;
        }
    }
}

void StretchBitmapGdip32(TBitmap* dest, TBitmap* source, int x, int y, int w, int h)
{
    if (!dest) return;
    StretchDrawGdip32(dest, source, TRect(0, 0, dest->Width(), dest->Height()), TRect(x, y, x + w, y + h));
}

void HalfScaleBlur32(TBitmap* bitmap)
{
    if (!bitmap || bitmap->Width() / 2 < 1 || bitmap->Height() / 2 < 1) return;
    std::unique_ptr<TBitmap> half(NewBitmap32(bitmap->Width() / 2, bitmap->Height() / 2));
    StretchBitmapGdip32(half.get(), bitmap, 0, 0, bitmap->Width() - 1, bitmap->Height() - 1);
    StretchBitmapGdip32(bitmap, half.get(), 0, 0, half->Width() - 1, half->Height() - 1);
}

void BlurBitmapGdip(TBitmap* bitmap, float radius)
{
    if (!bitmap || bitmap->Empty() || !StartGdiPlus(false)) return;
    const auto& f = F();
    if (!f.GdipCreateEffect) {
        HalfScaleBlur32(bitmap);
        return;
    }
    // Every step is checked; whatever fails leaves the bitmap as it was and the half-scale blur
    // does the work.
    bool done = false;
    void* effect = nullptr;
    if (f.GdipCreateEffect(BlurEffectGuid, &effect) == gpOk && effect) {
        const TBlurParams params{radius, FALSE};
        void* image = nullptr;
        if (f.GdipSetEffectParameters && f.GdipSetEffectParameters(effect, &params, sizeof(params)) == gpOk &&
            f.GdipCreateBitmapFromHBITMAP && f.GdipCreateBitmapFromHBITMAP(bitmap->Handle(), nullptr, &image) == gpOk &&
            image) {
            RECT roi{0, 0, bitmap->Width(), bitmap->Height()};
            void* output = nullptr;
            if (f.GdipBitmapCreateApplyEffect && f.GdipCreateHBITMAPFromBitmap &&
                f.GdipBitmapCreateApplyEffect(&image, 1, effect, &roi, nullptr, &output, FALSE, nullptr, nullptr) == gpOk &&
                output) {
                HBITMAP blurred = nullptr;
                if (f.GdipCreateHBITMAPFromBitmap(output, &blurred, 0) == gpOk && blurred) {
                    bitmap->SetHandle(blurred);
                    done = true;
                }
                if (f.GdipDisposeImage) f.GdipDisposeImage(output);
            }
            if (f.GdipDisposeImage) f.GdipDisposeImage(image);
        }
    }
    if (effect && f.GdipDeleteEffect) f.GdipDeleteEffect(effect);
    if (!done) HalfScaleBlur32(bitmap);
}

void RotatePoints(std::vector<TacPointF>& points, const TacPointF& center, int count, int angle)
{
    const float s = float(SinOf(angle)), c = float(CosOf(angle));
    count = std::min<int>(count, int(points.size()));
    for (int i = 0; i < count; ++i) {
        const float dx = points[size_t(i)].X - center.X, dy = points[size_t(i)].Y - center.Y;
        points[size_t(i)] = {center.X + (dx * c + dy * s), center.Y + (-dx * s + dy * c)};
    }
}

void DrawRotatedImageGdip(HDC dc, TBitmap* bitmap, const TRect& r, int angle)
{
    const auto& f = F();
    if (!bitmap || bitmap->Empty() || !StartGdiPlus(false) || !f.GdipCreateBitmapFromHBITMAP || !f.GdipDrawImagePoints ||
        !f.GdipDisposeImage)
        return;
    int a = 360 - angle;
    if (a < 0) a += 360;
    if (a >= 360) a -= 360;
    const float l = float(r.left), t = float(r.top), w = float(bitmap->Width()), h = float(bitmap->Height());
    std::vector<TacPointF> points = {{l, t}, {l + w, t}, {l, t + h}, {l + w, t + h}};
    RotatePoints(points, {float(r.left + r.right) / 2, float(r.top + r.bottom) / 2}, 4, a);
    TDCGraphics g(dc);
    if (!g.Get()) return;
    if (f.GdipSetInterpolationMode) f.GdipSetInterpolationMode(g.Get(), InterpolationModeHighQuality);
    void* image = nullptr;
    if (f.GdipCreateBitmapFromHBITMAP(bitmap->Handle(), nullptr, &image) != gpOk || !image) return;
    f.GdipDrawImagePoints(g.Get(), image, points.data(), 3);
    f.GdipDisposeImage(image);
}

TacGdipLayer* GdipPaintLayer()
{
    static TWindowsGdipLayer layer;
    Unit();
    return &layer;
}

void DrawLineGdip32(const TPixelView& v, TColor color, float x1, float y1, float x2, float y2, float width)
{
    if (!StartGdiPlus(false)) return;
    TViewGraphics g(v, PixelFormat32bppARGB);
    SmoothLine(g.Get(), color, x1, y1, x2, y2, width);
}
