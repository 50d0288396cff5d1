// Painting a skin section in one state into a rectangle of a 32-bit image, layer by layer over
// the background its parent hands down: the state's own background (colour, texture, gradient
// and their shares), the parent showing through by the state's transparency, a whole-background
// gradient, a masked overlay texture, then the corner images and the border image in nine
// slices. The skin is read through the read-only paint source; nothing here keeps state between
// calls. No windows.h here (the Windows forms over bitmaps and device contexts are in paint32.h).
#pragma once

#include "skin/engine/core/skin_paint_source.h"
#include "skin/graphics/pixel_view.h"

class TacGdipLayer;

// The colour that means "the skin's own colour" where a custom colour may be given.
constexpr TColor acSkinColor = 0xFF00FF;

// The state a section draws for a control state: 0..min(States, 3) - 1, a section with fewer than
// one state counting as one (so a state index never leaves the section's three state records).
int SectionState(const TsGeneralData& section, int state);

// The section's background for State into r of bitmap (clipped to it): the state's colour (or
// customColor, which forces an opaque plain colour), texture and gradient, the parent's
// background through the state's transparency, a whole-background gradient, and the state's
// masked overlay texture (texIndex for state 0, activeTexIndex for the others; texIndex -1 is
// the state's own). Point is r's origin in the background record's coordinates. Layer draws
// the gradient bands only the system's graphics library draws (nil: they are left out).
// Nothing without skin data, for an invalid section, or unless r lies inside bitmap.
void PaintItemBG(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                 const TPixelView& bitmap, const TacSkinPaintSource* skinData, int texIndex = -1,
                 int activeTexIndex = -1, TColor customColor = acSkinColor, TacGdipLayer* layer = nullptr);

// The whole item: the background (PaintItemBG), the corner images (top-left, top-right,
// bottom-left, bottom-right, over what lies under them), then the border image in nine slices
// with its see-through corners showing the background. Nothing unless r lies inside bitmap.
void PaintItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
               const TPixelView& bitmap, const TacSkinPaintSource* skinData, int texIndex = -1,
               int activeTexIndex = -1, TacGdipLayer* layer = nullptr);

// What a skinned control composes of its section before its own content: the background
// (PaintItemBG with the control's custom colour) and the border image of the state over it,
// except in state 0 when the border image draws nothing there. FillCorners: the border's
// see-through corners show the background. Nothing unless r lies inside bitmap.
void PaintSectionFrame(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                       const TPixelView& bitmap, const TacSkinPaintSource* skinData,
                       TColor customColor = acSkinColor, bool fillCorners = true, TacGdipLayer* layer = nullptr);

// A control's own look over its section: the colour that replaces the skin's (acSkinColor: the
// skin's) and its colour effects (Tone a real colour, clNone: none; hue in degrees; saturation
// in percent).
struct TacItemLook {
    TColor CustomColor = acSkinColor;
    TColor Tone = clNone;
    int HueOffset = 0;
    int Saturation = 0;
};

// The item as a control's link paints it: the background with the look's colour, the corner
// images, then the border image (left out in state 0 when it draws nothing there), and the look's
// colour effects over the whole bitmap. The effects run after a border, or without one only for
// an opaque state, so a see-through state does not tint the parent showing through it.
// Nothing unless r lies inside bitmap.
void PaintSkinDataItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                       const TPixelView& bitmap, const TacSkinPaintSource* skinData, const TacItemLook& look,
                       bool fillCorners = true, TacGdipLayer* layer = nullptr);

// The item over the background a control's parent answered: the background with customColor,
// the border image (left out in state 0 when it draws nothing there), then the corner images on
// top of the border. Nothing unless r lies inside bitmap.
void PaintControlItem(int skinIndex, const TCacheInfo& background, int state, const TRect& r, TPoint point,
                      const TPixelView& bitmap, const TacSkinPaintSource* skinData, TColor customColor = acSkinColor,
                      bool fillCorners = true, TacGdipLayer* layer = nullptr);

// A control's own colour effects over the whole image, each skipping key-colour pixels: the tone
// (clNone: none), the hue shift in degrees, the saturation change, in this order.
void ApplyColorEffects(const TPixelView& bitmap, TColor tone, int hueOffset, int saturation);

// The section's frame (PaintSectionFrame) of a width x height control standing on a plain area of
// the skin's main colour, as its cache would hold it. An empty image for an invalid section or size.
TPixelImage RenderSectionFrame(const TacSkinPaintSource& skinData, int skinIndex, int state, int width, int height,
                               TacGdipLayer* layer = nullptr);

// ---- constant elements and layered windows -----------------------------------------------------

// Where the four painters below report a call without skin data, with the text
// "Check parameters of the <name> procedure." (the Windows layer shows it under a debugger);
// nil: nowhere. They paint nothing then.
using TacPaintUsageWarning = void (*)(const wchar_t* text);
void SetPaintUsageWarning(TacPaintUsageWarning warning);

// The background of a constant element (scroll-bar parts and buttons, up-down buttons) whose
// textures the caller looked up once: texNormal in state 0, texActive in the others (-1: none),
// never the state's own; texture and gradient shares taken whatever the transparency, the colour
// steps applied to what the texture leaves, the parent's image through a see-through state, a
// not-ready parent's fill colour for a fully see-through plain state, then a whole-background
// gradient. r is cut to the bitmap (point moved with it). Nothing for an invalid section.
void PaintItemBGFast(int skinIndex, int texNormal, int texActive, const TCacheInfo& background, int state, TRect r,
                     TPoint point, const TPixelView& bitmap, const TacSkinPaintSource* skinData,
                     TacGdipLayer* layer = nullptr);
// PaintItemBGFast, then the border image borderIndex (may be invalid) in nine slices; no corner
// images. Nothing unless r lies inside bitmap.
void PaintItemFast(int skinIndex, int borderIndex, int texNormal, int texActive, const TCacheInfo& background,
                   int state, const TRect& r, TPoint point, const TPixelView& bitmap,
                   const TacSkinPaintSource* skinData, TacGdipLayer* layer = nullptr);
// The section's background for a layered window's picture, its transparency in the alpha channel
// (state 0..2; customColor other than acSkinColor: that colour, opaque and plain). A fully
// see-through state clears the whole bitmap and leaves a part alone; a plain see-through state
// over transparent black gets the colour at its opacity, over content tints it and keeps the
// larger alpha; gradient bands are drawn through the layer at the state's opacity (the skin's
// gradient is never changed). r is cut to the bitmap.
void PaintItemBG32(int skinIndex, int state, TRect r, const TPixelView& bitmap, const TacSkinPaintSource* skinData,
                   TColor customColor = acSkinColor, TacGdipLayer* layer = nullptr);
// PaintItemBG32, then the border image in nine slices for layered pictures over the background as
// it was; a rectangle covering the whole bitmap is premultiplied, a part keeps straight alpha.
// Nothing unless r lies inside bitmap.
void PaintItem32(int skinIndex, int state, const TRect& r, const TPixelView& bitmap,
                 const TacSkinPaintSource* skinData, TacGdipLayer* layer = nullptr, bool compositionOn = true);
