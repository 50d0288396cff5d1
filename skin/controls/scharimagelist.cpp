#include "skin/controls/scharimagelist.h"

#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <cstdlib>

#include "vcl/stored_form.h"
#include "skin/engine/command_delivery.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/image_list_walkers.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "vcl/sysutils.h"

namespace {

int RoundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

std::unique_ptr<TBitmap> CopyOf(TBitmap* source)
{
    std::unique_ptr<TBitmap> copy(NewBitmap32(source->Width(), source->Height()));
    BitBlt(copy->Canvas()->Handle(), 0, 0, source->Width(), source->Height(), source->Canvas()->Handle(), 0, 0,
           SRCCOPY);
    return copy;
}

// A new skin: renditions in the old skin's colours go.
void ClearCharListCaches()
{
    ForEachImageList([](TacImageList* list) {
        if (auto* chars = dynamic_cast<TsCharImageList*>(list)) chars->ClearCache();
    });
}

// A rescale: every list draws at the new PPI; a character list that scales makes its standard
// list again at that PPI from its size at 96. The manager runs this from message handlers, so
// nothing may escape; a list that fails is left out of the batch, to be rebuilt by its next
// size change.
void RescaleImageLists(int ppi)
{
    ForEachImageList([ppi](TacImageList* list) {
        try {
            SetImageListPPI(list, ppi);
            auto* chars = dynamic_cast<TsCharImageList*>(list);
            if (!chars || !chars->FAllowScale) return;
            chars->AcBeginUpdate();
            chars->KillImgList();
            chars->SetWidth(ImageWidthAt(chars, -1, 96));
            chars->SetHeight(ImageHeightAt(chars, -1, 96));
            chars->GenerateStdList();
            chars->AcEndUpdate(true);
        } catch (...) {
            if (auto* chars = dynamic_cast<TsCharImageList*>(list)) chars->AcChanging = false;
        }
    });
}

}  // namespace

void InstallImageListWalkers()
{
    TacImageListWalkers walkers;
    walkers.SkinChanged = ClearCharListCaches;
    walkers.ScaleChanged = RescaleImageLists;
    SetImageListWalkers(walkers);
}

// ---- TacCharListItem ----------------------------------------------------------------------------

TacCharListItem::TacCharListItem(TCollection* collection) : TCollectionItem(collection) {}

TacCharListItem::~TacCharListItem() = default;

TsCharImageList* TacCharListItem::List() const
{
    auto* items = static_cast<TacCharListItems*>(Collection());
    return items ? items->ListOwner() : nullptr;
}

template <typename T>
void TacCharListItem::Store(T& field, const T& value)
{
    if (field == value) return;
    field = value;
    Invalidate();
}

void TacCharListItem::SetIntProp(int index, int value)
{
    switch (index) {
    case 0: Store(FOrientation, value); break;
    case 1: Store(FOffsetY, value); break;
    case 2: Store(AddedOffsetX, value); break;
    case 3: Store(AddedOffsetY, value); break;
    case 4: Store(FGlyph.AddedSize, value); break;
    default: break;
    }
}

void TacCharListItem::SetColorProp(int index, TColor value)
{
    switch (index) {
    case 0: Store(FGlyph.Color, value); break;
    case 1: Store(FGlyph.SecondColor, value); break;
    case 2: Store(FGlyph.AddedColor, value); break;
    default: break;
    }
}

void TacCharListItem::SetCharProp(int index, wchar_t value)
{
    if (index == 0) Store(FGlyph.Char, value);
    else if (index == 1) Store(FGlyph.AddedChar, value);
}

void TacCharListItem::SetCharsetProp(int index, TFontCharset value)
{
    if (index == 0) Store(FGlyph.Charset, value);
    else if (index == 1) Store(FGlyph.AddedCharset, value);
}

void TacCharListItem::SetAngle(int value) { Store(FGlyph.Angle, value); }
void TacCharListItem::SetFontName(const String& value) { Store(FGlyph.FontName, value); }
void TacCharListItem::SetAddedFontName(const String& value) { Store(FGlyph.AddedFontName, value); }
void TacCharListItem::SetPitch(TFontPitch value) { Store(FGlyph.Pitch, value); }
void TacCharListItem::SetStyle(TFontStyles value) { Store(FGlyph.Style, value); }
void TacCharListItem::SetScalingFactor(double value) { Store(FGlyph.ScalingFactor, value); }
void TacCharListItem::SetDrawContour(bool value) { Store(FGlyph.DrawContour, value); }

int TacCharListItem::ActualWidth(bool useAngle) const
{
    const TsCharImageList* list = List();
    const int savedWidth = list ? list->SavedWidth : 0, savedHeight = list ? list->SavedHeight : 0;
    const int w = RoundHalfEven(savedWidth * FGlyph.ScalingFactor);
    if (!useAngle || FGlyph.Angle == 0) return w;
    const double a = FGlyph.Angle * 3.14159265358979323846 / 180;
    return static_cast<int>(std::fabs(std::cos(a) * w) +
                            std::fabs(savedHeight * FGlyph.ScalingFactor * std::sin(a))) + 1;
}

void TacCharListItem::Assign(const TPersistent* source)
{
    const auto* src = dynamic_cast<const TacCharListItem*>(source);
    if (!src) {
        TCollectionItem::Assign(source);
        return;
    }
    FGlyph = src->FGlyph;
    FOffsetY = src->FOffsetY;
    FOrientation = src->FOrientation;
    ImageName = src->ImageName;
    Invalidate();
}

void TacCharListItem::Invalidate()
{
    CacheBmp.reset();
    if (TsCharImageList* list = List()) list->Change();
}

TacCharListItems::TacCharListItems(TsCharImageList* owner)
    : TCollection(owner, TCollection::ItemsOf<TacCharListItem>()), FOwner(owner)
{
}

// ---- TsCharImageList ----------------------------------------------------------------------------

TsCharImageList::TsCharImageList(TComponent* owner)
    : TacImageList(owner), FItems(std::make_unique<TacCharListItems>(this))
{
    SetSizeProp(0, 24);
    SetSizeProp(1, 26);
    PixelsPerInch = MainFormPpi();
    // Made in code, not read from a stored form: past loading at once.
    FLoaded = !HasState(csLoading);
    IconFontHandle();
    InstallImageListWalkers();
}

TsCharImageList::~TsCharImageList()
{
    AcChanging = true;   // no change notices while the items go
    FItems.reset();
}

void TsCharImageList::SetSizeProp(int index, int value)
{
    if (FLoaded || HasState(csDesigning)) {
        if (index == 0) SavedHeight = value;
        else SavedWidth = value;
    }
    KillImgList();
    if (index == 0) TCustomImageList::SetSize(Width(), value);
    else TCustomImageList::SetSize(value, Height());
    if (!HasState(csLoading) && FLoaded && !AcChanging) {
        GenerateStdList();
        Change();
    }
}

TColor TsCharImageList::BkColor()
{
    if (FBkColor == clGlyphDefault && HandleAllocated()) {
        const COLORREF bk = ImageList_GetBkColor(Handle());
        return bk == CLR_NONE ? clNone : static_cast<TColor>(bk);
    }
    return FBkColor;
}

void TsCharImageList::AcEndUpdate(bool doChange)
{
    AcChanging = false;
    if (doChange) Change();
}

void TsCharImageList::Clear()
{
    FItems->Clear();
    if (HandleAllocated()) ImageList_Remove(Handle(), -1);
}

void TsCharImageList::ClearCache()
{
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->CacheBmp.reset();
}

void TsCharImageList::KillImgList()
{
    // Freed unless shared (the base's rule for handles it was given).
    if (HandleAllocated()) SetHandle(nullptr);
    StdListIsGenerated = false;
    if (!AcChanging) Change();
}

int TsCharImageList::StdListPpi() const
{
    if (HasState(csDesigning)) return 96;
    if (AcChanging) return PixelsPerInch;
    if (DefaultManager && DefaultManager->Options() && DefaultManager->Options()->ScaleMode() != smVCL)
        return DefaultManager->Options()->PixelsPerInch();
    return MainFormPpi();
}

bool TsCharImageList::EnsureStdList()
{
    if (SavedWidth == 0 && FLoaded && !HasState(csLoading)) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    const int ppi = StdListPpi();
    const int w = ppi * SavedWidth / 96, h = ppi * SavedHeight / 96;
    if (w <= 0 || h <= 0) return false;
    if (HandleAllocated()) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(Handle(), &cx, &cy);
        if (cx == w && cy == h) return true;
    }
    HIMAGELIST list = ImageList_Create(w, h, ILC_COLOR32 | (Masked() ? ILC_MASK : 0), 0, AllocBy());
    if (!list) return false;
    const bool changing = AcChanging;
    AcChanging = true;
    SetHandle(list);
    AcChanging = changing;
    return true;
}

void TsCharImageList::GenerateStdList()
{
    ForeColor = clNone;
    if (SavedHeight == 0 && Width() == 16 && Height() == 16) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    if (SavedHeight == 0 && FLoaded) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    if (SavedHeight == 0) return;
    if (!EnsureStdList()) return;
    const int ppi = StdListPpi();
    AcChanging = true;
    ImageList_Remove(Handle(), -1);
    for (int i = 0; i < FItems->Count(); ++i) {
        std::unique_ptr<TBitmap> b(
            CreateBitmap32(i, ImageWidthAt(this, i, ppi), ImageHeightAt(this, i, ppi), ImageHeightAt(this, -1, ppi)));
        if (b) AddAsIcon(this, b.get(), -1);
    }
    if (FItems->Count() > 0) StdListIsGenerated = true;
    AcChanging = false;
}

void SetForwardedCharColor(TCustomImageList* list, TColor color, int index, bool ignoreDefault)
{
    if (auto* chars = dynamic_cast<TsCharImageList*>(list)) chars->SetCharColor(color, index, ignoreDefault);
}

void TsCharImageList::SetCharColor(TColor color, int index, bool ignoreDefault)
{
    if (!ignoreDefault && IsItemIndex(index) && FItems->Items(index)->Glyph().Color != clGlyphDefault)
        ForeColor = FItems->Items(index)->Glyph().Color;
    else
        ForeColor = color;
}

bool TsCharImageList::ItemIsCached(TacCharListItem* item, int width, int height, TColor color) const
{
    return item->CacheBmp && item->CacheBmp->Width() == width && item->CacheBmp->Height() == height &&
           item->CacheColor == color;
}

TBitmap* TsCharImageList::CreateBitmap32(int index, int width, int height, int glyphHeight)
{
    return CreateBitmap32Color(index, width, height, ForeColor, glyphHeight);
}

TBitmap* TsCharImageList::CreateBitmap32Color(int index, int width, int height, TColor charColor, int glyphHeight)
{
    if (!HandleAllocated() || !IsItemIndex(index) || width <= 0 || height <= 0) return nullptr;
    ForeColor = charColor;
    if (glyphHeight == 0) glyphHeight = ImageHeightAt(this, -1, PixelsPerInch);
    TacCharListItem* item = FItems->Items(index);
    if (!ItemIsCached(item, width, height, charColor)) {
        item->CacheBmp.reset(NewBitmap32(width, height));
        // An offset set at another scale step is moved to this one.
        const int offsetY = FSavedScale != 0 ? item->OffsetY() * PpiOfScaleStep(FSavedScale) / 96 : item->OffsetY();
        RenderCharItem(this, item->CacheBmp.get(), index, TRect(0, 0, width, height), glyphHeight, offsetY);
        item->CacheColor = charColor;
    }
    return CopyOf(item->CacheBmp.get()).release();
}

TColor TsCharImageList::DrawingColor(TacCharListItem* item) const
{
    return ForeColor != clNone ? ForeColor : item->Glyph().Color;
}

TBitmap* TsCharImageList::GetCacheBmp(TacCharListItem* item, int glyphHeight)
{
    const int index = item->Index();
    const int w = ImageWidthAt(this, index, PixelsPerInch), h = ImageHeightAt(this, index, PixelsPerInch);
    if (glyphHeight == 0) glyphHeight = ImageHeightAt(this, -1, PixelsPerInch);
    const TColor color = DrawingColor(item);
    if (item->CacheBmp && !ItemIsCached(item, w, h, color)) item->CacheBmp.reset();
    if (!item->CacheBmp) {
        item->CacheBmp.reset(NewBitmap32(w, h));
        RenderCharItem(this, item->CacheBmp.get(), index, TRect(0, 0, w, h), glyphHeight, item->OffsetY());
        item->CacheColor = color;
    }
    return item->CacheBmp.get();
}

bool TsCharImageList::GetBitmap32(int index, TBitmap* image, int glyphHeight)
{
    if (!HandleAllocated() || !image || !IsItemIndex(index)) return true;
    TacCharListItem* item = FItems->Items(index);
    if (image->Width() == ImageWidthAt(this, index, PixelsPerInch) &&
        image->Height() == ImageHeightAt(this, index, PixelsPerInch)) {
        TBitmap* cache = GetCacheBmp(item, glyphHeight);
        image->SetPixelFormat(pf32bit);
        BitBlt(image->Canvas()->Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0,
               SRCCOPY);
        return true;
    }
    image->SetPixelFormat(pf32bit);
    if (glyphHeight == 0) glyphHeight = image->Height();
    // A list of height 0 has no glyph height to scale the offset by: no offset then.
    const int listHeight = ImageHeightAt(this, -1, PixelsPerInch);
    const int offset = listHeight != 0 ? glyphHeight * item->OffsetY() / listHeight : 0;
    RenderCharItem(this, image, index, TRect(0, 0, image->Width(), image->Height()), glyphHeight, offset);
    return true;
}

void TsCharImageList::UpdateStd(int index)
{
    ForeColor = clNone;
    if (!HandleAllocated() || !IsItemIndex(index)) return;
    std::unique_ptr<TBitmap> b(CreateBitmap32(index, ImageWidthAt(this, index, StdListPpi()),
                                              ImageHeightAt(this, index, StdListPpi()), 0));
    if (b) AddAsIcon(this, b.get(), index);
}

int TsCharImageList::AddItem(const TacCharItemData& data)
{
    const bool changing = AcChanging;
    AcChanging = true;
    TacCharListItem* item = FItems->Add();
    item->SetCharProp(0, data.Char);
    item->SetFontName(data.FontName);
    item->SetCharsetProp(0, data.Charset);
    item->SetColorProp(0, data.Color);
    item->SetColorProp(1, data.SecondColor);
    item->SetIntProp(0, data.Orientation);
    item->SetPitch(data.Pitch);
    item->SetAngle(data.Angle);
    item->SetDrawContour(data.DrawContour);
    item->SetStyle(data.Style);
    item->SetScalingFactor(data.ScalingFactor);
    item->SetIntProp(1, data.OffsetY);
    AcChanging = changing;
    const int index = item->Index();
    if (EnsureStdList()) {
        const int ppi = StdListPpi();
        ForeColor = clNone;
        std::unique_ptr<TBitmap> b(CreateBitmap32(index, ImageWidthAt(this, index, ppi),
                                                  ImageHeightAt(this, index, ppi), ImageHeightAt(this, -1, ppi)));
        if (b) AddAsIcon(this, b.get(), -1);
        StdListIsGenerated = true;
    }
    Change();
    return index;
}

void TsCharImageList::CopyImages(TsCharImageList* source)
{
    if (!source || !source->HandleAllocated()) return;
    ImageList_SetBkColor(source->Handle(), CLR_NONE);
    const bool changing = AcChanging;
    AcChanging = true;
    FItems->Clear();
    for (int i = 0; i < source->Items()->Count(); ++i) FItems->Add()->Assign(source->Items()->Items(i));
    AcChanging = changing;
    GenerateStdList();
}

void TsCharImageList::Assign(const TPersistent* source)
{
    if (!source) {
        KillImgList();
        return;
    }
    auto* src = dynamic_cast<TsCharImageList*>(const_cast<TPersistent*>(source));
    if (!src) {
        TacImageList::Assign(source);
        return;
    }
    AcBeginUpdate();
    Clear();
    SetMasked(src->Masked());
    SetImageType(src->ImageType());
    SetDrawingStyle(src->DrawingStyle());
    SetShareImages(src->ShareImages());
    TCustomImageList::SetSize(src->SavedWidth, src->SavedHeight);
    SavedWidth = src->SavedWidth;
    SavedHeight = src->SavedHeight;
    KillImgList();
    if (src->HandleAllocated()) {
        const COLORREF bk = ImageList_GetBkColor(src->Handle());
        FBkColor = bk == CLR_NONE ? clNone : static_cast<TColor>(bk);
    }
    SetBlendColor(src->BlendColor());
    AssignCharListFonts(FEmbeddedFonts, src->FEmbeddedFonts);
    CopyImages(src);
    GenerateStdList();
    AcEndUpdate(false);
}

void TsCharImageList::AssignTo(TPersistent* dest) const
{
    if (auto* chars = dynamic_cast<TsCharImageList*>(dest)) chars->Assign(this);
    else TacImageList::AssignTo(dest);
}

void AssignCharListFonts(TacEmbeddedFonts& dest, TacEmbeddedFonts& source)
{
    dest.Clear();
    if (source.Count() == 0 || source.Items(0).FontData.Size() != 0) dest.Add().FontName = L"FontAwesome";
    for (int i = 0; i < source.Count(); ++i) dest.Add().Assign(source.Items(i));
}

// ---- the stored form ----------------------------------------------------------------------------

namespace {

using namespace StoredForm;

const char* PitchIdent(TFontPitch p)
{
    switch (p) {
    case TFontPitch::fpVariable: return "fpVariable";
    case TFontPitch::fpFixed: return "fpFixed";
    default: return "fpDefault";
    }
}

void WriteItem(TStream& s, const TacCharListItem& item)
{
    const TacCharGlyph& g = item.Glyph();
    WriteByte(s, vaList);
    if (g.Angle != 0) WriteInt(s, "Angle", g.Angle);
    if (item.OffsetY() != 0) WriteInt(s, "OffsetY", item.OffsetY());
    if (item.Orientation() != 0) WriteInt(s, "Orientation", item.Orientation());
    if (g.Char != 0) WriteInt(s, "Char", g.Char);
    if (!item.ImageName.empty()) WriteWString(s, "ImageName", item.ImageName);
    if (g.Pitch != TFontPitch::fpDefault) WriteIdent(s, "Pitch", PitchIdent(g.Pitch));
    if (g.Color != clGlyphDefault) WriteInt(s, "Color", int32_t(g.Color));
    if (g.Charset != DEFAULT_CHARSET) WriteInt(s, "Charset", g.Charset);
    if (g.FontName != L"FontAwesome") WriteWString(s, "FontName", g.FontName);
    if (!g.Style.Empty()) WriteInt(s, "Style", g.Style.Bits());
    if (g.ScalingFactor != 1.0) WriteDouble(s, "ScalingFactor", g.ScalingFactor);
    if (g.DrawContour) WriteBool(s, "DrawContour", true);
    if (g.SecondColor != clGlyphDefault) WriteInt(s, "SecondColor", int32_t(g.SecondColor));
    if (g.AddedChar != 0) WriteInt(s, "AddedChar", g.AddedChar);
    if (g.AddedColor != clGlyphDefault) WriteInt(s, "AddedColor", int32_t(g.AddedColor));
    if (g.AddedCharset != DEFAULT_CHARSET) WriteInt(s, "AddedCharset", g.AddedCharset);
    if (item.AddedOffsetX != 0) WriteInt(s, "AddedOffsetX", item.AddedOffsetX);
    if (item.AddedOffsetY != 0) WriteInt(s, "AddedOffsetY", item.AddedOffsetY);
    if (g.AddedChar != 0 && !g.AddedFontName.empty()) WriteWString(s, "AddedFontName", g.AddedFontName);
    if (g.AddedSize != 50) WriteInt(s, "AddedSize", g.AddedSize);
    WriteByte(s, vaNull);
}

void ReadItem(TStream& s, TacCharListItem& item)
{
    for (std::string p = ReadName(s); !p.empty(); p = ReadName(s)) {
        const TStoredValue v = ReadValue(s);
        if (p == "Angle") item.SetAngle(IntOf(v, p));
        else if (p == "OffsetY") item.SetIntProp(1, IntOf(v, p));
        else if (p == "Orientation") item.SetIntProp(0, IntOf(v, p));
        else if (p == "Char") item.SetCharProp(0, wchar_t(IntOf(v, p)));
        else if (p == "ImageName") item.ImageName = TextOf(v, p);
        else if (p == "Pitch") {
            ExpectKind(v, vaIdent, p);
            item.SetPitch(v.Ident == "fpVariable" ? TFontPitch::fpVariable
                          : v.Ident == "fpFixed"  ? TFontPitch::fpFixed
                                                  : TFontPitch::fpDefault);
        } else if (p == "Color") item.SetColorProp(0, TColor(IntOf(v, p)));
        else if (p == "Charset") item.SetCharsetProp(0, TFontCharset(IntOf(v, p)));
        else if (p == "FontName") item.SetFontName(TextOf(v, p));
        else if (p == "Style") {
            TFontStyles styles;
            for (int bit = 0; bit <= fsStrikeOut; ++bit)
                if (IntOf(v, p) & (1 << bit)) styles.Include(static_cast<TFontStyle>(bit));
            item.SetStyle(styles);
        } else if (p == "ScalingFactor") {
            ExpectKind(v, vaDouble, p);
            item.SetScalingFactor(v.Number);
        } else if (p == "DrawContour") {
            ExpectKind(v, vaTrue, p);
            item.SetDrawContour(v.Flag());
        } else if (p == "SecondColor") item.SetColorProp(1, TColor(IntOf(v, p)));
        else if (p == "AddedChar") item.SetCharProp(1, wchar_t(IntOf(v, p)));
        else if (p == "AddedColor") item.SetColorProp(2, TColor(IntOf(v, p)));
        else if (p == "AddedCharset") item.SetCharsetProp(1, TFontCharset(IntOf(v, p)));
        else if (p == "AddedOffsetX") item.AddedOffsetX = IntOf(v, p);
        else if (p == "AddedOffsetY") item.AddedOffsetY = IntOf(v, p);
        else if (p == "AddedFontName") item.SetAddedFontName(TextOf(v, p));
        else if (p == "AddedSize") item.SetIntProp(4, IntOf(v, p));
        // Properties of later versions are read past.
    }
}

}  // namespace

void TsCharImageList::WriteToStream(TStream& stream) const
{
    WriteInt(stream, "Height", SavedHeight != 0 ? SavedHeight : Height());
    WriteInt(stream, "Width", SavedWidth != 0 ? SavedWidth : Width());
    if (FBkColor != clGlyphDefault) WriteInt(stream, "BkColor", int32_t(FBkColor));
    TMemoryStream bitmap;
    WriteData(bitmap);
    WriteBinary(stream, "Bitmap", bitmap.Memory(), int32_t(bitmap.Size()));
    WriteName(stream, "EmbeddedFonts");
    FEmbeddedFonts.WriteToStream(stream);
    WriteName(stream, "Items");
    WriteByte(stream, vaCollection);
    for (int i = 0; i < FItems->Count(); ++i) WriteItem(stream, *FItems->Items(i));
    WriteByte(stream, vaNull);
    WriteByte(stream, vaNull);
}

void TsCharImageList::ReadFromStream(TStream& stream)
{
    // Everything is read aside first, so a stream that breaks off leaves the list untouched.
    int width = SavedWidth != 0 ? SavedWidth : Width(), height = SavedHeight != 0 ? SavedHeight : Height();
    TColor bkColor = FBkColor;
    TacCharListItems items(nullptr);
    TacEmbeddedFonts fonts;
    try {
        for (std::string name = ReadName(stream); !name.empty(); name = ReadName(stream)) {
            if (name == "EmbeddedFonts") {
                fonts.ReadFromStream(stream);
                continue;
            }
            if (name == "Items") {
                if (ReadByte(stream) != vaCollection) throw EReadError(L"Invalid stored collection");
                for (uint8_t b = ReadByte(stream); b != vaNull; b = ReadByte(stream)) {
                    if (b != vaList) throw EReadError(L"Invalid stored collection item");
                    ReadItem(stream, *items.Add());
                }
                continue;
            }
            const TStoredValue v = ReadValue(stream);
            if (name == "Height" || name == "Width" || name == "BkColor") ExpectKind(v, vaInt32, name);
            if (name == "Height") height = v.Int;
            else if (name == "Width") width = v.Int;
            else if (name == "BkColor") bkColor = TColor(v.Int);
            else if (name == "Bitmap") {
                TBytesStream bytes(v.Bytes);
                ReadData(bytes);
            }
        }
        if (width < 0 || height < 0) throw EReadError(L"Invalid stored image size");
    } catch (const Exception& e) {
        throw EReadError(L"Cannot read the character image list: " + e.Message());
    }
    // Loading: no standard list is made before the whole list is in.
    SetComponentState(csLoading, true);
    FLoaded = false;
    AcBeginUpdate();
    FItems->Clear();
    for (int i = 0; i < items.Count(); ++i) {
        TacCharListItem* item = FItems->Add();
        item->Assign(items.Items(i));
        item->AddedOffsetX = items.Items(i)->AddedOffsetX;
        item->AddedOffsetY = items.Items(i)->AddedOffsetY;
    }
    FEmbeddedFonts.Clear();
    for (int i = 0; i < fonts.Count(); ++i) FEmbeddedFonts.Add().Assign(fonts.Items(i));
    FBkColor = bkColor;
    KillImgList();
    TCustomImageList::SetSize(width, height);
    SavedWidth = width;
    SavedHeight = height;
    AcChanging = false;
    SetComponentState(csLoading, false);
    Loaded();
}

int TsCharImageList::FontIndex(const String& fontName)
{
    for (int i = 0; i < FEmbeddedFonts.Count(); ++i)
        if (SameText(FEmbeddedFonts.Items(i).FontName, fontName)) return i;
    return -1;
}

bool TsCharImageList::AddEmbeddedFont(const String& fileName, const String& fontName)
{
    if (!FileExists(fileName)) return false;
    if (FontIndex(fontName) >= 0) return true;
    TacEmbeddedFont& font = FEmbeddedFonts.Add();
    font.FileName = fileName;
    font.FontName = fontName;
    font.FontData.LoadFromFile(fileName);
    font.LoadFont();
    return true;
}

void TsCharImageList::Loaded()
{
    TacImageList::Loaded();
    for (int i = 0; i < FEmbeddedFonts.Count(); ++i) FEmbeddedFonts.Items(i).LoadFont();
    FLoaded = true;
    if (SavedHeight == 0) {
        SavedWidth = Width();
        SavedHeight = Height();
    }
    // Stored items without a factor take the font's own: its character height at a 96-pixel cell.
    for (int i = 0; i < FItems->Count(); ++i) {
        TacCharListItem* item = FItems->Items(i);
        if (item->Glyph().ScalingFactor != 0) continue;
        TBitmap probe(1, 1, pf32bit);
        TFont* font = probe.Canvas()->Font();
        font->SetName(item->Glyph().FontName);
        font->SetCharset(item->Glyph().Charset);
        font->SetHeight(96);
        HDC dc = probe.Canvas()->Handle();
        SelectObject(dc, font->Handle());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        const bool changing = AcChanging;
        AcChanging = true;
        item->SetScalingFactor((tm.tmHeight - tm.tmInternalLeading - tm.tmExternalLeading) / 96.0);
        item->SetColorProp(0, clGlyphDefault);
        AcChanging = changing;
    }
    if (!StdListIsGenerated) {
        GenerateStdList();
        StdListIsGenerated = true;
        Change();
    }
}

void TsCharImageList::Change()
{
    if (AcChanging || (FItems && FItems->Count() > 0 && !StdListIsGenerated) || HasState(csLoading) ||
        !HandleAllocated())
        return;
    TacImageList::Change();
}

int TsCharImageList::ImageWidthAtPPI(int index, int ppi)
{
    const int w = IsItemIndex(index) ? FItems->Items(index)->ActualWidth(false) : SavedWidth;
    return FAllowScale ? w * ppi / 96 : w;
}

int TsCharImageList::ImageHeightAtPPI(int index, int ppi)
{
    if (IsItemIndex(index)) {
        const TacCharListItem* item = FItems->Items(index);
        return RoundHalfEven((SavedHeight + std::abs(item->OffsetY())) * item->Glyph().ScalingFactor) * ppi / 96;
    }
    return SavedHeight * ppi / 96;
}

int TsCharImageList::ReflectionRoom(int index, int ppi)
{
    const double factor = IsItemIndex(index) ? FItems->Items(index)->Glyph().ScalingFactor : 1.0;
    return RoundHalfEven(factor * ImageHeightAtPPI(-1, ppi)) / 2;
}

bool TsCharImageList::ItemHasOwnColor(int index)
{
    return IsItemIndex(index) && FItems->Items(index)->Glyph().Color != clGlyphDefault;
}

void TsCharImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled)
{
    (void)style;
    (void)enabled;
    if (!HandleAllocated() || !IsItemIndex(index) || !canvas) return;
    TacCharListItem* item = FItems->Items(index);
    if (item->Glyph().Color == clGlyphDefault) ForeColor = canvas->Font()->Color();
    const int w = ImageWidthAt(this, index, PixelsPerInch), h = ImageHeightAt(this, index, PixelsPerInch);
    std::unique_ptr<TBitmap> b(NewBitmap32(w, h));
    b->Canvas()->Lock();
    BitBlt(b->Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), x, y, SRCCOPY);
    TBitmap* glyph = GetCacheBmp(item, 0);
    GdiFlush();
    const TPixelView dst = BitmapView(b.get()), src = BitmapView(glyph);
    for (int row = 0; row < std::min(dst.Height, src.Height); ++row)
        for (int col = 0; col < std::min(dst.Width, src.Width); ++col) {
            const uint32_t s = src.At(col, row), d = dst.At(col, row);
            const int a = static_cast<int>(s >> 24);
            uint32_t out = d & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const int sc = static_cast<int>((s >> (8 * c)) & 0xFF), dc = static_cast<int>((d >> (8 * c)) & 0xFF);
                // By 256: even an opaque glyph pixel keeps a 256th of what lay below.
                out |= static_cast<uint32_t>(dc + (sc - dc) * a / 256) << (8 * c);
            }
            dst.At(col, row) = out;
        }
    BitBlt(canvas->Handle(), x, y, w, h, b->Canvas()->Handle(), 0, 0, SRCCOPY);
    b->Canvas()->Unlock();
    ForeColor = clNone;
}

void RenderCharItem(TsCharImageList* list, TBitmap* bmp, int index, const TRect& rect, int glyphHeight, int offsetY)
{
    if (!list || !bmp || index < 0 || index >= list->Items()->Count()) return;
    RenderCharGlyph(bmp, list->Items()->Items(index)->Glyph(), list->ForeColor, rect, glyphHeight, offsetY);
}
