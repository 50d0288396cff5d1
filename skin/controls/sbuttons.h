// Skinned push buttons.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/imagelist.h"
#include "vcl/stdctrls.h"

// ---- TsButton: a push button with an optional image from an image list
class TsButton : public TacSkinFrame<TButton> {
public:
    explicit TsButton(TComponent* owner) : TacSkinFrame<TButton>(owner, ackind::Button) {}

    // Images, ImageIndex and ImageAlignment are the button's own (TButton).
    bool Reflected() const { return FReflected; }
    void SetReflected(bool on) { FReflected = on; }
    // Where the image lands: left of the caption, vertically centred, shifted (1, 1) while
    // the button is held down. Empty without an image.
    void GlyphRect(TRect& rect) const;

private:
    bool FReflected = false;
};
