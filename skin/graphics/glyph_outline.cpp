#include "skin/graphics/glyph_outline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vcl/sysutils.h"

namespace {

// Half-way values go to the even neighbour, as the outline's integer ends always have.
int RoundToInt(float v)
{
    return static_cast<int>(std::nearbyint(v));
}

TPoint Rounded(TacPointFl p)
{
    return TPoint(RoundToInt(p.x), RoundToInt(p.y));
}

bool Same(TacPointFl a, TacPointFl b)
{
    return a.x == b.x && a.y == b.y;
}

float FixedToFloat(TacOutlineFixed f)
{
    return static_cast<float>(f.value) + static_cast<float>(f.fract) / 65536.0f;
}

TacPointFl ToPoint(const TacOutlinePoint& p)
{
    return {FixedToFloat(p.x), FixedToFloat(p.y)};
}

template <typename T>
T ReadAt(const uint8_t* data, size_t offset)
{
    T v;
    std::memcpy(&v, data + offset, sizeof(T));
    return v;
}

void AddSegment(TacStrokeCollection& out, int glyph, TacPointFl a, TacPointFl b)
{
    out.Add(TFontStroke{glyph, Rounded(a), Rounded(b)});
}

uint8_t Darkness(uint32_t px)
{
    const uint32_t b = px & 0xFF, g = (px >> 8) & 0xFF, r = (px >> 16) & 0xFF;
    return static_cast<uint8_t>(255 - ((r + 2 * g + b) >> 2));
}

uint8_t ToByte(float v)
{
    return static_cast<uint8_t>(std::clamp(RoundToInt(v), 0, 255));
}

}  // namespace

int TacStrokeCollection::GetNumGlyphs() const
{
    return FStrokes.empty() ? 0 : FStrokes.back().GlyphNumber + 1;
}

int TacStrokeCollection::StartOfGlyph(int glyphNumber) const
{
    if (glyphNumber < 0 || glyphNumber >= GetNumGlyphs()) return -1;
    for (int i = 0; i < Count(); ++i)
        if (FStrokes[static_cast<size_t>(i)].GlyphNumber == glyphNumber) return i;
    return Count();
}

int TacStrokeCollection::GlyphNumStrokes(int glyphNumber) const
{
    if (StartOfGlyph(glyphNumber) < 0) return -1;
    // Counted, not the distance to the next contour's start: a contour without segments answers
    // the list's count as its start, which made its neighbour's count wrong (even negative).
    return static_cast<int>(std::count_if(FStrokes.begin(), FStrokes.end(),
                                          [&](const TFontStroke& s) { return s.GlyphNumber == glyphNumber; }));
}

const TFontStroke& TacStrokeCollection::GetFontStroke(int idx) const
{
    if (idx < 0 || idx >= Count()) throw EListError(Format(L"List index out of bounds (%d)", {idx}));
    return FStrokes[static_cast<size_t>(idx)];
}

TRect TacStrokeCollection::GetBounds() const
{
    if (FStrokes.empty()) return TRect();
    TRect r(FStrokes[0].Pt1.x, FStrokes[0].Pt1.y, FStrokes[0].Pt1.x, FStrokes[0].Pt1.y);
    for (const TFontStroke& s : FStrokes)
        for (const TPoint& p : {s.Pt1, s.Pt2}) {
            r.left = std::min(r.left, p.x);
            r.right = std::max(r.right, p.x);
            r.top = std::min(r.top, p.y);
            r.bottom = std::max(r.bottom, p.y);
        }
    return r;
}

void TacStrokeCollection::EnumStrokes(const TEnumStrokesCallback& callback) const
{
    if (!callback) return;
    for (int i = 0; i < Count(); ++i)
        if (!callback(i, FStrokes[static_cast<size_t>(i)])) return;
}

TacPointFl FlattenQuadratic(TacStrokeCollection& out, int glyph, TacPointFl a, TacPointFl b, TacPointFl c)
{
    const float ax = a.x - 2 * b.x + c.x, ay = a.y - 2 * b.y + c.y;
    const float bx = 2 * b.x - 2 * a.x, by = 2 * b.y - 2 * a.y;
    TacPointFl prev = a, p = a;
    for (int k = 1; k <= 7; ++k) {
        const float t = k == 7 ? 1.0f : static_cast<float>(k) / 7.0f;
        p = {a.x + ax * t * t + bx * t, a.y + ay * t * t + by * t};
        if (!Same(p, prev)) AddSegment(out, glyph, prev, p);
        prev = p;
    }
    return p;
}

std::optional<TacStrokeCollection> ReadGlyphOutline(const uint8_t* data, size_t size)
{
    constexpr size_t headerSize = sizeof(TacOutlineHeader);
    constexpr size_t curveHeadSize = sizeof(TacOutlineCurveHead);
    constexpr size_t pointSize = sizeof(TacOutlinePoint);
    if (!data || size < headerSize) return std::nullopt;
    if (ReadAt<TacOutlineHeader>(data, 0).type != acOutlinePolygon) return std::nullopt;

    TacStrokeCollection out;
    size_t offset = 0;
    for (int k = 0; size - offset >= headerSize; ++k) {
        const auto header = ReadAt<TacOutlineHeader>(data, offset);
        // A contour must hold its own header and end inside the buffer.
        if (header.cb < headerSize || header.cb > size - offset) break;
        const size_t end = offset + header.cb;
        const TacPointFl start = ToPoint(header.start);
        TacPointFl current = start;
        bool intact = true;
        for (size_t p = offset + headerSize; p < end;) {
            if (end - p < curveHeadSize) {
                intact = false;
                break;
            }
            const auto curve = ReadAt<TacOutlineCurveHead>(data, p);
            const size_t n = curve.count;
            if ((end - p - curveHeadSize) / pointSize < n) {
                intact = false;
                break;
            }
            const size_t pts = p + curveHeadSize;
            auto point = [&](size_t m) { return ToPoint(ReadAt<TacOutlinePoint>(data, pts + m * pointSize)); };
            if (curve.type == acPrimLine) {
                for (size_t m = 0; m < n; ++m) {
                    const TacPointFl q = point(m);
                    if (!Same(current, q)) AddSegment(out, k, current, q);
                    current = q;
                }
            } else if (curve.type == acPrimQSpline && n >= 2) {
                TacPointFl a = current;
                for (size_t m = 0; m + 2 <= n; ++m) {
                    const TacPointFl b = point(m);
                    TacPointFl c = point(m + 1);
                    if (m + 2 < n) c = {(b.x + c.x) / 2, (b.y + c.y) / 2};
                    a = FlattenQuadratic(out, k, a, b, c);
                }
                current = a;
            }
            p = pts + n * pointSize;
        }
        if (!Same(current, start)) AddSegment(out, k, current, start);
        if (!intact) break;
        offset = end;
    }
    return out;
}

TacContourFit FitGlyphContour(const TRect& bounds, int boxWidth, int boxHeight, int fontHeight, bool calcOnly)
{
    const int64_t kw = static_cast<int64_t>(bounds.right) - bounds.left;
    const int64_t kh = static_cast<int64_t>(bounds.bottom) - bounds.top;
    // A flat or thin outline has no aspect to keep: nothing to fit.
    if (kw <= 0 || kh <= 0) return {};
    int64_t width, height;
    if (static_cast<int64_t>(boxWidth) * kh >= static_cast<int64_t>(boxHeight) * kw) {
        height = calcOnly ? static_cast<int64_t>(boxHeight) - 4 : boxHeight;
        if (fontHeight > 0) height = std::min<int64_t>(height, fontHeight);
        width = height * kw / kh;
    } else {
        width = calcOnly ? static_cast<int64_t>(boxWidth) - 6 : boxWidth;
        height = width * kh / kw;
    }
    if (width <= 0 || height <= 0) return {};
    return {static_cast<int>(width), static_cast<int>(height)};
}

TRect ContourFittedRect(const TacStrokeCollection& strokes, const TRect& box, int fontHeight)
{
    const TacContourFit fit = FitGlyphContour(strokes.GetBounds(), box.Width(), box.Height(), fontHeight, false);
    if (fit.IsEmpty()) return TRect();
    const int x0 = box.left + (box.Width() - fit.Width) / 2;
    const int y0 = box.top + (box.Height() - fit.Height) / 2;
    return TRect(x0, y0, x0 + fit.Width, y0 + fit.Height);
}

std::vector<std::vector<TacPointFl>> ContourPolygons(const TacStrokeCollection& strokes, const TRect& box,
                                                     int fontHeight)
{
    std::vector<std::vector<TacPointFl>> polygons;
    const TRect fitted = ContourFittedRect(strokes, box, fontHeight);
    if (fitted.IsEmpty()) return polygons;
    const TRect k = strokes.GetBounds();
    const double sx = fitted.Width() / (static_cast<double>(k.right) - k.left + 1);
    const double sy = fitted.Height() / (static_cast<double>(k.bottom) - k.top + 1);
    // Font y points up: the outline's top row is the fitted rectangle's bottom minus its height.
    strokes.EnumStrokes([&](int, const TFontStroke& s) {
        if (static_cast<size_t>(s.GlyphNumber) >= polygons.size()) polygons.resize(static_cast<size_t>(s.GlyphNumber) + 1);
        const double dx = std::nearbyint((static_cast<double>(s.Pt1.x) - k.left) * sx);
        const double dy = std::nearbyint((static_cast<double>(s.Pt1.y) - k.top) * sy);
        polygons[static_cast<size_t>(s.GlyphNumber)].push_back(
            {static_cast<float>(fitted.left + dx), static_cast<float>(fitted.bottom - dy)});
        return true;
    });
    // Contours without segments leave no empty polygon behind.
    polygons.erase(std::remove_if(polygons.begin(), polygons.end(), [](const auto& p) { return p.empty(); }),
                   polygons.end());
    return polygons;
}

void CoverageToColor(const TPixelView& v, uint32_t color1, std::optional<uint32_t> color2)
{
    if (v.IsNull()) return;
    const uint32_t c1 = color1 & 0xFFFFFF;
    if (!color2) {
        for (int y = 0; y < v.Height; ++y) {
            uint32_t* row = v.Row(y);
            for (int x = 0; x < v.Width; ++x) row[x] = static_cast<uint32_t>(Darkness(row[x])) << 24 | c1;
        }
        return;
    }
    const uint32_t c2 = *color2 & 0xFFFFFF;
    float ch[3], step[3];
    for (int i = 0; i < 3; ++i) {
        ch[i] = static_cast<float>((c1 >> (8 * i)) & 0xFF);
        const float last = static_cast<float>((c2 >> (8 * i)) & 0xFF);
        step[i] = v.Height > 1 ? (last - ch[i]) / static_cast<float>(v.Height - 1) : 0.0f;
    }
    for (int y = 0; y < v.Height; ++y) {
        if (y > 0)
            for (int i = 0; i < 3; ++i) ch[i] += step[i];
        // The last row is the second colour itself, whatever the sum drifted to.
        const uint32_t rowColor = y == v.Height - 1 && v.Height > 1
                                      ? c2
                                      : static_cast<uint32_t>(ToByte(ch[0])) | static_cast<uint32_t>(ToByte(ch[1])) << 8 |
                                            static_cast<uint32_t>(ToByte(ch[2])) << 16;
        uint32_t* row = v.Row(y);
        for (int x = 0; x < v.Width; ++x) {
            const uint8_t a = Darkness(row[x]);
            row[x] = a ? static_cast<uint32_t>(a) << 24 | rowColor : 0;
        }
    }
}

std::optional<TRect> BadgeRect(const TRect& rect, int w, int h)
{
    if (w <= 0 || h <= 0) return std::nullopt;
    const int64_t left = static_cast<int64_t>(rect.right) - w, top = static_cast<int64_t>(rect.bottom) - h;
    if (left < 0 || top < 0) return std::nullopt;
    return TRect(static_cast<int>(left), static_cast<int>(top), rect.right, rect.bottom);
}

void ComposeBadge(const TPixelView& dest, const TPixelView& shape, const TPixelView& halo, const TRect& place,
                  int radius, uint32_t badgeColor)
{
    if (dest.IsNull() || halo.IsNull()) return;
    for (int i = 0; i < halo.Height; ++i) {
        const int64_t ty = static_cast<int64_t>(place.top) - radius + i;
        if (ty < 0 || ty >= dest.Height) continue;
        for (int j = 0; j < halo.Width; ++j) {
            const int64_t tx = static_cast<int64_t>(place.left) - radius + j;
            if (tx < 0 || tx >= dest.Width) continue;
            const int si = i - radius, sj = j - radius;
            const bool inShape = !shape.IsNull() && si >= 0 && si < shape.Height && sj >= 0 && sj < shape.Width;
            const uint32_t v = inShape ? Darkness(shape.At(sj, si)) : 0;
            uint32_t& t = dest.At(static_cast<int>(tx), static_cast<int>(ty));
            if (v != 0) {
                uint32_t out = v << 24;
                for (int c = 0; c < 3; ++c) {
                    const int tc = static_cast<int>((t >> (8 * c)) & 0xFF);
                    const int bc = static_cast<int>((badgeColor >> (8 * c)) & 0xFF);
                    out |= static_cast<uint32_t>(((bc - tc) * static_cast<int>(v) + tc * 256) >> 8) << (8 * c);
                }
                t = out;
            } else {
                // Where the blurred badge is dark enough the glyph under it is cut away.
                const int blue = static_cast<int>(halo.At(j, i) & 0xFF);
                const uint32_t knock = static_cast<uint32_t>(std::max(0, 6 * blue - 1275));
                t = (t & 0xFFFFFF) | std::min(t >> 24, knock) << 24;
            }
        }
    }
}
