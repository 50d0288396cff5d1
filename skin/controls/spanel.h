// Skinned panel and image: the standard ones until a skin paints them.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/extctrls.h"

// ---- TsPanel
class TsPanel : public TacSkinFrame<TPanel> {
public:
    explicit TsPanel(TComponent* owner) : TacSkinFrame<TPanel>(owner, ackind::Panel) {}
};

// ---- TsImage
class TsImage : public TImage {
public:
    explicit TsImage(TComponent* owner) : TImage(owner) {}
};
