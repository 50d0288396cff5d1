// Skinned page control and tab sheets.
#pragma once

#include <memory>

#include "skin/controls/core/page_tabs.h"
#include "skin/controls/core/tab_fade.h"
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
    ~TsTabSheet() override;

    // The hot-state fade of this page's tab: the timer of its frames (made on the first fade;
    // its BmpFrom, BmpTo and BmpOut are the start, the target and the frame last shown, at
    // AnimRect of the page control) and the schedule it follows.
    TacThreadedTimer* AnimTimer = nullptr;
    TacTabFade Fade;
    // Ends the fade where it is and forgets its pictures.
    void StopTabAnimation();

protected:
    void WndProc(TMessage& m) override;

private:
    // The page control when it is drawn from a skin now, else nullptr.
    TsPageControl* SkinnedPageControl() const;
    void FadeTick(TObject*);
    friend class TsPageControl;   // it starts the fades
};

using TacTabMouseEvent = Method<void(TComponent* Sender, int TabIndex)>;
using TacPageChangingEvent = Method<void(TObject* Sender, TTabSheet* NewPage, bool& AllowChange)>;

// ---- TsPageControl
// The frame from "PAGECONTROL", each visible tab from the tab sections of its side and place
// ("TABTOPFIRST", "TABTOPMIDDLE", "TABTOPLAST", else "TABTOP"), back to front with the active
// tab last so it lies over its neighbours.
class TsPageControl : public TacSkinFrame<TPageControl> {
public:
    explicit TsPageControl(TComponent* owner) : TacSkinFrame<TPageControl>(owner, ackind::PageControl) {}
    ~TsPageControl() override;

    // A page change cross-fades from the old page to the new one when the manager's page-change
    // animation and its animations are on (PageChange.Time 0: the new page appears at once,
    // drawn under the cover, without a half-painted step on screen).
    bool AllowAnimSwitching = true;

    // nullptr clears the active page; otherwise the page of that sheet's index becomes
    // active. A sheet whose tab is hidden gets its children repainted (the tab change does
    // not do it for a hidden tab). Every page change of the control arrives here.
    void SetActivePage(TTabSheet* page) override;

    // The control as its tabs see it now: pages, native tab rectangles and the skin's tab
    // sections at the control's PPI.
    TacPageControlState TabState();

    // The page whose tab is hot (under the mouse), -1 = none.
    int CurItem() const { return FCurItem; }
    // Page changes by key or click ask this first; False leaves the page as it is.
    TacPageChangingEvent OnPageChanging;
    // The hot tab changes (page indexes; entering may report -1).
    TacTabMouseEvent OnTabMouseEnter;
    TacTabMouseEvent OnTabMouseLeave;

    // Shows one tab's present state: faded from what is on the screen, or at once.
    void RepaintTab(int page, bool animate);
    // Ends every tab's fade (before the tabs' geometry or order changes).
    void StopTabAnimations();
    // One frame of a sheet's fade: Weight (0..255) of its target over its start, composed into
    // the cache and shown.
    void ShowTabFrame(TsTabSheet* sheet, int weight);

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
    // Every visible tab, back to front, with the states of S, drawn into Bmp over what it holds.
    void PaintTabs(TBitmap* bmp, const TacPageControlState& s, const TacPageTabs& tabs);
    void SetCurItem(int page);
    // The changing event and the base's; then the page becomes active.
    bool AllowPage(int page);
    void SelectPage(int page);
    // Handled: the message is done (swallowed or acted on).
    bool HandleMouseMove(TMessage& m);
    bool HandleNavigationKey(TMessage& m);
    // The page change notifications when skinned (the transition around the change); false:
    // the base handles them alone.
    bool HandlePageChange(TMessage& m);
    bool PageTransitionAllowed();
    // After every transition, played or not: the control paints again, the new page with it.
    void PageTransitionDone();

    int FCurItem = -1;
    // The cache as composed before its tabs: the ground a single tab is drawn again on.
    std::unique_ptr<TBitmap> FTabsGround;

    // The page's caption in the tab's rectangle, in the section's text colour of that state.
    void PaintCaption(TBitmap* cache, const TacPageTabs& tabs, int page, const TRect& r, int state, TColor color);
};
