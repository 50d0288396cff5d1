// A small layer over the shell's namespace: item ID lists from the shell allocator, one item
// of the namespace with its parent folder (TacShellFolder), a worker that waits for change
// notifications of a directory (TacShellChangeThread), and the system's small-icon list.
// InitShellFolders / DoneShellFolders are the module's start-up and shut-down (main thread).
#pragma once

#include "vcl/win.h"

#include <shlobj.h>

#include <vector>

#include "skin/controls/core/shell_pidl.h"
#include "vcl/strings.h"
#include "vcl/threads.h"

class TsAlphaImageList;

// A failed shell or OLE call, with its result code.
class EOleSysError : public Exception {
public:
    EOleSysError(String message, HRESULT code) : Exception(std::move(message)), FErrorCode(code) {}
    HRESULT ErrorCode() const noexcept { return FErrorCode; }

private:
    HRESULT FErrorCode;
};
// Raises EOleSysError for a failed result.
void OleCheck(HRESULT result);

// An owned interface reference: released when replaced or destroyed.
template <class T>
class TacInterface {
public:
    TacInterface() = default;
    // Takes over a reference the caller holds (as the shell's out-parameters give them).
    static TacInterface Take(T* p)
    {
        TacInterface r;
        r.FPtr = p;
        return r;
    }
    // Adds a reference of its own.
    static TacInterface Share(T* p)
    {
        if (p) p->AddRef();
        return Take(p);
    }
    TacInterface(const TacInterface& o) : FPtr(o.FPtr)
    {
        if (FPtr) FPtr->AddRef();
    }
    TacInterface(TacInterface&& o) noexcept : FPtr(o.FPtr) { o.FPtr = nullptr; }
    TacInterface& operator=(TacInterface o) noexcept
    {
        std::swap(FPtr, o.FPtr);
        return *this;
    }
    ~TacInterface()
    {
        if (FPtr) FPtr->Release();
    }
    T* Get() const { return FPtr; }
    T* operator->() const { return FPtr; }
    explicit operator bool() const { return FPtr != nullptr; }
    // Releases what is held and answers the slot for an out-parameter.
    T** Put()
    {
        *this = TacInterface();
        return &FPtr;
    }

private:
    T* FPtr = nullptr;
};

// ---- item ID lists ---------------------------------------------------------------------------

// Lists of the shell allocator: their walks are bounded by the size the allocator gives for
// the block, so a corrupt list is refused (size 0, no copy) instead of read past its end.

// Size bytes from the shell allocator, zero-filled; nullptr when it gives none.
LPITEMIDLIST PidlAlloc(size_t size);
// The bytes the allocator holds for the list (0 for nullptr or a block it does not know).
size_t PidlCapacity(LPCITEMIDLIST list);
// The item after item within list (nullptr at the terminator or where list is not whole).
LPCITEMIDLIST PidlNext(LPCITEMIDLIST list, LPCITEMIDLIST item);
// 0 for nullptr and for a list that is not whole within its block; else its items and the
// 2-byte terminator.
int PidlSize(LPCITEMIDLIST list);
int PidlSize(LPCITEMIDLIST list, size_t capacity);
// New lists of the allocator; nullptr when an argument is not a whole list (or second is nil).
LPITEMIDLIST PidlCopy(LPCITEMIDLIST list);
LPITEMIDLIST PidlJoin(LPCITEMIDLIST first, LPCITEMIDLIST second);
void PidlFree(LPITEMIDLIST list);

// ---- shell queries ---------------------------------------------------------------------------

// GetAttributesOf one item with the mask (0 when folder is nil or the call fails).
uint32_t ShellAttributes(IShellFolder* folder, LPCITEMIDLIST item, uint32_t mask);
bool ShellIsFolder(IShellFolder* folder, LPCITEMIDLIST item);
bool ShellIsLink(IShellFolder* folder, LPCITEMIDLIST item);
bool ShellIsReadOnly(IShellFolder* folder, LPCITEMIDLIST item);
bool ShellHasSubFolders(IShellFolder* folder, LPCITEMIDLIST item);
bool ShellIsFileSystemFolder(IShellFolder* folder, LPCITEMIDLIST item);
bool ShellIsFileSystemFile(IShellFolder* folder, LPCITEMIDLIST item);

// The text of a display-name answer; a wide text is freed. An offset text is read within list.
String StrRetToText(LPCITEMIDLIST list, STRRET& value);
// The item's name in the folder (SHGDN_... flags) with its extension as showExt asks. A class
// name ("::{...}") is asked again as the plain name, once.
String ShellDisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags, TacShowExtension showExt);
// The system list's icon index of an absolute list (0 without the shell's entry).
int ShellIconIndex(LPCITEMIDLIST list, bool largeIcon, bool open);

// ---- one item of the namespace ---------------------------------------------------------------

class TacShellFolder : public TObject {
public:
    // parent nil: the item is relative to the desktop, and the desktop object becomes its
    // parent. sf is the item's own folder interface (nil for a file).
    TacShellFolder(TacShellFolder* parent, LPCITEMIDLIST id, IShellFolder* sf);
    ~TacShellFolder() override;

    LPCITEMIDLIST AbsoluteID() const { return FFullPIDL; }
    LPCITEMIDLIST RelativeID() const { return FPIDL; }
    int Level() const { return FLevel; }
    TacShellFolder* Parent() const { return FParent; }
    IShellFolder* ShellFolder() const { return FIShellFolder.Get(); }
    IShellFolder2* ShellFolder2();
    IShellDetails* ShellDetails();
    HWND ViewHandle() const { return FViewHandle; }
    void SetViewHandle(HWND wnd) { FViewHandle = wnd; }
    // Column texts, for the owner of the object to fill.
    TStrings* Details() const { return FDetails; }

    // The folder the item's relative list belongs to.
    TacInterface<IShellFolder> ParenTacShellFolder() const;
    TacShellFolderCapabilities Capabilities() const;
    TacShellFolderProperties Properties() const;
    bool SubFolders() const;
    bool IsReadOnly() const;
    bool IsFileFolder() const;
    // A ".zip" name counts as a file unless openZipFiles.
    bool IsFolder(const String& name = String(), bool openZipFiles = true) const;
    bool IsFile(const String& name = String(), bool openZipFiles = true) const;
    String DisplayName(TacShowExtension showExt = seSystem) const;
    String PathName() const;
    int ImageIndex(bool largeIcon) const;
    int ExecuteDefault() const;
    // False when the item cannot be renamed; EOleSysError when the shell refuses.
    bool Rename(const String& newName);
    // Column texts from 1; raises when no texts were loaded.
    String GetDetails(int index) const;
    void SetDetails(int index, const String& value);

private:
    IUnknown* LoadDetailInterface();

    LPITEMIDLIST FPIDL = nullptr;
    LPITEMIDLIST FFullPIDL = nullptr;
    int FLevel = 0;
    TStrings* FDetails = nullptr;
    HWND FViewHandle = nullptr;
    TacShellFolder* FParent = nullptr;
    TacInterface<IShellFolder> FIShellFolder;
    TacInterface<IShellFolder2> FIShellFolder2;
    TacInterface<IShellDetails> FIShellDetails;
    TacInterface<IUnknown> FDetailInterface;
};

// ---- change notifications of a directory -------------------------------------------------------

// Waits for changes of a directory and runs ChangeEvent on the main thread for each. Made
// suspended: set the directory, then Start. The worker alone makes, renews and closes its
// notification; SetDirectoryOptions and the destructor only tell it so through an event, so
// nothing is closed under its wait. A directory that cannot be watched ends the worker.
// Made and destroyed on the main thread.
class TacShellChangeThread : public TThread {
public:
    explicit TacShellChangeThread(TThreadMethod changeEvent);
    // Wakes the worker, waits for its end, then closes its event.
    ~TacShellChangeThread() override;

    // Main thread only (the worker reads it on the main thread).
    const TThreadMethod& ChangeEvent() const { return FChangeEvent; }
    void SetChangeEvent(TThreadMethod event) { FChangeEvent = std::move(event); }
    // The worker watches the new directory from its next wake.
    void SetDirectoryOptions(const String& directory, bool watchSubTree, DWORD notifyOptionFlags);
    // The directory the live notification watches; empty before the first, after a failed one
    // and after the end.
    String WatchedDirectory() const;

protected:
    void Execute() override;

private:
    HANDLE FWakeEvent = nullptr;
    HANDLE FWaitHandle = INVALID_HANDLE_VALUE;   // the worker's own
    TThreadMethod FChangeEvent;
    String FDirectory;
    String FWatched;
    bool FWatchSubTree = false;
    bool FWaitChanged = false;
    DWORD FNotifyOptionFlags = 0;
};

// ---- module state ----------------------------------------------------------------------------

// The desktop's object, made at start-up (nil before, after, or when the shell gave no desktop).
extern TacShellFolder* DesktopFolderObject;
// The system's small icons, sharing the system's list (never destroyed by it), and that list.
extern TsAlphaImageList* SystemSmallImages;
extern HIMAGELIST SystemSmallImagesHandle;
// The live change threads; a destroyed thread's slot becomes nil and is reused.
const std::vector<TacShellChangeThread*>& ShellThreads();

// Start-up (main thread, once until shut-down): the desktop object, OLE, the small-icon list.
void InitShellFolders();
// Shut-down: the threads left, the desktop object, OLE (when start-up initialised it), the
// small-icon list.
void DoneShellFolders();
