// The list of available skins (the stored skins first, then the packed files of the skin
// folder) and its stepwise build on a worker thread, free of windows.h: the stored skins, the
// folder scan and the hand-over to the main thread are supplied by the caller.
//
// The worker only waits and hands steps to the main thread; every step runs there. The
// builder owns its worker and joins it before it starts another or goes away, so a step
// still queued for a worker that was stopped finds it stopped and does nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "vcl/strings.h"
#include "vcl/sysutils.h"

enum TacSkinMode { smInternal, smExtPacked, smExtUnpacked };

struct TacSkinListData {
    TacSkinMode skSkinMode = smInternal;
    int skImageIndex = -1;   // the preview's index in the builder's previews; -1 when none
    String skName;           // packed files: the file name without ".asz"
};

// Which entries of the skin list a list of names takes: those not stored in the program, the
// stored ones, all.
enum TacSkinType { stUnpacked, stPacked, stAllSkins };
bool SkinTypeSelects(TacSkinType skinType, const TacSkinListData& entry);

// What a list of skin names carries beside each name when asked for: the index of the skin's
// preview among the skin list's previews (-1 when it has none).
class TacSkinItemData : public TObject {
public:
    explicit TacSkinItemData(int imageIndex) : ImageIndex(imageIndex) {}
    int ImageIndex;
};

// The item data handed to lists that do not own their objects, by list: a list's data lives
// until that list is filled again (or the store goes).
using TacSkinItemDataStore = std::map<const TStrings*, std::vector<std::unique_ptr<TacSkinItemData>>>;

// List is emptied and gets the names of the selected entries, sorted: a string list directly,
// any other list through a temporary string list. With createDataObject each name carries a
// TacSkinItemData; a string list that owns its objects takes them, otherwise the store keeps
// them. A name a sorted list refuses as a duplicate gets none. Answers the first name added
// (in entry order), empty when none.
String ListSkinNames(const std::vector<TacSkinListData>& entries, TStrings& list, bool createDataObject,
                     const std::function<bool(const TacSkinListData&)>& selected, TacSkinItemDataStore& store);

// A folder entry is a skin of the list: not hidden by a leading ".", no folder, and the
// extension exactly ".asz" (lower case).
bool IsListedSkinFile(const String& fileName, bool isDirectory);
// The entry name of a packed file: the first ".asz" found in the lower-cased name taken out.
String PackedSkinListName(const String& fileName);
// The bytes start as a PNG file does.
bool LooksLikePng(const std::vector<uint8_t>& bytes);

// What the list is made of. Called on the main thread only.
class TacSkinListSource {
public:
    virtual ~TacSkinListSource() = default;
    virtual int InternalCount() = 0;
    virtual String InternalName(int index) = 0;
    // The skin folder with a trailing backslash.
    virtual String Folder() = 0;
    // Opens a scan of the folder positioned on its first entry; false when the folder does not
    // exist or holds nothing.
    virtual bool OpenScan(const String& folder) = 0;
    virtual void CurrentEntry(String& name, bool& isDirectory) = 0;
    // Moves to the next entry; false at the end.
    virtual bool NextEntry() = 0;
    virtual void CloseScan() = 0;
    // The preview picture of a stored skin (intIndex >= 0) or of the packed file path.
    virtual std::optional<std::vector<uint8_t>> Preview(const String& path, int intIndex) = 0;
};

class TacSkinListBuilder {
public:
    // Runs the call on the main thread later (it may never run when the main thread stops
    // serving; the worker does not depend on it to end).
    using TPoster = std::function<void(std::function<void()>)>;
    class TWorker;

    TacSkinListBuilder(TacSkinListSource& source, TPoster poster);
    ~TacSkinListBuilder();
    TacSkinListBuilder(const TacSkinListBuilder&) = delete;
    TacSkinListBuilder& operator=(const TacSkinListBuilder&) = delete;

    // The pause between two steps of the worker.
    std::chrono::milliseconds StepInterval{12};
    // The list changed (all controls told).
    std::function<void()> OnListChanged;
    // A stepwise build starts (true) or a synchronous finish completed it (false).
    std::function<void(bool)> OnLoading;

    const std::vector<TacSkinListData>& SkinList() const { return FSkinList; }
    const std::vector<std::vector<uint8_t>>& Previews() const { return FPreviews; }
    bool UpdateNeeded() const { return FUpdateNeeded; }
    void SetUpdateNeeded(bool value) { FUpdateNeeded = value; }
    const String& Path() const { return FPath; }
    int CurrentInternalIndex() const { return FCurrentInternalIndex; }
    bool ScanOpen() const { return FScanOpen; }
    // The worker of the build in progress (nil when none); a finished one stays until joined.
    const TWorker* Thread() const { return FThread.get(); }
    bool ThreadRunning() const;

    // Stops the worker; empties the list (and closes a scan left open); marks it stale; tells.
    void ResetList(bool markStale, bool notify);
    // Builds the list now (updateNow) or stepwise; filter bits: 1 the stored skins, 2 the folder.
    void UpdateData(bool updateNow, unsigned filter);
    // A stepwise build in progress is stopped and finished at once.
    void CheckThread();
    void StartDelayedLoading();
    // One step of the stepwise build (main thread); false when the list is complete.
    bool DoStep();
    void AddSkin(const String& name, int intIndex);
    // Adds the scan's current entry when it is a listed skin and moves on; 0 while another
    // entry waits.
    int AddSkinData();
    // Empties the list and its previews (what a copy of another list starts from).
    void Clear();
    void Append(const TacSkinListData& entry, const std::vector<uint8_t>* preview);

private:
    void StopThread();
    void CloseScan();
    void OpenScanIfExists();
    void SendListChanged()
    {
        if (OnListChanged) OnListChanged();
    }

    TacSkinListSource& FSource;
    TPoster FPoster;
    std::unique_ptr<TWorker> FThread;
    std::vector<TacSkinListData> FSkinList;
    std::vector<std::vector<uint8_t>> FPreviews;
    String FPath;
    int FDosCode = 0;
    int FCurrentInternalIndex = 0;
    bool FScanOpen = false;
    bool FUpdateNeeded = true;
};
