// Skinned status bar.
//
// Skinned, the bar paints itself entirely into its cache from "STATUSBAR": the section, each
// panel from the section's "STATUSPANELMASK" image (or, without one, a "DIVIDER" between
// bevelled panels), the panel texts in the section's text colours, the size grip, and the
// owner-drawn panels through OnDrawPanel with Canvas bound to the cache. Without an active skin
// it is the standard status bar.
#pragma once

#include <vector>

#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

class TsStatusBar : public TacSkinFrame<TStatusBar> {
public:
    explicit TsStatusBar(TComponent* owner);

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

    // The panels' drawing rectangles as the skinned bar lays them out now (one for a simple bar).
    std::vector<TRect> PanelRects() const;

protected:
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;
    void WndProc(TMessage& m) override;
    void ChangeScale(int m, int d, bool isDpiChange = false) override;

private:
    bool DrawnFromSkin();
    void PaintSkinned(HDC dc);
    // The border's strips from the cache into a DC of the whole window.
    void PaintFrameStrips(HDC dc);
    // One panel (nil: the simple panel) into its drawing rectangle r.
    void PaintPanel(TBitmap* cache, TStatusPanel* panel, int index, const TRect& r, int panelImage);
};
