// The manager's list of skins under Wine: the program's stored skins and the packed files of the
// skin directory, built at once or in steps on the main thread, restarted and torn down while a
// build runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <set>

#include "skin/engine/skin_commands.h"
#include "skin/engine/skin_list.h"
#include "skin/engine/skin_manager.h"
#include "skins/stored_skins.h"
#include "tests/common/test_support.h"
#include "vcl/threads.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

struct ManagerDeleter {
    void operator()(TsSkinManager* m) const { TObject::Free(m); }
};
using ManagerPtr = std::unique_ptr<TsSkinManager, ManagerDeleter>;

ManagerPtr NewManager(const String& dir)
{
    ManagerPtr m(new TsSkinManager(nullptr));
    for (int i = 0; i < ProgramStoredSkinCount; ++i) {
        const TStoredSkinBytes& s = ProgramStoredSkins()[i];
        TsStoredSkin& item = m->InternalSkins()->Add();
        item.Name = s.Name;
        item.PackedData.WriteBuffer(s.Data, int64_t(s.Size));
    }
    m->SetSkinDirectory(dir);
    return m;
}

// A fresh skin folder: one packed skin among files and folders the list leaves out.
struct TSkinFolder {
    String Path;
    explicit TSkinFolder(bool withSkin)
    {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        Path = String(tmp) + L"qw_skin_list_" + IntToStr(int64_t(GetCurrentProcessId())) + L"\\";
        Remove();
        CreateDirectoryW(Path.c_str(), nullptr);
        CreateDirectoryW((Path + L"Folder.asz").c_str(), nullptr);
        const TStoredSkinBytes& s = ProgramStoredSkins()[0];
        const std::vector<uint8_t> bytes(s.Data, s.Data + s.Size);
        const wchar_t* files[] = {L"Upper.ASZ", L"notes.txt", L".hidden.asz"};
        for (const wchar_t* f : files) WriteFileBytes(Path + f, bytes);
        if (withSkin) WriteFileBytes(Path + L"Copper.asz", bytes);
    }
    ~TSkinFolder() { Remove(); }
    void Remove()
    {
        const wchar_t* files[] = {L"Upper.ASZ", L"notes.txt", L".hidden.asz", L"Copper.asz"};
        for (const wchar_t* f : files) DeleteFileW((Path + f).c_str());
        RemoveDirectoryW((Path + L"Folder.asz").c_str());
        RemoveDirectoryW(Path.c_str());
    }
};

// A control that records the skin-list notifications and the thread they came on.
class TListWatcher : public TGraphicControl {
public:
    TListWatcher() : TGraphicControl(nullptr) {}
    int ListChanged = 0, SkinChanged = 0;
    bool OffMainThread = false;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == MSG_SKINCOMMAND) {
            const unsigned code = unsigned(HIWORD(m.WParam));
            if (code == scmSkinListChanged) ++ListChanged;
            if (code == scmSkinChangedNotify) ++SkinChanged;
            if (!IsMainThread()) OffMainThread = true;
        }
        TGraphicControl::WndProc(m);
    }
};

std::vector<String> Names(const TacSkinListController& c)
{
    std::vector<String> names;
    for (const TacSkinListData& e : c.SkinList()) names.push_back(e.skName);
    return names;
}

TEST(SkinList, StoredSkinsAndPackedFiles)
{
    TSkinFolder folder(false);
    ManagerPtr m = NewManager(folder.Path);
    TStringList names;
    EXPECT_EQ(m->GetSkinNames(names), ProgramStoredSkins()[0].Name);
    ASSERT_EQ(names.Count(), 3);   // the three stored skins make three entries
    TacSkinListController* c = m->SkinListController();
    for (const TacSkinListData& e : c->SkinList()) {
        EXPECT_EQ(e.skSkinMode, smInternal);
        EXPECT_EQ(e.skImageIndex, -1);
    }

    // A packed skin put into the folder: the next query after a reset lists it, after the stored ones.
    const TStoredSkinBytes& s = ProgramStoredSkins()[0];
    WriteFileBytes(folder.Path + L"Copper.asz", std::vector<uint8_t>(s.Data, s.Data + s.Size));
    c->ResetList(true, true);
    m->GetSkinNames(names);
    EXPECT_EQ(names.Count(), 4);
    ASSERT_EQ(c->SkinList().size(), 4u);
    EXPECT_EQ(c->SkinList()[3].skName, L"Copper");
    EXPECT_EQ(c->SkinList()[3].skSkinMode, smExtPacked);
    m->GetSkinNames(names, false, stUnpacked);
    ASSERT_EQ(names.Count(), 1);
    EXPECT_EQ(names[0], L"Copper");
    m->GetSkinNames(names, false, stPacked);
    EXPECT_EQ(names.Count(), 3);

    // A second manager over the same folder copies the default manager's list, not the disk.
    ASSERT_EQ(DefaultManager, m.get());
    DeleteFileW((folder.Path + L"Copper.asz").c_str());
    {
        ManagerPtr second = NewManager(folder.Path);
        second->GetSkinNames(names, false, stUnpacked);
        ASSERT_EQ(names.Count(), 1);
        EXPECT_EQ(names[0], L"Copper");
    }

    // Another folder: the list follows it.
    m->SetSkinDirectory(folder.Path + L"Folder.asz");
    m->GetSkinNames(names);
    EXPECT_EQ(names.Count(), 3);
}

// What the manager changes reaches its list: a new folder or filter empties it and tells its
// controls and the manager's listeners, a filter set again changes nothing, and the skin's
// name and the manager's switch tell the controls that the active skin changed.
TEST(SkinList, TheManagerKeepsItsListCurrent)
{
    TSkinFolder folder(true);
    ManagerPtr m = NewManager(folder.Path);
    TacSkinListController* c = m->SkinListController();
    TListWatcher watcher;
    c->AddControl(&watcher);
    struct TCount {
        int changed = 0;
        void Changed(TObject*) { ++changed; }
    } events;
    m->OnSkinListChanged = Bind<&TCount::Changed>(&events);
    TStringList names;
    m->GetSkinNames(names);
    ASSERT_EQ(c->SkinList().size(), 4u);

    struct Step {
        const char* what;
        std::function<void()> act;
        int listChanged, skinChanged, events;
        bool emptied;
    } steps[] = {
        {"another folder", [&] { m->SetSkinDirectory(folder.Path + L"Folder.asz"); }, 1, 0, 1, true},
        {"the same filter", [&] { m->SetSkinsFilter(sfiInternal | sfiExternal); }, 0, 0, 0, false},
        {"stored skins only", [&] { m->SetSkinsFilter(sfiInternal); }, 1, 0, 1, true},
        {"a skin by name", [&] { m->SetSkinName(L"Dark"); }, 0, 1, 0, false},
        {"switched off", [&] { m->SetActive(false); }, 0, 1, 0, false},
        {"switched on", [&] { m->SetActive(true); }, 0, 1, 0, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m->GetSkinNames(names);
        const int list = watcher.ListChanged, skin = watcher.SkinChanged, fired = events.changed;
        step.act();
        EXPECT_EQ(watcher.ListChanged - list, step.listChanged);
        EXPECT_EQ(watcher.SkinChanged - skin, step.skinChanged);
        EXPECT_EQ(events.changed - fired, step.events);
        EXPECT_EQ(c->SkinList().empty(), step.emptied);
        EXPECT_EQ(c->UpdateNeeded(), step.emptied);
    }
    // The filter holds for the next build: the stored skins alone.
    m->SetSkinDirectory(folder.Path);
    m->GetSkinNames(names);
    EXPECT_EQ(names.Count(), 3);
    EXPECT_TRUE(m->IsActive());
    c->DelControl(&watcher);
}

// The bytes of a packed skin with a preview picture in them (a PNG signature is all the list
// looks at).
std::vector<uint8_t> WithPreview(std::vector<uint8_t> bytes)
{
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3, 4};
    const char marker[] = "previewimg";
    bytes.insert(bytes.end(), marker, marker + 10);
    const int32_t size = int32_t(png.size());
    const auto* p = reinterpret_cast<const uint8_t*>(&size);
    bytes.insert(bytes.end(), p, p + 4);
    bytes.insert(bytes.end(), png.begin(), png.end());
    return bytes;
}

int ImageIndexOf(const TStrings& list, int line)
{
    auto* data = dynamic_cast<TacSkinItemData*>(list.Objects(line));
    return data ? data->ImageIndex : -99;
}

// The skins not stored in the program, with their previews' indexes. A second manager over the
// default manager's folder (named in another case) copies the default manager's whole list and
// previews, without reading the folder; a manager over another folder reads its own.
TEST(SkinList, ExternalNamesCopiedFromTheDefaultManager)
{
    TSkinFolder folder(false);
    const TStoredSkinBytes& stored = ProgramStoredSkins()[0];
    const std::vector<uint8_t> bytes(stored.Data, stored.Data + stored.Size);
    WriteFileBytes(folder.Path + L"Copper.asz", WithPreview(bytes));
    ManagerPtr m = NewManager(folder.Path);
    ASSERT_EQ(DefaultManager, m.get());
    TStringList names(true);
    EXPECT_EQ(m->GetExternalSkinNames(names, true), L"Copper");
    ASSERT_EQ(names.Count(), 1);
    EXPECT_EQ(ImageIndexOf(names, 0), 0);
    TacSkinListController* own = m->SkinListController();
    ASSERT_EQ(own->Previews().size(), 1u);

    DeleteFileW((folder.Path + L"Copper.asz").c_str());
    ManagerPtr second = NewManager(LowerCase(folder.Path));
    TListWatcher watcher;
    second->SkinListController()->AddControl(&watcher);
    const int told = watcher.ListChanged;
    TStringList external;
    EXPECT_EQ(second->GetExternalSkinNames(external, true), L"Copper");
    ASSERT_EQ(external.Count(), 1);
    EXPECT_EQ(ImageIndexOf(external, 0), 0);
    const TacSkinListController* copy = second->SkinListController();
    EXPECT_FALSE(copy->UpdateNeeded());
    ASSERT_EQ(copy->SkinList().size(), own->SkinList().size());
    for (size_t i = 0; i < copy->SkinList().size(); ++i) {
        EXPECT_EQ(copy->SkinList()[i].skName, own->SkinList()[i].skName);
        EXPECT_EQ(copy->SkinList()[i].skSkinMode, own->SkinList()[i].skSkinMode);
        EXPECT_EQ(copy->SkinList()[i].skImageIndex, own->SkinList()[i].skImageIndex);
    }
    EXPECT_EQ(copy->Previews(), own->Previews());
    EXPECT_EQ(watcher.ListChanged, told);   // the copy asked for names tells no control
    second->SkinListController()->DelControl(&watcher);

    TSkinFolder empty(false);
    ManagerPtr third = NewManager(empty.Path + L"Folder.asz");
    EXPECT_EQ(third->GetExternalSkinNames(external, false), String());
    EXPECT_EQ(external.Count(), 0);
}

// A random skin is one of the listed skins, not always the same one; none without skins.
TEST(SkinList, ARandomSkin)
{
    TSkinFolder folder(true);
    ManagerPtr m = NewManager(folder.Path);
    TStringList names;
    m->GetSkinNames(names);
    ASSERT_EQ(names.Count(), 4);
    std::set<String> picked;
    for (int i = 0; i < 60; ++i) {
        const String name = m->GetRandomSkin();
        EXPECT_GE(names.IndexOf(name), 0) << name;
        picked.insert(name);
    }
    EXPECT_GE(picked.size(), 2u);

    ManagerPtr bare(new TsSkinManager(nullptr));
    bare->SetSkinDirectory(folder.Path + L"Folder.asz");
    EXPECT_EQ(bare->GetRandomSkin(), String());
}

// Switching a manager without a skin name off tells the list's controls, and nothing else.
TEST(SkinList, SwitchedOffWithoutASkinNameTellsOnlyTheList)
{
    TSkinFolder folder(false);
    ManagerPtr m = NewManager(folder.Path);
    ASSERT_TRUE(m->SkinName().empty());
    TListWatcher watcher;
    m->SkinListController()->AddControl(&watcher);
    struct TCount {
        int deactivated = 0;
        void Deactivate(TObject*) { ++deactivated; }
    } events;
    m->OnDeactivate = Bind<&TCount::Deactivate>(&events);
    const int list = watcher.ListChanged;
    m->SetActive(false);
    EXPECT_EQ(watcher.SkinChanged, 1);
    EXPECT_EQ(watcher.ListChanged, list);
    EXPECT_EQ(events.deactivated, 0);
    m->SetActive(false);   // unchanged
    EXPECT_EQ(watcher.SkinChanged, 1);
    m->SkinListController()->DelControl(&watcher);
}

TEST(SkinList, StepwiseOnTheMainThread)
{
    TSkinFolder folder(true);
    ManagerPtr m = NewManager(folder.Path);
    TacSkinListController* c = m->SkinListController();
    c->Builder().StepInterval = std::chrono::milliseconds(0);
    TListWatcher watcher;
    c->AddControl(&watcher);
    c->AddControl(&watcher);
    EXPECT_EQ(c->CtrlIndex(&watcher), 0);
    EXPECT_EQ(c->Controls().size(), 1u);

    c->UpdateData(false);
    EXPECT_TRUE(c->ThreadRunning());
    const int before = watcher.ListChanged;
    EXPECT_TRUE(c->SkinList().empty());
    // The steps run only while the main thread serves its calls.
    ASSERT_TRUE(PumpUntil([&] { return !c->ThreadRunning(); }));
    EXPECT_EQ(Names(*c).size(), 4u);
    EXPECT_EQ(Names(*c).back(), L"Copper");
    EXPECT_FALSE(c->UpdateNeeded());
    EXPECT_EQ(watcher.ListChanged, before + 1);
    EXPECT_FALSE(watcher.OffMainThread);

    // Asking for the names mid-build answers them all at once.
    c->UpdateData(false);
    ASSERT_TRUE(PumpUntil([&] { return c->SkinList().size() >= 2; }));
    TStringList names;
    m->GetSkinNames(names);
    EXPECT_EQ(names.Count(), 4);
    EXPECT_FALSE(c->ThreadRunning());

    c->SendSkinChanged();
    EXPECT_EQ(watcher.SkinChanged, 1);
    c->DelControl(&watcher);
    EXPECT_EQ(c->CtrlIndex(&watcher), -1);
    EXPECT_EQ(c->Controls().size(), 1u);   // the slot stays, empty
    c->SendSkinChanged();
    EXPECT_EQ(watcher.SkinChanged, 1);
}

TEST(SkinList, RestartsAndTeardownWhileBuilding)
{
    TSkinFolder folder(true);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ManagerPtr m = NewManager(folder.Path);
        TacSkinListController* c = m->SkinListController();
        c->Builder().StepInterval = std::chrono::milliseconds(0);
        for (int cycle = 0; cycle < 200; ++cycle) {
            if (cycle % 2) c->ResetList(true, false);
            c->UpdateData(false);
            ASSERT_TRUE(c->ThreadRunning());
            PumpUntil([&] { return c->SkinList().size() >= size_t(cycle % 5); }, 2000);
        }
        // The last build runs to its end; old workers' steps left in the queue add nothing.
        ASSERT_TRUE(PumpUntil([&] { return !c->ThreadRunning(); }));
        PumpFor(20);
        EXPECT_EQ(c->SkinList().size(), 4u);

        // The manager goes while a build runs and its steps wait in the queue.
        c->UpdateData(false);
        PumpUntil([&] { return c->SkinList().size() >= size_t(round); }, 2000);
        m.reset();
        PumpFor(30);
    }
}

}  // namespace
