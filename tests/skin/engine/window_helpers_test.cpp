// The window and control helpers in real windows: skin colours through a manager, layered
// updates through the recording seam with composition on and off, tree walks and order,
// alignment and right-to-left mirroring, hit tests and plain hints.
#include <gtest/gtest.h>

#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/window_helpers.h"
#include "skin/graphics/paint32.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/extctrls.h"

#include <commctrl.h>

using testing_support::PumpFor;

namespace {

FormPtr NewForm(int w = 300, int h = 200)
{
    FormPtr f(new TForm(nullptr));
    f->SetBounds(60, 60, w, h);
    return f;
}

TPanel* Panel(TWinControl* parent, TAlign align, int left, int top, int w, int h)
{
    auto* p = new TPanel(parent);
    p->SetBounds(left, top, w, h);
    p->SetParent(parent);
    p->SetAlign(align);
    return p;
}

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};

// A popup window that records the style changes it is told of.
class TStyleWindow {
public:
    TStyleWindow()
    {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.lpszClassName = L"QwStyleWindow";
            RegisterClassW(&wc);
            registered = true;
        }
        Wnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"QwStyleWindow", L"", WS_POPUP | WS_VISIBLE, 10, 20, 16, 12, nullptr,
                              nullptr, nullptr, this);
    }
    ~TStyleWindow() { DestroyWindow(Wnd); }
    HWND Wnd;
    static inline std::vector<WPARAM> Changes;   // GWL_STYLE / GWL_EXSTYLE, in order

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_STYLECHANGED) Changes.push_back(wp);
        return DefWindowProcW(w, msg, wp, lp);
    }
};

}  // namespace

TEST(WindowHelpers, SkinColoursThroughTheManager)
{
    EXPECT_EQ(ResolveSkinColor(clBtnFace), TColor(GetSysColor(COLOR_BTNFACE)));   // no manager at all
    EXPECT_EQ(ResolveSkinColor(TColorOf(0xFF003E0Au)), 0x003E0A);
    std::unique_ptr<TsSkinManager, ManagerDeleter> m(new TsSkinManager(nullptr));
    m->ApplySkinEditorText(L"White", String(), L"[GLOBALINFO]\nCOLOR=16777215\n[HINT]\nCOLOR=4660\n");
    ASSERT_TRUE(m->IsActive());
    struct Case { TColor color; TColor want; const char* what; } cases[] = {
        {clBtnShadow, 0xB3B3B3, "main colour white: 255 x 180 shr 8 in each channel"},
        {clActiveCaption, 0xFFFFFF, "no title section: the main colour"},
        {clInfoBk, 4660, "the hint section"},
        {clMainColorConst, 0xFFFFFF, "the main-colour constant"},
        {0x123456, 0x123456, "RGB stays"},
    };
    for (auto c : cases) EXPECT_EQ(ResolveSkinColor(c.color), c.want) << c.what;
    EXPECT_EQ(ResolveSkinColor(clBtnShadow, m.get()), 0xB3B3B3);
}

TEST(WindowHelpers, LayeredUpdatesWithCompositionOff)
{
    TRecordingFormServices services;
    TLayeredRecorder recorder;
    TStyleWindow window;
    TBitmap bmp(16, 12, pf32bit);
    FillRectAlpha32(&bmp, TRect(0, 0, 16, 12), 0x0000FF, 128);
    TStyleWindow::Changes.clear();
    const TPoint at(30, 40);
    UpdateLayeredFromBitmap(window.Wnd, &bmp, 200, &at);
    EXPECT_TRUE(GetWindowLongPtrW(window.Wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(GetWindowLongPtrW(window.Wnd, GWL_STYLE) & WS_VISIBLE);
    // Without composition the window is hidden for the switch (and the desktop redrawn).
    EXPECT_EQ(std::count(TStyleWindow::Changes.begin(), TStyleWindow::Changes.end(), WPARAM(GWL_STYLE)), 2);
    ASSERT_EQ(recorder.Updates.size(), 1u);
    const TacLayeredUpdate& u = recorder.Updates[0];
    EXPECT_EQ(u.Wnd, window.Wnd);
    EXPECT_TRUE(u.HasDstPoint);
    EXPECT_EQ(u.DstPoint, at);
    EXPECT_EQ(u.Size, TSize(16, 12));
    EXPECT_EQ(u.Alpha, 200);
    EXPECT_EQ(u.Flags, DWORD(ULW_ALPHA));
    EXPECT_TRUE(u.PerPixelAlpha);
    EXPECT_EQ(u.Pixels.At(5, 5), 0x80FF0000u);
    // Already layered: no hiding any more.
    TStyleWindow::Changes.clear();
    UpdateLayeredFromBitmap(window.Wnd, nullptr, 255, nullptr);
    EXPECT_EQ(std::count(TStyleWindow::Changes.begin(), TStyleWindow::Changes.end(), WPARAM(GWL_STYLE)), 0);
    ASSERT_EQ(recorder.Updates.size(), 2u);
    EXPECT_FALSE(recorder.Updates[1].HasDstPoint);
    EXPECT_EQ(recorder.Updates[1].Size, TSize(16, 12));   // nil: transparent, the window's size
    EXPECT_EQ(recorder.Updates[1].Pixels.At(3, 3), 0u);
}

TEST(WindowHelpers, LayeredUpdatesWithCompositionOn)
{
    TRecordingFormServices services;
    services.Composition = true;
    TLayeredRecorder recorder;
    TStyleWindow window;
    TStyleWindow::Changes.clear();
    UpdateLayeredFromBitmap(window.Wnd, nullptr, 99, nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(window.Wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(std::count(TStyleWindow::Changes.begin(), TStyleWindow::Changes.end(), WPARAM(GWL_STYLE)), 0);
    ASSERT_EQ(recorder.Updates.size(), 1u);
    EXPECT_EQ(recorder.Updates[0].Alpha, 99);
}

TEST(WindowHelpers, LayeredAlpha)
{
    TStyleWindow window;
    EXPECT_TRUE(SetLayeredAlpha(window.Wnd, true, 128));    // switched on now
    EXPECT_FALSE(SetLayeredAlpha(window.Wnd, true, 200));   // already layered
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(window.Wnd, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 200);
    EXPECT_FALSE(SetLayeredAlpha(window.Wnd, false, 0));
    EXPECT_FALSE(GetWindowLongPtrW(window.Wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(GetWindowLongPtrW(window.Wnd, GWL_STYLE) & WS_VISIBLE);
}

TEST(WindowHelpers, TreesAndOrder)
{
    FormPtr form = NewForm();
    TPanel* a = Panel(form.get(), alNone, 0, 0, 50, 50);
    TPanel* a1 = Panel(a, alNone, 0, 0, 10, 10);
    TPanel* b = Panel(form.get(), alNone, 60, 0, 50, 50);
    TPanel* c = Panel(form.get(), alNone, 120, 0, 50, 50);
    form->Show();
    std::vector<TControl*> seen;
    ForEachChildControl(form.get(), &seen, [](TControl* child, void* data) { static_cast<std::vector<TControl*>*>(data)->push_back(child); });
    EXPECT_EQ(seen, (std::vector<TControl*>{a, a1, b, c}));

    PlaceAfterSibling(a, c);
    EXPECT_EQ(form->Controls(2), a);
    EXPECT_EQ(GetWindow(a->Handle(), GW_HWNDPREV), nullptr);   // last in the list: the top of the z order
    PlaceAfterSibling(a, a1);   // not a sibling: nothing
    EXPECT_EQ(form->Controls(2), a);

    EXPECT_TRUE(IsWindowOrDescendant(a1->Handle(), form->Handle()));
    EXPECT_FALSE(IsWindowOrDescendant(form->Handle(), a1->Handle()));
    // GetParent of a top-level window is its owner: the climb ends at the root owner.
    EXPECT_EQ(TopLevelWindowOf(a1->Handle()), GetAncestor(form->Handle(), GA_ROOTOWNER));

    struct TResized {
        void Handler(TObject*) {}
    } resized;
    form->OnResize = Bind<&TResized::Handler>(&resized);
    const int h = form->Height();
    NudgeWindowSize(form.get(), form->Handle());
    EXPECT_EQ(form->Height(), h);
    EXPECT_EQ(form->OnResize, Bind<&TResized::Handler>(&resized));

    // A form held at its minimum height or width is not nudged at all: no size change reaches it.
    for (const bool byHeight : {true, false}) {
        TSizeConstraints limits;
        (byHeight ? limits.MinHeight : limits.MinWidth) = byHeight ? form->Height() : form->Width();
        form->SetConstraints(limits);
        int sized = 0;
        struct TCounter {
            static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data)
            {
                if (msg == WM_WINDOWPOSCHANGED) ++*reinterpret_cast<int*>(data);
                return DefSubclassProc(w, msg, wp, lp);
            }
        };
        SetWindowSubclass(form->Handle(), &TCounter::Proc, 1, reinterpret_cast<DWORD_PTR>(&sized));
        NudgeWindowSize(form.get(), form->Handle());
        RemoveWindowSubclass(form->Handle(), &TCounter::Proc, 1);
        EXPECT_EQ(sized, 0) << (byHeight ? "minimum height" : "minimum width");
        form->SetConstraints(TSizeConstraints());
    }
}

TEST(WindowHelpers, AlignmentAndMirroring)
{
    FormPtr form = NewForm();
    form->SetAlign(alNone);
    Panel(form.get(), alTop, 0, 0, 100, 20);
    Panel(form.get(), alTop, 0, 0, 100, 30);
    Panel(form.get(), alLeft, 0, 0, 15, 30);
    TPanel* hidden = Panel(form.get(), alTop, 0, 0, 100, 40);
    hidden->Hide();
    EXPECT_EQ(AlignedChildrenExtent(form.get(), alTop, false), 50);
    EXPECT_EQ(AlignedChildrenExtent(form.get(), alClient, true), 0);

    FormPtr f2 = NewForm(300, 200);
    auto* panel = new TPanel(f2.get());
    panel->SetBounds(0, 0, 300, 100);
    panel->SetParent(f2.get());
    TPanel* a = Panel(panel, alLeft, 0, 0, 50, 100);
    TPanel* b = Panel(panel, alLeft, 50, 0, 50, 100);
    TPanel* c = Panel(panel, alRight, 200, 0, 50, 100);
    TPanel* free = Panel(panel, alNone, 10, 10, 20, 20);
    free->SetAnchors(akLeft | akTop);
    f2->Show();
    MirrorLayout(panel, false);
    EXPECT_EQ(c->Align(), alLeft);
    EXPECT_EQ(a->Align(), alRight);
    EXPECT_EQ(b->Align(), alRight);
    EXPECT_EQ(free->Left(), panel->ClientWidth() - 10 - 20);
    EXPECT_EQ(free->Anchors(), TAnchors(akTop | akRight));

    struct Case { TAnchors in, out; } anchors[] = {
        {akLeft | akTop, akTop | akRight}, {akLeft | akRight, akLeft | akRight}, {akTop, akTop}, {akRight, akLeft},
    };
    for (auto c2 : anchors) {
        free->SetAnchors(c2.in);
        SwapHorizontalAnchors(free);
        EXPECT_EQ(free->Anchors(), c2.out) << c2.in;
    }
}

TEST(WindowHelpers, PlainHintsStayInTheWorkArea)
{
    const TRect work(0, 0, 1000, 800);
    struct Case { TPoint pos; TRect want; const char* what; } cases[] = {
        {TPoint(100, 100), TRect(108, 116, 208, 136), "right and below the point"},
        {TPoint(990, 100), TRect(900, 116, 1000, 136), "near the right edge: moved left to it"},
        {TPoint(100, 790), TRect(108, 780, 208, 800), "near the bottom: moved up"},
        {TPoint(-50, -50), TRect(-42, -34, 58, -14), "never moved right or down"},
    };
    for (auto c : cases) EXPECT_EQ(PlaceHintRect(TRect(0, 0, 100, 20), c.pos, work), c.want) << c.what;

    EXPECT_EQ(ShowPlainHint(String(), TPoint(10, 10)), nullptr);
    THintWindow* hint = ShowPlainHint(L"A hint", TPoint(100, 100));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(WindowTextOf(hint->Handle()), L"A hint");
    RECT r;
    GetWindowRect(hint->Handle(), &r);
    EXPECT_EQ(r.left, 108);
    EXPECT_EQ(r.top, 116);
    HidePlainHint(hint);
    EXPECT_EQ(hint, nullptr);
}

TEST(WindowHelpers, MouseAndKeyboard)
{
    FormPtr form = NewForm();
    TPanel* p = Panel(form.get(), alNone, 20, 20, 60, 40);
    form->Show();
    PumpFor(50);
    TPoint inside = p->ClientToScreen(TPoint(10, 10));
    SetCursorPos(inside.x, inside.y);
    PumpFor(30);
    TPoint cursor;
    ReadCursorPos(cursor);
    if (cursor == inside) {   // the display moved the pointer
        EXPECT_TRUE(IsMouseOverControl(p));
        EXPECT_TRUE(IsMouseOverWindow(p->Handle()));
        EXPECT_EQ(ControlUnderCursor(), p);
        EXPECT_EQ(FindVCLWindow(inside), p);
        TPoint outside = p->ClientToScreen(TPoint(100, 100));
        SetCursorPos(outside.x, outside.y);
        PumpFor(30);
        EXPECT_FALSE(IsMouseOverControl(p));
        EXPECT_EQ(ControlUnderCursor(), form.get());
    }
    p->Hide();
    EXPECT_FALSE(IsMouseOverControl(p));

    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = VK_CONTROL;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &in[0], sizeof(INPUT));
    PumpFor(30);
    EXPECT_EQ(ShiftStateFromKeyboard(), TShiftState(ssCtrl));
    SendInput(1, &in[1], sizeof(INPUT));
    PumpFor(30);
    EXPECT_EQ(ShiftStateFromKeyboard(), TShiftState(0));
}

TEST(WindowHelpers, ForeignPopupClassesMatchExactly)
{
    const TStringList& list = ForeignPopupClasses();
    ASSERT_EQ(list.Count(), 7);
    EXPECT_TRUE(list.Sorted());
    EXPECT_TRUE(IsForeignPopupClass(L"TApplication"));
    EXPECT_TRUE(IsForeignPopupClass(L"TcxGridFilterPopup"));
    // Case counts, and neither a prefix nor our own forms match.
    EXPECT_FALSE(IsForeignPopupClass(L"tapplication"));
    EXPECT_FALSE(IsForeignPopupClass(L"TfcPopu"));
    EXPECT_FALSE(IsForeignPopupClass(L"TMainForm"));
    EXPECT_FALSE(IsForeignPopupClass(nullptr));
}
