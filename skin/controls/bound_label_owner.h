// A control with a caption label (TsBoundLabel): the edits, the memo and the combo box. The
// label hears every message of the control after the control's own handling, follows its parent
// and bounds, and takes the control's PPI when that changes.
#pragma once

#include <memory>
#include <utility>

#include "skin/controls/sboundlabel.h"

template <class TBase>
class TacBoundLabelOwner : public TBase {
public:
    template <class... TArgs>
    explicit TacBoundLabelOwner(TComponent* owner, TArgs&&... args)
        : TBase(owner, std::forward<TArgs>(args)...),
          FBoundLabel(std::make_unique<TsBoundLabel>(this, this->SkinData()))
    {
    }

    // The control's caption label (shown while its Active is on).
    TsBoundLabel* BoundLabel() const { return FBoundLabel.get(); }

    void SetParent(TWinControl* parent) override
    {
        TBase::SetParent(parent);
        // The label lives on the control's parent and moves with it.
        if (FBoundLabel && FBoundLabel->Active() && !this->HasState(csDestroying)) FBoundLabel->UpdateVisibility();
    }

    void SetBounds(int left, int top, int width, int height) override
    {
        TBase::SetBounds(left, top, width, height);
        // With a window the control's WM_WINDOWPOSCHANGED moves the label; without one, here.
        if (FBoundLabel && FBoundLabel->TheLabel() && !this->HandleAllocated() && !this->HasState(csDestroying)) {
            TMessage size{WM_SIZE, 0, 0, 0};
            FBoundLabel->HandleOwnerMsg(size, this);
        }
    }

protected:
    void WndProc(TMessage& m) override
    {
        TBase::WndProc(m);
        TellBoundLabel(m);
    }
    // The label hears a message the control has handled (it takes the control's PPI changes,
    // scmPPIChanged, from here too).
    void TellBoundLabel(const TMessage& m)
    {
        if (FBoundLabel && !this->HasState(csDestroying)) FBoundLabel->HandleOwnerMsg(m, this);
    }

private:
    std::unique_ptr<TsBoundLabel> FBoundLabel;
};
