// Fuzz target of the glyph outline reader and the contour fitting: any bytes as an outline buffer
// (an exact-size copy, so a read past its end is caught), any box and font height. The reader
// ends, its bounds hold every segment, measuring fits inside the box, and every drawn point lies
// in the fitted rectangle, which lies in the box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/graphics/glyph_outline.h"

namespace {

int16_t Int16(const uint8_t* p) { return int16_t(uint16_t(p[0] | p[1] << 8)); }

void Check(bool ok)
{
    if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8) return 0;
    const int left = Int16(data) / 4, top = Int16(data + 2) / 4;
    const int w = data[4] | (data[5] & 0x0F) << 8, h = data[6] | (data[7] & 0x0F) << 8;
    const int fontHeight = int(data[5] >> 4) * 16 + (data[7] >> 4);
    const std::vector<uint8_t> outline(data + 8, data + size);
    const auto strokes = ReadGlyphOutline(outline.data(), outline.size());
    if (!strokes) return 0;

    const TRect k = strokes->GetBounds();
    int lastGlyph = 0;
    strokes->EnumStrokes([&](int, const TFontStroke& s) {
        Check(s.GlyphNumber >= lastGlyph);
        lastGlyph = s.GlyphNumber;
        for (const TPoint& p : {s.Pt1, s.Pt2}) Check(p.x >= k.left && p.x <= k.right && p.y >= k.top && p.y <= k.bottom);
        return true;
    });
    Check(strokes->GetNumGlyphs() == (strokes->Count() ? lastGlyph + 1 : 0));

    const TacContourFit measured = FitGlyphContour(k, w, h, fontHeight, true);
    if (!measured.IsEmpty()) Check(measured.Width <= w && measured.Height <= h);

    const TRect box(left, top, left + w, top + h);
    const TRect fitted = ContourFittedRect(*strokes, box, fontHeight);
    const auto polygons = ContourPolygons(*strokes, box, fontHeight);
    if (fitted.IsEmpty()) {
        Check(polygons.empty());
        return 0;
    }
    Check(fitted.left >= box.left && fitted.top >= box.top && fitted.right <= box.right && fitted.bottom <= box.bottom);
    for (const auto& polygon : polygons)
        for (const TacPointFl& p : polygon)
            Check(p.x >= float(fitted.left) && p.x <= float(fitted.right) && p.y >= float(fitted.top) &&
                  p.y <= float(fitted.bottom));
    return 0;
}
