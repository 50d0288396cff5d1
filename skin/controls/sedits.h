// Skinned edits: single-line edit, masked edit and the file-name edit.
//
// The skinned single-line and masked edits keep the native edit for typing, caret and selection
// and draw their frame from the skin's "EDIT" section in the non-client area. While an edit has no
// focus its whole face (background, text or text hint) comes from the cache too; a focused edit
// lets the native control paint its client area in the section's colours. A padding and a
// vertical alignment of the text grow the non-client area. Without an active skin it is the
// standard edit with the same padding.
#pragma once

#include <memory>
#include <type_traits>

#include "skin/controls/bound_label_owner.h"
#include "skin/controls/seditglyphs.h"
#include "skin/controls/skin_frame.h"
#include "skin/controls/smemo.h"
#include "skin/engine/glow.h"
#include "vcl/mask.h"
#include "vcl/stdctrls.h"

class TsBoundLabel;

// ---- What the single-line edit and the masked edit share
template <class TBase>
class TacSkinnedEdit : public TacSkinFrame<TBase> {
public:
    static constexpr bool IsMaskedEdit = std::is_base_of_v<TCustomMaskEdit, TBase>;

    explicit TacSkinnedEdit(TComponent* owner);
    ~TacSkinnedEdit() override;

    // Room between the edit's border and its text, in pixels at 96 PPI.
    TacPadding* Padding() { return &FPadding; }
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment value);

    // Width of the border around the text area (window coordinates): 2 with Ctl3D, else 1, no
    // border 0; plus one per bevel cut when a bevel is set. The masked edit: 3 with Ctl3D,
    // else 2, no border 0, bevels not counted.
    int EditBorderWidth() const;
    // The native frame's width: 2 with Ctl3D, else 1, plus the bevels (the single-line edit's
    // rule, for both edits).
    int FrameBorderWidth() const;
    // The bevel cuts set (0 without a bevel kind).
    int BevelCount() const;
    // The scaled padding plus the offset of the vertical alignment, as the last non-client
    // calculation found it (four margins).
    const TRect& AddedPadding() const { return FAddedPadding; }
    // Where the text is drawn in the cache (window coordinates).
    virtual TRect TextRect();
    // The face is drawn from the cache now (skinned and not focused); else the native edit paints it.
    bool FaceFromCache();

    // The picture shown beside the text (images, index, blend, grey, tone).
    TacAddedGlyph* AddedGlyph() const { return FAddedGlyph.get(); }
    // The picture's list holds its index.
    bool HasGlyph() const;
    // The room the picture takes beside the text: its width and half the skin's spacing; 0
    // without a picture.
    int GlyphArea();
    // Where the picture stands (window coordinates): inside the border and the padding, at the
    // left (right for right-to-left reading), the full height between them.
    TRect GlyphRect();

protected:
    int DefaultSectionIndex() override;
    // Without a border only the section's background is composed (in state 0 for the masked edit).
    void BeforeCompose() override { this->SetBackgroundOnly(this->BorderStyle() == bsNone, IsMaskedEdit); }
    void PaintContent(TBitmap* cache, int state) override;
    // The text, or the text hint of an empty edit, into the cache.
    virtual void PaintText(TBitmap* cache, int state);
    void WndProc(TMessage& m) override;
    void WMNCCalcSize(TMessage& m) override;
    void WMNCPaint(TMessage& m) override;
    void Loaded() override;
    void CreateWnd() override;
    void Notification(TComponent* component, TOperation operation) override;
    // The picture into the cache, as the edit's state shows it.
    void DrawAddedGlyph(TBitmap* cache, const TRect& where);
    // An unskinned edit's picture strip, painted into its window DC after the native frame.
    void PaintPlainGlyph(HDC dc);

    bool DrawnFromSkin();
    // The non-client area is computed again (after padding, alignment or button changes).
    void RecalcFrame();
    // The frame painted again after a button in it changed state (the cache made anew first, any
    // running fade stopped: it would paint its older picture over the new state).
    void RepaintFrameButtons();
    // A screen point (as in a non-client mouse message) in window coordinates.
    TPoint WindowPointFromScreen(LPARAM lParam);
    // Sets a field the frame depends on; once loaded, the frame is computed again and repainted.
    template <class T> void SetFrameField(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        if (this->HasState(csLoading)) return;
        RecalcFrame();
        this->SkinData()->Invalidate(true);
    }
    // The non-client area of a skinned edit from its cache; the client area is left alone.
    void PaintSkinnedFrame();
    // The non-client area between the border and the client area of an unskinned edit.
    void PaintPlainPadding(HDC dc);
    // The section's colours of the present state (text and background of the native face).
    void FaceColors(TColor& text, TColor& background);
    TRect FAddedPadding;

private:
    void PaintFace(HDC given);
    void AnswerCtlColor(TMessage& m);
    void PaddingChanged(TObject* sender);
    TacPadding FPadding{this, Bind<&TacSkinnedEdit::PaddingChanged>(this)};
    TVerticalAlignment FVerticalAlignment = taAlignTop;
    std::unique_ptr<TacAddedGlyph> FAddedGlyph;
    HBRUSH FFaceBrush = nullptr;
    TColor FFaceBrushColor = clNone;
};

// ---- TsEdit
class TsEdit : public TacBoundLabelOwner<TacSkinnedEdit<TEdit>> {
public:
    explicit TsEdit(TComponent* owner);
    ~TsEdit() override;
    // After a key or mouse message that moved the selection, while the edit is skinned.
    TNotifyEvent OnSelectionChanged;

protected:
    // A click on the picture (a non-client press and release) fires OnClick, a double click
    // OnDblClick.
    void WndProc(TMessage& m) override;

private:
    bool NCDown = false;
};

// ---- TsMaskEdit: the masked edit with the same look
using TValidateErrorEvent = Method<void(TObject* Sender, const String& Text)>;

class TsMaskEdit : public TacBoundLabelOwner<TacSkinnedEdit<TMaskEdit>> {
public:
    explicit TsMaskEdit(TComponent* owner);
    // Leaving the edit checks its mask (True at creation).
    bool CheckOnExit() const { return FCheckOnExit; }
    void SetCheckOnExit(bool on) { FCheckOnExit = on; }
    // Told the error's message before an incomplete edit raises it again.
    TValidateErrorEvent OnValidateError;

    void ValidateEdit() override;

protected:
    void Change() override;
    // The whole window answers as client area: a click on the frame puts the caret in the text.
    void WndProc(TMessage& m) override;

private:
    bool FCheckOnExit = true;
};

// ---- TsMemo: skin/controls/smemo.h

// ---- TsFilenameEdit: skin/controls/scomboedit.h
