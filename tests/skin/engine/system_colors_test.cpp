// The skin's answers in place of the system's colour functions: colours while a visible active
// form exists and the system's otherwise, the brushes kept one per colour, pen colours, nothing
// patched in a 64-bit process, the skin PPI by scale mode, the scroll-bar width and the captions.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/graphics/colors.h"
#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/forms.h"

namespace {

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

// A default manager with a loaded skin and a palette of distinct colours.
ManagerPtr PaletteManager()
{
    ManagerPtr m(new TsSkinManager(nullptr));
    m->ApplySkinEditorText(L"Test", String(), L"[GLOBALINFO]\nVERSION=8\n[EDIT]\nCOLOR=16777215\n");
    m->Palette[pcMainColor] = 0x406080;
    m->Palette[pcEditBG] = 0x102030;
    m->Palette[pcEditText] = 0xA0B0C0;
    m->Palette[pcBorder] = 0x050607;
    m->Palette[pcSelectionBG_Focused] = 0x00AA00;
    m->Palette[pcSelectionText_Focused] = 0x0000BB;
    m->SkinCommonInfo.SysInactiveBorderColor = 0x112233;
    return m;
}

COLORREF BrushColor(HBRUSH b)
{
    LOGBRUSH lb{};
    GetObjectW(b, sizeof lb, &lb);
    return lb.lbColor;
}

COLORREF PenColor(HPEN p)
{
    LOGPEN lp{};
    GetObjectW(p, sizeof lp, &lp);
    return lp.lopnColor;
}

}  // namespace

TEST(SkinSystemColors, ColoursWhileAVisibleFormIsActive)
{
    ManagerPtr m = PaletteManager();
    ASSERT_EQ(DefaultManager, m.get());
    FormPtr form(new TForm(nullptr));
    form->SetBounds(40, 40, 100, 80);
    form->Show();
    testing_support::PumpFor(30);
    ASSERT_EQ(Screen->ActiveForm(), form.get());
    const COLORREF shadow = MixColors(0x406080, 0, 205) & 0xFFFFFF, light = MixColors(0x406080, 0xFFFFFF, 205) & 0xFFFFFF;
    struct Case {
        int index;
        COLORREF want;
    } cases[] = {
        {COLOR_WINDOW, 0x102030},        {COLOR_WINDOWFRAME, 0x050607},          {COLOR_WINDOWTEXT, 0xA0B0C0},
        {COLOR_INACTIVEBORDER, 0x112233}, {COLOR_HIGHLIGHT, 0x00AA00},          {COLOR_HIGHLIGHTTEXT, 0x0000BB},
        {COLOR_BTNSHADOW, shadow},        {COLOR_3DDKSHADOW, shadow},           {COLOR_3DLIGHT, light},
        {COLOR_BTNFACE, GetSysColor(COLOR_BTNFACE)}, {COLOR_MENU, GetSysColor(COLOR_MENU)},
    };
    for (const Case& c : cases) EXPECT_EQ(SkinnedGetSysColor(c.index), c.want) << c.index;
    // Without a visible active form the system answers.
    form->Hide();
    EXPECT_EQ(SkinnedGetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
    m.reset();
    form->Show();
    testing_support::PumpFor(30);
    EXPECT_EQ(SkinnedGetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
}

TEST(SkinSystemColors, BrushesAreKeptOnePerColour)
{
    EXPECT_EQ(SkinnedGetSysColorBrush(COLOR_WINDOW), nullptr);   // no manager
    ManagerPtr m = PaletteManager();
    EXPECT_EQ(SkinnedGetSysColorBrush(COLOR_WINDOW), m->Brushes[pcEditBG]);
    HBRUSH text = SkinnedGetSysColorBrush(COLOR_WINDOWTEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(BrushColor(text), 0xA0B0C0u);
    EXPECT_EQ(SkinnedGetSysColorBrush(COLOR_WINDOWTEXT), text);   // the same brush, not a new one per call
    EXPECT_EQ(BrushColor(SkinnedGetSysColorBrush(COLOR_HIGHLIGHT)), 0x00AA00u);
    EXPECT_EQ(BrushColor(SkinnedGetSysColorBrush(COLOR_HIGHLIGHTTEXT)), 0x0000BBu);
    // Two questions of one colour share its brush.
    m->Palette[pcSelectionText_Focused] = 0xA0B0C0;
    EXPECT_EQ(SkinnedGetSysColorBrush(COLOR_HIGHLIGHTTEXT), text);
    EXPECT_EQ(SkinnedGetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
}

TEST(SkinSystemColors, PenColours)
{
    ManagerPtr m = PaletteManager();
    const COLORREF grey = MixColors(0xA0B0C0, 0x102030, 38) & 0xFFFFFF;
    struct Case {
        COLORREF asked, want;
    } cases[] = {
        {5, 0x102030}, {6, 0x050607}, {11, 0x112233}, {13, 0x00AA00}, {14, 0x0000BB}, {15, 0x406080},
        {16, MixColors(0x406080, 0, 205) & 0xFFFFFF}, {21, MixColors(0x406080, 0, 205) & 0xFFFFFF},
        {22, MixColors(0x406080, 0xFFFFFF, 205) & 0xFFFFFF}, {0xC0C0C0, grey}, {0xF0F0F0, grey}, {0x123456, 0x123456},
        {7, 7},
    };
    for (const Case& c : cases) {
        HPEN pen = SkinnedCreatePen(PS_SOLID, 1, c.asked);
        ASSERT_NE(pen, nullptr);
        EXPECT_EQ(PenColor(pen), c.want) << std::hex << c.asked;
        DeleteObject(pen);
    }
}

// In a 64-bit process no system function is written over: a relative jump of 32 bits may not
// reach the replacement, and FF 25 holds an offset there, not the address of a pointer.
TEST(SkinSystemColors, NothingIsPatchedInA64BitProcess)
{
    static_assert(sizeof(void*) == 8, "the test process is 64-bit");
    struct Target {
        const wchar_t* module;
        const char* name;
        const void* replacement;
    } targets[] = {{L"user32.dll", "GetSysColor", reinterpret_cast<const void*>(&SkinnedGetSysColor)},
                   {L"user32.dll", "GetSysColorBrush", reinterpret_cast<const void*>(&SkinnedGetSysColorBrush)},
                   {L"gdi32.dll", "CreatePen", reinterpret_cast<const void*>(&SkinnedCreatePen)}};
    for (const Target& t : targets) {
        auto* f = reinterpret_cast<uint8_t*>(GetProcAddress(GetModuleHandleW(t.module), t.name));
        ASSERT_NE(f, nullptr) << t.name;
        uint8_t before[16], save[6] = {};
        std::memcpy(before, f, sizeof before);
        EXPECT_FALSE(PatchSystemFunction(f, t.replacement, save)) << t.name;
        EXPECT_EQ(std::memcmp(before, f, sizeof before), 0) << t.name;
        EXPECT_FALSE(RestoreSystemFunction(f, save)) << t.name;
    }
    // Switching the option on for an active default manager leaves the functions the system's.
    ManagerPtr m = PaletteManager();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    m->Options()->SetChangeSysColors(true);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), window);
    m->Options()->SetChangeSysColors(false);
}

TEST(SkinSystemColors, SkinPpiAndScrollBarWidths)
{
    const int system = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(CalcScrollBarWidth(nullptr, 144), system);
    ManagerPtr m = PaletteManager();
    m->ScrollsOptions()->SetScrollSize(12);
    EXPECT_EQ(m->CalcScrollBarWidth(144), 18);
    EXPECT_EQ(m->ScrollBarWidth(96), 12);
    m->ScrollsOptions()->SetScrollSize(-1);
    m->Options()->SetScaleMode(smOldMode);
    EXPECT_EQ(m->CalcScrollBarWidth(192), system);
    struct Case {
        TacScaleMode mode;
        int custom, want;
    } cases[] = {{sm150, 96, 144}, {sm200, 96, 192}, {smOldMode, 96, 96}, {smCustomPPI, 168, 168}};
    for (const Case& c : cases) {
        m->Options()->SetScaleMode(c.mode);
        m->Options()->SetPixelsPerInch(c.custom);
        EXPECT_EQ(GetSkinPPI(nullptr, nullptr, true), c.want) << int(c.mode);
    }
    m->Options()->SetScaleMode(smVCL);
    EXPECT_EQ(GetSkinPPI(m.get(), nullptr, false), MainFormPpi());
    m->SetActive(false);
    m->Options()->SetScaleMode(sm200);
    EXPECT_EQ(GetSkinPPI(m.get(), nullptr, true), MainFormPpi());   // an inactive manager does not count
    EXPECT_EQ(GetSkinPPI(m.get(), nullptr, false), 192);
    m->Options()->SetScaleMode(smVCL);
}

// Captions from the system's string tables with their suffixes, our texts where a library or a
// string is missing; the system's own under Wine are never empty.
TEST(SkinSystemColors, CaptionsFromTheSystemOrOurOwn)
{
    std::vector<std::pair<String, unsigned>> asked;
    const TacCaptions c = LoadCaptions([&](const wchar_t* library, unsigned id) {
        asked.emplace_back(library, id);
        if (String(library) == L"comctl32.dll" && id == 33056) return String();   // a system without it
        if (String(library) == L"inetres.dll") return String();                   // a missing library
        return String(L"S") + IntToStr(int(id));
    });
    EXPECT_EQ(asked.size(), 23u);
    struct Case {
        String TacCaptions::*caption;
        const wchar_t* want;
    } cases[] = {
        {&TacCaptions::OK, L"S800"},          {&TacCaptions::Close, L"S905"},
        {&TacCaptions::AdditionalColors, L"S31153:"}, {&TacCaptions::Decimal, L"S16514 - "},
        {&TacCaptions::Create, L"S4151"},     {&TacCaptions::Red, L"S1049:"},
        {&TacCaptions::Restore, L"Restore"},  {&TacCaptions::Font, L"Font"},
        {&TacCaptions::FontColor, L"Font color:"}, {&TacCaptions::InvalidDate, L"Invalid date"},
    };
    for (const Case& k : cases) EXPECT_EQ(c.*k.caption, String(k.want));
    const TacCaptions none = LoadCaptions(nullptr);
    EXPECT_EQ(none.Help, L"&Help");
    EXPECT_EQ(none.Green, L"Green :");
    for (String TacCaptions::*k : {&TacCaptions::OK, &TacCaptions::Cancel, &TacCaptions::Close, &TacCaptions::Minimize})
        EXPECT_FALSE((Captions().*k).empty());
}
