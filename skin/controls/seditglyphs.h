// The images edits show beside their text: the added glyph of an edit and the image of a combo
// edit's button, and the process-wide standard button pictures used when the application gives
// none (file, folder, date, ellipsis, calculator; a normal and a hot frame each).
#pragma once

#include "skin/controls/salphaimagelist.h"
#include "vcl/controls.h"
#include "vcl/imagelist.h"

class TsCharImageList;
class TsCommonData;

class TacAddedGlyph : public TPersistent {
public:
    TacAddedGlyph(TWinControl* owner, TsCommonData* skinData);
    ~TacAddedGlyph() override;
    TacAddedGlyph(const TacAddedGlyph&) = delete;
    TacAddedGlyph& operator=(const TacAddedGlyph&) = delete;

    // Integer properties by index: 0 Blend, 1 ImageIndex (10, 11: the glyph mode's hot and
    // pressed indexes). An unchanged value does nothing.
    virtual void SetIntProp(int index, int value);

    int Blend() const { return FBlend; }
    void SetBlend(int v) { SetIntProp(0, v); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { SetIntProp(1, v); }
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool v);
    TColor ColorTone() const { return FColorTone; }
    void SetColorTone(TColor v);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* list);

    // Frames side by side in an image of the list in use: width div height when it divides
    // evenly, else 1.
    int ImageCount();
    // One frame's width and height in pixels at the owner's PPI.
    virtual int Width();
    int Height();
    // The owner repaints now; with updateCoords its non-client area is computed again.
    void Invalidate(bool updateCoords);
    // Images holds ImageIndex.
    bool HasOwnImage();
    // The list Width and Height measure: Images with a valid index, else the standard list.
    TCustomImageList* ListInUse();

    static constexpr TColor NoTone = TColor(0x1FFFFFFF);

protected:
    TWinControl* FOwner;
    TsCommonData* FSkinData;
    int FBlend = 0;
    int FImageIndex = -1;
    bool FGrayed = false;
    TColor FColorTone = NoTone;
    TCustomImageList* FImages = nullptr;

private:
    void ImagesChanged(TObject*) { Invalidate(false); }
    TChangeLink FImageChangeLink;
};

// The glyph of an edit's button.
class TsGlyphMode : public TacAddedGlyph {
public:
    TsGlyphMode(TWinControl* owner, TsCommonData* skinData);

    void SetIntProp(int index, int value) override;
    int Width() override;

    int ImageIndexHot() const { return FImageIndexHot; }
    void SetImageIndexHot(int v) { SetIntProp(10, v); }
    int ImageIndexPressed() const { return FImageIndexPressed; }
    void SetImageIndexPressed(int v) { SetIntProp(11, v); }
    const String& Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    // False: the button ignores the mouse and the click key.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);

private:
    int FImageIndexHot = -1;
    int FImageIndexPressed = -1;
    String FHint;
    bool FEnabled = true;
};

// How an edit's picture is drawn: its blend (0 opaque .. 100 invisible), the colour a greyed
// picture goes toward (clNone: not greyed), the tone it takes (NoTone: none), the text colour a
// character list draws in, which frame of a strip of Frames it shows, and a shift to the right.
struct TacEditGlyphLook {
    int Blend = 0;
    TColor GreyTo = clNone;
    TColor Tone = TacAddedGlyph::NoTone;
    TColor Text = clBlack;
    int Frames = 1;
    int Cell = 0;
    int ShiftX = 0;
};
// Draws image index of list centred in r of the cache (32 bits) at the link's PPI. A character
// list draws in the look's text colour, or in the tone (then never greyed); a bitmap list's frame
// is greyed and toned as asked, then composed with the blend.
void DrawEditGlyph(TBitmap* cache, const TRect& r, TCustomImageList* list, int index, const TacEditGlyphLook& look,
                   TsCommonData* link);

// Indexes of the standard button pictures.
enum TacStdGlyph { sgFile = 0, sgFolder = 1, sgDate = 2, sgEllipsis = 3, sgCalculator = 4 };
// The window signs of the character list.
enum TacStdSignGlyph { sgMinimize = 21, sgMaximize = 22, sgRestore = 23, sgClose = 24 };

// The standard pictures as PNG images of 32 x 16 (two frames), built on first use from the
// pictures built into the program ("SF", "SR", "SD", "SE", "SC").
TsAlphaImageList* StdPngGlyphs();
// The standard pictures as characters of the icon font, 16 x 14, one frame each, drawn in the
// colour of the text around them: the five pictures above (same indexes), then check, cross,
// plus, arrows and the like (5-20), then the window signs minimise, maximise, restore and close
// (21-24, from the system's symbol font). Built on first use.
TsCharImageList* StdCharGlyphs();
// The list the skin manager's glyph mode selects: the PNG pictures in the old mode (the default),
// else the character ones.
TCustomImageList* GetStdGlyphs();
// A picture built into the program by name, as its PNG bytes; EResNotFound when there is none.
void EditGlyphResource(const String& name, const uint8_t*& data, size_t& size);
// Frees the standard lists (module shut-down; a later use builds them again).
void FreeStdGlyphs();
