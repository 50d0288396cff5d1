// Objects, persistent objects and components with ownership. No windows.h here.
#pragma once

#include <cstdint>
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
    // Runs before the destructor of the most derived class, while the whole object is still
    // alive: forms fire OnDestroy and free their components here, before the members of a
    // derived form go. Free and the owners' DestroyComponents call it; a plain delete does not.
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then delete. Safe on nullptr.
    static void Free(TObject* obj)
    {
        if (!obj) return;
        obj->BeforeDestruction();
        delete obj;
    }
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
    if constexpr (std::is_base_of_v<TObject, T>) TObject::Free(p);
    else delete p;
}

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

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();
    // Marks the component (and everything it owns) as being destroyed; called first by
    // destructors of classes that must stop reacting to events while they go.
    void Destroying();

    // Asks to be told (Notification opRemove) when component is destroyed, and the reverse.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Loading phase of a form built in code.
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
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};
