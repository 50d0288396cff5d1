#include "skin/engine/core/skin_info.h"

#include <cstdio>

#include "skin/engine/core/skin_images.h"
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

// A section's integer, climbing PARENTCLASS while absent (a visited section ends the climb).
int Inherited(TCustomIniFile& d, const String& section, const String& key, int def)
{
    String s = section;
    for (int depth = 0; depth < 32 && !s.empty(); ++depth) {
        int v = d.ReadInteger(s, key, -1);
        if (v >= 0) return v;
        String parent = d.ReadString(s, L"PARENTCLASS", String());
        if (parent == s || parent == L"?") break;
        s = parent;
    }
    return def;
}

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

std::unique_ptr<TacLoadedSkin> LoadSkinImages(const TacSkinSource& source, int ppi)
{
    auto skin = std::make_unique<TacLoadedSkin>();
    auto descriptionBytes = source.Description();
    if (!descriptionBytes)
        throw Exception(L"Internal format error in the skin: it holds no description (" +
                        String(SkinDescriptionName) + L").");
    TMemIniFile& d = skin->Description;
    d.SetText(SkinDescriptionText(*descriptionBytes));
    // The master bitmap, its name matched without regard to case.
    String masterName = d.ReadString(L"GLOBALINFO", L"MASTERBITMAP", String());
    std::vector<uint8_t> bytes;
    if (!masterName.empty() && source.ReadFile(masterName, bytes)) skin->Master = DecodeMasterBitmap(masterName, bytes);
    TacImageLoadContext ctx;
    ctx.Description = &d;
    ctx.Master = &skin->Master;
    ctx.ReadFile = [&](const String& name, std::vector<uint8_t>& b) { return source.ReadFile(name, b); };
    ctx.Notes = &skin->Notes;
    ctx.PPI = ppi;
    ctx.ScaleValue = ppi <= 110 ? 0 : ppi <= 134 ? 1 : ppi <= 170 ? 2 : 3;
    LoadAllMasks(ctx, skin->Images, skin->Cache);
    SetImageSizes(skin->Images);
    return skin;
}

String DescribeSkin(const TacSkinSource& source)
{
    std::unique_ptr<TacLoadedSkin> skin = LoadSkinImages(source, 96);
    TMemIniFile& d = skin->Description;
    const TPixelImage& master = skin->Master;
    String masterName = d.ReadString(L"GLOBALINFO", L"MASTERBITMAP", String());
    String out = L"GLOBALINFO\n";
    TStringList keys;
    d.ReadSection(L"GLOBALINFO", keys);
    for (int i = 0; i < keys.Count(); ++i) out += L"  " + keys[i] + L"=" + d.ReadString(L"GLOBALINFO", keys[i], String()) + L"\n";

    TStringList sections;
    d.ReadSections(sections);
    out += L"sections " + IntToStr(sections.Count()) + L"\n";
    for (int i = 0; i < sections.Count(); ++i) {
        const String s = sections[i];
        String parent = d.ReadString(s, L"PARENTCLASS", String());
        out += L"  " + s + L" parent=" + (parent.empty() ? String(L"-") : parent) +
               L" states=" + IntToStr(Inherited(d, s, L"STATES", 3)) +
               L" color=" + ColorText(Inherited(d, s, L"COLOR", 0xFFFFFF)) +
               L" hot=" + ColorText(Inherited(d, s, L"HOTCOLOR", 0xFFFFFF)) +
               L" second=" + ColorText(Inherited(d, s, L"COLOR2", -1)) +
               L" font=" + ColorText(Inherited(d, s, L"FONTCOLOR", 0)) + L"\n";
    }

    out += L"master " + (masterName.empty() ? String(L"-") : masterName) + L" " + IntToStr(master.Width()) + L"x" +
           IntToStr(master.Height()) + L" " + Hex(HashPixels(master.View(), master.Bounds()), 16) + L"\n";

    const std::vector<TsMaskData>& images = skin->Images;
    const std::vector<String>& notes = skin->Notes;
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
