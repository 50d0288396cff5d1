// What the painting core hands to the system's graphics libraries: smooth gradient bands and
// path gradients (GDI+) and the four-corner triangle fill (msimg32). The
// Windows build supplies an implementation over the bound functions; without one (natively, or
// without the libraries) these steps paint nothing, as on a system that lacks them. No windows.h.
#pragma once

#include "skin/graphics/pixel_view.h"

class TacGdipLayer {
public:
    virtual ~TacGdipLayer() = default;
    // A linear band from c1 to c2 (TColor with the opacity in byte 3) over the rectangle
    // (x, y, w, h), left to right, or top to bottom when vertical; pixels outside clip stay.
    virtual void FillLinearGradient(const TPixelView& v, const TRect& clip, uint32_t c1, uint32_t c2, float x, float y,
                                    float w, float h, bool vertical) = 0;
    // A path gradient over the four corners (colours per corner, centre colour at the path's centre).
    virtual void FillPathGradient(const TPixelView& v, const TPoint (&corners)[4], const uint32_t (&colors)[4], float x,
                                  float y, float w, float h, uint32_t centerColor) = 0;
    // The four triangles of a four-corner gradient (vertices: top-left, centre, top-right,
    // bottom-right, bottom-left); False when the fill is not available.
    virtual bool FillCornerTriangles(const TPixelView& v, const TPoint (&vertices)[5], const uint32_t (&colors)[5]) = 0;
};
