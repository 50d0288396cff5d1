// The anti-aliased control base: owner of the effect font, the change and paint cycle with
// update counting, background drawing and line wrapping (TAAGraphicControl), and the text base
// with the two label collections (TAACustomText).
#pragma once

#include <memory>

#include "support/aatext/aa_labels.h"
#include "vcl/controls.h"
#include "vcl/strings.h"

class TAAGraphicControl;

// Settings objects that forward to their owner control.
class TMorvelParam : public TPersistent {
public:
    explicit TMorvelParam(TAAGraphicControl* owner) : FOwner(owner) {}
    // Takes over the other control reference only as a value copy of the settings: binding
    // one control's settings to another control would tie them to its lifetime.
    void Assign(const TPersistent* source) override;

protected:
    TAAGraphicControl* FOwner;
};

enum TDragKind { dkDrag, dkDock };
enum TDragMode { dmManual, dmAutomatic };

// The drag settings. The component layer has no drag and drop, so they are kept here.
class TAADrag : public TMorvelParam {
public:
    using TMorvelParam::TMorvelParam;
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind v) { FDragKind = v; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor v) { FDragCursor = v; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v) { FDragMode = v; }
    void Assign(const TPersistent* source) override;

private:
    TDragKind FDragKind = dkDrag;
    TCursor FDragCursor = -12;
    TDragMode FDragMode = dmManual;
};

class TAAParentEffect : public TMorvelParam {
public:
    using TMorvelParam::TMorvelParam;
    bool ParentColor() const;
    void SetParentColor(bool v);
    bool ParentFont() const;
    void SetParentFont(bool v);
    bool ParentShowHint() const;
    void SetParentShowHint(bool v);
    void Assign(const TPersistent* source) override;
};

enum TBackGroundMode { bmTiled, bmStretched, bmCenter, bmNormal };

class TAAGraphicControl : public TGraphicControl {
public:
    explicit TAAGraphicControl(TComponent* owner);
    ~TAAGraphicControl() override;

    TAAFontEx* AAFont() const { return FAAFont.get(); }
    bool AutoUpdate() const { return FAutoUpdate; }
    void SetAutoUpdate(bool value);
    TAADrag* Drag() const { return FDrag.get(); }
    void SetDrag(const TAADrag* value) { FDrag->Assign(value); }
    TAAParentEffect* ParentEffect() const { return FParentEffect.get(); }
    void SetParentEffect(const TAAParentEffect* value) { FParentEffect->Assign(value); }

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }
    int UpdateCount() const { return FUpdateCount; }
    bool Inited() const { return FInited; }

    // Re-renders through Reset unless loading, destroying, updating or AutoUpdate is off.
    void Changed() override;
    virtual void Reset();

    // Fills rect with the canvas brush colour, then draws picture in mode over it.
    void DrawBackGround(TCanvas* canvas, const TRect& rect, TBackGroundMode mode, TPicture* picture);
    // The line with breakStr inserted where it is to be broken (see WrapText of aa_markup).
    static String WrapText(const String& line, const String& breakStr, const String& breakChars, int limit);
    // The pieces of line at a limit of n characters, one per list entry.
    static void WrapLines(const String& line, TStrings& list, int n);

protected:
    void Paint() override;
    virtual void PaintCanvas() {}
    virtual void InitControl();
    void Loaded() override;
    void Dispatch(TMessage& message) override;
    void Resize() override;
    void OnEffectChanged(TObject*) { Changed(); }

    std::unique_ptr<TAAFontEx> FAAFont;
    bool FAutoUpdate = true;
    std::unique_ptr<TAADrag> FDrag;
    std::unique_ptr<TAAParentEffect> FParentEffect;
    int FUpdateCount = 0;
    int FBorder = 0;
    bool FInited = false;
    bool FDrawing = false;
    int AHeight = 0;
    int AWidth = 0;
};

class TAACustomText : public TAAGraphicControl {
public:
    explicit TAACustomText(TComponent* owner);
    ~TAACustomText() override;

    TAAFontLabels* Fonts() const { return FFonts.get(); }
    void SetFonts(const TAAFontLabels* value) { FFonts->Assign(value); }
    TAAUserLabels* Labels() const { return FLabels.get(); }
    void SetLabels(const TAAUserLabels* value) { FLabels->Assign(value); }

    virtual void CreateDefaultLabels();
    virtual void CreateDefaultFonts();
    virtual bool UseDefaultLabels() { return true; }

protected:
    void InitControl() override;
    void InitDefaultLabels();
    void OnLabelsChanged(TObject*) { Changed(); }

    std::unique_ptr<TAAFontLabels> FFonts;
    TNotifyEvent FOnTextReady;
    TNotifyEvent FOnComplete;
    TNotifyEvent FOnPainted;
    std::unique_ptr<TAAUserLabels> FLabels;
    bool FLabelsInited = false;
    bool FFontsInited = false;
};
