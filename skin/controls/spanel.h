// Skinned panel.
//
// Skinned, the panel takes its section by its outer bevel (none: "TRANSPARENT", lowered:
// "PANEL_LOW", raised: "PANEL", space: "GROUPBOX"), composes its image (section over the parent's
// background, caption, optional inner side shadow) into its cache and answers its children's
// background questions from it. Without an active skin it is the standard panel.
#pragma once

#include <memory>

#include "skin/controls/simage.h"
#include "skin/controls/skin_frame.h"
#include "vcl/extctrls.h"

enum TacSideShadowMode : uint8_t { ssmNone, ssmInternal };

class TsPanel;

// A shadow falling inwards from one side of the panel: black of alpha Blend at that edge fading
// to nothing over ShadowSize pixels (scaled for the panel).
class TacSideShadow {
public:
    explicit TacSideShadow(TsPanel* owner) : FOwner(owner) {}
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
    TsPanel* FOwner;
    TacSide FSide = asRight;
    TacSideShadowMode FMode = ssmNone;
    int FBlend = 48;
    int FShadowSize = 6;
};

// ---- TsPanel
class TsPanel : public TacSkinFrame<TPanel> {
public:
    explicit TsPanel(TComponent* owner);
    ~TsPanel() override;

    // The section follows the outer bevel at once.
    void SetBevelOuter(TBevelCut b);
    TacSideShadow* SideShadow() const { return FSideShadow.get(); }
    // The rectangle the caption is written in: the client area inside border and bevels.
    TRect CaptionArea() const;
    // Aligned children keep their order through the new layout.
    void ScaleForPPI(int newPPI) override;

protected:
    void WndProc(TMessage& m) override;
    int DefaultSectionIndex() override;
    bool IsContainer() const override { return true; }
    void PaintContent(TBitmap* cache, int state) override;

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

    std::unique_ptr<TacSideShadow> FSideShadow;
    std::unique_ptr<TBitmap> FShadowBmp;
    TBevelCut FOldBevel = bvRaised;
};
