// The application font under the skin manager, in real windows: the skin's main font reaching a
// form's labels and edits and going back when the skin goes, the custom font, the controls that
// keep a font of their own, and the option writes that the forms hear of.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "skin/controls/sedits.h"
#include "skin/controls/slabel.h"
#include "skin/engine/command_delivery.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"

using testing_support::PumpFor;

namespace {

const wchar_t* const SkinFont = L"Courier New";
const wchar_t* const SpecialFont = L"Times New Roman";

String SkinWithFont(const String& font)
{
    return L"[GLOBALINFO]\nVERSION=8\nCOLOR=12632256\nMAINFONT=" + font +
           L"\n[EDIT]\nCOLOR=16777215\nFONTCOLOR=0\n[PANEL]\nCOLOR=12632256\n";
}

// The face name of the font a window draws with (WM_GETFONT).
String WindowFontFace(TWinControl* c)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(c->Handle(), WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof lf, &lf)) return String();
    return lf.lfFaceName;
}

// A form with labels and edits that follow the form's font, have the application's font as
// their own, or have a font chosen for them.
struct TFontScene {
    FormPtr Form = BorderlessForm(40, 40, 320, 200);
    String Stored;
    TsLabel* FollowingLabel = nullptr;
    TsLabel* OwnLabel = nullptr;
    TsLabel* SpecialLabel = nullptr;
    TsEdit* FollowingEdit = nullptr;
    TsEdit* OwnEdit = nullptr;
    TsEdit* SpecialEdit = nullptr;

    TFontScene()
    {
        Stored = Form->Font()->Name();
        int y = 10;
        auto label = [&](bool parentFont, const String& font) {
            auto* l = new TsLabel(Form.get());
            l->SetCaption(L"Label");
            l->SetBounds(10, y, 100, 20);
            l->SetParent(Form.get());
            if (!parentFont) l->Font()->SetName(font);
            y += 30;
            return l;
        };
        FollowingLabel = label(true, String());
        OwnLabel = label(false, Stored);
        SpecialLabel = label(false, SpecialFont);
        y = 10;
        auto edit = [&](bool parentFont, const String& font) {
            auto* e = new TsEdit(Form.get());
            e->SetBounds(150, y, 150, 24);
            e->SetParent(Form.get());
            if (!parentFont) e->Font()->SetName(font);
            y += 30;
            return e;
        };
        FollowingEdit = edit(true, String());
        OwnEdit = edit(false, Stored);
        SpecialEdit = edit(false, SpecialFont);
        Form->Show();
        PumpFor(40);
    }

    // Every control that has the application's font shows name; those with a font of their own
    // keep it.
    void Expect(const String& name, const char* when) const
    {
        EXPECT_EQ(Form->Font()->Name(), name) << when;
        EXPECT_EQ(FollowingLabel->Font()->Name(), name) << when;
        EXPECT_TRUE(FollowingLabel->ParentFont()) << when;
        EXPECT_EQ(OwnLabel->Font()->Name(), name) << when;
        EXPECT_EQ(SpecialLabel->Font()->Name(), SpecialFont) << when;
        for (TsEdit* e : {FollowingEdit, OwnEdit}) {
            EXPECT_EQ(e->Font()->Name(), name) << when;
            EXPECT_EQ(WindowFontFace(e), name) << when;
        }
        EXPECT_EQ(SpecialEdit->Font()->Name(), SpecialFont) << when;
        EXPECT_EQ(WindowFontFace(SpecialEdit), SpecialFont) << when;
    }
};

struct TFontChanges {
    std::vector<std::pair<String, String>> Seen;
    void Changed(TObject*, const String& oldName, const String& newName) { Seen.emplace_back(oldName, newName); }
};

}  // namespace

// A skin's main font reaches every control that has the application's font, and the font from
// before the skin comes back when the skin is switched off or a skin without a main font comes.
TEST(ApplicationFont, TheSkinsMainFontComesAndGoes)
{
    TFontScene scene;
    ASSERT_NE(scene.Stored, SkinFont);
    TManagerPtr m = ManagerWithSkin(String());
    TFontChanges changes;
    m->OnFontChanged = Bind<&TFontChanges::Changed>(&changes);
    m->Fonts()->SetMainMode(fmFromSkin);   // no skin yet: nothing to apply
    EXPECT_TRUE(changes.Seen.empty());

    m->ApplySkinEditorText(L"Fonted", String(), SkinWithFont(SkinFont));
    ASSERT_TRUE(m->IsActive());
    EXPECT_EQ(m->DefStoredFontName, scene.Stored);
    PumpFor(20);
    scene.Expect(SkinFont, "the skin's font");
    ASSERT_EQ(changes.Seen.size(), 1u);
    EXPECT_EQ(changes.Seen[0], std::make_pair(scene.Stored, String(SkinFont)));
    EXPECT_FALSE(m->HasState(msFontChanging));

    m->SetActive(false);
    PumpFor(20);
    scene.Expect(scene.Stored, "the skin switched off");
    ASSERT_EQ(changes.Seen.size(), 2u);
    EXPECT_EQ(changes.Seen[1], std::make_pair(String(SkinFont), scene.Stored));

    m->SetActive(true);
    scene.Expect(SkinFont, "the skin back");
    m->ApplySkinEditorText(L"Plain", String(), SkinWithFont(String()));
    ASSERT_TRUE(m->IsActive());
    scene.Expect(scene.Stored, "a skin without a main font");

    // The default mode leaves the application's font alone whatever the skin names.
    m->Fonts()->SetMainMode(fmDefault);
    m->ApplySkinEditorText(L"Fonted", String(), SkinWithFont(SkinFont));
    scene.Expect(scene.Stored, "the default mode");
}

// The custom font applies when the custom mode is chosen and follows MainFont while it is; the
// default mode brings the stored font back.
TEST(ApplicationFont, TheCustomFont)
{
    TFontScene scene;
    TManagerPtr m = ManagerWithSkin(String());
    m->ApplySkinEditorText(L"Plain", String(), SkinWithFont(String()));
    ASSERT_TRUE(m->IsActive());
    m->Fonts()->SetMainFont(L"Arial");   // the default mode does not use it
    scene.Expect(scene.Stored, "MainFont in the default mode");
    m->Fonts()->SetMainMode(fmCustom);
    scene.Expect(L"Arial", "the custom mode");
    m->Fonts()->SetMainFont(SkinFont);
    scene.Expect(SkinFont, "MainFont in the custom mode");
    m->Fonts()->SetMainMode(fmDefault);
    scene.Expect(scene.Stored, "back to the default mode");
}

// A label streamed in while a skin's font is in force takes that font when it is loaded; with a
// font chosen for it, it keeps that one.
TEST(ApplicationFont, ALoadedLabelTakesTheFontInForce)
{
    TFontScene scene;
    TManagerPtr m = ManagerWithSkin(String());
    m->Fonts()->SetMainMode(fmFromSkin);
    m->ApplySkinEditorText(L"Fonted", String(), SkinWithFont(SkinFont));
    ASSERT_EQ(scene.Form->Font()->Name(), SkinFont);
    {
        TComponent owner(nullptr);
        owner.BeginLoading();
        auto* streamed = new TsLabel(&owner);
        streamed->SetParentFont(false);
        streamed->Font()->SetName(scene.Stored);
        streamed->SetParent(scene.Form.get());
        auto* special = new TsLabel(&owner);
        special->SetParentFont(false);
        special->Font()->SetName(SpecialFont);
        special->SetParent(scene.Form.get());
        owner.EndLoading();
        EXPECT_EQ(streamed->Font()->Name(), SkinFont);
        EXPECT_EQ(special->Font()->Name(), SpecialFont);
    }
}

// Each option write that the forms must hear of reaches a form's control: the non-client option
// (registered forms and the hooked windows), the arrow style (the skin published again), the
// repainting options, the scroll-bar size. Writing the value in force, or a repainting option
// between BeginUpdate and EndUpdate, tells nobody.
TEST(OptionWrites, ReachTheForms)
{
    TRecordingFormServices services;
    TManagerPtr m = ManagerWithSkin(String());
    m->ApplySkinEditorText(L"Plain", String(), SkinWithFont(String()));
    ASSERT_TRUE(m->IsActive());
    FormPtr form = BorderlessForm(40, 40, 100, 100);
    auto* recorder = new TSkinCommandRecorder(form.get());
    form->Show();
    RegisterSkinnedForm(form.get());
    struct Unregister {
        TCustomForm* f;
        ~Unregister() { UnregisterSkinnedForm(f); }
    } unregister{form.get()};
    PumpFor(20);
    const bool oldGlyphs = m->ButtonsOptions()->OldGlyphsMode();

    const std::vector<unsigned> repaint{scmStopAnimation, scmRefresh};
    struct Case {
        const char* what;
        std::function<void()> write;
        std::vector<unsigned> heard;
    } cases[] = {
        {"DrawNonClientArea", [&] { m->Options()->SetDrawNonClientArea(false); }, {scmNonClientOptionChanged}},
        {"ArrowsStyle", [&] { m->Options()->SetArrowsStyle(arsLines1); }, {scmNewSkin, scmStopAnimation, scmRefresh}},
        {"AllowOuterEffects", [&] { m->Effects()->SetAllowOuterEffects(false); }, repaint},
        {"DiscoloredGlyphs", [&] { m->Effects()->SetDiscoloredGlyphs(true); }, repaint},
        {"ButtonsSize", [&] { m->ScrollsOptions()->SetButtonsSize(20); }, repaint},
        {"ScrollSize", [&] { m->ScrollsOptions()->SetScrollSize(20); }, {scmScrollOptionsChanged}},
        {"OldGlyphsMode", [&] { m->ButtonsOptions()->SetOldGlyphsMode(!oldGlyphs); }, repaint},
    };
    for (const Case& c : cases) {
        recorder->Seen.clear();
        services.Calls.clear();
        c.write();
        EXPECT_EQ(recorder->Codes(), c.heard) << c.what;
        recorder->Seen.clear();
        c.write();   // the value in force
        EXPECT_TRUE(recorder->Seen.empty()) << c.what << " written again";
    }
    m->ButtonsOptions()->SetOldGlyphsMode(oldGlyphs);   // one flag for the whole process

    // The non-client option carries its new value, to the forms and to the hooked windows.
    recorder->Seen.clear();
    services.Calls.clear();
    m->Options()->SetDrawNonClientArea(true);
    ASSERT_EQ(recorder->Seen.size(), 1u);
    EXPECT_EQ(recorder->Seen[0].LParam, 1);
    EXPECT_EQ(services.Calls, std::vector<String>{L"SendToHookedWindows 83 1"});

    // Between BeginUpdate and EndUpdate the repainting options wait for the end.
    recorder->Seen.clear();
    m->BeginUpdate();
    m->Effects()->SetAllowOuterEffects(true);
    m->Effects()->SetDiscoloredGlyphs(false);
    EXPECT_TRUE(recorder->Seen.empty());
    m->EndUpdate(true, false);
}
