// The skinned spin edit in a real window: its frame and buttons drawn from the fixture skin in
// the non-client area, a click stepping once on release, a held button repeating on stepped time,
// keys and wheel, the limits, OnChange, a step that raises inside the repeat, and the plain look
// without a skin (no separate arrow window any more).
#include <gtest/gtest.h>

#include <memory>
#include <windowsx.h>

#include "skin/controls/sspinedit.h"
#include "skin/graphics/bitmaps32.h"
#include "tests/common/screenshot.h"
#include "tests/common/test_support.h"
#include "tests/skin/controls/test_controls.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "tests/vcl/window_helpers.h"

namespace fs = fixture_skin;
using testing_support::PumpFor;

namespace {

uint32_t Rgb(uint32_t pixel) { return pixel & 0xFFFFFFu; }
uint32_t Own(const wchar_t* section, int state) { return Rgb(fs::Opaque(fs::StateColor(fs::SectionNumber(section), state))); }
uint32_t Slice(const wchar_t* section, int frame, int col, int row)
{
    return Rgb(fs::Opaque(fs::SliceColor(fs::SectionNumber(section), frame, col, row)));
}
// A pixel of the window as the screen shows it (window coordinates), as 0xRRGGBB.
uint32_t ScreenPixel(HWND h, int x, int y)
{
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return SwapRedBlue(uint32_t(c));
}

struct TSpinScene {
    FormPtr Form{new TForm(nullptr)};
    TTestSkinPanel* Panel = nullptr;
    TsDecimalSpinEdit* Spin = nullptr;
    int Changes = 0;

    TSpinScene()
    {
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(120, 120, 260, 120);
        Panel = new TTestSkinPanel(Form.get());
        Panel->SetBounds(0, 0, 260, 120);
        Panel->SetParent(Form.get());
        // The panel stays still while the mouse is over its child (its hover fade is not tested here).
        Panel->SetAnimatEvents(0);
        Spin = new TsDecimalSpinEdit(Form.get());
        Spin->SetParent(Panel);
        Spin->SetBounds(20, 20, 120, 22);
        Spin->SetDecimalPlaces(0);
        Spin->OnChange = TNotifyEvent::FromCallable([this](TObject*) { ++Changes; });
        Form->Show();
        PumpFor(60);
    }
    HWND H() const { return Spin->Handle(); }
    // A screen point inside a button (window coordinates given), as the mouse messages carry it.
    LPARAM At(const TRect& r) const
    {
        RECT wr{};
        GetWindowRect(H(), &wr);
        return MAKELPARAM(wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2);
    }
    void Press(bool upper, UINT msg = WM_NCLBUTTONDOWN)
    {
        const TacSpinButtonRects b = Spin->ButtonRects();
        SendMessageW(H(), msg, upper ? HTMINBUTTON : HTMAXBUTTON, At(upper ? b.Up : b.Down));
    }
    void Release(bool upper)
    {
        const TacSpinButtonRects b = Spin->ButtonRects();
        SendMessageW(H(), WM_NCLBUTTONUP, upper ? HTMINBUTTON : HTMAXBUTTON, At(upper ? b.Up : b.Down));
    }
};

TEST(SpinEditWindow, FrameAndButtonsComeFromTheSkinInTheNonClientArea)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    TsDecimalSpinEdit* e = s.Spin;
    ASSERT_TRUE(e->SkinData()->Skinned(true));
    EXPECT_EQ(e->SkinData()->SkinIndex, m->GetSkinIndex(L"EDIT"));
    EXPECT_EQ(e->ButtonSection(), m->GetSkinIndex(L"TOOLBUTTON"));   // flat buttons by default
    // No separate arrow window: the buttons are part of the edit.
    EXPECT_EQ(GetWindow(s.H(), GW_CHILD), nullptr);

    // Height 22, border 2: the buttons stand right of the client area, one above the other.
    const int w = e->SpinButtonWidthNow();
    const TacSpinButtonRects b = e->ButtonRects();
    EXPECT_EQ(b.Up, TRect(120 - 2 - w, 2, 118, 11));
    EXPECT_EQ(b.Down, TRect(120 - 2 - w, 11, 118, 20));
    const TRect client = ClientAreaInWindow(s.H());
    EXPECT_EQ(client.right, b.Up.left);

    struct TCase {
        const char* Name;
        std::function<void()> Act;
        int Up, Down;
    };
    const TCase cases[] = {
        {"normal", [] {}, 0, 0},
        {"hot upper", [&] { SendMessageW(s.H(), WM_NCMOUSEMOVE, HTMINBUTTON, s.At(b.Up)); }, 1, 0},
        {"hot lower", [&] { SendMessageW(s.H(), WM_NCMOUSEMOVE, HTMAXBUTTON, s.At(b.Down)); }, 0, 1},
        {"pressed lower", [&] { s.Press(false); }, 0, 2},
        {"released over it", [&] { s.Release(false); }, 0, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Act();
        PumpFor(150);
        EXPECT_EQ(e->UpButtonState(), c.Up);
        EXPECT_EQ(e->DownButtonState(), c.Down);
        const TPixelImage cache = ImageFromBitmap32(e->SkinData()->FCacheBmp);
        // The button's left border slice in its state's frame, in the cache and on screen.
        const int my = (b.Up.top + b.Up.bottom) / 2, ly = (b.Down.top + b.Down.bottom) / 2;
        EXPECT_EQ(Rgb(cache.At(b.Up.left, my)), Slice(L"TOOLBUTTON", c.Up, 0, 1));
        EXPECT_EQ(Rgb(cache.At(b.Down.left, ly)), Slice(L"TOOLBUTTON", c.Down, 0, 1));
        EXPECT_EQ(ScreenPixel(s.H(), b.Up.left, my), Slice(L"TOOLBUTTON", c.Up, 0, 1));
        EXPECT_EQ(ScreenPixel(s.H(), b.Down.left, ly), Slice(L"TOOLBUTTON", c.Down, 0, 1));
        // The edit's own frame: its left border slice (state 0 unless hot) and the parent in its
        // see-through corner.
        const int editState = e->SkinData()->CurrentState();
        EXPECT_EQ(ScreenPixel(s.H(), 0, 11), Slice(L"EDIT", editState, 0, 1));
        EXPECT_EQ(Rgb(cache.At(0, 0)), Own(L"PANEL", 0));
    }
    // An arrow is drawn in the middle of each button.
    const TPixelImage cache = ImageFromBitmap32(e->SkinData()->FCacheBmp);
    int dark = 0;
    for (int y = b.Up.top; y < b.Down.bottom; ++y)
        for (int x = b.Up.left + fs::Border; x < b.Up.right - fs::Border; ++x) dark += Rgb(cache.At(x, y)) == 0;
    EXPECT_GT(dark, 4);

    // Not flat: "UPDOWNBTN".
    e->SetFlatSpinButtons(false);
    EXPECT_EQ(e->ButtonSection(), m->GetSkinIndex(L"UPDOWNBTN"));
    ASSERT_TRUE(e->PrepareCache());
    const TPixelImage updown = ImageFromBitmap32(e->SkinData()->FCacheBmp);
    EXPECT_EQ(Rgb(updown.At(b.Up.left, 6)), Slice(L"UPDOWNBTN", 0, 0, 1));
}

TEST(SpinEditWindow, OddHeightLeavesARowBetweenTheButtons)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    s.Spin->SetHeight(25);
    PumpFor(30);
    const TacSpinButtonRects b = s.Spin->ButtonRects();
    EXPECT_EQ(b.Up.top, 2);
    EXPECT_EQ(b.Up.bottom, 12);   // rows 2 .. 11
    EXPECT_EQ(b.Down.top, 13);
    EXPECT_EQ(b.Down.bottom, 23);
}

TEST(SpinEditWindow, AClickStepsOnceOnReleaseAndADoubleClickIsASecondPress)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    s.Spin->SetValue(5);
    s.Changes = 0;
    s.Press(true);
    EXPECT_EQ(s.Spin->Value(), 5);   // nothing on the press
    EXPECT_TRUE(s.Spin->Repeating());
    s.Release(true);
    EXPECT_EQ(s.Spin->Value(), 6);
    EXPECT_EQ(s.Spin->Text(), L"6");
    EXPECT_EQ(s.Changes, 1);
    EXPECT_FALSE(s.Spin->Repeating());

    s.Press(false);
    s.Release(false);
    s.Press(false, WM_NCLBUTTONDBLCLK);
    s.Release(false);
    EXPECT_EQ(s.Spin->Value(), 4);
    EXPECT_EQ(s.Changes, 3);

    // Released away from the button: no step, both buttons back to normal.
    s.Press(true);
    SendMessageW(s.H(), WM_NCLBUTTONUP, HTCLIENT, s.At(TRect(4, 4, 6, 6)));
    EXPECT_EQ(s.Spin->Value(), 4);
    EXPECT_EQ(s.Spin->UpButtonState(), 0);
    EXPECT_FALSE(s.Spin->Repeating());
}

// The same through the system's input queue: the hit test finds the buttons, the button goes
// down in the non-client area and comes up wherever the mouse is (captured).
TEST(SpinEditWindow, RealMouseClicksStepOnRelease)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    s.Spin->SetValue(5);
    auto input = [](DWORD flags, int x = 0, int y = 0) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        in.mi.dwFlags = flags;
        SendInput(1, &in, sizeof(in));
        PumpFor(60);
    };
    const TacSpinButtonRects b = s.Spin->ButtonRects();
    const LPARAM up = s.At(b.Up), down = s.At(b.Down);
    input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, GET_X_LPARAM(up), GET_Y_LPARAM(up));
    EXPECT_EQ(s.Spin->UpButtonState(), 1);
    input(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(s.Spin->UpButtonState(), 2);
    EXPECT_EQ(s.Spin->Value(), 5);
    input(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(s.Spin->Value(), 6);
    EXPECT_FALSE(s.Spin->Repeating());

    // Pressed on the lower button, released away from it: no step, nothing left repeating.
    input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, GET_X_LPARAM(down), GET_Y_LPARAM(down));
    input(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(s.Spin->DownButtonState(), 2);
    input(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, GET_X_LPARAM(down) + 200, GET_Y_LPARAM(down) + 60);
    input(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(s.Spin->Value(), 6);
    EXPECT_FALSE(s.Spin->Repeating());
    EXPECT_EQ(s.Spin->DownButtonState(), 0);
}

TEST(SpinEditWindow, AHeldButtonRepeatsAfter300MsThenEvery80Ms)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    TManualTicks ticks;
    s.Spin->SetValue(0);
    s.Press(true);
    struct TAt {
        unsigned Ms;
        double Value;
    };
    unsigned now = 0;
    for (const TAt& t : {TAt{290, 0}, TAt{300, 1}, TAt{370, 1}, TAt{380, 2}, TAt{460, 3}, TAt{1000, 9}}) {
        while (now < t.Ms) {
            ticks.Step(10);
            now += 10;
        }
        EXPECT_EQ(s.Spin->Value(), t.Value) << "at " << t.Ms << " ms";
    }
    s.Release(true);
    EXPECT_EQ(s.Spin->Value(), 10);   // once more on release
    for (int i = 0; i < 50; ++i) ticks.Step(10);
    EXPECT_EQ(s.Spin->Value(), 10);

    // The lower button likewise; pointer moved off the held button pauses the steps.
    s.Press(false);
    for (int i = 0; i < 30; ++i) ticks.Step(10);
    EXPECT_EQ(s.Spin->Value(), 9);
    SendMessageW(s.H(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    for (int i = 0; i < 30; ++i) ticks.Step(10);
    EXPECT_EQ(s.Spin->Value(), 9);
    s.Release(false);   // released over it, but it is no longer pressed: no step
    EXPECT_EQ(s.Spin->Value(), 9);
}

TEST(SpinEditWindow, AStepThatRaisesStopsTheRepeatAndIsLogged)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    TManualTicks ticks;
    std::vector<String> log;
    TsBaseSpinEdit::RepeatLog = [&](const String& text) { log.push_back(text); };
    int calls = 0;
    s.Spin->OnUpClick = TNotifyEvent::FromCallable([&calls](TObject*) {
        ++calls;
        throw Exception(L"device gone");
    });
    s.Press(true);
    for (int i = 0; i < 60; ++i) ticks.Step(10);
    EXPECT_EQ(calls, 1);   // stopped at the first raising step
    EXPECT_FALSE(s.Spin->Repeating());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find(L"device gone"), String::npos);
    s.Spin->OnUpClick = TNotifyEvent();
    s.Release(true);
    TsBaseSpinEdit::RepeatLog = nullptr;
    EXPECT_EQ(s.Spin->Value(), 1);
}

TEST(SpinEditWindow, KeysAndWheelStepWithinTheLimits)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    TsDecimalSpinEdit* e = s.Spin;
    e->SetMinValue(0);
    e->SetMaxValue(255);
    e->SetIncrement(10);
    e->SetValue(230);
    s.Changes = 0;
    e->SetFocus();
    PumpFor(20);
    struct TCase {
        const char* Name;
        UINT Msg;
        WPARAM W;
        double Value;
        int Changes;
    };
    const TCase cases[] = {
        {"up key", WM_KEYDOWN, VK_UP, 240, 1},
        {"wheel 60: no whole notch", WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 240, 1},
        {"wheel 240: two steps, held at the maximum", WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 255, 2},
        // The setter compares the asked value before limiting it: 265 is written back as 255.
        {"up key at the maximum: held there, told again", WM_KEYDOWN, VK_UP, 255, 3},
        {"down key", WM_KEYDOWN, VK_DOWN, 245, 4},
        {"wheel -240", WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), 225, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SendMessageW(s.H(), c.Msg, c.W, c.Msg == WM_MOUSEWHEEL ? s.At(TRect(30, 10, 30, 10)) : 0);
        EXPECT_EQ(e->Value(), c.Value);
        EXPECT_EQ(s.Changes, c.Changes);
    }
    EXPECT_EQ(e->Text(), L"225");
    // Typed keys pass the filter: a letter is refused, a digit typed.
    e->SelectAll();
    SendMessageW(s.H(), WM_CHAR, L'x', 0);
    EXPECT_EQ(e->Text(), L"225");
    SendMessageW(s.H(), WM_CHAR, L'7', 0);
    EXPECT_EQ(e->Text(), L"7");
    // Read-only: the wheel is ignored, steps beep.
    e->SetReadOnly(true);
    SendMessageW(s.H(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(e->Value(), 7);
}

// The typed text is the value while it is typed; leaving the edit limits it and writes it in
// the edit's format. The format follows DecimalPlaces, HideExcessZeros and the thousands
// separator at once.
TEST(SpinEditWindow, TypedTextLimitsOnLeavingAndTheFormatFollowsItsProperties)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    TsDecimalSpinEdit* e = s.Spin;
    auto* other = new TsEdit(s.Form.get());
    other->SetParent(s.Panel);
    other->SetBounds(20, 60, 120, 22);
    PumpFor(20);
    e->SetFocus();
    PumpFor(10);
    struct TCase {
        const char* Name;
        double Min, Max;
        const wchar_t* Typed;
        double WhileTyping;   // Value() before leaving
        double Left;          // Value() after leaving
        const wchar_t* Shown; // the text after leaving
    };
    const TCase cases[] = {
        {"MinValue 5 above MaxValue 0: typed 2 is kept, leaving sets 5", 5, 0, L"2", 2, 5, L"5"},
        {"MinValue = MaxValue = 0: no limit at all", 0, 0, L"-300", -300, -300, L"-300"},
        {"above the limits: held at MaxValue while typing", 0, 255, L"300", 255, 255, L"255"},
        {"a text that is no number gives 0", 0, 255, L"1-2", 0, 0, L"0"},
        {"a lone sign gives 0", 0, 255, L"-", 0, 0, L"0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        e->SetMinValue(c.Min);
        e->SetMaxValue(c.Max);
        e->SetValue(7);
        e->SetFocus();
        e->SetText(c.Typed);
        EXPECT_EQ(e->Value(), c.WhileTyping);
        EXPECT_EQ(e->Text(), c.Typed);   // the typed text is left alone
        other->SetFocus();
        PumpFor(10);
        EXPECT_EQ(e->Value(), c.Left);
        EXPECT_EQ(e->Text(), c.Shown);
    }
    // An empty text is the value 0.
    e->SetMinValue(0);
    e->SetMaxValue(0);
    e->SetValue(12);
    e->SetText(L"");
    EXPECT_EQ(e->Value(), 0);

    struct TFormat {
        const char* Name;
        int Places;
        bool HideZeros, Thousands;
        double Value;
        const wchar_t* Shown;
    };
    const TFormat formats[] = {
        {"two places", 2, false, false, 1.5, L"1.50"},
        {"excess zeros hidden", 2, true, false, 1.5, L"1.5"},
        {"no fraction left: no separator", 2, true, false, 2, L"2"},
        {"no places: 100 stays 100", 0, true, false, 100, L"100"},
        {"0 with places written anew", 3, false, false, 0, L"0.000"},
        {"thousands separated", 0, false, true, 1234567, L"1,234,567"},
    };
    for (const TFormat& f : formats) {
        SCOPED_TRACE(f.Name);
        e->SetValue(f.Value);
        // Each property writes the text anew when it changes.
        e->SetHideExcessZeros(f.HideZeros);
        e->SetShowThousandSeparator(f.Thousands);
        e->SetDecimalPlaces(f.Places);
        if (GetUserDefaultLCID() == MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT))
            EXPECT_EQ(e->Text(), f.Shown);
        EXPECT_EQ(e->Value(), f.Value);
        EXPECT_EQ(e->Text(), e->FormatText());
    }
}

// Enter goes to the named neighbours (Shift: the previous one), Tab through the form's tab
// order; Ctrl+A selects everything. The edit is a multi-line one whose text fills
// its client area, and it does not ask for Tab and Enter itself.
TEST(SpinEditWindow, TabEnterAndCtrlAGoWhereTheyAreSent)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    testing_support::BringToFront(s.Form.get());
    TsDecimalSpinEdit* e = s.Spin;
    auto* before = new TsEdit(s.Form.get());
    before->SetParent(s.Panel);
    before->SetBounds(150, 20, 60, 22);
    auto* after = new TsEdit(s.Form.get());
    after->SetParent(s.Panel);
    after->SetBounds(150, 60, 60, 22);
    PumpFor(20);

    EXPECT_NE(GetWindowLongPtrW(s.H(), GWL_STYLE) & ES_MULTILINE, 0);
    EXPECT_EQ(SendMessageW(s.H(), WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, 0);
    // The formatting rectangle asked for follows the client area when the edit is resized.
    static TRect asked;
    asked = TRect();
    auto spy = [](HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (msg == EM_SETRECTNP && l) asked = TRect(*reinterpret_cast<const RECT*>(l));
        return DefSubclassProc(h, msg, w, l);
    };
    SetWindowSubclass(s.H(), spy, 1, 0);
    e->SetBounds(20, 20, 140, 26);
    RemoveWindowSubclass(s.H(), spy, 1);
    EXPECT_EQ(asked, TRect(0, 0, e->ClientWidth() + 1, e->ClientHeight() + 1));

    e->SetPrevTabControl(before);
    e->SetNextTabControl(after);
    struct TCase {
        const char* Name;
        BYTE Key;
        bool Shift;
        TWinControl* Focused;
    };
    const TCase cases[] = {
        {"Enter: the next control", VK_RETURN, false, after},
        {"Shift+Enter: the previous control", VK_RETURN, true, before},
        // Tab stays with the form's tab order (the form takes it before the edit sees it).
        {"Tab: the form's tab order", VK_TAB, false, before},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        e->SetFocus();
        PumpFor(5);
        testing_support::PressChord(c.Shift ? VK_SHIFT : 0, c.Key);
        EXPECT_EQ(GetFocus(), c.Focused->Handle());
    }
    // A neighbour that goes away is forgotten.
    delete after;
    EXPECT_EQ(e->NextTabControl(), nullptr);

    // Ctrl+A selects the whole text.
    e->SetValue(1234);
    e->SetFocus();
    PumpFor(5);
    e->SetSelStart(1);
    e->SetSelLength(0);
    testing_support::PressChord(VK_CONTROL, 'A');
    EXPECT_EQ(e->SelStart(), 0);
    EXPECT_EQ(e->SelLength(), int(e->Text().size()));
    EXPECT_EQ(e->Text(), L"1234");
}

// A paste that is no number gives the value back; a number is taken.
TEST(SpinEditWindow, APasteThatIsNoNumberKeepsTheValue)
{
    TManagerPtr m = ManagerWithSkin(L"Fixture");
    TSpinScene s;
    auto paste = [&](const wchar_t* text) {
        ASSERT_TRUE(OpenClipboard(s.H()));
        EmptyClipboard();
        const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(g), text, bytes);
        GlobalUnlock(g);
        SetClipboardData(CF_UNICODETEXT, g);
        CloseClipboard();
        s.Spin->SelectAll();
        SendMessageW(s.H(), WM_PASTE, 0, 0);
    };
    s.Spin->SetValue(42);
    paste(L"abc");
    EXPECT_EQ(s.Spin->Text(), L"42");
    paste(L"17");
    EXPECT_EQ(s.Spin->Text(), L"17");
    EXPECT_EQ(s.Spin->Value(), 17);
    // Not editable: nothing is pasted.
    s.Spin->SetEditorEnabled(false);
    paste(L"5");
    EXPECT_EQ(s.Spin->Text(), L"17");
}

TEST(SpinEditWindow, WithoutASkinTheButtonsArePlainAndStillStep)
{
    for (bool withManager : {false, true}) {
        SCOPED_TRACE(withManager ? "inactive manager" : "no manager");
        TManagerPtr m = UnskinnedManager(withManager);
        TSpinScene s;
        TsDecimalSpinEdit* e = s.Spin;
        EXPECT_FALSE(e->SkinData()->Skinned(true));
        EXPECT_EQ(e->ButtonSection(), -1);
        EXPECT_EQ(GetWindow(s.H(), GW_CHILD), nullptr);
        const TacSpinButtonRects b = e->ButtonRects();
        EXPECT_EQ(b.Up.Width(), 16);
        EXPECT_EQ(ClientAreaInWindow(s.H()).right, b.Up.left);
        // Flat: the edit's colour with a black arrow.
        const uint32_t window = uint32_t(ColorToRGB(e->Color()));
        EXPECT_EQ(ScreenPixel(s.H(), b.Up.left + 1, b.Up.top + 1), SwapRedBlue(window));
        int dark = 0;
        for (int y = b.Up.top; y < b.Down.bottom; ++y)
            for (int x = b.Up.left; x < b.Up.right; ++x) dark += ScreenPixel(s.H(), x, y) == 0;
        EXPECT_GE(dark, 2 * (1 + 3 + 5 + 7));   // two solid arrows of four rows
        s.Press(true);
        s.Release(true);
        EXPECT_EQ(e->Value(), 1);
    }
}

TEST(SpinEditWindow, DarkLightAndPlainScreenshots)
{
    for (const wchar_t* skin : {L"Dark", L"Light", L"Plain"}) {
        TManagerPtr m = String(skin) == L"Plain" ? UnskinnedManager(false) : ManagerWithSkin(skin);
        FormPtr form(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 300, 130);
        auto* panel = new TTestSkinPanel(form.get());
        panel->SetBounds(0, 0, 300, 130);
        panel->SetParent(form.get());
        panel->SetAnimatEvents(0);
        TsDecimalSpinEdit* spins[4] = {};
        for (int i = 0; i < 4; ++i) {
            spins[i] = new TsDecimalSpinEdit(form.get());
            spins[i]->SetParent(panel);
            spins[i]->SetBounds(12 + (i % 2) * 140, 12 + (i / 2) * 40, 120, 22);
            spins[i]->SetDecimalPlaces(i == 1 ? 4 : 0);
            spins[i]->SetValue(i == 1 ? 0.7071 : 100 * i);
        }
        spins[2]->SetAlignment(taRightJustify);
        spins[3]->SetEnabled(false);
        auto* edit = new TsEdit(form.get());
        edit->SetParent(panel);
        edit->SetBounds(12, 92, 120, 24);
        edit->SetTextHint(L"Text hint");
        auto* padded = new TsEdit(form.get());
        padded->SetParent(panel);
        padded->SetBounds(152, 92, 120, 26);
        padded->Padding()->SetLeft(4);
        padded->Padding()->SetRight(4);
        padded->SetVerticalAlignment(taVerticalCenter);
        padded->SetText(L"Centred");
        form->Show();
        PumpFor(60);
        spins[1]->SetFocus();
        const TacSpinButtonRects b = spins[0]->ButtonRects();
        RECT wr{};
        GetWindowRect(spins[0]->Handle(), &wr);
        SendMessageW(spins[0]->Handle(), WM_NCMOUSEMOVE, HTMINBUTTON,
                     MAKELPARAM(wr.left + b.Up.left + 2, wr.top + b.Up.top + 2));
        PumpFor(120);
        EXPECT_FALSE(testing_support::SaveScreenshot(form->Handle(), String(L"spin_edit_") + skin, true).empty());
    }
}

}  // namespace
