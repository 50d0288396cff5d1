#include "skin/engine/skin_list.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "skin/engine/command_delivery.h"
#include "skin/engine/core/general.h"
#include "skin/engine/core/skin_container.h"
#include "skin/engine/skin_manager.h"
#include "skin/engine/system_routines.h"
#include "vcl/streams.h"
#include "vcl/threads.h"

// The manager's stored skins and its skin directory, read on the main thread.
class TacSkinListController::TSource : public TacSkinListSource {
public:
    explicit TSource(TsSkinManager* manager) : FManager(manager) {}
    ~TSource() override { CloseScan(); }

    int InternalCount() override { return FManager->InternalSkins()->Count(); }
    String InternalName(int index) override { return FManager->InternalSkins()->Items(index).Name; }
    String Folder() override { return EnsureTrailingBackslash(FManager->GetFullSkinDirectory()); }
    bool OpenScan(const String& folder) override
    {
        CloseScan();
        if (!DirectoryExistsQuiet(folder)) return false;
        return StartFileSearch(folder + L"*.*", FILE_ATTRIBUTE_DIRECTORY, FSearch) == 0;
    }
    void CurrentEntry(String& name, bool& isDirectory) override
    {
        name = FSearch.Name;
        isDirectory = (FSearch.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool NextEntry() override { return ContinueFileSearch(FSearch) == 0; }
    void CloseScan() override
    {
        if (FSearch.FindHandle != INVALID_HANDLE_VALUE) EndFileSearch(FSearch);
        FSearch.Name.clear();
    }
    std::optional<std::vector<uint8_t>> Preview(const String& path, int intIndex) override
    {
        if (intIndex >= 0) {
            const std::vector<uint8_t>& bytes = FManager->InternalSkins()->Items(intIndex).PackedData.Bytes();
            return ExtractSkinPreview(bytes.data(), bytes.size());
        }
        try {
            const std::vector<uint8_t> bytes = ReadFileBytes(path);
            return ExtractSkinPreview(bytes.data(), bytes.size());
        } catch (...) {
            return std::nullopt;   // unreadable file: listed without a preview
        }
    }

private:
    TsSkinManager* FManager;
    TacSearchRec FSearch;
};

namespace {

// The worker's steps reach the main thread through its queue of calls.
void PostToMainThread(std::function<void()> call)
{
    TThread::Queue(nullptr, [call = std::move(call)] {
        try {
            call();
        } catch (...) {
            // A step that failed leaves the list as far as it got; the next query finishes it.
        }
    });
}

void BroadcastSkinned(LPARAM value)
{
    BroadcastToForms(TMessage{MSG_SKINCOMMAND, SkinCommandWParam(scmIsSkinned), value, 0});
}

}  // namespace

TacSkinListController::TacSkinListController(TsSkinManager* manager)
    : FManager(manager), FSource(std::make_unique<TSource>(manager))
{
    FBuilder = std::make_unique<TacSkinListBuilder>(*FSource, PostToMainThread);
    FBuilder->OnListChanged = [this] { SendListChanged(); };
    FBuilder->OnLoading = [](bool on) { BroadcastSkinned(on ? 1 : 0); };
}

TacSkinListController::~TacSkinListController()
{
    // The worker is joined before the source it reads goes.
    FBuilder.reset();
}

void TacSkinListController::AddControl(TControl* control)
{
    if (!control || CtrlIndex(control) >= 0) return;
    const bool first = std::none_of(FControls.begin(), FControls.end(), [](TControl* c) { return c != nullptr; });
    FControls.push_back(control);
    if (first && SkinList().empty()) ResetList(true, true);
}

void TacSkinListController::DelControl(TControl* control)
{
    const int i = CtrlIndex(control);
    if (i >= 0) FControls[size_t(i)] = nullptr;
}

int TacSkinListController::CtrlIndex(TControl* control) const
{
    if (!control) return -1;
    auto it = std::find(FControls.begin(), FControls.end(), control);
    return it == FControls.end() ? -1 : int(it - FControls.begin());
}

void TacSkinListController::ResetList(bool markStale, bool notify) { FBuilder->ResetList(markStale, notify); }

void TacSkinListController::SendListChanged()
{
    // By index: a control told may unregister itself or others.
    for (size_t i = 0; i < FControls.size(); ++i)
        if (TControl* c = FControls[i]) SendSkinCommandToControl(c, scmSkinListChanged, 0);
}

void TacSkinListController::SendSkinChanged()
{
    // Told at once, windowed or not: posted skin commands are dropped by the message loop's filter.
    for (size_t i = 0; i < FControls.size(); ++i)
        if (TControl* c = FControls[i]) SendSkinCommandToControl(c, scmSkinChangedNotify, 0);
}

void TacSkinListController::UpdateIfNeeded(bool forceUpdating)
{
    // A list built from another folder is stale.
    if (!FBuilder->UpdateNeeded() && !SameText(FBuiltFolder, FManager->GetFullSkinDirectory())) ResetList(true, true);
    if (FBuilder->UpdateNeeded()) FBuilder->SetUpdateNeeded(!UpdateData(forceUpdating));
}

bool TacSkinListController::UpdateData(bool updateNow)
{
    if (FManager->HasState(csLoading | csDestroying)) return false;
    FBuiltFolder = FManager->GetFullSkinDirectory();
    TsSkinManager* def = DefaultManager;
    if (!def || def == FManager || !SameText(def->SkinDirectory(), FManager->SkinDirectory())) {
        FBuilder->UpdateData(updateNow, FManager->SkinsFilter());
        return true;
    }
    // Another manager over the same folder: its list, without reading the disk again.
    CopyListOf(*def->SkinListController());
    SendListChanged();
    return true;
}

void TacSkinListController::CheckThread() { FBuilder->CheckThread(); }

void TacSkinListController::CopyListOf(TacSkinListController& other)
{
    if (&other == this) return;
    FBuilder->ResetList(false, false);
    other.CheckThread();
    other.UpdateIfNeeded(true);
    for (const TacSkinListData& e : other.SkinList()) {
        const bool hasPreview = e.skImageIndex >= 0 && size_t(e.skImageIndex) < other.Previews().size();
        FBuilder->Append(e, hasPreview ? &other.Previews()[size_t(e.skImageIndex)] : nullptr);
    }
    FBuiltFolder = FManager->GetFullSkinDirectory();
    FBuilder->SetUpdateNeeded(false);
}

// ---- the manager's side ----------------------------------------------------------------------

TacSkinListController* TsSkinManager::SkinListController()
{
    if (!FSkinListController) FSkinListController = std::make_shared<TacSkinListController>(this);
    return FSkinListController.get();
}

void TsSkinManager::SetSkinsFilter(TacSkinsFilter value)
{
    if (value == FSkinsFilter) return;
    FSkinsFilter = value;
    SkinListController()->ResetList(true, true);
    if (OnSkinListChanged) OnSkinListChanged(this);
}

void TsSkinManager::MarkSkinListStale()
{
    if (FSkinListController) FSkinListController->SetUpdateNeeded(true);
}

String TsSkinManager::GetSkinNames(TStrings& list, bool createDataObject, TacSkinType skinType)
{
    TacSkinListController* c = SkinListController();
    c->CheckThread();
    // Stored skins added since the last build.
    const int stored = int(std::count_if(c->SkinList().begin(), c->SkinList().end(),
                                         [](const TacSkinListData& e) { return e.skSkinMode == smInternal; }));
    if (!c->UpdateNeeded() && (SkinsFilter() & sfiInternal) && stored != FInternalSkins.Count())
        c->SetUpdateNeeded(true);
    c->UpdateIfNeeded(true);
    return c->ListNames(list, createDataObject,
                        [skinType](const TacSkinListData& e) { return SkinTypeSelects(skinType, e); });
}

String TsSkinManager::GetExternalSkinNames(TStrings& list, bool createDataObject, TacSkinType)
{
    TacSkinListController* c = SkinListController();
    TsSkinManager* def = DefaultManager;
    if (def && def != this && SameText(def->SkinDirectory(), FSkinDirectory)) {
        c->CopyListOf(*def->SkinListController());
    } else {
        c->CheckThread();
        c->UpdateIfNeeded(true);
    }
    return c->ListNames(list, createDataObject, [](const TacSkinListData& e) { return e.skSkinMode != smInternal; });
}

String TsSkinManager::GetRandomSkin()
{
    TStringList names;
    GetSkinNames(names, false, stAllSkins);
    if (names.Count() == 0) return String();
    // Seeded afresh from the clock at every call.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    std::mt19937 random(static_cast<uint32_t>(now.QuadPart ^ (now.QuadPart >> 32) ^ GetTickCount64()));
    return names.Get(std::uniform_int_distribution<int>(0, names.Count() - 1)(random));
}
