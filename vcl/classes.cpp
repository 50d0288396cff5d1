#include "vcl/classes.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <typeindex>

#if defined(__GNUC__) || defined(__clang__)
#include <cxxabi.h>
#endif

String ClassNameOfType(const std::type_info& type)
{
    static std::mutex lock;
    static std::map<std::type_index, String> cache;
    std::lock_guard<std::mutex> guard(lock);
    auto it = cache.find(type);
    if (it != cache.end()) return it->second;
    std::string name = type.name();
#if defined(__GNUC__) || defined(__clang__)
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    if (status == 0 && demangled) name = demangled;
    std::free(demangled);
#endif
    // Drop namespaces and template arguments: "ns::TFoo<int>" -> "TFoo".
    size_t lt = name.find('<');
    if (lt != std::string::npos) name.resize(lt);
    size_t colon = name.rfind("::");
    if (colon != std::string::npos) name = name.substr(colon + 2);
    String result = FromUtf8(name);
    cache.emplace(type, result);
    return result;
}

String TObject::ClassName() const
{
    return ClassNameOfType(typeid(*this));
}

void (*DestructionExceptionHandler)() = nullptr;

void TObject::operator delete(TObject* obj, std::destroying_delete_t)
{
    if (!obj) return;
    // The start of the most derived object: the memory that new handed out.
    void* memory = dynamic_cast<void*>(obj);
    try {
        obj->BeforeDestruction();
    } catch (...) {
        if (DestructionExceptionHandler) DestructionExceptionHandler();
    }
    obj->~TObject();
    ::operator delete(memory);
}

// ---- TPersistent ---------------------------------------------------------------------------

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError(L"Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(L"Cannot assign a " + ClassName() + L" to a " + (dest ? dest->ClassName() : String(L"nil")));
}

// ---- TComponent ----------------------------------------------------------------------------

TComponent::TComponent(TComponent* owner)
{
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone who asked that this component goes away.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        c->RemoveNotifier(this);
        c->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount()) throw EListError(Format(L"List index out of bounds (%d)", {index}));
    return FComponents[index];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner) return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name)) return c;
    return nullptr;
}

void TComponent::SetName(const String& name)
{
    if (name == FName) return;
    if (FOwner && !name.empty()) {
        TComponent* other = FOwner->FindComponent(name);
        if (other && other != this) throw EComponentError(L"A component named " + name + L" already exists");
    }
    FName = name;
}

void TComponent::CompleteConstruction()
{
    if (FConstructed) return;
    FConstructed = true;
    AfterConstruction();
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->FOwner == this) return;
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end()) return;
    Notification(component, TOperation::opRemove);
    FComponents.erase(std::find(FComponents.begin(), FComponents.end(), component));
    component->FOwner = nullptr;
}

void TComponent::DestroyComponents()
{
    // Last created goes first; a component may free others while it goes.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        RemoveComponent(c);
        delete c;
    }
}

void TComponent::Destroying()
{
    if (FComponentState & csDestroying) return;
    FComponentState |= csDestroying;
    for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (component->FOwner == this && FOwner == nullptr) {
        // an owner hears about its own components anyway
    }
    InsertNotifier(component);
    component->InsertNotifier(this);
    FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component) return;
    RemoveNotifier(component);
    component->RemoveNotifier(this);
}

void TComponent::InsertNotifier(TComponent* c)
{
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end()) FFreeNotifies.push_back(c);
}

void TComponent::RemoveNotifier(TComponent* c)
{
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c);
    if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
    // Pass the news on to what this component owns, as the component library does.
    for (size_t i = 0; i < FComponents.size(); ++i) {
        TComponent* c = FComponents[i];
        if (c != component) c->Notification(component, operation);
    }
}

void TComponent::Loaded()
{
    FComponentState &= ~csLoading;
}

void TComponent::SetComponentState(TComponentState flags, bool on)
{
    if (on) FComponentState |= flags;
    else FComponentState &= ~flags;
}

void TComponent::CollectForLoading(std::vector<TComponent*>& out)
{
    for (TComponent* c : FComponents) c->CollectForLoading(out);
    out.push_back(this);
}

void TComponent::BeginLoading()
{
    std::vector<TComponent*> all;
    CollectForLoading(all);
    for (TComponent* c : all) c->FComponentState |= csLoading | csReading;
}

void TComponent::EndLoading()
{
    std::vector<TComponent*> all;
    CollectForLoading(all);
    for (TComponent* c : all) c->FComponentState &= ~csReading;
    // The root is still inside its own constructor: only what it owns is whole.
    for (TComponent* c : all)
        if (c != this) c->CompleteConstruction();
    // Owned components first, the root last; each Loaded clears csLoading.
    for (TComponent* c : all) c->Loaded();
}

// ---- TCollectionItem, TCollection ---------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == FCollection) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!FCollection) return -1;
    auto& list = FCollection->FItems;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TCollectionItem::SetIndex(int index)
{
    int cur = Index();
    if (cur < 0 || index == cur) return;
    auto& list = FCollection->FItems;
    index = std::clamp(index, 0, static_cast<int>(list.size()) - 1);
    list.erase(list.begin() + cur);
    list.insert(list.begin() + index, this);
    Changed(true);
}

String TCollectionItem::DisplayName() const
{
    return ClassName();
}

void TCollectionItem::Changed(bool allItems)
{
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TPersistent* owner, TItemFactory factory) : FOwner(owner), FFactory(std::move(factory))
{
    if (!FFactory) throw EArgumentException(L"A collection needs an item class");
}

TCollection::~TCollection()
{
    FUpdateCount = 1;   // no Update while the items go
    while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count()) throw EListError(Format(L"List index out of bounds (%d)", {index}));
    return FItems[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = FFactory(this);
    if (item->FCollection != this) item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = Add();
        item->SetIndex(index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int index)
{
    TCollectionItem* item = Items(index);
    Notify(item, TCollectionNotification::cnDeleting);
    delete item;
}

void TCollection::Clear()
{
    if (FItems.empty()) return;
    BeginUpdate();
    try {
        while (!FItems.empty()) Delete(Count() - 1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* i : FItems)
        if (i->FID == id) return i;
    return nullptr;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(const TPersistent* source)
{
    auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    try {
        while (!FItems.empty()) delete FItems.back();
        for (TCollectionItem* i : other->FItems) Add()->Assign(i);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    FItems.push_back(item);
    item->FCollection = this;
    item->FID = FNextID++;
    Notify(item, TCollectionNotification::cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    Notify(item, TCollectionNotification::cnExtracting);
    FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}
