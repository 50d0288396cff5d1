#include "skin/controls/sstatusbar.h"

#include <vector>

void TsStatusBar::ReflectPanels()
{
    TStatusPanels* panels = Panels();
    const int n = panels->Count();
    if (n < 2) return;
    struct TCopy {
        String text;
        int width;
        TStatusPanelStyle style;
        TAlignment alignment;
        TStatusPanelBevel bevel;
    };
    std::vector<TCopy> copies;
    for (int i = 0; i < n; ++i) {
        TStatusPanel* p = panels->Items(i);
        copies.push_back({p->Text(), p->Width(), p->Style(), p->Alignment(), p->Bevel()});
    }
    panels->BeginUpdate();
    for (int i = 0; i < n; ++i) {
        const TCopy& c = copies[static_cast<size_t>(n - 1 - i)];
        TStatusPanel* p = panels->Items(i);
        p->SetText(c.text);
        p->SetWidth(c.width);
        p->SetStyle(c.style);
        p->SetAlignment(c.alignment);
        p->SetBevel(c.bevel);
    }
    panels->EndUpdate();
}
