// Shell folder objects under Wine: item ID lists of the shell allocator (whole, corrupt),
// the start-up's desktop object and shared small-icon list, names and attributes of a temp
// folder's items, renaming, column texts, and the change worker (events on the main thread,
// moved to another directory, destroyed while it waits).
#include <gtest/gtest.h>

#include "vcl/win.h"

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "skin/controls/salphaimagelist.h"
#include "skin/controls/sshellfolder.h"
#include "tests/common/test_support.h"

using testing_support::MakeTempDir;
using testing_support::PumpUntil;

namespace {

// The module started for one test and shut down after it.
class ShellFolders : public testing::Test {
protected:
    void SetUp() override { InitShellFolders(); }
    void TearDown() override { DoneShellFolders(); }
};

void MakeFile(const String& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
}

// An allocator list holding bytes as given (possibly not a whole list).
struct AllocList {
    LPITEMIDLIST List;
    explicit AllocList(const std::vector<uint8_t>& bytes) : List(PidlAlloc(bytes.size()))
    {
        std::memcpy(List, bytes.data(), bytes.size());
    }
    ~AllocList() { PidlFree(List); }
};

// A folder of the temp directory, made from its parsing name, with its own folder interface.
struct FolderOf {
    std::unique_ptr<TacShellFolder> Folder;
    explicit FolderOf(const String& path)
    {
        TacInterface<IShellFolder> desktop;
        OleCheck(SHGetDesktopFolder(desktop.Put()));
        LPITEMIDLIST abs = nullptr;
        String name = path;
        if (name.size() > 3 && name.back() == L'\\') name.pop_back();
        OleCheck(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &abs, nullptr));
        TacInterface<IShellFolder> own;
        OleCheck(desktop->BindToObject(abs, nullptr, IID_IShellFolder, reinterpret_cast<void**>(own.Put())));
        Folder = std::make_unique<TacShellFolder>(nullptr, abs, own.Get());
        PidlFree(abs);
    }
    // Its items by their parsing names' file part.
    std::map<String, std::unique_ptr<TacShellFolder>> Items() const
    {
        std::map<String, std::unique_ptr<TacShellFolder>> items;
        TacInterface<IEnumIDList> e;
        if (Folder->ShellFolder()->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                               e.Put()) != S_OK)
            return items;
        LPITEMIDLIST child = nullptr;
        while (e->Next(1, &child, nullptr) == S_OK) {
            auto item = std::make_unique<TacShellFolder>(Folder.get(), child, nullptr);
            PidlFree(child);
            items[ExtractFileName(item->PathName())] = std::move(item);
        }
        return items;
    }
};

}  // namespace

// ---- item ID lists ---------------------------------------------------------------------------

TEST(ShellPidlAllocator, CopyJoinAndSizeRefuseListsThatAreNotWhole)
{
    const std::vector<uint8_t> two = {5, 0, 'a', 'b', 'c', 3, 0, 'd', 0, 0};
    const std::vector<uint8_t> tooLong = {5, 0, 'a', 'b', 'c', 40, 0, 'd', 0, 0};
    const std::vector<uint8_t> noEnd = {5, 0, 'a', 'b', 'c', 3, 0, 'd'};
    const std::vector<uint8_t> empty = {0, 0};
    struct Case {
        const char* Name;
        std::vector<uint8_t> Bytes;
        int Size;
    };
    const Case cases[] = {
        {"whole", two, 10},
        {"only the terminator", empty, 2},
        {"an item past the block", tooLong, 0},
        {"no terminator in the block", noEnd, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        AllocList l(c.Bytes);
        EXPECT_EQ(PidlSize(l.List), c.Size);
        LPITEMIDLIST copy = PidlCopy(l.List);
        EXPECT_EQ(copy != nullptr, c.Size > 0);
        if (copy) {
            EXPECT_EQ(std::memcmp(copy, c.Bytes.data(), static_cast<size_t>(c.Size)), 0);
        }
        PidlFree(copy);
        AllocList whole(two);
        LPITEMIDLIST joined = PidlJoin(whole.List, l.List);
        EXPECT_EQ(PidlSize(joined), c.Size ? 8 + c.Size : 0);
        PidlFree(joined);
    }
    EXPECT_EQ(PidlSize(nullptr), 0);
    AllocList a(two);
    LPITEMIDLIST copy = PidlJoin(nullptr, a.List);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(copy, two.data(), two.size()), 0);
    PidlFree(copy);
    EXPECT_EQ(PidlJoin(a.List, nullptr), nullptr);
    const auto* bytes = reinterpret_cast<const uint8_t*>(a.List);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(PidlNext(a.List, a.List)), bytes + 5);
    EXPECT_EQ(PidlNext(a.List, PidlNext(a.List, a.List)), reinterpret_cast<LPCITEMIDLIST>(bytes + 8));
    EXPECT_EQ(PidlNext(a.List, reinterpret_cast<LPCITEMIDLIST>(bytes + 8)), nullptr);
}

TEST(ShellPidlAllocator, OffsetTextIsReadWithinTheList)
{
    // An answer pointing into the list: the text runs to the zero, or stops at the list's end.
    AllocList l({8, 0, 'n', 'a', 'm', 'e', 0, 0, 0, 0});
    STRRET r{};
    r.uType = STRRET_OFFSET;
    r.uOffset = 2;
    EXPECT_EQ(StrRetToText(l.List, r), L"name");
    r.uOffset = 500;
    EXPECT_EQ(StrRetToText(l.List, r), L"");
    AllocList numbered({8, 0, '?', '1', '?', '2', 0, 0, 0, 0});
    r.uOffset = 2;
    EXPECT_EQ(StrRetToText(numbered.List, r), L"12");
}

// ---- start-up --------------------------------------------------------------------------------

TEST_F(ShellFolders, StartUpMakesTheDesktopAndSharesTheSystemSmallIcons)
{
    ASSERT_NE(DesktopFolderObject, nullptr);
    EXPECT_EQ(DesktopFolderObject->Parent(), nullptr);
    EXPECT_EQ(PidlSize(DesktopFolderObject->AbsoluteID()), 2);
    ASSERT_NE(SystemSmallImages, nullptr);
    ASSERT_NE(SystemSmallImagesHandle, nullptr);
    EXPECT_EQ(SystemSmallImages->Handle(), SystemSmallImagesHandle);
    EXPECT_TRUE(SystemSmallImages->ShareImages());
    EXPECT_EQ(SystemSmallImages->Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(SystemSmallImages->BkColor(), clNone);
    const HIMAGELIST system = SystemSmallImagesHandle;
    const int count = ImageList_GetImageCount(system);
    EXPECT_GT(count, 0);
    DoneShellFolders();
    EXPECT_EQ(DesktopFolderObject, nullptr);
    EXPECT_EQ(SystemSmallImages, nullptr);
    // The system's list outlives the image list that shared it.
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(system, &cx, &cy));
    EXPECT_EQ(ImageList_GetImageCount(system), count);
    InitShellFolders();
    EXPECT_EQ(SystemSmallImagesHandle, system);
}

// ---- one item --------------------------------------------------------------------------------

TEST_F(ShellFolders, ItemsOfATempFolderTheirNamesKindsAndLevels)
{
    const String dir = MakeTempDir(L"shell-names");
    MakeFile(dir + L"notes.txt");
    MakeFile(dir + L"plain");
    ASSERT_TRUE(CreateDirectoryW((dir + L"sub.d").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW((dir + L"pack.ZIP").c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    FolderOf folder(dir);
    EXPECT_EQ(IncludeTrailingPathDelimiter(folder.Folder->PathName()), dir);
    EXPECT_EQ(folder.Folder->Parent(), DesktopFolderObject);
    EXPECT_EQ(folder.Folder->Level(), 0);
    const auto items = folder.Items();
    struct Case {
        String Name;
        String Shown, Hidden;
        bool File, Folder;
    };
    const Case cases[] = {
        {L"notes.txt", L"notes.txt", L"notes", true, false},
        {L"plain", L"plain", L"plain", true, false},
        {L"sub.d", L"sub.d", L"sub.d", false, true},
        {L"pack.ZIP", L"pack.ZIP", L"pack.ZIP", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto it = items.find(c.Name);
        ASSERT_NE(it, items.end());
        const TacShellFolder& item = *it->second;
        EXPECT_EQ(item.PathName(), dir + c.Name);
        EXPECT_EQ(item.DisplayName(seShow), c.Shown);
        EXPECT_EQ(item.DisplayName(seHide), c.Hidden);
        EXPECT_EQ(item.IsFile(), c.File);
        EXPECT_EQ(item.IsFolder(), c.Folder);
        EXPECT_EQ(item.IsFileFolder(), c.Folder);
        EXPECT_EQ(item.Parent(), folder.Folder.get());
        EXPECT_EQ(item.Level(), 1);
        EXPECT_GE(item.ImageIndex(false), 0);
        EXPECT_LT(item.ImageIndex(false), ImageList_GetImageCount(SystemSmallImagesHandle));
        EXPECT_EQ(PidlSize(item.AbsoluteID()), PidlSize(folder.Folder->AbsoluteID()) + PidlSize(item.RelativeID()) - 2);
    }
    // The shared list gives the item's icon: a picture with visible pixels.
    std::unique_ptr<TBitmap> icon = SystemSmallImages->GetBitmap32(items.at(L"sub.d")->ImageIndex(false));
    ASSERT_NE(icon, nullptr);
    int visible = 0;
    for (int y = 0; y < icon->Height(); ++y) {
        const auto* row = static_cast<const uint8_t*>(icon->ScanLine(y));
        for (int x = 0; x < icon->Width(); ++x) visible += row[x * 4 + 3] != 0;
    }
    EXPECT_GT(visible, icon->Width() * icon->Height() / 8);
    // A ".zip" folder is a file unless zip files are opened.
    const TacShellFolder& zip = *items.at(L"pack.ZIP");
    EXPECT_FALSE(zip.IsFolder(L"pack.ZIP", false));
    EXPECT_TRUE(zip.IsFile(L"pack.ZIP", false));
    EXPECT_TRUE(zip.IsFolder(L"pack.ZIP", true));
    EXPECT_FALSE(zip.IsFile(L"pack.ZIP", true));
}

TEST_F(ShellFolders, RenameMovesTheFileAndBothLists)
{
    const String dir = MakeTempDir(L"shell-rename");
    DeleteFileW((dir + L"after.txt").c_str());
    MakeFile(dir + L"before.txt");
    FolderOf folder(dir);
    auto items = folder.Items();
    TacShellFolder& item = *items.at(L"before.txt");
    ASSERT_TRUE(item.Capabilities() & fcCanRename);
    ASSERT_TRUE(item.Rename(L"after.txt"));
    EXPECT_EQ(GetFileAttributesW((dir + L"before.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((dir + L"after.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(item.PathName(), dir + L"after.txt");
    EXPECT_EQ(item.DisplayName(seShow), L"after.txt");
}

TEST_F(ShellFolders, ColumnTextsCountFromOneAndAskForLoading)
{
    const String dir = MakeTempDir(L"shell-details");
    MakeFile(dir + L"cols.txt");
    FolderOf folder(dir);
    auto items = folder.Items();
    TacShellFolder& item = *items.at(L"cols.txt");
    try {
        item.GetDetails(1);
        ADD_FAILURE() << "no texts were loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), item.DisplayName(seSystem) + L": Missing call to LoadColumnDetails");
    }
    item.Details()->SetStrings({L"a", L"b", L"c"});
    struct Step {
        int Index;
        const wchar_t* Value;
        std::vector<String> After;
    };
    const Step steps[] = {
        {2, L"B", {L"a", L"B", L"c"}},
        {3, L"X", {L"a", L"B", L"X", L"c"}},   // at the count: inserted before the last
        {5, L"E", {L"a", L"B", L"X", L"c", L"E"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Index);
        item.SetDetails(s.Index, s.Value);
        EXPECT_EQ(item.Details()->ToVector(), s.After);
    }
    EXPECT_EQ(item.GetDetails(1), L"a");
    // The folder's column interface, found once, answers its items' first column (the name).
    IShellFolder2* folder2 = folder.Folder->ShellFolder2();
    IShellDetails* details = folder.Folder->ShellDetails();
    ASSERT_TRUE(folder2 || details);
    EXPECT_EQ(folder.Folder->ShellFolder2(), folder2);
    SHELLDETAILS column{};
    const HRESULT hr = folder2 ? folder2->GetDetailsOf(item.RelativeID(), 0, &column)
                               : details->GetDetailsOf(item.RelativeID(), 0, &column);
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(ChangeFileExt(StrRetToText(item.RelativeID(), column.str), L""), L"cols");
    // A file has no folder of its own to ask.
    EXPECT_EQ(item.ShellFolder2(), nullptr);
    EXPECT_EQ(item.ShellDetails(), nullptr);
    EXPECT_EQ(item.GetDetails(5), L"E");
    EXPECT_THROW(item.GetDetails(6), EListError);
}

// ---- answers of a folder made up by the test ---------------------------------------------------

namespace {

// A folder whose names and attributes the test gives; it records what was asked.
class FakeFolder : public IShellFolder {
public:
    std::function<String(DWORD flags)> Name = [](DWORD) { return String(); };
    SFGAOF Attributes = 0;
    std::vector<DWORD> NameFlags;
    int AttributeQueries = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IShellFolder) {
            *out = static_cast<IShellFolder*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF* inOut) override
    {
        ++AttributeQueries;
        *inOut = Attributes;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF flags, STRRET* name) override
    {
        NameFlags.push_back(flags);
        const String text = Name(flags);
        name->uType = STRRET_WSTR;
        name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
        std::memcpy(name->pOleStr, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override
    {
        return E_NOTIMPL;
    }
};

}  // namespace

TEST(ShellDisplayNames, AClassNameIsAskedAgainOnceAsThePlainName)
{
    AllocList item({4, 0, 1, 2, 0, 0});
    struct Case {
        const char* Name;
        std::function<String(DWORD)> Answer;
        DWORD Flags;
        String Result;
        std::vector<DWORD> Asked;
    };
    const Case cases[] = {
        {"plain name", [](DWORD) { return String(L"Thing"); }, SHGDN_INFOLDER, L"Thing", {SHGDN_INFOLDER}},
        {"class name, then the plain one",
         [](DWORD f) { return String(f == SHGDN_NORMAL ? L"Computer" : L"::{20D04FE0}"); }, SHGDN_FORPARSING,
         L"Computer", {SHGDN_FORPARSING, SHGDN_NORMAL}},
        // Every answer a class name: the lookup still ends.
        {"class name always", [](DWORD) { return String(L"::{1}"); }, SHGDN_INFOLDER, L"::{1}",
         {SHGDN_INFOLDER, SHGDN_NORMAL}},
        {"numbered name", [](DWORD) { return String(L"?3?4"); }, SHGDN_INFOLDER, L"34", {SHGDN_INFOLDER}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeFolder folder;
        folder.Name = c.Answer;
        EXPECT_EQ(ShellDisplayName(&folder, item.List, c.Flags, seSystem), c.Result);
        EXPECT_EQ(folder.NameFlags, c.Asked);
    }
    EXPECT_EQ(ShellDisplayName(nullptr, item.List, SHGDN_NORMAL, seSystem), L"parentfolder = nil");
}

TEST_F(ShellFolders, ZipNamesAreDecidedWithoutAskingTheShell)
{
    FakeFolder fake;
    fake.Attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
    AllocList empty({0, 0});
    AllocList id({4, 0, 7, 7, 0, 0});
    TacShellFolder parent(nullptr, empty.List, &fake);
    TacShellFolder item(&parent, id.List, nullptr);
    EXPECT_FALSE(item.IsFolder(L"ARCHIVE.ZIP", false));
    EXPECT_TRUE(item.IsFile(L"ARCHIVE.ZIP", false));
    EXPECT_EQ(fake.AttributeQueries, 0);
    EXPECT_TRUE(item.IsFolder(L"ARCHIVE.ZIP", true));
    EXPECT_TRUE(item.IsFileFolder());
    EXPECT_FALSE(item.IsFile(L"folder", false));
    fake.Attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_LINK | SFGAO_CANRENAME | SFGAO_GHOSTED;
    EXPECT_FALSE(item.IsFileFolder());
    EXPECT_EQ(item.Capabilities(), fcCanRename);
    EXPECT_EQ(item.Properties(), fpCut | fpIsLink | fpFileSystem);
}

// ---- the change worker -----------------------------------------------------------------------

namespace {

struct Watcher {
    int Events = 0;
    bool OffMainThread = false;
    std::unique_ptr<TacShellChangeThread> Thread;
    explicit Watcher(const String& dir)
    {
        Thread = std::make_unique<TacShellChangeThread>([this] {
            ++Events;
            if (!IsMainThread()) OffMainThread = true;
        });
        Thread->SetDirectoryOptions(dir, false, FILE_NOTIFY_CHANGE_FILE_NAME);
        Thread->Start();
    }
};

// A file name not used before in this process (runs repeated in one process reuse folders).
String FreshName(const String& stem)
{
    static int counter = 0;
    return stem + IntToStr(++counter);
}

String NoSlash(String dir)
{
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    return dir;
}

}  // namespace

TEST(ShellChangeThread, ANewFileIsToldOnTheMainThread)
{
    const String dir = NoSlash(MakeTempDir(L"watch-new"));
    Watcher w(dir);
    ASSERT_TRUE(PumpUntil([&] { return w.Thread->WatchedDirectory() == dir; }));
    MakeFile(dir + L"\\" + FreshName(L"made"));
    ASSERT_TRUE(PumpUntil([&] { return w.Events > 0; }));
    EXPECT_FALSE(w.OffMainThread);
    EXPECT_FALSE(w.Thread->Finished());
}

TEST(ShellChangeThread, SetDirectoryOptionsMovesALiveWatcher)
{
    // Closing the notification under the worker's wait made it end; now it renews its own.
    const String first = NoSlash(MakeTempDir(L"watch-first"));
    const String second = NoSlash(MakeTempDir(L"watch-second"));
    Watcher w(first);
    ASSERT_TRUE(PumpUntil([&] { return w.Thread->WatchedDirectory() == first; }));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const String to = round % 2 ? first : second;
        const String from = round % 2 ? second : first;
        w.Thread->SetDirectoryOptions(to, false, FILE_NOTIFY_CHANGE_FILE_NAME);
        ASSERT_TRUE(PumpUntil([&] { return w.Thread->WatchedDirectory() == to; }));
        const int before = w.Events;
        MakeFile(from + L"\\" + FreshName(L"ignored"));
        MakeFile(to + L"\\" + FreshName(L"seen"));
        ASSERT_TRUE(PumpUntil([&] { return w.Events > before; }));
        EXPECT_FALSE(w.Thread->Finished());
    }
    EXPECT_FALSE(w.OffMainThread);
}

TEST(ShellChangeThread, DestroyWhileWaitingReturnsAtOnce)
{
    struct Case {
        const char* Name;
        bool Started;
    };
    for (const Case c : {Case{"waiting", true}, Case{"never started", false}}) {
        SCOPED_TRACE(c.Name);
        const String dir = NoSlash(MakeTempDir(L"watch-destroy"));
        auto thread = std::make_unique<TacShellChangeThread>(nullptr);
        thread->SetDirectoryOptions(dir, true, FILE_NOTIFY_CHANGE_FILE_NAME);
        if (c.Started) {
            thread->Start();
            ASSERT_TRUE(PumpUntil([&] { return thread->WatchedDirectory() == dir; }));
        }
        const ULONGLONG start = GetTickCount64();
        thread.reset();
        EXPECT_LT(GetTickCount64() - start, 2000u);
    }
}

TEST(ShellChangeThread, AnUnwatchableDirectoryEndsTheWorker)
{
    TacShellChangeThread thread(nullptr);
    thread.SetDirectoryOptions(L"C:\\no\\such\\directory\\here", false, FILE_NOTIFY_CHANGE_FILE_NAME);
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
    EXPECT_EQ(thread.WatchedDirectory(), L"");
}

TEST_F(ShellFolders, FreedThreadsLeaveSlotsThatAreReusedAndShutDownFreesTheRest)
{
    auto* a = new TacShellChangeThread(nullptr);
    auto* b = new TacShellChangeThread(nullptr);
    b->SetDirectoryOptions(NoSlash(MakeTempDir(L"watch-slots")), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    b->Start();
    EXPECT_EQ(ShellThreads(), (std::vector<TacShellChangeThread*>{a, b}));
    delete a;
    EXPECT_EQ(ShellThreads(), (std::vector<TacShellChangeThread*>{nullptr, b}));
    auto* c = new TacShellChangeThread(nullptr);
    EXPECT_EQ(ShellThreads(), (std::vector<TacShellChangeThread*>{c, b}));
    // Shut-down frees both, the waiting one included, without hanging.
    DoneShellFolders();
    EXPECT_TRUE(ShellThreads().empty());
}
