// Skinned edits: single-line edit, memo and the file-name edit.
#pragma once

#include "vcl/stdctrls.h"

// ---- TsEdit
class TsEdit : public TEdit {
public:
    explicit TsEdit(TComponent* owner) : TEdit(owner) {}
};

// ---- TsMemo
class TsMemo : public TMemo {
public:
    explicit TsMemo(TComponent* owner) : TMemo(owner) {}
};

// ---- TsFilenameEdit: an edit that holds a file name
class TsFilenameEdit : public TEdit {
public:
    explicit TsFilenameEdit(TComponent* owner) : TEdit(owner) {}
    // The text as typed or chosen, unchanged.
    String FileName() const { return Text(); }
    void SetFileName(const String& name) { SetText(name); }
};
