// Skinned page control and tab sheets.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

// ---- TsTabSheet
class TsTabSheet : public TTabSheet {
public:
    explicit TsTabSheet(TComponent* owner) : TTabSheet(owner) {}
};

// ---- TsPageControl
class TsPageControl : public TacSkinFrame<TPageControl> {
public:
    explicit TsPageControl(TComponent* owner) : TacSkinFrame<TPageControl>(owner, ackind::PageControl) {}

    // nullptr clears the active page; otherwise the page of that sheet's index becomes
    // active. A sheet whose tab is hidden gets its children repainted (the tab change does
    // not do it for a hidden tab). Every page change of the control arrives here.
    void SetActivePage(TTabSheet* page) override;
};
