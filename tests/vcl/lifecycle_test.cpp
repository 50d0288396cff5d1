// Lifecycle of windowed controls in real windows: child ids, the window destroyed while the
// whole object exists, painting that throws, asking for a window while it is being made,
// and AfterConstruction.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/forms.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

using testing_support::PumpFor;

namespace {

FormPtr NewForm()
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(120, 120, 360, 260);
    return f;
}

// GDI objects of this process. The system's count where it keeps one; otherwise (Wine) the
// live entries of the handle table, which a handle's table index alone finds.
int CountGdiObjects()
{
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    int n = 0;
    for (UINT i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(i)))) ++n;
    return n;
}

}  // namespace

// ---- ids --------------------------------------------------------------------------------------

class TMeasuredList : public TCustomComboBox {
public:
    explicit TMeasuredList(TComponent* owner) : TCustomComboBox(owner) {}
    int measured = 0;

protected:
    void CNMeasureItem(TMessage& m) override
    {
        ++measured;
        TCustomComboBox::CNMeasureItem(m);
    }
};

TEST(ControlIds, ManySiblingsGetDistinctIdsAndMeasureItemReachesItsOwnChild)
{
    FormPtr form = NewForm();
    std::vector<TButton*> buttons;
    for (int i = 0; i < 120; ++i) {
        auto* b = new TButton(form.get());
        b->SetBounds(i % 20, i / 20, 10, 10);
        b->SetParent(form.get());
        buttons.push_back(b);
    }
    form->Show();
    // Some go and others come: the new ones must not take an id still in use.
    for (int i = 0; i < 120; i += 3) delete buttons[static_cast<size_t>(i)];
    for (int i = 0; i < 60; ++i) {
        auto* b = new TButton(form.get());
        b->SetParent(form.get());
    }
    std::set<UINT> ids;
    int windowed = 0;
    for (int i = 0; i < form->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(form->Controls(i));
        ASSERT_NE(w, nullptr);
        ++windowed;
        EXPECT_NE(w->ControlId(), 0u);
        EXPECT_EQ(static_cast<UINT>(GetDlgCtrlID(w->Handle())), w->ControlId());
        ids.insert(w->ControlId());
    }
    EXPECT_EQ(static_cast<int>(ids.size()), windowed);

    // Owner-drawn lists measure through their parent: each question reaches the list it
    // names, also the ones asked while the list's window is being made.
    auto* a = new TMeasuredList(form.get());
    a->SetStyle(csOwnerDrawVariable);
    a->Items()->Add(L"one");
    a->SetParent(form.get());
    auto* b = new TMeasuredList(form.get());
    b->SetStyle(csOwnerDrawVariable);
    b->SetParent(form.get());
    EXPECT_GT(a->measured, 0);
    int beforeA = a->measured, beforeB = b->measured;
    MEASUREITEMSTRUCT mis{ODT_COMBOBOX, b->ControlId(), 0, 0, 0, 0};
    SendMessageW(form->Handle(), WM_MEASUREITEM, b->ControlId(), reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(b->measured, beforeB + 1);
    EXPECT_EQ(a->measured, beforeA);
}

// ---- destruction ------------------------------------------------------------------------------

// A control whose handlers use a member of its own class: they must run while it exists.
class TWholeProbe : public TCustomControl {
public:
    TWholeProbe(TComponent* owner, std::vector<String>* log) : TCustomControl(owner), FLog(log), FAlive(new bool(true))
    {
    }
    ~TWholeProbe() override
    {
        *FAlive = false;
        FLog->push_back(L"destructor");
        delete FAlive;
    }

protected:
    void DestroyWnd() override
    {
        FLog->push_back(*FAlive ? L"DestroyWnd whole" : L"DestroyWnd broken");
        TCustomControl::DestroyWnd();
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_DESTROY) FLog->push_back(*FAlive ? L"WM_DESTROY whole" : L"WM_DESTROY broken");
        TCustomControl::Dispatch(m);
    }

private:
    std::vector<String>* FLog;
    bool* FAlive;
};

TEST(ControlDestruction, TheWindowGoesWhileTheWholeObjectExistsHoweverItIsFreed)
{
    enum How { plainDelete, free, ownerGoes, parentGoes };
    for (How how : {plainDelete, free, ownerGoes, parentGoes}) {
        SCOPED_TRACE(static_cast<int>(how));
        std::vector<String> log;
        auto* form = new TForm(nullptr);
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        auto* probe = new TWholeProbe(how == ownerGoes ? static_cast<TComponent*>(form) : nullptr, &log);
        probe->SetParent(panel);
        form->Show();
        HWND h = probe->Handle();
        ASSERT_TRUE(IsWindow(h));
        switch (how) {
        case plainDelete: delete probe; break;
        case free: TObject::Free(probe); break;
        case ownerGoes: delete form; form = nullptr; break;
        case parentGoes:
            // The parent's window goes first; the probe keeps its object, without a window.
            delete panel;
            EXPECT_EQ(probe->Parent(), nullptr);
            EXPECT_FALSE(probe->HandleAllocated());
            delete probe;
            break;
        }
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(log, (std::vector<String>{L"DestroyWnd whole", L"WM_DESTROY whole", L"destructor"}));
        delete form;
    }
}

// ---- painting that throws ---------------------------------------------------------------------

class TThrowingPaint : public TCustomControl {
public:
    explicit TThrowingPaint(TComponent* owner) : TCustomControl(owner) {}
    bool fail = false;

protected:
    void Paint() override
    {
        FCanvas->FillRect(ClientRect());
        if (fail) throw std::runtime_error("paint failed");
    }
};

class TThrowingGraphic : public TGraphicControl {
public:
    explicit TThrowingGraphic(TComponent* owner) : TGraphicControl(owner) {}

protected:
    void Paint() override
    {
        // Leaves the DC changed, as a painter does before it fails.
        SetViewportOrgEx(FCanvas->Handle(), 40, 40, nullptr);
        throw std::runtime_error("graphic paint failed");
    }
};

TEST(ControlPainting, ThrowingPaintsLeaveNoGdiObjectAndGiveTheDCBack)
{
    FormPtr form = NewForm();
    auto* buffered = new TThrowingPaint(form.get());
    buffered->SetDoubleBuffered(true);
    buffered->SetBounds(10, 10, 120, 80);
    buffered->SetParent(form.get());
    form->Show();
    // The first paints set up what the process keeps (fonts, stock objects).
    for (int i = 0; i < 3; ++i) {
        RedrawWindow(buffered->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpFor(10);
    }
    int before = CountGdiObjects();
    buffered->fail = true;
    for (int i = 0; i < 20; ++i) RedrawWindow(buffered->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(20);
    EXPECT_EQ(CountGdiObjects(), before);

    // A graphic child that throws: the parent's DC comes back as it was given.
    auto* graphic = new TThrowingGraphic(form.get());
    graphic->SetBounds(150, 10, 50, 50);
    graphic->SetParent(form.get());
    HDC dc = GetDC(form->Handle());
    int level = SaveDC(dc);
    RestoreDC(dc, -1);
    POINT org{-1, -1};
    EXPECT_ANY_THROW(form->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0));
    EXPECT_EQ(SaveDC(dc), level);
    RestoreDC(dc, -1);
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(org.y, 0);
    ReleaseDC(form->Handle(), dc);
    delete graphic;
}

// ---- asking for the window while it is being made ---------------------------------------------

namespace {
struct CreationProbe {
    TWinControl* control = nullptr;
    int creations = 0;
    HWND answered = reinterpret_cast<HWND>(1);
    HHOOK hook = nullptr;
} gProbe;

LRESULT CALLBACK AskDuringCreation(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND) {
        auto* cs = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
        if (!IS_INTRESOURCE(cs->lpszClass) && wcscmp(cs->lpszClass, L"TCreationProbe") == 0) {
            ++gProbe.creations;
            // A creation hook that asks the control for its window must not make another.
            gProbe.answered = gProbe.control->Handle();
        }
    }
    return CallNextHookEx(gProbe.hook, code, wp, lp);
}
}  // namespace

class TCreationProbe : public TForm {
public:
    explicit TCreationProbe(TComponent* owner) : TForm(owner) {}
};

TEST(ControlHandle, AskingForTheWindowDuringItsCreationMakesNoSecondOne)
{
    auto* form = new TCreationProbe(nullptr);
    gProbe = {};
    gProbe.control = form;
    gProbe.hook = SetWindowsHookExW(WH_CBT, AskDuringCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(gProbe.hook, nullptr);
    HWND h = form->Handle();
    UnhookWindowsHookEx(gProbe.hook);
    EXPECT_EQ(gProbe.creations, 1);
    EXPECT_EQ(gProbe.answered, nullptr);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(form->ExistingHandle(), h);
    delete form;
    // The non-creating getter never makes a window.
    TButton loose(nullptr);
    EXPECT_EQ(loose.ExistingHandle(), nullptr);
    EXPECT_FALSE(loose.HandleAllocated());
}

namespace {
// A child asked for its window while its parent's window is being made.
struct ChildAsk {
    TWinControl* child = nullptr;
    bool fromHook = false;   // asked by a creation hook, else by the parent's WM_CREATE
    HWND answered = reinterpret_cast<HWND>(1);
    std::vector<HWND> childParents;   // the parent each creation of the child's window named
    HHOOK hook = nullptr;
} gChildAsk;

LRESULT CALLBACK AskForTheChild(int code, WPARAM wp, LPARAM lp)
{
    if (code == HCBT_CREATEWND) {
        auto* cs = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
        if (!IS_INTRESOURCE(cs->lpszClass)) {
            if (wcscmp(cs->lpszClass, L"TChildProbe") == 0) gChildAsk.childParents.push_back(cs->hwndParent);
            if (gChildAsk.fromHook && wcscmp(cs->lpszClass, L"TParentProbe") == 0)
                gChildAsk.answered = gChildAsk.child->Handle();
        }
    }
    return CallNextHookEx(gChildAsk.hook, code, wp, lp);
}
}  // namespace

class TParentProbe : public TPanel {
public:
    explicit TParentProbe(TComponent* owner) : TPanel(owner) {}

protected:
    void WndProc(TMessage& m) override
    {
        TPanel::WndProc(m);
        if (m.Msg == WM_CREATE && !gChildAsk.fromHook) gChildAsk.answered = gChildAsk.child->Handle();
    }
};

class TChildProbe : public TEdit {
public:
    explicit TChildProbe(TComponent* owner) : TEdit(owner) {}
};

TEST(ControlHandle, AChildAskedWhileItsParentIsMadeGetsItsWindowInsideTheParent)
{
    for (bool fromHook : {true, false}) {
        SCOPED_TRACE(fromHook ? "creation hook" : "WM_CREATE");
        FormPtr form = NewForm();
        auto* panel = new TParentProbe(form.get());
        panel->SetParent(form.get());
        auto* edit = new TChildProbe(form.get());
        edit->SetParent(panel);
        gChildAsk = {};
        gChildAsk.child = edit;
        gChildAsk.fromHook = fromHook;
        gChildAsk.hook = SetWindowsHookExW(WH_CBT, AskForTheChild, nullptr, GetCurrentThreadId());
        ASSERT_NE(gChildAsk.hook, nullptr);
        form->HandleNeeded();
        UnhookWindowsHookEx(gChildAsk.hook);
        HWND h = edit->ExistingHandle();
        ASSERT_TRUE(IsWindow(h));
        EXPECT_EQ(GetParent(h), panel->ExistingHandle());
        EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
        // Made once, inside its parent.
        EXPECT_EQ(gChildAsk.childParents, std::vector<HWND>{panel->ExistingHandle()});
        // The hook runs before the parent has a window: the child waits for it. WM_CREATE
        // comes when the parent has one, and the child is made there and then.
        EXPECT_EQ(gChildAsk.answered, fromHook ? nullptr : h);
    }
}

// ---- AfterConstruction ------------------------------------------------------------------------

class TConstructionProbe : public TButton {
public:
    explicit TConstructionProbe(TComponent* owner) : TButton(owner) {}
    int after = 0;
    String seenClass;

protected:
    void AfterConstruction() override
    {
        TButton::AfterConstruction();
        ++after;
        seenClass = ClassName();   // the whole object: its own class answers
    }
};

TEST(ControlConstruction, AfterConstructionRunsOnceWithTheWholeObject)
{
    FormPtr form = NewForm();
    enum How { factory, firstParent, ownerLoading };
    for (How how : {factory, firstParent, ownerLoading}) {
        SCOPED_TRACE(static_cast<int>(how));
        TConstructionProbe* p = nullptr;
        switch (how) {
        case factory: p = Create<TConstructionProbe>(form.get()); break;
        case firstParent:
            p = new TConstructionProbe(form.get());
            EXPECT_EQ(p->after, 0);
            break;
        case ownerLoading:
            form->BeginLoading();
            p = new TConstructionProbe(form.get());
            form->EndLoading();
            break;
        }
        p->SetParent(form.get());
        p->SetParent(nullptr);
        p->SetParent(form.get());
        EXPECT_EQ(p->after, 1);
        EXPECT_EQ(p->seenClass, L"TConstructionProbe");
    }
}
