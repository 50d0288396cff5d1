// Skinned combo box: the standard combo box until a skin paints it.
#pragma once

#include "vcl/stdctrls.h"

class TsComboBox : public TComboBox {
public:
    explicit TsComboBox(TComponent* owner) : TComboBox(owner) {}
};
