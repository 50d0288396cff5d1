#include "skin/controls/sbuttons.h"

void TsButton::GlyphRect(TRect& rect) const
{
    rect = TRect(0, 0, 0, 0);
    if (!FImages || FImageIndex < 0) return;
    const int margin = 4;
    const int top = (FHeight - FImages->Height()) / 2;
    rect = TRect(margin, top, margin + FImages->Width(), top + FImages->Height());
    if (HandleAllocated() && (SendMessageW(ExistingHandle(), BM_GETSTATE, 0, 0) & BST_PUSHED)) rect.Offset(1, 1);
}
