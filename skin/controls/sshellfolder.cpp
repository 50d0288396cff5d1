#include "skin/controls/sshellfolder.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "skin/controls/salphaimagelist.h"
#include "skin/engine/system_routines.h"
#include "vcl/application.h"

static_assert(sizeof(SHFILEINFOW) == (sizeof(void*) == 8 ? 696 : 692), "SHFILEINFOW as the headers lay it out");
static_assert(sizeof(STRRET) == (sizeof(void*) == 8 ? 272 : 264), "STRRET as the headers lay it out");
static_assert(sizeof(SHELLEXECUTEINFOW) == (sizeof(void*) == 8 ? 112 : 60), "SHELLEXECUTEINFOW as the headers lay it out");

TacShellFolder* DesktopFolderObject = nullptr;
TsAlphaImageList* SystemSmallImages = nullptr;
HIMAGELIST SystemSmallImagesHandle = nullptr;

namespace {

// The system's interface identifier; the import library lacks it.
constexpr GUID IidShellDetails = {0x000214EC, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::vector<TacShellChangeThread*> ShellThreadList;
bool ShellFoldersStarted = false;
bool OleStarted = false;

// Guards the change threads' directory options and their renewal.
TCriticalSection& OptionsLock()
{
    static TCriticalSection lock;
    return lock;
}

TacInterface<IMalloc> ShellMalloc()
{
    TacInterface<IMalloc> malloc;
    OleCheck(SHGetMalloc(malloc.Put()));
    return malloc;
}

const uint8_t* BytesOf(LPCITEMIDLIST list) { return reinterpret_cast<const uint8_t*>(list); }

// A list from the allocator holding bytes.
LPITEMIDLIST PidlFromBytes(const std::vector<uint8_t>& bytes)
{
    LPITEMIDLIST list = PidlAlloc(bytes.size());
    if (list) std::memcpy(list, bytes.data(), bytes.size());
    return list;
}

// The desktop's own list (empty), freed by the caller.
LPITEMIDLIST DesktopPidl()
{
    LPITEMIDLIST desktop = nullptr;
    OleCheck(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop));
    return desktop;
}

TacInterface<IShellFolder> DesktopFolder()
{
    TacInterface<IShellFolder> desktop;
    OleCheck(SHGetDesktopFolder(desktop.Put()));
    return desktop;
}

bool FileExistsFollowingLinks(const String& path)
{
    if (path.empty()) return false;
    // Opening the file follows links; a directory cannot be opened this way.
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool file = GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    return file;
}

String DisplayNameOnce(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags, TacShowExtension showExt)
{
    STRRET value{};
    if (FAILED(folder->GetDisplayNameOf(list, flags, &value))) return String();
    String name = StrRetToText(list, value);
    if (showExt != seSystem) {
        STRRET parsing{};
        String path;
        if (SUCCEEDED(folder->GetDisplayNameOf(list, SHGDN_FORPARSING, &parsing))) path = StrRetToText(list, parsing);
        name = ApplyShowExtension(name, showExt, path, FileExistsFollowingLinks(path));
    }
    return name;
}

}  // namespace

void OleCheck(HRESULT result)
{
    if (SUCCEEDED(result)) return;
    throw EOleSysError(Format(L"OLE error %x", {static_cast<unsigned>(result)}), result);
}

// ---- item ID lists ---------------------------------------------------------------------------

LPITEMIDLIST PidlAlloc(size_t size)
{
    void* p = ShellMalloc()->Alloc(size);
    if (p) std::memset(p, 0, size);
    return static_cast<LPITEMIDLIST>(p);
}

size_t PidlCapacity(LPCITEMIDLIST list)
{
    if (!list) return 0;
    const SIZE_T size = ShellMalloc()->GetSize(const_cast<LPITEMIDLIST>(list));
    return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

LPCITEMIDLIST PidlNext(LPCITEMIDLIST list, LPCITEMIDLIST item)
{
    if (!list || !item || item < list) return nullptr;
    const size_t offset = static_cast<size_t>(BytesOf(item) - BytesOf(list));
    const std::optional<size_t> next = PidlNextOffset(BytesOf(list), PidlCapacity(list), offset);
    return next ? reinterpret_cast<LPCITEMIDLIST>(BytesOf(list) + *next) : nullptr;
}

int PidlSize(LPCITEMIDLIST list, size_t capacity)
{
    return static_cast<int>(PidlListSize(BytesOf(list), capacity).value_or(0));
}

int PidlSize(LPCITEMIDLIST list) { return list ? PidlSize(list, PidlCapacity(list)) : 0; }

LPITEMIDLIST PidlCopy(LPCITEMIDLIST list)
{
    const int size = PidlSize(list);
    if (size <= 0) return nullptr;
    LPITEMIDLIST copy = PidlAlloc(static_cast<size_t>(size));
    if (copy) std::memcpy(copy, list, static_cast<size_t>(size));
    return copy;
}

LPITEMIDLIST PidlJoin(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    const std::optional<std::vector<uint8_t>> joined =
        PidlJoinBytes(BytesOf(first), PidlCapacity(first), BytesOf(second), PidlCapacity(second));
    return joined ? PidlFromBytes(*joined) : nullptr;
}

void PidlFree(LPITEMIDLIST list)
{
    if (list) ShellMalloc()->Free(list);
}

// ---- shell queries ---------------------------------------------------------------------------

uint32_t ShellAttributes(IShellFolder* folder, LPCITEMIDLIST item, uint32_t mask)
{
    if (!folder) return 0;
    SFGAOF attributes = mask;
    LPCITEMIDLIST items[1] = {item};
    if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return 0;
    return attributes;
}

bool ShellIsFolder(IShellFolder* f, LPCITEMIDLIST i) { return ShellAttributes(f, i, ShellAttr::Folder) & ShellAttr::Folder; }
bool ShellIsLink(IShellFolder* f, LPCITEMIDLIST i) { return ShellAttributes(f, i, ShellAttr::Link) & ShellAttr::Link; }
bool ShellIsReadOnly(IShellFolder* f, LPCITEMIDLIST i)
{
    return ShellAttributes(f, i, ShellAttr::ReadOnly) & ShellAttr::ReadOnly;
}
bool ShellHasSubFolders(IShellFolder* f, LPCITEMIDLIST i)
{
    return ShellAttributes(f, i, ShellAttr::HasSubFolder) & ShellAttr::HasSubFolder;
}

// The folder and link bits come from queries of their own, as some folders answer only what
// was asked.
static uint32_t FileSystemKind(IShellFolder* f, LPCITEMIDLIST i)
{
    uint32_t a = ShellAttributes(f, i, ShellAttr::FileSystem) & ShellAttr::FileSystem;
    if (!a) return 0;
    if (ShellIsFolder(f, i)) a |= ShellAttr::Folder;
    if (ShellIsLink(f, i)) a |= ShellAttr::Link;
    return a;
}

bool ShellIsFileSystemFolder(IShellFolder* f, LPCITEMIDLIST i) { return IsFileSystemFolder(FileSystemKind(f, i)); }
bool ShellIsFileSystemFile(IShellFolder* f, LPCITEMIDLIST i) { return IsFileSystemFile(FileSystemKind(f, i)); }

String StrRetToText(LPCITEMIDLIST list, STRRET& value)
{
    String text;
    switch (value.uType) {
    case STRRET_WSTR:
        if (value.pOleStr) {
            text = value.pOleStr;
            CoTaskMemFree(value.pOleStr);
            value.pOleStr = nullptr;
        }
        break;
    case STRRET_OFFSET: {
        const std::string ansi = PidlTextAt(BytesOf(list), static_cast<size_t>(PidlSize(list)), value.uOffset);
        if (!ansi.empty()) {
            const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
            text.resize(static_cast<size_t>(std::max(n, 0)));
            if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), text.data(), n);
        }
        break;
    }
    default:
        break;
    }
    return StripNumberingMarks(std::move(text));
}

String ShellDisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags, TacShowExtension showExt)
{
    if (!folder) return L"parentfolder = nil";
    String name = DisplayNameOnce(folder, list, flags, showExt);
    // A class name asked once more as the plain name; if that is one too, it stays.
    if (IsClassIdName(name) && flags != SHGDN_NORMAL) name = DisplayNameOnce(folder, list, SHGDN_NORMAL, showExt);
    return name;
}

int ShellIconIndex(LPCITEMIDLIST list, bool largeIcon, bool open)
{
    SHFILEINFOW info{};
    UINT flags = SHGFI_SYSICONINDEX | SHGFI_PIDL;
    if (open) flags |= SHGFI_OPENICON;
    if (!largeIcon) flags |= SHGFI_SMALLICON;
    if (!CallShellFileInfo(reinterpret_cast<const wchar_t*>(list), 0, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

// ---- TacShellFolder --------------------------------------------------------------------------

TacShellFolder::TacShellFolder(TacShellFolder* parent, LPCITEMIDLIST id, IShellFolder* sf)
    : FDetails(new TStringList()), FParent(parent), FIShellFolder(TacInterface<IShellFolder>::Share(sf))
{
    try {
        FPIDL = PidlCopy(id);
        if (parent) {
            FFullPIDL = PidlJoin(parent->FFullPIDL, id);
        } else {
            LPITEMIDLIST desktop = DesktopPidl();
            FFullPIDL = PidlJoin(desktop, id);
            PidlFree(desktop);
            FParent = DesktopFolderObject;
        }
        for (TacShellFolder* p = parent ? parent->FParent : nullptr; p; p = p->FParent) ++FLevel;
    } catch (...) {
        PidlFree(FPIDL);
        PidlFree(FFullPIDL);
        delete FDetails;
        throw;
    }
}

TacShellFolder::~TacShellFolder()
{
    delete FDetails;
    PidlFree(FPIDL);
    PidlFree(FFullPIDL);
}

TacInterface<IShellFolder> TacShellFolder::ParenTacShellFolder() const
{
    if (FParent) return TacInterface<IShellFolder>::Share(FParent->FIShellFolder.Get());
    return DesktopFolder();
}

TacShellFolderCapabilities TacShellFolder::Capabilities() const
{
    return CapabilitiesOfAttributes(ShellAttributes(ParenTacShellFolder().Get(), FPIDL, ShellAttr::CapabilityMask));
}

TacShellFolderProperties TacShellFolder::Properties() const
{
    TacInterface<IShellFolder> p = ParenTacShellFolder();
    if (!p) return 0;
    return PropertiesOfAttributes(ShellAttributes(p.Get(), FPIDL, ShellAttr::PropertyMask),
                                  ShellAttributes(p.Get(), FPIDL, 0));
}

bool TacShellFolder::SubFolders() const { return ShellHasSubFolders(ParenTacShellFolder().Get(), FPIDL); }
bool TacShellFolder::IsReadOnly() const { return ShellIsReadOnly(ParenTacShellFolder().Get(), FPIDL); }
bool TacShellFolder::IsFileFolder() const { return ShellIsFileSystemFolder(ParenTacShellFolder().Get(), FPIDL); }

bool TacShellFolder::IsFolder(const String& name, bool openZipFiles) const
{
    if (!openZipFiles && IsZipFileName(name)) return false;
    return ShellIsFolder(ParenTacShellFolder().Get(), FPIDL);
}

bool TacShellFolder::IsFile(const String& name, bool openZipFiles) const
{
    if (!openZipFiles && IsZipFileName(name)) return true;
    return ShellIsFileSystemFile(ParenTacShellFolder().Get(), FPIDL);
}

String TacShellFolder::DisplayName(TacShowExtension showExt) const
{
    TacInterface<IShellFolder> p = ParenTacShellFolder();
    if (!p) return L"?";
    return ShellDisplayName(p.Get(), FPIDL, SHGDN_INFOLDER, showExt);
}

String TacShellFolder::PathName() const
{
    return ShellDisplayName(DesktopFolder().Get(), FFullPIDL, SHGDN_FORPARSING, seSystem);
}

int TacShellFolder::ImageIndex(bool largeIcon) const { return ShellIconIndex(FFullPIDL, largeIcon, false); }

int TacShellFolder::ExecuteDefault() const
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = Application ? Application->Handle() : nullptr;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpIDList = FFullPIDL;
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) ? 1 : 0;
}

bool TacShellFolder::Rename(const String& newName)
{
    if (!(Capabilities() & fcCanRename)) return false;
    LPITEMIDLIST renamed = nullptr;
    TacInterface<IShellFolder> p = ParenTacShellFolder();
    if (!p || FAILED(p->SetNameOf(nullptr, FPIDL, newName.c_str(), SHGDN_NORMAL, &renamed)) || !renamed)
        throw Exception(Format(L"Rename to %s failed", {newName}));
    LPITEMIDLIST full = FParent ? PidlJoin(FParent->FFullPIDL, renamed) : PidlCopy(renamed);
    PidlFree(FPIDL);
    PidlFree(FFullPIDL);
    FPIDL = renamed;
    FFullPIDL = full;
    return true;
}

String TacShellFolder::GetDetails(int index) const
{
    if (FDetails->Count() == 0) throw Exception(Format(L"%s: Missing call to LoadColumnDetails", {DisplayName(seSystem)}));
    return FDetails->Get(index - 1);
}

void TacShellFolder::SetDetails(int index, const String& value)
{
    if (index < FDetails->Count())
        FDetails->Put(index - 1, value);
    else
        FDetails->Insert(index - 1, value);
}

IShellFolder2* TacShellFolder::ShellFolder2()
{
    if (!FDetailInterface) LoadDetailInterface();
    return FIShellFolder2.Get();
}

IShellDetails* TacShellFolder::ShellDetails()
{
    if (!FDetailInterface) LoadDetailInterface();
    return FIShellDetails.Get();
}

IUnknown* TacShellFolder::LoadDetailInterface()
{
    if (FDetailInterface || !FIShellFolder) return FDetailInterface.Get();
    IShellFolder* folder = FIShellFolder.Get();
    LPCITEMIDLIST items[1] = {FFullPIDL};
    auto ask = [&](auto& slot, REFIID iid) {
        if (!slot) folder->BindToObject(FFullPIDL, nullptr, iid, reinterpret_cast<void**>(slot.Put()));
        if (!slot) folder->GetUIObjectOf(FViewHandle, 1, items, iid, nullptr, reinterpret_cast<void**>(slot.Put()));
    };
    ask(FIShellDetails, IidShellDetails);
    if (!FIShellDetails) folder->CreateViewObject(FViewHandle, IidShellDetails, reinterpret_cast<void**>(FIShellDetails.Put()));
    if (!FIShellDetails) {
        TacInterface<IShellFolder> desktop = DesktopFolder();
        desktop->BindToObject(FFullPIDL, nullptr, IidShellDetails, reinterpret_cast<void**>(FIShellDetails.Put()));
    }
    if (!FIShellDetails && WindowsVersionIsAtLeast(5, 0)) {
        TacInterface<IShellFolder> desktop = DesktopFolder();
        desktop->BindToObject(FFullPIDL, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(FIShellFolder2.Put()));
        if (!FIShellFolder2)
            folder->GetUIObjectOf(FViewHandle, 1, items, IID_IShellFolder2, nullptr, reinterpret_cast<void**>(FIShellFolder2.Put()));
        if (!FIShellFolder2)
            folder->BindToObject(FFullPIDL, nullptr, IID_IShellFolder2, reinterpret_cast<void**>(FIShellFolder2.Put()));
    }
    if (FIShellFolder2)
        FDetailInterface = TacInterface<IUnknown>::Share(FIShellFolder2.Get());
    else if (FIShellDetails)
        FDetailInterface = TacInterface<IUnknown>::Share(FIShellDetails.Get());
    else
        FDetailInterface = TacInterface<IUnknown>::Share(folder);
    return FDetailInterface.Get();
}

// ---- TacShellChangeThread ----------------------------------------------------------------------

TacShellChangeThread::TacShellChangeThread(TThreadMethod changeEvent) : FChangeEvent(std::move(changeEvent))
{
    FWakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!FWakeEvent) throw EOSError(Format(L"System Error. Code: %u.", {static_cast<unsigned>(GetLastError())}), GetLastError());
    auto slot = std::find(ShellThreadList.begin(), ShellThreadList.end(), nullptr);
    if (slot != ShellThreadList.end())
        *slot = this;
    else
        ShellThreadList.push_back(this);
}

TacShellChangeThread::~TacShellChangeThread()
{
    auto slot = std::find(ShellThreadList.begin(), ShellThreadList.end(), this);
    if (slot != ShellThreadList.end()) *slot = nullptr;
    // The worker closes its own notification; it must be gone before the event is.
    Terminate();
    SetEvent(FWakeEvent);
    if (Started()) WaitFor();
    CloseHandle(FWakeEvent);
}

void TacShellChangeThread::SetDirectoryOptions(const String& directory, bool watchSubTree, DWORD notifyOptionFlags)
{
    {
        TLockGuard guard(OptionsLock());
        FDirectory = directory;
        FWatchSubTree = watchSubTree;
        FNotifyOptionFlags = notifyOptionFlags;
        FWaitChanged = true;
    }
    SetEvent(FWakeEvent);
}

String TacShellChangeThread::WatchedDirectory() const
{
    TLockGuard guard(OptionsLock());
    return FWatched;
}

void TacShellChangeThread::Execute()
{
    auto renew = [this] {
        TLockGuard guard(OptionsLock());
        if (FWaitHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FWaitHandle);
        FWaitHandle = FDirectory.empty() ? INVALID_HANDLE_VALUE
                                         : FindFirstChangeNotificationW(FDirectory.c_str(), FWatchSubTree, FNotifyOptionFlags);
        FWaitChanged = false;
        FWatched = FWaitHandle != INVALID_HANDLE_VALUE ? FDirectory : String();
    };
    renew();
    while (!Terminated() && FWaitHandle != INVALID_HANDLE_VALUE) {
        const HANDLE handles[2] = {FWaitHandle, FWakeEvent};
        const DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) {
            if (!Terminated() && !(Application && Application->Terminated())) {
                // Read on the main thread, where it is set.
                Synchronize([this] {
                    if (FChangeEvent) FChangeEvent();
                });
            }
            FindNextChangeNotification(FWaitHandle);
        } else if (r != WAIT_OBJECT_0 + 1) {
            break;
        }
        bool changed;
        {
            TLockGuard guard(OptionsLock());
            changed = FWaitChanged;
        }
        if (changed && !Terminated()) renew();
    }
    TLockGuard guard(OptionsLock());
    if (FWaitHandle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(FWaitHandle);
    FWaitHandle = INVALID_HANDLE_VALUE;
    FWatched.clear();
}

// ---- module state ----------------------------------------------------------------------------

const std::vector<TacShellChangeThread*>& ShellThreads() { return ShellThreadList; }

static void InitSystemImages()
{
    if (!ShellFileInfoAvailable() || SystemSmallImages) return;
    SHFILEINFOW info{};
    auto list = reinterpret_cast<HIMAGELIST>(
        CallShellFileInfo(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (!list) return;
    SystemSmallImagesHandle = list;
    SystemSmallImages = new TsAlphaImageList(nullptr);
    // The system's list is shared: the image list must never destroy it.
    SystemSmallImages->SetShareImages(true);
    SystemSmallImages->SetHandle(list);
    SystemSmallImages->SetBkColor(clNone);
}

void InitShellFolders()
{
    if (ShellFoldersStarted) return;
    ShellFoldersStarted = true;
    BindShellFileInfo();
    try {
        LPITEMIDLIST desktop = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)) && desktop) {
            try {
                DesktopFolderObject = new TacShellFolder(nullptr, desktop, DesktopFolder().Get());
            } catch (...) {
                PidlFree(desktop);
                throw;
            }
            PidlFree(desktop);
        }
    } catch (const Exception&) {
        // Without a desktop the objects answer through the shell's own desktop folder.
    }
    // A thread already in another apartment keeps it; only a successful start is undone.
    OleStarted = SUCCEEDED(OleInitialize(nullptr));
    InitSystemImages();
}

void DoneShellFolders()
{
    if (!ShellFoldersStarted) return;
    ShellFoldersStarted = false;
    // Each destructor clears its own slot.
    for (size_t i = 0; i < ShellThreadList.size(); ++i) delete ShellThreadList[i];
    TacShellFolder* desktop = DesktopFolderObject;
    DesktopFolderObject = nullptr;
    delete desktop;
    if (OleStarted) OleUninitialize();
    OleStarted = false;
    TsAlphaImageList* images = SystemSmallImages;
    SystemSmallImages = nullptr;
    SystemSmallImagesHandle = nullptr;
    delete images;
    ShellThreadList.clear();
}
