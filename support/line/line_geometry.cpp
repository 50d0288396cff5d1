#include "support/line/line_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Round half away from zero, as the rest of the program rounds coordinates.
int RoundToInt(double v)
{
    return static_cast<int>(std::lround(v));
}

bool IsVertical(const TLineEnds& e)
{
    return e.start.x == e.end.x;
}

}  // namespace

TLineEnds LineEndPoints(int width, int height, int border, TLineSlope slope)
{
    if (slope == lsDown) return {{border, border}, {width - border, height - border}};
    return {{border, height - border}, {width - border, border}};
}

bool LineHitTest(int width, int height, int border, TLineSlope slope, int lineWidth, int x, int y)
{
    const int a = std::max(lineWidth / 2, 4);
    // The client rectangle inflated by a - border (right and bottom exclusive).
    const int grow = a - border;
    if (x < -grow || x >= width + grow || y < -grow || y >= height + grow) return false;

    const TLineEnds e = LineEndPoints(width, height, border, slope);
    if (IsVertical(e)) return std::abs(x - e.start.x) <= a;

    const double k = static_cast<double>(e.end.y - e.start.y) / (e.end.x - e.start.x);
    // The band's edges: the line moved a pixels across it both ways, so that it stays at least
    // a pixels wide at every slope (a shift along the line itself would leave no band at 45 degrees).
    const int sign = slope == lsDown ? 1 : -1;
    const TLinePoint offsets[2] = {{sign * a, a}, {-sign * a, -a}};
    int y0 = RoundToInt(k * (x + offsets[0].x - e.start.x) + (offsets[0].y + e.start.y));
    int y1 = RoundToInt(k * (x + offsets[1].x - e.start.x) + (offsets[1].y + e.start.y));
    if (y0 > y1) std::swap(y0, y1);
    return y >= y0 && y <= y1;
}

TLineDrawing LineDrawingOf(const TLineEnds& ends, TLineSlope slope, TShowArrows arrows, int arrowLength)
{
    TLineDrawing d;
    d.from = ends.start;
    d.to = ends.end;
    if (arrows == saNone) return d;

    const bool vertical = IsVertical(ends);
    const double theta =
        vertical ? std::numbers::pi / 2
                 : std::atan(static_cast<double>(ends.end.y - ends.start.y) / (ends.end.x - ends.start.x));
    // An upward vertical line starts at the bottom: its arrows point the other way.
    const int flip = vertical && slope == lsUp ? -1 : 1;

    const int half = arrowLength / 2;
    const int dx = flip * RoundToInt(std::cos(theta) * half);
    const int dy = flip * RoundToInt(std::sin(theta) * half);
    const TLinePoint p{flip * RoundToInt(std::cos(theta - std::numbers::pi / 8) * arrowLength),
                       flip * RoundToInt(std::sin(theta - std::numbers::pi / 8) * arrowLength)};
    const TLinePoint q{flip * RoundToInt(std::cos(theta + std::numbers::pi / 8) * arrowLength),
                       flip * RoundToInt(std::sin(theta + std::numbers::pi / 8) * arrowLength)};

    d.startArrow = arrows == saStart || arrows == saBoth;
    d.endArrow = arrows == saEnd || arrows == saBoth;
    const TLinePoint s = ends.start, e = ends.end;
    if (d.startArrow) {
        d.from = {s.x + dx, s.y + dy};
        d.startHead[0] = s;
        d.startHead[1] = {s.x + q.x, s.y + q.y};
        d.startHead[2] = {s.x + p.x, s.y + p.y};
    }
    if (d.endArrow) {
        d.to = {e.x - dx, e.y - dy};
        d.endHead[0] = e;
        d.endHead[1] = {e.x - q.x, e.y - q.y};
        d.endHead[2] = {e.x - p.x, e.y - p.y};
    }
    return d;
}

int AdjustedLineWidth(int oldWidth, int newWidth, TShowArrows arrows)
{
    if (arrows == saNone || newWidth % 2 != 0) return newWidth;
    return newWidth > oldWidth ? newWidth + 1 : newWidth - 1;
}
