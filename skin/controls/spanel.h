// Skinned panel and image: the standard ones until a skin paints them.
#pragma once

#include "vcl/extctrls.h"

// ---- TsPanel
class TsPanel : public TPanel {
public:
    explicit TsPanel(TComponent* owner) : TPanel(owner) {}
};

// ---- TsImage
class TsImage : public TImage {
public:
    explicit TsImage(TComponent* owner) : TImage(owner) {}
};
