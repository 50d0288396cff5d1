// Control messages the layer sends, recorded on small controls in real windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "tests/vcl/window_helpers.h"
#include "vcl/comctrls.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

using testing_support::PumpFor;
using testing_support::BringToFront;
using testing_support::PressKey;
using testing_support::PumpUntil;

namespace {

FormPtr NewForm() { return BorderlessForm(150, 150, 400, 300); }

// Records the control messages (CM_*) a control's WindowProc sees, then forwards them.
struct CmRecorder {
    TControl* control = nullptr;
    TWndMethod saved;
    std::vector<UINT> seen;
    std::vector<LPARAM> params;

    void Attach(TControl* c)
    {
        control = c;
        saved = c->WindowProc;
        c->WindowProc = Bind<&CmRecorder::Handle>(this);
    }
    void Detach()
    {
        if (control) control->WindowProc = saved;
        control = nullptr;
    }
    void Handle(TMessage& m)
    {
        if (m.Msg >= CM_BASE && m.Msg <= CM_CUSTOMSTYLECHANGED) {
            seen.push_back(m.Msg);
            params.push_back(m.LParam);
        }
        saved(m);
    }
    int Count(UINT msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }
};

void Click(HWND wnd)
{
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

}  // namespace

TEST(ControlMessages, ValueChangesSendCmChangedAndTheTrackBarKeepsItsOwnOnChange)
{
    FormPtr form = NewForm();
    auto* check = new TCheckBox(form.get());
    check->SetParent(form.get());
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetTop(30);
    auto* track = new TTrackBar(form.get());
    track->SetParent(form.get());
    track->SetTop(60);
    int trackChanges = 0;
    struct Counter {
        int* n;
        void Change(TObject*) { ++*n; }
    } counter{&trackChanges};
    track->OnChange = Bind<&Counter::Change>(&counter);
    auto* typed = new TComboBox(form.get());
    typed->SetParent(form.get());
    typed->SetTop(120);
    auto* list = new TComboBox(form.get());
    list->SetStyle(csDropDownList);
    list->SetParent(form.get());
    list->SetTop(150);
    auto* picked = new TComboBox(form.get());
    picked->SetStyle(csDropDownList);
    picked->SetParent(form.get());
    picked->SetTop(180);
    int selections = 0;
    Counter selectCounter{&selections};
    picked->OnSelect = Bind<&Counter::Change>(&selectCounter);   // takes the selection instead of OnChange
    for (TComboBox* combo : {list, picked}) {
        combo->Items()->Add(L"one");
        combo->Items()->Add(L"two");
    }
    BringToFront(form.get());

    struct Row {
        const char* what;
        TControl* control;
        void (*act)(TControl*);
    };
    const Row rows[] = {
        {"check state from code", check, [](TControl* c) { static_cast<TCheckBox*>(c)->SetChecked(true); }},
        {"check state by a click", check, [](TControl* c) { SendMessageW(static_cast<TWinControl*>(c)->Handle(), BM_CLICK, 0, 0); }},
        {"edit text", edit, [](TControl* c) { c->SetText(L"changed"); }},
        {"track position from code", track, [](TControl* c) { static_cast<TTrackBar*>(c)->SetPosition(4); }},
        {"track position by a key", track, [](TControl* c) {
             static_cast<TWinControl*>(c)->SetFocus();
             PressKey(VK_RIGHT);
         }},
        {"combo text typed", typed, [](TControl* c) {
             static_cast<TWinControl*>(c)->SetFocus();
             PressKey('A');
         }},
        {"combo selection by a key", list, [](TControl* c) {
             static_cast<TWinControl*>(c)->SetFocus();
             PressKey(VK_DOWN);
         }},
        {"combo selection by a key, with OnSelect", picked, [](TControl* c) {
             static_cast<TWinControl*>(c)->SetFocus();
             PressKey(VK_DOWN);
         }},
    };
    int expectedTrackChanges = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CmRecorder rec;
        rec.Attach(r.control);
        r.act(r.control);
        PumpFor(20);
        rec.Detach();
        EXPECT_EQ(rec.Count(CM_CHANGED), 1);
        if (rec.Count(CM_CHANGED)) {
            size_t i = static_cast<size_t>(std::find(rec.seen.begin(), rec.seen.end(), CM_CHANGED) - rec.seen.begin());
            EXPECT_EQ(rec.params[i], reinterpret_cast<LPARAM>(r.control));
        }
        if (r.control == track) ++expectedTrackChanges;
        EXPECT_EQ(trackChanges, expectedTrackChanges);
    }
    EXPECT_EQ(track->Position(), 5);
    EXPECT_EQ(typed->Text(), L"a");
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(selections, 1);
}

TEST(ControlMessages, ShowingChangedReachesEveryChildWhoseShowingChanges)
{
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* inner = new TPanel(form.get());
    inner->SetParent(panel);
    auto* edit = new TEdit(form.get());
    edit->SetParent(inner);
    auto* hidden = new TEdit(form.get());
    hidden->SetVisible(false);
    hidden->SetParent(inner);

    CmRecorder recPanel, recInner, recEdit, recHidden;
    recPanel.Attach(panel);
    recInner.Attach(inner);
    recEdit.Attach(edit);
    recHidden.Attach(hidden);
    form->Show();
    struct Step {
        const char* what;
        void (*act)(TCustomForm*, TPanel*);
        bool showing;
    };
    const Step steps[] = {
        {"form shown", [](TCustomForm*, TPanel*) {}, true},
        {"panel hidden", [](TCustomForm*, TPanel* p) { p->Hide(); }, false},
        {"panel shown", [](TCustomForm*, TPanel* p) { p->Show(); }, true},
        {"form hidden", [](TCustomForm* f, TPanel*) { f->Hide(); }, false},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act(form.get(), panel);
        ++n;
        EXPECT_EQ(recInner.Count(CM_SHOWINGCHANGED), n);
        EXPECT_EQ(recEdit.Count(CM_SHOWINGCHANGED), n);
        EXPECT_EQ(edit->Showing(), s.showing);
        // A child that stays hidden never changes its showing.
        EXPECT_EQ(recHidden.Count(CM_SHOWINGCHANGED), 0);
    }
    for (CmRecorder* r : {&recPanel, &recInner, &recEdit, &recHidden}) r->Detach();
}

// A control that asks for one key through CM_WANTSPECIALKEY and notes the keys it gets.
template <class Base>
class TKeyWanterOf : public Base {
public:
    explicit TKeyWanterOf(TComponent* owner) : Base(owner) {}
    WORD wanted = 0;
    std::vector<WORD> keysSeen;

protected:
    void CMWantSpecialKey(TMessage& m) override { m.Result = m.WParam == wanted ? 1 : 0; }
    void KeyDown(WORD& key, TShiftState shift) override
    {
        keysSeen.push_back(key);
        Base::KeyDown(key, shift);
    }
};
using TKeyWanter = TKeyWanterOf<TEdit>;
// Wants no key by its window class: Tab and the arrows go to the form unless it asks.
using TKeyPad = TKeyWanterOf<TCustomControl>;

TEST(ControlMessages, WantSpecialKeyKeepsTheKeyInTheControl)
{
    FormPtr form = NewForm();
    auto* edit = new TKeyWanter(form.get());
    edit->SetParent(form.get());
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetTop(40);
    ok->SetDefault(true);
    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetTop(80);
    cancel->SetCancel(true);
    auto* pad = new TKeyPad(form.get());
    pad->SetParent(form.get());
    pad->SetBounds(0, 120, 60, 40);
    pad->SetTabStop(true);
    std::vector<String> clicks;
    struct Clicks {
        std::vector<String>* log;
        void Click(TObject* s) { log->push_back(static_cast<TControl*>(s) == nullptr ? L"" : L"click"); }
    } handler{&clicks};
    ok->OnClick = Bind<&Clicks::Click>(&handler);
    cancel->OnClick = Bind<&Clicks::Click>(&handler);
    BringToFront(form.get());

    struct Row {
        WORD key, wanted;
        bool buttonClicked;
    };
    for (const Row& r : {Row{VK_RETURN, 0, true}, Row{VK_RETURN, VK_RETURN, false}, Row{VK_ESCAPE, 0, true},
                         Row{VK_ESCAPE, VK_ESCAPE, false}}) {
        SCOPED_TRACE(r.key * 1000 + r.wanted);
        edit->SetFocus();
        edit->wanted = r.wanted;
        edit->keysSeen.clear();
        clicks.clear();
        PressKey(r.key);
        EXPECT_EQ(!clicks.empty(), r.buttonClicked);
        EXPECT_EQ(std::count(edit->keysSeen.begin(), edit->keysSeen.end(), r.key) == 1, !r.buttonClicked);
    }

    // Tab and the arrows move the focus on, unless the control asks for them.
    for (WORD key : {WORD(VK_TAB), WORD(VK_LEFT), WORD(VK_RIGHT), WORD(VK_UP), WORD(VK_DOWN)}) {
        for (bool wanted : {false, true}) {
            SCOPED_TRACE(key * 10 + wanted);
            pad->SetFocus();
            ASSERT_TRUE(pad->Focused());
            pad->wanted = wanted ? key : 0;
            pad->keysSeen.clear();
            clicks.clear();
            PressKey(key);
            EXPECT_EQ(pad->Focused(), wanted);
            EXPECT_EQ(std::count(pad->keysSeen.begin(), pad->keysSeen.end(), key), wanted ? 1 : 0);
            EXPECT_TRUE(clicks.empty());
        }
    }
}

TEST(ControlMessages, ShowingChangedReachesAParentBeforeItsChildren)
{
    // A child that repaints from its parent's look on CM_SHOWINGCHANGED finds the parent
    // already told.
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* inner = new TPanel(form.get());
    inner->SetParent(panel);
    auto* edit = new TEdit(form.get());
    edit->SetParent(inner);
    form->Show();
    std::vector<TControl*> order;
    struct Tell {
        TControl* control;
        std::vector<TControl*>* order;
        TWndMethod saved;
        void Handle(TMessage& m)
        {
            if (m.Msg == CM_SHOWINGCHANGED) order->push_back(control);
            saved(m);
        }
    };
    Tell tells[] = {{panel, &order, {}}, {inner, &order, {}}, {edit, &order, {}}};
    for (Tell& t : tells) {
        t.saved = t.control->WindowProc;
        t.control->WindowProc = Bind<&Tell::Handle>(&t);
    }
    const std::vector<TControl*> parentsFirst{panel, inner, edit};
    panel->Hide();
    EXPECT_EQ(order, parentsFirst);
    order.clear();
    panel->Show();
    EXPECT_EQ(order, parentsFirst);
    for (Tell& t : tells) t.control->WindowProc = t.saved;
}

TEST(ControlMessages, MouseWheelGoesToTheFocusedControlThenUpToAParentThatTakesIt)
{
    FormPtr form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    int panelDelta = 0;
    struct Wheel {
        int* delta;
        void Turn(TObject*, TShiftState, int d, TPoint, bool& handled)
        {
            *delta += d;
            handled = true;
        }
    } wheel{&panelDelta};
    panel->OnMouseWheel = Bind<&Wheel::Turn>(&wheel);
    BringToFront(form.get());
    edit->SetFocus();
    CmRecorder recEdit, recPanel;
    recEdit.Attach(edit);
    recPanel.Attach(panel);
    SendMessageW(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(200, 200));
    recEdit.Detach();
    recPanel.Detach();
    EXPECT_EQ(recEdit.Count(CM_MOUSEWHEEL), 1);
    EXPECT_EQ(recPanel.Count(CM_MOUSEWHEEL), 1);
    EXPECT_EQ(panelDelta, -WHEEL_DELTA);
}

TEST(ControlMessages, PressingAnotherControlCancelsTheModeOfTheActiveOne)
{
    FormPtr form = NewForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetTop(50);
    BringToFront(form.get());
    edit->SetFocus();
    ASSERT_EQ(form->ActiveControl(), edit);
    CmRecorder rec;
    rec.Attach(edit);
    Click(button->Handle());
    rec.Detach();
    ASSERT_EQ(rec.Count(CM_CANCELMODE), 1);
    EXPECT_EQ(rec.params[static_cast<size_t>(std::find(rec.seen.begin(), rec.seen.end(), CM_CANCELMODE) - rec.seen.begin())],
              reinterpret_cast<LPARAM>(button));
}

TEST(ControlMessages, MenuChangesAndRecreatedWindowsAreAnnounced)
{
    FormPtr form = NewForm();
    auto* menu = new TMainMenu(form.get());
    auto* item = new TMenuItem(form.get());
    item->SetCaption(L"File");
    menu->Items()->Add(item);
    auto* check = new TCheckBox(form.get());
    check->SetParent(form.get());
    form->Show();
    CmRecorder recForm, recCheck;
    recForm.Attach(form.get());
    recCheck.Attach(check);

    form->SetMenu(menu);
    EXPECT_EQ(recForm.Count(CM_MENUCHANGED), 1);
    EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
    item->SetCaption(L"Profiles");
    EXPECT_EQ(recForm.Count(CM_MENUCHANGED), 2);

    HWND before = check->Handle();
    check->SetAlignment(taLeftJustify);   // needs a new window
    EXPECT_EQ(recCheck.Count(CM_RECREATEWND), 1);
    EXPECT_NE(check->Handle(), before);
    EXPECT_NE(GetWindowLongPtrW(check->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
    recForm.Detach();
    recCheck.Detach();
}

class THintProbe : public TPanel {
public:
    explicit THintProbe(TComponent* owner) : TPanel(owner) {}
    bool refuse = false;
    int asked = 0;

protected:
    void CMHintShow(TMessage& m) override
    {
        ++asked;
        auto* info = reinterpret_cast<THintInfo*>(m.LParam);
        ASSERT_EQ(info->HintControl, this);
        info->HintStr = L"from the control";
        m.Result = refuse ? 1 : 0;
    }
};

TEST(ControlMessages, HintShowLetsTheControlChangeOrRefuseItsHint)
{
    FormPtr form = NewForm();
    auto* probe = new THintProbe(form.get());
    probe->SetParent(form.get());
    probe->SetBounds(20, 20, 120, 60);
    probe->SetHint(L"own hint");
    probe->SetShowHint(true);
    BringToFront(form.get());
    int savedPause = Application->HintPause;
    Application->HintPause = 10;
    struct Row {
        bool refuse;
        bool shown;
    };
    int corner = 0;
    for (const Row& r : {Row{false, true}, Row{true, false}}) {
        SCOPED_TRACE(r.refuse);
        Application->CancelHint();
        probe->refuse = r.refuse;
        probe->asked = 0;
        // Move away, then over the probe, as the mouse does.
        TPoint o = form->ClientOrigin();
        SetCursorPos(o.x + 300, o.y + 250);
        PumpFor(50);
        SetCursorPos(o.x + 60 + corner, o.y + 50);
        corner += 5;
        PumpUntil([&] { return probe->asked > 0; }, 2000);
        PumpFor(50);
        EXPECT_EQ(probe->asked, 1);
        THintWindow* hw = Application->HintWindow();
        bool visible = hw && hw->HandleAllocated() && IsWindowVisible(hw->Handle());
        EXPECT_EQ(visible, r.shown);
        if (visible) EXPECT_EQ(hw->Caption(), L"from the control");
    }
    Application->CancelHint();
    Application->HintPause = savedPause;
}

TEST(ControlMessages, TheApplicationWindowPostsItselfActivateAndDeactivate)
{
    std::vector<UINT> seen;
    struct Hook {
        std::vector<UINT>* seen;
        bool Handle(TMessage& m)
        {
            if (m.Msg == CM_ACTIVATE || m.Msg == CM_DEACTIVATE) seen->push_back(m.Msg);
            return false;
        }
    } hook{&seen};
    int activations = 0;
    struct Events {
        int* n;
        void Activate(TObject*) { ++*n; }
    } events{&activations};
    PumpFor(50);   // what earlier activations posted
    Application->OnActivate = Bind<&Events::Activate>(&events);
    Application->HookMainWindow(Bind<&Hook::Handle>(&hook));
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, FALSE, 0);
    SendMessageW(Application->Handle(), WM_ACTIVATEAPP, TRUE, 0);
    PumpUntil([&] { return seen.size() >= 2; }, 2000);
    Application->UnhookMainWindow(Bind<&Hook::Handle>(&hook));
    Application->OnActivate = nullptr;
    EXPECT_EQ(seen, (std::vector<UINT>{CM_DEACTIVATE, CM_ACTIVATE}));
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(Application->Active());
}
