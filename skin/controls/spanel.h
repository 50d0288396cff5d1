// Skinned panel.
//
// Skinned, the panel takes its section by its outer bevel (none: "TRANSPARENT", lowered:
// "PANEL_LOW", raised: "PANEL", space: "GROUPBOX"), composes its image (section over the parent's
// background, caption, optional inner side shadow) into its cache and answers its children's
// background questions from it. Without an active skin it is the standard panel.
#pragma once

#include <memory>

#include "skin/controls/core/panel_dock.h"
#include "skin/controls/simage.h"
#include "skin/controls/skin_frame.h"
#include "vcl/extctrls.h"

enum TacSideShadowMode : uint8_t { ssmNone, ssmInternal };

class TsCustomPanel;

// A shadow falling inwards from one side of the panel: black of alpha Blend at that edge fading
// to nothing over ShadowSize pixels (scaled for the panel).
class TacSideShadow {
public:
    explicit TacSideShadow(TsCustomPanel* owner) : FOwner(owner) {}
    TacSideShadowMode Mode() const { return FMode; }
    void SetMode(TacSideShadowMode value);
    TacSide Side() const { return FSide; }
    void SetSide(TacSide value);
    int ShadowSize() const { return FShadowSize; }
    void SetShadowSize(int value);
    int Blend() const { return FBlend; }
    void SetBlend(int value);
    // Forgets the shadow's picture and redraws the panel with it.
    void Invalidate();

private:
    TsCustomPanel* FOwner;
    TacSide FSide = asRight;
    TacSideShadowMode FMode = ssmNone;
    int FBlend = 48;
    int FShadowSize = 6;
};

// What a panel's OnPaint gets: the canvas it draws on (the panel's image while skinned).
using TPaintEvent = Method<void(TObject* Sender, TCanvas* Canvas)>;

// ---- TsCustomPanel
class TsCustomPanel : public TacSkinFrame<TPanel> {
public:
    explicit TsCustomPanel(TComponent* owner);
    ~TsCustomPanel() override;

    // The section follows the outer bevel at once.
    void SetBevelOuter(TBevelCut b);
    TacSideShadow* SideShadow() const { return FSideShadow.get(); }
    // The rectangle the caption is written in: the client area inside border and bevels.
    TRect CaptionArea() const;
    // Aligned children keep their order through the new layout.
    void ScaleForPPI(int newPPI) override;
    // Composes the panel's image: the item over the parent's background, colour effects, the
    // children's outer effects, caption, OnPaint, dock bars, side shadow. False while the
    // parent's background is not ready (the panel then waits for scmUpdateDone).
    bool PrepareCache();

    // Painting of the user's after the panel's own: on the panel's image while skinned, on the
    // window's canvas otherwise.
    TPaintEvent OnPaint;

protected:
    void WndProc(TMessage& m) override;
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void Loaded() override;
    void Paint() override;

private:
    friend class TacSideShadow;
    bool DrawnFromSkin();
    // The default section is chosen again when the outer bevel changed since the last choice.
    void FollowBevel();
    // sendUpdated: the children are told to repaint afterwards.
    void PaintSkinned(HDC dc, bool sendUpdated);
    // A custom colour is filled straight into the DC, inside the section's border.
    void PaintCustomColor(HDC dc);
    void WriteText(TCanvas* c);
    void PaintSideShadow(TBitmap* cache);
    // The bars of the visible docked clients, into the cache.
    void PaintDragPanel(TBitmap* cache);
    // The window class paints the button face where nothing else paints.
    void ResetClassBrush();
    void UnskinnedWndProc(TMessage& m);

    std::unique_ptr<TacSideShadow> FSideShadow;
    std::unique_ptr<TBitmap> FShadowBmp;
    TBevelCut FOldBevel = bvRaised;
};

// ---- TsPanel: the skinned panel as forms place it.
class TsPanel : public TsCustomPanel {
public:
    explicit TsPanel(TComponent* owner) : TsCustomPanel(owner) {}
};
