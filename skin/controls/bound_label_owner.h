// A control with a caption label (TsBoundLabel): the edits, the memo and the combo box. The
// label hears every message of the control after the control's own handling, follows its parent
// and bounds, and takes the control's PPI when that changes.
//
// The label's class stays out of this header (its layout enumeration shares its name with the
// group box's caption layout): the owner reaches it through the few functions below.
#pragma once

#include <memory>
#include <utility>

#include "vcl/controls.h"

class TsBoundLabel;
class TsCommonData;

namespace bound_label_owner {
struct TDeleter {
    void operator()(TsBoundLabel* label) const;
};
TsBoundLabel* Create(TControl* owner, TsCommonData* link);
// After the owner took a new parent: an active label moves along.
void ParentSet(TsBoundLabel* label, TControl* owner);
// After the owner's bounds changed without a window (with one, its messages move the label).
void BoundsSet(TsBoundLabel* label, TControl* owner);
void Tell(TsBoundLabel* label, const TMessage& m, TControl* owner);
}  // namespace bound_label_owner

template <class TBase>
class TacBoundLabelOwner : public TBase {
public:
    template <class... TArgs>
    explicit TacBoundLabelOwner(TComponent* owner, TArgs&&... args)
        : TBase(owner, std::forward<TArgs>(args)...), FBoundLabel(bound_label_owner::Create(this, this->SkinData()))
    {
    }

    // The control's caption label (shown while its Active is on).
    TsBoundLabel* BoundLabel() const { return FBoundLabel.get(); }

    void SetParent(TWinControl* parent) override
    {
        TBase::SetParent(parent);
        if (!this->HasState(csDestroying)) bound_label_owner::ParentSet(FBoundLabel.get(), this);
    }

    void SetBounds(int left, int top, int width, int height) override
    {
        TBase::SetBounds(left, top, width, height);
        if (!this->HandleAllocated() && !this->HasState(csDestroying)) bound_label_owner::BoundsSet(FBoundLabel.get(), this);
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
        if (!this->HasState(csDestroying)) bound_label_owner::Tell(FBoundLabel.get(), m, this);
    }

private:
    std::unique_ptr<TsBoundLabel, bound_label_owner::TDeleter> FBoundLabel;
};
