// Controls and forms over real windows: message routing, reflection, mouse enter/leave, the
// modal loop, the focus chain and forms built in code.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

FormPtr NewForm(int x = 100, int y = 100, int w = 400, int h = 300)
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(x, y, w, h);
    return f;
}

// Records the messages it sees and forwards them to the handler it replaced.
struct Recorder {
    TWndMethod saved;
    std::vector<UINT> seen;
    void Handle(TMessage& m)
    {
        seen.push_back(m.Msg);
        saved(m);
    }
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
};

struct EventLog {
    std::vector<String> lines;
    void Add(const String& s) { lines.push_back(s); }
};

}  // namespace

TEST(ControlRouting, ReplacedWindowProcSeesMessagesAndForwards)
{
    FormPtr form = NewForm();
    auto* btn = new TButton(form.get());
    btn->SetParent(form.get());
    btn->SetCaption(L"Go");
    form->Show();

    Recorder rec;
    rec.saved = btn->WindowProc;
    EXPECT_EQ(btn->WindowProc, Bind<&TControl::WndProc>(static_cast<TControl*>(btn)));
    btn->WindowProc = Bind<&Recorder::Handle>(&rec);
    EXPECT_EQ(btn->WindowProc, Bind<&Recorder::Handle>(&rec));
    EXPECT_NE(btn->WindowProc, rec.saved);

    // A message sent to the real window passes the replacement and still reaches the native
    // button through the saved procedure.
    wchar_t buf[16] = {};
    SendMessageW(btn->Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buf));
    EXPECT_TRUE(rec.Saw(WM_GETTEXT));
    EXPECT_STREQ(buf, L"Go");
    EXPECT_EQ(btn->Perform(WM_USER + 7, 0, 0), 0);
    EXPECT_TRUE(rec.Saw(WM_USER + 7));

    // Putting the old procedure back takes the recorder out of the chain.
    btn->WindowProc = rec.saved;
    rec.seen.clear();
    SendMessageW(btn->Handle(), WM_USER + 8, 0, 0);
    EXPECT_FALSE(rec.Saw(WM_USER + 8));
}

TEST(ControlRouting, ClickNotificationIsReflectedToTheChild)
{
    FormPtr form = NewForm();
    EventLog log;
    struct Clicks {
        EventLog* log;
        void Click(TObject* sender) { log->Add(static_cast<TControl*>(sender)->Caption()); }
    } clicks{&log};

    auto* btn = new TButton(form.get());
    btn->SetParent(form.get());
    btn->SetCaption(L"button");
    auto* chk = new TCheckBox(form.get());
    chk->SetParent(form.get());
    chk->SetTop(40);
    chk->SetCaption(L"check");
    btn->OnClick = Bind<&Clicks::Click>(&clicks);
    chk->OnClick = Bind<&Clicks::Click>(&clicks);
    form->Show();

    Recorder rec;
    rec.saved = btn->WindowProc;
    btn->WindowProc = Bind<&Recorder::Handle>(&rec);

    // BM_CLICK makes the native button tell its parent (WM_COMMAND); the form hands the
    // notification back to the button as CN_COMMAND, which clicks it.
    SendMessageW(btn->Handle(), BM_CLICK, 0, 0);
    SendMessageW(chk->Handle(), BM_CLICK, 0, 0);
    PumpFor(50);
    EXPECT_TRUE(rec.Saw(CN_COMMAND));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], L"button");
    EXPECT_EQ(log.lines[1], L"check");
    EXPECT_TRUE(chk->Checked());
    EXPECT_EQ(SendMessageW(chk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    btn->WindowProc = rec.saved;
}

TEST(ControlMouse, EnterAndLeaveComeInPairsForWindowedAndGraphicControls)
{
    FormPtr form = NewForm(200, 200, 300, 200);
    form->SetBorderStyle(bsNone);
    EventLog log;
    struct Hover {
        EventLog* log;
        void Enter(TObject* s) { log->Add(static_cast<TControl*>(s)->Name() + L"+"); }
        void Leave(TObject* s) { log->Add(static_cast<TControl*>(s)->Name() + L"-"); }
    } hover{&log};

    auto* label = new TLabel(form.get());
    label->SetName(L"label");
    label->SetAutoSize(false);
    label->SetParent(form.get());
    label->SetBounds(10, 10, 100, 40);
    auto* btn = new TButton(form.get());
    btn->SetName(L"button");
    btn->SetParent(form.get());
    btn->SetBounds(10, 100, 100, 40);
    for (TControl* c : std::initializer_list<TControl*>{label, btn}) {
        c->OnMouseEnter = Bind<&Hover::Enter>(&hover);
        c->OnMouseLeave = Bind<&Hover::Leave>(&hover);
    }
    form->Show();
    PumpFor(100);

    auto moveTo = [](int x, int y) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &in, sizeof(in));
    };
    TPoint origin = form->ClientOrigin();
    moveTo(origin.x + 50, origin.y + 30);    // over the label
    ASSERT_TRUE(PumpUntil([&] { return log.lines.size() >= 1; }));
    moveTo(origin.x + 50, origin.y + 120);   // over the button
    ASSERT_TRUE(PumpUntil([&] { return log.lines.size() >= 3; }));
    moveTo(origin.x + 250, origin.y + 180);  // over the bare form
    ASSERT_TRUE(PumpUntil([&] { return log.lines.size() >= 4; }));
    PumpFor(100);

    std::vector<String> expected{L"label+", L"label-", L"button+", L"button-"};
    EXPECT_EQ(log.lines, expected);
}

TEST(Forms, ShowModalEndsWithTheResultOfTheButton)
{
    struct Case {
        TModalResult buttonResult;
        int refusals;   // OnCloseQuery says no this many times first
    };
    for (const Case& c : {Case{mrOk, 0}, Case{mrCancel, 0}, Case{mrYes, 1}}) {
        FormPtr owner = NewForm();
        owner->Show();
        FormPtr dlg = NewForm(150, 150, 200, 120);
        auto* btn = new TButton(dlg.get());
        btn->SetParent(dlg.get());
        btn->SetModalResult(c.buttonResult);

        struct Query {
            int refusals;
            int asked = 0;
            void CloseQuery(TObject*, bool& canClose)
            {
                ++asked;
                canClose = asked > refusals;
            }
        } query{c.refusals};
        dlg->OnCloseQuery = Bind<&Query::CloseQuery>(&query);

        // The clicks arrive through the modal loop: the refused one keeps the form up.
        btn->HandleNeeded();
        for (int i = 0; i <= c.refusals; ++i) PostMessageW(btn->Handle(), BM_CLICK, 0, 0);
        bool ownerDisabledDuringModal = false;
        struct Probe {
            TForm* owner;
            bool* flag;
            void Show(TObject*) { *flag = !IsWindowEnabled(owner->Handle()); }
        } probe{owner.get(), &ownerDisabledDuringModal};
        dlg->OnShow = Bind<&Probe::Show>(&probe);

        TModalResult r = dlg->ShowModal();
        EXPECT_EQ(r, c.buttonResult);
        EXPECT_EQ(query.asked, c.refusals + 1);
        EXPECT_FALSE(dlg->Visible());
        EXPECT_FALSE(IsWindowVisible(dlg->Handle()));
        EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
        EXPECT_EQ(Application->ModalLevel(), 0);
    }
}

TEST(Forms, TabMovesFocusInTabOrderAndEnterEscapeReachDefaultAndCancel)
{
    FormPtr form = NewForm();
    EventLog log;
    struct Focus {
        EventLog* log;
        void Enter(TObject* s) { log->Add(L">" + static_cast<TControl*>(s)->Name()); }
        void Click(TObject* s) { log->Add(L"click " + static_cast<TControl*>(s)->Name()); }
    } focus{&log};

    auto makeEdit = [&](const wchar_t* name, int top) {
        auto* e = new TEdit(form.get());
        e->SetName(name);
        e->SetParent(form.get());
        e->SetTop(top);
        e->OnEnter = Bind<&Focus::Enter>(&focus);
        return e;
    };
    TEdit* a = makeEdit(L"a", 10);
    TEdit* b = makeEdit(L"b", 40);
    TEdit* c = makeEdit(L"c", 70);
    auto* skipped = new TCheckBox(form.get());
    skipped->SetParent(form.get());
    skipped->SetTabStop(false);
    auto* ok = new TButton(form.get());
    ok->SetName(L"ok");
    ok->SetParent(form.get());
    ok->SetTop(150);
    ok->SetDefault(true);
    ok->SetTabStop(false);
    ok->OnClick = Bind<&Focus::Click>(&focus);
    auto* cancel = new TButton(form.get());
    cancel->SetName(L"cancel");
    cancel->SetParent(form.get());
    cancel->SetTop(180);
    cancel->SetCancel(true);
    cancel->SetTabStop(false);
    cancel->OnClick = Bind<&Focus::Click>(&focus);
    c->SetTabOrder(0);   // order now: c, a, b
    form->Show();
    form->SetActiveControl(c);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == c->Handle(); }));
    log.lines.clear();

    auto press = [](WORD key, bool shift) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PumpFor(30);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    };
    struct Step {
        WORD key;
        bool shift;
        TWinControl* expectedFocus;
    };
    for (const Step& s : {Step{VK_TAB, false, a}, Step{VK_TAB, false, b}, Step{VK_TAB, false, c},
                          Step{VK_TAB, true, b}, Step{VK_TAB, true, a}}) {
        press(s.key, s.shift);
        EXPECT_EQ(GetFocus(), s.expectedFocus->Handle()) << "after tab to " << ToUtf8(s.expectedFocus->Name());
        EXPECT_EQ(form->ActiveControl(), s.expectedFocus);
    }
    EXPECT_EQ(log.lines, (std::vector<String>{L">a", L">b", L">c", L">b", L">a"}));

    // A windowed control freed while it still has its parent leaves the tab order with it.
    auto* gone = new TEdit(nullptr);
    gone->SetParent(form.get());
    delete gone;
    std::vector<TWinControl*> order;
    form->GetTabOrderList(order);
    EXPECT_EQ(std::count(order.begin(), order.end(), static_cast<TWinControl*>(gone)), 0);
    press(VK_TAB, false);
    EXPECT_EQ(GetFocus(), b->Handle());

    log.lines.clear();
    press(VK_RETURN, false);
    press(VK_ESCAPE, false);
    EXPECT_EQ(log.lines, (std::vector<String>{L"click ok", L"click cancel"}));
}

namespace {

// Components that note when Loaded runs, and whether the form's OnCreate already ran.
struct LoadLog {
    std::vector<String> order;
};

class TLoggingLabel : public TLabel {
public:
    TLoggingLabel(TComponent* owner, LoadLog* log) : TLabel(owner), FLog(log) {}

protected:
    void Loaded() override
    {
        TLabel::Loaded();
        FLog->order.push_back(Name() + (HasState(csLoading) ? L" loading" : L""));
    }

private:
    LoadLog* FLog;
};

class TLoggingEdit : public TEdit {
public:
    TLoggingEdit(TComponent* owner, LoadLog* log) : TEdit(owner), FLog(log) {}

protected:
    void Loaded() override
    {
        TEdit::Loaded();
        FLog->order.push_back(Name());
    }

private:
    LoadLog* FLog;
};

class TBuiltForm : public TForm {
public:
    TBuiltForm(TComponent* owner, LoadLog* log) : TForm(owner), FLog(log)
    {
        BeginLoading();
        SetCaption(L"Built in code");
        lblTitle = new TLoggingLabel(this, log);
        lblTitle->SetName(L"lblTitle");
        lblTitle->SetParent(this);
        lblTitle->SetCaption(L"Title");
        edtValue = new TLoggingEdit(this, log);
        edtValue->SetName(L"edtValue");
        edtValue->SetParent(this);
        edtValue->SetTop(30);
        edtValue->OnChange = Bind<&TBuiltForm::edtValueChange>(this);
        edtValue->SetText(L"loading text");   // no OnChange while loading
        OnCreate = Bind<&TBuiltForm::FormCreate>(this);
        OnDestroy = Bind<&TBuiltForm::FormDestroy>(this);
        EndLoading();
    }

    TLoggingLabel* lblTitle;
    TLoggingEdit* edtValue;
    int changes = 0;

private:
    void FormCreate(TObject*) { FLog->order.push_back(L"OnCreate"); }
    void FormDestroy(TObject*)
    {
        // Components are still there while OnDestroy runs.
        FLog->order.push_back(L"OnDestroy " + edtValue->Name());
    }
    void edtValueChange(TObject*) { ++changes; }
    LoadLog* FLog;
};

}  // namespace

TEST(Forms, FormBuiltInCodeLoadsEveryComponentThenRunsOnCreate)
{
    LoadLog log;
    auto* form = new TBuiltForm(nullptr, &log);
    EXPECT_EQ(log.order, (std::vector<String>{L"lblTitle", L"edtValue", L"OnCreate"}));
    EXPECT_FALSE(form->HasState(csLoading));
    EXPECT_FALSE(form->edtValue->HasState(csLoading));
    EXPECT_EQ(form->changes, 0);
    form->Show();
    form->edtValue->SetText(L"typed");
    EXPECT_EQ(form->changes, 1);
    // The auto-sized label measured its caption after loading.
    EXPECT_GT(form->lblTitle->Width(), 0);
    log.order.clear();
    TObject::Free(form);
    EXPECT_EQ(log.order, (std::vector<String>{L"OnDestroy edtValue"}));
}

TEST(Controls, AlignAndAnchorsFollowTheParentsSize)
{
    FormPtr form = NewForm();
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 400, 300);
    auto* top = new TButton(form.get());
    top->SetParent(form.get());
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* client = new TEdit(form.get());
    client->SetParent(form.get());
    client->SetAlign(alClient);
    auto* right = new TButton(form.get());
    right->SetParent(form.get());
    right->SetBounds(300, 100, 80, 20);
    right->SetAnchors(akTop | akRight);
    right->BringToFront();
    form->Show();

    struct Row {
        int width, height;
    };
    for (const Row& r : {Row{400, 300}, Row{500, 260}, Row{350, 400}}) {
        form->SetBounds(100, 100, r.width, r.height);
        EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, r.width, 30));
        EXPECT_EQ(client->BoundsRect(), Bounds(0, 30, r.width, r.height - 30));
        EXPECT_EQ(right->Left(), r.width - 100);   // 20 pixels from the right edge, as placed
        RECT wr;
        GetWindowRect(right->Handle(), &wr);
        EXPECT_EQ(wr.left - form->ClientOrigin().x, r.width - 100);
    }
}

TEST(Menus, CommandsReachTheirItemAndRadioItemsCheckOneOfTheirGroup)
{
    FormPtr form = NewForm();
    auto* menu = new TMainMenu(form.get());
    auto* themes = new TMenuItem(form.get());
    themes->SetCaption(L"Themes");
    menu->Items()->Add(themes);
    EventLog log;
    struct Clicks {
        EventLog* log;
        void Click(TObject* s) { log->Add(static_cast<TMenuItem*>(s)->Caption()); }
    } clicks{&log};
    std::vector<TMenuItem*> items;
    for (const wchar_t* name : {L"Dark", L"Light"}) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(name);
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        item->SetAutoCheck(true);
        item->OnClick = Bind<&Clicks::Click>(&clicks);
        themes->Add(item);
        items.push_back(item);
    }
    form->SetMenu(menu);
    form->Show();
    ASSERT_EQ(GetMenu(form->Handle()), menu->Handle());
    HMENU sub = GetSubMenu(menu->Handle(), 0);
    ASSERT_EQ(sub, themes->Handle());
    ASSERT_EQ(GetMenuItemCount(sub), 2);

    struct Row {
        int pick;
        bool darkChecked, lightChecked;
    };
    for (const Row& r : {Row{1, false, true}, Row{0, true, false}}) {
        // WM_COMMAND with the item's id, as the menu sends it when the user picks it.
        SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(items[r.pick]->Command(), 0), 0);
        EXPECT_EQ(items[0]->Checked(), r.darkChecked);
        EXPECT_EQ(items[1]->Checked(), r.lightChecked);
        EXPECT_EQ((GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED) != 0, r.darkChecked);
        EXPECT_EQ((GetMenuState(sub, 1, MF_BYPOSITION) & MF_CHECKED) != 0, r.lightChecked);
    }
    EXPECT_EQ(log.lines, (std::vector<String>{L"Light", L"Dark"}));

    // A disabled item does not fire.
    items[1]->SetEnabled(false);
    EXPECT_NE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(items[1]->Command(), 0), 0);
    EXPECT_EQ(log.lines.size(), 2u);
}

// ---- docking by code ----------------------------------------------------------------------------

TEST(Docking, ADockSiteTakesTheClientAtTheDockRectangleAndItsHostIsForgottenWhenFreed)
{
    struct Row {
        const char* name;
        bool dockSite;
        TRect dockRect;
        bool taken;
        TRect bounds;   // the client's afterwards
    };
    const TRect start(10, 12, 90, 40);
    const Row rows[] = {
        {"no dock site: refused", false, TRect(), false, start},
        {"empty rectangle: the client keeps its bounds", true, TRect(), true, start},
        {"a rectangle: the client takes it", true, TRect(5, 6, 55, 46), true, TRect(5, 6, 55, 46)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FormPtr form = NewForm();
        auto* site = new TPanel(form.get());
        site->SetBounds(150, 20, 200, 150);
        site->SetParent(form.get());
        site->SetDockSite(r.dockSite);
        auto* client = new TButton(form.get());
        client->SetBoundsRect(start);
        client->SetParent(form.get());
        form->Show();
        PumpFor(30);

        EXPECT_EQ(client->ManualDock(site, r.dockRect), r.taken);
        EXPECT_EQ(client->Parent(), r.taken ? site : static_cast<TWinControl*>(form.get()));
        EXPECT_EQ(client->HostDockSite(), r.taken ? site : nullptr);
        EXPECT_EQ(client->BoundsRect(), r.bounds);
        if (r.taken) EXPECT_EQ(GetParent(client->Handle()), site->Handle());

        // The client outlives its site: the host it remembers must not dangle.
        TObject::Free(site);
        EXPECT_EQ(client->HostDockSite(), nullptr);
    }
}
