// The default manager's hook of the application window under Wine: skin editor records by
// WM_COPYDATA, the window commands that minimise and restore the program with and without
// desktop composition, activation, taskbar images and menu borders; the hot control; and the
// toolkit's message boxes, one of them a real box closed by the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "skin/engine/command_delivery.h"
#include "skin/engine/form_services.h"
#include "skin/engine/message_box.h"
#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_manager.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "vcl/application.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/streams.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

const char* const EditorText = "[GLOBALINFO]\r\nVERSION=9\r\n[X]\r\nCOLOR=5\r\n";

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

// The skin provider of a form as the hook sees it: an object the form names, acted on
// through the form services below.
class TFakeProvider : public TObject {};

// Form services with a provider that draws the frame, recording what the hook asks of it.
class TFakeAppServices : public TacFormServices {
public:
    TFakeAppServices() { SetFormServices(this); }
    ~TFakeAppServices() override { SetFormServices(nullptr); }
    TFakeAppServices(const TFakeAppServices&) = delete;
    TFakeAppServices& operator=(const TFakeAppServices&) = delete;

    bool Composition = false, Thumbnails = false, ThumbnailMade = true;
    std::vector<std::string> Calls;
    int Width = 0, Height = 0;

    bool IsDesktopCompositionOn() override { return Composition; }
    bool ProviderAnimatesFrame(TObject*) override { return true; }
    void ProviderSkipAnimations(TObject*) override { Calls.push_back("skip"); }
    bool StartMinimizeAnimation(TObject*) override
    {
        Calls.push_back("minimize");
        return true;
    }
    bool StartRestoreAnimation(TObject*) override
    {
        Calls.push_back("restore");
        return false;
    }
    void FreeExtendedBorder(TObject*) override { Calls.push_back("free border"); }
    void DropSysMenu(TObject*, const TPoint&) override { Calls.push_back("sysmenu"); }
    bool CustomThumbnails() override { return Thumbnails; }
    bool SetIconicThumbnail(TacWnd, TObject*, int w, int h) override
    {
        Calls.push_back("thumbnail");
        Width = w, Height = h;
        return ThumbnailMade;
    }
    bool SetIconicLivePreview(TacWnd, TObject*) override
    {
        Calls.push_back("preview");
        return ThumbnailMade;
    }
};

// A form that names its provider and records the skin commands it receives.
class TRecordingForm : public TForm {
public:
    explicit TRecordingForm(TObject* provider) : TForm(nullptr), Provider(provider) {}
    TObject* Provider;
    std::vector<unsigned> Commands;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) {
            const unsigned code = SkinCommandOf(m.WParam);
            Commands.push_back(code);
            if (code == scmGetProvider) {
                m.Result = reinterpret_cast<LRESULT>(Provider);
                return;
            }
        }
        TForm::WndProc(m);
    }
};

// A panel that records the hot-control commands it receives.
class TRecordingPanel : public TPanel {
public:
    explicit TRecordingPanel(TComponent* owner) : TPanel(owner) {}
    std::vector<unsigned> Commands;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND &&
            (SkinCommandOf(m.WParam) == scmMouseEnter || SkinCommandOf(m.WParam) == scmMouseLeave))
            Commands.push_back(SkinCommandOf(m.WParam));
        TPanel::WndProc(m);
    }
};

// What the hook passed on to the application window's own procedure (seen through its hook
// list, which runs there). Window commands, data copies and system-menu requests stop there:
// the hidden application window must neither minimise itself nor open a menu.
struct TPassedOn {
    std::vector<UINT> Messages;
    TPassedOn() { Application->HookMainWindow(Bind<&TPassedOn::Hook>(this)); }
    ~TPassedOn() { Application->UnhookMainWindow(Bind<&TPassedOn::Hook>(this)); }
    bool Hook(TMessage& m)
    {
        Messages.push_back(m.Msg);
        return m.Msg == WM_SYSCOMMAND || m.Msg == WM_COPYDATA || m.Msg == 0x313;
    }
    bool Saw(UINT msg) const { return std::find(Messages.begin(), Messages.end(), msg) != Messages.end(); }
};

// The default manager with a skin, the main form with its provider.
struct THookFixture {
    TFakeAppServices Services;
    TFakeProvider Provider;
    ManagerPtr Manager;
    std::unique_ptr<TRecordingForm, void (*)(TRecordingForm*)> Main{nullptr, [](TRecordingForm* f) { TObject::Free(f); }};
    TCustomForm* OldMain = Application->MainForm();
    HWND App = Application->Handle();

    THookFixture()
    {
        EXPECT_EQ(DefaultManager, nullptr);
        Manager.reset(new TsSkinManager(nullptr));
        Manager->ApplySkinEditorText(L"Test", String(), L"[GLOBALINFO]\nVERSION=8\n[FORM]\nCOLOR=1\n");
        EXPECT_TRUE(Manager->IsActive());
        Main.reset(new TRecordingForm(&Provider));
        Main->SetBounds(40, 40, 240, 160);
        Main->Show();
        Application->SetMainForm(Main.get());
    }
    ~THookFixture()
    {
        Application->SetMainForm(OldMain);
        Main.reset();
        Manager.reset();
    }
    LRESULT SysCommand(WPARAM command) { return SendMessageW(App, WM_SYSCOMMAND, command, 0); }
};

// Sends a WM_COPYDATA of these bytes to the application window.
LRESULT CopyData(HWND app, WPARAM id, const std::vector<char>& bytes)
{
    COPYDATASTRUCT c{};
    c.cbData = DWORD(bytes.size());
    c.lpData = bytes.empty() ? nullptr : const_cast<char*>(bytes.data());
    return SendMessageW(app, WM_COPYDATA, id, reinterpret_cast<LPARAM>(&c));
}

// An editor's record: magic, name and text; a long one has its text fill the field with no
// zero byte and more bytes after the record.
std::vector<char> EditorPayload(uint32_t magic, const std::string& name, bool longer)
{
    std::string p(reinterpret_cast<const char*>(&magic), 4);
    p += name + std::string(128 - name.size(), '\0') + std::string(512, '\0') + EditorText;
    if (longer) {
        p.resize(sizeof(TacSkinEditorData), '\n');
        p += std::string(5000, 'J');   // past the record: never part of the text
    }
    return std::vector<char>(p.begin(), p.end());
}

TEST(AppWindowHook, SkinEditorRecordsByCopyData)
{
    THookFixture f;
    TPassedOn passed;
    struct Case {
        const char* what;
        WPARAM id;
        std::vector<char> payload;
        const wchar_t* skinAfter;   // the skin in use once the posted preview ran
    } cases[] = {
        {"shorter than the magic", 7, {'\0', '\xA4'}, L"Test"},
        {"bad magic", 7, EditorPayload(0xA401, "Bad", true), L"Test"},
        {"another identifier", 6, EditorPayload(acSkinEditorMagic, "Other", false), L"Test"},
        {"short record", 7, EditorPayload(acSkinEditorMagic, "Short", false), L"Short"},
        {"longer than the record", 7, EditorPayload(acSkinEditorMagic, "Long", true), L"Long"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        passed.Messages.clear();
        EXPECT_EQ(CopyData(f.App, c.id, c.payload), 0);
        EXPECT_FALSE(passed.Saw(WM_COPYDATA));   // handled in every case
        PumpFor(30);
        EXPECT_EQ(f.Manager->SkinName(), c.skinAfter);
        EXPECT_EQ(f.Manager->SkinInfo(), String(c.skinAfter) == L"Test" ? L"8" : L"9");
    }
    // The text of the long record ended at its field: nothing of what followed it was read.
    EXPECT_GE(f.Manager->GetSkinIndex(L"X"), 0);
    EXPECT_EQ(f.Manager->PreviewBuffer.Data[sizeof f.Manager->PreviewBuffer.Data - 1], '\n');
}

TEST(AppWindowHook, WindowCommandsWithAndWithoutComposition)
{
    THookFixture f;
    TPassedOn passed;
    TacMinimizing& minimizing = f.Manager->AnimEffects()->Minimizing;
    struct Case {
        const char* what;
        bool active, composition, animate;
        WPARAM command;
        TacShowAction state;
        bool handled;
        const char* calls;
    } cases[] = {
        {"minimise, animated, no composition", true, false, true, SC_MINIMIZE, saMinimize, true, "skip minimize"},
        {"restore, animation not starting", true, false, true, SC_RESTORE, saRestore, true, "restore"},
        {"minimise, composition", true, true, true, SC_MINIMIZE, saMinimize, false, "skip minimize"},
        {"restore, composition", true, true, true, SC_RESTORE, saRestore, false, "restore"},
        {"another command", true, false, true, SC_HOTKEY, saIgnore, false, ""},
        {"minimise, no animation", true, false, false, SC_MINIMIZE, saMinimize, false, "free border"},
        {"restore, no animation, composition", true, true, false, SC_RESTORE, saRestore, true, ""},
        {"restore, no animation, no composition", true, false, false, SC_RESTORE, saRestore, false, ""},
        {"no skin: the state stays", false, false, true, SC_MINIMIZE, saRestore, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Manager->SetActive(c.active);
        f.Services.Composition = c.composition;
        minimizing.Active = c.animate;
        f.Services.Calls.clear();
        passed.Messages.clear();
        f.SysCommand(c.command);
        EXPECT_EQ(f.Manager->ShowState, c.state);
        EXPECT_EQ(!passed.Saw(WM_SYSCOMMAND), c.handled);
        std::string calls;
        for (const std::string& s : f.Services.Calls) calls += (calls.empty() ? "" : " ") + s;
        EXPECT_EQ(calls, c.calls);
        // The program minimised by the hook comes back by the next restore.
        if (c.command == SC_RESTORE && c.handled) {
            EXPECT_FALSE(IsIconic(f.Main->Handle()));
        }
    }
    EXPECT_FALSE(IsIconic(f.App));
    f.Manager->SetActive(true);
    f.Manager->ShowState = saIgnore;
    f.Main->Hide();
    f.Services.Calls.clear();
    minimizing.Active = true;
    f.SysCommand(SC_MINIMIZE);   // no visible main form: only the state
    EXPECT_EQ(f.Manager->ShowState, saMinimize);
    EXPECT_TRUE(f.Services.Calls.empty());
}

TEST(AppWindowHook, ActivationThumbnailsThemesAndMenus)
{
    THookFixture f;
    TPassedOn passed;
    std::unique_ptr<TRecordingForm, void (*)(TRecordingForm*)> second(new TRecordingForm(nullptr),
                                                                     [](TRecordingForm* x) { TObject::Free(x); });
    second->Show();

    // Activation: every form with a window repaints its controls, and the application goes on.
    f.Main->Commands.clear();
    SendMessageW(f.App, CM_ACTIVATE, 0, 0);
    EXPECT_NE(std::count(f.Main->Commands.begin(), f.Main->Commands.end(), scmInvalidate), 0);
    EXPECT_NE(std::count(second->Commands.begin(), second->Commands.end(), scmInvalidate), 0);
    EXPECT_TRUE(passed.Saw(CM_ACTIVATE));

    struct Case {
        const char* what;
        bool thumbnails, made;
        UINT msg;
        LPARAM lParam;
        const char* call;
        bool handled;
    } cases[] = {
        {"thumbnail 200 x 120", true, true, 0x323, MAKELPARAM(120, 200), "thumbnail", true},
        {"thumbnail not made", true, false, 0x323, MAKELPARAM(120, 200), "thumbnail", false},
        {"thumbnail without a width", true, true, 0x323, MAKELPARAM(120, 0), "", false},
        {"live preview", true, true, 0x326, 0, "preview", true},
        {"thumbnails off", false, true, 0x323, MAKELPARAM(120, 200), "", false},
        {"live preview, thumbnails off", false, true, 0x326, 0, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Services.Thumbnails = c.thumbnails;
        f.Services.ThumbnailMade = c.made;
        f.Services.Calls.clear();
        passed.Messages.clear();
        EXPECT_EQ(SendMessageW(f.App, c.msg, 0, c.lParam), 0);
        EXPECT_EQ(f.Services.Calls.empty() ? std::string() : f.Services.Calls[0], c.call);
        EXPECT_EQ(!passed.Saw(c.msg), c.handled);
    }
    EXPECT_EQ(f.Services.Width, 200);
    EXPECT_EQ(f.Services.Height, 120);

    // Theme changes stay with the application window.
    passed.Messages.clear();
    SendMessageW(f.App, WM_THEMECHANGED, 0, 0);
    EXPECT_FALSE(passed.Saw(WM_THEMECHANGED));

    // Menu borders only with skinned popups.
    for (bool popups : {false, true}) {
        SCOPED_TRACE(popups);
        f.Manager->SetSkinnedPopups(popups);
        passed.Messages.clear();
        SendMessageW(f.App, 0xBCB3, 0, 0);
        SendMessageW(f.App, 0xBCB4, 0, reinterpret_cast<LPARAM>(f.Main->Handle()));
        EXPECT_EQ(passed.Saw(0xBCB3), !popups);
        EXPECT_EQ(passed.Saw(0xBCB4), !popups);
    }

    // The system menu of a program whose main form is on the taskbar is the provider's.
    for (bool onTaskBar : {false, true}) {
        Application->SetMainFormOnTaskBar(onTaskBar);
        f.Services.Calls.clear();
        passed.Messages.clear();
        SendMessageW(f.App, 0x313, 0, 0);
        EXPECT_EQ(f.Services.Calls.size(), onTaskBar ? 1u : 0u);
        EXPECT_EQ(passed.Saw(0x313), !onTaskBar);
    }
    Application->SetMainFormOnTaskBar(false);
}

TEST(AppWindowHook, OnlyTheDefaultManagerHooksAndTheHookGoesWithIt)
{
    THookFixture f;
    ManagerPtr second(new TsSkinManager(nullptr));
    second->ApplySkinEditorText(L"Second", String(), L"[GLOBALINFO]\nVERSION=8\n");
    TPassedOn passed;
    f.Manager->AnimEffects()->Minimizing.Active = false;
    f.SysCommand(SC_MINIMIZE);
    EXPECT_EQ(f.Manager->ShowState, saMinimize);
    EXPECT_EQ(second->ShowState, saIgnore);
    f.Manager.reset();
    passed.Messages.clear();
    EXPECT_EQ(CopyData(f.App, 7, EditorPayload(acSkinEditorMagic, "Gone", false)), 0);
    EXPECT_TRUE(passed.Saw(WM_COPYDATA));   // nobody took it
    PumpFor(20);
    EXPECT_EQ(second->SkinName(), L"Second");
}

// The application window is hooked only on a system of the NT family (as every system the
// program runs on is).
TEST(AppWindowHook, OnlyOnTheNtFamily)
{
    EXPECT_TRUE(IsWinNT);
    IsWinNT = false;
    {
        THookFixture f;
        TPassedOn passed;
        EXPECT_EQ(CopyData(f.App, 7, EditorPayload(acSkinEditorMagic, "Never", false)), 0);
        EXPECT_TRUE(passed.Saw(WM_COPYDATA));   // nobody took it
        PumpFor(20);
        EXPECT_EQ(f.Manager->SkinName(), L"Test");
    }
    IsWinNT = true;
}

TEST(HotControl, ChildStaysHotOverItsParentUntilTheMouseLeaves)
{
    ManagerPtr m(new TsSkinManager(nullptr));
    std::unique_ptr<TForm, void (*)(TForm*)> form(new TForm(nullptr), [](TForm* f) { TObject::Free(f); });
    form->SetBounds(100, 100, 300, 200);
    auto* parent = new TRecordingPanel(form.get());
    parent->SetParent(form.get());
    parent->SetBounds(0, 0, 280, 160);
    auto* child = new TRecordingPanel(form.get());
    child->SetParent(parent);
    child->SetBounds(20, 20, 80, 60);
    form->Show();
    PumpFor(30);
    auto screenOf = [](TWinControl* c, int x, int y) {
        POINT p{x, y};
        ClientToScreen(c->Handle(), &p);
        return p;
    };
    auto moveTo = [](POINT p) {
        SetCursorPos(p.x, p.y);
        PumpFor(10);
    };

    moveTo(screenOf(child, 10, 10));
    m->ChangeActiveControl(child->Handle());
    EXPECT_EQ(m->FActiveControl, child->Handle());
    EXPECT_EQ(child->Commands, (std::vector<unsigned>{scmMouseEnter}));

    // The parent's move message while the mouse is still over the child: the child stays hot.
    m->ChangeActiveControl(parent->Handle());
    EXPECT_EQ(m->FActiveControl, child->Handle());
    EXPECT_TRUE(parent->Commands.empty());

    moveTo(screenOf(parent, 200, 120));
    m->ChangeActiveControl(parent->Handle());
    EXPECT_EQ(m->FActiveControl, parent->Handle());
    EXPECT_EQ(child->Commands, (std::vector<unsigned>{scmMouseEnter, scmMouseLeave}));
    EXPECT_EQ(parent->Commands, (std::vector<unsigned>{scmMouseEnter}));

    // The timer's check: still inside, nothing; outside, the hot control is let go.
    m->CheckHotControl(nullptr);
    EXPECT_EQ(m->FActiveControl, parent->Handle());
    moveTo(POINT{20, 20});
    m->CheckHotControl(nullptr);
    EXPECT_EQ(m->FActiveControl, nullptr);
    EXPECT_EQ(parent->Commands, (std::vector<unsigned>{scmMouseEnter, scmMouseLeave}));
}

// The box shown by the system, found from a timer and closed with the No button.
struct TBoxCloser {
    static inline String Caption, Seen;
    static inline bool OwnerDisabled = false;
    static inline HWND Owner = nullptr;
    static BOOL CALLBACK Find(HWND wnd, LPARAM) noexcept
    {
        wchar_t cls[32] = {}, text[128] = {};
        GetClassNameW(wnd, cls, 32);
        GetWindowTextW(wnd, text, 128);
        if (lstrcmpW(cls, L"#32770") != 0 || Caption != text) return TRUE;
        Seen = text;
        OwnerDisabled = Owner && !IsWindowEnabled(Owner);
        PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) noexcept
    {
        if (!EnumThreadWindows(GetCurrentThreadId(), Find, 0)) KillTimer(nullptr, id);
    }
};

TEST(MessageBoxes, ARealBoxAnswersTheButtonTheTestGives)
{
    std::unique_ptr<TForm, void (*)(TForm*)> form(new TForm(nullptr), [](TForm* f) { TObject::Free(f); });
    form->SetBounds(60, 60, 200, 120);
    form->Show();
    SetActiveWindow(form->Handle());
    TBoxCloser::Caption = L"Box under test";
    TBoxCloser::Seen.clear();
    TBoxCloser::Owner = form->Handle();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, TBoxCloser::Tick);
    const int answer = ShowMessageBoxEx(L"Box under test", L"Keep the changes?", mtConfirmation,
                                        mbYes | mbNo | mbCancel, 0, -1, -1);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(TBoxCloser::Seen, L"Box under test");
    EXPECT_TRUE(TBoxCloser::OwnerDisabled);
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(Application->ModalLevel(), 0);
    EXPECT_EQ(MessageBoxPosX, -1);
}

// Asks a box for help, then presses its OK button.
struct TPresser {
    static inline int Step = 0;
    static BOOL CALLBACK Find(HWND wnd, LPARAM) noexcept
    {
        wchar_t cls[32] = {}, text[64] = {};
        GetClassNameW(wnd, cls, 32);
        GetWindowTextW(wnd, text, 64);
        if (lstrcmpW(cls, L"#32770") != 0 || lstrcmpW(text, L"Box with help") != 0) return TRUE;
        // First a help request (what F1 and the Help button send the box), then OK.
        if (Step++ == 0) {
            HELPINFO hi{};
            hi.cbSize = sizeof(hi);
            hi.iContextType = HELPINFO_WINDOW;
            hi.hItemHandle = wnd;
            SendMessageW(wnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
        } else {
            PostMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept { EnumThreadWindows(GetCurrentThreadId(), Find, 0); }
};

// A help request in a box asks the application for help with the box's context id; the box
// stays up.
TEST(MessageBoxes, HelpInABoxAsksTheApplicationForTheBoxsContext)
{
    struct THelpRecorder {
        std::vector<std::pair<WORD, intptr_t>> Asked;
        bool Help(WORD command, intptr_t data, bool&)
        {
            Asked.push_back({command, data});
            return true;
        }
    } recorder;
    Application->OnHelp = Bind<&THelpRecorder::Help>(&recorder);
    TPresser::Step = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 60, TPresser::Tick);
    const int answer = ShowMessageBoxEx(L"Box with help", L"Read the help?", mtInformation, mbOK | mbHelp, 42, -1, -1);
    KillTimer(nullptr, timer);
    Application->OnHelp = nullptr;
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(recorder.Asked, (std::vector<std::pair<WORD, intptr_t>>{{WORD(HELP_CONTEXT), 42}}));
}

TEST(MessageBoxes, AFailingSkinLoadShowsAnErrorBox)
{
    TBoxRecorder boxes;
    const String dir = testing_support::MakeTempDir(L"qw_broken_skin");
    WriteFileBytes(dir + L"Broken.asz", std::vector<uint8_t>(400, 0x5A));
    ManagerPtr m(new TsSkinManager(nullptr));
    m->SetSkinDirectory(dir);
    m->SetSkinName(L"Broken");
    EXPECT_FALSE(m->IsActive());
    ASSERT_FALSE(boxes.Boxes.empty());
    for (const TacMessageBoxRequest& b : boxes.Boxes) {
        EXPECT_EQ(b.Caption, L"Error");
        EXPECT_EQ(b.Style, UINT(MB_ICONERROR | MB_OK));
        EXPECT_FALSE(b.Text.empty());
    }
    DeleteFileW((dir + L"Broken.asz").c_str());
    RemoveDirectoryW(dir.c_str());
}

}  // namespace
