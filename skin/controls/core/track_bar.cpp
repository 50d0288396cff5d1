#include "skin/controls/core/track_bar.h"

#include <algorithm>
#include <cmath>
#include <utility>

int TacRoundEven(double value)
{
    const double f = std::floor(value);
    const double diff = value - f;
    double r = f;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0)) r = f + 1;
    return static_cast<int>(r);
}

TRect TacProgressRect(const TRect& r, bool horizontal, bool reversed, int position, int min, int max, int from)
{
    const int len = horizontal ? r.Width() : r.Height();
    const int start = horizontal ? r.left : r.top, end = horizontal ? r.right : r.bottom;
    const int64_t already = std::max<int64_t>(int64_t(from) - min, 0);
    int p = 0, a = 0;
    if (max == min) {
        p = position - min;
        a = static_cast<int>(already);
    } else {
        const double range = double(int64_t(max) - min);
        p = TacRoundEven(double(int64_t(len) * (int64_t(position) - min)) / range);
        a = TacRoundEven(double(int64_t(len) * already) / range);
    }
    int lo = 0, hi = 0;
    const bool forward = from <= position;
    if (!reversed) {
        lo = start + (forward ? a : p);
        hi = start + (forward ? p : a);
    } else {
        lo = end - (forward ? p : a);
        hi = end - (forward ? a : p);
    }
    return horizontal ? TRect(lo, r.top, hi, r.bottom) : TRect(r.left, lo, r.right, hi);
}

TRect TacSkinChannelRect(const TRect& channel, bool horizontal, int imageWidth, int imageHeight)
{
    TRect c = channel;
    if (horizontal) {
        const int h = imageHeight - 1;
        c.top += (c.Height() - h) / 2;
        c.bottom = c.top + h;
        c.left += 1;
        c.right -= 1;
    } else {
        const int w = imageWidth - 1;
        c.left += (c.Width() - w) / 2;
        c.right = c.left + w;
        c.top += 1;
        c.bottom -= 1;
    }
    return c;
}

TRect TacMirrorThumbRect(const TRect& thumb, bool horizontal, int width, int height)
{
    TRect t = thumb;
    if (horizontal) {
        const int w = t.Width();
        t.left = width - w - t.left;
        t.right = t.left + w;
    } else {
        const int h = t.Height();
        t.top = height - h - t.top;
        t.bottom = t.top + h;
    }
    return t;
}

int16_t TacMirrorCoord(int16_t coord, int size) { return static_cast<int16_t>(static_cast<uint16_t>(size - coord)); }

int TacPositionFromPoint(const TRect& channel, bool horizontal, TPoint p, int min, int max, int current)
{
    const int len = horizontal ? channel.Width() : channel.Height();
    if (len == 0) return current;
    const double range = double(int64_t(max) - min);
    const double along = horizontal ? double(p.x - channel.left) : double(p.y - channel.top);
    const int v = TacRoundEven(range * along / len + min);
    return std::clamp(v, min, std::max(min, max));
}

TPoint TacCentredImage(const TRect& t, TSize s)
{
    return TPoint(t.left + (t.Width() - s.cx) / 2, t.top + (t.Height() - s.cy) / 2);
}

std::vector<TPoint> TacTickPositions(const TacTickInput& in)
{
    std::vector<TPoint> out;
    if (in.Count <= 0) return out;
    out.resize(static_cast<size_t>(in.Count));
    TRect r = in.Channel;
    if (in.Horizontal)
        r.Offset(in.Shift, 0);
    else
        r.Offset(0, in.Shift);
    const int thumbLen = in.Horizontal ? in.Thumb.Width() : in.Thumb.Height();
    const int b = thumbLen / 2;
    const int start = in.Horizontal ? r.left : r.top, end = in.Horizontal ? r.right : r.bottom;
    auto put = [&](size_t i, int v) { out[i] = in.Horizontal ? TPoint(v, 0) : TPoint(0, v); };
    if (in.Auto) {
        const double step = in.Count > 1 ? double((end - start) - thumbLen) / (in.Count - 1) : 0.0;
        for (int i = 0; i < in.Count; ++i) put(size_t(i), TacRoundEven(start + i * step + b));
        return out;
    }
    put(0, start + b);
    for (int i = 1; i + 1 < in.Count; ++i)
        put(size_t(i), size_t(i - 1) < in.Middle.size() ? in.Middle[size_t(i - 1)] : start + b);
    if (in.Count > 1) put(size_t(in.Count - 1), end - b);
    return out;
}

namespace {

int Gap(const TacTickMarkInput& in)
{
    return in.Horizontal ? (in.Thumb.Height() - in.Channel.Height()) / 2 + 2 : (in.Thumb.Width() - in.Channel.Width()) / 2 + 2;
}
bool HasFirstSide(TacTickSide s) { return s == tsdTopLeft || s == tsdBoth; }
bool HasSecondSide(TacTickSide s) { return s == tsdBottomRight || s == tsdBoth; }

}  // namespace

std::vector<TPoint> TacTickMarkPoints(const TacTickMarkInput& in, const std::vector<TPoint>& ticks)
{
    std::vector<TPoint> out;
    const int g = Gap(in);
    const bool selection = in.SelStart != 0 || in.SelEnd != 0;
    const int first = in.Horizontal ? in.Channel.top - g - in.TickHeight : in.Channel.left - g - in.TickHeight;
    const int second = in.Horizontal ? in.Channel.bottom + g : in.Channel.right + g;
    for (size_t i = 0; i < ticks.size(); ++i) {
        const int idx = static_cast<int>(i);
        if (selection && (idx == in.SelStart || idx == in.SelEnd)) continue;
        const int along = in.Horizontal ? ticks[i].x : ticks[i].y;
        for (int side = 0; side < 2; ++side) {
            if (side == 0 ? !HasFirstSide(in.Side) : !HasSecondSide(in.Side)) continue;
            const int across = side == 0 ? first : second;
            out.push_back(in.Horizontal ? TPoint(along, across) : TPoint(across, along));
        }
    }
    return out;
}

std::vector<TacTriangle> TacSelectionMarks(const TacTickMarkInput& in)
{
    std::vector<TacTriangle> out;
    const bool drawn = in.Horizontal ? (in.SelStart != 0 || in.SelEnd != 0) : (in.SelStart > 0 || in.SelEnd > 0);
    if (!drawn) return out;
    const int s = std::max(in.SelStart, in.Min), e = std::min(in.SelEnd, in.Max);
    const int span = in.Horizontal ? in.Channel.Width() - in.Thumb.Width() : in.Channel.Height() - in.Thumb.Height();
    const double k = in.Max == in.Min ? 0.0 : double(span) / double(int64_t(in.Max) - in.Min);
    const int origin = in.Horizontal ? in.Channel.left : in.Channel.top;
    const int m1 = origin + TacRoundEven((s + 1) * k) + 4, m2 = origin + TacRoundEven((e + 1) * k) + 4;
    const int g = Gap(in);
    if (in.Horizontal) {
        if (HasFirstSide(in.Side)) {
            const int y = in.Channel.top - g - in.TickHeight;
            out.push_back({{{m1, y}, {m1, y - 3}, {m1 - 3, y - 3}}});
            out.push_back({{{m2, y}, {m2, y - 3}, {m2 + 3, y - 3}}});
        }
        if (HasSecondSide(in.Side)) {
            const int y = in.Channel.bottom + g;
            out.push_back({{{m1, y}, {m1, y + 3}, {m1 - 3, y + 3}}});
            out.push_back({{{m2, y}, {m2, y + 3}, {m2 + 3, y + 3}}});
        }
    } else {
        if (HasFirstSide(in.Side)) {
            const int x = in.Channel.left - g - in.TickHeight;
            out.push_back({{{x, m1}, {x - 3, m1 - 3}, {x - 3, m1}}});
            out.push_back({{{x, m2}, {x - 3, m2}, {x - 3, m2 + 3}}});
        }
        if (HasSecondSide(in.Side)) {
            const int x = in.Channel.right + g;
            out.push_back({{{x, m1}, {x + 3, m1 - 3}, {x + 3, m1}}});
            out.push_back({{{x, m2}, {x + 3, m2}, {x + 3, m2 + 3}}});
        }
    }
    return out;
}

void TacFlipPixels(const TPixelView& v, bool topToBottom)
{
    if (v.IsNull()) return;
    if (topToBottom) {
        for (int y = 0; y < v.Height / 2; ++y)
            std::swap_ranges(v.Row(y), v.Row(y) + v.Width, v.Row(v.Height - 1 - y));
    } else {
        for (int y = 0; y < v.Height; ++y) std::reverse(v.Row(y), v.Row(y) + v.Width);
    }
}
