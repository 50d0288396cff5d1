#include "skin/engine/core/manager_options.h"

#include "vcl/sysutils.h"

namespace {
// One flag for the whole process: glyphs of buttons drawn the old way.
bool OldGlyphsModeFlag = true;

void Tell(TacSkinDataOwner* owner, TacOptionChange change)
{
    if (owner) owner->OptionChanged(change);
}

// Stores a changed value and tells the owner; an unchanged value does nothing.
template <class T>
void Store(T& field, const T& value, TacSkinDataOwner* owner, TacOptionChange change)
{
    if (field == value) return;
    field = value;
    Tell(owner, change);
}
}  // namespace

// ---- Options ---------------------------------------------------------------------------------

bool TacOptions::GetBoolOption(int index) const
{
    switch (index) {
    case 0: return FCheckEmptyAlpha;
    case 1: return FNoMouseHover;
    case 2: return FNativeBordersMaximized;
    case 3: return FStdGlyphsOrder;
    case 5: return FStdImgTransparency;
    case 6: return FDrawNonClientArea;
    default: return FChangeSysColors;
    }
}

TacArrowsStyle TacOptions::ActualArrowStyle() const
{
    if (FArrowsStyle == arsDefault) return FOwner ? FOwner->CommonInfo().ArrowStyle : arsSolid1;
    return FArrowsStyle;
}

void TacOptions::SetChangeSysColors(bool v) { Store(FChangeSysColors, v, FOwner, TacOptionChange::ChangeSysColors); }
void TacOptions::SetDrawNonClientArea(bool v) { Store(FDrawNonClientArea, v, FOwner, TacOptionChange::DrawNonClientArea); }
void TacOptions::SetArrowsStyle(TacArrowsStyle v) { Store(FArrowsStyle, v, FOwner, TacOptionChange::ArrowsStyle); }
void TacOptions::SetScaleMode(TacScaleMode v)
{
    if (v == FScaleMode) return;
    if (FOwner && FOwner->TakeScaleWrite(TacOptionChange::ScaleMode, v)) return;
    Store(FScaleMode, v, FOwner, TacOptionChange::ScaleMode);
}

void TacOptions::SetPixelsPerInch(int v)
{
    const uint16_t ppi = ClampPpi(v);
    if (ppi == FPixelsPerInch) return;
    if (FOwner && FOwner->TakeScaleWrite(TacOptionChange::PixelsPerInch, ppi)) return;
    Store(FPixelsPerInch, ppi, FOwner, TacOptionChange::PixelsPerInch);
}

// ---- Effects ----------------------------------------------------------------------------------

void TacSkinEffects::SetAllowOuterEffects(bool v) { Store(FAllowOuterEffects, v, Manager, TacOptionChange::AllowOuterEffects); }
void TacSkinEffects::SetDiscoloredGlyphs(bool v) { Store(FDiscoloredGlyphs, v, Manager, TacOptionChange::DiscoloredGlyphs); }

// ---- ScrollsOptions, ButtonsOptions --------------------------------------------------------------

void TacScrollBarsSupport::SetScrollSize(int v) { Store(FScrollSize, v, FOwner, TacOptionChange::ScrollSize); }
void TacScrollBarsSupport::SetButtonsSize(int v) { Store(FButtonsSize, v, FOwner, TacOptionChange::ButtonsSize); }

bool TacButtonsSupport::OldGlyphsMode() const { return OldGlyphsModeFlag; }
void TacButtonsSupport::SetOldGlyphsMode(bool v) { Store(OldGlyphsModeFlag, v, FOwner, TacOptionChange::OldGlyphsMode); }

// ---- Fonts, MenuSupport ---------------------------------------------------------------------------

void TacFonts::SetMainMode(TacFontMode v) { Store(FMainMode, v, SkinManager, TacOptionChange::FontMainMode); }
void TacFonts::SetMainFont(const String& v) { Store(FMainFont, v, SkinManager, TacOptionChange::FontMainFont); }

void TacMenuSupport::SetCustomFont(bool v)
{
    // The menu skinning builds its shared font or frees it, also for the value it had.
    FCustomFont = v;
    Tell(FManager, TacOptionChange::MenuCustomFont);
}

// ---- The application font ---------------------------------------------------------------------

String FontNameOfMode(TacFontMode mode, const String& skinFont, const String& customFont, const String& storedFont)
{
    switch (mode) {
    case fmFromSkin: return skinFont.empty() ? storedFont : skinFont;
    case fmCustom: return customFont;
    default: return storedFont;
    }
}

String FontNameFor(const TacFontTarget& target, const String& applied, const String& oldName, const String& storedName)
{
    if (applied.empty()) return String();   // a font without a name would be the system's
    if (target.HasParent && target.ParentFont) return String();
    // Font names are not case-sensitive.
    if (!SameText(target.FontName, oldName) && !SameText(target.FontName, storedName)) return String();
    if (target.Windowed ? !target.HandleAllocated : !target.HasParent) return String();
    return applied;
}

// ---- What an option write does on screen ------------------------------------------------------

TacOptionEffect OptionEffectOf(TacOptionChange change, const TacOptionContext& c)
{
    using E = TacOptionEffect;
    switch (change) {
    case TacOptionChange::DrawNonClientArea: return c.Designing ? E::None : E::NonClientChanged;
    case TacOptionChange::ArrowsStyle: return E::UpdateSkin;
    case TacOptionChange::AllowOuterEffects:
    case TacOptionChange::DiscoloredGlyphs: return c.Loading || c.NoAutoUpdate ? E::None : E::RepaintForms;
    case TacOptionChange::ButtonsSize: return c.Loading ? E::None : E::RepaintForms;
    case TacOptionChange::ScrollSize: return c.Loading ? E::None : E::ScrollOptionsChanged;
    case TacOptionChange::OldGlyphsMode: return c.Loading || c.Designing ? E::None : E::RepaintFormsLocked;
    case TacOptionChange::FontMainMode: return c.Loading ? E::None : E::ApplyFont;
    case TacOptionChange::FontMainFont: return c.Loading || c.FontMode != fmCustom ? E::None : E::ApplyFont;
    default: return E::None;
    }
}

// ---- ThirdParty ---------------------------------------------------------------------------------

const String& TsThirdPartyList::GetString(int index) const
{
    static const String none;
    return index >= 0 && index < acThirdListCount ? FLists[static_cast<size_t>(index)] : none;
}

void TsThirdPartyList::SetString(int index, const String& value)
{
    if (index >= 0 && index < acThirdListCount) FLists[static_cast<size_t>(index)] = value;
}

void TsThirdPartyList::FillLists(std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists, bool reset)
{
    for (size_t i = 0; i < lists.size(); ++i) {
        if (reset || FLists[i].empty()) FLists[i] = DefaultOf(static_cast<int>(i));
        if (!lists[i]) {
            lists[i] = std::make_unique<TStringList>();
            lists[i]->SetCaseSensitive(true);
        }
        lists[i]->SetText(FLists[i]);
    }
}

void TsThirdPartyList::TakeLists(const std::array<std::unique_ptr<TStringList>, acThirdListCount>& lists)
{
    for (size_t i = 0; i < lists.size(); ++i)
        if (lists[i]) FLists[i] = lists[i]->Text();
}
