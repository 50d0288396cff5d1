// Image lists over the common controls' HIMAGELIST, with change links for the controls that
// show their images.
#pragma once

#include "vcl/win.h"

#include <commctrl.h>

#include <functional>
#include <vector>

#include "vcl/classes.h"
#include "vcl/graphics.h"

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
using enum TDrawingStyle;
enum class TImageType { itImage, itMask };
using enum TImageType;
enum class TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };
using enum TColorDepth;

class TCustomImageList;

// A control's subscription to an image list: OnChange runs after every change of the list.
// Destroying the link unregisters it; destroying the list clears Sender of its links.
class TChangeLink : public TObject {
public:
    TChangeLink() = default;
    ~TChangeLink() override;
    TCustomImageList* Sender() const { return FSender; }
    void SetSender(TCustomImageList* sender) { FSender = sender; }
    virtual void Change();

    TNotifyEvent OnChange;

private:
    TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner = nullptr);
    TCustomImageList(int width, int height, TComponent* owner = nullptr);
    ~TCustomImageList() override;

    // The HIMAGELIST (ImageList_Create on first use with the list's size, colour depth and mask).
    HIMAGELIST Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // Takes a list made elsewhere (owned unless ShareImages); Width and Height follow it.
    void SetHandle(HIMAGELIST list);
    bool ShareImages() const { return FShareImages; }
    void SetShareImages(bool on) { FShareImages = on; }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // A new size, colour depth or mask setting empties the list.
    void SetWidth(int width) { SetSize(width, FHeight); }
    void SetHeight(int height) { SetSize(FWidth, height); }
    void SetSize(int width, int height);
    TColorDepth ColorDepth() const { return FColorDepth; }
    void SetColorDepth(TColorDepth depth);
    bool Masked() const { return FMasked; }
    void SetMasked(bool on);
    int AllocBy() const { return FAllocBy; }
    void SetAllocBy(int n) { FAllocBy = n > 0 ? n : 4; }

    // Background drawn under the images: clNone for none, clDefault for the list's own.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor color);
    // The colour dsFocus and dsSelected blend with (clDefault: the highlight colour).
    TColor BlendColor() const { return FBlendColor; }
    void SetBlendColor(TColor color) { FBlendColor = color; }
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const { return FImageType; }
    void SetImageType(TImageType type);

    int Count();
    // Add a bitmap (a strip of several images when it is a multiple of Width wide) with an
    // optional monochrome mask (white = transparent); answer the index of the first image.
    int Add(TBitmap* image, TBitmap* mask);
    // Pixels of maskColor become transparent (clDefault: the bitmap's bottom-left pixel).
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    // Copies image index of another list (all of them with AddImages).
    int AddImage(TCustomImageList* source, int index);
    void AddImages(TCustomImageList* source);
    void Insert(int index, TBitmap* image, TBitmap* mask);
    void InsertMasked(int index, TBitmap* image, TColor maskColor);
    void InsertIcon(int index, TIcon* icon);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void ReplaceMasked(int index, TBitmap* image, TColor maskColor);
    void ReplaceIcon(int index, TIcon* icon);
    void Delete(int index);
    void Clear();
    void Move(int curIndex, int newIndex);

    // Draws image index at (x, y) in DrawingStyle and ImageType; a disabled image is drawn
    // grey and half transparent.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled = true);
    // Image index into image: a 32-bit bitmap gets the image's pixels with straight alpha
    // (AlphaFormat afDefined); any other format gets it drawn over BkColor (white for clNone).
    bool GetBitmap(int index, TBitmap* image);
    void GetIcon(int index, TIcon* icon);
    // Image index as a new 32-bit bitmap with straight alpha (nullptr for a bad index).
    std::unique_ptr<TBitmap> GetBitmap32(int index);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

    TNotifyEvent OnChange;

protected:
    // Tells every change link and OnChange (not while updating).
    virtual void Change();
    // The drawing step of Draw, with ILD_ style flags; a derived list may paint its own way.
    virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);
    void CheckIndex(int index, bool allowEnd = false);

private:
    void CreateList();
    void FreeList();
    void RecreateList();
    UINT CreateFlags() const;
    HBITMAP ImageCopy(TBitmap* image);
    void ReplaceFrom32(int index, TBitmap& image32);
    // Adds an image with add() and moves it to index, as one change for the links.
    void InsertAdded(int index, const std::function<int()>& add);

    HIMAGELIST FHandle = nullptr;
    bool FShareImages = false;
    int FWidth = 16;
    int FHeight = 16;
    TColorDepth FColorDepth = cd32Bit;
    bool FMasked = true;
    int FAllocBy = 4;
    TColor FBkColor = clNone;
    TColor FBlendColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    TImageType FImageType = itImage;
    int FUpdateCount = 0;
    bool FChangedWhileUpdating = false;
    std::vector<TChangeLink*> FLinks;
};

// The image list a component shows: the component hears of every change of the list and of
// its destruction. The owner's Notification passes removals to Removed, which clears the
// reference when it was this list.
class TImageListReference {
public:
    TImageListReference(TComponent* owner, const TNotifyEvent& onChange);
    ~TImageListReference();
    TImageListReference(const TImageListReference&) = delete;
    TImageListReference& operator=(const TImageListReference&) = delete;
    TCustomImageList* Get() const { return FList; }
    // Answers false when the list is the one already shown.
    bool Set(TCustomImageList* list);
    bool Removed(TComponent* component);

private:
    TComponent* FOwner;
    TChangeLink FLink;
    TCustomImageList* FList = nullptr;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
};
