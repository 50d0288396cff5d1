#include "skin/controls/spagecontrol.h"

void TsPageControl::SetActivePage(TTabSheet* page)
{
    if (page == nullptr) {
        TPageControl::SetActivePage(nullptr);
        return;
    }
    const int index = page->PageIndex();
    if (index < 0 || index >= PageCount()) return;
    TTabSheet* target = Pages(index);
    TPageControl::SetActivePage(target);
    // Skinning the new page's child windows is the skin manager's work; without one there
    // is nothing to do.
    if (!target->TabVisible() && !HasState(csUpdating)) {
        for (int i = 0; i < target->ControlCount(); ++i) target->Controls(i)->Invalidate();
    }
}
