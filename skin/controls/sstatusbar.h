// Skinned status bar.
#pragma once

#include "skin/controls/skin_frame.h"
#include <vector>

#include "vcl/comctrls.h"

class TsStatusBar : public TacSkinFrame<TStatusBar> {
public:
    explicit TsStatusBar(TComponent* owner) : TacSkinFrame<TStatusBar>(owner, ackind::StatusBar) {}
    // Reverses the order of the panels (for right-to-left layouts). Inline, so that the
    // engine's layout mirroring calls it without linking the controls.
    void ReflectPanels()
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
};
