#include "skin/engine/core/skin_data.h"

#include <unordered_set>

#include "skin/engine/core/geometry.h"
#include "skin/graphics/gradients.h"

int DefaultLineWidth = 2;
int DefaultScrollBtnLength = 16;

namespace {
const String GlobalInfo = L"GLOBALINFO";
const wchar_t* const StepSuffixes[4] = {L"", L"*125", L"*150", L"*200"};
}  // namespace

// ---- skin-wide values ------------------------------------------------------------------------------

double ReadSkinVersion(TacSkinDescription& d) { return d.ReadFloat(GlobalInfo, L"VERSION", 0); }

void ReadGlobalInfo(TacSkinDescription& d, TacSkinCommonInfo& info)
{
    info.Author = d.ReadString(GlobalInfo, L"AUTHOR", String());
    info.Description = d.ReadString(GlobalInfo, L"DESCRIPTION", String());
    info.MainFont = d.ReadString(GlobalInfo, L"MainFont", String());
    info.UseAeroBluring = d.ReadInteger(GlobalInfo, L"AEROBLUR", 0) != 0;
    info.BrightMin = d.ReadInteger(GlobalInfo, L"BRIGHTMIN", -50);
    info.BrightMax = d.ReadInteger(GlobalInfo, L"BRIGHTMAX", 50);
    info.BIVAlign = d.ReadInteger(GlobalInfo, L"BIVALIGN", 0);
    info.BIKeepHUE = d.ReadInteger(GlobalInfo, L"BIKEEPHUE", 0);
    info.Shadow1Color = d.ReadInteger(GlobalInfo, L"SHADOW1COLOR", 0);
    int arrows = d.ReadInteger(GlobalInfo, L"ARROWSTYLE", 0);
    // A style the engine does not know draws as the first one.
    info.ArrowStyle = arrows >= 0 && arrows <= arsDefault ? static_cast<TacArrowsStyle>(arrows) : arsSolid1;
    info.Version = ReadSkinVersion(d);
}

// ---- the object ------------------------------------------------------------------------------------

TacSkinData::TacSkinData(TacSkinDataOwner* owner, int ppi)
    : ScaleValue(ScaleStepOfPpi(ppi)), ScalePercent(ppi * 100 / 96), FPPI(ppi), FOwner(owner)
{
    TitleGlyphs.fill(-1);
    GlowMargins.fill(0);
}

TacSkinData::~TacSkinData() { Reset(); }

void TacSkinData::Init()
{
    Initializing = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{Initializing};
    if (FOwner) FOwner->ReloadSkin(FPPI, *this);
}

void TacSkinData::FreeBitmaps() { BmpArray.clear(); }

void TacSkinData::Reset()
{
    FreeBitmaps();
    gd.clear();
    ma.clear();
    oe = TacOutEffArray{};
    Notes.clear();
    rsta.reset();
    rsti.reset();
    ShdaTemplate.reset();
    ShdiTemplate.reset();
}

void TacSkinData::LoadFromDescription()
{
    LoadParams();
    LoadAllMasks();
    LoadAllGeneralData();
    InitConstantIndexes();
    InitMaskIndexes();
    InitMaskParams();
    if (FOwner) FOwner->InitSkinParams();
    CheckShadows();
}

void TacSkinData::LoadParams()
{
    Spacing = ScaleByPpi(4, FPPI);
    LineWidth = ScaleByPpi(DefaultLineWidth, FPPI);
    ArrowSize = ScaleByPpi(5, FPPI);
    SmallArrowSize = ScaleByPpi(4, FPPI);
    ScrollBtnLength = ScaleByPpi(DefaultScrollBtnLength, FPPI);
}

void TacSkinData::LoadAllMasks()
{
    if (!FOwner) return;
    // The main and the text colour are needed before the palette is derived: the sections
    // TRANSPARENT and MAINCOLOR, added when the skin lacks them, take them. Both come from this
    // skin, not from the one loaded before.
    TacPalette& palette = FOwner->PaletteColors();
    palette[pcMainColor] = FOwner->SkinDescription().ReadInteger(GlobalInfo, L"COLOR", FOwner->SystemColor(acCOLOR_BTNFACE));
    palette[pcLabelText] = FOwner->SkinDescription().ReadInteger(GlobalInfo, L"FONTCOLOR", 0);
    ma.clear();
    Notes.clear();
    TacImageLoadContext ctx;
    ctx.Description = &FOwner->SkinDescription();
    ctx.Master = FOwner->MasterImage();
    ctx.ReadFile = [this](const String& name, std::vector<uint8_t>& bytes) { return FOwner->ReadSkinFile(name, bytes); };
    ctx.Manager = FOwner->ImageManager();
    ctx.PPI = FPPI;
    ctx.ScaleValue = ScaleValue;
    ctx.ButtonHugeIndex = FOwner->CommonInfo().Sections[ssButtonHuge];
    ctx.Brightness = FOwner->BrightnessValue();
    ctx.CompositionOn = FOwner->CompositionOn();
    ctx.MainColor = palette[pcMainColor];
    ctx.CommonSections = FOwner->CommonSectionLines();
    ctx.SkinPath = FOwner->CommonInfo().SkinPath;
    ctx.Notes = &Notes;
    ::LoadAllMasks(ctx, ma, BmpArray);
}

TacOuterContext TacSkinData::OuterContext()
{
    TacOuterContext ctx;
    ctx.Images = &ma;
    ctx.Cache = &BmpArray;
    ctx.Master = FOwner->MasterImage();
    ctx.Description = &FOwner->SkinDescription();
    ctx.Manager = FOwner->ImageManager();
    ctx.PPI = FPPI;
    ctx.ScaleValue = ScaleValue;
    ctx.ScaleInt = [this](int v) { return FOwner->ScaleInt(v); };
    ctx.Notes = &Notes;
    return ctx;
}

void TacSkinData::LoadOuterEffects()
{
    if (!FOwner) return;
    // Colours may name system colours.
    auto resolve = [this](TColor c) { return IsSysColor(c) ? FOwner->SystemColor(c & 0xFF) : c; };
    TacOuterContext ctx = OuterContext();
    oe[1] = ReadOuterEffect(FOwner->SkinDescription(), true, ctx.ScaleInt, resolve);
    LoadOuterEffectMask(ctx, oe[1], L"SH_MASK");
    oe[0] = ReadOuterEffect(FOwner->SkinDescription(), false, ctx.ScaleInt, resolve);
    LoadOuterEffectMask(ctx, oe[0], L"LO_MASK");
}

int TacSkinData::ReadScaledGlobalInt(const String& key, int def, int imageIndex, bool scaled, int low, int high)
{
    if (!FOwner) return def;
    TacSkinDescription& d = FOwner->SkinDescription();
    auto bounded = [&](int v) { return v < low ? low : v > high ? high : v; };
    auto readInt = [&](const String& k, int* out) {
        const String* text = d.Find(GlobalInfo, k);
        int v;
        if (!text || !TryStrToInt(Trim(*text), v)) return false;
        *out = bounded(v);
        return true;
    };
    int v = 0;
    if (scaled && IsValidImage(imageIndex)) {
        int divPpi = ma[static_cast<size_t>(imageIndex)].DivPPI;
        if (divPpi <= 0) divPpi = 96;
        if (!readInt(key + StepSuffixes[ScaleStepOfPpi(divPpi)], &v)) {
            if (!readInt(key, &v)) v = def;
            divPpi = 96;
        }
        return v * FPPI / divPpi;
    }
    int step = ScaleValue >= 0 && ScaleValue < 4 ? ScaleValue : 0;
    if (readInt(key + StepSuffixes[step], &v)) {
        int custom = FOwner->CustomPpi();
        if (FOwner->ScaleModeValue() == smCustomPPI && custom < 96) return v * custom / 96;
        return v;
    }
    if (step == 0) return def;
    if (!readInt(key, &v)) v = def;
    return scaled ? v * FPPI / 96 : v;
}

void TacSkinData::ReadGlobalMetrics()
{
    TacSkinDescription& d = FOwner->SkinDescription();
    auto plain = [&](const wchar_t* key, int def) { return d.ReadInteger(GlobalInfo, key, def); };
    auto scaledKey = [&](const wchar_t* key, int def) { return ReadScaledGlobalInt(key, def, -1, true); };

    ExDrawMode = plain(L"BORDERMODE", 0);
    ExShadowOffs = scaledKey(L"ALIGNOFFSET", 0);
    ExShadowOffsR = scaledKey(L"ALIGNOFFSETR", ExShadowOffs);
    ExShadowOffsT = scaledKey(L"ALIGNOFFSETT", ExShadowOffs);
    ExShadowOffsB = scaledKey(L"ALIGNOFFSETB", ExShadowOffs);
    // The shadow sizes become bitmap sizes: kept within a byte, as the glow sizes are.
    WndShadowRadius = ReadScaledGlobalInt(L"WSHRAD", 17, -1, true, 0, 255);
    WndShadowOffset = ReadScaledGlobalInt(L"WSHOFFS", 2, -1, true, -255, 255);
    WndShadowSize = ReadScaledGlobalInt(L"WSHSIZE", 13, -1, true, 0, 255);
    WndShadowColorN = plain(L"WSHCOLN", TColorOf(0x44000000u));
    WndShadowColorA = plain(L"WSHCOLA", TColorOf(0x99000000u));
    BISpacing = scaledKey(L"BISPACE", 0);
    BIRightMargin = scaledKey(L"BIRIGHT", 0);
    BILeftMargin = scaledKey(L"BILEFT", 0);
    BITopMargin = scaledKey(L"BITOP", 0);
    for (int g = 0; g < 5; ++g) {
        GlowMargins[static_cast<size_t>(g)] = scaledKey((String(TitleGlyphNames[g]) + L"GLOWMARGIN").c_str(), 0);
        // The glow count sizes arrays and lookup loops: at most 255.
        int count = ClampInt(plain(L"BICONCLOSEGLOW", 0), 0, 255);
        TitleGlows[static_cast<size_t>(g)].assign(static_cast<size_t>(count), -1);
    }
    Shadow1Offset = scaledKey(L"SHADOW1OFFSET", 0);
    Shadow1Blur = scaledKey(L"SHADOW1BLUR", -1);
    Shadow1Transparency = plain(L"SHADOW1TRANSPARENCY", 0);
    ComboBoxMargin = plain(L"COMBOMARGIN", 2);
    if (ComboBoxMargin == 1 && FPPI >= 144) ComboBoxMargin = 2;
    SliderMargin = plain(L"SLIDERMARGIN", 1);
}

void TacSkinData::InitMaskParams()
{
    if (!FOwner) return;
    ExBorderWidth = ReadScaledGlobalInt(L"BORDERWIDTH", 4, ExBorder, true);
    if (ExBorderWidth < 2) ExBorderWidth = 1;
    ExContentOffs = ReadScaledGlobalInt(L"FORMOFFSET", FOwner->SystemFrameWidth(), ExBorder, true);
    ExTitleHeight = ReadScaledGlobalInt(L"TITLEHEIGHT", 30, ExBorder, true);
    if (ExTitleHeight <= 0) ExTitleHeight = FOwner->ScaleInt(30);
    ExMaxHeight = ReadScaledGlobalInt(L"MAXHEIGHT", 0, ExBorder, true);
    if (ExMaxHeight <= 0) ExMaxHeight = ExTitleHeight;
    ExCenterOffs = ReadScaledGlobalInt(L"CENTEROFFSET", 0, ExBorder, true);
}

// ---- what the painters read -----------------------------------------------------------------------

TPixelView TacSkinData::MasterBitmap() const
{
    const TPixelImage* master = FOwner ? FOwner->MasterImage() : nullptr;
    return master ? master->View() : TPixelView();
}

const TacSkinPaintSource* TacSkinData::UnscaledData() const
{
    const TacSkinData* d = FOwner ? FOwner->SkinData96() : nullptr;
    return d ? d : this;
}

TColor TacSkinData::GlobalColor() const { return FOwner ? FOwner->PaletteColors()[pcMainColor] : TColor(0xFFFFFF); }

int TacSkinData::ConstSectionIndex(TacSection section) const
{
    return FOwner && section < acSectionCount ? FOwner->CommonInfo().Sections[section] : -1;
}

// ---- window shadows ------------------------------------------------------------------------------

const TPixelImage* TacSkinData::GetActiveShadow()
{
    if (!rsta)
        rsta = std::make_unique<TPixelImage>(CreateShadowImage32(WndShadowColorA, WndShadowRadius, WndShadowOffset,
                                                                 2 * WndShadowSize, 2 * WndShadowSize, 0, false));
    return rsta.get();
}

const TPixelImage* TacSkinData::GetPassiveShadow()
{
    if (!rsti)
        rsti = std::make_unique<TPixelImage>(CreateShadowImage32(WndShadowColorN, WndShadowRadius, WndShadowOffset,
                                                                 2 * WndShadowSize, 2 * WndShadowSize, 0, false));
    return rsti.get();
}

TPixelView TacSkinData::ImageFrame(const TsMaskData& image, int frame) const
{
    TPixelView source;
    if (image.Bmp) source = image.Bmp->View();
    else if (FOwner && FOwner->MasterImage()) source = FOwner->MasterImage()->View();
    TRect r(image.R.left + frame * image.Width, image.R.top, image.R.left + (frame + 1) * image.Width,
            image.R.top + image.Height);
    return source.Sub(r);
}

namespace {
std::unique_ptr<TPixelImage> CopyOfView(const TPixelView& v)
{
    auto img = std::make_unique<TPixelImage>(v.Width, v.Height);
    for (int y = 0; y < v.Height; ++y)
        for (int x = 0; x < v.Width; ++x) img->At(x, y) = v.At(x, y);
    return img;
}
}  // namespace

void TacSkinData::CheckShadows()
{
    if (!FOwner || !FOwner->SkinIsActive() || !FOwner->ExtendedBordersOn()) {
        FormShadowSize = TRect();
        return;
    }
    if (IsValidImage(ExBorder)) {
        const TsMaskData& image = ma[static_cast<size_t>(ExBorder)];
        if (ExDrawMode != 0) {
            FormShadowSize = TRect(ExContentOffs, ExContentOffs, ExContentOffs, ExContentOffs);
        } else {
            FormShadowSize = TRect(LargerOf(0, image.WL - ExContentOffs), LargerOf(0, image.WT - ExContentOffs),
                                   LargerOf(0, image.WR - ExContentOffs), LargerOf(0, image.WB - ExContentOffs));
        }
        ShdiTemplate = CopyOfView(ImageFrame(image, 0));
        ShdaTemplate = CopyOfView(ImageFrame(image, image.ImageCount > 1 ? 1 : 0));
    } else {
        ShdaTemplate = std::make_unique<TPixelImage>(*GetActiveShadow());
        ShdiTemplate = std::make_unique<TPixelImage>(*GetPassiveShadow());
        FormShadowSize = TRect(WndShadowSize, LargerOf(0, WndShadowSize - WndShadowOffset), WndShadowSize,
                               LargerOf(0, WndShadowSize + WndShadowOffset));
    }
}
