// The skin's answers in place of the system's colour functions: colours while a visible active
// form exists and the system's otherwise, the brushes kept one per colour, pen colours; the
// functions redirected for the whole process (a list box the system paints shows the skin) and
// put back exactly; the skin PPI by scale mode, the scroll-bar width and the captions.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "skin/graphics/colors.h"
#include "tests/common/screenshot.h"
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

namespace {

DWORD WINAPI FixedSysColor(int) { return 0x123456; }
DWORD WINAPI OtherSysColor(int) { return 0x654321; }
HBRUSH WINAPI NoSysColorBrush(int) { return nullptr; }
HPEN WINAPI NoPen(int, int, COLORREF) { return nullptr; }

struct TEntry {
    const wchar_t* module;
    const char* name;
    uint8_t* Code() const
    {
        auto* f = reinterpret_cast<const uint8_t*>(GetProcAddress(GetModuleHandleW(module), name));
        return const_cast<uint8_t*>(ResolveJumpThunk(f));
    }
};
const TEntry SysColorEntry{L"user32.dll", "GetSysColor"};
const TEntry SysBrushEntry{L"user32.dll", "GetSysColorBrush"};
const TEntry PenEntry{L"gdi32.dll", "CreatePen"};

// The first bytes of the three entries, to see them put back exactly.
struct TEntryBytes {
    uint8_t Bytes[3][32];
    TEntryBytes()
    {
        int i = 0;
        for (const TEntry* e : {&SysColorEntry, &SysBrushEntry, &PenEntry}) std::memcpy(Bytes[i++], e->Code(), 32);
    }
    bool operator==(const TEntryBytes& o) const { return std::memcmp(Bytes, o.Bytes, sizeof Bytes) == 0; }
};

// A plain list box of the system on a shown form, its first item selected; the colour of that
// item's row at its right end, after the list box painted itself on screen.
struct TSystemListBox {
    FormPtr Form{new TForm(nullptr)};
    HWND Box = nullptr;
    TSystemListBox()
    {
        Form->SetBounds(60, 60, 220, 160);
        Form->Show();
        Box = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY, 8, 8, 150, 90,
                              Form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        for (const wchar_t* item : {L"one", L"two", L"three"})
            SendMessageW(Box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(Box, LB_SETCURSEL, 0, 0);
        testing_support::PumpFor(30);
    }
    ~TSystemListBox()
    {
        if (Box) DestroyWindow(Box);
    }
    TColor SelectedRowColor(const String& artifact)
    {
        RedrawWindow(Box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        testing_support::PumpFor(20);
        std::unique_ptr<TBitmap> shot = testing_support::CaptureWindow(Box);
        testing_support::SaveArtifact(*shot, artifact);
        RECT item{};
        SendMessageW(Box, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        return testing_support::PixelAt(*shot, item.right - 3, (item.top + item.bottom) / 2);
    }
};

}  // namespace

// The redirection writes an absolute jump over a function's entry, so every caller of the
// process, the system's own code included, reaches the replacement; removing it puts the
// function's bytes back exactly. Redirections made over each other come off in reverse order.
TEST(SkinSystemColors, RedirectionReachesEveryCallerAndIsPutBackExactly)
{
    static_assert(sizeof(void*) == 8, "the test process is 64-bit");
    const TEntryBytes before;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    struct Target {
        const TEntry* entry;
        const void* replacement;
    } targets[] = {{&SysColorEntry, reinterpret_cast<const void*>(&FixedSysColor)},
                   {&SysBrushEntry, reinterpret_cast<const void*>(&NoSysColorBrush)},
                   {&PenEntry, reinterpret_cast<const void*>(&NoPen)}};
    TacCodePatch patches[3];
    for (int i = 0; i < 3; ++i) {
        const Target& t = targets[i];
        void* f = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(t.entry->module), t.entry->name));
        ASSERT_TRUE(PatchSystemFunction(f, t.replacement, patches[i])) << t.entry->name;
        EXPECT_EQ(patches[i].At, t.entry->Code()) << t.entry->name;
        EXPECT_EQ(AbsoluteJumpDestination(patches[i].At), reinterpret_cast<uint64_t>(t.replacement)) << t.entry->name;
        // A record in use is not written again: its saved bytes would be the jump.
        EXPECT_FALSE(PatchSystemFunction(f, t.replacement, patches[i])) << t.entry->name;
    }
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x123456u);
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), nullptr);
    EXPECT_EQ(CreatePen(PS_SOLID, 1, 0), nullptr);

    // A second redirection over the first; the first cannot come off while the second is there.
    TacCodePatch over;
    ASSERT_TRUE(PatchSystemFunction(reinterpret_cast<void*>(&GetSysColor), reinterpret_cast<const void*>(&OtherSysColor), over));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x654321u);
    EXPECT_FALSE(RestoreSystemFunction(patches[0]));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x654321u);
    EXPECT_TRUE(RestoreSystemFunction(over));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0x123456u);

    for (TacCodePatch& p : patches) EXPECT_TRUE(RestoreSystemFunction(p));
    EXPECT_TRUE(TEntryBytes() == before);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), window);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_NE(pen, nullptr);
    DeleteObject(pen);
    for (TacCodePatch& p : patches) EXPECT_FALSE(RestoreSystemFunction(p));   // nothing left to put back
    TacCodePatch none;
    EXPECT_FALSE(PatchSystemFunction(nullptr, reinterpret_cast<const void*>(&FixedSysColor), none));
    EXPECT_FALSE(PatchSystemFunction(reinterpret_cast<void*>(&GetSysColor), nullptr, none));
    EXPECT_TRUE(TEntryBytes() == before);
}

// With ChangeSysColors on, a list box the system paints shows its selected row in the skin's
// selection colour; switched off, and when the manager goes, the system's colour again and the
// functions exactly as they were.
TEST(SkinSystemColors, SystemPaintedListBoxTakesTheSkinColours)
{
    const TEntryBytes before;
    const COLORREF systemHighlight = GetSysColor(COLOR_HIGHLIGHT);
    ASSERT_NE(systemHighlight, 0x00AA00u);
    ManagerPtr m = PaletteManager();
    ASSERT_TRUE(m->IsActive());
    TSystemListBox list;
    ASSERT_EQ(Screen->ActiveForm(), list.Form.get());
    EXPECT_EQ(list.SelectedRowColor(L"system_listbox_plain"), TColor(systemHighlight));

    m->Options()->SetChangeSysColors(true);
    EXPECT_FALSE(TEntryBytes() == before);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x00AA00u);
    EXPECT_EQ(list.SelectedRowColor(L"system_listbox_skinned"), TColor(0x00AA00));
    // Questions the skin does not answer still reach the system, and the redirection stays.
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), SkinnedGetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x00AA00u);
    // A palette colour naming a system colour is asked of the system, not of the skin again.
    m->Palette[pcSelectionBG_Focused] = clHighlight;
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), systemHighlight);
    m->Palette[pcSelectionBG_Focused] = 0x00AA00;
    HPEN pen = CreatePen(PS_SOLID, 1, 15);
    LOGPEN lp{};
    GetObjectW(pen, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnColor, 0x406080u);
    DeleteObject(pen);

    m->Options()->SetChangeSysColors(false);
    EXPECT_TRUE(TEntryBytes() == before);
    EXPECT_EQ(list.SelectedRowColor(L"system_listbox_restored"), TColor(systemHighlight));

    // The manager takes its redirection with it.
    m->Options()->SetChangeSysColors(true);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), 0x00AA00u);
    m.reset();
    EXPECT_TRUE(TEntryBytes() == before);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), systemHighlight);
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
