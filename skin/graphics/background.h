// The background a control takes from its parent: the query record, the two ways of asking (a
// control, a window known by its handle), the fallbacks when the parent does not answer, and the
// conversion into the record the painters read. Also regions without the see-through pixels.
#pragma once

#include <vector>

#include "skin/engine/core/skin_records.h"
#include "vcl/graphics.h"
#include "vcl/win.h"

class TControl;

enum TacBgKind : uint8_t { bgNone = 0, bgColor = 1, bgBitmap = 2, bgNotReady = 3 };

// Filled partly by the asker (Offset, R, DC), partly by the parent (Bmp, Color, Kind, FillRect).
struct TacBgQuery {
    TBitmap* Bmp = nullptr;     // the parent's composed image (a bitmap answer)
    TColor Color = 0;           // the colour (a colour answer)
    TPoint Offset;              // the asker's top-left in the parent; in a bitmap answer, the parent's image in Bmp
    TRect R;                    // the rectangle of DC to receive the background (PaintIt)
    TRect FillRect;             // with a colour answer and Bmp: the parent's border widths, taken from Bmp
    uint8_t Kind = bgNone;      // TacBgKind
    bool PaintIt = false;       // paint into DC at R instead of describing
    HDC DC = nullptr;
};

// Asks the parent control; without an answer the parent paints itself into DC (PaintIt) or its
// background colour stands in. Always True.
bool GetControlBackground(TacBgQuery& query, TControl* control, bool paintIt);
// The same for a window; True when the window answered, False when a fallback was used (its own
// painting, or the default skin's main colour, else the button face colour).
bool GetWindowBackground(TacBgQuery& query, HWND wnd, bool paintIt);
// The answer as the painters read it.
TCacheInfo BgInfoToCacheInfo(const TacBgQuery& query);

// A region of the bitmap's rectangle less all its pixels whose word equals Color; the caller owns it.
void CreateRegionWithoutColor(HRGN& region, TBitmap* bitmap, uint32_t color);
// The pure collector over a bitmap's pixels.
void CollectColorRuns(std::vector<TRect>& rects, TBitmap* bitmap, uint32_t color);
