#include "skin/controls/core/image_list_rules.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint8_t IconStart[2] = {0, 0};
constexpr uint8_t BitmapStart[2] = {'B', 'M'};

// Halves go to the even neighbour, as the picture sizes have always been rounded.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

bool IsIco(std::wstring_view ext)
{
    if (ext.size() != 3) return false;
    const wchar_t want[] = L"ico";
    for (size_t i = 0; i < 3; ++i) {
        wchar_t c = ext[i];
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
        if (c != want[i]) return false;
    }
    return true;
}

}  // namespace

bool StartsWithSignature(const uint8_t* head, int64_t left, const uint8_t* signature, int count)
{
    const int n = count < 8 ? count : 8;
    if (n < 0 || int64_t(n) >= left || head == nullptr) return false;
    return std::memcmp(head, signature, size_t(n)) == 0;
}

bool DetectImageFormat(const uint8_t* head, int64_t left, std::wstring_view extension, TsImageFormat& format)
{
    if (StartsWithSignature(head, left, PngSignature, 8)) {
        format = ifPNG;
        return true;
    }
    if (StartsWithSignature(head, left, IconStart, 2)) {
        if (!IsIco(extension)) return false;
        format = ifICO;
        return true;
    }
    if (StartsWithSignature(head, left, BitmapStart, 2)) {
        format = ifBMP32;
        return true;
    }
    return false;
}

std::wstring_view FileExtensionOf(std::wstring_view fileName)
{
    const size_t dot = fileName.find_last_of(L'.');
    const size_t sep = fileName.find_last_of(L"\\/:");
    if (dot == std::wstring_view::npos || (sep != std::wstring_view::npos && sep > dot)) return {};
    return fileName.substr(dot + 1);
}

uint32_t ImageListColorToColor(uint32_t color)
{
    if (color == 0xFF000000u) return 0x20000000u;
    if (color == 0xFFFFFFFFu) return 0x1FFFFFFFu;
    return color;
}

TacImageCell ImageStateCell(int width, int height, int x, int y, int state, int stateCount)
{
    const int n = stateCount < 1 ? 1 : stateCount;
    const int c = width / n;
    if (state >= n) state = n - 1;
    TacImageCell cell;
    cell.Dest = TRect(x, y, x + c, y + height);
    cell.Source = TRect(state * c, 0, state * c + c, height);
    cell.Size = TSize(c, height);
    return cell;
}

void ClipCellToStrip(TacImageCell& cell, int madeWidth, int madeHeight)
{
    // A cell left of the strip's start draws the strip's first cell that far to the left.
    if (cell.Source.left < 0) {
        const int off = -cell.Source.left;
        cell.Dest.left -= off;
        cell.Dest.right -= off;
        cell.Source.left = 0;
        cell.Source.right += off;
    }
    if (cell.Source.top < 0) {
        const int off = -cell.Source.top;
        cell.Dest.top -= off;
        cell.Dest.bottom -= off;
        cell.Source.top = 0;
        cell.Source.bottom += off;
    }
    cell.Source.right = std::min<int>(cell.Source.right, madeWidth);
    cell.Source.bottom = std::min<int>(cell.Source.bottom, madeHeight);
}

TSize IconResampleSize(int listWidth, int listHeight)
{
    if (listWidth <= 0 || listHeight <= 0) return TSize();
    const int s = std::max(listWidth, listHeight);
    return TSize(s * s / listWidth, s * s / listHeight);
}

TSize ImageBoxSize(const TacImageBoxInput& in)
{
    const int bw = in.Base.cx, bh = in.Base.cy;
    if (!in.Stretched || bw == 0 || bh == 0) return in.Base;
    const int w = in.Box.cx;
    const int h = in.Reflected ? in.Box.cy * 2 / 3 : in.Box.cy;
    if (!in.Proportional) return TSize(w, h);
    const double r = double(bw) / double(bh);
    if (bh < bw) {
        TSize s(w, RoundEven(w / r));
        if (s.cy > h) s = TSize(RoundEven(r * h), h);
        return s;
    }
    TSize s(RoundEven(r * h), h);
    if (s.cx > w) s = TSize(w, RoundEven(w / r));
    return s;
}

TPoint ImageBoxPosition(TSize size, TSize box, bool stretch, bool proportional, bool center, bool useFullSize)
{
    if ((stretch && !proportional) || !center) return TPoint(0, 0);
    const int full = size.cy + (useFullSize ? size.cy / 2 : 0);
    return TPoint((box.cx - size.cx) / 2, (box.cy - full) / 2);
}

bool NeedsOldSystemRepair(int osMajorVersion, int screenBitsPerPixel, bool hasManager, bool checkEmptyAlpha)
{
    if (osMajorVersion >= 6) return false;
    return screenBitsPerPixel < 32 || !hasManager || checkEmptyAlpha;
}

bool RepairEmptyAlpha(uint32_t* pixels, size_t count)
{
    if (!pixels || count == 0) return false;
    for (size_t i = 0; i < count; ++i)
        if (pixels[i] >> 24) return false;
    for (size_t i = 0; i < count; ++i)
        if (pixels[i] != 0x00FF00FFu) pixels[i] |= 0xFF000000u;
    return true;
}

uint32_t TintPixelByBrightness(uint32_t pixel, uint32_t rgbColor)
{
    if ((pixel & 0x00FFFFFFu) == 0x00FF00FFu) return pixel;
    const uint32_t m = std::max({pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF});
    const uint32_t r = (rgbColor & 0xFF) * m / 256, g = ((rgbColor >> 8) & 0xFF) * m / 256,
                   b = ((rgbColor >> 16) & 0xFF) * m / 256;
    return (pixel & 0xFF000000u) | r << 16 | g << 8 | b;
}
