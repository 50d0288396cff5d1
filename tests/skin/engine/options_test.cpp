// The manager's option objects: defaults, index access, bounds, the foreign class lists, and
// which writes the manager is told of.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "skin/engine/core/manager_options.h"
#include "tests/skin/engine/fake_skin_owner.h"

namespace {
struct TRecordingOwner : TFakeSkinOwner {
    std::vector<TacOptionChange> changes;
    void OptionChanged(TacOptionChange c) override { changes.push_back(c); }
};
}  // namespace

TEST(ManagerOptions, BooleanOptionsByIndex)
{
    TacOptions o(nullptr);
    EXPECT_TRUE(o.GetBoolOption(6));   // DrawNonClientArea is on by default
    o.SetCheckEmptyAlpha(true);
    o.SetStdImgTransparency(true);
    struct Case { int index; bool value; } off[] = {{0, true}, {1, false}, {2, false}, {3, false}, {4, false}, {5, true}, {6, true}, {9, false}, {-1, false}};
    for (auto c : off) EXPECT_EQ(o.GetBoolOption(c.index), c.value) << c.index;
    o.SetChangeSysColors(true);
    for (int i : {4, 7, 9, 100, -5}) EXPECT_TRUE(o.GetBoolOption(i)) << i;   // out of range: ChangeSysColors
}

TEST(ManagerOptions, WritesTellTheManagerOnlyOfChanges)
{
    TRecordingOwner owner;
    TacOptions o(&owner);
    TacScrollBarsSupport scrolls(&owner);
    TacSkinEffects effects(&owner);
    o.SetDrawNonClientArea(true);     // the value it has: nothing
    o.SetScaleMode(smVCL);
    scrolls.SetScrollSize(-1);
    effects.SetAllowOuterEffects(true);
    EXPECT_TRUE(owner.changes.empty());
    scrolls.SetScrollSize(20);
    scrolls.SetScrollSize(20);
    o.SetDrawNonClientArea(false);
    o.SetPixelsPerInch(1000);
    EXPECT_EQ(scrolls.ScrollSize(), 20);
    EXPECT_EQ(o.PixelsPerInch(), 384);
    o.SetPixelsPerInch(10);
    EXPECT_EQ(o.PixelsPerInch(), 48);
    EXPECT_EQ(owner.changes, (std::vector<TacOptionChange>{TacOptionChange::ScrollSize, TacOptionChange::DrawNonClientArea,
                                                           TacOptionChange::PixelsPerInch, TacOptionChange::PixelsPerInch}));
}

// An owner that takes scale writes over gets the new value (the PPI within its bounds) before
// anything is stored, and stores it itself; an unchanged value reaches nobody.
TEST(ManagerOptions, ScaleWritesGoToTheOwnerFirst)
{
    struct TTakingOwner : TRecordingOwner {
        std::vector<std::pair<TacOptionChange, int>> taken;
        TacOptions* options = nullptr;
        bool TakeScaleWrite(TacOptionChange c, int value) override
        {
            taken.push_back({c, value});
            EXPECT_EQ(options->ScaleMode(), smVCL);   // nothing stored yet
            if (c == TacOptionChange::ScaleMode) options->StoreScaleMode(static_cast<TacScaleMode>(value));
            return true;
        }
    } owner;
    TacOptions o(&owner);
    owner.options = &o;
    o.SetScaleMode(smVCL);
    o.SetPixelsPerInch(96);
    EXPECT_TRUE(owner.taken.empty());
    o.SetPixelsPerInch(1000);
    EXPECT_EQ(o.PixelsPerInch(), 96);   // the owner did not store it
    o.SetScaleMode(sm150);
    EXPECT_EQ(o.ScaleMode(), sm150);
    using P = std::pair<TacOptionChange, int>;
    EXPECT_EQ(owner.taken, (std::vector<P>{P{TacOptionChange::PixelsPerInch, 384}, P{TacOptionChange::ScaleMode, int(sm150)}}));
    EXPECT_TRUE(owner.changes.empty());
    o.StorePixelsPerInch(10);
    EXPECT_EQ(o.PixelsPerInch(), 48);
}

TEST(ManagerOptions, ArrowStyleFollowsTheSkinByDefault)
{
    TFakeSkinOwner owner;
    owner.Info.ArrowStyle = arsLines2;
    TacOptions o(&owner);
    EXPECT_EQ(o.ArrowsStyle(), arsDefault);
    EXPECT_EQ(o.ActualArrowStyle(), arsLines2);
    o.SetArrowsStyle(arsSolid2);
    EXPECT_EQ(o.ActualArrowStyle(), arsSolid2);
}

TEST(ManagerOptions, AnimationDefaults)
{
    TacAnimEffects a(nullptr);
    struct Case { const char* name; const TacFormAnimation& anim; bool active; int time; TacAnimType mode; } cases[] = {
        {"BlendOnMoving", a.BlendOnMoving, false, 1000, atAero}, {"DialogShow", a.DialogShow, true, 0, atAero},
        {"FormShow", a.FormShow, true, 0, atAero},               {"FormHide", a.FormHide, true, 0, atAero},
        {"DialogHide", a.DialogHide, true, 0, atAero},           {"Minimizing", a.Minimizing, true, 80, atAero},
        {"PageChange", a.PageChange, true, 0, atAero},           {"SkinChanging", a.SkinChanging, true, 100, atFading},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.anim.Active, c.active) << c.name;
        EXPECT_EQ(c.anim.Time, c.time) << c.name;
        EXPECT_EQ(c.anim.Mode, c.mode) << c.name;
    }
    EXPECT_EQ(a.BlendOnMoving.BlendValue, 170);
    EXPECT_EQ(a.Buttons.Events, unsigned(beMouseEnter | beMouseLeave | beMouseDown | beMouseUp));
    TacButtonsSupport b(nullptr);
    EXPECT_EQ(b.ModalButtonsColoring, unsigned(bcGlyph));
    EXPECT_TRUE(b.ShowFocusRect && b.ShiftContentOnClick && b.AllowRTLSysButtons);
}

TEST(ManagerOptions, ForeignClassListsTakeTheirDefaultsWhenEmpty)
{
    TsThirdPartyList third;
    third.SetString(tpEdit, L"TMyEdit\r\nTOtherEdit");
    std::array<std::unique_ptr<TStringList>, acThirdListCount> lists;
    third.FillLists(lists);
    EXPECT_EQ(third.GetString(tpButton), L"TButton");
    EXPECT_EQ(lists[tpButton]->Count(), 1);
    EXPECT_EQ(lists[tpButton]->Get(0), L"TButton");
    EXPECT_EQ(lists[tpGrid]->Get(0), L" ");   // one blank: a line that matches no class
    EXPECT_EQ(lists[tpEdit]->Count(), 2);
    EXPECT_TRUE(lists[tpEdit]->CaseSensitive());
    EXPECT_EQ(lists[tpEdit]->IndexOf(L"tmyedit"), -1);
    lists[tpPanel]->Add(L"TFramePanel");
    third.TakeLists(lists);
    EXPECT_EQ(third.GetString(tpPanel), L" \r\nTFramePanel\r\n");
    EXPECT_EQ(third.GetString(tpEdit), L"TMyEdit\r\nTOtherEdit\r\n");
}

TEST(ManagerOptions, ForeignClassListsByName)
{
    TsThirdPartyList third;
    struct Case {
        const wchar_t* name;
        int index;
        const String& (TsThirdPartyList::*get)() const;
        void (TsThirdPartyList::*set)(const String&);
    } cases[] = {
        {L"Edits", tpEdit, &TsThirdPartyList::ThirdEdits, &TsThirdPartyList::SetThirdEdits},
        {L"Buttons", tpButton, &TsThirdPartyList::ThirdButtons, &TsThirdPartyList::SetThirdButtons},
        {L"BitBtns", tpBitBtn, &TsThirdPartyList::ThirdBitBtns, &TsThirdPartyList::SetThirdBitBtns},
        {L"CheckBoxes", tpCheckBox, &TsThirdPartyList::ThirdCheckBoxes, &TsThirdPartyList::SetThirdCheckBoxes},
        {L"GroupBoxes", tpGroupBox, &TsThirdPartyList::ThirdGroupBoxes, &TsThirdPartyList::SetThirdGroupBoxes},
        {L"ListViews", tpListView, &TsThirdPartyList::ThirdListViews, &TsThirdPartyList::SetThirdListViews},
        {L"Panels", tpPanel, &TsThirdPartyList::ThirdPanels, &TsThirdPartyList::SetThirdPanels},
        {L"Grids", tpGrid, &TsThirdPartyList::ThirdGrids, &TsThirdPartyList::SetThirdGrids},
        {L"TreeViews", tpTreeView, &TsThirdPartyList::ThirdTreeViews, &TsThirdPartyList::SetThirdTreeViews},
        {L"ComboBoxes", tpComboBox, &TsThirdPartyList::ThirdComboBoxes, &TsThirdPartyList::SetThirdComboBoxes},
        {L"WWEdits", tpwwEdit, &TsThirdPartyList::ThirdWWEdits, &TsThirdPartyList::SetThirdWWEdits},
        {L"VirtualTrees", tpVirtualTrees, &TsThirdPartyList::ThirdVirtualTrees, &TsThirdPartyList::SetThirdVirtualTrees},
        {L"GridEh", tpGridEh, &TsThirdPartyList::ThirdGridEh, &TsThirdPartyList::SetThirdGridEh},
        {L"PageControl", tpPageControl, &TsThirdPartyList::ThirdPageControl, &TsThirdPartyList::SetThirdPageControl},
        {L"TabControl", tpTabControl, &TsThirdPartyList::ThirdTabControl, &TsThirdPartyList::SetThirdTabControl},
        {L"ToolBar", tpToolBar, &TsThirdPartyList::ThirdToolBar, &TsThirdPartyList::SetThirdToolBar},
        {L"StatusBar", tpStatusBar, &TsThirdPartyList::ThirdStatusBar, &TsThirdPartyList::SetThirdStatusBar},
        {L"SpeedButton", tpSpeedButton, &TsThirdPartyList::ThirdSpeedButton, &TsThirdPartyList::SetThirdSpeedButton},
        {L"ScrollControl", tpScrollControl, &TsThirdPartyList::ThirdScrollControl, &TsThirdPartyList::SetThirdScrollControl},
        {L"UpDown", tpUpDown, &TsThirdPartyList::ThirdUpDown, &TsThirdPartyList::SetThirdUpDown},
        {L"ScrollBar", tpScrollBar, &TsThirdPartyList::ThirdScrollBar, &TsThirdPartyList::SetThirdScrollBar},
        {L"StaticText", tpStaticText, &TsThirdPartyList::ThirdStaticText, &TsThirdPartyList::SetThirdStaticText},
        {L"NativePaint", tpNativePaint, &TsThirdPartyList::ThirdNativePaint, &TsThirdPartyList::SetThirdNativePaint},
    };
    for (const Case& c : cases) (third.*c.set)(String(L"TMy") + c.name);
    for (const Case& c : cases) {
        EXPECT_EQ(third.GetString(c.index), String(L"TMy") + c.name) << c.name;
        EXPECT_EQ((third.*c.get)(), third.GetString(c.index)) << c.name;
    }

    // Reset gives every kind its default again; without it a kind with text keeps it.
    std::array<std::unique_ptr<TStringList>, acThirdListCount> lists;
    third.FillLists(lists);
    EXPECT_EQ(lists[tpGrid]->Get(0), L"TMyGrids");
    third.FillLists(lists, true);
    EXPECT_EQ(third.ThirdButtons(), L"TButton");
    EXPECT_EQ(third.ThirdGrids(), L" ");
    EXPECT_EQ(lists[tpGrid]->Get(0), L" ");

    // A kind that does not exist reads empty and takes nothing.
    third.SetString(acThirdListCount, L"TLost");
    third.SetString(-1, L"TLost");
    EXPECT_TRUE(third.GetString(acThirdListCount).empty());
    EXPECT_TRUE(third.GetString(-1).empty());
}

TEST(ManagerOptions, WhatAWriteDoesOnScreen)
{
    using C = TacOptionChange;
    using E = TacOptionEffect;
    struct Ctx { bool loading, designing, noAuto; TacFontMode mode; };
    const Ctx plain{false, false, false, fmDefault}, loading{true, false, false, fmDefault},
              designing{false, true, false, fmDefault}, held{false, false, true, fmDefault},
              custom{false, false, false, fmCustom}, customLoading{true, false, false, fmCustom};
    struct Case { C change; Ctx ctx; E effect; } cases[] = {
        {C::DrawNonClientArea, plain, E::NonClientChanged},
        {C::DrawNonClientArea, loading, E::NonClientChanged},
        {C::DrawNonClientArea, designing, E::None},
        {C::ArrowsStyle, plain, E::UpdateSkin},
        {C::ArrowsStyle, held, E::UpdateSkin},   // publishing itself waits for the update's end
        {C::AllowOuterEffects, plain, E::RepaintForms},
        {C::AllowOuterEffects, loading, E::None},
        {C::AllowOuterEffects, held, E::None},
        {C::DiscoloredGlyphs, plain, E::RepaintForms},
        {C::DiscoloredGlyphs, held, E::None},
        {C::ButtonsSize, plain, E::RepaintForms},
        {C::ButtonsSize, held, E::RepaintForms},
        {C::ButtonsSize, loading, E::None},
        {C::ScrollSize, plain, E::ScrollOptionsChanged},
        {C::ScrollSize, loading, E::None},
        {C::OldGlyphsMode, plain, E::RepaintFormsLocked},
        {C::OldGlyphsMode, designing, E::None},
        {C::OldGlyphsMode, loading, E::None},
        {C::FontMainMode, plain, E::ApplyFont},
        {C::FontMainMode, loading, E::None},
        {C::FontMainFont, plain, E::None},   // only the custom mode uses MainFont
        {C::FontMainFont, custom, E::ApplyFont},
        {C::FontMainFont, customLoading, E::None},
        // The manager's own business: nothing for the forms from here.
        {C::ScaleMode, plain, E::None},
        {C::PixelsPerInch, plain, E::None},
        {C::ChangeSysColors, plain, E::None},
        {C::MenuCustomFont, plain, E::None},
    };
    for (const Case& c : cases) {
        TacOptionContext context;
        context.Loading = c.ctx.loading;
        context.Designing = c.ctx.designing;
        context.NoAutoUpdate = c.ctx.noAuto;
        context.FontMode = c.ctx.mode;
        EXPECT_EQ(OptionEffectOf(c.change, context), c.effect)
            << int(c.change) << " loading " << c.ctx.loading << " designing " << c.ctx.designing << " held "
            << c.ctx.noAuto << " mode " << int(c.ctx.mode);
    }
}

TEST(ManagerOptions, TheFontAModeApplies)
{
    struct Case { TacFontMode mode; const wchar_t* skin; const wchar_t* custom; const wchar_t* stored; const wchar_t* result; } cases[] = {
        {fmDefault, L"Skin Font", L"Custom", L"Stored", L"Stored"},
        {fmDefault, L"Skin Font", L"Custom", L"", L""},   // nothing stored yet: nothing to apply
        {fmFromSkin, L"Skin Font", L"Custom", L"Stored", L"Skin Font"},
        {fmFromSkin, L"", L"Custom", L"Stored", L"Stored"},   // a skin without a main font
        {fmCustom, L"Skin Font", L"Custom", L"Stored", L"Custom"},
        {fmCustom, L"Skin Font", L"", L"Stored", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FontNameOfMode(c.mode, c.skin, c.custom, c.stored), String(c.result)) << int(c.mode) << " " << c.skin;
}

TEST(ManagerOptions, WhichControlsTakeTheApplicationFont)
{
    // Old "Old Font", stored "Stored Font", applying "New Font".
    struct Case {
        const char* what;
        const wchar_t* name;
        bool parent, parentFont, windowed, handle;
        const wchar_t* result;
    } cases[] = {
        {"windowed, the old font", L"Old Font", true, false, true, true, L"New Font"},
        {"windowed, the stored font", L"Stored Font", true, false, true, true, L"New Font"},
        {"names compare without case", L"old font", true, false, true, true, L"New Font"},
        {"a form (no parent)", L"Stored Font", false, true, true, true, L"New Font"},
        {"follows its parent", L"Old Font", true, true, true, true, L""},
        {"a font chosen for it", L"Special", true, false, true, true, L""},
        {"a window not made yet", L"Old Font", true, false, true, false, L""},
        {"graphic, on a parent", L"Old Font", true, false, false, false, L"New Font"},
        {"graphic, no parent", L"Old Font", false, false, false, false, L""},
    };
    for (const Case& c : cases) {
        TacFontTarget t;
        t.FontName = c.name;
        t.HasParent = c.parent;
        t.ParentFont = c.parentFont;
        t.Windowed = c.windowed;
        t.HandleAllocated = c.handle;
        EXPECT_EQ(FontNameFor(t, L"New Font", L"Old Font", L"Stored Font"), String(c.result)) << c.what;
    }
    // No name to apply (nothing stored yet): every control keeps its font.
    TacFontTarget t;
    t.FontName = L"";
    t.HasParent = true;
    t.Windowed = true;
    t.HandleAllocated = true;
    EXPECT_TRUE(FontNameFor(t, L"", L"", L"").empty());
}
