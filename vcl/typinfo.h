// Published properties by name: code that meets an object it does not know (a foreign grid,
// a control of another library) reads and writes its properties through their names. A
// class publishes a property by registering a getter (and setter) for it; lookups walk the
// registrations from the most recent, so a derived class registered after its base wins.
// The layer's own controls register theirs before any lookup runs (RegisterPublishedProperties
// of other code must be called after that: at its first use or its module's start).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "vcl/classes.h"

enum class TPropKind { pkOrdinal, pkSet, pkObject };

struct TPropInfo {
    String Name;
    TPropKind Kind = TPropKind::pkOrdinal;
    std::function<bool(const TObject*)> Applies;   // the object is of the registering class
    std::function<int64_t(TObject*)> GetOrdinal;    // ordinal and set values (a set as bits)
    std::function<void(TObject*, int64_t)> SetOrdinal;
    std::function<TObject*(TObject*)> GetObject;
    std::vector<String> SetMembers;                 // names of the set's members by bit
};

void RegisterPublishedProperty(TPropInfo info);

// An ordinal property (integers, enumerations, colours, Booleans) of class C.
template <class C, class G, class S>
void RegisterOrdinalProperty(const String& name, G get, S set)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::pkOrdinal;
    p.Applies = [](const TObject* o) { return dynamic_cast<const C*>(o) != nullptr; };
    p.GetOrdinal = [get](TObject* o) { return static_cast<int64_t>(get(*static_cast<C*>(o))); };
    p.SetOrdinal = [set](TObject* o, int64_t v) { set(*static_cast<C*>(o), v); };
    RegisterPublishedProperty(std::move(p));
}

// A set property of class C: members named by bit (member i is bit i).
template <class C, class G, class S>
void RegisterSetProperty(const String& name, std::vector<String> members, G get, S set)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::pkSet;
    p.SetMembers = std::move(members);
    p.Applies = [](const TObject* o) { return dynamic_cast<const C*>(o) != nullptr; };
    p.GetOrdinal = [get](TObject* o) { return static_cast<int64_t>(get(*static_cast<C*>(o))); };
    p.SetOrdinal = [set](TObject* o, int64_t v) { set(*static_cast<C*>(o), v); };
    RegisterPublishedProperty(std::move(p));
}

// An object-typed property of class C (read only through this interface).
template <class C, class G>
void RegisterObjectProperty(const String& name, G get)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::pkObject;
    p.Applies = [](const TObject* o) { return dynamic_cast<const C*>(o) != nullptr; };
    p.GetObject = [get](TObject* o) -> TObject* { return get(*static_cast<C*>(o)); };
    RegisterPublishedProperty(std::move(p));
}

// The property of that name (compared without regard to case) of obj's class; nullptr when
// obj is nullptr or has none.
const TPropInfo* FindPublishedProperty(const TObject* obj, const String& name);
bool HasPublishedProperty(const TObject* obj, const String& name);
// The object an object-typed property holds; nullptr when absent.
TObject* ReadObjectProperty(TObject* obj, const String& name);
// An ordinal (or set) property's value; -1 when absent.
int64_t ReadOrdinalProperty(TObject* obj, const String& name);
// Sets an ordinal (or set) property; nothing when absent or read only.
void WriteOrdinalProperty(TObject* obj, const String& name, int64_t value);
// Whether the set property contains the member named valueName (false when absent).
bool SetPropertyHasValue(TObject* obj, const String& propName, const String& valueName);
// The set's text form: member names separated by commas, without brackets.
String GetSetPropertyText(TObject* obj, const String& propName);
void SetSetPropertyText(TObject* obj, const String& propName, const String& text);
// Adds or removes a member through the set's text form: adding appends ",valueName" unless
// the text already contains it; removing deletes the first ",valueName", else "valueName,",
// else "valueName". The text is written back only when it changed; nothing when absent.
void ChangeSetProperty(TObject* obj, const String& propName, const String& valueName, bool include);
