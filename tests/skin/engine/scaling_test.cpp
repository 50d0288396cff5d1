// The arithmetic of scaling skins: the order in which an image's per-PPI keys are tried for a
// standalone image, the frames cut from a definition (a frame count of 0, rectangles reaching
// out of the picture, values too short to read), scale-mode changes and scroll-bar widths.
#include <gtest/gtest.h>

#include <vector>

#include "skin/engine/core/skin_scaling.h"

// The keys asked for, in order, until one answers; and the PPI of the one that did.
TEST(SkinScaling, VariantOrderOfAStandaloneImage)
{
    struct Case {
        int ppi;
        std::vector<String> present;
        std::vector<String> asked;
        int drawnFor;
    } cases[] = {
        {96, {}, {L"M*125", L"M*150", L"M*200", L"M"}, 96},
        {96, {L"M", L"M*125"}, {L"M*125"}, 120},   // a larger drawing before the plain key
        {100, {L"M"}, {L"M*125", L"M*150", L"M*200", L"M"}, 96},
        {144, {L"M*150", L"M*200"}, {L"M*200"}, 192},
        {144, {L"M*150"}, {L"M*200", L"M*150"}, 144},
        {200, {L"M*125"}, {L"M*200", L"M*150", L"M*125"}, 120},
        {200, {}, {L"M*200", L"M*150", L"M*125", L"M"}, 96},
    };
    for (const Case& c : cases) {
        std::vector<String> asked;
        auto [value, ppi] = ChooseScaledMaskVariant(L"M", c.ppi, [&](const String& key) {
            asked.push_back(key);
            for (const String& p : c.present)
                if (p == key) return String(L"&") + key;
            return String();
        });
        EXPECT_EQ(asked, c.asked) << c.ppi;
        EXPECT_EQ(value.empty(), c.present.empty()) << c.ppi;
        if (!value.empty()) EXPECT_EQ(ppi, c.drawnFor) << c.ppi;
    }
}

namespace {
// A border definition of the master: rectangle, frames and mask parts.
String Border(int l, int t, int r, int b, int frames, int parts)
{
    auto n4 = [](int v) {
        String s = IntToStr(v);
        return String(4 - s.size(), L'0') + s;
    };
    return L"^" + n4(l) + L"^" + n4(t) + L"^" + n4(r) + L"^" + n4(b) + L"^0002^0002^0002^0002^" + IntToStr(frames) + L"^" +
           IntToStr(parts) + L"^0";
}
}  // namespace

TEST(SkinScaling, FramesOfAStandaloneImage)
{
    const TSize master(100, 50);
    struct Case {
        const char* what;
        String value;
        bool ok;
        TRect source;
        int frameW, frameH;
    } cases[] = {
        {"three frames, two parts", Border(10, 0, 40, 20, 3, 1), true, TRect(10, 0, 40, 20), 10, 10},
        {"no frame count: one frame", Border(0, 0, 30, 20, 0, 0), true, TRect(0, 0, 30, 20), 30, 20},
        {"reaching out of the master: clipped", Border(80, 40, 120, 60, 2, 0), true, TRect(80, 40, 100, 50), 10, 10},
        {"wholly outside", Border(100, 0, 140, 20, 1, 0), false, TRect(), 0, 0},
        {"turned round", Border(40, 0, 10, 20, 1, 0), false, TRect(), 0, 0},
        {"narrower than its frames", Border(0, 0, 2, 20, 3, 0), false, TRect(0, 0, 2, 20), 0, 20},
        {"too short to read", L"&0001", false, TRect(), 0, 0},
        {"not numbers", L"&00X1000200030004", false, TRect(), 0, 0},
        {"empty", L"", false, TRect(), 0, 0},
    };
    for (const Case& c : cases) {
        TacScaledMaskPlan plan;
        EXPECT_EQ(PlanScaledMask(c.value, master, plan), c.ok) << c.what;
        if (!c.ok) continue;
        EXPECT_EQ(plan.Source, c.source) << c.what;
        EXPECT_EQ(plan.FrameWidth, c.frameW) << c.what;
        EXPECT_EQ(plan.FrameHeight, c.frameH) << c.what;
        EXPECT_GE(plan.Def.ImageCount, 1) << c.what;
    }
    // Nothing to cut from an empty master.
    TacScaledMaskPlan plan;
    EXPECT_FALSE(PlanScaledMask(Border(0, 0, 30, 20, 1, 0), TSize(0, 0), plan));
}

TEST(SkinScaling, ScaleModeChanges)
{
    struct Case {
        const char* what;
        TacScaleMode from, to;
        int newPpi, oldPpi, stored, fontStep, mainPpi;
        int oldPercent, newPercent, oldPPI, newPPI, storedAfter;
        bool customFirst = false;   // a custom-PPI change at the main form's PPI goes first
    } cases[] = {
        {"vcl to 150", smVCL, sm150, 0, 0, 96, 0, 120, 125, 150, 0, 144, 144},
        {"150 to 100 is smaller", sm150, sm100, 0, 0, 144, 0, 96, 150, 100, 0, 96, 96},
        {"auto takes the font's step", sm100, smAuto, 0, 0, 96, 2, 96, 100, 150, 0, 144, 144},
        {"auto: a font step past 3 is 3", sm100, smAuto, 0, 0, 96, 5, 96, 100, 200, 0, 192, 192},
        {"no scaling", sm200, smOldMode, 0, 0, 192, 0, 96, 200, 100, 0, 96, 96},
        {"custom from custom", smCustomPPI, smCustomPPI, 168, 0, 120, 0, 96, 125, 175, 120, 168, 168},
        {"custom, no PPI written", smCustomPPI, smCustomPPI, 0, 0, 120, 0, 96, 125, 125, 120, 120, 120},
        {"custom from vcl", smVCL, smCustomPPI, 0, 0, 144, 0, 192, 200, 150, 192, 144, 144},
        {"custom from 125", sm125, smCustomPPI, 0, 0, 96, 0, 96, 125, 100, 120, 96, 96},
        {"vcl from 200 follows the main form", sm200, smVCL, 0, 0, 192, 1, 144, 200, 125, 0, 0, 144, true},
        {"vcl from custom follows the main form", smCustomPPI, smVCL, 0, 0, 168, 0, 120, 175, 100, 0, 0, 120, true},
        {"vcl from auto keeps the stored PPI", smAuto, smVCL, 0, 0, 100, 1, 144, 125, 125, 0, 0, 100},
    };
    for (const Case& c : cases) {
        const TacScaleChange r = ComputeScaleChange(c.from, c.to, c.newPpi, c.oldPpi, c.stored, c.fontStep, c.mainPpi);
        EXPECT_EQ(r.OldPercent, c.oldPercent) << c.what;
        EXPECT_EQ(r.NewPercent, c.newPercent) << c.what;
        EXPECT_EQ(r.OldPPI, c.oldPPI) << c.what;
        EXPECT_EQ(r.NewPPI, c.newPPI) << c.what;
        EXPECT_EQ(r.StoredPPI, c.storedAfter) << c.what;
        EXPECT_EQ(r.CustomFirst, c.customFirst) << c.what;
    }
    EXPECT_TRUE(ComputeScaleChange(sm150, sm100, 0, 0, 144, 0, 96).Smaller());
    EXPECT_FALSE(ComputeScaleChange(sm100, sm150, 0, 0, 96, 0, 96).Smaller());
}

TEST(SkinScaling, ScrollBarWidths)
{
    struct Case {
        TacScaleMode mode;
        int ppi, scrollSize, system, screen, custom, step, fontStep, want;
    } cases[] = {
        {smVCL, 144, 12, 17, 96, 96, 0, 0, 18},     // a size of the manager's own, from 96
        {sm150, 96, 0, 17, 96, 96, 2, 0, 0},        // 0 is a size too
        {smVCL, 144, -1, 17, 96, 96, 0, 0, 26},     // 25.5 rounds up
        {smVCL, 96, -1, 17, 144, 96, 0, 2, 11},     // 11.33
        {smAuto, 192, -1, 17, 96, 96, 3, 3, 17},
        {smOldMode, 192, -1, 17, 96, 96, 0, 0, 17},
        {smCustomPPI, 96, -1, 17, 96, 168, 0, 0, 30},   // 29.75
        {smCustomPPI, 96, -1, 17, 96, 168, 0, 1, 24},   // from 120: 23.8
        {sm200, 96, -1, 17, 96, 96, 3, 0, 34},
        {sm125, 96, -1, 17, 144, 96, 1, 2, 14},     // 125 / 150: 14.17
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalcScrollBarWidthFor(c.mode, c.ppi, c.scrollSize, c.system, c.screen, c.custom, c.step, c.fontStep), c.want)
            << int(c.mode) << " " << c.ppi;
}
