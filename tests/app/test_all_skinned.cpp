// Every windowed control of the main window (all its pages) and of the preferences window is a
// skinned one: asked whether it is skinned, each answers 1, under the dark skin and after the
// Themes menu switched to the light one. Of the graphic controls only the labels, the shifter
// grid's lines and the scrolling text answer 0: they have no skin link of their own and paint
// over their skinned parent.
#include "tests/app/sim_window_fixture.h"

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"

#include <set>

using namespace simwindow;

namespace {

// The controls on parent and on its children, depth first.
void CollectControls(TWinControl* parent, std::vector<TControl*>& out)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        out.push_back(c);
        if (auto* w = dynamic_cast<TWinControl*>(c)) CollectControls(w, out);
    }
}

// Where a control sits, for the failure message: its name and class up to the form.
std::string PathOf(TControl* c)
{
    std::string path;
    for (TControl* p = c; p; p = p->Parent())
        path = ToUtf8(p->Name().empty() ? String(L"?") : p->Name()) + ":" + ToUtf8(p->ClassName()) +
               (path.empty() ? "" : " / " + path);
    return path;
}

class AllSkinnedTest : public SimWindowTest {
protected:
    // The controls of both windows that do not answer scmIsSkinned with 1, but for the graphic
    // controls of the classes that never do.
    std::vector<std::string> Unskinned(size_t& asked)
    {
        static const std::set<String> linkless = {L"TsLabel", L"TLine", L"TAAScrollText"};
        std::vector<TControl*> controls;
        CollectControls(form, controls);
        CollectControls(FormSettings, controls);
        asked = controls.size();
        std::vector<std::string> out;
        for (TControl* c : controls) {
            const bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
            if (!windowed && linkless.count(c->ClassName())) continue;
            if (SendSkinCommandToControl(c, scmIsSkinned, 0) != 1) out.push_back(PathOf(c));
        }
        return out;
    }
};

}  // namespace

TEST_F(AllSkinnedTest, EveryControlOfBothWindowsAnswersSkinned)
{
    Start();
    FormSettings->Show();
    PumpFor(100);
    for (const wchar_t* skin : {L"Dark", L"Light"}) {
        SCOPED_TRACE(ToUtf8(skin));
        if (String(skin) == L"Light") {
            form->L1->Click();
            PumpFor(100);
        }
        ASSERT_EQ(form->sSkinManager1->SkinName(), skin);
        ASSERT_TRUE(form->sSkinManager1->IsActive());
        size_t asked = 0;
        const std::vector<std::string> unskinned = Unskinned(asked);
        // Both windows have controls to ask (an empty walk would pass anything).
        ASSERT_GT(asked, 20u);
        for (const std::string& path : unskinned) ADD_FAILURE() << "not skinned: " << path;
    }
    FormSettings->Hide();
}
