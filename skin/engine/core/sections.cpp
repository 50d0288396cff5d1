// Sections of a skin data object: reading them with PARENTCLASS inheritance, the sections of
// the manager's common text, the constant section indexes with their fallbacks, and the image
// lookups by section.
#include <unordered_set>

#include "skin/engine/core/general.h"
#include "skin/engine/core/geometry.h"
#include "skin/engine/core/skin_data.h"
#include "skin/graphics/gradients.h"

namespace {

const String GlobalInfo = L"GLOBALINFO";
const String ParentKey = L"PARENTCLASS";

// The keys of one state field in the normal, hot and second active state.
struct TStateKeys {
    const wchar_t* key[3];
};
constexpr TStateKeys KeyColor{{L"COLOR", L"HOTCOLOR", L"COLOR2"}};
constexpr TStateKeys KeyFontColor{{L"FONTCOLOR", L"HOTFONTCOLOR", L"FONTCOLOR2"}};
constexpr TStateKeys KeyTCLeft{{L"TCLEFT", L"HOTTCLEFT", L"TCLEFT2"}};
constexpr TStateKeys KeyTCTop{{L"TCTOP", L"HOTTCTOP", L"TCTOP2"}};
constexpr TStateKeys KeyTCRight{{L"TCRIGHT", L"HOTTCRIGHT", L"TCRIGHT2"}};
constexpr TStateKeys KeyTCBottom{{L"TCBOTTOM", L"HOTTCBOTTOM", L"TCBOTTOM2"}};
constexpr TStateKeys KeyGlowColor{{L"GCOL", L"HGCOL", L"GCOL2"}};
constexpr TStateKeys KeyGlowSize{{L"GSIZE", L"HGSIZE", L"GSIZE2"}};
constexpr TStateKeys KeyGradientPercent{{L"GRADIENTPERCENT", L"HOTGRADIENTPERCENT", L"GRADIENTPERCENT2"}};
constexpr TStateKeys KeyGradientData{{L"GRADIENTDATA", L"HOTGRADIENTDATA", L"GRADIENTDATA2"}};
constexpr TStateKeys KeyImagePercent{{L"IMAGEPERCENT", L"HOTIMAGEPERCENT", L"IMAGEPERCENT2"}};
constexpr TStateKeys KeyTransparency{{L"TRANSPARENCY", L"HOTTRANSPARENCY", L"TRANSPARENCY2"}};

// The climb along PARENTCLASS: the next section to look in, or empty when the climb ends. The
// INI reader finds sections without regard to case, so sections already visited are known by
// their upper-case names; that cuts a parent naming itself in any spelling and longer cycles.
class TParentClimb {
public:
    explicit TParentClimb(const String& section) { FVisited.insert(UpperCase(section)); }
    String Next(TacSkinDescription& d, const String& current)
    {
        String parent = d.ReadString(current, ParentKey, String());
        if (parent.empty() || parent == L"?" || parent == current) return String();
        if (!FVisited.insert(UpperCase(parent)).second) return String();
        return parent;
    }

private:
    std::unordered_set<String> FVisited;
};

int ReadIntOf(TacSkinDescription& d, const String& section, const String& key, int def)
{
    const String* text = d.Find(section, key);
    int v;
    return text && TryStrToInt(Trim(*text), v) ? v : def;
}

// A gradient text shorter than four characters keeps the default stops; of one that cannot be
// read the stops before the unreadable field are kept, and the load goes on.
void GradientFromText(const String& text, const TsGradArray& def, TsGradArray& out)
{
    if (text.size() < 4) out = def;
    else ParseGradientString(text, out);
}

}  // namespace

int ReadIntInherited(TacSkinDescription& d, const String& section, const String& key, int def, bool raw, int max)
{
    int v = ReadIntOf(d, section, key, -1);
    TParentClimb climb(section);
    for (String cur = section; v < 0;) {
        cur = climb.Next(d, cur);
        if (cur.empty()) break;
        v = ReadIntOf(d, cur, key, -1);
    }
    if (!raw && v < 0) v = def;
    return v < max ? v : max;
}

String ReadStrInherited(TacSkinDescription& d, const String& section, const String& key, const String& def)
{
    TParentClimb climb(section);
    for (String cur = section; !cur.empty(); cur = climb.Next(d, cur))
        if (const String* v = d.Find(cur, key)) return *v;
    return def;
}

bool ReadBoolInherited(TacSkinDescription& d, const String& section, const String& key, bool def)
{
    TParentClimb climb(section);
    for (String cur = section; !cur.empty(); cur = climb.Next(d, cur))
        if (const String* v = d.Find(cur, key)) return *v == L"TRUE" || *v == L"1";
    return def;
}

TsGenState ReadGenState(TacSkinDescription& d, const String& s, int k, const TsGenState& defaults)
{
    auto rd = [&](const TStateKeys& keys, int def) { return ReadIntInherited(d, s, keys.key[k], def, false); };
    TsGenState st;
    st.Color = rd(KeyColor, defaults.Color);
    st.FontColor.Color = rd(KeyFontColor, defaults.FontColor.Color);
    st.FontColor.Left = rd(KeyTCLeft, defaults.FontColor.Left);
    st.FontColor.Top = rd(KeyTCTop, defaults.FontColor.Top);
    st.FontColor.Right = rd(KeyTCRight, defaults.FontColor.Right);
    st.FontColor.Bottom = rd(KeyTCBottom, defaults.FontColor.Bottom);
    st.GlowColor = rd(KeyGlowColor, defaults.GlowColor);
    st.GlowSize = rd(KeyGlowSize, defaults.GlowSize);
    st.GradientPercent = rd(KeyGradientPercent, defaults.GradientPercent);
    GradientFromText(ReadStrInherited(d, s, KeyGradientData.key[k], L" "), defaults.GradientArray, st.GradientArray);
    st.ImagePercent = rd(KeyImagePercent, defaults.ImagePercent);
    st.Transparency = rd(KeyTransparency, defaults.Transparency);
    st.TextureIndex = defaults.TextureIndex;
    return st;
}

void CopyGenState(TsGenState& dest, const TsGenState& source) { dest = source; }

// ---- sections of the description -------------------------------------------------------------------

void TacSkinData::LoadAllGeneralData()
{
    gd.clear();
    if (!FOwner) return;
    TacSkinDescription& d = FOwner->SkinDescription();
    TabsCovering = static_cast<uint8_t>(ClampInt(d.ReadInteger(L"TABTOP", L"TABSCOVERING", 0), 0, 255));
    RibbonCovering = static_cast<uint8_t>(ClampInt(d.ReadInteger(L"RIBBONTAB", L"TABSCOVERING", 0), 0, 255));

    const TsGenState defaultState;
    gd.reserve(static_cast<size_t>(d.SectionCount()) + 16);
    for (int i = 0; i < d.SectionCount(); ++i) {
        const String s = d.SectionName(i);
        auto rd = [&](const wchar_t* key, int def, int max = INT32_MAX) { return ReadIntInherited(d, s, key, def, false, max); };
        TsGeneralData g;
        g.ClassName = s;
        g.ParentClass = d.ReadString(s, ParentKey, String());
        g.ReservedBoolean = ReadBoolInherited(d, s, L"RESERVEDBOOLEAN", false);
        g.GiveOwnFont = ReadBoolInherited(d, s, L"GIVEOWNFONT", false);
        g.ShiftOnClick = ReadBoolInherited(d, s, L"SHIFTCLICK", false);
        g.GlowCount = rd(L"GLOW", 0, 255);
        g.GlowMargin = rd(L"GLOWMARGIN", 0, 255);
        if (!ma.empty()) g.GlowMargin = (g.GlowMargin * FPPI + 48) / 96;
        g.States = rd(L"STATES", 3, 255);
        g.OuterOffset = TRect(FOwner->ScaleInt(ReadIntInherited(d, s, L"OUTOFFSL", -1, true, 255)),
                              FOwner->ScaleInt(ReadIntInherited(d, s, L"OUTOFFST", -1, true, 255)),
                              FOwner->ScaleInt(ReadIntInherited(d, s, L"OUTOFFSR", -1, true, 255)),
                              FOwner->ScaleInt(ReadIntInherited(d, s, L"OUTOFFSB", -1, true, 255)));
        g.OuterOpacity = rd(L"OUTOPACITY", 200, 255);
        g.OuterMode = rd(L"OUTERMODE", 2);
        g.OuterBlur = FOwner->ScaleInt(rd(L"OUTBLUR", 9, 30));
        g.OuterRadius = FOwner->ScaleInt(rd(L"OUTRADIUS", 9, 30));
        g.OuterColorL = rd(L"OUTCOLL", 0);
        g.OuterColorT = rd(L"OUTCOLT", 0);
        g.OuterColorR = rd(L"OUTCOLR", 0);
        g.OuterColorB = rd(L"OUTCOLB", 0);
        g.ImgTL = g.ImgTR = g.ImgBL = g.ImgBR = -1;
        // The hot and second states default to the constant default state, not to state 0.
        g.Props[0] = ReadGenState(d, s, 0, defaultState);
        g.Props[1] = g.States < 2 ? g.Props[0] : ReadGenState(d, s, 1, defaultState);
        g.UseState2 = rd(L"USESTATE2", 0) == 1;
        g.Props[2] = g.UseState2 ? ReadGenState(d, s, 2, defaultState) : g.Props[1];
        gd.push_back(std::move(g));
    }

    if (const TStrings* common = FOwner->CommonSectionLines(); common && common->Count() > 0) LoadCommonSections(*common);

    TacPalette& palette = FOwner->PaletteColors();
    if (SkinIndexOf(L"TRANSPARENT") < 0) AddSection(L"TRANSPARENT", -1, 0xFFFFFF, 100, palette[pcLabelText], 1);
    if (SkinIndexOf(L"MAINCOLOR") < 0) AddSection(L"MAINCOLOR", -1, palette[pcMainColor], 0, palette[pcLabelText], 1);

    ReadGlobalMetrics();
    LoadOuterEffects();
}

void TacSkinData::LoadCommonSections(const TStrings& lines)
{
    TacSkinDescription& d = FOwner->SkinDescription();
    TStringList sections;
    ParseSectionedText(lines, sections);
    // Numbers of the common text may be hexadecimal after "0x"; a negative one counts as absent.
    auto readInt = [&](const String& c, const wchar_t* key, int def) {
        int v = ReadSectionInt(sections, c, key, -1);
        return v < 0 ? def : v;
    };
    auto readBool = [&](const String& c, const wchar_t* key, bool def) {
        String v = UpperCase(ReadSectionValue(sections, c, key, String()));
        if (v.empty()) return def;
        return v == L"1" || v == L"TRUE";
    };
    auto readState = [&](const String& c, int k, const TsGenState& base) {
        TsGenState st = base;
        st.Color = readInt(c, KeyColor.key[k], base.Color);
        st.FontColor.Color = readInt(c, KeyFontColor.key[k], base.FontColor.Color);
        st.FontColor.Left = readInt(c, KeyTCLeft.key[k], base.FontColor.Left);
        st.FontColor.Top = readInt(c, KeyTCTop.key[k], base.FontColor.Top);
        st.FontColor.Right = readInt(c, KeyTCRight.key[k], base.FontColor.Right);
        st.FontColor.Bottom = readInt(c, KeyTCBottom.key[k], base.FontColor.Bottom);
        st.GlowColor = readInt(c, KeyGlowColor.key[k], base.GlowColor);
        st.GlowSize = readInt(c, KeyGlowSize.key[k], base.GlowSize);
        st.GradientPercent = readInt(c, KeyGradientPercent.key[k], base.GradientPercent);
        GradientFromText(ReadSectionValue(sections, c, KeyGradientData.key[k], L" "), base.GradientArray,
                         st.GradientArray);
        st.ImagePercent = readInt(c, KeyImagePercent.key[k], base.ImagePercent);
        st.Transparency = readInt(c, KeyTransparency.key[k], base.Transparency);
        return st;
    };

    for (int i = 0; i < sections.Count(); ++i) {
        const String c = sections.Get(i);
        if (SkinIndexOf(c) >= 0) continue;
        String parent = UpperCase(ReadSectionValue(sections, c, ParentKey, L"-1"));
        // The base: the first section whose upper-case name is the parent, else the default.
        TsGeneralData base;
        base.OuterMode = 0;
        for (const TsGeneralData& g : gd)
            if (UpperCase(g.ClassName) == parent) {
                base = g;
                break;
            }
        TsGeneralData a = base;
        a.ClassName = c;
        a.ParentClass = parent;
        a.BorderIndex = 0;
        a.ImgTL = a.ImgTR = a.ImgBL = a.ImgBR = -1;
        a.States = ClampInt(readInt(c, L"STATES", base.States), 0, 255);
        a.Props[0] = readState(c, 0, base.Props[0]);
        a.Props[1] = a.States > 1 ? readState(c, 1, base.Props[1]) : a.Props[0];
        if (!ReadSectionValue(sections, c, L"USESTATE2", String()).empty())
            a.UseState2 = ReadSectionInt(sections, c, L"USESTATE2", 0) == 1;
        else
            a.UseState2 = ReadIntInherited(d, parent, L"USESTATE2", -1, false) == 1;
        a.Props[2] = a.UseState2 ? readState(c, 2, base.Props[2]) : a.Props[1];
        a.ReservedBoolean = readBool(c, L"RESERVEDBOOLEAN", base.ReservedBoolean);
        a.GiveOwnFont = readBool(c, L"GIVEOWNFONT", base.GiveOwnFont);
        a.GlowCount = ClampInt(readInt(c, L"GLOW", base.GlowCount), 0, 255);
        a.GlowMargin = ClampInt(readInt(c, L"GLOWMARGIN", base.GlowMargin), 0, 255);
        String border = ReadSectionValue(sections, c, L"BORDERSMASK", String());
        if (!border.empty() && border.size() < 5) a.BorderIndex = -2;   // "N/A": no border image
        gd.push_back(std::move(a));
    }
}

int TacSkinData::AddSection(const String& name, int parentIndex, TColor color, int transparency, TColor fontColor, int states)
{
    TsGeneralData g;
    if (IsValidSection(parentIndex)) {
        g = gd[static_cast<size_t>(parentIndex)];
    } else {
        // An empty section with the colours given.
        g.OuterMode = 0;
        g.OuterOpacity = 0;
        g.OuterOffset = TRect();
        g.OuterBlur = g.OuterRadius = 0;
        g.States = states;
        for (TsGenState& st : g.Props) {
            st = TsGenState();
            st.GlowColor = 0;
            st.Transparency = transparency;
            st.Color = color;
            st.FontColor = TsFontColor();
            st.FontColor.Color = fontColor;
        }
    }
    g.ClassName = name;
    g.ParentClass.clear();
    gd.push_back(std::move(g));
    return static_cast<int>(gd.size()) - 1;
}

// ---- lookups ------------------------------------------------------------------------------------------

int TacSkinData::SkinIndexOf(const String& name) const
{
    if (name.empty()) return -1;
    for (size_t i = 0; i < gd.size(); ++i)
        if (gd[i].ClassName == name) return static_cast<int>(i);
    return -1;
}

namespace {
// Sections visited on one climb, so a parent cycle ends.
class TIndexClimb {
public:
    bool Enter(int index) { return FSeen.insert(index).second; }

private:
    std::unordered_set<int> FSeen;
};
}  // namespace

int TacSkinData::MaskIndexOf(int skinIndex, const String& propName) const
{
    TIndexClimb climb;
    while (skinIndex >= 0 && climb.Enter(skinIndex)) {
        for (size_t i = 0; i < ma.size(); ++i)
            if (ma[i].SkinIndex == skinIndex && ma[i].PropertyName == propName) return static_cast<int>(i);
        if (!IsValidSection(skinIndex)) break;
        const String& parent = gd[static_cast<size_t>(skinIndex)].ParentClass;
        if (parent.empty()) break;
        skinIndex = SkinIndexOf(parent);
    }
    return -1;
}

int TacSkinData::MaskIndexOf(const String& sectionName, const String& propName) const
{
    if (sectionName.empty()) return -1;
    for (size_t i = 0; i < ma.size(); ++i)
        if (ma[i].ClassName == sectionName && ma[i].PropertyName == propName) return static_cast<int>(i);
    return -1;
}

int TacSkinData::MaskIndexOf(int skinIndex, const String& sectionName, const String& propName) const
{
    TIndexClimb climb;
    String name = sectionName;
    while (skinIndex >= 0 && climb.Enter(skinIndex)) {
        for (size_t i = 0; i < ma.size(); ++i)
            if (ma[i].SkinIndex == skinIndex && ma[i].PropertyName == propName) return static_cast<int>(i);
        if (!IsValidSection(skinIndex)) break;
        const String& parent = gd[static_cast<size_t>(skinIndex)].ParentClass;
        if (parent.empty() || parent == name) break;
        name = parent;
        skinIndex = SkinIndexOf(parent);
    }
    return -1;
}

int TacSkinData::TextureIndexOf(int skinIndex, const String& propName) const
{
    if (ma.empty()) return -1;
    TIndexClimb climb;
    while (skinIndex >= 0 && climb.Enter(skinIndex)) {
        for (size_t i = 0; i < ma.size(); ++i)
            if (ma[i].SkinIndex == skinIndex && ma[i].ImgType == TacImgType::itisaTexture && ma[i].PropertyName == propName)
                return static_cast<int>(i);
        if (!IsValidSection(skinIndex)) break;
        const String& parent = gd[static_cast<size_t>(skinIndex)].ParentClass;
        if (parent.empty()) break;
        skinIndex = SkinIndexOf(parent);
    }
    return -1;
}

int TacSkinData::TextureIndexOf(int skinIndex, const String& sectionName, const String& propName) const
{
    TIndexClimb climb;
    String name = sectionName;
    while (climb.Enter(skinIndex)) {
        for (size_t i = 0; i < ma.size(); ++i)
            if (ma[i].ImgType == TacImgType::itisaTexture && ma[i].ClassName == name && ma[i].PropertyName == propName)
                return static_cast<int>(i);
        if (!IsValidSection(skinIndex)) break;
        const String& parent = gd[static_cast<size_t>(skinIndex)].ParentClass;
        if (parent.empty() || parent == name) break;
        name = parent;
        skinIndex = SkinIndexOf(parent);
    }
    return -1;
}

// ---- constant indexes -------------------------------------------------------------------------------

const wchar_t* const TitleGlyphNames[acTitleGlyphCount] = {
    L"BICLOSEALONE", L"BICONCLOSE", L"BICONMAX", L"BICONMIN", L"BICONNORM", L"BICONHELP", L"SICONCLOSE",
    L"SICONMAX", L"SICONMIN", L"SICONNORM", L"SICONHELP", L"TITLEBUTTON", L""};

TacSection FallbackSection(TacSection s)
{
    switch (s) {
    case ssMenuCaption: return ssToolBar;
    case ssDialogTitle: return ssFormTitle;
    case ssMenuButton: return ssSpeedButton;
    case ssTBBtn: return ssToolButton;
    case ssTBTab: return ssTabTop;
    case ssColHeader: return ssButton;
    case ssColHeaderA: case ssColHeaderL: case ssColHeaderR: return ssColHeader;
    case ssSlider_Off: case ssSlider_On: return ssPanelLow;
    default: return s;
    }
}

TacConstElementData TacSkinData::FillConstElement(const String& name1, const String& name2, const String& name3) const
{
    TacConstElementData e;
    for (const String* name : {&name1, &name2, &name3}) {
        if (name->empty()) break;
        e.SkinSection = *name;
        e.SkinIndex = SkinIndexOf(*name);
        if (e.SkinIndex >= 0) break;
    }
    e.MaskIndex = MaskIndexOf(e.SkinIndex, e.SkinSection, L"BORDERSMASK");
    e.GlyphIndex = MaskIndexOf(e.SkinIndex, L"GLYPHMASK");
    e.BGIndex[0] = MaskIndexOf(e.SkinIndex, e.SkinSection, L"PATTERN");
    e.BGIndex[1] = MaskIndexOf(e.SkinIndex, e.SkinSection, L"HOTPATTERN");
    return e;
}

TacTrackBarData TacSkinData::FillTrackBar(bool horizontal) const
{
    TacTrackBarData t;
    t.SkinIndex = SkinIndexOf(L"TRACKBAR");
    t.MaskIndex = MaskIndexOf(t.SkinIndex, L"BORDERSMASK");
    t.ProgIndex = MaskIndexOf(t.SkinIndex, horizontal ? L"PROGHORZ" : L"PROGVERT");
    t.TickIndex = MaskIndexOf(t.SkinIndex, horizontal ? L"TICKHORZ" : L"TICKVERT");
    t.ChannelIndex = MaskIndexOf(t.SkinIndex, L"SLIDERCHANNEL");
    t.SliderIndex = horizontal ? -1 : MaskIndexOf(t.SkinIndex, L"SLIDERVMASK");
    if (t.SliderIndex < 0) t.SliderIndex = MaskIndexOf(t.SkinIndex, L"SLIDERMASK");
    t.BGIndex[0] = MaskIndexOf(t.SkinIndex, L"PATTERN");
    t.BGIndex[1] = MaskIndexOf(t.SkinIndex, L"HOTPATTERN");
    return t;
}

void TacSkinData::InitConstantIndexes()
{
    if (!FOwner) return;
    TacSkinCommonInfo& info = FOwner->CommonInfo();
    info.IndexGlobalInfo = SkinIndexOf(GlobalInfo);
    for (int s = 0; s < acSectionCount; ++s) info.Sections[static_cast<size_t>(s)] = SkinIndexOf(SectionNames[s]);
    for (int s = ssMenuCaption; s <= ssSlider_On; ++s) {
        auto& slot = info.Sections[static_cast<size_t>(s)];
        if (slot >= 0) continue;
        TacSection f = FallbackSection(static_cast<TacSection>(s));
        slot = info.Sections[f];
        if (f != s) AddSection(SectionNames[s], info.Sections[f], -1, -1, -1, -1);
    }

    const int gi = info.IndexGlobalInfo;
    auto globalImage = [&](const wchar_t* key) { return MaskIndexOf(gi, GlobalInfo, key); };
    CheckBox = {globalImage(L"BOXUNCHECKED"), globalImage(L"BOXCHECKED"), globalImage(L"BOXGRAYED")};
    SmallCheckBox = {globalImage(L"SMALLUNCHECKED"), globalImage(L"SMALLCHECKED"), globalImage(L"SMALLGRAYED")};
    RadioButton = {globalImage(L"RADIOUNCHECKED"), globalImage(L"RADIOCHECKED")};
    ExBorder = globalImage(L"EXBORDER");
    GripRightBottom = globalImage(L"GRIPIMAGE");
    GripHorizontal = globalImage(L"GRIPHORZ");
    GripVertical = globalImage(L"GRIPVERT");

    MenuItem = FillConstElement(L"MENUITEM");
    ComboBtn = FillConstElement(L"COMBOBTN");
    ComboBtn.GlyphIndex = MaskIndexOf(String(L"COMBOBOX"), String(L"GLYPHMASK"));

    static const wchar_t* const TabNames[4][4] = {
        {L"TABLEFTFIRST", L"TABTOPFIRST", L"TABRIGHTFIRST", L"TABBOTTOMFIRST"},
        {L"TABLEFTLAST", L"TABTOPLAST", L"TABRIGHTLAST", L"TABBOTTOMLAST"},
        {L"TABLEFTMIDDLE", L"TABTOPMIDDLE", L"TABRIGHTMIDDLE", L"TABBOTTOMMIDDLE"},
        {L"TABLEFT", L"TABTOP", L"TABRIGHT", L"TABBOTTOM"}};
    for (size_t l = 0; l < 4; ++l)
        for (size_t s = 0; s < 4; ++s) Tabs[l][s] = FillConstElement(TabNames[l][s]);

    Sliders[0] = FillConstElement(L"SCROLLSLIDERH");
    TrackBar[0] = FillTrackBar(false);
    Sliders[1] = FillConstElement(L"SCROLLSLIDERV");
    TrackBar[1] = FillTrackBar(true);

    static const wchar_t* const ScrollBtnNames[4] = {L"SCROLLBTNLEFT", L"SCROLLBTNTOP", L"SCROLLBTNRIGHT", L"SCROLLBTNBOTTOM"};
    static const wchar_t* const ScrollNames[4] = {L"SCROLLBAR1H", L"SCROLLBAR1V", L"SCROLLBAR2H", L"SCROLLBAR2V"};
    static const wchar_t* const UpDownNames[4] = {L"UPDOWNBTN_LEFT", L"UPDOWNBTN_TOP", L"UPDOWNBTNRIGHT", L"UPDOWNBTN_BOTTOM"};
    for (size_t i = 0; i < 4; ++i) {
        ScrollBtns[i] = FillConstElement(ScrollBtnNames[i]);
        Scrolls[i] = FillConstElement(ScrollNames[i]);
        UpDownBtns[i] = FillConstElement(UpDownNames[i], L"UPDOWNBTN", L"BUTTON");
    }

    for (int g = 0; g < acTitleGlyphCount; ++g)
        TitleGlyphs[static_cast<size_t>(g)] = g == tgNone ? -1 : globalImage(TitleGlyphNames[g]);
    if (TitleGlyphs[tgCloseAlone] < 0) TitleGlyphs[tgCloseAlone] = TitleGlyphs[tgClose];
    for (int g = tgSmallClose; g <= tgSmallHelp; ++g)
        if (TitleGlyphs[static_cast<size_t>(g)] < 0) TitleGlyphs[static_cast<size_t>(g)] = TitleGlyphs[static_cast<size_t>(g - 5)];

    for (size_t g = 0; g < 5; ++g)
        for (size_t k = 0; k < TitleGlows[g].size(); ++k)
            TitleGlows[g][k] = MaskIndexOf(gi, String(TitleGlyphNames[g]) + L"GLOW" + IntToStr(static_cast<int64_t>(k)));
    if (TitleGlyphs[tgCloseAlone] == TitleGlyphs[tgClose]) {
        GlowMargins[0] = GlowMargins[1];
        TitleGlows[0] = TitleGlows[1];
    }
}

void TacSkinData::InitMaskIndexes()
{
    if (!FOwner) return;
    const int gi = FOwner->CommonInfo().IndexGlobalInfo;
    for (size_t i = 0; i < gd.size(); ++i) {
        const int si = static_cast<int>(i);
        if (si == gi) continue;
        TsGeneralData& g = gd[i];
        if (g.BorderIndex == 0) g.BorderIndex = MaskIndexOf(si, L"BORDERSMASK");
        g.ImgTL = MaskIndexOf(si, L"IMGTOPLEFT");
        g.ImgTR = MaskIndexOf(si, L"IMGTOPRIGHT");
        g.ImgBL = MaskIndexOf(si, L"IMGBTMLEFT");
        g.ImgBR = MaskIndexOf(si, L"IMGBTMRIGHT");
        // Modes 1 to 4 take the skin's outer image; a mode without meaning has none.
        g.OuterMask = g.OuterMode >= 1 && g.OuterMode <= 4 ? MaskIndexOf(si, L"OUTERMASK") : -1;
        if (g.OuterMask < 0 && (g.OuterMode == 3 || g.OuterMode == 4)) {
            TacOuterContext ctx = OuterContext();
            g.OuterMask = BuildSectionOuterMask(ctx, si, g);
        }
        g.Props[0].TextureIndex = TextureIndexOf(si, g.ClassName, L"PATTERN");
        // A state copied from another (one state only) has that state's texture.
        g.Props[1].TextureIndex = g.States > 1 ? TextureIndexOf(si, g.ClassName, L"HOTPATTERN") : g.Props[0].TextureIndex;
        if (g.States > 2 && g.UseState2) g.Props[2].TextureIndex = TextureIndexOf(si, g.ClassName, L"PATTERN2");
        else g.Props[2].TextureIndex = g.Props[1].TextureIndex;
        if (!IsValidImage(g.BorderIndex)) {
            g.ScrollBorderOffset = -2;
        } else {
            const TsMaskData& b = ma[static_cast<size_t>(g.BorderIndex)];
            bool thin = b.WL == 1 && b.WT == 1 && b.WR == 1 && b.WB == 1;
            g.ScrollBorderOffset = (g.ClassName == L"EDIT" || g.ClassName == L"ALPHAEDIT") && thin ? -1 : 0;
        }
    }
    // The frame sizes of every image, the generated ones included.
    SetImageSizes(ma);
}
