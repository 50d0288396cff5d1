#include "tests/common/screenshot.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "tests/common/test_support.h"
#include "vcl/streams.h"

namespace testing_support {

namespace {

// The bitmap as 32-bit pixels, without touching the original.
std::unique_ptr<TBitmap> As32(TBitmap& bitmap)
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(&bitmap);
    if (copy->PixelFormat() != pf32bit) {
        copy->SetPixelFormat(pf32bit);
        for (int y = 0; y < copy->Height(); ++y) {
            auto* p = static_cast<uint8_t*>(copy->ScanLine(y));
            for (int x = 0; x < copy->Width(); ++x) p[4 * x + 3] = 255;
        }
    }
    return copy;
}

void PutBE32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}

void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBE32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBE32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::unique_ptr<TBitmap> CaptureWindow(HWND window, bool clientOnly)
{
    auto bmp = std::make_unique<TBitmap>();
    if (!IsWindow(window)) return bmp;
    RECT r{};
    if (clientOnly)
        GetClientRect(window, &r);
    else
        GetWindowRect(window, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return bmp;
    bmp->SetPixelFormat(pf32bit);
    bmp->SetSize(w, h);
    HDC dst = bmp->Canvas()->Handle();
    bool done = false;
    if (!clientOnly) {
        // PrintWindow asks the window to paint itself, so a covered window still comes out.
        done = PrintWindow(window, dst, 0) != FALSE;
    }
    if (!done) {
        HDC src = clientOnly ? GetDC(window) : GetWindowDC(window);
        if (src) {
            BitBlt(dst, 0, 0, w, h, src, 0, 0, SRCCOPY);
            ReleaseDC(window, src);
        }
    }
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        auto* p = static_cast<uint8_t*>(bmp->ScanLine(y));
        for (int x = 0; x < w; ++x) p[4 * x + 3] = 255;
    }
    return bmp;
}

void WritePngFile(TBitmap& bitmap, const String& fileName)
{
    std::unique_ptr<TBitmap> bmp = As32(bitmap);
    int w = bmp->Width(), h = bmp->Height();
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(w * 4 + 1) * h);
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);   // filter: none
        auto* p = static_cast<const uint8_t*>(bmp->ScanLine(y));
        for (int x = 0; x < w; ++x) {
            raw.push_back(p[4 * x + 2]);
            raw.push_back(p[4 * x + 1]);
            raw.push_back(p[4 * x + 0]);
            raw.push_back(p[4 * x + 3]);
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(zlen);
    if (compress2(z.data(), &zlen, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        throw Exception(L"PNG compression failed");
    z.resize(zlen);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    PutBE32(ihdr, static_cast<uint32_t>(w));
    PutBE32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});   // 8 bits, RGBA, deflate, no filter, no interlace
    PngChunk(png, "IHDR", ihdr);
    PngChunk(png, "IDAT", z);
    PngChunk(png, "IEND", {});
    WriteFileBytes(fileName, png);
}

String SaveArtifact(TBitmap& bitmap, const String& name)
{
    String base = ArtifactsDir() + name;
    std::unique_ptr<TBitmap> bmp = As32(bitmap);
    bmp->SaveToFile(base + L".bmp");
    WritePngFile(*bmp, base + L".png");
    return base + L".png";
}

String SaveScreenshot(HWND window, const String& name, bool clientOnly)
{
    std::unique_ptr<TBitmap> bmp = CaptureWindow(window, clientOnly);
    if (bmp->Empty()) return String();
    return SaveArtifact(*bmp, name);
}

TColor PixelAt(TBitmap& bitmap, int x, int y)
{
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return clNone;
    if (bitmap.PixelFormat() == pf32bit || bitmap.PixelFormat() == pf24bit) {
        auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
        const uint8_t* p = row + x * (bitmap.PixelFormat() == pf32bit ? 4 : 3);
        return RGB(p[2], p[1], p[0]);
    }
    return ColorToRGB(bitmap.Canvas()->Pixels(x, y));
}

TColor PixelAt(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    if (!dc) return clNone;
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

int AlphaAt(TBitmap& bitmap, int x, int y)
{
    if (bitmap.PixelFormat() != pf32bit || x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height())
        return 255;
    return static_cast<const uint8_t*>(bitmap.ScanLine(y))[4 * x + 3];
}

int ColorDistance(TColor a, TColor b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(((a >> s) & 0xFF) - ((b >> s) & 0xFF)));
    return d;
}

TBitmapDiff CompareBitmaps(TBitmap& a, TBitmap& b, int tolerance, bool withAlpha)
{
    TBitmapDiff diff;
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        diff.sameSize = false;
        return diff;
    }
    bool alpha = withAlpha && a.PixelFormat() == pf32bit && b.PixelFormat() == pf32bit;
    std::unique_ptr<TBitmap> pa = As32(a), pb = As32(b);
    for (int y = 0; y < a.Height(); ++y) {
        auto* ra = static_cast<const uint8_t*>(pa->ScanLine(y));
        auto* rb = static_cast<const uint8_t*>(pb->ScanLine(y));
        for (int x = 0; x < a.Width(); ++x) {
            int d = 0;
            for (int c = 0; c < (alpha ? 4 : 3); ++c) d = std::max(d, std::abs(ra[4 * x + c] - rb[4 * x + c]));
            diff.maxDelta = std::max(diff.maxDelta, d);
            if (d > tolerance) {
                if (diff.differing == 0) diff.firstAt = TPoint(x, y);
                ++diff.differing;
            }
        }
    }
    return diff;
}

bool BitmapsMatch(TBitmap& a, TBitmap& b, int tolerance, TBitmapDiff* diff)
{
    TBitmapDiff d = CompareBitmaps(a, b, tolerance);
    if (diff) *diff = d;
    return d.sameSize && d.differing == 0;
}

}  // namespace testing_support
