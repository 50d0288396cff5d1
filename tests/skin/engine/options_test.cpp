// The manager's option objects: defaults, index access, bounds, the foreign class lists, and
// which writes the manager is told of.
#include <gtest/gtest.h>

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
