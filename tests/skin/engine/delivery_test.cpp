// Skin commands delivered to windows and controls in real windows: the direct route through a
// window's skin link (no message passes the system's dispatch), the plain route, broadcasts
// down control trees, full-width parameters, and the small queries built on them.
#include <gtest/gtest.h>

#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/common_data.h"
#include "tests/common/test_support.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/forms.h"

namespace {

struct TDelivery {
    String who;
    unsigned command;
    LPARAM lParam;
};
std::vector<TDelivery> Log;

// Remembers the skin commands it receives and answers them with Answer.
class TRecordingPanel : public TCustomControl {
public:
    TRecordingPanel(TComponent* owner, const wchar_t* name) : TCustomControl(owner) { SetName(name); }
    LRESULT Answer = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) {
            Log.push_back({Name(), SkinCommandOf(m.WParam), m.LParam});
            m.Result = Answer;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

class TRecordingGraphic : public TGraphicControl {
public:
    TRecordingGraphic(TComponent* owner, const wchar_t* name) : TGraphicControl(owner) { SetName(name); }

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) {
            Log.push_back({Name(), SkinCommandOf(m.WParam), m.LParam});
            return;
        }
        TGraphicControl::Dispatch(m);
    }
};

// Counts the skin commands that pass the system's message dispatch of this thread.
class TCallHook {
public:
    TCallHook() { FHook = SetWindowsHookExW(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId()); }
    ~TCallHook() { UnhookWindowsHookEx(FHook); }
    static inline int Seen = 0;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp)
    {
        if (code == HC_ACTION && reinterpret_cast<CWPSTRUCT*>(lp)->message == MSG_SKINCOMMAND) ++Seen;
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    HHOOK FHook;
};

template <class T>
T* Add(TWinControl* parent, const wchar_t* name, int x = 0)
{
    auto* c = new T(parent, name);
    c->SetBounds(x, 0, 30, 30);
    c->SetParent(parent);
    return c;
}

FormPtr NewForm()
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(50, 50, 300, 200);
    return f;
}

// Who received a command (all commands when 0), in order.
std::vector<String> Names(unsigned command = 0)
{
    std::vector<String> names;
    for (const auto& d : Log)
        if (!command || d.command == command) names.push_back(d.who);
    return names;
}

}  // namespace

TEST(SkinDelivery, ALinkedWindowIsCalledDirectly)
{
    FormPtr form = NewForm();
    auto* panel = Add<TRecordingPanel>(form.get(), L"panel");
    panel->Answer = static_cast<LRESULT>(0x7123456789ABCDEFll);
    form->Show();
    TCallHook hook;

    // Without a link the command goes through the system (and the hook sees it).
    Log.clear();
    TCallHook::Seen = 0;
    EXPECT_EQ(SendSkinCommand(panel->Handle(), scmGetBGColor, 5), panel->Answer);
    EXPECT_EQ(TCallHook::Seen, 1);

    TsCommonData link(panel);
    ASSERT_TRUE(link.WndProc.Assigned());
    link.AttachToWindow(panel->Handle());
    EXPECT_EQ(CommonDataFromHandle(panel->Handle()), &link);
    TCallHook::Seen = 0;
    const LPARAM big = static_cast<LPARAM>(0x123456789ABCull);   // above 4 GB
    EXPECT_EQ(SendSkinCommand(panel->Handle(), scmGetBGColor, big), panel->Answer);   // 64 bits back
    EXPECT_EQ(TCallHook::Seen, 0);
    ASSERT_EQ(Log.size(), 2u);
    EXPECT_EQ(Log[1].lParam, big);
    EXPECT_EQ(Log[1].command, unsigned(scmGetBGColor));

    // A link without a procedure: the plain route.
    link.WndProc = nullptr;
    TCallHook::Seen = 0;
    SendSkinCommand(panel->Handle(), scmRefresh, big);
    EXPECT_EQ(TCallHook::Seen, 1);
    EXPECT_EQ(Log.back().lParam, big);
    link.DetachFromWindow();
    EXPECT_EQ(CommonDataFromHandle(panel->Handle()), nullptr);
}

TEST(SkinDelivery, AControlsLinkTakesItsWindowProcOnce)
{
    FormPtr form = NewForm();
    auto* panel = Add<TRecordingPanel>(form.get(), L"panel");
    form->Show();
    TCallHook hook;
    TsCommonData link(panel);
    link.WndProc = nullptr;
    link.AttachToWindow(panel->Handle());

    Log.clear();
    TCallHook::Seen = 0;
    SendSkinCommandToControl(panel, scmRefresh, 1);
    EXPECT_EQ(link.WndProc, panel->WindowProc);   // stored, then called directly
    EXPECT_EQ(TCallHook::Seen, 0);
    SendSkinCommandToControl(panel, scmRefresh, 2);   // assigned now: sent
    EXPECT_EQ(TCallHook::Seen, 1);
    ASSERT_EQ(Log.size(), 2u);

    // A windowed control being destroyed, or without a window, gets nothing.
    auto* noWindow = new TRecordingPanel(form.get(), L"nowindow");
    EXPECT_EQ(SendSkinCommandToControl(noWindow, scmRefresh, 0), 0);
    panel->Destroying();
    EXPECT_EQ(SendSkinCommandToControl(panel, scmRefresh, 3), 0);
    EXPECT_EQ(Log.size(), 2u);
    // A graphic control always gets Perform, even while being destroyed.
    auto* graphic = Add<TRecordingGraphic>(form.get(), L"graphic");
    graphic->Destroying();
    SendSkinCommandToControl(graphic, scmRefresh, 4);
    ASSERT_EQ(Log.size(), 3u);
    EXPECT_EQ(Log.back().who, L"graphic");
    link.DetachFromWindow();
}

TEST(SkinDelivery, BroadcastOrder)
{
    FormPtr form = NewForm();
    auto* a = Add<TRecordingPanel>(form.get(), L"A");
    Add<TRecordingPanel>(a, L"A1");
    Add<TRecordingGraphic>(a, L"A2");
    Add<TRecordingGraphic>(form.get(), L"B");
    auto* s = Add<TRecordingPanel>(form.get(), L"S", 40);
    Add<TRecordingPanel>(s, L"S1");
    auto* c = Add<TRecordingPanel>(form.get(), L"C", 80);
    Add<TRecordingPanel>(c, L"C1");
    form->Show();
    TsCommonData skinned(s);   // a skinned child: told, but its children are not
    skinned.AttachToWindow(s->Handle());

    Log.clear();
    const LPARAM big = static_cast<LPARAM>(0xFEDCBA9876ull);
    BroadcastToChildren(form.get(), TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmNewSkin), big, 0});
    // (Unskinned windows are also asked scmIsSkinned on the way, to see whether to descend.)
    EXPECT_EQ(Names(scmNewSkin), (std::vector<String>{L"A", L"A1", L"A2", L"B", L"S", L"C", L"C1"}));
    for (const auto& d : Log) {
        if (d.command == scmNewSkin) {
            EXPECT_EQ(d.lParam, big) << ToUtf8(d.who);
        }
    }

    // The walk ends at the first child being destroyed, siblings after it included.
    FormPtr form2 = NewForm();
    Add<TRecordingPanel>(form2.get(), L"X");
    auto* y = Add<TRecordingPanel>(form2.get(), L"Y", 40);
    Add<TRecordingPanel>(form2.get(), L"Z", 80);
    form2->Show();
    y->Destroying();
    Log.clear();
    BroadcastToChildren(form2.get(), TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmRefresh), 0, 0});
    EXPECT_EQ(Names(scmRefresh), (std::vector<String>{L"X"}));
    skinned.DetachFromWindow();
}

TEST(SkinDelivery, ChildWindowsAndRepaints)
{
    FormPtr form = NewForm();
    auto* a = Add<TRecordingPanel>(form.get(), L"A");
    Add<TRecordingPanel>(a, L"A1");
    Add<TRecordingGraphic>(form.get(), L"G");
    auto* b = Add<TRecordingPanel>(form.get(), L"B", 40);
    form->Show();

    Log.clear();
    SendToChildWindows(form->Handle(), TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmRefresh), 0, 0});
    std::vector<String> direct = Names();
    std::sort(direct.begin(), direct.end());
    EXPECT_EQ(direct, (std::vector<String>{L"A", L"B"}));   // direct children only

    Log.clear();
    RepaintChildren(form.get());
    EXPECT_EQ(Names(), (std::vector<String>{L"A", L"G", L"B"}));
    for (const auto& d : Log) EXPECT_EQ(d.command, unsigned(scmUpdateDone));

    b->Hide();
    Log.clear();
    AnimationRunning = true;
    RepaintChildren(form.get());
    AnimationRunning = false;
    EXPECT_TRUE(Log.empty());
    RepaintChildren(form.get());
    EXPECT_EQ(Names(), (std::vector<String>{L"A", L"G"}));   // a hidden window is not told

    Log.clear();
    RepaintChildWindows(form->Handle());
    direct = Names();
    std::sort(direct.begin(), direct.end());
    EXPECT_EQ(direct, (std::vector<String>{L"A", L"B"}));
}

TEST(SkinDelivery, AlignmentFlagsMirrorForRightToLeft)
{
    FormPtr form = NewForm();
    auto* panel = Add<TRecordingPanel>(form.get(), L"panel");
    constexpr UINT L = DT_LEFT | DT_VCENTER | DT_EXPANDTABS, C = DT_CENTER | DT_VCENTER | DT_EXPANDTABS,
                   R = DT_RIGHT | DT_VCENTER | DT_EXPANDTABS, Rtl = DT_RTLREADING;
    struct Case { TBiDiMode mode; UINT left, center, right; } cases[] = {
        {bdLeftToRight, L, C, R},
        {bdRightToLeft, R | Rtl, C | Rtl, L | Rtl},
        {bdRightToLeftNoAlign, L | Rtl, C | Rtl, R | Rtl},
        {bdRightToLeftReadingOnly, L | Rtl, C | Rtl, R | Rtl},
    };
    for (const Case& c : cases) {
        panel->SetBiDiMode(c.mode);
        EXPECT_EQ(AlignmentTextFlags(panel, taLeftJustify), c.left) << int(c.mode);
        EXPECT_EQ(AlignmentTextFlags(panel, taCenter), c.center) << int(c.mode);
        EXPECT_EQ(AlignmentTextFlags(panel, taRightJustify), c.right) << int(c.mode);
    }
    EXPECT_EQ(AlignmentTextFlags(nullptr, taRightJustify), R);   // no control: nothing to mirror
}

TEST(SkinDelivery, SmallQueries)
{
    FormPtr form = NewForm();
    auto* panel = Add<TRecordingPanel>(form.get(), L"panel");
    form->Show();
    struct Case { LRESULT answer; bool window; bool control; } cases[] = {
        {1, true, true}, {2, false, true}, {-1, false, true}, {0, false, false}, {0x100, false, false},
    };
    for (auto c : cases) {
        panel->Answer = c.answer;
        EXPECT_EQ(QueryWindowCommand(panel->Handle(), scmIsSkinned), c.window) << c.answer;
        EXPECT_EQ(QueryControlCommand(panel, scmIsSkinned), c.control) << c.answer;
    }
    EXPECT_EQ(ControlBackColor(nullptr), 0xFF00FF);
    EXPECT_EQ(WindowBackColor(nullptr), 0xFF00FF);
    panel->Answer = 0x00123456;
    EXPECT_EQ(WindowBackColor(panel->Handle()), 0x00123456);
    EXPECT_EQ(AlignmentTextFlags(panel, taCenter), 0x45u);
    EXPECT_EQ(AlignmentTextFlags(panel, taRightJustify), UINT(DT_RIGHT | DT_VCENTER | DT_EXPANDTABS));
    EXPECT_EQ(WorkAreaAtPoint(TRect(-100000, -100000, 0, 0)), TRect());
    EXPECT_FALSE(WorkAreaAtPoint(TRect(10, 10, 20, 20)).IsEmpty());
    EXPECT_EQ(ControlPpi(new TRecordingPanel(form.get(), L"nowindow")), 96);
    EXPECT_EQ(WindowClassName(panel->Handle()), L"TRecordingPanel");
    form->SetCaption(L"Delivery");
    EXPECT_EQ(WindowTextOf(form->Handle()), L"Delivery");
    EXPECT_EQ(OwnerFormOf(panel), form.get());
    EXPECT_TRUE(ReadyForSkinning(panel));
    EXPECT_FALSE(ReadyForSkinning(nullptr));
    EXPECT_FALSE(ReadyForSkinning(form.get()));   // no parent
    TRect client = ClientRectInWindow(form->Handle());
    EXPECT_EQ(client.Width(), form->ClientWidth());
    EXPECT_EQ(ScreenToWindowPoint(form->Handle(), form->Left() + 3, form->Top() + 4), TPoint(3, 4));
}
