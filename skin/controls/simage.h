// The skinned picture control: shows its own Picture or one image of an image list, composed with
// alpha over what lies behind it (the parent's painting), optionally stretched, centred, blended,
// greyed or mirrored. Toolkit lists hand it 32-bit renditions at the size it asks for. Its skin
// link asks the parent for the background (a skinned container answers from its own image) and
// paints the link's SkinSection, when one is set, between that background and the image.
#pragma once

#include <memory>

#include "skin/controls/acimagelist.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/skin_records.h"
#include "vcl/extctrls.h"

class TsCustomImage : public TImage {
public:
    explicit TsCustomImage(TComponent* owner);
    ~TsCustomImage() override;

    int Blend() const { return FBlend; }
    void SetBlend(int percent);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    TCustomImageList* Images() const { return FImages.Get(); }
    void SetImages(TCustomImageList* list);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool on);
    bool Reflected() const { return FReflected; }
    void SetReflected(bool on);
    bool UseFullSize() const { return FUseFullSize; }
    void SetUseFullSize(bool on);

    // No list image to show and an empty picture.
    bool Empty();
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    // The image's size: natural (stretched false) or as drawn (stretched = Stretch).
    TSize ImageSize(bool stretched);
    // The image composed over background (the control's area as the parent painted it, w x h);
    // bgInfo is what the parent answered for it.
    void ComposeImage(TBitmap* background, const TCacheInfo& bgInfo = EmptyCacheInfo);

    // The skin link (kind Image, with a cache): its SkinSection is painted behind the image.
    TsCtrlSkinData* SkinData() const { return FCommonData; }
    // The cache composed anew over the parent's background (dc: what the parent painted under
    // the control); false while the parent is not ready (the old cache stays).
    bool PrepareCache(HDC dc);

    void AfterConstruction() override;

protected:
    void Paint() override;
    void Loaded() override;
    void WndProc(TMessage& m) override;
    // Auto-sized, the control takes the list's size at the new PPI rather than its old size scaled.
    void ChangeScale(int m, int d, bool isDpiChange = false) override;
    void Notification(TComponent* component, TOperation operation) override;
    // The PPI list images are measured at (the control's monitor).
    virtual int ImagePPI();

private:
    void ImagesChanged(TObject*);
    bool ShowsListImage();
    // The background the image is composed over, into the cache; false: the parent is not ready.
    bool PrepareBackground(HDC dc, TCacheInfo& info);
    // The list image as drawn (decoded, resampled) is kept until the list, the image or the size
    // asked for changes: a paint then only composes it.
    struct TListImageKey {
        TCustomImageList* List = nullptr;
        int Index = -1, Count = 0;
        TSize Natural, Drawn;
        TColor FontColor = clNone;
        bool operator==(const TListImageKey&) const = default;
    };
    void DropListImage() { FListImage.reset(); }
    std::unique_ptr<TBitmap> FListImage;
    TListImageKey FListImageKey;

    TsCtrlSkinData* FCommonData;
    bool FGrayed = false;
    bool FReflected = false;
    bool FUseFullSize = false;
    int FBlend = 0;
    int FImageIndex = -1;
    TImageListReference FImages;
};

class TsImage : public TsCustomImage {
public:
    explicit TsImage(TComponent* owner) : TsCustomImage(owner) {}
};
