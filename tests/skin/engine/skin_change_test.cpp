// Switching skins live in real windows: a change that fails or is vetoed leaves the skin in use
// and tells no control; switching the manager off gives every control its standard look back and
// switching it on brings the skin back; each change ends with every form redrawn after painting
// is no longer held back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/geometry.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

using testing_support::PumpFor;

namespace {

// A borderless form with a container, a button on it and a listener; skinned or plain classes.
struct TScene {
    FormPtr Form{new TForm(nullptr)};
    TWinControl* Button = nullptr;
    TSkinCommandRecorder* Listener = nullptr;

    template <class TContainer, class TButtonClass>
    static std::unique_ptr<TScene> Make(int x)
    {
        auto s = std::make_unique<TScene>();
        s->Form->SetBorderStyle(bsNone);
        s->Form->SetBounds(x, 120, 200, 120);
        auto* container = new TContainer(s->Form.get());
        container->SetBounds(0, 0, 200, 120);
        container->SetParent(s->Form.get());
        s->Button = new TButtonClass(s->Form.get());
        s->Button->SetBounds(20, 30, 100, 30);
        s->Button->SetParent(container);
        s->Listener = new TSkinCommandRecorder(s->Form.get(), 180, 100);
        s->Form->Show();
        PumpFor(60);
        return s;
    }
};

TsCommonData* LinkOf(TWinControl* c) { return static_cast<TTestSkinButton*>(c)->SkinData(); }

int DifferingPixels(TBitmap* a, TBitmap* b)
{
    if (a->Width() != b->Width() || a->Height() != b->Height()) return -1;
    int n = 0;
    for (int y = 0; y < a->Height(); ++y)
        for (int x = 0; x < a->Width(); ++x) n += testing_support::PixelAt(*a, x, y) != testing_support::PixelAt(*b, x, y);
    return n;
}

}  // namespace

// A change that does not load (damaged or empty stored skin) or that a handler forbids: the skin
// in use stays with its data and name, no control hears of it, and the covers taken for the
// change go with painting no longer held back.
TEST(SkinChange, AChangeThatFailsOrIsVetoedTellsNobody)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_EQ(DefaultManager, m.get());
    m->SetExtendedBorders(true);   // the covers of the change are taken
    ASSERT_TRUE(m->ExtendedBorders());
    std::vector<uint8_t> damaged = fixture_skin::Packed();
    damaged.resize(damaged.size() / 2);
    TsStoredSkin& broken = m->InternalSkins()->Add();
    broken.Name = L"Broken";
    broken.PackedData.WriteBuffer(damaged.data(), int64_t(damaged.size()));
    m->InternalSkins()->Add().Name = L"Empty";
    auto scene = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    ASSERT_TRUE(LinkOf(scene->Button)->Skinned());
    TacSkinData* data = m->CommonSkinData(96);
    const String description = m->SkinCommonInfo.OptionsDat.Text();

    struct THandler {
        bool Veto = false;
        bool HeldWhileAsked = false;
        void Changing(TObject*, const String&, bool& allow)
        {
            HeldWhileAsked = AnimationRunning;
            allow = !Veto;
        }
    } handler;
    m->OnSkinChanging = Bind<&THandler::Changing>(&handler);
    struct Case {
        const char* what;
        const wchar_t* name;
        bool veto;
        size_t boxes;
    };
    for (const Case& c : {Case{"damaged", L"Broken", false, 1}, Case{"empty", L"Empty", false, 1},
                          Case{"vetoed", L"Light", true, 0}}) {
        SCOPED_TRACE(c.what);
        handler.Veto = c.veto;
        handler.HeldWhileAsked = false;
        scene->Listener->Seen.clear();
        TBoxRecorder boxes;
        m->SetSkinName(c.name);
        EXPECT_TRUE(handler.HeldWhileAsked);   // the covers were up
        EXPECT_FALSE(AnimationRunning);
        EXPECT_EQ(boxes.Boxes.size(), c.boxes);
        EXPECT_EQ(m->SkinName(), c.veto ? String(c.name) : String(L"Fixture"));
        EXPECT_EQ(m->CommonSkinData(96), data);
        EXPECT_TRUE(m->SkinCommonInfo.OptionsDat.Text() == description);
        EXPECT_TRUE(m->IsActive());
        EXPECT_TRUE(scene->Listener->Seen.empty());
        EXPECT_EQ(LinkOf(scene->Button)->FCommonSkinData, data);
        // Painting goes on: a paint asked for now is made.
        scene->Listener->Paints.clear();
        RedrawWindow(scene->Listener->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(scene->Listener->Paints, std::vector<bool>{false});
    }
}

// Active off: scmRemoveSkin reaches the controls and the form is redrawn at once in the standard
// look (as a never-skinned twin); on: the skin comes back, the controls told scmNewSkin while
// painting is held back, then scmRefresh, and the redraw made after AnimationRunning was cleared.
TEST(SkinChange, ActiveOffGivesBackTheStandardLookAndOnTheSkin)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    ASSERT_EQ(DefaultManager, m.get());
    auto skinned = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    auto plain = TScene::Make<TPanel, TCustomControl>(320);
    auto withSkin = testing_support::CaptureWindow(skinned->Form->Handle());
    const auto standard = testing_support::CaptureWindow(plain->Form->Handle());
    ASSERT_GT(DifferingPixels(withSkin.get(), standard.get()), 0);

    skinned->Listener->Paints.clear();
    m->SetActive(false);
    EXPECT_EQ(skinned->Listener->Codes(), std::vector<unsigned>{scmRemoveSkin});
    EXPECT_FALSE(skinned->Listener->Paints.empty());   // redrawn before anything was pumped
    EXPECT_FALSE(LinkOf(skinned->Button)->Skinned());
    auto off = testing_support::CaptureWindow(skinned->Form->Handle());
    EXPECT_EQ(DifferingPixels(off.get(), standard.get()), 0);

    skinned->Listener->Seen.clear();
    skinned->Listener->Paints.clear();
    m->SetActive(true);
    ASSERT_TRUE(m->IsActive());
    EXPECT_EQ(m->SkinName(), L"Fixture");
    EXPECT_TRUE(LinkOf(skinned->Button)->Skinned());
    const auto& seen = skinned->Listener->Seen;
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front().Command, unsigned(scmNewSkin));
    EXPECT_TRUE(seen.front().Held);
    EXPECT_EQ(seen.back().Command, unsigned(scmRefresh));
    EXPECT_FALSE(AnimationRunning);
    ASSERT_FALSE(skinned->Listener->Paints.empty());
    for (bool held : skinned->Listener->Paints) EXPECT_FALSE(held);
    auto on = testing_support::CaptureWindow(skinned->Form->Handle());
    EXPECT_EQ(DifferingPixels(on.get(), withSkin.get()), 0);
    testing_support::SaveArtifact(*on, L"skin_change_on_again");
    testing_support::SaveArtifact(*off, L"skin_change_off");
}

// Switching to another skin reaches the controls of every form once and they take its data.
TEST(SkinChange, AnotherSkinReachesEveryForm)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto a = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    auto b = TScene::Make<TTestSkinPanel, TTestSkinButton>(320);
    m->SetSkinName(L"Dark");
    ASSERT_EQ(m->SkinName(), L"Dark");
    for (TScene* s : {a.get(), b.get()}) {
        const std::vector<unsigned> codes = s->Listener->Codes();
        EXPECT_EQ(std::count(codes.begin(), codes.end(), unsigned(scmNewSkin)), 1);
        EXPECT_TRUE(LinkOf(s->Button)->Skinned());
        EXPECT_EQ(LinkOf(s->Button)->ResolveSkinData(), m->CommonSkinData(96));
    }
}

// A fixed scale step: the change announced with its percents, one data object made for that
// step, the skin published once, the (registered) form rescaled and its controls told the new
// PPI. Back to the platform's scaling the form returns to the main form's PPI first and the
// controls take the data object of their monitor's PPI again.
TEST(SkinChange, AScaleModeChangeRescalesAndPublishesOnce)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    RegisterSkinnedForm(s->Form.get());
    struct Unregister {
        TCustomForm* f;
        ~Unregister() { UnregisterSkinnedForm(f); }
    } unregister{s->Form.get()};
    ASSERT_EQ(MainFormPpi(), 96);
    struct TEvents {
        std::vector<TScaleChangeData> Changes;
        int Scaled = 0, After = 0;
        void Change(TObject*, const TScaleChangeData& d) { Changes.push_back(d); }
        void Done(TObject*) { ++Scaled; }
        void AfterChange(TObject*) { ++After; }
    } ev;
    m->OnScaleModeChange = Bind<&TEvents::Change>(&ev);
    m->OnScaleChanged = Bind<&TEvents::Done>(&ev);
    m->OnAfterChange = Bind<&TEvents::AfterChange>(&ev);
    s->Listener->Seen.clear();
    m->Options()->SetScaleMode(sm150);
    ASSERT_EQ(ev.Changes.size(), 1u);
    EXPECT_EQ(ev.Changes[0].OldScaleMode, smVCL);
    EXPECT_EQ(ev.Changes[0].NewScaleMode, sm150);
    EXPECT_EQ(ev.Changes[0].OldScalePercent, 100);
    EXPECT_EQ(ev.Changes[0].NewScalePercent, 150);
    EXPECT_EQ(ev.Changes[0].NewPPI, 144);
    EXPECT_EQ(ev.Scaled, 1);
    EXPECT_EQ(ev.After, 1);
    EXPECT_EQ(m->Options()->PixelsPerInch(), 144);
    ASSERT_EQ(m->SkinDataArray.size(), 1u);
    EXPECT_EQ(m->SkinDataArray[0]->PPI(), 144);
    const std::vector<unsigned> codes = s->Listener->Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), unsigned(scmNewSkin)), 1);
    EXPECT_EQ(s->Button->Width(), 150);
    TsCommonData* link = LinkOf(s->Button);
    EXPECT_EQ(link->CurrentPPI, 144);
    EXPECT_TRUE(link->Skinned());
    EXPECT_EQ(link->ResolveSkinData(), m->SkinDataArray[0].get());
    EXPECT_EQ(m->ScaleInt(10), 15);
    EXPECT_FALSE(AnimationRunning);
    EXPECT_TRUE(m->Effects()->AllowAnimation);

    // A custom PPI: taking the stored one changes no size; writing another rescales to it.
    m->Options()->SetScaleMode(smCustomPPI);
    ASSERT_EQ(ev.Changes.size(), 2u);
    EXPECT_EQ(ev.Changes[1].NewPPI, 144);
    EXPECT_EQ(s->Button->Width(), 150);
    m->Options()->SetPixelsPerInch(168);
    ASSERT_EQ(ev.Changes.size(), 3u);
    EXPECT_EQ(ev.Changes[2].OldPPI, 144);
    EXPECT_EQ(ev.Changes[2].NewPPI, 168);
    EXPECT_EQ(ev.Changes[2].NewScalePercent, 175);
    EXPECT_EQ(s->Button->Width(), 175);
    EXPECT_EQ(m->SkinDataArray[0]->PPI(), 168);
    EXPECT_EQ(link->ResolveSkinData(), m->SkinDataArray[0].get());
    EXPECT_EQ(ev.Scaled, 3);

    m->Options()->SetScaleMode(smVCL);
    ASSERT_EQ(ev.Changes.size(), 5u);
    EXPECT_EQ(ev.Changes[3].NewScaleMode, smCustomPPI);   // to the main form's PPI first
    EXPECT_EQ(ev.Changes[3].NewPPI, 96);
    EXPECT_EQ(ev.Changes[4].NewScaleMode, smVCL);
    EXPECT_EQ(ev.Changes[4].OldScalePercent, 175);
    EXPECT_EQ(ev.Changes[4].NewScalePercent, 100);
    EXPECT_EQ(s->Button->Width(), 100);
    EXPECT_EQ(m->SkinDataArray[0]->PPI(), 96);
    // The platform's scaling again: the controls take the data object of their monitor's PPI.
    EXPECT_EQ(link->ResolveSkinData(), m->CommonSkinData(ControlPpi(s->Button)));
    EXPECT_TRUE(link->Skinned());
}

// In smVCL a form brought to each PPI by hand: the form and its controls scaled, the controls
// told scmPPIChanged, each taking the data object of its step (made on demand, one per step).
TEST(SkinChange, PpiStepsByHandTakeTheirDataObjects)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    TsCommonData* link = LinkOf(s->Button);
    m->UpdateScale(s->Form.get(), 96, 0);   // smVCL, no PPI given: nothing
    EXPECT_EQ(s->Button->Width(), 100);
    int from = 96;
    for (int ppi : {120, 144, 192, 96}) {
        SCOPED_TRACE(ppi);
        m->UpdateScale(s->Form.get(), from, ppi);
        from = ppi;
        EXPECT_EQ(s->Form->CurrentPPI(), ppi);
        EXPECT_EQ(s->Button->Width(), 100 * ppi / 96);
        EXPECT_EQ(link->CurrentPPI, ppi);
        TacSkinData* d = link->ResolveSkinData();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->PPI(), ppi);
        const size_t step = size_t(ScaleStepOfPpi(ppi));
        ASSERT_GT(m->SkinDataArray.size(), step);
        EXPECT_EQ(m->SkinDataArray[step].get(), d);
        EXPECT_FALSE(d->gd.empty());
        EXPECT_EQ(link->SkinIndex >= 0, true);
    }
    EXPECT_EQ(m->SkinDataArray.size(), 4u);
    EXPECT_TRUE(m->Effects()->AllowAnimation);
    s->Form->Invalidate();
    PumpFor(60);
    testing_support::SaveScreenshot(s->Form->Handle(), L"skin_change_after_ppi_steps", true);
}

namespace {
// A listener that runs an action when a given skin command reaches it.
class TActingListener : public TCustomControl {
public:
    TActingListener(TWinControl* parent, unsigned command, std::function<void()> action)
        : TCustomControl(parent), Command(command), Action(std::move(action))
    {
        SetBounds(0, 0, 10, 10);
        SetParent(parent);
    }
    int Seen = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND && SkinCommandOf(m.WParam) == Command) {
            ++Seen;
            if (Action) Action();
        }
        TCustomControl::Dispatch(m);
    }

private:
    unsigned Command;
    std::function<void()> Action;
};
}  // namespace

// The registry of skinned forms: the last form moves into a removed one's slot; a broadcast whose
// receiver unregisters and frees a form later in the list goes on with the forms still there,
// reaching each once (registered forms are not reached again as ordinary forms).
TEST(SkinChange, TheSkinnedFormsWalkSurvivesReceiversFreeingForms)
{
    auto make = [] {
        FormPtr f(new TForm(nullptr));
        f->SetBorderStyle(bsNone);
        f->SetBounds(60, 60, 60, 40);
        f->Show();
        return f;
    };
    FormPtr a = make(), b = make(), c = make(), d = make();
    for (TCustomForm* f : {a.get(), b.get(), c.get(), d.get()}) RegisterSkinnedForm(f);
    UnregisterSkinnedForm(b.get());
    EXPECT_EQ(SkinnedForms(), (std::vector<TCustomForm*>{a.get(), d.get(), c.get()}));
    UnregisterSkinnedForm(c.get());
    EXPECT_EQ(SkinnedForms(), (std::vector<TCustomForm*>{a.get(), d.get()}));
    RegisterSkinnedForm(c.get());   // a, d, c

    const unsigned command = scmStopAnimation;
    auto* onA = new TActingListener(a.get(), command, [&] {
        UnregisterSkinnedForm(d.get());   // c takes d's slot
        d.reset();
    });
    auto* onC = new TActingListener(c.get(), command, nullptr);
    auto* onB = new TActingListener(b.get(), command, nullptr);
    BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(command), 0, 0});
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(onA->Seen, 1);
    EXPECT_EQ(onC->Seen, 1);
    EXPECT_EQ(onB->Seen, 1);   // an ordinary form
    EXPECT_EQ(SkinnedForms(), (std::vector<TCustomForm*>{a.get(), c.get()}));
    UnregisterSkinnedForm(a.get());
    UnregisterSkinnedForm(c.get());
    EXPECT_TRUE(SkinnedForms().empty());
    FinishSkinChange(nullptr, false);   // lets go of the forms reached
}

namespace {
unsigned Count(const std::vector<unsigned>& codes, unsigned code)
{
    return unsigned(std::count(codes.begin(), codes.end(), code));
}
}  // namespace

// While a new skin goes out its receivers find the manager's skin not yet marked active, but
// the manager answers for the skin being published, so they take its sections; once out, it
// is active again.
TEST(SkinChange, ANewSkinGoesOutBeforeItIsMarkedActive)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    struct TSeenThen {
        bool Marked = true, Answered = false, Broadcasting = false;
    } seen;
    new TActingListener(s->Form.get(), scmNewSkin, [&] {
        seen.Marked = m->SkinCommonInfo.Active;
        seen.Answered = m->IsActive();
        seen.Broadcasting = m->HasState(msBroadCasting);
    });
    m->SetSkinName(L"Dark");
    EXPECT_FALSE(seen.Marked);
    EXPECT_TRUE(seen.Answered);
    EXPECT_TRUE(seen.Broadcasting);
    EXPECT_TRUE(m->SkinCommonInfo.Active);
    EXPECT_FALSE(m->HasState(msBroadCasting));
    EXPECT_FALSE(NewSkinBroadcasting);
    EXPECT_TRUE(LinkOf(s->Button)->Skinned());
    EXPECT_EQ(LinkOf(s->Button)->ResolveSkinData(), m->CommonSkinData(96));
}

// A form's manager is streamed with it: the skin it loads meanwhile is published once, when it
// is loaded, without a repaint of the forms.
TEST(SkinChange, AStreamedManagerPublishesOnceWhenLoaded)
{
    TComponent owner(nullptr);
    auto* m = new TsSkinManager(&owner);
    const std::vector<uint8_t> fixture = fixture_skin::Packed();
    TsStoredSkin& item = m->InternalSkins()->Add();
    item.Name = L"Fixture";
    item.PackedData.WriteBuffer(fixture.data(), int64_t(fixture.size()));
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    ASSERT_FALSE(LinkOf(s->Button)->Skinned());
    owner.BeginLoading();
    m->SetSkinName(L"Fixture");
    EXPECT_TRUE(m->IsActive());
    EXPECT_TRUE(s->Listener->Seen.empty());
    owner.EndLoading();
    EXPECT_EQ(s->Listener->Codes(), std::vector<unsigned>{scmNewSkin});
    EXPECT_TRUE(LinkOf(s->Button)->Skinned());
    EXPECT_EQ(LinkOf(s->Button)->ResolveSkinData(), m->CommonSkinData(96));
    s.reset();
}

// The default manager changes hands: the controls without a manager of their own follow the
// new default's skin, or lose theirs when it has none.
TEST(SkinChange, ControlsFollowTheDefaultManager)
{
    TManagerPtr first = ManagerWithSkin(L"Fixture");
    TManagerPtr second = ManagerWithSkin(L"Dark");
    TManagerPtr off = ManagerWithSkin(L"");
    off->SetActive(false);
    ASSERT_EQ(DefaultManager, first.get());
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    TsCommonData* link = LinkOf(s->Button);
    ASSERT_EQ(link->ResolveSkinData(), first->CommonSkinData(96));
    struct Case {
        const char* what;
        TsSkinManager* manager;
        unsigned command;
        bool skinned;
    } cases[] = {
        {"a skinned manager", second.get(), scmNewSkin, true},
        {"one without a skin", off.get(), scmRemoveSkin, false},
        {"the first again", first.get(), scmNewSkin, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        s->Listener->Seen.clear();
        c.manager->SetIsDefault(true);
        EXPECT_EQ(DefaultManager, c.manager);
        ASSERT_FALSE(s->Listener->Seen.empty());
        EXPECT_EQ(s->Listener->Seen.front().Command, c.command);
        EXPECT_EQ(s->Listener->Seen.front().LParam, reinterpret_cast<LPARAM>(c.manager));
        EXPECT_EQ(link->Skinned(), c.skinned);
        if (c.skinned) {
            EXPECT_EQ(link->ResolveSkinData(), c.manager->CommonSkinData(96));
        }
        EXPECT_FALSE(AnimationRunning);
    }
}

// Extended borders switched while a skin is active: the forms are refreshed; the same value
// again, or a switch while no skin is active, tells nobody.
TEST(SkinChange, ExtendedBordersRepaintTheForms)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<unsigned> codes;
    } steps[] = {
        {"on", [&] { m->SetExtendedBorders(true); }, {scmStopAnimation, scmRefresh}},
        {"on again", [&] { m->SetExtendedBorders(true); }, {}},
        {"off", [&] { m->SetExtendedBorders(false); }, {scmStopAnimation, scmRefresh}},
        {"on without a skin",
         [&] {
             m->SetActive(false);
             s->Listener->Seen.clear();
             m->SetExtendedBorders(true);
         },
         {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        s->Listener->Seen.clear();
        step.act();
        EXPECT_EQ(s->Listener->Codes(), step.codes);
        EXPECT_FALSE(AnimationRunning);
    }
}

// BeginUpdate .. EndUpdate: the skins written meanwhile are loaded but not published; EndUpdate
// publishes what is loaded once (also when nothing was written), without the skin-change
// animation unless allowed, and fires OnAfterChange once.
TEST(SkinChange, EndUpdatePublishesOnce)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    struct TAfter {
        int Count = 0;
        void After(TObject*) { ++Count; }
    } after;
    m->OnAfterChange = Bind<&TAfter::After>(&after);
    std::vector<bool> animated;   // SkinChanging.Active at each scmNewSkin
    new TActingListener(s->Form.get(), scmNewSkin, [&] { animated.push_back(m->AnimEffects()->SkinChanging.Active); });
    ASSERT_TRUE(m->AnimEffects()->SkinChanging.Active);

    m->BeginUpdate();
    m->SetSkinName(L"Dark");
    m->SetSkinName(L"Light");
    EXPECT_TRUE(s->Listener->Seen.empty());
    EXPECT_EQ(after.Count, 0);
    m->EndUpdate(true, false);
    EXPECT_EQ(animated, std::vector<bool>{false});
    EXPECT_TRUE(m->AnimEffects()->SkinChanging.Active);
    EXPECT_EQ(after.Count, 1);
    const std::vector<unsigned> codes = s->Listener->Codes();
    EXPECT_EQ(Count(codes, scmNewSkin), 1u);
    EXPECT_EQ(codes.back(), unsigned(scmRefresh));
    EXPECT_EQ(m->SkinName(), L"Light");
    EXPECT_EQ(LinkOf(s->Button)->ResolveSkinData(), m->CommonSkinData(96));

    // Nothing written: published all the same; no repaint asked, the animation allowed.
    s->Listener->Seen.clear();
    animated.clear();
    m->BeginUpdate();
    m->EndUpdate(false, true);
    EXPECT_EQ(animated, std::vector<bool>{true});
    EXPECT_EQ(s->Listener->Codes(), std::vector<unsigned>{scmNewSkin});
    EXPECT_EQ(after.Count, 2);
    EXPECT_FALSE(m->NoAutoUpdate);
    EXPECT_FALSE(AnimationRunning);
}

// A colour option rebuilds the skin data and publishes it; OnAfterChange comes after the
// rebuild is over, then the forms are refreshed again. Under BeginUpdate the rebuilt skin is
// published without either.
TEST(SkinChange, AColourOptionRebuildsPublishesAndRepaints)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    struct TAfter {
        TsSkinManager* M = nullptr;
        TSkinCommandRecorder* L = nullptr;
        int Count = 0;
        bool Changing = true;
        size_t SeenThen = 0;
        void After(TObject*)
        {
            ++Count;
            Changing = M->HasState(msSkinChanging);
            SeenThen = L->Seen.size();
        }
    } after{m.get(), s->Listener};
    m->OnAfterChange = Bind<&TAfter::After>(&after);
    TacSkinData* old = m->CommonSkinData(96);

    s->Listener->Seen.clear();
    m->SetHueOffset(40);
    EXPECT_NE(m->CommonSkinData(96), old);
    EXPECT_EQ(after.Count, 1);
    EXPECT_FALSE(after.Changing);
    std::vector<unsigned> codes = s->Listener->Codes();
    EXPECT_EQ(Count(codes, scmNewSkin), 1u);
    EXPECT_EQ(Count(codes, scmRefresh), 2u);
    ASSERT_LT(after.SeenThen, codes.size());   // a refresh after OnAfterChange
    EXPECT_EQ(codes.back(), unsigned(scmRefresh));
    EXPECT_EQ(LinkOf(s->Button)->ResolveSkinData(), m->CommonSkinData(96));

    s->Listener->Seen.clear();
    m->BeginUpdate();
    m->SetSaturation(20);
    codes = s->Listener->Codes();
    EXPECT_EQ(Count(codes, scmNewSkin), 1u);
    EXPECT_EQ(Count(codes, scmRefresh), 1u);
    EXPECT_EQ(after.Count, 1);
    m->EndUpdate(false, false);
    EXPECT_FALSE(AnimationRunning);
}

// A section updated by name (any case) reaches every form's controls, and the ones of that
// section repaint; an empty name reaches nobody.
TEST(SkinChange, AnUpdatedSectionRepaintsItsControls)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    auto s = TScene::Make<TTestSkinPanel, TTestSkinButton>(60);
    auto* button = new TTestSkinButton(s->Form.get());
    button->SetBounds(130, 20, 40, 20);
    button->SetParent(s->Form.get());
    button->SkinData()->SetSkinSection(L"Button");
    auto* panel = static_cast<TTestSkinPanel*>(s->Button->Parent());
    panel->SkinData()->SetSkinSection(L"PANEL");
    PumpFor(60);
    ASSERT_TRUE(button->SkinData()->Skinned());
    auto pending = [](TWinControl* c) { return GetUpdateRect(c->Handle(), nullptr, FALSE) != FALSE; };
    ASSERT_FALSE(pending(button));
    ASSERT_FALSE(pending(panel));
    m->UpdateSkinSection(L"button");
    EXPECT_EQ(s->Listener->Sections, std::vector<String>{L"BUTTON"});
    EXPECT_TRUE(pending(button));
    EXPECT_FALSE(pending(panel));
    PumpFor(30);
    s->Listener->Sections.clear();
    m->UpdateSkinSection(String());
    EXPECT_TRUE(s->Listener->Sections.empty());
    EXPECT_FALSE(pending(button));
    FinishSkinChange(nullptr, false);
}
