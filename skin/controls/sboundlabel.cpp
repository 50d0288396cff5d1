#include "skin/controls/sboundlabel.h"

#include "skin/controls/bound_label_owner.h"
#include "skin/controls/core/combo_edit.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/text32.h"

namespace {

bool OldOrVclScaling(TsSkinManager* m)
{
    return !m || m->Options()->ScaleMode() == smOldMode || m->Options()->ScaleMode() == smVCL;
}

// While the label's font and FFont are copied into each other, FFont's change event must not take
// the label off its parent's font.
class TacFontSync {
public:
    explicit TacFontSync(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TacFontSync() { FFlag = false; }
    TacFontSync(const TacFontSync&) = delete;
    TacFontSync& operator=(const TacFontSync&) = delete;

private:
    bool& FFlag;
};
}  // namespace

TsBoundLabel::TsBoundLabel(TControl* owner, TsCommonData* link) : FOwnerControl(owner), FCommonData(link)
{
    FFont = new TFont();
    FFont->OnChange = Bind<&TsBoundLabel::FontChanged>(this);
}

TsBoundLabel::~TsBoundLabel()
{
    if (TsEditLabel* l = FTheLabel) {
        FTheLabel = nullptr;
        l->FBoundLabel = nullptr;
        if (!l->HasState(csDestroying)) delete l;
    }
    delete FFont;
}

void TsBoundLabel::LabelGone(TsEditLabel* label)
{
    if (label != FTheLabel) return;
    FTheLabel = nullptr;
    FActive = false;
}

bool TsBoundLabel::OwnerLoading() const
{
    return FOwnerControl && FOwnerControl->HasState(csLoading) && !FOwnerControl->HasState(csDesigning);
}

bool TsBoundLabel::LabelEnabled() const { return !FOwnerControl || FOwnerControl->Enabled() || FEnabledAlways; }

void TsBoundLabel::FontChanged(TObject*)
{
    if (FSyncingFont || OwnerLoading()) return;
    FParentFont = false;
    if (FTheLabel) {
        TacFontSync sync(FSyncingFont);
        FTheLabel->Font()->Assign(*FFont);
    }
}

void TsBoundLabel::SetFont(const TFont* value)
{
    if (!FTheLabel || !value) return;
    FTheLabel->Font()->Assign(*value);
    if (FOwnerControl) FTheLabel->SetParent(FOwnerControl->Parent());
    FParentFont = false;
    AlignLabel();
}

void TsBoundLabel::SetParentFont(bool on)
{
    FParentFont = on;
    if (!FTheLabel) return;
    FTheLabel->SetParentFont(on);
    TacFontSync sync(FSyncingFont);
    if (on) FFont->Assign(*FTheLabel->Font());
    else FTheLabel->Font()->Assign(*FFont);
}

void TsBoundLabel::SetCaption(const String& value)
{
    if (FText == value) return;
    FText = value;
    if (FActive && FTheLabel) {
        FTheLabel->SetCaption(value);
        AlignLabel();
    }
}

void TsBoundLabel::SetLayout(TsCaptionLayout value)
{
    if (FLayout == value) return;
    FLayout = value;
    if (FTheLabel) FTheLabel->SetAlignment(BoundLabelAlignment(value));
    if (FActive) AlignLabel();
}

void TsBoundLabel::SetMetric(int& field, int value)
{
    if (field == value) return;
    field = value;
    if (FActive) AlignLabel();
}

void TsBoundLabel::SetUseHTML(bool on)
{
    if (FUseHTML == on) return;
    FUseHTML = on;
    AlignLabel();
}

void TsBoundLabel::SetActive(bool on)
{
    if (FActive == on) return;
    FActive = on;
    UpdateVisibility();
    SetAllowClick(FAllowClick);
}

void TsBoundLabel::SetAllowClick(bool on)
{
    FAllowClick = on;
    if (!FTheLabel) return;
    if (on) {
        FTheLabel->OnClick = Bind<&TsBoundLabel::LabelClick>(this);
        FTheLabel->OnDblClick = Bind<&TsBoundLabel::LabelClick>(this);
    } else {
        FTheLabel->OnClick = nullptr;
        FTheLabel->OnDblClick = nullptr;
    }
}

void TsBoundLabel::LabelClick(TObject*)
{
    if (FOwnerControl && !FOwnerControl->HasState(csDesigning)) FOwnerControl->Click();
}

void TsBoundLabel::SetEnabledAlways(bool on)
{
    if (FEnabledAlways == on) return;
    FEnabledAlways = on;
    if (FActive) AlignLabel();
}

void TsBoundLabel::UpdateScale(int newPpi)
{
    if (newPpi < 1 || newPpi == FCurrentPPI) return;
    const int old = FCurrentPPI;
    FCurrentPPI = newPpi;   // first, so the realignment below reads the width at its own PPI
    FMaxWidth = ScaledBoundWidth(FMaxWidth, old, newPpi);
    if (FTheLabel && FActive) AlignLabel();
}

void TsBoundLabel::UpdateVisibility()
{
    if (!FOwnerControl || OwnerLoading()) return;
    if (!FActive) {
        if (TsEditLabel* l = FTheLabel) {
            FTheLabel = nullptr;
            l->FBoundLabel = nullptr;
            delete l;
        }
        return;
    }
    if (!FTheLabel) {
        FTheLabel = new TsEditLabel(this);
        if (!FTheLabel->ParentFont()) {
            {
                TacFontSync sync(FSyncingFont);
                FTheLabel->Font()->Assign(*FFont);
            }
            if (FCommonData) {
                if (OldOrVclScaling(FCommonData->SkinManager()))
                    FTheLabel->Font()->SetHeight(ScaleForControl(FTheLabel->Font()->Height(), FCommonData, true));
            } else if (OldOrVclScaling(DefaultManager)) {
                FTheLabel->Font()->SetHeight(MulDiv(FTheLabel->Font()->Height(), MainFormPpi(), 96));
            }
        }
        if (FCommonData) {
            if (TacSkinData* d = FCommonData->ResolveSkinData(); d && d->PPI() > 0) FCurrentPPI = d->PPI();
        } else if (OldOrVclScaling(DefaultManager)) {
            FCurrentPPI = MainFormPpi();
        }
    }
    TsEditLabel* l = FTheLabel;
    l->SetVisible(false);
    l->SetFocusControl(dynamic_cast<TWinControl*>(FOwnerControl));
    l->SetUseHTML(FUseHTML);
    l->SetName(FOwnerControl->Name() + L"Label");
    if (FText.empty()) FText = FOwnerControl->Name();
    l->SetCaption(FText);
    l->SetParent(FOwnerControl->Parent());
    l->SetAlignment(BoundLabelAlignment(FLayout));
    l->SetVisible(FOwnerControl->Visible() || FOwnerControl->HasState(csDesigning));
    l->SetEnabled(LabelEnabled());
    l->SetAutoSize(true);
    AlignLabel();
}

void TsBoundLabel::AlignLabel()
{
    TsEditLabel* l = FTheLabel;
    if (!l || !l->Parent() || !FOwnerControl || OwnerLoading()) return;
    const bool designing = FOwnerControl->HasState(csDesigning);
    if (!l->Visible() && !designing) return;
    TControl* e = FOwnerControl;
    TWinControl* parent = l->Parent();
    parent->DisableAlign();

    int w = FMaxWidth;
    if (FCommonData && FCurrentPPI != 0) {
        TsSkinManager* m = FCommonData->SkinManager();
        if (!m || !m->IsStandardVclPpi()) w = ScaledBoundWidth(w, FCurrentPPI, ControlPpi(l));
    }
    TSizeConstraints c = l->Constraints();
    c.MaxWidth = w > 0 ? w : 0;
    l->SetConstraints(c);
    l->SetBounds(l->Left(), l->Top(), w > 0 ? w : 9999, 0);
    l->SetUseHTML(FUseHTML);
    l->SetFitToWidth(true);
    const bool autoSize = BoundLabelAutoSize(FLayout, FMaxWidth);
    l->SetWordWrap(autoSize);
    l->SetAutoSize(autoSize);
    l->AdjustBounds();
    l->SetEnabled(LabelEnabled());
    l->SetAlign(alNone);
    l->SetLayout(tlTop);

    const TsCaptionLayout layout = e->UseRightToLeftAlignment() ? MirroredCaptionLayout(FLayout) : FLayout;
    TacBoundLabelInput in;
    in.Edit = e->BoundsRect();
    in.ClientHeightDiffers = e->ClientHeight() != e->Height();
    in.EditDock = e->Align() == alLeft ? ldLeft : e->Align() == alRight ? ldRight : ldNone;
    in.Label = TSize(l->Width(), l->Height());
    if (TacSkinData* d = SkinDataForLink(FCommonData, 0)) in.Spacing = d->Spacing;
    in.Indent = FIndent;
    in.Offset = FOffset;
    if (layout == sclLeftLeft) in.FontTextHeight = GetFontTextHeight(l->Font()->Handle(), false);
    if (layout == sclRightRight) {
        TSize s;
        if (GetTextSize(nullptr, l->Caption(), s, l->Font()->Handle())) in.CanvasTextHeight = s.cy;
    }
    const TacBoundLabelPlace p = PlaceBoundLabel(layout, in);
    if (p.CenterVertically) l->SetLayout(tlCenter);
    if (p.HasAlignment) l->SetAlignment(p.Alignment);
    l->SetBounds(p.Pos.x, p.Pos.y, l->Width(), p.Height >= 0 ? p.Height : l->Height());
    if (p.Dock != ldNone) l->SetAlign(p.Dock == ldLeft ? alLeft : alRight);

    l->SetParent(e->Parent());
    parent->EnableAlign();
}

void TsBoundLabel::HandleOwnerMsg(const TMessage& m, TControl* ownerControl)
{
    if (!ownerControl) return;
    if (!FTheLabel) {
        if (m.Msg == CM_VISIBLECHANGED || m.Msg == CM_SHOWINGCHANGED) UpdateVisibility();
        return;
    }
    switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (FCommonData && FCommonData->SkinManager() && !FCommonData->SkinManager()->HasState(msScaleChanging)) {
            if (m.Msg == WM_WINDOWPOSCHANGED && m.LParam) {
                const auto* wp = reinterpret_cast<const WINDOWPOS*>(m.LParam);
                if ((wp->flags & SWP_NOSIZE) && (wp->flags & SWP_NOMOVE)) return;
            }
            if (TacSkinData* d = FCommonData->ResolveSkinData(); d && d->PPI() != FCurrentPPI) {
                UpdateScale(d->PPI());
                return;
            }
        }
        // An open drop-down list would lose its place if the label moved under it.
        if (DroppedDownCount() < 1) AlignLabel();
        break;
    case MSG_SKINCOMMAND:
        if (SkinCommandOf(m.WParam) == scmPPIChanged) UpdateScale(int(m.LParam));
        break;
    case CM_VISIBLECHANGED: UpdateVisibility(); break;
    case CM_ENABLEDCHANGED:
        FTheLabel->SetEnabled(ownerControl->Enabled() || FEnabledAlways);
        AlignLabel();
        break;
    case CM_SHOWINGCHANGED:
        UpdateVisibility();
        if (FTheLabel) {
            FTheLabel->SetVisible(ownerControl->Visible() || ownerControl->HasState(csDesigning));
            AlignLabel();
        }
        break;
    case CM_BIDIMODECHANGED:
        FTheLabel->SetBiDiMode(ownerControl->BiDiMode());
        AlignLabel();
        break;
    default: break;
    }
}

// ================================================================================================
// The owner's side (skin/controls/bound_label_owner.h)

namespace bound_label_owner {

void TDeleter::operator()(TsBoundLabel* label) const { delete label; }

TsBoundLabel* Create(TControl* owner, TsCommonData* link) { return new TsBoundLabel(owner, link); }

void ParentSet(TsBoundLabel* label, TControl*)
{
    if (label && label->Active()) label->UpdateVisibility();
}

void BoundsSet(TsBoundLabel* label, TControl* owner)
{
    if (!label || !label->TheLabel()) return;
    TMessage size{WM_SIZE, 0, 0, 0};
    label->HandleOwnerMsg(size, owner);
}

void Tell(TsBoundLabel* label, const TMessage& m, TControl* owner)
{
    if (label) label->HandleOwnerMsg(m, owner);
}

}  // namespace bound_label_owner
