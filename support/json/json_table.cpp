// The member table (an AVL tree in name-hash order), its iterator, and arrays.
#include <algorithm>

#include "support/json/json_internal.h"

// ---- Entries -----------------------------------------------------------------------------------

TJsonAvlEntry::TJsonAvlEntry(JsonString AName, TJsonObject* Obj) : FHash(Hash(AName)), FName(std::move(AName)), FPtr(Obj) {}

uint32_t TJsonAvlEntry::Hash(JsonStringView name) noexcept
{
    uint32_t h = 0;
    for (char16_t c : name) h = h * 129u + static_cast<uint32_t>(c) + 0x9E370001u;
    return h;
}

void TJsonAvlEntry::SetValue(const IJsonObject& v)
{
    if (v) v->_AddRef();
    TJsonObject* old = FPtr;
    FPtr = v.get();
    if (old) old->_Release();
}

// ---- Tree ---------------------------------------------------------------------------------------

int TJsonAvlTree::CompareKey(uint32_t hash, JsonStringView name, const TJsonAvlEntry* e) noexcept
{
    // Larger hashes come first; equal hashes by code units.
    if (hash != e->FHash) return hash > e->FHash ? -1 : 1;
    int c = name.compare(e->FName);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int TJsonAvlTree::CompareEntries(const TJsonAvlEntry* a, const TJsonAvlEntry* b) noexcept
{
    return CompareKey(a->FHash, a->FName, b);
}

TJsonAvlTree::~TJsonAvlTree()
{
    // Derived tables empty themselves; this frees what a plain tree still holds.
    TJsonAvlTree::Clear(false);
}

using E = TJsonAvlEntry;

struct TJsonAvlOps {

// Rotations for an entry whose balance reached +2 (FGt deeper) or -2. heightSame tells whether
// the subtree kept its height (only possible for a balanced child, during removal).
    template <class Entry>
    static Entry* RotateToLt(Entry* x, bool& heightSame)   // x->FBf == +2
{
    Entry* y = x->FGt;
    if (y->FBf >= 0) {
        x->FGt = y->FLt;
        y->FLt = x;
        heightSame = y->FBf == 0;
        if (y->FBf == 0) {
            x->FBf = 1;
            y->FBf = -1;
        } else {
            x->FBf = 0;
            y->FBf = 0;
        }
        return y;
    }
    Entry* z = y->FLt;
    y->FLt = z->FGt;
    x->FGt = z->FLt;
    z->FLt = x;
    z->FGt = y;
    x->FBf = z->FBf == 1 ? -1 : 0;
    y->FBf = z->FBf == -1 ? 1 : 0;
    z->FBf = 0;
    heightSame = false;
    return z;
}

    template <class Entry>
    static Entry* RotateToGt(Entry* x, bool& heightSame)   // x->FBf == -2
{
    Entry* y = x->FLt;
    if (y->FBf <= 0) {
        x->FLt = y->FGt;
        y->FGt = x;
        heightSame = y->FBf == 0;
        if (y->FBf == 0) {
            x->FBf = -1;
            y->FBf = 1;
        } else {
            x->FBf = 0;
            y->FBf = 0;
        }
        return y;
    }
    Entry* z = y->FGt;
    y->FGt = z->FLt;
    x->FLt = z->FGt;
    z->FGt = x;
    z->FLt = y;
    x->FBf = z->FBf == -1 ? 1 : 0;
    y->FBf = z->FBf == 1 ? -1 : 0;
    z->FBf = 0;
    heightSame = false;
    return z;
}


    static E* Insert(E* node, E* e, bool& grew, E*& existing)
    {
        if (!node) {
            grew = true;
            return e;
        }
        int c = TJsonAvlTree::CompareEntries(e, node);
        if (c == 0) {
            existing = node;
            grew = false;
            return node;
        }
        bool same;
        if (c < 0) {
            node->FLt = Insert(node->FLt, e, grew, existing);
            if (grew) {
                if (--node->FBf == 0) grew = false;
                else if (node->FBf == -2) {
                    node = RotateToGt(node, same);
                    grew = false;
                }
            }
        } else {
            node->FGt = Insert(node->FGt, e, grew, existing);
            if (grew) {
                if (++node->FBf == 0) grew = false;
                else if (node->FBf == 2) {
                    node = RotateToLt(node, same);
                    grew = false;
                }
            }
        }
        return node;
    }

    // The FLt side of node lost one level.
    static E* LtShrunk(E* node, bool& shrunk)
    {
        ++node->FBf;
        if (node->FBf == 1) shrunk = false;
        else if (node->FBf == 2) {
            bool same;
            node = RotateToLt(node, same);
            shrunk = !same;
        }
        return node;
    }

    static E* GtShrunk(E* node, bool& shrunk)
    {
        --node->FBf;
        if (node->FBf == -1) shrunk = false;
        else if (node->FBf == -2) {
            bool same;
            node = RotateToGt(node, same);
            shrunk = !same;
        }
        return node;
    }

    static E* RemoveFirst(E* node, bool& shrunk, E*& first)
    {
        if (!node->FLt) {
            first = node;
            shrunk = true;
            return node->FGt;
        }
        node->FLt = RemoveFirst(node->FLt, shrunk, first);
        return shrunk ? LtShrunk(node, shrunk) : node;
    }

    static E* Remove(E* node, uint32_t hash, JsonStringView name, bool& shrunk, E*& removed)
    {
        if (!node) {
            shrunk = false;
            return nullptr;
        }
        int c = TJsonAvlTree::CompareKey(hash, name, node);
        if (c < 0) {
            node->FLt = Remove(node->FLt, hash, name, shrunk, removed);
            return shrunk ? LtShrunk(node, shrunk) : node;
        }
        if (c > 0) {
            node->FGt = Remove(node->FGt, hash, name, shrunk, removed);
            return shrunk ? GtShrunk(node, shrunk) : node;
        }
        removed = node;
        if (!node->FLt || !node->FGt) {
            shrunk = true;
            return node->FLt ? node->FLt : node->FGt;
        }
        E* next = nullptr;
        E* gt = RemoveFirst(node->FGt, shrunk, next);
        next->FLt = node->FLt;
        next->FGt = gt;
        next->FBf = node->FBf;
        return shrunk ? GtShrunk(next, shrunk) : next;
    }

    static void FreeAll(TJsonAvlTree& t, E* node, bool all, void (*dispose)(TJsonAvlTree&, E*, bool))
    {
        // Iterative so that no tree shape can exhaust the stack.
        std::vector<E*> stack;
        if (node) stack.push_back(node);
        while (!stack.empty()) {
            E* n = stack.back();
            stack.pop_back();
            if (n->FLt) stack.push_back(n->FLt);
            if (n->FGt) stack.push_back(n->FGt);
            dispose(t, n, all);
        }
    }
};

void TJsonAvlTree::DeleteEntry(TJsonAvlEntry* entry, bool all)
{
    if (entry->FPtr) entry->FPtr->_Release();
    delete entry;
}

TJsonAvlEntry* TJsonAvlTree::InsertEntry(TJsonAvlEntry* entry)
{
    entry->FLt = entry->FGt = nullptr;
    entry->FBf = 0;
    bool grew = false;
    TJsonAvlEntry* existing = nullptr;
    FRoot = TJsonAvlOps::Insert(FRoot, entry, grew, existing);
    if (existing) {
        std::swap(existing->FPtr, entry->FPtr);
        DeleteEntry(entry, false);
        return existing;
    }
    ++FCount;
    return entry;
}

TJsonAvlEntry* TJsonAvlTree::FindEntry(JsonStringView name) const
{
    uint32_t h = TJsonAvlEntry::Hash(name);
    TJsonAvlEntry* n = FRoot;
    while (n) {
        int c = CompareKey(h, name, n);
        if (c == 0) return n;
        n = c < 0 ? n->FLt : n->FGt;
    }
    return nullptr;
}

IJsonObject TJsonAvlTree::Delete(JsonStringView name)
{
    bool shrunk = false;
    TJsonAvlEntry* removed = nullptr;
    FRoot = TJsonAvlOps::Remove(FRoot, TJsonAvlEntry::Hash(name), name, shrunk, removed);
    if (!removed) return nullptr;
    IJsonObject value(removed->FPtr);
    DeleteEntry(removed, false);
    --FCount;
    return value;
}

void TJsonAvlTree::Clear(bool all)
{
    TJsonAvlEntry* root = FRoot;
    FRoot = nullptr;
    FCount = 0;
    TJsonAvlOps::FreeAll(*this, root, all, [](TJsonAvlTree& t, TJsonAvlEntry* e, bool a) { t.DeleteEntry(e, a); });
}

void TJsonAvlTree::Pack(bool all)
{
    std::vector<JsonString> empty;
    for (TJsonAvlIterator it(this); it.MoveNext();) {
        TJsonAvlEntry* e = it.GetIter();
        if (!e->FPtr) empty.push_back(e->FName);
        else if (all) e->FPtr->Pack(true);
    }
    for (const auto& n : empty) Delete(n);
}

TJsonAvlIterator TJsonAvlTree::GetEnumerator() const { return TJsonAvlIterator(this); }

// ---- Member table -------------------------------------------------------------------------------

TJsonTableString::~TJsonTableString() { Clear(false); }

void TJsonTableString::DeleteEntry(TJsonAvlEntry* entry, bool all)
{
    if (entry->FPtr) {
        IJsonObject keep(entry->FPtr);
        if (all) entry->FPtr->Clear(true);
        entry->FPtr->_Release();
        entry->FPtr = nullptr;
    }
    delete entry;
}

void TJsonTableString::PutO(const JsonString& name, const IJsonObject& value)
{
    if (value) value->_AddRef();
    InsertEntry(new TJsonAvlEntry(name, value.get()));
}

IJsonObject TJsonTableString::GetO(JsonStringView name) const
{
    TJsonAvlEntry* e = FindEntry(name);
    return e ? e->Value() : nullptr;
}

bool TJsonTableString::Find(JsonStringView name, IJsonObject& value) const
{
    TJsonAvlEntry* e = FindEntry(name);
    if (!e) return false;
    value = e->Value();
    return true;
}

JsonString TJsonTableString::GetS(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsString() : JsonString();
}
int64_t TJsonTableString::GetI(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsInteger() : 0;
}
double TJsonTableString::GetD(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsDouble() : 0;
}
TJsonCurrency TJsonTableString::GetC(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsCurrency() : 0;
}
bool TJsonTableString::GetB(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsBoolean() : false;
}
TJsonMethod TJsonTableString::GetM(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v->AsMethod() : nullptr;
}
IJsonObject TJsonTableString::GetN(JsonStringView name) const
{
    auto v = GetO(name);
    return v ? v : TJsonObject::Create(stNull);
}

IJsonObject TJsonTableString::GetNames() const
{
    auto r = TJsonObject::Create(stArray);
    for (TJsonAvlIterator it(this); it.MoveNext();) r->AsArray()->Add(TJsonObject::Create(it.GetIter()->Name()));
    return r;
}

IJsonObject TJsonTableString::GetValues() const
{
    auto r = TJsonObject::Create(stArray);
    for (TJsonAvlIterator it(this); it.MoveNext();) r->AsArray()->Add(it.GetIter()->Value());
    return r;
}

// ---- Iterator ------------------------------------------------------------------------------------

void TJsonAvlIterator::First()
{
    FPath.clear();
    for (TJsonAvlEntry* n = FTree ? FTree->FRoot : nullptr; n; n = n->FLt) FPath.push_back(n);
}

void TJsonAvlIterator::Last()
{
    FPath.clear();
    for (TJsonAvlEntry* n = FTree ? FTree->FRoot : nullptr; n; n = n->FGt) FPath.push_back(n);
}

void TJsonAvlIterator::Next()
{
    if (FPath.empty()) return;
    TJsonAvlEntry* n = FPath.back();
    if (n->FGt) {
        for (n = n->FGt; n; n = n->FLt) FPath.push_back(n);
        return;
    }
    TJsonAvlEntry* child;
    do {
        child = FPath.back();
        FPath.pop_back();
    } while (!FPath.empty() && FPath.back()->FGt == child);
}

void TJsonAvlIterator::Prior()
{
    if (FPath.empty()) return;
    TJsonAvlEntry* n = FPath.back();
    if (n->FLt) {
        for (n = n->FLt; n; n = n->FGt) FPath.push_back(n);
        return;
    }
    TJsonAvlEntry* child;
    do {
        child = FPath.back();
        FPath.pop_back();
    } while (!FPath.empty() && FPath.back()->FLt == child);
}

bool TJsonAvlIterator::MoveNext()
{
    if (FPath.empty()) First();
    else Next();
    return !FPath.empty();
}

void TJsonAvlIterator::Search(JsonStringView name, TJsonAvlSearchTypes st)
{
    FPath.clear();
    if (!FTree) return;
    uint32_t h = TJsonAvlEntry::Hash(name);
    size_t before = 0, after = 0;   // path lengths up to the nearest entry before / after name
    for (TJsonAvlEntry* n = FTree->FRoot; n;) {
        FPath.push_back(n);
        int c = TJsonAvlTree::CompareKey(h, name, n);
        if (c == 0) {
            if (st & stEQual) return;
            if (st & stLess) Prior();
            else if (st & stGreater) Next();
            else FPath.clear();
            return;
        }
        if (c < 0) {
            after = FPath.size();
            n = n->FLt;
        } else {
            before = FPath.size();
            n = n->FGt;
        }
    }
    size_t keep = (st & stLess) ? before : ((st & stGreater) ? after : 0);
    FPath.resize(keep);
}

// ---- Arrays ---------------------------------------------------------------------------------------

TJsonArray::TJsonArray() : FArray(32), FSize(32) {}

TJsonArray::~TJsonArray() { Clear(false); }

bool TJsonArray::Grow(int32_t index)
{
    if (index < FSize) return true;
    if (index < 0 || index >= MaxLength) return false;
    int64_t size = std::max<int64_t>(int64_t{FSize} * 2, int64_t{index} + 1);
    size = std::min<int64_t>(size, MaxLength);
    FArray.resize(static_cast<size_t>(size));
    FSize = static_cast<int32_t>(size);
    return true;
}

bool TJsonArray::PutO(int32_t index, const IJsonObject& value)
{
    if (index < 0 || !Grow(index)) return false;
    FArray[static_cast<size_t>(index)] = value;
    if (index >= FLength) FLength = index + 1;
    return true;
}

int32_t TJsonArray::Add(const IJsonObject& v)
{
    int32_t i = FLength;
    return PutO(i, v) ? i : -1;
}

IJsonObject TJsonArray::Delete(int32_t index)
{
    if (index < 0 || index >= FLength) return nullptr;
    IJsonObject r = std::move(FArray[static_cast<size_t>(index)]);
    std::move(FArray.begin() + index + 1, FArray.begin() + FLength, FArray.begin() + index);
    FArray[static_cast<size_t>(FLength - 1)] = nullptr;
    --FLength;
    return r;
}

void TJsonArray::Insert(int32_t index, const IJsonObject& value)
{
    if (index < 0) return;
    if (index >= FLength) {
        PutO(index, value);
        return;
    }
    if (FLength == FSize && !Grow(FSize)) return;
    std::move_backward(FArray.begin() + index, FArray.begin() + FLength, FArray.begin() + FLength + 1);
    FArray[static_cast<size_t>(index)] = value;
    ++FLength;
}

void TJsonArray::Clear(bool all)
{
    int32_t n = FLength;
    FLength = 0;
    for (int32_t i = 0; i < n; ++i) {
        IJsonObject v = std::move(FArray[static_cast<size_t>(i)]);
        if (v && all) v->Clear(true);
    }
}

void TJsonArray::Pack(bool all)
{
    int32_t j = 0;
    for (int32_t i = 0; i < FLength; ++i) {
        if (FArray[static_cast<size_t>(i)]) {
            if (i != j) FArray[static_cast<size_t>(j)] = std::move(FArray[static_cast<size_t>(i)]);
            ++j;
        }
    }
    for (int32_t i = j; i < FLength; ++i) FArray[static_cast<size_t>(i)] = nullptr;
    FLength = j;
    if (all)
        for (int32_t i = 0; i < FLength; ++i) FArray[static_cast<size_t>(i)]->Pack(true);
}

IJsonObject TJsonArray::GetO(int32_t index) const
{
    return (index >= 0 && index < FLength) ? FArray[static_cast<size_t>(index)] : nullptr;
}
IJsonObject TJsonArray::GetN(int32_t index) const
{
    auto v = GetO(index);
    return v ? v : TJsonObject::Create(stNull);
}
bool TJsonArray::GetB(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsBoolean() : false;
}
int64_t TJsonArray::GetI(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsInteger() : 0;
}
double TJsonArray::GetD(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsDouble() : 0;
}
TJsonCurrency TJsonArray::GetC(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsCurrency() : 0;
}
JsonString TJsonArray::GetS(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsString() : JsonString();
}
TJsonMethod TJsonArray::GetM(int32_t index) const
{
    auto v = GetO(index);
    return v ? v->AsMethod() : nullptr;
}
