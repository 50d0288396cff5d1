// The alpha image list: each item keeps a whole image file (PNG, ICO or 32-bit BMP) and is drawn
// with its alpha at the list's size scaled to the PPI; the standard list mirrors the items as
// icons for the platform's consumers. The stored form writes the items with their files' bytes
// and an empty standard list in place of the images.
#pragma once

#include <functional>
#include <memory>

#include "skin/controls/acimagelist.h"
#include "vcl/classes.h"

class TsAlphaImageList;

// One image of an alpha list: the file's bytes exactly as read, its format and decoded size, and
// the last rendition at the list's own size.
class TsImgListItem : public TCollectionItem {
public:
    explicit TsImgListItem(TCollection* collection);
    ~TsImgListItem() override;

    // Copies everything but the cache; the source's stream is rewound afterwards.
    void Assign(const TPersistent* source) override;

protected:
    // The same copy into another item; anything else raises the assignment error.
    void AssignTo(TPersistent* dest) const override;

public:

    String Text;
    String ImageName;
    TsImageFormat ImageFormat = ifPNG;
    TPixelFormat PixelFormat = pf32bit;
    int OrigWidth = 0;
    int OrigHeight = 0;
    std::unique_ptr<TBitmap> CacheBmp;
    TMemoryStream ImgData;
};

class TsImgListItems : public TCollection {
public:
    explicit TsImgListItems(TsAlphaImageList* owner);
    TsImgListItem* Items(int index) const { return static_cast<TsImgListItem*>(TCollection::Items(index)); }
    TsImgListItem* GetItem(int index) const { return Items(index); }
    // Item index becomes a copy of value (its file and all).
    void SetItem(int index, const TsImgListItem* value) { Items(index)->Assign(value); }
    TsImgListItem* Add() { return static_cast<TsImgListItem*>(TCollection::Add()); }
    TsAlphaImageList* ListOwner() const { return FOwner; }

private:
    TsAlphaImageList* FOwner;
};

class TsAlphaImageList : public TacImageList {
public:
    explicit TsAlphaImageList(TComponent* owner = nullptr);
    ~TsAlphaImageList() override;

    TsImgListItems* Items() const { return FItems.get(); }

    // Height (index 0) and Width (index 1); after loading a new size rebuilds the standard list.
    void SetSizeProp(int index, int value);
    int GetSizeProp(int index) const { return index == 0 ? Height() : Width(); }
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSizeProp(1, width); }
    void SetHeight(int height) { SetSizeProp(0, height); }
    // The standard list's background when none of the list's own is set.
    TColor BkColor();
    void SetBkColor(TColor color);
    bool UseCache() const { return FUseCache; }
    void SetUseCache(bool on);

    // Batch edits: the standard list is rebuilt once at the end (DoChange).
    void AcBeginUpdate() { AcChanging = true; }
    void AcEndUpdate(bool doChange);
    void Clear();
    void Delete(int index);
    void MoveItem(int curIndex, int newIndex);
    // Width, then Height, from the image size of another standard list.
    void SetNewDimensions(HIMAGELIST value);
    // The standard list made (at the recorded size) when there is none; answers whether there is one.
    bool CreateImgList();
    // The items rebuilt from the standard list: one icon item per image that gives an icon.
    void UpdateFromStd();
    // Rebuilds the standard list from the items. An item whose image cannot be decoded is skipped
    // (logged, an empty image keeps the places in step); the batch flag is always cleared.
    void GenerateStdList();

    // Appends a whole image file; nothing is added unless it decodes.
    bool TryLoadFromFile(const String& fileName);
    void LoadFromFile(const String& fileName);
    bool TryLoadFromPngStream(TStream& stream);
    void LoadFromPngStream(TStream& stream);
    // A PNG file held in memory (a built-in resource); raises EInvalidGraphic when it does not
    // decode, and the list is left as it was.
    int AddPng(const uint8_t* data, size_t size);
    int AddPng(TStream& stream);
    int PngCount() const { return FItems->Count(); }
    // Appends a bitmap (kept as a 32-bit BMP file): one of another depth is made opaque except,
    // when it is Transparent, on its transparent colour. Answers the new image's index, -1 when
    // nothing could be added (nil or empty image, no standard list). The mask is not used.
    int Add(TBitmap* image, TBitmap* mask);
    // Copies item index of another alpha list (its file and all; other lists as the base list
    // does); answers the new count, -1 for a bad index.
    int AddImage(TCustomImageList* source, int index);
    // The items of another alpha list, copied, and the standard list rebuilt from them.
    void CopyImages(TsAlphaImageList* source);
    // Another alpha list: its settings, size, colours and items (files and all), the standard list
    // rebuilt at its size; nullptr frees the standard list. Other sources as the base does.
    void Assign(const TPersistent* source) override;
    // Image index becomes the 32-bit bitmap (kept as a BMP file); failures leave it as it was.
    void Replace(int index, TBitmap* bmp32);

    // The stored form: the properties, an empty standard list as "Bitmap", and the items.
    void WriteToStream(TStream& stream);
    void ReadFromStream(TStream& stream);
    void Loaded() override;

    TBitmap* CreateBitmap32(int index, int width, int height, int glyphHeight) override;
    bool GetBitmap32(int index, TBitmap* image, int glyphHeight) override;
    using TCustomImageList::GetBitmap32;
    int ImageCount() override { return GetCount(); }
    bool ScalesWithPPI() const override { return FAllowScale; }
    int GetCount();

    bool AcChanging = false;
    bool ItemsUpdating = false;
    bool StdListIsGenerated = false;
    bool StdMode = false;
    bool DoubleData = true;
    bool FAllowScale = true;
    int SavedWidth = 0;
    int SavedHeight = 0;

    // Where an image that cannot be decoded is reported (stderr and the debugger when unset).
    static inline std::function<void(const String&)> Log;
    // Decodes of item files so far (the cache's measure).
    static inline int Decodes = 0;

protected:
    void Change() override;
    void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) override;
    // Into another alpha list: as its Assign from this one.
    void AssignTo(TPersistent* dest) const override;

private:
    friend class TsImgListItem;
    bool KeepsItems() const { return DoubleData; }
    bool HasData(int index) const;
    // Image index decoded at w x h (a new 32-bit bitmap; resampled from the file's size).
    std::unique_ptr<TBitmap> DecodeItem(TsImgListItem* item, int w, int h);
    // The standard list's image index; Masked tells whether a mask gave its alpha.
    std::unique_ptr<TBitmap> IconBitmap(int index, bool maskToAlpha, bool* masked = nullptr);
    // Images of the standard list that carry no alpha at all made opaque (the list holds no items).
    void RepairStdImages();
    void ClearItems();
    void AddItemImage(TsImgListItem* item);
    void AssignFromList(TsAlphaImageList* source);
    // Frees the standard list (unless shared); listeners told unless in a batch.
    void KillImgList();

    std::unique_ptr<TsImgListItems> FItems;
    bool FLoaded = false;
    bool FUseCache = true;
    bool FDestroying = false;
    TColor FBkColor = clNone;
};

// Reports an image that could not be read (the list's Log, else stderr and the debugger).
void ReportImageListError(const String& text);
