// Angles from a one-degree sine and cosine table, a rotatable parallelogram, and the placement of
// a button's glyph and caption. No windows.h here.
#pragma once

#include "vcl/types.h"

// The table is filled on first use (360 entries of single-precision sine and cosine).
void EnsureSinCosTable();
// Of any whole angle (negative angles count back from 360).
double SinOf(int degrees);
double CosOf(int degrees);
// Drops the table (the graphics unit's shut-down); the next use makes it again.
void FreeSinCosTable();
bool SinCosTableExists();

struct TacPointF {
    float X = 0;
    float Y = 0;
};

// Four points of double precision that turn about the middle of points 0 and 2.
class TPrlgram {
public:
    TPrlgram(const TPoint* points, int count);
    // Whole degrees; the table's sine and cosine.
    void Rotate(int angle);
    // The rounded point 0..3; any other index leaves p as it is.
    void GetPoint(int index, TPoint& p) const;

private:
    struct TDoublePoint {
        double X = 0, Y = 0;
    };
    TDoublePoint FPoints[4];
};

// Layouts: 0 glyph left of the text, 1 right, 2 above, 3 below. Alignment: 0 left, 1 right,
// 2 centre. VAlign: 0 top, 1 bottom, 2 or more none. Margin and Spacing -1: automatic.
constexpr int lgFlagRightToLeft = 2;
void LayoutGlyphAndCaption(const TRect& clientRect, const TSize& glyphSize, const TSize& textSize, int layout,
                           int alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds, int flags,
                           int vAlign);
