// Skinned check box: the standard check box until a skin paints it.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsCheckBox : public TacSkinFrame<TCheckBox> {
public:
    explicit TsCheckBox(TComponent* owner) : TacSkinFrame<TCheckBox>(owner, ackind::CheckBox) {}
};
