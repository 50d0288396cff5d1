#include "skin/engine/core/skin_list_names.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

bool IsListedSkinFile(const String& fileName, bool isDirectory)
{
    if (isDirectory || fileName.empty() || fileName[0] == L'.') return false;
    const size_t dot = fileName.rfind(L'.');
    return dot != String::npos && fileName.compare(dot, String::npos, L".asz") == 0;
}

String PackedSkinListName(const String& fileName)
{
    String lower = fileName;
    for (wchar_t& c : lower)
        if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
    String name = fileName;
    const size_t at = lower.find(L".asz");
    if (at != String::npos) name.erase(at, 4);
    return name;
}

bool LooksLikePng(const std::vector<uint8_t>& bytes)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return bytes.size() >= 8 && std::equal(signature, signature + 8, bytes.begin());
}

bool SkinTypeSelects(TacSkinType skinType, const TacSkinListData& entry)
{
    return skinType == stAllSkins || (skinType == stPacked) == (entry.skSkinMode == smInternal);
}

String ListSkinNames(const std::vector<TacSkinListData>& entries, TStrings& list, bool createDataObject,
                     const std::function<bool(const TacSkinListData&)>& selected, TacSkinItemDataStore& store)
{
    list.Clear();
    // What this list was given the last time went with its lines.
    store.erase(&list);
    auto* plain = dynamic_cast<TStringList*>(&list);
    TStringList temporary;
    TStringList& into = plain ? *plain : temporary;
    const bool owned = plain && plain->OwnsObjects();
    std::vector<std::unique_ptr<TacSkinItemData>> kept;
    String first;
    bool any = false;
    for (const TacSkinListData& e : entries) {
        if (!selected(e)) continue;
        const int count = into.Count();
        const int index = into.Add(e.skName);
        if (into.Count() == count) continue;   // a duplicate that a sorted list refused
        if (!any) first = e.skName, any = true;
        if (!createDataObject) continue;
        auto data = std::make_unique<TacSkinItemData>(e.skImageIndex);
        into.PutObject(index, data.get());
        if (owned) data.release();
        else kept.push_back(std::move(data));
    }
    into.Sort();
    if (!plain) list.Assign(&temporary);
    if (!kept.empty()) store[&list] = std::move(kept);
    return first;
}

// ---- the worker ------------------------------------------------------------------------------

// What the worker and the calls it hands over share. The calls keep it alive, so a call that
// runs after its worker was stopped (and the builder perhaps freed) reads only this.
struct TWorkerShared {
    std::mutex Lock;
    std::condition_variable Wake;
    bool Terminated = false;
    bool StepDone = false;
};

class TacSkinListBuilder::TWorker {
public:
    TWorker(std::function<bool()> step, TPoster poster, std::chrono::milliseconds interval)
        : FShared(std::make_shared<TWorkerShared>())
    {
        FThread = std::thread([shared = FShared, step = std::move(step), poster = std::move(poster), interval] {
            Run(shared, step, poster, interval);
        });
    }
    ~TWorker() { Stop(); }

    // Marks it done; it ends at its next wait. Also called from a step (main thread).
    void Terminate()
    {
        std::lock_guard<std::mutex> g(FShared->Lock);
        FShared->Terminated = true;
        FShared->Wake.notify_all();
    }
    bool Terminated() const
    {
        std::lock_guard<std::mutex> g(FShared->Lock);
        return FShared->Terminated;
    }
    // Terminates and joins (main thread). The worker never waits for the main thread once
    // terminated, so the join cannot hang on a main thread that is not serving calls now.
    void Stop()
    {
        Terminate();
        if (FThread.joinable()) FThread.join();
    }

private:
    static void Run(const std::shared_ptr<TWorkerShared>& shared, const std::function<bool()>& step,
                    const TPoster& poster, std::chrono::milliseconds interval)
    {
        std::unique_lock<std::mutex> lock(shared->Lock);
        for (;;) {
            if (shared->Wake.wait_for(lock, interval, [&] { return shared->Terminated; })) return;
            shared->StepDone = false;
            lock.unlock();
            poster([shared, step] {
                {
                    std::lock_guard<std::mutex> g(shared->Lock);
                    if (shared->Terminated) return;
                }
                // Runs unlocked: the step may stop this worker (a reset from a notification).
                const bool more = step();
                std::lock_guard<std::mutex> g(shared->Lock);
                if (!more) shared->Terminated = true;
                shared->StepDone = true;
                shared->Wake.notify_all();
            });
            lock.lock();
            shared->Wake.wait(lock, [&] { return shared->Terminated || shared->StepDone; });
            if (shared->Terminated) return;
        }
    }

    std::shared_ptr<TWorkerShared> FShared;
    std::thread FThread;
};

// ---- the builder -----------------------------------------------------------------------------

TacSkinListBuilder::TacSkinListBuilder(TacSkinListSource& source, TPoster poster)
    : FSource(source), FPoster(std::move(poster))
{
}

TacSkinListBuilder::~TacSkinListBuilder()
{
    StopThread();
    CloseScan();
}

bool TacSkinListBuilder::ThreadRunning() const { return FThread && !FThread->Terminated(); }

void TacSkinListBuilder::StopThread()
{
    // Moved out first: a step that runs during the join sees no worker.
    std::unique_ptr<TWorker> thread = std::move(FThread);
    if (thread) thread->Stop();
}

void TacSkinListBuilder::CloseScan()
{
    if (FScanOpen) FSource.CloseScan();
    FScanOpen = false;
}

void TacSkinListBuilder::OpenScanIfExists()
{
    FPath = FSource.Folder();
    FScanOpen = FSource.OpenScan(FPath);
    FDosCode = FScanOpen ? 0 : 1;
}

void TacSkinListBuilder::Clear()
{
    FSkinList.clear();
    FPreviews.clear();
}

void TacSkinListBuilder::Append(const TacSkinListData& entry, const std::vector<uint8_t>* preview)
{
    TacSkinListData e = entry;
    e.skImageIndex = -1;
    if (preview && LooksLikePng(*preview)) {
        FPreviews.push_back(*preview);
        e.skImageIndex = int(FPreviews.size()) - 1;
    }
    FSkinList.push_back(std::move(e));
}

void TacSkinListBuilder::ResetList(bool markStale, bool notify)
{
    StopThread();
    // A scan left open by a stopped build would otherwise stay open for good.
    CloseScan();
    Clear();
    if (markStale) FUpdateNeeded = true;
    if (notify) SendListChanged();
}

void TacSkinListBuilder::AddSkin(const String& name, int intIndex)
{
    TacSkinListData entry;
    entry.skName = name;
    std::optional<std::vector<uint8_t>> preview;
    if (intIndex < 0) {
        preview = FSource.Preview(FPath + name, -1);
        entry.skName = PackedSkinListName(name);
        entry.skSkinMode = smExtPacked;
    } else {
        preview = FSource.Preview(name, intIndex);
        entry.skSkinMode = smInternal;
    }
    Append(entry, preview ? &*preview : nullptr);
}

int TacSkinListBuilder::AddSkinData()
{
    if (!FScanOpen) return 1;
    String name;
    bool isDirectory = false;
    FSource.CurrentEntry(name, isDirectory);
    if (IsListedSkinFile(name, isDirectory)) AddSkin(name, -1);
    return FSource.NextEntry() ? 0 : 1;
}

void TacSkinListBuilder::UpdateData(bool updateNow, unsigned filter)
{
    ResetList(false, true);
    bool notify = true;
    if ((filter & 1) && FSource.InternalCount() > 0) {
        if (updateNow) {
            for (int i = 0; i < FSource.InternalCount(); ++i) AddSkin(FSource.InternalName(i), i);
        } else {
            if (!ThreadRunning()) StartDelayedLoading();
            notify = false;
        }
    }
    if (filter & 2) {
        OpenScanIfExists();
        if (updateNow) {
            while (FDosCode == 0) FDosCode = AddSkinData();
            CloseScan();
            FUpdateNeeded = false;
        } else {
            if (!ThreadRunning()) StartDelayedLoading();
            notify = false;
        }
    }
    if (notify) SendListChanged();
}

void TacSkinListBuilder::StartDelayedLoading()
{
    StopThread();
    FDosCode = 0;
    FCurrentInternalIndex = 0;
    FThread = std::make_unique<TWorker>([this] { return DoStep(); }, FPoster, StepInterval);
    if (OnLoading) OnLoading(true);
}

bool TacSkinListBuilder::DoStep()
{
    if (FCurrentInternalIndex < FSource.InternalCount()) {
        AddSkin(FSource.InternalName(FCurrentInternalIndex), FCurrentInternalIndex);
        ++FCurrentInternalIndex;
        return true;
    }
    if (!FScanOpen) OpenScanIfExists();
    FDosCode = AddSkinData();
    if (FDosCode == 0) return true;
    CloseScan();
    // Done before telling: a listener asking sees no build running.
    if (FThread) FThread->Terminate();
    FUpdateNeeded = false;
    SendListChanged();
    return false;
}

void TacSkinListBuilder::CheckThread()
{
    if (!ThreadRunning()) return;
    StopThread();
    for (; FCurrentInternalIndex < FSource.InternalCount(); ++FCurrentInternalIndex)
        AddSkin(FSource.InternalName(FCurrentInternalIndex), FCurrentInternalIndex);
    // The worker lists the folder after the stored skins; finishing for it does the same.
    if (!FScanOpen) OpenScanIfExists();
    while (FDosCode == 0) FDosCode = AddSkinData();
    CloseScan();
    FUpdateNeeded = false;
    if (OnLoading) OnLoading(false);
    SendListChanged();
}
