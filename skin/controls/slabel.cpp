#include "skin/controls/slabel.h"

void TsLabel::SetUseSkinColor(bool on)
{
    if (FUseSkinColor == on) return;
    FUseSkinColor = on;
    if (!HasState(csLoading)) Invalidate();
}
