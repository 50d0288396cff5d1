// Geometry of the line control: end points, the band that reacts to the mouse, and the
// shortened line with its arrow heads. Pure arithmetic (no windows.h), so it is tested natively.
#pragma once

enum class TLineSlope { lsDown, lsUp };
using enum TLineSlope;

enum class TShowArrows { saNone, saStart, saEnd, saBoth };
using enum TShowArrows;

struct TLinePoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const TLinePoint&, const TLinePoint&) = default;
};

struct TLineEnds {
    TLinePoint start;
    TLinePoint end;
};

// lsDown runs from the top-left inset corner to the bottom-right one, lsUp from bottom-left to
// top-right; both ends sit border pixels inside the bounds.
TLineEnds LineEndPoints(int width, int height, int border, TLineSlope slope);

// Whether a client point is on or near the line: within max(lineWidth div 2, 4) pixels of it,
// and inside the bounds shrunk so that the band ends that far beyond the end points.
bool LineHitTest(int width, int height, int border, TLineSlope slope, int lineWidth, int x, int y);

// What painting draws: the line (shortened so it stops inside the arrow heads) and, when shown,
// the two triangles whose tips are the unshortened end points.
struct TLineDrawing {
    TLinePoint from;
    TLinePoint to;
    bool startArrow = false;
    bool endArrow = false;
    TLinePoint startHead[3];
    TLinePoint endHead[3];
};
TLineDrawing LineDrawingOf(const TLineEnds& ends, TLineSlope slope, TShowArrows arrows, int arrowLength);

// The width the control keeps when arrows are shown: an even width is made odd (one more when
// growing, one less when shrinking), so the arrow heads sit symmetrically on the line.
int AdjustedLineWidth(int oldWidth, int newWidth, TShowArrows arrows);
