// 32-bit pixels without a device: a view of someone else's rows, and an image that owns its
// own. The painting core works on views, so a DIB section, a skin image and a test buffer are
// all painted by the same code. No windows.h here.
//
// A pixel is B, G, R, A (byte 0 blue) with straight alpha unless a routine says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vcl/types.h"

// Rows of 32-bit pixels: Row0 is the top row, Stride the signed byte distance from one row to
// the next (negative for a bottom-up DIB). A view with no rows is null; views never own.
struct TPixelView {
    uint8_t* Row0 = nullptr;
    ptrdiff_t Stride = 0;
    int Width = 0;
    int Height = 0;

    constexpr TPixelView() = default;
    constexpr TPixelView(uint8_t* row0, ptrdiff_t stride, int width, int height)
        : Row0(row0), Stride(stride), Width(width > 0 && row0 ? width : 0), Height(height > 0 && row0 ? height : 0)
    {
    }

    constexpr bool IsNull() const { return Row0 == nullptr || Width <= 0 || Height <= 0; }
    constexpr TRect Bounds() const { return TRect(0, 0, Width, Height); }
    uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(Row0 + Stride * y); }
    // Unchecked: callers clip first.
    uint32_t& At(int x, int y) const { return Row(y)[x]; }
    // The part of the view inside r (clipped to the view); null when nothing is left.
    TPixelView Sub(const TRect& r) const
    {
        TRect c = TRect::Intersect(r, Bounds());
        if (IsNull() || c.IsEmpty()) return {};
        return TPixelView(reinterpret_cast<uint8_t*>(Row(c.top) + c.left), Stride, c.Width(), c.Height());
    }
};

// A top-down image owning its pixels (stride = 4 x width).
class TPixelImage {
public:
    TPixelImage() = default;
    TPixelImage(int width, int height, uint32_t fill = 0) { Resize(width, height, fill); }

    // Negative sizes count as 0; the pixels are all set to fill.
    void Resize(int width, int height, uint32_t fill = 0)
    {
        FWidth = width > 0 && height > 0 ? width : 0;
        FHeight = width > 0 && height > 0 ? height : 0;
        FPixels.assign(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight), fill);
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FPixels.empty(); }
    TRect Bounds() const { return TRect(0, 0, FWidth, FHeight); }
    uint32_t* Data() { return FPixels.data(); }
    const uint32_t* Data() const { return FPixels.data(); }
    uint32_t& At(int x, int y) { return FPixels[static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x)]; }
    uint32_t At(int x, int y) const { return FPixels[static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x)]; }
    // The views share the pixels; a const image gives a view that must only be read.
    TPixelView View() const
    {
        if (FPixels.empty()) return {};
        return TPixelView(reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(FPixels.data())),
                          static_cast<ptrdiff_t>(FWidth) * 4, FWidth, FHeight);
    }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint32_t> FPixels;
};

// Rows of 8-bit samples (a mask, one channel taken out of an image), laid out like TPixelView.
struct TBytePlane {
    uint8_t* Row0 = nullptr;
    ptrdiff_t Stride = 0;
    int Width = 0;
    int Height = 0;

    constexpr TBytePlane() = default;
    constexpr TBytePlane(uint8_t* row0, ptrdiff_t stride, int width, int height)
        : Row0(row0), Stride(stride), Width(width > 0 && row0 ? width : 0), Height(height > 0 && row0 ? height : 0)
    {
    }
    constexpr bool IsNull() const { return Row0 == nullptr || Width <= 0 || Height <= 0; }
    uint8_t* Row(int y) const { return Row0 + Stride * y; }
};

// A top-down plane owning its samples.
class TByteImage {
public:
    TByteImage() = default;
    TByteImage(int width, int height, uint8_t fill = 0) { Resize(width, height, fill); }
    void Resize(int width, int height, uint8_t fill = 0)
    {
        FWidth = width > 0 && height > 0 ? width : 0;
        FHeight = width > 0 && height > 0 ? height : 0;
        FSamples.assign(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight), fill);
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    uint8_t& At(int x, int y) { return FSamples[static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x)]; }
    uint8_t At(int x, int y) const { return FSamples[static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x)]; }
    TBytePlane Plane() const
    {
        if (FSamples.empty()) return {};
        return TBytePlane(const_cast<uint8_t*>(FSamples.data()), FWidth, FWidth, FHeight);
    }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint8_t> FSamples;
};
