// Skinned track bar: the standard track bar until a skin paints it.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/comctrls.h"

class TsTrackBar : public TacSkinFrame<TTrackBar> {
public:
    explicit TsTrackBar(TComponent* owner) : TacSkinFrame<TTrackBar>(owner, ackind::TrackBar) {}
};
