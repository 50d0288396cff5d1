// Skinned track bar: the standard track bar until a skin paints it.
#pragma once

#include "vcl/comctrls.h"

class TsTrackBar : public TTrackBar {
public:
    explicit TsTrackBar(TComponent* owner) : TTrackBar(owner) {}
};
