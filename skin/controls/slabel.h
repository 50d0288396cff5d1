// Skinned label.
#pragma once

#include "vcl/stdctrls.h"

class TsLabel : public TLabel {
public:
    explicit TsLabel(TComponent* owner) : TLabel(owner) {}

    // True: the text takes the skin's font colour; false: the label's own Font colour.
    // Without an active skin the label always paints in its own colour.
    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool on);

private:
    bool FUseSkinColor = true;
};
