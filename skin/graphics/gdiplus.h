// GDI+ bound by name at run time: anti-aliased lines and polygons, gradient bands and path
// gradients, scaled drawing of 32-bit images keeping their alpha, rotation and the blur effect.
// Every helper draws nothing (and raises nothing) when the library or a function it needs is
// missing or answers with an error; the blur then falls back to the half-scale blur.
#pragma once

#include <vector>

#include "skin/graphics/gdip_layer.h"
#include "skin/graphics/glyph_layout.h"
#include "vcl/graphics.h"
#include "vcl/win.h"

// ---- the binding (replaceable by tests: a missing library, a failing function) ----------------

using TGpStatus = int;   // 0 = Ok
constexpr TGpStatus gpOk = 0;
constexpr TGpStatus gpNotImplemented = 6;

struct TacGdipFunctions {
    HMODULE Module = nullptr;   // nil: no GDI+
    TGpStatus(WINAPI* GdiplusStartup)(ULONG_PTR*, const void*, void*) = nullptr;
    void(WINAPI* GdiplusShutdown)(ULONG_PTR) = nullptr;
    TGpStatus(WINAPI* GdipCreateFromHDC)(HDC, void**) = nullptr;
    TGpStatus(WINAPI* GdipDeleteGraphics)(void*) = nullptr;
    TGpStatus(WINAPI* GdipSetSmoothingMode)(void*, int) = nullptr;
    TGpStatus(WINAPI* GdipCreatePen1)(uint32_t, float, int, void**) = nullptr;
    TGpStatus(WINAPI* GdipDeletePen)(void*) = nullptr;
    TGpStatus(WINAPI* GdipDrawLine)(void*, void*, float, float, float, float) = nullptr;
    TGpStatus(WINAPI* GdipDrawPolygon)(void*, void*, const TacPointF*, int) = nullptr;
    TGpStatus(WINAPI* GdipCreateLineBrush)(const TacPointF*, const TacPointF*, uint32_t, uint32_t, int, void**) = nullptr;
    TGpStatus(WINAPI* GdipCreatePathGradient)(const TacPointF*, int, int, void**) = nullptr;
    TGpStatus(WINAPI* GdipSetPathGradientCenterColor)(void*, uint32_t) = nullptr;
    TGpStatus(WINAPI* GdipSetPathGradientSurroundColorsWithCount)(void*, const uint32_t*, int*) = nullptr;
    TGpStatus(WINAPI* GdipFillRectangle)(void*, void*, float, float, float, float) = nullptr;
    TGpStatus(WINAPI* GdipDeleteBrush)(void*) = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromScan0)(int, int, int, int, BYTE*, void**) = nullptr;
    TGpStatus(WINAPI* GdipBitmapLockBits)(void*, const void*, UINT, int, void*) = nullptr;
    TGpStatus(WINAPI* GdipBitmapUnlockBits)(void*, void*) = nullptr;
    TGpStatus(WINAPI* GdipSetCompositingMode)(void*, int) = nullptr;
    TGpStatus(WINAPI* GdipSetCompositingQuality)(void*, int) = nullptr;
    TGpStatus(WINAPI* GdipDrawImageRectRect)(void*, void*, float, float, float, float, float, float, float, float, int,
                                             const void*, void*, void*) = nullptr;
    TGpStatus(WINAPI* GdipDisposeImage)(void*) = nullptr;
    TGpStatus(WINAPI* GdipCreateEffect)(GUID, void**) = nullptr;
    TGpStatus(WINAPI* GdipDeleteEffect)(void*) = nullptr;
    TGpStatus(WINAPI* GdipSetEffectParameters)(void*, const void*, UINT) = nullptr;
    TGpStatus(WINAPI* GdipBitmapCreateApplyEffect)(void**, int, void*, RECT*, RECT*, void**, BOOL, void**, int*) = nullptr;
    TGpStatus(WINAPI* GdipCreateHBITMAPFromBitmap)(void*, HBITMAP*, uint32_t) = nullptr;
    TGpStatus(WINAPI* GdipCreateBitmapFromHBITMAP)(HBITMAP, HPALETTE, void**) = nullptr;
    TGpStatus(WINAPI* GdipSetInterpolationMode)(void*, int) = nullptr;
    TGpStatus(WINAPI* GdipDrawImagePoints)(void*, void*, const TacPointF*, int) = nullptr;
    TGpStatus(WINAPI* GdipGetImageGraphicsContext)(void*, void**) = nullptr;
    TGpStatus(WINAPI* GdipSetClipRectI)(void*, int, int, int, int, int) = nullptr;
};

// The functions in force: loaded and bound on first use (the library started once for the
// process). Tests may change entries and must put them back.
TacGdipFunctions& GdipFunctions();
// Binding the library (done once on first use), and starting it with DoStart.
bool StartGdiPlus(bool doStart);
void StopGdiPlus(bool doStop);

// ---- drawing helpers -------------------------------------------------------------------------

// Colours are TColor values whose byte 3 is the opacity; the line and polygon treat 0 as opaque.
void DrawLineGdip(HDC dc, TColor color, float x1, float y1, float x2, float y2, float width);
void DrawPolygonGdip(HDC dc, TColor color, const std::vector<TacPointF>& points, int count, int width);
void FillHorzGradientGdip(HDC dc, TColor color1, TColor color2, float x, float y, float w, float h);
void FillVertGradientGdip(HDC dc, TColor color1, TColor color2, float x, float y, float w, float h);
void FillPathGradientGdip(HDC dc, const TPoint (&corners)[4], const TColor (&cornerColors)[4], float x, float y, float w,
                          float h, TColor centerColor);
// sourceRect of Source scaled into destRect of Dest keeping alpha (opaque pixels come out at 253).
// Dest changes only inside destRect, and only when the drawing succeeded.
void StretchDrawGdip32(TBitmap* dest, TBitmap* source, const TRect& destRect, const TRect& sourceRect);
void StretchBitmapGdip32(TBitmap* dest, TBitmap* source, int x, int y, int w, int h);
// Blurs the bitmap in place with the blur effect; without the effect, or when it fails, by halving
// and enlarging again (HalfScaleBlur32); without GDI+ not at all.
void BlurBitmapGdip(TBitmap* bitmap, float radius);
void HalfScaleBlur32(TBitmap* bitmap);
// Rotates the first Count points about Center by whole degrees (the one-degree table).
void RotatePoints(std::vector<TacPointF>& points, const TacPointF& center, int count, int angle);
// The bitmap turned by Angle about the centre of Rect (90: a quarter turn clockwise).
void DrawRotatedImageGdip(HDC dc, TBitmap* bitmap, const TRect& r, int angle);

// The layer through which the painting core draws gradient bands, path gradients and the
// four-corner fill on pixel views.
TacGdipLayer* GdipPaintLayer();

// msimg32's GradientFill, bound by name (nil when missing); tests may replace it.
using TGradientFillFunc = BOOL(WINAPI*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);
TGradientFillFunc& BoundGradientFill();

// An anti-aliased line drawn into a pixel view with real alpha (TColor, byte 3 = 0 taken as opaque).
void DrawLineGdip32(const TPixelView& v, TColor color, float x1, float y1, float x2, float y2, float width);
