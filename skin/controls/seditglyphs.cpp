#include "skin/controls/seditglyphs.h"

#include <algorithm>
#include <memory>

#include "skin/controls/scharimagelist.h"
#include "skin/controls/scomboedit.h"
#include "skin/controls/sedits.h"
#include "skin/controls/edit_glyph_resources.h"
#include "skin/engine/common_data.h"
#include "skin/engine/skin_manager.h"
#include "skin/graphics/bitmaps32.h"
#include "skin/graphics/paint32.h"

namespace {

// The registry of image lists is made first, so that it outlives the standard lists at exit.
std::unique_ptr<TsAlphaImageList>& PngGlyphSlot()
{
    static std::unique_ptr<TsAlphaImageList> list = (ImageListRegistry(), nullptr);
    return list;
}

std::unique_ptr<TsCharImageList>& CharGlyphSlot()
{
    static std::unique_ptr<TsCharImageList> list = (ImageListRegistry(), nullptr);
    return list;
}

// The icon font's characters of the standard pictures, with the size and the shift down each
// needs to sit in the 16 x 14 cell like the others.
struct TStdCharGlyph {
    wchar_t Char;
    double Factor;
    int OffsetY;
};

constexpr TStdCharGlyph StdIconChars[] = {
    {0xF016, 1.0, 0}, {0xF115, 1.0, 0}, {0xF274, 1.0, 0}, {0xF141, 1.0, 4}, {0xF1EC, 1.0, 0},
    {0xF111, 0.75, 0}, {0xF00C, 1.0, 0}, {0xF047, 0.9, 1}, {0xF1FB, 1.0, 0}, {0xF00C, 1.1, 0},
    {0xF00D, 1.1, 0}, {0xF067, 0.8, 2}, {0xF0D8, 1.3, 0}, {0xF01E, 0.9, 1}, {0xF048, 0.8, 2},
    {0xF053, 0.8, 2}, {0xF054, 0.8, 2}, {0xF051, 0.8, 2}, {0xF068, 0.8, 2}, {0xF00C, 0.8, 0},
    {0xF00D, 0.8, 0},
};

// The system symbol font's minimise, maximise, restore and close signs.
constexpr wchar_t StdSignChars[] = {L'0', L'1', L'2', L'r'};

bool OldGlyphsModeSelected()
{
    // The mode is one flag for the whole process: any options object reads it.
    static const TacButtonsSupport probe(nullptr);
    return probe.OldGlyphsMode();
}

int SkinPPI(TsCommonData* link)
{
    return link && link->CurrentPPI > 0 ? link->CurrentPPI : 96;
}

}  // namespace

void EditGlyphResource(const String& name, const uint8_t*& data, size_t& size)
{
    data = nullptr;
    size = 0;
    if (name == L"SF") data = EditGlyphResources::SFPng, size = EditGlyphResources::SFPngSize;
    if (name == L"SR") data = EditGlyphResources::SRPng, size = EditGlyphResources::SRPngSize;
    if (name == L"SD") data = EditGlyphResources::SDPng, size = EditGlyphResources::SDPngSize;
    if (name == L"SE") data = EditGlyphResources::SEPng, size = EditGlyphResources::SEPngSize;
    if (name == L"SC") data = EditGlyphResources::SCPng, size = EditGlyphResources::SCPngSize;
    if (!data) throw EResNotFound(L"Resource " + name + L" not found");
}

TsAlphaImageList* StdPngGlyphs()
{
    auto& slot = PngGlyphSlot();
    if (slot) return slot.get();
    auto list = std::make_unique<TsAlphaImageList>(nullptr);
    list->SetSize(32, 16);
    // Kept even when a picture is missing: the ones added before it stay usable.
    TsAlphaImageList* raw = list.get();
    slot = std::move(list);
    for (const wchar_t* name : {L"SF", L"SR", L"SD", L"SE", L"SC"}) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        EditGlyphResource(name, data, size);
        raw->AddPng(data, size);
    }
    return raw;
}

TsCharImageList* StdCharGlyphs()
{
    auto& slot = CharGlyphSlot();
    if (slot) return slot.get();
    auto list = std::make_unique<TsCharImageList>(nullptr);
    list->SetBkColor(TColor(0xFFFFFF));
    list->SetWidth(16);
    list->SetHeight(14);
    list->AcBeginUpdate();
    for (const TStdCharGlyph& g : StdIconChars) {
        TacCharItemData d;
        d.Char = g.Char;
        d.ScalingFactor = g.Factor;
        d.OffsetY = g.OffsetY;
        list->AddItem(d);
    }
    for (wchar_t c : StdSignChars) {
        TacCharItemData d;
        d.Char = c;
        d.FontName = L"Marlett";
        list->AddItem(d);
    }
    list->GenerateStdList();
    list->AcEndUpdate(false);
    slot = std::move(list);
    return slot.get();
}

TCustomImageList* GetStdGlyphs()
{
    if (OldGlyphsModeSelected()) return StdPngGlyphs();
    return StdCharGlyphs();
}

void FreeStdGlyphs()
{
    PngGlyphSlot().reset();
    CharGlyphSlot().reset();
}

void DrawEditGlyph(TBitmap* cache, const TRect& r, TCustomImageList* list, int index, const TacEditGlyphLook& look,
                   TsCommonData* link)
{
    if (!cache || !list || index < 0 || index >= list->Count()) return;
    const int ppi = std::max(link ? link->CurrentPPI : 96, 1);
    const int controlPpi = std::max(link ? link->ControlPPI() : 96, 1);
    const bool toned = look.Tone != TacAddedGlyph::NoTone;
    if (auto* chars = dynamic_cast<TsCharImageList*>(list)) {
        const int w = ImageWidthAt(chars, index, ppi);
        const int h = ImageHeightAt(chars, index, controlPpi);
        const int x = r.left + (r.Width() - w) / 2 + look.ShiftX, y = r.top + (r.Height() - h) / 2;
        // A tone replaces the colour, even an item's own (font size 0), and is never greyed.
        TFont* font = cache->Canvas()->Font();
        const TColor oldColor = font->Color();
        const int oldSize = font->Size();
        font->SetColor(toned ? look.Tone : look.Text);
        if (toned) font->SetSize(0);
        try {
            DrawImageListItem32(chars, cache, x, y, index, look.Blend, toned ? clNone : look.GreyTo, 0, 1, false, ppi);
        } catch (...) {
            font->SetColor(oldColor);
            font->SetSize(oldSize);
            throw;
        }
        font->SetColor(oldColor);
        font->SetSize(oldSize);
        return;
    }
    std::unique_ptr<TBitmap> image = list->GetBitmap32(index);
    if (!image) return;
    const int frames = std::max(look.Frames, 1);
    const int cellWidth = image->Width() / frames;
    if (cellWidth <= 0) return;
    const int cell = std::clamp(look.Cell, 0, frames - 1);
    const int w = MulDiv(list->Width(), ppi, 96) / frames;
    const int h = MulDiv(list->Height(), controlPpi, 96);
    const int x = r.left + (r.Width() - w) / 2 + look.ShiftX, y = r.top + (r.Height() - h) / 2;
    // The frame cut out, greyed or toned as asked, then composed over the cache.
    std::unique_ptr<TBitmap> frame(NewBitmap32(cellWidth, image->Height()));
    BitBlt(frame->Canvas()->Handle(), 0, 0, cellWidth, image->Height(), image->Canvas()->Handle(), cell * cellWidth, 0,
           SRCCOPY);
    if (look.GreyTo != clNone) GrayscaleBitmap32(frame.get());
    if (toned) TintBitmap32(frame.get(), 255, look.Tone);
    const uint8_t alpha = uint8_t(std::clamp(255 * (100 - look.Blend) / 100, 0, 255));
    StretchComposeAt32(cache, x, y, w, h, frame.get(), 0, 0, cellWidth, image->Height(), alpha);
}

// ================================================================================================
// TacAddedGlyph

TacAddedGlyph::TacAddedGlyph(TWinControl* owner, TsCommonData* skinData) : FOwner(owner), FSkinData(skinData)
{
    FImageChangeLink.OnChange = Bind<&TacAddedGlyph::ImagesChanged>(this);
}

TacAddedGlyph::~TacAddedGlyph() = default;   // the change link lets go of a list still alive

void TacAddedGlyph::SetIntProp(int index, int value)
{
    switch (index) {
    case 0:
        if (FBlend == value) return;
        FBlend = value;
        Invalidate(false);
        break;
    case 1:
        if (FImageIndex == value) return;
        FImageIndex = value;
        Invalidate(true);   // the glyph's size may differ
        break;
    default: break;
    }
}

void TacAddedGlyph::SetGrayed(bool v)
{
    if (FGrayed == v) return;
    FGrayed = v;
    Invalidate(false);
}

void TacAddedGlyph::SetColorTone(TColor v)
{
    if (FColorTone == v) return;
    FColorTone = v;
    Invalidate(false);
}

void TacAddedGlyph::SetImages(TCustomImageList* list)
{
    if (FImages == list) return;
    if (FImageChangeLink.Sender()) FImageChangeLink.Sender()->UnRegisterChanges(&FImageChangeLink);
    FImages = list;
    if (FImages) {
        FImages->RegisterChanges(&FImageChangeLink);
        if (FOwner) FImages->FreeNotification(FOwner);
    }
    Invalidate(true);
}

bool TacAddedGlyph::HasOwnImage() { return FImages && FImageIndex >= 0 && FImageIndex < FImages->Count(); }

TCustomImageList* TacAddedGlyph::ListInUse() { return HasOwnImage() ? FImages : GetStdGlyphs(); }

int TacAddedGlyph::ImageCount()
{
    TCustomImageList* list = ListInUse();
    return list ? GlyphFrameCount(list->Width(), list->Height()) : 1;
}

int TacAddedGlyph::Width()
{
    TCustomImageList* list = ListInUse();
    if (!list) return 0;
    return MulDiv(list->Width(), SkinPPI(FSkinData), 96) / ImageCount();
}

int TacAddedGlyph::Height()
{
    TCustomImageList* list = ListInUse();
    if (!list) return 0;
    const int ppi = FSkinData ? FSkinData->ControlPPI() : 96;
    return MulDiv(list->Height(), ppi > 0 ? ppi : 96, 96);
}

void TacAddedGlyph::Invalidate(bool updateCoords)
{
    if (!dynamic_cast<TsMaskEdit*>(FOwner) && !dynamic_cast<TsEdit*>(FOwner)) return;
    if (FOwner->HasState(csLoading) || FOwner->HasState(csDestroying)) return;
    if (FSkinData) FSkinData->Invalidate(true);
    if (updateCoords && FOwner->HandleAllocated())
        SetWindowPos(FOwner->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOCOPYBITS |
                         SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

// ================================================================================================
// TsGlyphMode

TsGlyphMode::TsGlyphMode(TWinControl* owner, TsCommonData* skinData) : TacAddedGlyph(owner, skinData) {}

void TsGlyphMode::SetIntProp(int index, int value)
{
    int* field = index == 10 ? &FImageIndexHot : index == 11 ? &FImageIndexPressed : nullptr;
    if (!field) {
        TacAddedGlyph::SetIntProp(index, value);
        return;
    }
    if (*field == value) return;
    *field = value;
    Invalidate(false);
}

void TsGlyphMode::SetEnabled(bool v)
{
    if (FEnabled == v) return;
    FEnabled = v;
    Invalidate(false);
}

int TsGlyphMode::Width()
{
    if (auto* combo = dynamic_cast<TsCustomComboEdit*>(FOwner); combo && (combo->ComboBtn() || combo->ButtonWidth() != 0)) {
        if (combo->ButtonWidth() != 0) return ScaleForControl(combo->ButtonWidth(), FSkinData, true);
        TacSkinData* d = FSkinData ? FSkinData->ResolveSkinData() : nullptr;
        return GetSystemMetrics(SM_CXVSCROLL) - (d ? d->Spacing : 0) / 2;
    }
    return TacAddedGlyph::Width();
}
