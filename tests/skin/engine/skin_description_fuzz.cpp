// Fuzz target of skin loading: an Options.dat text and a CommonSections text, built from the
// tokens a skin description is made of, are loaded into a data object at one of the four
// PPIs. A load ends (parent cycles included) either with an error naming what is wrong or with
// sections, constant indexes and metrics within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "skin/engine/core/skin_scaling.h"
#include "tests/skin/engine/fake_skin_owner.h"

namespace {

const wchar_t* const Tokens[] = {
    L"[", L"]", L"=", L"\n", L"\n", L"\n", L";", L" ", L"[A]\n", L"[B]\n", L"[C]\n", L"[a]\n", L"[GLOBALINFO]\n",
    L"[EDIT]\n", L"[SELECTION]\n", L"[MENUITEM]\n", L"[BUTTON]\n", L"[COLHEADER]\n", L"[TRANSPARENT]\n", L"[HINT]\n",
    L"PARENTCLASS=", L"A", L"B", L"C", L"a", L"?", L"COLOR=", L"HOTCOLOR=", L"COLOR2=", L"FONTCOLOR=", L"TCLEFT=",
    L"STATES=", L"USESTATE2=", L"GLOW=", L"GLOWMARGIN=", L"OUTOFFSL=", L"OUTBLUR=", L"OUTERMODE=", L"GRADIENTDATA=",
    L"HOTGRADIENTDATA=", L"BORDERSMASK=", L"N/A", L"SHIFTCLICK=", L"TRUE", L"WSHSIZE=", L"WSHSIZE*150=", L"WSHRAD=",
    L"WSHOFFS=", L"WSHOFFS*200=", L"BICONCLOSEGLOW=", L"BICONCLOSEGLOWMARGIN=", L"TITLEHEIGHT=", L"MAXHEIGHT=",
    L"BORDERWIDTH=", L"COMBOMARGIN=", L"BTNCOLOR1ACTIVE=", L"GRIDLINE=", L"VERSION=", L"TABSCOVERING=", L"0", L"1",
    L"-1", L"2", L"3", L"255", L"256", L"-255", L"30000", L"2147483647", L"-2147483648", L"99999999999", L"0x1F",
    L"$FF", L"x", L"14.5", L";", L"1;2;3;A", L"255;0;50;0;0;0", L"1;x;3;0",
    // Per-PPI variants of image keys, and image values to cut out at each PPI.
    L"BORDERSMASK*125=", L"BORDERSMASK*150=", L"BORDERSMASK*200=", L"GLOW*125=", L"GLOW*150=", L"GLOW*200=", L"*125",
    L"*150", L"*200", L"^0000^0000^0030^0020^0002^0002^0002^0002^3^1^0", L"^9999^9999^0001^0001^0^0^0^0^0^9^99",
    L"~0010~0020~0030~0040~12~1", L"@0184@0001@0229@0014@0@0", L"!G.PNG!0!1!3", L"&0001", L"^", L"~", L"!",
};
constexpr size_t TokenCount = sizeof(Tokens) / sizeof(Tokens[0]);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 2048) return 0;
    static const int ppis[4] = {96, 120, 144, 192};
    const int ppi = ppis[data[0] & 3];
    TFakeSkinOwner o;
    o.ExtBorders = (data[0] & 4) != 0;
    o.Step = (data[0] >> 3) & 3;
    String text, common;
    String* out = &text;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0xFF) {
            out = &common;
            continue;
        }
        *out += Tokens[data[i] % TokenCount];
    }
    o.Common.SetText(common);
    TacSkinData* d = nullptr;
    try {
        d = &o.Load(text, ppi);
    } catch (const Exception& e) {
        if (e.Message().empty()) abort();
        return 0;
    }
    if (d->gd.size() < 2) abort();   // TRANSPARENT and MAINCOLOR at least
    for (const TsGeneralData& g : d->gd) {
        if (g.GlowCount < 0 || g.GlowCount > 255) abort();
        if (g.OuterBlur > 60 || g.OuterOffset.left > 510) abort();
    }
    for (int s : o.Info.Sections)
        if (s < -1 || s >= static_cast<int>(d->gd.size())) abort();
    for (const auto& glows : d->TitleGlows)
        if (glows.size() > 255) abort();
    if (d->WndShadowRadius < 0 || d->WndShadowRadius > 510 || d->WndShadowSize < 0 || d->WndShadowSize > 510) abort();
    if (d->WndShadowOffset < -510 || d->WndShadowOffset > 510) abort();
    d->GetActiveShadow();
    d->GetPassiveShadow();
    // Each section's border image as a standalone image at this PPI, cut from a small master.
    const TacSkinDescription& desc = o.Info.OptionsDat;
    for (int i = 0; i < desc.SectionCount(); ++i) {
        const String section = desc.SectionName(i);
        for (const wchar_t* key : {L"BORDERSMASK", L"GLOW"}) {
            auto [value, drawnFor] = ChooseScaledMaskVariant(key, ppi, [&](const String& k) {
                return const_cast<TacSkinDescription&>(desc).ReadString(section, k, String());
            });
            if (value.empty()) continue;
            if (drawnFor != 96 && drawnFor != 120 && drawnFor != 144 && drawnFor != 192) abort();
            TacScaledMaskPlan plan;
            if (!PlanScaledMask(value, TSize(64, 48), plan)) continue;
            if (plan.Source.IsEmpty() || plan.Source.left < 0 || plan.Source.top < 0 || plan.Source.right > 64 ||
                plan.Source.bottom > 48 || plan.FrameWidth <= 0 || plan.FrameHeight <= 0 || plan.Def.ImageCount < 1)
                abort();
        }
    }
    return 0;
}
