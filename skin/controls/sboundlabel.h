// The caption label of an edit-like control. The control owns a TsBoundLabel, passes it its
// messages (HandleOwnerMsg, after its own handling) and its PPI changes (UpdateScale); while
// Active, the bound label keeps a TsEditLabel on the control's parent, on the side Layout names,
// and keeps it in step with the control's bounds, visibility, enabled state and reading order.
#pragma once

#include "skin/controls/core/bound_label.h"
#include "skin/controls/shtmllabel.h"

class TsCommonData;

class TsBoundLabel {
public:
    // owner: the edit; link: its skin link (may be nullptr).
    TsBoundLabel(TControl* owner, TsCommonData* link);
    ~TsBoundLabel();
    TsBoundLabel(const TsBoundLabel&) = delete;
    TsBoundLabel& operator=(const TsBoundLabel&) = delete;

    void HandleOwnerMsg(const TMessage& m, TControl* ownerControl);
    // The edit now lays out at newPpi: MaxWidth follows. A PPI below 1 is ignored.
    void UpdateScale(int newPpi);
    // Makes, sets up or frees the label by Active.
    void UpdateVisibility();
    // Places the label beside the edit.
    void AlignLabel();

    // The label exists and shows while Active.
    bool Active() const { return FActive; }
    void SetActive(bool on);
    // Empty shows the edit's name.
    const String& Caption() const { return FText; }
    void SetCaption(const String& value);
    TsCaptionLayout Layout() const { return FLayout; }
    void SetLayout(TsCaptionLayout value);
    int Indent() const { return FIndent; }
    void SetIndent(int value) { SetMetric(FIndent, value); }
    int Offset() const { return FOffset; }
    void SetOffset(int value) { SetMetric(FOffset, value); }
    // The label's largest width at CurrentPPI; 0 for none.
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int value) { SetMetric(FMaxWidth, value); }
    int CurrentPPI() const { return FCurrentPPI; }
    bool UseHTML() const { return FUseHTML; }
    void SetUseHTML(bool on);
    // A click on the label clicks the edit.
    bool AllowClick() const { return FAllowClick; }
    void SetAllowClick(bool on);
    // The label stays enabled with a disabled edit.
    bool EnabledAlways() const { return FEnabledAlways; }
    void SetEnabledAlways(bool on);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool on);
    TFont* Font() const { return FFont; }
    void SetFont(const TFont* value);
    bool UseSkinColor() const { return FTheLabel ? FTheLabel->UseSkinColor() : true; }
    void SetUseSkinColor(bool on)
    {
        if (FTheLabel) FTheLabel->SetUseSkinColor(on);
    }

    TsEditLabel* TheLabel() const { return FTheLabel; }
    TsCommonData* CommonData() const { return FCommonData; }
    TControl* OwnerControl() const { return FOwnerControl; }

private:
    friend class TsEditLabel;
    // The label is being destroyed by someone else: no label, inactive.
    void LabelGone(TsEditLabel* label);
    void SetMetric(int& field, int value);
    void FontChanged(TObject* sender);
    void LabelClick(TObject* sender);
    bool OwnerLoading() const;
    bool LabelEnabled() const;

    int FOffset = 0;
    int FIndent = 0;
    int FMaxWidth = 0;
    int FCurrentPPI = 96;
    bool FUseHTML = false;
    bool FParentFont = true;
    bool FAllowClick = false;
    bool FEnabledAlways = false;
    TFont* FFont = nullptr;
    String FText;
    TsCaptionLayout FLayout = sclLeft;
    bool FActive = false;
    TsEditLabel* FTheLabel = nullptr;
    TControl* FOwnerControl = nullptr;
    TsCommonData* FCommonData = nullptr;
    bool FSyncingFont = false;
};
