// Skinned status bar.
#pragma once

#include "vcl/comctrls.h"

class TsStatusBar : public TStatusBar {
public:
    explicit TsStatusBar(TComponent* owner) : TStatusBar(owner) {}
    // Reverses the order of the panels (for right-to-left layouts).
    void ReflectPanels();
};
