// Objects, persistent objects and components with ownership. No windows.h here.
#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "vcl/methods.h"
#include "vcl/sysutils.h"

// Root of the class tree. ClassName answers the class's own name ("TButton"), which code
// compares to recognise classes, so classes live in the global namespace.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    virtual String ClassName() const;

    // Runs once after the constructor of the most derived class, with the whole object built
    // and before it is first used: New<T>() and Application->CreateForm call it at once; for
    // an object made with a plain new the layer calls it when the object first gets a parent,
    // a window or the end of its owner's loading (TComponent::CompleteConstruction). An
    // override calls the base first.
    virtual void AfterConstruction() {}
    // Runs before the destructor of the most derived class, while the whole object is still
    // alive: windowed controls destroy their window here, forms fire OnDestroy and free their
    // components, before the members of a derived class go. Every delete of a heap object
    // runs it (the class's deleting operator below); an override calls the base last and
    // tolerates a second call. Objects on the stack or inside another object do not run it.
    virtual void BeforeDestruction() {}
    // delete, with BeforeDestruction first. Safe on nullptr.
    static void Free(TObject* obj) { delete obj; }

    // Every delete of a TObject lands here with the object still whole: BeforeDestruction
    // runs, then the destructor chain, then the memory goes.
    void operator delete(TObject* obj, std::destroying_delete_t);
    // Frees the memory of an object whose constructor threw.
    void operator delete(void* memory) { ::operator delete(memory); }
    // True when this object's class or one of its bases is called name (as ClassName gives
    // it). Answers from the C++ type, so it only knows the classes of this program.
    template <class T>
    bool InheritsFrom() const
    {
        return dynamic_cast<const T*>(this) != nullptr;
    }
};

// Demangled name of a C++ type, without namespaces ("TButton").
String ClassNameOfType(const std::type_info& type);

// Deletes obj and clears the pointer.
template <class T>
void FreeAndNil(T*& obj)
{
    T* p = obj;
    obj = nullptr;
    delete p;
}

// Reports an exception that escaped BeforeDestruction during a delete (called inside a catch
// block). The application installs its handler; without one the exception is dropped, since
// a delete must not throw.
extern void (*DestructionExceptionHandler)();

class TPersistent : public TObject {
public:
    // Copies source into this object; the base class raises when it cannot.
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csAncestor = 1u << 5,
    csUpdating = 1u << 6,
    csFixups = 1u << 7,
    csFreeNotification = 1u << 8,
    csInline = 1u << 9,
    csDesignInstance = 1u << 10,
};
using TComponentState = uint32_t;

// A component is owned by another one and freed with it. Other components can ask to be told
// when it goes away (FreeNotification), so they never keep a dangling pointer.
//
// Forms are built in code: the builder calls BeginLoading on the form, creates and sets up
// its components, and EndLoading then clears csLoading and calls Loaded on every component,
// the form last, as a form stream would.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    virtual void SetName(const String& name);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t tag) { FTag = tag; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(const String& name) const;

    TComponentState ComponentState() const { return FComponentState; }
    bool HasState(TComponentState flags) const { return (FComponentState & flags) != 0; }

    // Runs AfterConstruction unless it ran already (see TObject::AfterConstruction).
    void CompleteConstruction();
    bool Constructed() const { return FConstructed; }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    // Marks the component (and everything it owns) as being destroyed; called first by
    // destructors of classes that must stop reacting to events while they go.
    void Destroying();

    // Asks to be told (Notification opRemove) when component is destroyed, and the reverse.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Loading phase of a form built in code. EndLoading completes the construction of every
    // owned component (AfterConstruction) before their Loaded runs.
    void BeginLoading();
    void EndLoading();

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded();
    void SetComponentState(TComponentState flags, bool on);

private:
    void InsertNotifier(TComponent* c);
    void RemoveNotifier(TComponent* c);
    void CollectForLoading(std::vector<TComponent*>& out);

    TComponent* FOwner = nullptr;
    String FName;
    intptr_t FTag = 0;
    TComponentState FComponentState = 0;
    bool FConstructed = false;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// Makes a component and runs its AfterConstruction at once: Create<TsButton>(owner).
template <class T, class... A>
T* Create(A&&... args)
{
    T* obj = new T(std::forward<A>(args)...);
    try {
        obj->CompleteConstruction();
    } catch (...) {
        delete obj;
        throw;
    }
    return obj;
}

// ---- Collections ----------------------------------------------------------------------------

class TCollection;

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// One item of a collection. Its constructor puts it into the collection given (nullptr: none);
// its destructor takes it out. Properties of derived items call Changed after a change.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (or out of any, with nullptr).
    void SetCollection(TCollection* collection);
    int Index() const;
    void SetIndex(int index);
    // A number unique within the collection, kept while the item lives.
    int ID() const { return FID; }
    virtual String DisplayName() const;

protected:
    // Tells the collection: this item changed (allItems: the change concerns every item).
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// An ordered list of owned items of one class, made by the collection's item factory.
// Update runs after every change (nullptr: several items), not while updating.
class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    TCollection(TPersistent* owner, TItemFactory factory);
    ~TCollection() override;

    // The factory for an item class T with a constructor T(TCollection*).
    template <class T>
    static TItemFactory ItemsOf()
    {
        return [](TCollection* c) -> TCollectionItem* { return new T(c); };
    }

    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    TPersistent* Owner() const { return FOwner; }
    virtual TPersistent* GetOwner() const { return FOwner; }
    // Copies the items of another collection of the same item class (each through Assign).
    void Assign(const TPersistent* source) override;

protected:
    virtual void Update(TCollectionItem* item);
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    TPersistent* FOwner;
    TItemFactory FFactory;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};
