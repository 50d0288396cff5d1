// The character image list: each item names a character of a font (an icon font in practice),
// and the list renders it at whatever size and PPI is asked, in the colour the caller wants, so
// that one icon follows the skin's text colour in every state. Each item keeps its last
// rendition; the standard list mirrors the items as icons for the platform's consumers. The
// list also carries font files of its own (embedded fonts) that it registers for the process.
#pragma once

#include <memory>

#include "skin/controls/acimagelist.h"
#include "skin/engine/embedded_fonts.h"
#include "skin/graphics/char_glyphs.h"
#include "vcl/classes.h"
#include "vcl/streams.h"

class TsCharImageList;

// The fields AddItem takes (the badge's are not taken).
struct TacCharItemData {
    int Angle = 0;
    int OffsetY = 0;
    int Orientation = 0;
    TColor Color = clGlyphDefault;
    TColor SecondColor = clGlyphDefault;
    wchar_t Char = 0;
    String FontName = L"FontAwesome";
    bool DrawContour = false;
    TFontPitch Pitch = TFontPitch::fpDefault;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    double ScalingFactor = 1.0;
};

class TacCharListItem : public TCollectionItem {
public:
    explicit TacCharListItem(TCollection* collection);
    ~TacCharListItem() override;

    // What the drawing reads; change it through the setters, which drop the rendition.
    const TacCharGlyph& Glyph() const { return FGlyph; }
    int OffsetY() const { return FOffsetY; }
    int Orientation() const { return FOrientation; }
    String ImageName;
    // Stored, not drawn.
    int AddedOffsetX = 0;
    int AddedOffsetY = 0;

    // Orientation 0, OffsetY 1, AddedOffsetX 2, AddedOffsetY 3, AddedSize 4.
    void SetIntProp(int index, int value);
    // Color 0, SecondColor 1, AddedColor 2.
    void SetColorProp(int index, TColor value);
    // Char 0, AddedChar 1.
    void SetCharProp(int index, wchar_t value);
    // Charset 0, AddedCharset 1.
    void SetCharsetProp(int index, TFontCharset value);
    void SetAngle(int value);
    void SetFontName(const String& value);
    void SetAddedFontName(const String& value);
    void SetPitch(TFontPitch value);
    void SetStyle(TFontStyles value);
    void SetScalingFactor(double value);
    void SetDrawContour(bool value);

    // Round(SavedWidth x ScalingFactor); turned by Angle when UseAngle.
    int ActualWidth(bool useAngle) const;
    // Every property but AddedOffsetX and AddedOffsetY; not the rendition.
    void Assign(const TPersistent* source) override;
    // Drops the rendition and tells the list.
    void Invalidate();

    // The last rendition and the colour it was rendered in (the cache key with its size).
    std::unique_ptr<TBitmap> CacheBmp;
    TColor CacheColor = clGlyphDefault;

private:
    TsCharImageList* List() const;
    template <typename T>
    void Store(T& field, const T& value);

    TacCharGlyph FGlyph;
    int FOffsetY = 0;
    int FOrientation = 0;
};

class TacCharListItems : public TCollection {
public:
    explicit TacCharListItems(TsCharImageList* owner);
    TacCharListItem* Items(int index) const { return static_cast<TacCharListItem*>(TCollection::Items(index)); }
    TacCharListItem* GetItem(int index) const { return Items(index); }
    void SetItem(int index, const TacCharListItem* value) { Items(index)->Assign(value); }
    TacCharListItem* Add() { return static_cast<TacCharListItem*>(TCollection::Add()); }
    TsCharImageList* ListOwner() const { return FOwner; }

private:
    TsCharImageList* FOwner;
};

class TsCharImageList : public TacImageList {
public:
    explicit TsCharImageList(TComponent* owner = nullptr);
    ~TsCharImageList() override;

    TacCharListItems* Items() const { return FItems.get(); }
    TacEmbeddedFonts& EmbeddedFonts() { return FEmbeddedFonts; }

    // Height (index 0) and Width (index 1); outside a batch a new size rebuilds the standard list.
    void SetSizeProp(int index, int value);
    void SetWidth(int width) { SetSizeProp(1, width); }
    void SetHeight(int height) { SetSizeProp(0, height); }
    // The standard list's background when none of the list's own is set.
    TColor BkColor();
    void SetBkColor(TColor color) { FBkColor = color; }

    void AcBeginUpdate() { AcChanging = true; }
    void AcEndUpdate(bool doChange);
    void Clear();
    // Drops every item's rendition (after a skin change).
    void ClearCache();
    // Drops the standard list.
    void KillImgList();
    void GenerateStdList();

    // The colour the next drawing uses: the item's own colour unless IgnoreDefault, else AColor.
    void SetCharColor(TColor color, int index, bool ignoreDefault);
    bool ItemIsCached(TacCharListItem* item, int width, int height, TColor color) const;
    TBitmap* CreateBitmap32(int index, int width, int height, int glyphHeight) override;
    TBitmap* CreateBitmap32Color(int index, int width, int height, TColor charColor, int glyphHeight);
    bool GetBitmap32(int index, TBitmap* image, int glyphHeight) override;
    using TCustomImageList::GetBitmap32;
    // Replaces standard image i with the item's rendition.
    void UpdateStd(int index);
    int AddItem(const TacCharItemData& data);
    void CopyImages(TsCharImageList* source);
    void Assign(const TPersistent* source) override;
    void AssignTo(TPersistent* dest) const override;

    // The stored form: sizes, background, the embedded fonts (their bytes as "FontData") and the
    // items. Reading is all or nothing: a stream that does not read to its end raises EReadError
    // and leaves the list as it was.
    void WriteToStream(TStream& stream) const;
    void ReadFromStream(TStream& stream);

    int FontIndex(const String& fontName);
    // False when the file does not exist; the font is registered for the process.
    bool AddEmbeddedFont(const String& fileName, const String& fontName);

    void Loaded() override;

    int ImageCount() override { return FItems->Count(); }
    int ImageWidthAtPPI(int index, int ppi) override;
    int ImageHeightAtPPI(int index, int ppi) override;
    bool ScalesWithPPI() const override { return FAllowScale; }
    void SetDrawColor(TColor fontColor, int index, bool ignoreDefault) override
    {
        SetCharColor(fontColor, index, ignoreDefault);
    }
    int ReflectionRoom(int index, int ppi) override;
    bool ItemHasOwnColor(int index) override;

    bool AcChanging = false;
    bool FAllowScale = true;
    bool StdListIsGenerated = false;
    int SavedWidth = 0;
    int SavedHeight = 0;
    // Not 0: the scale step the items' OffsetY was set at; rendering scales it from that PPI.
    int FSavedScale = 0;

protected:
    void Change() override;
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;

private:
    friend class TacCharListItem;
    bool IsItemIndex(int index) const { return index >= 0 && index < FItems->Count(); }
    // The PPI the standard list is made at.
    int StdListPpi() const;
    // The standard list at its size for the PPI (made again when its size differs).
    bool EnsureStdList();
    // The item's rendition at its size at the list's PPI.
    TBitmap* GetCacheBmp(TacCharListItem* item, int glyphHeight);
    TColor DrawingColor(TacCharListItem* item) const;

    std::unique_ptr<TacCharListItems> FItems;
    // The fonts it registers stay registered until the process ends.
    TacEmbeddedFonts FEmbeddedFonts{true};
    bool FLoaded = false;
    TColor FBkColor = clGlyphDefault;
};

// The fonts of a character list copied from another's: a list whose first font carries bytes (or
// has none) gets the data-less "FontAwesome" entry first, the icon font registered at start-up.
void AssignCharListFonts(TacEmbeddedFonts& dest, TacEmbeddedFonts& source);

// Hands the skin manager the walkers over the toolkit's image lists (cache clearing after a skin
// change, rescaling after a PPI change); every character list does it when made.
void InstallImageListWalkers();

// Sets the colour item index of a character list is drawn in next (as its SetCharColor); a list
// that draws no characters is left alone.
void SetForwardedCharColor(TCustomImageList* list, TColor color, int index, bool ignoreDefault);

// Renders item Index of List into Bmp fitted in Rect at a character height of GlyphHeight.
void RenderCharItem(TsCharImageList* list, TBitmap* bmp, int index, const TRect& rect, int glyphHeight, int offsetY);
