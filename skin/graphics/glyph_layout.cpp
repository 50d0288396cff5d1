#include "skin/graphics/glyph_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct TSinCos {
    float Sin = 0, Cos = 0;
};
// Made on first use and freed by the graphics unit's shut-down; a plain pointer, so that the
// shut-down may run after this unit's own static objects are gone.
std::vector<TSinCos>* SinCosTable = nullptr;

int TableIndex(int degrees)
{
    const int r = degrees >= 0 ? degrees % 360 : 360 - ((-static_cast<int64_t>(degrees)) % 360);
    return r % 360;
}

}  // namespace

void EnsureSinCosTable()
{
    if (!SinCosTable) SinCosTable = new std::vector<TSinCos>();
    std::vector<TSinCos>& table = *SinCosTable;
    table.resize(360);
    if (table[0].Cos != 0) return;
    for (int i = 0; i < 360; ++i) {
        const float a = float(i * 3.14159265358979323846 / 180);
        table[static_cast<size_t>(i)] = {float(std::sin(double(a))), float(std::cos(double(a)))};
    }
}

double SinOf(int degrees)
{
    EnsureSinCosTable();
    return (*SinCosTable)[static_cast<size_t>(TableIndex(degrees))].Sin;
}

double CosOf(int degrees)
{
    EnsureSinCosTable();
    return (*SinCosTable)[static_cast<size_t>(TableIndex(degrees))].Cos;
}

void FreeSinCosTable()
{
    delete SinCosTable;
    SinCosTable = nullptr;
}

bool SinCosTableExists() { return SinCosTable != nullptr; }

TPrlgram::TPrlgram(const TPoint* points, int count)
{
    for (int i = 0; i < std::min(count, 4); ++i) FPoints[i] = {double(points[i].x), double(points[i].y)};
}

void TPrlgram::Rotate(int angle)
{
    const float cx = float((FPoints[0].X + FPoints[2].X) / 2), cy = float((FPoints[0].Y + FPoints[2].Y) / 2);
    const float s = float(SinOf(angle)), c = float(CosOf(angle));
    for (TDoublePoint& p : FPoints) {
        const float dx = float(p.X - cx), dy = float(p.Y - cy);
        p.X = cx + (dx * c + dy * s);
        p.Y = cy + (-dx * s + dy * c);
    }
}

void TPrlgram::GetPoint(int index, TPoint& p) const
{
    if (index < 0 || index > 3) return;
    p = TPoint(int(std::nearbyint(FPoints[index].X)), int(std::nearbyint(FPoints[index].Y)));
}

void LayoutGlyphAndCaption(const TRect& clientRect, const TSize& glyphSize, const TSize& textSize, int layout,
                           int alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds, int flags,
                           int vAlign)
{
    const TRect& r = clientRect;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int gw = glyphSize.cx, gh = glyphSize.cy, tw = textSize.cx, th = textSize.cy;
    const bool horizontal = layout == 0 || layout == 1;
    textBounds = TRect(0, 0, tw, th);
    int tx = 0, ty = 0;
    if (horizontal) {
        glyphPos.y = (h - gh + 1) / 2;
        ty = (h - th + 1) / 2;
    } else {
        glyphPos.x = (w - gw + 1) / 2;
        tx = (w - tw + 1) / 2;
    }
    if (tw == 0 || gw == 0) spacing = 0;
    if (margin == -1 && spacing < 0) {
        spacing = margin = horizontal ? (w - tw - gw) / 3 : (h - th - gh) / 3;
    } else if (margin == -1) {
        if (vAlign < 2) {
            margin = 2;
        } else if (vAlign == 2) {
            if (alignment != 2)
                margin = 2;
            else
                margin = horizontal ? (w - (spacing + gw + tw) + 1) / 2 : (h - (spacing + gh + th) + 1) / 2;
        }
    } else if (spacing < 0) {
        spacing = horizontal ? (w - tw - margin - gw) / 2 : (h - margin - gh - th) / 2;
    }
    const int m = margin, s = spacing;
    if (layout == 0) {
        if (alignment == 0) {
            if (gw != 0) {
                glyphPos.x = m;
                tx = m + gw + s;
                textBounds.right = r.right - m - tx;
            } else {
                textBounds.right = tw + m;
                tx = m;
            }
        } else if (alignment == 1) {
            tx = w - tw - m;
            glyphPos.x = tx - s - gw;
        } else {
            const int mm = std::max(m, (w - tw - s - gw) / 2);
            glyphPos.x = mm;
            tx = s + mm + gw;
        }
    } else if (layout == 1) {
        if (alignment == 0) {
            glyphPos.x = tw + m + s;
            tx = m;
        } else if (alignment == 1) {
            glyphPos.x = w - m - gw;
            textBounds.right = w - m - gw - s;
            tx = 0;
        } else {
            tx = (w - tw - s - gw) / 2;
            glyphPos.x = s + tx + tw;
        }
    } else if (layout == 2) {
        glyphPos.y = (h - gh - s - th) / 2;
        ty = glyphPos.y + gh + s;
    } else if (layout == 3) {
        glyphPos.y = h - gh - (h - gh - s - th) / 2;
        ty = glyphPos.y - s - th;
    }
    glyphPos.x += r.left;
    glyphPos.y += r.top;
    textBounds.Offset(tx + r.left, ty + r.top);
    const int v = std::max(margin, 0);
    if (vAlign == 0) {
        if (horizontal) {
            glyphPos.y = v;
            textBounds.Offset(0, v - textBounds.top);
        } else if (layout == 2) {
            textBounds.Offset(0, v - glyphPos.y);
            glyphPos.y = v;
        } else if (layout == 3) {
            glyphPos.y += v - textBounds.top;
            textBounds.Offset(0, v - textBounds.top);
        }
    } else if (vAlign == 1) {
        if (horizontal) {
            glyphPos.y = r.bottom - v - gh;
            textBounds.Offset(0, r.bottom - v - textBounds.bottom);
        } else if (layout == 2) {
            const int d = r.bottom - v - textBounds.bottom;
            glyphPos.y += d;
            textBounds.Offset(0, d);
        } else if (layout == 3) {
            textBounds.Offset(0, r.bottom - v - glyphPos.y - gh);
            glyphPos.y = r.bottom - v - gh;
        }
    }
    if (flags & lgFlagRightToLeft) {
        const int l = w - textBounds.right;
        textBounds.right = w - textBounds.left;
        textBounds.left = l;
        glyphPos.x = w - glyphPos.x - gw;
    }
}
