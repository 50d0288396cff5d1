// Skinned group box, with an optional check box in place of its caption that enables and
// disables the box's contents.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsGroupBox : public TacSkinFrame<TGroupBox> {
public:
    explicit TsGroupBox(TComponent* owner);

    bool CheckBoxVisible() const { return FCheckBoxVisible; }
    void SetCheckBoxVisible(bool on) { SetCheckState(on, FChecked); }
    bool Checked() const { return FChecked; }
    void SetChecked(bool on) { SetCheckState(FCheckBoxVisible, on); }
    // When on, the box's children are enabled exactly while the box is checked.
    bool CheckBoxAutoEnable() const { return FCheckBoxAutoEnable; }
    void SetCheckBoxAutoEnable(bool on);

    // After Checked changed (by a click or in code).
    TNotifyEvent OnCheckBoxChanged;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void Loaded() override;

private:
    // The shared accessor of CheckBoxVisible and Checked.
    void SetCheckState(bool visible, bool checked);
    void BoxClick(TObject* sender);
    void PlaceBox();
    void UpdateChildStates();

    TCheckBox* FBox = nullptr;
    bool FCheckBoxVisible = false;
    bool FChecked = false;
    bool FCheckBoxAutoEnable = true;
    bool FSyncingBox = false;
};
