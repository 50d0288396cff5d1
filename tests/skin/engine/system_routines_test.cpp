// The engine's system routines: paced waits on a fake tick count across the 32-bit wrap, the
// toolkit's message boxes through the recording seam, caption fonts, folders, file searches and
// the small builders.
#include <gtest/gtest.h>

#include <fstream>

#include "vcl/win.h"

#include <shellapi.h>

#include "skin/engine/core/general.h"
#include "skin/engine/core/skin_data.h"
#include "skin/engine/system_routines.h"
#include "tests/common/test_support.h"
#include "tests/skin/engine/engine_recorders.h"
#include "tests/vcl/form_ptr.h"
#include "vcl/application.h"
#include "vcl/typinfo.h"

namespace {

// A tick count that advances by one on every reading, starting just below the wrap.
class TFakeTicks {
public:
    explicit TFakeTicks(uint32_t start) : Next(start) { SetTickSource([this] { return Last = Next++; }); }
    ~TFakeTicks() { SetTickSource(nullptr); }
    uint32_t Next;
    uint32_t Last = 0;
};

}  // namespace

TEST(SkinSystem, WaitUntilTickEndsAfterExactlyTheIntervalAcrossTheWrap)
{
    struct Case { uint32_t start; int interval; } cases[] = {
        {0xFFFFFFF0u, 40}, {0xFFFFFFFFu, 1}, {0x7FFFFFF0u, 40}, {100, 0}, {100, -5},
    };
    for (auto c : cases) {
        TFakeTicks ticks(c.start);
        WaitUntilTick(c.start, c.interval);
        const uint32_t end = c.start + static_cast<uint32_t>(c.interval > 0 ? c.interval : 0);
        EXPECT_EQ(ticks.Last, end) << c.start << "+" << c.interval;
    }
}

TEST(SkinSystem, DelayWithMessagesEndsAfterExactlyTheIntervalAndHandlesMessages)
{
    for (uint32_t start : {0xFFFFFFE0u, 1000u}) {
        TFakeTicks ticks(start);
        DelayWithMessages(40);
        EXPECT_EQ(ticks.Last, start + 40u) << start;
    }
    // At least one round runs, even for no time at all: a waiting message is handled.
    struct TTarget {
        bool got = false;
        void Handle(TMessage& m)
        {
            if (m.Msg == WM_USER + 9) got = true;
        }
    } target;
    HWND wnd = AllocateHWnd(Bind<&TTarget::Handle>(&target));
    PostMessageW(wnd, WM_USER + 9, 0, 0);
    {
        TFakeTicks ticks(5);
        DelayWithMessages(0);
    }
    EXPECT_TRUE(target.got);
    DeallocateHWnd(wnd);
}

TEST(SkinSystem, MessageBoxStyles)
{
    struct Case { TMsgDlgType type; TMsgDlgButtons buttons; UINT style; const wchar_t* caption; } cases[] = {
        {mtConfirmation, mbYes | mbNo | mbCancel, MB_ICONQUESTION | MB_YESNOCANCEL, L"Confirm"},
        {mtConfirmation, mbYes | mbNo, MB_ICONQUESTION | MB_YESNO, L"Confirm"},
        {mtWarning, mbOK, MB_ICONWARNING | MB_OK, L"Warning"},
        {mtError, mbOK | mbCancel, MB_ICONERROR | MB_OKCANCEL, L"Error"},
        {mtInformation, mbAbort | mbRetry, MB_ICONINFORMATION | MB_ABORTRETRYIGNORE, L"Information"},
        {mtCustom, mbIgnore, MB_ABORTRETRYIGNORE, L""},
        {mtCustom, mbRetry | mbCancel, MB_RETRYCANCEL, L""},
        {mtCustom, mbOK | mbYes, MB_OK, L""},   // OK wins over the others
        {mtCustom, 0, MB_OK, L""},
        {mtWarning, mbOK | mbHelp, MB_ICONWARNING | MB_OK | MB_HELP, L"Warning"},
    };
    for (auto c : cases) {
        EXPECT_EQ(MessageBoxStyle(c.type, c.buttons), c.style) << c.type << "/" << c.buttons;
        EXPECT_EQ(MessageBoxCaption(c.type), c.caption);
    }
}

TEST(SkinSystem, MessageBoxesGoThroughTheSeam)
{
    TBoxRecorder boxes;
    boxes.Answer = IDNO;
    FormPtr form(new TForm(nullptr));
    form->SetBounds(10, 10, 100, 80);
    form->Show();
    bool disabledMeanwhile = false;
    int xMeanwhile = 0;
    SetMessageBoxHandler([&](const TacMessageBoxRequest& r) {
        boxes.Boxes.push_back(r);
        disabledMeanwhile = !IsWindowEnabled(form->Handle());
        xMeanwhile = MessageBoxPosX;
        return IDNO;
    });
    EXPECT_EQ(ShowMessageBoxEx(String(), L"Save?", mtConfirmation, mbYes | mbNo | mbCancel, 7, 300, 200), IDNO);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, L"Confirm");
    EXPECT_EQ(boxes.Boxes[0].Text, L"Save?");
    EXPECT_EQ(boxes.Boxes[0].Style, UINT(MB_ICONQUESTION | MB_YESNOCANCEL));
    EXPECT_EQ(boxes.Boxes[0].HelpContext, 7u);
    EXPECT_EQ(boxes.Boxes[0].X, 300);
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_EQ(xMeanwhile, 300);
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(MessageBoxPosX, -1);
    EXPECT_EQ(Application->ModalLevel(), 0);

    ShowMessageBoxEx(L"Own caption", L"x", mtError, mbOK, 0, -1, -1);
    EXPECT_EQ(boxes.Boxes.back().Caption, L"Own caption");
    ShowErrorBox(L"broken");
    EXPECT_EQ(boxes.Boxes.back().Caption, L"Error");
    EXPECT_EQ(boxes.Boxes.back().Style, UINT(MB_ICONERROR | MB_OK));
    ShowWarningBox(L"careful");
    ShowUsageWarning(L"misuse");
    EXPECT_EQ(boxes.Boxes.back().Caption, L"Warning");
    EXPECT_EQ(boxes.Boxes.back().Text, L"misuse");
}

TEST(SkinSystem, CaptionFonts)
{
    struct Case { int height, limited; } cases[] = {{-9, -11}, {0, -11}, {5, -11}, {-11, -11}, {-15, -15}};
    for (auto c : cases) EXPECT_EQ(LimitCaptionFontHeight(c.height), c.limited) << c.height;
    const int h = CaptionFontHeightForDpi(96);
    EXPECT_LE(h, -11);
    HFONT f = CreateCaptionFontForDpi(144);
    ASSERT_NE(f, nullptr);
    DeleteObject(f);
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof m;
    EXPECT_TRUE(QuerySystemParamsForDpi(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 96));
}

// Windows 8 and everything after it draw alike; before it, the major version tells.
TEST(SkinSystem, VersionClassesAndTheScrollButtonLength)
{
    struct Case {
        int major, minor, level;
    } cases[] = {{5, 1, 5}, {6, 0, 6}, {6, 1, 6}, {6, 2, 8}, {6, 3, 8}, {10, 0, 8}, {11, 0, 8}, {0, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(OsVersionClass(c.major, c.minor), c.level) << c.major << "." << c.minor;

    // A negative length is the system's arrow width; a set one stays.
    const int saved = DefaultScrollBtnLength;
    for (int set : {-1, 0, 16, 24}) {
        DefaultScrollBtnLength = set;
        CheckSysScrollWidth();
        EXPECT_EQ(DefaultScrollBtnLength, set < 0 ? GetSystemMetrics(SM_CXHSCROLL) : set) << set;
    }
    DefaultScrollBtnLength = saved;
}

TEST(SkinSystem, SystemQueries)
{
    EXPECT_TRUE(IsWin81OrLater());
    EXPECT_TRUE(IsWinXPOrLater());
    EXPECT_FALSE(RunsUnderWow64());
    EXPECT_TRUE(WindowsVersionIsAtLeast(10, 0));   // the prefix says Windows 10
    EXPECT_FALSE(WindowsVersionIsAtLeast(99, 0));
    EXPECT_EQ(WindowsVersionLevel(), 8);
    // The animation setting is put back as it was (not persisted either way).
    const bool before = MinAnimationEnabled();
    SetMinAnimation(before);
    EXPECT_EQ(MinAnimationEnabled(), before);
    String folder = ApplicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');

    BLENDFUNCTION b{};
    BuildBlendFunction(b, 77);
    EXPECT_EQ(b.BlendOp, AC_SRC_OVER);
    EXPECT_EQ(b.SourceConstantAlpha, 77);
    EXPECT_EQ(b.AlphaFormat, AC_SRC_ALPHA);
    const LPARAM big = static_cast<LPARAM>(0x1122334455ll);
    TMessage m = BuildMessage(WM_USER, 3, big, -9);
    EXPECT_EQ(m.LParam, big);
    EXPECT_EQ(m.Result, -9);
    TBitmap bmp(7, 5);
    EXPECT_EQ(RectOfBitmap(&bmp), TRect(0, 0, 7, 5));
    EXPECT_EQ(SizeOfBitmap(&bmp), TSize(7, 5));
}

TEST(SkinSystem, FoldersAndSearches)
{
    const String dir = testing_support::MakeTempDir(L"skin_system");
    CreateDirectoryW((dir + L"\\sub").c_str(), nullptr);
    for (const wchar_t* name : {L"a.asz", L"b.asz", L"hidden.asz"}) std::ofstream(ToUtf8(dir + L"\\" + name)).put('x');
    SetFileAttributesW((dir + L"\\hidden.asz").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(DirectoryExistsEx(dir, true));
    EXPECT_TRUE(DirectoryExistsQuiet(dir + L"\\sub"));
    EXPECT_FALSE(DirectoryExistsEx(dir + L"\\missing", true));
    EXPECT_FALSE(DirectoryExistsEx(dir + L"\\a.asz", true));
    EXPECT_FALSE(DirectoryExistsQuiet(L"Q:\\nowhere\\at\\all"));

    auto names = [&](DWORD attributes) {
        std::vector<String> found;
        TacSearchRec rec;
        for (int rc = StartFileSearch(dir + L"\\*", attributes, rec); rc == 0; rc = ContinueFileSearch(rec))
            if (rec.Name != L"." && rec.Name != L"..") found.push_back(rec.Name);
        EndFileSearch(rec);
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(0), (std::vector<String>{L"a.asz", L"b.asz"}));
    EXPECT_EQ(names(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY),
              (std::vector<String>{L"a.asz", L"b.asz", L"hidden.asz", L"sub"}));
    TacSearchRec none;
    EXPECT_NE(StartFileSearch(dir + L"\\*.none", 0, none), 0);
    EXPECT_EQ(ContinueFileSearch(none), ERROR_NO_MORE_FILES);
    EndFileSearch(none);

    EXPECT_EQ(ShellIconOfFile(dir + L"\\missing.txt", 0), nullptr);
    if (TIcon* icon = ShellIconOfFile(dir + L"\\a.asz", SHGFI_SMALLICON)) {
        EXPECT_FALSE(icon->Empty());
        delete icon;
    }
}

namespace {
class TSetHolder : public TComponent {
public:
    using TComponent::TComponent;
    unsigned Kinds = 0;
};
}  // namespace

// The published-property routines the engine uses on foreign controls work on the set's text:
// a name that is part of a member's name already counts as present.
TEST(SkinSystem, SetPropertiesChangeThroughTheirText)
{
    static const bool registered = [] {
        RegisterSetProperty<TSetHolder>(L"Kinds", {L"Gray", L"Grayed", L"Blended"},
                                        [](TSetHolder& h) { return h.Kinds; },
                                        [](TSetHolder& h, int64_t v) { h.Kinds = static_cast<unsigned>(v); });
        return true;
    }();
    ASSERT_TRUE(registered);
    TSetHolder h(nullptr);
    h.Kinds = 2;   // Grayed
    ChangeSetProperty(&h, L"Kinds", L"Gray", true);
    EXPECT_EQ(h.Kinds, 2u);   // "Gray" is within "Grayed": nothing is added
    ChangeSetProperty(&h, L"Kinds", L"Blended", true);
    EXPECT_EQ(h.Kinds, 6u);
    EXPECT_TRUE(SetPropertyHasValue(&h, L"Kinds", L"Blended"));
    ChangeSetProperty(&h, L"Kinds", L"Grayed", false);
    EXPECT_EQ(h.Kinds, 4u);
    EXPECT_FALSE(HasPublishedProperty(&h, L"Other"));
    ChangeSetProperty(&h, L"Other", L"Gray", true);   // absent: nothing
    EXPECT_EQ(h.Kinds, 4u);
}
