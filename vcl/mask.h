// The masked edit: an edit that keeps its EditMask (the mask is stored, not enforced).
#pragma once

#include "vcl/stdctrls.h"

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}
    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& mask) { FEditMask = mask; }
    // The text as typed (no mask characters are inserted by this edit).
    String EditText() const { return Text(); }

protected:
    String FEditMask;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
