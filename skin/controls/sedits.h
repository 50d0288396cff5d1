// Skinned edits: single-line edit, memo and the file-name edit.
#pragma once

#include "skin/controls/skin_frame.h"
#include "vcl/stdctrls.h"

// ---- TsEdit
class TsEdit : public TacSkinFrame<TEdit> {
public:
    explicit TsEdit(TComponent* owner) : TacSkinFrame<TEdit>(owner, ackind::Edit) {}
};

// ---- TsMemo
class TsMemo : public TacSkinFrame<TMemo> {
public:
    explicit TsMemo(TComponent* owner) : TacSkinFrame<TMemo>(owner, ackind::Memo) {}
};

// ---- TsFilenameEdit: an edit that holds a file name
class TsFilenameEdit : public TacSkinFrame<TEdit> {
public:
    explicit TsFilenameEdit(TComponent* owner) : TacSkinFrame<TEdit>(owner, 133) {}
    // The text as typed or chosen, unchanged.
    String FileName() const { return Text(); }
    void SetFileName(const String& name) { SetText(name); }
};
