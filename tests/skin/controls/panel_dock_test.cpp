// Where a dock-site panel draws the bar of a docked client and the bar's close glyph.
#include <gtest/gtest.h>

#include "skin/controls/core/panel_dock.h"

TEST(PanelDock, BarsSitAboveTheirClients)
{
    EXPECT_EQ(PanelDockBarRect(TRect(10, 40, 110, 90), false), TRect(10, 28, 110, 40));
    EXPECT_EQ(PanelDockBarRect(TRect(10, 40, 110, 90), true), TRect(10, 17, 110, 40));
}

TEST(PanelDock, TheCloseGlyphKeepsEqualGapsAndFitsTheBar)
{
    struct TCase {
        const char* Name;
        TRect Bar;
        TSize Glyph;
        TRect Expected;
    };
    const TCase cases[] = {
        {"smaller than the bar", TRect(0, 0, 100, 12), TSize(8, 8), TRect(90, 2, 98, 10)},
        {"as high as the bar", TRect(0, 10, 100, 22), TSize(12, 12), TRect(88, 10, 100, 22)},
        {"taller: scaled to the bar's height", TRect(0, 0, 100, 12), TSize(16, 24), TRect(92, 0, 100, 12)},
        {"no glyph", TRect(0, 0, 100, 12), TSize(0, 0), TRect()},
        {"no bar", TRect(0, 5, 100, 5), TSize(8, 8), TRect()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(PanelDockCloseRect(c.Bar, c.Glyph), c.Expected);
    }
}
