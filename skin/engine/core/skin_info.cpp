#include "skin/engine/core/skin_info.h"

#include <cstdio>

#include "skin/engine/core/palette.h"
#include "skin/graphics/item_paint.h"
#include "vcl/inifiles.h"
#include "vcl/streams.h"

namespace {

const wchar_t* KindName(TacImgType t)
{
    switch (t) {
    case TacImgType::itisaBorder: return L"border";
    case TacImgType::itisaTexture: return L"texture";
    case TacImgType::itisaGlyph: return L"glyph";
    case TacImgType::itisaGlow: return L"glow";
    default: return L"png-glyph";
    }
}

String Hex(uint64_t v, int digits)
{
    return IntToHex(v, digits);
}

String ColorText(int v) { return v < 0 ? String(L"-") : L"#" + Hex(uint32_t(v), 6); }

String RectText(const TRect& r)
{
    return IntToStr(r.left) + L"," + IntToStr(r.top) + L"," + IntToStr(r.right) + L"," + IntToStr(r.bottom);
}

}  // namespace

uint64_t HashPixels(const TPixelView& view, const TRect& r)
{
    uint64_t h = 1469598103934665603ull;
    TRect c = TRect::Intersect(r, view.Bounds());
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x) {
            uint32_t p = view.At(x, y);
            for (int i = 0; i < 4; ++i) {
                h ^= (p >> (8 * i)) & 0xFF;
                h *= 1099511628211ull;
            }
        }
    return h;
}

TacSkinSource OpenPackedSkinFile(const String& fileName)
{
    if (!FileExists(fileName)) throw Exception(L"The skin " + fileName + L" does not exist.");
    std::vector<uint8_t> bytes = ReadFileBytes(fileName);
    bool notPacked = false;
    TacSkinSource source = TacSkinSource::FromPacked(bytes.data(), bytes.size(), &notPacked);
    if (notPacked) throw Exception(NotPackedSkinText);
    return source;
}

TacStandaloneSkin::TacStandaloneSkin(const TacSkinSource& source, int ppi) : FSource(source), FStep(ScaleStepOfPpi(ppi))
{
    auto descriptionBytes = source.Description();
    if (!descriptionBytes)
        throw Exception(L"Internal format error in the skin: it holds no description (" +
                        String(SkinDescriptionName) + L").");
    FInfo.OptionsDat.SetText(SkinDescriptionText(*descriptionBytes));
    ReadGlobalInfo(FInfo.OptionsDat, FInfo);
    // The master bitmap, its name matched without regard to case.
    String masterName = FInfo.OptionsDat.ReadString(L"GLOBALINFO", L"MASTERBITMAP", String());
    std::vector<uint8_t> bytes;
    if (!masterName.empty() && source.ReadFile(masterName, bytes)) FMaster = DecodeMasterBitmap(masterName, bytes);
    FData = std::make_unique<TacSkinData>(this, ppi);
    FData->Init();
}

TacStandaloneSkin::~TacStandaloneSkin() = default;

TColor TacStandaloneSkin::SystemColor(int index) const
{
    // Stand-ins of the classic system colours: light surfaces, black text, blue highlight.
    switch (index) {
    case acCOLOR_HIGHLIGHT: return 0xD77800;
    case acCOLOR_HIGHLIGHTTEXT: return 0xFFFFFF;
    case acCOLOR_BTNFACE: return 0xF0F0F0;
    default: return index == 5 ? 0xFFFFFF : 0;
    }
}

void TacStandaloneSkin::InitSkinParams()
{
    BuildPalette(FPalette, FInfo.OptionsDat, FData.get(), [this](int i) { return SystemColor(i); });
}

void TacStandaloneSkin::ReloadSkin(int, TacSkinData& data) { data.LoadFromDescription(); }

String DescribeSkin(const TacSkinSource& source)
{
    TacStandaloneSkin skin(source, 96);
    TacSkinDescription& d = skin.SkinDescription();
    TacSkinData& data = skin.Data();
    const TPixelImage& master = skin.Master();
    String masterName = d.ReadString(L"GLOBALINFO", L"MASTERBITMAP", String());
    String out = L"GLOBALINFO\n";
    TStringList keys;
    d.ReadSection(L"GLOBALINFO", keys);
    for (int i = 0; i < keys.Count(); ++i) out += L"  " + keys[i] + L"=" + d.ReadString(L"GLOBALINFO", keys[i], String()) + L"\n";

    out += L"sections " + IntToStr(int64_t(data.gd.size())) + L"\n";
    for (const TsGeneralData& g : data.gd) {
        out += L"  " + g.ClassName + L" parent=" + (g.ParentClass.empty() ? String(L"-") : g.ParentClass) +
               L" states=" + IntToStr(g.States) + L" border=" + IntToStr(g.BorderIndex) + L" outer=" +
               IntToStr(g.OuterMode) + L"/" + IntToStr(g.OuterMask);
        for (int k = 0; k < 3; ++k)
            out += L" s" + IntToStr(k) + L"=" + ColorText(g.Props[size_t(k)].Color) + L"/" +
                   ColorText(g.Props[size_t(k)].FontColor.Color);
        out += L"\n";
    }

    out += L"master " + (masterName.empty() ? String(L"-") : masterName) + L" " + IntToStr(master.Width()) + L"x" +
           IntToStr(master.Height()) + L" " + Hex(HashPixels(master.View(), master.Bounds()), 16) + L"\n";

    const std::vector<TsMaskData>& images = data.ma;
    const std::vector<String>& notes = data.Notes;
    out += L"images " + IntToStr(int64_t(images.size())) + L"\n";
    for (const TsMaskData& m : images) {
        TPixelView view = m.Bmp ? m.Bmp->View() : master.View();
        out += L"  [" + m.ClassName + L"] " + m.PropertyName + L" \"" + d.ReadString(m.ClassName, m.PropertyName, String()) +
               L"\" " + KindName(m.ImgType) + L" " + (m.Bmp ? L"own" : L"master") + L" rect=" + RectText(m.R) +
               L" frames=" + IntToStr(m.ImageCount) + L" parts=" + IntToStr(m.MaskType + 1) +
               L" mode=" + IntToStr(m.DrawMode) + L" frame=" + IntToStr(m.Width) + L"x" + IntToStr(m.Height) +
               L" widths=" + IntToStr(m.WL) + L"," + IntToStr(m.WT) + L"," + IntToStr(m.WR) + L"," + IntToStr(m.WB) +
               L" cfg=" + IntToStr(m.Cfg) + L" " + Hex(HashPixels(view, m.R), 16) + L"\n";
    }
    if (!notes.empty()) {
        out += L"notes\n";
        for (const String& n : notes) out += L"  " + n + L"\n";
    }
    return out;
}

// ---- painting from a standalone skin ----------------------------------------------------------

namespace {
TacStandaloneSkin* PaintingSkin = nullptr;

const TacSkinPaintSource* ResolveStandalone(const TsSkinManager* manager)
{
    if (!PaintingSkin) return nullptr;
    return manager == nullptr || manager == PaintingSkin->ImageManager() ? &PaintingSkin->Data() : nullptr;
}
}  // namespace

TacStandalonePaintScope::TacStandalonePaintScope(TacStandaloneSkin& skin)
    : FPrevious(PaintSourceResolver), FPreviousSkin(PaintingSkin)
{
    PaintingSkin = &skin;
    SetPaintSourceResolver(&ResolveStandalone);
}

TacStandalonePaintScope::~TacStandalonePaintScope()
{
    PaintingSkin = FPreviousSkin;
    SetPaintSourceResolver(FPrevious);
}

TPixelImage RenderSkinSection(const TacSkinSource& source, const String& section, int state, int width, int height)
{
    if (width <= 0 || height <= 0)
        throw Exception(L"The size " + IntToStr(width) + L" x " + IntToStr(height) + L" is not a control's size.");
    TacStandaloneSkin skin(source, 96);
    int index = skin.Data().SkinIndexOf(section);
    if (index < 0) index = skin.Data().SkinIndexOf(UpperCase(section));
    if (index < 0) throw Exception(L"The skin has no section \"" + section + L"\".");
    TacStandalonePaintScope scope(skin);
    return RenderSectionFrame(skin.Data(), index, state, width, height);
}
