// The combo boxes' swallow table and drop-down count, the combo edit's button, the file-name
// edit's dialog start and the popup's placement and opening frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "skin/controls/core/combo_edit.h"
#include "skin/controls/core/popup_opening.h"
#include "skin/engine/core/general.h"

using namespace ComboMsg;

TEST(ComboSwallow, ReadOnlyComboEndsNavigationLettersAndTheDropDown)
{
    struct Case {
        const char* what;
        unsigned msg;
        uint64_t wParam;
        bool swallowed;
    } cases[] = {
        {"letter", KeyDown, 'A', true},
        {"last letter", KeyDown, 'Z', true},
        {"space", KeyDown, 32, true},
        {"down arrow", KeyDown, 40, true},
        {"delete passes", KeyDown, 46, false},
        {"digit 9", KeyDown, '9', true},
        {"digit 1 passes", KeyDown, '1', false},
        {"F4", KeyDown, 115, true},
        {"F5 passes", KeyDown, 116, false},
        {"system key", SysKeyDown, 40, true},
        {"system char", SysChar, 'a' - 32, true},
        {"reflected key", Reflected + KeyDown, 'Q', true},
        {"reflected system key", Reflected + SysKeyDown, 115, true},
        {"reflected system char", Reflected + SysChar, '1', false},
        {"key code in the low word only", KeyDown, (uint64_t(1) << 16) | '1', false},
        {"typed character", Char, '1', true},
        {"drop-down notification", Command, uint64_t(DropDownNotification) << 16, true},
        {"reflected drop-down", Reflected + Command, uint64_t(DropDownNotification) << 16, true},
        {"other notification", Command, uint64_t(8) << 16, false},
        {"other message", 0x0200, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComboSwallowsInput(c.msg, c.wParam, true, true), c.swallowed) << c.what;
        EXPECT_EQ(ComboSwallowsInput(c.msg, c.wParam, false, false), c.swallowed) << c.what << " (no drop-down)";
        EXPECT_FALSE(ComboSwallowsInput(c.msg, c.wParam, false, true)) << c.what << " (editable)";
    }
}

TEST(ComboDropDownCount, EachComboGivesBackWhatItTookAndNoMore)
{
    const int base = DroppedDownCount();
    {
        TacDropDownHold a, b;
        a.Release();   // a close-up whose drop-down was swallowed
        EXPECT_EQ(DroppedDownCount(), base);
        a.Take();
        a.Take();      // opened twice without closing: one list
        b.Take();
        EXPECT_EQ(DroppedDownCount(), base + 2);
        a.Release();
        a.Release();
        EXPECT_EQ(DroppedDownCount(), base + 1);
        auto dying = std::make_unique<TacDropDownHold>();
        dying->Take();
        EXPECT_EQ(DroppedDownCount(), base + 2);
        dying.reset();   // destroyed while open
        EXPECT_EQ(DroppedDownCount(), base + 1);
    }
    EXPECT_EQ(DroppedDownCount(), base);
}

TEST(ComboEditButton, GeometryAndHitTest)
{
    struct Case {
        const char* what;
        bool glyph, rtl, show;
        int width, spacing, margin;
        TRect full, half, text;
    } cases[] = {
        // A 121 x 21 control, 2-pixel margin, 4-pixel spacing; the edit's text rectangle is (2, 2, 119, 19).
        {"arrow", false, false, true, 17, 4, 2, {102, 2, 119, 19}, {102, 2, 119, 19}, {2, 2, 100, 19}},
        {"glyph", true, false, true, 21, 4, 2, {94, 2, 119, 19}, {96, 2, 119, 19}, {2, 2, 92, 19}},
        {"glyph, right to left", true, true, true, 21, 4, 2, {2, 2, 27, 19}, {2, 2, 25, 19}, {27, 2, 119, 19}},
        {"no button", false, false, false, 17, 4, 2, {119, 2, 119, 19}, {119, 2, 119, 19}, {2, 2, 117, 19}},
    };
    for (const Case& c : cases) {
        TacComboEditButton b;
        b.ShowButton = c.show;
        b.GlyphButton = c.glyph;
        b.ActualButtonWidth = c.width;
        b.Spacing = c.spacing;
        b.Margin = c.margin;
        EXPECT_EQ(b.Rect(121, 21, c.rtl, true), c.full) << c.what;
        EXPECT_EQ(b.Rect(121, 21, c.rtl, false), c.half) << c.what;
        EXPECT_EQ(b.TextRect(TRect(2, 2, 119, 19), 121, c.rtl), c.text) << c.what;
        const TRect r = c.full;
        EXPECT_EQ(b.HitTest(121, 21, c.rtl, r.TopLeft()), c.show ? ComboButtonHit : 0) << c.what;
        EXPECT_EQ(b.HitTest(121, 21, c.rtl, TPoint(r.right, r.top)), 0) << c.what;
        EXPECT_EQ(b.HitTest(121, 21, c.rtl, TPoint(r.left, 1)), 0) << c.what << ": the margin is no button";
        EXPECT_EQ(b.ActsOnPress(), !c.glyph) << c.what;
    }
    EXPECT_EQ(ComboButtonMargin(true, false, true, 3, 2), 3);
    EXPECT_EQ(ComboButtonMargin(true, true, true, 3, 2), 2) << "old glyph mode keeps the border";
    EXPECT_EQ(ComboButtonMargin(true, true, false, 3, 2), 3);
    EXPECT_EQ(ComboButtonMargin(false, false, false, 3, 2), 2);
}

TEST(FileDialogStart, FolderAndNameFromTheTypedText)
{
    const std::set<String> dirs = {L"C:\\logs\\", L"D:\\"};
    auto exists = [&](const String& d) { return dirs.count(d) != 0; };
    struct Case {
        const wchar_t* typed;
        const wchar_t* initialDir;
        const wchar_t* fileName;
    } cases[] = {
        {L"C:\\logs\\debug.log", L"C:\\logs\\", L"C:\\logs\\debug.log"},
        {L"debug.log", L"C:\\start\\", L"debug.log"},
        {L"C:\\logs\\", L"C:\\logs\\", L""},
        {L"C:\\gone\\debug.log", L"C:\\start\\", L"C:\\gone\\debug.log"},
        {L"D:\\a|b.log", L"C:\\start\\", L""},
        {L"", L"C:\\start\\", L""},
    };
    for (const Case& c : cases) {
        const TacFileDialogStart d = PrepareFileDialog(c.typed, L"C:\\start\\", exists);
        EXPECT_EQ(d.InitialDir, c.initialDir) << testing::PrintToString(String(c.typed));
        EXPECT_EQ(d.FileName, c.fileName) << testing::PrintToString(String(c.typed));
    }
}

TEST(PopupPlacement, UnderTheOwnerElseAboveOrShifted)
{
    const TRect work(0, 0, 1024, 738);
    struct Case {
        const char* what;
        TRect owner;
        bool rtl;
        TRect bounds;
        int dir;
    } cases[] = {
        {"under", {100, 100, 300, 121}, false, {100, 119, 330, 285}, 0},
        {"right to left", {100, 100, 300, 121}, true, {70, 119, 300, 285}, 0},
        {"30 pixels above the bottom: above", {100, 687, 300, 708}, false, {100, 520, 330, 686}, PopupOpensUpward},
        {"past the right edge", {900, 100, 1000, 121}, false, {794, 119, 1024, 285}, PopupShiftedLeft},
        {"both", {900, 687, 1000, 708}, false, {794, 520, 1024, 686}, PopupOpensUpward | PopupShiftedLeft},
        {"above, kept below the top", {100, 60, 300, 730}, false, {100, 0, 330, 166}, PopupOpensUpward},
    };
    for (const Case& c : cases) {
        const TacPopupPlacement p = PlacePopup(c.owner, work, 230, 166, 230, 166, c.rtl);
        EXPECT_EQ(p.Bounds, c.bounds) << c.what;
        EXPECT_EQ(p.AnimDirection, c.dir) << c.what;
    }
    const TacPopupPlacement off = PlacePopup(TRect(-5000, 100, -4800, 121), TRect(), 230, 166, 230, 166, false);
    EXPECT_EQ(off.Bounds, TRect(-5000, 119, -4770, 285)) << "no work area: left under the owner";
    EXPECT_EQ(off.AnimDirection, 0);
}

TEST(PopupOpening, FramesHeightsAndOpacity)
{
    // Height 729 makes every frame's height exact: 0, 2/3, 8/9, ... 728/729.
    struct Case {
        int alpha;
        int height;
    } cases[] = {{255, 729}, {240, 729}, {120, 166}, {255, 1}};
    for (const Case& c : cases) {
        const std::vector<TacPopupFrame> f = PopupOpeningFrames(PopupOpeningTime, c.alpha, 230, c.height, 200, 0);
        ASSERT_EQ(f.size(), 7u);
        for (size_t i = 0; i < f.size(); ++i) {
            const int expectedHeight = i == 0 ? 0 : int(std::nearbyint(c.height - c.height / std::pow(3.0, double(i))));
            EXPECT_EQ(f[i].Rect.top, 0);
            EXPECT_EQ(f[i].Rect.Height(), expectedHeight) << "frame " << i << " height " << c.height;
            const double a = std::min<double>(c.alpha, c.alpha * double(i + 1) / 6);
            EXPECT_EQ(f[i].Alpha, int(std::nearbyint(a))) << "frame " << i;
            EXPECT_EQ(f[i].StartMs, int(i) * 12);
        }
        EXPECT_EQ(f[5].Alpha, c.alpha);
        EXPECT_EQ(f[6].Alpha, c.alpha);
    }
    const std::vector<TacPopupFrame> f = PopupOpeningFrames(PopupOpeningTime, 255, 230, 729, 200, 0);
    EXPECT_EQ(f[1].Rect.Height(), 486);
    EXPECT_EQ(f[6].Rect.Height(), 728);
    EXPECT_EQ(f[0].Rect.Width(), 200) << "starts at the owner's width";
    EXPECT_EQ(f[1].Rect.Width(), 220);

    const std::vector<TacPopupFrame> up = PopupOpeningFrames(PopupOpeningTime, 255, 230, 729, 200, PopupOpensUpward);
    EXPECT_EQ(up[0].Rect, TRect(0, 729, 200, 729));
    EXPECT_EQ(up[1].Rect, TRect(0, 243, 220, 729));
    const std::vector<TacPopupFrame> shifted = PopupOpeningFrames(PopupOpeningTime, 255, 230, 729, 200, PopupShiftedLeft);
    EXPECT_EQ(shifted[0].Rect.left, 30);
    EXPECT_EQ(shifted[0].Rect.right, 230);
    EXPECT_EQ(shifted[1].Rect.left, 77);   // 230 / 3 = 76.67

    const std::vector<TacPopupFrame> none = PopupOpeningFrames(0, 200, 230, 166, 200, 0);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].Alpha, 200);
}

TEST(DroppedFiles, FirstOnlyUnlessMultipleAndARefusedNameIsLoggedNotThrown)
{
    const String longName = L"C:\\" + String(290, L'a') + L"\\x.log";   // past the old 254-character cut
    const std::vector<String> dropped = {longName, L"C:\\b?.log", L"C:\\c.log"};
    auto name = [&](int i) { return dropped[size_t(i)]; };
    auto accepting = [](std::vector<String>& into) {
        return [&into](const String& n) {
            if (!IsValidFileNameText(n)) throw Exception(L"Invalid file name");
            into.push_back(n);
        };
    };
    struct Case {
        const char* what;
        bool multiple;
        int taken;
        size_t logged;
    } cases[] = {{"single select: the first only", false, 1, 0}, {"multiple: the refused one left out", true, 2, 1}};
    for (const Case& c : cases) {
        std::vector<String> got, logs;
        int taken = -1;
        EXPECT_NO_THROW(taken = AcceptDroppedFiles(3, name, accepting(got), c.multiple,
                                                   [&](const String& m) { logs.push_back(m); }))
            << c.what;
        EXPECT_EQ(taken, c.taken) << c.what;
        ASSERT_FALSE(got.empty()) << c.what;
        EXPECT_EQ(got.front(), longName) << c.what << ": the name arrives whole";
        EXPECT_EQ(logs.size(), c.logged) << c.what;
    }
    EXPECT_EQ(AcceptDroppedFiles(0, name, [](const String&) {}, true, nullptr), 0);
}
