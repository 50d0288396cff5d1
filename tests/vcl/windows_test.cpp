// Whole-window services of the layer in real windows: rescaling a form to another PPI,
// painting copies, hooks on foreign windows, dropped files, MDI forms and scrolling boxes.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/menus.h"
#include "vcl/shellbind.h"
#include "vcl/stdctrls.h"
#include "vcl/subclass.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

FormPtr NewForm(int w = 400, int h = 300)
{
    FormPtr f(new TForm(nullptr));
    f->SetBorderStyle(bsNone);
    f->SetBounds(120, 120, w, h);
    return f;
}

}  // namespace

// ---- scaling -----------------------------------------------------------------------------------

TEST(FormScaling, A96PpiFormRescaledTo144ScalesItsChildrenFontsAndPpi)
{
    FormPtr form = NewForm(300, 200);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 20, 100, 60);
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    edit->SetBounds(4, 6, 80, 21);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetAutoSize(false);
    label->SetBounds(120, 20, 60, 16);
    auto* bold = new TButton(form.get());
    bold->SetParent(form.get());
    bold->SetBounds(120, 60, 75, 25);
    TFont big;
    big.Assign(form->Font());
    big.SetHeight(-20);
    bold->SetFont(&big);   // an own font scales by itself
    TSizeConstraints limits;
    limits.MaxWidth = 200;
    panel->SetConstraints(limits);
    form->Show();
    int formFont = form->Font()->Height();
    int left = form->Left(), top = form->Top();
    int clientW = form->ClientWidth(), clientH = form->ClientHeight();

    // The system announces the new PPI with the rectangle it proposes.
    RECT proposed{left, top, left + 450, top + 300};
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&proposed));

    struct Row {
        TControl* control;
        TRect expected;
    };
    for (const Row& r : {Row{panel, Bounds(15, 30, 150, 90)}, Row{edit, Bounds(6, 9, 120, 32)},
                         Row{label, Bounds(180, 30, 90, 24)}, Row{bold, Bounds(180, 90, 113, 38)}}) {
        SCOPED_TRACE(r.control->ClassName().c_str());
        EXPECT_EQ(r.control->BoundsRect(), r.expected);
        EXPECT_EQ(r.control->CurrentPPI(), 144);
    }
    EXPECT_EQ(form->CurrentPPI(), 144);
    EXPECT_EQ(form->Font()->Height(), MulDiv(formFont, 3, 2));
    EXPECT_EQ(edit->Font()->Height(), form->Font()->Height());   // ParentFont follows
    EXPECT_EQ(bold->Font()->Height(), -30);
    EXPECT_EQ(panel->Constraints().MaxWidth, 300);
    // The window took the proposed rectangle.
    EXPECT_EQ(form->BoundsRect(), TRect(proposed));
    RECT wr;
    GetWindowRect(edit->Handle(), &wr);
    EXPECT_EQ(wr.right - wr.left, 120);

    // ScaleForPPI back to 96 restores the layout.
    form->ScaleForPPI(96);
    EXPECT_EQ(panel->BoundsRect(), Bounds(10, 20, 100, 60));
    EXPECT_EQ(edit->BoundsRect(), Bounds(4, 6, 80, 21));
    EXPECT_EQ(form->ClientWidth(), MulDiv(MulDiv(clientW, 3, 2), 2, 3));
    EXPECT_EQ(form->ClientHeight(), MulDiv(MulDiv(clientH, 3, 2), 2, 3));
    EXPECT_EQ(form->Left(), proposed.left);
    EXPECT_EQ(edit->CurrentPPI(), 96);

    // A form that is not Scaled (someone else scales it) keeps its layout and its place.
    form->SetScaled(false);
    const TRect before = form->BoundsRect();
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(form->CurrentPPI(), 96);
    EXPECT_EQ(panel->BoundsRect(), Bounds(10, 20, 100, 60));
    EXPECT_EQ(form->BoundsRect(), before);
}

// ---- painting copies ---------------------------------------------------------------------------

class TCopyProbe : public TCustomControl {
public:
    TCopyProbe(TComponent* owner, TColor fill) : TCustomControl(owner), FFill(fill) {}
    int paints = 0, copies = 0;

protected:
    void Paint() override
    {
        ++paints;
        if (FControlState & csPaintCopy) ++copies;
        FCanvas->Brush()->SetColor(FFill);
        FCanvas->FillRect(ClientRect());
    }
    TColor FFill;
};

class TGraphicProbe : public TGraphicControl {
public:
    explicit TGraphicProbe(TComponent* owner) : TGraphicControl(owner) {}
    int paints = 0, copies = 0;

protected:
    void Paint() override
    {
        ++paints;
        if (FControlState & csPaintCopy) ++copies;
        FCanvas->Brush()->SetColor(clBlue);
        FCanvas->FillRect(ClientRect());
    }
};

TEST(PaintTo, PaintsEachChildOnceMarkedAsACopyAndGraphicControlsPrint)
{
    FormPtr form = NewForm(200, 120);
    form->SetColor(clWhite);
    auto* outer = new TCopyProbe(form.get(), clLime);
    outer->SetParent(form.get());
    outer->SetBounds(10, 10, 120, 80);
    auto* inner = new TCopyProbe(form.get(), clRed);
    inner->SetParent(outer);
    inner->SetBounds(10, 10, 40, 30);
    auto* graphic = new TGraphicProbe(form.get());
    graphic->SetParent(outer);
    graphic->SetBounds(70, 10, 30, 30);
    form->Show();
    PumpFor(50);
    for (auto* p : {outer, inner}) p->paints = p->copies = 0;
    graphic->paints = graphic->copies = 0;

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 200, 120);
    HGDIOBJ old = SelectObject(mem, bmp);
    form->PaintTo(mem, 0, 0);
    EXPECT_EQ(outer->paints, 1);
    EXPECT_EQ(inner->paints, 1);
    EXPECT_EQ(graphic->paints, 1);
    EXPECT_EQ(outer->copies, 1);
    EXPECT_EQ(inner->copies, 1);
    EXPECT_EQ(graphic->copies, 1);
    for (TControl* c : std::initializer_list<TControl*>{form.get(), outer, inner, graphic})
        EXPECT_EQ(c->ControlState() & csPaintCopy, 0u);
    // The copy holds each control at its place.
    EXPECT_EQ(GetPixel(mem, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(mem, 15, 15), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(mem, 30, 30), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(mem, 95, 30), RGB(0, 0, 255));

    // A graphic control prints alone into a DC of its own size.
    PatBlt(mem, 0, 0, 200, 120, WHITENESS);
    graphic->Perform(WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    EXPECT_EQ(GetPixel(mem, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(mem, 40, 40), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// ---- hooks on foreign windows ------------------------------------------------------------------

namespace {
struct HookLog {
    std::vector<String> lines;
    TWindowHookObject* hook = nullptr;
    String name;
    void Handle(TMessage& m)
    {
        if (m.Msg == WM_USER + 1) lines.push_back(name);
        if (m.Msg == WM_USER + 2 && name == L"first") {
            m.Result = 42;   // taken here: the window never sees it
            return;
        }
        hook->CallPrevious(m);
    }
};
}  // namespace

TEST(WindowHooks, ForeignWindowsChainThroughHooksFoundByProperty)
{
    // A native window that is none of our controls.
    HWND wnd = CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    HookLog log1, log2;
    log1.name = L"first";
    log2.name = L"second";
    auto* first = new TWindowHookObject(wnd, Bind<&HookLog::Handle>(&log1));
    log1.hook = first;
    EXPECT_EQ(FindWindowHook(wnd), first);
    auto* second = new TWindowHookObject(wnd, Bind<&HookLog::Handle>(&log2));
    log2.hook = second;
    EXPECT_EQ(FindWindowHook(wnd), second);
    std::vector<String> all;
    SendMessageW(wnd, WM_USER + 1, 0, 0);
    all = log2.lines;
    all.insert(all.end(), log1.lines.begin(), log1.lines.end());
    EXPECT_EQ(all, (std::vector<String>{L"second", L"first"}));   // the newest first
    EXPECT_EQ(SendMessageW(wnd, WM_USER + 2, 0, 0), 42);
    wchar_t text[16] = {};
    GetWindowTextW(wnd, text, 16);
    EXPECT_STREQ(text, L"foreign");

    // Taking out the older hook leaves the newer one in the chain.
    delete first;
    log1.lines.clear();
    log2.lines.clear();
    SendMessageW(wnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(log2.lines.size(), 1u);
    EXPECT_TRUE(log1.lines.empty());
    EXPECT_EQ(FindWindowHook(wnd), second);

    // The window goes: the hook lets go by itself and may be freed afterwards.
    bool told = false;
    struct Gone {
        bool* told;
        void Destroyed(TObject*) { *told = true; }
    } gone{&told};
    second->OnWindowDestroyed = Bind<&Gone::Destroyed>(&gone);
    DestroyWindow(wnd);
    EXPECT_TRUE(told);
    EXPECT_FALSE(second->Attached());
    delete second;
    EXPECT_THROW(TWindowHookObject(wnd, nullptr), EInvalidOperation);
}

namespace {
// One of several hooks on a window: notes the test messages it sees in a shared log.
struct ChainHook {
    std::vector<String>* log = nullptr;
    String name;
    TWindowHookObject* hook = nullptr;
    bool keepNcDestroy = false;   // takes WM_NCDESTROY without passing it on
    bool freeWhenTold = false;    // frees its hook object when told the window went
    int told = 0;
    void Handle(TMessage& m)
    {
        if (m.Msg == WM_USER + 1) log->push_back(name);
        if (m.Msg == WM_NCDESTROY && keepNcDestroy) return;
        hook->CallPrevious(m);
    }
    void Destroyed(TObject*)
    {
        ++told;
        if (freeWhenTold) {
            delete hook;
            hook = nullptr;
        }
    }
    void Attach(HWND wnd)
    {
        hook = new TWindowHookObject(wnd, Bind<&ChainHook::Handle>(this));
        hook->OnWindowDestroyed = Bind<&ChainHook::Destroyed>(this);
    }
};

HWND NewForeignWindow()
{
    return CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

TEST(WindowHooks, HooksOfOneWindowMayBeFreedInAnyOrder)
{
    // Every order of freeing three hooks: after each step the newest hook left is the one the
    // property names and the messages pass through exactly the hooks left, newest first.
    std::vector<int> order{0, 1, 2};
    do {
        SCOPED_TRACE(order[0] * 100 + order[1] * 10 + order[2]);
        HWND wnd = NewForeignWindow();
        ASSERT_NE(wnd, nullptr);
        std::vector<String> log;
        ChainHook hooks[3];
        for (int i = 0; i < 3; ++i) {
            hooks[i].log = &log;
            hooks[i].name = IntToStr(i);
            hooks[i].Attach(wnd);
        }
        for (int k : order) {
            delete hooks[k].hook;
            hooks[k].hook = nullptr;
            TWindowHookObject* newest = nullptr;
            std::vector<String> expected;
            for (int i = 2; i >= 0; --i) {
                if (!hooks[i].hook) continue;
                if (!newest) newest = hooks[i].hook;
                expected.push_back(hooks[i].name);
            }
            EXPECT_EQ(FindWindowHook(wnd), newest);
            log.clear();
            SendMessageW(wnd, WM_USER + 1, 0, 0);
            EXPECT_EQ(log, expected);
        }
        wchar_t text[16] = {};
        GetWindowTextW(wnd, text, 16);
        EXPECT_STREQ(text, L"foreign");
        DestroyWindow(wnd);
        for (const ChainHook& h : hooks) EXPECT_EQ(h.told, 0);   // freed before the window went
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(WindowHooks, AWindowDestroyedUnderItsHooksLetsEveryOneGo)
{
    struct Case {
        const char* what;
        bool newestKeepsNcDestroy;   // the older hook never sees the window go
        bool freeWhenTold;
        bool olderFreedFirst;
    };
    const Case cases[] = {
        {"both pass it on, older freed first", false, false, true},
        {"both pass it on, newer freed first", false, false, false},
        {"the newest keeps WM_NCDESTROY", true, false, true},
        {"the newest keeps it, newer freed first", true, false, false},
        {"each hook freed when told", false, true, true},
        {"freed when told, the newest keeps it", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND wnd = NewForeignWindow();
        ASSERT_NE(wnd, nullptr);
        std::vector<String> log;
        ChainHook older, newer;
        for (ChainHook* h : {&older, &newer}) {
            h->log = &log;
            h->freeWhenTold = c.freeWhenTold;
            h->Attach(wnd);
        }
        newer.keepNcDestroy = c.newestKeepsNcDestroy;
        DestroyWindow(wnd);
        EXPECT_FALSE(IsWindow(wnd));
        for (ChainHook* h : {&older, &newer}) {
            EXPECT_EQ(h->told, 1);
            if (c.freeWhenTold) EXPECT_EQ(h->hook, nullptr);
            else EXPECT_FALSE(h->hook->Attached());
        }
        ChainHook* first = c.olderFreedFirst ? &older : &newer;
        ChainHook* second = c.olderFreedFirst ? &newer : &older;
        delete first->hook;
        delete second->hook;
    }
}

// ---- dropped files -----------------------------------------------------------------------------

class TDropTarget : public TCustomControl {
public:
    explicit TDropTarget(TComponent* owner) : TCustomControl(owner) {}
    std::vector<String> dropped;

protected:
    void CreateHandle() override
    {
        TCustomControl::CreateHandle();
        DragAcceptFilesBound(FHandle, true);
    }
    void WMDropFiles(TMessage& m) override
    {
        auto drop = reinterpret_cast<HDROP>(m.WParam);
        dropped = DroppedFileNames(drop);
        DragFinishBound(drop);
        m.Result = 0;
    }
};

TEST(DroppedFiles, AFileDroppedOnTheWindowReachesItsControl)
{
    FormPtr form = NewForm();
    auto* target = new TDropTarget(form.get());
    target->SetParent(form.get());
    target->SetBounds(10, 10, 200, 100);
    form->Show();
    EXPECT_NE(GetWindowLongPtrW(target->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);

    // What the shell hands over: a DROPFILES block with the names, each ended, the list too.
    const std::vector<String> names{L"C:\\logs\\debug.log", L"C:\\logs\\second file.json"};
    size_t chars = 1;
    for (const String& n : names) chars += n.size() + 1;
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(df) + sizeof(DROPFILES));
    for (const String& n : names) {
        std::copy(n.begin(), n.end(), p);
        p += n.size() + 1;
    }
    GlobalUnlock(mem);
    PostMessageW(target->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
    EXPECT_TRUE(PumpUntil([&] { return !target->dropped.empty(); }, 2000));
    EXPECT_EQ(target->dropped, names);
}

// ---- MDI ---------------------------------------------------------------------------------------

TEST(MdiForms, ChildrenLiveInTheClientAndTheActiveOneIsKnown)
{
    FormPtr frame(new TForm(nullptr));
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(100, 100, 500, 400);
    auto* status = new TPanel(frame.get());
    status->SetParent(frame.get());
    status->SetHeight(30);
    status->SetAlign(alBottom);
    TCustomForm* savedMain = Application->MainForm();
    Application->SetMainForm(frame.get());
    frame->Show();
    ASSERT_NE(frame->ClientHandle(), nullptr);
    wchar_t cls[32] = {};
    GetClassNameW(frame->ClientHandle(), cls, 32);
    EXPECT_STREQ(cls, L"MDIClient");
    // The client shares the frame's client area with the aligned panel.
    RECT cr;
    GetWindowRect(frame->ClientHandle(), &cr);
    EXPECT_EQ(cr.bottom - cr.top, frame->ClientHeight() - 30);

    std::vector<TForm*> children;
    for (int i = 0; i < 2; ++i) {
        auto* child = new TForm(frame.get());
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(L"Child " + IntToStr(i));
        child->SetBounds(10 + 30 * i, 10 + 30 * i, 200, 150);
        child->Show();
        children.push_back(child);
    }
    PumpFor(50);
    EXPECT_EQ(GetParent(children[0]->Handle()), frame->ClientHandle());
    EXPECT_NE(GetWindowLongPtrW(children[0]->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD, 0);
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), children[1]);
    EXPECT_EQ(frame->MDIChildren(0), children[1]);
    children[0]->Show();
    EXPECT_EQ(frame->ActiveMDIChild(), children[0]);
    EXPECT_EQ(frame->MDIChildren(0), children[0]);

    delete children[0];
    EXPECT_EQ(frame->MDIChildCount(), 1);
    EXPECT_EQ(frame->ActiveMDIChild(), children[1]);
    Application->SetMainForm(savedMain);
}

namespace {
// Whether an entry of the popup names a window with this caption.
bool ListsWindow(HMENU menu, const String& caption)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        if (String(text).find(caption) != String::npos) return true;
    }
    return false;
}
}  // namespace

TEST(MdiForms, TheWindowMenuListsTheChildrenAndKeepsThemThroughChanges)
{
    FormPtr frame(new TForm(nullptr));
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(100, 100, 500, 400);
    auto* menu = new TMainMenu(frame.get());
    auto addItem = [&](TMenuItem* parent, const String& caption) {
        auto* item = new TMenuItem(frame.get());
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    };
    TMenuItem* window = addItem(menu->Items(), L"&Window");
    addItem(window, L"&Tile");
    TMenuItem* other = addItem(menu->Items(), L"&View");
    TMenuItem* otherEntry = addItem(other, L"&Status");
    frame->SetMenu(menu);
    frame->SetWindowMenu(window);
    TCustomForm* savedMain = Application->MainForm();
    Application->SetMainForm(frame.get());
    frame->Show();
    for (const wchar_t* caption : {L"Alpha", L"Beta"}) {
        auto* child = new TForm(frame.get());
        child->SetFormStyle(fsMDIChild);
        child->SetCaption(caption);
        child->SetBounds(10, 10, 200, 150);
        child->Show();
    }
    PumpFor(50);
    EXPECT_TRUE(ListsWindow(window->Handle(), L"Alpha"));
    EXPECT_TRUE(ListsWindow(window->Handle(), L"Beta"));
    EXPECT_FALSE(ListsWindow(other->Handle(), L"Alpha"));

    // Another item takes the list over.
    frame->SetWindowMenu(other);
    EXPECT_EQ(frame->WindowMenu(), other);
    EXPECT_TRUE(ListsWindow(other->Handle(), L"Beta"));
    EXPECT_FALSE(ListsWindow(window->Handle(), L"Beta"));
    // Rebuilding the item's own entries must not lose the list.
    otherEntry->SetCaption(L"&Status bar");
    EXPECT_TRUE(ListsWindow(other->Handle(), L"Beta"));
    EXPECT_TRUE(ListsWindow(other->Handle(), L"Status bar"));

    // The item goes: the form forgets it.
    delete other;
    EXPECT_EQ(frame->WindowMenu(), nullptr);
    Application->SetMainForm(savedMain);
}

// ---- frames ------------------------------------------------------------------------------------

TEST(Frames, AFrameOnAFormHoldsItsControlsScalesWithItAndScrolls)
{
    FormPtr form = NewForm(400, 300);
    auto* frame = new TFrame(form.get());
    frame->SetParent(form.get());
    frame->SetBounds(10, 10, 200, 120);
    auto* button = new TButton(frame);   // a frame owns the controls it is made of
    button->SetParent(frame);
    button->SetBounds(8, 8, 80, 24);
    form->Show();
    ASSERT_TRUE(frame->HandleAllocated());
    EXPECT_EQ(GetParent(frame->Handle()), form->Handle());
    EXPECT_EQ(GetWindowLongPtrW(frame->Handle(), GWL_STYLE) & (WS_CHILD | WS_POPUP), WS_CHILD);
    EXPECT_EQ(GetParent(button->Handle()), frame->Handle());
    EXPECT_TRUE(IsWindowVisible(button->Handle()));

    form->ScaleForPPI(144);
    EXPECT_EQ(frame->BoundsRect(), Bounds(15, 15, 300, 180));
    EXPECT_EQ(button->BoundsRect(), Bounds(12, 12, 120, 36));
    EXPECT_EQ(frame->CurrentPPI(), 144);
    EXPECT_EQ(button->CurrentPPI(), 144);
    RECT wr;
    GetWindowRect(button->Handle(), &wr);
    EXPECT_EQ(wr.right - wr.left, 120);

    // Contents beyond the frame scroll into reach.
    button->SetTop(400);
    EXPECT_TRUE(frame->VertScrollBar()->IsScrollBarVisible());
    frame->ScrollInView(button);
    EXPECT_LE(button->Top() + button->Height(), frame->ClientHeight());
    form->ScaleForPPI(96);
}

// ---- scrolling ---------------------------------------------------------------------------------

TEST(ScrollBox, ContentsBeyondTheClientAreaScrollIntoView)
{
    FormPtr form = NewForm();
    auto* box = new TScrollBox(form.get());
    box->SetParent(form.get());
    box->SetBorderStyle(bsNone);
    box->SetBounds(10, 10, 200, 100);
    auto* lowButton = new TButton(form.get());
    lowButton->SetParent(box);
    lowButton->SetBounds(10, 300, 80, 25);
    auto* topButton = new TButton(form.get());
    topButton->SetParent(box);
    topButton->SetBounds(10, 10, 80, 25);
    form->Show();
    TControlScrollBar* bar = box->VertScrollBar();
    EXPECT_EQ(bar->Range(), 325);
    EXPECT_TRUE(bar->IsScrollBarVisible());
    EXPECT_NE(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & WS_VSCROLL, 0);
    EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
    int maxPos = 325 - box->ClientHeight();

    struct Row {
        WORD code;
        int thumb;
        int position;
    };
    for (const Row& r : {Row{SB_LINEDOWN, 0, 8}, Row{SB_LINEDOWN, 0, 16}, Row{SB_LINEUP, 0, 8},
                         Row{SB_THUMBPOSITION, 200, 200}, Row{SB_BOTTOM, 0, maxPos}, Row{SB_LINEDOWN, 0, maxPos},
                         Row{SB_TOP, 0, 0}}) {
        SCOPED_TRACE(r.code);
        if (r.code == SB_THUMBPOSITION) {
            SCROLLINFO si{sizeof(si), SIF_POS};
            si.nPos = r.thumb;
            SetScrollInfo(box->Handle(), SB_VERT, &si, FALSE);
        }
        SendMessageW(box->Handle(), WM_VSCROLL, MAKEWPARAM(r.code, r.thumb), 0);
        EXPECT_EQ(bar->Position(), r.position);
        EXPECT_EQ(lowButton->Top(), 300 - r.position);
        EXPECT_EQ(topButton->Top(), 10 - r.position);
        RECT wr;
        GetWindowRect(lowButton->Handle(), &wr);
        EXPECT_EQ(wr.top - box->ClientOrigin().y, 300 - r.position);
        EXPECT_EQ(GetScrollPos(box->Handle(), SB_VERT), r.position);
    }
    box->ScrollInView(lowButton);
    EXPECT_LE(lowButton->Top() + lowButton->Height(), box->ClientHeight());
    EXPECT_GE(lowButton->Top(), 0);
    // The range does not change with scrolling.
    EXPECT_EQ(bar->Range(), 325);
}
