// Scale changes on real windows: forms with (stand-in) skin providers held in their scaling state
// while the manager rescales every registered form, each form asked for its PPI, a form that does
// not scale left alone, the way back to the platform's scaling through the main form's PPI, and a
// change while the manager is loading that only stores the mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "skin/engine/common_data.h"
#include "skin/engine/core/geometry.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/provider_form.h"
#include "tests/vcl/form_ptr.h"

using testing_support::PumpFor;

namespace {

struct TProviderFormDeleter {
    void operator()(TProviderForm* f) const { TObject::Free(f); }
};
using TProviderFormPtr = std::unique_ptr<TProviderForm, TProviderFormDeleter>;

// A provider form with a skinned button (100 x 30 at 96 PPI).
struct TScaledForm {
    TProviderFormPtr Form;
    TTestSkinButton* Button = nullptr;
    TScaledForm(TsSkinManager* manager, int x, bool show = true) : Form(new TProviderForm(manager, x))
    {
        Button = new TTestSkinButton(Form.get());
        Button->SetBounds(20, 30, 100, 30);
        Button->SetParent(Form.get());
        if (show) Form->Show();
        else Form->HandleNeeded();
    }
    TsCommonData* Link() const { return Button->SkinData(); }
};

// The entries of a log before its first "newskin" (the publication that ends a change).
std::vector<std::string> BeforePublishing(const std::vector<std::string>& log)
{
    return {log.begin(), std::find(log.begin(), log.end(), "newskin")};
}

struct TScaleEvents {
    TsSkinManager* Manager = nullptr;
    std::vector<TScaleChangeData> Changes;
    std::vector<TacScaleMode> ModeWhenAnnounced;
    int Done = 0;
    void Change(TObject*, const TScaleChangeData& d)
    {
        Changes.push_back(d);
        ModeWhenAnnounced.push_back(Manager->Options()->ScaleMode());
    }
    void Scaled(TObject*) { ++Done; }
    void Attach(TsSkinManager* m)
    {
        Manager = m;
        m->OnScaleModeChange = Bind<&TScaleEvents::Change>(this);
        m->OnScaleChanged = Bind<&TScaleEvents::Scaled>(this);
    }
};

bool SameChange(const TScaleChangeData& a, const TScaleChangeData& b)
{
    return a.OldScaleMode == b.OldScaleMode && a.NewScaleMode == b.NewScaleMode &&
           a.OldScalePercent == b.OldScalePercent && a.NewScalePercent == b.NewScalePercent && a.OldPPI == b.OldPPI &&
           a.NewPPI == b.NewPPI;
}

}  // namespace

// A fixed step: the forms of this manager that are shown enter their scaling state and stop
// redrawing, every registered form (shown or not, whatever its manager) is rescaled, then the
// held forms rebuild their caches, leave the state and redraw again (a form without a section is
// redrawn at once), all before the one publication. The change is announced with the old mode
// still in force.
TEST(ScaleChange, TheManagersFormsAreHeldWhileEveryRegisteredFormRescales)
{
    TProviderServices services;
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TScaleEvents events;
    events.Attach(m.get());
    TScaledForm a(m.get(), 40), b(m.get(), 260), foreign(nullptr, 480), hidden(m.get(), 700, false);
    b.Form->HasSection = false;
    PumpFor(60);
    for (TScaledForm* f : {&a, &b, &foreign, &hidden}) f->Form->Log.clear();

    m->Options()->SetScaleMode(sm150);
    ASSERT_EQ(events.Changes.size(), 1u);
    EXPECT_EQ(events.ModeWhenAnnounced[0], smVCL);
    EXPECT_EQ(events.Done, 1);
    const std::vector<std::string> held{"enter", "redraw 0", "ppi 144", "cache", "leave", "redraw 1"};
    EXPECT_EQ(BeforePublishing(a.Form->Log), held);
    std::vector<std::string> heldRedrawn = held;
    heldRedrawn.push_back("paint");
    EXPECT_EQ(BeforePublishing(b.Form->Log), heldRedrawn);
    EXPECT_EQ(BeforePublishing(foreign.Form->Log), std::vector<std::string>{"ppi 144"});
    EXPECT_EQ(BeforePublishing(hidden.Form->Log), std::vector<std::string>{"ppi 144"});
    for (TScaledForm* f : {&a, &b, &foreign, &hidden}) {
        SCOPED_TRACE(f->Form->Left());
        EXPECT_EQ(std::count(f->Form->Log.begin(), f->Form->Log.end(), "newskin"), 1);
        EXPECT_FALSE(f->Form->Scaled());   // the manager scales it now
        EXPECT_EQ(f->Form->Ppi, 144);
        EXPECT_EQ(f->Button->Width(), 150);
        EXPECT_EQ(f->Form->ClientWidth(), 300);
        EXPECT_EQ(f->Link()->CurrentPPI, 144);
        EXPECT_TRUE(f->Form->ScalingSeen);
        EXPECT_FALSE(f->Form->AnimationSeen);
    }
    EXPECT_EQ(a.Form->Left(), 40);   // it keeps its place
    EXPECT_TRUE(m->Effects()->AllowAnimation);
    EXPECT_FALSE(m->HasState(msFormScaling | msScaleChanging));
    EXPECT_TRUE(IsWindowVisible(a.Form->Handle()));
    m->Options()->SetScaleMode(smVCL);
    EXPECT_TRUE(a.Form->Scaled());
}

// UpdateScale with no PPI given asks the form for its PPI (the component layer's, when nothing
// answers) and rescales it to the manager's; a form that answers -1 does not scale in any mode.
TEST(ScaleChange, UpdateScaleTakesTheFormFromThePpiItAnswers)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    struct Case {
        const char* what;
        TacScaleMode mode;
        int custom;       // Options.PixelsPerInch in smCustomPPI
        int answer;       // what the form answers to scmGetPPI (0: no provider)
        int given;        // UpdateScale's NewPPI
        int width;        // the button's width afterwards
        bool fontStored;  // StoreDefFont ran
    } cases[] = {
        {"fixed step", sm150, 0, 96, 0, 150, true},
        {"already there", sm150, 0, 144, 0, 150, true},
        {"does not scale", sm150, 0, -1, 0, 100, true},
        {"does not scale, custom PPI", smCustomPPI, 168, -1, 0, 100, true},
        {"custom PPI", smCustomPPI, 168, 96, 0, 175, true},
        {"no scaling", smOldMode, 0, 120, 0, 100, true},
        {"no provider", sm150, 0, 0, 0, 150, true},
        {"a PPI given", sm150, 0, 96, 120, 125, true},
        {"the platform scales", smVCL, 0, 96, 0, 100, false},
        {"the platform scales, the same PPI given", smVCL, 0, 96, 96, 100, false},
        {"the platform scales, a PPI given", smVCL, 0, 96, 192, 200, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m->Options()->SetScaleMode(c.mode);
        if (c.mode == smCustomPPI) m->Options()->SetPixelsPerInch(c.custom);
        // Made after the mode: no scale change reaches it but the one asked for.
        TScaledForm f(m.get(), 60);
        UnregisterSkinnedForm(f.Form.get());
        f.Form->SetScaled(c.mode != smVCL);
        f.Form->AllowScale = c.answer != -1;
        f.Form->Silent = c.answer == 0;
        if (c.answer > 0 && c.answer != 96) f.Form->ScaleForPPI(c.answer);   // 96-PPI sizes times answer / 96
        f.Form->Ppi = c.answer;
        const int width = f.Button->Width();
        m->DefStoredFontName.clear();
        m->UpdateScale(f.Form.get(), 96, c.given);
        EXPECT_EQ(f.Form->Scaled(), c.mode == smVCL);
        EXPECT_EQ(f.Button->Width(), c.width);
        EXPECT_EQ(f.Form->Left(), 60);
        EXPECT_EQ(f.Form->ClientWidth(), 2 * c.width);
        EXPECT_EQ(!m->DefStoredFontName.empty(), c.fontStored);
        if (c.width != width) {
            EXPECT_TRUE(f.Form->ScalingSeen);
        }
        EXPECT_FALSE(m->HasState(msFormScaling));
        EXPECT_TRUE(m->Effects()->AllowAnimation);
        if (c.answer == 0) {
            // Asked again, the form is where it was put: the component layer's PPI is its own.
            m->UpdateScale(f.Form.get(), 96, 0);
            EXPECT_EQ(f.Button->Width(), c.width);
        }
        m->Options()->SetScaleMode(smVCL);
    }
}

// Back to the platform's scaling from a fixed step or a custom PPI: a custom-PPI change to the
// main form's PPI comes first and brings the forms back, then the switch itself.
TEST(ScaleChange, BackToThePlatformsScalingThroughTheMainFormsPpi)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_EQ(DefaultManager, m.get());
    TScaleEvents events;
    events.Attach(m.get());
    TScaledForm f(m.get(), 60);
    struct Case {
        const char* what;
        TacScaleMode from;
        int custom;
        std::vector<TScaleChangeData> changes;
    } cases[] = {
        {"from a fixed step", sm150, 0,
         {{sm150, smCustomPPI, 150, 100, 144, 96}, {sm150, smVCL, 150, 100, 0, 0}}},
        {"from a custom PPI", smCustomPPI, 168,
         {{smCustomPPI, smCustomPPI, 175, 100, 168, 96}, {smCustomPPI, smVCL, 175, 100, 0, 0}}},
        {"from the system font's step", smAuto, 0, {{smAuto, smVCL, 100, 100, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m->Options()->SetScaleMode(c.from);
        if (c.custom) m->Options()->SetPixelsPerInch(c.custom);
        EXPECT_EQ(f.Button->Width(), c.custom ? MulDiv(100, c.custom, 96) : c.from == sm150 ? 150 : 100);
        events.Changes.clear();
        events.Done = 0;
        m->Options()->SetScaleMode(smVCL);
        ASSERT_EQ(events.Changes.size(), c.changes.size());
        for (size_t i = 0; i < c.changes.size(); ++i) EXPECT_TRUE(SameChange(events.Changes[i], c.changes[i])) << i;
        EXPECT_EQ(events.Done, int(c.changes.size()));
        EXPECT_EQ(m->Options()->ScaleMode(), smVCL);
        EXPECT_EQ(DefaultScaleMode, smVCL);
        EXPECT_EQ(m->Options()->PixelsPerInch(), 96);
        EXPECT_EQ(f.Form->Ppi, 96);
        EXPECT_EQ(f.Button->Width(), 100);
        EXPECT_TRUE(f.Form->Scaled());
        EXPECT_EQ(f.Link()->ResolveSkinData(), m->CommonSkinData(ControlPpi(f.Button)));
    }
    // Writing the PPI outside smCustomPPI only stores it.
    events.Changes.clear();
    m->Options()->SetPixelsPerInch(150);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 150);
    EXPECT_TRUE(events.Changes.empty());
    EXPECT_EQ(f.Button->Width(), 100);
}

// While the manager is loading (made on a form being built) a scale change is announced and the
// mode and PPI stored, nothing rescaled; the default manager's change scales the screen's
// message font by the change's percents, another manager's does not.
TEST(ScaleChange, WhileLoadingOnlyTheModeIsStoredAndTheMessageFontFollows)
{
    ASSERT_EQ(DefaultManager, nullptr);
    TProviderServices services;
    FormPtr owner(new TForm(nullptr));
    owner->BeginLoading();
    auto* m = new TsSkinManager(owner.get());
    auto* second = new TsSkinManager(owner.get());
    ASSERT_EQ(DefaultManager, m);
    TScaleEvents events;
    events.Attach(m);
    TScaledForm f(m, 60);
    f.Form->Log.clear();
    TFont* font = Screen->MessageFont();
    const int size = font->Size();

    m->Options()->SetScaleMode(sm150);
    ASSERT_EQ(events.Changes.size(), 1u);
    EXPECT_TRUE(SameChange(events.Changes[0], {smVCL, sm150, 100, 150, 0, 144}));
    EXPECT_EQ(m->Options()->ScaleMode(), sm150);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 144);
    EXPECT_EQ(DefaultScaleMode, sm150);
    EXPECT_EQ(font->Size(), MulDiv(size, 150, 100));
    EXPECT_EQ(events.Done, 0);
    EXPECT_TRUE(f.Form->Log.empty());
    EXPECT_EQ(f.Button->Width(), 100);
    EXPECT_FALSE(m->HasState(msScaleChanging));

    second->Options()->SetScaleMode(sm200);
    EXPECT_EQ(second->Options()->ScaleMode(), sm200);
    EXPECT_EQ(font->Size(), MulDiv(size, 150, 100));
    font->SetSize(size);
    owner->EndLoading();
    DefaultScaleMode = smVCL;
}
