// Skinned page control and tab sheets.
#pragma once

#include "skin/controls/core/page_tabs.h"
#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

class TsPageControl;

// ---- TsTabSheet
// A page of a skinned page control shows the control's image under it: its background is the
// page control's cache at the page's position, and its children's background questions are
// answered from there (painted into their DC or described, the offset moved by the page's
// position). Without a skinned page control it is the plain page.
class TsTabSheet : public TTabSheet {
public:
    explicit TsTabSheet(TComponent* owner) : TTabSheet(owner) {}

protected:
    void WndProc(TMessage& m) override;

private:
    // The page control when it is drawn from a skin now, else nullptr.
    TsPageControl* SkinnedPageControl() const;
};

// ---- TsPageControl
// The frame from "PAGECONTROL", each visible tab from the tab sections of its side and place
// ("TABTOPFIRST", "TABTOPMIDDLE", "TABTOPLAST", else "TABTOP"), back to front with the active
// tab last so it lies over its neighbours.
class TsPageControl : public TacSkinFrame<TPageControl> {
public:
    explicit TsPageControl(TComponent* owner) : TacSkinFrame<TPageControl>(owner, ackind::PageControl) {}

    // nullptr clears the active page; otherwise the page of that sheet's index becomes
    // active. A sheet whose tab is hidden gets its children repainted (the tab change does
    // not do it for a hidden tab). Every page change of the control arrives here.
    void SetActivePage(TTabSheet* page) override;

    // The control as its tabs see it now: pages, native tab rectangles and the skin's tab
    // sections at the control's PPI.
    TacPageControlState TabState();

protected:
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;
    // The pages and their children are left out of the control's painting from its cache.
    void CreateParams(TCreateParams& params) override;
    // The control as a whole has no hot look (its tabs have): entering and leaving it changes
    // no state of its own.
    void WndProc(TMessage& m) override;

private:
    // The page's caption in the tab's rectangle, in the section's text colour of that state.
    void PaintCaption(TBitmap* cache, const TacPageTabs& tabs, int page, const TRect& r, int state, TColor color);
};
