// The list of skins a manager offers (its stored skins, then the packed files of its skin
// directory) for controls that let the user choose one. The list is built at once or in small
// steps handed from a worker to the main thread; registered controls are told when it or the
// active skin changed.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "skin/engine/core/skin_list_names.h"
#include "vcl/controls.h"

class TsSkinManager;

class TacSkinListController {
public:
    explicit TacSkinListController(TsSkinManager* manager);
    ~TacSkinListController();
    TacSkinListController(const TacSkinListController&) = delete;
    TacSkinListController& operator=(const TacSkinListController&) = delete;

    TsSkinManager* SkinManager() const { return FManager; }
    const std::vector<TacSkinListData>& SkinList() const { return FBuilder->SkinList(); }
    // The PNG data of the previews, indexed by an entry's skImageIndex.
    const std::vector<std::vector<uint8_t>>& Previews() const { return FBuilder->Previews(); }
    bool UpdateNeeded() const { return FBuilder->UpdateNeeded(); }
    void SetUpdateNeeded(bool value) { FBuilder->SetUpdateNeeded(value); }
    // The worker of a stepwise build (nil when none).
    const TacSkinListBuilder::TWorker* Thread() const { return FBuilder->Thread(); }
    bool ThreadRunning() const { return FBuilder->ThreadRunning(); }
    TacSkinListBuilder& Builder() { return *FBuilder; }

    // Registered controls; a removed one leaves an empty slot.
    const std::vector<TControl*>& Controls() const { return FControls; }
    void AddControl(TControl* control);
    void DelControl(TControl* control);
    int CtrlIndex(TControl* control) const;

    void ResetList(bool markStale, bool notify);
    // scmSkinListChanged to every registered control.
    void SendListChanged();
    // scmSkinChangedNotify to every registered control.
    void SendSkinChanged();
    void UpdateIfNeeded(bool forceUpdating);
    bool UpdateData(bool updateNow);
    void CheckThread();
    void StartDelayedLoading() { FBuilder->StartDelayedLoading(); }
    // This list becomes a copy of the other controller's, finished first (entries and
    // previews); it is then not stale. Nobody is told.
    void CopyListOf(TacSkinListController& other);
    // ListSkinNames over this list, the item data kept by the controller.
    String ListNames(TStrings& list, bool createDataObject, const std::function<bool(const TacSkinListData&)>& selected)
    {
        return ListSkinNames(SkinList(), list, createDataObject, selected, FItemData);
    }

private:
    class TSource;
    TsSkinManager* FManager;
    std::unique_ptr<TSource> FSource;
    std::unique_ptr<TacSkinListBuilder> FBuilder;
    std::vector<TControl*> FControls;
    String FBuiltFolder;   // the skin directory the list was built from
    TacSkinItemDataStore FItemData;
};
