// Skinned check box: the standard check box until a skin paints it.
#pragma once

#include "vcl/stdctrls.h"

class TsCheckBox : public TCheckBox {
public:
    explicit TsCheckBox(TComponent* owner) : TCheckBox(owner) {}
};
