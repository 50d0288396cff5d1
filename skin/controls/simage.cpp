#include "skin/controls/simage.h"

#include <algorithm>

#include "skin/controls/salphaimagelist.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "skin/engine/core/control_link.h"
#include "skin/engine/core/manager_options.h"
#include "skin/engine/core/skin_records.h"
#include "skin/engine/skin_command_handler.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/background.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"
#include "skin/graphics/resample.h"

TsCustomImage::TsCustomImage(TComponent* owner)
    : TImage(owner), FCommonData(new TsCtrlSkinData(this, true)), FImages(this, Bind<&TsCustomImage::ImagesChanged>(this))
{
    FCommonData->COC = ackind::Image;
}

TsCustomImage::~TsCustomImage()
{
    FImages.Set(nullptr);
    DropListImage();
    delete FCommonData;
    FCommonData = nullptr;
}

void TsCustomImage::AfterConstruction()
{
    TImage::AfterConstruction();
    FCommonData->Loaded(true);
}

void TsCustomImage::Loaded()
{
    TImage::Loaded();
    FCommonData->Loaded(true);
}

void TsCustomImage::SetBlend(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == FBlend) return;
    FBlend = percent;
    FCommonData->Invalidate(false);
}

void TsCustomImage::ImagesChanged(TObject*)
{
    DropListImage();
    FCommonData->Invalidate(false);
}

void TsCustomImage::SetImageIndex(int index)
{
    if (index == FImageIndex) return;
    FImageIndex = index;
    DropListImage();
    if (AutoSize()) AdjustSize();
    FCommonData->Invalidate(false);
}

void TsCustomImage::SetImages(TCustomImageList* list)
{
    if (!FImages.Set(list)) return;
    DropListImage();
    if (AutoSize()) AdjustSize();
    if (!HasState(csLoading | csDestroying)) Repaint();
}

void TsCustomImage::SetGrayed(bool on)
{
    if (on == FGrayed) return;
    FGrayed = on;
    FCommonData->Invalidate(false);
}

void TsCustomImage::SetReflected(bool on)
{
    if (on == FReflected) return;
    FReflected = on;
    FCommonData->Invalidate(false);
}

void TsCustomImage::SetUseFullSize(bool on)
{
    if (on == FUseFullSize) return;
    FUseFullSize = on;
    FCommonData->Invalidate(false);
}

void TsCustomImage::Notification(TComponent* component, TOperation operation)
{
    TImage::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages.Removed(component)) {
        DropListImage();
        Invalidate();
    }
}

void TsCustomImage::ChangeScale(int m, int d, bool isDpiChange)
{
    TImage::ChangeScale(m, d, isDpiChange);
    if (AutoSize()) AdjustSize();
}

int TsCustomImage::ImagePPI() { return ControlPpi(this); }

bool TsCustomImage::ShowsListImage() { return FImages.Get() && FImageIndex >= 0; }

bool TsCustomImage::Empty()
{
    if (FImages.Get() && FImageIndex >= 0 && FImageIndex < ImageCountOf(FImages.Get())) return false;
    TGraphic* g = Picture()->Graphic();
    return !g || g->Empty();
}

bool TsCustomImage::CanAutoSize(int& newWidth, int& newHeight)
{
    int w, h;
    if (ShowsListImage()) {
        const int ppi = ImagePPI();
        w = ImageWidthAt(FImages.Get(), FImageIndex, ppi);
        h = ImageHeightAt(FImages.Get(), FImageIndex, ppi);
    } else {
        w = Picture()->Width();
        h = Picture()->Height();
    }
    const TAlign a = Align();
    if (a == alNone || a == alLeft || a == alRight) newWidth = w;
    if (a == alNone || a == alTop || a == alBottom) newHeight = (FUseFullSize && FReflected) ? h + h / 2 : h;
    return true;
}

TSize TsCustomImage::ImageSize(bool stretched)
{
    TSize base;
    TCustomImageList* list = FImages.Get();
    if (!ShowsListImage()) {
        base = TSize(Picture()->Width(), Picture()->Height());
    } else if (!Stretch()) {
        const int ppi = ImagePPI();
        base = TSize(ImageWidthAt(list, FImageIndex, ppi), ImageHeightAt(list, FImageIndex, ppi));
    } else if (auto* alpha = dynamic_cast<TsAlphaImageList*>(list)) {
        // The file's own size: stretching starts from every pixel it has.
        if (FImageIndex < alpha->Items()->Count()) {
            const TsImgListItem* item = alpha->Items()->Items(FImageIndex);
            base = TSize(item->OrigWidth, item->OrigHeight);
        }
    } else {
        base = TSize(Width(), Height());
    }
    return ImageBoxSize({base, TSize(Width(), Height()), stretched, Proportional(), FReflected});
}

void TsCustomImage::ComposeImage(TBitmap* background, const TCacheInfo& bgInfo)
{
    const TSize s0 = ImageSize(false), s1 = ImageSize(Stretch());
    if (s0.cx < 1 || s0.cy < 1) return;
    const TListImageKey key{FImages.Get(), FImageIndex, ImageCountOf(FImages.Get()), s0, s1, Font()->Color()};
    const bool kept = ShowsListImage() && FListImage && key == FListImageKey;
    std::unique_ptr<TBitmap> b;
    if (!kept) {
        b.reset(NewBitmap32(s0.cx, s0.cy));
        FillRectAlpha32(b.get(), TRect(0, 0, s0.cx, s0.cy), 0, 0);
    }
    TBitmap* drawn = b.get();
    bool resample = Stretch();
    if (kept) {
        drawn = FListImage.get();
        resample = false;
    } else if (ShowsListImage()) {
        b->Canvas()->Font()->SetColor(Font()->Color());
        if (auto* ac = dynamic_cast<TacImageList*>(FImages.Get()))
            ac->GetBitmap32(FImageIndex, b.get(), 0);
        else
            FImages.Get()->GetBitmap(FImageIndex, b.get());
        if (resample && (b->Width() != s1.cx || b->Height() != s1.cy)) {
            if (s1.cx < 1 || s1.cy < 1) return;
            ResampleBitmap32(b.get(), b.get(), s1.cx, s1.cy, rfMitchell);
        }
        resample = false;
        FListImageKey = key;
        FListImage = std::move(b);
        drawn = FListImage.get();
    } else if (auto* pic = dynamic_cast<TBitmap*>(Picture()->Graphic())) {
        if (pic->Empty()) return;
        BitBlt(b->Canvas()->Handle(), 0, 0, s0.cx, s0.cy, pic->Canvas()->Handle(), 0, 0, SRCCOPY);
        if (pic->PixelFormat() == pf32bit) {
            // A 32-bit picture with no alpha at all is taken as opaque, unless the manager says
            // its pictures are to be trusted as they are.
            if (!DefaultManager || DefaultManager->Options()->CheckEmptyAlpha()) MakeOpaqueIfNoAlpha32(b.get());
        } else {
            const TPixelView v = BitmapView(b.get());
            SetRectAlpha32(v, v.Bounds(), 255, Transparent() ? v.At(0, v.Height - 1) : uint32_t(clNone));
        }
        b->PixelsChanged();
    } else if (TGraphic* g = Picture()->Graphic()) {
        // Other formats are drawn by the platform over the background, stretched, and opaque.
        b.reset(NewBitmap32(s1.cx, s1.cy));
        drawn = b.get();
        BitBlt(b->Canvas()->Handle(), 0, 0, s1.cx, s1.cy, background->Canvas()->Handle(), 0, 0, SRCCOPY);
        const TRect r(0, 0, Stretch() ? std::min<int>(s1.cx, Width()) : s1.cx,
                      Stretch() ? std::min<int>(s1.cy, Height()) : s1.cy);
        b->Canvas()->StretchDraw(r, g);
        SetRectAlpha32(BitmapView(b.get()), r, 255, uint32_t(clNone));
        b->PixelsChanged();
        resample = false;
    } else {
        return;
    }
    if (resample && (b->Width() != s1.cx || b->Height() != s1.cy)) {
        if (s1.cx < 1 || s1.cy < 1) return;
        ResampleBitmap32(b.get(), b.get(), s1.cx, s1.cy, rfMitchell);
    }
    const int w = drawn->Width(), h = drawn->Height();
    const TPoint at = ImageBoxPosition(TSize(w, h), TSize(Width(), Height()), Stretch(), Proportional(), Center(),
                                       FUseFullSize);
    CopyRectAlpha32(TRect(at.x, at.y, at.x + w, at.y + h), TRect(0, 0, w, h), background, drawn, bgInfo, false,
                    FGrayed ? TColor(0xFFFFFF) : clNone, FBlend, FReflected);
}

bool TsCustomImage::PrepareBackground(HDC dc, TCacheInfo& info)
{
    TBitmap* cache = FCommonData->FCacheBmp;
    const int w = Width(), h = Height();
    const TRect whole(0, 0, w, h);
    auto copyDC = [&] {
        BitBlt(cache->Canvas()->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
        SetRectAlpha32(BitmapView(cache), whole, 255, uint32_t(clNone));
        cache->PixelsChanged();
    };
    TacBgQuery q;
    const bool stdTransparency = DefaultManager && DefaultManager->Options()->StdImgTransparency();
    if (!stdTransparency && Parent()) SendSkinCommandToControl(Parent(), scmGetBackground, reinterpret_cast<LPARAM>(&q));
    if (q.Kind == bgNone || stdTransparency) {
        copyDC();
        info = BgInfoToCacheInfo(q);
        return true;
    }
    if (q.Kind == bgNotReady) {
        FCommonData->FUpdating = true;
        return false;
    }
    info = BgInfoToCacheInfo(q);
    if (q.Bmp && q.Bmp->Empty()) return true;
    // The background goes under every control, see-through or not: the cache is copied whole
    // to the screen, so whatever the image leaves uncovered must be the parent's.
    if (q.Kind == bgColor && ColorToRGB(q.Color) == TColor(0xFF00FF)) {
        copyDC();
    } else if (q.Kind == bgBitmap && q.Bmp) {
        BitBlt(cache->Canvas()->Handle(), 0, 0, w, h, q.Bmp->Canvas()->Handle(), Left() + q.Offset.x,
               Top() + q.Offset.y, SRCCOPY);
        cache->PixelsChanged();
    } else {
        FillDCRect(cache->Canvas()->Handle(), whole, q.Color);
        SetRectAlpha32(BitmapView(cache), whole, 255, uint32_t(clNone));
        cache->PixelsChanged();
    }
    if (!FCommonData->FSkinSection.empty() && FCommonData->SkinIndex >= 0) {
        if (TacSkinData* d = FCommonData->ResolveSkinData())
            PaintItem(FCommonData->SkinIndex, info, 0, whole, TPoint(Left(), Top()), cache, d);
    }
    return true;
}

bool TsCustomImage::PrepareCache(HDC dc)
{
    FCommonData->EnsureCacheBmp();
    if (FCommonData->CacheEmpty()) return false;
    TCacheInfo info;
    if (!PrepareBackground(dc, info)) return false;
    ComposeImage(FCommonData->FCacheBmp, info);
    FCommonData->BGChanged = false;
    return true;
}

void TsCustomImage::Paint()
{
    TsCommonData* l = FCommonData;
    if (l->RefreshUpdating(false) || (Empty() && l->SkinIndex < 0)) {
        TImage::Paint();
        return;
    }
    const int w = Width(), h = Height();
    if (w < 1 || h < 1) return;
    HDC dc = Canvas()->Handle();
    const int saved = SaveDC(dc);
    // Each paint composes anew: what lies behind may have changed without the image knowing.
    // While the parent is not ready the last composed image is shown.
    if (PrepareCache(dc) || !l->CacheEmpty())
        BitBlt(dc, 0, 0, w, h, l->FCacheBmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void TsCustomImage::WndProc(TMessage& m)
{
    TsCommonData* l = FCommonData;
    if (!l) {
        TImage::WndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (Visible()) l->BGChanged = true;
        break;
    case WM_ERASEBKGND: return;
    case MSG_SKINCOMMAND:
        switch (SkinCommandOf(m.WParam)) {
        case scmGetDefaultIndex:
            if (TsSkinManager* mgr = l->SkinManager()) m.Result = mgr->GetSkinIndex(L"TRANSPARENT") + 1;
            return;
        case scmIsOpaque:
            m.Result = (l->SkinManager() && l->SkinManager()->IsActive()) || !(ControlStyle() & csOpaque) ? 1 : 0;
            return;
        default:
            if (HandleSkinCommand(m, l)) return;
            break;
        }
        break;
    case CM_VISIBLECHANGED:
        l->BGChanged = true;
        l->FMouseAbove = false;
        break;
    default: break;
    }
    TImage::WndProc(m);
}
