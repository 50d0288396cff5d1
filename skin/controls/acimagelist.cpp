#include "skin/controls/acimagelist.h"

#include <objidl.h>

#include <algorithm>

#include "skin/engine/core/skin_records.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/gdi_paint.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/resample.h"
#include "vcl/sysutils.h"

namespace {

std::vector<TacImageList*>& Registry()
{
    static std::vector<TacImageList*> lists;
    return lists;
}

// The platform's visual styles are on: the standard list then keeps the colour bitmap's alpha.
bool VisualStylesOn()
{
    using TIsAppThemed = BOOL(WINAPI*)();
    static const TIsAppThemed isThemed = [] {
        HMODULE ux = LoadLibraryW(L"uxtheme.dll");
        return ux ? reinterpret_cast<TIsAppThemed>(reinterpret_cast<void*>(GetProcAddress(ux, "IsAppThemed")))
                  : TIsAppThemed(nullptr);
    }();
    return isThemed != nullptr && isThemed() != FALSE;
}

}  // namespace

TacImageList::TacImageList(TComponent* owner) : TCustomImageList(owner)
{
    Registry().push_back(this);
}

TacImageList::~TacImageList()
{
    auto& r = Registry();
    const auto it = std::find(r.begin(), r.end(), this);
    if (it != r.end()) r.erase(it);
}

int TacImageList::ImageWidthAtPPI(int index, int ppi)
{
    (void)index;
    return Width() * ppi / 96;
}

int TacImageList::ImageHeightAtPPI(int index, int ppi)
{
    (void)index;
    return Height() * ppi / 96;
}

void TacImageList::SetDrawColor(TColor fontColor, int index, bool ignoreDefault)
{
    (void)index;
    (void)ignoreDefault;
    ForeColor = fontColor;
}

const std::vector<TacImageList*>& ImageListRegistry() { return Registry(); }

void ForEachImageList(const std::function<void(TacImageList*)>& proc)
{
    // A copy: a procedure may make or free lists.
    const std::vector<TacImageList*> lists = Registry();
    for (TacImageList* list : lists) proc(list);
}

void SetImageListPPI(TCustomImageList* list, int ppi)
{
    if (auto* ac = dynamic_cast<TacImageList*>(list); ac && ac->ScalesWithPPI()) ac->PixelsPerInch = ppi;
}

void AddAsIcon(TCustomImageList* list, TBitmap* bitmap, int index)
{
    if (!list || !bitmap) return;
    std::unique_ptr<TBitmap> square;
    TBitmap* source = bitmap;
    if (bitmap->Width() != list->Width() || bitmap->Height() != list->Height()) {
        const int s = std::max(list->Width(), list->Height());
        square.reset(NewBitmap32(s, s));
        FillRectAlpha32(square.get(), TRect(0, 0, s, s), 0, 0);
        if (bitmap->Width() <= 1 || bitmap->Height() <= 1) {
            // Nothing to resample: an all but invisible square keeps the index in step.
            FillRectAlpha32(square.get(), TRect(0, 0, s, s), 0, 1);
        } else if (list->Width() > 0 && list->Height() > 0) {
            TBitmap* src32 = bitmap;
            std::unique_ptr<TBitmap> converted;
            if (bitmap->PixelFormat() != pf32bit) {
                converted.reset(NewBitmap32(bitmap->Width(), bitmap->Height()));
                BitBlt(converted->Canvas()->Handle(), 0, 0, bitmap->Width(), bitmap->Height(),
                       bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
                SetRectAlpha32(converted.get(), TRect(0, 0, bitmap->Width(), bitmap->Height()), 255, uint32_t(clNone));
                src32 = converted.get();
            }
            const TSize to = IconResampleSize(list->Width(), list->Height());
            ResampleBitmap32(src32, square.get(), to.cx, to.cy, rfMitchell);
        }
        source = square.get();
    }
    HICON icon = VisualStylesOn() ? IconFromBitmap32(source) : IconFromAlpha32(source);
    if (!icon) return;
    ImageList_ReplaceIcon(list->Handle(), index < 0 ? -1 : index, icon);
    DestroyIcon(icon);
}

int ScreenBitsPerPixel()
{
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bits;
}

bool StreamStartsWith(TStream& stream, const uint8_t* bytes, int count)
{
    const int n = count < 8 ? count : 8;
    const int64_t left = stream.Size() - stream.Position();
    if (n < 0 || int64_t(n) >= left) return false;
    uint8_t head[8] = {};
    if (stream.Read(head, n) != n) return false;
    return StartsWithSignature(head, left, bytes, count);
}

bool FileStartsWith(const String& fileName, const uint8_t* bytes, int count)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return StreamStartsWith(file, bytes, count);
}

bool DetectImageFileFormat(const String& fileName, TsImageFormat& format)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    const int64_t left = file.Size();
    uint8_t head[8] = {};
    const int64_t got = file.Read(head, std::min<int64_t>(8, left));
    if (got < std::min<int64_t>(8, left)) return false;
    const std::wstring name(fileName.c_str());
    return DetectImageFormat(head, left, FileExtensionOf(name), format);
}

bool DetectImageStreamFormat(TStream& stream, TsImageFormat& format)
{
    (void)stream;
    format = ifPNG;
    return true;
}

int ImageCountOf(TCustomImageList* list)
{
    if (!list) return 0;
    if (auto* ac = dynamic_cast<TacImageList*>(list)) return ac->ImageCount();
    return list->Count();
}

int ImageWidthAt(TCustomImageList* list, int index, int ppi)
{
    if (!list) return 0;
    if (auto* ac = dynamic_cast<TacImageList*>(list)) return ac->ImageWidthAtPPI(index, ppi);
    return list->Width() * ppi / 96;
}

int ImageHeightAt(TCustomImageList* list, int index, int ppi)
{
    if (!list) return 0;
    if (auto* ac = dynamic_cast<TacImageList*>(list)) return ac->ImageHeightAtPPI(index, ppi);
    return list->Height() * ppi / 96;
}

TSize DrawImageListItem32(TCustomImageList* list, TBitmap* bmp, int x, int y, int index, int blend,
                          TColor grayColor, int state, int stateCount, bool reflected, int ppi)
{
    if (!list || !bmp || bmp->Width() < 1 || !list->HandleAllocated() || index < 0) return TSize();
    const int w = ImageWidthAt(list, index, ppi), h = ImageHeightAt(list, index, ppi);
    TacImageCell cell = ImageStateCell(w, h, x, y, state, stateCount);
    const COLORREF bk = ImageList_GetBkColor(list->Handle());
    if (TColor(ImageListColorToColor(bk)) != clNone)
        FillDCRect(bmp->Canvas()->Handle(), cell.Dest, TColor(ImageListColorToColor(bk)));
    SetImageListPPI(list, ppi);
    if (auto* ac = dynamic_cast<TacImageList*>(list)) {
        TFont* font = bmp->Canvas()->Font();
        ac->SetDrawColor(font->Color(), index, font->Size() == 0);
        std::unique_ptr<TBitmap> made;
        try {
            made.reset(ac->CreateBitmap32(index, w, h, 0));
        } catch (...) {
            ac->ForeColor = clNone;
            SetImageListPPI(list, 96);
            throw;
        }
        ac->ForeColor = clNone;
        if (made) {
            ClipCellToStrip(cell, made->Width(), made->Height());
            if (ac->IgnoreTransparency)
                BitBlt(bmp->Canvas()->Handle(), cell.Dest.left, cell.Dest.top, made->Width(), made->Height(),
                       made->Canvas()->Handle(), 0, 0, SRCCOPY);
            else
                CopyRectAlpha32(cell.Dest, cell.Source, bmp, made.get(), EmptyCacheInfo, false, grayColor, blend,
                                reflected);
        }
    } else if (w > 0 && h > 0) {
        // A plain list draws over a copy of what lies under the cell.
        std::unique_ptr<TBitmap> t(NewBitmap32(w, h));
        const int cw = cell.Source.Width(), ch = cell.Source.Height();
        BitBlt(t->Canvas()->Handle(), cell.Source.left, cell.Source.top, cw, ch, bmp->Canvas()->Handle(),
               cell.Dest.left, cell.Dest.top, SRCCOPY);
        t->Canvas()->Font()->SetColor(bmp->Canvas()->Font()->Color());
        list->Draw(t->Canvas(), 0, 0, index, true);
        BitBlt(bmp->Canvas()->Handle(), cell.Dest.left, cell.Dest.top, cw, ch, t->Canvas()->Handle(),
               cell.Source.left, cell.Source.top, SRCCOPY);
    }
    SetImageListPPI(list, 96);
    return cell.Size;
}

void DrawImageListItemToDC(TCustomImageList* list, HDC dc, int x, int y, int index, int blend, TColor grayColor,
                           int state, int stateCount, bool reflected, int ppi)
{
    if (!list || !dc) return;
    const int w = ImageWidthAt(list, index, ppi);
    int h = ImageHeightAt(list, index, ppi);
    if (w < 1 || h < 1) return;
    auto* ac = dynamic_cast<TacImageList*>(list);
    if (reflected) h += ac ? ac->ReflectionRoom(index, ppi) : ImageHeightAt(list, -1, ppi) / 2;
    std::unique_ptr<TBitmap> t(NewBitmap32(w, h));
    if (ac) {
        t->Canvas()->Font()->SetColor(ac->ForeColor);
        // The colour the item keeps is chosen already: font size 0 tells the drawing to keep it.
        if (ac->ItemHasOwnColor(index)) t->Canvas()->Font()->SetSize(0);
    }
    BitBlt(t->Canvas()->Handle(), 0, 0, w, h, dc, x, y, SRCCOPY);
    DrawImageListItem32(list, t.get(), 0, 0, index, blend, grayColor, state, stateCount, reflected, ppi);
    BitBlt(dc, x, y, w, h, t->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- stored form ---------------------------------------------------------------------------------

void TacImageList::WriteData(TStream& stream)
{
    // An empty standard list: the images always come from the items.
    HIMAGELIST empty = ImageList_Create(1, 1, ILC_COLOR4, 0, 0);
    IStream* mem = nullptr;
    if (empty && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &mem))) {
        // The down-level form when this comctl32 offers a choice.
        using TWriteEx = HRESULT(WINAPI*)(HIMAGELIST, DWORD, IStream*);
        using TWrite = BOOL(WINAPI*)(HIMAGELIST, IStream*);
        HMODULE cc = GetModuleHandleW(L"comctl32.dll");
        auto writeEx = cc ? reinterpret_cast<TWriteEx>(reinterpret_cast<void*>(GetProcAddress(cc, "ImageList_WriteEx")))
                          : TWriteEx(nullptr);
        auto write = cc ? reinterpret_cast<TWrite>(reinterpret_cast<void*>(GetProcAddress(cc, "ImageList_Write")))
                        : TWrite(nullptr);
        const bool ok = writeEx ? SUCCEEDED(writeEx(empty, 1, mem)) : write && write(empty, mem) != FALSE;
        HGLOBAL global = nullptr;
        if (ok && SUCCEEDED(GetHGlobalFromStream(mem, &global))) {
            STATSTG st{};
            mem->Stat(&st, STATFLAG_NONAME);
            const auto* bytes = static_cast<const uint8_t*>(GlobalLock(global));
            if (bytes) {
                stream.WriteBuffer(bytes, int64_t(st.cbSize.QuadPart));
                GlobalUnlock(global);
            }
        }
        mem->Release();
    }
    if (empty) ImageList_Destroy(empty);
}

void TacImageList::ReadData(TStream& stream) { (void)stream; }
