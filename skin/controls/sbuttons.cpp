#include "skin/controls/sbuttons.h"

void TsButton::GlyphRect(TRect& rect) const
{
    rect = TRect(0, 0, 0, 0);
    TCustomImageList* images = Images();
    if (!images || FImageIndex < 0) return;
    const int margin = 4;
    const int top = (FHeight - images->Height()) / 2;
    rect = TRect(margin, top, margin + images->Width(), top + images->Height());
    if (HandleAllocated() && (SendMessageW(ExistingHandle(), BM_GETSTATE, 0, 0) & BST_PUSHED)) rect.Offset(1, 1);
}
