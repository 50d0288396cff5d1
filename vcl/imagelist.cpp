// Image lists and change links.
#include "vcl/imagelist.h"

#include <algorithm>
#include <cstring>

#include "vcl/bmpcodec.h"

// ---- TChangeLink ---------------------------------------------------------------------------

TImageListReference::TImageListReference(TComponent* owner, const TNotifyEvent& onChange) : FOwner(owner)
{
    FLink.OnChange = onChange;
}

TImageListReference::~TImageListReference()
{
    if (FList) FList->UnRegisterChanges(&FLink);
}

bool TImageListReference::Set(TCustomImageList* list)
{
    if (list == FList) return false;
    if (FList) {
        FList->UnRegisterChanges(&FLink);
        FList->RemoveFreeNotification(FOwner);
    }
    FList = list;
    if (FList) {
        FList->RegisterChanges(&FLink);
        FList->FreeNotification(FOwner);
    }
    return true;
}

bool TImageListReference::Removed(TComponent* component)
{
    if (!FList || component != FList) return false;
    FList = nullptr;
    return true;
}

TChangeLink::~TChangeLink()
{
    if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange) OnChange(FSender);
}

// ---- TCustomImageList ----------------------------------------------------------------------

namespace {

COLORREF ListColor(TColor c)
{
    if (c == clNone) return CLR_NONE;
    if (c == clDefault) return CLR_DEFAULT;
    return ColorToColorRef(c);
}

// A monochrome mask of image's size: 1 (white) where the pixel has colour key, else 0.
std::unique_ptr<TBitmap> MaskFromColor(TBitmap& image32, COLORREF key)
{
    auto mask = std::make_unique<TBitmap>(image32.Width(), image32.Height(), pf1bit);
    uint32_t k = (GetRValue(key) << 16) | (GetGValue(key) << 8) | GetBValue(key);
    for (int y = 0; y < image32.Height(); ++y) {
        auto* s = static_cast<uint32_t*>(image32.ScanLine(y));
        auto* m = static_cast<uint8_t*>(mask->ScanLine(y));
        std::memset(m, 0, static_cast<size_t>(mask->BytesPerScanLine()));
        for (int x = 0; x < image32.Width(); ++x)
            if ((s[x] & 0xFFFFFFu) == k) {
                m[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                s[x] = 0;   // the system blacks out transparent pixels too, for SRCINVERT drawing
            }
    }
    return mask;
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(int width, int height, TComponent* owner) : TComponent(owner)
{
    FWidth = std::max(width, 1);
    FHeight = std::max(height, 1);
}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* link : FLinks) link->SetSender(nullptr);
    FLinks.clear();
    FreeList();
}

UINT TCustomImageList::CreateFlags() const
{
    static const UINT kDepth[] = {ILC_COLORDDB, ILC_COLOR4, ILC_COLOR8, ILC_COLOR16, ILC_COLOR24, ILC_COLOR32};
    return kDepth[static_cast<int>(FColorDepth)] | (FMasked ? ILC_MASK : 0u);
}

void TCustomImageList::CreateList()
{
    if (FHandle) return;
    FHandle = ImageList_Create(FWidth, FHeight, CreateFlags(), FAllocBy, FAllocBy);
    if (!FHandle) throw EOutOfResources(L"Cannot create an image list");
    ImageList_SetBkColor(FHandle, ListColor(FBkColor));
}

void TCustomImageList::FreeList()
{
    if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
    FHandle = nullptr;
}

void TCustomImageList::RecreateList()
{
    bool had = FHandle != nullptr;
    FreeList();
    if (had) CreateList();
    Change();
}

HIMAGELIST TCustomImageList::Handle()
{
    CreateList();
    return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST list)
{
    FreeList();
    FHandle = list;
    if (list) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(list, &cx, &cy);
        FWidth = cx;
        FHeight = cy;
        COLORREF bk = ImageList_GetBkColor(list);
        FBkColor = bk == CLR_NONE ? clNone : static_cast<TColor>(bk);
    }
    Change();
}

void TCustomImageList::SetSize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == FWidth && height == FHeight) return;
    FWidth = width;
    FHeight = height;
    RecreateList();
}

void TCustomImageList::SetColorDepth(TColorDepth depth)
{
    if (depth == FColorDepth) return;
    FColorDepth = depth;
    RecreateList();
}

void TCustomImageList::SetMasked(bool on)
{
    if (on == FMasked) return;
    FMasked = on;
    RecreateList();
}

void TCustomImageList::SetBkColor(TColor color)
{
    if (color == FBkColor) return;
    FBkColor = color;
    if (FHandle) ImageList_SetBkColor(FHandle, ListColor(color));
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style)
{
    if (style == FDrawingStyle) return;
    FDrawingStyle = style;
    Change();
}

void TCustomImageList::SetImageType(TImageType type)
{
    if (type == FImageType) return;
    FImageType = type;
    Change();
}

int TCustomImageList::Count()
{
    return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TCustomImageList::CheckIndex(int index, bool allowEnd)
{
    int n = Count();
    if (index < 0 || index > n || (!allowEnd && index == n))
        throw EInvalidOperation(L"Invalid image list index " + IntToStr(index));
}

HBITMAP TCustomImageList::ImageCopy(TBitmap* image)
{
    // The list copies the pixels; hand it a bitmap that no DC has selected.
    TBitmap copy;
    copy.Assign(image);
    if (FColorDepth == cd32Bit) copy.SetPixelFormat(pf32bit);
    return copy.ReleaseHandle();
}

namespace {

// A monochrome copy of a mask for the image list to take (the caller deletes it); nullptr
// for no mask.
HBITMAP MaskCopy(TBitmap* mask)
{
    if (!mask || mask->Empty()) return nullptr;
    TBitmap m;
    m.Assign(mask);
    m.SetPixelFormat(pf1bit);
    return m.ReleaseHandle();
}

}  // namespace

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image || image->Empty()) return -1;
    CreateList();
    HBITMAP img = ImageCopy(image);
    HBITMAP msk = MaskCopy(mask);
    int index = ImageList_Add(FHandle, img, msk);
    DeleteObject(img);
    if (msk) DeleteObject(msk);
    if (index < 0) throw EInvalidOperation(L"Cannot add the image to the image list");
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty()) return -1;
    if (!FMasked) return Add(image, nullptr);
    CreateList();
    TBitmap copy;
    copy.Assign(image);
    copy.SetPixelFormat(pf32bit);
    COLORREF key = ColorToColorRef(maskColor == clDefault ? image->TransparentColor() : maskColor);
    std::unique_ptr<TBitmap> mask = MaskFromColor(copy, key);
    if (FColorDepth != cd32Bit) copy.SetPixelFormat(image->PixelFormat());
    HBITMAP img = copy.ReleaseHandle();
    HBITMAP msk = mask->ReleaseHandle();
    int index = ImageList_Add(FHandle, img, msk);
    DeleteObject(img);
    DeleteObject(msk);
    if (index < 0) throw EInvalidOperation(L"Cannot add the image to the image list");
    Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon || icon->Empty()) return -1;
    CreateList();
    int index = ImageList_ReplaceIcon(FHandle, -1, icon->Handle());
    if (index < 0) throw EInvalidOperation(L"Cannot add the icon to the image list");
    Change();
    return index;
}

int TCustomImageList::AddImage(TCustomImageList* source, int index)
{
    if (!source) return -1;
    source->CheckIndex(index);
    std::unique_ptr<TBitmap> bmp = source->GetBitmap32(index);
    if (!bmp) return -1;
    if (bmp->Width() != FWidth || bmp->Height() != FHeight) {
        auto scaled = std::make_unique<TBitmap>(FWidth, FHeight, pf32bit);
        bmp->SetAlphaFormat(afPremultiplied);
        scaled->SetAlphaFormat(afPremultiplied);
        scaled->Canvas()->StretchDraw(Rect(0, 0, FWidth, FHeight), bmp.get());
        scaled->SetAlphaFormat(afDefined);
        bmp = std::move(scaled);
    }
    return Add(bmp.get(), nullptr);
}

void TCustomImageList::AddImages(TCustomImageList* source)
{
    if (!source) return;
    BeginUpdate();
    try {
        int n = source->Count();
        for (int i = 0; i < n; ++i) AddImage(source, i);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCustomImageList::InsertAdded(int index, const std::function<int()>& add)
{
    CheckIndex(index, true);
    BeginUpdate();
    try {
        int added = add();
        if (added >= 0) Move(added, index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCustomImageList::Insert(int index, TBitmap* image, TBitmap* mask)
{
    InsertAdded(index, [&] { return Add(image, mask); });
}

void TCustomImageList::InsertMasked(int index, TBitmap* image, TColor maskColor)
{
    InsertAdded(index, [&] { return AddMasked(image, maskColor); });
}

void TCustomImageList::InsertIcon(int index, TIcon* icon)
{
    InsertAdded(index, [&] { return AddIcon(icon); });
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask)
{
    CheckIndex(index);
    if (!image || image->Empty()) return;
    HBITMAP img = ImageCopy(image);
    HBITMAP msk = MaskCopy(mask);
    BOOL ok = ImageList_Replace(FHandle, index, img, msk);
    DeleteObject(img);
    if (msk) DeleteObject(msk);
    if (!ok) throw EInvalidOperation(L"Cannot replace the image " + IntToStr(index));
    Change();
}

void TCustomImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor)
{
    CheckIndex(index);
    if (!image || image->Empty()) return;
    TBitmap copy;
    copy.Assign(image);
    copy.SetPixelFormat(pf32bit);
    COLORREF key = ColorToColorRef(maskColor == clDefault ? image->TransparentColor() : maskColor);
    std::unique_ptr<TBitmap> mask = MaskFromColor(copy, key);
    Replace(index, &copy, mask.get());
}

void TCustomImageList::ReplaceIcon(int index, TIcon* icon)
{
    CheckIndex(index);
    if (!icon || icon->Empty()) return;
    if (ImageList_ReplaceIcon(FHandle, index, icon->Handle()) < 0)
        throw EInvalidOperation(L"Cannot replace the image " + IntToStr(index));
    Change();
}

void TCustomImageList::Delete(int index)
{
    CheckIndex(index);
    ImageList_Remove(FHandle, index);
    Change();
}

void TCustomImageList::Clear()
{
    if (FHandle) ImageList_Remove(FHandle, -1);
    Change();
}

void TCustomImageList::Move(int curIndex, int newIndex)
{
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex) return;
    // The system's own swap loses pixels of 32-bit lists on some platforms, so the images of
    // the range are taken out as 32-bit bitmaps and put back in their new order.
    int lo = std::min(curIndex, newIndex), hi = std::max(curIndex, newIndex);
    std::vector<std::unique_ptr<TBitmap>> images;
    for (int i = lo; i <= hi; ++i) images.push_back(GetBitmap32(i));
    if (curIndex < newIndex)
        std::rotate(images.begin(), images.begin() + 1, images.end());
    else
        std::rotate(images.rbegin(), images.rbegin() + 1, images.rend());
    for (int i = lo; i <= hi; ++i) ReplaceFrom32(i, *images[static_cast<size_t>(i - lo)]);
    Change();
}

void TCustomImageList::ReplaceFrom32(int index, TBitmap& image32)
{
    // Straight alpha for 32-bit lists, and a mask (alpha below half = transparent) for the rest.
    TBitmap colour;
    colour.Assign(&image32);
    colour.SetAlphaFormat(afIgnored);
    auto mask = std::make_unique<TBitmap>(image32.Width(), image32.Height(), pf1bit);
    for (int y = 0; y < image32.Height(); ++y) {
        auto* s = static_cast<const uint8_t*>(image32.ScanLine(y));
        auto* m = static_cast<uint8_t*>(mask->ScanLine(y));
        std::memset(m, 0, static_cast<size_t>(mask->BytesPerScanLine()));
        for (int x = 0; x < image32.Width(); ++x)
            if (s[4 * x + 3] < 128) m[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    if (FColorDepth != cd32Bit) colour.SetPixelFormat(pf24bit);
    HBITMAP img = colour.ReleaseHandle();
    HBITMAP msk = mask->ReleaseHandle();
    BOOL ok = ImageList_Replace(FHandle, index, img, msk);
    DeleteObject(img);
    DeleteObject(msk);
    if (!ok) throw EInvalidOperation(L"Cannot replace the image " + IntToStr(index));
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    Draw(canvas, x, y, index, FDrawingStyle, FImageType, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled)
{
    if (!canvas || !FHandle || index < 0 || index >= Count()) return;
    static const UINT kStyle[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    UINT flags = kStyle[static_cast<int>(style)];
    if (type == itMask) flags |= ILD_MASK;
    DoDraw(index, canvas, x, y, flags, enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    HDC dc = canvas->Handle();
    if (enabled) {
        TColor blend = FBlendColor == clDefault ? clHighlight : FBlendColor;
        ImageList_DrawEx(FHandle, index, dc, x, y, 0, 0, ListColor(FBkColor), ListColor(blend), style);
        return;
    }
    // Disabled: the image in grey at half its opacity.
    std::unique_ptr<TBitmap> bmp = GetBitmap32(index);
    if (!bmp) return;
    for (int row = 0; row < bmp->Height(); ++row) {
        auto* p = static_cast<uint8_t*>(bmp->ScanLine(row));
        for (int col = 0; col < bmp->Width(); ++col, p += 4) {
            auto l = static_cast<uint8_t>((p[2] * 77 + p[1] * 150 + p[0] * 29) >> 8);
            p[0] = p[1] = p[2] = l;
            p[3] = static_cast<uint8_t>(p[3] / 2);
        }
    }
    bmp->SetAlphaFormat(afDefined);
    canvas->Draw(x, y, bmp.get());
}

std::unique_ptr<TBitmap> TCustomImageList::GetBitmap32(int index)
{
    if (!FHandle || index < 0 || index >= Count()) return nullptr;
    // Drawn once over black and once over white, each pixel tells its own alpha:
    // white - black = 255 - alpha, and the colour is what showed over black.
    TBitmap onBlack(FWidth, FHeight, pf32bit), onWhite(FWidth, FHeight, pf32bit);
    onWhite.Canvas()->Brush()->SetColor(clWhite);
    onWhite.Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
    ImageList_DrawEx(FHandle, index, onBlack.Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    ImageList_DrawEx(FHandle, index, onWhite.Canvas()->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    auto out = std::make_unique<TBitmap>(FWidth, FHeight, pf32bit);
    for (int y = 0; y < FHeight; ++y) {
        auto* b = static_cast<const uint8_t*>(onBlack.ScanLine(y));
        auto* w = static_cast<const uint8_t*>(onWhite.ScanLine(y));
        auto* o = static_cast<uint8_t*>(out->ScanLine(y));
        for (int x = 0; x < FWidth; ++x, b += 4, w += 4, o += 4) {
            int diff = ((w[0] - b[0]) + (w[1] - b[1]) + (w[2] - b[2])) / 3;
            int a = std::clamp(255 - diff, 0, 255);
            o[3] = static_cast<uint8_t>(a);
            for (int c = 0; c < 3; ++c) o[c] = a ? static_cast<uint8_t>(std::min(255, (b[c] * 255 + a / 2) / a)) : 0;
        }
    }
    out->SetAlphaFormat(afDefined);
    return out;
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || !FHandle || index < 0 || index >= Count()) return false;
    if (image->PixelFormat() == pf32bit) {
        std::unique_ptr<TBitmap> bmp = GetBitmap32(index);
        image->Assign(bmp.get());
        return true;
    }
    image->SetSize(FWidth, FHeight);
    TCanvas* c = image->Canvas();
    c->Brush()->SetColor(FBkColor == clNone || FBkColor == clDefault ? clWhite : FBkColor);
    c->FillRect(Rect(0, 0, FWidth, FHeight));
    ImageList_DrawEx(FHandle, index, c->Handle(), 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
    image->PixelsChanged();
    return true;
}

void TCustomImageList::GetIcon(int index, TIcon* icon)
{
    if (!icon || !FHandle || index < 0 || index >= Count()) return;
    HICON h = ImageList_GetIcon(FHandle, index, ILD_NORMAL);
    if (!h) throw EInvalidOperation(L"Cannot make an icon of image " + IntToStr(index));
    icon->SetHandle(h);
}

void TCustomImageList::EndUpdate()
{
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && FChangedWhileUpdating) {
        FChangedWhileUpdating = false;
        Change();
    }
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link) return;
    if (std::find(FLinks.begin(), FLinks.end(), link) == FLinks.end()) FLinks.push_back(link);
    link->SetSender(this);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end()) return;
    FLinks.erase(it);
    link->SetSender(nullptr);
}

void TCustomImageList::Change()
{
    if (FUpdateCount > 0) {
        FChangedWhileUpdating = true;
        return;
    }
    // A link may unregister itself from its handler: walk a copy.
    std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
    if (OnChange) OnChange(this);
}
