// The skin list: which folder files it names and how, its synchronous and stepwise builds,
// and a worker that is restarted or whose builder goes away while it runs.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "skin/engine/core/skin_list_names.h"

namespace {

TEST(SkinListNames, FolderEntries)
{
    struct Case {
        const wchar_t* file;
        bool directory;
        bool listed;
        const wchar_t* name;   // the entry's name when listed
    };
    const Case cases[] = {
        {L"A.asz", false, true, L"A"},
        {L"B.ASZ", false, false, nullptr},
        {L"C.zip", false, false, nullptr},
        {L"Mixed.Asz", false, false, nullptr},
        {L".hidden.asz", false, false, nullptr},
        {L"Folder.asz", true, false, nullptr},
        {L"asz", false, false, nullptr},
        {L"Dark.asz.asz", false, true, L"Dark.asz"},
        {L"Old.ASZ.asz", false, true, L"Old.asz"},   // the first ".asz" of the lower-cased name goes
        {L"My skin.asz", false, true, L"My skin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.file, c.file + wcslen(c.file)));
        EXPECT_EQ(IsListedSkinFile(c.file, c.directory), c.listed);
        if (c.listed) EXPECT_EQ(PackedSkinListName(c.file), c.name);
    }
}

// A list that is not a plain string list (as a control's items are): lines with objects it
// does not own.
class TItems : public TStrings {
public:
    int Count() const override { return int(FLines.size()); }
    String Get(int index) const override { return FLines.at(size_t(index)).first; }
    TObject* Objects(int index) const override { return FLines.at(size_t(index)).second; }
    void PutObject(int index, TObject* obj) override { FLines.at(size_t(index)).second = obj; }
    void Insert(int index, const String& s) override { FLines.insert(FLines.begin() + index, {s, nullptr}); }
    void Delete(int index) override { FLines.erase(FLines.begin() + index); }
    void Clear() override { FLines.clear(); }

private:
    std::vector<std::pair<String, TObject*>> FLines;
};

std::vector<String> LinesOf(const TStrings& list)
{
    std::vector<String> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
}

int ImageIndexOf(const TStrings& list, int line)
{
    auto* data = dynamic_cast<TacSkinItemData*>(list.Objects(line));
    return data ? data->ImageIndex : -99;
}

// Names by kind, sorted, the answer the first one in list order; with item data every name
// carries its preview's index, whoever keeps the data. Run under the sanitizers: a list filled
// again, or freed, leaves no data behind and frees none twice.
TEST(SkinListNames, NamesByKindWithTheirItemData)
{
    const std::vector<TacSkinListData> entries = {
        {smInternal, -1, L"Neutral"}, {smInternal, -1, L"Dark"}, {smExtPacked, 0, L"Copper"},
        {smExtPacked, -1, L"Amber"}};
    struct Case {
        TacSkinType type;
        std::vector<String> names;
        const wchar_t* first;
    };
    const Case cases[] = {
        {stAllSkins, {L"Amber", L"Copper", L"Dark", L"Neutral"}, L"Neutral"},
        {stPacked, {L"Dark", L"Neutral"}, L"Neutral"},
        {stUnpacked, {L"Amber", L"Copper"}, L"Copper"},
    };
    TacSkinItemDataStore store;
    TStringList owning(true), plain;
    TItems items;
    for (const Case& c : cases) {
        for (TStrings* list : {static_cast<TStrings*>(&owning), static_cast<TStrings*>(&plain),
                               static_cast<TStrings*>(&items)}) {
            SCOPED_TRACE(testing::Message() << "kind " << int(c.type)
                                            << (list == &owning ? " owning" : list == &plain ? " plain" : " items"));
            list->Add(L"left over");
            const auto selected = [&](const TacSkinListData& e) { return SkinTypeSelects(c.type, e); };
            EXPECT_EQ(ListSkinNames(entries, *list, true, selected, store), c.first);
            EXPECT_EQ(LinesOf(*list), c.names);
            for (int i = 0; i < list->Count(); ++i)
                EXPECT_EQ(ImageIndexOf(*list, i), list->Get(i) == L"Copper" ? 0 : -1) << i;
            EXPECT_EQ(store.count(list), list == &owning ? 0u : 1u);
        }
    }
    // Without item data the lines carry none, and the store lets go of what the list had.
    ListSkinNames(entries, plain, false, [](const TacSkinListData&) { return true; }, store);
    EXPECT_EQ(plain.Count(), 4);
    for (int i = 0; i < plain.Count(); ++i) EXPECT_EQ(plain.Objects(i), nullptr);
    EXPECT_EQ(store.count(&plain), 0u);
    const auto none = [](const TacSkinListData&) { return false; };
    EXPECT_EQ(ListSkinNames(entries, items, true, none, store), String());
    EXPECT_EQ(items.Count(), 0);
}

// A sorted list that ignores duplicates keeps one line of a name listed twice, with the data of
// the first (and only one data object made for it).
TEST(SkinListNames, ASortedListKeepsOneLineOfADuplicate)
{
    const std::vector<TacSkinListData> entries = {
        {smExtPacked, 3, L"Copper"}, {smInternal, -1, L"Copper"}, {smInternal, -1, L"Blue"}};
    TacSkinItemDataStore store;
    for (bool owns : {true, false}) {
        SCOPED_TRACE(owns);
        TStringList sorted(owns);
        sorted.SetSorted(true);
        EXPECT_EQ(ListSkinNames(entries, sorted, true, [](const TacSkinListData&) { return true; }, store), L"Copper");
        EXPECT_EQ(LinesOf(sorted), (std::vector<String>{L"Blue", L"Copper"}));
        EXPECT_EQ(ImageIndexOf(sorted, 1), 3);
        EXPECT_EQ(store.count(&sorted), owns ? 0u : 1u);
        if (!owns) {
            EXPECT_EQ(store[&sorted].size(), 2u);
        }
        store.erase(&sorted);
    }
}

// The main thread's queue of handed-over calls.
class MainQueue {
public:
    TacSkinListBuilder::TPoster Poster()
    {
        return [this](std::function<void()> call) {
            std::lock_guard<std::mutex> g(FLock);
            FCalls.push_back(std::move(call));
            FWake.notify_all();
        };
    }
    // Waits (bounded) for the next handed-over call and takes it.
    std::function<void()> Take()
    {
        std::unique_lock<std::mutex> l(FLock);
        if (!FWake.wait_for(l, std::chrono::seconds(10), [&] { return !FCalls.empty(); })) return {};
        auto call = std::move(FCalls.front());
        FCalls.pop_front();
        return call;
    }
    bool RunOne()
    {
        auto call = Take();
        if (!call) return false;
        call();
        return true;
    }
    size_t Pending()
    {
        std::lock_guard<std::mutex> g(FLock);
        return FCalls.size();
    }

private:
    std::mutex FLock;
    std::condition_variable FWake;
    std::deque<std::function<void()>> FCalls;
};

struct Entry {
    String name;
    bool directory;
};

class FakeSource : public TacSkinListSource {
public:
    std::vector<String> Internal = {L"Dark", L"Light", L"Neutral"};
    std::map<String, std::vector<Entry>> Folders;
    std::map<String, std::vector<uint8_t>> Previews;   // by stored name or file path
    String SkinFolder = L"skins\\";
    int Opened = 0, Closed = 0;

    int InternalCount() override { return int(Internal.size()); }
    String InternalName(int index) override { return Internal.at(size_t(index)); }
    String Folder() override { return SkinFolder; }
    bool OpenScan(const String& folder) override
    {
        auto it = Folders.find(folder);
        if (it == Folders.end() || it->second.empty()) return false;
        ++Opened;
        FScan = &it->second;
        FAt = 0;
        return true;
    }
    void CurrentEntry(String& name, bool& isDirectory) override
    {
        name = FScan->at(FAt).name;
        isDirectory = FScan->at(FAt).directory;
    }
    bool NextEntry() override { return ++FAt < FScan->size(); }
    void CloseScan() override
    {
        ++Closed;
        FScan = nullptr;
    }
    std::optional<std::vector<uint8_t>> Preview(const String& path, int) override
    {
        auto it = Previews.find(path);
        if (it == Previews.end()) return std::nullopt;
        return it->second;
    }

private:
    std::vector<Entry>* FScan = nullptr;
    size_t FAt = 0;
};

const std::vector<uint8_t> PngBytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};

struct Fixture {
    MainQueue queue;   // outlives the builder: a worker may hand over until it is joined
    FakeSource source;
    std::unique_ptr<TacSkinListBuilder> builder;
    int changed = 0;
    std::vector<bool> loading;

    Fixture()
    {
        source.Folders[L"skins\\"] = {{L".", true},           {L"..", true},      {L"A.asz", false},
                                      {L"B.ASZ", false},       {L"C.zip", false},  {L"Sub", true},
                                      {L"Dark.asz", false}};
        builder = std::make_unique<TacSkinListBuilder>(source, queue.Poster());
        builder->StepInterval = std::chrono::milliseconds(0);
        builder->OnListChanged = [this] { ++changed; };
        builder->OnLoading = [this](bool on) { loading.push_back(on); };
    }
    std::vector<String> Names() const
    {
        std::vector<String> names;
        for (const TacSkinListData& e : builder->SkinList()) names.push_back(e.skName);
        return names;
    }
};

const std::vector<String> AllNames = {L"Dark", L"Light", L"Neutral", L"A", L"Dark"};

TEST(SkinListBuilder, SynchronousBuild)
{
    Fixture f;
    f.source.Previews[L"Light"] = PngBytes;
    f.source.Previews[L"skins\\A.asz"] = PngBytes;
    f.source.Previews[L"Neutral"] = {1, 2, 3};   // not a PNG picture: no preview
    f.builder->UpdateData(true, 3);
    EXPECT_EQ(f.Names(), AllNames);
    const auto& list = f.builder->SkinList();
    const int images[] = {-1, 0, -1, 1, -1};
    const TacSkinMode modes[] = {smInternal, smInternal, smInternal, smExtPacked, smExtPacked};
    for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].skImageIndex, images[i]) << i;
        EXPECT_EQ(list[i].skSkinMode, modes[i]) << i;
    }
    EXPECT_EQ(f.builder->Previews().size(), 2u);
    EXPECT_FALSE(f.builder->UpdateNeeded());
    EXPECT_EQ(f.changed, 2);   // the reset, the finished list
    EXPECT_EQ(f.builder->Thread(), nullptr);
    EXPECT_EQ(f.source.Opened, f.source.Closed);

    // Stored skins only: the folder is not read; a missing folder adds nothing.
    f.builder->UpdateData(true, 1);
    EXPECT_EQ(f.Names(), (std::vector<String>{L"Dark", L"Light", L"Neutral"}));
    EXPECT_EQ(f.source.Opened, 1);
    f.source.SkinFolder = L"missing\\";
    f.builder->UpdateData(true, 3);
    EXPECT_EQ(f.builder->SkinList().size(), 3u);
}

TEST(SkinListBuilder, StepwiseBuildOneEntryPerStep)
{
    Fixture f;
    f.builder->UpdateData(false, 1);   // the worker lists the folder as well
    EXPECT_TRUE(f.builder->ThreadRunning());
    EXPECT_TRUE(f.builder->SkinList().empty());
    EXPECT_EQ(f.loading, std::vector<bool>{true});
    const size_t sizes[] = {1, 2, 3};
    for (size_t n : sizes) {
        ASSERT_TRUE(f.queue.RunOne());
        EXPECT_EQ(f.builder->SkinList().size(), n);
    }
    while (f.builder->ThreadRunning()) ASSERT_TRUE(f.queue.RunOne());
    EXPECT_EQ(f.Names(), AllNames);
    EXPECT_FALSE(f.builder->UpdateNeeded());
    EXPECT_EQ(f.changed, 2);
    EXPECT_EQ(f.source.Opened, f.source.Closed);
    EXPECT_EQ(f.queue.Pending(), 0u);
}

TEST(SkinListBuilder, FinishingAtOnceMidBuild)
{
    Fixture f;
    f.builder->UpdateData(false, 3);
    ASSERT_TRUE(f.queue.RunOne());
    ASSERT_TRUE(f.queue.RunOne());
    EXPECT_EQ(f.builder->SkinList().size(), 2u);
    f.builder->CheckThread();
    EXPECT_EQ(f.Names(), AllNames);
    EXPECT_EQ(f.loading, (std::vector<bool>{true, false}));
    EXPECT_EQ(f.builder->Thread(), nullptr);
    EXPECT_EQ(f.source.Opened, f.source.Closed);
    // A step the stopped worker handed over meanwhile does nothing.
    while (f.queue.Pending()) f.queue.RunOne();
    EXPECT_EQ(f.Names(), AllNames);
}

TEST(SkinListBuilder, RestartsWhileScanning)
{
    Fixture f;
    for (int cycle = 0; cycle < 200; ++cycle) {
        SCOPED_TRACE(cycle);
        if (cycle % 2) f.builder->StartDelayedLoading();   // restart without emptying
        else f.builder->UpdateData(false, 3);
        ASSERT_TRUE(f.builder->ThreadRunning());
        // Into the folder scan, then a step handed over but not run yet.
        for (int i = 0; i < 3 + cycle % 4; ++i) ASSERT_TRUE(f.queue.RunOne());
        auto stale = f.queue.Take();
        ASSERT_TRUE(stale);
        if (cycle % 3 == 0) f.builder->ResetList(true, true);
        const size_t before = f.builder->SkinList().size();
        f.builder->StartDelayedLoading();
        stale();   // the old worker's step: nothing
        EXPECT_EQ(f.builder->SkinList().size(), before);
        f.builder->ResetList(true, false);
        EXPECT_EQ(f.builder->Thread(), nullptr);
        while (f.queue.Pending()) f.queue.RunOne();
        EXPECT_TRUE(f.builder->SkinList().empty());
    }
    EXPECT_EQ(f.source.Opened, f.source.Closed);
    // A build after all that completes as ever.
    f.builder->UpdateData(false, 3);
    while (f.builder->ThreadRunning()) ASSERT_TRUE(f.queue.RunOne());
    EXPECT_EQ(f.Names(), AllNames);
}

TEST(SkinListBuilder, DestroyedWhileScanning)
{
    for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE(variant);
        Fixture f;
        f.builder->UpdateData(false, 3);
        for (int i = 0; i < 4; ++i) ASSERT_TRUE(f.queue.RunOne());
        std::function<void()> stale;
        if (variant > 0) stale = f.queue.Take();   // a step on its way to the main thread
        f.builder.reset();
        EXPECT_EQ(f.source.Opened, f.source.Closed);
        if (stale) stale();   // runs after the builder is gone: touches nothing of it
        while (f.queue.Pending()) f.queue.RunOne();
    }
}

TEST(SkinListBuilder, ListenerResetsOrDestroysInTheLastStep)
{
    {
        Fixture f;
        f.builder->UpdateData(false, 3);
        bool reset = false;
        f.builder->OnListChanged = [&] {
            if (!reset) {
                reset = true;
                EXPECT_FALSE(f.builder->ThreadRunning());
                f.builder->ResetList(true, false);   // stops the worker whose step this is
            }
        };
        while (!reset) ASSERT_TRUE(f.queue.RunOne());
        EXPECT_EQ(f.builder->Thread(), nullptr);
        EXPECT_TRUE(f.builder->UpdateNeeded());
    }
    {
        Fixture f;
        f.builder->UpdateData(false, 3);
        f.builder->OnListChanged = [&] { f.builder.reset(); };
        while (f.builder) ASSERT_TRUE(f.queue.RunOne());
        EXPECT_EQ(f.source.Opened, f.source.Closed);
    }
}

}  // namespace
