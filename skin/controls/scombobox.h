// Skinned combo box: the standard combo box until a skin paints it.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

class TsComboBox : public TacSkinFrame<TComboBox> {
public:
    explicit TsComboBox(TComponent* owner) : TacSkinFrame<TComboBox>(owner, ackind::ComboBox) {}
};
