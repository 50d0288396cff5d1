#include "skin/controls/salphaimagelist.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "vcl/stored_form.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_records.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/pnggraphic.h"
#include "skin/graphics/resample.h"
#include "vcl/sysutils.h"

namespace {

using namespace StoredForm;

const wchar_t* const BadFormatText = L"Invalid or unexpected image format.";

const char* FormatIdent(TsImageFormat f)
{
    switch (f) {
    case ifICO: return "ifICO";
    case ifBMP32: return "ifBMP32";
    default: return "ifPNG";
    }
}

// Pixels of a device-dependent or DIB bitmap as a new 32-bit bitmap (top row first).
std::unique_ptr<TBitmap> BitmapFromHandle(HBITMAP handle)
{
    BITMAP bm{};
    if (!handle || !GetObjectW(handle, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
    std::unique_ptr<TBitmap> result(NewBitmap32(bm.bmWidth, bm.bmHeight));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(size_t(bm.bmWidth) * size_t(bm.bmHeight));
    HDC dc = GetDC(nullptr);
    const int got = GetDIBits(dc, handle, 0, UINT(bm.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (got <= 0) return nullptr;
    const TPixelView v = BitmapView(result.get());
    for (int y = 0; y < bm.bmHeight; ++y)
        std::memcpy(v.Row(y), pixels.data() + size_t(y) * size_t(bm.bmWidth), size_t(bm.bmWidth) * 4);
    result->PixelsChanged();
    return result;
}

void CopyPixels(TBitmap* dest, TBitmap* src)
{
    const TPixelView d = BitmapView(dest), s = BitmapView(src);
    const int w = std::min(d.Width, s.Width), h = std::min(d.Height, s.Height);
    for (int y = 0; y < h; ++y) std::memcpy(d.Row(y), s.Row(y), size_t(w) * 4);
    dest->PixelsChanged();
}

std::unique_ptr<TBitmap> CopyOf(TBitmap* src)
{
    std::unique_ptr<TBitmap> copy(NewBitmap32(src->Width(), src->Height()));
    CopyPixels(copy.get(), src);
    return copy;
}

// Src into a new bitmap of w x h: itself at its own size, else resampled.
std::unique_ptr<TBitmap> Sized(std::unique_ptr<TBitmap> src, int w, int h)
{
    if (src->Width() == w && src->Height() == h) return src;
    std::unique_ptr<TBitmap> result(NewBitmap32(w, h));
    FillRectAlpha32(result.get(), TRect(0, 0, w, h), 0, 0);
    ResampleBitmap32(src.get(), result.get(), w, h, rfMitchell);
    return result;
}

// A bitmap of another depth as 32 bits: opaque except, when KeyBottomLeft, the colour of its
// bottom-left pixel.
std::unique_ptr<TBitmap> To32(TBitmap* bmp, bool keyBottomLeft)
{
    const int w = bmp->Width(), h = bmp->Height();
    std::unique_ptr<TBitmap> result(NewBitmap32(w, h));
    BitBlt(result->Canvas()->Handle(), 0, 0, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    const TPixelView v = BitmapView(result.get());
    const uint32_t key = v.At(0, h - 1) & 0x00FFFFFFu;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t& p = v.At(x, y);
            p = (keyBottomLeft && (p & 0x00FFFFFFu) == key) ? (p & 0x00FFFFFFu) : (p | 0xFF000000u);
        }
    result->PixelsChanged();
    return result;
}

}  // namespace

void ReportImageListError(const String& text)
{
    if (TsAlphaImageList::Log) {
        TsAlphaImageList::Log(text);
        return;
    }
    OutputDebugStringW(text.c_str());
    std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
}

// ================================================================================================
// TsImgListItem

TsImgListItem::TsImgListItem(TCollection* collection) : TCollectionItem(collection) {}

TsImgListItem::~TsImgListItem()
{
    auto* items = static_cast<TsImgListItems*>(Collection());
    TsAlphaImageList* list = items ? items->ListOwner() : nullptr;
    // The owner's own clearing and its destruction leave the standard list alone.
    if (list && !list->FDestroying && !list->ItemsUpdating && list->HandleAllocated()) {
        const int i = Index();
        if (i >= 0 && i < ImageList_GetImageCount(list->Handle())) ImageList_Remove(list->Handle(), i);
    }
}

void TsImgListItem::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TsImgListItem*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    if (src == this) return;
    ImageFormat = src->ImageFormat;
    ImageName = src->ImageName;
    PixelFormat = src->PixelFormat;
    OrigWidth = src->OrigWidth;
    OrigHeight = src->OrigHeight;
    Text = src->Text;
    // A rendition of the image this item held before is not this image.
    CacheBmp.reset();
    ImgData.Clear();
    auto& data = const_cast<TMemoryStream&>(src->ImgData);
    data.SetPosition(0);
    ImgData.LoadFromStream(data);
    data.SetPosition(0);
    ImgData.SetPosition(0);
}

void TsImgListItem::AssignTo(TPersistent* dest) const
{
    auto* item = dynamic_cast<TsImgListItem*>(dest);
    if (!item) {
        TCollectionItem::AssignTo(dest);
        return;
    }
    if (item == this) return;
    item->ImageFormat = ImageFormat;
    item->ImageName = ImageName;
    item->PixelFormat = PixelFormat;
    item->OrigWidth = OrigWidth;
    item->OrigHeight = OrigHeight;
    item->Text = Text;
    item->CacheBmp.reset();
    item->ImgData.Clear();
    auto& data = const_cast<TMemoryStream&>(ImgData);
    data.SetPosition(0);
    item->ImgData.LoadFromStream(data);
    data.SetPosition(0);
    item->ImgData.SetPosition(0);
}

TsImgListItems::TsImgListItems(TsAlphaImageList* owner)
    : TCollection(owner, TCollection::ItemsOf<TsImgListItem>()), FOwner(owner)
{
}

// ================================================================================================
// TsAlphaImageList

TsAlphaImageList::TsAlphaImageList(TComponent* owner) : TacImageList(owner)
{
    SetColorDepth(cd32Bit);
    FItems = std::make_unique<TsImgListItems>(this);
    FLoaded = !HasState(csLoading);
}

TsAlphaImageList::~TsAlphaImageList()
{
    FDestroying = true;
    FItems.reset();
}

void TsAlphaImageList::SetSizeProp(int index, int value)
{
    if (FLoaded) (index == 0 ? SavedHeight : SavedWidth) = value;
    if (index == 0)
        TCustomImageList::SetSize(Width(), value);
    else
        TCustomImageList::SetSize(value, Height());
    if (!HasState(csLoading) && FLoaded && !AcChanging && FItems->Count() >= GetCount()) {
        GenerateStdList();
        Change();
    }
}

void TsAlphaImageList::SetSize(int width, int height)
{
    // One rebuild for both sides.
    const bool was = AcChanging;
    AcChanging = true;
    SetSizeProp(1, width);
    AcChanging = was;
    SetSizeProp(0, height);
}

TColor TsAlphaImageList::BkColor()
{
    if (FBkColor != clNone || !HandleAllocated()) return FBkColor;
    return TColor(ImageListColorToColor(ImageList_GetBkColor(Handle())));
}

void TsAlphaImageList::SetBkColor(TColor color)
{
    FBkColor = color;
    TCustomImageList::SetBkColor(color);
    if (HandleAllocated()) ImageList_SetBkColor(Handle(), color == clNone ? CLR_NONE : ColorToRGB(color));
}

void TsAlphaImageList::SetUseCache(bool on)
{
    FUseCache = on;
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->CacheBmp.reset();
}

void TsAlphaImageList::AcEndUpdate(bool doChange)
{
    AcChanging = false;
    if (doChange) {
        GenerateStdList();
        Change();
    }
}

void TsAlphaImageList::ClearItems()
{
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->ImgData.Clear();
    ItemsUpdating = true;
    FItems->Clear();
    ItemsUpdating = false;
}

void TsAlphaImageList::Clear()
{
    ClearItems();
    if (HandleAllocated()) ImageList_Remove(Handle(), -1);
    Change();
}

void TsAlphaImageList::Delete(int index)
{
    if (FItems->Count() == 0 || index < 0 || index >= FItems->Count()) return;
    FItems->Delete(index);
    Change();
}

void TsAlphaImageList::MoveItem(int curIndex, int newIndex)
{
    if (curIndex < 0 || curIndex >= FItems->Count() || newIndex < 0 || newIndex >= FItems->Count()) return;
    FItems->Items(curIndex)->SetIndex(newIndex);
    TCustomImageList::Move(curIndex, newIndex);
}

void TsAlphaImageList::AddItemImage(TsImgListItem* item)
{
    switch (item->ImageFormat) {
    case ifICO: {
        TIcon icon;
        item->ImgData.SetPosition(0);
        icon.LoadFromStream(item->ImgData);
        item->ImgData.SetPosition(0);
        item->OrigWidth = icon.Width();
        item->OrigHeight = icon.Height();
        ImageList_ReplaceIcon(Handle(), -1, icon.Handle());
        break;
    }
    case ifBMP32: {
        TBitmap bmp;
        item->ImgData.SetPosition(0);
        bmp.LoadFromStream(item->ImgData);
        item->ImgData.SetPosition(0);
        item->OrigWidth = bmp.Width();
        item->OrigHeight = bmp.Height();
        if (bmp.PixelFormat() != pf32bit) {
            auto b32 = To32(&bmp, true);
            AddAsIcon(this, b32.get(), -1);
        } else {
            AddAsIcon(this, &bmp, -1);
        }
        break;
    }
    default: {
        TBitmap bmp;
        item->ImgData.SetPosition(0);
        LoadPngStreamTo32(&bmp, item->ImgData);
        item->ImgData.SetPosition(0);
        ++Decodes;
        item->OrigWidth = bmp.Width();
        item->OrigHeight = bmp.Height();
        AddAsIcon(this, &bmp, -1);
        break;
    }
    }
}

void TsAlphaImageList::GenerateStdList()
{
    if (StdMode) return;
    const bool wasChanging = AcChanging;
    if (SavedHeight == 0 && Width() == 16 && Height() == 16 && !AcChanging) {
        // A list left at the default size: the standard list is made anew at it, and setting the
        // sides again records them.
        AcChanging = true;
        KillImgList();
        SetSizeProp(1, Width());
        SetSizeProp(0, Height());
    }
    // Nothing to build at an unknown size or without a standard list; a batch this call did not
    // start is not left open.
    if (SavedHeight == 0 || !CreateImgList()) {
        AcChanging = wasChanging;
        return;
    }
    AcChanging = true;
    try {
        ImageList_Remove(Handle(), -1);
        for (int i = 0; i < FItems->Count(); ++i) {
            TsImgListItem* item = FItems->Items(i);
            if (item->ImgData.Size() == 0) {
                // A stored item without bytes: its place is kept empty.
                TBitmap blank(1, 1, pf32bit);
                AddAsIcon(this, &blank, -1);
                continue;
            }
            try {
                AddItemImage(item);
            } catch (const Exception& e) {
                // A bad item must not make the list unusable: report it and keep the places in
                // step with an empty image.
                ReportImageListError(L"Image " + IntToStr(i) + L" \"" + item->ImageName + L"\" of the image list " +
                                     Name() + L" skipped: " + e.Message());
                TBitmap blank(1, 1, pf32bit);
                AddAsIcon(this, &blank, -1);
            }
        }
        if (FItems->Count() > 0) {
            StdListIsGenerated = true;
            if (!KeepsItems()) ClearItems();
        }
    } catch (...) {
        AcChanging = false;
        throw;
    }
    AcChanging = false;
}

int TsAlphaImageList::GetCount()
{
    const int c = FItems->Count();
    if (HandleAllocated() && !ItemsUpdating) {
        const int std = ImageList_GetImageCount(Handle());
        // Images put into the standard list directly: taken as icon items (seen next time).
        if (std > c && (c == 0 || FItems->Items(0)->ImageFormat == ifICO)) UpdateFromStd();
    }
    return c;
}

void TsAlphaImageList::UpdateFromStd()
{
    if (!HandleAllocated()) return;
    ItemsUpdating = true;
    FItems->Clear();
    ItemsUpdating = false;
    const int std = ImageList_GetImageCount(Handle());
    for (int i = 0; i < std; ++i) {
        HICON h = ImageList_GetIcon(Handle(), i, ILD_NORMAL);
        if (!h) continue;
        TIcon icon;
        icon.SetHandle(h);
        TsImgListItem* item = FItems->Add();
        item->OrigWidth = icon.Width();
        item->OrigHeight = icon.Height();
        item->ImageFormat = ifICO;
        icon.SaveToStream(item->ImgData);
        item->ImgData.SetPosition(0);
    }
}

void TsAlphaImageList::SetNewDimensions(HIMAGELIST value)
{
    int cx = Width(), cy = Height();
    if (value) ImageList_GetIconSize(value, &cx, &cy);
    SetSizeProp(1, cx);
    SetSizeProp(0, cy);
}

bool TsAlphaImageList::CreateImgList()
{
    if (SavedWidth == 0 && FLoaded && !HasState(csLoading)) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    return Handle() != nullptr;
}

void TsAlphaImageList::Change()
{
    if (AcChanging || !HandleAllocated() || HasState(csLoading) || !StdListIsGenerated) return;
    const bool designing = HasState(csDesigning);
    const int itemsBefore = FItems->Count();
    const bool complete = KeepsItems() && itemsBefore >= GetCount();
    if (!complete || designing) TacImageList::Change();
    if (designing) return;
    if (complete) {
        if (GetCount() < FItems->Count()) {
            // The items were just rebuilt from the standard list: the list is made from them.
            AcChanging = true;
            try {
                GenerateStdList();
            } catch (...) {
                AcChanging = false;
                throw;
            }
            AcChanging = false;
        }
        TacImageList::Change();
        return;
    }
    RepairStdImages();
}

void TsAlphaImageList::RepairStdImages()
{
    const int n = ImageList_GetImageCount(Handle());
    for (int i = 0; i < n; ++i) {
        HICON icon = ImageList_GetIcon(Handle(), i, ILD_NORMAL);
        if (!icon) continue;
        ICONINFO ii{};
        if (GetIconInfo(icon, &ii)) {
            if (std::unique_ptr<TBitmap> color = BitmapFromHandle(ii.hbmColor)) {
                const TPixelView v = BitmapView(color.get());
                std::vector<uint32_t> px(size_t(v.Width) * size_t(v.Height));
                for (int y = 0; y < v.Height; ++y)
                    std::memcpy(px.data() + size_t(y) * size_t(v.Width), v.Row(y), size_t(v.Width) * 4);
                if (RepairEmptyAlpha(px.data(), px.size())) {
                    for (int y = 0; y < v.Height; ++y)
                        std::memcpy(v.Row(y), px.data() + size_t(y) * size_t(v.Width), size_t(v.Width) * 4);
                    color->PixelsChanged();
                    ICONINFO made{TRUE, 0, 0, ii.hbmMask, color->Handle()};
                    if (HICON fixed = CreateIconIndirect(&made)) {
                        ImageList_ReplaceIcon(Handle(), i, fixed);
                        DestroyIcon(fixed);
                    }
                }
            }
            if (ii.hbmColor) DeleteObject(ii.hbmColor);
            if (ii.hbmMask) DeleteObject(ii.hbmMask);
        }
        DestroyIcon(icon);
    }
}

bool TsAlphaImageList::HasData(int index) const
{
    return KeepsItems() && index >= 0 && index < FItems->Count() && FItems->Items(index)->ImgData.Size() > 0;
}

std::unique_ptr<TBitmap> TsAlphaImageList::IconBitmap(int index, bool maskToAlpha, bool* masked)
{
    if (masked) *masked = false;
    HICON icon = ImageList_GetIcon(Handle(), index, ILD_NORMAL);
    if (!icon) return nullptr;
    ICONINFO ii{};
    std::unique_ptr<TBitmap> result;
    if (GetIconInfo(icon, &ii)) {
        result = BitmapFromHandle(ii.hbmColor);
        if (result && maskToAlpha && ii.hbmMask) {
            auto mask = BitmapFromHandle(ii.hbmMask);
            if (mask && mask->Width() == result->Width() && mask->Height() == result->Height()) {
                const TPixelView v = BitmapView(result.get()), m = BitmapView(mask.get());
                for (int y = 0; y < v.Height; ++y)
                    for (int x = 0; x < v.Width; ++x)
                        v.At(x, y) = (v.At(x, y) & 0x00FFFFFFu) | uint32_t(255 - (m.At(x, y) & 0xFF)) << 24;
                result->PixelsChanged();
                if (masked) *masked = true;
            }
        }
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
    }
    DestroyIcon(icon);
    return result;
}

std::unique_ptr<TBitmap> TsAlphaImageList::DecodeItem(TsImgListItem* item, int w, int h)
{
    std::unique_ptr<TBitmap> decoded;
    item->ImgData.SetPosition(0);
    if (item->ImageFormat == ifBMP32) {
        TBitmap bmp;
        bmp.LoadFromStream(item->ImgData);
        item->ImgData.SetPosition(0);
        if (bmp.PixelFormat() != pf32bit) {
            decoded = To32(&bmp, false);
        } else {
            decoded = CopyOf(&bmp);
            MakeOpaqueIfNoAlpha32(decoded.get());
        }
    } else {
        decoded = std::make_unique<TBitmap>();
        LoadPngStreamTo32(decoded.get(), item->ImgData);
        item->ImgData.SetPosition(0);
        if (decoded->PixelFormat() != pf32bit) {
            decoded->SetPixelFormat(pf32bit);
            MakeOpaqueIfNoAlpha32(decoded.get());
        }
    }
    ++Decodes;
    std::unique_ptr<TBitmap> result = Sized(std::move(decoded), w, h);
    if (item->ImageFormat == ifPNG && BlendColor() != clNone) {
        // Tinted: the blend colour as the skin shows it, at each pixel's brightness.
        const uint32_t c = uint32_t(ResolveSkinColor(BlendColor()));
        const TPixelView v = BitmapView(result.get());
        for (int y = 0; y < v.Height; ++y)
            for (int x = 0; x < v.Width; ++x) v.At(x, y) = TintPixelByBrightness(v.At(x, y), c);
        result->PixelsChanged();
    }
    return result;
}

namespace {

// Old systems show a 32-bit image without alpha as nothing: made opaque there (see
// NeedsOldSystemRepair).
void OldSystemRepair(TBitmap* bmp)
{
    if (!bmp || WindowsVersionIsAtLeast(6, 0)) return;
    const bool hasManager = DefaultManager != nullptr;
    const bool check = hasManager && DefaultManager->BoolOption(0);   // CheckEmptyAlpha
    if (NeedsOldSystemRepair(5, ScreenBitsPerPixel(), hasManager, check)) MakeOpaqueIfNoAlpha32(bmp);
}

}  // namespace

TBitmap* TsAlphaImageList::CreateBitmap32(int index, int width, int height, int glyphHeight)
{
    (void)glyphHeight;
    if (!HandleAllocated() || index < 0 || index >= GetCount()) return nullptr;
    if (!HasData(index)) {
        // A mask gives the alpha; an icon without one may need the old-system repair.
        bool masked = false;
        std::unique_ptr<TBitmap> b = IconBitmap(index, true, &masked);
        if (b && !masked) OldSystemRepair(b.get());
        return b.release();
    }
    TsImgListItem* item = FItems->Items(index);
    if (item->ImageFormat == ifICO) {
        std::unique_ptr<TBitmap> b = IconBitmap(index, false);
        OldSystemRepair(b.get());
        return b.release();
    }
    if (width < 1 || height < 1) return nullptr;
    if (item->CacheBmp) {
        if (item->CacheBmp->Width() == width && item->CacheBmp->Height() == height)
            return CopyOf(item->CacheBmp.get()).release();
        item->CacheBmp.reset();
    }
    std::unique_ptr<TBitmap> result;
    try {
        result = DecodeItem(item, width, height);
    } catch (const Exception& e) {
        // Painting goes on without this image.
        ReportImageListError(L"Image " + IntToStr(index) + L" of " + Name() + L" cannot be drawn: " + e.Message());
        return nullptr;
    }
    if (FUseCache) item->CacheBmp = CopyOf(result.get());
    return result.release();
}

bool TsAlphaImageList::GetBitmap32(int index, TBitmap* image, int glyphHeight)
{
    (void)glyphHeight;
    if (!HandleAllocated() || !image || index < 0 || index >= GetCount()) return false;
    if (image->PixelFormat() != pf32bit) image->SetPixelFormat(pf32bit);
    if (!HasData(index) || FItems->Items(index)->ImageFormat == ifICO) {
        auto icon = IconBitmap(index, !HasData(index));
        if (!icon) return false;
        if (!WindowsVersionIsAtLeast(6, 0) && ScreenBitsPerPixel() < 32) MakeOpaqueIfNoAlpha32(icon.get());
        CopyPixels(image, icon.get());
        return true;
    }
    TsImgListItem* item = FItems->Items(index);
    const int w = image->Width(), h = image->Height();
    if (w < 1 || h < 1) return false;
    if (item->CacheBmp && item->CacheBmp->Width() == w && item->CacheBmp->Height() == h) {
        CopyPixels(image, item->CacheBmp.get());
        return true;
    }
    // A rendition of another size is not wanted any more: one per item is kept at most.
    item->CacheBmp.reset();
    std::unique_ptr<TBitmap> result;
    try {
        result = DecodeItem(item, w, h);
    } catch (const Exception& e) {
        ReportImageListError(L"Image " + IntToStr(index) + L" of " + Name() + L" cannot be drawn: " + e.Message());
        return false;
    }
    CopyPixels(image, result.get());
    if (FUseCache && w == Width() && h == Height()) item->CacheBmp = std::move(result);
    return true;
}

void TsAlphaImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    (void)style;
    (void)enabled;
    if (!HandleAllocated() || index < 0 || !canvas) return;
    if (index >= FItems->Count() || FItems->Items(index)->ImageFormat == ifICO) {
        ImageList_SetBkColor(Handle(), CLR_NONE);
        HICON icon = ImageList_GetIcon(Handle(), index, ILD_TRANSPARENT);
        if (!icon) return;
        DrawIconEx(canvas->Handle(), x, y, icon, Width(), Height(), 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
        return;
    }
    const int cx = Width() * PixelsPerInch / 96, cy = Height() * PixelsPerInch / 96;
    std::unique_ptr<TBitmap> b(CreateBitmap32(index, cx, cy, 0));
    if (!b) return;
    std::unique_ptr<TBitmap> t(NewBitmap32(cx, cy));
    BitBlt(t->Canvas()->Handle(), 0, 0, cx, cy, canvas->Handle(), x, y, SRCCOPY);
    CopyRectAlpha32(TRect(0, 0, cx, cy), TRect(0, 0, b->Width(), b->Height()), t.get(), b.get(),
                    BuildCacheInfo(BitmapView(t.get()), 0, 0), false, clNone, 0, false);
    BitBlt(canvas->Handle(), x, y, cx, cy, t->Canvas()->Handle(), 0, 0, SRCCOPY);
}

bool TsAlphaImageList::TryLoadFromFile(const String& fileName)
{
    if (!Handle()) return false;
    TsImageFormat format = ifPNG;
    if (!DetectImageFileFormat(fileName, format)) return false;
    TMemoryStream data;
    data.LoadFromFile(fileName);
    data.SetPosition(0);
    // Decoded before anything is added: a file that does not decode leaves the list as it was.
    std::unique_ptr<TBitmap> bmp;
    HICON icon = nullptr;
    int origW = 0, origH = 0;
    TPixelFormat pixelFormat = pf32bit;
    try {
        switch (format) {
        case ifPNG:
            bmp = std::make_unique<TBitmap>();
            LoadPngStreamTo32(bmp.get(), data);
            ++Decodes;
            origW = bmp->Width();
            origH = bmp->Height();
            icon = IconFromAlpha32(bmp.get());
            break;
        case ifICO: {
            icon = ExtractIconW(GetModuleHandleW(nullptr), fileName.c_str(), 0);
            if (reinterpret_cast<uintptr_t>(icon) <= 1) icon = nullptr;
            pixelFormat = pf24bit;
            ICONINFO ii{};
            if (icon && GetIconInfo(icon, &ii)) {
                auto color = BitmapFromHandle(ii.hbmColor);
                BITMAP bm{};
                if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof(bm), &bm)) {
                    origW = bm.bmWidth;
                    origH = bm.bmHeight;
                    if (bm.bmBitsPixel == 32 && color) {
                        const TPixelView v = BitmapView(color.get());
                        for (int y = 0; y < v.Height && pixelFormat != pf32bit; ++y)
                            for (int x = 0; x < v.Width; ++x)
                                if (v.At(x, y) >> 24) {
                                    pixelFormat = pf32bit;
                                    break;
                                }
                    }
                }
                if (ii.hbmColor) DeleteObject(ii.hbmColor);
                if (ii.hbmMask) DeleteObject(ii.hbmMask);
            }
            break;
        }
        case ifBMP32: {
            TBitmap loaded;
            loaded.LoadFromStream(data);
            origW = loaded.Width();
            origH = loaded.Height();
            bmp = loaded.PixelFormat() == pf32bit ? CopyOf(&loaded) : To32(&loaded, true);
            icon = IconFromAlpha32(bmp.get());
            break;
        }
        }
    } catch (const Exception&) {
        if (icon) DestroyIcon(icon);
        return false;
    }
    data.SetPosition(0);
    bool added = false;
    if (icon) {
        added = ImageList_ReplaceIcon(Handle(), -1, icon) >= 0;
        DestroyIcon(icon);
    }
    if (added && KeepsItems()) {
        TsImgListItem* item = FItems->Add();
        item->ImgData.LoadFromStream(data);
        item->ImgData.SetPosition(0);
        item->ImageFormat = format;
        item->PixelFormat = pixelFormat;
        item->OrigWidth = origW;
        item->OrigHeight = origH;
        String name = ExtractFileName(fileName);
        item->ImageName = name.size() > 4 ? name.substr(0, name.size() - 4) : String();
        StdListIsGenerated = true;
    }
    Change();
    return added;
}

void TsAlphaImageList::LoadFromFile(const String& fileName)
{
    if (!TryLoadFromFile(fileName))
        ShowMessageBox(L"Cannot load " + fileName + L"\r\n" + BadFormatText, mtError, mbOK);
}

bool TsAlphaImageList::TryLoadFromPngStream(TStream& stream)
{
    if (!Handle()) return false;
    bool added = false;
    int origW = 0, origH = 0;
    try {
        TsImageFormat format = ifPNG;
        DetectImageStreamFormat(stream, format);
        TMemoryStream data;
        data.CopyFrom(stream, stream.Size() - stream.Position());
        data.SetPosition(0);
        TBitmap bmp;
        LoadPngStreamTo32(&bmp, data);
        ++Decodes;
        if (bmp.Empty()) throw EInvalidGraphic(L"The PNG picture is empty");
        origW = bmp.Width();
        origH = bmp.Height();
        HICON icon = IconFromAlpha32(&bmp);
        if (icon) {
            added = ImageList_ReplaceIcon(Handle(), -1, icon) >= 0;
            DestroyIcon(icon);
        }
        if (added && KeepsItems()) {
            // Only a picture that decoded becomes an item: a bad one would break every rebuild.
            TsImgListItem* item = FItems->Add();
            data.SetPosition(0);
            item->ImgData.LoadFromStream(data);
            item->ImgData.SetPosition(0);
            item->ImageFormat = ifPNG;
            item->PixelFormat = pf32bit;
            // Decoded already: stretched images start from the file's own size at once.
            item->OrigWidth = origW;
            item->OrigHeight = origH;
            StdListIsGenerated = true;
        }
    } catch (const Exception&) {
        added = false;
    }
    Change();
    return added;
}

void TsAlphaImageList::LoadFromPngStream(TStream& stream)
{
    if (!TryLoadFromPngStream(stream))
        ShowMessageBox(String(L"Cannot load from stream\r\n") + BadFormatText, mtError, mbOK);
}

int TsAlphaImageList::AddPng(TStream& stream)
{
    const int64_t start = stream.Position();
    if (!TryLoadFromPngStream(stream)) {
        stream.SetPosition(start);
        throw EInvalidGraphic(BadFormatText);
    }
    return FItems->Count() - 1;
}

int TsAlphaImageList::AddPng(const uint8_t* data, size_t size)
{
    TMemoryStream stream;
    stream.Write(data, int64_t(size));
    stream.SetPosition(0);
    return AddPng(stream);
}

int TsAlphaImageList::Add(TBitmap* image, TBitmap* mask)
{
    (void)mask;
    if (!image || image->Width() < 1 || image->Height() < 1 || !Handle()) return -1;
    std::unique_ptr<TBitmap> b;
    if (image->PixelFormat() == pf32bit) {
        b = CopyOf(image);
    } else {
        const int w = image->Width(), h = image->Height();
        b.reset(NewBitmap32(w, h));
        BitBlt(b->Canvas()->Handle(), 0, 0, w, h, image->Canvas()->Handle(), 0, 0, SRCCOPY);
        const uint32_t key = image->Transparent() ? SwapRedBlue(uint32_t(ColorToRGB(image->TransparentColor())))
                                                  : uint32_t(clNone);
        // Opaque, but the transparent colour (as the pixel word without its alpha byte) is left out.
        SetRectAlpha32(b.get(), TRect(0, 0, w, h), 0, uint32_t(clNone));
        SetRectAlpha32(b.get(), TRect(0, 0, w, h), 255, key);
    }
    TsImgListItem* item = nullptr;
    if (KeepsItems()) {
        item = FItems->Add();
        b->SaveToStream(item->ImgData);
        item->ImgData.SetPosition(0);
        item->ImageFormat = ifBMP32;
        item->PixelFormat = pf32bit;
        item->OrigWidth = b->Width();
        item->OrigHeight = b->Height();
    }
    int result = -1;
    if (HICON icon = IconFromAlpha32(b.get())) {
        result = ImageList_ReplaceIcon(Handle(), -1, icon);
        DestroyIcon(icon);
    }
    if (item) {
        if (result < 0) {
            // No image in the standard list: no item either, so both stay in step.
            ItemsUpdating = true;
            FItems->Delete(item->Index());
            ItemsUpdating = false;
        } else {
            StdListIsGenerated = true;
        }
    }
    Change();
    return result;
}

int TsAlphaImageList::AddImage(TCustomImageList* source, int index)
{
    auto* src = dynamic_cast<TsAlphaImageList*>(source);
    if (!src) return TacImageList::AddImage(source, index);
    if (index < 0 || index >= src->Items()->Count()) return -1;
    AcBeginUpdate();
    FItems->Add()->Assign(src->Items()->Items(index));
    AcEndUpdate(true);
    return FItems->Count();
}

void TsAlphaImageList::CopyImages(TsAlphaImageList* source)
{
    if (!source || !Handle()) return;
    if (source->HandleAllocated()) ImageList_SetBkColor(source->Handle(), CLR_NONE);
    const bool was = AcChanging;
    AcChanging = true;
    ClearItems();
    for (int i = 0; i < source->Items()->Count(); ++i) FItems->Add()->Assign(source->Items()->Items(i));
    AcChanging = was;
    GenerateStdList();
    Change();
}

void TsAlphaImageList::KillImgList()
{
    if (HandleAllocated()) SetHandle(nullptr);
    if (!AcChanging) Change();
}

void TsAlphaImageList::AssignFromList(TsAlphaImageList* source)
{
    if (source == this) return;
    AcBeginUpdate();
    if (HandleAllocated()) ImageList_Remove(Handle(), -1);
    SetMasked(source->Masked());
    SetImageType(source->ImageType());
    SetDrawingStyle(source->DrawingStyle());
    SetNewDimensions(source->Handle());
    KillImgList();
    // Taken after our own list is gone, so that it is still freed.
    SetShareImages(source->ShareImages());
    CreateImgList();
    SetBkColor(TColor(ImageListColorToColor(ImageList_GetBkColor(source->Handle()))));
    SetBlendColor(source->BlendColor());
    CopyImages(source);
    AcEndUpdate(false);
}

void TsAlphaImageList::Assign(const TPersistent* source)
{
    if (!source) {
        KillImgList();
        return;
    }
    if (auto* list = dynamic_cast<const TsAlphaImageList*>(source)) {
        AssignFromList(const_cast<TsAlphaImageList*>(list));
        return;
    }
    TacImageList::Assign(source);
}

void TsAlphaImageList::AssignTo(TPersistent* dest) const
{
    auto* list = dynamic_cast<TsAlphaImageList*>(dest);
    if (!list) {
        TacImageList::AssignTo(dest);
        return;
    }
    if (list == this) return;
    list->ClearItems();
    if (list->HandleAllocated()) ImageList_Remove(list->Handle(), -1);
    list->AssignFromList(const_cast<TsAlphaImageList*>(this));
}

void TsAlphaImageList::Replace(int index, TBitmap* bmp32)
{
    if (!bmp32 || !HandleAllocated() || index < 0 || index >= FItems->Count()) return;
    try {
        std::unique_ptr<TBitmap> b = bmp32->PixelFormat() == pf32bit ? CopyOf(bmp32) : To32(bmp32, false);
        TsImgListItem* item = FItems->Items(index);
        item->CacheBmp.reset();
        item->ImgData.Clear();
        b->SaveToStream(item->ImgData);
        item->ImgData.SetPosition(0);
        item->ImageFormat = ifBMP32;
        item->OrigWidth = b->Width();
        item->OrigHeight = b->Height();
        AddAsIcon(this, b.get(), index);
        GenerateStdList();
        Change();
    } catch (const Exception& e) {
        ReportImageListError(L"Image " + IntToStr(index) + L" of the image list " + Name() + L" not replaced: " +
                             e.Message());
    }
}

// ---- stored form ---------------------------------------------------------------------------------


void TsAlphaImageList::WriteToStream(TStream& stream)
{
    WriteInt(stream, "Height", Height());
    WriteInt(stream, "Width", Width());
    if (FBkColor != clNone) WriteInt(stream, "BkColor", FBkColor);
    if (!FUseCache) {
        WriteName(stream, "UseCache");
        WriteByte(stream, vaFalse);
    }
    TMemoryStream bitmap;
    WriteData(bitmap);
    WriteBinary(stream, "Bitmap", bitmap.Memory(), int32_t(bitmap.Size()));
    WriteName(stream, "Items");
    WriteByte(stream, vaCollection);
    for (int i = 0; i < FItems->Count(); ++i) {
        TsImgListItem* item = FItems->Items(i);
        WriteByte(stream, vaList);
        WriteIdent(stream, "ImageFormat", FormatIdent(item->ImageFormat));
        if (!item->ImageName.empty()) WriteWString(stream, "ImageName", item->ImageName);
        if (!item->Text.empty()) WriteWString(stream, "Text", item->Text);
        if (item->PixelFormat != pf32bit) WriteIdent(stream, "PixelFormat", "pf24bit");
        WriteBinary(stream, "ImgData", item->ImgData.Memory(), int32_t(item->ImgData.Size()));
        WriteByte(stream, vaNull);
    }
    WriteByte(stream, vaNull);
    WriteByte(stream, vaNull);
}

void TsAlphaImageList::ReadFromStream(TStream& stream)
{
    SetComponentState(csLoading, true);
    FLoaded = false;
    ClearItems();
    // Read like a list made from the stored form: the standard list is built from what is read.
    StdListIsGenerated = false;
    SavedWidth = SavedHeight = 0;
    try {
        for (std::string name = ReadName(stream); !name.empty(); name = ReadName(stream)) {
            if (name == "Items") {
                if (ReadByte(stream) != vaCollection) throw EReadError(L"Invalid stored items");
                for (uint8_t b = ReadByte(stream); b == vaList; b = ReadByte(stream)) {
                    TsImgListItem* item = FItems->Add();
                    for (std::string p = ReadName(stream); !p.empty(); p = ReadName(stream)) {
                        TStoredValue v = ReadValue(stream);
                        if (p == "ImageFormat")
                            item->ImageFormat = v.Ident == "ifICO" ? ifICO : v.Ident == "ifBMP32" ? ifBMP32 : ifPNG;
                        else if (p == "ImageName") item->ImageName = v.Text;
                        else if (p == "Text") item->Text = v.Text;
                        else if (p == "PixelFormat") item->PixelFormat = v.Ident == "pf24bit" ? pf24bit : pf32bit;
                        else if (p == "ImgData") {
                            item->ImgData.Clear();
                            if (!v.Bytes.empty()) item->ImgData.Write(v.Bytes.data(), int64_t(v.Bytes.size()));
                            item->ImgData.SetPosition(0);
                        }
                    }
                }
                continue;
            }
            TStoredValue v = ReadValue(stream);
            if (name == "Height") TCustomImageList::SetSize(Width(), v.Int);
            else if (name == "Width") TCustomImageList::SetSize(v.Int, Height());
            else if (name == "BkColor") SetBkColor(v.Int);
            else if (name == "UseCache") FUseCache = v.Kind == vaTrue;
            else if (name == "Bitmap") {
                TBytesStream bytes(v.Bytes);
                ReadData(bytes);
            }
        }
    } catch (...) {
        SetComponentState(csLoading, false);
        FLoaded = true;
        throw;
    }
    SetComponentState(csLoading, false);
    Loaded();
}

void TsAlphaImageList::Loaded()
{
    TacImageList::Loaded();
    FLoaded = true;
    const bool wasChanging = AcChanging;
    bool killed = false;
    if (SavedWidth != 0) {
        KillImgList();
        killed = true;
    } else if (Width() == 16 && Height() == 16) {
        AcChanging = true;
        KillImgList();
        killed = true;
        SetSizeProp(1, Width());
        SetSizeProp(0, Height());
    }
    // A list made and filled in code before its owner finished loading loses its standard list
    // here: it is built again from the items below.
    if (killed) StdListIsGenerated = false;
    // The sides read while loading are recorded now (the list is built once, below).
    AcChanging = true;
    if (SavedWidth == 0) SetSizeProp(1, Width());
    if (SavedHeight == 0) SetSizeProp(0, Height());
    AcChanging = wasChanging;
    if (!StdListIsGenerated) {
        GenerateStdList();
        StdListIsGenerated = true;
        Change();
    }
}
